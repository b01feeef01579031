// `scarpex batch`: many input files, each run by a child process of this program.
#pragma once

#include "cli/host_options.h"

namespace scarpex_host {

int run_batch(const HostOptions& options);

}  // namespace scarpex_host
