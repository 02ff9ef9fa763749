#!/usr/bin/env python3
"""Builds benchmarks/stage_profile.cpp and prints the time of each stage of one call, plus the
interpreter's two copies at the boundary (the UTF-8 bytes of the input, the result str).

    python benchmarks/profile_stages.py [--repeat 15] [files...]
"""
import argparse
import statistics
import subprocess
import sys
import time
from pathlib import Path

import quorvel

ROOT = Path(__file__).resolve().parent.parent


def build(folder):
    """The profiler from the project's CMake description, with the module's own flags."""
    subprocess.run(["cmake", "-S", str(ROOT), "-B", str(folder), "-DQUORVEL_MODULE=OFF",
                    "-DQUORVEL_TOOLS=ON", "-DCMAKE_BUILD_TYPE=Release"],
                   check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", str(folder), "--parallel", "2", "--target", "stage_profile"],
                   check=True, stdout=subprocess.DEVNULL)
    return folder / "stage_profile"


def boundary_ms(text, tolerance, repeat):
    result = quorvel.smooth_and_simplify_polygon_fc(text, tolerance)
    encoded = result.encode()
    copies = {"input to UTF-8 bytes": lambda: text.encode("utf-8"),
              "result to str": lambda: encoded.decode("utf-8")}
    for name, copy in copies.items():
        times = []
        for _ in range(repeat):
            start = time.perf_counter()
            copy()
            times.append(time.perf_counter() - start)
        print(f"  {name:18} {statistics.median(times) * 1e3:7.2f}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("files", nargs="*", type=Path)
    parser.add_argument("--repeat", type=int, default=15)
    args = parser.parse_args()
    binary = build(ROOT / "benchmarks" / "out" / "stage_profile")
    for path in args.files or sorted((ROOT / "data").glob("*.geojson")):
        for tolerance in (0.01, 0.001):
            subprocess.run([str(binary), str(path), str(tolerance), str(args.repeat)], check=True)
            sys.stdout.flush()
            boundary_ms(path.read_text(encoding="utf-8"), tolerance, args.repeat)


if __name__ == "__main__":
    main()
