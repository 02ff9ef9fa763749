#!/usr/bin/env bash
# Proves the same bytes on every platform the wheels serve, against the module built from
# source on this machine: every real file under data/ at tolerances 0, 1e-4, 1e-2 and 1.0,
# compared by the SHA-256 of each result, on
#   - the x86_64 manylinux wheel in a fresh virtual environment here;
#   - the x86_64 manylinux wheel in a Debian 11 root (glibc 2.31, CPython 3.9), in a chroot;
#   - the aarch64 manylinux wheel in a Debian 11 arm64 root, its CPython run by qemu-user;
#   - static musl builds of the pipeline (tools/run_pipeline.cpp, no Python) for x86_64,
#     natively, and for aarch64, under qemu-user.
# A slice of the test suite runs in both Debian roots. A ring whose simplification hangs on the
# last bit of hypot is compared too, on a line of its own; it counts like the rest. One line per
# platform tells its digest count and verdict; the exit status is 0 only when all agree.
#
#   bash tools/check_platforms.sh          (as root: it uses apt-get, debootstrap and chroot)
#
# It installs what it needs: debootstrap and qemu-user-static with apt-get, the Python tools
# of tools/build_wheels.py with pip. The Debian roots are kept in QUORVEL_PLATFORMS_CACHE
# (default ~/.cache/quorvel-platforms), so only the first run downloads them. DEBIAN_MIRROR
# overrides the Debian archive; PLATFORM_PYTEST_ARGS (split at blanks) replaces the test slice.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
repo="$PWD"
cache="${QUORVEL_PLATFORMS_CACHE:-$HOME/.cache/quorvel-platforms}"
mirror="${DEBIAN_MIRROR:-http://deb.debian.org/debian}"
release=bullseye
tolerances=(0 1e-4 1e-2 1.0)
# The test files that run on CPython 3.9 with pytest alone, in a root without /proc: not the
# properties (hypothesis), the examples and native checks (packages, a compiler), nor the
# child-process and memory tests (they read /proc; test_leaks needs glibc 2.33's mallinfo2).
# Left out too: the ten-million-point ring and the 21,000-deep splitting, minutes under qemu.
test_slice=(tests/test_smoothing.py tests/test_writing.py tests/test_json_reading.py
    tests/test_json_conformance.py tests/test_geojson_reading.py tests/test_polygon_collection.py
    tests/test_real_files.py tests/test_module_boundary.py
    -k "not ten_million and not deeply_nested")
if [ -n "${PLATFORM_PYTEST_ARGS+set}" ]; then
    read -r -a test_slice <<<"$PLATFORM_PYTEST_ARGS"
fi
export PIP_ROOT_USER_ACTION=ignore PIP_DISABLE_PIP_VERSION_CHECK=1 DEBIAN_FRONTEND=noninteractive
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
started=$SECONDS

step() { echo "== $* ($((SECONDS - started)) s)"; }

install_host_tools() {
    local missing=()
    command -v debootstrap >/dev/null || missing+=(debootstrap)
    command -v qemu-aarch64-static >/dev/null || missing+=(qemu-user-static)
    command -v dpkg-deb >/dev/null || missing+=(dpkg)
    if [ "${#missing[@]}" -gt 0 ]; then
        apt-get update -qq
        apt-get install -y -qq "${missing[@]}" >/dev/null
    fi
}

