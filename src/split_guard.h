// The guarded way of finding where a run splits: branch and bound over a tree of bounding boxes
// laid over the ring's index order. Each query opens only the boxes that could hold a point at
// least as far from the chord as the best point found so far, so a ring whose splits each peel
// off a few points costs about log n boxes per split where the scans cost the whole run. The
// answer is split_plain's, bit for bit; split_guard.cpp proves the bounds it prunes with.
#pragma once

#include <cstddef>
#include <optional>

#include "allocation.h"
#include "node_hulls.h"
#include "polygon_model.h"
#include "split_run.h"

namespace quorvel {

// The smallest and largest x and y of the points of a node of the guard's tree.
struct NodeBox {
    double min_x;
    double max_x;
    double min_y;
    double max_y;
};

class SplitGuard {
  public:
    // Lays the tree over `points`, replacing any earlier one. Returns false, leaving no tree,
    // when a coordinate is NaN or infinite: the bounds are proven for finite coordinates only.
    bool build(const Ring& points);

    // Where `run` of the ring given to build() splits. Reuses scratch space, hence not const.
    Split split(const Ring& points, Run run, double tolerance);

    // The same, but the search gives up, returning none, once it has spent `work_limit` units
    // without a decision; the caller then scans. A unit is about the time the screened scan
    // takes per point, so a limit of the run's length keeps the guard within twice the cost of
    // a scan on runs where few boxes can be dropped.
    std::optional<Split> split_within(const Ring& points, Run run, double tolerance,
                                      std::size_t work_limit);

  private:
    // A node waiting to be opened: its points [begin, end), the bound it was pushed with and
    // whether that bound has been narrowed by the hull already.
    struct Pending {
        std::size_t node;
        std::size_t begin;
        std::size_t end;
        double bound;
        bool refined;
    };

    // A node with its points and the bound of its box.
    template <class Bound>
    Pending pending(std::size_t node, const Bound& bound, double best, double tolerance) const;

    // Node 1 is the root, node i has the children 2i and 2i + 1, and the leaves are the nodes
    // from leaf_base_ on, each over kLeafPoints consecutive points.
    Vector<NodeBox> boxes_;
    NodeHulls hulls_;
    std::size_t leaf_base_ = 0;
    bool ordinary_coordinates_ = false;
    Vector<Pending> pending_;
};

}  // namespace quorvel
