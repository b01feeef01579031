// The critical-surface search of CIRCLE, CIRCL2, RANDOM, BLOCK and BLOCK2.
#pragma once

#include <string_view>

#include "core/engine.h"

namespace scarpex {

// Runs one complete search; the command loop has set the mode flags. Reads and checks the
// search's data items, runs every trial (generation, analysis, SFS record, the list), writes
// the final report and the closing plot records and clears the search flags. A fatal condition
// leaves stop_code above 0 with the flags as they are.
void run_search(Engine& e, std::string_view command);

}  // namespace scarpex
