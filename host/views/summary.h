// The summary of a run for the terminal: where its files are, the factor of safety and its
// method, the critical circle of a search, error lines and how the run ended.
#pragma once

#include <ostream>

#include "results/results.h"

namespace scarpex_host {

// Writes the summary to `out`; the reader's warnings go to standard error.
void print_summary(std::ostream& out, const Results& results);

}  // namespace scarpex_host
