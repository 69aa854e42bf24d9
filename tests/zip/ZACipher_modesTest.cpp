// The cipher base: key set-up, context sizes, the nine modes, counter mode.
#include <algorithm>
#include <cstring>

#include "TestSupport.h"
#include "tests/zip/CipherTestSupport.h"
#include "zip/ZACryptConst.h"

namespace sk {
namespace {

const TCipherClass* const kAllCiphers[] = {
    &TCipher_Rijndael::ClassRef(), &TCipher_RijndaelZA::ClassRef(), &TCipher_Blowfish::ClassRef(),
    &TCipher_1DES::ClassRef(),     &TCipher_3DES::ClassRef(),       &TCipher_3TDES::ClassRef(),
    &TCipher_Twofish::ClassRef(),  &TCipher_Square::ClassRef(),
};

TEST(ZACipherContext, SizesPerClass) {
  struct Row {
    const TCipherClass* cls;
    Int32 block, key, user;
  };
  const Row rows[] = {
      {&TCipher_Rijndael::ClassRef(), 16, 32, 480}, {&TCipher_RijndaelZA::ClassRef(), 16, 32, 480},
      {&TCipher_Blowfish::ClassRef(), 8, 56, 4168}, {&TCipher_1DES::ClassRef(), 8, 8, 256},
      {&TCipher_3DES::ClassRef(), 8, 24, 768},      {&TCipher_3TDES::ClassRef(), 24, 24, 768},
      {&TCipher_Twofish::ClassRef(), 16, 32, 4256}, {&TCipher_Square::ClassRef(), 16, 16, 288},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.cls->ClassName());
    Int32 b = 0, k = 0, u = 0;
    r.cls->GetContext(b, k, u);
    EXPECT_EQ(b, r.block);
    EXPECT_EQ(k, r.key);
    EXPECT_EQ(u, r.user);
    auto c = r.cls->Create();
    EXPECT_EQ(c->BufSize(), r.block);
    EXPECT_EQ(c->MaxKeySize(), r.key);
    EXPECT_EQ(c->UserSize(), r.user);
    EXPECT_EQ(c->Mode(), cmCTS);  // a new cipher starts in CTS
    EXPECT_EQ(c->ClassType(), r.cls);
  }
}

TEST(ZACipherKeys, ShortKeysArePaddedWithZeros) {
  const TBytes plain = Pattern(32, 2);
  for (size_t n : {0u, 5u, 16u, 20u, 24u, 31u}) {
    const TBytes key = Pattern(n, 7);
    TBytes padded = key;
    padded.resize(n <= 16 ? 16 : n <= 24 ? 24 : 32, 0);
    auto c = Keyed(TCipher_Rijndael::ClassRef(), key);
    EXPECT_EQ(static_cast<TCipher_Rijndael&>(*c).Rounds(), n <= 16 ? 10 : n <= 24 ? 12 : 14);
    EXPECT_EQ(HexOf(Encoded(*c, plain)), HexOf(ReferenceEcb(AesEcbFor(padded.size()), padded, plain))) << n;
  }
}

TEST(ZACipherKeys, ALongKeyIsCutOrRefused) {
  const TBytes key = Pattern(40, 11);
  const TBytes first32(key.begin(), key.begin() + 32);
  const TBytes plain = Pattern(16, 1);
  auto c = Keyed(TCipher_Rijndael::ClassRef(), key);
  EXPECT_EQ(HexOf(Encoded(*c, plain)), HexOf(ReferenceEcb(EVP_aes_256_ecb(), first32, plain)));

  CheckCipherKeySize = true;
  auto d = TCipher_Rijndael::Create();
  try {
    d->Init(key.data(), 40, nullptr);
    ADD_FAILURE() << "no exception";
  } catch (const ECipherException& e) {
    EXPECT_EQ(e.ErrorCode, 2);
    EXPECT_EQ(e.Message(),
              u"Length from Encryptionkey is invalid.\r\nKeysize for TCipher_Rijndael must be to 0-32 bytes");
  }
  CheckCipherKeySize = false;
  EXPECT_FALSE(d->GetFlag(1));
}

TEST(ZACipherKeys, CodingBeforeAKeyRaisesCode3) {
  for (const TCipherClass* cls : kAllCiphers) {
    auto c = cls->Create();
    Byte data[24] = {};
    try {
      c->EncodeBuffer(data, data, 8);
      ADD_FAILURE() << cls->ClassName();
    } catch (const ECipherException& e) {
      EXPECT_EQ(e.ErrorCode, 3);
      EXPECT_EQ(e.Message(), Utf8ToString(cls->ClassName()) + u" is not initialized call Init() or InitKey() before.");
    }
    EXPECT_THROW(c->DecodeBuffer(data, data, 8), ECipherException);
    EXPECT_THROW(c->CodeInit(paEncode), ECipherException);
  }
}

TEST(ZACipherKeys, KeyBytesCreatorReplacesTheCallersBlock) {
  const TBytes original = Pattern(20, 5);
  TBytes block = original;
  auto c = TCipher_Rijndael::Create(block, 20);
  EXPECT_TRUE(c->GetFlag(0));
  EXPECT_TRUE(c->GetFlag(1));
  EXPECT_EQ(c->Actions(), 0);  // outside any chain
  ASSERT_EQ(block.size(), original.size());
  EXPECT_NE(block, original);
  // The new block is the key encrypted under itself in the starting mode.
  auto check = TCipher_Rijndael::Create();
  check->Init(original.data(), 20, nullptr);
  EXPECT_EQ(HexOf(block), HexOf(Encoded(*check, original)));
  // A length beyond the block reads only the block.
  TBytes shortBlock = Pattern(4, 6);
  auto d = TCipher_Rijndael::Create(shortBlock, 64);
  EXPECT_EQ(shortBlock.size(), 4u);
  // An empty block sets no key.
  TBytes none;
  EXPECT_FALSE(TCipher_Rijndael::Create(none, 16)->GetFlag(1));
}

using ZACipherKeysWithFormats = CipherUnitsTest;

TEST_F(ZACipherKeysWithFormats, PasswordKeyIsTheCipherKeyedWithRipeMD256OfThePassword) {
  const AnsiString password = "correct horse";
  auto c = TCipher_Rijndael::Create(password);
  EXPECT_TRUE(c->GetFlag(0));
  EXPECT_EQ(c->HashClass(), &THash_RipeMD256::ClassRef());
  const AnsiString digest = THash_RipeMD256::ClassRef().CalcString(password, nullptr, fmtCOPY);
  const TBytes key(digest.begin(), digest.end());
  const TBytes plain = Pattern(16, 8);
  c->SetMode(cmECB);
  EXPECT_EQ(HexOf(Encoded(*c, plain)), HexOf(ReferenceEcb(EVP_aes_256_ecb(), key, plain)));
  // The hash object no longer holds the plain digest.
  EXPECT_NE(HexOf(c->GetHash()->DigestKey(), 32), HexOf(key));
  // Another hash class gives another key.
  auto m = TCipher_Rijndael::Create();
  m->SetHashClass(&THash_MD4::ClassRef());
  m->InitKey(password);
  m->SetMode(cmECB);
  const AnsiString md4 = THash_MD4::ClassRef().CalcString(password, nullptr, fmtCOPY);
  EXPECT_EQ(HexOf(Encoded(*m, plain)), HexOf(ReferenceEcb(EVP_aes_128_ecb(), TBytes(md4.begin(), md4.end()), plain)));
}

TEST_F(ZACipherKeysWithFormats, PasswordDigestIsWipedInEveryMode) {
  const AnsiString password = "correct horse";
  const AnsiString digest = THash_RipeMD256::ClassRef().CalcString(password, nullptr, fmtCOPY);
  const TBytes key(digest.begin(), digest.end());
  const TBytes plain = Pattern(16, 8);
  for (TCipherMode mode : {cmCTS, cmCBC, cmCFB, cmOFB, cmCTR, cmECB, cmCTSMAC, cmCBCMAC, cmCFBMAC}) {
    auto c = TCipher_Rijndael::Create();
    c->SetMode(mode);
    c->InitKey(password);
    EXPECT_EQ(HexOf(c->GetHash()->DigestKey(), 32), HexOf(TBytes(32, 0))) << mode;
    // The key is still the digest.
    c->SetMode(cmECB);
    EXPECT_EQ(HexOf(Encoded(*c, plain)), HexOf(ReferenceEcb(EVP_aes_256_ecb(), key, plain))) << mode;
  }
}

TEST(ZACipherKeys, ProtectWipesAndResetsVectors) {
  auto c = Keyed(TCipher_Rijndael::ClassRef(), Pattern(16), cmCBC);
  Encoded(*c, Pattern(40));
  c->Protect();
  EXPECT_FALSE(c->GetFlag(0));
  EXPECT_FALSE(c->GetFlag(1));
  for (Int32 i = 0; i < 16; ++i) {
    EXPECT_EQ(c->Vector()[i], 0xFF);
    EXPECT_EQ(c->Feedback()[i], 0xFF);
    EXPECT_EQ(c->Buffer()[i], 0);
  }
}

TEST(ZACipherKeys, DoneKeepsTheLastChainingValue) {
  const TBytes vector = Pattern(16, 3);
  auto c = TCipher_Rijndael::Create();
  const TBytes key = Pattern(16);
  c->Init(key.data(), 16, vector.data());
  EXPECT_EQ(HexOf(c->Vector(), 16), HexOf(vector));
  c->SetMode(cmCBC);
  const TBytes out = Encoded(*c, Pattern(32, 4));
  c->Done();
  EXPECT_EQ(HexOf(c->Buffer(), 16), HexOf(TBytes(out.begin() + 16, out.end())));
  EXPECT_EQ(HexOf(c->Feedback(), 16), HexOf(vector));
}

// ---------------------------------------------------------------------------
// Modes

TEST(ZACipherModes, CBCOnTwentyBytes) {
  const TBytes key = Pattern(16, 1);
  const TBytes plain = Pattern(20, 2);
  auto c = Keyed(TCipher_Rijndael::ClassRef(), key, cmCBC);
  const TBytes out = Encoded(*c, plain);

  // Without a vector the initial vector is the encrypted all-0xFF block.
  const TBytes F = ReferenceEcb(EVP_aes_128_ecb(), key, TBytes(16, 0xFF));
  TBytes first(plain.begin(), plain.begin() + 16);
  for (size_t i = 0; i < 16; ++i) first[i] ^= F[i];
  const TBytes c1 = ReferenceEcb(EVP_aes_128_ecb(), key, first);
  const TBytes stream = ReferenceEcb(EVP_aes_128_ecb(), key, c1);
  TBytes expected = c1;
  for (size_t i = 0; i < 4; ++i) expected.push_back(static_cast<Byte>(plain[16 + i] ^ stream[i]));
  EXPECT_EQ(HexOf(out), HexOf(expected));
}

TEST(ZACipherModes, DataModesDecodeWhatTheyEncode) {
  const TCipherMode modes[] = {cmCTS, cmCBC, cmCFB, cmOFB, cmCTR, cmECB};
  for (const TCipherClass* cls : kAllCiphers) {
    const TBytes key = Pattern(static_cast<size_t>(cls->MaxKeySize()), 21);
    for (TCipherMode mode : modes) {
      auto enc = Keyed(*cls, key, mode);
      auto dec = Keyed(*cls, key, mode);
      for (Int32 size : {0, 1, 15, 16, 17, 4101}) {
        SCOPED_TRACE(std::string(cls->ClassName()) + " mode " + std::to_string(mode) + " size " + std::to_string(size));
        const TBytes plain = Pattern(static_cast<size_t>(size), static_cast<unsigned>(size));
        const TBytes coded = Encoded(*enc, plain);
        if (size >= 16) {
          EXPECT_NE(coded, plain);
        }
        TBytes back = Decoded(*dec, coded);
        if (mode == cmECB) {
          // The tail of ECB is not decodable; whole blocks are.
          const size_t whole = plain.size() / static_cast<size_t>(enc->BufSize()) * static_cast<size_t>(enc->BufSize());
          EXPECT_EQ(HexOf(TBytes(back.begin(), back.begin() + static_cast<long>(whole))),
                    HexOf(TBytes(plain.begin(), plain.begin() + static_cast<long>(whole))));
        } else {
          EXPECT_EQ(HexOf(back), HexOf(plain));
        }
        enc->Done();
        dec->Done();
      }
    }
  }
}

TEST(ZACipherModes, InPlaceEqualsSeparateBuffers) {
  for (TCipherMode mode : {cmCTS, cmCBC, cmCFB, cmOFB, cmCTR, cmECB}) {
    const TBytes plain = Pattern(100, 9);
    auto a = Keyed(TCipher_Twofish::ClassRef(), Pattern(32), mode);
    auto b = Keyed(TCipher_Twofish::ClassRef(), Pattern(32), mode);
    TBytes inPlace = plain;
    a->EncodeBuffer(inPlace.data(), inPlace.data(), 100);
    EXPECT_EQ(HexOf(inPlace), HexOf(Encoded(*b, plain))) << mode;
    auto d = Keyed(TCipher_Twofish::ClassRef(), Pattern(32), mode);
    d->DecodeBuffer(inPlace.data(), inPlace.data(), 100);
    if (mode != cmECB) {
      EXPECT_EQ(HexOf(inPlace), HexOf(plain)) << mode;
    }
  }
}

TEST(ZACipherModes, MacModesWriteNothingAndDecodeAsTheyEncode) {
  for (TCipherMode mode : {cmCTSMAC, cmCBCMAC, cmCFBMAC}) {
    const TBytes plain = Pattern(37, 4);
    auto a = Keyed(TCipher_Rijndael::ClassRef(), Pattern(16), mode);
    auto b = Keyed(TCipher_Rijndael::ClassRef(), Pattern(16), mode);
    TBytes dest(37, 0x5A);
    a->EncodeBuffer(plain.data(), dest.data(), 37);
    EXPECT_EQ(dest, TBytes(37, 0x5A)) << mode;
    TBytes inPlace = plain;
    b->DecodeBuffer(inPlace.data(), inPlace.data(), 37);
    EXPECT_EQ(inPlace, plain) << mode;
    // Both moved their feedback registers alike, away from the vector.
    EXPECT_EQ(HexOf(a->Feedback(), 16), HexOf(b->Feedback(), 16)) << mode;
    EXPECT_NE(HexOf(a->Feedback(), 16), HexOf(a->Vector(), 16)) << mode;
  }
  // CBC-MAC of whole blocks is the last CBC block.
  const TBytes plain = Pattern(48, 6);
  auto mac = Keyed(TCipher_Rijndael::ClassRef(), Pattern(16), cmCBCMAC);
  auto cbc = Keyed(TCipher_Rijndael::ClassRef(), Pattern(16), cmCBC);
  Encoded(*mac, plain);
  const TBytes out = Encoded(*cbc, plain);
  EXPECT_EQ(HexOf(mac->Feedback(), 16), HexOf(TBytes(out.end() - 16, out.end())));
}

// ---------------------------------------------------------------------------
// Counter mode

TBytes CounterBlock(UInt64 counter) {
  TBytes b(16, 0);
  for (int i = 0; i < 8; ++i) b[static_cast<size_t>(i)] = static_cast<Byte>(counter >> (8 * i));
  return b;
}

TEST(ZACipherCTR, FirstBlockIsInputXorTheEncryptedCounterOne) {
  TBytes key = Pattern(32, 17);
  const TBytes original = key;
  auto c = TCipher_Rijndael::Create(key, 32);
  c->SetMode(cmCTR);
  const TBytes plain = Pattern(16, 2);
  const TBytes out = Encoded(*c, plain);
  const TBytes stream = ReferenceEcb(EVP_aes_256_ecb(), original, CounterBlock(1));
  for (size_t i = 0; i < 16; ++i) EXPECT_EQ(out[i], plain[i] ^ stream[i]) << i;
}

TEST(ZACipherCTR, TwoNewObjectsAgreeAndOneObjectRunsOn) {
  const TBytes key = Pattern(32, 1);
  const TBytes plain = Pattern(100, 2);
  auto a = Keyed(TCipher_Rijndael::ClassRef(), key, cmCTR);
  auto b = Keyed(TCipher_Rijndael::ClassRef(), key, cmCTR);
  const TBytes first = Encoded(*a, plain);
  EXPECT_EQ(first, Encoded(*b, plain));
  // The same object continues the key stream: a second call differs.
  EXPECT_NE(Encoded(*a, plain), first);
}

TEST(ZACipherCTR, AnySplitOfTheInputGivesTheSameBytes) {
  const TBytes key = Pattern(16, 3);
  const TBytes plain = Pattern(5000, 4);
  auto whole = Keyed(TCipher_Rijndael::ClassRef(), key, cmCTR);
  const TBytes expected = Encoded(*whole, plain);
  for (Int32 step : {1, 3, 15, 16, 17, 100, 4095, 4096, 4097}) {
    auto c = Keyed(TCipher_Rijndael::ClassRef(), key, cmCTR);
    TBytes out(plain.size());
    for (Int32 i = 0; i < 5000; i += step) {
      const Int32 n = std::min(step, 5000 - i);
      c->EncodeBuffer(plain.data() + i, out.data() + i, n);
    }
    EXPECT_EQ(HexOf(out), HexOf(expected)) << step;
  }
}

TEST(ZACipherCTR, SeparateAndOverlappingBuffersAcrossBatches) {
  // Each AES key size; sizes around the batches of counter blocks and the
  // groups of eight, with partial blocks.
  for (const auto& [key, ecb] :
       {std::pair{Pattern(16, 7), EVP_aes_128_ecb()}, std::pair{Pattern(24, 7), EVP_aes_192_ecb()},
        std::pair{Pattern(32, 7), EVP_aes_256_ecb()}})
    for (Int32 size : {15, 16 * 7 + 3, 4097, 16383, 16384, 16385, 40000, 65536 + 5}) {
      const TBytes plain = Pattern(static_cast<size_t>(size), 2);
      TBytes counters;
      for (Int32 b = 0; b * 16 < size; ++b) {
        const TBytes block = CounterBlock(static_cast<UInt64>(b + 1));
        counters.insert(counters.end(), block.begin(), block.end());
      }
      const TBytes stream = ReferenceEcb(ecb, key, counters);
      TBytes expected(plain.size());
      for (size_t i = 0; i < plain.size(); ++i) expected[i] = static_cast<Byte>(plain[i] ^ stream[i]);
      // The destination: the source itself, before or after it in one buffer
      // (overlapping), or a buffer of its own.
      for (Int32 shift : {0, -5, -16, 7, 16, 1 << 20}) {
        SCOPED_TRACE(std::to_string(key.size()) + "-byte key, " + std::to_string(size) + " shifted " +
                     std::to_string(shift));
        const size_t from = 32;
        TBytes room(from, 0xEE);
        room.insert(room.end(), plain.begin(), plain.end());
        room.resize(room.size() + 32, 0xEE);
        TBytes separate(plain.size(), 0xEE);
        Byte* dest = shift == (1 << 20) ? separate.data() : room.data() + static_cast<long>(from) + shift;
        auto c = Keyed(TCipher_Rijndael::ClassRef(), key, cmCTR);
        // In two calls, so that the second starts inside a key-stream block
        // (one call where the destination lies ahead in the source: the first
        // call's output would overwrite the second call's input).
        const Int32 first = shift > 0 && shift < (1 << 20) ? size : std::min(size, 9);
        c->EncodeBuffer(room.data() + from, dest, first);
        c->EncodeBuffer(room.data() + from + first, dest + first, size - first);
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), dest));
      }
    }
}

