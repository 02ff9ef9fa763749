// Every way of finding where a run splits gives split_plain's answer, bit for bit: the screened
// scan in two and four lanes, the guard on its own and the guard taking over from a scan, on
// rings built to stall Ramer-Douglas-Peucker (zigzags straight, turned, growing; spirals; combs
// at 45 degrees; points tied on a circle; a line toward an end whose chords overflow; a spiral
// and a line visited in turn; a zigzag that comes back to the same points), on random rings, at the
// extremes of the double range, with NaN and infinite coordinates and tolerances, and at tolerances
// one unit in the last place around a distance of the ring. The guard is also asked about arbitrary
// runs directly. The bounds' scaling by powers of two is checked against the math library.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "check.h"
#include "guard_bounds.h"
#include "segment_distance.h"
#include "smooth_and_simplify.h"
#include "split_guard.h"
#include "split_plain.h"
#include "split_screened.h"

namespace {

using quorvel::Coordinate;
using quorvel::Ring;
using quorvel::SplitGuardUse;
using quorvel::SplitKernels;
using quorvel::SplitScan;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::vector<SplitKernels> kernels_to_check() {
    std::vector<SplitKernels> kernels = {
        {SplitScan::TwoLanes, SplitGuardUse::Never},
        {SplitScan::Plain, SplitGuardUse::Always},
        {SplitScan::TwoLanes, SplitGuardUse::Always},
        {SplitScan::Plain, SplitGuardUse::WhenStalled, 0},
        {SplitScan::TwoLanes, SplitGuardUse::WhenStalled, 2},
        {SplitScan::TwoLanes, SplitGuardUse::WhenStalled},
    };
    if (quorvel::four_lanes_supported()) {
        kernels.push_back({SplitScan::FourLanes, SplitGuardUse::Never});
        kernels.push_back({SplitScan::FourLanes, SplitGuardUse::WhenStalled, 1});
    }
    return kernels;
}

std::string describe(SplitKernels k) {
    const char* scans[] = {"plain", "two lanes", "four lanes"};
    const char* guards[] = {"never", "when stalled", "always"};
    return std::string(scans[static_cast<int>(k.scan)]) + ", guard " +
           guards[static_cast<int>(k.guard)] + ", stall factor " + std::to_string(k.stall_factor);
}

bool same_bits(const Ring& a, const Ring& b) {
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof a[0]) == 0);
}

// Simplifies `ring` with every kernel and expects split_plain's bytes.
void expect_all_agree(const std::string& name, const Ring& ring, double tolerance) {
    const Ring expected =
        quorvel::simplify_ring(ring, tolerance, {SplitScan::Plain, SplitGuardUse::Never});
    for (const SplitKernels kernels : kernels_to_check()) {
        const Ring got = quorvel::simplify_ring(ring, tolerance, kernels);
        if (!same_bits(got, expected)) {
            char tolerance_text[40];
            std::snprintf(tolerance_text, sizeof tolerance_text, "%a", tolerance);
            check::expect(false, (name + ", tolerance " + tolerance_text + ": " +
                                  describe(kernels) + " differs from the plain scan")
                                     .c_str());
        }
    }
}

Ring smoothed(const Ring& ring) {
    Ring once = quorvel::cut_corners(ring);
    Ring twice = quorvel::cut_corners(once);
    quorvel::close_ring(twice);
    return twice;
}

// ---- Rings that stall the scan ----

Ring zigzag(int n, bool growing) {
    Ring ring{{0, -1e7}};
    for (int i = 0; i < n; ++i) {
        const double amplitude = growing ? i + 10 : n - i + 10;
        ring.push_back({i % 2 == 0 ? amplitude : -amplitude, 0});
    }
    ring.push_back({0, -1e7});
    return ring;
}

Ring turned(const Ring& ring, double degrees, Coordinate offset) {
    const double c = std::cos(degrees * M_PI / 180);
    const double s = std::sin(degrees * M_PI / 180);
    Ring out;
    for (const Coordinate p : ring) {
        out.push_back({p.x * c - p.y * s + offset.x, p.x * s + p.y * c + offset.y});
    }
    return out;
}

Ring scaled(const Ring& ring, double factor) {
    Ring out;
    for (const Coordinate p : ring) {
        out.push_back({p.x * factor, p.y * factor});
    }
    return out;
}

Ring spiral(int n, int turns) {
    Ring ring;
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / n;
        const double angle = 2 * M_PI * turns * t;
        const double radius = 1000.0 * (1 - 0.9 * t);
        ring.push_back({radius * std::cos(angle), radius * std::sin(angle)});
    }
    ring.push_back(ring.front());
    return ring;
}

// Two parallel lines at 45 degrees, visited in alternate pairs, gap shrinking or constant (then
// every point of one line ties exactly for chords along the other), closed far along them.
Ring comb(int n, double gap, bool shrinking) {
    Ring ring{{1e7, 1e7}};
    for (int i = 0; i < n / 4; ++i) {
        const double t = 4.0 * i;
        const double g = shrinking ? gap * (1 - i / (0.5 * n)) : gap;
        ring.push_back({t, t});
        ring.push_back({t + 1, t + 1});
        ring.push_back({t + 2, t + 2 + g});
        ring.push_back({t + 3, t + 3 + g});
    }
    ring.push_back({1e7, 1e7});
    return ring;
}

// Integer points exactly on a circle of radius 5 * 13 * 17 * 29 = 32045 around the ring's first
// point, in alternating pairs on opposite sides: every distance to the centre ties exactly.
Ring circle_ties(int pairs) {
    std::vector<Coordinate> arc;
    const long long c = 5LL * 13 * 17 * 29;
    for (long long x = 1; x < c && static_cast<int>(arc.size()) < 4 * pairs; ++x) {
        const long long y2 = c * c - x * x;
        const long long y =
            static_cast<long long>(std::llround(std::sqrt(static_cast<double>(y2))));
        if (y * y == y2) {
            arc.push_back({static_cast<double>(x), static_cast<double>(y)});
        }
    }
    Ring ring{{0, 0}, {0, 0}, {0, 0}};
    for (std::size_t i = 0; i < arc.size(); ++i) {
        const Coordinate a = arc[i];
        const Coordinate b = arc[(i * 7) % arc.size()];
        ring.insert(ring.end(), {a, a, {-b.x, -b.y}, {-b.x, -b.y}});
    }
    ring.insert(ring.end(), {{0, 0}, {0, 0}});
    return ring;
}

