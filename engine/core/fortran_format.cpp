#include "core/fortran_format.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace scarpex {

namespace {

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

namespace {

// A field is built in a small buffer, then written right-justified in its width, or as
// asterisks when it does not fit. Building it in place keeps the writer free of allocation.
struct Field {
  static constexpr int32_t kCapacity = 128;
  char text[kCapacity];
  int32_t length = 0;  // -1: the value cannot be shown (asterisks)
};

void render_int(Field& f, int32_t value, int32_t min_digits) {
  char digits[16];
  int64_t magnitude = std::llabs(static_cast<int64_t>(value));
  auto result = std::to_chars(digits, digits + sizeof digits, magnitude);
  auto count = static_cast<int32_t>(result.ptr - digits);
  if (min_digits == 0 && value == 0) count = 0;  // Iw.0 writes a zero as blanks
  int32_t zeros = std::max(0, std::min(min_digits, Field::kCapacity - 2) - count);
  char* out = f.text;
  if (value < 0) *out++ = '-';
  out = std::fill_n(out, zeros, '0');
  out = std::copy_n(digits, count, out);
  f.length = static_cast<int32_t>(out - f.text);
}

void render_fixed(Field& f, float value, int32_t width, int32_t decimals) {
  f.length = -1;
  if (!std::isfinite(value)) return;
  char* end = f.text + Field::kCapacity - 1;
  auto result =
      std::to_chars(f.text, end, static_cast<double>(value), std::chars_format::fixed, decimals);
  if (result.ec != std::errc()) return;
  char* out = result.ptr;
  if (decimals == 0) *out++ = '.';  // Fw.0 ends with the decimal point
  f.length = static_cast<int32_t>(out - f.text);
  // The zero before the decimal point is optional: it is written only when the field has room.
  if (f.length > width) {
    int32_t zero = f.text[0] == '-' ? 1 : 0;
    if (f.length > zero + 1 && f.text[zero] == '0' && f.text[zero + 1] == '.') {
      std::copy(f.text + zero + 1, f.text + f.length, f.text + zero);
      --f.length;
    }
  }
}

// Ew.d: with scale factor 1 one non-zero digit stands before the point (1PEw.d); with 0 the
// mantissa is 0.ddd. The exponent has two digits after its sign, three (without the E) beyond.
void render_exp(Field& f, float value, int32_t width, int32_t decimals, int32_t scale) {
  f.length = -1;
  if (!std::isfinite(value)) return;
  int32_t significant = scale >= 1 ? decimals + 1 : decimals;
  if (significant < 1 || significant > 64) return;
  char digits[Field::kCapacity];
  auto result = std::to_chars(digits, digits + sizeof digits, static_cast<double>(value),
                              std::chars_format::scientific, significant - 1);
  if (result.ec != std::errc()) return;
  std::string_view text(digits, static_cast<std::size_t>(result.ptr - digits));
  std::size_t e_pos = text.find('e');
  int32_t exponent = 0;
  std::from_chars(text.data() + e_pos + (text[e_pos + 1] == '+' ? 2 : 1), result.ptr, exponent);
  bool negative = text[0] == '-';
  std::string_view mantissa = text.substr(negative ? 1 : 0, e_pos - (negative ? 1 : 0));
  bool zero = value == 0.0f;
  if (zero) {
    exponent = 0;
  } else if (scale < 1) {
    exponent += 1;
  }
  char* out = f.text;
  if (negative) *out++ = '-';
  if (scale < 1) {
    *out++ = '0';
    *out++ = '.';
  }
  for (char c : mantissa) {
    if (c == '.') continue;
    *out++ = c;
    if (scale >= 1 && out - f.text == (negative ? 2 : 1)) *out++ = '.';
  }
  int32_t magnitude = std::abs(exponent);
  if (magnitude <= 99) *out++ = 'E';
  *out++ = exponent < 0 ? '-' : '+';
  if (magnitude > 99) *out++ = static_cast<char>('0' + magnitude / 100);
  *out++ = static_cast<char>('0' + magnitude / 10 % 10);
  *out++ = static_cast<char>('0' + magnitude % 10);
  f.length = static_cast<int32_t>(out - f.text);
  if (scale < 1 && f.length > width) {  // the leading zero of 0.ddd is optional
    int32_t at = negative ? 1 : 0;
    std::copy(f.text + at + 1, f.text + f.length, f.text + at);
    --f.length;
  }
}

void write_field(TextSink& out, const Field& f, int32_t width) {
  if (f.length < 0 || f.length > width) {
    out.write_repeated('*', static_cast<std::size_t>(width));
    return;
  }
  out.write_repeated(' ', static_cast<std::size_t>(width - f.length));
  out.write(std::string_view(f.text, static_cast<std::size_t>(f.length)));
}

std::string field_text(const Field& f, int32_t width) {
  TextSink sink;
  sink.use_memory();
  write_field(sink, f, width);
  return sink.text();
}

}  // namespace

std::string format_int(int32_t value, int32_t width, int32_t min_digits) {
  Field f;
  render_int(f, value, min_digits);
  return field_text(f, width);
}

std::string format_fixed(float value, int32_t width, int32_t decimals) {
  Field f;
  render_fixed(f, value, width, decimals);
  return field_text(f, width);
}

std::string format_exp(float value, int32_t width, int32_t decimals, int32_t scale) {
  Field f;
  render_exp(f, value, width, decimals, scale);
  return field_text(f, width);
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
    out_.end_line();
    pending_blanks_ = 0;
  }

