// AES: TCipher_Rijndael runs OpenSSL's AES block function, and the counter
// mode over whole blocks runs on the processor's AES instructions where it has
// them (AES-128 and AES-256 keys); TCipher_RijndaelZA runs the AES rounds here
// over its own key expansion, which differs from AES for 32-byte keys.
#include <openssl/crypto.h>

#include <array>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "zip/ZACipher_ciphers.h"
#include "zip/ZACipher_evp.h"

namespace sk {

namespace {

using namespace zacipher_evp;

constexpr Int32 kBlock = 16;
constexpr Int32 kMaxRounds = 14;
// Offset of the decryption schedule in the key-schedule area.
constexpr Int32 kDecryptionSchedule = 240;

constexpr Byte XTime(Byte b) { return static_cast<Byte>((b << 1) ^ ((b & 0x80) ? 0x1B : 0)); }

constexpr Byte GMul(Byte a, Byte b) {
  Byte r = 0;
  while (b) {
    if (b & 1) r ^= a;
    a = XTime(a);
    b >>= 1;
  }
  return r;
}

constexpr Byte Rotl8(Byte b, int s) { return static_cast<Byte>((b << s) | (b >> (8 - s))); }

// The S-box: the multiplicative inverse in GF(2^8) (through powers of the
// generator 3) followed by the affine map.
constexpr std::array<Byte, 256> MakeSBox() {
  std::array<Byte, 256> exp{};
  std::array<Byte, 256> log{};
  Byte v = 1;
  for (int i = 0; i < 255; ++i) {
    exp[static_cast<size_t>(i)] = v;
    log[v] = static_cast<Byte>(i);
    v = static_cast<Byte>(v ^ XTime(v));  // times 3
  }
  std::array<Byte, 256> s{};
  for (int x = 0; x < 256; ++x) {
    const Byte inv = x == 0 ? 0 : exp[static_cast<size_t>((255 - log[static_cast<size_t>(x)]) % 255)];
    s[static_cast<size_t>(x)] =
        static_cast<Byte>(inv ^ Rotl8(inv, 1) ^ Rotl8(inv, 2) ^ Rotl8(inv, 3) ^ Rotl8(inv, 4) ^ 0x63);
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

// The 30 round constants.
constexpr std::array<Byte, 30> MakeRcon() {
  std::array<Byte, 30> r{};
  Byte v = 1;
  for (auto& c : r) {
    c = v;
    v = XTime(v);
  }
  return r;
}
constexpr std::array<Byte, 30> kRcon = MakeRcon();

using TWord = std::array<Byte, 4>;

TWord SubWord(TWord w) {
  for (auto& b : w) b = kSBox[b];
  return w;
}

TWord RotWord(TWord w) { return {w[1], w[2], w[3], w[0]}; }

void XorWord(TWord& a, const TWord& b) {
  for (int i = 0; i < 4; ++i) a[static_cast<size_t>(i)] ^= b[static_cast<size_t>(i)];
}

Int32 RoundsFor(Int32 keySize) { return keySize <= 16 ? 10 : keySize <= 24 ? 12 : 14; }

// The encryption schedule, 4 * (rounds + 1) words from the padded key: the
// AES expansion for 10 and 12 rounds; for 14 rounds the library's own, which
// chains all eight words of each step before the S-box step on word 4, and
// chains words 5 to 7 again after it.
void ExpandKey(const Byte* key, Int32 rounds, TWord* w) {
  const int nk = rounds == 10 ? 4 : rounds == 12 ? 6 : 8;
  const int total = 4 * (rounds + 1);
  for (int i = 0; i < nk; ++i) std::memcpy(w[i].data(), key + 4 * i, 4);
  if (nk == 8) {
    TWord k[8];
    for (int i = 0; i < 8; ++i) k[i] = w[i];
    for (int step = 0, filled = 8; filled < total; ++step) {
      TWord t = SubWord(RotWord(k[7]));
      t[0] ^= kRcon[static_cast<size_t>(step)];
      XorWord(k[0], t);
      for (int i = 1; i < 8; ++i) XorWord(k[i], k[i - 1]);
      XorWord(k[4], SubWord(k[3]));
      for (int i = 5; i < 8; ++i) XorWord(k[i], k[i - 1]);
      for (int i = 0; i < 8 && filled < total; ++i) w[filled++] = k[i];
    }
    return;
  }
  for (int i = nk; i < total; ++i) {
    TWord t = w[i - 1];
    if (i % nk == 0) {
      t = SubWord(RotWord(t));
      t[0] ^= kRcon[static_cast<size_t>(i / nk - 1)];
    } else if (nk > 6 && i % nk == 4) {
      t = SubWord(t);
    }
    w[i] = w[i - nk];
    XorWord(w[i], t);
  }
}

void MixColumn(Byte* c) {
  const Byte a0 = c[0], a1 = c[1], a2 = c[2], a3 = c[3];
  c[0] = static_cast<Byte>(XTime(a0) ^ XTime(a1) ^ a1 ^ a2 ^ a3);
  c[1] = static_cast<Byte>(a0 ^ XTime(a1) ^ XTime(a2) ^ a2 ^ a3);
  c[2] = static_cast<Byte>(a0 ^ a1 ^ XTime(a2) ^ XTime(a3) ^ a3);
  c[3] = static_cast<Byte>(XTime(a0) ^ a0 ^ a1 ^ a2 ^ XTime(a3));
}

void InvMixColumn(Byte* c) {
  const Byte a0 = c[0], a1 = c[1], a2 = c[2], a3 = c[3];
  c[0] = static_cast<Byte>(GMul(a0, 14) ^ GMul(a1, 11) ^ GMul(a2, 13) ^ GMul(a3, 9));
  c[1] = static_cast<Byte>(GMul(a0, 9) ^ GMul(a1, 14) ^ GMul(a2, 11) ^ GMul(a3, 13));
  c[2] = static_cast<Byte>(GMul(a0, 13) ^ GMul(a1, 9) ^ GMul(a2, 14) ^ GMul(a3, 11));
  c[3] = static_cast<Byte>(GMul(a0, 11) ^ GMul(a1, 13) ^ GMul(a2, 9) ^ GMul(a3, 14));
}

void AddRoundKey(Byte* s, const Byte* k) {
  for (int i = 0; i < kBlock; ++i) s[i] ^= k[i];
}

// State bytes in input order: byte r + 4c is row r of column c.
void SubShift(Byte* s, const std::array<Byte, 256>& box, bool inverse) {
  Byte t[kBlock];
  for (int c = 0; c < 4; ++c)
    for (int r = 0; r < 4; ++r) {
      const int from = inverse ? (c - r + 4) % 4 : (c + r) % 4;
      t[r + 4 * c] = box[s[r + 4 * from]];
    }
  std::memcpy(s, t, kBlock);
}

#if defined(__x86_64__)
#define SK_AESNI_TARGET __attribute__((target("aes,sse4.1")))

bool HasAesInstructions() {
  static const bool has = __builtin_cpu_supports("aes") && __builtin_cpu_supports("sse4.1");
  return has;
}

// One step of the AES key expansion: w XORed with its shifts, then with the
// word from the key-generation assist (already spread over the four lanes).
SK_AESNI_TARGET inline __m128i ExpandStep(__m128i w, __m128i assist) {
  w = _mm_xor_si128(w, _mm_slli_si128(w, 4));
  w = _mm_xor_si128(w, _mm_slli_si128(w, 4));
  w = _mm_xor_si128(w, _mm_slli_si128(w, 4));
  return _mm_xor_si128(w, assist);
}

#define SK_AES128_ROUND(i, rcon) \
  k[i] = ExpandStep(k[i - 1], _mm_shuffle_epi32(_mm_aeskeygenassist_si128(k[i - 1], rcon), 0xFF))

// The eleven round keys of AES-128.
SK_AESNI_TARGET void ExpandKey128(const Byte* key, __m128i* k) {
  k[0] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(key));
  SK_AES128_ROUND(1, 0x01);
  SK_AES128_ROUND(2, 0x02);
  SK_AES128_ROUND(3, 0x04);
  SK_AES128_ROUND(4, 0x08);
  SK_AES128_ROUND(5, 0x10);
  SK_AES128_ROUND(6, 0x20);
  SK_AES128_ROUND(7, 0x40);
  SK_AES128_ROUND(8, 0x80);
  SK_AES128_ROUND(9, 0x1B);
  SK_AES128_ROUND(10, 0x36);
}
#undef SK_AES128_ROUND

// The fifteen round keys of AES-256: even ones from the word before with the
// rotated, substituted last word; odd ones with the substituted word alone.
#define SK_AES256_ROUND(i, rcon)                                                                   \
  k[i] = ExpandStep(k[i - 2], _mm_shuffle_epi32(_mm_aeskeygenassist_si128(k[i - 1], rcon), 0xFF)); \
  if (i + 1 < 15) k[i + 1] = ExpandStep(k[i - 1], _mm_shuffle_epi32(_mm_aeskeygenassist_si128(k[i], 0), 0xAA))

SK_AESNI_TARGET void ExpandKey256(const Byte* key, __m128i* k) {
  k[0] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(key));
  k[1] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(key + 16));
  SK_AES256_ROUND(2, 0x01);
  SK_AES256_ROUND(4, 0x02);
  SK_AES256_ROUND(6, 0x04);
  SK_AES256_ROUND(8, 0x08);
  SK_AES256_ROUND(10, 0x10);
  SK_AES256_ROUND(12, 0x20);
  SK_AES256_ROUND(14, 0x40);
}
#undef SK_AES256_ROUND

// The counter mode over count blocks, eight at a time so that the AES units
// work on eight blocks at once, each XORed into its output as soon as it is
// done. Nothing of the key stream is kept from one group of eight to the
// next, so that the eight blocks, the round key and the counter fit the
// vector registers (the loops over the eight are unrolled for that) and the
// compiler has no need to spill them; whatever it leaves in this function's
// frame all the same is overwritten by WipeDeadStack after the call, and the
// registers are cleared before it returns. The key stream of the last block
// goes to last.
SK_AESNI_TARGET __attribute__((noinline)) void CounterStream(const __m128i* k, Int32 rounds, const Byte* in, Byte* out,
                                                             Int32 count, UInt64 counter, const Byte* nonce,
                                                             Byte* last) {
  // Lane 0 of a block is its 64-bit counter; lane 1 the nonce's upper half.
  UInt64 high;
  std::memcpy(&high, nonce + 8, 8);
  __m128i next = _mm_set_epi64x(static_cast<long long>(high), static_cast<long long>(counter + 1));
  const __m128i one = _mm_set_epi64x(0, 1);
  Int32 b = 0;
  for (; b + 8 <= count; b += 8) {
    __m128i x[8];
#pragma GCC unroll 8
    for (Int32 j = 0; j < 8; ++j) {
      x[j] = _mm_xor_si128(next, k[0]);
      next = _mm_add_epi64(next, one);
    }
    for (Int32 r = 1; r < rounds; ++r) {
      const __m128i key = k[r];
#pragma GCC unroll 8
      for (Int32 j = 0; j < 8; ++j) x[j] = _mm_aesenc_si128(x[j], key);
    }
#pragma GCC unroll 8
    for (Int32 j = 0; j < 8; ++j) {
      x[j] = _mm_aesenclast_si128(x[j], k[rounds]);
      const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + (b + j) * 16));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + (b + j) * 16), _mm_xor_si128(d, x[j]));
    }
    if (b + 8 == count) _mm_storeu_si128(reinterpret_cast<__m128i*>(last), x[7]);
  }
  for (; b < count; ++b) {
    __m128i x = _mm_xor_si128(next, k[0]);
    next = _mm_add_epi64(next, one);
    for (Int32 r = 1; r < rounds; ++r) x = _mm_aesenc_si128(x, k[r]);
    x = _mm_aesenclast_si128(x, k[rounds]);
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + b * 16));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + b * 16), _mm_xor_si128(d, x));
    if (b + 1 == count) _mm_storeu_si128(reinterpret_cast<__m128i*>(last), x);
  }
  // The vector registers are cleared as well (the compiler drops zeroing of
  // locals that are not read again, never an asm statement), so that no later
  // save of them (a signal handler's frame, the dynamic linker resolving a
  // symbol) puts the key stream on the stack.
  asm volatile(
      "pxor %%xmm0, %%xmm0\n\tpxor %%xmm1, %%xmm1\n\tpxor %%xmm2, %%xmm2\n\tpxor %%xmm3, %%xmm3\n\t"
      "pxor %%xmm4, %%xmm4\n\tpxor %%xmm5, %%xmm5\n\tpxor %%xmm6, %%xmm6\n\tpxor %%xmm7, %%xmm7\n\t"
      "pxor %%xmm8, %%xmm8\n\tpxor %%xmm9, %%xmm9\n\tpxor %%xmm10, %%xmm10\n\tpxor %%xmm11, %%xmm11\n\t"
      "pxor %%xmm12, %%xmm12\n\tpxor %%xmm13, %%xmm13\n\tpxor %%xmm14, %%xmm14\n\tpxor %%xmm15, %%xmm15" ::
          : "xmm0", "xmm1", "xmm2", "xmm3", "xmm4", "xmm5", "xmm6", "xmm7", "xmm8", "xmm9", "xmm10", "xmm11", "xmm12",
            "xmm13", "xmm14", "xmm15");
}

