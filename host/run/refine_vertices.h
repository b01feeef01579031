// An irregular or block search's critical surface refined: the variables are the surface's
// vertices, its ends moving along the ground surface and its inner points in x and y, so
// that a surface can bend into a weak layer and form two wedges or a curve.
#pragma once

#include <vector>

#include "results/results.h"
#include "run/surface_objective.h"

namespace scarpex_host {

// Minimises the objective over polylines, from each of `starts` (most critical first): first
// with a few vertices, which move a surface as a whole, then with more, which shape it.
void refine_vertices(const std::vector<ResultSurface>& starts, SurfaceObjective& objective);

}  // namespace scarpex_host
