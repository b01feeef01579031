"""The probabilistic study, on a case with a known answer: a frictionless soil on a fixed
circle, whose factor of safety by the Modified Bishop method is proportional to the
cohesion, F = k c. A normal cohesion then gives a normal F with mean k mean(c) and standard
deviation k sd(c), and F < 1 exactly where c < 1/k."""

import math
import re
import xml.etree.ElementTree as ET
from concurrent.futures import ThreadPoolExecutor

import numpy as np
import pytest
from conftest import write_host
from test_input_files import layered_problem

from scarpex import (
    Boundary,
    LogNormal,
    Normal,
    Problem,
    ProblemError,
    Profile,
    Soil,
    SoilProperty,
    SpecifiedSurface,
    Uniform,
    apply_sample,
    monte_carlo,
    run,
)
from scarpex.montecarlo import PROPERTY_RANGES, MonteCarloResult, _truncated
from scarpex.svg import histogram_counts, histogram_svg

SAMPLES = 300  # each sample is one engine process: enough for a tight check, a few seconds
Z = 4.0  # the checks allow four standard errors of sampling


def frictionless(cohesion=20.0):
    circle = layered_problem().find(SpecifiedSurface)
    return Problem.create(
        Profile("FRICTIONLESS SLOPE ON A FIXED CIRCLE",
                [Boundary(0.0, 20.0, 20.0, 20.0, 1), Boundary(20.0, 20.0, 40.0, 30.0, 1),
                 Boundary(40.0, 30.0, 70.0, 30.0, 1)], top_count=3),
        [Soil(18.0, 18.0, cohesion, 0.0)],
        circle,
    )


@pytest.fixture(scope="module")
def slope_factor(json_host):
    """k of F = k c, from one run at a large cohesion (so that the printed digits of F give
    k to four significant figures or better)."""
    results = run(frictionless(200.0))
    assert results.completed
    return results.factor_of_safety / 200.0


def test_the_factor_is_proportional_to_the_cohesion(json_host, slope_factor):
    for c in (10.0, 35.0):
        assert run(frictionless(c)).factor_of_safety == pytest.approx(slope_factor * c, abs=6e-4)


def test_mean_and_sd_of_the_factor_match_the_exact_values(json_host, slope_factor, tmp_path):
    mean_c, sd_c = 20.0, 3.0
    study = monte_carlo(frictionless(), {"soil 1 cohesion": Normal(mean_c, sd_c)},
                        n=SAMPLES, seed=20251209, jobs=2, workdir=tmp_path)
    cohesions = study.samples[SoilProperty(1, "cohesion")]
    assert study.failed_runs == 0 and len(cohesions) == SAMPLES
    # Every sample ran with its own cohesion.
    assert np.allclose(study.factors, slope_factor * cohesions, atol=6e-4 + 2e-4 * study.factors)
    exact_mean, exact_sd = slope_factor * mean_c, slope_factor * sd_c
    assert abs(study.mean - exact_mean) < Z * exact_sd / math.sqrt(SAMPLES)
    assert abs(study.sd - exact_sd) < Z * exact_sd / math.sqrt(2 * (SAMPLES - 1))
    assert study.reliability_index == pytest.approx((study.mean - 1) / study.sd)


def test_probability_of_failure_matches_a_direct_count(json_host, slope_factor, tmp_path):
    critical_c = 1.0 / slope_factor  # F = 1
    study = monte_carlo(frictionless(), {(1, "c"): Normal(1.05 * critical_c, 0.1 * critical_c)},
                        n=SAMPLES, seed=7, jobs=2, workdir=tmp_path)
    cohesions = study.samples[SoilProperty(1, "cohesion")]
    direct = np.mean(cohesions < critical_c)
    # Samples within the printed precision of F = 1 may fall on either side.
    undecided = np.mean(np.abs(slope_factor * cohesions - 1.0) < 1e-3)
    assert abs(study.probability_of_failure - direct) <= undecided
    expected = 0.5 * math.erfc(0.5 / math.sqrt(2))  # P(Z < -0.5)
    assert abs(study.probability_of_failure - expected) < Z * math.sqrt(
        expected * (1 - expected) / SAMPLES)
    svg = study.histogram_svg(bins=15)
    bars = [e for e in ET.fromstring(svg).iter() if e.get("class") == "bar"]
    assert len(bars) == 15
    assert sum(int(b.find("{http://www.w3.org/2000/svg}title").text.split(": ")[1])
               for b in bars) == SAMPLES


def test_the_same_seed_gives_the_same_study(json_host, tmp_path):
    args = dict(variables={"soil 1 cohesion": Normal(20.0, 3.0)}, n=12, seed=99, jobs=2)
    first = monte_carlo(frictionless(), workdir=tmp_path / "a", **args)
    again = monte_carlo(frictionless(), workdir=tmp_path / "b", **args)
    assert np.array_equal(first.factors, again.factors)
    other = monte_carlo(frictionless(), workdir=tmp_path / "c", **{**args, "seed": 100})
    assert not np.array_equal(first.factors, other.factors)


