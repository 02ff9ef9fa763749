"""Which polygons are collected, in which order, and how their rings are closed.

With an infinite tolerance every closed ring of two or more points comes out as two copies of its
first smoothed point, 0.625*P0 + 0.375*P1, which names each polygon by hand-computable numbers.
With tolerance 0 a closed ring of n points comes out with all of its 4n - 3 smoothed points, which
shows whether the ring was closed before smoothing.
"""

import math

import pytest

from helpers import (
    SQUARE_17,
    fc,
    feature,
    geometry,
    out_fc,
    out_feature,
    panic_message,
    polygon,
    polygon_fc,
    ring,
    run,
    UNWRAP,
)

A = [[0, 0], [8, 0], [0, 8], [0, 0]]  # first smoothed point (3, 0)
B = [[10, 0], [18, 0], [10, 8], [10, 0]]  # (13, 0)
C = [[0, 16], [8, 16], [0, 24], [0, 16]]  # (3, 16)
D = [[0, 32], [8, 32], [0, 40], [0, 32]]  # (3, 32)
A_OUT = out_feature(ring("3.0,0.0", "3.0,0.0"))
B_OUT = out_feature(ring("13.0,0.0", "13.0,0.0"))
C_OUT = out_feature(ring("3.0,16.0", "3.0,16.0"))
D_OUT = out_feature(ring("3.0,32.0", "3.0,32.0"))


def test_polygons_are_collected_in_document_order():
    text = fc(
        feature(geometry("MultiPolygon", [[A], [B]])),
        feature(geometry("Point", [1, 2])),
        feature(polygon(C)),
        feature("null"),
        feature(polygon(A)),  # identical polygons are not merged
    )
    assert run(text, math.inf) == out_fc(A_OUT, B_OUT, C_OUT, A_OUT)


@pytest.mark.parametrize(
    "skipped",
    [
        geometry("Point", [1, 2]),
        geometry("MultiPoint", [[1, 2], [3, 4]]),
        geometry("LineString", A),
        geometry("MultiLineString", [A, B]),
        geometry("MultiPolygon", []),
        '{"type":"GeometryCollection","geometries":[' + polygon(A) + "]}",
        '{"type":"GeometryCollection","geometries":[{"type":"GeometryCollection",'
        '"geometries":[' + geometry("MultiPolygon", [[A]]) + "]}]}",
        "null",
        # Short positions outside polygons are accepted.
        geometry("Point", []),
        geometry("Point", [1]),
        geometry("Point", [1, 2, 3, 4]),
        geometry("MultiPoint", [[], [1]]),
        geometry("LineString", [[], [1], [1, 2, 3, 4]]),
        geometry("MultiLineString", [[[3]], [[]]]),
        '{"type":"GeometryCollection","geometries":[' + polygon([[3], []]) + "]}",
    ],
)
def test_other_geometries_contribute_nothing(skipped):
    text = fc(feature(skipped), feature(polygon(C)), feature(skipped), feature(polygon(D)))
    assert run(text, math.inf) == out_fc(C_OUT, D_OUT)


TRIANGLE_13 = ring(
    "0.375,0.0", "0.625,0.0", "0.8125,0.0625", "0.9375,0.1875", "1.0,0.375", "1.0,0.625",
    "0.9375,0.75", "0.8125,0.75", "0.625,0.625", "0.375,0.375", "0.25,0.1875", "0.25,0.0625",
    "0.375,0.0",
)


