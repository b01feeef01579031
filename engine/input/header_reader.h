// The header of the input data file: two keyword lines with the solver controls and the
// display-frame values, read in free format.
#pragma once

#include "core/engine.h"

namespace scarpex {

// Reads the header and echoes the frame values to the plot file. False when the run has
// ended: the file ended at a keyword line (the caller writes END) or a value was missing or
// unreadable (reported, and the run aborted).
bool read_input_header(Engine& e);

}  // namespace scarpex
