// The run stage: writes the names.dat of a planned run and calls the engine on it.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace scarpex_host {

// A run as planned: everything in it was checked before the run starts.
struct EngineRun {
  std::optional<std::string> names_text;  // the names.dat to write first; none: it exists
  std::string library_path;               // absolute
  bool engine_output_to_stderr = false;   // standard output carries the JSON document
};

// Writes names.dat (with its folder) when the run asks for it, then calls DAROZI in the folder
// of `names_path`. False, with `problem` set, when no run could be made or the engine
// returned an error code.
bool run_engine(const std::filesystem::path& names_path, const EngineRun& run,
                std::string& problem);

}  // namespace scarpex_host
