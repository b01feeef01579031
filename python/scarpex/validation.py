"""Checks made before a run, so that obvious faults come back as a Python exception that
names the item instead of an aborted run. The engine's own checks stay the authority: these
only catch what is plainly wrong, in the order of the commands, with the data in force."""

from __future__ import annotations

import math
from dataclasses import dataclass
from typing import Optional, Sequence

from .analyses import (
    SEARCH_KINDS,
    Block2Search,
    BlockSearch,
    Circle2Search,
    CircleSearch,
    Execute,
    Limits,
    RandomSearch,
    SpecifiedSurface,
    Spencer,
    _BoxSearch,
    _TrialSearch,
)
from .command import (
    INPUT_ENCODING,
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
    TITLE_BYTES,
    Command,
    Point,
    Toggle,
)
from .geometry_soils import Anisotropy, DirectionRange, Profile, Soil, SoilChanges, Soils
from .header import Controls
from .water_loads import Earthquake, Loads, Reinforcement, Ties, Water

TOLERANCE = 0.001  # two coordinates closer than this are the same, as in the engine
# Characters that end a line, for the engine or for a reader of the written file.
LINE_BREAKS = frozenset("\n\r\v\f\x1c\x1d\x1e\x85\u2028\u2029")


class ProblemError(ValueError):
    """An obvious fault in a problem; `item` names where it is."""

    def __init__(self, item: str, message: str):
        self.item = item
        super().__init__(f"{item}: {message}")


@dataclass
class _State:
    """The data in force at a point of the command sequence."""

    profile: Optional[Profile] = None
    soil_count: int = 0
    surface_waiting: bool = False  # a specified surface that EXECUT would analyse
    stored: Optional[dict] = None  # count of the stored data of each toggled command
    active: Optional[dict] = None  # whether those data are in force

    def __post_init__(self) -> None:
        self.clear_profile_data()

    def clear_profile_data(self) -> None:
        # A new profile clears what depends on it; soil types and reinforcement stay.
        self.stored = {word: 0 for word in Toggle.WORDS}
        self.active = {word: False for word in Toggle.WORDS}
        self.surface_waiting = False

    def given(self, word: str, count: int) -> None:
        self.stored[word] = count
        self.active[word] = True


def validate(controls: Controls, commands: Sequence[Command]) -> None:
    """Raises ProblemError naming the item of the first obvious fault of a problem's header and
    commands."""
    _controls(controls)
    state = _State()
    if commands and not isinstance(commands[0], Profile):
        raise ProblemError("command 1", f"the first command must be PROFIL, not {commands[0].word}")
    for number, command in enumerate(commands, start=1):
        item = f"{command.word} (command {number})"
        check = _CHECKS.get(type(command))
        if check is not None:
            check(command, state, item)
        if isinstance(command, SEARCH_KINDS):
            _analysis_ready(state, item)
            state.surface_waiting = False
        elif isinstance(command, SpecifiedSurface):
            state.surface_waiting = True
        elif isinstance(command, Execute):
            if state.soil_count == 0:
                raise ProblemError(item, "no SOIL before EXECUT")
            if state.surface_waiting:
                _analysis_ready(state, item)


def _finite(value: float, item: str) -> float:
    if isinstance(value, bool) or not isinstance(value, (int, float)) or not math.isfinite(value):
        raise ProblemError(item, f"{value!r} is not a finite number")
    return float(value)


def _count(value: int, item: str, low: int, high: int) -> None:
    if isinstance(value, bool) or not isinstance(value, int):
        raise ProblemError(item, f"an integer is needed, got {value!r}")
    if not low <= value <= high:
        raise ProblemError(item, f"{value} is outside {low} to {high}")


def _not_negative(value: float, item: str) -> None:
    if _finite(value, item) <= -TOLERANCE:
        raise ProblemError(item, f"{value} is negative")


def _controls(c: Controls) -> None:
    # None is a null item: the engine keeps the value it holds.
    for name in Controls.INTEGER_NAMES:
        if getattr(c, name) is not None:
            _count(getattr(c, name), f"header {name}", 0, 2**31 - 1)
    for name in Controls.REAL_NAMES:
        value = getattr(c, name)
        if value is not None and _finite(value, f"header {name}") <= 0:
            raise ProblemError(f"header {name}", "a tolerance must be above 0")


def _title(title: str, item: str) -> None:
    if any(character in LINE_BREAKS for character in title):
        raise ProblemError(item, "has a line break; the title is one line of the input file")
    size = len(title.encode(INPUT_ENCODING))
    if size > TITLE_BYTES:
        raise ProblemError(item, f"{size} bytes as {INPUT_ENCODING.upper()} ({len(title)} "
                                 f"characters); the engine keeps {TITLE_BYTES} bytes")


