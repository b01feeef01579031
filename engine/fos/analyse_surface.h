// The analysis of the current surface, from slicing to the factor of safety.
#pragma once

#include "core/engine.h"

namespace scarpex {

// Slices the current surface, applies tie and reinforcement forces, runs the Modified Bishop
// or Modified Janbu method and, under SPENCR, Spencer's method. Leaves the factor of safety
// in list slot 0, the solution status and the slice table; stop_code above 0 when the
// surface was rejected (21, 13, 14) or the run must end.
void analyse_surface(Engine& e);

}  // namespace scarpex
