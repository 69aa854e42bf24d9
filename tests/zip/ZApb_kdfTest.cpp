// PBKDF2-HMAC-SHA-1: the published vectors, block counts for the key sizes
// of encrypted entries, counts below 1, bad descriptors and halting.
#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <string>

#include "HashTestSupport.h"
#include "zip/ZAKeyDeriv.h"
#include "zip/ZApb_kdf.h"

namespace sk {
namespace {

std::string Derive(const std::string& pw, const std::string& salt, Int32 c, Word len) {
  TBytes out(len);
  EXPECT_EQ(kdf2(SHA1_Descriptor(), pw.data(), static_cast<Word>(pw.size()), salt.data(),
                 static_cast<Word>(salt.size()), c, out.data(), len),
            0);
  return ToHex(out.data(), out.size());
}

std::string Reference(const std::string& pw, const std::string& salt, Int32 c, size_t len) {
  TBytes out(len);
  EXPECT_EQ(PKCS5_PBKDF2_HMAC(pw.data(), static_cast<int>(pw.size()),
                              reinterpret_cast<const unsigned char*>(salt.data()), static_cast<int>(salt.size()), c,
                              EVP_sha1(), static_cast<int>(len), out.data()),
            1);
  return ToHex(out.data(), out.size());
}

TEST(ZApb_kdfVectors, PublishedSHA1Vectors) {
  using namespace std::string_literals;
  const struct {
    std::string pw, salt;
    Int32 c;
    Word len;
    const char* dk;
  } cases[] = {
      {"password", "salt", 1, 20, "0c60c80f961f0e71f3a9b524af6012062fe037a6"},
      {"password", "salt", 2, 20, "ea6c014dc72d6f8ccd1ed92ace1d41f0d8de8957"},
      {"password", "salt", 4096, 20, "4b007901b765489abead49d926f721d065a429c1"},
      {"passwordPASSWORDpassword", "saltSALTsaltSALTsaltSALTsaltSALTsalt", 4096, 25,
       "3d2eec4fe41c849b80c8d83662c0e44a8b291a964cf2f07038"},
      {"pass\0word"s, "sa\0lt"s, 4096, 16, "56fa6aa75548099dcc37d7f03425e0c3"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Derive(c.pw, c.salt, c.c, c.len), c.dk) << c.pw << " " << c.c;
    TBytes out(c.len);
    EXPECT_EQ(kdf2s(SHA1_Descriptor(), c.pw, c.salt.data(), static_cast<Word>(c.salt.size()), c.c, out.data(), c.len),
              0);
    EXPECT_EQ(ToHex(out.data(), out.size()), c.dk);
  }
}

TEST(ZApb_kdfBlocks, KeySizesOfEncryptedEntriesTakeOneTwoAndFourBlocks) {
  THashDesc counting = CountingSHA1::Descriptor();
  const struct {
    Word len;
    int blocks;
  } cases[] = {{20, 1}, {34, 2}, {66, 4}, {1, 1}, {21, 2}, {40, 2}, {41, 3}};
  const Int32 iterations = 10;
  for (const auto& c : cases) {
    TBytes out(c.len);
    CountingSHA1::Reset();
    ASSERT_EQ(kdf2(&counting, "pw", 2, "salt1234", 8, iterations, out.data(), c.len), 0);
    // Two short hashes per iteration, plus the key's two pad blocks once.
    EXPECT_EQ(CountingSHA1::finals, 2 * iterations * c.blocks) << c.len;
    EXPECT_EQ(CountingSHA1::inits, 2) << c.len;
    EXPECT_EQ(ToHex(out.data(), out.size()), Reference("pw", "salt1234", iterations, c.len)) << c.len;
  }
  // Later blocks carry on from the first: a shorter key is a prefix.
  EXPECT_EQ(Derive("pw", "s", 5, 66).substr(0, 68), Derive("pw", "s", 5, 34));
}

TEST(ZApb_kdfBlocks, CountBelowOneGivesZerosAndLengthZeroWritesNothing) {
  for (Int32 c : {0, -1, -1000}) EXPECT_EQ(Derive("password", "salt", c, 34), std::string(68, '0')) << c;
  Byte guard = 0x77;
  EXPECT_EQ(kdf2(SHA1_Descriptor(), "pw", 2, "s", 1, 3, &guard, 0), 0);
  EXPECT_EQ(guard, 0x77);
  // Empty password and salt are valid inputs.
  EXPECT_EQ(Derive("", "", 3, 30), Reference("", "", 3, 30));
}

TEST(ZApb_kdfErrors, NullOrUnusableDescriptor) {
  Byte out[20];
  EXPECT_EQ(kdf2(nullptr, "pw", 2, "s", 1, 1, out, 20), 1);
  THashDesc noDigest = *SHA1_Descriptor();
  noDigest.HDigestlen = 0;
  EXPECT_EQ(kdf2(&noDigest, "pw", 2, "s", 1, 1, out, 20), 2);
  THashDesc hugeDigest = *SHA1_Descriptor();
  hugeDigest.HDigestlen = 65;
  EXPECT_EQ(kdf2(&hugeDigest, "pw", 2, "s", 1, 1, out, 20), 2);
}

TEST(ZAKeyDerivPBKDF2, UsesTheRegisteredSHA1) {
  StartHashRegistry();
  Byte out[20];
  ASSERT_EQ(PBKDF2("password", 8, "salt", 4, 2, out, 20), 0);
  EXPECT_EQ(ToHex(out, 20), "ea6c014dc72d6f8ccd1ed92ace1d41f0d8de8957");
}

TEST(ZAKeyDerivPBKDF2, FailureRaisesWhileHaltingElseReturnsTheCode) {
  ScopedNoSHA1 none;
  ASSERT_EQ(FindHash_by_ID(_SHA1), nullptr);
  Byte out[20];
  ASSERT_TRUE(HaltOnError);
  try {
    PBKDF2("pw", 2, "s", 1, 1, out, 20);
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_NE(e.Message().find(u"code 1"), String::npos);
  }
  HaltOnError = false;
  EXPECT_EQ(PBKDF2("pw", 2, "s", 1, 1, out, 20), 1);
  HaltOnError = true;
}

}  // namespace
}  // namespace sk
