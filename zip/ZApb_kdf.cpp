#include "zip/ZApb_kdf.h"

#include <openssl/crypto.h>

#include <algorithm>
#include <cstring>

#include "core/UnitCounter.h"
#include "zip/ZAhmac.h"

namespace sk {

namespace {

// The derivation for lengths of any size. The two pad blocks are hashed once
// per password: every iteration starts from copies of the inner and outer
// states that follow them, so an iteration costs the two short hashes alone.
Int32 DeriveKey(PHashDesc phash, const void* pPW, size_t pLen, const void* salt, size_t sLen, Int32 C,
                void* DK, size_t dkLen) {
  if (phash == nullptr) return 1;
  const size_t hLen = phash->HDigestlen;
  const size_t bLen = phash->HBlockLen;
  if (hLen == 0 || hLen > MaxDigestLen || bLen > MaxBlockLen) return 2;
  if (dkLen == 0) return 0;  // a block would be computed and none of it kept

  THMAC_Context keyed;
  hmac_init_bytes(keyed, phash, pPW, pLen);
  THashContext outer;
  phash->HInit(outer);
  std::array<Byte, MaxBlockLen> opad;
  for (size_t i = 0; i < bLen; ++i) opad[i] = static_cast<Byte>(keyed.hmacbuf[i] ^ 0x6A);
  phash->HUpdateXL(outer, opad.data(), static_cast<Int32>(bLen));

  Byte counter[4] = {0, 0, 0, 0};
  THashDigest T{}, U{};
  THashContext work{};
  Byte* out = static_cast<Byte*>(DK);
  for (size_t done = 0; done < dkLen;) {
    // The block number, big-endian, from 1.
    for (int k = 3; k >= 0 && ++counter[k] == 0; --k) {
    }
    T.fill(0);
    for (Int32 i = 1; i <= C; ++i) {
      work = keyed.hashctx;
      if (i == 1) {
        for (size_t left = sLen, at = 0; left > 0;) {
          const size_t part = std::min<size_t>(left, 0x40000000u);
          phash->HUpdateXL(work, static_cast<const Byte*>(salt) + at, static_cast<Int32>(part));
          at += part;
          left -= part;
        }
        phash->HUpdateXL(work, counter, 4);
      } else {
        phash->HUpdateXL(work, U.data(), static_cast<Int32>(hLen));
      }
      phash->HFinal(work, U);
      work = outer;
      phash->HUpdateXL(work, U.data(), static_cast<Int32>(hLen));
      phash->HFinal(work, U);
      for (size_t k = 0; k < hLen; ++k) T[k] ^= U[k];
    }
    const size_t take = std::min(hLen, dkLen - done);
    std::memcpy(out + done, T.data(), take);
    done += take;
  }
  OPENSSL_cleanse(&keyed, sizeof keyed);
  OPENSSL_cleanse(&outer, sizeof outer);
  OPENSSL_cleanse(opad.data(), opad.size());
  OPENSSL_cleanse(&work, sizeof work);
  OPENSSL_cleanse(T.data(), T.size());
  OPENSSL_cleanse(U.data(), U.size());
  return 0;
}

}  // namespace

Int32 kdf2(PHashDesc phash, const void* pPW, Word pLen, const void* salt, Word sLen, Int32 C, void* DK, Word dkLen) {
  return DeriveKey(phash, pPW, pLen, salt, sLen, C, DK, dkLen);
}

Int32 kdf2s(PHashDesc phash, const AnsiString& sPW, const void* salt, Word sLen, Int32 C, void* DK, Word dkLen) {
  return DeriveKey(phash, sPW.data(), sPW.size(), salt, sLen, C, DK, dkLen);
}

SK_COUNTER_ONLY_UNIT(ZApb_kdf)

}  // namespace sk
