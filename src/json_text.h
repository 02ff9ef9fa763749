// Reading one strict JSON value (RFC 8259) from UTF-8 text into a tape (json_tape.h).
#pragma once

#include <cstddef>
#include <string_view>

#include "json_tape.h"

namespace quorvel {

// A reading failure: one of the reader's messages and the line and column just after the
// offending byte (or the end of the text).
struct JsonError {
    std::string_view message;
    std::size_t line;
    std::size_t column;
};

// Thrown by parse_json.
struct JsonReadError {
    JsonError error;
};

// Reads exactly one JSON value. Throws JsonReadError on the first problem. The tape refers to
// `text`, which must outlive it.
JsonTape parse_json(std::string_view text);

}  // namespace quorvel
