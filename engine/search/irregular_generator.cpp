#include "search/irregular_generator.h"

#include <algorithm>
#include <cmath>

#include "model/exact_math.h"
#include "search/ground_scan.h"
#include "search/random_numbers.h"

namespace scarpex {

namespace {

// A redraw for the same point raises the lower angle bound to the rejected angle. Once the
// bounds have met, every further draw would give the same rejected angle again; and however
// the bounds move, one point gets no more than this many redraws. Either way the attempt ends
// rather than loop for ever.
constexpr int32_t kMaxRedrawsPerPoint = 1000;

// How the placing of one point ended.
enum class PointEnd { kNextPoint, kComplete, kNextAttempt, kFailed };

BranchEnd branch_end_of(PointEnd p) {
  if (p == PointEnd::kComplete) return BranchEnd::kComplete;
  if (p == PointEnd::kFailed) return BranchEnd::kFailed;
  return BranchEnd::kNextAttempt;
}

class IrregularTracer {
 public:
  IrregularTracer(Engine& e, const FirstSegment& first)
      : e_(e),
        m_(e.model),
        floor_(first.angle_floor),
        theta_(first.angle),
        length_(e.model.segment_length) {}

  BranchEnd run();

 private:
  PointEnd place_point(int32_t i);
  void draw_angle();
  void set_point(int32_t i, float angle);
  Segment segment_to(int32_t i) const;
  Crossing ground_exit(int32_t i) const;
  PointEnd limit_deflection(int32_t i, int32_t limit);
  PointEnd exit(int32_t i, const Crossing& c);
  PointEnd finish_on_ground(int32_t i, const Crossing& c);
  PointEnd accept(int32_t i);

