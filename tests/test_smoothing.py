"""Two passes of Chaikin corner cutting, then Ramer-Douglas-Peucker, through the public function.

Expected rings were worked out by hand (and re-checked with exact Python float arithmetic) from
the documented rules: each cut point is 0.75*P[i] + 0.25*P[i+1] or 0.25*P[i] + 0.75*P[i+1] with
each product and sum rounded on its own; a closed ring of n points becomes 2n - 1 points per pass;
simplification splits at the earliest farthest point while its distance is strictly greater than
the tolerance; a closed ring's first chord is degenerate, so the first split is on the point
farthest from the first point.
"""

import math

import pytest

from helpers import (
    SQUARE_17,
    fc,
    feature,
    out_fc,
    out_feature,
    polygon,
    polygon_fc,
    polygons_of,
    ring,
    run,
)

SQUARE = [[0, 0], [4, 0], [4, 4], [0, 4], [0, 0]]

SQUARE_8 = ring(
    "1.5,0.0", "3.75,0.75", "4.0,2.5", "3.25,3.75", "1.5,4.0", "0.25,3.25", "0.25,0.75", "1.5,0.0"
)
SQUARE_5 = ring("1.5,0.0", "3.75,0.75", "3.25,3.75", "0.25,3.25", "1.5,0.0")
SQUARE_4 = ring("1.5,0.0", "3.25,3.75", "0.25,3.25", "1.5,0.0")
SQUARE_3 = ring("1.5,0.0", "3.25,3.75", "1.5,0.0")
SQUARE_2 = ring("1.5,0.0", "1.5,0.0")


TRIANGLE = [[0, 0], [8, 0], [0, 8], [0, 0]]
TRIANGLE_CW = [[0, 0], [0, 8], [8, 0], [0, 0]]
THREE = [[0, 0], [4, 0], [0, 0]]
# Smoothed: (1.5,0) (2.5,0) (3,0) (3,0) (2.5,0) (1.5,0) (1,0) (1,0) (1.5,0).
THREE_9 = ring("1.5,0.0", "2.5,0.0", "3.0,0.0", "3.0,0.0", "2.5,0.0", "1.5,0.0", "1.0,0.0",
               "1.0,0.0", "1.5,0.0")
THREE_4 = ring("1.5,0.0", "3.0,0.0", "1.0,0.0", "1.5,0.0")
EQUAL_2 = ring("1.0,2.0", "1.0,2.0")
# The ring of a report: the farthest distance of its first run is 669.1863223566969 as the
# distance is computed here; the correctly rounded root, and musl's hypot, give the next double
# up, which would split the ring at this very tolerance and keep three positions.
LAST_BIT = [[211.035, 922.333], [140.869, 222.971], [614.395, 230.071], [839.958, 358.828],
            [211.035, 922.333]]
LAST_BIT_FIRST = "184.72275,660.0722499999999"


def first_twice(first):
    return ring(first, first)


