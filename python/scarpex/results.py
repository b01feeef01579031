"""Typed results of a run, read from the host's JSON document (schema "scarpex-results").

The host reads the engine's four output files back and writes them as one JSON document;
these classes give that document types. Coordinates are in the input's own frame; `frame`
says how the user's picture is mirrored or shifted.
"""

from __future__ import annotations

import json
from dataclasses import dataclass, field
from typing import Any, Optional

Point = tuple[float, float]

SCHEMA = "scarpex-results"
# Versions of the schema this reader understands.
SUPPORTED_SCHEMA_VERSIONS = (1, 2)

COMPLETED, ABORTED, INCOMPLETE = "completed", "aborted", "incomplete"


class ResultsFormatError(ValueError):
    """A JSON document that is not a results document this reader understands."""


class RunFailed(RuntimeError):
    """A run that did not complete, raised on request by `Results.check()`."""

    def __init__(self, results: "Results"):
        self.results = results
        codes = ", ".join(results.error_codes) or "no error code"
        note = f" ({results.not_available})" if results.not_available else ""
        super().__init__(f"the run {results.outcome}: {codes}{note}")


def _points(values: Any) -> list[Point]:
    return [(_num(p[0]), _num(p[1])) for p in (values or [])]


def _num(value: Any) -> float:
    # The host writes null for a value that did not fit its field in the engine's files.
    return float("nan") if value is None else float(value)


def _opt(value: Any) -> Optional[float]:
    return None if value is None else float(value)


@dataclass
class Circle:
    x: float
    y: float
    radius: float

    @classmethod
    def parse(cls, d: Optional[dict]) -> Optional["Circle"]:
        if not d:
            return None
        return cls(_num(d.get("x")), _num(d.get("y")), _num(d.get("radius")))


@dataclass
class Surface:
    """A listed critical surface (rank 1 is the most critical) or the specified surface."""

    factor_of_safety: float
    points: list[Point]
    circle: Optional[Circle] = None
    rank: Optional[int] = None

    @classmethod
    def parse(cls, d: Optional[dict]) -> Optional["Surface"]:
        if d is None:
            return None
        return cls(_num(d.get("factor_of_safety")), _points(d.get("points")),
                   Circle.parse(d.get("circle")), d.get("rank"))


@dataclass
class TrialSurface:
    trial: int
    solution_status: int  # 1 converged, 2 not converged, 3 negative factor of safety
    factor_of_safety: float
    points: list[Point]
    circle: Optional[Circle] = None
    theta: Optional[float] = None

    @classmethod
    def parse(cls, d: dict) -> "TrialSurface":
        return cls(int(d.get("trial", 0)), int(d.get("solution_status", 0)),
                   _num(d.get("factor_of_safety")), _points(d.get("points")),
                   Circle.parse(d.get("circle")), _opt(d.get("theta")))


SLICE_COLUMNS = (
    "x_mid", "width", "weight", "base_water_force", "tie_normal_force", "tie_shear_force",
    "earthquake_horizontal", "earthquake_vertical", "load", "base_total_stress",
    "base_effective_stress", "base_shear_stress", "base_pore_pressure",
)


@dataclass
class SliceRow:
    index: int
    x_mid: float
    width: float
    weight: float
    base_water_force: float
    tie_normal_force: float
    tie_shear_force: float
    earthquake_horizontal: float
    earthquake_vertical: float
    load: float
    base_total_stress: float
    base_effective_stress: float
    base_shear_stress: float
    base_pore_pressure: float

    @classmethod
    def parse(cls, d: dict) -> "SliceRow":
        return cls(int(d.get("index", 0)), *[_num(d.get(c)) for c in SLICE_COLUMNS])


@dataclass
class SliceTable:
    """The slices of the detailed surface and the N + 1 slice edges on it."""

    rows: list[SliceRow]
    edges: list[Point]

    def __len__(self) -> int:
        return len(self.rows)

    def column(self, name: str) -> list[float]:
        return [getattr(r, name) for r in self.rows]

    @classmethod
    def parse(cls, d: Optional[dict]) -> Optional["SliceTable"]:
        if d is None:
            return None
        return cls([SliceRow.parse(r) for r in d.get("rows", [])], _points(d.get("edges")))


