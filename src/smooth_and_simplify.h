// Middle stage: two passes of Chaikin corner cutting, then Ramer-Douglas-Peucker, per ring.
#pragma once

#include "polygon_model.h"

namespace quorvel {

// Replaces every polygon of the list, in place, by its smoothed and simplified form. The
// tolerance is compared with distances in coordinate units, unchanged; any value is accepted.
PolygonList smooth_and_simplify_polygons(PolygonList polygons, double tolerance);

// One pass of corner cutting with the weights 0.75 and 0.25.
Ring cut_corners(const Ring& ring);

// Ramer-Douglas-Peucker: a subsequence of the ring that keeps its first and last point.
Ring simplify_ring(const Ring& ring, double tolerance);

// Distance from `point` to the segment from `start` to `end`.
double point_segment_distance(Coordinate point, Coordinate start, Coordinate end);

}  // namespace quorvel
