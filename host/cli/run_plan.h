// The first step of a run: the options turned into the run's files and products, every one of
// them checked before anything runs.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "cli/host_options.h"
#include "run/engine_run.h"
#include "run/refine.h"
#include "views/products.h"

namespace scarpex_host {

struct RunPlan {
  std::filesystem::path names_path;  // absolute; names the run files that are read back
  std::optional<EngineRun> engine;   // none with --no-run: an earlier run's files are read
  ProductPaths products;
  std::optional<RefineRequest> refine;  // with --refine
  std::filesystem::path user_input;     // the user's input file (empty with --names)
  RunFiles run_files;                   // as planned, or as names.dat names them
};

// The plan of a run, or nothing with `problem` saying why no run can be made.
std::optional<RunPlan> plan_run(const HostOptions& options, std::string& problem);

}  // namespace scarpex_host
