// Reading number literals. The conversion to a float is the reader's own rule and deliberately
// not correctly rounded: the significand (the first digits that fit 64 bits) becomes the
// nearest float, which is then multiplied or divided once by the nearest float to a power of
// ten. About one literal in ten of real maps converts to a float one unit in the last place away
// from the correctly rounded one; those floats are the coordinates that are smoothed and
// written, so a correctly rounded conversion would change the output's bytes.
#include "json_number.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "powers_of_ten.h"

static_assert(std::endian::native == std::endian::little,
              "eight digits are read at once in little-endian byte order");

namespace quorvel {
namespace {

// kNearestPowersOfTen[k] is the double nearest to 10^k, for k = 0 .. 308 (the compiler reads
// each decimal literal correctly rounded).
constexpr double kNearestPowersOfTen[309] = {
    1e0,   1e1,   1e2,   1e3,   1e4,   1e5,   1e6,   1e7,   1e8,   1e9,   1e10,  1e11,  1e12,
    1e13,  1e14,  1e15,  1e16,  1e17,  1e18,  1e19,  1e20,  1e21,  1e22,  1e23,  1e24,  1e25,
    1e26,  1e27,  1e28,  1e29,  1e30,  1e31,  1e32,  1e33,  1e34,  1e35,  1e36,  1e37,  1e38,
    1e39,  1e40,  1e41,  1e42,  1e43,  1e44,  1e45,  1e46,  1e47,  1e48,  1e49,  1e50,  1e51,
    1e52,  1e53,  1e54,  1e55,  1e56,  1e57,  1e58,  1e59,  1e60,  1e61,  1e62,  1e63,  1e64,
    1e65,  1e66,  1e67,  1e68,  1e69,  1e70,  1e71,  1e72,  1e73,  1e74,  1e75,  1e76,  1e77,
    1e78,  1e79,  1e80,  1e81,  1e82,  1e83,  1e84,  1e85,  1e86,  1e87,  1e88,  1e89,  1e90,
    1e91,  1e92,  1e93,  1e94,  1e95,  1e96,  1e97,  1e98,  1e99,  1e100, 1e101, 1e102, 1e103,
    1e104, 1e105, 1e106, 1e107, 1e108, 1e109, 1e110, 1e111, 1e112, 1e113, 1e114, 1e115, 1e116,
    1e117, 1e118, 1e119, 1e120, 1e121, 1e122, 1e123, 1e124, 1e125, 1e126, 1e127, 1e128, 1e129,
    1e130, 1e131, 1e132, 1e133, 1e134, 1e135, 1e136, 1e137, 1e138, 1e139, 1e140, 1e141, 1e142,
    1e143, 1e144, 1e145, 1e146, 1e147, 1e148, 1e149, 1e150, 1e151, 1e152, 1e153, 1e154, 1e155,
    1e156, 1e157, 1e158, 1e159, 1e160, 1e161, 1e162, 1e163, 1e164, 1e165, 1e166, 1e167, 1e168,
    1e169, 1e170, 1e171, 1e172, 1e173, 1e174, 1e175, 1e176, 1e177, 1e178, 1e179, 1e180, 1e181,
    1e182, 1e183, 1e184, 1e185, 1e186, 1e187, 1e188, 1e189, 1e190, 1e191, 1e192, 1e193, 1e194,
    1e195, 1e196, 1e197, 1e198, 1e199, 1e200, 1e201, 1e202, 1e203, 1e204, 1e205, 1e206, 1e207,
    1e208, 1e209, 1e210, 1e211, 1e212, 1e213, 1e214, 1e215, 1e216, 1e217, 1e218, 1e219, 1e220,
    1e221, 1e222, 1e223, 1e224, 1e225, 1e226, 1e227, 1e228, 1e229, 1e230, 1e231, 1e232, 1e233,
    1e234, 1e235, 1e236, 1e237, 1e238, 1e239, 1e240, 1e241, 1e242, 1e243, 1e244, 1e245, 1e246,
    1e247, 1e248, 1e249, 1e250, 1e251, 1e252, 1e253, 1e254, 1e255, 1e256, 1e257, 1e258, 1e259,
    1e260, 1e261, 1e262, 1e263, 1e264, 1e265, 1e266, 1e267, 1e268, 1e269, 1e270, 1e271, 1e272,
    1e273, 1e274, 1e275, 1e276, 1e277, 1e278, 1e279, 1e280, 1e281, 1e282, 1e283, 1e284, 1e285,
    1e286, 1e287, 1e288, 1e289, 1e290, 1e291, 1e292, 1e293, 1e294, 1e295, 1e296, 1e297, 1e298,
    1e299, 1e300, 1e301, 1e302, 1e303, 1e304, 1e305, 1e306, 1e307, 1e308};

// Eight digits at once (SWAR), as simdjson and fast_float do it (D. Lemire, "Quickly parsing
// eight digits", 2018). The eight bytes are loaded little-endian, the first digit lowest.
constexpr std::uint64_t kAsciiZeros = 0x3030'3030'3030'3030ULL;  // '0' in every byte
// Added to a byte, carries into its top bit exactly when the byte is above '9' (0x39 + 0x46 =
// 0x7F); subtracting kAsciiZeros does so for a byte below '0'.
constexpr std::uint64_t kPastNine = 0x4646'4646'4646'4646ULL;
constexpr std::uint64_t kTopBits = 0x8080'8080'8080'8080ULL;
// After the first step below, each even byte holds a two-digit pair; these pick pairs 0 and 2
// (and, shifted, 1 and 3) and weigh them in one multiplication each, the sum landing in the
// upper half of the product.
constexpr std::uint64_t kPairMask = 0x0000'00FF'0000'00FFULL;
constexpr std::uint64_t kWeighPairs02 = 100 + (1'000'000ULL << 32);
constexpr std::uint64_t kWeighPairs13 = 1 + (10'000ULL << 32);

// While the significand is below this, eight more digits surely fit: 10^11 * 10^8 < 2^64.
constexpr std::uint64_t kRoomForEightDigits = 100'000'000'000ULL;

// Flags (top bit of the byte) each byte of the chunk that is not an ASCII digit. A byte below a
// digit-only prefix gets no carry or borrow from it, so the lowest flag marks the first
// non-digit.
constexpr std::uint64_t non_digit_flags(std::uint64_t chunk) {
    return ((chunk + kPastNine) | (chunk - kAsciiZeros)) & kTopBits;
}

int leading_digit_count(std::uint64_t chunk) {
    const std::uint64_t flags = non_digit_flags(chunk);
    return flags == 0 ? 8 : std::countr_zero(flags) / 8;
}

std::uint64_t value_of_eight_digits(std::uint64_t chunk) {
    chunk -= kAsciiZeros;
    chunk = chunk * 10 + (chunk >> 8);  // pairs of digits in the even bytes
    return ((chunk & kPairMask) * kWeighPairs02 + ((chunk >> 16) & kPairMask) * kWeighPairs13) >>
           32;
}

std::uint64_t load_eight(const unsigned char* bytes) {
    std::uint64_t chunk;
    std::memcpy(&chunk, bytes, sizeof chunk);
    return chunk;
}

// Whether significand * 10 + digit would exceed the largest unsigned 64-bit value.
constexpr bool significand_overflows(std::uint64_t significand, std::uint64_t digit) {
    constexpr std::uint64_t kMax = UINT64_MAX;
    return significand >= kMax / 10 && (significand > kMax / 10 || digit > kMax % 10);
}

// The digits of a literal as read so far: digits are gathered into the significand for as long
// as the next one fits; once one does not, no later digit is gathered (integer digits then only
// raise the exponent, fraction digits are skipped).
struct Digits {
    bool positive = true;
    std::uint64_t significand = 0;
    std::int64_t exponent = 0;  // the power of ten the significand stands for
    bool full = false;
    bool is_float = false;  // a fraction or an exponent was written
};

void skip_digits(JsonCursor& cursor) {
    while (is_digit(cursor.peek_or_nul())) {
        ++cursor.pos;
    }
}

// Gathers one digit at the cursor if it fits; returns whether it did.
bool gather_digit(JsonCursor& cursor, Digits& d) {
    const std::uint64_t digit = cursor.peek() - '0';
    if (significand_overflows(d.significand, digit)) {
        d.full = true;
        return false;
    }
    d.significand = d.significand * 10 + digit;
    ++cursor.pos;
    return true;
}

// The integer digits after the first.
void read_integer_digits(JsonCursor& cursor, Digits& d) {
    while (is_digit(cursor.peek_or_nul()) && gather_digit(cursor, d)) {
    }
    const std::size_t beyond = cursor.pos;
    skip_digits(cursor);
    d.exponent += static_cast<std::int64_t>(cursor.pos - beyond);
}

// Fraction digits while they fit: eight at a time while all of them surely fit, then the one
// to seven that end the fraction at once, then one by one.
void gather_fraction_digits(JsonCursor& cursor, Digits& d) {
    const std::size_t start = cursor.pos;
    while (d.significand < kRoomForEightDigits && cursor.remaining() >= 8) {
        const std::uint64_t chunk = load_eight(cursor.text + cursor.pos);
        if (non_digit_flags(chunk) != 0) {
            break;
        }
        d.significand = d.significand * 100'000'000 + value_of_eight_digits(chunk);
        cursor.pos += 8;
    }
    if (d.significand < kRoomForEightDigits && cursor.remaining() >= 8) {
        const std::uint64_t chunk = load_eight(cursor.text + cursor.pos);
        const int digits = leading_digit_count(chunk);
        if (digits > 0 && digits < 8) {
            // The digits moved to the top, zeros ('0' bytes) shifted in below them.
            const std::uint64_t padded =
                (chunk << (64 - 8 * digits)) | (kAsciiZeros >> (8 * digits));
            d.significand =
                d.significand * kExactPowersOfTen[digits] + value_of_eight_digits(padded);
            cursor.pos += static_cast<std::size_t>(digits);
        }
    }
    while (is_digit(cursor.peek_or_nul()) && gather_digit(cursor, d)) {
    }
    d.exponent -= static_cast<std::int64_t>(cursor.pos - start);
}

// The cursor is at '.'.
void read_fraction(JsonCursor& cursor, Digits& d) {
    ++cursor.pos;
    const std::size_t first_digit = cursor.pos;
    if (!d.full) {
        gather_fraction_digits(cursor, d);
    }
    skip_digits(cursor);  // those that no longer fit do not count
    if (cursor.pos == first_digit) {
        cursor.fail_at_peek(cursor.at_end() ? JsonMessage::EofWhileParsingValue
                                            : JsonMessage::InvalidNumber);
    }
    d.is_float = true;
}

// float_value() for exponents other than -1 to -308.
[[gnu::noinline]] double float_value_scaled(const JsonCursor& cursor, const Digits& d) {
    double value = static_cast<double>(d.significand);
    // The exponent arithmetic saturates at the 32-bit range.
    std::int64_t exponent = std::clamp<std::int64_t>(d.exponent, INT32_MIN, INT32_MAX);
    for (;;) {
        const std::int64_t magnitude = exponent < 0 ? -exponent : exponent;
        if (magnitude <= 308) {
            if (exponent >= 0) {
                value *= kNearestPowersOfTen[magnitude];
                if (std::isinf(value)) {
                    cursor.fail_here(JsonMessage::NumberOutOfRange);
                }
            } else {
                value /= kNearestPowersOfTen[magnitude];
            }
            break;
        }
        if (value == 0.0) {
            break;
        }
        if (exponent >= 0) {
            cursor.fail_here(JsonMessage::NumberOutOfRange);
        }
        value /= 1e308;
        exponent += 308;
    }
    return d.positive ? value : -value;
}

// f = the significand rounded to a float, then times or divided by one power of ten from the
// table; an exponent beyond the table first divides by 1e308 as often as needed. The common
// case, a fraction without an exponent (one division), is inline in the reader of every
// literal.
[[gnu::always_inline]] inline double float_value(const JsonCursor& cursor, const Digits& d) {
    if (d.exponent < 0 && d.exponent >= -308) [[likely]] {
        const double value = static_cast<double>(d.significand) / kNearestPowersOfTen[-d.exponent];
        return d.positive ? value : -value;
    }
    return float_value_scaled(cursor, d);
}

// The cursor is at 'e' or 'E'. Returns the literal's value.
double read_exponent(JsonCursor& cursor, const Digits& d) {
    ++cursor.pos;
    bool positive_exponent = true;
    if (cursor.peek_or_nul() == '+') {
        ++cursor.pos;
    } else if (cursor.peek_or_nul() == '-') {
        ++cursor.pos;
        positive_exponent = false;
    }
    if (cursor.at_end()) {
        cursor.fail_here(JsonMessage::EofWhileParsingValue);
    }
    const unsigned char first = cursor.text[cursor.pos++];
    if (!is_digit(first)) {
        cursor.fail_here(JsonMessage::InvalidNumber);
    }
    constexpr std::int64_t kMaxWritten = INT32_MAX;
    std::int64_t written = first - '0';
    while (is_digit(cursor.peek_or_nul())) {
        const std::int64_t digit = cursor.peek() - '0';
        ++cursor.pos;
        if (written * 10 + digit > kMaxWritten) {
            // An exponent beyond 32 bits: infinite unless it is negative or the digits are 0.
            if (d.significand != 0 && positive_exponent) {
                cursor.fail_here(JsonMessage::NumberOutOfRange);
            }
            skip_digits(cursor);
            return d.positive ? 0.0 : -0.0;
        }
        written = written * 10 + digit;
    }
    Digits scaled = d;
    scaled.exponent += positive_exponent ? written : -written;
    return float_value(cursor, scaled);
}

// A literal without fraction and exponent whose digits all fit.
void append_integer(const Digits& d, PodBuffer<tape::Entry>& entries) {
    if (d.positive) {
        entries.push_back(tape::make(tape::Tag::Unsigned));
        entries.push_back(d.significand);
    } else if (d.significand == 0 || d.significand > (std::uint64_t{1} << 63)) {
        // -0 and integers below the signed range become floats.
        entries.push_back(tape::double_entry(-static_cast<double>(d.significand)));
    } else {
        entries.push_back(tape::make(tape::Tag::Negative));
        entries.push_back(
            static_cast<tape::Entry>(-static_cast<std::int64_t>(d.significand - 1) - 1));
    }
}

}  // namespace

void read_number(JsonCursor& cursor, PodBuffer<tape::Entry>& entries) {
    Digits d;
    if (cursor.peek() == '-') {
        d.positive = false;
        ++cursor.pos;
    }
    if (cursor.at_end()) {
        cursor.fail_here(JsonMessage::EofWhileParsingValue);
    }
    const unsigned char first = cursor.text[cursor.pos++];
    if (first == '0') {
        if (is_digit(cursor.peek_or_nul())) {
            cursor.fail_at_peek(JsonMessage::InvalidNumber);
        }
    } else if (is_digit(first)) {
        d.significand = first - '0';
        read_integer_digits(cursor, d);
    } else {
        cursor.fail_here(JsonMessage::InvalidNumber);
    }
    if (cursor.peek_or_nul() == '.') {
        read_fraction(cursor, d);
    }
    const unsigned char next = cursor.peek_or_nul();
    if (next == 'e' || next == 'E') {
        entries.push_back(tape::double_entry(read_exponent(cursor, d)));
    } else if (d.is_float || d.full) {
        entries.push_back(tape::double_entry(float_value(cursor, d)));
    } else {
        append_integer(d, entries);
    }
}

}  // namespace quorvel
