// Double-double arithmetic: a value held as the unevaluated sum of two doubles, hi + lo with
// |lo| at most half an ulp of hi, about 106 significant bits. Built from plain IEEE additions
// and multiplications only (no fused multiply-add, no library function), so that it gives the
// same bits on every platform. Used where a single-precision result must be rounded correctly
// and double precision cannot decide it.
#pragma once

#include <cmath>

namespace scarpex {

struct DoubleDouble {
  double hi = 0.0;
  double lo = 0.0;
};

namespace dd {

// a + b exactly, for any a and b.
inline DoubleDouble two_sum(double a, double b) {
  const double s = a + b;
  const double b_part = s - a;
  const double error = (a - (s - b_part)) + (b - b_part);
  return {s, error};
}

// a + b exactly, when |a| >= |b| or a is 0.
inline DoubleDouble quick_two_sum(double a, double b) {
  const double s = a + b;
  return {s, b - (s - a)};
}

// Dekker's split of a into two halves of 26 bits each, so that their products are exact.
inline DoubleDouble split(double a) {
  constexpr double kSplitter = 134217729.0;  // 2^27 + 1
  const double c = kSplitter * a;
  const double high = c - (c - a);
  return {high, a - high};
}

// a * b exactly (barring overflow and underflow).
inline DoubleDouble two_product(double a, double b) {
  const double p = a * b;
  const DoubleDouble sa = split(a);
  const DoubleDouble sb = split(b);
  const double error = ((sa.hi * sb.hi - p) + sa.hi * sb.lo + sa.lo * sb.hi) + sa.lo * sb.lo;
  return {p, error};
}

inline DoubleDouble add(DoubleDouble x, DoubleDouble y) {
  DoubleDouble s = two_sum(x.hi, y.hi);
  const DoubleDouble t = two_sum(x.lo, y.lo);
  s.lo += t.hi;
  s = quick_two_sum(s.hi, s.lo);
  s.lo += t.lo;
  return quick_two_sum(s.hi, s.lo);
}

inline DoubleDouble negate(DoubleDouble x) {
  return {-x.hi, -x.lo};
}

inline DoubleDouble subtract(DoubleDouble x, DoubleDouble y) {
  return add(x, negate(y));
}

inline DoubleDouble multiply(DoubleDouble x, DoubleDouble y) {
  DoubleDouble p = two_product(x.hi, y.hi);
  p.lo += x.hi * y.lo + x.lo * y.hi;
  return quick_two_sum(p.hi, p.lo);
}

inline DoubleDouble multiply(DoubleDouble x, double y) {
  DoubleDouble p = two_product(x.hi, y);
  p.lo += x.lo * y;
  return quick_two_sum(p.hi, p.lo);
}

// Long division: three quotient digits, each correcting the remainder of the one before.
inline DoubleDouble divide(DoubleDouble x, DoubleDouble y) {
  const double q1 = x.hi / y.hi;
  DoubleDouble r = subtract(x, multiply(y, q1));
  const double q2 = r.hi / y.hi;
  r = subtract(r, multiply(y, q2));
  const double q3 = r.hi / y.hi;
  return add(quick_two_sum(q1, q2), DoubleDouble{q3, 0.0});
}

inline DoubleDouble divide(DoubleDouble x, double y) {
  return divide(x, DoubleDouble{y, 0.0});
}

// One Newton step from the correctly rounded square root of the high part.
inline DoubleDouble sqrt(DoubleDouble a) {
  if (a.hi <= 0.0) return {0.0, 0.0};
  const double root = std::sqrt(a.hi);
  const DoubleDouble residual = subtract(a, two_product(root, root));
  return quick_two_sum(root, residual.hi / (2.0 * root));
}

}  // namespace dd
}  // namespace scarpex
