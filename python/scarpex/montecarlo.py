"""A probabilistic study: soil properties drawn at random, one engine run per sample.

Each sample runs in a process of its own, on this machine or on any executor (a Dask cluster,
say), so every run starts fresh and the study is reproducible for a given seed. The sampling
uses numpy's Generator; the rest of the package needs only the standard library.
"""

from __future__ import annotations

import math
import os
import warnings
from dataclasses import dataclass, field
from typing import Any, Mapping, Optional, Sequence, Union

from .problem import Problem
from .runner import DEFAULT_TIMEOUT
from .soil_properties import PROPERTY_RANGES, SoilProperty, apply_sample
from .study_runs import factor_of, run_samples, why_no_factor
from .validation import ProblemError

# A study warns when more than this share of its samples gave no factor of safety.
WARN_ABOVE_FAILED_SHARE = 0.01

# Draws of a truncated distribution are repeated this often before the range is declared
# out of the distribution's reach.
_MAX_REDRAWS = 1000


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


@dataclass
class MonteCarloResult:
    """The factor of safety of every sample (NaN where a run gave none) and its statistics
    over the samples that gave one. The samples without a factor are counted, each with
    its reason, and the probability of failure is given both with them counted as failures
    and without them."""

    samples: dict  # SoilProperty -> numpy array of the drawn values
    factors: "object"  # numpy array, one per sample
    outcomes: list[str]
    seed: Optional[int]
    failure_threshold: float = 1.0
    errors: dict = field(default_factory=dict)  # sample index -> error codes of a failed run
    reasons: dict = field(default_factory=dict)  # sample index -> why it gave no factor

    @property
    def valid(self):
        import numpy as np

        return self.factors[np.isfinite(self.factors)]

    @property
    def n(self) -> int:
        return len(self.factors)

    @property
    def failed_runs(self) -> int:
        """Samples whose run gave no factor of safety (not run, aborted, failed, crashed or
        timed out)."""
        return self.n - len(self.valid)

    @property
    def failed_share(self) -> float:
        return self.failed_runs / self.n if self.n else math.nan

    @property
    def mean(self) -> float:
        return float(self.valid.mean()) if len(self.valid) else math.nan

    @property
    def sd(self) -> float:
        return float(self.valid.std(ddof=1)) if len(self.valid) > 1 else math.nan

    @property
    def probability_of_failure(self) -> float:
        """The share of the samples with a factor of safety below the threshold (1.0),
        among the samples that gave one."""
        return self.probability_of_failure_excluding_failed_runs

    @property
    def probability_of_failure_excluding_failed_runs(self) -> float:
        valid = self.valid
        return float((valid < self.failure_threshold).mean()) if len(valid) else math.nan

    @property
    def probability_of_failure_counting_failed_runs(self) -> float:
        """The share of all samples that fell below the threshold or gave no factor: the
        probability of failure if every sample without a factor had failed."""
        below = int((self.valid < self.failure_threshold).sum())
        return (below + self.failed_runs) / self.n if self.n else math.nan

    @property
    def reliability_index(self) -> float:
        """(mean - 1) / sd: standard deviations between the mean factor and failure."""
        sd = self.sd
        return (self.mean - self.failure_threshold) / sd if sd and sd > 0 else math.nan

    def summary(self) -> str:
        probability = f"probability of failure (F < {self.failure_threshold:g})"
        if self.failed_runs:
            probabilities = [
                f"{probability}, samples without a factor left out: "
                f"{self.probability_of_failure_excluding_failed_runs:.4f}",
                f"{probability}, samples without a factor counted as failures: "
                f"{self.probability_of_failure_counting_failed_runs:.4f}",
            ]
        else:
            probabilities = [f"{probability}: {self.probability_of_failure:.4f}"]
        lines = [
            f"samples: {self.n} ({self.failed_runs} without a factor of safety)",
            f"mean factor of safety: {self.mean:.4f}",
            f"standard deviation: {self.sd:.4f}",
            *probabilities,
            f"reliability index: {self.reliability_index:.3f}",
        ]
        if self.reasons:
            first = min(self.reasons)
            lines.append(f"first sample without a factor, number {first + 1}: "
                         f"{self.reasons[first]}")
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
    timeout: Optional[float] = DEFAULT_TIMEOUT,
    executor: Any = None,
    progress: Optional[bool] = None,
) -> MonteCarloResult:
    """Samples the soil properties and runs each sample as its own process.

    `variables` maps a soil property ("soil 1 cohesion", (2, "friction_angle") or a
    SoilProperty) to its distribution; draws are truncated to the property's physical
    range. The same seed gives the same samples and so the same study, on whichever
    executor runs it (see run_many for `executor`, `jobs`, `timeout` per run and
    `progress`). A sample that fails validation is not run; it counts, like a run that gave
    no factor of safety, as a failed sample with its reason, and a warning says so when such
    samples are more than 1 % of the study."""
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
    results = run_samples(problems, workdir, jobs=jobs, host=host, timeout=timeout,
                          executor=executor, progress=progress)
    study = MonteCarloResult(samples, np.full(n, np.nan), [r.outcome for r in results], seed,
                             failure_threshold)
    for i, r in enumerate(results):
        factor = factor_of(r)
        if factor is not None:
            study.factors[i] = factor
            continue
        study.reasons[i] = why_no_factor(r)
        if not r.no_results:
            study.errors[i] = list(r.error_codes) or ([r.not_available] if r.not_available else [])
    _warn_of_failed_samples(study)
    return study


def _warn_of_failed_samples(study: MonteCarloResult) -> None:
    if study.failed_share <= WARN_ABOVE_FAILED_SHARE:
        return
    warnings.warn(
        f"{study.failed_runs} of {study.n} samples ({study.failed_share:.1%}) gave no factor "
        f"of safety: the probability of failure is "
        f"{study.probability_of_failure_counting_failed_runs:.4f} with them counted as "
        f"failures, {study.probability_of_failure_excluding_failed_runs:.4f} without them "
        f"(reasons: MonteCarloResult.reasons)", RuntimeWarning, stacklevel=3)


__all__: Sequence[str] = [
    "SoilProperty", "Normal", "LogNormal", "Uniform", "monte_carlo", "MonteCarloResult",
    "apply_sample", "PROPERTY_RANGES",
]
