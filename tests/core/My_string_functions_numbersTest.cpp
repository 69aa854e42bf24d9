// Number-list notation, numbers as short texts and the labels of shared
// enumerations.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "core/Global_vars.h"
#include "core/My_string_functions_numbers.h"
#include "core/Useful_classes_base_stringlists.h"
#include "platform/runtime/Strings.h"

namespace sk {
namespace {

String NotationOfLines(std::initializer_list<const char16_t*> lines) {
  TUTF8Stringlist list;
  for (const char16_t* l : lines) list.Add(l);
  return HumanAbbreviatedNumberListString(&list);
}

// Number settings pinned for the texts that depend on them.
class My_string_functions_numbersLocale : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = Global_StringToDateTimeFormat;
    Global_StringToDateTimeFormat = TFormatSettings::Invariant();
    Global_StringToDateTimeFormat.DecimalSeparator = u'.';
    Global_StringToDateTimeFormat.ThousandSeparator = u',';
  }
  void TearDown() override { Global_StringToDateTimeFormat = saved_; }
  TFormatSettings saved_;
};

TEST(My_string_functions_numbersNotation, RunsOfThreeOrMoreAreAbbreviated) {
  EXPECT_EQ(NotationOfLines({u"1", u"2", u"3", u"5", u"7", u"8", u"9"}), u"1-3,5,7-9");
  EXPECT_EQ(NotationOfLines({u"1", u"2", u"4"}), u"1,2,4");
  EXPECT_EQ(NotationOfLines({u"1", u"2"}), u"1,2");
  EXPECT_EQ(NotationOfLines({u"4"}), u"4");
  EXPECT_EQ(NotationOfLines({}), u"");
  // List order is kept: no sorting first.
  EXPECT_EQ(NotationOfLines({u"3", u"1", u"2"}), u"3,1,2");
  EXPECT_EQ(NotationOfLines({u"2", u"2", u"3", u"4"}), u"2,2-4");
}

TEST(My_string_functions_numbersNotation, LinesThatAreNotNumbersLeaveNoTrace) {
  EXPECT_EQ(NotationOfLines({u"5", u"x", u"6", u"7"}), u"5-7");
  // A run still open when the list ends in a non-number is closed properly.
  EXPECT_EQ(NotationOfLines({u"1", u"2", u"x"}), u"1,2");
  EXPECT_EQ(NotationOfLines({u"1", u"2", u"3", u"x", u""}), u"1-3");
  // The number before a break is the last number, not the skipped line.
  EXPECT_EQ(NotationOfLines({u"1", u"2", u"3", u"x", u"7"}), u"1-3,7");
  EXPECT_EQ(NotationOfLines({u"1", u"2", u"x", u"9"}), u"1,2,9");
  // Numbers are written in decimal whatever form the line had.
  EXPECT_EQ(NotationOfLines({u"$A", u"11", u"12"}), u"10-12");
}

TEST(My_string_functions_numbersNotation, ExtremeValuesDoNotOverflow) {
  EXPECT_EQ(NotationOfLines({u"2147483646", u"2147483647"}), u"2147483646,2147483647");
  EXPECT_EQ(NotationOfLines({u"2147483647", u"-2147483648"}), u"2147483647,-2147483648");
}

TEST(My_string_functions_numbersNotation, ArraysWithOffsetRoundTrip) {
  EXPECT_EQ(HumanAbbreviatedNumberListString(std::vector<Int32>{0, 1, 2}, 1), u"1-3");
  EXPECT_EQ(HumanAbbreviatedNumberListStringAsIntegers(u"1-3", 1), (std::vector<Int32>{0, 1, 2}));
  const std::vector<Int32> values{0, 1, 2, 3, 7, 9, 10, 11, 20};
  const String text = HumanAbbreviatedNumberListString(values, 1);
  EXPECT_EQ(text, u"1-4,8,10-12,21");
  EXPECT_EQ(HumanAbbreviatedNumberListStringAsIntegers(text, 1), values);
  EXPECT_EQ(TarrayIntegerToString(values), u"0,1,2,3,7,9,10,11,20");
  EXPECT_EQ(TarrayIntegerToString({}), u"");
  auto list = TArrayOfIntegersToStringlist({5, -1}, 10);
  ASSERT_EQ(list->Count(), 2);
  EXPECT_EQ(list->Get(0), u"15");
  EXPECT_EQ(list->Get(1), u"9");
}

