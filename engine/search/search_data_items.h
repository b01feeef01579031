// The data items of the circular and irregular searches (CIRCLE, CIRCL2, RANDOM): read, echoed
// to the report and checked against each other and the ground profile.
#pragma once

#include "core/engine.h"

namespace scarpex {

// The first-segment angles the user restricted a search to, in radians.
struct AngleRestriction {
  float upper = 0.0f;
  float lower = 0.0f;
};

// Reads the items into the search settings and reports every fault (RC01 to RC08, RC13) with
// input_error_flag set. Returns at once when the data-line reader ends the run. When the user
// restricted the angle (angle_restricted 1) the bounds are returned in radians.
AngleRestriction read_circular_search_items(Engine& e);

// The two ends of the ground surface: the left end of boundary 1 and the right end of the last
// top boundary (boundary 1 when there is none, so that no value outside the table is read).
float ground_left_end(const ProblemModel& m);
float ground_right_end(const ProblemModel& m);

}  // namespace scarpex
