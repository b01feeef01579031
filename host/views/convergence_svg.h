// A picture of how a search converged: the lowest factor of safety found so far against the
// trial number, a step at every trial that lowered it.
#pragma once

#include <string>

#include "results/results.h"

namespace scarpex_host {

// The picture for the search whose result heads the summary (or the last search); one that says
// so when the run holds no search with a converged trial.
std::string convergence_svg(const Results& results);

// The search the picture shows, or none.
const Analysis* convergence_search(const Results& results);

}  // namespace scarpex_host
