#include "views/atomic_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

namespace scarpex_host {

namespace fs = std::filesystem;

namespace {

// ".NAME.partial-PID" beside the product: in its folder, so that the rename stays on one file
// system, hidden, and one per process.
fs::path temporary_beside(const fs::path& path) {
  return path.parent_path() /
         ("." + path.filename().string() + ".partial-" + std::to_string(::getpid()));
}

}  // namespace

AtomicFile::~AtomicFile() {
  if (file_.is_open()) discard();
}

bool AtomicFile::open(const fs::path& path, std::string& problem) {
  path_ = path;
  temporary_ = temporary_beside(path);
  file_.open(temporary_, std::ios::binary | std::ios::trunc);
  if (!file_) {
    problem = "cannot write " + path.string() + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

bool AtomicFile::write(const std::string& text) {
  if (failed_) return false;
  file_ << text << std::flush;
  failed_ = !file_;
  return !failed_;
}

bool AtomicFile::commit(std::string& problem) {
  file_.close();
  if (failed_ || !file_) {
    problem = "cannot write " + path_.string() + ": the writing failed (a full disk?)";
    discard();
    return false;
  }
  std::error_code error;
  fs::rename(temporary_, path_, error);
  if (error) {
    problem = "cannot write " + path_.string() + ": " + error.message();
    discard();
    return false;
  }
  return true;
}

void AtomicFile::discard() {
  if (file_.is_open()) file_.close();
  std::error_code error;
  fs::remove(temporary_, error);
}

bool write_file_atomically(const fs::path& path, const std::string& text, std::string& problem) {
  AtomicFile file;
  if (!file.open(path, problem)) return false;
  file.write(text);
  return file.commit(problem);
}

}  // namespace scarpex_host