// Overwrites the stack just below the caller's frame, where the function it
// has just called kept its locals and spills. OPENSSL_cleanse is a call the
// compiler cannot drop. An unoptimised build keeps every temporary of the
// vector intrinsics in the frame, so more is overwritten there.
#ifdef __OPTIMIZE__
constexpr size_t kDeadStackBytes = 1024;
#else
constexpr size_t kDeadStackBytes = 8192;
#endif

__attribute__((noinline)) void WipeDeadStack() {
  Byte area[kDeadStackBytes];
  OPENSSL_cleanse(area, sizeof area);
}
#endif

}  // namespace

// ---------------------------------------------------------------------------
// TCipher_Rijndael

TCipher_Rijndael::~TCipher_Rijndael() {
  FreeContext(fEncrypt);
  FreeContext(fDecrypt);
  WipeRoundKeys();
}

void TCipher_Rijndael::WipeRoundKeys() {
  OPENSSL_cleanse(fRoundKeys, sizeof fRoundKeys);
  fRoundKeyCount = 0;
}

const void* TCipher_Rijndael::TestVector() const { throw Exception(u"Not implemented 20"); }

void TCipher_Rijndael::Protect() {
  TCipher::Protect();
  FreeContext(fEncrypt);
  FreeContext(fDecrypt);
  WipeRoundKeys();
}

