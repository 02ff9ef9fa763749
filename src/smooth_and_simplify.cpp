// Corner cutting, the stack of runs of Ramer-Douglas-Peucker and the loop over polygons and
// rings; the kernels that find where a run splits live in split_plain, split_screened and
// split_guard, chosen once per call.
#include "smooth_and_simplify.h"

#include <bit>
#include <cstdint>
#include <limits>
#include <utility>

#include "segment_distance.h"
#include "split_guard.h"
#include "split_plain.h"
#include "split_screened.h"

namespace quorvel {
namespace {

constexpr double kNear = 0.75;
constexpr double kFar = 0.25;

// Two products and one sum, each rounded on its own.
Coordinate weighted(Coordinate a, double wa, Coordinate b, double wb) {
    const double ax = wa * a.x;
    const double bx = wb * b.x;
    const double ay = wa * a.y;
    const double by = wb * b.y;
    return {ax + bx, ay + by};
}

// One pass of corner cutting from `ring` into `out`, whose storage is reused.
void cut_corners_into(const Ring& ring, Ring& out) {
    out.clear();
    const std::size_t n = ring.size();
    if (n == 0) {
        return;
    }
    const bool closed = ring.front() == ring.back();
    out.reserve(2 * n);
    if (!closed) {
        out.push_back(ring.front());
    }
    for (std::size_t i = 0; i + 1 < n; ++i) {
        out.push_back(weighted(ring[i], kNear, ring[i + 1], kFar));
        out.push_back(weighted(ring[i], kFar, ring[i + 1], kNear));
    }
    if (!closed) {
        out.push_back(ring.back());
    } else if (!out.empty()) {
        const Coordinate first = out.front();
        out.push_back(first);
    }
}

// Two passes of corner cutting from `ring` into `out`, through `between`. A closed ring, the
// usual case, takes both passes at once, without the first pass's ring: each point of the
// first pass is made once, as the first pass makes it, and serves the two cuts it is part of.
void cut_corners_twice_into(const Ring& ring, Ring& between, Ring& out) {
    const std::size_t n = ring.size();
    const Coordinate q0 = n >= 2 ? weighted(ring[0], kNear, ring[1], kFar) : Coordinate{};
    // The first pass's result is closed when its first point, which it repeats at its end,
    // equals itself: not where it is NaN.
    if (n < 2 || !(ring.front() == ring.back()) || !(q0 == q0)) {
        cut_corners_into(ring, between);
        cut_corners_into(between, out);
        return;
    }
    out.clear();
    out.reserve(4 * n);
    Coordinate q = q0;
    for (std::size_t i = 0; i + 1 < n; ++i) {
        const Coordinate r = weighted(ring[i], kFar, ring[i + 1], kNear);
        const Coordinate next_q = i + 2 < n ? weighted(ring[i + 1], kNear, ring[i + 2], kFar) : q0;
        out.push_back(weighted(q, kNear, r, kFar));
        out.push_back(weighted(q, kFar, r, kNear));
        out.push_back(weighted(r, kNear, next_q, kFar));
        out.push_back(weighted(r, kFar, next_q, kNear));
        q = next_q;
    }
    const Coordinate first = out.front();
    out.push_back(first);
}

// Storage reused from ring to ring within a call: it grows to the largest ring once.
struct Workspace {
    Ring first_pass;
    Ring smoothed;
    Vector<double> estimates;
    Vector<Run> pending;
    SplitGuard guard;
};

// What split_plain costs per point against the screened scan: 6 against 1.5 ns with four
// lanes, 2.7 with two, both measured on 200,000 points at unit scale.
constexpr std::size_t kPlainPointWork = 4;

// Shorter runs are scanned even once the guard is on: it pays off on long runs only, and short
// ones cost little however many there are.
constexpr std::size_t kGuardedRunPoints = 256;
// ... and on a ring beyond the screened range, shorter runs than this whose chord's squared
// length overflows: their scan is screened, at a quarter of split_plain's cost per point, so
// such a run costs no more than a short run that split_plain scans. The guard bounds only the
// start branch for such a chord (the others measure 0 or NaN), by a node's farthest vertex from
// the start: on a line and a parabola visited in turn near 1e155 that vertex lay far off among
// points whose numerator overflows, few nodes dropped, and on runs of 256 to 1,023 points the
// guard spent three to four and a half times what their scan costs.
constexpr std::size_t kGuardedOverflowingRunPoints = kGuardedRunPoints * kPlainPointWork;

// The measurements in long runs (kGuardedRunPoints inner points or more) after which a ring of
// n points counts as stalled: `factor` times what splitting costs when every split halves its
// run. Short runs do not count: they measure fewer than kGuardedRunPoints points each, O(n) in
// all, while a real map's ring spends about half its measurements on them, which would let a
// stalled ring go on longer before the guard takes it. Scans that stay below the budget cost
// O(n log n); past it, the guard takes over.
std::size_t stall_budget(std::size_t n, std::size_t factor) {
    return factor * n * static_cast<std::size_t>(std::bit_width(n));
}

// Finds the split of each run of one ring with the kernels chosen for the call.
class RingSplitter {
  public:
    RingSplitter(const Ring& ring, SplitKernels kernels, Workspace& workspace, bool known_tame)
        : ring_(ring), kernels_(kernels), workspace_(workspace) {
        screened_ = kernels.scan != SplitScan::Plain && (known_tame || screening_applies(ring));
        screened_past_overflow_ = kernels.scan != SplitScan::Plain && !screened_;
        lanes_ = kernels.scan == SplitScan::FourLanes ? ScreenLanes::Four : ScreenLanes::Two;
        if ((screened_ || screened_past_overflow_) && workspace.estimates.size() < ring.size()) {
            workspace.estimates.resize(ring.size());
        }
        switch (kernels.guard) {
            case SplitGuardUse::Never:
                budget_ = SIZE_MAX;
                break;
            case SplitGuardUse::WhenStalled:
                budget_ = stall_budget(ring.size(), kernels.stall_factor);
                break;
            case SplitGuardUse::Always:
                budget_ = 0;
                break;
        }
    }

