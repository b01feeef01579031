// One run of the host: prepare names.dat, call the engine, read the results back, say how the
// run ended and write the picture, the HTML page and the JSON document asked for.
#pragma once

#include "cli/host_options.h"

namespace scarpex_host {

constexpr int kExitCompleted = 0;
constexpr int kExitAborted = 1;  // aborted, or did not finish
constexpr int kExitNoRun = 2;    // no run could be made, or its results cannot be read

int run_command(const HostOptions& options);

}  // namespace scarpex_host
