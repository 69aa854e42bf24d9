#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/runtime/Format.h"
#include "platform/runtime/FormatSettings.h"
#include "platform/runtime/RtlMath.h"

namespace sk {

namespace {

TFormatSettings CommaDecimals() {
  TFormatSettings fs = TFormatSettings::Invariant();
  fs.DecimalSeparator = u',';
  fs.ThousandSeparator = u'.';
  return fs;
}

String ConvertErrorOf(const String& fmt, std::initializer_list<TVarRec> args) {
  try {
    Format(fmt, args, TFormatSettings::Invariant());
  } catch (const EConvertError& e) {
    return e.Message();
  }
  return u"<no exception>";
}

}  // namespace

// ---------------------------------------------------------------------------
// Format
// ---------------------------------------------------------------------------
TEST(FormatBasics, TextIntegersAndPercent) {
  const auto inv = TFormatSettings::Invariant();
  const String name = u"list";
  EXPECT_EQ(Format(u"%s has %d items", {name, 3}, inv), u"list has 3 items");
  EXPECT_EQ(Format(u"100%%", {}, inv), u"100%");
  EXPECT_EQ(Format(u"%s", {"\xC3\xA4 utf-8"}, inv), u"\u00E4 utf-8");
  EXPECT_EQ(Format(u"%s", {u'x'}, inv), u"x");
  EXPECT_EQ(Format(u"%s", {u"wide"}, inv), u"wide");
  // Percent signs inside arguments are not read as format.
  EXPECT_EQ(Format(u"%s%d", {u"%d", 1}, inv), u"%d1");
  EXPECT_EQ(Format(u"%D %S", {5, u"up"}, inv), u"5 up");
  EXPECT_EQ(Format(u"no args", {}, inv), u"no args");
  EXPECT_EQ(Format(u"%d", {static_cast<Int64>(-9000000000LL)}, inv), u"-9000000000");
  EXPECT_EQ(Format(u"%d", {UINT64_MAX}, inv), u"18446744073709551615");
}

TEST(FormatBasics, WidthPrecisionAndJustification) {
  const auto inv = TFormatSettings::Invariant();
  EXPECT_EQ(Format(u"[%5d]", {42}, inv), u"[   42]");
  EXPECT_EQ(Format(u"[%-5d]", {42}, inv), u"[42   ]");
  EXPECT_EQ(Format(u"[%2d]", {12345}, inv), u"[12345]");
  EXPECT_EQ(Format(u"[%.3d]", {-5}, inv), u"[-005]");
  EXPECT_EQ(Format(u"[%5.4d]", {-500}, inv), u"[-0500]");
  EXPECT_EQ(Format(u"[%5.4d]", {2024}, inv), u"[ 2024]");
  EXPECT_EQ(Format(u"[%.2s]", {u"abcd"}, inv), u"[ab]");
  EXPECT_EQ(Format(u"[%-6.2s]", {u"abcd"}, inv), u"[ab    ]");
  EXPECT_EQ(Format(u"[%3s]", {u"abcd"}, inv), u"[abcd]");
}

TEST(FormatBasics, IndexAndStar) {
  const auto inv = TFormatSettings::Invariant();
  EXPECT_EQ(Format(u"%1:s %0:s %s", {u"a", u"b"}, inv), u"b a b");
  EXPECT_EQ(Format(u"%0:s-%0:s", {u"x"}, inv), u"x-x");
  EXPECT_EQ(Format(u"[%*d]", {5, 42}, inv), u"[   42]");
  EXPECT_EQ(Format(u"[%-*s]", {4, u"ab"}, inv), u"[ab  ]");
  EXPECT_EQ(Format(u"%.*f", {3, 1.23456}, inv), u"1.235");
  EXPECT_EQ(Format(u"[%*.*f]", {7, 1, 2.25}, inv), u"[    2.3]");
}

TEST(FormatBasics, HexUnsignedAndPointer) {
  const auto inv = TFormatSettings::Invariant();
  EXPECT_EQ(Format(u"%x", {255}, inv), u"FF");
  EXPECT_EQ(Format(u"%X", {0xabc}, inv), u"ABC");
  EXPECT_EQ(Format(u"%x", {-1}, inv), u"FFFFFFFF");
  EXPECT_EQ(Format(u"%x", {static_cast<Int64>(-1)}, inv), u"FFFFFFFFFFFFFFFF");
  EXPECT_EQ(Format(u"%.4x", {26}, inv), u"001A");
  EXPECT_EQ(Format(u"%u", {-1}, inv), u"4294967295");
  EXPECT_EQ(Format(u"%.3u", {7u}, inv), u"007");
  EXPECT_EQ(Format(u"%p", {static_cast<const void*>(nullptr)}, inv), u"0000000000000000");
}

TEST(FormatNumbers, GroupedNumbersWithEitherSeparators) {
  const auto inv = TFormatSettings::Invariant();
  const auto de = CommaDecimals();
  EXPECT_EQ(Format(u"%.0n", {1234567.0}, inv), u"1,234,567");
  EXPECT_EQ(Format(u"%n", {1234.5}, inv), u"1,234.50");
  EXPECT_EQ(Format(u"%.2n", {1234567.891}, de), u"1.234.567,89");
  EXPECT_EQ(Format(u"%.0n", {-1234.0}, inv), u"-1,234");
  EXPECT_EQ(Format(u"%.0n", {999.0}, inv), u"999");
  EXPECT_EQ(Format(u"%.0n", {1000.0}, inv), u"1,000");
  EXPECT_EQ(Format(u"%.0n", {-999999.0}, inv), u"-999,999");
  EXPECT_EQ(Format(u"%.0n", {0.0}, inv), u"0");
  EXPECT_EQ(Format(u"%.1nK", {1500.0 / 1000}, inv), u"1.5K");
  // "%0.n": width 0 and a point without digits mean no decimals.
  EXPECT_EQ(Format(u"<%0.n>", {12345.0}, inv), u"<12,345>");
  // Rounding halves away from zero, and never a "-0".
  EXPECT_EQ(Format(u"%.0n", {0.5}, inv), u"1");
  EXPECT_EQ(Format(u"%.0n", {-0.4}, inv), u"0");
  EXPECT_EQ(Format(u"%.2n", {-0.001}, inv), u"0.00");
  EXPECT_EQ(Format(u"[%10.0n]", {1234567.0}, inv), u"[ 1,234,567]");
  // Counts may be passed as integers.
  EXPECT_EQ(Format(u"%.0n", {1234}, inv), u"1,234");
  EXPECT_EQ(Format(u"%.0n", {static_cast<Int64>(9007199254740993LL)}, inv),
            u"9,007,199,254,740,992");
}

TEST(FormatNumbers, FixedExponentGeneralAndMoney) {
  const auto inv = TFormatSettings::Invariant();
  EXPECT_EQ(Format(u"%f", {3.14159}, inv), u"3.14");
  EXPECT_EQ(Format(u"%.0f", {2.5}, inv), u"3");
  EXPECT_EQ(Format(u"%.2f", {0.285}, inv), u"0.29");
  EXPECT_EQ(Format(u"%.3f", {-0.0005}, inv), u"-0.001");
  EXPECT_EQ(Format(u"%.1f", {9.96}, inv), u"10.0");
  EXPECT_EQ(Format(u"%3.2f", {0.1}, inv), u"0.10");
  EXPECT_EQ(Format(u"%.20f", {0.1}, inv), u"0.100000000000000000");
  EXPECT_EQ(Format(u"%f", {2.5}, CommaDecimals()), u"2,50");

  EXPECT_EQ(Format(u"%e", {1000.0}, inv), u"1.00000000000000E+003");
  EXPECT_EQ(Format(u"%.3e", {0.000123456}, inv), u"1.23E-004");
  EXPECT_EQ(Format(u"%e", {0.0}, inv), u"0.00000000000000E+000");
  EXPECT_EQ(Format(u"%.2e", {-9.99}, inv), u"-1.0E+001");

  EXPECT_EQ(Format(u"%g", {1e20}, inv), u"1E20");
  EXPECT_EQ(Format(u"%g", {0.1}, inv), u"0.1");
  EXPECT_EQ(Format(u"%g", {1.5e-5}, inv), u"1.5E-5");
  EXPECT_EQ(Format(u"%.3g", {1234.5}, inv), u"1.23E3");

  TFormatSettings money = inv;
  money.CurrencyString = u"$";
  money.CurrencyFormat = 0;
  money.NegCurrFormat = 0;
  EXPECT_EQ(Format(u"%m", {1234.5}, money), u"$1,234.50");
  EXPECT_EQ(Format(u"%m", {-1234.5}, money), u"($1,234.50)");
  money.CurrencyFormat = 3;
  money.NegCurrFormat = 8;
  money.CurrencyString = u"\u20AC";
  EXPECT_EQ(Format(u"%.0m", {-5.0}, money), u"-5 \u20AC");
}

TEST(FormatNumbers, SpecialValues) {
  const auto inv = TFormatSettings::Invariant();
  EXPECT_EQ(Format(u"%f", {std::numeric_limits<double>::quiet_NaN()}, inv), u"NAN");
  EXPECT_EQ(Format(u"%.0n", {-std::numeric_limits<double>::infinity()}, inv), u"-INF");
  EXPECT_EQ(Format(u"%e", {std::numeric_limits<double>::infinity()}, inv), u"INF");
}

TEST(FormatErrors, BadFormatsAndArgumentsRaiseConvertErrors) {
  const String expected = u"Format '%d %d' invalid or incompatible with argument";
  EXPECT_EQ(ConvertErrorOf(u"%d %d", {1}), expected);
  EXPECT_NE(ConvertErrorOf(u"%d", {u"text"}), u"<no exception>");
  EXPECT_NE(ConvertErrorOf(u"%s", {5}), u"<no exception>");
  EXPECT_NE(ConvertErrorOf(u"%d", {1.5}), u"<no exception>");
  EXPECT_NE(ConvertErrorOf(u"%f", {u"1.5"}), u"<no exception>");
  EXPECT_NE(ConvertErrorOf(u"%s", {true}), u"<no exception>");
  EXPECT_NE(ConvertErrorOf(u"100%", {}), u"<no exception>");
  EXPECT_NE(ConvertErrorOf(u"%q", {1}), u"<no exception>");
  EXPECT_NE(ConvertErrorOf(u"%5", {1}), u"<no exception>");
  EXPECT_NE(ConvertErrorOf(u"%1:s", {u"only one"}), u"<no exception>");
  EXPECT_NE(ConvertErrorOf(u"%*d", {u"w", 1}), u"<no exception>");
  EXPECT_NE(ConvertErrorOf(u"%*d", {5}), u"<no exception>");
  EXPECT_NE(ConvertErrorOf(u"%s", {}), u"<no exception>");
  // A huge width is refused instead of allocating gigabytes.
  EXPECT_NE(ConvertErrorOf(u"%999999999d", {1}), u"<no exception>");
  EXPECT_NE(ConvertErrorOf(u"%*d", {2000000000, 1}), u"<no exception>");
}

TEST(FormatErrors, NullArrayIsNeverRead) {
  EXPECT_THROW(FormatArgs(u"%d", nullptr, 3, TFormatSettings::Invariant()), EConvertError);
  EXPECT_EQ(FormatArgs(u"plain", nullptr, 0, TFormatSettings::Invariant()), u"plain");
}

// ---------------------------------------------------------------------------
// FloatToStr and FloatToStrF
// ---------------------------------------------------------------------------
TEST(FormatFloatToStr, FifteenDigitGeneralForm) {
  const auto inv = TFormatSettings::Invariant();
  EXPECT_EQ(FloatToStr(0.1, inv), u"0.1");
  EXPECT_EQ(FloatToStr(0.1 + 0.2, inv), u"0.3");
  EXPECT_EQ(FloatToStr(1e20, inv), u"1E20");
  EXPECT_EQ(FloatToStr(1.5e-5, inv), u"1.5E-5");
  EXPECT_EQ(FloatToStr(0.0001, inv), u"0.0001");
  EXPECT_EQ(FloatToStr(-0.0, inv), u"0");
  EXPECT_EQ(FloatToStr(0.0, inv), u"0");
  EXPECT_EQ(FloatToStr(100.0, inv), u"100");
  EXPECT_EQ(FloatToStr(-2.5, inv), u"-2.5");
  EXPECT_EQ(FloatToStr(123456789012345.0, inv), u"123456789012345");
  EXPECT_EQ(FloatToStr(1e15, inv), u"1E15");
  EXPECT_EQ(FloatToStr(9007199254740993.0, inv), u"9.00719925474099E15");
  EXPECT_EQ(FloatToStr(1.0 / 3.0, inv), u"0.333333333333333");
  EXPECT_EQ(FloatToStr(2.0 / 3.0, inv), u"0.666666666666667");
  EXPECT_EQ(FloatToStr(999999999999999.9, inv), u"1E15");
  EXPECT_EQ(FloatToStr(1e-300, inv), u"1E-300");
  EXPECT_EQ(FloatToStr(0.1, CommaDecimals()), u"0,1");
  EXPECT_EQ(FloatToStr(std::numeric_limits<double>::quiet_NaN(), inv), u"NAN");
}

TEST(FormatFloatToStr, FloatToStrFFormats) {
  const auto inv = TFormatSettings::Invariant();
  EXPECT_EQ(FloatToStrF(1234.5678, ffFixed, 15, 2, inv), u"1234.57");
  EXPECT_EQ(FloatToStrF(1234567.5, ffNumber, 15, 0, inv), u"1,234,568");
  EXPECT_EQ(FloatToStrF(12345.678, ffExponent, 4, 2, inv), u"1.235E+04");
  EXPECT_EQ(FloatToStrF(12345.678, ffGeneral, 4, 0, inv), u"1.235E4");
  EXPECT_EQ(FloatToStrF(12.5, ffGeneral, 15, 0, inv), u"12.5");
  // Precision limits the significant digits of fixed output too.
  EXPECT_EQ(FloatToStrF(1.23456, ffFixed, 3, 4, inv), u"1.2300");
  // More integer digits than the precision switch to scientific form.
  EXPECT_EQ(FloatToStrF(123456.0, ffFixed, 3, 2, inv), u"1.23E5");
}

// The fixed forms round once, at whichever of the precision and the decimals
// cuts first, so they agree with Format's "%.nf".
TEST(FormatFloatToStr, FixedFormsRoundOnce) {
  const auto inv = TFormatSettings::Invariant();
  struct {
    Double v;
    TFloatFormat fmt;
    Int32 precision, digits;
    const char16_t* text;
  } const cases[] = {
      {0.4445, ffFixed, 3, 2, u"0.44"},
      {1.2349999999999999, ffFixed, 15, 2, u"1.23"},
      {1.2349999999999999, ffNumber, 15, 2, u"1.23"},
      {-0.4445, ffFixed, 3, 2, u"-0.44"},
      {1234.4449, ffNumber, 6, 2, u"1,234.44"},
      {0.4445, ffFixed, 2, 3, u"0.440"},
      {9.996, ffFixed, 15, 2, u"10.00"},
      {9.996, ffFixed, 3, 2, u"10.00"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FloatToStrF(c.v, c.fmt, c.precision, c.digits, inv), c.text) << c.v << " " << c.precision;
  EXPECT_EQ(FloatToStrF(1.2349999999999999, ffFixed, 15, 2, inv), Format(u"%.2f", {1.2349999999999999}, inv));
  TFormatSettings money = inv;
  money.CurrencyString = u"$";
  money.CurrencyFormat = 0;
  EXPECT_EQ(FloatToStrF(0.4445, ffCurrency, 3, 2, money), u"$0.44");
}

// ---------------------------------------------------------------------------
// FormatFloat masks
// ---------------------------------------------------------------------------
TEST(FormatFloatMask, DigitPlaceholders) {
  const auto inv = TFormatSettings::Invariant();
  EXPECT_EQ(FormatFloat(u"0.00", 3.14159, inv), u"3.14");
  EXPECT_EQ(FormatFloat(u"0.00", 0.005, inv), u"0.01");
  EXPECT_EQ(FormatFloat(u"#,##0", 1234567.0, inv), u"1,234,567");
  EXPECT_EQ(FormatFloat(u"#,##0", 0.0, inv), u"0");
  EXPECT_EQ(FormatFloat(u"#,##0", -1234.4, inv), u"-1,234");
  EXPECT_EQ(FormatFloat(u"0.##", 1.5, inv), u"1.5");
  EXPECT_EQ(FormatFloat(u"0.##", 1.0, inv), u"1");
  EXPECT_EQ(FormatFloat(u"0.##", 1.999, inv), u"2");
  EXPECT_EQ(FormatFloat(u"0.0#", 1.0, inv), u"1.0");
  EXPECT_EQ(FormatFloat(u"000", 7.0, inv), u"007");
  EXPECT_EQ(FormatFloat(u"0", 12345.6, inv), u"12346");
  EXPECT_EQ(FormatFloat(u"#.##", 0.5, inv), u".5");
  EXPECT_EQ(FormatFloat(u"0", -0.4, inv), u"0");
  EXPECT_EQ(FormatFloat(u"00.00", 0.25, inv), u"00.25");
  EXPECT_EQ(FormatFloat(u"", 2.5, inv), u"2.5");
}

TEST(FormatFloatMask, ThousandsCommaAnywhereBeforeThePoint) {
  const auto inv = TFormatSettings::Invariant();
  EXPECT_EQ(FormatFloat(u"####,.00", 1234.5, inv), u"1,234.50");
  EXPECT_EQ(FormatFloat(u"####,.00", 0.5, inv), u".50");
  EXPECT_EQ(FormatFloat(u"###0,.00", 1234567.891, inv), u"1,234,567.89");
  EXPECT_EQ(FormatFloat(u"###0,.", 1234.4, inv), u"1,234");
  EXPECT_EQ(FormatFloat(u"###0,.", 12.0, inv), u"12");
  EXPECT_EQ(FormatFloat(u"#,##0.00", 1234.5, CommaDecimals()), u"1.234,50");
}

TEST(FormatFloatMask, SectionsAndLiterals) {
  const auto inv = TFormatSettings::Invariant();
  const String mask = u"0.0;(0.0);\"zero\"";
  EXPECT_EQ(FormatFloat(mask, 1.25, inv), u"1.3");
  EXPECT_EQ(FormatFloat(mask, -1.25, inv), u"(1.3)");
  EXPECT_EQ(FormatFloat(mask, 0.0, inv), u"zero");
  // A value that rounds to zero in the first section takes the zero section.
  EXPECT_EQ(FormatFloat(mask, 0.04, inv), u"zero");
  // Empty negative section: the first with a minus sign.
  EXPECT_EQ(FormatFloat(u"0.0;;z", -2.0, inv), u"-2.0");
  EXPECT_EQ(FormatFloat(u"0 \"kg\"", 5.0, inv), u"5 kg");
  EXPECT_EQ(FormatFloat(u"0.00\"%\"", 12.345, inv), u"12.35%");
  EXPECT_EQ(FormatFloat(u"###0.0 \"ptw\"", 3.14, inv), u"3.1 ptw");
  EXPECT_EQ(FormatFloat(u"'#0;.' 0", 5.0, inv), u"#0;. 5");
}

TEST(FormatFloatMask, ScientificMasks) {
  const auto inv = TFormatSettings::Invariant();
  EXPECT_EQ(FormatFloat(u"0.00E+00", 12345.0, inv), u"1.23E+04");
  EXPECT_EQ(FormatFloat(u"0.0E-0", 0.00012, inv), u"1.2E-4");
  EXPECT_EQ(FormatFloat(u"0.0E-0", 1200.0, inv), u"1.2E3");
  EXPECT_EQ(FormatFloat(u"00.0E+0", 12345.0, inv), u"12.3E+3");
  EXPECT_EQ(FormatFloat(u"0.00E+00", 0.0, inv), u"0.00E+00");
  EXPECT_EQ(FormatFloat(u"0.00E+00", -0.5, inv), u"-5.00E-01");
}

// ---------------------------------------------------------------------------
// StrToFloat
// ---------------------------------------------------------------------------
// Placeholders after the exponent's digits take no part in the number: the
// mask is scanned that way, and they write nothing (never a digit from past
// the number's digits, nor a NUL).
TEST(Format, FormatFloatPlaceholdersAfterTheExponentWriteNothing) {
  struct Case {
    const char16_t* mask;
    Double value;
    const char16_t* text;
  } const cases[] = {
      {u"0E+0#########", 12345.678, u"1E+4"},
      {u"0E+0#", 12345.678, u"1E+4"},
      {u"0.0E+00#,.0 x", -0.5, u"-5.0E-01 x"},
      {u"#E-0#0", 0.0, u"E0"},
  };
  for (const Case& c : cases) {
    const String r = FormatFloat(c.mask, c.value);
    EXPECT_EQ(r, c.text) << StringToUtf8(c.mask);
    EXPECT_EQ(r.find(Char(0)), String::npos);
  }
}

TEST(FormatStrToFloat, ReadsWithTheSettingsDecimalSeparator) {
  const auto inv = TFormatSettings::Invariant();
  const auto de = CommaDecimals();
  EXPECT_DOUBLE_EQ(StrToFloat(u"1.5", inv), 1.5);
  EXPECT_DOUBLE_EQ(StrToFloat(u"  -2.5e3 ", inv), -2500.0);
  EXPECT_DOUBLE_EQ(StrToFloat(u".5", inv), 0.5);
  EXPECT_DOUBLE_EQ(StrToFloat(u"5.", inv), 5.0);
  EXPECT_DOUBLE_EQ(StrToFloat(u"+1E-2", inv), 0.01);
  EXPECT_DOUBLE_EQ(StrToFloat(u"1,5", de), 1.5);
  EXPECT_EQ(StrToFloat(u"0.1", inv), 0.1);
  EXPECT_EQ(StrToFloat(u"1e-999", inv), 0.0);
  Double d = 7;
  // Overflow or underflow is decided by the order of the first significant
  // digit, wherever the point and whatever the exponent's sign.
  const String ones = u"1" + String(350, u'0');
  EXPECT_FALSE(TryStrToFloat(ones + u"e-1", d, inv));
  EXPECT_FALSE(TryStrToFloat(u"-" + ones + u"e-30", d, inv));
  EXPECT_EQ(StrToFloat(u"0." + String(350, u'0') + u"1e5", inv), 0.0);
  EXPECT_EQ(StrToFloat(u"0.0001e-330", inv), 0.0);
  EXPECT_FALSE(TryStrToFloat(u"00000.1e310", d, inv));
  EXPECT_FALSE(TryStrToFloat(u"1.5", d, de));
  for (const char16_t* bad : {u"", u" ", u".", u"-", u"1,234.5", u"abc", u"1e", u"1e+", u"e5",
                              u"1e999", u"INF", u"NAN", u"0x10", u"1.2.3", u"1 2"}) {
    EXPECT_FALSE(TryStrToFloat(bad, d, inv)) << StringToUtf8(bad);
  }
  EXPECT_EQ(d, 7);
  EXPECT_EQ(StrToFloatDef(u"x", 2.5, inv), 2.5);
  try {
    StrToFloat(u"x1", inv);
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), u"'x1' is not a valid floating point value");
  }
}

