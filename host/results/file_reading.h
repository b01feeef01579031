// Reading a results file back safely: only regular files, and only up to a size cap, so that
// an output named after a device (/dev/zero, /dev/full) or a runaway file cannot make the host
// read forever.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>

namespace scarpex_host {

// Large enough for a search of many thousand trials with its trace.
constexpr std::uintmax_t kResultsFileCap = std::uintmax_t{512} << 20;

struct FileText {
  std::optional<std::string> text;
  std::string problem;  // why there is no text: "PATH is not a regular file" and the like
};

FileText read_regular_file(const std::filesystem::path& path, std::uintmax_t cap);

// A regular file opened for reading as a stream, of any size; none with `problem` saying why.
struct FileStream {
  std::unique_ptr<std::ifstream> stream;
  std::string problem;
};

FileStream open_regular_file(const std::filesystem::path& path);

// Whether two paths lead to one file, by identity (links followed; hard links are one file)
// where both exist, by their resolved spelling otherwise.
bool same_file(const std::filesystem::path& a, const std::filesystem::path& b);

// `name` made absolute and normal ("/runs/a/../b" as "/runs/b"), or as given when the current
// folder cannot be told: how the host names the files of a run.
std::filesystem::path absolute_path(const std::string& name);

}  // namespace scarpex_host
