// The points that repeat earlier ones, per node of the guard's tree, against their definition
// computed by a map: for every node and every start of a run, whether all the node's points
// repeat a point after that start. The rings draw their points from a small pool, so that most
// repeat, with values whose bits differ though they compare equal (0 and -0) or in one bit only,
// which the sort must tell apart.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <limits>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "check.h"
#include "repeated_points.h"

namespace {

using quorvel::Coordinate;
using quorvel::RepeatedPoints;
using quorvel::Ring;

Ring ring_from_pool(std::mt19937_64& random, std::size_t n, const std::vector<Coordinate>& pool) {
    Ring ring;
    for (std::size_t i = 0; i < n; ++i) {
        ring.push_back(pool[random() % pool.size()]);
    }
    return ring;
}

std::vector<Coordinate> pool_of(std::mt19937_64& random, std::size_t size) {
    std::vector<Coordinate> pool = {{0.0, 0.0},
                                    {-0.0, 0.0},
                                    {0.0, -0.0},
                                    {1.0, 1.0},
                                    {1.0, std::nextafter(1.0, 2.0)},
                                    {std::nextafter(1.0, 2.0), 1.0},
                                    {-1.0, 1.0},
                                    {1e300, -1e-300},
                                    {std::numeric_limits<double>::denorm_min(), 1.0}};
    // A point and, for each 11-bit digit of its bits as a 128-bit number (x above y), the point
    // with one bit of that digit flipped: only a pass over every digit brings each one's copies
    // together.
    const std::uint64_t x = std::bit_cast<std::uint64_t>(1.75);
    const std::uint64_t y = std::bit_cast<std::uint64_t>(-3.5);
    for (int bit = 0; bit < 128; bit += 11) {
        const std::uint64_t flip = std::uint64_t{1} << (bit % 64);
        pool.push_back({std::bit_cast<double>(bit < 64 ? x : x ^ flip),
                        std::bit_cast<double>(bit < 64 ? y ^ flip : y)});
    }
    while (pool.size() < size) {
        pool.push_back({std::bit_cast<double>(random()), std::bit_cast<double>(random())});
    }
    return pool;
}

// Per node of a tree with leaves of `leaf_points` points from `leaf_base` on: the least over
// its points of the index of the point's latest earlier copy, 0 where it has none.
std::vector<std::size_t> least_earlier_copies(const Ring& ring, std::size_t leaf_base,
                                              std::size_t leaf_points) {
    std::vector<std::size_t> least(2 * leaf_base, std::numeric_limits<std::size_t>::max());
    std::map<std::pair<std::uint64_t, std::uint64_t>, std::size_t> latest;
    for (std::size_t i = 0; i < ring.size(); ++i) {
        const std::pair key{std::bit_cast<std::uint64_t>(ring[i].x),
                            std::bit_cast<std::uint64_t>(ring[i].y)};
        const auto found = latest.find(key);
        const std::size_t earlier = found == latest.end() ? 0 : found->second;
        latest[key] = i;
        std::size_t& leaf = least[leaf_base + i / leaf_points];
        leaf = std::min(leaf, earlier);
    }
    for (std::size_t node = leaf_base - 1; node >= 1; --node) {
        least[node] = std::min(least[2 * node], least[2 * node + 1]);
    }
    return least;
}

void check_ring(const Ring& ring, std::size_t leaf_points, const std::string& what) {
    const std::size_t leaves = (ring.size() + leaf_points - 1) / leaf_points;
    const std::size_t leaf_base = std::bit_ceil(std::max<std::size_t>(leaves, 1));
    RepeatedPoints repeated;
    repeated.build(ring, leaf_base, leaf_points);
    const std::vector<std::size_t> least = least_earlier_copies(ring, leaf_base, leaf_points);
    std::size_t differing = 0;
    std::size_t all_repeat = 0;
    for (std::size_t node = 1; node < 2 * leaf_base; ++node) {
        for (std::size_t first = 0; first <= ring.size(); first += 1 + ring.size() / 64) {
            const bool expected = least[node] > first;
            differing += repeated.all_repeat_after(node, first) == expected ? 0 : 1;
            all_repeat += expected ? 1 : 0;
        }
    }
    check::expect(differing == 0, (what + ": the nodes whose points all repeat earlier ones, " +
                                   std::to_string(differing) + " differing")
                                      .c_str());
    check::expect(ring.size() < 1000 || all_repeat > 0,
                  (what + ": some node repeats earlier points").c_str());
}

}  // namespace

int main() {
    std::mt19937_64 random(11);
    for (const std::size_t n : {1u, 2u, 17u, 1000u, 20000u}) {
        for (const std::size_t least_pool : {0u, 40u, 300u}) {
            const std::vector<Coordinate> pool = pool_of(random, least_pool);
            const std::string what =
                std::to_string(n) + " points from a pool of " + std::to_string(pool.size());
            const Ring ring = ring_from_pool(random, n, pool);
            if (n >= 17) {
                check_ring(ring, 16, what);
            }
            check_ring(ring, 1, what + ", a point per leaf");
        }
    }
    // Once built, the scratch of the sort is reused for a ring of another size.
    RepeatedPoints reused;
    reused.build(ring_from_pool(random, 5000, pool_of(random, 40)), 512, 16);
    const Ring second = ring_from_pool(random, 700, pool_of(random, 40));
    reused.build(second, 64, 16);
    const std::vector<std::size_t> least = least_earlier_copies(second, 64, 16);
    std::size_t differing = 0;
    for (std::size_t node = 1; node < 128; ++node) {
        differing += reused.all_repeat_after(node, 100) == (least[node] > 100) ? 0 : 1;
    }
    check::expect(differing == 0, "a reused RepeatedPoints answers for the ring built last");
    return check::status();
}
