// Gathering of the critical abscissae of the current surface: every place where a property
// of the sliding mass changes along x. Used by collect_slice_abscissae.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "model/problem_model.h"

namespace scarpex {

// Room for the abscissae of one surface before merging. Every source is bounded by its
// table: surface points, ground breaks, both ends of every boundary, piezometric points,
// both ends of every load, and the crossings of boundaries, piezometric segments and surface
// segments with one another. Sized for that worst case, so no surface can overrun it.
inline constexpr int32_t kMaxGatheredAbscissae =
    kMaxSurfacePoints + kMaxBoundaries + 2 * kMaxBoundaries + kMaxPiezoSurfaces * kMaxPiezoPoints +
    2 * kMaxLoads + kMaxBoundaries * (kMaxSurfacePoints - 1) +
    kMaxBoundaries * kMaxPiezoSurfaces * (kMaxPiezoPoints - 1) +
    kMaxPiezoSurfaces * (kMaxPiezoPoints - 1) * (kMaxSurfacePoints - 1);

class AbscissaList {
 public:
  void clear() {
    count_ = 0;
    overflow_ = false;
  }
  void add(float x) {
    if (count_ < kMaxGatheredAbscissae) {
      values_[static_cast<std::size_t>(count_++)] = x;
    } else {
      overflow_ = true;  // cannot happen with the bound above; kept as a guard
    }
  }
  bool overflow() const { return overflow_; }
  std::span<float> values() { return {values_.data(), static_cast<std::size_t>(count_)}; }

 private:
  std::array<float, kMaxGatheredAbscissae> values_{};
  int32_t count_ = 0;
  bool overflow_ = false;
};

// Adds every critical abscissa of the current surface (unsorted, not merged). The surface
// must have at least two points.
void gather_critical_abscissae(const ProblemModel& m, AbscissaList& list);

// Sorts the list and reduces every run of neighbours closer than `tolerance` (each to the
// next) to its last, largest member. Returns the number left, at the front of the list.
int32_t sort_and_merge(std::span<float> values, float tolerance);

}  // namespace scarpex
