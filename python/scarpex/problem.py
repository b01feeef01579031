"""A slope stability problem as plain dataclasses, written to and read from an input file.

An input file is a header (solver controls and display frame) and a sequence of commands,
each a six-character word followed by its data lines. `Problem` keeps the commands in order,
so that any input file, with several problems, suppressions or soil changes, reads back and
writes out the same; `Problem.create` builds the common case of one problem and one analysis.
"""

from __future__ import annotations

import copy
from dataclasses import dataclass, field
from enum import IntEnum
from typing import ClassVar, Iterator, Optional, Sequence, TypeVar, Union

from .datalines import (
    DataLineReader,
    InputFormatError,
    InputLines,
    format_integer,
    format_real,
    header_group_lines,
    header_integer,
    header_real,
    pack_fields,
    parse_header_integer,
    parse_header_real,
    read_free_format,
)

Point = tuple[float, float]

# Table sizes of the engine. A count above one of these ends the engine's run while it reads
# the command, so the rest of such a file is never read; the reader here refuses it.
MAX_BOUNDARIES = 100
MAX_SOILS = 20
MAX_PIEZO_SURFACES = 10
MAX_PIEZO_POINTS = 40
MAX_LOADS = 50
MAX_TIES = 10
MAX_REINF_LAYERS = 50
MAX_REINF_POINTS = 40
MAX_ANISO_ENTRIES = 10
MAX_ANISO_RANGES = 10
MAX_LIMITS = 20
MAX_SURFACE_POINTS = 100
MAX_BOXES = 10


class Units(IntEnum):
    """The unit system of `PROFIL`; any value other than 1 and 3 means metric."""

    ENGLISH = 1
    METRIC = 2
    GENERIC = 3


def _reals(values: Sequence[float], item: str) -> list[str]:
    return [format_real(v, item) for v in values]


def _points_fields(points: Sequence[Point], item: str) -> list[str]:
    fields: list[str] = []
    for i, (x, y) in enumerate(points, start=1):
        fields += [format_real(x, f"{item} point {i} x"), format_real(y, f"{item} point {i} y")]
    return fields


def _read_points(reader: DataLineReader, count: int, item: str) -> list[Point]:
    return [
        (reader.real(f"{item} point {i} x"), reader.real(f"{item} point {i} y"))
        for i in range(1, count + 1)
    ]


def _too_many(word: str, what: str, count: int, limit: int) -> InputFormatError:
    return InputFormatError(f"{word}: {count} {what}; the engine takes at most {limit}")


class Command:
    """One command of an input file: its word and its data lines."""

    WORD: ClassVar[str] = ""

    @property
    def word(self) -> str:
        return self.WORD

    def data_lines(self) -> list[str]:
        return []

    def lines(self) -> list[str]:
        return [self.word] + self.data_lines()


# ----------------------------------------------------------------------------- header


@dataclass
class Controls:
    """The first header group: iteration limits, reinforcement treatment, tolerances. An
    item of None is written as a null value, which leaves the engine's value as it was."""

    iteration_limit: int = 50
    spencer_outer_limit: int = 50
    spencer_inner_limit: int = 50
    reinforcement_placement: int = 0  # 0 reduces the driving sum, else adds to the resisting sum
    reinforcement_scaling: int = 0  # 1 divides the reinforcement term by the factor of safety
    report_switch: int = 1  # 1 writes the factor-of-safety warnings to the report
    tolerance: float = 0.0001
    spencer_moment_tolerance: float = 0.001
    spencer_force_tolerance: float = 0.001
    spencer_agreement_tolerance: float = 0.001
    keyword: str = "HEADER"

    INTEGER_NAMES: ClassVar[tuple[str, ...]] = (
        "iteration_limit",
        "spencer_outer_limit",
        "spencer_inner_limit",
        "reinforcement_placement",
        "reinforcement_scaling",
        "report_switch",
    )
    REAL_NAMES: ClassVar[tuple[str, ...]] = (
        "tolerance",
        "spencer_moment_tolerance",
        "spencer_force_tolerance",
        "spencer_agreement_tolerance",
    )