// Points rounded onto a circle around the ring's first point, in alternating pairs on opposite
// sides: distances to the centre differ by rounding alone, so bounds decide to the last bit.
Ring circle_rounded(std::mt19937_64& random, int pairs, double radius) {
    std::uniform_real_distribution<double> angle(0.0, M_PI / 2);
    Ring ring{{0, 0}, {0, 0}, {0, 0}};
    for (int i = 0; i < pairs; ++i) {
        const double a = angle(random);
        const double b = angle(random);
        const Coordinate p{radius * std::cos(a), radius * std::sin(a)};
        const Coordinate q{-radius * std::cos(b), -radius * std::sin(b)};
        ring.insert(ring.end(), {p, p, q, q});
    }
    ring.insert(ring.end(), {{0, 0}, {0, 0}});
    return ring;
}

Ring random_ring(std::mt19937_64& random, int n, double scale) {
    std::uniform_real_distribution<double> coordinate(-scale, scale);
    Ring ring;
    for (int i = 0; i < n; ++i) {
        ring.push_back({coordinate(random), coordinate(random)});
    }
    ring.push_back(ring.front());
    return ring;
}

// Points along a line of length `length`, turned by one radian, every other one moved off it by
// up to `across` on either side: where the chord lies along the line and `across` times its
// length passes the largest double, the numerators of the points beside it overflow and their
// distances are infinite.
Ring line_with_points_across(std::mt19937_64& random, int n, double length, double across) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const double c = std::cos(1.0);
    const double s = std::sin(1.0);
    Ring ring;
    for (int i = 0; i < n; ++i) {
        const double t = i % 2 == 0 ? static_cast<double>(i) / n : unit(random);
        const double y = i % 2 == 0 ? 0.0 : (i % 4 == 1 ? 1.0 : -1.0) * unit(random) * across;
        ring.push_back({t * length * c - y * s, t * length * s + y * c});
    }
    ring.push_back(ring.front());
    return ring;
}

// Points within 1e-140 of the origin, every third one near (1e155, +-1e155) instead: a chord
// between the two kinds overflows, and the distances from its start to the points near it lie
// below the range of the cheap bound on hypot, so that those points must be measured exactly.
Ring tiny_points_and_far_ones(std::mt19937_64& random, int n) {
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    Ring ring;
    for (int i = 0; i < n; ++i) {
        if (i % 3 == 0) {
            ring.push_back({1e155 * (1.0 + unit(random) / 4), (i % 2 == 0 ? 1e155 : -1e155)});
        } else {
            ring.push_back({unit(random) * 1e-140, unit(random) * 1e-140});
        }
    }
    ring.push_back(ring.front());
    return ring;
}

// A random walk with duplicated points, runs along the axes and on diagonals.
Ring random_walk(std::mt19937_64& random, int n) {
    std::uniform_int_distribution<int> step(-3, 3);
    std::uniform_int_distribution<int> kind(0, 9);
    Ring ring{{0, 0}};
    for (int i = 1; i < n; ++i) {
        Coordinate p = ring.back();
        switch (kind(random)) {
            case 0:
                break;  // a duplicate
            case 1:
                p.x += step(random);
                break;
            case 2:
                p.x += 1;
                p.y += 1;
                break;
            default:
                p.x += step(random) * 0.25;
                p.y += step(random) * 0.5;
        }
        ring.push_back(p);
    }
    ring.push_back(ring.front());
    return ring;
}

void check_shapes() {
    const double tolerances[] = {0.01, 0.5, 3.0, 1e-300, 1e6};
    struct Shape {
        std::string name;
        Ring ring;
    };
    std::mt19937_64 random(5);
    const std::vector<Shape> shapes = {
        {"circle rounded", circle_rounded(random, 150, 1000.0 / 3)},
        {"comb with rounded ties", turned(comb(1200, 16, false), 31, {0.3, 0.7})},
        {"zigzag", zigzag(400, false)},
        {"growing zigzag", zigzag(400, true)},
        {"turned zigzag", turned(zigzag(400, false), 30, {0.1234, -7.5678})},
        {"zigzag at 45 degrees", turned(zigzag(300, false), 45, {0, 0})},
        {"spiral", spiral(2000, 40)},
        {"shrinking comb", comb(1600, 16, true)},
        {"comb with exact ties", comb(1600, 16, false)},
        {"circle with exact ties", circle_ties(60)},
    };
    for (const Shape& shape : shapes) {
        for (const double tolerance : tolerances) {
            expect_all_agree(shape.name, smoothed(shape.ring), tolerance);
        }
    }
    // Near the radius, where only the last bits of the distances to the centre decide.
    const Ring rounded = smoothed(circle_rounded(random, 1500, 1000.0 / 3));
    for (const double tolerance : {300.0, 333.0, 333.33}) {
        expect_all_agree("circle rounded", rounded, tolerance);
    }
    const Ring tied = smoothed(circle_ties(100));
    for (const double tolerance : {30000.0, 32044.0, 32044.9}) {
        expect_all_agree("circle with exact ties", tied, tolerance);
    }
    // The same shapes at the ends of the double range: huge, tiny (where squared chords
    // underflow to zero) and subnormal.
    for (const double factor :
         {0x1p500, 1e150, 1e156, 0x1p990, 1e-150, 0x1p-600, 0x1p-1000, 1e-320}) {
        for (const Shape& shape : shapes) {
            const Ring ring = smoothed(scaled(shape.ring, factor));
            expect_all_agree(shape.name + " scaled", ring, 0.01 * factor);
            expect_all_agree(shape.name + " scaled", ring, 1e-300);
        }
    }
}

void check_random_rings() {
    std::mt19937_64 random(20240613);
    for (int round = 0; round < 60; ++round) {
        const double scale = std::ldexp(1.0, static_cast<int>(random() % 80) - 40);
        const Ring ring = random_ring(random, 50 + static_cast<int>(random() % 400), scale);
        expect_all_agree("random ring", ring, scale * 0.05);
        expect_all_agree("random ring smoothed", smoothed(ring), scale * 0.01);
        const Ring walk = smoothed(random_walk(random, 100 + static_cast<int>(random() % 800)));
        expect_all_agree("random walk", walk, 0.1);
        expect_all_agree("random walk", walk, 1.5);
    }
    // Beyond the coordinates that are screened unscaled, up to chords whose squared length
    // overflows and points whose products with a chord's steps do.
    for (int round = 0; round < 60; ++round) {
        const double scale = std::ldexp(1.0, 200 + static_cast<int>(random() % 823));
        const Ring ring = random_ring(random, 50 + static_cast<int>(random() % 400), scale);
        expect_all_agree("random ring far out", ring, scale * 0.05);
        expect_all_agree("random ring far out smoothed", smoothed(ring), scale * 1e-6);
        const Ring walk = smoothed(scaled(random_walk(random, 400), scale * 0x1p-10));
        expect_all_agree("random walk far out", walk, scale * 0x1p-12);
    }
}

