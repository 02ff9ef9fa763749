// The shapes of the nodes of the simplification guard's tree: their boxes, and their convex
// hulls with the vertex of a hull farthest along a direction. A box is loose around a slanted or
// curved stretch of a ring (by up to a factor of sqrt(2) around an arc); a hull is not, so with
// hulls the guard's bound on the distance to a chord's line is exact but for rounding. Every sign
// is decided exactly (exact_sign.h).
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>

#include "allocation.h"
#include "exact_sign.h"
#include "polygon_model.h"

namespace quorvel {

// The smallest and largest x and y of the points of a node of the guard's tree.
struct NodeBox {
    double min_x;
    double max_x;
    double min_y;
    double max_y;
};

// The box of no points, which the first point widened into it replaces.
inline constexpr NodeBox kEmptyBox{
    std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
    std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};

inline NodeBox widened(const NodeBox& box, Coordinate p) {
    return {std::min(box.min_x, p.x), std::max(box.max_x, p.x), std::min(box.min_y, p.y),
            std::max(box.max_y, p.y)};
}

inline NodeBox united(const NodeBox& a, const NodeBox& b) {
    return {std::min(a.min_x, b.min_x), std::max(a.max_x, b.max_x), std::min(a.min_y, b.min_y),
            std::max(a.max_y, b.max_y)};
}

class NodeHulls {
  public:
    // The hulls of the nodes above the leaves of a tree whose leaves, from node leaf_base on,
    // each hold leaf_points consecutive points (the leaves themselves get none: measuring their
    // few points costs about as much). A node's hull is laid when a query asks for it (at once,
    // or once the searches of several runs have: begin_search()), after its children's: a ring
    // that the guard takes over for a few runs lays the hulls of the few nodes those runs
    // reach, not the whole tree's. A node is left without a hull when
    // an exact sign cannot be had (coordinates beyond the range of exact_sign.h) or where the
    // hulls of the nodes under it would hold more than kVerticesPerPoint vertices per point of
    // the node; its ancestors are then left without one too. Neither depends on which nodes
    // were asked for first. `scaled`, if not null, was reset() with `points`; both must stay in
    // place while the hulls are used.
    void build(const Ring& points, std::size_t leaf_base, std::size_t leaf_points,
               const ScaledForTurns* scaled = nullptr);

    // The same over the points of one part only, those with part_of[i] == part, their vertices
    // capped at kVerticesPerPoint per point of the part. A node that holds none of them has an
    // empty hull: hull_size() 0 and no vertex to visit, which largest_across_in_strip() bounds
    // by 0. These too are laid as asked for, so `part_of` must stay in place while they are
    // used.
    void build_part(const Ring& points, std::size_t leaf_base, std::size_t leaf_points,
                    const ScaledForTurns* scaled, const Vector<std::uint8_t>& part_of,
                    std::uint8_t part);

    // How the queries of a search lay a hull not laid yet that they ask for (begin_search()).
    enum class Laying : std::uint8_t {
        // At once.
        AtOnce,
        // At once where the hulls laid so far are small, at most one vertex per
        // kPointsPerSmallHullVertex points of their nodes, as on most rings, whose stretches
        // are far from convex; else once the searches of kSearchesBeforeLaying runs have asked
        // for it, and until then it reads as none.
        WhenWanted,
        // The same, but where none has been laid yet, the first is laid at once and shows
        // whether they are small.
        Probing,
    };

    // Begins the queries of one search, which lay as `laying` says until the next call. Laying
    // the hulls under a node costs up to about sixteen times measuring its points (up to
    // kVerticesPerPoint vertices per point, each a turn or two), and a search that finds no
    // hull there measures its points once at most: laid once as many searches have wanted it,
    // as a ski rental, a large hull costs at most about twice the better of laying it at once
    // and never laying it. The hulls that the runs of a stalled ring share are wanted run after
    // run; a node of points in convex position that one run's search alone reaches, as where a
    // ring visits a circle in interleaved passes and every stretch of it spans the circle, gets
    // none.
    void begin_search(Laying laying) const {
        ++search_;
        laying_ = laying;
    }
    static constexpr std::size_t kPointsPerSmallHullVertex = 2;
    static constexpr std::uint32_t kSearchesBeforeLaying = 16;

