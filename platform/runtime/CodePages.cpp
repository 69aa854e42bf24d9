// Code-page conversions on ICU converters. Converters are opened by code-page
// number and cached per thread (a converter carries conversion state, so one
// converter must never serve two threads at once).
#include "platform/runtime/CodePages.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/runtime/LargeBuffers.h"
#include "platform/runtime/Locale.h"

namespace sk {

namespace {

struct ConverterCache {
  struct Entry {
    Cardinal cp;
    UConverter* conv;  // nullptr: the code page is known to be unavailable
  };
  std::vector<Entry> entries;
  ConverterCache() = default;
  ConverterCache(const ConverterCache&) = delete;
  ConverterCache& operator=(const ConverterCache&) = delete;
  ~ConverterCache() {
    for (auto& e : entries)
      if (e.conv != nullptr) ucnv_close(e.conv);
  }
};

ConverterCache& Converters() {
  thread_local ConverterCache cache;
  return cache;
}

// ICU names to try for a code page, most specific first.
std::vector<std::string> IcuNamesFor(Cardinal cp) {
  switch (cp) {
    case CP_UTF8: return {"UTF-8"};
    case CP_UTF7: return {"UTF-7"};
    case CP_UTF16LE: return {"UTF-16LE"};
    case CP_UTF16BE: return {"UTF-16BE"};
    case CP_UTF32LE: return {"UTF-32LE"};
    case CP_UTF32BE: return {"UTF-32BE"};
    case CP_ASCII: return {"US-ASCII"};
    case 10000: return {"macintosh"};
    case 10007: return {"x-mac-cyrillic"};
    case 10029: return {"x-mac-centraleurroman"};
    case 20866: return {"KOI8-R"};
    case 21866: return {"KOI8-U"};
    case 54936: return {"GB18030"};
    case 51932: return {"EUC-JP"};
    case 51949: return {"EUC-KR"};
    case 50220:
    case 50221:
    case 50222: return {"ISO-2022-JP"};
    case 20932: return {"EUC-JP"};
    case 936: return {"windows-936", "GBK"};
    case 932: return {"windows-932", "Shift_JIS"};
    case 949: return {"windows-949"};
    case 950: return {"windows-950", "Big5"};
    default: break;
  }
  if (cp >= 28591 && cp <= 28606) {
    Cardinal part = cp - 28590;
    if (part == 12) return {};  // no ISO-8859-12
    return {"iso-8859-" + std::to_string(part)};
  }
  std::string n = std::to_string(cp);
  if (cp == 874 || (cp >= 1250 && cp <= 1258)) return {"windows-" + n};
  if (cp < 1250) return {"ibm-" + n, "windows-" + n};
  return {"windows-" + n, "ibm-" + n};
}

UConverter* OpenConverter(Cardinal cp) {
  for (const std::string& name : IcuNamesFor(cp)) {
    UErrorCode err = U_ZERO_ERROR;
    UConverter* c = ucnv_open(name.c_str(), &err);
    if (U_SUCCESS(err) && c != nullptr) return c;
    if (c != nullptr) ucnv_close(c);
  }
  return nullptr;
}

// The cached converter of a resolved code page, reset for a new conversion.
UConverter* ConverterFor(Cardinal cp) {
  ConverterCache& cache = Converters();
  for (auto& e : cache.entries) {
    if (e.cp == cp) {
      if (e.conv != nullptr) ucnv_reset(e.conv);
      return e.conv;
    }
  }
  UConverter* c = OpenConverter(cp);
  cache.entries.push_back({cp, c});
  return c;
}

bool IsUnicodeCodePage(Cardinal cp) {
  return cp == CP_UTF8 || cp == CP_UTF7 || cp == CP_UTF16LE || cp == CP_UTF16BE || cp == CP_UTF32LE ||
         cp == CP_UTF32BE;
}

// Substitution of characters that a code page cannot hold: one substitute per
// UTF-16 unit (as the platform does, so a single-byte text keeps one byte per
// unit), and a note that it happened.
struct FromUContext {
  char sub[4];
  int32_t subLen;
  bool used;
};

void SubstituteFromUnicode(const void* context, UConverterFromUnicodeArgs* args, const UChar* codeUnits,
                           int32_t length, UChar32 codePoint, UConverterCallbackReason reason, UErrorCode* err) {
  (void)codeUnits;
  (void)codePoint;
  if (reason != UCNV_UNASSIGNED && reason != UCNV_ILLEGAL && reason != UCNV_IRREGULAR) return;
  auto* ctx = static_cast<FromUContext*>(const_cast<void*>(context));
  ctx->used = true;
  *err = U_ZERO_ERROR;
  // All substitutes in one write: a write that does not fit is kept by the
  // converter for the next buffer, while a second write after it would be lost.
  const int32_t count = length > 1 ? 2 : 1;  // a character is one or two units
  char subs[2 * sizeof ctx->sub];
  int32_t n = 0;
  for (int32_t i = 0; i < count; ++i, n += ctx->subLen)
    std::memcpy(subs + n, ctx->sub, static_cast<size_t>(ctx->subLen));
  ucnv_cbFromUWriteBytes(args, subs, n, 0, err);
}

// Bytes a code page does not define become U+FFFD (ICU would give U+001A for
// some converters, a control character that could pass for text).
void SubstituteToUnicode(const void* context, UConverterToUnicodeArgs* args, const char* codeUnits, int32_t length,
                         UConverterCallbackReason reason, UErrorCode* err) {
  (void)context;
  (void)codeUnits;
  (void)length;
  if (reason != UCNV_UNASSIGNED && reason != UCNV_ILLEGAL && reason != UCNV_IRREGULAR) return;
  *err = U_ZERO_ERROR;
  const UChar replacement = 0xFFFD;
  ucnv_cbToUWriteUChars(args, &replacement, 1, 0, err);
}

// Bytes -> UTF-16 through a converter. dest null: count only. Returns false on
// failure (invalid input in strict mode, ICU error, dest too small).
bool ConvertToUnicode(UConverter* c, const char* src, size_t n, Char* dest, size_t cap, size_t& produced,
                      bool strict) {
  produced = 0;
  UErrorCode err = U_ZERO_ERROR;
  if (strict)
    ucnv_setToUCallBack(c, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &err);
  else
    ucnv_setToUCallBack(c, SubstituteToUnicode, nullptr, nullptr, nullptr, &err);
  if (U_FAILURE(err)) return false;
  ucnv_setFallback(c, true);
  const char* s = src;
  const char* sEnd = src + n;
  UChar tmp[1024];
  // ICU reports a full buffer as soon as it is full, even when the rest of
  // the input (a shift back, the end of an encoded run) produces nothing: the
  // rest then goes to a scratch buffer, and only output there means the
  // buffer was too small. So a buffer of the size counted always suffices.
  bool full = false;
  for (;;) {
    const bool intoDest = dest != nullptr && !full;
    UChar* start = intoDest ? reinterpret_cast<UChar*>(dest) + produced : tmp;
    UChar* limit = intoDest ? reinterpret_cast<UChar*>(dest) + cap : tmp + 1024;
    UChar* t = start;
    err = U_ZERO_ERROR;
    ucnv_toUnicode(c, &t, limit, &s, sEnd, nullptr, true, &err);
    if (full && t != start) return false;
    if (!full) produced += static_cast<size_t>(t - start);
    if (err == U_BUFFER_OVERFLOW_ERROR) {
      if (dest != nullptr) full = true;
      continue;
    }
    return U_SUCCESS(err);
  }
}

// Runs a converter whose callbacks are already set over UTF-16 text. dest null:
// count only (through a scratch buffer). Returns false on failure (invalid
// input, ICU error, dest too small).
bool RunFromUnicode(UConverter* c, const Char* src, size_t n, char* dest, size_t cap, size_t& produced) {
  produced = 0;
  const UChar* s = reinterpret_cast<const UChar*>(src);
  const UChar* sEnd = s + n;
  char tmp[2048];
  // As in ConvertToUnicode: a full buffer is too small only when the rest of
  // the input still produces bytes.
  bool full = false;
  for (;;) {
    const bool intoDest = dest != nullptr && !full;
    char* start = intoDest ? dest + produced : tmp;
    char* limit = intoDest ? dest + cap : tmp + sizeof tmp;
    char* t = start;
    UErrorCode err = U_ZERO_ERROR;
    ucnv_fromUnicode(c, &t, limit, &s, sEnd, nullptr, true, &err);
    if (full && t != start) return false;
    if (!full) produced += static_cast<size_t>(t - start);
    if (err == U_BUFFER_OVERFLOW_ERROR) {
      if (dest != nullptr) full = true;
      continue;
    }
    return U_SUCCESS(err);
  }
}

// UTF-16 -> bytes through a converter. dest null: count only.
bool ConvertFromUnicode(UConverter* c, const Char* src, size_t n, char* dest, size_t cap, size_t& produced,
                        FromUContext* subst, bool bestFit) {
  produced = 0;
  UErrorCode err = U_ZERO_ERROR;
  if (subst != nullptr)
    ucnv_setFromUCallBack(c, SubstituteFromUnicode, subst, nullptr, nullptr, &err);
  else
    ucnv_setFromUCallBack(c, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &err);
  if (U_FAILURE(err)) return false;
  ucnv_setFallback(c, bestFit);
  return RunFromUnicode(c, src, n, dest, cap, produced);
}

// UTF-8 decoding without a converter (the common case). Invalid sequences give
// U+FFFD, or failure when strict.
bool Utf8ToUnicode(const char* src, size_t n, Char* dest, size_t cap, size_t& produced, bool strict) {
  produced = 0;
  if (n > static_cast<size_t>(INT32_MAX) || cap > static_cast<size_t>(INT32_MAX)) return false;
  int32_t len = 0;
  UErrorCode err = U_ZERO_ERROR;
  UChar* d = reinterpret_cast<UChar*>(dest);
  int32_t dcap = dest != nullptr ? static_cast<int32_t>(cap) : 0;
  if (strict)
    u_strFromUTF8(d, dcap, &len, src, static_cast<int32_t>(n), &err);
  else
    u_strFromUTF8WithSub(d, dcap, &len, src, static_cast<int32_t>(n), 0xFFFD, nullptr, &err);
  produced = static_cast<size_t>(len < 0 ? 0 : len);
  if (err == U_BUFFER_OVERFLOW_ERROR) return dest == nullptr;
  if (err == U_STRING_NOT_TERMINATED_WARNING) return true;
  return U_SUCCESS(err);
}

// UTF-16 -> UTF-8 without a converter. Lone surrogates give EF BF BD (and set
// *lossy), or failure when strict.
bool UnicodeToUtf8(const Char* src, size_t n, char* dest, size_t cap, size_t& produced, bool strict, bool* lossy) {
  produced = 0;
  if (n > static_cast<size_t>(INT32_MAX) || cap > static_cast<size_t>(INT32_MAX)) return false;
  int32_t len = 0;
  int32_t subs = 0;
  UErrorCode err = U_ZERO_ERROR;
  int32_t dcap = dest != nullptr ? static_cast<int32_t>(cap) : 0;
  if (strict)
    u_strToUTF8(dest, dcap, &len, reinterpret_cast<const UChar*>(src), static_cast<int32_t>(n), &err);
  else
    u_strToUTF8WithSub(dest, dcap, &len, reinterpret_cast<const UChar*>(src), static_cast<int32_t>(n), 0xFFFD, &subs,
                       &err);
  if (lossy != nullptr && subs > 0) *lossy = true;
  produced = static_cast<size_t>(len < 0 ? 0 : len);
  if (err == U_BUFFER_OVERFLOW_ERROR) return dest == nullptr;
  if (err == U_STRING_NOT_TERMINATED_WARNING) return true;
  return U_SUCCESS(err);
}

// UTF-16LE / UTF-16BE bytes <-> String by copying code units; lone surrogates
// pass through unchanged, an odd final byte becomes U+FFFD.
bool Utf16BytesToUnicode(bool bigEndian, const char* src, size_t n, Char* dest, size_t cap, size_t& produced,
                         bool strict) {
  produced = n / 2 + (n % 2);
  if (strict && n % 2 != 0) return false;
  if (dest == nullptr) return true;
  if (cap < produced) return false;
  const auto* b = reinterpret_cast<const unsigned char*>(src);
  for (size_t i = 0; i + 1 < n; i += 2)
    dest[i / 2] = bigEndian ? static_cast<Char>((b[i] << 8) | b[i + 1]) : static_cast<Char>(b[i] | (b[i + 1] << 8));
  if (n % 2 != 0) dest[n / 2] = Char(0xFFFD);
  return true;
}

bool UnicodeToUtf16Bytes(bool bigEndian, const Char* src, size_t n, char* dest, size_t cap, size_t& produced) {
  produced = n * 2;
  if (dest == nullptr) return true;
  if (cap < produced) return false;
  for (size_t i = 0; i < n; ++i) {
    unsigned char hi = static_cast<unsigned char>(src[i] >> 8), lo = static_cast<unsigned char>(src[i] & 0xFF);
    dest[2 * i] = static_cast<char>(bigEndian ? hi : lo);
    dest[2 * i + 1] = static_cast<char>(bigEndian ? lo : hi);
  }
  return true;
}

// Dispatch: bytes of a resolved code page -> UTF-16.
bool BytesToUnicode(Cardinal cp, const char* src, size_t n, Char* dest, size_t cap, size_t& produced, bool strict) {
  if (cp == CP_UTF8) return Utf8ToUnicode(src, n, dest, cap, produced, strict);
  if (cp == CP_UTF16LE || cp == CP_UTF16BE)
    return Utf16BytesToUnicode(cp == CP_UTF16BE, src, n, dest, cap, produced, strict);
  UConverter* c = ConverterFor(cp);
  if (c == nullptr) return false;
  return ConvertToUnicode(c, src, n, dest, cap, produced, strict);
}

// True when b starts a two-byte character of the code page.
bool IsLeadByte(Cardinal cp, unsigned char b) {
  if (CodePageMaxCharSize(cp) < 2) return false;
  UConverter* c = ConverterFor(cp);
  if (c == nullptr) return false;
  UBool starters[256];
  UErrorCode err = U_ZERO_ERROR;
  ucnv_getStarters(c, starters, &err);
  return U_SUCCESS(err) && starters[b];
}

// The default character is one character of the code page: its second byte
// is read only when the first is a lead byte, so that a single-byte default
// is never read past.
void DefaultSubstitute(Cardinal cp, const char* defaultChar, FromUContext& ctx) {
  ctx.used = false;
  ctx.sub[0] = '?';
  ctx.subLen = 1;
  if (defaultChar == nullptr || defaultChar[0] == '\0') return;
  ctx.sub[0] = defaultChar[0];
  if (IsLeadByte(cp, static_cast<unsigned char>(defaultChar[0])) && defaultChar[1] != '\0') {
    ctx.sub[1] = defaultChar[1];
    ctx.subLen = 2;
  }
}

// Dispatch: UTF-16 -> bytes of a resolved code page.
bool UnicodeToBytes(Cardinal cp, const Char* src, size_t n, char* dest, size_t cap, size_t& produced, bool strict,
                    FromUContext* subst, bool bestFit, bool* lossy) {
  if (cp == CP_UTF8) return UnicodeToUtf8(src, n, dest, cap, produced, strict, lossy);
  if (cp == CP_UTF16LE || cp == CP_UTF16BE) return UnicodeToUtf16Bytes(cp == CP_UTF16BE, src, n, dest, cap, produced);
  UConverter* c = ConverterFor(cp);
  if (c == nullptr) return false;
  if (IsUnicodeCodePage(cp)) {
    // UTF-7 and UTF-32 hold every character; only lone surrogates are replaced,
    // by ICU's own substitute (U+FFFD).
    UErrorCode err = U_ZERO_ERROR;
    ucnv_setFromUCallBack(c, strict ? UCNV_FROM_U_CALLBACK_STOP : UCNV_FROM_U_CALLBACK_SUBSTITUTE, nullptr, nullptr,
                          nullptr, &err);
    return RunFromUnicode(c, src, n, dest, cap, produced);
  }
  return ConvertFromUnicode(c, src, n, dest, cap, produced, strict ? nullptr : subst, bestFit);
}

bool HasLoneSurrogate(const Char* p, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    if (U16_IS_LEAD(p[i]) && i + 1 < n && U16_IS_TRAIL(p[i + 1])) {
      ++i;
      continue;
    }
    if (U16_IS_SURROGATE(p[i])) return true;
  }
  return false;
}

}  // namespace