# The folder every platform reads: the real files, the hypot ring, the list of cases, the
# digest script and the test slice's files. Its path is the same inside the roots.
make_check_folder() {
    local check="$work/check"
    mkdir -p "$check/data" "$check/tests"
    cp data/*.geojson "$check/data/"
    cp tools/result_digests.py "$check/"
    cp tests/*.py "$check/tests/"
    # Positions whose first run's largest distance, as glibc 2.36 computes it, is the
    # tolerance itself: the result has two positions or three depending on hypot's last bit.
    printf '%s' '{"type":"FeatureCollection","features":[{"type":"Feature","properties":{},"geometry":{"type":"Polygon","coordinates":[[[211.035,922.333],[140.869,222.971],[614.395,230.071],[839.958,358.828],[211.035,922.333]]]}}]}' \
        >"$check/hypot_last_bit_ring.geojson"
    (cd "$check" && for file in data/*.geojson; do
        for tolerance in "${tolerances[@]}"; do echo "$file $tolerance"; done
    done) >"$check/cases"
    echo "hypot_last_bit_ring.geojson 669.1863223566969" >>"$check/cases"
}

# The module built from source with this machine's compiler, in a fresh virtual environment.
native_digests() {
    python -m venv "$work/native"
    "$work/native/bin/python" -m pip install -q "$repo" -C build-dir="$work/native-build"
    "$work/native/bin/python" "$work/check/result_digests.py" "$work/check/cases" >"$work/native.digests"
}

build_wheels() {
    python tools/build_wheels.py --out "$work/wheelhouse" >"$work/build_wheels.log" 2>&1 ||
        { tail -40 "$work/build_wheels.log"; return 1; }
    grep -E '^   (quorvel-|auditwheel)' "$work/build_wheels.log"
}

# The wheel whose tags name PLATFORM.
wheel_for() {
    local wheels=("$work"/wheelhouse/quorvel-*"$1"*.whl)
    [ -e "${wheels[0]}" ] || { echo "no $1 wheel was built" >&2; return 1; }
    echo "${wheels[0]}"
}

wheel_here_digests() {
    python -m venv "$work/wheel-venv"
    local wheel
    wheel="$(wheel_for manylinux_2_17_x86_64)"
    "$work/wheel-venv/bin/python" -m pip install -q --no-index --no-deps "$wheel"
    "$work/wheel-venv/bin/python" "$work/check/result_digests.py" "$work/check/cases" \
        >"$work/wheel-here.digests"
}

# A Debian root for ARCH with python3 and pytest, made once and kept in the cache. For a
# foreign architecture debootstrap only downloads (--foreign); unpacking every package is all
# CPython needs, and qemu-user runs it, so no second stage and no binfmt registration.
debian_root() {
    local arch="$1" root="$cache/$release-$1"
    if [ ! -e "$root/.complete" ]; then
        rm -rf "$root.partial"
        mkdir -p "$cache"
        local options=(--variant=minbase --include=python3,python3-pytest "--arch=$arch")
        if [ "$arch" != amd64 ]; then
            options+=(--foreign)
        fi
        debootstrap "${options[@]}" "$release" "$root.partial" "$mirror" >"$work/debootstrap-$arch.log" 2>&1 ||
            { tail -30 "$work/debootstrap-$arch.log"; return 1; }
        if [ "$arch" != amd64 ]; then
            for package in "$root.partial"/var/cache/apt/archives/*.deb; do
                dpkg-deb -x "$package" "$root.partial"
            done
            rm -f "$root.partial"/var/cache/apt/archives/*.deb
        fi
        rm -rf "$root"
        mv "$root.partial" "$root"
        touch "$root/.complete"
    fi
    echo "$root"
}

# Runs the root's python3 with the check folder and the unpacked wheel in place.
root_python() {
    local arch="$1" root="$2"
    shift 2
    local emulator=()
    if [ "$arch" = arm64 ]; then
        cp "$(command -v qemu-aarch64-static)" "$root/usr/bin/qemu-aarch64-static"
        emulator=(/usr/bin/qemu-aarch64-static)
    fi
    env -i PATH=/usr/bin:/bin HOME=/root LC_ALL=C.UTF-8 PYTHONPATH=/opt/quorvel-check/site \
        PYTHONDONTWRITEBYTECODE=1 "$(command -v chroot)" "$root" ${emulator[@]+"${emulator[@]}"} \
        /usr/bin/python3 "$@"
}

debian_digests_and_tests() {
    local arch="$1" wheel root inside=/opt/quorvel-check
    wheel="$(wheel_for "$2")"
    root="$(debian_root "$arch")"
    rm -rf "${root:?}$inside"
    mkdir -p "$root/opt"
    cp -r "$work/check" "$root$inside"
    python -m zipfile -e "$wheel" "$root$inside/site"
    root_python "$arch" "$root" "$inside/result_digests.py" "$inside/cases" >"$work/debian-$arch.digests"
    local arguments=()
    for argument in "${test_slice[@]}"; do
        case "$argument" in tests/*) arguments+=("$inside/$argument") ;; *) arguments+=("$argument") ;; esac
    done
    root_python "$arch" "$root" -m pytest -q -p no:cacheprovider "--rootdir=$inside" "${arguments[@]}" \
        >"$work/debian-$arch.tests" 2>&1 || true
    tail -1 "$work/debian-$arch.tests" >"$work/debian-$arch.summary"
    rm -rf "${root:?}$inside"
}

# The pipeline without Python, linked statically against musl by zig for ARCH.
musl_driver() {
    local arch="$1" zig
    zig="$(python -c 'import ziglang, pathlib; print(pathlib.Path(ziglang.__file__).with_name("zig"))')"
    cmake -S "$repo" -B "$work/musl-$arch" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$repo/tools/zig-toolchain.cmake" \
        -DZIG_TARGET="$arch-linux-musl" -DZIG="$zig" -DQUORVEL_MODULE=OFF -DQUORVEL_TOOLS=ON \
        -DQUORVEL_WERROR=ON -DCMAKE_EXE_LINKER_FLAGS=-static >"$work/musl-$arch.log" 2>&1 &&
        cmake --build "$work/musl-$arch" --target run_pipeline >>"$work/musl-$arch.log" 2>&1 ||
        { tail -30 "$work/musl-$arch.log"; return 1; }
    echo "$work/musl-$arch/run_pipeline"
}

musl_digests() {
    local arch="$1" driver emulator=()
    driver="$(musl_driver "$arch")"
    if [ "$arch" = aarch64 ]; then
        emulator=(qemu-aarch64-static)
    fi
    (cd "$work/check" && while read -r file tolerance; do
        "${emulator[@]}" "$driver" "$file" "$tolerance" >"$work/result"
        echo "$file $tolerance $(sha256sum <"$work/result" | cut -d' ' -f1) $(grep -o '\[[-0-9n]' "$work/result" | wc -l)"
    done <cases
        echo "# platform $arch, static musl, no Python") >"$work/musl-$arch.digests"
}

# One line per platform, and one for the hypot ring; exit status 1 when anything differs.
report() {
    python - "$work" "$@" <<'PY'
import sys
from pathlib import Path

work = Path(sys.argv[1])
platforms = [entry.split("=", 1) for entry in sys.argv[2:]]
hypot_case = "hypot_last_bit_ring.geojson"


def read(name):
    digests, description = {}, ""
    for line in (work / f"{name}.digests").read_text().splitlines():
        if line.startswith("# platform "):
            description = line[len("# platform "):]
        else:
            path, tolerance, digest, positions = line.split()
            digests[(path, tolerance)] = (digest, int(positions))
    return digests, description


native, native_description = read("native")
print(f"reference: the module built from source here ({native_description}), {len(native)} cases")
failed = False
hypot = []
for name, label in platforms:
    digests, description = read(name)
    real = [case for case in native if case[0] != hypot_case]
    agree = sum(digests.get(case, ("",))[0] == native[case][0] for case in real)
    verdict = "ok" if agree == len(real) else "DIFFERENT"
    tests = work / f"{name}.summary"
    tested = f"; tests: {tests.read_text().strip()}" if tests.exists() else ""
    if tests.exists() and (" failed" in tested or " error" in tested or " passed" not in tested):
        verdict = "TESTS FAILED"
    failed |= verdict != "ok"
    print(f"{label} ({description}): {agree}/{len(real)} digests agree{tested}: {verdict}")
    for case in real:
        if digests.get(case, ("",))[0] != native[case][0]:
            positions = digests.get(case, ("", "none"))[1]
            print(f"    differs: {case[0]} at {case[1]}: {native[case][1]} positions here, "
                  f"{positions} there")
    [hypot_key] = [case for case in native if case[0] == hypot_case]
    hypot.append((label, digests.get(hypot_key, ("", -1))))

reference_digest, reference_positions = native[hypot_key]
differing = [f"{label} ({positions} positions)" for label, (digest, positions) in hypot
             if digest != reference_digest]
failed |= bool(differing)
print(f"hypot last-bit ring at {hypot_key[1]}: {reference_positions} positions here, "
      f"{len(hypot) - len(differing)}/{len(hypot)} platforms agree: "
      + ("ok" if not differing else "DIFFERENT"))
for line in differing:
    print(f"    differs: {line}")
print("all platforms agree" if not failed else "platforms DISAGREE")
sys.exit(1 if failed else 0)
PY
}

main() {
    step "host tools"
    install_host_tools
    make_check_folder
    step "the module from source (reference)"
    native_digests
    step "the four wheels (tools/build_wheels.py)"
    build_wheels
    step "x86_64 manylinux wheel in a virtual environment here"
    wheel_here_digests
    step "Debian 11 x86_64 root, x86_64 manylinux wheel"
    debian_digests_and_tests amd64 manylinux_2_17_x86_64
    step "Debian 11 arm64 root under qemu, aarch64 manylinux wheel"
    debian_digests_and_tests arm64 manylinux_2_17_aarch64
    step "static musl driver, x86_64"
    musl_digests x86_64
    step "static musl driver, aarch64 under qemu"
    musl_digests aarch64
    step "comparison"
    report "wheel-here=x86_64 manylinux wheel, this machine" \
        "debian-amd64=x86_64 manylinux wheel, Debian 11 chroot" \
        "debian-arm64=aarch64 manylinux wheel, Debian 11 arm64 under qemu" \
        "musl-x86_64=static musl driver x86_64" \
        "musl-aarch64=static musl driver aarch64 under qemu"
}

main
