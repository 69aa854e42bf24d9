// Scans of dynamic integer arrays (0-based indexes, -1 = not found).
#pragma once

#include <vector>

#include "platform/runtime/RtlTypes.h"

namespace sk {

// Index of the first element equal to value.
Int32 PositionInArrayOfByte(const std::vector<Byte>& arr, Int32 value);
Int32 PositionInArrayOfInteger(const std::vector<Int32>& arr, Int32 value);
// Index of the first element greater than value.
Int32 ScanForIntBigger(Int32 value, const std::vector<Int32>& arr);
// Index of the first occurrence of the largest element, where only elements
// greater than 0 count: -1 when every element is 0 or negative, or none exists.
Int32 ScanForLargestIntPosition(const std::vector<Int32>& arr);

// Unit start and stop (the unit has no work of its own).
void Simple_maths_routines_initialization();
void Simple_maths_routines_Finalization();

}  // namespace sk
