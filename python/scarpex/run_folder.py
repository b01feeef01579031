"""A folder that one run has to itself.

The host writes `names.dat` and the engine's output files into the run's folder, so two runs
in one folder at once would read each other's files and return each other's results. A run
claims its folder with an exclusive lock on a file in it, held for the whole run; the lock
goes with the last process that holds it: the host, which inherits it, keeps the folder held
even when the Python process that started it dies (a lost worker), and a run that ended
leaves the folder free again. A run that finds its folder taken tries `<name>-2`, `<name>-3`,
... beside it.
"""

from __future__ import annotations

import fcntl
import itertools
from contextlib import contextmanager
from pathlib import Path
from typing import Iterator, Tuple

LOCK_FILE = ".scarpex-run.lock"


def candidates(first: Path, base: Path, name: str) -> Iterator[Path]:
    """`first`, then `base/<name>-2`, `base/<name>-3`, ..."""
    yield first
    for number in itertools.count(2):
        yield base / f"{name}-{number}"


@contextmanager
def claimed_folder(choices: Iterator[Path]) -> Iterator[Tuple[Path, int]]:
    """The first of the folders (made if missing) that no other run holds, held until the
    block ends, and the descriptor of its lock for the run's host to inherit."""
    for folder in choices:
        folder.mkdir(parents=True, exist_ok=True)
        lock = open(folder / LOCK_FILE, "a")
        try:
            fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
        except BlockingIOError:
            lock.close()
            continue
        try:
            yield folder.resolve(), lock.fileno()
        finally:
            lock.close()  # closing the file releases the lock
        return
