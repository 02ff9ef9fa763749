// The exact signs, the node hulls and the farthest-distance cache of the simplification guard,
// against exact integer arithmetic and plain maxima: coordinates are multiples of 2^-52 up to 256
// in magnitude (or such values scaled by a power of two), so that every difference and product of
// them is an exact 128-bit integer.
#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <span>
#include <vector>

#include "check.h"
#include "exact_sign.h"
#include "farthest_cache.h"
#include "hypotenuse.h"
#include "node_hulls.h"
#include "smooth_and_simplify.h"
#include "spatial_parts.h"
#include "tree_layout.h"

namespace {

using quorvel::Coordinate;
using quorvel::Sign;
using Integer = __int128;

constexpr double kUnit = 0x1p-52;

Integer integer_of(double value) {
    return static_cast<Integer>(std::ldexp(value, 52));
}

Sign sign_of(Integer value) {
    return value > 0 ? Sign::Positive : value < 0 ? Sign::Negative : Sign::Zero;
}

Sign exact_turn(Coordinate a, Coordinate b, Coordinate c) {
    const Integer bx = integer_of(b.x) - integer_of(a.x);
    const Integer by = integer_of(b.y) - integer_of(a.y);
    const Integer cx = integer_of(c.x) - integer_of(a.x);
    const Integer cy = integer_of(c.y) - integer_of(a.y);
    return sign_of(bx * cy - by * cx);
}

Integer exact_along(Coordinate f, Coordinate p) {
    return integer_of(f.x) * integer_of(p.x) + integer_of(f.y) * integer_of(p.y);
}

class Random {
  public:
    explicit Random(std::uint64_t seed) : engine_(seed) {}
    // A multiple of 2^-52 up to 256 in magnitude, often with all 53 bits in use.
    double coordinate() {
        std::uniform_int_distribution<std::int64_t> units(-(std::int64_t{1} << 60),
                                                          std::int64_t{1} << 60);
        return static_cast<double>(units(engine_) >> (engine_() % 40)) * kUnit;
    }
    Coordinate point() { return {coordinate(), coordinate()}; }
    // A point near the line through a and b, a few units of 2^-52 off it.
    Coordinate near_line(Coordinate a, Coordinate b) {
        std::uniform_real_distribution<double> t(-2.0, 3.0);
        std::uniform_int_distribution<int> off(-3, 3);
        const double s = t(engine_);
        const double x = std::ldexp(std::round(std::ldexp(a.x + s * (b.x - a.x), 44)), -44);
        const double y = std::ldexp(std::round(std::ldexp(a.y + s * (b.y - a.y), 44)), -44);
        return {x + off(engine_) * kUnit * 256, y + off(engine_) * kUnit * 256};
    }
    std::uint64_t next() { return engine_(); }

