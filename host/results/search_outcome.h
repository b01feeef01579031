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

// The lowest factor of safety of the converged trials so far, followed trial by trial as the
// plot file is read: a point where it fell, and one at the last analysed trial.
class ConvergenceTracker {
 public:
  void add(const TrialSurface& trial);
  // The first trial that reached the lowest factor, if any converged.
  std::optional<int> best_trial() const;
  // The series, thinned evenly to `max_points`.
  std::vector<ConvergencePoint> series(std::size_t max_points = kConvergencePoints) const;

 private:
  std::vector<ConvergencePoint> falls_;
  int last_trial_ = 0;
};

}  // namespace scarpex_host
