#include "results/error_line_reader.h"

#include "results/error_codes.h"

namespace scarpex_host {

namespace {

constexpr std::string_view kErrorStart = "****  ERROR - ";
constexpr std::string_view kCopyHeading = "****  Error in Following Line of Data  ****";
constexpr std::string_view kCopyMark = "c";
constexpr std::size_t kDataLineColumns = 80;  // the engine reads, and copies, 80 columns
constexpr std::string_view kBannerStart = "******  ";
constexpr std::string_view kIllegalCommandEnd = "  - Illegal Command  ******";
constexpr std::size_t kCommandWordLength = 6;

std::string_view without_trailing_blanks(std::string_view text) {
  std::size_t end = text.find_last_not_of(' ');
  return end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1);
}

// "******  profil  - Illegal Command  ******" -> "profil". The word is the six columns the
// engine read, which may hold blanks and tabs: only blanks after it are dropped.
std::optional<std::string> illegal_command_word(std::string_view line) {
  if (!line.starts_with(kBannerStart)) return std::nullopt;
  std::string_view rest = line.substr(kBannerStart.size());
  if (rest.size() < kCommandWordLength ||
      !rest.substr(kCommandWordLength).starts_with(kIllegalCommandEnd)) {
    return std::nullopt;
  }
  return std::string(without_trailing_blanks(rest.substr(0, kCommandWordLength)));
}

}  // namespace

std::optional<ErrorLine> error_line_of(std::string_view line) {
  line = trim(line);
  if (!line.starts_with(kErrorStart)) return std::nullopt;
  std::string_view rest = line.substr(kErrorStart.size());
  std::size_t close = rest.find("****");
  if (close == std::string_view::npos) return std::nullopt;
  ErrorLine error;
  error.code = std::string(trim(rest.substr(0, close)));
  error.detail = std::string(trim(rest.substr(close + 4)));
  return error;
}

bool ErrorLineCollector::take(LineCursor& in, std::string_view raw) {
  std::string_view line = trim(raw);
  if (auto error = error_line_of(line)) {
    add(std::move(*error), in.line_number());
    return true;
  }
  if (line == kCopyHeading) {
    read_data_line_copy(in);
    return true;
  }
  if (auto word = illegal_command_word(line)) {
    ErrorLine error;
    error.code = std::string(kIllegalCommandCode);
    error.detail = std::move(*word);
    add(std::move(error), in.line_number());
    return true;
  }
  return false;
}

// The heading, an empty line, "c", and the data line behind one blank column. The copy belongs
// to the data-line errors written since the previous copy. A copy cut short is left alone.
void ErrorLineCollector::read_data_line_copy(LineCursor& in) {
  while (!in.at_end() && trim(in.peek()).empty()) in.next("a line");
  if (in.at_end() || trim(in.peek()) != kCopyMark) return;
  in.next("a line");
  if (in.at_end()) return;
  std::string_view copy = in.next("the copied data line");
  if (copy.starts_with(' ')) copy.remove_prefix(1);
  std::string text(without_trailing_blanks(copy.substr(0, kDataLineColumns)));
  for (auto it = errors_.rbegin(); it != errors_.rend() && !it->input_text; ++it) {
    const ErrorCode* entry = find_error_code(it->code);
    if (entry && entry->data_line) it->input_text = text;
  }
}

void ErrorLineCollector::add(ErrorLine error, int line) {
  error.file = file_;
  error.line = line;
  errors_.push_back(std::move(error));
}

}  // namespace scarpex_host