  private:
    std::mt19937_64 engine_;
};

bool scales_exactly(Coordinate p, double factor) {
    return p.x * factor / factor == p.x && p.y * factor / factor == p.y;
}

void check_turns() {
    Random random(1);
    int decided_scaled = 0;
    for (int k = 0; k < 200000; ++k) {
        const Coordinate a = random.point();
        const Coordinate b = random.point();
        const Coordinate c = k % 2 == 0 ? random.point() : random.near_line(a, b);
        const Sign expected = exact_turn(a, b, c);
        check::expect(quorvel::sign_of_turn(a, b, c) == expected, "sign_of_turn is exact");
        // The sign does not change under scaling by a power of two, which the exact arithmetic
        // undoes: wherever the scaled coordinates are exact, the answer is the same.
        for (const double factor : {0x1p300, 0x1p-300, 0x1p-700, 0x1p900}) {
            const Coordinate sa{a.x * factor, a.y * factor};
            const Coordinate sb{b.x * factor, b.y * factor};
            const Coordinate sc{c.x * factor, c.y * factor};
            if (!scales_exactly(a, factor) || !scales_exactly(b, factor) ||
                !scales_exactly(c, factor)) {
                continue;
            }
            const Sign scaled = quorvel::sign_of_turn(sa, sb, sc);
            check::expect(scaled == expected || scaled == Sign::Unknown,
                          "sign_of_turn is exact or Unknown at any scale");
            decided_scaled += scaled != Sign::Unknown;
        }
    }
    check::expect(decided_scaled > 700000, "turns scaled by powers of two are decided");
    // Exactly collinear points, and repeated ones.
    for (int k = 0; k < 10000; ++k) {
        const Coordinate a = random.point();
        const Coordinate b{a.x + 256 * kUnit * (k % 7), a.y + 256 * kUnit * 2 * (k % 7)};
        const Coordinate c{a.x + 256 * kUnit * (k % 5), a.y + 256 * kUnit * 2 * (k % 5)};
        check::expect(quorvel::sign_of_turn(a, b, c) == Sign::Zero, "collinear turns are zero");
    }
}

void check_steps() {
    Random random(2);
    for (int k = 0; k < 200000; ++k) {
        const Coordinate f = random.point();
        const Coordinate a = random.point();
        const Coordinate b = k % 2 == 0 ? random.point() : Coordinate{a.x + f.y, a.y - f.x};
        const Sign expected = sign_of(exact_along(f, b) - exact_along(f, a));
        check::expect(quorvel::sign_of_step_along(f, a, b) == expected,
                      "sign_of_step_along is exact");
        // The direction and the points scaled apart, far beyond the exact arithmetic's range.
        for (const double factor : {0x1p-700, 0x1p900}) {
            const Coordinate sf{f.x / factor, f.y / factor};
            const Coordinate sa{a.x * factor, a.y * factor};
            const Coordinate sb{b.x * factor, b.y * factor};
            check::expect(quorvel::sign_of_step_along(sf, sa, sb) == expected,
                          "sign_of_step_along is exact at any scale");
        }
    }
}

// Points of several kinds, in groups of 16 (the nodes just above leaves of 8 points).
std::vector<Coordinate> points_for_hulls(Random& random, int kind, int count) {
    std::vector<Coordinate> points;
    const Coordinate a = random.point();
    const Coordinate b = random.point();
    for (int i = 0; i < count; ++i) {
        switch (kind) {
            case 0:
                points.push_back(random.point());
                break;
            case 1:
                points.push_back(random.near_line(a, b));
                break;
            case 2:  // exactly collinear, with repeats
                points.push_back({a.x + 256 * kUnit * (i % 11), a.y + 256 * kUnit * 3 * (i % 11)});
                break;
            case 3:  // on a small grid: many ties and duplicates
                points.push_back({static_cast<double>(random.next() % 4),
                                  static_cast<double>(random.next() % 4)});
                break;
            default: {  // on a circle, all in convex position
                const double angle = 0.001 * static_cast<double>(random.next() % 6283);
                points.push_back({std::round(std::cos(angle) * 1e6) * 256 * kUnit,
                                  std::round(std::sin(angle) * 1e6) * 256 * kUnit});
            }
        }
    }
    return points;
}

void check_hulls() {
    Random random(3);
    for (int kind = 0; kind < 5; ++kind) {
        // On a circle, hulls of thousands of vertices: blocks of them are passed over.
        for (const int count : {16, 100, 1000, kind == 4 ? 6000 : 0}) {
            if (count == 0) {
                continue;
            }
            const std::vector<Coordinate> points = points_for_hulls(random, kind, count);
            quorvel::Ring ring(points.begin(), points.end());
            const std::size_t leaves = (ring.size() + 7) / 8;
            std::size_t leaf_base = 1;
            while (leaf_base < leaves) {
                leaf_base *= 2;
            }
            quorvel::NodeHulls hulls;
            hulls.build(ring, leaf_base, 8);
            for (std::size_t node = 1; node < leaf_base; ++node) {
                if (!hulls.has_hull(node)) {
                    continue;
                }
                const quorvel::NodeSpan span = quorvel::node_span(node, leaf_base, 8);
                const std::size_t begin = span.begin;
                const std::size_t end = std::min(begin + span.size, ring.size());
                if (begin >= ring.size()) {
                    continue;
                }
                // Axes, random directions, then a direction turning by small steps: each search
                // starts where the last ended, near or far from the new answer.
                Coordinate direction{};
                for (int k = 0; k < 60; ++k) {
                    if (k < 4) {
                        direction = {k % 2 == 0 ? 1.0 : 0.0, k % 2 == 0 ? 0.0 : -1.0};
                    } else if (k < 30) {
                        direction = random.point();
                    } else {
                        direction = {direction.x - 0.01 * direction.y,
                                     direction.y + 0.01 * direction.x};
                    }
                    const Coordinate f = direction;
                    const std::optional<Coordinate> extreme =
                        hulls.extreme(node, f, quorvel::NodeHulls::Search::AlongHigh);
                    check::expect(extreme.has_value(), "extreme() decides in range");
                    Integer best = exact_along(f, ring[begin]);
                    for (std::size_t i = begin; i < end; ++i) {
                        best = std::max(best, exact_along(f, ring[i]));
                    }
                    check::expect(extreme && exact_along(f, *extreme) == best,
                                  "extreme() finds the greatest f.p of the node's points");
                }
                // Uncut, the farthest corner is the farthest point, as computed.
                const Coordinate c = random.point();
                double farthest = 0.0;
                for (std::size_t i = begin; i < end; ++i) {
                    const double dx = c.x - ring[i].x;
                    const double dy = c.y - ring[i].y;
                    farthest = std::max(farthest, dx * dx + dy * dy);
                }
                std::size_t visited = 0;
                const auto farthest_on_side = [&](Coordinate f, double scale, double enough) {
                    return hulls.farthest_squared_on_side(node, c, f, 0.0, scale, enough, visited);
                };
                const std::optional<double> uncut = farthest_on_side({0.0, 0.0}, 1.0, 0.0);
                check::expect(!uncut || *uncut == farthest,
                              "uncut, the farthest hull vertex is the farthest point");
                // Differences scaled by 2^-10: squares scaled by 2^-20, exactly.
                const std::optional<double> scaled_uncut =
                    farthest_on_side({0.0, 0.0}, 0x1p-10, 0.0);
                check::expect(!uncut || (scaled_uncut && *scaled_uncut == *uncut * 0x1p-20),
                              "scaled differences scale the farthest squared distance");
                // Blocks of vertices whose boxes stay within `enough` are passed over, the
                // farthest vertex's never: below the farthest, the answer does not change; above
                // it, the answer may rise to a box's corner, and fewer vertices are visited.
                const std::optional<double> below = farthest_on_side({0.0, 0.0}, 1.0, farthest / 2);
                check::expect(!uncut || (below && *below == farthest),
                              "blocks passed over below the farthest change nothing");
                const std::size_t every_vertex = hulls.hull_size(node);
                visited = 0;
                const std::optional<double> above = farthest_on_side({0.0, 0.0}, 1.0, farthest * 4);
                check::expect(!uncut || (above && *above >= farthest),
                              "blocks passed over never bring the bound below the farthest");
                // Hulls of many blocks: most are passed over. (A hull of a few blocks may
                // hold no whole one: blocks start at multiples of kBlockVertices.)
                check::expect(every_vertex <= 16 * quorvel::NodeHulls::kBlockVertices ||
                                  visited < every_vertex / 4,
                              "blocks passed over are not visited vertex by vertex");
                // Cut, no point on the side lies farther than the bound, scaled or not, whatever
                // the blocks passed over.
                const Coordinate f = random.point();
                const double everything = std::numeric_limits<double>::max();
                const std::optional<double> cut = farthest_on_side(f, 1.0, 0.0);
                const std::optional<double> scaled_cut =
                    farthest_on_side({f.x * 8, f.y * 8}, 0x1p-10, 0.0);
                const std::optional<double> cut_over = farthest_on_side(f, 1.0, everything);
                const std::optional<double> cut_halfway = farthest_on_side(f, 1.0, farthest / 4);
                for (std::size_t i = begin; i < end; ++i) {
                    const Coordinate p = ring[i];
                    if (exact_along(f, p) - exact_along(f, c) >= 0) {
                        const double dx = c.x - p.x;
                        const double dy = c.y - p.y;
                        check::expect(!cut || dx * dx + dy * dy <= *cut * (1 + 0x1p-48),
                                      "the cut hull's farthest corner bounds its side");
                        check::expect(!scaled_cut || (dx * dx + dy * dy) * 0x1p-20 <=
                                                         *scaled_cut * (1 + 0x1p-48),
                                      "the scaled cut hull's farthest corner bounds its side");
                        for (const std::optional<double>& passing : {cut_over, cut_halfway}) {
                            check::expect(!passing || dx * dx + dy * dy <= *passing * (1 + 0x1p-48),
                                          "with blocks passed over, the bound holds its side");
                        }
                    }
                }
            }
        }
    }
}

// The cache's farthest distances equal the largest distance as computed over the node's points,
// whether worked out at once or over several calls with small budgets, and for any centre.
void check_farthest_cache() {
    Random random(4);
    const std::vector<Coordinate> points = points_for_hulls(random, 0, 3000);
    const quorvel::Ring ring(points.begin(), points.end());
    const std::size_t leaf_base = 512;  // 3000 points in leaves of 8
    quorvel::FarthestCache cache;
    cache.reset(2 * leaf_base, leaf_base, 8, SIZE_MAX);
    for (const Coordinate c : {random.point(), random.point()}) {
        for (const std::size_t node : {std::size_t{1}, std::size_t{2}, std::size_t{3},
                                       std::size_t{17}, std::size_t{300}, std::size_t{700}}) {
            const quorvel::NodeSpan span = quorvel::node_span(node, leaf_base, 8);
            const std::size_t begin = span.begin;
            const std::size_t end = std::min(begin + span.size, ring.size());
            double expected = 0.0;
            for (std::size_t i = begin; i < end; ++i) {
                expected =
                    std::max(expected, quorvel::hypotenuse(c.x - ring[i].x, c.y - ring[i].y));
            }
            std::optional<double> got;
            int calls = 0;
            while (!got && calls < 1000) {
                std::size_t budget = 100;
                got = cache.farthest(ring, node, c, budget);
                ++calls;
            }
            check::expect(got && *got == expected, "the cache's farthest distance is exact");
            std::size_t none = 0;
            check::expect(cache.farthest(ring, node, c, none) == got,
                          "a cached distance needs no budget");
        }
    }
    // What reset() allows is spent across calls: the whole ring's farthest distance needs every
    // point measured once, and one point fewer is never enough, however the calls split it.
    for (const std::size_t allowed : {ring.size() - 1, ring.size()}) {
        cache.reset(2 * leaf_base, leaf_base, 8, allowed);
        std::optional<double> got;
        for (int calls = 0; !got && calls < 100; ++calls) {
            std::size_t budget = 100;
            got = cache.farthest(ring, 1, ring[0], budget);
        }
        check::expect(got.has_value() == (allowed == ring.size()),
                      "the cache measures no more points than reset() allows");
    }
}

}  // namespace

