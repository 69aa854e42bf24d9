#include <gtest/gtest.h>

#include <vector>

#include "platform/runtime/Random.h"

namespace sk {

TEST(RandomRange, StaysInsideTheRangeAndCoversIt) {
  RandSeed = 12345;
  std::vector<int> seen(7, 0);
  for (int i = 0; i < 7000; ++i) {
    const Int32 r = Random(7);
    ASSERT_GE(r, 0);
    ASSERT_LT(r, 7);
    ++seen[static_cast<size_t>(r)];
  }
  for (int count : seen) EXPECT_GT(count, 800);  // roughly 1000 each
  EXPECT_EQ(Random(0), 0);
  EXPECT_EQ(Random(-5), 0);
  EXPECT_EQ(Random(1), 0);
}

TEST(RandomSeed, SameSeedGivesTheSameSequence) {
  RandSeed = 99;
  const Int32 a = Random(1000000), b = Random(1000000);
  RandSeed = 99;
  EXPECT_EQ(Random(1000000), a);
  EXPECT_EQ(Random(1000000), b);
  const Double d = Random();
  EXPECT_GE(d, 0.0);
  EXPECT_LT(d, 1.0);
}

TEST(RandomSeed, RandomizeChangesTheState) {
  RandSeed = 0;
  Randomize();
  const UInt64 first = RandSeed;
  Randomize();
  EXPECT_NE(RandSeed, first);
}

}  // namespace sk
