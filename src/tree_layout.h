// Where the nodes of the simplification guard's tree lie in the ring: node 1 is the root, node k
// has the children 2k and 2k + 1, and the leaves, from node leaf_base on, each hold leaf_points
// consecutive points.
#pragma once

#include <bit>
#include <cstddef>

namespace quorvel {

// The places of the ring that a node spans: from `begin`, `size` of them (the ring may end
// within its last leaf).
struct NodeSpan {
    std::size_t begin;
    std::size_t size;
};

constexpr NodeSpan node_span(std::size_t node, std::size_t leaf_base, std::size_t leaf_points) {
    // The node's depth in the tree gives how many leaves it spans.
    const std::size_t depth = static_cast<std::size_t>(std::bit_width(node)) - 1;
    const std::size_t size = (leaf_base >> depth) * leaf_points;
    return {(node - (std::size_t{1} << depth)) * size, size};
}

}  // namespace quorvel
