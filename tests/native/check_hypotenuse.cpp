// Checks quorvel::hypotenuse, our own hypot: hard cases with the bits glibc 2.36's hypot gives
// on x86-64, written out so that they hold on every machine; then, where the C library is that
// one, a comparison with it over a few million pairs; the ring whose simplification hangs on
// the last bit of a distance; and the simplification guard's bound on it over a box.
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <utility>

#if defined(__GLIBC__)
#include <gnu/libc-version.h>
#endif

#include "check.h"
#include "guard_bounds.h"
#include "hypotenuse.h"
#include "smooth_and_simplify.h"

namespace {

using quorvel::hypotenuse;

std::uint64_t bits_of(double v) {
    return std::bit_cast<std::uint64_t>(v);
}

double from_bits(std::uint64_t bits) {
    return std::bit_cast<double>(bits);
}

struct Case {
    std::uint64_t x;
    std::uint64_t y;
    std::uint64_t expected;  // glibc 2.36, x86-64
    const char* what;
};

// The rows "not correctly rounded" fail a correctly rounded hypot; the next ones fail the other
// orders of the residual's sums and the other branch at h = 2y; "a product underflows" fails a
// scaling threshold near 2^-500, and "squares overflow" one above 2^511.
constexpr Case kCases[] = {
    {0x4008000000000000, 0x4010000000000000, 0x4014000000000000, "3, 4"},
    {0xc014000000000000, 0x4028000000000000, 0x402a000000000000, "-5, 12"},
    {0x6588000000000000, 0x6590000000000000, 0x6594000000000000, "3, 4 times 2^600"},
    {0x1474000000000000, 0x1475000000000000, 0x147d000000000000, "20, 21 times 2^-700"},
    {0x3ff0000000000000, 0x3ff0000000000000, 0x3ff6a09e667f3bcd, "1, 1"},
    {0x0000000000000000, 0x0000000000000000, 0x0000000000000000, "zeros"},
    {0x8000000000000000, 0x8000000000000000, 0x0000000000000000, "negative zeros give +0"},
    {0x8000000000000000, 0xc004000000000000, 0x4004000000000000, "a zero beside -2.5"},
    {0x408930c56f26e7a4, 0x4080e0d423f46550, 0x408e527cc6cf7f84, "not correctly rounded, h <= 2y"},
    {0x407ec464a1829372, 0x4073e43045f588c4, 0x4082518fc5e69d69, "not correctly rounded, h <= 2y"},
    {0x40887d9fe1674f94, 0x407b99d0a007bbb7, 0x408c1c8043177be4, "not correctly rounded, h > 2y"},
    {0x408e4e6bd8dc77bf, 0x4065e0485ca0990f, 0x408ecbbc806c1fd6, "not correctly rounded, h > 2y"},
    {0x5d34add5b7635a99, 0x5d19a0a9563cb380, 0x5d35a6189cb37554, "large, not correctly rounded"},
    {0x5d901ced1f9b5261, 0x5d901c4bcb984541, 0x5d96c914c1289877, "large, not correctly rounded"},
    {0x258dd0715496d116, 0x258b6d4b5855cda8, 0x25944161d9b263df, "small, not correctly rounded"},
    {0x202c45d6744799e0, 0x20109ccca015c31e, 0x202d77bb03c332cb, "small, not correctly rounded"},
    {0x408c8d840e681393, 0x407bbedb377de22b, 0x408fbe9a2be8d885, "order of the residual's sums"},
    {0x4087457e3ef19733, 0x4076c243b319238e, 0x4089e7988bdfaf22, "order of the residual's sums"},
    {0x4008310316a15421, 0x3ffbef13098e4299, 0x400bef13098e429a, "h = 2y exactly"},
    {0x4009abdd391f7e98, 0x3ffda488fab4f79f, 0x400da488fab4f79f, "h = 2y exactly"},
    {0x20f10cf6064a0bce, 0x20e99371096f11c9, 0x20f5503387dc8ec8, "a product underflows"},
    {0x20d16bc04657b87e, 0x20ca21a0698394c7, 0x20d5c6b057eda6a1, "a product underflows"},
    {0x5fe9fde3d3c65f8e, 0x5fe869fdfd005d24, 0x5ff1d4721081f132, "squares overflow unless scaled"},
    {0x2009fde3d3c65f8e, 0x200869fdfd005d24, 0x2011d4721081f132, "the same, 2^-1022 times"},
    {0x3ff0000000400000, 0x3e40000000400000, 0x3ff0000000400000, "ratio 2^-27: the larger"},
    {0x3ff0000000000000, 0x3e40000000000001, 0x3ff0000000000000, "just above the ratio 2^-27"},
    {0x3ff39ac82c8410c3, 0x3e5ad09e446bf682, 0x3ff39ac82c8410c4, "ratio 2^-26: above the larger"},
    {0x7fe6a09e667f3bcc, 0x7fe6a09e667f3bcc, 0x7fefffffffffffff,
     "largest equal pair not to overflow"},
    {0x7fe6a09e667f3bcd, 0x7fe6a09e667f3bcd, 0x7ff0000000000000, "the next one overflows"},
    {0x7fefffffffffffff, 0x7fefffffffffffff, 0x7ff0000000000000, "largest pair"},
    {0x7fefffffffffffff, 0x3ff0000000000000, 0x7fefffffffffffff, "largest beside 1"},
    {0x7fefffffffffffff, 0x7e70000000000000, 0x7ff0000000000000, "largest beside 2^1000"},
    {0x0000000000000001, 0x0000000000000001, 0x0000000000000001, "smallest subnormals"},
    {0x0000000000000003, 0x0000000000000004, 0x0000000000000005, "3, 4 times 2^-1074"},
    {0x0002c12963c2014b, 0x000802232d799083, 0x00087805749d6b42, "subnormal, rounded twice"},
    {0x000154ce9e8f2d7d, 0x00070818447f3195, 0x00072812a338e150, "subnormal, rounded twice"},
    {0x000f220f6efd4595, 0x000c28d4dd51ec25, 0x001369b6ef21ff49, "subnormals, normal result"},
    {0x000fffffffffffff, 0x000fffffffffffff, 0x0016a09e667f3bcb, "largest subnormals"},
    {0x000fffffffffffff, 0x0010000000000000, 0x0016a09e667f3bcc, "beside the smallest normal"},
    {0x017641e2180f3036, 0x000e5ac9c43b9259, 0x017641e2180f3080, "normal beside subnormal"},
};

// Every case with either sign on either side, in either order.
void check_cases() {
    for (const Case& c : kCases) {
        for (int variant = 0; variant < 8; ++variant) {
            double x = from_bits(c.x ^ ((variant & 1) != 0 ? std::uint64_t{1} << 63 : 0));
            double y = from_bits(c.y ^ ((variant & 2) != 0 ? std::uint64_t{1} << 63 : 0));
            if ((variant & 4) != 0) {
                std::swap(x, y);
            }
            const std::string what =
                std::string(c.what) + " (variant " + std::to_string(variant) + ")";
            check::expect(bits_of(hypotenuse(x, y)) == c.expected, what.c_str());
        }
    }
}

void check_infinities_and_nans() {
    const double inf = std::numeric_limits<double>::infinity();
    const double quiet = std::numeric_limits<double>::quiet_NaN();
    const double signalling = std::numeric_limits<double>::signaling_NaN();
    for (const double other : {0.0, -1.0, 1e308, 5e-324, inf, -inf, quiet, -quiet}) {
        check::expect(hypotenuse(inf, other) == inf, "inf beside anything but a signalling NaN");
        check::expect(hypotenuse(other, -inf) == inf, "-inf beside anything but a signalling NaN");
    }
    for (const double other : {0.0, -1.0, 1e308, 5e-324, quiet}) {
        check::expect(std::isnan(hypotenuse(quiet, other)), "NaN beside a finite number");
        check::expect(std::isnan(hypotenuse(other, -quiet)), "NaN beside a finite number");
    }
    check::expect(std::isnan(hypotenuse(inf, signalling)), "inf beside a signalling NaN");
    check::expect(std::isnan(hypotenuse(signalling, -inf)), "inf beside a signalling NaN");
}

// The ring of the report that brought this function: its first run goes from the first point to
// itself, so its distances are hypotenuses to the start. The farthest, 669.1863223566969, is one
// ulp below the correctly rounded root (a naive sqrt(dx² + dy²) gives it too), and at exactly
// that tolerance the ring must not split there.
void check_ring() {
    const quorvel::Ring ring{{211.035, 922.333},
                             {140.869, 222.971},
                             {614.395, 230.071},
                             {839.958, 358.828},
                             {211.035, 922.333}};
    const quorvel::Ring smoothed = quorvel::cut_corners(quorvel::cut_corners(ring));
    check::expect(smoothed.size() == 17, "ring: 17 points after smoothing");
    const quorvel::Coordinate start = smoothed[0];
    double farthest = 0;
    double farthest_naive = 0;
    for (std::size_t i = 1; i + 1 < smoothed.size(); ++i) {
        const double dx = start.x - smoothed[i].x;
        const double dy = start.y - smoothed[i].y;
        farthest = std::fmax(farthest, hypotenuse(dx, dy));
        farthest_naive = std::fmax(farthest_naive, std::sqrt(dx * dx + dy * dy));
    }
    check::expect(bits_of(farthest) == 0x4084e97d96936437, "ring: farthest first-run distance");
    check::expect(bits_of(farthest_naive) == 0x4084e97d96936438,
                  "ring: the naive root, one ulp up");
    check::expect(quorvel::simplify_ring(smoothed, farthest).size() == 2,
                  "ring: two positions at the farthest distance");
}

// splitmix64: a small generator that gives the same pairs everywhere.
std::uint64_t next_random(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9e3779b97f4a7c15);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9;
    z = (z ^ (z >> 27)) * 0x94d049bb133111eb;
    return z ^ (z >> 31);
}

