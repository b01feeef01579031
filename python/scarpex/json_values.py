"""Values of the host's JSON document, read so that a null never raises.

The host writes null for a number that did not fit its field in the engine's files (a frame
value of 1e8 or more, a factor printed as asterisks); a reader that called float() on it would
lose the whole run for one field. A value of the wrong kind altogether (a string where a
number belongs) still raises ValueError or TypeError: that is a document this reader does not
understand, and the caller turns it into ResultsFormatError.
"""

from __future__ import annotations

import math
from typing import Any, Optional


def number(value: Any) -> float:
    """A real; NaN for null."""
    return math.nan if value is None else float(value)


def optional_number(value: Any) -> Optional[float]:
    """A real, or None for null (a value that was not given, such as theta without Spencer)."""
    return None if value is None else float(value)


def integer(value: Any, default: int = 0) -> int:
    """An integer; `default` for null or a missing value."""
    return default if value is None else int(value)


def optional_integer(value: Any) -> Optional[int]:
    return None if value is None else int(value)


def text(value: Any, default: str = "") -> str:
    return default if value is None else str(value)


def mapping(value: Any) -> dict:
    """An object; {} for null or a missing one."""
    if value is None:
        return {}
    if not isinstance(value, dict):
        raise TypeError(f"an object was expected, not {type(value).__name__}")
    return value


def items(value: Any) -> list:
    """An array; [] for null or a missing one."""
    if value is None:
        return []
    if not isinstance(value, list):
        raise TypeError(f"an array was expected, not {type(value).__name__}")
    return value
