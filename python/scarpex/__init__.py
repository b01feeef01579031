"""Scarpex from Python: build a slope, write its input file, run the engine, read the
results, and study the uncertainty of the soil properties, on this machine or on a cluster.

    from scarpex import *
    problem = Problem.create(Profile(...), [Soil(...)], SpecifiedSurface(points, bishop=True))
    results = run(problem)
    print(results.factor_of_safety, results.outcome)
"""

import sys

from .datalines import InputFormatError, format_real
from .montecarlo import (
    LogNormal,
    MonteCarloResult,
    Normal,
    SoilProperty,
    Uniform,
    apply_sample,
    monte_carlo,
)
from .parametric import ParametricResult, parametric
from .problem import (
    Analysis,
    Anisotropy,
    AnisotropyEntry,
    Block2Search,
    BlockSearch,
    Boundary,
    Box,
    Circle2Search,
    CircleSearch,
    Command,
    Controls,
    DepthVariation,
    DirectionRange,
    Earthquake,
    Execute,
    Frame,
    LimitBoundary,
    Limits,
    Load,
    Loads,
    PiezometricSurface,
    Problem,
    Profile,
    RandomSearch,
    Reinforcement,
    ReinforcementLayer,
    ReinforcementPoint,
    SpecifiedSurface,
    Spencer,
    Soil,
    SoilChange,
    SoilChanges,
    Soils,
    Tie,
    Ties,
    Toggle,
    Units,
    Water,
)
from .results import (
    AnalysisResult,
    Circle,
    RefinedSurface,
    Results,
    ResultsFormatError,
    ResultWarning,
    RunFailed,
    SearchOutcome,
    SliceRow,
    SliceTable,
    Surface,
)
from .runner import HostError, find_host, host_capabilities, run, run_many
from .validation import ProblemError

__version__ = "2025.0"

# Everything above but the submodules, so that `from scarpex import *` cannot shadow names
# such as `problem` or `results` in the caller's code.
__all__ = [name for name, value in dict(globals()).items()
           if not name.startswith("_") and not isinstance(value, type(sys))]
