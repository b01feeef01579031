// The detailed output of one analysed surface: summary line, slice table, the INF, INS and INX
// plot records and, with Spencer's method, the line of thrust.
#pragma once

#include "run/engine.h"

namespace scarpex {

// Called after EXECUT has analysed a specified surface.
void write_slice_tables(Engine& e);

}  // namespace scarpex
