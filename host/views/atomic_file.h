// Products written whole or not at all: the text goes to a temporary file beside the product,
// which is flushed, checked and renamed into place, so that a full disk or a failing device
// never leaves a product cut short that looks complete.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

namespace scarpex_host {

// A product written piece by piece (a line as each run of a batch ends): readable while it
// grows under its temporary name, and renamed into place by commit().
class AtomicFile {
 public:
  AtomicFile() = default;
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;
  ~AtomicFile();  // an uncommitted file is removed

  // False, with `problem` set, when the temporary file cannot be made.
  bool open(const std::filesystem::path& path, std::string& problem);
  // Appends and flushes; false once a write has failed.
  bool write(const std::string& text);
  // Renames the file into place; false, with `problem` set and nothing left behind, when a
  // write or the rename failed.
  bool commit(std::string& problem);
  bool is_open() const { return file_.is_open(); }

 private:
  void discard();

  std::filesystem::path path_, temporary_;
  std::ofstream file_;
  bool failed_ = false;
};

// `text` as the whole of the file at `path`; false, with `problem` set and nothing left
// behind, when it could not be written completely.
bool write_file_atomically(const std::filesystem::path& path, const std::string& text,
                           std::string& problem);

}  // namespace scarpex_host
