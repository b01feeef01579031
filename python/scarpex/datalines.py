"""The engine's data-line format, both ways.

Data lines have 80 columns. A field is a run of non-blank characters ended by a blank; the
fields of a line are separated by exactly one blank, and two blanks end the line's data, so
the next value comes from the next line. A new data line must not begin with a blank. Reals
need a decimal point; integers have none and take no sign. The header of an input file is
read differently: free format, values separated by blanks or commas.
"""

from __future__ import annotations

import math
from dataclasses import dataclass
from typing import Iterable, Sequence

LINE_WIDTH = 80

# Integers as the engine holds them: 32-bit signed, and never negative in a data line.
MAX_INTEGER = 2**31 - 1


class InputFormatError(ValueError):
    """Text that the engine's readers would refuse (the run would end on it)."""

    def __init__(self, message: str, line_number: int | None = None):
        self.line_number = line_number
        where = f"line {line_number}: " if line_number is not None else ""
        super().__init__(where + message)


def format_real(value: float, item: str = "value") -> str:
    """A real as the data-line reader wants it: always a decimal point, never an exponent.

    The digits are the shortest that give back the same Python float, so a value read from
    an input file is written back with the digits it was read from.
    """
    x = float(value)
    if not math.isfinite(x):
        raise ValueError(f"{item}: {value!r} is not a finite number")
    if x == 0.0:
        return "0."
    text = repr(x)
    if "e" in text or "E" in text:
        text = _plain_decimal(x)
    if "." not in text:
        text += "."
    if text.endswith(".0"):
        text = text[:-1]
    if len(text) > LINE_WIDTH:
        raise ValueError(f"{item}: {value!r} needs more than the {LINE_WIDTH} columns of a line")
    return text


def _plain_decimal(x: float) -> str:
    # The fewest decimals that still give back x exactly; large values need none.
    for decimals in range(0, 400):
        text = f"{x:.{decimals}f}"
        if float(text) == x:
            return text.rstrip("0") if "." in text else text + "."
    return f"{x:.400f}".rstrip("0")


def format_integer(value: int, item: str = "value") -> str:
    """An integer for a data line: digits only (the reader takes no sign)."""
    if isinstance(value, bool) or not isinstance(value, int):
        raise TypeError(f"{item}: an integer is needed, got {value!r}")
    if value < 0:
        raise ValueError(f"{item}: {value} is negative; a data line cannot carry a sign")
    if value > MAX_INTEGER:
        raise ValueError(f"{item}: {value} does not fit a 32-bit integer")
    return str(value)


def pack_fields(fields: Sequence[str], group: int = 1) -> list[str]:
    """Lines of at most 80 columns holding the fields, one blank apart.

    Fields are kept together in groups of `group` (a point's x and y) where a group fits a
    line; a new line starts whenever the next group would pass column 80.
    """
    lines: list[str] = []
    current = ""
    for start in range(0, len(fields), group):
        chunk = " ".join(fields[start : start + group])
        if len(chunk) > LINE_WIDTH:
            # A group too wide for one line is split field by field.
            for single in fields[start : start + group]:
                current = _append(lines, current, single)
            continue
        current = _append(lines, current, chunk)
    if current:
        lines.append(current)
    return lines


def _append(lines: list[str], current: str, text: str) -> str:
    if len(text) > LINE_WIDTH:
        raise ValueError(f"the field {text!r} is wider than the {LINE_WIDTH} columns of a line")
    if not current:
        return text
    if len(current) + 1 + len(text) <= LINE_WIDTH:
        return current + " " + text
    lines.append(current)
    return text


@dataclass
class _Line:
    number: int
    text: str  # exactly 80 columns, blank padded


@dataclass
class InputLines:
    """The lines of an input file, read one by one as the engine reads them."""

    lines: list[str]
    position: int = 0  # index of the next line to read

    @classmethod
    def of_text(cls, text: str) -> "InputLines":
        if text.endswith("\n"):
            text = text[:-1]
        raw = text.split("\n") if text else []
        clean = [line[:-1] if line.endswith("\r") else line for line in raw]
        return cls([line.replace("\t", " ") for line in clean])

    def next_line(self) -> tuple[int, str] | None:
        if self.position >= len(self.lines):
            return None
        self.position += 1
        return self.position, self.lines[self.position - 1]


