// What every way of finding where a run of Ramer-Douglas-Peucker splits has in common: the run,
// and the rule its answer follows.
//
// A run is the stretch of a ring between two kept points, `first` and `last`; its chord is the
// segment between them. The run splits at its inner point of greatest point_segment_distance to
// the chord, the earliest among equals, provided that distance is greater than the tolerance. A
// distance of zero or NaN never splits. Each kernel (split_plain, split_screened, SplitGuard)
// gives exactly this answer, bit for bit.
#pragma once

#include <cstddef>
#include <optional>

namespace quorvel {

struct Run {
    std::size_t first;
    std::size_t last;

    std::size_t inner_points() const { return last - first - 1; }
};

// The index of the split point, or none when the run is kept as its two ends.
using Split = std::optional<std::size_t>;

}  // namespace quorvel