@dataclass
class Frame:
    """The second header group: mirror flag, plot values and the display frame (None: a
    null value, as for Controls)."""

    mirror: int = 0  # 1 when the problem is stored mirrored
    plot_value_1: int = 0
    plot_value_2: int = 0
    frame_value_1: float = 0.0
    mirror_axis_x: float = 0.0
    frame_value_3: float = 0.0
    frame_value_4: float = 0.0
    shift_x: float = 0.0
    shift_y: float = 0.0
    keyword: str = "FRAME"

    INTEGER_NAMES: ClassVar[tuple[str, ...]] = ("mirror", "plot_value_1", "plot_value_2")
    REAL_NAMES: ClassVar[tuple[str, ...]] = (
        "frame_value_1",
        "mirror_axis_x",
        "frame_value_3",
        "frame_value_4",
        "shift_x",
        "shift_y",
    )


def _header_lines(controls: Controls, frame: Frame) -> list[str]:
    def group(record, names, fmt) -> list[str]:
        return header_group_lines([fmt(getattr(record, n), n) for n in names])

    return (
        [controls.keyword]
        + group(controls, Controls.INTEGER_NAMES, header_integer)
        + group(controls, Controls.REAL_NAMES, header_real)
        + [frame.keyword]
        + group(frame, Frame.INTEGER_NAMES, header_integer)
        + group(frame, Frame.REAL_NAMES, header_real)
    )


def _read_header(source: InputLines) -> tuple[Controls, Frame]:
    def keyword() -> str:
        nxt = source.next_line()
        if nxt is None:
            raise InputFormatError("the file ends before the header")
        return nxt[1]

    def group(record, names, parse) -> None:
        for name, value in zip(names, read_free_format(source, len(names), parse, names)):
            setattr(record, name, value)

    controls, frame = Controls(keyword=keyword()), Frame()
    group(controls, Controls.INTEGER_NAMES, parse_header_integer)
    group(controls, Controls.REAL_NAMES, parse_header_real)
    frame.keyword = keyword()
    group(frame, Frame.INTEGER_NAMES, parse_header_integer)
    group(frame, Frame.REAL_NAMES, parse_header_real)
    return controls, frame


# ----------------------------------------------------------------------------- PROFIL


@dataclass
class Boundary:
    """A straight boundary, left end first, with the soil type below it."""

    x_left: float
    y_left: float
    x_right: float
    y_right: float
    soil: int


@dataclass
class Profile(Command):
    """`PROFIL`: the title, the unit system and the boundaries. The first `top_count`
    boundaries form the ground surface from left to right; the others lie below it."""

    title: str
    boundaries: list[Boundary]
    top_count: int
    units: int = Units.METRIC
    WORD: ClassVar[str] = "PROFIL"

    def data_lines(self) -> list[str]:
        lines = [self.title]
        lines += pack_fields(
            [
                format_integer(len(self.boundaries), "PROFIL boundary count"),
                format_integer(self.top_count, "PROFIL top boundary count"),
                format_integer(int(self.units), "PROFIL unit system"),
            ]
        )
        for i, b in enumerate(self.boundaries, start=1):
            item = f"PROFIL boundary {i}"
            lines += pack_fields(
                _reals([b.x_left, b.y_left, b.x_right, b.y_right], item)
                + [format_integer(b.soil, f"{item} soil type")]
            )
        return lines

    @classmethod
    def read(cls, reader: DataLineReader, source: InputLines) -> "Profile":
        nxt = source.next_line()
        if nxt is None:
            raise InputFormatError("PROFIL: the file ends where the title is due")
        title = nxt[1][:80].rstrip()
        n = reader.integer("boundary count")
        top = reader.integer("top boundary count")
        units = reader.integer("unit system")
        if n > MAX_BOUNDARIES:
            raise _too_many("PROFIL", "boundaries", n, MAX_BOUNDARIES)
        boundaries = []
        for i in range(1, n + 1):
            coords = [reader.real(f"boundary {i} {c}") for c in ("x-left", "y-left", "x-right", "y-right")]
            boundaries.append(Boundary(*coords, soil=reader.integer(f"boundary {i} soil type")))
        known = units in (1, 2, 3)
        return cls(title, boundaries, top, Units(units) if known else units)


