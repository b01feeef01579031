// What became of the trials of each search, from the plot and status files: how many were
// analysed, failed in generation or were skipped, where the search stopped generating, and the
// lowest factor of safety found so far, trial by trial.
#pragma once

#include <cstddef>
#include <vector>

#include "results/report_reader.h"
#include "results/results.h"

namespace scarpex_host {

// At most this many points of the convergence series are kept.
constexpr std::size_t kConvergencePoints = 1000;

// Pairs each search of `analyses` with its run of trials in the status file, in order, and
// fills its outcome and convergence series. A run of one trial is a specified surface's, unless
// the search asked for one trial or it is the file's last run (a run that ended in its first
// trial).
void fill_search_outcomes(std::vector<Analysis>& analyses, const std::vector<TrialCodes>& runs);

// The outcome of one search from the codes of its trials.
SearchOutcome search_outcome(const Analysis& search, const TrialCodes& codes);

// The lowest factor of safety of the converged trials so far: a point where it fell, and one
// at the last analysed trial; thinned evenly to `max_points`.
std::vector<ConvergencePoint> convergence_series(const std::vector<TrialSurface>& trials,
                                                 std::size_t max_points = kConvergencePoints);

}  // namespace scarpex_host
