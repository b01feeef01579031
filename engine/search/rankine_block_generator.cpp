#include "search/rankine_block_generator.h"

#include <algorithm>
#include <cmath>

#include "core/error_lines.h"
#include "model/exact_math.h"
#include "model/geometry.h"
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
  enum class Side { kPassive, kActive };
  SideEnd build_side(Side side, int32_t from, int32_t& count);
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
    SideEnd left = build_side(Side::kPassive, boxes_, count);
    if (left != SideEnd::kBuilt) return left;
  }
  reverse_surface_points(m_, count);
  int32_t last = count;
  if (!lies_on_ground(m_, m_.surface_x[count], m_.surface_y[count])) {
    SideEnd right = build_side(Side::kActive, count, last);
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

// The passive (left) side rises at 45 degrees less half the friction angle of each layer it
// passes, the active (right) side at 45 degrees plus half. After crossing a boundary, the
// passive side looks only at the boundaries numbered below it; the active side looks for its
// layer among all boundaries, but for crossings too only among those below the last crossed.
SideEnd RankineBuilder::build_side(Side side, int32_t from, int32_t& count) {
  bool passive = side == Side::kPassive;
  int32_t k = from;
  int32_t passed = 0;
  float extent_end = passive ? ground_extent_left(m_) : ground_extent_right(m_);
  for (;;) {
    int32_t above = boundary_above(passive ? boundaries_ - passed : boundaries_, k);
    if (above == 0) {
      count = k;
      return SideEnd::kBuilt;
    }
    float half_friction = 0.5f * m_.deg_to_rad * friction_below(m_, above);
    float angle = passive ? m_.angle_45 - half_friction : m_.angle_45 + half_friction;
    for (;;) {
      if (at_point_limit(k)) return SideEnd::kStopped;
      float run = length_ * exact::cos(angle);
      float x = passive ? m_.surface_x[k] - run : m_.surface_x[k] + run;
      float y = m_.surface_y[k] + length_ * exact::sin(angle);
      // Segments are scanned left end first.
      Segment s = passive ? Segment{x, y, m_.surface_x[k], m_.surface_y[k]}
                          : Segment{m_.surface_x[k], m_.surface_y[k], x, y};
      int32_t first = boundaries_ - passed;
      Crossing c = first_crossing_descending(m_, first, 1, s);
      ++k;
      if (c.found) {
        m_.surface_x[k] = c.x;
        m_.surface_y[k] = c.y;
        passed += first - c.boundary + 1;
        break;
      }
      m_.surface_x[k] = x;
      m_.surface_y[k] = y;
      if (passive ? x < extent_end : x > extent_end) return SideEnd::kFailed;
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
