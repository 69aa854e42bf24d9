// Statistics and number helpers of the results lists. So far: the sorts of
// number arrays that the join lists use.
#pragma once

#include <vector>

#include "platform/runtime/RtlTypes.h"

namespace sk {

// Sort the array in place, ascending or (descending true) descending. Values
// are compared exactly: doubles by their value (a NaN counts as equal to
// everything and so ends up somewhere in the array), integers over their whole
// width. Arrays of fewer than 2 elements are left alone.
void SortAnArrayOfSingles(std::vector<Double>& arr, bool descending);
void SortAnArrayOfExtendeds(std::vector<Extended>& arr, bool descending);
void SortAnArrayOfInt64s(std::vector<Int64>& arr, bool descending);
void SortAnArrayOfIntegers(std::vector<Int32>& arr, bool descending);

// Unit start and stop (the unit has no work of its own).
void Maths_routines_initialization();
void Maths_routines_Finalization();

}  // namespace sk
