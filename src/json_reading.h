// What the parts of the JSON reader share: the cursor over the text, the failure they throw,
// and every message the reader can fail with.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "enum_texts.h"

namespace quorvel {

// The reader's messages, each for the case its name gives.
enum class JsonMessage : std::uint8_t {
    EofWhileParsingList,
    EofWhileParsingObject,
    EofWhileParsingString,
    EofWhileParsingValue,
    ExpectedColon,
    ExpectedListCommaOrEnd,
    ExpectedObjectCommaOrEnd,
    ExpectedIdent,
    ExpectedValue,
    InvalidEscape,
    InvalidNumber,
    NumberOutOfRange,
    ControlCharacter,
    KeyMustBeAString,
    LoneLeadingSurrogate,
    TrailingComma,
    TrailingCharacters,
    UnexpectedEndOfHexEscape,
    RecursionLimitExceeded,
};

// Their texts, in the order above.
inline constexpr auto kJsonMessageTexts = texts_for<JsonMessage::RecursionLimitExceeded>({
    "EOF while parsing a list",
    "EOF while parsing an object",
    "EOF while parsing a string",
    "EOF while parsing a value",
    "expected `:`",
    "expected `,` or `]`",
    "expected `,` or `}`",
    "expected ident",
    "expected value",
    "invalid escape",
    "invalid number",
    "number out of range",
    "control character (\\u0000-\\u001F) found while parsing a string",
    "key must be a string",
    "lone leading surrogate in hex escape",
    "trailing comma",
    "trailing characters",
    "unexpected end of hex escape",
    "recursion limit exceeded",
});

constexpr std::string_view text_of(JsonMessage message) {
    return text_in(kJsonMessageTexts, message);
}

// A reading failure inside the reader: the message and the byte offset just after the
// offending byte (or the end of the text). parse_json turns the offset into line and column.
struct JsonSyntaxError {
    JsonMessage message;
    std::size_t position;
};

constexpr bool is_digit(unsigned char c) {
    return c >= '0' && c <= '9';
}

// A position in the text being read.
struct JsonCursor {
    const unsigned char* text;
    std::size_t size;
    std::size_t pos = 0;

    bool at_end() const { return pos >= size; }
    unsigned char peek() const { return text[pos]; }
    // The byte at the cursor, or 0 at the end of the text.
    unsigned char peek_or_nul() const { return pos < size ? text[pos] : 0; }
    std::size_t remaining() const { return size - pos; }

    // The cursor is already past the offending byte.
    [[noreturn]] void fail_here(JsonMessage message) const { throw JsonSyntaxError{message, pos}; }
    // The problem is the byte at the cursor: report just after it (or the end of the text).
    [[noreturn]] void fail_at_peek(JsonMessage message) const {
        throw JsonSyntaxError{message, std::min(pos + 1, size)};
    }
};

}  // namespace quorvel