 private:
  using Item = FortranFormat::Item;

  bool run_simple(const Item& item) {
    switch (item.type) {
      case Item::Type::kText:
        flush_blanks();
        out_.write(item.text);
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
          flush_blanks();
          edit(item, values_[next_++]);
        }
        return true;
    }
  }

  void edit(const Item& item, const FmtValue& value) {
    using Kind = FmtValue::Kind;
    int32_t width = item.width;
    Field field;
    switch (item.type) {
      case Item::Type::kInt:
        if (value.kind == Kind::kInt)
          render_int(field, value.int_value, item.digits);
        else
          field.length = -1;
        return write_field(out_, field, width);
      case Item::Type::kFixed:
      case Item::Type::kExp: {
        if (value.kind == Kind::kText) {
          field.length = -1;
          return write_field(out_, field, width);
        }
        float v = value.kind == Kind::kInt ? static_cast<float>(value.int_value) : value.real_value;
        if (item.type == Item::Type::kFixed)
          render_fixed(field, v, width, item.digits);
        else
          render_exp(field, v, width, item.digits, scale_);
        return write_field(out_, field, width);
      }
      default:  // A
        return edit_text(value, width);
    }
  }

  // Aw takes the leftmost w characters of a longer text and right-justifies a shorter one;
  // a bare A writes the whole text.
  void edit_text(const FmtValue& value, int32_t width) {
    if (value.kind != FmtValue::Kind::kText) {
      out_.write_repeated('*', static_cast<std::size_t>(width < 0 ? 1 : width));
      return;
    }
    std::string_view text = value.text;
    if (width < 0) return out_.write(text);
    auto w = static_cast<std::size_t>(width);
    if (text.size() >= w) return out_.write(text.substr(0, w));
    out_.write_repeated(' ', w - text.size());
    out_.write(text);
  }

  // Blanks skipped by X are written only when something follows them on the line.
  void flush_blanks() {
    if (pending_blanks_ > 0) out_.write_repeated(' ', static_cast<std::size_t>(pending_blanks_));
    pending_blanks_ = 0;
  }

  const std::vector<Item>& items_;
  TextSink& out_;
  std::span<const FmtValue> values_;
  std::size_t next_ = 0;
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
  // Written straight into the sink: the search writes such lines for every trial, and they
  // must not allocate.
  for (const FmtValue& value : values) {
    out.write(' ');
    char buffer[48];
    switch (value.kind) {
      case FmtValue::Kind::kInt: {
        auto result = std::to_chars(buffer, buffer + sizeof buffer, value.int_value);
        out.write(std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer)));
        break;
      }
      case FmtValue::Kind::kText:
        out.write(value.text);
        break;
      case FmtValue::Kind::kReal: {
        auto result = std::to_chars(buffer, buffer + sizeof buffer, value.real_value);
        std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
        out.write(text);
        bool plain_number = text.find_first_of(".eEn") == std::string_view::npos;
        if (plain_number) out.write(std::string_view(".0"));  // so that it reads back as a real
        break;
      }
    }
  }
  out.end_line();
}

}  // namespace scarpex
