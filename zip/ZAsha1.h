// SHA-1 (FIPS 180) on the hash registry's records: the descriptor registered
// at start-up and the routines behind it.
#pragma once

#include "platform/runtime/RtlTypes.h"
#include "zip/ZAHash.h"

namespace sk {

// The SHA-1 descriptor (block 64, digest 20, OID 1.3.14.3.2.26).
PHashDesc SHA1_Descriptor();

// Zeroes the context and sets the five initial chaining words.
void SHA1Init(THashContext& Context);
// Adds Len bytes at Msg (nothing for a length below 1).
void SHA1Update(THashContext& Context, const void* Msg, Word Len);
void SHA1UpdateXL(THashContext& Context, const void* Msg, Int32 Len);
// Pads, writes the 20-byte digest into the zeroed 64-byte Digest and zeroes
// the context.
void SHA1FinalEx(THashContext& Context, THashDigest& Digest);
void SHA1Final(THashContext& Context, TSHA1Digest& Digest);
// The digest of one block of data.
void SHA1Full(TSHA1Digest& Digest, const void* Msg, Word Len);
void SHA1FullXL(TSHA1Digest& Digest, const void* Msg, Int32 Len);
// The digest of a whole file, through HashFile (Err as HashFile gives it).
void SHA1File(const String& fname, TSHA1Digest& Digest, void* Buf, Word bsize, Word& Err);
// True when the two messages of the standard give its digests, hashed whole
// and byte by byte.
bool SHA1SelfTest();

// Unit start: registers the descriptor as _SHA1.
void ZAsha1_initialization();
void ZAsha1_Finalization();

}  // namespace sk
