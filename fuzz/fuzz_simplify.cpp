// libFuzzer target: the module's corner cutting, point-to-segment distance and
// Ramer-Douglas-Peucker against the plain versions in reference_geometry.h, bit for bit, on
// rings decoded from the fuzz bytes, with every way the module has of finding a split: the
// plain scan, the screened scan in two and (where the processor has AVX2) four lanes, the guard
// alone, and the guard taking over from a scan. The guard is also asked directly about runs of
// the ring. The decoding favours what breaks screening and bounding: duplicate points,
// collinear runs, points mirrored about a line through the first point (exact ties),
// magnitudes from 5e-324 to the largest double and around the screening bounds, NaN and
// infinite coordinates, and tolerances of 0, tiny, huge, NaN, infinite, or exactly a distance
// measured in the ring (nudged by one unit in the last place or not).
//
// Input layout:
//   byte 0    tolerance: 0..27 from kTolerances; 28 the next eight bytes as a double; 29..31 a
//             distance in the ring (three index bytes after the ring's point count), nudged
//             down, not at all, or up by one unit in the last place; the top three bits pick
//             the ring's initial scale
//   byte 1    flags: bit 0 smooth twice before simplifying, bit 1 close the ring at the end,
//             bits 2-7 the offset added to every grid point (kOffsets)
//   then      operations until the bytes run out (see add_points)
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "reference_geometry.h"
#include "segment_distance.h"
#include "smooth_and_simplify.h"
#include "split_guard.h"
#include "split_plain.h"
#include "split_screened.h"

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kMax = std::numeric_limits<double>::max();
constexpr double kMinNormal = std::numeric_limits<double>::min();
constexpr double kDenormal = std::numeric_limits<double>::denorm_min();

constexpr double kTolerances[28] = {
    0.0,    -0.0,   -1.0,   -kInf,  kDenormal,
    1e-300, 1e-200, 1e-150, 1e-100, 1e-50,
    1e-9,   0.25,   0.5,    1.0,    1.4142135623730951,
    2.0,    2.5,    3.0,    10.0,   1e6,
    1e59,   1e60,   1e61,   1e100,  1e200,
    1e300,  kInf,   kNaN,
};

// Scales of grid points: ordinary, near each screening bound (coordinates 1e60, squared
// chords 1e-100, squared distances 1e-200) and at the ends of the double range.
constexpr double kScales[32] = {
    1.0,       0.5,       0.1,    1e-3,   3.0,    1e3,
    1e15,      1e30,      1e50,   1e59,   1e60,   1.0000000000000002e60,
    1e61,      1e100,     1e150,  1e200,  1e300,  kMax,
    1e-30,     1e-49,     1e-50,  1e-51,  1e-99,  1e-100,
    1e-101,    1e-150,    1e-160, 1e-200, 1e-300, kMinNormal,
    kDenormal, 0.1 + 0.2,
};

constexpr double kOffsets[16] = {
    0.0, 1.0, -1.0, 0.5, 1e6, -1e6, 1e15, 1e16, 1e30, -1e30, 1e59, 1e60, 1e-300, 1e300, -kMax, 7.25,
};

// Extreme and odd values for op 7.
constexpr double kExtremes[32] = {
    0.0,
    -0.0,
    kNaN,
    kInf,
    -kInf,
    kMax,
    -kMax,
    kMinNormal,
    kDenormal,
    -kDenormal,
    1e300,
    -1e300,
    1e-300,
    1e60,
    -1e60,
    1e61,
    1.0000000000000002e60,
    1e-100,
    1e-50,
    1e-160,
    1.0,
    -1.0,
    0.5,
    2.0,
    1e15,
    1e16,
    9007199254740993.0,
    0.1,
    1e-9,
    1e150,
    1e200,
    123456.789,
};

// The most points a ring is decoded to, smoothed or not: an input that smoothed to 35,000
// points took 11 s under the sanitizers (the reference and the scans without the guard cost n^2
// on rings that stall them, and at a tolerance near 2^-1000 the guard splits off every point),
// and 16,000 points still 6 s, past the fuzzer's 10 s with the second run of its leak check.
constexpr std::size_t kMostPoints = 1 << 13;
// Rings longer than this are simplified with fewer kernels (kernels_for_long_rings).
constexpr std::size_t kLongRing = 4096;

