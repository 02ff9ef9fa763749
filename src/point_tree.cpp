// The k-d tree of point_tree.h. Ties in a coordinate are broken by index, so that the layout
// depends on the points alone.
#include "point_tree.h"

#include <algorithm>
#include <bit>
#include <limits>

namespace quorvel {

// Scratch room for laying the tree: one key per point of a node, and the upper half of a node
// while it is split by place.
struct PointTree::Scratch {
    Vector<double> keys;
    Vector<Placed> upper;
};

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
    Scratch scratch;
    scratch.keys.resize(points.size());
    scratch.upper.resize(points.size() - points.size() / 2);
    build_node(1, 0, static_cast<std::uint32_t>(points.size()), scratch);
}

// Every node's points stay in the order of their indices, as the ring's are at the root: a
// split by index then takes the first half as it lies, and a split by place keeps the order in
// each half. The halves are the same as a selection by (coordinate, index) would give.
// Recurses to the depth of the leaves, about log2(n / kLeafPoints).
void PointTree::build_node(std::size_t node, std::uint32_t begin, std::uint32_t end,
                           Scratch& scratch) {
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    Node n{{kInfinity, -kInfinity, kInfinity, -kInfinity},
           placed_[begin].index,
           placed_[end - 1].index,
           begin,
           end};
    for (std::uint32_t k = begin; k < end; ++k) {
        const Coordinate p = placed_[k].point;
        n.box = {std::min(n.box.min_x, p.x), std::max(n.box.max_x, p.x), std::min(n.box.min_y, p.y),
                 std::max(n.box.max_y, p.y)};
    }
    nodes_[node] = n;
    if (end - begin <= kLeafPoints) {
        return;
    }
    const std::uint32_t split = begin + (end - begin) / 2;
    if (std::size_t{n.most - n.least} < kScatteredIndices * (end - begin)) {
        split_by_place(begin, split, end,
                       n.box.max_x - n.box.min_x >= n.box.max_y - n.box.min_y ? &Coordinate::x
                                                                              : &Coordinate::y,
                       scratch);
    }
    build_node(2 * node, begin, split, scratch);
    build_node(2 * node + 1, split, end, scratch);
}

// Moves the points of [begin, end) with the split - begin least coordinates, ties going to the
// lesser index, to the front, keeping the order of indices within each part.
void PointTree::split_by_place(std::uint32_t begin, std::uint32_t split, std::uint32_t end,
                               double Coordinate::*axis, Scratch& scratch) {
    const std::size_t size = end - begin;
    const std::size_t lower_size = split - begin;
    double* const keys = scratch.keys.data();
    for (std::size_t k = 0; k < size; ++k) {
        keys[k] = placed_[begin + k].point.*axis;
    }
    // The largest coordinate of the lower part; the points before it in `keys` are no greater.
    std::nth_element(keys, keys + lower_size - 1, keys + size);
    const double largest_lower = keys[lower_size - 1];
    std::size_t ties_lower = lower_size;
    for (std::size_t k = 0; k + 1 < lower_size; ++k) {
        ties_lower -= keys[k] < largest_lower ? 1 : 0;
    }
    // Points equal to it go to the lower part in the order of their indices, as many as fit.
    std::uint32_t lower_end = begin;
    std::size_t upper_size = 0;
    for (std::uint32_t k = begin; k < end; ++k) {
        const Placed p = placed_[k];
        const double key = p.point.*axis;
        const bool lower = key < largest_lower || (key == largest_lower && ties_lower > 0);
        if (lower) {
            ties_lower -= key == largest_lower ? 1 : 0;
            placed_[lower_end++] = p;
        } else {
            scratch.upper[upper_size++] = p;
        }
    }
    std::copy(scratch.upper.begin(), scratch.upper.begin() + upper_size, placed_.begin() + split);
}

}  // namespace quorvel
