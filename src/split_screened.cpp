// The screened scan: estimates in lanes, exact distances near the winner (split_screened.h).
#include "split_screened.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>

#if defined(__GNUC__)
// Four-lane values never cross a call boundary (see LaneTypes; the lane functions of the
// headers below are always inlined too), so the warning that their calling convention differs
// without AVX does not apply.
#pragma GCC diagnostic ignored "-Wpsabi"
#endif

#include "segment_distance.h"
#include "short_chord_distance.h"
#include "split_plain.h"

namespace quorvel {
namespace {

// The screened scan works with squared distances, which stay within a few units in the last
// place of the squared exact distance while no square overflows or underflows. These bounds
// keep it there; outside them the plain scan runs, or the exact distances where only they
// can split (ToStartPastOverflow::split_exactly).
constexpr double kTameCoordinate = 1e60;
constexpr double kTinyChordSquared = 1e-100;
constexpr double kTinyDistanceSquared = 1e-200;
// Far wider than those few rounding errors: a point whose estimate falls this much below the
// largest cannot be the farthest, and an estimate this much beyond the squared tolerance
// belongs to a point farther than the tolerance.
constexpr double kScreenMargin = 1e-12;

// farthest_plain over the points whose estimate is at least `threshold`: the candidates.
Farthest farthest_among_candidates(const Ring& points, const Run& run, const double* estimate,
                                   double threshold) {
    Farthest best;
    const DistanceToSegment distance(points[run.first], points[run.last]);
    for (std::size_t i = run.first + 1; i < run.last; ++i) {
        if (!(estimate[i] >= threshold)) {
            continue;
        }
        const double d = distance(points[i]);
        if (d > best.distance) {
            best = {true, i, d};
        }
    }
    return best;
}

// Lanes of doubles; every operation is the scalar IEEE operation lane by lane, so results do
// not depend on the lane count. Two lanes fill an SSE2 register, four an AVX register; the
// four-lane code runs only inside functions compiled for AVX2, always inlined.
template <int N>
struct LaneTypes;
template <>
struct LaneTypes<2> {
    using Lanes = double __attribute__((vector_size(16)));
    using Mask = std::int64_t __attribute__((vector_size(16)));
};
template <>
struct LaneTypes<4> {
    using Lanes = double __attribute__((vector_size(32)));
    using Mask = std::int64_t __attribute__((vector_size(32)));
};
template <int N>
using Lanes = typename LaneTypes<N>::Lanes;
template <int N>
using LaneMask = typename LaneTypes<N>::Mask;

template <int N>
[[gnu::always_inline]] inline Lanes<N> broadcast(double value) {
    return Lanes<N>{} + value;
}
template <int N>
[[gnu::always_inline]] inline Lanes<N> select(const LaneMask<N>& take_first, const Lanes<N>& first,
                                              const Lanes<N>& second) {
    return take_first ? first : second;
}
template <int N>
[[gnu::always_inline]] inline double horizontal_max(const Lanes<N>& lanes) {
    Lanes<N> folded = lanes;
    if constexpr (N == 4) {
        const Lanes<4> halves_swapped = __builtin_shufflevector(lanes, lanes, 2, 3, 0, 1);
        folded = halves_swapped > lanes ? halves_swapped : lanes;
    }
    return folded[1] > folded[0] ? folded[1] : folded[0];
}
template <int N>
[[gnu::always_inline]] inline bool any_lane(const LaneMask<N>& mask) {
    std::int64_t any = 0;
    for (int lane = 0; lane < N; ++lane) {
        any |= mask[lane];
    }
    return any != 0;
}

// Squared distance from p to the start of a closed ring's degenerate chord.
struct ToPoint {
    Coordinate s;

    static double scale() { return 1.0; }
    static double tolerance_squared(double tolerance) { return tolerance * tolerance; }
    static Split split_exactly(const Ring& points, const Run& run, double tolerance) {
        return split_plain(points, run, tolerance);
    }
    // On a ring that screening_applies() accepts, no estimate overflows.
    static constexpr double kLargestTrusted = std::numeric_limits<double>::infinity();
    // Whether the largest estimate is of distances too small to trust.
    static bool too_small(double largest) { return largest < kTinyDistanceSquared; }