Cardinal ResolveCodePage(Cardinal cp) {
  switch (cp) {
    case CP_ACP:
    case CP_THREAD_ACP: return GetACP();
    case CP_OEMCP: return GetOEMCP();
    case CP_MACCP: return 10000;
    default: return cp;
  }
}

bool IsValidCodePage(Cardinal cp) {
  Cardinal real = ResolveCodePage(cp);
  if (real == CP_UTF8 || real == CP_UTF16LE || real == CP_UTF16BE) return true;
  return ConverterFor(real) != nullptr;
}

Int32 CodePageMaxCharSize(Cardinal cp) {
  Cardinal real = ResolveCodePage(cp);
  if (real == CP_UTF8) return 4;
  if (real == CP_UTF16LE || real == CP_UTF16BE) return 4;
  UConverter* c = ConverterFor(real);
  return c != nullptr ? ucnv_getMaxCharSize(c) : 0;
}

String CodePageName(Cardinal cp) {
  Cardinal real = ResolveCodePage(cp);
  switch (real) {
    case CP_UTF8: return u"UTF-8";
    case CP_UTF7: return u"UTF-7";
    case CP_UTF16LE: return u"UTF-16LE";
    case CP_UTF16BE: return u"UTF-16BE";
    case CP_UTF32LE: return u"UTF-32LE";
    case CP_UTF32BE: return u"UTF-32BE";
    case CP_ASCII: return u"US-ASCII";
    default: break;
  }
  if (!IsValidCodePage(real)) return String();
  std::vector<std::string> names = IcuNamesFor(real);
  for (const std::string& n : names) {
    UErrorCode err = U_ZERO_ERROR;
    UConverter* c = ucnv_open(n.c_str(), &err);
    if (c != nullptr) ucnv_close(c);
    if (U_SUCCESS(err)) return String(n.begin(), n.end());
  }
  return String();
}

