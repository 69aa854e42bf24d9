// The key generator of encrypted entries: a password, a salt and an iteration
// count, from which PBKDF2-HMAC-SHA-1 derives key bytes.
#pragma once

#include "platform/runtime/RtlTypes.h"

namespace sk {

class TPBKDF2 : public TObject {
 public:
  // A fresh salt of SaltLength secret random bytes (every value 0 to 255).
  TPBKDF2(const AnsiString& Password, Int32 SaltLength, Int32 IterationCount);
  // A copy of the SaltLength bytes at Salt.
  TPBKDF2(const AnsiString& Password, const void* Salt, Int32 SaltLength, Int32 IterationCount);
  TPBKDF2(const TPBKDF2&) = delete;
  TPBKDF2& operator=(const TPBKDF2&) = delete;
  // Wipes the password and the derived key.
  ~TPBKDF2() override;

  // Count key bytes. The key is derived on the first call and kept: a later
  // call for as many bytes or fewer copies it (a prefix) without deriving
  // again; a longer one derives anew and keeps the longer key. Raises
  // EArgumentOutOfRangeException for a count below 0 or above 65,535, or for
  // a password or salt longer than 65,535 bytes; when PBKDF2 fails (only while
  // HaltOnError is false, else it raises) KeyBytes is empty.
  void GetKeyBytes(Int32 Count, TBytes& KeyBytes);
  // A copy of the salt.
  TBytes GetSaltValue() const;
  Int32 IterationCount() const { return FIterationNumber; }
  void Initialize() {}
  void Reset() {}

 private:
  Int32 FIterationNumber;
  TBytes FSaltValue;
  Int32 FSaltLength;
  AnsiString FPassword;
  TBytes FDerivedKey;  // the longest key derived so far
};

// Unit start and stop (the unit has no work of its own).
void ZAPBKDF_2_initialization();
void ZAPBKDF_2_Finalization();

}  // namespace sk
