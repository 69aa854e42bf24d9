// Encryption of archive entries in the AES format for zip entries: a salt and
// a two-byte password verifier before the data, AES in counter mode over the
// data (a little-endian counter from 1), and the first ten bytes of an
// HMAC-SHA-1 over the encrypted data after it. Keys come from PBKDF2-HMAC-SHA-1
// with 1000 iterations: the AES key, the HMAC key and the verifier, in that
// order. The extra field 0x9901 names the vendor version, the key strength and
// the real compression method.
//
// A transform serves one entry in one direction. Writing: Initialize
// (Encryption), GenerateKey, the start block, EncryptBuffer over the data in
// order, the end block. Reading: Initialize (Decryption), GenerateKey (which
// only records the password: keys are derived from the stored salt when the
// start block is loaded), LoadFileStorageStartBlock, CheckPassword,
// DecryptBuffer over the data in order, LoadFileStorageEndBlock,
// IsDirItemCorrupted.
#pragma once

#include <memory>

#include "platform/runtime/RtlTypes.h"
#include "platform/runtime/Streams.h"
#include "zip/ZACipher.h"
#include "zip/ZADirArray.h"
#include "zip/ZAPBKDF_2.h"
#include "zip/ZARecords.h"
#include "zip/ZATypes.h"
#include "zip/ZAhmac.h"

namespace sk {

// The work an archive entry's encryption does, whatever the algorithm.
class TZACryptoTransform : public TObject {
 public:
  ~TZACryptoTransform() override = default;

  virtual void GenerateKey(const AnsiString& password) = 0;
  // Whether the password gives the verifier the entry stores.
  virtual bool CheckPassword(const AnsiString& password, const TDirItem& item) = 0;
  // The cipher key (empty before a key is derived).
  virtual const TBytes& GetKey() const = 0;
  virtual AnsiString GetPassword() const = 0;
  virtual void Initialize(TCryptoTransformMode mode, const TDirItem& item);
  virtual void Reset() = 0;
  // Each takes count bytes at source + sourceOffset and writes as many at
  // dest + destOffset (the two may be the same bytes); answers count.
  virtual Int32 DecryptBuffer(const Byte* source, Int64 sourceOffset, Int32 count, Byte* dest, Int64 destOffset) = 0;
  virtual Int32 EncryptBuffer(const Byte* source, Int64 sourceOffset, Int32 count, Byte* dest, Int64 destOffset) = 0;
  // The bytes written before the entry's data.
  virtual TBytes GetFileStorageStartBlock() = 0;
  // Reads the start block from the stream, offset bytes on from its position.
  virtual void LoadFileStorageStartBlock(TStream* stream, Int64 offset) = 0;
  virtual Word GetFileStorageStartBlockSize() const = 0;
  // The bytes written after the entry's data (empty when there are none).
  virtual TBytes GetFileStorageEndBlock() = 0;
  virtual void LoadFileStorageEndBlock(TStream* stream, Int64 offset) = 0;
  virtual Cardinal GetFileStorageEndBlockSize() const = 0;
  // Whether the data read do not authenticate; crc is the CRC-32 of the
  // bytes extracted.
  virtual bool IsDirItemCorrupted(const TDirItem& item, Cardinal crc) = 0;
  virtual TZAExtraFieldDataBlock GetExtraFieldData() const = 0;

  TCryptoTransformMode FTransformMode = Encryption;
};

// The vendor version of an entry's 0x9901 field: 1 or 2; 2 when the entry
// carries no such field or names another version.
Word AESVendorVersionOf(const TDirItem& item);
// The key length in bits of an AES algorithm (128, 192, 256); 0 for any other.
Int32 AESKeyBitsOf(TZACryptoAlgorithm algorithm);

class TAESCryptoTransform : public TZACryptoTransform {
 public:
  // keyLengthBits 128, 192 or 256. Version 2 stores a CRC of 0 and relies on
  // the authentication code; version 1 also stores the real CRC, and both
  // are checked when it is read. This engine writes version 2 only.
  TAESCryptoTransform(Int32 keyLengthBits, Word version, Word actualCompressionMethod);
  ~TAESCryptoTransform() override;
  TAESCryptoTransform(const TAESCryptoTransform&) = delete;
  TAESCryptoTransform& operator=(const TAESCryptoTransform&) = delete;

