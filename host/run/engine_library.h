// The engine library loaded once and DAROZI called in a run folder, by a run of the host and
// by the refinement's candidate runs alike.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace scarpex_host {

// Where what the engine prints goes during a call.
enum class EngineStdout { kUnchanged, kToStandardError, kDropped };

class EngineLibrary {
 public:
  // The library at `path` with its DAROZI entry point; nothing, with `problem` saying why.
  static std::unique_ptr<EngineLibrary> load(const std::string& path, std::string& problem);
  ~EngineLibrary();
  EngineLibrary(const EngineLibrary&) = delete;
  EngineLibrary& operator=(const EngineLibrary&) = delete;

  // Calls DAROZI with `folder` as the working folder, then returns to the folder it was called
  // from. What DAROZI returned; nothing, with `problem` saying why, when it was not called.
  std::optional<int32_t> call_in(const std::filesystem::path& folder, EngineStdout output,
                                 std::string& problem) const;

 private:
  using Darozi = int32_t (*)(int32_t, int32_t);
  EngineLibrary(void* handle, Darozi darozi) : handle_(handle), darozi_(darozi) {}

  void* handle_;
  Darozi darozi_;
};

}  // namespace scarpex_host
