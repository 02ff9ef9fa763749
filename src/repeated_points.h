// Where a ring comes back to points it has already visited, bit for bit, per node of the
// simplification guard's tree. A point that repeats an earlier point of the same run has that
// point's distance to any chord, computed to the same bits, and loses the tie to it: so a node
// whose every point repeats one between the run's start and itself cannot hold the run's winner,
// whatever its bound. Rings that revisit a few points over and over tie exactly on most splits,
// each tie with copies of the winner further on; without this, every one of those copies is
// measured, more of them the longer the ring.
#pragma once

#include <cstddef>
#include <cstdint>

#include "allocation.h"
#include "polygon_model.h"

namespace quorvel {

class RepeatedPoints {
  public:
    // For a tree whose leaves, from node leaf_base on, each hold leaf_points consecutive points:
    // per node, the least over its points of the index of the point's latest earlier copy (0
    // for a point that has none). Costs a sort of the ring's points, about as much as measuring
    // each point three or four times.
    void build(const Ring& points, std::size_t leaf_base, std::size_t leaf_points);
    void clear() { least_earlier_copy_.clear(); }
    bool built() const { return !least_earlier_copy_.empty(); }

    // Whether every point of the node repeats a point after index `first` and before itself;
    // false for every node until built.
    bool all_repeat_after(std::size_t node, std::size_t first) const {
        return built() && least_earlier_copy_[node] > first;
    }

  private:
    // A point's bits and its index, as build() sorts them.
    struct Keyed {
        std::uint64_t x;
        std::uint64_t y;
        std::uint32_t index;
    };

    void sort_by_bits(const Ring& points);

    Vector<std::size_t> least_earlier_copy_;
    Vector<Keyed> sorted_;  // scratch of build(): the points, sorted
};

}  // namespace quorvel
