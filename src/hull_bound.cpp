// Narrowing a node's bounds by its convex hull (hull_bound.h). Numbers in parentheses name the
// sections of the proof in guard_bounds.h.
#include "hull_bound.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <optional>

#include "short_chord_distance.h"

namespace quorvel {

namespace guard_bounds {

namespace {

// The computed numerators of r and q at a point for the chord d, as point_segment_distance forms
// them; types of their own, so that the scan of a small hull has them inline. factors() gives
// the two differences that q's numerator multiplies by dx and dy, signs included, for the exact
// value of its sum of products.
struct Along {
    static constexpr NodeHulls::Search kHighest = NodeHulls::Search::AlongHigh;
    static constexpr NodeHulls::Search kLowest = NodeHulls::Search::AlongLow;
    double operator()(Coordinate s, Coordinate d, Coordinate p) const {
        return (p.x - s.x) * d.x + (p.y - s.y) * d.y;
    }
};
// r's numerator for the search of a chord whose numerators are subnormal: a type of its own, so
// that the ordinary search keeps its span of r inline.
struct SubnormalAlong : Along {};
struct Across {
    static constexpr NodeHulls::Search kHighest = NodeHulls::Search::AcrossHigh;
    static constexpr NodeHulls::Search kLowest = NodeHulls::Search::AcrossLow;
    double operator()(Coordinate s, Coordinate d, Coordinate p) const {
        return (s.y - p.y) * d.x - (s.x - p.x) * d.y;
    }
    static Coordinate factors(Coordinate s, Coordinate p) { return {s.y - p.y, -(s.x - p.x)}; }
};

// A sum of two products a.x b.x + a.y b.y, each below 2^-1025, times 2^1074, and the steps of
// 2^-1074 that a point's numerator can reach from it (6). Each factor is scaled by 2^537,
// exactly; the rounded sum of the rounded products lies within 1/8 of the exact sum, as each
// scaled product is below 2^49 and their sum below 2^50. That sum is split into a whole number
// and a fraction, both exact, and a step is decided by the fraction alone unless the fraction
// lies within 1/8 of where the step changes; then by the exact rest, the products' remainders
// from fma() and the sum's own from Knuth's two-sum.
class ScaledSum {
  public:
    // None where a scaled product reaches 2^49 or is not finite.
    static std::optional<ScaledSum> of(Coordinate a, Coordinate b) {
        constexpr double kScale = DistanceToShortChord::kScale;
        const ScaledSum sum(a.x * kScale, b.x * kScale, a.y * kScale, b.y * kScale);
        if (!(std::fabs(sum.first_) < 0x1p49 && std::fabs(sum.second_) < 0x1p49)) {
            return std::nullopt;
        }
        return sum;
    }

    // floor(x + kSubnormalStepsBeyond) and ceil(x - kSubnormalStepsBeyond) for the exact sum x:
    // as |fraction + rest| <= 5/8, the whole number plus one or none, or minus one or none.
    double highest_step() const { return whole_ + (exceeds(kHighestStepAt) ? 1.0 : 0.0); }
    double lowest_step() const { return whole_ - (exceeds(kLowestStepAt) ? 0.0 : 1.0); }
    // Bounds on those steps from the rounded sum alone.
    double highest_step_at_most() const {
        return whole_ + (fraction_ >= kHighestStepAt - kLargestRest ? 1.0 : 0.0);
    }
    double lowest_step_at_least() const {
        return whole_ - (fraction_ > kLowestStepAt + kLargestRest ? 0.0 : 1.0);
    }

  private:
    ScaledSum(double a_x, double b_x, double a_y, double b_y)
        : a_x_(a_x),
          b_x_(b_x),
          a_y_(a_y),
          b_y_(b_y),
          first_(a_x * b_x),
          second_(a_y * b_y),
          sum_(first_ + second_),
          whole_((sum_ + DistanceToShortChord::kToIntegers) - DistanceToShortChord::kToIntegers),
          fraction_(sum_ - whole_) {}

    // Whether fraction + rest reaches `threshold`, the rest worked out only where it could
    // decide; `>=` and `>` alike, as the threshold has 1/8 of room beyond the bound (6).
    bool exceeds(double threshold) const {
        if (fraction_ >= threshold + kLargestRest) {
            return true;
        }
        if (fraction_ < threshold - kLargestRest) {
            return false;
        }
        return fraction_ + rest() >= threshold;
    }
    double rest() const {
        const double second_taken = sum_ - first_;
        const double sum_error = (first_ - (sum_ - second_taken)) + (second_ - second_taken);
        return sum_error + (std::fma(a_x_, b_x_, -first_) + std::fma(a_y_, b_y_, -second_));
    }

