// The values that flow through the pipeline: coordinates, rings, polygons and their list.
#pragma once

#include "allocation.h"

namespace quorvel {

struct Coordinate {
    double x;
    double y;
};

// IEEE 754 equality of both components: -0.0 equals 0.0, and NaN equals nothing.
inline bool operator==(Coordinate a, Coordinate b) {
    return a.x == b.x && a.y == b.y;
}

// A closed ring is non-empty and its first coordinate equals its last.
using Ring = Vector<Coordinate>;

struct Polygon {
    Ring exterior;
    Vector<Ring> interiors;
};

using PolygonList = Vector<Polygon>;

bool is_closed(const Ring& ring);

// Appends a copy of the first coordinate unless the ring is empty or already closed.
void close_ring(Ring& ring);

}  // namespace quorvel
