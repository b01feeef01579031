#include "search/rankine_block_generator.h"

#include <algorithm>
#include <cmath>

#include "model/geometry.h"
#include "run/error_lines.h"
#include "search/block_base.h"
#include "search/ground_scan.h"

namespace scarpex {

namespace {

constexpr int32_t kMaxAttempts = 200;
// Points are numbered on from the base; a side may not reach this number.
constexpr int32_t kPointLimit = kMaxSurfacePoints;

enum class SideEnd { kBuilt, kFailed, kStopped };

// Friction angle (degrees) of the soil below boundary j. Soil types outside the table are
// refused when the profile is read; should one remain, it counts as frictionless rather than
// being read from outside the table.
float friction_below(const ProblemModel& m, int32_t j) {
  int32_t soil = m.boundary_soil_type[j];
  if (soil < 1 || soil > kMaxSoils) return 0.0f;
  return m.soil_friction_angle[soil];
}

class RankineBuilder {
 public:
  RankineBuilder(Engine& e, int32_t boxes)
      : e_(e),
        m_(e.model),
        boxes_(boxes),
        length_(e.model.segment_length),
        boundaries_(all_boundaries(e.model)) {}

  // One attempt: a new base and both sides. On success the surface is complete.
  SideEnd attempt();

 private:
  int32_t boundary_above(int32_t first, int32_t k) const;
  SideEnd build_passive(int32_t& count);
  SideEnd build_active(int32_t from, int32_t& count);
  // Whether the next point would reach the point limit; the call then ends with code 10.
  bool at_point_limit(int32_t k) {
    if (k + 1 < kPointLimit) return false;
    m_.stop_code = 10;
    return true;
  }

  Engine& e_;
  ProblemModel& m_;
  int32_t boxes_;
  float length_;
  int32_t boundaries_;
};

// The boundary directly above point k: of the boundaries numbered `first` down to 1, the first
// that holds the point's x at an elevation above it; 0 when the point is at the ground.
int32_t RankineBuilder::boundary_above(int32_t first, int32_t k) const {
  for (int32_t j = std::min(first, boundaries_); j >= 1; --j) {
    float y = 0.0f;
    int32_t found = 0;
    segment_y_at(m_.boundary_x_left[j], m_.boundary_y_left[j], m_.boundary_x_right[j],
                 m_.boundary_y_right[j], m_.surface_x[k], y, found);
    if (found == 1 && y > m_.surface_y[k]) return j;
  }
  return 0;
}

SideEnd RankineBuilder::attempt() {
  place_block_base(e_, boxes_);
  int32_t count = boxes_;
  if (!lies_on_ground(m_, m_.surface_x[boxes_], m_.surface_y[boxes_])) {
    SideEnd left = build_passive(count);
    if (left != SideEnd::kBuilt) return left;
  }
  reverse_surface_points(m_, count);
  int32_t last = count;
  if (!lies_on_ground(m_, m_.surface_x[count], m_.surface_y[count])) {
    SideEnd right = build_active(count, last);
    if (right != SideEnd::kBuilt) return right;
  }
  // A block needs at least two points, and no coordinate may be non-finite.
  if (last < 2 || !surface_points_finite(m_, last)) {
    m_.stop_code = 10;
    return SideEnd::kStopped;
  }
  m_.surface_point_count = last;
  return SideEnd::kBuilt;
}

// The passive side rises to the left at 45 degrees less half the friction angle of each
// layer. A scan looks only at boundaries numbered below the last one crossed.
SideEnd RankineBuilder::build_passive(int32_t& count) {
  int32_t k = boxes_;
  int32_t passed = 0;
  float left_end = ground_extent_left(m_);
  for (;;) {
    int32_t above = boundary_above(boundaries_ - passed, k);
    if (above == 0) {
      count = k;
      return SideEnd::kBuilt;
    }
    float angle = m_.angle_45 - 0.5f * m_.deg_to_rad * friction_below(m_, above);
    for (;;) {
      if (at_point_limit(k)) return SideEnd::kStopped;
      float x = m_.surface_x[k] - length_ * std::cos(angle);
      float y = m_.surface_y[k] + length_ * std::sin(angle);
      int32_t first = boundaries_ - passed;
      Crossing c =
          first_crossing_descending(m_, first, 1, Segment{x, y, m_.surface_x[k], m_.surface_y[k]});
      ++k;
      if (c.found) {
        m_.surface_x[k] = c.x;
        m_.surface_y[k] = c.y;
        passed += first - c.boundary + 1;
        break;
      }
      m_.surface_x[k] = x;
      m_.surface_y[k] = y;
      if (x < left_end) return SideEnd::kFailed;
    }
  }
}

// The active side rises to the right at 45 degrees plus half the friction angle. Like the
// passive side, its layer is looked up among the boundaries below the last one crossed: the
// crossed boundary itself passes through the point, and rounding could otherwise make it
// appear a hair above the point and give the side the angle of the layer it has just left.
SideEnd RankineBuilder::build_active(int32_t from, int32_t& count) {
  int32_t k = from;
  int32_t passed = 0;
  float right_end = ground_extent_right(m_);
  for (;;) {
    int32_t above = boundary_above(boundaries_ - passed, k);
    if (above == 0) {
      count = k;
      return SideEnd::kBuilt;
    }
    float angle = m_.angle_45 + 0.5f * m_.deg_to_rad * friction_below(m_, above);
    for (;;) {
      if (at_point_limit(k)) return SideEnd::kStopped;
      float x = m_.surface_x[k] + length_ * std::cos(angle);
      float y = m_.surface_y[k] + length_ * std::sin(angle);
      int32_t first = boundaries_ - passed;
      Crossing c =
          first_crossing_descending(m_, first, 1, Segment{m_.surface_x[k], m_.surface_y[k], x, y});
      ++k;
      if (c.found) {
        m_.surface_x[k] = c.x;
        m_.surface_y[k] = c.y;
        passed += first - c.boundary + 1;
        break;
      }
      m_.surface_x[k] = x;
      m_.surface_y[k] = y;
      if (x > right_end) return SideEnd::kFailed;
    }
  }
}

}  // namespace

void generate_rankine_block_surface(Engine& e) {
  ProblemModel& m = e.model;
  int32_t boxes = usable_box_count(m);
  if (boxes == 0) {
    m.stop_code = 10;  // no box was read: there is no base to build on
    return;
  }
  RankineBuilder builder(e, boxes);
  for (int32_t attempt = 1;; ++attempt) {
    if (attempt >= kMaxAttempts) {
      m.stop_code = 12;
      return;
    }
    SideEnd end = builder.attempt();
    if (end != SideEnd::kFailed) return;
    // A side left the extent of the ground surface; the report says so once per search.
    ++m.failed_generation_count;
    if (m.failed_generation_count == 1) write_error_line(e.report, "BK12");
  }
}

}  // namespace scarpex
