#include "results/search_outcome.h"

#include <algorithm>
#include <cmath>

namespace scarpex_host {

namespace {

constexpr unsigned char kNotConverged = 2;
constexpr unsigned char kNegative = 3;
constexpr unsigned char kGenerationFailed = 4;
constexpr unsigned char kSkipped = 5;

std::optional<int> requested_trials(const SearchSetup& setup) {
  if (setup.requested) return setup.requested;
  // The total overflows its field before the count per point and the number of points do.
  if (setup.surfaces_per_point && setup.point_count)
    return *setup.surfaces_per_point * *setup.point_count;
  return std::nullopt;
}

// The trial from which the search generated nothing more before its last trial: skipping that
// lasted to its end (a block search has one initiation point; a search of several points is
// only cut short when the skipping began before its last point), or a run that ended in it.
std::optional<int> trial_generation_ended(const SearchSetup& setup, const SearchOutcome& o,
                                          const TrialCodes& codes) {
  const int started = static_cast<int>(codes.size());
  int trailing = 0;
  while (trailing < started && codes[static_cast<std::size_t>(started - 1 - trailing)] == kSkipped)
    ++trailing;
  const int per_point = setup.surfaces_per_point.value_or(0);
  const int points = setup.point_count.value_or(1);
  const int last_point_start = per_point > 0 ? per_point * (points - 1) + 1 : 1;
  const int first_skipped = started - trailing + 1;
  if (trailing > 0 && (points <= 1 || first_skipped < last_point_start)) return first_skipped;
  if (o.requested && started < *o.requested && started > 0) {
    return trailing > 0 ? first_skipped : started;
  }
  return std::nullopt;
}

std::vector<int> points_with_skipped_trials(const SearchSetup& setup, const TrialCodes& codes) {
  std::vector<int> points;
  const int per_point = setup.surfaces_per_point.value_or(0);
  for (std::size_t i = 0; i < codes.size(); ++i) {
    if (codes[i] != kSkipped) continue;
    int point = per_point > 0 ? static_cast<int>(i) / per_point + 1 : 1;
    if (points.empty() || points.back() != point) points.push_back(point);
  }
  return points;
}

bool converged(const TrialSurface& t) {
  return t.solution_status == 1 && std::isfinite(t.factor_of_safety);
}

// The first converged trial whose factor is the lowest (the list keeps the earlier of equals).
std::optional<int> first_trial_at_lowest(const std::vector<TrialSurface>& trials) {
  std::optional<int> trial;
  double lowest = 0;
  for (const TrialSurface& t : trials) {
    if (!converged(t) || (trial && !(t.factor_of_safety < lowest))) continue;
    trial = t.trial;
    lowest = t.factor_of_safety;
  }
  return trial;
}

bool is_search(const Analysis& a) {
  return a.kind == AnalysisKind::kSearch;
}

}  // namespace

SearchOutcome search_outcome(const Analysis& search, const TrialCodes& codes) {
  SearchOutcome o;
  o.requested = requested_trials(search.setup);
  o.started = static_cast<int>(codes.size());
  for (unsigned char code : codes) {
    if (code == kGenerationFailed) {
      ++o.generation_failed;
    } else if (code == kSkipped) {
      ++o.skipped;
    } else {
      ++o.analysed;
      if (code == kNotConverged) ++o.not_converged;
      if (code == kNegative) ++o.negative;
    }
  }
  o.ended_at_trial = trial_generation_ended(search.setup, o, codes);
  o.skipped_at_points = points_with_skipped_trials(search.setup, codes);
  if (!search.critical.empty()) o.best_found_at_trial = first_trial_at_lowest(search.trials);
  return o;
}

std::vector<ConvergencePoint> convergence_series(const std::vector<TrialSurface>& trials,
                                                 std::size_t max_points) {
  std::vector<ConvergencePoint> series;
  int last_trial = 0;
  for (const TrialSurface& t : trials) {
    last_trial = std::max(last_trial, t.trial);
    if (!converged(t)) continue;
    if (series.empty() || t.factor_of_safety < series.back().lowest)
      series.push_back({t.trial, t.factor_of_safety});
  }
  if (!series.empty() && series.back().trial != last_trial)
    series.push_back({last_trial, series.back().lowest});
  if (series.size() <= max_points || max_points < 2) return series;
  std::vector<ConvergencePoint> thinned;
  const std::size_t last = series.size() - 1;
  for (std::size_t k = 0; k < max_points; ++k)
    thinned.push_back(series[k * last / (max_points - 1)]);
  return thinned;
}

void fill_search_outcomes(std::vector<Analysis>& analyses, const std::vector<TrialCodes>& runs) {
  std::size_t next = 0;
  for (Analysis& a : analyses) {
    if (!is_search(a)) continue;
    a.convergence = convergence_series(a.trials);
    const bool one_trial = a.setup.requested == 1;
    while (next < runs.size() && runs[next].size() < 2 && !one_trial && next + 1 < runs.size())
      ++next;
    if (next >= runs.size()) continue;
    a.search = search_outcome(a, runs[next++]);
  }
}

}  // namespace scarpex_host
