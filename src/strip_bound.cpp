// The line branch bounded over a node's hulls cut to the chord's strip (strip_bound.h; the
// proof is section 13 of guard_bounds.h).
#include "strip_bound.h"

#include <algorithm>
#include <cmath>

#include "guard_bounds.h"

namespace quorvel {

namespace guard_bounds {

namespace {

// NodeHulls::largest_across_in_strip() for the strip from -kStripMargin to `high` from s, over
// the hulls of the node's parts: the largest of them, or none where the parts have not been
// laid or one has no hull for the node.
std::optional<double> largest_across_in_parts(StripHulls hulls, std::size_t node, Coordinate s,
                                              Coordinate f, double high, double scale,
                                              double enough, std::size_t& visited) {
    if (hulls.parts.empty()) {
        ++hulls.parts_wanted;
        return std::nullopt;
    }
    if (!std::ranges::all_of(hulls.parts,
                             [node](const NodeHulls& part) { return part.has_hull(node); })) {
        return std::nullopt;
    }
    double largest = 0.0;
    for (const NodeHulls& part : hulls.parts) {
        const std::optional<NodeHulls::AcrossInStrip> across =
            part.largest_across_in_strip(node, s, f, -kStripMargin, high, scale, enough, visited);
        if (!across) {
            return std::nullopt;
        }
        largest = std::max(largest, across->bound);
    }
    return largest;
}

}  // namespace

std::optional<double> line_bound_in_strip(const DistanceToSegment& distance, const NodeBox& box,
                                          std::size_t node, double limit, StripHulls hulls,
                                          std::size_t& work) {
    const double dx = distance.dx();
    const double dy = distance.dy();
    const double len2 = distance.len2();
    const Coordinate s = distance.start();
    const Coordinate offsets = largest_offsets(box, s);
    const double chord_size = std::fabs(dx) + std::fabs(dy);
    if (!(len2 >= kSmallestOrdinaryLen2 && len2 < kInfinity &&
          (offsets.x + offsets.y) * chord_size >= kLargestHullScale)) {
        return std::nullopt;
    }
    // One product at least of a point's numerator of r does not overflow, so no r is NaN.
    const double largest = std::max(offsets.x, offsets.y);
    const Coordinate products = products_of_r(distance, offsets);
    if (!((products.x < kInfinity || products.y < kInfinity) && largest < kInfinity)) {
        return std::nullopt;
    }
    const int shift = binary_exponent(largest);
    const int f_shift = binary_exponent(chord_size);
    const int both = shift + f_shift;
    const Coordinate f{times_two_to(dx, -f_shift), times_two_to(dy, -f_shift)};
    if (!(times_two_to(f.x, f_shift) == dx && times_two_to(f.y, f_shift) == dy)) {
        return std::nullopt;
    }
    const double high = times_two_to(len2, -both) * kStripWidening + kStripMargin;
    // The points of the line branch lie in the strip: |T'| is at most `high` there.
    const double along = std::min(high, kStripAlong);
    const double largest_sum = times_two_to(kLargestStripSum, -both);
    // Blocks of vertices that cannot keep the bound above the limit need not be visited. A block
    // passed over counts with its box's farthest corner, so a block whose corner would take the
    // bound past the largest sum is visited: its vertices may not, and a bound refused there
    // kept whole nodes, and their children, that the bound from the vertices drops.
    const double enough =
        std::min(times_two_to(limit / distance.length(), -shift) * times_two_to(len2, -f_shift),
                 largest_sum - along) *
        (1.0 - 0x1p-40);
    const double scale = times_two_to(1.0, -shift);
    std::size_t visited = 0;
    const std::optional<NodeHulls::AcrossInStrip> own =
        hulls.own.largest_across_in_strip(node, s, f, -kStripMargin, high, scale, enough, visited);
    std::optional<double> across;
    if (own) {
        across = own->bound;
    }
    // Where the node's hull spans the gaps between parts of the ring far apart, a corner of it,
    // though not its vertices, the node's own points, may lie where numerators overflow; the
    // parts' own hulls are tighter.
    if (own && !(along + own->bound <= largest_sum) && along + own->at_vertices <= largest_sum) {
        const std::optional<double> in_parts =
            largest_across_in_parts(hulls, node, s, f, high, scale, enough, visited);
        if (in_parts && !(across && *across <= *in_parts)) {
            across = in_parts;
        }
    }
    work += kScanWork * visited;
    if (!across || !(along + *across <= largest_sum)) {
        return std::nullopt;
    }
    const double numerator = times_two_to(*across * kStripSlack + kStripTinySlack, both);
    return line_bound<false>({-numerator, numerator, false}, len2, distance.length());
}

}  // namespace guard_bounds

}  // namespace quorvel
