// Exact signs of two small polynomials in double coordinates, for the convex hulls of the
// simplification guard: a floating-point evaluation when its error bound decides, else exact
// arithmetic on expansions (sums of non-overlapping doubles, after Shewchuk).
#pragma once

#include <cmath>
#include <cstdint>
#include <span>

#include "allocation.h"
#include "polygon_model.h"

namespace quorvel {

// -1, 0 or +1, or Unknown where the exact arithmetic could underflow or overflow: a factor
// outside [2^-440, 2^440] other than zero, even once the coordinates are scaled by the power of
// two that brings the largest into [1, 2) (where that scaling is exact).
enum class Sign { Negative, Zero, Positive, Unknown };

namespace exact_sign {

// The sign of first + second, two rounded products of rounded differences, where Shewchuk's
// error bound for orient2d (which also covers a step) shows it; else Unknown. The bound
// assumes no underflow; where some did, a difference or sum that underflows is exact and a
// product that does errs by at most 2^-1075, so 2^-1072 added to the bound covers it. Products
// beyond 2^1000, which may have overflowed, are not trusted.
inline Sign filtered(double value, double first, double second) {
    constexpr double kEpsilon = 0x1p-53;
    const double size = std::fabs(first) + std::fabs(second);
    const double bound = (3.0 + 16.0 * kEpsilon) * kEpsilon * size + 0x1p-1072;
    if (std::fabs(value) > bound && size <= 0x1p1000) {
        return value > 0.0 ? Sign::Positive : Sign::Negative;
    }
    return Sign::Unknown;
}

// The filter's sign of a step along f and of a turn (below), or Unknown.
inline Sign filtered_step_along(Coordinate f, Coordinate a, Coordinate b) {
    const double first = f.x * (b.x - a.x);
    const double second = f.y * (b.y - a.y);
    return filtered(first + second, first, second);
}
inline Sign filtered_turn(Coordinate a, Coordinate b, Coordinate c) {
    const double left = (b.x - a.x) * (c.y - a.y);
    const double right = (b.y - a.y) * (c.x - a.x);
    return filtered(left - right, left, right);
}

// The signs the filter leaves undecided, in exact arithmetic.
Sign step_along_exactly(Coordinate f, Coordinate a, Coordinate b);
Sign turn_exactly(Coordinate a, Coordinate b, Coordinate c);

}  // namespace exact_sign

// The sign of f.x * (b.x - a.x) + f.y * (b.y - a.y): whether the step from a to b goes along f.
inline Sign sign_of_step_along(Coordinate f, Coordinate a, Coordinate b) {
    const Sign quick = exact_sign::filtered_step_along(f, a, b);
    return quick != Sign::Unknown ? quick : exact_sign::step_along_exactly(f, a, b);
}

// The sign of (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x): positive when a, b, c turn
// counterclockwise, zero when they lie on one line.
inline Sign sign_of_turn(Coordinate a, Coordinate b, Coordinate c) {
    const Sign quick = exact_sign::filtered_turn(a, b, c);
    return quick != Sign::Unknown ? quick : exact_sign::turn_exactly(a, b, c);
}

// The filter decides a turn only while the products of its differences stay below 2^1000 and
// well above the subnormals; past that, each turn costs a scaling of its own and often the
// expansions. For the many turns among the points of a ring whose largest coordinate lies
// outside [2^-400, 2^400], this holds a copy of the points scaled once, by the power of two that
// brings that coordinate into [1, 2) (or as near as a normal factor reaches), where every
// coordinate scales exactly. A turn is the sign of a polynomial homogeneous in its three
// points, so such a scaling changes none. The copy is made when a turn first needs it: many
// rings beyond that range have every turn their hulls need decided by the filter as they are.
class ScaledForTurns {
  public:
    // For `points`, which must stay in place while the copy may be made; `largest` is the
    // largest magnitude of their coordinates. Makes no copy yet.
    void reset(std::span<const Coordinate> points, double largest);

    // The scaled copy, made on the first call; null where the ring lies within the range or a
    // coordinate would not scale exactly (it would lose its low bits among the subnormals).
    const Coordinate* points() const {
        return state_ == State::Made ? scaled_.data() : state_ == State::None ? nullptr : made();
    }
    // Whether the ring lies below the range, scaled up in the copy.
    bool below_range() const { return below_range_; }

  private:
    const Coordinate* made() const;

    std::span<const Coordinate> points_;
    double factor_ = 1.0;
    double inverse_ = 1.0;
    enum class State : std::uint8_t { None, Unmade, Made };
    mutable State state_ = State::None;
    bool below_range_ = false;
    mutable Vector<Coordinate> scaled_;
};

// sign_of_turn(points[a], points[b], points[c]), where `scaled`, if not null, was reset() with
// the same points. Each way gives the exact sign or Unknown, so the order only changes the
// cost: the filter on the points, then on the scaled copy, which decides the turns of rings far
// from unit scale; then the exact ways, on the points first, since where the points span so
// many powers of two that one scaling cannot serve every turn, the copy's small differences may
// lie among the subnormals.
inline Sign sign_of_turn(const Coordinate* points, const ScaledForTurns* scaled, std::uint32_t a,
                         std::uint32_t b, std::uint32_t c) {
    Sign turn = exact_sign::filtered_turn(points[a], points[b], points[c]);
    if (turn != Sign::Unknown) {
        return turn;
    }
    const Coordinate* copy = scaled != nullptr ? scaled->points() : nullptr;
    if (copy != nullptr) {
        turn = exact_sign::filtered_turn(copy[a], copy[b], copy[c]);
    }
    if (turn == Sign::Unknown) {
        turn = exact_sign::turn_exactly(points[a], points[b], points[c]);
    }
    if (turn == Sign::Unknown && copy != nullptr) {
        turn = exact_sign::turn_exactly(copy[a], copy[b], copy[c]);
    }
    return turn;
}

}  // namespace quorvel
