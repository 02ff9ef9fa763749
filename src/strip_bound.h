// The bound on a chord's line branch over the part of a node's hull that may hold its points:
// the strip between the lines through the chord's ends across it. For chords beyond the hull's
// range of scales, where a ring visits two curves in turn and a node holds points far beyond
// the chord's ends (guard_bounds.h, 13).
#pragma once

#include <cstddef>
#include <optional>
#include <span>

#include "node_hulls.h"
#include "segment_distance.h"

namespace quorvel {

namespace guard_bounds {

// The hulls that the strip's bound reads: the nodes' own, and those of the parts of the ring's
// points (spatial_parts.h), which are laid once the nodes' own have often not served in the
// strip. Until then `parts` is empty, and `parts_wanted` counts the nodes where they might have.
struct StripHulls {
    const NodeHulls& own;
    std::span<const NodeHulls> parts;
    std::size_t& parts_wanted;
};

// A bound on the line branch's distance over the points of `node`, from its hulls cut to the
// strip; none where the chord lies within the hull's range of scales or the strip does not
// serve. Blocks of vertices that cannot keep the bound above `limit` are passed over. Adds to
// `work` the vertices visited, in the units of SplitGuard::split_within.
std::optional<double> line_bound_in_strip(const DistanceToSegment& distance, const NodeBox& box,
                                          std::size_t node, double limit, StripHulls hulls,
                                          std::size_t& work);

}  // namespace guard_bounds

}  // namespace quorvel
