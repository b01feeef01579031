"""The engine's data-line format, both ways.

Data lines have 80 columns. A field is a run of non-blank characters ended by a blank; the
fields of a line are separated by exactly one blank, and two blanks end the line's data, so
the next value comes from the next line. A new data line must not begin with a blank. Reals
need a decimal point; integers have none and take no sign. The header of an input file is
read differently: free format, values separated by blanks or commas.
"""

from __future__ import annotations

import math
import re
from dataclasses import dataclass
from typing import Optional, Sequence

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
        return cls(clean)  # a tab is a character like any other, not a blank

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


# A header item given as null (two commas in a row, `r*` alone, or after a slash): the engine
# leaves the item as it was.
NULL = None


def read_free_format(source: InputLines, count: int, parse, names: Sequence[str]) -> list:
    """One group of the header, read as list-directed input: `count` items over as many
    lines as needed, separated by blanks (a tab counts as one) or a comma with optional
    blanks around it. Two commas in a row (or a comma opening the group) give a null item,
    `r*value` stands for r equal values and `r*` for r nulls, and a slash ends the group,
    leaving the rest null. What is left of the last line is not read."""
    values: list = []
    items = _list_directed_items(source)
    for name in names[:count]:
        kind, text, number = next(items)
        if kind == "end of file":
            raise InputFormatError(f"header: the file ends before {name}")
        if kind == "end of group":
            values += [NULL] * (count - len(values))
            break
        if kind == "null":
            values.append(NULL)
            continue
        try:
            values.append(parse(text))
        except ValueError:
            raise InputFormatError(f"header: {name} {text!r} cannot be read", number) from None
    return values


def _list_directed_items(source: InputLines):
    line, number, pos = None, 0, 0
    comma_open = True  # a comma (or the group's start) with no value after it yet
    while True:
        if line is None or pos >= len(line):
            nxt = source.next_line()
            if nxt is None:
                while True:
                    yield "end of file", "", number
            number, line, pos = nxt[0], nxt[1], 0
            continue
        c = line[pos]
        if c in " \t":
            pos += 1
        elif c == ",":
            pos += 1
            if comma_open:
                yield "null", "", number
            comma_open = True
        elif c == "/":
            while True:
                yield "end of group", "", number
        else:
            comma_open = False
            end = pos
            while end < len(line) and line[end] not in " \t,/":
                end += 1
            token, pos = line[pos:end], end
            head, star, tail = token.partition("*")
            if star and head.isdigit() and head.isascii() and int(head) > 0:
                kind = "value" if tail else "null"
                for _ in range(int(head)):
                    yield kind, tail, number
            else:
                yield "value", token, number


def parse_header_integer(token: str) -> int:
    digits = token[1:] if token[:1] in ("+", "-") else token
    if not (digits.isdigit() and digits.isascii()):
        raise ValueError(token)
    value = int(token)
    if not -(2**31) <= value <= MAX_INTEGER:
        raise ValueError(token)
    return value


_HEADER_REAL = re.compile(r"([+-]?)(\d*\.?\d*)(?:[EeDd]([+-]?\d+)|([+-]\d+))?")
FLOAT_MAX = 3.4028234663852886e38


def parse_header_real(token: str) -> float:
    """A list-directed real: a sign, digits with or without one point, and an exponent
    written with E or D, or as a sign alone (1.5D2, 1.5E+2 and 1.5+2 are all 150)."""
    match = _HEADER_REAL.fullmatch(token)
    if not match or not any(c.isdigit() for c in match.group(2)) or not token.isascii():
        raise ValueError(token)
    exponent = match.group(3) or match.group(4) or "0"
    value = float(f"{match.group(1)}{match.group(2)}e{exponent}")
    if not abs(value) <= FLOAT_MAX:
        raise ValueError(token)
    return value


def header_real(value: Optional[float], item: str) -> str:
    """A header real, written like a data-line real; "" for a null item."""
    return "" if value is NULL else format_real(value, item)


def header_integer(value: Optional[int], item: str) -> str:
    if value is NULL:
        return ""
    if isinstance(value, bool) or not isinstance(value, int):
        raise TypeError(f"{item}: an integer is needed, got {value!r}")
    return str(value)


def header_group_lines(fields: Sequence[str]) -> list[str]:
    """The lines of a header group. Null items need commas: inside the group two commas in a
    row, at its end a slash, which leaves the rest of the group as it was."""
    if all(fields):
        return pack_fields(list(fields))
    last = max((i for i, f in enumerate(fields) if f), default=-1)
    text = ",".join(fields[: last + 1]) + ("/" if last + 1 < len(fields) else "")
    if len(text) > LINE_WIDTH:
        raise ValueError("a header group with null items must fit one line")
    return [text]


__all__ = [
    "InputFormatError",
    "format_real",
    "format_integer",
    "pack_fields",
    "InputLines",
    "DataLineReader",
    "read_free_format",
]
