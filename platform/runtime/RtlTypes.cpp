#include "platform/runtime/RtlTypes.h"

#include <cstdint>
#include <cstring>

#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include "platform/runtime/LargeBuffers.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace sk {

Exception::Exception(String msg) : fMessage(std::move(msg)), fWhat(StringToUtf8(fMessage)) {}

void Exception::SetMessage(String msg) {
  fMessage = std::move(msg);
  fWhat = StringToUtf8(fMessage);
}

void RaiseListIndexError(Int32 index) {
  throw EListError(u"List index out of bounds (" + Utf8ToString(std::to_string(index)) + u")");
}

void RaiseAssertionFailed(const String& message, const char* sourceName, Int32 line) {
  throw EAssertionFailed(message + u" (" + Utf8ToString(std::string(sourceName)) + u", line " +
                         Utf8ToString(std::to_string(line)) + u")");
}

namespace {

// Decodes UTF-8 into UTF-16 units handed to put(units, count) in order, the
// runs of ASCII sixteen bytes at a time; false when anything was replaced.
template <class Put>
bool DecodeUtf8(const uint8_t* s, size_t n, Put&& put) {
  bool wellFormed = true;
  constexpr size_t kBuf = 2048;
  Char buf[kBuf];
  size_t k = 0;
  size_t i = 0;
  while (i < n) {
    // ASCII, sixty-four, sixteen, then eight bytes at a time.
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    while (n - i >= 64) {
      const __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
      const __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 16));
      const __m128i v2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 32));
      const __m128i v3 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 48));
      if (_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(v0, v1), _mm_or_si128(v2, v3))) != 0) break;
      if (k + 64 > kBuf) {
        put(buf, k);
        k = 0;
      }
      Char* d = buf + k;
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm_unpacklo_epi8(v0, zero));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 8), _mm_unpackhi_epi8(v0, zero));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 16), _mm_unpacklo_epi8(v1, zero));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 24), _mm_unpackhi_epi8(v1, zero));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 32), _mm_unpacklo_epi8(v2, zero));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 40), _mm_unpackhi_epi8(v2, zero));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 48), _mm_unpacklo_epi8(v3, zero));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 56), _mm_unpackhi_epi8(v3, zero));
      k += 64;
      i += 64;
    }
    while (n - i >= 16) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
      if (_mm_movemask_epi8(v) != 0) break;
      if (k + 16 > kBuf) {
        put(buf, k);
        k = 0;
      }
      _mm_storeu_si128(reinterpret_cast<__m128i*>(buf + k), _mm_unpacklo_epi8(v, zero));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(buf + k + 8), _mm_unpackhi_epi8(v, zero));
      k += 16;
      i += 16;
    }
#endif
    while (n - i >= 8) {
      uint64_t w;
      std::memcpy(&w, s + i, 8);
      if ((w & 0x8080808080808080ull) != 0) break;
      if (k + 8 > kBuf) {
        put(buf, k);
        k = 0;
      }
      for (size_t b = 0; b < 8; ++b) buf[k + b] = static_cast<Char>(s[i + b]);
      k += 8;
      i += 8;
    }
    if (i >= n) break;
    if (k + 2 > kBuf) {
      put(buf, k);
      k = 0;
    }
    if (s[i] < 0x80) {
      buf[k++] = static_cast<Char>(s[i++]);
      continue;
    }
    // A sequence is at most four bytes: decoding within a window of four
    // gives what decoding within the whole text gives, and keeps the
    // indexes of the ICU macro small whatever the text's size.
    const auto window = static_cast<int32_t>(n - i < 4 ? n - i : 4);
    int32_t used = 0;
    UChar32 c;
    U8_NEXT(s + i, used, window, c);
    i += static_cast<size_t>(used);
    if (c < 0) {
      wellFormed = false;
      c = 0xFFFD;
    }
    if (c <= 0xFFFF) {
      buf[k++] = static_cast<Char>(c);
    } else {
      buf[k++] = static_cast<Char>(U16_LEAD(c));
      buf[k++] = static_cast<Char>(U16_TRAIL(c));
    }
  }
  put(buf, k);
  return wellFormed;
}

}  // namespace

String Utf8ToString(const char* p, size_t n) { return Utf8ToString(p, n, nullptr); }

String Utf8ToString(const char* p, size_t n, bool* valid) {
  String out;
  Utf8ToStringInto(out, p, n, valid);
  return out;
}

