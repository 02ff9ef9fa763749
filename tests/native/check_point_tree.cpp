// The layout of the guard's tree of points in space, over a whole ring or a stretch of it, node
// by node, against its definition, in whatever order its nodes are laid: each node holds the points
// it claims, with their exact box and extreme indices, and an inner node gives the lesser half of
// its points to its first child, by index where they are scattered over the ring and by
// (coordinate, index) across the wider side of its box otherwise.
#include <algorithm>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "check.h"
#include "point_tree.h"

namespace {

using quorvel::Coordinate;
using quorvel::PointTree;
using quorvel::Ring;

// Whether `a` comes before `b` along `axis`, ties going to the lesser index.
bool before_along(const PointTree::Placed& a, const PointTree::Placed& b,
                  double Coordinate::*axis) {
    const double ka = a.point.*axis;
    const double kb = b.point.*axis;
    return ka < kb || (ka == kb && a.index < b.index);
}

// Checks the node and its descendants, laying them; counts the points that reach leaves.
void check_node(PointTree& tree, const Ring& ring, std::size_t id, std::uint32_t begin,
                std::uint32_t end, std::size_t& leaf_points, const char* what) {
    const PointTree::Node& node = tree.node(id);
    const PointTree::Placed* placed = tree.placed();
    bool holds = node.begin == begin && node.end == end && begin < end;
    std::uint32_t least = UINT32_MAX;
    std::uint32_t most = 0;
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    quorvel::NodeBox box{kInfinity, -kInfinity, kInfinity, -kInfinity};
    for (std::uint32_t k = begin; k < end && holds; ++k) {
        const PointTree::Placed& p = placed[k];
        holds = p.index < ring.size() && ring[p.index] == p.point;
        least = std::min(least, p.index);
        most = std::max(most, p.index);
        box = {std::min(box.min_x, p.point.x), std::max(box.max_x, p.point.x),
               std::min(box.min_y, p.point.y), std::max(box.max_y, p.point.y)};
    }
    check::expect(holds, what);
    check::expect(node.least == least && node.most == most, what);
    check::expect(node.box.min_x == box.min_x && node.box.max_x == box.max_x &&
                      node.box.min_y == box.min_y && node.box.max_y == box.max_y,
                  what);
    if (!holds) {
        return;
    }
    if (tree.is_leaf(node)) {
        leaf_points += end - begin;
        return;
    }
    tree.lay_children(id);
    const std::uint32_t split = begin + (end - begin) / 2;
    const auto lower = placed + begin;
    const auto upper = placed + split;
    const auto last = placed + end;
    bool ordered = true;
    if (std::size_t{most - least} >= PointTree::kScatteredIndices * (end - begin)) {
        const auto by_index = [](const PointTree::Placed& a, const PointTree::Placed& b) {
            return a.index < b.index;
        };
        ordered = std::max_element(lower, upper, by_index)->index <
                  std::min_element(upper, last, by_index)->index;
    } else {
        const auto axis =
            box.max_x - box.min_x >= box.max_y - box.min_y ? &Coordinate::x : &Coordinate::y;
        const auto along = [axis](const PointTree::Placed& a, const PointTree::Placed& b) {
            return before_along(a, b, axis);
        };
        ordered = before_along(*std::max_element(lower, upper, along),
                               *std::min_element(upper, last, along), axis);
    }
    check::expect(ordered, what);
    check_node(tree, ring, 2 * id, begin, split, leaf_points, what);
    check_node(tree, ring, 2 * id + 1, split, end, leaf_points, what);
}

// The tree over the points with indices in [begin, end): it holds each of them once, and no
// other.
void check_tree(const Ring& ring, std::size_t begin, std::size_t end, const char* what) {
    PointTree tree;
    tree.build(ring, begin, end);
    const auto size = static_cast<std::uint32_t>(end - begin);
    check::expect(tree.holds_indices(begin, end) && !tree.holds_indices(begin, end + 1) &&
                      (begin == 0 || !tree.holds_indices(begin - 1, end)),
                  what);
    std::size_t leaf_points = 0;
    check_node(tree, ring, 1, 0, size, leaf_points, what);
    check::expect(leaf_points == size, what);
    std::vector<std::uint32_t> indices;
    for (std::size_t k = 0; k < size; ++k) {
        indices.push_back(tree.placed()[k].index);
    }
    std::sort(indices.begin(), indices.end());
    for (std::size_t k = 0; k < indices.size(); ++k) {
        check::expect(indices[k] == begin + k, what);
    }
}

// Laid breadth first, and each node's children asked for again at once and after the whole tree
// is laid, the tree is the one laid depth first: laying a node moves only the points of its own
// range, once. Laying reports the node's points the first time, what the searches count as
// its cost, and nothing when asked again.
void check_order_of_laying(const Ring& ring, const char* what) {
    PointTree depth_first;
    depth_first.build(ring, 0, ring.size());
    std::size_t leaf_points = 0;
    check_node(depth_first, ring, 1, 0, static_cast<std::uint32_t>(ring.size()), leaf_points, what);
    PointTree breadth_first;
    breadth_first.build(ring, 0, ring.size());
    std::vector<std::size_t> queue{1};
    for (std::size_t next = 0; next < queue.size(); ++next) {
        const std::size_t id = queue[next];
        const PointTree::Node& node = breadth_first.node(id);
        if (!breadth_first.is_leaf(node)) {
            check::expect(breadth_first.lay_children(id) == node.end - node.begin, what);
            check::expect(breadth_first.lay_children(id) == 0, what);
            queue.push_back(2 * id);
            queue.push_back(2 * id + 1);
        }
    }
    // Asked again once the whole tree is laid, as later searches ask.
    for (const std::size_t id : queue) {
        if (!breadth_first.is_leaf(breadth_first.node(id))) {
            check::expect(breadth_first.lay_children(id) == 0, what);
        }
    }
    bool same = true;
    for (const std::size_t id : queue) {
        const PointTree::Node& a = depth_first.node(id);
        const PointTree::Node& b = breadth_first.node(id);
        same =
            same && a.begin == b.begin && a.end == b.end && a.least == b.least && a.most == b.most;
    }
    for (std::size_t k = 0; k < ring.size() && same; ++k) {
        same = depth_first.placed()[k].index == breadth_first.placed()[k].index;
    }
    check::expect(same, what);
}

// A ring that passes each place many times, as a smoothed zigzag does.
Ring zigzag(std::size_t n) {
    Ring ring;
    for (std::size_t i = 0; i < n; ++i) {
        const double amplitude = static_cast<double>(n - i) * 1e150;
        ring.push_back({i % 2 == 0 ? amplitude : -amplitude, 0.0});
    }
    return ring;
}

// Points on a coarse grid, so that most coordinates are shared by many points, zeros of both
// signs among them.
Ring grid_ties(std::size_t n, std::uint64_t seed) {
    std::mt19937_64 engine(seed);
    std::uniform_int_distribution<int> cell(-3, 3);
    Ring ring;
    for (std::size_t i = 0; i < n; ++i) {
        const int x = cell(engine);
        const int y = cell(engine);
        ring.push_back(
            {x == 0 && i % 2 == 1 ? -0.0 : x * 0.5, y == 0 && i % 3 == 1 ? -0.0 : y * 2.0});
    }
    return ring;
}

Ring scattered_points(std::size_t n, std::uint64_t seed) {
    std::mt19937_64 engine(seed);
    std::normal_distribution<double> place(0.0, 1e3);
    Ring ring;
    for (std::size_t i = 0; i < n; ++i) {
        ring.push_back({place(engine), place(engine) * 1e-3});
    }
    return ring;
}

}  // namespace

int main() {
    for (const std::size_t n : {1u, 2u, 64u, 65u, 129u, 1000u, 20000u}) {
        check_tree(zigzag(n), 0, n, "zigzag");
        check_tree(grid_ties(n, n), 0, n, "grid with ties");
        check_tree(scattered_points(n, n + 1), 0, n, "scattered points");
        check_tree(zigzag(n + 100), 37, n + 37, "zigzag, part of it");
        check_tree(grid_ties(n + 100, n), 100, n + 100, "grid with ties, its end");
    }
    check_order_of_laying(zigzag(5000), "zigzag laid breadth first");
    check_order_of_laying(grid_ties(5000, 7), "grid laid breadth first");
    return check::status();
}
