"""Properties of the public function over random valid FeatureCollections: every kind of feature
and geometry, holes, MultiPolygons, null geometry, properties, ids, bbox and foreign members,
numbers spelled in every valid way, random whitespace and member order."""

import json
import math
import random
from decimal import Decimal

from hypothesis import given, settings
from hypothesis import strategies as st

from helpers import is_subsequence, run

SETTINGS = settings(max_examples=60, deadline=None)


class Num:
    """The number sign * digits * 10**exponent, which every spelling below reads back exactly
    (at most nine significant digits and powers of ten up to 10**9: one rounding at most)."""

    def __init__(self, negative, digits, exponent):
        self.negative, self.digits, self.exponent = negative, digits, exponent

    def value(self):
        return float(Decimal(f"{'-' if self.negative else ''}{self.digits}E{self.exponent}"))

    def spell(self, rng):
        shift = rng.randrange(3)  # trailing zeros moved into the digits
        digits, exponent = str(self.digits * 10**shift), self.exponent - shift
        sign = "-" if self.negative else ""
        form = rng.randrange(4)
        if form == 0 and exponent >= 0:  # 1E+2 as 100
            return sign + str(int(digits) * 10**exponent)
        if form <= 1:  # 1e2, 1E+2, 1e02, 1e+002
            padding = rng.choice(["", "+", "0", "+00"]) if exponent >= 0 else ""
            return sign + digits + rng.choice("eE") + padding + str(exponent)
        if form == 2 and exponent < 0:  # 0.05, maybe with a zero exponent: 0.05e0, 0.05E+0
            digits = digits.rjust(1 - exponent, "0")
            point = sign + digits[:exponent] + "." + digits[exponent:]
            return point + rng.choice(["", "e0", "E+0", "e-00"])
        return f"{sign}0.{digits}e{exponent + len(digits)}"  # 0.5e-1


numbers = st.builds(Num, st.booleans(), st.integers(0, 10**6), st.integers(-6, 3))
small = st.builds(Num, st.booleans(), st.integers(0, 8), st.just(0))  # duplicates, collinear
position = st.lists(st.one_of(numbers, small), min_size=2, max_size=2) | st.lists(
    numbers, min_size=3, max_size=3
)
ring = st.lists(position, max_size=8).map(lambda r: r + r[:1] if r and len(r) % 2 else r)
polygon = st.lists(ring, max_size=3)
any_position = st.lists(numbers, max_size=4)
plain = st.one_of(st.none(), st.booleans(), numbers, st.text(max_size=5))
json_values = st.recursive(
    plain,
    lambda inner: st.lists(inner, max_size=3)
    | st.dictionaries(st.text(max_size=4), inner, max_size=3),
    max_leaves=6,
)


def geometry(kind, coordinates):
    return st.builds(lambda c: {"type": kind, "coordinates": c}, coordinates)


polygonal = geometry("Polygon", polygon) | geometry("MultiPolygon", st.lists(polygon, max_size=3))
geometries = st.recursive(
    polygonal
    | geometry("Point", any_position)
    | geometry("MultiPoint", st.lists(any_position, max_size=3))
    | geometry("LineString", st.lists(any_position, max_size=3))
    | geometry("MultiLineString", st.lists(st.lists(any_position, max_size=3), max_size=2)),
    lambda inner: st.lists(inner, max_size=3).map(
        lambda g: {"type": "GeometryCollection", "geometries": g}
    ),
    max_leaves=3,
)
optional = {
    "properties": st.none() | st.dictionaries(st.text(max_size=4), json_values, max_size=3),
    "id": st.text(max_size=3) | numbers,
    "bbox": st.lists(numbers, max_size=4),
    "title": json_values,  # a foreign member
}
features = st.fixed_dictionaries(
    {"type": st.just("Feature"), "geometry": polygonal | polygonal | st.none() | geometries},
    optional=optional,
)
collections = st.fixed_dictionaries(
    {"type": st.just("FeatureCollection"), "features": st.lists(features, min_size=1, max_size=5)},
    optional={"bbox": optional["bbox"], "name": json_values},
)


def dump(value, rng):
    """JSON text of the document with random whitespace, member order, escapes and spellings."""
    space = lambda: rng.choice(["", "", " ", "\n", "\t", "\r\n ", "  "])
    if isinstance(value, Num):
        text = value.spell(rng)
    elif isinstance(value, dict):
        members = list(value.items())
        rng.shuffle(members)
        text = "{" + ",".join(
            space() + json.dumps(k, ensure_ascii=rng.random() < 0.5) + space() + ":" + dump(v, rng)
            for k, v in members
        ) + space() + "}"
    elif isinstance(value, list):
        text = "[" + ",".join(dump(v, rng) for v in value) + space() + "]"
    else:
        text = json.dumps(value, ensure_ascii=rng.random() < 0.5)
    return space() + text + space()


def rings_read(document):
    """The input rings of every polygon collected, as lists of (x, y), closed as the reader does."""
    collected = []
    for feature in document["features"]:
        g = feature["geometry"] or {}
        members = [g["coordinates"]] if g.get("type") == "Polygon" else []
        members = g["coordinates"] if g.get("type") == "MultiPolygon" else members
        for rings in members:
            points = [[(p[0].value(), p[1].value()) for p in r] for r in rings] or [[]]
            collected.append([r + r[:1] if r and r[0] != r[-1] else r for r in points])
    return collected


def polygons_written(output):
    document = json.loads(output)
    assert list(document) == ["features", "type"] and document["type"] == "FeatureCollection"
    for f in document["features"]:
        assert (f["properties"], f["type"], f["geometry"]["type"]) == ({}, "Feature", "Polygon")
    return [
        [[tuple(p) for p in r] for r in f["geometry"]["coordinates"]] for f in document["features"]
    ]


tolerances = st.sampled_from([-1.0, -0.0, 0.0, 1e-9, 0.001, 0.5, 3.0, 1e300, math.inf, math.nan])


@SETTINGS
@given(collections, st.integers(0, 2**32), tolerances)
def test_output_is_a_collection_of_closed_rings_with_the_smoothing_laws(document, seed, tolerance):
    text = dump(document, random.Random(seed))
    output = run(text, tolerance)
    assert run(text, tolerance) == output
    at_zero = polygons_written(run(text, 0.0))
    result = polygons_written(output)
    given_rings = rings_read(document)
    assert len(result) == len(given_rings)
    for given_polygon, polygon, smooth_polygon in zip(given_rings, result, at_zero):
        assert len(polygon) == len(given_polygon)
        for given_ring, ring, smooth in zip(given_polygon, polygon, smooth_polygon):
            n = len(given_ring)
            assert len(smooth) == (4 * n - 3 if n >= 2 else 0)
            assert ring == [] or ring[0] == ring[-1]
            if 0.0 >= tolerance:
                assert ring == smooth
            elif math.isnan(tolerance) or tolerance == math.inf:
                assert ring == smooth[:1] * 2
            else:
                assert is_subsequence(ring, smooth)
                assert ring[:1] == smooth[:1] and ring[-1:] == smooth[-1:]


@SETTINGS
@given(collections, st.integers(0, 2**32), st.integers(0, 2**32), tolerances)
def test_result_does_not_depend_on_layout_order_or_spelling(document, seed_a, seed_b, tolerance):
    plain = json.loads(json.dumps(document, default=lambda n: n.value()))
    expected = run(json.dumps(plain, separators=(",", ":")), tolerance)
    assert run(dump(document, random.Random(seed_a)), tolerance) == expected
    assert run(dump(document, random.Random(seed_b)), tolerance) == expected
