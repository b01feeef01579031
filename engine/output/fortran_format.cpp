#include "output/fortran_format.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace scarpex {

namespace {

std::string asterisks(int32_t width) {
  return std::string(static_cast<std::size_t>(width), '*');
}

std::string right_justify(const std::string& field, int32_t width) {
  if (static_cast<int32_t>(field.size()) > width) return asterisks(width);
  return std::string(static_cast<std::size_t>(width) - field.size(), ' ') + field;
}

class Parser {
 public:
  explicit Parser(std::string_view text) : s_(text) {}

  std::vector<FortranFormat::Item> parse(int32_t& reversion_start) {
    skip_separators();
    expect('(');
    parse_list(0, reversion_start);
    expect(')');
    skip_separators();
    if (pos_ != s_.size()) fail("text after the closing parenthesis");
    return std::move(items_);
  }

 private:
  using Item = FortranFormat::Item;
  using Type = Item::Type;

  [[noreturn]] void fail(const char* why) const {
    throw std::invalid_argument("bad format " + std::string(s_) + ": " + why);
  }
  bool at_end() const { return pos_ >= s_.size(); }
  char peek() const { return at_end() ? '\0' : s_[pos_]; }
  char upper_peek() const {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(peek())));
  }
  void expect(char c) {
    if (peek() != c) fail("unexpected character");
    ++pos_;
  }
  void skip_separators() {
    while (!at_end() && (s_[pos_] == ' ' || s_[pos_] == ',')) ++pos_;
  }
  bool has_number() const { return std::isdigit(static_cast<unsigned char>(peek())) != 0; }
  int32_t number() {
    if (!has_number()) fail("number expected");
    int32_t value = 0;
    while (has_number()) value = value * 10 + (s_[pos_++] - '0');
    return value;
  }

  // Parses items up to the closing parenthesis of the current level.
  void parse_list(int32_t depth, int32_t& reversion_start) {
    for (;;) {
      skip_separators();
      if (at_end()) fail("missing closing parenthesis");
      if (peek() == ')') return;
      parse_item(depth, reversion_start);
    }
  }

  void parse_item(int32_t depth, int32_t& reversion_start) {
    char quote = peek();
    if (quote == '\'' || quote == '"') return parse_text(quote);
    int32_t count = has_number() ? number() : -1;
    char c = upper_peek();
    ++pos_;
    Item item{};
    item.repeat = count < 0 ? 1 : count;
    switch (c) {
      case '(': {
        item.type = Type::kGroup;
        std::size_t index = items_.size();
        items_.push_back(item);
        int32_t unused = 0;
        parse_list(depth + 1, unused);
        expect(')');
        items_[index].end = static_cast<int32_t>(items_.size());
        if (depth == 0) reversion_start = static_cast<int32_t>(index);
        return;
      }
      case 'X':
        item.type = Type::kSkip;
        item.width = count < 0 ? 1 : count;
        item.repeat = 1;
        break;
      case 'P':
        if (count < 0) fail("scale factor without a number");
        item.type = Type::kScale;
        item.width = count;
        item.repeat = 1;
        break;
      case '/':
        item.type = Type::kSlash;
        break;
      case 'I':
        item.type = Type::kInt;
        item.width = number();
        item.digits = -1;
        if (peek() == '.') {
          ++pos_;
          item.digits = number();
        }
        break;
      case 'F':
      case 'E':
        item.type = c == 'F' ? Type::kFixed : Type::kExp;
        item.width = number();
        expect('.');
        item.digits = number();
        break;
      case 'A':
        item.type = Type::kAlpha;
        item.width = has_number() ? number() : -1;
        break;
      default:
        fail("unknown edit descriptor");
    }
    items_.push_back(std::move(item));
  }

  void parse_text(char quote) {
    ++pos_;
    Item item{};
    item.type = Type::kText;
    for (;;) {
      if (at_end()) fail("unterminated text");
      char c = s_[pos_++];
      if (c == quote) {
        if (peek() != quote) break;
        ++pos_;  // a doubled quote stands for one
      }
      item.text.push_back(c);
    }
    items_.push_back(std::move(item));
  }

  std::string_view s_;
  std::size_t pos_ = 0;
  std::vector<Item> items_;
};

}  // namespace

