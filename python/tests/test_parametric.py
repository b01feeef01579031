"""The parametric study on the frictionless slope of the Monte Carlo tests, whose factor of
safety on its fixed circle is F = k c / (gamma / 18): proportional to the cohesion and, with
no water and no friction, inversely to the unit weight."""

import math
import xml.etree.ElementTree as ET

import numpy as np
import pytest
from test_montecarlo import frictionless, slope_factor  # noqa: F401  (a fixture)

from scarpex import ParametricResult, ProblemError, parametric
from scarpex.charts import contour_segments

SVG = "{http://www.w3.org/2000/svg}"
PRECISION = 6e-4  # the factor as the engine prints it


def of_class(svg, kind):
    return [e for e in ET.fromstring(svg).iter() if e.get("class") == kind]


def test_a_line_over_one_property_with_a_point_that_cannot_run(json_host, slope_factor):
    cohesions = [-1.0, 10.0, 30.0, 60.0]
    with pytest.warns(RuntimeWarning, match=r"1 of 4 grid points gave no results"):
        study = parametric(frictionless(), {"soil 1 cohesion": cohesions}, jobs=2,
                           progress=False)
    assert isinstance(study, ParametricResult) and study.factors.shape == (4,)
    assert math.isnan(study.factors[0]) and "is negative" in study.reasons[(0,)]
    assert np.allclose(study.factors[1:], slope_factor * np.array(cohesions[1:]), atol=PRECISION)
    svg = study.to_svg()
    assert len(of_class(svg, "point")) == 3 and len(of_class(svg, "threshold")) == 1


def test_a_map_over_two_properties_is_shaped_like_the_grid(json_host, slope_factor):
    critical_c = 1.0 / slope_factor
    cohesions = [0.5 * critical_c, critical_c, 1.5 * critical_c]
    weights = [16.0, 18.0, 20.0, 22.0]
    study = parametric(frictionless(), {(1, "c"): cohesions, "soil 1 total_unit_weight": weights},
                       jobs=2, progress=False)
    expected = slope_factor * np.outer(cohesions, 18.0 / np.array(weights))
    assert study.factors.shape == (3, 4) and study.failed_runs == 0
    assert np.allclose(study.factors, expected, atol=PRECISION, rtol=2e-3)
    svg = study.to_svg()
    assert len(of_class(svg, "cell")) == 12
    assert of_class(svg, "threshold") and of_class(svg, "contour")  # F = 1 lies inside


@pytest.mark.parametrize("vary, message", [
    ({}, "name one or two properties, not 0"),
    ({"soil 1 c": [1.0], "soil 1 phi": [1.0], "soil 1 ru": [0.1]}, "not 3"),
    ({"soil 1 cohesion": [2.0, 1.0]}, "in increasing order"),
    ({"soil 1 cohesion": []}, "one or more finite values"),
])
def test_a_grid_that_is_no_line_or_map_is_refused(vary, message):
    with pytest.raises(ProblemError, match=message):
        parametric(frictionless(), vary, host="/nonexistent/scarpex")


# Values on a 2 x 2 grid at x, y in {0, 1}: the contour pieces of a level through it.
CONTOURS = [
    ("a plane rising with x", [[0.0, 0.0], [2.0, 2.0]], 1.0, [((0.5, 0.0), (0.5, 1.0))]),
    ("a corner above", [[0.0, 0.0], [0.0, 2.0]], 1.0, [((1.0, 0.5), (0.5, 1.0))]),
    # High at (0, 0) and (1, 1), low at the other two corners, 1 at the centre.
    ("a saddle whose high corners join through the centre", [[2.0, 0.0], [0.0, 2.0]], 0.5,
     [((0.75, 0.0), (1.0, 0.25)), ((0.25, 1.0), (0.0, 0.75))]),
    ("a saddle whose low corners join through the centre", [[2.0, 0.0], [0.0, 2.0]], 1.5,
     [((0.25, 0.0), (0.0, 0.25)), ((1.0, 0.75), (0.75, 1.0))]),
    ("a cell with a point without a value", [[0.0, math.nan], [2.0, 2.0]], 1.0, []),
]


@pytest.mark.parametrize("grid, level, pieces", [c[1:] for c in CONTOURS],
                         ids=[c[0] for c in CONTOURS])
def test_contour_pieces_cross_the_cell_edges_where_the_level_lies(grid, level, pieces):
    found = contour_segments([0.0, 1.0], [0.0, 1.0], grid, level)
    assert sorted(map(sorted, found)) == sorted(map(sorted, pieces))
