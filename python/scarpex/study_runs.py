"""The runs of a study: one problem per sample or grid point, each validated, and what each
gave. A sample that fails validation is not run; like a run that gave no results, it stays
in the study as a failed result with its reason, so that the study loses no sample."""

from __future__ import annotations

import os
from typing import Any, Optional, Sequence, Union

from .problem import Problem
from .results import Results
from .runner import DEFAULT_TIMEOUT, run_names, run_texts


def run_samples(problems: Sequence[Problem], workdir: Union[str, os.PathLike, None] = None,
                *, jobs: Optional[int] = None, host: Union[str, os.PathLike, None] = None,
                timeout: Optional[float] = DEFAULT_TIMEOUT, executor: Any = None,
                progress: Optional[bool] = None) -> list[Results]:
    """The results of every problem in order; runs folders `runs/run0001`, ... keep the
    number of their sample."""
    names = run_names(len(problems))
    results: list[Optional[Results]] = [None] * len(problems)
    texts: dict[int, str] = {}
    for i, problem in enumerate(problems):
        try:
            problem.validate()
            texts[i] = problem.to_input()
        except ValueError as error:  # ProblemError, or a value the input file cannot hold
            results[i] = Results.failed(f"not run: {error}")
    ran = run_texts(list(texts.values()), [names[i] for i in texts], workdir, jobs=jobs,
                    host=host, timeout=timeout, executor=executor, progress=progress)
    for i, result in zip(texts, ran):
        results[i] = result
    return results


def factor_of(results: Results) -> Optional[float]:
    """The factor of safety of a run that completed with one, else None."""
    if results.completed and results.factor_of_safety is not None:
        return results.factor_of_safety
    return None


def why_no_factor(results: Results) -> str:
    """Why a run gave no factor of safety, in a line."""
    if results.reason:
        return f"{results.outcome}: {results.reason}"
    codes = list(results.error_codes)
    if results.not_available:
        codes.append(results.not_available)
    return f"{results.outcome}: {', '.join(codes) or 'no factor of safety'}"
