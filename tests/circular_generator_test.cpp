#include <gtest/gtest.h>

#include <cmath>

#include "generator_test_slopes.h"
#include "search/circular_generator.h"
#include "search/generate_surface.h"

namespace scarpex {
namespace {

using testing::circle_search_engine;
using testing::ground_at;
using testing::kDegree;
using testing::segment_crosses_limit;

struct Circle {
  double x, y, r;
};

// Circumscribed circle of three points, in double precision.
Circle circumcircle(double ax, double ay, double bx, double by, double cx, double cy) {
  double d = 2.0 * (ax * (by - cy) + bx * (cy - ay) + cx * (ay - by));
  double a2 = ax * ax + ay * ay, b2 = bx * bx + by * by, c2 = cx * cx + cy * cy;
  double ux = (a2 * (by - cy) + b2 * (cy - ay) + c2 * (ay - by)) / d;
  double uy = (a2 * (cx - bx) + b2 * (ax - cx) + c2 * (bx - ax)) / d;
  return {ux, uy, std::hypot(ax - ux, ay - uy)};
}

// Generates surfaces from a fresh set of bounds each time; returns how many were completed,
// checking each with `check`.
template <typename Check>
int generate_many(Engine& e, int calls, Check check) {
  ProblemModel& m = e.model;
  float upper = m.init_angle_upper, lower = m.init_angle_lower;
  int completed = 0;
  for (int i = 0; i < calls; ++i) {
    m.init_angle_upper = upper;
    m.init_angle_lower = lower;
    m.stop_code = 0;
    generate_surface(e);
    if (m.stop_code != 0) continue;
    ++completed;
    check(m);
    if (::testing::Test::HasFatalFailure()) break;
  }
  return completed;
}

TEST(CircularGenerator, CompletedSurfacesAreCirclesThatEndOnTheGroundInTheTerminationRange) {
  auto e = circle_search_engine();
  ProblemModel& m = e->model;
  m.bishop_method = 1;
  int completed = generate_many(*e, 300, [](const ProblemModel& m) {
    int32_t n = m.surface_point_count;
    ASSERT_GE(n, 3);
    ASSERT_LE(n, 100);
    float first = std::atan2(m.surface_y[2] - m.surface_y[1], m.surface_x[2] - m.surface_x[1]);
    EXPECT_LE(first, -5.0f * kDegree + 1e-4f);
    EXPECT_GE(first, -45.0f * kDegree - 1e-4f);
    // The last point is where the circle leaves the ground, inside the termination range.
    EXPECT_NEAR(m.surface_y[n], ground_at(m, m.surface_x[n]), 2e-3);
    EXPECT_GE(m.surface_x[n], m.term_x_left);
    for (int32_t k = 2; k < n; ++k) {
      EXPECT_LT(m.surface_y[k], ground_at(m, m.surface_x[k]) + 1e-3) << "point " << k;
      EXPECT_GT(m.surface_y[k], m.min_elevation) << "point " << k;
    }
    if (n >= 4) {
      Circle c = circumcircle(m.surface_x[1], m.surface_y[1], m.surface_x[2], m.surface_y[2],
                              m.surface_x[3], m.surface_y[3]);
      for (int32_t k = 4; k < n; ++k) {
        EXPECT_NEAR(std::hypot(m.surface_x[k] - c.x, m.surface_y[k] - c.y), c.r, 1e-3 * c.r)
            << "point " << k;
      }
      // The radius kept for the analysis is that of the circle built.
      EXPECT_NEAR(m.circle_radius, c.r, 1e-3 * c.r);
    }
  });
  EXPECT_GT(completed, 150);
}

TEST(CircularGenerator, RadiusFollowsFromChordAndTurningAngle) {
  EXPECT_NEAR(circle_radius_of(10.0f, 10.0f * kDegree), 57.37f, 0.005f);
}

TEST(CircularGenerator, FirstSegmentsBelowTheLowestElevationRaiseTheLowerBound) {
  auto e = circle_search_engine();
  ProblemModel& m = e->model;
  // Every first segment dips at least 5 degrees and so ends below 9.9.
  m.min_elevation = 9.9f;
  float initial_lower = m.init_angle_lower;
  int32_t draws_before = e->rng.draws;
  generate_surface(*e);
  EXPECT_EQ(m.stop_code, 12);
  // One draw per attempt: every attempt ends at its first segment.
  EXPECT_EQ(e->rng.draws - draws_before, 200);
  EXPECT_GT(m.init_angle_lower, initial_lower);
  EXPECT_LE(m.init_angle_lower, m.init_angle_upper);
}

TEST(CircularGenerator, FirstSegmentLeavingTheGroundOutsideTheRangeTurnsTheBoundsAway) {
  // The initiation point on a crest, with a 45-degree face falling to the right from x = 20:
  // long first segments come out through the face between x = 20 and about 30.
  for (bool range_right_of_face : {true, false}) {
    auto e = circle_search_engine();
    ProblemModel& m = e->model;
    testing::set_profile(m, {{0, 20, 20, 20}, {20, 20, 30, 10}, {30, 10, 80, 10}}, 3);
    m.segment_length = 20.0f;
    m.surface_x[1] = 15.0f;
    m.surface_y[1] = 20.0f;
    m.term_x_left = range_right_of_face ? 40.0f : 10.0f;
    m.term_x_right = range_right_of_face ? 80.0f : 20.5f;
    m.term_y_left = ground_at(m, m.term_x_left);
    m.term_y_right = ground_at(m, m.term_x_right);
    float upper = m.init_angle_upper, lower = m.init_angle_lower;
    for (int trial = 0; trial < 20; ++trial) {
      m.stop_code = 0;
      generate_surface(*e);
    }
    if (range_right_of_face) {
      EXPECT_LT(m.init_angle_upper, upper);  // leaving left of the range: dip more
      EXPECT_EQ(m.init_angle_lower, lower);
    } else {
      EXPECT_GT(m.init_angle_lower, lower);  // leaving right of the range: dip less
      EXPECT_EQ(m.init_angle_upper, upper);
    }
    EXPECT_LE(m.init_angle_lower, m.init_angle_upper);
  }
}

TEST(CircularGenerator, LevelFirstSegmentNeverYieldsNonFiniteCoordinates) {
  // A level first segment has no finite perpendicular bisector slope; such attempts fail.
  auto e = circle_search_engine();
  ProblemModel& m = e->model;
  m.bishop_method = 1;
  m.init_angle_upper = 0.0f;
  m.init_angle_lower = 0.0f;
  generate_surface(*e);
  EXPECT_EQ(m.stop_code, 12);
  for (int32_t k = 1; k <= 100; ++k) {
    ASSERT_TRUE(std::isfinite(m.surface_x[k]) && std::isfinite(m.surface_y[k])) << k;
  }
  EXPECT_TRUE(std::isfinite(m.circle_radius));
}

TEST(CircularGenerator, TerminationPointsInLineWithTheSecondPointNeverYieldNonFiniteValues) {
  // A right termination point straight above P2 (a vertical chord), and a left one on P2
  // itself (no chord at all).
  for (bool left_on_p2 : {false, true}) {
    auto e = circle_search_engine();
    ProblemModel& m = e->model;
    m.bishop_method = 1;
    float theta1 = -20.0f * kDegree;
    m.init_angle_upper = theta1;
    m.init_angle_lower = theta1;
    float x2 = m.surface_x[1] + m.segment_length * std::cos(theta1);
    float y2 = m.surface_y[1] + m.segment_length * std::sin(theta1);
    if (left_on_p2) {
      m.term_x_left = x2;
      m.term_y_left = y2;
    } else {
      m.term_x_right = x2;
      m.term_y_right = 25.0f;
      m.term_x_left = 0.0f;
    }
    for (int call = 0; call < 5; ++call) {
      m.stop_code = 0;
      generate_surface(*e);
      ASSERT_TRUE(m.stop_code == 0 || m.stop_code == 10 || m.stop_code == 12) << m.stop_code;
      EXPECT_TRUE(std::isfinite(m.circle_radius));
      EXPECT_TRUE(std::isfinite(m.init_angle_upper) && std::isfinite(m.init_angle_lower));
      if (m.stop_code != 0) continue;
      for (int32_t k = 1; k <= m.surface_point_count; ++k) {
        ASSERT_TRUE(std::isfinite(m.surface_x[k]) && std::isfinite(m.surface_y[k])) << k;
      }
    }
  }
}

TEST(CircularGenerator, CircleNeedingMoreThanHundredPointsStopsWithCode10) {
  auto e = circle_search_engine();
  ProblemModel& m = e->model;
  m.segment_length = 0.1f;  // the termination range lies over 150 chords away
  generate_surface(*e);
  EXPECT_EQ(m.stop_code, 10);
}

TEST(CircularGenerator, CompletedSurfacesNeverCrossASearchLimit) {
  auto e = circle_search_engine();
  ProblemModel& m = e->model;
  m.limits_active = 1;
  m.limit_count = 2;
  m.limit_upward_count = 1;
  // An upward-deflecting floor and a downward-deflecting ceiling under the crest.
  m.limit_x_left[1] = 0.0f, m.limit_y_left[1] = 6.0f;
  m.limit_x_right[1] = 70.0f, m.limit_y_right[1] = 6.0f;
  m.limit_x_left[2] = 45.0f, m.limit_y_left[2] = 16.0f;
  m.limit_x_right[2] = 60.0f, m.limit_y_right[2] = 16.0f;
  int completed = generate_many(*e, 300, [](const ProblemModel& m) {
    for (int32_t k = 2; k <= m.surface_point_count; ++k) {
      for (int32_t limit = 1; limit <= 2; ++limit) {
        EXPECT_FALSE(segment_crosses_limit(m, limit, m.surface_x[k - 1], m.surface_y[k - 1],
                                           m.surface_x[k], m.surface_y[k]))
            << "segment to point " << k << " crosses limit " << limit;
      }
    }
  });
  EXPECT_GT(completed, 50);
}

}  // namespace
}  // namespace scarpex