Int32 MultiByteToWideChar(Cardinal cp, Cardinal flags, const char* src, Int32 srcLen, Char* dest, Int32 destLen) {
  if (src == nullptr || srcLen == 0 || srcLen < -1 || destLen < 0 || (destLen > 0 && dest == nullptr)) return 0;
  const Cardinal real = ResolveCodePage(cp);
  const bool strict = (flags & MB_ERR_INVALID_CHARS) != 0;
  const size_t n = srcLen == -1 ? std::strlen(src) + 1 : static_cast<size_t>(srcLen);
  size_t produced = 0;
  if (flags & MB_COMPOSITE) {
    // Convert, then decompose accented characters.
    size_t need = 0;
    if (!BytesToUnicode(real, src, n, nullptr, 0, need, strict)) return 0;
    String tmp(need, Char(0));
    if (!BytesToUnicode(real, src, n, tmp.data(), tmp.size(), produced, strict)) return 0;
    tmp.resize(produced);
    String folded;
    if (!tmp.empty() && !FoldStringW(MAP_COMPOSITE, tmp, folded)) return 0;
    if (folded.size() > static_cast<size_t>(INT32_MAX)) return 0;
    if (destLen == 0) return static_cast<Int32>(folded.size());
    if (static_cast<size_t>(destLen) < folded.size()) return 0;
    std::memcpy(dest, folded.data(), folded.size() * sizeof(Char));
    return static_cast<Int32>(folded.size());
  }
  if (destLen == 0) {
    if (!BytesToUnicode(real, src, n, nullptr, 0, produced, strict)) return 0;
  } else {
    if (!BytesToUnicode(real, src, n, dest, static_cast<size_t>(destLen), produced, strict)) return 0;
  }
  if (produced > static_cast<size_t>(INT32_MAX)) return 0;
  return static_cast<Int32>(produced);
}

