#include "fos/slicing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "slicing_problem.h"
#include "test_engine.h"

namespace scarpex {
namespace {

using testing::add_boundary;
using testing::add_piezo_surface;
using testing::make_reader_engine;
using testing::set_soil;
using testing::set_surface;
using testing::SoilData;

constexpr float kDeg = 0.017453292f;

// Flat ground at y = 50 over x 0 to 100, soil 1 of unit weight 20.
std::unique_ptr<Engine> flat_ground_engine() {
  auto e = make_reader_engine("");
  add_boundary(e->model, 0, 50, 100, 50, 1, true);
  set_soil(e->model, 1, SoilData{});
  return e;
}

void slice(Engine& e) {
  collect_slice_abscissae(e);
  build_slices(e);
}

std::vector<float> edges(const SliceTable& t) {
  return {t.x_edge.begin() + 1, t.x_edge.begin() + 1 + t.slice_count + 1};
}

TEST(Slicing, OneSlicePerSurfaceSegmentUnderASingleBoundary) {
  auto e = flat_ground_engine();
  set_surface(e->model, {{10, 50}, {20, 40}, {40, 40}, {60, 50}});
  slice(*e);
  const SliceTable& t = e->model.slices;
  ASSERT_EQ(e->model.stop_code, 0);
  ASSERT_EQ(t.slice_count, 3);
  EXPECT_EQ(edges(t), (std::vector<float>{10, 20, 40, 60}));
  EXPECT_FLOAT_EQ(t.y_edge[1], 50);
  EXPECT_FLOAT_EQ(t.y_edge[3], 40);
  EXPECT_FLOAT_EQ(t.y_edge[4], 50);
  EXPECT_FLOAT_EQ(t.x_mid[2], 30);
  EXPECT_FLOAT_EQ(t.width[2], 20);
  EXPECT_FLOAT_EQ(t.y_base[2], 40);
  EXPECT_FLOAT_EQ(t.height[2], 10);
  EXPECT_FLOAT_EQ(t.weight[2], 10 * 20 * 20);
  EXPECT_FLOAT_EQ(t.alpha[1], -45 * kDeg);  // the base falls towards +x
  EXPECT_FLOAT_EQ(t.alpha[3], std::atan(0.5f));
  EXPECT_FLOAT_EQ(t.beta[2], 0);
  EXPECT_EQ(t.base_soil[2], 1);
  // Not a Bishop analysis: no centre of weight.
  EXPECT_EQ(t.centroid_height[2], 0);
}

TEST(Slicing, AbscissaeCloserThanTheToleranceMergeToTheLarger) {
  for (float brk : {20.0005f, 20.002f}) {
    auto e = make_reader_engine("");
    add_boundary(e->model, 0, 50, brk, 50, 1, true);
    add_boundary(e->model, brk, 50, 100, 50, 1, true);
    set_soil(e->model, 1, SoilData{});
    set_surface(e->model, {{10, 50}, {20, 40}, {40, 40}, {60, 50}});
    slice(*e);
    ASSERT_EQ(e->model.stop_code, 0);
    if (brk < 20.001f) {
      EXPECT_EQ(edges(e->model.slices), (std::vector<float>{10, brk, 40, 60}));
    } else {
      EXPECT_EQ(edges(e->model.slices), (std::vector<float>{10, 20, brk, 40, 60}));
    }
  }
}

TEST(Slicing, SubsurfaceBoundariesGiveEdgesInsideTheMassAndLayers) {
  auto e = flat_ground_engine();
  ProblemModel& m = e->model;
  add_boundary(m, 5, 45, 25, 45, 2, false);   // starts left of the surface: right end only
  add_boundary(m, 25, 45, 35, 45, 2, false);  // continues the one before: right end only
  add_boundary(m, 30, 38, 50, 38, 3, false);  // wholly below the surface: nothing
  set_soil(m, 2, SoilData{10, 10});
  set_soil(m, 3, SoilData{});
  m.bishop_method = 1;
  set_surface(m, {{10, 50}, {20, 40}, {40, 40}, {60, 50}});
  slice(*e);
  const SliceTable& t = m.slices;
  ASSERT_EQ(m.stop_code, 0);
  // 15: boundary 2 crosses the surface; 25 and 35: right ends inside the mass.
  EXPECT_EQ(edges(t), (std::vector<float>{10, 15, 20, 25, 35, 40, 60}));
  EXPECT_EQ(t.base_soil[1], 1);  // base above boundary 2: one layer
  EXPECT_EQ(t.base_soil[2], 2);
  EXPECT_EQ(t.base_soil[6], 1);  // right of boundary 3's reach
  // Slice 2 (15 to 20): 5 of soil 1 over 2.5 of soil 2 at its centre line.
  EXPECT_FLOAT_EQ(t.weight[2], 5 * 20 * 5 + 2.5f * 10 * 5);
  float expected_centroid = (500.0f * 5.0f + 125.0f * 1.25f) / 625.0f;
  EXPECT_FLOAT_EQ(t.centroid_height[2], expected_centroid);
}

TEST(Slicing, PondedWaterLoadsTheTopAndNothingWhenTheGroundIsAtTheLevel) {
  for (float level : {55.0f, 50.0f}) {
    auto e = flat_ground_engine();
    ProblemModel& m = e->model;
    set_soil(m, 1, SoilData{18, 20, 0, 0, 0, 0, 1});
    add_piezo_surface(m, {{0, level}, {100, level}}, 10);
    set_surface(m, {{10, 50}, {20, 40}, {40, 40}, {60, 50}});
    slice(*e);
    const SliceTable& t = m.slices;
    ASSERT_EQ(m.stop_code, 0);
    ASSERT_EQ(t.slice_count, 3);
    EXPECT_FLOAT_EQ(t.top_water_force[2], 10 * (level - 50) * 20);
    EXPECT_FLOAT_EQ(t.base_water_force[2], 10 * (level - 40) * 20);
    EXPECT_FLOAT_EQ(t.weight[2], 10 * 20 * 20);  // wholly below the level: saturated
  }
}

TEST(Slicing, PorePressureRatioAddsToTheBaseWaterForce) {
  auto e = flat_ground_engine();
  set_soil(e->model, 1, SoilData{10, 10, 0, 0, 0.2f, 0});
  set_surface(e->model, {{9, 50}, {10, 45}, {12, 45}, {13, 50}});
  slice(*e);
  const SliceTable& t = e->model.slices;
  ASSERT_EQ(t.slice_count, 3);
  EXPECT_FLOAT_EQ(t.weight[2], 100);
  EXPECT_FLOAT_EQ(t.width[2], 2);
  EXPECT_FLOAT_EQ(t.base_water_force[2], 20);  // no water table: only ru x W
}

TEST(Slicing, LoadBeyondBothEndsActsOnEverySliceWithoutEdges) {
  auto e = flat_ground_engine();
  ProblemModel& m = e->model;
  m.loads_active = 1;
  m.load_count = 1;
  m.load_x_left[1] = 0;
  m.load_x_right[1] = 100;
  m.load_intensity_left[1] = 10;
  m.load_intensity_right[1] = 20;
  m.load_deflection[1] = 5 * kDeg;
  set_surface(m, {{10, 50}, {20, 40}, {40, 40}, {60, 50}});
  slice(*e);
  const SliceTable& t = m.slices;
  ASSERT_EQ(t.slice_count, 3);
  EXPECT_FLOAT_EQ(t.load_force[1], (10 + 15 * 0.1f) * 10);
  EXPECT_FLOAT_EQ(t.load_force[2], (10 + 30 * 0.1f) * 20);
  EXPECT_FLOAT_EQ(t.load_force[3], (10 + 50 * 0.1f) * 20);
  EXPECT_FLOAT_EQ(t.load_angle[3], 5 * kDeg);
}

TEST(Slicing, SurfaceAboveTheGroundIsRejected) {
  auto e = flat_ground_engine();
  set_surface(e->model, {{10, 50}, {20, 55}, {30, 50}});
  slice(*e);
  EXPECT_EQ(e->model.stop_code, 21);
  EXPECT_EQ(e->status.text(), "     7     FAILURE SURFACE EXTEND GROUND\n");
}

// 100 ground boundaries one unit wide and a 100-point surface give 199 edges; 40 more
// points of a water line leave more slices than the table holds.
TEST(Slicing, MoreEdgesThanTheTableHoldsRejectTheSurface) {
  for (bool with_water : {false, true}) {
    auto e = make_reader_engine("");
    ProblemModel& m = e->model;
    for (int b = 0; b < 100; ++b) add_boundary(m, b, 100, b + 1.0f, 100, 1, true);
    set_soil(m, 1, SoilData{});
    for (int k = 1; k <= 100; ++k) {
      m.surface_x[k] = k - 0.5f;
      m.surface_y[k] = (k == 1 || k == 100) ? 100.0f : 50.0f;
    }
    m.surface_point_count = 100;
    if (with_water) {
      add_piezo_surface(m, {}, 10);
      for (int p = 1; p <= 40; ++p) {
        m.piezo_x[1][p] = 0.25f + 2.4f * p;
        m.piezo_y[1][p] = 60;
      }
      m.piezo_point_count[1] = 40;
    }
    slice(*e);
    if (with_water) {
      EXPECT_EQ(m.stop_code, 21);
      EXPECT_EQ(e->status.text(), "     7     FAILURE SURFACE CAN NOT BE SLICED\n");
    } else {
      EXPECT_EQ(m.stop_code, 0);
      EXPECT_EQ(m.slices.slice_count, 198);
    }
  }
}

TEST(Slicing, SoilAndPiezometricNumbersOutsideTheirTablesAreNotRead) {
  auto e = make_reader_engine("");
  ProblemModel& m = e->model;
  add_boundary(m, 0, 50, 100, 50, 25, true);  // soil beyond the table
  add_boundary(m, 0, 45, 100, 45, 1, false);
  set_soil(m, 1, SoilData{20, 20, 0, 0, 0, 0, 7});  // names a surface that does not exist
  add_piezo_surface(m, {{0, 60}, {100, 60}}, 10);
  set_surface(m, {{10, 50}, {20, 40}, {40, 40}, {60, 50}});
  slice(*e);
  const SliceTable& t = m.slices;
  ASSERT_EQ(m.stop_code, 0);
  ASSERT_EQ(t.slice_count, 5);                // edges 10, 15, 20, 40, 50 (crossings), 60
  EXPECT_FLOAT_EQ(t.weight[3], 5 * 20 * 20);  // only the soil-1 layer weighs
  EXPECT_FLOAT_EQ(t.base_water_force[3], 0);  // level 0.0: no water at the base
}

}  // namespace
}  // namespace scarpex
