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

namespace quorvel {

struct Run {
    std::size_t first;
    std::size_t last;

    std::size_t inner_points() const { return last - first - 1; }
};

// The index of the split point, or none when the run is kept as its two ends. A split point is
// an inner point, whose index is never 0, so 0 stands for none and the answer travels in one
// register (an optional would pass through memory between the kernels and the stage).
class Split {
  public:
    Split() = default;
    explicit Split(std::size_t index) : index_(index) {}

    explicit operator bool() const { return index_ != 0; }
    std::size_t operator*() const { return index_; }
    bool operator==(const Split&) const = default;

  private:
    std::size_t index_ = 0;
};

}  // namespace quorvel
