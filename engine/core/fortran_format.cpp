#include "core/fortran_format.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>
#include <stdexcept>

#include "core/field_digits.h"
#include "core/field_rendering.h"

namespace scarpex {

namespace {

// Widths, counts and scale factors beyond these make no sense in a report layout; they are
// refused when the format is parsed, as is a format that unrolls to too many steps.
constexpr int32_t kMaxNumber = 9999;
constexpr std::size_t kMaxSteps = 100000;

// A parsed item before unrolling: groups keep their repeat count and extent.
struct Item {
  enum class Type : uint8_t { kText, kSkip, kSlash, kInt, kFixed, kExp, kAlpha, kScale, kGroup };
  Type type;
  int32_t repeat = 1;
  int32_t width = 0;   // field width; -1 for a bare A
  int32_t digits = 0;  // d of F and E, m of I (-1: no minimum)
  int32_t end = 0;     // for a group: index one past its last item
  std::string text;    // quoted text
};

class Parser {
 public:
  explicit Parser(std::string_view text) : s_(text) {}

  std::vector<Item> parse(int32_t& reversion_start) {
    skip_separators();
    expect('(');
    parse_list(0, reversion_start);
    expect(')');
    skip_separators();
    if (pos_ != s_.size()) fail("text after the closing parenthesis");
    return std::move(items_);
  }

 private:
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
    while (has_number()) {
      value = value * 10 + (s_[pos_++] - '0');
      if (value > kMaxNumber) fail("number too large");
    }
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

using Step = FortranFormat::Step;

namespace {

// Unrolls the parsed items into steps and folds the blanks of X items into the step after
// them. Blanks are not carried across the start or the end of the reverted group, so that
// each pass over it sees the same blanks as the first.
class Unroller {
 public:
  Unroller(const std::vector<Item>& items, int32_t reversion_item, std::string& texts)
      : items_(items), reversion_item_(reversion_item), texts_(texts) {}

  std::vector<Step> run(uint32_t& reversion_begin, uint32_t& reversion_end) {
    unroll(0, static_cast<int32_t>(items_.size()));
    steps_.shrink_to_fit();
    reversion_begin = reversion_item_ < 0 ? 0 : reversion_begin_;
    reversion_end = reversion_item_ < 0 ? static_cast<uint32_t>(steps_.size()) : reversion_end_;
    return std::move(steps_);
  }

 private:
  void unroll(int32_t begin, int32_t end) {
    for (int32_t i = begin; i < end;) {
      const Item& item = items_[static_cast<std::size_t>(i)];
      if (item.type != Item::Type::kGroup) {
        for (int32_t r = 0; r < item.repeat; ++r) add(item);
        ++i;
        continue;
      }
      const bool reverted = i == reversion_item_;
      if (reverted) close_blanks(reversion_begin_);
      for (int32_t r = 0; r < item.repeat; ++r) unroll(i + 1, item.end);
      if (reverted) close_blanks(reversion_end_);
      i = item.end;
    }
  }

  // Ends the carrying of blanks at a boundary of the reverted group.
  void close_blanks(uint32_t& boundary) {
    if (blanks_ > 0) push({Step::Type::kSkip, 0, blanks_});
    blanks_ = 0;
    merge_allowed_ = false;
    boundary = static_cast<uint32_t>(steps_.size());
  }

  void add(const Item& item) {
    switch (item.type) {
      case Item::Type::kSkip:
        blanks_ += item.width;
        return;
      case Item::Type::kText:
        return add_text(item.text);
      case Item::Type::kSlash:
        blanks_ = 0;  // blanks at the end of a line are never written
        push({Step::Type::kSlash});
        return;
      case Item::Type::kScale:
        push({Step::Type::kScale, 0, item.width});
        return;
      default:
        break;
    }
    Step step{};
    step.type = item.type == Item::Type::kInt     ? Step::Type::kInt
                : item.type == Item::Type::kFixed ? Step::Type::kFixed
                : item.type == Item::Type::kExp   ? Step::Type::kExp
                                                  : Step::Type::kAlpha;
    step.blanks = blanks_;
    step.width = item.width;
    step.digits = item.digits;
    blanks_ = 0;
    push(step);
  }

  // Texts that follow one another (with the blanks between them) become one text.
  void add_text(const std::string& text) {
    if (merge_allowed_ && !steps_.empty() && steps_.back().type == Step::Type::kText) {
      texts_.append(static_cast<std::size_t>(blanks_), ' ');
      texts_ += text;
      steps_.back().text_length +=
          static_cast<uint32_t>(blanks_) + static_cast<uint32_t>(text.size());
      blanks_ = 0;
      return;
    }
    Step step{Step::Type::kText, blanks_};
    step.text_begin = static_cast<uint32_t>(texts_.size());
    step.text_length = static_cast<uint32_t>(text.size());
    texts_ += text;
    blanks_ = 0;
    push(step);
  }