  static std::unique_ptr<TAESCryptoTransform> CreateAESEncryption(Int32 keyLengthBits, Word version,
                                                                  Word actualCompressionMethod);

  // Encryption: a fresh random salt and the keys derived from it. Decryption
  // with a salt already loaded: the keys derived from that salt. Decryption
  // before the start block is loaded: the password is only recorded.
  void GenerateKey(const AnsiString& password) override;
  bool CheckPassword(const AnsiString& password, const TDirItem& item) override;
  const TBytes& GetKey() const override { return FEncryptionKey; }
  AnsiString GetPassword() const override { return FPassword; }
  void Reset() override;
  Int32 DecryptBuffer(const Byte* source, Int64 sourceOffset, Int32 count, Byte* dest, Int64 destOffset) override;
  Int32 EncryptBuffer(const Byte* source, Int64 sourceOffset, Int32 count, Byte* dest, Int64 destOffset) override;
  // The salt, then the verifier.
  TBytes GetFileStorageStartBlock() override;
  // Reads the salt, derives the keys from it and the password, then reads
  // the stored verifier. A short stream raises EReadError.
  void LoadFileStorageStartBlock(TStream* stream, Int64 offset) override;
  Word GetFileStorageStartBlockSize() const override;
  // The authentication code (ten bytes).
  TBytes GetFileStorageEndBlock() override;
  void LoadFileStorageEndBlock(TStream* stream, Int64 offset) override;
  Cardinal GetFileStorageEndBlockSize() const override;
  // The authentication code compared in constant time (and, for version 1,
  // the CRC); true when either differs or no code was loaded.
  bool IsDirItemCorrupted(const TDirItem& item, Cardinal crc) override;
  TZAExtraFieldDataBlock GetExtraFieldData() const override;

  Word KeyLengthBytes() const { return FKeyLengthBytes; }
  Word Version() const { return FVersion; }
  const TBytes& Salt() const { return FSaltValue; }
  const TBytes& PasswordVerificationValue() const { return FPasswordVerificationValue; }
  // How many times keys were derived (each derivation runs PBKDF2 once).
  Int32 DerivationCount() const { return fDerivations; }

 private:
  // Derives the key bytes for the password and the salt (once per pair),
  // then starts the HMAC and a new cipher.
  void UpdateKeys();
  // The 2L + 2 key bytes of a password over the current salt, from the last
  // derivation when it was for the same password and salt.
  const TBytes& DerivedBytes(const AnsiString& password);
  void FinalMac(Byte mac[10]);

  std::unique_ptr<TPBKDF2> FKeyGenerator;
  THMAC_Context FHMAC_Context{};
  PHashDesc FPHash = nullptr;
  TProtectionPtr<TCipher_Rijndael> FCryptor;
  Word FKeyLengthBytes = 0;
  TBytes FHashKey;
  TBytes FEncryptionKey;
  TBytes FPasswordVerificationValue;
  TBytes FSaltValue;
  TBytes FAuthenticationCode;
  AnsiString FPassword;
  Word FVersion = 2;
  Word FActualCompressionMethod = 0;
  Int32 FAuthenticationCodeSize = 10;

  // The last derivation: its password, salt and bytes.
  AnsiString fDerivedPassword;
  TBytes fDerivedSalt;
  TBytes fDerived;
  bool fHasDerived = false;
  bool fMacFinal = false;
  Int32 fDerivations = 0;
};

// Unit start and stop (the unit has no work of its own).
void ZACryptoTransform_initialization();
void ZACryptoTransform_Finalization();

}  // namespace sk
