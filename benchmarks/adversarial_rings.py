#!/usr/bin/env python3
"""Times smooth_and_simplify_polygon_fc on rings built to make Ramer-Douglas-Peucker quadratic,
at 20,000, 40,000 and 80,000 points, next to a real file in the same run.

Each shape makes one split peel off only a few points of a long run, again and again, so that a
plain scan measures about n^2/8 points. For each shape the script prints the time at each size,
the growth of the time per doubling of the point count (2 for linear work, 4 for quadratic) and
the rate in MB/s of input text, with that rate as a share of the real file's. Each ring's calls
alternate with calls on the real file, and each side keeps its fastest: the share compares the
two at the same moment, which a shared machine whose speed drifts from minute to minute would
otherwise blur. The calls go in rounds, each round taking every shape and size once, so that a
busy spell on the machine slows one call of each ring rather than all calls of one size: the
growth per doubling compares sizes measured side by side too.

    python benchmarks/adversarial_rings.py [--repeat 7] [--sizes 20000 40000 80000]
        [--shapes zigzag spiral ...] [--real data/ne_countries_50m.geojson]

Shapes:
  zigzag          the zigzag of tests/test_real_files.py: x = +-(n - i + 10) on the x axis,
                  closed through a point far below; every split peels off the next extreme
  turned          the same turned by 30 degrees and moved by a fractional offset
  growing         the amplitude grows along the ring, so the farthest point is the last one
  spiral          40 points a turn, the radius shrinking from 1000 to 100
  comb            two lines at 45 degrees visited in alternate pairs, the gap between them
                  shrinking slowly: boxes around such stretches are loose
  comb_ties       the same with a constant gap and integer coordinates: for every chord along
                  one line, all points of the other tie exactly
  circle_ties     integer points exactly on one circle around the ring's first point, in pairs
                  on opposite sides: every distance to the centre is the same double
  overflow        a line of steps of a few units toward an end near the largest double: the
                  squared length of a chord to it overflows, only the points just past a run's
                  start keep a finite projection on it, and each split peels off those few
  spiral_line     a half turn of a spiral and a line at 45 degrees, visited in turn near
                  (1e6, 1e6), closed through a point 1e7 below: each split peels a few points off
                  the run's end, and every box holds points on both sides of that end
  zigzag_far      the zigzag scaled by 1e150
  through_a_point a parabola and a growing zigzag through its vertex, in turn, near 1e156
  curves_apart    a half circle and a parabola 100 units above it, visited in turn and turned
                  by one radian: the farthest points of every stretch from a run's end nearly
                  tie with the best, down to the smallest stretches
  curves_far      curves_apart scaled by 2e152 (the tolerance with it), near 4e154: the terms of
                  a hull's numerators pass 2^1023, though no product of a point's own distance
                  overflows
  curves_farther  curves_apart scaled by 3e153, near 6e155: the points beyond a chord's ends lie
                  so far across it that their numerators overflow, while those whose projection
                  falls on the chord do not
  curves_farthest curves_apart scaled by 6e153, near 1.2e156: besides, a stretch's box no longer
                  shows that no product of its points' distances overflows
  curves_bridged  curves_apart scaled by 4e153, near 8e155: a stretch's hull spans the gap
                  between the curves, and its edges across the gap leave the strip across a
                  chord where numerators overflow, though no point lies there
  spiral_line_tiny spiral_line scaled by 1e-160 (and the tolerance with it): the squared
                  lengths of short chords are subnormal, so distances come in steps of about a
                  thousandth of the chord, and many points tie within a step
  zigzag_passes   a zigzag of shrinking amplitude in 64 interleaved passes near 1e150, closed
                  through a point near 1e157 (the tolerance scaled by 1e150): every long run
                  ends there, its chord's squared length overflows, and the farthest point
                  from the run's start wins
  line_parabola   a unit line and a parabola 100 units above it, visited in turn, turned by 30
                  degrees and closed through a point 1e7 away: each split peels the next point
                  of the other curve off a run that ends near the far end of both
  arcs_around     two half circles of unit radius, each through the other's centre (one
                  turned half a turn and moved one unit up), visited in turn near (1e6, 1e6)
                  and closed through a point three units away (the tolerance scaled by 0.1):
                  runs that share a start peel a few points each off the arc around it, whose
                  points lie within a few parts in 1e5 of one distance from that start
  revisiting      a zigzag visited from both ends in turn, its coordinates within 1e-14 of
                  0.1234 in steps of 1e-20, which round to a few hundred doubles, closed through
                  a point 1e-13 below (the tolerance scaled by 1e-18): the smoothed ring comes
                  back to the same few thousand points over and over, and most splits tie
                  exactly with copies of their winner further on
"""
import argparse
import math
import time
from pathlib import Path

