// The one measure that simplification compares with the tolerance: the distance from a point to
// a segment, its square roots taken by hypotenuse() (hypotenuse.h).
#pragma once

#include <cmath>

#include "hypotenuse.h"
#include "polygon_model.h"

namespace quorvel {

// Distance from `p` to the segment from `s` to `e`: to the point itself when the ends are equal,
// else to the start, to the end or to the line, by where the projection of `p` falls. Each
// product, sum and quotient is rounded on its own.
inline double point_segment_distance(Coordinate p, Coordinate s, Coordinate e) {
    if (s == e) {
        return hypotenuse(s.x - p.x, s.y - p.y);
    }
    const double dx = e.x - s.x;
    const double dy = e.y - s.y;
    const double len2 = dx * dx + dy * dy;
    const double r = ((p.x - s.x) * dx + (p.y - s.y) * dy) / len2;
    if (r <= 0.0) {
        return hypotenuse(s.x - p.x, s.y - p.y);
    }
    if (r >= 1.0) {
        return hypotenuse(e.x - p.x, e.y - p.y);
    }
    // Also reached when r is not a number.
    const double q = ((s.y - p.y) * dx - (s.x - p.x) * dy) / len2;
    return std::fabs(q) * hypotenuse(dx, dy);
}

// point_segment_distance for many points and one segment: the same operations in the same
// order, bit for bit, with what depends on the segment alone (the chord length included)
// computed once.
class DistanceToSegment {
  public:
    DistanceToSegment(Coordinate s, Coordinate e)
        : s_(s),
          e_(e),
          degenerate_(s == e),
          dx_(e.x - s.x),
          dy_(e.y - s.y),
          len2_(dx_ * dx_ + dy_ * dy_),
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

}  // namespace quorvel
