"""The `quorvel` command, run as a user runs it: the installed console script and
`python -m quorvel_cli`. Every output must be the function's exact text."""

import json
import math
import os
import re
import subprocess
import sys
import sysconfig
from importlib.metadata import version
from pathlib import Path

import pytest

import quorvel
import quorvel_cli
from helpers import COUNTRIES, ROOT, STATES, TOLERANCE, UNWRAP, write_state_slices
from helpers import smoothed_file as smoothed
from terminal import run_in_terminal

LAUNCHERS = {
    "script": [str(Path(sysconfig.get_path("scripts")) / "quorvel")],
    "module": [sys.executable, "-m", "quorvel_cli"],
}


def run(*arguments, launcher="script", stdin=b"", cwd=ROOT):
    return subprocess.run([*LAUNCHERS[launcher], *map(str, arguments)], input=stdin, cwd=cwd,
                          capture_output=True, timeout=300)


def collection(features):
    return json.dumps({"type": "FeatureCollection", "features": features})


def square(x, y, side):
    return [[x, y], [x + side, y], [x + side, y + side], [x, y + side], [x, y]]


def polygon_feature(*rings):
    return {"type": "Feature", "properties": {}, "geometry": {"type": "Polygon", "coordinates": list(rings)}}


def reference_drop(result):
    """--drop-collapsed worked out from the parsed result; numbers keep their spelling because
    they are parsed as strings and unquoted again."""
    document = json.loads(result, parse_float=str)
    kept = []
    for feature in document["features"]:
        exterior, *holes = feature["geometry"]["coordinates"]
        if len(exterior) >= 4:
            feature["geometry"]["coordinates"] = [exterior, *(h for h in holes if len(h) >= 4)]
            kept.append(feature)
    document["features"] = kept
    return re.sub(r'"(-?[0-9][^"]*)"', r"\1", json.dumps(document, separators=(",", ":"), sort_keys=True))


@pytest.fixture(scope="module")
def inputs(tmp_path_factory):
    """A folder with three slices of the states file, a.geojson, b.geojson and c.geojson, and a
    folder "one" holding a copy of b.geojson."""
    folder = tmp_path_factory.mktemp("in")
    write_state_slices(folder)
    (folder / "one").mkdir()  # a directory of one file
    (folder / "one" / "b.geojson").write_bytes((folder / "b.geojson").read_bytes())
    return folder


# ---- every form gives the function's bytes --------------------------------------------------

# (form, arguments, input on standard input, {output file: input}, input on standard output);
# {in} is the folder of slices, {tmp} an empty folder.
FORMS = [
    ("IN OUT", ["{in}/a.geojson", "{tmp}/smooth.geojson"], None, {"smooth.geojson": "a"}, None),
    ("IN DIR", ["{in}/b.geojson", "{tmp}"], None, {"b.geojson": "b"}, None),
    ("IN... OUT_DIR", ["{in}/a.geojson", "{in}/c.geojson", "{tmp}/out"], None,
     {"out/a.geojson": "a", "out/c.geojson": "c"}, None),
    ("IN_DIR OUT_DIR", ["{in}", "{tmp}/out"], None,
     {"out/a.geojson": "a", "out/b.geojson": "b", "out/c.geojson": "c"}, None),
    ("IN_DIR OUT_DIR, one worker", ["{in}", "{tmp}/out/deeper", "--workers", "1"], None,
     {"out/deeper/a.geojson": "a", "out/deeper/b.geojson": "b", "out/deeper/c.geojson": "c"}, None),
    ("IN_DIR of one file", ["{in}/one", "{tmp}/out"], None, {"out/b.geojson": "b"}, None),
    ("- -", ["-", "-"], "c", {}, "c"),
    ("- OUT", ["-", "{tmp}/smooth.geojson"], "b", {"smooth.geojson": "b"}, None),
    ("IN -", ["{in}/a.geojson", "-"], None, {}, "a"),
]


