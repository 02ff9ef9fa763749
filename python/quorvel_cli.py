"""The quorvel command: smooth and simplify every polygon of GeoJSON files.

    quorvel IN OUT --tolerance T              one file into another (OUT may be a directory)
    quorvel IN... OUT_DIR --tolerance T       several files into a directory
    quorvel IN_DIR OUT_DIR --tolerance T      every *.geojson file of a directory
    quorvel - - --tolerance T                 standard input to standard output

Each result is the exact text of quorvel.smooth_and_simplify_polygon_fc for the file's text
(a UTF-8 byte-order mark at its start is skipped). Several files run in worker processes, one
per core by default: the function holds the interpreter lock for the whole call, so threads
would not run two files at once. A file that fails gets one line on standard error and writes
nothing; the other files are still done. Exit status: 0, 1 when a file failed, 2 for a usage
error.
"""
from __future__ import annotations

import argparse
import math
import os
import re
import sys
import threading
from concurrent.futures import ProcessPoolExecutor, as_completed
from contextlib import contextmanager
from importlib.metadata import version
from pathlib import Path
from typing import Callable, Iterator, List, NamedTuple, Optional, Tuple

from tqdm import tqdm

from quorvel import smooth_and_simplify_polygon_fc

PROG = "quorvel"
STDIO = "-"
UNWRAP = "called `Result::unwrap()` on an `Err` value: "
EMPTY_RESULT = '{"features":[],"type":"FeatureCollection"}'
MESSAGE_START = 100  # characters of a failure's message shown without --verbose
BIG_FILE = 16 * 2**20  # one input of at least this many bytes shows its phases on a terminal
PHASES = ("reading", "smoothing", "writing")

Job = Tuple[str, str]  # (input, output); "-" is standard input or output


class Settings(NamedTuple):
    tolerance: float
    drop_collapsed: bool = False
    verbose: bool = False


class Outcome(NamedTuple):
    """What became of one job; crosses from a worker process as it is."""

    source: str
    target: str
    size_in: int = 0
    size_out: int = 0
    polygons: int = 0
    dropped: Tuple[int, int] = (0, 0)  # collapsed polygons and holes left out
    error: Optional[Tuple[str, str]] = None  # (file named, what went wrong)


class FileFailure(Exception):
    def __init__(self, path: str, reason: str) -> None:
        super().__init__(path, reason)
        self.path, self.reason = path, reason


# ---- one file ----------------------------------------------------------------------------


def display_name(path: str) -> str:
    return {STDIO: "<stdin>"}.get(path, path)


def read_text(source: str) -> Tuple[str, int]:
    """The text of a file or of standard input, without a leading byte-order mark, and its size
    in bytes."""
    try:
        data = sys.stdin.buffer.read() if source == STDIO else Path(source).read_bytes()
        return data.decode("utf-8-sig"), len(data)
    except OSError as error:
        raise FileFailure(display_name(source), f"cannot read: {error.strerror or error}") from None
    except UnicodeDecodeError as error:
        reason = f"not UTF-8 text ({error.reason} at byte {error.start})"
        raise FileFailure(display_name(source), reason) from None


def write_text(target: str, text: str) -> None:
    try:
        if target == STDIO:
            sys.stdout.buffer.write(text.encode("utf-8"))
            sys.stdout.buffer.flush()
        else:
            Path(target).write_bytes(text.encode("utf-8"))
    except OSError as error:
        name = "<stdout>" if target == STDIO else target
        raise FileFailure(name, f"cannot write: {error.strerror or error}") from None


def is_panic(error: BaseException) -> bool:
    """quorvel's PanicException: its type cannot be imported, and it derives from
    BaseException, so `except Exception` misses it. Recognised by name and module."""
    kind = type(error)
    return kind.__name__ == "PanicException" and kind.__module__ == "pyo3_runtime"


# One call at a time per process moves file descriptor 2: a thread that saved it while another
# had it redirected would restore the wrong file. The call holds the interpreter lock anyway.
_descriptor_2 = threading.Lock()


@contextmanager
def descriptor_2_silenced() -> Iterator[None]:
    """Before it raises PanicException, quorvel writes a fault report repeating the whole
    message to file descriptor 2 (megabytes for a large bad file). The command shows its own
    line instead."""
    with _descriptor_2:
        sys.stderr.flush()
        saved = os.dup(2)
        try:
            with open(os.devnull, "wb") as sink:
                os.dup2(sink.fileno(), 2)
            yield
        finally:
            sys.stderr.flush()
            os.dup2(saved, 2)
            os.close(saved)


def smooth_text(text: str, tolerance: float, source: str) -> str:
    with descriptor_2_silenced():
        try:
            return smooth_and_simplify_polygon_fc(text, tolerance)
        except BaseException as error:
            if not is_panic(error):
                raise  # MemoryError, KeyboardInterrupt, ...
            message = str(error)
    if message.startswith(UNWRAP):
        message = message[len(UNWRAP):]
    raise FileFailure(display_name(source), f"not valid GeoJSON: {message}")


