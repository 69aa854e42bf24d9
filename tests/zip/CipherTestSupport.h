// Helpers of the cipher-library tests: hexadecimal bytes, OpenSSL's reference
// block functions, and a scope that starts and stops the cipher units.
#pragma once

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <string>

#include "zip/ZACipher.h"

namespace sk {

// Bytes from hexadecimal text (blanks ignored).
inline TBytes HexBytes(const std::string& hex) {
  TBytes r;
  int high = -1;
  for (char c : hex) {
    int v = -1;
    if (c >= '0' && c <= '9') v = c - '0';
    if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
    if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
    if (v < 0) continue;
    if (high < 0) {
      high = v;
    } else {
      r.push_back(static_cast<Byte>(high * 16 + v));
      high = -1;
    }
  }
  return r;
}

inline std::string HexOf(const Byte* p, size_t n) {
  static const char* digits = "0123456789ABCDEF";
  std::string r;
  for (size_t i = 0; i < n; ++i) {
    r.push_back(digits[p[i] >> 4]);
    r.push_back(digits[p[i] & 15]);
  }
  return r;
}

inline std::string HexOf(const TBytes& b) { return HexOf(b.data(), b.size()); }
inline std::string HexOf(const AnsiString& s) {
  return HexOf(reinterpret_cast<const Byte*>(s.data()), s.size());
}

// Bytes that vary with their index and a seed.
inline TBytes Pattern(size_t n, unsigned seed = 1) {
  TBytes r(n);
  unsigned v = seed * 2654435761u + 12345u;
  for (auto& b : r) {
    v = v * 1103515245u + 12345u;
    b = static_cast<Byte>(v >> 16);
  }
  return r;
}

// One ECB pass of an OpenSSL cipher over whole blocks.
inline TBytes ReferenceEcb(const EVP_CIPHER* cipher, const TBytes& key, const TBytes& data, bool encrypt = true) {
  TBytes out(data.size() + 64);
  EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
  int n = 0;
  int total = 0;
  EXPECT_EQ(EVP_CipherInit_ex2(ctx, cipher, nullptr, nullptr, encrypt ? 1 : 0, nullptr), 1);
  EVP_CIPHER_CTX_set_key_length(ctx, static_cast<int>(key.size()));
  EXPECT_EQ(EVP_CipherInit_ex2(ctx, nullptr, key.data(), nullptr, encrypt ? 1 : 0, nullptr), 1);
  EVP_CIPHER_CTX_set_padding(ctx, 0);
  EXPECT_EQ(EVP_CipherUpdate(ctx, out.data(), &n, data.data(), static_cast<int>(data.size())), 1);
  total = n;
  EXPECT_EQ(EVP_CipherFinal_ex(ctx, out.data() + total, &n), 1);
  total += n;
  EVP_CIPHER_CTX_free(ctx);
  out.resize(static_cast<size_t>(total));
  return out;
}

inline const EVP_CIPHER* AesEcbFor(size_t keyBytes) {
  return keyBytes == 16 ? EVP_aes_128_ecb() : keyBytes == 24 ? EVP_aes_192_ecb() : EVP_aes_256_ecb();
}

// A cipher of the class keyed with key (through Init, no vector), in mode.
inline TProtectionPtr<TCipher> Keyed(const TCipherClass& cls, const TBytes& key, TCipherMode mode = cmECB) {
  TProtectionPtr<TCipher> c = cls.Create();
  c->Init(key.data(), static_cast<Int32>(key.size()), nullptr);
  c->SetMode(mode);
  return c;
}

inline TBytes Encoded(TCipher& c, const TBytes& data) {
  TBytes out(data.size());
  c.EncodeBuffer(data.data(), out.data(), static_cast<Int32>(data.size()));
  return out;
}

inline TBytes Decoded(TCipher& c, const TBytes& data) {
  TBytes out(data.size());
  c.DecodeBuffer(data.data(), out.data(), static_cast<Int32>(data.size()));
  return out;
}

// Starts the cipher units for one test and stops them after it.
class CipherUnitsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ZACryptUtil_initialization();
    ZACipher_initialization();
  }
  void TearDown() override {
    ZACipher_Finalization();
    ZACryptUtil_Finalization();
  }
};

}  // namespace sk
