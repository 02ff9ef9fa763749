// The points of a ring that repeat earlier ones, per node of the guard's tree
// (repeated_points.h).
#include "repeated_points.h"

#include <algorithm>
#include <bit>
#include <limits>

namespace quorvel {

void RepeatedPoints::build(const Ring& points, std::size_t leaf_base, std::size_t leaf_points) {
    // A leaf past the ring's points, which no run reaches, keeps the largest value; the tree's
    // nodes take the least of their children's.
    least_earlier_copy_.assign(2 * leaf_base, std::numeric_limits<std::size_t>::max());
    const std::size_t n = points.size();
    if (n > std::numeric_limits<std::uint32_t>::max()) {
        // Beyond the indices the sort holds: no point is known to repeat.
        std::fill(least_earlier_copy_.begin(), least_earlier_copy_.end(), 0);
        return;
    }
    sort_by_bits(points);
    for (std::size_t k = 0; k < n; ++k) {
        const Keyed& p = sorted_[k];
        const bool repeats = k > 0 && sorted_[k - 1].x == p.x && sorted_[k - 1].y == p.y;
        const std::size_t earlier = repeats ? sorted_[k - 1].index : 0;
        std::size_t& leaf = least_earlier_copy_[leaf_base + p.index / leaf_points];
        leaf = std::min(leaf, earlier);
    }
    for (std::size_t node = leaf_base - 1; node >= 1; --node) {
        least_earlier_copy_[node] =
            std::min(least_earlier_copy_[2 * node], least_earlier_copy_[2 * node + 1]);
    }
}

// Sorted by their bits, x first, and then by index, the copies of a point come together, each
// after the latest earlier one. A sort rather than a hash table: no choice of coordinates can
// make it slow. The bits travel with the indices, so that comparing two points reads neither
// from the ring.
void RepeatedPoints::sort_by_bits(const Ring& points) {
    const std::size_t n = points.size();
    sorted_.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        sorted_[i] = {std::bit_cast<std::uint64_t>(points[i].x),
                      std::bit_cast<std::uint64_t>(points[i].y), static_cast<std::uint32_t>(i)};
    }
    std::sort(sorted_.begin(), sorted_.end(), [](const Keyed& a, const Keyed& b) {
        return a.x != b.x ? a.x < b.x : a.y != b.y ? a.y < b.y : a.index < b.index;
    });
}

}  // namespace quorvel
