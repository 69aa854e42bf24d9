// PBKDF2 with HMAC-SHA-1, through the registered SHA-1 descriptor.
#pragma once

#include "platform/runtime/RtlTypes.h"

namespace sk {

// While true, PBKDF2 raises an Exception naming the code instead of returning
// a code other than 0.
inline bool HaltOnError = true;

// kdf2 with the registered _SHA1 descriptor: 0 on success, 1 when no SHA-1
// descriptor is registered (the library has not been started).
Int32 PBKDF2(const void* pPW, Word pLen, const void* salt, Word sLen, Int32 C, void* DK, Word dkLen);

// Unit start and stop (the unit has no work of its own).
void ZAKeyDeriv_initialization();
void ZAKeyDeriv_Finalization();

}  // namespace sk
