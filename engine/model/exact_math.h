// Correctly rounded single-precision sine, cosine, tangent, arctangent and power: the float
// nearest the exact value (ties to even), whatever C library the engine runs on.
//
// The single-precision functions of C libraries are not correctly rounded, and each library
// (and each version of one) misses in other places, so results and output files would depend
// on the platform. Here the function is evaluated in double precision, whose error in every
// common library is below one unit in the last place, and rounded once to float. That rounding
// is the correct one unless the double result lies within a few of its units of a point
// halfway between two floats; then, about once in 10^7 calls, the value is evaluated again in
// double-double arithmetic, which uses no library function, and rounded from there.
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>

namespace scarpex::exact {

namespace detail {

// Units in the last place of a double result within which a halfway point between two floats
// counts as too close to round across: four times the error bound of the libraries.
constexpr uint64_t kGuardUlps = 4;

// True when the double `value` may round to another float than the exact value it stands for:
// the floats of the values kGuardUlps units below and above it differ. A result that is not a
// finite number is decided by the careful path too.
inline bool may_round_otherwise(double value) {
  constexpr uint64_t kMagnitudeBits = ~(uint64_t{1} << 63);
  const uint64_t magnitude = std::bit_cast<uint64_t>(value) & kMagnitudeBits;
  // Within a few units of zero both neighbours round to a float zero of the same sign.
  if (magnitude <= kGuardUlps) return false;
  const float below = static_cast<float>(std::bit_cast<double>(magnitude - kGuardUlps));
  const float above = static_cast<float>(std::bit_cast<double>(magnitude + kGuardUlps));
  return below != above;
}

float careful_sin(float x);
float careful_cos(float x);
float careful_tan(float x);
float careful_atan(float x);
float careful_pow(float x, float y);

}  // namespace detail

inline float sin(float x) {
  const double value = std::sin(static_cast<double>(x));
  if (detail::may_round_otherwise(value)) [[unlikely]]
    return detail::careful_sin(x);
  return static_cast<float>(value);
}

inline float cos(float x) {
  const double value = std::cos(static_cast<double>(x));
  if (detail::may_round_otherwise(value)) [[unlikely]]
    return detail::careful_cos(x);
  return static_cast<float>(value);
}

inline float tan(float x) {
  const double value = std::tan(static_cast<double>(x));
  if (detail::may_round_otherwise(value)) [[unlikely]]
    return detail::careful_tan(x);
  return static_cast<float>(value);
}

inline float atan(float x) {
  const double value = std::atan(static_cast<double>(x));
  if (detail::may_round_otherwise(value)) [[unlikely]]
    return detail::careful_atan(x);
  return static_cast<float>(value);
}

inline float pow(float x, float y) {
  const double value = std::pow(static_cast<double>(x), static_cast<double>(y));
  if (detail::may_round_otherwise(value)) [[unlikely]]
    return detail::careful_pow(x, y);
  return static_cast<float>(value);
}

}  // namespace scarpex::exact
