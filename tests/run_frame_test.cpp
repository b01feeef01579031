// The run frame as a host sees it: names.dat, the run files, the library's one export, and
// state kept between two calls in one process.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "run/darozi_export.h"
#include "run/run_files.h"
#include "run/run_sequence.h"
#include "test_engine.h"

namespace scarpex {
namespace {

namespace fs = std::filesystem;
using testing::read_text_file;
using testing::run_input;
using testing::standard_header;

// A scratch folder that is the working directory while the test runs.
class RunFolder {
 public:
  RunFolder() : previous_(fs::current_path()) {
    path_ = fs::temp_directory_path() /
            ("scarpex_run_" + std::to_string(::getpid()) + "_" + std::to_string(counter_++));
    fs::create_directories(path_);
    fs::current_path(path_);
  }
  ~RunFolder() {
    fs::current_path(previous_);
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  void write(const std::string& name, const std::string& text) const {
    std::ofstream(path_ / name, std::ios::binary) << text;
  }
  std::string read(const std::string& name) const {
    return read_text_file((path_ / name).string());
  }
  const fs::path& path() const { return path_; }

 private:
  static inline int counter_ = 0;
  fs::path previous_;
  fs::path path_;
};

TEST(RunFrame, HeaderOnlyInput) {
  auto out = run_input(standard_header());
  EXPECT_EQ(out.result, 0);
  EXPECT_EQ(out.plot,
            "    0    0    0\n       0.000       0.000       0.000       0.000       0.000       "
            "0.000\nEND\n");
  EXPECT_NE(out.report.find("Time and Date of Analysis"), std::string::npos);
  EXPECT_NE(out.report.find("               Date:  January 02, 2025     Time:  03:04:05"),
            std::string::npos);
  EXPECT_EQ(out.report.find("ABORTED"), std::string::npos);
  EXPECT_EQ(out.trace, "");
}

TEST(RunFrame, BannerAndRunFileLines) {
  auto out = run_input(standard_header());
  EXPECT_EQ(out.report.rfind("     =====", 0), 0u);
  EXPECT_NE(out.report.find("                      Scarpex Version TEST 1.0\n"), std::string::npos);
  EXPECT_NE(out.report.find("     Test Engineer\n"), std::string::npos);
  EXPECT_NE(out.report.find("     Path to file locations      : /scarpex/work/\n"),
            std::string::npos);
  EXPECT_NE(out.report.find("     Name of input data file     : input.dat\n"), std::string::npos);
  EXPECT_NE(out.report.find("     Name of plot output file    : plot.plt\n"), std::string::npos);
}

TEST(RunFrame, SplitFilePathCutsALongExtension) {
  auto e = testing::make_test_engine();
  split_file_path(*e, "sub/../data/slope.input   ");
  EXPECT_EQ(e->model.path_directory.trimmed(), "/scarpex/work/data/");
  EXPECT_EQ(e->model.path_name.trimmed(), "slope");
  EXPECT_EQ(e->model.path_extension.trimmed(), ".inpu");
  EXPECT_EQ(e->model.path_drive.trimmed(), "");
}

TEST(RunFrame, IdentificationWordStopsAtABlank) {
  auto e = testing::make_test_engine();
  std::string names = testing::test_names_text();
  names.replace(names.find("WORD4"), 5, "FIRST second");
  e->env.names_text = names;
  auto out = run_input(*e, standard_header());
  EXPECT_NE(out.report.find("Identification Word: FIRST\n"), std::string::npos);
}

TEST(RunFrame, IdentificationTextsKeep255CharactersAndTheWord256) {
  auto e = testing::make_test_engine();
  std::string names = testing::test_names_text();
  names.replace(names.find("Identification line two"), 23, std::string(300, 'a'));
  names.replace(names.find("Identification line three"), 25, std::string(300, 'b'));
  names.replace(names.find("WORD4"), 5, std::string(300, 'w'));
  names.replace(names.find("Identification line five"), 24, std::string(300, 'c'));
  e->env.names_text = names;
  auto out = run_input(*e, standard_header());
  const std::string indent(30, ' ');
  EXPECT_NE(out.report.find("\n" + indent + std::string(255, 'a') + "\n"), std::string::npos);
  EXPECT_NE(out.report.find("\n" + indent + std::string(255, 'b') + "\n"), std::string::npos);
  EXPECT_NE(out.report.find("Identification Line: " + std::string(255, 'c') + "\n"),
            std::string::npos);
  EXPECT_NE(out.report.find("Identification Word: " + std::string(256, 'w') + "\n"),
            std::string::npos);
}

TEST(RunFrame, TabInNamesFileActsAsABlank) {
  auto e = testing::make_test_engine();
  std::string names = testing::test_names_text();
  names.replace(names.find("WORD4"), 5, "FIRST\tsecond");
  e->env.names_text = names;
  auto out = run_input(*e, standard_header());
  EXPECT_NE(out.report.find("Identification Word: FIRST\n"), std::string::npos);
}

TEST(RunFrame, HeaderEndingEarlyIsReportedWithTheItem) {
  auto out = run_input("HEADER\n50 50 50\n");
  EXPECT_NE(out.report.find("****  ERROR - HD01  ****     Header Item: Reinforcement Placement"),
            std::string::npos);
  EXPECT_NE(out.trace.find("HD01"), std::string::npos);
  EXPECT_NE(out.report.find("EXECUTION OF SCARPEX ABORTED"), std::string::npos);
  EXPECT_EQ(out.plot, "END\n");
}

TEST(RunFrame, UnreadableHeaderValue) {
  auto out = run_input("HEADER\n50 50 50 0 0 1\n0.0001 abc 0.001 0.001\n");
  EXPECT_NE(out.report.find("HD02  ****     Header Item: Spencer Moment Tolerance"),
            std::string::npos);
}

TEST(RunFrame, HeaderValuesRunOverLinesAndTakeCommasAndRealsWithoutPoint) {
  auto out = run_input("HEADER\n50,50\n50 0\n0 1 extra\n1 2 3 4\nFRAME\n1 2 3\n1 2.5e1 3 4 5 6\n");
  EXPECT_EQ(out.plot,
            "    1    2    3\n       1.000      25.000       3.000       4.000       5.000       "
            "6.000\nEND\n");
}

TEST(RunFrame, EmptyInputEndsAtTheFirstKeyword) {
  auto out = run_input("");
  EXPECT_EQ(out.result, 0);
  EXPECT_EQ(out.plot, "END\n");
}

TEST(RunFrame, ShortNamesFileIsAFailureCode) {
  auto e = testing::make_test_engine();
  e->env.names_text = "only\nthree\nlines\n";
  auto out = run_input(*e, standard_header());
  EXPECT_EQ(out.result, 1);
}

TEST(RunFrame, SecondCallStartsFromStartUpSettingsAndKeepsTheRest) {
  auto e = testing::make_test_engine();
  run_input(*e, standard_header() + "SPENCR\n20.\n");
  EXPECT_EQ(e->model.spencer_method, 1);
  e->model.soil_given = 1;  // as a SOIL command would leave it
  e->rng.state = 3763;
  e->rng.draws = 1;
  auto second = run_input(*e, standard_header() + "EXECUT\n");
  EXPECT_EQ(e->model.spencer_method, 0);           // start-up setting
  EXPECT_FLOAT_EQ(e->model.spencer_value, 20.0f);  // kept
  EXPECT_EQ(e->rng.draws, 1);                      // kept
  // With soil given by the first run, EXECUT without a surface ends through stop_run.
  EXPECT_EQ(second.report.find("SQ02"), std::string::npos);
  EXPECT_EQ(second.plot.substr(second.plot.size() - 4), "END\n");
}

TEST(LibraryEntry, TwoCallsThroughDaroziShareTheLibraryState) {
  RunFolder folder;
  std::string names = testing::test_names_text();
  folder.write("names.dat", names);
  folder.write("input.dat", standard_header() + "SPENCR\n45.\n");
  EXPECT_EQ(DAROZI(0, 0), 0);
  EXPECT_FLOAT_EQ(library_engine().model.spencer_value, 45.0f);
  EXPECT_EQ(folder.read("plot.plt").substr(0, 15), "    0    0    0");
  folder.write("input.dat", standard_header());
  EXPECT_EQ(DAROZI(1, 2), 0);
  EXPECT_EQ(library_engine().model.spencer_method, 0);
  EXPECT_FLOAT_EQ(library_engine().model.spencer_value, 45.0f);
  EXPECT_NE(folder.read("report.out")
                .find("Path to file locations      : " + folder.path().string() + "/"),
            std::string::npos);
}

TEST(LibraryEntry, MissingNamesFileOrInputFileGiveFailureCodes) {
  RunFolder folder;
  EXPECT_EQ(DAROZI(0, 0), 1);
  folder.write("names.dat", testing::test_names_text());
  EXPECT_EQ(DAROZI(0, 0), 2);  // input.dat does not exist
  EXPECT_NE(folder.read("trace.trc").find("input.dat"), std::string::npos);
}

TEST(LibraryEntry, SharedLibraryExportsDaroziOnly) {
  void* library = dlopen(SCARPEX_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  EXPECT_NE(dlsym(library, "DAROZI"), nullptr);
  EXPECT_EQ(dlsym(library, "_ZN7scarpex10run_engineERNS_6EngineE"), nullptr);
  dlclose(library);
  std::string command =
      std::string("nm -D --defined-only ") + SCARPEX_LIBRARY_PATH + " | awk '{print $3}'";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string symbols;
  char buffer[256];
  while (fgets(buffer, sizeof buffer, pipe) != nullptr) symbols += buffer;
  pclose(pipe);
  EXPECT_EQ(symbols, "DAROZI\n");
}

}  // namespace
}  // namespace scarpex
