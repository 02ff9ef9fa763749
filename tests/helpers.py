"""Builders and readers shared by the polygon pipeline tests.

Inputs are built as JSON text (so that every literal reaches the reader exactly as written) and
outputs are compared as text, byte for byte.
"""

import decimal
import json
import math
from pathlib import Path

import pytest

import quorvel

ROOT = Path(__file__).resolve().parent.parent
DATA = ROOT / "data"
STATES = DATA / "us_states_10m.geojson"
COUNTRIES = DATA / "ne_countries_50m.geojson"

UNWRAP = "called `Result::unwrap()` on an `Err` value: "

EMPTY_FC = '{"features":[],"type":"FeatureCollection"}'


def run(text, tolerance=0.0):
    return quorvel.smooth_and_simplify_polygon_fc(text, tolerance)


def panic_message(text, tolerance=0.0):
    """The message of the PanicException that reading `text` raises."""
    with pytest.raises(BaseException) as caught:
        run(text, tolerance)
    error = caught.value
    assert type(error).__name__ == "PanicException", repr(error)
    assert type(error).__module__ == "pyo3_runtime", repr(error)
    return str(error)


def description(text):
    """The reading error's description: the message without the unwrap prefix."""
    message = panic_message(text)
    assert message.startswith(UNWRAP), message
    return message[len(UNWRAP):]


def malformed(message, line, column):
    """The description of a JSON reading failure (`message` already written as described)."""
    return f'MalformedJson(Error("{message}", line: {line}, column: {column}))'


# ---- the reader's decimal rule and the writer's number layout, worked out independently ------

POW10 = [float(10**k) for k in range(309)]  # the double nearest to each power of ten


def reader_float(literal):
    """The double that the reader makes of a float literal: digits gathered into a 64-bit
    significand while the next one fits and never after one did not (later integer digits only
    raise the power, later fraction digits are skipped), the significand rounded to a double,
    then multiplied or divided by the double nearest to the power of ten (dividing by 1e308
    first while the power is below -308)."""
    mantissa, _, exponent = literal.lower().partition("e")
    whole, _, fraction = mantissa.partition(".")
    significand, power, full = 0, int(exponent or 0), False
    for digit in whole.lstrip("-"):
        full = full or significand * 10 + int(digit) > 2**64 - 1
        if full:
            power += 1
        else:
            significand = significand * 10 + int(digit)
    for digit in fraction:
        full = full or significand * 10 + int(digit) > 2**64 - 1
        if not full:
            significand, power = significand * 10 + int(digit), power - 1
    value = float(significand)
    while abs(power) > 308 and value != 0:
        assert power < 0, literal
        value, power = value / 1e308, power + 308
    if abs(power) <= 308:
        value = value * POW10[power] if power >= 0 else value / POW10[-power]
    assert math.isfinite(value), literal
    return -value if whole.startswith("-") else value


def written(value):
    """A finite double as the writer lays it out: shortest round-trip digits D and exponent k
    (from Python's repr), plain notation for 1e-5 <= |v| < 1e16, exponent notation otherwise."""
    sign = "-" if math.copysign(1.0, value) < 0 else ""
    if value == 0:
        return sign + "0.0"
    _, digit_tuple, k = decimal.Decimal(repr(abs(value))).as_tuple()
    digits = "".join(map(str, digit_tuple)).lstrip("0")
    k += len(digits) - len(digits.rstrip("0"))
    digits = digits.rstrip("0")
    n = len(digits)
    e = n + k
    if k >= 0 and e <= 16:
        return sign + digits + "0" * k + ".0"
    if 1 <= e <= 16:
        return sign + digits[:e] + "." + digits[e:]
    if -4 <= e <= 0:
        return sign + "0." + "0" * -e + digits
    return sign + digits[0] + ("." + digits[1:] if n > 1 else "") + "e" + str(e - 1)


# ---- input builders (JSON text) -------------------------------------------------------------


def fc(*features, extra=""):
    """A FeatureCollection text holding the given feature texts."""
    return '{"type":"FeatureCollection"' + extra + ',"features":[' + ",".join(features) + "]}"


def feature(geometry="null", extra=""):
    """A Feature text with the given geometry text and extra members (text starting with ',')."""
    return '{"type":"Feature","geometry":' + geometry + extra + "}"


def geometry(kind, coordinates, extra=""):
    if not isinstance(coordinates, str):
        coordinates = json.dumps(coordinates, separators=(",", ":"))
    return '{"type":"' + kind + '","coordinates":' + coordinates + extra + "}"


def polygon(*rings):
    """A Polygon geometry text; each ring is a list of positions or a ready JSON text."""
    parts = [r if isinstance(r, str) else json.dumps(r, separators=(",", ":")) for r in rings]
    return geometry("Polygon", "[" + ",".join(parts) + "]")


def polygon_fc(*rings):
    """A FeatureCollection with one Feature holding one Polygon of the given rings."""
    return fc(feature(polygon(*rings)))


def point_ring_fc(x, y):
    """One Polygon whose exterior ring is the closed ring [[x,y],[x,y]] (literals as written)."""
    return polygon_fc(f"[[{x},{y}],[{x},{y}]]")


# ---- expected output builders ---------------------------------------------------------------


def out_feature(*rings):
    """The written Feature for a Polygon whose rings are given as written ring texts."""
    return (
        '{"geometry":{"coordinates":[' + ",".join(rings) + '],"type":"Polygon"},'
        '"properties":{},"type":"Feature"}'
    )


def out_fc(*features):
    return '{"features":[' + ",".join(features) + '],"type":"FeatureCollection"}'


def ring(*points):
    """A written ring from point texts such as "1.5,0.0"."""
    return "[" + ",".join("[" + p + "]" for p in points) + "]"


# The square (0,0) (4,0) (4,4) (0,4) after two passes of corner cutting.
SQUARE_17 = ring(
    "1.5,0.0", "2.5,0.0", "3.25,0.25", "3.75,0.75", "4.0,1.5", "4.0,2.5", "3.75,3.25",
    "3.25,3.75", "2.5,4.0", "1.5,4.0", "0.75,3.75", "0.25,3.25", "0.0,2.5", "0.0,1.5",
    "0.25,0.75", "0.75,0.25", "1.5,0.0",
)


def polygons_of(output):
    """The list of polygons (lists of rings of [x, y]) of a result text."""
    document = json.loads(output)
    return [f["geometry"]["coordinates"] for f in document["features"]]


# ---- plain references -----------------------------------------------------------------------


def smoothed_ring(points):
    """Two passes of corner cutting over the ring, closed first, each product and sum rounded
    on its own: every smoothed point of the ring as [x, y], as tolerance 0 keeps them."""
    points = [(p[0], p[1]) for p in points]
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
    remaining = iter(long)
    return all(any(point == other for other in remaining) for point in short)


# ---- files and the command ------------------------------------------------------------------


TOLERANCE = 0.01  # the tolerance of the command's and the examples' tests


def smoothed_file(path, tolerance=TOLERANCE):
    """The function's result for the text of a file."""
    return run(Path(path).read_text(encoding="utf-8"), tolerance)


def write_state_slices(folder):
    """Three slices of the states file into `folder`: a.geojson, b.geojson and c.geojson."""
    features = json.loads(STATES.read_text(encoding="utf-8"))["features"]
    for name, start, end in [("a", 0, 20), ("b", 20, 40), ("c", 40, 56)]:
        document = {"type": "FeatureCollection", "features": features[start:end]}
        (folder / f"{name}.geojson").write_text(json.dumps(document), encoding="utf-8")