import quorvel

ROOT = Path(__file__).resolve().parent.parent
FAR = 10_000_000


def zigzag(n):
    return [(0, -FAR)] + [((n - i + 10) * (1 if i % 2 == 0 else -1), 0) for i in range(n)] + [
        (0, -FAR)]


def turned(n):
    c, s = math.cos(math.radians(30)), math.sin(math.radians(30))
    return [(x * c - y * s + 0.1234, x * s + y * c - 7.5678) for x, y in zigzag(n)]


def growing(n):
    return [(0, -FAR)] + [((i + 10) * (1 if i % 2 == 0 else -1), 0) for i in range(n)] + [
        (0, -FAR)]


def spiral(n):
    turns = n // 40
    points = []
    for i in range(n):
        t = i / n
        radius = 1000.0 * (1 - 0.9 * t)
        points.append((radius * math.cos(2 * math.pi * turns * t),
                       radius * math.sin(2 * math.pi * turns * t)))
    return points + [points[0]]


def comb(n, shrinking=True):
    points = [(FAR, FAR)]
    quarter = n // 4
    for i in range(quarter):
        t = 4 * i
        gap = 16 * (1 - i / (2 * quarter)) if shrinking else 16
        points += [(t, t), (t + 1, t + 1), (t + 2, t + 2 + gap), (t + 3, t + 3 + gap)]
    return points + [(FAR, FAR)]


def comb_ties(n):
    return comb(n, shrinking=False)


def circle_points():
    """The 59,049 integer points with x > 0, y >= 0 on the circle of radius c = 5 * 13 * ... * 89
    (the primes 1 mod 4 up to 89), in order of angle: c^2 has 3^10 representations as a sum of
    two squares, found as products of Gaussian integers."""
    factors = [(1, 2), (2, 3), (1, 4), (2, 5), (1, 6), (4, 5), (2, 7), (5, 6), (3, 8), (5, 8)]
    radius = 1
    representations = [(1, 0)]
    for a, b in factors:
        radius *= a * a + b * b
        squares = [(a * a - b * b, 2 * a * b), (a * a + b * b, 0), (a * a - b * b, -2 * a * b)]
        representations = [(x * u - y * v, x * v + y * u)
                            for x, y in representations for u, v in squares]
    points = set()
    for x, y in representations:
        for p in ((x, y), (-x, y), (x, -y), (-x, -y), (y, x), (-y, x), (y, -x), (-y, -x)):
            if p[0] > 0 and p[1] >= 0:
                points.add(p)
    return sorted(points, key=lambda p: math.atan2(p[1], p[0])), radius


