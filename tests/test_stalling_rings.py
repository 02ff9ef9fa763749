"""Rings that make Ramer-Douglas-Peucker quadratic, through the public function, against a plain
reference written here from the rules: corner cutting twice, then splitting at the earliest
farthest point while its distance exceeds the tolerance, every distance computed with the C
library's hypot. Long rings switch the module from its scan to its guard (a tree of bounds)
partway through: the bytes must not change.

The reference takes hypot from the C library, which the module's own hypotenuse() matches bit for
bit on glibc 2.36 for x86-64 only; elsewhere these comparisons are skipped.
"""

import ctypes
import ctypes.util
import math
import platform

import pytest

from helpers import polygon_fc, polygons_of, reader_float, run, smoothed_ring

LIBM = ctypes.CDLL(ctypes.util.find_library("m"))
LIBM.hypot.restype = ctypes.c_double
LIBM.hypot.argtypes = (ctypes.c_double, ctypes.c_double)
LIBC_VERSION = platform.libc_ver()

pytestmark = pytest.mark.skipif(
    LIBC_VERSION != ("glibc", "2.36") or platform.machine() != "x86_64",
    reason="the module's hypotenuse matches the C library's hypot on glibc 2.36, x86-64 only",
)


# ---- the reference ----------------------------------------------------------------------------


def divide(a, b):
    """a / b as IEEE 754 divides: Python raises where the hardware gives infinity or NaN."""
    if b != 0 or math.isnan(b):
        return a / b
    if a == 0 or math.isnan(a):
        return math.nan
    return math.copysign(math.inf, a) * math.copysign(1.0, b)


def distance(p, s, e):
    """Distance from p to the segment from s to e, step by step as the rule states it."""
    hypot = LIBM.hypot
    if s == e:
        return hypot(s[0] - p[0], s[1] - p[1])
    dx = e[0] - s[0]
    dy = e[1] - s[1]
    len2 = dx * dx + dy * dy
    r = divide((p[0] - s[0]) * dx + (p[1] - s[1]) * dy, len2)
    if r <= 0:
        return hypot(s[0] - p[0], s[1] - p[1])
    if r >= 1:
        return hypot(e[0] - p[0], e[1] - p[1])
    q = divide((s[1] - p[1]) * dx - (s[0] - p[0]) * dy, len2)
    return abs(q) * hypot(dx, dy)


def simplify(points, tolerance):
    if not 0.0 < tolerance:
        return list(points)
    if not points:
        return []
    kept = {0, len(points) - 1}
    runs = [(0, len(points) - 1)]
    while runs:
        a, b = runs.pop()
        best, best_index = 0.0, None
        for i in range(a + 1, b):
            d = distance(points[i], points[a], points[b])
            if d > best:
                best, best_index = d, i
        if best_index is not None and best > tolerance:
            kept.add(best_index)
            runs += [(a, best_index), (best_index, b)]
    return [points[i] for i in sorted(kept)] if len(points) > 1 else [points[0]] * 2


def smoothed(literals):
    return smoothed_ring([(reader_float(x), reader_float(y)) for x, y in literals])


def reference(literals, tolerance):
    return simplify(smoothed(literals), tolerance)


def module(literals, tolerance):
    ring = "[" + ",".join(f"[{x},{y}]" for x, y in literals) + "]"
    [[exterior]] = polygons_of(run(polygon_fc(ring), tolerance))
    return exterior


# ---- the rings ----------------------------------------------------------------------------------


def literal(value):
    return repr(float(value))


def zigzag(n, growing=False, scale=1.0):
    amplitudes = [(i + 10) if growing else (n - i + 10) for i in range(n)]
    far = literal(-1e7 * scale)
    return ([("0", far)] + [(literal(a * scale * (1 if i % 2 == 0 else -1)), "0")
                            for i, a in enumerate(amplitudes)] + [("0", far)])


def turned(n, degrees=30.0):
    c, s = math.cos(math.radians(degrees)), math.sin(math.radians(degrees))
    points = []
    for x, y in zigzag(n):
        x, y = float(x), float(y)
        points.append((literal(x * c - y * s + 0.1234), literal(x * s + y * c - 7.5678)))
    return points + [points[0]] if points[0] != points[-1] else points


