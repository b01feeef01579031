#pragma once
#include "run/engine.h"
namespace scarpex {
// Builds the current trial surface (surface_point_count, surface_x, surface_y and, for circles,
// circle_radius) for one trial from the initiation point in surface_x(1), surface_y(1) and
// start_boundary, using the search settings in the model; on failure sets stop_code to 10, 11
// or 12.
void generate_surface(Engine& e);
}  // namespace scarpex