Int32 WideCharToMultiByte(Cardinal cp, Cardinal flags, const Char* src, Int32 srcLen, char* dest, Int32 destLen,
                          const char* defaultChar, bool* usedDefaultChar) {
  if (src == nullptr || srcLen == 0 || srcLen < -1 || destLen < 0 || (destLen > 0 && dest == nullptr)) return 0;
  const Cardinal real = ResolveCodePage(cp);
  if ((real == CP_UTF8 || real == CP_UTF7) && (defaultChar != nullptr || usedDefaultChar != nullptr)) return 0;
  if (usedDefaultChar != nullptr) *usedDefaultChar = false;
  size_t n = srcLen == -1 ? std::char_traits<Char>::length(src) + 1 : static_cast<size_t>(srcLen);
  const Char* p = src;
  String composed;
  if (flags & WC_COMPOSITECHECK) {
    // Base letters followed by accents become precomposed characters first.
    String tmp(src, n);
    if (!FoldStringW(MAP_PRECOMPOSED, tmp, composed)) return 0;
    p = composed.data();
    n = composed.size();
  }
  const bool strict = (flags & WC_ERR_INVALID_CHARS) != 0 && real == CP_UTF8;
  FromUContext ctx;
  DefaultSubstitute(real, defaultChar, ctx);
  const bool bestFit = (flags & WC_NO_BEST_FIT_CHARS) == 0;
  size_t produced = 0;
  char* target = destLen == 0 ? nullptr : dest;
  bool ok = UnicodeToBytes(real, p, n, target, static_cast<size_t>(destLen), produced, strict, &ctx, bestFit, nullptr);
  if (!ok || produced > static_cast<size_t>(INT32_MAX)) return 0;
  if (usedDefaultChar != nullptr) *usedDefaultChar = ctx.used;
  return static_cast<Int32>(produced);
}