# (input ring, tolerance, the written ring)
RINGS_BY_TOLERANCE = [
    *[(SQUARE, t, SQUARE_17) for t in [0.0, -0.0, -1.0, -math.inf, 0.1]],
    (SQUARE, 0.5, SQUARE_8),
    (SQUARE, 1.0, SQUARE_5),
    (SQUARE, 2.0, SQUARE_4),
    (SQUARE, 2.5, SQUARE_4),
    (SQUARE, 3.0, SQUARE_3),
    *[(SQUARE, t, SQUARE_2) for t in [5.0, math.inf, math.nan]],
    (THREE, 0.0, THREE_9),
    (THREE, 0.4, THREE_4),
    # (1,0) lies exactly 0.5 beyond the chord end (1.5,0): equal to the tolerance, no split.
    (THREE, 0.5, ring("1.5,0.0", "3.0,0.0", "1.5,0.0")),
    # (3,0) lies exactly 1.5 from the first point: no split at all.
    (THREE, 1.5, ring("1.5,0.0", "1.5,0.0")),
    # Every point that is not chosen lies at distance exactly 0 from its chord.
    (THREE, 1e-300, THREE_4),
    *[([[1, 2], [1, 2]], t, ring(*["1.0,2.0"] * 5)) for t in [0.0, -2.0]],
    *[([[1, 2], [1, 2]], t, EQUAL_2) for t in [1e-300, 7.0, math.inf, math.nan]],
    # Smoothed ring (13 points): (1.5,0) (2.5,0) (3.1875,0.0625) (3.5625,0.1875) (3.625,0.375)
    # (3.375,0.625) (3,0.75) (2.5,0.75) (1.875,0.625) (1.125,0.375) (0.8125,0.1875)
    # (0.9375,0.0625) (1.5,0). On the chord (3.625,0.375)-(2.5,0.75) the points (3.375,0.625)
    # and (3,0.75) both lie 0.1875/1.40625 * hypot(1.125,0.375) away; the earlier one is kept.
    ([[0, 0], [4, 0], [3, 1], [0, 0]], 0.1,
     ring("1.5,0.0", "3.1875,0.0625", "3.5625,0.1875", "3.625,0.375", "3.375,0.625", "2.5,0.75",
          "0.8125,0.1875", "1.5,0.0")),
    # Collinear points are never split.
    ([[0, 0], [8, 0], [16, 0], [0, 0]], 0.0,
     ring("3.0,0.0", "5.0,0.0", "7.0,0.0", "9.0,0.0", "11.0,0.0", "13.0,0.0", "13.5,0.0",
          "12.5,0.0", "10.0,0.0", "6.0,0.0", "3.5,0.0", "2.5,0.0", "3.0,0.0")),
    ([[0, 0], [8, 0], [16, 0], [0, 0]], 1e-300, ring("3.0,0.0", "13.5,0.0", "2.5,0.0", "3.0,0.0")),
    # Each product and sum rounded on its own: with a fused multiply-add some of these values
    # would differ in the last digit.
    ([[0, 0], [0.1, 0], [0.1, 0.1], [0, 0.1], [0, 0]], 0.0,
     ring("0.037500000000000006,0.0", "0.06250000000000001,0.0", "0.08125000000000002,0.00625",
          "0.09375000000000001,0.018750000000000003", "0.1,0.037500000000000006",
          "0.1,0.06250000000000001", "0.09375000000000001,0.08125000000000002",
          "0.08125000000000002,0.09375000000000001", "0.06250000000000001,0.1",
          "0.037500000000000006,0.1", "0.018750000000000003,0.09375000000000001",
          "0.00625,0.08125000000000002", "0.0,0.06250000000000001", "0.0,0.037500000000000006",
          "0.00625,0.018750000000000003", "0.018750000000000003,0.00625",
          "0.037500000000000006,0.0")),
    ([[0, 0], [0.1, 0], [0.3, 0.7], [0.05, 0.2], [0, 0]], 0.01,
     ring("0.037500000000000006,0.0", "0.06250000000000001,0.0",
          "0.13125000000000003,0.13124999999999998", "0.22499999999999998,0.43749999999999994",
          "0.24062499999999998,0.5625", "0.14375,0.3875", "0.03125000000000001,0.12500000000000003",
          "0.015625,0.037500000000000006", "0.037500000000000006,0.0")),
    # Corners at +-1e308: distances from the first point overflow to inf (the earliest inf,
    # (8.75e307,6.25e307), is the split); on the two chords that follow every distance is NaN
    # (inf/inf), so nothing more is split even with tolerance 1.
    ("[[-1e308,-1e308],[1e308,-1e308],[1e308,1e308],[-1e308,1e308],[-1e308,-1e308]]", 1.0,
     ring("-2.5e307,-1e308", "8.75e307,6.25e307", "-2.5e307,-1e308")),
    # The orientation of a ring is written as it is (all 13 points of one triangle both ways).
    (TRIANGLE, 0.0,
     ring("3.0,0.0", "5.0,0.0", "6.0,0.5", "6.0,1.5", "5.0,3.0", "3.0,5.0", "1.5,6.0", "0.5,6.0",
          "0.0,5.0", "0.0,3.0", "0.5,1.5", "1.5,0.5", "3.0,0.0")),
    (TRIANGLE_CW, 0.0,
     ring("0.0,3.0", "0.0,5.0", "0.5,6.0", "1.5,6.0", "3.0,5.0", "5.0,3.0", "6.0,1.5", "6.0,0.5",
          "5.0,0.0", "3.0,0.0", "1.5,0.5", "0.5,1.5", "0.0,3.0")),
    # An infinite or NaN tolerance keeps two copies of the first smoothed point,
    # 0.625*P0 + 0.375*P1, exact for these coordinates.
    *[(given, t, first_twice(first)) for t in [math.inf, math.nan] for given, first in [
        (TRIANGLE, "3.0,0.0"),
        ([[2, 1], [6, 1], [6, 5], [2, 1]], "3.5,1.0"),
        ([[-8, 16], [0, 0], [40, 40], [-8, 16]], "-5.0,10.0"),
        ([[1, 1], [5, 2], [6, 7], [2, 9], [-3, 4], [1, 1]], "2.5,1.375"),
    ]],
    # The tolerance is in the units of the coordinates.
    ([[0, 0], [0.01, 0], [0.01, 0.01], [0, 0.01], [0, 0]], 1.0, first_twice("0.00375,0.0")),
    ([[10, 10], [10.004, 10], [10.004, 10.004], [10, 10]], 1.0, first_twice("10.0015,10.0")),
    # A split that hangs on the last bit of a distance.
    (LAST_BIT, 669.1863223566969, first_twice(LAST_BIT_FIRST)),
    (LAST_BIT, 669.1863223566968,
     ring(LAST_BIT_FIRST, "755.3718749999999,310.54412499999995", LAST_BIT_FIRST)),
]


