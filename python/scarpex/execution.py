"""Many runs at once: on the package's own pool of threads (each run a child process on this
machine), on any `concurrent.futures.Executor`, or on a Dask cluster through its `Client`.

The results come back in the order of the inputs however the runs finish. A run that fails,
times out or loses its worker comes back as a failed result with its reason; none is dropped.
An interrupt (Ctrl-C) cancels the runs not yet started and ends the children of the runs on
this machine before it goes on.
"""

from __future__ import annotations

import concurrent.futures as cf
import os
import sys
import uuid
from typing import Any, Optional, Sequence

from .child_process import stop_batch
from .host_run import run_task
from .results import CRASHED, FAILED, Results

# The arguments of `run_task` before the batch token: text, name, host, workdir, timeout,
# refine.
RunCall = tuple


def run_calls(calls: Sequence[RunCall], *, executor: Any = None, jobs: Optional[int] = None,
              progress: Optional[bool] = None) -> list[Results]:
    """Runs `run_task(*call)` for every call and returns the results in the order given.
    Without an executor, `jobs` threads (default: one per core) run them here."""
    batch = uuid.uuid4().hex
    own_pool = executor is None
    pool = cf.ThreadPoolExecutor(max_workers=worker_count(jobs)) if own_pool \
        else as_executor(executor)
    futures: list[cf.Future] = []
    try:
        futures = [pool.submit(run_task, *call, batch=batch) for call in calls]
        return _gather(futures, progress)
    except BaseException:
        for future in futures:
            future.cancel()
        stop_batch(batch)
        raise
    finally:
        if own_pool:
            pool.shutdown(wait=True, cancel_futures=True)


def worker_count(jobs: Optional[int]) -> int:
    return max(1, jobs or os.cpu_count() or 1)


def as_executor(executor: Any) -> cf.Executor:
    """The executor itself, or for a Dask Client its concurrent.futures executor. Every run
    is a task of its own (pure=False): two equal inputs still make two runs."""
    if isinstance(executor, cf.Executor):
        return executor
    get_executor = getattr(executor, "get_executor", None)
    if callable(get_executor):
        return get_executor(pure=False)
    raise TypeError("executor: a concurrent.futures.Executor or a dask.distributed.Client "
                    f"is needed, not {type(executor).__name__}")


def _gather(futures: list[cf.Future], progress: Optional[bool]) -> list[Results]:
    results: list[Optional[Results]] = [None] * len(futures)
    position = {future: i for i, future in enumerate(futures)}
    bar = progress_bar(len(futures), progress)
    try:
        for future in cf.as_completed(futures):
            results[position[future]] = _result_of(future)
            if bar is not None:
                bar.update()
    finally:
        if bar is not None:
            bar.close()
    return results  # every entry filled: as_completed yields every future once


def _result_of(future: cf.Future) -> Results:
    try:
        return future.result()
    except cf.CancelledError:
        return Results.failed("the run was cancelled")
    except Exception as error:  # the task could not run, or its worker was lost
        if _worker_lost(error):
            return Results.failed(f"its worker was lost ({type(error).__name__}: {error})",
                                  CRASHED)
        return Results.failed(f"{type(error).__name__}: {error}", FAILED)


def _worker_lost(error: Exception) -> bool:
    # Dask gives up on a task whose workers died under it too often (KilledWorker); a
    # process pool whose worker died is broken for all its tasks.
    return isinstance(error, cf.BrokenExecutor) or type(error).__name__ == "KilledWorker"


def progress_bar(total: int, progress: Optional[bool]):
    """A tqdm bar of runs done of `total` on standard error: when asked for, or by default
    when standard error is a terminal. None when not shown."""
    show = _is_terminal(sys.stderr) if progress is None else progress
    if not show:
        return None
    try:
        from tqdm import tqdm
    except ImportError:
        if progress:
            raise ImportError("progress=True needs tqdm (Debian: python3-tqdm)") from None
        return None
    return tqdm(total=total, unit="run", file=sys.stderr)


def _is_terminal(stream) -> bool:
    try:
        return stream.isatty()
    except (AttributeError, ValueError):
        return False
