// Branch and bound over the guard's tree (split_guard.h): the search, and why it never drops a
// node that could hold the winner, given bounds that hold (guard_bounds.h proves they do).
//
// The search keeps the best (index, distance) among the points it has measured, by the scan's
// rule: a greater distance replaces it, an equal one replaces it if earlier, and nothing is
// chosen at distance 0. A node whose bound B covers every distance of its points that is not
// NaN is dropped when
//   B <= t                                   (a winner has d > t >= B),
//   it lies after the best and B <= best     (a later point must be strictly farther),
//   it lies before the best and B < best     (an earlier point must be at least as far).
// NaN distances never win nor tie. A pending node lies wholly before or wholly after the best:
// the best was measured in a leaf, or in a node whose points were all measured at once, and the
// pending nodes are disjoint from every node opened.
// Let w be the scan's winner, d(w) > t. Every node holding w has B >= d(w) > t, and while
// best <= d(w) it is dropped only if a point before it already has d(w) (no such point exists,
// w being the earliest) or, lying after the best, B <= best < d(w) (impossible). So w is
// measured, and then nothing replaces it. If no distance exceeds t, no split is reported.
//
// A node is also dropped, whatever its bound, when each of its points repeats bit for bit an
// inner point of the run before it (repeated_points.h). Such a point has the distance of its
// copy and comes after it, so it is not w, the earliest point at d(w): no node holding w is
// dropped so, and the argument above stands.
//
// A chord whose squared length overflows is searched over the tree of the ring's points in
// space (point_tree.h, guard_bounds.h 10), whose nodes hold indices from all over the ring:
// a node counts as lying after the best only if its least index does, and is otherwise kept
// while B >= best, so the argument above holds as it stands; its points outside the run are
// never measured, and a node with none inside is never pushed.
#include "split_guard.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <span>

#include "exact_sign.h"
#include "guard_bounds.h"
#include "node_bound.h"
#include "segment_distance.h"
#include "short_chord_distance.h"
#include "tree_layout.h"