def spiral(n):
    points = []
    for i in range(n):
        t = i / n
        radius = 1000.0 * (1 - 0.9 * t)
        angle = 2 * math.pi * (n // 40) * t
        points.append((literal(radius * math.cos(angle)), literal(radius * math.sin(angle))))
    return points + [points[0]]


def comb(n, gap=16, shrinking=True):
    far = literal(1e7)
    points = [(far, far)]
    for i in range(n // 4):
        t = 4 * i
        g = gap * (1 - i / (n // 2)) if shrinking else gap
        for k, lift in ((0, 0), (1, 0), (2, g), (3, g)):
            points.append((literal(t + k), literal(t + k + lift)))
    return points + [(far, far)]


def circle_ties(pairs):
    """Integer points exactly on a circle of radius 32045 around the first point, in pairs on
    opposite sides: every distance to the centre is the same."""
    radius = 5 * 13 * 17 * 29
    arc = [(x, math.isqrt(radius * radius - x * x)) for x in range(1, radius)
           if math.isqrt(radius * radius - x * x) ** 2 == radius * radius - x * x][:pairs]
    points = [("0", "0")] * 3
    for i, (x, y) in enumerate(arc):
        bx, by = arc[(i * 7) % len(arc)]
        points += [(str(x), str(y))] * 2 + [(str(-bx), str(-by))] * 2
    return points + [("0", "0")] * 2


def toward_overflow(n):
    """A line of steps of a few units toward an end near the largest double: the squared length
    of a chord to that end overflows, only the points just past a run's start keep a finite
    projection on it, and every split peels off those few."""
    points = [(literal(7.25 + 5 * i), literal(7.25 - i)) for i in range(n)]
    return points + [(literal(-3.37e307), literal(-1.348e308)), points[0]]


def spiral_and_line(n, scale=1.0):
    """A half turn of a spiral (radius 1 down to 0.1) and a line at 45 degrees, visited in turn
    near (1e6, 1e6) and closed through a point 1e7 below: every node of the guard's tree holds
    points of both curves, on both sides of a chord's end, and each split peels a few points off
    the run's end."""
    points = [(1e6, -9e6)]
    for i in range(n // 2):
        t = i / (n // 2)
        radius = 1 - 0.9 * t
        points.append((1e6 + radius * math.cos(math.pi * t), 1e6 + radius * math.sin(math.pi * t)))
        points.append((1e6 - t, 1e6 + 1 - t))
    points.append(points[0])
    return [(literal(x * scale), literal(y * scale)) for x, y in points]


def two_curves_through_a_point(n, scale):
    """A parabola and a zigzag of growing amplitude mirrored through the parabola's vertex,
    visited in turn, rounded to millionths, scaled and closed beside the vertex: every stretch
    of the ring surrounds the vertex, and near 1e155 the squared lengths of its long chords
    overflow, leaving a few points around a run's start that can win."""
    points = [(0.5 * scale, 1e6)]
    for i in range(n):
        t = (i // 2) / (n // 2)
        sign = 1 if (i // 2) % 2 == 1 else -1
        x, y = (t, t * t) if i % 2 == 0 else (-t, -t * sign)
        points.append((round(x * 1e6) * scale, round(y * 1e6) * scale))
    points.append(points[0])
    return [(literal(x), literal(y)) for x, y in points]


def circle_and_zigzag(n, scale):
    """A half circle and a zigzag of growing amplitude a unit above the circle's centre, visited
    in turn, turned by 30 degrees, scaled and closed inside the circle."""
    c, s = math.cos(math.pi / 6), math.sin(math.pi / 6)
    points = [(0.5, 0.0)]
    for i in range(n):
        t = (i // 2) / (n // 2)
        if i % 2 == 0:
            points.append((math.cos(math.pi * t), math.sin(math.pi * t)))
        else:
            points.append((t, (t if (i // 2) % 2 == 1 else -t) + 1))
    points.append(points[0])
    return [(literal((x * c - y * s) * scale), literal((x * s + y * c) * scale))
            for x, y in points]


def arcs_around_each_other(n):
    """Two half circles of unit radius, each through the other's centre, visited in turn near
    (1e6, 1e6), turned by one radian and closed three units away: runs that share a start peel a
    few points each off the arc around it, whose points lie within a few parts in 1e5 of one
    distance from that start, so that the guard passes over stretches of the hull by their
    farthest points from it."""
    c, s = math.cos(1.0), math.sin(1.0)
    points = [(1e6 - 3, 1e6 + 0.5)]
    for i in range(n):
        t = (i // 2) / (n // 2)
        x, y = math.cos(math.pi * t), math.sin(math.pi * t)
        if i % 2 == 1:
            x, y = -x, 1 - y
        points.append((x * c - y * s + 1e6, x * s + y * c + 1e6))
    points.append(points[0])
    return [(literal(x), literal(y)) for x, y in points]


def zigzag_in_passes(n, scale):
    """A zigzag of shrinking amplitude in 64 interleaved passes, turned by one radian, scaled
    and closed through a point 1e7 times as far out: the squared length of every chord to that
    point overflows near 1e150, and the farthest point from a run's start wins."""
    c, s = math.cos(1.0), math.sin(1.0)
    points = []
    for i in range(n):
        t = ((i % 64) * (n // 64) + i // 64) / n
        y = (1 - t) * (1 if i % 2 == 1 else -1)
        points.append((literal((t * c - y * s) * scale), literal((t * s + y * c) * scale)))
    far = (literal(1e7 * scale), literal(1e7 * scale))
    return [far] + points + [far]


def revisiting(n):
    """A zigzag visited from both ends in turn, its coordinates rounded to steps of 1e-20 around
    0.1234, where a double has about 360 values within the zigzag's 1e-14, and closed through a
    point 1e-13 below: the smoothed ring comes back to the same few thousand points over and
    over, and most splits tie exactly with copies of their winner further on."""
    step, centre = 1e-20, 0.1234
    points = [(centre, -1e7 * step + centre)]
    for i in range(n):
        t = (i // 2) / n if i % 2 == 0 else 1 - (i // 2) / n
        y = (1 - t) * (1 if i % 2 == 1 else -1)
        points.append((round(t * 1e6) * step + centre, round(y * 1e6) * step + centre))
    points.append(points[0])
    return [(literal(x), literal(y)) for x, y in points]


def scaled(literals, factor):
    return [(literal(float(x) * factor), literal(float(y) * factor)) for x, y in literals]


SHAPES = {
    "zigzag": zigzag(700),
    "growing zigzag": zigzag(700, growing=True),
    "turned zigzag": turned(700),
    "spiral": spiral(1600),
    "shrinking comb at 45 degrees": comb(1200),
    "comb with exact ties": comb(1200, shrinking=False),
    "circle with exact ties": circle_ties(90),
    "line toward an end beyond the overflow": toward_overflow(400),
    "a spiral and a line in turn": spiral_and_line(1200),
    "two arcs around each other's centre": arcs_around_each_other(1600),
}


@pytest.mark.parametrize(
    "literals, tolerance",
    [pytest.param(SHAPES[name], t, id=f"{name}, {t}")
     for name in sorted(SHAPES) for t in [0.01, 2.5]]
    # At the ends of the double range.
    + [pytest.param(zigzag(500, scale=scale), k * scale, id=f"zigzag times {scale}, {k}")
       for scale in [1e150, 1e-150, 2.0**-1000] for k in [0.01, 3.0]]
    + [pytest.param(spiral_and_line(1200, scale), 0.01 * scale,
                    id=f"a spiral and a line in turn times {scale}")
       for scale in [2.0**-500, 2.0**505]]
    # Where the hulls' numerators pass 2^1021, chords' squared lengths overflow, or they are
    # subnormal.
    + [pytest.param(zigzag(500, scale=scale), k * scale,
                    id=f"zigzag near 1e154 times {scale}, {k}")
       for scale in [2.5e151, 4e151] for k in [0.01, 3.0]]
    + [pytest.param(two_curves_through_a_point(1200, 3e149), k * 3e149,
                    id=f"two curves through a point near 3e155, {k}")
       for k in [1e-6, 1.0]]
    + [pytest.param(scaled(spiral(1600), 1e-160), k * 1e-160, id=f"spiral near 1e-157, {k}")
       for k in [0.01, 3.0]]
    + [pytest.param(circle_and_zigzag(1600, 1e-150), k * 1e-150,
                    id=f"half circle and zigzag in turn near 1e-150, {k}")
       for k in [1e-12, 0.01]]
    + [pytest.param(zigzag_in_passes(1600, scale), k * scale,
                    id=f"zigzag in passes times {scale}, closed 1e7 times as far, {k}")
       for scale in [1e150, 3e150] for k in [1e-3, 1.0]]
    + [pytest.param(revisiting(1000), k, id=f"zigzag that revisits its points, {k}")
       for k in [1e-20, 3e-17]],
)
def test_stalling_rings_keep_the_plain_result(literals, tolerance):
    assert module(literals, tolerance) == reference(literals, tolerance)


def test_tolerances_at_a_distance_of_the_ring_and_one_unit_either_side():
    # The distances at which the first splits of the zigzag happen, and their neighbours: the
    # guard must split exactly when the distance exceeds the tolerance.
    literals = zigzag(600)
    points = smoothed(literals)
    first, last = points[0], points[-1]
    farthest = max(range(1, len(points) - 1), key=lambda i: distance(points[i], first, last))
    split = points[farthest]
    distances = sorted({distance(p, split, last) for p in points[farthest + 1:-1]})[-3:]
    for d in distances:
        for tolerance in (math.nextafter(d, 0), d, math.nextafter(d, math.inf)):
            assert module(literals, tolerance) == reference(literals, tolerance)


@pytest.mark.parametrize("tolerance", [math.inf, math.nan])
def test_infinite_and_nan_tolerances_keep_two_points(tolerance):
    literals = zigzag(700)
    first = module(literals, 0.0)[0]
    assert module(literals, tolerance) == [first, first]
