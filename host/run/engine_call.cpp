#include "run/engine_call.h"

#include <cstdlib>
#include <system_error>

#include "run/engine_library.h"

namespace scarpex_host {

namespace fs = std::filesystem;

std::string default_library_path() {
  if (const char* from_env = std::getenv("SCARPEX_LIBRARY"); from_env && *from_env) {
    return from_env;
  }
  std::error_code error;
  fs::path self = fs::read_symlink("/proc/self/exe", error);
  fs::path folder = error ? fs::current_path(error) : self.parent_path();
  return (folder / "libScarpex2025_DLL.so").string();
}

EngineCall call_engine(const std::string& library_path, const fs::path& run_folder,
                       bool quiet_stdout) {
  EngineCall call;
  std::unique_ptr<EngineLibrary> library = EngineLibrary::load(library_path, call.problem);
  if (!library) return call;
  std::optional<int32_t> result = library->call_in(
      run_folder, quiet_stdout ? EngineStdout::kToStandardError : EngineStdout::kUnchanged,
      call.problem);
  call.called = result.has_value();
  call.result = result.value_or(0);
  return call;
}

}  // namespace scarpex_host