// The vertices of a node's hull in order around it: the upper chain left to right, then the
// lower one right to left without the ends they share.
std::vector<Coordinate> hull_around(const quorvel::NodeHulls& hulls, std::size_t node) {
    std::vector<Coordinate> chains;
    if (!hulls.has_hull(node)) {
        return chains;
    }
    hulls.visit_vertices(node, [&](Coordinate v) { chains.push_back(v); });
    // The lower chain starts again at the leftmost vertex, where the upper one starts.
    std::size_t lower = 1;
    while (lower < chains.size() && !(chains[lower] == chains.front())) {
        ++lower;
    }
    std::vector<Coordinate> around(chains.begin(), chains.begin() + lower);
    for (std::size_t i = chains.size() - 2; i > lower; --i) {
        around.push_back(chains[i]);
    }
    return around;
}

// Hulls are laid as first asked for. Whatever the order of asking, each node gets the hull it
// gets when every node is asked for from the bottom up; asking for one node lays hulls within its
// own stretch only; and the hulls under a node hold at most kVerticesPerPoint vertices per point
// of it, so that on a circle, where every point is a vertex at every level, the upper nodes keep
// their boxes only.
void check_hulls_laid_on_demand() {
    Random random(11);
    std::mt19937_64 engine(12);
    constexpr std::size_t kLeafBase = 1024;  // leaves of 8 points: 6000 points fill 750
    constexpr std::size_t kMost = quorvel::NodeHulls::kVerticesPerPoint;
    for (int kind = 0; kind < 5; ++kind) {
        const std::vector<Coordinate> points = points_for_hulls(random, kind, 6000);
        const quorvel::Ring ring(points.begin(), points.end());
        quorvel::NodeHulls bottom_up;
        bottom_up.build(ring, kLeafBase, 8);
        for (std::size_t node = kLeafBase - 1; node >= 1; --node) {
            bottom_up.has_hull(node);
        }
        check::expect(bottom_up.vertex_count() <= kMost * ring.size(),
                      "the hulls hold at most kVerticesPerPoint vertices per point");
        for (const std::size_t node : {kLeafBase / 2 + 3, std::size_t{37}, std::size_t{2}}) {
            quorvel::NodeHulls alone;
            alone.build(ring, kLeafBase, 8);
            alone.has_hull(node);
            const quorvel::NodeSpan span = quorvel::node_span(node, kLeafBase, 8);
            check::expect(alone.vertex_count() <= kMost * span.size,
                          "asking for one node lays hulls within its stretch only");
        }
        std::vector<std::size_t> order(kLeafBase - 1);
        for (std::size_t i = 0; i < order.size(); ++i) {
            order[i] = i + 1;
        }
        std::shuffle(order.begin(), order.end(), engine);
        quorvel::NodeHulls scattered;
        scattered.build(ring, kLeafBase, 8);
        bool same = true;
        for (const std::size_t node : order) {
            same &= scattered.has_hull(node) == bottom_up.has_hull(node);
            if (same && scattered.has_hull(node)) {
                same &= hull_around(scattered, node) == hull_around(bottom_up, node);
            }
        }
        check::expect(same, "hulls asked for in any order are those asked for from the bottom up");
        if (kind == 4) {
            check::expect(!bottom_up.has_hull(1) && bottom_up.has_hull(kLeafBase / 8),
                          "on a circle the cap leaves the upper nodes without hulls");
        }
    }
}

