// The cipher classes. Sizes in bytes (block, largest key, key-schedule area):
//   TCipher_Rijndael    16  32  480   AES; the key is zero-padded to 16, 24 or
//                                     32 bytes (AES-128/192/256 by its length)
//   TCipher_RijndaelZA  16  32  480   AES rounds with the library's own key
//                                     expansion, which differs for 32-byte keys
//   TCipher_Blowfish     8  56 4168   Blowfish (the key bytes used cyclically)
//   TCipher_1DES         8   8  256   DES
//   TCipher_3DES         8  24  768   triple DES, encrypt-decrypt-encrypt
//   TCipher_3TDES       24  24  768   triple DES stages over a 24-byte block
//   TCipher_Twofish     16  32 4256   Twofish
//   TCipher_Square      16  16  288   Square
// Keys shorter than a cipher needs are padded with zero bytes.
#pragma once

#include "zip/ZACipher_base.h"

// OpenSSL's cipher context, held by the classes whose block function it runs.
typedef struct evp_cipher_ctx_st EVP_CIPHER_CTX;

namespace sk {

// The creators that every cipher class offers under its own type.
#define SK_CIPHER_CREATORS(T)                                                                          \
 public:                                                                                               \
  static const TCipherClass& ClassRef();                                                               \
  static TProtectionPtr<T> Create(const AnsiString& password = {}, TProtection* protection = nullptr); \
  static TProtectionPtr<T> Create(TBytes& key, Word keyLength);

class TCipher_Rijndael : public TCipher {
  SK_CIPHER_CREATORS(TCipher_Rijndael)
  using TCipher::TCipher;

  const void* TestVector() const override;
  void Encode(void* data) override;
  void Decode(void* data) override;
  void Init(const void* key, Int32 size, const void* vector) override;
  void Protect() override;
  // 10, 12 or 14 after a key is set.
  Int32 Rounds() const { return FRounds; }

 protected:
  ~TCipher_Rijndael() override;
  void EncodeBlocks(const Byte* source, Byte* dest, Int32 count) override;
  bool EncodeCounterStream(const Byte* in, Byte* out, Int32 count, UInt64 counter, const Byte* nonce,
                           Byte* last) override;

  Int32 FRounds = 0;

 private:
  void WipeRoundKeys();

  EVP_CIPHER_CTX* fEncrypt = nullptr;
  EVP_CIPHER_CTX* fDecrypt = nullptr;
  // The encryption round keys for the processor's AES instructions (AES-128
  // and AES-256 keys, where the processor has them); fRoundKeyCount 0 when
  // not in use.
  alignas(16) Byte fRoundKeys[15 * 16] = {};
  Int32 fRoundKeyCount = 0;
};

class TCipher_RijndaelZA : public TCipher_Rijndael {
  SK_CIPHER_CREATORS(TCipher_RijndaelZA)
  using TCipher_Rijndael::TCipher_Rijndael;

  void Encode(void* data) override;
  void Decode(void* data) override;
  void Init(const void* key, Int32 size, const void* vector) override;

 protected:
  ~TCipher_RijndaelZA() override = default;
  void EncodeBlocks(const Byte* source, Byte* dest, Int32 count) override;
  // Its own key expansion has no processor path: the blocks go one by one.
  bool EncodeCounterStream(const Byte*, Byte*, Int32, UInt64, const Byte*, Byte*) override { return false; }
};

class TCipher_Blowfish : public TCipher {
  SK_CIPHER_CREATORS(TCipher_Blowfish)
  using TCipher::TCipher;

  const void* TestVector() const override;
  void Encode(void* data) override;
  void Decode(void* data) override;
  void Init(const void* key, Int32 size, const void* vector) override;
  void Protect() override;

 protected:
  ~TCipher_Blowfish() override;
  void EncodeBlocks(const Byte* source, Byte* dest, Int32 count) override;

 private:
  EVP_CIPHER_CTX* fEncrypt = nullptr;
  EVP_CIPHER_CTX* fDecrypt = nullptr;
};

class TCipher_1DES : public TCipher {
  SK_CIPHER_CREATORS(TCipher_1DES)
  using TCipher::TCipher;

  const void* TestVector() const override;
  void Encode(void* data) override;
  void Decode(void* data) override;
  void Init(const void* key, Int32 size, const void* vector) override;
  void Protect() override;

 protected:
  ~TCipher_1DES() override;
  void EncodeBlocks(const Byte* source, Byte* dest, Int32 count) override;
  // Releases every context (and with it the key schedules).
  void FreeContexts();

  // Single DES: [0] encrypts, [1] decrypts. Triple DES: [0] and [1] run the
  // three-key algorithm. The 24-byte-block form: [0] to [5] are the DES
  // stages (encrypt with key bytes 0-7, decrypt with 8-15, encrypt with 16-23,
  // and their inverses).
  EVP_CIPHER_CTX* fCtx[6] = {};
};

class TCipher_3DES : public TCipher_1DES {
  SK_CIPHER_CREATORS(TCipher_3DES)
  using TCipher_1DES::TCipher_1DES;

  const void* TestVector() const override;
  void Init(const void* key, Int32 size, const void* vector) override;

 protected:
  ~TCipher_3DES() override = default;
};

class TCipher_3TDES : public TCipher_3DES {
  SK_CIPHER_CREATORS(TCipher_3TDES)
  using TCipher_3DES::TCipher_3DES;

  const void* TestVector() const override;
  void Encode(void* data) override;
  void Decode(void* data) override;
  void Init(const void* key, Int32 size, const void* vector) override;

 protected:
  ~TCipher_3TDES() override = default;
  void EncodeBlocks(const Byte* source, Byte* dest, Int32 count) override;
};

class TCipher_Twofish : public TCipher {
  SK_CIPHER_CREATORS(TCipher_Twofish)
  using TCipher::TCipher;

  const void* TestVector() const override;
  void Encode(void* data) override;
  void Decode(void* data) override;
  void Init(const void* key, Int32 size, const void* vector) override;

 protected:
  ~TCipher_Twofish() override = default;
};

class TCipher_Square : public TCipher {
  SK_CIPHER_CREATORS(TCipher_Square)
  using TCipher::TCipher;

  const void* TestVector() const override;
  void Encode(void* data) override;
  void Decode(void* data) override;
  void Init(const void* key, Int32 size, const void* vector) override;

 protected:
  ~TCipher_Square() override = default;
};

#undef SK_CIPHER_CREATORS

}  // namespace sk
