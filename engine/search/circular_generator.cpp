#include "search/circular_generator.h"

#include <algorithm>
#include <cmath>

#include "model/exact_math.h"
#include "search/ground_scan.h"
#include "search/random_numbers.h"

namespace scarpex {

namespace {

constexpr int32_t kMaxTracedDraws = 20;
constexpr float kFlattestTurning = 0.001f;  // smallest turning angle when nothing narrows it
constexpr float kHighCentre = 1000.0f;      // centre height when no right target bounds it
constexpr int32_t kMaxRescueChords = 10000;

// How the trace of one drawn turning angle ended.
enum class TraceEnd {
  kComplete,
  kRaiseMin,     // the drawn angle is too flat: it becomes the new smallest one
  kLowerMax,     // the drawn angle is too sharp: it becomes the new largest one
  kNextAttempt,  // no circle through this first segment can work
  kFailed,       // stop_code 10
};

BranchEnd branch_end_of(TraceEnd t) {
  if (t == TraceEnd::kComplete) return BranchEnd::kComplete;
  if (t == TraceEnd::kFailed) return BranchEnd::kFailed;
  return BranchEnd::kNextAttempt;
}

// The circle through P1, P2 and a target point: its turning angle and its centre height.
// Degenerate geometry (a level first segment, a target level with P2 or on it) yields
// non-finite values; such a circle is reported as not valid.
struct TargetCircle {
  bool valid = false;
  float turning = 0.0f;
  float centre_y = 0.0f;
};

float slope_from_p2(const ProblemModel& m, float x, float y) {
  return (y - m.surface_y[2]) / (x - m.surface_x[2]);
}

TargetCircle circle_through(const ProblemModel& m, float t1, float xt, float yt) {
  float xm1 = (m.surface_x[1] + m.surface_x[2]) / 2.0f;
  float ym1 = (m.surface_y[1] + m.surface_y[2]) / 2.0f;
  float m1 = -1.0f / t1;
  float b1 = ym1 - m1 * xm1;
  float mt = -1.0f / slope_from_p2(m, xt, yt);
  float xmt = (m.surface_x[2] + xt) / 2.0f;
  float ymt = (m.surface_y[2] + yt) / 2.0f;
  float bt = ymt - mt * xmt;
  float xc = (b1 - bt) / (mt - m1);
  float yc = m1 * xc + b1;
  float dx = xc - xm1;
  float dy = yc - ym1;
  float d = std::sqrt(dx * dx + dy * dy);
  TargetCircle c;
  c.turning = 2.0f * exact::atan((m.segment_length / 2.0f) / d);
  c.centre_y = yc;
  c.valid = std::isfinite(c.turning) && std::isfinite(c.centre_y);
  return c;
}

// Where the chord leaves the ground. The scan resumes at the boundary where the previous
// chord's scan stopped, skips boundaries wholly left of the chord and stops at the first
// boundary that starts right of the chord's end.
Crossing chord_exit(const ProblemModel& m, const Segment& chord, int32_t& scan_start) {
  int32_t last = top_boundaries(m);
  int32_t j = std::max(scan_start, 1);
  for (; j <= last; ++j) {
    if (chord.x1 > m.boundary_x_right[j]) continue;
    Crossing c = cross_boundary(m, j, chord);
    if (c.found) {
      scan_start = j;
      return c;
    }
    if (j < last && m.boundary_x_left[j + 1] > chord.x2) break;
  }
  scan_start = std::min(j, last);
  return Crossing{};
}

// The bounds of the turning angle for one attempt, and the centre height that decides what a
// circle turning vertical inside the ground means.
struct TurningBounds {
  float smallest = 0.0f;
  float largest = 0.0f;
  float centre_height = 0.0f;
};

class CircleTracer {
 public:
  CircleTracer(Engine& e, const FirstSegment& first)
      : e_(e), m_(e.model), theta1_(first.angle), length_(e.model.segment_length) {}

  BranchEnd run();

