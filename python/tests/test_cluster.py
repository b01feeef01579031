"""Runs and studies on a Dask cluster: a local cluster of worker processes gives what the local
pool gives, in the same order, and a cluster started with the documented command lines
finishes a study after losing one of its workers."""

import json
import logging
import os
import shutil
import signal
import subprocess
import threading
import time

import numpy as np
import pytest
from conftest import PYTHON_DIR
from test_batches import with_cohesion
from test_montecarlo import frictionless, slope_factor  # noqa: F401  (a fixture)

from scarpex import Normal, monte_carlo, run_many

distributed = pytest.importorskip("distributed")
# Debian's tornado warns of its own event loop calls whenever Dask starts one.
pytestmark = pytest.mark.filterwarnings("ignore::DeprecationWarning")

# Guards only: how long a test waits for a cluster to come up or a study to finish.
START_GUARD = 60
STUDY_GUARD = 300
POLL = 0.02  # seconds between two looks at what the cluster has done


def test_a_local_cluster_gives_the_factors_of_the_local_pool_in_input_order(json_host,
                                                                             tmp_path):
    problems = [with_cohesion(float(c)) for c in range(20, 0, -1)]
    here = run_many(problems, jobs=2, progress=False)
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  dashboard_address=None, silence_logs=logging.ERROR,
                                  local_directory=tmp_path) as cluster, \
            distributed.Client(cluster) as client:
        there = run_many(problems, executor=client, progress=False)
    factors = [r.factor_of_safety for r in there]
    assert factors == [r.factor_of_safety for r in here]
    assert factors == sorted(factors, reverse=True) and len(set(factors)) == 20


def wait_until(done, what, guard):
    deadline = time.monotonic() + guard
    while not done():
        assert time.monotonic() < deadline, f"{what} within {guard} s"
        time.sleep(POLL)


@pytest.fixture
def cluster(json_host, tmp_path):
    """A scheduler and two workers, each a process of its own started as the README says;
    the workers find the package and the host through their environment."""
    dask = shutil.which("dask")
    if dask is None:
        pytest.skip("no dask command")
    environment = dict(os.environ, PYTHONPATH=str(PYTHON_DIR), SCARPEX_HOST=str(json_host))
    log = open(tmp_path / "cluster.log", "w")
    started = []

    def start(*arguments):
        started.append(subprocess.Popen([dask, *arguments], env=environment,
                                        stdout=log, stderr=subprocess.STDOUT))
        return started[-1]

    address_file = tmp_path / "scheduler.json"
    try:
        start("scheduler", "--host", "127.0.0.1", "--port", "0", "--no-dashboard",
              "--scheduler-file", str(address_file))
        wait_until(address_file.exists, "the scheduler's address", START_GUARD)
        wait_until(lambda: "address" in address_file.read_text(), "the address", START_GUARD)
        address = json.loads(address_file.read_text())["address"]
        workers = [start("worker", address, "--nthreads", "1", "--no-nanny", "--no-dashboard",
                         "--local-directory", str(tmp_path)) for _ in range(2)]
        with distributed.Client(address, timeout=START_GUARD) as client:
            client.wait_for_workers(2, timeout=START_GUARD)
            yield client, workers
    finally:
        for process in started:
            process.kill()
            process.wait()
        log.close()


def test_a_study_on_a_cluster_survives_a_lost_worker(cluster, slope_factor, tmp_path):
    client, workers = cluster
    samples, study = 200, {}
    critical_cohesion = 1.0 / slope_factor  # F = 1
    cohesion = Normal(1.05 * critical_cohesion, 0.1 * critical_cohesion)
    arguments = dict(variables={"soil 1 cohesion": cohesion}, n=samples, seed=26)
    workdir = tmp_path / "study"  # one folder for every worker: all run on this machine
    thread = threading.Thread(target=lambda: study.update(
        there=monte_carlo(frictionless(), workdir=workdir, executor=client, progress=False,
                          **arguments)))
    thread.start()
    wait_until(lambda: len(list(workdir.glob("runs/*/run*.json"))) >= samples // 2,
               "half of the runs", STUDY_GUARD)
    workers[0].send_signal(signal.SIGKILL)
    thread.join(STUDY_GUARD)
    assert not thread.is_alive(), "the study did not finish"
    here = monte_carlo(frictionless(), jobs=2, progress=False, **arguments)
    there = study["there"]
    assert there.n == samples and there.failed_runs == 0
    assert workers[0].wait() == -signal.SIGKILL
    assert np.array_equal(there.factors, here.factors)
    assert 0 < there.probability_of_failure == here.probability_of_failure < 1