# ----------------------------------------------------------------------------- SOIL


@dataclass
class DepthVariation:
    """Strength that varies between two reference elevations (cohesion and friction angle
    at the second one); the four extra values are kept by the engine and not used."""

    y_ref_1: float
    y_ref_2: float
    cohesion_2: float
    friction_angle_2: float
    extra: tuple[float, float, float, float] = (0.0, 0.0, 0.0, 0.0)
    switch: int = 1  # any value above 0 switches the variation on


@dataclass
class Soil:
    """An isotropic soil type (friction angle in degrees)."""

    total_unit_weight: float
    saturated_unit_weight: float
    cohesion: float
    friction_angle: float
    pore_pressure_ratio: float = 0.0
    pore_pressure_constant: float = 0.0
    piezometric_surface: int = 0  # 0: none
    depth_variation: Optional[DepthVariation] = None

    def _items_1_to_7(self, item: str) -> list[str]:
        return _reals(
            [
                self.total_unit_weight,
                self.saturated_unit_weight,
                self.cohesion,
                self.friction_angle,
                self.pore_pressure_ratio,
                self.pore_pressure_constant,
            ],
            item,
        ) + [format_integer(self.piezometric_surface, f"{item} piezometric surface")]

    @classmethod
    def _read_1_to_7(cls, reader: DataLineReader, item: str) -> "Soil":
        names = ("total unit weight", "saturated unit weight", "cohesion", "friction angle",
                 "pore pressure ratio", "pore pressure constant")
        values = [reader.real(f"{item} {n}") for n in names]
        return cls(*values, piezometric_surface=reader.integer(f"{item} piezometric surface"))


@dataclass
class Soils(Command):
    """`SOIL` with a new set of soil types, numbered from 1, replacing the old set."""

    soils: list[Soil]
    heading_switch: int = 0  # not 0: the report table has a reference-coordinate column
    WORD: ClassVar[str] = "SOIL"

    def data_lines(self) -> list[str]:
        lines = pack_fields(
            [format_integer(self.heading_switch, "SOIL heading switch"),
             format_integer(len(self.soils), "SOIL count")]
        )
        for k, soil in enumerate(self.soils, start=1):
            item = f"SOIL type {k}"
            dv = soil.depth_variation
            switch = format_integer(dv.switch if dv else 0, f"{item} depth-variation switch")
            lines += pack_fields(soil._items_1_to_7(item) + [switch])
            if dv is not None:
                if dv.switch <= 0:
                    raise ValueError(f"{item}: a depth variation needs a switch above 0")
                lines += pack_fields(
                    _reals(
                        [dv.y_ref_1, dv.y_ref_2, dv.extra[0], dv.extra[1], dv.cohesion_2,
                         dv.friction_angle_2, dv.extra[2], dv.extra[3]],
                        f"{item} depth variation",
                    )
                )
        return lines


@dataclass
class SoilChange:
    """New items 1 to 7 for one soil type of the set defined before."""

    soil_type: int
    soil: Soil


@dataclass
class SoilChanges(Command):
    """`SOIL` with a count of 0: changes some types of the present set; their depth
    variation stays as it was."""

    changes: list[SoilChange]
    heading_switch: int = 0
    WORD: ClassVar[str] = "SOIL"

    def data_lines(self) -> list[str]:
        lines = pack_fields([format_integer(self.heading_switch, "SOIL heading switch"), "0"])
        lines += pack_fields([format_integer(len(self.changes), "SOIL change count")])
        for i, change in enumerate(self.changes, start=1):
            item = f"SOIL change {i}"
            lines += pack_fields(
                [format_integer(change.soil_type, f"{item} soil type")]
                + change.soil._items_1_to_7(item)
            )
        return lines


