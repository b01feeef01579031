"""What every command of an input file shares: the base class, the engine's table sizes, the
field helpers of the data lines and the toggle that suppresses or reactivates stored data."""

from __future__ import annotations

from dataclasses import dataclass
from typing import ClassVar, Sequence

from .datalines import DataLineReader, InputFormatError, format_real


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
# The package writes its input files in this encoding; the engine reads bytes.
INPUT_ENCODING = "utf-8"
# The engine keeps this many bytes of the PROFIL title line (in UTF-8 a character takes one
# to four).
TITLE_BYTES = 80


def first_title_bytes(line: str) -> str:
    """The part of a title line the engine keeps: its first TITLE_BYTES bytes, without a
    character cut in two."""
    return line.encode(INPUT_ENCODING)[:TITLE_BYTES].decode(INPUT_ENCODING, errors="ignore")


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
