"""The soil properties a study varies, named as "soil 1 cohesion", (1, "cohesion") or
SoilProperty(1, "cohesion"), their physical ranges, and a problem with some of them set."""

from __future__ import annotations

import math
import re
from dataclasses import dataclass
from typing import Mapping, Union

from .problem import Problem, SoilChanges, Soils
from .validation import ProblemError

# Physical ranges of the soil properties a study may vary: draws outside them are drawn again
# (the distribution is truncated to the range).
PROPERTY_RANGES: dict[str, tuple[float, float]] = {
    "total_unit_weight": (0.0, math.inf),
    "saturated_unit_weight": (0.0, math.inf),
    "cohesion": (0.0, math.inf),
    "friction_angle": (0.0, 89.999),
    "pore_pressure_ratio": (0.0, 1.0),
    "pore_pressure_constant": (0.0, math.inf),
}
_ALIASES = {"phi": "friction_angle", "friction": "friction_angle", "c": "cohesion",
            "unit_weight": "total_unit_weight", "gamma": "total_unit_weight", "ru": "pore_pressure_ratio"}


@dataclass(frozen=True)
class SoilProperty:
    """A property of one soil type, such as the cohesion of soil 1."""

    soil: int
    name: str

    def __str__(self) -> str:
        return f"soil {self.soil} {self.name}"

    @classmethod
    def of(cls, key: Union["SoilProperty", str, tuple]) -> "SoilProperty":
        """Accepts SoilProperty(1, "cohesion"), (1, "cohesion") or "soil 1 cohesion"."""
        if isinstance(key, SoilProperty):
            soil, name = key.soil, key.name
        elif isinstance(key, tuple) and len(key) == 2:
            soil, name = key
        elif isinstance(key, str):
            match = re.fullmatch(r"\s*soil\s+(\d+)\s+([A-Za-z_ ]+?)\s*", key)
            if not match:
                raise ProblemError(repr(key), 'name a property as "soil N property"')
            soil, name = int(match.group(1)), match.group(2).replace(" ", "_")
        else:
            raise ProblemError(repr(key), "not a soil property")
        name = _ALIASES.get(name, name)
        if name not in PROPERTY_RANGES:
            raise ProblemError(f"soil {soil} {name}",
                               f"not a property that can vary ({', '.join(PROPERTY_RANGES)})")
        return cls(int(soil), name)


def apply_sample(problem: Problem, values: Mapping[SoilProperty, float]) -> Problem:
    """A copy of the problem with the given soil properties set wherever the soil type is
    defined (every new set of soil types, and every change of that type)."""
    sample = problem.copy()
    for prop, value in values.items():
        touched = False
        for command in sample.commands:
            if isinstance(command, Soils) and 1 <= prop.soil <= len(command.soils):
                setattr(command.soils[prop.soil - 1], prop.name, float(value))
                touched = True
            elif isinstance(command, SoilChanges):
                for change in command.changes:
                    if change.soil_type == prop.soil:
                        setattr(change.soil, prop.name, float(value))
                        touched = True
        if not touched:
            raise ProblemError(str(prop), f"the problem defines no soil type {prop.soil}")
    return sample
