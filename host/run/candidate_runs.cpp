#include "run/candidate_runs.h"

#include <stdlib.h>

#include <cstdint>
#include <fstream>
#include <system_error>

#include "results/results_reader.h"
#include "results/text_fields.h"

namespace scarpex_host {

namespace fs = std::filesystem;

namespace {

constexpr const char* kCandidateInput = "candidate.dat";
constexpr const char* kNamesFile = "names.dat";
constexpr const char* kScratchPattern = "scarpex-refine-XXXXXX";
// The trace holds the iterations of every candidate, which nothing reads: the engine writes it
// to a device, which costs no file.
constexpr const char* kDroppedTrace = "/dev/null";

// The scratch folder, made afresh under the system's temporary folder; empty when it cannot be.
fs::path make_scratch_folder(std::string& problem) {
  std::error_code error;
  std::string pattern = (fs::temp_directory_path(error) / kScratchPattern).string();
  if (error || ::mkdtemp(pattern.data()) == nullptr) {
    problem = "cannot make a scratch folder for the refinement in " + pattern;
    return {};
  }
  return pattern;
}

bool write_file(const fs::path& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary);
  file << text;
  file.close();
  return static_cast<bool>(file);
}

CandidateOutcome outcome_of(const Results& results) {
  CandidateOutcome outcome;
  // An error in the surface's data makes EXECUT abort the run.
  if (results.aborted) {
    outcome.refusal = "the engine refused it" +
                      (results.errors.empty() ? "" : " (" + results.errors.front().code + ")");
    return outcome;
  }
  if (results.analyses.empty() || results.analyses.back().kind != AnalysisKind::kSpecified) {
    outcome.refusal = "the engine analysed no surface";
    return outcome;
  }
  const Analysis& analysis = results.analyses.back();
  outcome.method = analysis.method;
  std::optional<double> factor = analysis.factor_of_safety();
  if (analysis.status != SolutionStatus::kConverged || !factor || !(*factor > 0)) {
    outcome.refusal =
        std::string("its analysis gave no positive factor (") + status_name(analysis.status) + ")";
    return outcome;
  }
  if (analysis.misleading) {
    outcome.refusal = "the engine calls its factor misleading";
    return outcome;
  }
  outcome.factor_of_safety = factor;
  return outcome;
}

}  // namespace

std::unique_ptr<CandidateRuns> CandidateRuns::open(const std::string& library_path,
                                                   const Banner& banner, std::string& problem) {
  std::unique_ptr<EngineLibrary> library = EngineLibrary::load(library_path, problem);
  if (!library) return nullptr;
  fs::path folder = make_scratch_folder(problem);
  if (folder.empty()) return nullptr;
  std::unique_ptr<CandidateRuns> runs(new CandidateRuns(std::move(library), folder));
  if (!write_file(folder / kNamesFile,
                  names_file_text(banner, runs->input_.string(), runs->output_names()))) {
    problem = "cannot write names.dat in the scratch folder " + folder.string();
    return nullptr;
  }
  return runs;
}

CandidateRuns::CandidateRuns(std::unique_ptr<EngineLibrary> library, fs::path folder)
    : library_(std::move(library)), folder_(std::move(folder)), input_(folder_ / kCandidateInput) {
  OutputNames outputs = output_names_for(kCandidateInput);
  report_ = folder_ / outputs.report;
  plot_ = folder_ / outputs.plot;
  status_ = folder_ / outputs.status;
}

OutputNames CandidateRuns::output_names() const {
  return {report_.string(), plot_.string(), kDroppedTrace, status_.string()};
}

CandidateRuns::~CandidateRuns() {
  std::error_code error;
  fs::remove_all(folder_, error);
}

CandidateOutcome CandidateRuns::run(const std::string& input_text) {
  // Files made afresh: rewriting a file in place costs some file systems far more.
  std::error_code error;
  for (const fs::path& file : {input_, report_, plot_, status_}) fs::remove(file, error);
  CandidateOutcome outcome;
  if (!write_file(input_, input_text)) {
    outcome.refusal = "cannot write " + input_.string();
    return outcome;
  }
  std::optional<int32_t> code = library_->call_in(folder_, EngineStdout::kDropped, outcome.refusal);
  if (!code) return outcome;
  ++runs_;
  if (*code != 0) {
    outcome.refusal = "the engine returned code " + std::to_string(*code);
    return outcome;
  }
  try {
    return outcome_of(read_results(
        {input_.string(), report_.string(), plot_.string(), kDroppedTrace, status_.string()}));
  } catch (const ResultsError& e) {
    outcome.refusal = std::string("its results cannot be read: ") + e.what();
    return outcome;
  }
}

}  // namespace scarpex_host
