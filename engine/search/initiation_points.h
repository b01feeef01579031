// Where the surfaces of a circular or irregular search start and end on the ground surface.
#pragma once

#include "core/engine.h"

namespace scarpex {

// The ground at an initiation point x0, found on the top boundaries from start_boundary on.
struct InitiationPoint {
  bool on_ground = false;    // false: x0 lies on no top boundary (see locate_initiation_point)
  int32_t boundary = 0;      // the top boundary that holds the point
  float y = 0.0f;            // the ground elevation there
  float angle_limit = 0.0f;  // the ground's inclination there (radians); surfaces start below it
  bool below_min_elevation = false;  // the ground there lies below min_elevation (RC09)
};

// Scans the top boundaries from start_boundary. A point at a vertical face takes the face's
// foot; a point on a sloping boundary its elevation there. A point on no top boundary (just
// beyond either end of the ground, within the tolerance the range checks leave) takes the
// elevation and inclination of the nearest end of the ground surface.
InitiationPoint locate_initiation_point(const ProblemModel& m, float x0);

// term_y_left and term_y_right: the ground elevations at the termination limits. A left limit
// belongs to the boundary that starts there, a right limit to the boundary that ends there; a
// limit on no top boundary takes the elevation of the nearest end of the ground surface.
void set_termination_elevations(ProblemModel& m);

}  // namespace scarpex
