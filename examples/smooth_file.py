#!/usr/bin/env python3
"""Smooth and simplify every polygon of GeoJSON files with quorvel.

    python examples/smooth_file.py IN.geojson OUT.geojson --tolerance 0.01
    python examples/smooth_file.py A.geojson B.geojson ... OUT_DIR --tolerance 0.01

With one input, OUTPUT is the file to write (or an existing directory to write into). With
several inputs, OUTPUT is a directory (created if missing) and each result keeps its input's
file name. The tolerance is in the units of the coordinates: degrees for longitude/latitude
data (0.01 degrees is about 1 km), metres only for data in metres. It has no default because
no value suits both.

Each result is the exact text that quorvel returns. A line per file goes to standard error,
numbered when there are several files. A file that cannot be read, or that is not valid
GeoJSON, is reported on standard error as "smooth_file.py: error: ..." and writes nothing; the
other files are still done, and the exit status is 1. Usage errors exit with status 2.
"""
import argparse
import sys
from pathlib import Path

from quorvel import smooth_and_simplify_polygon_fc


def is_panic(error):
    """quorvel reports unreadable GeoJSON with pyo3_runtime.PanicException. That type cannot be
    imported and derives from BaseException (so `except Exception` misses it): recognise it by
    its name."""
    kind = type(error)
    return kind.__name__ == "PanicException" and kind.__module__ == "pyo3_runtime"


class FileError(Exception):
    """A file that cannot be read, is not GeoJSON, or cannot be written."""


def read_text(path):
    """The file's exact text: no newline translation, no byte order mark removed."""
    try:
        return path.read_bytes().decode("utf-8")
    except OSError as error:
        raise FileError(f"cannot read {path}: {error.strerror or error}") from None
    except UnicodeDecodeError as error:
        raise FileError(
            f"cannot read {path}: not UTF-8 text ({error.reason} at byte {error.start})"
        ) from None


def smooth_text(text, tolerance, path):
    try:
        return smooth_and_simplify_polygon_fc(text, tolerance)
    except BaseException as error:
        if is_panic(error):
            raise FileError(f"{path} is not valid GeoJSON: {error}") from None
        raise  # MemoryError, KeyboardInterrupt, ...: not this file's fault


def smooth_file(source, target, tolerance):
    """Smooths `source` into `target`; returns (polygons, input bytes, output bytes)."""
    text = read_text(source)
    result = smooth_text(text, tolerance, source)
    try:
        target.write_bytes(result.encode("utf-8"))
    except OSError as error:
        raise FileError(f"cannot write {target}: {error.strerror or error}") from None
    # The result is compact with members in name order: every Feature ends exactly so.
    polygons = result.count('"type":"Feature"}')
    return polygons, len(text.encode("utf-8")), len(result)


def targets_for(parser, inputs, output):
    if len(inputs) == 1 and not output.is_dir():
        return [output]
    names = [path.name for path in inputs]
    repeated = sorted({name for name in names if names.count(name) > 1})
    if repeated:
        parser.error(f"inputs share a file name, so their results would collide: {', '.join(repeated)}")
    if output.exists() and not output.is_dir():
        parser.error(f"with several inputs, OUTPUT must be a directory: {output}")
    output.mkdir(parents=True, exist_ok=True)
    return [output / name for name in names]


def main(argv=None):
    parser = argparse.ArgumentParser(
        prog="smooth_file.py",
        description=__doc__.split("\n\n")[0],
        epilog="The tolerance is in coordinate units (degrees for lon/lat), never metres.",
    )
    parser.add_argument("inputs", nargs="+", type=Path, metavar="INPUT", help="GeoJSON file(s)")
    parser.add_argument("output", type=Path, metavar="OUTPUT", help="output file or directory")
    parser.add_argument("--tolerance", type=float, required=True,
                        help="simplification tolerance in the units of the coordinates")
    args = parser.parse_args(argv)

    targets = targets_for(parser, args.inputs, args.output)
    failures = 0
    for number, (source, target) in enumerate(zip(args.inputs, targets), 1):
        counter = f"[{number}/{len(targets)}] " if len(targets) > 1 else ""
        try:
            polygons, size_in, size_out = smooth_file(source, target, args.tolerance)
        except FileError as error:
            failures += 1
            print(f"{parser.prog}: error: {error}", file=sys.stderr, flush=True)
            continue
        print(f"{counter}{source} -> {target}: {polygons} polygons, "
              f"{size_in:,} -> {size_out:,} bytes", file=sys.stderr, flush=True)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
