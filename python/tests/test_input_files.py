"""Input files both ways, checked against the engine itself: every test input of the
repository reads back, writes out, and gives the engine the same run."""

import re
import subprocess

import pytest
from conftest import EXAMPLES, data_inputs

from scarpex import (
    Boundary,
    Circle2Search,
    InputFormatError,
    PiezometricSurface,
    Problem,
    ProblemError,
    Profile,
    Soil,
    Soils,
    SpecifiedSurface,
    Units,
    Water,
)
from scarpex.problem import Toggle

ALL_INPUTS = data_inputs() + sorted(EXAMPLES.glob("*.dat"))


def _reads(path):
    try:
        Problem.from_input(path.read_text())
        return True
    except InputFormatError:
        return False


ACCEPTED = [path for path in ALL_INPUTS if _reads(path)]
ACCEPTED_DATA = [path for path in data_inputs() if _reads(path)]


def case_id(path):
    return path.parent.name if path.name == "input.dat" else path.stem


def golden_report(path):
    report = path.parent / "report.out"
    return report.read_text() if report.is_file() else None


@pytest.mark.parametrize("path", ALL_INPUTS, ids=case_id)
def test_every_input_reads_back_the_same_or_is_refused_as_the_engine_refuses_it(path):
    text = path.read_text()
    try:
        problem = Problem.from_input(text)
    except InputFormatError:
        report = golden_report(path)
        assert report is not None and "EXECUTION OF SCARPEX ABORTED" in report, (
            "refused an input the engine runs")
        return
    written = problem.to_input()
    assert Problem.from_input(written) == problem
    for line in written.splitlines():
        assert len(line) <= 80


def run_host(host, folder, text):
    """The report (its date line aside) and plot file of one run in `folder`."""
    (folder / "input.dat").write_text(text)
    subprocess.run([str(host), str(folder / "input.dat")], capture_output=True, check=False)
    report = re.sub(r"Date:.*", "Date:", (folder / "input.out").read_text())
    return report, (folder / "input.plt").read_text(), (folder / "input.sts").read_text()


@pytest.mark.parametrize("path", ACCEPTED, ids=case_id)
def test_the_engine_runs_a_rewritten_input_exactly_as_the_original(path, host, tmp_path):
    text = path.read_text()
    problem = Problem.from_input(text)
    original = run_host(host, tmp_path, text)
    rewritten = run_host(host, tmp_path, problem.to_input())
    assert rewritten[0] == original[0], "report differs"
    assert rewritten[1:] == original[1:], "plot or status file differs"


# Codes the engine reports during an analysis, not about the input.
ANALYSIS_CODES = {"RF09"}


@pytest.mark.parametrize("path", ACCEPTED_DATA, ids=case_id)
def test_validation_finds_a_fault_exactly_where_the_engine_reports_an_input_error(path):
    problem = Problem.from_input(path.read_text())
    codes = set(re.findall(r"\*\*\*\*  ERROR - (\w{4})", golden_report(path)))
    try:
        problem.validate()
    except ProblemError:
        assert codes - ANALYSIS_CODES, "validation refused a problem the engine takes"
    else:
        assert not codes - ANALYSIS_CODES, f"validation missed {sorted(codes)}"


def layered_problem(analysis=None):
    """The layered example built from dataclasses."""
    surface = [tuple(map(float, line.split())) for line in
               (EXAMPLES / "layered_slope.dat").read_text().split("SURBIS\n30\n")[1]
               .split("EXECUT")[0].split("\n") if line.strip()]
    return Problem.create(
        Profile("LAYERED SLOPE WITH A WATER TABLE, ANALYSED ON ONE CIRCLE",
                [Boundary(0.0, 20.0, 20.0, 20.0, 1), Boundary(20.0, 20.0, 40.0, 30.0, 1),
                 Boundary(40.0, 30.0, 70.0, 30.0, 1), Boundary(0.0, 15.0, 70.0, 22.0, 2)],
                top_count=3, units=Units.METRIC),
        [Soil(18.5, 20.0, 5.0, 30.0, piezometric_surface=1),
         Soil(19.5, 20.5, 10.0, 25.0, piezometric_surface=1)],
        analysis or SpecifiedSurface(surface, bishop=True),
        water=Water(9.81, [PiezometricSurface([(0.0, 17.0), (30.0, 19.0), (50.0, 24.0),
                                               (70.0, 25.0)])]),
    )


def test_create_with_defaults_builds_the_example_file():
    assert layered_problem() == Problem.from_input((EXAMPLES / "layered_slope.dat").read_text())