    SimplifyCounts counts() const { return {measured_}; }

    Split operator()(const Run& run, double tolerance) {
        if (run.last - run.first < 2) {
            return Split{};
        }
        if (!guarded_ && measured_long_ < budget_) [[likely]] {
            return scan(run, tolerance);
        }
        return guarded(run, tolerance);
    }

  private:
    // Past the budget: the guard, built on first need.
    Split guarded(const Run& run, double tolerance) {
        if (!guarded_) {
            guarded_ = workspace_.guard.build(ring_);
            budget_ = SIZE_MAX;  // built, or refused for good
            if (!guarded_) {
                return scan(run, tolerance);
            }
            // The scans' cost per point, in the guard's units: where nothing is screened,
            // counting split_plain's points as screened ones held the guard to a fraction of
            // what the scans cost, and near 1e-160 it gave up on most runs of the rings that
            // stall there.
            scan_point_work_ =
                screened_ && !chords_too_short_to_screen(ring_) ? 1 : kPlainPointWork;
        }
        if (kernels_.guard == SplitGuardUse::Always) {
            return workspace_.guard.split(ring_, run, tolerance);
        }
        if (guard_takes(run)) {
            // The guard may spend a quarter of what scanning this ring would have cost so far,
            // this run included; where its bounds cannot tell the points apart it gives up, and
            // the scan decides. What it spends on such runs fills its caches for later ones.
            // A ring beyond the screened range counts every point at split_plain's cost, though
            // its runs whose chord overflows are screened for about a quarter of that. Counted
            // at their own cost, they held back the guard where it must lay the tree of points
            // in space before it pays (up to an eighth more instructions); as it is, a ring that
            // the guard takes over for its last few runs may spend about as much again as its
            // scans.
            const std::size_t allowed =
                scan_point_work_ * (measured_ + unscanned_ + run.inner_points()) / 4;
            const std::size_t limit = allowed > guard_work_ ? allowed - guard_work_ : 0;
            const std::optional<Split> split =
                workspace_.guard.split_within(ring_, run, tolerance, limit, guard_work_);
            if (split) {
                unscanned_ += run.inner_points();
                return *split;
            }
        }
        return scan(run, tolerance);
    }

    // Whether the guard, once on, takes `run` rather than leaving it to the scan.
    bool guard_takes(const Run& run) const {
        if (run.inner_points() < kGuardedRunPoints) {
            return false;
        }
        if (!screened_past_overflow_ || run.inner_points() >= kGuardedOverflowingRunPoints) {
            return true;
        }
        return chord_len2(ring_[run.first], ring_[run.last]) <
               std::numeric_limits<double>::infinity();
    }

    Split scan(const Run& run, double tolerance) {
        measured_ += run.inner_points();
        if (run.inner_points() >= kGuardedRunPoints) {
            measured_long_ += run.inner_points();
        }
        if (screened_) {
            return split_screened(ring_, run, tolerance, workspace_.estimates.data(), lanes_);
        }
        if (screened_past_overflow_) {
            return split_screened_past_overflow(ring_, run, tolerance, workspace_.estimates.data(),
                                                lanes_);
        }
        return split_plain(ring_, run, tolerance);
    }

