#include "search/initiation_points.h"

#include <algorithm>
#include <cmath>

#include "model/exact_math.h"
#include "model/geometry.h"
#include "search/search_data_items.h"

namespace scarpex {

namespace {

int32_t top_count(const ProblemModel& m) {
  return std::clamp(m.top_boundary_count, 0, kMaxBoundaries);
}

bool is_vertical(const ProblemModel& m, int32_t k) {
  return m.boundary_x_left[k] == m.boundary_x_right[k];
}

bool rises(const ProblemModel& m, int32_t k) {
  return m.boundary_y_right[k] > m.boundary_y_left[k];
}

float inclination(const ProblemModel& m, int32_t k) {
  return exact::atan((m.boundary_y_left[k] - m.boundary_y_right[k]) /
                     (m.boundary_x_left[k] - m.boundary_x_right[k]));
}

float elevation_on(const ProblemModel& m, int32_t k, float x) {
  float y = m.boundary_y_left[k];
  int32_t found = 0;
  segment_y_at(m.boundary_x_left[k], m.boundary_y_left[k], m.boundary_x_right[k],
               m.boundary_y_right[k], x, y, found);
  return y;
}

// A point at a vertical face: the face's foot, and the inclination of the ground beyond it.
// Returns false when the ground beyond is a further vertical face falling to the right, so
// that the scan goes on with it.
bool at_vertical_face(const ProblemModel& m, int32_t k, InitiationPoint& point) {
  const float angle_90 = 90.0f * m.deg_to_rad;
  if (rises(m, k)) {
    point.y = m.boundary_y_left[k];
    point.angle_limit = angle_90;
    return true;
  }
  point.y = m.boundary_y_right[k];
  // A face falling at the right end of the ground has level ground beyond it.
  if (k + 1 > top_count(m)) {
    point.angle_limit = 0.0f;
    return true;
  }
  if (!is_vertical(m, k + 1)) {
    point.angle_limit = inclination(m, k + 1);
    return true;
  }
  if (rises(m, k + 1)) {
    point.angle_limit = angle_90;
    return true;
  }
  return false;
}

// The nearest end of the ground surface for a point that lies on no top boundary.
InitiationPoint nearest_ground_end(const ProblemModel& m, float x0) {
  InitiationPoint point;
  const int32_t last = std::max(top_count(m), 1);
  const bool left = x0 < ground_left_end(m);
  const int32_t k = left ? 1 : last;
  point.boundary = k;
  point.y = left ? m.boundary_y_left[k] : m.boundary_y_right[k];
  point.angle_limit = is_vertical(m, k) ? 0.0f : inclination(m, k);
  point.below_min_elevation = point.y < m.min_elevation;
  return point;
}

// The ground elevation at x on the first top boundary from `first` on that `holds` x; the
// nearest end of the ground when none does. `boundary` returns the one used (or `first`).
template <typename Holds>
float ground_elevation_at(const ProblemModel& m, float x, int32_t first, Holds holds,
                          int32_t& boundary) {
  for (int32_t k = std::max(first, 1); k <= top_count(m); ++k) {
    if (holds(k)) {
      boundary = k;
      return elevation_on(m, k, x);
    }
  }
  boundary = first;
  return nearest_ground_end(m, x).y;
}

}  // namespace

InitiationPoint locate_initiation_point(const ProblemModel& m, float x0) {
  InitiationPoint point;
  for (int32_t k = std::max(m.start_boundary, 1); k <= top_count(m); ++k) {
    if (is_vertical(m, k) && std::fabs(m.boundary_x_left[k] - x0) < kCoordTolerance) {
      if (!at_vertical_face(m, k, point)) continue;
    } else if (m.boundary_x_left[k] <= x0 && x0 < m.boundary_x_right[k]) {
      point.y = elevation_on(m, k, x0);
      point.angle_limit = inclination(m, k);
      point.below_min_elevation = point.y < m.min_elevation;
    } else {
      continue;
    }
    point.on_ground = true;
    point.boundary = k;
    return point;
  }
  return nearest_ground_end(m, x0);
}

void set_termination_elevations(ProblemModel& m) {
  int32_t left_boundary = 1;
  m.term_y_left = ground_elevation_at(
      m, m.term_x_left, 1,
      [&](int32_t k) {
        return m.boundary_x_left[k] <= m.term_x_left && m.term_x_left < m.boundary_x_right[k];
      },
      left_boundary);
  int32_t right_boundary = 1;
  m.term_y_right = ground_elevation_at(
      m, m.term_x_right, left_boundary,
      [&](int32_t k) {
        return m.boundary_x_left[k] < m.term_x_right && m.term_x_right <= m.boundary_x_right[k];
      },
      right_boundary);
}

}  // namespace scarpex
