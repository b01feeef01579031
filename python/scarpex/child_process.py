"""The host as a child process that never outlives the call that started it.

Each child gets a process group of its own: a timeout or an interrupt then ends it with
everything it started, and a Ctrl-C at the terminal reaches only Python, which decides. The
children of one batch are registered under the batch's token, so that an interrupted batch
can end those already running and refuse to start any more.
"""

from __future__ import annotations

import os
import signal
import subprocess
import threading
from dataclasses import dataclass
from typing import Optional, Sequence

_lock = threading.Lock()
_running: dict[Optional[str], set[subprocess.Popen]] = {}
# Batches that were stopped. A token is a fresh random name per batch, so the set only grows
# by one entry per interrupted batch; its runs still queued on other threads must find it.
_stopped: set[str] = set()


class BatchStopped(Exception):
    """The batch this run belongs to was stopped before the run could start."""


@dataclass
class ChildExit:
    returncode: int  # negative: ended by that signal
    stdout: str
    stderr: str
    timed_out: bool = False


def run_child(command: Sequence[str], cwd: os.PathLike, timeout: Optional[float],
              batch: Optional[str] = None, inherit: Sequence[int] = ()) -> ChildExit:
    """Runs `command` to its end, or ends its process group after `timeout` seconds; any
    exception here (KeyboardInterrupt too) ends the group before it goes on. The child
    inherits the descriptors `inherit` (and no others)."""
    with _lock:
        if batch is not None and batch in _stopped:
            raise BatchStopped(batch)
        child = subprocess.Popen(list(command), cwd=cwd, stdin=subprocess.DEVNULL,
                                 stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                                 errors="replace", start_new_session=True,
                                 pass_fds=tuple(inherit))
        _running.setdefault(batch, set()).add(child)
    try:
        with child:  # closes the pipes on the way out
            try:
                stdout, stderr = child.communicate(timeout=timeout)
                return ChildExit(child.returncode, stdout, stderr)
            except subprocess.TimeoutExpired:
                _end_group(child)
                stdout, stderr = child.communicate()
                return ChildExit(child.returncode, stdout, stderr, timed_out=True)
            except BaseException:
                _end_group(child)
                child.wait()
                raise
    finally:
        with _lock:
            _running[batch].discard(child)
            if not _running[batch]:
                del _running[batch]


def stop_batch(batch: str) -> None:
    """Ends the running children of the batch and refuses to start any more of it."""
    with _lock:
        _stopped.add(batch)
        for child in _running.get(batch, ()):
            _end_group(child)


def _end_group(child: subprocess.Popen) -> None:
    # The child leads its group (start_new_session), so the group's id is its pid; a child
    # already reaped has no group left to end.
    if child.returncode is not None:
        return
    try:
        os.killpg(child.pid, signal.SIGKILL)
    except (ProcessLookupError, PermissionError):
        pass
