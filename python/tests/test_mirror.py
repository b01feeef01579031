"""Problem.mirrored(): the crest-left sections of the host's tests give back the toe-left
problems they were drawn from, mirroring twice about one axis gives the commands back, and
the host's --mirror runs the very problem that Python makes, or refuses where Python does."""

import subprocess

import pytest
from conftest import REPOSITORY, TEST_DATA, data_inputs

from scarpex import Execute, Problem, Profile, SoilChanges, Soils, SpecifiedSurface
from scarpex.analyses import SEARCH_KINDS
from scarpex.datalines import InputFormatError
from scarpex.mirror import largest_x, mirror_commands

MIRROR_DATA = REPOSITORY / "tests" / "host_data" / "mirror"


def _problem(path):
    try:
        return Problem.from_input(path.read_text())
    except InputFormatError:
        return None


READABLE = [(path.parent.name, p) for path in data_inputs() if (p := _problem(path))]


@pytest.mark.parametrize("crest_left, toe_left", [
    ("anchored_crest_left.dat", "whole_all_six_commands"),
    ("layered_search_crest_left.dat", "search_circle_janbu_layered_water"),
])
def test_a_crest_left_section_gives_the_toe_left_one(crest_left, toe_left):
    crest = Problem.from_input((MIRROR_DATA / crest_left).read_text())
    toe = Problem.from_input((TEST_DATA / toe_left / "input.dat").read_text())
    mirrored = crest.mirrored()
    assert mirrored.commands == toe.commands
    assert (mirrored.frame.mirror, mirrored.frame.mirror_axis_x) == (1, 70.0)
    assert crest.frame.mirror == 0, "the problem mirrored stays as it was"
    with pytest.raises(ValueError, match="stored mirrored already"):
        mirrored.mirrored()
    with pytest.raises(ValueError, match="right of the mirror axis"):
        crest.mirrored(axis=60.0)


@pytest.mark.parametrize("name, problem", READABLE, ids=[n for n, _ in READABLE])
def test_mirroring_twice_about_one_axis_gives_the_commands_back(name, problem):
    try:
        axis = largest_x(problem.commands) or 0.0
        once = mirror_commands(problem.commands, axis)
    except ValueError:
        pytest.skip("cannot be mirrored (a negative x, a tieback head on the axis)")
    assert mirror_commands(once, axis) == problem.commands


def _read_by_the_engine(commands):
    """The commands up to the EXECUT that ends the engine's run (with no surface waiting)."""
    soil = waiting = False
    for i, command in enumerate(commands):
        if isinstance(command, (Soils, SoilChanges)):
            soil = True
        elif isinstance(command, SpecifiedSurface):
            waiting = True
        elif isinstance(command, (Profile,) + SEARCH_KINDS):
            waiting = False
        elif isinstance(command, Execute) and not (soil and waiting):
            return commands[: i + 1]
    return commands


@pytest.mark.parametrize("name, problem", READABLE, ids=[n for n, _ in READABLE])
def test_the_host_runs_the_problem_python_mirrors(host, tmp_path, name, problem):
    source = tmp_path / "section.dat"
    source.write_text((TEST_DATA / name / "input.dat").read_text())
    run = subprocess.run([str(host), str(source), "--mirror", "--out", str(tmp_path / "run")],
                         capture_output=True, text=True, timeout=120)
    try:
        expected = problem.mirrored()
    except ValueError:
        assert run.returncode == 2 and "cannot mirror" in run.stderr, run.stderr
        return
    assert run.returncode in (0, 1, 3), run.stderr  # 3: the result (of a toe-left section
    # mirrored to crest-left) is incomplete
    written = Problem.from_input((tmp_path / "run" / "section.mirrored.dat").read_text())
    assert written.frame == expected.frame
    assert _read_by_the_engine(written.commands) == _read_by_the_engine(expected.commands)
