// A homogeneous slope cut into slices by hand, for the tests of Spencer's method: ground level
// at y = 10 left of x = 20, a 2H:1V face up to y = 20 at x = 40, level beyond; a circular
// surface from the toe to the crest, given by its slice edges.
#pragma once

#include <cmath>
#include <memory>

#include "test_engine.h"

namespace scarpex::testing {

struct SlopeShape {
  float cohesion = 3.0f;
  float phi = 19.6f;
  float gamma = 20.0f;
  float x_centre = 25.0f;
  float y_centre = 45.0f;
  float x_left = 20.0f;   // the toe
  float x_right = 50.0f;  // on the crest
  int32_t slices = 30;
};

inline float slope_ground_y(float x) {
  if (x <= 20.0f) return 10.0f;
  if (x >= 40.0f) return 20.0f;
  return 10.0f + (x - 20.0f) * 0.5f;
}

inline float slope_ground_beta(float x) {
  return (x > 20.0f && x < 40.0f) ? std::atan(0.5f) : 0.0f;
}

// Controls: outer and inner limits 50, tolerances 0.001, report switch 1.
inline void set_spencer_controls(ProblemModel& m, float spencer_angle = 20.0f) {
  m.solver_int_controls[1] = 50;
  m.solver_int_controls[2] = 50;
  m.solver_int_controls[3] = 50;
  m.solver_int_controls[6] = 1;
  m.solver_real_controls[1] = 0.0001f;
  m.solver_real_controls[2] = 0.001f;
  m.solver_real_controls[3] = 0.001f;
  m.solver_real_controls[4] = 0.001f;
  m.spencer_method = 1;
  m.spencer_value = spencer_angle;
  m.unit_system = 2;
}

// Fills the soil, the current surface and the slice table as the slicing would.
inline void build_slope(ProblemModel& m, const SlopeShape& shape = {}) {
  m.soil_given = 1;
  m.soil_count = 1;
  m.soil_total_unit_weight[1] = shape.gamma;
  m.soil_saturated_unit_weight[1] = shape.gamma;
  m.soil_cohesion[1] = shape.cohesion;
  m.soil_friction_angle[1] = shape.phi;
  const float dx_toe = shape.x_left - shape.x_centre;
  const float dy_toe = slope_ground_y(shape.x_left) - shape.y_centre;
  const float radius = std::sqrt(dx_toe * dx_toe + dy_toe * dy_toe);
  m.circle_radius = radius;
  auto circle_y = [&](float x) {
    float dx = x - shape.x_centre;
    return shape.y_centre - std::sqrt(radius * radius - dx * dx);
  };
  const int32_t n = shape.slices;
  const float width = (shape.x_right - shape.x_left) / static_cast<float>(n);
  SliceTable& s = m.slices;
  s.slice_count = n;
  m.surface_point_count = n + 1;
  for (int32_t k = 1; k <= n + 1; ++k) {
    float x = shape.x_left + width * static_cast<float>(k - 1);
    s.x_edge[k] = x;
    s.y_edge[k] = k == 1 ? slope_ground_y(x) : circle_y(x);
    m.surface_x[k] = s.x_edge[k];
    m.surface_y[k] = s.y_edge[k];
  }
  for (int32_t i = 1; i <= n; ++i) {
    float x1 = s.x_edge[i], x2 = s.x_edge[i + 1];
    float y1 = s.y_edge[i], y2 = s.y_edge[i + 1];
    s.width[i] = x2 - x1;
    s.x_mid[i] = (x1 + x2) * 0.5f;
    s.y_base[i] = (y1 + y2) * 0.5f;
    s.alpha[i] = std::atan((y1 - y2) / (x1 - x2));
    s.beta[i] = slope_ground_beta(s.x_mid[i]);
    s.height[i] = slope_ground_y(s.x_mid[i]) - s.y_base[i];
    s.base_soil[i] = 1;
    s.weight[i] = s.height[i] * shape.gamma * s.width[i];
  }
}

}  // namespace scarpex::testing
