// The critical-surface search of CIRCLE, CIRCL2, RANDOM, BLOCK and BLOCK2.
#pragma once

#include <string_view>

#include "core/engine.h"

namespace scarpex {

// Runs one complete search; the command loop has set the mode flags.
void run_search(Engine& e, std::string_view command);

}  // namespace scarpex
