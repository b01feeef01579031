#include "input/header_reader.h"

#include <charconv>
#include <string>
#include <string_view>
#include <vector>

#include "core/fortran_format.h"
#include "core/run_control.h"

namespace scarpex {

namespace {

// Values of a group are read as list-directed input: separated by blanks (a tab counts as one)
// or by a comma with optional blanks around it, running over as many lines as they need. Two
// commas in a row (or a comma opening the group) give a null value, which leaves the item as
// it was; `r*value` stands for r equal values and `r*` for r nulls; a slash ends the group and
// leaves its remaining items as they were. Each group begins on a new line, so what is left
// of the line after a group is not read.
class ListDirectedGroup {
 public:
  enum class Item { kValue, kNull, kGroupEnd, kFileEnd };

  explicit ListDirectedGroup(LineSource& input) : input_(input) {}

  // The next item; `text` receives the value's text for kValue.
  Item next(std::string& text) {
    if (repeats_left_ > 0) {
      --repeats_left_;
      text = repeated_text_;
      return repeated_item_;
    }
    if (slash_met_) return Item::kGroupEnd;
    for (;;) {
      if (!line_loaded_ || pos_ >= line_.size()) {
        if (!input_.next_line(line_)) return Item::kFileEnd;
        line_loaded_ = true;
        pos_ = 0;
        continue;
      }
      const char c = line_[pos_];
      if (is_blank(c)) {
        ++pos_;
      } else if (c == ',') {
        ++pos_;
        if (comma_open_) return Item::kNull;
        comma_open_ = true;
      } else if (c == '/') {
        slash_met_ = true;
        return Item::kGroupEnd;
      } else {
        comma_open_ = false;
        return take_value(text);
      }
    }
  }

 private:
  static bool is_blank(char c) { return c == ' ' || c == '\t'; }
  static bool ends_value(char c) { return is_blank(c) || c == ',' || c == '/'; }

  Item take_value(std::string& text) {
    std::size_t end = pos_;
    while (end < line_.size() && !ends_value(line_[end])) ++end;
    std::string token = line_.substr(pos_, end - pos_);
    pos_ = end;
    int32_t repeat = 0;
    std::size_t star = token.find('*');
    if (star == std::string::npos || !parse_repeat(token.substr(0, star), repeat)) {
      // No repeat count (or an unreadable one, which the value check then rejects).
      text = token;
      return Item::kValue;
    }
    repeated_text_ = token.substr(star + 1);
    repeated_item_ = repeated_text_.empty() ? Item::kNull : Item::kValue;
    repeats_left_ = repeat - 1;
    text = repeated_text_;
    return repeated_item_;
  }

  // A repeat count is a positive integer without sign.
  static bool parse_repeat(const std::string& text, int32_t& count) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return false;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
    return error == std::errc() && end == text.data() + text.size() && count > 0;
  }

  LineSource& input_;
  std::string line_;
  std::size_t pos_ = 0;
  bool line_loaded_ = false;
  bool comma_open_ = true;  // a comma (or the group's start) with no value after it yet
  bool slash_met_ = false;
  int32_t repeats_left_ = 0;
  std::string repeated_text_;
  Item repeated_item_ = Item::kValue;
};

// An optional sign and digits. Parsed without the locale, like every number of the input.
bool parse_integer(const std::string& text, int32_t& value) {
  std::string_view digits = text;
  bool negative = false;
  if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
    negative = digits.front() == '-';
    digits.remove_prefix(1);
  }
  if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos) {
    return false;
  }
  int64_t magnitude = 0;
  auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude);
  if (error != std::errc() || end != digits.data() + digits.size()) return false;
  const int64_t signed_value = negative ? -magnitude : magnitude;
  if (signed_value < INT32_MIN || signed_value > INT32_MAX) return false;
  value = static_cast<int32_t>(signed_value);
  return true;
}