def _read_soil(reader: DataLineReader) -> Command:
    heading = reader.integer("heading switch")
    n = reader.integer("soil count")
    if n > 0:
        if n > MAX_SOILS:
            raise _too_many("SOIL", "soil types", n, MAX_SOILS)
        soils = []
        for k in range(1, n + 1):
            soil = Soil._read_1_to_7(reader, f"type {k}")
            switch = reader.integer(f"type {k} depth-variation switch")
            if switch > 0:
                v = [reader.real(f"type {k} depth-variation value {j}") for j in range(1, 9)]
                soil.depth_variation = DepthVariation(
                    v[0], v[1], v[4], v[5], (v[2], v[3], v[6], v[7]), switch
                )
            soils.append(soil)
        return Soils(soils, heading)
    p = reader.integer("change count")
    if p > MAX_SOILS:
        raise _too_many("SOIL", "changes", p, MAX_SOILS)
    changes = []
    for i in range(1, p + 1):
        b = reader.integer(f"change {i} soil type")
        if b > MAX_SOILS:
            raise InputFormatError(f"SOIL: change {i} names soil type {b}; at most {MAX_SOILS}")
        changes.append(SoilChange(b, Soil._read_1_to_7(reader, f"change {i}")))
    return SoilChanges(changes, heading)


# ----------------------------------------------------------------------------- toggles


@dataclass
class Toggle(Command):
    """A count of 0 for `LOADS`, `TIES`, `WATER`, `ANISO` or `LIMITS`: suppresses the stored
    data of the command when they are in force, reactivates them when suppressed."""

    command: str
    WORDS: ClassVar[tuple[str, ...]] = ("LOADS", "TIES", "WATER", "ANISO", "LIMITS")

    @property
    def word(self) -> str:
        return self.command

    def data_lines(self) -> list[str]:
        if self.command not in self.WORDS:
            raise ValueError(f"Toggle: {self.command!r} is not one of {', '.join(self.WORDS)}")
        return ["0"]


# ----------------------------------------------------------------------------- WATER


@dataclass
class PiezometricSurface:
    points: list[Point]


@dataclass
class Water(Command):
    """`WATER`: piezometric surfaces (x strictly increasing along each) and the unit weight
    of water (0. stands for 62.4)."""

    unit_weight: float
    surfaces: list[PiezometricSurface]
    WORD: ClassVar[str] = "WATER"

    def data_lines(self) -> list[str]:
        if not self.surfaces:
            raise ValueError("WATER: at least one piezometric surface is needed")
        lines = pack_fields(
            [format_integer(len(self.surfaces), "WATER surface count"),
             format_real(self.unit_weight, "WATER unit weight of water")]
        )
        for j, surface in enumerate(self.surfaces, start=1):
            lines += pack_fields([format_integer(len(surface.points), f"WATER surface {j} points")])
            lines += pack_fields(_points_fields(surface.points, f"WATER surface {j}"), group=2)
        return lines


def _read_water(reader: DataLineReader) -> Command:
    n = reader.integer("surface count")
    if n == 0:
        return Toggle("WATER")
    if n > MAX_PIEZO_SURFACES:
        raise _too_many("WATER", "piezometric surfaces", n, MAX_PIEZO_SURFACES)
    unit_weight = reader.real("unit weight of water")
    surfaces = []
    for j in range(1, n + 1):
        m = reader.integer(f"surface {j} point count")
        if m > MAX_PIEZO_POINTS:
            raise _too_many("WATER", f"points on surface {j}", m, MAX_PIEZO_POINTS)
        surfaces.append(PiezometricSurface(_read_points(reader, m, f"surface {j}")))
    return Water(unit_weight, surfaces)


# ----------------------------------------------------------------------------- LOADS


@dataclass
class Load:
    """A surcharge strip: intensity varying linearly from its left to its right end,
    deflection in degrees."""

    x_left: float
    x_right: float
    intensity_left: float
    intensity_right: float
    deflection: float = 0.0


