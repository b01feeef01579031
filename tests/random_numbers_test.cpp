#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

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

// The table the searches have always drawn from, written out as it is given: the modulus for
// the draws made before this one.
int64_t table_modulus(int32_t draws) {
  const int32_t first_draw[] = {0, 4096, 12288, 28672, 61440, 126976, 258048, 520192};
  int64_t modulus = 16384;
  for (int32_t step = 1; step < 8; ++step) {
    if (draws >= first_draw[step]) modulus = int64_t{16384} << step;
  }
  return modulus;
}

TEST(RandomNumbers, KeepTheTableForTheFirst1044480DrawsAndNeverRepeatAfterIt) {
  constexpr int32_t kTableDraws = 1044480;
  constexpr int64_t kNextModulus = int64_t{1} << 22;
  RandomState rng;
  int64_t state = 27487;
  for (int32_t n = 0; n < kTableDraws; ++n) {
    const int64_t modulus = table_modulus(n);
    state = state * 78125 % modulus;
    const float expected = static_cast<float>(state) / static_cast<float>(modulus);
    ASSERT_EQ(next_random(rng), expected) << "draw " << n + 1;
  }
  // The table fell back to 2^14 here and repeated every 4096 draws. The modulus goes on
  // doubling instead: the 2^20 draws at 2^22 are all different.
  std::vector<bool> seen(kNextModulus);
  for (int32_t n = 0; n < (1 << 20); ++n) {
    const float r = next_random(rng);
    ASSERT_GT(r, 0.0f);
    ASSERT_LT(r, 1.0f);
    ASSERT_EQ(static_cast<float>(rng.state) / static_cast<float>(kNextModulus), r);
    ASSERT_FALSE(seen[static_cast<std::size_t>(rng.state)]) << "state repeats at draw " << n;
    seen[static_cast<std::size_t>(rng.state)] = true;
  }
  EXPECT_EQ(rng.state % 2, 1);
}

// Inverse of an odd number modulo 2^64 (Newton's iteration doubles the correct bits).
uint64_t odd_inverse(uint64_t a) {
  uint64_t x = a;
  for (int i = 0; i < 6; ++i) x *= 2 - a * x;
  return x;
}

TEST(RandomNumbers, EachDoublingOfTheModulusTakesEffectAtItsOwnDraw) {
  // The modulus is 2^k from draw 2^(k-2) - 4096 + 1 on. For the last draw at each modulus and
  // the first at the next, a state is chosen whose product with the multiplier is 7/4 of the
  // expected modulus, plus one: reduced by that modulus it is 3/4 of it plus one, by half of
  // it a quarter plus one, by twice it the product itself, so that only the expected modulus
  // gives the expected state.
  for (int32_t k = 15; k <= 33; ++k) {
    const int64_t first_draw_of_k = (int64_t{1} << (k - 2)) - 4096 + 1;
    for (int64_t draw : {first_draw_of_k - 1, first_draw_of_k}) {
      const uint64_t modulus = uint64_t{1} << (draw == first_draw_of_k ? k : k - 1);
      const uint64_t product = modulus + modulus / 2 + modulus / 4 + 1;
      RandomState rng;
      rng.draws = static_cast<int32_t>(draw - 1);
      rng.state = static_cast<int64_t>((product * odd_inverse(78125)) % (2 * modulus));
      const float r = next_random(rng);
      const uint64_t expected = modulus / 2 + modulus / 4 + 1;
      EXPECT_EQ(rng.state, static_cast<int64_t>(expected)) << "draw " << draw;
      EXPECT_EQ(r, static_cast<float>(expected) / static_cast<float>(modulus)) << "draw " << draw;
    }
  }
}

TEST(RandomNumbers, AStateNextToTheLargestModulusStaysBelowOne) {
  // Once the counter has stopped, the modulus is 2^33: a state just below it would round to
  // 1.0 in single precision.
  constexpr uint64_t kModulus = uint64_t{1} << 33;
  RandomState rng;
  rng.draws = INT32_MAX;
  rng.state = static_cast<int64_t>(((kModulus - 1) * odd_inverse(78125)) % kModulus);
  const float r = next_random(rng);
  EXPECT_EQ(rng.state, static_cast<int64_t>(kModulus - 1));
  EXPECT_LT(r, 1.0f);
  EXPECT_EQ(rng.draws, INT32_MAX);
}

}  // namespace
}  // namespace scarpex