TEST(FormatStrToFloat, SingleRangeAndRoundTrip) {
  const auto inv = TFormatSettings::Invariant();
  Single f = 0;
  EXPECT_TRUE(TryStrToFloat(u"3.4e38", f, inv));
  EXPECT_FALSE(TryStrToFloat(u"1e39", f, inv));
  for (Double v : {0.1, 1.0 / 3.0, 123456.789, 1e-7, -42.0}) {
    Double back = 0;
    ASSERT_TRUE(TryStrToFloat(FloatToStr(v, inv), back, inv));
    EXPECT_NEAR(back, v, std::fabs(v) * 1e-14);
  }
}

// ---------------------------------------------------------------------------
// Format settings
// ---------------------------------------------------------------------------
TEST(FormatSettingsLocales, InvariantValues) {
  const auto inv = TFormatSettings::Invariant();
  EXPECT_EQ(inv.DecimalSeparator, u'.');
  EXPECT_EQ(inv.ThousandSeparator, u',');
  EXPECT_EQ(inv.DateSeparator, u'/');
  EXPECT_EQ(inv.LongMonthNames[11], u"December");
  EXPECT_EQ(inv.ShortDayNames[0], u"Sun");
  EXPECT_EQ(inv.TwoDigitYearCenturyWindow, 50);
}

