#include "run/refine_vertices.h"

#include "run/nlopt_minimum.h"
#include "run/refine_geometry.h"

namespace scarpex_host {

namespace {

// Each start is cut down to this many inner vertices (fewer where that breaks a rule) and
// optimised with Subplex; the best surface then gets a vertex between each two and is
// optimised again with finer steps.
constexpr int kCoarseInnerVertices = 3;
constexpr double kCoarseStep = 0.05;  // share of the surface's width
constexpr int kCoarseEvaluations = 150;
constexpr double kFineStep = 0.01;
constexpr int kFineEvaluations = 900;
// Optimisation stops when no variable moves by more than this share of the width.
constexpr double kTolerance = 1e-4;

// The variables of a surface: the distance along the ground of its first point, the inner
// points' coordinates, the distance along the ground of its last point.
std::vector<double> variables_of(const Polyline& surface, const GroundSurface& ground) {
  std::vector<double> v{ground.distance_along(surface.front())};
  for (std::size_t i = 1; i + 1 < surface.size(); ++i) {
    v.push_back(surface[i].x);
    v.push_back(surface[i].y);
  }
  v.push_back(ground.distance_along(surface.back()));
  return v;
}

Polyline surface_of(const std::vector<double>& v, const GroundSurface& ground) {
  Polyline surface{ground.at(v.front())};
  for (std::size_t i = 1; i + 1 < v.size(); i += 2) surface.push_back({v[i], v[i + 1]});
  surface.push_back(ground.at(v.back()));
  return surface;
}

// A vertex inserted halfway along each segment.
Polyline subdivided(const Polyline& surface) {
  Polyline out{surface.front()};
  for (std::size_t i = 1; i < surface.size(); ++i) {
    out.push_back({(surface[i - 1].x + surface[i].x) / 2, (surface[i - 1].y + surface[i].y) / 2});
    out.push_back(surface[i]);
  }
  return out;
}

// The start cut down to a few inner vertices that keep the rules: an irregular search's own
// surfaces may turn downward on their way up, which a refined surface may not.
std::optional<Polyline> coarse_start(const Polyline& points, const SurfaceRules& rules) {
  for (int inner = kCoarseInnerVertices; inner >= 1; --inner) {
    Polyline start = simplified(points, inner);
    if (!broken_rule(as_written(start), rules)) return start;
  }
  return std::nullopt;
}

Objective vertex_objective(SurfaceObjective& objective, int rank) {
  return [&objective, rank](const std::vector<double>& v) {
    return objective.value({surface_of(v, objective.rules().ground), std::nullopt, rank});
  };
}

void optimise_from(const Polyline& surface, int rank, double step, int evaluations,
                   SurfaceObjective& objective) {
  std::vector<double> start = variables_of(surface, objective.rules().ground);
  minimise(vertex_objective(objective, rank), start,
           settings_for_width(Optimiser::kSubplex, start.size(), width_of(surface), step,
                              kTolerance, evaluations));
}

}  // namespace

void refine_vertices(const std::vector<ResultSurface>& starts, SurfaceObjective& objective) {
  for (std::size_t i = 0; i < starts.size(); ++i) {
    std::optional<Polyline> start = coarse_start(starts[i].points, objective.rules());
    if (!start) continue;
    const int rank = static_cast<int>(i) + 1;
    optimise_from(*start, rank, kCoarseStep, kCoarseEvaluations, objective);
  }
  if (!objective.best()) return;
  const RatedCandidate coarse = *objective.best();
  optimise_from(subdivided(coarse.candidate.points), coarse.candidate.start_rank, kFineStep,
                kFineEvaluations, objective);
}

}  // namespace scarpex_host
