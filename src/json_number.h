// Reading a JSON number literal: its syntax, which kind of number it gives, and the reader's own
// decimal-to-float conversion, which fixes every coordinate to the last bit.
#pragma once

#include "allocation.h"
#include "json_reading.h"
#include "json_tape.h"

namespace quorvel {

// Reads the number at the cursor (at "-" or a digit) and appends its tape entries: an unsigned
// or negative integer when the literal is one that fits, a float otherwise. Throws
// JsonSyntaxError for a malformed literal or one too large for a float.
void read_number(JsonCursor& cursor, PodBuffer<tape::Entry>& entries);

}  // namespace quorvel
