// The numeric fields of the formatter against a reference built on std::to_chars (the way the
// formatter rendered fields before it used exact integer arithmetic), byte for byte, over
// millions of values: random bit patterns, values on both sides of every kind of rounding
// boundary, exact ties, and integers at the limits of each width.
// A further test checks that the shapes cover every numeric field of the engine's layouts.
// SCARPEX_DIFFERENTIAL_SCALE=n divides the number of values by n; sanitizer builds divide by 20.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "core/field_rendering.h"

namespace scarpex {
namespace {

// ---------------------------------------------------------------------------------------------
// The reference: each field built as text by std::to_chars on the value widened to double,
// then right-justified in its width, or asterisks.

struct Reference {
  static constexpr int32_t kCapacity = 128;
  char text[kCapacity];
  int32_t length = -1;

  std::string in_width(int32_t width) const {
    if (length < 0 || length > width) return std::string(static_cast<std::size_t>(width), '*');
    return std::string(static_cast<std::size_t>(width - length), ' ') +
           std::string(text, static_cast<std::size_t>(length));
  }
};

std::string reference_int(int32_t value, int32_t width, int32_t min_digits) {
  Reference f;
  char digits[16];
  int64_t magnitude = std::llabs(static_cast<int64_t>(value));
  auto result = std::to_chars(digits, digits + sizeof digits, magnitude);
  auto count = static_cast<int32_t>(result.ptr - digits);
  if (min_digits == 0 && value == 0) count = 0;
  int32_t zeros = std::max(0, std::min(min_digits, Reference::kCapacity - 2) - count);
  char* out = f.text;
  if (value < 0) *out++ = '-';
  out = std::fill_n(out, zeros, '0');
  out = std::copy_n(digits, count, out);
  f.length = static_cast<int32_t>(out - f.text);
  return f.in_width(width);
}

std::string reference_fixed(float value, int32_t width, int32_t decimals) {
  Reference f;
  if (!std::isfinite(value)) return f.in_width(width);
  char* end = f.text + Reference::kCapacity - 1;
  auto result =
      std::to_chars(f.text, end, static_cast<double>(value), std::chars_format::fixed, decimals);
  if (result.ec != std::errc()) return f.in_width(width);
  char* out = result.ptr;
  if (decimals == 0) *out++ = '.';
  f.length = static_cast<int32_t>(out - f.text);
  if (f.length > width) {
    int32_t zero = f.text[0] == '-' ? 1 : 0;
    if (f.length > zero + 1 && f.text[zero] == '0' && f.text[zero + 1] == '.') {
      std::copy(f.text + zero + 1, f.text + f.length, f.text + zero);
      --f.length;
    }
  }
  return f.in_width(width);
}

std::string reference_exp(float value, int32_t width, int32_t decimals, int32_t scale) {
  Reference f;
  int32_t significant = scale >= 1 ? decimals + 1 : decimals;
  if (!std::isfinite(value) || significant < 1 || significant > 64) return f.in_width(width);
  char digits[Reference::kCapacity];
  auto result = std::to_chars(digits, digits + sizeof digits, static_cast<double>(value),
                              std::chars_format::scientific, significant - 1);
  if (result.ec != std::errc()) return f.in_width(width);
  std::string_view text(digits, static_cast<std::size_t>(result.ptr - digits));
  std::size_t e_pos = text.find('e');
  int32_t exponent = 0;
  std::from_chars(text.data() + e_pos + (text[e_pos + 1] == '+' ? 2 : 1), result.ptr, exponent);
  bool negative = text[0] == '-';
  std::string_view mantissa = text.substr(negative ? 1 : 0, e_pos - (negative ? 1 : 0));
  if (value == 0.0f) {
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
  if (scale < 1 && f.length > width) {
    int32_t at = negative ? 1 : 0;
    std::copy(f.text + at + 1, f.text + f.length, f.text + at);
    --f.length;
  }
  return f.in_width(width);
}

// ---------------------------------------------------------------------------------------------
// The field shapes of the engine's report and plot layouts, and a few beyond them.

struct RealShape {
  char kind;  // 'F' or 'E'
  int32_t width, decimals, scale;
};

const std::vector<RealShape>& real_shapes() {
  static const std::vector<RealShape> shapes = {
      {'E', 9, 2, 1},
      {'E', 10, 3, 1},
      {'E', 12, 4, 1},
      {'F', 5, 1, 0},
      {'F', 5, 3, 0},
      {'F', 6, 1, 0},
      {'F', 6, 3, 0},
      {'F', 7, 1, 0},
      {'F', 7, 2, 0},
      {'F', 7, 3, 0},
      {'F', 8, 1, 0},
      {'F', 8, 2, 0},
      {'F', 9, 1, 0},
      {'F', 9, 2, 0},
      {'F', 9, 3, 0},
      {'F', 9, 4, 0},
      {'F', 10, 1, 0},
      {'F', 10, 2, 0},
      {'F', 10, 3, 0},
      {'F', 11, 1, 0},
      {'F', 11, 2, 0},
      {'F', 11, 4, 0},
      {'F', 12, 0, 0},
      {'F', 12, 2, 0},
      {'F', 12, 3, 0},
      {'F', 12, 4, 0},
      {'F', 13, 1, 0},
      {'F', 13, 2, 0},
      {'F', 15, 3, 0},
      {'F', 15, 4, 0},
      // Beyond the layouts: the 0.ddd mantissa, more digits, no decimals, wide fields.
      {'E', 9, 3, 0},
      {'E', 16, 8, 1},
      {'E', 6, 0, 1},
      {'F', 4, 0, 0},
      {'F', 19, 9, 0},
      {'F', 30, 6, 0},
      {'E', 8, 2, 1},
  };
  return shapes;
}

struct IntShape {
  int32_t width, min_digits;
};

const std::vector<IntShape>& int_shapes() {
  static const std::vector<IntShape> shapes = {
      {2, -1},
      {2, 2},
      {3, -1},
      {4, -1},
      {5, -1},
      {6, -1},
      {7, -1},
      {9, -1},
      {10, -1},
      // Beyond the layouts: Iw.0, a minimum wider than the digits, the widest integers.
      {5, 0},
      {6, 4},
      {11, -1},
      {12, 11},
  };
  return shapes;
}

// ---------------------------------------------------------------------------------------------
// The shapes above must cover every numeric field of the engine's layouts: the format texts are
// collected from the engine's sources (the literals passed to each FortranFormat), so that a
// new layout with a new shape cannot go untested.

using ShapeKey = std::tuple<char, int32_t, int32_t, int32_t>;  // kind, width, digits, scale

std::string source_text(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

std::set<ShapeKey> layout_shapes() {
  namespace fs = std::filesystem;
  const fs::path engine = fs::path(SCARPEX_TEST_DATA) / ".." / ".." / "engine";
  const std::regex declaration(R"re(FortranFormat\s+\w+\s*\(((?:\s*"(?:[^"\\]|\\.)*")+)\s*\))re");
  const std::regex literal(R"re("((?:[^"\\]|\\.)*)")re");
  const std::regex quoted_text("'[^']*'");
  const std::regex item(R"re((\d*)P|([IFE])(\d+)(?:\.(\d+))?)re");
  std::set<ShapeKey> shapes;
  for (const auto& entry : fs::recursive_directory_iterator(engine)) {
    const std::string extension = entry.path().extension().string();
    if (extension != ".cpp" && extension != ".h") continue;
    const std::string source = source_text(entry.path());
    for (std::sregex_iterator d(source.begin(), source.end(), declaration), end; d != end; ++d) {
      std::string format;
      const std::string literals = (*d)[1];
      for (std::sregex_iterator l(literals.begin(), literals.end(), literal); l != end; ++l) {
        format += (*l)[1];
      }
      format = std::regex_replace(format, quoted_text, "");
      int32_t scale = 0;
      for (std::sregex_iterator i(format.begin(), format.end(), item); i != end; ++i) {
        if ((*i)[2].length() == 0) {
          scale = (*i)[1].length() == 0 ? 0 : std::stoi((*i)[1]);
          continue;
        }
        const char kind = (*i)[2].str()[0];
        const int32_t width = std::stoi((*i)[3]);
        const int32_t digits = (*i)[4].length() == 0 ? -1 : std::stoi((*i)[4]);
        shapes.insert({kind, width, digits, kind == 'E' ? scale : 0});
      }
    }
  }
  return shapes;
}

TEST(FieldRenderingDifferential, TheShapesCoverEveryNumericFieldOfTheLayouts) {
  std::set<ShapeKey> tested;
  for (const RealShape& s : real_shapes()) tested.insert({s.kind, s.width, s.decimals, s.scale});
  for (const IntShape& s : int_shapes()) tested.insert({'I', s.width, s.min_digits, 0});
  const std::set<ShapeKey> used = layout_shapes();
  EXPECT_GT(used.size(), 20u);  // the collection found the layouts
  for (const ShapeKey& shape : used) {
    EXPECT_TRUE(tested.count(shape) == 1)
        << "untested field " << std::get<0>(shape) << std::get<1>(shape) << '.'
        << std::get<2>(shape) << " with scale factor " << std::get<3>(shape);
  }
}

std::string rendered(const RealShape& s, float value) {
  std::string text(static_cast<std::size_t>(s.width), '?');
  char* end = s.kind == 'F' ? put_fixed_field(text.data(), value, s.width, s.decimals)
                            : put_exp_field(text.data(), value, s.width, s.decimals, s.scale);
  text.resize(static_cast<std::size_t>(end - text.data()));
  return text;
}

std::string expected(const RealShape& s, float value) {
  return s.kind == 'F' ? reference_fixed(value, s.width, s.decimals)
                       : reference_exp(value, s.width, s.decimals, s.scale);
}

int scale_divisor() {
  int divisor = 1;
#if defined(__SANITIZE_ADDRESS__)
  divisor = 20;
#endif
  if (const char* text = std::getenv("SCARPEX_DIFFERENTIAL_SCALE")) {
    divisor = std::max(1, std::atoi(text));
  }
  return divisor;
}

int scaled(int count) {
  return std::max(1, count / scale_divisor());
}

// Compares one shape over the given values, stopping after a few reported differences.
class Comparison {
 public:
  explicit Comparison(const RealShape& shape) : shape_(shape) {}

  void check(float value) {
    ++count_;
    std::string got = rendered(shape_, value);
    std::string want = expected(shape_, value);
    if (got == want || ++failures_ > kReported) return;
    ADD_FAILURE() << shape_.kind << shape_.width << '.' << shape_.decimals << " scale "
                  << shape_.scale << " of " << std::hexfloat << value << std::defaultfloat << " ("
                  << value << "): got \"" << got << "\", expected \"" << want << '"';
  }

  // The value, its neighbours a few steps either way, and all of them negated.
  void check_around(float value) {
    float up = value;
    float down = value;
    check(value);
    check(-value);
    for (int step = 0; step < kNeighbours; ++step) {
      up = std::nextafter(up, std::numeric_limits<float>::infinity());
      down = std::nextafter(down, -std::numeric_limits<float>::infinity());
      check(up);
      check(down);
      check(-up);
      check(-down);
    }
  }

  long long count() const { return count_; }

 private:
  static constexpr int kReported = 5;
  static constexpr int kNeighbours = 2;
  RealShape shape_;
  long long count_ = 0;
  int failures_ = 0;
};

float random_bits(std::mt19937& rng) {
  return std::bit_cast<float>(static_cast<uint32_t>(rng()));
}

// A value with a random significand and a decimal exponent in the range the layouts meet.
float random_ordinary(std::mt19937& rng) {
  std::uniform_real_distribution<double> mantissa(1.0, 10.0);
  std::uniform_int_distribution<int> exponent(-16, 26);
  return static_cast<float>(mantissa(rng) * std::pow(10.0, exponent(rng)));
}

TEST(FieldRenderingDifferential, SpecialValuesMatchTheReference) {
  const float specials[] = {0.0f,
                            -0.0f,
                            std::numeric_limits<float>::quiet_NaN(),
                            -std::numeric_limits<float>::quiet_NaN(),
                            std::numeric_limits<float>::infinity(),
                            -std::numeric_limits<float>::infinity(),
                            std::numeric_limits<float>::denorm_min(),
                            std::numeric_limits<float>::min(),
                            std::numeric_limits<float>::max(),
                            std::numeric_limits<float>::epsilon(),
                            1.0f,
                            0.5f,
                            9.5f,
                            99.95f,
                            999.5f};
  for (const RealShape& shape : real_shapes()) {
    Comparison compare(shape);
    for (float value : specials) compare.check_around(value);
  }
}

TEST(FieldRenderingDifferential, RandomBitPatternsMatchTheReference) {
  std::mt19937 rng(20251209);
  const int per_shape = scaled(30000);
  for (const RealShape& shape : real_shapes()) {
    Comparison compare(shape);
    for (int i = 0; i < per_shape; ++i) compare.check(random_bits(rng));
    for (int i = 0; i < per_shape; ++i) compare.check(random_ordinary(rng));
  }
}

// Fixed fields: halfway points between neighbouring results of d decimals, in every decade
// from the smallest to the largest that fits the width, and the points where a carry adds
// an integer digit (9.995 to 10.00), drops the optional zero, or overflows the field.
TEST(FieldRenderingDifferential, FixedFieldsMatchTheReferenceAtRoundingBoundaries) {
  std::mt19937 rng(7);
  const int per_decade = scaled(300);
  for (const RealShape& shape : real_shapes()) {
    if (shape.kind != 'F') continue;
    Comparison compare(shape);
    const double unit = std::pow(10.0, -shape.decimals);
    for (int decade = -shape.decimals; decade <= shape.width; ++decade) {
      const double low = std::pow(10.0, decade);
      compare.check_around(static_cast<float>(low - unit / 2));  // the carry into a new digit
      compare.check_around(static_cast<float>(low));
      std::uniform_real_distribution<double> within(low, low * 10.0);
      for (int i = 0; i < per_decade; ++i) {
        double halfway = (std::floor(within(rng) / unit) + 0.5) * unit;
        compare.check_around(static_cast<float>(halfway));
      }
    }
    EXPECT_GT(compare.count(), 0);
  }
}

// E fields: halfway points between neighbouring n-digit significands at every decimal
// exponent of the float range, and the carry from 9.99..5 to 10.0.
TEST(FieldRenderingDifferential, ExponentFieldsMatchTheReferenceAtRoundingBoundaries) {
  std::mt19937 rng(11);
  const int per_exponent = scaled(400);
  for (const RealShape& shape : real_shapes()) {
    if (shape.kind != 'E') continue;
    Comparison compare(shape);
    const int32_t significant = shape.scale >= 1 ? shape.decimals + 1 : shape.decimals;
    const double digits_limit = std::pow(10.0, significant);
    std::uniform_real_distribution<double> significand(digits_limit / 10.0, digits_limit);
    for (int exponent = -46; exponent <= 39; ++exponent) {
      const double unit = std::pow(10.0, exponent + 1 - significant);
      compare.check_around(static_cast<float>((digits_limit - 0.5) * unit));
      for (int i = 0; i < per_exponent; ++i) {
        double halfway = (std::floor(significand(rng)) + 0.5) * unit;
        compare.check_around(static_cast<float>(halfway));
      }
    }
  }
}

// Floats that lie exactly halfway: small dyadic fractions, where ties go to the even digit.
TEST(FieldRenderingDifferential, ExactTiesMatchTheReference) {
  const int numerators = scaled(3000);
  for (const RealShape& shape : real_shapes()) {
    Comparison compare(shape);
    for (int shift = 1; shift <= 12; ++shift) {
      for (int n = 1; n <= numerators; n += 2) {
        compare.check(std::ldexp(static_cast<float>(n), -shift));
        compare.check(-std::ldexp(static_cast<float>(n), -shift));
      }
    }
  }
}

TEST(FieldRenderingDifferential, IntegersMatchTheReferenceAtTheWidthLimits) {
  std::vector<int32_t> values = {0, 1, -1, std::numeric_limits<int32_t>::min(),
                                 std::numeric_limits<int32_t>::max()};
  for (int64_t power = 1; power <= 1000000000; power *= 10) {
    for (int64_t v : {power - 1, power, power + 1}) {
      values.push_back(static_cast<int32_t>(v));
      values.push_back(static_cast<int32_t>(-v));
    }
  }
  std::mt19937 rng(3);
  const int random_values = scaled(50000);
  for (int i = 0; i < random_values; ++i) values.push_back(static_cast<int32_t>(rng()));
  for (int i = 0; i < random_values; ++i)
    values.push_back(static_cast<int32_t>(rng() % 2001) - 1000);
  int failures = 0;
  for (const IntShape& shape : int_shapes()) {
    for (int32_t value : values) {
      std::string got(static_cast<std::size_t>(shape.width), '?');
      got.resize(static_cast<std::size_t>(
          put_int_field(got.data(), value, shape.width, shape.min_digits) - got.data()));
      std::string want = reference_int(value, shape.width, shape.min_digits);
      if (got != want && ++failures <= 5) {
        ADD_FAILURE() << "I" << shape.width << '.' << shape.min_digits << " of " << value
                      << ": got \"" << got << "\", expected \"" << want << '"';
      }
    }
  }
}

}  // namespace
}  // namespace scarpex