@dataclass
class ThrustPoint:
    x: float
    y: float
    ratio: float
    side_force: float


@dataclass
class LineOfThrust:
    theta: float
    points: list[ThrustPoint]

    @classmethod
    def parse(cls, d: Optional[dict]) -> Optional["LineOfThrust"]:
        if d is None:
            return None
        pts = [ThrustPoint(_num(p.get("x")), _num(p.get("y")), _num(p.get("ratio")),
                           _num(p.get("side_force"))) for p in d.get("points", [])]
        return cls(_num(d.get("theta")), pts)


@dataclass
class DrawnBoundary:
    index: int
    top: bool
    points: list[Point]


@dataclass
class Drawing:
    """The problem as the engine drew it: ground surface, boundaries, water, limits, ..."""

    ground_surface: list[Point] = field(default_factory=list)
    boundaries: list[DrawnBoundary] = field(default_factory=list)
    piezometric_surfaces: list[list[Point]] = field(default_factory=list)
    limits: list[list[Point]] = field(default_factory=list)
    loads: list[list[Point]] = field(default_factory=list)
    tiebacks: list[list[Point]] = field(default_factory=list)
    reinforcement: list[list[Point]] = field(default_factory=list)
    boxes: list[list[Point]] = field(default_factory=list)

    @classmethod
    def parse(cls, d: Optional[dict]) -> "Drawing":
        d = d or {}
        lists = {k: [_points(line) for line in d.get(k, [])]
                 for k in ("piezometric_surfaces", "limits", "loads", "tiebacks",
                           "reinforcement", "boxes")}
        bounds = [DrawnBoundary(int(b.get("index", 0)), bool(b.get("top")), _points(b.get("points")))
                  for b in d.get("boundaries", [])]
        return cls(_points(d.get("ground_surface")), bounds, **lists)


@dataclass
class ResultWarning:
    """What a result is worth: a stable code (the README lists them) and the message."""

    code: str
    message: str

    @classmethod
    def parse(cls, w: Any) -> "ResultWarning":
        if isinstance(w, dict):
            return cls(str(w.get("code", "")), str(w.get("message", "")))
        return cls("", str(w))  # schema version 1: the message alone


@dataclass
class SearchOutcome:
    """What became of a search's trials: analysed + generation_failed + skipped = requested
    for a search that ran to its end."""

    requested: Optional[int]
    analysed: int
    generation_failed: int
    skipped: int
    not_converged: int
    negative: int
    ended_early: bool
    ended_at_trial: Optional[int]
    best_found_at_trial: Optional[int]
    skipped_at_points: list[int] = field(default_factory=list)

    @classmethod
    def parse(cls, d: Optional[dict]) -> Optional["SearchOutcome"]:
        if not d:
            return None
        def count(key: str) -> int:
            return int(d.get(key) or 0)
        def maybe(key: str) -> Optional[int]:
            return None if d.get(key) is None else int(d[key])
        return cls(maybe("requested"), count("analysed"), count("generation_failed"),
                   count("skipped"), count("not_converged"), count("negative"),
                   bool(d.get("ended_early", False)), maybe("ended_at_trial"),
                   maybe("best_found_at_trial"), [int(p) for p in d.get("skipped_at_points", [])])


