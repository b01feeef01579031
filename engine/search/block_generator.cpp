#include "search/block_generator.h"

#include <cmath>

#include "model/exact_math.h"
#include "search/block_base.h"
#include "search/ground_scan.h"
#include "search/random_numbers.h"

namespace scarpex {

namespace {

constexpr int32_t kMaxTries = 200;     // tries of the two sides together, per call
constexpr int32_t kTriesPerBase = 20;  // tries of one side before a new base is placed

enum class SideEnd { kBuilt, kFailedTry, kStopped };

class BlockBuilder {
 public:
  BlockBuilder(Engine& e, int32_t boxes)
      : e_(e), m_(e.model), boxes_(boxes), length_(e.model.segment_length) {}

  void run();

 private:
  // Side segments rise between 0 and 45 degrees, favouring the steeper end.
  float draw_side_angle() {
    float r = next_random(e_.rng);
    return m_.angle_45 * (1.0f - r * r);
  }
  bool crosses_any_limit(const Segment& s) const {
    return m_.limits_active == 1 && first_limit_crossed(m_, s) > 0;
  }
  bool out_of_tries() {
    if (tries_ < kMaxTries) return false;
    m_.stop_code = 12;
    return true;
  }
  SideEnd build_left(int32_t& count);
  SideEnd build_right(int32_t from, int32_t& count);
  void finish(int32_t count);

  Engine& e_;
  ProblemModel& m_;
  int32_t boxes_;
  float length_;
  int32_t tries_ = 0;
};

void BlockBuilder::run() {
  for (;;) {
    place_block_base(e_, boxes_);
    int32_t count = boxes_;
    if (!lies_on_ground(m_, m_.surface_x[boxes_], m_.surface_y[boxes_])) {
      SideEnd left = SideEnd::kFailedTry;
      for (int32_t t = 1; t <= kTriesPerBase && left != SideEnd::kBuilt; ++t) {
        ++tries_;
        left = build_left(count);
        if (left == SideEnd::kStopped) return;
        if (left == SideEnd::kFailedTry && out_of_tries()) return;
      }
      if (left != SideEnd::kBuilt) continue;
    }
    reverse_surface_points(m_, count);
    if (lies_on_ground(m_, m_.surface_x[count], m_.surface_y[count])) {
      finish(count);
      return;
    }
    if (out_of_tries()) return;
    for (int32_t t = 1; t <= kTriesPerBase; ++t) {
      ++tries_;
      int32_t last = 0;
      SideEnd right = build_right(count, last);
      if (right == SideEnd::kStopped) return;
      if (right == SideEnd::kBuilt) {
        finish(last);
        return;
      }
      if (out_of_tries()) return;
    }
  }
}

// From the point of box 1 (point `boxes_` while the base is stored in reverse) up and to the
// left until the side leaves the ground.
SideEnd BlockBuilder::build_left(int32_t& count) {
  int32_t k = boxes_;
  float left_end = ground_extent_left(m_);
  for (;;) {
    float alpha = draw_side_angle();
    if (k + 1 > kMaxSurfacePoints) {
      m_.stop_code = 10;
      return SideEnd::kStopped;
    }
    float x = m_.surface_x[k] - length_ * exact::cos(alpha);
    float y = m_.surface_y[k] + length_ * exact::sin(alpha);
    Segment s{x, y, m_.surface_x[k], m_.surface_y[k]};
    Crossing c = first_crossing_descending(m_, top_boundaries(m_), 1, s);
    ++k;
    if (c.found) {
      m_.surface_x[k] = c.x;
      m_.surface_y[k] = c.y;
      if (c.x < left_end || crosses_any_limit(Segment{c.x, c.y, s.x2, s.y2})) {
        return SideEnd::kFailedTry;
      }
      count = k;
      return SideEnd::kBuilt;
    }
    m_.surface_x[k] = x;
    m_.surface_y[k] = y;
    if (x < left_end || crosses_any_limit(s)) return SideEnd::kFailedTry;
  }
}

// From the point of the last box up and to the right until the side leaves the ground.
SideEnd BlockBuilder::build_right(int32_t from, int32_t& count) {
  int32_t k = from;
  float right_end = ground_extent_right(m_);
  float beta = draw_side_angle();
  for (;;) {
    if (k + 1 > kMaxSurfacePoints) {
      m_.stop_code = 10;
      return SideEnd::kStopped;
    }
    float x = m_.surface_x[k] + length_ * exact::cos(beta);
    float y = m_.surface_y[k] + length_ * exact::sin(beta);
    Segment s{m_.surface_x[k], m_.surface_y[k], x, y};
    Crossing c = first_crossing_ascending(m_, 1, top_boundaries(m_), s);
    ++k;
    if (c.found) {
      m_.surface_x[k] = c.x;
      m_.surface_y[k] = c.y;
      if (c.x > right_end || crosses_any_limit(Segment{s.x1, s.y1, c.x, c.y})) {
        return SideEnd::kFailedTry;
      }
      count = k;
      return SideEnd::kBuilt;
    }
    m_.surface_x[k] = x;
    m_.surface_y[k] = y;
    if (x > right_end || crosses_any_limit(s)) return SideEnd::kFailedTry;
    beta = draw_side_angle();
  }
}

// A block needs at least two points (a single box lying on the ground has none to slide on),
// and no coordinate may be non-finite; otherwise the surface cannot be generated.
void BlockBuilder::finish(int32_t count) {
  if (count < 2 || !surface_points_finite(m_, count)) {
    m_.stop_code = 10;
    return;
  }
  m_.surface_point_count = count;
}

}  // namespace

void generate_block_surface(Engine& e) {
  int32_t boxes = usable_box_count(e.model);
  if (boxes == 0) {
    e.model.stop_code = 10;  // no box was read: there is no base to build on
    return;
  }
  BlockBuilder(e, boxes).run();
}

}  // namespace scarpex
