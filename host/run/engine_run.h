// The run stage: writes the names.dat of a planned run and calls the engine on it.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace scarpex_host {

// A file the host writes for the run before names.dat (a mirrored input).
struct RunInput {
  std::filesystem::path path;
  std::string text;
  std::string note;  // what the summary says of it
};

// A run as planned: everything in it was checked before the run starts.
struct EngineRun {
  std::optional<RunInput> input;          // the input file to write first; none: the user's
  std::optional<std::string> names_text;  // the names.dat to write first; none: it exists
  std::string library_path;               // absolute
  bool engine_output_to_stderr = false;   // standard output carries the JSON document
};

// Writes the input file and names.dat (with their folder) when the run asks for them, then
// calls DAROZI in the folder of `names_path`. False, with `problem` set, when no run could be
// made or the engine returned an error code.
bool run_engine(const std::filesystem::path& names_path, const EngineRun& run,
                std::string& problem);

}  // namespace scarpex_host
