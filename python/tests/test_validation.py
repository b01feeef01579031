"""Obvious faults are caught before any run, with a message that names the item."""

import math

import pytest
from test_input_files import layered_problem

from scarpex import (
    Boundary,
    Circle2Search,
    Loads,
    Load,
    ProblemError,
    Soil,
    Soils,
    SpecifiedSurface,
    Spencer,
    Water,
    PiezometricSurface,
    run,
)
from scarpex.problem import Profile, Toggle


def broken(change):
    problem = layered_problem()
    change(problem)
    return problem


def insert_before_analysis(problem, command):
    problem.commands.insert(len(problem.commands) - 2, command)


CASES = [
    ("boundary not left to right",
     lambda p: setattr(p.find(Profile).boundaries[1], "x_left", 50.0),
     r"PROFIL \(command 1\) boundary 2: is not left to right"),
    ("a soil type no soil set defines",
     lambda p: setattr(p.find(Profile).boundaries[3], "soil", 3),
     r"PROFIL boundary 4 soil type: 3, but only 2 soil types are defined"),
    ("more boundaries than the engine holds",
     lambda p: p.find(Profile).boundaries.extend([Boundary(0.0, 1.0, 70.0, 1.0, 1)] * 97),
     r"PROFIL \(command 1\) boundary count: 101 is outside 1 to 100"),
    ("top boundaries that do not meet",
     lambda p: setattr(p.find(Profile).boundaries[2], "y_left", 31.0),
     r"boundaries 2 and 3: the ground surface is broken"),
    ("a title of two lines",
     lambda p: setattr(p.find(Profile), "title", "SLOPE\nSECTION 2"),
     r"PROFIL \(command 1\) title: has a line break"),
    ("a title of 80 characters of two bytes each",
     lambda p: setattr(p.find(Profile), "title", "é" * 80),
     r"PROFIL \(command 1\) title: 160 bytes as UTF-8 \(80 characters\); the engine keeps 80"),
    ("negative cohesion",
     lambda p: setattr(p.find(Soils).soils[1], "cohesion", -5.0),
     r"SOIL \(command 2\) soil 2 cohesion: -5.0 is negative"),
    ("a friction angle of 90 degrees",
     lambda p: setattr(p.find(Soils).soils[0], "friction_angle", 90.0),
     r"soil 1 friction_angle: 90.0 is outside 0 to 90 degrees"),
    ("a value that is not a number",
     lambda p: setattr(p.find(Soils).soils[0], "total_unit_weight", math.nan),
     r"soil 1 total_unit_weight: nan is not a finite number"),
    ("water x not increasing",
     lambda p: p.find(Water).surfaces[0].points.insert(2, (10.0, 18.0)),
     r"WATER \(command 3\) surface 1 point 3: x must increase strictly"),
    ("a surface starting left of the ground",
     lambda p: p.find(SpecifiedSurface).points.insert(0, (-0.5, 21.0)),
     r"SURBIS \(command 4\) point 1 x: -0.5 is negative"),
    ("a surface ending right of the ground",
     lambda p: p.find(SpecifiedSurface).points.append((75.0, 30.0)),
     r"SURBIS \(command 4\) point 31: x = 75.0 lies outside the ground surface"),
    ("a Spencer value above 90",
     lambda p: insert_before_analysis(p, Spencer(95.0)),
     r"SPENCR \(command 4\) angle: 95.0 is outside \(0, 90\]"),
    ("suppressing loads never given",
     lambda p: insert_before_analysis(p, Toggle("LOADS")),
     r"LOADS \(command 4\): no LOADS data are stored"),
    ("overlapping loads",
     lambda p: insert_before_analysis(p, Loads([Load(40.0, 50.0, 1.0, 1.0),
                                                Load(45.0, 60.0, 1.0, 1.0)])),
     r"LOADS \(command 4\) load 2: loads go from left to right"),
    ("a search beyond the ground",
     lambda p: p.commands.__setitem__(3, Circle2Search(5, 20, 5.0, 15.0, 40.0, 80.0, 0.0, 2.0)),
     r"CIRCL2 \(command 4\) term_x_right: 80.0 lies right of the ground"),
    ("a search with its ranges the wrong way round",
     lambda p: p.commands.__setitem__(3, Circle2Search(5, 20, 15.0, 5.0, 40.0, 60.0, 0.0, 2.0)),
     r"CIRCL2 \(command 4\) init_x_left: the initiation range is reversed"),
    ("no PROFIL first",
     lambda p: p.commands.pop(0),
     r"command 1: the first command must be PROFIL, not SOIL"),
]


@pytest.mark.parametrize("change, message", [c[1:] for c in CASES], ids=[c[0] for c in CASES])
def test_bad_values_raise_naming_the_item_before_any_run(change, message):
    problem = broken(change)
    with pytest.raises(ProblemError, match=message):
        # A host that does not exist: reaching it would raise HostError instead.
        run(problem, host="/nonexistent/scarpex")


def test_the_good_problem_passes_and_soil_changes_need_a_set_first():
    layered_problem().validate()
    from scarpex import SoilChange, SoilChanges

    problem = layered_problem()
    problem.commands[1] = SoilChanges([SoilChange(1, Soil(18.0, 19.0, 5.0, 30.0))])
    with pytest.raises(ProblemError, match="only after a set is defined"):
        problem.validate()


def test_a_new_profile_clears_the_stored_water_so_reactivating_it_is_a_fault():
    problem = layered_problem()
    profile = problem.find(Profile)
    problem.commands[4:4] = [profile, Toggle("WATER")]
    with pytest.raises(ProblemError, match=r"WATER \(command 6\): no WATER data"):
        problem.validate()
    problem.commands[5] = Water(9.81, [PiezometricSurface([(0.0, 1.0), (70.0, 2.0)])])
    problem.commands.insert(6, Toggle("WATER"))  # suppressing what was just given is fine
    problem.validate()