def _profile(c: Profile, state: _State, item: str) -> None:
    _title(c.title, f"{item} title")
    _count(len(c.boundaries), f"{item} boundary count", 1, MAX_BOUNDARIES)
    _count(c.top_count, f"{item} top boundary count", 1, len(c.boundaries))
    _count(int(c.units), f"{item} unit system", 0, 2**31 - 1)
    for i, b in enumerate(c.boundaries, start=1):
        where = f"{item} boundary {i}"
        for name in ("x_left", "y_left", "x_right", "y_right"):
            _not_negative(getattr(b, name), f"{where} {name}")
        if b.x_left - b.x_right >= TOLERANCE:
            raise ProblemError(where, f"is not left to right (x-left {b.x_left} > x-right {b.x_right})")
        _count(b.soil, f"{where} soil type", 1, MAX_SOILS)
    top = c.boundaries[: c.top_count]
    for i in range(1, len(top)):
        a, b = top[i - 1], top[i]
        if abs(a.x_right - b.x_left) >= TOLERANCE or abs(a.y_right - b.y_left) >= TOLERANCE:
            raise ProblemError(f"{item} boundaries {i} and {i + 1}",
                               "the ground surface is broken: the top boundaries do not meet")
    state.profile = c
    state.clear_profile_data()


def _soil_values(s: Soil, where: str) -> None:
    for name in ("total_unit_weight", "saturated_unit_weight", "cohesion",
                 "pore_pressure_constant"):
        _not_negative(getattr(s, name), f"{where} {name}")
    if not 0 <= _finite(s.friction_angle, f"{where} friction_angle") < 90:
        raise ProblemError(f"{where} friction_angle", f"{s.friction_angle} is outside 0 to 90 degrees")
    _finite(s.pore_pressure_ratio, f"{where} pore_pressure_ratio")
    _count(s.piezometric_surface, f"{where} piezometric_surface", 0, MAX_PIEZO_SURFACES)


def _soils(c: Soils, state: _State, item: str) -> None:
    _count(len(c.soils), f"{item} soil count", 1, MAX_SOILS)
    _count(c.heading_switch, f"{item} heading_switch", 0, 2**31 - 1)
    for k, s in enumerate(c.soils, start=1):
        _soil_values(s, f"{item} soil {k}")
        if s.depth_variation is not None:
            dv = s.depth_variation
            where = f"{item} soil {k} depth_variation"
            _count(dv.switch, f"{where} switch", 1, 2**31 - 1)
            for name in ("y_ref_1", "y_ref_2", "cohesion_2", "friction_angle_2"):
                _finite(getattr(dv, name), f"{where} {name}")
            for x in dv.extra:
                _finite(x, f"{where} extra")
    state.soil_count = len(c.soils)


def _soil_changes(c: SoilChanges, state: _State, item: str) -> None:
    if state.soil_count == 0:
        raise ProblemError(item, "soil types can be changed only after a set is defined")
    for i, change in enumerate(c.changes, start=1):
        _count(change.soil_type, f"{item} change {i} soil_type", 1, state.soil_count)
        _soil_values(change.soil, f"{item} change {i}")


def _points(points: Sequence[Point], where: str, increasing: bool = False) -> None:
    for j, (x, y) in enumerate(points, start=1):
        _not_negative(x, f"{where} point {j} x")
        _not_negative(y, f"{where} point {j} y")
        if increasing and j > 1 and not x > points[j - 2][0]:
            raise ProblemError(f"{where} point {j}", "x must increase strictly along the surface")


def _water(c: Water, state: _State, item: str) -> None:
    _count(len(c.surfaces), f"{item} surface count", 1, MAX_PIEZO_SURFACES)
    _not_negative(c.unit_weight, f"{item} unit_weight")
    for j, s in enumerate(c.surfaces, start=1):
        _count(len(s.points), f"{item} surface {j} point count", 2, MAX_PIEZO_POINTS)
        _points(s.points, f"{item} surface {j}", increasing=True)
    state.given("WATER", len(c.surfaces))


def _loads(c: Loads, state: _State, item: str) -> None:
    _count(len(c.loads), f"{item} load count", 1, MAX_LOADS)
    for i, ld in enumerate(c.loads, start=1):
        where = f"{item} load {i}"
        _not_negative(ld.x_left, f"{where} x_left")
        _not_negative(ld.x_right, f"{where} x_right")
        for name in ("intensity_left", "intensity_right", "deflection"):
            _finite(getattr(ld, name), f"{where} {name}")
        if not ld.x_right > ld.x_left:
            raise ProblemError(where, "x_right must be greater than x_left")
        if i > 1 and ld.x_left < c.loads[i - 2].x_right:
            raise ProblemError(where, "loads go from left to right and must not overlap")
    state.given("LOADS", len(c.loads))


