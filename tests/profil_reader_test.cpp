#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "input/command_readers.h"
#include "model/profile_order.h"
#include "test_engine.h"

namespace scarpex {
namespace {

using testing::count_of;
using testing::make_reader_engine;

// Runs PROFIL on the given counts and boundary lines, after a title line.
std::unique_ptr<Engine> profile(const std::string& counts_and_boundaries) {
  auto e = make_reader_engine("TITLE\n" + counts_and_boundaries);
  read_profile(*e);
  return e;
}

TEST(ProfilReader, ClearsProfileDataButKeepsSoilsReinforcementAndCavitation) {
  auto e = make_reader_engine("T\n1 1 1\n0. 1. 5. 1. 1\n");
  ProblemModel& m = e->model;
  m.earthquake_kh = 0.2f;
  m.piezo_count = m.load_count = m.tie_count = m.limit_count = m.aniso_count = 3;
  m.water_active = m.loads_active = m.ties_active = m.limits_active = m.aniso_active = 1;
  m.specified_surface_given = m.plot_header_written = 1;
  m.soil_count = 4;
  m.reinf_layer_count = 2;
  m.cavitation_pressure = 7.0f;
  read_profile(*e);
  EXPECT_EQ(m.earthquake_kh, 0.0f);
  EXPECT_EQ(m.piezo_count + m.load_count + m.tie_count + m.limit_count + m.aniso_count, 0);
  EXPECT_EQ(m.water_active + m.loads_active + m.ties_active + m.limits_active + m.aniso_active, 0);
  EXPECT_EQ(m.specified_surface_given + m.plot_header_written, 0);
  EXPECT_EQ(m.soil_count, 4);
  EXPECT_EQ(m.reinf_layer_count, 2);
  EXPECT_EQ(m.cavitation_pressure, 7.0f);
}

TEST(ProfilReader, TitleIsAWholeLineCutAt80Columns) {
  std::string title = "  LEADING BLANKS, DIGITS 1 2 3 AND A VERY LONG TAIL" + std::string(40, 'X');
  auto e = make_reader_engine(title + "\n1 1 3\n0. 1. 5. 1. 1\n");
  read_profile(*e);
  EXPECT_EQ(e->model.problem_title.view(), title.substr(0, 80));
  EXPECT_EQ(e->model.length_label, "  L ");
  EXPECT_NE(e->report.text().find("PROBLEM DESCRIPTION     LEADING"), std::string::npos);
}

TEST(ProfilReader, MissingTitleLineEndsTheRunWithFR01) {
  auto e = make_reader_engine("");
  read_profile(*e);
  EXPECT_EQ(e->model.stop_code, 2);
  EXPECT_EQ(count_of(e->report.text(), "ERROR - FR01"), 1);
  EXPECT_EQ(count_of(e->trace.text(), "ERROR - FR01"), 1);
}

TEST(ProfilReader, CoordinateChecksUseTheTolerance) {
  auto e = profile("2 1 1\n-0.0005 5. 10. 5. 1\n4. 3. 4. 1. 1\n");  // a vertical boundary
  EXPECT_EQ(e->model.input_error_flag, 0);
  e = profile("2 1 1\n-0.001 1. 5. -0.002 1\n5.002 1. 5. 1. 1\n");
  EXPECT_EQ(count_of(e->report.text(), "PF03  ****     Boundary  1"), 2);
  EXPECT_EQ(count_of(e->report.text(), "PF04  ****     Boundary  2"), 1);
}

TEST(ProfilReader, GroundContinuityUsesTheTolerance) {
  auto e = profile("2 2 1\n0. 5. 10. 5. 1\n10.0005 5.0005 20. 8. 1\n");
  EXPECT_EQ(e->model.input_error_flag, 0);
  e = profile("2 2 1\n0. 5. 10. 5. 1\n10. 5.002 20. 8. 1\n");
  EXPECT_EQ(count_of(e->report.text(), "PF05  ****     Boundaries  1 and  2"), 1);
}

TEST(ProfilReader, TopBoundariesBeforeTheLastAreNotTestedAgainstLowerOnes) {
  // Boundary 3 lies above boundary 1 but below boundary 2 (the last top boundary).
  auto e = profile("3 2 1\n0. 1. 10. 1. 1\n10. 1. 20. 30. 1\n0. 5. 10. 5. 1\n");
  EXPECT_EQ(e->model.input_error_flag, 0);
  // Boundary 4 rises above boundary 2 at its right end.
  e = profile("4 2 1\n0. 1. 10. 1. 1\n10. 1. 20. 30. 1\n0. 5. 10. 5. 1\n15. 4. 20. 31. 1\n");
  EXPECT_EQ(count_of(e->report.text(), "PF06  ****     Boundaries  2 and  4"), 1);
  EXPECT_EQ(count_of(e->report.text(), "PF06"), 1);
}

TEST(ProfilReader, TopCountOfZeroOrAboveTheTotalIsRejectedAndStoredWithinRange) {
  auto e = profile("2 0 1\n0. 5. 10. 5. 1\n0. 9. 10. 9. 1\n");
  EXPECT_EQ(count_of(e->report.text(), "PF01"), 1);
  EXPECT_EQ(count_of(e->report.text(), "PF06"), 0);  // no layering without a ground surface
  EXPECT_EQ(e->model.top_boundary_count, 0);
  e = profile("2 7 1\n0. 5. 10. 5. 1\n10. 5. 20. 5. 1\n");
  EXPECT_EQ(count_of(e->report.text(), "PF01"), 1);
  EXPECT_EQ(count_of(e->report.text(), "PF05"), 0);
  EXPECT_EQ(e->model.top_boundary_count, 2);
  EXPECT_EQ(e->model.stop_code, 0);
}

TEST(ProfilReader, TooManyBoundariesAbortsBeforeReadingAnyAndStoresNone) {
  auto e = profile("101 1 1\n0. 5. 10. 5. 1\n");
  EXPECT_EQ(e->model.stop_code, 2);
  EXPECT_EQ(e->model.boundary_count, 0);
  EXPECT_EQ(e->model.boundary_x_right[1], 0.0f);
}

TEST(ProfilReader, SoilTypeOutsideTheSoilTableIsPF07) {
  auto e = profile("3 1 1\n0. 9. 10. 9. 0\n0. 5. 10. 5. 20\n0. 1. 10. 1. 21\n");
  EXPECT_EQ(count_of(e->report.text(), "PF07  ****     Boundary  1"), 1);
  EXPECT_EQ(count_of(e->report.text(), "PF07  ****     Boundary  3"), 1);
  EXPECT_EQ(count_of(e->report.text(), "PF07"), 2);
}

// The pair rule on its own: boundary 2 is the later one.
struct PairCase {
  const char* name;
  float i[4];
  float j[4];
  bool in_order;
};

// Names the case in test listings (the default would print the raw bytes, padding included).
void PrintTo(const PairCase& c, std::ostream* os) {
  *os << c.name;
}

class ProfilPairOrder : public ::testing::TestWithParam<PairCase> {};

TEST_P(ProfilPairOrder, Decides) {
  const PairCase& c = GetParam();
  ProblemModel m;
  m.boundary_count = 2;
  m.boundary_x_left[1] = c.i[0], m.boundary_y_left[1] = c.i[1];
  m.boundary_x_right[1] = c.i[2], m.boundary_y_right[1] = c.i[3];
  m.boundary_x_left[2] = c.j[0], m.boundary_y_left[2] = c.j[1];
  m.boundary_x_right[2] = c.j[2], m.boundary_y_right[2] = c.j[3];
  EXPECT_EQ(boundary_pair_in_order(m, 1, 2), c.in_order) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfilPairOrder,
    ::testing::Values(
        PairCase{"below", {0, 10, 10, 12}, {0, 5, 10, 6}, true},
        PairCase{"crossing", {0, 10, 10, 10}, {0, 5, 10, 15}, false},
        PairCase{"parallel above", {0, 10, 10, 12}, {0, 10.002f, 10, 12.002f}, false},
        PairCase{"touching at the end", {0, 10, 10, 10}, {0, 0, 10, 10}, true},
        PairCase{"rising over it", {0, 10, 10, 10}, {5, 9, 15, 12}, false},
        PairCase{"crossing beyond the common range", {0, 10, 10, 10}, {5, 9, 15, 10.5f}, true},
        PairCase{"vertical i, j below", {5, 10, 5, 2}, {0, 1, 10, 1}, true},
        PairCase{"vertical i, j above", {5, 10, 5, 2}, {0, 1, 10, 21}, false},
        PairCase{"vertical j reaching up", {0, 10, 10, 10}, {5, 9, 5, 10.002f}, false},
        PairCase{"both nearly vertical, j higher",
                 {5, 10, 5.0005f, 2},
                 {5.0002f, 1, 5.0006f, 2.002f},
                 false}),
    [](const ::testing::TestParamInfo<PairCase>& info) { return std::to_string(info.index); });

}  // namespace
}  // namespace scarpex
