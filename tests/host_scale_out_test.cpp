// The GNU parallel line of the README, run as it stands on this machine.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "host_test_support.h"

namespace scarpex_host::testing {
namespace {

namespace fs = std::filesystem;

std::string documented_parallel_line() {
  std::istringstream readme(
      read_file(fs::path(SCARPEX_TEST_DATA).parent_path().parent_path() / "README.md"));
  std::string line;
  while (std::getline(readme, line)) {
    if (line.rfind("parallel --jobs", 0) == 0) return line;
  }
  return {};
}

TEST(ScaleOut, TheDocumentedGnuParallelLine) {
  if (std::system("command -v parallel > /dev/null 2>&1") != 0)
    GTEST_SKIP() << "no GNU parallel installed";
  std::string line = documented_parallel_line();
  ASSERT_FALSE(line.empty()) << "the README has no line starting with 'parallel --jobs'";
  TempFolder folder("parallel");
  fs::create_directories(folder / "sections");
  const std::vector<std::string> cases = {"spencer_converged_metric", "whole_layered_english",
                                          "whole_all_six_commands"};
  for (const std::string& name : cases)
    fs::copy_file(golden_input(name), folder / "sections" / (name + ".dat"));
  // scarpex on the path, with the engine library beside it as it is in the build folder.
  std::string path = fs::path(SCARPEX_HOST_PATH).parent_path().string() + ":" + std::getenv("PATH");
  std::string command = "cd " + testing::quoted(folder.path().string()) +
                        " && HOME=" + testing::quoted(folder.path().string()) +
                        " PATH=" + testing::quoted(path) +
                        " SCARPEX_LIBRARY=" + testing::quoted(SCARPEX_LIBRARY_PATH) + " bash -c " +
                        testing::quoted(line) + " > parallel.log 2>&1";
  EXPECT_EQ(std::system(command.c_str()), 0) << read_file(folder / "parallel.log");
  for (const std::string& name : cases) {
    fs::path document = folder / "sections" / (name + ".json");
    ASSERT_TRUE(fs::exists(document)) << name;
    auto results = nlohmann::json::parse(read_file(document));
    EXPECT_EQ(results["outcome"], "completed") << name;
    EXPECT_TRUE(results["summary"]["factor_of_safety"].is_number()) << name;
    EXPECT_TRUE(fs::exists(folder / "sections" / (name + ".run") / (name + ".out")));
  }
}

}  // namespace
}  // namespace scarpex_host::testing