namespace quorvel {
namespace {

using guard_bounds::kLargestOrdinaryCoordinate;
using guard_bounds::kSmallestOrdinaryLen2;
using guard_bounds::kTiedWithin;
using guard_bounds::NodeBound;

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// Points per leaf of the tree, measured one by one when the leaf is opened.
constexpr std::size_t kLeafPoints = 16;
// Runs with no more inner points than this are measured directly: the descent would cost more.
constexpr std::size_t kDirectScanPoints = 4 * kLeafPoints;
// For a chord whose squared length is subnormal, a node of no more points than this that its
// bound leaves open has its points measured at once. Its distances come in steps of about a
// thousandth of the chord, a bound needs about a step of slack, and where many points lie
// within that of the best, as on a spiral and a line visited in turn near 1e-154, the bounds of
// the nodes under one that stays open seldom drop them: bounding them cost more than measuring
// their points. At 80,000 points such a ring took half the time with 512 as with 16 when the
// hull's spans were four steps wide; with q's span a step beyond the vertices' exact values
// (guard_bounds.h 6), 64 to 1,024 take within 8% of each other's instructions, 128 3% fewer.
constexpr std::size_t kShortChordScanPoints = 32 * kLeafPoints;
// Points measured directly at each end of a longer run before the search.
constexpr std::size_t kEndPoints = kLeafPoints;
// The work of the search in the units of split_within: a point of the screened scan costs one.
constexpr std::size_t kMeasureWork = 10;
constexpr std::size_t kBoundWork = 8;
// The points that the searches of a ring measure in leaves, per point of the ring, before they
// sort its points to find the stretches that only repeat earlier ones (repeated_points.h): the
// sort costs about as much, and the rings that stall the scans without coming back to the same
// points measure less than half as many (up to 1.99 per point at 160,000 points).
constexpr std::size_t kMeasuredBeforeSorting = 4;
// ... and only once at least one in so many of those points tied as a copy of the best point
// found so far: a ring that comes back to its points ties so on most splits, where about a
// fifth of the points measured tie, while distinct points that tie would have the ring's points
// sorted for nothing. Two curves near each other tie on a few points in tens of thousands, but
// a chord near 1e-160, whose distances come in steps of about a thousandth of its length, on one
// point in six (a spiral and a line visited in turn, where the sort took 4% of the time).
constexpr std::size_t kMeasuredPerTie = 64;
// What the tree over the ring's order may spend on a chord whose squared length overflows, in
// nodes per level, before the ring's such chords go to the tree of the points in space.
constexpr std::size_t kOverflowTrialNodes = 64;
// Laying the tree of the points in space, per point, measured against the screened scan: the
// root (a copy of the ring and its box), and a node's children, as the searches first reach it
// (mostly a selection by place). The searches count it, as it may cost O(n log n) in all: on a
// ring that the guard serves for its last few runs, the laying would otherwise cost many times
// the scans it spares.
constexpr std::size_t kRootWork = 4;
constexpr std::size_t kLayWork = 5;
// A run whose chord overflows and whose inner points are at most this share of the ring's gets a
// first tree in space of its own inner points: where a later run lies beyond them, the tree of
// the whole ring costs at most this share more again.
constexpr std::size_t kRunShareOfOwnTree = 8;
// The runs with at least this share of the ring's points lay at once the hulls their searches ask
// for; shorter ones, and trials, only where the ring's hulls laid so far are small, else once the
// searches of several runs have asked (NodeHulls::begin_search()).
constexpr std::size_t kRunShareLayingHulls = 64;
// The parts' hulls are begun once the searches have wanted them for one node per so many
// leaves of the tree: splitting the points into parts and readying four trees costs O(n), which a
// ring that wants the parts for a few nodes would not win back.
constexpr std::size_t kLeavesPerPartsWanted = 64;

// The best point measured so far, by the scan's rule (above), and how many points measured
// tied with it as copies of it.
struct Best {
    // The ring's points, to tell a tie with a copy of the best point.
    const Coordinate* points;
    bool found = false;
    std::size_t index = 0;
    double distance = 0.0;
    // Ties of points equal to the best one: those that sorting the ring's points can spare
    // (repeated_points.h). Ties of other points, as where a chord so short that distances come
    // in steps, are not counted.
    std::size_t copies_tied = 0;

    void offer(std::size_t i, double d) {
        if (d > distance) {
            found = true;
            index = i;
            distance = d;
        } else if (found && d == distance) {
            tie(i);
        }
    }

    // Out of line: most searches tie seldom, and the test of a copy, inlined into the loops
    // that measure points, cost them about 1% more instructions.
    [[gnu::noinline]] void tie(std::size_t i) {
        copies_tied += points[i] == points[index] ? 1 : 0;
        index = std::min(index, i);
    }

    // The split the scan would report: at the best point if its distance exceeds the tolerance.
    Split split(double tolerance) const {
        return found && distance > tolerance ? Split{index} : Split{};
    }

