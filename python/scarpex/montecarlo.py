"""A probabilistic study: soil properties drawn at random, one engine run per sample.

Each sample runs in a process of its own (through the host's batch runner when it has one),
so every run starts fresh and the study is reproducible for a given seed. The sampling uses
numpy's Generator; the rest of the package needs only the standard library.
"""

from __future__ import annotations

import math
import os
import re
from dataclasses import dataclass, field
from typing import Mapping, Optional, Sequence, Union

from .problem import Problem, Soils, SoilChanges
from .runner import run_many
from .validation import ProblemError

# Physical ranges of the soil properties a study may vary: draws outside them are drawn again
# (the distribution is truncated to the range).
PROPERTY_RANGES: dict[str, tuple[float, float]] = {
    "total_unit_weight": (0.0, math.inf),
    "saturated_unit_weight": (0.0, math.inf),
    "cohesion": (0.0, math.inf),
    "friction_angle": (0.0, 89.999),
    "pore_pressure_ratio": (0.0, 1.0),
    "pore_pressure_constant": (0.0, math.inf),
}
_ALIASES = {"phi": "friction_angle", "friction": "friction_angle", "c": "cohesion",
            "unit_weight": "total_unit_weight", "gamma": "total_unit_weight", "ru": "pore_pressure_ratio"}

# Draws of a truncated distribution are repeated this often before the range is declared
# out of the distribution's reach.
_MAX_REDRAWS = 1000


@dataclass(frozen=True)
class SoilProperty:
    """A property of one soil type, such as the cohesion of soil 1."""

    soil: int
    name: str

    def __str__(self) -> str:
        return f"soil {self.soil} {self.name}"

    @classmethod
    def of(cls, key: Union["SoilProperty", str, tuple]) -> "SoilProperty":
        """Accepts SoilProperty(1, "cohesion"), (1, "cohesion") or "soil 1 cohesion"."""
        if isinstance(key, SoilProperty):
            soil, name = key.soil, key.name
        elif isinstance(key, tuple) and len(key) == 2:
            soil, name = key
        elif isinstance(key, str):
            match = re.fullmatch(r"\s*soil\s+(\d+)\s+([A-Za-z_ ]+?)\s*", key)
            if not match:
                raise ProblemError(repr(key), 'name a property as "soil N property"')
            soil, name = int(match.group(1)), match.group(2).replace(" ", "_")
        else:
            raise ProblemError(repr(key), "not a soil property")
        name = _ALIASES.get(name, name)
        if name not in PROPERTY_RANGES:
            raise ProblemError(f"soil {soil} {name}",
                               f"not a property that can vary ({', '.join(PROPERTY_RANGES)})")
        return cls(int(soil), name)


class Distribution:
    low: Optional[float] = None
    high: Optional[float] = None

    def draw(self, rng, n: int):
        raise NotImplementedError


@dataclass(frozen=True)
class Normal(Distribution):
    mean: float
    sd: float
    low: Optional[float] = None  # further truncation, inside the property's own range
    high: Optional[float] = None

    def draw(self, rng, n: int):
        return rng.normal(self.mean, self.sd, n)


@dataclass(frozen=True)
class LogNormal(Distribution):
    """Log-normal, given by the mean and standard deviation of the value itself."""

    mean: float
    sd: float
    low: Optional[float] = None
    high: Optional[float] = None

    def draw(self, rng, n: int):
        if self.mean <= 0:
            raise ValueError("LogNormal: the mean must be above 0")
        sigma2 = math.log(1.0 + (self.sd / self.mean) ** 2)
        mu = math.log(self.mean) - sigma2 / 2
        return rng.lognormal(mu, math.sqrt(sigma2), n)


@dataclass(frozen=True)
class Uniform(Distribution):
    low: float
    high: float

    def draw(self, rng, n: int):
        return rng.uniform(self.low, self.high, n)


def _truncated(dist: Distribution, rng, n: int, lo: float, hi: float, item: str):
    import numpy as np

    if dist.low is not None:
        lo = max(lo, dist.low)
    if dist.high is not None:
        hi = min(hi, dist.high)
    values = np.asarray(dist.draw(rng, n), dtype=float)
    for _ in range(_MAX_REDRAWS):
        bad = (values < lo) | (values > hi)
        if not bad.any():
            return values
        values[bad] = dist.draw(rng, int(bad.sum()))
    raise ProblemError(item, f"the distribution rarely falls within {lo} to {hi}")


def apply_sample(problem: Problem, values: Mapping[SoilProperty, float]) -> Problem:
    """A copy of the problem with the given soil properties set wherever the soil type is
    defined (every new set of soil types, and every change of that type)."""
    sample = problem.copy()
    for prop, value in values.items():
        touched = False
        for command in sample.commands:
            if isinstance(command, Soils) and 1 <= prop.soil <= len(command.soils):
                setattr(command.soils[prop.soil - 1], prop.name, float(value))
                touched = True
            elif isinstance(command, SoilChanges):
                for change in command.changes:
                    if change.soil_type == prop.soil:
                        setattr(change.soil, prop.name, float(value))
                        touched = True
        if not touched:
            raise ProblemError(str(prop), f"the problem defines no soil type {prop.soil}")
    return sample


