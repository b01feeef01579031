// A circular search's critical surface refined: the variables are the circle's centre and
// radius, and each circle becomes a surface the way the circular search places its points.
#pragma once

#include <vector>

#include "results/results.h"
#include "run/surface_objective.h"

namespace scarpex_host {

// Minimises the objective over circles, from each of `starts` (most critical first).
void refine_circles(const std::vector<ResultSurface>& starts, double segment_length,
                    SurfaceObjective& objective);

// The circle of a listed circular surface, from its points (all but the last lie on it).
std::optional<Circle> circle_of(const ResultSurface& surface);

}  // namespace scarpex_host