    // Whether points [begin, end) with distances at most `bound` could hold the winner.
    bool could_be_beaten(std::size_t begin, double bound, double tolerance) const {
        if (!(bound > tolerance) || !(bound > 0.0)) {
            return false;
        }
        if (!found) {
            return true;
        }
        return begin > index ? bound > distance : bound >= distance;
    }
};

// Whether point i at p could beat `best` against a chord from s, of steps d, whose squared
// length overflows (guard_bounds.h 10). Off the start branch such a chord measures 0 or NaN,
// which never wins: the branch is read from the numerator R, computed as the chord's distance
// computes it. On the start branch it measures hypot(s - p), which the cheap bound of
// guard_bounds.h 5 bounds from above: a point whose bound cannot beat the best is dropped
// unmeasured, as a node of that one point would be. In the tree in space, the points of a leaf
// that its box kept often lie off the branch, or tie closely where the distance from the start
// barely changes across them, as where the ring passes the far side of a circle through that
// start; the test is a few operations, the exact distance a call of hypotenuse(). (In the tree of
// the ring's order, such a chord's leaves mostly lie next to the start, where nearly every point
// must be measured, and the test cost more than it spared.)
bool may_win_past_overflow(const Best& best, Coordinate s, Coordinate d, std::size_t i,
                           Coordinate p, double tolerance) {
    const double along = (p.x - s.x) * d.x + (p.y - s.y) * d.y;
    if (!(along - along == 0.0)) {
        return false;
    }
    const std::optional<guard_bounds::CheapHypot> cheap =
        guard_bounds::cheap_hypot_bound(std::fabs(s.x - p.x), std::fabs(s.y - p.y));
    return !cheap || best.could_be_beaten(i, cheap->bound, tolerance);
}

// The points the farthest cache may measure for a ring of n points: n (log2 n + 1), what
// splitting costs when every split halves its run. A ring whose runs share their ends needs
// a few times n; one whose ends move with every run would otherwise spend a scan per run.
std::size_t cache_points_allowed(std::size_t n) {
    return n * static_cast<std::size_t>(std::bit_width(n));
}

// The box of points [begin, end), each point's x and y taken together as the two lanes of a
// pair; `finite` is cleared where one of their coordinates is NaN or infinite, which the box
// alone would not show (a NaN fails every comparison and leaves the box unmoved).
NodeBox box_of(const Ring& points, std::size_t begin, std::size_t end, bool& finite) {
    using Pair = double __attribute__((vector_size(16)));
    Pair low{kInfinity, kInfinity};
    Pair high{-kInfinity, -kInfinity};
    // Stays zero while every coordinate is finite: zero times an infinity or a NaN is a NaN.
    Pair zero{0.0, 0.0};
    for (std::size_t i = begin; i < end; ++i) {
        const Pair p{points[i].x, points[i].y};
        low = p < low ? p : low;
        high = p > high ? p : high;
        zero += p * 0.0;
    }
    finite = finite && zero[0] == 0.0 && zero[1] == 0.0;
    return {low[0], high[0], low[1], high[1]};
}

// The largest magnitude of the coordinates within a box.
double largest_in(const NodeBox& box) {
    return std::max(
        {std::fabs(box.min_x), std::fabs(box.max_x), std::fabs(box.min_y), std::fabs(box.max_y)});
}

}  // namespace

bool SplitGuard::build(const Ring& points) {
    boxes_.clear();
    points_in_space_.clear();
    overflow_search_ = OverflowSearch::Trial;
    overflows_only_in_space_ = false;
    space_gave_up_ = 0;
    space_gives_up_before_order_ = 1;
    overflow_trial_work_ =
        kOverflowTrialNodes * kBoundWork * static_cast<std::size_t>(std::bit_width(points.size()));
    const std::size_t leaves = (points.size() + kLeafPoints - 1) / kLeafPoints;
    leaf_base_ = std::bit_ceil(std::max<std::size_t>(leaves, 1));
    boxes_.assign(2 * leaf_base_, kEmptyBox);
    bool finite = true;
    for (std::size_t leaf = 0; leaf < leaves; ++leaf) {
        const std::size_t begin = leaf * kLeafPoints;
        boxes_[leaf_base_ + leaf] =
            box_of(points, begin, std::min(begin + kLeafPoints, points.size()), finite);
    }
    if (!finite) {
        boxes_.clear();
        leaf_base_ = 0;
        return false;
    }
    for (std::size_t node = leaf_base_ - 1; node >= 1; --node) {
        boxes_[node] = united(boxes_[2 * node], boxes_[2 * node + 1]);
    }
    const double largest = points.empty() ? 0.0 : largest_in(boxes_[1]);
    ordinary_coordinates_ = largest <= kLargestOrdinaryCoordinate;
    scaled_for_turns_.reset(points, largest);
    hulls_.build(points, leaf_base_, kLeafPoints, &scaled_for_turns_);
    parts_wanted_ = 0;
    parts_laid_ = false;
    repeated_.clear();
    leaf_points_measured_ = 0;
    copies_tied_ = 0;
    farthest_.reset(2 * leaf_base_, leaf_base_, kLeafPoints, cache_points_allowed(points.size()));
    return true;
}

std::span<const NodeHulls> SplitGuard::part_hulls(const Ring& points) {
    if (parts_wanted_ > 0 && parts_wanted_ >= leaf_base_ / kLeavesPerPartsWanted && !parts_laid_) {
        parts_of_ = ring_parts(points);
        for (std::size_t part = 0; part < kSpatialParts; ++part) {
            part_hulls_[part].build_part(points, leaf_base_, kLeafPoints, &scaled_for_turns_,
                                         parts_of_, static_cast<std::uint8_t>(part));
        }
        parts_laid_ = true;
    }
    return parts_laid_ ? std::span<const NodeHulls>(part_hulls_) : std::span<const NodeHulls>();
}

void SplitGuard::PendingHeap::push(const Pending& node) {
    nodes_.push_back(node);
    std::push_heap(nodes_.begin(), nodes_.end(),
                   [](const Pending& a, const Pending& b) { return opens_after(a, b); });
}

SplitGuard::Pending SplitGuard::PendingHeap::pop() {
    std::pop_heap(nodes_.begin(), nodes_.end(),
                  [](const Pending& a, const Pending& b) { return opens_after(a, b); });
    const Pending node = nodes_.back();
    nodes_.pop_back();
    return node;
}

void SplitGuard::find_repeated_points(const Ring& points) {
    repeated_.build(points, leaf_base_, kLeafPoints);
}

template <class Bound>
SplitGuard::Pending SplitGuard::pending(std::size_t node, const Bound& bound, double best,
                                        double tolerance) const {
    const NodeSpan span = node_span(node, leaf_base_, kLeafPoints);
    // Leaves have no hull: their box is all there is.
    return {node, span.begin, span.begin + span.size,
            bound(boxes_[node], std::max(tolerance, best)), hulls_.may_have_hull(node) ? 0 : 2};
}

Split SplitGuard::split(const Ring& points, const Run& run, double tolerance) {
    std::size_t work = 0;
    return *split_within(points, run, tolerance, SIZE_MAX, work);
}

std::optional<Split> SplitGuard::split_within(const Ring& points, const Run& run, double tolerance,
                                              std::size_t work_limit, std::size_t& work) {
    // No distance exceeds +inf or NaN.
    if (run.last - run.first < 2 || !(tolerance < kInfinity)) {
        return Split{};
    }
    const DistanceToSegment distance(points[run.first], points[run.last]);
    if (distance.degenerate() || distance.len2() < kInfinity ||
        run.inner_points() <= kDirectScanPoints) {
        return search_in_order(points, run, tolerance, distance, work_limit, work,
                               /*trial=*/false);
    }
    // The chord's squared length overflows. The tree over the ring's order decides such a
    // chord in a few nodes where the ring does not come back near the run's start from
    // elsewhere, as on a line toward a far end; where it does, the tree of the points in space
    // serves, but costs O(n log n) to lay. So the first tree is tried within a small allowance
    // until it once exceeds it, and the second serves the ring's later such chords. Where the
    // points nearest the far side of a run's start have mostly been split off the run already,
    // the tree in space opens them in vain, and the first tree, given the whole allowance, may
    // serve better: so once the tree in space has given up, the first tree takes the whole
    // allowance and keeps the ring's such chords until it gives up on one. Each time it does,
    // the tree in space must give up twice as often before the first tree's next turn, so that
    // a ring that the first tree cannot serve spends no more than a few such turns on it.
    if (overflow_search_ != OverflowSearch::InSpace) {
        const bool trial = overflow_search_ == OverflowSearch::Trial;
        const std::size_t allowed = trial ? std::min(work_limit, overflow_trial_work_) : work_limit;
        const std::size_t before = work;
        const std::optional<Split> split =
            search_in_order(points, run, tolerance, distance, allowed, work, trial);
        if (split || (trial && allowed == work_limit)) {
            return split;
        }
        overflow_search_ = OverflowSearch::InSpace;
        if (!trial) {
            space_gives_up_before_order_ *= 2;
            return split;
        }
        work_limit -= std::min(work_limit, work - before);
    }
    const std::optional<Split> split =
        split_beyond_overflow(points, run, tolerance, distance,
                              work > SIZE_MAX - work_limit ? SIZE_MAX : work + work_limit, work);
    if (!split && !overflows_only_in_space_ && ++space_gave_up_ >= space_gives_up_before_order_) {
        overflow_search_ = OverflowSearch::InOrder;
        space_gave_up_ = 0;
    }
    return split;
}

std::optional<Split> SplitGuard::search_in_order(const Ring& points, const Run& run,
                                                 double tolerance,
                                                 const DistanceToSegment& distance,
                                                 std::size_t work_limit, std::size_t& work,
                                                 bool trial) {
    Best best{points.data()};
    const std::size_t first_inner = run.first + 1;
    if (!repeated_.built() && leaf_points_measured_ > kMeasuredBeforeSorting * points.size() &&
        copies_tied_ > leaf_points_measured_ / kMeasuredPerTie) {
        repeated_.build(points, leaf_base_, kLeafPoints);
    }
    // A chord whose squared length is subnormal has its points measured without subnormal
    // numbers, to the same doubles.
    const std::optional<DistanceToShortChord> short_chord = DistanceToShortChord::over(distance);
    const auto measure_each = [&](std::size_t begin, std::size_t end) {
        if (short_chord) {
            for (std::size_t i = begin; i < end; ++i) {
                best.offer(i, (*short_chord)(points[i]));
            }
        } else {
            for (std::size_t i = begin; i < end; ++i) {
                best.offer(i, distance(points[i]));
            }
        }
    };
    if (run.inner_points() <= kDirectScanPoints) {
        measure_each(first_inner, run.last);
    } else {
        // The first and last kEndPoints inner points or so, up to whole leaves, are measured
        // directly: where splits peel a few points off a run, the winner lies there, and a
        // best found early drops more nodes. The whole leaves between are covered by at most
        // two nodes per level of the tree.
        const std::size_t first_leaf = (first_inner + kEndPoints + kLeafPoints - 1) / kLeafPoints;
        const std::size_t end_leaf = std::max(first_leaf, (run.last - kEndPoints) / kLeafPoints);
        measure_each(first_inner, first_leaf * kLeafPoints);
        measure_each(end_leaf * kLeafPoints, run.last);
        // Best first: the pending node with the highest bound is opened next (the earliest
        // among equals), its bound first narrowed by its hull if it has one and put back, so
        // that nodes open in the order of their tightest bounds and the best grows fast.
        const auto search = [&](const auto& bound) {
            const auto push = [&](const Pending& node) {
                if (best.could_be_beaten(node.begin, node.bound, tolerance)) {
                    pending_.push(node);
                }
            };
            pending_.clear();
            const std::size_t limit_of_work =
                work > SIZE_MAX - work_limit ? SIZE_MAX : work + work_limit;
            // The bound of the node's box narrowed by its hull and the cached farthest
            // distances (the first narrowing).
            const auto narrowed = [&](Pending node) {
                const double limit = std::max(tolerance, best.distance);
                // The cache may measure no more than a scan of the run would, nor more than
                // the work left.
                const std::size_t left = limit_of_work > work ? limit_of_work - work : 0;
                const std::size_t cache_budget =
                    std::min(run.inner_points(), left / guard_bounds::kCacheWork);
                node.bound = bound.refined(boxes_[node.node], node.node, limit, work, cache_budget);
                ++node.narrowings;
                return node;
            };
            // A node reached by the search: where its box does not drop it and its hull is small
            // enough to be scanned, the hull narrows its bound at once, which spares the node a
            // trip through the heap; a larger hull, which is searched, waits until its node
            // comes first.
            const auto reach_node = [&](std::size_t node) {
                if (repeated_.all_repeat_after(node, run.first)) {
                    return;
                }
                Pending fresh = pending(node, bound, best.distance, tolerance);
                work += kBoundWork;
                if (fresh.narrowings == 0 &&
                    best.could_be_beaten(fresh.begin, fresh.bound, tolerance)) {
                    if (!bound.hull_may_narrow(boxes_[node], node)) {
                        fresh.narrowings = 2;
                    } else if (hulls_.hull_size(node) <= guard_bounds::kScannedHull) {
                        fresh = narrowed(fresh);
                    }
                }
                push(fresh);
            };
            // The whole leaves of the run lie under at most two nodes per level of the tree.
            for (std::size_t low = first_leaf + leaf_base_, high = end_leaf + leaf_base_;
                 low < high; low /= 2, high /= 2) {
                if (low % 2 == 1) {
                    reach_node(low++);
                }
                if (high % 2 == 1) {
                    reach_node(--high);
                }
            }
            while (!pending_.empty()) {
                if (work > limit_of_work) {
                    return false;
                }
                Pending node = pending_.pop();
                if (!best.could_be_beaten(node.begin, node.bound, tolerance)) {
                    continue;
                }
                const double limit = std::max(tolerance, best.distance);
                if (node.narrowings == 0 ||
                    (node.narrowings == 1 && node.bound <= limit * kTiedWithin)) {
                    // The box did not drop the node: its hull may, or may at least rank it lower.
                    // Narrowed again once the best has come within the slack of the bound, it
                    // may be dropped by the exact farthest distances that then count.
                    push(narrowed(node));
                    continue;
                }
                const std::size_t points_in_node = node.end - node.begin;
                if (node.node >= leaf_base_ ||
                    (short_chord && points_in_node <= kShortChordScanPoints)) {
                    measure_each(node.begin, node.end);
                    work += points_in_node * kMeasureWork;
                    leaf_points_measured_ += points_in_node;
                    continue;
                }
                reach_node(2 * node.node);
                reach_node(2 * node.node + 1);
            }
            return true;
        };
        const std::span<const NodeHulls> parts = part_hulls(points);
        // A long run's search lays every hull it asks for: the later runs of a stalled ring,
        // peeled off it, ask for the same ones. A trial, which may spend little, lays large hulls
        // only as a short run does: laying them at once for the trial on a circle and a half
        // circle visited in blocks near 1e150, whose stretches' hulls hold all their points, cost
        // 6.5% of the ring's instructions at 80,000 points, and the trial failed. It lays the first
        // at once, which shows whether they are small: a zigzag in passes, whose long runs all
        // end at its far point, has laid none before its trials, and they need them.
        using Laying = NodeHulls::Laying;
        Laying laying = Laying::WhenWanted;
        if (trial) {
            laying = Laying::Probing;
        } else if (run.inner_points() * kRunShareLayingHulls >= points.size()) {
            laying = Laying::AtOnce;
        }
        hulls_.begin_search(laying);
        for (const NodeHulls& part : parts) {
            part.begin_search(laying);
        }
        const bool ordinary = ordinary_coordinates_ &&
                              (distance.degenerate() || distance.len2() >= kSmallestOrdinaryLen2);
        const bool decided =
            ordinary
                ? search(NodeBound<true>(distance, hulls_, parts, parts_wanted_, points, farthest_))
                : search(
                      NodeBound<false>(distance, hulls_, parts, parts_wanted_, points, farthest_));
        copies_tied_ += best.copies_tied;
        if (!decided) {
            return std::nullopt;
        }
    }
    return best.split(tolerance);
}

std::optional<Split> SplitGuard::split_beyond_overflow(const Ring& points, const Run& run,
                                                       double tolerance,
                                                       const DistanceToSegment& distance,
                                                       std::size_t limit_of_work,
                                                       std::size_t& work) {
    if (!points_in_space_.holds_indices(run.first + 1, run.last)) {
        // A short run's tree holds its inner points alone: the runs that stall the scans here
        // mostly peel a few points at a time off one long run, whose chords all end at the same
        // far point, and a ring whose such run is a tenth of it would otherwise lay ten times
        // the points. A run beyond that tree gets one of the whole ring, which holds every later
        // run. Not laid where the work left would not cover laying the root.
        const bool whole =
            !points_in_space_.empty() || run.inner_points() > points.size() / kRunShareOfOwnTree;
        const std::size_t begin = whole ? 0 : run.first + 1;
        const std::size_t end = whole ? points.size() : run.last;
        if (work > limit_of_work || limit_of_work - work < (end - begin) * kRootWork) {
            return std::nullopt;
        }
        points_in_space_.build(points, begin, end);
        work += (end - begin) * kRootWork;
        if (points_in_space_.empty()) {
            return std::nullopt;
        }
    }
    // Only the boxes count here: where len2 overflows, no hull bound serves.
    std::size_t parts_wanted = 0;
    const NodeBound<false> bound(distance, hulls_, {}, parts_wanted, points, farthest_);
    Best best{points.data()};
    // A node of points in space holds indices from all over the ring: `begin` is the least of
    // them, which is all the tie rule needs (this file's opening comment), and a node
    // whose indices all lie outside the run gets the bound 0, so is never pushed.
    const auto reach_node = [&](std::size_t i) {
        const PointTree::Node& node = points_in_space_.node(i);
        work += kBoundWork;
        if (node.most <= run.first || node.least >= run.last) {
            return Pending{i, node.least, std::size_t{node.most} + 1, 0.0, 2};
        }
        return Pending{i, node.least, std::size_t{node.most} + 1,
                       bound(node.box, std::max(tolerance, best.distance)), 2};
    };
    const auto push = [&](const Pending& node) {
        if (best.could_be_beaten(node.begin, node.bound, tolerance)) {
            pending_.push(node);
        }
    };
    const Coordinate start = distance.start();
    const Coordinate step{distance.dx(), distance.dy()};
    // Best first, as over the ring's order; a child that would come out of the heap next is
    // opened at once instead of going through it, which spares half the heap's upkeep on the
    // short descents that most searches here make.
    pending_.clear();
    push(reach_node(1));
    const PointTree::Placed* placed = points_in_space_.placed();
    while (!pending_.empty()) {
        Pending pending = pending_.pop();
        while (best.could_be_beaten(pending.begin, pending.bound, tolerance)) {
            if (work > limit_of_work) {
                return std::nullopt;
            }
            const PointTree::Node& node = points_in_space_.node(pending.node);
            if (points_in_space_.is_leaf(node)) {
                for (std::uint32_t k = node.begin; k < node.end; ++k) {
                    const std::size_t i = placed[k].index;
                    if (i > run.first && i < run.last &&
                        may_win_past_overflow(best, start, step, i, placed[k].point, tolerance)) {
                        best.offer(i, distance(placed[k].point));
                    }
                }
                work += (node.end - node.begin) * kMeasureWork;
                break;
            }
            work += points_in_space_.lay_children(pending.node) * kLayWork;
            const Pending first = reach_node(2 * pending.node);
            const Pending second = reach_node(2 * pending.node + 1);
            const bool second_sooner = opens_after(first, second);
            push(second_sooner ? first : second);
            pending = second_sooner ? second : first;
            if (!pending_.empty() && opens_after(pending, pending_.top())) {
                push(pending);
                break;
            }
        }
    }
    return best.split(tolerance);
}

}  // namespace quorvel
