// The largest distance from one centre to the points of each node of the simplification guard's
// tree, exactly as the distance rule computes distances to a chord's end: hypotenuse() of the
// rounded differences. Kept per node with its centre, it bounds the start or end branch with no
// slack at all, which decides the ties that slack cannot: a ring whose points lie exactly on a
// circle around the end of run after run (benchmarks/adversarial_rings.py) has each of those
// runs certified by a few cached values instead of every point. Runs that share an end share
// the cache; a value is worked out once per node and centre, from the node's points when they
// are few, else from its children's values. A ring's cache measures no more than a set number
// of points in all: where the end moves with every run, as when each split peels a few points
// off a run's end, no value is used twice, and working them out would cost a scan of the run
// per run.
#pragma once

#include <cstddef>
#include <optional>

#include "allocation.h"
#include "polygon_model.h"

namespace quorvel {

class FarthestCache {
  public:
    // Forgets every value; the tree has `nodes` nodes, leaves of `leaf_points` points from node
    // `leaf_base` on. From now on, no more than `points_allowed` points are measured in all.
    void reset(std::size_t nodes, std::size_t leaf_base, std::size_t leaf_points,
               std::size_t points_allowed);

    // The largest hypotenuse(c.x - p.x, c.y - p.y) over the points p of `node`: from the cache,
    // else from its children's values, else, for a node of at most kDirectPoints points, from
    // its points, measuring no more than `budget` of them in all (and taking those from the
    // budget); none when the budget, or what reset() allowed, runs out first. What it works
    // out stays cached, so a later call goes on from there.
    std::optional<double> farthest(const Ring& points, std::size_t node, Coordinate c,
                                   std::size_t& budget);

    // How many of the ring's places `node` spans (its last leaf may hold fewer points).
    std::size_t span(std::size_t node) const;

    // The value for `node` and `c` if it is cached; nothing is worked out.
    std::optional<double> cached(std::size_t node, Coordinate c) const {
        if (holds(node, c)) {
            return entries_[node].farthest;
        }
        return std::nullopt;
    }

    // Whether the distance from c to the first point of `node` exceeds `limit`: then so does
    // the node's farthest distance.
    bool first_point_beyond(const Ring& points, std::size_t node, Coordinate c, double limit) const;

    static constexpr std::size_t kDirectPoints = 64;

  private:
    struct Entry {
        Coordinate centre;
        double farthest;
        bool valid;
    };

    bool holds(std::size_t node, Coordinate c) const;
    // The index of the first point of `node`.
    std::size_t first_point(std::size_t node) const;

    Vector<Entry> entries_;
    std::size_t leaf_base_ = 0;
    std::size_t leaf_points_ = 0;
    std::size_t points_left_ = 0;
};

}  // namespace quorvel
