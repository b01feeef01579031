#include "run/input_reader.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>

namespace scarpex_host {

namespace {

constexpr std::size_t kDataLineWidth = 80;
constexpr std::size_t kCommandWordWidth = 6;
constexpr std::size_t kControlIntegers = 6;
constexpr std::size_t kControlReals = 4;

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

bool all_digits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), is_digit);
}

std::string quoted(std::string_view text) {
  return "'" + std::string(text) + "'";
}

// Takes the items of one header group from the lines, as list-directed input.
class ListDirectedScan {
 public:
  ListDirectedScan(InputLines& input, const std::string& what) : input_(input), what_(what) {}

  // The next item, or nothing when the group has ended at a slash.
  std::optional<std::optional<std::string>> next(std::vector<std::string>& lines_read) {
    if (pending_repeats_ > 0) {
      --pending_repeats_;
      return repeated_;
    }
    if (slash_met_) return std::nullopt;
    for (;;) {
      if (!loaded_ || pos_ >= line_.size()) {
        line_ = input_.take(what_);
        lines_read.push_back(line_);
        loaded_ = true;
        pos_ = 0;
        continue;
      }
      char c = line_[pos_];
      if (c == ' ' || c == '\t') {
        ++pos_;
      } else if (c == ',') {
        ++pos_;
        if (comma_open_) return std::optional<std::string>();
        comma_open_ = true;
      } else if (c == '/') {
        slash_met_ = true;
        return std::nullopt;
      } else {
        comma_open_ = false;
        return value();
      }
    }
  }

 private:
  std::optional<std::string> value() {
    std::size_t end = line_.find_first_of(" \t,/", pos_);
    if (end == std::string::npos) end = line_.size();
    std::string token = line_.substr(pos_, end - pos_);
    pos_ = end;
    std::size_t star = token.find('*');
    std::string_view count = std::string_view(token).substr(0, star);
    int repeats = 0;
    if (star == std::string::npos || !all_digits(count) ||
        std::from_chars(count.data(), count.data() + count.size(), repeats).ec != std::errc() ||
        repeats <= 0) {
      return token;
    }
    std::string repeated = token.substr(star + 1);
    repeated_ = repeated.empty() ? std::optional<std::string>() : repeated;
    pending_repeats_ = repeats - 1;
    return repeated_;
  }

  InputLines& input_;
  std::string what_;
  std::string line_;
  std::size_t pos_ = 0;
  bool loaded_ = false;
  bool comma_open_ = true;  // the group's start or a comma, with no value after it yet
  bool slash_met_ = false;
  int pending_repeats_ = 0;
  std::optional<std::string> repeated_;
};

}  // namespace

InputReadError::InputReadError(int line, const std::string& message)
    : std::runtime_error(message), line_(line) {}

std::string InputReadError::located() const {
  if (line_ == kAtEndOfFile) return std::string("at the end of the file: ") + what();
  if (line_ == kNoLine) return what();
  return "line " + std::to_string(line_) + ": " + what();
}

InputLines::InputLines(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string line(text.substr(pos, end - pos));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines_.push_back(std::move(line));
    pos = end + 1;
  }
}

const std::string& InputLines::take(const std::string& what) {
  if (at_end()) throw InputReadError(kAtEndOfFile, "the file ends where " + what + " is due");
  return lines_[next_++];
}

std::vector<std::string> InputLines::rest() const {
  return {lines_.begin() + static_cast<std::ptrdiff_t>(next_), lines_.end()};
}

HeaderGroup read_header_group(InputLines& input, std::size_t count, const std::string& what) {
  HeaderGroup group;
  ListDirectedScan scan(input, what);
  while (group.items.size() < count) {
    std::optional<std::optional<std::string>> item = scan.next(group.lines);
    if (!item) break;
    group.items.push_back(*item);
  }
  // A slash leaves the rest of the group as it was: null.
  group.items.resize(count);
  return group;
}

InputHeader read_input_header(InputLines& input) {
  auto append = [](std::vector<std::string>& lines, const std::vector<std::string>& more) {
    lines.insert(lines.end(), more.begin(), more.end());
  };
  InputHeader header;
  header.lines.push_back(input.take("the header"));
  append(header.lines, read_header_group(input, kControlIntegers, "the solver controls").lines);
  append(header.lines, read_header_group(input, kControlReals, "the solver tolerances").lines);
  header.lines.push_back(input.take("the frame's keyword line"));
  header.frame_integers = read_header_group(input, kFrameIntegers, "the frame integers").items;
  header.frame_reals = read_header_group(input, kFrameReals, "the frame reals").items;
  header.frame_line = input.line_number();
  return header;
}

std::string command_word(const std::string& line) {
  std::string word = line.substr(0, kCommandWordWidth);
  word.resize(kCommandWordWidth, ' ');
  return word;
}

std::string trimmed_word(const std::string& word) {
  return word.substr(0, word.find_last_not_of(' ') + 1);
}

std::optional<long> parse_header_integer(std::string_view text) {
  bool negative = !text.empty() && text.front() == '-';
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
  long value = 0;
  if (!all_digits(text)) return std::nullopt;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || value > std::numeric_limits<int32_t>::max()) return std::nullopt;
  return negative ? -value : value;
}

DataLineReader::DataLineReader(InputLines& input, std::string command)
    : input_(input), command_(std::move(command)) {}

void DataLineReader::fail(const std::string& message) const {
  throw InputReadError(line_number_, command_ + ": " + message);
}

std::string DataLineReader::field(const std::string& item) {
  // The field goes on in the current line unless a blank follows the last one.
  bool continues = loaded_ && column_ + 1 < kDataLineWidth && line_[column_ + 1] != ' ';
  std::size_t start = column_ + 1;
  if (!continues) {
    line_ = input_.take(command_ + " " + item);
    line_number_ = input_.line_number();
    line_.resize(kDataLineWidth, ' ');
    if (line_[0] == ' ') fail("the data line of " + item + " begins with a blank");
    loaded_ = true;
    start = 0;
  }
  std::size_t end = std::min(line_.find(' ', start), kDataLineWidth);
  column_ = end;
  std::string text = line_.substr(start, end - start);
  std::replace(text.begin(), text.end(), 'o', '0');
  return text;
}

int DataLineReader::integer(const std::string& item) {
  std::string text = field(item);
  int value = 0;
  if (!all_digits(text) ||
      std::from_chars(text.data(), text.data() + text.size(), value).ec != std::errc()) {
    fail(item + " " + quoted(text) + " is not an integer: digits only, at most 2147483647");
  }
  return value;
}

DecimalNumber DataLineReader::real(const std::string& item) {
  std::string text = field(item);
  std::size_t sign = text.starts_with('-') ? 1 : 0;
  std::size_t point = text.rfind('.');
  if (point == std::string::npos || point < sign) {
    fail(item + " " + quoted(text) + " is not a real: it needs a decimal point");
  }
  std::string whole = text.substr(sign, point - sign);
  if (!whole.empty() && !all_digits(whole)) fail(item + " " + quoted(text) + " is not a real");
  std::string fraction = text.substr(point + 1);
  for (char& c : fraction) {
    if (!is_digit(c)) c = '0';
  }
  std::optional<DecimalNumber> value = DecimalNumber::parse_plain(
      text.substr(0, sign) + (whole.empty() ? "0" : whole) + "." + fraction);
  if (!value) fail(item + " " + quoted(text) + " is not a real");
  return *value;
}

std::string DataLineReader::whole_line(const std::string& item) {
  std::string line = input_.take(command_ + " " + item);
  line_number_ = input_.line_number();
  return line;
}

}  // namespace scarpex_host