// A search that does not lay at once gets a hull not laid yet only once the searches of
// kSearchesBeforeLaying runs have asked for it, each counted once however often it asks, unless
// the hulls laid so far are small; a new tree counts afresh, and the hulls a laid node's laying
// laid serve every search. A probing search lays the first hull at once.
void check_hulls_laid_once_wanted() {
    using Laying = quorvel::NodeHulls::Laying;
    Random random(13);
    constexpr std::size_t kLeafBase = 1024;
    constexpr std::uint32_t kSearches = quorvel::NodeHulls::kSearchesBeforeLaying;
    const std::vector<Coordinate> points = points_for_hulls(random, 0, 6000);
    const quorvel::Ring ring(points.begin(), points.end());
    quorvel::NodeHulls reference;
    reference.build(ring, kLeafBase, 8);
    constexpr std::size_t kNode = 3;
    check::expect(reference.has_hull(kNode), "a node of scattered points has a hull");

    quorvel::NodeHulls hulls;
    hulls.build(ring, kLeafBase, 8);
    bool refused = true;
    for (std::uint32_t search = 1; search < kSearches; ++search) {
        hulls.begin_search(Laying::WhenWanted);
        for (int ask = 0; ask < 3; ++ask) {
            refused &= !hulls.has_hull(kNode);
        }
    }
    check::expect(refused && hulls.vertex_count() == 0,
                  "a hull is refused to the searches before the last one needed");
    hulls.begin_search(Laying::WhenWanted);
    check::expect(
        hulls.has_hull(kNode) && hull_around(hulls, kNode) == hull_around(reference, kNode),
        "the search that makes kSearchesBeforeLaying lays the hull");
    check::expect(hulls.has_hull(2 * kNode) && hulls.has_hull(4 * kNode + 1),
                  "the hulls under it, laid with it, serve at once");
    hulls.begin_search(Laying::WhenWanted);
    check::expect(hulls.has_hull(kNode), "a laid hull serves every later search");
    check::expect(hulls.has_hull(2),
                  "where the hulls laid are small, a search lays the next it asks for at once");

    hulls.build(ring, kLeafBase, 8);
    for (std::uint32_t search = 1; search < kSearches; ++search) {
        hulls.begin_search(Laying::WhenWanted);
        hulls.has_hull(kNode);
    }
    hulls.build(ring, kLeafBase, 8);
    hulls.begin_search(Laying::WhenWanted);
    check::expect(!hulls.has_hull(kNode), "a new tree counts the searches afresh");
    hulls.begin_search(Laying::AtOnce);
    check::expect(
        hulls.has_hull(kNode) && hull_around(hulls, kNode) == hull_around(reference, kNode),
        "a search that lays at once lays the hull it asks for");

    // Points in convex position: every point of a node is a vertex of its hull.
    const std::vector<Coordinate> around = points_for_hulls(random, 4, 6000);
    const quorvel::Ring circle(around.begin(), around.end());
    quorvel::NodeHulls large;
    large.build(circle, kLeafBase, 8);
    constexpr std::size_t kLaid = kLeafBase / 8;
    for (std::uint32_t search = 1; search <= kSearches; ++search) {
        large.begin_search(Laying::WhenWanted);
        large.has_hull(kLaid);
    }
    large.begin_search(Laying::WhenWanted);
    check::expect(large.has_hull(kLaid) && !large.has_hull(kLaid + 1),
                  "where the hulls laid are large, the next waits for its searches");

    // A probing search lays the first hull at once, then goes on as the sizes tell.
    for (const bool convex : {false, true}) {
        quorvel::NodeHulls probed;
        probed.build(convex ? circle : ring, kLeafBase, 8);
        probed.begin_search(Laying::Probing);
        const bool first = probed.has_hull(kLaid);
        const bool next = probed.has_hull(kLaid + 1);
        check::expect(first && next != convex,
                      convex ? "a probing search lays a first large hull, and no more"
                             : "a probing search lays a first small hull, and the next");
        probed.begin_search(Laying::WhenWanted);
        check::expect(probed.has_hull(kLaid + 2) != convex,
                      "after a probe, a waiting search lays at once only where hulls are small");
    }
}

// The largest magnitude of the ring's coordinates, which turn_scaling_for() takes.
double largest_coordinate(const quorvel::Ring& ring) {
    double largest = 0.0;
    for (const Coordinate p : ring) {
        largest = std::max({largest, std::fabs(p.x), std::fabs(p.y)});
    }
    return largest;
}

