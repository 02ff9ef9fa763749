#!/usr/bin/env bash
# Builds the fuzz targets with libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer:
#   fuzz_pipeline   text and tolerance through the whole polygon pipeline
#   fuzz_simplify   smoothing and simplification against the plain reference, bit for bit
# Usage: fuzz/build.sh [output directory]   (default: build/fuzz)
# Needs clang++-16 (Debian packages clang-16 and libclang-rt-16-dev); CXX_FUZZ overrides it.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
output="${1:-$root/build/fuzz}"
compiler="${CXX_FUZZ:-clang++-16}"
mkdir -p "$output"
output="$(cd "$output" && pwd)"

cd "$root"
# The module's own flags where they matter for results (no fused multiply-add, no fast-math),
# sanitizers that stop at the first report.
flags=(-std=c++20 -g -O1 -fno-omit-frame-pointer
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined
    -ffp-contract=off -fno-fast-math -Wall -Wextra -Wno-psabi
    -I src -isystem third_party/fmt/include)

"$compiler" "${flags[@]}" fuzz/fuzz_pipeline.cpp \
    src/json_text.cpp src/geojson_input.cpp src/read_polygons_from_fc.cpp \
    src/smooth_and_simplify.cpp src/write_feature_collection.cpp src/polygon_model.cpp \
    src/fault.cpp \
    -o "$output/fuzz_pipeline" &
pipeline=$!
"$compiler" "${flags[@]}" fuzz/fuzz_simplify.cpp \
    src/smooth_and_simplify.cpp src/polygon_model.cpp \
    -o "$output/fuzz_simplify"
wait "$pipeline"
echo "built $output/fuzz_pipeline and $output/fuzz_simplify"