  void push(const Step& step) {
    if (steps_.size() >= kMaxSteps) throw std::invalid_argument("format unrolls to too many steps");
    steps_.push_back(step);
    merge_allowed_ = true;
  }

  const std::vector<Item>& items_;
  const int32_t reversion_item_;
  std::string& texts_;
  std::vector<Step> steps_;
  int32_t blanks_ = 0;
  bool merge_allowed_ = false;
  uint32_t reversion_begin_ = 0;
  uint32_t reversion_end_ = 0;
};

// The most characters one pass over the steps writes, bare A texts apart, with the line end
// that follows it.
std::size_t pass_bound(const std::vector<Step>& steps) {
  std::size_t bound = 1;  // the line end of the record
  for (const Step& step : steps) {
    bound += static_cast<std::size_t>(std::max(step.blanks, 0));
    switch (step.type) {
      case Step::Type::kText:
        bound += step.text_length;
        break;
      case Step::Type::kSkip:
        bound += static_cast<std::size_t>(step.width);
        break;
      case Step::Type::kSlash:
        bound += 1;
        break;
      case Step::Type::kScale:
        break;
      default:
        bound += static_cast<std::size_t>(std::max(step.width, 1));
    }
  }
  return bound;
}

}  // namespace

// Runs the steps against one output list, writing into room reserved at the end of the sink.
// Room for a whole pass over the steps is reserved before the pass, so that only the texts of
// bare A fields, whose length the format does not fix, need a check of their own.
class FortranFormat::Writer {
 public:
  Writer(const FortranFormat& format, TextSink& out, std::span<const FmtValue> values)
      : format_(format), out_(out), values_(values) {
    pos_ = out_.reserve_tail(format.record_bound_);
    limit_ = pos_ + format.record_bound_;
  }

  // Runs steps [begin, end); false when a field found no value left.
  bool run(uint32_t begin, uint32_t end) {
    const Step* steps = format_.steps_.data();
    for (uint32_t i = begin; i < end; ++i) {
      const Step& step = steps[i];
      switch (step.type) {
        case Step::Type::kText:
          pending_blanks_ += step.blanks;
          flush_blanks();
          std::memcpy(pos_, format_.texts_.data() + step.text_begin, step.text_length);
          pos_ += step.text_length;
          break;
        case Step::Type::kSkip:
          pending_blanks_ += step.width;
          break;
        case Step::Type::kSlash:
          end_record();
          break;
        case Step::Type::kScale:
          scale_ = step.width;
          break;
        default:
          if (next_ >= values_.size()) return false;
          pending_blanks_ += step.blanks;
          edit(step, values_[next_++]);
      }
    }
    return true;
  }

  bool values_left() const { return next_ < values_.size(); }
  std::size_t consumed() const { return next_; }

  void end_record() {
    *pos_++ = '\n';
    pending_blanks_ = 0;
  }

  // Room for `count` more characters.
  void room(std::size_t count) {
    if (static_cast<std::size_t>(limit_ - pos_) >= count) return;
    out_.commit_tail(pos_);
    pos_ = out_.reserve_tail(count);
    limit_ = pos_ + count;
  }

  void finish() { out_.commit_tail(pos_); }

 private:
  // Blanks skipped by X are written only when something follows them on the line.
  void flush_blanks() {
    pos_ = put_blanks(pos_, pending_blanks_);
    pending_blanks_ = 0;
  }

  void edit(const Step& step, const FmtValue& value) {
    using Kind = FmtValue::Kind;
    const int32_t width = step.width;
    if (step.type == Step::Type::kAlpha) return edit_text(value, width);
    flush_blanks();
    if (step.type == Step::Type::kInt) {
      pos_ = value.kind == Kind::kInt ? put_int_field(pos_, value.int_value, width, step.digits)
                                      : put_asterisks(pos_, width);
      return;
    }
    if (value.kind == Kind::kText) {
      pos_ = put_asterisks(pos_, width);
      return;
    }
    const float v =
        value.kind == Kind::kInt ? static_cast<float>(value.int_value) : value.real_value;
    pos_ = step.type == Step::Type::kFixed ? put_fixed_field(pos_, v, width, step.digits)
                                           : put_exp_field(pos_, v, width, step.digits, scale_);
  }

  // Aw takes the leftmost w characters of a longer text and right-justifies a shorter one;
  // a bare A writes the whole text.
  void edit_text(const FmtValue& value, int32_t width) {
    if (value.kind != FmtValue::Kind::kText) {
      flush_blanks();
      pos_ = put_asterisks(pos_, width < 0 ? 1 : width);
      return;
    }
    std::string_view text = value.text;
    if (width < 0) {
      // The rest of the pass keeps the room it was given.
      room(static_cast<std::size_t>(pending_blanks_) + text.size() + format_.record_bound_);
      flush_blanks();
      pos_ = copy_chars(pos_, text.data(), text.size());
      return;
    }
    const auto w = static_cast<std::size_t>(width);
    flush_blanks();
    if (text.size() >= w) {
      pos_ = copy_chars(pos_, text.data(), w);
    } else {
      std::memset(pos_, ' ', w - text.size());
      pos_ = copy_chars(pos_ + (w - text.size()), text.data(), text.size());
    }
  }