// A ring far from unit scale has the turns of its hulls that the filter leaves tried on a copy
// scaled by a power of two, or not: either way its hulls are those of the same ring at unit
// scale, scaled. Where the copy would lose a coordinate's low bits among the subnormals, none is
// made and the ring's own points decide.
void check_hulls_at_any_scale() {
    Random random(7);
    constexpr std::size_t kLeafBase = 128;  // leaves of 8 points: 1000 points fill 125
    for (int kind = 0; kind < 5; ++kind) {
        const std::vector<Coordinate> points = points_for_hulls(random, kind, 1000);
        const quorvel::Ring unit(points.begin(), points.end());
        quorvel::NodeHulls reference;
        reference.build(unit, kLeafBase, 8);
        for (const int shift : {-1000, -700, -460, 460, 700, 960}) {
            quorvel::Ring ring;
            for (const Coordinate p : points) {
                ring.push_back({std::ldexp(p.x, shift), std::ldexp(p.y, shift)});
            }
            quorvel::ScaledForTurns scaled;
            scaled.reset(ring, largest_coordinate(ring));
            check::expect(scaled.points() != nullptr, "a ring far from unit scale gets a copy");
            // With the copy or without, the exact ways decide every turn that the filter leaves.
            for (const quorvel::ScaledForTurns* copy :
                 std::array<const quorvel::ScaledForTurns*, 2>{&scaled, nullptr}) {
                quorvel::NodeHulls hulls;
                hulls.build(ring, kLeafBase, 8, copy);
                bool same = true;
                for (std::size_t node = 1; node < kLeafBase; ++node) {
                    same &= hulls.has_hull(node) == reference.has_hull(node);
                    if (!same || !hulls.has_hull(node)) {
                        continue;
                    }
                    std::vector<Coordinate> expected = hull_around(reference, node);
                    for (Coordinate& v : expected) {
                        v = {std::ldexp(v.x, shift), std::ldexp(v.y, shift)};
                    }
                    same &= hull_around(hulls, node) == expected;
                }
                check::expect(same, "the hulls of a ring scaled by a power of two are scaled");
            }
        }
    }
    const auto copied = [](const quorvel::Ring& ring, double largest) {
        quorvel::ScaledForTurns scaled;
        scaled.reset(ring, largest);
        return scaled.points() != nullptr;
    };
    const quorvel::Ring two{{0x1p-401, 0.0}, {0.0, 1.0}};
    check::expect(!copied(two, 0x1p400) && !copied(two, 0x1p-400) && copied(two, 0x1p401) &&
                      copied(two, 0x1p-401) && !copied(two, 0.0),
                  "only rings beyond [2^-400, 2^400] get a copy");
    // 32 points on a line near 2^605, one of them 2^-500 above it: scaled into [1, 2), that
    // height would underflow to zero and the point would fall off the upper chain.
    quorvel::Ring line;
    for (int i = 0; i < 32; ++i) {
        line.push_back({std::ldexp(i + 1.0, 600), i == 5 ? 0x1p-500 : 0.0});
    }
    quorvel::ScaledForTurns scaled;
    scaled.reset(line, largest_coordinate(line));
    check::expect(scaled.points() == nullptr, "no scaled copy where a coordinate would lose bits");
    quorvel::NodeHulls hulls;
    hulls.build(line, 4, 8, &scaled);
    const std::vector<Coordinate> around = hull_around(hulls, 2);
    check::expect(
        hulls.has_hull(2) && std::find(around.begin(), around.end(), line[5]) != around.end(),
        "a point just off a line far out stays on its hull");
}

// 6000 points on two opposite arcs of a circle of radius 1e6 units, visited in turn.
std::vector<Coordinate> two_opposite_arcs(double unit) {
    std::vector<Coordinate> points;
    for (int i = 0; i < 6000; ++i) {
        const double angle = (i % 2 == 0 ? 0.0 : M_PI) + 0.5 * i / 6000;
        points.push_back(
            {std::round(std::cos(angle) * 1e6) * unit, std::round(std::sin(angle) * 1e6) * unit});
    }
    return points;
}

// The largest squared distance from c over the corners of the hull `around` cut by the line
// f.(p - c) = 0, on the side f.(p - c) >= 0: its vertices there and where its edges cross the
// line, in long double.
long double farthest_cut_corner(const std::vector<Coordinate>& around, Coordinate c, Coordinate f) {
    const auto side = [&](Coordinate p) { return exact_along(f, p) - exact_along(f, c); };
    const auto squared = [&](long double x, long double y) {
        return (x - c.x) * (x - c.x) + (y - c.y) * (y - c.y);
    };
    long double farthest = 0;
    for (std::size_t i = 0; i < around.size(); ++i) {
        const Coordinate a = around[i];
        const Coordinate b = around[(i + 1) % around.size()];
        const Integer sa = side(a);
        const Integer sb = side(b);
        if (sa >= 0) {
            farthest = std::max(farthest, squared(a.x, a.y));
        }
        if ((sa >= 0) != (sb >= 0)) {
            const long double t = static_cast<long double>(sa) / (sa - sb);
            farthest = std::max(farthest, squared(a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)));
        }
    }
    return farthest;
}

// Passing over blocks of vertices, near enough to the centre or wholly off the side, keeps the
// bound above every corner of the cut hull, the points where its edges cross the line included,
// not only above its vertices: on two opposite arcs of a circle, 3000 points each, whose upper
// nodes' hulls have thousands of vertices and two long edges, cut in any direction through
// centres near the arcs. And it costs a few steps per doubling of the hull.
void check_cut_corners_past_blocks() {
    Random random(6);
    const std::vector<Coordinate> points = two_opposite_arcs(256 * kUnit);
    const quorvel::Ring ring(points.begin(), points.end());
    quorvel::NodeHulls hulls;
    hulls.build(ring, 128, 64);  // 6000 points in leaves of 64
    std::uniform_real_distribution<double> factor(0.5, 1.5);
    std::mt19937_64 engine(7);
    int checked = 0;
    int off_side = 0;
    for (std::size_t node = 1; node < 16; ++node) {
        if (!hulls.has_hull(node) || hulls.hull_size(node) <= quorvel::NodeHulls::kBlockedHull) {
            continue;
        }
        const std::vector<Coordinate> around = hull_around(hulls, node);
        for (int k = 0; k < 400; ++k) {
            const Coordinate on = points[engine() % points.size()];
            const double scale = factor(engine);
            const Coordinate c{on.x * scale, on.y * scale};
            const Coordinate f = random.point();
            const auto side = [&](Coordinate p) { return exact_along(f, p) - exact_along(f, c); };
            const long double farthest = farthest_cut_corner(around, c, f);
            std::size_t visited = 0;
            const std::optional<double> bound = hulls.farthest_squared_on_side(
                node, c, f, 0.0, 1.0, std::numeric_limits<double>::max(), visited);
            check::expect(!bound || farthest <= *bound * (1 + 0x1p-40L),
                          "past blocks, the bound holds every corner of the cut hull");
            checked += bound ? 1 : 0;
            // With no box near enough, only the blocks wholly off the side are passed over.
            std::size_t visited_near = 0;
            const std::optional<double> near =
                hulls.farthest_squared_on_side(node, c, f, 0.0, 1.0, 0.0, visited_near);
            check::expect(!near || farthest <= *near * (1 + 0x1p-40L),
                          "past blocks off the side, the bound holds every corner of the cut hull");
            // Blocks of 16, 32, 64, ... vertices: with every box near enough, a few steps per
            // doubling of the hull; with the whole hull off the side, those and the vertices of
            // the few blocks that the line passes near.
            const std::size_t steps = 8 * static_cast<std::size_t>(std::bit_width(around.size()));
            check::expect(visited <= steps, "blocks near enough cost a few steps per doubling");
            const bool none_taken = std::none_of(around.begin(), around.end(),
                                                 [&](Coordinate v) { return side(v) >= 0; });
            check::expect(
                !none_taken || visited_near <= steps + 4 * quorvel::NodeHulls::kBlockVertices,
                "blocks off the side cost a few steps per doubling");
            off_side += none_taken ? 1 : 0;
        }
    }
    check::expect(checked > 600, "large hulls are cut and bounded");
    check::expect(off_side > 100, "large hulls are cut wholly off the side");
}

