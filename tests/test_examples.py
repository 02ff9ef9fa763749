"""The programs under examples/ (and the README's figure script), run as a user runs them, on
small copies of data/us_states_10m.geojson. Results must be quorvel's exact text."""

import doctest
import json
import re
import subprocess
import sys
from pathlib import Path

import pytest

import quorvel

ROOT = Path(__file__).resolve().parent.parent
README = ROOT / "README.md"
STATES = ROOT / "data" / "us_states_10m.geojson"
TOLERANCE = 0.01
UNWRAP = "called `Result::unwrap()` on an `Err` value: "
FOLDER_EXAMPLES = ["smooth_folder_parallel.py", "smooth_with_dask.py"]

# Slices of the states file: (file name, first feature, end); each file's polygon count is
# counted here from the input, independently of quorvel.
SLICES = [("a.geojson", 0, 20), ("b.geojson", 20, 40), ("c.geojson", 40, 56)]

# Inputs that must fail: (id, how to make the path, message with {path}). Every message is
# the whole last line of standard error after "<program>: error: ".
BAD_INPUTS = [
    ("missing", None, "cannot read {path}: No such file or directory"),
    ("directory", "mkdir", "cannot read {path}: Is a directory"),
    ("not-utf8", b"\xff{}", "cannot read {path}: not UTF-8 text (invalid start byte at byte 0)"),
    ("empty", b"", "{path} is not valid GeoJSON: " + UNWRAP
     + 'MalformedJson(Error("EOF while parsing a value", line: 1, column: 0))'),
    ("no-features", b'{"type":"FeatureCollection"}',
     "{path} is not valid GeoJSON: " + UNWRAP + 'ExpectedProperty("features")'),
    ("truncated", b'{"type":"FeatureCollection","features":[',
     "{path} is not valid GeoJSON: " + UNWRAP
     + 'MalformedJson(Error("EOF while parsing a list", line: 1, column: 40))'),
]


def run_example(program, *arguments, cwd=ROOT):
    return subprocess.run([sys.executable, str(ROOT / program), *map(str, arguments)],
                          cwd=cwd, capture_output=True, text=True, timeout=300)


def polygon_count(features):
    count = 0
    for feature in features:
        geometry = feature["geometry"]
        count += {"Polygon": 1, "MultiPolygon": len(geometry["coordinates"])}[geometry["type"]]
    return count


@pytest.fixture(scope="module")
def states_slices(tmp_path_factory):
    """A folder with three slices of the states file: {name: (path, polygons)}."""
    folder = tmp_path_factory.mktemp("states")
    features = json.loads(STATES.read_text(encoding="utf-8"))["features"]
    made = {}
    for name, start, end in SLICES:
        part = features[start:end]
        (folder / name).write_text(json.dumps({"type": "FeatureCollection", "features": part}))
        made[name] = (folder / name, polygon_count(part))
    assert sum(count for _, count in made.values()) == 305  # as data/README.md lists
    return made


def check_result(source, target, polygons):
    """`target` holds quorvel's exact text for `source`, with one Feature per polygon."""
    expected = quorvel.smooth_and_simplify_polygon_fc(source.read_text(encoding="utf-8"), TOLERANCE)
    assert target.read_text(encoding="utf-8") == expected
    result = json.loads(expected)
    assert len(result["features"]) == polygons
    assert all(f["properties"] == {} and f["geometry"]["type"] == "Polygon" for f in result["features"])


def make_bad_input(path, content):
    if content == "mkdir":
        path.mkdir()
    elif content is not None:
        path.write_bytes(content)


def last_line(text):
    lines = text.splitlines()
    return lines[-1] if lines else ""


def test_readme_command_smooths_the_states_file(tmp_path):
    command = ("python examples/smooth_file.py data/us_states_10m.geojson "
               "us_states_smooth.geojson --tolerance 0.01")
    assert command in README.read_text(encoding="utf-8")
    target = tmp_path / "us_states_smooth.geojson"
    done = run_example("examples/smooth_file.py", "data/us_states_10m.geojson", target,
                       "--tolerance", "0.01")
    assert done.returncode == 0, done.stderr
    check_result(STATES, target, 305)
    size = target.stat().st_size
    assert done.stderr == (f"data/us_states_10m.geojson -> {target}: 305 polygons, "
                           f"578,508 -> {size:,} bytes\n")
    assert done.stdout == ""


