// The k-d tree of point_tree.h. Ties in a coordinate are broken by index, so that the layout
// depends on the points alone.
#include "point_tree.h"

#include <algorithm>
#include <bit>

namespace quorvel {

void PointTree::build(const Ring& points, std::size_t begin, std::size_t end) {
    clear();
    if (begin >= end || end > points.size() || points.size() >= UINT32_MAX) {
        return;
    }
    // Halving keeps the sizes of the nodes at one depth within one of each other, so no leaf
    // lies deeper than the first depth at which the largest node has kLeafPoints points or
    // fewer, and the nodes there are numbered below twice the power of two above
    // n / kLeafPoints. A node not laid yet holds no points (end 0).
    const std::size_t n = end - begin;
    const std::size_t leaves = (n + kLeafPoints - 1) / kLeafPoints;
    nodes_.assign(2 * std::bit_ceil(leaves), Node{});
    placed_.resize(n);
    for (std::size_t k = 0; k < n; ++k) {
        placed_[k] = {points[begin + k], static_cast<std::uint32_t>(begin + k)};
    }
    keys_.resize(n);
    upper_.resize(n - n / 2);
    first_index_ = begin;
    end_index_ = end;
    const auto size = static_cast<std::uint32_t>(n);
    nodes_[1] = {box_over(0, size), static_cast<std::uint32_t>(begin),
                 static_cast<std::uint32_t>(end - 1), 0, size};
}

// Every node's points stay in the order of their indices, as the ring's are at the root: a
// split by index then takes the first half as it lies, and a split by place keeps the order in
// each half. The halves are the same as a selection by (coordinate, index) would give.
std::size_t PointTree::lay_children(std::size_t i) {
    if (nodes_[2 * i].end != 0) {
        return 0;
    }
    const Node n = nodes_[i];
    const std::uint32_t split = n.begin + (n.end - n.begin) / 2;
    const Halves halves =
        std::size_t{n.most - n.least} >= kScatteredIndices * (n.end - n.begin)
            ? Halves{box_over(n.begin, split), box_over(split, n.end)}
            : split_by_place(n.begin, split, n.end,
                             n.box.max_x - n.box.min_x >= n.box.max_y - n.box.min_y
                                 ? &Coordinate::x
                                 : &Coordinate::y);
    nodes_[2 * i] = {halves.lower, placed_[n.begin].index, placed_[split - 1].index, n.begin,
                     split};
    nodes_[2 * i + 1] = {halves.upper, placed_[split].index, placed_[n.end - 1].index, split,
                         n.end};
    return n.end - n.begin;
}

// The box of the points placed in [begin, end).
NodeBox PointTree::box_over(std::uint32_t begin, std::uint32_t end) const {
    NodeBox box = kEmptyBox;
    for (std::uint32_t k = begin; k < end; ++k) {
        box = widened(box, placed_[k].point);
    }
    return box;
}

// Moves the points of [begin, end) with the split - begin least coordinates, ties going to the
// lesser index, to the front, keeping the order of indices within each part; gives the boxes of
// the two parts.
PointTree::Halves PointTree::split_by_place(std::uint32_t begin, std::uint32_t split,
                                            std::uint32_t end, double Coordinate::*axis) {
    const std::size_t size = end - begin;
    const std::size_t lower_size = split - begin;
    double* const keys = keys_.data();
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
    Halves halves{kEmptyBox, kEmptyBox};
    std::uint32_t lower_end = begin;
    std::size_t upper_size = 0;
    for (std::uint32_t k = begin; k < end; ++k) {
        const Placed p = placed_[k];
        const double key = p.point.*axis;
        if (key < largest_lower || (key == largest_lower && ties_lower > 0)) {
            ties_lower -= key == largest_lower ? 1 : 0;
            placed_[lower_end++] = p;
            halves.lower = widened(halves.lower, p.point);
        } else {
            upper_[upper_size++] = p;
            halves.upper = widened(halves.upper, p.point);
        }
    }
    std::copy(upper_.begin(), upper_.begin() + upper_size, placed_.begin() + split);
    return halves;
}

}  // namespace quorvel
