"""The header of an input file: solver controls and the display frame."""

from __future__ import annotations

from dataclasses import dataclass
from typing import ClassVar

from .datalines import (
    InputFormatError,
    InputLines,
    header_group_lines,
    header_integer,
    header_real,
    parse_header_integer,
    parse_header_real,
    read_free_format,
)


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


def header_lines(controls: Controls, frame: Frame) -> list[str]:
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


def read_header(source: InputLines) -> tuple[Controls, Frame]:
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
