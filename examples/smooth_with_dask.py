#!/usr/bin/env python3
"""Smooth and simplify the GeoJSON files of a directory on a Dask cluster.

    python -m pip install "dask[distributed]"
    python examples/smooth_with_dask.py IN_DIR OUT_DIR --tolerance 0.01 [--workers N]
    python examples/smooth_with_dask.py IN_DIR OUT_DIR --tolerance 0.01 --scheduler tcp://HOST:8786

Every *.geojson file directly inside IN_DIR is one task, done by the same function as in the
`quorvel` command (quorvel_cli.smooth_file): it reads the file, calls quorvel and writes the
result under the same name into OUT_DIR. Without --scheduler, the program starts a
distributed.LocalCluster on this machine: a scheduler and N worker processes (one per core by
default) talking over the loopback interface. quorvel holds the interpreter lock for the whole
call, so each worker runs one thread. A bar on standard error counts the files as they finish
when standard error is a terminal; failures get the command's one-line messages, and the exit
status is 1 when a file failed.

Beyond one machine: start a scheduler and workers, each worker with quorvel installed and with
IN_DIR and OUT_DIR on storage that every worker sees at the same paths,

    dask scheduler                                     # on the scheduler's host
    dask worker tcp://scheduler-host:8786 --nthreads 1 # on each worker host

and give the scheduler's address with --scheduler. The code is the same; only the client is
made differently:

    from distributed import Client, as_completed
    from quorvel_cli import Settings, smooth_file

    client = Client("tcp://scheduler-host:8786")  # here: Client(LocalCluster(...))
    futures = client.map(smooth_file, jobs, settings=Settings(0.01), pure=False)
    for future in as_completed(futures):
        outcome = future.result()
"""
import argparse
import sys
from contextlib import nullcontext
from pathlib import Path

from distributed import Client, LocalCluster, as_completed
from tqdm import tqdm

from quorvel_cli import Settings, available_cores, outcome_lines, smooth_file

PROG = "smooth_with_dask.py"


def smooth_on_cluster(client, jobs, settings):
    """The outcome of every job, in the order they finish, with a bar on a terminal."""
    futures = client.map(smooth_file, jobs, settings=settings, pure=False)
    with tqdm(total=len(futures), unit="file", desc=PROG, disable=not sys.stderr.isatty(),
              file=sys.stderr) as bar:
        for future in as_completed(futures):
            yield future.result()
            bar.update()


def cluster_to_use(scheduler, workers):
    """The address of a running scheduler, or a cluster of worker processes started here."""
    if scheduler:
        return nullcontext(scheduler)
    return LocalCluster(n_workers=workers, threads_per_worker=1, processes=True,
                        host="127.0.0.1", dashboard_address=None)


def main(argv=None):
    parser = argparse.ArgumentParser(prog=PROG, description=__doc__.split("\n\n")[0])
    parser.add_argument("input_dir", type=Path, metavar="IN_DIR")
    parser.add_argument("output_dir", type=Path, metavar="OUT_DIR")
    parser.add_argument("--tolerance", type=float, required=True,
                        help="simplification tolerance in the units of the coordinates")
    parser.add_argument("--drop-collapsed", action="store_true",
                        help="leave out rings of fewer than four positions, as the command does")
    parser.add_argument("--scheduler", metavar="ADDRESS",
                        help="a running scheduler, e.g. tcp://scheduler-host:8786 (default: "
                             "start a cluster on this machine)")
    parser.add_argument("--workers", type=int, default=available_cores(), metavar="N",
                        help="worker processes of the cluster started here (default: %(default)s)")
    args = parser.parse_args(argv)
    if args.workers < 1:
        parser.error("--workers must be at least 1")
    sources = sorted(args.input_dir.glob("*.geojson")) if args.input_dir.is_dir() else []
    if not sources:
        parser.error(f"no .geojson files in {args.input_dir}")
    args.output_dir.mkdir(parents=True, exist_ok=True)

    # Absolute paths: the workers' working directory is not this one.
    jobs = [(str(source.resolve()), str((args.output_dir / source.name).resolve())) for source in sources]
    settings = Settings(args.tolerance, args.drop_collapsed)
    failures = 0
    with cluster_to_use(args.scheduler, args.workers) as cluster, Client(cluster) as client:
        if not args.scheduler:
            client.wait_for_workers(args.workers)
        workers = len(client.scheduler_info()["workers"])
        print(f"{PROG}: scheduler {client.scheduler.address}, {workers} workers", file=sys.stderr, flush=True)
        for outcome in smooth_on_cluster(client, jobs, settings):
            failures += outcome.error is not None
            for line in outcome_lines(outcome, settings):
                tqdm.write(line, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
