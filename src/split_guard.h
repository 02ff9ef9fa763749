// The guarded way of finding where a run splits: branch and bound over a tree laid over the
// ring's index order, each node holding the box and the exact convex hull of its points. A query
// opens the nodes best first and drops every node whose bound shows it cannot hold the winner,
// so that a ring whose splits each peel off a few points costs about log n nodes per split
// where a scan costs the whole run. The answer is split_plain's, bit for bit: guard_bounds.h
// proves the bounds, assuming of hypotenuse() only that it is faithful, and split_guard.cpp
// the pruning.
//
// Cost. Laying the tree takes O(n) for the boxes. A node's hull is laid when a search first
// asks for it (for a short run on a ring whose hulls are large, once 16 searches have:
// node_hulls.h), after its children's, so that a ring the guard serves for a few runs lays only
// the hulls those runs reach; at most O(n log n) in all, as the hulls under a node may hold no
// more than 8 vertices per point of the node (beyond that it keeps its box only), and as much
// again for the hulls of the ring's parts (spatial_parts.h), laid as asked for once
// searches near the largest doubles have wanted them for a 64th as many nodes as there are
// leaves (guard_bounds.h, 13). A query measures the first and last few inner points, then opens
// the O(log n) nodes that cover the run and, best first, only nodes whose bound reaches the best
// distance found. With a hull that bound is exact on the line branch but for a few units in the
// last place, and within a few units of the farthest corner of the hull cut by the branch's line
// on the start and end branches, which costs a few steps per doubling of the hull, even where
// its vertices lie nearly on a circle around an end that runs keep sharing (node_hulls.h keeps
// their largest distances from there per block); where one end's branch alone keeps a node, the
// exact farthest distance from that end, cached per node (farthest_cache.h), settles ties that
// no slack can. So the rings that stall the scans (zigzags straight, turned or growing, spirals,
// combs at 45 degrees, points tied on a circle around a run's end) cost about O(n log n). A
// chord whose squared length overflows (coordinates beyond about 1e154) lets only points in a
// small box around its start win, the farthest from the start, which each node's hull bounds by
// its farthest vertex from there (a node with points beyond the box is bounded by its box alone,
// its hull not laid for such a chord: its farthest vertex mostly lies beyond the box too, and
// would keep the node all the same); where the ring comes back near that start from all over, every
// node of the tree over the ring's order surrounds the box, so such chords are searched over a
// second tree, of the points in space (point_tree.h), laid as the searches reach its nodes, in
// O(n log n) at most, once the first tree has failed such a chord within a small allowance
// (split_within); its laying counts as the searches' work.
// A ring that comes back to the same points over and over ties exactly on most splits, each
// tie with copies of the run's winner further on, which no bound can drop; once the searches
// have measured four points per point of the ring in leaves, a 64th of them copies of the best,
// the ring's points are sorted once, and a node whose every point repeats an earlier
// point of the run is no longer opened (repeated_points.h).
// No bound of O(n log n) is proven for every ring: a node must be opened whenever one of its
// points could equal the best distance, and ties of other kinds can keep many nodes open run
// after run. The stage therefore lets the guard of a ring spend no more than a quarter of what
// the ring's scans would have cost (split_within gives up at a limit, and the scan decides), so
// that where the guard cannot drop nodes the ring costs at most about a quarter more than the
// scan (up to about as much again beyond the screened range, where the stage counts every point
// at the plain scan's cost, smooth_and_simplify.cpp), besides laying the tree over the ring's
// order and its hulls, which is not counted: the boxes once per ring, and only after the scans
// have measured n (log2 n + 1) points, and each hull once, to serve the later runs.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "allocation.h"
#include "exact_sign.h"
#include "farthest_cache.h"
#include "node_hulls.h"
#include "point_tree.h"
#include "polygon_model.h"
#include "repeated_points.h"
#include "segment_distance.h"
#include "spatial_parts.h"
#include "split_run.h"

namespace quorvel {

class SplitGuard {
  public:
    // Lays the tree over `points`, replacing any earlier one. Returns false, leaving no tree,
    // when a coordinate is NaN or infinite: the bounds are proven for finite coordinates only.
    bool build(const Ring& points);

    // Where `run` of the ring given to build() splits. Reuses scratch space, hence not const.
    Split split(const Ring& points, const Run& run, double tolerance);

    // The same, but the search gives up, returning none, once it has spent `work_limit` units
    // without a decision; the caller then scans. A unit is about the time the screened scan
    // takes per point. The work spent is added to `work`.
    std::optional<Split> split_within(const Ring& points, const Run& run, double tolerance,
                                      std::size_t work_limit, std::size_t& work);

