#include "fos/analyse_surface.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "slicing_problem.h"
#include "test_engine.h"

namespace scarpex {
namespace {

using testing::add_boundary;
using testing::make_reader_engine;
using testing::set_method_controls;
using testing::set_soil;
using testing::SoilData;

// A homogeneous slope 10 m high at 2H:1V (toe at (30, 20), crest at (50, 30)) with
// c' = 3 kPa, phi' = 19.6 degrees and a unit weight of 20 kN/m3, no water; one circle through
// the toe, centred at (45, 45), leaving the crest at x = 70.
constexpr double kCentreX = 45.0, kCentreY = 45.0;
const double kRadius = std::sqrt(15.0 * 15.0 + 25.0 * 25.0);
constexpr double kCohesion = 3.0, kPhiDeg = 19.6, kGamma = 20.0;

double ground_y(double x) {
  if (x <= 30.0) return 20.0;
  if (x <= 50.0) return 20.0 + (x - 30.0) * 0.5;
  return 30.0;
}

// Simplified Bishop, or simplified Janbu without correction factor, on the exact circle with
// thin slices, in double precision.
double reference_fos(bool bishop) {
  const int n = 4000;
  const double b = 40.0 / n;
  const double tan_phi = std::tan(kPhiDeg * std::numbers::pi / 180.0);
  double f = 1.5;
  for (int iteration = 0; iteration < 200; ++iteration) {
    double resisting = 0.0, driving = 0.0;
    for (int i = 0; i < n; ++i) {
      double x = 30.0 + (i + 0.5) * b;
      double depth = std::sqrt(kRadius * kRadius - (x - kCentreX) * (x - kCentreX));
      double weight = kGamma * (ground_y(x) - (kCentreY - depth)) * b;
      double alpha = std::atan((x - kCentreX) / depth);
      double m_alpha = std::cos(alpha) + std::sin(alpha) * tan_phi / f;
      double shear = kCohesion * b + weight * tan_phi;
      resisting += bishop ? shear / m_alpha : shear / (std::cos(alpha) * m_alpha);
      driving += weight * (bishop ? std::sin(alpha) : std::tan(alpha));
    }
    f = resisting / driving;
  }
  return f;
}

std::unique_ptr<Engine> reference_slope(bool bishop) {
  auto e = make_reader_engine("");
  ProblemModel& m = e->model;
  set_method_controls(m);
  add_boundary(m, 0, 20, 30, 20, 1, true);
  add_boundary(m, 30, 20, 50, 30, 1, true);
  add_boundary(m, 50, 30, 100, 30, 1, true);
  set_soil(m, 1, SoilData{20, 20, 3, 19.6f});
  const int points = 80;
  double first = std::atan2(-15.0, 25.0), last = std::atan2(25.0, 15.0);
  for (int k = 1; k <= points; ++k) {
    double angle = first + (last - first) * (k - 1) / (points - 1);
    m.surface_x[k] = static_cast<float>(kCentreX + kRadius * std::sin(angle));
    m.surface_y[k] = static_cast<float>(kCentreY - kRadius * std::cos(angle));
  }
  m.surface_x[1] = 30, m.surface_y[1] = 20;
  m.surface_x[points] = 70, m.surface_y[points] = 30;
  m.surface_point_count = points;
  m.bishop_method = bishop ? 1 : 0;
  m.circle_radius = static_cast<float>(kRadius);
  return e;
}

TEST(AnalysisReference, ModifiedBishopAgreesWithSimplifiedBishop) {
  auto e = reference_slope(true);
  analyse_surface(*e);
  ASSERT_EQ(e->model.stop_code, 0);
  EXPECT_EQ(e->model.solution_status, kConverged);
  EXPECT_EQ(e->model.slices.slice_count, 80);  // 79 segments and the crest break at x = 50
  double expected = reference_fos(true);
  EXPECT_NEAR(e->model.list[0].fos, expected, 0.005 * expected);
}

TEST(AnalysisReference, ModifiedJanbuAgreesWithUncorrectedSimplifiedJanbu) {
  auto e = reference_slope(false);
  analyse_surface(*e);
  ASSERT_EQ(e->model.stop_code, 0);
  EXPECT_EQ(e->model.solution_status, kConverged);
  double expected = reference_fos(false);
  EXPECT_NEAR(e->model.list[0].fos, expected, 0.005 * expected);
}

TEST(Analysis, SurfaceAboveTheGroundGivesNoFactorOfSafety) {
  auto e = reference_slope(false);
  ProblemModel& m = e->model;
  m.surface_y[40] = 60.0f;  // well above the crest
  m.list[0].fos = 9.0f;
  analyse_surface(*e);
  EXPECT_EQ(m.stop_code, 21);
  EXPECT_EQ(e->status.text(), "     7     FAILURE SURFACE EXTEND GROUND\n");
  EXPECT_EQ(e->trace.text(), "");
  EXPECT_EQ(e->report.text(), "");
  EXPECT_EQ(m.list[0].fos, 9.0f);
}

}  // namespace
}  // namespace scarpex
