#include "platform/runtime/FormatSettings.h"

#include <unicode/datefmt.h>
#include <unicode/dcfmtsym.h>
#include <unicode/decimfmt.h>
#include <unicode/dtfmtsym.h>
#include <unicode/locid.h>
#include <unicode/numfmt.h>
#include <unicode/smpdtfmt.h>

#include <memory>

#include "platform/runtime/Locale.h"

namespace sk {

namespace {

String FromIcu(const icu::UnicodeString& u) {
  return String(reinterpret_cast<const Char*>(u.getBuffer()), static_cast<size_t>(u.length()));
}

bool IsPatternLetter(Char c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

// Blanks of ICU patterns: the no-break spaces that newer locale data puts
// before an am/pm marker read as plain blanks in masks.
bool IsPatternBlank(Char c) { return c == u' ' || c == 0x00A0 || c == 0x202F; }

// Invisible direction marks that some locales put around separators.
bool IsDirectionMark(Char c) { return c == 0x200E || c == 0x200F || c == 0x061C; }

// Separator of a date or time pattern: the first literal character after the
// first field (outside quotes) that is punctuation, not a blank or a letter.
Char DetectSeparator(const String& pattern, Char fallback) {
  bool seenField = false;
  bool quoted = false;
  for (Char c : pattern) {
    if (c == u'\'') {
      quoted = !quoted;
      continue;
    }
    if (quoted) continue;
    if (IsPatternLetter(c)) {
      seenField = true;
    } else if (seenField && c > u' ' && !IsPatternBlank(c) && !IsDirectionMark(c) && c != u',') {
      return c;
    }
  }
  return fallback;
}

// Converts an ICU date/time pattern into a mask for FormatDateTime.  `sep`
// is the character that becomes the separator placeholder (`placeholder`,
// '/' for dates or ':' for times; 0 for none, as in long dates, whose
// punctuation is text); other literals are copied, quoted when
// FormatDateTime would read them as mask characters.
String IcuPatternToMask(const String& pattern, Char sep, Char placeholder) {
  String out;
  const size_t n = pattern.size();
  auto literal = [&out](const String& text) {
    bool special = false;
    for (Char c : text) {
      if (IsPatternLetter(c) || c == u'/' || c == u':' || c == u'"' || c == u'\'') special = true;
    }
    if (!special) {
      out += text;
      return;
    }
    // Double-quoted literal; a double quote inside goes in single quotes.
    for (Char c : text) {
      if (c == u'"') {
        out += u"'\"'";
      } else if (IsPatternLetter(c) || c == u'/' || c == u':' || c == u'\'') {
        out += u'"';
        out += c;
        out += u'"';
      } else {
        out += c;
      }
    }
  };
  size_t i = 0;
  while (i < n) {
    const Char c = pattern[i];
    if (c == u'\'') {
      // Quoted literal; '' is one apostrophe.
      String text;
      ++i;
      if (i < n && pattern[i] == u'\'') {
        literal(u"'");
        ++i;
        continue;
      }
      while (i < n) {
        if (pattern[i] == u'\'') {
          if (i + 1 < n && pattern[i + 1] == u'\'') {
            text += u'\'';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        text += pattern[i++];
      }
      literal(text);
      continue;
    }
    if (!IsPatternLetter(c)) {
      if (sep != 0 && c == sep) {
        out += placeholder;
      } else if (IsPatternBlank(c)) {
        out += u' ';
      } else {
        literal(String(1, c));
      }
      ++i;
      continue;
    }
    size_t run = 1;
    while (i + run < n && pattern[i + run] == c) ++run;
    i += run;
    switch (c) {
      case u'y': case u'Y': case u'u': out += u"yyyy"; break;
      case u'M': case u'L':
        out += run == 1 ? u"m" : run == 2 ? u"mm" : run == 3 ? u"mmm" : u"mmmm";
        break;
      case u'd': out += run == 1 ? u"d" : u"dd"; break;
      case u'E': out += run <= 3 ? u"ddd" : u"dddd"; break;
      case u'c': case u'e':
        if (run >= 3) out += run == 3 ? u"ddd" : u"dddd";
        break;
      case u'H': case u'k': case u'h': case u'K': out += run == 1 ? u"h" : u"hh"; break;
      case u'm': out += run == 1 ? u"n" : u"nn"; break;
      case u's': out += run == 1 ? u"s" : u"ss"; break;
      case u'S': out += run >= 3 ? u"zzz" : u"z"; break;
      case u'a': case u'b': case u'B': out += u"ampm"; break;
      default: break;  // eras, zones, quarters, week numbers: not shown
    }
  }
  // Dropped fields may leave blanks or commas at the ends.
  size_t b = 0;
  size_t e = out.size();
  while (b < e && (out[b] == u' ' || out[b] == u',')) ++b;
  while (e > b && (out[e - 1] == u' ' || out[e - 1] == u',')) --e;
  return out.substr(b, e - b);
}

String PatternOf(icu::DateFormat* f) {
  auto* sdf = dynamic_cast<icu::SimpleDateFormat*>(f);
  if (sdf == nullptr) return String();
  icu::UnicodeString p;
  sdf->toPattern(p);
  return FromIcu(p);
}

// Position of the currency sign relative to the number in an ICU currency
// pattern: 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $".
Byte CurrencyFormatOf(const String& pattern) {
  const size_t semi = pattern.find(u';');
  const String pos = pattern.substr(0, semi);
  const size_t sign = pos.find(0x00A4);
  if (sign == String::npos) return 0;
  size_t firstDigit = pos.find_first_of(u"#0");
  if (firstDigit == String::npos) return 0;
  const bool before = sign < firstDigit;
  bool spaced = false;
  if (before) {
    for (size_t k = sign + 1; k < firstDigit; ++k) spaced = spaced || pos[k] == u' ' || pos[k] == 0x00A0 || pos[k] == 0x202F;
  } else {
    const size_t lastDigit = pos.find_last_of(u"#0");
    for (size_t k = lastDigit + 1; k < sign; ++k) spaced = spaced || pos[k] == u' ' || pos[k] == 0x00A0 || pos[k] == 0x202F;
  }
  return static_cast<Byte>((before ? 0 : 1) + (spaced ? 2 : 0));
}

// Negative currency layout matching a positive one: a minus sign in front.
Byte NegCurrFormatOf(Byte currencyFormat) {
  static constexpr Byte kNeg[4] = {1, 5, 9, 8};  // -$1, -1$, -$ 1, -1 $
  return kNeg[currencyFormat & 3];
}

void FillEnglishNames(TFormatSettings& f) {
  static const char16_t* const kShortMonths[12] = {u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
                                                   u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};
  static const char16_t* const kLongMonths[12] = {
      u"January", u"February", u"March",     u"April",   u"May",      u"June",
      u"July",    u"August",   u"September", u"October", u"November", u"December"};
  static const char16_t* const kShortDays[7] = {u"Sun", u"Mon", u"Tue", u"Wed",
                                                u"Thu", u"Fri", u"Sat"};
  static const char16_t* const kLongDays[7] = {u"Sunday",   u"Monday", u"Tuesday", u"Wednesday",
                                               u"Thursday", u"Friday", u"Saturday"};
  for (int i = 0; i < 12; ++i) {
    f.ShortMonthNames[i] = kShortMonths[i];
    f.LongMonthNames[i] = kLongMonths[i];
  }
  for (int i = 0; i < 7; ++i) {
    f.ShortDayNames[i] = kShortDays[i];
    f.LongDayNames[i] = kLongDays[i];
  }
}

}  // namespace

TFormatSettings TFormatSettings::Invariant() {
  TFormatSettings f;
  f.DecimalSeparator = u'.';
  f.ThousandSeparator = u',';
  f.DateSeparator = u'/';
  f.TimeSeparator = u':';
  f.ListSeparator = u',';
  f.CurrencyString = u"\u00A4";
  f.CurrencyFormat = 0;
  f.NegCurrFormat = 0;
  f.CurrencyDecimals = 2;
  f.ShortDateFormat = u"MM/dd/yyyy";
  f.LongDateFormat = u"dddd, dd mmmm yyyy";
  f.TimeAMString = u"AM";
  f.TimePMString = u"PM";
  f.ShortTimeFormat = u"hh:nn";
  f.LongTimeFormat = u"hh:nn:ss";
  f.TwoDigitYearCenturyWindow = 50;
  FillEnglishNames(f);
  return f;
}

TFormatSettings TFormatSettings::Create(const std::string& icuLocaleName) {
  TFormatSettings f = Invariant();
  const icu::Locale loc(icuLocaleName.c_str());
  if (loc.isBogus()) return f;

  UErrorCode st = U_ZERO_ERROR;
  icu::DecimalFormatSymbols sym(loc, st);
  if (U_SUCCESS(st)) {
    const auto dec = sym.getSymbol(icu::DecimalFormatSymbols::kDecimalSeparatorSymbol);
    const auto grp = sym.getSymbol(icu::DecimalFormatSymbols::kGroupingSeparatorSymbol);
    if (dec.length() == 1) f.DecimalSeparator = dec.charAt(0);
    if (grp.length() == 1) f.ThousandSeparator = grp.charAt(0);
    const auto cur = sym.getSymbol(icu::DecimalFormatSymbols::kCurrencySymbol);
    if (cur.length() > 0) f.CurrencyString = FromIcu(cur);
  }
  f.ListSeparator = f.DecimalSeparator == u',' ? u';' : u',';

  st = U_ZERO_ERROR;
  std::unique_ptr<icu::NumberFormat> cf(icu::NumberFormat::createCurrencyInstance(loc, st));
  if (U_SUCCESS(st) && cf) {
    if (auto* df = dynamic_cast<icu::DecimalFormat*>(cf.get())) {
      icu::UnicodeString p;
      df->toPattern(p);
      f.CurrencyFormat = CurrencyFormatOf(FromIcu(p));
      f.NegCurrFormat = NegCurrFormatOf(f.CurrencyFormat);
      const int32_t digits = df->getMinimumFractionDigits();
      if (digits >= 0 && digits <= 9) f.CurrencyDecimals = static_cast<Byte>(digits);
    }
  }

  st = U_ZERO_ERROR;
  icu::DateFormatSymbols dfs(loc, st);
  if (U_SUCCESS(st)) {
    int32_t count = 0;
    using DFS = icu::DateFormatSymbols;
    const icu::UnicodeString* m = dfs.getMonths(count, DFS::STANDALONE, DFS::ABBREVIATED);
    if (m != nullptr && count >= 12)
      for (int i = 0; i < 12; ++i) f.ShortMonthNames[i] = FromIcu(m[i]);
    m = dfs.getMonths(count, DFS::STANDALONE, DFS::WIDE);
    if (m != nullptr && count >= 12)
      for (int i = 0; i < 12; ++i) f.LongMonthNames[i] = FromIcu(m[i]);
    // ICU numbers weekdays from 1 (Sunday); element 0 is empty.
    const icu::UnicodeString* d = dfs.getWeekdays(count, DFS::STANDALONE, DFS::ABBREVIATED);
    if (d != nullptr && count >= 8)
      for (int i = 0; i < 7; ++i) f.ShortDayNames[i] = FromIcu(d[i + 1]);
    d = dfs.getWeekdays(count, DFS::STANDALONE, DFS::WIDE);
    if (d != nullptr && count >= 8)
      for (int i = 0; i < 7; ++i) f.LongDayNames[i] = FromIcu(d[i + 1]);
    const icu::UnicodeString* ampm = dfs.getAmPmStrings(count);
    if (ampm != nullptr && count >= 2) {
      f.TimeAMString = FromIcu(ampm[0]);
      f.TimePMString = FromIcu(ampm[1]);
    }
  }

  std::unique_ptr<icu::DateFormat> sd(icu::DateFormat::createDateInstance(icu::DateFormat::kShort, loc));
  std::unique_ptr<icu::DateFormat> ld(icu::DateFormat::createDateInstance(icu::DateFormat::kFull, loc));
  std::unique_ptr<icu::DateFormat> st1(icu::DateFormat::createTimeInstance(icu::DateFormat::kShort, loc));
  std::unique_ptr<icu::DateFormat> lt(icu::DateFormat::createTimeInstance(icu::DateFormat::kMedium, loc));
  const String shortDate = sd ? PatternOf(sd.get()) : String();
  const String longDate = ld ? PatternOf(ld.get()) : String();
  const String shortTime = st1 ? PatternOf(st1.get()) : String();
  const String longTime = lt ? PatternOf(lt.get()) : String();
  if (!shortDate.empty()) {
    f.DateSeparator = DetectSeparator(shortDate, u'/');
    const String mask = IcuPatternToMask(shortDate, f.DateSeparator, u'/');
    if (!mask.empty()) f.ShortDateFormat = mask;
  }
  if (!longDate.empty()) {
    const String mask = IcuPatternToMask(longDate, 0, u'/');
    if (!mask.empty()) f.LongDateFormat = mask;
  }
  if (!longTime.empty() || !shortTime.empty()) {
    f.TimeSeparator = DetectSeparator(!longTime.empty() ? longTime : shortTime, u':');
  }
  if (!shortTime.empty()) {
    const String mask = IcuPatternToMask(shortTime, f.TimeSeparator, u':');
    if (!mask.empty()) f.ShortTimeFormat = mask;
  }
  if (!longTime.empty()) {
    const String mask = IcuPatternToMask(longTime, f.TimeSeparator, u':');
    if (!mask.empty()) f.LongTimeFormat = mask;
  }
  return f;
}

TFormatSettings TFormatSettings::Create() { return Create(GetUserDefaultLocaleName()); }

void RefreshDefaultFormatSettings() { FormatSettings = TFormatSettings::Create(); }

}  // namespace sk
