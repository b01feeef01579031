#include "results/input_lines.h"

#include <algorithm>
#include <optional>

#include "results/error_codes.h"

namespace scarpex_host {

namespace {

constexpr std::size_t kDataLineColumns = 80;
constexpr std::size_t kCommandWordLength = 6;

// Column c (from 0) as the engine sees it: blanks beyond the line's end.
char column(std::string_view line, std::size_t c) {
  return c < line.size() ? line[c] : ' ';
}

// The engine copies the 80 columns it read, with each letter o of a field it has read already
// turned into the digit 0.
bool is_copied_line(std::string_view line, std::string_view copy) {
  for (std::size_t c = 0; c < kDataLineColumns; ++c) {
    char own = column(line, c), copied = column(copy, c);
    if (own != copied && !(own == 'o' && copied == '0')) return false;
  }
  return true;
}

bool has_command_word(std::string_view line, std::string_view word) {
  for (std::size_t c = 0; c < kCommandWordLength; ++c) {
    if (column(line, c) != column(word, c)) return false;
  }
  return true;
}

bool is_command_line(std::string_view line) {
  return std::any_of(kCommandWords.begin(), kCommandWords.end(),
                     [&](std::string_view word) { return has_command_word(line, word); });
}

// Lines as the engine reads them: each ends at a line feed, a carriage return before it dropped.
std::vector<std::string_view> lines_of(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    pos = end + 1;
  }
  return lines;
}

// The header before the first command holds neither data lines nor command words: its values
// are read another way. So the search starts at the first command line (the whole file when
// there is none). The run ends at the line in error, so the first match from there is that
// line, unless an identical line was read earlier in another role (a count where a real then
// failed, a data row where a command word then failed): the files do not tell which lines the
// engine had read, and the earlier line is named then.
std::optional<std::size_t> find_line(const std::vector<std::string_view>& lines,
                                     const ErrorLine& error) {
  auto first_command = std::find_if(lines.begin(), lines.end(), is_command_line);
  std::size_t start = first_command == lines.end() ? 0 : first_command - lines.begin();
  bool illegal_command = error.code == kIllegalCommandCode;
  for (std::size_t i = start; i < lines.size(); ++i) {
    if (illegal_command ? has_command_word(lines[i], error.detail)
                        : is_copied_line(lines[i], *error.input_text)) {
      return i;
    }
  }
  return std::nullopt;
}

}  // namespace

bool concerns_input_line(const ErrorLine& error) {
  if (error.code == kIllegalCommandCode) return true;
  const ErrorCode* entry = find_error_code(error.code);
  return entry && entry->data_line && error.input_text;
}

void locate_input_lines(std::vector<ErrorLine>& errors, std::string_view input) {
  std::vector<std::string_view> lines = lines_of(input);
  for (ErrorLine& error : errors) {
    if (!concerns_input_line(error)) continue;
    if (auto index = find_line(lines, error)) {
      error.input_line = static_cast<int>(*index) + 1;
      error.input_text = std::string(lines[*index].substr(0, kInputTextCap));
    }
  }
}

}  // namespace scarpex_host