def test_smooth_file_writes_many_files_into_a_directory(states_slices, tmp_path):
    sources = [path for path, _ in states_slices.values()]
    out = tmp_path / "out"
    done = run_example("examples/smooth_file.py", *sources, out, "--tolerance", TOLERANCE)
    assert done.returncode == 0, done.stderr
    lines = done.stderr.splitlines()
    assert len(lines) == 3
    for number, (name, (source, polygons)) in enumerate(states_slices.items(), 1):
        check_result(source, out / name, polygons)
        assert lines[number - 1].startswith(f"[{number}/3] {source} -> {out / name}: {polygons} polygons, ")


@pytest.mark.parametrize("case, content, message", BAD_INPUTS, ids=[c[0] for c in BAD_INPUTS])
def test_smooth_file_reports_a_bad_input_and_still_does_the_others(states_slices, tmp_path, case, content, message):
    bad = tmp_path / "bad.geojson"
    make_bad_input(bad, content)
    good, polygons = states_slices["a.geojson"]
    out = tmp_path / "out"
    done = run_example("examples/smooth_file.py", bad, good, out, "--tolerance", TOLERANCE)
    assert done.returncode == 1
    assert f"smooth_file.py: error: {message.format(path=bad)}\n" in done.stderr
    assert "Traceback" not in done.stderr
    assert not (out / "bad.geojson").exists()
    check_result(good, out / "a.geojson", polygons)
    # Alone, the bad file's error is the last word.
    alone = run_example("examples/smooth_file.py", bad, tmp_path / "alone.geojson", "--tolerance", "1")
    assert (alone.returncode, last_line(alone.stderr)) == (1, f"smooth_file.py: error: {message.format(path=bad)}")
    assert not (tmp_path / "alone.geojson").exists()


@pytest.mark.parametrize("program", FOLDER_EXAMPLES)
def test_folder_example_smooths_every_file(states_slices, tmp_path, program):
    if program == "smooth_with_dask.py":
        pytest.importorskip("dask.bag")
    folder = next(iter(states_slices.values()))[0].parent
    out = tmp_path / "out"
    extra = ["--workers", "2"] if program == "smooth_folder_parallel.py" else []
    done = run_example(f"examples/{program}", folder, out, "--tolerance", TOLERANCE, *extra)
    assert done.returncode == 0, done.stderr
    for name, (source, polygons) in states_slices.items():
        check_result(source, out / name, polygons)
    # One line per file, in the order they finish.
    lines = sorted(line.split("] ", 1)[1] for line in done.stderr.splitlines())
    assert lines == [f"{source}: {polygons} polygons" for source, polygons in states_slices.values()]


@pytest.mark.parametrize("program", FOLDER_EXAMPLES)
@pytest.mark.parametrize("case, content, message", BAD_INPUTS[1:], ids=[c[0] for c in BAD_INPUTS[1:]])
def test_folder_example_reports_a_bad_file_and_still_does_the_others(states_slices, tmp_path, program, case, content, message):
    if program == "smooth_with_dask.py":
        pytest.importorskip("dask.bag")
    folder = tmp_path / "in"
    folder.mkdir()
    good, polygons = states_slices["b.geojson"]
    (folder / "good.geojson").write_bytes(good.read_bytes())
    bad = folder / "bad.geojson"
    make_bad_input(bad, content)
    out = tmp_path / "out"
    done = run_example(f"examples/{program}", folder, out, "--tolerance", TOLERANCE)
    assert done.returncode == 1
    assert f"{program}: error: {message.format(path=bad)}\n" in done.stderr
    assert "Traceback" not in done.stderr
    assert sorted(p.name for p in out.iterdir()) == ["good.geojson"]
    check_result(folder / "good.geojson", out / "good.geojson", polygons)


