#include <gtest/gtest.h>

#include "search/random_numbers.h"

namespace scarpex {
namespace {

TEST(RandomNumbers, FirstValuesAfterLoading) {
  RandomState rng;
  const double expected[] = {0.22967529296875, 0.38226318359375, 0.31121826171875, 0.92669677734375,
                             0.18572998046875};
  const int64_t states[] = {3763, 6263, 5099, 15183, 3043};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(next_random(rng), static_cast<float>(expected[i])) << "draw " << i + 1;
    EXPECT_EQ(rng.state, states[i]) << "draw " << i + 1;
  }
  EXPECT_EQ(rng.draws, 5);
}

TEST(RandomNumbers, ModulusGrowsAtDraw4097AndKeepsTheState) {
  RandomState rng;
  for (int i = 0; i < 4096; ++i) next_random(rng);
  int64_t before = rng.state;
  float value = next_random(rng);
  EXPECT_EQ(rng.state, 20147);
  EXPECT_EQ(rng.state, (before * 78125) % 32768);
  EXPECT_EQ(value, 20147.0f / 32768.0f);
}

TEST(RandomNumbers, StayStrictlyInsideTheUnitIntervalThroughEveryModulus) {
  RandomState rng;
  // Past the last growth step, where the modulus falls back to 2^14 and the state is reduced.
  for (int i = 0; i < 1044480 + 10; ++i) {
    float r = next_random(rng);
    ASSERT_GT(r, 0.0f) << "draw " << i + 1;
    ASSERT_LT(r, 1.0f) << "draw " << i + 1;
    ASSERT_EQ(rng.state % 2, 1) << "draw " << i + 1;
  }
  EXPECT_LT(rng.state, 16384);
}

}  // namespace
}  // namespace scarpex
