// Checks DistanceToShortChord, one point at a time and in lanes, against DistanceToSegment, bit
// for bit: at two points where a product rounded to 53 bits lands on a half step of the
// subnormal grid, though the exact product does not; on random chords whose squared length is
// subnormal, at points near them, on the grids of their products, where roundings tie, far from
// them and at subnormal coordinates; at the edges of its range; and that it serves only such
// chords. Then the bound of the simplification guard over a box, which works out the spans of
// such a chord's numerators in the same scaled frame, against the same bound worked out
// unscaled.
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <optional>
#include <random>

#include "check.h"
#include "farthest_cache.h"
#include "guard_bounds.h"
#include "node_bound.h"
#include "node_hulls.h"
#include "segment_distance.h"
#include "short_chord_distance.h"

namespace {

using quorvel::Coordinate;
using quorvel::DistanceToSegment;
using quorvel::DistanceToShortChord;

bool same_bits(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b) ||
           (std::isnan(a) && std::isnan(b));
}

// The points that the lanes measured on the line's branch, rather than leaving them to the
// measure one by one.
int lanes_on_line = 0;

// Whether the two measures agree at p, one by one and in lanes; prints the case where they do
// not.
bool agree_at(const DistanceToSegment& plain, Coordinate p) {
    const std::optional<DistanceToShortChord> short_chord = DistanceToShortChord::over(plain);
    if (!short_chord) {
        std::fprintf(stderr, "no measure for the chord {%a, %a}, {%a, %a}\n", plain.start().x,
                     plain.start().y, plain.end().x, plain.end().y);
        return false;
    }
    const double expected = plain(p);
    const double got = (*short_chord)(p);
    // The same point in both lanes of a pair, beside another point in the other order, so that
    // each lane serves it once.
    using Pair = double __attribute__((vector_size(16)));
    using PairMask = std::int64_t __attribute__((vector_size(16)));
    const Coordinate other = plain.end();
    PairMask elsewhere;
    const Pair first = short_chord->line_lanes(Pair{p.x, other.x}, Pair{p.y, other.y}, elsewhere);
    const double in_first = elsewhere[0] != 0 ? got : first[0];
    const Pair second = short_chord->line_lanes(Pair{other.x, p.x}, Pair{other.y, p.y}, elsewhere);
    const double in_second = elsewhere[1] != 0 ? got : second[1];
    lanes_on_line += elsewhere[1] == 0 ? 1 : 0;
    if (same_bits(expected, got) && same_bits(expected, in_first) &&
        same_bits(expected, in_second)) {
        return true;
    }
    std::fprintf(stderr,
                 "chord {%a, %a}, {%a, %a}, point {%a, %a}: %a and in lanes %a, %a, not %a\n",
                 plain.start().x, plain.start().y, plain.end().x, plain.end().y, p.x, p.y, got,
                 in_first, in_second, expected);
    return false;
}

// Found among random chords: there the 53-bit product lies on a half step, the exact one just
// beside it, and the distance changes with the side taken.
void check_products_beside_half_steps() {
    struct Case {
        Coordinate s;
        Coordinate e;
        Coordinate p;
    };
    const Case cases[] = {
        {{0x1.c32db1fd450d4p-538, -0x1.119336391282ep-537},
         {0x1.d70cb6c7f5143p-532, -0x1.0464cd8e44a0cp-535},
         {0x1.030cb6c7f5143p-532, -0x1.44464cd8e44a1p-531}},
        {{-0x1.6d600c1d23a5fp-532, 0x1.be50f8b7259aap-532},
         {-0x1.7ab0060e91d3p-531, -0x1.4d783a46d32bp-535},
         {-0x1.8e58030748e98p-530, 0x1.1e943e2dc966ap-530}},
    };
    for (const Case& c : cases) {
        check::expect(agree_at(DistanceToSegment(c.s, c.e), c.p),
                      "a product beside a half step is rounded to its own side");
    }
}