// Scans of a cut hull from a centre that the scans keep coming back to, around which the hull's
// vertices lie nearly on a circle (a half circle of 6000 points, a few units off it, cut through
// its centre by a line turning a little each time, as by runs that share their start): once the
// squared distances per block are kept, the bound still holds every corner of the cut hull, and
// a scan costs a few steps per doubling of the hull besides the blocks near the line, where
// without them it visits most vertices; working them out costs about the hull's size. A second
// centre, then the first again, each get their own values: none serves another centre.
void check_kept_centre_past_blocks() {
    std::mt19937_64 engine(8);
    std::uniform_int_distribution<int> off(-2, 2);
    const double unit = 256 * kUnit;
    std::vector<Coordinate> points;
    for (int i = 0; i < 6000; ++i) {
        const double angle = M_PI * i / 6000;
        const double radius = 1e9 + off(engine);
        points.push_back({std::round(std::cos(angle) * radius) * unit,
                          std::round(std::sin(angle) * radius) * unit});
    }
    const quorvel::Ring ring(points.begin(), points.end());
    quorvel::NodeHulls hulls;
    hulls.build(ring, 128, 64);
    const std::vector<Coordinate> around = hull_around(hulls, 1);
    check::expect(around.size() > 2000, "the half circle's hull has thousands of vertices");
    const std::size_t steps = 8 * static_cast<std::size_t>(std::bit_width(around.size())) +
                              8 * quorvel::NodeHulls::kBlockVertices;
    for (const Coordinate c :
         {Coordinate{0.0, 0.0}, Coordinate{0.0, -2e8 * unit}, Coordinate{0.0, 0.0}}) {
        std::size_t all_visited = 0;
        for (int k = 0; k < 40; ++k) {
            const double angle = 0.3 + 0.001 * k;
            const Coordinate f{std::round(std::cos(angle) * 1e9) * unit,
                               std::round(std::sin(angle) * 1e9) * unit};
            const long double farthest = farthest_cut_corner(around, c, f);
            // Enough to pass over every block on the side, not their boxes.
            const double enough = static_cast<double>(farthest * (1 + 0x1p-30L));
            std::size_t visited = 0;
            const std::optional<double> bound =
                hulls.farthest_squared_on_side(1, c, f, 0.0, 1.0, enough, visited);
            check::expect(bound && farthest <= *bound * (1 + 0x1p-40L),
                          "with the distances kept per block, the bound holds the cut hull");
            check::expect(k > 0 || visited > around.size() / 16,
                          "without kept distances, a scan visits many vertices");
            check::expect(k < 10 || visited <= steps,
                          "with kept distances, a scan costs a few steps per doubling");
            all_visited += visited;
        }
        check::expect(all_visited <= 3 * around.size() + 40 * steps,
                      "keeping the distances costs about the hull's size");
    }
}

// Scans of a cut hull whose walk meets the vertices on the side in order of growing distance
// from the centre: a parabola's lower chain, walked from its right end, from centres near that
// end that move left a little each time, cut to the points left of them, as by runs that peel a
// few points each off a convex curve. The first scan visits most vertices; each later one starts
// from the vertex the last found farthest, and passes over the blocks short of it. A cut to the
// other side in between keeps the bound sound, and so does the scan after it, whose start lies
// off its side (those two start afresh and are not counted).
void check_farthest_from_last_scan() {
    const double unit = 256 * kUnit;
    std::vector<Coordinate> points;
    for (int x = -3000; x < 3000; ++x) {
        points.push_back({x * unit, static_cast<double>(x) * x * unit});
    }
    const quorvel::Ring ring(points.begin(), points.end());
    quorvel::NodeHulls hulls;
    hulls.build(ring, 128, 64);
    const std::vector<Coordinate> around = hull_around(hulls, 1);
    check::expect(around.size() == points.size(), "every point of the parabola is a vertex");
    const std::size_t steps = 8 * static_cast<std::size_t>(std::bit_width(around.size())) +
                              8 * quorvel::NodeHulls::kBlockVertices;
    std::size_t later_visited = 0;
    for (int k = 0; k < 40; ++k) {
        const Coordinate c = points[points.size() - 10 - 7 * k];
        const Coordinate f{k == 20 ? unit : -unit, 0.0};
        const long double farthest = farthest_cut_corner(around, c, f);
        std::size_t visited = 0;
        const std::optional<double> bound =
            hulls.farthest_squared_on_side(1, c, f, 0.0, 1.0, 0.0, visited);
        check::expect(bound && farthest <= *bound * (1 + 0x1p-40L),
                      "from the last scan's farthest vertex, the bound holds the cut hull");
        check::expect(k > 0 || visited > around.size() / 2,
                      "walked toward the farthest, a first scan visits most vertices");
        if (k > 0 && k != 20 && k != 21) {
            later_visited = std::max(later_visited, visited);
        }
    }
    check::expect(later_visited <= steps,
                  "from the last scan's farthest vertex, a scan costs a few steps per doubling");
}

