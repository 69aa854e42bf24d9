// DES, triple DES, triple DES over a 24-byte block, and Blowfish, on
// OpenSSL's block functions.
#include <openssl/crypto.h>

#include <cstring>
#include <utility>

#include "zip/ZACipher_ciphers.h"
#include "zip/ZACipher_evp.h"

namespace sk {

namespace {

using namespace zacipher_evp;

constexpr Int32 kDesBlock = 8;
constexpr Int32 kWideBlock = 24;

// The padded working copy of a key, wiped when it goes.
template <size_t N>
struct TPaddedKey {
  TPaddedKey(const void* key, Int32 size) {
    if (key && size > 0) std::memcpy(bytes, key, static_cast<size_t>(size));
  }
  ~TPaddedKey() { OPENSSL_cleanse(bytes, N); }
  TPaddedKey(const TPaddedKey&) = delete;
  TPaddedKey& operator=(const TPaddedKey&) = delete;
  Byte bytes[N] = {};
};

// Between the stages of the 24-byte-block form the 32-bit words 1 and 2 and
// the words 3 and 4 of each block change places.
void ExchangeWords(Byte* data, Int32 count) {
  for (Int32 b = 0; b < count; ++b) {
    Byte* w = data + b * kWideBlock;
    Byte t[4];
    std::memcpy(t, w + 4, 4);
    std::memcpy(w + 4, w + 8, 4);
    std::memcpy(w + 8, t, 4);
    std::memcpy(t, w + 12, 4);
    std::memcpy(w + 12, w + 16, 4);
    std::memcpy(w + 16, t, 4);
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// TCipher_Blowfish

TCipher_Blowfish::~TCipher_Blowfish() {
  FreeContext(fEncrypt);
  FreeContext(fDecrypt);
}

const void* TCipher_Blowfish::TestVector() const { throw Exception(u"Not implemented 21"); }

void TCipher_Blowfish::Protect() {
  TCipher::Protect();
  FreeContext(fEncrypt);
  FreeContext(fDecrypt);
}

void TCipher_Blowfish::Init(const void* key, Int32 size, const void* vector) {
  InitBegin(size);
  TPaddedKey<56> k(key, size);
  // The key schedule runs through the key bytes cyclically; an empty key is
  // one zero byte, which gives the schedule of any all-zero key.
  const Int32 length = size > 0 ? size : 1;
  const EVP_CIPHER* bf = BlowfishEcb();
  InitContext(fEncrypt, bf, k.bytes, length, true);
  InitContext(fDecrypt, bf, k.bytes, length, false);
  InitEnd(vector);
}

void TCipher_Blowfish::Encode(void* data) {
  Run(fEncrypt, static_cast<Byte*>(data), static_cast<Byte*>(data), kDesBlock);
}

void TCipher_Blowfish::Decode(void* data) {
  Run(fDecrypt, static_cast<Byte*>(data), static_cast<Byte*>(data), kDesBlock);
}

void TCipher_Blowfish::EncodeBlocks(const Byte* source, Byte* dest, Int32 count) {
  Run(fEncrypt, source, dest, count * kDesBlock);
}

// ---------------------------------------------------------------------------
// TCipher_1DES and TCipher_3DES

TCipher_1DES::~TCipher_1DES() { FreeContexts(); }

void TCipher_1DES::FreeContexts() {
  for (auto& ctx : fCtx) FreeContext(ctx);
}

const void* TCipher_1DES::TestVector() const { throw Exception(u"Not implemented 22"); }

void TCipher_1DES::Protect() {
  TCipher::Protect();
  FreeContexts();
}

void TCipher_1DES::Init(const void* key, Int32 size, const void* vector) {
  InitBegin(size);
  TPaddedKey<8> k(key, size);
  const EVP_CIPHER* des = DesEcb();
  InitContext(fCtx[0], des, k.bytes, 8, true);
  InitContext(fCtx[1], des, k.bytes, 8, false);
  InitEnd(vector);
}

void TCipher_1DES::Encode(void* data) {
  Run(fCtx[0], static_cast<Byte*>(data), static_cast<Byte*>(data), kDesBlock);
}

void TCipher_1DES::Decode(void* data) {
  Run(fCtx[1], static_cast<Byte*>(data), static_cast<Byte*>(data), kDesBlock);
}

void TCipher_1DES::EncodeBlocks(const Byte* source, Byte* dest, Int32 count) {
  Run(fCtx[0], source, dest, count * kDesBlock);
}

const void* TCipher_3DES::TestVector() const { throw Exception(u"Not implemented 24"); }

void TCipher_3DES::Init(const void* key, Int32 size, const void* vector) {
  InitBegin(size);
  TPaddedKey<24> k(key, size);
  const EVP_CIPHER* des3 = DesEde3Ecb();
  InitContext(fCtx[0], des3, k.bytes, 24, true);
  InitContext(fCtx[1], des3, k.bytes, 24, false);
  InitEnd(vector);
}

// ---------------------------------------------------------------------------
// TCipher_3TDES

const void* TCipher_3TDES::TestVector() const { throw Exception(u"Not implemented 25"); }

void TCipher_3TDES::Init(const void* key, Int32 size, const void* vector) {
  InitBegin(size);
  TPaddedKey<24> k(key, size);
  const EVP_CIPHER* des = DesEcb();
  const Byte* part1 = k.bytes;
  const Byte* part2 = k.bytes + 8;
  const Byte* part3 = k.bytes + 16;
  // Encryption: E(bytes 0-7), D(bytes 8-15), E(bytes 16-23); decryption the reverse.
  InitContext(fCtx[0], des, part1, 8, true);
  InitContext(fCtx[1], des, part2, 8, false);
  InitContext(fCtx[2], des, part3, 8, true);
  InitContext(fCtx[3], des, part3, 8, false);
  InitContext(fCtx[4], des, part2, 8, true);
  InitContext(fCtx[5], des, part1, 8, false);
  InitEnd(vector);
}

void TCipher_3TDES::EncodeBlocks(const Byte* source, Byte* dest, Int32 count) {
  const Int32 bytes = count * kWideBlock;
  Run(fCtx[0], source, dest, bytes);
  ExchangeWords(dest, count);
  Run(fCtx[1], dest, dest, bytes);
  ExchangeWords(dest, count);
  Run(fCtx[2], dest, dest, bytes);
}

void TCipher_3TDES::Encode(void* data) {
  EncodeBlocks(static_cast<Byte*>(data), static_cast<Byte*>(data), 1);
}

void TCipher_3TDES::Decode(void* data) {
  auto* d = static_cast<Byte*>(data);
  Run(fCtx[3], d, d, kWideBlock);
  ExchangeWords(d, 1);
  Run(fCtx[4], d, d, kWideBlock);
  ExchangeWords(d, 1);
  Run(fCtx[5], d, d, kWideBlock);
}

}  // namespace sk
