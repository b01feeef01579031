// Run files on disk: outputs that cannot be written, inputs that are not regular files, names
// that lead to one file, and what one engine instance carries from one run to the next.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <new>
#include <string>

#include "core/text_sink.h"
#include "run/run_files.h"
#include "run/run_sequence.h"
#include "test_engine.h"

namespace scarpex {
namespace {

namespace fs = std::filesystem;
using testing::read_text_file;
using testing::standard_header;

// names.dat naming the input and the four outputs; the banner lines are fixed.
std::string names_for(const std::string& input, const std::string& report, const std::string& plot,
                      const std::string& trace, const std::string& status) {
  return "TEST 1.0\nline two\nline three\nWORD4\nline five\nTest Engineer\n" + input + "\n" +
         input + "\n" + report + "\n" + plot + "\n" + trace + "\nunused\n" + status + "\n";
}

// A scratch folder with an engine whose run files are real files in it.
class DiskRun {
 public:
  DiskRun() {
    folder_ = fs::temp_directory_path() /
              ("scarpex_safety_" + std::to_string(::getpid()) + "_" + std::to_string(counter_++));
    fs::create_directories(folder_);
    engine_ = testing::make_test_engine();
    engine_->env.in_memory = false;
    engine_->env.run_folder = folder_.string();
  }
  ~DiskRun() {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  void write(const std::string& name, const std::string& text) const {
    std::ofstream(folder_ / name, std::ios::binary) << text;
  }
  std::string read(const std::string& name) const {
    return read_text_file((folder_ / name).string());
  }
  bool exists(const std::string& name) const { return fs::exists(folder_ / name); }
  void names(const std::string& input, const std::string& report, const std::string& plot,
             const std::string& trace, const std::string& status) const {
    write("names.dat", names_for(input, report, plot, trace, status));
  }
  // Runs the engine and keeps what it said on standard error.
  int32_t run() {
    ::testing::internal::CaptureStderr();
    engine_->console.use_memory();
    int32_t result = run_engine(*engine_);
    errors_ = ::testing::internal::GetCapturedStderr();
    return result;
  }
  const std::string& errors() const { return errors_; }
  const fs::path& folder() const { return folder_; }

 private:
  static inline int counter_ = 0;
  fs::path folder_;
  std::unique_ptr<Engine> engine_;
  std::string errors_;
};

bool have_full_device() {
  return fs::is_character_file("/dev/full") && fs::is_character_file("/dev/null");
}

std::string example_input() {
  return read_text_file(std::string(SCARPEX_TEST_DATA) + "/../../examples/layered_slope.dat");
}

TEST(WriteFailure, ASinkThatFailsDropsTheRestAndSaysSoUntilReopened) {
  if (!have_full_device()) GTEST_SKIP() << "no /dev/full here";
  TextSink sink;
  ASSERT_TRUE(sink.open_file("/dev/full"));
  sink.line("first");
  sink.flush();
  EXPECT_TRUE(sink.write_failed());
  EXPECT_EQ(sink.write_error(), ENOSPC);
  sink.line("second");
  EXPECT_FALSE(sink.close());
  EXPECT_TRUE(sink.write_failed());  // still known after the close
  ASSERT_TRUE(sink.open_file("/dev/null"));
  EXPECT_FALSE(sink.write_failed());
  sink.line("third");
  EXPECT_TRUE(sink.close());
}

TEST(WriteFailure, AFullReportFinishesTheRunNamesTheFileAndReturnsItsCode) {
  if (!have_full_device()) GTEST_SKIP() << "no /dev/full here";
  DiskRun run;
  run.write("slope.dat", example_input());
  run.names("slope.dat", "/dev/full", "slope.plt", "slope.trc", "slope.sts");
  EXPECT_EQ(run.run(), kOutputWriteFailure);
  EXPECT_NE(run.errors().find("cannot write the report file /dev/full (No space left on device)"),
            std::string::npos);
  // The rest of the run went on: the plot file is whole and the trace file says what was lost.
  std::string plot = run.read("slope.plt");
  EXPECT_EQ(plot.substr(plot.size() - 4), "END\n");
  EXPECT_NE(run.read("slope.trc").find("cannot write the report file /dev/full"),
            std::string::npos);
}

TEST(WriteFailure, EveryFailedOutputIsNamedAndAFailedTraceIsSaidOnStandardErrorOnly) {
  if (!have_full_device()) GTEST_SKIP() << "no /dev/full here";
  DiskRun run;
  run.write("slope.dat", example_input());
  run.names("slope.dat", "slope.out", "/dev/full", "/dev/full", "/dev/full");
  EXPECT_EQ(run.run(), kOutputWriteFailure);
  for (const char* role : {"plot file", "trace file", "status file"}) {
    EXPECT_NE(run.errors().find(std::string("cannot write the ") + role + " /dev/full"),
              std::string::npos)
        << role;
  }
  EXPECT_EQ(testing::count_of(run.errors(), "cannot write"), 3);
  EXPECT_NE(run.read("slope.out").find("Factor Of Safety"), std::string::npos);
}

TEST(WriteFailure, OutputsOnADeviceThatTakesEverythingAreAnOrdinaryRun) {
  if (!have_full_device()) GTEST_SKIP() << "no /dev/null here";
  DiskRun run;
  run.write("slope.dat", example_input());
  run.names("slope.dat", "/dev/null", "/dev/null", "/dev/null", "/dev/null");
  EXPECT_EQ(run.run(), kRunCompleted);
  EXPECT_EQ(run.errors(), "");
}

TEST(InputFile, ADirectoryOrDeviceIsNotAnInputFile) {
  DiskRun run;
  fs::create_directory(run.folder() / "folder.dat");
  run.names("folder.dat", "out.rpt", "out.plt", "out.trc", "out.sts");
  EXPECT_EQ(run.run(), kRunFileFailure);
  EXPECT_NE(run.errors().find("folder.dat (it is not a regular file)"), std::string::npos);
  EXPECT_NE(run.read("out.trc").find("folder.dat (it is not a regular file)"), std::string::npos);
  EXPECT_EQ(run.read("out.rpt"), "");  // no empty run was made

  if (fs::is_character_file("/dev/null")) {
    run.names("/dev/null", "out.rpt", "out.plt", "out.trc", "out.sts");
    EXPECT_EQ(run.run(), kRunFileFailure);
  }
  run.names("missing.dat", "out.rpt", "out.plt", "out.trc", "out.sts");
  EXPECT_EQ(run.run(), kRunFileFailure);
  EXPECT_NE(run.errors().find("missing.dat (it does not exist)"), std::string::npos);
}

TEST(InputFile, ANamesFileThatIsADirectoryIsNotRead) {
  DiskRun run;
  fs::create_directory(run.folder() / "names.dat");
  EXPECT_EQ(run.run(), kNamesFileFailure);
  EXPECT_NE(run.errors().find("it is not a regular file"), std::string::npos);
}

TEST(InputFile, AnInputThatCannotBeReadIsRefused) {
  if (::geteuid() == 0) GTEST_SKIP() << "every file is readable to root";
  DiskRun run;
  run.write("locked.dat", standard_header());
  ::chmod((run.folder() / "locked.dat").c_str(), 0);
  run.names("locked.dat", "out.rpt", "out.plt", "out.trc", "out.sts");
  EXPECT_EQ(run.run(), kRunFileFailure);
  EXPECT_NE(run.errors().find("locked.dat (Permission denied)"), std::string::npos);
}

// Each case names one file twice; the run must refuse before any file is created or truncated.
struct Clash {
  const char* description;
  const char* input;
  const char* report;
  const char* plot;
  const char* lines;  // the two lines of names.dat the message names
};

class RunFileClash : public ::testing::TestWithParam<Clash> {};

TEST_P(RunFileClash, IsRefusedBeforeAnyFileIsTouched) {
  const Clash& clash = GetParam();
  DiskRun run;
  fs::create_directory(run.folder() / "sub");
  run.write("slope.dat", standard_header());
  run.write("old.plt", "an earlier plot\n");
  run.names(clash.input, clash.report, clash.plot, "out.trc", "out.sts");
  EXPECT_EQ(run.run(), kRunFileFailure);
  EXPECT_NE(run.errors().find(clash.lines), std::string::npos) << run.errors();
  EXPECT_NE(run.errors().find("name the same file"), std::string::npos);
  EXPECT_EQ(run.read("slope.dat"), standard_header());
  EXPECT_EQ(run.read("old.plt"), "an earlier plot\n");
  EXPECT_FALSE(run.exists("out.trc"));
  EXPECT_FALSE(run.exists("out.sts"));
  EXPECT_FALSE(run.exists("new.rpt"));
}

INSTANTIATE_TEST_SUITE_P(
    Names, RunFileClash,
    ::testing::Values(Clash{"ReportOverInput", "slope.dat", "slope.dat", "old.plt",
                            "line 8 (input data file) "
                            "and names.dat line 9"},
                      Clash{"ReportOverInputByAnotherSpelling", "slope.dat", "sub/../slope.dat",
                            "old.plt", "line 8 (input data file) and names.dat line 9"},
                      Clash{"PlotOverInputNotYetExisting", "none.dat", "new.rpt", "./none.dat",
                            "line 8 (input data file) and names.dat line 10"},
                      Clash{"ReportAndPlotInOneFile", "slope.dat", "old.plt", "old.plt",
                            "line 9 (report file) and names.dat line 10"},
                      Clash{"ReportOverNamesFile", "slope.dat", "names.dat", "old.plt",
                            "names.dat itself and names.dat line 9"}),
    [](const ::testing::TestParamInfo<Clash>& info) { return info.param.description; });

TEST(RunFileClashes, LinksToOneFileAreOneFile) {
  DiskRun run;
  run.write("slope.dat", standard_header());
  fs::create_symlink(run.folder() / "slope.dat", run.folder() / "soft.out");
  fs::create_hard_link(run.folder() / "slope.dat", run.folder() / "hard.plt");
  run.names("slope.dat", "soft.out", "hard.plt", "out.trc", "out.sts");
  EXPECT_EQ(run.run(), kRunFileFailure);
  EXPECT_NE(run.errors().find("line 8 (input data file) and names.dat line 9"), std::string::npos);
  EXPECT_NE(run.errors().find("line 8 (input data file) and names.dat line 10"), std::string::npos);
  EXPECT_NE(run.errors().find("line 9 (report file) and names.dat line 10"), std::string::npos);
  EXPECT_EQ(run.read("slope.dat"), standard_header());
}

TEST(RunFileClashes, DistinctFilesRunAndReplaceEarlierOutputs) {
  DiskRun run;
  run.write("slope.dat", standard_header());
  std::string earlier;
  for (int i = 0; i < 5000; ++i) earlier += "EARLIER REPORT\n";
  run.write("out.rpt", earlier);
  run.names("slope.dat", "out.rpt", "out.plt", "out.trc", "out.sts");
  EXPECT_EQ(run.run(), kRunCompleted);
  EXPECT_EQ(run.read("out.rpt").rfind("     =====", 0), 0u);
  EXPECT_EQ(run.read("out.rpt").find("EARLIER"), std::string::npos);
  EXPECT_EQ(run.read("out.plt").substr(run.read("out.plt").size() - 4), "END\n");
}

// Start-up clears only the run flags: the reinforcement of one file acts on the next file run
// in the same engine, even after its PROFIL. Hosts that run several files in one process rely
// on knowing this, so a change here must be a deliberate one.
TEST(CarriedState, ReinforcementOfOneRunActsOnTheNextFile) {
  std::string reinforced =
      read_text_file(std::string(SCARPEX_TEST_DATA) + "/whole_reinf_janbu_rf09/input.dat");
  auto fresh = testing::run_input(example_input());
  auto e = testing::make_test_engine();
  testing::run_input(*e, reinforced);
  ASSERT_EQ(e->model.reinf_given, 1);
  auto after = testing::run_input(*e, example_input());
  const std::string fos_line = "Factor Of Safety For The Preceding Specified Surface =";
  auto fos_of = [&](const std::string& report) {
    auto at = report.find(fos_line);
    return at == std::string::npos ? std::string() : report.substr(at + fos_line.size(), 7);
  };
  EXPECT_EQ(fos_of(fresh.report), "  1.923");
  EXPECT_EQ(fos_of(after.report), "  2.019");
  EXPECT_EQ(after.result, 0);
}

TEST(CarriedState, SoilTableAndProfileDependentDataOutliveTheRun) {
  auto e = testing::make_test_engine();
  testing::run_input(*e, example_input());
  ASSERT_EQ(e->model.piezo_count, 1);
  // A second file without PROFIL or SOIL still has the first file's soils and water table.
  auto second = testing::run_input(*e, standard_header() + "EXECUT\n");
  EXPECT_EQ(e->model.soil_given, 1);
  EXPECT_EQ(e->model.soil_count, 2);
  EXPECT_EQ(e->model.piezo_count, 1);
  EXPECT_EQ(second.report.find("SQ02"), std::string::npos);
  // PROFIL clears the water table but not the soils.
  testing::run_input(*e, standard_header() + "PROFIL\nTITLE\n1 1 2\n0. 10. 50. 10. 1\n");
  EXPECT_EQ(e->model.piezo_count, 0);
  EXPECT_EQ(e->model.soil_count, 2);
}

Engine& engine_that_cannot_be_made() {
  throw std::bad_alloc();
}

TEST(LibraryCall, AFailureToMakeTheEngineIsAReturnCode) {
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(run_guarded(engine_that_cannot_be_made), kInternalFailure);
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("INTERNAL ERROR"), std::string::npos);
}

}  // namespace
}  // namespace scarpex