// A finite double with the given exponent field (0 to 2046), random significand and sign.
double in_binade(std::uint64_t& state, std::int64_t field) {
    field = field < 0 ? 0 : (field > 2046 ? 2046 : field);
    const std::uint64_t r = next_random(state);
    return from_bits((r & (std::uint64_t{1} << 63)) | (static_cast<std::uint64_t>(field) << 52) |
                     (r & ((std::uint64_t{1} << 52) - 1)));
}

bool library_is_the_reference() {
#if defined(__GLIBC__) && defined(__x86_64__)
    return std::string(gnu_get_libc_version()) == "2.36";
#else
    return false;
#endif
}

// Against the library itself: exponents over the whole range, independent, then at most three
// binades apart (the common case), then up to 60 apart (across the ratio 2^27).
void compare_with_library() {
    if (!library_is_the_reference()) {
        std::printf("comparison with the C library's hypot skipped: not glibc 2.36 on x86-64\n");
        return;
    }
    constexpr int kPairsPerKind = 1000000;
    std::uint64_t state = 20190424;
    int mismatches = 0;
    for (int kind = 0; kind < 3; ++kind) {
        for (int i = 0; i < kPairsPerKind; ++i) {
            const std::int64_t field = static_cast<std::int64_t>(next_random(state) % 2047);
            const std::uint64_t r = next_random(state);
            const std::int64_t other = kind == 0   ? static_cast<std::int64_t>(r % 2047)
                                       : kind == 1 ? field + static_cast<std::int64_t>(r % 7) - 3
                                                   : field - static_cast<std::int64_t>(r % 61);
            const double x = in_binade(state, field);
            const double y = in_binade(state, other);
            if (bits_of(hypotenuse(x, y)) != bits_of(::hypot(x, y)) && ++mismatches <= 5) {
                std::fprintf(stderr, "mismatch: x=%016llx y=%016llx\n",
                             static_cast<unsigned long long>(bits_of(x)),
                             static_cast<unsigned long long>(bits_of(y)));
            }
        }
    }
    check::expect(mismatches == 0, "the same bits as the C library's hypot");
    std::printf("compared with the C library's hypot: %d pairs, %d mismatches\n", 3 * kPairsPerKind,
                mismatches);
}

}  // namespace