TEST(My_string_functions_numbersNotation, WrittenListsReadBackTheSame) {
  // Lists of non-negative numbers with runs, repeats, steps back and gaps,
  // from a fixed seed: the notation always reads back as the list itself,
  // expands to the plain list, and never ends in an open "-".
  std::mt19937 rng(20240611u);
  for (int t = 0; t < 3000; ++t) {
    std::vector<Int32> values;
    const int n = static_cast<int>(rng() % 12);
    for (int i = 0; i < n; ++i) {
      const bool jump = values.empty() || rng() % 3 == 0;
      values.push_back(jump ? static_cast<Int32>(rng() % 20) : values.back() + 1);
    }
    const String text = HumanAbbreviatedNumberListString(values, 0);
    ASSERT_TRUE(text.empty() || text.back() != u'-') << StringToUtf8(text);
    ASSERT_EQ(text.find(u"--"), String::npos) << StringToUtf8(text);
    ASSERT_EQ(HumanAbbreviatedNumberListStringAsIntegers(text, 0), values) << StringToUtf8(text);
    ASSERT_EQ(HumanAbbreviatedNumberListStringExpanded(text), TarrayIntegerToString(values)) << StringToUtf8(text);
  }
}

TEST(My_string_functions_numbersExpand, RunsAreWrittenOut) {
  EXPECT_EQ(HumanAbbreviatedNumberListStringExpanded(u"1-3,5"), u"1,2,3,5");
  EXPECT_EQ(HumanAbbreviatedNumberListStringExpanded(u"5-3,7"), u",7");
  // The last number of a run must follow "-" at once.
  EXPECT_EQ(HumanAbbreviatedNumberListStringExpanded(u" 2 - 4 "), u"4");
  EXPECT_EQ(HumanAbbreviatedNumberListStringExpanded(u"2-4"), u"2,3,4");
  EXPECT_EQ(HumanAbbreviatedNumberListStringExpanded(u"-3"), u"0,1,2,3");
  EXPECT_EQ(HumanAbbreviatedNumberListStringExpanded(u"a1b,c2"), u"1,2");
  EXPECT_EQ(HumanAbbreviatedNumberListStringExpanded(u""), u"");
  EXPECT_EQ(HumanAbbreviatedNumberListStringAsIntegers(u"3,1-2,3", 0), (std::vector<Int32>{3, 1, 2, 3}));
  EXPECT_EQ(HumanAbbreviatedNumberListStringAsIntegers(u"5-3,,7", 0), (std::vector<Int32>{7}));
  EXPECT_EQ(HumanAbbreviatedNumberListStringAsIntegers(u"4-", 0), (std::vector<Int32>{}));
}

TEST(My_string_functions_numbersExpand, HugeOrOverflowingRunsAreRefused) {
  // A run longer than the list may hold names nothing; the rest still counts.
  EXPECT_EQ(HumanAbbreviatedNumberListStringExpanded(u"1-2000000000,7"), u",7");
  EXPECT_EQ(HumanAbbreviatedNumberListStringAsIntegers(u"1-2000000000,7", 0), (std::vector<Int32>{7}));
  // Numbers that do not fit 32 bits are no numbers.
  EXPECT_EQ(HumanAbbreviatedNumberListStringAsIntegers(u"99999999999,2", 0), (std::vector<Int32>{2}));
  EXPECT_EQ(HumanAbbreviatedNumberListStringAsIntegers(u"2147483646-2147483647", 0),
            (std::vector<Int32>{2147483646, 2147483647}));
  // A run right up to the limit is still expanded.
  const auto all = HumanAbbreviatedNumberListStringAsIntegers(u"1-" + IntToStr(MaxNumberListCount), 0);
  ASSERT_EQ(static_cast<Int32>(all.size()), MaxNumberListCount);
  EXPECT_EQ(all.back(), MaxNumberListCount);
  // Many runs together cannot exceed it either.
  String many;
  for (int i = 0; i < 40; ++i) many += u"1-100000,";
  EXPECT_LE(static_cast<Int64>(HumanAbbreviatedNumberListStringAsIntegers(many, 0).size()), MaxNumberListCount);
}

