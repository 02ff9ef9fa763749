// Bounds on the distance to one chord over the nodes of the simplification guard's tree: from a
// node's box, and, for a node that the box alone does not drop, from its convex hull and the
// exact farthest distances from the chord's ends. Numbers in parentheses name the sections of
// the proof in guard_bounds.h.
#pragma once

#include <cstddef>
#include <optional>
#include <span>

#include "farthest_cache.h"
#include "guard_bounds.h"
#include "hull_bound.h"
#include "node_hulls.h"
#include "polygon_model.h"
#include "segment_distance.h"
#include "short_chord_distance.h"

namespace quorvel {

namespace guard_bounds {

// `Ordinary` queries (8) skip the checks for NaN.
template <bool Ordinary>
class NodeBound {
  public:
    // `part_hulls` are the hulls of the parts of the ring's points (spatial_parts.h), laid once
    // nodes' own hulls have often not served in the strip (13): until then none, and the bound
    // counts in `parts_wanted` the nodes where they might have served.
    NodeBound(const DistanceToSegment& distance, const NodeHulls& hulls,
              std::span<const NodeHulls> part_hulls, std::size_t& parts_wanted, const Ring& points,
              FarthestCache& farthest)
        : distance_(distance),
          hulls_(hulls),
          hull_(distance, {hulls, part_hulls, parts_wanted}),
          points_(points),
          farthest_(farthest),
          chord_overflows_(!(distance.len2() < kInfinity)),
          short_chord_(Ordinary ? std::nullopt : DistanceToShortChord::over(distance)) {}

    // The bound of the box (1 to 5).
    double operator()(const NodeBox& box, double limit) const { return reach(box, limit).bound(); }

    // Whether the node's hull may narrow the bound of its box. Where the chord's squared length
    // overflows, only points whose differences from the chord's start have finite products with
    // the chord's steps can win (10): a hull over points beyond that, bounded by its vertex
    // farthest from the start, mostly keeps its node all the same. Ordinary queries (8) have no
    // such chord.
    bool hull_may_narrow(const NodeBox& box, std::size_t node) const {
        if constexpr (!Ordinary) {
            if (chord_overflows_ && !products_stay_finite(box)) {
                return false;
            }
        }
        return hulls_.has_hull(node);
    }

    // The bound of the box narrowed by the node's hull, where it has one, and by the exact
    // farthest distances from the chord's ends where they alone keep the bound above `limit`
    // (9), measuring no more than `cache_budget` points for them. Adds to `work` the hull
    // vertices it visits and the points it measures, in the units of SplitGuard::split_within.
    double refined(const NodeBox& box, std::size_t node, double limit, std::size_t& work,
                   std::size_t cache_budget) const;

  private:
    // The numerators of r and q over a box, scaled.
    struct ScaledNumerators {
        Span along;
        Span across;
    };

    Reach reach(const NodeBox& box, double limit) const;
    Reach reach_by_numerators(Reach reach, const NodeBox& box, double limit, Span u, Span v,
                              const ScaledNumerators* scaled) const;
    std::optional<ScaledNumerators> short_chord_numerators(Span u, Span v) const;
    bool products_stay_finite(const NodeBox& box) const;
    void narrow_ends_by_cuts(Reach& reach, const NodeBox& box, double limit,
                             std::size_t& work) const;
    bool cached_within(double& bound, std::size_t node, Coordinate c, double limit) const;
    double exactly(double bound, std::size_t node, Coordinate c, double limit, std::size_t& work,
                   std::size_t cache_budget) const;

    const DistanceToSegment& distance_;
    const NodeHulls& hulls_;
    HullBound<Ordinary> hull_;
    const Ring& points_;
    FarthestCache& farthest_;
    bool chord_overflows_;
    // Where the chord's squared length is subnormal, its measure without subnormal products.
    std::optional<DistanceToShortChord> short_chord_;
};

// Whether every point of the box has finite products of its differences from the chord's start
// with the chord's steps.
template <bool Ordinary>
inline bool NodeBound<Ordinary>::products_stay_finite(const NodeBox& box) const {
    const Coordinate products = products_of_r(distance_, largest_offsets(box, distance_.start()));
    return products.x < kInfinity && products.y < kInfinity;
}

// Inline, as the search takes the box's bound of every node it reaches.
template <bool Ordinary>
inline Reach NodeBound<Ordinary>::reach(const NodeBox& box, double limit) const {
    const Coordinate s = distance_.start();
    const Span u = difference_from(s.x, box.min_x, box.max_x);
    const Span v = difference_from(s.y, box.min_y, box.max_y);
    Reach reach{{false, false, false}, 0.0, 0.0, 0.0, magnitude(u) + magnitude(v)};
    if (distance_.degenerate()) {
        reach.branches.start = true;
        reach.to_start = hypot_bound(magnitude(u), magnitude(v), limit);
        return reach;
    }
    const double dx = distance_.dx();
    const double dy = distance_.dy();
    const double len2 = distance_.len2();
    if constexpr (!Ordinary) {
        if (len2 == kInfinity) {
            // 10.
            reach.branches.start =
                may_sum_to_finite(times<false>(negated(u), dx), times<false>(negated(v), dy));
            if (reach.branches.start) {
                reach.to_start = hypot_bound(magnitude(u), magnitude(v), limit);
            }
            return reach;
        }
        // A chord whose squared length is subnormal has its numerators' spans worked out without
        // subnormal products, to the same doubles scaled, and divided by its squared length
        // scaled alike, to the same quotients.
        if (short_chord_) [[unlikely]] {
            if (const std::optional<ScaledNumerators> scaled = short_chord_numerators(u, v)) {
                return reach_by_numerators(reach, box, limit, u, v, &*scaled);
            }
        }
    }
    return reach_by_numerators(reach, box, limit, u, v, nullptr);
}

// The branches possible and their bounds, from the spans of the numerators of r and q that the
// differences u and v give, or from their spans `scaled` with the chord's squared length.
template <bool Ordinary>
[[gnu::always_inline]] inline Reach NodeBound<Ordinary>::reach_by_numerators(
    Reach reach, const NodeBox& box, double limit, Span u, Span v,
    const ScaledNumerators* scaled) const {
    const double dx = distance_.dx();
    const double dy = distance_.dy();
    const double divisor = scaled != nullptr ? short_chord_->scaled_len2() : distance_.len2();
    reach.branches = possible_branches(over<Ordinary>(
        scaled != nullptr
            ? scaled->along
            : plus<Ordinary>(times<Ordinary>(negated(u), dx), times<Ordinary>(negated(v), dy)),
        divisor));
    if (reach.branches.start) {
        reach.to_start = hypot_bound(magnitude(u), magnitude(v), limit);
    }
    if (reach.branches.end) {
        const Coordinate from_end = largest_offsets(box, distance_.end());
        reach.to_end = hypot_bound(from_end.x, from_end.y, limit);
    }
    if (reach.branches.line) {
        reach.to_line = line_bound<Ordinary>(
            scaled != nullptr
                ? scaled->across
                : plus<Ordinary>(times<Ordinary>(v, dx), negated(times<Ordinary>(u, dy))),
            divisor, distance_.length());
    }
    return reach;
}

extern template class NodeBound<true>;
extern template class NodeBound<false>;

}  // namespace guard_bounds

}  // namespace quorvel
