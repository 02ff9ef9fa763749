// Shortest round-trip digits come from the Dragonbox algorithm of the {fmt} library (Junekey
// Jeon), with its full table of cached powers of ten (about 10 KB) rather than the compressed
// one, which must recompute most entries. The layout around them is written here, in registers.
#include "number_text.h"

#include <bit>
#include <cmath>
#include <cstring>

#define FMT_HEADER_ONLY
#define FMT_USE_FULL_CACHE_DRAGONBOX 1
#include <fmt/format.h>

#include "powers_of_ten.h"

static_assert(std::endian::native == std::endian::little,
              "digits are assembled in registers in little-endian byte order");

namespace quorvel {
namespace {

// The eight decimal digits of value < 10^8 as ASCII, first digit in the lowest byte: the
// halves, quarters and eighths are split in parallel lanes of one 64-bit word.
[[gnu::always_inline]] inline std::uint64_t eight_digits(std::uint32_t value) {
    const std::uint64_t high4 = value / 10000;
    const std::uint64_t fours = high4 | (static_cast<std::uint64_t>(value - high4 * 10000) << 32);
    const std::uint64_t high2 = ((fours * 5243) >> 19) & 0x0000007F0000007FULL;
    const std::uint64_t twos = high2 | ((fours - high2 * 100) << 16);
    const std::uint64_t tens = ((twos * 103) >> 10) & 0x000F000F000F000FULL;
    const std::uint64_t ones = tens | ((twos - tens * 10) << 8);
    return ones + 0x3030303030303030ULL;
}

using Chars16 = unsigned __int128;  // sixteen characters, the first in the lowest byte

void store(char* out, Chars16 chars) {
    std::memcpy(out, &chars, sizeof chars);
}

// Number of decimal digits of v > 0: from the bit length, corrected by one comparison.
int decimal_length(std::uint64_t v) {
    const int bits = std::bit_width(v);
    const int guess = (bits * 1233) >> 12;  // bits * log10(2), rounded down
    return guess + (v >= kExactPowersOfTen[guess] ? 1 : 0);
}

// The digits of a shortest significand (at most 17 of them): an optional leading digit, for a
// significand of 17 digits, and up to sixteen more held in a register.
struct Digits {
    int count;
    bool has_lead;
    char lead;
    Chars16 rest;  // count - has_lead characters
};

Digits digits_of(std::uint64_t significand) {
    const std::uint64_t high = significand / 100000000;
    const auto low = static_cast<std::uint32_t>(significand - high * 100000000);
    const auto top = static_cast<std::uint32_t>(high / 100000000);
    const auto middle = static_cast<std::uint32_t>(high - std::uint64_t{top} * 100000000);
    const Chars16 sixteen = Chars16{eight_digits(middle)} | (Chars16{eight_digits(low)} << 64);
    const int count = decimal_length(significand);
    if (count == 17) {
        return {count, true, static_cast<char>('0' + top), sixteen};
    }
    return {count, false, 0, sixteen >> (8 * (16 - count))};
}

// The digits with a point after the first `integral` of them (1 <= integral < count).
char* write_with_point(char* out, const Digits& d, int integral) {
    if (d.has_lead) {
        *out = d.lead;
        store(out + 1, d.rest);
        out[integral] = '.';
        store(out + integral + 1, d.rest >> (8 * (integral - 1)));
    } else {
        store(out, d.rest);
        out[integral] = '.';
        store(out + integral + 1, d.rest >> (8 * integral));
    }
    return out + d.count + 1;
}

char* write_plain_digits(char* out, const Digits& d) {
    if (d.has_lead) {
        *out++ = d.lead;
    }
    store(out, d.rest);
    return out + (d.count - d.has_lead);
}

}  // namespace

char* write_shortest(char* out, double value) {
    *out = '-';
    out += std::signbit(value) ? 1 : 0;
    value = std::fabs(value);
    if (value == 0.0) {
        std::memcpy(out, "0.0", 3);
        return out + 3;
    }
    const auto decimal = fmt::detail::dragonbox::to_decimal(value);
    const Digits d = digits_of(decimal.significand);
    const int n = d.count;
    const int k = decimal.exponent;
    const int e = n + k;
    if (k >= 0 && e <= 16) {
        out = write_plain_digits(out, d);
        std::memcpy(out, "0000000000000000", 16);
        std::memcpy(out + k, ".0", 2);
        return out + k + 2;
    }
    if (1 <= e && e <= 16) {
        return write_with_point(out, d, e);
    }
    if (-4 <= e && e <= 0) {
        std::memcpy(out, "0.000000", 8);
        return write_plain_digits(out + 2 - e, d);
    }
    out = n > 1 ? write_with_point(out, d, 1) : write_plain_digits(out, d);
    *out++ = 'e';
    return write_decimal(out, e - 1);
}

void append_shortest(Text& out, double value) {
    char text[kShortestRoom];
    out.append(text, write_shortest(text, value));
}

}  // namespace quorvel
