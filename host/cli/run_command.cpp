#include "cli/run_command.h"

#include <iostream>

#include "cli/run_plan.h"
#include "results/results_reader.h"
#include "results/text_fields.h"
#include "run/engine_run.h"
#include "run/refine.h"
#include "run/run_names.h"
#include "views/products.h"
#include "views/summary.h"

namespace scarpex_host {

namespace {

int no_run(const std::string& problem) {
  std::cerr << "scarpex: " << problem << "\n";
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
  if (plan->engine && !run_engine(plan->names_path, *plan->engine, problem)) {
    return no_run(problem);
  }
  std::optional<RunFiles> files = run_files_of(plan->names_path, problem);
  if (!files) return no_run(problem);
  std::optional<Results> results = read_run_results(*files, problem);
  if (!results) return no_run(problem);
  std::optional<std::string> refine_failure;
  if (plan->refine) refine_failure = refine_results(*results, *plan->refine);
  // Standard output carries the JSON document alone when it is written there.
  std::ostream& say = plan->products.json_to_stdout() ? std::cerr : std::cout;
  if (plan->engine && plan->engine->input) say << plan->engine->input->note << "\n";
  print_summary(say, *results);
  if (!write_products(plan->products, *results, say)) return kExitNoRun;
  if (refine_failure) return no_run("the refinement failed: " + *refine_failure);
  return exit_status_of(*results, options.strict);
}

}  // namespace scarpex_host
