// A C library whose mathematics rounds otherwise, for loading in front of the real one
// (LD_PRELOAD): sinf, cosf, tanf, atanf and powf return a float next to the real result, and
// sin, cos, tan, atan and pow a double next to it, up or down by the last bit of the argument.
// The double functions stay within two units in the last place, as any sound library does;
// a correctly rounded float result must not change.
//
// <cmath> is not included: its declarations of these functions would clash with the ones
// defined here.
#include <dlfcn.h>

#include <bit>
#include <cstdint>

namespace {

template <typename Function>
Function real(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

// The neighbour of a finite, non-zero value away from or towards zero.
template <typename Real, typename Bits>
Real neighbour(Real value, bool outward) {
  if (!(value == value) || value == 0 || value - value != 0) return value;  // NaN, 0, inf
  const Bits bits = std::bit_cast<Bits>(value);
  return std::bit_cast<Real>(outward ? bits + 1 : bits - 1);
}

bool outward(float x) {
  return (std::bit_cast<uint32_t>(x) & 1u) != 0;
}

bool outward(double x) {
  return (std::bit_cast<uint64_t>(x) & 1u) != 0;
}

float nudged(float value, float argument) {
  return neighbour<float, uint32_t>(value, outward(argument));
}

double nudged(double value, double argument) {
  return neighbour<double, uint64_t>(value, outward(argument));
}

}  // namespace

extern "C" {

float sinf(float x) {
  static auto f = real<float (*)(float)>("sinf");
  return nudged(f(x), x);
}
float cosf(float x) {
  static auto f = real<float (*)(float)>("cosf");
  return nudged(f(x), x);
}
float tanf(float x) {
  static auto f = real<float (*)(float)>("tanf");
  return nudged(f(x), x);
}
float atanf(float x) {
  static auto f = real<float (*)(float)>("atanf");
  return nudged(f(x), x);
}
float powf(float x, float y) {
  static auto f = real<float (*)(float, float)>("powf");
  return nudged(f(x, y), y);
}
double sin(double x) {
  static auto f = real<double (*)(double)>("sin");
  return nudged(f(x), x);
}
double cos(double x) {
  static auto f = real<double (*)(double)>("cos");
  return nudged(f(x), x);
}
double tan(double x) {
  static auto f = real<double (*)(double)>("tan");
  return nudged(f(x), x);
}
double atan(double x) {
  static auto f = real<double (*)(double)>("atan");
  return nudged(f(x), x);
}
double pow(double x, double y) {
  static auto f = real<double (*)(double, double)>("pow");
  return nudged(f(x, y), y);
}

}  // extern "C"
