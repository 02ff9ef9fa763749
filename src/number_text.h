// Numbers as text: a double in its shortest round-trip digits, laid out as the result document
// and the error descriptions write it, and integers in decimal or hex.
#pragma once

#include <charconv>
#include <concepts>
#include <cstddef>
#include <cstdint>

#include "allocation.h"

namespace quorvel {

// The longest number write_shortest writes: "-0.0000" and 17 digits, or
// "-d.dddddddddddddddde-308".
inline constexpr std::size_t kLongestShortest = 24;

// Bytes that write_shortest may touch at the cursor: the layout stores whole blocks of sixteen
// whose tails the next writes overwrite.
inline constexpr std::size_t kShortestRoom = 40;

// Writes a finite value as its shortest round-trip digits D (n of them) and exponent k, laid
// out by e = n + k: 0.0, -0.0, 3.0, 100.5, 0.00001, 1e-6, 9999999999999998.0, 1e16,
// 1.2345678901234568e17, 5e-324. `out` needs kShortestRoom bytes; returns the end.
char* write_shortest(char* out, double value);

// Bytes for any 64-bit integer in decimal, sign included.
inline constexpr std::size_t kIntegerRoom = 20;

// An integer in decimal, with "-" when negative; `out` needs kIntegerRoom bytes.
template <std::integral Integer>
char* write_decimal(char* out, Integer value) {
    return std::to_chars(out, out + kIntegerRoom, value).ptr;
}

// An unsigned integer in lowercase hex without leading zeros; `out` needs 16 bytes.
inline char* write_hex(char* out, std::uint64_t value) {
    return std::to_chars(out, out + 16, value, 16).ptr;
}

void append_shortest(Text& out, double value);

template <std::integral Integer>
void append_decimal(Text& out, Integer value) {
    char digits[kIntegerRoom];
    out.append(digits, write_decimal(digits, value));
}

inline void append_hex(Text& out, std::uint64_t value) {
    char digits[16];
    out.append(digits, write_hex(digits, value));
}

}  // namespace quorvel
