#include "services/Utf8_unit.h"

#include "core/Basic_processes.h"
#include "core/UnitCounter.h"

namespace sk {

namespace {

// Continuation bytes a sequence claims after its first byte.
Int32 TrailingBytes(Byte b) {
  if (b < 0xC0) return 0;
  if (b < 0xE0) return 1;
  if (b < 0xF0) return 2;
  if (b < 0xF8) return 3;
  if (b < 0xFC) return 4;
  return 5;
}

// Whether the n bytes at p make one legal UTF-8 sequence (surrogate code
// points after ED pass: only the general continuation range is held to).
bool IsLegalUTF8Sequence(const Byte* p, Int32 n) {
  if (n < 1 || n > 4) return false;
  if (n == 4 && (p[3] < 0x80 || p[3] > 0xBF)) return false;
  if (n >= 3 && (p[2] < 0x80 || p[2] > 0xBF)) return false;
  if (n >= 2) {
    const Byte b2 = p[1];
    if (b2 > 0xBF) return false;
    switch (p[0]) {
      case 0xE0:
        if (b2 < 0xA0) return false;
        break;
      case 0xF0:
        if (b2 < 0x90) return false;
        break;
      case 0xF4:
        if (b2 > 0x8F) return false;
        break;
      default:
        break;
    }
    if (b2 < 0x80) return false;
  }
  if (p[0] >= 0x80 && p[0] < 0xC2) return false;
  if (p[0] > 0xF4) return false;
  return true;
}

}  // namespace

RawByteString UTF8SignatureAsUTF8String() { return RawByteString("\xEF\xBB\xBF"); }

bool IsUTF8Signature(Byte b1, Byte b2, Byte b3) { return b1 == 0xEF && b2 == 0xBB && b3 == 0xBF; }

bool IsUTF8SignatureA(const Byte* p) { return p != nullptr && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF; }

bool IsUTF8SignatureW(const Char* p) {
  if (p == nullptr || p[0] == 0 || p[1] == 0) return false;
  // In memory the first unit is EF BB (little-endian 0xBBEF), the next begins BF.
  return p[0] == 0xBBEF && (p[1] & 0xFF) == 0xBF;
}

bool IsUTF16LESigned(const Byte* p) { return p != nullptr && p[0] == 0xFF && p[1] == 0xFE; }

bool IsUTF16BESigned(const Byte* p) { return p != nullptr && p[0] == 0xFE && p[1] == 0xFF; }

bool HasUTF_bytes(const TBytes& bytes) {
  for (Byte b : bytes)
    if (b >= 0xC0) return true;
  return false;
}

Int32 UTF8LengthInChars(const RawByteString& s) {
  if (s.empty()) return 0;
  const size_t n = s.size();
  Int32 count = 0;
  size_t i = 0;
  while (i < n) {
    const Byte b = static_cast<Byte>(s[i]);
    size_t len;
    if (b < 0x80)
      len = 1;
    else if ((b & 0xE0) == 0xC0)
      len = 2;
    else if ((b & 0xF0) == 0xE0)
      len = 3;
    else if ((b & 0xF8) == 0xF0)
      len = 4;
    else if ((b & 0xFC) == 0xF8)
      len = 5;
    else if ((b & 0xFE) == 0xFC)
      len = 6;
    else
      return static_cast<Int32>(n);  // a continuation byte where a lead is due, or FE / FF
    if (len > n - i) return static_cast<Int32>(n);  // the last sequence is cut short
    ++count;
    i += len;
  }
  return count;
}

bool CheckedUTF(const RawByteString& s, bool& singleByteOnly) {
  singleByteOnly = true;
  const auto* p = reinterpret_cast<const Byte*>(s.data());
  const size_t n = s.size();
  for (size_t i = 0; i < n; ++i) {
    MyYieldProcess();
    const Int32 k = TrailingBytes(p[i]);
    if (i + static_cast<size_t>(k) >= n) return false;
    if (!IsLegalUTF8Sequence(p + i, k + 1)) return false;
    if (k > 0) {
      singleByteOnly = false;
      return true;
    }
  }
  return true;
}

SK_COUNTER_ONLY_UNIT(Utf8_unit)

}  // namespace sk
