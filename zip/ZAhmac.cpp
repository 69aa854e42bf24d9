#include "zip/ZAhmac.h"

#include <cstring>

#include "core/UnitCounter.h"

namespace sk {

void hmac_init_bytes(THMAC_Context& ctx, PHashDesc phash, const void* key, std::size_t klen) {
  std::memset(&ctx, 0, sizeof ctx);
  // A descriptor whose block or digest would not fit the context's buffers
  // cannot be used.
  if (phash == nullptr || phash->HBlockLen > MaxBlockLen || phash->HDigestlen > MaxDigestLen) return;
  ctx.phashd = phash;
  const size_t block = phash->HBlockLen;
  if (klen > block) {
    // A long key is replaced by its digest. Keys past Int32 are hashed in parts.
    THashContext kc;
    phash->HInit(kc);
    const Byte* p = static_cast<const Byte*>(key);
    for (size_t left = klen; left > 0;) {
      const size_t part = left < 0x40000000u ? left : 0x40000000u;
      phash->HUpdateXL(kc, p, static_cast<Int32>(part));
      p += part;
      left -= part;
    }
    THashDigest digest;
    phash->HFinal(kc, digest);
    std::memcpy(ctx.hmacbuf.data(), digest.data(), phash->HDigestlen);
  } else if (klen > 0) {
    std::memcpy(ctx.hmacbuf.data(), key, klen);
  }
  for (size_t i = 0; i < block; ++i) ctx.hmacbuf[i] ^= 0x36;
  phash->HInit(ctx.hashctx);
  phash->HUpdateXL(ctx.hashctx, ctx.hmacbuf.data(), static_cast<Int32>(block));
}

void hmac_init(THMAC_Context& ctx, PHashDesc phash, const void* key, Word klen) {
  hmac_init_bytes(ctx, phash, key, klen);
}

void hmac_inits(THMAC_Context& ctx, PHashDesc phash, const AnsiString& skey) {
  hmac_init_bytes(ctx, phash, skey.data(), skey.size());
}

void hmac_updateXL(THMAC_Context& ctx, const void* data, Int32 dlen) {
  if (ctx.phashd != nullptr) ctx.phashd->HUpdateXL(ctx.hashctx, data, dlen);
}

void hmac_update(THMAC_Context& ctx, const void* data, Word dlen) { hmac_updateXL(ctx, data, dlen); }

void hmac_final(THMAC_Context& ctx, THashDigest& mac) {
  const PHashDesc phash = ctx.phashd;
  if (phash == nullptr) return;
  phash->HFinal(ctx.hashctx, mac);
  // 0x36 ^ 0x6A = 0x5C: the inner pad becomes the outer pad.
  for (size_t i = 0; i < phash->HBlockLen; ++i) ctx.hmacbuf[i] ^= 0x6A;
  phash->HInit(ctx.hashctx);
  phash->HUpdateXL(ctx.hashctx, ctx.hmacbuf.data(), phash->HBlockLen);
  phash->HUpdateXL(ctx.hashctx, mac.data(), phash->HDigestlen);
  phash->HFinal(ctx.hashctx, mac);
}

SK_COUNTER_ONLY_UNIT(ZAhmac)

}  // namespace sk
