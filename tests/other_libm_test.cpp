// The output files do not depend on the C library's mathematics: the host runs searches and
// specified surfaces once as it is and once with a library in front of the C library whose
// sin, cos, tan, atan and pow round otherwise (tests/other_libm), and the files are the same.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "host_test_support.h"

namespace scarpex_host::testing {
namespace {

namespace fs = std::filesystem;

std::string without_date_line(const std::string& report) {
  std::istringstream lines(report);
  std::string line, kept;
  while (std::getline(lines, line)) {
    if (line.find("Date:") == std::string::npos) kept += line + "\n";
  }
  return kept;
}

// The four files of the host's run of `input` in `folder`, the report without its date. The
// report names the folder: both runs of a case use the same one.
std::vector<std::string> run_files(const fs::path& input, const fs::path& folder) {
  fs::remove_all(folder);
  fs::create_directories(folder);
  fs::copy_file(input, folder / "input.dat");
  HostRun run = run_scarpex("input.dat --out .", folder);
  EXPECT_NE(run.status, 2) << run.err;
  return {without_date_line(read_file(folder / "input.out")), read_file(folder / "input.plt"),
          read_file(folder / "input.trc"), read_file(folder / "input.sts")};
}

// Sets LD_PRELOAD (and, for a host built with AddressSanitizer, whose runtime must come
// first, lets the preloaded library stand before it) for the runs made meanwhile.
class PreloadedLibrary {
 public:
  explicit PreloadedLibrary(const char* path) {
    if (const char* options = std::getenv("ASAN_OPTIONS")) asan_options_ = options;
    setenv("LD_PRELOAD", path, 1);
    setenv("ASAN_OPTIONS", (asan_options_ + ":verify_asan_link_order=0").c_str(), 1);
  }
  ~PreloadedLibrary() {
    unsetenv("LD_PRELOAD");
    setenv("ASAN_OPTIONS", asan_options_.c_str(), 1);
  }
  PreloadedLibrary(const PreloadedLibrary&) = delete;
  PreloadedLibrary& operator=(const PreloadedLibrary&) = delete;

 private:
  std::string asan_options_;
};

TEST(OtherMathLibrary, GivesTheSameFiles) {
  const std::vector<std::string> cases = {
      "search_circl2_spencer",    "search_random_layered_water",
      "search_block2_two_layers", "search_circle_janbu_layered_water",
      "spencer_converged_metric", "whole_layered_english"};
  TempFolder folder("other_libm");
  for (const std::string& name : cases) {
    std::vector<std::string> usual = run_files(golden_input(name), folder / name);
    std::vector<std::string> other;
    {
      PreloadedLibrary preload(SCARPEX_OTHER_LIBM_PATH);
      other = run_files(golden_input(name), folder / name);
    }
    ASSERT_FALSE(usual[0].empty()) << name;
    for (std::size_t f = 0; f < usual.size(); ++f) {
      EXPECT_TRUE(usual[f] == other[f]) << name << ": file " << f << " differs";
    }
  }
}

}  // namespace
}  // namespace scarpex_host::testing