// What the calls just made left in the stack below the caller's frame, as a
// function called there finds it. The area spans the counter mode's batch
// room (16 KiB) and the frames below it.
__attribute__((noinline)) void CopyDeadStack(TBytes& into) {
  Byte area[32768];
  asm volatile("" : : "r"(area) : "memory");  // taken as written, never as unset
  into.assign(area, area + sizeof area);
}

// The key stream of counter mode (the output of zeros) is not left behind in
// the stack when the cipher returns: neither in its own buffers nor where
// the compiler spilled vector registers, nor in registers that a later save
// (the dynamic linker's) puts there. Both AES key sizes of the processor's
// path, with whole groups of eight blocks and a tail; a key of its own for
// each case, so that the test's own copies of an earlier key stream are
// never taken for the cipher's.
TEST(ZACipherCTR, TheKeyStreamIsNotLeftOnTheStack) {
#if defined(SK_UNDER_ASAN)
  GTEST_SKIP() << "the address sanitizer moves stack frames and locals apart";
#endif
  Byte seed = 9;
  for (Int32 keySize : {16, 32})
    for (size_t blocks : {size_t{8}, size_t{64}, size_t{64 + 5}}) {
      auto c = Keyed(TCipher_Rijndael::ClassRef(), Pattern(static_cast<size_t>(keySize), ++seed), cmCTR);
      const TBytes zeros(blocks * 16, 0);
      TBytes stream(zeros.size());
      TBytes dead;
      dead.reserve(32768);
      c->EncodeBuffer(zeros.data(), stream.data(), static_cast<Int32>(zeros.size()));
      CopyDeadStack(dead);
      for (size_t at = 0; at < stream.size(); at += 16) {
        const auto found = std::search(dead.begin(), dead.end(), stream.begin() + static_cast<long>(at),
                                       stream.begin() + static_cast<long>(at + 16));
        EXPECT_EQ(found, dead.end()) << keySize << "-byte key, " << blocks << " blocks: block " << at / 16;
      }
    }
}

