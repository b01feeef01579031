"""A section drawn crest-left, mirrored for the engine, which computes on slopes that rise to
the right: every x becomes a - x about an axis a, and the header's frame shows the result as
it was drawn. The rules are those of the host's `--mirror` (host/run/mirror_commands.h):

- PROFIL: the top boundaries in reverse order (the ground runs left to right), every boundary
  with its ends exchanged; the lower boundaries keep their order (top down).
- WATER, REINF, SURFAC/SURBIS: the points of each polyline in reverse order.
- LOADS: in reverse order, ends and intensities exchanged, the deflection negated.
- TIES: the head's x (0. stays 0.: "find the head on the boundary"), the inclination becomes
  180 - it, a top boundary k of NT is numbered NT + 1 - k.
- ANISO: the direction limits negated, the ranges in reverse order.
- LIMITS, BLOCK/BLOCK2 boxes: ends exchanged; boxes in reverse order, limits in theirs.
- CIRCLE, CIRCL2, RANDOM: initiation and termination ranges exchange roles; the angle
  restriction (of the first segment, positive upward) is kept.

Mirrored values are computed on the decimal digits, so that 100. - 12.35 is written 87.65.
"""

from __future__ import annotations

import copy
import dataclasses
from decimal import Decimal
from typing import Callable, Optional, Sequence

from .analyses import Box, LimitBoundary, Limits, SpecifiedSurface, _BoxSearch, _TrialSearch
from .command import Command, Point
from .geometry_soils import Anisotropy, AnisotropyEntry, Boundary, DirectionRange, Profile
from .header import Frame
from .water_loads import (
    Load,
    Loads,
    PiezometricSurface,
    Reinforcement,
    ReinforcementLayer,
    Tie,
    Ties,
    Water,
)

LOWEST_COORDINATE = -0.001  # the engine refuses a coordinate at or below this
STRAIGHT_ANGLE = Decimal(180)
RIGHT_ANGLE = 90.0


def _decimal(value: float) -> Decimal:
    # The shortest digits that give the float back: the digits the user wrote.
    return Decimal(repr(float(value)))


class _Mirror:
    """x -> axis - x on the digits, with the walk's state that TIES needs."""

    def __init__(self, axis: Optional[float]):
        self.axis = None if axis is None else _decimal(axis)
        self.largest: Optional[float] = None
        self.top_count = 0

    def x(self, value: float) -> float:
        if value <= LOWEST_COORDINATE:
            raise ValueError(f"x = {value} is negative; the engine refuses it, and mirrored it "
                             "would no longer be")
        if self.largest is None or value > self.largest:
            self.largest = value
        return value if self.axis is None else float(self.axis - _decimal(value))

    def points(self, points: Sequence[Point]) -> list[Point]:
        return [(self.x(x), y) for x, y in points][::-1]


def _profile(c: Profile, m: _Mirror) -> Profile:
    if not 1 <= c.top_count <= len(c.boundaries):
        raise ValueError(f"PROFIL: {c.top_count} top boundaries of {len(c.boundaries)}: there "
                         "is no ground surface to mirror")
    mirrored = [Boundary(m.x(b.x_right), b.y_right, m.x(b.x_left), b.y_left, b.soil)
                for b in c.boundaries]
    top = c.top_count
    m.top_count = top
    return dataclasses.replace(c, boundaries=mirrored[:top][::-1] + mirrored[top:])


def _water(c: Water, m: _Mirror) -> Water:
    return Water(c.unit_weight, [PiezometricSurface(m.points(s.points)) for s in c.surfaces])


def _loads(c: Loads, m: _Mirror) -> Loads:
    return Loads([Load(m.x(ld.x_right), m.x(ld.x_left), ld.intensity_right, ld.intensity_left,
                       -ld.deflection) for ld in c.loads][::-1])


def _tie(t: Tie, m: _Mirror) -> Tie:
    x = t.x
    if x != 0.0:
        x = m.x(x)
        if x == 0.0 and m.axis is not None:
            raise ValueError(f"TIES: the head at x = {t.x} lies on the mirror axis, where x = 0. "
                             "would ask the engine to find the head itself")
    boundary = m.top_count + 1 - t.boundary if 1 <= t.boundary <= m.top_count else t.boundary
    inclination = float(STRAIGHT_ANGLE - _decimal(t.inclination))
    return dataclasses.replace(t, boundary=boundary, x=x, inclination=inclination)


def _reinforcement(c: Reinforcement, m: _Mirror) -> Reinforcement:
    layers = [ReinforcementLayer([dataclasses.replace(p, x=m.x(p.x)) for p in layer.points][::-1])
              for layer in c.layers]
    return Reinforcement(layers)


