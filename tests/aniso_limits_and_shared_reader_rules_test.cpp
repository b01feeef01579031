// ANISO and LIMITS, and the rules the readers of counted data share: the suppression rule,
// counts beyond a table, and the echo of a mirrored problem.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "input/command_readers.h"
#include "test_engine.h"

namespace scarpex {
namespace {

using testing::error_lines;
using testing::make_reader_engine;

// Every error line of the report, from its code on.
// An engine with three soil types and a ground surface of one boundary, (0, 5) to (10, 5).
std::unique_ptr<Engine> soil_engine(const std::string& lines) {
  auto e = make_reader_engine(lines);
  ProblemModel& m = e->model;
  m.soil_count = 3;
  m.soil_given = 1;
  m.boundary_count = m.top_boundary_count = 1;
  m.boundary_x_right[1] = 10.0f;
  m.boundary_y_left[1] = m.boundary_y_right[1] = 5.0f;
  return e;
}

// One entry for soil type 1 with the given direction limits.
std::vector<std::string> aniso_errors(const std::vector<std::string>& limits) {
  std::string text = "1\n1 0 " + std::to_string(limits.size()) + "\n";
  for (const std::string& limit : limits) text += limit + " 10. 20.\n";
  auto e = soil_engine(text);
  read_anisotropy(*e);
  return error_lines(e->report.text());
}

TEST(AnisoReader, DirectionLimitsRiseToAtLeast90Degrees) {
  EXPECT_TRUE(aniso_errors({"30.", "30.", "90."}).empty());
  EXPECT_EQ(aniso_errors({"30.", "20.", "10.", "90."}),
            std::vector<std::string>{"AI06  ****     Soil Type  1"});
  EXPECT_EQ(aniso_errors({"30.", "60.", "80."}),
            std::vector<std::string>{"AI07  ****     Soil Type  1"});
}

TEST(AnisoReader, EntriesAreCheckedAndStored) {
  // Four entries for three soil types; entry 2 names type 5, entry 3 type 0; entry 4 has a
  // bottom table of three ranges.
  auto e = soil_engine(
      "4\n1 0 2\n10. 1. 1. 90. 1. 1.\n5 0 2\n10. 1. 1. 90. 1. 1.\n0 0 2\n10. 1. 1. 90. 1. 1.\n"
      "3 1 2\n10. 1. 1. 90. 1. 1.\n3\n0. 5. 10. 45. 6. 11. 180. 8. 13.\n");
  read_anisotropy(*e);
  EXPECT_EQ(error_lines(e->report.text()),
            (std::vector<std::string>{"AI02  ****", "AI04  ****     Soil Type  2",
                                      "AI04  ****     Soil Type  3"}));
  const ProblemModel& m = e->model;
  EXPECT_EQ(m.aniso_active, 1);
  EXPECT_EQ(m.aniso_bottom_range_count[4], 3);
  EXPECT_FLOAT_EQ(m.aniso_bottom_direction[4][3], 180.0f * 0.017453292f);
  EXPECT_FLOAT_EQ(m.aniso_bottom_friction[4][3], 13.0f);  // friction stays in degrees
  EXPECT_NE(e->report.text().find("at Bottom=  3\n"), std::string::npos);
}

TEST(AnisoReader, RangeCountOutsideTwoToTenEndsTheRun) {
  for (const char* input : {"1\n1 0 1\n", "1\n1 0 11\n", "1\n1 1 2\n10. 1. 1. 90. 1. 1.\n11\n"}) {
    auto e = soil_engine(input);
    read_anisotropy(*e);
    EXPECT_EQ(error_lines(e->report.text()),
              std::vector<std::string>{"AI05  ****     Soil Type  1"});
    EXPECT_EQ(e->model.stop_code, 2);
    EXPECT_LE(e->model.aniso_bottom_range_count[1], 10);
    EXPECT_LE(e->model.aniso_range_count[1], 10);
  }
}

TEST(LimitsReader, BoundaryChecks) {
  // 1: both ends negative; 2: a vertical boundary; 3: right end left of the left end.
  auto e = make_reader_engine("3 4\n-1. -1. -2. -1.\n10. 5. 10. 6.\n10.01 5. 10. 6.\n");
  read_limits(*e);
  EXPECT_EQ(error_lines(e->report.text()),
            (std::vector<std::string>{"LM02  ****", "LM04  ****     Boundary  1",
                                      "LM04  ****     Boundary  1", "LM04  ****     Boundary  1",
                                      "LM04  ****     Boundary  1", "LM05  ****     Boundary  1",
                                      "LM05  ****     Boundary  3"}));
  EXPECT_EQ(e->model.limits_active, 1);
  EXPECT_EQ(e->model.limit_upward_count, 4);

  std::string twenty = "20 20\n";
  for (int i = 0; i < 20; ++i) twenty += "1. 1. 2. 2.\n";
  e = make_reader_engine(twenty);
  read_limits(*e);
  EXPECT_EQ(e->model.limit_count, 20);
  EXPECT_EQ(e->model.input_error_flag, 0);
}

using Reader = void (*)(Engine&);

struct CountedCommand {
  Reader read;
  std::string data;  // a valid command of one item
  std::string suppressed, reactivated, first_error;
  int32_t ProblemModel::*active;
};

std::vector<CountedCommand> counted_commands() {
  return {
      {read_loads, "1\n2. 8. 1. 1. 0.\n", "SURCHARGE BOUNDARY LOAD DATA HAS BEEN SUPPRESSED",
       "SUPPRESSED BOUNDARY LOAD DATA HAS BEEN REACTIVATED", "LD01", &ProblemModel::loads_active},
      {read_ties, "1\n1 5. 5. 1. 1. 0. 0.\n", "TIEBACK ANCHOR LOAD DATA HAS BEEN SUPPRESSED",
       "SUPPRESSED TIEBACK LOAD DATA HAS BEEN REACTIVATED", "TI01", &ProblemModel::ties_active},
      {read_anisotropy, "1\n1 0 2\n10. 1. 1. 90. 1. 1.\n",
       "ANISOTROPIC STRENGTH DATA HAS BEEN SUPPRESSED",
       "SUPPRESSED ANISOTROPIC STRENGTH DATA HAS BEEN REACTIVATED", "AI01",
       &ProblemModel::aniso_active},
      {read_limits, "1 0\n1. 1. 2. 2.\n", "SEARCH LIMIT BOUNDARY DATA HAS BEEN SUPPRESSED",
       "SUPPRESSED SEARCH LIMIT BOUNDARY DATA HAS BEEN REACTIVATED", "LM01",
       &ProblemModel::limits_active}};
}

TEST(CountedCommands, CountZeroSuppressesAndReactivates) {
  for (const CountedCommand& c : counted_commands()) {
    auto e = soil_engine(c.data + "0\n0\n");
    for (int32_t expected_active : {1, 0, 1}) {
      c.read(*e);
      e->model.line_loaded = 0;  // as the command loop does before every command
      EXPECT_EQ(e->model.*c.active, expected_active) << c.first_error;
    }
    EXPECT_NE(e->report.text().find("\n\n\n          " + c.suppressed + "\n\n\n\n          " +
                                    c.reactivated + "\n"),
              std::string::npos);
    EXPECT_EQ(e->model.input_error_flag, 0);

    auto fresh = soil_engine("0\n");  // nothing stored yet
    c.read(*fresh);
    EXPECT_EQ(fresh->report.text(), "\n          ****  ERROR - " + c.first_error +
                                        "  ****\n\n\n\n\n          " + c.reactivated + "\n");
    EXPECT_EQ(fresh->model.input_error_flag, 1);
    EXPECT_EQ(fresh->model.*c.active, 1);
  }
}

TEST(CountedCommands, CountBeyondTheTableEndsTheRunAndIsNotKept) {
  struct Case {
    Reader read;
    std::string input, heading, code;
    int32_t ProblemModel::*count;
  };
  for (const Case& c : std::vector<Case>{
           {read_loads, "51\n", "             51 Load(s) Specified\n", "LD02",
            &ProblemModel::load_count},
           {read_ties, "11\n", "             11 Tieback Load(s) Specified\n", "TI02",
            &ProblemModel::tie_count},
           {read_reinforcement, "51\n", "             51 Reinforcing Layer(s) Specified\n", "RF02",
            &ProblemModel::reinf_layer_count},
           {read_anisotropy, "11\n",
            "             11 soil type(s)\n\n          ****  ERROR - AI02  ****\n\n", "AI03",
            &ProblemModel::aniso_count},
           {read_limits, "21 1\n", "Defined By 21 Boundaries\n", "LM03",
            &ProblemModel::limit_count}}) {
    auto e = soil_engine(c.input);
    c.read(*e);
    EXPECT_NE(e->report.text().find(c.heading + "\n          ****  ERROR - " + c.code +
                                    "  ****\n\n\n\n          ******"),
              std::string::npos)
        << c.code;
    EXPECT_EQ(e->model.stop_code, 2);
    EXPECT_EQ(e->model.*c.count, 0) << c.code;
    EXPECT_EQ(e->model.reinf_given, 0);
  }
}

TEST(CountedCommands, MirroredProblemIsEchoedInTheUsersFrame) {
  struct Case {
    Reader read;
    std::string input, row;
  };
  for (const Case& c : std::vector<Case>{
           {read_loads, "1\n2. 8. 1. 1. 0.\n", "            1          98.00        92.00"},
           {read_ties, "1\n1 5. 5. 1. 1. 15. 0.\n",
            "             1      95.00     8.00        1.0     1.0     165.00"},
           {read_reinforcement, "1\n2\n5. 10. 1. 1. 1. 20. 10. 1. 1. 1.\n",
            "                 2        80.00     13.00"},
           {read_limits, "1 0\n0. 5. 10. 5.\n",
            "              1        100.00       8.00      90.00       8.00"}}) {
    auto e = soil_engine(c.input);
    e->model.frame_ints[1] = 1;
    e->model.frame_reals[2] = 100.0f;  // mirror axis
    e->model.frame_reals[6] = 3.0f;    // shift of elevations
    c.read(*e);
    EXPECT_NE(e->report.text().find(c.row), std::string::npos) << c.row;
  }
}

}  // namespace
}  // namespace scarpex
