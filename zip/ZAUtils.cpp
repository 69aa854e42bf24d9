#include "zip/ZAUtils.h"

#include <zlib.h>

#include <vector>

#include "core/UnitCounter.h"
#include "platform/runtime/Locale.h"
#include "zip/ZAConst.h"

namespace sk {

// ---------------------------------------------------------------------------
// Compression maps

TZACompressionLevel CompressionModeToLevel(Int32 mode) {
  switch (mode) {
    case 1: case 2: case 3: return za_clFastest;
    case 4: case 5: case 6: return za_clNormal;
    case 7: case 8: case 9: return za_clMax;
    default: return za_clNone;
  }
}

Int32 CompressionLevelToMode(TZACompressionLevel level) {
  switch (level) {
    case za_clFastest: return 1;
    case za_clNormal: return 6;
    case za_clMax: return 9;
    case za_clNone: break;
  }
  return 0;
}

Int32 CompressionModeToBufferSize(Int32 mode) {
  switch (mode) {
    case 1: case 2: case 3: return 524288;
    case 7: case 8: case 9: return 1572864;
    default: return 1048576;
  }
}

Word CompressionModeToZLibHeader(Int32 mode) {
  auto header = [](Byte first, Byte second) { return static_cast<Word>(first | (second << 8)); };
  switch (mode) {
    case 0: return header(0x78, 0xDA);
    case 1: case 2: return header(0x78, 0x01);
    case 3: case 4: return header(0x78, 0x5E);
    case 5: case 6: return header(0x78, 0x9C);
    case 7: case 8: case 9: return header(0x78, 0xDA);
    default: return 0;
  }
}

// ---------------------------------------------------------------------------
// CRC-32: zlib's crc32 inverts its value on entry and on exit, the engine's
// routine does neither, so the value is inverted around the call.

Cardinal ZACRC32Update(Cardinal crc, const void* buffer, Int64 count) {
  const auto* p = static_cast<const Bytef*>(buffer);
  uLong c = ~crc & 0xFFFFFFFFu;
  while (count > 0) {
    const uInt n = count > 0x40000000 ? 0x40000000u : static_cast<uInt>(count);
    c = crc32(c, p, n);
    p += n;
    count -= n;
  }
  return ~static_cast<Cardinal>(c);
}

void ZACRC32UpdateVar(Cardinal& crc, const void* buffer, Int64 count) { crc = ZACRC32Update(crc, buffer, count); }

// ---------------------------------------------------------------------------
// Traditional encryption

namespace {

Cardinal CrcByte(Cardinal crc, Byte b) { return (crc >> 8) ^ CRC32_TABLE[(crc ^ b) & 0xFF]; }

void UpdateKeys(TZipKey& keys, Byte plain) {
  const Cardinal k0 = CrcByte(static_cast<Cardinal>(keys[0]), plain);
  const Cardinal k1 = (static_cast<Cardinal>(keys[1]) + (k0 & 0xFF)) * 134775813u + 1u;
  const Cardinal k2 = CrcByte(static_cast<Cardinal>(keys[2]), static_cast<Byte>(k1 >> 24));
  keys[0] = k0;
  keys[1] = k1;
  keys[2] = k2;
}

Byte KeystreamByte(const TZipKey& keys) {
  const Cardinal t = (static_cast<Cardinal>(keys[2]) | 2u) & 0xFFFF;
  return static_cast<Byte>((t * (t ^ 1u)) >> 8);
}

}  // namespace

void ZipEncryptKeyInit(const AnsiString& password, TZipKey& keys) {
  keys = {0x12345678, 0x23456789, 0x34567890};
  for (char c : password) UpdateKeys(keys, static_cast<Byte>(c));
}

void ZipKeyInit(const AnsiString& password, TZipKey& keys, TZipKeyHeader& header) {
  ZipEncryptKeyInit(password, keys);
  ZipDecryptBuffer(header.data(), static_cast<Int64>(header.size()), keys);
}

Byte ZipEncryptByte(Byte b, TZipKey& keys) {
  const Byte out = b ^ KeystreamByte(keys);
  UpdateKeys(keys, b);
  return out;
}

void ZipEncryptBuffer(Int64 count, Int64 startIndex, Byte* buffer, TZipKey& keys) {
  for (Int64 i = startIndex; i < startIndex + count; ++i) buffer[i] = ZipEncryptByte(buffer[i], keys);
}

void ZipDecryptBuffer(Byte* buffer, Int64 count, TZipKey& keys) {
  for (Int64 i = 0; i < count; ++i) {
    const Byte plain = buffer[i] ^ KeystreamByte(keys);
    UpdateKeys(keys, plain);
    buffer[i] = plain;
  }
}

// ---------------------------------------------------------------------------
// Wildcard matching

namespace {

// The matcher over any text: Rest(t, p) answers whether text[t..] matches
// pattern[p..]. A "*" tries the rest of the pattern at every position from
// the current character to the last one. For each star the smallest start
// from which all its positions failed is remembered: a later try from a
// position at or after it fails at once, and a try from before it stops
// there, so the search takes time in proportion to text times stars.
template <class Text, class Eq>
class TPatternMatcher {
 public:
  TPatternMatcher(const Text& text, const Text& pattern, Eq eq) : fText(text), fPattern(pattern), fEq(eq) {}

