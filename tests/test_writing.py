"""The result text: compact FeatureCollection, members in byte order, the number layout.

A value v reaches the output unchanged through the closed ring [[v,v],[v,v]]: both cut points of
the pair are 0.75*v + 0.25*v, which equals v for every value used here, so the ring is smoothed to
five copies of (v,v); tolerance 0 keeps all five, a positive tolerance keeps two. The input
literals are chosen so that the reader's own decimal conversion (significand times or divided by
a power of ten) gives the intended double.
"""

import random
import struct

import pytest

from helpers import (
    fc,
    feature,
    out_fc,
    out_feature,
    point_ring_fc,
    polygon,
    reader_float,
    ring,
    run,
    written,
)

NUMBER_LAYOUT = [
    ("0", "0.0"),
    ("-0.0", "-0.0"),
    ("-0", "-0.0"),
    ("3", "3.0"),
    ("100.5", "100.5"),
    ("-12.345", "-12.345"),
    ("0.1", "0.1"),
    ("0.000123", "0.000123"),
    ("0.00001", "0.00001"),
    ("0.000001", "1e-6"),
    ("-0.00000015", "-1.5e-7"),
    ("1000000000000000", "1000000000000000.0"),
    ("9999999999999998", "9999999999999998.0"),
    ("10000000000000000", "1e16"),
    ("123456789012345680", "1.2345678901234568e17"),
    ("1e100", "1e100"),
    ("1.7976931348623157e308", "1.7976931348623157e308"),
    ("-1.7976931348623157e308", "-1.7976931348623157e308"),
    ("5e-324", "5e-324"),
    # Further rows of the layout rule.
    ("1e15", "1000000000000000.0"),
    ("1234567890123456.7", "1234567890123456.8"),
    ("123456.789", "123456.789"),
    ("99999.99999", "99999.99999"),
    ("-0.00012", "-0.00012"),
    ("123e-7", "0.0000123"),
    ("0.5e-4", "0.00005"),
    ("1e-7", "1e-7"),
    ("-2.5e-10", "-2.5e-10"),
    ("12e20", "1.2e21"),
    ("1.5e300", "1.5e300"),
    ("2.2250738585072014e-308", "2.2250738585072014e-308"),
    ("1E2", "100.0"),
    ("1e+2", "100.0"),
    # Integer and float literals of one value give the same coordinate.
    *[(literal, "1.0") for literal in ["1", "1.0", "1e0", "10e-1", "0.1e1", "100E-2", "1.000e+0"]],
    # Integers become the nearest double, ties to even.
    ("9007199254740993", "9007199254740992.0"),
    ("18446744073709551615", "1.8446744073709552e19"),
    ("-9223372036854775808", "-9.223372036854776e18"),
]


@pytest.mark.parametrize("literal, written", NUMBER_LAYOUT)
def test_number_layout(literal, written):
    position = f"{written},{written}"
    text = point_ring_fc(literal, literal)
    assert run(text, 0.0) == out_fc(out_feature(ring(*[position] * 5)))
    assert run(text, 1.0) == out_fc(out_feature(ring(position, position)))


def random_doubles(count, seed):
    generator = random.Random(seed)
    values = []
    while len(values) < count:
        bits = generator.getrandbits(64)
        if generator.random() < 0.5:  # also plenty of everyday magnitudes
            bits = (bits & ~(0x7FF << 52)) | (generator.randrange(1000, 1100) << 52)
        value = struct.unpack("<d", struct.pack("<Q", bits))[0]
        if value == value and abs(value) != float("inf"):
            values.append(value)
    return values


def test_number_layout_of_many_doubles():
    # Each literal is the repr of a random double; the reader's value of it must come back
    # written with the shortest round-trip digits in the documented layout.
    literals, expected = [], []
    for value in random_doubles(3000, seed=20240611):
        read = reader_float(repr(value))
        if 0.75 * read + 0.25 * read == read:
            literals.append(repr(value))
            expected.append(out_feature(ring(*[f"{written(read)},0.0"] * 2)))
    text = fc(*(feature(polygon(f"[[{x},0],[{x},0]]")) for x in literals))
    assert run(text, 1.0) == out_fc(*expected)


def test_worked_two_polygon_example():
    # Every vertex doubled: corner cutting keeps each vertex exactly (0.75*v + 0.25*v == v) and
    # puts the other points exactly on the edges, which tolerance 0.1 then removes.
    first = polygon(
        [[0, 0], [0, 0], [4, 0], [4, 0], [4, 3], [4, 3], [0, 3], [0, 3], [0, 0]],
        [[1, 1], [1, 1], [2, 1], [2, 1], [2, 2], [2, 2], [1, 1]],
    )
    second = polygon(
        "[[-0.0,0.5],[-0.0,0.5],[12.25,0.00001],[12.25,0.00001],"
        "[10000000000000000,-0.00000015],[10000000000000000,-0.00000015],[-0.0,0.5]]"
    )
    assert run(fc(feature(first), feature(second)), 0.1) == (
        '{"features":[{"geometry":{"coordinates":[[[0.0,0.0],[4.0,0.0],[4.0,3.0],[0.0,3.0],'
        "[0.0,0.0]],[[1.0,1.0],[2.0,1.0],[2.0,2.0],[1.0,1.0]]],\"type\":\"Polygon\"},"
        '"properties":{},"type":"Feature"},{"geometry":{"coordinates":[[[-0.0,0.5],'
        '[12.25,0.00001],[1e16,-1.5e-7],[-0.0,0.5]]],"type":"Polygon"},"properties":{},'
        '"type":"Feature"}],"type":"FeatureCollection"}'
    )


def test_nothing_but_geometry_properties_and_type_is_written():
    # bbox, id, properties, foreign members and altitudes of the input all vanish; members of
    # every written object come in byte order whatever the input order was.
    text = (
        '{"zz":1,"features":[{"properties":{"name":"a","n":[1,2]},"id":"x","bbox":[0,0,1,1],'
        '"geometry":{"crs":null,"bbox":[0,0,1,1],"coordinates":[[[1,2,30],[1,2,40]]],'
        '"type":"Polygon","extra":{"a":1}},"type":"Feature","title":"t"}],'
        '"bbox":[0,0,1,1],"type":"FeatureCollection","AA":[]}'
    )
    assert run(text, 1.0) == (
        '{"features":[{"geometry":{"coordinates":[[[1.0,2.0],[1.0,2.0]]],"type":"Polygon"},'
        '"properties":{},"type":"Feature"}],"type":"FeatureCollection"}'
    )
