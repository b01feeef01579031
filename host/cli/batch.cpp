#include "cli/batch.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <iostream>
#include <map>
#include <thread>

#include "cli/batch_job.h"
#include "cli/progress.h"
#include "views/atomic_file.h"
#include "views/number_text.h"

namespace scarpex_host {

namespace fs = std::filesystem;

namespace {

constexpr int kExitAllCompleted = 0;
constexpr int kExitSomeNotCompleted = 1;
constexpr int kExitNoBatch = 2;
constexpr auto kTickInterval = std::chrono::milliseconds(200);
// How long stopped runs get to end before they are killed.
constexpr auto kStopGrace = std::chrono::seconds(5);

volatile std::sig_atomic_t stop_signal = 0;

extern "C" void on_stop_signal(int signal) {
  stop_signal = signal;
}

// SIGINT, SIGTERM and SIGHUP stop the batch: no new run starts, the running ones are stopped
// and what finished is summed up. Without SA_RESTART, a wait in progress returns at once.
void catch_stop_signals() {
  struct sigaction action {};
  action.sa_handler = on_stop_signal;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
}

fs::path self_path() {
  std::error_code error;
  fs::path self = fs::read_symlink("/proc/self/exe", error);
  return error ? fs::path("scarpex") : self;
}

class Batch {
 public:
  Batch(const HostOptions& options, std::vector<BatchJob> jobs, bool terminal)
      : options_(options),
        jobs_(std::move(jobs)),
        terminal_(terminal),
        progress_(static_cast<int>(jobs_.size()), terminal) {}

  // The JSON lines go to a temporary file as each run ends, renamed into place at the end: an
  // unwritable file is found before any run.
  bool open_lines(std::string& problem) {
    return options_.jsonl_file.empty() || lines_.open(options_.jsonl_file, problem);
  }

  void run() {
    const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t parallel =
        options_.jobs > 0 ? static_cast<std::size_t>(options_.jobs) : cores;
    // The cores are shared among the runs that go on at once.
    const std::size_t at_once = std::max<std::size_t>(1, std::min(parallel, jobs_.size()));
    const int threads = options_.threads > 0
                            ? options_.threads
                            : static_cast<int>(std::max<std::size_t>(1, cores / at_once));
    const fs::path self = self_path();
    std::size_t next = 0;
    while ((next < jobs_.size() && stop_signal == 0) || !running_.empty()) {
      while (stop_signal == 0 && next < jobs_.size() && running_.size() < parallel) {
        BatchJob& job = jobs_[next++];
        if (start_job(job, self, options_, threads)) {
          running_[job.pid] = &job;
        } else {
          report(job);
        }
      }
      if (stop_signal != 0) return stop_running();
      if (!running_.empty()) wait_for_one();
    }
  }

  int finish() {
    progress_.close();
    print_table();
    std::string problem;
    if (lines_.is_open() && !lines_.commit(problem)) {
      std::cerr << "scarpex: batch: " << terminal_text(problem) << "\n";
      return kExitNoBatch;
    }
    const auto done = std::count_if(jobs_.begin(), jobs_.end(), completed);
    std::cout << done << " of " << jobs_.size() << " files completed";
    if (stop_signal != 0) std::cout << "; the batch was stopped by signal " << stop_signal;
    std::cout << "\n" << std::flush;
    if (!lines_ok_) return kExitNoBatch;
    return done == static_cast<long>(jobs_.size()) ? kExitAllCompleted : kExitSomeNotCompleted;
  }

 private:
  void wait_for_one() {
    int status = 0;
    // On a terminal the bar's clock goes on while runs last; otherwise just wait.
    pid_t pid = ::waitpid(-1, &status, terminal_ ? WNOHANG : 0);
    if (pid == 0) {
      std::this_thread::sleep_for(kTickInterval);
      progress_.tick();
      return;
    }
    if (pid < 0) {
      if (errno == ECHILD) running_.clear();  // no children left to wait for
      return;                                 // EINTR: a signal, seen by the loop
    }
    auto found = running_.find(pid);
    if (found == running_.end()) return;
    BatchJob& job = *found->second;
    running_.erase(found);
    finish_job(job, status);
    report(job);
  }

  // Every run still going is asked to stop, with all it started, then killed after a grace
  // period; each is waited for and its files are marked as the remains of a stopped run.
  void stop_running() {
    for (const auto& [pid, job] : running_) ::kill(-pid, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + kStopGrace;
    while (!running_.empty()) {
      if (std::chrono::steady_clock::now() > deadline) {
        for (const auto& [pid, job] : running_) ::kill(-pid, SIGKILL);
      }
      int status = 0;
      pid_t pid = ::waitpid(-1, &status, WNOHANG);
      if (pid < 0 && errno == ECHILD) break;
      if (pid <= 0) {
        std::this_thread::sleep_for(kTickInterval / 4);
        continue;
      }
      auto found = running_.find(pid);
      if (found == running_.end()) continue;
      mark_interrupted(*found->second);
      report(*found->second);
      running_.erase(found);
    }
  }

  void report(const BatchJob& job) {
    progress_.finished(line_of(job), completed(job));
    if (lines_.is_open() && !lines_.write(json_line(job))) lines_ok_ = false;
  }

  void print_table() const {
    std::size_t width = 4;
    for (const BatchJob& job : jobs_) width = std::max(width, terminal_text(job.input).size());
    auto pad = [](std::string text, std::size_t w) {
      text.resize(std::max(text.size(), w), ' ');
      return text;
    };
    std::cout << pad("File", width) << "  " << pad("Method", 15) << "  " << pad("FOS", 8)
              << "  Outcome\n";
    for (const BatchJob& job : jobs_) {
      std::string fos = job.fos ? fixed_text(*job.fos, 3) : "-";
      std::cout << pad(terminal_text(job.input), width) << "  "
                << pad(job.method.empty() ? "-" : job.method, 15) << "  "
                << pad(std::string(8 - std::min<std::size_t>(8, fos.size()), ' ') + fos, 8) << "  "
                << job.outcome << (job.message.empty() ? "" : ": " + terminal_text(job.message))
                << "\n";
    }
  }

  const HostOptions& options_;
  std::vector<BatchJob> jobs_;
  bool terminal_;
  Progress progress_;
  std::map<pid_t, BatchJob*> running_;
  AtomicFile lines_;
  bool lines_ok_ = true;
};

}  // namespace

int run_batch(const HostOptions& options) {
  fs::path out = options.output_dir.empty() ? fs::path(".") : fs::path(options.output_dir);
  std::error_code error;
  out = fs::absolute(out, error);
  fs::create_directories(out, error);
  if (error || !fs::is_directory(out)) {
    std::cerr << "scarpex: batch: cannot use the folder " << terminal_text(out.string()) << "\n";
    return kExitNoBatch;
  }
  Batch batch(options, plan_jobs(options.batch_inputs, out), ::isatty(STDERR_FILENO) == 1);
  std::string problem;
  if (!batch.open_lines(problem)) {
    std::cerr << "scarpex: batch: " << terminal_text(problem) << "\n";
    return kExitNoBatch;
  }
  catch_stop_signals();
  batch.run();
  return batch.finish();
}

}  // namespace scarpex_host
