#!/usr/bin/env bash
# The sdist: `python -m build --sdist` builds one quorvel-<version>.tar.gz that holds every
# committed file the build needs (sources, vendored headers with their licence, build files,
# README, stub) and no build output; installing it into a fresh virtual environment compiles
# it, installs the stub beside the extension, and the installed module computes the typical
# call exactly.
source "$(dirname "${BASH_SOURCE[0]}")/../common.bash"

python -m pip install -q "build>=1"
python -m build --sdist --outdir "$work/dist" . >"$work/build.log" || { cat "$work/build.log"; exit 1; }
shopt -s nullglob
sdists=("$work"/dist/*)
[ "${#sdists[@]}" -eq 1 ] && [[ "$(basename "${sdists[0]}")" == quorvel-*.tar.gz ]] \
    || { echo "expected one quorvel-*.tar.gz, got: ${sdists[*]}" >&2; exit 1; }
sdist="${sdists[0]}"

git ls-files -- CMakeLists.txt pyproject.toml README.md src python third_party >"$work/needed"
python - "$sdist" "$work/needed" <<'PY'
import sys, tarfile
with tarfile.open(sys.argv[1]) as archive:
    members = archive.getnames()
top = members[0].split("/")[0]
names = {m.split("/", 1)[1] for m in members if "/" in m}
needed = set(open(sys.argv[2]).read().split())
assert needed, "git ls-files listed nothing"
missing = sorted(needed - names)
assert not missing, f"missing from the sdist: {missing}"
stray = sorted(n for n in names if n.endswith((".so", ".o", ".whl")) or n.startswith(("build/", "dist/")))
assert not stray, f"build output in the sdist: {stray}"
assert "PKG-INFO" in names
print(f"{top}: {len(names)} files, all {len(needed)} needed ones present")
PY

fresh_venv "$work/venv"
"$work/venv/bin/python" -m pip install -q "$sdist"
(cd "$work" && "$work/venv/bin/python" - <<'PY'
import pathlib, quorvel
here = pathlib.Path(quorvel.__file__)
assert here.name == "quorvel.abi3.so", here
assert (here.parent / "quorvel.pyi").is_file() and (here.parent / "quorvel-stubs" / "__init__.pyi").is_file()
assert (here.parent / "quorvel_cli.py").is_file()
PY
)
(cd "$work" && "$work/venv/bin/python" "$root/tests/typing_example.py")
echo "sdist: ok ($(basename "$sdist") installs from source and computes the typical call)"
