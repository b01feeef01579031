#include "fos/spencer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fos/spencer_slices.h"
#include "fos/spencer_steps.h"
#include "spencer_test_slope.h"
#include "test_engine.h"

namespace scarpex {
namespace {

using testing::build_slope;
using testing::make_reader_engine;
using testing::run_input;
using testing::set_spencer_controls;

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

int32_t occurrences(const std::string& text, const std::string& part) {
  int32_t count = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

float number_after(const std::string& text, const std::string& label, std::size_t from = 0) {
  std::size_t at = text.find(label, from);
  if (at == std::string::npos) return std::nanf("");
  return std::strtof(text.c_str() + at + label.size(), nullptr);
}

// The hand-made slope, ready for Spencer's method from a factor near its Modified Bishop one.
std::unique_ptr<Engine> slope_engine(float spencer_angle = 20.0f) {
  auto e = make_reader_engine("");
  set_spencer_controls(e->model, spencer_angle);
  build_slope(e->model);
  e->model.list[0].fos = 1.24f;
  return e;
}

TEST(SpencerSteps, SideForceFunctionFallsToZeroOverTheLastFifthOfTheSlices) {
  for (int32_t i = 1; i <= 8; ++i) EXPECT_EQ(side_force_function(i, 10), 1.0f) << i;
  EXPECT_EQ(side_force_function(9, 10), 0.5f);
  EXPECT_EQ(side_force_function(10, 10), 0.0f);
  EXPECT_EQ(side_force_function(1, 1), 0.0f);  // a single slice carries a horizontal force
}

TEST(SpencerSteps, TensionCrackNeedsCohesionAndStopsAtTheSliceHeight) {
  EXPECT_EQ(tension_crack_depth(0.0f, 0.5f, 0.0f, 20.0f, 1.2f, 3.0f), 0.0f);
  EXPECT_EQ(crack_water_force(0.0f), 0.0f);
  // Frictionless: z = 2 c / (gamma F) = 0.5, well inside the slice.
  EXPECT_FLOAT_EQ(tension_crack_depth(5.0f, 0.0f, 0.0f, 20.0f, 1.0f, 3.0f), 0.5f);
  EXPECT_FLOAT_EQ(crack_water_force(0.5f), 7.8f);
  // A deep crack is cut to the height; one without bound (ru = 1) runs through the slice.
  EXPECT_EQ(tension_crack_depth(50.0f, 0.3f, 0.0f, 10.0f, 1.0f, 2.0f), 2.0f);
  EXPECT_EQ(tension_crack_depth(5.0f, 0.3f, 1.0f, 20.0f, 1.0f, 2.0f), 2.0f);
}

TEST(SpencerSteps, SecondTrialFollowsTheSignsOfTheFirstResiduals) {
  EXPECT_EQ(second_trial_factor(2.0f, 1.0f, 3.0f), 2.1f);
  EXPECT_EQ(second_trial_factor(2.0f, 0.0f, 0.0f), 2.1f);
  EXPECT_EQ(second_trial_factor(2.0f, 1.0f, -3.0f), 2.0f * 0.98f);
  EXPECT_EQ(second_trial_factor(2.0f, -1.0f, 3.0f), 2.0f * 1.02f);
  EXPECT_EQ(second_trial_factor(2.0f, -1.0f, -3.0f), 2.0f * 0.95f);
}

TEST(SpencerSteps, SecantRootAndItsDegenerateCases) {
  SecantRoot r = secant_root(1.0f, -1.0f, 2.0f, 1.0f, 0.001f);
  EXPECT_TRUE(r.found);
  EXPECT_FLOAT_EQ(r.value, 1.5f);
  r = secant_root(1.0f, -1.0f, 1.0005f, 5.0f, 0.001f);  // trials closer than the tolerance
  EXPECT_TRUE(r.found);
  EXPECT_FLOAT_EQ(r.value, 1.00025f);
  r = secant_root(1.0f, 1.0f, 2.0f, 2.0f, 0.001f);  // the root is exactly 0: the current trial
  EXPECT_TRUE(r.found);
  EXPECT_EQ(r.value, 2.0f);
  EXPECT_FALSE(secant_root(1.0f, 3.0f, 2.0f, 3.0f, 0.001f).found);  // a level line
}

TEST(SpencerSteps, NextThetaStepsBeyondTheEstimateByAThird) {
  // Beyond the current angle: a third further, at most 1.5 times the current angle.
  EXPECT_FLOAT_EQ(next_theta(0.1f, 0.2f, 0.23f), 0.24f);
  EXPECT_FLOAT_EQ(next_theta(0.1f, 0.2f, 0.5f), 0.3f);
  // Below the previous angle: a third further down, never below 0.
  EXPECT_FLOAT_EQ(next_theta(0.2f, 0.3f, 0.14f), 0.12f);
  EXPECT_EQ(next_theta(0.2f, 0.3f, 0.0f), 0.0f);
  // Between the two: a third of the way back from the nearer end.
  EXPECT_FLOAT_EQ(next_theta(0.1f, 0.4f, 0.37f), 0.36f);
  EXPECT_FLOAT_EQ(next_theta(0.1f, 0.4f, 0.13f), 0.14f);
}

TEST(Spencer, FirstOuterIterationsUseHalfThenOneAndAHalfTimesTheAngle) {
  auto e = slope_engine(20.0f);
  ProblemModel& m = e->model;
  m.solver_int_controls[2] = 2;
  const float start = m.list[0].fos;
  spencer_fos(*e);
  const std::string& trace = e->trace.text();
  EXPECT_TRUE(contains(trace, "       spencer iter =        1   fosm="));
  EXPECT_TRUE(contains(trace, "  theta=      10.0000\n"));
  EXPECT_TRUE(contains(trace, "  theta=      15.0000\n"));
  // Two iterations do not agree here: the outer limit passes.
  EXPECT_EQ(m.stop_code, 13);
  EXPECT_EQ(m.solution_status, kNotConverged);
  EXPECT_EQ(e->status.text(), "     2     NON CONVERGENCE SPENCER\n");
  EXPECT_TRUE(contains(trace,
                       "          Non convergence after     2 Iterations\n\n"
                       " Non Convergence Spencer\n"));
  EXPECT_TRUE(contains(e->console.text(),
                       "\n\n          Factor Of Safety Calculation By Spencer`s Method of Slices\n"
                       "          Has Gone Through     2 Iterations\n\n\n"));
  // The theta table lists both iterations, in the report and on standard output.
  for (const std::string* out : {&e->report.text(), &e->console.text()}) {
    EXPECT_TRUE(contains(*out,
                         "          Spencer`s     FOS        FOS\n"
                         "           Theta      (Moment)   (Force)\n"
                         "           (deg)      (Equil.)   (Equil.)\n\n"
                         "           10.00"));
    EXPECT_TRUE(contains(*out, "\n           15.00"));
  }
  // The factor is the line estimate of the second iteration: finite, moved from the start.
  EXPECT_TRUE(std::isfinite(m.list[0].fos));
  EXPECT_NE(m.list[0].fos, start);
}

TEST(Spencer, ConvergenceAtTheFirstIterationReportsTheSpecifiedSurface) {
  auto e = slope_engine(20.0f);
  ProblemModel& m = e->model;
  m.solver_real_controls[4] = 1.0f;  // any agreement will do
  spencer_fos(*e);
  EXPECT_EQ(e->status.text(), "     1     CONVERGENCE SPENCER 1\n");
  EXPECT_EQ(occurrences(e->trace.text(), "spencer iter ="), 1);
  EXPECT_EQ(m.solution_status, kConverged);
  EXPECT_FLOAT_EQ(m.list[0].theta, 10.0f);
  EXPECT_EQ(m.spencer_theta_plot, m.list[0].theta);
  // Slot 0 holds the mean of the two factors and the moment factor.
  EXPECT_NEAR(m.list[0].fos, number_after(e->trace.text(), "fosfm="), 1.0e-4f);
  EXPECT_NEAR(m.list[0].moment_fos, number_after(e->trace.text(), "fosm="), 1.0e-4f);
  EXPECT_EQ(m.thrust.thrust_y[30], m.slices.y_edge[31]);  // the surface's right end
  EXPECT_EQ(m.thrust.side_force[30], 0.0f);
  const std::string& report = e->report.text();
  EXPECT_TRUE(contains(report,
                       "\n\n\n\n          Factor Of Safety For The Preceding Specified "
                       "Surface ="));
  EXPECT_TRUE(contains(report,
                       "          Spencer`s Theta =  10.00\n\n\n"
                       "          Factor Of Safety Is Calculated By Spencer`s Method "
                       "of Slices\n"));
  // The final pass: the line of thrust in metres, one row per slice, and the LOT record.
  EXPECT_TRUE(contains(report, " No.      (m)        (m)       L/H      (kN)\n\n            1"));
  EXPECT_TRUE(contains(report, "\n           30      50.00     20.00    0.000          0.\n"));
  EXPECT_TRUE(contains(e->plot.text(), "LOT\n 31 0.0\n   0  2.000E+01  1.000E+01"));
  EXPECT_FALSE(contains(report, "Misleading"));
  // Standard output has the summary but not the line of thrust.
  EXPECT_TRUE(contains(e->console.text(), "Spencer`s Theta =  10.00"));
  EXPECT_FALSE(contains(e->console.text(), "Line of Thrust"));
}

TEST(Spencer, ConvergedSurfaceOfASearchWritesNoTableAndNoLineOfThrust) {
  auto e = slope_engine();
  e->model.search_active = 1;
  spencer_fos(*e);
  EXPECT_EQ(e->model.solution_status, kConverged);
  EXPECT_EQ(e->report.text(), "");
  EXPECT_EQ(e->console.text(), "");
  EXPECT_EQ(e->plot.text(), "");
}

TEST(Spencer, LocalNonConvergenceKeepsAFiniteFactorAndTheOldTheta) {
  auto e = slope_engine();
  ProblemModel& m = e->model;
  m.solver_int_controls[3] = 2;  // the secant iteration needs more than two trials
  m.list[0].theta = 33.0f;
  m.list[0].moment_fos = 4.0f;
  const float start = m.list[0].fos;
  spencer_fos(*e);
  EXPECT_EQ(m.stop_code, 14);
  EXPECT_EQ(m.solution_status, kNotConverged);
  EXPECT_EQ(m.list[0].fos, start);
  EXPECT_EQ(m.list[0].theta, 33.0f);
  EXPECT_EQ(m.list[0].moment_fos, 4.0f);
  EXPECT_EQ(e->trace.text(),
            "          Non convergence after     2 Local Iterations\n\n"
            " non Convergence Spencer Local\n");
  EXPECT_EQ(e->status.text(), "     2     NON CONVERGENCE SPENCER LOCAL\n");
  EXPECT_EQ(e->report.text(), "");  // not misleading: nothing more
}

TEST(Spencer, IterationLimitsOfZeroEndOrderly) {
  auto outer = slope_engine();
  outer->model.solver_int_controls[2] = 0;
  const float start = outer->model.list[0].fos;
  spencer_fos(*outer);
  EXPECT_EQ(outer->model.stop_code, 13);
  EXPECT_EQ(outer->model.list[0].fos, start);
  EXPECT_TRUE(contains(outer->console.text(), "Has Gone Through     0 Iterations"));

  auto inner = slope_engine();
  inner->model.solver_int_controls[3] = 0;
  spencer_fos(*inner);
  EXPECT_EQ(inner->model.stop_code, 14);
  EXPECT_EQ(inner->model.list[0].fos, start);
}

// Starting from a factor of 0 (what a non-converged Modified Janbu leaves), no sweep can be
// made; the line still names the inner limit, and the factor of 0 is reported as misleading.
TEST(Spencer, LocalNonConvergenceFromAFactorOfZeroNamesTheInnerLimit) {
  auto e = slope_engine();
  ProblemModel& m = e->model;
  m.solver_int_controls[3] = 7;
  m.list[0].fos = 0.0f;
  spencer_fos(*e);
  EXPECT_EQ(m.stop_code, 14);
  EXPECT_EQ(e->trace.text(),
            "          Non convergence after     7 Local Iterations\n\n"
            " non Convergence Spencer Local\n");
  // The listing: two empty lines, two lines of text, two empty lines, the count line.
  EXPECT_EQ(e->report.text().rfind(
                "\n\n          The Factor Of Safety For The Trial Failure Surface Defined\n"
                "          By The Coordinates Listed Below Is Misleading.\n\n\n"
                "          Failure Surface Defined By",
                0),
            0u);
}

TEST(Spencer, ZeroMThetaEndsAsLocalNonConvergenceWithoutNaN) {
  auto e = slope_engine();
  ProblemModel& m = e->model;
  // Start from the factor that makes 1 + m / F exactly 0 at the toe slice.
  SpencerSlices work;
  float limit = 0.0f;
  prepare_slices(m, m.spencer_value * 0.5f * m.deg_to_rad, 1.0f, work, limit);
  ASSERT_LT(work.slice[1].coupling, 0.0f);
  m.list[0].fos = -work.slice[1].coupling;
  spencer_fos(*e);
  EXPECT_EQ(m.stop_code, 14);
  EXPECT_EQ(m.list[0].fos, -work.slice[1].coupling);
  // That factor is at the misleading limit: the listing follows, with finite numbers.
  const std::string& report = e->report.text();
  EXPECT_TRUE(contains(report, "By The Coordinates Listed Below Is Misleading."));
  EXPECT_TRUE(contains(report, "Spencer`s Theta =  10.00"));
  EXPECT_FALSE(contains(report, "*******"));
  EXPECT_FALSE(contains(report + e->console.text(), "nan"));
}

// A vertical layer at x, fully in the slope, with an axial force of 100 and factor 1.
void add_vertical_layer(ProblemModel& m, float x) {
  m.reinf_given = 1;
  m.reinf_layer_count = 1;
  m.reinf_point_count[1] = 2;
  m.reinf_x[1][1] = x;
  m.reinf_y[1][1] = 1.0f;
  m.reinf_x[1][2] = x;
  m.reinf_y[1][2] = 30.0f;
  for (int32_t p = 1; p <= 2; ++p) {
    m.reinf_axial_force[1][p] = 100.0f;
    m.reinf_shear_force[1][p] = 0.0f;
    m.reinf_incl_factor[1][p] = 1.0f;
  }
}

TEST(Spencer, ReinforcementCrossingTheBaseCountsInExactlyOneSlice) {
  // Across a slice's middle, at a slice edge (owned by the slice to its right), at a centre,
  // near both ends; last, a layer that stays above the ground (owner 0: no slice).
  for (auto [x, owner] : {std::pair{25.3f, 6}, std::pair{25.0f, 6}, std::pair{25.5f, 6},
                          std::pair{20.2f, 1}, std::pair{49.9f, 30}, std::pair{30.0f, 0}}) {
    auto plain = slope_engine();
    auto reinforced = slope_engine();
    add_vertical_layer(reinforced->model, x);
    if (owner == 0) reinforced->model.reinf_y[1][1] = 21.0f;
    SpencerSlices without, with;
    float limit = 0.0f;
    prepare_slices(plain->model, 0.2f, 1.2f, without, limit);
    prepare_slices(reinforced->model, 0.2f, 1.2f, with, limit);
    int32_t changed = 0;
    for (int32_t i = 1; i <= 30; ++i) {
      float dt = with.slice[i].tangential - without.slice[i].tangential;
      if (std::fabs(dt) < 1.0e-3f) continue;
      ++changed;
      EXPECT_EQ(i, owner) << x;
      // With factor 1 the axial force holds the mass back: T gains Fa cos(alpha).
      EXPECT_NEAR(dt, 100.0f * std::cos(plain->model.slices.alpha[i]), 1.0e-3f) << x;
    }
    EXPECT_EQ(changed, owner == 0 ? 0 : 1) << x;
  }
}

// As with the Modified Bishop method, a layer holding the mass back raises the factor.
TEST(Spencer, ReinforcementRaisesTheFactor) {
  auto plain = slope_engine();
  auto reinforced = slope_engine();
  add_vertical_layer(reinforced->model, 30.0f);
  spencer_fos(*plain);
  spencer_fos(*reinforced);
  ASSERT_EQ(reinforced->model.solution_status, kConverged);
  EXPECT_GT(reinforced->model.list[0].fos, plain->model.list[0].fos + 0.05f);
}

// A homogeneous slope 10 m high at 2H:1V (c' = 3 kPa, phi' = 19.6 degrees, 20 kN/m3, no
// water) and one circle from the toe to the crest, given as `points` points.
std::string reference_circle_input(int32_t points) {
  std::string text =
      "HEADER\n50 50 50 0 0 1\n0.0001 0.001 0.001 0.001\nFRAME\n0 0 0\n0. 0. 0. 0. 0. 0.\n"
      "PROFIL\nHOMOGENEOUS SLOPE 10 M HIGH AT 2H:1V\n3 3 2\n"
      "0. 10. 20. 10. 1\n20. 10. 40. 20. 1\n40. 20. 70. 20. 1\n"
      "SOIL\n0 1\n20. 20. 3. 19.6 0. 0. 0 0\nSPENCR\n20.\nSURBIS\n" +
      std::to_string(points) + "\n";
  // Centre (25, 45) through the toe (20, 10) and the crest point (50, 20).
  const double radius = std::hypot(5.0, 35.0);
  const double first = std::atan2(-35.0, -5.0), last = std::atan2(-25.0, 25.0);
  for (int32_t k = 0; k < points; ++k) {
    double a = first + (last - first) * k / (points - 1);
    char pair[40];
    std::snprintf(pair, sizeof pair, "%.3f %.3f", 25.0 + radius * std::cos(a),
                  45.0 + radius * std::sin(a));
    if (k == 0) std::snprintf(pair, sizeof pair, "20.000 10.000");
    if (k == points - 1) std::snprintf(pair, sizeof pair, "50.000 20.000");
    text += pair;
    text += (k % 4 == 3 || k == points - 1) ? "\n" : " ";
  }
  return text + "EXECUT\n";
}

TEST(SpencerRun, AgreesWithModifiedBishopOnAReferenceCircle) {
  for (int32_t points : {61, 99}) {
    testing::RunOutputs out = run_input(reference_circle_input(points));
    // The Modified Bishop factor is the last one traced before Spencer's iterations.
    std::size_t spencer_start = out.trace.find("spencer iter =");
    ASSERT_NE(spencer_start, std::string::npos) << points;
    float bishop = number_after(out.trace, "fos=", out.trace.rfind("fos=", spencer_start));
    float spencer = number_after(out.report, "Preceding Specified Surface =");
    float theta = number_after(out.report, "Spencer`s Theta =");
    EXPECT_NEAR(spencer, bishop, 0.02f * bishop) << points;
    EXPECT_GT(theta, 5.0f) << points;
    EXPECT_LT(theta, 30.0f) << points;
    EXPECT_NE(out.status.find("    1     CONVERGENCE SPENCER"), std::string::npos) << points;
    // The line of thrust ends at the crest point without a side force.
    EXPECT_NE(out.report.find("      50.00     20.00    0.000          0.\n"), std::string::npos);
    // The line of thrust of the final pass reaches the plot file before the drawing, right
    // after the two header lines.
    std::size_t after_header = out.plot.find('\n', out.plot.find('\n') + 1) + 1;
    EXPECT_EQ(out.plot.find("LOT\n"), after_header) << points;
  }
}

}  // namespace
}  // namespace scarpex
