"""The ground and what it is made of: `PROFIL` (title, units, boundaries), `SOIL` (a set of
soil types or changes to it) and `ANISO` (direction-dependent strength)."""

from __future__ import annotations

from dataclasses import dataclass
from enum import IntEnum
from typing import ClassVar, Optional, Sequence

from .command import (
    MAX_ANISO_ENTRIES,
    MAX_ANISO_RANGES,
    MAX_BOUNDARIES,
    MAX_SOILS,
    Command,
    Toggle,
    _reals,
    first_title_bytes,
    _too_many,
)
from .datalines import (
    DataLineReader,
    InputFormatError,
    InputLines,
    format_integer,
    pack_fields,
)


class Units(IntEnum):
    """The unit system of `PROFIL`; any value other than 1 and 3 means metric."""

    ENGLISH = 1
    METRIC = 2
    GENERIC = 3


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
        title = first_title_bytes(nxt[1]).rstrip()
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


# Readers of the commands of this module by their word (PROFIL reads its title line itself).
READERS = {
    "SOIL  ": _read_soil,
    "ANISO ": _read_anisotropy,
}
