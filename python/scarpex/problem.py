"""A slope stability problem as plain dataclasses, written to and read from an input file.

An input file is a header (solver controls and display frame) and a sequence of commands,
each a six-character word followed by its data lines. `Problem` keeps the commands in order,
so that any input file, with several problems, suppressions or soil changes, reads back and
writes out the same; `Problem.create` builds the common case of one problem and one analysis.
"""

from __future__ import annotations

import copy
from dataclasses import dataclass, field
from typing import Iterator, Optional, Sequence, TypeVar, Union

from . import analyses, geometry_soils, mirror, validation, water_loads
from .datalines import DataLineReader, InputFormatError, InputLines
from .header import Controls, Frame, header_lines, read_header

# The commands are defined by what they describe; they are named here as well, where they were
# always found (scarpex.problem.Profile and the like).
from .analyses import (  # noqa: F401
    SEARCH_KINDS,
    Analysis,
    Block2Search,
    BlockSearch,
    Box,
    Circle2Search,
    CircleSearch,
    Execute,
    LimitBoundary,
    Limits,
    RandomSearch,
    Search,
    SpecifiedSurface,
    Spencer,
)
from .command import (  # noqa: F401
    MAX_ANISO_ENTRIES,
    MAX_ANISO_RANGES,
    MAX_BOUNDARIES,
    MAX_BOXES,
    MAX_LIMITS,
    MAX_LOADS,
    MAX_PIEZO_POINTS,
    MAX_PIEZO_SURFACES,
    MAX_REINF_LAYERS,
    MAX_REINF_POINTS,
    MAX_SOILS,
    MAX_SURFACE_POINTS,
    MAX_TIES,
    Command,
    Point,
    Toggle,
)
from .geometry_soils import (  # noqa: F401
    Anisotropy,
    AnisotropyEntry,
    Boundary,
    DepthVariation,
    DirectionRange,
    Profile,
    Soil,
    SoilChange,
    SoilChanges,
    Soils,
    Units,
)
from .water_loads import (  # noqa: F401
    Earthquake,
    Load,
    Loads,
    PiezometricSurface,
    Reinforcement,
    ReinforcementLayer,
    ReinforcementPoint,
    Tie,
    Ties,
    Water,
)


# The reader of each command word but PROFIL, which reads its title line itself.
_READERS = {**geometry_soils.READERS, **water_loads.READERS, **analyses.READERS}

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

    def mirrored(self, axis: Optional[float] = None) -> "Problem":
        """The problem for a section drawn crest-left, as `scarpex INPUT --mirror` runs it:
        every x mirrored to `axis` - x (default: the largest x, so none turns negative), the
        lists reordered as the engine reads them left to right, directions turned (see
        scarpex.mirror), and the frame set to show the slope as drawn. Raises ValueError for
        a problem stored mirrored already, an axis left of some x, a negative x, or a tieback
        head that would land on x = 0."""
        if axis is None:
            axis = mirror.largest_x(self.commands) or 0.0
        frame = mirror.mirror_frame(self.frame, axis)
        commands = mirror.mirror_commands(self.commands, axis)
        return Problem(commands, copy.deepcopy(self.controls), frame)

    # -- text

    def to_input(self) -> str:
        """The input data file: header, then every command with its data lines."""
        lines = header_lines(self.controls, self.frame)
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
        controls, frame = read_header(source)
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
        validation.validate(self.controls, self.commands)

    def __iter__(self) -> Iterator[Command]:
        return iter(self.commands)
