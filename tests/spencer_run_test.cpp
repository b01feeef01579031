// Whole runs of Spencer's method on a specified surface: the angles of the first outer
// iterations, the status lines of a converged run, agreement with the Modified Bishop method,
// and the orderly end of a run whose Spencer iteration does not converge.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "test_engine.h"

namespace scarpex::testing {
namespace {

// Spencer's controls in the header; the Bishop/Janbu controls stay at 50 iterations, 0.0001.
struct Controls {
  int32_t outer = 50;
  int32_t inner = 50;
  const char* agreement = "0.001";
};

// A circle through the toe (20, 10) of the slope below, ending on its crest (y = 20).
struct Circle {
  double x_centre = 25.0;
  double y_centre = 45.0;
  int32_t points = 12;
};

std::string header(const Controls& c) {
  return "HEADER\n50 " + std::to_string(c.outer) + " " + std::to_string(c.inner) +
         " 0 0 1\n0.0001 0.001 0.001 " + c.agreement + "\nFRAME\n0 0 0\n0. 0. 0. 0. 0. 0.\n";
}

// A homogeneous slope 10 m high at 2H:1V; `soil` is the one soil row.
std::string slope(const char* soil = "20. 20. 3. 19.6 0. 0. 0 0") {
  return std::string(
             "PROFIL\nHOMOGENEOUS SLOPE\n3 3 2\n"
             "0. 10. 20. 10. 1\n20. 10. 40. 20. 1\n40. 20. 90. 20. 1\nSOIL\n0 1\n") +
         soil + "\n";
}

std::string surface(const char* command, const Circle& c) {
  const double radius = std::hypot(20.0 - c.x_centre, 10.0 - c.y_centre);
  const double x_end = c.x_centre + std::sqrt(radius * radius - std::pow(20.0 - c.y_centre, 2));
  const double first = std::atan2(10.0 - c.y_centre, 20.0 - c.x_centre);
  const double last = std::atan2(20.0 - c.y_centre, x_end - c.x_centre);
  std::string text = std::string(command) + "\n" + std::to_string(c.points) + "\n";
  for (int32_t k = 0; k < c.points; ++k) {
    double a = first + (last - first) * k / (c.points - 1);
    double x = c.x_centre + radius * std::cos(a), y = c.y_centre + radius * std::sin(a);
    if (k == 0) x = 20.0, y = 10.0;  // the ends exactly on the ground surface
    if (k == c.points - 1) x = x_end, y = 20.0;
    char pair[40];
    std::snprintf(pair, sizeof pair, "%.3f %.3f", x, y);
    text += pair;
    text += k % 2 == 1 || k == c.points - 1 ? "\n" : " ";
  }
  return text;
}

std::string spencer_input(const Controls& controls, const char* angle, const Circle& circle = {},
                          const char* soil = "20. 20. 3. 19.6 0. 0. 0 0") {
  return header(controls) + slope(soil) + "SPENCR\n" + angle + "\n" + surface("SURBIS", circle) +
         "EXECUT\n";
}

// The number that follows the first `key` in `text`; NaN when the key is missing.
float number_after(const std::string& text, const std::string& key) {
  std::size_t at = text.find(key);
  if (at == std::string::npos) return std::numeric_limits<float>::quiet_NaN();
  return std::stof(text.substr(at + key.size()));
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Theta (degrees) of every outer iteration, from the trace lines of Spencer's method.
std::vector<float> traced_thetas(const std::string& trace) {
  std::vector<float> thetas;
  for (const std::string& line : lines_of(trace)) {
    if (line.find("spencer iter =") != std::string::npos) {
      thetas.push_back(number_after(line, "theta="));
    }
  }
  return thetas;
}

int32_t count_of(const std::string& text, const std::string& key) {
  int32_t count = 0;
  for (std::size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + 1)) {
    ++count;
  }
  return count;
}

TEST(SpencerWholeRun, FirstOuterIterationsUseHalfThenOneAndAHalfTimesTheAngle) {
  struct Case {
    const char* angle;
    float first, second;
  };
  for (const Case& c : {Case{"20.", 10.0f, 15.0f}, Case{"16.", 8.0f, 12.0f}}) {
    RunOutputs out = run_input(spencer_input({}, c.angle));
    std::vector<float> thetas = traced_thetas(out.trace);
    ASSERT_GE(thetas.size(), 2u) << c.angle;
    EXPECT_EQ(thetas[0], c.first) << c.angle;
    EXPECT_EQ(thetas[1], c.second) << c.angle;
    // The outer iterations are numbered from 1 and follow the Modified Bishop trace.
    EXPECT_LT(out.trace.rfind("  iter="), out.trace.find("spencer iter =        1 "));
    EXPECT_LT(out.trace.find("spencer iter =        1 "),
              out.trace.find("spencer iter =        2 "));
  }
}

TEST(SpencerWholeRun, ConvergedRunWritesOnlyTheSpencerStatusLine) {
  // A loose agreement tolerance lets the two factors of the first outer iteration agree.
  RunOutputs first = run_input(spencer_input({50, 50, "0.5"}, "20."));
  EXPECT_EQ(first.status, " ntrial =     1\n     1     CONVERGENCE SPENCER 1\n");
  EXPECT_EQ(traced_thetas(first.trace), std::vector<float>{10.0f});
  EXPECT_EQ(number_after(first.report, "Spencer`s Theta ="), 10.0f);

  // A tight one converges on the estimates where the lines of later iterations meet.
  RunOutputs later = run_input(spencer_input({}, "20."));
  EXPECT_EQ(later.status, " ntrial =     1\n     1     CONVERGENCE SPENCER 2\n");
  EXPECT_GE(traced_thetas(later.trace).size(), 3u);

  for (const RunOutputs* out : {&first, &later}) {
    // The Bishop pass leaves no outcome of its own, the factor is reported once, and the run
    // goes on to the slice tables and the line of thrust.
    EXPECT_EQ(count_of(out->report, "Preceding Specified Surface ="), 1);
    EXPECT_EQ(number_after(out->report, "***  FOS ="),
              number_after(out->report, "Preceding Specified Surface ="));
    EXPECT_EQ(count_of(out->report, "*** Line of Thrust ***"), 2);
    EXPECT_EQ(count_of(out->plot, "LOT\n"), 2);
  }
}

TEST(SpencerWholeRun, FactorAgreesWithModifiedBishopOnHomogeneousCircles) {
  for (const Circle& circle : {Circle{30.0, 40.0, 30}, Circle{28.0, 50.0, 30}}) {
    const std::string label =
        std::to_string(circle.x_centre) + "," + std::to_string(circle.y_centre);
    RunOutputs bishop = run_input(header({}) + slope() + surface("SURBIS", circle) + "EXECUT\n");
    RunOutputs spencer = run_input(spencer_input({}, "20.", circle));
    float bishop_fos = number_after(bishop.report, "Preceding Specified Surface =");
    float spencer_fos = number_after(spencer.report, "Preceding Specified Surface =");
    float theta = number_after(spencer.report, "Spencer`s Theta =");
    ASSERT_TRUE(std::isfinite(bishop_fos)) << label;
    ASSERT_TRUE(std::isfinite(spencer_fos)) << label;
    EXPECT_NEAR(spencer_fos, bishop_fos, 0.02f * bishop_fos) << label;
    EXPECT_GT(theta, 0.0f) << label;
    EXPECT_LT(theta, 20.0f) << label;
  }
}

// The outputs of a run that must end after Spencer's method fails on its one surface.
void expect_orderly_end(const RunOutputs& out, const char* status_line, const std::string& label) {
  EXPECT_EQ(out.result, 0) << label;
  EXPECT_NE(out.status.find(status_line), std::string::npos) << label << "\n" << out.status;
  for (const std::string* text : {&out.report, &out.plot, &out.trace, &out.status, &out.console}) {
    EXPECT_EQ(text->find("nan"), std::string::npos) << label << "\n" << *text;
    EXPECT_EQ(text->find("NaN"), std::string::npos) << label << "\n" << *text;
    EXPECT_EQ(text->find("inf"), std::string::npos) << label << "\n" << *text;
    // A value that cannot be printed fills its field with asterisks.
    EXPECT_EQ(text->find("****"), std::string::npos) << label << "\n" << *text;
  }
  // The run ends at the failed surface: the next surface is never read, no slice table is
  // written, the surface still reaches the plot file, and the plot file ends with one END.
  EXPECT_EQ(count_of(out.trace, " ntrial ="), 1) << label;
  EXPECT_EQ(out.report.find("Individual data on the"), std::string::npos) << label;
  EXPECT_NE(out.plot.find("SRF\n"), std::string::npos) << label;
  EXPECT_TRUE(std::isfinite(number_after(out.plot, "SRF\n 8\n"))) << label;
  EXPECT_EQ(count_of(out.plot, "END\n"), 1) << label;
  EXPECT_EQ(out.plot.substr(out.plot.size() - 4), "END\n") << label;
}

TEST(SpencerWholeRun, NonConvergenceEndsTheRunWithoutNaN) {
  const Circle circle{25.0, 45.0, 8};
  const std::string next_surface = surface("SURFAC", circle) + "EXECUT\n";
  struct Case {
    Controls controls;
    const char* status_line;
  };
  const Case cases[] = {
      {{50, 2, "0.001"}, "     2     NON CONVERGENCE SPENCER LOCAL\n"},
      {{50, 1, "0.001"}, "     2     NON CONVERGENCE SPENCER LOCAL\n"},
      {{50, 0, "0.001"}, "     2     NON CONVERGENCE SPENCER LOCAL\n"},
      {{2, 50, "0.00001"}, "     2     NON CONVERGENCE SPENCER\n"},
      {{1, 50, "0.00001"}, "     2     NON CONVERGENCE SPENCER\n"},
      {{0, 50, "0.00001"}, "     2     NON CONVERGENCE SPENCER\n"},
  };
  for (const Case& c : cases) {
    const std::string label =
        "outer " + std::to_string(c.controls.outer) + ", inner " + std::to_string(c.controls.inner);
    RunOutputs out = run_input(spencer_input(c.controls, "20.", circle) + next_surface);
    expect_orderly_end(out, c.status_line, label);
  }
  // A soil without strength gives the Modified Bishop method a factor of 0, from which
  // Spencer's method cannot start.
  RunOutputs weak =
      run_input(spencer_input({}, "20.", circle, "20. 20. 0. 0. 0. 0. 0 0") + next_surface);
  expect_orderly_end(weak, "     2     NON CONVERGENCE SPENCER LOCAL\n", "no strength");
}

TEST(SpencerWholeRun, SecondTestEndsAtTheThirdIterationAndTakesEstimatesBelowZeroAsZero) {
  // The second test compares the estimates of two iterations, from the third on. Under a
  // strong earthquake the estimated angle falls below zero in the second and third
  // iterations: both are taken as 0, agree, and the third iteration, at angle 0, ends it.
  const char* soil = "20. 20. 10. 5. 0. 0. 0 0";
  struct Case {
    const char* label;
    const char* earthquake;
    Circle circle;
    std::vector<float> thetas;
  };
  const Case cases[] = {
      {"estimates above zero", "", {25.0, 45.0, 12}, {}},
      {"estimates below zero", "EQUAKE\n0.5 0. 0.\n", {22.0, 30.0, 12}, {10.0f, 15.0f, 0.0f}},
  };
  for (const Case& c : cases) {
    RunOutputs out = run_input(header({}) + slope(soil) + c.earthquake + "SPENCR\n20.\n" +
                               surface("SURBIS", c.circle) + "EXECUT\n");
    EXPECT_EQ(out.status, " ntrial =     1\n     1     CONVERGENCE SPENCER 2\n") << c.label;
    std::vector<float> thetas = traced_thetas(out.trace);
    EXPECT_EQ(thetas.size(), 3u) << c.label;
    if (!c.thetas.empty()) {
      EXPECT_EQ(thetas, c.thetas) << c.label;
    }
  }
}

}  // namespace
}  // namespace scarpex::testing
