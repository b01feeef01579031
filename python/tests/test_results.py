"""The host's JSON results read into types, from fixture documents of the host's schema."""

import json
import math
import pickle
import xml.etree.ElementTree as ET

import pytest
from conftest import FIXTURES

from scarpex import Results, ResultsFormatError, RunFailed


def fixture(name):
    return (FIXTURES / name).read_text()


def test_a_specified_surface_by_spencers_method():
    r = Results.from_json(fixture("single_surface_spencer.json"))
    assert r.completed and not r.aborted and r.error_codes == []
    assert (r.method, r.factor_of_safety, r.theta, r.status) == ("Spencer", 1.924, 12.65, "converged")
    assert r.factors_of_safety == [1.924]
    a = r.headline
    assert a.kind == "specified" and a.base_method == "Modified Bishop" and a.spencer
    assert r.critical_surface is a.surface and len(a.surface.points) == 30
    assert r.critical_surface.circle.radius == pytest.approx(26.0, abs=0.01)
    assert len(r.slices) == 36 and len(r.slices.edges) == 37
    assert r.slices.rows[0].index == 1 and r.slices.rows[0].weight == 8.899
    assert sum(r.slices.column("width")) == pytest.approx(48.065 - 11.144, abs=0.01)
    assert r.line_of_thrust.points[0].x == 11.14 and len(r.line_of_thrust.points) == 37
    assert r.unit_system == "metric" and r.length_unit == "m"
    assert r.check() is r
    assert pickle.loads(pickle.dumps(r)) == r  # as a worker of a cluster sends it back


def test_an_aborted_run_says_so_and_carries_no_factor():
    r = Results.from_json(fixture("aborted_rf05.json"))
    assert r.aborted and r.outcome == "aborted"
    assert r.error_codes == ["RF05"] and r.errors[0].detail == "LAYER NO.  2     POINT NO.  3"
    assert r.factor_of_safety is None and r.critical_surface is None
    with pytest.raises(RunFailed, match="aborted: RF05"):
        r.check()


def test_a_search_lists_its_critical_surfaces_most_critical_first():
    r = Results.from_json(fixture("search_mirrored.json"))
    a = r.headline
    assert a.kind == "search" and r.trial_count == 3 and a.trial_count == 3
    assert [s.rank for s in r.critical_surfaces] == [1, 2]
    assert r.critical_surface.factor_of_safety == 1.402 == r.factor_of_safety
    assert r.critical_surface.circle.x == 25.5
    assert [t.solution_status for t in a.trials] == [1, 2, 1]
    assert a.trials[1].circle is None and r.line_of_thrust is None
    assert r.mirrored and r.mirror_axis_x == 100.0
    assert r.status_lines[1].number == 4 and r.status_lines[1].count == 1


# The host writes null for a value that did not fit its field: a null anywhere reads as NaN
# (a real), None (a value that may be absent) or 0 (a count), and never costs the run.
NULLS = [
    ("a slice value",
     lambda d: d["analyses"][0]["slices"]["rows"][0].update(weight=None, index=None),
     lambda r: math.isnan(r.slices.rows[0].weight) and r.slices.rows[0].index == 0),
    ("the frame's values",
     lambda d: d["frame"].update(mirror_axis_x=None, shift_x=None, shift_y=None),
     lambda r: all(map(math.isnan, (r.mirror_axis_x, r.shift_x, r.shift_y)))),
    ("the summary's factor and trial count",
     lambda d: d["summary"].update(factor_of_safety=None, trials=None),
     lambda r: r.factor_of_safety is None and r.trial_count == 0),
    ("a status line's number and an error's line",
     lambda d: (d["status_lines"][0].update(number=None, count=None),
                d.update(errors=[{"code": "RF05", "detail": None, "file": None, "line": None}])),
     lambda r: r.status_lines[0].number == 0 and r.errors[0].line == 0),
    ("whole lists and objects",
     lambda d: d.update(analyses=None, errors=None, warnings=None, frame=None, files=None),
     lambda r: r.analyses == [] and r.headline is None and r.files.input == ""),
    ("a surface's rank and circle",
     lambda d: d["analyses"][0]["surface"].update(rank=None, circle=None),
     lambda r: r.critical_surface.rank is None and r.critical_surface.circle is None),
]


@pytest.mark.parametrize("make_null, read", [c[1:] for c in NULLS], ids=[c[0] for c in NULLS])
def test_values_that_did_not_fit_their_field_read_without_an_error(make_null, read):
    d = json.loads(fixture("single_surface_spencer.json"))
    make_null(d)
    assert read(Results.from_dict(d))


@pytest.mark.parametrize("change", [
    lambda d: d.update(schema="something-else"),
    lambda d: d.update(schema_version=99),
    lambda d: d.update(analyses=1),
    lambda d: d["summary"].update(trials="many"),
    lambda d: d["analyses"][0]["slices"].update(rows=[None]),
])
def test_documents_of_another_schema_or_shape_are_refused(change):
    d = json.loads(fixture("single_surface_spencer.json"))
    change(d)
    with pytest.raises(ResultsFormatError):
        Results.from_dict(d)
    with pytest.raises(ResultsFormatError):
        Results.from_json("{not json")


def svg_paths(svg):
    root = ET.fromstring(svg)
    return [e for e in root.iter() if e.tag.endswith("path")]


def test_the_picture_is_well_formed_with_the_surfaces_drawn_in_the_users_frame():
    r = Results.from_json(fixture("search_mirrored.json"))
    svg = r.to_svg()
    paths = svg_paths(svg)
    kinds = [p.get("class") for p in paths]
    assert kinds.count("surface critical") == 1 and kinds.count("surface") == 1
    assert kinds.count("water") == 1
    assert "F = 1.402" in svg
    # Mirrored about x = 100: the ground's left end (x 0) is drawn right of its right end.
    ground = [p for p in paths if p.get("class") == "boundary top"]
    first = float(ground[0].get("d").split()[0][1:].split(",")[0])
    last = float(ground[-1].get("d").split()[-1][1:].split(",")[0])
    assert first > last