@pytest.mark.parametrize("launcher", LAUNCHERS)
@pytest.mark.parametrize("form, arguments, stdin, outputs, stdout", FORMS, ids=[f[0] for f in FORMS])
def test_every_form_writes_the_function_result(inputs, tmp_path, launcher, form, arguments, stdin, outputs, stdout):
    done = run(*[a.format(**{"in": inputs, "tmp": tmp_path}) for a in arguments], "--tolerance", TOLERANCE,
               launcher=launcher, stdin=(inputs / f"{stdin}.geojson").read_bytes() if stdin else b"")
    assert (done.returncode, done.stderr) == (0, b"")
    assert done.stdout == (smoothed(inputs / f"{stdout}.geojson").encode() if stdout else b"")
    written = sorted(str(p.relative_to(tmp_path)) for p in tmp_path.rglob("*") if p.is_file())
    assert written == sorted(outputs)
    for output, source in outputs.items():
        assert (tmp_path / output).read_text(encoding="utf-8") == smoothed(inputs / f"{source}.geojson")


def test_a_byte_order_mark_is_skipped(tmp_path):
    marked = tmp_path / "marked.geojson"
    marked.write_bytes(b"\xef\xbb\xbf" + STATES.read_bytes())
    done = run(marked, "-", "--tolerance", TOLERANCE)
    assert (done.returncode, done.stderr, done.stdout.decode()) == (0, b"", smoothed(STATES))


def test_version():
    done = run("--version")
    assert (done.returncode, done.stdout) == (0, f"quorvel {version('quorvel')}\n".encode())


# ---- --drop-collapsed ---------------------------------------------------------------------

# Tolerance 1: the 4x4 squares keep five positions, the 0.4x0.4 ones collapse to two.
CRAFTED = collection([
    polygon_feature(square(0, 0, 4), square(1, 1, 0.4), square(2, 2, 4)),  # a collapsed hole
    polygon_feature(square(10, 0, 0.4), square(10.1, 0.1, 0.1)),  # a collapsed exterior
    polygon_feature(square(20, 0, 4)),
    {"type": "Feature", "properties": {}, "geometry": {"type": "MultiPolygon", "coordinates": [
        [square(30, 0, 0.4)], [square(40, 0, 4), square(41, 1, 0.4)]]}},
])

DROPS = [
    # (case, input text, tolerance, collapsed polygons, collapsed holes)
    ("nothing collapses: states", STATES.read_text(encoding="utf-8"), 0.001, 0, 0),
    ("nothing collapses: countries", COUNTRIES.read_text(encoding="utf-8"), 0.001, 0, 0),
    ("crafted", CRAFTED, 1.0, 2, 2),
    ("states", STATES.read_text(encoding="utf-8"), 0.01, 6, 0),
    ("countries", COUNTRIES.read_text(encoding="utf-8"), 0.2, 1029, 11),
]


@pytest.mark.parametrize("case, text, tolerance, polygons, holes", DROPS, ids=[d[0] for d in DROPS])
def test_drop_collapsed_leaves_out_short_rings_and_keeps_the_text(case, text, tolerance, polygons, holes):
    result = quorvel.smooth_and_simplify_polygon_fc(text, tolerance)
    done = run("-", "-", "--tolerance", tolerance, "--drop-collapsed", "--verbose", stdin=text.encode())
    assert done.returncode == 0
    assert done.stdout.decode() == reference_drop(result)
    if polygons == holes == 0:
        assert done.stdout.decode() == result
    features = len(json.loads(result)["features"])
    assert done.stderr.decode() == (
        f"<stdin> -> <stdout>: {features} polygons, "
        f"{len(text.encode()):,} -> {len(done.stdout):,} bytes, "
        f"collapsed: {polygons} polygons and {holes} holes left out\n")


def test_drop_collapsed_output_loads_in_shapely():
    shapely = pytest.importorskip("shapely")
    with pytest.raises(shapely.errors.GEOSException, match="Invalid number of points in LinearRing found 2"):
        shapely.from_geojson(smoothed(STATES))
    done = run(STATES, "-", "--tolerance", TOLERANCE, "--drop-collapsed")
    assert len(shapely.from_geojson(done.stdout.decode()).geoms) == 305 - 6


# ---- failures, warnings and usage errors ----------------------------------------------------

FEATURES_LIST = json.dumps(json.loads(STATES.read_text(encoding="utf-8"))["features"])

