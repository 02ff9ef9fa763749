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


def test_typical_call_drops_properties_and_simplifies():
    text = (
        '{"type":"FeatureCollection","features":[{"type":"Feature","properties":{"name":"a"},'
        '"geometry":{"type":"Polygon","coordinates":[[[0,0],[4,0],[4,4],[0,4],[0,0]]]}}]}'
    )
    assert run(text, 1.0) == (
        '{"features":[{"geometry":{"coordinates":[[[1.5,0.0],[3.75,0.75],[3.25,3.75],'
        '[0.25,3.25],[1.5,0.0]]],"type":"Polygon"},"properties":{},"type":"Feature"}],'
        '"type":"FeatureCollection"}'
    )


@pytest.mark.parametrize(
    "tolerance, expected",
    [
        (0.0, SQUARE_17),
        (-0.0, SQUARE_17),
        (-1.0, SQUARE_17),
        (-math.inf, SQUARE_17),
        (0.1, SQUARE_17),
        (0.5, SQUARE_8),
        (1.0, SQUARE_5),
        (2.0, SQUARE_4),
        (2.5, SQUARE_4),
        (3.0, SQUARE_3),
        (5.0, SQUARE_2),
        (math.inf, SQUARE_2),
        (math.nan, SQUARE_2),
    ],
)
def test_square_by_tolerance(tolerance, expected):
    assert run(polygon_fc(SQUARE), tolerance) == out_fc(out_feature(expected))


@pytest.mark.parametrize(
    "tolerance, expected",
    [
        # Smoothed: (1.5,0) (2.5,0) (3,0) (3,0) (2.5,0) (1.5,0) (1,0) (1,0) (1.5,0).
        (0.0, ring("1.5,0.0", "2.5,0.0", "3.0,0.0", "3.0,0.0", "2.5,0.0", "1.5,0.0",
                   "1.0,0.0", "1.0,0.0", "1.5,0.0")),
        (0.4, ring("1.5,0.0", "3.0,0.0", "1.0,0.0", "1.5,0.0")),
        # (1,0) lies exactly 0.5 beyond the chord end (1.5,0): equal to the tolerance, no split.
        (0.5, ring("1.5,0.0", "3.0,0.0", "1.5,0.0")),
        # (3,0) lies exactly 1.5 from the first point: no split at all.
        (1.5, ring("1.5,0.0", "1.5,0.0")),
        # Every point that is not chosen lies at distance exactly 0 from its chord.
        (1e-300, ring("1.5,0.0", "3.0,0.0", "1.0,0.0", "1.5,0.0")),
    ],
)
def test_three_point_ring(tolerance, expected):
    assert run(polygon_fc([[0, 0], [4, 0], [0, 0]]), tolerance) == out_fc(out_feature(expected))


@pytest.mark.parametrize(
    "tolerance, expected",
    [
        (0.0, ring(*["1.0,2.0"] * 5)),
        (-2.0, ring(*["1.0,2.0"] * 5)),
        (1e-300, ring("1.0,2.0", "1.0,2.0")),
        (7.0, ring("1.0,2.0", "1.0,2.0")),
        (math.inf, ring("1.0,2.0", "1.0,2.0")),
        (math.nan, ring("1.0,2.0", "1.0,2.0")),
    ],
)
def test_ring_of_two_equal_points(tolerance, expected):
    assert run(polygon_fc([[1, 2], [1, 2]]), tolerance) == out_fc(out_feature(expected))


@pytest.mark.parametrize("tolerance", [0.0, -1.0, 1.0, math.inf, math.nan])
@pytest.mark.parametrize("given", [[[5, 5]], [[-1.5, 2]], []])
def test_one_point_ring_becomes_empty_and_empty_ring_stays_empty(given, tolerance):
    assert run(polygon_fc(given), tolerance) == out_fc(out_feature("[]"))


def test_earliest_of_equally_distant_points_is_kept():
    # Smoothed ring (13 points): (1.5,0) (2.5,0) (3.1875,0.0625) (3.5625,0.1875) (3.625,0.375)
    # (3.375,0.625) (3,0.75) (2.5,0.75) (1.875,0.625) (1.125,0.375) (0.8125,0.1875)
    # (0.9375,0.0625) (1.5,0). On the chord (3.625,0.375)-(2.5,0.75) the points (3.375,0.625)
    # and (3,0.75) both lie 0.1875/1.40625 * hypot(1.125,0.375) away; the earlier one is kept.
    expected = ring(
        "1.5,0.0", "3.1875,0.0625", "3.5625,0.1875", "3.625,0.375", "3.375,0.625",
        "2.5,0.75", "0.8125,0.1875", "1.5,0.0",
    )
    assert run(polygon_fc([[0, 0], [4, 0], [3, 1], [0, 0]]), 0.1) == out_fc(out_feature(expected))