    double operator()(Coordinate p) const {
        const double ax = s.x - p.x;
        const double ay = s.y - p.y;
        return ax * ax + ay * ay;
    }
    template <int N>
    [[gnu::always_inline]] Lanes<N> lanes(const Lanes<N>& xs, const Lanes<N>& ys,
                                          LaneMask<N>&) const {
        const Lanes<N> ax = s.x - xs;
        const Lanes<N> ay = s.y - ys;
        return ax * ax + ay * ay;
    }
};

// Squared distance from p to a chord, times len2 (which spares a division per run), measured
// to the same part of the segment (start, end or interior) as the exact distance: the
// projection ratio r = along / len2 decides, and r <= 0 and r >= 1 are read from `along`
// without dividing, except where that is not certain.
struct ToChord {
    Coordinate s;
    Coordinate e;
    double dx = e.x - s.x;
    double dy = e.y - s.y;
    double len2 = dx * dx + dy * dy;
    // along / len2 rounds to 0 only below len2 * 2^-1075, which is below this for every chord
    // the screened scan accepts.
    static constexpr double kSurelyPositive = 1e-200;
    // Below this, along / len2 surely rounds to less than 1.
    double surely_below_end = len2 * (1.0 - 0x1p-51);

    double scale() const { return len2; }
    static double tolerance_squared(double tolerance) { return tolerance * tolerance; }
    static Split split_exactly(const Ring& points, const Run& run, double tolerance) {
        return split_plain(points, run, tolerance);
    }
    static constexpr double kLargestTrusted = std::numeric_limits<double>::infinity();
    bool too_small(double largest) const { return largest < kTinyDistanceSquared * len2; }
    // Whether the estimates' squares may underflow: the run is then measured point by point.
    bool too_short() const { return len2 < kTinyChordSquared; }

    double operator()(Coordinate p) const {
        const double ax = s.x - p.x;
        const double ay = s.y - p.y;
        const double along = (p.x - s.x) * dx + (p.y - s.y) * dy;
        bool before = along <= 0.0;
        bool after = along >= len2;
        if (!before && !after && (along < kSurelyPositive || along > surely_below_end))
            [[unlikely]] {
            const double r = along / len2;
            before = r <= 0.0;
            after = r >= 1.0;
        }
        if (before) {
            return (ax * ax + ay * ay) * len2;
        }
        if (after) {
            const double bx = e.x - p.x;
            const double by = e.y - p.y;
            return (bx * bx + by * by) * len2;
        }
        const double cross = ay * dx - ax * dy;
        return cross * cross;
    }
    // Lanes whose part of the segment is not certain are marked in `unsure`; their estimates
    // are left for the scalar operator above.
    template <int N>
    [[gnu::always_inline]] Lanes<N> lanes(const Lanes<N>& xs, const Lanes<N>& ys,
                                          LaneMask<N>& unsure) const {
        const Lanes<N> ax = s.x - xs;
        const Lanes<N> ay = s.y - ys;
        const Lanes<N> bx = e.x - xs;
        const Lanes<N> by = e.y - ys;
        // (p - s) . d, negated: the negation of each difference and of the sum is exact, so
        // `toward` is bit for bit the negated projection numerator of the exact distance.
        const Lanes<N> toward = ax * dx + ay * dy;
        const LaneMask<N> before = toward >= 0.0;
        const LaneMask<N> after = toward <= -len2;
        const LaneMask<N> at_an_end = before | after;
        unsure |= ~at_an_end & ((toward > -kSurelyPositive) | (toward < -surely_below_end));
        const Lanes<N> cross = ay * dx - ax * dy;
        const Lanes<N> to_line = cross * cross;
        // Most steps lie wholly beside the chord; the distances from its ends are made only for
        // a step with a point past either.
        if (!any_lane<N>(at_an_end)) [[likely]] {
            return to_line;
        }
        const Lanes<N> to_start = (ax * ax + ay * ay) * len2;
        const Lanes<N> to_end = (bx * bx + by * by) * len2;
        return select<N>(before, to_start, select<N>(after, to_end, to_line));
    }
};

// Squared distance from p to the start of a chord whose squared length overflows (possible only
// on a ring beyond the coordinates that screening_applies() accepts), times factor^2, a power of
// two that keeps the squares of the run's points away from overflow and underflow.
//
// The exact distance divides the projection numerator `along` by len2, which is infinite: the
// ratio is +-0 wherever `along` is finite, so the point measures from the start, and NaN where
// it is not, so the point measures to the line, as 0 or NaN, which never splits. The estimate
// of such a point is 0, never a candidate unless all are, when the largest is too small to trust
// and split_exactly() decides. The differences from the start are those the exact distance takes,
// scaled exactly (a difference that underflows is far too small to matter, see
// kTinyDistanceSquared), so the estimate is their squared length within a few units in the last
// place, the exact distance being faithful, as for ToPoint. The tolerance is scaled alike; a
// square of it that underflows lies far below every trusted estimate (from 1e-200), and one
// that overflows far above every one (up to kLargestTrusted), so either compares rightly.
struct ToStartPastOverflow {
    Coordinate s;
    Coordinate e;
    double factor;
    double dx = e.x - s.x;
    double dy = e.y - s.y;

