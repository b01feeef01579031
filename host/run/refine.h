// The refinement step (--refine), between reading a run's results and writing its views: a
// search samples and does not converge, so the most critical surfaces it listed are moved by
// a derivative-free optimiser until the factor of safety stops falling. Every candidate is
// analysed by the engine itself, in a scratch folder, with the search's method; only surfaces
// the search could have generated count.
#pragma once

#include <optional>
#include <string>

#include "results/results.h"
#include "run/run_names.h"

namespace scarpex_host {

struct RefineRequest {
  std::string library_path;  // absolute
  Banner banner;             // of the refined surface's report
};

// Refines the last analysis of `results` when it is a search with a critical surface: sets
// `results.refined` (and writes INPUT.refined.out beside the report), or adds a warning that
// says why there was nothing to refine. Returns why the refinement failed, if it did.
std::optional<std::string> refine_results(Results& results, const RefineRequest& request);

// Where the refined surface's report goes: beside the run's report, "slope.out" giving
// "slope.refined.out".
std::string refined_report_path(const std::string& report_path);

}  // namespace scarpex_host
