#include "zip/ZACryptUtil.h"

#include <array>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/runtime/Format.h"
#include "zip/ZACryptConst.h"

namespace sk {

namespace {

constinit const TStringFormat kCopyFormat;
constinit const TStringFormat_HEX kHexFormat;
constinit const TStringFormat_HEXL kHexLFormat;
constinit const TStringFormat_MIME64 kMime64Format;
constinit const TStringFormat_UU kUUFormat;
constinit const TStringFormat_XX kXXFormat;

// The registry (created by the first registration) and the default format.
constinit std::vector<TStringFormatClass>* gFormats = nullptr;
constinit Int32 gDefaultFormat = fmtMIME64;

constexpr char kHexUpper[] = "0123456789ABCDEF";
constexpr char kHexLower[] = "0123456789abcdef";
constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
// Value 0 is written as a back quote, the form that survives mailers which
// strip trailing blanks; a blank is read as 0 too.
constexpr char kUUAlphabet[] = "`!\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_";
constexpr char kXXAlphabet[] = "+-0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
constexpr size_t kUULineBytes = 45;

const Byte* Bytes(const void* p) { return static_cast<const Byte*>(p); }

bool IsBlank(Byte c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// 256-entry reverse table of an alphabet: the value of each character, -1
// for characters outside it.
std::array<int8_t, 256> ReverseTable(const char* alphabet, char zeroAlias) {
  std::array<int8_t, 256> t{};
  t.fill(-1);
  for (int i = 0; alphabet[i]; ++i) t[static_cast<Byte>(alphabet[i])] = static_cast<int8_t>(i);
  if (zeroAlias) t[static_cast<Byte>(zeroAlias)] = 0;
  return t;
}

AnsiString HexEncode(const char* value, Int32 length, const char* digits) {
  if (!value || length <= 0) return {};
  AnsiString r(static_cast<size_t>(length) * 2, '\0');
  for (Int32 i = 0; i < length; ++i) {
    const Byte b = static_cast<Byte>(value[i]);
    r[2 * static_cast<size_t>(i)] = digits[b >> 4];
    r[2 * static_cast<size_t>(i) + 1] = digits[b & 15];
  }
  return r;
}

int HexValue(Byte c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Hexadecimal text (either case, blanks and line breaks skipped) to bytes;
// nothing for any other character or an odd number of digits.
std::optional<AnsiString> HexDecode(const char* text, Int32 length) {
  AnsiString r;
  if (!text || length <= 0) return r;
  r.reserve(static_cast<size_t>(length) / 2);
  int high = -1;
  for (Int32 i = 0; i < length; ++i) {
    const Byte c = static_cast<Byte>(text[i]);
    if (IsBlank(c)) continue;
    const int v = HexValue(c);
    if (v < 0) return std::nullopt;
    if (high < 0) {
      high = v;
    } else {
      r.push_back(static_cast<char>((high << 4) | v));
      high = -1;
    }
  }
  if (high >= 0) return std::nullopt;
  return r;
}

AnsiString Base64Encode(const char* value, Int32 length) {
  if (!value || length <= 0) return {};
  const auto* p = Bytes(value);
  const size_t n = static_cast<size_t>(length);
  AnsiString r;
  r.reserve((n + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 3 <= n; i += 3) {
    const Cardinal v = (Cardinal(p[i]) << 16) | (Cardinal(p[i + 1]) << 8) | p[i + 2];
    r.push_back(kBase64[(v >> 18) & 63]);
    r.push_back(kBase64[(v >> 12) & 63]);
    r.push_back(kBase64[(v >> 6) & 63]);
    r.push_back(kBase64[v & 63]);
  }
  if (n - i == 1) {
    const Cardinal v = Cardinal(p[i]) << 16;
    r.push_back(kBase64[(v >> 18) & 63]);
    r.push_back(kBase64[(v >> 12) & 63]);
    r.append("==");
  } else if (n - i == 2) {
    const Cardinal v = (Cardinal(p[i]) << 16) | (Cardinal(p[i + 1]) << 8);
    r.push_back(kBase64[(v >> 18) & 63]);
    r.push_back(kBase64[(v >> 12) & 63]);
    r.push_back(kBase64[(v >> 6) & 63]);
    r.push_back('=');
  }
  return r;
}

// Base64 text to bytes: blanks and line breaks skipped; the rest must come in
// groups of four characters of the alphabet, of which only the last group may
// end in one or two '='.
std::optional<AnsiString> Base64Decode(const char* text, Int32 length) {
  static const std::array<int8_t, 256> rev = ReverseTable(kBase64, 0);
  AnsiString r;
  if (!text || length <= 0) return r;
  r.reserve(static_cast<size_t>(length) / 4 * 3);
  Cardinal group = 0;
  int have = 0;     // characters in the current group
  int padding = 0;  // '=' seen so far
  for (Int32 i = 0; i < length; ++i) {
    const Byte c = static_cast<Byte>(text[i]);
    if (IsBlank(c)) continue;
    if (c == '=') {
      // Padding only in the third or fourth place of a group.
      if (have < 2) return std::nullopt;
      ++padding;
      ++have;
    } else {
      const int v = rev[c];
      if (v < 0 || padding > 0) return std::nullopt;  // nothing after padding
      group = (group << 6) | static_cast<Cardinal>(v);
      ++have;
    }
    if (have == 4) {
      group <<= 6 * padding;
      r.push_back(static_cast<char>((group >> 16) & 0xFF));
      if (padding < 2) r.push_back(static_cast<char>((group >> 8) & 0xFF));
      if (padding < 1) r.push_back(static_cast<char>(group & 0xFF));
      if (padding > 0) {
        // Padding closes the text: only blanks may follow.
        for (Int32 j = i + 1; j < length; ++j)
          if (!IsBlank(static_cast<Byte>(text[j]))) return std::nullopt;
        return r;
      }
      group = 0;
      have = 0;
    }
  }
  if (have != 0) return std::nullopt;
  return r;
}

AnsiString LinesEncode(const char* value, Int32 length, const char* alphabet) {
  if (!value || length <= 0) return {};
  const auto* p = Bytes(value);
  const size_t n = static_cast<size_t>(length);
  AnsiString r;
  r.reserve(n / 3 * 4 + n / kUULineBytes * 3 + 8);
  for (size_t line = 0; line < n; line += kUULineBytes) {
    if (line > 0) r.append("\r\n");
    const size_t count = std::min(kUULineBytes, n - line);
    r.push_back(alphabet[count]);
    for (size_t i = 0; i < count; i += 3) {
      const Byte b0 = p[line + i];
      const Byte b1 = i + 1 < count ? p[line + i + 1] : 0;
      const Byte b2 = i + 2 < count ? p[line + i + 2] : 0;
      r.push_back(alphabet[b0 >> 2]);
      r.push_back(alphabet[((b0 & 3) << 4) | (b1 >> 4)]);
      r.push_back(alphabet[((b1 & 15) << 2) | (b2 >> 6)]);
      r.push_back(alphabet[b2 & 63]);
    }
  }
  return r;
}

// UU / XX lines to bytes: CR and LF between lines are skipped; each line is
// a length character (at most 45) and as many groups of four characters as
// the length needs.
std::optional<AnsiString> LinesDecode(const char* text, Int32 length, const char* alphabet, char zeroAlias) {
  const std::array<int8_t, 256> rev = ReverseTable(alphabet, zeroAlias);
  AnsiString r;
  if (!text || length <= 0) return r;
  const auto* p = Bytes(text);
  const size_t n = static_cast<size_t>(length);
  size_t i = 0;
  while (i < n) {
    if (p[i] == '\r' || p[i] == '\n') {
      ++i;
      continue;
    }
    const int count = rev[p[i++]];
    if (count < 0 || count > static_cast<int>(kUULineBytes)) return std::nullopt;
    const size_t chars = static_cast<size_t>(count + 2) / 3 * 4;
    if (chars > n - i) return std::nullopt;
    for (size_t g = 0, produced = 0; g < chars; g += 4) {
      int v[4];
      for (int k = 0; k < 4; ++k) {
        v[k] = rev[p[i + g + static_cast<size_t>(k)]];
        if (v[k] < 0) return std::nullopt;
      }
      const Byte bytes[3] = {static_cast<Byte>((v[0] << 2) | (v[1] >> 4)),
                             static_cast<Byte>(((v[1] & 15) << 4) | (v[2] >> 2)),
                             static_cast<Byte>(((v[2] & 3) << 6) | v[3])};
      for (int k = 0; k < 3 && produced < static_cast<size_t>(count); ++k, ++produced)
        r.push_back(static_cast<char>(bytes[k]));
    }
    i += chars;
    // The line must end here.
    if (i < n && p[i] != '\r' && p[i] != '\n') return std::nullopt;
  }
  return r;
}

[[noreturn]] void RaiseFormat(const TResStringRec& msg, std::initializer_list<TVarRec> args) {
  throw EStringFormat(Format(LoadResString(&msg), args));
}

// A negative length means up to the first zero byte.
Int32 EffectiveLength(const void* p, Int32 length) {
  if (length >= 0) return length;
  return static_cast<Int32>(std::strlen(static_cast<const char*>(p)));
}

}  // namespace

// ---------------------------------------------------------------------------
// Format classes

const TStringFormat& TStringFormat::ClassRef() { return kCopyFormat; }
const TStringFormat_HEX& TStringFormat_HEX::ClassRef() { return kHexFormat; }
const TStringFormat_HEXL& TStringFormat_HEXL::ClassRef() { return kHexLFormat; }
const TStringFormat_MIME64& TStringFormat_MIME64::ClassRef() { return kMime64Format; }
const TStringFormat_UU& TStringFormat_UU::ClassRef() { return kUUFormat; }
const TStringFormat_XX& TStringFormat_XX::ClassRef() { return kXXFormat; }

AnsiString TStringFormat::ToStr(const char* value, Int32 length) const {
  if (!value || length <= 0) return {};
  return AnsiString(value, static_cast<size_t>(length));
}

AnsiString TStringFormat::StrTo(const char* value, Int32 length) const {
  if (!value || length <= 0) return {};
  return AnsiString(value, static_cast<size_t>(length));
}

String TStringFormat::Name() const { return LoadResString(&_sFMT_COPY); }

bool TStringFormat::IsValid(const void*, Int32, bool) const { return true; }

AnsiString TStringFormat_HEX::ToStr(const char* value, Int32 length) const {
  return HexDecode(value, length).value_or(AnsiString());
}

AnsiString TStringFormat_HEX::StrTo(const char* value, Int32 length) const {
  return HexEncode(value, length, kHexUpper);
}

String TStringFormat_HEX::Name() const { return LoadResString(&_sFMT_HEX); }

bool TStringFormat_HEX::IsValid(const void* value, Int32 length, bool toStr) const {
  return !toStr || HexDecode(static_cast<const char*>(value), length).has_value();
}

const char* TStringFormat_HEX::CharTable() const { throw Exception(u"Not Implemented 2"); }

AnsiString TStringFormat_HEXL::StrTo(const char* value, Int32 length) const {
  return HexEncode(value, length, kHexLower);
}

String TStringFormat_HEXL::Name() const { return LoadResString(&_sFMT_HEXL); }

const char* TStringFormat_HEXL::CharTable() const { throw Exception(u"Not implemented 3"); }

AnsiString TStringFormat_MIME64::ToStr(const char* value, Int32 length) const {
  return Base64Decode(value, length).value_or(AnsiString());
}

AnsiString TStringFormat_MIME64::StrTo(const char* value, Int32 length) const {
  return Base64Encode(value, length);
}

String TStringFormat_MIME64::Name() const { return LoadResString(&_sFMT_MIME64); }

bool TStringFormat_MIME64::IsValid(const void* value, Int32 length, bool toStr) const {
  return !toStr || Base64Decode(static_cast<const char*>(value), length).has_value();
}

const char* TStringFormat_MIME64::CharTable() const { throw Exception(u"Not Implemented 4"); }

AnsiString TStringFormat_UU::ToStr(const char* value, Int32 length) const {
  return LinesDecode(value, length, Alphabet(), ZeroAlias()).value_or(AnsiString());
}

AnsiString TStringFormat_UU::StrTo(const char* value, Int32 length) const {
  return LinesEncode(value, length, Alphabet());
}

String TStringFormat_UU::Name() const { return LoadResString(&_sFMT_UU); }

bool TStringFormat_UU::IsValid(const void* value, Int32 length, bool toStr) const {
  return !toStr || LinesDecode(static_cast<const char*>(value), length, Alphabet(), ZeroAlias()).has_value();
}

const char* TStringFormat_UU::CharTable() const { throw Exception(u"Not implemented 5"); }

const char* TStringFormat_UU::Alphabet() const { return kUUAlphabet; }

String TStringFormat_XX::Name() const { return LoadResString(&_sFMT_XX); }

const char* TStringFormat_XX::CharTable() const { throw Exception(u"Not implemented 6"); }

const char* TStringFormat_XX::Alphabet() const { return kXXAlphabet; }

Int32 TableFind(char, const char*, Int32) { throw Exception(u"Not implemented 1"); }

// ---------------------------------------------------------------------------
// Registry and conversions

void RegisterStringFormats(const TStringFormatClass* classes, Int32 count) {
  if (!classes) return;
  for (Int32 i = 0; i < count; ++i) {
    const TStringFormatClass cls = classes[i];
    if (!cls || cls->Format() == -1) continue;
    if (!gFormats) gFormats = new std::vector<TStringFormatClass>();
    bool replaced = false;
    for (auto& entry : *gFormats) {
      if (entry->Format() == cls->Format()) {
        entry = cls;
        replaced = true;
        break;
      }
    }
    if (!replaced) gFormats->push_back(cls);
  }
}

TStringFormatClass StringFormat(Int32 format) {
  if (format == -1 || format == -2) format = gDefaultFormat;
  if (!gFormats) return nullptr;
  for (TStringFormatClass cls : *gFormats)
    if (cls->Format() == format) return cls;
  return nullptr;
}

Int32 DefaultStringFormat() { return gDefaultFormat; }

void SetDefaultStringFormat(Int32 format) {
  if (format == -1 || !StringFormat(format)) format = fmtMIME64;
  gDefaultFormat = format;
}

void GetStringFormats(TStrings* strings) {
  if (!strings || !gFormats) return;
  for (TStringFormatClass cls : *gFormats)
    // The list refers to the class reference and never frees or changes it.
    strings->AddObject(cls->Name(), const_cast<TStringFormat*>(cls));
}

AnsiString StrToFormat(const void* data, Int32 length, Int32 format) {
  if (!data || format == fmtNONE || length == 0) return {};
  length = EffectiveLength(data, length);
  if (length == 0) return {};
  const TStringFormatClass cls = StringFormat(format);
  if (!cls) RaiseFormat(_sStringFormatExists, {format});
  if (!cls->IsValid(data, length, false)) {
    const String name = cls->Name();
    RaiseFormat(_sInvalidFormatString, {name});
  }
  return cls->StrTo(static_cast<const char*>(data), length);
}

AnsiString FormatToStr(const void* text, Int32 length, Int32 format) {
  if (!text || format == fmtNONE || length == 0) return {};
  length = EffectiveLength(text, length);
  if (length == 0) return {};
  const TStringFormatClass cls = StringFormat(format);
  if (!cls) RaiseFormat(_sStringFormatExists, {format});
  if (!cls->IsValid(text, length, true)) {
    const String name = cls->Name();
    RaiseFormat(_sInvalidStringFormat, {name});
  }
  return cls->ToStr(static_cast<const char*>(text), length);
}

AnsiString ConvertFormat(const void* text, Int32 length, Int32 fromFormat, Int32 toFormat) {
  if (fromFormat == fmtNONE || toFormat == fmtNONE || !text) return {};
  length = EffectiveLength(text, length);
  if (fromFormat == toFormat) return AnsiString(static_cast<const char*>(text), static_cast<size_t>(length));
  const AnsiString raw = FormatToStr(text, length, fromFormat);
  return StrToFormat(raw.data(), static_cast<Int32>(raw.size()), toFormat);
}

bool IsValidFormat(const void* text, Int32 length, Int32 format) {
  if (!text || length == 0) return true;
  length = EffectiveLength(text, length);
  if (length == 0) return true;
  const TStringFormatClass cls = StringFormat(format);
  return cls && cls->IsValid(text, length, true);
}

bool IsValidString(const void* data, Int32 length, Int32 format) {
  if (!data || length == 0) return true;
  length = EffectiveLength(data, length);
  if (length == 0) return true;
  const TStringFormatClass cls = StringFormat(format);
  return cls && cls->IsValid(data, length, false);
}

void FreeStringFormats() {
  delete gFormats;
  gFormats = nullptr;
}

}  // namespace sk