    // Whether the node has a hull, laying it if none has been laid yet and the search asking
    // lays it (begin_search()). The queries below take a node that has one; an unlaid node
    // reads to them as one without vertices.
    bool has_hull(std::size_t node) const {
        if (unlaid(node) && laying_ != Laying::AtOnce && !worth_laying(node)) [[unlikely]] {
            return false;
        }
        return laid_hull(node);
    }

    // False where the node is known to have no hull (a leaf, or one refused); true where it has
    // one or none has been laid yet. Lays nothing.
    bool may_have_hull(std::size_t node) const {
        return chains_[node].upper_end != 0 || unlaid(node);
    }

    // Calls `visit` with every vertex of the node's hull (its two ends twice).
    template <class Visit>
    void visit_vertices(std::size_t node, Visit&& visit) const {
        const Chains c = chains_[node];
        for (std::uint32_t i = c.upper_begin; i < c.upper_end; ++i) {
            visit(points_[vertices_[i]]);
        }
        for (std::uint32_t i = c.lower_begin; i < c.lower_end; ++i) {
            visit(points_[vertices_[i]]);
        }
    }

    // The vertices of the node's hull, counting its two ends twice: what a scan of it visits.
    std::size_t hull_size(std::size_t node) const {
        const Chains c = chains_[node];
        return (c.upper_end - c.upper_begin) + (c.lower_end - c.lower_begin);
    }

    // The searches of extreme() that a query of the guard makes for every chord, each
    // remembering per node where it last ended.
    enum class Search : std::uint8_t { AcrossHigh, AcrossLow, AlongHigh, AlongLow };
    static constexpr std::size_t kSearches = 4;

    // The vertex of the node's hull with the greatest exact f.x * x + f.y * y (one of them
    // when several tie), or none when a sign could not be decided. The node has a hull. The
    // search starts where `search` last ended on this node, or where it ended the time before
    // if only then its direction pointed into the same eighth of the circle as f: the runs
    // that a stalled ring splits one after another share an end and turn their chords little,
    // or, where the ring visits two curves in turn, alternate between two such families of
    // chords. So the extreme vertex has moved by a step or two, where a search from scratch
    // would wait on memory at each of log2 h steps. The vertex found is the same from any
    // start, and for f times any power of two; the signs cost least where f's products with
    // the hull's steps are normal numbers.
    std::optional<Coordinate> extreme(std::size_t node, Coordinate f, Search search) const;

    // An upper bound on the squared distance from c to the points p of the node's hull that
    // lie on the side f.(p - c) >= -tau, from the vertices of the hull cut along that line:
    // the hull's vertices on that side and, on every edge the line crosses, the crossing
    // point. Each difference fl(p - c) is first multiplied by `scale`, a power of two, and f
    // and tau are taken as scaled alike: the bound is then on the scaled distances. None for
    // values beyond the range in which rounding is accounted for (2^-400 to 2^400). With f = 0
    // every vertex counts. In hulls of more than kBlockedHull vertices, blocks of consecutive
    // vertices are not visited one by one where their box bounds their squared distances by
    // `enough` or less, or by no more than the bound found so far (the box's bound then counts
    // for them), or lies wholly off the side.
    // Blocks hold kBlockVertices times a power of two and start at a multiple of their size,
    // the largest that fits passed over first, so a bound that need not come below `enough`
    // costs a few steps per doubling of the hull's size, besides the vertices near the farthest
    // and near the line; the vertex on the side that last raised the bound in the node's last
    // scan (mostly its farthest) is measured first, so that a walk that reaches the farthest
    // last, as along a chain of ever farther vertices, passes over the blocks before it too. Once
    // scans from one c in a row have visited a quarter as many vertices as the hull has, the
    // largest squared distance of each block's vertices from c is kept for the node, and later
    // scans from that c pass over blocks by it, which a box's corner overstates: vertices nearly on
    // a circle around c, as when runs that share a start peel a few points each off a curve around
    // it, are otherwise visited run after run. Working the values out costs at most about the
    // hull's size, four times what the scans before it cost. `visited` grows by the vertices and
    // boxes looked at, and by the vertices measured for the kept values. The proof is in
    // guard_bounds.h.
    std::optional<double> farthest_squared_on_side(std::size_t node, Coordinate c, Coordinate f,
                                                   double tau, double scale, double enough,
                                                   std::size_t& visited) const;

