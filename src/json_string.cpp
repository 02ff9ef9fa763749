// Reading strings: plain runs stay in the text; escapes are decoded into an arena, surrogate
// pairs joined into one code point.
#include "json_string.h"

#include <cstdint>

#include "utf8.h"

namespace quorvel {
namespace {

int hex_value(unsigned char c) {
    if (is_digit(c)) {
        return c - '0';
    }
    const unsigned char lower = c | 0x20;
    if (lower >= 'a' && lower <= 'f') {
        return lower - 'a' + 10;
    }
    return -1;
}

// Advances to the next quote or backslash of a string and returns it; the end of the text or
// a raw control character ends reading.
unsigned char scan_string_run(JsonCursor& cursor) {
    while (cursor.pos < cursor.size) {
        const unsigned char c = cursor.text[cursor.pos];
        if (c == '"' || c == '\\') {
            return c;
        }
        ++cursor.pos;
        if (c < 0x20) {
            cursor.fail_here(JsonMessage::ControlCharacter);
        }
    }
    cursor.fail_here(JsonMessage::EofWhileParsingString);
}

// The character a one-letter escape stands for, or 0 for a letter that is not one.
char unescaped(unsigned char letter) {
    switch (letter) {
        case '"':
        case '\\':
        case '/':
            return static_cast<char>(letter);
        case 'b':
            return '\b';
        case 'f':
            return '\f';
        case 'n':
            return '\n';
        case 'r':
            return '\r';
        case 't':
            return '\t';
        default:
            return 0;
    }
}

// Four hex digits are read as a unit: a bad one is reported after all four.
std::uint32_t read_hex_code_unit(JsonCursor& cursor) {
    if (cursor.remaining() < 4) {
        cursor.pos = cursor.size;
        cursor.fail_here(JsonMessage::EofWhileParsingString);
    }
    std::uint32_t unit = 0;
    bool valid = true;
    for (int i = 0; i < 4; ++i) {
        const int digit = hex_value(cursor.text[cursor.pos + i]);
        valid = valid && digit >= 0;
        unit = (unit << 4) | static_cast<std::uint32_t>(digit & 0xF);
    }
    cursor.pos += 4;
    if (!valid) {
        cursor.fail_here(JsonMessage::InvalidEscape);
    }
    return unit;
}

void expect_byte_of_pair(JsonCursor& cursor, unsigned char expected) {
    if (cursor.at_end()) {
        cursor.fail_here(JsonMessage::EofWhileParsingString);
    }
    if (cursor.text[cursor.pos++] != expected) {
        cursor.fail_here(JsonMessage::UnexpectedEndOfHexEscape);
    }
}

// The cursor is just after "\u". A high surrogate must be followed directly by an escaped low
// surrogate; the pair is one code point.
void read_unicode_escape(JsonCursor& cursor, Text& decoded) {
    const std::uint32_t unit = read_hex_code_unit(cursor);
    if (unit >= 0xDC00 && unit <= 0xDFFF) {
        cursor.fail_here(JsonMessage::LoneLeadingSurrogate);
    }
    if (unit < 0xD800 || unit > 0xDBFF) {
        append_utf8(decoded, unit);
        return;
    }
    expect_byte_of_pair(cursor, '\\');
    expect_byte_of_pair(cursor, 'u');
    const std::uint32_t low = read_hex_code_unit(cursor);
    if (low < 0xDC00 || low > 0xDFFF) {
        cursor.fail_here(JsonMessage::LoneLeadingSurrogate);
    }
    append_utf8(decoded, 0x10000 + (((unit - 0xD800) << 10) | (low - 0xDC00)));
}

// The cursor is just after a backslash.
void read_escape(JsonCursor& cursor, Text& decoded) {
    if (cursor.at_end()) {
        cursor.fail_here(JsonMessage::EofWhileParsingString);
    }
    const unsigned char letter = cursor.text[cursor.pos++];
    if (letter == 'u') {
        read_unicode_escape(cursor, decoded);
    } else if (const char c = unescaped(letter); c != 0) {
        decoded.push_back(c);
    } else {
        cursor.fail_here(JsonMessage::InvalidEscape);
    }
}

// The string from `start` holds an escape at the cursor: decode all of it into the arena.
void read_escaped_string(JsonCursor& cursor, std::size_t start, PodBuffer<tape::Entry>& entries,
                         Text& decoded) {
    const std::size_t offset = decoded.size();
    std::size_t run = start;
    for (;;) {
        const unsigned char c = scan_string_run(cursor);
        decoded.append(reinterpret_cast<const char*>(cursor.text + run), cursor.pos - run);
        ++cursor.pos;
        if (c == '"') {
            entries.push_back(tape::make(tape::Tag::DecodedString, offset));
            entries.push_back(decoded.size() - offset);
            return;
        }
        read_escape(cursor, decoded);
        run = cursor.pos;
    }
}

}  // namespace

void read_string(JsonCursor& cursor, PodBuffer<tape::Entry>& entries, Text& decoded) {
    const std::size_t start = cursor.pos;
    if (scan_string_run(cursor) == '\\') {
        read_escaped_string(cursor, start, entries, decoded);
        return;
    }
    entries.push_back(tape::make(tape::Tag::TextString, start));
    entries.push_back(cursor.pos - start);
    ++cursor.pos;
}

}  // namespace quorvel
