// Branch and bound over a tree of boxes (split_guard.h), and the proof that its bounds hold.
//
// WHY NO BOX THAT COULD HOLD THE WINNER IS EVER DROPPED
//
// fl(x) is x rounded to the nearest double, ties to even, overflowing to an infinity: what the
// processor does for each +, -, * and / (no fused multiply-add). For a point p and the chord
// from s to e, point_segment_distance computes, with u = fl(s.x - p.x) and v = fl(s.y - p.y):
//   degenerate chord (s == e):  d = hypot(u, v);
//   otherwise, with dx, dy, len2 and H = hypot(dx, dy) fixed by the chord,
//     r = fl(fl(fl(-u * dx) + fl(-v * dy)) / len2)   (fl(p.x - s.x) is exactly -fl(s.x - p.x)),
//     r <= 0:  d = hypot(u, v);   r >= 1:  d = hypot(fl(e.x - p.x), fl(e.y - p.y));
//     else, NaN included:  q = fl(fl(fl(v * dx) - fl(u * dy)) / len2),  d = fl(|q| * H).
//
// 1. Rounding keeps order: x <= y implies fl(x) <= fl(y), infinities included. So wherever an
//    exact operation is monotone in an operand and gives no NaN, the rounded one is monotone
//    in the same direction: a + b and a - b in each operand; a * c, for a fixed c, increasing
//    in a when c >= 0 and decreasing when c <= 0; a / c increasing in a for a fixed c >= 0
//    (len2 is a sum of squares, never negative; at c = +0 the quotient is -inf, NaN or +inf,
//    and at c = +inf it is -0, NaN or +0).
//
// 2. Spans. For the points of a box [x0, x1] x [y0, y1], u = fl(s.x - p.x) falls as p.x grows,
//    so every u lies in [fl(s.x - x1), fl(s.x - x0)]; likewise v and the differences from e.
//    Every later value is made from these by the operations of 1 with the chord's constants.
//    Span carries [lo, hi] through each of them, computing each end with the same rounded
//    operation on the operands' extreme values; by 1 the result holds the computed value of
//    every point of the box whose value is not NaN. It is exact, not padded: its ends are the
//    very roundings the points' own computations make, applied to more extreme operands.
//    Where NaN can occur (inf - inf, 0 * inf, 0 / 0, inf / inf) the span says so, and where an
//    end itself comes out NaN the span widens to [-inf, +inf].
//
// 3. Branches. A point takes the start branch only if its r <= 0, which needs the span of r to
//    reach 0 (lo <= 0); the end branch only if r >= 1 (hi >= 1); the line branch only if some r
//    lies strictly between 0 and 1 (lo < 1 and hi > 0) or r can be NaN. The bound of a box is
//    the largest of the bounds of its possible branches, each of which covers the whole box.
//
// 4. Line branch. d = fl(|q| * H) does not decrease as |q| grows (H >= 0 is fixed), and every
//    q of the box that is not NaN has |q| <= max(|q.lo|, |q.hi|). So fl(that * H) bounds d
//    exactly, ties included; if it is NaN (0 * inf) the bound is +inf.
//
// 5. Start and end branches. Assume of hypot only that it is faithful: hypot(a, b) is the exact
//    E(a, b) = sqrt(a * a + b * b) or one of the two doubles next to it (+inf beyond the
//    largest double), and hypot(+-inf, b) = +inf. If |a| <= U and |b| <= V, then
//    E(a, b) <= E(U, V) = E*, and with RU, RD rounding up and down and next() the next double
//    above (next(+inf) = +inf):
//        hypot(a, b) <= RU(E(a, b)) <= RU(E*) <= next(RD(E*)) <= next(hypot(U, V)).
//    That bound is tight, one unit in the last place above the corner's own value. A cheaper
//    one avoids the call when 2^-450 <= max(U, V) <= 2^500. With e = 2^-53, each of fl(U * U)
//    and fl(V * V) is within e relative or 2^-1075 absolute of the exact square; the absolute
//    part is below 2^-174 e relative to the larger square (at least 2^-900), and their sum is
//    normal, so S = fl(fl(U * U) + fl(V * V)) >= (U * U + V * V)(1 - 3e). Then, with
//    w = fl(sqrt(S)) >= sqrt(S)(1 - e): E* <= w(1 + 3e), RU(E*) <= E*(1 + 2e) <= w(1 + 6e), and
//    fl(w * (1 + 2^-49)) >= w(1 + 16e)(1 - e) > w(1 + 6e). The cheap bound is used first and
//    the tight one only when the cheap one's slack alone keeps a box from being dropped.
//
// 6. Pruning. The search keeps the best (index, distance) among the points it has measured,
//    by the scan's rule: a greater distance replaces it, an equal one replaces it if earlier,
//    and nothing is chosen at distance 0. A box with bound B is dropped when
//      B <= t                                  (a winner has d > t >= B),
//      it lies after the best and B <= best    (a later point must be strictly farther),
//      it lies before the best and B < best    (an earlier point must be at least as far).
//    NaN distances never win nor tie, and B bounds every other distance in the box. A box
//    waiting on the stack lies wholly before or wholly after the best, which was measured in a
//    leaf whose ancestors were all opened. Let w be the scan's winner, with d(w) > t. Its box
//    has B >= d(w) > t, and while best <= d(w) neither of the other rules can drop it unless a
//    point at least as early already has d(w), which does not exist. So w is measured, and
//    nothing replaces it. If no point exceeds t, no split is reported either way.
//
// The coordinates of the tree are finite (build() refuses the others); the chord's constants
// may still overflow (dx = +-inf beyond half the double range, len2 = +inf beyond about 1e154,
// len2 = +0 for chords shorter than about 1e-162), which the spans cover as they are.
#include "split_guard.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

