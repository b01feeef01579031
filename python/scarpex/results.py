"""Typed results of a run, read from the host's JSON document (schema "scarpex-results").

The host reads the engine's four output files back and writes them as one JSON document;
these classes give that document types. Coordinates are in the input's own frame; `frame`
says how the user's picture is mirrored or shifted. A run that gave no document at all (the
host failed, crashed or ran out of time) is a Results too, with the reason, so that a batch
loses none of its entries.
"""

from __future__ import annotations

import json
from dataclasses import dataclass, field
from typing import Any, ClassVar, Optional

# The parts of a run's results have a module of their own; their names stay importable here.
from .analysis_results import (  # noqa: F401
    AnalysisResult,
    Circle,
    DrawnBoundary,
    Drawing,
    LineOfThrust,
    RefinedSurface,
    SLICE_COLUMNS,
    SearchOutcome,
    SliceRow,
    SliceTable,
    Surface,
    ThrustPoint,
    TrialSurface,
)
from .json_values import (integer, items, mapping, number, optional_integer, optional_number,
                          text)

Point = tuple[float, float]

SCHEMA = "scarpex-results"
# Versions of the schema this reader understands.
SUPPORTED_SCHEMA_VERSIONS = (1, 2)

# Outcomes of a run the engine made, as the host reports them.
COMPLETED, ABORTED, INCOMPLETE = "completed", "aborted", "incomplete"
# Outcomes of a run that gave no results document: the host failed (or its results could not
# be read or belonged to another run), died of a signal, or ran longer than its timeout.
FAILED, CRASHED, TIMED_OUT = "failed", "crashed", "timed out"
NO_RESULTS_OUTCOMES = (FAILED, CRASHED, TIMED_OUT)

# What reading a document of the wrong shape raises in the readers of its parts.
_SHAPE_ERRORS = (TypeError, ValueError, AttributeError, KeyError, IndexError)


class ResultsFormatError(ValueError):
    """A JSON document that is not a results document this reader understands."""


class RunFailed(RuntimeError):
    """A run that did not complete, raised on request by `Results.check()`."""

    def __init__(self, results: "Results"):
        self.results = results
        if results.reason:
            super().__init__(f"the run {results.outcome}: {results.reason}")
            return
        codes = ", ".join(results.error_codes) or "no error code"
        note = f" ({results.not_available})" if results.not_available else ""
        super().__init__(f"the run {results.outcome}: {codes}{note}")


@dataclass
class ErrorLine:
    code: str  # such as "PF02"
    detail: str  # what follows the code on its line (an item number)
    file: str  # "report" or "trace"
    line: int
    message: str = ""  # the error in words: the code's meaning, the detail, the input line
    input_line: Optional[int] = None  # of the input file, at a data-line or command-word error
    input_text: Optional[str] = None


@dataclass
class ResultWarning:
    """What a result is worth: a stable code (the README lists them) and the message."""

    code: str
    message: str

    @classmethod
    def parse(cls, w: Any) -> "ResultWarning":
        if isinstance(w, dict):
            return cls(text(w.get("code")), text(w.get("message")))
        return cls("", text(w))  # schema version 1: the message alone


@dataclass
class StatusLine:
    number: int
    text: str
    count: int


@dataclass
class RunFiles:
    input: str = ""
    report: str = ""
    plot: str = ""
    trace: str = ""
    status: str = ""

    KINDS: ClassVar[tuple[str, ...]] = ("input", "report", "plot", "trace", "status")


