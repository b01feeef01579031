"""Runs and batches under hostile use: an interrupt, runs that hang, runs that share a folder,
runs whose results cannot be had. Stand-in hosts (shell scripts) make each case happen on
cue; the tests wait on pipes, never on the clock."""

import os
import re
import select
import signal
import socket
import subprocess
import sys
import threading
from concurrent.futures import ThreadPoolExecutor

import pytest
from conftest import FAKE_RESULTS, FIXTURES, PYTHON_DIR, write_host
from test_input_files import layered_problem

from scarpex import HostError, run, run_many

# Long enough for a stand-in host to answer, short enough to keep the suite quick.
TIMEOUT = 0.5
# A guard only: how long a test waits on a pipe before it fails instead of hanging.
PIPE_GUARD = 60


def read_lines(fifo, count):
    """`count` lines from a named pipe that any number of writers may open and close."""
    descriptor = os.open(fifo, os.O_RDWR)  # a reader that also writes never sees the end
    lines, pending = [], b""
    try:
        while len(lines) < count:
            ready, _, _ = select.select([descriptor], [], [], PIPE_GUARD)
            assert ready, f"no line on {fifo} within {PIPE_GUARD} s"
            pending += os.read(descriptor, 4096)
            *done, pending = pending.split(b"\n")
            lines += [line.decode() for line in done]
    finally:
        os.close(descriptor)
    return lines


def is_running(pid):
    try:
        with open(f"/proc/{pid}/stat") as stat:
            return stat.read().rsplit(")", 1)[1].split()[0] != "Z"
    except FileNotFoundError:
        return False


def test_an_interrupt_ends_every_run_of_the_batch_with_its_children(tmp_path):
    started = tmp_path / "started"
    os.mkfifo(started)
    # Each run reports its shell and the child it waits for; left alone, it would finish.
    host = write_host(tmp_path, f'sleep 5 & echo "$$ $!" > {started}\nwait\n'
                                f'touch {tmp_path}/finished-$$')
    pids = []

    def interrupt_once_every_run_started():
        pids.extend(int(pid) for line in read_lines(started, 3) for pid in line.split())
        signal.pthread_kill(threading.main_thread().ident, signal.SIGINT)

    threading.Thread(target=interrupt_once_every_run_started, daemon=True).start()
    with pytest.raises(KeyboardInterrupt):
        run_many(["run\n"] * 3, host=host, jobs=3, validate=False, progress=False)
    assert len(pids) == 6 and [pid for pid in pids if is_running(pid)] == []
    assert list(tmp_path.glob("finished-*")) == []


def test_a_timeout_is_per_run_and_no_run_is_made_twice(tmp_path):
    log = tmp_path / "runs.log"
    host = write_host(tmp_path, f'basename "$1" >> {log}\n[ "$1" = batch ] && exec sleep 60\n'
                                f'grep -q slow "$1" && exec sleep 60\n{FAKE_RESULTS}', batch=True)
    with pytest.warns(RuntimeWarning, match=r"1 of 3 runs gave no results \(1 timed out\)"):
        results = run_many(["fast\n", "slow\n", "fast\n"], host=host, jobs=1, validate=False,
                           timeout=TIMEOUT, progress=False)
    assert [r.outcome for r in results] == ["completed", "timed out", "completed"]
    assert f"longer than {TIMEOUT} s" in results[1].reason
    assert sorted(log.read_text().split()) == ["run0001.dat", "run0002.dat", "run0003.dat"]


def with_cohesion(cohesion):
    problem = layered_problem()
    problem.soils.soils[0].cohesion = cohesion
    return problem


def test_runs_that_share_a_workdir_each_get_their_own_results(json_host, tmp_path):
    ready, go = tmp_path / "ready", tmp_path / "go"
    os.mkfifo(ready)
    os.mkfifo(go)
    # The first run's host waits, its input written, until the second run has finished.
    held = write_host(tmp_path, f'echo > {ready}\nread line < {go}\nexec {json_host} "$@"',
                      name="held")
    weak, strong, workdir = with_cohesion(2.0), with_cohesion(30.0), tmp_path / "work"
    first = {}
    thread = threading.Thread(target=lambda: first.update(results=run(weak, workdir, host=held)))
    thread.start()
    read_lines(ready, 1)
    second = run(strong, workdir, host=json_host)
    with open(go, "w") as release:
        release.write("go\n")
    thread.join()
    assert first["results"].factor_of_safety == run(weak).factor_of_safety
    assert second.factor_of_safety == run(strong).factor_of_safety
    assert first["results"].factor_of_safety < second.factor_of_safety
    assert first["results"].files.input == str(workdir.resolve() / "problem.dat")


