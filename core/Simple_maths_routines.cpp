#include "core/Simple_maths_routines.h"

#include "core/UnitCounter.h"

namespace sk {

Int32 PositionInArrayOfByte(const std::vector<Byte>& arr, Int32 value) {
  for (size_t i = 0; i < arr.size(); ++i)
    if (arr[i] == value) return static_cast<Int32>(i);
  return -1;
}

Int32 PositionInArrayOfInteger(const std::vector<Int32>& arr, Int32 value) {
  for (size_t i = 0; i < arr.size(); ++i)
    if (arr[i] == value) return static_cast<Int32>(i);
  return -1;
}

Int32 ScanForIntBigger(Int32 value, const std::vector<Int32>& arr) {
  for (size_t i = 0; i < arr.size(); ++i)
    if (arr[i] > value) return static_cast<Int32>(i);
  return -1;
}

Int32 ScanForLargestIntPosition(const std::vector<Int32>& arr) {
  Int32 result = -1;
  Int32 largest = 0;
  for (size_t i = 0; i < arr.size(); ++i) {
    if (arr[i] > largest) {
      largest = arr[i];
      result = static_cast<Int32>(i);
    }
  }
  return result;
}

SK_COUNTER_ONLY_UNIT(Simple_maths_routines)

}  // namespace sk
