"""The host's JSON results read into types, from fixture documents of the host's schema."""

import json
import math
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


def test_values_that_did_not_fit_their_field_read_as_nan():
    d = json.loads(fixture("single_surface_spencer.json"))
    d["analyses"][0]["slices"]["rows"][0]["weight"] = None
    r = Results.from_dict(d)
    assert math.isnan(r.slices.rows[0].weight)


@pytest.mark.parametrize("change", [
    lambda d: d.update(schema="something-else"),
    lambda d: d.update(schema_version=99),
])
def test_documents_of_another_schema_are_refused(change):
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