def test_a_host_that_outlives_its_python_process_keeps_its_folder(json_host, tmp_path):
    ready, go = tmp_path / "ready", tmp_path / "go"
    os.mkfifo(ready)
    os.mkfifo(go)
    held = write_host(tmp_path, f'echo > {ready}\nread line < {go}\nexec {json_host} "$@"',
                      name="held")
    workdir = tmp_path / "work"
    # A worker that dies mid-run, as a lost worker of a cluster does: its host lives on.
    worker = subprocess.Popen([sys.executable, "-c", (
        f"import sys; sys.path.insert(0, {str(PYTHON_DIR)!r}); from scarpex import run; "
        f"run({layered_problem().to_input()!r}, {str(workdir)!r}, host={str(held)!r})")])
    read_lines(ready, 1)
    worker.kill()
    worker.wait()
    try:
        results = run(with_cohesion(30.0), workdir, host=json_host)
    finally:
        with open(go, "w") as release:
            release.write("go\n")
    assert results.files.input == str(workdir.resolve() / "problem-2" / "problem.dat")
    assert results.factor_of_safety == run(with_cohesion(30.0)).factor_of_safety


# What a stand-in host does for the input "bad", the outcome and the reason it comes back with.
NO_RESULTS_OF_ITS_OWN = [
    ("results that name another input",
     f'cp {FIXTURES}/single_surface_spencer.json "$3"', "failed",
     r"the results are those of another run: they name the input /tmp/t2/in\.dat"),
    ("a document of an unexpected shape",
     """echo '{"schema": "scarpex-results", "schema_version": 1, "analyses": 1}' > "$3" """,
     "failed", r"unexpected shape: TypeError"),
    ("a host that dies of a signal", "kill -SEGV $$", "crashed", r"the host died of SIGSEGV"),
    ("a host that writes nothing",
     'echo "cannot read the input" >&2; exit 2', "failed",
     r"gave no results \(exit status 2\): cannot read the input"),
]


@pytest.mark.parametrize("body, outcome, reason", [c[1:] for c in NO_RESULTS_OF_ITS_OWN],
                         ids=[c[0] for c in NO_RESULTS_OF_ITS_OWN])
def test_a_run_without_results_of_its_own_fails_alone_with_its_reason(tmp_path, body, outcome,
                                                                       reason):
    host = write_host(tmp_path, f'if grep -q bad "$1"; then\n{body}\nexit\nfi\n{FAKE_RESULTS}')
    with pytest.warns(RuntimeWarning, match=f"1 of 3 runs gave no results \\(1 {outcome}\\)"):
        results = run_many(["good\n", "bad\n", "good\n"], host=host, jobs=2, validate=False,
                           progress=False)
    assert [r.outcome for r in results] == ["completed", outcome, "completed"]
    assert re.search(reason, results[1].reason) and results[1].factor_of_safety is None
    with pytest.raises(HostError, match=reason):
        run("bad\n", host=host, validate=False)


def test_a_worker_without_a_host_says_which_worker(tmp_path, monkeypatch):
    monkeypatch.setenv("SCARPEX_HOST", str(tmp_path / "nowhere"))
    with ThreadPoolExecutor(1) as pool, pytest.warns(RuntimeWarning, match="1 of 1 runs"):
        [results] = run_many(["any\n"], executor=pool, validate=False, progress=False)
    assert results.outcome == "failed"
    assert results.reason == (f"no scarpex host at {tmp_path}/nowhere "
                              f"(on worker {socket.gethostname()}, process {os.getpid()})")


def test_a_value_too_wide_for_its_field_costs_no_result(json_host, capsys):
    wide = layered_problem()
    wide.frame.mirror_axis_x = 1e8  # wider than the engine's field for it
    results = run_many([layered_problem(), wide], jobs=2, progress=True)
    assert [r.outcome for r in results] == ["completed", "completed"]
    assert results[1].factor_of_safety == results[0].factor_of_safety
    assert "2/2" in capsys.readouterr().err  # the progress bar counted both