# The result's layout is fixed: compact, members in name order, every geometry a Polygon.
# Positions hold numbers or null, never brackets or quotes.
FEATURE = re.compile(
    r'\{"geometry":\{"coordinates":\[([^"]*)\],"type":"Polygon"\},"properties":\{\},"type":"Feature"\}')
RING = re.compile(r"\[(?:\[[^\[\]]*\](?:,\[[^\[\]]*\])*)?\]")
FEATURE_TEXT = '{{"geometry":{{"coordinates":[{}],"type":"Polygon"}},"properties":{{}},"type":"Feature"}}'
HEAD, TAIL = '{"features":[', '],"type":"FeatureCollection"}'


def positions(ring: str) -> int:
    return ring.count("[") - 1


def drop_collapsed_rings(result: str) -> Tuple[str, Tuple[int, int]]:
    """Leaves out the rings of fewer than four positions, which RFC 7946 (and so shapely and
    geopandas) refuse: a collapsed hole is left out of its polygon, a polygon whose exterior
    collapsed is left out whole. Works on the text, so every number keeps its exact spelling.
    Returns the text and the numbers of polygons and holes left out."""
    features: List[str] = []
    covered, polygons, holes = len(HEAD) + len(TAIL), 0, 0
    for number, feature in enumerate(FEATURE.finditer(result)):
        covered += len(feature.group(0)) + (number > 0)  # and the comma before it
        exterior, *interiors = RING.findall(feature.group(1))
        kept = [ring for ring in interiors if positions(ring) >= 4]
        if positions(exterior) < 4:
            polygons += 1
        elif len(kept) == len(interiors):
            features.append(feature.group(0))
        else:
            holes += len(interiors) - len(kept)
            features.append(FEATURE_TEXT.format(",".join([exterior, *kept])))
    if covered != len(result):
        raise RuntimeError("quorvel's result does not have the layout this command knows")
    return HEAD + ",".join(features) + TAIL, (polygons, holes)


def smooth_file(job: Job, settings: Settings,
                show_phase: Callable[[str], None] = lambda phase: None) -> Outcome:
    """Does one job; every failure that belongs to the file comes back in the Outcome, as
    text (a PanicException cannot be pickled across processes)."""
    source, target = job
    try:
        show_phase("reading")
        text, size_in = read_text(source)
        show_phase("smoothing")
        result = smooth_text(text, settings.tolerance, source)
        del text
        polygons = result.count('"type":"Feature"}')
        dropped = (0, 0)
        if settings.drop_collapsed:
            result, dropped = drop_collapsed_rings(result)
        show_phase("writing")
        write_text(target, result)
        return Outcome(source, target, size_in, len(result), polygons, dropped)
    except FileFailure as failure:
        reason = failure.reason
        if not settings.verbose and len(reason) > MESSAGE_START:
            reason = reason[:MESSAGE_START] + "... (--verbose shows the whole message)"
        return Outcome(source, target, error=(failure.path, reason))
    except MemoryError as error:
        return Outcome(source, target, error=(display_name(source), f"out of memory: {error}"))


# ---- the command -------------------------------------------------------------------------


def available_cores() -> int:
    try:
        return len(os.sched_getaffinity(0))
    except AttributeError:  # not on Linux
        return os.cpu_count() or 1


def make_parser() -> argparse.ArgumentParser:
    parser = argparse.ArgumentParser(
        prog=PROG, description=__doc__.split("\n\n")[0],
        usage="%(prog)s [options] --tolerance T IN... OUT",
        epilog="The tolerance is in the units of the coordinates (degrees for longitude/"
               "latitude data, 0.01 degrees is about 1 km), never metres.")
    parser.add_argument("inputs", nargs="+", metavar="IN",
                        help="GeoJSON file, directory of *.geojson files, or - for standard input")
    parser.add_argument("output", metavar="OUT",
                        help="output file, directory (created if missing), or - for standard output")
    parser.add_argument("--tolerance", type=float, required=True, metavar="T",
                        help="simplification tolerance in the units of the coordinates")
    parser.add_argument("--drop-collapsed", action="store_true",
                        help="leave out rings of fewer than four positions (a collapsed hole; "
                             "a polygon whose exterior collapsed), so that GIS tools load the "
                             "result; then output features no longer match input polygons one "
                             "to one")
    parser.add_argument("--workers", type=int, default=available_cores(), metavar="N",
                        help="worker processes for several files (default: the cores "
                             "available, %(default)s here)")
    parser.add_argument("--verbose", action="store_true",
                        help="a line per file done, and failures with their whole message")
    parser.add_argument("--version", action="version", version=f"%(prog)s {version('quorvel')}")
    return parser


def expand_directories(parser: argparse.ArgumentParser, inputs: List[str]) -> List[str]:
    """Files as given; a directory stands for the *.geojson files directly inside it."""
    sources: List[str] = []
    for name in inputs:
        if name != STDIO and Path(name).is_dir():
            found = sorted(str(path) for path in Path(name).glob("*.geojson"))
            if not found:
                parser.error(f"no .geojson files in {name}")
            sources += found
        else:
            sources.append(name)
    return sources


