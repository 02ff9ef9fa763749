// Splitting a ring's points by place into the parts of spatial_parts.h.
#include "spatial_parts.h"

#include <algorithm>
#include <bit>

#include "node_hulls.h"

namespace quorvel {

namespace {

// Which side of the box's longer side's middle p lies on (1 beyond it), with the box narrowed
// to that side. Halves are taken before adding, so the middle cannot overflow.
unsigned halve(NodeBox& box, Coordinate p) {
    const bool across_x = box.max_x / 2 - box.min_x / 2 >= box.max_y / 2 - box.min_y / 2;
    double& low = across_x ? box.min_x : box.min_y;
    double& high = across_x ? box.max_x : box.max_y;
    const double middle = low / 2 + high / 2;
    const bool beyond = (across_x ? p.x : p.y) > middle;
    (beyond ? low : high) = middle;
    return beyond ? 1u : 0u;
}

}  // namespace

Vector<std::uint8_t> spatial_parts(const Ring& points) {
    static_assert(std::has_single_bit(kSpatialParts));
    constexpr int kHalvings = std::countr_zero(kSpatialParts);
    NodeBox all = kEmptyBox;
    for (const Coordinate p : points) {
        all = widened(all, p);
    }
    Vector<std::uint8_t> parts(points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        NodeBox box = all;
        unsigned part = 0;
        for (int halving = 0; halving < kHalvings; ++halving) {
            part = 2 * part + halve(box, points[i]);
        }
        parts[i] = static_cast<std::uint8_t>(part);
    }
    return parts;
}

}  // namespace quorvel