TEST(My_string_functions_numbersExpand, NthNumberOfTheNotation) {
  EXPECT_EQ(ANumberInHumanString(u"2-4", 2), u"3");
  EXPECT_EQ(ANumberInHumanString(u"2-4", 9), u"4");
  EXPECT_EQ(ANumberInHumanString(u"2-4", 0), u"2");
  EXPECT_EQ(ANumberInHumanString(u" 7 ", 1), u"7");
  EXPECT_EQ(ANumberInHumanString(u"5-3,7", 1), u"");
  EXPECT_EQ(ANumberInHumanString(u"", 1), u"");
}

TEST(My_string_functions_numbersExpand, RangeOfBooleans) {
  std::vector<bool> flags(5, true);
  ConvertStringToRangeOfBoolean(u"2, 4-5", false, flags);
  EXPECT_EQ(flags, (std::vector<bool>{false, true, false, true, true}));
  ConvertStringToRangeOfBoolean(u"9", false, flags);
  EXPECT_EQ(flags, (std::vector<bool>{false, false, false, false, true}));
  ConvertStringToRangeOfBoolean(u"3 ", false, flags);
  EXPECT_EQ(flags, (std::vector<bool>{false, false, true, false, false}));
  ConvertStringToRangeOfBoolean(u"0,2", true, flags);
  EXPECT_EQ(flags, (std::vector<bool>{true, false, true, false, false}));
  // An open range starts at index 1.
  ConvertStringToRangeOfBoolean(u"-3", false, flags);
  EXPECT_EQ(flags, (std::vector<bool>{false, true, true, false, false}));
  // Invalid pieces mark nothing; far-off numbers are clamped, not overrun.
  ConvertStringToRangeOfBoolean(u"x, 2-y, -2147483648, 2147483647-2147483647", false, flags);
  EXPECT_EQ(flags, (std::vector<bool>{false, false, false, false, true}));
  std::vector<bool> none;
  ConvertStringToRangeOfBoolean(u"1-3", false, none);
  EXPECT_TRUE(none.empty());
}

TEST_F(My_string_functions_numbersLocale, MonthNamesReplaceTheirNumbers) {
  EXPECT_EQ(HumanAbbreviatedNumberListStringToMonths(u"01,03-05"), u"Jan,Mar-May");
  // Only the first occurrence of each month, in month order on the changed text.
  EXPECT_EQ(HumanAbbreviatedNumberListStringToMonths(u"12,12"), u"Dec,12");
}

TEST_F(My_string_functions_numbersLocale, PValues) {
  EXPECT_EQ(PValueStr(0.0500001), u"0.05");
  EXPECT_EQ(PValueStr(0.001), u"0.001");
  EXPECT_EQ(PValueStr(0.123), u"0.123");
  EXPECT_EQ(PValueStr(1.0), u"1.");
  EXPECT_EQ(PValueStr(0.00009999999), u"0.0001");
  Global_StringToDateTimeFormat.DecimalSeparator = u',';
  EXPECT_EQ(PValueStr(0.5), u"0,5");
}

TEST_F(My_string_functions_numbersLocale, ByteSizesAtTheirThresholds) {
  EXPECT_EQ(ValueToByteStr(512), u"512bytes");
  EXPECT_EQ(ValueToByteStr(1048576), u"1,048,576bytes");
  EXPECT_EQ(ValueToByteStr(1048577), u"1,024.0Kb");
  EXPECT_EQ(ValueToByteStr(8388608), u"8,192.0Kb");
  EXPECT_EQ(ValueToByteStr(8388609), u"8.0Mb");
  EXPECT_EQ(ValueToByteStr(8589934592LL), u"8,192.0Mb");
  // Just past the last threshold: the exact count decides, not its rounding.
  EXPECT_EQ(ValueToByteStr(8589934593LL), u"8.0Gb");
}

TEST(My_string_functions_numbersText, OrdinalsAndZeros) {
  EXPECT_EQ(OrdinalFormatOf(22), u"%dnd");
  EXPECT_EQ(OrdinalFormatOf(11), u"%dst");
  EXPECT_EQ(OrdinalFormatOf(13), u"%drd");
  EXPECT_EQ(OrdinalFormatOf(-1), u"%dth");
  EXPECT_EQ(OrdinalFormatOf(0), u"%dth");
  EXPECT_EQ(WithLeftZeros(3, 7), u"007");
  EXPECT_EQ(WithLeftZeros(2, 1234), u"1234");
  EXPECT_EQ(WithLeftZeros(4, -5), u"00-5");
  EXPECT_EQ(WithLeftZeros(-3, 5), u"5");
}

