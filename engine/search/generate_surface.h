// The trial surface generator of the random searches. Every draw of the search comes from the
// engine's random state, in a fixed order, so that a search can be repeated exactly.
#pragma once

#include "core/engine.h"

namespace scarpex {

// Builds the current trial surface (surface_point_count, surface_x, surface_y and, for circles,
// circle_radius) for one trial from the initiation point in surface_x(1), surface_y(1) and
// start_boundary, using the search settings in the model; on failure sets stop_code to 10, 11
// or 12.
//
// The kind follows the search flags: a block search (block_search 1) builds a sliding block,
// with Rankine sides under block2_mode 1; otherwise a first segment is drawn and continued as a
// circle (circular_search 1) or as an irregular polyline. Circular and irregular generation
// narrows init_angle_upper and init_angle_lower for the later trials of the same point.
void generate_surface(Engine& e);

}  // namespace scarpex