void TCipher_Rijndael::Init(const void* key, Int32 size, const void* vector) {
  InitBegin(size);
  Byte k[32] = {};
  if (key && size > 0) std::memcpy(k, key, static_cast<size_t>(size));
  FRounds = RoundsFor(size);
  const Int32 length = FRounds == 10 ? 16 : FRounds == 12 ? 24 : 32;
  const EVP_CIPHER* aes = AesEcb(length);
  InitContext(fEncrypt, aes, k, length, true);
  InitContext(fDecrypt, aes, k, length, false);
  WipeRoundKeys();
#if defined(__x86_64__)
  if (length != 24 && HasAesInstructions()) {
    auto* keys = reinterpret_cast<__m128i*>(fRoundKeys);
    if (length == 16)
      ExpandKey128(k, keys);
    else
      ExpandKey256(k, keys);
    fRoundKeyCount = FRounds + 1;
  }
#endif
  OPENSSL_cleanse(k, sizeof(k));
  InitEnd(vector);
}

void TCipher_Rijndael::Encode(void* data) { Run(fEncrypt, static_cast<Byte*>(data), static_cast<Byte*>(data), kBlock); }

void TCipher_Rijndael::Decode(void* data) { Run(fDecrypt, static_cast<Byte*>(data), static_cast<Byte*>(data), kBlock); }

