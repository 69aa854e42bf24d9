// HMAC-SHA-1: the published test cases, long keys, data in parts, and the
// unusable context.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "HashTestSupport.h"
#include "TestSupport.h"
#include "zip/ZAhmac.h"
#include "zip/ZAsha1.h"

namespace sk {
namespace {

std::string Mac(const TBytes& key, const std::string& data) {
  THMAC_Context ctx;
  hmac_init(ctx, SHA1_Descriptor(), key.data(), static_cast<Word>(key.size()));
  hmac_updateXL(ctx, data.data(), static_cast<Int32>(data.size()));
  THashDigest mac{};
  hmac_final(ctx, mac);
  return ToHex(mac, 20);
}

TEST(ZAhmacSHA1, PublishedTestCases) {
  const struct {
    TBytes key;
    std::string data;
    const char* mac;
  } cases[] = {
      {TBytes(20, 0x0b), "Hi There", "b617318655057264e28bc0b6fb378c8ef146be00"},
      {B("Jefe"), "what do ya want for nothing?", "effcdf6ae5eb2fa2d27416d5f184df9c259a7c79"},
      {TBytes(20, 0xaa), std::string(50, '\xdd'), "125d7342b9ac11cd91a39af48aa17b4f63f175d3"},
      {Hex("0102030405060708090a0b0c0d0e0f10111213141516171819"), std::string(50, '\xcd'),
       "4c9007f4026250c6bc8414f9bf50c86c2d7235da"},
      {TBytes(20, 0x0c), "Test With Truncation", "4c1a03424b55e07fe7f27be1d58bb9324a9a5a04"},
      {TBytes(80, 0xaa), "Test Using Larger Than Block-Size Key - Hash Key First",
       "aa4ae5e15272d00e95705637ce8a3b55ed402112"},
      {TBytes(80, 0xaa), "Test Using Larger Than Block-Size Key and Larger Than One Block-Size Data",
       "e8e99d0f45237d786d6bbaa7965c7808bbff1a91"},
  };
  for (const auto& c : cases) EXPECT_EQ(Mac(c.key, c.data), c.mac) << c.data;
}

TEST(ZAhmacSHA1, KeyLongerThanABlockActsAsItsDigest) {
  for (size_t len : {65, 100, 1000, 70000}) {
    TBytes key(len);
    for (size_t i = 0; i < len; ++i) key[i] = static_cast<Byte>(i * 13 + 1);
    TSHA1Digest d;
    SHA1FullXL(d, key.data(), static_cast<Int32>(len));
    const TBytes digestKey(d.begin(), d.end());
    THMAC_Context ctx;
    hmac_init_bytes(ctx, SHA1_Descriptor(), key.data(), key.size());
    hmac_update(ctx, "message", 7);
    THashDigest mac{};
    hmac_final(ctx, mac);
    EXPECT_EQ(ToHex(mac, 20), Mac(digestKey, "message")) << len;
  }
  // A key of exactly one block is used as it stands.
  const TBytes block(64, 0x42);
  TSHA1Digest d;
  SHA1FullXL(d, block.data(), 64);
  EXPECT_NE(Mac(block, "m"), Mac(TBytes(d.begin(), d.end()), "m"));
}

TEST(ZAhmacSHA1, StringKeyAndDataInPartsGiveTheSameMac) {
  const std::string data = "The quick brown fox jumps over the lazy dog, twice: the quick brown fox jumps.";
  THMAC_Context ctx;
  hmac_inits(ctx, SHA1_Descriptor(), "key");
  for (size_t at = 0; at < data.size(); at += 5)
    hmac_update(ctx, data.data() + at, static_cast<Word>(std::min<size_t>(5, data.size() - at)));
  THashDigest mac{};
  hmac_final(ctx, mac);
  EXPECT_EQ(ToHex(mac, 20), Mac(B("key"), data));
  EXPECT_EQ(Mac(B("key"), "The quick brown fox jumps over the lazy dog"), "de7c9b85b8b78aa6bc8a7a36f70a90701c9db4d9");
}

TEST(ZAhmacSHA1, UnusableContextDoesNothing) {
  THMAC_Context ctx;
  hmac_init(ctx, nullptr, "key", 3);
  EXPECT_EQ(ctx.phashd, nullptr);
  hmac_update(ctx, "data", 4);
  THashDigest mac;
  mac.fill(0x11);
  hmac_final(ctx, mac);
  for (Byte b : mac) EXPECT_EQ(b, 0x11);

  THashDesc huge = *SHA1_Descriptor();
  huge.HBlockLen = 200;  // past the context's key block
  hmac_init(ctx, &huge, "key", 3);
  EXPECT_EQ(ctx.phashd, nullptr);
}

}  // namespace
}  // namespace sk
