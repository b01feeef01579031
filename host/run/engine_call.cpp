#include "run/engine_call.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <system_error>

namespace scarpex_host {

namespace fs = std::filesystem;

namespace {

using DaroziFunction = int32_t (*)(int32_t, int32_t);

// Points standard output at standard error while it lives.
class StdoutToStderr {
 public:
  explicit StdoutToStderr(bool active) {
    if (!active) return;
    std::cout.flush();
    std::fflush(stdout);
    saved_ = ::dup(STDOUT_FILENO);
    if (saved_ >= 0) ::dup2(STDERR_FILENO, STDOUT_FILENO);
  }
  ~StdoutToStderr() {
    if (saved_ < 0) return;
    std::cout.flush();
    std::fflush(stdout);
    ::dup2(saved_, STDOUT_FILENO);
    ::close(saved_);
  }
  StdoutToStderr(const StdoutToStderr&) = delete;
  StdoutToStderr& operator=(const StdoutToStderr&) = delete;

 private:
  int saved_ = -1;
};

}  // namespace

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
  void* library = dlopen(library_path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    call.problem = std::string("cannot load the engine library: ") + dlerror();
    return call;
  }
  auto darozi = reinterpret_cast<DaroziFunction>(dlsym(library, "DAROZI"));
  if (darozi == nullptr) {
    call.problem = library_path + " has no DAROZI entry point";
    dlclose(library);
    return call;
  }
  std::error_code error;
  fs::path previous = fs::current_path(error);
  fs::current_path(run_folder, error);
  if (error) {
    call.problem = "cannot work in " + run_folder.string() + ": " + error.message();
    dlclose(library);
    return call;
  }
  std::cout.flush();
  {
    StdoutToStderr redirect(quiet_stdout);
    call.result = darozi(0, 0);
    call.called = true;
  }
  dlclose(library);
  if (!previous.empty()) fs::current_path(previous, error);
  return call;
}

}  // namespace scarpex_host
