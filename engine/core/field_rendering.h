// The numeric fields of the formatter, written straight into an output buffer.
//
// Each function writes exactly `width` characters at `out` and returns the position after
// them: the value right-justified, or asterisks when it does not fit (or is NaN or infinite).
// Reals are rendered from the exact binary value of the float, rounded half to even, with
// integer arithmetic; values outside the range that 64-bit arithmetic holds exactly (below
// about 1e-14 or above about 1e25, where no layout meets them) take a general path through
// std::to_chars that gives the same text.
#pragma once

#include <cstdint>
#include <cstring>

namespace scarpex {

// Iw (min_digits -1) and Iw.m: at least m digits, with leading zeros; Iw.0 writes 0 as blanks.
char* put_int_field(char* out, int32_t value, int32_t width, int32_t min_digits);

// Fw.d: d decimals; the zero before the point only when the field has room for it; Fw.0 ends
// with the point. A negative value keeps its sign when it rounds to zero ("-0.00").
char* put_fixed_field(char* out, float value, int32_t width, int32_t decimals);

// Ew.d: with a scale factor of 1 or more, one digit before the point and d after it (1PEw.d);
// with 0 the mantissa is 0.ddd (its zero optional). The exponent has two digits after its
// sign behind an E, or three digits after the sign without the E beyond 99.
char* put_exp_field(char* out, float value, int32_t width, int32_t decimals, int32_t scale);

// `count` blanks (none when count is 0 or less). Short runs, the usual case, are written as two
// overlapping stores rather than through a call.
inline char* put_blanks(char* out, int32_t count) {
  static constexpr char kBlanks[] = "        ";
  if (count >= 8) {
    if (count > 16) {
      std::memset(out, ' ', static_cast<std::size_t>(count));
    } else {
      std::memcpy(out, kBlanks, 8);
      std::memcpy(out + count - 8, kBlanks, 8);
    }
  } else if (count >= 4) {
    std::memcpy(out, kBlanks, 4);
    std::memcpy(out + count - 4, kBlanks, 4);
  } else if (count > 0) {
    out[0] = ' ';
    out[count / 2] = ' ';
    out[count - 1] = ' ';
  }
  return count > 0 ? out + count : out;
}

// Asterisks across the whole field.
char* put_asterisks(char* out, int32_t width);

}  // namespace scarpex