// A random chord whose squared length is subnormal, and points about it.
void check_random_chords() {
    std::mt19937_64 random(2026);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    const auto power = [](int exponent) { return std::ldexp(1.0, exponent); };
    int chords = 0;
    int failures = 0;
    while (chords < 100000) {
        // From the largest subnormal squared lengths, whose products near the points reach the
        // normal doubles, down.
        const double size = power(-512 - static_cast<int>(random() % 48));
        // Most chords lie near the origin; some far out, where the coordinates' own steps are
        // coarse.
        const double offset = random() % 4 == 0 ? power(-static_cast<int>(random() % 500)) : size;
        const Coordinate s{unit(random) * offset, unit(random) * offset};
        Coordinate e{s.x + unit(random) * size, s.y + unit(random) * size};
        if (random() % 8 == 0) {
            // Differences on a coarse grid, whose products tie often.
            e = {s.x + std::round(unit(random) * 64) * power(-537),
                 s.y + std::round(unit(random) * 64) * power(-537)};
        }
        const DistanceToSegment plain(s, e);
        if (!DistanceToShortChord::over(plain)) {
            continue;
        }
        ++chords;
        for (int k = 0; k < 64; ++k) {
            const double reach = random() % 4 == 0 ? 64.0 : 2.0;
            Coordinate p{s.x + unit(random) * size * reach, s.y + unit(random) * size * reach};
            switch (random() % 16) {
                case 0:
                case 1:
                case 2:
                case 3:
                    p = {s.x + std::round(unit(random) * 512) * power(-538),
                         s.y + std::round(unit(random) * 512) * power(-538)};
                    break;
                case 4:
                    p = {unit(random) * power(-static_cast<int>(random() % 1075)),
                         unit(random) * power(-static_cast<int>(random() % 1075))};
                    break;
                case 5:
                    // Far enough that the products are normal, or the differences out of range.
                    p = {unit(random) * power(static_cast<int>(random() % 1500) - 700),
                         unit(random) * power(static_cast<int>(random() % 1500) - 700)};
                    break;
                default:
                    break;
            }
            if (!agree_at(plain, p) && ++failures > 10) {
                check::expect(false, "random chords: more than 10 points disagree");
                return;
            }
        }
    }
    check::expect(failures == 0, "random chords: every point agrees");
    check::expect(lanes_on_line > 1'000'000, "random chords: most points measured in lanes");
}

void check_edges_of_range() {
    constexpr double kInf = std::numeric_limits<double>::infinity();
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    const Coordinate s{0x1p-540, -0x1p-541};
    const Coordinate e{0x1.8p-530, 0x1p-531};
    const DistanceToSegment plain(s, e);
    const Coordinate points[] = {
        s,
        e,
        {0.0, 0.0},
        {-0.0, 0x1p-1074},
        {0x1p-1074, -0x1p-1074},
        {0x1p399, 0x1p-530},
        {0x1p401, 0x1p-530},
        {0x1p-530, -0x1p450},
        {std::numeric_limits<double>::max(), 0.0},
        {kInf, 0.0},
        {0.0, -kInf},
        {kNaN, 0x1p-530},
        {0x1p-530, kNaN},
    };
    for (const Coordinate& p : points) {
        check::expect(agree_at(plain, p), "points at the edges of the range agree");
    }
}

void check_chords_served() {
    const auto serves = [](Coordinate s, Coordinate e) {
        return DistanceToShortChord::over(DistanceToSegment(s, e)).has_value();
    };
    check::expect(serves({0.0, 0.0}, {0x1p-520, 0x1p-520}), "a subnormal squared length serves");
    check::expect(serves({0.0, 0.0}, {0x1p-537, 0.0}), "the least squared length serves");
    check::expect(!serves({0.0, 0.0}, {0x1p-511, 0.0}), "a normal squared length does not");
    check::expect(!serves({0.0, 0.0}, {0x1p-538, 0.0}), "a squared length of 0 does not");
    check::expect(!serves({1e-160, 1e-160}, {1e-160, 1e-160}), "a degenerate chord does not");
    check::expect(!serves({1.0, 2.0}, {3.0, 4.0}), "an ordinary chord does not");
}

