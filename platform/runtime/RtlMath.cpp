#include "platform/runtime/RtlMath.h"

#include <cmath>
#include <limits>

namespace sk {

namespace {

// Saturating conversion of an integral double: NaN gives 0, values beyond
// the Int64 range give its ends (no undefined cast).
Int64 ToInt64(Double v) {
  if (std::isnan(v)) return 0;
  if (v >= 9223372036854775808.0) return std::numeric_limits<Int64>::max();
  if (v < -9223372036854775808.0) return std::numeric_limits<Int64>::min();
  return static_cast<Int64>(v);
}

// Nearest integral value, halves to the even neighbour.
Double RoundHalfEven(Double v) {
  if (!std::isfinite(v)) return v;
  const Double f = std::floor(v);
  const Double diff = v - f;
  if (diff > 0.5) return f + 1.0;
  if (diff < 0.5) return f;
  return std::fmod(f, 2.0) == 0.0 ? f : f + 1.0;
}

// 10^n for n >= 0, exact up to 10^22.
Double PowerOfTen(Int32 n) {
  static constexpr Double kTable[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                      1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                      1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  if (n >= 0 && n <= 22) return kTable[n];
  return std::pow(10.0, n);
}

// Scales v so that the 10^digit place becomes the units place, rounds with
// `rounder`, and scales back.  Negative digits multiply by an exact power of
// ten (dividing by an inexact 0.01 would shift values off their halves).
template <typename F>
Double ScaledRound(Double v, Int32 digit, F rounder) {
  if (!std::isfinite(v)) return v;
  if (digit < -308 || digit > 308) return digit > 0 ? 0.0 * v : v;
  if (digit < 0) {
    const Double f = PowerOfTen(-digit);
    const Double scaled = v * f;
    if (!std::isfinite(scaled) || std::fabs(scaled) >= 4503599627370496.0) return v;
    return rounder(scaled) / f;
  }
  const Double f = PowerOfTen(digit);
  return rounder(v / f) * f;
}

}  // namespace

Int64 Round(Double v) { return ToInt64(RoundHalfEven(v)); }
Int64 Trunc(Double v) { return ToInt64(std::trunc(v)); }
Double Frac(Double v) { return v - std::trunc(v); }
Double Int(Double v) { return std::trunc(v); }
Int64 Ceil(Double v) { return ToInt64(std::ceil(v)); }
Int64 Floor(Double v) { return ToInt64(std::floor(v)); }
bool IsNan(Double v) { return std::isnan(v); }
bool IsInfinite(Double v) { return std::isinf(v); }

bool SameValue(Double a, Double b, Double epsilon) {
  if (std::isnan(a) || std::isnan(b)) return false;
  if (a == b) return true;
  if (epsilon == 0) {
    constexpr Double kResolution = 1e-15;
    epsilon = std::fmax(std::fmin(std::fabs(a), std::fabs(b)) * kResolution, kResolution);
  }
  return std::fabs(a - b) <= epsilon;
}

Double Power(Double base, Double exponent) {
  if (exponent == 0.0) return 1.0;
  if (base == 0.0 && exponent > 0.0) return 0.0;
  return std::pow(base, exponent);
}

Double IntPower(Double base, Int32 exponent) {
  Double result = 1.0;
  auto e = static_cast<Int64>(exponent);
  const bool invert = e < 0;
  if (invert) e = -e;
  Double b = base;
  while (e != 0) {
    if (e & 1) result *= b;
    b *= b;
    e >>= 1;
  }
  return invert ? 1.0 / result : result;
}

Double Log10(Double v) { return std::log10(v); }

Double RoundTo(Double v, Int32 digit) { return ScaledRound(v, digit, RoundHalfEven); }

Double SimpleRoundTo(Double v, Int32 digit) {
  return ScaledRound(v, digit, [](Double x) {
    return x < 0 ? std::trunc(x - 0.5) : std::trunc(x + 0.5);
  });
}

}  // namespace sk
