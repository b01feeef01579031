#include "search/ground_scan.h"

#include <algorithm>
#include <cmath>

#include "model/geometry.h"

namespace scarpex {

int32_t top_boundaries(const ProblemModel& m) {
  return std::clamp(m.top_boundary_count, 0, kMaxBoundaries);
}

int32_t all_boundaries(const ProblemModel& m) {
  return std::clamp(m.boundary_count, 0, kMaxBoundaries);
}

int32_t search_limits(const ProblemModel& m) {
  return std::clamp(m.limit_count, 0, kMaxLimits);
}

float ground_extent_left(const ProblemModel& m) {
  return m.boundary_x_left[1];
}

float ground_extent_right(const ProblemModel& m) {
  return m.boundary_x_right[std::max(top_boundaries(m), 1)];
}

Crossing cross_boundary(const ProblemModel& m, int32_t j, const Segment& s) {
  Crossing c;
  int32_t found = 0;
  intersect_segments(m.boundary_x_left[j], m.boundary_y_left[j], m.boundary_x_right[j],
                     m.boundary_y_right[j], s.x1, s.y1, s.x2, s.y2, c.x, c.y, found);
  c.found = found == 1;
  c.boundary = j;
  return c;
}

Crossing first_crossing_ascending(const ProblemModel& m, int32_t first, int32_t last,
                                  const Segment& s) {
  first = std::max(first, 1);
  last = std::min(last, kMaxBoundaries);
  for (int32_t j = first; j <= last; ++j) {
    Crossing c = cross_boundary(m, j, s);
    if (c.found) return c;
  }
  return Crossing{};
}

Crossing first_crossing_descending(const ProblemModel& m, int32_t first, int32_t last,
                                   const Segment& s) {
  first = std::min(first, kMaxBoundaries);
  last = std::max(last, 1);
  for (int32_t j = first; j >= last; --j) {
    Crossing c = cross_boundary(m, j, s);
    if (c.found) return c;
  }
  return Crossing{};
}

bool crosses_limit(const ProblemModel& m, int32_t limit, const Segment& s) {
  float x = 0.0f, y = 0.0f;
  int32_t found = 0;
  intersect_segments(m.limit_x_left[limit], m.limit_y_left[limit], m.limit_x_right[limit],
                     m.limit_y_right[limit], s.x1, s.y1, s.x2, s.y2, x, y, found);
  return found == 1;
}

int32_t first_limit_crossed(const ProblemModel& m, const Segment& s) {
  int32_t count = search_limits(m);
  for (int32_t limit = 1; limit <= count; ++limit) {
    if (crosses_limit(m, limit, s)) return limit;
  }
  return 0;
}

bool limits_in_force(const ProblemModel& m) {
  return m.limits_active == 1 && m.limit_count >= 1;
}

bool deflects_upward(const ProblemModel& m, int32_t limit) {
  return limit <= m.limit_upward_count;
}

bool lies_on_ground(const ProblemModel& m, float x, float y) {
  int32_t count = top_boundaries(m);
  for (int32_t j = 1; j <= count; ++j) {
    float ground_y = 0.0f;
    int32_t found = 0;
    segment_y_at(m.boundary_x_left[j], m.boundary_y_left[j], m.boundary_x_right[j],
                 m.boundary_y_right[j], x, ground_y, found);
    if (found == 1 && ground_y == y) return true;
  }
  return false;
}

bool surface_points_finite(const ProblemModel& m, int32_t count) {
  for (int32_t k = 1; k <= count; ++k) {
    if (!std::isfinite(m.surface_x[k]) || !std::isfinite(m.surface_y[k])) return false;
  }
  return true;
}

}  // namespace scarpex