def test_every_search_kind_and_command_writes_and_reads_back():
    from scarpex import (Anisotropy, AnisotropyEntry, Block2Search, BlockSearch, Box,
                         CircleSearch, DepthVariation, DirectionRange, Earthquake, LimitBoundary,
                         Limits, Load, Loads, RandomSearch, Reinforcement, ReinforcementLayer,
                         ReinforcementPoint, SoilChange, SoilChanges, Spencer, Tie, Ties)

    base = layered_problem()
    soils = Soils([Soil(18.0, 19.0, 5.0, 30.0),
                   Soil(19.0, 20.0, 8.0, 25.0, 0.1, 2.0, 1,
                        DepthVariation(15.0, 5.0, 12.0, 27.0, (1.0, 2.0, 3.0, 4.0), switch=2))],
                  heading_switch=1)
    extra = [
        soils,
        SoilChanges([SoilChange(2, Soil(19.5, 20.5, 9.0, 26.0))]),
        Loads([Load(45.0, 50.0, 10.0, 20.0, 5.0), Load(50.0, 60.0, 20.0, 20.0)]),
        Ties([Tie(2, 0.0, 25.0, 100.0, 2.0, 15.0, 10.0)]),
        Earthquake(0.15, 0.05, 0.0),
        Reinforcement([ReinforcementLayer([ReinforcementPoint(20.0, 18.0, 50.0, 10.0, 1.0),
                                           ReinforcementPoint(45.0, 18.0, 50.0, 10.0, 0.5)])]),
        Anisotropy([AnisotropyEntry(2, [DirectionRange(30.0, 8.0, 25.0),
                                        DirectionRange(90.0, 10.0, 28.0)],
                                    [DirectionRange(45.0, 9.0, 26.0),
                                     DirectionRange(180.0, 11.0, 29.0)])]),
        Limits([LimitBoundary(0.0, 10.0, 70.0, 12.0)], upward_count=1),
        Toggle("LIMITS"),
        Spencer(12.5),
        CircleSearch(5, 20, 5.0, 15.0, 40.0, 60.0, 0.0, 2.0),
        Circle2Search(5, 20, 5.0, 15.0, 40.0, 60.0, 0.0, 2.0, angle_upper=10.0, angle_lower=-30.0),
        RandomSearch(3, 10, 5.0, 15.0, 45.0, 65.0, 1.0, 3.0),
        BlockSearch(100, 2.0, [Box(20.0, 14.0, 30.0, 14.0, 2.0), Box(32.0, 15.0, 45.0, 16.0, 2.0)]),
        Block2Search(50, 2.5, [Box(20.0, 14.0, 40.0, 15.0, 1.0)]),
    ]
    problem = Problem(base.commands[:1] + extra, base.controls, base.frame)
    text = problem.to_input()
    assert Problem.from_input(text) == problem
    assert "CIRCL2\n5 20 5. 15. 40. 60. 0. 2. 10. -30.\n" in text


def test_a_surface_of_a_hundred_points_and_a_water_surface_of_forty_fit_the_columns():
    problem = layered_problem(SpecifiedSurface([(0.5 * i + 0.123456, 20.0 - 0.001 * i)
                                                for i in range(100)]))
    problem.find(Water).surfaces[0] = PiezometricSurface(
        [(1.7 * i + 0.0123456789, 17.0 + 0.01 * i) for i in range(40)])
    text = problem.to_input()
    assert max(len(line) for line in text.splitlines()) <= 80
    assert Problem.from_input(text) == problem


def test_the_title_keeps_80_columns_and_the_header_reads_in_free_format():
    text = (EXAMPLES / "layered_slope.dat").read_text()
    text = text.replace("50 50 50 0 0 1\n", "50,50\n 50 0 0 1 extra\n").replace(
        "0. 0. 0. 0. 0. 0.", "0 1.5e1 0. 0. 2.5D0 0.")
    problem = Problem.from_input(text)
    assert problem.controls.spencer_inner_limit == 50 and problem.controls.report_switch == 1
    assert problem.frame.mirror_axis_x == 15.0 and problem.frame.shift_x == 2.5
    assert Problem.from_input(problem.to_input()) == problem
    # The engine keeps the title's first 80 bytes, not characters; a character is not cut.
    for title, kept in (("é" * 50, "é" * 40), ("x" * 79 + "é", "x" * 79)):
        assert Problem.from_input(text.replace(problem.find(Profile).title, title)).find(
            Profile).title == kept


def test_illegal_commands_and_counts_beyond_the_tables_are_refused_naming_them():
    text = (EXAMPLES / "layered_slope.dat").read_text()
    with pytest.raises(InputFormatError, match="illegal command 'SURFACE'|illegal command 'surbis'"):
        Problem.from_input(text.replace("SURBIS", "surbis"))
    with pytest.raises(InputFormatError, match="SOIL: 21 soil types"):
        Problem.from_input(text.replace("SOIL\n0 2\n", "SOIL\n0 21\n"))
    # Only columns 1 to 6 name a command.
    assert Problem.from_input(text.replace("PROFIL\n", "PROFILE\n")) == Problem.from_input(text)


def test_a_problem_with_a_search_is_validated_against_its_ground():
    search = Circle2Search(5, 20, 5.0, 15.0, 40.0, 80.0, 0.0, 2.0)
    with pytest.raises(ProblemError, match=r"CIRCL2 \(command 4\) term_x_right"):
        layered_problem(search).validate()


def test_blank_lines_between_commands_and_text_after_a_commands_data_are_not_read():
    text = (EXAMPLES / "layered_slope.dat").read_text()
    loose = (text.replace("SOIL\n", "\n      ignored after six blanks\nSOIL   soil types\n")
             .replace("70. 25.\n", "70. 25.  a note the reader never sees\n"))
    assert Problem.from_input(loose) == Problem.from_input(text)
    with pytest.raises(InputFormatError, match="line 22: illegal command '8.'"):
        # One value too many: the engine takes the extra line for a command word.
        Problem.from_input(text.replace("70. 25.\n", "70. 25.\n8.\n"))


@pytest.mark.parametrize("header, written", [
    ("50,,50,0,0,1\n0.0001 3*0.001", "50,,50,0,0,1\n0.0001 0.001 0.001 0.001"),
    (",50 50 2* 1\n1.5+2/", ",50,50,,,1\n150./"),  # 2* and the slash leave items as they were
    ("50 50 50 0 0 1\n1D-4, 0.001\t0.001 , 0.001 /", "50 50 50 0 0 1\n0.0001 0.001 0.001 0.001"),
])
def test_header_groups_are_list_directed_and_null_items_stay_null(header, written):
    text = (EXAMPLES / "layered_slope.dat").read_text()
    text = text.replace("50 50 50 0 0 1\n0.0001 0.001 0.001 0.001", header)
    problem = Problem.from_input(text)
    assert problem.to_input().startswith("HEADER\n" + written + "\n")
    assert Problem.from_input(problem.to_input()) == problem
