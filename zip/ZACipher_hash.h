// The hash base class and its classes: MD4, RIPEMD-128, RIPEMD-256 and the
// checksum class that has only the base behaviour.
//
// The MD4 family counts the message in a 32-bit byte count, and its length
// field holds 8 times that count computed in 32 bits: messages of 512 MiB and
// more give digests that differ from the published algorithms.
#pragma once

#include "zip/ZACipher_base.h"

namespace sk {

class THash : public TProtection {
 public:
  explicit THash(const THashClass* cls, TProtection* protection = nullptr);

  static const THashClass& ClassRef();
  const THashClass* HashClass() const { return static_cast<const THashClass*>(ClassType()); }

  // Protection chain: see the unit's description of the actions.
  void CodeInit(TPAction action) override;
  void CodeDone(TPAction action) override;
  void CodeBuf(void* buffer, Int32 size, TPAction action) override;

  // Not provided: raise the fixed texts of their classes.
  virtual const void* TestVector() const;
  virtual void Init();
  virtual void Calc(const void* data, Int32 size);
  virtual void Done();
  // The digest (DigestKeySize bytes); the base class has none and raises.
  virtual Byte* DigestKey();
  virtual Int32 DigestKeySize() const { return 0; }

  // The digest in a string format.
  AnsiString DigestStr(Int32 format = fmtDEFAULT);
  bool SelfTest();

 protected:
  ~THash() override;
};

// The base behaviour only (no digest).
class TChecksum : public THash {
 public:
  using THash::THash;
  static const THashClass& ClassRef();

 protected:
  ~TChecksum() override = default;
};

// MD4 (RFC 1320) and the frame shared by its children: 64-byte blocks, a
// little-endian length field, the digest as little-endian chaining words.
class THash_MD4 : public THash {
 public:
  using THash::THash;
  static const THashClass& ClassRef();

  const void* TestVector() const override;
  void Init() override;
  void Calc(const void* data, Int32 size) override;
  void Done() override;
  Byte* DigestKey() override;
  Int32 DigestKeySize() const override { return 16; }

 protected:
  ~THash_MD4() override;
  // One 64-byte block into the chaining words.
  virtual void Transform(const Byte* block);
  // The chaining words before the first block.
  virtual void InitDigest();

  Cardinal FCount = 0;
  Byte FBuffer[64] = {};
  Cardinal FDigest[8] = {};
  Byte fDigestBytes[32] = {};
};

class THash_RipeMD128 : public THash_MD4 {
 public:
  using THash_MD4::THash_MD4;
  static const THashClass& ClassRef();
  const void* TestVector() const override;

 protected:
  ~THash_RipeMD128() override = default;
  void Transform(const Byte* block) override;
};

class THash_RipeMD256 : public THash_MD4 {
 public:
  using THash_MD4::THash_MD4;
  static const THashClass& ClassRef();
  const void* TestVector() const override;
  Int32 DigestKeySize() const override { return 32; }

 protected:
  ~THash_RipeMD256() override = default;
  void Transform(const Byte* block) override;
  void InitDigest() override;
};

}  // namespace sk
