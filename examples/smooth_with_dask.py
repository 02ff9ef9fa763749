#!/usr/bin/env python3
"""Smooth and simplify many GeoJSON files as a Dask bag.

    python -m pip install "dask[bag]"
    python examples/smooth_with_dask.py IN_DIR OUT_DIR --tolerance 0.01 [--scheduler processes]

Every *.geojson file directly inside IN_DIR becomes one task; each task reads its file, calls
quorvel and writes the result under the same name into OUT_DIR. The tolerance is in the units
of the coordinates (degrees for longitude/latitude data), never metres. A line per file goes
to standard error; files that cannot be read or are not valid GeoJSON are reported there as
"smooth_with_dask.py: error: ..." and the exit status is 1.

The default scheduler is "processes": quorvel holds the interpreter lock for the whole call,
so Dask's "threads" scheduler would run one file at a time. "synchronous" runs everything in
this process, for debugging.

Beyond one machine: install dask.distributed, start a scheduler and workers (each with quorvel
installed, and IN_DIR and OUT_DIR on storage they all see at the same paths), and create a
client before computing; the bag below then runs on the cluster unchanged:

    from dask.distributed import Client
    client = Client("tcp://scheduler-host:8786")
    results = bag.compute()  # without scheduler=..., the client's cluster is used
"""
import argparse
import sys
from pathlib import Path

import dask.bag

from quorvel import smooth_and_simplify_polygon_fc


def smooth_one(source, target, tolerance):
    """One task: returns (source, polygons, error message or None). Failures are returned as
    text, not raised, so that one bad file does not stop the others, and because quorvel's
    PanicException (an unimportable BaseException subclass) cannot be sent between processes."""
    try:
        text = Path(source).read_bytes().decode("utf-8")
    except OSError as error:
        return source, 0, f"cannot read {source}: {error.strerror or error}"
    except UnicodeDecodeError as error:
        return source, 0, f"cannot read {source}: not UTF-8 text ({error.reason} at byte {error.start})"
    try:
        result = smooth_and_simplify_polygon_fc(text, tolerance)
    except BaseException as error:
        kind = type(error)
        if kind.__name__ != "PanicException" or kind.__module__ != "pyo3_runtime":
            raise
        return source, 0, f"{source} is not valid GeoJSON: {error}"
    try:
        Path(target).write_bytes(result.encode("utf-8"))
    except OSError as error:
        return source, 0, f"cannot write {target}: {error.strerror or error}"
    return source, result.count('"type":"Feature"}'), None


def main(argv=None):
    parser = argparse.ArgumentParser(prog="smooth_with_dask.py",
                                     description=__doc__.split("\n\n")[0])
    parser.add_argument("input_dir", type=Path, metavar="IN_DIR")
    parser.add_argument("output_dir", type=Path, metavar="OUT_DIR")
    parser.add_argument("--tolerance", type=float, required=True,
                        help="simplification tolerance in the units of the coordinates")
    parser.add_argument("--scheduler", choices=["processes", "threads", "synchronous"],
                        default="processes", help="Dask's local scheduler (default: %(default)s)")
    args = parser.parse_args(argv)
    if not args.input_dir.is_dir():
        parser.error(f"not a directory: {args.input_dir}")
    sources = sorted(args.input_dir.glob("*.geojson"))
    if not sources:
        parser.error(f"no .geojson files in {args.input_dir}")
    args.output_dir.mkdir(parents=True, exist_ok=True)

    tasks = [(str(source), str(args.output_dir / source.name)) for source in sources]
    bag = dask.bag.from_sequence(tasks, npartitions=len(tasks))  # one file per partition
    results = bag.starmap(smooth_one, tolerance=args.tolerance).compute(scheduler=args.scheduler)

    failures = 0
    for number, (source, polygons, error) in enumerate(results, 1):
        if error is not None:
            failures += 1
            print(f"{parser.prog}: error: {error}", file=sys.stderr)
        else:
            print(f"[{number}/{len(results)}] {source}: {polygons} polygons", file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
