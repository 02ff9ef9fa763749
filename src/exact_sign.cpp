// Exact signs by filter and expansion arithmetic (exact_sign.h).
//
// An expansion is a sum of doubles ordered by magnitude whose bits do not overlap; its sign is
// the sign of its largest term. two_sum, two_difference and two_product give a result and its
// rounding error exactly, as two doubles, so that differences and products of doubles become
// expansions without loss. two_sum is exact for all finite operands; two_product (Dekker's
// split, no fused multiply-add) is exact while no part of it overflows or underflows, which
// the range check keeps: every factor is zero or lies in [2^-440, 2^440], so that the halves of
// the split factors are zero or at least 2^-492 and every partial product is a normal double
// below 2^881. Both signs are of polynomials homogeneous in the points (and, for a step, in
// the direction on its own), so coordinates out of that range are first scaled by a power of
// two, which changes no sign, wherever that scaling is exact.
#include "exact_sign.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace quorvel {
namespace {

constexpr double kEpsilon = 0x1p-53;
constexpr double kSmallestFactor = 0x1p-440;
constexpr double kLargestFactor = 0x1p440;

bool in_range(double value) {
    const double size = std::fabs(value);
    return size == 0.0 || (size >= kSmallestFactor && size <= kLargestFactor);
}

struct Pair {
    double high;
    double low;
};

Pair two_sum(double a, double b) {
    const double sum = a + b;
    const double b_part = sum - a;
    const double a_part = sum - b_part;
    return {sum, (a - a_part) + (b - b_part)};
}

Pair two_difference(double a, double b) {
    return two_sum(a, -b);
}

Pair split(double a) {
    const double c = 0x1p27 + 1.0;
    const double big = c * a;
    const double high = big - (big - a);
    return {high, a - high};
}

Pair two_product(double a, double b) {
    const double product = a * b;
    const Pair sa = split(a);
    const Pair sb = split(b);
    const double error = product - sa.high * sb.high - sa.low * sb.high - sa.high * sb.low;
    return {product, sa.low * sb.low - error};
}

// A growing expansion of up to Capacity terms.
template <std::size_t Capacity>
class Expansion {
  public:
    // Adds `value` exactly (Shewchuk's grow-expansion with zero elimination).
    void add(double value) {
        std::size_t kept = 0;
        double carry = value;
        for (std::size_t i = 0; i < count_; ++i) {
            const Pair sum = two_sum(carry, terms_[i]);
            carry = sum.high;
            if (sum.low != 0.0) {
                terms_[kept++] = sum.low;
            }
        }
        if (carry != 0.0) {
            terms_[kept++] = carry;
        }
        count_ = kept;
    }
    void add(Pair pair) {
        add(pair.low);
        add(pair.high);
    }
    // The terms summed in floating point, smallest first.
    double approximate() const {
        double sum = 0.0;
        for (std::size_t i = 0; i < count_; ++i) {
            sum += terms_[i];
        }
        return sum;
    }
    Sign sign() const {
        if (count_ == 0) {
            return Sign::Zero;
        }
        return terms_[count_ - 1] > 0.0 ? Sign::Positive : Sign::Negative;
    }

