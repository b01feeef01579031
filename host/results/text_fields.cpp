#include "results/text_fields.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace scarpex_host {

namespace {

// "FILE:LINE", or the file alone when no line is known.
std::string file_and_line(const std::string& file, int line) {
  std::string text = file;
  if (line > 0) {
    text += ':';
    text += std::to_string(line);
  }
  return text;
}

}  // namespace

ResultsError::ResultsError(const std::string& file, int line, const std::string& message)
    : std::runtime_error(file_and_line(file, line) + ": " + message) {}

std::string_view trim(std::string_view text) {
  std::size_t begin = text.find_first_not_of(" \t\r");
  if (begin == std::string_view::npos) return {};
  std::size_t end = text.find_last_not_of(" \t\r");
  return text.substr(begin, end - begin + 1);
}

std::vector<std::string_view> split_blanks(std::string_view text) {
  std::vector<std::string_view> words;
  std::size_t pos = 0;
  while (true) {
    pos = text.find_first_not_of(" \t\r", pos);
    if (pos == std::string_view::npos) break;
    std::size_t end = text.find_first_of(" \t\r", pos);
    if (end == std::string_view::npos) end = text.size();
    words.push_back(text.substr(pos, end - pos));
    pos = end;
  }
  return words;
}

std::optional<double> parse_real(std::string_view text) {
  text = trim(text);
  if (!text.empty() && text.find_first_not_of('*') == std::string_view::npos) {
    return std::numeric_limits<double>::quiet_NaN();  // the value did not fit its field
  }
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
    return std::nullopt;
  }
  return value;
}

std::optional<int> parse_int(std::string_view text) {
  text = trim(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  int value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
    return std::nullopt;
  }
  return value;
}

namespace {

// A read-only stream buffer over characters held elsewhere.
class ViewBuffer : public std::streambuf {
 public:
  explicit ViewBuffer(std::string_view text) {
    char* begin = const_cast<char*>(text.data());  // only ever read
    setg(begin, begin, begin + text.size());
  }
};

}  // namespace

LineCursor::LineCursor(std::string file, std::istream& in) : file_(std::move(file)), in_(&in) {
  read_ahead();
}

LineCursor::LineCursor(std::string file, std::string_view text)
    : file_(std::move(file)),
      view_buffer_(std::make_unique<ViewBuffer>(text)),
      view_stream_(std::make_unique<std::istream>(view_buffer_.get())),
      in_(view_stream_.get()) {
  read_ahead();
}

void LineCursor::read_ahead() {
  has_ahead_ = static_cast<bool>(std::getline(*in_, ahead_));
  if (has_ahead_ && !ahead_.empty() && ahead_.back() == '\r') ahead_.pop_back();
  // A failing disk must not pass for the end of the file.
  if (!has_ahead_ && in_->bad()) throw ResultsError(file_, line_, "the file cannot be read on");
}

std::string_view LineCursor::next(const char* what) {
  if (at_end()) {
    throw ResultsError(file_, line_, std::string("the file ends early: ") + what + " expected");
  }
  current_.swap(ahead_);
  ++line_;
  read_ahead();
  return current_;
}

void LineCursor::fail(const std::string& message) const {
  throw ResultsError(file_, line_number(), message);
}

std::vector<double> LineCursor::reals(std::string_view line, const std::vector<int>& widths,
                                      const char* what) const {
  std::vector<double> values;
  std::vector<std::string_view> words = split_blanks(line);
  if (words.size() == widths.size()) {
    for (std::string_view word : words) {
      std::optional<double> value = parse_real(word);
      if (!value) break;
      values.push_back(*value);
    }
    if (values.size() == widths.size()) return values;
  }
  values.clear();
  std::size_t start = 0;
  for (int width : widths) {
    std::optional<double> value;
    if (start < line.size())
      value = parse_real(line.substr(start, static_cast<std::size_t>(width)));
    if (!value)
      fail(std::string("expected ") + what + ", found \"" + std::string(trim(line)) + "\"");
    values.push_back(*value);
    start += static_cast<std::size_t>(width);
  }
  return values;
}

std::vector<double> LineCursor::free_reals(std::string_view line, std::size_t count,
                                           const char* what) const {
  std::vector<std::string_view> words = split_blanks(line);
  std::vector<double> values;
  for (std::string_view word : words) {
    std::optional<double> value = parse_real(word);
    if (!value) break;
    values.push_back(*value);
  }
  if (words.size() != count || values.size() != count) {
    fail(std::string("expected ") + what + ", found \"" + std::string(trim(line)) + "\"");
  }
  return values;
}

int LineCursor::count_field(std::string_view line, const char* what) const {
  std::optional<int> value = parse_int(line);
  if (!value || *value < 0) {
    fail(std::string("expected ") + what + " (a count), found \"" + std::string(trim(line)) + "\"");
  }
  return *value;
}

}  // namespace scarpex_host
