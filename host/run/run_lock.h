// A run's folder held by one run at a time: the host writes names.dat and the engine writes
// its output files there, so two runs in one folder at once would read each other's files and
// report each other's results.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace scarpex_host {

// The file whose exclusive lock holds a run folder; the Python package takes the same one.
inline constexpr const char* kRunLockFile = ".scarpex-run.lock";

// An exclusive lock on a run folder's lock file, held until destroyed. When another process
// holds the folder, waits for it (after `on_wait`); a lock this process inherited (from a
// program that claimed the folder and started the host in it) counts as held.
class RunFolderLock {
 public:
  RunFolderLock() = default;
  RunFolderLock(const RunFolderLock&) = delete;
  RunFolderLock& operator=(const RunFolderLock&) = delete;
  ~RunFolderLock();

  // False, with `problem` set, when the lock file cannot be made or locked.
  bool acquire(const std::filesystem::path& folder, const std::function<void()>& on_wait,
               std::string& problem);

 private:
  int fd_ = -1;
};

}  // namespace scarpex_host
