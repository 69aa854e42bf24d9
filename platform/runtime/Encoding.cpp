// Text encodings as objects on top of the code-page conversions.
#include "platform/runtime/Encoding.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/runtime/CodePages.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/QuickSort.h"

namespace sk {

namespace {

// Shared encodings by code page. They live until the process ends: callers
// keep pointers to them anywhere, also during shut-down.
struct SharedEncodings {
  std::mutex lock;
  std::vector<TEncoding*> items;
};

SharedEncodings& Registry() {
  static SharedEncodings* registry = new SharedEncodings();
  return *registry;
}

bool StartsWith(const Byte* buf, size_t n, const TBytes& prefix) {
  return !prefix.empty() && n >= prefix.size() && std::memcmp(buf, prefix.data(), prefix.size()) == 0;
}

String NumberText(Cardinal v) {
  std::string s = std::to_string(v);
  return String(s.begin(), s.end());
}

}  // namespace

// A subclass only to reach the protected constructor from the registry.
class SharedEncoding final : public TEncoding {
 public:
  explicit SharedEncoding(Cardinal cp) : TEncoding(cp) {}
};

TEncoding::TEncoding(Cardinal codePage) : fCodePage(codePage), fMaxCharSize(CodePageMaxCharSize(codePage)) {}

TEncoding::~TEncoding() = default;

Cardinal TEncoding::CodePage() const { return fCodePage; }

String TEncoding::EncodingName() const {
  switch (fCodePage) {
    case CP_UTF8: return u"Unicode (UTF-8)";
    case CP_UTF7: return u"Unicode (UTF-7)";
    case CP_UTF16LE: return u"Unicode";
    case CP_UTF16BE: return u"Unicode (Big-Endian)";
    case CP_UTF32LE: return u"Unicode (UTF-32)";
    case CP_UTF32BE: return u"Unicode (UTF-32 Big-Endian)";
    case CP_ASCII: return u"US-ASCII";
    default: break;
  }
  String name = CodePageName(fCodePage);
  return name.empty() ? NumberText(fCodePage) : NumberText(fCodePage) + u"  (" + name + u")";
}

TBytes TEncoding::GetPreamble() const {
  switch (fCodePage) {
    case CP_UTF8: return {0xEF, 0xBB, 0xBF};
    case CP_UTF16LE: return {0xFF, 0xFE};
    case CP_UTF16BE: return {0xFE, 0xFF};
    case CP_UTF32LE: return {0xFF, 0xFE, 0x00, 0x00};
    case CP_UTF32BE: return {0x00, 0x00, 0xFE, 0xFF};
    default: return {};
  }
}

bool TEncoding::IsSingleByte() const { return fMaxCharSize == 1; }

TBytes TEncoding::GetBytes(const String& s) const { return GetBytes(s.data(), s.size()); }

TBytes TEncoding::GetBytes(const Char* p, size_t n) const {
  if (p == nullptr || n == 0) return TBytes();
  // A long text in an encoding without shift states is converted in pieces
  // (never between the halves of a pair), with the library's check point
  // between them so that the host is not kept waiting; the bytes are those
  // of the whole text converted at once. The conversion always runs to its
  // end: a half-converted text is of no use to anyone.
  constexpr size_t kPiece = size_t{16} << 10;
  const bool stateless = fCodePage == CP_UTF8 || fCodePage == CP_UTF16LE || fCodePage == CP_UTF16BE ||
                         fCodePage == CP_UTF32LE || fCodePage == CP_UTF32BE || IsSingleByte();
  if (n <= kPiece || !stateless) {
    RawByteString raw = UnicodeToCodePage(fCodePage, String(p, n));
    return TBytes(raw.begin(), raw.end());
  }
  const TSortCheckPoint checkPoint = NewSortCheckPoint();
  TBytes out;
  out.reserve(fCodePage == CP_UTF8 ? n + n / 2 : n * static_cast<size_t>(std::max<Int32>(fMaxCharSize, 1)));
  String piece;
  for (size_t at = 0; at < n;) {
    size_t take = std::min(kPiece, n - at);
    if (at + take < n && p[at + take - 1] >= 0xD800 && p[at + take - 1] <= 0xDBFF) ++take;
    piece.assign(p + at, take);
    const RawByteString raw = UnicodeToCodePage(fCodePage, piece);
    out.insert(out.end(), raw.begin(), raw.end());
    at += take;
    if (checkPoint) checkPoint();
  }
  return out;
}

String TEncoding::GetString(const TBytes& bytes) const { return GetString(bytes.data(), bytes.size()); }

String TEncoding::GetString(const TBytes& bytes, size_t index, size_t count) const {
  if (index >= bytes.size()) return String();
  count = std::min(count, bytes.size() - index);
  return GetString(bytes.data() + index, count);
}

String TEncoding::GetString(const Byte* p, size_t n) const {
  if (p == nullptr || n == 0) return String();
  return CodePageToUnicode(fCodePage, reinterpret_cast<const char*>(p), n);
}

Int32 TEncoding::GetByteCount(const String& s) const {
  if (s.empty()) return 0;
  if (fCodePage == CP_UTF16LE || fCodePage == CP_UTF16BE)
    return s.size() > static_cast<size_t>(INT32_MAX / 2) ? 0 : static_cast<Int32>(s.size() * 2);
  if (s.size() > static_cast<size_t>(INT32_MAX)) return 0;
  // Counted exactly as GetBytes converts: no best-fit characters.
  return WideCharToMultiByte(fCodePage, WC_NO_BEST_FIT_CHARS, s.data(), static_cast<Int32>(s.size()), nullptr, 0,
                             nullptr, nullptr);
}

Int32 TEncoding::GetCharCount(const Byte* p, size_t n) const {
  if (p == nullptr || n == 0 || n > static_cast<size_t>(INT32_MAX)) return 0;
  if (fCodePage == CP_UTF16LE || fCodePage == CP_UTF16BE) return static_cast<Int32>(n / 2 + n % 2);
  return MultiByteToWideChar(fCodePage, 0, reinterpret_cast<const char*>(p), static_cast<Int32>(n), nullptr, 0);
}

Int32 TEncoding::GetCharCount(const TBytes& bytes) const { return GetCharCount(bytes.data(), bytes.size()); }

Int32 TEncoding::GetMaxByteCount(Int32 charCount) const {
  if (charCount < 0) return 0;
  Int64 per = fCodePage == CP_UTF8 ? 3 : (fMaxCharSize > 0 ? fMaxCharSize : 1);
  Int64 r = (static_cast<Int64>(charCount) + 1) * per;
  return r > INT32_MAX ? INT32_MAX : static_cast<Int32>(r);
}

TEncoding* TEncoding::GetEncodingShared(Cardinal codePage) {
  const Cardinal cp = ResolveCodePage(codePage);
  SharedEncodings& reg = Registry();
  {
    std::lock_guard<std::mutex> g(reg.lock);
    for (TEncoding* e : reg.items)
      if (e->fCodePage == cp) return e;
  }
  if (!IsValidCodePage(cp)) return nullptr;
  auto* e = new SharedEncoding(cp);
  std::lock_guard<std::mutex> g(reg.lock);
  for (TEncoding* other : reg.items) {
    if (other->fCodePage == cp) {
      // Another thread made it meanwhile.
      delete e;
      return other;
    }
  }
  reg.items.push_back(e);
  return e;
}

TEncoding* TEncoding::UTF8() {
  static TEncoding* const e = GetEncodingShared(CP_UTF8);
  return e;
}

TEncoding* TEncoding::Unicode() {
  static TEncoding* const e = GetEncodingShared(CP_UTF16LE);
  return e;
}

TEncoding* TEncoding::BigEndianUnicode() {
  static TEncoding* const e = GetEncodingShared(CP_UTF16BE);
  return e;
}

TEncoding* TEncoding::ASCII() {
  static TEncoding* const e = GetEncodingShared(CP_ASCII);
  return e;
}

TEncoding* TEncoding::UTF7() {
  static TEncoding* const e = GetEncodingShared(CP_UTF7);
  return e;
}

TEncoding* TEncoding::ANSI() {
  // The last answer is kept, so that the common case takes no lock.
  static std::atomic<TEncoding*> last{nullptr};
  const Cardinal acp = GetACP();
  TEncoding* e = last.load(std::memory_order_acquire);
  if (e != nullptr && e->fCodePage == acp) return e;
  e = GetEncodingShared(acp);
  if (e == nullptr) e = GetEncodingShared(1252);
  last.store(e, std::memory_order_release);
  return e;
}

TEncoding* TEncoding::Default() { return ANSI(); }

std::unique_ptr<TEncoding> TEncoding::GetEncoding(Cardinal codePage) {
  const Cardinal cp = ResolveCodePage(codePage);
  if (!IsValidCodePage(cp)) throw EEncodingError(u"Invalid code page " + NumberText(codePage));
  return std::unique_ptr<TEncoding>(new TEncoding(cp));
}

Int32 TEncoding::GetBufferEncoding(const TBytes& buf, TEncoding*& aEncoding, TEncoding* aDefault) {
  return GetBufferEncoding(buf.data(), buf.size(), aEncoding, aDefault);
}

Int32 TEncoding::GetBufferEncoding(const Byte* buf, size_t n, TEncoding*& aEncoding, TEncoding* aDefault) {
  if (buf == nullptr) n = 0;
  if (aEncoding == nullptr) {
    for (TEncoding* e : {UTF8(), Unicode(), BigEndianUnicode()}) {
      TBytes pre = e->GetPreamble();
      if (StartsWith(buf, n, pre)) {
        aEncoding = e;
        return static_cast<Int32>(pre.size());
      }
    }
    aEncoding = aDefault != nullptr ? aDefault : Default();
    return 0;
  }
  TBytes pre = aEncoding->GetPreamble();
  return StartsWith(buf, n, pre) ? static_cast<Int32>(pre.size()) : 0;
}

bool TEncoding::IsStandardEncoding(TEncoding* e) {
  if (e == nullptr) return false;
  SharedEncodings& reg = Registry();
  std::lock_guard<std::mutex> g(reg.lock);
  return std::find(reg.items.begin(), reg.items.end(), e) != reg.items.end();
}

TBytes TEncoding::Convert(TEncoding* src, TEncoding* dst, const TBytes& bytes) {
  if (src == nullptr || dst == nullptr) return TBytes();
  return dst->GetBytes(src->GetString(bytes));
}

bool IsUTF8Valid(const Byte* p, size_t n) {
  if (p == nullptr) return n == 0;
  size_t i = 0;
  while (i < n) {
    // ASCII, eight bytes at a time.
    while (n - i >= 8) {
      uint64_t w;
      std::memcpy(&w, p + i, 8);
      if ((w & 0x8080808080808080ull) != 0) break;
      i += 8;
    }
    if (i >= n) break;
    Byte b = p[i];
    if (b < 0x80) {
      ++i;
      continue;
    }
    size_t need;
    Byte lo = 0x80, hi = 0xBF;  // range of the second byte
    if (b >= 0xC2 && b <= 0xDF) {
      need = 1;
    } else if (b >= 0xE0 && b <= 0xEF) {
      need = 2;
      if (b == 0xE0) lo = 0xA0;  // no overlong forms
      if (b == 0xED) hi = 0x9F;  // no surrogates
    } else if (b >= 0xF0 && b <= 0xF4) {
      need = 3;
      if (b == 0xF0) lo = 0x90;
      if (b == 0xF4) hi = 0x8F;  // nothing above U+10FFFF
    } else {
      return false;
    }
    if (n - i <= need) return false;
    if (p[i + 1] < lo || p[i + 1] > hi) return false;
    for (size_t k = 2; k <= need; ++k)
      if (p[i + k] < 0x80 || p[i + k] > 0xBF) return false;
    i += need + 1;
  }
  return true;
}

bool IsUTF8Valid(const TBytes& bytes) { return IsUTF8Valid(bytes.data(), bytes.size()); }

}  // namespace sk
