// The answer to a command that this build of the engine does not carry out yet.
#pragma once

#include <string_view>

#include "core/engine.h"

namespace scarpex {

// Says so in the report and the trace file and ends the run through abort_run.
void command_not_available(Engine& e, std::string_view command);

}  // namespace scarpex
