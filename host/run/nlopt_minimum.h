// A function of a few reals minimised without derivatives by NLopt's local optimisers. The
// algorithms chosen are deterministic: the same start and steps give the same result.
#pragma once

#include <cstddef>
#include <functional>
#include <limits>
#include <vector>

namespace scarpex_host {

using Objective = std::function<double(const std::vector<double>&)>;

enum class Optimiser {
  kSubplex,  // Rowan's Subplex: Nelder-Mead on subspaces; copes with steps and plateaus
  kBobyqa,   // Powell's BOBYQA: quadratic models in a trust region, for the last digits
};

struct MinimiseSettings {
  Optimiser optimiser = Optimiser::kSubplex;
  std::vector<double> steps;         // the first step in each variable
  std::vector<double> lower, upper;  // bounds (BOBYQA needs them)
  std::vector<double> tolerances;    // stop when no variable moves by more
  int max_evaluations = 0;
};

// Settings for `variables` coordinates of a surface `width` wide: the first steps and the
// tolerance given as shares of the width.
MinimiseSettings settings_for_width(Optimiser optimiser, std::size_t variables, double width,
                                    double step_share, double tolerance_share, int evaluations);

struct Minimum {
  std::vector<double> x;
  double value = std::numeric_limits<double>::infinity();
};

// The lowest value `objective` took from `start` on. However NLopt ends (converged, out of
// evaluations, a round-off stop), the best point evaluated is the answer.
Minimum minimise(const Objective& objective, const std::vector<double>& start,
                 const MinimiseSettings& settings);

}  // namespace scarpex_host
