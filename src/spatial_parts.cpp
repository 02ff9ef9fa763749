// Splitting a ring's points into the parts of spatial_parts.h, by place or by position.
#include "spatial_parts.h"

#include <algorithm>
#include <array>
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

NodeBox box_of(const Ring& points) {
    NodeBox all = kEmptyBox;
    for (const Coordinate p : points) {
        all = widened(all, p);
    }
    return all;
}

// The part by place of p, within the box of all the points.
std::uint8_t part_by_place(const NodeBox& all, Coordinate p) {
    static_assert(std::has_single_bit(kSpatialParts));
    constexpr int kHalvings = std::countr_zero(kSpatialParts);
    NodeBox box = all;
    unsigned part = 0;
    for (int halving = 0; halving < kHalvings; ++halving) {
        part = 2 * part + halve(box, p);
    }
    return static_cast<std::uint8_t>(part);
}

// The part of each position modulo 8 in phase_parts(): the pairs with the same blend.
constexpr std::array<std::uint8_t, 8> kPartOfPhase{2, 1, 0, 0, 1, 2, 3, 3};

std::uint8_t part_by_phase(std::size_t i) {
    static_assert(kSpatialParts == 4);
    return kPartOfPhase[i % kPartOfPhase.size()];
}

// Half the width plus half the height of the box of the points of [begin, end) in each part,
// summed over the parts: halves, so that no difference overflows.
template <class PartOf>
double summed_part_sizes(const Ring& points, std::size_t begin, std::size_t end, PartOf&& part_of) {
    std::array<NodeBox, kSpatialParts> boxes;
    boxes.fill(kEmptyBox);
    for (std::size_t i = begin; i < end; ++i) {
        NodeBox& box = boxes[part_of(i)];
        box = widened(box, points[i]);
    }
    double sum = 0.0;
    for (const NodeBox& box : boxes) {
        if (box.min_x <= box.max_x) {
            sum += (box.max_x / 2 - box.min_x / 2) + (box.max_y / 2 - box.min_y / 2);
        }
    }
    return sum;
}

// Stretches compared by ring_parts(), spread evenly over the ring.
constexpr std::size_t kComparedStretches = 64;

Vector<std::uint8_t> parts_by_place(const Ring& points, const NodeBox& all) {
    Vector<std::uint8_t> parts(points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        parts[i] = part_by_place(all, points[i]);
    }
    return parts;
}

}  // namespace

Vector<std::uint8_t> spatial_parts(const Ring& points) {
    return parts_by_place(points, box_of(points));
}

Vector<std::uint8_t> phase_parts(std::size_t count) {
    Vector<std::uint8_t> parts(count);
    for (std::size_t i = 0; i < count; ++i) {
        parts[i] = part_by_phase(i);
    }
    return parts;
}

Vector<std::uint8_t> ring_parts(const Ring& points) {
    const NodeBox all = box_of(points);
    const auto by_place = [&](std::size_t i) { return part_by_place(all, points[i]); };
    const std::size_t stretches = points.size() / kStretchPoints;
    const std::size_t step = std::max<std::size_t>(1, stretches / kComparedStretches);
    std::size_t compared = 0;
    std::size_t phase_smaller = 0;
    for (std::size_t stretch = 0; stretch < stretches; stretch += step) {
        const std::size_t begin = stretch * kStretchPoints;
        const std::size_t end = begin + kStretchPoints;
        // A sum that overflows to infinity is never the smaller.
        phase_smaller += summed_part_sizes(points, begin, end, part_by_phase) <
                         summed_part_sizes(points, begin, end, by_place);
        ++compared;
    }
    return 2 * phase_smaller > compared ? phase_parts(points.size()) : parts_by_place(points, all);
}

}  // namespace quorvel
