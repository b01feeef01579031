// The host used carelessly or with ill intent: products that would replace the run's own
// files, runs sharing a folder, a batch stopped by a signal, searches too big for memory, and
// texts that are not what they should be. Concurrency and signals are synchronised on files.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <nlohmann/json.hpp>
#include <thread>

#include "host_test_support.h"
#include "results/trial_sample.h"
#include "run/run_names.h"
#include "views/number_text.h"

extern char** environ;

namespace scarpex_host::testing {
namespace {

namespace fs = std::filesystem;
using json = nlohmann::json;

constexpr auto kPatience = std::chrono::seconds(120);

// Waits until `ready` holds, looking every 20 ms; false when it never did.
bool until(const std::function<bool()>& ready) {
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  while (!ready()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

// The host started in the background, its standard output and error in files.
struct Background {
  pid_t pid = -1;
  fs::path out, err;
  int wait() const {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
};

Background start_scarpex(std::vector<std::string> args, const fs::path& base) {
  Background b{-1, base.string() + ".out", base.string() + ".err"};
  args.insert(args.begin(), SCARPEX_HOST_PATH);
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, b.out.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, b.err.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn(&b.pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return b;
}

// Whether a process other than this one has `text` in its command line.
bool process_running_with(const std::string& text) {
  std::error_code error;
  for (const auto& entry : fs::directory_iterator("/proc", error)) {
    const std::string pid = entry.path().filename().string();
    if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
    if (std::stoi(pid) == ::getpid()) continue;
    std::string command = read_file(entry.path() / "cmdline");
    std::replace(command.begin(), command.end(), '\0', ' ');
    if (command.find(text) != std::string::npos) return true;
  }
  return false;
}

// Products and paths: nothing the run needs is replaced, and a product is whole or absent.
TEST(HostileUse, ProductsNeverReplaceTheRunsFilesAndAreWholeOrAbsent) {
  TempFolder folder("products");
  const fs::path input = folder / "slope.dat";
  const std::string slope = read_file(kExamples / "layered_slope.dat");
  write_file(input, slope);
  fs::create_hard_link(input, folder / "alias.dat");
  write_file(folder / "names.dat", slope);
  const std::string in = quoted(input.string());
  struct Case {
    const char* name;
    std::string arguments;
    const char* said;
  } cases[] = {
      {"the input", in + " --json " + in, "it is the input file"},
      {"the input by another name (a hard link)",
       in + " --svg " + quoted((folder / "alias.dat").string()), "it is the input file"},
      {"the report", in + " --html " + quoted((folder / "slope.out").string()), "it is the report"},
      {"names.dat", in + " --json " + quoted((folder / "names.dat").string()), "names.dat"},
      {"one file for two products", in + " --svg x.svg --html x.svg", "twice"},
      {"an empty product path", in + " --svg ''", "needs a value"},
      {"an empty run folder", in + " --out ''", "needs a value"},
      {"an input named names.dat", quoted((folder / "names.dat").string()), "names.dat"},
      {"an identification word with both quotes", in + " --id-word \"a'b\\\"c\"", "both quote"},
  };
  for (const Case& c : cases) {
    HostRun run = run_scarpex(c.arguments + kLibrary, folder.path());
    EXPECT_EQ(run.status, 2) << c.name;
    EXPECT_NE(run.err.find(c.said), std::string::npos) << c.name << ": " << run.err;
    EXPECT_EQ(run.out.find("Wrote"), std::string::npos) << c.name;
    EXPECT_EQ(read_file(input), slope) << c.name;
    EXPECT_EQ(read_file(folder / "names.dat"), slope) << c.name;
  }
  // A device that cannot take the document, and a product cut short by the file size limit
  // (as by a full disk): exit status 2, nothing left behind, no "Wrote".
  const std::string to_full =
      quoted(SCARPEX_HOST_PATH) + " " + in + " --json -" + kLibrary + " > /dev/full 2> /dev/null";
  EXPECT_EQ(WEXITSTATUS(std::system(to_full.c_str())), 2);
  copy_golden_outputs("search_circle_janbu_layered_water", folder.path());
  const fs::path document = folder / "cut.json";
  const std::string limited = "bash -c \"ulimit -f 8; trap '' XFSZ; " +
                              std::string(SCARPEX_HOST_PATH) + " --names " +
                              (folder / "names.dat").string() + " --no-run --json " +
                              document.string() + " > " + (folder / "cut.out").string() + "\"";
  const int status = std::system(limited.c_str());
  EXPECT_EQ(WEXITSTATUS(status), 2) << read_file(folder / "cut.out");
  EXPECT_FALSE(fs::exists(document));
  for (const auto& entry : fs::directory_iterator(folder.path()))
    EXPECT_EQ(entry.path().filename().string().find(".cut.json"), std::string::npos);
  EXPECT_EQ(read_file(folder / "cut.out").find("Wrote"), std::string::npos);
}

// Concurrency: a run waits while another holds its folder, and writes nothing meanwhile.
TEST(HostileUse, ARunWaitsForTheRunThatHoldsItsFolder) {
  TempFolder folder("shared");
  fs::copy_file(kExamples / "layered_slope.dat", folder / "slope.dat");
  // Not inherited by the host: an inherited lock would be the host's own.
  const int lock =
      ::open((folder / ".scarpex-run.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  ASSERT_EQ(::flock(lock, LOCK_EX), 0);
  Background host = start_scarpex(
      {(folder / "slope.dat").string(), "--library", SCARPEX_LIBRARY_PATH}, folder / "host");
  ASSERT_TRUE(until([&] { return read_file(host.err).find("waiting") != std::string::npos; }));
  EXPECT_FALSE(fs::exists(folder / "names.dat"));
  EXPECT_FALSE(fs::exists(folder / "slope.out"));
  ::close(lock);  // the other run ends
  EXPECT_EQ(host.wait(), 0);
  EXPECT_NE(read_file(host.out).find("Factor of safety: 1.923"), std::string::npos);
}

// Signals: a batch stopped by SIGTERM stops its running child with all it started, keeps the
// lines of the files that finished and says what finished.
TEST(HostileUse, AStoppedBatchLeavesNoRunBehindAndSaysWhatFinished) {
  TempFolder folder("signal");
  const std::string circles = read_file(kExamples / "circle_search.dat");
  write_file(folder / "quick1.dat", circles);
  write_file(folder / "quick2.dat", circles);
  std::string endless = circles;
  endless.replace(endless.find("10 50\n"), 6, "100 20000\n");  // two million trials
  write_file(folder / "endless.dat", endless);
  const fs::path out = folder / "runs";
  Background batch = start_scarpex(
      {"batch", (folder / "quick1.dat").string(), (folder / "quick2.dat").string(),
       (folder / "endless.dat").string(), "--jobs", "1", "--out", out.string(), "--jsonl",
       (folder / "lines.jsonl").string(), "--library", SCARPEX_LIBRARY_PATH},
      folder / "batch");
  // The endless run is under way once its engine writes its trials.
  ASSERT_TRUE(until([&] {
    return fs::exists(out / "endless" / "endless.sts") &&
           fs::file_size(out / "endless" / "endless.sts") > 1000;
  }));
  ::kill(batch.pid, SIGTERM);
  EXPECT_EQ(batch.wait(), 1);
  const std::string said = read_file(batch.out);
  EXPECT_NE(said.find("2 of 3 files completed; the batch was stopped by signal 15"),
            std::string::npos)
      << said;
  EXPECT_TRUE(fs::exists(out / "endless" / "INTERRUPTED"));
  EXPECT_FALSE(fs::exists(out / "endless" / "result.json"));
  EXPECT_FALSE(process_running_with((folder / "endless.dat").string()))
      << "a run of the stopped batch goes on";
  std::vector<std::string> outcomes;
  std::istringstream lines(read_file(folder / "lines.jsonl"));
  for (std::string line; std::getline(lines, line);)
    outcomes.push_back(json::parse(line)["outcome"]);
  EXPECT_EQ(outcomes, (std::vector<std::string>{"completed", "completed", "interrupted"}));
}

// Big searches: a search's trials are kept in bounded memory, the most critical always.
TEST(HostileUse, ASearchTooBigForMemoryKeepsASampleAndItsMostCriticalTrials) {
  constexpr std::size_t kBudget = 200'000;
  TrialSample sample(kBudget);
  for (int t = 1; t <= 20'000; ++t) {
    TrialSurface trial;
    trial.trial = t;
    trial.solution_status = t % 7 == 0 ? 2 : 1;
    trial.factor_of_safety = 1.0 + ((t * 7919) % 20'000) / 10'000.0;  // each once
    trial.points.resize(100);
    sample.add(std::move(trial));
  }
  EXPECT_EQ(sample.records(), 20'000);
  EXPECT_TRUE(sample.sampled());
  std::vector<TrialSurface> kept = sample.take();
  std::size_t points = 0;
  for (const TrialSurface& t : kept) points += t.points.size();
  EXPECT_LE(points, kBudget + TrialSample::kMostCritical * 100);
  EXPECT_TRUE(std::is_sorted(kept.begin(), kept.end(),
                             [](const auto& a, const auto& b) { return a.trial < b.trial; }));
  // The 200 converged trials of lowest factor are all there.
  std::vector<double> lowest;
  for (int t = 1; t <= 20'000; ++t) {
    if (t % 7 != 0) lowest.push_back(1.0 + ((t * 7919) % 20'000) / 10'000.0);
  }
  std::sort(lowest.begin(), lowest.end());
  for (std::size_t k = 0; k < TrialSample::kMostCritical; ++k) {
    EXPECT_TRUE(std::any_of(kept.begin(), kept.end(), [&](const TrialSurface& t) {
      return t.factor_of_safety == lowest[k];
    })) << k;
  }
}

// Odd texts: what reaches a picture is well-formed XML; what reaches a terminal cannot steer
// it; what reaches names.dat is read back whole.
TEST(HostileUse, OddTextsInPicturesTerminalsAndNamesDat) {
  const std::pair<std::string, std::string> xml[] = {
      {"plain <&>", "plain &lt;&amp;&gt;"},
      {"\xC3\xA9t\xC3\xA9", "\xC3\xA9t\xC3\xA9"},  // two-byte letters kept
      {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},    // a four-byte character kept
      {"over\xC0\xAFlong", "over??long"},          // overlong '/'
      {"sur\xED\xA0\x80rogate", "sur???rogate"},   // U+D800
      {"not\xEF\xBF\xBE", "not???"},               // U+FFFE
      {"not\xEF\xBF\xBF", "not???"},               // U+FFFF
      {"beyond\xF4\x90\x80\x80", "beyond????"},    // U+110000
      {"cut\xE2\x82", "cut??"},                    // a sequence cut short
  };
  for (const auto& [text, escaped] : xml) EXPECT_EQ(xml_escape(text), escaped) << text;
  EXPECT_EQ(terminal_text("run\x1b[2J.dat"), "run\\x1b[2J.dat");
  EXPECT_EQ(terminal_text("a\xC2\x9B"
                          "b"),
            "a\\xc2\\x9bb");  // a C1 control: CSI
  EXPECT_EQ(terminal_text("\xC3\xA9t\xC3\xA9"), "\xC3\xA9t\xC3\xA9");
  EXPECT_EQ(quoted_identification_word("WORD"), "WORD");
  EXPECT_EQ(quoted_identification_word("TWO WORDS"), "'TWO WORDS'");
  EXPECT_EQ(quoted_identification_word("IT'S MINE"), "\"IT'S MINE\"");
  EXPECT_EQ(quoted_identification_word("'QUOTED"), "\"'QUOTED\"");
}

// A run that ends in the header's frame values, and a frame value too wide for its field:
// the error lines and the products still come, and the picture draws what it can.
TEST(HostileUse, AFrameThatCannotBeReadCostsNoOtherResult) {
  TempFolder folder("frame");
  write_file(folder / "abort.dat",
             "HEADER\n50 50 50 0 0 1\n0.0001 0.001 0.001 0.001\nFRAME\n0 0 0\n"
             "0. 1e300 0. 0. 0. 0.\nPROFIL\n");
  HostRun aborted = run_scarpex(
      quoted((folder / "abort.dat").string()) + " --json a.json --html a.html" + kLibrary,
      folder.path());
  EXPECT_EQ(aborted.status, 1) << aborted.err;
  EXPECT_EQ(json::parse(read_file(folder / "a.json"))["errors"][0]["code"], "HD02");
  EXPECT_TRUE(fs::exists(folder / "a.html"));

  std::string wide = read_file(kExamples / "circle_search.dat");
  wide.replace(wide.find("0. 0. 0. 0. 0. 0.\n"), 18, "0. 0. 0. 0. 100000000. 0.\n");
  write_file(folder / "wide.dat", wide);
  HostRun drawn =
      run_scarpex(quoted((folder / "wide.dat").string()) + " --json w.json --svg w.svg" + kLibrary,
                  folder.path());
  EXPECT_EQ(drawn.status, 0) << drawn.err;
  json doc = json::parse(read_file(folder / "w.json"));
  EXPECT_EQ(doc["warnings"][0]["code"], "frame-not-representable");
  EXPECT_FALSE(doc["summary"]["factor_of_safety"].is_null());
  EXPECT_EQ(read_file(folder / "w.svg").find("M- "), std::string::npos);
}

}  // namespace
}  // namespace scarpex_host::testing
