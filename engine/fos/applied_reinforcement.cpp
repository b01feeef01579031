#include "fos/applied_reinforcement.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "fos/applied_crossing.h"
#include "model/exact_math.h"

namespace scarpex {

namespace {

constexpr float kHalfPi = std::numbers::pi_v<float> / 2.0f;

// Inclination of the direction (dx, dy); a vertical one is +-90 degrees by the sign of dy.
float direction_angle(float dx, float dy) {
  if (dx == 0.0f) return dy < 0.0f ? -kHalfPi : kHalfPi;
  return exact::atan(dy / dx);
}

}  // namespace

int32_t usable_layer_count(const ProblemModel& m) {
  return std::clamp(m.reinf_layer_count, 0, kMaxReinfLayers);
}

int32_t usable_point_count(const ProblemModel& m, int32_t layer) {
  if (layer < 1 || layer > kMaxReinfLayers) return 0;
  return std::clamp(m.reinf_point_count[layer], 0, kMaxReinfPoints);
}

ReinforcementCrossing cross_layer_segment(const ProblemModel& m, int32_t layer, int32_t p, float x3,
                                          float y3, float x4, float y4) {
  ReinforcementCrossing result;
  const auto& xs = m.reinf_x[layer];
  const auto& ys = m.reinf_y[layer];
  float xa = xs[p], ya = ys[p], xb = xs[p + 1], yb = ys[p + 1];
  SegmentCrossing crossing = cross_segments(xa, ya, xb, yb, x3, y3, x4, y4);
  if (!crossing.found) return result;
  result.found = true;
  result.x = crossing.x;
  result.y = crossing.y;
  // The fraction along the layer segment is taken on x, or on y for a vertical segment;
  // a segment of zero length takes the values of its first point.
  float t = 0.0f;
  if (std::fabs(xb - xa) > 1.0e-8f) {
    t = (crossing.x - xa) / (xb - xa);
  } else if (yb != ya) {
    t = (crossing.y - ya) / (yb - ya);
  }
  auto at = [&](const Table2<float, kMaxReinfLayers, kMaxReinfPoints>& v) {
    return v[layer][p] + (v[layer][p + 1] - v[layer][p]) * t;
  };
  result.axial_force = at(m.reinf_axial_force);
  result.shear_force = at(m.reinf_shear_force);
  result.incl_factor = at(m.reinf_incl_factor);
  result.segment_angle = direction_angle(xb - xa, yb - ya);
  return result;
}

float surface_tangent_angle(const ProblemModel& m, const Circle& circle, float x, float y) {
  if (circle.found) {
    float dx = x - circle.x_centre;
    float dy = circle.y_centre - y;
    if (dx == 0.0f && dy == 0.0f) return 0.0f;  // at the centre itself: no direction
    return exact::atan(dx / dy);
  }
  int32_t n = std::clamp(m.surface_point_count, 1, kMaxSurfacePoints);
  return direction_angle(m.surface_x[n] - m.surface_x[1], m.surface_y[n] - m.surface_y[1]);
}

}  // namespace scarpex
