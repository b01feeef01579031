// The engine's single-precision sin, cos, tan, atan and pow against a reference in extended
// precision: the C library's long double functions, rounded once to float. Where that
// reference lies too close to a halfway point between two floats to decide, the argument is
// skipped. Both paths are checked: the usual one through double precision, and the careful one
// in double-double arithmetic that decides the cases double precision cannot, run here on every
// argument so that it is tried far beyond the few arguments that reach it in a run.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <random>
#include <string>

#include "model/exact_math.h"

namespace scarpex {
namespace {

using exact::detail::careful_atan;
using exact::detail::careful_cos;
using exact::detail::careful_pow;
using exact::detail::careful_sin;
using exact::detail::careful_tan;

// The float nearest v, or NaN when v is within 2^-60 of its size of a halfway point between two
// floats (the long double functions are accurate to about 2^-63).
float reference(long double v) {
  if (!std::isfinite(v)) return static_cast<float>(v);
  const long double margin = std::fabs(v) * 0x1p-60L;
  const float below = static_cast<float>(v - margin);
  const float above = static_cast<float>(v + margin);
  return below == above ? below : std::numeric_limits<float>::quiet_NaN();
}

bool same(float a, float b) {
  return std::bit_cast<uint32_t>(a) == std::bit_cast<uint32_t>(b) ||
         (std::isnan(a) && std::isnan(b));
}

struct Counts {
  long checked = 0;
  long undecided = 0;
};

// Checks f against its reference for every argument `next` yields; at most a few mismatches
// are shown.
void check_unary(const std::string& name, const std::function<float(float)>& f,
                 const std::function<long double(long double)>& exact_value, long arguments,
                 const std::function<float(long)>& next, Counts& counts) {
  int shown = 0;
  for (long i = 0; i < arguments; ++i) {
    const float x = next(i);
    const float expected = reference(exact_value(x));
    if (std::isnan(expected) && !std::isnan(exact_value(x))) {
      ++counts.undecided;
      continue;
    }
    ++counts.checked;
    const float actual = f(x);
    if (!same(actual, expected) && shown++ < 5) {
      ADD_FAILURE() << name << "(" << std::hexfloat << x << ") = " << actual << ", expected "
                    << expected;
    }
  }
}

long double sin_l(long double x) {
  return sinl(x);
}
long double cos_l(long double x) {
  return cosl(x);
}
long double tan_l(long double x) {
  return tanl(x);
}
long double atan_l(long double x) {
  return atanl(x);
}

struct Unary {
  const char* name;
  float (*usual)(float);
  float (*careful)(float);
  long double (*reference)(long double);
};

const Unary kUnary[] = {
    {"sin", exact::sin, careful_sin, sin_l},
    {"cos", exact::cos, careful_cos, cos_l},
    {"tan", exact::tan, careful_tan, tan_l},
    {"atan", exact::atan, careful_atan, atan_l},
};

// Every float of every bit pattern step from 0 through 16 (angles as a slope's are), and
// random bit patterns over the whole range of floats, positive and negative.
TEST(ExactMath, UnaryFunctionsRoundCorrectlyOnBothPaths) {
  constexpr long kSweep = 400000;
  constexpr long kRandom = 200000;
  const uint32_t top = std::bit_cast<uint32_t>(16.0f);
  for (const Unary& u : kUnary) {
    Counts counts;
    auto sweep = [&](long i) {
      return std::bit_cast<float>(static_cast<uint32_t>(i * (top / kSweep)));
    };
    std::mt19937 bits(20250101u);
    auto random = [&](long) {
      float x = 0.0f;
      do {
        x = std::bit_cast<float>(static_cast<uint32_t>(bits()));
      } while (!std::isfinite(x));
      return x;
    };
    for (auto f : {u.usual, u.careful}) {
      check_unary(u.name, f, u.reference, kSweep, sweep, counts);
      check_unary(u.name, f, u.reference, kRandom, random, counts);
    }
    EXPECT_LT(counts.undecided, 10) << u.name;
  }
}

// Angles next to multiples of pi/2 (where the remainder is tiny and the tangent huge) and the
// largest floats, where the remainder needs the far bits of 2/pi.
TEST(ExactMath, TrigonometryNearMultiplesOfHalfPiAndForHugeArguments) {
  Counts counts;
  for (const Unary& u : kUnary) {
    if (std::string(u.name) == "atan") continue;
    for (auto f : {u.usual, u.careful}) {
      for (int k = 1; k <= 2000; ++k) {
        const float centre = static_cast<float>(k * 1.5707963267948966);
        check_unary(
            u.name, f, u.reference, 41,
            [&](long i) {
              return std::bit_cast<float>(std::bit_cast<uint32_t>(centre) - 20 +
                                          static_cast<uint32_t>(i));
            },
            counts);
      }
      check_unary(
          u.name, f, u.reference, 20000,
          [](long i) {
            return std::bit_cast<float>(std::bit_cast<uint32_t>(std::numeric_limits<float>::max()) -
                                        static_cast<uint32_t>(i) * 997u);
          },
          counts);
    }
  }
  EXPECT_GT(counts.checked, 200000);
}

TEST(ExactMath, PowerRoundsCorrectlyOnBothPaths) {
  constexpr long kPairs = 300000;
  std::mt19937 numbers(7u);
  std::uniform_real_distribution<float> base(0.0f, 1.0f);
  std::uniform_real_distribution<float> exponent(1.0f, 2.0f);
  std::uniform_real_distribution<float> wide_base(-1000.0f, 1000.0f);
  std::uniform_real_distribution<float> wide_exponent(-12.0f, 12.0f);
  long undecided = 0;
  int shown = 0;
  for (long i = 0; i < kPairs; ++i) {
    // The searches draw r1^(1 + r2) with r1 and r2 in [0, 1); the rest spreads more widely,
    // with integer exponents for negative bases.
    float x = i % 2 == 0 ? base(numbers) : wide_base(numbers);
    float y = i % 2 == 0 ? exponent(numbers) : wide_exponent(numbers);
    if (x < 0.0f) y = std::round(y);
    const long double exact_value = powl(x, y);
    const float expected = reference(exact_value);
    if (std::isnan(expected) && !std::isnan(exact_value)) {
      ++undecided;
      continue;
    }
    for (float actual : {exact::pow(x, y), careful_pow(x, y)}) {
      if (!same(actual, expected) && shown++ < 5) {
        ADD_FAILURE() << "pow(" << std::hexfloat << x << ", " << y << ") = " << actual
                      << ", expected " << expected;
      }
    }
  }
  EXPECT_LT(undecided, 10);
}

// Powers that are exactly halfway between two floats round to the even one, and exact powers
// stay exact; no approximation could decide these.
TEST(ExactMath, PowersOnHalfwayPointsRoundToEven) {
  EXPECT_EQ(careful_pow(4097.0f, 2.0f), 16785408.0f);   // 4097^2 = 16785409
  EXPECT_EQ(careful_pow(66049.0f, 1.5f), 16974592.0f);  // 257^3 = 16974593
  EXPECT_EQ(careful_pow(-257.0f, 3.0f), -16974592.0f);  // -257^3 = -16974593
  EXPECT_EQ(careful_pow(0.25f, 0.5f), 0.5f);
  EXPECT_EQ(careful_pow(9.0f, 0.5f), 3.0f);
  EXPECT_EQ(careful_pow(2.0f, -3.0f), 0.125f);
  EXPECT_EQ(exact::pow(4097.0f, 2.0f), 16785408.0f);
}

TEST(ExactMath, SpecialValues) {
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (auto f : {careful_sin, careful_cos, careful_tan}) {
    EXPECT_TRUE(std::isnan(f(inf)));
    EXPECT_TRUE(std::isnan(f(nan)));
  }
  EXPECT_TRUE(std::signbit(exact::sin(-0.0f)));
  EXPECT_EQ(careful_cos(0.0f), 1.0f);
  EXPECT_EQ(careful_atan(inf), exact::atan(inf));
  EXPECT_EQ(careful_atan(-inf), -exact::atan(inf));
  EXPECT_EQ(careful_pow(nan, 0.0f), 1.0f);
  EXPECT_EQ(careful_pow(1.0f, nan), 1.0f);
  EXPECT_TRUE(std::isnan(careful_pow(-2.0f, 0.5f)));
  EXPECT_EQ(careful_pow(-0.0f, -3.0f), -inf);
  EXPECT_EQ(careful_pow(-2.0f, 3.0f), -8.0f);
  EXPECT_EQ(careful_pow(10.0f, 39.0f), inf);
  EXPECT_EQ(careful_pow(10.0f, -46.0f), 0.0f);
}

}  // namespace
}  // namespace scarpex
