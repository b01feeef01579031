#include "run/refine.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <system_error>

#include "results/assessment.h"
#include "results/file_reading.h"
#include "run/candidate_runs.h"
#include "run/refine_circles.h"
#include "run/refine_input.h"
#include "run/refine_rules.h"
#include "run/refine_vertices.h"
#include "run/surface_objective.h"

namespace scarpex_host {

namespace fs = std::filesystem;

namespace {

constexpr std::uintmax_t kInputFileCap = std::uintmax_t{64} << 20;
constexpr const char* kRefinedReportExtension = ".refined.out";

// Why the last analysis cannot be refined, or nothing when it can.
std::optional<std::string> nothing_to_refine(const Results& results) {
  if (results.aborted) return "the run was aborted";
  if (results.analyses.empty()) return "the run holds no analysis";
  const Analysis& last = results.analyses.back();
  if (last.kind != AnalysisKind::kSearch) return "the last analysis is no search";
  if (last.critical.empty()) return "the search listed no critical surface";
  if (last.drawing.ground_surface.size() < 2) return "the plot file draws no ground surface";
  return std::nullopt;
}

int searches_in(const Results& results) {
  return static_cast<int>(
      std::count_if(results.analyses.begin(), results.analyses.end(),
                    [](const Analysis& a) { return a.kind == AnalysisKind::kSearch; }));
}

std::optional<RefineInput> read_refine_input(const Results& results, std::string& problem) {
  FileText text = read_regular_file(results.files.input, kInputFileCap);
  if (!text.text) {
    problem = text.problem;
    return std::nullopt;
  }
  std::string why;
  std::optional<RefineInput> input = refine_input_of(*text.text, searches_in(results), why);
  if (!input) problem = "cannot read the search of " + results.files.input + ": " + why;
  return input;
}

SurfaceCommand surface_command(const Analysis& search) {
  const std::string& base = search.base_method.empty() ? search.method : search.base_method;
  return base == "Modified Bishop" ? SurfaceCommand::kSurbis : SurfaceCommand::kSurfac;
}

// Never above the search's own minimum: when no candidate does better, the search's most
// critical surface is the answer.
RefinedSurface refined_surface(const Analysis& search, const SurfaceObjective& objective) {
  const ResultSurface& critical = search.critical.front();
  RefinedSurface refined;
  refined.search_factor_of_safety = critical.factor_of_safety;
  refined.method = search.method;
  const std::optional<RatedCandidate>& best = objective.best();
  if (best && best->factor_of_safety < critical.factor_of_safety) {
    refined.factor_of_safety = best->factor_of_safety;
    refined.points = best->candidate.points;
    refined.circle = best->candidate.circle;
    refined.start_rank = best->candidate.start_rank;
  } else {
    refined.factor_of_safety = critical.factor_of_safety;
    refined.points = critical.points;
    refined.circle = critical.circle;
    refined.start_rank = 1;
  }
  return refined;
}

// The run's own files, which the refined report must never replace.
bool is_run_file(const fs::path& path, const RunFiles& files) {
  std::error_code error;
  for (const std::string& file :
       {files.input, files.report, files.plot, files.trace, files.status}) {
    if (file.empty()) continue;
    if (fs::path(file) == path || fs::equivalent(file, path, error)) return true;
  }
  return false;
}

// The report of the refined surface's last run, moved into place whole.
std::optional<std::string> write_refined_report(const fs::path& scratch_report,
                                                const std::string& target, const RunFiles& files) {
  if (is_run_file(target, files)) return "the refined report would replace " + target;
  std::error_code error;
  const fs::path partial = target + ".partial";
  fs::copy_file(scratch_report, partial, fs::copy_options::overwrite_existing, error);
  if (!error) fs::rename(partial, target, error);
  if (error) {
    fs::remove(partial, error);
    return "cannot write " + target;
  }
  return std::nullopt;
}

// As the search's own critical surface is warned of (results/assessment.h).
void warn_at_range_ends(Results& results, const Analysis& search, const RefinedSurface& refined) {
  for (const RangeEndMet& met : range_ends_met(search.setup, results.frame, refined.points)) {
    results.warnings.push_back({warning_code::kRefinedAtRangeEnd,
                                "The refined surface " + range_end_text(met, results.length_unit) +
                                    ": a lower factor may lie beyond it. Widen the " + met.range +
                                    " range and refine again."});
  }
}

}  // namespace

std::string refined_report_path(const std::string& report_path) {
  fs::path report(report_path);
  return (report.parent_path() / (report.stem().string() + kRefinedReportExtension)).string();
}

std::optional<std::string> refine_results(Results& results, const RefineRequest& request) {
  if (std::optional<std::string> why = nothing_to_refine(results)) {
    results.warnings.push_back({warning_code::kNotRefined, "Nothing was refined: " + *why + "."});
    return std::nullopt;
  }
  const auto started = std::chrono::steady_clock::now();
  const Analysis& search = results.analyses.back();
  std::string problem;
  std::optional<RefineInput> input = read_refine_input(results, problem);
  if (!input) return problem;
  std::unique_ptr<CandidateRuns> runs =
      CandidateRuns::open(request.library_path, request.banner, problem);
  if (!runs) return problem;
  SurfaceObjective objective(*runs, *input, surface_command(search),
                             rules_for(input->search, search.drawing));
  const std::size_t start_count = std::min<std::size_t>(search.critical.size(), 10);
  std::vector<ResultSurface> starts(search.critical.begin(), search.critical.begin() + start_count);
  if (input->search.circular()) {
    refine_circles(starts, input->search.segment_length, objective);
  } else {
    refine_vertices(starts, objective);
  }
  if (!objective.method().empty() && objective.method() != search.method) {
    return "the engine analysed the candidates by the " + objective.method() +
           " method, the search by the " + search.method + " method";
  }
  RefinedSurface refined = refined_surface(search, objective);
  // One last run of the answer leaves its slice table in the scratch folder's report.
  SurfaceCommand command = surface_command(search);
  runs->run(candidate_input(*input, command, as_written(refined.points)));
  refined.report = refined_report_path(results.files.report);
  if (auto failed = write_refined_report(runs->report(), refined.report, results.files)) {
    return failed;
  }
  refined.evaluations = runs->runs();
  refined.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  warn_at_range_ends(results, search, refined);
  results.refined = std::move(refined);
  return std::nullopt;
}

}  // namespace scarpex_host
