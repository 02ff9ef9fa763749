// The plain smoothing and simplification, written as directly as the rules read, for the fuzz
// targets to compare the pipeline with bit for bit. Nothing here is fast: no screening, no
// lanes, no reuse of buffers. Compile with -ffp-contract=off, like the module, so that every
// product and sum below is rounded on its own.
#pragma once

#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

namespace reference {

struct Point {
    double x;
    double y;
};

using Points = std::vector<Point>;

// IEEE equality of both components: -0.0 equals 0.0, a NaN equals nothing.
inline bool same(Point a, Point b) {
    return a.x == b.x && a.y == b.y;
}

// Appends a copy of the first point unless the ring is empty or already closed.
inline void close_ring(Points& ring) {
    if (!ring.empty() && !same(ring.front(), ring.back())) {
        const Point first = ring.front();
        ring.push_back(first);
    }
}

// One pass of Chaikin corner cutting with the weights 0.75 and 0.25.
inline Points cut_corners(const Points& p) {
    Points out;
    const std::size_t n = p.size();
    if (n == 0) {
        return out;
    }
    const bool closed = same(p[0], p[n - 1]);
    if (!closed) {
        out.push_back(p[0]);
    }
    for (std::size_t i = 0; i + 1 < n; ++i) {
        const double qx = 0.75 * p[i].x + 0.25 * p[i + 1].x;
        const double qy = 0.75 * p[i].y + 0.25 * p[i + 1].y;
        const double rx = 0.25 * p[i].x + 0.75 * p[i + 1].x;
        const double ry = 0.25 * p[i].y + 0.75 * p[i + 1].y;
        out.push_back({qx, qy});
        out.push_back({rx, ry});
    }
    if (!closed) {
        out.push_back(p[n - 1]);
    } else if (!out.empty()) {
        const Point first = out[0];
        out.push_back(first);
    }
    return out;
}

// Distance from p to the segment from s to e.
inline double point_segment_distance(Point p, Point s, Point e) {
    if (same(s, e)) {
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
    // Also reached when r is not a number.
    const double q = ((s.y - p.y) * dx - (s.x - p.x) * dy) / len2;
    return std::fabs(q) * std::hypot(dx, dy);
}

// Ramer-Douglas-Peucker. Every run S[a..b] that splits keeps its split point; the result is the
// points kept, in input order, and always the first and the last. The runs wait on a stack, in
// no particular order: which points are kept does not depend on it.
inline Points simplify_ring(const Points& s, double tolerance) {
    if (0.0 >= tolerance) {
        return s;
    }
    const std::size_t k = s.size();
    if (k == 0) {
        return {};
    }
    if (k == 1) {
        return {s[0], s[0]};  // the run's first point and its last, the same point
    }
    std::vector<bool> kept(k, false);
    kept[0] = true;
    kept[k - 1] = true;
    std::vector<std::pair<std::size_t, std::size_t>> runs = {{0, k - 1}};
    while (!runs.empty()) {
        const auto [a, b] = runs.back();
        runs.pop_back();
        bool found = false;
        std::size_t best_index = 0;
        double best_distance = 0.0;
        for (std::size_t i = a + 1; i < b; ++i) {
            const double d = point_segment_distance(s[i], s[a], s[b]);
            if (d > best_distance) {
                found = true;
                best_index = i;
                best_distance = d;
            }
        }
        if (found && best_distance > tolerance) {
            kept[best_index] = true;
            runs.push_back({a, best_index});
            runs.push_back({best_index, b});
        }
    }
    Points out;
    for (std::size_t i = 0; i < k; ++i) {
        if (kept[i]) {
            out.push_back(s[i]);
        }
    }
    return out;
}

}  // namespace reference
