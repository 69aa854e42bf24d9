// Proportions, number display, bits, pair indexes, the number-array sorts and
// the random permutation of Maths_routines.
#include "analysis/Maths_routines.h"

#include <cmath>
#include <limits>
#include <utility>

#include "core/Basic_processes.h"
#include "core/UnitCounter.h"
#include "platform/runtime/QuickSort.h"
#include "platform/runtime/Random.h"
#include "platform/runtime/RtlMath.h"

namespace sk {

// ---- proportions and number display ----------------------------------------------

Double ProportionOfTotal(Int64 x, Int64 total) {
  return total < 1 ? 0.0 : static_cast<Double>(x) / static_cast<Double>(total);
}
Double ProportionOfTotal(Double x, Double total) { return total <= 0 ? 0.0 : x / total; }
Double ProportionOfTotal(Cardinal x, Cardinal total) {
  return total == 0 ? 0.0 : static_cast<Double>(x) / static_cast<Double>(total);
}
Double PercentageOfTotal(Int64 x, Int64 total) { return 100.0 * ProportionOfTotal(x, total); }
Double PercentageOfTotal(Double x, Double total) { return 100.0 * ProportionOfTotal(x, total); }

TNumberDisplayAndSinglesRec AsPercent(bool asIs, Int64 value, Int64 total, const String& basisText) {
  TNumberDisplayAndSinglesRec rec{};
  rec.basis_str = basisText;
  rec.source_value = static_cast<Double>(value);
  rec.basis = total;
  if (!asIs && total > 0) {
    rec.number_freedom = ndf_preference;
    rec.number_preference = ndp_percent;
    rec.computed_value = static_cast<Double>(value) * 100.0 / static_cast<Double>(total);
  } else {
    rec.number_freedom = ndf_integer_only;
    rec.computed_value = static_cast<Double>(value);
  }
  return rec;
}

Double AsPercentOrPPMOfTotal(const TNumberDisplayAndSinglesRec& rec) {
  switch (rec.number_freedom) {
    case ndf_integer_only:
      return static_cast<Double>(Round(rec.source_value));
    case ndf_raw_float_only:
      return rec.source_value;
    case ndf_preference: {
      if (rec.basis == 0) return 0;
      Double per = 100.0;
      if (rec.number_preference == ndp_per_thousand) per = 1000.0;
      if (rec.number_preference == ndp_per_million) per = 1000000.0;
      return rec.source_value * per / static_cast<Double>(rec.basis);
    }
  }
  return 0;
}

Int64 NegativeIfOdd(Int64 x) { return (x & 1) != 0 ? -x : x; }

Double FloatCorrectedIfBelowZero(bool flag, Double x) { return flag ? -x : x; }

void SwapAround(Ttwo_KWInt64s& pair) { std::swap(pair[little_text], pair[reference_corpus]); }
void SwapAround(Ttwo_KWdoubles& pair) { std::swap(pair[little_text], pair[reference_corpus]); }
void SwapAround(TtwoTextTokenTypes& pair) { std::swap(pair[little_text], pair[reference_corpus]); }

// ---- bits ------------------------------------------------------------------------

bool IsBitSet32(Int32 i, Cardinal v) {
  if (i < 0 || i > 31) return false;
  const Cardinal mask = bit_array32[static_cast<size_t>(i)];
  return (v & mask) == mask;
}

bool IsBitSet16(Int32 i, Word v) {
  if (i < 0 || i > 15) return false;
  const Word mask = bit_array16[static_cast<size_t>(i)];
  return (v & mask) == mask;
}

void SetBit32(Int32 i, Cardinal& v) {
  if (i >= 0 && i <= 31) v |= bit_array32[static_cast<size_t>(i)];
}

void SetBit16(Int32 i, Word& v) {
  if (i >= 0 && i <= 15) v = static_cast<Word>(v | bit_array16[static_cast<size_t>(i)]);
}

// ---- pair indexes ------------------------------------------------------------------

Int64 SingleArrayLengthForXInterRelationships(Int64 n) { return Round(static_cast<Double>(n) / 2.0 * (n + 1)); }

namespace {

// Where row y (the pairs (y+1, y) ... (n-1, y)) starts in the array.
Int64 RowStart(Int64 y, Int64 n) {
  return static_cast<Int64>(static_cast<__int128>(y) * (2 * static_cast<__int128>(n) - 1 - y) / 2);
}

}  // namespace

TXYPair XYFromSingleArrayPosPos(Int32 pos, Int32 n) {
  if (pos <= 0) return TXYPair{1, 0};
  const Int64 pairs = n > 1 ? static_cast<Int64>(n) * (n - 1) / 2 : 0;
  if (pos >= pairs) {
    // Past the last pair the walk goes on one row per step.
    const Int64 k = pos - pairs;
    const Int64 base = n > 1 ? n : 1;
    return TXYPair{static_cast<Int32>(base + k), static_cast<Int32>(base - 1 + k)};
  }
  // The row: the largest y with RowStart(y) <= pos, from the root of
  // y^2 - (2n - 1) y + 2 pos = 0, then put right by integer checks.
  const Double b = 2.0 * n - 1.0;
  Int64 y = static_cast<Int64>(std::floor((b - std::sqrt(b * b - 8.0 * pos)) / 2.0));
  if (y < 0) y = 0;
  if (y > n - 2) y = n - 2;
  while (y > 0 && RowStart(y, n) > pos) --y;
  while (y < n - 2 && RowStart(y + 1, n) <= pos) ++y;
  return TXYPair{static_cast<Int32>(y + 1 + (pos - RowStart(y, n))), static_cast<Int32>(y)};
}

Int32 SingleArrayPosForXYValue1Based(Int32 x, Int32 y, Int32 n) {
  if (x == y || x < 1 || y < 1 || x > n || y > n) return -1;
  if (y > x) std::swap(x, y);
  const Int64 pos = static_cast<Int64>(y) * n - (n - x) - SingleArrayLengthForXInterRelationships(y);
  const Int64 last = static_cast<Int64>(n) * n - SingleArrayLengthForXInterRelationships(n);
  // A position that the answer's 32 bits cannot hold is a failure, never a
  // wrapped number that looks like a position.
  if (pos > last || pos > std::numeric_limits<Int32>::max()) return -1;
  return static_cast<Int32>(pos);
}

Int32 SingleArrayPosForXYValue(Int32 x, Int32 y, Int32 n) {
  if (x < 0 || y < 0 || x >= n || y >= n) return -1;
  const Int32 pos = SingleArrayPosForXYValue1Based(x + 1, y + 1, n);
  if (pos < 0) return -1;
  const Int64 last = static_cast<Int64>(n) * n - SingleArrayLengthForXInterRelationships(n);
  if (pos - 1 >= last) return -1;
  return pos - 1;
}

// ---- number-array sorts --------------------------------------------------------------

namespace {

template <class T>
Int32 ExactOrder(const T& a, const T& b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

// Floating-point order in either direction with every NaN after every number
// (and NaNs equal to each other), so that a NaN never leaves the numbers
// around it out of order.
template <class T>
Int32 FloatOrderNaNLast(const T& a, const T& b, bool descending) {
  const bool aNaN = std::isnan(a), bNaN = std::isnan(b);
  if (aNaN || bNaN) return aNaN == bNaN ? 0 : (aNaN ? 1 : -1);
  return descending ? ExactOrder(b, a) : ExactOrder(a, b);
}

template <class T>
void SortIntegers(std::vector<T>& arr, bool descending) {
  if (arr.size() < 2) return;
  QuickSortVector(arr, [descending](const T& a, const T& b) -> int {
    const int order = ExactOrder(a, b);
    return descending ? -order : order;
  });
}

}  // namespace

Int32 TIntSingleComparer::Compare(const Double& left, const Double& right) const {
  return FloatOrderNaNLast(left, right, fDescending);
}

Int32 TIntExtendedComparer::Compare(const Extended& left, const Extended& right) const {
  return FloatOrderNaNLast(left, right, fDescending);
}

void SortAnArrayOfSingles(std::vector<Double>& arr, bool descending) {
  if (arr.size() < 2) return;
  const TIntSingleComparer comparer(descending);
  QuickSortVector(arr, [&comparer](const Double& a, const Double& b) -> int { return comparer.Compare(a, b); });
}

void SortAnArrayOfExtendeds(std::vector<Extended>& arr, bool descending) {
  if (arr.size() < 2) return;
  const TIntExtendedComparer comparer(descending);
  QuickSortVector(arr, [&comparer](const Extended& a, const Extended& b) -> int { return comparer.Compare(a, b); });
}

void SortAnArrayOfInt64s(std::vector<Int64>& arr, bool descending) { SortIntegers(arr, descending); }
void SortAnArrayOfIntegers(std::vector<Int32>& arr, bool descending) { SortIntegers(arr, descending); }

// ---- random order ----------------------------------------------------------------------

TShuffledNumbers::TShuffledNumbers(Int32 n) : upper_limit(n) { ComputeShuffledNonRepeatedNumbers(); }

Int32 TShuffledNumbers::GetANumber(Int32 i) const {
  if (i < 0 || i >= static_cast<Int32>(temp_int.size())) return -1;
  return temp_int[static_cast<size_t>(i)];
}

void TShuffledNumbers::ComputeShuffledNonRepeatedNumbers() {
  temp_int.clear();
  if (upper_limit <= 0) return;
  temp_int.resize(static_cast<size_t>(upper_limit));
  for (Int32 i = 0; i < upper_limit; ++i) temp_int[static_cast<size_t>(i)] = i;
  if (upper_limit == 2) {
    std::swap(temp_int[0], temp_int[1]);
    return;
  }
  // Fisher-Yates from the top: every order equally likely.
  for (Int32 i = upper_limit - 1; i > 0; --i) {
    if ((i & 1023) == 0) MyYieldProcess();
    const Int32 r = Random(i + 1);
    std::swap(temp_int[static_cast<size_t>(i)], temp_int[static_cast<size_t>(r)]);
  }
}

SK_COUNTER_ONLY_UNIT(Maths_routines)

}  // namespace sk