// The largest distance of the inner points of each run that the plain scan keeps whole at
// `tolerance`, for up to eight runs with inner points.
std::vector<double> farthest_distances_of_kept_runs(const Ring& ring, double tolerance) {
    const Ring kept =
        quorvel::simplify_ring(ring, tolerance, {SplitScan::Plain, SplitGuardUse::Never});
    std::vector<std::size_t> at;  // where each kept point lies in the ring, in order
    for (std::size_t i = 0; i < ring.size() && at.size() < kept.size(); ++i) {
        if (ring[i] == kept[at.size()]) {
            at.push_back(i);
        }
    }
    std::vector<double> distances;
    for (std::size_t k = 1; k < at.size() && distances.size() < 8; ++k) {
        double farthest = 0.0;
        for (std::size_t i = at[k - 1] + 1; i < at[k]; ++i) {
            farthest = std::max(
                farthest, quorvel::point_segment_distance(ring[i], ring[at[k - 1]], ring[at[k]]));
        }
        if (farthest > 0.0) {
            distances.push_back(farthest);
        }
    }
    return distances;
}

// Tolerances that are distances of the ring, and one unit in the last place either side; NaN,
// infinite and tiny tolerances.
void check_tolerance_edges() {
    std::mt19937_64 random(7);
    const std::vector<Ring> rings = {smoothed(zigzag(120, false)), smoothed(spiral(500, 9)),
                                     smoothed(comb(400, 16, false)), smoothed(circle_ties(30)),
                                     smoothed(scaled(spiral(500, 9), 1e156))};
    for (const Ring& ring : rings) {
        for (int k = 0; k < 12; ++k) {
            const Coordinate p = ring[random() % ring.size()];
            const Coordinate s = ring[random() % ring.size()];
            const Coordinate e = ring[random() % ring.size()];
            const double d = quorvel::point_segment_distance(p, s, e);
            for (const double t : {std::nextafter(d, -kInf), d, std::nextafter(d, kInf)}) {
                expect_all_agree("tolerance at a distance", ring, t);
            }
        }
        for (const double t : {kNaN, kInf, -kInf, 0.0, -0.0, 4.9e-324, 1e308}) {
            expect_all_agree("extreme tolerance", ring, t);
        }
    }
    // Tolerances that equal a run's farthest distance: the runs that a simplification keeps
    // whole are runs of the simplification at that distance too, whose winner then ties the
    // tolerance and must not split. Near 1e-160 their chords' squared lengths are subnormal.
    for (const Ring& ring : {smoothed(spiral(500, 9)), smoothed(scaled(spiral(500, 9), 1e-160)),
                             smoothed(scaled(zigzag(120, false), 1e-160))}) {
        const double scale = std::fabs(ring[1].x) + std::fabs(ring[1].y);
        for (const double t : {scale * 0.01, scale * 0.001}) {
            for (const double farthest : farthest_distances_of_kept_runs(ring, t)) {
                expect_all_agree("tolerance at a run's farthest distance", ring, farthest);
            }
        }
    }
}

// NaN and infinite coordinates: the guard refuses such rings, and the answer stays the scan's.
void check_non_finite_coordinates() {
    Ring ring = smoothed(zigzag(200, false));
    for (const double bad : {kNaN, kInf, -kInf}) {
        Ring spoiled = ring;
        spoiled[spoiled.size() / 3].x = bad;
        spoiled[spoiled.size() / 2].y = bad;
        expect_all_agree("non-finite coordinate", spoiled, 0.01);
        expect_all_agree("non-finite coordinate", spoiled, 5.0);
        quorvel::SplitGuard guard;
        check::expect(!guard.build(spoiled), "the guard refuses a ring with NaN or infinity");
        // One coordinate alone, in the ring's last and partly filled leaf too.
        for (const std::size_t at : {std::size_t{1}, ring.size() - 2}) {
            for (double Coordinate::*axis : {&Coordinate::x, &Coordinate::y}) {
                Ring one = ring;
                one[at].*axis = bad;
                check::expect(!guard.build(one),
                              "the guard refuses a ring with one NaN or infinity");
            }
        }
    }
    // Coordinates near the largest double: differences and products overflow.
    Ring huge = {{0, 0}};
    for (int i = 0; i < 200; ++i) {
        huge.push_back({(i % 2 == 0 ? 1 : -1) * 1.7e308 * (1 - i / 400.0), 1e308 * (i % 3)});
    }
    huge.push_back({0, 0});
    for (const double t : {1e300, 1.0, 1e308}) {
        expect_all_agree("huge coordinates", huge, t);
    }
}

// A line of steps of a few units toward `far`, smoothed and closed.
Ring line_toward(Coordinate far) {
    Ring line;
    for (int i = 0; i < 1500; ++i) {
        line.push_back({7.25 + 5 * i, 7.25 - i});
    }
    line.push_back(far);
    line.push_back(line.front());
    return smoothed(line);
}

// Chords longer than about 1e154, whose squared length overflows: toward an end near the
// largest double, only points whose projection on the chord stays finite can win, the few just
// past the run's start, so every split peels off those few. The guard must agree with the scan
// and find them from its bounds within what one scan of the run costs, where without them it
// would open the whole run and hand every split to the scan.
void check_chords_beyond_overflow() {
    for (const Coordinate far : {Coordinate{-3.37e307, -1.348e308}, Coordinate{8e307, 8e307},
                                 Coordinate{1e155, 1e155}, Coordinate{-1.7e308, 1.7e308}}) {
        for (const double t : {1.0, 0.01, 1e300}) {
            expect_all_agree("line toward an end beyond the overflow", line_toward(far), t);
        }
    }
    // The runs the splitting goes through: from a point of the line to the end near the largest
    // double.
    const Ring ring = line_toward({-3.37e307, -1.348e308});
    std::size_t end = 0;
    for (std::size_t i = 0; i < ring.size(); ++i) {
        if (std::fabs(ring[i].y) > std::fabs(ring[end].y)) {
            end = i;
        }
    }
    quorvel::SplitGuard guard;
    check::expect(guard.build(ring), "the guard accepts a finite ring");
    for (std::size_t first = 0; first + 400 < end; first += 101) {
        const quorvel::Run run{first, end};
        std::size_t work = 0;
        const std::optional<quorvel::Split> split =
            guard.split_within(ring, run, 1.0, run.inner_points(), work);
        check::expect(split.has_value() && *split == quorvel::split_plain(ring, run, 1.0),
                      "the guard decides a run whose chord overflows, within one scan");
    }
}

