#include "model/circle.h"

#include <cmath>

namespace scarpex {

Circle circle_through(float x1, float y1, float x2, float y2, float x3, float y3) {
  // Bisector equations: a1 x + b1 y = c1 for chord 1-2, a2 x + b2 y = c2 for chord 2-3.
  float a1 = 2.0f * (x2 - x1);
  float b1 = 2.0f * (y2 - y1);
  float c1 = (x2 * x2 - x1 * x1) + (y2 * y2 - y1 * y1);
  float a2 = 2.0f * (x3 - x2);
  float b2 = 2.0f * (y3 - y2);
  float c2 = (x3 * x3 - x2 * x2) + (y3 * y3 - y2 * y2);
  float determinant = a1 * b2 - a2 * b1;
  Circle circle;
  // Collinear or coinciding points have parallel bisectors. The test is relative to the
  // chords' size so that it does not depend on the length unit.
  float scale = std::fabs(a1 * b2) + std::fabs(a2 * b1);
  if (!(std::fabs(determinant) > 1.0e-6f * scale) || scale == 0.0f) return circle;
  circle.x_centre = (c1 * b2 - c2 * b1) / determinant;
  circle.y_centre = (a1 * c2 - a2 * c1) / determinant;
  float dx = circle.x_centre - x2;
  float dy = circle.y_centre - y2;
  circle.radius = std::sqrt(dx * dx + dy * dy);
  circle.found = std::isfinite(circle.radius);
  return circle;
}

Circle surface_circle(const ProblemModel& m) {
  int32_t n = m.surface_point_count;
  if (n < 2 || n > kMaxSurfacePoints) return Circle{};
  int32_t inner = n / 2;
  return circle_through(m.surface_x[1], m.surface_y[1], m.surface_x[inner], m.surface_y[inner],
                        m.surface_x[n], m.surface_y[n]);
}

}  // namespace scarpex
