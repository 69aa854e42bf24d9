// The cipher base class with its nine modes of operation, the class references
// of ciphers and hashes, and the cipher exception.
#pragma once

#include "platform/runtime/RtlTypes.h"
#include "zip/ZACryptUtil.h"

namespace sk {

class TCipher;
class THash;

enum TCipherMode : uint8_t { cmCTS, cmCBC, cmCFB, cmOFB, cmCTR, cmECB, cmCTSMAC, cmCBCMAC, cmCFBMAC };

// Codes: 2 key too long (while CheckCipherKeySize is true), 3 not initialised.
class ECipherException : public Exception {
 public:
  ECipherException(Int32 errorCode, String msg) : Exception(std::move(msg)), ErrorCode(errorCode) {}
  Int32 ErrorCode = 0;
};

[[noreturn]] void RaiseCipherException(Int32 errorCode, const String& msg);

// The class reference of a hash class: name, parent, digest size and the
// class operations that hash a whole buffer, string, stream or file.
class THashClass : public TProtectionClass {
 public:
  using TFactory = TProtectionPtr<THash> (*)(const THashClass& cls, TProtection* protection);

  constexpr THashClass(const char* name, const THashClass* parent, Int32 digestSize, TFactory factory)
      : TProtectionClass(name, parent), fDigestSize(digestSize), fFactory(factory) {}
  // The root of the hash classes, whose parent is TProtection's class.
  constexpr THashClass(const char* name, const TProtectionClass* root, Int32 digestSize, TFactory factory)
      : TProtectionClass(name, root), fDigestSize(digestSize), fFactory(factory), fRoot(true) {}

  // The parent among the hash classes; null for the root.
  const THashClass* Parent() const { return fRoot ? nullptr : static_cast<const THashClass*>(ClassParent()); }
  Int32 DigestKeySize() const { return fDigestSize; }
  // A new hash object linked to protection; null for a class without objects.
  TProtectionPtr<THash> Create(TProtection* protection = nullptr) const;

  // Each creates an object of the class linked to protection, runs Init,
  // Calc over the data and Done, and returns the digest in the string format.
  AnsiString CalcBuffer(const void* buffer, Int32 size, TProtection* protection = nullptr,
                        Int32 format = fmtDEFAULT) const;
  AnsiString CalcString(const AnsiString& data, TProtection* protection = nullptr, Int32 format = fmtDEFAULT) const;
  // A negative size means the whole stream from position 0. Reads blocks of
  // 4096 bytes, stops early when a read returns nothing, reports progress.
  AnsiString CalcStream(TStream* stream, Int64 size, TProtection* protection = nullptr,
                        Int32 format = fmtDEFAULT) const;
  AnsiString CalcFile(const String& fileName, TProtection* protection = nullptr, Int32 format = fmtDEFAULT) const;

 private:
  Int32 fDigestSize;
  TFactory fFactory;
  bool fRoot = false;
};

// The class reference of a cipher class: name, parent, the sizes of its
// context (block, largest key, key-schedule area) and its two creators.
class TCipherClass : public TProtectionClass {
 public:
  using TPasswordFactory = TProtectionPtr<TCipher> (*)(const TCipherClass& cls, const AnsiString& password,
                                                       TProtection* protection);
  using TKeyFactory = TProtectionPtr<TCipher> (*)(const TCipherClass& cls, TBytes& key, Word keyLength);

  constexpr TCipherClass(const char* name, const TCipherClass* parent, Int32 bufSize, Int32 keySize, Int32 userSize,
                         TPasswordFactory passwordFactory, TKeyFactory keyFactory)
      : TProtectionClass(name, parent),
        fBufSize(bufSize),
        fKeySize(keySize),
        fUserSize(userSize),
        fPasswordFactory(passwordFactory),
        fKeyFactory(keyFactory) {}
  // The root of the cipher classes, whose parent is TProtection's class.
  constexpr TCipherClass(const char* name, const TProtectionClass* root, Int32 bufSize, Int32 keySize, Int32 userSize,
                         TPasswordFactory passwordFactory, TKeyFactory keyFactory)
      : TProtectionClass(name, root),
        fBufSize(bufSize),
        fKeySize(keySize),
        fUserSize(userSize),
        fPasswordFactory(passwordFactory),
        fKeyFactory(keyFactory),
        fRoot(true) {}

  // The parent among the cipher classes; null for the root.
  const TCipherClass* Parent() const { return fRoot ? nullptr : static_cast<const TCipherClass*>(ClassParent()); }
  void GetContext(Int32& bufSize, Int32& keySize, Int32& userSize) const {
    bufSize = fBufSize;
    keySize = fKeySize;
    userSize = fUserSize;
  }
  Int32 MaxKeySize() const { return fKeySize; }

  // A new cipher in a chain (linked to protection, all actions), keyed with
  // the password when it is not empty. Null for a class without objects.
  TProtectionPtr<TCipher> Create(const AnsiString& password = {}, TProtection* protection = nullptr) const;
  // A new cipher outside any chain (no actions), keyed with the key bytes
  // unless the block is empty: the caller's block is replaced by a block of
  // the same length holding the key encrypted under itself.
  TProtectionPtr<TCipher> Create(TBytes& key, Word keyLength) const;