// Laying the tree of the points in space counts as the guard's work: a search whose allowance
// would not cover laying the root gives up before laying it, spending nothing, and one that
// lays it and its root's children counts at least a unit per point for each, beyond what the
// same search costs once they are laid. The first tree of a run of at most an eighth of the ring
// holds the run's inner points alone; a run beyond them lays one of the whole ring.
void check_laying_in_space_counted() {
    const Ring ring = line_toward({-3.37e307, -1.348e308});
    std::size_t end = 0;
    for (std::size_t i = 0; i < ring.size(); ++i) {
        if (std::fabs(ring[i].y) > std::fabs(ring[end].y)) {
            end = i;
        }
    }
    const quorvel::Run run{0, end};
    check::expect(!(quorvel::DistanceToSegment(ring[run.first], ring[run.last]).len2() <
                    std::numeric_limits<double>::infinity()),
                  "the run's chord overflows");
    quorvel::SplitGuard guard;
    check::expect(guard.build(ring), "the guard accepts a finite ring");
    guard.search_overflows_in_space();
    std::size_t work = 0;
    check::expect(!guard.split_within(ring, run, 1.0, ring.size(), work) && work == 0,
                  "a search that cannot pay for the tree in space gives up before laying it");
    const quorvel::Run part{end - ring.size() / 8, end};
    std::size_t first = 0;
    std::size_t again = 0;
    std::size_t beyond = 0;
    for (const auto& [searched, spent, held] :
         {std::tuple{part, &first, part.inner_points()},
          std::tuple{part, &again, part.inner_points()}, std::tuple{run, &beyond, ring.size()}}) {
        const std::optional<quorvel::Split> split =
            guard.split_within(ring, searched, 1.0, SIZE_MAX, *spent);
        check::expect(split.has_value() && *split == quorvel::split_plain(ring, searched, 1.0),
                      "the tree in space decides the run once it may be laid");
        check::expect(guard.points_in_space() == held,
                      "the tree in space holds the first run's inner points, then the ring's");
    }
    check::expect(first >= again + 2 * part.inner_points(),
                  "laying the tree in space over the run's points counts as work");
    check::expect(beyond >= again + 2 * ring.size(),
                  "laying the tree in space over the whole ring counts as work");
}

// Runs whose chord overflows, so that every point whose projection on the chord stays finite
// measures from the start, screened with a factor taken from three of their points: inner points
// spread over the doubles around a start at the origin, ending at `far`. The runs' samples lie
// near the start while one point lies at 1.5e308, whose estimate overflows; all lie within
// 1e-300 of the start, where the estimates underflow; they tie exactly, on circles around the
// start; or their distances are subnormal, where rounding ties points that the scaled estimates
// tell apart.
void check_screens_past_overflow() {
    std::mt19937_64 random(11);
    const auto closed = [](Ring ring, Coordinate far) {
        ring.insert(ring.begin(), Coordinate{0, 0});
        ring.push_back(far);
        ring.push_back({0, 0});
        return ring;
    };
    Ring spike;
    Ring within_tiny;
    Ring tied;
    Ring spread;
    Ring subnormal;
    for (int i = 1; i <= 600; ++i) {
        spike.push_back({1.0 + i % 7, i == 301 ? 1.5e308 : 1.0 * i});
        within_tiny.push_back({1e-300 * (i % 13), 1e-300 * (i % 5)});
        // (3, 4), (5, 0) and (0, 5) times a power of two: exact ties from the start.
        const Coordinate unit[] = {{3, 4}, {5, 0}, {0, 5}, {-4, 3}};
        const double scale = std::ldexp(1.0, 100 * (i % 3));
        spread.push_back({std::ldexp(static_cast<double>(random() % 1000), random() % 1000),
                          std::ldexp(static_cast<double>(random() % 1000), random() % 1000)});
        tied.push_back({unit[i % 4].x * scale, unit[i % 4].y * scale});
        // Distances from the start that round to whole multiples of the least subnormal, many
        // of them tied. The first two tie at 991 such steps, though the second lies farther
        // before rounding; every later one lies nearer than both.
        const Coordinate steps = i == 1   ? Coordinate{705, 696}
                                 : i == 2 ? Coordinate{707, 694}
                                          : Coordinate{static_cast<double>(random() % 600),
                                                       static_cast<double>(random() % 600)};
        subnormal.push_back({0x1p-1074 * steps.x, 0x1p-1074 * steps.y});
    }
    const double tolerances[] = {0.0, 1e-310, 1.0, 4.9, 5.0, 1e150, 1e300, kNaN, kInf};
    for (const Coordinate far : {Coordinate{1e155, 0}, Coordinate{-1.7e308, 1e308}}) {
        for (const Ring& ring : {closed(spike, far), closed(within_tiny, far), closed(tied, far),
                                 closed(spread, far), closed(subnormal, far)}) {
            for (const double t : tolerances) {
                expect_all_agree("a run past the overflow", ring, t);
            }
            // Tolerances at distances of the ring's points from its start, and a unit in the last
            // place either side.
            for (int k = 0; k < 8; ++k) {
                const double d =
                    quorvel::point_segment_distance(ring[1 + random() % 600], ring[0], far);
                for (const double t : {std::nextafter(d, -kInf), d, std::nextafter(d, kInf)}) {
                    expect_all_agree("a run past the overflow, tolerance at a distance", ring, t);
                }
            }
        }
    }
}

// A half turn of a spiral (radius 1 down to 0.1) and a line at 45 degrees, visited in turn, near
// (1e6, 1e6), closed through a point `below` units below; smoothed.
Ring spiral_and_line(int n, double below) {
    Ring ring{{1e6, 1e6 - below}};
    for (int i = 0; i < n / 2; ++i) {
        const double t = static_cast<double>(i) / (n / 2);
        const double radius = 1 - 0.9 * t;
        ring.push_back({1e6 + radius * std::cos(M_PI * t), 1e6 + radius * std::sin(M_PI * t)});
        ring.push_back({1e6 - t, 1e6 + 1 - t});
    }
    ring.push_back(ring.front());
    return smoothed(ring);
}

// The runs with at least `inner` inner points that the plain splitting of `ring` goes through.
std::vector<quorvel::Run> long_runs(const Ring& ring, double tolerance, std::size_t inner) {
    std::vector<quorvel::Run> found;
    std::vector<quorvel::Run> pending{{0, ring.size() - 1}};
    while (!pending.empty()) {
        const quorvel::Run run = pending.back();
        pending.pop_back();
        const quorvel::Split split = quorvel::split_plain(ring, run, tolerance);
        if (run.inner_points() >= inner) {
            found.push_back(run);
        }
        if (split) {
            pending.push_back({run.first, *split});
            pending.push_back({*split, run.last});
        }
    }
    return found;
}

// A factor that scales a ring, and how to name it.
struct Scale {
    double factor;
    const char* name;
};

// The guard's work on the long runs (256 inner points or more) that the plain splitting of
// `ring` goes through, each checked against split_plain, and the inner points of those runs.
struct GuardWork {
    std::size_t runs = 0;
    std::size_t work = 0;
    std::size_t scanned = 0;
};