TEST(FormatSettingsLocales, FilledFromIcuLocales) {
  const auto de = TFormatSettings::Create("de_DE");
  EXPECT_EQ(de.DecimalSeparator, u',');
  EXPECT_EQ(de.ThousandSeparator, u'.');
  EXPECT_EQ(de.DateSeparator, u'.');
  EXPECT_EQ(de.ListSeparator, u';');
  EXPECT_EQ(de.LongMonthNames[0], u"Januar");
  EXPECT_EQ(de.LongDayNames[1], u"Montag");
  EXPECT_EQ(Format(u"%.2n", {1234.5}, de), u"1.234,50");

  const auto us = TFormatSettings::Create("en_US");
  EXPECT_EQ(us.DecimalSeparator, u'.');
  EXPECT_EQ(us.ThousandSeparator, u',');
  EXPECT_EQ(us.DateSeparator, u'/');
  EXPECT_EQ(us.TimeSeparator, u':');
  EXPECT_EQ(us.CurrencyString, u"$");
  EXPECT_EQ(us.TimeAMString, u"AM");
  EXPECT_EQ(us.LongMonthNames[2], u"March");

  // An unknown name falls back to ICU's root data instead of failing.
  const auto xx = TFormatSettings::Create("xx_YY");
  EXPECT_NE(xx.DecimalSeparator, 0);
  EXPECT_FALSE(xx.ShortDateFormat.empty());
}

