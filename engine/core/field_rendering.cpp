#include "core/field_rendering.h"

#include "core/field_digits.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace scarpex {

namespace {

// ---------------------------------------------------------------------------------------------
// Small helpers

constexpr int32_t kMaxExactDecimals = 9;     // 10^9 times a 24-bit significand fits 64 bits
constexpr int32_t kMaxExactFixedWidth = 19;  // the scaled value stays below 10^18
constexpr int32_t kMaxExactSignificant = 9;

// 10^k as a double, exact for k <= 22.
constexpr std::array<double, 20> make_double_powers() {
  std::array<double, 20> p{};
  p[0] = 1.0;
  for (std::size_t i = 1; i < p.size(); ++i) p[i] = p[i - 1] * 10.0;
  return p;
}
constexpr std::array<double, 20> kPow10Double = make_double_powers();

// The significand and binary exponent of a finite float: |value| = significand * 2^exponent.
struct BinaryValue {
  uint32_t significand;
  int32_t exponent;
};

BinaryValue decompose(float value) {
  const auto bits = std::bit_cast<uint32_t>(value);
  const uint32_t fraction = bits & 0x7FFFFFu;
  const auto biased = static_cast<int32_t>((bits >> 23) & 0xFFu);
  if (biased == 0) return {fraction, -149};  // subnormal
  return {fraction | 0x800000u, biased - 150};
}

// round(significand * 2^exponent * 10^power), ties to even, computed exactly as a quotient of
// two 64-bit integers. False when those integers would not fit (the caller then takes the
// general path).
bool general_scaled_round(uint32_t significand, int32_t exponent, int32_t power, uint64_t& result);

[[gnu::always_inline]] inline bool scaled_round(uint32_t significand, int32_t exponent,
                                                int32_t power, uint64_t& result) {
  constexpr int32_t kSmallPower = 16;  // a 24-bit significand times 5^16 stays below 2^62
  if (power >= 0 && power <= kSmallPower) {
    const uint64_t product = significand * kPow5[static_cast<std::size_t>(power)];
    const int32_t twos = exponent + power;
    if (twos >= 0) {
      if (static_cast<int32_t>(std::bit_width(product)) + twos > 63) return false;
      result = product << twos;
      return true;
    }
    const int32_t shift = -twos;
    if (shift > 62) {  // below one half
      result = 0;
      return true;
    }
    const uint64_t remainder = product & ((uint64_t{1} << shift) - 1);
    const uint64_t half = uint64_t{1} << (shift - 1);
    result = product >> shift;
    if (remainder > half || (remainder == half && (result & 1) != 0)) ++result;
    return true;
  }
  if (power < 0 && power >= -kSmallPower && exponent + power < 0) {
    // A division: the significand over 5^-power shifted left. A divisor beyond 32 bits exceeds
    // the 24-bit significand, so the quotient is below 1; otherwise a 32-bit division does.
    const uint64_t five = kPow5[static_cast<std::size_t>(-power)];
    const int32_t shift = -(exponent + power);
    if (static_cast<int32_t>(std::bit_width(five)) + shift <= 62) {
      const uint64_t divisor = five << shift;
      if (divisor <= UINT32_MAX) {
        const auto d = static_cast<uint32_t>(divisor);
        const uint32_t quotient = significand / d;
        const uint64_t twice_remainder = 2 * uint64_t{significand % d};
        result = quotient;
        if (twice_remainder > d || (twice_remainder == d && (quotient & 1) != 0)) ++result;
      } else {
        // A quotient below 1: it rounds to 1 above one half, and to 0 at or below it (0 is even).
        result = 2 * uint64_t{significand} > divisor ? 1 : 0;
      }
      return true;
    }
  }
  return general_scaled_round(significand, exponent, power, result);
}

// The same for any power: the quotient of two 64-bit integers, or false when they overflow.
bool general_scaled_round(uint32_t significand, int32_t exponent, int32_t power, uint64_t& result) {
  uint64_t numerator = significand;
  uint64_t denominator = 1;
  if (power > 27 || power < -27) return false;
  if (power >= 0) {
    const uint64_t factor = kPow5[static_cast<std::size_t>(power)];
    if (std::bit_width(numerator) + std::bit_width(factor) > 63) return false;
    numerator *= factor;
  } else {
    denominator = kPow5[static_cast<std::size_t>(-power)];
  }
  const int32_t twos = exponent + power;
  if (twos >= 0) {
    if (static_cast<int32_t>(std::bit_width(numerator)) + twos > 63) return false;
    numerator <<= twos;
  } else if (static_cast<int32_t>(std::bit_width(denominator)) - twos > 62) {
    // The quotient is below one half when the numerator is below half the denominator.
    if (denominator != 1 || static_cast<int32_t>(std::bit_width(numerator)) >= -twos) {
      return false;
    }
    result = 0;
    return true;
  } else if (denominator == 1) {
    const int32_t shift = -twos;
    const uint64_t remainder = numerator & ((uint64_t{1} << shift) - 1);
    const uint64_t half = uint64_t{1} << (shift - 1);
    result = numerator >> shift;
    if (remainder > half || (remainder == half && (result & 1) != 0)) ++result;
    return true;
  } else {
    denominator <<= -twos;
  }
  result = numerator / denominator;
  const uint64_t twice_remainder = 2 * (numerator % denominator);
  if (twice_remainder > denominator || (twice_remainder == denominator && (result & 1) != 0)) {
    ++result;
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// The general path: std::to_chars on the value widened to double, which is exact, and the
// text rearranged into the field. It serves every value the exact integer path cannot hold.

struct FieldText {
  static constexpr int32_t kCapacity = 128;
  char text[kCapacity];
  int32_t length = -1;  // -1: the value cannot be shown (asterisks)
};

char* put_field_text(char* out, const FieldText& f, int32_t width) {
  if (f.length < 0 || f.length > width) return put_asterisks(out, width);
  out = put_blanks(out, width - f.length);
  std::memcpy(out, f.text, static_cast<std::size_t>(f.length));
  return out + f.length;
}

void general_fixed(FieldText& f, float value, int32_t width, int32_t decimals) {
  f.length = -1;
  char* end = f.text + FieldText::kCapacity - 1;
  auto result =
      std::to_chars(f.text, end, static_cast<double>(value), std::chars_format::fixed, decimals);
  if (result.ec != std::errc()) return;
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
}

void general_exp(FieldText& f, float value, int32_t width, int32_t decimals, int32_t scale) {
  f.length = -1;
  int32_t significant = scale >= 1 ? decimals + 1 : decimals;
  if (significant < 1 || significant > 64) return;
  char digits[FieldText::kCapacity];
  auto result = std::to_chars(digits, digits + sizeof digits, static_cast<double>(value),
                              std::chars_format::scientific, significant - 1);
  if (result.ec != std::errc()) return;
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
}

// The general path as whole fields, kept out of line so that the exact paths stay small.
[[gnu::noinline]] char* put_general_fixed(char* out, float value, int32_t width, int32_t decimals) {
  FieldText f;
  general_fixed(f, value, width, decimals);
  return put_field_text(out, f, width);
}

[[gnu::noinline]] char* put_general_exp(char* out, float value, int32_t width, int32_t decimals,
                                        int32_t scale) {
  FieldText f;
  general_exp(f, value, width, decimals, scale);
  return put_field_text(out, f, width);
}

// ---------------------------------------------------------------------------------------------
// The decimal digits of an E field: `significant` digits of the value rounded half to even,
// and the power of ten of the first of them.

struct Significand {
  uint64_t digits = 0;
  int32_t exponent = 0;
};

// kSignificant > 0 fixes the number of digits when compiled, for the shapes the layouts use;
// 0 takes it from `significant`.
template <int32_t kSignificant>
[[gnu::always_inline]] inline bool significant_digits(float magnitude, int32_t runtime_significant,
                                                      Significand& out) {
  const int32_t significant = kSignificant > 0 ? kSignificant : runtime_significant;
  if (magnitude == 0.0f) {
    out = {};
    return true;
  }
  const BinaryValue v = decompose(magnitude);
  const int32_t top_bit = v.exponent + static_cast<int32_t>(std::bit_width(v.significand)) - 1;
  // floor(top_bit * log10(2)): the decimal exponent, or one less than it.
  int32_t exponent = (top_bit * 78913) >> 18;
  const uint64_t limit = kPow10[static_cast<std::size_t>(significant)];
  uint64_t digits = 0;
  if (!scaled_round(v.significand, v.exponent, significant - 1 - exponent, digits)) return false;
  // Too many digits: the estimate was one low, or the rounding carried into the next power of
  // ten. One more pass settles both: a low estimate means the value lies just above a power of
  // ten (below twice it), far from the next carry.
  if (digits >= limit) {
    ++exponent;
    if (!scaled_round(v.significand, v.exponent, significant - 1 - exponent, digits)) return false;
  }
  out = {digits, exponent};
  return true;
}

}  // namespace

char* put_asterisks(char* out, int32_t width) {
  if (width <= 0) return out;
  std::memset(out, '*', static_cast<std::size_t>(width));
  return out + width;
}

char* put_int_field(char* out, int32_t value, int32_t width, int32_t min_digits) {
  constexpr int32_t kMaxZeros = FieldText::kCapacity - 2;
  const bool negative = value < 0;
  const uint32_t magnitude =
      negative ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
  int32_t count = decimal_length(magnitude);
  if (min_digits == 0 && value == 0) count = 0;  // Iw.0 writes a zero as blanks
  const int32_t digits = std::max(count, std::min(min_digits, kMaxZeros));
  const int32_t length = (negative ? 1 : 0) + digits;
  if (length > width) return put_asterisks(out, width);
  out = put_blanks(out, width - length);
  if (negative) *out++ = '-';
  put_digits_backward(out + digits, magnitude, digits);
  return out + digits;
}

namespace {

// An F field of a finite value that is not a usual one (put_usual_fixed_field): zero, very small
// or large values, and decimal counts beyond 4.
char* put_unusual_fixed(char* out, float value, int32_t width, int32_t decimals) {
  const bool negative = std::signbit(value);
  const float magnitude = std::fabs(value);
  uint64_t scaled = 0;
  const bool exact = decimals >= 0 && decimals <= kMaxExactDecimals && width <= kMaxExactFixedWidth;
  if (exact) {
    // An integer part of width - d - 1 digits or more cannot fit beside the sign and decimals.
    const int32_t integer_room = std::max(width - decimals - 1, 0);
    if (static_cast<double>(magnitude) >= kPow10Double[static_cast<std::size_t>(integer_room)]) {
      return put_asterisks(out, width);
    }
  }
  const BinaryValue v = decompose(magnitude);
  if (!exact || !scaled_round(v.significand, v.exponent, decimals, scaled)) {
    return put_general_fixed(out, value, width, decimals);
  }
  return put_fixed_text(out, width, negative, scaled, decimals);
}

}  // namespace

char* put_fixed_field(char* out, float value, int32_t width, int32_t decimals) {
  if (put_usual_fixed_field(out, value, width, decimals)) return out;
  if (!std::isfinite(value)) return put_asterisks(out, width);
  return put_unusual_fixed(out, value, width, decimals);
}

namespace {

// An E field of a finite value with `runtime_significant` digits (1 or more), or kSignificant
// digits when that is above 0.
template <int32_t kSignificant>
char* put_exp_digits(char* out, float value, int32_t width, int32_t decimals, int32_t scale,
                     int32_t runtime_significant) {
  const int32_t significant = kSignificant > 0 ? kSignificant : runtime_significant;
  const bool negative = std::signbit(value);
  Significand s;
  if (significant > kMaxExactSignificant ||
      !significant_digits<kSignificant>(std::fabs(value), significant, s)) {
    return put_general_exp(out, value, width, decimals, scale);
  }
  int32_t exponent = s.exponent;
  if (scale < 1 && value != 0.0f) exponent += 1;  // 0.ddd: the point moves one place left
  constexpr int32_t kExponentLength = 4;          // E+dd, or +ddd beyond 99
  const bool leading_digit = scale >= 1;
  int32_t length = (negative ? 1 : 0) + significant + 1 + kExponentLength;
  bool zero_shown = false;
  if (!leading_digit) {
    zero_shown = length + 1 <= width;  // the zero of 0.ddd is optional
    if (zero_shown) ++length;
  }
  if (length > width) return put_asterisks(out, width);
  // Written from the right end of the field: the exponent, the digits, the point.
  char* end = out + width;
  const uint32_t magnitude =
      exponent < 0 ? static_cast<uint32_t>(-exponent) : static_cast<uint32_t>(exponent);
  char* at = end - kExponentLength;
  if (magnitude > 99) {
    at[0] = exponent < 0 ? '-' : '+';
    put_digits_backward(end, magnitude, 3);
  } else {
    at[0] = 'E';
    at[1] = exponent < 0 ? '-' : '+';
    std::memcpy(at + 2, kDigitPairs + 2 * magnitude, 2);
  }
  const auto digits = static_cast<uint32_t>(s.digits);
  if (leading_digit) {
    const uint32_t first = put_digits_backward(at, digits, significant - 1);
    at -= significant - 1;
    *--at = '.';
    *--at = static_cast<char>('0' + first);
  } else {
    put_digits_backward(at, digits, significant);
    at -= significant;
    *--at = '.';
    if (zero_shown) *--at = '0';
  }
  if (negative) *--at = '-';
  put_blanks(out, static_cast<int32_t>(at - out));
  return end;
}

}  // namespace

char* put_exp_field(char* out, float value, int32_t width, int32_t decimals, int32_t scale) {
  if (!std::isfinite(value)) return put_asterisks(out, width);
  const int32_t significant = scale >= 1 ? decimals + 1 : decimals;
  switch (significant) {  // the digits of the layouts' E fields, each compiled on its own
    case 3:
      return put_exp_digits<3>(out, value, width, decimals, scale, significant);
    case 4:
      return put_exp_digits<4>(out, value, width, decimals, scale, significant);
    case 5:
      return put_exp_digits<5>(out, value, width, decimals, scale, significant);
    default:
      if (significant < 1) return put_asterisks(out, width);
      return put_exp_digits<0>(out, value, width, decimals, scale, significant);
  }
}

}  // namespace scarpex
