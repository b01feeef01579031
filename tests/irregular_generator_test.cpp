#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "generator_test_slopes.h"
#include "search/generate_surface.h"
#include "search/irregular_generator.h"

namespace scarpex {
namespace {

using testing::ground_at;
using testing::irregular_search_engine;
using testing::kDegree;
using testing::segment_crosses_limit;
using testing::state_before;

float segment_angle(const ProblemModel& m, int32_t k) {
  return std::atan2(m.surface_y[k] - m.surface_y[k - 1], m.surface_x[k] - m.surface_x[k - 1]);
}

float segment_length_to(const ProblemModel& m, int32_t k) {
  return std::hypot(m.surface_x[k] - m.surface_x[k - 1], m.surface_y[k] - m.surface_y[k - 1]);
}

// Points 1 and 2 of the current surface along the given first-segment angle.
FirstSegment start_at(ProblemModel& m, float x, float y, float angle_degrees) {
  FirstSegment first;
  first.angle = angle_degrees * kDegree;
  first.angle_floor = -m.angle_45;
  m.surface_x[1] = x;
  m.surface_y[1] = y;
  m.surface_x[2] = x + m.segment_length * std::cos(first.angle);
  m.surface_y[2] = y + m.segment_length * std::sin(first.angle);
  return first;
}

// The turns between the full-length segments 2.. of a completed surface.
std::vector<float> turns_of(const ProblemModel& m) {
  std::vector<float> turns;
  for (int32_t k = 3; k <= m.surface_point_count; ++k) {
    if (segment_length_to(m, k) < 0.5f * m.segment_length) break;  // a shortened last segment
    turns.push_back(segment_angle(m, k) - segment_angle(m, k - 1));
  }
  return turns;
}

TEST(IrregularGenerator, CompletedSurfacesStayWithinTheBendBoundsAndEndInTheTerminationRange) {
  auto e = irregular_search_engine();
  ProblemModel& m = e->model;
  int completed = 0;
  for (int call = 0; call < 300; ++call) {
    m.init_angle_upper = -5.0f * kDegree;
    m.init_angle_lower = -m.angle_45;
    m.stop_code = 0;
    generate_surface(*e);
    if (m.stop_code != 0) continue;
    ++completed;
    int32_t n = m.surface_point_count;
    ASSERT_GE(n, 3);
    EXPECT_NEAR(m.surface_y[n], ground_at(m, m.surface_x[n]), 2e-3);
    EXPECT_GE(m.surface_x[n], m.term_x_left);
    EXPECT_LE(m.surface_x[n], m.term_x_right);
    for (int32_t k = 2; k < n; ++k) {
      EXPECT_LT(m.surface_y[k], ground_at(m, m.surface_x[k]) + 1e-3) << "point " << k;
      EXPECT_GE(m.surface_y[k], m.min_elevation) << "point " << k;
    }
    for (int32_t k = 3; k <= n; ++k) {
      if (segment_length_to(m, k) < 0.5f * m.segment_length) continue;
      EXPECT_GE(segment_angle(m, k), -45.0f * kDegree - 1e-4f) << "segment to " << k;
      EXPECT_LT(segment_angle(m, k), 90.0f * kDegree - 0.0009f) << "segment to " << k;
    }
    for (float turn : turns_of(m)) {
      EXPECT_LE(turn, 45.0f * kDegree + 1e-4f);
      EXPECT_GE(turn, -45.0f * kDegree - 1e-4f);
    }
  }
  EXPECT_GT(completed, 100);
}

TEST(IrregularGenerator, SmallestBendLimitNeverTurnsDown) {
  int completed = 0;
  for (float first_angle = -40.0f; first_angle <= -10.0f; first_angle += 1.0f) {
    auto e = irregular_search_engine();
    ProblemModel& m = e->model;
    m.term_x_left = 11.0f;  // surfaces that never bend down leave the ground early
    FirstSegment first = start_at(m, 10.0005f, 10.0f, first_angle);
    e->rng = state_before(1);  // the smallest bend limit, 45 degrees
    if (trace_irregular_branch(*e, first) != BranchEnd::kComplete) continue;
    ++completed;
    for (float turn : turns_of(m)) EXPECT_GE(turn, -1e-4f) << "first angle " << first_angle;
  }
  EXPECT_GT(completed, 10);
}

TEST(IrregularGenerator, LargestBendLimitTurnsDownByNearly45Degrees) {
  // A bend limit near 90 degrees followed by an angle draw near the bottom of its range.
  int64_t bend = 16383;
  while ((bend * 78125) % 16384 > 64) bend -= 2;
  ASSERT_GT(bend, 15900);  // a bend limit above 87 degrees
  auto e = irregular_search_engine();
  ProblemModel& m = e->model;
  FirstSegment first = start_at(m, 10.0f, 2.0f, 30.0f);
  e->rng = state_before(bend);
  trace_irregular_branch(*e, first);
  float turn = segment_angle(m, 3) - first.angle;
  EXPECT_LT(turn, -40.0f * kDegree);
  EXPECT_GE(turn, -45.0f * kDegree);
}

TEST(IrregularGenerator, SegmentAfterSixtyDegreesIsCappedJustShortOfVertical) {
  auto e = irregular_search_engine();
  ProblemModel& m = e->model;
  FirstSegment first = start_at(m, 10.0f, 2.0f, 60.0f);
  // The bend limit, then an angle draw at the top of its range.
  e->rng = state_before(state_before(16383).state);
  trace_irregular_branch(*e, first);
  float angle = segment_angle(m, 3);
  EXPECT_LT(angle, m.angle_90 - 0.001f + 1e-5f);
  EXPECT_GT(angle, m.angle_90 - 0.01f);
}

TEST(IrregularGenerator, LeavingExactlyAtTheLeftTerminationLimitCompletesTheSurface) {
  auto e = irregular_search_engine();
  ProblemModel& m = e->model;
  m.term_x_left = 0.0f;
  FirstSegment first = start_at(m, 10.0005f, 10.0f, -20.0f);
  RandomState start;
  for (int tries = 0; tries < 50; ++tries) {
    start = e->rng;
    if (trace_irregular_branch(*e, first) == BranchEnd::kComplete) break;
  }
  ASSERT_GT(m.surface_point_count, 0);
  float exit_x = m.surface_x[m.surface_point_count];
  int32_t count = m.surface_point_count;

  m.term_x_left = exit_x;
  e->rng = start;
  ASSERT_EQ(trace_irregular_branch(*e, first), BranchEnd::kComplete);
  EXPECT_EQ(m.surface_point_count, count);
  EXPECT_EQ(m.surface_x[count], exit_x);

  m.term_x_left = std::nextafter(exit_x, 1000.0f);
  e->rng = start;
  EXPECT_EQ(trace_irregular_branch(*e, first), BranchEnd::kNextAttempt);
}

TEST(IrregularGenerator, NinetyEightSegmentsInsideTheGroundStopWithCode11) {
  auto e = irregular_search_engine();
  ProblemModel& m = e->model;
  testing::set_profile(m, {{0, 1000, 10000, 1000}}, 1);
  m.term_x_left = 0.0f;
  m.term_x_right = 10000.0f;
  m.segment_length = 0.5f;  // 98 segments rise less than the 100 to the ground
  FirstSegment first = start_at(m, 10.0f, 900.0f, 0.0f);
  int32_t draws_before = e->rng.draws;
  EXPECT_EQ(trace_irregular_branch(*e, first), BranchEnd::kFailed);
  EXPECT_EQ(m.stop_code, 11);
  // The bend limit, then two values for each of the 98 segments.
  EXPECT_EQ(e->rng.draws - draws_before, 1 + 2 * 98);
}

TEST(IrregularGenerator, UserLowerAngleSteeperThanFortyFiveDegreesIsTheFloor) {
  auto e = irregular_search_engine();
  ProblemModel& m = e->model;
  testing::set_profile(m, {{0, 60, 200, 60}}, 1);
  m.term_x_left = 20.0f;
  m.term_x_right = 200.0f;
  m.surface_y[1] = 60.0f;
  m.angle_restricted = 1;
  float steepest = 0.0f;
  for (int call = 0; call < 200; ++call) {
    m.init_angle_upper = -50.0f * kDegree;
    m.init_angle_lower = -60.0f * kDegree;
    m.stop_code = 0;
    generate_surface(*e);
    if (m.stop_code != 0) continue;
    for (int32_t k = 3; k < m.surface_point_count; ++k) {
      EXPECT_GE(segment_angle(m, k), -60.0f * kDegree - 1e-4f);
      steepest = std::min(steepest, segment_angle(m, k));
    }
  }
  // Without the user's angle no segment after the first could dip below 45 degrees.
  EXPECT_LT(steepest, -46.0f * kDegree);
}

TEST(IrregularGenerator, CompletedSurfacesNeverCrossASearchLimit) {
  auto e = irregular_search_engine();
  ProblemModel& m = e->model;
  m.limits_active = 1;
  m.limit_count = 2;
  m.limit_upward_count = 1;
  m.limit_x_left[1] = 0.0f, m.limit_y_left[1] = 6.0f;
  m.limit_x_right[1] = 70.0f, m.limit_y_right[1] = 6.0f;
  m.limit_x_left[2] = 45.0f, m.limit_y_left[2] = 16.0f;
  m.limit_x_right[2] = 60.0f, m.limit_y_right[2] = 16.0f;
  int completed = 0;
  for (int call = 0; call < 300; ++call) {
    m.init_angle_upper = -5.0f * kDegree;
    m.init_angle_lower = -m.angle_45;
    m.stop_code = 0;
    generate_surface(*e);
    if (m.stop_code != 0) continue;
    ++completed;
    for (int32_t k = 2; k <= m.surface_point_count; ++k) {
      for (int32_t limit = 1; limit <= 2; ++limit) {
        EXPECT_FALSE(segment_crosses_limit(m, limit, m.surface_x[k - 1], m.surface_y[k - 1],
                                           m.surface_x[k], m.surface_y[k]))
            << "segment to point " << k << " crosses limit " << limit;
      }
    }
  }
  EXPECT_GT(completed, 50);
}

TEST(IrregularGenerator, RedrawsThatCannotChangeTheAngleEndTheAttempt) {
  // The only angle left, the upper bound, puts the point exactly on the lowest elevation:
  // every redraw would give it again.
  auto e = irregular_search_engine();
  ProblemModel& m = e->model;
  FirstSegment first = start_at(m, 10.0f, 5.0f, 0.0f);
  first.angle_floor = 0.0f;  // lower bound 0 degrees...
  m.angle_45 = 0.0f;         // ...and upper bound 0 degrees: a level segment only
  m.min_elevation = m.surface_y[2];
  EXPECT_EQ(trace_irregular_branch(*e, first), BranchEnd::kNextAttempt);
}

}  // namespace
}  // namespace scarpex
