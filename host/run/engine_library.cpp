#include "run/engine_library.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <system_error>

namespace scarpex_host {

namespace fs = std::filesystem;

namespace {

// Points standard output at standard error, or at /dev/null, while it lives.
class StdoutRedirected {
 public:
  explicit StdoutRedirected(EngineStdout output) {
    if (output == EngineStdout::kUnchanged) return;
    std::cout.flush();
    std::fflush(stdout);
    const int target =
        output == EngineStdout::kToStandardError ? STDERR_FILENO : ::open("/dev/null", O_WRONLY);
    if (target < 0) return;
    saved_ = ::dup(STDOUT_FILENO);
    if (saved_ >= 0) ::dup2(target, STDOUT_FILENO);
    if (target != STDERR_FILENO) ::close(target);
  }
  ~StdoutRedirected() {
    if (saved_ < 0) return;
    std::cout.flush();
    std::fflush(stdout);
    ::dup2(saved_, STDOUT_FILENO);
    ::close(saved_);
  }
  StdoutRedirected(const StdoutRedirected&) = delete;
  StdoutRedirected& operator=(const StdoutRedirected&) = delete;

 private:
  int saved_ = -1;
};

}  // namespace

std::unique_ptr<EngineLibrary> EngineLibrary::load(const std::string& path, std::string& problem) {
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    problem = std::string("cannot load the engine library: ") + dlerror();
    return nullptr;
  }
  auto darozi = reinterpret_cast<Darozi>(dlsym(handle, "DAROZI"));
  if (darozi == nullptr) {
    problem = path + " has no DAROZI entry point";
    dlclose(handle);
    return nullptr;
  }
  return std::unique_ptr<EngineLibrary>(new EngineLibrary(handle, darozi));
}

EngineLibrary::~EngineLibrary() {
  dlclose(handle_);
}

std::optional<int32_t> EngineLibrary::call_in(const fs::path& folder, EngineStdout output,
                                              std::string& problem) const {
  std::error_code error;
  fs::path previous = fs::current_path(error);
  fs::current_path(folder, error);
  if (error) {
    problem = "cannot work in " + folder.string() + ": " + error.message();
    return std::nullopt;
  }
  std::cout.flush();
  int32_t result = 0;
  {
    StdoutRedirected redirect(output);
    result = darozi_(0, 0);
  }
  if (!previous.empty()) fs::current_path(previous, error);
  return result;
}

}  // namespace scarpex_host
