// Our own hypot, so that distances carry the same bits on every machine: the algorithm of
// C. F. Borges, "An Improved Algorithm for hypot(a,b)" (2019), in its variant without fused
// multiply-add. The square root of the rounded sum of squares is corrected by one Newton step
// whose residual h² − x² − y² is written so that its terms cancel without an exact product. Its
// branch and the order of its sums are the ones that give, bit for bit, what glibc 2.36's hypot
// gives on x86-64 (tools/verify_hypotenuse.cpp compares the two); every other order we tried
// differs in the last bit of some pairs. The result is correctly rounded but for about 0.6% of
// pairs, whose root lies within a tenth of an ulp of a halfway point.
#include "hypotenuse.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <utility>

namespace quorvel {
namespace {

// For y ≤ x·2⁻²⁷ the root is x·(1 + ε) with ε ≤ 2⁻⁵⁵, under a quarter of an ulp of x, and the
// corrected root below rounds to x as well: x is the result. Comparing y·2²⁷ with x is exact.
constexpr double kNegligibleRatio = 0x1p27;

// Scaling by a power of two changes no bit of the corrected root as long as no product in it
// overflows or falls below the normal range (a sum that small is exact anyway). With x/y ≤ 2²⁷
// the products lie between about y²·2⁻⁵⁷ and 2x², so x ≤ 2⁴⁰⁰ and y ≥ 2⁻⁴⁰⁰ keep them within
// [2⁻⁸⁵⁷, 2⁸⁰¹]. Larger pairs are scaled down by 2⁻⁷⁰⁰ (then x ≤ 2³²⁴ and y > 2⁻³²⁷), pairs with
// a smaller y up by 2⁷⁰⁰ (then y ≥ 2⁻³⁷⁴, subnormals included, and x < 2³²⁷); the result is
// scaled back with its only rounding, to infinity or to a subnormal, where the library's has it.
constexpr double kLarge = 0x1p400;
constexpr double kSmall = 0x1p-400;
constexpr double kScaleDown = 0x1p-700;
constexpr double kScaleUp = 0x1p700;

bool is_signalling_nan(double v) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    constexpr std::uint64_t kQuietBit = std::uint64_t{1} << 51;
    return std::isnan(v) && (bits & kQuietBit) == 0;
}

// sqrt(x² + y²) for x ≥ y > 0 within the bounds above. d = h − y (when h ≤ 2y) or d = h − x
// (otherwise) is exact, h lying within a factor of two of y or of x, and the residual is
// h² − x² − y² expanded around y + d or x + d. The library takes the first branch when h = 2y.
double corrected_root(double x, double y) {
    const double h = std::sqrt(x * x + y * y);
    double residual = 0.0;
    if (h <= 2.0 * y) {
        const double d = h - y;
        residual = x * (2.0 * d - x) + (d - 2.0 * (x - y)) * d;
    } else {
        const double d = h - x;
        residual = 2.0 * d * (x - 2.0 * y) + ((4.0 * d - y) * y + d * d);
    }
    return h - residual / (2.0 * h);
}

}  // namespace

double hypotenuse(double x, double y) {
    double ax = std::fabs(x);
    double ay = std::fabs(y);
    if (std::isinf(ax) || std::isinf(ay)) {
        // Infinite even beside a quiet NaN (IEEE 754); a signalling NaN gives a NaN.
        if (is_signalling_nan(x) || is_signalling_nan(y)) {
            return x + y;
        }
        return std::numeric_limits<double>::infinity();
    }
    if (std::isnan(ax) || std::isnan(ay)) {
        return x + y;  // the NaN argument, quieted, sign and payload kept
    }
    if (ax < ay) {
        std::swap(ax, ay);
    }
    if (ay * kNegligibleRatio <= ax) {
        return ax;  // zeros included
    }
    if (ax > kLarge) {
        return corrected_root(ax * kScaleDown, ay * kScaleDown) * kScaleUp;
    }
    if (ay < kSmall) {
        return corrected_root(ax * kScaleUp, ay * kScaleUp) * kScaleDown;
    }
    return corrected_root(ax, ay);
}

}  // namespace quorvel
