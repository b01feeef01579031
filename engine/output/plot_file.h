// The plot-file writer: the drawing of the problem and the SRF, SFS and TNS surface records.
#pragma once

#include "core/engine.h"

namespace scarpex {

// Chooses what to write from plot_stage: 2.0 an SFS record, 3.0 a TNS record, any other
// value a drawing (ending with SRF for a specified surface).
void write_plot_records(Engine& e);

}  // namespace scarpex