def _ties(c: Ties, state: _State, item: str) -> None:
    _count(len(c.ties), f"{item} row count", 1, MAX_TIES)
    boundaries = len(state.profile.boundaries) if state.profile else MAX_BOUNDARIES
    for i, t in enumerate(c.ties, start=1):
        where = f"{item} row {i}"
        _count(t.boundary, f"{where} boundary", 1, boundaries)
        for name in ("x", "y", "load", "spacing", "inclination", "length"):
            _finite(getattr(t, name), f"{where} {name}")
        _not_negative(t.y, f"{where} y")
        if not 0 <= t.inclination < 180:
            raise ProblemError(f"{where} inclination", f"{t.inclination} is outside 0 to 180 degrees")
        if t.spacing < 1.0:
            raise ProblemError(f"{where} spacing", f"{t.spacing} is below 1.0")
        if t.length < 0:
            raise ProblemError(f"{where} length", f"{t.length} is negative")
    state.given("TIES", len(c.ties))


def _earthquake(c: Earthquake, state: _State, item: str) -> None:
    for name in ("kh", "kv", "cavitation_pressure"):
        _finite(getattr(c, name), f"{item} {name}")


def _reinforcement(c: Reinforcement, state: _State, item: str) -> None:
    _count(len(c.layers), f"{item} layer count", 1, MAX_REINF_LAYERS)
    for n, layer in enumerate(c.layers, start=1):
        _count(len(layer.points), f"{item} layer {n} point count", 2, MAX_REINF_POINTS)
        for j, pt in enumerate(layer.points, start=1):
            where = f"{item} layer {n} point {j}"
            for name in ("x", "y", "axial_force", "shear_force"):
                _not_negative(getattr(pt, name), f"{where} {name}")
            f = _finite(pt.inclination_factor, f"{where} inclination_factor")
            if f <= -TOLERANCE or f > 1 + TOLERANCE:
                raise ProblemError(f"{where} inclination_factor", f"{f} is outside 0 to 1")


def _ranges(ranges: Sequence[DirectionRange], where: str) -> None:
    _count(len(ranges), f"{where} range count", 2, MAX_ANISO_RANGES)
    for r, rng in enumerate(ranges, start=1):
        for name in ("direction", "cohesion", "friction_angle"):
            _finite(getattr(rng, name), f"{where} range {r} {name}")
        if r > 1 and rng.direction < ranges[r - 2].direction:
            raise ProblemError(f"{where} range {r}", "direction limits must not decrease")
    if ranges[-1].direction < 90.0:
        raise ProblemError(f"{where} range {len(ranges)}", "the last direction limit is below 90 degrees")


def _anisotropy(c: Anisotropy, state: _State, item: str) -> None:
    if state.soil_count == 0:
        raise ProblemError(item, "ANISO needs the soil types first")
    _count(len(c.entries), f"{item} entry count", 1, min(MAX_ANISO_ENTRIES, state.soil_count))
    for i, e in enumerate(c.entries, start=1):
        where = f"{item} entry {i}"
        _count(e.soil_type, f"{where} soil_type", 1, state.soil_count)
        _ranges(e.ranges, where)
        if e.bottom_ranges is not None:
            _ranges(e.bottom_ranges, f"{where} bottom")
    state.given("ANISO", len(c.entries))


def _limits(c: Limits, state: _State, item: str) -> None:
    _count(len(c.boundaries), f"{item} boundary count", 1, MAX_LIMITS)
    _count(c.upward_count, f"{item} upward_count", 0, len(c.boundaries))
    for i, b in enumerate(c.boundaries, start=1):
        where = f"{item} boundary {i}"
        for name in ("x_left", "y_left", "x_right", "y_right"):
            _not_negative(getattr(b, name), f"{where} {name}")
        if b.x_left - b.x_right >= TOLERANCE:
            raise ProblemError(where, "is not left to right")
    state.given("LIMITS", len(c.boundaries))


def _ground_ends(state: _State) -> tuple[float, float]:
    profile = state.profile
    return profile.boundaries[0].x_left, profile.boundaries[profile.top_count - 1].x_right


def _surface(c: SpecifiedSurface, state: _State, item: str) -> None:
    _count(len(c.points), f"{item} point count", 2, MAX_SURFACE_POINTS)
    _points(c.points, item)
    if state.profile is None:
        return
    left, right = _ground_ends(state)
    first, last = c.points[0][0], c.points[-1][0]
    if first > right or left - first >= TOLERANCE:
        raise ProblemError(f"{item} point 1", f"x = {first} lies outside the ground surface ({left} to {right})")
    if last < left or last - right >= TOLERANCE:
        raise ProblemError(f"{item} point {len(c.points)}",
                           f"x = {last} lies outside the ground surface ({left} to {right})")


