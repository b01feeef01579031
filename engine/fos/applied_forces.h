// Forces applied by the user on the slices: tiebacks spread over the slice bases, and the
// resisting moment of reinforcement for the Modified Bishop method.
#pragma once

#include "core/engine.h"

namespace scarpex {

// Fills tie_normal_force and tie_shear_force of the slice table.
void apply_tie_forces(Engine& e);

// Sets reinforcement_moment; with the Modified Janbu method reports RF09 and aborts the run.
void compute_reinforcement_moment(Engine& e);

}  // namespace scarpex
