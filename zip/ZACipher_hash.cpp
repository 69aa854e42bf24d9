#include "zip/ZACipher_hash.h"

#include <openssl/crypto.h>

#include <algorithm>
#include <cstring>

namespace sk {

namespace {

Cardinal LoadLE32(const Byte* p) {
  return Cardinal(p[0]) | (Cardinal(p[1]) << 8) | (Cardinal(p[2]) << 16) | (Cardinal(p[3]) << 24);
}

void StoreLE32(Byte* p, Cardinal v) {
  p[0] = static_cast<Byte>(v);
  p[1] = static_cast<Byte>(v >> 8);
  p[2] = static_cast<Byte>(v >> 16);
  p[3] = static_cast<Byte>(v >> 24);
}

// RIPEMD message-word orders, rotations and functions of the four rounds
// (left line, then right line).
constexpr Byte kRL[64] = {0, 1, 2,  3,  4,  5,  6,  7,  8,  9, 10, 11, 12, 13, 14, 15,
                          7, 4, 13, 1,  10, 6,  15, 3,  12, 0, 9,  5,  2,  14, 11, 8,
                          3, 10, 14, 4, 9,  15, 8,  1,  2,  7, 0,  6,  13, 11, 5,  12,
                          1, 9, 11, 10, 0,  8,  12, 4,  13, 3, 7,  15, 14, 5,  6,  2};
constexpr Byte kRR[64] = {5,  14, 7,  0, 9, 2,  11, 4, 13, 6,  15, 8,  1,  10, 3,  12,
                          6,  11, 3,  7, 0, 13, 5,  10, 14, 15, 8,  12, 4,  9,  1,  2,
                          15, 5,  1,  3, 7, 14, 6,  9, 11, 8,  12, 2,  10, 0,  4,  13,
                          8,  6,  4,  1, 3, 11, 15, 0, 5,  12, 2,  13, 9,  7,  10, 14};
constexpr Byte kSL[64] = {11, 14, 15, 12, 5,  8,  7,  9,  11, 13, 14, 15, 6,  7,  9,  8,
                          7,  6,  8,  13, 11, 9,  7,  15, 7,  12, 15, 9,  11, 7,  13, 12,
                          11, 13, 6,  7,  14, 9,  13, 15, 14, 8,  13, 6,  5,  12, 7,  5,
                          11, 12, 14, 15, 14, 15, 9,  8,  9,  14, 5,  6,  8,  6,  5,  12};
constexpr Byte kSR[64] = {8,  9,  9,  11, 13, 15, 15, 5,  7,  7,  8,  11, 14, 14, 12, 6,
                          9,  13, 15, 7,  12, 8,  9,  11, 7,  7,  12, 7,  6,  15, 13, 11,
                          9,  7,  15, 11, 8,  6,  6,  14, 12, 13, 5,  14, 13, 13, 7,  5,
                          15, 5,  8,  11, 14, 14, 6,  14, 6,  9,  12, 9,  12, 5,  15, 8};
constexpr Cardinal kKL[4] = {0x00000000, 0x5A827999, 0x6ED9EBA1, 0x8F1BBCDC};
constexpr Cardinal kKR[4] = {0x50A28BE6, 0x5C4DD124, 0x6D703EF3, 0x00000000};

Cardinal RipeF(int f, Cardinal x, Cardinal y, Cardinal z) {
  switch (f) {
    case 0: return x ^ y ^ z;
    case 1: return (x & y) | (~x & z);
    case 2: return (x | ~y) ^ z;
    default: return (x & z) | (y & ~z);
  }
}

// One step of a line: T := ROL(A + f(B, C, D) + X + K, s); A := D; D := C; C := B; B := T.
void RipeStep(Cardinal (&v)[4], int f, Cardinal x, Cardinal k, int s) {
  const Cardinal t = ROL(v[0] + RipeF(f, v[1], v[2], v[3]) + x + k, s);
  v[0] = v[3];
  v[3] = v[2];
  v[2] = v[1];
  v[1] = t;
}

// Both lines of one round (16 steps each).
void RipeRound(int round, const Cardinal* x, Cardinal (&left)[4], Cardinal (&right)[4]) {
  for (int i = 16 * round; i < 16 * round + 16; ++i) {
    RipeStep(left, round, x[kRL[i]], kKL[round], kSL[i]);
    RipeStep(right, 3 - round, x[kRR[i]], kKR[round], kSR[i]);
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// THash

THash::THash(const THashClass* cls, TProtection* protection)
    : TProtection(cls ? cls : &THash::ClassRef(), protection, paAllActions) {}

THash::~THash() = default;

const void* THash::TestVector() const { return GetTestVector(); }

void THash::Init() {}

void THash::Calc(const void*, Int32) {}

void THash::Done() {}

Byte* THash::DigestKey() {
  GetTestVector();
  return nullptr;
}

AnsiString THash::DigestStr(Int32 format) {
  const Byte* digest = DigestKey();
  return StrToFormat(digest, DigestKeySize(), format);
}

bool THash::SelfTest() {
  TestVector();
  return InitTestIsOk;
}

void THash::CodeInit(TPAction action) {
  Init();
  if (action == paWipe) RndXORBuffer(RndTimeSeed(), DigestKey(), DigestKeySize());
  TProtection::CodeInit(action);
}

void THash::CodeDone(TPAction action) {
  TProtection::CodeDone(action);
  if (action == paCalc)
    Done();
  else
    Init();
}

void THash::CodeBuf(void* buffer, Int32 size, TPAction action) {
  if (action != paDecode) TProtection::CodeBuf(buffer, size, action);
  if ((fActions & PActionBit(action)) != 0 && buffer && size > 0) {
    auto* data = static_cast<Byte*>(buffer);
    const Int32 piece = DigestKeySize();
    switch (action) {
      case paCalc:
        Calc(data, size);
        break;
      case paScramble:
      case paWipe:
        // Each digest-sized piece becomes the digest of itself.
        for (Int32 i = 0; piece > 0 && i < size; i += piece) {
          const Int32 n = std::min(piece, size - i);
          Calc(data + i, n);
          Done();
          std::memcpy(data + i, DigestKey(), static_cast<size_t>(n));
        }
        break;
      case paEncode:
      case paDecode:
        // Each piece XORed with the next digest of the running digest.
        for (Int32 i = 0; piece > 0 && i < size; i += piece) {
          const Int32 n = std::min(piece, size - i);
          Calc(DigestKey(), piece);
          Done();
          XORBuffers(data + i, DigestKey(), n, data + i);
        }
        break;
    }
  }
  if (action == paDecode) TProtection::CodeBuf(buffer, size, action);
}

// ---------------------------------------------------------------------------
// THash_MD4 and its frame

THash_MD4::~THash_MD4() {
  OPENSSL_cleanse(FDigest, sizeof(FDigest));
  OPENSSL_cleanse(fDigestBytes, sizeof(fDigestBytes));
  OPENSSL_cleanse(FBuffer, sizeof(FBuffer));
}

const void* THash_MD4::TestVector() const { throw Exception(u"Not implemented 28"); }

void THash_MD4::InitDigest() {
  FDigest[0] = 0x67452301;
  FDigest[1] = 0xEFCDAB89;
  FDigest[2] = 0x98BADCFE;
  FDigest[3] = 0x10325476;
}

void THash_MD4::Init() {
  OPENSSL_cleanse(FDigest, sizeof(FDigest));
  OPENSSL_cleanse(FBuffer, sizeof(FBuffer));
  FCount = 0;
  InitDigest();
}

void THash_MD4::Calc(const void* data, Int32 size) {
  if (!data || size <= 0) return;
  const auto* p = static_cast<const Byte*>(data);
  Cardinal index = FCount & 63u;
  FCount += static_cast<Cardinal>(size);
  Int32 i = 0;
  while (i < size) {
    const Int32 n = std::min<Int32>(64 - static_cast<Int32>(index), size - i);
    std::memcpy(FBuffer + index, p + i, static_cast<size_t>(n));
    index += static_cast<Cardinal>(n);
    i += n;
    if (index == 64) {
      Transform(FBuffer);
      index = 0;
    }
  }
}

void THash_MD4::Done() {
  Cardinal index = FCount & 63u;
  FBuffer[index++] = 0x80;
  if (index > 56) {
    std::memset(FBuffer + index, 0, 64 - index);
    Transform(FBuffer);
    index = 0;
  }
  std::memset(FBuffer + index, 0, 56 - index);
  // The length in bits, computed in 32 bits.
  StoreLE32(FBuffer + 56, FCount << 3);
  StoreLE32(FBuffer + 60, 0);
  Transform(FBuffer);
  for (Int32 i = 0; i < DigestKeySize() / 4; ++i) StoreLE32(fDigestBytes + 4 * i, FDigest[i]);
  // A later Calc without Init goes on from the digest as chaining value.
  OPENSSL_cleanse(FBuffer, sizeof(FBuffer));
  FCount = 0;
}

Byte* THash_MD4::DigestKey() { return fDigestBytes; }

void THash_MD4::Transform(const Byte* block) {
  Cardinal x[16];
  for (int i = 0; i < 16; ++i) x[i] = LoadLE32(block + 4 * i);
  Cardinal a = FDigest[0], b = FDigest[1], c = FDigest[2], d = FDigest[3];
  static constexpr int kS1[4] = {3, 7, 11, 19};
  static constexpr int kS2[4] = {3, 5, 9, 13};
  static constexpr int kS3[4] = {3, 9, 11, 15};
  static constexpr int kK2[16] = {0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15};
  static constexpr int kK3[16] = {0, 8, 4, 12, 2, 10, 6, 14, 1, 9, 5, 13, 3, 11, 7, 15};
  auto rotate = [&](Cardinal t) {
    a = d;
    d = c;
    c = b;
    b = t;
  };
  for (int i = 0; i < 16; ++i) rotate(ROL(a + ((b & c) | (~b & d)) + x[i], kS1[i % 4]));
  for (int i = 0; i < 16; ++i)
    rotate(ROL(a + ((b & c) | (b & d) | (c & d)) + x[kK2[i]] + 0x5A827999u, kS2[i % 4]));
  for (int i = 0; i < 16; ++i) rotate(ROL(a + (b ^ c ^ d) + x[kK3[i]] + 0x6ED9EBA1u, kS3[i % 4]));
  FDigest[0] += a;
  FDigest[1] += b;
  FDigest[2] += c;
  FDigest[3] += d;
  OPENSSL_cleanse(x, sizeof(x));
}

// ---------------------------------------------------------------------------
// RIPEMD-128 and RIPEMD-256

const void* THash_RipeMD128::TestVector() const { throw Exception(u"Not implemented 30"); }

void THash_RipeMD128::Transform(const Byte* block) {
  Cardinal x[16];
  for (int i = 0; i < 16; ++i) x[i] = LoadLE32(block + 4 * i);
  Cardinal left[4] = {FDigest[0], FDigest[1], FDigest[2], FDigest[3]};
  Cardinal right[4] = {FDigest[0], FDigest[1], FDigest[2], FDigest[3]};
  for (int round = 0; round < 4; ++round) RipeRound(round, x, left, right);
  const Cardinal t = FDigest[1] + left[2] + right[3];
  FDigest[1] = FDigest[2] + left[3] + right[0];
  FDigest[2] = FDigest[3] + left[0] + right[1];
  FDigest[3] = FDigest[0] + left[1] + right[2];
  FDigest[0] = t;
  OPENSSL_cleanse(x, sizeof(x));
}

const void* THash_RipeMD256::TestVector() const { throw Exception(u"Not implemented 31"); }

void THash_RipeMD256::InitDigest() {
  THash_MD4::InitDigest();
  FDigest[4] = 0x76543210;
  FDigest[5] = 0xFEDCBA98;
  FDigest[6] = 0x89ABCDEF;
  FDigest[7] = 0x01234567;
}

void THash_RipeMD256::Transform(const Byte* block) {
  Cardinal x[16];
  for (int i = 0; i < 16; ++i) x[i] = LoadLE32(block + 4 * i);
  Cardinal left[4] = {FDigest[0], FDigest[1], FDigest[2], FDigest[3]};
  Cardinal right[4] = {FDigest[4], FDigest[5], FDigest[6], FDigest[7]};
  // After each round the lines exchange one register: A, then B, C and D.
  for (int round = 0; round < 4; ++round) {
    RipeRound(round, x, left, right);
    std::swap(left[round], right[round]);
  }
  for (int i = 0; i < 4; ++i) {
    FDigest[i] += left[i];
    FDigest[i + 4] += right[i];
  }
  OPENSSL_cleanse(x, sizeof(x));
}

}  // namespace sk
