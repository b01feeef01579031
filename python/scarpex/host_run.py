"""One run of the host: the input written into a folder the run holds alone, the host run
there as a child, its JSON read back and checked to be this run's own.

`run_task` is the form a batch hands to any executor, on this machine or on a worker of a
cluster: it finds the host where it runs and never raises for a run that went wrong, so
that one bad run cannot cost the others their results.
"""

from __future__ import annotations

import os
import signal
import socket
import sys
import tempfile
from pathlib import Path
from typing import Optional, Union

from .child_process import BatchStopped, ChildExit, run_child
from .command import INPUT_ENCODING
from .host import HostCrashed, HostError, HostTimedOut, json_host
from .results import Results, ResultsFormatError
from .run_folder import candidates, claimed_folder


def run_in_folder(text: str, folder: Path, host: Path, name: str, *,
                  timeout: Optional[float], pictures: bool = False,
                  batch: Optional[str] = None, lock: Optional[int] = None,
                  refine: bool = False) -> Results:
    """Runs the input `text` as `<name>.dat` in `folder` (already held by this run through
    the descriptor `lock`, which the host inherits) and returns its results; raises
    HostError when the run gave none. With `refine`, the host refines the critical surface
    of the last search (--refine)."""
    input_path = folder / f"{name}.dat"
    json_path = folder / f"{name}.json"
    written = text.encode(INPUT_ENCODING)
    input_path.write_bytes(written)
    _remove(json_path)
    command = [os.fspath(host), os.fspath(input_path), "--json", os.fspath(json_path)]
    if refine:
        command.append("--refine")
    if pictures:
        command += ["--svg", os.fspath(folder / f"{name}.svg"),
                    "--html", os.fspath(folder / f"{name}.html")]
    done = run_child(command, folder, timeout, batch, () if lock is None else (lock,))
    if done.timed_out:
        raise HostTimedOut(f"the run of {input_path} took longer than {timeout:g} s")
    results = _read_results(json_path, done)
    _check_own(results, input_path, written)
    if pictures:
        results.host_svg = _read_optional(folder / f"{name}.svg")
        results.host_html = _read_optional(folder / f"{name}.html")
    return results


def _read_results(json_path: Path, done: ChildExit) -> Results:
    if not json_path.is_file():
        if done.returncode < 0:
            raise HostCrashed(f"the host died of {_signal_name(-done.returncode)}")
        said = (done.stderr or done.stdout).strip().splitlines()
        raise HostError(
            f"the host gave no results (exit status {done.returncode})"
            + (f": {said[-1]}" if said else "")
        )
    try:
        return Results.from_json(json_path.read_text(encoding="utf-8", errors="replace"))
    except ResultsFormatError as error:
        raise HostError(f"{json_path}: {error}") from None


def _check_own(results: Results, input_path: Path, written: bytes) -> None:
    """Results that name another input, or an input that changed under the run, came from
    another run: a clash is an error, never a wrong answer."""
    named = results.files.input
    if not named or os.path.realpath(named) != os.path.realpath(input_path):
        raise HostError(f"the results are those of another run: they name the input "
                        f"{named or '(none)'}, not {input_path}")
    if input_path.read_bytes() != written:
        raise HostError(f"{input_path} was changed by another run while this one ran")


def _signal_name(number: int) -> str:
    try:
        return signal.Signals(number).name
    except ValueError:
        return f"signal {number}"


def _read_optional(path: Path) -> Optional[str]:
    return path.read_text() if path.is_file() else None


def _remove(path: Path) -> None:
    try:
        path.unlink()
    except FileNotFoundError:
        pass


def run_task(text: str, name: str, host: Union[str, os.PathLike, None],
             workdir: Union[str, os.PathLike, None], timeout: Optional[float],
             refine: bool = False, batch: Optional[str] = None) -> Results:
    """One run of a batch, wherever an executor runs it: in `workdir/<name>` (a folder of
    its own beside it when that one is taken) or, without a workdir, in a temporary folder
    removed afterwards. The host is the one given, else the one found on this worker. A run
    that gave no results comes back as a failed Results with the reason."""
    try:
        path = json_host(host)
    except HostError as error:
        return Results.failed(f"{error} (on worker {worker_name()})")
    try:
        if workdir is None:
            with tempfile.TemporaryDirectory(prefix="scarpex-") as temporary:
                return run_in_folder(text, Path(temporary).resolve(), path, name,
                                     timeout=timeout, batch=batch, refine=refine)
        base = Path(workdir)
        with claimed_folder(candidates(base / name, base, name)) as (folder, lock):
            return run_in_folder(text, folder, path, name, timeout=timeout, batch=batch,
                                 lock=lock, refine=refine)
    except HostError as error:
        return Results.failed(str(error), error.outcome)
    except BatchStopped:
        return Results.failed("the batch was stopped before this run started")
    except Exception as error:  # a folder that cannot be written, say: this run's alone
        return Results.failed(f"{type(error).__name__}: {error}")


def worker_name() -> str:
    """This machine, and the Dask worker's address when a Dask worker runs the task."""
    machine = f"{socket.gethostname()}, process {os.getpid()}"
    distributed = sys.modules.get("distributed")
    if distributed is not None:
        try:
            return f"{distributed.get_worker().address} on {machine}"
        except ValueError:  # not inside a Dask worker
            pass
    return machine
