"""What acts on the slope: `WATER` (piezometric surfaces), `LOADS` (surcharge strips), `TIES`
(tiebacks), `EQUAKE` (seismic coefficients) and `REINF` (reinforcement layers)."""

from __future__ import annotations

from dataclasses import dataclass
from typing import ClassVar

from .command import (
    MAX_LOADS,
    MAX_PIEZO_POINTS,
    MAX_PIEZO_SURFACES,
    MAX_REINF_LAYERS,
    MAX_REINF_POINTS,
    MAX_TIES,
    Command,
    Point,
    Toggle,
    _points_fields,
    _read_points,
    _reals,
    _too_many,
)
from .datalines import (
    DataLineReader,
    InputFormatError,
    format_integer,
    format_real,
    pack_fields,
)


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


# Readers of the commands of this module by their word.
READERS = {
    "WATER ": _read_water,
    "LOADS ": _read_loads,
    "TIES  ": _read_ties,
    "EQUAKE": lambda r: Earthquake(r.real("horizontal coefficient"), r.real("vertical coefficient"),
                                   r.real("cavitation pressure")),
    "REINF ": _read_reinforcement,
}