    // Whether the chord is one: both steps finite, their squares' sum not. (Where a step is
    // infinite, no point has a finite `along`, and split_plain soon finds no split.)
    bool overflows() const {
        return std::isfinite(dx) && std::isfinite(dy) && !std::isfinite(chord_len2(s, e));
    }
    static double scale() { return 1.0; }
    double tolerance_squared(double tolerance) const {
        const double scaled = tolerance * factor;
        return scaled * scaled;
    }
    // Where the factor does not suit the run, a scaled square may overflow; the estimates are
    // trusted below this, which leaves room for their sums and the margins.
    static constexpr double kLargestTrusted = 0x1p1000;
    // Too small to trust where the scaled squares may have lost digits to underflow, as for
    // ToPoint, and also where the distances themselves, unscaled, are that small: the exact
    // distance of a point so near the start may round to a subnormal, in steps of 5e-324 that
    // no margin on the scaled estimates covers, so that points whose squared distances differ
    // by thousands of units in the last place tie. Dividing by the factor, a power of two, is
    // exact but where it overflows (distances far above the bound) or underflows (far below).
    bool too_small(double largest) const {
        return largest < kTinyDistanceSquared || largest / factor / factor < kTinyDistanceSquared;
    }

    // The projection numerator of the exact distance, bit for bit.
    double along(Coordinate p) const { return (p.x - s.x) * dx + (p.y - s.y) * dy; }
    // split_plain's answer, the exact distance taken only where it can split the run.
    Split split_exactly(const Ring& points, const Run& run, double tolerance) const {
        const DistanceToSegment distance(s, e);
        Farthest best;
        for (std::size_t i = run.first + 1; i < run.last; ++i) {
            if (std::isfinite(along(points[i]))) {
                const double d = distance(points[i]);
                if (d > best.distance) {
                    best = {true, i, d};
                }
            }
        }
        return best.found && best.distance > tolerance ? Split{best.index} : Split{};
    }

