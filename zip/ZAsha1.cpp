#include "zip/ZAsha1.h"

#include <openssl/sha.h>

#include <algorithm>
#include <cstring>

#include "core/UnitCounter.h"

namespace sk {

namespace {

constinit TUnitCounter ZAsha1_counter;

constexpr Int32 kBlock = 64;
constexpr Int32 kDigest = 20;

constexpr TOID_Vec kSHA1_OID = {1, 3, 14, 3, 2, 26, 0, 0, 0, 0, 0};

const THashDesc kSHA1_Desc = {
    C_HashSig,
    sizeof(THashDesc),
    C_HashVers,
    kBlock,
    kDigest,
    SHA1Init,
    SHA1FinalEx,
    SHA1UpdateXL,
    _SHA1,
    {4, {'S', 'H', 'A', '1'}},
    &kSHA1_OID,
    6,
    {},
};

// Compresses whole 64-byte blocks into the chaining words. The block function
// is libcrypto's: its context is loaded from our words and stored back, and
// it is only ever given whole blocks, so it never buffers or pads anything
// itself; padding and the bit count stay ours. SHA1_Update is deprecated in
// OpenSSL 3 but runs the same assembly as the EVP interface without its
// per-call overhead.
void Compress(THashContext& Context, const Byte* blocks, size_t count) {
  SHA_CTX c;
  c.h0 = Context.Hash[0];
  c.h1 = Context.Hash[1];
  c.h2 = Context.Hash[2];
  c.h3 = Context.Hash[3];
  c.h4 = Context.Hash[4];
  c.Nl = 0;
  c.Nh = 0;
  c.num = 0;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  SHA1_Update(&c, blocks, count * kBlock);
#pragma GCC diagnostic pop
  Context.Hash[0] = c.h0;
  Context.Hash[1] = c.h1;
  Context.Hash[2] = c.h2;
  Context.Hash[3] = c.h3;
  Context.Hash[4] = c.h4;
}

void PutBigEndian32(Byte* p, Cardinal v) {
  p[0] = static_cast<Byte>(v >> 24);
  p[1] = static_cast<Byte>(v >> 16);
  p[2] = static_cast<Byte>(v >> 8);
  p[3] = static_cast<Byte>(v);
}

}  // namespace

PHashDesc SHA1_Descriptor() { return &kSHA1_Desc; }

void SHA1Init(THashContext& Context) {
  std::memset(&Context, 0, sizeof Context);
  Context.Hash[0] = 0x67452301;
  Context.Hash[1] = 0xEFCDAB89;
  Context.Hash[2] = 0x98BADCFE;
  Context.Hash[3] = 0x10325476;
  Context.Hash[4] = 0xC3D2E1F0;
}

void SHA1UpdateXL(THashContext& Context, const void* Msg, Int32 Len) {
  if (Len <= 0) return;
  // The bit count: a 64-bit number in the low two words, low word first.
  const UInt64 bits = (UInt64{Context.MLen[1]} << 32 | Context.MLen[0]) + UInt64(Len) * 8;
  Context.MLen[0] = static_cast<Cardinal>(bits);
  Context.MLen[1] = static_cast<Cardinal>(bits >> 32);

  const Byte* p = static_cast<const Byte*>(Msg);
  size_t left = static_cast<size_t>(Len);
  if (Context.Index > 0) {
    const size_t take = std::min(left, static_cast<size_t>(kBlock - Context.Index));
    std::memcpy(Context.Buffer.data() + Context.Index, p, take);
    Context.Index += static_cast<Int32>(take);
    p += take;
    left -= take;
    if (Context.Index < kBlock) return;
    Compress(Context, Context.Buffer.data(), 1);
    Context.Index = 0;
  }
  // Whole blocks straight from the input.
  const size_t blocks = left / kBlock;
  if (blocks > 0) {
    Compress(Context, p, blocks);
    p += blocks * kBlock;
    left -= blocks * kBlock;
  }
  if (left > 0) {
    std::memcpy(Context.Buffer.data(), p, left);
    Context.Index = static_cast<Int32>(left);
  }
}

void SHA1Update(THashContext& Context, const void* Msg, Word Len) { SHA1UpdateXL(Context, Msg, Len); }

void SHA1FinalEx(THashContext& Context, THashDigest& Digest) {
  Byte* buf = Context.Buffer.data();
  Int32 i = Context.Index;
  buf[i++] = 0x80;
  if (i > kBlock - 8) {
    // No room for the bit count: pad this block out and start another.
    std::memset(buf + i, 0, static_cast<size_t>(kBlock - i));
    Compress(Context, buf, 1);
    i = 0;
  }
  std::memset(buf + i, 0, static_cast<size_t>(kBlock - 8 - i));
  PutBigEndian32(buf + kBlock - 8, Context.MLen[1]);
  PutBigEndian32(buf + kBlock - 4, Context.MLen[0]);
  Compress(Context, buf, 1);

  Digest.fill(0);
  for (Int32 w = 0; w < 5; ++w) PutBigEndian32(Digest.data() + 4 * w, Context.Hash[static_cast<size_t>(w)]);
  std::memset(&Context, 0, sizeof Context);
}

void SHA1Final(THashContext& Context, TSHA1Digest& Digest) {
  THashDigest full;
  SHA1FinalEx(Context, full);
  std::copy_n(full.begin(), Digest.size(), Digest.begin());
}

void SHA1FullXL(TSHA1Digest& Digest, const void* Msg, Int32 Len) {
  THashContext context;
  SHA1Init(context);
  SHA1UpdateXL(context, Msg, Len);
  SHA1Final(context, Digest);
}

void SHA1Full(TSHA1Digest& Digest, const void* Msg, Word Len) { SHA1FullXL(Digest, Msg, Len); }

void SHA1File(const String& fname, TSHA1Digest& Digest, void* Buf, Word bsize, Word& Err) {
  THashDigest full{};
  HashFile(fname, &kSHA1_Desc, full, Buf, bsize, Err);
  std::copy_n(full.begin(), Digest.size(), Digest.begin());
}

bool SHA1SelfTest() {
  static const char* const kMessages[2] = {"abc", "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"};
  static const TSHA1Digest kDigests[2] = {
      {0xa9, 0x99, 0x3e, 0x36, 0x47, 0x06, 0x81, 0x6a, 0xba, 0x3e,
       0x25, 0x71, 0x78, 0x50, 0xc2, 0x6c, 0x9c, 0xd0, 0xd8, 0x9d},
      {0x84, 0x98, 0x3e, 0x44, 0x1c, 0x3b, 0xd2, 0x6e, 0xba, 0xae,
       0x4a, 0xa1, 0xf9, 0x51, 0x29, 0xe5, 0xe5, 0x46, 0x70, 0xf1},
  };
  bool ok = true;
  for (int m = 0; m < 2; ++m) {
    const Word len = static_cast<Word>(std::strlen(kMessages[m]));
    TSHA1Digest whole;
    SHA1Full(whole, kMessages[m], len);
    THashContext context;
    SHA1Init(context);
    for (Word i = 0; i < len; ++i) SHA1Update(context, kMessages[m] + i, 1);
    TSHA1Digest bytewise;
    SHA1Final(context, bytewise);
    ok = ok && whole == kDigests[m] && bytewise == kDigests[m];
  }
  return ok;
}

void ZAsha1_initialization() {
  if (!ZAsha1_counter.Initialization()) return;
  RegisterHash(_SHA1, &kSHA1_Desc);
}

void ZAsha1_Finalization() { ZAsha1_counter.Finalization(); }

}  // namespace sk
