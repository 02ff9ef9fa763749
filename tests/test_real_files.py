"""Real boundary files, a ring of ten million points and a ring whose splitting nests deeply."""

import hashlib
import json

import pytest

from conftest import run_python
from helpers import DATA, is_subsequence, reader_float, run, smoothed_ring

FILES = {
    # name: (features, polygons) as listed in data/README.md
    "ne_countries_50m.geojson": (241, 1616),
    "us_states_10m.geojson": (56, 305),
    "us_counties_10m.geojson": (3231, 3510),
    "ne_countries_coarse.geojson": (233, 1550),
}

# The sha256 of each result as the module has always written it: any change to a byte of the
# output of a real map, by any stage, shows here.
RESULT_DIGESTS = {
    ("ne_countries_50m.geojson", 0.0): "3de3316fbc096b74396a18c7094a0a171ee4c8be237676f78ca9d79849b03d9d",
    ("ne_countries_50m.geojson", 0.0001): "2289c67231be8d6bda2e98a03a5630e4576bf82e53b3b8c483635b603cba5383",
    ("ne_countries_50m.geojson", 0.001): "161af3d60df9bf836c0eac209dd23911891defd0432ceb4672febdbf4be8dcf5",
    ("ne_countries_50m.geojson", 0.01): "77055366ccbf799b8a29cea23fb878412bdfe1981130c4643e15f358a6f112cf",
    ("ne_countries_50m.geojson", 1.0): "560f91de6fca87f10b2930ee8f825c46ec7dd4cef248590755de9b66e0ef8938",
    ("ne_countries_coarse.geojson", 0.0): "cb5871ffe102fe51caec4fd8fbd5999aec63e657f4bd7ec19cbe22f793090590",
    ("ne_countries_coarse.geojson", 0.0001): "445e2110ab6fbe6682c2b2f67f1e376a0512bb48c1bcfe2692e0d11dfa9313f2",
    ("ne_countries_coarse.geojson", 0.001): "cfc1db9547247478d605a3416c3f30909da46ee48657b09f2aecd5819ba04a96",
    ("ne_countries_coarse.geojson", 0.01): "d0f85a52cb2feb24bddcf91628f0c3560bdfa40d3379106af1a0926d9b012c9f",
    ("ne_countries_coarse.geojson", 1.0): "9d122a41a4934ecf6eac09f15b7f12d4962c6abf0ee23007c79a5b659e0a411f",
    ("us_counties_10m.geojson", 0.0): "d0eb27d1236eae3bb2332eab535d8b002df7e058a08d3169c79d243125bb0a0f",
    ("us_counties_10m.geojson", 0.0001): "824a7f4fed48e7726764233ed70a9df1f32c2a6431b4650c4aa8da5648a67cea",
    ("us_counties_10m.geojson", 0.001): "a80579666936314859e80a47d18f82fc767dc7a6ef87b51c9a3cb3c81923c0de",
    ("us_counties_10m.geojson", 0.01): "78fce0d1ab68161d125fdafc2ccbbf13ba79ffb82832eeab3379cdca50f2f42b",
    ("us_counties_10m.geojson", 1.0): "8ec64346fabb5b093c49d77785f45d29edfce47de83053cff0fe179f794a4dd0",
    ("us_states_10m.geojson", 0.0): "f4ce62e93b28f2845ef3af561693ad9ab08ce1e863a11c64e735cb2579c2f388",
    ("us_states_10m.geojson", 0.0001): "622c579050533a3805ed9ee99bb1addeee0ba4a5f462dd2e05ba0b6e40de4052",
    ("us_states_10m.geojson", 0.001): "208b212383ead3420798504665872bf37e5b52738333dba2f2306a703fe1fee8",
    ("us_states_10m.geojson", 0.01): "2169ef203343dcbf22d7fa89d1273bac8ccfbc1d3d8681fae12ef2e2afd5906e",
    ("us_states_10m.geojson", 1.0): "05cb68b9b15ac795ab12dd2e68b2503f19a48ffa56a7ebe52fba78f72d397559",
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
        [smoothed_ring(ring) for ring in polygon] for polygon in polygons
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


@pytest.mark.parametrize("name, tolerance", sorted(RESULT_DIGESTS))
def test_results_are_the_recorded_bytes(name, tolerance):
    text = (DATA / name).read_text(encoding="utf-8")
    digest = hashlib.sha256(run(text, tolerance).encode()).hexdigest()
    assert digest == RESULT_DIGESTS[name, tolerance]


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
    child = run_python(TEN_MILLION, timeout=300)
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
    child = run_python(DEEP, timeout=300)
    assert child.returncode == 0, child.stderr[-2000:]
    assert child.stdout == "21011 [7878.75, -6250000.0] [7878.75, -6250000.0]\n"
