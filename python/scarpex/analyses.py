"""What is analysed: `LIMITS` (bounds of the searches), the specified surface (`SURFAC`,
`SURBIS`), `SPENCR`, the searches (`CIRCLE`, `CIRCL2`, `RANDOM`, `BLOCK`, `BLOCK2`) and
`EXECUT`."""

from __future__ import annotations

from dataclasses import dataclass
from typing import ClassVar, Union

from .command import (
    MAX_BOXES,
    MAX_LIMITS,
    MAX_SURFACE_POINTS,
    Command,
    Point,
    Toggle,
    _read_points,
    _reals,
    _too_many,
)
from .datalines import DataLineReader, format_integer, format_real, pack_fields


# ----------------------------------------------------------------------------- LIMITS


@dataclass
class LimitBoundary:
    x_left: float
    y_left: float
    x_right: float
    y_right: float


@dataclass
class Limits(Command):
    """`LIMITS`: boundaries that confine the searches; the first `upward_count` deflect a
    trial surface upward, the others downward."""

    boundaries: list[LimitBoundary]
    upward_count: int = 0
    WORD: ClassVar[str] = "LIMITS"

    def data_lines(self) -> list[str]:
        if not self.boundaries:
            raise ValueError("LIMITS: at least one boundary is needed (use Toggle to suppress)")
        lines = pack_fields([format_integer(len(self.boundaries), "LIMITS count"),
                             format_integer(self.upward_count, "LIMITS upward count")])
        for i, b in enumerate(self.boundaries, start=1):
            lines += pack_fields(_reals([b.x_left, b.y_left, b.x_right, b.y_right],
                                        f"LIMITS boundary {i}"))
        return lines


def _read_limits(reader: DataLineReader) -> Command:
    n = reader.integer("boundary count")
    if n == 0:
        return Toggle("LIMITS")
    if n > MAX_LIMITS:
        raise _too_many("LIMITS", "boundaries", n, MAX_LIMITS)
    upward = reader.integer("upward count")
    names = ("x-left", "y-left", "x-right", "y-right")
    return Limits([LimitBoundary(*[reader.real(f"boundary {i} {n_}") for n_ in names])
                   for i in range(1, n + 1)], upward)


# ----------------------------------------------------------------------------- surfaces


@dataclass
class SpecifiedSurface(Command):
    """A trial surface given point by point from its left end: `SURBIS` (Modified Bishop,
    the surface should be a circle) when `bishop` is true, else `SURFAC`."""

    points: list[Point]
    bishop: bool = False

    @property
    def word(self) -> str:
        return "SURBIS" if self.bishop else "SURFAC"

    def data_lines(self) -> list[str]:
        lines = pack_fields([format_integer(len(self.points), f"{self.word} point count")])
        for i, (x, y) in enumerate(self.points, start=1):
            lines += pack_fields(_reals([x, y], f"{self.word} point {i}"))
        return lines


def _read_surface(reader: DataLineReader, bishop: bool) -> Command:
    n = reader.integer("point count")
    if n > MAX_SURFACE_POINTS:
        raise _too_many("SURBIS" if bishop else "SURFAC", "points", n, MAX_SURFACE_POINTS)
    return SpecifiedSurface(_read_points(reader, n, "surface"), bishop)


@dataclass
class Spencer(Command):
    """`SPENCR`: Spencer's method as well; the value lies in (0, 90] degrees."""

    angle: float
    WORD: ClassVar[str] = "SPENCR"

    def data_lines(self) -> list[str]:
        return pack_fields([format_real(self.angle, "SPENCR value")])


@dataclass
class _TrialSearch(Command):
    """Circular or irregular search data: `init_point_count` initiation points equally
    spaced on the ground between `init_x_left` and `init_x_right`, `surfaces_per_point`
    surfaces from each, ending between `term_x_left` and `term_x_right`, never below
    `min_elevation`, made of segments of `segment_length`; the first segment's angle is
    restricted between `angle_lower` and `angle_upper` (degrees) unless both are 0."""

    init_point_count: int
    surfaces_per_point: int
    init_x_left: float
    init_x_right: float
    term_x_left: float
    term_x_right: float
    min_elevation: float
    segment_length: float
    angle_upper: float = 0.0
    angle_lower: float = 0.0

    INTEGERS: ClassVar[tuple[str, ...]] = ("init_point_count", "surfaces_per_point")
    REALS: ClassVar[tuple[str, ...]] = (
        "init_x_left", "init_x_right", "term_x_left", "term_x_right", "min_elevation",
        "segment_length", "angle_upper", "angle_lower",
    )

    @property
    def trial_count(self) -> int:
        return self.init_point_count * self.surfaces_per_point

    def data_lines(self) -> list[str]:
        fields = [format_integer(getattr(self, n), f"{self.word} {n}") for n in self.INTEGERS]
        fields += [format_real(getattr(self, n), f"{self.word} {n}") for n in self.REALS]
        return pack_fields(fields)

    @classmethod
    def read(cls, reader: DataLineReader) -> "_TrialSearch":
        ints = [reader.integer(n.replace("_", " ")) for n in cls.INTEGERS]
        reals = [reader.real(n.replace("_", " ")) for n in cls.REALS]
        return cls(*ints, *reals)