TEST(My_string_functions_numbersText, HexadecimalCodes) {
  EXPECT_EQ(BracedNumberStrToDigitalformat(u"x1f"), u"$1F");
  EXPECT_EQ(BracedNumberStrToDigitalformat(u"1fh"), u"$1F");
  EXPECT_EQ(BracedNumberStrToDigitalformat(u"65"), u"65");
  EXPECT_EQ(BracedNumberStrToDigitalformat(u""), u"");
  EXPECT_EQ(ToHexNumStr(u"AB"), u"41,42,");
  EXPECT_EQ(FromHexNumStr(u"41,42,"), u"AB");
  EXPECT_EQ(FromHexNumStr(u"41,zz,43"), u"A");  // a bad group is skipped, the remainder ignored
  EXPECT_EQ(ToNumStr(u"A\u20AC"), u"004120AC");
  EXPECT_EQ(FromNumStr(u"004120AC"), u"A\u20AC");
  EXPECT_EQ(FromNumStr(u"0041zzzz00420"), u"AB");
  const String all{Char(0), Char(0xFF), Char(0xFFFF), Char(0xD800), u'x'};
  EXPECT_EQ(FromNumStr(ToNumStr(all)), all);
}

TEST(My_string_functions_numbersText, WeightsAndChecksums) {
  EXPECT_EQ(ValueOfFirstChars(u""), 0u);
  EXPECT_EQ(ValueOfFirstChars(u"A"), 65000u);
  EXPECT_EQ(ValueOfFirstChars(u"ABCD"), 65000u + 660u + 134u + 68u);
  EXPECT_EQ(CheckSumOfABufferful(static_cast<const Char*>(nullptr)), 0u);
  EXPECT_EQ(CheckSumOfABufferful(u"AB"), 131u);
  EXPECT_EQ(CheckSumOfABufferful(std::vector<Char>{u'A', 0, u'B'}), 65u);
  EXPECT_EQ(CheckSumOfABufferful(std::vector<Char>{u'A', u'B'}), 131u);  // no terminator: stops at the end
  // The sum wraps at 32 bits.
  const std::vector<Char> big(70000, 0xFFFF);
  EXPECT_EQ(CheckSumOfABufferful(big), static_cast<Cardinal>(70000ull * 0xFFFF));
}

TEST(My_string_functions_numbersText, NumbersInsideText) {
  EXPECT_EQ(IntegerInsideSquareBrackets(u"file[12].txt"), 12);
  EXPECT_EQ(IntegerInsideSquareBrackets(u"[12]"), 12);
  EXPECT_EQ(IntegerInsideSquareBrackets(u"[12"), 1);  // the last character never belongs to it
  EXPECT_EQ(IntegerInsideSquareBrackets(u"none"), 0);
  // No digits, or too many, are no number rather than an error.
  EXPECT_EQ(IntegerInsideSquareBrackets(u"a[]"), 0);
  EXPECT_EQ(IntegerInsideSquareBrackets(u"a[x1]"), 0);
  EXPECT_EQ(IntegerInsideSquareBrackets(u"["), 0);
  EXPECT_EQ(IntegerInsideSquareBrackets(u"[99999999999]"), 0);
  EXPECT_EQ(PositionOfNumberInString(u"ab3c4", 1), 3);
  EXPECT_EQ(PositionOfNumberInString(u"ab3c4", 4), 5);
  EXPECT_EQ(PositionOfNumberInString(u"ab3c4", -7), 3);
  EXPECT_EQ(PositionOfNumberInString(u"ab3c4", 6), -1);
  EXPECT_EQ(PositionOfNumberInString(u"abc", 1), -1);
  EXPECT_EQ(ValueString(u"a=b=c"), u"b=c");
  EXPECT_EQ(ValueString(u"abc"), u"");
}