    double operator()(Coordinate p) const {
        if (!std::isfinite(along(p))) {
            return 0.0;
        }
        const double ax = (s.x - p.x) * factor;
        const double ay = (s.y - p.y) * factor;
        return ax * ax + ay * ay;
    }
    template <int N>
    [[gnu::always_inline]] Lanes<N> lanes(const Lanes<N>& xs, const Lanes<N>& ys,
                                          LaneMask<N>&) const {
        const Lanes<N> ax = s.x - xs;
        const Lanes<N> ay = s.y - ys;
        // The negated numerator, bit for bit (see ToChord); x - x is 0 exactly when x is finite.
        const Lanes<N> toward = ax * dx + ay * dy;
        const LaneMask<N> finite = toward - toward == 0.0;
        const Lanes<N> sx = ax * factor;
        const Lanes<N> sy = ay * factor;
        return select<N>(finite, sx * sx + sy * sy, broadcast<N>(0.0));
    }
};

template <int N>
[[gnu::always_inline]] inline void load_points(const Coordinate* points, Lanes<N>& xs,
                                               Lanes<N>& ys) {
    Lanes<N> low;
    Lanes<N> high;
    std::memcpy(&low, points, sizeof low);
    std::memcpy(&high, points + N / 2, sizeof high);
    if constexpr (N == 2) {
        xs = __builtin_shufflevector(low, high, 0, 2);
        ys = __builtin_shufflevector(low, high, 1, 3);
    } else {
        xs = __builtin_shufflevector(low, high, 0, 2, 4, 6);
        ys = __builtin_shufflevector(low, high, 1, 3, 5, 7);
    }
}

// split_plain's answer for a run that the estimates do not screen, measuring a chord whose
// squared length is subnormal by DistanceToShortChord: the same distances, without the
// subnormal products that slow each point of split_plain several times over. N points at a
// time on the line's branch; the others one by one.
template <int N>
[[gnu::always_inline]] inline Split split_measured(const Ring& points, const Run& run,
                                                   double tolerance) {
    const std::optional<DistanceToShortChord> short_chord =
        DistanceToShortChord::between(points[run.first], points[run.last]);
    if (!short_chord) {
        return split_plain(points, run, tolerance);
    }
    Farthest best;
    const auto offer = [&best](std::size_t i, double d) {
        if (d > best.distance) {
            best = {true, i, d};
        }
    };
    std::size_t i = run.first + 1;
    for (; i + N <= run.last; i += N) {
        Lanes<N> xs, ys;
        load_points<N>(points.data() + i, xs, ys);
        LaneMask<N> elsewhere;
        const Lanes<N> line = short_chord->line_lanes(xs, ys, elsewhere);
        for (int lane = 0; lane < N; ++lane) {
            offer(i + lane, elsewhere[lane] != 0 ? (*short_chord)(points[i + lane]) : line[lane]);
        }
    }
    for (; i < run.last; ++i) {
        offer(i, (*short_chord)(points[i]));
    }
    return best.found && best.distance > tolerance ? Split{best.index} : Split{};
}

// Fills estimate[i] for the inner points of the run, N points per step; returns the largest.
// The loop works on copies of the measure, the run's end and the points' address: a store
// through `estimate` could, as far as the compiler knows, change the originals, which it
// would then load and broadcast again on every step.
template <int N, class Measure>
[[gnu::always_inline]] inline double estimate_in_lanes(const Ring& points, const Run& run,
                                                       const Measure& measure_ref,
                                                       double* estimate) {
    const Measure measure = measure_ref;
    const Coordinate* const data = points.data();
    const std::size_t last = run.last;
    std::size_t i = run.first + 1;
    Lanes<N> largest_lanes = broadcast<N>(0.0);
    LaneMask<N> unsure{};
    if (last - i >= N) {
        // The run's last N inner points in one step, in place of a scalar tail that branches on
        // each. The steps below estimate some of them again, to the same values; this step
        // comes first so that theirs are the later stores, each holding whole the estimates
        // that find_candidates loads back (a load spanning two stores would wait for both).
        Lanes<N> xs, ys;
        load_points<N>(data + last - N, xs, ys);
        const Lanes<N> a = measure.template lanes<N>(xs, ys, unsure);
        std::memcpy(estimate + last - N, &a, sizeof a);
        largest_lanes = a;
    }
    for (; i + N <= last; i += N) {
        Lanes<N> xs, ys;
        load_points<N>(data + i, xs, ys);
        const Lanes<N> a = measure.template lanes<N>(xs, ys, unsure);
        std::memcpy(estimate + i, &a, sizeof a);
        largest_lanes = a > largest_lanes ? a : largest_lanes;
    }
    if (last - (run.first + 1) >= N) {
        i = last;
    }
    double largest = horizontal_max<N>(largest_lanes);
    if (any_lane<N>(unsure)) [[unlikely]] {
        // Some point lies where only the division can tell its part of the segment.
        largest = 0.0;
        i = run.first + 1;
    }
    for (; i < run.last; ++i) {
        const double a = measure(points[i]);
        estimate[i] = a;
        largest = a > largest ? a : largest;
    }
    return largest;
}

// What the estimates of a run say: the largest, and how many estimates (and which first)
// come within the screening margin of it.
struct Screen {
    double largest = 0.0;
    double threshold = 0.0;
    std::size_t candidates = 0;
    std::size_t first_candidate = 0;
};

template <int N>
[[gnu::always_inline]] inline void find_candidates(const Run& run, const double* estimate,
                                                   Screen& screen) {
    screen.threshold = screen.largest * (1.0 - kScreenMargin);
    const double threshold = screen.threshold;
    LaneMask<N> counts{};
    std::size_t i = run.first + 1;
    for (; i + N <= run.last; i += N) {
        Lanes<N> values;
        std::memcpy(&values, estimate + i, sizeof values);
        counts -= values >= threshold;  // a true lane is -1
    }
    std::size_t candidates = 0;
    for (int lane = 0; lane < N; ++lane) {
        candidates += static_cast<std::size_t>(counts[lane]);
    }
    for (; i < run.last; ++i) {
        candidates += estimate[i] >= threshold ? 1 : 0;
    }
    screen.candidates = candidates;
    if (candidates == 1) {
        std::size_t only = run.first + 1;
        while (!(estimate[only] >= threshold)) {
            ++only;
        }
        screen.first_candidate = only;
    }
}

// Estimates the run; when the largest estimate could exceed `no_split_below`, also finds the
// candidates.
template <int N, class Measure>
[[gnu::always_inline]] inline Screen screen_in_lanes(const Ring& points, const Run& run,
                                                     const Measure& measure, double* estimate,
                                                     double no_split_below) {
    Screen screen;
    screen.largest = estimate_in_lanes<N>(points, run, measure, estimate);
    if (screen.largest >= kTinyDistanceSquared * measure.scale() &&
        screen.largest >= no_split_below) {
        find_candidates<N>(run, estimate, screen);
    }
    return screen;
}

// What one pass of estimates tells without storing them: the largest, and, when exactly one
// estimate reaches the screening threshold below it, where that one lies. Each lane keeps its
// largest estimate, the step where it lies, and the largest of its other estimates; the run has
// a single candidate exactly when one lane's largest reaches the threshold and no other value
// kept does. On the runs that split, a single candidate is the rule, and this pass spares the
// stores of the estimates, the second pass that counts the candidates and the search for the
// first.
struct Lead {
    double largest = 0.0;
    double threshold = 0.0;  // the screening threshold below the largest
    bool single = false;     // one candidate, at `index`
    bool unsure = false;     // some point needs the scalar measure: the pass decided nothing
    std::size_t index = 0;
};

template <int N>
[[gnu::always_inline]] inline LaneMask<N> lane_numbers() {
    LaneMask<N> numbers{};
    for (int lane = 0; lane < N; ++lane) {
        numbers[lane] = lane;
    }
    return numbers;
}

template <int N>
[[gnu::always_inline]] inline std::int64_t lane_sum(const LaneMask<N>& lanes) {
    std::int64_t sum = 0;
    for (int lane = 0; lane < N; ++lane) {
        sum += lanes[lane];
    }
    return sum;
}

template <int N, class Measure>
[[gnu::always_inline]] inline Lead lead_in_lanes(const Ring& points, const Run& run,
                                                 const Measure& measure_ref) {
    const Measure measure = measure_ref;
    const Coordinate* const data = points.data();
    const std::size_t first = run.first + 1;
    const std::size_t last = run.last;
    const std::size_t whole_end = first + (last - first) / N * N;
    Lanes<N> top = broadcast<N>(0.0);
    Lanes<N> runner_up = broadcast<N>(0.0);
    LaneMask<N> top_step{};
    LaneMask<N> unsure{};
    if (whole_end < last) {
        // The points past the whole steps, in a step over the last N inner points whose lanes
        // before them count as 0: each point is seen in one lane only.
        Lanes<N> xs, ys;
        load_points<N>(data + last - N, xs, ys);
        const Lanes<N> a = measure.template lanes<N>(xs, ys, unsure);
        const auto leftover = static_cast<std::int64_t>(last - whole_end);
        top = select<N>(lane_numbers<N>() >= N - leftover, a, broadcast<N>(0.0));
        top_step = LaneMask<N>{} + static_cast<std::int64_t>(last - N);
    }
    for (std::size_t i = first; i < whole_end; i += N) {
        Lanes<N> xs, ys;
        load_points<N>(data + i, xs, ys);
        const Lanes<N> a = measure.template lanes<N>(xs, ys, unsure);
        const Lanes<N> lower = a < top ? a : top;
        runner_up = lower > runner_up ? lower : runner_up;
        const LaneMask<N> higher = a > top;
        top = select<N>(higher, a, top);
        top_step = higher ? LaneMask<N>{} + static_cast<std::int64_t>(i) : top_step;
    }
    Lead lead;
    if (any_lane<N>(unsure)) [[unlikely]] {
        lead.unsure = true;
        return lead;
    }
    lead.largest = horizontal_max<N>(top);
    lead.threshold = lead.largest * (1.0 - kScreenMargin);
    const LaneMask<N> top_reaches = top >= lead.threshold;
    const LaneMask<N> runner_up_reaches = runner_up >= lead.threshold;
    lead.single = lane_sum<N>(top_reaches + runner_up_reaches) == -1;
    lead.index =
        static_cast<std::size_t>(lane_sum<N>(top_reaches & (top_step + lane_numbers<N>())));
    return lead;
}

// farthest_among_candidates for a run whose estimates reach `threshold` more than once, in one
// pass that estimates the points again, in order, rather than storing and reading them: the
// exact distance only where an estimate reaches it.
template <int N, class Measure>
[[gnu::always_inline]] inline Farthest farthest_reaching(const Ring& points, const Run& run,
                                                         const Measure& measure_ref,
                                                         double threshold) {
    const Measure measure = measure_ref;
    const Coordinate* const data = points.data();
    const DistanceToSegment distance(points[run.first], points[run.last]);
    Farthest best;
    const auto offer = [&](std::size_t i) {
        const double d = distance(data[i]);
        if (d > best.distance) {
            best = {true, i, d};
        }
    };
    const std::size_t first = run.first + 1;
    const std::size_t last = run.last;
    const std::size_t whole_end = first + (last - first) / N * N;
    LaneMask<N> ignored{};
    for (std::size_t i = first; i < whole_end; i += N) {
        Lanes<N> xs, ys;
        load_points<N>(data + i, xs, ys);
        const LaneMask<N> reaches = measure.template lanes<N>(xs, ys, ignored) >= threshold;
        if (any_lane<N>(reaches)) [[unlikely]] {
            for (int lane = 0; lane < N; ++lane) {
                if (reaches[lane] != 0) {
                    offer(i + lane);
                }
            }
        }
    }
    if (whole_end < last) {
        Lanes<N> xs, ys;
        load_points<N>(data + last - N, xs, ys);
        const LaneMask<N> reaches = measure.template lanes<N>(xs, ys, ignored) >= threshold;
        for (std::size_t i = whole_end; i < last; ++i) {
            if (reaches[i + N - last] != 0) {
                offer(i);
            }
        }
    }
    return best;
}

// Short runs, which most splitting ends in, one point at a time without the set-up of lanes.
constexpr std::size_t kFewInnerPoints = 4;

template <class Measure>
[[gnu::always_inline]] inline Screen screen_few(const Ring& points, const Run& run,
                                                const Measure& measure, double* estimate) {
    Screen screen;
    for (std::size_t i = run.first + 1; i < run.last; ++i) {
        const double a = measure(points[i]);
        estimate[i] = a;
        screen.largest = a > screen.largest ? a : screen.largest;
    }
    screen.threshold = screen.largest * (1.0 - kScreenMargin);
    for (std::size_t i = run.last - 1; i > run.first; --i) {
        if (estimate[i] >= screen.threshold) {
            ++screen.candidates;
            screen.first_candidate = i;
        }
    }
    return screen;
}

template <int N, class Measure>
[[gnu::always_inline]] inline Screen screen_run_in(const Ring& points, const Run& run,
                                                   const Measure& measure, double* estimate,
                                                   double no_split_below) {
    if (run.inner_points() <= kFewInnerPoints) {
        return screen_few(points, run, measure, estimate);
    }
    return screen_in_lanes<N>(points, run, measure, estimate, no_split_below);
}

// The same answer as split_plain. The exact distance is computed only for the points whose
// estimate comes close to the largest, and not at all when the largest is clearly within the
// tolerance or a single point clearly beyond it is the only candidate.
template <int N, class Measure>
[[gnu::always_inline]] inline Split split_screened_by(const Ring& points, const Run& run,
                                                      double tolerance, const Measure& measure,
                                                      double* estimate) {
    const double scale = measure.scale();
    const double tolerance_squared = measure.tolerance_squared(tolerance);
    const auto untrusted = [&](double largest) {
        return measure.too_small(largest) || largest > Measure::kLargestTrusted;
    };
    const double no_split_below = tolerance_squared * (1.0 - kScreenMargin) * scale;
    if (run.inner_points() > kFewInnerPoints) {
        const Lead lead = lead_in_lanes<N>(points, run, measure);
        if (!lead.unsure) {
            if (untrusted(lead.largest)) {
                return measure.split_exactly(points, run, tolerance);
            }
            if (lead.largest < no_split_below) {
                return Split{};
            }
            if (lead.single) {
                if (lead.largest > tolerance_squared * (1.0 + kScreenMargin) * scale) {
                    return Split{lead.index};
                }
                // The only candidate: its exact distance decides, as among several.
                const DistanceToSegment distance(points[run.first], points[run.last]);
                return distance(points[lead.index]) > tolerance ? Split{lead.index} : Split{};
            }
            const Farthest farthest = farthest_reaching<N>(points, run, measure, lead.threshold);
            return farthest.found && farthest.distance > tolerance ? Split{farthest.index}
                                                                   : Split{};
        }
        // A point whose part of the segment only the division tells: the scalar measure, in the
        // pass that keeps the estimates, decides.
    }
    const Screen screen = screen_run_in<N>(points, run, measure, estimate, no_split_below);
    if (untrusted(screen.largest)) {
        return measure.split_exactly(points, run, tolerance);
    }
    if (screen.largest < no_split_below) {
        return Split{};
    }
    if (screen.candidates == 1 &&
        screen.largest > tolerance_squared * (1.0 + kScreenMargin) * scale) {
        return Split{screen.first_candidate};
    }
    const Farthest farthest = farthest_among_candidates(points, run, estimate, screen.threshold);
    if (farthest.found && farthest.distance > tolerance) {
        return Split{farthest.index};
    }
    return Split{};
}

template <int N>
[[gnu::always_inline]] inline Split split_screened_in_lanes(const Ring& points, const Run& run,
                                                            double tolerance, double* estimate) {
    const Coordinate s = points[run.first];
    const Coordinate e = points[run.last];
    if (s == e) {
        return split_screened_by<N>(points, run, tolerance, ToPoint{s}, estimate);
    }
    const ToChord to_chord{s, e};
    if (to_chord.too_short()) {
        return split_measured<N>(points, run, tolerance);
    }
    return split_screened_by<N>(points, run, tolerance, to_chord, estimate);
}

// The factor for ToStartPastOverflow: 2^-k where 2^k is the largest step from the start to
// those of the run's first, middle and last inner points whose `along` is finite, rounded down to
// a power of two; where there are none, or they lie at the start, the chord's larger step. The
// estimates are then trusted unless the farthest point lies more than about 2^499 times as far
// as the samples (kLargestTrusted) or all lie below about 2^-333 times that far
// (kTinyDistanceSquared), as where no point's `along` is finite and every estimate is 0: the
// run is then measured exactly.
double factor_past_overflow(const ToStartPastOverflow& chord, const Ring& points, const Run& run) {
    double step = 0.0;
    for (const std::size_t i : {run.first + 1, (run.first + run.last) / 2, run.last - 1}) {
        const Coordinate p = points[i];
        if (std::isfinite(chord.along(p))) {
            step = std::max({step, std::fabs(p.x - chord.s.x), std::fabs(p.y - chord.s.y)});
        }
    }
    if (step == 0.0) {
        step = std::max(std::fabs(chord.dx), std::fabs(chord.dy));
    }
    // A normal factor, or 2^-1023, which scales every step it meets exactly.
    return std::ldexp(1.0, -std::clamp(std::ilogb(step), -1000, 1023));
}

template <int N>
[[gnu::always_inline]] inline Split split_past_overflow_in_lanes(const Ring& points, const Run& run,
                                                                 double tolerance,
                                                                 double* estimate) {
    ToStartPastOverflow measure{points[run.first], points[run.last], 1.0};
    if (!measure.overflows()) {
        return split_plain(points, run, tolerance);
    }
    measure.factor = factor_past_overflow(measure, points, run);
    return split_screened_by<N>(points, run, tolerance, measure, estimate);
}

Split split_screened_in_two_lanes(const Ring& points, const Run& run, double tolerance,
                                  double* estimate) {
    return split_screened_in_lanes<2>(points, run, tolerance, estimate);
}

Split split_past_overflow_in_two_lanes(const Ring& points, const Run& run, double tolerance,
                                       double* estimate) {
    return split_past_overflow_in_lanes<2>(points, run, tolerance, estimate);
}

#if defined(__x86_64__)
// The whole search of a run compiled for AVX2, lanes and all, so that a run costs one call and
// no change between the two kinds of vector code.
[[gnu::target("avx2")]] Split split_screened_in_four_lanes(const Ring& points, const Run& run,
                                                           double tolerance, double* estimate) {
    return split_screened_in_lanes<4>(points, run, tolerance, estimate);
}

[[gnu::target("avx2")]] Split split_past_overflow_in_four_lanes(const Ring& points, const Run& run,
                                                                double tolerance,
                                                                double* estimate) {
    return split_past_overflow_in_lanes<4>(points, run, tolerance, estimate);
}
#endif

}  // namespace

Split split_screened(const Ring& points, const Run& run, double tolerance, double* estimate,
                     ScreenLanes lanes) {
#if defined(__x86_64__)
    if (lanes == ScreenLanes::Four) {
        return split_screened_in_four_lanes(points, run, tolerance, estimate);
    }
#endif
    (void)lanes;
    return split_screened_in_two_lanes(points, run, tolerance, estimate);
}

Split split_screened_past_overflow(const Ring& points, const Run& run, double tolerance,
                                   double* estimate, ScreenLanes lanes) {
#if defined(__x86_64__)
    if (lanes == ScreenLanes::Four) {
        return split_past_overflow_in_four_lanes(points, run, tolerance, estimate);
    }
#endif
    (void)lanes;
    return split_past_overflow_in_two_lanes(points, run, tolerance, estimate);
}

bool four_lanes_supported() {
#if defined(__x86_64__)
    return __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}

bool chords_too_short_to_screen(const Ring& points) {
    if (points.empty()) {
        return true;
    }
    Coordinate low = points.front();
    Coordinate high = points.front();
    for (const Coordinate c : points) {
        low = {std::min(low.x, c.x), std::min(low.y, c.y)};
        high = {std::max(high.x, c.x), std::max(high.y, c.y)};
    }
    // No chord is longer than the diagonal of the ring's box.
    return ToChord{low, high}.too_short();
}

namespace {

bool all_within(const Ring& points, double bound) {
    bool within = true;
    for (const Coordinate c : points) {
        within &= std::fabs(c.x) <= bound;
        within &= std::fabs(c.y) <= bound;
    }
    return within;
}

}  // namespace

bool screening_applies(const Ring& points) {
    return all_within(points, kTameCoordinate);
}

bool screening_applies_after_cutting(const Ring& points) {
    // A cut point is fl(fl(0.75 a) + fl(0.25 b)), at most max(|a|, |b|) (1 + 2^-53)^2: two
    // passes stay below twice the largest coordinate before them.
    return all_within(points, kTameCoordinate / 2);
}

}  // namespace quorvel