USAGE_ERRORS = [
    # (program, arguments, last line of standard error); {tmp} is a fresh empty directory
    ("smooth_file.py", ["{tmp}/a.geojson", "{tmp}/b.geojson"],
     "smooth_file.py: error: the following arguments are required: --tolerance"),
    ("smooth_file.py", ["{tmp}/a.geojson", "{tmp}/b.geojson", "--tolerance", "metres"],
     "smooth_file.py: error: argument --tolerance: invalid float value: 'metres'"),
    ("smooth_file.py", ["data/us_states_10m.geojson", "{tmp}/x/us_states_10m.geojson", "{tmp}/out",
                        "--tolerance", "1"],
     "smooth_file.py: error: inputs share a file name, so their results would collide: us_states_10m.geojson"),
    ("smooth_folder_parallel.py", ["{tmp}", "{tmp}/out", "--tolerance", "1"],
     "smooth_folder_parallel.py: error: no .geojson files in {tmp}"),
    ("smooth_folder_parallel.py", ["data", "{tmp}/out", "--tolerance", "1", "--workers", "0"],
     "smooth_folder_parallel.py: error: --workers must be at least 1"),
    ("smooth_with_dask.py", ["{tmp}/none", "{tmp}/out", "--tolerance", "1"],
     "smooth_with_dask.py: error: not a directory: {tmp}/none"),
]


@pytest.mark.parametrize("program, arguments, message", USAGE_ERRORS)
def test_usage_errors_exit_with_status_2(tmp_path, program, arguments, message):
    if program == "smooth_with_dask.py":
        pytest.importorskip("dask.bag")
    done = run_example(f"examples/{program}", *[a.format(tmp=tmp_path) for a in arguments])
    assert (done.returncode, last_line(done.stderr)) == (2, message.format(tmp=tmp_path))
    assert not (tmp_path / "out").exists()


def test_figure_script_draws_the_readme_picture(tmp_path):
    pytest.importorskip("matplotlib")
    figure = tmp_path / "figure.png"
    done = run_example("docs/make_figure.py", "--output", figure)
    assert done.returncode == 0, done.stderr
    assert done.stdout == f"wrote {figure} ({figure.stat().st_size:,} bytes)\n"
    assert figure.read_bytes()[:8] == b"\x89PNG\r\n\x1a\n"
    assert "docs/norway_before_after.png" in README.read_text(encoding="utf-8")


def test_readme_first_call_gives_what_it_shows():
    [session] = [b for b in re.findall(r"```python\n(.*?)```", README.read_text(encoding="utf-8"), re.S)
                 if ">>>" in b]
    test = doctest.DocTestParser().get_doctest(session, {}, "README first call", str(README), 0)
    runner = doctest.DocTestRunner()
    runner.run(test)
    assert (runner.tries, runner.failures) == (2, 0)


def test_readme_snippets_run_as_shown(tmp_path, monkeypatch, capsys):
    blocks = re.findall(r"```python\n(.*?)```", README.read_text(encoding="utf-8"), re.S)
    writing, by_name, by_type = [block for block in blocks if ">>>" not in block]
    (tmp_path / "data").symlink_to(ROOT / "data")
    monkeypatch.chdir(tmp_path)
    exec(writing, {})
    check_result(STATES, tmp_path / "us_states_smooth.geojson", 305)
    for block in (by_name, by_type):
        namespace = {"smooth_and_simplify_polygon_fc": quorvel.smooth_and_simplify_polygon_fc,
                     "text": '{"type":"FeatureCollection"}'}
        exec(block, namespace)
        assert capsys.readouterr().out == (
            "not valid GeoJSON: " + UNWRAP + 'ExpectedProperty("features")\n')
        # Anything else still goes through.
        namespace["text"] = None
        with pytest.raises(TypeError, match="^argument 'geojson': 'NoneType' object cannot be converted to 'PyString'$"):
            exec(block, namespace)