def test_draws_are_truncated_to_the_physical_range_of_the_property():
    rng = np.random.default_rng(1)
    cohesion = _truncated(Normal(1.0, 5.0), rng, 2000, 0.0, math.inf, "c")
    assert cohesion.min() >= 0.0 and len(cohesion) == 2000
    angles = _truncated(Uniform(20.0, 120.0), rng, 2000, 0.0, 89.999, "phi")
    assert angles.max() <= 89.999 and angles.min() >= 20.0
    lognormal = LogNormal(30.0, 6.0).draw(rng, 200_000)
    assert lognormal.mean() == pytest.approx(30.0, rel=0.01)
    assert lognormal.std() == pytest.approx(6.0, rel=0.02)
    with pytest.raises(ProblemError, match="rarely falls"):
        _truncated(Normal(-100.0, 1.0), rng, 10, 0.0, math.inf, "soil 1 cohesion")


def test_a_sample_changes_the_property_wherever_the_soil_type_is_defined():
    from scarpex import SoilChange, SoilChanges

    problem = layered_problem()
    problem.commands.insert(2, SoilChanges([SoilChange(2, Soil(19.0, 20.0, 11.0, 24.0))]))
    sample = apply_sample(problem, {SoilProperty(2, "friction_angle"): 31.5})
    assert sample.soils.soils[1].friction_angle == 31.5
    assert sample.commands[2].changes[0].soil.friction_angle == 31.5
    assert problem.soils.soils[1].friction_angle == 25.0  # the original stays as it was
    with pytest.raises(ProblemError, match="no soil type 3"):
        apply_sample(problem, {SoilProperty(3, "cohesion"): 1.0})
    with pytest.raises(ProblemError, match="not a property that can vary"):
        SoilProperty.of("soil 1 colour")


def test_statistics_leave_out_runs_without_a_factor_and_count_them():
    result = MonteCarloResult({}, np.array([0.9, 1.1, np.nan, 1.3]), ["completed"] * 2
                              + ["aborted", "completed"], seed=1)
    assert result.failed_runs == 1
    assert result.mean == pytest.approx(1.1) and result.sd == pytest.approx(0.2)
    assert result.probability_of_failure == pytest.approx(1 / 3)
    assert result.probability_of_failure_counting_failed_runs == pytest.approx(2 / 4)
    assert "1 without a factor of safety" in result.summary()


def test_samples_that_fail_are_counted_with_their_reasons_and_both_probabilities(
        json_host, slope_factor, tmp_path, monkeypatch):
    # Untruncated draws, so that some cohesions are negative: validation refuses those.
    monkeypatch.setitem(PROPERTY_RANGES, "cohesion", (-math.inf, math.inf))
    # The first sample to reach the host never finishes.
    host = write_host(tmp_path, f'mkdir {tmp_path}/held 2>/dev/null && exec sleep 60\n'
                                f'exec {json_host} "$@"')
    critical_c = 1.0 / slope_factor
    with ThreadPoolExecutor(2) as pool, pytest.warns(
            RuntimeWarning, match=r"of 20 samples \(\d+\.\d%\) gave no factor of safety"):
        study = monte_carlo(frictionless(), {"soil 1 cohesion": Normal(critical_c, critical_c)},
                            n=20, seed=3, host=host, timeout=1.0, executor=pool)
    negative = set(np.flatnonzero(study.samples[SoilProperty(1, "cohesion")] < 0))
    refused = {i for i, why in study.reasons.items()
               if re.fullmatch(r"failed: not run: .* soil 1 cohesion: -[\d.]+ is negative", why)}
    timed_out = [i for i, why in study.reasons.items() if why.startswith("timed out: ")]
    assert negative and refused == negative and len(timed_out) == 1
    assert study.failed_runs == len(negative) + 1 and study.outcomes[timed_out[0]] == "timed out"
    factors = study.factors[np.isfinite(study.factors)]
    below = int((factors < 1.0).sum())
    assert study.probability_of_failure == below / len(factors)
    assert study.probability_of_failure_counting_failed_runs == (below + study.failed_runs) / 20
    assert "counted as failures" in study.summary()


def test_histogram_counts_put_every_value_in_a_bin():
    counts, low, high = histogram_counts([1.0, 1.5, 2.0, 2.0], 4)
    assert counts == [1, 0, 1, 2] and (low, high) == (1.0, 2.0)
    ET.fromstring(histogram_svg([1.2] * 5, bins=3, mean=1.2))  # one distinct value still draws