void TCipher_Rijndael::EncodeBlocks(const Byte* source, Byte* dest, Int32 count) {
  Run(fEncrypt, source, dest, count * kBlock);
}

bool TCipher_Rijndael::EncodeCounterStream(const Byte* in, Byte* out, Int32 count, UInt64 counter, const Byte* nonce,
                                           Byte* last) {
#if defined(__x86_64__)
  if (fRoundKeyCount == 0 || count <= 0) return false;
  CounterStream(reinterpret_cast<const __m128i*>(fRoundKeys), FRounds, in, out, count, counter, nonce, last);
  WipeDeadStack();
  return true;
#else
  (void)in, (void)out, (void)count, (void)counter, (void)nonce, (void)last;
  return false;
#endif
}

// ---------------------------------------------------------------------------
// TCipher_RijndaelZA

void TCipher_RijndaelZA::Init(const void* key, Int32 size, const void* vector) {
  InitBegin(size);
  Byte k[32] = {};
  if (key && size > 0) std::memcpy(k, key, static_cast<size_t>(size));
  FRounds = RoundsFor(size);
  TWord w[4 * (kMaxRounds + 1)];
  ExpandKey(k, FRounds, w);
  Byte* enc = User();
  Byte* dec = User() + kDecryptionSchedule;
  std::memcpy(enc, w, static_cast<size_t>(16 * (FRounds + 1)));
  // Decryption schedule of the equivalent inverse cipher, in the order of use.
  for (Int32 r = 0; r <= FRounds; ++r) {
    Byte* rk = dec + 16 * r;
    std::memcpy(rk, enc + 16 * (FRounds - r), 16);
    if (r != 0 && r != FRounds)
      for (int c = 0; c < 4; ++c) InvMixColumn(rk + 4 * c);
  }
  OPENSSL_cleanse(w, sizeof(w));
  OPENSSL_cleanse(k, sizeof(k));
  InitEnd(vector);
}

