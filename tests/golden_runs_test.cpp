// Whole-run tests: every folder under tests/data holding an input.dat is run through the run
// sequence and its report, plot, trace and status files (and standard output, when the folder
// has console.txt) are compared with the files beside it. The date line is masked.
// Set SCARPEX_UPDATE_GOLDEN=1 to write the actual outputs as the expected files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "test_engine.h"

namespace scarpex::testing {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> golden_cases() {
  std::vector<std::string> cases;
  for (const auto& entry : fs::directory_iterator(SCARPEX_TEST_DATA)) {
    if (entry.is_directory() && fs::exists(entry.path() / "input.dat")) {
      cases.push_back(entry.path().filename().string());
    }
  }
  std::sort(cases.begin(), cases.end());
  return cases;
}

std::string mask_date_line(const std::string& text) {
  std::istringstream lines(text);
  std::string line, masked;
  while (std::getline(lines, line)) {
    if (line.rfind("               Date:  ", 0) == 0) line = "               Date:  (masked)";
    masked += line + "\n";
  }
  return masked;
}

void compare_or_update(const fs::path& folder, const std::string& file, const std::string& actual,
                       bool optional_when_empty) {
  fs::path expected_path = folder / file;
  if (std::getenv("SCARPEX_UPDATE_GOLDEN") != nullptr) {
    if (optional_when_empty && actual.empty()) {
      fs::remove(expected_path);
    } else {
      std::ofstream(expected_path, std::ios::binary) << actual;
    }
    return;
  }
  std::string expected = fs::exists(expected_path) ? read_text_file(expected_path.string()) : "";
  if (!optional_when_empty) {
    ASSERT_TRUE(fs::exists(expected_path)) << "missing " << expected_path;
  }
  EXPECT_EQ(mask_date_line(expected), mask_date_line(actual)) << "in " << expected_path;
}

class GoldenRun : public ::testing::TestWithParam<std::string> {};
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(GoldenRun);

TEST_P(GoldenRun, OutputsMatchExpectedFiles) {
  fs::path folder = fs::path(SCARPEX_TEST_DATA) / GetParam();
  RunOutputs out = run_input(read_text_file((folder / "input.dat").string()));
  EXPECT_EQ(out.result, 0);
  compare_or_update(folder, "report.out", out.report, false);
  compare_or_update(folder, "plot.plt", out.plot, false);
  compare_or_update(folder, "trace.trc", out.trace, false);
  compare_or_update(folder, "status.sts", out.status, false);
  compare_or_update(folder, "console.txt", out.console, true);
}

INSTANTIATE_TEST_SUITE_P(Data, GoldenRun, ::testing::ValuesIn(golden_cases()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           std::string name = info.param;
                           for (char& c : name) {
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           }
                           return name;
                         });

}  // namespace
}  // namespace scarpex::testing
