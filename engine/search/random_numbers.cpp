#include "search/random_numbers.h"

#include <algorithm>
#include <bit>

namespace scarpex {

namespace {

// The modulus is 2^14 for the first 4096 draws and doubles each time the draws reach the
// period of the sequence at the modulus before (2^(k-2) at modulus 2^k): 2^k from draw
// 2^(k-2) - 4096 on. Up to 2^21, reached at draw 520192, this is the table the searches have
// always drawn from. After draw 1044480 that table fell back to 2^14 and repeated every 4096
// draws, so that long searches replayed their surfaces; the doubling now goes on instead. The
// sequence does not repeat before the counter stops at 2^31 - 1, where the modulus is 2^33 (the
// product with the multiplier stays below 2^50), and then only after a further 2^31 draws.
constexpr int32_t kFirstExponent = 14;
constexpr int32_t kLastExponent = 33;
constexpr uint64_t kTableOffset = 4096;
constexpr int64_t kMultiplier = 78125;  // 5^7
constexpr float kLargestBelowOne = 0x1.fffffep-1f;

int64_t modulus_for(int32_t draws) {
  const int32_t exponent = std::bit_width(static_cast<uint64_t>(draws) + kTableOffset) + 1;
  return int64_t{1} << std::clamp(exponent, kFirstExponent, kLastExponent);
}

}  // namespace

float next_random(RandomState& rng) {
  const int64_t modulus = modulus_for(rng.draws);
  rng.state = (rng.state * kMultiplier) % modulus;
  if (rng.draws < INT32_MAX) ++rng.draws;
  // Beyond 2^24 the state no longer converts to a float exactly, and one within 2^-25 of the
  // modulus would round to 1.
  const float value = static_cast<float>(rng.state) / static_cast<float>(modulus);
  return std::min(value, kLargestBelowOne);
}

}  // namespace scarpex