// A decoding under way: the text, the converter (none for UTF-8 and UTF-16)
// and what a piece's end cut off.
struct TCodePageDecoderState {
  String& out;
  Cardinal cp;
  UConverter* conv = nullptr;
  bool ownsConv = false;
  bool ok = true;
  int carry = -1;       // UTF-16: a byte waiting for the other byte of its unit
  std::string pending;  // UTF-8: the start of a sequence cut by a piece's end
  std::optional<TLargeBufferPreparation> ready;

  // conv is the converter to use (already resolved, or null for UTF-8 and
  // UTF-16); owned when ownsConv.
  TCodePageDecoderState(String& o, Cardinal real, UConverter* c, bool owns, size_t total)
      : out(o), cp(real), conv(c), ownsConv(owns) {
    out.clear();
    if (conv != nullptr) {
      UErrorCode err = U_ZERO_ERROR;
      ucnv_setToUCallBack(conv, SubstituteToUnicode, nullptr, nullptr, nullptr, &err);
      ucnv_setFallback(conv, true);
      ok = U_SUCCESS(err);
    }
    // UTF-16 gives one unit per two bytes, exactly; the other code pages at
    // most one unit per byte, nearly all of them. Room that is too small is
    // given back before new room is taken, so that the two are never held
    // together.
    const size_t room = cp == CP_UTF16LE || cp == CP_UTF16BE ? total / 2 + total % 2 : total;
    if (out.capacity() < room) {
      String().swap(out);
      out.reserve(room);
    }
    ready.emplace(out.data(), out.capacity() * sizeof(Char));
  }
  ~TCodePageDecoderState() {
    ready.reset();
    if (ownsConv) ucnv_close(conv);
  }