  Engine& e_;
  ProblemModel& m_;
  float floor_;
  float theta_;  // angle of the last segment placed
  float length_;
  float bend_ = 0.0f;
  float lower_ = 0.0f;
  float upper_ = 0.0f;
};

BranchEnd IrregularTracer::run() {
  float r = next_random(e_.rng);
  bend_ = m_.angle_45 * (1.0f + r * r);
  for (int32_t i = 3; i <= kLastPoint; ++i) {
    PointEnd end = place_point(i);
    if (end != PointEnd::kNextPoint) return branch_end_of(end);
  }
  return BranchEnd::kFailed;  // not reached: point 100 ends in accept()
}

// The power favours angles near the lower bound: segments that keep their direction or bend
// downward.
void IrregularTracer::draw_angle() {
  float r1 = next_random(e_.rng);
  float r2 = next_random(e_.rng);
  theta_ = lower_ + (upper_ - lower_) * exact::pow(r1, 1.0f + r2);
}

void IrregularTracer::set_point(int32_t i, float angle) {
  m_.surface_x[i] = m_.surface_x[i - 1] + length_ * exact::cos(angle);
  m_.surface_y[i] = m_.surface_y[i - 1] + length_ * exact::sin(angle);
}

Segment IrregularTracer::segment_to(int32_t i) const {
  return Segment{m_.surface_x[i - 1], m_.surface_y[i - 1], m_.surface_x[i], m_.surface_y[i]};
}

Crossing IrregularTracer::ground_exit(int32_t i) const {
  return first_crossing_ascending(m_, m_.start_boundary, top_boundaries(m_), segment_to(i));
}

PointEnd IrregularTracer::place_point(int32_t i) {
  // The segment may turn up by 45 degrees, short of the vertical, and down by the bend limit
  // less 45 degrees, never below the angle floor.
  upper_ = theta_ + m_.angle_45;
  if (theta_ + m_.angle_45 + kAngleMargin > m_.angle_90) upper_ = m_.angle_90 - kAngleMargin;
  lower_ = std::max(floor_, theta_ + m_.angle_45 - bend_);
  for (int32_t redraws = 0;; ++redraws) {
    if (redraws > kMaxRedrawsPerPoint || (redraws > 0 && !(lower_ < upper_))) {
      return PointEnd::kNextAttempt;
    }
    draw_angle();
    set_point(i, theta_);
    if (m_.surface_y[i] <= m_.min_elevation) {
      if (m_.surface_y[i - 1] + length_ * exact::sin(upper_) < m_.min_elevation) {
        return PointEnd::kNextAttempt;
      }
      lower_ = theta_;
      continue;
    }
    Crossing c = ground_exit(i);
    if (c.found) {
      if (c.x < m_.term_x_right) return exit(i, c);
      // Leaving the ground beyond the termination range: turn up if that can still help.
      if (m_.surface_x[i - 1] + length_ * exact::cos(upper_) > m_.term_x_right) {
        return PointEnd::kNextAttempt;
      }
      lower_ = theta_;
      continue;
    }
    if (m_.surface_x[i] > m_.term_x_right) return PointEnd::kNextAttempt;
    if (limits_in_force(m_)) {
      int32_t limit = first_limit_crossed(m_, segment_to(i));
      if (limit > 0) return limit_deflection(i, limit);
    }
    return accept(i);
  }
}

// The segment crossed a search limit: one more draw on the side the limit deflects to, and if
// that crosses a limit too, the bound on the far side of the limit met.
PointEnd IrregularTracer::limit_deflection(int32_t i, int32_t limit) {
  if (deflects_upward(m_, limit)) {
    lower_ = theta_;
  } else {
    upper_ = theta_;
  }
  draw_angle();
  set_point(i, theta_);
  int32_t again = first_limit_crossed(m_, segment_to(i));
  if (again > 0) {
    theta_ = deflects_upward(m_, again) ? upper_ : lower_;
    set_point(i, theta_);
    if (first_limit_crossed(m_, segment_to(i)) > 0) return PointEnd::kNextAttempt;
  }
  Crossing c = ground_exit(i);
  if (c.found) return finish_on_ground(i, c);
  return accept(i);
}

// The segment leaves the ground left of the right termination limit.
PointEnd IrregularTracer::exit(int32_t i, const Crossing& c) {
  if (c.x < m_.term_x_left) return PointEnd::kNextAttempt;
  m_.surface_x[i] = c.x;
  m_.surface_y[i] = c.y;
  int32_t limit = limits_in_force(m_) ? first_limit_crossed(m_, segment_to(i)) : 0;
  if (limit == 0) {
    m_.surface_point_count = i;
    return PointEnd::kComplete;
  }
  theta_ = deflects_upward(m_, limit) ? upper_ : lower_;
  set_point(i, theta_);
  if (m_.surface_y[i] < m_.min_elevation) return PointEnd::kNextAttempt;
  if (first_limit_crossed(m_, segment_to(i)) > 0) return PointEnd::kNextAttempt;
  Crossing again = ground_exit(i);
  if (again.found) return finish_on_ground(i, again);
  return accept(i);
}

// A deflected segment that leaves the ground completes the surface there when that lies in
// the termination range.
PointEnd IrregularTracer::finish_on_ground(int32_t i, const Crossing& c) {
  m_.surface_x[i] = c.x;
  m_.surface_y[i] = c.y;
  if (c.x > m_.term_x_right || c.x < m_.term_x_left) return PointEnd::kNextAttempt;
  m_.surface_point_count = i;
  return PointEnd::kComplete;
}

PointEnd IrregularTracer::accept(int32_t i) {
  if (m_.surface_x[i] > m_.term_x_right || m_.surface_y[i] < m_.min_elevation) {
    return PointEnd::kNextAttempt;
  }
  if (i == kLastPoint) {
    m_.stop_code = 11;
    return PointEnd::kFailed;
  }
  return PointEnd::kNextPoint;
}

}  // namespace

BranchEnd trace_irregular_branch(Engine& e, const FirstSegment& first) {
  return IrregularTracer(e, first).run();
}

}  // namespace scarpex