  bool Match() { return Rest(0, 0); }

 private:
  bool IsLoneStar(size_t p) const { return p + 1 == fPattern.size() && fPattern[p] == '*'; }

  bool Rest(size_t t, size_t p) {
    const size_t n = fText.size();
    const size_t m = fPattern.size();
    for (;;) {
      if (IsLoneStar(p)) return true;
      if (t >= n) return p >= m;
      if (p >= m) return false;
      const auto c = fPattern[p];
      if (c == '*') {
        if (fFailedFrom.empty()) fFailedFrom.assign(m, n);
        const size_t stop = fFailedFrom[p];
        for (size_t i = t; i < stop; ++i)
          if (Rest(i, p + 1)) return true;
        if (t < fFailedFrom[p]) fFailedFrom[p] = t;
        return false;
      }
      if (c != '?' && !fEq(fText[t], c)) return false;
      ++t;
      ++p;
    }
  }

  const Text& fText;
  const Text& fPattern;
  Eq fEq;
  std::vector<size_t> fFailedFrom;  // per pattern position of a star
};

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

// Locale-aware equality of two UTF-16 units; distinct printable ASCII
// characters never collate equal, so they skip the collator.
bool SameWideChar(Char a, Char b) {
  if (a == b) return true;
  if (a >= 0x20 && a < 0x7F && b >= 0x20 && b < 0x7F) return false;
  return CompareStringW(LOCALE_USER_DEFAULT, 0, &a, 1, &b, 1) == CSTR_EQUAL;
}

}  // namespace

bool IsStrMatchPattern(const AnsiString& text, const AnsiString& pattern, bool ignoreCase) {
  if (pattern == "*.*") return true;
  auto eq = [ignoreCase](char a, char b) { return ignoreCase ? AsciiLower(a) == AsciiLower(b) : a == b; };
  return TPatternMatcher<AnsiString, decltype(eq)>(text, pattern, eq).Match();
}

bool WIsStrMatchPattern(const String& text, const String& pattern, bool ignoreCase) {
  if (pattern == u"*.*") return true;
  auto eq = [ignoreCase](Char a, Char b) {
    return ignoreCase ? SameWideChar(AnsiUpperChar(a), AnsiUpperChar(b)) : SameWideChar(a, b);
  };
  return TPatternMatcher<String, decltype(eq)>(text, pattern, eq).Match();
}

namespace {

bool SameUnitIgnoringCase(Char a, Char b) { return a == b || SameWideChar(AnsiUpperChar(a), AnsiUpperChar(b)); }

bool SameAt(const String& text, size_t at, const String& part) {
  for (size_t k = 0; k < part.size(); ++k)
    if (!SameUnitIgnoringCase(text[at + k], part[k])) return false;
  return true;
}

}  // namespace

bool WSameTextIgnoringCase(const String& a, const String& b) { return a.size() == b.size() && SameAt(a, 0, b); }

String WReplaceTextIgnoringCase(const String& text, const String& oldText, const String& newText, Int32& replaced) {
  replaced = 0;
  if (oldText.empty() || oldText.size() > text.size()) return text;
  String result;
  size_t at = 0;
  while (at < text.size()) {
    if (at + oldText.size() <= text.size() && SameAt(text, at, oldText)) {
      result += newText;
      at += oldText.size();
      ++replaced;
    } else {
      result += text[at++];
    }
  }
  return result;
}

SK_COUNTER_ONLY_UNIT(ZAUtils)

}  // namespace sk
