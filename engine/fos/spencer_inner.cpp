#include "fos/spencer_inner.h"

#include <cmath>

#include "fos/spencer_steps.h"

namespace scarpex {

namespace {

// One point of the iteration: a trial factor and its two residuals.
struct Trial {
  float fos = 0.0f;
  float force = 0.0f;
  float moment = 0.0f;
};

}  // namespace

InnerResult run_inner_iteration(const ProblemModel& m, SpencerSlices& work, float first_fos,
                                SpencerSweep& sweep) {
  const int32_t limit = m.spencer_inner_limit();
  const float moment_tolerance = m.spencer_moment_tolerance();
  const float force_tolerance = m.spencer_force_tolerance();
  const float tol = m.coord_tolerance;

  InnerResult result;
  bool moment_mode = false;
  Trial previous, second;
  float current = first_fos;
  float previous_root = 0.0f;       // rf(j-1) in force mode, rm(j-1) in moment mode
  float second_moment_root = 0.0f;  // rm(2), where the moment mode starts
  int32_t j = 1;
  while (j <= limit) {
    result.iterations = j;
    if (!sweep_slices(m, work, current, sweep)) return result;
    Trial trial{current, sweep.force_residual, sweep.moment_residual};
    float next = 0.0f;
    if (j == 1) {
      next = second_trial_factor(current, trial.force, trial.moment);
    } else if (j == 2) {
      SecantRoot rf = secant_root(previous.fos, previous.force, trial.fos, trial.force, tol);
      SecantRoot rm = secant_root(previous.fos, previous.moment, trial.fos, trial.moment, tol);
      if (!rf.found || !rm.found) return result;
      previous_root = rf.value;
      second_moment_root = rm.value;
      second = trial;
      next = rf.value;
    } else if (!moment_mode) {
      SecantRoot rf = secant_root(previous.fos, previous.force, trial.fos, trial.force, tol);
      if (!rf.found) return result;
      if (force_tolerance > std::fabs(rf.value - previous_root)) {
        // Force balance found: start the moment balance again from the trial of j = 3.
        result.force_fos = rf.value;
        moment_mode = true;
        previous = second;
        previous_root = second_moment_root;
        current = second_moment_root;
        j = 3;
        continue;
      }
      previous_root = rf.value;
      next = rf.value;
    } else {
      SecantRoot rm = secant_root(previous.fos, previous.moment, trial.fos, trial.moment, tol);
      if (!rm.found) return result;
      if (moment_tolerance > std::fabs(rm.value - previous_root)) {
        result.moment_fos = rm.value;
        result.converged = true;
        return result;
      }
      previous_root = rm.value;
      next = rm.value;
    }
    previous = trial;
    current = next;
    ++j;
  }
  return result;
}

}  // namespace scarpex
