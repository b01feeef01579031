#include <gtest/gtest.h>

#include <cmath>

#include "generator_test_slopes.h"
#include "search/block_base.h"
#include "search/generate_surface.h"

namespace scarpex {
namespace {

using testing::block_search_engine;
using testing::Box;
using testing::ground_at;
using testing::kDegree;
using testing::segment_crosses_limit;
using testing::set_boxes;
using testing::set_profile;

// Whether (x, y) lies in box i: between the ends of its centre line and within half its
// height above or below it.
bool in_box(const ProblemModel& m, int32_t i, float x, float y) {
  float t = (x - m.box_x_left[i]) / (m.box_x_right[i] - m.box_x_left[i]);
  float centre = m.box_y_left[i] + t * (m.box_y_right[i] - m.box_y_left[i]);
  return t >= -1e-5f && t <= 1.0f + 1e-5f &&
         std::fabs(y - centre) <= 0.5f * m.box_height[i] + 1e-4f;
}

// Index of the base point of box 1 in a completed block surface, 0 if the boxes' points do
// not follow one another in box order.
int32_t base_start(const ProblemModel& m) {
  for (int32_t s = 1; s + m.box_count - 1 <= m.surface_point_count; ++s) {
    bool all = true;
    for (int32_t i = 1; i <= m.box_count && all; ++i) {
      all = in_box(m, i, m.surface_x[s + i - 1], m.surface_y[s + i - 1]);
    }
    if (all) return s;
  }
  return 0;
}

// Inclination above the horizontal of the segment ending at point k, seen rising away from
// the base: to the left for the left side, to the right for the right side.
float rise_angle(const ProblemModel& m, int32_t k, bool left_side) {
  float dx = m.surface_x[k] - m.surface_x[k - 1];
  float dy = m.surface_y[k] - m.surface_y[k - 1];
  return left_side ? std::atan2(-dy, dx) : std::atan2(dy, dx);
}

float segment_length_to(const ProblemModel& m, int32_t k) {
  return std::hypot(m.surface_x[k] - m.surface_x[k - 1], m.surface_y[k] - m.surface_y[k - 1]);
}

TEST(BlockGenerator, SurfacesRunFromTheGroundThroughTheBoxesBackToTheGround) {
  auto e = block_search_engine();
  ProblemModel& m = e->model;
  m.limits_active = 1;
  m.limit_count = 1;
  m.limit_upward_count = 1;
  m.limit_x_left[1] = 0.0f, m.limit_y_left[1] = 13.0f;
  m.limit_x_right[1] = 8.0f, m.limit_y_right[1] = 13.0f;
  int completed = 0;
  for (int call = 0; call < 200; ++call) {
    m.stop_code = 0;
    generate_surface(*e);
    if (m.stop_code != 0) continue;
    ++completed;
    int32_t n = m.surface_point_count;
    int32_t s = base_start(m);
    ASSERT_GT(s, 1) << "the base points follow a left side";
    ASSERT_LT(s + 1, n) << "and a right side follows them";
    EXPECT_NEAR(m.surface_y[1], ground_at(m, m.surface_x[1]), 2e-3);
    EXPECT_NEAR(m.surface_y[n], ground_at(m, m.surface_x[n]), 2e-3);
    for (int32_t k = 2; k <= n; ++k) {
      EXPECT_GE(m.surface_x[k], m.surface_x[k - 1]) << "point " << k;
      EXPECT_FALSE(segment_crosses_limit(m, 1, m.surface_x[k - 1], m.surface_y[k - 1],
                                         m.surface_x[k], m.surface_y[k]));
      bool side = k <= s || k > s + 1;
      if (side && segment_length_to(m, k) > 0.1f) {
        float rise = rise_angle(m, k, k <= s);
        EXPECT_GE(rise, -1e-4f) << "point " << k;
        EXPECT_LE(rise, 45.0f * kDegree + 1e-4f) << "point " << k;
      }
    }
  }
  EXPECT_GT(completed, 100);
}

TEST(BlockGenerator, BaseTakesTwoValuesPerBoxAndIsStoredLastBoxFirst) {
  auto e = block_search_engine();
  ProblemModel& m = e->model;
  set_boxes(m, {{12, 6, 22, 6, 2}, {24, 7, 26, 7, 1}, {28, 8, 38, 10, 2}});
  int32_t before = e->rng.draws;
  place_block_base(*e, 3);
  EXPECT_EQ(e->rng.draws - before, 6);
  EXPECT_TRUE(in_box(m, 3, m.surface_x[1], m.surface_y[1]));
  EXPECT_TRUE(in_box(m, 2, m.surface_x[2], m.surface_y[2]));
  EXPECT_TRUE(in_box(m, 1, m.surface_x[3], m.surface_y[3]));
}

TEST(BlockGenerator, SuccessfulFirstTriesDrawOnceForEverySidePoint) {
  // Wide level ground far above the boxes: no side can fail.
  auto e = block_search_engine();
  ProblemModel& m = e->model;
  set_profile(m, {{0, 20, 200, 20}}, 1);
  set_boxes(m, {{90, 10, 95, 10, 1}, {97, 10, 100, 10, 1}, {102, 10, 108, 11, 1}});
  int32_t before = e->rng.draws;
  generate_surface(*e);
  ASSERT_EQ(m.stop_code, 0);
  EXPECT_EQ(e->rng.draws - before, 6 + (m.surface_point_count - 3));
}

TEST(BlockGenerator, BoxesTooDeepForAnySideEndWithCode12) {
  auto e = block_search_engine();
  ProblemModel& m = e->model;
  set_profile(m, {{0, 100, 40, 100}}, 1);
  set_boxes(m, {{15, 5, 25, 5, 1}});  // no side rising at 45 degrees or less gets out
  generate_surface(*e);
  EXPECT_EQ(m.stop_code, 12);
}

TEST(BlockGenerator, GivesUpAfter200TriesOfASide) {
  // A box by the left end of the ground and segments so long that every left side, whatever
  // its angle, ends beyond that end at its first point: each try takes one draw, and each of
  // the ten bases placed (one per 20 tries) two.
  auto e = block_search_engine();
  ProblemModel& m = e->model;
  set_profile(m, {{0, 100, 40, 100}}, 1);
  set_boxes(m, {{1, 5, 2, 5, 1}});
  m.segment_length = 10.0f;
  int32_t before = e->rng.draws;
  generate_surface(*e);
  EXPECT_EQ(m.stop_code, 12);
  EXPECT_EQ(e->rng.draws - before, 10 * 2 + 200);
}

TEST(BlockGenerator, SideNeedingMoreThanHundredPointsEndsWithCode10) {
  auto e = block_search_engine();
  e->model.segment_length = 0.02f;
  generate_surface(*e);
  EXPECT_EQ(e->model.stop_code, 10);
}

TEST(BlockGenerator, BoxCountOutsideTheTableBuildsNothing) {
  for (bool rankine : {false, true}) {
    for (int32_t count : {0, -3, 11}) {
      auto e = block_search_engine(rankine);
      e->model.box_count = count;
      int32_t before = e->rng.draws;
      generate_surface(*e);
      EXPECT_EQ(e->model.stop_code, 10);
      EXPECT_EQ(e->rng.draws, before);
    }
  }
}

// Two layers over a single flat box at elevation 5: friction 30 degrees below the boundary at
// 15, 20 degrees above it up to the ground at 30.
std::unique_ptr<Engine> two_layer_rankine_engine() {
  auto e = block_search_engine(true);
  ProblemModel& m = e->model;
  set_profile(m, {{0, 30, 100, 30, 1}, {0, 15, 100, 15, 2}}, 1);
  m.soil_friction_angle[1] = 20.0f;
  m.soil_friction_angle[2] = 30.0f;
  set_boxes(m, {{45, 5, 55, 5, 0}});
  return e;
}

TEST(RankineBlockGenerator, SidesTakeTheRankineAnglesOfEachLayer) {
  auto e = two_layer_rankine_engine();
  ProblemModel& m = e->model;
  generate_surface(*e);
  ASSERT_EQ(m.stop_code, 0);
  int32_t n = m.surface_point_count;
  int32_t base = 0;
  for (int32_t k = 1; k <= n; ++k) {
    if (m.surface_y[k] == 5.0f) base = k;
  }
  ASSERT_GT(base, 1);
  ASSERT_LT(base, n);
  EXPECT_NEAR(m.surface_y[1], 30.0f, 1e-3f);
  EXPECT_NEAR(m.surface_y[n], 30.0f, 1e-3f);
  for (int32_t k = 2; k <= n; ++k) {
    if (segment_length_to(m, k) < 0.1f) continue;
    bool left = k <= base;
    float mid_y = 0.5f * (m.surface_y[k] + m.surface_y[k - 1]);
    float friction = mid_y < 15.0f ? 30.0f : 20.0f;
    float expected = left ? 45.0f - friction / 2 : 45.0f + friction / 2;
    EXPECT_NEAR(rise_angle(m, k, left) / kDegree, expected, 1e-3f) << "point " << k;
  }
}

TEST(RankineBlockGenerator, BoxesTooDeepEndWithCode12AndReportBK12OncePerSearch) {
  auto e = two_layer_rankine_engine();
  ProblemModel& m = e->model;
  set_profile(m, {{0, 100, 40, 100, 1}}, 1);
  set_boxes(m, {{15, 5, 25, 5, 1}});
  for (int trial = 0; trial < 3; ++trial) {
    int32_t before = e->rng.draws;
    generate_surface(*e);
    EXPECT_EQ(m.stop_code, 12);
    // 199 attempts of a base placement each.
    EXPECT_EQ(e->rng.draws - before, 2 * 199);
    m.stop_code = 0;
  }
  std::string report = e->report.text();
  EXPECT_EQ(testing::count_of(report, "BK12"), 1);
  EXPECT_EQ(testing::count_of(report, "****  ERROR - BK12  ****"), 1);
  EXPECT_EQ(m.input_error_flag, 0);
}

TEST(RankineBlockGenerator, SideReachingPointHundredEndsWithCode10) {
  auto e = two_layer_rankine_engine();
  e->model.segment_length = 0.05f;
  generate_surface(*e);
  EXPECT_EQ(e->model.stop_code, 10);
}

}  // namespace
}  // namespace scarpex