def _engine_takes(ranges: Sequence[DirectionRange]) -> bool:
    ascending = all(a.direction <= b.direction for a, b in zip(ranges, ranges[1:]))
    return ascending and ranges[-1].direction >= RIGHT_ANGLE


def _ranges(ranges: Optional[list[DirectionRange]]) -> Optional[list[DirectionRange]]:
    """Each range in reverse order, closed by the negative of the limit that opened it; the
    last one at 90 degrees or more. A table the engine refuses is left for it to report."""
    if ranges is None or len(ranges) < 2 or not _engine_takes(ranges):
        return ranges
    n = len(ranges)
    mirrored = [DirectionRange(-ranges[n - 2 - j].direction, ranges[n - 1 - j].cohesion,
                               ranges[n - 1 - j].friction_angle) for j in range(n - 1)]
    last = max(ranges[-1].direction, -ranges[0].direction)
    return mirrored + [DirectionRange(last, ranges[0].cohesion, ranges[0].friction_angle)]


def _anisotropy(c: Anisotropy, m: _Mirror) -> Anisotropy:
    return Anisotropy([dataclasses.replace(e, ranges=_ranges(e.ranges),
                                           bottom_ranges=_ranges(e.bottom_ranges))
                       for e in c.entries])


def _limits(c: Limits, m: _Mirror) -> Limits:
    return dataclasses.replace(c, boundaries=[
        LimitBoundary(m.x(b.x_right), b.y_right, m.x(b.x_left), b.y_left) for b in c.boundaries])


def _surface(c: SpecifiedSurface, m: _Mirror) -> SpecifiedSurface:
    return dataclasses.replace(c, points=m.points(c.points))


def _trial_search(c: _TrialSearch, m: _Mirror) -> _TrialSearch:
    return dataclasses.replace(c, init_x_left=m.x(c.term_x_right), init_x_right=m.x(c.term_x_left),
                               term_x_left=m.x(c.init_x_right), term_x_right=m.x(c.init_x_left))


def _box_search(c: _BoxSearch, m: _Mirror) -> _BoxSearch:
    boxes = [Box(m.x(b.x_right), b.y_right, m.x(b.x_left), b.y_left, b.height) for b in c.boxes]
    return dataclasses.replace(c, boxes=boxes[::-1])


_MIRRORS: list[tuple[type, Callable]] = [
    (Profile, _profile), (Water, _water), (Loads, _loads),
    (Ties, lambda c, m: Ties([_tie(t, m) for t in c.ties])),
    (Reinforcement, _reinforcement), (Anisotropy, _anisotropy), (Limits, _limits),
    (SpecifiedSurface, _surface), (_TrialSearch, _trial_search), (_BoxSearch, _box_search),
]


def _walk(commands: Sequence[Command], m: _Mirror) -> list[Command]:
    out = []
    for command in copy.deepcopy(list(commands)):
        mirror = next((f for kind, f in _MIRRORS if isinstance(command, kind)), None)
        # Commands without an x or a direction (SOIL, EQUAKE, SPENCR, EXECUT, a toggle) stay.
        out.append(mirror(command, m) if mirror else command)
    return out


def largest_x(commands: Sequence[Command]) -> Optional[float]:
    """The largest x of the commands (None without any): the default axis, which keeps every
    mirrored x at 0 or above."""
    finder = _Mirror(None)
    _walk(commands, finder)
    return finder.largest


def mirror_commands(commands: Sequence[Command], axis: float) -> list[Command]:
    """The commands mirrored about x = `axis`; mirroring them again about it gives them back."""
    largest = largest_x(commands)
    if largest is not None and float(_decimal(axis) - _decimal(largest)) <= LOWEST_COORDINATE:
        raise ValueError(f"x = {largest} lies right of the mirror axis {axis} and would be "
                         "negative mirrored")
    return _walk(commands, _Mirror(axis))


def mirror_frame(frame: Frame, axis: float) -> Frame:
    """The frame of the mirrored problem: mirrored about `axis` plus the shift in x, so the
    picture stays as it was. A frame mirrored already is refused: its problem reaches the
    engine as drawn for it."""
    if frame.mirror == 1:
        raise ValueError("the problem is stored mirrored already (mirror flag 1): it needs "
                         "no mirroring")
    # A null item leaves the engine's value as it was: 0 in the fresh process of a run.
    values = {name: getattr(frame, name) or 0 for name in Frame.INTEGER_NAMES}
    values.update({name: float(getattr(frame, name) or 0.0) for name in Frame.REAL_NAMES})
    values["mirror"] = 1
    values["mirror_axis_x"] = float(_decimal(axis) + _decimal(values["shift_x"]))
    return dataclasses.replace(frame, **values)
