// `scarpex batch`: many files in child processes give the factors of single runs, a broken
// file is reported without stopping the others, and the bar appears only on a terminal.
#include <gtest/gtest.h>

#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>

#include <csignal>
#include <fstream>
#include <nlohmann/json.hpp>

#include "host_test_support.h"

namespace scarpex_host::testing {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

// Golden inputs whose runs complete, repeated to make up `count` files in `folder`.
std::vector<fs::path> completing_inputs(const fs::path& folder, int count) {
  const std::vector<std::string> cases = {"spencer_converged_metric", "whole_layered_english",
                                          "whole_all_six_commands",   "spencer_mirrored",
                                          "analysis_layered_slope",   "whole_layered_generic"};
  std::vector<fs::path> inputs;
  for (int i = 0; i < count; ++i) {
    fs::path input = folder / ("section" + std::to_string(i) + ".dat");
    fs::copy_file(golden_input(cases[static_cast<std::size_t>(i) % cases.size()]), input);
    inputs.push_back(input);
  }
  return inputs;
}

TEST(Batch, SameFactorsAsSingleRunsAndABrokenFileReported) {
  TempFolder folder("batch");
  std::vector<fs::path> inputs = completing_inputs(folder.path(), 19);
  fs::path broken = folder / "broken.dat";
  write_file(broken, "this is not an input file\n");
  inputs.insert(inputs.begin() + 7, broken);
  std::string arguments;
  for (const fs::path& input : inputs) arguments += " " + quoted(input.string());

  HostRun batch =
      run_scarpex("batch" + arguments + " --jobs 2 --out " + quoted((folder / "runs").string()) +
                  " --jsonl " + quoted((folder / "all.jsonl").string()) + kLibrary);
  EXPECT_EQ(batch.status, 1) << batch.err;  // not every file completed
  EXPECT_NE(batch.out.find("19 of 20 files completed"), std::string::npos) << batch.out;
  EXPECT_NE(batch.out.find(broken.string()), std::string::npos);

  std::ifstream lines(folder / "all.jsonl");
  std::string line;
  std::vector<json> records;
  while (std::getline(lines, line)) records.push_back(json::parse(line));
  ASSERT_EQ(records.size(), inputs.size());
  // A line is written as each file finishes; its index is its place among the inputs.
  std::sort(records.begin(), records.end(),
            [](const json& a, const json& b) { return a["index"] < b["index"]; });
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    ASSERT_EQ(records[i]["input"], inputs[i].string());
    if (inputs[i] == broken) {
      EXPECT_EQ(records[i]["outcome"], "aborted");
      EXPECT_NE(records[i]["results"]["summary"]["error_codes"].size(), 0u);
      continue;
    }
    EXPECT_EQ(records[i]["outcome"], "completed") << inputs[i];
    fs::path single_folder = folder / ("single" + std::to_string(i));
    HostRun single = run_scarpex(quoted(inputs[i].string()) + " --out " +
                                 quoted(single_folder.string()) + " --json -" + kLibrary);
    ASSERT_EQ(single.status, 0) << single.err;
    json alone = json::parse(single.out);
    EXPECT_EQ(records[i]["results"]["summary"]["factor_of_safety"],
              alone["summary"]["factor_of_safety"]);
    EXPECT_EQ(records[i]["results"]["summary"]["theta"], alone["summary"]["theta"]);
    ASSERT_EQ(records[i]["results"]["analyses"].size(), alone["analyses"].size());
    for (std::size_t a = 0; a < alone["analyses"].size(); ++a) {
      EXPECT_EQ(records[i]["results"]["analyses"][a]["surface"], alone["analyses"][a]["surface"]);
      EXPECT_EQ(records[i]["results"]["analyses"][a]["slices"], alone["analyses"][a]["slices"]);
    }
  }
}

TEST(Batch, MissingFileFailsAndAllCompletedExitsZero) {
  TempFolder folder("batch_exit");
  std::vector<fs::path> inputs = completing_inputs(folder.path(), 2);
  HostRun good =
      run_scarpex("batch " + quoted(inputs[0].string()) + " " + quoted(inputs[1].string()) +
                  " --out " + quoted((folder / "runs").string()) + kLibrary);
  EXPECT_EQ(good.status, 0) << good.err;
  // Not a terminal: a plain line per file and no bar.
  EXPECT_NE(good.err.find("[1/2] "), std::string::npos) << good.err;
  EXPECT_NE(good.err.find("[2/2] "), std::string::npos);
  EXPECT_EQ(good.err.find('\r'), std::string::npos);
  EXPECT_EQ(good.err.find("elapsed"), std::string::npos);

  HostRun missing = run_scarpex("batch " + quoted((folder / "none.dat").string()) + " --out " +
                                quoted((folder / "runs2").string()) + kLibrary);
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.out.find("failed: no input file"), std::string::npos) << missing.out;
}

TEST(Batch, AChildThatCrashesIsReported) {
  TempFolder folder("batch_crash");
  std::vector<fs::path> inputs = completing_inputs(folder.path(), 2);
  HostRun crash = run_scarpex(
      "batch " + quoted(inputs[0].string()) + " " + quoted(inputs[1].string()) + " --out " +
      quoted((folder / "runs").string()) + " --library " + quoted(SCARPEX_CRASHING_LIBRARY_PATH));
  EXPECT_EQ(crash.status, 1);
  EXPECT_NE(crash.out.find("crashed: signal " + std::to_string(SIGABRT)), std::string::npos)
      << crash.out;
  EXPECT_NE(crash.out.find("0 of 2 files completed"), std::string::npos) << crash.out;
}

// Runs the batch under a pseudo-terminal and returns all it printed there.
std::string run_on_terminal(const std::vector<std::string>& args) {
  int master = -1;
  pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
  if (pid == 0) {
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  std::string output;
  char buffer[4096];
  ssize_t n;
  while ((n = read(master, buffer, sizeof buffer)) > 0)
    output.append(buffer, static_cast<std::size_t>(n));
  int status = 0;
  waitpid(pid, &status, 0);
  close(master);
  return output;
}

TEST(Batch, ProgressBarOnATerminal) {
  TempFolder folder("batch_tty");
  std::vector<fs::path> inputs = completing_inputs(folder.path(), 3);
  std::string output = run_on_terminal(
      {SCARPEX_HOST_PATH, "batch", inputs[0].string(), inputs[1].string(), inputs[2].string(),
       "--jobs", "2", "--out", (folder / "runs").string(), "--library", SCARPEX_LIBRARY_PATH});
  EXPECT_NE(output.find("\r["), std::string::npos) << output;
  EXPECT_NE(output.find("] 3/3  elapsed "), std::string::npos) << output;
  EXPECT_EQ(output.find("[1/3] "), std::string::npos);  // no plain lines on a terminal
  EXPECT_NE(output.find("3 of 3 files completed"), std::string::npos);
}

}  // namespace
}  // namespace scarpex_host::testing