BAD_FILES = [
    # (case, content or None for a missing file, reason after "quorvel: error: <file>: ")
    ("missing", None, "cannot read: No such file or directory"),
    ("not UTF-8", b"\xff{}", "not UTF-8 text (invalid start byte at byte 0)"),
    ("empty", b"", 'not valid GeoJSON: MalformedJson(Error("EOF while parsing a value", line: 1, column: 0))'),
    ("only a byte-order mark", b"\xef\xbb\xbf",
     'not valid GeoJSON: MalformedJson(Error("EOF while parsing a value", line: 1, column: 0))'),
    ("no features", b'{"type":"FeatureCollection"}', 'not valid GeoJSON: ExpectedProperty("features")'),
    ("the features list", FEATURES_LIST.encode(),
     'not valid GeoJSON: ExpectedObjectValue(Array [Object {"geometry": Object {"coordinates": Array [Arra'
     "... (--verbose shows the whole message)"),
]


@pytest.mark.parametrize("case, content, reason", BAD_FILES, ids=[b[0] for b in BAD_FILES])
def test_a_bad_file_gets_one_short_line_and_the_others_are_done(inputs, tmp_path, case, content, reason):
    bad = tmp_path / "bad.geojson"
    if content is not None:
        bad.write_bytes(content)
    done = run(bad, inputs / "a.geojson", tmp_path / "out", "--tolerance", TOLERANCE)
    # Only the command's own line: quorvel's fault report on descriptor 2 is kept out.
    assert (done.returncode, done.stderr.decode()) == (1, f"quorvel: error: {bad}: {reason}\n")
    assert sorted(p.name for p in (tmp_path / "out").iterdir()) == ["a.geojson"]
    assert (tmp_path / "out" / "a.geojson").read_text() == smoothed(inputs / "a.geojson")


def test_verbose_shows_the_whole_message(tmp_path):
    bad = tmp_path / "features.geojson"
    bad.write_text(FEATURES_LIST)
    with pytest.raises(BaseException) as caught, quorvel_cli.descriptor_2_silenced():
        quorvel.smooth_and_simplify_polygon_fc(FEATURES_LIST, TOLERANCE)
    message = str(caught.value)
    assert message.startswith(UNWRAP) and len(message) > 900_000
    done = run(bad, tmp_path / "out.geojson", "--tolerance", TOLERANCE, "--verbose")
    expected = f"quorvel: error: {bad}: not valid GeoJSON: {message[len(UNWRAP):]}\n"
    assert (done.returncode, done.stderr.decode()) == (1, expected)
    assert not (tmp_path / "out.geojson").exists()


def test_an_output_that_cannot_be_written(tmp_path):
    target = tmp_path / "missing" / "out.geojson"
    done = run(STATES, target, "--tolerance", TOLERANCE)
    assert (done.returncode, done.stderr.decode()) == (1, f"quorvel: error: {target}: cannot write: No such file or directory\n")


NO_POLYGON = ("quorvel: warning: <stdin>: no Polygon or MultiPolygon in a FeatureCollection; "
              "the result is an empty FeatureCollection")
WARNINGS = [
    # (case, input, tolerance, standard error)
    ("NaN", CRAFTED, "nan", "quorvel: warning: tolerance nan collapses every ring to two positions"),
    ("infinity", CRAFTED, "inf", "quorvel: warning: tolerance inf collapses every ring to two positions"),
    ("negative", CRAFTED, "-0.5", "quorvel: warning: tolerance -0.5 is negative: every smoothed point is kept, as with 0"),
    ("no features", collection([]), "1", NO_POLYGON),
    ("a Feature alone", json.dumps(polygon_feature(square(0, 0, 4))), "1", NO_POLYGON),
]


@pytest.mark.parametrize("case, text, tolerance, warning", WARNINGS, ids=[w[0] for w in WARNINGS])
def test_warnings_leave_the_result_as_it_is(case, text, tolerance, warning):
    done = run("-", "-", "--tolerance", tolerance, stdin=text.encode())
    assert (done.returncode, done.stderr.decode()) == (0, warning + "\n")
    assert done.stdout.decode() == quorvel.smooth_and_simplify_polygon_fc(text, float(tolerance))


