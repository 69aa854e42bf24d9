// Date and number parsing under hostile format settings: any separators, any
// date masks, names and century window, and any typed text. Parsing answers
// by result (or the conversion error), never with a crash, and what it
// accepts is a real value. Under settings that can write a value back, the
// text written for a value parses as that value again.
#include <climits>
#include <cmath>
#include <cstring>
#include <vector>

#include "core/Juliandateroutines.h"
#include "core/Redodidu.h"
#include "platform/runtime/DateUtils.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/Strings.h"
#include "support/FuzzSupport.h"

using namespace sk;
using sk::fuzz::Input;

namespace {

enum Mode : uint8_t { kParseDates, kParseNumbers, kDateRoundTrip, kModeCount };

// Settings from the input: separators, the two date masks, the time masks,
// the AM and PM names and the century window.
TFormatSettings HostileSettings(Input& in, const std::vector<String>& texts) {
  TFormatSettings fs = TFormatSettings::Invariant();
  fs.DecimalSeparator = static_cast<Char>(in.Word());
  fs.ThousandSeparator = static_cast<Char>(in.Word());
  fs.DateSeparator = static_cast<Char>(in.Word());
  fs.TimeSeparator = static_cast<Char>(in.Word());
  fs.TwoDigitYearCenturyWindow = in.Word();
  fs.ShortDateFormat = texts[1];
  fs.LongDateFormat = texts[2];
  fs.ShortTimeFormat = texts[3];
  fs.LongTimeFormat = texts[3];
  fs.TimeAMString = texts[4];
  fs.TimePMString = texts[4].empty() ? String() : texts[4].substr(1);
  if (!texts[4].empty()) fs.ShortMonthNames[0] = texts[4];
  return fs;
}

bool Real(Double v) { return std::isfinite(v); }

void ParseDates(const String& s, const TFormatSettings& fs) {
  TDateTime d = 0;
  if (TryStrToDate(s, d, fs)) SK_FUZZ_CHECK(Real(d));
  if (TryStrToTime(s, d, fs)) SK_FUZZ_CHECK(Real(d) && d >= 0 && d < 1);
  if (TryStrToDateTime(s, d, fs)) SK_FUZZ_CHECK(Real(d));
  (void)StrToDateDef(s, -1, fs);
  (void)StrToDateTimeDef(s, -1, fs);
  try {
    (void)StrToDate(s, fs);
  } catch (const EConvertError&) {
  }
  // The library's own readers of typed dates over the same text and masks.
  (void)UserDateStrToDateTime(s);
  (void)UserStrDateAndTimeParsed(s);
  (void)UsersStringToDate(s, fs.ShortDateFormat);
}

void ParseNumbers(const String& s, const TFormatSettings& fs) {
  Double d = 0;
  if (TryStrToFloat(s, d, fs)) SK_FUZZ_CHECK(Real(d));
  Single f = 0;
  if (TryStrToFloat(s, f, fs)) SK_FUZZ_CHECK(Real(f));
  (void)StrToFloatDef(s, -1, fs);
  Int32 i = 0;
  (void)TryStrToInt(s, i);
  Int64 l = 0;
  (void)TryStrToInt64(s, l);
  bool b = false;
  (void)TryStrToBool(s, b);
  (void)StrToBoolean(s);
  (void)StrToIntDef(s, -1);
  if (TryStrToInt64(s, l)) SK_FUZZ_CHECK(StrToInt64Def(IntToStr(l), l == INT64_MAX ? 0 : l + 1) == l);
}

// Under the settings of a locale, a date written with its short mask reads back
// as that date.
void DateRoundTrip(Double value, uint8_t locale) {
  static const char* const kLocales[] = {"en_US", "de_DE", "fr_FR", "ja_JP", "tr_TR", "fa_IR", "ar_EG", "en_GB"};
  const TFormatSettings fs = TFormatSettings::Create(kLocales[locale % 8]);
  if (!std::isfinite(value)) return;
  const Double day = std::floor(std::fmod(std::fabs(value), 2900000.0));  // years 1899 .. 9838
  const String text = DateToStr(day, fs);
  TDateTime back = -1;
  if (TryStrToDate(text, back, fs)) SK_FUZZ_CHECK(back == day);
}

void WriteSeeds(sk::fuzz::Seeds& seeds) {
  auto add = [&](uint8_t mode, const TBytes& choices, const String& s) {
    TBytes b{mode};
    b.insert(b.end(), choices.begin(), choices.end());
    const std::string u = StringToUtf8(s);
    b.insert(b.end(), u.begin(), u.end());
    seeds.Add(b);
  };
  const TBytes invariantLike{'.', 0, ',', 0, '/', 0, ':', 0, 50, 0};
  const String masks = String(u"") + Char(0) + u"M/d/yyyy" + Char(0) + u"dddd, MMMM d, yyyy" + Char(0) + u"hh:nn:ss" +
                       Char(0) + u"AM";
  add(kParseDates, invariantLike, u"12/31/1999 23:59:58" + masks);
  add(kParseDates, {'.', 0, ' ', 0, '.', 0, '.', 0, 0, 0}, u"31.12.99 9.05" + String(1, Char(0)) + u"dd.mm.yy");
  add(kParseNumbers, {',', 0, '.', 0, '-', 0, ':', 0, 0, 0}, u"  -1.234,5e-7 ");
  add(kParseNumbers, invariantLike, u"$7FFFFFFF");
  add(kDateRoundTrip, {0x00, 0x00, 0x00, 0x00, 0x40, 0xF8, 0xE5, 0x40, 1}, u"");
}

}  // namespace

SK_FUZZ_SEEDS(WriteSeeds)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in(data, size);
  const uint8_t mode = in.Byte() % kModeCount;
  switch (mode) {
    case kParseDates:
    case kParseNumbers: {
      const TBytes choices = in.Bytes(10);
      const std::vector<String> texts = sk::fuzz::Fields(in.RestText(false), 5);
      Input c(choices.data(), choices.size());
      const TFormatSettings fs = HostileSettings(c, texts);
      if (mode == kParseDates)
        ParseDates(texts[0], fs);
      else
        ParseNumbers(texts[0], fs);
      break;
    }
    case kDateRoundTrip: {
      uint64_t bits = in.Cardinal();
      bits |= static_cast<uint64_t>(in.Cardinal()) << 32;
      Double v;
      std::memcpy(&v, &bits, sizeof v);
      DateRoundTrip(v, in.Byte());
      break;
    }
    default: break;
  }
  return 0;
}
