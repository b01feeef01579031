// The inner iteration of Spencer's method: for one side-force angle, the secant iteration on
// the trial factor that first closes the force balance (Ff) and then the moment balance (Fm).
#pragma once

#include <cstdint>

#include "fos/spencer_slices.h"
#include "model/problem_model.h"

namespace scarpex {

struct InnerResult {
  bool converged = false;
  float force_fos = 0.0f;   // Ff
  float moment_fos = 0.0f;  // Fm
  int32_t iterations = 0;   // trials made; the limit when it passed without convergence
};

// Runs from the first trial `first_fos` on slices prepared for the angle; `sweep` holds the
// last sweep made.
InnerResult run_inner_iteration(const ProblemModel& m, SpencerSlices& work, float first_fos,
                                SpencerSweep& sweep);

}  // namespace scarpex
