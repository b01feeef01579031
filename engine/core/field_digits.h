// The decimal digits of the numeric fields, and the usual F field, which the field writers
// and the format's loop over coordinate lines share: kept inline so that such a loop writes its
// fields without a call each.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "core/field_rendering.h"

namespace scarpex {

// base^0 to base^27, exact while they fit 64 bits.
constexpr std::array<uint64_t, 28> make_powers(uint64_t base) {
  std::array<uint64_t, 28> p{};
  p[0] = 1;
  for (std::size_t i = 1; i < p.size(); ++i) p[i] = p[i - 1] * base;
  return p;
}
inline constexpr std::array<uint64_t, 28> kPow5 = make_powers(5);    // 5^27 < 2^63
inline constexpr std::array<uint64_t, 28> kPow10 = make_powers(10);  // valid up to 10^19

inline constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes the last `count` decimal digits of `value`, zero-padded, ending just before `end`,
// and returns what is left of the value in front of them.
template <typename Unsigned>
[[gnu::always_inline]] inline Unsigned put_digits_backward(char* end, Unsigned value,
                                                           int32_t count) {
  while (count >= 2) {
    const auto pair = static_cast<std::size_t>(value % 100) * 2;
    value /= 100;
    end -= 2;
    std::memcpy(end, kDigitPairs + pair, 2);
    count -= 2;
  }
  if (count == 1) {
    end[-1] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
  return value;
}

// The number of decimal digits of a value (1 for 0).
inline int32_t decimal_length(uint64_t value) {
  const auto guess = static_cast<int32_t>((std::bit_width(value | 1) * 1233) >> 12);
  return guess + ((value | 1) >= kPow10[static_cast<std::size_t>(guess)] ? 1 : 0);
}

// The text of an F field whose value, times 10^decimals and rounded, is `scaled`: written from
// the right end of the field, the decimals, the point, the integer part (its lone zero only
// when the field has room for it) and the sign; asterisks when the digits do not fit.
template <typename Unsigned>
[[gnu::always_inline]] inline char* put_fixed_text(char* out, int32_t width, bool negative,
                                                   Unsigned scaled, int32_t decimals) {
  const auto unit = static_cast<Unsigned>(kPow10[static_cast<std::size_t>(decimals)]);
  const Unsigned integer_part = scaled / unit;
  const int32_t integer_digits = decimal_length(integer_part);
  int32_t length = (negative ? 1 : 0) + integer_digits + 1 + decimals;
  const bool zero_dropped = length > width && integer_part == 0;  // that zero is optional
  if (zero_dropped) --length;
  if (length > width) return put_asterisks(out, width);
  char* end = out + width;
  put_digits_backward(end, scaled - integer_part * unit, decimals);
  char* at = end - decimals - 1;
  *at = '.';
  if (!zero_dropped) {
    put_digits_backward(at, integer_part, integer_digits);
    at -= integer_digits;
  }
  if (negative) *--at = '-';
  put_blanks(out, static_cast<int32_t>(at - out));
  return end;
}

// The usual F field: kDecimals of 1 to 4 and a normal value from 2^-30 to below 2^18. Its
// significand times 5^kDecimals stays below 2^34 and the shift that scales it lies between 8
// and 53, so the value times 10^kDecimals is rounded (half to even) with one product and one
// shift, and the result stays below 2^32. False for any other value: the caller takes the
// general steps. A field too narrow for the digits gets asterisks, as on those steps.
template <int32_t kDecimals>
[[gnu::always_inline]] inline bool put_usual_fixed(char*& out, float value, int32_t width) {
  constexpr uint32_t kLowestBiased = 127 - 30;
  constexpr uint32_t kBiasedLimit = 127 + 18;
  const auto bits = std::bit_cast<uint32_t>(value);
  const uint32_t biased = (bits >> 23) & 0xFFu;
  if (biased < kLowestBiased || biased >= kBiasedLimit) return false;
  const uint64_t product =
      uint64_t{(bits & 0x7FFFFFu) | 0x800000u} * kPow5[static_cast<std::size_t>(kDecimals)];
  const auto shift = static_cast<int32_t>(150 - biased) - kDecimals;
  const uint64_t remainder = product & ((uint64_t{1} << shift) - 1);
  const uint64_t half = uint64_t{1} << (shift - 1);
  auto scaled = static_cast<uint32_t>(product >> shift);
  if (remainder > half || (remainder == half && (scaled & 1) != 0)) ++scaled;

  out = put_fixed_text(out, width, (bits >> 31) != 0, scaled, kDecimals);
  return true;
}

// The usual F fields of any decimal count from 1 to 4, for the writers that call it in a loop.
[[gnu::always_inline]] inline bool put_usual_fixed_field(char*& out, float value, int32_t width,
                                                         int32_t decimals) {
  switch (decimals) {
    case 1:
      return put_usual_fixed<1>(out, value, width);
    case 2:
      return put_usual_fixed<2>(out, value, width);
    case 3:
      return put_usual_fixed<3>(out, value, width);
    case 4:
      return put_usual_fixed<4>(out, value, width);
    default:
      return false;
  }
}

}  // namespace scarpex