// The largest |f x (p - c)| over the hull cut to the strip low <= f.(p - c) <= high, on the
// differences times `scale`: at the vertices within the strip and where the edges cross its
// lines, in long double; -1 where the strip misses the hull.
long double across_in_strip(const std::vector<Coordinate>& around, Coordinate c, Coordinate f,
                            double low, double high, double scale) {
    const auto along = [&](Coordinate p) {
        return (f.x * (static_cast<long double>(p.x) - c.x) +
                f.y * (static_cast<long double>(p.y) - c.y)) *
               scale;
    };
    const auto across = [&](Coordinate p) {
        return (f.x * (static_cast<long double>(p.y) - c.y) -
                f.y * (static_cast<long double>(p.x) - c.x)) *
               scale;
    };
    long double largest = -1;
    for (std::size_t i = 0; i < around.size(); ++i) {
        const Coordinate a = around[i];
        const Coordinate b = around[(i + 1) % around.size()];
        const long double ta = along(a);
        const long double tb = along(b);
        if (ta >= low && ta <= high) {
            largest = std::max(largest, std::fabs(across(a)));
        }
        for (const long double t :
             {static_cast<long double>(low), static_cast<long double>(high)}) {
            if ((ta - t) * (tb - t) < 0) {
                const long double w = (ta - t) / (ta - tb);
                largest = std::max(largest, std::fabs((1 - w) * across(a) + w * across(b)));
            }
        }
    }
    return largest;
}

// The bound on |f x (p - c)| over a hull cut to a strip holds every corner of the cut hull, with
// blocks of vertices passed over or not, and comes within rounding of the largest: two opposite
// arcs of a circle, whose upper nodes' hulls have thousands of vertices and two long edges, and
// random points, cut by strips in any direction through centres on the hulls. As the guard
// scales them, the differences from c lie below 2 and |f.x| + |f.y| in [1, 2).
void check_across_in_strip() {
    Random random(8);
    std::vector<Coordinate> points = two_opposite_arcs(0x1p-13);
    for (int i = 0; i < 2048; ++i) {
        points.push_back(random.point());
    }
    const quorvel::Ring ring(points.begin(), points.end());
    quorvel::NodeHulls hulls;
    hulls.build(ring, 128, 64);
    std::mt19937_64 engine(9);
    int bounded = 0;
    int tight = 0;
    int cut_short = 0;
    for (std::size_t node = 1; node < 128; ++node) {
        if (!hulls.has_hull(node)) {
            continue;
        }
        const std::vector<Coordinate> around = hull_around(hulls, node);
        for (int k = 0; k < 100; ++k) {
            const Coordinate c = around[engine() % around.size()];
            double extent = 0.0;
            for (const Coordinate v : around) {
                extent = std::max({extent, std::fabs(v.x - c.x), std::fabs(v.y - c.y)});
            }
            const double scale = std::ldexp(1.0, -std::ilogb(extent));
            const Coordinate raw = random.point();
            const int f_shift = std::ilogb(std::fabs(raw.x) + std::fabs(raw.y));
            const Coordinate f{std::ldexp(raw.x, -f_shift), std::ldexp(raw.y, -f_shift)};
            // A strip around two of the hull's vertices, or a thin one around one.
            const auto along = [&](Coordinate p) {
                return f.x * ((p.x - c.x) * scale) + f.y * ((p.y - c.y) * scale);
            };
            double low = along(around[engine() % around.size()]);
            double high = k % 4 == 0 ? low : along(around[engine() % around.size()]);
            if (low > high) {
                std::swap(low, high);
            }
            low -= 0x1p-21;
            high += 0x1p-21;
            const long double largest = across_in_strip(around, c, f, low, high, scale);
            // Over the whole hull, and at the vertices well inside the strip alone (the bound's
            // own side test widens the strip by rounding).
            long double whole = 0;
            long double at_vertices = 0;
            for (const Coordinate v : around) {
                const long double value = std::fabs(f.x * (static_cast<long double>(v.y) - c.y) -
                                                    f.y * (static_cast<long double>(v.x) - c.x)) *
                                          scale;
                const long double t = (f.x * (static_cast<long double>(v.x) - c.x) +
                                       f.y * (static_cast<long double>(v.y) - c.y)) *
                                      scale;
                whole = std::max(whole, value);
                if (t >= low + 0x1p-40 && t <= high - 0x1p-40) {
                    at_vertices = std::max(at_vertices, value);
                }
            }
            for (const double enough :
                 {0.0, static_cast<double>(largest) / 2, std::numeric_limits<double>::max()}) {
                std::size_t visited = 0;
                const std::optional<quorvel::NodeHulls::AcrossInStrip> found =
                    hulls.largest_across_in_strip(node, c, f, low, high, scale, enough, visited);
                check::expect(found.has_value(), "differences below 2 are in range");
                check::expect(!found || largest <= found->bound,
                              "the bound holds every corner of the hull cut to the strip");
                check::expect(!found || found->at_vertices <= found->bound,
                              "the vertices' part of the bound lies within it");
                if (found && enough == 0.0) {
                    ++bounded;
                    tight += found->bound <= largest + 0x1p-30L ? 1 : 0;
                    cut_short += found->bound < whole / 2 ? 1 : 0;
                    check::expect(found->at_vertices >= at_vertices * (1 - 0x1p-40L),
                                  "the vertices' part of the bound holds every vertex within "
                                  "the strip");
                }
            }
        }
    }
    check::expect(bounded > 10000, "strips are bounded over many hulls");
    check::expect(tight == bounded, "the bound is tight but for rounding");
    check::expect(cut_short * 10 >= bounded, "strips cut off the far vertices of many hulls");
}

// Whether the hull with the vertices `around` (clockwise) holds p: on a side or within.
bool holds(const std::vector<Coordinate>& around, Coordinate p) {
    if (around.size() < 3) {
        const auto between = [](double a, double b, double v) {
            return std::min(a, b) <= v && v <= std::max(a, b);
        };
        return !around.empty() && exact_turn(around.front(), around.back(), p) == Sign::Zero &&
               between(around.front().x, around.back().x, p.x) &&
               between(around.front().y, around.back().y, p.y);
    }
    for (std::size_t k = 0; k < around.size(); ++k) {
        if (exact_turn(around[k], around[(k + 1) % around.size()], p) == Sign::Positive) {
            return false;
        }
    }
    return true;
}

