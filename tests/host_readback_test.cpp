// What the host makes of output files that tell less than a whole run: a report cut short
// before its abort banner, and status files whose trials did not all converge.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "host_test_support.h"

namespace scarpex_host::testing {
namespace {

using nlohmann::json;

json read_back(const TempFolder& folder) {
  HostRun run =
      run_scarpex("--names " + quoted((folder / "names.dat").string()) + " --no-run --json -");
  EXPECT_NE(run.status, 2) << run.err;
  return json::parse(run.out);
}

int count_code(const json& codes, const std::string& code) {
  int count = 0;
  for (const json& c : codes) count += (c.is_object() ? c["code"] : c) == code ? 1 : 0;
  return count;
}

TEST(HostReadBack, AnAbortInTheTraceIsAnAbortWhereverTheReportWasCut) {
  // The run ends with FR01 and the abort banner, in the report and again in the trace.
  const std::string error = "****  ERROR - FR01  ****";
  const std::string banner = "******  EXECUTION OF SCARPEX ABORTED  ******";
  struct Case {
    const char* label;
    const std::string& cut_before;  // the report ends just before this line
  };
  for (const Case& c : {Case{"before the error", error}, Case{"before the banner", banner}}) {
    TempFolder folder("readback");
    copy_golden_outputs("run_fr01_end_of_file", folder.path());
    std::string report = read_file(folder / "report.out");
    write_file(folder / "report.out", report.substr(0, report.find(c.cut_before)));
    json doc = read_back(folder);
    EXPECT_EQ(doc["outcome"], "aborted") << c.label;
    EXPECT_EQ(doc["verdict"], "aborted") << c.label;
    EXPECT_EQ(doc["summary"]["outcome"], "aborted") << c.label;
    // Read from the report, the trace or both, each error is listed once.
    EXPECT_EQ(count_code(doc["errors"], "FR01"), 1) << c.label;
    EXPECT_EQ(count_code(doc["summary"]["error_codes"], "FR01"), 1) << c.label;
    EXPECT_EQ(count_code(doc["errors"], "SQ01"), 1) << c.label;
  }
}

TEST(HostReadBack, TrialsOfStatusTwoDidNotConvergeAndOfStatusThreeAreNegative) {
  TempFolder folder("readback");
  copy_golden_outputs("search_random_with_limits", folder.path());
  std::string status = read_file(folder / "status.sts");
  const std::string converged = "     1     CONVERGENCE\n";
  const std::vector<std::string> outcomes = {"     2     NON CONVERGENCE\n",
                                             "     3     NEGATIVE FACTOR OF SAFETY\n",
                                             "     3     NEGATIVE FACTOR OF SAFETY\n"};
  std::size_t at = 0;
  for (const std::string& outcome : outcomes) {
    at = status.find(converged, at);
    ASSERT_NE(at, std::string::npos);
    status.replace(at, converged.size(), outcome);
  }
  write_file(folder / "status.sts", status);
  json doc = read_back(folder);
  const json& search = doc["analyses"][0]["search"];
  ASSERT_TRUE(search.is_object());
  EXPECT_EQ(search["not_converged"], 1);
  EXPECT_EQ(search["negative"], 2);
  EXPECT_EQ(search["analysed"], search["requested"]);
}

}  // namespace
}  // namespace scarpex_host::testing
