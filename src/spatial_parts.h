// The ring's points split by place into a few parts, for hulls that do not bridge the gaps
// between them. Where a ring visits two far-apart curves in turn, every node of the guard's tree
// holds points of both, and the hull of a node spans the empty space between the curves; a hull
// per part per node follows each curve alone (guard_bounds.h, 13).
#pragma once

#include <cstddef>
#include <cstdint>

#include "allocation.h"
#include "polygon_model.h"

namespace quorvel {

inline constexpr std::size_t kSpatialParts = 4;

// The part of each point, below kSpatialParts: the box of all the points is halved across its
// longer side, and each half across its own longer side; a point on a dividing line goes to
// the lower side. The coordinates must be finite.
Vector<std::uint8_t> spatial_parts(const Ring& points);

}  // namespace quorvel
