#include "fos/applied_forces.h"

namespace scarpex {

void apply_tie_forces(Engine&) {}
void compute_reinforcement_moment(Engine&) {}

}  // namespace scarpex