    // From now until the next build(), a chord whose squared length overflows goes straight to
    // the tree of the ring's points in space, which split_within() otherwise tries only once
    // the tree over the ring's order has failed such a chord: for checks of that tree's answers.
    void search_overflows_in_space() {
        overflow_search_ = OverflowSearch::InSpace;
        overflows_only_in_space_ = true;
    }

    // The points that the tree in space holds, none before it is laid: for checks.
    std::size_t points_in_space() const { return points_in_space_.size(); }

    // From now until the next build(), the searches skip the stretches of a run that only repeat
    // earlier points of it, which they otherwise do once they have measured many points: for
    // checks of that rule. `points` is the ring given to build().
    void find_repeated_points(const Ring& points);

  private:
    // A node waiting to be opened: its points [begin, end), the bound it was pushed with and
    // how often that bound has been narrowed by the node's hull (twice at most; leaves, which
    // have none, count as narrowed twice).
    struct Pending {
        std::size_t node;
        std::size_t begin;
        std::size_t end;
        double bound;
        int narrowings;
    };

    // The order of the heap of pending nodes: the highest bound opens first, the earliest
    // among equals.
    static bool opens_after(const Pending& a, const Pending& b) {
        return a.bound < b.bound || (a.bound == b.bound && a.begin > b.begin);
    }

    // A node with its points and the bound of its box.
    template <class Bound>
    Pending pending(std::size_t node, const Bound& bound, double best, double tolerance) const;

    // The search over the tree of the ring's order; gives up, returning none, once it has spent
    // `work_limit`. A `trial` tries the tree for a chord whose squared length overflows.
    std::optional<Split> search_in_order(const Ring& points, const Run& run, double tolerance,
                                         const DistanceToSegment& distance, std::size_t work_limit,
                                         std::size_t& work, bool trial);

    // The search for a chord whose squared length overflows, over the tree of the ring's points
    // in space; gives up, returning none, once the work passes `limit_of_work`.
    std::optional<Split> split_beyond_overflow(const Ring& points, const Run& run, double tolerance,
                                               const DistanceToSegment& distance,
                                               std::size_t limit_of_work, std::size_t& work);

    // Lays part_hulls_ if the searches have wanted them often enough and they are not laid
    // yet; the hulls to search with.
    std::span<const NodeHulls> part_hulls(const Ring& points);

    // Node 1 is the root, node i has the children 2i and 2i + 1, and the leaves are the nodes
    // from leaf_base_ on, each over kLeafPoints consecutive points.
    Vector<NodeBox> boxes_;
    // The ring scaled for the turns of its hulls (exact_sign.h), made when a turn first needs
    // it; mostly never.
    ScaledForTurns scaled_for_turns_;
    NodeHulls hulls_;
    // The hulls of the parts of the ring's points (spatial_parts.h), begun before the first
    // search once the searches have wanted them for a 64th as many nodes as the tree has
    // leaves, and laid as asked for from then on. Until then empty. `parts_of_` holds the part
    // of each point, which the hulls read as they are laid.
    std::array<NodeHulls, kSpatialParts> part_hulls_;
    Vector<std::uint8_t> parts_of_;
    std::size_t parts_wanted_ = 0;
    bool parts_laid_ = false;
    // Built once the searches have measured many points in the tree's nodes, many of them tied
    // with a copy of the best point.
    RepeatedPoints repeated_;
    std::size_t leaf_points_measured_ = 0;
    std::size_t copies_tied_ = 0;
    FarthestCache farthest_;
    std::size_t leaf_base_ = 0;
    bool ordinary_coordinates_ = false;
    // The nodes waiting to be opened, the one that opens first on top.
    class PendingHeap {
      public:
        void clear() { nodes_.clear(); }
        bool empty() const { return nodes_.empty(); }
        const Pending& top() const { return nodes_.front(); }
        void push(const Pending& node);
        Pending pop();

      private:
        Vector<Pending> nodes_;
    };
    PendingHeap pending_;
    // Laid once the tree over the ring's order has failed a chord that overflows: over that
    // run's inner points where they are few, else, and for a later run beyond them, over the
    // whole ring; from then on it serves them until it gives up on one (split_within).
    PointTree points_in_space_;
    // Which tree searches the next chord whose squared length overflows: the tree over the
    // ring's order within a small allowance (until it first exceeds it), the tree in space, or
    // the tree over the order with the whole allowance (once the tree in space has given up
    // often enough: the count, and what it must reach, doubled each time that turn fails).
    enum class OverflowSearch : std::uint8_t { Trial, InSpace, InOrder };
    OverflowSearch overflow_search_ = OverflowSearch::Trial;
    bool overflows_only_in_space_ = false;
    std::size_t space_gave_up_ = 0;
    std::size_t space_gives_up_before_order_ = 1;
    std::size_t overflow_trial_work_ = 0;
};

}  // namespace quorvel
