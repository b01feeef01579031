// One input file of a batch: its run folder, the child process that runs it, and what the run
// gave, read from the child's exit status and its JSON document.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "cli/host_options.h"

namespace scarpex_host {

struct BatchJob {
  std::size_t index = 0;  // 1-based position among the inputs given
  std::string input;
  std::filesystem::path folder;
  pid_t pid = -1;  // the child, which leads a process group of its own
  // After the run: completed, completed with warnings, incomplete, aborted, failed, crashed
  // or interrupted (stopped by a signal to the batch).
  std::string outcome = "not run";
  std::string method, message;
  std::optional<double> fos;
  int exit_status = -1;
  std::string document;  // the child's JSON document on one line; empty when there is none
};

// A folder of its own for every input, named after it under `out`: two runs never share
// names.dat, and no name leads outside `out`.
std::vector<BatchJob> plan_jobs(const std::vector<std::string>& inputs,
                                const std::filesystem::path& out);

// Starts the child that runs the job, its searches on `threads` threads; false, with the job
// failed, when it could not start.
bool start_job(BatchJob& job, const std::filesystem::path& self, const HostOptions& options,
               int threads);

// Reads what the run gave from its wait status and its folder.
void finish_job(BatchJob& job, int wait_status);

// A job whose child was stopped: its files are marked as the remains of a stopped run.
void mark_interrupted(BatchJob& job);

// Without an incomplete result: completed, with warnings or without.
bool completed(const BatchJob& job);

// The job's JSON line: {"index", "input", "folder", "outcome", "exit_status", "message",
// "results"}, with the document spliced in whole.
std::string json_line(const BatchJob& job);

// "INPUT: outcome, FOS 1.234 (method) - message", safe for a terminal.
std::string line_of(const BatchJob& job);

}  // namespace scarpex_host
