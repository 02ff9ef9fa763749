#!/usr/bin/env python3
"""Times quorvel next to the pipeline a Python user would write instead, on real files.

For every file (the real files under data/ unless files are named), in one process, with the
contenders interleaved and medians taken:
  quorvel              smooth_and_simplify_polygon_fc(text, tolerance)
  numpy+shapely+orjson the same work with the usual Python tools (peer_pipeline.py)
  json.loads, orjson.loads   parsing only, as anchors
It prints input MB/s, each contender's time as a multiple of quorvel's, and the peak memory of
one quorvel call in a fresh process as a multiple of the input size. With --scaling it also
runs the countries file repeated 1x, 4x and 16x to show that throughput does not depend on
size.

    python -m pip install -r benchmarks/requirements.txt
    python benchmarks/run_benchmarks.py [--repeat 15] [--scaling] [files...]
"""
import argparse
import json
import statistics
import subprocess
import sys
import time
from pathlib import Path

import orjson

import quorvel

sys.path.insert(0, str(Path(__file__).parent))
import peer_pipeline  # noqa: E402

DATA = Path(__file__).resolve().parent.parent / "data"
TOLERANCES = (0.01, 0.001)

PEAK_MEMORY_CHILD = r"""
import sys, quorvel
text = open(sys.argv[1], encoding="utf-8").read() * 1
def rss_kib(field):
    for line in open("/proc/self/status"):
        if line.startswith(field):
            return int(line.split()[1])
before = rss_kib("VmRSS:")
open("/proc/self/clear_refs", "w").write("5")  # resets the peak to the current size
result = quorvel.smooth_and_simplify_polygon_fc(text, float(sys.argv[2]))
print((rss_kib("VmHWM:") - before) * 1024)
"""


def contenders(tolerance):
    return {
        "quorvel": lambda text: quorvel.smooth_and_simplify_polygon_fc(text, tolerance),
        "numpy+shapely+orjson": lambda text: peer_pipeline.smooth_and_simplify(text, tolerance),
        "json.loads": json.loads,
        "orjson.loads": orjson.loads,
    }


def median_seconds(text, tolerance, repeat):
    runs = contenders(tolerance)
    times = {name: [] for name in runs}
    for _ in range(repeat):
        for name, run in runs.items():
            start = time.perf_counter()
            run(text)
            times[name].append(time.perf_counter() - start)
    return {name: statistics.median(values) for name, values in times.items()}


def peak_memory_bytes(path, tolerance):
    child = subprocess.run([sys.executable, "-c", PEAK_MEMORY_CHILD, str(path), str(tolerance)],
                           capture_output=True, text=True, check=True)
    return int(child.stdout.strip())


def report(label, text, tolerance, repeat, path=None):
    size = len(text.encode())
    seconds = median_seconds(text, tolerance, repeat)
    ours = seconds["quorvel"]
    cells = []
    for name, value in seconds.items():
        cells.append(f"{name} {size / value / 1e6:7.1f} MB/s ({value / ours:5.2f}x)")
    memory = ""
    if path is not None:
        memory = f" | peak {peak_memory_bytes(path, tolerance) / size:4.2f}x input"
    print(f"{label:24} {size / 1e6:6.2f} MB tol {tolerance:<6} | " + " | ".join(cells) + memory,
          flush=True)
    return size / ours


def scaling(repeat):
    base = json.loads((DATA / "ne_countries_50m.geojson").read_text(encoding="utf-8"))
    for tolerance in TOLERANCES:
        rates = []
        for factor in (1, 4, 16):
            document = dict(base, features=base["features"] * factor)
            text = json.dumps(document, separators=(",", ":"))
            rates.append(report(f"countries x{factor}", text, tolerance, max(3, repeat // factor)))
        spread = (max(rates) - min(rates)) / max(rates)
        print(f"  throughput spread across sizes at tol {tolerance}: {spread:.1%}")


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("files", nargs="*", type=Path)
    parser.add_argument("--repeat", type=int, default=15)
    parser.add_argument("--scaling", action="store_true")
    args = parser.parse_args()
    files = args.files or sorted(DATA.glob("*.geojson"))
    for path in files:
        text = path.read_text(encoding="utf-8")
        for tolerance in TOLERANCES:
            report(path.name, text, tolerance, args.repeat, path)
    if args.scaling:
        scaling(args.repeat)


if __name__ == "__main__":
    main()
