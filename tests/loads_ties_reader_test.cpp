// LOADS and TIES: both place their data on the ground profile, which the tests set directly.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "input/command_readers.h"
#include "test_engine.h"

namespace scarpex {
namespace {

using testing::error_lines;

// An engine whose profile holds the given boundaries, the first `top` forming the ground.
std::unique_ptr<Engine> engine_on(const std::vector<std::vector<float>>& boundaries, int32_t top,
                                  const std::string& lines) {
  auto e = testing::make_reader_engine(lines);
  ProblemModel& m = e->model;
  for (int32_t i = 1; i <= static_cast<int32_t>(boundaries.size()); ++i) {
    const auto& b = boundaries[static_cast<std::size_t>(i - 1)];
    m.boundary_x_left[i] = b[0];
    m.boundary_y_left[i] = b[1];
    m.boundary_x_right[i] = b[2];
    m.boundary_y_right[i] = b[3];
  }
  m.boundary_count = static_cast<int32_t>(boundaries.size());
  m.top_boundary_count = top;
  return e;
}

// Ground flat at 10 from 0 to 20, rising to 20 at 40, flat to 60; one lower boundary.
std::unique_ptr<Engine> loads_engine(const std::string& lines) {
  return engine_on({{0, 10, 20, 10}, {20, 10, 40, 20}, {40, 20, 60, 20}, {0, 5, 60, 5}}, 3, lines);
}

TEST(LoadsReader, EndsTakeTheirElevationFromTheirOwnTopBoundary) {
  auto e = loads_engine("2\n5. 15. 100. 200. 10.\n25. 45. 50. 50. 0.\n");
  read_loads(*e);
  const ProblemModel& m = e->model;
  EXPECT_EQ(m.input_error_flag, 0);
  EXPECT_EQ(m.loads_active, 1);
  EXPECT_FLOAT_EQ(m.load_y_left[1], 10.0f);
  EXPECT_FLOAT_EQ(m.load_y_left[2], 12.5f);
  EXPECT_FLOAT_EQ(m.load_y_right[2], 20.0f);
  EXPECT_FLOAT_EQ(m.load_deflection[1], 10.0f * 0.017453292f);  // echoed as 10.0
  EXPECT_NE(e->report.text().find("         10.0\n"), std::string::npos);
}

TEST(LoadsReader, NonFatalErrorsStandBeforeTheRows) {
  // 1: X-Right equal to X-Left; 2: clean; 3: overlaps load 2; 4: beyond the ground surface;
  // 5: a negative end, left of the ground as well.
  auto e = loads_engine(
      "5\n5. 5. 1. 1. 0.\n10. 25. 1. 1. 0.\n19.5 30. 1. 1. 0.\n55. 70. 1. 1. 0.\n"
      "-0.5 80. 1. 1. 0.\n");
  read_loads(*e);
  EXPECT_EQ(error_lines(e->report.text()),
            (std::vector<std::string>{"LD04  ****     Load  1", "LD05  ****     Load  3",
                                      "LD03  ****     Load  5", "LD05  ****     Load  5"}));
  // Loads 4 and 5 reach beyond the ground: a warning each, in order with the errors.
  EXPECT_EQ(testing::count_of(e->report.text(), "****  WARNING - LD06  ****"), 2);
  EXPECT_LT(e->report.text().find("WARNING - LD06  ****     Load  4"),
            e->report.text().find("ERROR - LD03  ****     Load  5"));
  EXPECT_EQ(e->model.input_error_flag, 1);
  EXPECT_EQ(e->model.stop_code, 0);
  const std::string& r = e->report.text();
  EXPECT_LT(r.find("Load  5"), r.find("            1           5.00"));
  // The overlapping load still finds its ground, left of where the search had come to.
  EXPECT_FLOAT_EQ(e->model.load_y_left[3], 10.0f);
}

TEST(LoadsReader, LoadEndBeyondTheGroundIsAWarningAndStandsOnTheExtendedBoundary) {
  // Load 1 ends at 70, beyond the last top boundary (flat at 20 up to 60); load 2 lies wholly
  // beyond it.
  auto e = loads_engine("2\n50. 70. 1. 1. 0.\n75. 80. 1. 1. 0.\n");
  read_loads(*e);
  const ProblemModel& m = e->model;
  EXPECT_EQ(m.input_error_flag, 0);  // the analysis is not refused
  EXPECT_EQ(m.stop_code, 0);
  EXPECT_EQ(m.loads_active, 1);
  EXPECT_EQ(error_lines(e->report.text()), std::vector<std::string>{});
  EXPECT_NE(e->report.text().find("\n          ****  WARNING - LD06  ****     Load  1\n"),
            std::string::npos);
  EXPECT_EQ(testing::count_of(e->report.text(), "WARNING - LD06"), 2);
  EXPECT_FLOAT_EQ(m.load_y_left[1], 20.0f);
  EXPECT_FLOAT_EQ(m.load_y_right[1], 20.0f);  // the last top boundary's line, extended
  EXPECT_FLOAT_EQ(m.load_y_left[2], 20.0f);
}

TEST(LoadsReader, FiftyLoadsAreAccepted) {
  std::string fifty = "50\n";
  for (int i = 0; i < 50; ++i)
    fifty += std::to_string(i) + ". " + std::to_string(i + 1) + ". 1. 1. 0.\n";
  auto e = loads_engine(fifty);
  read_loads(*e);
  EXPECT_EQ(e->model.load_count, 50);
  EXPECT_EQ(e->model.input_error_flag, 0);
  EXPECT_FLOAT_EQ(e->model.load_y_right[50], 20.0f);
}

// Boundary 2 rises from (10, 5) to (20, 15); 4 falls; 5 is vertical; 6 lies flat at 2.
std::unique_ptr<Engine> ties_engine(const std::string& lines) {
  return engine_on({{0, 5, 10, 5},
                    {10, 5, 20, 15},
                    {20, 15, 40, 15},
                    {20, 15, 30, 5},
                    {30, 0, 30, 10},
                    {0, 2, 40, 2}},
                   3, lines);
}

TEST(TiesReader, HeadsArePlacedOnTheirBoundary) {
  auto e = ties_engine(
      "10\n"
      "2 0. 10. 1. 1. 0. 0.\n"      // 1: x found at elevation 10: 15
      "2 12. 0. 1. 1. 0. 0.\n"      // 2: y found at 12: 7
      "2 12. 7.0005 1. 1. 0. 0.\n"  // 3: within 0.001 of the boundary
      "2 12. 7.01 1. 1. 0. 0.\n"    // 4: off the boundary
      "2 25. 20. 1. 1. 0. 0.\n"     // 5: outside its x-range
      "4 0. 10. 1. 1. 0. 0.\n"      // 6: x at an elevation of a falling boundary
      "5 30. 5. 1. 1. 0. 0.\n"      // 7: both given on a vertical boundary
      "5 0. 5. 1. 1. 0. 0.\n"       // 8: x of a vertical boundary
      "0 5. 5. 1. 1. 0. 0.\n"       // 9: no boundary 0
      "7 5. 5. 1. 1. 0. 0.\n");     // 10: beyond the profile
  // Rows 9 and 10 name elements of the table outside the profile; they hold a boundary that
  // would carry their heads.
  for (std::size_t i : {0u, 7u}) {
    e->model.boundary_x_right[i] = 10.0f;
    e->model.boundary_y_left[i] = e->model.boundary_y_right[i] = 5.0f;
  }
  read_ties(*e);
  EXPECT_EQ(error_lines(e->report.text()),
            (std::vector<std::string>{"TI05  ****     Tie   4", "TI05  ****     Tie   5",
                                      "TI05  ****     Tie   6", "TI05  ****     Tie   7",
                                      "TI05  ****     Tie   9", "TI05  ****     Tie  10"}));
  const ProblemModel& m = e->model;
  EXPECT_FLOAT_EQ(m.tie_x[1], 15.0f);
  EXPECT_FLOAT_EQ(m.tie_y[2], 7.0f);
  EXPECT_FLOAT_EQ(m.tie_x[8], 30.0f);
  EXPECT_NE(e->report.text().find("             1      15.00    10.00"), std::string::npos);
}

TEST(TiesReader, RowChecksAndDerivedValues) {
  auto e = ties_engine(
      "7\n"
      "1 5. -0.5 1. 1. 0. 0.\n"         // 1: head below 0, and so off its boundary
      "1 5. 5. 1. 1. 180. 0.\n"         // 2: inclination 180
      "1 5. 5. 1. 0.99 0. 0.\n"         // 3: spacing below 1
      "1 5. 5. 1. 1. 0. -1.\n"          // 4: negative length
      "6 20. 2. 1. 1. 30. 10.\n"        // 5: far end below elevation 0
      "1 5. 5. 100. 0. -1. 0.\n"        // 6: spacing 0 and a negative inclination
      "2 0. 10. 10000. 8. 15. 20.\n");  // 7: clean
  read_ties(*e);
  EXPECT_EQ(error_lines(e->report.text()),
            (std::vector<std::string>{"TI03  ****     Tie   1", "TI05  ****     Tie   1",
                                      "TI04  ****     Tie   2", "TI06  ****     Tie   3",
                                      "TI07  ****     Tie   4", "TI03  ****     Tie   5",
                                      "TI04  ****     Tie   6", "TI06  ****     Tie   6"}));
  const std::string& r = e->report.text();
  EXPECT_LT(r.find("\n             5      20.00     2.00"), r.find("Tie   5"));  // after the echo
  const ProblemModel& m = e->model;
  EXPECT_EQ(m.tie_line_load[6], 0.0f);  // no division by a spacing of 0
  EXPECT_FLOAT_EQ(m.tie_line_load[7], 1250.0f);
  const float radians = 15.0f * 0.017453292f;
  EXPECT_FLOAT_EQ(m.tie_inclination[7], radians);
  EXPECT_FLOAT_EQ(m.tie_end_x[7], 15.0f + 20.0f * std::cos(radians));
  EXPECT_FLOAT_EQ(m.tie_end_y[7], 10.0f - 20.0f * std::sin(radians));
  EXPECT_FLOAT_EQ(m.tie_end_x[2], 5.0f);  // a tieback of length 0 ends at its head
  EXPECT_EQ(m.stop_code, 0);
}

}  // namespace
}  // namespace scarpex
