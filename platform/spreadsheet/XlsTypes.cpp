#include "platform/spreadsheet/XlsTypes.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <string>

#include "platform/runtime/FormatSettings.h"

namespace sk {

namespace {

inline void Mix(size_t& h, size_t v) { h ^= v + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2); }

size_t HashColor(const TExcelColor& c) { return (static_cast<size_t>(c.Kind) << 32) ^ c.Value; }

}  // namespace

TExcelColor TExcelColor::FromColor(TColor color) {
  TExcelColor c;
  c.Kind = Rgb;
  c.Value = static_cast<Cardinal>(color) & 0xFFFFFFu;
  return c;
}

TExcelColor TExcelColor::FromTheme(Int32 theme) {
  TExcelColor c;
  if (theme == xls_ThemeAutomatic || theme < 0) return c;
  c.Kind = Theme;
  c.Value = static_cast<Cardinal>(theme);
  return c;
}

size_t HashOf(const TFlxFont& font) {
  size_t h = std::hash<String>()(font.Name);
  Mix(h, static_cast<size_t>(font.Size20));
  Mix(h, HashColor(font.Color));
  Mix(h, font.Style);
  return h;
}

size_t HashOf(const TFlxFormat& f) {
  size_t h = std::hash<String>()(f.Format);
  Mix(h, HashOf(f.Font));
  Mix(h, f.FillPattern.Pattern);
  Mix(h, HashColor(f.FillPattern.FgColor));
  Mix(h, HashColor(f.FillPattern.BgColor));
  for (const TFlxOneBorder* b : {&f.Borders.Left, &f.Borders.Right, &f.Borders.Top, &f.Borders.Bottom}) {
    Mix(h, b->Style);
    Mix(h, HashColor(b->Color));
  }
  Mix(h, (static_cast<size_t>(f.HAlignment) << 8) | f.VAlignment);
  return h;
}

TCellValue TCellValue::FromNumber(double v) {
  TCellValue c;
  c.fKind = cvNumber;
  c.fNumber = v;
  return c;
}

TCellValue TCellValue::FromString(String s) {
  TCellValue c;
  c.fKind = cvString;
  c.fText.Value = std::move(s);
  return c;
}

TCellValue TCellValue::FromBoolean(bool b) {
  TCellValue c;
  c.fKind = cvBoolean;
  c.fBoolean = b;
  return c;
}

TCellValue TCellValue::FromError(String code) {
  TCellValue c;
  c.fKind = cvError;
  c.fText.Value = std::move(code);
  return c;
}

TCellValue TCellValue::FromRichString(TRichString rs) {
  TCellValue c;
  c.fKind = cvRichString;
  c.fText = std::move(rs);
  return c;
}

TRichString TCellValue::AsString() const {
  switch (fKind) {
    case cvEmpty: return {};
    case cvNumber: return TRichString(XlsNumberToText(fNumber, FormatSettings.DecimalSeparator));
    case cvBoolean: return TRichString(fBoolean ? u"TRUE" : u"FALSE");
    default: return fText;
  }
}

String XlsNumberToText(double v, Char decimalSeparator) {
  if (std::isnan(v)) return u"NaN";
  if (std::isinf(v)) return v < 0 ? u"-INF" : u"INF";
  if (v == 0) return u"0";
  // Shortest round-trip digits in scientific form: "-d.ddde+xx".
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific);
  std::string sci(buf, res.ptr);
  const bool negative = sci[0] == '-';
  if (negative) sci.erase(0, 1);
  const size_t ePos = sci.find('e');
  const int exponent = std::atoi(sci.c_str() + ePos + 1);
  std::string digits;
  for (size_t i = 0; i < ePos; ++i)
    if (sci[i] != '.') digits += sci[i];
  std::string out;
  if (exponent >= -6 && exponent <= 20) {
    if (exponent < 0) {
      out = "0." + std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
    } else if (static_cast<size_t>(exponent) + 1 >= digits.size()) {
      out = digits + std::string(static_cast<size_t>(exponent) + 1 - digits.size(), '0');
    } else {
      out = digits.substr(0, static_cast<size_t>(exponent) + 1) + "." + digits.substr(static_cast<size_t>(exponent) + 1);
    }
  } else {
    out = digits.substr(0, 1);
    if (digits.size() > 1) out += "." + digits.substr(1);
    out += exponent < 0 ? "E-" : "E+";
    out += std::to_string(std::abs(exponent));
  }
  if (negative) out.insert(0, 1, '-');
  String r(out.begin(), out.end());
  for (Char& c : r)
    if (c == u'.') c = decimalSeparator;
  return r;
}

String XlsCutText(const String& s) {
  if (s.size() <= static_cast<size_t>(xls_MaxTextLength)) return s;
  size_t n = static_cast<size_t>(xls_MaxTextLength);
  // Do not leave the high half of a surrogate pair at the end.
  if (s[n - 1] >= 0xD800 && s[n - 1] <= 0xDBFF) --n;
  return s.substr(0, n);
}

}  // namespace sk
