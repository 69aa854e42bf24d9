// The registry of hash descriptors and hashing through a descriptor: each hash
// algorithm is described by a fixed 96-byte record of sizes, entry points and
// identity, registered once at start-up and found by identity or by name.
#pragma once

#include <array>
#include <cstddef>

#include "platform/runtime/RtlTypes.h"

namespace sk {

// Hash identities, in registry order.
enum THashAlgorithm : uint8_t { _MD4, _MD5, _RIPEMD160, _SHA1, _SHA224, _SHA256, _SHA384, _SHA512, _Whirlpool };

inline constexpr Int32 kHashAlgorithmCount = 9;

// Digest of each algorithm, and the 64-byte digest that descriptors write into
// (the digest occupies its first HDigestlen bytes).
using TMD4Digest = std::array<Byte, 16>;
using TMD5Digest = std::array<Byte, 16>;
using TRMD160Digest = std::array<Byte, 20>;
using TSHA1Digest = std::array<Byte, 20>;
using TSHA224Digest = std::array<Byte, 28>;
using TSHA256Digest = std::array<Byte, 32>;
using TSHA384Digest = std::array<Byte, 48>;
using TSHA512Digest = std::array<Byte, 64>;
using TWhirlDigest = std::array<Byte, 64>;
using THashDigest = std::array<Byte, 64>;

inline constexpr Int32 MaxBlockLen = 128;
inline constexpr Int32 MaxDigestLen = 64;
inline constexpr Int32 MaxOIDLen = 11;

// Running state of one hash computation. Hash holds the chaining words, MLen
// the message length in bits as a 128-bit number (lowest word first), Buffer
// the input not yet compressed and Index how many bytes of it are pending.
struct THashContext {
  std::array<Cardinal, 16> Hash;
  std::array<Cardinal, 4> MLen;
  std::array<Byte, MaxBlockLen> Buffer;
  Int32 Index;
};

using HashInitProc = void (*)(THashContext& Context);
using HashFinalProc = void (*)(THashContext& Context, THashDigest& Digest);
using HashUpdateXLProc = void (*)(THashContext& Context, const void* Msg, Int32 Len);

// Object identifier components of an algorithm.
using TOID_Vec = std::array<Int32, MaxOIDLen>;

// A name of at most 19 one-byte characters with its length in front.
struct THashName {
  Byte Length;
  char Chars[19];
};

inline constexpr Word C_HashSig = 0x3D7A;
inline constexpr Int32 C_HashVers = 0x10003;

#pragma pack(push, 1)
// The descriptor of one hash algorithm: 96 bytes, packed.
struct THashDesc {
  Word HSig;                 // C_HashSig in every valid descriptor
  Word HDSize;               // sizeof(THashDesc)
  Int32 HDVersion;           // C_HashVers
  Word HBlockLen;            // block length in bytes
  Word HDigestlen;           // digest length in bytes
  HashInitProc HInit;
  HashFinalProc HFinal;
  HashUpdateXLProc HUpdateXL;
  Int32 HAlgNum;             // the THashAlgorithm value
  THashName HName;
  const TOID_Vec* HPtrOID;
  Word HLenOID;              // components of *HPtrOID in use
  Byte HReserved[26];
};
#pragma pack(pop)
static_assert(sizeof(THashDesc) == 96);

using PHashDesc = const THashDesc*;

// A THashName holding the first 19 characters of s.
THashName MakeHashName(const AnsiString& s);
// The characters of a THashName (a length above 19 counts as 19).
AnsiString HashNameToString(const THashName& name);

// Stores the descriptor for the algorithm when it is not null, describes that
// algorithm and carries the valid signature, version and size; else nothing.
// A later registration replaces an earlier one.
void RegisterHash(THashAlgorithm AlgId, PHashDesc phash);

// The registered descriptor of the algorithm; null for a value above 8, an
// empty slot or a descriptor that does not pass the checks.
PHashDesc FindHash_by_ID(THashAlgorithm AlgoID);

// The first registered descriptor whose name equals Name without regard to
// the case of ASCII letters (Name cut to 19 characters); null when none does.
PHashDesc FindHash_by_Name(const AnsiString& Name);

// Adds Len bytes through the descriptor (nothing when it is not valid).
void HashUpdate(PHashDesc phash, THashContext& Context, const void* Msg, Word Len);
// Hashes one block of data into Digest (nothing when the descriptor is not valid).
void HashFullXL(PHashDesc phash, THashDigest& Digest, const void* Msg, Int32 Len);
void HashFull(PHashDesc phash, THashDigest& Digest, const void* Msg, Word Len);

// Hashes the whole file fname into Digest, reading through Buf (bsize bytes;
// a null or empty buffer reads through one of 64 KiB). Err: 0 on success, 204
// without a valid descriptor (nothing else happens), else the I/O result
// code: 2 no such file, 3 no such folder, 4 too many open files, 5 access
// denied (also a folder), 100 read error. The digest is written unless the
// file could not be opened; the file is always closed.
void HashFile(const String& fname, PHashDesc phash, THashDigest& Digest, void* Buf, Int64 bsize, Word& Err);

// Unit start: clears the registry.
void ZAHash_initialization();
void ZAHash_Finalization();

}  // namespace sk
