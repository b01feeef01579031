#include "run/nlopt_minimum.h"

#include <nlopt.hpp>
#include <stdexcept>

namespace scarpex_host {

namespace {

struct Tracked {
  const Objective& objective;
  Minimum best;
};

double tracked_value(unsigned n, const double* x, double* /*gradient*/, void* data) {
  auto& tracked = *static_cast<Tracked*>(data);
  std::vector<double> point(x, x + n);
  double value = tracked.objective(point);
  if (value < tracked.best.value) tracked.best = {point, value};
  return value;
}

nlopt::algorithm algorithm_of(Optimiser optimiser) {
  return optimiser == Optimiser::kBobyqa ? nlopt::LN_BOBYQA : nlopt::LN_SBPLX;
}

}  // namespace

MinimiseSettings settings_for_width(Optimiser optimiser, std::size_t variables, double width,
                                    double step_share, double tolerance_share, int evaluations) {
  MinimiseSettings s;
  s.optimiser = optimiser;
  s.steps.assign(variables, step_share * width);
  s.tolerances.assign(variables, tolerance_share * width);
  s.max_evaluations = evaluations;
  return s;
}

Minimum minimise(const Objective& objective, const std::vector<double>& start,
                 const MinimiseSettings& settings) {
  Tracked tracked{objective, {}};
  if (start.empty() || settings.max_evaluations <= 0) return tracked.best;
  nlopt::opt opt(algorithm_of(settings.optimiser), static_cast<unsigned>(start.size()));
  opt.set_min_objective(tracked_value, &tracked);
  if (!settings.lower.empty()) opt.set_lower_bounds(settings.lower);
  if (!settings.upper.empty()) opt.set_upper_bounds(settings.upper);
  if (!settings.steps.empty()) opt.set_initial_step(settings.steps);
  if (!settings.tolerances.empty()) opt.set_xtol_abs(settings.tolerances);
  opt.set_maxeval(settings.max_evaluations);
  std::vector<double> x = start;
  double value = 0;
  try {
    opt.optimize(x, value);
  } catch (const std::exception&) {
    // NLopt ends some runs by throwing (a round-off limit, a failed step): the best point so
    // far stands.
  }
  return tracked.best;
}

}  // namespace scarpex_host
