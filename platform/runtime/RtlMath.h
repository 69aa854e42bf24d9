// Rounding and small numeric helpers with the runtime's semantics.
#pragma once

#include "platform/runtime/RtlTypes.h"

namespace sk {

// Halves go to the even neighbour: Round(2.5) = 2, Round(3.5) = 4, Round(-2.5) = -2.
Int64 Round(Double v);
Int64 Trunc(Double v);
Double Frac(Double v);
Double Int(Double v);
Int64 Ceil(Double v);
Int64 Floor(Double v);
bool IsNan(Double v);
bool IsInfinite(Double v);
// Equal within epsilon; epsilon 0 picks a tolerance scaled to the magnitudes.
bool SameValue(Double a, Double b, Double epsilon = 0);
Double Power(Double base, Double exponent);
Double IntPower(Double base, Int32 exponent);
Double Log10(Double v);
// Rounds to 10^digit with halves to even on the scaled value:
// RoundTo(1.125, -2) = 1.12, RoundTo(1250, 2) = 1200, RoundTo(1350, 2) = 1400.
Double RoundTo(Double v, Int32 digit);
// Rounds to 10^digit with halves away from zero.
Double SimpleRoundTo(Double v, Int32 digit = -2);

template <typename T>
constexpr T Min(T a, T b) { return b < a ? b : a; }
template <typename T>
constexpr T Max(T a, T b) { return a < b ? b : a; }
template <typename T>
constexpr T EnsureRange(T v, T lo, T hi) { return v < lo ? lo : (hi < v ? hi : v); }
template <typename T>
constexpr bool InRange(T v, T lo, T hi) { return !(v < lo) && !(hi < v); }

}  // namespace sk
