// UTF-8 in both directions: encoding a code point, and decoding text one sequence at a time
// with each maximal invalid subsequence standing for U+FFFD, as the Unicode standard
// recommends for replacement.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "allocation.h"

namespace quorvel {

inline constexpr std::uint32_t kReplacementCharacter = 0xFFFD;

// Appends the UTF-8 form of a code point (a Unicode scalar value).
void append_utf8(Text& out, std::uint32_t code_point);

// One decoded sequence: its code point (U+FFFD when invalid), how many bytes it spans, and
// whether those bytes were a valid sequence.
struct Utf8Sequence {
    std::uint32_t code_point;
    std::size_t length;
    bool valid;
};

// Decodes the sequence at the start of non-empty `bytes`. An invalid one spans its maximal
// invalid subsequence (at least one byte).
Utf8Sequence decode_utf8(std::string_view bytes);

// Whether every byte is below 0x80, so that the bytes read alike in UTF-8 and Latin-1.
bool is_ascii(std::string_view bytes);

// The text with each maximal invalid subsequence replaced by U+FFFD.
Text replace_invalid_utf8(std::string_view bytes);

}  // namespace quorvel
