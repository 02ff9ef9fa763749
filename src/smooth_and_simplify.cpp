#include "smooth_and_simplify.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <utility>

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

Ring smooth_ring(const Ring& ring) {
    Ring smoothed = cut_corners(cut_corners(ring));
    close_ring(smoothed);
    return smoothed;
}

Ring simplify_smoothed(const Ring& ring, double tolerance) {
    Ring simplified = simplify_ring(ring, tolerance);
    close_ring(simplified);
    return simplified;
}

struct Run {
    std::size_t first;
    std::size_t last;
};

// The inner point of the run farthest from its chord, earliest first among equals, by the
// exact distance; none when no distance is greater than zero.
struct Farthest {
    bool found = false;
    std::size_t index = 0;
    double distance = 0.0;
};

Farthest farthest_exact(const Ring& points, Run run, const double* only_above = nullptr,
                        double threshold = 0.0) {
    Farthest best;
    const Coordinate first = points[run.first];
    const Coordinate last = points[run.last];
    for (std::size_t i = run.first + 1; i < run.last; ++i) {
        if (only_above != nullptr && !(only_above[i] >= threshold)) {
            continue;
        }
        const double d = point_segment_distance(points[i], first, last);
        if (d > best.distance) {
            best = {true, i, d};
        }
    }
    return best;
}

// Where the run splits: the farthest inner point, if its distance exceeds the tolerance.
std::optional<std::size_t> split_exact(const Ring& points, Run run, double tolerance) {
    const Farthest farthest = farthest_exact(points, run);
    if (farthest.found && farthest.distance > tolerance) {
        return farthest.index;
    }
    return std::nullopt;
}

// The screened scan works with squared distances, which stay within a few units in the last
// place of the squared exact distance while no square overflows or underflows. These bounds
// keep it there; outside them the exact scan runs.
constexpr double kTameCoordinate = 1e60;
constexpr double kTinyChordSquared = 1e-100;
constexpr double kTinyDistanceSquared = 1e-200;
// Far wider than those few rounding errors: a point whose estimate falls this much below the
// largest cannot be the farthest, and an estimate this much beyond the squared tolerance
// belongs to a point farther than the tolerance.
constexpr double kScreenMargin = 1e-12;

bool screening_applies(const Ring& points) {
    for (const Coordinate c : points) {
        if (!(std::fabs(c.x) <= kTameCoordinate && std::fabs(c.y) <= kTameCoordinate)) {
            return false;
        }
    }
    return true;
}

// Two lanes of doubles (one SSE2 register); the operations are the scalar IEEE operations lane
// by lane.
using Lanes = double __attribute__((vector_size(16)));
using LaneMask = std::int64_t __attribute__((vector_size(16)));

Lanes broadcast(double value) { return Lanes{value, value}; }
Lanes select(LaneMask take_first, Lanes first, Lanes second) {
    return (Lanes)((take_first & (LaneMask)first) | (~take_first & (LaneMask)second));
}
double horizontal_max(Lanes lanes) { return lanes[0] > lanes[1] ? lanes[0] : lanes[1]; }

// Squared distances to the start of a closed ring's degenerate chord.
struct ToPoint {
    Coordinate s;
    double operator()(Coordinate p) const {
        const double ax = s.x - p.x;
        const double ay = s.y - p.y;
        return ax * ax + ay * ay;
    }
    Lanes operator()(Lanes xs, Lanes ys) const {
        const Lanes ax = broadcast(s.x) - xs;
        const Lanes ay = broadcast(s.y) - ys;
        return ax * ax + ay * ay;
    }
};

// Squared distances to a chord, with the same differences, projection ratio and cross product
// as the exact distance, so both measure each point to the same part of the segment.
struct ToChord {
    Coordinate s;
    Coordinate e;
    double dx = e.x - s.x;
    double dy = e.y - s.y;
    double len2 = dx * dx + dy * dy;
    double inverse_len2 = 1.0 / len2;

    double operator()(Coordinate p) const {
        const double ax = s.x - p.x;
        const double ay = s.y - p.y;
        const double r = ((p.x - s.x) * dx + (p.y - s.y) * dy) / len2;
        if (r <= 0.0) {
            return ax * ax + ay * ay;
        }
        if (r >= 1.0) {
            const double bx = e.x - p.x;
            const double by = e.y - p.y;
            return bx * bx + by * by;
        }
        const double cross = ay * dx - ax * dy;
        return cross * cross * inverse_len2;
    }
    Lanes operator()(Lanes xs, Lanes ys) const {
        const Lanes ax = broadcast(s.x) - xs;
        const Lanes ay = broadcast(s.y) - ys;
        const Lanes bx = broadcast(e.x) - xs;
        const Lanes by = broadcast(e.y) - ys;
        const Lanes r = ((xs - s.x) * dx + (ys - s.y) * dy) / len2;
        const Lanes cross = ay * dx - ax * dy;
        const Lanes to_start = ax * ax + ay * ay;
        const Lanes to_end = bx * bx + by * by;
        const Lanes to_line = cross * cross * inverse_len2;
        return select(r <= 0.0, to_start, select(r >= 1.0, to_end, to_line));
    }
};

