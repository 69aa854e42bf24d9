// Secret bytes from the operating system: every value occurs and calls differ.
#include <gtest/gtest.h>

#include <array>

#include "platform/runtime/Random.h"
#include "platform/runtime/SecretBytes.h"

namespace sk {
namespace {

TEST(SecretBytes, EveryByteValueOccursInALongRun) {
  const TBytes bytes = SecretBytes(1 << 16);
  ASSERT_EQ(bytes.size(), size_t{1} << 16);
  std::array<int, 256> seen{};
  for (Byte b : bytes) ++seen[b];
  for (int v = 0; v < 256; ++v) EXPECT_GT(seen[static_cast<size_t>(v)], 0) << v;  // about 256 each
}

TEST(SecretBytes, CallsDifferAndIgnoreTheSeededGenerator) {
  RandSeed = 42;
  const TBytes a = SecretBytes(32);
  RandSeed = 42;
  const TBytes b = SecretBytes(32);
  EXPECT_NE(a, b);
  EXPECT_EQ(RandSeed, 42u);  // the process generator is neither used nor moved
  EXPECT_TRUE(SecretBytes(0).empty());
  FillSecretBytes(nullptr, 0);
}

TEST(SecretBytes, FillsTheWholeBufferAndNothingBeyond) {
  std::array<Byte, 40> buf{};
  buf.fill(0xAA);
  FillSecretBytes(buf.data() + 4, 32);
  for (int i : {0, 1, 2, 3, 36, 37, 38, 39}) EXPECT_EQ(buf[static_cast<size_t>(i)], 0xAA) << i;
}

}  // namespace
}  // namespace sk
