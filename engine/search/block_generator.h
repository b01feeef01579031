// The sliding-block generator: a central block whose base passes through the user's boxes,
// with side segments rising from the ends of the base to the ground at random inclinations
// between 0 and 45 degrees, clear of the search limits.
#pragma once

#include "core/engine.h"

namespace scarpex {

// Builds one block surface; on failure sets stop_code to 10 or 12.
void generate_block_surface(Engine& e);

}  // namespace scarpex
