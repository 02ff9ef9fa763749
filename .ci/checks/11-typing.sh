#!/usr/bin/env bash
# Typing: the package installed into a fresh virtual environment brings quorvel.pyi beside
# quorvel.abi3.so (and the same stub as the stub-only package quorvel-stubs, which is where
# mypy looks); mypy --strict accepts tests/typing_example.py against the installed package
# and rejects misuse with the expected messages; stubtest finds the stub and the compiled
# module in agreement. Everything runs outside the source tree, so only installed files count.
source "$(dirname "${BASH_SOURCE[0]}")/../common.bash"

fresh_venv "$work/venv"
py="$work/venv/bin/python"
"$py" -m pip install -q "$root" "mypy==2.4.1"
cd "$work"

"$py" - <<'PY'
import pathlib, sysconfig, quorvel
site = pathlib.Path(sysconfig.get_paths()["platlib"])
assert pathlib.Path(quorvel.__file__) == site / "quorvel.abi3.so", quorvel.__file__
for stub in (site / "quorvel.pyi", site / "quorvel-stubs" / "__init__.pyi"):
    assert stub.is_file(), f"{stub} is not installed"
assert (site / "quorvel.pyi").read_bytes() == (site / "quorvel-stubs" / "__init__.pyi").read_bytes()
# The stub adds nothing to the module itself.
assert [n for n in dir(quorvel) if not n.startswith("__")] == ["smooth_and_simplify_polygon_fc"]
PY

cp "$root/tests/typing_example.py" .
"$py" typing_example.py
"$py" -m mypy --strict --no-incremental typing_example.py

cat > misuse.py <<'PY'
from quorvel import smooth_and_simplify_polygon_fc
reveal_type(smooth_and_simplify_polygon_fc)
smooth_and_simplify_polygon_fc(b"{}", 0.01)
smooth_and_simplify_polygon_fc("{}", tolerance=0.01)
smooth_and_simplify_polygon_fc("{}", "0.01")
wrong: bytes = smooth_and_simplify_polygon_fc("{}", 0.01)
PY
expected='misuse.py:2: note: Revealed type is "def (geojson: str, simplify_tolerance_m: float) -> str"
misuse.py:3: error: Argument 1 to "smooth_and_simplify_polygon_fc" has incompatible type "bytes"; expected "str"  [arg-type]
misuse.py:4: error: Unexpected keyword argument "tolerance" for "smooth_and_simplify_polygon_fc"  [call-arg]
misuse.py:4: note: "smooth_and_simplify_polygon_fc" defined in "quorvel"
misuse.py:5: error: Argument 2 to "smooth_and_simplify_polygon_fc" has incompatible type "str"; expected "float"  [arg-type]
misuse.py:6: error: Incompatible types in assignment (expression has type "str", variable has type "bytes")  [assignment]
Found 4 errors in 1 file (checked 1 source file)'
actual="$("$py" -m mypy --strict --no-incremental misuse.py 2>&1 || true)"
if [ "$actual" != "$expected" ]; then
    echo "mypy on misuse.py gave:"; echo "$actual"; echo "expected:"; echo "$expected"; exit 1
fi

"$py" -m mypy.stubtest quorvel
echo "typing: ok"
