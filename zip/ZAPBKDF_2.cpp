#include "zip/ZAPBKDF_2.h"

#include <openssl/crypto.h>

#include <string>

#include "core/UnitCounter.h"
#include "platform/runtime/SecretBytes.h"
#include "zip/ZAKeyDeriv.h"

namespace sk {

namespace {

// Lengths handed to the derivation are 16-bit.
constexpr Int64 kMaxLength = 65535;

void CheckLength(const char16_t* what, Int64 length) {
  if (length < 0 || length > kMaxLength)
    throw EArgumentOutOfRangeException(String(what) + u" length " + Utf8ToString(std::to_string(length)) +
                                       u" is outside 0 to 65535");
}

void CheckSaltGiven(const void* Salt, Int32 SaltLength) {
  if (SaltLength < 0 || (Salt == nullptr && SaltLength > 0))
    throw EArgumentOutOfRangeException(u"Salt length " + Utf8ToString(std::to_string(SaltLength)) +
                                       u" without as many salt bytes");
}

TBytes NewSalt(const void* Salt, Int32 SaltLength) {
  CheckSaltGiven(Salt, SaltLength);
  const Byte* p = static_cast<const Byte*>(Salt);
  return SaltLength > 0 ? TBytes(p, p + SaltLength) : TBytes();
}

void Wipe(TBytes& bytes) {
  if (!bytes.empty()) OPENSSL_cleanse(bytes.data(), bytes.size());
}

}  // namespace

TPBKDF2::TPBKDF2(const AnsiString& Password, Int32 SaltLength, Int32 IterationCount)
    : FIterationNumber(IterationCount), FSaltLength(SaltLength), FPassword(Password) {
  if (SaltLength < 0) CheckSaltGiven(nullptr, SaltLength);
  FSaltValue = SecretBytes(static_cast<size_t>(SaltLength));
}

TPBKDF2::TPBKDF2(const AnsiString& Password, const void* Salt, Int32 SaltLength, Int32 IterationCount)
    : FIterationNumber(IterationCount),
      FSaltValue(NewSalt(Salt, SaltLength)),
      FSaltLength(SaltLength),
      FPassword(Password) {}

TPBKDF2::~TPBKDF2() {
  Wipe(FDerivedKey);
  if (!FPassword.empty()) OPENSSL_cleanse(FPassword.data(), FPassword.size());
}

void TPBKDF2::GetKeyBytes(Int32 Count, TBytes& KeyBytes) {
  CheckLength(u"Key", Count);
  CheckLength(u"Password", static_cast<Int64>(FPassword.size()));
  CheckLength(u"Salt", FSaltLength);
  if (static_cast<size_t>(Count) > FDerivedKey.size()) {
    TBytes key(static_cast<size_t>(Count));
    if (PBKDF2(FPassword.data(), static_cast<Word>(FPassword.size()), FSaltValue.data(),
               static_cast<Word>(FSaltLength), FIterationNumber, key.data(), static_cast<Word>(Count)) != 0) {
      Wipe(key);
      KeyBytes.clear();
      return;
    }
    Wipe(FDerivedKey);
    FDerivedKey = std::move(key);
  }
  KeyBytes.assign(FDerivedKey.begin(), FDerivedKey.begin() + Count);
}

TBytes TPBKDF2::GetSaltValue() const { return FSaltValue; }

SK_COUNTER_ONLY_UNIT(ZAPBKDF_2)

}  // namespace sk
