#include "cli/run_command.h"

#include <cstdlib>
#include <iostream>

#include "cli/run_plan.h"
#include "results/file_reading.h"
#include "results/input_commands.h"
#include "results/results_reader.h"
#include "results/text_fields.h"
#include "run/engine_run.h"
#include "run/refine.h"
#include "run/run_lock.h"
#include "run/run_names.h"
#include "views/number_text.h"
#include "views/products.h"
#include "views/summary.h"

namespace scarpex_host {

namespace fs = std::filesystem;

namespace {

int no_run(const std::string& problem) {
  std::cerr << "scarpex: " << terminal_text(problem) << "\n";
  return kExitNoRun;
}

std::optional<Results> read_run_results(const RunFiles& files, std::string& problem) {
  try {
    return read_results(files);
  } catch (const ResultsError& e) {
    problem = e.what();
    return std::nullopt;
  }
}

// About what a search writes per trial into the four files (measured: 1.19 GB for a million
// circular trials).
constexpr long long kBytesPerTrial = 1200;
constexpr long long kLargeOutput = 1LL << 30;

// A run that will fill the disk says so before it starts.
void warn_of_large_output(const RunPlan& plan) {
  FileText input = read_regular_file(plan.run_files.input, kResultsFileCap);
  if (!input.text) return;
  const long long trials = requested_trials(*input.text);
  if (trials * kBytesPerTrial <= kLargeOutput) return;
  std::cerr << "scarpex: the searches ask for " << trials
            << " trial surfaces: the output files will take about "
            << fixed_text(static_cast<double>(trials * kBytesPerTrial) / 1e9, 1) << " GB\n";
}

void say_waiting(const fs::path& folder) {
  std::cerr << "scarpex: another run holds " << terminal_text(folder.string())
            << "; waiting for it to end\n";
}

// The results read back are this run's: the report names the input this run gave the engine.
// A program that wrote in the folder without holding it could have replaced them.
bool ran_this_input(const Results& results, const RunPlan& plan, std::string& problem) {
  const std::string& reported = results.reported_input;
  if (reported.empty() || same_file(reported, plan.run_files.input)) return true;
  problem = "the files read back are those of another run (of " + reported +
            "): something else wrote in " + plan.names_path.parent_path().string() +
            " during this run";
  return false;
}

}  // namespace

int exit_status_of(const Results& results, bool strict) {
  if (results.outcome() == Outcome::kAborted) return kExitAborted;
  if (results.incomplete() || (strict && !results.warnings.empty())) return kExitIncomplete;
  return kExitCompleted;
}

// Plan, run the engine, read the results, write the views: each step hands the next a value,
// and the first step that fails ends the run with its reason.
int run_command(const HostOptions& options) {
  std::string problem;
  std::optional<RunPlan> plan = plan_run(options, problem);
  if (!plan) return no_run(problem);
  // The run's folder is this run's from writing names.dat to reading the results back.
  RunFolderLock lock;
  const fs::path folder = plan->names_path.parent_path();
  const bool held = lock.acquire(
      folder, [&] { say_waiting(folder); }, problem);
  if (!held && plan->engine) return no_run(problem);
  if (plan->engine) warn_of_large_output(*plan);
  // The engine takes the threads of its searches from the environment.
  if (options.threads > 0) ::setenv("SCARPEX_THREADS", std::to_string(options.threads).c_str(), 1);
  if (plan->engine && !run_engine(plan->names_path, *plan->engine, problem)) {
    return no_run(problem);
  }
  std::optional<RunFiles> files = run_files_of(plan->names_path, problem);
  if (!files) return no_run(problem);
  std::optional<Results> results = read_run_results(*files, problem);
  if (!results) return no_run(problem);
  if (plan->engine && plan->engine->names_text && !ran_this_input(*results, *plan, problem))
    return no_run(problem);
  std::optional<std::string> refine_failure;
  if (plan->refine) refine_failure = refine_results(*results, *plan->refine);
  // Standard output carries the JSON document alone when it is written there.
  std::ostream& say = plan->products.json_to_stdout() ? std::cerr : std::cout;
  if (plan->engine && plan->engine->input) say << terminal_text(plan->engine->input->note) << "\n";
  print_summary(say, *results);
  if (!write_products(plan->products, *results, say)) return kExitNoRun;
  if (refine_failure) return no_run("the refinement failed: " + *refine_failure);
  return exit_status_of(*results, options.strict);
}

}  // namespace scarpex_host
