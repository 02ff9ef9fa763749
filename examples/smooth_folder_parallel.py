#!/usr/bin/env python3
"""Smooth and simplify every .geojson file of a folder, using all cores.

    python examples/smooth_folder_parallel.py IN_DIR OUT_DIR --tolerance 0.01 [--workers N]

Each *.geojson file directly inside IN_DIR is written under the same name into OUT_DIR
(created if missing). The tolerance is in the units of the coordinates (degrees for
longitude/latitude data), never metres. A line per finished file goes to standard error; files
that cannot be read or are not valid GeoJSON are reported there as
"smooth_folder_parallel.py: error: ...", the others are still done, and the exit status is 1.

Why processes: smooth_and_simplify_polygon_fc holds the interpreter lock (the GIL) for the
whole call, so threads of one process would run the calls one after another. Separate
processes each have their own interpreter and lock, so N processes smooth N files at once.
"""
import argparse
import os
import sys
from concurrent.futures import ProcessPoolExecutor, as_completed
from pathlib import Path

from quorvel import smooth_and_simplify_polygon_fc


def is_panic(error):
    """pyo3_runtime.PanicException, which quorvel raises for unreadable GeoJSON, cannot be
    imported and derives from BaseException: recognise it by its name."""
    kind = type(error)
    return kind.__name__ == "PanicException" and kind.__module__ == "pyo3_runtime"


def smooth_one(source, target, tolerance):
    """Runs in a worker process. Only paths and a short summary cross between processes, not
    the (possibly large) texts. Returns (source, polygons, error message or None).

    Failures come back as text: a PanicException cannot be sent to the parent as it is,
    because pickling it needs its type by name from a module ("pyo3_runtime") that does not
    exist."""
    try:
        text = Path(source).read_bytes().decode("utf-8")
    except OSError as error:
        return source, 0, f"cannot read {source}: {error.strerror or error}"
    except UnicodeDecodeError as error:
        return source, 0, f"cannot read {source}: not UTF-8 text ({error.reason} at byte {error.start})"
    try:
        result = smooth_and_simplify_polygon_fc(text, tolerance)
    except BaseException as error:
        if not is_panic(error):
            raise
        return source, 0, f"{source} is not valid GeoJSON: {error}"
    try:
        Path(target).write_bytes(result.encode("utf-8"))
    except OSError as error:
        return source, 0, f"cannot write {target}: {error.strerror or error}"
    return source, result.count('"type":"Feature"}'), None


def available_cores():
    try:
        return len(os.sched_getaffinity(0))
    except AttributeError:  # not on Linux
        return os.cpu_count() or 1


def main(argv=None):
    parser = argparse.ArgumentParser(prog="smooth_folder_parallel.py",
                                     description=__doc__.split("\n\n")[0])
    parser.add_argument("input_dir", type=Path, metavar="IN_DIR")
    parser.add_argument("output_dir", type=Path, metavar="OUT_DIR")
    parser.add_argument("--tolerance", type=float, required=True,
                        help="simplification tolerance in the units of the coordinates")
    parser.add_argument("--workers", type=int, default=available_cores(),
                        help="worker processes (default: the cores available, %(default)s here)")
    args = parser.parse_args(argv)
    if args.workers < 1:
        parser.error("--workers must be at least 1")
    if not args.input_dir.is_dir():
        parser.error(f"not a directory: {args.input_dir}")

    sources = sorted(args.input_dir.glob("*.geojson"))
    if not sources:
        parser.error(f"no .geojson files in {args.input_dir}")
    args.output_dir.mkdir(parents=True, exist_ok=True)

    failures = 0
    # The `if __name__ == "__main__"` guard below matters: where worker processes are started
    # fresh (spawn, forkserver), they import this file and must not run main() again.
    with ProcessPoolExecutor(max_workers=min(args.workers, len(sources))) as pool:
        futures = [pool.submit(smooth_one, str(source), str(args.output_dir / source.name),
                               args.tolerance) for source in sources]
        for done, future in enumerate(as_completed(futures), 1):
            source, polygons, error = future.result()
            if error is not None:
                failures += 1
                print(f"{parser.prog}: error: {error}", file=sys.stderr, flush=True)
            else:
                print(f"[{done}/{len(sources)}] {source}: {polygons} polygons",
                      file=sys.stderr, flush=True)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
