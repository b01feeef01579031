// The result of a costly function of one float, kept for the argument last asked. Neighbouring
// slices mostly share a soil, a ground segment or a load angle, so most calls repeat the one
// before; a repeat returns the same bits the function gave. Arguments are told apart by their
// bit pattern, so that 0 and -0 (whose tangents differ in sign) are never confused.
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>

#include "model/exact_math.h"

namespace scarpex {

template <typename Result = float>
class RepeatMemo {
 public:
  template <typename Function>
  Result operator()(float argument, Function function) {
    const auto bits = std::bit_cast<uint32_t>(argument);
    if (!held_ || bits != bits_) {
      value_ = function(argument);
      bits_ = bits;
      held_ = true;
    }
    return value_;
  }

 private:
  bool held_ = false;
  uint32_t bits_ = 0;
  Result value_{};
};

// The cosine and sine of one angle.
struct CosSin {
  float cos = 0.0f;
  float sin = 0.0f;
};

inline CosSin cos_sin(float angle) {
  return {exact::cos(angle), exact::sin(angle)};
}

}  // namespace scarpex
