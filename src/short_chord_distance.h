// The distance to a chord whose squared length lies below the normal doubles, the very double
// that DistanceToSegment gives, computed without subnormal numbers; and the products that the
// guard's bounds form from the chord's steps, likewise. Every product of a point's two
// numerators is subnormal there, and processors take several times longer over each: near
// 1e-160, 20 ns a point against 5 ns here, on the machine where this was written.
//
// Why the doubles are the same. Scaling by 2^537 is exact wherever the scaled value is finite,
// a subnormal difference included; so a product of a point's difference from the start and a
// step of the chord (each step below 2^-511, as len2 is below 2^-1022), both scaled, is the
// exact product times 2^1074. The doubles round a product below 2^-1022 to a multiple of
// 2^-1074, half to even, and a larger one to 53 bits; scaled, to an integer below 2^52. Where
// the scaled product rounded to 53 bits, p, lies below 2^51, adding and taking away 1.5 2^52
// rounds it to an integer (the sum's last bit is its units). The two roundings agree with one
// except where p is a half-integer, as no rounding to 53 bits carries a product past one (each
// is a double); there fma() gives the exact remainder, whose sign tells the side. Where p is
// 2^51 or more, infinite or not a number (a difference scaled past the doubles included), the
// point is measured as DistanceToSegment measures it. The sum of two rounded products below
// 2^51 is exact, as the unscaled sum, below 2^-1022, is; and its quotient by len2 times 2^1074
// (exact, below 2^52) is the same quotient. Only the signs of zeros may differ, which neither
// the comparisons of r with 0 and 1 nor |q| read.
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

#include "hypotenuse.h"
#include "polygon_model.h"
#include "segment_distance.h"

namespace quorvel {

class DistanceToShortChord {
  public:
    // The factor of every difference; products and squared lengths take its square.
    static constexpr double kScale = 0x1p537;
    // Adding this to a number below 2^51 and taking it away again rounds the number to an
    // integer: the sum has no bits below the units.
    static constexpr double kToIntegers = 0x1.8p52;

    // The measure for `distance`'s chord where its squared length is positive and below the
    // normal doubles, else none.
    static std::optional<DistanceToShortChord> over(const DistanceToSegment& distance) {
        if (distance.degenerate() || !measures(distance.len2())) {
            return std::nullopt;
        }
        return DistanceToShortChord(distance);
    }
    // The same for the chord from `s` to `e`, its squared length tested before the chord's
    // length, a square root, is worked out: for callers with no DistanceToSegment at hand, most
    // of whose chords are not short.
    static std::optional<DistanceToShortChord> between(Coordinate s, Coordinate e) {
        if (!measures(chord_len2(s, e))) {
            return std::nullopt;
        }
        return over(DistanceToSegment(s, e));
    }

    double operator()(Coordinate p) const {
        const double x = p.x - plain_.start().x;
        const double y = p.y - plain_.start().y;
        const std::optional<double> r_x = product_with_step(x, dx_);
        const std::optional<double> r_y = product_with_step(y, dy_);
        if (!r_x || !r_y) {
            return plain_(p);
        }
        // r = along / len2 is at most 0 exactly where `along` is, and at least 1 exactly where
        // `along` is at least len2: both are whole numbers below 2^52, so a quotient in (0, 1)
        // lies at least 2^-52 from either end, beyond its rounding.
        const double along = *r_x + *r_y;
        if (along <= 0.0) {
            return hypotenuse(plain_.start().x - p.x, plain_.start().y - p.y);
        }
        if (along >= len2_) {
            return hypotenuse(plain_.end().x - p.x, plain_.end().y - p.y);
        }
        // s - p is exactly -(p - s).
        const std::optional<double> q_y = product_with_step(-y, dx_);
        const std::optional<double> q_x = product_with_step(-x, dy_);
        if (!q_y || !q_x) {
            return plain_(p);
        }
        return std::fabs((*q_y - *q_x) / len2_) * plain_.length();
    }

    // operator()'s distances for the points at `xs`, `ys` (a GCC vector of doubles each, `Mask`
    // the vector of 64-bit integers its comparisons give), lane by lane, for the points on the
    // line's branch: the same operations on each lane, so the same doubles. `elsewhere` is set in
    // the lanes that operator() must measure: a point on an end's branch, or one with a product
    // from 2^51 on, not a number, or on a half, whose rounding takes the remainder.
    template <class Lanes, class Mask>
    [[gnu::always_inline]] Lanes line_lanes(const Lanes& xs, const Lanes& ys,
                                            Mask& elsewhere) const {
        const Lanes x = xs - plain_.start().x;
        const Lanes y = ys - plain_.start().y;
        Mask odd{};
        const Lanes along = products_with_step(x, dx_, odd) + products_with_step(y, dy_, odd);
        const Lanes q_y = products_with_step(-y, dx_, odd);
        const Lanes q_x = products_with_step(-x, dy_, odd);
        elsewhere = odd | (along <= 0.0) | (along >= len2_);
        return magnitudes<Lanes, Mask>((q_y - q_x) / len2_) * plain_.length();
    }

    // The chord's steps and squared length, scaled.
    double scaled_dx() const { return dx_; }
    double scaled_dy() const { return dy_; }
    double scaled_len2() const { return len2_; }

    // The product of a difference and a scaled step, as the doubles round the unscaled product,
    // scaled; none from 2^51 on.
    static std::optional<double> product_with_step(double difference, double scaled_step) {
        const double a = difference * kScale;
        const double b = scaled_step;
        const double p = a * b;
        if (!(std::fabs(p) < 0x1p51)) {
            return std::nullopt;
        }
        const double rounded = (p + kToIntegers) - kToIntegers;
        if (std::fabs(p - rounded) == 0.5) [[unlikely]] {
            const double remainder = std::fma(a, b, -p);
            if (remainder != 0.0) {
                return remainder > 0.0 ? p + 0.5 : p - 0.5;
            }
        }
        return rounded;
    }

  private:
    // product_with_step() lane by lane, where it rounds to an integer; `odd` is set where it
    // would not (from 2^51 on, or not a number) or might take the remainder (on a half).
    template <class Lanes, class Mask>
    [[gnu::always_inline]] static Lanes products_with_step(const Lanes& differences,
                                                           double scaled_step, Mask& odd) {
        const Lanes p = (differences * kScale) * scaled_step;
        const Lanes rounded = (p + kToIntegers) - kToIntegers;
        const Lanes off = p - rounded;
        odd |= ~(magnitudes<Lanes, Mask>(p) < 0x1p51) | (off == 0.5) | (off == -0.5);
        return rounded;
    }

    // |v| lane by lane, the sign bit cleared as std::fabs() clears it.
    template <class Lanes, class Mask>
    [[gnu::always_inline]] static Lanes magnitudes(const Lanes& v) {
        constexpr std::int64_t kAllButSign = std::numeric_limits<std::int64_t>::max();
        return std::bit_cast<Lanes>(std::bit_cast<Mask>(v) & kAllButSign);
    }

    // Whether a chord of squared length `len2` is one to measure (a degenerate chord's is 0 or
    // NaN).
    static bool measures(double len2) { return len2 > 0.0 && len2 < 0x1p-1022; }

    explicit DistanceToShortChord(const DistanceToSegment& distance)
        : plain_(distance),
          dx_(distance.dx() * kScale),
          dy_(distance.dy() * kScale),
          len2_(distance.len2() * kScale * kScale) {}

    DistanceToSegment plain_;
    double dx_;
    double dy_;
    double len2_;
};

}  // namespace quorvel
