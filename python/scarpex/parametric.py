"""A parametric study: one or two soil properties set to every point of a grid of values, one
engine run per point, and the factor of safety over the grid."""

from __future__ import annotations

import itertools
import math
import os
from dataclasses import dataclass, field
from typing import Any, Mapping, Optional, Sequence, Union

from .problem import Problem
from .results import Results
from .runner import DEFAULT_TIMEOUT, warn_of_runs_without_results
from .soil_properties import SoilProperty, apply_sample
from .study_runs import factor_of, run_samples, why_no_factor
from .validation import ProblemError

# A grid varies this many properties at most: a line over one, a map over two.
MAX_PROPERTIES = 2


@dataclass
class ParametricResult:
    """The factor of safety at every point of the grid: `factors[i]` over one property,
    `factors[i, j]` over two (NaN where a run gave none, with the reason in `reasons`)."""

    properties: list  # SoilProperty, one per axis of the grid
    values: list  # numpy array of the values of each property
    factors: "object"  # numpy array shaped like the grid
    results: list[Results]  # every run, the last property changing fastest
    failure_threshold: float = 1.0
    reasons: dict = field(default_factory=dict)  # grid index (a tuple) -> why no factor

    @property
    def failed_runs(self) -> int:
        return len(self.reasons)

    def to_svg(self, width: int = 640, height: Optional[int] = None) -> str:
        """A line of the factor of safety over one property, or a contour map over two."""
        from .charts import contour_svg, line_svg

        names = [str(p) for p in self.properties]
        if len(self.properties) == 1:
            return line_svg(list(self.values[0]), list(self.factors), names[0],
                            f"Factor of safety over {names[0]}", self.failure_threshold,
                            width, height or 400)
        return contour_svg(list(self.values[0]), list(self.values[1]), self.factors.tolist(),
                           names[0], names[1], f"Factor of safety over {names[0]} and {names[1]}",
                           self.failure_threshold, width, height or 440)


def parametric(
    problem: Problem,
    vary: Mapping[Union[SoilProperty, str, tuple], Sequence[float]],
    executor: Any = None,
    *,
    jobs: Optional[int] = None,
    host: Union[str, os.PathLike, None] = None,
    workdir: Union[str, os.PathLike, None] = None,
    timeout: Optional[float] = DEFAULT_TIMEOUT,
    progress: Optional[bool] = None,
    failure_threshold: float = 1.0,
) -> ParametricResult:
    """Runs the problem at every point of the grid of `vary`, which maps one or two soil
    properties (named as for monte_carlo: "soil 1 cohesion", (2, "friction_angle"), ...) to
    their values in increasing order. The runs go as run_many sends them (`executor`, `jobs`,
    `timeout` per run, `progress`). A point that fails validation is not run, and like a run
    that gave no factor it is NaN in `factors` with its reason; a warning counts them."""
    import numpy as np

    props, values = _grid_axes(vary)
    problem.validate()
    points = list(itertools.product(*values))
    problems = [apply_sample(problem, dict(zip(props, point))) for point in points]
    results = run_samples(problems, workdir, jobs=jobs, host=host, timeout=timeout,
                          executor=executor, progress=progress)
    shape = tuple(len(v) for v in values)
    study = ParametricResult(props, [np.asarray(v, dtype=float) for v in values],
                             np.full(shape, np.nan), results, failure_threshold)
    for flat, r in enumerate(results):
        index = np.unravel_index(flat, shape)
        factor = factor_of(r)
        if factor is None:
            study.reasons[tuple(int(i) for i in index)] = why_no_factor(r)
        else:
            study.factors[index] = factor
    warn_of_runs_without_results(results, "grid points")
    return study


def _grid_axes(vary: Mapping) -> tuple[list[SoilProperty], list[list[float]]]:
    if not 1 <= len(vary) <= MAX_PROPERTIES:
        raise ProblemError("vary", f"name one or two properties, not {len(vary)}")
    props = [SoilProperty.of(key) for key in vary]
    if len(set(props)) != len(props):
        raise ProblemError("vary", "a property is named twice")
    values = []
    for prop, given in zip(props, vary.values()):
        axis = [float(v) for v in given]
        if not axis or not all(math.isfinite(v) for v in axis):
            raise ProblemError(str(prop), "give one or more finite values")
        if any(b <= a for a, b in zip(axis, axis[1:])):
            raise ProblemError(str(prop), "give the values in increasing order")
        values.append(axis)
    return props, values
