// Spencer's method: force and moment equilibrium with inclined interslice forces.
#pragma once

#include "core/engine.h"

namespace scarpex {

// Runs after bishop_janbu_fos, from the factor of safety it left in list slot 0.
void spencer_fos(Engine& e);

}  // namespace scarpex