void Utf8ToStringInto(String& out, const char* p, size_t n, bool* valid) {
  if (p == nullptr) n = 0;
  const auto* s = reinterpret_cast<const uint8_t*>(p);
  bool wellFormed;
  if (out.size() >= n) {
    // Never more units than bytes: a string that already holds that many
    // (one given back for reuse) is written in place and then cut.
    Char* dst = out.data();
    size_t k = 0;
    wellFormed = DecodeUtf8(s, n, [&](const Char* units, size_t count) {
      std::memcpy(dst + k, units, count * sizeof(Char));
      k += count;
    });
    out.resize(k);
  } else {
    // Otherwise the units are appended, so the result is written once,
    // never zero-filled first. The room past the units written (two thirds
    // of it for CJK text) is given back rather than kept resident.
    out.clear();
    out.reserve(n);
    TLargeBufferPreparation ready(out.data(), n * sizeof(Char));
    wellFormed = DecodeUtf8(s, n, [&](const Char* units, size_t count) { out.append(units, count); });
    ready.ReleaseAfter((out.size() + 1) * sizeof(Char));
  }
  if (valid != nullptr) *valid = wellFormed;
}

bool AppendUtf8ToString(String& out, const char* p, size_t n) {
  if (p == nullptr) return true;
  return DecodeUtf8(reinterpret_cast<const uint8_t*>(p), n,
                    [&](const Char* units, size_t count) { out.append(units, count); });
}

size_t Utf8WholeSequencesLength(const char* p, size_t n) {
  if (p == nullptr) return 0;
  const auto* s = reinterpret_cast<const uint8_t*>(p);
  // Back over at most three continuation bytes to the byte that leads them.
  size_t j = n;
  while (j > 0 && n - j < 3 && (s[j - 1] & 0xC0) == 0x80) --j;
  if (j == 0) return n;
  const uint8_t lead = s[j - 1];
  const size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  return n - (j - 1) < length ? j - 1 : n;
}

String Utf8ToString(const std::string& s) { return Utf8ToString(s.data(), s.size()); }

String SystemNameToString(const char* p, size_t n) {
  bool valid = true;
  String out = Utf8ToString(p, n, &valid);
  if (valid) return out;
  out.clear();
  const auto* s = reinterpret_cast<const uint8_t*>(p);
  for (size_t i = 0; i < n;) {
    const size_t start = i;
    UChar32 c = 0;
    U8_NEXT(s, i, n, c);
    if (c < 0) {
      // One byte at a time, so that the bytes after a bad one are read anew.
      out.push_back(static_cast<Char>(0xDC00 + s[start]));
      i = start + 1;
    } else if (c < 0x10000) {
      out.push_back(static_cast<Char>(c));
    } else {
      out.push_back(static_cast<Char>(U16_LEAD(c)));
      out.push_back(static_cast<Char>(U16_TRAIL(c)));
    }
  }
  return out;
}

String WithNameBackslashes(String name) {
  for (Char& c : name)
    if (c == u'\\') c = NameBackslash;
  return name;
}

std::string StringToSystemName(const String& s) {
  const auto escaped = [&](size_t i) {
    return ((s[i] >= 0xDC80 && s[i] <= 0xDCFF) || s[i] == NameBackslash) && (i == 0 || !U16_IS_LEAD(s[i - 1]));
  };
  size_t i = 0;
  while (i < s.size() && !escaped(i)) ++i;
  if (i == s.size()) return StringToUtf8(s);
  std::string out;
  size_t from = 0;
  for (; i < s.size(); ++i) {
    if (!escaped(i)) continue;
    out += StringToUtf8(s.substr(from, i - from));
    out.push_back(static_cast<char>(s[i] - 0xDC00));
    from = i + 1;
  }
  out += StringToUtf8(s.substr(from));
  return out;
}

std::string StringToUtf8(const String& s) {
  std::string out;
  out.reserve(s.size());
  const size_t n = s.size();
  for (size_t i = 0; i < n; ++i) {
    uint32_t c = s[i];
    if (U16_IS_LEAD(c) && i + 1 < n && U16_IS_TRAIL(s[i + 1])) {
      c = U16_GET_SUPPLEMENTARY(c, s[i + 1]);
      ++i;
    } else if (U16_IS_SURROGATE(c)) {
      c = 0xFFFD;  // a lone surrogate cannot be written as UTF-8
    }
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

}  // namespace sk
