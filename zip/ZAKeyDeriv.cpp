#include "zip/ZAKeyDeriv.h"

#include <string>

#include "core/UnitCounter.h"
#include "zip/ZAHash.h"
#include "zip/ZApb_kdf.h"

namespace sk {

Int32 PBKDF2(const void* pPW, Word pLen, const void* salt, Word sLen, Int32 C, void* DK, Word dkLen) {
  const Int32 code = kdf2(FindHash_by_ID(_SHA1), pPW, pLen, salt, sLen, C, DK, dkLen);
  if (code != 0 && HaltOnError)
    throw Exception(u"PBKDF2 key derivation failed with code " + Utf8ToString(std::to_string(code)));
  return code;
}

SK_COUNTER_ONLY_UNIT(ZAKeyDeriv)

}  // namespace sk