 private:
  Int32 fBufSize;
  Int32 fKeySize;
  Int32 fUserSize;
  TPasswordFactory fPasswordFactory;
  TKeyFactory fKeyFactory;
  bool fRoot = false;
};

// What a cipher's constructor needs: its class (for the context sizes), and
// for the chain form the link; the key form has no link and no actions.
struct TCipherInit {
  const TCipherClass* cls;
  TProtection* protection;
  bool chain;
};

// The cipher base: buffers, key set-up, flags and the modes of operation.
// Each cipher class overrides Encode and Decode (one block in place) and Init.
class TCipher : public TProtection {
 public:
  explicit TCipher(const TCipherInit& init);

  static const TCipherClass& ClassRef();
  const TCipherClass* CipherClass() const { return static_cast<const TCipherClass*>(ClassType()); }

  // Protection chain: a cipher needs a key first (code 3 otherwise).
  void CodeInit(TPAction action) override;
  void CodeDone(TPAction action) override;
  void CodeBuf(void* buffer, Int32 size, TPAction action) override;

  // Flag 0: a key was set through InitKey; flag 1: initialised.
  bool GetFlag(Int32 index) const { return index >= 0 && index < 32 && ((fFlags >> index) & 1u) != 0; }
  virtual void SetFlag(Int32 index, bool value);
  // Copies the vector (when given) into the initial vector, else encrypts
  // the all-0xFF vector; the feedback register starts from it; flag 1.
  virtual void InitEnd(const void* vector);
  void GetContext(Int32& bufSize, Int32& keySize, Int32& userSize) const;
  // Not provided: raise the fixed texts of their classes.
  virtual const void* TestVector() const;
  // One block in place. The base class does nothing.
  virtual void Encode(void* data);
  virtual void Decode(void* data);
  // Key schedule from size bytes of key (cut or refused above MaxKeySize, see
  // InitBegin), then InitEnd(vector). The base class does nothing.
  virtual void Init(const void* key, Int32 size, const void* vector);
  // Keeps the last chaining value in the buffer and resets the feedback
  // register to the initial vector.
  virtual void Done();
  // Wipes the key schedule, vectors and the counter state; clears flags 0 and 1.
  virtual void Protect();

  // Starts a key set-up: Protect, size clamped to 0..MaxKeySize (code 2
  // instead while CheckCipherKeySize is true).
  void InitBegin(Int32& size);
  // Key from the hash of the password (the smaller of digest and key size).
  void InitKey(const AnsiString& password, const void* vector = nullptr);
  // Key from keyLength bytes of key (at most the block's size); the block is
  // replaced by one of the same length holding the key encrypted under itself.
  void InitKey(TBytes& key, Word keyLength, const void* vector = nullptr);

  // size bytes of source to dest in the current mode (dest may be source).
  void EncodeBuffer(const void* source, void* dest, Int32 size);
  void DecodeBuffer(const void* source, void* dest, Int32 size);

  bool SelfTest();
  Int32 MaxKeySize() const { return fKeySize; }
  Int32 BufSize() const { return fBufSize; }
  Int32 UserSize() const { return fUserSize; }
  TCipherMode Mode() const { return fMode; }
  void SetMode(TCipherMode mode) { fMode = mode; }

  // The key-hashing object, created on first need from the hash class.
  THash* GetHash();
  // A different class releases the hash object; null means the default class.
  void SetHashClass(const THashClass* cls);
  const THashClass* HashClass() const;

  // The initial vector, the feedback register and the scratch block (which
  // keeps the last chaining value after Done), each BufSize bytes.
  const Byte* Vector() const { return fVector.data(); }
  const Byte* Feedback() const { return fFeedback.data(); }
  const Byte* Buffer() const { return fBuffer.data(); }

 protected:
  ~TCipher() override;

  // Encrypts count consecutive blocks of source into dest (which may be
  // source); ciphers with a faster batch path override it (the counter mode
  // and ECB hand their blocks over in batches).
  virtual void EncodeBlocks(const Byte* source, Byte* dest, Int32 count);
  // The counter mode's key stream over count whole blocks in one pass, for
  // ciphers that can: the counter blocks (the 64-bit counter counter + 1,
  // counter + 2, ... in bytes 0-7, little-endian, the nonce's bytes above)
  // are encrypted and XORed over in into out (which may be in, or lie before
  // it); the last key-stream block goes to last. False (nothing done) when
  // the cipher has no such path.
  virtual bool EncodeCounterStream(const Byte* in, Byte* out, Int32 count, UInt64 counter, const Byte* nonce,
                                   Byte* last);
  // The key schedule area.
  Byte* User() { return fUser.data(); }

  TCipherMode fMode = cmCTS;
  TProtectionPtr<THash> fHash;
  const THashClass* fHashClass = nullptr;
  Int32 fKeySize = 0;
  Int32 fBufSize = 0;
  Int32 fUserSize = 0;
  TBytes fBuffer;
  TBytes fVector;
  TBytes fFeedback;
  TBytes fUser;
  Cardinal fFlags = 0;
  Int32 ctrMode_Position = 0;
  TBytes ctrMode_EncryptionBlock;
  TBytes ctrMode_Nonce;

 private:
  void CheckInitialized() const;
  void ApplyCodeAction(TPAction action);
  // The counter mode from in to out (which may be in, or lie before it).
  void EncodeCTR(const Byte* in, Byte* out, Int32 size);
};

// The default cipher class (TCipher_Rijndael unless set; null restores it)
// and the default hash class (THash_RipeMD256 unless set).
const TCipherClass* DefaultCipherClass();
void SetDefaultCipherClass(const TCipherClass* cls);
const THashClass* DefaultHashClass();
void SetDefaultHashClass(const THashClass* cls);

// While true, a key longer than a cipher's largest key raises code 2 instead
// of being cut.
inline constinit bool CheckCipherKeySize = false;

}  // namespace sk
