"""Running the engine through the `scarpex` host, one input per child process.

The engine keeps one run's state and its random sequence for the life of the loaded library,
so every run here gets a process of its own: a fresh, reproducible run. The host writes the
results as JSON, which `Results` gives types.
"""

from __future__ import annotations

import json
import os
import shutil
import subprocess
import tempfile
from concurrent.futures import ThreadPoolExecutor
from pathlib import Path
from typing import Iterable, Optional, Sequence, Union

from .problem import Problem
from .results import Results, ResultsFormatError

HOST_ENVIRONMENT_VARIABLE = "SCARPEX_HOST"
_REPOSITORY = Path(__file__).resolve().parents[2]

ProblemLike = Union[Problem, str]


class HostError(RuntimeError):
    """No run could be made: the host is missing, failed, or gave no results."""


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
        done = subprocess.run(command, capture_output=True, text=True, timeout=30)
    except (OSError, subprocess.TimeoutExpired):
        return ""
    return done.stdout + done.stderr


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
    timeout: Optional[float] = 600,
) -> Results:
    """Runs one problem and returns its results.

    The problem is validated and written as `<name>.dat` in `workdir` (a temporary folder,
    removed afterwards, when none is given), where the engine's output files stay. A run
    that the engine aborts returns Results whose outcome and error codes say so; HostError
    means that no run could be made at all. With `pictures`, the host's own SVG picture
    and HTML report come back in `host_svg` and `host_html`.
    """
    text = input_text(problem, validate)
    path = find_host(host)
    if "json" not in host_capabilities(path):
        raise HostError(f"the scarpex host at {path} cannot write JSON results (--json)")
    if workdir is None:
        with tempfile.TemporaryDirectory(prefix="scarpex-") as temporary:
            return _run_in(text, Path(temporary), path, name, pictures, timeout)
    folder = Path(workdir)
    folder.mkdir(parents=True, exist_ok=True)
    return _run_in(text, folder, path, name, pictures, timeout)


def _run_in(text: str, folder: Path, host: Path, name: str, pictures: bool,
            timeout: Optional[float]) -> Results:
    folder = folder.resolve()
    input_path = folder / f"{name}.dat"
    json_path = folder / f"{name}.json"
    input_path.write_text(text)
    _remove(json_path)
    command = [os.fspath(host), os.fspath(input_path), "--json", os.fspath(json_path)]
    if pictures:
        command += ["--svg", os.fspath(folder / f"{name}.svg"),
                    "--html", os.fspath(folder / f"{name}.html")]
    try:
        done = subprocess.run(command, capture_output=True, text=True, timeout=timeout,
                              cwd=folder)
    except subprocess.TimeoutExpired:
        raise HostError(f"the run of {input_path} took longer than {timeout} s") from None
    results = _read_results(json_path, done)
    if pictures:
        results.host_svg = _read_optional(folder / f"{name}.svg")
        results.host_html = _read_optional(folder / f"{name}.html")
    return results


def _read_results(json_path: Path, done: subprocess.CompletedProcess) -> Results:
    if not json_path.is_file():
        said = (done.stderr or done.stdout).strip().splitlines()
        raise HostError(
            f"the host gave no results (exit status {done.returncode})"
            + (f": {said[-1]}" if said else "")
        )
    try:
        return Results.from_json(json_path.read_text())
    except ResultsFormatError as error:
        raise HostError(f"{json_path}: {error}") from None


def _read_optional(path: Path) -> Optional[str]:
    return path.read_text() if path.is_file() else None


def _remove(path: Path) -> None:
    try:
        path.unlink()
    except FileNotFoundError:
        pass


