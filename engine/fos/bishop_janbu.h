// The Modified Bishop (circular surfaces) and Modified Janbu (any shape) methods.
#pragma once

#include "core/engine.h"

namespace scarpex {

// Iterates the factor of safety of the current slice table from 1.5, writes the trace,
// status and report lines, and leaves the factor in list slot 0, the solution status and the
// base stresses.
void bishop_janbu_fos(Engine& e);

}  // namespace scarpex
