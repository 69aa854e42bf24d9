#include "zip/ZACryptoTransform.h"

#include <openssl/crypto.h>

#include <cmath>
#include <cstring>

#include "core/UnitCounter.h"

namespace sk {

namespace {

constexpr Int32 kIterations = 1000;
constexpr Int32 kMacSize = 10;

void Wipe(TBytes& bytes) {
  if (!bytes.empty()) OPENSSL_cleanse(bytes.data(), bytes.size());
  bytes.clear();
}

}  // namespace

void TZACryptoTransform::Initialize(TCryptoTransformMode mode, const TDirItem&) { FTransformMode = mode; }

Word AESVendorVersionOf(const TDirItem& item) {
  for (const TZAExtraFieldDataBlock& block : item.ExtraFields) {
    if (block.headerID != AesExtraFieldHeaderID || block.pData.size() < 2) continue;
    return GetLE16(block.pData.data()) == 1 ? Word(1) : Word(2);
  }
  return 2;
}

Int32 AESKeyBitsOf(TZACryptoAlgorithm algorithm) {
  switch (algorithm) {
    case caAES_128: return 128;
    case caAES_192: return 192;
    case caAES_256: return 256;
    default: return 0;
  }
}

// ---------------------------------------------------------------------------

TAESCryptoTransform::TAESCryptoTransform(Int32 keyLengthBits, Word version, Word actualCompressionMethod)
    : FKeyLengthBytes(static_cast<Word>(std::lround(keyLengthBits / 8.0))),
      FVersion(version),
      FActualCompressionMethod(actualCompressionMethod) {
  FPHash = FindHash_by_Name("SHA1");
}

TAESCryptoTransform::~TAESCryptoTransform() {
  Wipe(FHashKey);
  Wipe(FEncryptionKey);
  Wipe(fDerived);
  if (!FPassword.empty()) OPENSSL_cleanse(FPassword.data(), FPassword.size());
  if (!fDerivedPassword.empty()) OPENSSL_cleanse(fDerivedPassword.data(), fDerivedPassword.size());
  OPENSSL_cleanse(&FHMAC_Context, sizeof FHMAC_Context);
}

std::unique_ptr<TAESCryptoTransform> TAESCryptoTransform::CreateAESEncryption(Int32 keyLengthBits, Word version,
                                                                              Word actualCompressionMethod) {
  return std::make_unique<TAESCryptoTransform>(keyLengthBits, version, actualCompressionMethod);
}

const TBytes& TAESCryptoTransform::DerivedBytes(const AnsiString& password) {
  const Int32 L = FKeyLengthBytes;
  if (fHasDerived && fDerivedPassword == password && fDerivedSalt == FSaltValue) return fDerived;
  FKeyGenerator =
      std::make_unique<TPBKDF2>(password, FSaltValue.data(), static_cast<Int32>(FSaltValue.size()), kIterations);
  TBytes bytes;
  FKeyGenerator->GetKeyBytes(2 * L + 2, bytes);
  if (bytes.size() != static_cast<size_t>(2 * L + 2)) bytes.assign(static_cast<size_t>(2 * L + 2), 0);
  Wipe(fDerived);
  fDerived = std::move(bytes);
  fDerivedPassword = password;
  fDerivedSalt = FSaltValue;
  fHasDerived = true;
  ++fDerivations;
  return fDerived;
}

void TAESCryptoTransform::UpdateKeys() {
  const size_t L = FKeyLengthBytes;
  const TBytes& bytes = DerivedBytes(FPassword);
  Wipe(FEncryptionKey);
  Wipe(FHashKey);
  FEncryptionKey.assign(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(L));
  FHashKey.assign(bytes.begin() + static_cast<std::ptrdiff_t>(L), bytes.begin() + static_cast<std::ptrdiff_t>(2 * L));
  FPasswordVerificationValue.assign(bytes.begin() + static_cast<std::ptrdiff_t>(2 * L), bytes.end());
  hmac_init(FHMAC_Context, FPHash, FHashKey.data(), static_cast<Word>(L));
  fMacFinal = false;
  // The class replaces the key block it is given; it gets a copy.
  TBytes key = FEncryptionKey;
  FCryptor = TCipher_Rijndael::Create(key, static_cast<Word>(L));
  Wipe(key);
  FCryptor->SetMode(cmCTR);
}

void TAESCryptoTransform::GenerateKey(const AnsiString& password) {
  FPassword = password;
  if (FTransformMode == Decryption) {
    // Reading: the keys come from the stored salt, which the start block
    // brings; until it is loaded there is nothing to derive.
    if (!FSaltValue.empty()) UpdateKeys();
    return;
  }
  FKeyGenerator = std::make_unique<TPBKDF2>(password, FKeyLengthBytes / 2, kIterations);
  FSaltValue = FKeyGenerator->GetSaltValue();
  UpdateKeys();
}

bool TAESCryptoTransform::CheckPassword(const AnsiString& password, const TDirItem&) {
  if (FSaltValue.empty() || FPasswordVerificationValue.size() != 2) return false;
  const TBytes& bytes = DerivedBytes(password);
  const size_t at = 2 * static_cast<size_t>(FKeyLengthBytes);
  return bytes[at] == FPasswordVerificationValue[0] && bytes[at + 1] == FPasswordVerificationValue[1];
}

void TAESCryptoTransform::Reset() {
  if (!FPassword.empty()) OPENSSL_cleanse(FPassword.data(), FPassword.size());
  FPassword.clear();
  FKeyLengthBytes = 0;
  FKeyGenerator.reset();
  FCryptor = nullptr;
  Wipe(FEncryptionKey);
  Wipe(FHashKey);
  FPasswordVerificationValue.clear();
  FSaltValue.clear();
  Wipe(fDerived);
  fHasDerived = false;
}

Int32 TAESCryptoTransform::EncryptBuffer(const Byte* source, Int64 sourceOffset, Int32 count, Byte* dest,
                                         Int64 destOffset) {
  if (count <= 0 || !FCryptor) return 0;
  Byte* out = dest + destOffset;
  FCryptor->EncodeBuffer(source + sourceOffset, out, count);
  hmac_updateXL(FHMAC_Context, out, count);
  return count;
}

Int32 TAESCryptoTransform::DecryptBuffer(const Byte* source, Int64 sourceOffset, Int32 count, Byte* dest,
                                         Int64 destOffset) {
  if (count <= 0 || !FCryptor) return 0;
  const Byte* in = source + sourceOffset;
  // The code authenticates the bytes as stored.
  hmac_updateXL(FHMAC_Context, in, count);
  FCryptor->DecodeBuffer(in, dest + destOffset, count);
  return count;
}

TBytes TAESCryptoTransform::GetFileStorageStartBlock() {
  TBytes block = FSaltValue;
  block.insert(block.end(), FPasswordVerificationValue.begin(), FPasswordVerificationValue.end());
  return block;
}

void TAESCryptoTransform::LoadFileStorageStartBlock(TStream* stream, Int64 offset) {
  if (offset != 0) stream->Seek(offset, soCurrent);
  TBytes salt(FKeyLengthBytes / 2);
  stream->ReadBuffer(salt.data(), static_cast<Int64>(salt.size()));
  FSaltValue = std::move(salt);
  UpdateKeys();
  TBytes verifier(2);
  stream->ReadBuffer(verifier.data(), 2);
  FPasswordVerificationValue = std::move(verifier);
}

Word TAESCryptoTransform::GetFileStorageStartBlockSize() const { return static_cast<Word>(FKeyLengthBytes / 2 + 2); }

void TAESCryptoTransform::FinalMac(Byte mac[10]) {
  THashDigest digest{};
  hmac_final(FHMAC_Context, digest);
  fMacFinal = true;
  std::memcpy(mac, digest.data(), kMacSize);
  OPENSSL_cleanse(digest.data(), digest.size());
}

TBytes TAESCryptoTransform::GetFileStorageEndBlock() {
  Byte mac[kMacSize];
  FinalMac(mac);
  FAuthenticationCode.assign(mac, mac + kMacSize);
  return FAuthenticationCode;
}

void TAESCryptoTransform::LoadFileStorageEndBlock(TStream* stream, Int64 offset) {
  if (offset != 0) stream->Seek(offset, soCurrent);
  TBytes code(static_cast<size_t>(FAuthenticationCodeSize));
  stream->ReadBuffer(code.data(), static_cast<Int64>(code.size()));
  FAuthenticationCode = std::move(code);
}

Cardinal TAESCryptoTransform::GetFileStorageEndBlockSize() const {
  return static_cast<Cardinal>(FAuthenticationCodeSize);
}

bool TAESCryptoTransform::IsDirItemCorrupted(const TDirItem& item, Cardinal crc) {
  if (FAuthenticationCode.size() != static_cast<size_t>(kMacSize) || fMacFinal || !FCryptor) return true;
  Byte mac[kMacSize];
  FinalMac(mac);
  const bool macDiffers = CRYPTO_memcmp(mac, FAuthenticationCode.data(), kMacSize) != 0;
  if (macDiffers) return true;
  return FVersion == 1 && crc != item.CentralDir.crc32;
}

TZAExtraFieldDataBlock TAESCryptoTransform::GetExtraFieldData() const {
  TZAExtraFieldDataBlock block;
  block.headerID = AesExtraFieldHeaderID;
  block.dataSize = 7;
  block.pData.assign(7, 0);
  Byte strength = 0;
  switch (FKeyLengthBytes * 8) {
    case 128: strength = 1; break;
    case 192: strength = 2; break;
    case 256: strength = 3; break;
    default: break;
  }
  PutLE16(block.pData.data(), FVersion);
  block.pData[2] = 'A';
  block.pData[3] = 'E';
  block.pData[4] = strength;
  PutLE16(block.pData.data() + 5, FActualCompressionMethod);
  return block;
}

SK_COUNTER_ONLY_UNIT(ZACryptoTransform)

}  // namespace sk