// The box's bound as NodeBound<false> works it out where the chord's squared length is normal:
// each span from the products as the doubles round them (guard_bounds.h, 2 to 5).
double box_bound_unscaled(const DistanceToSegment& distance, const quorvel::NodeBox& box,
                          double limit) {
    using namespace quorvel::guard_bounds;
    const Coordinate s = distance.start();
    const Span u = difference_from(s.x, box.min_x, box.max_x);
    const Span v = difference_from(s.y, box.min_y, box.max_y);
    const double dx = distance.dx();
    const double dy = distance.dy();
    const Branches branches = possible_branches(over<false>(
        plus<false>(times<false>(negated(u), dx), times<false>(negated(v), dy)), distance.len2()));
    Reach reach{branches, 0.0, 0.0, 0.0, 0.0};
    if (branches.start) {
        reach.to_start = hypot_bound(magnitude(u), magnitude(v), limit);
    }
    if (branches.end) {
        const Coordinate from_end = largest_offsets(box, distance.end());
        reach.to_end = hypot_bound(from_end.x, from_end.y, limit);
    }
    if (branches.line) {
        reach.to_line =
            line_bound<false>(plus<false>(times<false>(v, dx), negated(times<false>(u, dy))),
                              distance.len2(), distance.length());
    }
    return reach.bound();
}

// The guard's bound over boxes about random short chords equals the unscaled one, bit for bit,
// and is at least the distance of each of the box's corners.
void check_box_bounds() {
    std::mt19937_64 random(1074);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    const quorvel::NodeHulls hulls;
    const quorvel::Ring ring;
    quorvel::FarthestCache cache;
    std::size_t parts_wanted = 0;
    int boxes = 0;
    int failures = 0;
    while (boxes < 200000 && failures <= 10) {
        const double size = std::ldexp(1.0, -512 - static_cast<int>(random() % 48));
        const Coordinate s{unit(random) * size, unit(random) * size};
        const Coordinate e{s.x + unit(random) * size, s.y + unit(random) * size};
        const DistanceToSegment distance(s, e);
        if (!DistanceToShortChord::over(distance)) {
            continue;
        }
        ++boxes;
        // Corners on a grid of the chord's size, whose products tie often, or anywhere near.
        const auto near = [&] {
            return random() % 2 == 0 ? std::round(unit(random) * 256) * size / 128
                                     : unit(random) * size * 2;
        };
        const double x0 = s.x + near();
        const double x1 = s.x + near();
        const double y0 = s.y + near();
        const double y1 = s.y + near();
        const quorvel::NodeBox box{std::min(x0, x1), std::max(x0, x1), std::min(y0, y1),
                                   std::max(y0, y1)};
        const quorvel::guard_bounds::NodeBound<false> bound(distance, hulls, {}, parts_wanted, ring,
                                                            cache);
        for (const double limit : {0.0, size}) {
            const double expected = box_bound_unscaled(distance, box, limit);
            const double got = bound(box, limit);
            bool holds = same_bits(expected, got);
            for (const Coordinate corner :
                 {Coordinate{box.min_x, box.min_y}, Coordinate{box.min_x, box.max_y},
                  Coordinate{box.max_x, box.min_y}, Coordinate{box.max_x, box.max_y}}) {
                holds = holds && got >= distance(corner);
            }
            if (!holds) {
                ++failures;
                std::fprintf(stderr, "chord {%a, %a}, {%a, %a}, box %a %a %a %a: %a, not %a\n", s.x,
                             s.y, e.x, e.y, box.min_x, box.max_x, box.min_y, box.max_y, got,
                             expected);
            }
        }
    }
    check::expect(failures == 0, "the box's bound is the unscaled one and holds at its corners");
}

}  // namespace

int main() {
    check_products_beside_half_steps();
    check_random_chords();
    check_edges_of_range();
    check_chords_served();
    check_box_bounds();
    return check::status();
}
