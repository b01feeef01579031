// The data items of the sliding-block searches: their echo, the box checks and the refusal of
// a search whose boxes hold errors.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "search_problem.h"
#include "test_engine.h"

namespace scarpex::testing {
namespace {

// The layered slope of the search tests: ground from x = 0 to 70, toe at 20, crest at 40.
RunOutputs run_block(const std::string& items, const std::string& command = "BLOCK",
                     const std::string& extra = "") {
  return run_input(standard_header() + layered_slope_problem() + extra + command + "\n" + items +
                   "EXECUT\n");
}

const std::string kTwoGoodBoxes = "18. 15.5 24. 15.5 2.\n30. 16. 36. 17. 2.\n";

TEST(BlockDataItems, CleanItemsAreEchoedWithTheBoxTable) {
  RunOutputs out = run_block("20 2\n1.5\n" + kTwoGoodBoxes, "BLOCK2");
  EXPECT_TRUE(error_lines(out.report).empty());
  EXPECT_NE(
      out.report.find("          Technique For Generating Sliding Block Surfaces, Has Been \n"
                      "          Specified.\n\n\n"
                      "          The Active And Passive Portions Of The Sliding Surfaces\n"
                      "          Are Generated According To The Rankine Theory.\n\n\n"
                      "           20 Trial Surfaces Will Be Generated.\n\n\n"
                      "          2 Boxes Specified For Generation Of Central Block Base\n\n\n"
                      "          Length Of Line Segments For Active And Passive Portions Of\n"
                      "          Sliding Block Is   1.5\n\n\n"
                      "          Box        X-Left     Y-Left    X-Right    Y-Right      "
                      "Height\n"
                      "          No.           M          M          M          M           "
                      "M \n\n"
                      "           1          18.00      15.50      24.00      15.50       2.00\n"
                      "           2          30.00      16.00      36.00      17.00       2.00\n"),
      std::string::npos);
  EXPECT_EQ(count_of(out.status, " ntrial = "), 20);
  EXPECT_NE(out.plot.find("BLK\n         2\n     18.0000     16.5000\n     18.0000     14.5000\n"
                          "     24.0000     14.5000\n     24.0000     16.5000\n"
                          "     18.0000     16.5000\n     30.0000     17.0000\n"),
            std::string::npos);
}

TEST(BlockDataItems, MirroredProblemShowsEachBoxFromItsRightEnd) {
  std::string header = standard_header();
  header.replace(header.find("0 0 0\n"), 6, "1 0 0\n");
  header.replace(header.find("0. 0. 0. 0. 0. 0."), 17, "0. 100. 0. 0. 0. 0.");
  RunOutputs out =
      run_input(header + layered_slope_problem() + "BLOCK\n20 1\n1.5\n18. 15.5 24. 16. 2.\n");
  EXPECT_NE(out.report.find("           1          76.00      16.00      82.00      15.50       "
                            "2.00\n"),
            std::string::npos);
}

TEST(BlockDataItems, TooFewTrialsAreReportedButTheBoxesAreStillReadAndChecked) {
  RunOutputs out = run_block("9 2\n1.5\n18. 15.5 24. 15.5 2.\n24. 16. 36. 17. 2.\n");
  EXPECT_EQ(error_lines(out.report),
            (std::vector<std::string>{"RC13  ****", "BK04  ****     Box  2"}));
  EXPECT_NE(out.report.find("           2          24.00"), std::string::npos);
  EXPECT_NE(out.report.find("EXECUTION OF SCARPEX ABORTED"), std::string::npos);
  EXPECT_EQ(out.status.find("ntrial"), std::string::npos);
}

TEST(BlockDataItems, ElevenBoxesEndTheRunBeforeAnythingElseIsRead) {
  // The lines after the count would be read as the segment length and the boxes.
  RunOutputs out = run_block("20 11\nnot a number\n");
  EXPECT_NE(out.report.find("         11 Boxes Specified For Generation Of Central Block Base\n\n\n"
                            "\n          ****  ERROR - BK01  ****\n"),
            std::string::npos);
  EXPECT_EQ(error_lines(out.report), std::vector<std::string>{"BK01  ****"});
  EXPECT_EQ(count_of(out.report, "EXECUTION OF SCARPEX ABORTED"), 1);
  EXPECT_EQ(count_of(out.plot, "END"), 1);
}

TEST(BlockDataItems, NoBoxIsRefusedWithoutReadingOrCheckingAnyBox) {
  RunOutputs out = run_block("20 0\n1.5\n");
  EXPECT_EQ(error_lines(out.report), std::vector<std::string>{"BK09  ****"});
  EXPECT_NE(out.report.find("EXECUTION OF SCARPEX ABORTED"), std::string::npos);
  EXPECT_EQ(out.status.find("ntrial"), std::string::npos);
}

TEST(BlockDataItems, BoxChecksInTheirOrder) {
  // Box 1 reversed (BK03; its right end then lies on no boundary after its left end's, BK06),
  // box 2 above the ground (BK06) and starting left of x = 0 (BK05) cannot follow box 1
  // (BK04); the last box ends beyond the ground (BK07).
  RunOutputs out =
      run_block("20 3\n0.\n24. 15.5 18. 15.5 2.\n-1. 25. 5. 25. 2.\n60. 16. 75. 17. 2.\n");
  EXPECT_EQ(
      error_lines(out.report),
      (std::vector<std::string>{"BK02  ****", "BK03  ****     Box  1", "BK04  ****     Box  2",
                                "BK05  ****     Box  2", "BK06  ****     Box  1",
                                "BK06  ****     Box  2", "BK06  ****     Box  3", "BK07  ****"}));
}

TEST(BlockDataItems, TopEdgeMayNotCutAboveTheGroundBetweenItsCorners) {
  // Both top corners lie below the ground, but the edge passes above the toe at x = 20.
  RunOutputs out = run_block("20 1\n1.5\n10. 18.8 30. 23.8 2.\n");
  EXPECT_EQ(error_lines(out.report), std::vector<std::string>{"BK06  ****     Box  1"});
}

TEST(BlockDataItems, FirstBoxMayNotLieMoreThan45DegreesBelowTheGroundsLeftEnd) {
  // The ground starts at (0, 20): a bottom corner 5 m to the right and 6 m below is too steep.
  RunOutputs out = run_block("20 1\n1.5\n5. 15. 30. 18. 2.\n");
  EXPECT_EQ(error_lines(out.report), std::vector<std::string>{"BK08  ****"});
  out = run_block("20 1\n1.5\n0. 15. 1. 15. 2.\n");  // starting at the left end
  EXPECT_EQ(error_lines(out.report), (std::vector<std::string>{"BK08  ****", "BK08  ****"}));
}

TEST(BlockDataItems, Block2WarnsThatItIgnoresLimits) {
  const std::string limits = "LIMITS\n1 1\n0. 12. 70. 12.\n";
  RunOutputs out = run_block("20 2\n1.5\n" + kTwoGoodBoxes, "BLOCK2", limits);
  EXPECT_NE(out.report.find("\n\n\n          WARNING - Limitation Boundaries Have Been Specified,\n"
                            "                    These Are Ignored In This Program Routine.\n\n\n"),
            std::string::npos);
  out = run_block("20 2\n1.5\n" + kTwoGoodBoxes, "BLOCK", limits);
  EXPECT_EQ(out.report.find("WARNING - Limitation"), std::string::npos);
}

TEST(BlockSearch, DeepBoxesFailEveryTrialWithOneBk12) {
  // From a base this deep every Rankine side leaves the ground's left end below the surface.
  RunOutputs out = run_block("10 1\n1.5\n10. 11.5 12. 11.5 0.5\n", "BLOCK2");
  EXPECT_EQ(error_lines(out.report), std::vector<std::string>{"BK12  ****"});
  EXPECT_EQ(count_of(out.status, "    5     SEARCH LIMITATIONS TOO RESTRICTIVE"), 10);
  EXPECT_NE(out.report.find("No solution was obtained for"), std::string::npos);
  EXPECT_EQ(count_of(out.plot, "END"), 1);
}

}  // namespace
}  // namespace scarpex::testing
