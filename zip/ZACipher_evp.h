// The OpenSSL block functions under the cipher classes (used only inside the
// ZACipher unit and by its tests). AES and three-key DES come from the default
// library context; single DES and Blowfish live in OpenSSL's legacy provider,
// which is loaded on first use into a private library context, so that the
// host's own context stays as the host set it up.
#pragma once

#include <openssl/evp.h>

#include "platform/runtime/RtlTypes.h"

namespace sk::zacipher_evp {

// The ECB ciphers; each raises ECipherException when the algorithm cannot be
// had (for instance without the legacy provider).
const EVP_CIPHER* AesEcb(Int32 keyBytes);  // 16, 24 or 32
const EVP_CIPHER* DesEde3Ecb();
const EVP_CIPHER* DesEcb();
const EVP_CIPHER* BlowfishEcb();

// The private library context with the legacy provider; null when the
// provider cannot be loaded.
OSSL_LIB_CTX* LegacyContext();

// Sets ctx (created when null) to run cipher in ECB without padding, in the
// direction asked, with keyLength bytes of key.
void InitContext(EVP_CIPHER_CTX*& ctx, const EVP_CIPHER* cipher, const Byte* key, Int32 keyLength,
                 bool encrypt);
// Runs bytes (whole blocks) of source through ctx into dest (may be source).
void Run(EVP_CIPHER_CTX* ctx, const Byte* source, Byte* dest, Int32 bytes);
// Frees ctx (its key schedule is wiped) and sets it to null.
void FreeContext(EVP_CIPHER_CTX*& ctx);

}  // namespace sk::zacipher_evp
