// Published known-answer vectors for every cipher and hash class.
#include <openssl/evp.h>
#include <openssl/provider.h>

#include "tests/zip/CipherTestSupport.h"
#include "zip/ZACipher_evp.h"

namespace sk {
namespace {

struct BlockVector {
  const TCipherClass* cls;
  const char* key;
  const char* plain;
  const char* cipher;
};

TEST(ZACipherVectors, PublishedBlockVectorsEncodeAndDecode) {
  const BlockVector vectors[] = {
      // FIPS 197, appendix C.1 to C.3.
      {&TCipher_Rijndael::ClassRef(), "000102030405060708090a0b0c0d0e0f", "00112233445566778899aabbccddeeff",
       "69c4e0d86a7b0430d8cdb78070b4c55a"},
      {&TCipher_Rijndael::ClassRef(), "000102030405060708090a0b0c0d0e0f1011121314151617",
       "00112233445566778899aabbccddeeff", "dda97ca4864cdfe06eaf70a0ec0d7191"},
      {&TCipher_Rijndael::ClassRef(), "000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f",
       "00112233445566778899aabbccddeeff", "8ea2b7ca516745bfeafc49904b496089"},
      // The library's own AES rounds agree for 16- and 24-byte keys.
      {&TCipher_RijndaelZA::ClassRef(), "000102030405060708090a0b0c0d0e0f", "00112233445566778899aabbccddeeff",
       "69c4e0d86a7b0430d8cdb78070b4c55a"},
      {&TCipher_RijndaelZA::ClassRef(), "000102030405060708090a0b0c0d0e0f1011121314151617",
       "00112233445566778899aabbccddeeff", "dda97ca4864cdfe06eaf70a0ec0d7191"},
      // Blowfish (the published set of Eric Young's vectors).
      {&TCipher_Blowfish::ClassRef(), "0000000000000000", "0000000000000000", "4EF997456198DD78"},
      {&TCipher_Blowfish::ClassRef(), "FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
      {&TCipher_Blowfish::ClassRef(), "3000000000000000", "1000000000000001", "7D856F9A613063F2"},
      {&TCipher_Blowfish::ClassRef(), "FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
      // Variable key length: the key bytes are used cyclically.
      {&TCipher_Blowfish::ClassRef(), "F0", "FEDCBA9876543210", "F9AD597C49DB005E"},
      {&TCipher_Blowfish::ClassRef(), "F0E1D2C3B4A5968778695A4B3C2D1E0F0011223344556677",
       "FEDCBA9876543210", "05044B62FA52D080"},
      // DES, FIPS 81 (ECB example, "Now is the time for all ").
      {&TCipher_1DES::ClassRef(), "0123456789ABCDEF", "4E6F772069732074 68652074696D6520 666F7220616C6C20",
       "3FA40E8A984D4815 6A271787AB8883F9 893D51EC4B563B53"},
      // Triple DES, NIST SP 800-67 ("The quick brown fox jump").
      {&TCipher_3DES::ClassRef(), "0123456789ABCDEF 23456789ABCDEF01 456789ABCDEF0123",
       "5468652071756663 6B2062726F776E20 666F78206A756D70", "A826FD8CE53B855F CCE21C8112256FE6 68D5C05DD9B6B900"},
      // Twofish, the paper's vectors for 128-, 192- and 256-bit keys.
      {&TCipher_Twofish::ClassRef(), "00000000000000000000000000000000", "00000000000000000000000000000000",
       "9F589F5CF6122C32B6BFEC2F2AE8C35A"},
      {&TCipher_Twofish::ClassRef(), "0123456789ABCDEFFEDCBA98765432100011223344556677",
       "00000000000000000000000000000000", "CFD1D2E5A9BE9CDF501F13B892BD2248"},
      {&TCipher_Twofish::ClassRef(), "0123456789ABCDEFFEDCBA987654321000112233445566778899AABBCCDDEEFF",
       "00000000000000000000000000000000", "37527BE0052334B89F0CFCCAE87CFA20"},
      {&TCipher_Twofish::ClassRef(), "9F589F5CF6122C32B6BFEC2F2AE8C35A", "D491DB16E7B1C39E86CB086B789F5419",
       "019F9809DE1711858FAAC3A3BA20FBC3"},
      // Square, the authors' vectors.
      {&TCipher_Square::ClassRef(), "000102030405060708090A0B0C0D0E0F", "000102030405060708090A0B0C0D0E0F",
       "7C3491D94994E70F0EC2E7A5CCB5A14F"},
      {&TCipher_Square::ClassRef(), "00000000000000000000000000000000", "00000000000000000000000000000000",
       "3C00428F8ABBC0B84F057CC19C26F8CF"},
      {&TCipher_Square::ClassRef(), "000102030405060708090A0B0C0D0E0F", "C76C696289898137077A4A59FAEEEA4D",
       "88C6FF4B92604C6E66656B02DDAF9F40"},
  };
  for (const auto& v : vectors) {
    SCOPED_TRACE(std::string(v.cls->ClassName()) + " key " + v.key);
    const TBytes key = HexBytes(v.key);
    auto c = Keyed(*v.cls, key, cmECB);
    EXPECT_EQ(HexOf(Encoded(*c, HexBytes(v.plain))), HexOf(HexBytes(v.cipher)));
    EXPECT_EQ(HexOf(Decoded(*c, HexBytes(v.cipher))), HexOf(HexBytes(v.plain)));
  }
}

TEST(ZACipherVectors, RijndaelZADiffersFromAesFor32ByteKeys) {
  const TBytes key = HexBytes("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f");
  const TBytes plain = HexBytes("00112233445566778899aabbccddeeff");
  auto aes = Keyed(TCipher_Rijndael::ClassRef(), key);
  auto za = Keyed(TCipher_RijndaelZA::ClassRef(), key);
  const TBytes viaZA = Encoded(*za, plain);
  EXPECT_NE(HexOf(Encoded(*aes, plain)), HexOf(viaZA));
  EXPECT_EQ(HexOf(Decoded(*za, viaZA)), HexOf(plain));
  // Keys that pad to 16 or 24 bytes agree with AES as well.
  for (size_t n : {1u, 7u, 16u, 17u, 24u}) {
    const TBytes k = Pattern(n, 9);
    EXPECT_EQ(HexOf(Encoded(*Keyed(TCipher_Rijndael::ClassRef(), k), plain)),
              HexOf(Encoded(*Keyed(TCipher_RijndaelZA::ClassRef(), k), plain)))
        << n;
  }
}

TEST(ZACipherVectors, ThreeKeyWideBlockIsThreeDesStagesWithWordExchanges) {
  const TBytes key = HexBytes("0123456789ABCDEF 23456789ABCDEF01 456789ABCDEF0123");
  const TBytes plain = Pattern(48, 3);
  auto wide = Keyed(TCipher_3TDES::ClassRef(), key);
  const TBytes got = Encoded(*wide, plain);

  const EVP_CIPHER* des = EVP_CIPHER_fetch(zacipher_evp::LegacyContext(), "DES-ECB", nullptr);
  ASSERT_NE(des, nullptr);
  const TBytes k1(key.begin(), key.begin() + 8), k2(key.begin() + 8, key.begin() + 16),
      k3(key.begin() + 16, key.end());
  auto exchange = [](TBytes& d) {
    for (size_t b = 0; b < d.size(); b += 24) {
      for (size_t i = 0; i < 4; ++i) std::swap(d[b + 4 + i], d[b + 8 + i]);
      for (size_t i = 0; i < 4; ++i) std::swap(d[b + 12 + i], d[b + 16 + i]);
    }
  };
  TBytes expected = ReferenceEcb(des, k1, plain, true);
  exchange(expected);
  expected = ReferenceEcb(des, k2, expected, false);
  exchange(expected);
  expected = ReferenceEcb(des, k3, expected, true);
  EVP_CIPHER_free(const_cast<EVP_CIPHER*>(des));
  EXPECT_EQ(HexOf(got), HexOf(expected));
  EXPECT_EQ(HexOf(Decoded(*wide, got)), HexOf(plain));
}

TEST(ZACipherVectors, BlowfishWithAnEmptyKeyIsAnAllZeroKey) {
  const TBytes plain = Pattern(16, 4);
  auto empty = TCipher_Blowfish::Create();
  empty->Init(nullptr, 0, nullptr);
  empty->SetMode(cmECB);
  auto zeros = Keyed(TCipher_Blowfish::ClassRef(), TBytes(8, 0));
  EXPECT_EQ(HexOf(Encoded(*empty, plain)), HexOf(Encoded(*zeros, plain)));
}

struct HashVector {
  const THashClass* cls;
  const char* message;
  const char* digest;
};

using ZACipherHashVectors = CipherUnitsTest;

TEST_F(ZACipherHashVectors, PublishedHashVectors) {
  const std::string millionA(1000000, 'a');
  const HashVector vectors[] = {
      // MD4, RFC 1320.
      {&THash_MD4::ClassRef(), "", "31d6cfe0d16ae931b73c59d7e0c089c0"},
      {&THash_MD4::ClassRef(), "a", "bde52cb31de33e46245e05fbdbd6fb24"},
      {&THash_MD4::ClassRef(), "abc", "a448017aaf21d8525fc10ae87aa6729d"},
      {&THash_MD4::ClassRef(), "message digest", "d9130a8164549fe818874806e1c7014b"},
      {&THash_MD4::ClassRef(), "abcdefghijklmnopqrstuvwxyz", "d79e1c308aa5bbcdeea8ed63df412da9"},
      {&THash_MD4::ClassRef(), "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
       "043f8582f241db351ce627e153e7f0e4"},
      {&THash_MD4::ClassRef(), "12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "e33b4ddc9c38f2199c3e7b164fcc0536"},
      // RIPEMD-128 and RIPEMD-256, the authors' vectors.
      {&THash_RipeMD128::ClassRef(), "", "cdf26213a150dc3ecb610f18f6b38b46"},
      {&THash_RipeMD128::ClassRef(), "a", "86be7afa339d0fc7cfc785e72f578d33"},
      {&THash_RipeMD128::ClassRef(), "abc", "c14a12199c66e4ba84636b0f69144c77"},
      {&THash_RipeMD128::ClassRef(), "message digest", "9e327b3d6e523062afc1132d7df9d1b8"},
      {&THash_RipeMD128::ClassRef(), "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "a1aa0689d0fafa2ddc22e88b49133a06"},
      {&THash_RipeMD128::ClassRef(), millionA.c_str(), "4a7f5723f954eba1216c9d8f6320431f"},
      {&THash_RipeMD256::ClassRef(), "", "02ba4c4e5f8ecd1877fc52d64d30e37a2d9774fb1e5d026380ae0168e3c5522d"},
      {&THash_RipeMD256::ClassRef(), "a", "f9333e45d857f5d90a91bab70a1eba0cfb1be4b0783c9acfcd883a9134692925"},
      {&THash_RipeMD256::ClassRef(), "abc", "afbd6e228b9d8cbbcef5ca2d03e6dba10ac0bc7dcbe4680e1e42d2e975459b65"},
      {&THash_RipeMD256::ClassRef(), "message digest",
       "87e971759a1ce47a514d5c914c392c9018c7c46bc14465554afcdf54a5070c0e"},
      {&THash_RipeMD256::ClassRef(), "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "3843045583aac6c8c8d9128573e7a9809afb2a0f34ccc36ea9e72f16f6368e3f"},
      {&THash_RipeMD256::ClassRef(), millionA.c_str(),
       "ac953744e10e31514c150d4d8d7b677342e33399788296e43ae4850ce4f97978"},
  };
  for (const auto& v : vectors) {
    const std::string message = v.message;
    SCOPED_TRACE(std::string(v.cls->ClassName()) + " \"" + message.substr(0, 20) + "\"");
    EXPECT_EQ(v.cls->CalcString(message, nullptr, fmtHEXL), v.digest);
    // The same digest when the message arrives in uneven pieces.
    auto hash = v.cls->Create();
    hash->Init();
    for (size_t i = 0, step = 1; i < message.size(); i += step, step = step * 3 % 67 + 1)
      hash->Calc(message.data() + i, static_cast<Int32>(std::min(step, message.size() - i)));
    hash->Done();
    EXPECT_EQ(HexOf(hash->DigestKey(), static_cast<size_t>(hash->DigestKeySize())), HexOf(HexBytes(v.digest)));
  }
}

TEST_F(ZACipherHashVectors, MD4AgreesWithOpenSSLsLegacyMD4) {
  EVP_MD* md4 = EVP_MD_fetch(zacipher_evp::LegacyContext(), "MD4", nullptr);
  ASSERT_NE(md4, nullptr);
  for (size_t n : {0u, 1u, 55u, 56u, 57u, 63u, 64u, 65u, 119u, 120u, 128u, 1000u, 4097u}) {
    const TBytes data = Pattern(n, static_cast<unsigned>(n));
    unsigned char expected[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    ASSERT_EQ(EVP_Digest(data.data(), data.size(), expected, &length, md4, nullptr), 1);
    EXPECT_EQ(THash_MD4::ClassRef().CalcBuffer(data.data(), static_cast<Int32>(n), nullptr, fmtHEX),
              HexOf(expected, length))
        << n;
  }
  EVP_MD_free(md4);
}

}  // namespace
}  // namespace sk
