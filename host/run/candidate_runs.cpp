#include "run/candidate_runs.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
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

// Standard output pointed at /dev/null while it lives: the engine prints a few lines of
// Spencer's method for every candidate.
class StdoutDropped {
 public:
  StdoutDropped() {
    std::cout.flush();
    std::fflush(stdout);
    int null = ::open("/dev/null", O_WRONLY);
    if (null < 0) return;
    saved_ = ::dup(STDOUT_FILENO);
    if (saved_ >= 0) ::dup2(null, STDOUT_FILENO);
    ::close(null);
  }
  ~StdoutDropped() {
    if (saved_ < 0) return;
    std::fflush(stdout);
    ::dup2(saved_, STDOUT_FILENO);
    ::close(saved_);
  }
  StdoutDropped(const StdoutDropped&) = delete;
  StdoutDropped& operator=(const StdoutDropped&) = delete;

 private:
  int saved_ = -1;
};

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
  void* library = dlopen(library_path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    problem = std::string("cannot load the engine library: ") + dlerror();
    return nullptr;
  }
  auto darozi = reinterpret_cast<Darozi>(dlsym(library, "DAROZI"));
  fs::path folder = darozi ? make_scratch_folder(problem) : fs::path();
  if (darozi == nullptr) problem = library_path + " has no DAROZI entry point";
  std::unique_ptr<CandidateRuns> runs;
  if (!folder.empty()) runs.reset(new CandidateRuns(library, darozi, folder));
  if (!runs) {
    dlclose(library);
    return nullptr;
  }
  if (!write_file(folder / kNamesFile,
                  names_file_text(banner, runs->input_.string(), runs->output_names()))) {
    problem = "cannot write names.dat in the scratch folder " + folder.string();
    return nullptr;
  }
  return runs;
}

CandidateRuns::CandidateRuns(void* library, Darozi darozi, fs::path folder)
    : library_(library),
      darozi_(darozi),
      folder_(std::move(folder)),
      input_(folder_ / kCandidateInput) {
  OutputNames outputs = output_names_for(kCandidateInput);
  report_ = folder_ / outputs.report;
  plot_ = folder_ / outputs.plot;
  status_ = folder_ / outputs.status;
}

OutputNames CandidateRuns::output_names() const {
  return {report_.string(), plot_.string(), kDroppedTrace, status_.string()};
}

CandidateRuns::~CandidateRuns() {
  dlclose(library_);
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
  fs::path previous = fs::current_path(error);
  fs::current_path(folder_, error);
  if (error) {
    outcome.refusal = "cannot work in " + folder_.string() + ": " + error.message();
    return outcome;
  }
  int32_t code = 0;
  {
    StdoutDropped quiet;
    code = darozi_(0, 0);
  }
  ++runs_;
  fs::current_path(previous, error);
  if (code != 0) {
    outcome.refusal = "the engine returned code " + std::to_string(code);
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
