// The trial surfaces of a search kept in bounded memory: a search of a million trials writes
// more than a gigabyte of plot records, while a picture shows a few hundred thousand points.
#pragma once

#include <cstddef>
#include <vector>

#include "results/results.h"

namespace scarpex_host {

// Every trial while their points are few; beyond that every k-th trial (k doubling as the
// points grow) and, always, the most critical ones.
class TrialSample {
 public:
  static constexpr std::size_t kPointBudget = 400'000;
  static constexpr std::size_t kMostCritical = 200;

  explicit TrialSample(std::size_t point_budget = kPointBudget) : budget_(point_budget) {}

  void add(TrialSurface trial);
  int records() const { return records_; }
  bool sampled() const { return stride_ > 1; }
  // The trials kept, in trial order; the sample is empty afterwards.
  std::vector<TrialSurface> take();

 private:
  void thin();
  void keep_if_critical(const TrialSurface& trial);

  std::size_t budget_;
  std::vector<TrialSurface> kept_;
  std::vector<int> order_;              // the position among all records of each kept trial
  std::vector<TrialSurface> critical_;  // a max-heap by factor of safety: the lowest ones
  std::size_t points_ = 0;
  int stride_ = 1;
  int records_ = 0;
};

}  // namespace scarpex_host