// ---------------------------------------------------------------------------
// Rounding and numeric helpers
// ---------------------------------------------------------------------------
TEST(RtlMathRound, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(Round(2.5), 2);
  EXPECT_EQ(Round(3.5), 4);
  EXPECT_EQ(Round(-2.5), -2);
  EXPECT_EQ(Round(-3.5), -4);
  EXPECT_EQ(Round(0.5), 0);
  EXPECT_EQ(Round(-0.5), 0);
  EXPECT_EQ(Round(1.5), 2);
  EXPECT_EQ(Round(2.4999999), 2);
  EXPECT_EQ(Round(2.5000001), 3);
  EXPECT_EQ(Round(-2.6), -3);
  EXPECT_EQ(Round(4503599627370497.0), 4503599627370497LL);
}

TEST(RtlMathRound, OutOfRangeValuesSaturateInsteadOfUndefinedCasts) {
  EXPECT_EQ(Round(std::numeric_limits<double>::quiet_NaN()), 0);
  EXPECT_EQ(Round(1e300), INT64_MAX);
  EXPECT_EQ(Round(-1e300), INT64_MIN);
  EXPECT_EQ(Trunc(std::numeric_limits<double>::infinity()), INT64_MAX);
  EXPECT_EQ(Floor(-std::numeric_limits<double>::infinity()), INT64_MIN);
}

