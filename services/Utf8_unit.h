// Byte-order marks and UTF-8 well-formedness.
//
// UTF-8 signature: EF BB BF.  UTF-16 marks: FF FE (little-endian) and FE FF
// (big-endian).  The pointer tests read the bytes one at a time and stop at the
// first that differs, so a zero-terminated buffer shorter than the mark is
// never read past its terminator.
#pragma once

#include "platform/runtime/RtlTypes.h"

namespace sk {

// The three signature bytes.
RawByteString UTF8SignatureAsUTF8String();
bool IsUTF8Signature(Byte b1, Byte b2, Byte b3);
// False for nil; else whether p begins EF BB BF.
bool IsUTF8SignatureA(const Byte* p);
// False for nil or a zero-terminated text shorter than 2 characters; else
// whether its first three bytes (in memory order) are EF BB BF.
bool IsUTF8SignatureW(const Char* p);
// False for nil; else whether p begins FF FE / FE FF.
bool IsUTF16LESigned(const Byte* p);
bool IsUTF16BESigned(const Byte* p);
// Some byte starts a multi-byte sequence (C0 or above); false for no bytes.
bool HasUTF_bytes(const TBytes& bytes);
// The number of characters in s read as UTF-8 (lead bytes of up to six-byte
// sequences each count one); s's byte length when a byte cannot start a
// sequence or the last sequence is cut short.
Int32 UTF8LengthInChars(const RawByteString& s);
// True when s is plain ASCII (singleByteOnly stays true) or its first
// multi-byte sequence is well-formed (singleByteOnly false; the rest is not
// looked at); false at the first ill-formed sequence before that.  Yields to
// the host at every byte.
bool CheckedUTF(const RawByteString& s, bool& singleByteOnly);

void Utf8_unit_initialization();
void Utf8_unit_Finalization();

}  // namespace sk
