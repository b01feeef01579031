#include "fos/applied_forces.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

#include "test_engine.h"

namespace scarpex {
namespace {

using testing::make_reader_engine;

constexpr float kPi = std::numbers::pi_v<float>;

void add_top_boundary(ProblemModel& m, float xl, float yl, float xr, float yr) {
  int32_t b = ++m.boundary_count;
  m.boundary_x_left[b] = xl;
  m.boundary_y_left[b] = yl;
  m.boundary_x_right[b] = xr;
  m.boundary_y_right[b] = yr;
  m.top_boundary_count = b;
}

void add_slice(ProblemModel& m, float x_mid, float y_base, float width, float alpha) {
  int32_t i = ++m.slices.slice_count;
  m.slices.x_mid[i] = x_mid;
  m.slices.y_base[i] = y_base;
  m.slices.width[i] = width;
  m.slices.alpha[i] = alpha;
}

// A level bench at y = 10 ending at x = 4, a face falling to y = 4 at x = 6, level beyond.
// The tie's head lies on the bench at (2, 10) and points at the base point (3, 5) of slice 1;
// slice 2, at (12, 2), lies behind the face as seen from the head.
std::unique_ptr<Engine> tie_engine(float length) {
  auto e = make_reader_engine("");
  ProblemModel& m = e->model;
  add_top_boundary(m, 0.0f, 10.0f, 4.0f, 10.0f);
  add_top_boundary(m, 4.0f, 10.0f, 6.0f, 4.0f);
  add_top_boundary(m, 6.0f, 4.0f, 30.0f, 4.0f);
  m.surface_point_count = 3;
  m.surface_x[1] = 2.5f, m.surface_y[1] = 8.0f;
  m.surface_x[2] = 3.5f, m.surface_y[2] = 2.0f;
  m.surface_x[3] = 20.0f, m.surface_y[3] = 2.0f;
  add_slice(m, 3.0f, 5.0f, 1.0f, 0.0f);
  add_slice(m, 12.0f, 2.0f, 2.0f, 0.0f);
  m.ties_active = 1;
  m.tie_count = 1;
  m.tie_boundary[1] = 1;
  m.tie_x[1] = 2.0f;
  m.tie_y[1] = 10.0f;
  m.tie_inclination[1] = std::atan(5.0f);  // straight at (3, 5)
  m.tie_line_load[1] = 100.0f;
  m.tie_length[1] = length;
  m.tie_end_x[1] = 2.0f + length * std::cos(m.tie_inclination[1]);
  m.tie_end_y[1] = 10.0f - length * std::sin(m.tie_inclination[1]);
  // Forces of an earlier surface must not survive.
  m.slices.tie_normal_force[2] = 7.0f;
  m.slices.tie_shear_force[2] = 7.0f;
  return e;
}

TEST(AppliedForces, OneReachableSliceOnTheTieLineTakesTheWholeLineLoad) {
  for (float length : {0.0f, 8.0f}) {  // length 0 always acts; 8 reaches the surface
    auto e = tie_engine(length);
    apply_tie_forces(*e);
    const SliceTable& s = e->model.slices;
    float k = std::atan(5.0f);
    EXPECT_NEAR(s.tie_normal_force[1], 100.0f * std::cos(kPi / 2 - k), 1.0e-3f) << length;
    EXPECT_NEAR(s.tie_shear_force[1], 100.0f * std::sin(kPi / 2 - k), 1.0e-3f) << length;
    EXPECT_EQ(s.tie_normal_force[2], 0.0f);  // hidden behind the face
    EXPECT_EQ(s.tie_shear_force[2], 0.0f);
  }
}

TEST(AppliedForces, SliceStraightBelowTheHeadTakesAVerticalTieWhole) {
  auto e = tie_engine(0.0f);
  ProblemModel& m = e->model;
  m.slices.x_mid[1] = 2.0f;  // straight below the head at (2, 10)
  m.tie_inclination[1] = kPi / 2;
  apply_tie_forces(*e);
  EXPECT_NEAR(m.slices.tie_normal_force[1], 100.0f, 1.0e-3f);
  EXPECT_NEAR(m.slices.tie_shear_force[1], 0.0f, 1.0e-3f);
}

TEST(AppliedForces, TieEndingBeforeTheSurfaceOrWithoutLoadAppliesNothing) {
  auto short_tie = tie_engine(1.0f);
  apply_tie_forces(*short_tie);
  auto unloaded = tie_engine(0.0f);
  unloaded->model.tie_line_load[1] = 0.0f;
  apply_tie_forces(*unloaded);
  auto suppressed = tie_engine(0.0f);
  suppressed->model.ties_active = 0;
  apply_tie_forces(*suppressed);
  for (Engine* e : {short_tie.get(), unloaded.get(), suppressed.get()}) {
    for (int32_t i = 1; i <= 2; ++i) {
      EXPECT_EQ(e->model.slices.tie_normal_force[i], 0.0f);
      EXPECT_EQ(e->model.slices.tie_shear_force[i], 0.0f);
    }
  }
}

TEST(AppliedForces, SpreadForcesAddUpToTheLineLoadAlongTheTie) {
  auto e = make_reader_engine("");
  ProblemModel& m = e->model;
  add_top_boundary(m, 0.0f, 20.0f, 100.0f, 20.0f);
  for (int32_t i = 0; i < 6; ++i) add_slice(m, 12.0f + 4.0f * i, 12.0f - i, 4.0f, 0.1f * i);
  add_slice(m, 2.0f, 12.0f, 4.0f, 0.0f);  // behind the head, more than 90 degrees off the tie
  m.ties_active = 1;
  m.tie_count = 2;
  for (int32_t row = 1; row <= 2; ++row) {
    m.tie_boundary[row] = 1;
    m.tie_x[row] = 10.0f;
    m.tie_y[row] = 20.0f;
    m.tie_inclination[row] = 20.0f * 0.017453292f;
    m.tie_line_load[row] = 150.0f;
  }
  apply_tie_forces(*e);
  // Two equal rows: each slice's force points along its ray from the head; the components
  // along the tie add up to twice the line load.
  float along_tie = 0.0f;
  for (int32_t i = 1; i <= 6; ++i) {
    const SliceTable& s = m.slices;
    float j = std::hypot(s.tie_normal_force[i], s.tie_shear_force[i]);
    float ray = kPi / 2 - s.alpha[i] - std::atan2(s.tie_shear_force[i], s.tie_normal_force[i]);
    EXPECT_NEAR(ray, std::atan((20.0f - s.y_base[i]) / (s.x_mid[i] - 10.0f)), 1.0e-4f) << i;
    along_tie += j * std::cos(ray - m.tie_inclination[1]);
  }
  EXPECT_NEAR(along_tie, 300.0f, 1.0e-2f);
  EXPECT_EQ(m.slices.tie_normal_force[7], 0.0f);
  EXPECT_EQ(m.slices.tie_shear_force[7], 0.0f);
}

TEST(AppliedForces, HeadWhereItsBoundaryMeetsTheNextStillSeesTheSlices) {
  auto e = make_reader_engine("");
  ProblemModel& m = e->model;
  add_top_boundary(m, 0.0f, 10.0f, 10.0f, 10.0f);
  add_top_boundary(m, 10.0f, 10.0f, 30.0f, 20.0f);
  add_slice(m, 15.0f, 5.0f, 2.0f, 0.0f);
  m.ties_active = 1;
  m.tie_count = 1;
  m.tie_boundary[1] = 1;
  m.tie_x[1] = 10.0f;  // the end of boundary 1 and the start of boundary 2
  m.tie_y[1] = 10.0f;
  m.tie_inclination[1] = kPi / 4;
  m.tie_line_load[1] = 80.0f;
  apply_tie_forces(*e);
  EXPECT_NEAR(m.slices.tie_normal_force[1], 80.0f * std::cos(kPi / 4), 1.0e-3f);
}

// A circular surface about (10, 20) of radius 10, given by five points, and one layer.
std::unique_ptr<Engine> reinforcement_engine(float x1, float y1, float x2, float y2,
                                             float incl_factor) {
  auto e = make_reader_engine("");
  ProblemModel& m = e->model;
  m.bishop_method = 1;
  m.circle_radius = 10.0f;
  const float angles[] = {-160.0f, -125.0f, -90.0f, -55.0f, -20.0f};
  m.surface_point_count = 5;
  for (int32_t k = 1; k <= 5; ++k) {
    float a = angles[k - 1] * 0.017453292f;
    m.surface_x[k] = 10.0f + 10.0f * std::cos(a);
    m.surface_y[k] = 20.0f + 10.0f * std::sin(a);
  }
  m.reinf_given = 1;
  m.reinf_layer_count = 1;
  m.reinf_point_count[1] = 2;
  m.reinf_x[1][1] = x1;
  m.reinf_y[1][1] = y1;
  m.reinf_x[1][2] = x2;
  m.reinf_y[1][2] = y2;
  m.reinf_axial_force[1][1] = 40.0f;
  m.reinf_axial_force[1][2] = 60.0f;
  m.reinf_shear_force[1][1] = 5.0f;
  m.reinf_shear_force[1][2] = 5.0f;
  m.reinf_incl_factor[1][1] = incl_factor;
  m.reinf_incl_factor[1][2] = incl_factor;
  return e;
}

TEST(AppliedForces, ReinforcementMomentOfACrossingLayer) {
  // Factor 1: the axial force, interpolated to the crossing, times the radius. The layer
  // runs right to left and crosses the right-hand side of the surface once.
  auto e = reinforcement_engine(25.0f, 14.0f, 15.0f, 14.0f, 1.0f);
  compute_reinforcement_moment(*e);
  const ProblemModel& m = e->model;  // the crossing lies on the chord of points 4 and 5
  float x_cross = m.surface_x[4] + (14.0f - m.surface_y[4]) * (m.surface_x[5] - m.surface_x[4]) /
                                       (m.surface_y[5] - m.surface_y[4]);
  float axial = 40.0f + (60.0f - 40.0f) * (x_cross - 25.0f) / (15.0f - 25.0f);
  EXPECT_NEAR(m.reinforcement_moment, axial * 10.0f, 0.05f);

  // Factor 0, a level layer through the bottom of the circle: the axial force is normal to
  // the radius there and gives its full moment, the shear force none.
  auto bottom = reinforcement_engine(5.0f, 10.0f, 15.0f, 10.0f, 0.0f);
  compute_reinforcement_moment(*bottom);
  EXPECT_NEAR(bottom->model.reinforcement_moment, 50.0f * 10.0f, 0.05f);
}

TEST(AppliedForces, ReinforcementMissingTheSurfaceGivesNoMoment) {
  auto e = reinforcement_engine(0.0f, 25.0f, 20.0f, 25.0f, 1.0f);
  e->model.reinforcement_moment = 99.0f;
  compute_reinforcement_moment(*e);
  EXPECT_EQ(e->model.reinforcement_moment, 0.0f);
  EXPECT_EQ(e->model.stop_code, 0);
}

TEST(AppliedForces, ReinforcementWithTheModifiedJanbuMethodStopsTheRun) {
  auto e = reinforcement_engine(25.0f, 14.0f, 15.0f, 14.0f, 1.0f);
  e->model.bishop_method = 0;
  compute_reinforcement_moment(*e);
  EXPECT_EQ(e->model.stop_code, 2);
  const std::string& report = e->report.text();
  EXPECT_EQ(report.rfind("\n          ****  ERROR - RF09  ****\n\n", 0), 0u);
  EXPECT_NE(report.find("EXECUTION OF SCARPEX ABORTED"), std::string::npos);
  EXPECT_EQ(e->plot.text(), "END\n");
}

}  // namespace
}  // namespace scarpex
