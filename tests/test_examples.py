"""The README's commands and recipes, the Dask example on real distributed clusters, and the
figure script, run as a user runs them. Results must be quorvel's exact text."""

import doctest
import json
import re
import shlex
import subprocess
import sys
import sysconfig
import time
from pathlib import Path

import pytest

import quorvel
from helpers import ROOT, STATES, TOLERANCE, UNWRAP, write_state_slices
from helpers import smoothed_file as smoothed
from terminal import run_in_terminal

README = ROOT / "README.md"
SCRIPTS = Path(sysconfig.get_path("scripts"))
DASK_EXAMPLE = ROOT / "examples" / "smooth_with_dask.py"


def readme_blocks(language):
    return re.findall(rf"```{language}\n(.*?)```", README.read_text(encoding="utf-8"), re.S)


def members(geometry):
    """The polygons of a geometry, in the order quorvel takes them."""
    return {"Polygon": [geometry["coordinates"]], "MultiPolygon": geometry["coordinates"]}[geometry["type"]]


@pytest.fixture
def states_folder(tmp_path):
    """A folder with three slices of the states file and one file that is not GeoJSON."""
    folder = tmp_path / "in"
    folder.mkdir()
    write_state_slices(folder)
    (folder / "bad.geojson").write_text('{"type":"FeatureCollection"}')
    return folder.resolve()


def check_folder_results(folder, out):
    assert sorted(p.name for p in out.iterdir()) == ["a.geojson", "b.geojson", "c.geojson"]
    for name in ["a", "b", "c"]:
        assert (out / f"{name}.geojson").read_text(encoding="utf-8") == smoothed(folder / f"{name}.geojson")


# ---- the README ---------------------------------------------------------------------------


def test_readme_first_command_runs_the_quorvel_command_on_the_shipped_file(tmp_path):
    *preparation, command = readme_blocks("sh")[0].strip().split(" && ")
    assert preparation == ["python3 -m venv .venv", ". .venv/bin/activate", "python -m pip install ."]
    program, *arguments = shlex.split(command)
    (tmp_path / "data").symlink_to(ROOT / "data")
    done = subprocess.run([str(SCRIPTS / program), *arguments], cwd=tmp_path, capture_output=True, text=True)
    assert (done.returncode, done.stderr, done.stdout) == (0, "", "")
    assert (tmp_path / "us_states_smooth.geojson").read_text(encoding="utf-8") == smoothed(STATES)


def test_readme_test_command_is_the_one_ci_runs():
    command = readme_blocks("sh")[1].strip()
    assert command in (ROOT / ".ci" / "run").read_text(encoding="utf-8").splitlines()


def test_readme_first_call_gives_what_it_shows():
    [session] = [block for block in readme_blocks("python") if ">>>" in block]
    test = doctest.DocTestParser().get_doctest(session, {}, "README first call", str(README), 0)
    runner = doctest.DocTestRunner()
    runner.run(test)
    assert (runner.tries, runner.failures) == (2, 0)


def test_readme_snippets_run_as_shown(tmp_path, monkeypatch, capsys):
    writing, by_name, by_type = [block for block in readme_blocks("python")
                                 if ">>>" not in block and "geopandas" not in block]
    (tmp_path / "data").symlink_to(ROOT / "data")
    monkeypatch.chdir(tmp_path)
    exec(writing, {})
    assert (tmp_path / "us_states_smooth.geojson").read_text(encoding="utf-8") == smoothed(STATES)
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


STATES_TEXT = STATES.read_text(encoding="utf-8")
MISTAKES = [
    # (mistake, text passed, the description of the failure as the README quotes it)
    ("a path", "data/us_states_10m.geojson", 'MalformedJson(Error("expected value", line: 1, column: 1))'),
    ("the features list", json.dumps(json.loads(STATES_TEXT)["features"]), "ExpectedObjectValue(Array [...])"),
    ("a byte-order mark", "\ufeff" + STATES_TEXT, 'MalformedJson(Error("expected value", line: 1, column: 1))'),
]


@pytest.mark.parametrize("mistake, text, description", MISTAKES, ids=[m[0] for m in MISTAKES])
def test_common_mistakes_fail_as_the_readme_says(mistake, text, description):
    assert f"``{description}``" in README.read_text(encoding="utf-8")
    with pytest.raises(BaseException) as caught:
        quorvel.smooth_and_simplify_polygon_fc(text, TOLERANCE)
    message = str(caught.value)
    if description.endswith("[...])"):
        assert message.startswith(UNWRAP + description[:-5]) and message.endswith("])")
        assert round(len(message) / 1e6, 1) == 0.9  # as the README says
    else:
        assert message == UNWRAP + description


