// The command loop: the header, then one six-character command word per line.
#pragma once

#include <string_view>

#include "core/engine.h"

namespace scarpex {

// The 18 commands, entry n at characters 6n-5 to 6n.
inline constexpr std::string_view kCommandTable =
    "PROFILLOADS TIES  WATER SURFACEXECUTEQUAKESOIL  RANDOMCIRCLECIRCL2BLOCK BLOCK2LIMITSANISO "
    "SURBISSPENCRREINF ";
inline constexpr int kCommandCount = 18;

// Reads the header and the commands until the run ends; every way out leaves the plot file
// ending with its END record.
void run_command_loop(Engine& e);

}  // namespace scarpex
