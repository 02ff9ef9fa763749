#!/usr/bin/env bash
# The command's and the examples' tests with their optional packages present: installs the
# package, its test extra, dask with distributed, geopandas (with shapely) and matplotlib into a
# fresh virtual environment and runs tests/test_cli.py and tests/test_examples.py there, so the
# Dask example runs on a LocalCluster and on a scheduler with workers started apart, the
# geopandas recipe and the figure script run, and no test may be skipped.
source "$(dirname "${BASH_SOURCE[0]}")/../common.bash"

fresh_venv "$work/venv"
# dask[distributed], not dask and distributed apart: the extra pins distributed to dask's own
# release, where a loose pair may resolve to a distributed years older than dask.
"$work/venv/bin/python" -m pip install -q ".[test]" "dask[distributed]" \
    geopandas shapely -r docs/requirements.txt
"$work/venv/bin/python" -m pytest -q -p no:cacheprovider -rs tests/test_cli.py tests/test_examples.py | tee "$work/out"
if grep -q "skipped" "$work/out"; then
    echo "a test of the command or the examples was skipped although its packages are installed" >&2
    exit 1
fi