    // An upper bound on |f x (p - c)| over the points p of the node's hull that lie in the strip
    // low <= f.(p - c) <= high, from the vertices of the hull cut to the strip: the hull's
    // vertices within it and, on every edge that crosses one of its lines, the crossing point.
    // The differences, f and the strip are scaled as for farthest_squared_on_side(), and the
    // scaled differences must lie below 2 in magnitude and |f.x| + |f.y| below 2. Blocks of
    // vertices are passed over where their box bounds the value by `enough` or less or lies
    // wholly outside the strip. The proof is in guard_bounds.h. Besides the bound, the largest
    // value at the vertices within the strip that were visited, the part of the bound that the
    // node's own points reach (the rest comes from edges and blocks).
    struct AcrossInStrip {
        double bound;
        double at_vertices;
    };
    std::optional<AcrossInStrip> largest_across_in_strip(std::size_t node, Coordinate c,
                                                         Coordinate f, double low, double high,
                                                         double scale, double enough,
                                                         std::size_t& visited) const;
    static constexpr std::size_t kBlockVertices = 16;
    static constexpr std::size_t kBlockedHull = 64;

    // Vertices held by the hulls laid so far.
    std::size_t vertex_count() const { return vertices_.size(); }

    // Each vertex is the index of a point (4 bytes), so the hulls take at most 32 bytes per
    // point: no more than the ring itself.
    static constexpr std::size_t kVerticesPerPoint = 8;

  private:
    // Both chains run from the lexicographically smallest vertex to the largest (x first, then
    // y): the upper one turning clockwise at every inner vertex, the lower one counterclockwise.
    struct Chains {
        std::uint32_t upper_begin;
        std::uint32_t upper_end;
        std::uint32_t lower_begin;
        std::uint32_t lower_end;
    };

    // Calls `visit` with the vertices around the node's hull and their positions in vertices_:
    // the upper chain left to right, then the lower chain right to left without its ends, which
    // the upper chain holds. In a hull of more than kBlockedHull vertices, the vertices inside a
    // block that `pass_over(level, block)` accepts are skipped: only the block's first and last
    // are visited.
    template <class Visit, class PassOver>
    void walk_around(std::size_t node, Visit&& visit, PassOver&& pass_over) const;
    // An empty hull: its chains hold no vertex, wherever they start (not at 0, which would
    // mean no hull).
    static constexpr Chains kEmptyHull{1, 1, 1, 1};
    // No hull: a leaf, a node past the last point, or one refused.
    static constexpr Chains kNoHull{0, 0, 0, 0};
    // Not laid yet: to a query that reads it, a hull without vertices; told apart from
    // kNoHull by its lower chain.
    static constexpr Chains kUnlaid{0, 0, 1, 1};
    bool unlaid(std::size_t node) const {
        return chains_[node].upper_end == 0 && chains_[node].lower_end != 0;
    }
    // The points the hulls are of: those with of[i] == part, or all where `of` is null.
    struct Part {
        const std::uint8_t* of = nullptr;
        std::uint8_t part = 0;
    };
    void build_over(const Ring& points, std::size_t leaf_base, std::size_t leaf_points,
                    const ScaledForTurns* scaled, Part part);
    void lay(std::size_t node) const;
    bool worth_laying(std::size_t node) const;
    // Whether the node has a hull, laying it first whoever asked: has_hull() once the search
    // may lay it, and the children of a node being laid.
    bool laid_hull(std::size_t node) const {
        if (unlaid(node)) [[unlikely]] {
            lay(node);
        }
        return chains_[node].upper_end != 0;
    }
    bool holds_points(std::size_t node) const;
    bool build_from_points(std::size_t node, std::size_t begin, std::size_t end) const;
    bool build_from_children(std::size_t node) const;
    bool append_chain(const std::uint32_t* sorted, std::size_t count, bool upper) const;

