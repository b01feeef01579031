// Candidate surfaces analysed by the engine itself. A scratch folder of the refinement's own
// holds names.dat and the files of one candidate at a time, and the library stays loaded for
// all of them: a specified surface draws no random numbers, and every candidate file sets up
// the same problem, so the state the engine keeps from one call to the next is the same for
// each candidate. Nothing of the user's is written, and what the engine prints is dropped.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "run/engine_library.h"
#include "run/run_names.h"

namespace scarpex_host {

struct CandidateOutcome {
  // The engine took the surface, converged, and found the factor positive and meaningful.
  std::optional<double> factor_of_safety;
  std::string method;   // as the engine's report names it
  std::string refusal;  // otherwise, why there is no factor
};

class CandidateRuns {
 public:
  // Loads the library and makes the scratch folder; nothing, with `problem` saying why, when
  // either cannot be had.
  static std::unique_ptr<CandidateRuns> open(const std::string& library_path, const Banner& banner,
                                             std::string& problem);
  ~CandidateRuns();
  CandidateRuns(const CandidateRuns&) = delete;
  CandidateRuns& operator=(const CandidateRuns&) = delete;

  // Runs the engine on the input file `input_text`.
  CandidateOutcome run(const std::string& input_text);
  int runs() const { return runs_; }
  // The report of the last run, in the scratch folder.
  const std::filesystem::path& report() const { return report_; }

 private:
  CandidateRuns(std::unique_ptr<EngineLibrary> library, std::filesystem::path folder);
  OutputNames output_names() const;

  std::unique_ptr<EngineLibrary> library_;
  std::filesystem::path folder_, input_, report_, plot_, status_;
  int runs_ = 0;
};

}  // namespace scarpex_host