  private:
    std::array<double, Capacity> terms_{};
    std::size_t count_ = 0;
};

Sign sign_of(double value) {
    return value > 0.0 ? Sign::Positive : value < 0.0 ? Sign::Negative : Sign::Zero;
}

// p * q exactly, for p and q given as pairs: four products, eight terms.
template <std::size_t Capacity>
void add_product(Expansion<Capacity>& sum, Pair p, Pair q, double sign) {
    sum.add(two_product(sign * p.high, q.high));
    sum.add(two_product(sign * p.high, q.low));
    sum.add(two_product(sign * p.low, q.high));
    sum.add(two_product(sign * p.low, q.low));
}

bool pair_in_range(Pair p) {
    return in_range(p.high) && in_range(p.low);
}

// The sign of a product whose factors' signs are known exactly (a rounded difference has the
// sign of the exact one, and is zero only when it is).
Sign sign_of_product(double a, double b) {
    return sign_of(sign_of(a) == Sign::Zero || sign_of(b) == Sign::Zero ? 0.0
                   : (a > 0.0) == (b > 0.0)                             ? 1.0
                                                                        : -1.0);
}

Sign negated(Sign sign) {
    return sign == Sign::Positive ? Sign::Negative : sign == Sign::Negative ? Sign::Positive : sign;
}

// The sign of first - second where each is a product whose factors' signs are exact, when one
// product is exactly zero.
Sign sign_with_a_zero_product(double first_a, double first_b, double second_a, double second_b) {
    const Sign first = sign_of_product(first_a, first_b);
    const Sign second = sign_of_product(second_a, second_b);
    if (first == Sign::Zero) {
        return negated(second);
    }
    if (second == Sign::Zero) {
        return first;
    }
    return Sign::Unknown;
}

// 2^k for k in [-1022, 1023], from its bits.
double power_of_two(int k) {
    return std::bit_cast<double>(static_cast<std::uint64_t>(k + 1023) << 52);
}

// Multiplication by `factor` and back by `inverse`, powers of two.
struct Scaling {
    double factor;
    double inverse;
};

// The scaling that brings `largest`, a magnitude, into [1, 2), or as near as a normal factor
// reaches (from 2^1023 on into [2, 4), below 2^-1022 to below 1); none where it is zero or not
// finite.
inline std::optional<Scaling> scaling_of(double largest) {
    const int exponent =
        static_cast<int>((std::bit_cast<std::uint64_t>(largest) >> 52) & 0x7ff) - 1023;
    if (exponent >= -1022 && exponent <= 1022) {
        return Scaling{power_of_two(-exponent), power_of_two(exponent)};
    }
    // Zero and the subnormals read as -1023, infinity and NaN as 1024.
    if (largest == 0.0 || exponent > 1023) {
        return std::nullopt;
    }
    const int shift = exponent < 0 ? -1022 : 1022;
    return Scaling{power_of_two(-shift), power_of_two(shift)};
}

// Scaling back up restores every value unless scaling down sent it among the subnormals and
// lost its low bits (or it is NaN).
bool scales_exactly(double value, double scaled, Scaling scaling) {
    return scaled * scaling.inverse == value;
}

// Scales the values by scaling_of() their largest magnitude; false, leaving them as they were,
// where there is no such scaling or one value would not scale exactly.
template <std::size_t N>
bool scale_exactly(std::array<double, N>& values) {
    double largest = 0.0;
    for (const double value : values) {
        largest = std::max(largest, std::fabs(value));
    }
    const std::optional<Scaling> scaling = scaling_of(largest);
    if (!scaling) {
        return false;
    }
    std::array<double, N> scaled{};
    for (std::size_t i = 0; i < N; ++i) {
        scaled[i] = values[i] * scaling->factor;
        if (!scales_exactly(values[i], scaled[i], *scaling)) {
            return false;
        }
    }
    values = scaled;
    return true;
}

Sign step_along_in_range(Coordinate f, Coordinate a, Coordinate b) {
    const double x_step = b.x - a.x;
    const double y_step = b.y - a.y;
    const Sign with_zero = sign_with_a_zero_product(f.x, x_step, -f.y, y_step);
    if (with_zero != Sign::Unknown) {
        return with_zero;
    }
    const Pair x = two_difference(b.x, a.x);
    const Pair y = two_difference(b.y, a.y);
    if (!in_range(f.x) || !in_range(f.y) || !pair_in_range(x) || !pair_in_range(y)) {
        return Sign::Unknown;
    }
    Expansion<16> sum;
    add_product(sum, {f.x, 0.0}, x, 1.0);
    add_product(sum, {f.y, 0.0}, y, 1.0);
    return sum.sign();
}

Sign turn_in_range(Coordinate a, Coordinate b, Coordinate c) {
    const double left = (b.x - a.x) * (c.y - a.y);
    const double right = (b.y - a.y) * (c.x - a.x);
    const Sign with_zero = sign_with_a_zero_product(b.x - a.x, c.y - a.y, b.y - a.y, c.x - a.x);
    if (with_zero != Sign::Unknown) {
        return with_zero;
    }
    const Pair bx = two_difference(b.x, a.x);
    const Pair by = two_difference(b.y, a.y);
    const Pair cx = two_difference(c.x, a.x);
    const Pair cy = two_difference(c.y, a.y);
    if (!pair_in_range(bx) || !pair_in_range(by) || !pair_in_range(cx) || !pair_in_range(cy)) {
        return Sign::Unknown;
    }
    // Shewchuk's adaptive stages: the products of the rounded differences exactly, then with
    // the differences' rounding errors to first order under an error bound, then everything.
    Expansion<4> rounded;
    rounded.add(two_product(bx.high, cy.high));
    rounded.add(two_product(-by.high, cx.high));
    if (bx.low == 0.0 && by.low == 0.0 && cx.low == 0.0 && cy.low == 0.0) {
        return rounded.sign();
    }
    const double size = std::fabs(left) + std::fabs(right);
    double estimate = rounded.approximate();
    const double bound_c = (9.0 + 64.0 * kEpsilon) * kEpsilon * kEpsilon * size +
                           (3.0 + 8.0 * kEpsilon) * kEpsilon * std::fabs(estimate);
    estimate += (bx.high * cy.low + cy.high * bx.low) - (by.high * cx.low + cx.high * by.low);
    if (std::fabs(estimate) > bound_c) {
        return sign_of(estimate);
    }
    Expansion<32> sum;
    add_product(sum, bx, cy, 1.0);
    add_product(sum, by, cx, -1.0);
    return sum.sign();
}

}  // namespace

