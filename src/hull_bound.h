// Narrowing the bounds of a node's branches by its convex hull: the spans of the numerators
// over the hull (sections 6 and 11 of the proof in guard_bounds.h), the farthest corner of the
// hull cut at a branch's side (7), and, beyond the hull's range of scales, the line branch over
// the hull cut to the chord's strip (13).
#pragma once

#include <cstddef>
#include <optional>

#include "guard_bounds.h"
#include "node_hulls.h"
#include "segment_distance.h"
#include "strip_bound.h"

namespace quorvel {

namespace guard_bounds {

// Each narrowing takes a node that has a hull, narrows only the bounds still above `limit`, and
// adds to `work` the hull vertices it visits, in the units of SplitGuard::split_within.
// `Ordinary` queries (8) skip the checks for NaN.
template <bool Ordinary>
class HullBound {
  public:
    HullBound(const DistanceToSegment& distance, StripHulls hulls)
        : distance_(distance), hulls_(hulls), direction_scale_(direction_scale(distance)) {}

    // Where the chord lies within the hull's range of scales (6), narrows the line branch and
    // which branches are possible by the spans of the numerators, and the start and end
    // branches by the spans (11) and the farthest corners of the cut hull (7); false, narrowing
    // nothing, where the chord lies beyond that range.
    bool narrow_by_hull(Reach& reach, const NodeBox& box, std::size_t node, double limit,
                        std::size_t& work) const;

    // Beyond the hull's range of scales: the line branch by the hull cut to the strip (13), and
    // the start and end branches by the farthest corners of the cut hull where no product of a
    // point's numerator of r can overflow (12).
    void narrow_line_by_strip(Reach& reach, const NodeBox& box, std::size_t node, double limit,
                              std::size_t& work) const;
    void narrow_ends_by_cut_hull(Reach& reach, const NodeBox& box, std::size_t node, double limit,
                                 std::size_t& work) const;

    // For a chord whose len2 overflows, where only the start branch remains (10), the start
    // branch by the hull's vertex farthest from s (7, uncut).
    void narrow_start_by_farthest_vertex(Reach& reach, const NodeBox& box, std::size_t node,
                                         double limit, std::size_t& work) const;

    // A bound on the distance from `c` over the node's points by the hull's vertex farthest
    // from it (7, uncut): for a degenerate chord, every point's.
    double farthest_vertex(std::size_t node, const NodeBox& box, Coordinate c, double limit,
                           std::size_t& work) const {
        return farthest_bound(node, box, c, {0.0, 0.0}, 0.0, limit, work);
    }

  private:
    // The chord as the numerators of the hull's spans take it (6): (dx, dy) divided by
    // `divisor`, a power of two, and the size of their terms, `scale`, within the hull's range
    // of scales.
    struct HullChord {
        Coordinate d;
        double divisor;
        double scale;
    };

    std::optional<HullChord> hull_chord(const NodeBox& box, double start_size) const;
    template <bool Subnormal>
    void narrow_by_chord(Reach& reach, const NodeBox& box, std::size_t node, double limit,
                         const HullChord& chord, std::size_t search, std::size_t& work) const;
    template <class Numerator>
    std::optional<Span> hull_span(std::size_t node, Coordinate f, const HullChord& chord,
                                  double slack, Numerator numerator) const;
    std::optional<Span> subnormal_across_span(std::size_t node) const;
    void narrow_ends_by_spans(Reach& reach, Span along, Span across, double slack) const;
    void narrow_ends_by_cut_corners(Reach& reach, const NodeBox& box, std::size_t node,
                                    double limit, double slack, std::size_t& work) const;
    double farthest_bound(std::size_t node, const NodeBox& box, Coordinate c, Coordinate f,
                          double tau, double limit, std::size_t& work) const;

    // The power of two by which the chord's steps are scaled as directions of
    // NodeHulls::extreme(), which changes no sign of a step along them: near 1e-160, their
    // products with the hull's steps fell among the subnormals, where the filter cannot decide
    // and every sign took the exact arithmetic. Read from len2, at hand, for a chord whose
    // steps lie below about 2^-300.
    static double direction_scale(const DistanceToSegment& distance) {
        return distance.len2() < 0x1p-600 ? 0x1p600 : 1.0;
    }

    const DistanceToSegment& distance_;
    StripHulls hulls_;
    double direction_scale_;
};

extern template class HullBound<true>;
extern template class HullBound<false>;

}  // namespace guard_bounds

}  // namespace quorvel
