// The key generator: given and random salts, keys derived once and kept,
// and the limits of the 16-bit lengths.
#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <array>
#include <string>

#include "HashTestSupport.h"
#include "zip/ZAKeyDeriv.h"
#include "zip/ZAPBKDF_2.h"

namespace sk {
namespace {

TBytes Reference(const std::string& pw, const TBytes& salt, Int32 c, size_t len) {
  TBytes out(len);
  EXPECT_EQ(PKCS5_PBKDF2_HMAC(pw.data(), static_cast<int>(pw.size()), salt.data(), static_cast<int>(salt.size()), c,
                              EVP_sha1(), static_cast<int>(len), out.data()),
            1);
  return out;
}

class ZAPBKDF_2Test : public ::testing::Test {
 protected:
  void SetUp() override { StartHashRegistry(); }
};

TEST_F(ZAPBKDF_2Test, GivenSaltAgreesWithThePublishedVector) {
  TPBKDF2 gen("password", "salt", 4, 4096);
  TBytes key;
  gen.GetKeyBytes(20, key);
  EXPECT_EQ(ToHex(key.data(), key.size()), "4b007901b765489abead49d926f721d065a429c1");
  EXPECT_EQ(gen.GetSaltValue(), TBytes({'s', 'a', 'l', 't'}));
  EXPECT_EQ(gen.IterationCount(), 4096);
  gen.Initialize();
  gen.Reset();
  TBytes again;
  gen.GetKeyBytes(20, again);
  EXPECT_EQ(again, key);
}

TEST_F(ZAPBKDF_2Test, KeyIsDerivedOnceAndShorterRequestsArePrefixes) {
  ScopedSHA1Descriptor counting(CountingSHA1::Descriptor());
  const TBytes salt = {1, 2, 3, 4, 5, 6, 7, 8};
  {
    TPBKDF2 gen("secret", salt.data(), 8, 1000);
    CountingSHA1::Reset();
    TBytes key66, key34, key66again;
    gen.GetKeyBytes(66, key66);
    const int derivation = CountingSHA1::finals;
    EXPECT_EQ(derivation, 2 * 1000 * 4);
    gen.GetKeyBytes(34, key34);
    gen.GetKeyBytes(66, key66again);
    EXPECT_EQ(CountingSHA1::finals, derivation);  // no second derivation
    EXPECT_EQ(key66, Reference("secret", salt, 1000, 66));
    EXPECT_EQ(key34, TBytes(key66.begin(), key66.begin() + 34));
    EXPECT_EQ(key66again, key66);
    TBytes none;
    gen.GetKeyBytes(0, none);
    EXPECT_TRUE(none.empty());
  }
  {
    // A longer request after a shorter one derives the longer key.
    TPBKDF2 gen("secret", salt.data(), 8, 10);
    TBytes shortKey, longKey;
    gen.GetKeyBytes(20, shortKey);
    gen.GetKeyBytes(66, longKey);
    EXPECT_EQ(longKey, Reference("secret", salt, 10, 66));
  }
}

TEST_F(ZAPBKDF_2Test, RandomSaltsDifferAndUseEveryByteValue) {
  TPBKDF2 a("pw", 16, 1000), b("pw", 16, 1000);
  EXPECT_EQ(a.GetSaltValue().size(), 16u);
  EXPECT_NE(a.GetSaltValue(), b.GetSaltValue());
  // So the two keys differ too, for the same password.
  TBytes ka, kb;
  a.GetKeyBytes(34, ka);
  b.GetKeyBytes(34, kb);
  EXPECT_NE(ka, kb);
  EXPECT_EQ(ka, Reference("pw", a.GetSaltValue(), 1000, 34));

  TPBKDF2 many("pw", 8192, 1);
  std::array<int, 256> seen{};
  for (Byte v : many.GetSaltValue()) ++seen[v];
  EXPECT_GT(seen[255], 0);
  EXPECT_GT(seen[0], 0);
  EXPECT_TRUE(TPBKDF2("pw", 0, 1).GetSaltValue().empty());
}

TEST_F(ZAPBKDF_2Test, LongPasswordsAreUsedWhole) {
  // Past 32,768 bytes, differing only near the end.
  std::string p1(40000, 'p'), p2 = p1;
  p2[39000] = 'q';
  const TBytes salt = {9, 9};
  TPBKDF2 g1(p1, salt.data(), 2, 2), g2(p2, salt.data(), 2, 2);
  TBytes k1, k2;
  g1.GetKeyBytes(20, k1);
  g2.GetKeyBytes(20, k2);
  EXPECT_NE(k1, k2);
  EXPECT_EQ(k1, Reference(p1, salt, 2, 20));
  const std::string longest(65535, 'x');
  TPBKDF2 g3(longest, salt.data(), 2, 1);
  TBytes k3;
  g3.GetKeyBytes(20, k3);
  EXPECT_EQ(k3, Reference(longest, salt, 1, 20));
}

TEST_F(ZAPBKDF_2Test, LengthsPastSixteenBitsRaise) {
  const TBytes salt(65536, 1);
  TBytes key;
  EXPECT_THROW(TPBKDF2(std::string(65536, 'x'), salt.data(), 4, 1).GetKeyBytes(20, key), EArgumentOutOfRangeException);
  EXPECT_THROW(TPBKDF2("pw", salt.data(), 65536, 1).GetKeyBytes(20, key), EArgumentOutOfRangeException);
  TPBKDF2 gen("pw", salt.data(), 4, 1);
  EXPECT_THROW(gen.GetKeyBytes(65536, key), EArgumentOutOfRangeException);
  EXPECT_THROW(gen.GetKeyBytes(-1, key), EArgumentOutOfRangeException);
  gen.GetKeyBytes(65535, key);
  EXPECT_EQ(key.size(), 65535u);
  EXPECT_THROW(TPBKDF2("pw", -1, 1), EArgumentOutOfRangeException);
  EXPECT_THROW(TPBKDF2("pw", nullptr, 4, 1), EArgumentOutOfRangeException);
}

TEST_F(ZAPBKDF_2Test, FailedDerivationRaisesOrGivesNoKey) {
  ScopedNoSHA1 none;
  TPBKDF2 gen("pw", "salt", 4, 1);
  TBytes key = {1, 2, 3};
  EXPECT_THROW(gen.GetKeyBytes(20, key), Exception);
  HaltOnError = false;
  gen.GetKeyBytes(20, key);
  HaltOnError = true;
  EXPECT_TRUE(key.empty());
}

TEST_F(ZAPBKDF_2Test, CountBelowOneGivesZeros) {
  TPBKDF2 gen("pw", "salt", 4, 0);
  TBytes key;
  gen.GetKeyBytes(34, key);
  EXPECT_EQ(key, TBytes(34, 0));
}

}  // namespace
}  // namespace sk
