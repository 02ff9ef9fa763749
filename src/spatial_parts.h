// The ring's points split into a few parts, by place or by position in the ring, for hulls that
// do not bridge the gaps between them. Where a ring visits two far-apart curves in turn, every
// node of the guard's tree holds points of both, and the hull of a node spans the empty space
// between the curves; a hull per part per node follows each curve alone (guard_bounds.h, 13).
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

// The part of each of `count` points by its position modulo 8. Where a ring visits two curves
// in turn, two passes of corner cutting put its points near four blends of them, each at two
// positions of every eight: the weights of the curve that the eight start on are 5/8, 3/8, 1/4,
// 1/4, 3/8, 5/8, 3/4 and 3/4. A part holds the positions of one blend; eight starting on the
// other curve have the same pairs of positions. Where the two curves touch, the parts by place
// cannot part them, and these do.
Vector<std::uint8_t> phase_parts(std::size_t count);

// Whichever of spatial_parts() and phase_parts() keeps the parts' boxes smaller on most of 64
// stretches of kStretchPoints consecutive points spread over the ring (all of them on a shorter
// ring): their hulls are then the tighter.
inline constexpr std::size_t kStretchPoints = 64;
Vector<std::uint8_t> ring_parts(const Ring& points);

}  // namespace quorvel
