#include "zip/ZACipher_evp.h"

#include <openssl/provider.h>

#include <mutex>

#include "platform/runtime/Format.h"
#include "zip/ZACipher_base.h"
#include "zip/ZACryptConst.h"

namespace sk::zacipher_evp {

namespace {

// Fetched once and kept for the life of the process.
constinit EVP_CIPHER* gAes[3] = {};
constinit EVP_CIPHER* gDesEde3 = nullptr;
constinit EVP_CIPHER* gDes = nullptr;
constinit EVP_CIPHER* gBlowfish = nullptr;
constinit OSSL_LIB_CTX* gLegacyContext = nullptr;

std::once_flag gDefaultOnce;
std::once_flag gLegacyOnce;

void FetchDefault() {
  gAes[0] = EVP_CIPHER_fetch(nullptr, "AES-128-ECB", nullptr);
  gAes[1] = EVP_CIPHER_fetch(nullptr, "AES-192-ECB", nullptr);
  gAes[2] = EVP_CIPHER_fetch(nullptr, "AES-256-ECB", nullptr);
  gDesEde3 = EVP_CIPHER_fetch(nullptr, "DES-EDE3-ECB", nullptr);
}

void FetchLegacy() {
  OSSL_LIB_CTX* ctx = OSSL_LIB_CTX_new();
  if (!ctx) return;
  if (!OSSL_PROVIDER_load(ctx, "legacy")) {
    OSSL_LIB_CTX_free(ctx);
    return;
  }
  gLegacyContext = ctx;
  gDes = EVP_CIPHER_fetch(ctx, "DES-ECB", nullptr);
  gBlowfish = EVP_CIPHER_fetch(ctx, "BF-ECB", nullptr);
}

[[noreturn]] void Unavailable(const char* name) {
  const String algorithm = Utf8ToString(name);
  RaiseCipherException(0, Format(LoadResString(&_sAlgorithmUnavailable), {algorithm}));
}

const EVP_CIPHER* Checked(const EVP_CIPHER* cipher, const char* name) {
  if (!cipher) Unavailable(name);
  return cipher;
}

}  // namespace

const EVP_CIPHER* AesEcb(Int32 keyBytes) {
  std::call_once(gDefaultOnce, FetchDefault);
  const int index = keyBytes <= 16 ? 0 : keyBytes <= 24 ? 1 : 2;
  return Checked(gAes[index], "AES");
}

const EVP_CIPHER* DesEde3Ecb() {
  std::call_once(gDefaultOnce, FetchDefault);
  return Checked(gDesEde3, "DES-EDE3");
}

OSSL_LIB_CTX* LegacyContext() {
  std::call_once(gLegacyOnce, FetchLegacy);
  return gLegacyContext;
}

const EVP_CIPHER* DesEcb() {
  LegacyContext();
  return Checked(gDes, "DES");
}

const EVP_CIPHER* BlowfishEcb() {
  LegacyContext();
  return Checked(gBlowfish, "Blowfish");
}

void InitContext(EVP_CIPHER_CTX*& ctx, const EVP_CIPHER* cipher, const Byte* key, Int32 keyLength,
                 bool encrypt) {
  const char* name = EVP_CIPHER_get0_name(cipher);
  if (!ctx) ctx = EVP_CIPHER_CTX_new();
  if (!ctx) Unavailable(name);
  const int enc = encrypt ? 1 : 0;
  bool ok = EVP_CipherInit_ex2(ctx, cipher, nullptr, nullptr, enc, nullptr) == 1;
  if (ok && EVP_CIPHER_CTX_get_key_length(ctx) != keyLength)
    ok = EVP_CIPHER_CTX_set_key_length(ctx, keyLength) == 1;
  ok = ok && EVP_CipherInit_ex2(ctx, nullptr, key, nullptr, enc, nullptr) == 1;
  ok = ok && EVP_CIPHER_CTX_set_padding(ctx, 0) == 1;
  if (!ok) {
    FreeContext(ctx);
    Unavailable(name);
  }
}

void Run(EVP_CIPHER_CTX* ctx, const Byte* source, Byte* dest, Int32 bytes) {
  int written = 0;
  if (!ctx || EVP_CipherUpdate(ctx, dest, &written, source, bytes) != 1 || written != bytes)
    Unavailable(ctx ? EVP_CIPHER_get0_name(EVP_CIPHER_CTX_get0_cipher(ctx)) : "?");
}

void FreeContext(EVP_CIPHER_CTX*& ctx) {
  EVP_CIPHER_CTX_free(ctx);  // wipes the key schedule
  ctx = nullptr;
}

}  // namespace sk::zacipher_evp
