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

// Distance from point p to the segment from start s to end e, following the rule step by step
// with every product, sum and quotient rounded on its own. hypot is the C library's (on glibc
// 2.36 for x86-64, the bits of the module's own hypotenuse(); elsewhere the two may differ in
// the last bit, and this target with them).
inline double point_segment_distance(Point p, Point s, Point e) {
    // 1. Start and end equal: the distance to that one point.
    if (same(s, e)) {
        return std::hypot(s.x - p.x, s.y - p.y);
    }
    // 2. The chord's components and its squared length.
    const double chord_x = e.x - s.x;
    const double chord_y = e.y - s.y;
    const double chord_x_squared = chord_x * chord_x;
    const double chord_y_squared = chord_y * chord_y;
    const double length_squared = chord_x_squared + chord_y_squared;
    // 3. The projection parameter: (p - s) . chord over the squared length.
    const double offset_x = p.x - s.x;
    const double offset_y = p.y - s.y;
    const double projection_x = offset_x * chord_x;
    const double projection_y = offset_y * chord_y;
    const double projection = projection_x + projection_y;
    const double r = projection / length_squared;
    // 4. At or before the start: the distance to the start.
    if (r <= 0.0) {
        const double to_start_x = s.x - p.x;
        const double to_start_y = s.y - p.y;
        return std::hypot(to_start_x, to_start_y);
    }
    // 5. At or past the end: the distance to the end.
    if (r >= 1.0) {
        const double to_end_x = e.x - p.x;
        const double to_end_y = e.y - p.y;
        return std::hypot(to_end_x, to_end_y);
    }
    // 6. Otherwise, an r that is not a number included: the distance to the line, as the
    //    signed cross product over the squared length, made absolute, times the chord's length.
    const double from_point_y = s.y - p.y;
    const double from_point_x = s.x - p.x;
    const double cross_first = from_point_y * chord_x;
    const double cross_second = from_point_x * chord_y;
    const double cross = cross_first - cross_second;
    const double q = cross / length_squared;
    const double chord_length = std::hypot(chord_x, chord_y);
    return std::fabs(q) * chord_length;
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