USAGE_ERRORS = [
    # (case, arguments, last line of standard error); {tmp} is an empty folder
    ("no tolerance", ["{tmp}/a.geojson", "{tmp}/b.geojson"],
     "quorvel: error: the following arguments are required: --tolerance"),
    ("tolerance not a number", ["{tmp}/a", "{tmp}/b", "--tolerance", "1km"],
     "quorvel: error: argument --tolerance: invalid float value: '1km'"),
    ("names collide", ["data/us_states_10m.geojson", "{tmp}/x/us_states_10m.geojson", "{tmp}/out", "--tolerance", "1"],
     "quorvel: error: inputs share a file name, so their results would collide: us_states_10m.geojson"),
    ("several into a file", ["data/us_states_10m.geojson", "data/ne_countries_50m.geojson", "README.md", "--tolerance", "1"],
     "quorvel: error: with several inputs, OUT must be a directory: README.md"),
    ("several into -", ["data", "-", "--tolerance", "1"],
     "quorvel: error: several inputs, or a directory, need an output directory, not -"),
    ("- into a directory", ["-", "{tmp}", "--tolerance", "1"],
     "quorvel: error: standard input (-) goes to one output file or to standard output (-)"),
    ("empty directory", ["{tmp}", "{tmp}/out", "--tolerance", "1"], "quorvel: error: no .geojson files in {tmp}"),
    ("no workers", ["data", "{tmp}/out", "--tolerance", "1", "--workers", "0"],
     "quorvel: error: --workers must be at least 1"),
]


@pytest.mark.parametrize("case, arguments, message", USAGE_ERRORS, ids=[u[0] for u in USAGE_ERRORS])
def test_usage_errors_exit_with_status_2_and_write_nothing(tmp_path, case, arguments, message):
    done = run(*[a.format(tmp=tmp_path) for a in arguments])
    assert (done.returncode, done.stderr.decode().splitlines()[-1]) == (2, message.format(tmp=tmp_path))
    assert (done.stdout, list(tmp_path.iterdir())) == (b"", [])


# ---- in one process: what the command catches, and file descriptor 2 ------------------------


class OtherPanicException(BaseException):
    """Named like quorvel's exception but not from pyo3_runtime: not the file's fault."""


OtherPanicException.__name__ = "PanicException"

RAISED = [
    # (exception the call raises, outcome's error or None when the exception must pass through)
    (MemoryError("memory allocation of 8 bytes failed"), "out of memory: memory allocation of 8 bytes failed"),
    (KeyboardInterrupt(), None),
    (SystemExit(3), None),
    (OtherPanicException("x"), None),
]


@pytest.mark.parametrize("raised, error", RAISED, ids=[type(r[0]).__name__ for r in RAISED])
def test_only_the_file_failures_are_caught(monkeypatch, tmp_path, raised, error):
    def failing(text, tolerance):
        os.write(2, b"")  # descriptor 2 is open during the call
        raise raised

    monkeypatch.setattr(quorvel_cli, "smooth_and_simplify_polygon_fc", failing)
    before = os.fstat(2)
    job = (str(STATES), str(tmp_path / "out.geojson"))
    if error is None:
        with pytest.raises(type(raised)):
            quorvel_cli.smooth_file(job, quorvel_cli.Settings(TOLERANCE))
    else:
        outcome = quorvel_cli.smooth_file(job, quorvel_cli.Settings(TOLERANCE))
        assert outcome.error == (str(STATES), error)
    after = os.fstat(2)
    assert (after.st_dev, after.st_ino) == (before.st_dev, before.st_ino)
    assert not (tmp_path / "out.geojson").exists()


# ---- progress on a terminal -------------------------------------------------------------------


def test_many_files_show_a_bar_on_a_terminal(inputs, tmp_path):
    status, screen = run_in_terminal([*LAUNCHERS["script"], str(inputs), str(tmp_path / "out"),
                                      "--tolerance", str(TOLERANCE)])
    assert status == 0
    assert re.search(r"quorvel: 100%\|█+\| 3/3 \[", screen), screen


def test_one_big_file_shows_its_phases_on_a_terminal(tmp_path):
    features = json.loads(COUNTRIES.read_text(encoding="utf-8"))["features"]
    big = tmp_path / "big.geojson"
    big.write_text(collection(features * math.ceil(quorvel_cli.BIG_FILE / COUNTRIES.stat().st_size)))
    status, screen = run_in_terminal([*LAUNCHERS["script"], str(big), str(tmp_path / "out.geojson"),
                                      "--tolerance", str(TOLERANCE)])
    assert status == 0
    shown = re.findall(rf"quorvel: (\w+) {re.escape(str(big))} \|", screen)
    assert sorted(set(shown)) == ["reading", "smoothing", "writing"], screen
    assert (tmp_path / "out.geojson").read_text() == smoothed(big)
