"""How much a Dask cluster adds to each run: the same circular searches through run_many on
the package's thread pool and on a local Dask cluster of worker processes, side by side.

    python3 bench/python_executors.py [SEARCHES] [WORKERS]

Needs the host built (make build) and Debian's python3-distributed. The cluster's start is
timed apart from the runs; the overhead per run is the difference of the two wall times
divided by the number of searches.
"""

import logging
import sys
import time
from pathlib import Path

REPOSITORY = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(REPOSITORY / "python"))

from scarpex import Circle2Search, Problem, run_many  # noqa: E402

SEARCHES = int(sys.argv[1]) if len(sys.argv) > 1 else 200
WORKERS = int(sys.argv[2]) if len(sys.argv) > 2 else 2


def searches(count: int) -> list[Problem]:
    """The layered slope searched on a 10 x 10 grid of circles, its upper cohesion varied."""
    base = Problem.from_input((REPOSITORY / "examples" / "layered_slope.dat").read_text())
    base.commands[-2:] = [Circle2Search(10, 10, 5.0, 15.0, 40.0, 60.0, 0.0, 2.0)]
    problems = []
    for i in range(count):
        problem = base.copy()
        problem.soils.soils[0].cohesion = 2.0 + 8.0 * i / count
        problems.append(problem)
    return problems


def timed(label: str, action) -> tuple[float, list]:
    start = time.perf_counter()
    results = action()
    seconds = time.perf_counter() - start
    print(f"{label:<34} {seconds:7.2f} s  {1000 * seconds / SEARCHES:7.1f} ms a run")
    return seconds, results


def main() -> None:
    from distributed import Client, LocalCluster

    problems = searches(SEARCHES)
    pool, here = timed(f"thread pool, {WORKERS} jobs", lambda: run_many(
        problems, jobs=WORKERS, progress=False))
    start = time.perf_counter()
    with LocalCluster(n_workers=WORKERS, threads_per_worker=1, processes=True,
                      dashboard_address=None, silence_logs=logging.ERROR) as cluster, \
            Client(cluster) as client:
        print(f"{'cluster start':<34} {time.perf_counter() - start:7.2f} s")
        dask, there = timed(f"Dask, {WORKERS} worker processes", lambda: run_many(
            problems, executor=client, progress=False))
    assert [r.factor_of_safety for r in here] == [r.factor_of_safety for r in there]
    print(f"{'overhead of Dask per run':<34} {1000 * (dask - pool) / SEARCHES:7.1f} ms")


if __name__ == "__main__":
    main()
