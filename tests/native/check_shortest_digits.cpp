// Checks quorvel::write_shortest against the digits of fmt's own Dragonbox (to_decimal, which
// removes trailing zeros itself) laid out by the rules of number_text.h, written plainly here:
// the writer finds the digits on a path of its own and drops their trailing zeros without a
// loop, and the two must agree on every double. Several million values of the kinds a result
// holds: any bit pattern, short binary fractions (smoothed coordinates), few decimal digits,
// integers up to 17 digits, every group of four digits in each place, powers of two,
// subnormals and the layout's boundaries.
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <string>

#define FMT_HEADER_ONLY
#define FMT_USE_FULL_CACHE_DRAGONBOX 1
#include <fmt/format.h>

#include "check.h"
#include "number_text.h"

namespace {

// fmt's digits D (n of them) and exponent k of the value, laid out by e = n + k as
// number_text.h describes.
std::string reference_text(double value) {
    std::string text = std::signbit(value) ? "-" : "";
    value = std::fabs(value);
    if (value == 0.0) {
        return text + "0.0";
    }
    const auto decimal = fmt::detail::dragonbox::to_decimal(value);
    const std::string digits = std::to_string(decimal.significand);
    const int n = static_cast<int>(digits.size());
    const int k = decimal.exponent;
    const int e = n + k;
    if (k >= 0 && e <= 16) {
        return text + digits + std::string(static_cast<std::size_t>(k), '0') + ".0";
    }
    if (1 <= e && e <= 16) {
        return text + digits.substr(0, e) + "." + digits.substr(e);
    }
    if (-4 <= e && e <= 0) {
        return text + "0." + std::string(static_cast<std::size_t>(-e), '0') + digits;
    }
    text += digits.substr(0, 1);
    if (n > 1) {
        text += "." + digits.substr(1);
    }
    return text + "e" + std::to_string(e - 1);
}

long compared = 0;
long differing = 0;

void compare(double value) {
    if (!std::isfinite(value)) {
        return;
    }
    ++compared;
    char out[quorvel::kShortestRoom];
    const std::string written(out, quorvel::write_shortest(out, value));
    const std::string expected = reference_text(value);
    if (written != expected && ++differing <= 10) {
        std::fprintf(stderr, "%a: wrote %s, expected %s\n", value, written.c_str(),
                     expected.c_str());
    }
}

void compare_boundaries() {
    const double kValues[] = {
        0.0,
        -0.0,
        1.0,
        3.0,
        100.5,
        0.00001,
        1e-6,
        0.0001234,
        9999999999999998.0,
        1e16,
        1e15,
        1.2345678901234568e17,
        5e-324,
        2.2250738585072014e-308,
        1.7976931348623157e308,
        0.1,
        0.3,
        2.0 / 3.0,
        123456789012345680.0,
        1e22,
        1e23,
        10000000000000002.0,
        1e-5,
        1.5e-5,
        12345678901234567.0,
        1000000000000000.1,
    };
    for (const double value : kValues) {
        compare(value);
        compare(-value);
        compare(std::nextafter(value, 0.0));
        compare(std::nextafter(value, std::numeric_limits<double>::infinity()));
    }
    for (int exponent = -1074; exponent <= 1023; ++exponent) {
        compare(std::ldexp(1.0, exponent));
        compare(std::ldexp(1.5, exponent));
    }
    // Every group of four digits in each of the four places that the digits are made in.
    for (int group = 0; group < 10000; ++group) {
        for (const double place : {1.0, 1e4, 1e8, 1e12}) {
            compare(1e15 + group * place);
            compare(group * place + 0.5);
        }
    }
    for (int power = -324; power <= 308; ++power) {
        compare(std::pow(10.0, power));
        compare(3 * std::pow(10.0, power));
    }
}

void compare_random(long rounds) {
    std::mt19937_64 random(20261207);
    for (long i = 0; i < rounds; ++i) {
        const std::uint64_t r = random();
        const std::uint64_t s = random();
        compare(std::bit_cast<double>(r));
        compare(std::bit_cast<double>(r & 0x800FFFFFFFFFFFFFULL));  // subnormal
        compare(static_cast<double>(static_cast<std::int64_t>(r) >> (s % 64)) /
                std::ldexp(1.0, static_cast<int>(s >> 58)));  // short binary fractions
        compare(static_cast<double>(r % 100000000) * 1e-6);
        compare(static_cast<double>(r % 100000000000000000ULL));
        compare(static_cast<double>(r % 1000000) * std::pow(10.0, static_cast<int>(s % 48) - 24));
    }
}

}  // namespace

int main() {
    compare_boundaries();
    compare_random(500000);
    std::printf("%ld values compared, %ld differ\n", compared, differing);
    check::expect(differing == 0, "write_shortest gives fmt's digits in the layout");
    return check::status();
}
