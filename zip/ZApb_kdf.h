// PBKDF2 (PKCS #5 version 2) with HMAC over a hash descriptor as the
// pseudo-random function.
#pragma once

#include "platform/runtime/RtlTypes.h"
#include "zip/ZAHash.h"

namespace sk {

// Derives dkLen bytes into DK from the password and salt with C iterations.
// Result 0; 1 for a null descriptor; 2 for a descriptor it cannot use (digest
// length 0, or block or digest past the context's buffers). A count below 1
// gives zero bytes. An output length of 0 writes nothing.
Int32 kdf2(PHashDesc phash, const void* pPW, Word pLen, const void* salt, Word sLen, Int32 C, void* DK, Word dkLen);
// kdf2 over the bytes of the string password (every byte of it).
Int32 kdf2s(PHashDesc phash, const AnsiString& sPW, const void* salt, Word sLen, Int32 C, void* DK, Word dkLen);

// Unit start and stop (the unit has no work of its own).
void ZApb_kdf_initialization();
void ZApb_kdf_Finalization();

}  // namespace sk