def circle_ties(n):
    arc, radius = circle_points()
    arc = arc[: n // 4]
    assert all(x * x + y * y == radius * radius for x, y in arc)
    points = [(0, 0)] * 3
    for i, (x, y) in enumerate(arc):
        bx, by = arc[(i * 7919) % len(arc)]
        points += [(x, y), (x, y), (-bx, -by), (-bx, -by)]
    return points + [(0, 0)] * 2


def overflow(n):
    line = [(7.25 + 5 * i, 7.25 - i) for i in range(n)]
    return line + [(-3.37e307, -1.348e308), line[0]]


def spiral_line(n):
    points = []
    for i in range(n // 2):
        t = i / (n // 2)
        radius = 1 - 0.9 * t
        points += [(1e6 + radius * math.cos(math.pi * t), 1e6 + radius * math.sin(math.pi * t)),
                   (1e6 - t, 1e6 + 1 - t)]
    return [(1e6, -9e6)] + points + [(1e6, -9e6)]


def zigzag_far(n):
    """The zigzag scaled by 1e150: amplitudes near 1e154, where the terms of a hull's bounds pass
    the doubles and the squared lengths of some chords overflow."""
    return [(x * 1e150, y * 1e150) for x, y in zigzag(n)]


def through_a_point(n):
    """A parabola and a growing zigzag mirrored through the parabola's vertex, visited in turn,
    near 1e156: every stretch of the ring surrounds the vertex, and only the few points in a
    small box around a run's start have a finite distance to its overflowing chord."""
    points = [(0.5e150, 1e6)]
    for i in range(n):
        t = (i // 2) / (n // 2)
        sign = 1 if (i // 2) % 2 == 1 else -1
        x, y = (t, t * t) if i % 2 == 0 else (-t, -t * sign)
        points.append((round(x * 1e6) * 1e150, round(y * 1e6) * 1e150))
    return points + [points[0]]


def curves_apart(n):
    c, s = math.cos(1.0), math.sin(1.0)
    points = []
    for i in range(n):
        t = (i // 2) / (n // 2)
        x, y = ((math.cos(math.pi * t), math.sin(math.pi * t)) if i % 2 == 0
                else (0.5 * t, 0.5 * t * t + 100))
        points.append((x * c - y * s + 0.1234, x * s + y * c + 0.1234))
    return points + [points[0]]


FAR_OUT = 2e152


def curves_far(n):
    return [(x * FAR_OUT, y * FAR_OUT) for x, y in curves_apart(n)]


FARTHER_OUT = 3e153
FARTHEST_OUT = 6e153
BRIDGED_OUT = 4e153


def curves_farther(n):
    return [(x * FARTHER_OUT, y * FARTHER_OUT) for x, y in curves_apart(n)]


def curves_farthest(n):
    return [(x * FARTHEST_OUT, y * FARTHEST_OUT) for x, y in curves_apart(n)]


def curves_bridged(n):
    return [(x * BRIDGED_OUT, y * BRIDGED_OUT) for x, y in curves_apart(n)]


TINY = 1e-160


def spiral_line_tiny(n):
    return [(x * TINY, y * TINY) for x, y in spiral_line(n)]


def zigzag_passes(n):
    c, s = math.cos(1.0), math.sin(1.0)
    points = []
    for i in range(n):
        t = ((i % 64) * (n // 64) + i // 64) / n
        y = (1 - t) * (1 if i % 2 == 1 else -1)
        points.append(((t * c - y * s) * 1e150, (t * s + y * c) * 1e150))
    return [(1e157, 1e157)] + points + [(1e157, 1e157)]


def line_parabola(n):
    c, s = math.cos(math.pi / 6), math.sin(math.pi / 6)
    points = []
    for i in range(n):
        t = (i // 2) / (n // 2)
        x, y = (t, 0.0) if i % 2 == 0 else (2 * t, 2 * t * t + 100)
        points.append((x * c - y * s + 0.1234, x * s + y * c + 0.1234))
    return [(FAR, FAR)] + points + [(FAR, FAR)]


def arcs_around(n):
    c, s = math.cos(1.0), math.sin(1.0)
    points = []
    for i in range(n):
        t = (i // 2) / (n // 2)
        x, y = math.cos(math.pi * t), math.sin(math.pi * t)
        if i % 2 == 1:
            x, y = -x, 1 - y
        points.append((x * c - y * s + 1e6, x * s + y * c + 1e6))
    far = (1e6 - 3, 1e6 + 0.5)
    return [far] + points + [far]


def revisiting(n):
    step, centre = 1e-20, 0.1234
    points = []
    for i in range(n):
        t = (i // 2) / n if i % 2 == 0 else 1 - (i // 2) / n
        y = (1 - t) * (1 if i % 2 == 1 else -1)
        points.append((round(t * 1e6) * step + centre, round(y * 1e6) * step + centre))
    far = (centre, centre - FAR * step)
    return [far] + points + [far]


SHAPES = {"zigzag": zigzag, "turned": turned, "growing": growing, "spiral": spiral,
          "comb": comb, "comb_ties": comb_ties, "circle_ties": circle_ties, "overflow": overflow,
          "spiral_line": spiral_line, "zigzag_far": zigzag_far,
          "through_a_point": through_a_point, "curves_apart": curves_apart,
          "curves_far": curves_far, "curves_farther": curves_farther,
          "curves_farthest": curves_farthest, "curves_bridged": curves_bridged,
          "spiral_line_tiny": spiral_line_tiny, "zigzag_passes": zigzag_passes,
          "line_parabola": line_parabola, "arcs_around": arcs_around, "revisiting": revisiting}
# Shapes scaled from unit size, whose tolerance is scaled alike.
TOLERANCE_SCALES = {"curves_far": FAR_OUT, "curves_farther": FARTHER_OUT,
                    "curves_farthest": FARTHEST_OUT, "curves_bridged": BRIDGED_OUT,
                    "spiral_line_tiny": TINY,
                    "zigzag_passes": 1e150, "arcs_around": 0.1, "revisiting": 1e-18}


def feature_collection(points):
    coordinates = ",".join("[%r,%r]" % (x, y) for x, y in points)
    return ('{"type":"FeatureCollection","features":[{"type":"Feature","properties":{},'
            '"geometry":{"type":"Polygon","coordinates":[[' + coordinates + ']]}}]}')


def fastest_seconds(texts, tolerances, real, tolerance, repeat):
    """The fastest call on each text, at its tolerance, and on the real file next to it:
    `repeat` rounds, each taking every text once, followed each time by one call on the real
    file at `tolerance`."""
    best = [math.inf] * len(texts)
    best_real = [math.inf] * len(texts)
    for _ in range(repeat):
        for k, text in enumerate(texts):
            for timings, argument, at in ((best, text, tolerances[k]), (best_real, real, tolerance)):
                start = time.perf_counter()
                quorvel.smooth_and_simplify_polygon_fc(argument, at)
                timings[k] = min(timings[k], time.perf_counter() - start)
    return best, best_real


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--repeat", type=int, default=7)
    parser.add_argument("--sizes", type=int, nargs="+", default=[20_000, 40_000, 80_000])
    parser.add_argument("--shapes", nargs="+", default=list(SHAPES), choices=list(SHAPES))
    parser.add_argument("--tolerance", type=float, default=0.01)
    parser.add_argument("--real", type=Path, default=ROOT / "data" / "ne_countries_50m.geojson")
    args = parser.parse_args()

    real = args.real.read_text(encoding="utf-8")
    real_megabytes = len(real.encode()) / 1e6
    cases = [(name, size) for name in args.shapes for size in args.sizes]
    texts = [feature_collection(SHAPES[name](size)) for name, size in cases]
    tolerances = [args.tolerance * TOLERANCE_SCALES.get(name, 1.0) for name, _ in cases]
    seconds, real_seconds = fastest_seconds(texts, tolerances, real, args.tolerance, args.repeat)

    print(f"module {quorvel.__file__}")
    print(f"real file {args.real.name}, tolerance {args.tolerance}, fastest of {args.repeat} rounds")
    print(f"{'shape':16} {'points':>7} {'MB':>6} {'seconds':>9} {'per doubling':>13}"
          f" {'MB/s':>7} {'real MB/s':>10} {'of real':>8}")
    previous = None
    for k, (name, size) in enumerate(cases):
        megabytes = len(texts[k].encode()) / 1e6
        growth = ""
        if previous is not None and previous[0] == name:
            doublings = math.log2(size / previous[1])
            growth = f"{(seconds[k] / previous[2]) ** (1 / doublings):.2f}x"
        rate = megabytes / seconds[k]
        real_rate = real_megabytes / real_seconds[k]
        print(f"{name:16} {size:7} {megabytes:6.2f} {seconds[k]:9.4f} {growth:>13}"
              f" {rate:7.2f} {real_rate:10.1f} {100 * rate / real_rate:7.1f}%")
        previous = (name, size, seconds[k])


if __name__ == "__main__":
    main()