def plan_jobs(parser: argparse.ArgumentParser, inputs: List[str], output: str) -> List[Job]:
    """Pairs every input file with its output; a usage error ends the command here."""
    sources = expand_directories(parser, inputs)
    one_file = len(inputs) == 1 and len(sources) == 1 and sources[0] == inputs[0]
    if one_file and (output == STDIO or not Path(output).is_dir()):
        return [(sources[0], output)]
    if STDIO in sources:
        parser.error("standard input (-) goes to one output file or to standard output (-)")
    if output == STDIO:
        parser.error("several inputs, or a directory, need an output directory, not -")
    if Path(output).exists() and not Path(output).is_dir():
        parser.error(f"with several inputs, OUT must be a directory: {output}")
    names = [Path(source).name for source in sources]
    repeated = sorted({name for name in names if names.count(name) > 1})
    if repeated:
        parser.error(f"inputs share a file name, so their results would collide: {', '.join(repeated)}")
    return [(source, str(Path(output) / name)) for source, name in zip(sources, names)]


def tolerance_warning(tolerance: float) -> Optional[str]:
    if math.isnan(tolerance) or tolerance == math.inf:
        return f"tolerance {tolerance} collapses every ring to two positions"
    if tolerance < 0:
        return f"tolerance {tolerance} is negative: every smoothed point is kept, as with 0"
    return None


def outcome_lines(outcome: Outcome, settings: Settings) -> List[str]:
    """The lines on standard error for one job."""
    if outcome.error is not None:
        path, reason = outcome.error
        return [f"{PROG}: error: {path}: {reason}"]
    lines = []
    if outcome.polygons == 0:
        lines.append(f"{PROG}: warning: {display_name(outcome.source)}: no Polygon or MultiPolygon "
                     "in a FeatureCollection; the result is an empty FeatureCollection")
    if settings.verbose:
        target = "<stdout>" if outcome.target == STDIO else outcome.target
        line = (f"{display_name(outcome.source)} -> {target}: {outcome.polygons} polygons, "
                f"{outcome.size_in:,} -> {outcome.size_out:,} bytes")
        if settings.drop_collapsed:
            line += ", collapsed: {} polygons and {} holes left out".format(*outcome.dropped)
        lines.append(line)
    return lines


def on_terminal() -> bool:
    return sys.stderr.isatty()


def smooth_one(job: Job, settings: Settings) -> Iterator[Outcome]:
    """One job in this process; a big file shows its phases on a terminal."""
    source = job[0]
    big = source != STDIO and os.path.isfile(source) and os.path.getsize(source) >= BIG_FILE
    with tqdm(total=len(PHASES), disable=not (big and on_terminal()), leave=False, file=sys.stderr,
              desc=f"{PROG}: {PHASES[0]} {source}", bar_format="{desc} |{bar}| {elapsed}") as bar:

        def show_phase(phase: str) -> None:
            bar.n = PHASES.index(phase)
            bar.set_description_str(f"{PROG}: {phase} {source}")

        yield smooth_file(job, settings, show_phase)


def smooth_many(jobs: List[Job], settings: Settings, workers: int) -> Iterator[Outcome]:
    """Outcomes as the files finish, from worker processes unless there is only one worker;
    a bar counts the files on a terminal."""
    pool = ProcessPoolExecutor(min(workers, len(jobs))) if workers > 1 else None
    futures = [pool.submit(smooth_file, job, settings) for job in jobs] if pool else []
    finished = ((future.result() for future in as_completed(futures)) if pool
                else (smooth_file(job, settings) for job in jobs))
    # The bar's monitor thread starts only now that the workers exist.
    try:
        with tqdm(total=len(jobs), unit="file", desc=PROG, disable=not on_terminal(),
                  file=sys.stderr) as bar:
            for outcome in finished:
                yield outcome
                bar.update()
    finally:
        if pool:
            for future in futures:
                future.cancel()
            pool.shutdown()


def main(argv: Optional[List[str]] = None) -> int:
    parser = make_parser()
    args = parser.parse_args(argv)
    if args.workers < 1:
        parser.error("--workers must be at least 1")
    jobs = plan_jobs(parser, args.inputs, args.output)
    if jobs[0][1] != args.output:  # into a directory
        try:
            Path(args.output).mkdir(parents=True, exist_ok=True)
        except OSError as error:
            parser.error(f"cannot make the directory {args.output}: {error.strerror}")
    settings = Settings(args.tolerance, args.drop_collapsed, args.verbose)

    warning = tolerance_warning(args.tolerance)
    if warning:
        print(f"{PROG}: warning: {warning}", file=sys.stderr, flush=True)
    outcomes = smooth_one(jobs[0], settings) if len(jobs) == 1 else smooth_many(jobs, settings, args.workers)
    failures = 0
    for outcome in outcomes:
        failures += outcome.error is not None
        for line in outcome_lines(outcome, settings):
            tqdm.write(line, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
