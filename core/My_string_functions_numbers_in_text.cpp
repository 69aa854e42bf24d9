#include "core/My_string_functions_numbers_in_text.h"

#include <limits>
#include <vector>

#include "core/Generalruntime1const.h"
#include "core/Global_vars.h"
#include "core/My_string_functions_tabfields.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/RtlMath.h"
#include "platform/runtime/Strings.h"

namespace sk {

namespace {

constexpr Char kTab = u'\t';

inline bool IsAsciiDigit(Char c) { return c >= u'0' && c <= u'9'; }

}  // namespace

Int32 IsANumber(const String& s) {
  Int32 asInteger = 0;
  if (TryStrToInt(s, asInteger)) return number_kind_integer;
  Double asFloat = 0;
  if (TryStrToFloat(s, asFloat)) return number_kind_float;
  if (s.empty()) return number_kind_empty;
  Int32 kind = number_kind_not_a_number;
  for (const Char c : s) {
    if (IsAsciiDigit(c))
      kind = number_kind_integer;
    else if (c == u'.' || c == u'%')
      kind = number_kind_float;
    else if (c != u',')
      return number_kind_not_a_number;
  }
  return kind;
}

namespace {

// A number that IsANumber accepts only by its characters ("63,919" with
// thousands separators, "12%", "1,234.5"): read without its commas and
// per-cent signs, with "." as the decimal point.
bool ReadAsCounted(const String& s, Double& value) {
  String bare;
  for (const Char c : s)
    if (c != u',' && c != u'%') bare.push_back(c);
  static const TFormatSettings pointSettings = TFormatSettings::Invariant();
  return !bare.empty() && TryStrToFloat(bare, value, pointSettings);
}

}  // namespace

Int32 NumberedStringValue(const String& s) {
  switch (IsANumber(s)) {
    case number_kind_integer: {
      Int32 value = 0;
      if (TryStrToInt(s, value)) return value;
      Double counted = 0;
      if (!ReadAsCounted(s, counted) || counted > std::numeric_limits<Int32>::max()) return -1;
      return static_cast<Int32>(counted);
    }
    case number_kind_float: {
      Double value = 0;
      if (!TryStrToFloat(s, value) && !ReadAsCounted(s, value)) return -1;
      if (IsNan(value) || IsInfinite(value)) return -1;
      constexpr Double kLowest = std::numeric_limits<Int32>::min();
      constexpr Double kHighest = std::numeric_limits<Int32>::max();
      if (value < kLowest - 0.5 || value > kHighest + 0.5) return -1;
      const Int64 rounded = Round(value);
      if (rounded < std::numeric_limits<Int32>::min() || rounded > std::numeric_limits<Int32>::max()) return -1;
      return static_cast<Int32>(rounded);
    }
    default:
      return -1;
  }
}

String DigitsOnlyOf(const String& s) {
  Int32 value = 0;
  if (TryStrToInt(s, value)) return s;
  String digits;
  for (const Char c : s)
    if (IsAsciiDigit(c)) digits.push_back(c);
  return digits;
}

TStringAndIntegerRec ExtractFromWithinBrackets(Char open, Char close, const String& s) {
  TStringAndIntegerRec rec;
  const size_t p = s.find(open);
  if (p == String::npos) return rec;
  rec.i = static_cast<Int32>(p) + 1;
  const size_t q = s.find(close, p + 1);
  if (q != String::npos) rec.s = s.substr(p + 1, q - p - 1);
  return rec;
}

String BracketedNumberToTabbedNumber(const String& s) {
  const TStringAndIntegerRec inside = ExtractFromWithinBrackets(u'(', u')', s);
  if (inside.s.empty()) return s;
  String result = s.substr(0, static_cast<size_t>(inside.i - 1));
  result.push_back(kTab);
  result.append(IntToStr(NumberedStringValue(inside.s)));
  return result;
}

String TabbedNumbersToBracketedNumbers(const String& s) {
  if (s.empty()) return String();
  String result;
  bool first = true;
  for (const String& piece : StringToStringArray(u",", s, true)) {
    if (piece.find(kTab) == String::npos) continue;
    const String before = PreXCharOf(kTab, piece);
    const String after = AfterXCharOf(kTab, piece);
    if (!first) result.push_back(u',');
    result.append(Format(u"%s (%s)", {before, after}));
    first = false;
  }
  return result;
}

bool ConvertedFromPcPtwPmw(const String& s, Double& value) {
  size_t n = 0;
  while (n < s.size() && (IsAsciiDigit(s[n]) || s[n] == u'.')) ++n;
  if (n == 0) return false;
  // The converted forms are written with "." whatever the user's locale.
  static const TFormatSettings pointSettings = TFormatSettings::Invariant();
  Double v = 0;
  if (!TryStrToFloat(s.substr(0, n), v, pointSettings)) return false;
  value = v;
  return true;
}

Int32 Occurrences(const String& sub, const String& s) {
  if (sub.empty()) return 0;
  Int32 count = 0;
  for (size_t p = s.find(sub); p != String::npos; p = s.find(sub, p + sub.size())) ++count;
  return count;
}

void SetThousandsSeparator(Char c) { Global_StringToDateTimeFormat.ThousandSeparator = c; }

String EasiestNRepresentationOfLargeNumber(Single x) {
  Double v = x;
  Int32 k = 0;
  // An infinite value would never drop to 1000.
  while (v > 1000 && !IsInfinite(v)) {
    v /= 1000;
    ++k;
  }
  const TFormatSettings& fs = Global_StringToDateTimeFormat;
  switch (k) {
    case 0:
      return Format(u"%.0n", {v}, fs);
    case 1:
      return Format(u"%.1nK", {v}, fs);
    case 2:
      return Format(u"%.1nM", {v}, fs);
    case 3:
      return Format(u"%.1nG", {v}, fs);
    default:
      return Format(u"%.1nYikes", {v}, fs);
  }
}

String FormattedWithDecimals(const TNumberDisplayAndSinglesRec& rec, Int32 decimals, bool thousands) {
  const TFormatSettings& fs = Global_StringToDateTimeFormat;
  if (rec.number_freedom == ndf_integer_only) return Format(u"%.0n", {rec.computed_value}, fs);
  String mask = thousands ? u"###0,." : u"###0.";
  if (decimals > 0) mask.append(static_cast<size_t>(decimals), u'0');
  if (rec.number_freedom == ndf_preference) {
    switch (rec.number_preference) {
      case ndp_percent:
        mask.append(u"\"%\"");
        break;
      case ndp_per_thousand:
        mask.append(u" \"" + LoadResString(&_QMPtw) + u"\"");
        break;
      case ndp_per_million:
        mask.append(u" \"" + LoadResString(&_QMPmw) + u"\"");
        break;
    }
  }
  return FormatFloat(mask, rec.computed_value, fs);
}

String NumberDisplayAndSinglesRecToStr(const TNumberDisplayAndSinglesRec& rec, Double threshold, Int32 decimals,
                                       bool thousands) {
  if (rec.computed_value == number_not_computed) return u"??";
  if (rec.computed_value < threshold) return String();
  String result = FormattedWithDecimals(rec, decimals, thousands);
  if (rec.show_as_approximate) result.push_back(u'~');
  return result;
}

}  // namespace sk