def run_many(
    problems: Sequence[ProblemLike],
    workdir: Union[str, os.PathLike, None] = None,
    *,
    jobs: Optional[int] = None,
    host: Union[str, os.PathLike, None] = None,
    validate: bool = True,
    timeout: Optional[float] = 600,
) -> list[Optional[Results]]:
    """Runs many problems, each in a process of its own, `jobs` at a time, and returns their
    results in the order given (None for a run that gave no results at all).

    The host's batch runner does the work when the host has one; otherwise one host process
    is started per problem. Inputs and outputs go to `workdir` (temporary when not given).
    """
    texts = [input_text(p, validate) for p in problems]
    path = find_host(host)
    if "json" not in host_capabilities(path):
        raise HostError(f"the scarpex host at {path} cannot write JSON results (--json)")
    jobs = max(1, jobs or os.cpu_count() or 1)
    if workdir is None:
        with tempfile.TemporaryDirectory(prefix="scarpex-batch-") as temporary:
            return _run_many_in(texts, Path(temporary), path, jobs, timeout)
    folder = Path(workdir)
    folder.mkdir(parents=True, exist_ok=True)
    return _run_many_in(texts, folder, path, jobs, timeout)


def _sample_names(count: int) -> list[str]:
    width = max(4, len(str(count)))
    return [f"run{i:0{width}d}" for i in range(1, count + 1)]


def _run_many_in(texts: list[str], folder: Path, host: Path, jobs: int,
                 timeout: Optional[float]) -> list[Optional[Results]]:
    folder = folder.resolve()
    names = _sample_names(len(texts))
    inputs = folder / "inputs"
    inputs.mkdir(exist_ok=True)
    for name, text in zip(names, texts):
        (inputs / f"{name}.dat").write_text(text)
    found: dict[str, Optional[Results]] = {}
    if "batch" in host_capabilities(host):
        found = _batch(names, inputs, folder / "runs", host, jobs, timeout)
    # Whatever the batch runner did not give back (or all, without one) runs on its own.
    missing = [n for n in names if n not in found]
    if missing:
        def single(name: str) -> tuple[str, Optional[Results]]:
            try:
                return name, _run_in(texts[names.index(name)], folder / "runs" / name, host,
                                     name, False, timeout)
            except HostError:
                return name, None

        for name in missing:
            (folder / "runs" / name).mkdir(parents=True, exist_ok=True)
        with ThreadPoolExecutor(max_workers=jobs) as pool:
            for name, results in pool.map(single, missing):
                found[name] = results
    return [found.get(n) for n in names]


def _batch(names: list[str], inputs: Path, out: Path, host: Path, jobs: int,
           timeout: Optional[float]) -> dict[str, Optional[Results]]:
    """The runs the batch runner reported, by name (None: it reported the run as failed)."""
    out.mkdir(exist_ok=True)
    jsonl = out / "results.jsonl"
    _remove(jsonl)
    command = [os.fspath(host), "batch", "--jobs", str(jobs), "--out", os.fspath(out),
               "--jsonl", os.fspath(jsonl)] + [os.fspath(inputs / f"{n}.dat") for n in names]
    try:
        subprocess.run(command, capture_output=True, text=True, timeout=timeout,
                       stdin=subprocess.DEVNULL)
    except subprocess.TimeoutExpired:
        return {}
    # Each line: {"input", "folder", "outcome", "exit_status", "message", "results"}, with
    # results null for a run that failed or crashed (it is not tried again).
    found: dict[str, Optional[Results]] = {}
    if jsonl.is_file():
        for line in _lines(jsonl):
            try:
                entry = json.loads(line)
                name = Path(str(entry.get("input", ""))).stem
                document = entry.get("results")
                found[name] = None if document is None else Results.from_dict(document)
            except (ValueError, AttributeError):
                continue
    # Each run folder also holds its own result.json.
    for name in names:
        single = out / name / "result.json"
        if found.get(name) is None and single.is_file():
            try:
                found[name] = Results.from_json(single.read_text())
            except ResultsFormatError:
                pass
    return {name: found[name] for name in names if name in found}


def _lines(path: Path) -> Iterable[str]:
    with open(path, encoding="utf-8") as f:
        for line in f:
            if line.strip():
                yield line
