// A node's box cut down to the part whose points may take a chord's start or end branch: where
// a ring's points lie on both sides of a chord's end, the box's corner may lie far beyond every
// point of the branch (guard_bounds.h, 12).
#pragma once

#include <optional>

#include "node_hulls.h"
#include "segment_distance.h"

namespace quorvel {

namespace guard_bounds {

// The part of `box` holding every point of it that may take the end branch (r >= 1) or, for
// `end` false, the start branch (r <= 0); none if no point can. Each axis is cut where r,
// computed as point_segment_distance computes it at the box's most favourable value of the
// other coordinate, falls on the wrong side of the branch's limit.
std::optional<NodeBox> cut_to_branch(const DistanceToSegment& distance, NodeBox box, bool end);

}  // namespace guard_bounds

}  // namespace quorvel
