#include "results/trial_sample.h"

#include <algorithm>
#include <cmath>

namespace scarpex_host {

namespace {

bool less_critical(const TrialSurface& a, const TrialSurface& b) {
  return a.factor_of_safety < b.factor_of_safety;
}

bool converged(const TrialSurface& t) {
  return t.solution_status == 1 && std::isfinite(t.factor_of_safety);
}

}  // namespace

void TrialSample::add(TrialSurface trial) {
  const int position = records_++;
  keep_if_critical(trial);
  if (position % stride_ != 0) return;
  points_ += trial.points.size();
  kept_.push_back(std::move(trial));
  order_.push_back(position);
  while (points_ > budget_ && kept_.size() > 1) thin();
}

// Halves the sample: every other kept trial goes.
void TrialSample::thin() {
  stride_ *= 2;
  std::size_t out = 0;
  points_ = 0;
  for (std::size_t i = 0; i < kept_.size(); ++i) {
    if (order_[i] % stride_ != 0) continue;
    points_ += kept_[i].points.size();
    kept_[out] = std::move(kept_[i]);
    order_[out++] = order_[i];
  }
  kept_.resize(out);
  order_.resize(out);
}

void TrialSample::keep_if_critical(const TrialSurface& trial) {
  if (!converged(trial)) return;
  if (critical_.size() == kMostCritical) {
    if (!less_critical(trial, critical_.front())) return;
    std::pop_heap(critical_.begin(), critical_.end(), less_critical);
    critical_.pop_back();
  }
  critical_.push_back(trial);
  std::push_heap(critical_.begin(), critical_.end(), less_critical);
}

std::vector<TrialSurface> TrialSample::take() {
  std::vector<TrialSurface> all = std::move(kept_);
  if (sampled()) {
    for (TrialSurface& t : critical_) all.push_back(std::move(t));
    auto by_trial = [](const TrialSurface& a, const TrialSurface& b) { return a.trial < b.trial; };
    std::stable_sort(all.begin(), all.end(), by_trial);
    auto same = [](const TrialSurface& a, const TrialSurface& b) { return a.trial == b.trial; };
    all.erase(std::unique(all.begin(), all.end(), same), all.end());
  }
  kept_.clear();
  order_.clear();
  critical_.clear();
  return all;
}

}  // namespace scarpex_host
