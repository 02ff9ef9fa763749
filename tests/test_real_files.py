"""Real boundary files, a ring of ten million points and a ring whose splitting nests deeply."""

import json

import pytest

from helpers import DATA, reader_float, run, run_child

FILES = {
    # name: (features, polygons) as listed in data/README.md
    "ne_countries_50m.geojson": (241, 1616),
    "us_states_10m.geojson": (56, 305),
    "us_counties_10m.geojson": (3231, 3510),
}

def polygons_in(document):
    """The rings of every Polygon and MultiPolygon member, in document order."""
    found = []
    for feature in document["features"]:
        geometry = feature["geometry"]
        if geometry is None:
            continue
        if geometry["type"] == "Polygon":
            found.append(geometry["coordinates"])
        elif geometry["type"] == "MultiPolygon":
            found.extend(geometry["coordinates"])
    return found


def smoothed(ring):
    """Two corner-cutting passes over the closed ring, as the pipeline does at tolerance 0."""
    points = [(p[0], p[1]) for p in ring]
    if points and points[0] != points[-1]:
        points.append(points[0])
    for _ in range(2):
        cut = []
        for (ax, ay), (bx, by) in zip(points, points[1:]):
            cut.append((0.75 * ax + 0.25 * bx, 0.75 * ay + 0.25 * by))
            cut.append((0.25 * ax + 0.75 * bx, 0.25 * ay + 0.75 * by))
        points = cut + cut[:1]
    return [list(p) for p in points]


def is_subsequence(short, long):
    position = iter(long)
    return all(any(point == candidate for candidate in position) for point in short)


@pytest.fixture(scope="module", params=sorted(FILES))
def real_file(request):
    text = (DATA / request.param).read_text(encoding="utf-8")
    document = json.loads(text, parse_float=reader_float)
    features, polygons = FILES[request.param]
    assert len(document["features"]) == features
    expected = polygons_in(document)
    assert len(expected) == polygons
    at_zero = run(text, 0.0)
    return text, expected, json.loads(at_zero)


def test_tolerance_zero_gives_every_smoothed_point(real_file):
    _, polygons, result = real_file
    assert [f["geometry"]["coordinates"] for f in result["features"]] == [
        [smoothed(ring) for ring in polygon] for polygon in polygons
    ]


@pytest.mark.parametrize("tolerance", [0.0, 1e-4, 1e-2])
def test_result_is_a_collection_of_simplified_polygons(real_file, tolerance):
    text, polygons, at_zero = real_file
    output = run(text, tolerance)
    assert run(text, tolerance) == output
    result = json.loads(output)
    assert list(result) == ["features", "type"] and result["type"] == "FeatureCollection"
    features = result["features"]
    assert len(features) == len(polygons)
    for feature, given, full in zip(features, polygons, at_zero["features"]):
        assert feature["properties"] == {} and feature["type"] == "Feature"
        assert feature["geometry"]["type"] == "Polygon"
        rings = feature["geometry"]["coordinates"]
        assert len(rings) == len(given)
        for ring, smooth in zip(rings, full["geometry"]["coordinates"]):
            assert ring == [] or (len(ring) >= 2 and ring[0] == ring[-1] == smooth[0])
            assert is_subsequence(ring, smooth)


TEN_MILLION = """
import quorvel
n = 2_500_000
up, down = range(n), range(n, 0, -1)
edges = [
    "[" + ",0],[".join(map(str, up)) + ",0]",
    "[%d," % n + ("],[%d," % n).join(map(str, up)) + "]",
    "[" + (",%d],[" % n).join(map(str, down)) + ",%d]" % n,
    "[0," + "],[0,".join(map(str, down)) + "]",
    "[0,0]",
]
text = ('{"type":"FeatureCollection","features":[{"type":"Feature","geometry":'
        '{"type":"Polygon","coordinates":[[' + ",".join(edges) + ']]}}]}')
del edges
print(text.count("],["), end=" ")
print(quorvel.smooth_and_simplify_polygon_fc(text, 0.01))
"""


def test_ring_of_ten_million_points():
    # A square of side 2,500,000 with a point at every integer along its edges: the smoothed points
    # along an edge lie exactly on it, only the cut corners remain.
    child = run_child(TEN_MILLION, timeout=300)
    assert child.returncode == 0, child.stderr[-2000:]
    m, p = "2499999.", "2500000.0"
    corners = (
        f"[0.375,0.0],[{m}625,0.0],[{m}8125,0.0625],[{m}9375,0.1875],[{p},0.375],"
        f"[{p},{m}625],[{m}9375,{m}8125],[{m}8125,{m}9375],[{m}625,{p}],"
        f"[0.375,{p}],[0.1875,{m}9375],[0.0625,{m}8125],[0.0,{m}625],"
        "[0.0,0.375],[0.0625,0.1875],[0.1875,0.0625],[0.375,0.0]"
    )
    assert child.stdout == (
        "10000000 "
        '{"features":[{"geometry":{"coordinates":[[' + corners + ']],"type":"Polygon"},'
        '"properties":{},"type":"Feature"}],"type":"FeatureCollection"}\n'
    )


DEEP = """
import json, quorvel
n = 21000
zigzag = ",".join("[%d,0]" % ((n - i + 10) * (1 if i % 2 == 0 else -1)) for i in range(n))
text = ('{"type":"FeatureCollection","features":[{"type":"Feature","geometry":'
        '{"type":"Polygon","coordinates":[[[0,-10000000],' + zigzag + ',[0,-10000000]]]}}]}')
ring = json.loads(quorvel.smooth_and_simplify_polygon_fc(text, 0.01))["features"][0]
ring = ring["geometry"]["coordinates"][0]
print(len(ring), ring[0], ring[-1])
"""


def test_deeply_nested_splitting():
    # A zigzag along the x axis, amplitude shrinking by one per point, closed through a point far
    # below. Every chord then runs from the current zigzag point to the far end, the farthest
    # point is always the next extreme on the other side, and each split peels off only the
    # handful of smoothed points before it: about 21,000 nested splits, about 21,000 points kept.
    child = run_child(DEEP, timeout=300)
    assert child.returncode == 0, child.stderr[-2000:]
    assert child.stdout == "21011 [7878.75, -6250000.0] [7878.75, -6250000.0]\n"
