#include "analysis/Maths_routines.h"

#include "core/UnitCounter.h"
#include "platform/runtime/QuickSort.h"

namespace sk {

namespace {

template <class T>
void SortNumbers(std::vector<T>& arr, bool descending) {
  if (arr.size() < 2) return;
  QuickSortVector(arr, [descending](const T& a, const T& b) -> int {
    const int order = a < b ? -1 : (b < a ? 1 : 0);
    return descending ? -order : order;
  });
}

}  // namespace

void SortAnArrayOfSingles(std::vector<Double>& arr, bool descending) { SortNumbers(arr, descending); }
void SortAnArrayOfExtendeds(std::vector<Extended>& arr, bool descending) { SortNumbers(arr, descending); }
void SortAnArrayOfInt64s(std::vector<Int64>& arr, bool descending) { SortNumbers(arr, descending); }
void SortAnArrayOfIntegers(std::vector<Int32>& arr, bool descending) { SortNumbers(arr, descending); }

SK_COUNTER_ONLY_UNIT(Maths_routines)

}  // namespace sk
