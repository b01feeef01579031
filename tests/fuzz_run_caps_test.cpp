// The caps of the fuzz harness: only the iteration limits of the header and the point and
// trial counts of the searches are lowered, fields are found as the engine's readers find them,
// and the rest of the input is left as it is.
#include <gtest/gtest.h>

#include <string>

#include "run_caps.h"

namespace scarpex::fuzzing {
namespace {

const std::string kRestOfHeader = "0.0001 0.001 0.001 0.001\nFRAME\n0 0 0\n0. 0. 0. 0. 0. 0.\n";
const std::string kHeader = "HEADER\n50 20 20 0 0 1\n" + kRestOfHeader;

// The input after a header that is within the caps, capped, without that header.
std::string capped_commands(const std::string& commands) {
  std::string capped = cap_run_length(kHeader + commands);
  EXPECT_EQ(capped.substr(0, kHeader.size()), kHeader);
  return capped.substr(kHeader.size());
}

TEST(FuzzRunCaps, LowerTheThreeIterationLimitsOfTheHeaderOnly) {
  EXPECT_EQ(cap_run_length("HEADER\n999999 5000 +20000 7000 8000 1\n" + kRestOfHeader),
            "HEADER\n50 20 20 7000 8000 1\n" + kRestOfHeader);
  // Over several lines, with commas; values under the caps stay as written.
  EXPECT_EQ(cap_run_length("HEADER\n00049,\n\n99999 ,5 9\n"), "HEADER\n00049,\n\n20 ,5 9\n");
  // A value the header reader refuses is left for it to refuse.
  EXPECT_EQ(cap_run_length("HEADER\n5e9 -7 x\n"), "HEADER\n5e9 -7 x\n");
}

TEST(FuzzRunCaps, SpreadOneTrialBudgetOverTheSearchesOfAnInput) {
  std::string points = "CIRCLE\n100 1000 0. 10. 50. 60. 0. 2. 0. 0.\n";
  EXPECT_EQ(capped_commands(points), "CIRCLE\n10 6 0. 10. 50. 60. 0. 2. 0. 0.\n");
  // The counts may stand on two lines; a letter o reads as a zero digit.
  EXPECT_EQ(capped_commands("RANDOM\n2\n1oo\n"), "RANDOM\n2\n30\n");
  EXPECT_EQ(capped_commands("BLOCK\n50 1 5.\nBLOCK2\n50 1 5.\nBLOCK\n7 1 5.\n"),
            "BLOCK\n50 1 5.\nBLOCK2\n10 1 5.\nBLOCK\n0 1 5.\n");
  EXPECT_EQ(capped_commands("CIRCL2\n0 100\n"), "CIRCL2\n0 60\n");
}

TEST(FuzzRunCaps, FindFieldsAsTheDataLineReaderDoes) {
  // Two blanks end a line's data, a line starting with a blank ends the run, and only 80
  // columns are read: none of these fields is a trial count.
  EXPECT_EQ(capped_commands("BLOCK2\n  500\n"), "BLOCK2\n  500\n");
  EXPECT_EQ(capped_commands("CIRCLE\n3  500\n 9000\n"), "CIRCLE\n3  500\n 9000\n");
  std::string wide = "CIRCLE\n" + std::string(79, '1') + " 500\n";
  EXPECT_EQ(capped_commands(wide), wide);
  // The line ends that the engine reads as blanks and breaks are made plain.
  EXPECT_EQ(capped_commands("BLOCK\t\r\n90\t1\r\n"), "BLOCK \n60 1\n");
  EXPECT_EQ(cap_run_length(""), "");
}

}  // namespace
}  // namespace scarpex::fuzzing
