// The ordering rule of the lower boundaries of a profile: a boundary later in the list must
// not cross an earlier one or lie above it where their x-ranges overlap.
#pragma once

#include <cstdint>

#include "model/problem_model.h"

namespace scarpex {

// True when boundary j (later in the list) stays below boundary i within the tolerance.
// Both numbers must lie within 1 to boundary_count.
bool boundary_pair_in_order(const ProblemModel& m, int32_t i, int32_t j);

}  // namespace scarpex
