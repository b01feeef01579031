// Reads the four output files of a run into Results.
#pragma once

#include "results/results.h"

namespace scarpex_host {

// Throws ResultsError when the report is not there or a file is malformed or cut. A plot,
// trace or status file that is not there or not a regular file is skipped with a warning.
Results read_results(const RunFiles& files);

}  // namespace scarpex_host
