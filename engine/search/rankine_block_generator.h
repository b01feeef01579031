// The Rankine sliding-block generator: a central block through the user's boxes whose sides
// rise at the Rankine angles of the soil each side passes through, passive on the left
// (45 degrees less half the friction angle) and active on the right (45 degrees plus half).
// The search limits do not apply to it.
#pragma once

#include "core/engine.h"

namespace scarpex {

// Builds one block surface; on failure sets stop_code to 10 or 12. The first failed attempt
// of a search writes BK12 to the report.
void generate_rankine_block_surface(Engine& e);

}  // namespace scarpex
