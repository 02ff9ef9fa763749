#!/usr/bin/env python3
"""Looks for rings on which smooth_and_simplify_polygon_fc's time grows faster than n log n.

Fuzzing finds wrong answers and crashes on small inputs; a ring that stalls simplification only
shows at tens of thousands of points. This search draws ring families at random (one or two
curves, in several visiting orders, at scales from 1e-300 to 1e300, with or without a far
point closing the ring, jittered to integers, by an ulp or by 1e-9) and times each at n and 4n
points. Work of n log n takes a little over 4 times as long at 4n, quadratic work 16 times; a
line is printed per ring, marked with <<< where the growth exceeds --growth or the rate at 4n
falls below --rate MB/s. Reproduce a marked ring at more sizes with --ring 'PARAMETERS'.

    python benchmarks/stall_search.py [--seed 1] [--seconds 300] [--points 4000]
    python benchmarks/stall_search.py --ring "{'seed': ..., ...}" --sizes 8000 16000 32000
"""
import argparse
import ast
import math
import random
import time

import quorvel

from adversarial_rings import feature_collection


def curve(kind, t, i, turns):
    """A point of a curve at t in [0, 1]; i, the point's index, makes the zigzags."""
    sign = 1 if i % 2 else -1
    if kind == "line":
        return t, 0.0
    if kind == "circle":
        return math.cos(2 * math.pi * turns * t), math.sin(2 * math.pi * turns * t)
    if kind == "halfcircle":
        return math.cos(math.pi * t), math.sin(math.pi * t)
    if kind == "parabola":
        return t, t * t
    if kind == "spiral":
        radius = 1 - 0.9 * t
        return (radius * math.cos(2 * math.pi * turns * t),
                radius * math.sin(2 * math.pi * turns * t))
    if kind == "zigzag":
        return t, (1 - t) * sign
    return t, t * sign  # a zigzag of growing amplitude


KINDS = ["line", "circle", "halfcircle", "parabola", "spiral", "zigzag", "growing"]
ORDERS = ["forward", "backward", "outside_in", "two_curves", "blocks"]


def ring(p, n):
    rng = random.Random(p["seed"])
    c, s = math.cos(p["rotation"]), math.sin(p["rotation"])
    points = []
    for i in range(n):
        order = p["order"]
        if order == "forward":
            t = i / n
        elif order == "backward":
            t = 1 - i / n
        elif order == "outside_in":
            t = (i // 2) / n if i % 2 == 0 else 1 - (i // 2) / n
        elif order == "two_curves":
            t = (i // 2) / (n / 2)
        else:  # 64 interleaved passes over the curve
            t = ((i % 64) * (n // 64) + i // 64) / n
        second = order == "two_curves" and i % 2 == 1
        x, y = curve(p["second"] if second else p["first"], t, i // 2 if second else i,
                     p["turns"])
        if second:
            x, y = x * p["ratio"], y * p["ratio"] + p["gap"]
        if p["jitter"] == "integer":
            x, y = round(x * 1e6), round(y * 1e6)
        elif p["jitter"] == "ulp":
            x += rng.choice([-1, 0, 1]) * math.ulp(x)
        elif p["jitter"] == "tiny":
            x, y = x + rng.random() * 1e-9, y + rng.random() * 1e-9
        x, y = x * c - y * s, x * s + y * c
        points.append((x * p["scale"] + p["offset"], y * p["scale"] + p["offset"]))
    if p["far"] is None:
        return points + [points[0]]
    far = (p["far"][0] * p["scale"] + p["offset"], p["far"][1] * p["scale"] + p["offset"])
    return [far] + points + [far]


def random_parameters(rng):
    return {
        "seed": rng.randrange(1 << 30),
        "scale": 10.0 ** rng.choice([-300, -150, -20, 0, 0, 3, 6, 20, 150, 300]),
        "jitter": rng.choice(["none", "integer", "ulp", "tiny"]),
        "order": rng.choice(ORDERS), "first": rng.choice(KINDS), "second": rng.choice(KINDS),
        "rotation": rng.choice([0.0, math.pi / 6, 1.0, math.pi / 4]),
        "offset": rng.choice([0.0, 0.1234, 1e6]),
        "far": rng.choice([None, (0, -1e7), (0, 0), (1e7, 1e7), (-3, 0.5), (0.5, 0)]),
        "turns": rng.choice([0.5, 1, 3, 50]), "ratio": rng.choice([1, 0.5, 2, -1]),
        "gap": rng.choice([0, 1e-3, 1, 100]),
        "tolerance": rng.choice([0.0, 1e-12, 1e-6, 1e-3, 0.01, 1.0]),
    }


def fastest_seconds(text, tolerance, repeat=3):
    best = math.inf
    for _ in range(repeat):
        start = time.perf_counter()
        quorvel.smooth_and_simplify_polygon_fc(text, tolerance)
        best = min(best, time.perf_counter() - start)
    return best


def tolerance_of(p):
    tolerance = p["tolerance"] * p["scale"]
    return tolerance if math.isfinite(tolerance) else p["tolerance"]


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--seconds", type=float, default=300)
    parser.add_argument("--points", type=int, default=4000)
    parser.add_argument("--growth", type=float, default=7.0)
    parser.add_argument("--rate", type=float, default=8.0)
    parser.add_argument("--ring", type=ast.literal_eval)
    parser.add_argument("--sizes", type=int, nargs="+", default=[8000, 16000, 32000])
    args = parser.parse_args()

    if args.ring is not None:
        previous = None
        for n in args.sizes:
            text = feature_collection(ring(args.ring, n))
            seconds = fastest_seconds(text, tolerance_of(args.ring), 2)
            growth = f"  {seconds / previous:.2f}x" if previous else ""
            print(f"{n:7} points {seconds * 1e3:9.1f} ms {len(text) / seconds / 1e6:7.2f} MB/s"
                  + growth, flush=True)
            previous = seconds
        return
    rng = random.Random(args.seed)
    deadline = time.time() + args.seconds
    while time.time() < deadline:
        p = random_parameters(rng)
        try:
            small = fastest_seconds(feature_collection(ring(p, args.points)), tolerance_of(p))
            text = feature_collection(ring(p, 4 * args.points))
            large = fastest_seconds(text, tolerance_of(p))
        except (ValueError, OverflowError) as error:  # a coordinate beyond the doubles
            print(f"skipped ({error}): {p}", flush=True)
            continue
        growth = large / small
        rate = len(text) / large / 1e6
        mark = " <<<" if growth > args.growth or rate < args.rate else ""
        print(f"{growth:6.2f}x {rate:8.2f} MB/s {small * 1e3:8.2f} {large * 1e3:8.2f} ms {p}{mark}",
              flush=True)


if __name__ == "__main__":
    main()