@dataclass
class Loads(Command):
    loads: list[Load]
    WORD: ClassVar[str] = "LOADS"

    def data_lines(self) -> list[str]:
        if not self.loads:
            raise ValueError("LOADS: at least one load is needed (use Toggle to suppress)")
        lines = pack_fields([format_integer(len(self.loads), "LOADS count")])
        for i, ld in enumerate(self.loads, start=1):
            lines += pack_fields(
                _reals([ld.x_left, ld.x_right, ld.intensity_left, ld.intensity_right,
                        ld.deflection], f"LOADS load {i}")
            )
        return lines


def _read_loads(reader: DataLineReader) -> Command:
    n = reader.integer("load count")
    if n == 0:
        return Toggle("LOADS")
    if n > MAX_LOADS:
        raise _too_many("LOADS", "loads", n, MAX_LOADS)
    names = ("x-left", "x-right", "intensity left", "intensity right", "deflection")
    return Loads([Load(*[reader.real(f"load {i} {n_}") for n_ in names]) for i in range(1, n + 1)])


# ----------------------------------------------------------------------------- TIES


@dataclass
class Tie:
    """A row of tiebacks: head on `boundary` (a coordinate of 0. is found on it), load per
    tieback, horizontal spacing, inclination below the horizontal in degrees, length."""

    boundary: int
    x: float
    y: float
    load: float
    spacing: float
    inclination: float
    length: float


@dataclass
class Ties(Command):
    ties: list[Tie]
    WORD: ClassVar[str] = "TIES"

    def data_lines(self) -> list[str]:
        if not self.ties:
            raise ValueError("TIES: at least one row is needed (use Toggle to suppress)")
        lines = pack_fields([format_integer(len(self.ties), "TIES count")])
        for i, t in enumerate(self.ties, start=1):
            item = f"TIES row {i}"
            lines += pack_fields(
                [format_integer(t.boundary, f"{item} boundary")]
                + _reals([t.x, t.y, t.load, t.spacing, t.inclination, t.length], item)
            )
        return lines


def _read_ties(reader: DataLineReader) -> Command:
    n = reader.integer("row count")
    if n == 0:
        return Toggle("TIES")
    if n > MAX_TIES:
        raise _too_many("TIES", "rows", n, MAX_TIES)
    ties = []
    for i in range(1, n + 1):
        b = reader.integer(f"row {i} boundary")
        names = ("x", "y", "load", "spacing", "inclination", "length")
        ties.append(Tie(b, *[reader.real(f"row {i} {n_}") for n_ in names]))
    return Ties(ties)


# ----------------------------------------------------------------------------- EQUAKE


@dataclass
class Earthquake(Command):
    """`EQUAKE`: horizontal and vertical coefficients and the cavitation pressure."""

    kh: float
    kv: float = 0.0
    cavitation_pressure: float = 0.0
    WORD: ClassVar[str] = "EQUAKE"

    def data_lines(self) -> list[str]:
        return pack_fields(_reals([self.kh, self.kv, self.cavitation_pressure], "EQUAKE"))


# ----------------------------------------------------------------------------- REINF


@dataclass
class ReinforcementPoint:
    x: float
    y: float
    axial_force: float
    shear_force: float
    inclination_factor: float  # 0 to 1


@dataclass
class ReinforcementLayer:
    points: list[ReinforcementPoint]


@dataclass
class Reinforcement(Command):
    """`REINF`: layers of reinforcement; once given they stay in force for the run."""

    layers: list[ReinforcementLayer]
    WORD: ClassVar[str] = "REINF"

    def data_lines(self) -> list[str]:
        lines = pack_fields([format_integer(len(self.layers), "REINF layer count")])
        for n, layer in enumerate(self.layers, start=1):
            lines += pack_fields([format_integer(len(layer.points), f"REINF layer {n} points")])
            for p, pt in enumerate(layer.points, start=1):
                lines += pack_fields(
                    _reals([pt.x, pt.y, pt.axial_force, pt.shear_force, pt.inclination_factor],
                           f"REINF layer {n} point {p}")
                )
        return lines