  // An empty text may have no characters at all (a null pointer), which memcpy must not see.
  static char* copy_chars(char* out, const char* text, std::size_t count) {
    if (count > 0) std::memcpy(out, text, count);
    return out + count;
  }

  const FortranFormat& format_;
  TextSink& out_;
  std::span<const FmtValue> values_;
  char* pos_ = nullptr;
  char* limit_ = nullptr;
  std::size_t next_ = 0;
  int32_t pending_blanks_ = 0;
  int32_t scale_ = 0;
};

FortranFormat::FortranFormat(std::string_view text) {
  int32_t reversion_item = -1;
  std::vector<Item> items = Parser(text).parse(reversion_item);
  steps_ = Unroller(items, reversion_item, texts_).run(reversion_begin_, reversion_end_);
  record_bound_ = pass_bound(steps_);
  plain_fixed_ = !steps_.empty() && reversion_begin_ == 0 && reversion_end_ == steps_.size() &&
                 std::all_of(steps_.begin(), steps_.end(),
                             [](const Step& step) { return step.type == Step::Type::kFixed; });
}

// The lines the general walk writes for a format of F fields only: each pass its fields, a
// new line when values remain, the line end after the last value. Numbers only; false, having
// written nothing, when a value is text (the general walk then writes its asterisks).
bool FortranFormat::write_plain_fixed(TextSink& out, std::span<const FmtValue> values) const {
  for (const FmtValue& value : values) {
    if (value.kind == FmtValue::Kind::kText) return false;
  }
  const std::size_t fields = steps_.size();
  const std::size_t passes = std::max<std::size_t>((values.size() + fields - 1) / fields, 1);
  char* pos = out.reserve_tail(record_bound_ * passes);
  std::size_t field = 0;
  for (const FmtValue& value : values) {
    if (field == fields) {
      *pos++ = '\n';
      field = 0;
    }
    const Step& step = steps_[field++];
    const float v =
        value.kind == FmtValue::Kind::kInt ? static_cast<float>(value.int_value) : value.real_value;
    pos = put_blanks(pos, step.blanks);
    if (!put_usual_fixed_field(pos, v, step.width, step.digits)) {
      pos = put_fixed_field(pos, v, step.width, step.digits);
    }
  }
  *pos++ = '\n';
  out.commit_tail(pos);
  return true;
}

void FortranFormat::write(TextSink& out, std::span<const FmtValue> values) const {
  if (plain_fixed_ && write_plain_fixed(out, values)) return;
  Writer writer(*this, out, values);
  bool reached_end = writer.run(0, static_cast<uint32_t>(steps_.size()));
  // Values left at the end of the format: a new line, and control reverts to the last
  // group of the outer level (or to the beginning when there is none).
  while (reached_end && writer.values_left()) {
    std::size_t before = writer.consumed();
    writer.room(record_bound_ + 1);  // this line end, the pass and the last line end
    writer.end_record();
    reached_end = writer.run(reversion_begin_, reversion_end_);
    if (writer.consumed() == before) break;  // a format without data descriptors
  }
  writer.end_record();
  writer.finish();
}

namespace {

std::string field_text(int32_t width, auto put) {
  std::string text(static_cast<std::size_t>(std::max(width, 0)), ' ');
  put(text.data());
  return text;
}

}  // namespace

std::string format_int(int32_t value, int32_t width, int32_t min_digits) {
  return field_text(width, [&](char* out) { put_int_field(out, value, width, min_digits); });
}

std::string format_fixed(float value, int32_t width, int32_t decimals) {
  return field_text(width, [&](char* out) { put_fixed_field(out, value, width, decimals); });
}

std::string format_exp(float value, int32_t width, int32_t decimals, int32_t scale) {
  return field_text(width, [&](char* out) { put_exp_field(out, value, width, decimals, scale); });
}

void write_free_line(TextSink& out, std::initializer_list<FmtValue> values) {
  for (const FmtValue& value : values) {
    out.write(' ');
    switch (value.kind) {
      case FmtValue::Kind::kText:
        out.write(value.text);
        break;
      case FmtValue::Kind::kInt: {
        char buffer[16];
        auto result = std::to_chars(buffer, buffer + sizeof buffer, value.int_value);
        out.write(std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer)));
        break;
      }
      case FmtValue::Kind::kReal: {
        char buffer[48];
        auto result = std::to_chars(buffer, buffer + sizeof buffer, value.real_value);
        std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
        out.write(text);
        bool plain_number = text.find_first_of(".eEn") == std::string_view::npos;
        if (plain_number) out.write(".0");  // so that it reads back as a real
        break;
      }
    }
  }
  out.end_line();
}

}  // namespace scarpex
