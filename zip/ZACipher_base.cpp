#include "zip/ZACipher_base.h"

#include <openssl/crypto.h>

#include <algorithm>
#include <bit>
#include <cstring>

#include "platform/runtime/Format.h"
#include "zip/ZACipher_hash.h"
#include "zip/ZACryptConst.h"

namespace sk {

namespace {

// Counter blocks are encrypted in batches of this many bytes (at most): large
// enough that the block cipher runs long pipelined stretches and each call into
// it costs little, small enough that a batch of blocks stays in the
// first-level cache.
constexpr Int32 kCtrBatchBytes = 16384;

UInt64 LoadLE64(const Byte* p) {
  UInt64 v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

void StoreLE64(Byte* p, UInt64 v) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(p, &v, 8);
  } else {
    for (int i = 0; i < 8; ++i) {
      p[i] = static_cast<Byte>(v);
      v >>= 8;
    }
  }
}

// dest = source ^ key over size bytes, 64 bytes at a time where it can
// (dest may be source or key).
void XorTo(Byte* dest, const Byte* source, const Byte* key, size_t size) {
  using Lane = UInt64 __attribute__((vector_size(16)));
  size_t i = 0;
  for (; i + 64 <= size; i += 64) {
    Lane d[4];
    Lane k[4];
    std::memcpy(d, source + i, 64);
    std::memcpy(k, key + i, 64);
    d[0] ^= k[0];
    d[1] ^= k[1];
    d[2] ^= k[2];
    d[3] ^= k[3];
    std::memcpy(dest + i, d, 64);
  }
  for (; i < size; ++i) dest[i] = static_cast<Byte>(source[i] ^ key[i]);
}

// The register shifted one byte towards its start, last byte in.
void ShiftIn(Byte* reg, Int32 n, Byte last) {
  std::memmove(reg, reg + 1, static_cast<size_t>(n - 1));
  reg[n - 1] = last;
}

bool IsMacMode(TCipherMode mode) { return mode == cmCTSMAC || mode == cmCBCMAC || mode == cmCFBMAC; }

}  // namespace

void RaiseCipherException(Int32 errorCode, const String& msg) { throw ECipherException(errorCode, msg); }

// ---------------------------------------------------------------------------
// Class references

TProtectionPtr<THash> THashClass::Create(TProtection* protection) const {
  return fFactory ? fFactory(*this, protection) : TProtectionPtr<THash>();
}

AnsiString THashClass::CalcBuffer(const void* buffer, Int32 size, TProtection* protection, Int32 format) const {
  TProtectionPtr<THash> hash = Create(protection);
  if (!hash) return {};
  hash->Init();
  hash->Calc(buffer, size);
  hash->Done();
  return hash->DigestStr(format);
}

AnsiString THashClass::CalcString(const AnsiString& data, TProtection* protection, Int32 format) const {
  return CalcBuffer(data.data(), static_cast<Int32>(data.size()), protection, format);
}

AnsiString THashClass::CalcStream(TStream* stream, Int64 size, TProtection* protection, Int32 format) const {
  TProtectionPtr<THash> hash = Create(protection);
  if (!hash || !stream) return {};
  hash->Init();
  if (size < 0) {
    stream->SetPosition(0);
    size = stream->Size();
  }
  DoProgress(hash.get(), 0, size);
  Byte buffer[4096];
  Int64 done = 0;
  while (done < size) {
    const Int64 n = stream->Read(buffer, std::min<Int64>(sizeof(buffer), size - done));
    // A failed read is an error: the digest of part of the stream is not the
    // stream's.
    if (n < std::min<Int64>(sizeof(buffer), size - done) && stream->LastReadError() != 0)
      throw EReadError(u"Stream read error");
    if (n <= 0) break;
    hash->Calc(buffer, static_cast<Int32>(n));
    done += n;
    DoProgress(hash.get(), done, size);
  }
  DoProgress(hash.get(), 0, 0);
  OPENSSL_cleanse(buffer, sizeof(buffer));
  hash->Done();
  return hash->DigestStr(format);
}