def _read_reinforcement(reader: DataLineReader) -> Command:
    n = reader.integer("layer count")
    if n > MAX_REINF_LAYERS:
        raise _too_many("REINF", "layers", n, MAX_REINF_LAYERS)
    layers = []
    for k in range(1, n + 1):
        npt = reader.integer(f"layer {k} point count")
        if npt > MAX_REINF_POINTS or npt < 2:
            raise InputFormatError(f"REINF: layer {k} has {npt} points; 2 to {MAX_REINF_POINTS}")
        names = ("x", "y", "axial force", "shear force", "inclination factor")
        layers.append(ReinforcementLayer(
            [ReinforcementPoint(*[reader.real(f"layer {k} point {p} {n_}") for n_ in names])
             for p in range(1, npt + 1)]
        ))
    return Reinforcement(layers)


# ----------------------------------------------------------------------------- ANISO


@dataclass
class DirectionRange:
    """A range closed by a counterclockwise direction limit (degrees), with its strength."""

    direction: float
    cohesion: float
    friction_angle: float


@dataclass
class AnisotropyEntry:
    """Direction-dependent strength of one soil type; a bottom table applies at the lower
    reference elevation of a depth-varying soil."""

    soil_type: int
    ranges: list[DirectionRange]
    bottom_ranges: Optional[list[DirectionRange]] = None
    bottom_switch: Optional[int] = None  # written as 1 when bottom ranges are given


@dataclass
class Anisotropy(Command):
    entries: list[AnisotropyEntry]
    WORD: ClassVar[str] = "ANISO"

    def data_lines(self) -> list[str]:
        if not self.entries:
            raise ValueError("ANISO: at least one entry is needed (use Toggle to suppress)")
        lines = pack_fields([format_integer(len(self.entries), "ANISO count")])
        for i, entry in enumerate(self.entries, start=1):
            item = f"ANISO entry {i}"
            switch = entry.bottom_switch or (1 if entry.bottom_ranges is not None else 0)
            if switch > 0 and entry.bottom_ranges is None:
                raise ValueError(f"{item}: a bottom switch above 0 needs bottom ranges")
            lines += pack_fields(
                [format_integer(entry.soil_type, f"{item} soil type"),
                 format_integer(switch, f"{item} bottom switch"),
                 format_integer(len(entry.ranges), f"{item} range count")]
            )
            lines += _range_lines(entry.ranges, item)
            if switch > 0:
                lines += pack_fields([format_integer(len(entry.bottom_ranges), f"{item} bottom count")])
                lines += _range_lines(entry.bottom_ranges, f"{item} bottom")
        return lines


def _range_lines(ranges: Sequence[DirectionRange], item: str) -> list[str]:
    lines: list[str] = []
    for r, rng in enumerate(ranges, start=1):
        lines += pack_fields(_reals([rng.direction, rng.cohesion, rng.friction_angle],
                                    f"{item} range {r}"))
    return lines


def _read_ranges(reader: DataLineReader, item: str) -> list[DirectionRange]:
    count = reader.integer(f"{item} range count")
    if count < 2 or count > MAX_ANISO_RANGES:
        raise InputFormatError(f"ANISO: {item} has {count} ranges; 2 to {MAX_ANISO_RANGES}")
    names = ("direction", "cohesion", "friction angle")
    return [DirectionRange(*[reader.real(f"{item} range {r} {n}") for n in names])
            for r in range(1, count + 1)]


def _read_anisotropy(reader: DataLineReader) -> Command:
    n = reader.integer("entry count")
    if n == 0:
        return Toggle("ANISO")
    if n > MAX_ANISO_ENTRIES:
        raise _too_many("ANISO", "entries", n, MAX_ANISO_ENTRIES)
    entries = []
    for i in range(1, n + 1):
        soil = reader.integer(f"entry {i} soil type")
        switch = reader.integer(f"entry {i} bottom switch")
        ranges = _read_ranges(reader, f"entry {i}")
        bottom = _read_ranges(reader, f"entry {i} bottom") if switch > 0 else None
        # A switch of 1 is what an entry with bottom ranges writes; only other values are kept.
        entries.append(AnisotropyEntry(soil, ranges, bottom, switch if switch > 1 else None))
    return Anisotropy(entries)


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


