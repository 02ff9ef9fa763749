"""Writes the seed corpora of the fuzz targets.

fuzz/corpus/pipeline: every (text, tolerance) that the pipeline tests hand to quorvel, plus
features cut out of the real files under data/.
fuzz/corpus/simplify: hand-made rings for the differential target (see fuzz_simplify.cpp for
the byte layout): ties, collinear runs, duplicates, points near the ends of a chord, extreme
magnitudes, NaN and infinities, tolerances measured in the ring.

Run from the repository root with the module installed:  python fuzz/make_corpus.py [simplify]
Seeds are added beside what the directories hold (units merged in from fuzzing); file names
are content hashes.
"""

import hashlib
import json
import math
import struct
import sys
from pathlib import Path

import pytest

ROOT = Path(__file__).resolve().parent.parent
CORPUS = ROOT / "fuzz" / "corpus"
LARGEST_SEED = 8192  # the fuzz run's -max_len

# The pipeline target's tolerance table, in the order of its first byte.
TOLERANCES = [
    0.0, -0.0, -1.0, -math.inf, 1e-9, 0.01, 0.1, 0.5,
    1.0, 2.5, 10.0, 1e6, 1e300, 5e-324, math.inf, math.nan,
]

# Test modules whose inputs make no good seeds: random (properties), repeated (leaks) or built
# in child processes (hostile input, boundary).
NOT_SEEDS = ("boundary", "properties", "leaks", "hostile")


def encode(text, tolerance):
    for index, candidate in enumerate(TOLERANCES):
        same = (math.isnan(tolerance) and math.isnan(candidate)) or (
            tolerance == candidate and math.copysign(1, tolerance) == math.copysign(1, candidate)
        )
        if same:
            return bytes([index]) + text
    return b"\x80" + struct.pack("<d", tolerance) + text


class Recorder:
    """Wraps the public function while the tests run and keeps every small text it is given."""

    def __init__(self):
        self.seen = set()

    def pytest_configure(self, config):
        import quorvel

        original = quorvel.smooth_and_simplify_polygon_fc
        seen = self.seen

        def recording(*args, **kwargs):
            values = list(args) + list(kwargs.values())
            if len(values) == 2 and isinstance(values[0], str):
                try:
                    text = values[0].encode("utf-8")
                    tolerance = float(values[1])
                except (UnicodeEncodeError, TypeError, ValueError, OverflowError):
                    text = None
                if text is not None and len(text) <= LARGEST_SEED:
                    seen.add(encode(text, tolerance))
            return original(*args, **kwargs)

        quorvel.smooth_and_simplify_polygon_fc = recording


def real_file_seeds():
    """Each real file's smallest features, one per seed, as compact text."""
    seeds = set()
    for path in sorted((ROOT / "data").glob("*.geojson")):
        document = json.loads(path.read_text(encoding="utf-8"))
        features = sorted(
            (json.dumps(f, separators=(",", ":")) for f in document["features"]), key=len
        )
        for index, text in enumerate(features[:12]):
            collection = '{"type":"FeatureCollection","features":[' + text + "]}"
            if len(collection) <= LARGEST_SEED:
                seeds.add(bytes([(5, 8, 0, 14)[index % 4]]) + collection.encode())
    return seeds


def pipeline_seeds():
    recorder = Recorder()
    tests = [
        str(p)
        for p in sorted((ROOT / "tests").glob("test_*.py"))
        if not any(word in p.name for word in NOT_SEEDS)
    ]
    code = pytest.main(
        ["-q", "-p", "no:cacheprovider", "-k", "not ten_million and not deeply_nested"]
        + tests,
        plugins=[recorder],
    )
    if code != 0:
        sys.exit("the test suite failed; no corpus written")
    return recorder.seen | real_file_seeds()


# ---- the differential target's rings ---------------------------------------------------------

# Indices into fuzz_simplify.cpp's tables.
T_ZERO, T_TINY, T_HALF, T_ONE, T_SQRT2, T_HUGE, T_INF, T_NAN = 4, 5, 12, 13, 14, 25, 26, 27
RAW_TOLERANCE, MEASURED_BELOW, MEASURED, MEASURED_ABOVE = 28, 29, 30, 31
SMOOTH, CLOSE = 1, 2


def grid(x, y):
    """Op 0: a grid point, -8 <= x, y <= 7."""
    return bytes([0, (x + 8) | ((y + 8) << 4)])


def raw(x, y):
    return bytes([1 << 5]) + struct.pack("<dd", x, y)


def repeat(times):
    return bytes([(2 << 5) | (times - 1)])


def run_of(steps, dx, dy):
    return bytes([(3 << 5) | (steps - 1), (dx + 8) | ((dy + 8) << 4)])


def mirror(how, count=1):
    return bytes([(4 << 5) | ((count - 1) * 4) | how])


def scale(index):
    return bytes([(5 << 5) | index])


