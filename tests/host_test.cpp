// The scarpex host: its options, the names.dat it writes, and a run through the library.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "cli/host_options.h"
#include "test_engine.h"

namespace scarpex_host {
namespace {

namespace fs = std::filesystem;

TEST(HostOptions, InputFileWithFolderAndBannerTexts) {
  std::string error;
  auto options = parse_options(
      {"slope.dat", "--out", "results", "--id-word", "A B", "--prepared-by", "Me"}, error);
  ASSERT_TRUE(options) << error;
  EXPECT_EQ(options->input_file, "slope.dat");
  EXPECT_EQ(options->output_dir, "results");
  OutputNames names = output_names_for("/data/slope.dat");
  EXPECT_EQ(names.report, "slope.out");
  EXPECT_EQ(names.status, "slope.sts");
  std::string text = names_file_text(options->banner, "/data/slope.dat", names);
  // 13 lines; the word with a blank is quoted so that it is read whole.
  EXPECT_EQ(scarpex::testing::count_of(text, "\n"), 13);
  EXPECT_NE(text.find("\n'A B'\n"), std::string::npos);
  EXPECT_NE(text.find("\nMe\n/data/slope.dat\n/data/slope.dat\nslope.out\nslope.plt\nslope.trc\n\n"
                      "slope.sts\n"),
            std::string::npos);
}

TEST(HostOptions, UsageErrors) {
  std::string error;
  EXPECT_FALSE(parse_options({}, error));
  EXPECT_FALSE(parse_options({"a.dat", "b.dat"}, error));
  EXPECT_FALSE(parse_options({"a.dat", "--names", "names.dat"}, error));
  EXPECT_FALSE(parse_options({"--names", "x/names.dat", "--out", "y"}, error));
  EXPECT_FALSE(parse_options({"a.dat", "--out"}, error));
  EXPECT_EQ(error, "--out needs a value");
  EXPECT_FALSE(parse_options({"a.dat", "--fast"}, error));
  EXPECT_TRUE(parse_options({"--help"}, error));
}

int run_host(const std::string& arguments) {
  std::string command = std::string(SCARPEX_HOST_PATH) + " " + arguments + " > /dev/null 2>&1";
  int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(HostRun, ExitStatusFollowsTheOutcome) {
  fs::path folder = fs::temp_directory_path() / ("scarpex_host_" + std::to_string(::getpid()));
  fs::create_directories(folder);
  std::ofstream(folder / "done.dat") << scarpex::testing::standard_header();
  std::ofstream(folder / "bad.dat") << scarpex::testing::standard_header() << "NOSUCH\n";
  std::string library = std::string(" --library ") + SCARPEX_LIBRARY_PATH;
  EXPECT_EQ(run_host((folder / "done.dat").string() + library), 0);
  EXPECT_TRUE(fs::exists(folder / "done.plt"));
  EXPECT_EQ(run_host((folder / "bad.dat").string() + library), 1);
  EXPECT_EQ(run_host("--names " + (folder / "names.dat").string() + library), 1);  // bad.dat's
  EXPECT_EQ(run_host((folder / "missing.dat").string() + library), 2);
  EXPECT_EQ(run_host((folder / "done.dat").string() + " --library /nonexistent.so"), 2);
  fs::remove_all(folder);
}

}  // namespace
}  // namespace scarpex_host