GuardWork guard_work_on_long_runs(const std::string& name, const Ring& ring, double tolerance) {
    quorvel::SplitGuard guard;
    check::expect(guard.build(ring), "the guard accepts a finite ring");
    GuardWork total;
    for (const quorvel::Run& run : long_runs(ring, tolerance, 256)) {
        ++total.runs;
        total.scanned += run.inner_points();
        if (guard.split_within(ring, run, tolerance, SIZE_MAX, total.work) !=
            quorvel::split_plain(ring, run, tolerance)) {
            check::expect(false, (name + ": the guard's split of a run differs from the plain "
                                         "scan's")
                                     .c_str());
        }
    }
    return total;
}

// Expects the guard to decide the long runs of a ring that stalls the scan for less than
// `share` of what scanning them costs.
void expect_guard_below(const std::string& name, const Ring& ring, double tolerance,
                        std::size_t least_runs, double share) {
    const GuardWork total = guard_work_on_long_runs(name, ring, tolerance);
    check::expect(
        total.runs >= least_runs,
        (name + ": the splitting goes through many long runs, " + std::to_string(total.runs))
            .c_str());
    check::expect(
        static_cast<double>(total.work) < share * static_cast<double>(total.scanned),
        (name + ": the guard's work is below " + std::to_string(share) +
         " of a scan's: " + std::to_string(total.work) + " for " + std::to_string(total.scanned))
            .c_str());
}

// Two curves visited in turn: every node of the guard's tree holds points of both, on both
// sides of a chord's end, so its box reaches as far from that end as the run is long, and each
// split peels a few points off the run's end, which moves from run to run. From the spans of
// its hulls the guard decides the long runs for less than a quarter of what scanning them
// costs; from boxes and exact farthest distances from the moving end it could not. Scaled by
// 2^-500 (about 1e-150) or 2^505 the ring is the same to every computation but the hulls' exact
// signs, whose arithmetic must scale it back; at 2^505 the terms of the numerators over a hull
// reach 2^1011.
void check_two_curves_in_turn() {
    for (const Scale scale :
         {Scale{1.0, "1"}, Scale{0x1p-500, "2^-500"}, Scale{0x1p505, "2^505"}}) {
        const Ring ring = scaled(spiral_and_line(8000, 10), scale.factor);
        const double tolerance = 0.01 * scale.factor;
        for (const double t : {tolerance, 0.1 * tolerance, 30 * tolerance}) {
            expect_all_agree("a spiral and a line in turn", ring, t);
        }
        expect_guard_below(std::string("a spiral and a line in turn, scaled by ") + scale.name,
                           ring, tolerance, 5000, 0.25);
    }
}

// A parabola and a zigzag of growing amplitude mirrored through the parabola's vertex, visited
// in turn, their coordinates rounded to millionths, scaled by 1e150 and closed through a point
// beside the vertex; smoothed. Every stretch of the ring, however short, surrounds the vertex.
Ring two_curves_through_a_point(int n) {
    Ring ring{{0.5e150, 1e6}};
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i / 2) / (n / 2);
        const double sign = (i / 2) % 2 == 1 ? 1.0 : -1.0;
        const Coordinate p = i % 2 == 0 ? Coordinate{t, t * t} : Coordinate{-t, -t * sign};
        ring.push_back({std::round(p.x * 1e6) * 1e150, std::round(p.y * 1e6) * 1e150});
    }
    ring.push_back(ring.front());
    return smoothed(ring);
}

// A half circle and a zigzag of growing amplitude a unit above the circle's centre, visited in
// turn, turned by 30 degrees, scaled and closed through a point inside the circle; smoothed.
Ring circle_and_zigzag(int n, double scale) {
    const double c = std::cos(M_PI / 6);
    const double s = std::sin(M_PI / 6);
    const auto place = [&](double x, double y) {
        return Coordinate{(x * c - y * s) * scale, (x * s + y * c) * scale};
    };
    Ring ring{place(0.5, 0)};
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i / 2) / (n / 2);
        ring.push_back(i % 2 == 0 ? place(std::cos(M_PI * t), std::sin(M_PI * t))
                                  : place(t, ((i / 2) % 2 == 1 ? t : -t) + 1));
    }
    ring.push_back(ring.front());
    return smoothed(ring);
}

// A half circle and a parabola a hundred units above it, visited in turn, turned by one radian
// and moved by a fractional offset; smoothed. Each split peels a few points off a run's end,
// and the farthest points of a node from that end nearly tie with the best, down to its
// smallest descendants: only the farthest corners of large hulls tell them apart.
Ring two_convex_curves_apart(int n) {
    const double c = std::cos(1.0);
    const double s = std::sin(1.0);
    Ring ring;
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i / 2) / (n / 2);
        const Coordinate p = i % 2 == 0 ? Coordinate{std::cos(M_PI * t), std::sin(M_PI * t)}
                                        : Coordinate{0.5 * t, 0.5 * t * t + 100};
        ring.push_back({p.x * c - p.y * s + 0.1234, p.x * s + p.y * c + 0.1234});
    }
    ring.push_back(ring.front());
    return smoothed(ring);
}

