// Foundation of the cipher and hash classes: the reference-counted protection
// chain through which a cipher or a hash processes buffers, streams, files and
// strings; the string formats that turn raw bytes into text and back, with
// their registry; bit, buffer and text helpers; and the progress hook.
//
// The unit is split by theme: ZACryptUtil_formats.h holds the string formats
// and their registry; this header holds the rest and includes it.
#pragma once

#include <functional>
#include <type_traits>
#include <utility>

#include "platform/runtime/RtlTypes.h"
#include "platform/runtime/Streams.h"
#include "platform/runtime/StringList.h"

namespace sk {

// ---------------------------------------------------------------------------
// Actions of a protection chain and their one-byte set (bit n for value n).

enum TPAction : uint8_t { paEncode, paDecode, paScramble, paCalc, paWipe };
using TPActions = uint8_t;

constexpr TPActions PActionBit(TPAction a) { return static_cast<TPActions>(1u << a); }
inline constexpr TPActions paAllActions = 0x1F;

class EProtection : public Exception { using Exception::Exception; };
class EStringFormat : public Exception { using Exception::Exception; };

class TProtection;

// A class reference of the protection family: one static descriptor per class,
// holding the class name as written in code and the parent class. Descriptors
// are never freed; registries and string lists refer to them as objects
// without owning them.
class TProtectionClass : public TObject {
 public:
  constexpr TProtectionClass(const char* name, const TProtectionClass* parent)
      : fName(name), fParent(parent) {}

  const char* ClassName() const { return fName; }
  const TProtectionClass* ClassParent() const { return fParent; }
  // True for this class and for every class derived from it.
  bool InheritsFrom(const TProtectionClass* other) const;

 private:
  const char* fName;
  const TProtectionClass* fParent;
};

// The class reference of TProtection, the root of the cipher and hash class
// trees. Named here so that the records of those classes can point at it as
// their parent and still be built at compile time.
extern const TProtectionClass kProtectionClass;

// A counted reference to a protection object. Protection objects live on the
// heap and are freed when the last reference (a holder like this one, or a
// chain link) lets go, so that a link never points at a freed object.
template <class T>
class TProtectionPtr {
 public:
  TProtectionPtr() = default;
  TProtectionPtr(std::nullptr_t) {}
  // Takes a reference to p (which may already be referenced elsewhere).
  explicit TProtectionPtr(T* p) : fPtr(p) {
    if (fPtr) fPtr->AddRef();
  }
  TProtectionPtr(const TProtectionPtr& other) : TProtectionPtr(other.fPtr) {}
  TProtectionPtr(TProtectionPtr&& other) noexcept : fPtr(std::exchange(other.fPtr, nullptr)) {}
  template <class U>
    requires std::is_convertible_v<U*, T*>
  TProtectionPtr(const TProtectionPtr<U>& other) : TProtectionPtr(other.get()) {}
  template <class U>
    requires std::is_convertible_v<U*, T*>
  TProtectionPtr(TProtectionPtr<U>&& other) noexcept : fPtr(other.release()) {}
  ~TProtectionPtr() { reset(); }

  TProtectionPtr& operator=(TProtectionPtr other) noexcept {
    std::swap(fPtr, other.fPtr);
    return *this;
  }

  T* get() const { return fPtr; }
  T* operator->() const { return fPtr; }
  T& operator*() const { return *fPtr; }
  explicit operator bool() const { return fPtr != nullptr; }
  void reset() {
    if (T* p = std::exchange(fPtr, nullptr)) p->Release();
  }
  // Hands the reference over to the caller, who must Release it.
  T* release() { return std::exchange(fPtr, nullptr); }

 private:
  T* fPtr = nullptr;
};

template <class T, class... Args>
TProtectionPtr<T> MakeProtection(Args&&... args) {
  return TProtectionPtr<T>(new T(std::forward<Args>(args)...));
}

// The base of every cipher and hash: processes data and hands each piece on
// to the next link of its chain. The base class itself only copies.
class TProtection : public TObject {
 public:
  // Links to protection (or to nothing); all actions enabled.
  explicit TProtection(TProtection* protection = nullptr);
  TProtection(const TProtection&) = delete;
  TProtection& operator=(const TProtection&) = delete;

  static const TProtectionClass& ClassRef();
  static TProtectionPtr<TProtection> Create(TProtection* protection = nullptr);

  // The class reference of the object's own class.
  const TProtectionClass* ClassType() const { return fClass; }

  void AddRef() const { ++fRefCount; }
  // Frees the object when the last reference goes.
  void Release() const;
  Int32 RefCount() const { return fRefCount; }

  // The next link of the chain, or null.
  TProtection* GetProtection() const { return fProtection; }
  // Raises EProtection (circular) when the chain from p leads back to this
  // object; otherwise references p and releases the old link.
  void SetProtection(TProtection* p);

  TPActions Actions() const { return fActions; }
  void SetActions(TPActions actions) { fActions = actions; }

  // The protection-chain interface: the base class only forwards to the next
  // link. Ciphers and hashes override the first three.
  virtual void CodeInit(TPAction action);
  virtual void CodeDone(TPAction action);
  virtual void CodeBuf(void* buffer, Int32 size, TPAction action);
  // Codes size bytes of source into dest in blocks of 4096 bytes (dest null:
  // source itself, coded in place). A negative size means the whole source
  // from position 0. paCalc only reads. Stops early when a read returns
  // nothing. Reports progress through DoProgress.
  virtual void CodeStream(TStream* source, TStream* dest, Int64 size, TPAction action);
  // Codes a file into another, or in place when both names are one file or
  // the destination is blank (paCalc never writes).
  virtual void CodeFile(const String& source, const String& dest, TPAction action);
  // Codes an 8-bit string: paDecode first turns the input from the string
  // format into bytes and returns bytes; other actions return the result in
  // the string format. Empty input gives empty output.
  virtual AnsiString CodeString(const AnsiString& source, TPAction action, Int32 format = -1);
  // CodeInit, CodeBuf, CodeDone; returns size.
  virtual Int32 CodeBuffer(void* buffer, Int32 size, TPAction action);

