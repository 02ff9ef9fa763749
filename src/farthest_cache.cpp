// Exact farthest distances per node and centre (farthest_cache.h).
#include "farthest_cache.h"

#include <algorithm>
#include <cstring>

#include "hypotenuse.h"
#include "tree_layout.h"

namespace quorvel {

void FarthestCache::reset(std::size_t nodes, std::size_t leaf_base, std::size_t leaf_points,
                          std::size_t points_allowed) {
    entries_.assign(nodes, Entry{{0.0, 0.0}, 0.0, false});
    leaf_base_ = leaf_base;
    leaf_points_ = leaf_points;
    points_left_ = points_allowed;
}

bool FarthestCache::holds(std::size_t node, Coordinate c) const {
    const Entry& entry = entries_[node];
    return entry.valid && std::memcmp(&entry.centre, &c, sizeof c) == 0;
}

std::size_t FarthestCache::span(std::size_t node) const {
    return node_span(node, leaf_base_, leaf_points_).size;
}

std::size_t FarthestCache::first_point(std::size_t node) const {
    return node_span(node, leaf_base_, leaf_points_).begin;
}

bool FarthestCache::first_point_beyond(const Ring& points, std::size_t node, Coordinate c,
                                       double limit) const {
    const std::size_t first = first_point(node);
    if (first >= points.size()) {
        return false;
    }
    const Coordinate p = points[first];
    return hypotenuse(c.x - p.x, c.y - p.y) > limit;
}

std::optional<double> FarthestCache::farthest(const Ring& points, std::size_t node, Coordinate c,
                                              std::size_t& budget) {
    if (holds(node, c)) {
        return entries_[node].farthest;
    }
    const std::size_t begin = first_point(node);
    const std::size_t end = std::min(begin + span(node), points.size());
    double largest = 0.0;
    if (end - begin <= kDirectPoints) {
        if (end - begin > budget || end - begin > points_left_) {
            return std::nullopt;
        }
        budget -= end - begin;
        points_left_ -= end - begin;
        // The largest of the distances as computed; the tree's coordinates are finite, so no
        // NaN arises.
        for (std::size_t i = begin; i < end; ++i) {
            largest = std::max(largest, hypotenuse(c.x - points[i].x, c.y - points[i].y));
        }
    } else {
        const std::optional<double> left = farthest(points, 2 * node, c, budget);
        if (!left) {
            return std::nullopt;
        }
        // A right child past the last point holds nothing.
        const bool right_holds_points = begin + span(node) / 2 < end;
        const std::optional<double> right =
            right_holds_points ? farthest(points, 2 * node + 1, c, budget) : 0.0;
        if (!right) {
            return std::nullopt;
        }
        largest = std::max(*left, *right);
    }
    entries_[node] = {c, largest, true};
    return largest;
}

}  // namespace quorvel