TEST(RtlMathRound, TruncFloorCeilFrac) {
  EXPECT_EQ(Trunc(-1.7), -1);
  EXPECT_EQ(Floor(-1.2), -2);
  EXPECT_EQ(Ceil(-1.2), -1);
  EXPECT_EQ(Ceil(1.2), 2);
  EXPECT_DOUBLE_EQ(Frac(-1.25), -0.25);
  EXPECT_DOUBLE_EQ(Int(-1.25), -1.0);
}

TEST(RtlMathRoundTo, BankersAndSimpleRounding) {
  EXPECT_DOUBLE_EQ(RoundTo(1.125, -2), 1.12);
  EXPECT_DOUBLE_EQ(RoundTo(1.375, -2), 1.38);
  EXPECT_DOUBLE_EQ(RoundTo(1250, 2), 1200);
  EXPECT_DOUBLE_EQ(RoundTo(1350, 2), 1400);
  EXPECT_DOUBLE_EQ(RoundTo(2.5, 0), 2);
  EXPECT_DOUBLE_EQ(RoundTo(-1.125, -2), -1.12);
  EXPECT_DOUBLE_EQ(SimpleRoundTo(2.5, 0), 3);
  EXPECT_DOUBLE_EQ(SimpleRoundTo(-2.5, 0), -3);
  EXPECT_DOUBLE_EQ(SimpleRoundTo(1.234), 1.23);
  EXPECT_DOUBLE_EQ(SimpleRoundTo(1.125), 1.13);
  EXPECT_DOUBLE_EQ(SimpleRoundTo(-1.125), -1.13);
  EXPECT_DOUBLE_EQ(SimpleRoundTo(1250, 2), 1300);
  // Values too large to have a fraction come back as they are.
  EXPECT_DOUBLE_EQ(RoundTo(1e300, -2), 1e300);
  EXPECT_TRUE(std::isnan(RoundTo(std::numeric_limits<double>::quiet_NaN(), -2)));
}

TEST(RtlMathCompare, SameValueAndPowers) {
  EXPECT_TRUE(SameValue(0.1 + 0.2, 0.3));
  EXPECT_FALSE(SameValue(1.0, 1.0001));
  EXPECT_TRUE(SameValue(1.0, 1.0001, 0.001));
  EXPECT_FALSE(SameValue(std::nan(""), std::nan("")));
  EXPECT_TRUE(SameValue(0.0, -0.0));
  EXPECT_DOUBLE_EQ(Power(0, 0), 1);
  EXPECT_DOUBLE_EQ(Power(2, 10), 1024);
  EXPECT_DOUBLE_EQ(IntPower(2, -2), 0.25);
  EXPECT_DOUBLE_EQ(IntPower(10, 0), 1);
  EXPECT_EQ(Min(3, 5), 3);
  EXPECT_EQ(EnsureRange(15, 0, 10), 10);
}

}  // namespace sk
