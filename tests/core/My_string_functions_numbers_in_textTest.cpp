// Number kinds, values of number texts, bracketed and tabbed numbers, short
// forms of large numbers and display-record formatting.
#include <gtest/gtest.h>

#include <limits>

#include "core/Global_vars.h"
#include "core/My_string_functions_numbers_in_text.h"
#include "platform/runtime/FormatSettings.h"

namespace sk {
namespace {

// Restores the process-wide format settings that a test changes.
class My_string_functions_numbers_in_textFormat : public ::testing::Test {
 protected:
  void SetUp() override {
    savedShared_ = Global_StringToDateTimeFormat;
    savedDefault_ = FormatSettings;
  }
  void TearDown() override {
    Global_StringToDateTimeFormat = savedShared_;
    FormatSettings = savedDefault_;
  }
  TFormatSettings savedShared_;
  TFormatSettings savedDefault_;
};

TNumberDisplayAndSinglesRec Rec(TNumberDisplayFreedom freedom, TNumberDisplayPreference preference, Double value) {
  TNumberDisplayAndSinglesRec rec;
  rec.number_freedom = freedom;
  rec.number_preference = preference;
  rec.computed_value = value;
  return rec;
}

TEST(My_string_functions_numbers_in_textKinds, KindsOfNumberTexts) {
  EXPECT_EQ(IsANumber(u"42"), 0);
  EXPECT_EQ(IsANumber(u"-42"), 0);
  EXPECT_EQ(IsANumber(u"4.2"), 1);
  EXPECT_EQ(IsANumber(u""), 4);
  EXPECT_EQ(IsANumber(u"12%"), 1);
  EXPECT_EQ(IsANumber(u"1,234"), 0);
  EXPECT_EQ(IsANumber(u"12a"), 3);
  EXPECT_EQ(IsANumber(u"a12"), 3);
  EXPECT_EQ(IsANumber(u"1.2.3"), 0);  // the last digit decides
  EXPECT_EQ(IsANumber(u"1.2."), 1);
  EXPECT_EQ(IsANumber(u","), 3);
  EXPECT_EQ(IsANumber(u"-"), 3);
}

TEST(My_string_functions_numbers_in_textKinds, ValuesNeverRaise) {
  EXPECT_EQ(NumberedStringValue(u"42"), 42);
  EXPECT_EQ(NumberedStringValue(u"2.5"), 2);  // halves go to the even neighbour
  EXPECT_EQ(NumberedStringValue(u"3.5"), 4);
  EXPECT_EQ(NumberedStringValue(u"-2.6"), -3);
  // What IsANumber accepts by its characters keeps its value: thousands
  // separators as "%.0n" writes them, per-cent signs.
  EXPECT_EQ(NumberedStringValue(u"1,234"), 1234);
  EXPECT_EQ(NumberedStringValue(u"63,919"), 63919);
  EXPECT_EQ(NumberedStringValue(u"1,000,000"), 1000000);
  EXPECT_EQ(NumberedStringValue(u"12%"), 12);
  EXPECT_EQ(NumberedStringValue(u"12.5%"), 12);
  EXPECT_EQ(NumberedStringValue(u"1,234.5"), 1234);
  EXPECT_EQ(NumberedStringValue(u"2,147,483,648"), -1);
  EXPECT_EQ(NumberedStringValue(u"%"), -1);
  EXPECT_EQ(NumberedStringValue(u"1.2.3"), -1);
  EXPECT_EQ(NumberedStringValue(u"abc"), -1);
  EXPECT_EQ(NumberedStringValue(u""), -1);
  EXPECT_EQ(NumberedStringValue(u"99999999999"), -1);
  EXPECT_EQ(NumberedStringValue(u"2147483647.4"), std::numeric_limits<Int32>::max());
  EXPECT_EQ(NumberedStringValue(u"1e300"), -1);

  EXPECT_EQ(DigitsOnlyOf(u"-17"), u"-17");
  EXPECT_EQ(DigitsOnlyOf(u"a1b2-3"), u"123");
  EXPECT_EQ(DigitsOnlyOf(u"none"), u"");
  EXPECT_EQ(Occurrences(u"aa", u"aaaa"), 2);
  EXPECT_EQ(Occurrences(u"aa", u"aaa"), 1);
  EXPECT_EQ(Occurrences(u"", u"aaa"), 0);
  EXPECT_EQ(Occurrences(u"x", u""), 0);
}

TEST(My_string_functions_numbers_in_textBrackets, BracketsAndTabs) {
  TStringAndIntegerRec r = ExtractFromWithinBrackets(u'(', u')', u"cat (12) (3)");
  EXPECT_EQ(r.i, 5);
  EXPECT_EQ(r.s, u"12");
  r = ExtractFromWithinBrackets(u'(', u')', u"cat (12");
  EXPECT_EQ(r.i, 5);
  EXPECT_EQ(r.s, u"");
  r = ExtractFromWithinBrackets(u'(', u')', u"cat) 12");
  EXPECT_EQ(r.i, 0);
  EXPECT_EQ(r.s, u"");

  EXPECT_EQ(BracketedNumberToTabbedNumber(u"cat (12)"), u"cat \t12");
  EXPECT_EQ(BracketedNumberToTabbedNumber(u"cat(2.5)"), u"cat\t2");
  EXPECT_EQ(BracketedNumberToTabbedNumber(u"cat (x)"), u"cat \t-1");
  EXPECT_EQ(BracketedNumberToTabbedNumber(u"the (63,919)"), u"the \t63919");
  EXPECT_EQ(BracketedNumberToTabbedNumber(u"cat"), u"cat");
  EXPECT_EQ(BracketedNumberToTabbedNumber(u"cat ()"), u"cat ()");

  EXPECT_EQ(TabbedNumbersToBracketedNumbers(u"cat\t12, dog\t3"), u"cat (12),dog (3)");
  EXPECT_EQ(TabbedNumbersToBracketedNumbers(u"cat\t12,plain, dog\t3"), u"cat (12),dog (3)");
  EXPECT_EQ(TabbedNumbersToBracketedNumbers(u"plain"), u"");
  EXPECT_EQ(TabbedNumbersToBracketedNumbers(u""), u"");
}

TEST_F(My_string_functions_numbers_in_textFormat, ConvertedFormsReadAPointWhateverTheLocale) {
  FormatSettings.DecimalSeparator = u',';
  FormatSettings.ThousandSeparator = u'.';
  Double value = -5;
  EXPECT_TRUE(ConvertedFromPcPtwPmw(u"12.5%", value));
  EXPECT_DOUBLE_EQ(value, 12.5);
  EXPECT_TRUE(ConvertedFromPcPtwPmw(u"3 ptw", value));
  EXPECT_DOUBLE_EQ(value, 3.0);
  value = -5;
  EXPECT_FALSE(ConvertedFromPcPtwPmw(u"x12", value));
  EXPECT_FALSE(ConvertedFromPcPtwPmw(u"", value));
  EXPECT_FALSE(ConvertedFromPcPtwPmw(u"1.2.3", value));
  EXPECT_DOUBLE_EQ(value, -5);
}

TEST_F(My_string_functions_numbers_in_textFormat, ShortFormsOfLargeNumbers) {
  Global_StringToDateTimeFormat.DecimalSeparator = u'.';
  Global_StringToDateTimeFormat.ThousandSeparator = u',';
  EXPECT_EQ(EasiestNRepresentationOfLargeNumber(1000), u"1,000");
  EXPECT_EQ(EasiestNRepresentationOfLargeNumber(1500000), u"1.5M");
  EXPECT_EQ(EasiestNRepresentationOfLargeNumber(2500), u"2.5K");
  EXPECT_EQ(EasiestNRepresentationOfLargeNumber(3.0e9f), u"3.0G");
  EXPECT_EQ(EasiestNRepresentationOfLargeNumber(4.0e12f), u"4.0Yikes");
  EXPECT_EQ(EasiestNRepresentationOfLargeNumber(-5000), u"-5,000");
  // An infinite value is formatted, not divided for ever.
  EXPECT_FALSE(EasiestNRepresentationOfLargeNumber(std::numeric_limits<Single>::infinity()).empty());
  SetThousandsSeparator(u' ');
  EXPECT_EQ(EasiestNRepresentationOfLargeNumber(999), u"999");
  EXPECT_EQ(EasiestNRepresentationOfLargeNumber(1000), u"1 000");
}

TEST_F(My_string_functions_numbers_in_textFormat, DisplayRecords) {
  Global_StringToDateTimeFormat.DecimalSeparator = u'.';
  Global_StringToDateTimeFormat.ThousandSeparator = u',';
  EXPECT_EQ(FormattedWithDecimals(Rec(ndf_integer_only, ndp_percent, 12345.6), 2, false), u"12,346");
  EXPECT_EQ(FormattedWithDecimals(Rec(ndf_raw_float_only, ndp_percent, 12345.678), 2, false), u"12345.68");
  EXPECT_EQ(FormattedWithDecimals(Rec(ndf_raw_float_only, ndp_percent, 12345.678), 1, true), u"12,345.7");
  EXPECT_EQ(FormattedWithDecimals(Rec(ndf_raw_float_only, ndp_percent, 12.4), 0, false), u"12");
  EXPECT_EQ(FormattedWithDecimals(Rec(ndf_preference, ndp_percent, 12.345), 1, false), u"12.3%");
  EXPECT_EQ(FormattedWithDecimals(Rec(ndf_preference, ndp_per_thousand, 1.5), 2, false), u"1.50 ptw");
  EXPECT_EQ(FormattedWithDecimals(Rec(ndf_preference, ndp_per_million, 1234.4), 0, true), u"1,234 pmw");
  SetThousandsSeparator(u'.');
  Global_StringToDateTimeFormat.DecimalSeparator = u',';
  EXPECT_EQ(FormattedWithDecimals(Rec(ndf_raw_float_only, ndp_percent, 1234.5), 1, true), u"1.234,5");

  TNumberDisplayAndSinglesRec rec = Rec(ndf_integer_only, ndp_percent, number_not_computed);
  EXPECT_EQ(NumberDisplayAndSinglesRecToStr(rec, 1e9, 2, true), u"??");
  rec.computed_value = 4;
  EXPECT_EQ(NumberDisplayAndSinglesRecToStr(rec, 5, 2, true), u"");
  EXPECT_EQ(NumberDisplayAndSinglesRecToStr(rec, 4, 2, true), u"4");
  rec.show_as_approximate = true;
  EXPECT_EQ(NumberDisplayAndSinglesRecToStr(rec, 0, 2, true), u"4~");
}

}  // namespace
}  // namespace sk
