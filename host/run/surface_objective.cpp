#include "run/surface_objective.h"

namespace scarpex_host {

namespace {

// The written points as one text: the key under which a surface's value is kept.
std::string key_of(const Polyline& points) {
  std::string key;
  for (const Point& p : points) key += written_text(p.x) + ' ' + written_text(p.y) + ' ';
  return key;
}

}  // namespace

double SurfaceObjective::value(const Candidate& candidate) {
  Candidate written = candidate;
  written.points = as_written(candidate.points);
  const std::string key = key_of(written.points);
  if (auto known = seen_.find(key); known != seen_.end()) return known->second;
  double value = kInadmissible;
  if (!broken_rule(written.points, rules_)) {
    CandidateOutcome outcome = runs_.run(candidate_input(input_, command_, written.points));
    if (method_.empty()) method_ = outcome.method;
    if (outcome.factor_of_safety) value = *outcome.factor_of_safety;
  }
  seen_.emplace(key, value);
  if (value < kInadmissible && (!best_ || value < best_->factor_of_safety)) {
    best_ = RatedCandidate{std::move(written), value};
  }
  return value;
}

}  // namespace scarpex_host