@dataclass
class MonteCarloResult:
    """The factor of safety of every sample (NaN where a run gave none) and its statistics
    over the samples that gave one."""

    samples: dict  # SoilProperty -> numpy array of the drawn values
    factors: "object"  # numpy array, one per sample
    outcomes: list[str]
    seed: Optional[int]
    failure_threshold: float = 1.0
    errors: dict = field(default_factory=dict)  # sample index -> error codes of a failed run

    @property
    def valid(self):
        import numpy as np

        return self.factors[np.isfinite(self.factors)]

    @property
    def n(self) -> int:
        return len(self.factors)

    @property
    def failed_runs(self) -> int:
        """Samples whose run gave no factor of safety (aborted, or no results)."""
        return self.n - len(self.valid)

    @property
    def mean(self) -> float:
        return float(self.valid.mean()) if len(self.valid) else math.nan

    @property
    def sd(self) -> float:
        return float(self.valid.std(ddof=1)) if len(self.valid) > 1 else math.nan

    @property
    def probability_of_failure(self) -> float:
        """The share of the samples with a factor of safety below the threshold (1.0)."""
        valid = self.valid
        return float((valid < self.failure_threshold).mean()) if len(valid) else math.nan

    @property
    def reliability_index(self) -> float:
        """(mean - 1) / sd: standard deviations between the mean factor and failure."""
        sd = self.sd
        return (self.mean - self.failure_threshold) / sd if sd and sd > 0 else math.nan

    def summary(self) -> str:
        lines = [
            f"samples: {self.n} ({self.failed_runs} without a factor of safety)",
            f"mean factor of safety: {self.mean:.4f}",
            f"standard deviation: {self.sd:.4f}",
            f"probability of failure (F < {self.failure_threshold:g}): {self.probability_of_failure:.4f}",
            f"reliability index: {self.reliability_index:.3f}",
        ]
        return "\n".join(lines)

    def histogram_svg(self, bins: int = 20, width: int = 640, height: int = 400) -> str:
        from .svg import histogram_svg

        return histogram_svg(list(self.valid), bins=bins, width=width, height=height,
                             threshold=self.failure_threshold, mean=self.mean,
                             title=f"Factor of safety, {len(self.valid)} samples")


def monte_carlo(
    problem: Problem,
    variables: Mapping[Union[SoilProperty, str, tuple], Distribution],
    n: int = 1000,
    seed: Optional[int] = None,
    jobs: Optional[int] = None,
    *,
    host: Union[str, os.PathLike, None] = None,
    workdir: Union[str, os.PathLike, None] = None,
    failure_threshold: float = 1.0,
) -> MonteCarloResult:
    """Samples the soil properties and runs each sample as its own process.

    `variables` maps a soil property ("soil 1 cohesion", (2, "friction_angle") or a
    SoilProperty) to its distribution; draws are truncated to the property's physical
    range. The same seed gives the same samples and so the same study. Every sample problem
    is validated before any run."""
    import numpy as np

    if n < 1:
        raise ValueError("monte_carlo: n must be at least 1")
    props = [SoilProperty.of(k) for k in variables]
    if len(set(props)) != len(props):
        raise ProblemError("variables", "a property is named twice")
    problem.validate()
    rng = np.random.default_rng(seed)
    samples = {}
    for prop, dist in zip(props, variables.values()):
        lo, hi = PROPERTY_RANGES[prop.name]
        samples[prop] = _truncated(dist, rng, n, lo, hi, str(prop))
    problems = [apply_sample(problem, {p: samples[p][i] for p in props}) for i in range(n)]
    for i, sample in enumerate(problems):
        try:
            sample.validate()
        except ProblemError as error:
            raise ProblemError(f"sample {i + 1}", str(error)) from None
    results = run_many(problems, workdir, jobs=jobs, host=host, validate=False)
    factors = np.full(n, np.nan)
    outcomes: list[str] = []
    errors: dict = {}
    for i, r in enumerate(results):
        if r is None:
            outcomes.append("no results")
            continue
        outcomes.append(r.outcome)
        if r.completed and r.factor_of_safety is not None:
            factors[i] = r.factor_of_safety
        else:
            errors[i] = list(r.error_codes) or ([r.not_available] if r.not_available else [])
    return MonteCarloResult(samples, factors, outcomes, seed, failure_threshold, errors)


__all__: Sequence[str] = [
    "SoilProperty", "Normal", "LogNormal", "Uniform", "monte_carlo", "MonteCarloResult",
    "apply_sample", "PROPERTY_RANGES",
]
