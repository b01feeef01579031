"""Running the engine through the `scarpex` host, one input per child process.

The engine keeps one run's state and its random sequence for the life of the loaded library,
so every run here gets a process of its own: a fresh, reproducible run. The host writes the
results as JSON, which `Results` gives types.
"""

from __future__ import annotations

import os
import tempfile
import warnings
from collections import Counter
from pathlib import Path
from typing import Any, Optional, Sequence, Union

from .execution import RunCall, run_calls
from .host import (  # noqa: F401  (their names stay importable from here)
    HOST_ENVIRONMENT_VARIABLE,
    HostError,
    find_host,
    host_capabilities,
    json_host,
)
from .host_run import run_in_folder
from .problem import Problem
from .results import Results
from .run_folder import candidates, claimed_folder

ProblemLike = Union[Problem, str]

# The default time one run may take, in seconds.
DEFAULT_TIMEOUT = 600


def input_text(problem: ProblemLike, validate: bool = True) -> str:
    """The input data file of a problem (validated first), or the text given as it is."""
    if isinstance(problem, Problem):
        if validate:
            problem.validate()
        return problem.to_input()
    if isinstance(problem, str):
        return problem
    raise TypeError(f"a Problem or the text of an input file is needed, got {type(problem)}")


def run(
    problem: ProblemLike,
    workdir: Union[str, os.PathLike, None] = None,
    *,
    host: Union[str, os.PathLike, None] = None,
    name: str = "problem",
    pictures: bool = False,
    validate: bool = True,
    timeout: Optional[float] = DEFAULT_TIMEOUT,
    refine: bool = False,
) -> Results:
    """Runs one problem and returns its results.

    The problem is validated and written (as UTF-8) as `<name>.dat` in `workdir` (a
    temporary folder, removed afterwards, when none is given), where the engine's output
    files stay. While another run holds `workdir`, this one runs in `workdir/<name>-2` (or
    -3, ...) instead, so that runs from many threads or processes never share their files.
    A run that the engine aborts returns Results whose outcome and error codes say so;
    HostError means that no run could be made at all, or that it ran longer than `timeout`
    seconds. With `pictures`, the host's own SVG picture and HTML report come back in
    `host_svg` and `host_html`. With `refine`, the host moves the last search's most critical
    surfaces until the factor of safety stops falling: `Results.refined`.
    """
    text = input_text(problem, validate)
    path = json_host(host)
    if workdir is None:
        with tempfile.TemporaryDirectory(prefix="scarpex-") as temporary:
            return run_in_folder(text, Path(temporary).resolve(), path, name,
                                 timeout=timeout, pictures=pictures, refine=refine)
    base = Path(workdir)
    with claimed_folder(candidates(base, base, name)) as (folder, lock):
        return run_in_folder(text, folder, path, name, timeout=timeout, pictures=pictures,
                             lock=lock, refine=refine)


def run_many(
    problems: Sequence[ProblemLike],
    workdir: Union[str, os.PathLike, None] = None,
    *,
    jobs: Optional[int] = None,
    host: Union[str, os.PathLike, None] = None,
    validate: bool = True,
    timeout: Optional[float] = DEFAULT_TIMEOUT,
    executor: Any = None,
    progress: Optional[bool] = None,
    refine: bool = False,
) -> list[Results]:
    """Runs many problems, each in a process of its own, and returns their results in the
    order given, one Results per problem.

    Without an `executor`, `jobs` runs at a time (default: one per core) on this machine.
    Any `concurrent.futures.Executor` or a `dask.distributed.Client` may run them instead;
    there each run finds the host of its worker ($SCARPEX_HOST, else the PATH) unless `host`
    names one. `timeout` is per run. A run that gave no results is a Results of outcome
    "failed", "crashed" or "timed out" with its `reason`, and a warning counts them.
    Every run has a folder of its own, `workdir/runs/run0001`, ... (a temporary one on its
    worker when no workdir is given; with a cluster, a workdir must be a folder every worker
    shares). `progress` shows a bar of runs done (default: when standard error is a
    terminal). Ctrl-C stops the batch and leaves no run of this machine running. With
    `refine`, every run refines the critical surface of its last search (`Results.refined`).
    """
    texts = [input_text(p, validate) for p in problems]
    results = run_texts(texts, run_names(len(texts)), workdir, jobs=jobs, host=host,
                        timeout=timeout, executor=executor, progress=progress, refine=refine)
    warn_of_runs_without_results(results, "runs")
    return results


def run_texts(texts: Sequence[str], names: Sequence[str],
              workdir: Union[str, os.PathLike, None], *, jobs: Optional[int] = None,
              host: Union[str, os.PathLike, None] = None,
              timeout: Optional[float] = DEFAULT_TIMEOUT, executor: Any = None,
              progress: Optional[bool] = None, refine: bool = False) -> list[Results]:
    """Runs the input texts as run_many does, each named as given (its run folder)."""
    if executor is None:
        host = json_host(host)  # here, before any run: missing, it is one clear error
    runs = None if workdir is None else Path(workdir).resolve() / "runs"
    host_name = None if host is None else os.fspath(host)
    calls: list[RunCall] = [(text, name, host_name, runs, timeout, refine)
                            for text, name in zip(texts, names)]
    return run_calls(calls, executor=executor, jobs=jobs, progress=progress)


def run_names(count: int) -> list[str]:
    width = max(4, len(str(count)))
    return [f"run{i:0{width}d}" for i in range(1, count + 1)]


def warn_of_runs_without_results(results: Sequence[Results], what: str) -> None:
    lost = [(i, r) for i, r in enumerate(results, start=1) if r.no_results]
    if not lost:
        return
    kinds = ", ".join(f"{count} {outcome}" for outcome, count in
                      Counter(r.outcome for _, r in lost).items())
    first, results_of_first = lost[0]
    warnings.warn(f"{len(lost)} of {len(results)} {what} gave no results ({kinds}); "
                  f"the first, number {first}: {results_of_first.reason}",
                  RuntimeWarning, stacklevel=3)