def near_end(exponent_index, off, at_end, wide=False):
    p = 16 | (1 if at_end else 0) | (2 if wide else 0)
    return bytes([(6 << 5) | p, exponent_index | ((off + 8) << 4)])


def extreme(x_index, y_index):
    return bytes([(7 << 5) | x_index, y_index])


def ring_seed(tolerance, flags, *ops, scale_choice=0, offset=0, measured=(), raw_tolerance=None):
    head = bytes([tolerance | (scale_choice << 5), flags | (offset << 2)])
    if raw_tolerance is not None:
        head += struct.pack("<d", raw_tolerance)
    return head + bytes(measured) + b"".join(ops)


def square(side=4):
    return [grid(0, 0), grid(side, 0), grid(side, side), grid(0, side)]


def zigzag(count):
    return [grid(i % 15 - 7, (3 if i % 2 else -3) * (1 if i % 4 < 2 else 2) // 2) for i in range(count)]


def stalling_rings():
    """Rings whose splits each peel off a few points (see benchmarks/adversarial_rings.py), as
    raw points: the scans take quadratic time on them and the guard takes over."""
    far = 1e7
    count = 120
    zig = [(0.0, -far)] + [((count - i + 10) * (1 if i % 2 == 0 else -1), 0.0)
                           for i in range(count)] + [(0.0, -far)]
    grow = [(0.0, -far)] + [((i + 10) * (1 if i % 2 == 0 else -1), 0.0)
                            for i in range(count)] + [(0.0, -far)]
    c, s = math.cos(math.radians(30)), math.sin(math.radians(30))
    turned = [(x * c - y * s + 0.1234, x * s + y * c - 7.5678) for x, y in zig]
    spiral = [(1000 * (1 - 0.9 * i / 150) * math.cos(2 * math.pi * 4 * i / 150),
               1000 * (1 - 0.9 * i / 150) * math.sin(2 * math.pi * 4 * i / 150))
              for i in range(150)]
    comb = [(far, far)]
    ties = [(far, far)]
    for i in range(count // 4):
        t = 4.0 * i
        gap = 16 * (1 - i / (count // 2))
        comb += [(t, t), (t + 1, t + 1), (t + 2, t + 2 + gap), (t + 3, t + 3 + gap)]
        ties += [(t, t), (t + 1, t + 1), (t + 2, t + 18), (t + 3, t + 19)]
    radius = 5 * 13 * 17 * 29
    arc = [(x, math.isqrt(radius * radius - x * x)) for x in range(1, radius)
           if math.isqrt(radius * radius - x * x) ** 2 == radius * radius - x * x][:30]
    circle = [(0.0, 0.0)] * 3
    for i, (x, y) in enumerate(arc):
        bx, by = arc[(i * 7) % len(arc)]
        circle += [(float(x), float(y))] * 2 + [(float(-bx), float(-by))] * 2
    # A line toward an end near the largest double: chords to it overflow their squared length.
    line = [(7.25 + 5 * i, 7.25 - i) for i in range(count)]
    beyond = line + [(-3.37e307, -1.348e308), line[0]]
    # A half turn of a spiral and a line, visited in turn: nodes straddle every chord's end.
    in_turn = [(1e6, -9e6)]
    for i in range(count // 2):
        t = i / (count // 2)
        radius = 1 - 0.9 * t
        in_turn += [(1e6 + radius * math.cos(math.pi * t), 1e6 + radius * math.sin(math.pi * t)),
                    (1e6 - t, 1e6 + 1 - t)]
    in_turn.append(in_turn[0])
    # Far from unit scale: the zigzag where chords' squared lengths overflow or hull terms pass
    # the doubles, two curves through one point near 1e156 (only points near a run's start can
    # win), the spiral where squared lengths are subnormal.
    zig_far = [(x * 1e152, y * 1e152) for x, y in zig]
    through = [(0.5e150, 1e6)]
    for i in range(count):
        t = (i // 2) / (count // 2)
        x, y = (t, t * t) if i % 2 == 0 else (-t, -t if (i // 2) % 2 == 1 else t)
        through.append((round(x * 1e6) * 1e150, round(y * 1e6) * 1e150))
    through.append(through[0])
    tiny_spiral = [(x * 1e-160, y * 1e-160) for x, y in spiral]
    # A half circle and a parabola 100 units above it, visited in turn, near 1e156: the points
    # beyond a chord's ends lie so far across it that their numerators overflow.
    curves = []
    for i in range(count * 2):
        t = (i // 2) / count
        curves.append((math.cos(math.pi * t), math.sin(math.pi * t)) if i % 2 == 0
                      else (0.5 * t, 0.5 * t * t + 100))
    curves.append(curves[0])
    curves_far = [[(x * scale, y * scale) for x, y in curves] for scale in (3e153, 4e153, 6e153)]
    # Two half circles, each through the other's centre, visited in turn near 1e6: the points of
    # the arc around a run's start lie nearly at one distance from it.
    arcs = [(1e6 - 3, 1e6 + 0.5)]
    for i in range(count * 2):
        t = (i // 2) / count
        x, y = math.cos(math.pi * t), math.sin(math.pi * t)
        arcs.append((x + 1e6, y + 1e6) if i % 2 == 0 else (1e6 - x, 1e6 + 1 - y))
    arcs.append(arcs[0])
    return [zig, grow, turned, spiral, comb + [(far, far)], ties + [(far, far)], circle, beyond,
            in_turn, zig_far, through, tiny_spiral, arcs] + curves_far


def simplify_seeds():
    seeds = [
        # Rings that stall the scans, so that the guard takes over.
        *(ring_seed(t, SMOOTH | CLOSE, *(raw(x, y) for x, y in points))
          for points in stalling_rings() for t in (T_TINY, T_HALF)),
        # The square at every kind of tolerance, smoothed first and not.
        *(ring_seed(t, SMOOTH | CLOSE, *square()) for t in (T_ZERO, T_HALF, T_ONE, T_INF, T_NAN)),
        ring_seed(T_ONE, CLOSE, *square()),
        # Exact ties: a point and its mirror images about lines through the first point.
        ring_seed(T_HALF, CLOSE, grid(0, 0), grid(2, 1), mirror(0), mirror(1), mirror(2)),
        ring_seed(T_ONE, 0, grid(0, 0), grid(1, 1), grid(2, 1), grid(3, 0)),
        ring_seed(T_SQRT2, SMOOTH | CLOSE, grid(-4, 0), grid(0, 4), grid(4, 0), mirror(0, 3)),
        # Collinear runs and duplicates: distances of exactly 0 never split.
        ring_seed(T_TINY, 0, grid(-7, -7), run_of(20, 1, 1), repeat(5), run_of(12, -1, -1)),
        ring_seed(T_TINY, CLOSE, grid(0, 0), repeat(9), grid(5, 0), repeat(9)),
        # Long zigzags (the lanes take over beyond four inner points), at several scales.
        *(
            ring_seed(T_HALF, SMOOTH | CLOSE, scale(s), *zigzag(40))
            for s in (0, 9, 10, 11, 12, 20, 23, 24, 27, 28)
        ),
        ring_seed(MEASURED, SMOOTH | CLOSE, *zigzag(30), measured=(5, 0, 0)),
        ring_seed(MEASURED_BELOW, CLOSE, *zigzag(30), measured=(7, 0, 12)),
        ring_seed(MEASURED_ABOVE, 0, *zigzag(30), measured=(3, 1, 20)),
        # Points whose projection lies just inside either end of the chord.
        *(
            ring_seed(T_TINY, 0, grid(-6, -3), grid(5, 2), near_end(e, o, at_end), *zigzag(6))
            for e in (5, 6, 7, 12, 13, 15)
            for o, at_end in ((1, False), (-2, True))
        ),
        *(
            ring_seed(T_TINY, 0, grid(0, 0), grid(5, 2), near_end(e, 1, False), *zigzag(9))
            for e in (11, 12, 13, 14)
        ),
        ring_seed(T_ZERO, 0, grid(0, 0), *zigzag(9), grid(7, 7), near_end(7, 3, True, True)),
        # Magnitudes at the ends of the range, and beyond it.
        ring_seed(T_HUGE, SMOOTH | CLOSE, *square(), scale_choice=4),
        ring_seed(T_ONE, SMOOTH | CLOSE, *square(), scale_choice=7),
        ring_seed(T_TINY, SMOOTH | CLOSE, scale(30), *square(7)),
        ring_seed(T_ONE, CLOSE, extreme(5, 0), extreme(6, 5), extreme(0, 6), *zigzag(8)),
        ring_seed(T_INF, SMOOTH | CLOSE, extreme(3, 0), extreme(2, 1), grid(1, 1), grid(0, 2)),
        ring_seed(T_ONE, SMOOTH, raw(math.nan, 0.0), raw(1.0, math.inf), *zigzag(10)),
        ring_seed(RAW_TOLERANCE, CLOSE, *zigzag(12), raw_tolerance=2.0000000000000004),
        # Big offsets: small steps on large coordinates round.
        *(ring_seed(T_ONE, SMOOTH | CLOSE, *zigzag(16), offset=o) for o in (6, 7, 10, 11, 14)),
    ]
    return set(seeds)


def write_corpus(directory, seeds):
    directory.mkdir(parents=True, exist_ok=True)
    for seed in sorted(seeds):
        (directory / hashlib.sha1(seed).hexdigest()[:16]).write_bytes(seed)
    print(f"{len(seeds)} seeds written to {directory.relative_to(ROOT)}")


def main():
    only_simplify = sys.argv[1:] == ["simplify"]
    if not only_simplify:
        write_corpus(CORPUS / "pipeline", pipeline_seeds())
    write_corpus(CORPUS / "simplify", simplify_seeds())


if __name__ == "__main__":
    main()
