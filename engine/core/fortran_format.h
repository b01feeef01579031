// A small interpreter of Fortran FORMAT strings for the engine's fixed report layouts.
//
// Supported: Iw, Iw.m, Fw.d, Ew.d with a kP scale factor (1PEw.d), Aw, A, nX, quoted text,
// "/", repeat counts, nested groups, format reversion when values remain, early end of the
// line when values run out, and asterisks when a value does not fit (or is NaN or infinite).
// Each format is parsed once, where it is declared, and then written any number of times;
// a record is written straight into the sink's buffer, without allocation.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/text_sink.h"

namespace scarpex {

// One value of an output list.
struct FmtValue {
  enum class Kind : uint8_t { kInt, kReal, kText };
  Kind kind;
  int32_t int_value = 0;
  float real_value = 0.0f;
  std::string_view text;

  FmtValue(int32_t v) : kind(Kind::kInt), int_value(v) {}  // NOLINT: implicit by design
  FmtValue(float v) : kind(Kind::kReal), real_value(v) {}  // NOLINT
  FmtValue(double v) : kind(Kind::kReal), real_value(static_cast<float>(v)) {}  // NOLINT
  FmtValue(std::string_view v) : kind(Kind::kText), text(v) {}                  // NOLINT
  FmtValue(const char* v) : kind(Kind::kText), text(v) {}                       // NOLINT
  FmtValue(const std::string& v) : kind(Kind::kText), text(v) {}                // NOLINT
};

class FortranFormat {
 public:
  // `text` is the whole format, with its outer parentheses, e.g. "(10X,'Load',I3)".
  explicit FortranFormat(std::string_view text);

  // Writes the values as one output statement; every statement starts a new line.
  void write(TextSink& out, std::span<const FmtValue> values) const;
  void write(TextSink& out, std::initializer_list<FmtValue> values = {}) const {
    write(out, std::span<const FmtValue>(values.begin(), values.size()));
  }

  // One step of a record. Repeat counts and groups are unrolled when the format is parsed,
  // and the blanks of X items are carried by the item they stand before, so that writing a
  // record is a straight walk over these steps.
  struct Step {
    enum class Type : uint8_t { kText, kSkip, kSlash, kScale, kInt, kFixed, kExp, kAlpha };
    Type type;
    int32_t blanks = 0;       // blanks skipped just before this step
    int32_t width = 0;        // field width (-1 for a bare A); the blanks of kSkip; k of kP
    int32_t digits = 0;       // d of F and E, m of I (-1: no minimum)
    uint32_t text_begin = 0;  // quoted text: its place in texts_
    uint32_t text_length = 0;
  };

 private:
  class Writer;
  std::vector<Step> steps_;
  std::string texts_;             // the quoted texts, one after another
  uint32_t reversion_begin_ = 0;  // the steps format control reverts to when values remain
  uint32_t reversion_end_ = 0;
  std::size_t record_bound_ = 0;  // characters of one pass without bare A texts
  // Every step an F field (with blanks before it) and reversion to the first: the layout of
  // coordinate lines, which write_plain_fixed writes without the general walk.
  bool plain_fixed_ = false;

  bool write_plain_fixed(TextSink& out, std::span<const FmtValue> values) const;
};

// Formats one value as a field of the given descriptor (exposed for tests and reuse).
std::string format_int(int32_t value, int32_t width, int32_t min_digits);
std::string format_fixed(float value, int32_t width, int32_t decimals);
std::string format_exp(float value, int32_t width, int32_t decimals, int32_t scale);

// A free-format line: one blank, then the values separated by blanks. Reals are written in
// their shortest form that reads back exactly, always with a decimal point or exponent.
void write_free_line(TextSink& out, std::initializer_list<FmtValue> values = {});

}  // namespace scarpex