// Fills estimate[i] for the inner points of the run; returns the largest.
template <class Measure>
double estimate_squared_distances(const Ring& points, Run run, const Measure& measure,
                                  double* estimate) {
    std::size_t i = run.first + 1;
    Lanes largest = broadcast(0.0);
    for (; i + 2 <= run.last; i += 2) {
        Lanes low;
        Lanes high;
        std::memcpy(&low, &points[i], sizeof low);
        std::memcpy(&high, &points[i + 1], sizeof high);
        const Lanes xs = __builtin_shufflevector(low, high, 0, 2);
        const Lanes ys = __builtin_shufflevector(low, high, 1, 3);
        const Lanes a = measure(xs, ys);
        std::memcpy(estimate + i, &a, sizeof a);
        largest = select(a > largest, a, largest);
    }
    double result = horizontal_max(largest);
    for (; i < run.last; ++i) {
        const double a = measure(points[i]);
        estimate[i] = a;
        result = a > result ? a : result;
    }
    return result;
}

// The same answer as split_exact. The exact distance is computed only for the points whose
// estimate comes close to the largest, and not at all when the largest is clearly within the
// tolerance or a single point clearly beyond it is the only candidate.
std::optional<std::size_t> split_screened(const Ring& points, Run run, double tolerance,
                                          double* estimate) {
    const Coordinate s = points[run.first];
    const Coordinate e = points[run.last];
    double largest;
    if (s == e) {
        largest = estimate_squared_distances(points, run, ToPoint{s}, estimate);
    } else {
        const ToChord to_chord{s, e};
        if (to_chord.len2 < kTinyChordSquared) {
            return split_exact(points, run, tolerance);
        }
        largest = estimate_squared_distances(points, run, to_chord, estimate);
    }
    if (largest < kTinyDistanceSquared) {
        return split_exact(points, run, tolerance);
    }
    const double tolerance_squared = tolerance * tolerance;
    if (largest < tolerance_squared * (1.0 - kScreenMargin)) {
        return std::nullopt;
    }
    const double threshold = largest * (1.0 - kScreenMargin);
    std::size_t candidates = 0;
    std::size_t first_candidate = 0;
    for (std::size_t i = run.last - 1; i > run.first; --i) {
        if (estimate[i] >= threshold) {
            ++candidates;
            first_candidate = i;
        }
    }
    if (candidates == 1 && largest > tolerance_squared * (1.0 + kScreenMargin)) {
        return first_candidate;
    }
    const Farthest farthest = farthest_exact(points, run, estimate, threshold);
    if (farthest.found && farthest.distance > tolerance) {
        return farthest.index;
    }
    return std::nullopt;
}

}  // namespace

Ring cut_corners(const Ring& ring) {
    const std::size_t n = ring.size();
    Ring out;
    if (n == 0) {
        return out;
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
    return out;
}

double point_segment_distance(Coordinate p, Coordinate s, Coordinate e) {
    if (s == e) {
        return std::hypot(s.x - p.x, s.y - p.y);
    }
    const double dx = e.x - s.x;
    const double dy = e.y - s.y;
    const double len2 = dx * dx + dy * dy;
    const double r = ((p.x - s.x) * dx + (p.y - s.y) * dy) / len2;
    if (r <= 0.0) {
        return std::hypot(s.x - p.x, s.y - p.y);
    }
    if (r >= 1.0) {
        return std::hypot(e.x - p.x, e.y - p.y);
    }
    const double q = ((s.y - p.y) * dx - (s.x - p.x) * dy) / len2;
    return std::fabs(q) * std::hypot(dx, dy);
}

Ring simplify_ring(const Ring& ring, double tolerance) {
    // Zero, negative and -inf tolerances keep every point; NaN does not take this branch.
    if (0.0 >= tolerance) {
        return ring;
    }
    Ring out;
    if (ring.empty()) {
        return out;
    }
    const bool screened = screening_applies(ring);
    Vector<double> estimates(screened ? ring.size() : 0);
    // Runs wait on an explicit stack, left part on top, so the final runs come out in order and
    // each contributes its first point; no recursion, whatever the depth of splitting.
    Vector<Run> pending;
    pending.push_back({0, ring.size() - 1});
    while (!pending.empty()) {
        const Run run = pending.back();
        pending.pop_back();
        const std::optional<std::size_t> split =
            run.last - run.first < 2 ? std::nullopt
            : screened               ? split_screened(ring, run, tolerance, estimates.data())
                                     : split_exact(ring, run, tolerance);
        if (split) {
            pending.push_back({*split, run.last});
            pending.push_back({run.first, *split});
        } else {
            out.push_back(ring[run.first]);
        }
    }
    out.push_back(ring.back());
    return out;
}

PolygonList smooth_and_simplify_polygons(PolygonList polygons, double tolerance) {
    for (Polygon& polygon : polygons) {
        Ring exterior = smooth_ring(polygon.exterior);
        Vector<Ring> interiors;
        interiors.reserve(polygon.interiors.size());
        for (const Ring& interior : polygon.interiors) {
            interiors.push_back(smooth_ring(interior));
        }
        polygon.exterior = simplify_smoothed(exterior, tolerance);
        for (std::size_t i = 0; i < interiors.size(); ++i) {
            polygon.interiors[i] = simplify_smoothed(interiors[i], tolerance);
        }
    }
    return polygons;
}

}  // namespace quorvel