std::string format_int(int32_t value, int32_t width, int32_t min_digits) {
  int64_t magnitude = std::llabs(static_cast<int64_t>(value));
  std::string digits = (min_digits == 0 && value == 0) ? std::string() : std::to_string(magnitude);
  if (min_digits > 0 && static_cast<int32_t>(digits.size()) < min_digits) {
    digits.insert(0, static_cast<std::size_t>(min_digits) - digits.size(), '0');
  }
  if (value < 0) digits.insert(0, 1, '-');
  return right_justify(digits, width);
}

std::string format_fixed(float value, int32_t width, int32_t decimals) {
  if (!std::isfinite(value)) return asterisks(width);
  char buffer[80];
  int length = std::snprintf(buffer, sizeof buffer, "%.*f", decimals, static_cast<double>(value));
  if (length < 0 || length >= static_cast<int>(sizeof buffer)) return asterisks(width);
  std::string field(buffer, static_cast<std::size_t>(length));
  if (decimals == 0) field.push_back('.');
  // The zero before the decimal point is optional: it is written only when the field has room.
  if (static_cast<int32_t>(field.size()) > width) {
    std::size_t zero = field[0] == '-' ? 1 : 0;
    if (field.size() > zero + 1 && field[zero] == '0' && field[zero + 1] == '.')
      field.erase(zero, 1);
  }
  return right_justify(field, width);
}

std::string format_exp(float value, int32_t width, int32_t decimals, int32_t scale) {
  if (!std::isfinite(value)) return asterisks(width);
  // With scale factor 1 one digit stands before the point; with 0 the mantissa is 0.ddd.
  int32_t significant = scale >= 1 ? decimals + 1 : decimals;
  if (significant < 1) return asterisks(width);
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*E", significant - 1, static_cast<double>(value));
  std::string text(buffer);
  std::size_t e_pos = text.find('E');
  std::string mantissa = text.substr(0, e_pos);
  int32_t exponent = std::atoi(text.c_str() + e_pos + 1);
  bool negative = mantissa[0] == '-';
  if (negative) mantissa.erase(0, 1);
  std::string digits;
  for (char c : mantissa) {
    if (c != '.') digits.push_back(c);
  }
  bool zero = value == 0.0f;
  std::string body;
  if (scale >= 1) {
    body = digits.substr(0, 1) + "." + digits.substr(1);
  } else {
    body = "0." + digits;
    if (!zero) exponent += 1;
  }
  if (zero) exponent = 0;
  char exp_text[16];
  int32_t magnitude = std::abs(exponent);
  if (magnitude <= 99) {
    std::snprintf(exp_text, sizeof exp_text, "E%c%02d", exponent < 0 ? '-' : '+', magnitude);
  } else {
    std::snprintf(exp_text, sizeof exp_text, "%c%03d", exponent < 0 ? '-' : '+', magnitude);
  }
  std::string field = (negative ? "-" : "") + body + exp_text;
  if (scale < 1 && static_cast<int32_t>(field.size()) > width) {
    std::size_t zero_at = negative ? 1 : 0;
    field.erase(zero_at, 1);  // the leading zero of 0.ddd is optional
  }
  return right_justify(field, width);
}

// Executes a parsed format against one output list.
class FortranFormat::Writer {
 public:
  Writer(const FortranFormat& format, TextSink& out, std::span<const FmtValue> values)
      : items_(format.items_), out_(out), values_(values) {}

  // Runs items [begin, end); false when a data descriptor found no value left.
  bool run(int32_t begin, int32_t end) {
    for (int32_t i = begin; i < end;) {
      const Item& item = items_[static_cast<std::size_t>(i)];
      if (item.type == Item::Type::kGroup) {
        for (int32_t r = 0; r < item.repeat; ++r) {
          if (!run(i + 1, item.end)) return false;
        }
        i = item.end;
        continue;
      }
      if (!run_simple(item)) return false;
      ++i;
    }
    return true;
  }

  bool values_left() const { return next_ < values_.size(); }
  std::size_t consumed() const { return next_; }