@dataclass
class CircleSearch(_TrialSearch):
    """`CIRCLE`: random circles, analysed by the Modified Janbu method."""

    WORD: ClassVar[str] = "CIRCLE"


@dataclass
class Circle2Search(_TrialSearch):
    """`CIRCL2`: random circles, analysed by the Modified Bishop method."""

    WORD: ClassVar[str] = "CIRCL2"


@dataclass
class RandomSearch(_TrialSearch):
    """`RANDOM`: random irregular surfaces."""

    WORD: ClassVar[str] = "RANDOM"


@dataclass
class Box:
    """A box for the central block base: its left and right centre points and its height."""

    x_left: float
    y_left: float
    x_right: float
    y_right: float
    height: float


@dataclass
class _BoxSearch(Command):
    """Sliding-block search data: `surface_count` trial surfaces in all, the boxes the
    central block's base passes through, and the segment length of the active and passive
    portions."""

    surface_count: int
    segment_length: float
    boxes: list[Box]

    @property
    def trial_count(self) -> int:
        return self.surface_count

    def data_lines(self) -> list[str]:
        lines = pack_fields(
            [format_integer(self.surface_count, f"{self.word} surface count"),
             format_integer(len(self.boxes), f"{self.word} box count"),
             format_real(self.segment_length, f"{self.word} segment length")]
        )
        for i, b in enumerate(self.boxes, start=1):
            lines += pack_fields(_reals([b.x_left, b.y_left, b.x_right, b.y_right, b.height],
                                        f"{self.word} box {i}"))
        return lines

    @classmethod
    def read(cls, reader: DataLineReader) -> "_BoxSearch":
        surfaces = reader.integer("surface count")
        count = reader.integer("box count")
        if count > MAX_BOXES:
            raise _too_many(cls.WORD, "boxes", count, MAX_BOXES)
        segment = reader.real("segment length")
        names = ("x-left", "y-left", "x-right", "y-right", "height")
        boxes = [Box(*[reader.real(f"box {i} {n}") for n in names]) for i in range(1, count + 1)]
        return cls(surfaces, segment, boxes)


@dataclass
class BlockSearch(_BoxSearch):
    """`BLOCK`: random sliding blocks."""

    WORD: ClassVar[str] = "BLOCK"


@dataclass
class Block2Search(_BoxSearch):
    """`BLOCK2`: sliding blocks whose active and passive portions follow the Rankine theory."""

    WORD: ClassVar[str] = "BLOCK2"


@dataclass
class Execute(Command):
    """`EXECUT`: analyses the specified surface; with none waiting it ends the run."""

    WORD: ClassVar[str] = "EXECUT"


Search = Union[CircleSearch, Circle2Search, RandomSearch, BlockSearch, Block2Search]
Analysis = Union[SpecifiedSurface, CircleSearch, Circle2Search, RandomSearch, BlockSearch,
                 Block2Search]
SEARCH_KINDS: tuple[type, ...] = (CircleSearch, Circle2Search, RandomSearch, BlockSearch,
                                  Block2Search)


def _simple(cls):
    return lambda reader: cls.read(reader)


# Readers of the commands of this module by their word.
READERS = {
    "LIMITS": _read_limits,
    "SURFAC": lambda r: _read_surface(r, bishop=False),
    "SURBIS": lambda r: _read_surface(r, bishop=True),
    "SPENCR": lambda r: Spencer(r.real("value")),
    "CIRCLE": _simple(CircleSearch),
    "CIRCL2": _simple(Circle2Search),
    "RANDOM": _simple(RandomSearch),
    "BLOCK ": _simple(BlockSearch),
    "BLOCK2": _simple(Block2Search),
    "EXECUT": lambda r: Execute(),
}
