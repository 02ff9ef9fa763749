#!/usr/bin/env bash
# The same bytes on every platform the wheels serve: builds the four wheels with zig
# (tools/build_wheels.py) and compares every result digest of the real files, and of a ring that
# hangs on the last bit of hypot, with the module built from source here: the x86_64 wheel in a
# Debian 11 root (glibc 2.31, CPython 3.9), the aarch64 wheel in a Debian 11 arm64 root under
# qemu, and static musl builds of the pipeline for x86_64 and aarch64; a slice of the test suite
# runs in both Debian roots. See tools/check_platforms.sh; the roots are cached in
# ~/.cache/quorvel-platforms, so the check downloads them only on a fresh machine.
source "$(dirname "${BASH_SOURCE[0]}")/../common.bash"
bash tools/check_platforms.sh
