"""Finding the `scarpex` host and what it offers, and the errors of a run that gave no
results."""

from __future__ import annotations

import os
import shutil
import subprocess
from pathlib import Path
from typing import Union

from .results import CRASHED, FAILED, TIMED_OUT

HOST_ENVIRONMENT_VARIABLE = "SCARPEX_HOST"
_REPOSITORY = Path(__file__).resolve().parents[2]
# A host that takes longer than this to print its help is taken to offer nothing.
_HELP_TIMEOUT = 30


class HostError(RuntimeError):
    """No run could be made: the host is missing, failed, or gave no results. `outcome` is
    the outcome of the failed result that stands for such a run in a batch."""

    outcome = FAILED


class HostTimedOut(HostError):
    """The run took longer than its timeout; it was ended, with everything it started."""

    outcome = TIMED_OUT


class HostCrashed(HostError):
    """The host died of a signal before it wrote its results."""

    outcome = CRASHED


def find_host(host: Union[str, os.PathLike, None] = None) -> Path:
    """The `scarpex` host: the one given, else $SCARPEX_HOST, else build/scarpex of the
    repository this package lives in, else `scarpex` on the PATH."""
    named = host if host is not None else os.environ.get(HOST_ENVIRONMENT_VARIABLE) or None
    if named is not None:
        if os.path.isfile(named) and os.access(named, os.X_OK):
            return Path(named).resolve()
        raise HostError(f"no scarpex host at {os.fspath(named)}")
    for candidate in (os.fspath(_REPOSITORY / "build" / "scarpex"), shutil.which("scarpex")):
        if candidate and os.path.isfile(candidate) and os.access(candidate, os.X_OK):
            return Path(candidate).resolve()
    raise HostError(
        f"no scarpex host found: build it (make build) or set {HOST_ENVIRONMENT_VARIABLE}"
    )


def host_capabilities(host: Union[str, os.PathLike, None] = None) -> set[str]:
    """What the host offers: "json" (results as JSON) and "batch" (many runs)."""
    path = find_host(host)
    return set(_capabilities(os.fspath(path), path.stat().st_mtime))


def json_host(host: Union[str, os.PathLike, None] = None) -> Path:
    """The host, found as `find_host` does, that can write its results as JSON."""
    path = find_host(host)
    if "json" not in host_capabilities(path):
        raise HostError(f"the scarpex host at {path} cannot write JSON results (--json)")
    return path


_CAPABILITIES: dict[tuple[str, float], tuple[str, ...]] = {}


def _capabilities(path: str, mtime: float) -> tuple[str, ...]:
    key = (path, mtime)
    if key not in _CAPABILITIES:
        found = []
        top = _help_text([path, "--help"])
        if "--json" in top:
            found.append("json")
        if "batch" in top and "--jsonl" in _help_text([path, "batch", "--help"]):
            found.append("batch")
        _CAPABILITIES[key] = tuple(found)
    return _CAPABILITIES[key]


def _help_text(command: list[str]) -> str:
    try:
        done = subprocess.run(command, capture_output=True, text=True, timeout=_HELP_TIMEOUT,
                              stdin=subprocess.DEVNULL)
    except (OSError, subprocess.TimeoutExpired):
        return ""
    return done.stdout + done.stderr
