"""The results of one analysis of a run: its surfaces, trials, slices and line of thrust, and
the problem as the engine drew it. Read from the host's JSON document; coordinates are in the
input's own frame."""

from __future__ import annotations

from dataclasses import dataclass, field
from typing import Any, Optional

from .json_values import (
    integer,
    items,
    mapping,
    number,
    optional_integer,
    optional_number,
    text,
)

Point = tuple[float, float]


def _points(values: Any) -> list[Point]:
    return [(number(p[0]), number(p[1])) for p in items(values)]


@dataclass
class Circle:
    x: float
    y: float
    radius: float

    @classmethod
    def parse(cls, d: Optional[dict]) -> Optional["Circle"]:
        if not d:
            return None
        return cls(number(d.get("x")), number(d.get("y")), number(d.get("radius")))


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
        return cls(number(d.get("factor_of_safety")), _points(d.get("points")),
                   Circle.parse(d.get("circle")), optional_integer(d.get("rank")))


@dataclass
class RefinedSurface:
    """A search's critical surface refined (`run(..., refine=True)`): the lowest factor of
    safety the engine gave any admissible surface an optimiser tried, starting from the
    search's most critical surfaces; never above the search's own minimum."""

    factor_of_safety: float
    search_factor_of_safety: float
    method: Optional[str]
    points: list[Point]
    circle: Optional[Circle]
    start_rank: int  # the listed surface (1 to 10) it was refined from
    evaluations: int  # engine runs made
    seconds: float
    report: str  # the refined surface's report file (INPUT.refined.out)

    @classmethod
    def parse(cls, d: Optional[dict]) -> Optional["RefinedSurface"]:
        if d is None:
            return None
        return cls(number(d.get("factor_of_safety")), number(d.get("search_factor_of_safety")),
                   d.get("method"), _points(d.get("surface")), Circle.parse(d.get("circle")),
                   integer(d.get("start_rank")), integer(d.get("evaluations")),
                   number(d.get("seconds")), text(d.get("report")))


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
        return cls(integer(d.get("trial")), integer(d.get("solution_status")),
                   number(d.get("factor_of_safety")), _points(d.get("points")),
                   Circle.parse(d.get("circle")), optional_number(d.get("theta")))


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
        return cls(integer(d.get("index")), *[number(d.get(c)) for c in SLICE_COLUMNS])


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
        return cls([SliceRow.parse(r) for r in items(d.get("rows"))], _points(d.get("edges")))


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
        pts = [ThrustPoint(number(p.get("x")), number(p.get("y")), number(p.get("ratio")),
                           number(p.get("side_force"))) for p in items(d.get("points"))]
        return cls(number(d.get("theta")), pts)


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
        d = mapping(d)
        lists = {k: [_points(line) for line in items(d.get(k))]
                 for k in ("piezometric_surfaces", "limits", "loads", "tiebacks",
                           "reinforcement", "boxes")}
        bounds = [DrawnBoundary(integer(b.get("index")), bool(b.get("top")), _points(b.get("points")))
                  for b in items(d.get("boundaries"))]
        return cls(_points(d.get("ground_surface")), bounds, **lists)


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
        return cls(optional_integer(d.get("requested")), integer(d.get("analysed")),
                   integer(d.get("generation_failed")), integer(d.get("skipped")),
                   integer(d.get("not_converged")), integer(d.get("negative")),
                   bool(d.get("ended_early", False)), optional_integer(d.get("ended_at_trial")),
                   optional_integer(d.get("best_found_at_trial")),
                   [int(p) for p in items(d.get("skipped_at_points"))])


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
            index=integer(d.get("index")),
            kind=text(d.get("kind")),
            method=d.get("method"),
            base_method=d.get("base_method"),
            spencer=bool(d.get("spencer", False)),
            factor_of_safety=optional_number(d.get("factor_of_safety")),
            theta=optional_number(d.get("theta")),
            status=text(d.get("status"), "unknown"),
            misleading=bool(d.get("misleading", False)),
            drawing=Drawing.parse(d.get("drawing")),
            surface=Surface.parse(d.get("surface")),
            trial_count=integer(d.get("trial_count")),
            trials=[TrialSurface.parse(t) for t in items(d.get("trials"))],
            critical_listed=bool(d.get("critical_listed", False)),
            critical=[Surface.parse(s) for s in items(d.get("critical"))],
            slices=SliceTable.parse(d.get("slices")),
            line_of_thrust=LineOfThrust.parse(d.get("line_of_thrust")),
            search=SearchOutcome.parse(d.get("search")),
            convergence=[(integer(t), number(f)) for t, f in items(d.get("convergence"))],
        )

