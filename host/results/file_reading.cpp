#include "results/file_reading.h"

#include <fstream>
#include <system_error>

namespace scarpex_host {

namespace fs = std::filesystem;

FileStream open_regular_file(const fs::path& path) {
  FileStream result;
  const std::string name = path.string();
  std::error_code error;
  fs::file_status status = fs::status(path, error);
  if (error || !fs::exists(status)) {
    result.problem = name + " is not there";
    return result;
  }
  if (!fs::is_regular_file(status)) {
    result.problem = name + " is not a regular file";
    return result;
  }
  auto file = std::make_unique<std::ifstream>(path, std::ios::binary);
  if (!*file) {
    result.problem = name + " cannot be read";
    return result;
  }
  result.stream = std::move(file);
  return result;
}

FileText read_regular_file(const fs::path& path, std::uintmax_t cap) {
  FileText result;
  FileStream opened = open_regular_file(path);
  if (!opened.stream) {
    result.problem = opened.problem;
    return result;
  }
  const std::string name = path.string();
  std::ifstream& file = *opened.stream;
  std::string text;
  constexpr std::size_t kChunk = 1 << 16;
  char buffer[kChunk];
  while (file.read(buffer, kChunk) || file.gcount() > 0) {
    text.append(buffer, static_cast<std::size_t>(file.gcount()));
    if (text.size() > cap) {
      result.problem = name + " is larger than " + std::to_string(cap >> 20) + " MiB";
      return result;
    }
  }
  if (file.bad()) {
    result.problem = name + " cannot be read";
    return result;
  }
  result.text = std::move(text);
  return result;
}

bool same_file(const fs::path& a, const fs::path& b) {
  std::error_code error;
  if (fs::exists(a, error) && fs::exists(b, error)) {
    bool same = fs::equivalent(a, b, error);
    if (!error) return same;
  }
  fs::path resolved_a = fs::weakly_canonical(fs::absolute(a, error), error);
  fs::path resolved_b = fs::weakly_canonical(fs::absolute(b, error), error);
  return resolved_a == resolved_b;
}

fs::path absolute_path(const std::string& name) {
  std::error_code error;
  fs::path path = fs::absolute(name, error);
  return error ? fs::path(name) : path.lexically_normal();
}

}  // namespace scarpex_host
