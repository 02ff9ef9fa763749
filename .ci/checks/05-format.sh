#!/usr/bin/env bash
# Formatting: every C++ file of the project (sources, fuzz targets, native tools and checks)
# is as clang-format leaves it with the checked-in .clang-format. The generated Unicode
# tables switch formatting off inside themselves.
source "$(dirname "${BASH_SOURCE[0]}")/../common.bash"
apt_install clang-format-16 clang-format-16
mapfile -t files < <(git ls-files -- '*.cpp' '*.h' | grep -v '^third_party/')
clang-format-16 --dry-run --Werror "${files[@]}"
echo "format: ${#files[@]} files as clang-format leaves them"
