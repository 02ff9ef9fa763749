// Middle stage: two passes of Chaikin corner cutting, then Ramer-Douglas-Peucker, per ring.
#pragma once

#include <cstddef>

#include "polygon_model.h"
#include "segment_distance.h"

namespace quorvel {

// How simplification finds where each run splits. Every choice gives the same bytes; they differ
// in speed only, and tests and fuzz targets run each directly.
enum class SplitScan {
    Plain,     // every inner point measured in order (split_plain.h)
    TwoLanes,  // squared-distance estimates screen the points, two lanes (split_screened.h)
    FourLanes  // the same, four lanes; only where four_lanes_supported()
};
enum class SplitGuardUse {
    Never,        // the scan alone, whatever the ring
    WhenStalled,  // the scan until the long runs (256 inner points or more) of a ring of n
                  // points have cost it stall_factor * n * (log2 n + 1) point measurements, then
                  // the guard (split_guard.h) for that ring's long runs
    Always        // the guard for every run from the start
};
struct SplitKernels {
    SplitScan scan;
    SplitGuardUse guard;
    std::size_t stall_factor = 1;
};

// Four lanes where the processor has AVX2, else two; the guard when a ring stalls.
SplitKernels fastest_split_kernels();

// Replaces every polygon of the list, in place, by its smoothed and simplified form. The
// tolerance is compared with distances in coordinate units, unchanged; any value is accepted.
// The kernels are the fastest, chosen once per call, unless given.
PolygonList smooth_and_simplify_polygons(PolygonList polygons, double tolerance);
PolygonList smooth_and_simplify_polygons(PolygonList polygons, double tolerance,
                                         SplitKernels kernels);

// One pass of corner cutting with the weights 0.75 and 0.25.
Ring cut_corners(const Ring& ring);

// What the simplification of one ring cost, for checks of the kernels' choice: the inner points
// of the runs that were scanned rather than left to the guard.
struct SimplifyCounts {
    std::size_t scanned_points = 0;
};

// Ramer-Douglas-Peucker: a subsequence of the ring that keeps its first and last point.
Ring simplify_ring(const Ring& ring, double tolerance);
Ring simplify_ring(const Ring& ring, double tolerance, SplitKernels kernels);
Ring simplify_ring(const Ring& ring, double tolerance, SplitKernels kernels,
                   SimplifyCounts& counts);

}  // namespace quorvel