@pytest.mark.parametrize(
    "tolerance, expected",
    [
        (0.0, ring("3.0,0.0", "5.0,0.0", "7.0,0.0", "9.0,0.0", "11.0,0.0", "13.0,0.0",
                   "13.5,0.0", "12.5,0.0", "10.0,0.0", "6.0,0.0", "3.5,0.0", "2.5,0.0",
                   "3.0,0.0")),
        (1e-300, ring("3.0,0.0", "13.5,0.0", "2.5,0.0", "3.0,0.0")),
    ],
)
def test_collinear_points_never_split(tolerance, expected):
    assert run(polygon_fc([[0, 0], [8, 0], [16, 0], [0, 0]]), tolerance) == out_fc(
        out_feature(expected)
    )


def test_each_product_and_sum_rounded_on_its_own():
    # With a fused multiply-add some of these values would differ in the last digit.
    expected = ring(
        "0.037500000000000006,0.0", "0.06250000000000001,0.0", "0.08125000000000002,0.00625",
        "0.09375000000000001,0.018750000000000003", "0.1,0.037500000000000006",
        "0.1,0.06250000000000001", "0.09375000000000001,0.08125000000000002",
        "0.08125000000000002,0.09375000000000001", "0.06250000000000001,0.1",
        "0.037500000000000006,0.1", "0.018750000000000003,0.09375000000000001",
        "0.00625,0.08125000000000002", "0.0,0.06250000000000001", "0.0,0.037500000000000006",
        "0.00625,0.018750000000000003", "0.018750000000000003,0.00625",
        "0.037500000000000006,0.0",
    )
    square = [[0, 0], [0.1, 0], [0.1, 0.1], [0, 0.1], [0, 0]]
    assert run(polygon_fc(square), 0.0) == out_fc(out_feature(expected))


def test_overflowing_distances_are_never_chosen_when_not_a_number():
    # Corners at +-1e308: distances from the first point overflow to inf (the earliest inf,
    # (8.75e307,6.25e307), is the split); on the two chords that follow every distance is NaN
    # (inf/inf), so nothing more is split even with tolerance 1.
    corners = "[[-1e308,-1e308],[1e308,-1e308],[1e308,1e308],[-1e308,1e308],[-1e308,-1e308]]"
    text = polygon_fc(corners)
    expected = ring("-2.5e307,-1e308", "8.75e307,6.25e307", "-2.5e307,-1e308")
    assert run(text, 1.0) == out_fc(out_feature(expected))


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


@pytest.mark.parametrize("tolerance", [math.inf, math.nan])
@pytest.mark.parametrize(
    "given, first",
    [
        ([[0, 0], [8, 0], [0, 8], [0, 0]], "3.0,0.0"),
        ([[2, 1], [6, 1], [6, 5], [2, 1]], "3.5,1.0"),
        ([[-8, 16], [0, 0], [40, 40], [-8, 16]], "-5.0,10.0"),
        ([[1, 1], [5, 2], [6, 7], [2, 9], [-3, 4], [1, 1]], "2.5,1.375"),
    ],
)
def test_infinite_or_nan_tolerance_keeps_two_copies_of_first_point(given, first, tolerance):
    # The first smoothed point is 0.625*P0 + 0.375*P1, exact for these coordinates.
    assert run(polygon_fc(given), tolerance) == out_fc(out_feature(ring(first, first)))


@pytest.mark.parametrize(
    "given, first",
    [
        ([[0, 0], [0.01, 0], [0.01, 0.01], [0, 0.01], [0, 0]], "0.00375,0.0"),
        ([[10, 10], [10.004, 10], [10.004, 10.004], [10, 10]], "10.0015,10.0"),
    ],
)
def test_tolerance_is_in_coordinate_units(given, first):
    assert run(polygon_fc(given), 1.0) == out_fc(out_feature(ring(first, first)))


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


@pytest.mark.parametrize(
    "tolerance, kept",
    # The farthest distance of the first run is 669.1863223566969 as the distance is computed
    # here; the correctly rounded root, and musl's hypot, give the next double up, which would
    # split the ring at this very tolerance and keep three positions.
    [("669.1863223566969", ["184.72275,660.0722499999999"] * 2),
     ("669.1863223566968", ["184.72275,660.0722499999999", "755.3718749999999,310.54412499999995",
                            "184.72275,660.0722499999999"])],
)
def test_a_split_that_hangs_on_the_last_bit_of_a_distance(tolerance, kept):
    given = [[211.035, 922.333], [140.869, 222.971], [614.395, 230.071], [839.958, 358.828],
             [211.035, 922.333]]
    assert run(polygon_fc(given), float(tolerance)) == out_fc(out_feature(ring(*kept)))
