// The k-d tree of point_tree.h. Ties in a coordinate are broken by index, so that the layout
// depends on the points alone.
#include "point_tree.h"

#include <algorithm>
#include <bit>
#include <limits>

namespace quorvel {

void PointTree::build(const Ring& points) {
    clear();
    if (points.empty() || points.size() >= UINT32_MAX) {
        return;
    }
    // Halving keeps the sizes of the nodes at one depth within one of each other, so no leaf
    // lies deeper than the first depth at which the largest node has kLeafPoints points or
    // fewer, and the nodes there are numbered below twice the power of two above
    // n / kLeafPoints.
    const std::size_t leaves = (points.size() + kLeafPoints - 1) / kLeafPoints;
    nodes_.resize(2 * std::bit_ceil(leaves));
    placed_.resize(points.size());
    for (std::uint32_t i = 0; i < placed_.size(); ++i) {
        placed_[i] = {points[i], i};
    }
    build_node(1, 0, static_cast<std::uint32_t>(points.size()));
}

// Recurses to the depth of the leaves, about log2(n / kLeafPoints).
void PointTree::build_node(std::size_t node, std::uint32_t begin, std::uint32_t end) {
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    Node n{{kInfinity, -kInfinity, kInfinity, -kInfinity}, UINT32_MAX, 0, begin, end};
    for (std::uint32_t k = begin; k < end; ++k) {
        const Coordinate p = placed_[k].point;
        n.box = {std::min(n.box.min_x, p.x), std::max(n.box.max_x, p.x), std::min(n.box.min_y, p.y),
                 std::max(n.box.max_y, p.y)};
        n.least = std::min(n.least, placed_[k].index);
        n.most = std::max(n.most, placed_[k].index);
    }
    nodes_[node] = n;
    if (end - begin <= kLeafPoints) {
        return;
    }
    const auto first = placed_.begin() + begin;
    const auto middle = first + (end - begin) / 2;
    const auto last = placed_.begin() + end;
    if (std::size_t{n.most - n.least} >= kScatteredIndices * (end - begin)) {
        std::nth_element(first, middle, last,
                         [](const Placed& a, const Placed& b) { return a.index < b.index; });
    } else if (n.box.max_x - n.box.min_x >= n.box.max_y - n.box.min_y) {
        std::nth_element(first, middle, last, [](const Placed& a, const Placed& b) {
            return a.point.x < b.point.x || (a.point.x == b.point.x && a.index < b.index);
        });
    } else {
        std::nth_element(first, middle, last, [](const Placed& a, const Placed& b) {
            return a.point.y < b.point.y || (a.point.y == b.point.y && a.index < b.index);
        });
    }
    const auto split = static_cast<std::uint32_t>(middle - placed_.begin());
    build_node(2 * node, begin, split);
    build_node(2 * node + 1, split, end);
}

}  // namespace quorvel
