#include "smooth_and_simplify.h"

#include <cmath>
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

// The inner point of the run farthest from its chord, earliest first among equals; `found`
// is false when no distance is greater than zero.
struct Farthest {
    bool found = false;
    std::size_t index = 0;
    double distance = 0.0;
};

Farthest farthest_from_chord(const Ring& points, Run run) {
    Farthest best;
    const Coordinate first = points[run.first];
    const Coordinate last = points[run.last];
    for (std::size_t i = run.first + 1; i < run.last; ++i) {
        const double d = point_segment_distance(points[i], first, last);
        if (d > best.distance) {
            best = {true, i, d};
        }
    }
    return best;
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
    // Runs wait on an explicit stack, left part on top, so the final runs come out in order and
    // each contributes its first point; no recursion, whatever the depth of splitting.
    Vector<Run> pending;
    pending.push_back({0, ring.size() - 1});
    while (!pending.empty()) {
        const Run run = pending.back();
        pending.pop_back();
        const Farthest farthest = farthest_from_chord(ring, run);
        if (farthest.found && farthest.distance > tolerance) {
            pending.push_back({farthest.index, run.last});
            pending.push_back({run.first, farthest.index});
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
