#include "batch.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <thread>

#include "file_reading.h"
#include "number_text.h"
#include "progress.h"

extern char** environ;

namespace scarpex_host {

namespace fs = std::filesystem;
using json = nlohmann::ordered_json;

namespace {

constexpr int kExitAllCompleted = 0;
constexpr int kExitSomeNotCompleted = 1;
constexpr int kExitNoBatch = 2;
constexpr auto kTickInterval = std::chrono::milliseconds(200);
constexpr std::uintmax_t kLogCap = 1 << 20;

struct Job {
  std::string input;
  fs::path folder;
  pid_t pid = -1;
  // After the run:
  std::string outcome = "not run";  // completed, aborted, failed, crashed
  std::string method, message;
  std::optional<double> fos;
  int exit_status = -1;
  json results;  // the child's JSON document, or null
};

fs::path self_path() {
  std::error_code error;
  fs::path self = fs::read_symlink("/proc/self/exe", error);
  return error ? fs::path("scarpex") : self;
}

// A folder of its own for every input, named after it: two runs never share names.dat.
std::vector<Job> plan_jobs(const HostOptions& options, const fs::path& out) {
  std::vector<Job> jobs;
  std::set<std::string> used;
  for (const std::string& input : options.batch_inputs) {
    std::string stem = fs::path(input).stem().string();
    if (stem.empty()) stem = "run";
    std::string name = stem;
    for (int k = 2; used.count(name) != 0; ++k) name = stem + "-" + std::to_string(k);
    used.insert(name);
    Job job;
    job.input = input;
    job.folder = out / name;
    jobs.push_back(std::move(job));
  }
  return jobs;
}

// Starts the run of one input in a child process, whose searches use `threads` threads.
bool start(Job& job, const fs::path& self, const HostOptions& options, int threads) {
  std::error_code error;
  fs::create_directories(job.folder, error);
  if (error) {
    job.outcome = "failed";
    job.message = "cannot make " + job.folder.string() + ": " + error.message();
    return false;
  }
  std::vector<std::string> args = {self.string(), job.input,
                                   "--out",       job.folder.string(),
                                   "--json",      (job.folder / "result.json").string()};
  if (!options.library.empty()) {
    args.push_back("--library");
    args.push_back(options.library);
  }
  args.push_back("--threads");
  args.push_back(std::to_string(threads));
  fs::remove(job.folder / "result.json", error);
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  std::string log = (job.folder / "host.log").string();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  int failed = posix_spawn(&job.pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (failed != 0) {
    job.outcome = "failed";
    job.message = std::string("cannot start a run: ") + std::strerror(failed);
    job.pid = -1;
    return false;
  }
  return true;
}

// The last "scarpex: ..." line of the child's output says why it failed.
std::string failure_message(const Job& job) {
  FileText log = read_regular_file(job.folder / "host.log", kLogCap);
  std::string message;
  if (!log.text) return message;
  std::size_t pos = 0;
  while (pos < log.text->size()) {
    std::size_t end = log.text->find('\n', pos);
    if (end == std::string::npos) end = log.text->size();
    std::string line = log.text->substr(pos, end - pos);
    if (line.rfind("scarpex: ", 0) == 0) message = line.substr(9);
    pos = end + 1;
  }
  return message;
}

void finish(Job& job, int status) {
  FileText document = read_regular_file(job.folder / "result.json", kResultsFileCap);
  if (document.text) {
    json parsed = json::parse(*document.text, nullptr, false);
    if (!parsed.is_discarded()) job.results = std::move(parsed);
  }
  if (job.results.is_object()) {
    const json& summary = job.results["summary"];
    if (summary["method"].is_string()) job.method = summary["method"].get<std::string>();
    if (summary["factor_of_safety"].is_number())
      job.fos = summary["factor_of_safety"].get<double>();
  }
  if (WIFSIGNALED(status)) {
    job.outcome = "crashed";
    job.message = std::string("signal ") + std::to_string(WTERMSIG(status)) + " (" +
                  strsignal(WTERMSIG(status)) + ")";
    return;
  }
  job.exit_status = WEXITSTATUS(status);
  if (job.exit_status == 2 || !job.results.is_object()) {
    job.outcome = "failed";
    job.message = failure_message(job);
    return;
  }
  job.outcome =
      job.results["outcome"].is_string() ? job.results["outcome"].get<std::string>() : "failed";
  if (job.outcome != "completed") job.message = failure_message(job);
}

std::string line_of(const Job& job) {
  std::string line = job.input + ": " + job.outcome;
  if (job.fos) line += ", FOS " + fixed_text(*job.fos, 3);
  if (!job.method.empty()) line += " (" + job.method + ")";
  if (!job.message.empty()) line += " - " + job.message;
  return line;
}

void print_table(const std::vector<Job>& jobs) {
  std::size_t width = 4;
  for (const Job& job : jobs) width = std::max(width, job.input.size());
  auto pad = [](std::string text, std::size_t w) {
    text.resize(std::max(text.size(), w), ' ');
    return text;
  };
  std::cout << pad("File", width) << "  " << pad("Method", 15) << "  " << pad("FOS", 8)
            << "  Outcome\n";
  for (const Job& job : jobs) {
    std::string fos = job.fos ? fixed_text(*job.fos, 3) : "-";
    std::cout << pad(job.input, width) << "  " << pad(job.method.empty() ? "-" : job.method, 15)
              << "  " << pad(std::string(8 - std::min<std::size_t>(8, fos.size()), ' ') + fos, 8)
              << "  " << job.outcome << (job.message.empty() ? "" : ": " + job.message) << "\n";
  }
}

bool write_jsonl(const std::string& path, const std::vector<Job>& jobs) {
  std::ofstream file(path, std::ios::binary);
  for (const Job& job : jobs) {
    json line = {{"input", job.input},     {"folder", job.folder.string()},
                 {"outcome", job.outcome}, {"exit_status", job.exit_status},
                 {"message", job.message}, {"results", job.results}};
    file << line.dump(-1, ' ', false, json::error_handler_t::replace) << "\n";
  }
  file.close();
  return static_cast<bool>(file);
}

}  // namespace

int run_batch(const HostOptions& options) {
  fs::path out = options.output_dir.empty() ? fs::path(".") : fs::path(options.output_dir);
  std::error_code error;
  out = fs::absolute(out, error);
  fs::create_directories(out, error);
  if (error || !fs::is_directory(out)) {
    std::cerr << "scarpex: batch: cannot use the folder " << out.string() << "\n";
    return kExitNoBatch;
  }
  unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  std::size_t parallel = options.jobs > 0 ? static_cast<std::size_t>(options.jobs) : cores;
  std::vector<Job> jobs = plan_jobs(options, out);
  // The cores are shared among the runs that go on at once.
  const std::size_t at_once = std::max<std::size_t>(1, std::min(parallel, jobs.size()));
  const int threads = options.threads > 0
                          ? options.threads
                          : static_cast<int>(std::max<std::size_t>(1, cores / at_once));
  fs::path self = self_path();
  bool terminal = ::isatty(STDERR_FILENO) == 1;
  Progress progress(static_cast<int>(jobs.size()), terminal);
  std::map<pid_t, std::size_t> running;
  std::size_t next = 0;
  while (next < jobs.size() || !running.empty()) {
    while (next < jobs.size() && running.size() < parallel) {
      Job& job = jobs[next++];
      if (start(job, self, options, threads)) {
        running[job.pid] = static_cast<std::size_t>(&job - jobs.data());
      } else {
        progress.finished(line_of(job), false);
      }
    }
    if (running.empty()) continue;
    int status = 0;
    // On a terminal the bar's clock goes on while runs last; otherwise just wait.
    pid_t pid = ::waitpid(-1, &status, terminal ? WNOHANG : 0);
    if (pid == 0) {
      std::this_thread::sleep_for(kTickInterval);
      progress.tick();
      continue;
    }
    if (pid < 0) break;  // no children left to wait for
    auto found = running.find(pid);
    if (found == running.end()) continue;
    Job& job = jobs[found->second];
    running.erase(found);
    finish(job, status);
    progress.finished(line_of(job), job.outcome == "completed");
  }
  progress.close();
  print_table(jobs);
  bool all =
      std::all_of(jobs.begin(), jobs.end(), [](const Job& j) { return j.outcome == "completed"; });
  if (!options.jsonl_file.empty() && !write_jsonl(options.jsonl_file, jobs)) {
    std::cerr << "scarpex: batch: cannot write " << options.jsonl_file << "\n";
    return kExitNoBatch;
  }
  std::cout << std::count_if(jobs.begin(), jobs.end(),
                             [](const Job& j) { return j.outcome == "completed"; })
            << " of " << jobs.size() << " files completed\n";
  return all ? kExitAllCompleted : kExitSomeNotCompleted;
}

}  // namespace scarpex_host
