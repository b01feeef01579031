// The header of the input data file: list-directed values (repeat counts, nulls, a slash),
// the forms of a real, and a reading that does not depend on the host's locale.
#include "input/header_reader.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>

#include "test_engine.h"

namespace scarpex {
namespace {

using testing::run_input;

// Runs a header (and nothing else) on a fresh engine whose header items hold `before`.
std::unique_ptr<Engine> run_header(const std::string& header, int32_t before = 7) {
  auto e = testing::make_test_engine();
  ProblemModel& m = e->model;
  for (int32_t i = 1; i <= 6; ++i) m.solver_int_controls[i] = before;
  for (int32_t i = 1; i <= 4; ++i) m.solver_real_controls[i] = static_cast<float>(before);
  for (int32_t i = 1; i <= 3; ++i) m.frame_ints[i] = before;
  for (int32_t i = 1; i <= 6; ++i) m.frame_reals[i] = static_cast<float>(before);
  run_input(*e, header);
  return e;
}

bool header_failed(const Engine& e, const std::string& code) {
  return e.report.text().find("****  ERROR - " + code) != std::string::npos;
}

TEST(HeaderReader, RepeatCountsGiveEqualValuesOrNulls) {
  auto e = run_header("HEADER\n3*50 2*0 1\n0.0001 3*0.001\nFRAME\n3*0\n6*0.\n");
  const ProblemModel& m = e->model;
  EXPECT_FALSE(header_failed(*e, "HD02"));
  EXPECT_EQ(m.solver_int_controls[3], 50);
  EXPECT_EQ(m.solver_int_controls[5], 0);
  EXPECT_EQ(m.solver_int_controls[6], 1);
  EXPECT_FLOAT_EQ(m.solver_real_controls[4], 0.001f);
  for (int32_t i = 1; i <= 6; ++i) EXPECT_EQ(m.frame_reals[i], 0.0f) << i;
  EXPECT_EQ(e->plot.text(),
            "    0    0    0\n       0.000       0.000       0.000       0.000       0.000       "
            "0.000\nEND\n");

  // `r*` alone is r nulls; the comma after it is its separator, not one more null.
  auto nulls = run_header("HEADER\n2*,50 0 0 1\n1. 2. 3. 4.\nFRAME\n1 2 3\n6*1.\n");
  EXPECT_EQ(nulls->model.solver_int_controls[1], 7);
  EXPECT_EQ(nulls->model.solver_int_controls[2], 7);
  EXPECT_EQ(nulls->model.solver_int_controls[3], 50);
  EXPECT_EQ(nulls->model.solver_int_controls[6], 1);
}

TEST(HeaderReader, NullValuesKeepTheItemAndShiftNothing) {
  auto e =
      run_header("HEADER\n50,,50,0,0,1\n0.0001, ,0.002,0.003\nFRAME\n,2,3\n1. 2. 3. 4. 5. 6.\n");
  const ProblemModel& m = e->model;
  EXPECT_FALSE(header_failed(*e, "HD02"));
  EXPECT_EQ(m.solver_int_controls[1], 50);
  EXPECT_EQ(m.solver_int_controls[2], 7);  // kept
  EXPECT_EQ(m.solver_int_controls[3], 50);
  EXPECT_EQ(m.solver_int_controls[6], 1);
  EXPECT_FLOAT_EQ(m.solver_real_controls[2], 7.0f);  // blanks between the commas: still null
  EXPECT_FLOAT_EQ(m.solver_real_controls[4], 0.003f);
  EXPECT_EQ(m.frame_ints[1], 7);  // a comma opening the group
  EXPECT_EQ(m.frame_ints[3], 3);
  EXPECT_FLOAT_EQ(m.frame_reals[6], 6.0f);

  // A comma ending a line separates it from the next line's first value: no null.
  auto over_lines = run_header("HEADER\n50,\n51, 52\n0 0 1\n1. 2. 3. 4.\nFRAME\n1 2 3\n6*1.\n");
  EXPECT_EQ(over_lines->model.solver_int_controls[2], 51);
  EXPECT_EQ(over_lines->model.solver_int_controls[6], 1);
}

TEST(HeaderReader, SlashEndsTheGroupAndTheRestKeepTheirValues) {
  auto e = run_header("HEADER\n50 40 / 30\n0.5 /\nFRAME\n/\n1. 2. 3. 4. 5. 6. / more\n");
  const ProblemModel& m = e->model;
  EXPECT_EQ(m.solver_int_controls[2], 40);
  EXPECT_EQ(m.solver_int_controls[3], 7);
  EXPECT_FLOAT_EQ(m.solver_real_controls[1], 0.5f);
  EXPECT_FLOAT_EQ(m.solver_real_controls[2], 7.0f);
  EXPECT_EQ(m.frame_ints[1], 7);
  EXPECT_FLOAT_EQ(m.frame_reals[6], 6.0f);
  EXPECT_EQ(e->report.text().find("ERROR"), std::string::npos);
}

TEST(HeaderReader, RealFormsAndSeparators) {
  auto e =
      run_header("HEADER\n+5\t-6 7 0 0 1\n1.5D2 2.5e1 1.5+2 -.5\nFRAME\n1 2 3\n3 4. 5E0 6 7 8\n");
  const ProblemModel& m = e->model;
  EXPECT_EQ(m.solver_int_controls[1], 5);
  EXPECT_EQ(m.solver_int_controls[2], -6);  // a tab separates header values
  EXPECT_FLOAT_EQ(m.solver_real_controls[1], 150.0f);
  EXPECT_FLOAT_EQ(m.solver_real_controls[2], 25.0f);
  EXPECT_FLOAT_EQ(m.solver_real_controls[3], 150.0f);
  EXPECT_FLOAT_EQ(m.solver_real_controls[4], -0.5f);
  EXPECT_FLOAT_EQ(m.frame_reals[1], 3.0f);
}

TEST(HeaderReader, UnreadableValuesAndRepeatCounts) {
  for (const char* ints : {"0*5 1 1 1 1 1", "2*x 1 1 1 1", "1.5 1 1 1 1 1", "x*2 1 1 1 1",
                           "-2*1 1 1 1 1", "+-5 1 1 1 1 1", "99999999999 1 1 1 1 1"}) {
    auto e = run_header(std::string("HEADER\n") + ints + "\n1. 2. 3. 4.\nFRAME\n1 2 3\n6*1.\n");
    EXPECT_TRUE(header_failed(*e, "HD02")) << ints;
    EXPECT_EQ(e->model.stop_code, 2) << ints;
  }
  for (const char* reals : {"1. 2. 3. 4.5.", "1. 2. 3. 1e", "1. 2. 3. 1.5E+", "1. 2. 3. .",
                            "1. 2. 3. 1.5x", "1. 2. 3. 1e99"}) {
    auto e = run_header(std::string("HEADER\n1 1 1 1 1 1\n") + reals + "\nFRAME\n1 2 3\n6*1.\n");
    EXPECT_TRUE(header_failed(*e, "HD02")) << reals;
  }
}

// A host that has set a comma-decimal locale (as many desktop programs do) must read the same
// file the same way.
TEST(HeaderReader, CommaDecimalLocaleReadsTheSameHeader) {
  const std::string previous = std::setlocale(LC_ALL, nullptr);
  const char* locale = nullptr;
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "de_DE"}) {
    if (std::setlocale(LC_ALL, name) != nullptr) {
      locale = name;
      break;
    }
  }
  if (locale == nullptr) {
    GTEST_SKIP() << "no comma-decimal locale on this machine (generate de_DE.UTF-8 to run it)";
  }
  // The locale really reads a decimal comma: "0.5" stops at the point.
  EXPECT_NE(std::strtof("0.5", nullptr), 0.5f) << locale;
  auto e = run_header(
      "HEADER\n50 50 50 0 0 1\n0.0001 0.001 2.5e-3 1.5D2\nFRAME\n1 0 0\n"
      "0. 12.5 0. 0. 1.25 -3.75\n");
  std::setlocale(LC_ALL, previous.c_str());
  const ProblemModel& m = e->model;
  EXPECT_EQ(e->report.text().find("ERROR"), std::string::npos) << e->report.text();
  EXPECT_FLOAT_EQ(m.solver_real_controls[1], 0.0001f);
  EXPECT_FLOAT_EQ(m.solver_real_controls[3], 0.0025f);
  EXPECT_FLOAT_EQ(m.solver_real_controls[4], 150.0f);
  EXPECT_FLOAT_EQ(m.frame_reals[2], 12.5f);
  EXPECT_FLOAT_EQ(m.frame_reals[6], -3.75f);
  EXPECT_NE(e->plot.text().find("      12.500       0.000       0.000       1.250      -3.750"),
            std::string::npos);
}

}  // namespace
}  // namespace scarpex