  // The inverted CRC-16 of the class name seeded with IdentityBase.
  Word Identity() const;

 protected:
  // For derived classes: their own class reference, the link and the actions.
  TProtection(const TProtectionClass* cls, TProtection* protection, TPActions actions);
  // Only the last Release frees a protection object.
  ~TProtection() override;

  TProtection* fProtection = nullptr;
  TPActions fActions = paAllActions;

 private:
  const TProtectionClass* fClass;
  mutable Int32 fRefCount = 0;
};

// True when p is not null and is an object of cls or of a class derived from it.
bool IsObject(const TProtection* p, const TProtectionClass* cls);
// The class name without everything up to and including its first "_"
// ("TCipher_Rijndael" gives "Rijndael"); empty for a null class.
AnsiString GetShortClassName(const TProtectionClass* cls);

// ---------------------------------------------------------------------------
// Buffer, bit and text helpers.

// dest[i] := a[i] XOR b[i] for i below size (dest may be a or b).
void XORBuffers(const void* a, const void* b, Int32 size, void* dest);
// 0 when the first size bytes are equal, else a[i] - b[i] at the first difference.
Int32 MemCompare(const void* a, const void* b, Int32 size);

// 32-bit rotations by a count taken modulo 32.
constexpr Cardinal ROL(Cardinal value, Int32 shift) {
  const unsigned s = static_cast<unsigned>(shift) & 31u;
  return s == 0 ? value : (value << s) | (value >> (32 - s));
}
constexpr Cardinal ROR(Cardinal value, Int32 shift) {
  const unsigned s = static_cast<unsigned>(shift) & 31u;
  return s == 0 ? value : (value >> s) | (value << (32 - s));
}
constexpr Cardinal ROLADD(Cardinal value, Cardinal add, Int32 shift) { return ROL(value, shift) + add; }
constexpr Cardinal ROLSUB(Cardinal value, Cardinal sub, Int32 shift) { return ROL(value, shift) - sub; }
constexpr Cardinal RORADD(Cardinal value, Cardinal add, Int32 shift) { return ROR(value, shift) + add; }
constexpr Cardinal RORSUB(Cardinal value, Cardinal sub, Int32 shift) { return ROR(value, shift) - sub; }

// Reverses the order of the 32 bits.
Cardinal SwapBits(Cardinal value);
// Index of the lowest / highest set bit; 0 for 0.
Int32 LSBit(Cardinal value);
Int32 MSBit(Cardinal value);
// The index of the only set bit when exactly one bit is set, else 0.
Int32 OneBit(Cardinal value);

// Byte-order reversal of a 32-bit value and of a buffer of them; procedure
// variables that start-up points at the routines of the processor type.
// Both start with those routines, so they are never unset.
Cardinal SwapIntegerBytes(Cardinal value);
// Not provided by the library: raises "Not implemented 8".
void SwapIntegerBufferStub(const void* source, void* dest, Int32 count);
using TSwapIntegerProc = Cardinal (*)(Cardinal);
using TSwapIntegerBufferProc = void (*)(const void* source, void* dest, Int32 count);
inline constinit TSwapIntegerProc SwapInteger = &SwapIntegerBytes;
inline constinit TSwapIntegerBufferProc SwapIntegerBuffer = &SwapIntegerBufferStub;

// Cuts text into lines of width bytes joined by CR LF (a text whose length is
// a multiple of width ends with CR LF); width <= 0 or a text no longer than
// width comes back unchanged.
AnsiString InsertCR(const AnsiString& text, Int32 width);
// Removes every CR and LF byte.
AnsiString DeleteCR(const AnsiString& text);
// Wraps each piece of width bytes (and a shorter last piece) in start and end;
// width <= 0 or a text no longer than width comes back unchanged.
AnsiString InsertBlocks(const AnsiString& text, const AnsiString& start, const AnsiString& end,
                        Int32 width);
// Concatenates the text between each start and the next end (from the current
// position when start is empty; to the text's end when no end follows, or
// when end is empty); stops when start is not found.
AnsiString RemoveBlocks(const AnsiString& text, const AnsiString& start, const AnsiString& end);

// The monotonic clock in nanoseconds, and its frequency.
Int64 PerfCounter();
Int64 PerfFreq();

// The progress hook: sender, current, maximal.
using TProgressEvent = std::function<void(TObject* Sender, Int64 Current, Int64 Maximal)>;
inline TProgressEvent Progress;
// Calls Progress when it is set.
void DoProgress(TObject* sender, Int64 current, Int64 maximal);

// The processor type (fixed).
Int32 CPUType();

// Test flag of the self-tests and the seed of Identity.
inline constinit bool InitTestIsOk = true;
inline constinit Word IdentityBase = 0x1234;

// Routines that the library does not provide; each raises Exception with its
// fixed text ("Not implemented 11", "12", "13" and "14").
void RndXORBuffer(Int32 seed, void* buffer, Int32 size);
Int32 RndTimeSeed();
Word CRC16(Word crc, const void* data, Int32 size);
const void* GetTestVector();

// Unit start and stop: start-up selects the swap routines and registers the
// six string formats; shut-down frees the format registry.
void ZACryptUtil_initialization();
void ZACryptUtil_Finalization();

}  // namespace sk

#include "zip/ZACryptUtil_formats.h"
