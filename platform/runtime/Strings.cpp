#include "platform/runtime/Strings.h"

#include <unicode/uchar.h>

#include <algorithm>
#include <limits>

namespace sk {

namespace {

inline Char AsciiUpper(Char c) { return (c >= u'a' && c <= u'z') ? static_cast<Char>(c - 32) : c; }
inline Char AsciiLower(Char c) { return (c >= u'A' && c <= u'Z') ? static_cast<Char>(c + 32) : c; }

// One-to-one simple upper-case mapping of one UTF-16 unit; surrogates and
// characters whose upper case lies outside the BMP stay unchanged, so the
// length of a mapped text equals the original's.
inline Char SimpleUpper(Char c) {
  if (c < 0x80) return AsciiUpper(c);
  if (c >= 0xD800 && c <= 0xDFFF) return c;
  const UChar32 u = u_toupper(static_cast<UChar32>(c));
  return u <= 0xFFFF ? static_cast<Char>(u) : c;
}

String SimpleUpperCopy(const String& s) {
  String r(s);
  for (auto& c : r) c = SimpleUpper(c);
  return r;
}

// Shared body of the integer parsers: blanks, sign, '$' / '0x' / 'x' prefix,
// then decimal or hexadecimal digits to the end of the text.  `maxPositive`
// bounds a decimal value (its negation less one for the minus sign);
// hexadecimal values may use the full unsigned width (`maxHex`) and are then
// read as a bit pattern.
bool ParseInteger(const String& s, UInt64 maxPositive, UInt64 maxHex, bool& negative,
                  UInt64& magnitude, bool& isHex) {
  size_t i = 0;
  const size_t n = s.size();
  while (i < n && s[i] == u' ') ++i;
  negative = false;
  if (i < n && (s[i] == u'-' || s[i] == u'+')) {
    negative = s[i] == u'-';
    ++i;
  }
  isHex = false;
  if (i < n && s[i] == u'$') {
    isHex = true;
    ++i;
  } else if (i < n && (s[i] == u'x' || s[i] == u'X')) {
    isHex = true;
    ++i;
  } else if (i + 1 < n && s[i] == u'0' && (s[i + 1] == u'x' || s[i + 1] == u'X')) {
    isHex = true;
    i += 2;
  }
  if (i >= n) return false;
  UInt64 v = 0;
  if (isHex) {
    for (; i < n; ++i) {
      const Int32 digit = HexDigitValue(s[i]);
      if (digit < 0) return false;
      const auto d = static_cast<unsigned>(digit);
      if (v > (maxHex >> 4)) return false;
      v = (v << 4) | d;
    }
  } else {
    const UInt64 limit = negative ? maxPositive + 1 : maxPositive;
    for (; i < n; ++i) {
      const Char c = s[i];
      if (c < u'0' || c > u'9') return false;
      const unsigned d = c - u'0';
      if (v > (limit - d) / 10) return false;
      v = v * 10 + d;
    }
  }
  magnitude = v;
  return true;
}

[[noreturn]] void RaiseNotInteger(const String& s) {
  throw EConvertError(u"'" + s + u"' is not a valid integer value");
}

}  // namespace

String Copy(const String& s, Int32 index1, Int32 count) {
  if (index1 < 1) index1 = 1;
  const auto len = static_cast<Int64>(s.size());
  if (count <= 0 || index1 > len) return String();
  const Int64 start = index1 - 1;
  const Int64 avail = len - start;
  return s.substr(static_cast<size_t>(start), static_cast<size_t>(std::min<Int64>(count, avail)));
}

String Copy(const String& s, Int32 index1) {
  return Copy(s, index1, std::numeric_limits<Int32>::max());
}

Int32 Pos(const String& sub, const String& s) { return PosEx(sub, s, 1); }

Int32 PosEx(const String& sub, const String& s, Int32 offset) {
  if (sub.empty() || offset < 1) return 0;
  const auto start = static_cast<size_t>(offset - 1);
  if (start >= s.size() || sub.size() > s.size() - start) return 0;
  const size_t p = s.find(sub, start);
  return p == String::npos ? 0 : static_cast<Int32>(p + 1);
}

void Delete(String& s, Int32 index1, Int32 count) {
  if (index1 < 1 || count <= 0) return;
  const auto start = static_cast<size_t>(index1 - 1);
  if (start >= s.size()) return;
  s.erase(start, std::min(static_cast<size_t>(count), s.size() - start));
}

void Insert(const String& sub, String& s, Int32 index1) {
  if (sub.empty()) return;
  Int64 at = static_cast<Int64>(index1) - 1;
  if (at < 0) at = 0;
  if (at > static_cast<Int64>(s.size())) at = static_cast<Int64>(s.size());
  s.insert(static_cast<size_t>(at), sub);
}

String StringReplace(const String& s, const String& oldPattern, const String& newPattern,
                     TReplaceFlags flags) {
  if (oldPattern.empty() || s.size() < oldPattern.size()) return s;
  const bool all = (flags & rfReplaceAll) != 0;
  String searchText;
  String searchPattern;
  const String* hay = &s;
  const String* needle = &oldPattern;
  if (flags & rfIgnoreCase) {
    searchText = SimpleUpperCopy(s);
    searchPattern = SimpleUpperCopy(oldPattern);
    hay = &searchText;
    needle = &searchPattern;
  }
  size_t p = hay->find(*needle);
  if (p == String::npos) return s;
  String out;
  out.reserve(s.size() + (newPattern.size() > oldPattern.size() ? newPattern.size() - oldPattern.size() : 0));
  size_t from = 0;
  while (p != String::npos) {
    out.append(s, from, p - from);
    out.append(newPattern);
    from = p + oldPattern.size();
    if (!all) break;
    p = hay->find(*needle, from);
  }
  out.append(s, from, String::npos);
  return out;
}

String Trim(const String& s) {
  size_t b = 0;
  size_t e = s.size();
  while (b < e && s[b] <= u' ') ++b;
  while (e > b && s[e - 1] <= u' ') --e;
  return (b == 0 && e == s.size()) ? s : s.substr(b, e - b);
}

String TrimLeft(const String& s) {
  size_t b = 0;
  while (b < s.size() && s[b] <= u' ') ++b;
  return b == 0 ? s : s.substr(b);
}

String TrimRight(const String& s) {
  size_t e = s.size();
  while (e > 0 && s[e - 1] <= u' ') --e;
  return e == s.size() ? s : s.substr(0, e);
}

String UpperCase(const String& s) {
  String r(s);
  for (auto& c : r) c = AsciiUpper(c);
  return r;
}

String LowerCase(const String& s) {
  String r(s);
  for (auto& c : r) c = AsciiLower(c);
  return r;
}

Char UpCase(Char c) { return AsciiUpper(c); }
Char LowCase(Char c) { return AsciiLower(c); }

Int32 CompareText(const String& a, const String& b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const Char x = AsciiUpper(a[i]);
    const Char y = AsciiUpper(b[i]);
    if (x != y) return static_cast<Int32>(x) - static_cast<Int32>(y);
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool SameText(const String& a, const String& b) {
  return a.size() == b.size() && CompareText(a, b) == 0;
}

bool SameStr(const String& a, const String& b) { return a == b; }

Int32 CompareStr(const String& a, const String& b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    if (a[i] != b[i]) return static_cast<Int32>(a[i]) - static_cast<Int32>(b[i]);
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

String UIntToStr(UInt64 value) {
  Char buf[24];
  Char* end = buf + 24;
  Char* p = end;
  do {
    *--p = static_cast<Char>(u'0' + value % 10);
    value /= 10;
  } while (value != 0);
  return String(p, end);
}

String IntToStr(Int64 value) {
  if (value >= 0) return UIntToStr(static_cast<UInt64>(value));
  String r = UIntToStr(UInt64(0) - static_cast<UInt64>(value));
  r.insert(r.begin(), u'-');
  return r;
}

Int32 HexDigitValue(Char c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  return -1;
}

String IntToHex(Int64 value, Int32 digits) {
  static constexpr char16_t kHex[] = u"0123456789ABCDEF";
  auto v = static_cast<UInt64>(value);
  Char buf[16];
  int n = 0;
  do {
    buf[15 - n] = kHex[v & 0xF];
    v >>= 4;
    ++n;
  } while (v != 0);
  String r;
  if (digits > n) r.assign(static_cast<size_t>(std::min(digits, 1 << 20) - n), u'0');
  r.append(buf + 16 - n, buf + 16);
  return r;
}

bool TryStrToInt(const String& s, Int32& out) {
  bool neg, hex;
  UInt64 mag;
  if (!ParseInteger(s, static_cast<UInt64>(std::numeric_limits<Int32>::max()), 0xFFFFFFFFull,
                    neg, mag, hex))
    return false;
  auto bits = static_cast<uint32_t>(mag);
  if (neg) bits = 0u - bits;
  out = static_cast<Int32>(bits);
  return true;
}

Int32 StrToInt(const String& s) {
  Int32 v;
  if (!TryStrToInt(s, v)) RaiseNotInteger(s);
  return v;
}

Int32 StrToIntDef(const String& s, Int32 def) {
  Int32 v;
  return TryStrToInt(s, v) ? v : def;
}

bool TryStrToInt64(const String& s, Int64& out) {
  bool neg, hex;
  UInt64 mag;
  if (!ParseInteger(s, static_cast<UInt64>(std::numeric_limits<Int64>::max()),
                    std::numeric_limits<UInt64>::max(), neg, mag, hex))
    return false;
  if (neg) mag = UInt64(0) - mag;
  out = static_cast<Int64>(mag);
  return true;
}

Int64 StrToInt64(const String& s) {
  Int64 v;
  if (!TryStrToInt64(s, v)) RaiseNotInteger(s);
  return v;
}

Int64 StrToInt64Def(const String& s, Int64 def) {
  Int64 v;
  return TryStrToInt64(s, v) ? v : def;
}

String StringOfChar(Char c, Int32 count) {
  return count > 0 ? String(static_cast<size_t>(count), c) : String();
}

String AnsiQuotedStr(const String& s, Char quote) {
  String r;
  r.reserve(s.size() + 2);
  r.push_back(quote);
  for (Char c : s) {
    r.push_back(c);
    if (c == quote) r.push_back(quote);
  }
  r.push_back(quote);
  return r;
}

String QuotedStr(const String& s) { return AnsiQuotedStr(s, u'\''); }

String AnsiExtractQuotedStr(const String& s, Int32& index1, Char quote) {
  String r;
  if (index1 < 1 || static_cast<size_t>(index1) > s.size() || s[index1 - 1] != quote) return r;
  size_t i = static_cast<size_t>(index1);  // 0-based position after the opening quote
  while (i < s.size()) {
    if (s[i] == quote) {
      if (i + 1 < s.size() && s[i + 1] == quote) {
        r.push_back(quote);
        i += 2;
        continue;
      }
      ++i;  // past the closing quote
      break;
    }
    r.push_back(s[i]);
    ++i;
  }
  index1 = static_cast<Int32>(i + 1);
  return r;
}

String AnsiDequotedStr(const String& s, Char quote) {
  Int32 i = 1;
  if (s.empty() || s[0] != quote) return s;
  String r = AnsiExtractQuotedStr(s, i, quote);
  // Without a closing quote, or with text after it, the text stays as it is.
  if (static_cast<size_t>(i - 1) != s.size() || s.size() < 2 || s.back() != quote) return s;
  return r;
}

Int32 LastDelimiter(const String& delimiters, const String& s) {
  for (size_t i = s.size(); i > 0; --i) {
    if (delimiters.find(s[i - 1]) != String::npos) return static_cast<Int32>(i);
  }
  return 0;
}

bool IsDelimiter(const String& delimiters, const String& s, Int32 index1) {
  if (index1 < 1 || static_cast<size_t>(index1) > s.size()) return false;
  return delimiters.find(s[index1 - 1]) != String::npos;
}

bool StartsStr(const String& sub, const String& s) {
  return sub.size() <= s.size() && s.compare(0, sub.size(), sub) == 0;
}

bool EndsStr(const String& sub, const String& s) {
  return sub.size() <= s.size() && s.compare(s.size() - sub.size(), sub.size(), sub) == 0;
}

bool ContainsStr(const String& s, const String& sub) { return s.find(sub) != String::npos; }

namespace {
bool EqualTextAt(const String& s, size_t at, const String& sub) {
  for (size_t i = 0; i < sub.size(); ++i) {
    if (AsciiUpper(s[at + i]) != AsciiUpper(sub[i])) return false;
  }
  return true;
}
}  // namespace

bool StartsText(const String& sub, const String& s) {
  return sub.size() <= s.size() && EqualTextAt(s, 0, sub);
}

bool EndsText(const String& sub, const String& s) {
  return sub.size() <= s.size() && EqualTextAt(s, s.size() - sub.size(), sub);
}

bool ContainsText(const String& s, const String& sub) {
  if (sub.empty()) return true;
  if (sub.size() > s.size()) return false;
  const Char first = AsciiUpper(sub[0]);
  for (size_t i = 0; i + sub.size() <= s.size(); ++i) {
    if (AsciiUpper(s[i]) == first && EqualTextAt(s, i, sub)) return true;
  }
  return false;
}

String ReverseString(const String& s) { return String(s.rbegin(), s.rend()); }

String DupeString(const String& s, Int32 n) {
  String r;
  if (n <= 0 || s.empty()) return r;
  r.reserve(s.size() * static_cast<size_t>(n));
  for (Int32 i = 0; i < n; ++i) r.append(s);
  return r;
}

String LeftStr(const String& s, Int32 n) { return Copy(s, 1, n); }

String RightStr(const String& s, Int32 n) {
  if (n <= 0) return String();
  if (static_cast<size_t>(n) >= s.size()) return s;
  return s.substr(s.size() - static_cast<size_t>(n));
}

String MidStr(const String& s, Int32 index1, Int32 n) { return Copy(s, index1, n); }

String AdjustLineBreaks(const String& s) {
  String r;
  r.reserve(s.size() + s.size() / 16);
  const size_t n = s.size();
  for (size_t i = 0; i < n; ++i) {
    const Char c = s[i];
    if (c == u'\r') {
      if (i + 1 < n && s[i + 1] == u'\n') ++i;
      r.append(u"\r\n");
    } else if (c == u'\n') {
      if (i + 1 < n && s[i + 1] == u'\r') ++i;
      r.append(u"\r\n");
    } else {
      r.push_back(c);
    }
  }
  return r;
}

bool CharInSet(Char c, std::initializer_list<Char> set) {
  for (Char x : set) {
    if (x == c) return true;
  }
  return false;
}

bool IsWhiteSpaceOrControl(Char c) { return c <= u' '; }

String BoolToStr(bool b, bool useBoolStrs) {
  if (useBoolStrs) return b ? String(u"True") : String(u"False");
  return b ? String(u"-1") : String(u"0");
}

bool TryStrToBool(const String& s, bool& out) {
  const String t = Trim(s);
  if (SameText(t, u"true")) {
    out = true;
    return true;
  }
  if (SameText(t, u"false")) {
    out = false;
    return true;
  }
  Int64 i;
  if (TryStrToInt64(t, i)) {
    out = i != 0;
    return true;
  }
  // A decimal number such as "0.0" or "1.5": non-zero is true.
  size_t k = 0;
  if (k < t.size() && (t[k] == u'-' || t[k] == u'+')) ++k;
  bool digits = false;
  bool nonZero = false;
  bool point = false;
  for (; k < t.size(); ++k) {
    const Char c = t[k];
    if (c >= u'0' && c <= u'9') {
      digits = true;
      nonZero = nonZero || c != u'0';
    } else if (c == u'.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  if (!digits) return false;
  out = nonZero;
  return true;
}

bool StrToBool(const String& s) {
  bool b;
  if (!TryStrToBool(s, b)) throw EConvertError(u"'" + s + u"' is not a valid boolean value");
  return b;
}

bool StrToBoolDef(const String& s, bool def) {
  bool b;
  return TryStrToBool(s, b) ? b : def;
}

}  // namespace sk