TEST(ZACipherCTR, CounterCarriesIntoByteOneAtBlock256) {
  const TBytes key = Pattern(16, 5);
  auto c = Keyed(TCipher_Rijndael::ClassRef(), key, cmCTR);
  const TBytes zeros(16 * 260, 0);
  const TBytes stream = Encoded(*c, zeros);
  for (UInt64 counter : {1u, 255u, 256u, 257u, 260u}) {
    const TBytes expected = ReferenceEcb(EVP_aes_128_ecb(), key, CounterBlock(counter));
    const size_t at = (counter - 1) * 16;
    EXPECT_EQ(HexOf(TBytes(stream.begin() + static_cast<long>(at), stream.begin() + static_cast<long>(at + 16))),
              HexOf(expected))
        << counter;
  }
}

TEST(ZACipherCTR, CounterKeepsTheNonceBytesAboveEight) {
  // With a 24-byte block only bytes 0 to 7 count; the rest stay zero.
  auto c = Keyed(TCipher_3TDES::ClassRef(), Pattern(24, 1), cmCTR);
  auto ecb = Keyed(TCipher_3TDES::ClassRef(), Pattern(24, 1), cmECB);
  const TBytes stream = Encoded(*c, TBytes(48, 0));
  TBytes counters(48, 0);
  counters[0] = 1;
  counters[24] = 2;
  EXPECT_EQ(HexOf(stream), HexOf(Encoded(*ecb, counters)));
}

