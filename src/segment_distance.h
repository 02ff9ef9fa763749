// The one measure that simplification compares with the tolerance: the distance from a point to
// a segment, its square roots taken by hypotenuse() (hypotenuse.h).
#pragma once

#include <cmath>

#include "hypotenuse.h"
#include "polygon_model.h"

namespace quorvel {

// The squared length of the chord from `s` to `e` as every distance to it is computed: each
// difference, square and sum rounded on its own.
inline double chord_len2(Coordinate s, Coordinate e) {
    const double dx = e.x - s.x;
    const double dy = e.y - s.y;
    return dx * dx + dy * dy;
}

// The distance from a point to the segment from `s` to `e`: to the point itself when the ends
// are equal, else to the start, to the end or to the line, by where the projection of the point
// falls. Each product, sum and quotient is rounded on its own. What depends on the segment alone
// (the chord's length included) is computed once, for all the points measured against it.
class DistanceToSegment {
  public:
    DistanceToSegment(Coordinate s, Coordinate e)
        : s_(s),
          e_(e),
          degenerate_(s == e),
          dx_(e.x - s.x),
          dy_(e.y - s.y),
          len2_(chord_len2(s, e)),
          length_(degenerate_ ? 0.0 : hypotenuse(dx_, dy_)) {}

    double operator()(Coordinate p) const {
        if (degenerate_) {
            return hypotenuse(s_.x - p.x, s_.y - p.y);
        }
        const double r = ((p.x - s_.x) * dx_ + (p.y - s_.y) * dy_) / len2_;
        if (r <= 0.0) {
            return hypotenuse(s_.x - p.x, s_.y - p.y);
        }
        if (r >= 1.0) {
            return hypotenuse(e_.x - p.x, e_.y - p.y);
        }
        // Also reached when r is not a number.
        const double q = ((s_.y - p.y) * dx_ - (s_.x - p.x) * dy_) / len2_;
        return std::fabs(q) * length_;
    }

    Coordinate start() const { return s_; }
    Coordinate end() const { return e_; }
    bool degenerate() const { return degenerate_; }
    double dx() const { return dx_; }
    double dy() const { return dy_; }
    double len2() const { return len2_; }
    // hypot(dx, dy), the factor of every distance to the line; 0 for a degenerate segment.
    double length() const { return length_; }

  private:
    Coordinate s_;
    Coordinate e_;
    bool degenerate_;
    double dx_;
    double dy_;
    double len2_;
    double length_;
};

// Distance from `p` to the segment from `s` to `e`, for a single point.
inline double point_segment_distance(Coordinate p, Coordinate s, Coordinate e) {
    return DistanceToSegment(s, e)(p);
}

}  // namespace quorvel
