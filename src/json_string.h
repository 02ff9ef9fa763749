// Reading a JSON string: its runs of plain characters, its escapes, and surrogate pairs.
#pragma once

#include "allocation.h"
#include "json_reading.h"
#include "json_tape.h"

namespace quorvel {

// Reads the string whose opening quote is just before the cursor and appends its two tape
// entries. A string without escapes stays in the text; one with escapes is decoded into
// `decoded`. Throws JsonSyntaxError for a raw control character, a bad escape or a string that
// the text ends inside.
void read_string(JsonCursor& cursor, PodBuffer<tape::Entry>& entries, Text& decoded);

}  // namespace quorvel
