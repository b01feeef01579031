#include "fos/bishop_janbu.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "slicing_problem.h"
#include "test_engine.h"

namespace scarpex {
namespace {

using testing::count_of;
using testing::make_reader_engine;
using testing::set_method_controls;
using testing::set_soil;
using testing::SoilData;

constexpr float kDeg = 0.017453292f;

struct SliceData {
  float width = 1.0f;
  float weight = 0.0f;
  float alpha_deg = 0.0f;
  int32_t soil = 1;
  float base_water = 0.0f;
};

// A slice table written directly; the engine is set for a specified surface.
std::unique_ptr<Engine> engine_with_slices(std::initializer_list<SliceData> slices) {
  auto e = make_reader_engine("");
  ProblemModel& m = e->model;
  set_method_controls(m);
  int32_t i = 0;
  for (const SliceData& s : slices) {
    ++i;
    m.slices.width[i] = s.width;
    m.slices.weight[i] = s.weight;
    m.slices.alpha[i] = s.alpha_deg * kDeg;
    m.slices.base_soil[i] = s.soil;
    m.slices.base_water_force[i] = s.base_water;
    m.slices.y_base[i] = 10.0f;
  }
  m.slices.slice_count = i;
  return e;
}

std::string second_line(const std::string& text) {
  std::size_t from = text.find('\n') + 1;
  return text.substr(from, text.find('\n', from) - from);
}

// A cohesive, frictionless slice on a level base under earthquake loading: F = c b / (kh W).
TEST(BishopJanbu, TraceStartsAt1point5AndSwitchesToExponentBeyond1000) {
  for (float cohesion : {75000.0f, 49975.0f}) {
    auto e = engine_with_slices({{1, 100, 0}});
    set_soil(e->model, 1, SoilData{20, 20, cohesion, 0});
    e->model.earthquake_kh = 0.5f;
    bishop_janbu_fos(*e);
    const std::string& trace = e->trace.text();
    EXPECT_EQ(trace.substr(0, trace.find('\n')), "  iter=     0   fos=    1.5000");
    if (cohesion == 75000.0f) {
      EXPECT_EQ(second_line(trace).substr(0, 30), "  iter=     1   fos=  1.50E+03");
    } else {
      EXPECT_EQ(second_line(trace),
                "  iter=     1   fos=  999.5000   ferr=  9.9800E+02   sumt=   4.9975E+04"
                "   sumb=   5.0000E+01");
    }
    EXPECT_EQ(e->model.solution_status, kConverged);
    EXPECT_EQ(e->status.text(), "     1     CONVERGENCE\n");
  }
}

TEST(BishopJanbu, SpencerFollowingAConvergedResultGetsNoStatusOrReport) {
  auto e = engine_with_slices({{1, 100, 0}});
  set_soil(e->model, 1, SoilData{20, 20, 100, 0});
  e->model.earthquake_kh = 0.5f;
  e->model.spencer_method = 1;
  bishop_janbu_fos(*e);
  EXPECT_FLOAT_EQ(e->model.list[0].fos, 2.0f);
  EXPECT_EQ(e->model.solution_status, 0);
  EXPECT_EQ(e->status.text() + e->report.text(), "");
}

TEST(BishopJanbu, IterationLimitOfZeroIsNotConvergedAtZero) {
  auto e = engine_with_slices({{1, 100, 20}});
  set_soil(e->model, 1, SoilData{20, 20, 10, 30});
  set_method_controls(e->model, 0);
  bishop_janbu_fos(*e);
  ProblemModel& m = e->model;
  EXPECT_EQ(m.solution_status, kNotConverged);
  EXPECT_EQ(m.list[0].fos, 0.0f);
  EXPECT_EQ(e->status.text(), "     2     NON CONVERGENCE\n");
  EXPECT_EQ(e->trace.text(),
            "  iter=     0   fos=    1.5000\n"
            "          Non convergence after     0 Iterations\n\n\n");
  EXPECT_NE(e->report.text().find("\n\n          Factor of Safety for the Preceding Surface is "
                                  "Between  0.000 and  0.000\n"),
            std::string::npos);
  // The closing report of a specified surface follows.
  EXPECT_EQ(
      count_of(e->report.text(), "Factor Of Safety For The Preceding Specified Surface =  0.000"),
      1);
}

// A slice inclined at -30 degrees in a soil of 30 degrees sets the misleading limit to 1/3.
TEST(BishopJanbu, FactorAtOrBelowTheMisleadingLimitIsReported) {
  for (float kh : {0.5f, 0.0f}) {
    auto e = engine_with_slices({{1, 1, -30}, {1, 100, 60}});
    set_soil(e->model, 1, SoilData{20, 20, kh == 0.0f ? 50.0f : 0.0f, 30});
    e->model.earthquake_kh = kh;
    bishop_janbu_fos(*e);
    float fos = e->model.list[0].fos;
    bool flagged = e->report.text().find("***  The Above Factor Of Safety Is Misleading  ***") !=
                   std::string::npos;
    EXPECT_EQ(flagged, fos <= 1.0f / 3.0f) << fos;
    EXPECT_EQ(flagged, kh != 0.0f) << fos;
  }
}

TEST(BishopJanbu, NegativeResistingTermContributesNothing) {
  // Slice 1 has a base water force that makes its resisting term negative.
  auto e = engine_with_slices({{1, 10, 0, 1, 1000}, {1, 100, 0}});
  set_soil(e->model, 1, SoilData{20, 20, 10, 30});
  e->model.earthquake_kh = 0.1f;
  bishop_janbu_fos(*e);
  // Janbu on level bases: A2 = c b + W tan(phi), m = 0, sum D = kh (W1 + W2).
  float expected = (10.0f + 100.0f * std::tan(30.0f * kDeg)) / (0.1f * 110.0f);
  EXPECT_NEAR(e->model.list[0].fos, expected, 1e-4f);
}

TEST(BishopJanbu, ConvergedNegativeFactorGivesStatus3) {
  auto e = engine_with_slices({{1, 100, -10}});
  set_soil(e->model, 1, SoilData{20, 20, 10, 0});
  bishop_janbu_fos(*e);
  EXPECT_LT(e->model.list[0].fos, 0.0f);
  EXPECT_EQ(e->model.solution_status, kNegativeFos);
  EXPECT_EQ(e->status.text(), "     3     NEGATIVE FACTOR OF SAFETY\n");
  EXPECT_NE(e->trace.text().find("          Negative Factor Of Safety \n\n"), std::string::npos);
  EXPECT_NE(e->report.text().find("\n\n          Negative Factor Of Safety \n\n\n"),
            std::string::npos);
}

TEST(BishopJanbu, ZeroDrivingSumEndsInAnOrderlyNegativeResult) {
  auto e = engine_with_slices({{1, 100, 0}, {2, 50, 0}});
  set_soil(e->model, 1, SoilData{20, 20, 10, 30});
  bishop_janbu_fos(*e);
  EXPECT_EQ(e->model.solution_status, kNegativeFos);
  EXPECT_TRUE(std::isfinite(e->model.list[0].fos));
  for (const std::string* text : {&e->trace.text(), &e->report.text()}) {
    EXPECT_EQ(text->find("nan"), std::string::npos);
    EXPECT_EQ(text->find("*****"), std::string::npos);
  }
}

// Bishop on level bases with phi = 0: F = c b / (kh W (1 - Yc/R)) without reinforcement.
TEST(BishopJanbu, ReinforcementReducesTheDrivingSum) {
  auto e = engine_with_slices({{1, 100, 0}});
  ProblemModel& m = e->model;
  set_soil(m, 1, SoilData{20, 20, 100, 0});
  m.earthquake_kh = 0.5f;
  m.bishop_method = 1;
  m.circle_radius = 10.0f;
  m.reinf_given = 1;
  m.reinforcement_moment = 100.0f;  // Mr / R = 10
  bishop_janbu_fos(*e);
  EXPECT_FLOAT_EQ(m.list[0].fos, 100.0f / (50.0f - 10.0f));
  EXPECT_NE(e->trace.text().find("  iter=     1   fos=    2.5000   ferr=   1.0000E+00"
                                 "   sumt=   1.0000E+02   sumb=   4.0000E+01  sumsb=   5.0000E+01"
                                 "  sumrb=   1.0000E+01\n"),
            std::string::npos);
}

TEST(BishopJanbu, ReinforcementOnTheResistingSideScaledByF) {
  auto e = engine_with_slices({{1, 100, 0}});
  ProblemModel& m = e->model;
  set_soil(m, 1, SoilData{20, 20, 100, 0});
  m.earthquake_kh = 0.5f;
  m.bishop_method = 1;
  m.circle_radius = 10.0f;
  m.reinf_given = 1;
  m.reinforcement_moment = 300.0f;
  m.solver_int_controls[4] = 1;
  m.solver_int_controls[5] = 1;
  bishop_janbu_fos(*e);
  // F = (100 + 30 / F) / 50, so 50 F^2 - 100 F - 30 = 0.
  EXPECT_NEAR(m.list[0].fos, (100.0f + std::sqrt(16000.0f)) / 100.0f, 1e-3f);
  EXPECT_NE(
      e->trace.text().find("  sumst=   1.0000E+02  sumrt=   2.0000E+01   sumb=   5.0000E+01\n"),
      std::string::npos);
}

}  // namespace
}  // namespace scarpex
