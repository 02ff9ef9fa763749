// The plain scan (split_plain.h).
#include "split_plain.h"

#include "segment_distance.h"

namespace quorvel {

Farthest farthest_plain(const Ring& points, const Run& run) {
    Farthest best;
    const DistanceToSegment distance(points[run.first], points[run.last]);
    for (std::size_t i = run.first + 1; i < run.last; ++i) {
        const double d = distance(points[i]);
        if (d > best.distance) {
            best = {true, i, d};
        }
    }
    return best;
}

Split split_plain(const Ring& points, const Run& run, double tolerance) {
    const Farthest farthest = farthest_plain(points, run);
    if (farthest.found && farthest.distance > tolerance) {
        return Split{farthest.index};
    }
    return Split{};
}

}  // namespace quorvel