// Rings beyond the range where the hulls serve, that the guard must still decide from other
// bounds:
// - a zigzag along one line with amplitudes near 1e154, where the terms of a hull's numerators
//   pass 2^1021 (boxes cut to each end's branch decide);
// - two curves apart near 4e154, where those terms pass 2^1023 but no product of a point's own
//   distance overflows (the hulls serve with the chord divided by four);
// - two curves through one point near 1e156, where the squared lengths of the long chords
//   overflow and only points in a small box around a run's start can win, a box that every
//   node of the tree over the ring's order surrounds (the tree of the points in space decides);
// - a spiral scaled by 1e-160, where those squared lengths are subnormal;
// - a half circle and a zigzag in turn scaled by 1e-150, where the farthest corners of the cut
//   hulls are found in scaled coordinates.
void check_rings_beyond_the_hulls_range() {
    const Ring line = smoothed(scaled(zigzag(4000, false), 5e150));
    const Ring point = two_curves_through_a_point(8000);
    const Ring tiny = smoothed(scaled(spiral(8000, 200), 1e-160));
    const Ring apart = scaled(two_convex_curves_apart(8000), 1e152);
    const Ring farther = scaled(two_convex_curves_apart(8000), 2e152);
    const Ring farthest = scaled(two_convex_curves_apart(8000), 3e153);
    const Ring past_products = scaled(two_convex_curves_apart(8000), 6e153);
    const Ring at_overflow = scaled(two_convex_curves_apart(8000), 4e153);
    for (const double factor : {1.0, 1e-6, 30.0}) {
        expect_all_agree("zigzag near 1e154", line, 0.01 * 5e150 * factor);
        expect_all_agree("two curves through a point near 1e156", point, 1e150 * factor);
        expect_all_agree("spiral near 1e-157", tiny, 0.01 * 1e-160 * factor);
        expect_all_agree("two convex curves apart near 1e154", apart, 0.01 * 1e152 * factor);
        expect_all_agree("two convex curves apart near 4e154", farther, 0.01 * 2e152 * factor);
        expect_all_agree("two convex curves apart near 6e155", farthest, 0.01 * 3e153 * factor);
        expect_all_agree("two convex curves apart near 1.2e156", past_products,
                         0.01 * 6e153 * factor);
        expect_all_agree("two convex curves apart near 8e155", at_overflow, 0.01 * 4e153 * factor);
    }
    expect_guard_below("zigzag near 1e154", line, 0.01 * 5e150, 1000, 0.25);
    expect_guard_below("two curves through a point near 1e156", point, 1e150, 500, 0.25);
    // Terms of the hulls' numerators between 2^1021 and 2^1023, where hulls serve.
    expect_guard_below("two convex curves apart near 1e154", apart, 0.01 * 1e152, 1000, 0.25);
    expect_guard_below("two convex curves apart near 4e154", farther, 0.01 * 2e152, 1000, 0.25);
    // Farther out, the points beyond the chord's ends have |L| near or past the largest double,
    // which the line branch's points, within the strip across the chord, do not reach; at 1.2e156
    // a node's box no longer shows that no product of its points overflows, and the hull is cut
    // to the strip all the same. There the scan is cheaper, and the runs whose chords pass 1e154,
    // searched in space, cost the guard about as much as at 6e155: half a scan's work is still
    // far below the three and a half scans it took without the strip.
    expect_guard_below("two convex curves apart near 6e155", farthest, 0.01 * 3e153, 1000, 0.25);
    expect_guard_below("two convex curves apart near 1.2e156", past_products, 0.01 * 6e153, 1000,
                       0.5);
    // Near 8e155, where a node's hull spans the gap between the curves, the corner where an edge
    // across it leaves the strip has |L| past the largest double, though no point does; the
    // hulls of the ring's parts by place, one curve each, drop those nodes (0.37 of a scan's
    // work without them; 0.32 with them, the laying of the tree in space counted).
    expect_guard_below("two convex curves apart near 8e155", at_overflow, 0.01 * 4e153, 1000, 0.35);
    // There the distances are rounded to a few hundred steps across the ring, and points within
    // a few steps of the farthest cannot be told apart without measuring them.
    expect_guard_below("spiral near 1e-157", tiny, 0.01 * 1e-160, 100, 0.3);
    // Scaled or not, the guard does the same work: a tenth of a scan's is far above it.
    for (const Scale scale : {Scale{1.0, "1"}, Scale{1e-150, "1e-150"}}) {
        const Ring ring = circle_and_zigzag(16000, scale.factor);
        expect_all_agree("half circle and zigzag in turn", ring, 1e-12 * scale.factor);
        expect_guard_below(std::string("half circle and zigzag in turn, scaled by ") + scale.name,
                           ring, 1e-12 * scale.factor, 1000, 0.1);
    }
}

// A zigzag of shrinking amplitude visited in 64 interleaved passes, turned by one radian,
// scaled (by 1e150 or so) and closed through a point 1e7 times as far out. The chord of each
// long run ends at the far point and its squared length overflows, so every point takes the
// start branch and the run's point farthest from its start wins; each split peels a few
// hundred points off the run, and every stretch of 64 points or more spans the whole zigzag.
Ring zigzag_in_passes(int n, double scale) {
    const double c = std::cos(1.0);
    const double s = std::sin(1.0);
    Ring ring{{1e7 * scale, 1e7 * scale}};
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>((i % 64) * (n / 64) + i / 64) / n;
        const double y = (1 - t) * (i % 2 == 1 ? 1 : -1);
        ring.push_back({(t * c - y * s) * scale, (t * s + y * c) * scale});
    }
    ring.push_back(ring.front());
    return ring;
}

// A unit line and a parabola 100 units above it, visited in turn, turned by 30 degrees and closed
// through a point 1e7 away: each split peels the next point of the other curve off a run that
// ends at the far point.
Ring line_and_parabola(int n) {
    const double c = std::cos(std::acos(-1.0) / 6);
    const double s = std::sin(std::acos(-1.0) / 6);
    Ring ring{{1e7, 1e7}};
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i / 2) / (n / 2);
        const Coordinate p = i % 2 == 0 ? Coordinate{t, 0.0} : Coordinate{2 * t, 2 * t * t + 100};
        ring.push_back({p.x * c - p.y * s + 0.1234, p.x * s + p.y * c + 0.1234});
    }
    ring.push_back(ring.front());
    return ring;
}

// A zigzag visited from both ends in turn, its coordinates rounded to steps of 1e-20 around
// 0.1234, where a double has about 360 values within the zigzag's 1e-14: the smoothed ring
// falls on a few thousand distinct points, each visited every few points, and is closed
// through a point 1e-13 below. Most splits tie exactly with copies of their winner further on.
Ring revisiting(int n) {
    constexpr double kStep = 1e-20;
    constexpr double kCentre = 0.1234;
    Ring ring{{kCentre, -1e7 * kStep + kCentre}};
    for (int i = 0; i < n; ++i) {
        const double t =
            i % 2 == 0 ? (i / 2) / static_cast<double>(n) : 1 - (i / 2) / static_cast<double>(n);
        const double y = (1 - t) * (i % 2 == 1 ? 1 : -1);
        ring.push_back(
            {std::round(t * 1e6) * kStep + kCentre, std::round(y * 1e6) * kStep + kCentre});
    }
    ring.push_back(ring.front());
    return ring;
}

// A ring that revisits a few thousand points: measuring every copy of each run's winner, the
// guard's work per long run would grow about as fast as the ring (1.7 times from 8,000 to 16,000
// points); skipping the stretches that only repeat earlier points of the run, it grows far less.
void check_rings_that_revisit_points() {
    double work_per_run[2];
    for (const int k : {0, 1}) {
        const GuardWork total = guard_work_on_long_runs(
            "a zigzag that revisits a few thousand points", smoothed(revisiting(8000 << k)), 1e-20);
        work_per_run[k] = static_cast<double>(total.work) / static_cast<double>(total.runs);
    }
    check::expect(work_per_run[1] < 1.5 * work_per_run[0],
                  ("a zigzag that revisits a few thousand points: the guard's work per long run "
                   "grows from " +
                   std::to_string(work_per_run[0]) + " to " + std::to_string(work_per_run[1]))
                      .c_str());
}

