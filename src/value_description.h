// How error descriptions show what they hold: a JSON value as Null, Bool(true), Number(1.5),
// String("a"), Array [..] or Object {..}, and a string double-quoted with escapes.
#pragma once

#include <string_view>

#include "allocation.h"
#include "json_tape.h"

namespace quorvel {

// A value: objects with their members in ascending byte order of the names, the last of equal
// names only; floats by the number rule.
void append_value_description(Text& out, JsonValue value);

// A string in double quotes: \0 \t \n \r \" \\ escaped, characters that are not printable or
// that extend a grapheme written as \u{hex}, every other character as it is.
void append_text_description(Text& out, std::string_view text);

// "Null", "Bool", "Number", "String", "Array" or "Object".
std::string_view kind_name(JsonKind kind);

}  // namespace quorvel