@pytest.mark.parametrize("given, tolerance, expected", RINGS_BY_TOLERANCE)
def test_one_ring_by_tolerance(given, tolerance, expected):
    assert run(polygon_fc(given), tolerance) == out_fc(out_feature(expected))


@pytest.mark.parametrize("tolerance", [0.0, -1.0, 1.0, math.inf, math.nan])
@pytest.mark.parametrize("given", [[[5, 5]], [[-1.5, 2]], []])
def test_one_point_ring_becomes_empty_and_empty_ring_stays_empty(given, tolerance):
    assert run(polygon_fc(given), tolerance) == out_fc(out_feature("[]"))


RINGS = [
    [[0, 0], [1, 0], [0, 0]],
    [[0, 0], [3, 0], [3, 2], [0, 0]],
    [[1, 1], [5, 2], [6, 7], [2, 9], [-3, 4], [1, 1]],
    [[0, 0], [0, 0], [0, 0], [0, 0]],
    [[x, (x * x) % 7] for x in range(40)] + [[0, 0]],
]


@pytest.mark.parametrize("tolerance", [0.0, -0.0, -5.0, -math.inf])
@pytest.mark.parametrize("given", RINGS)
def test_non_positive_tolerance_keeps_4n_minus_3_points(given, tolerance):
    [[exterior]] = polygons_of(run(polygon_fc(given), tolerance))
    assert len(exterior) == 4 * len(given) - 3
    assert exterior[0] == exterior[-1]


def test_holes_keep_number_and_order_when_collapsed_or_empty():
    exterior = [[0, 0], [16, 0], [16, 16], [0, 16], [0, 0]]
    holes = [
        [[4, 4], [6, 4], [6, 6], [4, 4]],  # collapses at 2.0
        [[5, 5]],  # one point: empty
        [],  # empty
        [[8, 8], [12, 8], [12, 12], [8, 12], [8, 8]],  # keeps four points at 2.0
    ]
    expected = out_feature(
        ring("6.0,0.0", "15.0,3.0", "16.0,10.0", "13.0,15.0", "6.0,16.0", "1.0,13.0", "1.0,3.0",
             "6.0,0.0"),
        ring("4.75,4.0", "4.75,4.0"),
        "[]",
        "[]",
        ring("9.5,8.0", "11.25,11.75", "8.25,11.25", "9.5,8.0"),
    )
    assert run(polygon_fc(exterior, *holes), 2.0) == out_fc(expected)


def test_several_polygons_keep_their_order_and_are_independent():
    small = [[2, 1], [3, 1], [3, 2], [2, 1]]
    middle = [[2, 1], [6, 1], [6, 5], [2, 1]]
    text = fc(
        feature(polygon(middle)),
        feature(polygon(small)),
        feature(polygon([])),
        feature(polygon(SQUARE)),
        feature(polygon(small)),
    )
    expected = out_fc(
        out_feature(ring("3.5,1.0", "5.75,1.75", "5.75,4.0", "3.5,1.0")),
        out_feature(ring("2.375,1.0", "2.375,1.0")),
        out_feature("[]"),
        out_feature(SQUARE_5),
        out_feature(ring("2.375,1.0", "2.375,1.0")),
    )
    assert run(text, 1.0) == expected
