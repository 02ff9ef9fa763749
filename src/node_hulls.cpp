// Convex hulls per node of the guard's tree, by Andrew's monotone chain (node_hulls.h).
//
// The nodes just above the leaves get their hulls from their points, every higher node from its
// children's chains: the upper hull of a union is the upper hull of the upper chains of its
// parts, and likewise below, so a parent merges two sorted chains and runs the monotone chain
// over the merge. With exact turns the chains are exactly convex, which is what the search in
// extreme() relies on.
#include "node_hulls.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

#include "exact_sign.h"

namespace quorvel {
namespace {

// farthest_squared_on_side() accounts for rounding between these sizes (see split_guard.cpp),
// and adds kScanError times the size of its terms to each value that decides a side.
constexpr double kSmallestScanned = 0x1p-400;
constexpr double kLargestScanned = 0x1p400;
constexpr double kScanError = 0x1p-50;
constexpr double kTinyScanError = 0x1p-1000;

// largest_across_in_strip() takes the scaled differences and f below 2 in magnitude, so that
// every value it forms is below 16; a value worked out from a vertex's, or from a line's position,
// with a few roundings of at most 2^-49 each is widened by kCrossingMargin.
constexpr double kLargestStripped = 2.0;
constexpr double kCrossingMargin = 0x1p-44;
constexpr double kCrossingSlack = 1.0 + 0x1p-49;

// A hint of extreme() in one word: where a search ended on its chain, and in the top three bits
// the eighth of the circle that the search's direction pointed into.
constexpr int kPositionBits = 29;
constexpr std::uint32_t kPositionMask = (std::uint32_t{1} << kPositionBits) - 1;

// The scaled differences of v from c, and their squared length, as the scans of a cut hull
// compute them.
Coordinate scaled_from(Coordinate c, Coordinate v, double scale) {
    return {(v.x - c.x) * scale, (v.y - c.y) * scale};
}

double squared_length(Coordinate p) {
    return p.x * p.x + p.y * p.y;
}

std::uint32_t eighth_of(Coordinate f) {
    return (f.x < 0.0 ? 4u : 0u) + (f.y < 0.0 ? 2u : 0u) +
           (std::fabs(f.x) < std::fabs(f.y) ? 1u : 0u);
}

}  // namespace

std::uint32_t NodeHulls::start_position(const std::uint32_t* hints, std::uint32_t eighth) {
    const auto same_eighth = [&](std::uint32_t hint) {
        return hint != kNoHint && hint >> kPositionBits == eighth;
    };
    const std::uint32_t hint =
        !same_eighth(hints[0]) && same_eighth(hints[1]) ? hints[1] : hints[0];
    return hint == kNoHint ? kNoHint : hint & kPositionMask;
}

void NodeHulls::remember(std::uint32_t* hints, std::size_t position, std::uint32_t eighth) {
    if (position > kPositionMask) {
        return;
    }
    if (hints[0] == kNoHint || hints[0] >> kPositionBits != eighth) {
        hints[1] = hints[0];
    }
    hints[0] = static_cast<std::uint32_t>(position) | eighth << kPositionBits;
}

void NodeHulls::build(const Ring& points, std::size_t leaf_base, std::size_t leaf_points,
                      const ScaledForTurns* scaled) {
    build_over(points, leaf_base, leaf_points, scaled, {});
}

void NodeHulls::build_part(const Ring& points, std::size_t leaf_base, std::size_t leaf_points,
                           const ScaledForTurns* scaled, const Vector<std::uint8_t>& part_of,
                           std::uint8_t part) {
    build_over(points, leaf_base, leaf_points, scaled, {part_of.data(), part});
}

void NodeHulls::build_over(const Ring& points, std::size_t leaf_base, std::size_t leaf_points,
                           const ScaledForTurns* scaled, Part part) {
    points_ = points.data();
    scaled_ = scaled;
    // A ring below the range of the scaled copy has its turns taken on the copy alone: on its
    // points, the products of a turn's differences mostly fall among the subnormals, where the
    // filter cannot decide and each product takes longer. The copy, the points scaled up
    // exactly, has the same signs, and its differences lie among the subnormals wherever the
    // points' do.
    const Coordinate* copy =
        scaled != nullptr && scaled->below_range() ? scaled->points() : nullptr;
    turn_points_ = copy != nullptr ? copy : points_;
    part_ = part;
    point_count_ = points.size();
    leaf_base_ = leaf_base;
    leaf_points_ = leaf_points;
    vertices_.clear();
    hints_.clear();
    kept_centres_.clear();
    for (Vector<Block>& level : blocks_) {
        level.clear();
    }
    // Positions in vertices_ are 32 bits wide.
    if (points.size() >= UINT32_MAX / kVerticesPerPoint || leaf_base < 2) {
        chains_.assign(2 * leaf_base, kNoHull);
        return;
    }
    chains_.assign(2 * leaf_base, kUnlaid);
    std::fill(chains_.begin() + static_cast<std::ptrdiff_t>(leaf_base), chains_.end(), kNoHull);
    tallies_.assign(leaf_base, Tally{0, 0});
    wanted_.assign(leaf_base, Wanted{0, 0});
    search_ = 0;
    laying_ = Laying::AtOnce;
    laid_points_ = 0;
}

// Lays the node's hull, its children's first where it has any: the recursion goes no deeper
// than the tree.
void NodeHulls::lay(std::size_t node) const {
    chains_[node] = kNoHull;
    if (node >= leaf_base_ / 2) {
        const std::size_t points_per_node = 2 * leaf_points_;
        const std::size_t begin = (node - leaf_base_ / 2) * points_per_node;
        if (begin < point_count_) {
            if (build_from_points(node, begin, std::min(begin + points_per_node, point_count_))) {
                laid_points_ += tallies_[node].points;
            }
        }
        return;
    }
    if (laid_hull(2 * node) && laid_hull(2 * node + 1)) {
        const Tally left = tallies_[2 * node];
        const Tally right = tallies_[2 * node + 1];
        tallies_[node] = {left.points + right.points, left.vertices + right.vertices};
        // The node's own hull holds no more vertices than its children's together.
        if (tallies_[node].vertices + hull_size(2 * node) + hull_size(2 * node + 1) <=
            kVerticesPerPoint * tallies_[node].points) {
            const std::size_t before = vertices_.size();
            if (build_from_children(node)) {
                tallies_[node].vertices += vertices_.size() - before;
                laid_points_ += tallies_[node].points;
            }
        }
        return;
    }
    // A right child past the last point holds nothing; one that holds points spoils.
    if (laid_hull(2 * node) && !holds_points(2 * node + 1)) {
        chains_[node] = chains_[2 * node];
        tallies_[node] = tallies_[2 * node];
    }
}

bool NodeHulls::worth_laying(std::size_t node) const {
    // Before the first hull is laid, the sizes tell nothing, unless the search probes.
    const bool sizes_tell = laid_points_ > 0 || laying_ == Laying::Probing;
    if (sizes_tell && vertices_.size() * kPointsPerSmallHullVertex <= laid_points_) {
        return true;
    }
    Wanted& wanted = wanted_[node];
    if (wanted.search != search_) {
        wanted.search = search_;
        ++wanted.searches;
    }
    return wanted.searches >= kSearchesBeforeLaying;
}

NodeHulls::Block& NodeHulls::block(std::size_t level, std::size_t index) const {
    Vector<Block>& blocks = blocks_[level];
    if (index >= blocks.size()) {
        // Every block asked for lies within a laid chain, so below the end of vertices_.
        const double unboxed = std::numeric_limits<double>::quiet_NaN();
        blocks.resize(vertices_.size() / (kBlockVertices << level),
                      Block{{unboxed, unboxed, unboxed, unboxed}, 0.0, 0});
    }
    return blocks[index];
}

NodeBox NodeHulls::block_box(std::size_t level, std::size_t index) const {
    // Boxed on first use: most hulls are never scanned, and few that are are large.
    NodeBox& box = block(level, index).box;
    if (!std::isnan(box.min_x)) {
        return box;
    }
    if (level > 0) {
        // The blocks below are on another level, whose growth leaves `box` in place.
        box = united(block_box(level - 1, 2 * index), block_box(level - 1, 2 * index + 1));
        return box;
    }
    box = kEmptyBox;
    for (std::size_t i = index * kBlockVertices; i < (index + 1) * kBlockVertices; ++i) {
        box = widened(box, points_[vertices_[i]]);
    }
    return box;
}

double NodeHulls::block_farthest_squared(std::size_t level, std::size_t index,
                                         const KeptCentre& kept, std::size_t& visited) const {
    Block& value = block(level, index);
    if (value.stamp == kept.stamp) {
        return value.farthest_squared;
    }
    double squared = 0.0;
    if (level > 0) {
        squared = std::max(block_farthest_squared(level - 1, 2 * index, kept, visited),
                           block_farthest_squared(level - 1, 2 * index + 1, kept, visited));
    } else {
        for (std::size_t i = index * kBlockVertices; i < (index + 1) * kBlockVertices; ++i) {
            squared = std::max(
                squared, squared_length(scaled_from(kept.c, points_[vertices_[i]], kept.scale)));
        }
        visited += kBlockVertices;
    }
    value.farthest_squared = squared;
    value.stamp = kept.stamp;
    return squared;
}

bool NodeHulls::holds_points(std::size_t node) const {
    std::size_t first_leaf = node;
    while (first_leaf < leaf_base_) {
        first_leaf *= 2;
    }
    return (first_leaf - leaf_base_) * leaf_points_ < point_count_;
}

bool NodeHulls::build_from_points(std::size_t node, std::size_t begin, std::size_t end) const {
    scratch_.clear();
    for (std::size_t i = begin; i < end; ++i) {
        if (part_.of == nullptr || part_.of[i] == part_.part) {
            scratch_.push_back(static_cast<std::uint32_t>(i));
        }
    }
    tallies_[node] = {scratch_.size(), 0};
    if (scratch_.empty()) {
        chains_[node] = kEmptyHull;
        return true;
    }
    const Coordinate* p = points_;
    std::sort(scratch_.begin(), scratch_.end(), [p](std::uint32_t a, std::uint32_t b) {
        return p[a].x < p[b].x || (p[a].x == p[b].x && p[a].y < p[b].y);
    });
    const auto same = [p](std::uint32_t a, std::uint32_t b) { return p[a] == p[b]; };
    scratch_.erase(std::unique(scratch_.begin(), scratch_.end(), same), scratch_.end());
    const std::size_t upper_begin = vertices_.size();
    if (!append_chain(scratch_.data(), scratch_.size(), true)) {
        return false;
    }
    const std::size_t lower_begin = vertices_.size();
    if (!append_chain(scratch_.data(), scratch_.size(), false)) {
        vertices_.resize(upper_begin);
        return false;
    }
    chains_[node] = {
        static_cast<std::uint32_t>(upper_begin), static_cast<std::uint32_t>(lower_begin),
        static_cast<std::uint32_t>(lower_begin), static_cast<std::uint32_t>(vertices_.size())};
    tallies_[node].vertices = vertices_.size() - upper_begin;
    return true;
}

bool NodeHulls::build_from_children(std::size_t node) const {
    const Chains left = chains_[2 * node];
    const Chains right = chains_[2 * node + 1];
    // Within a part, a child may hold none of its points: the other's hull is the node's.
    if (hull_size(2 * node) == 0 || hull_size(2 * node + 1) == 0) {
        chains_[node] = hull_size(2 * node) == 0 ? right : left;
        return true;
    }
    const Coordinate* p = points_;
    const auto less = [p](std::uint32_t a, std::uint32_t b) {
        return p[a].x < p[b].x || (p[a].x == p[b].x && p[a].y < p[b].y);
    };
    const auto same = [p](std::uint32_t a, std::uint32_t b) { return p[a] == p[b]; };
    const std::size_t begin = vertices_.size();
    Chains made{};
    for (const bool upper : {true, false}) {
        const std::uint32_t* v = vertices_.data();
        scratch_.clear();
        std::merge(v + (upper ? left.upper_begin : left.lower_begin),
                   v + (upper ? left.upper_end : left.lower_end),
                   v + (upper ? right.upper_begin : right.lower_begin),
                   v + (upper ? right.upper_end : right.lower_end), std::back_inserter(scratch_),
                   less);
        scratch_.erase(std::unique(scratch_.begin(), scratch_.end(), same), scratch_.end());
        const std::size_t chain_begin = vertices_.size();
        if (!append_chain(scratch_.data(), scratch_.size(), upper)) {
            vertices_.resize(begin);
            return false;
        }
        (upper ? made.upper_begin : made.lower_begin) = static_cast<std::uint32_t>(chain_begin);
        (upper ? made.upper_end : made.lower_end) = static_cast<std::uint32_t>(vertices_.size());
    }
    chains_[node] = made;
    return true;
}

// Appends the upper (clockwise turns only) or lower (counterclockwise) hull chain of `sorted`,
// lexicographically ordered with no two points equal; false, appending nothing, when a turn
// cannot be decided.
bool NodeHulls::append_chain(const std::uint32_t* sorted, std::size_t count, bool upper) const {
    const Sign kept = upper ? Sign::Negative : Sign::Positive;
    const std::size_t begin = vertices_.size();
    for (std::size_t i = 0; i < count; ++i) {
        while (vertices_.size() - begin >= 2) {
            const Sign turn = sign_of_turn(turn_points_, scaled_, vertices_[vertices_.size() - 2],
                                           vertices_.back(), sorted[i]);
            if (turn == Sign::Unknown) {
                vertices_.resize(begin);
                return false;
            }
            if (turn == kept) {
                break;
            }
            vertices_.pop_back();
        }
        vertices_.push_back(sorted[i]);
    }
    return true;
}

template <class Visit, class PassOver>
void NodeHulls::walk_around(std::size_t node, Visit&& visit, PassOver&& pass_over) const {
    const Chains chains = chains_[node];
    // The size of the largest block that starts at `edge` (or, going backwards, ends just
    // before it), a multiple of its size, holds no more than `room` vertices and can be passed
    // over; 0 if there is none.
    const auto block_passed_over = [&](std::size_t edge, std::size_t room,
                                       bool backwards) -> std::uint32_t {
        if (room < kBlockVertices) {
            return 0;
        }
        constexpr int kLevel0Bits = std::countr_zero(kBlockVertices);
        const int aligned = edge == 0 ? 64 : std::countr_zero(edge) - kLevel0Bits;
        const int fits = std::bit_width(room / kBlockVertices) - 1;
        const int top = std::min({aligned, fits, static_cast<int>(kMostBlockLevels) - 1});
        for (int level = top; level >= 0; --level) {
            const std::size_t block = (edge >> (level + kLevel0Bits)) - (backwards ? 1 : 0);
            if (pass_over(static_cast<std::size_t>(level), block)) {
                return static_cast<std::uint32_t>(kBlockVertices << level);
            }
        }
        return 0;
    };
    const bool blocked = hull_size(node) > kBlockedHull;
    for (std::uint32_t i = chains.upper_begin; i < chains.upper_end; ++i) {
        visit(points_[vertices_[i]], i);
        // At a block's first vertex, on to its last.
        const std::uint32_t size = blocked ? block_passed_over(i, chains.upper_end - i, false) : 0;
        if (size > 0) {
            i += size - 2;
        }
    }
    if (chains.lower_end - chains.lower_begin > 2) {
        for (std::uint32_t i = chains.lower_end - 2; i > chains.lower_begin; --i) {
            visit(points_[vertices_[i]], i);
            // Backwards: at a block's last vertex, on to its first, which must lie after the
            // chain's first vertex (the upper chain's).
            const std::uint32_t size =
                blocked ? block_passed_over(std::size_t{i} + 1, i - chains.lower_begin, true) : 0;
            if (size > 0) {
                i -= size - 2;
            }
        }
    }
}

std::optional<double> NodeHulls::farthest_squared_on_side(std::size_t node, Coordinate c,
                                                          Coordinate f, double tau, double scale,
                                                          double enough,
                                                          std::size_t& visited) const {
    // f = 0 cuts nothing: every vertex counts.
    const bool cut = f.x != 0.0 || f.y != 0.0;
    const double f_size = std::fabs(f.x) + std::fabs(f.y);
    const double f_squared = f.x * f.x + f.y * f.y;
    if (cut && !(f_size >= kSmallestScanned && f_size <= kLargestScanned && tau >= 0.0 &&
                 tau <= kLargestScanned)) {
        return std::nullopt;
    }
    struct Seen {
        bool on_side;
        double across;  // |f x (v - c)| plus its rounding error
    };
    double farthest = 0.0;
    double largest_term = 0.0;
    Seen first{};
    Seen previous{};
    std::size_t seen = 0;
    // Whether the point at the scaled differences (px, py) from c may lie on the side, and the
    // size and rounding error of the terms of f.(p - c).
    struct Side {
        bool taken;
        double terms;
        double error;
    };
    const auto side = [&](double px, double py) {
        const double terms = std::fabs(f.x * px) + std::fabs(f.y * py);
        const double error = terms * kScanError + kTinyScanError;
        return Side{!cut || f.x * px + f.y * py + error >= -tau, terms, error};
    };
    // The last vertex on the side that raised the bound, where the node's next scan starts.
    std::uint32_t farthest_vertex = kNoHint;
    // Measures the vertex at `position`; whether it lies on the side.
    const auto measure = [&](Coordinate p, std::uint32_t position) {
        const Side on = side(p.x, p.y);
        largest_term = std::max(largest_term, on.terms);
        if (on.taken) {
            const double squared = squared_length(p);
            if (squared > farthest) {
                farthest = squared;
                farthest_vertex = position;
            }
        }
        return on;
    };
    const auto visit = [&](Coordinate v, std::uint32_t position) {
        ++visited;
        const Coordinate p = scaled_from(c, v, scale);
        const Side on = measure(p, position);
        const Seen now{on.taken, std::fabs(f.x * p.y - f.y * p.x) + on.error};
        if (seen > 0 && now.on_side != previous.on_side) {
            const double across = std::max(now.across, previous.across);
            farthest = std::max(farthest, (tau * tau + across * across) / f_squared);
        }
        if (seen == 0) {
            first = now;
        }
        previous = now;
        ++seen;
    };
    if (kept_centres_.empty()) {
        kept_centres_.assign(chains_.size(), KeptCentre{{0.0, 0.0}, 0.0, 0, 0, kNoHint});
    }
    const KeptCentre kept = kept_centres_[node];
    const bool same_centre =
        kept.visited > 0 && kept.c.x == c.x && kept.c.y == c.y && kept.scale == scale;
    const bool centre_kept = same_centre && kept.stamp != 0;
    // A block's first and last vertices are visited as usual, so that the edges between
    // blocks count; the vertices between them, and the points where the edges joining them
    // cross the line, lie in the block's box, whose farthest corner then stands for them, or
    // which lies wholly off the side; failing both, they lie no farther from c than the
    // block's farthest vertex, whose squared distance, where kept, stands for them. A block is
    // passed over where what stands for it is within `enough` or does not raise the bound.
    const auto passed_over = [&](std::size_t level, std::size_t block) {
        const NodeBox& box = block_box(level, block);
        ++visited;
        const double passable = std::max(enough, farthest);
        const double u = std::max(std::fabs(box.max_x - c.x), std::fabs(box.min_x - c.x)) * scale;
        const double v = std::max(std::fabs(box.max_y - c.y), std::fabs(box.min_y - c.y)) * scale;
        const double corner = u * u + v * v;
        if (corner <= passable) {
            farthest = std::max(farthest, corner);
            return true;
        }
        // A box wholly beyond the line holds no point of the side, nor any crossing, as its
        // edges join points beyond the line: its corner farthest along f is not taken.
        const Side beyond = side(((f.x >= 0.0 ? box.max_x : box.min_x) - c.x) * scale,
                                 ((f.y >= 0.0 ? box.max_y : box.min_y) - c.y) * scale);
        if (cut && !beyond.taken && beyond.terms <= kLargestScanned) {
            return true;
        }
        if (!centre_kept) {
            return false;
        }
        const double squared = block_farthest_squared(level, block, kept, visited);
        if (squared <= passable) {
            farthest = std::max(farthest, squared);
            return true;
        }
        return false;
    };
    const std::size_t visited_before = visited;
    // A walk that comes to the farthest vertex last finds each block's corner beyond the bound
    // so far, and passes over none. The chords of the runs that a stalled ring splits one after
    // another move little, and the farthest vertex with them: measured first, the last scan's
    // (the last vertex that raised its bound) lets the walk pass over the blocks short of it.
    // A vertex measured twice changes nothing.
    const bool blocked = hull_size(node) > kBlockedHull;
    if (blocked && kept.farthest_position != kNoHint) {
        ++visited;
        measure(scaled_from(c, points_[vertices_[kept.farthest_position]], scale),
                kept.farthest_position);
    }
    walk_around(node, visit, passed_over);
    if (blocked) {
        KeptCentre& now = kept_centres_[node];
        if (farthest_vertex != kNoHint) {
            now.farthest_position = farthest_vertex;
        }
        if (!centre_kept) {
            now = {c, scale, (same_centre ? kept.visited : 0) + (visited - visited_before), 0,
                   now.farthest_position};
            if (now.visited >= hull_size(node) / 4) {
                now.stamp = ++last_stamp_;
            }
        }
    }
    if (seen > 1 && first.on_side != previous.on_side) {
        const double across = std::max(first.across, previous.across);
        farthest = std::max(farthest, (tau * tau + across * across) / f_squared);
    }
    if (!(largest_term <= kLargestScanned && farthest <= kLargestScanned)) {
        return std::nullopt;
    }
    return farthest;
}

std::optional<NodeHulls::AcrossInStrip> NodeHulls::largest_across_in_strip(
    std::size_t node, Coordinate c, Coordinate f, double low, double high, double scale,
    double enough, std::size_t& visited) const {
    if (!(std::fabs(f.x) + std::fabs(f.y) < kLargestStripped && low <= high)) {
        return std::nullopt;
    }
    // A vertex's values along f and across it, f x (v - c), each with the bound on its rounding
    // error.
    struct Seen {
        double along;
        double along_error;
        double across;
        double across_error;
        // The largest |f x (v - c)| that the vertex may have.
        double across_most() const { return std::fabs(across) + across_error; }
    };
    const auto seen_at = [&](double px, double py) {
        const double along_terms = std::fabs(f.x * px) + std::fabs(f.y * py);
        const double across_terms = std::fabs(f.x * py) + std::fabs(f.y * px);
        return Seen{f.x * px + f.y * py, along_terms * kScanError + kTinyScanError,
                    f.x * py - f.y * px, across_terms * kScanError + kTinyScanError};
    };
    // The value at the point where the edge from a to b may cross the line f.(p - c) = t: at
    // most the larger of its ends', as it is linear along the edge; and where the ends lie
    // apart along f beyond their errors, the crossing divides the edge in a ratio known within
    // those errors, which weighs a far end's value down.
    const auto at_crossing = [](const Seen& a, const Seen& b, double t) {
        const Seen& high_end = a.along >= b.along ? a : b;
        const Seen& low_end = a.along >= b.along ? b : a;
        const double larger_end = std::max(a.across_most(), b.across_most());
        if (!(high_end.along - high_end.along_error > low_end.along + low_end.along_error)) {
            return larger_end;
        }
        // How far the ends lie from the line, beyond it and short of it: at most and at least.
        const double beyond_most =
            std::max(0.0, high_end.along + high_end.along_error - t + kCrossingMargin);
        const double beyond_least =
            std::max(0.0, high_end.along - high_end.along_error - t - kCrossingMargin);
        const double short_most =
            std::max(0.0, t - (low_end.along - low_end.along_error) + kCrossingMargin);
        const double short_least =
            std::max(0.0, t - (low_end.along + low_end.along_error) - kCrossingMargin);
        // The crossing's weight on the low end lies between these; the value there is linear
        // in it.
        const double weight_least = beyond_least / (beyond_least + short_most);
        const double weight_most = beyond_most / (beyond_most + short_least);
        const double step = low_end.across - high_end.across;
        const double value = std::max(std::fabs(high_end.across + weight_least * step),
                                      std::fabs(high_end.across + weight_most * step));
        return std::min(larger_end, value + std::max(high_end.across_error, low_end.across_error) +
                                        kCrossingMargin);
    };
    const auto may_cross = [](const Seen& a, const Seen& b, double t) {
        return std::min(a.along - a.along_error, b.along - b.along_error) <= t &&
               std::max(a.along + a.along_error, b.along + b.along_error) >= t;
    };
    double largest = 0.0;
    double at_vertices = 0.0;
    bool in_range = true;
    Seen first{};
    Seen previous{};
    std::size_t seen = 0;
    const auto edge = [&](const Seen& a, const Seen& b) {
        for (const double t : {low, high}) {
            if (may_cross(a, b, t)) {
                largest = std::max(largest, at_crossing(a, b, t));
            }
        }
    };
    const auto visit = [&](Coordinate v, std::uint32_t) {
        ++visited;
        const double px = (v.x - c.x) * scale;
        const double py = (v.y - c.y) * scale;
        if (!(std::fabs(px) < kLargestStripped && std::fabs(py) < kLargestStripped)) {
            in_range = false;
            return;
        }
        const Seen now = seen_at(px, py);
        if (now.along + now.along_error >= low && now.along - now.along_error <= high) {
            at_vertices = std::max(at_vertices, now.across_most());
        }
        if (seen > 0) {
            edge(previous, now);
        } else {
            first = now;
        }
        previous = now;
        ++seen;
    };
    // A block's first and last vertices are visited as usual, so that the edges between
    // blocks count; the vertices between them, and the points where the edges joining them
    // cross the strip's lines, lie in the block's box, whose largest corner value then stands
    // for them, or which lies wholly on one side of the strip.
    const auto passed_over = [&](std::size_t level, std::size_t block) {
        const NodeBox& box = block_box(level, block);
        ++visited;
        const double x0 = (box.min_x - c.x) * scale;
        const double x1 = (box.max_x - c.x) * scale;
        const double y0 = (box.min_y - c.y) * scale;
        const double y1 = (box.max_y - c.y) * scale;
        if (!(std::max({std::fabs(x0), std::fabs(x1), std::fabs(y0), std::fabs(y1)}) <
              kLargestStripped)) {
            return false;
        }
        const Seen top = seen_at(f.x >= 0.0 ? x1 : x0, f.y >= 0.0 ? y1 : y0);
        const Seen bottom = seen_at(f.x >= 0.0 ? x0 : x1, f.y >= 0.0 ? y0 : y1);
        if (top.along + top.along_error < low || bottom.along - bottom.along_error > high) {
            return true;
        }
        const double corner =
            std::max({seen_at(x0, y0).across_most(), seen_at(x0, y1).across_most(),
                      seen_at(x1, y0).across_most(), seen_at(x1, y1).across_most()});
        if (corner <= enough) {
            largest = std::max(largest, corner);
            return true;
        }
        return false;
    };
    walk_around(node, visit, passed_over);
    if (seen > 1) {
        edge(previous, first);
    }
    if (!in_range) {
        return std::nullopt;
    }
    return AcrossInStrip{std::max(largest, at_vertices) * kCrossingSlack, at_vertices};
}

std::optional<Coordinate> NodeHulls::extreme(std::size_t node, Coordinate f, Search search) const {
    const Chains chains = chains_[node];
    // Along the upper chain the steps turn clockwise from at most straight up to more than
    // straight down, so for f.y > 0 their signs along f run +, ..., + then 0 or -, ..., -: the
    // extreme vertex starts the first step that does not go along f. The lower chain mirrors
    // this for f.y < 0. For f.y = 0 the extreme is an end.
    const bool upper = f.y >= 0.0;
    const std::uint32_t* chain =
        vertices_.data() + (upper ? chains.upper_begin : chains.lower_begin);
    const std::size_t count =
        upper ? chains.upper_end - chains.upper_begin : chains.lower_end - chains.lower_begin;
    if (f.y == 0.0) {
        return points_[f.x >= 0.0 ? chain[count - 1] : chain[0]];
    }
    // The first step that does not go along f lies in [low, high]; `high` may be the end,
    // count - 1, which stands for "every step goes along f". Signs the search cannot decide
    // leave it undecided.
    const auto step_along = [&](std::size_t step) {
        return sign_of_step_along(f, points_[chain[step]], points_[chain[step + 1]]);
    };
    if (hints_.empty()) {
        hints_.assign(2 * kSearches * chains_.size(), kNoHint);
    }
    std::uint32_t* const hints = &hints_[2 * (kSearches * node + static_cast<std::size_t>(search))];
    const std::uint32_t eighth = eighth_of(f);
    const std::uint32_t hint = start_position(hints, eighth);
    std::size_t low = 0;
    std::size_t high = count - 1;
    if (hint != kNoHint) {
        // Galloping from the hint, by 1, 2, 4, ... steps toward the new answer, brackets it in
        // about 2 log2 d signs when it lies d steps away; the bisection below finishes.
        const std::size_t start = std::min<std::size_t>(hint, high);
        const Sign at_start = start < high ? step_along(start) : Sign::Zero;
        if (at_start == Sign::Unknown) {
            return std::nullopt;
        }
        const bool forward = at_start == Sign::Positive;
        (forward ? low : high) = forward ? start + 1 : start;
        for (std::size_t reach = 1; low < high; reach *= 2) {
            const std::size_t probe =
                forward ? low + reach - 1 : (high > low + reach ? high - reach : low);
            if (probe >= high) {
                break;
            }
            const Sign sign = step_along(probe);
            if (sign == Sign::Unknown) {
                return std::nullopt;
            }
            (sign == Sign::Positive ? low : high) = sign == Sign::Positive ? probe + 1 : probe;
            if (forward != (sign == Sign::Positive)) {
                break;
            }
        }
    }
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        // The step's ends lie anywhere in the ring, so each step waits on memory: the ends of
        // both possible next steps are fetched while this one is decided.
        if (low < middle) {
            const std::size_t below = low + (middle - low) / 2;
            __builtin_prefetch(&points_[chain[below]]);
            __builtin_prefetch(&points_[chain[below + 1]]);
        }
        if (middle + 1 < high) {
            const std::size_t above = middle + 1 + (high - middle - 1) / 2;
            __builtin_prefetch(&points_[chain[above]]);
            __builtin_prefetch(&points_[chain[above + 1]]);
        }
        const Sign step = step_along(middle);
        if (step == Sign::Unknown) {
            return std::nullopt;
        }
        if (step == Sign::Positive) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    remember(hints, low, eighth);
    return points_[chain[low]];
}

}  // namespace quorvel
