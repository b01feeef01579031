"""Shared fixtures: the package from this checkout, the repository's test inputs and the host.

The host is found through SCARPEX_HOST (set by the CTest test to the host just built), else
build/scarpex of the repository."""

import sys
from pathlib import Path

import pytest

PYTHON_DIR = Path(__file__).resolve().parents[1]
REPOSITORY = PYTHON_DIR.parent
sys.path.insert(0, str(PYTHON_DIR))

from scarpex import host_capabilities  # noqa: E402
from scarpex.runner import HostError, find_host  # noqa: E402

TEST_DATA = REPOSITORY / "tests" / "data"
EXAMPLES = REPOSITORY / "examples"
FIXTURES = Path(__file__).resolve().parent / "fixtures"


def data_inputs():
    return sorted(TEST_DATA.glob("*/input.dat"))


def _host_or_none():
    try:
        return find_host()
    except HostError:
        return None


@pytest.fixture(scope="session")
def host() -> Path:
    path = _host_or_none()
    if path is None:
        pytest.skip("no scarpex host: build it (make build) or set SCARPEX_HOST")
    return path


@pytest.fixture(scope="session")
def json_host(host) -> Path:
    if "json" not in host_capabilities(host):
        pytest.skip("this scarpex host cannot write JSON results (--json) yet")
    return host


@pytest.fixture
def layered_text() -> str:
    return (EXAMPLES / "layered_slope.dat").read_text()


# A results document naming the input $1, written to $3 (a run is INPUT --json FILE).
FAKE_RESULTS = ('printf \'{"schema": "scarpex-results", "schema_version": 1, '
                '"files": {"input": "%s"}, "outcome": "completed", '
                '"summary": {"factor_of_safety": 1.5}}\' "$1" > "$3"')


def write_host(folder: Path, body: str, name: str = "scarpex", batch: bool = False) -> Path:
    """A stand-in host: a shell script that answers --help as a host that writes JSON (and,
    with `batch`, has a batch runner) does, and runs `body` for anything else."""
    top = "--json FILE" + (" batch" if batch else "")
    help_text = (f'[ "$1" = --help ] && {{ echo "{top}"; exit 0; }}\n'
                 '[ "$1 $2" = "batch --help" ] && { echo "--jsonl FILE"; exit 0; }')
    path = folder / name
    path.write_text(f"#!/bin/bash\n{help_text}\n{body}\n")
    path.chmod(0o755)
    return path
