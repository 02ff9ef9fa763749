// Compares quorvel::hypotenuse with the C library's hypot, bit for bit, over many pseudo-random
// pairs. Our function is meant to give exactly what glibc 2.36's hypot gives on x86-64; on any
// other library the mismatches measure how far that library is from it.
//
//   cmake -S . -B build/tools -DQUORVEL_MODULE=OFF -DQUORVEL_TOOLS=ON && cmake --build build/tools
//   build/tools/verify_hypotenuse 1000000000 1            (pairs, seed, all distributions)
//   build/tools/verify_hypotenuse 1e8 7 close subnormal   (only the distributions named)
//
// The pairs are split evenly over the distributions; each prints its count of pairs compared
// and of mismatches, and the first few mismatches in hexadecimal.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#if defined(__GLIBC__)
#include <gnu/libc-version.h>
#endif

#include "hypotenuse.h"

namespace {

std::uint64_t bits_of(double v) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    return bits;
}

double from_bits(std::uint64_t bits) {
    double v = 0;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

// xoshiro256**: fast, and the same sequence for a seed on every machine.
class Random {
  public:
    explicit Random(std::uint64_t seed) {
        for (std::uint64_t& word : state_) {  // splitmix64 spreads the seed
            seed += 0x9e3779b97f4a7c15;
            std::uint64_t z = seed;
            z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9;
            z = (z ^ (z >> 27)) * 0x94d049bb133111eb;
            word = z ^ (z >> 31);
        }
    }
    std::uint64_t next() {
        const std::uint64_t result = rotate(state_[1] * 5, 7) * 9;
        const std::uint64_t t = state_[1] << 17;
        state_[2] ^= state_[0];
        state_[3] ^= state_[1];
        state_[1] ^= state_[2];
        state_[0] ^= state_[3];
        state_[2] ^= t;
        state_[3] = rotate(state_[3], 45);
        return result;
    }
    // Uniform in [0, n).
    std::uint64_t below(std::uint64_t n) { return next() % n; }
    std::int64_t between(std::int64_t low, std::int64_t high) {
        return low + static_cast<std::int64_t>(below(static_cast<std::uint64_t>(high - low + 1)));
    }

  private:
    static std::uint64_t rotate(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
    std::uint64_t state_[4] = {};
};

constexpr std::uint64_t kSignBit = std::uint64_t{1} << 63;
constexpr std::uint64_t kMantissa = (std::uint64_t{1} << 52) - 1;
constexpr int kLowestField = 0;      // the exponent field of zero and the subnormals
constexpr int kHighestField = 2046;  // the largest finite binade

// A finite double of the binade with the given exponent field (0: subnormal or zero), random
// significand and sign.
double in_binade(Random& random, std::int64_t field) {
    if (field < kLowestField) {
        field = kLowestField;
    }
    if (field > kHighestField) {
        field = kHighestField;
    }
    const std::uint64_t sign = random.next() & kSignBit;
    return from_bits(sign | (static_cast<std::uint64_t>(field) << 52) |
                     (random.next() & kMantissa));
}

// Moves v by up to `steps` units in the last place either way, staying finite and of its sign.
double nudged(Random& random, double v, std::int64_t steps) {
    const std::uint64_t sign = bits_of(v) & kSignBit;
    const std::int64_t magnitude = static_cast<std::int64_t>(bits_of(v) & ~kSignBit);
    std::int64_t moved = magnitude + random.between(-steps, steps);
    if (moved < 0) {
        moved = 0;
    }
    if (moved > 0x7fefffffffffffff) {
        moved = 0x7fefffffffffffff;
    }
    return from_bits(sign | static_cast<std::uint64_t>(moved));
}

struct Pair {
    double x;
    double y;
};

// Both over all binades, independently: mostly far apart, where the larger one is the result.
Pair wide(Random& random) {
    return {in_binade(random, random.between(kLowestField, kHighestField)),
            in_binade(random, random.between(kLowestField, kHighestField))};
}

// Exponents at most three apart, over all binades: the common case, where the correction works.
Pair close_exponents(Random& random) {
    const std::int64_t field = random.between(kLowestField, kHighestField);
    return {in_binade(random, field), in_binade(random, field + random.between(-3, 3))};
}

// Exponent gaps from 0 to 60 binades, across the ratio 2^27 beyond which the larger one is the
// result.
Pair gaps(Random& random) {
    const std::int64_t field = random.between(kLowestField, kHighestField);
    return {in_binade(random, field), in_binade(random, field - random.between(0, 60))};
}

// The larger one near the places where scaling matters: the subnormal boundary, where squares
// underflow or overflow (2^±511), where hypotenuse scales (2^±400), the largest binades (where
// the result overflows), and near 1; gaps up to 30 binades.
Pair scaling_edges(Random& random) {
    constexpr std::int64_t kBias = 1023;
    static constexpr std::int64_t kCentres[] = {kBias - 1022, kBias - 511, kBias - 400, kBias,
                                                kBias + 400,  kBias + 511, kBias + 1023};
    const std::int64_t centre = kCentres[random.below(std::size(kCentres))];
    const std::int64_t field = centre + random.between(-32, 32);
    return {in_binade(random, field), in_binade(random, field - random.between(0, 30))};
}

// Both subnormal, or one subnormal beside a small normal number.
Pair subnormals(Random& random) {
    const double x = in_binade(random, 0);
    const double y =
        random.below(2) == 0 ? in_binade(random, 0) : in_binade(random, random.between(1, 60));
    return {x, y};
}

// Integers below a random power of two up to 2^53 (exact cases such as 3, 4, 5 among them), and
// differences of coordinates written with three decimals in [0, 1000), as the pipeline meets them.
Pair integers(Random& random) {
    if (random.below(2) == 0) {
        const std::uint64_t limit = std::uint64_t{1} << random.between(1, 53);
        return {static_cast<double>(random.below(limit)), static_cast<double>(random.below(limit))};
    }
    auto coordinate = [&random] { return static_cast<double>(random.below(1000000)) / 1000.0; };
    return {coordinate() - coordinate(), coordinate() - coordinate()};
}

// y a few ulps from x times a ratio where a term of the correction cancels (1/2 and 3/4), where
// the branch changes (h = 2y near 1/√3), equal, and at the ratio 2^-27, over all binades.
Pair fragile_ratios(Random& random) {
    static const double kRatios[] = {0.5, 0.75, 1.0, 1.0 / std::sqrt(3.0), 0x1p-27, 0x1p-26};
    const double x = in_binade(random, random.between(kLowestField, kHighestField));
    const double ratio = kRatios[random.below(std::size(kRatios))];
    return {x, nudged(random, x * ratio, 40)};
}

struct Distribution {
    const char* name;
    Pair (*make)(Random&);
};

constexpr Distribution kDistributions[] = {
    {"wide", wide},
    {"close", close_exponents},
    {"gaps", gaps},
    {"edges", scaling_edges},
    {"subnormal", subnormals},
    {"integer", integers},
    {"fragile", fragile_ratios},
};

constexpr int kShownMismatches = 5;

// Compares `count` pairs of one distribution; returns the number of mismatches.
std::uint64_t compare(const Distribution& distribution, std::uint64_t count, std::uint64_t seed) {
    Random random(seed);
    std::uint64_t mismatches = 0;
    for (std::uint64_t i = 0; i < count; ++i) {
        const Pair pair = distribution.make(random);
        // The arguments swapped half of the time: the order must not matter either.
        const double x = (i & 1) != 0 ? pair.y : pair.x;
        const double y = (i & 1) != 0 ? pair.x : pair.y;
        const double expected = ::hypot(x, y);
        const double got = quorvel::hypotenuse(x, y);
        if (bits_of(expected) != bits_of(got)) {
            if (mismatches < kShownMismatches) {
                std::printf("  mismatch %s: x=%016llx y=%016llx hypot=%016llx hypotenuse=%016llx\n",
                            distribution.name, static_cast<unsigned long long>(bits_of(x)),
                            static_cast<unsigned long long>(bits_of(y)),
                            static_cast<unsigned long long>(bits_of(expected)),
                            static_cast<unsigned long long>(bits_of(got)));
            }
            ++mismatches;
        }
    }
    return mismatches;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PAIRS [SEED] [DISTRIBUTION...]\ndistributions:", argv[0]);
        for (const Distribution& distribution : kDistributions) {
            std::fprintf(stderr, " %s", distribution.name);
        }
        std::fprintf(stderr, " (default: all)\n");
        return 2;
    }
    const auto pairs = static_cast<std::uint64_t>(std::strtod(argv[1], nullptr));
    const std::uint64_t seed = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1;
    std::vector<const Distribution*> chosen;
    for (int i = 3; i < argc; ++i) {
        const Distribution* found = nullptr;
        for (const Distribution& distribution : kDistributions) {
            if (std::string_view(distribution.name) == argv[i]) {
                found = &distribution;
            }
        }
        if (found == nullptr) {
            std::fprintf(stderr, "unknown distribution: %s\n", argv[i]);
            return 2;
        }
        chosen.push_back(found);
    }
    if (chosen.empty()) {
        for (const Distribution& distribution : kDistributions) {
            chosen.push_back(&distribution);
        }
    }
#if defined(__GLIBC__)
    std::printf("C library: glibc %s\n", gnu_get_libc_version());
#endif
    std::uint64_t compared = 0;
    std::uint64_t mismatches = 0;
    for (std::size_t i = 0; i < chosen.size(); ++i) {
        // Each distribution draws from a stream of its own: a run of one distribution repeats
        // the start of its share of a run of all.
        const std::uint64_t count = pairs / chosen.size() + (i < pairs % chosen.size() ? 1 : 0);
        const std::uint64_t stream =
            seed * 64 + static_cast<std::uint64_t>(chosen[i] - kDistributions);
        const std::uint64_t found = compare(*chosen[i], count, stream);
        std::printf("%-10s %llu pairs, %llu mismatches\n", chosen[i]->name,
                    static_cast<unsigned long long>(count), static_cast<unsigned long long>(found));
        std::fflush(stdout);
        compared += count;
        mismatches += found;
    }
    std::printf("total      %llu pairs, %llu mismatches (seed %llu)\n",
                static_cast<unsigned long long>(compared),
                static_cast<unsigned long long>(mismatches), static_cast<unsigned long long>(seed));
    return mismatches == 0 ? 0 : 1;
}
