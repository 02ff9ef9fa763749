#!/usr/bin/env bash
# Fuzzes the pipeline and the simplification for a bounded time under libFuzzer with
# AddressSanitizer and UndefinedBehaviorSanitizer (fuzz/README.md). The two targets run side by
# side, one per core, each for FUZZ_SECONDS (default 120), so the check takes about that long
# plus the build. Any crash, leak, sanitizer report, broken invariant or mismatch with the
# reference fails the check; the offending inputs are kept in fuzz/findings/ and shown.
source "$(dirname "${BASH_SOURCE[0]}")/../common.bash"
seconds="${FUZZ_SECONDS:-120}"

if ! command -v clang++-16 >/dev/null ||
    [ ! -e "$(clang++-16 -print-resource-dir)/lib/linux/libclang_rt.fuzzer-x86_64.a" ]; then
    apt_packages clang-16 libclang-rt-16-dev
fi

bash fuzz/build.sh "$work"
mkdir -p fuzz/findings

# Inputs that once failed come first, each run once.
for target in pipeline simplify; do
    if compgen -G "fuzz/regressions/$target/*" >/dev/null; then
        "$work/fuzz_$target" -close_fd_mask=2 fuzz/regressions/"$target"/* >"$work/$target.regressions" 2>&1 || {
            tail -60 "$work/$target.regressions"
            echo "a fuzz regression input of fuzz_$target fails again"
            exit 1
        }
    fi
done

# The targets' own stderr (a fault report for every refused input) is closed; libFuzzer and
# the sanitizers report on a duplicate of it. New corpus entries go to a scratch directory.
fuzz() {
    local target="$1" max_len="$2"
    shift 2
    mkdir -p "$work/$target.corpus" "$work/$target.findings"
    "$work/fuzz_$target" "$work/$target.corpus" "fuzz/corpus/$target" "$@" \
        -max_len="$max_len" -timeout=20 -rss_limit_mb=2048 -max_total_time="$seconds" \
        -close_fd_mask=2 -print_final_stats=1 -artifact_prefix="$work/$target.findings/" \
        >"$work/$target.log" 2>&1
}
fuzz pipeline 8192 -dict=fuzz/geojson.dict &
pipeline=$!
fuzz simplify 4096 &
simplify=$!
status=0
wait "$pipeline" || status=$?
wait "$simplify" || status=$?

found=0
for target in pipeline simplify; do
    echo "== fuzz_$target"
    grep -v -E '^#[0-9]+[[:space:]]+(NEW|REDUCE|pulse)|^"|Uses: |^###### ' "$work/$target.log" |
        tail -25 || true
    for finding in "$work/$target.findings"/*; do
        [ -e "$finding" ] || continue
        found=1
        cp "$finding" "fuzz/findings/$target-$(basename "$finding")"
        echo "== finding fuzz/findings/$target-$(basename "$finding") ($(wc -c <"$finding") bytes), first 512 bytes:"
        head -c 512 "$finding" | od -A d -c | head -40
        echo "== reproduction:"
        "$work/fuzz_$target" "$finding" 2>&1 | grep -v '^quorvel: thread\|^note: ' | tail -60 || true
    done
done
if [ "$status" -ne 0 ] || [ "$found" -ne 0 ]; then
    echo "fuzzing found a problem (exit status $status); inputs kept in fuzz/findings/"
    exit 1
fi
echo "fuzzing: no findings in ${seconds} s for each of fuzz_pipeline and fuzz_simplify"
