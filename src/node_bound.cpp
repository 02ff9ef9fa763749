// A node's bound for one chord: the box's, narrowed by the hull, the box cut to a branch and the
// exact farthest distances (node_bound.h). Numbers in parentheses name the sections of the
// proof in guard_bounds.h.
#include "node_bound.h"

#include <algorithm>
#include <optional>

#include "box_cuts.h"

namespace quorvel {

namespace guard_bounds {

template <bool Ordinary>
double NodeBound<Ordinary>::refined(const NodeBox& box, std::size_t node, double limit,
                                    std::size_t& work, std::size_t cache_budget) const {
    Reach reach = this->reach(box, limit);
    if (!hulls_.has_hull(node)) {
        return reach.bound();
    }
    if (distance_.degenerate()) {
        if (!cached_within(reach.to_start, node, distance_.start(), limit)) {
            reach.to_start = std::min(
                reach.to_start, hull_.farthest_vertex(node, box, distance_.start(), limit, work));
            reach.to_start =
                exactly(reach.to_start, node, distance_.start(), limit, work, cache_budget);
        }
        return reach.bound();
    }
    // Exact farthest distances from the ends that runs sharing an end have already worked
    // out come first: where they settle a branch, neither its side of the hull nor its
    // vertices need looking at.
    if (reach.branches.start && reach.to_start > limit) {
        cached_within(reach.to_start, node, distance_.start(), limit);
    }
    if (reach.branches.end && reach.to_end > limit) {
        cached_within(reach.to_end, node, distance_.end(), limit);
    }
    // Where the hull's spans do not serve (6), only the box and the exact distances do. Where
    // len2 overflows, only the start branch remains, which the hull's farthest vertex from s
    // bounds whatever the chord (7).
    if (distance_.len2() == kInfinity) {
        hull_.narrow_start_by_farthest_vertex(reach, box, node, limit, work);
    } else if (!hull_.narrow_by_hull(reach, box, node, limit, work)) {
        // Beyond the hull's range of scales. Cutting the box costs more than cutting the hull
        // to the strip, and it is not worth making where the line branch keeps the node anyway.
        hull_.narrow_line_by_strip(reach, box, node, limit, work);
        if (!(reach.branches.line && reach.to_line > limit)) {
            narrow_ends_by_cuts(reach, box, limit, work);
            hull_.narrow_ends_by_cut_hull(reach, box, node, limit, work);
        }
    }
    // Where one end's branch alone keeps the node, the exact farthest distance from that
    // end may drop it; runs that share the end share the values (farthest_cache.h).
    const double others_for_start = std::max(reach.branches.end ? reach.to_end : 0.0,
                                             reach.branches.line ? reach.to_line : 0.0);
    const double others_for_end = std::max(reach.branches.start ? reach.to_start : 0.0,
                                           reach.branches.line ? reach.to_line : 0.0);
    // It is not worked out where the hull's farthest vertex from s, one of the node's points,
    // lies beyond the limit by more than the bound's slack (7): it could not drop the
    // node, and for a start that moves from run to run it would cost a scan of the node
    // each time.
    const bool start_beyond_limit = reach.start_from_vertex && reach.to_start > limit * kTiedWithin;
    if (reach.branches.start && reach.to_start > limit && others_for_start <= limit &&
        !start_beyond_limit && farthest_.span(node) <= kExactFromStartPoints) {
        reach.to_start =
            exactly(reach.to_start, node, distance_.start(), limit, work, cache_budget);
    }
    if (reach.branches.end && reach.to_end > limit && others_for_end <= limit) {
        reach.to_end = exactly(reach.to_end, node, distance_.end(), limit, work, cache_budget);
    }
    return reach.bound();
}

// Narrows the start and end branches still above `limit` to the parts of the box whose
// points may take them (12).
template <bool Ordinary>
inline void NodeBound<Ordinary>::narrow_ends_by_cuts(Reach& reach, const NodeBox& box, double limit,
                                                     std::size_t& work) const {
    const auto narrow = [&](bool& possible, double& bound, bool end, Coordinate c) {
        if (!possible || !(bound > limit)) {
            return;
        }
        work += kCutWork;
        const std::optional<NodeBox> cut = cut_to_branch(distance_, box, end);
        if (!cut) {
            possible = false;
            return;
        }
        const Coordinate offsets = largest_offsets(*cut, c);
        bound = std::min(bound, hypot_bound(offsets.x, offsets.y, limit));
    };
    narrow(reach.branches.start, reach.to_start, false, distance_.start());
    narrow(reach.branches.end, reach.to_end, true, distance_.end());
}

// Narrows `bound` to the exact farthest distance from `c` over the node if the cache
// already holds it; whether that brings it down to `limit`, which spares the scan of the
// hull (a bound that can drop the node no further).
template <bool Ordinary>
inline bool NodeBound<Ordinary>::cached_within(double& bound, std::size_t node, Coordinate c,
                                               double limit) const {
    const std::optional<double> exact = farthest_.cached(node, c);
    if (exact) {
        bound = std::min(bound, *exact);
    }
    return bound <= limit;
}

// The smaller of `bound` and the exact farthest distance from `c` over the node, if the
// cache has it or can work it out within `cache_budget` points. Not worked out when the
// node's first point alone lies beyond `limit`: the farthest distance is at least that, so
// it could not drop the node, and working it out for a centre that changes from run to run
// (a run's start) would cost a scan of the node.
template <bool Ordinary>
inline double NodeBound<Ordinary>::exactly(double bound, std::size_t node, Coordinate c,
                                           double limit, std::size_t& work,
                                           std::size_t cache_budget) const {
    if (!farthest_.cached(node, c) && farthest_.first_point_beyond(points_, node, c, limit)) {
        return bound;
    }
    const std::size_t before = cache_budget;
    const std::optional<double> exact = farthest_.farthest(points_, node, c, cache_budget);
    work += kCacheWork * (before - cache_budget);
    return exact ? std::min(bound, *exact) : bound;
}

// The spans of the numerators of r and q that reach() forms from the differences u and v, for
// a chord whose squared length is subnormal, scaled: each end of a span is a product of u or v
// with a step of the chord rounded as DistanceToShortChord rounds it, the same double scaled,
// and the sums of two of them are exact, as the unscaled ones are; reach() asks only where
// there is such a chord. None where a product leaves the scaled products' range.
template <bool Ordinary>
auto NodeBound<Ordinary>::short_chord_numerators(Span u, Span v) const
    -> std::optional<ScaledNumerators> {
    const auto times_step = [](Span a, double step) -> std::optional<Span> {
        const std::optional<double> at_lo = DistanceToShortChord::product_with_step(a.lo, step);
        const std::optional<double> at_hi = DistanceToShortChord::product_with_step(a.hi, step);
        if (!at_lo || !at_hi) {
            return std::nullopt;
        }
        return step >= 0.0 ? Span{*at_lo, *at_hi, false} : Span{*at_hi, *at_lo, false};
    };
    const double dx = short_chord_->scaled_dx();
    const double dy = short_chord_->scaled_dy();
    const std::optional<Span> along_x = times_step(negated(u), dx);
    const std::optional<Span> along_y = times_step(negated(v), dy);
    const std::optional<Span> across_x = times_step(v, dx);
    const std::optional<Span> across_y = times_step(u, dy);
    if (!(along_x && along_y && across_x && across_y)) {
        return std::nullopt;
    }
    return ScaledNumerators{plus<true>(*along_x, *along_y),
                            plus<true>(*across_x, negated(*across_y))};
}

template class NodeBound<true>;
template class NodeBound<false>;

}  // namespace guard_bounds

}  // namespace quorvel
