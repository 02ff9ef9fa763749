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
PIPELINE = ["json_text", "geojson_input", "read_polygons_from_fc", "smooth_and_simplify",
            "write_feature_collection", "polygon_model", "fault"]


def build(binary):
    sources = [str(ROOT / "src" / f"{name}.cpp") for name in PIPELINE]
    subprocess.run(["g++", "-std=c++20", "-O2", "-ffp-contract=off", f"-I{ROOT / 'src'}",
                    "-isystem", str(ROOT / "third_party/fmt/include"),
                    str(ROOT / "benchmarks/stage_profile.cpp"), *sources, "-o", str(binary)],
                   check=True)


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
    binary = ROOT / "benchmarks" / "out" / "stage_profile"
    binary.parent.mkdir(exist_ok=True)
    build(binary)
    for path in args.files or sorted((ROOT / "data").glob("*.geojson")):
        for tolerance in (0.01, 0.001):
            subprocess.run([str(binary), str(path), str(tolerance), str(args.repeat)], check=True)
            sys.stdout.flush()
            boundary_ms(path.read_text(encoding="utf-8"), tolerance, args.repeat)


if __name__ == "__main__":
    main()