@dataclass
class DataLineReader:
    """Takes values from data lines exactly as the engine's data-line reader does."""

    source: InputLines
    command: str = ""
    _line: _Line | None = None
    _column: int = 0  # 0-based index of the blank that ended the last field

    def start_command(self, command: str) -> None:
        # Every command's first value starts on a new line.
        self.command = command
        self._line = None

    def _field(self, item: str) -> tuple[str, int]:
        line = self._line
        if line is not None and self._column + 1 < LINE_WIDTH and line.text[self._column + 1] != " ":
            start = self._column + 1
        else:
            nxt = self.source.next_line()
            if nxt is None:
                raise InputFormatError(f"{self.command}: the file ends where {item} is due")
            number, text = nxt
            text = text[:LINE_WIDTH].ljust(LINE_WIDTH)
            if text[0] == " ":
                raise InputFormatError(
                    f"{self.command}: the data line for {item} begins with a blank", number
                )
            line = self._line = _Line(number, text)
            start = 0
        end = line.text.find(" ", start)
        if end < 0:
            end = LINE_WIDTH
        self._column = end
        return line.text[start:end].replace("o", "0"), line.number

    def integer(self, item: str) -> int:
        text, number = self._field(item)
        if "." in text:
            raise InputFormatError(f"{self.command}: {item} {text!r} must be an integer", number)
        if "-" in text:
            raise InputFormatError(f"{self.command}: {item} {text!r} cannot be negative", number)
        if not text.isdigit() or not text.isascii():
            raise InputFormatError(f"{self.command}: {item} {text!r} is not an integer", number)
        value = int(text)
        if value > MAX_INTEGER:
            raise InputFormatError(f"{self.command}: {item} {text} is too large", number)
        return value

    def real(self, item: str) -> float:
        text, number = self._field(item)
        sign = ""
        if text.startswith("-"):
            sign, text = "-", text[1:]
        point = text.rfind(".")
        if point < 0:
            raise InputFormatError(
                f"{self.command}: {item} {sign + text!r} needs a decimal point", number
            )
        whole = text[:point]
        if not (whole.isdigit() and whole.isascii()) and whole != "":
            raise InputFormatError(f"{self.command}: {item} {sign + text!r} is not a real", number)
        # After the point the reader counts any character that is not a digit as a zero.
        fraction = "".join(c if c in "0123456789" else "0" for c in text[point + 1 :])
        return float(f"{sign}{whole or '0'}.{fraction or '0'}")


def read_free_format(source: InputLines, count: int, parse, names: Sequence[str]) -> list:
    """One group of the header: `count` values over as many lines as needed."""
    values: list = []
    while len(values) < count:
        nxt = source.next_line()
        if nxt is None:
            raise InputFormatError(f"header: the file ends before {names[len(values)]}")
        number, text = nxt
        for token in text.replace(",", " ").split():
            if len(values) == count:
                break  # what is left of the line after a group is not read
            try:
                values.append(parse(token))
            except ValueError:
                raise InputFormatError(
                    f"header: {names[len(values)]} {token!r} cannot be read", number
                ) from None
    return values


def parse_header_integer(token: str) -> int:
    if token.strip("+-0123456789"):
        raise ValueError(token)
    value = int(token)
    if not -(2**31) <= value <= MAX_INTEGER:
        raise ValueError(token)
    return value


def parse_header_real(token: str) -> float:
    if token.strip("+-.0123456789EeDd"):
        raise ValueError(token)
    value = float(token.replace("D", "E").replace("d", "e"))
    if not math.isfinite(value):
        raise ValueError(token)
    return value


def header_real(value: float, item: str) -> str:
    """A header real: free format, written like a data-line real."""
    return format_real(value, item)


def header_integer(value: int, item: str) -> str:
    if isinstance(value, bool) or not isinstance(value, int):
        raise TypeError(f"{item}: an integer is needed, got {value!r}")
    return str(value)


def join_lines(lines: Iterable[str]) -> str:
    return "".join(line + "\n" for line in lines)


__all__ = [
    "InputFormatError",
    "format_real",
    "format_integer",
    "pack_fields",
    "InputLines",
    "DataLineReader",
    "read_free_format",
]
