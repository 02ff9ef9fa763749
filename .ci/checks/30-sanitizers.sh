#!/usr/bin/env bash
# Builds the module with AddressSanitizer and UndefinedBehaviorSanitizer (the project compiler,
# GCC) into a virtual environment of its own and runs the test suite against it, child
# processes included (they inherit the preloaded runtime). The interpreter itself is not
# instrumented: the sanitizer runtime is preloaded. Leak checking is off because the
# interpreter keeps its own allocations to the end of the process; the fuzz check runs the
# pipeline under LeakSanitizer and tests/test_leaks.py counts the interpreter's objects.
# allocator_may_return_null lets the memory exhaustion tests see a failed allocation as the
# module does.
#
# SANITIZER_PYTEST_ARGS (split at blanks) replaces the default selection, which leaves out the
# 200 MB input of tests/test_hostile_input.py (about 1.4 GB resident without the sanitizer) and
# the sweep of an address-space limit through every stage (it steers glibc's allocator, which
# the sanitizer replaces with its own).
source "$(dirname "${BASH_SOURCE[0]}")/../common.bash"
repo="$root"

runtime="$(g++ -print-file-name=libasan.so)"
if [ ! -e "$runtime" ]; then
    apt_packages g++ libasan8 libubsan1
    runtime="$(g++ -print-file-name=libasan.so)"
fi
runtime="$(readlink -f "$runtime")"

fresh_venv "$work/venv"
"$work/venv/bin/python" -m pip install -q --upgrade pip
SKBUILD_CMAKE_DEFINE="QUORVEL_SANITIZE=ON;QUORVEL_WERROR=ON" \
    "$work/venv/bin/python" -m pip install -q "$repo[test]" -C build-dir="$work/build"

export LD_PRELOAD="$runtime"
export ASAN_OPTIONS="detect_leaks=0:allocator_may_return_null=1:abort_on_error=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
module="$("$work/venv/bin/python" -c 'import quorvel; print(quorvel.__file__)')"
case "$module" in
    "$work/venv/"*) ;;
    *) echo "the sanitized module is not the one imported: $module"; exit 1 ;;
esac
# The whole listing first: grep -q would stop reading at the first match, and under pipefail
# the listing's SIGPIPE would fail the test now and then.
libraries="$(ldd "$module")"
if ! grep -q libasan <<<"$libraries"; then
    echo "$module is not built with AddressSanitizer"
    exit 1
fi
echo "sanitized module: $module"

if [ -n "${SANITIZER_PYTEST_ARGS+set}" ]; then
    read -r -a selection <<<"$SANITIZER_PYTEST_ARGS"
else
    selection=(-k "not two_hundred_megabytes and not memory_limit_sweep")
fi
cd "$work"
"$work/venv/bin/python" -m pytest -q -p no:cacheprovider --rootdir="$repo" "$repo/tests" \
    ${selection[@]+"${selection[@]}"}