AnsiString THashClass::CalcFile(const String& fileName, TProtection* protection, Int32 format) const {
  TFileStream file(fileName, fmOpenRead | fmShareDenyNone);
  return CalcStream(&file, -1, protection, format);
}

TProtectionPtr<TCipher> TCipherClass::Create(const AnsiString& password, TProtection* protection) const {
  return fPasswordFactory ? fPasswordFactory(*this, password, protection) : TProtectionPtr<TCipher>();
}

TProtectionPtr<TCipher> TCipherClass::Create(TBytes& key, Word keyLength) const {
  return fKeyFactory ? fKeyFactory(*this, key, keyLength) : TProtectionPtr<TCipher>();
}

// ---------------------------------------------------------------------------
// TCipher

TCipher::TCipher(const TCipherInit& init)
    : TProtection(init.cls ? init.cls : &TCipher::ClassRef(), init.chain ? init.protection : nullptr,
                  init.chain ? paAllActions : TPActions(0)) {
  if (init.chain) fHashClass = DefaultHashClass();
  CipherClass()->GetContext(fBufSize, fKeySize, fUserSize);
  fBuffer.assign(static_cast<size_t>(fBufSize), 0);
  fVector.assign(static_cast<size_t>(fBufSize), 0);
  fFeedback.assign(static_cast<size_t>(fBufSize), 0);
  fUser.assign(static_cast<size_t>(fUserSize), 0);
  ctrMode_EncryptionBlock.assign(static_cast<size_t>(fBufSize), 0);
  ctrMode_Nonce.assign(static_cast<size_t>(fBufSize), 0);
  TCipher::Protect();
  ctrMode_Position = fBufSize;
}

TCipher::~TCipher() { TCipher::Protect(); }

void TCipher::GetContext(Int32& bufSize, Int32& keySize, Int32& userSize) const {
  CipherClass()->GetContext(bufSize, keySize, userSize);
}

void TCipher::SetFlag(Int32 index, bool value) {
  if (index < 0 || index >= 32) return;
  if (value)
    fFlags |= (1u << index);
  else
    fFlags &= ~(1u << index);
}

const void* TCipher::TestVector() const { return GetTestVector(); }

void TCipher::Encode(void*) {}

void TCipher::Decode(void*) {}

void TCipher::Init(const void*, Int32, const void*) {}

void TCipher::Protect() {
  SetFlag(0, false);
  SetFlag(1, false);
  OPENSSL_cleanse(fVector.data(), fVector.size());
  OPENSSL_cleanse(fFeedback.data(), fFeedback.size());
  OPENSSL_cleanse(fBuffer.data(), fBuffer.size());
  OPENSSL_cleanse(fUser.data(), fUser.size());
  OPENSSL_cleanse(ctrMode_EncryptionBlock.data(), ctrMode_EncryptionBlock.size());
  std::fill(fVector.begin(), fVector.end(), Byte(0xFF));
  std::fill(fFeedback.begin(), fFeedback.end(), Byte(0xFF));
  std::fill(ctrMode_Nonce.begin(), ctrMode_Nonce.end(), Byte(0));
  // A new key starts the counter mode afresh: counter 1 comes next.
  ctrMode_Position = fBufSize;
}

void TCipher::InitBegin(Int32& size) {
  SetFlag(1, false);
  Protect();
  if (size < 0) size = 0;
  if (size > fKeySize) {
    if (CheckCipherKeySize) {
      const String name = Utf8ToString(ClassType()->ClassName());
      RaiseCipherException(2, Format(LoadResString(&_sInvalidKeySize), {name, 0, fKeySize}));
    }
    size = fKeySize;
  }
}

void TCipher::InitEnd(const void* vector) {
  if (vector)
    std::memcpy(fVector.data(), vector, static_cast<size_t>(fBufSize));
  else
    Encode(fVector.data());
  fFeedback = fVector;
  SetFlag(1, true);
}

void TCipher::Done() {
  if (fFeedback != fVector) {
    fBuffer = fFeedback;
    fFeedback = fVector;
  }
}

