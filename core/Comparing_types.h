// Three-way comparers of plain values and the tagged-word and batch-date tests
// that the sort and lookup code builds on.  Every comparer answers exactly -1,
// 0 or 1.
#pragma once

#include <vector>

#include "core/Basic_types.h"
#include "platform/runtime/RtlTypes.h"

namespace sk {

namespace comparing_detail {

template <class T>
constexpr Int32 ThreeWay(T a, T b) {
  if (a == b) return 0;
  if (a > b) return 1;
  return -1;  // also every comparison with a NaN
}

}  // namespace comparing_detail

// 0 when equal, 1 when the first is greater, else -1. Inline: sorts call
// them millions of times.
inline Int32 CompareLongints(Int32 a, Int32 b) { return comparing_detail::ThreeWay(a, b); }
inline Int32 CompareCardinals(Cardinal a, Cardinal b) { return comparing_detail::ThreeWay(a, b); }
inline Int32 CompareInt64s(Int64 a, Int64 b) { return comparing_detail::ThreeWay(a, b); }
inline Int32 Compare16BitWords(Word a, Word b) { return comparing_detail::ThreeWay(a, b); }
inline Int32 Compare16Bit(Word a, Word b) { return comparing_detail::ThreeWay(a, b); }
inline Int32 CompareBytes(Byte a, Byte b) { return comparing_detail::ThreeWay(a, b); }
// As above; any comparison that involves a NaN answers -1.
inline Int32 CompareSingles(Single a, Single b) { return comparing_detail::ThreeWay(a, b); }
inline Int32 CompareDoubles(Double a, Double b) { return comparing_detail::ThreeWay(a, b); }
// For two lengths already known to differ: 1 when the first is greater, else -1.
Int32 ComparedArraysDifferentLengths(Int32 a, Int32 b);

// Two arrays element by element with cmp over the common length; when that
// part is equal, the longer array is the greater.
template <class T, class Cmp>
Int32 CompareArrays(const std::vector<T>& a, const std::vector<T>& b, Cmp cmp) {
  const size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    Int32 r = cmp(a[i], b[i]);
    if (r != 0) return r;
  }
  if (a.size() == b.size()) return 0;
  return ComparedArraysDifferentLengths(static_cast<Int32>(a.size()), static_cast<Int32>(b.size()));
}

// Same word (ignoring the case of A-Z only) and the same tag exactly; with
// allowLoneAsterisk, a word that is exactly "*" on either side matches any
// word with any tag.
bool StringTagMatches(const TStringTag& a, const TStringTag& b, bool allowLoneAsterisk);

// Whether two dates fall in the same batch: same year for year batches, same
// year and month for month batches, never in any other batch mode.
bool SameYMDDatesForBatchMode(const TYearMonthDay& a, const TYearMonthDay& b);

// Unit start and stop (the unit has no work of its own).
void Comparing_types_initialization();
void Comparing_types_Finalization();

}  // namespace sk
