#include "model/geometry.h"

#include <cmath>

namespace scarpex {

void segment_y_at(float x1, float y1, float x2, float y2, float x, float& y, int32_t& found) {
  const float t = kCoordTolerance;
  if (std::fabs(x1 - x2) < t) {
    found = 0;
    return;
  }
  float s = (y1 - y2) / (x1 - x2);
  y = (x - x1) * s + y1;
  found = (x1 - x < t && x - x2 < t) ? 1 : 0;
}

void segment_x_at(float x1, float y1, float x2, float y2, float y, float& x, int32_t& found) {
  const float t = kCoordTolerance;
  if (std::fabs(x1 - x2) < t) {
    x = (x1 + x2) * 0.5f;
    found = 1;
    return;
  }
  float s = (y1 - y2) / (x1 - x2);
  x = (x1 * s - (y1 - y)) / s;
  found = (y1 - y < t && y - y2 < t) ? 1 : 0;
}

namespace {

bool within_range(float v, float a, float b, float t) {
  return (v - b < t && a - v < t) || (v - a < t && b - v < t);
}

}  // namespace

void intersect_segments(float x1, float y1, float x2, float y2, float x3, float y3, float x4,
                        float y4, float& x, float& y, int32_t& found) {
  const float t = kCoordTolerance;
  bool a_vertical = std::fabs(x1 - x2) < t;
  bool b_vertical = std::fabs(x3 - x4) < t;
  if (a_vertical) {
    if (b_vertical) {
      found = 0;
      return;
    }
    x = x1;
    y = y3 + (x1 - x3) * (y3 - y4) / (x3 - x4);
    found = (within_range(y, y1, y2, t) && x3 - x1 <= t && x1 - x4 <= t) ? 1 : 0;
    return;
  }
  if (b_vertical) {
    x = x3;
    y = y1 + (x3 - x1) * (y1 - y2) / (x1 - x2);
    found = (within_range(y, y3, y4, t) && x1 - x3 <= t && x3 - x2 <= t) ? 1 : 0;
    return;
  }
  float s1 = (y1 - y2) / (x1 - x2);
  float b1 = y1 - x1 * s1;
  float s2 = (y3 - y4) / (x3 - x4);
  float b2 = y3 - s2 * x3;
  if (std::fabs(s1 - s2) < t) {
    found = 0;
    return;
  }
  x = (b1 - b2) / (s2 - s1);
  y = b1 + s1 * x;
  found = (x1 - x < t && x3 - x < t && x - x2 < t && x - x4 < t) ? 1 : 0;
}

float to_display_x(const ProblemModel& m, float x) {
  return m.mirror_flag() == 1 ? m.mirror_axis_x() - x : m.shift_x() + x;
}

float to_display_y(const ProblemModel& m, float y) {
  return m.shift_y() + y;
}

float to_display_angle(const ProblemModel& m, float degrees) {
  return m.mirror_flag() == 1 ? 180.0f - degrees : degrees;
}

void set_unit_labels(ProblemModel& m) {
  if (m.unit_system == 1) {
    m.length_label = " ft.";
    m.stress_label = " psf ";
    m.unit_weight_label = "  pcf ";
    m.force_label = "lbs";
    m.force_per_length_label = "lbs/ft";
  } else if (m.unit_system == 3) {
    m.length_label = "  L ";
    m.stress_label = "F/L^2";
    m.unit_weight_label = " F/L^3";
    m.force_label = "  F";
    m.force_per_length_label = "  F/L ";
  } else {
    m.length_label = "  M ";
    m.stress_label = " kPa ";
    m.unit_weight_label = "kN/M^3";
    m.force_label = " KN";
    m.force_per_length_label = " KN/M ";
  }
}

}  // namespace scarpex