// The guard alone on arbitrary runs of a ring, against split_plain.
void check_guard_on_any_run() {
    std::mt19937_64 random(99);
    const std::vector<Ring> rings = {
        smoothed(zigzag(300, false)),  smoothed(turned(zigzag(300, true), 17, {3.3, 1.1})),
        smoothed(spiral(1500, 25)),    smoothed(comb(800, 12, false)),
        smoothed(circle_ties(40)),     smoothed(random_walk(random, 1200)),
        random_ring(random, 900, 1e3), smoothed(revisiting(1200))};
    for (const Ring& ring : rings) {
        quorvel::SplitGuard guard;
        quorvel::SplitGuard skipping_repeats;
        check::expect(guard.build(ring) && skipping_repeats.build(ring),
                      "the guard accepts a finite ring");
        skipping_repeats.find_repeated_points(ring);
        for (int k = 0; k < 400; ++k) {
            std::size_t a = random() % ring.size();
            std::size_t b = random() % ring.size();
            if (a > b) {
                std::swap(a, b);
            }
            const double tolerance = k % 4 == 0 ? 1e-300 : std::ldexp(1.0, -(k % 30));
            const quorvel::Run run{a, b};
            const quorvel::Split expected = quorvel::split_plain(ring, run, tolerance);
            if (guard.split(ring, run, tolerance) != expected) {
                check::expect(false, "the guard's split of a run differs from the plain scan's");
            }
            if (skipping_repeats.split(ring, run, tolerance) != expected) {
                check::expect(false,
                              "the guard's split of a run, skipping repeated points, differs from "
                              "the plain scan's");
            }
        }
    }
}

// The guard far from unit scale, on arbitrary runs of rings against split_plain: near 1e154 to
// 1e300, where chords' squared lengths overflow, hull terms pass 2^1023 (the chord divided, or
// boxes cut to a branch) and the numerators of far points overflow, as it comes and with every
// chord that overflows sent to the tree of the points in space; near 1e-160, where they are
// subnormal; and chords that overflow from points within 1e-140 of each other.
void check_guard_far_out_on_any_run() {
    std::mt19937_64 random(101);
    const std::vector<Ring> rings = {smoothed(scaled(zigzag(300, false), 1e152)),
                                     two_curves_through_a_point(1200),
                                     smoothed(scaled(random_walk(random, 1200), 2e152)),
                                     random_ring(random, 900, 1e154),
                                     random_ring(random, 900, 7e153),
                                     scaled(two_convex_curves_apart(2000), 3e153),
                                     scaled(two_convex_curves_apart(2000), 6e153),
                                     scaled(two_convex_curves_apart(2000), 4e153),
                                     scaled(two_convex_curves_apart(20000), 4e153),
                                     line_with_points_across(random, 1200, 5e153, 1e155),
                                     line_with_points_across(random, 1200, 8e153, 3e154),
                                     random_ring(random, 900, 1e300),
                                     smoothed(scaled(spiral(1500, 25), 1e151)),
                                     smoothed(scaled(zigzag(300, false), 1e-160)),
                                     smoothed(scaled(random_walk(random, 1200), 3e-161)),
                                     random_ring(random, 900, 1e-158),
                                     smoothed(scaled(spiral(1500, 25), 1e-161)),
                                     scaled(spiral_and_line(2000, 10), 1e-160),
                                     smoothed(zigzag_in_passes(1200, 1e150)),
                                     smoothed(zigzag_in_passes(1200, 3e150)),
                                     tiny_points_and_far_ones(random, 1200)};
    for (const Ring& ring : rings) {
        quorvel::SplitGuard guard;
        quorvel::SplitGuard in_space;
        check::expect(guard.build(ring) && in_space.build(ring), "the guard accepts a finite ring");
        in_space.search_overflows_in_space();
        double size = 0.0;
        for (const Coordinate p : ring) {
            size = std::max({size, std::fabs(p.x), std::fabs(p.y)});
        }
        for (int k = 0; k < 400; ++k) {
            std::size_t a = random() % ring.size();
            std::size_t b = random() % ring.size();
            if (a > b) {
                std::swap(a, b);
            }
            const double tolerance = k % 4 == 0 ? 1e-300 : std::ldexp(size, -(k % 40));
            const quorvel::Run run{a, b};
            const quorvel::Split expected = quorvel::split_plain(ring, run, tolerance);
            if (guard.split(ring, run, tolerance) != expected) {
                check::expect(false,
                              "the guard's split of a run far out differs from the plain "
                              "scan's");
            }
            if (in_space.split(ring, run, tolerance) != expected) {
                check::expect(false,
                              "the split of a run over the points in space differs from the "
                              "plain scan's");
            }
        }
    }
}

// The guard on runs of a spiral and a line visited in turn near 1e-155, whose chords' squared
// lengths are subnormal: their numerators come in steps of 2^-1074, and the hull's spans are
// widened by whole steps alone. Every point is a candidate (tolerance 0), so the earliest of the
// points that tie within those steps must be found. The shorter chords of the smallest ring have
// squared lengths that round to 0.
void check_guard_on_subnormal_chords() {
    std::mt19937_64 random(103);
    for (const double scale : {3e-161, 1e-161, 3e-162}) {
        const Ring ring = scaled(spiral_and_line(4000, 10), scale);
        quorvel::SplitGuard guard;
        check::expect(guard.build(ring), "the guard accepts a finite ring");
        int subnormal = 0;
        for (int k = 0; k < 3000; ++k) {
            std::size_t a = random() % ring.size();
            std::size_t b = random() % ring.size();
            if (a > b) {
                std::swap(a, b);
            }
            const double len2 = quorvel::chord_len2(ring[a], ring[b]);
            subnormal += len2 > 0.0 && len2 < 0x1p-1022;
            const quorvel::Run run{a, b};
            if (guard.split(ring, run, 0.0) != quorvel::split_plain(ring, run, 0.0)) {
                check::expect(false,
                              "the guard's split of a run whose chord's squared length is "
                              "subnormal differs from the plain scan's");
            }
        }
        check::expect(subnormal > 1000, "a third of the chords have subnormal squared lengths");
    }
}