Sign exact_sign::step_along_exactly(Coordinate f, Coordinate a, Coordinate b) {
    const Sign sign = step_along_in_range(f, a, b);
    if (sign != Sign::Unknown) {
        return sign;
    }
    std::array<double, 2> direction{f.x, f.y};
    std::array<double, 4> points{a.x, a.y, b.x, b.y};
    if (!scale_exactly(direction) || !scale_exactly(points)) {
        return Sign::Unknown;
    }
    // Scaled, the products no longer underflow: the filter may decide.
    const Coordinate sf{direction[0], direction[1]};
    const Coordinate sa{points[0], points[1]};
    const Coordinate sb{points[2], points[3]};
    const Sign quick = filtered_step_along(sf, sa, sb);
    return quick != Sign::Unknown ? quick : step_along_in_range(sf, sa, sb);
}

namespace {

// The sign of the turn with the coordinates scaled by a power of two (scale_exactly), where
// the scaling is exact; else Unknown.
Sign scaled_turn(Coordinate a, Coordinate b, Coordinate c) {
    std::array<double, 6> points{a.x, a.y, b.x, b.y, c.x, c.y};
    if (!scale_exactly(points)) {
        return Sign::Unknown;
    }
    const Coordinate sa{points[0], points[1]};
    const Coordinate sb{points[2], points[3]};
    const Coordinate sc{points[4], points[5]};
    const Sign quick = exact_sign::filtered_turn(sa, sb, sc);
    return quick != Sign::Unknown ? quick : turn_in_range(sa, sb, sc);
}

// Rings whose largest coordinate lies in this range of exponents get no scaled copy: the filter
// decides their turns as they are.
constexpr int kSmallestExponentUnscaled = -400;
constexpr int kLargestExponentUnscaled = 400;

}  // namespace

Sign exact_sign::turn_exactly(Coordinate a, Coordinate b, Coordinate c) {
    // Each way gives the exact sign or none, so the order only changes the cost: where the
    // products of the differences are beyond the filter's range, as near the top of the
    // doubles, the differences are beyond the expansions' too, and only scaled can the sign
    // be had, mostly by the filter.
    const double left = (b.x - a.x) * (c.y - a.y);
    const double right = (b.y - a.y) * (c.x - a.x);
    const bool too_large = !(std::fabs(left) + std::fabs(right) <= 0x1p1000);
    const Sign first = too_large ? scaled_turn(a, b, c) : turn_in_range(a, b, c);
    if (first != Sign::Unknown) {
        return first;
    }
    return too_large ? turn_in_range(a, b, c) : scaled_turn(a, b, c);
}

void ScaledForTurns::reset(std::span<const Coordinate> points, double largest) {
    points_ = points;
    scaled_.clear();
    state_ = State::None;
    below_range_ = false;
    const std::optional<Scaling> scaling = scaling_of(largest);
    if (!scaling) {
        return;
    }
    const int exponent = std::ilogb(largest);
    if (exponent >= kSmallestExponentUnscaled && exponent <= kLargestExponentUnscaled) {
        return;
    }
    factor_ = scaling->factor;
    inverse_ = scaling->inverse;
    state_ = State::Unmade;
    below_range_ = exponent < kSmallestExponentUnscaled;
}

const Coordinate* ScaledForTurns::made() const {
    // Made once: a ring that fails to scale exactly is not tried again.
    state_ = State::None;
    scaled_.resize(points_.size());
    const Scaling scaling{factor_, inverse_};
    for (std::size_t i = 0; i < points_.size(); ++i) {
        const Coordinate c = points_[i];
        scaled_[i] = {c.x * factor_, c.y * factor_};
        if (!scales_exactly(c.x, scaled_[i].x, scaling) ||
            !scales_exactly(c.y, scaled_[i].y, scaling)) {
            scaled_.clear();
            return nullptr;
        }
    }
    state_ = State::Made;
    return scaled_.data();
}

}  // namespace quorvel
