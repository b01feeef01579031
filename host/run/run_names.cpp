#include "run/run_names.h"

#include <vector>

#include "results/file_reading.h"

namespace scarpex_host {

namespace fs = std::filesystem;

namespace {

constexpr std::uintmax_t kNamesFileCap = 1 << 20;

std::vector<std::string> engine_lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < text.size() && static_cast<int>(lines.size()) < kNamesLines) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    for (char& c : line) {
      if (c == '\t') c = ' ';
    }
    lines.push_back(line);
    pos = end + 1;
  }
  return lines;
}

}  // namespace

std::string engine_file_name(std::string_view line) {
  std::string name(line.substr(0, kEngineNameLength));
  for (char& c : name) {
    if (c == '\t') c = ' ';
  }
  std::size_t end = name.find_last_not_of(' ');
  name.resize(end == std::string::npos ? 0 : end + 1);
  return name;
}

bool engine_keeps_name(std::string_view name) {
  return !name.empty() && name.find_first_of("\n\r\t") == std::string_view::npos &&
         engine_file_name(name) == name;
}

std::optional<RunFiles> run_files_of(const fs::path& names_path, std::string& error) {
  FileText names = read_regular_file(names_path, kNamesFileCap);
  if (!names.text) {
    error = names.problem;
    return std::nullopt;
  }
  std::vector<std::string> lines = engine_lines(*names.text);
  if (static_cast<int>(lines.size()) < kNamesLines) {
    error =
        names_path.string() + " holds " + std::to_string(lines.size()) + " lines; 13 are needed";
    return std::nullopt;
  }
  fs::path folder = names_path.parent_path();
  auto resolve = [&](int line) {
    fs::path name = engine_file_name(lines[static_cast<std::size_t>(line - 1)]);
    if (name.empty()) return std::string();
    return (name.is_absolute() ? name : folder / name).string();
  };
  return RunFiles{resolve(8), resolve(9), resolve(10), resolve(11), resolve(13)};
}

OutputNames output_names_for(const std::string& input_path) {
  std::string stem = fs::path(input_path).stem().string();
  return {stem + ".out", stem + ".plt", stem + ".trc", stem + ".sts"};
}

std::string quoted_identification_word(const std::string& word) {
  // Read as one free-format word: it ends at a blank or a comma, and a quote that starts it
  // opens a quoted word that ends at the next such quote.
  const bool plain = word.find_first_of(" ,") == std::string::npos && !word.empty() &&
                     word.front() != '\'' && word.front() != '"';
  if (plain) return word;
  if (word.find('\'') == std::string::npos) return "'" + word + "'";
  return "\"" + word + "\"";  // banner options holding both quotes are refused
}

std::string names_file_text(const Banner& banner, const std::string& input_path,
                            const OutputNames& outputs) {
  const std::string word = quoted_identification_word(banner.identification_word);
  const std::string lines[] = {banner.version_text,
                               banner.identification_1,
                               banner.identification_2,
                               word,
                               banner.identification_3,
                               banner.prepared_by,
                               input_path,
                               input_path,
                               outputs.report,
                               outputs.plot,
                               outputs.trace,
                               "",
                               outputs.status};
  // A line break inside a banner text would shift every later line of names.dat.
  std::string text;
  for (std::string line : lines) {
    for (char& c : line) {
      if (c == '\n' || c == '\r') c = ' ';
    }
    text += line + "\n";
  }
  return text;
}

}  // namespace scarpex_host