void TCipher::InitKey(const AnsiString& password, const void* vector) {
  THash* hash = GetHash();
  hash->Init();
  hash->Calc(password.data(), static_cast<Int32>(password.size()));
  hash->Done();
  const Int32 digestSize = hash->DigestKeySize();
  Byte* digest = hash->DigestKey();
  Init(digest, std::min(digestSize, fKeySize), vector);
  // The digest is encrypted under itself as before (the counter and feedback
  // move as they always have), then wiped: in the MAC modes encryption writes
  // nothing, and the key must not stay readable in the hash object.
  EncodeBuffer(digest, digest, digestSize);
  OPENSSL_cleanse(digest, static_cast<size_t>(digestSize));
  Done();
  SetFlag(0, true);
}

void TCipher::InitKey(TBytes& key, Word keyLength, const void* vector) {
  // Never read past the caller's block.
  const Int32 length = static_cast<Int32>(std::min<size_t>(keyLength, key.size()));
  Init(key.data(), std::min(length, fKeySize), vector);
  TBytes encrypted(static_cast<size_t>(length));
  EncodeBuffer(key.data(), encrypted.data(), length);
  OPENSSL_cleanse(key.data(), key.size());
  key.swap(encrypted);
  Done();
  SetFlag(0, true);
}

void TCipher::CheckInitialized() const {
  if (GetFlag(1)) return;
  const String name = Utf8ToString(ClassType()->ClassName());
  RaiseCipherException(3, Format(LoadResString(&_sNotInitialized), {name}));
}

void TCipher::EncodeCTR(const Byte* in, Byte* out, Int32 size) {
  const Int32 n = fBufSize;
  Byte* block = ctrMode_EncryptionBlock.data();
  Byte* nonce = ctrMode_Nonce.data();
  Int32 i = 0;
  // The rest of the current key-stream block.
  for (; i < size && ctrMode_Position < n; ++i) out[i] = static_cast<Byte>(in[i] ^ block[ctrMode_Position++]);
  if (i == size) return;

  UInt64 counter = LoadLE64(nonce);
  const Int32 perBatch = kCtrBatchBytes / n;
  // Source and destination apart: the destination can hold the key stream.
  const bool separate = out + size <= in || in + size <= out;
  // The counter blocks of a batch, encrypted in place into its key stream
  // when the destination cannot take it.
  alignas(64) Byte blocks[kCtrBatchBytes];
  Int32 usedBytes = 0;
  if (size - i >= n && EncodeCounterStream(in + i, out + i, (size - i) / n, counter, nonce, block)) {
    const Int32 count = (size - i) / n;
    counter += static_cast<UInt64>(count);
    i += count * n;
    ctrMode_Position = n;
  }
  while (size - i >= n) {
    const Int32 count = std::min(perBatch, (size - i) / n);
    const Int32 bytes = count * n;
    // Bytes 8 and up of every counter block are the nonce's.
    if (n == 16) {
      UInt64 high;
      std::memcpy(&high, nonce + 8, 8);
      for (Int32 b = 0; b < count; ++b) {
        StoreLE64(blocks + b * 16, ++counter);
        std::memcpy(blocks + b * 16 + 8, &high, 8);
      }
    } else {
      for (Int32 b = 0; b < count; ++b) {
        StoreLE64(blocks + b * n, ++counter);
        if (n > 8) std::memcpy(blocks + b * n + 8, nonce + 8, static_cast<size_t>(n - 8));
      }
    }
    // Ask for the data now (into the second-level cache, which holds a whole
    // batch), so that memory is read while the blocks are encrypted rather
    // than after.
    for (Int32 at = 0; at < bytes; at += 64) __builtin_prefetch(in + i + at, 0, 1);
    if (separate) {
      // The key stream goes straight into the destination, and the source is
      // folded into it there: no copy first.
      Byte* o = out + i;
      EncodeBlocks(blocks, o, count);
      std::memcpy(block, o + (count - 1) * n, static_cast<size_t>(n));
      XorTo(o, o, in + i, static_cast<size_t>(bytes));
    } else {
      EncodeBlocks(blocks, blocks, count);
      XorTo(out + i, in + i, blocks, static_cast<size_t>(bytes));
      usedBytes = std::max(usedBytes, bytes);
      std::memcpy(block, blocks + (count - 1) * n, static_cast<size_t>(n));
    }
    i += bytes;
    ctrMode_Position = n;
  }
  if (i < size) {
    std::memcpy(block, nonce, static_cast<size_t>(n));
    StoreLE64(block, ++counter);
    Encode(block);
    ctrMode_Position = 0;
    for (; i < size; ++i) out[i] = static_cast<Byte>(in[i] ^ block[ctrMode_Position++]);
  }
  StoreLE64(nonce, counter);
  if (usedBytes > 0) OPENSSL_cleanse(blocks, static_cast<size_t>(usedBytes));
}

