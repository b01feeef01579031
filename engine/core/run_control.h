// Start-up settings and the two routines that end a run early.
#pragma once

#include "core/engine.h"

namespace scarpex {

// The settings every call makes before names.dat is read; nothing else is cleared.
void make_startup_settings(ProblemModel& model);

// Ends the run with the abort banner (trace file, then report) and the END plot record.
void abort_run(Engine& e);

// Ends the run without a banner: only the END plot record.
void stop_run(Engine& e);

// Writes the END record unless this run has written it already, so that every plot file
// ends with exactly one.
void write_plot_end(Engine& e);

}  // namespace scarpex
