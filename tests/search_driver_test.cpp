// The search driver seen from whole runs: the checks of the search data, the initiation
// points and the first-segment bounds they set, the trial outcomes and the end of a search.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "search/initiation_points.h"
#include "search_problem.h"
#include "test_engine.h"

namespace scarpex::testing {
namespace {

RunOutputs run_search(const CircleItems& items, const std::string& command = "CIRCLE",
                      const std::string& problem = layered_slope_problem()) {
  return run_input(standard_header() + problem + items.text(command) + "EXECUT\n");
}

std::vector<std::string> search_errors(const CircleItems& items) {
  RunOutputs out = run_search(items);
  std::vector<std::string> errors = error_lines(out.report);
  if (out.report.find("EXECUTION OF SCARPEX ABORTED") != std::string::npos && errors.empty()) {
    errors.push_back("aborted");
  }
  return errors;
}

bool refused(const RunOutputs& out) {
  return out.report.find("EXECUTION OF SCARPEX ABORTED") != std::string::npos &&
         out.status.find("ntrial") == std::string::npos;
}

// The ground runs from x = 0 to 70: the tolerances of the range checks are 0.001.
TEST(SearchDataChecks, RangeChecksAllowLessThanTheTolerance) {
  CircleItems items;
  items.initiation = "-0.0005 18.";
  EXPECT_EQ(search_errors(items), std::vector<std::string>{});
  items.initiation = "-0.002 18.";
  EXPECT_EQ(search_errors(items), std::vector<std::string>{"RC01  ****"});
  items.initiation = "18. 17.9995";
  EXPECT_EQ(search_errors(items), std::vector<std::string>{});
  items.initiation = "18. 17.99";
  EXPECT_EQ(search_errors(items), std::vector<std::string>{"RC02  ****"});
  items.initiation = "8. 70.0005";
  items.termination = "42. 70.0009";
  EXPECT_EQ(search_errors(items), std::vector<std::string>{});
  items.initiation = "8. 70.002";
  items.termination = "42. 70.003";
  EXPECT_EQ(search_errors(items), (std::vector<std::string>{"RC03  ****", "RC04  ****"}));
}

TEST(SearchDataChecks, TerminationElevationAndSegmentChecks) {
  CircleItems items;
  items.termination = "66. 42.";
  EXPECT_EQ(search_errors(items), std::vector<std::string>{"RC05  ****"});
  items.termination = "10. 18.";  // ends where the last initiation point lies
  EXPECT_EQ(search_errors(items), std::vector<std::string>{"RC06  ****"});
  items.termination = "42. 66.";
  items.elevation_and_segment = "0. 2.";
  EXPECT_EQ(search_errors(items), std::vector<std::string>{});
  items.elevation_and_segment = "-0.0001 0.";
  EXPECT_EQ(search_errors(items), (std::vector<std::string>{"RC07  ****", "RC08  ****"}));
}

TEST(SearchDataChecks, AngleRestrictionIsEchoedLowerFirstAndChecked) {
  CircleItems items;
  items.angles = "0. -30.";
  RunOutputs out = run_search(items);
  EXPECT_TRUE(error_lines(out.report).empty());
  EXPECT_NE(
      out.report.find("          Restrictions Have Been Imposed Upon The Angle Of Initiation.\n"
                      "          The Angle Has Been Restricted Between The Angles Of -30.0\n"
                      "          And   0.0 deg.\n"),
      std::string::npos);
  items.angles = "10. 10.0005";
  EXPECT_EQ(search_errors(items), std::vector<std::string>{});
  items.angles = "10. 10.002";
  EXPECT_EQ(search_errors(items), std::vector<std::string>{"RC13  ****"});
}

TEST(SearchDataChecks, EveryErrorIsReportedBeforeTheSearchIsRefused) {
  CircleItems items;
  items.initiation = "-1. -2.";
  items.elevation_and_segment = "-1. 0.";
  RunOutputs out = run_search(items);
  EXPECT_EQ(error_lines(out.report),
            (std::vector<std::string>{"RC01  ****", "RC02  ****", "RC07  ****", "RC08  ****"}));
  EXPECT_TRUE(refused(out));
  EXPECT_EQ(count_of(out.plot, "END"), 1);
  EXPECT_EQ(out.plot.find("BND"), std::string::npos);  // no drawing before the refusal
}

// The first segment of every surface starts within the bounds set at its initiation point,
// whatever narrowing the generator then applies.
std::vector<float> first_segment_degrees(const RunOutputs& out) {
  std::vector<float> angles;
  for (const TrialRecord& r : trial_records(out.plot)) {
    angles.push_back(std::atan2(r.y[1] - r.y[0], r.x[1] - r.x[0]) / 0.017453292f);
  }
  return angles;
}

void expect_within(const std::vector<float>& angles, float lower, float upper) {
  ASSERT_FALSE(angles.empty());
  for (float a : angles) {
    EXPECT_GE(a, lower - 0.01f);
    EXPECT_LE(a, upper + 0.01f);
  }
}

TEST(SearchInitiationPoints, LevelGroundBoundsTheFirstSegmentBetweenMinus45AndMinus5) {
  CircleItems items;
  items.counts = "2 20";
  expect_within(first_segment_degrees(run_search(items)), -45.0f, -5.0f);
}

TEST(SearchInitiationPoints, GroundFallingAt20DegreesLowersTheUpperBoundTo25) {
  // The ground falls at 20 degrees from x = 0 to 20, then runs level and rises to a crest.
  const std::string problem =
      "PROFIL\nFALLING GROUND\n4 4 1\n"
      "0. 30. 20. 22.7206 1\n20. 22.7206 40. 22.7206 1\n40. 22.7206 60. 35. 1\n"
      "60. 35. 90. 35. 1\n"
      "SOIL\n0 1\n20. 20. 5. 30. 0. 0. 0 0\n";
  CircleItems items;
  items.counts = "2 20";
  items.initiation = "5. 15.";
  items.termination = "55. 85.";
  expect_within(first_segment_degrees(run_search(items, "CIRCLE", problem)), -45.0f, -25.0f);
}

TEST(SearchInitiationPoints, FootOfAFaceRisingToTheRightAllowsUpTo85Degrees) {
  const std::string problem =
      "PROFIL\nVERTICAL FACE\n3 3 1\n"
      "0. 20. 20. 20. 1\n20. 20. 20. 30. 1\n20. 30. 60. 30. 1\n"
      "SOIL\n0 1\n20. 20. 20. 30. 0. 0. 0 0\n";
  CircleItems items;
  items.counts = "1 30";
  items.initiation = "20. 20.";
  items.termination = "21. 55.";
  std::vector<float> angles = first_segment_degrees(run_search(items, "CIRCLE", problem));
  expect_within(angles, -45.0f, 85.0f);
  EXPECT_GT(*std::max_element(angles.begin(), angles.end()), -5.0f);
}

TEST(SearchInitiationPoints, PointsAreSpacedFromHalfTheToleranceRightOfTheLeftEnd) {
  CircleItems items;
  items.counts = "3 4";
  items.initiation = "10. 30.";
  items.termination = "42. 66.";
  RunOutputs out = run_search(items);
  std::vector<float> starts;
  for (const TrialRecord& r : trial_records(out.plot)) {
    if (starts.empty() || starts.back() != r.x[0]) starts.push_back(r.x[0]);
  }
  EXPECT_EQ(starts, (std::vector<float>{10.0005f, 20.0005f, 30.0005f}));
}

TEST(SearchInitiationPoints, PointCountOfZeroStillSearchesFromOnePoint) {
  CircleItems items;
  items.counts = "0 4";
  RunOutputs out = run_search(items);
  EXPECT_NE(out.report.find("            0 Trial Surfaces Will Be Generated."), std::string::npos);
  EXPECT_EQ(count_of(out.status, " ntrial = "), 4);
  for (const TrialRecord& r : trial_records(out.plot)) EXPECT_FLOAT_EQ(r.x[0], 8.0005f);
}

TEST(SearchInitiationPoints, NoTrialPerPointGivesTheEmptyListAfterLocatingThePoints) {
  CircleItems items;
  items.counts = "3 0";
  RunOutputs out = run_search(items);
  EXPECT_EQ(out.status.find("ntrial"), std::string::npos);
  EXPECT_NE(out.report.find("No solution was obtained for"), std::string::npos);
  EXPECT_EQ(out.report.find("ABORTED"), std::string::npos);
  EXPECT_NE(out.plot.find("TNS\n         0\nEND\n"), std::string::npos);
}

TEST(SearchDataChecks, FormatErrorInTheItemsEndsTheRunAtOnce) {
  RunOutputs out =
      run_input(standard_header() + layered_slope_problem() + "CIRCLE\n2 5\n8 18.\nEXECUT\n");
  EXPECT_EQ(error_lines(out.report), std::vector<std::string>{"FR06  ****"});
  EXPECT_EQ(out.report.find("Along The Ground Surface"), std::string::npos);
  EXPECT_EQ(out.plot.find("BND"), std::string::npos);
  EXPECT_EQ(count_of(out.plot, "END"), 1);
}

TEST(SearchInitiationPoints, GroundBelowTheMinimumElevationEndsTheRunWithRc09) {
  CircleItems items;
  items.elevation_and_segment = "20.5 2.";
  items.counts = "2 0";  // no trial: the points are still located
  RunOutputs out = run_search(items);
  EXPECT_EQ(error_lines(out.report), std::vector<std::string>{"RC09  ****"});
  EXPECT_NE(out.report.find("EXECUTION OF SCARPEX ABORTED"), std::string::npos);
  EXPECT_EQ(count_of(out.plot, "END"), 1);
}

TEST(SearchInitiationPoints, PointsOnNoTopBoundaryTakeTheNearestGroundEnd) {
  ProblemModel m;
  m.top_boundary_count = 2;
  m.boundary_count = 2;
  m.boundary_x_left = {0, 0.0f, 20.0f};
  m.boundary_y_left = {0, 10.0f, 10.0f};
  m.boundary_x_right = {0, 20.0f, 40.0f};
  m.boundary_y_right = {0, 10.0f, 20.0f};
  m.start_boundary = 1;
  InitiationPoint beyond_right = locate_initiation_point(m, 40.0005f);
  EXPECT_FALSE(beyond_right.on_ground);
  EXPECT_EQ(beyond_right.boundary, 2);
  EXPECT_FLOAT_EQ(beyond_right.y, 20.0f);
  EXPECT_NEAR(beyond_right.angle_limit, std::atan(0.5f), 1e-6f);
  InitiationPoint before_left = locate_initiation_point(m, -0.0004f);
  EXPECT_EQ(before_left.boundary, 1);
  EXPECT_FLOAT_EQ(before_left.y, 10.0f);
  // Termination limits beyond the ground take its end elevations too.
  m.term_x_left = -0.0005f;
  m.term_x_right = 40.0008f;
  set_termination_elevations(m);
  EXPECT_FLOAT_EQ(m.term_y_left, 10.0f);
  EXPECT_FLOAT_EQ(m.term_y_right, 20.0f);
  m.term_x_left = 20.0f;  // a left limit belongs to the boundary starting there
  m.term_x_right = 30.0f;
  set_termination_elevations(m);
  EXPECT_FLOAT_EQ(m.term_y_left, 10.0f);
  EXPECT_FLOAT_EQ(m.term_y_right, 15.0f);
  m.term_x_left = 5.0f;
  m.term_x_right = 20.0f;  // a right limit belongs to the boundary ending there
  set_termination_elevations(m);
  EXPECT_FLOAT_EQ(m.term_y_left, 10.0f);
  EXPECT_FLOAT_EQ(m.term_y_right, 10.0f);
}

constexpr const char* kSkippedStatus = "    5     SEARCH LIMITATIONS TOO RESTRICTIVE";

TEST(SearchTrials, EveryTrialTooRestrictiveGivesTheEmptyListAndTheCountSkipped) {
  CircleItems items;
  items.counts = "1 3";
  items.initiation = "10. 10.";
  items.elevation_and_segment = "19.9 2.";  // every first segment falls below it
  RunOutputs out = run_search(items);
  EXPECT_EQ(count_of(out.status, kSkippedStatus), 3);
  EXPECT_EQ(count_of(out.trace, "Search limitations too restrictive"), 3);
  EXPECT_NE(out.report.find("No solution was obtained for \n"
                            "          all the Failure Surfaces Examined.\n\n\n"
                            "     3 Trial Surfaces Were Skipped: Search Limitations Too "
                            "Restrictive\n"),
            std::string::npos);
  EXPECT_EQ(count_of(out.plot, "\nEND\n"), 1);
  EXPECT_EQ(out.plot.find("SFS"), std::string::npos);
  EXPECT_NE(out.plot.find("TNS\n         0\nEND\n"), std::string::npos);
}

// The narrowed angle bounds that make every attempt of a trial fail belong to its initiation
// point: the points after it are searched, and so is the next command.
TEST(SearchTrials, TrialsSkippedAtOnePointLeaveTheOtherPointsAndTheRunGoingOn) {
  CircleItems blocked;
  blocked.counts = "3 4";
  blocked.initiation = "10. 30.";             // the first point lies on level ground at 20 m
  blocked.elevation_and_segment = "19.9 2.";  // which no surface from it can stay above
  CircleItems open;
  open.counts = "1 10";
  RunOutputs out = run_input(standard_header() + layered_slope_problem() + blocked.text() +
                             open.text() + "EXECUT\n");
  const std::string first_search = out.status.substr(0, out.status.find(" ntrial =    12\n"));
  EXPECT_EQ(count_of(first_search, kSkippedStatus), 4);
  EXPECT_NE(first_search.find(std::string(" ntrial =     4\n ") + kSkippedStatus),
            std::string::npos);
  EXPECT_EQ(first_search.find(std::string(" ntrial =     5\n ") + kSkippedStatus),
            std::string::npos);
  std::vector<TrialRecord> records = trial_records(out.plot);
  ASSERT_EQ(records.size(), 18u);  // trials 5 to 12 of the first search, all of the second
  EXPECT_EQ(records.front().trial, 5);
  const std::size_t skipped_line =
      out.report.find("     4 Trial Surfaces Were Skipped: Search Limitations Too Restrictive\n");
  ASSERT_NE(skipped_line, std::string::npos);
  EXPECT_LT(out.report.find("Following Are Displayed"), skipped_line);
  EXPECT_LT(skipped_line, out.report.rfind("A Critical Failure Surface Searching Method"));
  EXPECT_EQ(count_of(out.report, "Trial Surfaces Were Skipped"), 1);
}

TEST(SearchTrials, SurfacesThatDoNotConvergeAreDrawnButNeverListed) {
  // An iteration limit of 1 leaves every surface without convergence.
  std::string header = standard_header();
  header.replace(header.find("50 50 50"), 8, "1 50 50");
  CircleItems items;
  RunOutputs out = run_input(header + layered_slope_problem() + items.text() + "EXECUT\n");
  std::vector<TrialRecord> records = trial_records(out.plot);
  ASSERT_FALSE(records.empty());
  for (const TrialRecord& r : records) EXPECT_EQ(r.status, 2);
  EXPECT_NE(out.report.find("No solution was obtained for"), std::string::npos);
  EXPECT_NE(out.plot.find("TNS\n         0\n"), std::string::npos);
}

// The surfaces of the TNS record of a plot file: the listed surfaces, most critical first.
std::vector<TrialRecord> listed_surfaces(const std::string& plot) {
  std::vector<TrialRecord> listed;
  std::istringstream lines(plot.substr(plot.rfind("TNS\n") + 4));
  int count = 0;
  lines >> count;
  for (int k = 0; k < count; ++k) {
    TrialRecord r;
    int points = 0;
    float centre_x = 0.0f, centre_y = 0.0f, radius = 0.0f;
    lines >> points >> r.fos >> centre_x >> centre_y >> radius;
    r.x.resize(points), r.y.resize(points);
    for (int p = 0; p < points; ++p) lines >> r.x[p] >> r.y[p];
    listed.push_back(r);
  }
  return listed;
}

TEST(SearchTrials, RandomSurfacesEndOnTheGroundInTheTerminationRangeUnderLimits) {
  // The second limit, just under the crest by the left termination limit at x = 42,
  // deflects last segments up, towards the face left of the range.
  CircleItems items;
  items.counts = "4 25";
  const std::string limits = "LIMITS\n2 2\n0. 14. 70. 14.\n40. 29.3 50. 29.3\n";
  RunOutputs out = run_input(standard_header() + layered_slope_problem() + limits +
                             items.text("RANDOM") + "EXECUT\n");
  std::vector<TrialRecord> analysed = trial_records(out.plot);
  std::vector<TrialRecord> listed = listed_surfaces(out.plot);
  ASSERT_GT(analysed.size(), 50u);
  ASSERT_EQ(listed.size(), 10u);
  auto ground_y = [](float x) {
    return x < 20.0f ? 20.0f : x < 40.0f ? 20.0f + (x - 20.0f) / 2 : 30.0f;
  };
  analysed.insert(analysed.end(), listed.begin(), listed.end());
  for (const TrialRecord& r : analysed) {
    EXPECT_GE(r.x.back(), 42.0f) << "trial " << r.trial << ", factor " << r.fos;
    EXPECT_LE(r.x.back(), 66.0f) << "trial " << r.trial << ", factor " << r.fos;
    EXPECT_NEAR(r.y.back(), ground_y(r.x.back()), 1e-3f) << "trial " << r.trial;
  }
}

TEST(SearchTrials, TrialLinesAndRecordsFollowEachOther) {
  CircleItems items;
  RunOutputs out = run_search(items);
  EXPECT_EQ(count_of(out.status, " ntrial = "), 10);
  EXPECT_NE(out.status.find(" ntrial =     1\n"), std::string::npos);
  EXPECT_NE(out.trace.find(" ntrial =    10\n"), std::string::npos);
  std::vector<TrialRecord> records = trial_records(out.plot);
  for (std::size_t i = 1; i < records.size(); ++i) {
    EXPECT_GT(records[i].trial, records[i - 1].trial);
  }
  // The drawing before the first trial and the one after the list, with no SRF.
  EXPECT_EQ(count_of(out.plot, "BND"), 2);
  EXPECT_EQ(count_of(out.plot, "NPL"), 1);
  EXPECT_EQ(out.plot.find("SRF"), std::string::npos);
  EXPECT_LT(out.plot.find("SFS"), out.plot.find("INF"));
  EXPECT_LT(out.plot.find("INX"), out.plot.find("NPL"));
  EXPECT_LT(out.plot.find("NPL"), out.plot.find("TNS"));
}

// The INF rows of the last INF record of a plot file: per slice, its weight.
std::vector<float> inf_weights(const std::string& plot) {
  std::vector<float> weights;
  std::istringstream lines(plot.substr(plot.rfind("INF\n") + 4));
  int count = 0;
  lines >> count;
  for (int i = 0; i < count; ++i) {
    int number = 0;
    float x_mid = 0.0f, weight = 0.0f;
    std::string rest;
    lines >> number >> x_mid >> weight;
    std::getline(lines, rest);
    weights.push_back(weight);
  }
  return weights;
}

TEST(SearchEnd, DetailOfTheBestSurfaceIsThatOfItsOwnAnalysis) {
  CircleItems items;
  items.counts = "3 8";
  RunOutputs search = run_search(items, "CIRCL2");
  // The most critical surface, from the TNS record, analysed again as a specified surface.
  std::istringstream tns(search.plot.substr(search.plot.rfind("TNS\n") + 4));
  int listed = 0, points = 0;
  float fos = 0.0f, xc = 0.0f, yc = 0.0f, r = 0.0f;
  tns >> listed >> points >> fos >> xc >> yc >> r;
  std::string surface = "SURBIS\n" + std::to_string(points) + "\n";
  for (int p = 0; p < points; ++p) {
    std::string x, y;
    tns >> x >> y;
    surface += x + " " + y + "\n";
  }
  RunOutputs single = run_input(standard_header() + layered_slope_problem() + surface + "EXECUT\n");
  std::vector<float> listed_weights = inf_weights(search.plot);
  std::vector<float> own_weights = inf_weights(single.plot);
  ASSERT_EQ(listed_weights.size(), own_weights.size());
  for (std::size_t i = 0; i < own_weights.size(); ++i) {
    EXPECT_NEAR(listed_weights[i], own_weights[i], 1e-3f * own_weights[i] + 1e-3f) << i;
  }
  std::size_t stars = single.report.rfind("*** ");
  EXPECT_NEAR(std::stof(single.report.substr(stars + 4)), fos, 0.002f);
}

TEST(SearchEnd, FlagsAreClearedSoThatASpecifiedSurfaceFollowsNormally) {
  CircleItems items;
  std::string input = standard_header() + layered_slope_problem() + items.text("CIRCL2") +
                      "SURFAC\n3\n10. 20. 30. 14. 50. 30.\nEXECUT\n";
  auto engine = make_test_engine();
  RunOutputs out = run_input(*engine, input);
  const ProblemModel& m = engine->model;
  EXPECT_EQ(m.search_active, 0);
  EXPECT_EQ(m.circular_search, 0);
  EXPECT_EQ(m.bishop_method, 0);
  EXPECT_EQ(m.input_error_flag, 0);
  EXPECT_EQ(count_of(out.plot, "SRF"), 1);
  EXPECT_EQ(count_of(out.plot, "NPL"), 2);  // the search's second drawing, then the surface's
}

}  // namespace
}  // namespace scarpex::testing
