// The outcome of the Modified Bishop / Modified Janbu iteration: status, trace and report
// lines, and the closing report.
#pragma once

#include "core/engine.h"

namespace scarpex {

enum class Outcome { kConverged, kNegative, kNotConverged };

struct IterationResult {
  Outcome outcome = Outcome::kNotConverged;
  float f_new = 0.0f;             // the factor of safety (F' of the last iteration)
  float f_used = 0.0f;            // the F from which it was computed
  float misleading_limit = 0.0f;  // L: at or below it, 1 + m/F is not positive for a slice
};

// Stores the factor of safety in list slot 0, sets the solution status and writes the
// outcome's lines; under Spencer's method a converged result is left to that method.
void report_iteration_outcome(Engine& e, const IterationResult& result);

}  // namespace scarpex