#include "hypotenuse.h"
#include "node_hulls.h"
#include "segment_distance.h"

namespace quorvel {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// Points per leaf of the tree, measured one by one when the leaf is opened.
constexpr std::size_t kLeafPoints = 8;
// Runs with no more inner points than this are measured directly: the descent would cost more.
constexpr std::size_t kDirectScanPoints = 2 * kLeafPoints;
// The work of the search in the units of split_within: a point of the screened scan costs one.
constexpr std::size_t kMeasureWork = 10;
constexpr std::size_t kBoundWork = 8;
constexpr std::size_t kHullWork = 24;

// Queries with coordinates and a chord within these are ordinary (9 above): no NaN can occur.
constexpr double kLargestOrdinaryCoordinate = 0x1p400;
constexpr double kSmallestOrdinaryLen2 = 0x1p-1022;

// The hull bound (7 above): the terms of the numerators stay below kLargestHullScale, and the
// span of a numerator is widened by kHullSlack times their size plus kHullTinySlack.
constexpr double kLargestHullScale = 0x1p1000;
constexpr double kHullSlack = 0x1p-49;
constexpr double kHullTinySlack = 0x1p-1060;

// Range and factor of the bound from the farthest corner of a cut hull (8 above).
constexpr double kFarthestSmallest = 0x1p-400;
constexpr double kFarthestLargest = 0x1p199;
constexpr double kFarthestSlack = 1.0 + 0x1p-46;

// Range of the cheap bound on hypot (5 above), and its factor 1 + 2^-49.
constexpr double kCheapHypotSmallest = 0x1p-450;
constexpr double kCheapHypotLargest = 0x1p500;
constexpr double kCheapHypotSlack = 1.0 + 0x1p-49;

// The computed values of one expression over a box (2 above): every value that is not NaN lies
// in [lo, hi]; `nan` says whether NaN can occur too.
struct Span {
    double lo;
    double hi;
    bool nan;
};

Span checked(double lo, double hi, bool nan) {
    if (std::isnan(lo) || std::isnan(hi)) {
        return {-kInfinity, kInfinity, true};
    }
    return {lo, hi, nan};
}

// The operations on spans come in two kinds. Ordinary ones serve queries where no NaN can occur
// (9 above) and skip the checks; the others carry the flag and widen where an end is NaN.

// fl(c - p) for p in [low, high], all finite: decreasing in p, never NaN.
[[gnu::always_inline]] inline Span difference_from(double c, double low, double high) {
    return {c - high, c - low, false};
}

[[gnu::always_inline]] inline Span negated(Span a) {
    return {-a.hi, -a.lo, a.nan};
}

template <bool Ordinary>
[[gnu::always_inline]] inline Span plus(Span a, Span b) {
    if constexpr (Ordinary) {
        return {a.lo + b.lo, a.hi + b.hi, false};
    } else {
        const bool nan = a.nan || b.nan || (a.hi == kInfinity && b.lo == -kInfinity) ||
                         (a.lo == -kInfinity && b.hi == kInfinity);
        return checked(a.lo + b.lo, a.hi + b.hi, nan);
    }
}

template <bool Ordinary>
[[gnu::always_inline]] inline Span times(Span a, double c) {
    if constexpr (Ordinary) {
        return c >= 0.0 ? Span{a.lo * c, a.hi * c, false} : Span{a.hi * c, a.lo * c, false};
    } else {
        const bool nan = a.nan || (c == 0.0 && (std::isinf(a.lo) || std::isinf(a.hi))) ||
                         (std::isinf(c) && a.lo <= 0.0 && a.hi >= 0.0);
        if (c >= 0.0) {
            return checked(a.lo * c, a.hi * c, nan);
        }
        return checked(a.hi * c, a.lo * c, nan);
    }
}

// a / c for a fixed c >= 0 (+0 and +inf included).
template <bool Ordinary>
[[gnu::always_inline]] inline Span over(Span a, double c) {
    if constexpr (Ordinary) {
        return {a.lo / c, a.hi / c, false};
    } else {
        const bool nan = a.nan || (c == 0.0 && a.lo <= 0.0 && a.hi >= 0.0) ||
                         (std::isinf(c) && (std::isinf(a.lo) || std::isinf(a.hi)));
        return checked(a.lo / c, a.hi / c, nan);
    }
}

// The largest magnitude of a value of the span that is not NaN.
[[gnu::always_inline]] inline double magnitude(Span a) {
    return std::max(std::fabs(a.lo), std::fabs(a.hi));
}

// An upper bound on hypot(a, b) over |a| <= big_a, |b| <= big_b (5 above). `limit` is the value
// at or below which the caller drops the box: the tight bound is computed only when it could
// decide that where the cheap one cannot.
double hypot_bound(double big_a, double big_b, double limit) {
    const double larger = std::max(big_a, big_b);
    if (larger >= kCheapHypotSmallest && larger <= kCheapHypotLargest) {
        const double root = std::sqrt(big_a * big_a + big_b * big_b);
        const double cheap = root * kCheapHypotSlack;
        if (!(cheap > limit && root <= limit)) {
            return cheap;
        }
    }
    return std::nextafter(hypotenuse(big_a, big_b), kInfinity);
}

// Which branches the points of a node may take (3 above).
struct Branches {
    bool start;
    bool end;
    bool line;
};

Branches possible_branches(Span r) {
    return {r.lo <= 0.0, r.hi >= 1.0, r.nan || (r.lo < 1.0 && r.hi > 0.0)};
}

// The bound on the line branch from a span of the numerator of q (4 above).
template <bool Ordinary>
double line_bound(Span numerator, double len2, double length) {
    const double line = magnitude(over<Ordinary>(numerator, len2)) * length;
    return std::isnan(line) ? kInfinity : line;
}

// Bounds on the distance to one chord over the nodes of the tree: from the box (1 to 5 above),
// and, for a node that the box alone does not drop, from its hull (7 and 8 above).
template <bool Ordinary>
class NodeBound {
  public:
    NodeBound(const DistanceToSegment& distance, const NodeHulls& hulls)
        : distance_(distance), hulls_(hulls) {}