// The hulls of one part of a ring's points, laid as asked for: each node's hull has only the
// part's points of the node for vertices and holds every one of them (no exact turn leaves it),
// is the one that asking from the bottom up lays, and a node with none of them has an empty
// hull, which bounds the strip by 0. Parts by place, and parts drawn at random, one of them
// empty; on random points, collinear ones, a grid with repeats, a circle and two opposite arcs,
// which the parts by place split apart.
void check_part_hulls() {
    Random random(12);
    int left_empty = 0;
    for (int kind = 0; kind < 6; ++kind) {
        const std::vector<Coordinate> points =
            kind < 5 ? points_for_hulls(random, kind, 1000) : two_opposite_arcs(0x1p-13);
        const quorvel::Ring ring(points.begin(), points.end());
        const std::size_t leaf_base = std::bit_ceil((ring.size() + 7) / 8);
        const quorvel::Vector<std::uint8_t> by_place = quorvel::spatial_parts(ring);
        const quorvel::Vector<std::uint8_t> by_phase = quorvel::phase_parts(ring.size());
        quorvel::Vector<std::uint8_t> drawn(ring.size());
        for (std::uint8_t& part : drawn) {
            part = static_cast<std::uint8_t>(random.next() % (quorvel::kSpatialParts - 1));
        }
        if (kind == 5) {
            for (std::size_t i = 0; i < ring.size(); ++i) {
                check::expect(by_place[i] / 2 == (i % 2 == 0 ? 1 : 0),
                              "the parts by place split two opposite arcs apart");
            }
        }
        for (const quorvel::Vector<std::uint8_t>* parts :
             {&by_place, &by_phase, static_cast<const quorvel::Vector<std::uint8_t>*>(&drawn)}) {
            for (std::uint8_t part = 0; part < quorvel::kSpatialParts; ++part) {
                quorvel::NodeHulls hulls;
                hulls.build_part(ring, leaf_base, 8, {}, *parts, part);
                quorvel::NodeHulls bottom_up;
                bottom_up.build_part(ring, leaf_base, 8, {}, *parts, part);
                for (std::size_t node = leaf_base - 1; node >= 1; --node) {
                    bottom_up.has_hull(node);
                }
                for (std::size_t node = 1; node < leaf_base; ++node) {
                    const quorvel::NodeSpan span = quorvel::node_span(node, leaf_base, 8);
                    if (span.begin >= ring.size()) {
                        continue;
                    }
                    check::expect(hulls.has_hull(node), "every node holding points has a hull");
                    std::vector<Coordinate> in_part;
                    for (std::size_t i = span.begin;
                         i < std::min(span.begin + span.size, ring.size()); ++i) {
                        if ((*parts)[i] == part) {
                            in_part.push_back(ring[i]);
                        }
                    }
                    const quorvel::NodeSpan left = quorvel::node_span(2 * node, leaf_base, 8);
                    if (2 * node < leaf_base && !in_part.empty() &&
                        std::none_of(parts->begin() + static_cast<std::ptrdiff_t>(left.begin),
                                     parts->begin() + static_cast<std::ptrdiff_t>(std::min(
                                                          left.begin + left.size, ring.size())),
                                     [part](std::uint8_t p) { return p == part; })) {
                        ++left_empty;
                    }
                    if (in_part.empty()) {
                        std::size_t visited = 0;
                        check::expect(
                            hulls.hull_size(node) == 0 &&
                                hulls.largest_across_in_strip(node, {0.0, 0.0}, {1.0, 0.0}, -1.0,
                                                              1.0, 1.0, 0.0, visited)
                                        ->bound == 0.0,
                            "a node with no point of the part has an empty hull");
                        continue;
                    }
                    if (hulls.hull_size(node) == 0) {
                        check::expect(false, "a node with points of the part has vertices");
                        continue;
                    }
                    const std::vector<Coordinate> around = hull_around(hulls, node);
                    check::expect(around == hull_around(bottom_up, node),
                                  "a part's hulls asked for from the root down are those asked "
                                  "for from the bottom up");
                    for (const Coordinate v : around) {
                        check::expect(std::ranges::find(in_part, v) != in_part.end(),
                                      "a part's hull has only the part's points for vertices");
                    }
                    for (const Coordinate p : in_part) {
                        check::expect(holds(around, p),
                                      "a part's hull holds every point of the part");
                    }
                }
            }
        }
    }
    check::expect(left_empty > 10, "nodes whose left child holds none of the part's points");
}

// The parts that the guard takes: by position where a ring visits two curves that touch in
// turn, smoothed (each part then holds points near one blend of the two curves), and by place
// where two opposite arcs are visited in turn unsmoothed, which positions modulo 8 do not part.
void check_ring_parts() {
    quorvel::Ring touching;
    for (int i = 0; i < 4000; ++i) {
        const double t = (i / 2) / 2000.0;
        touching.push_back(i % 2 == 0 ? Coordinate{t, 0.0} : Coordinate{t, t * t});
    }
    touching.push_back(touching.front());
    const quorvel::Ring smoothed = quorvel::cut_corners(quorvel::cut_corners(touching));
    check::expect(quorvel::ring_parts(smoothed) == quorvel::phase_parts(smoothed.size()),
                  "two curves that touch, visited in turn and smoothed, are parted by position");
    const std::vector<Coordinate> arcs = two_opposite_arcs(256 * kUnit);
    const quorvel::Ring apart(arcs.begin(), arcs.end());
    check::expect(quorvel::ring_parts(apart) == quorvel::spatial_parts(apart),
                  "two opposite arcs visited in turn are parted by place");
}

int main() {
    check_turns();
    check_steps();
    check_hulls();
    check_hulls_at_any_scale();
    check_hulls_laid_on_demand();
    check_hulls_laid_once_wanted();
    check_cut_corners_past_blocks();
    check_kept_centre_past_blocks();
    check_farthest_from_last_scan();
    check_across_in_strip();
    check_part_hulls();
    check_ring_parts();
    check_farthest_cache();
    return check::status();
}