TEST(My_string_functions_numbersText, BadgesAndPasswords) {
  EXPECT_EQ(BadgeString(7), u"\u25E6");
  EXPECT_EQ(BadgeString(8), u"\u2713");
  EXPECT_EQ(PassWordFormatted(u"ab.cd", 2), u"**.cd");
  EXPECT_EQ(PassWordFormatted(u"abc", 5), u"abc");
  EXPECT_EQ(PassWordFormatted(u"abc", -2), u"***");
  EXPECT_EQ(PassWordFormatted(u"", 0), u"");
}

TEST(My_string_functions_numbersLabels, ConcordanceSpans) {
  EXPECT_EQ(ConcordanceSpanStr(span_L50), u"L50");
  EXPECT_EQ(ConcordanceSpanStr(span_L01), u"L1");
  EXPECT_EQ(ConcordanceSpanStr(span_Centre), u"Centre");
  EXPECT_EQ(ConcordanceSpanStr(span_R01), u"R1");
  EXPECT_EQ(ConcordanceSpanStr(span_R50), u"R50");
  EXPECT_EQ(ConcordanceSpanStr(span_R51), u"Centre");
  EXPECT_EQ(ConcordanceSpanStr(static_cast<TConcordance_span>(200)), u"Centre");
}

TEST(My_string_functions_numbersLabels, ViewsAndCases) {
  EXPECT_EQ(FilenameView_strs(fnv_full_path), u"full path");
  EXPECT_EQ(FilenameView_strs(fnv_no_path), u"no path");
  EXPECT_EQ(FilenameView_strs(fnv_1_folder), u"last folder");
  EXPECT_EQ(FilenameView_strs(fnv_2_folders), u"last 2 folders");
  EXPECT_EQ(OutputConvertedStr(as_it_comes_output, u"MiXed"), u"MiXed");
  EXPECT_EQ(OutputConvertedStr(upper_case_output, u"straße é"), u"STRAßE É");
  EXPECT_EQ(OutputConvertedStr(lower_case_output, u"ÉCOLE"), u"école");
  EXPECT_EQ(OutputConvertedStr(title_case_output, u"the CAT sat"), u"The Cat Sat");
  std::vector<TStringTag> tags{{u"word", u"<n>", 3}};
  OutputConvertStringTagArray(upper_case_output, tags);
  EXPECT_EQ(tags[0].wrd, u"WORD");
  EXPECT_EQ(tags[0].tag, u"<N>");
  EXPECT_EQ(tags[0].tagnum_2B, 3);
}

TEST(My_string_functions_numbersLabels, TitleCase) {
  EXPECT_EQ(TitleCasedString(u"HELLO  big world", false), u"Hello  Big World");
  EXPECT_EQ(TitleCasedString(u"HELLO  big world", true), u"Hello  big world");
  EXPECT_EQ(TitleCasedString(u"(word) o'neil", false), u"(word) O'neil");
  EXPECT_EQ(TitleCasedString(u"  12 abc", true), u"  12 Abc");
  EXPECT_EQ(TitleCasedString(u"a b", false), u"A B");
  EXPECT_EQ(TitleCasedString(u"ab ", false), u"Ab ");
  EXPECT_EQ(TitleCasedString(u"", false), u"");
  EXPECT_EQ(TitleCasedString(u"...", false), u"...");
  EXPECT_EQ(TitleCasedString(u"élan vital", false), u"Élan Vital");
}

TEST(My_string_functions_numbersLabels, ShortenedTextsAndFolderNames) {
  EXPECT_EQ(FirstXCharactersOfString(u"abcdef", 3, true), u"abc\u2026");
  EXPECT_EQ(FirstXCharactersOfString(u"abcdef", 3, false), u"abc");
  EXPECT_EQ(FirstXCharactersOfString(u"abc", 3, true), u"abc");
  TUTF8Stringlist folders;
  folders.Add(u"/home/me/corpus/");
  folders.Add(u"C:\\texts\\news");
  folders.Add(u"/data/third");
  EXPECT_EQ(FolderNamesAsText(&folders, 1), u"corpus+news");
  EXPECT_EQ(FolderNamesAsText(&folders, 99), u"corpus+news+third");
  EXPECT_EQ(FolderNamesAsText(&folders, -1), u"");
  EXPECT_EQ(FolderNamesAsText(nullptr, 3), u"");
}

}  // namespace
}  // namespace sk
