// One run of the host: prepare names.dat, call the engine, read the results back, say how the
// run ended and write the picture, the HTML page and the JSON document asked for.
#pragma once

#include "cli/host_options.h"
#include "results/results.h"

namespace scarpex_host {

constexpr int kExitCompleted = 0;
constexpr int kExitAborted = 1;     // aborted, or did not finish
constexpr int kExitNoRun = 2;       // no run could be made, or its results cannot be read
constexpr int kExitIncomplete = 3;  // completed, but the result is incomplete (see Results)

// The exit status of a run read back: with `strict`, a warning makes the result incomplete.
int exit_status_of(const Results& results, bool strict);

int run_command(const HostOptions& options);

}  // namespace scarpex_host
