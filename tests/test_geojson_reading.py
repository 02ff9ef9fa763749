"""Reading the GeoJSON document: accepted forms, the order of checks, each error kind and the
description of the values and strings it holds."""

import math

import pytest

from helpers import (
    EMPTY_FC,
    description,
    fc,
    feature,
    geometry,
    out_fc,
    out_feature,
    polygon,
    ring,
    run,
)

TRIANGLE = [[0, 0], [8, 0], [0, 8], [0, 0]]  # first smoothed point (3, 0)
TRIANGLE_OUT = out_fc(out_feature(ring("3.0,0.0", "3.0,0.0")))


def in_feature(members):
    """A collection whose single feature has exactly the given members (text without braces)."""
    return fc("{" + members + "}")


ERRORS = [
    # The documented examples.
    (
        '{"type":"FeatureCollection","features":[{"type":"Feature","geometry":{"type":"Polygon",'
        '"coordinates":[[[0,0],[1,"a"]]]}}]}',
        "ExpectedF64Value",
    ),
    (fc(feature("null", ',"id":null')), "FeatureInvalidIdentifierType(Null)"),
    ('{"type":"Circle"}', "EmptyType"),
    ('{"type":5}', 'GeometryUnknownType("type")'),
    (fc(feature('{"type":"Circle","coordinates":[]}')), 'GeometryUnknownType("Circle")'),
    (
        '{"type":"FeatureCollection","features":{"a": [1, 2.5, "x"]}}',
        'ExpectedArrayValue("Object")',
    ),
    (
        fc(feature("null", ',"properties":[true]')),
        "PropertiesExpectedObjectOrNull(Array [Bool(true)])",
    ),
    (in_feature('"type":"feature","geometry":null'), 'NotAFeature("feature")'),
    (fc('{"type":"Feature"}'), 'ExpectedProperty("geometry")'),
    ("[1, 2]", "ExpectedObjectValue(Array [Number(1), Number(2)])"),
    # The top of the document (a value that is not an object: the y_structure_lonely_* rows of
    # test_json_conformance.py).
    ("{}", 'GeometryUnknownType("type")'),
    ('{"type":null}', 'GeometryUnknownType("type")'),
    ('{"type":["Feature"]}', 'GeometryUnknownType("type")'),
    ('{"Type":"FeatureCollection","features":[]}', 'GeometryUnknownType("type")'),
    ('{"type":"featurecollection","features":[]}', "EmptyType"),
    ('{"type":""}', "EmptyType"),
    ('{"type":"FeatureCollection"}', 'ExpectedProperty("features")'),
    ('{"type":"Feature"}', 'ExpectedProperty("geometry")'),
    ('{"type":"Feature","geometry":null,"id":false}', "FeatureInvalidIdentifierType(Bool(false))"),
    ('{"type":"Polygon"}', 'ExpectedProperty("coordinates")'),
    ('{"type":"Point","coordinates":"x"}', 'ExpectedArrayValue("None")'),
    ('{"type":"GeometryCollection"}', 'ExpectedProperty("geometries")'),
    # FeatureCollection.
    ('{"type":"FeatureCollection","features":null}', 'ExpectedArrayValue("Null")'),
    ('{"type":"FeatureCollection","features":true}', 'ExpectedArrayValue("Bool")'),
    ('{"type":"FeatureCollection","features":5}', 'ExpectedArrayValue("Number")'),
    ('{"type":"FeatureCollection","features":"x"}', 'ExpectedArrayValue("String")'),
    (fc("null"), "ExpectedObjectValue(Null)"),
    (fc("[]"), "ExpectedObjectValue(Array [])"),
    (fc(feature(), "3"), "ExpectedObjectValue(Number(3))"),
    ('{"type":"FeatureCollection","bbox":"x","features":[]}', 'BboxExpectedArray(String("x"))'),
    ('{"type":"FeatureCollection","bbox":[1,null]}', "BboxExpectedNumericValues(Null)"),
    # Feature.
    (in_feature('"geometry":null'), 'ExpectedProperty("type")'),
    (in_feature('"Type":"Feature","geometry":null'), 'ExpectedProperty("type")'),
    (in_feature('"type":5,"geometry":null'), "ExpectedStringValue(Number(5))"),
    (in_feature('"type":null,"geometry":null'), "ExpectedStringValue(Null)"),
    (in_feature('"type":["Feature"]'), 'ExpectedStringValue(Array [String("Feature")])'),
    (in_feature('"type":"Polygon","coordinates":[]'), 'NotAFeature("Polygon")'),
    (in_feature('"type":"FeatureCollection","features":[]'), 'NotAFeature("FeatureCollection")'),
    (in_feature('"type":"Feature "'), 'NotAFeature("Feature ")'),
    (fc(feature("5")), "FeatureInvalidGeometryValue(Number(5))"),
    (fc(feature("[]")), "FeatureInvalidGeometryValue(Array [])"),
    (fc(feature('"Point"')), 'FeatureInvalidGeometryValue(String("Point"))'),
    (fc(feature("false")), "FeatureInvalidGeometryValue(Bool(false))"),
    (fc(feature("null", ',"properties":"x"')), 'PropertiesExpectedObjectOrNull(String("x"))'),
    (fc(feature("null", ',"properties":0')), "PropertiesExpectedObjectOrNull(Number(0))"),
    (fc(feature("null", ',"id":true')), "FeatureInvalidIdentifierType(Bool(true))"),
    (fc(feature("null", ',"id":[]')), "FeatureInvalidIdentifierType(Array [])"),
    (fc(feature("null", ',"id":{"a":1}')), 'FeatureInvalidIdentifierType(Object {"a": Number(1)})'),
    (fc(feature("null", ',"bbox":{}')), "BboxExpectedArray(Object {})"),
    (fc(feature("null", ',"bbox":[1,"2"]')), 'BboxExpectedNumericValues(String("2"))'),
    (fc(feature("null", ',"bbox":[[1]]')), "BboxExpectedNumericValues(Array [Number(1)])"),
    # Geometry.
    (fc(feature('{"coordinates":[]}')), 'ExpectedProperty("type")'),
    (fc(feature('{"Type":"Polygon","coordinates":[]}')), 'ExpectedProperty("type")'),
    (fc(feature('{"type":5,"coordinates":[]}')), "ExpectedStringValue(Number(5))"),
    (fc(feature('{"type":"polygon","coordinates":[]}')), 'GeometryUnknownType("polygon")'),
    (fc(feature('{"type":"Feature","geometry":null}')), 'GeometryUnknownType("Feature")'),
    (fc(feature('{"type":"FeatureCollection"}')), 'GeometryUnknownType("FeatureCollection")'),
    (fc(feature('{"type":"Polygon"}')), 'ExpectedProperty("coordinates")'),
    (fc(feature(geometry("Polygon", "5"))), 'ExpectedArrayValue("None")'),
    (fc(feature(geometry("Polygon", "[5]"))), 'ExpectedArrayValue("None")'),
    (fc(feature(geometry("Polygon", "[[5]]"))), 'ExpectedArrayValue("None")'),
    (fc(feature(geometry("Polygon", "[[[true]]]"))), "ExpectedF64Value"),
    (fc(feature(geometry("Polygon", "[[[null]]]"))), "ExpectedF64Value"),
    (fc(feature(geometry("Polygon", "null"))), 'ExpectedArrayValue("None")'),
    (fc(feature(geometry("Point", "[[1]]"))), "ExpectedF64Value"),
    (fc(feature(geometry("Point", "{}"))), 'ExpectedArrayValue("None")'),
    (fc(feature(geometry("MultiPoint", "[1]"))), 'ExpectedArrayValue("None")'),
    (fc(feature(geometry("LineString", '[[0,"0"]]'))), "ExpectedF64Value"),
    (fc(feature(geometry("MultiLineString", "[[1]]"))), 'ExpectedArrayValue("None")'),
    (fc(feature(geometry("MultiPolygon", "[[[1]]]"))), 'ExpectedArrayValue("None")'),
    (fc(feature(geometry("MultiPolygon", '[[[[1,"a"]]]]'))), "ExpectedF64Value"),
    (fc(feature(geometry("Polygon", "[]", ',"bbox":true'))), "BboxExpectedArray(Bool(true))"),
    (fc(feature('{"type":"GeometryCollection"}')), 'ExpectedProperty("geometries")'),
    (fc(feature('{"type":"GeometryCollection","geometries":null}')), 'ExpectedArrayValue("Null")'),
    (fc(feature('{"type":"GeometryCollection","geometries":3}')), 'ExpectedArrayValue("Number")'),
    (fc(feature('{"type":"GeometryCollection","geometries":{}}')), 'ExpectedArrayValue("Object")'),
    (
        fc(feature('{"type":"GeometryCollection","geometries":[1]}')),
        "ExpectedObjectValue(Number(1))",
    ),
    (
        fc(feature('{"type":"GeometryCollection","geometries":[{"type":"GeometryCollection",'
                   '"geometries":[{"type":"Point","coordinates":[1,"2"]}]}]}')),
        "ExpectedF64Value",
    ),
]


