// Square: 8 rounds over a 16-byte block seen as four rows of four bytes, with
// a 16-byte key. A round applies theta (each row times c(x) = 2 + x + x^2 +
// 3x^3 modulo 1 + x^4), gamma (the S-box on each byte), pi (transposition)
// and the round key; the cipher starts with the inverse of theta and the
// first key. Arithmetic is in GF(2^8) modulo x^8 + x^7 + x^6 + x^5 + x^4 +
// x^2 + 1.
//
// The key-schedule area holds the nine round keys in order of encryption,
// then the same keys in order of decryption.

#include <array>
#include <cstring>

#include "zip/ZACipher_ciphers.h"

namespace sk {

namespace {

constexpr Int32 kBlock = 16;
constexpr Int32 kRounds = 8;
constexpr Int32 kDecryptionKeys = (kRounds + 1) * kBlock;
constexpr unsigned kPoly = 0x1F5;

constexpr Byte GfMul(Byte a, Byte b) {
  unsigned r = 0;
  unsigned x = a;
  while (b) {
    if (b & 1) r ^= x;
    x <<= 1;
    if (x & 0x100) x ^= kPoly;
    b >>= 1;
  }
  return static_cast<Byte>(r);
}

// The S-box: the multiplicative inverse followed by an affine map, given by
// the images of the eight unit vectors, plus 0xB1.
constexpr Byte kAffineColumns[8] = {0x7F, 0xDA, 0xBC, 0x78, 0xF0, 0x60, 0xC0, 0x80};

constexpr std::array<Byte, 256> MakeSBox() {
  // Powers of a generator of the multiplicative group give the inverses.
  std::array<Byte, 256> exp{};
  std::array<Byte, 256> log{};
  for (unsigned g = 2; g < 256; ++g) {
    Byte v = 1;
    int order = 0;
    do {
      v = GfMul(v, static_cast<Byte>(g));
      ++order;
    } while (v != 1);
    if (order != 255) continue;
    v = 1;
    for (int i = 0; i < 255; ++i) {
      exp[static_cast<size_t>(i)] = v;
      log[v] = static_cast<Byte>(i);
      v = GfMul(v, static_cast<Byte>(g));
    }
    break;
  }
  std::array<Byte, 256> s{};
  for (int x = 0; x < 256; ++x) {
    const Byte inv = x == 0 ? 0 : exp[static_cast<size_t>((255 - log[static_cast<size_t>(x)]) % 255)];
    Byte y = 0xB1;
    for (int bit = 0; bit < 8; ++bit)
      if (inv & (1 << bit)) y ^= kAffineColumns[bit];
    s[static_cast<size_t>(x)] = y;
  }
  return s;
}

constexpr std::array<Byte, 256> MakeInverse(const std::array<Byte, 256>& s) {
  std::array<Byte, 256> r{};
  for (int x = 0; x < 256; ++x) r[s[static_cast<size_t>(x)]] = static_cast<Byte>(x);
  return r;
}

constexpr std::array<Byte, 256> kSBox = MakeSBox();
constexpr std::array<Byte, 256> kInvSBox = MakeInverse(kSBox);

// theta's polynomial and its inverse (coefficients of x^0 to x^3).
constexpr Byte kTheta[4] = {0x02, 0x01, 0x01, 0x03};
constexpr Byte kInvTheta[4] = {0x0E, 0x09, 0x0D, 0x0B};

// Each row times c(x) modulo 1 + x^4.
void Theta(Byte* s, const Byte (&c)[4]) {
  for (int row = 0; row < 4; ++row) {
    Byte* a = s + 4 * row;
    Byte b[4] = {};
    for (int j = 0; j < 4; ++j)
      for (int i = 0; i < 4; ++i) b[j] ^= GfMul(a[i], c[(j - i + 4) % 4]);
    std::memcpy(a, b, 4);
  }
}

void Gamma(Byte* s, const std::array<Byte, 256>& box) {
  for (int i = 0; i < kBlock; ++i) s[i] = box[s[i]];
}

void Pi(Byte* s) {
  for (int i = 0; i < 4; ++i)
    for (int j = i + 1; j < 4; ++j) std::swap(s[4 * i + j], s[4 * j + i]);
}

void AddKey(Byte* s, const Byte* k) {
  for (int i = 0; i < kBlock; ++i) s[i] ^= k[i];
}

}  // namespace

const void* TCipher_Square::TestVector() const { throw Exception(u"Not implemented 27"); }

void TCipher_Square::Init(const void* key, Int32 size, const void* vector) {
  InitBegin(size);
  Byte* keys = User();
  if (key && size > 0) std::memcpy(keys, key, static_cast<size_t>(size));
  // Each round key from the one before: row 0 takes the last row rotated
  // one byte to the left and the round constant, rows 1 to 3 chain.
  Byte constant = 1;
  for (int t = 1; t <= kRounds; ++t) {
    const Byte* prev = keys + (t - 1) * kBlock;
    Byte* k = keys + t * kBlock;
    for (int j = 0; j < 4; ++j) k[j] = static_cast<Byte>(prev[j] ^ prev[12 + (j + 1) % 4]);
    k[0] ^= constant;
    for (int i = 4; i < kBlock; ++i) k[i] = static_cast<Byte>(prev[i] ^ k[i - 4]);
    constant = GfMul(constant, 2);
  }
  for (int t = 0; t <= kRounds; ++t)
    std::memcpy(keys + kDecryptionKeys + t * kBlock, keys + (kRounds - t) * kBlock, kBlock);
  InitEnd(vector);
}

void TCipher_Square::Encode(void* data) {
  auto* s = static_cast<Byte*>(data);
  const Byte* keys = User();
  Theta(s, kInvTheta);
  AddKey(s, keys);
  for (int t = 1; t <= kRounds; ++t) {
    Theta(s, kTheta);
    Gamma(s, kSBox);
    Pi(s);
    AddKey(s, keys + t * kBlock);
  }
}

void TCipher_Square::Decode(void* data) {
  auto* s = static_cast<Byte*>(data);
  const Byte* keys = User() + kDecryptionKeys;
  for (int t = 0; t < kRounds; ++t) {
    AddKey(s, keys + t * kBlock);
    Pi(s);
    Gamma(s, kInvSBox);
    Theta(s, kInvTheta);
  }
  AddKey(s, keys + kRounds * kBlock);
  Theta(s, kTheta);
}

}  // namespace sk
