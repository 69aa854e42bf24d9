#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "analysis/Maths_routines.h"

namespace sk {
namespace {

TEST(Maths_routines, ArraySortsCompareExactly) {
  // Values closer than 0.5 and 64-bit values whose low 32 bits order the
  // other way round.
  std::vector<Double> d{0.3, 0.1, 0.2, -0.05, 0.25};
  SortAnArrayOfSingles(d, false);
  EXPECT_EQ(d, (std::vector<Double>{-0.05, 0.1, 0.2, 0.25, 0.3}));
  SortAnArrayOfExtendeds(d, true);
  EXPECT_EQ(d, (std::vector<Double>{0.3, 0.25, 0.2, 0.1, -0.05}));

  const Int64 big = Int64{1} << 32;
  std::vector<Int64> i64{big + 1, 5, big, -big, 0};
  SortAnArrayOfInt64s(i64, true);
  EXPECT_EQ(i64, (std::vector<Int64>{big + 1, big, 5, 0, -big}));

  std::vector<Int32> i32{std::numeric_limits<Int32>::min(), 7, std::numeric_limits<Int32>::max(), -7};
  SortAnArrayOfIntegers(i32, false);
  EXPECT_EQ(i32, (std::vector<Int32>{std::numeric_limits<Int32>::min(), -7, 7, std::numeric_limits<Int32>::max()}));

  std::vector<Int32> one{3};
  SortAnArrayOfIntegers(one, true);
  EXPECT_EQ(one, std::vector<Int32>{3});
  std::vector<Double> nan{1.0, std::nan(""), 0.0};
  SortAnArrayOfSingles(nan, false);  // stays whole whatever a NaN answers
  EXPECT_EQ(nan.size(), 3u);
}

}  // namespace
}  // namespace sk
