// REINF and EQUAKE: the two readers without suppression.
#include <gtest/gtest.h>

#include <string>

#include "input/command_readers.h"
#include "test_engine.h"

namespace scarpex {
namespace {

using testing::make_reader_engine;

// A layer of n points with the given values on its last point.
std::string layer(int n, const std::string& last = "10. 100. 50. 1.") {
  std::string text = std::to_string(n) + "\n";
  for (int p = 1; p <= n; ++p)
    text += std::to_string(p) + ". " + (p == n ? last : "10. 1. 1. 1.") + "\n";
  return text;
}

// The report's only error line, from its code on, or "" when there is none.
std::string only_error(const Engine& e) {
  const std::string& r = e.report.text();
  auto at = r.find("****  ERROR - ");
  if (at == std::string::npos) return "";
  EXPECT_EQ(r.find("****  ERROR - ", at + 1), std::string::npos);
  return r.substr(at + 14, r.find('\n', at) - at - 14);
}

TEST(ReinfReader, TablesAreFilledUpToTheirLimits) {
  std::string fifty = "50\n";
  for (int l = 0; l < 50; ++l) fifty += layer(2);
  auto e = make_reader_engine(fifty);
  read_reinforcement(*e);
  EXPECT_EQ(e->model.reinf_layer_count, 50);
  EXPECT_EQ(e->model.reinf_given, 1);

  e = make_reader_engine("1\n" + layer(40, "10. 100. 50. 0.5"));
  read_reinforcement(*e);
  EXPECT_EQ(e->model.reinf_point_count[1], 40);
  EXPECT_FLOAT_EQ(e->model.reinf_incl_factor[1][40], 0.5f);
  EXPECT_EQ(e->model.stop_code, 0);
}

TEST(ReinfReader, EveryErrorEndsTheRunExceptACountOfZero) {
  struct Case {
    std::string input, error;
    int32_t flag;
  };
  for (const Case& c : std::vector<Case>{
           {"0\n", "RF01  ****", 1},
           {"1\n" + layer(41), "RF03  ****", 0},
           {"1\n" + layer(1), "RF08  ****", 1},
           {"1\n" + layer(2, "-1. 1. 1. 1."), "RF04  ****     LAYER NO.  1     POINT NO.  2", 1},
           {"2\n" + layer(2) + layer(3, "10. 1. -2. 1."),
            "RF05  ****     LAYER NO.  2     POINT NO.  3", 1},
           {"1\n" + layer(2, "10. 1. 1. 1.01"), "RF06  ****     LAYER NO.  1     POINT NO.  2", 1},
       }) {
    auto e = make_reader_engine(c.input);
    read_reinforcement(*e);
    EXPECT_EQ(only_error(*e), c.error);
    EXPECT_EQ(e->model.input_error_flag, c.flag) << c.error;
    EXPECT_EQ(e->model.stop_code, c.error == "RF01  ****" ? 0 : 2) << c.error;
    // A layer in error is not echoed, and no point count beyond the table is kept.
    EXPECT_EQ(e->report.text().find("    3.00"), std::string::npos) << c.error;
    EXPECT_LE(e->model.reinf_point_count[1], 40);
  }
  // The point error line is followed by the abort banner without an empty line of its own.
  auto e = make_reader_engine("1\n" + layer(2, "-1. 1. 1. 1."));
  read_reinforcement(*e);
  EXPECT_NE(e->report.text().find("POINT NO.  2\n\n\n          *****"), std::string::npos);
}

TEST(ReinfReader, InclinationFactorIsAcceptedWithinTheTolerance) {
  for (const char* factor : {"1.0", "0.0", "1.0005"}) {
    auto e = make_reader_engine("1\n" + layer(2, std::string("10. 1. 1. ") + factor));
    read_reinforcement(*e);
    EXPECT_EQ(only_error(*e), "") << factor;
  }
}

TEST(EquakeReader, CoefficientsAndCavitationAreEchoed) {
  auto e = make_reader_engine("0.15 0.05 0.0\n");
  read_earthquake(*e);
  EXPECT_EQ(e->report.text(),
            "\n\n\n"
            "          A Horizontal Earthquake Loading Coefficient\n"
            "          Of 0.150 Has Been Assigned\n"
            "\n"
            "          A Vertical Earthquake Loading Coefficient\n"
            "          Of 0.050 Has Been Assigned\n"
            "\n"
            "          Cavitation Pressure =    0.0 kPa \n");
  EXPECT_FLOAT_EQ(e->model.earthquake_kv, 0.05f);

  e = make_reader_engine("12.5 0.1 3.\n");
  read_earthquake(*e);
  EXPECT_NE(e->report.text().find("          Of ***** Has Been Assigned\n"), std::string::npos);
  EXPECT_FLOAT_EQ(e->model.earthquake_kh, 12.5f);  // stored and used as given
}

TEST(EquakeReader, BadValueKeepsWhatWasReadBefore) {
  auto e = make_reader_engine("0.2 1\n");
  e->model.earthquake_kv = 0.3f;
  read_earthquake(*e);
  EXPECT_EQ(e->model.stop_code, 2);
  EXPECT_FLOAT_EQ(e->model.earthquake_kh, 0.2f);
  EXPECT_FLOAT_EQ(e->model.earthquake_kv, 0.3f);
}

}  // namespace
}  // namespace scarpex