    const Coordinate* points_ = nullptr;
    // The points whose turns the hulls take: points_, or the scaled copy below its range.
    const Coordinate* turn_points_ = nullptr;
    // The points scaled for the turns the filter cannot decide on points_, or null.
    const ScaledForTurns* scaled_ = nullptr;
    Part part_;
    std::size_t point_count_ = 0;
    std::size_t leaf_base_ = 0;
    std::size_t leaf_points_ = 0;
    // The hulls, laid on first ask: a cache, filled by the const queries. Per node, besides,
    // the points of the part it holds and the vertices of the hulls laid under it and its own,
    // for the cap of kVerticesPerPoint.
    struct Tally {
        std::size_t points;
        std::size_t vertices;
    };
    mutable Vector<Chains> chains_;
    mutable Vector<Tally> tallies_;
    // Per node above the leaves, the last search that asked for its unlaid hull and how many
    // searches have; the number of the current search, and how it lays; the points of the nodes
    // whose hulls have been laid, each counted once per such node.
    struct Wanted {
        std::uint32_t search;
        std::uint32_t searches;
    };
    mutable Vector<Wanted> wanted_;
    mutable std::uint32_t search_ = 0;
    mutable Laying laying_ = Laying::AtOnce;
    mutable std::size_t laid_points_ = 0;
    mutable Vector<std::uint32_t> vertices_;
    // Per block of vertices_[k * size, (k + 1) * size) for size = kBlockVertices << level, at
    // blocks_[level][k]: the box of its points, NaN until first asked for; and the largest
    // squared distance of its points from the centre kept for the node that holds it, with the
    // stamp of that centre (below). A cache, filled by the const queries; each level grows as
    // the hulls are laid, and a block, which lies within one node's chain, never changes once
    // that chain is laid. Level 0 holds a block per 16 vertices, all levels together twice as
    // many: 6 bytes per vertex.
    struct Block {
        NodeBox box;
        double farthest_squared;
        std::uint64_t stamp;
    };
    static constexpr std::size_t kMostBlockLevels = 28;  // up to 2^32 vertices
    mutable std::array<Vector<Block>, kMostBlockLevels> blocks_;
    Block& block(std::size_t level, std::size_t index) const;
    NodeBox block_box(std::size_t level, std::size_t index) const;
    // Per node, the centre and scale of the last scans of its cut hull, the vertices they
    // visited in a row, and once those reach a quarter of the hull's, the stamp that marks
    // the values kept for them in blocks_ (0: none yet); besides, the position in vertices_ of
    // the vertex on the side that last raised the bound in its last scan, or kNoHint. A cache,
    // filled by the const queries; a new centre takes a new stamp, so that no value needs
    // clearing.
    struct KeptCentre {
        Coordinate c;
        double scale;
        std::size_t visited;
        std::uint64_t stamp;
        std::uint32_t farthest_position;
    };
    mutable Vector<KeptCentre> kept_centres_;
    mutable std::uint64_t last_stamp_ = 0;
    // The largest squared distance of the block's vertices from the centre kept for the node
    // that holds the block, as farthest_squared_on_side() computes it; adds the vertices
    // measured to `visited`.
    double block_farthest_squared(std::size_t level, std::size_t block, const KeptCentre& kept,
                                  std::size_t& visited) const;
    // Per node and search of extreme(), two hints: where it last ended, and where it last
    // ended with its direction in another eighth of the circle (node_hulls.cpp tells the
    // layout of a hint), or kNoHint: a cache, filled by the const queries.
    static constexpr std::uint32_t kNoHint = UINT32_MAX;
    mutable Vector<std::uint32_t> hints_;
    // The position on the chain to start from, or kNoHint, and the update once the search
    // has ended at `position`.
    static std::uint32_t start_position(const std::uint32_t* hints, std::uint32_t eighth);
    static void remember(std::uint32_t* hints, std::size_t position, std::uint32_t eighth);
    mutable Vector<std::uint32_t> scratch_;
};

}  // namespace quorvel