_READERS = {
    "SOIL  ": _read_soil,
    "WATER ": _read_water,
    "LOADS ": _read_loads,
    "TIES  ": _read_ties,
    "EQUAKE": lambda r: Earthquake(r.real("horizontal coefficient"), r.real("vertical coefficient"),
                                   r.real("cavitation pressure")),
    "REINF ": _read_reinforcement,
    "ANISO ": _read_anisotropy,
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

C = TypeVar("C", bound=Command)


# ----------------------------------------------------------------------------- Problem


@dataclass
class Problem:
    """An input file: the header and the commands in the order they are carried out."""

    commands: list[Command] = field(default_factory=list)
    controls: Controls = field(default_factory=Controls)
    frame: Frame = field(default_factory=Frame)

    @classmethod
    def create(
        cls,
        profile: Profile,
        soils: Union[Soils, Sequence[Soil]],
        analysis: Optional[Analysis] = None,
        *,
        water: Optional[Water] = None,
        loads: Optional[Loads] = None,
        ties: Optional[Ties] = None,
        earthquake: Optional[Earthquake] = None,
        reinforcement: Optional[Reinforcement] = None,
        anisotropy: Optional[Anisotropy] = None,
        limits: Optional[Limits] = None,
        spencer: Union[Spencer, float, None] = None,
        controls: Optional[Controls] = None,
        frame: Optional[Frame] = None,
    ) -> "Problem":
        """One problem with one analysis (a specified surface or a search), then `EXECUT`."""
        if not isinstance(soils, Soils):
            soils = Soils(list(soils))
        if spencer is not None and not isinstance(spencer, Spencer):
            spencer = Spencer(float(spencer))
        parts = [profile, soils, water, loads, ties, earthquake, reinforcement, anisotropy,
                 limits, spencer, analysis, Execute()]
        return cls([c for c in parts if c is not None], controls or Controls(), frame or Frame())

    # -- finding commands

    def find_all(self, kind: type[C]) -> list[C]:
        return [c for c in self.commands if isinstance(c, kind)]

    def find(self, kind: type[C]) -> Optional[C]:
        """The last command of a kind, or None."""
        found = self.find_all(kind)
        return found[-1] if found else None

    @property
    def profile(self) -> Optional[Profile]:
        return self.find(Profile)

    @property
    def soils(self) -> Optional[Soils]:
        return self.find(Soils)

    @property
    def analysis(self) -> Optional[Command]:
        found = [c for c in self.commands if isinstance(c, (SpecifiedSurface,) + SEARCH_KINDS)]
        return found[-1] if found else None

    def copy(self) -> "Problem":
        return copy.deepcopy(self)

    # -- text

    def to_input(self) -> str:
        """The input data file: header, then every command with its data lines."""
        lines = _header_lines(self.controls, self.frame)
        for command in self.commands:
            lines += command.lines()
        for number, line in enumerate(lines, start=1):
            if len(line) > 80:
                raise ValueError(f"line {number} is wider than 80 columns: {line[:20]}...")
        return "".join(line + "\n" for line in lines)

    @classmethod
    def from_input(cls, text: str) -> "Problem":
        """Reads an input data file as the engine does. Raises InputFormatError, naming the
        line and the item, where the engine would refuse the text (a value in the wrong
        form, an illegal command, a count beyond a table, the file ending early)."""
        source = InputLines.of_text(text)
        controls, frame = _read_header(source)
        reader = DataLineReader(source)
        commands: list[Command] = []
        while (nxt := source.next_line()) is not None:
            number, line = nxt
            word = line[:6].ljust(6)
            if word == "      ":
                continue
            if word == "PROFIL":
                reader.start_command("PROFIL")
                commands.append(Profile.read(reader, source))
                continue
            read = _READERS.get(word)
            if read is None:
                raise InputFormatError(f"illegal command {word.rstrip()!r}", number)
            reader.start_command(word.rstrip())
            commands.append(read(reader))
        return cls(commands, controls, frame)

    def validate(self) -> None:
        """Raises ProblemError naming the item of the first obvious fault."""
        from .validation import validate

        validate(self)

    def __iter__(self) -> Iterator[Command]:
        return iter(self.commands)
