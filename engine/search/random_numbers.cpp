#include "search/random_numbers.h"

namespace scarpex {

namespace {

int64_t modulus_for(int32_t draws) {
  if (draws < 4096) return int64_t{1} << 14;
  if (draws < 12288) return int64_t{1} << 15;
  if (draws < 28672) return int64_t{1} << 16;
  if (draws < 61440) return int64_t{1} << 17;
  if (draws < 126976) return int64_t{1} << 18;
  if (draws < 258048) return int64_t{1} << 19;
  if (draws < 520192) return int64_t{1} << 20;
  if (draws < 1044480) return int64_t{1} << 21;
  return int64_t{1} << 14;
}

}  // namespace

float next_random(RandomState& rng) {
  int64_t modulus = modulus_for(rng.draws);
  rng.state = (rng.state * 78125) % modulus;
  // The counter saturates rather than overflow; from 1044480 on the modulus stays 2^14.
  if (rng.draws < INT32_MAX) ++rng.draws;
  return static_cast<float>(rng.state) / static_cast<float>(modulus);
}

}  // namespace scarpex
