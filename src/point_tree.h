// A k-d tree over the points of a ring, laid out in space rather than in index order. The
// simplification guard searches it where a chord's squared length overflows: only points in a
// small box around the chord's start can then win (guard_bounds.h, 10), and where a ring visits
// that box from all over, every node of a tree over index order covers it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "allocation.h"
#include "node_hulls.h"
#include "polygon_model.h"

namespace quorvel {

class PointTree {
  public:
    // A point of the ring and its index there.
    struct Placed {
        Coordinate point;
        std::uint32_t index;
    };

    // A node: the box of its points, the least and greatest of their indices in the ring, and
    // where they lie in placed(), [begin, end).
    struct Node {
        NodeBox box;
        std::uint32_t least;
        std::uint32_t most;
        std::uint32_t begin;
        std::uint32_t end;
    };

    // Node 1 is the root and node i has the children 2i and 2i + 1. A node halves its points at
    // their median, down to leaves of at most kLeafPoints points: by index where their indices
    // spread over kScatteredIndices times as many places in the ring as there are points, else
    // across the wider side of its box. The searches it serves look for points of one run in
    // one small box; where the ring passes a place many times, as a smoothed zigzag does, a
    // node split by place alone would hold indices from all those passes, and a run's bounds
    // would cut none of them away.
    static constexpr std::size_t kLeafPoints = 64;
    static constexpr std::size_t kScatteredIndices = 4;

    // Takes the points of `points` with indices in [begin, end), all finite, replacing any
    // earlier tree, and lays its root. An empty range, or a ring of 2^32 points or more, gets
    // no tree.
    void build(const Ring& points, std::size_t begin, std::size_t end);
    // Whether the tree holds every point with an index in [begin, end).
    bool holds_indices(std::size_t begin, std::size_t end) const {
        return !empty() && begin >= first_index_ && end <= end_index_;
    }

    // Lays the children of inner node i, unless they are laid already; returns the points they
    // hold if it laid them, else 0, so that the searches can count what laying costs. Nodes are
    // laid as the searches first reach them, so that parts of the ring that no search reaches
    // cost one pass over their points at most.
    std::size_t lay_children(std::size_t i);

    // Forgets the tree, keeping its memory for the next.
    void clear() {
        nodes_.clear();
        placed_.clear();
    }
    bool empty() const { return nodes_.empty(); }
    std::size_t size() const { return placed_.size(); }
    // Node i, once laid: the root, or a child of a node whose children are laid.
    const Node& node(std::size_t i) const { return nodes_[i]; }
    bool is_leaf(const Node& n) const { return n.end - n.begin <= kLeafPoints; }
    // The points taken, grouped by the nodes laid.
    const Placed* placed() const { return placed_.data(); }

  private:
    // The boxes of a node's two halves.
    struct Halves {
        NodeBox lower;
        NodeBox upper;
    };
    NodeBox box_over(std::uint32_t begin, std::uint32_t end) const;
    Halves split_by_place(std::uint32_t begin, std::uint32_t split, std::uint32_t end,
                          double Coordinate::*axis);

    Vector<Node> nodes_;
    Vector<Placed> placed_;
    std::size_t first_index_ = 0;
    std::size_t end_index_ = 0;
    // Room for splitting a node by place: a coordinate per point of it, and its upper half.
    Vector<double> keys_;
    Vector<Placed> upper_;
};

}  // namespace quorvel
