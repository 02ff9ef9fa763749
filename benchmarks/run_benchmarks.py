#!/usr/bin/env python3
"""Times quorvel next to the pipeline a Python user would write instead, on real files.

For every file (the real files under data/ unless files are named), in one process, with the
contenders interleaved and medians taken, each call on a str of its own made outside the timed
region, as a user's str arrives (a str that another call has already encoded keeps a cached
UTF-8 form that would make the copy at the boundary free):
  quorvel              smooth_and_simplify_polygon_fc(text, tolerance)
  numpy+shapely+orjson the same work with the usual Python tools (peer_pipeline.py)
  json.loads, orjson.loads   parsing only, as anchors
It prints input MB/s, each contender's time as a multiple of quorvel's, the peak memory of one
quorvel call in a fresh process as a multiple of the input size, and per tolerance the
geometric mean over the files of the peer's time as a multiple of quorvel's. With --scaling it also
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


def median_seconds(data, tolerance, repeat):
    """Medians of interleaved runs, each on a fresh str decoded from `data` before the clock
    starts."""
    runs = contenders(tolerance)
    times = {name: [] for name in runs}
    for _ in range(repeat):
        for name, run in runs.items():
            text = data.decode("utf-8")
            start = time.perf_counter()
            run(text)
            times[name].append(time.perf_counter() - start)
            del text
    return {name: statistics.median(values) for name, values in times.items()}


def peak_memory_bytes(path, tolerance):
    child = subprocess.run([sys.executable, "-c", PEAK_MEMORY_CHILD, str(path), str(tolerance)],
                           capture_output=True, text=True, check=True)
    return int(child.stdout.strip())


def report(label, data, tolerance, repeat, path=None):
    """One row; returns quorvel's rate and the peer's time as a multiple of quorvel's."""
    size = len(data)
    seconds = median_seconds(data, tolerance, repeat)
    ours = seconds["quorvel"]
    cells = []
    for name, value in seconds.items():
        cells.append(f"{name} {size / value / 1e6:7.1f} MB/s ({value / ours:5.2f}x)")
    memory = ""
    if path is not None:
        memory = f" | peak {peak_memory_bytes(path, tolerance) / size:4.2f}x input"
    print(f"{label:24} {size / 1e6:6.2f} MB tol {tolerance:<6} | " + " | ".join(cells) + memory,
          flush=True)
    return size / ours, seconds["numpy+shapely+orjson"] / ours


def scaling(repeat):
    base = json.loads((DATA / "ne_countries_50m.geojson").read_text(encoding="utf-8"))
    for tolerance in TOLERANCES:
        rates = []
        for factor in (1, 4, 16):
            document = dict(base, features=base["features"] * factor)
            data = json.dumps(document, ensure_ascii=False, separators=(",", ":")).encode()
            rate, _ = report(f"countries x{factor}", data, tolerance, max(3, repeat // factor))
            rates.append(rate)
        spread = (max(rates) - min(rates)) / max(rates)
        print(f"  throughput spread across sizes at tol {tolerance}: {spread:.1%}"
              f" (x16 against x1: {rates[2] / rates[0] - 1:+.1%})")


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("files", nargs="*", type=Path)
    parser.add_argument("--repeat", type=int, default=15)
    parser.add_argument("--scaling", action="store_true")
    args = parser.parse_args()
    files = args.files or sorted(DATA.glob("*.geojson"))
    peer_ratios = {tolerance: [] for tolerance in TOLERANCES}
    for path in files:
        data = path.read_bytes()
        for tolerance in TOLERANCES:
            _, peer_ratio = report(path.name, data, tolerance, args.repeat, path)
            peer_ratios[tolerance].append(peer_ratio)
    for tolerance, ratios in peer_ratios.items():
        print(f"tol {tolerance}: numpy+shapely+orjson takes {statistics.geometric_mean(ratios):.2f}x"
              f" quorvel's time (geometric mean over {len(ratios)} files)")
    if args.scaling:
        scaling(args.repeat)


if __name__ == "__main__":
    main()
