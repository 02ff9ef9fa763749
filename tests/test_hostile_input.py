"""Hostile and huge input, each case in a child process (a crash or a runaway allocation fails
only that case): the exact outcome, and the child's peak resident memory within a generous
linear bound of the input size. The ten-million-point ring and the deeply splitting ring are in
test_real_files.py."""

import hashlib
import json
import os

import pytest

from conftest import SQUARE, SQUARE_SMOOTHED, run_python
from helpers import (
    EMPTY_FC,
    UNWRAP,
    fc,
    feature,
    malformed,
    out_fc,
    out_feature,
    polygon,
    reader_float,
    ring,
    run,
    written,
)

TESTS = os.path.dirname(os.path.abspath(__file__))
PROPERTIES = fc(feature("null", ',"properties":{"a":'))[:-3]  # ends where the value is due

# Ten million escapes of every kind (the surrogate pair counts as two).
ESCAPES = '\\n\\"\\\\\\/\\b\\f\\r\\t\\u00e9\\u20AC\\ud83d\\ude00'
ESCAPED_STRING = '"' + ESCAPES * 1_000_000 + '"'

FRACTION_DIGITS = "3." + "14159265358979323846" * 50_000  # 1,000,002 characters
INTEGER_DIGITS = "9" * 1_000_000 + "e-999999"
POLYGON_HEAD = fc(feature('{"type":"Polygon","coordinates":[[['))[:-3]  # the first number is due
DIGITS_POSITION = f"[{FRACTION_DIGITS},{INTEGER_DIGITS}]"
OUT_OF_RANGE = "1" * 1_000_000 + "e999999"

# One feature of about a kilobyte: a ring of 48 points and some properties.
OUTLINE = [[round(100 * (i % 12) + (i // 12) * 0.25, 2), (i * 37) % 101 - 50.5] for i in range(47)]
ONE_FEATURE = feature(
    json.dumps({"type": "Polygon", "coordinates": [OUTLINE + OUTLINE[:1]]}),
    ',"properties":{"name":"R\\u00e9gion 12","population":1234567,"tags":["a","b"]},"id":"f-12"',
)
FEATURE_COUNT = 200 * 2**20 // (len(ONE_FEATURE) + 1)


def twice_smoothed(value):
    once = 0.75 * value + 0.25 * value
    return 0.75 * once + 0.25 * once


def point_ring_output(x_literal, y_literal):
    x, y = (written(twice_smoothed(reader_float(v))) for v in (x_literal, y_literal))
    return out_fc(out_feature(ring(f"{x},{y}", f"{x},{y}")))


def two_hundred_megabytes_expected():
    one = run(fc(ONE_FEATURE), 0.5)
    head, tail = '{"features":[', '],"type":"FeatureCollection"}'
    return head + ",".join([one[len(head):-len(tail)]] * FEATURE_COUNT) + tail


# name: (the text, built in the child; tolerance; the expected (exception name or None, text))
SCENARIOS = {
    "nesting of 100,000 arrays": (
        lambda: "[" * 100_000 + "]" * 100_000,
        1.0,
        lambda: ("PanicException", UNWRAP + malformed("recursion limit exceeded", 1, 128)),
    ),
    "nesting of 100,000 objects in properties": (
        lambda: PROPERTIES + '{"a":' * 100_000,
        1.0,
        lambda: (
            "PanicException",
            UNWRAP + malformed("recursion limit exceeded", 1, len(PROPERTIES) + 123 * 5 + 1),
        ),
    ),
    "coordinates of 1,000,000 digits": (
        lambda: fc(feature(polygon(f"[{DIGITS_POSITION},{DIGITS_POSITION}]"))),
        1.0,
        lambda: (None, point_ring_output(FRACTION_DIGITS, INTEGER_DIGITS)),
    ),
    "1,000,000 digits then e999999": (
        lambda: POLYGON_HEAD + OUT_OF_RANGE + ",0],[0,0]]]}}]}",
        1.0,
        lambda: (
            "PanicException",
            UNWRAP + malformed("number out of range", 1, len(POLYGON_HEAD) + len(OUT_OF_RANGE)),
        ),
    ),
    "10,000,000 escapes in a property": (
        lambda: SQUARE.replace('{"name":"a"}', '{"name":' + ESCAPED_STRING + "}"),
        1.0,
        lambda: (None, SQUARE_SMOOTHED),
    ),
    "10,000,000 escapes in a refused type": (
        lambda: fc('{"type":"' + "\\n" * 10_000_000 + '","geometry":null}'),
        1.0,
        lambda: ("PanicException", UNWRAP + 'NotAFeature("' + "\\n" * 10_000_000 + '")'),
    ),
    "1,000,000 empty features": (
        lambda: fc(*['{"type":"Feature","geometry":null}'] * 1_000_000),
        1.0,
        lambda: (None, EMPTY_FC),
    ),
    "two_hundred_megabytes": (
        lambda: fc(*[ONE_FEATURE] * FEATURE_COUNT),
        0.5,
        lambda: (None, two_hundred_megabytes_expected()),
    ),
}

CHILD = """
import hashlib, json, resource, sys
sys.path.insert(0, {tests!r})
import quorvel
from test_hostile_input import SCENARIOS
build, tolerance, _ = SCENARIOS[{name!r}]
before = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss
text = build()
try:
    error, result = None, quorvel.smooth_and_simplify_polygon_fc(text, tolerance)
except BaseException as caught:
    error, result = type(caught).__name__, str(caught)
peak = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss
digest = hashlib.sha256(result.encode()).hexdigest()
print(json.dumps([len(text), (peak - before) * 1024, error, len(result), digest, result[:200]]))
"""


def digest(text):
    return hashlib.sha256(text.encode()).hexdigest()


@pytest.mark.parametrize("name", list(SCENARIOS))
def test_hostile_input(name):
    child = run_python(CHILD.format(tests=TESTS, name=name), timeout=600)
    assert child.returncode == 0, child.stderr[-3000:]
    size, growth, error, length, found, start = json.loads(child.stdout)
    expected_error, expected = SCENARIOS[name][2]()
    assert (error, length, start) == (expected_error, len(expected), expected[:200])
    assert found == digest(expected)
    # The text, its UTF-8 copy, the reader's tape and what the stages make of it.
    assert growth < 12 * size + 64 * 2**20, (size, growth)
