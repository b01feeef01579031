#include "cli/run_plan.h"

#include <algorithm>
#include <system_error>
#include <utility>
#include <vector>

#include "results/file_reading.h"
#include "run/engine_call.h"
#include "run/mirror_input.h"
#include "run/run_names.h"

namespace scarpex_host {

namespace fs = std::filesystem;

namespace {

constexpr const char* kNamesFile = "names.dat";

// Where names.dat goes for an input file, and what it says; nothing when the engine could not
// read the input back.
std::optional<RunPlan> plan_input_run(const HostOptions& options, std::string& problem) {
  fs::path input = absolute_path(options.input_file);
  std::error_code error;
  if (!fs::is_regular_file(input, error)) {
    problem = "no input file " + input.string();
    return std::nullopt;
  }
  // The file itself, links followed: /dev/stdin read from a file has that file's folder, not
  // /dev, for its run files.
  input = fs::canonical(input, error);
  if (error) {
    problem = "cannot resolve the input file " + options.input_file + ": " + error.message();
    return std::nullopt;
  }
  // The engine keeps 255 characters of a name and drops trailing blanks: a longer name would
  // make it open another file.
  if (!engine_keeps_name(input.string())) {
    problem = "the engine cannot open " + input.string() + ": a run-file name has at most " +
              std::to_string(kEngineNameLength) +
              " characters, without trailing blanks or line breaks";
    return std::nullopt;
  }
  fs::path folder =
      options.output_dir.empty() ? input.parent_path() : absolute_path(options.output_dir);
  RunPlan plan;
  plan.names_path = folder / kNamesFile;
  // The host writes its own names.dat there: an input of that name would be lost.
  if (same_file(input, plan.names_path)) {
    problem = "the input file " + input.string() +
              " is the names.dat the host writes for the run: rename it, or run it with --out";
    return std::nullopt;
  }
  plan.engine = EngineRun{};
  // A mirrored run reads its own input file; the outputs keep the name of the user's.
  std::string run_input = input.string();
  if (options.mirror) {
    plan.engine->input = mirrored_run_input(input, folder, options.mirror_axis, problem);
    if (!plan.engine->input) return std::nullopt;
    run_input = plan.engine->input->path.string();
  }
  plan.engine->names_text =
      names_file_text(options.banner, run_input, output_names_for(input.string()));
  const OutputNames outputs = output_names_for(input.string());
  plan.run_files = {run_input, (folder / outputs.report).string(), (folder / outputs.plot).string(),
                    (folder / outputs.trace).string(), (folder / outputs.status).string()};
  plan.user_input = input;
  return plan;
}

// The names.dat of an earlier run or of a run prepared by another program.
std::optional<RunPlan> plan_existing_run(const HostOptions& options, std::string& problem) {
  RunPlan plan;
  if (options.names_file.empty()) {
    plan.names_path = absolute_path(options.input_file).parent_path() / kNamesFile;
  } else {
    plan.names_path = absolute_path(options.names_file);
    if (plan.names_path.filename() != kNamesFile) {
      problem = "--names must name a file called names.dat";
      return std::nullopt;
    }
  }
  if (!options.no_run) plan.engine = EngineRun{};
  if (!options.input_file.empty()) plan.user_input = absolute_path(options.input_file);
  // The files names.dat names, as far as it can be read now (a names.dat that cannot be read
  // is reported when the run reads it).
  std::string unreadable;
  if (auto files = run_files_of(plan.names_path, unreadable)) plan.run_files = *files;
  return plan;
}

// The files no product may replace: the input, names.dat, the four run files, and the
// products named before it.
std::optional<std::string> overwrites_run_file(const std::string& path, const RunPlan& plan,
                                               const std::vector<const std::string*>& before) {
  const fs::path target = absolute_path(path);
  const std::pair<std::string, const char*> kept[] = {
      {plan.user_input.string(), "the input file"}, {plan.run_files.input, "the input file"},
      {plan.names_path.string(), "names.dat"},      {plan.run_files.report, "the report"},
      {plan.run_files.plot, "the plot file"},       {plan.run_files.trace, "the trace file"},
      {plan.run_files.status, "the status file"}};
  for (const auto& [file, what] : kept) {
    if (!file.empty() && same_file(target, file))
      return "cannot write " + path + ": it is " + what + " of the run";
  }
  for (const std::string* other : before) {
    if (!other->empty() && *other != kStandardOutput && same_file(target, absolute_path(*other)))
      return "cannot write " + path + " twice: two products name it";
  }
  return std::nullopt;
}

// Whether `inner` is `outer` or lies below it (both absolute and normal).
bool lies_within(const fs::path& inner, const fs::path& outer) {
  return std::mismatch(outer.begin(), outer.end(), inner.begin(), inner.end()).first == outer.end();
}

// Why a product cannot be written, as far as can be told before the run: its folder is not
// there and is not made for the run's files, or the path is a folder. A run may take long:
// better to refuse it at once than to lose the product at its end.
std::optional<std::string> product_problem(const std::string& path, const RunPlan& plan) {
  if (path.empty() || path == kStandardOutput) return std::nullopt;
  fs::path target = absolute_path(path);
  std::error_code error;
  if (fs::is_directory(target, error)) return "cannot write " + path + ": it is a folder";
  fs::path folder = target.parent_path();
  // Writing names.dat makes its folder with every parent of it.
  const bool made_by_run =
      plan.engine && plan.engine->names_text && lies_within(plan.names_path.parent_path(), folder);
  if (fs::is_directory(folder, error) || made_by_run) return std::nullopt;
  return "cannot write " + path + ": there is no folder " + folder.string();
}

}  // namespace

std::optional<RunPlan> plan_run(const HostOptions& options, std::string& problem) {
  const bool writes_names = options.names_file.empty() && !options.no_run;
  std::optional<RunPlan> plan =
      writes_names ? plan_input_run(options, problem) : plan_existing_run(options, problem);
  if (!plan) return std::nullopt;
  plan->products = {options.svg_file, options.html_file, options.json_file,
                    options.convergence_svg_file};
  std::string library = options.library.empty() ? default_library_path() : options.library;
  if (plan->engine) {
    plan->engine->library_path = absolute_path(library).string();
    plan->engine->engine_output_to_stderr = plan->products.json_to_stdout();
  }
  if (options.refine) plan->refine = RefineRequest{absolute_path(library).string(), options.banner};
  std::vector<const std::string*> named;
  for (const std::string* path : {&plan->products.svg, &plan->products.html, &plan->products.json,
                                  &plan->products.convergence_svg}) {
    std::optional<std::string> why = product_problem(*path, *plan);
    if (!why && !path->empty() && *path != kStandardOutput)
      why = overwrites_run_file(*path, *plan, named);
    if (why) {
      problem = *why;
      return std::nullopt;
    }
    named.push_back(path);
  }
  return plan;
}

}  // namespace scarpex_host