  // The units are appended, so that the room is written once and never
  // zero-filled first. Should the text outgrow its room, the string moves:
  // the preparation ends first, since its room is then given back.
  void Put(const Char* units, size_t count) {
    if (ready && out.size() + count > out.capacity()) {
      ready->ReleaseAfter(SIZE_MAX);
      ready.reset();
    }
    out.append(units, count);
  }

  void Utf16(const char* bytes, size_t n) {
    const bool bigEndian = cp == CP_UTF16BE;
    Char tmp[4096];
    size_t produced = 0;
    if (carry >= 0 && n > 0) {
      const char unit[2] = {static_cast<char>(carry), bytes[0]};
      Utf16BytesToUnicode(bigEndian, unit, 2, tmp, 1, produced, false);
      Put(tmp, 1);
      carry = -1;
      ++bytes;
      --n;
    }
    if (n % 2 != 0) carry = static_cast<unsigned char>(bytes[--n]);
    for (size_t at = 0; at < n;) {
      const size_t piece = std::min(n - at, sizeof tmp);
      Utf16BytesToUnicode(bigEndian, bytes + at, piece, tmp, sizeof tmp / sizeof tmp[0], produced, false);
      Put(tmp, produced);
      at += piece;
    }
  }

  void Convert(const char* bytes, size_t n, bool flush) {
    Char tmp[4096];
    UChar* const begin = reinterpret_cast<UChar*>(tmp);
    const char* s = bytes;
    for (;;) {
      UChar* t = begin;
      UErrorCode err = U_ZERO_ERROR;
      ucnv_toUnicode(conv, &t, begin + sizeof tmp / sizeof tmp[0], &s, bytes + n, nullptr, flush, &err);
      Put(tmp, static_cast<size_t>(t - begin));
      if (err == U_BUFFER_OVERFLOW_ERROR) continue;
      if (U_FAILURE(err)) ok = false;
      return;
    }
  }