// The bounds scale by powers of two without the math library: every product must be the one
// std::ldexp gives, bit for bit, through the subnormals, past overflow and beyond the range of
// a normal 2^e, and every exponent the one std::ilogb gives.
void check_powers_of_two() {
    using quorvel::guard_bounds::binary_exponent;
    using quorvel::guard_bounds::times_two_to;
    std::vector<double> values = {0.0,
                                  -0.0,
                                  0x1p-1074,
                                  -0x1p-1074,
                                  0x1.8p-1074,
                                  0x1p-1022,
                                  0x1.fffffffffffffp-1023,
                                  1.0,
                                  -1.5,
                                  0x1.fffffffffffffp1023,
                                  kInf,
                                  -kInf,
                                  kNaN,
                                  0x1.0000000000001p0,
                                  0x1.7ffffffffffffp-1};
    std::mt19937_64 random(17);
    for (int i = 0; i < 2000; ++i) {
        values.push_back(std::bit_cast<double>(random()));
    }
    const auto same = [](double a, double b) {
        return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b) ||
               (std::isnan(a) && std::isnan(b));
    };
    int differing = 0;
    int exponents_differing = 0;
    for (const double x : values) {
        for (int e = -2200; e <= 2200; ++e) {
            differing += same(times_two_to(x, e), std::ldexp(x, e)) ? 0 : 1;
        }
        exponents_differing += binary_exponent(x) == std::ilogb(x) ? 0 : 1;
    }
    check::expect(differing == 0, "times_two_to(x, e) == std::ldexp(x, e)");
    check::expect(exponents_differing == 0, "binary_exponent(x) == std::ilogb(x)");
}

// A run whose winner is a point where both products of r's numerator overflow, with opposite
// signs: its r is NaN, so it takes the line branch, far behind the run's start, where the
// numerator of its distance overflows to an infinity. A point farther from the start (but
// behind it, its r -inf) comes first. The strip across the chord does not hold the winner, so
// its node may be bounded over the strip only where its box shows that no point's r is NaN.
void check_winner_whose_r_is_nan() {
    const double d = 0x1p510;
    Ring ring{{0.0, 0.0}, {-0x1p516, -0x1p516}};
    for (int i = 2; i < 2000; ++i) {
        const double t = i / 2000.0;
        ring.push_back({t * d, t * d});
    }
    const std::size_t winner = 1000;
    ring[winner] = {0x1p514, -3 * 0x1p514};
    ring.push_back({d, d});
    const quorvel::Run run{0, ring.size() - 1};
    const quorvel::Split expected = quorvel::split_plain(ring, run, 1.0);
    check::expect(
        expected == quorvel::Split{winner} &&
            std::isinf(quorvel::point_segment_distance(ring[winner], ring.front(), ring.back())),
        "the point whose r is NaN is infinitely far, and wins");
    quorvel::SplitGuard guard;
    check::expect(guard.build(ring), "the guard accepts a finite ring");
    for (int k = 0; k < 3; ++k) {
        check::expect(guard.split(ring, run, 1.0) == expected,
                      "the guard finds the winner whose r is NaN");
    }
}

// Stalled rings through the stage as it runs: the scans until the ring stalls, then the guard
// within its allowance. The scans measure no more than (stall factor + 1) n (log2 n + 1)
// points in all, which takes the guard deciding nearly every long run once the ring has
// stalled. Where nothing is screened (coordinates beyond 1e60, rings narrower than about
// 1e-50), the guard's allowance must count what the plain scan costs per point, or near 1e-154
// it gives up on most runs of the spiral and line, and the scans measure 20 n (log2 n + 1).
// Where splits peel off a few hundred points, the short runs within those, which are always
// scanned, take some n (log2 n + 1) more.
void check_scans_stay_near_n_log_n() {
    struct Stalled {
        std::string name;
        Ring ring;
        double tolerance;
        double short_runs = 0.0;  // what the short runs may add, in n (log2 n + 1)
    };
    const std::vector<Stalled> rings = {
        {"zigzag", smoothed(zigzag(8000, false)), 0.01},
        {"spiral and line in turn", spiral_and_line(8000, 1e7), 0.01},
        {"spiral and line in turn near 1e-154", scaled(spiral_and_line(8000, 1e7), 1e-160),
         0.01 * 1e-160},
        {"half circle and zigzag in turn near 1e-150", circle_and_zigzag(16000, 1e-150),
         1e-12 * 1e-150},
        // The guard, taking over from the start, gives up on the chords that overflow until the
        // scans have paid for laying the tree in space: 1.1 n (log2 n + 1) with a stall factor
        // of 0 and split_plain's scans.
        {"zigzag near 1e154", smoothed(scaled(zigzag(8000, false), 5e150)), 0.01 * 5e150, 0.5},
        {"two convex curves apart", two_convex_curves_apart(16000), 1e-6},
        // 9.1 n (log2 n + 1) with a stall factor of 1, and 16 at twice the points, where the
        // farthest point from a run's start was bounded by the boxes alone. Near 3e150 the
        // terms of the hulls' numerators pass 2^1023.
        {"zigzag in passes near 1e150, closed near 1e157", smoothed(zigzag_in_passes(8000, 1e150)),
         1e147, 2.0},
        {"zigzag in passes near 3e150, closed near 3e157", smoothed(zigzag_in_passes(8000, 3e150)),
         3e147, 2.0},
        // 18.5 n (log2 n + 1) with a stall factor of 1 where the exact farthest distances from a
        // run's start were worked out for nodes of any size.
        {"a line and a parabola in turn, closed far away", smoothed(line_and_parabola(8000)), 0.01},
    };
    for (const Stalled& stalled : rings) {
        const double n = static_cast<double>(stalled.ring.size());
        const double n_log_n = n * (std::floor(std::log2(n)) + 1);
        for (const SplitKernels kernels : kernels_to_check()) {
            if (kernels.guard != SplitGuardUse::WhenStalled) {
                continue;
            }
            quorvel::SimplifyCounts counts;
            quorvel::simplify_ring(stalled.ring, stalled.tolerance, kernels, counts);
            const double allowed =
                (static_cast<double>(kernels.stall_factor + 1) + stalled.short_runs) * n_log_n;
            check::expect(static_cast<double>(counts.scanned_points) <= allowed,
                          (stalled.name + ", " + describe(kernels) + ": the scans measure " +
                           std::to_string(counts.scanned_points) + " points")
                              .c_str());
        }
    }
    for (const double tolerance : {1e-6, 1e-3, 1.0}) {
        expect_all_agree("two convex curves apart", two_convex_curves_apart(4000), tolerance);
        for (const double scale : {1e150, 3e150}) {
            expect_all_agree("zigzag in passes near 1e150", smoothed(zigzag_in_passes(4000, scale)),
                             tolerance * scale);
        }
    }
}

}  // namespace

int main() {
    check_shapes();
    check_random_rings();
    check_tolerance_edges();
    check_non_finite_coordinates();
    check_chords_beyond_overflow();
    check_laying_in_space_counted();
    check_screens_past_overflow();
    check_two_curves_in_turn();
    check_rings_beyond_the_hulls_range();
    check_guard_on_any_run();
    check_guard_far_out_on_any_run();
    check_guard_on_subnormal_chords();
    check_powers_of_two();
    check_winner_whose_r_is_nan();
    check_scans_stay_near_n_log_n();
    check_rings_that_revisit_points();
    return check::status();
}