def _spencer(c: Spencer, state: _State, item: str) -> None:
    if not 0 < _finite(c.angle, f"{item} angle") <= 90:
        raise ProblemError(f"{item} angle", f"{c.angle} is outside (0, 90] degrees")


def _trial_search(c: _TrialSearch, state: _State, item: str) -> None:
    _count(c.init_point_count, f"{item} init_point_count", 1, 2**31 - 1)
    _count(c.surfaces_per_point, f"{item} surfaces_per_point", 1, 2**31 - 1)
    for name in _TrialSearch.REALS:
        _finite(getattr(c, name), f"{item} {name}")
    if state.profile is not None:
        left, right = _ground_ends(state)
        if left - c.init_x_left >= TOLERANCE:
            raise ProblemError(f"{item} init_x_left", f"{c.init_x_left} lies left of the ground ({left})")
        if c.init_x_right - right >= TOLERANCE:
            raise ProblemError(f"{item} init_x_right", f"{c.init_x_right} lies right of the ground ({right})")
        if c.term_x_right - right >= TOLERANCE:
            raise ProblemError(f"{item} term_x_right", f"{c.term_x_right} lies right of the ground ({right})")
    if c.init_x_left - c.init_x_right >= TOLERANCE:
        raise ProblemError(f"{item} init_x_left", "the initiation range is reversed")
    if c.term_x_left - c.term_x_right >= TOLERANCE:
        raise ProblemError(f"{item} term_x_left", "the termination range is reversed")
    if c.term_x_right - c.init_x_right <= 0:
        raise ProblemError(f"{item} term_x_right", "must lie right of init_x_right")
    if c.min_elevation < 0:
        raise ProblemError(f"{item} min_elevation", f"{c.min_elevation} is negative")
    if c.segment_length <= 0:
        raise ProblemError(f"{item} segment_length", "must be above 0")
    if c.angle_lower - c.angle_upper >= TOLERANCE:
        raise ProblemError(f"{item} angle_lower", "exceeds angle_upper")


def _box_search(c: _BoxSearch, state: _State, item: str) -> None:
    _count(c.surface_count, f"{item} surface_count", 10, 2**31 - 1)
    _count(len(c.boxes), f"{item} box count", 1, MAX_BOXES)
    if _finite(c.segment_length, f"{item} segment_length") <= 0:
        raise ProblemError(f"{item} segment_length", "must be above 0")
    for i, b in enumerate(c.boxes, start=1):
        where = f"{item} box {i}"
        for name in ("x_left", "y_left", "x_right", "y_right", "height"):
            _finite(getattr(b, name), f"{where} {name}")
        _not_negative(b.x_left, f"{where} x_left")
        if b.x_left - b.x_right >= TOLERANCE:
            raise ProblemError(where, "is not left to right")
        if i > 1 and b.x_left <= c.boxes[i - 2].x_right:
            raise ProblemError(where, "boxes go from left to right and must not overlap")
    if state.profile is not None and c.boxes[-1].x_right > _ground_ends(state)[1]:
        raise ProblemError(f"{item} box {len(c.boxes)}", "ends right of the ground surface")


def _toggle(c: Toggle, state: _State, item: str) -> None:
    if c.command not in Toggle.WORDS:
        raise ProblemError(item, f"only {', '.join(Toggle.WORDS)} can be suppressed")
    if not state.active[c.command] and state.stored[c.command] == 0:
        raise ProblemError(item, f"no {c.command} data are stored to suppress or reactivate")
    state.active[c.command] = not state.active[c.command]


def _analysis_ready(state: _State, item: str) -> None:
    if state.profile is None:
        raise ProblemError(item, "no PROFIL before the analysis")
    if state.soil_count == 0:
        raise ProblemError(item, "no SOIL before the analysis")
    for i, b in enumerate(state.profile.boundaries, start=1):
        if b.soil > state.soil_count:
            raise ProblemError(f"PROFIL boundary {i} soil type",
                               f"{b.soil}, but only {state.soil_count} soil types are defined")


_CHECKS = {
    Profile: _profile,
    Soils: _soils,
    SoilChanges: _soil_changes,
    Water: _water,
    Loads: _loads,
    Ties: _ties,
    Earthquake: _earthquake,
    Reinforcement: _reinforcement,
    Anisotropy: _anisotropy,
    Limits: _limits,
    SpecifiedSurface: _surface,
    Spencer: _spencer,
    Toggle: _toggle,
    CircleSearch: _trial_search,
    Circle2Search: _trial_search,
    RandomSearch: _trial_search,
    BlockSearch: _box_search,
    Block2Search: _box_search,
}