  void Add(const char* bytes, size_t n) {
    if (!ok || bytes == nullptr || n == 0) return;
    if (cp == CP_UTF8) {
      pending.append(bytes, n);
      const size_t whole = Utf8WholeSequencesLength(pending.data(), pending.size());
      AppendUtf8ToString(out, pending.data(), whole);
      pending.erase(0, whole);
    } else if (conv == nullptr) {
      Utf16(bytes, n);
    } else {
      Convert(bytes, n, false);
    }
  }

  bool Finish() {
    if (ok) {
      if (cp == CP_UTF8) {
        AppendUtf8ToString(out, pending.data(), pending.size());
        pending.clear();
      } else if (conv == nullptr) {
        if (carry >= 0) {
          const Char lone = 0xFFFD;
          Put(&lone, 1);
          carry = -1;
        }
      } else {
        Convert(nullptr, 0, true);
      }
    }
    if (!ok) out.clear();
    // Room the text did not take (most of it for a double-byte code page) is
    // given back rather than kept resident.
    if (ready) ready->ReleaseAfter((out.size() + 1) * sizeof(Char));
    ready.reset();
    return ok;
  }
};

TCodePageDecoder::TCodePageDecoder(String& out, Cardinal cp, size_t total) {
  const Cardinal real = ResolveCodePage(cp);
  UConverter* conv = nullptr;
  if (real != CP_UTF8 && real != CP_UTF16LE && real != CP_UTF16BE) {
    // A converter of its own, since pieces may arrive while other text in
    // the same code page is converted on the thread.
    conv = ConverterFor(real) != nullptr ? OpenConverter(real) : nullptr;
    if (conv == nullptr) {
      out.clear();
      return;
    }
  }
  fState = std::make_unique<TCodePageDecoderState>(out, real, conv, conv != nullptr, total);
}

TCodePageDecoder::~TCodePageDecoder() = default;

bool TCodePageDecoder::Ok() const { return fState != nullptr && fState->ok; }

