// Number and date format settings: separators, month and day names and the
// date/time masks used by Format, FloatToStr and the date routines.
#pragma once

#include <array>
#include <string>

#include "platform/runtime/RtlTypes.h"

namespace sk {

struct TFormatSettings {
  Char DecimalSeparator = '.';
  Char ThousandSeparator = ',';
  Char DateSeparator = '/';
  Char TimeSeparator = ':';
  Char ListSeparator = ',';
  String CurrencyString;
  String ShortDateFormat;
  String LongDateFormat;
  String TimeAMString;
  String TimePMString;
  String ShortTimeFormat;
  String LongTimeFormat;
  Byte CurrencyFormat = 0;
  Byte NegCurrFormat = 0;
  Byte CurrencyDecimals = 2;
  std::array<String, 12> ShortMonthNames;
  std::array<String, 12> LongMonthNames;
  std::array<String, 7> ShortDayNames;  // Sunday first
  std::array<String, 7> LongDayNames;   // Sunday first
  Word TwoDigitYearCenturyWindow = 50;

  // Settings of the process default locale (GetUserDefaultLocaleName).
  static TFormatSettings Create();
  // Settings of an ICU locale ("de_DE", "en_US", "fr"); an unknown name gives
  // ICU's fallback (root) data.
  static TFormatSettings Create(const std::string& icuLocaleName);
  // Fixed settings independent of any locale (US English names, '.' decimals,
  // "MM/dd/yyyy" and "HH:mm:ss").
  static TFormatSettings Invariant();
};

// Process-wide settings used by the routines without a settings argument.
// Statically they hold the invariant separators with empty names and masks;
// the formatting routines use the invariant name or mask wherever one is
// empty.  RefreshDefaultFormatSettings() (or an assignment) fills them.
inline SK_CONSTINIT_TEXT TFormatSettings FormatSettings{};

// Refills FormatSettings from the process default locale.
void RefreshDefaultFormatSettings();

}  // namespace sk
