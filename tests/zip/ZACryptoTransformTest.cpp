// AES entry encryption: known answers computed apart from the library
// (Python's hashlib and hmac, OpenSSL's AES; tests/zip/data/aes), block sizes,
// the extra field, any split of the data, and damage found by the code.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <random>

#include "HashTestSupport.h"
#include "TestSupport.h"
#include "zip/ZACipher.h"
#include "zip/ZACryptoTransform.h"

namespace sk {
namespace {

struct TKnownAnswer {
  Int32 bits = 0;
  std::map<std::string, TBytes> field;
};

std::vector<TKnownAnswer> LoadKnownAnswers() {
  std::ifstream in(std::string(SK_SOURCE_DIR) + "/tests/zip/data/aes/known-answers.txt");
  std::vector<TKnownAnswer> all;
  std::string key, value;
  while (in >> key >> value) {
    if (key == "bits") {
      all.emplace_back();
      all.back().bits = std::stoi(value);
    } else {
      all.back().field[key] = Hex(value);
    }
  }
  return all;
}

AnsiString AsAnsi(const TBytes& b) { return AnsiString(b.begin(), b.end()); }

class ZACryptoTransform : public ::testing::Test {
 protected:
  void SetUp() override { StartHashRegistry(); }
};

// A reading transform keyed from a start block made of salt and verifier.
std::unique_ptr<TAESCryptoTransform> LoadedTransform(Int32 bits, const AnsiString& password, const TBytes& salt,
                                                     const TBytes& verifier, Word version = 2) {
  auto t = std::make_unique<TAESCryptoTransform>(bits, version, 8);
  t->Initialize(Decryption, TDirItem());
  t->GenerateKey(password);
  TBytes start = salt;
  start.insert(start.end(), verifier.begin(), verifier.end());
  TBytesStream s(start);
  t->LoadFileStorageStartBlock(&s, 0);
  return t;
}

TEST_F(ZACryptoTransform, KnownAnswersOfEachKeySize) {
  const auto answers = LoadKnownAnswers();
  ASSERT_EQ(answers.size(), 3u);
  for (const TKnownAnswer& a : answers) {
    SCOPED_TRACE(a.bits);
    const size_t L = static_cast<size_t>(a.bits / 8);
    const AnsiString password = AsAnsi(a.field.at("password"));
    const TBytes& derived = a.field.at("derived");
    const TBytes verifier(derived.begin() + 2 * L, derived.end());
    const TBytes& plain = a.field.at("plain");
    const TBytes& cipher = a.field.at("cipher");
    const TBytes& mac = a.field.at("mac");

    // Reading: the keys come from the stored salt, derived once.
    auto reader = LoadedTransform(a.bits, password, a.field.at("salt"), verifier);
    EXPECT_EQ(reader->DerivationCount(), 1);
    EXPECT_EQ(reader->GetKey(), TBytes(derived.begin(), derived.begin() + L));
    EXPECT_TRUE(reader->CheckPassword(password, TDirItem()));
    EXPECT_EQ(reader->DerivationCount(), 1);
    TBytes out(cipher.size());
    EXPECT_EQ(reader->DecryptBuffer(cipher.data(), 0, static_cast<Int32>(cipher.size()), out.data(), 0),
              static_cast<Int32>(cipher.size()));
    EXPECT_EQ(out, plain);
    TBytesStream end(mac);
    reader->LoadFileStorageEndBlock(&end, 0);
    EXPECT_FALSE(reader->IsDirItemCorrupted(TDirItem(), 0));

    // Writing with the same keys gives the same cipher text and code.
    auto writer = LoadedTransform(a.bits, password, a.field.at("salt"), verifier);
    TBytes enc(plain.size());
    writer->EncryptBuffer(plain.data(), 0, static_cast<Int32>(plain.size()), enc.data(), 0);
    EXPECT_EQ(enc, cipher);
    EXPECT_EQ(writer->GetFileStorageEndBlock(), mac);
  }
}

TEST_F(ZACryptoTransform, BlockSizesAndFreshSalts) {
  const struct {
    Int32 bits;
    Word start;
  } cases[] = {{128, 10}, {192, 14}, {256, 18}};
  for (const auto& c : cases) {
    TAESCryptoTransform a(c.bits, 2, 8), b(c.bits, 2, 8);
    a.Initialize(Encryption, TDirItem());
    b.Initialize(Encryption, TDirItem());
    a.GenerateKey("pw");
    b.GenerateKey("pw");
    EXPECT_EQ(a.GetFileStorageStartBlockSize(), c.start);
    EXPECT_EQ(a.GetFileStorageStartBlock().size(), c.start);
    EXPECT_EQ(a.GetFileStorageEndBlockSize(), 10u);
    EXPECT_EQ(a.GetFileStorageEndBlock().size(), 10u);
    EXPECT_NE(a.Salt(), b.Salt()) << "salts come from the system's random source";
    EXPECT_EQ(a.DerivationCount(), 1);
  }
}

TEST_F(ZACryptoTransform, ExtraFieldBytes) {
  const struct {
    Int32 bits;
    Word method;
    TBytes bytes;
  } cases[] = {
      {192, 8, B({0x02, 0x00, 0x41, 0x45, 0x02, 0x08, 0x00})},
      {128, 0, B({0x02, 0x00, 0x41, 0x45, 0x01, 0x00, 0x00})},
      {256, 8, B({0x02, 0x00, 0x41, 0x45, 0x03, 0x08, 0x00})},
  };
  for (const auto& c : cases) {
    const TZAExtraFieldDataBlock block = TAESCryptoTransform(c.bits, 2, c.method).GetExtraFieldData();
    EXPECT_EQ(block.headerID, 0x9901);
    EXPECT_EQ(block.dataSize, 7);
    EXPECT_EQ(block.pData, c.bytes) << c.bits;
  }
}

TEST_F(ZACryptoTransform, AnySplitIntoBuffersGivesTheSameBytes) {
  std::mt19937 rng(7);
  TBytes plain(1000);
  for (Byte& b : plain) b = static_cast<Byte>(rng());
  TAESCryptoTransform writer(256, 2, 8);
  writer.Initialize(Encryption, TDirItem());
  writer.GenerateKey("split");
  TBytes whole(plain.size());
  writer.EncryptBuffer(plain.data(), 0, static_cast<Int32>(plain.size()), whole.data(), 0);
  const TBytes mac = writer.GetFileStorageEndBlock();

  const std::vector<std::vector<Int32>> splits = {{1, 15, 16, 17, 333}, {16, 16, 16}, {999}, {7, 0, 500}};
  for (const auto& split : splits) {
    // Encrypting in pieces, with the same salt, gives the same text.
    auto again = LoadedTransform(256, "split", writer.Salt(), writer.PasswordVerificationValue());
    TBytes enc(plain.size());
    size_t at = 0;
    for (Int32 n : split) {
      again->EncryptBuffer(plain.data(), static_cast<Int64>(at), n, enc.data(), static_cast<Int64>(at));
      at += static_cast<size_t>(n);
    }
    again->EncryptBuffer(plain.data(), static_cast<Int64>(at), static_cast<Int32>(plain.size() - at), enc.data(),
                         static_cast<Int64>(at));
    EXPECT_EQ(enc, whole);
    EXPECT_EQ(again->GetFileStorageEndBlock(), mac);

    // Decrypting in pieces gives the plain text and an intact code.
    auto reader = LoadedTransform(256, "split", writer.Salt(), writer.PasswordVerificationValue());
    TBytes dec(plain.size());
    at = 0;
    for (Int32 n : split) {
      reader->DecryptBuffer(whole.data(), static_cast<Int64>(at), n, dec.data(), static_cast<Int64>(at));
      at += static_cast<size_t>(n);
    }
    reader->DecryptBuffer(whole.data(), static_cast<Int64>(at), static_cast<Int32>(plain.size() - at), dec.data(),
                          static_cast<Int64>(at));
    EXPECT_EQ(dec, plain);
    TBytesStream end(mac);
    reader->LoadFileStorageEndBlock(&end, 0);
    EXPECT_FALSE(reader->IsDirItemCorrupted(TDirItem(), 0));
  }
}

TEST_F(ZACryptoTransform, DamageIsCaughtWhileTheVerifierStillMatches) {
  TAESCryptoTransform writer(128, 2, 8);
  writer.Initialize(Encryption, TDirItem());
  writer.GenerateKey("pw");
  TBytes data(300, 0x41);
  writer.EncryptBuffer(data.data(), 0, 300, data.data(), 0);
  const TBytes mac = writer.GetFileStorageEndBlock();

  enum What { kNothing, kDataByte, kCodeByte, kNoCode, kTwice };
  for (What what : {kNothing, kDataByte, kCodeByte, kNoCode, kTwice}) {
    auto reader = LoadedTransform(128, "pw", writer.Salt(), writer.PasswordVerificationValue());
    EXPECT_TRUE(reader->CheckPassword("pw", TDirItem()));
    TBytes stored = data;
    if (what == kDataByte) stored[150] ^= 0x01;
    TBytes out(stored.size());
    reader->DecryptBuffer(stored.data(), 0, static_cast<Int32>(stored.size()), out.data(), 0);
    TBytes code = mac;
    if (what == kCodeByte) code[9] ^= 0x80;
    if (what != kNoCode) {
      TBytesStream end(code);
      reader->LoadFileStorageEndBlock(&end, 0);
    }
    const bool corrupted = reader->IsDirItemCorrupted(TDirItem(), 0);
    EXPECT_EQ(corrupted, what != kNothing && what != kTwice) << what;
    if (what == kTwice) {
      EXPECT_TRUE(reader->IsDirItemCorrupted(TDirItem(), 0)) << "the code is final once";
    }
  }
}

TEST_F(ZACryptoTransform, TheStoredVerifierIsWhatThePasswordIsCheckedAgainst) {
  TAESCryptoTransform writer(192, 2, 8);
  writer.Initialize(Encryption, TDirItem());
  writer.GenerateKey("right");
  TBytes verifier = writer.PasswordVerificationValue();

  auto good = LoadedTransform(192, "anything", writer.Salt(), verifier);
  EXPECT_TRUE(good->CheckPassword("right", TDirItem()));
  EXPECT_FALSE(good->CheckPassword("wrong", TDirItem()));

  verifier[0] ^= 0xFF;
  auto bad = LoadedTransform(192, "right", writer.Salt(), verifier);
  EXPECT_FALSE(bad->CheckPassword("right", TDirItem()));
}

TEST_F(ZACryptoTransform, ANewPasswordDerivesAgainAndOnlyOnce) {
  TAESCryptoTransform writer(256, 2, 8);
  writer.Initialize(Encryption, TDirItem());
  writer.GenerateKey("right");

  auto reader = LoadedTransform(256, "wrong", writer.Salt(), writer.PasswordVerificationValue());
  EXPECT_EQ(reader->DerivationCount(), 1);
  EXPECT_FALSE(reader->CheckPassword("wrong", TDirItem()));
  EXPECT_EQ(reader->DerivationCount(), 1);
  reader->GenerateKey("right");
  EXPECT_EQ(reader->DerivationCount(), 2);
  EXPECT_TRUE(reader->CheckPassword("right", TDirItem()));
  EXPECT_EQ(reader->GetKey(), writer.GetKey());
  EXPECT_EQ(reader->DerivationCount(), 2);
}

TEST_F(ZACryptoTransform, VersionOneAlsoChecksTheCrc) {
  TAESCryptoTransform writer(128, 1, 8);
  writer.Initialize(Encryption, TDirItem());
  writer.GenerateKey("pw");
  TBytes data(40, 7);
  writer.EncryptBuffer(data.data(), 0, 40, data.data(), 0);
  const TBytes mac = writer.GetFileStorageEndBlock();
  TDirItem item;
  item.CentralDir.crc32 = 0x12345678;
  for (Cardinal crc : {0x12345678u, 0x12345679u}) {
    auto reader = LoadedTransform(128, "pw", writer.Salt(), writer.PasswordVerificationValue(), 1);
    TBytes out(40);
    reader->DecryptBuffer(data.data(), 0, 40, out.data(), 0);
    TBytesStream end(mac);
    reader->LoadFileStorageEndBlock(&end, 0);
    EXPECT_EQ(reader->IsDirItemCorrupted(item, crc), crc != item.CentralDir.crc32);
  }
}

TEST_F(ZACryptoTransform, VendorVersionAndKeyBits) {
  TDirItem item;
  EXPECT_EQ(AESVendorVersionOf(item), 2);
  TZAExtraFieldDataBlock v1;
  v1.headerID = 0x9901;
  v1.pData = B({0x01, 0x00, 0x41, 0x45, 0x01, 0x08, 0x00});
  item.ExtraFields.push_back(v1);
  EXPECT_EQ(AESVendorVersionOf(item), 1);
  item.ExtraFields[0].pData = B({0x01});  // too short to say
  EXPECT_EQ(AESVendorVersionOf(item), 2);
  EXPECT_EQ(AESKeyBitsOf(caAES_128), 128);
  EXPECT_EQ(AESKeyBitsOf(caAES_192), 192);
  EXPECT_EQ(AESKeyBitsOf(caAES_256), 256);
  EXPECT_EQ(AESKeyBitsOf(caPkzipClassic), 0);
}

TEST_F(ZACryptoTransform, ShortStartOrEndBlocksRaiseTheReadError) {
  auto t = std::make_unique<TAESCryptoTransform>(256, 2, 8);
  t->Initialize(Decryption, TDirItem());
  t->GenerateKey("pw");
  TBytesStream shortStart(TBytes(17, 1));
  EXPECT_THROW(t->LoadFileStorageStartBlock(&shortStart, 0), EReadError);
  TBytesStream shortEnd(TBytes(9, 1));
  EXPECT_THROW(t->LoadFileStorageEndBlock(&shortEnd, 0), EReadError);
  EXPECT_TRUE(t->IsDirItemCorrupted(TDirItem(), 0));
}

}  // namespace
}  // namespace sk
