"""Build the layered slope, search it for the most critical circle, print the circle and
draw it.

    python3 examples/python/layered_search.py [OUTPUT_FOLDER]

Runs from the repository without installing the package (after `make build`); the input
file, the engine's output files and the picture go to OUTPUT_FOLDER (default out/python).
"""

import sys
from pathlib import Path

REPOSITORY = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(REPOSITORY / "python"))

from scarpex import (  # noqa: E402
    Boundary,
    Circle2Search,
    PiezometricSurface,
    Problem,
    Profile,
    Soil,
    Units,
    Water,
    run,
)

out = Path(sys.argv[1] if len(sys.argv) > 1 else REPOSITORY / "out" / "python")

# The slope: a 20 m bench rising to a 30 m crest, over a stiffer layer, with a water table.
profile = Profile(
    "LAYERED SLOPE WITH A WATER TABLE, CIRCULAR SEARCH",
    [
        Boundary(0.0, 20.0, 20.0, 20.0, soil=1),  # ground surface, left to right
        Boundary(20.0, 20.0, 40.0, 30.0, soil=1),
        Boundary(40.0, 30.0, 70.0, 30.0, soil=1),
        Boundary(0.0, 15.0, 70.0, 22.0, soil=2),  # top of the lower layer
    ],
    top_count=3,
    units=Units.METRIC,
)
soils = [
    # unit weight, saturated unit weight, cohesion (kPa), friction angle (deg)
    Soil(18.5, 20.0, 5.0, 30.0, piezometric_surface=1),
    Soil(19.5, 20.5, 10.0, 25.0, piezometric_surface=1),
]
water = Water(9.81, [PiezometricSurface([(0.0, 17.0), (30.0, 19.0), (50.0, 24.0), (70.0, 25.0)])])

# Modified Bishop circles: 10 starting points between x = 5 and 15 on the toe bench,
# 20 circles from each, ending between x = 40 and 60 on the crest.
search = Circle2Search(
    init_point_count=10, surfaces_per_point=20,
    init_x_left=5.0, init_x_right=15.0, term_x_left=40.0, term_x_right=60.0,
    min_elevation=0.0, segment_length=2.0,
)
problem = Problem.create(profile, soils, search, water=water)
results = run(problem, out, name="layered_search")

if results.not_available:
    print(f"The engine answers: {results.not_available}")
    sys.exit(1)
if not results.completed:
    print(f"The run {results.outcome}: {', '.join(results.error_codes)}")
    sys.exit(1)

best = results.critical_surface
print(f"{results.trial_count} trial surfaces, method: {results.method}")
print(f"Lowest factor of safety: {results.factor_of_safety:.3f}")
if best.circle is not None:
    c = best.circle
    print(f"Critical circle: centre x = {c.x:.2f}, y = {c.y:.2f}, radius {c.radius:.2f} m")
print(f"It enters the ground at x = {best.points[0][0]:.2f} and leaves it at x = {best.points[-1][0]:.2f}")
for rank, surface in enumerate(results.critical_surfaces[:5], start=1):
    print(f"  {rank:2d}. F = {surface.factor_of_safety:.3f}")

picture = out / "layered_search.svg"
picture.write_text(results.to_svg())
print(f"Picture: {picture}")
print(f"Report:  {results.files.report}")