TEST(ZACipherCTR, ANewKeyRestartsTheCounter) {
  const TBytes key1 = Pattern(16, 1);
  const TBytes key2 = Pattern(16, 2);
  const TBytes plain = Pattern(40, 3);
  auto c = Keyed(TCipher_Rijndael::ClassRef(), key1, cmCTR);
  Encoded(*c, Pattern(21, 9));  // leaves the position inside a block
  c->Init(key2.data(), 16, nullptr);
  auto fresh = Keyed(TCipher_Rijndael::ClassRef(), key2, cmCTR);
  EXPECT_EQ(HexOf(Encoded(*c, plain)), HexOf(Encoded(*fresh, plain)));
}

TEST(ZACipherCTR, DoneDoesNotTouchTheCounter) {
  const TBytes key = Pattern(16, 1);
  auto a = Keyed(TCipher_Rijndael::ClassRef(), key, cmCTR);
  auto b = Keyed(TCipher_Rijndael::ClassRef(), key, cmCTR);
  const TBytes plain = Pattern(30, 2);
  TBytes out(60);
  a->EncodeBuffer(plain.data(), out.data(), 30);
  a->Done();
  a->EncodeBuffer(plain.data(), out.data() + 30, 30);
  TBytes twice = plain;
  twice.insert(twice.end(), plain.begin(), plain.end());
  EXPECT_EQ(HexOf(out), HexOf(Encoded(*b, twice)));
}

}  // namespace
}  // namespace sk