bool TCipher::EncodeCounterStream(const Byte*, Byte*, Int32, UInt64, const Byte*, Byte*) { return false; }

void TCipher::EncodeBlocks(const Byte* source, Byte* dest, Int32 count) {
  const size_t n = static_cast<size_t>(fBufSize);
  if (dest != source) std::memmove(dest, source, static_cast<size_t>(count) * n);
  for (Int32 b = 0; b < count; ++b) Encode(dest + static_cast<size_t>(b) * n);
}

void TCipher::EncodeBuffer(const void* source, void* dest, Int32 size) {
  CheckInitialized();
  if (!source || !dest || size <= 0) return;
  const Int32 n = fBufSize;
  const auto* in = static_cast<const Byte*>(source);
  Byte* F = fFeedback.data();
  Byte* B = fBuffer.data();

  if (IsMacMode(fMode)) {
    // Nothing is written: only the feedback register moves.
    Int32 i = 0;
    if (fMode == cmCFBMAC) {
      for (; i < size; ++i) {
        std::memcpy(B, F, static_cast<size_t>(n));
        Encode(B);
        ShiftIn(F, n, static_cast<Byte>(in[i] ^ B[0]));
      }
      return;
    }
    for (; i + n <= size; i += n) {
      XORBuffers(in + i, F, n, B);
      Encode(B);
      if (fMode == cmCTSMAC)
        XORBuffers(B, F, n, F);
      else
        std::memcpy(F, B, static_cast<size_t>(n));
    }
    if (i < size) {
      std::memcpy(B, F, static_cast<size_t>(n));
      Encode(B);
      XORBuffers(B, F, n, F);
    }
    return;
  }

  auto* out = static_cast<Byte*>(dest);
  // The counter mode reads each source byte before it writes the byte at the
  // same place, so it needs no copy first unless the destination overlaps the
  // source further on.
  const bool laterOverlap = out > in && out < in + size;
  if (fMode == cmCTR && !laterOverlap) {
    EncodeCTR(in, out, size);
    return;
  }
  if (out != in) std::memmove(out, in, static_cast<size_t>(size));
  Int32 i = 0;
  switch (fMode) {
    case cmCTS:
    case cmCBC: {
      for (; i + n <= size; i += n) {
        Byte* blk = out + i;
        XORBuffers(blk, F, n, blk);
        Encode(blk);
        if (fMode == cmCTS)
          XORBuffers(blk, F, n, F);
        else
          std::memcpy(F, blk, static_cast<size_t>(n));
      }
      if (i < size) {
        std::memcpy(B, F, static_cast<size_t>(n));
        Encode(B);
        XORBuffers(out + i, B, size - i, out + i);
        XORBuffers(B, F, n, F);
      }
      break;
    }
    case cmCFB:
      for (; i < size; ++i) {
        std::memcpy(B, F, static_cast<size_t>(n));
        Encode(B);
        out[i] ^= B[0];
        ShiftIn(F, n, out[i]);
      }
      break;
    case cmOFB:
      for (; i < size; ++i) {
        std::memcpy(B, F, static_cast<size_t>(n));
        Encode(B);
        out[i] ^= B[0];
        ShiftIn(F, n, B[0]);
      }
      break;
    case cmCTR: EncodeCTR(out, out, size); break;
    case cmECB: {
      const Int32 blocks = size / n;
      if (blocks > 0) EncodeBlocks(out, out, blocks);
      i = blocks * n;
      if (i < size) {
        // The tail is encrypted in the scratch block; it cannot be decoded.
        std::memcpy(B, out + i, static_cast<size_t>(size - i));
        Encode(B);
        std::memcpy(out + i, B, static_cast<size_t>(size - i));
      }
      break;
    }
    default: break;
  }
}

