// What the parts of the JSON reader share: the cursor over the text, the failure they throw,
// and every message the reader can fail with.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string_view>

namespace quorvel {

// The reader's messages, each for the case its name gives.
namespace json_message {
inline constexpr std::string_view kEofWhileParsingList = "EOF while parsing a list";
inline constexpr std::string_view kEofWhileParsingObject = "EOF while parsing an object";
inline constexpr std::string_view kEofWhileParsingString = "EOF while parsing a string";
inline constexpr std::string_view kEofWhileParsingValue = "EOF while parsing a value";
inline constexpr std::string_view kExpectedColon = "expected `:`";
inline constexpr std::string_view kExpectedListCommaOrEnd = "expected `,` or `]`";
inline constexpr std::string_view kExpectedObjectCommaOrEnd = "expected `,` or `}`";
inline constexpr std::string_view kExpectedIdent = "expected ident";
inline constexpr std::string_view kExpectedValue = "expected value";
inline constexpr std::string_view kInvalidEscape = "invalid escape";
inline constexpr std::string_view kInvalidNumber = "invalid number";
inline constexpr std::string_view kNumberOutOfRange = "number out of range";
inline constexpr std::string_view kControlCharacter =
    "control character (\\u0000-\\u001F) found while parsing a string";
inline constexpr std::string_view kKeyMustBeAString = "key must be a string";
inline constexpr std::string_view kLoneLeadingSurrogate = "lone leading surrogate in hex escape";
inline constexpr std::string_view kTrailingComma = "trailing comma";
inline constexpr std::string_view kTrailingCharacters = "trailing characters";
inline constexpr std::string_view kUnexpectedEndOfHexEscape = "unexpected end of hex escape";
inline constexpr std::string_view kRecursionLimitExceeded = "recursion limit exceeded";
}  // namespace json_message

// A reading failure inside the reader: the message and the byte offset just after the
// offending byte (or the end of the text). parse_json turns the offset into line and column.
struct JsonSyntaxError {
    std::string_view message;
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
    [[noreturn]] void fail_here(std::string_view message) const {
        throw JsonSyntaxError{message, pos};
    }
    // The problem is the byte at the cursor: report just after it (or the end of the text).
    [[noreturn]] void fail_at_peek(std::string_view message) const {
        throw JsonSyntaxError{message, std::min(pos + 1, size)};
    }
};

}  // namespace quorvel
