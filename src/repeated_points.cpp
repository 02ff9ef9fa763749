// The points of a ring that repeat earlier ones, per node of the guard's tree
// (repeated_points.h).
#include "repeated_points.h"

#include <algorithm>
#include <bit>
#include <limits>

namespace quorvel {
namespace {

// Points are the same when their bits are, which leaves no doubt that their distances are.
struct PointBits {
    std::uint64_t x;
    std::uint64_t y;

    explicit PointBits(Coordinate c)
        : x(std::bit_cast<std::uint64_t>(c.x)), y(std::bit_cast<std::uint64_t>(c.y)) {}

    friend auto operator<=>(const PointBits&, const PointBits&) = default;
};

}  // namespace

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
    // Sorted by point and then by index, the copies of a point come together, each after the
    // latest earlier one. A sort rather than a hash table: no choice of coordinates can make it
    // slow.
    order_.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        order_[i] = static_cast<std::uint32_t>(i);
    }
    std::sort(order_.begin(), order_.end(), [&](std::uint32_t a, std::uint32_t b) {
        const PointBits pa(points[a]);
        const PointBits pb(points[b]);
        return pa < pb || (pa == pb && a < b);
    });
    for (std::size_t k = 0; k < n; ++k) {
        const std::size_t i = order_[k];
        const bool repeats = k > 0 && PointBits(points[order_[k - 1]]) == PointBits(points[i]);
        const std::size_t earlier = repeats ? order_[k - 1] : 0;
        std::size_t& leaf = least_earlier_copy_[leaf_base + i / leaf_points];
        leaf = std::min(leaf, earlier);
    }
    for (std::size_t node = leaf_base - 1; node >= 1; --node) {
        least_earlier_copy_[node] =
            std::min(least_earlier_copy_[2 * node], least_earlier_copy_[2 * node + 1]);
    }
}

}  // namespace quorvel