// The guard's bound on hypot over |a| <= U, |b| <= V is at least hypot(U, V), the largest of
// them, whatever the limit it is asked against: for U and V of every size, the larger most
// often above 2^500 or below 2^-450, where the cheap bound is worked out on scaled values.
void check_guard_bound() {
    std::mt19937_64 engine(20261208);
    std::uniform_int_distribution<int> exponent(-1074, 1023);
    std::uniform_int_distribution<int> high_exponent(480, 1023);
    std::uniform_int_distribution<int> low_exponent(-1030, -440);
    std::uniform_int_distribution<int> apart(0, 80);
    std::uniform_real_distribution<double> mantissa(1.0, 2.0);
    int failures = 0;
    for (int k = 0; k < 2'000'000; ++k) {
        const int larger = k % 4 == 0   ? exponent(engine)
                           : k % 4 == 1 ? low_exponent(engine)
                                        : high_exponent(engine);
        const double u = std::ldexp(mantissa(engine), larger);
        const double v = std::ldexp(mantissa(engine), k % 3 == 0 ? larger : larger - apart(engine));
        if (!std::isfinite(u) || !std::isfinite(v)) {
            continue;
        }
        const double exact = hypotenuse(u, v);
        constexpr double kInfinity = std::numeric_limits<double>::infinity();
        for (const double limit :
             {0.0, exact * (1 - 0x1p-40), std::nextafter(exact, 0.0), exact,
              std::nextafter(exact, kInfinity), exact * (1 + 0x1p-45), kInfinity}) {
            if (!(quorvel::guard_bounds::hypot_bound(u, v, limit) >= exact) ||
                !(quorvel::guard_bounds::hypot_bound(v, u, limit) >= exact)) {
                ++failures;
            }
        }
    }
    check::expect(failures == 0, "the guard's bound on hypot below the hypot of its corner");
}

int main() {
    check_cases();
    check_guard_bound();
    check_infinities_and_nans();
    check_ring();
    compare_with_library();
    return check::status();
}
