// The plain way of finding where a run splits: every inner point measured in order. It is the
// reference the faster kernels are checked against, and the choice where nothing else applies.
#pragma once

#include "polygon_model.h"
#include "split_run.h"

namespace quorvel {

// The inner point of a run farthest from its chord, earliest among equals; none when no
// distance is greater than zero.
struct Farthest {
    bool found = false;
    std::size_t index = 0;
    double distance = 0.0;
};

Farthest farthest_plain(const Ring& points, const Run& run);

Split split_plain(const Ring& points, const Run& run, double tolerance);

}  // namespace quorvel