ORDER = [
    # Checks run in a fixed order, whatever the order of the members in the text.
    (in_feature('"geometry":5,"type":"feat"'), 'NotAFeature("feat")'),
    (
        in_feature('"properties":5,"geometry":5,"type":"Feature"'),
        "FeatureInvalidGeometryValue(Number(5))",
    ),
    (
        in_feature('"properties":5,"geometry":{"type":"Circle"},"type":"Feature"'),
        'GeometryUnknownType("Circle")',
    ),
    (
        in_feature('"id":null,"properties":5,"geometry":null,"type":"Feature"'),
        "PropertiesExpectedObjectOrNull(Number(5))",
    ),
    (
        in_feature('"bbox":5,"id":null,"geometry":null,"type":"Feature"'),
        "FeatureInvalidIdentifierType(Null)",
    ),
    (in_feature('"bbox":5,"type":"Feature"'), 'ExpectedProperty("geometry")'),
    ('{"features":5,"bbox":{},"type":"FeatureCollection"}', "BboxExpectedArray(Object {})"),
    ('{"features":[{"type":"x"},5],"type":"FeatureCollection"}', 'NotAFeature("x")'),
    (fc(feature('{"type":"Circle","bbox":"b"}')), 'BboxExpectedArray(String("b"))'),
    (fc(feature('{"coordinates":[[[0,"a"]]],"type":"Circle"}')), 'GeometryUnknownType("Circle")'),
    (fc(feature('{"coordinates":5,"bbox":[null]}')), "BboxExpectedNumericValues(Null)"),
    (fc(feature(geometry("Polygon", '[[[0,"a"]],5]'))), "ExpectedF64Value"),
    (fc(feature(geometry("Polygon", '[5,[[0,"a"]]]'))), 'ExpectedArrayValue("None")'),
    (fc(feature(geometry("Polygon", '[[[0,"a"],5]]'))), "ExpectedF64Value"),
    ('{"bbox":"b","type":"Circle"}', "EmptyType"),
    ('{"bbox":"b","type":"Polygon","coordinates":5}', 'BboxExpectedArray(String("b"))'),
]