    double operator()(const SplitGuard::Box& box, double limit) const {
        return reach(box, limit).bound();
    }

    // The bound of the box narrowed by the node's hull, where it has one.
    double refined(const SplitGuard::Box& box, std::size_t node, double limit) const {
        Reach reach = this->reach(box, limit);
        if (distance_.degenerate() || !hulls_.has_hull(node)) {
            return reach.bound();
        }
        // |s.x - p.x| + |s.y - p.y| and |dx| + |dy| bound the terms of both numerators.
        const double dx = distance_.dx();
        const double dy = distance_.dy();
        const double scale = reach.start_size * (std::fabs(dx) + std::fabs(dy));
        if (!(scale < kLargestHullScale)) {
            return reach.bound();
        }
        const double slack = scale * kHullSlack + kHullTinySlack;
        const double len2 = distance_.len2();
        if (reach.branches.line) {
            const std::optional<Span> numerator = hull_span(node, {dy, -dx}, slack, &across);
            if (numerator) {
                reach.to_line =
                    std::min(reach.to_line, line_bound<Ordinary>(*numerator, len2, distance_.length()));
            }
        }
        if (reach.branches.start || reach.branches.end) {
            const std::optional<Span> numerator = hull_span(node, {dx, dy}, slack, &along);
            if (numerator) {
                const Branches hull = possible_branches(over<Ordinary>(*numerator, len2));
                reach.branches = {reach.branches.start && hull.start,
                                  reach.branches.end && hull.end,
                                  reach.branches.line && hull.line};
            }
        }
        // Points of the start branch have (p - s).d at most slack (plus what a quotient that
        // rounds to zero allows), points of the end branch (p - e).d at least minus about that
        // (plus the rounding of dx, dy and len2): 8 above.
        if (reach.branches.start && reach.to_start > limit) {
            const double tau = slack + len2 * 0x1p-1074;
            reach.to_start = std::min(
                reach.to_start, farthest_bound(node, distance_.start(), {-dx, -dy}, tau));
        }
        if (reach.branches.end && reach.to_end > limit) {
            const double tau = slack + len2 * 0x1p-50;
            reach.to_end =
                std::min(reach.to_end, farthest_bound(node, distance_.end(), {dx, dy}, tau));
        }
        return reach.bound();
    }

