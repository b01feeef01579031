// A Spencer iteration that runs past the outer steps kept in place: every completed outer
// iteration still appears in the theta table, in order, with the values the trace shows.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "test_engine.h"

namespace scarpex::testing {
namespace {

// An outer limit of 70 and an agreement of 0: the iteration goes on until the line estimate
// fails, after nine outer iterations for this slope.
const char* const kLongIteration = R"(HEADER
50 70 50 0 0 1
0.0001 0.001 0.001 0.
FRAME
0 0 0
0. 0. 0. 0. 0. 0.
PROFIL
HOMOGENEOUS SLOPE, LONG SPENCER ITERATION
3 3 2
0. 10. 20. 10. 1
20. 10. 40. 20. 1
40. 20. 70. 20. 1
SOIL
0 1
20. 20. 3. 19.6 0. 0. 0 0
SPENCR
20.
SURFAC
8
20.000 10.000 24.667 9.646
29.339 9.912 33.936 10.793
38.376 12.273 42.581 14.326
46.479 16.917 50.000 20.000
EXECUT
)";

// The angles of the theta table in the report, in degrees.
std::vector<float> theta_table(const std::string& report) {
  std::vector<float> thetas;
  std::size_t at = report.find("(deg)      (Equil.)   (Equil.)");
  if (at == std::string::npos) return thetas;
  std::istringstream lines(report.substr(report.find('\n', at) + 1));
  std::string line;
  std::getline(lines, line);  // the empty line under the heading
  while (std::getline(lines, line) && !line.empty()) {
    float theta = 0.0f, moment = 0.0f, force = 0.0f;
    std::istringstream(line) >> theta >> moment >> force;
    thetas.push_back(theta);
  }
  return thetas;
}

// The angles of the outer-iteration lines of the trace.
std::vector<float> traced_thetas(const std::string& trace) {
  std::vector<float> thetas;
  std::size_t at = 0;
  while ((at = trace.find("spencer iter", at)) != std::string::npos) {
    std::size_t theta_at = trace.find("theta=", at);
    thetas.push_back(std::stof(trace.substr(theta_at + 6)));
    at = theta_at;
  }
  return thetas;
}

TEST(SpencerOuterSteps, EveryOuterIterationOfALongRunIsTabled) {
  RunOutputs out = run_input(kLongIteration);
  std::vector<float> tabled = theta_table(out.report);
  std::vector<float> traced = traced_thetas(out.trace);
  ASSERT_EQ(tabled.size(), 9u);
  ASSERT_EQ(tabled.size(), traced.size());
  for (std::size_t k = 0; k < tabled.size(); ++k) {
    EXPECT_NEAR(tabled[k], traced[k], 0.005f) << "outer iteration " << k + 1;
  }
  EXPECT_NE(out.trace.find("Non convergence after     9 Iterations"), std::string::npos);
}

}  // namespace
}  // namespace scarpex::testing