VALUES = [
    (
        '{"b":1,"a":[],"B":null,"aa":{},"\u00e9":true,"":"x","b":2}',
        'Object {"": String("x"), "B": Null, "a": Array [], "aa": Object {}, "b": Number(2), '
        '"\u00e9": Bool(true)}',
    ),
    ('[{"z":[1,{"y":-0.0}]},[[]],-7,1e20]', 'Array [Object {"z": Array [Number(1), Object {"y": '
     'Number(-0.0)}]}, Array [Array []], Number(-7), Number(1e20)]'),
    ('{"\\n":"\\u0000\\t\\r\\"\\\\\'"}', 'Object {"\\n": String("\\0\\t\\r\\"\\\\\'")}'),
]


# A feature's "type" as written in the text, and as it is described.
STRINGS = [
    ("\\u00e9", "\u00e9"),
    ("\\u00E9", "\u00e9"),
    ("\u00e9", "\u00e9"),
    ("\\ud83d\\ude00", "\U0001f600"),
    ("\\uD83D\\uDE00", "\U0001f600"),
    ("\\\"\\\\\\/\\b\\f\\n\\r\\t", '\\"\\\\/\\u{8}\\u{c}\\n\\r\\t'),
    ("Feat\\u0301ure", "Feat\\u{301}ure"),
    ("\\u00a0", "\\u{a0}"),
    ("a\\u0000b", "a\\0b"),
    ("\\t\\n\\r", "\\t\\n\\r"),
    ('\\"\\\\', '\\"\\\\'),
    ("it's", "it's"),
    ("\\u0001\\u0008\\u000b\\u000c", "\\u{1}\\u{8}\\u{b}\\u{c}"),
    ("\\u001b\\u001f\\u007f", "\\u{1b}\\u{1f}\\u{7f}"),
    ("\\u0085", "\\u{85}"),
    ("\\u2028", "\\u{2028}"),
    ("\u2764\\ufe0f", "\u2764\\u{fe0f}"),
    ("Z\u00fcrich \u65e5\u672c \U0001f600", "Z\u00fcrich \u65e5\u672c \U0001f600"),
    ("~ !", "~ !"),
]