  private:
    // The bounds of the branches that the points of a box may take.
    struct Reach {
        Branches branches;
        double to_start;
        double to_end;
        double to_line;
        double start_size;  // |s.x - p.x| + |s.y - p.y| at most, over the box

        double bound() const {
            return std::max({branches.start ? to_start : 0.0, branches.end ? to_end : 0.0,
                             branches.line ? to_line : 0.0});
        }
    };

    Reach reach(const SplitGuard::Box& box, double limit) const {
        const Coordinate s = distance_.start();
        const Span u = difference_from(s.x, box.min_x, box.max_x);
        const Span v = difference_from(s.y, box.min_y, box.max_y);
        Reach reach{{false, false, false}, 0.0, 0.0, 0.0, magnitude(u) + magnitude(v)};
        if (distance_.degenerate()) {
            reach.branches.start = true;
            reach.to_start = hypot_bound(magnitude(u), magnitude(v), limit);
            return reach;
        }
        const double dx = distance_.dx();
        const double dy = distance_.dy();
        const double len2 = distance_.len2();
        reach.branches = possible_branches(over<Ordinary>(
            plus<Ordinary>(times<Ordinary>(negated(u), dx), times<Ordinary>(negated(v), dy)),
            len2));
        if (reach.branches.start) {
            reach.to_start = hypot_bound(magnitude(u), magnitude(v), limit);
        }
        if (reach.branches.end) {
            const Coordinate e = distance_.end();
            const Span eu = difference_from(e.x, box.min_x, box.max_x);
            const Span ev = difference_from(e.y, box.min_y, box.max_y);
            reach.to_end = hypot_bound(magnitude(eu), magnitude(ev), limit);
        }
        if (reach.branches.line) {
            reach.to_line = line_bound<Ordinary>(
                plus<Ordinary>(times<Ordinary>(v, dx), negated(times<Ordinary>(u, dy))), len2,
                distance_.length());
        }
        return reach;
    }

    // The computed numerators of r and q at a point, as point_segment_distance forms them.
    static double along(const DistanceToSegment& d, Coordinate p) {
        const Coordinate s = d.start();
        return (p.x - s.x) * d.dx() + (p.y - s.y) * d.dy();
    }
    static double across(const DistanceToSegment& d, Coordinate p) {
        const Coordinate s = d.start();
        return (s.y - p.y) * d.dx() - (s.x - p.x) * d.dy();
    }

