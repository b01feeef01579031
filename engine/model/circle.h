// The circle through three points, as the specified surface, the plot file and the
// reinforcement forces use it.
#pragma once

#include "model/problem_model.h"

namespace scarpex {

struct Circle {
  float x_centre = 0.0f;
  float y_centre = 0.0f;
  float radius = 0.0f;
  bool found = false;  // false when the points are collinear (or coincide): no circle exists
};

// The centre is the intersection of the perpendicular bisectors of the chords 1-2 and 2-3;
// the radius is the distance from the centre to the second point.
Circle circle_through(float x1, float y1, float x2, float y2, float x3, float y3);

// The circle through the first point, the point with index n/2 (rounded down) and the last
// point of the current surface; not found for fewer than two points.
Circle surface_circle(const ProblemModel& m);

}  // namespace scarpex