    // The largest |rest|: half a unit in the last place of each product, below 2^49, and of
    // their sum, below 2^50.
    static constexpr double kLargestRest = 0.125;
    // Where fraction + rest moves the highest and the lowest step.
    static constexpr double kHighestStepAt = 1.0 - kSubnormalStepsBeyond;
    static constexpr double kLowestStepAt = kSubnormalStepsBeyond - 1.0;

    double a_x_;
    double b_x_;
    double a_y_;
    double b_y_;
    double first_;
    double second_;
    double sum_;
    double whole_;
    double fraction_;
};

// How far (p - s).d may exceed 0 for a point p of the start branch, tau_s, and how far
// (p - e).d may fall below 0 for one of the end branch, tau_e (7).
inline double start_room(const DistanceToSegment& distance, double slack) {
    return slack + distance.len2() * 0x1p-1074;
}
inline double end_room(const DistanceToSegment& distance, double slack) {
    return slack + distance.len2() * 0x1p-50;
}

// A lower bound on the exact dx^2 + dy^2: len2 itself where it is normal (its rounding is part
// of the slack), else len2 less the error of its two squares (11).
inline double least_chord_square(const DistanceToSegment& distance) {
    const double len2 = distance.len2();
    return len2 >= kSmallestOrdinaryLen2 ? len2 : len2 - 0x1p-1074;
}

// sqrt(along^2 + across^2) / sqrt(len2), raised to bound the computed distance (11). Both terms
// are first scaled by the power of two that brings the larger into [1, 2), so that their squares
// neither overflow nor underflow.
inline double projected_bound(const DistanceToSegment& distance, double along, double across) {
    const double larger = std::max(along, across);
    if (!(larger > 0.0 && larger < kInfinity)) {
        return kInfinity;
    }
    const int exponent = binary_exponent(larger);
    const double a = times_two_to(along, -exponent);
    const double c = times_two_to(across, -exponent);
    const double root = std::sqrt(a * a + c * c) / std::sqrt(least_chord_square(distance));
    return times_two_to(root, exponent) * kFarthestSlack + kProjectedTinySlack;
}

// The exponent of a positive finite value, else 0.
inline int exponent_or_zero(double value) {
    return value > 0.0 && value < kInfinity ? binary_exponent(value) : 0;
}

}  // namespace

template <bool Ordinary>
bool HullBound<Ordinary>::narrow_by_hull(Reach& reach, const NodeBox& box, std::size_t node,
                                         double limit, std::size_t& work) const {
    const std::optional<HullChord> chord = hull_chord(box, reach.start_size);
    if (!chord) {
        return false;
    }
    const std::size_t size = hulls_.own.hull_size(node);
    const std::size_t search =
        size <= kScannedHull ? size / 2 : static_cast<std::size_t>(std::bit_width(size));
    // Where every numerator is subnormal, the spans are narrower (6): a search of its own, so
    // that the ordinary one stays as lean as it was.
    if (chord->scale < kSubnormalHullScale) [[unlikely]] {
        narrow_by_chord<true>(reach, box, node, limit, *chord, search, work);
    } else {
        narrow_by_chord<false>(reach, box, node, limit, *chord, search, work);
    }
    return true;
}

template <bool Ordinary>
void HullBound<Ordinary>::narrow_start_by_farthest_vertex(Reach& reach, const NodeBox& box,
                                                          std::size_t node, double limit,
                                                          std::size_t& work) const {
    if (!reach.branches.start || !(reach.to_start > limit)) {
        return;
    }
    const double vertex = farthest_vertex(node, box, distance_.start(), limit, work);
    reach.start_from_vertex = vertex < kInfinity && vertex <= reach.to_start;
    reach.to_start = std::min(reach.to_start, vertex);
}

template <bool Ordinary>
void HullBound<Ordinary>::narrow_ends_by_cut_hull(Reach& reach, const NodeBox& box,
                                                  std::size_t node, double limit,
                                                  std::size_t& work) const {
    const bool start = reach.branches.start && reach.to_start > limit;
    const bool end = reach.branches.end && reach.to_end > limit;
    if (!(start || end)) {
        return;
    }
    const Coordinate products = products_of_r(distance_, largest_offsets(box, distance_.start()));
    if (!(products.x < kInfinity && products.y < kInfinity)) {
        return;
    }
    const double slack = products.x * kHullSlack + products.y * kHullSlack + kHullTinySlack;
    narrow_ends_by_cut_corners(reach, box, node, limit, slack, work);
}

template <bool Ordinary>
void HullBound<Ordinary>::narrow_line_by_strip(Reach& reach, const NodeBox& box, std::size_t node,
                                               double limit, std::size_t& work) const {
    if (!(reach.branches.line && reach.to_line > limit)) {
        return;
    }
    const std::optional<double> line =
        line_bound_in_strip(distance_, box, node, limit, hulls_, work);
    if (line) {
        reach.to_line = std::min(reach.to_line, *line);
    }
}

// The chord itself where |s.x - p.x| + |s.y - p.y| over the box (`start_size`) times
// |dx| + |dy|, which bounds the terms of both numerators, is within the hull's range of
// scales; else the chord divided by kChordDivisor, where no product of a point's own
// numerators can overflow; else none.
template <bool Ordinary>
inline auto HullBound<Ordinary>::hull_chord(const NodeBox& box, double start_size) const
    -> std::optional<HullChord> {
    const double dx = distance_.dx();
    const double dy = distance_.dy();
    const double scale = start_size * (std::fabs(dx) + std::fabs(dy));
    if (scale < kLargestHullScale) {
        return HullChord{{dx, dy}, 1.0, scale};
    }
    const Coordinate offsets = largest_offsets(box, distance_.start());
    const double largest_product =
        std::max(offsets.x, offsets.y) * std::max(std::fabs(dx), std::fabs(dy));
    const Coordinate d{dx / kChordDivisor, dy / kChordDivisor};
    const double divided_scale = start_size * (std::fabs(d.x) + std::fabs(d.y));
    if (!(largest_product < kInfinity && divided_scale < kLargestHullScale &&
          d.x * kChordDivisor == dx && d.y * kChordDivisor == dy)) {
        return std::nullopt;
    }
    return HullChord{d, kChordDivisor, divided_scale};
}

// Narrows the bounds of the branches still above `limit` by the node's hull: the line branch
// and which branches are possible from the spans of the numerators (6) and the strip (13),
// the start and end branches from the spans (11) and from the farthest corner of the cut
// hull (7).
template <bool Ordinary>
template <bool Subnormal>
inline void HullBound<Ordinary>::narrow_by_chord(Reach& reach, const NodeBox& box, std::size_t node,
                                                 double limit, const HullChord& chord,
                                                 std::size_t search, std::size_t& work) const {
    const double dx = distance_.dx();
    const double dy = distance_.dy();
    // The spans' slack at the size of the chord they take, and at the chord's own; where every
    // numerator is subnormal, whole steps of 2^-1074, and q's span from the exact values at the
    // vertices (6).
    const double hull_slack =
        Subnormal ? kSubnormalSpanSlack : chord.scale * kHullSlack + kHullTinySlack;
    const double slack = Subnormal ? kSubnormalEndSlack : hull_slack * chord.divisor;
    const double len2 = distance_.len2();
    // Only parts of the bound above the limit are worth narrowing.
    std::optional<Span> across;
    const auto search_across = [&] {
        work += kSearchWork * search;
        if constexpr (Subnormal) {
            across = subnormal_across_span(node);
        } else {
            across = hull_span(node, {dy, -dx}, chord, hull_slack, Across{});
        }
    };
    if (reach.branches.line && reach.to_line > limit) {
        search_across();
        if (across) {
            reach.to_line =
                std::min(reach.to_line, line_bound<Ordinary>(*across, len2, distance_.length()));
        }
    }
    const auto ends_above_limit = [&] {
        return (reach.branches.start && reach.to_start > limit) ||
               (reach.branches.end && reach.to_end > limit);
    };
    if (ends_above_limit()) {
        work += kSearchWork * search;
        const std::optional<Span> along =
            Subnormal ? hull_span(node, {dx, dy}, chord, hull_slack, SubnormalAlong{})
                      : hull_span(node, {dx, dy}, chord, hull_slack, Along{});
        if (along) {
            const Branches hull = possible_branches(over<Ordinary>(*along, len2));
            reach.branches = {reach.branches.start && hull.start, reach.branches.end && hull.end,
                              reach.branches.line && hull.line};
            if (ends_above_limit() && !across) {
                search_across();
            }
            if (across) {
                narrow_ends_by_spans(reach, *along, *across, slack);
            }
        }
    }
    // Beyond the hull's range of scales, the line branch over the strip (13); then
    // what is still above the limit and the line branch: the farthest corner of the hull
    // cut at the branch's side (7).
    narrow_line_by_strip(reach, box, node, limit, work);
    narrow_ends_by_cut_corners(reach, box, node, limit, slack, work);
}

// Narrows the start and end branches by the farthest corners of the hull cut at each end's
// side, the line `slack` beyond the end (7), where a branch's bound is above what
// keeps the node anyway: the limit, the line branch's bound, or for the end, the start's
// as narrowed (the end's own is not narrowed yet when the start's is, so it may be far
// too high to count). Below that, a tighter bound would only rank the node, not drop it,
// and a scan of a large hull is what costs.
template <bool Ordinary>
inline void HullBound<Ordinary>::narrow_ends_by_cut_corners(Reach& reach, const NodeBox& box,
                                                            std::size_t node, double limit,
                                                            double slack, std::size_t& work) const {
    const double dx = distance_.dx();
    const double dy = distance_.dy();
    const double line = reach.branches.line ? reach.to_line : 0.0;
    if (reach.branches.start) {
        const double kept_by = std::max(limit, line);
        if (reach.to_start > kept_by) {
            reach.to_start = std::min(reach.to_start,
                                      farthest_bound(node, box, distance_.start(), {-dx, -dy},
                                                     start_room(distance_, slack), kept_by, work));
        }
    }
    if (reach.branches.end) {
        const double kept_by = std::max({limit, line, reach.branches.start ? reach.to_start : 0.0});
        if (reach.to_end > kept_by) {
            reach.to_end =
                std::min(reach.to_end, farthest_bound(node, box, distance_.end(), {dx, dy},
                                                      end_room(distance_, slack), kept_by, work));
        }
    }
}

// The start and end branches' bounds from the spans of the numerators of r and q over the
// node (11).
template <bool Ordinary>
inline void HullBound<Ordinary>::narrow_ends_by_spans(Reach& reach, Span along, Span across,
                                                      double slack) const {
    const double len2 = distance_.len2();
    if (!(len2 >= kSmallestProjectedLen2 && len2 < kInfinity)) {
        return;
    }
    const double sideways = magnitude(across);
    if (reach.branches.start) {
        reach.to_start =
            std::min(reach.to_start,
                     projected_bound(distance_, std::max(start_room(distance_, slack), -along.lo),
                                     sideways));
    }
    if (reach.branches.end) {
        const double margin = len2 * 0x1p-48 + kEndTinyMargin;
        const double beyond = along.hi > len2 ? (along.hi - len2) + margin : margin;
        reach.to_end = std::min(
            reach.to_end, projected_bound(distance_, std::max(end_room(distance_, slack), beyond),
                                          sideways + len2 * 0x1p-50 + kEndTinyMargin));
    }
}

// A bound on hypot(c - p) over the node's points from its farthest hull vertex (7),
// the differences from c scaled by the power of two that brings the box's largest near 1,
// and f by one of its own; +inf where the distance is out of range. Blocks of vertices that
// cannot keep the bound above `limit` are passed over.
template <bool Ordinary>
inline double HullBound<Ordinary>::farthest_bound(std::size_t node, const NodeBox& box,
                                                  Coordinate c, Coordinate f, double tau,
                                                  double limit, std::size_t& work) const {
    const Coordinate offsets = largest_offsets(box, c);
    const double extent = std::max(offsets.x, offsets.y);
    const int shift = exponent_or_zero(extent);
    const int f_shift = exponent_or_zero(std::fabs(f.x) + std::fabs(f.y));
    const Coordinate scaled_f{times_two_to(f.x, -f_shift), times_two_to(f.y, -f_shift)};
    const double scaled_tau = times_two_to(tau, -shift - f_shift);
    if (!(times_two_to(scaled_f.x, f_shift) == f.x && times_two_to(scaled_f.y, f_shift) == f.y &&
          times_two_to(scaled_tau, shift + f_shift) == tau)) {
        return kInfinity;
    }
    // Blocks of vertices that cannot keep the bound above the limit need not be visited.
    const double enough = times_two_to(limit, -shift) / kFarthestSlack;
    std::size_t visited = 0;
    const std::optional<double> squared = hulls_.own.farthest_squared_on_side(
        node, c, scaled_f, scaled_tau, times_two_to(1.0, -shift), enough * enough, visited);
    work += kScanWork * visited;
    if (!squared) {
        return kInfinity;
    }
    const double root = std::sqrt(*squared);
    if (!(root >= kFarthestSmallest && root <= kFarthestLargest)) {
        return kInfinity;
    }
    return times_two_to(root * kFarthestSlack, shift) + kProjectedTinySlack;
}

// The span of a numerator over the node's points, from its values for `chord` at the hull's
// vertices widened by `slack` and brought back to the chord's own size (6): at every
// vertex for a small hull, at the vertices extreme along `f` (the direction in which the
// numerator's exact value grows) and its opposite for a large one. None where the search
// for them cannot decide.
template <bool Ordinary>
template <class Numerator>
inline std::optional<Span> HullBound<Ordinary>::hull_span(std::size_t node, Coordinate f,
                                                          const HullChord& chord, double slack,
                                                          Numerator numerator) const {
    const Coordinate s = distance_.start();
    // Back at the chord's own size, exactly, or an end beyond the doubles becomes an
    // infinity (6).
    const auto widened = [&](double lowest, double highest) {
        return checked((lowest - slack) * chord.divisor, (highest + slack) * chord.divisor, false);
    };
    if (hulls_.own.hull_size(node) <= kScannedHull) {
        double lowest = kInfinity;
        double highest = -kInfinity;
        hulls_.own.visit_vertices(node, [&](Coordinate v) {
            const double value = numerator(s, chord.d, v);
            lowest = std::min(lowest, value);
            highest = std::max(highest, value);
        });
        return widened(lowest, highest);
    }
    const Coordinate g{f.x * direction_scale_, f.y * direction_scale_};
    const std::optional<Coordinate> highest = hulls_.own.extreme(node, g, Numerator::kHighest);
    const std::optional<Coordinate> lowest =
        hulls_.own.extreme(node, {-g.x, -g.y}, Numerator::kLowest);
    if (!highest || !lowest) {
        return std::nullopt;
    }
    return widened(numerator(s, chord.d, *lowest), numerator(s, chord.d, *highest));
}

// The span of q's numerator over the node's points where every numerator is subnormal (6): the
// exact values at the vertices extreme across the chord (at every vertex for a small hull),
// brought to the multiples of 2^-1074 that a point's numerator can reach from them.
template <bool Ordinary>
std::optional<Span> HullBound<Ordinary>::subnormal_across_span(std::size_t node) const {
    constexpr double kStep = 0x1p-1074;
    const Coordinate s = distance_.start();
    const Coordinate d{distance_.dx(), distance_.dy()};
    double highest = -kInfinity;
    double lowest = kInfinity;
    bool decided = true;
    // A vertex's exact step is worked out only where it could move the span's end.
    const auto take = [&](Coordinate v, bool high, bool low) {
        const std::optional<ScaledSum> value = ScaledSum::of(Across::factors(s, v), d);
        if (!value) {
            decided = false;
            return;
        }
        if (high && value->highest_step_at_most() > highest) {
            highest = std::max(highest, value->highest_step());
        }
        if (low && value->lowest_step_at_least() < lowest) {
            lowest = std::min(lowest, value->lowest_step());
        }
    };
    if (hulls_.own.hull_size(node) <= kScannedHull) {
        // A vertex's computed numerator lies within a step of its exact one, so one whose
        // numerator is two steps below the largest cannot reach a higher step than the vertex
        // of the largest: only those within a step of the largest and the smallest are taken,
        // found by a second scan, as cheap as the first.
        double largest = -kInfinity;
        double smallest = kInfinity;
        hulls_.own.visit_vertices(node, [&](Coordinate v) {
            const double value = Across{}(s, d, v);
            largest = std::max(largest, value);
            smallest = std::min(smallest, value);
        });
        hulls_.own.visit_vertices(node, [&](Coordinate v) {
            const double value = Across{}(s, d, v);
            const bool high = !(value < largest - kStep);
            const bool low = !(value > smallest + kStep);
            if (high || low) {
                take(v, high, low);
            }
        });
    } else {
        const Coordinate g{d.x * direction_scale_, d.y * direction_scale_};
        const std::optional<Coordinate> high =
            hulls_.own.extreme(node, {g.y, -g.x}, Across::kHighest);
        const std::optional<Coordinate> low =
            hulls_.own.extreme(node, {-g.y, g.x}, Across::kLowest);
        if (!high || !low) {
            return std::nullopt;
        }
        take(*high, true, false);
        take(*low, false, true);
    }
    if (!decided || !(lowest <= highest)) {
        return std::nullopt;
    }
    return Span{lowest * kStep, highest * kStep, false};
}

template class HullBound<true>;
template class HullBound<false>;

}  // namespace guard_bounds

}  // namespace quorvel