    // A bound on hypot(c - p) over the node's points from its farthest hull vertex (8 above);
    // +inf where the hull is too large or the distance out of range.
    double farthest_bound(std::size_t node, Coordinate c, Coordinate f, double tau) const {
        const std::optional<double> squared = hulls_.farthest_squared_on_side(node, c, f, tau);
        if (!squared) {
            return kInfinity;
        }
        const double root = std::sqrt(*squared);
        if (!(root >= kFarthestSmallest && root <= kFarthestLargest)) {
            return kInfinity;
        }
        return root * kFarthestSlack;
    }

    // The span of a numerator over the node's points, from the hull's extreme vertices along
    // `f` (the direction in which the numerator's exact value grows) and its opposite, widened
    // by `slack`; none where the hull's search cannot decide.
    std::optional<Span> hull_span(std::size_t node, Coordinate f, double slack,
                                  double (*numerator)(const DistanceToSegment&, Coordinate)) const {
        const std::optional<Coordinate> highest = hulls_.extreme(node, f);
        const std::optional<Coordinate> lowest = hulls_.extreme(node, {-f.x, -f.y});
        if (!highest || !lowest) {
            return std::nullopt;
        }
        return checked(numerator(distance_, *lowest) - slack,
                       numerator(distance_, *highest) + slack, false);
    }

    const DistanceToSegment& distance_;
    const NodeHulls& hulls_;
};

// The best point measured so far, by the scan's rule (6 above).
struct Best {
    bool found = false;
    std::size_t index = 0;
    double distance = 0.0;