@dataclass
class Results:
    """What a run gave. `outcome` is "completed", "aborted" or "incomplete" for a run the
    engine made; an aborted run carries its error codes. A run that gave no results is
    "failed", "crashed" or "timed out", with `reason` saying why. `check()` turns anything
    but completion into an exception."""

    outcome: str
    method: Optional[str]
    factor_of_safety: Optional[float]
    theta: Optional[float]
    status: str
    trial_count: int
    error_codes: list[str]
    errors: list[ErrorLine]
    analyses: list[AnalysisResult]
    title: str = ""
    unit_system: Optional[str] = None
    length_unit: Optional[str] = None
    mirrored: bool = False
    mirror_axis_x: float = 0.0
    shift_x: float = 0.0
    shift_y: float = 0.0
    status_lines: list[StatusLine] = field(default_factory=list)
    trace_messages: list[str] = field(default_factory=list)
    warnings: list[ResultWarning] = field(default_factory=list)
    # "completed", "completed with warnings", "incomplete" or "aborted" (as the host's exit
    # status and batch say); why a completed run's result is incomplete.
    verdict: str = ""
    incomplete_reasons: list[str] = field(default_factory=list)
    files: RunFiles = field(default_factory=RunFiles)
    refined: Optional[RefinedSurface] = None  # with refine=True, after a search
    host_svg: Optional[str] = None  # the host's own picture and HTML page, when asked for
    host_html: Optional[str] = None
    document: dict = field(default_factory=dict, repr=False)
    reason: Optional[str] = None  # why a run gave no results (None when it gave some)

    # -- reading

    @classmethod
    def from_json(cls, text: str) -> "Results":
        try:
            document = json.loads(text)
        except json.JSONDecodeError as error:
            raise ResultsFormatError(f"the results are not JSON: {error}") from None
        return cls.from_dict(document)

    @classmethod
    def from_dict(cls, d: dict) -> "Results":
        if not isinstance(d, dict) or d.get("schema") != SCHEMA:
            raise ResultsFormatError(f"not a {SCHEMA} document")
        version = d.get("schema_version")
        if version not in SUPPORTED_SCHEMA_VERSIONS:
            raise ResultsFormatError(f"{SCHEMA} version {version} is not supported")
        try:
            return cls._parse(d)
        except _SHAPE_ERRORS as error:
            raise ResultsFormatError(f"a {SCHEMA} document of an unexpected shape: "
                                     f"{type(error).__name__}: {error}") from None

    @classmethod
    def _parse(cls, d: dict) -> "Results":
        summary = mapping(d.get("summary"))
        frame = mapping(d.get("frame"))
        units = mapping(d.get("units"))
        files = mapping(d.get("files"))
        return cls(
            outcome=text(d.get("outcome", summary.get("outcome")), INCOMPLETE),
            method=summary.get("method"),
            factor_of_safety=optional_number(summary.get("factor_of_safety")),
            theta=optional_number(summary.get("theta")),
            status=text(summary.get("status"), "unknown"),
            trial_count=integer(summary.get("trials")),
            error_codes=[str(c) for c in items(summary.get("error_codes"))],
            errors=[ErrorLine(text(e.get("code")), text(e.get("detail")), text(e.get("file")),
                              integer(e.get("line")), text(e.get("message")),
                              optional_integer(e.get("input_line")),
                              None if e.get("input_text") is None else text(e.get("input_text")))
                    for e in items(d.get("errors"))],
            analyses=[AnalysisResult.parse(a) for a in items(d.get("analyses"))],
            title=text(d.get("title")),
            unit_system=units.get("system"),
            length_unit=units.get("length"),
            mirrored=bool(frame.get("mirrored", False)),
            mirror_axis_x=number(frame.get("mirror_axis_x", 0.0)),
            shift_x=number(frame.get("shift_x", 0.0)),
            shift_y=number(frame.get("shift_y", 0.0)),
            status_lines=[StatusLine(integer(s.get("number")), text(s.get("text")),
                                     integer(s.get("count")))
                          for s in items(d.get("status_lines"))],
            trace_messages=[text(m.get("text")) for m in items(d.get("trace_messages"))],
            warnings=[ResultWarning.parse(w) for w in items(d.get("warnings"))],
            verdict=text(d.get("verdict", d.get("outcome"))),
            incomplete_reasons=[str(r) for r in items(d.get("incomplete_reasons"))],
            files=RunFiles(**{k: text(files.get(k)) for k in RunFiles.KINDS}),
            refined=RefinedSurface.parse(d.get("refined")),
            document=d,
        )

    @classmethod
    def failed(cls, reason: str, outcome: str = FAILED) -> "Results":
        """A run that gave no results document, and why."""
        return cls(outcome=outcome, method=None, factor_of_safety=None, theta=None,
                   status="unknown", trial_count=0, error_codes=[], errors=[], analyses=[],
                   verdict=outcome, reason=reason)

    # -- asking

    @property
    def completed(self) -> bool:
        return self.outcome == COMPLETED

    @property
    def aborted(self) -> bool:
        return self.outcome == ABORTED

    @property
    def no_results(self) -> bool:
        """The run gave no results document: it failed, crashed or timed out."""
        return self.outcome in NO_RESULTS_OUTCOMES

    @property
    def incomplete(self) -> bool:
        """The run completed, but its result is incomplete (see `incomplete_reasons`)."""
        return self.verdict == INCOMPLETE

    @property
    def search(self) -> Optional[SearchOutcome]:
        """The outcome of the search the summary speaks of (or the last search)."""
        head = self.headline
        if head is not None and head.search is not None:
            return head.search
        for analysis in reversed(self.analyses):
            if analysis.search is not None:
                return analysis.search
        return None

    @property
    def not_available(self) -> Optional[str]:
        """The engine's message when it does not offer a command in this version."""
        for message in self.trace_messages:
            if "Not Available" in message:
                return message.strip("* ").strip()
        return None

    @property
    def factors_of_safety(self) -> list[Optional[float]]:
        """The factor of safety of every analysis, in the order of the input."""
        return [a.factor_of_safety for a in self.analyses]

    @property
    def headline(self) -> Optional[AnalysisResult]:
        """The last analysis with a factor of safety (the one the summary speaks of)."""
        for analysis in reversed(self.analyses):
            if analysis.factor_of_safety is not None:
                return analysis
        return self.analyses[-1] if self.analyses else None

    @property
    def critical_surface(self) -> Optional[Surface]:
        a = self.headline
        return a.critical_surface if a else None

    @property
    def critical_surfaces(self) -> list[Surface]:
        a = self.headline
        if a is None:
            return []
        return list(a.critical) if a.critical else ([a.surface] if a.surface else [])

    @property
    def slices(self) -> Optional[SliceTable]:
        a = self.headline
        return a.slices if a else None

    @property
    def line_of_thrust(self) -> Optional[LineOfThrust]:
        a = self.headline
        return a.line_of_thrust if a else None

    def check(self) -> "Results":
        """Returns self when the run completed; raises RunFailed otherwise."""
        if not self.completed:
            raise RunFailed(self)
        return self

    def to_svg(self, width: int = 800) -> str:
        """A picture of the problem and its critical surfaces."""
        from .svg import results_svg

        return results_svg(self, width)