void TCodePageDecoder::Add(const char* bytes, size_t n) {
  if (fState != nullptr) fState->Add(bytes, n);
}

bool TCodePageDecoder::Finish() { return fState != nullptr && fState->Finish(); }

void CodePageToUnicodeInto(String& out, Cardinal cp, const char* bytes, size_t n) {
  out.clear();
  if (bytes == nullptr || n == 0) return;
  const Cardinal real = ResolveCodePage(cp);
  // UTF-8, the common case, in one pass without a buffer filled first.
  if (real == CP_UTF8) {
    Utf8ToStringInto(out, bytes, n);
    return;
  }
  // All the bytes are one piece: the thread's own converter serves.
  UConverter* conv = nullptr;
  if (real != CP_UTF16LE && real != CP_UTF16BE) {
    conv = ConverterFor(real);
    if (conv == nullptr) return;
  }
  TCodePageDecoderState state(out, real, conv, false, n);
  state.Add(bytes, n);
  state.Finish();
}

String CodePageToUnicode(Cardinal cp, const char* bytes, size_t n) {
  String r;
  CodePageToUnicodeInto(r, cp, bytes, n);
  // A text much shorter than its room (a double-byte code page) is moved into
  // room of its size.
  if (r.capacity() > r.size() + r.size() / 4 + 16) r.shrink_to_fit();
  return r;
}

String CodePageToUnicode(Cardinal cp, const RawByteString& bytes) {
  return CodePageToUnicode(cp, bytes.data(), bytes.size());
}

RawByteString UnicodeToCodePage(Cardinal cp, const String& s, bool* lossy) {
  if (lossy != nullptr) *lossy = false;
  if (s.empty()) return RawByteString();
  const Cardinal real = ResolveCodePage(cp);
  FromUContext ctx;
  DefaultSubstitute(real, nullptr, ctx);
  size_t need = 0;
  bool utfLossy = false;
  if (!UnicodeToBytes(real, s.data(), s.size(), nullptr, 0, need, false, &ctx, false, &utfLossy)) {
    if (lossy != nullptr) *lossy = true;
    return RawByteString();
  }
  RawByteString r(need, '\0');
  size_t produced = 0;
  ctx.used = false;
  if (!UnicodeToBytes(real, s.data(), s.size(), r.data(), r.size(), produced, false, &ctx, false, &utfLossy)) {
    if (lossy != nullptr) *lossy = true;
    return RawByteString();
  }
  r.resize(produced);
  if (lossy != nullptr) {
    bool replaced = ctx.used || utfLossy;
    // The Unicode encodings replace only lone surrogates.
    if (!replaced && IsUnicodeCodePage(real) && real != CP_UTF16LE && real != CP_UTF16BE)
      replaced = HasLoneSurrogate(s.data(), s.size());
    *lossy = replaced;
  }
  return r;
}

RawByteString OemToCharA(const RawByteString& oem) {
  return UnicodeToCodePage(CP_ACP, CodePageToUnicode(CP_OEMCP, oem));
}

RawByteString CharToOemA(const RawByteString& ansi) {
  return UnicodeToCodePage(CP_OEMCP, CodePageToUnicode(CP_ACP, ansi));
}

String SystemNameForDisplay(const String& name) {
  const auto escaped = [&](size_t i) {
    return ((name[i] >= 0xDC80 && name[i] <= 0xDCFF) || name[i] == NameBackslash) &&
           (i == 0 || !U16_IS_LEAD(name[i - 1]));
  };
  size_t i = 0;
  while (i < name.size() && !escaped(i)) ++i;
  if (i == name.size()) return name;
  String out(name, 0, i);
  while (i < name.size()) {
    if (!escaped(i)) {
      out += name[i++];
      continue;
    }
    std::string bytes;
    for (; i < name.size() && escaped(i); ++i) bytes.push_back(static_cast<char>(name[i] - 0xDC00));
    out += CodePageToUnicode(GetACP(), bytes.data(), bytes.size());
  }
  return out;
}

}  // namespace sk
