#include "core/data_reader.h"

#include <array>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "core/error_lines.h"
#include "core/fortran_format.h"
#include "core/run_control.h"

namespace scarpex {

namespace {

constexpr int32_t kLineWidth = 80;

// Column c (from 1) of the data line; every column past 80 reads as a blank, so that a field
// running to column 80 ends there.
char column(const ProblemModel& m, int32_t c) {
  return (c >= 1 && c <= kLineWidth) ? m.data_line[static_cast<std::size_t>(c - 1)] : ' ';
}

// Place values of a real field: 10^k for every k a field of 80 columns can need. Each entry is
// the float nearest to 10^k (the compiler rounds the literals exactly); from 10^39 on the
// value is beyond float and is infinity.
constexpr int32_t kLargestFloatPowerOfTen = 38;
constexpr std::array<float, kLineWidth + 1> kPowersOfTen = [] {
  constexpr std::array<float, kLargestFloatPowerOfTen + 1> kFinite = {
      1e0f,  1e1f,  1e2f,  1e3f,  1e4f,  1e5f,  1e6f,  1e7f,  1e8f,  1e9f,  1e10f, 1e11f, 1e12f,
      1e13f, 1e14f, 1e15f, 1e16f, 1e17f, 1e18f, 1e19f, 1e20f, 1e21f, 1e22f, 1e23f, 1e24f, 1e25f,
      1e26f, 1e27f, 1e28f, 1e29f, 1e30f, 1e31f, 1e32f, 1e33f, 1e34f, 1e35f, 1e36f, 1e37f, 1e38f};
  std::array<float, kLineWidth + 1> table{};
  for (std::size_t k = 0; k < table.size(); ++k) {
    table[k] = k < kFinite.size() ? kFinite[k] : std::numeric_limits<float>::infinity();
  }
  return table;
}();

float power_of_ten(int32_t exponent) {
  return kPowersOfTen[static_cast<std::size_t>(exponent)];
}

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

// FR error lines go to the report file and then to the trace file.
void write_format_error(Engine& e, std::string_view code) {
  write_error_line(e.report, code);
  write_error_line(e.trace, code);
}

void write_bad_line_block(Engine& e) {
  static const FortranFormat kBlock(
      "(1X,'****  Error in Following Line of Data  ****',/,/,1X,'c',/,1X,80A1,/,/)");
  std::string_view line = e.model.data_line.view();
  std::vector<FmtValue> columns;
  columns.reserve(kLineWidth);
  for (int32_t c = 0; c < kLineWidth; ++c) columns.emplace_back(line.substr(c, 1));
  kBlock.write(e.report, columns);
  kBlock.write(e.trace, columns);
}

// The error ending shared by FR02 to FR08: the bad-line block, then abort_run.
void end_with_bad_line(Engine& e) {
  write_bad_line_block(e);
  abort_run(e);
}

// Loads the next data line; false when the run is ending (FR01 or FR02 already handled).
bool load_new_line(Engine& e) {
  ProblemModel& m = e.model;
  std::string line;
  if (!e.input.next_line(line)) {
    write_format_error(e, "FR01");
    abort_run(e);
    return false;
  }
  m.data_line.assign(line);
  if (column(m, 1) == ' ') {
    write_format_error(e, "FR02");
    end_with_bad_line(e);
    return false;
  }
  m.line_loaded = 1;
  return true;
}

void read_integer_field(Engine& e, int32_t start, int32_t end, int32_t& int_out) {
  ProblemModel& m = e.model;
  bool bad = false;
  for (int32_t c = start; c < end; ++c) {
    char ch = column(m, c);
    if (ch == '.' || ch == '-') {
      write_format_error(e, ch == '.' ? "FR03" : "FR04");
      bad = true;
    }
  }
  if (bad) {
    m.input_error_flag = 2;
    end_with_bad_line(e);
    return;
  }
  // Digit c counts digit * 10^(end - c - 1); the sum is built the same way from the left.
  int64_t value = 0;
  for (int32_t c = start; c < end; ++c) {
    char ch = column(m, c);
    if (!is_digit(ch)) {
      // Only the digits before the bad character count, at their place values.
      for (int32_t rest = c; rest < end && value <= INT32_MAX; ++rest) value *= 10;
      int_out = value > INT32_MAX ? INT32_MAX : static_cast<int32_t>(value);
      write_format_error(e, "FR05");
      end_with_bad_line(e);
      return;
    }
    value = value * 10 + (ch - '0');
    // More digits than a 32-bit integer holds: reported as its own format error rather
    // than stored wrapped around.
    if (value > INT32_MAX) {
      write_format_error(e, "FR08");
      end_with_bad_line(e);
      return;
    }
  }
  int_out = static_cast<int32_t>(value);
  m.line_column = end;
}

void check_real_characters(Engine& e, int32_t first, int32_t end) {
  static constexpr std::string_view kAllowed = "1234567890 .o-";
  for (int32_t c = first; c <= end; ++c) {
    if (kAllowed.find(column(e.model, c)) == std::string_view::npos) write_format_error(e, "FR07");
  }
}

void read_real_field(Engine& e, int32_t start, int32_t end, float& real_out) {
  ProblemModel& m = e.model;
  bool negative = column(m, start) == '-';
  int32_t first = negative ? start + 1 : start;
  int32_t point = 0;
  for (int32_t c = first; c < end; ++c) {
    if (column(m, c) == '.') point = c;
  }
  if (point == 0) {
    real_out = 0.0f;
    write_format_error(e, "FR06");
    check_real_characters(e, first, end);
    end_with_bad_line(e);
    return;
  }
  float sum = 0.0f;
  for (int32_t c = first; c < point; ++c) {
    char ch = column(m, c);
    if (!is_digit(ch)) {
      real_out = sum;
      write_format_error(e, "FR07");
      end_with_bad_line(e);
      return;
    }
    sum += static_cast<float>(ch - '0') * power_of_ten(point - c - 1);
  }
  // After the point, up to and including the ending blank, a non-digit counts as 0.
  for (int32_t c = point + 1; c <= end; ++c) {
    char ch = column(m, c);
    if (is_digit(ch)) {
      sum += static_cast<float>(ch - '0') / power_of_ten(c - point);
    }
  }
  if (negative) sum *= -1.0f;
  real_out = sum;
  m.line_column = end;
}

}  // namespace

void read_data_value(Engine& e, float& real_out, int32_t& int_out, int32_t kind) {
  ProblemModel& m = e.model;
  int32_t start = 1;
  if (m.line_loaded == 1 && column(m, m.line_column + 1) != ' ') {
    start = m.line_column + 1;
  } else if (!load_new_line(e)) {
    return;
  }
  // The field runs to the first blank; a letter o in it is read as the digit zero, and the
  // line itself keeps the zero.
  int32_t end = start;
  while (column(m, end) != ' ') {
    if (m.data_line[static_cast<std::size_t>(end - 1)] == 'o') {
      m.data_line[static_cast<std::size_t>(end - 1)] = '0';
    }
    ++end;
  }
  if (kind == kReadReal) {
    read_real_field(e, start, end, real_out);
  } else {
    read_integer_field(e, start, end, int_out);
  }
}

bool read_real(Engine& e, float& value) {
  int32_t unused = 0;
  read_data_value(e, value, unused, kReadReal);
  return e.model.stop_code <= 0;
}

bool read_int(Engine& e, int32_t& value) {
  float unused = 0.0f;
  read_data_value(e, unused, value, kReadInteger);
  return e.model.stop_code <= 0;
}

}  // namespace scarpex
