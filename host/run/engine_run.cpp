#include "run/engine_run.h"

#include <cstdint>
#include <fstream>
#include <system_error>

#include "run/engine_call.h"

namespace scarpex_host {

namespace fs = std::filesystem;

namespace {

// What a non-zero return code of DAROZI means (the engine has said the details on standard
// error already).
std::string engine_code_text(int32_t code) {
  switch (code) {
    case 1:
      return "names.dat is missing, unreadable or short";
    case 2:
      return "a run file could not be opened";
    case 3:
      return "an unexpected failure inside the engine";
    case 4:
      return "a run was already in progress";
    case 5:
      return "an output file could not be written completely: do not trust its contents";
    default:
      return "the engine could not make the run";
  }
}

bool write_run_file(const fs::path& path, const std::string& text, std::string& problem) {
  std::error_code error;
  fs::create_directories(path.parent_path(), error);
  std::ofstream file(path, std::ios::binary);
  file << text;
  file.close();
  if (!file) problem = "cannot write " + path.string();
  return static_cast<bool>(file);
}

}  // namespace

bool run_engine(const fs::path& names_path, const EngineRun& run, std::string& problem) {
  if (run.input && !write_run_file(run.input->path, run.input->text, problem)) return false;
  if (run.names_text && !write_run_file(names_path, *run.names_text, problem)) return false;
  EngineCall call =
      call_engine(run.library_path, names_path.parent_path(), run.engine_output_to_stderr);
  if (!call.called) {
    problem = call.problem;
    return false;
  }
  if (call.result != 0) {
    problem = engine_code_text(call.result) + " (engine code " + std::to_string(call.result) + ")";
    return false;
  }
  return true;
}

}  // namespace scarpex_host