    void offer(std::size_t i, double d) {
        if (d > distance) {
            *this = {true, i, d};
        } else if (found && d == distance && i < index) {
            index = i;
        }
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

SplitGuard::Box box_of(const Ring& points, std::size_t begin, std::size_t end) {
    SplitGuard::Box box{kInfinity, -kInfinity, kInfinity, -kInfinity};
    for (std::size_t i = begin; i < end; ++i) {
        box.min_x = std::min(box.min_x, points[i].x);
        box.max_x = std::max(box.max_x, points[i].x);
        box.min_y = std::min(box.min_y, points[i].y);
        box.max_y = std::max(box.max_y, points[i].y);
    }
    return box;
}

SplitGuard::Box united(const SplitGuard::Box& a, const SplitGuard::Box& b) {
    return {std::min(a.min_x, b.min_x), std::max(a.max_x, b.max_x), std::min(a.min_y, b.min_y),
            std::max(a.max_y, b.max_y)};
}

}  // namespace

bool SplitGuard::build(const Ring& points) {
    boxes_.clear();
    leaf_base_ = 0;
    double largest = 0.0;
    for (const Coordinate c : points) {
        if (!std::isfinite(c.x) || !std::isfinite(c.y)) {
            return false;
        }
        largest = std::max({largest, std::fabs(c.x), std::fabs(c.y)});
    }
    ordinary_coordinates_ = largest <= kLargestOrdinaryCoordinate;
    const std::size_t leaves = (points.size() + kLeafPoints - 1) / kLeafPoints;
    leaf_base_ = std::bit_ceil(std::max<std::size_t>(leaves, 1));
    boxes_.assign(2 * leaf_base_, Box{kInfinity, -kInfinity, kInfinity, -kInfinity});
    for (std::size_t leaf = 0; leaf < leaves; ++leaf) {
        const std::size_t begin = leaf * kLeafPoints;
        boxes_[leaf_base_ + leaf] =
            box_of(points, begin, std::min(begin + kLeafPoints, points.size()));
    }
    for (std::size_t node = leaf_base_ - 1; node >= 1; --node) {
        boxes_[node] = united(boxes_[2 * node], boxes_[2 * node + 1]);
    }
    hulls_.build(points, leaf_base_, kLeafPoints);
    return true;
}

template <class Bound>
SplitGuard::Pending SplitGuard::pending(std::size_t node, const Bound& bound, double best,
                                        double tolerance) const {
    // The node's points: its depth in the tree gives how many leaves it spans.
    const std::size_t depth = static_cast<std::size_t>(std::bit_width(node)) - 1;
    const std::size_t span = (leaf_base_ >> depth) * kLeafPoints;
    const std::size_t begin = (node - (std::size_t{1} << depth)) * span;
    // Leaves have no hull: their box is all there is.
    return {node, begin, begin + span, bound(boxes_[node], std::max(tolerance, best)),
            !hulls_.has_hull(node)};
}

Split SplitGuard::split(const Ring& points, Run run, double tolerance) {
    return *split_within(points, run, tolerance, SIZE_MAX);
}

std::optional<Split> SplitGuard::split_within(const Ring& points, Run run, double tolerance,
                                              std::size_t work_limit) {
    // No distance exceeds +inf or NaN.
    if (run.last - run.first < 2 || !(tolerance < kInfinity)) {
        return Split{};
    }
    const DistanceToSegment distance(points[run.first], points[run.last]);
    Best best;
    const std::size_t first_inner = run.first + 1;
    if (run.inner_points() <= kDirectScanPoints) {
        for (std::size_t i = first_inner; i < run.last; ++i) {
            best.offer(i, distance(points[i]));
        }
    } else {
        // The points before the first whole leaf of the run and after the last are measured
        // directly; the whole leaves are covered by at most two nodes per level of the tree,
        // each pushed with its bound, the highest on top (the earliest among equals), so that
        // the best grows fast.
        const std::size_t first_leaf = (first_inner + kLeafPoints - 1) / kLeafPoints;
        const std::size_t end_leaf = run.last / kLeafPoints;
        for (std::size_t i = first_inner; i < first_leaf * kLeafPoints; ++i) {
            best.offer(i, distance(points[i]));
        }
        for (std::size_t i = end_leaf * kLeafPoints; i < run.last; ++i) {
            best.offer(i, distance(points[i]));
        }
        // Best first: the pending node with the highest bound is opened next (the earliest
        // among equals), its bound first narrowed by its hull if it has one and put back, so
        // that nodes open in the order of their tightest bounds and the best grows fast.
        const auto search = [&](const auto& bound) {
            const auto lower = [](const Pending& a, const Pending& b) {
                return a.bound < b.bound || (a.bound == b.bound && a.begin > b.begin);
            };
            const auto push = [&](const Pending& node) {
                if (best.could_be_beaten(node.begin, node.bound, tolerance)) {
                    pending_.push_back(node);
                    std::push_heap(pending_.begin(), pending_.end(), lower);
                }
            };
            pending_.clear();
            std::size_t work = 0;
            // The whole leaves of the run lie under at most two nodes per level of the tree.
            for (std::size_t low = first_leaf + leaf_base_, high = end_leaf + leaf_base_; low < high;
                 low /= 2, high /= 2) {
                if (low % 2 == 1) {
                    push(pending(low++, bound, best.distance, tolerance));
                    work += kBoundWork;
                }
                if (high % 2 == 1) {
                    push(pending(--high, bound, best.distance, tolerance));
                    work += kBoundWork;
                }
            }
            while (!pending_.empty()) {
                if (work > work_limit) {
                    return false;
                }
                std::pop_heap(pending_.begin(), pending_.end(), lower);
                Pending node = pending_.back();
                pending_.pop_back();
                if (!best.could_be_beaten(node.begin, node.bound, tolerance)) {
                    continue;
                }
                if (!node.refined) {
                    // The box did not drop the node; its hull may, or may at least rank it lower.
                    node.bound = bound.refined(boxes_[node.node], node.node,
                                               std::max(tolerance, best.distance));
                    node.refined = true;
                    work += kHullWork;
                    push(node);
                    continue;
                }
                if (node.node >= leaf_base_) {
                    for (std::size_t i = node.begin; i < node.end; ++i) {
                        best.offer(i, distance(points[i]));
                    }
                    work += kLeafPoints * kMeasureWork;
                    continue;
                }
                push(pending(2 * node.node, bound, best.distance, tolerance));
                push(pending(2 * node.node + 1, bound, best.distance, tolerance));
                work += 2 * kBoundWork;
            }
            return true;
        };
        const bool ordinary = ordinary_coordinates_ &&
                              (distance.degenerate() || distance.len2() >= kSmallestOrdinaryLen2);
        const bool decided = ordinary ? search(NodeBound<true>(distance, hulls_))
                                      : search(NodeBound<false>(distance, hulls_));
        if (!decided) {
            return std::nullopt;
        }
    }
    if (best.found && best.distance > tolerance) {
        return Split{best.index};
    }
    return Split{};
}

}  // namespace quorvel