@pytest.mark.parametrize(
    "given, expected",
    [
        # An open ring is closed before smoothing: same result as the closed ring.
        ("[[0,0],[4,0],[4,4],[0,4]]", SQUARE_17),
        ("[[0,0],[4,0],[4,4],[0,4],[0,0]]", SQUARE_17),
        # (1,2),(3,4) becomes (1,2),(3,4),(1,2): 9 smoothed points.
        ("[[1,2],[3,4]]", ring("1.75,2.75", "2.25,3.25", "2.5,3.5", "2.5,3.5", "2.25,3.25",
                                "1.75,2.75", "1.5,2.5", "1.5,2.5", "1.75,2.75")),
        # A single position stays a single point, which smoothing turns into the empty ring.
        ("[[5,5]]", "[]"),
        ("[]", "[]"),
        # Third numbers are dropped before the ring is tested: it is closed, 13 points.
        ("[[0,0,7],[1,0],[1,1],[0,0,9]]", TRIANGLE_13),
        ("[[0,0,7,8,9],[1,0,1],[1,1,-1],[0,0]]", TRIANGLE_13),
        ("[[0,0],[1,0],[1,1],[-0.0,0]]", TRIANGLE_13),
        # -0.0 equals 0.0, so this ring is closed (13 points, not 17); the negative zeros of the
        # edge x = -0.0 survive corner cutting.
        ("[[0,0],[1,0],[-0.0,1],[-0.0,0]]", ring(
            "0.375,0.0", "0.625,0.0", "0.75,0.0625", "0.75,0.1875", "0.625,0.375",
            "0.375,0.625", "0.1875,0.75", "0.0625,0.75", "-0.0,0.625", "-0.0,0.375",
            "0.0625,0.1875", "0.1875,0.0625", "0.375,0.0")),
        # Integer and float literals give the same coordinates.
        ("[[0.0,0.0],[1.0,0.0],[1.0,1.0],[0.0,0.0]]", TRIANGLE_13),
        ("[[0e0,0E5],[10e-1,0.0e0],[1E0,100e-2],[0,0]]", TRIANGLE_13),
    ],
)
def test_ring_closing(given, expected):
    assert run(polygon_fc(given), 0.0) == out_fc(out_feature(expected))


@pytest.mark.parametrize("coordinates", ["[]", "[[]]"])
def test_polygon_without_rings_keeps_its_place(coordinates):
    text = fc(feature(polygon(A)), feature(geometry("Polygon", coordinates)), feature(polygon(B)))
    assert run(text, math.inf) == out_fc(A_OUT, out_feature("[]"), B_OUT)


def test_multipolygon_members_are_polygons_with_their_holes_and_keep_their_place():
    text = fc(feature(geometry("MultiPolygon", [[A], [], [[]], [B, C]])))
    b_with_hole = out_feature(ring("13.0,0.0", "13.0,0.0"), ring("3.0,16.0", "3.0,16.0"))
    assert run(text, math.inf) == out_fc(A_OUT, out_feature("[]"), out_feature("[]"), b_with_hole)


LEN_0 = "index out of bounds: the len is 0 but the index is 0"
LEN_1 = "index out of bounds: the len is 1 but the index is 1"


@pytest.mark.parametrize(
    "text, message",
    [
        (polygon_fc(A, [[0, 0], [3], [1, 1]]), LEN_1),
        (polygon_fc(A, [[0, 0], [], [1, 1]]), LEN_0),
        (polygon_fc([[0, 0], [1, 0], [1]]), LEN_1),
        (polygon_fc([[]]), LEN_0),
        # The first short position in text order decides: exterior before interior ...
        (polygon_fc([[0, 0], []], [[1], [1, 1]]), LEN_0),
        (polygon_fc([[0, 0], [1]], [[], [1, 1]]), LEN_1),
        # ... member polygons and features in order.
        (fc(feature(geometry("MultiPolygon", [[A], [[[9]]], [[[]]]]))), LEN_1),
        (fc(feature(geometry("MultiPolygon", [[[[]]], [[[9]]]]))), LEN_0),
        (fc(feature(polygon([[1, 1], []])), feature(polygon([[2]]))), LEN_0),
        (fc(feature(polygon([[1, 1], [2]])), feature(polygon([[]]))), LEN_1),
    ],
)
def test_short_positions_in_polygons_end_the_call(text, message):
    assert panic_message(text, 1.0) == message


@pytest.mark.parametrize(
    "later, description",
    [
        (feature(geometry("Point", '"x"')), 'ExpectedArrayValue("None")'),
        (feature("null", ',"id":null'), "FeatureInvalidIdentifierType(Null)"),
        (feature(geometry("LineString", [[0, "a"]])), "ExpectedF64Value"),
        ('{"type":"Feature"}', 'ExpectedProperty("geometry")'),
    ],
)
def test_whole_document_is_validated_before_collecting(later, description):
    # A valid Polygon, and one with a short position, come before the bad feature.
    valid = fc(feature(polygon(A)), later)
    assert panic_message(valid) == UNWRAP + description
    short = fc(feature(polygon([[0, 0], [1]])), later)
    assert panic_message(short) == UNWRAP + description
