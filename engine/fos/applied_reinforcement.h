// Where a reinforcement layer crosses a line, what the layer carries there, and the direction
// of the slip surface at that point: shared by the reinforcement moment and Spencer's method.
#pragma once

#include <cstdint>

#include "model/circle.h"
#include "model/problem_model.h"

namespace scarpex {

struct ReinforcementCrossing {
  float x = 0.0f;
  float y = 0.0f;
  float axial_force = 0.0f;
  float shear_force = 0.0f;
  float incl_factor = 0.0f;
  float segment_angle = 0.0f;  // inclination of the crossed layer segment, radians
  bool found = false;
};

// Number of layers, and of points of one layer, that may be read from the tables.
int32_t usable_layer_count(const ProblemModel& m);
int32_t usable_point_count(const ProblemModel& m, int32_t layer);

// Crossing of the layer's segment from point p to point p + 1 with the segment
// (x3, y3)-(x4, y4), with the forces and the inclination factor interpolated to it.
ReinforcementCrossing cross_layer_segment(const ProblemModel& m, int32_t layer, int32_t p, float x3,
                                          float y3, float x4, float y4);

// Inclination (radians) of the slip surface at a crossing (x, y): the tangent of the circle
// through the surface's first, middle and last points. When those points are in line there is
// no circle; the surface is then taken as the straight line from its first to its last point,
// which is the limit of the tangent as the circle grows.
float surface_tangent_angle(const ProblemModel& m, const Circle& circle, float x, float y);

}  // namespace scarpex
