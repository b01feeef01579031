#include "run/refine_circles.h"

#include "run/nlopt_minimum.h"
#include "run/refine_geometry.h"

namespace scarpex_host {

namespace {

// A specified surface holds at most 100 points.
constexpr int kMostPoints = 100;
// Each start is optimised with Subplex, its first steps this share of the surface's width;
// the best circle is then polished with BOBYQA in a box of that width around it.
constexpr double kStartStep = 0.1;
constexpr int kStartEvaluations = 60;
constexpr double kPolishStep = 0.01;
constexpr int kPolishEvaluations = 120;
// Optimisation stops when no variable moves by more than this share of the width.
constexpr double kTolerance = 1e-4;

constexpr std::size_t kCircleVariables = 3;  // centre x and y, radius

std::vector<double> variables_of(const Circle& c) {
  return {c.x, c.y, c.radius};
}

Circle circle_from(const std::vector<double>& v) {
  return {v[0], v[1], v[2]};
}

Objective circle_objective(SurfaceObjective& objective, double segment_length, int rank) {
  return [&objective, segment_length, rank](const std::vector<double>& v) {
    Circle circle = circle_from(v);
    std::optional<Polyline> surface =
        circle_surface(circle, objective.rules().ground, segment_length, kMostPoints);
    if (!surface) return kInadmissible;
    return objective.value({*surface, circle, rank});
  };
}

MinimiseSettings settings(Optimiser optimiser, double step, double width, int evaluations) {
  return settings_for_width(optimiser, kCircleVariables, width, step, kTolerance, evaluations);
}

void polish(SurfaceObjective& objective, double segment_length) {
  if (!objective.best() || !objective.best()->candidate.circle) return;
  const RatedCandidate best = *objective.best();
  const double width = width_of(best.candidate.points);
  std::vector<double> start = variables_of(*best.candidate.circle);
  MinimiseSettings s = settings(Optimiser::kBobyqa, kPolishStep, width, kPolishEvaluations);
  for (double v : start) {
    s.lower.push_back(v - width);
    s.upper.push_back(v + width);
  }
  minimise(circle_objective(objective, segment_length, best.candidate.start_rank), start, s);
}

}  // namespace

std::optional<Circle> circle_of(const ResultSurface& surface) {
  const Polyline& p = surface.points;
  // The last point is where the last chord leaves the ground, not on the circle.
  if (p.size() >= 4) {
    if (auto circle = circle_through(p.front(), p[(p.size() - 2) / 2], p[p.size() - 2])) {
      return circle;
    }
  }
  return surface.circle;
}

void refine_circles(const std::vector<ResultSurface>& starts, double segment_length,
                    SurfaceObjective& objective) {
  for (std::size_t i = 0; i < starts.size(); ++i) {
    const int rank = static_cast<int>(i) + 1;
    std::optional<Circle> circle = circle_of(starts[i]);
    if (!circle || starts[i].points.size() < 2) continue;
    const double width = width_of(starts[i].points);
    minimise(circle_objective(objective, segment_length, rank), variables_of(*circle),
             settings(Optimiser::kSubplex, kStartStep, width, kStartEvaluations));
  }
  polish(objective, segment_length);
}

}  // namespace scarpex_host
