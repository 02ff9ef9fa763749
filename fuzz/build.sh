#!/usr/bin/env bash
# Builds the fuzz targets with libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer:
#   fuzz_pipeline   text and tolerance through the whole polygon pipeline
#   fuzz_simplify   smoothing and simplification against the plain reference, bit for bit
# Usage: fuzz/build.sh [output directory]   (default: build/fuzz)
# Needs clang++-16 (Debian packages clang-16 and libclang-rt-16-dev); CXX_FUZZ overrides it.
# The targets come from the project's CMake description (option QUORVEL_FUZZ), so they compile
# the pipeline with the module's own flags.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
output="${1:-$root/build/fuzz}"
mkdir -p "$output"
output="$(cd "$output" && pwd)"

cmake -S "$root" -B "$output/cmake" -DCMAKE_CXX_COMPILER="${CXX_FUZZ:-clang++-16}" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVEL_MODULE=OFF -DQUORVEL_FUZZ=ON >"$output/cmake.log" \
    || { cat "$output/cmake.log"; exit 1; }
cmake --build "$output/cmake" --parallel 2 --target fuzz_pipeline fuzz_simplify
cp "$output/cmake/fuzz_pipeline" "$output/cmake/fuzz_simplify" "$output/"
echo "built $output/fuzz_pipeline and $output/fuzz_simplify"