 private:
  bool set_bounds();
  TraceEnd trace(float delta);
  TraceEnd exit_handling(int32_t k, const Crossing& exit);
  TraceEnd flattest_circle_test();
  TraceEnd elevation_rescue();
  TraceEnd limit_handling(int32_t limit);

  Engine& e_;
  ProblemModel& m_;
  float theta1_;
  float length_;
  TurningBounds b_;
};

// Turning-angle bounds from the termination points; false when the attempt ends here.
bool CircleTracer::set_bounds() {
  float t1 = exact::tan(theta1_);
  b_.largest = m_.angle_45;
  b_.smallest = kFlattestTurning;
  b_.centre_height = kHighCentre;
  if (t1 < slope_from_p2(m_, m_.term_x_right, m_.term_y_right)) {
    TargetCircle right = circle_through(m_, t1, m_.term_x_right, m_.term_y_right);
    if (!right.valid) return false;
    b_.smallest = right.turning;
    b_.centre_height = right.centre_y;
  }
  if (m_.surface_x[1] < m_.term_x_left) {
    if (slope_from_p2(m_, m_.term_x_left, m_.term_y_left) > t1) {
      TargetCircle left = circle_through(m_, t1, m_.term_x_left, m_.term_y_left);
      if (!left.valid) return false;
      b_.largest = std::min(b_.largest, left.turning);
    } else {
      // The left termination point lies on or below the line of the first segment, where no
      // circle turning upward from P2 reaches it: the later first segments from this point
      // aim no higher than the direction to it.
      m_.init_angle_upper =
          exact::atan((m_.term_y_left - m_.surface_y[1]) / (m_.term_x_left - m_.surface_x[1]));
      return false;
    }
  }
  b_.centre_height = b_.centre_height - 0.001f - length_ / 2.0f;
  return true;
}

BranchEnd CircleTracer::run() {
  if (!set_bounds()) return BranchEnd::kNextAttempt;
  for (int32_t draw = 1;; ++draw) {
    float r = next_random(e_.rng);
    float delta = b_.smallest + (b_.largest - b_.smallest) * (r * r);
    if (m_.bishop_method == 1) m_.circle_radius = circle_radius_of(length_, delta);
    if (draw > kMaxTracedDraws) return BranchEnd::kNextAttempt;
    TraceEnd t = trace(delta);
    if (t == TraceEnd::kRaiseMin) {
      b_.smallest = delta;
    } else if (t == TraceEnd::kLowerMax) {
      b_.largest = delta;
    } else {
      return branch_end_of(t);
    }
  }
}

// Traces the circle of turning angle delta chord by chord until it leaves the ground.
TraceEnd CircleTracer::trace(float delta) {
  float phi = theta1_ + delta;
  int32_t k = 3;
  int32_t scan_start = m_.start_boundary;
  while (phi + kAngleMargin < m_.angle_90) {
    m_.surface_y[k] = m_.surface_y[k - 1] + length_ * exact::sin(phi);
    if (!(m_.surface_y[k] > m_.min_elevation)) return elevation_rescue();
    m_.surface_x[k] = m_.surface_x[k - 1] + length_ * exact::cos(phi);
    Segment chord{m_.surface_x[k - 1], m_.surface_y[k - 1], m_.surface_x[k], m_.surface_y[k]};
    Crossing exit = chord_exit(m_, chord, scan_start);
    if (exit.found) return exit_handling(k, exit);
    if (m_.limits_active == 1) {
      int32_t limit = first_limit_crossed(m_, chord);
      if (limit > 0) return limit_handling(limit);
    }
    ++k;
    if (k > kLastPoint) {
      m_.stop_code = 10;
      return TraceEnd::kFailed;
    }
    phi = phi + delta;
  }
  // The chords turned to vertical inside the ground.
  if (b_.centre_height > m_.term_y_right) return TraceEnd::kLowerMax;
  m_.init_angle_lower = theta1_;
  return TraceEnd::kNextAttempt;
}

TraceEnd CircleTracer::exit_handling(int32_t k, const Crossing& exit) {
  m_.surface_x[k] = exit.x;
  m_.surface_y[k] = exit.y;
  if (exit.x < m_.term_x_left) return flattest_circle_test();
  if (m_.limits_active == 1) {
    Segment last{m_.surface_x[k - 1], m_.surface_y[k - 1], exit.x, exit.y};
    int32_t limit = first_limit_crossed(m_, last);
    if (limit > 0) return limit_handling(limit);
  }
  m_.surface_point_count = k;
  return TraceEnd::kComplete;
}

// The drawn circle left the ground before the left termination limit. If even the flattest
// circle does, no circle through this first segment can reach the termination range.
TraceEnd CircleTracer::flattest_circle_test() {
  float x = m_.surface_x[2];
  float y = m_.surface_y[2];
  float phi = theta1_;
  int32_t scan_start = m_.start_boundary;
  for (int32_t k = 3; k <= kLastPoint; ++k) {
    phi = phi + b_.smallest;
    float xn = x + length_ * exact::cos(phi);
    float yn = y + length_ * exact::sin(phi);
    Crossing exit = chord_exit(m_, Segment{x, y, xn, yn}, scan_start);
    if (exit.found) {
      if (exit.x > m_.term_x_left) return TraceEnd::kLowerMax;
      m_.init_angle_upper = theta1_;
      return TraceEnd::kNextAttempt;
    }
    x = xn;
    y = yn;
  }
  m_.stop_code = 10;
  return TraceEnd::kFailed;
}

// A point fell to the lowest elevation. If the sharpest circle turns upward before it falls
// below that elevation, flatter circles than the drawn one are of no use. A sharpest circle
// that is nearly straight and nearly level could be followed almost without end; after
// kMaxRescueChords chords it is taken to fall below, and the attempt ends.
TraceEnd CircleTracer::elevation_rescue() {
  float y = m_.surface_y[2];
  for (int32_t n = 1; n <= kMaxRescueChords; ++n) {
    float phi = theta1_ + static_cast<float>(n) * b_.largest;
    if (phi > 0.0f) return TraceEnd::kRaiseMin;
    y = y + length_ * exact::sin(phi);
    if (y < m_.min_elevation) return TraceEnd::kNextAttempt;
  }
  return TraceEnd::kNextAttempt;
}

// The circle crossed a search limit. A test circle just inside the far bound of the turning
// angle tells whether any circle can pass it: if it crosses too, the first segment must turn;
// if it rises clear above the limit, the drawn angle becomes the bound. The test circle stops
// at the last point a surface can have, and then the attempt ends.
TraceEnd CircleTracer::limit_handling(int32_t limit) {
  bool upward = deflects_upward(m_, limit);
  float top = std::max(m_.limit_y_left[limit], m_.limit_y_right[limit]);
  float turning = upward ? b_.largest - kAngleMargin : b_.smallest + kAngleMargin;
  float x = m_.surface_x[2];
  float y = m_.surface_y[2];
  float phi = theta1_;
  for (int32_t k = 3; k <= kLastPoint; ++k) {
    phi = phi + turning;
    float xn = x + length_ * exact::cos(phi);
    float yn = y + length_ * exact::sin(phi);
    if (crosses_limit(m_, limit, Segment{x, y, xn, yn})) {
      if (upward) {
        m_.init_angle_lower = theta1_ + kAngleMargin;
      } else {
        m_.init_angle_upper = theta1_ - kAngleMargin;
      }
      return TraceEnd::kNextAttempt;
    }
    if (y > top && phi > 0.0f) return upward ? TraceEnd::kRaiseMin : TraceEnd::kLowerMax;
    x = xn;
    y = yn;
  }
  return TraceEnd::kNextAttempt;
}

}  // namespace

float circle_radius_of(float chord_length, float turning) {
  return (chord_length / 2.0f) / exact::sin(turning / 2.0f);
}

BranchEnd trace_circular_branch(Engine& e, const FirstSegment& first) {
  return CircleTracer(e, first).run();
}

}  // namespace scarpex
