// Twofish: 16 rounds over 16-byte blocks with 128-, 192- or 256-bit keys
// (shorter keys padded with zero bytes to the next of these lengths).
//
// The key-schedule area holds the 40 round subkeys followed by the four
// key-dependent tables of g (each S-box chain with its MDS column folded in).
#include <openssl/crypto.h>

#include <array>
#include <cstring>

#include "zip/ZACipher_ciphers.h"

namespace sk {

namespace {

constexpr Int32 kSubkeys = 40;
constexpr Int32 kTablesOffset = kSubkeys * 4;

// The 4-bit tables that build the fixed permutations q0 and q1.
constexpr Byte kQ0T[4][16] = {{0x8, 0x1, 0x7, 0xD, 0x6, 0xF, 0x3, 0x2, 0x0, 0xB, 0x5, 0x9, 0xE, 0xC, 0xA, 0x4},
                              {0xE, 0xC, 0xB, 0x8, 0x1, 0x2, 0x3, 0x5, 0xF, 0x4, 0xA, 0x6, 0x7, 0x0, 0x9, 0xD},
                              {0xB, 0xA, 0x5, 0xE, 0x6, 0xD, 0x9, 0x0, 0xC, 0x8, 0xF, 0x3, 0x2, 0x4, 0x7, 0x1},
                              {0xD, 0x7, 0xF, 0x4, 0x1, 0x2, 0x6, 0xE, 0x9, 0xB, 0x3, 0x0, 0x8, 0x5, 0xC, 0xA}};
constexpr Byte kQ1T[4][16] = {{0x2, 0x8, 0xB, 0xD, 0xF, 0x7, 0x6, 0xE, 0x3, 0x1, 0x9, 0x4, 0x0, 0xA, 0xC, 0x5},
                              {0x1, 0xE, 0x2, 0xB, 0x4, 0xC, 0x3, 0x7, 0x6, 0xD, 0xA, 0x5, 0xF, 0x9, 0x0, 0x8},
                              {0x4, 0xC, 0x7, 0x5, 0x1, 0x6, 0x9, 0xA, 0x0, 0xE, 0xD, 0x8, 0x2, 0xB, 0x3, 0xF},
                              {0xB, 0x9, 0x5, 0x1, 0xC, 0x3, 0xD, 0xE, 0x6, 0x4, 0x7, 0xF, 0x2, 0x0, 0x8, 0xA}};

constexpr Byte Ror4(Byte x) { return static_cast<Byte>(((x >> 1) | (x << 3)) & 0xF); }

constexpr Byte QPermute(const Byte (&t)[4][16], Byte x) {
  Byte a = static_cast<Byte>(x >> 4);
  Byte b = static_cast<Byte>(x & 0xF);
  Byte a1 = static_cast<Byte>(a ^ b);
  Byte b1 = static_cast<Byte>((a ^ Ror4(b) ^ (a << 3)) & 0xF);
  a = t[0][a1];
  b = t[1][b1];
  a1 = static_cast<Byte>(a ^ b);
  b1 = static_cast<Byte>((a ^ Ror4(b) ^ (a << 3)) & 0xF);
  a = t[2][a1];
  b = t[3][b1];
  return static_cast<Byte>((b << 4) | a);
}

constexpr std::array<Byte, 256> MakeQ(const Byte (&t)[4][16]) {
  std::array<Byte, 256> q{};
  for (int x = 0; x < 256; ++x) q[static_cast<size_t>(x)] = QPermute(t, static_cast<Byte>(x));
  return q;
}

constexpr std::array<Byte, 256> kQ0 = MakeQ(kQ0T);
constexpr std::array<Byte, 256> kQ1 = MakeQ(kQ1T);

// Multiplication in GF(2^8) modulo the given polynomial.
constexpr Byte GfMul(Byte a, Byte b, unsigned poly) {
  unsigned r = 0;
  unsigned x = a;
  while (b) {
    if (b & 1) r ^= x;
    x <<= 1;
    if (x & 0x100) x ^= poly;
    b >>= 1;
  }
  return static_cast<Byte>(r);
}

constexpr unsigned kMdsPoly = 0x169;
constexpr unsigned kRsPoly = 0x14D;

constexpr Byte kMds[4][4] = {
    {0x01, 0xEF, 0x5B, 0x5B}, {0x5B, 0xEF, 0xEF, 0x01}, {0xEF, 0x5B, 0x01, 0xEF}, {0xEF, 0x01, 0xEF, 0x5B}};

constexpr Byte kRs[4][8] = {{0x01, 0xA4, 0x55, 0x87, 0x5A, 0x58, 0xDB, 0x9E},
                            {0xA4, 0x56, 0x82, 0xF3, 0x1E, 0xC6, 0x68, 0xE5},
                            {0x02, 0xA1, 0xFC, 0xC1, 0x47, 0xAE, 0x3D, 0x19},
                            {0xA4, 0x55, 0x87, 0x5A, 0x58, 0xDB, 0x9E, 0x03}};

Cardinal LoadLE32(const Byte* p) {
  return Cardinal(p[0]) | (Cardinal(p[1]) << 8) | (Cardinal(p[2]) << 16) | (Cardinal(p[3]) << 24);
}

void StoreLE32(Byte* p, Cardinal v) {
  p[0] = static_cast<Byte>(v);
  p[1] = static_cast<Byte>(v >> 8);
  p[2] = static_cast<Byte>(v >> 16);
  p[3] = static_cast<Byte>(v >> 24);
}

Byte ByteOf(Cardinal w, int i) { return static_cast<Byte>(w >> (8 * i)); }

// Column j of the MDS matrix times v.
Cardinal MdsColumn(int j, Byte v) {
  Cardinal r = 0;
  for (int i = 0; i < 4; ++i) r |= Cardinal(GfMul(kMds[i][j], v, kMdsPoly)) << (8 * i);
  return r;
}

// The byte chains of h before the MDS step: byte j of x through the
// permutations, XORed with byte j of the key words (L[0] last).
Byte HChain(int j, Byte y, const Cardinal* L, int k) {
  static constexpr const std::array<Byte, 256>* kFirst4[4] = {&kQ1, &kQ0, &kQ0, &kQ1};
  static constexpr const std::array<Byte, 256>* kFirst3[4] = {&kQ1, &kQ1, &kQ0, &kQ0};
  static constexpr const std::array<Byte, 256>* kSecond[4] = {&kQ0, &kQ1, &kQ0, &kQ1};
  static constexpr const std::array<Byte, 256>* kThird[4] = {&kQ0, &kQ0, &kQ1, &kQ1};
  static constexpr const std::array<Byte, 256>* kLast[4] = {&kQ1, &kQ0, &kQ1, &kQ0};
  if (k == 4) y = static_cast<Byte>((*kFirst4[j])[y] ^ ByteOf(L[3], j));
  if (k >= 3) y = static_cast<Byte>((*kFirst3[j])[y] ^ ByteOf(L[2], j));
  y = static_cast<Byte>((*kSecond[j])[y] ^ ByteOf(L[1], j));
  y = static_cast<Byte>((*kThird[j])[y] ^ ByteOf(L[0], j));
  return (*kLast[j])[y];
}

Cardinal H(Cardinal x, const Cardinal* L, int k) {
  Cardinal r = 0;
  for (int j = 0; j < 4; ++j) r ^= MdsColumn(j, HChain(j, ByteOf(x, j), L, k));
  return r;
}

// Reads the schedule out of the key-schedule area.
struct TSchedule {
  const Byte* area;
  Cardinal K(int i) const { return LoadLE32(area + 4 * i); }
  Cardinal G(Cardinal x) const {
    const Byte* t = area + kTablesOffset;
    return LoadLE32(t + 4 * ByteOf(x, 0)) ^ LoadLE32(t + 1024 + 4 * ByteOf(x, 1)) ^
           LoadLE32(t + 2048 + 4 * ByteOf(x, 2)) ^ LoadLE32(t + 3072 + 4 * ByteOf(x, 3));
  }
};

}  // namespace

const void* TCipher_Twofish::TestVector() const { throw Exception(u"Not implemented 26"); }

void TCipher_Twofish::Init(const void* key, Int32 size, const void* vector) {
  InitBegin(size);
  Byte k[32] = {};
  if (key && size > 0) std::memcpy(k, key, static_cast<size_t>(size));
  const int words = size <= 16 ? 2 : size <= 24 ? 3 : 4;
  Cardinal even[4] = {};
  Cardinal odd[4] = {};
  Cardinal sbox[4] = {};
  for (int i = 0; i < words; ++i) {
    even[i] = LoadLE32(k + 8 * i);
    odd[i] = LoadLE32(k + 8 * i + 4);
    // S, in reverse order: the last key group is the first word of the list.
    Cardinal s = 0;
    for (int row = 0; row < 4; ++row) {
      Byte v = 0;
      for (int c = 0; c < 8; ++c) v ^= GfMul(kRs[row][c], k[8 * i + c], kRsPoly);
      s |= Cardinal(v) << (8 * row);
    }
    sbox[words - 1 - i] = s;
  }
  Byte* area = User();
  constexpr Cardinal rho = 0x01010101;
  for (int i = 0; i < kSubkeys / 2; ++i) {
    const Cardinal a = H(2 * i * rho, even, words);
    const Cardinal b = ROL(H((2 * i + 1) * rho, odd, words), 8);
    StoreLE32(area + 8 * i, a + b);
    StoreLE32(area + 8 * i + 4, ROL(a + 2 * b, 9));
  }
  for (int j = 0; j < 4; ++j)
    for (int x = 0; x < 256; ++x)
      StoreLE32(area + kTablesOffset + 1024 * j + 4 * x, MdsColumn(j, HChain(j, static_cast<Byte>(x), sbox, words)));
  OPENSSL_cleanse(k, sizeof(k));
  OPENSSL_cleanse(even, sizeof(even));
  OPENSSL_cleanse(odd, sizeof(odd));
  OPENSSL_cleanse(sbox, sizeof(sbox));
  InitEnd(vector);
}

void TCipher_Twofish::Encode(void* data) {
  auto* d = static_cast<Byte*>(data);
  const TSchedule s{User()};
  Cardinal x0 = LoadLE32(d) ^ s.K(0);
  Cardinal x1 = LoadLE32(d + 4) ^ s.K(1);
  Cardinal x2 = LoadLE32(d + 8) ^ s.K(2);
  Cardinal x3 = LoadLE32(d + 12) ^ s.K(3);
  for (int r = 0; r < 16; r += 2) {
    Cardinal t0 = s.G(x0);
    Cardinal t1 = s.G(ROL(x1, 8));
    x2 = ROR(x2 ^ (t0 + t1 + s.K(2 * r + 8)), 1);
    x3 = ROL(x3, 1) ^ (t0 + 2 * t1 + s.K(2 * r + 9));
    t0 = s.G(x2);
    t1 = s.G(ROL(x3, 8));
    x0 = ROR(x0 ^ (t0 + t1 + s.K(2 * r + 10)), 1);
    x1 = ROL(x1, 1) ^ (t0 + 2 * t1 + s.K(2 * r + 11));
  }
  StoreLE32(d, x2 ^ s.K(4));
  StoreLE32(d + 4, x3 ^ s.K(5));
  StoreLE32(d + 8, x0 ^ s.K(6));
  StoreLE32(d + 12, x1 ^ s.K(7));
}

void TCipher_Twofish::Decode(void* data) {
  auto* d = static_cast<Byte*>(data);
  const TSchedule s{User()};
  Cardinal x2 = LoadLE32(d) ^ s.K(4);
  Cardinal x3 = LoadLE32(d + 4) ^ s.K(5);
  Cardinal x0 = LoadLE32(d + 8) ^ s.K(6);
  Cardinal x1 = LoadLE32(d + 12) ^ s.K(7);
  for (int r = 14; r >= 0; r -= 2) {
    Cardinal t0 = s.G(x2);
    Cardinal t1 = s.G(ROL(x3, 8));
    x0 = ROL(x0, 1) ^ (t0 + t1 + s.K(2 * r + 10));
    x1 = ROR(x1 ^ (t0 + 2 * t1 + s.K(2 * r + 11)), 1);
    t0 = s.G(x0);
    t1 = s.G(ROL(x1, 8));
    x2 = ROL(x2, 1) ^ (t0 + t1 + s.K(2 * r + 8));
    x3 = ROR(x3 ^ (t0 + 2 * t1 + s.K(2 * r + 9)), 1);
  }
  StoreLE32(d, x0 ^ s.K(0));
  StoreLE32(d + 4, x1 ^ s.K(1));
  StoreLE32(d + 8, x2 ^ s.K(2));
  StoreLE32(d + 12, x3 ^ s.K(3));
}

}  // namespace sk