// A real in list-directed form: an optional sign, digits with or without a decimal point, and
// an optional exponent written as E, D or a sign alone followed by digits (1.5D2, 1.5E+2 and
// 1.5+2 are all 150). Turned into the one form std::from_chars reads, which ignores the locale:
// a host that has set a comma-decimal locale reads the same file the same way.
bool parse_real(const std::string& text, float& value) {
  std::size_t pos = 0;
  std::string canonical;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    if (text[pos] == '-') canonical += '-';
    ++pos;
  }
  bool digits = false;
  bool point = false;
  for (; pos < text.size(); ++pos) {
    const char c = text[pos];
    if (c >= '0' && c <= '9') {
      digits = true;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
    canonical += c;
  }
  if (!digits) return false;
  if (pos < text.size()) {
    const char c = text[pos];
    if (c == 'E' || c == 'e' || c == 'D' || c == 'd')
      ++pos;
    else if (c != '+' && c != '-')
      return false;
    canonical += 'E';
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) canonical += text[pos++];
    const std::size_t exponent_start = pos;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') canonical += text[pos++];
    if (pos == exponent_start || pos != text.size()) return false;
  }
  float parsed = 0.0f;
  auto [end, error] =
      std::from_chars(canonical.data(), canonical.data() + canonical.size(), parsed);
  if (error != std::errc() || end != canonical.data() + canonical.size()) return false;
  value = parsed;
  return true;
}

void report_header_error(Engine& e, std::string_view code, std::string_view item) {
  static const FortranFormat kLine("(/,10X,'****  ERROR - ',A4,'  ****',5X,'Header Item: ',A,/)");
  kLine.write(e.report, {code, item});
  kLine.write(e.trace, {code, item});
  abort_run(e);
}

// HD01: the header ends before this value; HD02: the value cannot be read. A null value, and
// every item after a slash, keeps the value the item had (from an earlier run of this process,
// or zero).
template <typename T, typename Parse>
bool read_group(Engine& e, T* values, const std::vector<std::string_view>& names, Parse parse) {
  using Item = ListDirectedGroup::Item;
  ListDirectedGroup group(e.input);
  for (std::size_t i = 0; i < names.size(); ++i) {
    std::string token;
    switch (group.next(token)) {
      case Item::kFileEnd:
        report_header_error(e, "HD01", names[i]);
        return false;
      case Item::kGroupEnd:
        return true;
      case Item::kNull:
        break;
      case Item::kValue:
        if (!parse(token, values[i + 1])) {
          report_header_error(e, "HD02", names[i]);
          return false;
        }
        break;
    }
  }
  return true;
}

// Columns 1 to 6 of a keyword line are read and not checked.
bool read_keyword_line(Engine& e) {
  std::string line;
  return e.input.next_line(line);
}

}  // namespace

bool read_input_header(Engine& e) {
  ProblemModel& m = e.model;
  if (!read_keyword_line(e)) return false;
  if (!read_group(
          e, m.solver_int_controls.data(),
          {"Iteration Limit", "Spencer Outer Iteration Limit", "Spencer Inner Iteration Limit",
           "Reinforcement Placement", "Reinforcement Scaling", "Report Switch"},
          parse_integer)) {
    return false;
  }
  if (!read_group(e, m.solver_real_controls.data(),
                  {"Convergence Tolerance", "Spencer Moment Tolerance", "Spencer Force Tolerance",
                   "Spencer Agreement Tolerance"},
                  parse_real)) {
    return false;
  }
  if (!read_keyword_line(e)) return false;
  if (!read_group(e, m.frame_ints.data(), {"Mirror Flag", "Frame Integer 2", "Frame Integer 3"},
                  parse_integer)) {
    return false;
  }
  static const FortranFormat kFrameInts("(3I5)");
  kFrameInts.write(e.plot, {m.frame_ints[1], m.frame_ints[2], m.frame_ints[3]});
  if (!read_group(
          e, m.frame_reals.data(),
          {"Frame Real 1", "Mirror Axis X", "Frame Real 3", "Frame Real 4", "Shift X", "Shift Y"},
          parse_real)) {
    return false;
  }
  static const FortranFormat kFrameReals("(6F12.3)");
  kFrameReals.write(e.plot, {m.frame_reals[1], m.frame_reals[2], m.frame_reals[3], m.frame_reals[4],
                             m.frame_reals[5], m.frame_reals[6]});
  return true;
}

}  // namespace scarpex