void TCipher_RijndaelZA::Encode(void* data) {
  auto* s = static_cast<Byte*>(data);
  const Byte* rk = User();
  AddRoundKey(s, rk);
  for (Int32 r = 1; r < FRounds; ++r) {
    SubShift(s, kSBox, false);
    for (int c = 0; c < 4; ++c) MixColumn(s + 4 * c);
    AddRoundKey(s, rk + 16 * r);
  }
  SubShift(s, kSBox, false);
  AddRoundKey(s, rk + 16 * FRounds);
}

void TCipher_RijndaelZA::Decode(void* data) {
  auto* s = static_cast<Byte*>(data);
  const Byte* rk = User() + kDecryptionSchedule;
  AddRoundKey(s, rk);
  for (Int32 r = 1; r < FRounds; ++r) {
    SubShift(s, kInvSBox, true);
    for (int c = 0; c < 4; ++c) InvMixColumn(s + 4 * c);
    AddRoundKey(s, rk + 16 * r);
  }
  SubShift(s, kInvSBox, true);
  AddRoundKey(s, rk + 16 * FRounds);
}

void TCipher_RijndaelZA::EncodeBlocks(const Byte* source, Byte* dest, Int32 count) {
  TCipher::EncodeBlocks(source, dest, count);
}

}  // namespace sk