def test_geopandas_recipe_maps_polygons_to_rows_and_keeps_the_crs(tmp_path, monkeypatch):
    pytest.importorskip("geopandas")
    [recipe] = [block for block in readme_blocks("python") if "geopandas" in block]
    (tmp_path / "data").symlink_to(ROOT / "data")
    monkeypatch.chdir(tmp_path)
    namespace = {}
    exec(recipe, namespace)
    states, smooth = namespace["states"], namespace["smooth"]
    assert smooth.crs == states.crs == "EPSG:4326"

    features = json.loads(STATES_TEXT)["features"]
    places = [(row, member) for row, feature in enumerate(features)
              for member in range(len(members(feature["geometry"])))]
    assert list(smooth.index) == places
    assert smooth["name"].tolist() == [features[row]["properties"]["name"] for row, _ in places]
    # Every row holds quorvel's result for that very polygon, smoothed alone.
    for (row, member), geometry in zip(places, smooth.geometry):
        polygon = members(features[row]["geometry"])[member]
        alone = json.dumps({"type": "FeatureCollection", "features": [
            {"type": "Feature", "properties": {}, "geometry": {"type": "Polygon", "coordinates": polygon}}]})
        [result] = json.loads(quorvel.smooth_and_simplify_polygon_fc(alone, TOLERANCE))["features"]
        exterior, *holes = result["geometry"]["coordinates"]
        if len(exterior) < 4:
            assert geometry is None
        else:
            assert [list(geometry.exterior.coords), [list(ring.coords) for ring in geometry.interiors]] == \
                [[tuple(p) for p in exterior], [[tuple(p) for p in ring] for ring in holes if len(ring) >= 4]]
    assert smooth.geometry.isna().sum() == 6
    assert len(smooth.dropna(subset=["geometry"]).dissolve(level=0)) == len(states)


# ---- the Dask example on distributed clusters -----------------------------------------------


def test_dask_example_on_a_local_cluster_with_a_bar(states_folder, tmp_path):
    pytest.importorskip("distributed")
    out = tmp_path / "out"
    status, screen = run_in_terminal([sys.executable, str(DASK_EXAMPLE), str(states_folder), str(out),
                                      "--tolerance", str(TOLERANCE), "--workers", "2"])
    assert status == 1, screen
    assert re.search(r"^smooth_with_dask\.py: scheduler tcp://127\.0\.0\.1:\d+, 2 workers\r$", screen, re.M), screen
    bad = states_folder / "bad.geojson"
    assert f'quorvel: error: {bad}: not valid GeoJSON: ExpectedProperty("features")\r\n' in screen
    assert re.search(r"smooth_with_dask\.py: 100%\|█+\| 4/4 \[", screen), screen
    check_folder_results(states_folder, out)


@pytest.fixture
def running_cluster(tmp_path):
    """A scheduler and two single-thread worker processes started apart, as on other hosts;
    yields the scheduler's address."""
    distributed = pytest.importorskip("distributed")
    scheduler_file = tmp_path / "scheduler.json"
    common = ["--scheduler-file", str(scheduler_file), "--no-dashboard"]
    started = [subprocess.Popen([str(SCRIPTS / "dask"), "scheduler", "--host", "127.0.0.1", "--port", "0", *common],
                                cwd=tmp_path, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)]
    try:
        deadline = time.monotonic() + 60
        while not scheduler_file.exists() and time.monotonic() < deadline:
            time.sleep(0.1)
        started.append(subprocess.Popen(
            [str(SCRIPTS / "dask"), "worker", "--nworkers", "2", "--nthreads", "1", *common],
            cwd=tmp_path, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        address = json.loads(scheduler_file.read_text())["address"]
        with distributed.Client(address, timeout=60) as client:
            client.wait_for_workers(2, timeout=60)
        yield address
    finally:
        for process in reversed(started):
            process.terminate()
            process.wait(timeout=60)


def test_dask_example_on_a_running_scheduler(states_folder, tmp_path, running_cluster):
    out = tmp_path / "out"
    done = subprocess.run([sys.executable, str(DASK_EXAMPLE), str(states_folder), str(out),
                           "--tolerance", str(TOLERANCE), "--scheduler", running_cluster],
                          capture_output=True, text=True, timeout=300)
    bad = states_folder / "bad.geojson"
    assert (done.returncode, done.stderr.splitlines()) == (1, [
        f"smooth_with_dask.py: scheduler {running_cluster}, 2 workers",
        f'quorvel: error: {bad}: not valid GeoJSON: ExpectedProperty("features")'])
    check_folder_results(states_folder, out)


# ---- the figure -------------------------------------------------------------------------------


def test_figure_script_draws_the_readme_picture_the_same_each_time(tmp_path):
    pytest.importorskip("matplotlib")
    pictures = []
    for name in ["one.png", "two.png"]:
        figure = tmp_path / name
        done = subprocess.run([sys.executable, str(ROOT / "docs" / "make_figure.py"), "--output", str(figure)],
                              capture_output=True, text=True, timeout=300)
        assert (done.returncode, done.stdout) == (0, f"wrote {figure} ({figure.stat().st_size:,} bytes)\n")
        pictures.append(figure.read_bytes())
    assert pictures[0][:8] == b"\x89PNG\r\n\x1a\n"
    assert pictures[0] == pictures[1]
    assert "(docs/maine_coast.png)" in README.read_text(encoding="utf-8")
