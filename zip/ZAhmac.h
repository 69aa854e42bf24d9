// HMAC (RFC 2104) over any registered hash descriptor.
#pragma once

#include <array>
#include <cstddef>

#include "platform/runtime/RtlTypes.h"
#include "zip/ZAHash.h"

namespace sk {

// hashctx runs the inner hash; hmacbuf holds the key block XORed with the
// inner pad; a null phashd marks an unusable context.
struct THMAC_Context {
  THashContext hashctx;
  std::array<Byte, MaxBlockLen> hmacbuf;
  PHashDesc phashd;
};

// Starts a MAC with the key (a key longer than the hash's block is hashed
// first). A null descriptor, or one whose block is over 128 bytes or whose
// digest is over 64, leaves the context zeroed and unusable.
void hmac_init(THMAC_Context& ctx, PHashDesc phash, const void* key, Word klen);
// hmac_init over the bytes of the string key (every byte of it).
void hmac_inits(THMAC_Context& ctx, PHashDesc phash, const AnsiString& skey);
// Adds message data (nothing on an unusable context).
void hmac_update(THMAC_Context& ctx, const void* data, Word dlen);
void hmac_updateXL(THMAC_Context& ctx, const void* data, Int32 dlen);
// Writes the MAC into the first HDigestlen bytes of mac (nothing on an
// unusable context).
void hmac_final(THMAC_Context& ctx, THashDigest& mac);

// hmac_init for a key of any length.
void hmac_init_bytes(THMAC_Context& ctx, PHashDesc phash, const void* key, std::size_t klen);

// Unit start and stop (the unit has no work of its own).
void ZAhmac_initialization();
void ZAhmac_Finalization();

}  // namespace sk
