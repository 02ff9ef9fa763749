// Cutting a node's box to a chord's start or end branch by bisection along each axis
// (box_cuts.h; the proof is section 12 of guard_bounds.h).
#include "box_cuts.h"

#include <algorithm>

#include "guard_bounds.h"

namespace quorvel {

namespace guard_bounds {

namespace {

// Narrows [low, high] to the values beyond the last one found, by bisection, to exclude the
// branch; exclusion lies toward `low` if `from_low`, else toward `high`. False if the value most
// favourable to the branch is excluded too.
template <class Excludes>
bool cut_axis(double& low, double& high, bool from_low, Excludes excludes) {
    double out = from_low ? low : high;
    double in = from_low ? high : low;
    if (excludes(in)) {
        return false;
    }
    if (!excludes(out)) {
        return true;
    }
    for (int step = 0; step < kCutSteps; ++step) {
        const double middle = out / 2 + in / 2;
        if (!(middle > std::min(out, in) && middle < std::max(out, in))) {
            break;
        }
        (excludes(middle) ? out : in) = middle;
    }
    (from_low ? low : high) = out;
    return true;
}

}  // namespace

std::optional<NodeBox> cut_to_branch(const DistanceToSegment& distance, NodeBox box, bool end) {
    const Coordinate s = distance.start();
    const double dx = distance.dx();
    const double dy = distance.dy();
    const double len2 = distance.len2();
    const auto excludes = [&](double x, double y) {
        const double r = ((x - s.x) * dx + (y - s.y) * dy) / len2;
        return end ? r < 1.0 : r > 0.0;
    };
    // r grows with x where dx > 0 and with y where dy > 0: the favourable value of the other
    // coordinate, and the side of an axis where points are excluded, follow.
    if (dx != 0.0) {
        const double y = (dy > 0.0) == end ? box.max_y : box.min_y;
        if (!cut_axis(box.min_x, box.max_x, (dx > 0.0) == end,
                      [&](double x) { return excludes(x, y); })) {
            return std::nullopt;
        }
    }
    if (dy != 0.0) {
        const double x = (dx > 0.0) == end ? box.max_x : box.min_x;
        if (!cut_axis(box.min_y, box.max_y, (dy > 0.0) == end,
                      [&](double y) { return excludes(x, y); })) {
            return std::nullopt;
        }
    }
    return box;
}

}  // namespace guard_bounds

}  // namespace quorvel