@pytest.mark.parametrize(
    "text, expected",
    ERRORS
    + ORDER
    + [(fc(feature("null", ',"properties":[' + value + "]")),
        f"PropertiesExpectedObjectOrNull(Array [{described}])") for value, described in VALUES]
    + [(in_feature('"type":"' + escaped + '","geometry":null'), f'NotAFeature("{described}")')
       for escaped, described in STRINGS],
)
def test_error_descriptions(text, expected):
    assert description(text) == expected


def nested_collections(depth, inner):
    for _ in range(depth):
        inner = '{"type":"GeometryCollection","geometries":[' + inner + "]}"
    return inner


ACCEPTED = [
    # Documents without polygons.
    *[(text, EMPTY_FC) for text in [
        '{"type":"Point","type":"FeatureCollection","features":[]}',
        '{"type":"FeatureCollection","type":"Point","coordinates":[1,2]}',
        '{"type":"Feature","geometry":null}',
        '{"type":"Feature","geometry":' + polygon(TRIANGLE) + ',"id":7}',
        polygon(TRIANGLE),
        '{"type":"GeometryCollection","geometries":[' + polygon(TRIANGLE) + "]}",
        '{"type":"MultiPolygon","coordinates":[[[[0,0],[1]]]]}',
        '{"type":"FeatureCollection","features":[],"bbox":[]}',
        '{"type":"FeatureCollection","features":[],"bbox":[1,2,3],"crs":{"x":[null]},"Type":1}',
    ]],
    # Members of a feature.
    *[(fc(feature(polygon(TRIANGLE), extra)), TRIANGLE_OUT) for extra in [
        ',"id":12.5',
        ',"id":"abc"',
        ',"id":""',
        ',"id":7',
        ',"id":-7',
        ',"id":18446744073709551615',
        ',"id":1e300',
        ',"properties":null',
        ',"properties":{}',
        ',"properties":{"a":{"b":[{"c":[null,true,"x",1.5]}]}}',
        ',"bbox":[]',
        ',"bbox":[1,2,3]',
        ',"bbox":[-1e300,0,1,2,3,4,5]',
        ',"Type":"Point","title":"x","geometries":5,"features":5,"coordinates":"c"',
    ]],
    # Members of a geometry.
    *[(fc(feature(geometry("Polygon", [TRIANGLE], extra))), TRIANGLE_OUT) for extra in [
        ',"bbox":[]', ',"bbox":[0,0,8,8]', ',"crs":null', ',"geometries":5,"features":"x","id":[]'
    ]],
    pytest.param(fc(feature(nested_collections(40, polygon(TRIANGLE))), feature(polygon(TRIANGLE))),
                 TRIANGLE_OUT, id="deeply_nested_geometry_collections"),
    # Of members named twice, the last one counts.
    (in_feature('"type":"Feature","geometry":null,"geometry":' + polygon(TRIANGLE)), TRIANGLE_OUT),
    (in_feature('"type":"Feature","geometry":' + polygon(TRIANGLE) + ',"geometry":null'), EMPTY_FC),
    (in_feature('"type":"Feature","geometry":5,"geometry":' + polygon(TRIANGLE)), TRIANGLE_OUT),
    (in_feature('"type":"x","type":"Feature","geometry":' + polygon(TRIANGLE)), TRIANGLE_OUT),
]


@pytest.mark.parametrize("text, expected", ACCEPTED)
def test_accepted_documents(text, expected):
    assert run(text, math.inf) == expected
