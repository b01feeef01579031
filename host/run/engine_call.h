// Loading the engine library and calling DAROZI in a run folder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace scarpex_host {

std::string default_library_path();

struct EngineCall {
  bool called = false;  // the library was loaded and DAROZI was called
  int32_t result = 0;   // what DAROZI returned
  std::string problem;  // why it was not called
};

// Calls DAROZI with `run_folder` as the working folder, then returns to the folder it was
// called from. With `quiet_stdout`, what the engine prints goes to standard error, keeping
// standard output for the JSON document.
EngineCall call_engine(const std::string& library_path, const std::filesystem::path& run_folder,
                       bool quiet_stdout);

}  // namespace scarpex_host
