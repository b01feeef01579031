#include "model/exact_math.h"

#include <array>
#include <cstdint>
#include <limits>

#include "model/double_double.h"

namespace scarpex::exact::detail {

namespace {

using dd::add;
using dd::divide;
using dd::multiply;

constexpr DoubleDouble kHalfPi{0x1.921fb54442d18p+0, 0x1.1a62633145c07p-54};
constexpr DoubleDouble kLn2{0x1.62e42fefa39efp-1, 0x1.abc9e3b39803fp-56};
constexpr DoubleDouble kOne{1.0, 0.0};

// Terms of the series below this fraction of the first term change no bit that matters.
constexpr double kSeriesEnd = 0x1p-112;

float quiet_nan() {
  return std::numeric_limits<float>::quiet_NaN();
}

// The float nearest hi + lo, ties to even. hi can only lie on the wrong side of a halfway point
// between two floats when it is that point itself, and then lo tells the side.
float round_to_float(DoubleDouble v) {
  const double magnitude = std::fabs(v.hi);
  const double lo = v.hi < 0.0 ? -v.lo : v.lo;
  const float nearest = static_cast<float>(magnitude);
  if (static_cast<double>(nearest) == magnitude || lo == 0.0) {
    return v.hi < 0.0 ? -nearest : nearest;
  }
  // The floats a < magnitude < b around it; above the largest float the next step is 2^128.
  float below = nearest;
  if (static_cast<double>(nearest) > magnitude) {
    below = std::nextafter(nearest, 0.0f);
  }
  const double a = below;
  const double b = below == std::numeric_limits<float>::max()
                       ? 0x1p128
                       : static_cast<double>(std::nextafter(below, INFINITY));
  const double halfway = a + (b - a) / 2.0;  // exact: 25 significant bits at most
  float result = nearest;
  if (magnitude == halfway) {
    result = lo > 0.0 ? static_cast<float>(b) : below;
  }
  return v.hi < 0.0 ? -result : result;
}

// The bits of 2/pi after the point, 32 at a time: enough to reduce any float.
constexpr std::array<uint32_t, 10> kTwoOverPi = {
    0xA2F9836E, 0x4E441529, 0xFC2757D1, 0xF534DDC0, 0xDB629599,
    0x3C439041, 0xFE5163AB, 0xDEBBC561, 0xB7246E3A, 0x424DD2E0,
};

// A float angle as r + q pi/2 with |r| <= pi/4 and q taken modulo 4.
struct Reduced {
  DoubleDouble r;
  int32_t quadrant = 0;
};

// Words of 2/pi multiplied with the float's significand: 6 words give at least 158 bits
// after the point, of which a float close to a multiple of pi/2 cancels no more than 40.
constexpr int32_t kProductWords = 6;

// x = M 2^E with an integer M below 2^24. The product of M with the bits of 2/pi is formed
// exactly, as an integer in 32-bit words; the words of 2/pi whose products are multiples of 4
// are left out, since only the quadrant (the integer part modulo 4) and the fraction matter.
Reduced reduce_large(float x) {
  int exponent = 0;
  const float significand = std::frexp(x, &exponent);  // x = significand 2^exponent
  const auto m = static_cast<uint64_t>(std::ldexp(significand, 24));
  const int e = exponent - 24;  // x = m 2^e
  const int first = e > 2 ? (e - 2) / 32 : 0;
  // acc = sum of m w_j 2^(32 (first + kProductWords - 1 - j)), least significant word first.
  std::array<uint32_t, kProductWords + 2> acc{};
  for (int t = 0; t < kProductWords; ++t) {
    const int j = first + kProductWords - 1 - t;
    uint64_t carry = m * kTwoOverPi[static_cast<std::size_t>(j)];
    for (int k = t; carry != 0 && k < kProductWords + 2; ++k) {
      carry += acc[static_cast<std::size_t>(k)];
      acc[static_cast<std::size_t>(k)] = static_cast<uint32_t>(carry);
      carry >>= 32;
    }
  }
  // The product is acc 2^scale; bit `point` of acc is the units bit.
  const int scale = e - 32 * (first + kProductWords);
  const int point = -scale;
  auto bit = [&](int position) {
    return (acc[static_cast<std::size_t>(position / 32)] >> (position % 32)) & 1u;
  };
  int32_t quadrant = static_cast<int32_t>(bit(point) + 2 * bit(point + 1));
  // Keep the fraction alone; at one half or more it becomes fraction - 1, taken negative.
  for (int position = point; position < 32 * (kProductWords + 2); ++position) {
    acc[static_cast<std::size_t>(position / 32)] &= ~(1u << (position % 32));
  }
  const bool negative = bit(point - 1) != 0;
  if (negative) {
    quadrant = (quadrant + 1) % 4;
    // 2^point - acc, word by word.
    uint64_t borrow = 0;
    for (int k = 0; k < kProductWords + 2; ++k) {
      const uint64_t unit = k == point / 32 ? (uint64_t{1} << (point % 32)) : 0;
      const uint64_t difference = unit - acc[static_cast<std::size_t>(k)] - borrow;
      acc[static_cast<std::size_t>(k)] = static_cast<uint32_t>(difference);
      borrow = (difference >> 63) & 1u;
    }
  }
  DoubleDouble fraction;
  for (int k = kProductWords + 1; k >= 0; --k) {
    const double word =
        std::ldexp(static_cast<double>(acc[static_cast<std::size_t>(k)]), 32 * k + scale);
    fraction = add(fraction, DoubleDouble{word, 0.0});
  }
  DoubleDouble r = multiply(fraction, kHalfPi);
  if (negative) r = dd::negate(r);
  return {r, quadrant};
}

// |x| reduced; below pi/4 it is its own remainder.
Reduced reduce(float magnitude) {
  constexpr float kAboveQuarterPi = 0x1.921fb6p-1f;  // the float next above pi/4
  if (magnitude < kAboveQuarterPi) return {DoubleDouble{magnitude, 0.0}, 0};
  return reduce_large(magnitude);
}

// Taylor series of sin r (first = r, odd powers) or cos r (first = 1, even powers) for
// |r| <= pi/4, summed until the terms no longer count.
DoubleDouble taylor(DoubleDouble r, bool sine) {
  const DoubleDouble r2 = multiply(r, r);
  DoubleDouble term = sine ? r : kOne;
  DoubleDouble sum = term;
  const double first = std::fabs(term.hi);
  for (int n = sine ? 2 : 1; std::fabs(term.hi) > kSeriesEnd * first; n += 2) {
    term = divide(multiply(term, r2), -static_cast<double>(n) * static_cast<double>(n + 1));
    sum = add(sum, term);
  }
  return sum;
}

struct SineCosine {
  DoubleDouble sin, cos;
};

// sin and cos of |x| from its remainder and quadrant.
SineCosine sine_cosine(float magnitude) {
  const Reduced reduced = reduce(magnitude);
  const DoubleDouble s = taylor(reduced.r, true);
  const DoubleDouble c = taylor(reduced.r, false);
  switch (reduced.quadrant) {
    case 0:
      return {s, c};
    case 1:
      return {c, dd::negate(s)};
    case 2:
      return {dd::negate(s), dd::negate(c)};
    default:
      return {dd::negate(c), s};
  }
}

// atan t for 0 <= t <= 1: three halvings of the angle, atan t = 2 atan(t / (1 + sqrt(1 + t^2))),
// bring t below tan(pi/32), where the alternating series converges fast.
DoubleDouble atan_up_to_one(DoubleDouble t) {
  constexpr int kHalvings = 3;
  for (int h = 0; h < kHalvings; ++h) {
    t = divide(t, add(kOne, dd::sqrt(add(kOne, multiply(t, t)))));
  }
  const DoubleDouble t2 = multiply(t, t);
  DoubleDouble power = t;
  DoubleDouble sum = t;
  for (int n = 3; std::fabs(power.hi) > kSeriesEnd * std::fabs(t.hi); n += 2) {
    power = dd::negate(multiply(power, t2));
    sum = add(sum, divide(power, static_cast<double>(n)));
  }
  return multiply(sum, static_cast<double>(1 << kHalvings));
}

// ln x for a positive finite x: x = m 2^k with m in [sqrt(1/2), sqrt(2)), and
// ln m = 2 atanh((m - 1) / (m + 1)).
DoubleDouble natural_log(double x) {
  int k = 0;
  double m = std::frexp(x, &k);  // m in [1/2, 1)
  if (m < 0x1.6a09e667f3bcdp-1) {
    m *= 2.0;
    --k;
  }
  const DoubleDouble s =
      divide(DoubleDouble{m - 1.0, 0.0}, DoubleDouble{m + 1.0, 0.0});  // m - 1 and m + 1 exact
  const DoubleDouble s2 = multiply(s, s);
  DoubleDouble power = s;
  DoubleDouble sum = s;
  for (int n = 3; std::fabs(power.hi) > kSeriesEnd * std::fabs(s.hi); n += 2) {
    power = multiply(power, s2);
    sum = add(sum, divide(power, static_cast<double>(n)));
  }
  return add(multiply(kLn2, static_cast<double>(k)), multiply(sum, 2.0));
}

// e^z for |z| below about 104: z = n ln 2 + r, e^r from the series of e^(r/16) squared four
// times, then scaled by 2^n.
DoubleDouble exponential(DoubleDouble z) {
  constexpr int kSquarings = 4;
  constexpr double kBeyondDoubles = 2000.0;  // e^z is 0 or infinite in double precision
  if (!(std::fabs(z.hi) < kBeyondDoubles)) return {z.hi > 0.0 ? INFINITY : 0.0, 0.0};
  const double n = std::nearbyint(z.hi / kLn2.hi);
  const DoubleDouble r = dd::subtract(z, multiply(kLn2, n));
  const DoubleDouble small = multiply(r, 1.0 / static_cast<double>(1 << kSquarings));
  DoubleDouble term = kOne;
  DoubleDouble sum = kOne;
  for (int k = 1; std::fabs(term.hi) > kSeriesEnd; ++k) {
    term = divide(multiply(term, small), static_cast<double>(k));
    sum = add(sum, term);
  }
  for (int i = 0; i < kSquarings; ++i) sum = multiply(sum, sum);
  const int scale = static_cast<int>(n);
  return {std::ldexp(sum.hi, scale), std::ldexp(sum.lo, scale)};
}

// The odd integer part of a positive double and its power of two: v = odd 2^shift.
struct OddPart {
  uint64_t odd = 0;
  int shift = 0;
};

OddPart odd_part(double v) {
  int exponent = 0;
  const double significand = std::frexp(v, &exponent);
  OddPart p{static_cast<uint64_t>(std::ldexp(significand, 53)), exponent - 53};
  while ((p.odd & 1u) == 0) {
    p.odd >>= 1;
    ++p.shift;
  }
  return p;
}

// b^n when it stays below 2^53, else 0.
uint64_t small_power(uint64_t b, uint64_t n) {
  constexpr uint64_t kLimit = uint64_t{1} << 53;
  uint64_t result = 1;
  for (uint64_t i = 0; i < n; ++i) {
    if (result > kLimit / b) return 0;
    result *= b;
  }
  return result;
}

// The integer square root of v when v is a square, else 0.
uint64_t exact_root(uint64_t v) {
  auto root = static_cast<uint64_t>(std::sqrt(static_cast<double>(v)));
  while (root * root > v) --root;
  while ((root + 1) * (root + 1) <= v) ++root;
  return root * root == v ? root : 0;
}

// |x|^y exactly, as a double, when it is a dyadic number of at most 53 bits; NaN otherwise.
// Only such powers can be floats or halfway points between floats, where no approximation,
// however close, decides the rounding. With y = p / 2^k (p odd) and x = r^(2^k) 2^(2^k j),
// the power is r^p 2^(p j). A negative y gives no halfway point: 1 / r^p is not dyadic for an
// r above 1, and a power of two is a float or rounds like one.
double exact_power(double magnitude, double y) {
  const double not_exact = std::numeric_limits<double>::quiet_NaN();
  constexpr int kMaxRoots = 24;        // no odd significand of a float has a 2^24-th root but 1
  constexpr double kMaxOddPower = 64;  // 3^64 is far beyond 2^53
  constexpr double kMaxTwoPower = 2000;
  if (!(y > 0.0)) return not_exact;
  const OddPart x = odd_part(magnitude);
  int roots = 0;
  double p = y;
  while (p != std::floor(p)) {
    p *= 2.0;
    if (++roots > kMaxRoots) return not_exact;
  }
  uint64_t r = x.odd;
  for (int i = 0; i < roots; ++i) {
    r = exact_root(r);
    if (r == 0) return not_exact;
  }
  const int root_degree = 1 << roots;
  if (x.shift % root_degree != 0) return not_exact;
  uint64_t odd_power = 1;
  if (r != 1) {
    if (p > kMaxOddPower) return not_exact;
    odd_power = small_power(r, static_cast<uint64_t>(p));
    if (odd_power == 0) return not_exact;
  }
  const double two_power = static_cast<double>(x.shift / root_degree) * p;
  if (std::fabs(two_power) > kMaxTwoPower) return not_exact;
  return std::ldexp(static_cast<double>(odd_power), static_cast<int>(two_power));
}

bool is_odd_integer(float y) {
  return std::fabs(y) < 0x1p24f && y == std::floor(y) && std::fmod(y, 2.0f) != 0.0f;
}

}  // namespace

float careful_sin(float x) {
  if (std::isnan(x)) return x;
  if (std::isinf(x)) return quiet_nan();
  const float value = round_to_float(sine_cosine(std::fabs(x)).sin);
  return x < 0.0f ? -value : value;
}

float careful_cos(float x) {
  if (std::isnan(x)) return x;
  if (std::isinf(x)) return quiet_nan();
  return round_to_float(sine_cosine(std::fabs(x)).cos);
}

float careful_tan(float x) {
  if (std::isnan(x)) return x;
  if (std::isinf(x)) return quiet_nan();
  const SineCosine sc = sine_cosine(std::fabs(x));
  const float value = round_to_float(divide(sc.sin, sc.cos));
  return x < 0.0f ? -value : value;
}

float careful_atan(float x) {
  if (std::isnan(x)) return x;
  const double magnitude = std::fabs(static_cast<double>(x));
  DoubleDouble angle;
  if (std::isinf(x)) {
    angle = kHalfPi;
  } else if (magnitude <= 1.0) {
    angle = atan_up_to_one(DoubleDouble{magnitude, 0.0});
  } else {
    angle = dd::subtract(kHalfPi, atan_up_to_one(divide(kOne, DoubleDouble{magnitude, 0.0})));
  }
  const float value = round_to_float(angle);
  return x < 0.0f ? -value : value;
}

// The special values are those of C's pow (which every library gives alike); a result that is
// not a number is given as the one quiet NaN.
float careful_pow(float x, float y) {
  const double library = std::pow(static_cast<double>(x), static_cast<double>(y));
  if (std::isnan(library)) return quiet_nan();
  // Exact by definition: infinities and zeros, pow(NaN, 0) and pow(1, NaN) among them.
  if (std::isinf(library) || library == 0.0 || !std::isfinite(x) || !std::isfinite(y) ||
      x == 0.0f || y == 0.0f || x == 1.0f) {
    return static_cast<float>(library);
  }
  // A negative x has a power only for an integer y; its sign is that of an odd power.
  const bool negative = x < 0.0f && is_odd_integer(y);
  const double magnitude = std::fabs(static_cast<double>(x));
  const double exact = exact_power(magnitude, y);
  float value = 0.0f;
  if (!std::isnan(exact)) {
    value = static_cast<float>(exact);
  } else {
    const DoubleDouble power =
        exponential(multiply(natural_log(magnitude), static_cast<double>(y)));
    // Far beyond the float range the double-double overflows or underflows: no halfway point
    // of floats lies there, and the library's double decides.
    value = std::isfinite(power.hi) && power.hi != 0.0 ? round_to_float(power)
                                                       : static_cast<float>(std::fabs(library));
  }
  return negative ? -value : value;
}

}  // namespace scarpex::exact::detail
