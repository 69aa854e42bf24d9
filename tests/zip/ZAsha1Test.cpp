// SHA-1: the standard's examples, every split of short messages against
// libcrypto's one-shot digest, the bit count of very long updates, the final
// record and the file routine.
#include <gtest/gtest.h>
#include <openssl/sha.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "HashTestSupport.h"
#include "TestSupport.h"
#include "zip/ZAsha1.h"

namespace sk {
namespace {

std::string DigestOf(const std::string& msg) {
  TSHA1Digest d;
  SHA1FullXL(d, msg.data(), static_cast<Int32>(msg.size()));
  return ToHex(d, d.size());
}

std::string DigestByteByByte(const std::string& msg) {
  THashContext c;
  SHA1Init(c);
  for (char ch : msg) SHA1Update(c, &ch, 1);
  TSHA1Digest d;
  SHA1Final(c, d);
  return ToHex(d, d.size());
}

TEST(ZAsha1Digest, StandardExamplesWholeAndByteByByte) {
  const struct {
    std::string msg;
    const char* digest;
  } cases[] = {
      {"", "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
      {"abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
      {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopq"
       "rstu",
       "a49b2446a02c645bf419f995b67091253a04a259"},
      {std::string(1000000, 'a'), "34aa973cd4c4daa4f61eeb2bdbad27316534016f"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DigestOf(c.msg), c.digest) << c.msg.size();
    EXPECT_EQ(DigestByteByByte(c.msg), c.digest) << c.msg.size();
  }
}

TEST(ZAsha1Digest, EverySplitOfShortMessagesAgreesWithLibcrypto) {
  // Lengths around the padding limits (55, 56, 63, 64) and two blocks.
  std::string msg;
  for (int i = 0; i < 140; ++i) msg += static_cast<char>(i * 37 + 11);
  for (size_t len = 0; len <= msg.size(); ++len) {
    unsigned char ref[SHA_DIGEST_LENGTH];
    SHA1(reinterpret_cast<const unsigned char*>(msg.data()), len, ref);
    const std::string expected = ToHex(ref, sizeof ref);
    for (size_t cut = 0; cut <= len; ++cut) {
      THashContext c;
      SHA1Init(c);
      SHA1UpdateXL(c, msg.data(), static_cast<Int32>(cut));
      SHA1UpdateXL(c, msg.data() + cut, static_cast<Int32>(len - cut));
      TSHA1Digest d;
      SHA1Final(c, d);
      ASSERT_EQ(ToHex(d, d.size()), expected) << len << " split at " << cut;
    }
  }
}

TEST(ZAsha1Digest, OneUpdatePastHalfAGigabyteCountsEveryBit) {
  // 536,870,913 bytes: eight times that overflows 32 bits.
  const size_t n = 536870913;
  std::unique_ptr<Byte, decltype(&std::free)> zeros(static_cast<Byte*>(std::calloc(n, 1)), &std::free);
  ASSERT_NE(zeros, nullptr);
  TSHA1Digest d;
  SHA1FullXL(d, zeros.get(), static_cast<Int32>(n));
  EXPECT_EQ(ToHex(d, d.size()), "3e1bb536d18494c32e66ef9f479d65bbe0d863de");
}

TEST(ZAsha1Digest, NegativeOrZeroLengthAddsNothing) {
  THashContext c;
  SHA1Init(c);
  SHA1UpdateXL(c, "abc", 3);
  SHA1UpdateXL(c, nullptr, 0);
  SHA1UpdateXL(c, "xyz", -5);
  TSHA1Digest d;
  SHA1Final(c, d);
  EXPECT_EQ(ToHex(d, d.size()), "a9993e364706816aba3e25717850c26c9cd0d89d");
}

TEST(ZAsha1Final, WritesTwentyBytesIntoAZeroedDigestAndWipesTheContext) {
  THashContext c;
  SHA1Init(c);
  EXPECT_EQ(c.Hash[0], 0x67452301u);
  EXPECT_EQ(c.Hash[4], 0xC3D2E1F0u);
  EXPECT_EQ(c.Hash[5], 0u);
  SHA1UpdateXL(c, "abc", 3);
  EXPECT_EQ(c.Index, 3);
  EXPECT_EQ(c.MLen[0], 24u);
  EXPECT_EQ(c.MLen[1], 0u);
  THashDigest full;
  full.fill(0xEE);
  SHA1FinalEx(c, full);
  EXPECT_EQ(ToHex(full, 20), "a9993e364706816aba3e25717850c26c9cd0d89d");
  for (size_t i = 20; i < full.size(); ++i) EXPECT_EQ(full[i], 0) << i;
  const THashContext zero{};
  EXPECT_EQ(std::memcmp(&c, &zero, sizeof c), 0);
}

TEST(ZAsha1SelfTest, Passes) { EXPECT_TRUE(SHA1SelfTest()); }

TEST(ZAsha1File, SameDigestAsTheWholeContent) {
  ScratchFolder dir("zasha1");
  std::string content;
  for (int i = 0; i < 5000; ++i) content += static_cast<char>(i % 251);
  WriteFileBytes(dir.Path("f.bin"), content);
  Byte buf[100];
  for (Word size : {Word{1}, Word{64}, Word{100}}) {
    TSHA1Digest d{};
    Word err = 99;
    SHA1File(dir.File("f.bin"), d, buf, size, err);
    EXPECT_EQ(err, 0);
    EXPECT_EQ(ToHex(d, d.size()), DigestOf(content)) << size;
  }
  TSHA1Digest d{};
  Word err = 0;
  SHA1File(dir.File("missing.bin"), d, buf, sizeof buf, err);
  EXPECT_EQ(err, 2);
}

}  // namespace
}  // namespace sk
