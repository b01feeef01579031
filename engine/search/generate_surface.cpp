#include "search/generate_surface.h"

#include <algorithm>
#include <cmath>

#include "model/exact_math.h"
#include "search/block_generator.h"
#include "search/circular_generator.h"
#include "search/ground_scan.h"
#include "search/irregular_generator.h"
#include "search/random_numbers.h"
#include "search/rankine_block_generator.h"

namespace scarpex {

namespace {

constexpr int32_t kMaxAttempts = 200;

// The first segment of one attempt: drawn between the first-segment angle bounds, cut
// where it leaves the ground, and tested against the lowest elevation and the limits. Each
// failed test narrows the bounds for the later attempts from the same initiation point.
// Returns false when the attempt ends here.
bool place_first_segment(Engine& e, float theta1) {
  ProblemModel& m = e.model;
  float x1 = m.surface_x[1];
  float y1 = m.surface_y[1];
  m.surface_x[2] = x1 + m.segment_length * exact::cos(theta1);
  m.surface_y[2] = y1 + m.segment_length * exact::sin(theta1);
  bool left_ground = false;
  int32_t last = top_boundaries(m);
  for (int32_t j = std::max(m.start_boundary, 1); j <= last; ++j) {
    // The boundary holding the initiation point is not a way out of the ground.
    if (!(m.boundary_x_left[j] - x1 > m.coord_tolerance)) continue;
    Crossing c = cross_boundary(m, j, Segment{x1, y1, m.surface_x[2], m.surface_y[2]});
    if (!c.found) continue;
    if (c.x <= m.term_x_left) {
      m.init_angle_upper = theta1;
      return false;
    }
    if (c.x >= m.term_x_right) {
      m.init_angle_lower = theta1;
      return false;
    }
    m.surface_x[2] = c.x;
    m.surface_y[2] = c.y;
    left_ground = true;
    if (m.limits_active == 1) break;
  }
  // A first segment cut at the ground under active limits goes straight to the limit test.
  bool elevation_test = !(left_ground && m.limits_active == 1);
  if (elevation_test && m.surface_y[2] <= m.min_elevation) {
    m.init_angle_lower = theta1;
    return false;
  }
  if (limits_in_force(m)) {
    int32_t limit = first_limit_crossed(m, Segment{x1, y1, m.surface_x[2], m.surface_y[2]});
    if (limit > 0) {
      if (deflects_upward(m, limit)) {
        m.init_angle_lower = theta1;
      } else {
        m.init_angle_upper = theta1;
      }
      return false;
    }
  }
  return true;
}

// The common frame of circular and irregular surfaces: up to 200 attempts, each with a new
// first segment and then the branch of the search's kind.
void generate_polyline_surface(Engine& e) {
  ProblemModel& m = e.model;
  FirstSegment first;
  first.angle_floor = -m.angle_45;
  if (m.angle_restricted == 1) first.angle_floor = std::min(m.init_angle_lower, -m.angle_45);
  for (int32_t attempt = 1; attempt <= kMaxAttempts; ++attempt) {
    float r = next_random(e.rng);
    float upper = m.init_angle_upper;
    float lower = m.init_angle_lower;
    first.angle = upper - (1.0f - r * r) * (upper - lower);
    if (!place_first_segment(e, first.angle)) continue;
    BranchEnd end =
        m.circular_search == 1 ? trace_circular_branch(e, first) : trace_irregular_branch(e, first);
    if (end == BranchEnd::kFailed) return;
    // A surface holding a non-finite coordinate is dropped like any other failed attempt.
    if (end == BranchEnd::kComplete && surface_points_finite(m, m.surface_point_count)) return;
  }
  m.stop_code = 12;
}

}  // namespace

void generate_surface(Engine& e) {
  ProblemModel& m = e.model;
  // Without a ground surface there is nothing to build a surface in.
  if (top_boundaries(m) < 1) {
    m.stop_code = 10;
    return;
  }
  if (m.block_search == 1) {
    if (m.block2_mode == 1) {
      generate_rankine_block_surface(e);
    } else {
      generate_block_surface(e);
    }
    return;
  }
  generate_polyline_surface(e);
}

}  // namespace scarpex
