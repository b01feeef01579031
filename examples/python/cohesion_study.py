"""How uncertain is the factor of safety of the layered slope's circle when the cohesion and
friction angle of its upper soil are uncertain? A Monte Carlo study of 200 samples.

    python3 examples/python/cohesion_study.py [OUTPUT_FOLDER]
"""

import sys
from pathlib import Path

REPOSITORY = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(REPOSITORY / "python"))

from scarpex import LogNormal, Normal, Problem, monte_carlo  # noqa: E402

out = Path(sys.argv[1] if len(sys.argv) > 1 else REPOSITORY / "out" / "python")
out.mkdir(parents=True, exist_ok=True)

problem = Problem.from_input((REPOSITORY / "examples" / "layered_slope.dat").read_text())
study = monte_carlo(
    problem,
    {
        "soil 1 cohesion": Normal(5.0, 1.5),  # kPa, truncated at 0
        "soil 1 friction_angle": LogNormal(30.0, 3.0),  # degrees
    },
    n=200,
    seed=2025,
    jobs=2,
)
print(study.summary())
picture = out / "cohesion_study.svg"
picture.write_text(study.histogram_svg())
print(f"Histogram: {picture}")