@dataclass
class AnalysisResult:
    """One analysis of the run: a specified surface (EXECUT) or one search."""

    index: int
    kind: str  # "specified" or "search"
    method: Optional[str]  # of the factor of safety: "Modified Bishop", "Modified Janbu", "Spencer"
    base_method: Optional[str]
    spencer: bool
    factor_of_safety: Optional[float]
    theta: Optional[float]
    status: str  # "converged", "not converged", "negative" or "unknown"
    misleading: bool
    drawing: Drawing
    surface: Optional[Surface]
    trial_count: int
    trials: list[TrialSurface]
    critical_listed: bool
    critical: list[Surface]
    slices: Optional[SliceTable]
    line_of_thrust: Optional[LineOfThrust]
    search: Optional[SearchOutcome] = None
    # The lowest factor of safety found so far: (trial, factor) where it fell, and at the end.
    convergence: list[tuple[int, float]] = field(default_factory=list)

    @property
    def critical_surface(self) -> Optional[Surface]:
        """The specified surface, or the most critical surface of a search."""
        if self.surface is not None:
            return self.surface
        return self.critical[0] if self.critical else None

    @classmethod
    def parse(cls, d: dict) -> "AnalysisResult":
        return cls(
            index=int(d.get("index", 0)),
            kind=str(d.get("kind", "")),
            method=d.get("method"),
            base_method=d.get("base_method"),
            spencer=bool(d.get("spencer", False)),
            factor_of_safety=_opt(d.get("factor_of_safety")),
            theta=_opt(d.get("theta")),
            status=str(d.get("status", "unknown")),
            misleading=bool(d.get("misleading", False)),
            drawing=Drawing.parse(d.get("drawing")),
            surface=Surface.parse(d.get("surface")),
            trial_count=int(d.get("trial_count", 0)),
            trials=[TrialSurface.parse(t) for t in d.get("trials", [])],
            critical_listed=bool(d.get("critical_listed", False)),
            critical=[Surface.parse(s) for s in d.get("critical", [])],
            slices=SliceTable.parse(d.get("slices")),
            line_of_thrust=LineOfThrust.parse(d.get("line_of_thrust")),
            search=SearchOutcome.parse(d.get("search")),
            convergence=[(int(t), _num(f)) for t, f in (d.get("convergence") or [])],
        )


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


@dataclass
class Results:
    """What a run gave. `outcome` is "completed", "aborted" or "incomplete"; an aborted run
    carries its error codes, and `check()` turns anything but completion into an exception."""

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
    host_svg: Optional[str] = None  # the host's own picture and HTML page, when asked for
    host_html: Optional[str] = None
    document: dict = field(default_factory=dict, repr=False)

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
        summary = d.get("summary", {})
        frame = d.get("frame", {})
        units = d.get("units", {})
        files = d.get("files", {})
        return cls(
            outcome=str(d.get("outcome", summary.get("outcome", INCOMPLETE))),
            method=summary.get("method"),
            factor_of_safety=_opt(summary.get("factor_of_safety")),
            theta=_opt(summary.get("theta")),
            status=str(summary.get("status", "unknown")),
            trial_count=int(summary.get("trials", 0)),
            error_codes=[str(c) for c in summary.get("error_codes", [])],
            errors=[ErrorLine(e.get("code", ""), e.get("detail", ""), e.get("file", ""),
                              int(e.get("line", 0)), e.get("message", ""), e.get("input_line"),
                              e.get("input_text")) for e in d.get("errors", [])],
            analyses=[AnalysisResult.parse(a) for a in d.get("analyses", [])],
            title=str(d.get("title", "")),
            unit_system=units.get("system"),
            length_unit=units.get("length"),
            mirrored=bool(frame.get("mirrored", False)),
            mirror_axis_x=float(frame.get("mirror_axis_x", 0.0)),
            shift_x=float(frame.get("shift_x", 0.0)),
            shift_y=float(frame.get("shift_y", 0.0)),
            status_lines=[StatusLine(int(s.get("number", 0)), s.get("text", ""),
                                     int(s.get("count", 0))) for s in d.get("status_lines", [])],
            trace_messages=[m.get("text", "") for m in d.get("trace_messages", [])],
            warnings=[ResultWarning.parse(w) for w in d.get("warnings", [])],
            verdict=str(d.get("verdict", d.get("outcome", ""))),
            incomplete_reasons=[str(r) for r in d.get("incomplete_reasons", [])],
            files=RunFiles(**{k: str(files.get(k, "")) for k in ("input", "report", "plot",
                                                                  "trace", "status")}),
            document=d,
        )

    # -- asking

    @property
    def completed(self) -> bool:
        return self.outcome == COMPLETED

    @property
    def aborted(self) -> bool:
        return self.outcome == ABORTED

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