    const Ring& ring_;
    SplitKernels kernels_;
    Workspace& workspace_;
    bool screened_ = false;
    // A ring beyond screening_applies(): only its chords whose squared length overflows.
    bool screened_past_overflow_ = false;
    ScreenLanes lanes_ = ScreenLanes::Two;
    bool guarded_ = false;
    std::size_t measured_ = 0;       // points the scans have measured
    std::size_t measured_long_ = 0;  // those of them in long runs, which the budget counts
    std::size_t unscanned_ = 0;      // inner points of the runs the guard decided
    std::size_t guard_work_ = 0;     // the guard's work, decided runs or not
    std::size_t budget_ = 0;
    std::size_t scan_point_work_ = 1;
};

// Ramer-Douglas-Peucker from `ring` into `out` (cleared first). `known_tame` spares the check
// of screening_applies() where the caller has made sure of it.
SimplifyCounts simplify_into(const Ring& ring, double tolerance, SplitKernels kernels,
                             Workspace& workspace, Ring& out, bool known_tame = false) {
    out.clear();
    // Zero, negative and -inf tolerances keep every point; NaN does not take this branch.
    if (0.0 >= tolerance) {
        out.assign(ring.begin(), ring.end());
        return {};
    }
    if (ring.empty()) {
        return {};
    }
    RingSplitter split_of(ring, kernels, workspace, known_tame);
    // The left part of a split is taken up at once and the right part waits on an explicit
    // stack, so the final runs come out in order and each contributes its first point; no
    // recursion, whatever the depth of splitting. A left part without inner points is final at
    // once, and the right part goes on without a trip through the stack.
    Vector<Run>& pending = workspace.pending;
    pending.clear();
    Run run{0, ring.size() - 1};
    for (;;) {
        const Split split = split_of(run, tolerance);
        if (split) {
            if (*split - run.first == 1) {
                out.push_back(ring[run.first]);
                run.first = *split;
                continue;
            }
            pending.push_back({*split, run.last});
            run.last = *split;
            continue;
        }
        out.push_back(ring[run.first]);
        if (pending.empty()) {
            break;
        }
        run = pending.back();
        pending.pop_back();
    }
    out.push_back(ring.back());
    return split_of.counts();
}

// Two passes of corner cutting, then simplification, written back into the ring. Each step
// closes its result; for the closed or empty rings the stage receives that changes nothing.
void smooth_and_simplify_ring(Ring& ring, double tolerance, SplitKernels kernels,
                              Workspace& workspace) {
    const bool tame = screening_applies_after_cutting(ring);
    cut_corners_twice_into(ring, workspace.first_pass, workspace.smoothed);
    close_ring(workspace.smoothed);
    if (0.0 >= tolerance) {
        std::swap(ring, workspace.smoothed);
    } else {
        simplify_into(workspace.smoothed, tolerance, kernels, workspace, ring, tame);
    }
    close_ring(ring);
}

}  // namespace

Ring cut_corners(const Ring& ring) {
    Ring out;
    cut_corners_into(ring, out);
    return out;
}

SplitKernels fastest_split_kernels() {
    return {four_lanes_supported() ? SplitScan::FourLanes : SplitScan::TwoLanes,
            SplitGuardUse::WhenStalled};
}

Ring simplify_ring(const Ring& ring, double tolerance, SplitKernels kernels) {
    SimplifyCounts counts;
    return simplify_ring(ring, tolerance, kernels, counts);
}

Ring simplify_ring(const Ring& ring, double tolerance, SplitKernels kernels,
                   SimplifyCounts& counts) {
    Workspace workspace;
    Ring out;
    counts = simplify_into(ring, tolerance, kernels, workspace, out);
    return out;
}

Ring simplify_ring(const Ring& ring, double tolerance) {
    return simplify_ring(ring, tolerance, fastest_split_kernels());
}

PolygonList smooth_and_simplify_polygons(PolygonList polygons, double tolerance,
                                         SplitKernels kernels) {
    Workspace workspace;
    for (Polygon& polygon : polygons) {
        smooth_and_simplify_ring(polygon.exterior, tolerance, kernels, workspace);
        for (Ring& interior : polygon.interiors) {
            smooth_and_simplify_ring(interior, tolerance, kernels, workspace);
        }
    }
    return polygons;
}

PolygonList smooth_and_simplify_polygons(PolygonList polygons, double tolerance) {
    return smooth_and_simplify_polygons(std::move(polygons), tolerance, fastest_split_kernels());
}

}  // namespace quorvel
