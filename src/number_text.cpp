// Shortest round-trip digits come from the Dragonbox algorithm of the {fmt} library (Junekey
// Jeon), with its full table of cached powers of ten (about 10 KB) rather than the compressed
// one, which must recompute most entries. The layout around them is written here, in registers,
// and so is the removal of trailing zeros (see shortest_decimal).
#include "number_text.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#define FMT_HEADER_ONLY
#define FMT_USE_FULL_CACHE_DRAGONBOX 1
#include <fmt/format.h>

static_assert(std::endian::native == std::endian::little,
              "digits are assembled in registers in little-endian byte order");

namespace quorvel {
namespace {

// fmt::detail::dragonbox::to_decimal (fmt 9.1.0, MIT licence) for a positive finite double,
// step for step, except that it leaves the trailing zeros of the significand in place. fmt
// removes them in a loop that runs once for every two zeros: with the mix of short and long
// significands of real coordinates that loop's exit is mispredicted on most numbers, while the
// layout below sees the zeros among the digits it has already made and drops them without a
// branch. Only the first path (the larger divisor) can leave zeros: a significand of the second
// path that ended in zero would have been found by the first.
fmt::detail::dragonbox::decimal_fp<double> shortest_decimal(double x) {
    namespace dragonbox = fmt::detail::dragonbox;
    using Info = dragonbox::float_info<double>;
    using Cache = dragonbox::cache_accessor<double>;
    constexpr int kSignificandBits = fmt::detail::num_significand_bits<double>();

    const auto bits = std::bit_cast<std::uint64_t>(x);
    std::uint64_t significand = bits & ((std::uint64_t{1} << kSignificandBits) - 1);
    int exponent =
        static_cast<int>((bits & fmt::detail::exponent_mask<double>()) >> kSignificandBits);
    if (exponent != 0) {
        exponent -= fmt::detail::exponent_bias<double>() + kSignificandBits;
        if (significand == 0) {
            return dragonbox::to_decimal(x);  // a power of two: the rare shorter interval
        }
        significand |= std::uint64_t{1} << kSignificandBits;
    } else {
        exponent = std::numeric_limits<double>::min_exponent - kSignificandBits - 1;
    }
    const bool include_endpoints = significand % 2 == 0;

    const int minus_k = dragonbox::floor_log10_pow2(exponent) - Info::kappa;
    const Cache::cache_entry_type cache = Cache::get_cached_power(-minus_k);
    const int beta = exponent + dragonbox::floor_log2_pow10(-minus_k);
    const std::uint32_t deltai = Cache::compute_delta(cache, beta);
    const std::uint64_t two_fc = significand << 1;
    const Cache::compute_mul_result z_mul = Cache::compute_mul((two_fc | 1) << beta, cache);

    // Step 2: the larger divisor.
    fmt::detail::dragonbox::decimal_fp<double> result;
    result.significand = dragonbox::divide_by_10_to_kappa_plus_1(z_mul.result);
    auto r = static_cast<std::uint32_t>(z_mul.result - Info::big_divisor * result.significand);
    bool larger_divisor = true;
    if (r < deltai) {
        if (r == 0 && (z_mul.is_integer & !include_endpoints)) {
            --result.significand;
            r = Info::big_divisor;
            larger_divisor = false;
        }
    } else if (r > deltai) {
        larger_divisor = false;
    } else {
        const Cache::compute_mul_parity_result x_mul =
            Cache::compute_mul_parity(two_fc - 1, cache, beta);
        larger_divisor = x_mul.parity | (x_mul.is_integer & include_endpoints);
    }
    if (larger_divisor) {
        result.exponent = minus_k + Info::kappa + 1;
        return result;
    }

    // Step 3: the smaller divisor.
    result.significand *= 10;
    result.exponent = minus_k + Info::kappa;
    std::uint32_t dist = r - (deltai / 2) + (Info::small_divisor / 2);
    const bool approx_y_parity = ((dist ^ (Info::small_divisor / 2)) & 1) != 0;
    const bool divisible_by_small_divisor =
        dragonbox::check_divisibility_and_divide_by_pow10<Info::kappa>(dist);
    result.significand += dist;
    if (!divisible_by_small_divisor) {
        return result;
    }
    const Cache::compute_mul_parity_result y_mul = Cache::compute_mul_parity(two_fc, cache, beta);
    if (y_mul.parity != approx_y_parity) {
        --result.significand;
    } else if (y_mul.is_integer & (result.significand % 2 != 0)) {
        --result.significand;
    }
    return result;
}

using Chars16 = unsigned __int128;  // sixteen characters, the first in the lowest byte

// The sixteen decimal digits of two values below 10^8 as ASCII, the first digit in the lowest
// byte, and how many of them are zeros before the first other digit and after the last (16
// and 16 when all are).
struct SixteenDigits {
    Chars16 chars;
    int leading_zeros;
    int trailing_zeros;
};

#if defined(__SSE2__)
// In SSE2 lanes: each group of four digits x, times 4, fills four 16-bit lanes that two
// multiplications by fixed-point reciprocals turn into its prefixes (x / 1000, x / 100, x / 10,
// x; exact for every x < 10^4, checked exhaustively); subtracting ten times the prefix before
// leaves one digit per lane. The writer, busy on every coordinate, is about a fifth faster so
// than with the two 64-bit words of the scalar way below.
__m128i four_and_four_digits(std::uint32_t a, std::uint32_t b) {
    __m128i lanes = _mm_cvtsi32_si128(static_cast<int>((a << 2) | (b << 18)));
    lanes = _mm_unpacklo_epi16(lanes, lanes);
    lanes = _mm_unpacklo_epi32(lanes, lanes);
    const __m128i m = _mm_setr_epi16(8389, 5243, 13108, -32768, 8389, 5243, 13108, -32768);
    const __m128i s =
        _mm_setr_epi16(1 << 7, 1 << 11, 1 << 13, -32768, 1 << 7, 1 << 11, 1 << 13, -32768);
    const __m128i prefixes = _mm_mulhi_epu16(_mm_mulhi_epu16(lanes, m), s);
    const __m128i tens_before = _mm_slli_epi64(_mm_mullo_epi16(prefixes, _mm_set1_epi16(10)), 16);
    return _mm_sub_epi16(prefixes, tens_before);
}

SixteenDigits sixteen_digits(std::uint32_t high8, std::uint32_t low8) {
    const std::uint32_t a = high8 / 10000;
    const std::uint32_t c = low8 / 10000;
    const __m128i digits = _mm_packus_epi16(four_and_four_digits(a, high8 - a * 10000),
                                            four_and_four_digits(c, low8 - c * 10000));
    const __m128i text = _mm_add_epi8(digits, _mm_set1_epi8('0'));
    SixteenDigits sixteen;
    std::memcpy(&sixteen.chars, &text, sizeof sixteen.chars);
    // A bit per digit, the first lowest, set where the digit is not 0; the bits beyond the
    // sixteen stop the counts at 16.
    const auto nonzero = static_cast<std::uint32_t>(
        ~_mm_movemask_epi8(_mm_cmpeq_epi8(digits, _mm_setzero_si128())) & 0xFFFF);
    sixteen.leading_zeros = std::countr_zero(nonzero | 0x10000);
    sixteen.trailing_zeros = std::countl_zero((nonzero << 16) | 0x8000);
    return sixteen;
}
#else
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

SixteenDigits sixteen_digits(std::uint32_t high8, std::uint32_t low8) {
    SixteenDigits sixteen;
    sixteen.chars = Chars16{eight_digits(high8)} | (Chars16{eight_digits(low8)} << 64);
    // Each byte minus '0' is its digit's value, without borrows: the zero digits are zero bytes,
    // the first digits the lowest.
    const Chars16 values =
        sixteen.chars - Chars16{0x3030303030303030ULL} * ((Chars16{1} << 64) + 1);
    const auto high = static_cast<std::uint64_t>(values >> 64);
    const auto low = static_cast<std::uint64_t>(values);
    sixteen.leading_zeros = (low != 0 ? std::countr_zero(low) : 64 + std::countr_zero(high)) / 8;
    sixteen.trailing_zeros = (high != 0 ? std::countl_zero(high) : 64 + std::countl_zero(low)) / 8;
    return sixteen;
}
#endif

void store(char* out, Chars16 chars) {
    std::memcpy(out, &chars, sizeof chars);
}

// The digits of a shortest significand (at most 17 of them): an optional leading digit, for a
// significand of 17 digits, and up to sixteen more held in a register. Trailing zeros of the
// significand are dropped from the count (the characters stay in the register, past the end)
// and reported, for the exponent to take them up.
struct Digits {
    int count;
    bool has_lead;
    char lead;
    Chars16 rest;  // count - has_lead characters
    int dropped_zeros;
};

Digits digits_of(std::uint64_t significand) {
    const std::uint64_t high = significand / 100000000;
    const auto low = static_cast<std::uint32_t>(significand - high * 100000000);
    const auto top = static_cast<std::uint32_t>(high / 100000000);
    const auto middle = static_cast<std::uint32_t>(high - std::uint64_t{top} * 100000000);
    const SixteenDigits sixteen = sixteen_digits(middle, low);
    // A significand below 10^16 has at least one nonzero digit among the sixteen, so its zeros
    // never reach its first digit; one of 17 digits may lose all sixteen after its lead.
    const int zeros = sixteen.trailing_zeros;
    if (top != 0) {
        return {17 - zeros, true, static_cast<char>('0' + top), sixteen.chars, zeros};
    }
    const int count = 16 - sixteen.leading_zeros;
    return {count - zeros, false, 0, sixteen.chars >> (8 * sixteen.leading_zeros), zeros};
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
    const auto decimal = shortest_decimal(value);
    const Digits d = digits_of(decimal.significand);
    const int n = d.count;
    const int k = decimal.exponent + d.dropped_zeros;
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
