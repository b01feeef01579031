// Searches through the shared library as a host calls it: the random sequence lives as long
// as the loaded library, so two calls differ while a freshly loaded library repeats itself.
// Each run happens in a child process of its own that loads the library afresh.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "search_problem.h"
#include "test_engine.h"

namespace scarpex::testing {
namespace {

namespace fs = std::filesystem;

fs::path fresh_folder(const std::string& name) {
  fs::path folder =
      fs::temp_directory_path() / ("scarpex_search_" + std::to_string(::getpid()) + "_" + name);
  fs::remove_all(folder);
  fs::create_directories(folder);
  CircleItems items;
  std::ofstream(folder / "names.dat") << test_names_text();
  std::ofstream(folder / "input.dat")
      << standard_header() << layered_slope_problem() << items.text("CIRCL2") << "EXECUT\n";
  return folder;
}

// In a child process: loads the library, calls DAROZI `calls` times in `folder` and keeps the
// plot file of call k as plot<k>.plt. Returns the plot files.
std::vector<std::string> plots_of_fresh_library(const fs::path& folder, int calls) {
  pid_t child = ::fork();
  if (child == 0) {
    if (::chdir(folder.c_str()) != 0) ::_exit(2);
    void* library = ::dlopen(SCARPEX_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) ::_exit(3);
    using Darozi = int32_t (*)(int32_t, int32_t);
    auto darozi = reinterpret_cast<Darozi>(::dlsym(library, "DAROZI"));
    if (darozi == nullptr) ::_exit(4);
    for (int k = 1; k <= calls; ++k) {
      if (darozi(0, 0) != 0) ::_exit(5);
      std::rename("plot.plt", ("plot" + std::to_string(k) + ".plt").c_str());
    }
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
  std::vector<std::string> plots;
  for (int k = 1; k <= calls; ++k) {
    plots.push_back(read_text_file((folder / ("plot" + std::to_string(k) + ".plt")).string()));
  }
  return plots;
}

TEST(SearchThroughTheLibrary, SecondCallGoesOnWithTheSequenceFreshLibraryRepeatsIt) {
  fs::path first = fresh_folder("first");
  fs::path second = fresh_folder("second");
  std::vector<std::string> twice = plots_of_fresh_library(first, 2);
  std::vector<std::string> once = plots_of_fresh_library(second, 1);
  ASSERT_EQ(twice.size(), 2u);
  ASSERT_EQ(once.size(), 1u);
  ASSERT_NE(twice[0].find("SFS"), std::string::npos);
  EXPECT_NE(twice[0], twice[1]);  // the same input searched again finds other surfaces
  EXPECT_EQ(twice[0], once[0]);   // a fresh library repeats the first search exactly
  // The in-memory engine of the tests starts like a freshly loaded library as well.
  CircleItems items;
  RunOutputs in_memory =
      run_input(standard_header() + layered_slope_problem() + items.text("CIRCL2") + "EXECUT\n");
  EXPECT_EQ(in_memory.plot, once[0]);
  fs::remove_all(first);
  fs::remove_all(second);
}

TEST(SearchThroughTheHost, HostPrintsTheLowestFactorItsCircleAndTheTrialCount) {
  fs::path folder = fresh_folder("host");
  std::string command = std::string(SCARPEX_HOST_PATH) + " --library " + SCARPEX_LIBRARY_PATH +
                        " " + (folder / "input.dat").string() + " > " +
                        (folder / "host.txt").string() + " 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  std::string printed = read_text_file((folder / "host.txt").string());
  std::string report = read_text_file((folder / "input.out").string());
  // The first factor of the list is the lowest.
  std::size_t list = report.find("Following Are Displayed The");
  ASSERT_NE(list, std::string::npos);
  std::size_t stars = report.find("***", list);
  std::string lowest = report.substr(stars + 3, report.find("***", stars + 3) - stars - 3);
  lowest = lowest.substr(lowest.find_first_not_of(' '));
  lowest = lowest.substr(0, lowest.find(' '));
  EXPECT_NE(printed.find("Lowest factor of safety: " + lowest + " ("), std::string::npos)
      << printed;
  EXPECT_NE(printed.find("Critical circle: centre x = "), std::string::npos) << printed;
  EXPECT_NE(printed.find("Trial surfaces: 10 requested, 10 analysed"), std::string::npos)
      << printed;
  fs::remove_all(folder);
}

}  // namespace
}  // namespace scarpex::testing
