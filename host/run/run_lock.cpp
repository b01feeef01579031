#include "run/run_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>

namespace scarpex_host {

namespace fs = std::filesystem;

namespace {

constexpr int kFirstInheritedFd = 3;  // after standard input, output and error

// Whether this process inherited a descriptor open on the same lock file as `fd`. A lock is
// held by an open file description, which the descriptor shares with the program that started
// the host: that program's lock is then the host's too (the Python package hands its lock on
// this way), and waiting for it would wait for ever.
bool inherited_same_file(int fd) {
  struct stat own {};
  if (::fstat(fd, &own) != 0) return false;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator("/proc/self/fd", error)) {
    const int other = std::atoi(entry.path().filename().c_str());
    if (other < kFirstInheritedFd || other == fd) continue;
    struct stat seen {};
    if (::fstat(other, &seen) == 0 && seen.st_dev == own.st_dev && seen.st_ino == own.st_ino)
      return true;
  }
  return false;
}

}  // namespace

RunFolderLock::~RunFolderLock() {
  if (fd_ >= 0) ::close(fd_);  // closing releases the lock
}

bool RunFolderLock::acquire(const fs::path& folder, const std::function<void()>& on_wait,
                            std::string& problem) {
  std::error_code error;
  fs::create_directories(folder, error);
  const fs::path path = folder / kRunLockFile;
  fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd_ < 0) {
    problem = "cannot write in the run folder " + folder.string() + ": " + std::strerror(errno);
    return false;
  }
  if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) return true;
  if (errno == EWOULDBLOCK && inherited_same_file(fd_)) return true;
  on_wait();
  while (::flock(fd_, LOCK_EX) != 0) {
    if (errno == EINTR) continue;
    problem = "cannot write in the run folder " + folder.string() + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

}  // namespace scarpex_host