void TCipher::DecodeBuffer(const void* source, void* dest, Int32 size) {
  CheckInitialized();
  if (IsMacMode(fMode) || fMode == cmOFB || fMode == cmCTR) {
    EncodeBuffer(source, dest, size);
    return;
  }
  if (!source || !dest || size <= 0) return;
  const Int32 n = fBufSize;
  Byte* F = fFeedback.data();
  Byte* B = fBuffer.data();
  auto* out = static_cast<Byte*>(dest);
  if (out != source) std::memmove(out, source, static_cast<size_t>(size));
  TBytes saved(static_cast<size_t>(n));
  Int32 i = 0;
  switch (fMode) {
    case cmCTS:
    case cmCBC: {
      for (; i + n <= size; i += n) {
        Byte* blk = out + i;
        std::memcpy(saved.data(), blk, static_cast<size_t>(n));
        Decode(blk);
        XORBuffers(blk, F, n, blk);
        if (fMode == cmCTS)
          XORBuffers(saved.data(), F, n, F);
        else
          std::memcpy(F, saved.data(), static_cast<size_t>(n));
      }
      if (i < size) {
        std::memcpy(B, F, static_cast<size_t>(n));
        Encode(B);
        XORBuffers(out + i, B, size - i, out + i);
        XORBuffers(B, F, n, F);
      }
      break;
    }
    case cmCFB:
      for (; i < size; ++i) {
        std::memcpy(B, F, static_cast<size_t>(n));
        Encode(B);
        const Byte c = out[i];
        ShiftIn(F, n, c);
        out[i] = static_cast<Byte>(c ^ B[0]);
      }
      break;
    case cmECB: {
      for (; i + n <= size; i += n) Decode(out + i);
      if (i < size) {
        std::memcpy(B, out + i, static_cast<size_t>(size - i));
        Encode(B);
        std::memcpy(out + i, B, static_cast<size_t>(size - i));
      }
      break;
    }
    default: break;
  }
  OPENSSL_cleanse(saved.data(), saved.size());
}

bool TCipher::SelfTest() {
  TestVector();
  return InitTestIsOk;
}

THash* TCipher::GetHash() {
  if (!fHash) fHash = (fHashClass ? fHashClass : DefaultHashClass())->Create(nullptr);
  return fHash.get();
}

void TCipher::SetHashClass(const THashClass* cls) {
  if (!cls) cls = DefaultHashClass();
  if (cls != fHashClass) {
    fHash.reset();
    fHashClass = cls;
  }
}

const THashClass* TCipher::HashClass() const { return fHashClass ? fHashClass : DefaultHashClass(); }

void TCipher::ApplyCodeAction(TPAction action) {
  if (action == paCalc) return;
  if (action == paWipe) {
    RndXORBuffer(RndTimeSeed(), fFeedback.data(), fBufSize);
    return;
  }
  Done();
}

void TCipher::CodeInit(TPAction action) {
  CheckInitialized();
  ApplyCodeAction(action);
  TProtection::CodeInit(action);
}

void TCipher::CodeDone(TPAction action) {
  TProtection::CodeDone(action);
  CheckInitialized();
  ApplyCodeAction(action);
}

void TCipher::CodeBuf(void* buffer, Int32 size, TPAction action) {
  const bool inSet = (fActions & PActionBit(action)) != 0;
  if (action == paDecode) {
    if (inSet) DecodeBuffer(buffer, buffer, size);
    TProtection::CodeBuf(buffer, size, action);
  } else {
    TProtection::CodeBuf(buffer, size, action);
    if (inSet) EncodeBuffer(buffer, buffer, size);
  }
}

}  // namespace sk