class Bytes {
  public:
    Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool empty() const { return at_ == size_; }
    std::uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
    double raw_double() {
        std::uint8_t bytes[8] = {};
        for (std::uint8_t& b : bytes)
            b = byte();
        double value;
        std::memcpy(&value, bytes, sizeof value);
        return value;
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

using reference::Point;
using reference::Points;

// Operations, by the top three bits of their byte (p = the low five bits):
//   0  a grid point: next byte, x = low nibble - 8, y = high nibble - 8, times the scale, plus
//      the offset
//   1  a point of two raw doubles (any bits: NaN, infinities, denormals)
//   2  the previous point repeated p + 1 times
//   3  a collinear run: p + 1 steps of (low nibble - 8, high nibble - 8) times the scale, from
//      the previous point
//   4  the previous point mirrored about the horizontal, vertical, diagonal or anti-diagonal
//      line through the first point (p & 3), or the previous p / 4 + 1 points mirrored, in
//      reverse order
//   5  the scale becomes kScales[p]
//   6  with p < 16, a copy of the point at the index in the next byte (modulo the count);
//      otherwise a point near one end of the chord from the first point to the last
//      (near_an_end)
//   7  x = kExtremes[p], y = kExtremes[next byte & 31]
Points decode_ring(Bytes& in, double scale, double offset) {
    Points ring;
    const auto last = [&] { return ring.empty() ? Point{offset, offset} : ring.back(); };
    const auto mirror = [&](Point p, int how) {
        const Point o = ring.empty() ? Point{0.0, 0.0} : ring.front();
        const double dx = p.x - o.x;
        const double dy = p.y - o.y;
        switch (how) {
            case 0:
                return Point{p.x, o.y - dy};
            case 1:
                return Point{o.x - dx, p.y};
            case 2:
                return Point{o.x + dy, o.y + dx};
            default:
                return Point{o.x - dy, o.y - dx};
        }
    };
    // A point on the chord from the first point to the last, a fraction 2^-k of its length
    // from one end, moved off it by a multiple of that: the projection ratio lies just above 0
    // or just below 1, where only the division can tell which part of the segment is nearest.
    // Near the end, it goes in before the last point.
    const auto near_an_end = [&](std::uint8_t b, int p) {
        constexpr int kExponents[16] = {1,  2,  10,  30,  50,  51,  52,  53,
                                        54, 60, 300, 600, 660, 670, 700, 1074};
        const bool at_end = (p & 1) != 0;
        const Point base = at_end ? ring.back() : ring.front();
        const Point other = at_end ? ring.front() : ring.back();
        const double fraction = std::ldexp(1.0, -kExponents[b & 15]);
        const double off = ((b >> 4) - 8) * fraction * ((p & 2) != 0 ? 1.0 : 0x1p-20);
        const double dx = other.x - base.x;
        const double dy = other.y - base.y;
        return Point{base.x + dx * fraction - dy * off, base.y + dy * fraction + dx * off};
    };
    while (!in.empty() && ring.size() < kMostPoints) {
        const std::uint8_t op = in.byte();
        const int p = op & 31;
        switch (op >> 5) {
            case 0: {
                const std::uint8_t b = in.byte();
                ring.push_back({((b & 15) - 8) * scale + offset, ((b >> 4) - 8) * scale + offset});
                break;
            }
            case 1: {
                const double x = in.raw_double();
                const double y = in.raw_double();
                ring.push_back({x, y});
                break;
            }
            case 2: {
                const Point q = last();
                for (int i = 0; i <= p; ++i)
                    ring.push_back(q);
                break;
            }
            case 3: {
                const std::uint8_t b = in.byte();
                const double dx = ((b & 15) - 8) * scale;
                const double dy = ((b >> 4) - 8) * scale;
                const Point q = last();
                for (int i = 1; i <= p + 1; ++i)
                    ring.push_back({q.x + i * dx, q.y + i * dy});
                break;
            }
            case 4: {
                const std::size_t count = std::min<std::size_t>(p / 4 + 1, ring.size());
                const std::size_t end = ring.size();
                if (count == 0) {
                    ring.push_back(mirror(last(), p & 3));
                }
                for (std::size_t i = 0; i < count; ++i) {
                    ring.push_back(mirror(ring[end - 1 - i], p & 3));
                }
                break;
            }
            case 5:
                scale = kScales[p];
                break;
            case 6:
                if (ring.size() < 2) {
                    break;
                }
                if ((p & 16) == 0) {
                    ring.push_back(ring[in.byte() % ring.size()]);
                } else {
                    ring.insert(ring.end() - ((p & 1) == 0 ? 0 : 1), near_an_end(in.byte(), p));
                }
                break;
            default:
                ring.push_back({kExtremes[p], kExtremes[in.byte() & 31]});
                break;
        }
    }
    return ring;
}

quorvel::Ring to_ring(const Points& points) {
    quorvel::Ring ring;
    for (const Point p : points)
        ring.push_back({p.x, p.y});
    return ring;
}

void print_points(const char* name, const Points& points) {
    std::fprintf(stderr, "%s (%zu points):\n", name, points.size());
    for (std::size_t i = 0; i < points.size() && i < 200; ++i) {
        std::fprintf(stderr, "  %4zu  %a %a  (%.17g, %.17g)\n", i, points[i].x, points[i].y,
                     points[i].x, points[i].y);
    }
}

// The same bits, except that every NaN matches every NaN: the sign and payload that an
// arithmetic NaN gets depend on the order of the operands in the instruction, which the
// compiler chooses, and no result shows them (a NaN is written as null).
bool same_double(double a, double b) {
    return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0;
}

bool identical(const quorvel::Ring& got, const Points& expected, bool copies_only = false) {
    if (got.size() != expected.size())
        return false;
    if (copies_only) {
        // Points taken over unchanged: every bit must match, NaNs included.
        return got.empty() ||
               std::memcmp(got.data(), expected.data(), got.size() * sizeof got[0]) == 0;
    }
    for (std::size_t i = 0; i < got.size(); ++i) {
        if (!same_double(got[i].x, expected[i].x) || !same_double(got[i].y, expected[i].y)) {
            return false;
        }
    }
    return true;
}

Points to_points(const quorvel::Ring& ring) {
    Points points;
    for (const quorvel::Coordinate c : ring)
        points.push_back({c.x, c.y});
    return points;
}

[[noreturn]] void mismatch(const char* what, const Points& input, double tolerance,
                           const quorvel::Ring& got, const Points& expected) {
    std::fprintf(stderr, "\nMISMATCH: %s, tolerance %a (%.17g)\n", what, tolerance, tolerance);
    print_points("input", input);
    print_points("module", to_points(got));
    print_points("reference", expected);
    std::abort();
}

// Every way of finding the split, chosen by parameter.
std::vector<quorvel::SplitKernels> kernels_to_run() {
    using quorvel::SplitGuardUse;
    using quorvel::SplitScan;
    std::vector<quorvel::SplitKernels> kernels = {
        {SplitScan::Plain, SplitGuardUse::Never},
        {SplitScan::TwoLanes, SplitGuardUse::Never},
        {SplitScan::Plain, SplitGuardUse::Always},
        {SplitScan::TwoLanes, SplitGuardUse::WhenStalled, 0},
        {SplitScan::TwoLanes, SplitGuardUse::WhenStalled, 1},
    };
    if (quorvel::four_lanes_supported()) {
        kernels.push_back({SplitScan::FourLanes, SplitGuardUse::Never});
        kernels.push_back({SplitScan::FourLanes, SplitGuardUse::WhenStalled, 1});
    }
    return kernels;
}

// Long rings take long with every kernel that scans: once each with the two-lane scan, the guard
// alone and the guard taking over from the widest scan.
std::vector<quorvel::SplitKernels> kernels_for_long_rings() {
    using quorvel::SplitGuardUse;
    using quorvel::SplitScan;
    const SplitScan widest =
        quorvel::four_lanes_supported() ? SplitScan::FourLanes : SplitScan::TwoLanes;
    return {{SplitScan::TwoLanes, SplitGuardUse::Never},
            {SplitScan::Plain, SplitGuardUse::Always},
            {widest, SplitGuardUse::WhenStalled, 1}};
}

const char* describe(quorvel::SplitKernels k) {
    static char text[80];
    const char* scans[] = {"plain scan", "two lanes", "four lanes"};
    const char* guards[] = {"never", "when stalled", "always"};
    std::snprintf(text, sizeof text, "%s, guard %s, stall factor %zu",
                  scans[static_cast<int>(k.scan)], guards[static_cast<int>(k.guard)],
                  k.stall_factor);
    return text;
}

// The guard on its own, on runs of the ring that Ramer-Douglas-Peucker may never reach; a
// second guard sends every chord whose squared length overflows to its tree of points in space,
// and skips the stretches of a run that only repeat earlier points of it from the start.
void check_guard_on_runs(const Points& points, double tolerance) {
    const quorvel::Ring ring = to_ring(points);
    quorvel::SplitGuard guard;
    quorvel::SplitGuard in_space;
    if (!guard.build(ring) || !in_space.build(ring)) {
        return;  // NaN or infinite coordinates: the guard is not used
    }
    in_space.search_overflows_in_space();
    in_space.find_repeated_points(ring);
    const std::size_t n = ring.size();
    if (n < 3) {
        return;
    }
    const std::size_t runs[][2] = {
        {0, n - 1}, {n / 3, n - 1}, {0, 2 * n / 3}, {n / 5, 4 * n / 5}, {1, n - 2}};
    for (const auto& ends : runs) {
        if (ends[0] >= ends[1]) {
            continue;
        }
        const quorvel::Run run{ends[0], ends[1]};
        const quorvel::Split expected = quorvel::split_plain(ring, run, tolerance);
        for (quorvel::SplitGuard* g : {&guard, &in_space}) {
            const quorvel::Split got = g->split(ring, run, tolerance);
            if (got != expected) {
                std::fprintf(stderr,
                             "\nMISMATCH: the guard%s on the run %zu..%zu, tolerance %a: %zd, "
                             "plain %zd\n",
                             g == &in_space ? " in space" : "", run.first, run.last, tolerance,
                             got ? static_cast<std::ptrdiff_t>(*got) : -1,
                             expected ? static_cast<std::ptrdiff_t>(*expected) : -1);
                print_points("ring", points);
                std::abort();
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Bytes in(data, size);
    const std::uint8_t tolerance_byte = in.byte();
    const std::uint8_t flags = in.byte();
    double tolerance = 0.0;
    const int tolerance_kind = tolerance_byte & 31;
    if (tolerance_kind < 28) {
        tolerance = kTolerances[tolerance_kind];
    } else if (tolerance_kind == 28) {
        tolerance = in.raw_double();
    }
    std::uint8_t measured[3] = {};
    if (tolerance_kind > 28) {
        for (std::uint8_t& b : measured)
            b = in.byte();
    }
    const double scale = kScales[(tolerance_byte >> 5) * 4];
    Points ring = decode_ring(in, scale, kOffsets[(flags >> 2) & 15]);
    if ((flags & 2) != 0) {
        reference::close_ring(ring);
    }

    // The point-to-segment distance on the ring's first points, in every role.
    for (std::size_t i = 0; i + 2 < ring.size() && i < 6; ++i) {
        const Point a = ring[i], b = ring[i + 1], c = ring[i + 2];
        const Point triples[3][3] = {{a, b, c}, {b, c, a}, {c, a, b}};
        for (const auto& t : triples) {
            const double expected = reference::point_segment_distance(t[0], t[1], t[2]);
            const double got = quorvel::point_segment_distance({t[0].x, t[0].y}, {t[1].x, t[1].y},
                                                               {t[2].x, t[2].y});
            if (!same_double(got, expected)) {
                std::fprintf(stderr, "\nMISMATCH: point_segment_distance %a vs %a\n", got,
                             expected);
                print_points("point, start, end", {t[0], t[1], t[2]});
                std::abort();
            }
        }
    }

    if ((flags & 1) != 0) {
        // Two passes of corner cutting make four times as many points.
        if (ring.size() > kMostPoints / 4) {
            ring.resize(kMostPoints / 4);
        }
        for (int pass = 0; pass < 2; ++pass) {
            const Points expected = reference::cut_corners(ring);
            const quorvel::Ring got = quorvel::cut_corners(to_ring(ring));
            if (!identical(got, expected)) {
                mismatch("cut_corners", ring, 0.0, got, expected);
            }
            ring = expected;
        }
        reference::close_ring(ring);
    }

    if (tolerance_kind > 28 && !ring.empty()) {
        const Point p = ring[measured[0] % ring.size()];
        const Point s = ring[measured[1] % ring.size()];
        const Point e = ring[measured[2] % ring.size()];
        tolerance = reference::point_segment_distance(p, s, e);
        if (tolerance_kind == 29)
            tolerance = std::nextafter(tolerance, -kInf);
        if (tolerance_kind == 31)
            tolerance = std::nextafter(tolerance, kInf);
    }

    const Points expected = reference::simplify_ring(ring, tolerance);
    const quorvel::Ring input = to_ring(ring);
    static const std::vector<quorvel::SplitKernels> kernels = kernels_to_run();
    static const std::vector<quorvel::SplitKernels> long_ring_kernels = kernels_for_long_rings();
    for (const quorvel::SplitKernels k : ring.size() > kLongRing ? long_ring_kernels : kernels) {
        const quorvel::Ring got = quorvel::simplify_ring(input, tolerance, k);
        if (!identical(got, expected, true)) {
            mismatch(describe(k), ring, tolerance, got, expected);
        }
    }
    if (!ring.empty()) {
        check_guard_on_runs(ring, tolerance);
    }
    return 0;
}
