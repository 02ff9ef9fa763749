#!/usr/bin/env bash
# The examples with Dask present: installs the package, its test extra and dask[bag] into a
# fresh virtual environment and runs tests/test_examples.py there, so the Dask example (whose
# test is skipped where dask is missing) runs on Dask's local process scheduler, and no
# example test may be skipped.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export PIP_ROOT_USER_ACTION=ignore

python -m venv "$work/venv"
"$work/venv/bin/python" -m pip install -q --disable-pip-version-check ".[test]" "dask[bag]" -r docs/requirements.txt
"$work/venv/bin/python" -m pytest -q -p no:cacheprovider -rs tests/test_examples.py | tee "$work/out"
if grep -q "skipped" "$work/out"; then
    echo "an example test was skipped although dask and matplotlib are installed" >&2
    exit 1
fi