  void end_record() {
    out_.line(line_);
    line_.clear();
    pending_blanks_ = 0;
  }

 private:
  using Item = FortranFormat::Item;

  bool run_simple(const Item& item) {
    switch (item.type) {
      case Item::Type::kText:
        put(item.text);
        return true;
      case Item::Type::kSkip:
        pending_blanks_ += item.width;
        return true;
      case Item::Type::kSlash:
        for (int32_t r = 0; r < item.repeat; ++r) end_record();
        return true;
      case Item::Type::kScale:
        scale_ = item.width;
        return true;
      default:
        for (int32_t r = 0; r < item.repeat; ++r) {
          if (!values_left()) return false;
          put(edit(item, values_[next_++]));
        }
        return true;
    }
  }

  std::string edit(const Item& item, const FmtValue& value) const {
    using Kind = FmtValue::Kind;
    int32_t width = item.width;
    switch (item.type) {
      case Item::Type::kInt:
        if (value.kind != Kind::kInt) return asterisks(width);
        return format_int(value.int_value, width, item.digits);
      case Item::Type::kFixed:
      case Item::Type::kExp: {
        if (value.kind == Kind::kText) return asterisks(width);
        float v = value.kind == Kind::kInt ? static_cast<float>(value.int_value) : value.real_value;
        return item.type == Item::Type::kFixed ? format_fixed(v, width, item.digits)
                                               : format_exp(v, width, item.digits, scale_);
      }
      default: {  // A
        if (value.kind != Kind::kText) return asterisks(width < 0 ? 1 : width);
        std::string_view text = value.text;
        if (width < 0) return std::string(text);
        if (static_cast<int32_t>(text.size()) >= width) return std::string(text.substr(0, width));
        return std::string(static_cast<std::size_t>(width) - text.size(), ' ') + std::string(text);
      }
    }
  }

  // Blanks skipped by X are written only when something follows them on the line.
  void put(std::string_view text) {
    if (pending_blanks_ > 0) line_.append(static_cast<std::size_t>(pending_blanks_), ' ');
    pending_blanks_ = 0;
    line_.append(text);
  }

  const std::vector<Item>& items_;
  TextSink& out_;
  std::span<const FmtValue> values_;
  std::size_t next_ = 0;
  std::string line_;
  int32_t pending_blanks_ = 0;
  int32_t scale_ = 0;
};

FortranFormat::FortranFormat(std::string_view text) {
  parse(text);
}

void FortranFormat::parse(std::string_view text) {
  int32_t reversion = -1;
  items_ = Parser(text).parse(reversion);
  reversion_start_ = reversion;
}

void FortranFormat::write(TextSink& out, std::span<const FmtValue> values) const {
  Writer writer(*this, out, values);
  const auto size = static_cast<int32_t>(items_.size());
  bool reached_end = writer.run(0, size);
  // Values left at the end of the format: a new line, and control reverts to the last
  // group of the outer level (or to the beginning when there is none).
  int32_t begin = reversion_start_ < 0 ? 0 : reversion_start_;
  int32_t end = reversion_start_ < 0 ? size : items_[static_cast<std::size_t>(begin)].end;
  while (reached_end && writer.values_left()) {
    std::size_t before = writer.consumed();
    writer.end_record();
    reached_end = writer.run(begin, end);
    if (writer.consumed() == before) break;  // a format without data descriptors
  }
  writer.end_record();
}

void write_free_line(TextSink& out, std::initializer_list<FmtValue> values) {
  std::string line;
  for (const FmtValue& value : values) {
    line.push_back(' ');
    switch (value.kind) {
      case FmtValue::Kind::kInt:
        line += std::to_string(value.int_value);
        break;
      case FmtValue::Kind::kText:
        line += value.text;
        break;
      case FmtValue::Kind::kReal: {
        char buffer[48];
        auto result = std::to_chars(buffer, buffer + sizeof buffer, value.real_value);
        std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
        line += text;
        bool plain_number = text.find_first_of(".eEn") == std::string_view::npos;
        if (plain_number) line += ".0";  // so that it reads back as a real
        break;
      }
    }
  }
  out.line(line);
}

}  // namespace scarpex
