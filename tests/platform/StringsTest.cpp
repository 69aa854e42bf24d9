#include <gtest/gtest.h>

#include <climits>

#include "platform/runtime/Strings.h"

namespace sk {

TEST(StringsCopy, ClampsIndexAndCountLikeTheRuntime) {
  const String s = u"abcdef";
  EXPECT_EQ(Copy(s, 1, 2), u"ab");
  EXPECT_EQ(Copy(s, 0, 2), u"ab");
  EXPECT_EQ(Copy(s, -5, 3), u"abc");
  EXPECT_EQ(Copy(s, 6, 10), u"f");
  EXPECT_EQ(Copy(s, 7, 1), u"");
  EXPECT_EQ(Copy(s, 3, 0), u"");
  EXPECT_EQ(Copy(s, 3, -1), u"");
  EXPECT_EQ(Copy(s, 2, INT_MAX), u"bcdef");
  EXPECT_EQ(Copy(s, 4), u"def");
  EXPECT_EQ(Copy(String(), 1, 1), u"");
}

TEST(StringsPos, FindsOneBasedAndReportsZeroWhenAbsent) {
  EXPECT_EQ(Pos(u"cd", u"abcdcd"), 3);
  EXPECT_EQ(Pos(u"x", u"abc"), 0);
  EXPECT_EQ(Pos(u"", u"abc"), 0);
  EXPECT_EQ(Pos(u"abcd", u"abc"), 0);
  EXPECT_EQ(PosEx(u"cd", u"abcdcd", 4), 5);
  EXPECT_EQ(PosEx(u"cd", u"abcdcd", 5), 5);
  EXPECT_EQ(PosEx(u"cd", u"abcdcd", 6), 0);
  EXPECT_EQ(PosEx(u"d", u"abcd", 4), 4);
  EXPECT_EQ(PosEx(u"a", u"abc", 0), 0);
  EXPECT_EQ(PosEx(u"a", u"abc", -3), 0);
  EXPECT_EQ(PosEx(u"a", u"abc", 100), 0);
}

TEST(StringsDeleteInsert, OutOfRangeArgumentsAreHarmless) {
  String s = u"abcdef";
  Delete(s, 0, 2);
  EXPECT_EQ(s, u"abcdef");
  Delete(s, 7, 1);
  EXPECT_EQ(s, u"abcdef");
  Delete(s, 2, -1);
  EXPECT_EQ(s, u"abcdef");
  Delete(s, 5, 100);
  EXPECT_EQ(s, u"abcd");
  Delete(s, 2, 2);
  EXPECT_EQ(s, u"ad");

  String t = u"ace";
  Insert(u"b", t, 2);
  EXPECT_EQ(t, u"abce");
  Insert(u"<", t, -4);
  EXPECT_EQ(t, u"<abce");
  Insert(u">", t, 100);
  EXPECT_EQ(t, u"<abce>");
  Insert(u"d", t, 6);
  EXPECT_EQ(t, u"<abced>");
}

TEST(StringsReplace, HonoursFlags) {
  EXPECT_EQ(StringReplace(u"a-b-c", u"-", u"+", 0), u"a+b-c");
  EXPECT_EQ(StringReplace(u"a-b-c", u"-", u"+", rfReplaceAll), u"a+b+c");
  EXPECT_EQ(StringReplace(u"aAa", u"a", u"x", rfReplaceAll), u"xAx");
  EXPECT_EQ(StringReplace(u"aAa", u"a", u"x", rfReplaceAll | rfIgnoreCase), u"xxx");
  EXPECT_EQ(StringReplace(u"abc", u"", u"x", rfReplaceAll), u"abc");
  EXPECT_EQ(StringReplace(u"abc", u"abcd", u"x", rfReplaceAll), u"abc");
  // The replacement is not searched again.
  EXPECT_EQ(StringReplace(u"aaa", u"a", u"aa", rfReplaceAll), u"aaaaaa");
  EXPECT_EQ(StringReplace(u"abab", u"ab", u"", rfReplaceAll), u"");
}

TEST(StringsReplace, IgnoreCaseCoversNonAsciiAndKeepsPositions) {
  EXPECT_EQ(StringReplace(u"\u00C4pfel und \u00E4PFEL", u"\u00E4pfel", u"Birnen",
                          rfReplaceAll | rfIgnoreCase),
            u"Birnen und Birnen");
  EXPECT_EQ(StringReplace(u"\u0394\u03B5\u03BB\u03C4\u03B1", u"\u03B4\u0395", u"x", rfIgnoreCase),
            u"x\u03BB\u03C4\u03B1");
  // U+00DF has a two-letter full upper case; a one-to-one mapping keeps the
  // text's length, so the match after it is cut at the right place.
  EXPECT_EQ(StringReplace(u"\u00DFxy", u"XY", u"!", rfIgnoreCase), u"\u00DF!");
  EXPECT_EQ(StringReplace(u"\uFB01le FILE", u"file", u"doc", rfReplaceAll | rfIgnoreCase),
            u"\uFB01le doc");
}

TEST(StringsTrim, RemovesControlCharactersAndBlanksOnly) {
  const String s = String(u"\t\r\n\x01 a b \x1f") + Char(0);
  EXPECT_EQ(Trim(s), u"a b");
  EXPECT_EQ(TrimLeft(s), String(u"a b \x1f") + Char(0));
  EXPECT_EQ(TrimRight(u"\x02 a \r\n"), u"\x02 a");
  EXPECT_EQ(Trim(u" \t "), u"");
  EXPECT_EQ(Trim(u""), u"");
  // A no-break space is above U+0020 and stays.
  EXPECT_EQ(Trim(u"\u00A0a\u00A0"), u"\u00A0a\u00A0");
}

TEST(StringsCase, AsciiOnlyMappingAndComparison) {
  EXPECT_EQ(UpperCase(u"\u00E4bc"), u"\u00E4BC");
  EXPECT_EQ(LowerCase(u"\u00C4BC"), u"\u00C4bc");
  EXPECT_EQ(UpCase(u'z'), u'Z');
  EXPECT_EQ(UpCase(u'\u00E9'), u'\u00E9');
  EXPECT_TRUE(SameText(u"Hello", u"hELLO"));
  EXPECT_FALSE(SameText(u"Hello", u"Hell"));
  EXPECT_FALSE(SameText(u"\u00E4", u"\u00C4"));
  EXPECT_LT(CompareText(u"abc", u"ABD"), 0);
  EXPECT_LT(CompareText(u"a", u"AB"), 0);
  EXPECT_EQ(CompareText(u"abc", u"ABC"), 0);
  // Letters compare as upper case, so '[' (after 'Z') sorts after 'a'.
  EXPECT_GT(CompareText(u"[", u"a"), 0);
  EXPECT_LT(CompareStr(u"B", u"a"), 0);
  EXPECT_GT(CompareStr(u"ab", u"a"), 0);
  EXPECT_EQ(CompareStr(u"", u""), 0);
}

TEST(StringsStartsEnds, TextFormsIgnoreAsciiCase) {
  EXPECT_TRUE(StartsStr(u"ab", u"abc"));
  EXPECT_FALSE(StartsStr(u"AB", u"abc"));
  EXPECT_TRUE(StartsText(u"AB", u"abc"));
  EXPECT_TRUE(EndsText(u"BC", u"abc"));
  EXPECT_FALSE(EndsStr(u"abcd", u"bcd"));
  EXPECT_TRUE(EndsStr(u"", u"x"));
  EXPECT_TRUE(ContainsText(u"Hello World", u"o w"));
  EXPECT_FALSE(ContainsText(u"Hello", u"hello!"));
  EXPECT_TRUE(ContainsText(u"abc", u""));
  EXPECT_TRUE(ContainsStr(u"abc", u"bc"));
  EXPECT_FALSE(ContainsStr(u"abc", u"BC"));
}

TEST(StringsIntToStr, ExtremesAndHex) {
  EXPECT_EQ(IntToStr(0), u"0");
  EXPECT_EQ(IntToStr(-42), u"-42");
  EXPECT_EQ(IntToStr(INT64_MIN), u"-9223372036854775808");
  EXPECT_EQ(UIntToStr(UINT64_MAX), u"18446744073709551615");
  EXPECT_EQ(IntToHex(255, 4), u"00FF");
  EXPECT_EQ(IntToHex(0xABCDEF, 2), u"ABCDEF");
  EXPECT_EQ(IntToHex(0, 0), u"0");
  EXPECT_EQ(IntToHex(-1, 2), u"FFFFFFFFFFFFFFFF");
}

TEST(StringsStrToInt, AcceptsSignsBlanksAndHexPrefixes) {
  Int32 v = 0;
  EXPECT_TRUE(TryStrToInt(u"$FF", v));
  EXPECT_EQ(v, 255);
  EXPECT_TRUE(TryStrToInt(u"0x1f", v));
  EXPECT_EQ(v, 31);
  EXPECT_TRUE(TryStrToInt(u"x1F", v));
  EXPECT_EQ(v, 31);
  EXPECT_TRUE(TryStrToInt(u"-$10", v));
  EXPECT_EQ(v, -16);
  EXPECT_TRUE(TryStrToInt(u"   42", v));
  EXPECT_EQ(v, 42);
  EXPECT_TRUE(TryStrToInt(u"+7", v));
  EXPECT_EQ(v, 7);
  EXPECT_TRUE(TryStrToInt(u"$FFFFFFFF", v));
  EXPECT_EQ(v, -1);
  EXPECT_TRUE(TryStrToInt(u"0", v));
  EXPECT_EQ(v, 0);
}

TEST(StringsStrToInt, RejectsGarbageAndOverflowWithoutTouchingTheResult) {
  for (const char16_t* bad : {u"", u" ", u"-", u"+", u"$", u"0x", u"42 ", u"4 2", u"1e3", u"1.0",
                              u"abc", u"--1", u"$G", u"2147483648", u"-2147483649",
                              u"$100000000", u"99999999999999999999", u"\u0661\u0662"}) {
    Int32 v = 1234;
    EXPECT_FALSE(TryStrToInt(bad, v)) << StringToUtf8(bad);
    EXPECT_EQ(v, 1234);
  }
  Int32 v;
  EXPECT_TRUE(TryStrToInt(u"2147483647", v));
  EXPECT_EQ(v, INT32_MAX);
  EXPECT_TRUE(TryStrToInt(u"-2147483648", v));
  EXPECT_EQ(v, INT32_MIN);
  EXPECT_EQ(StrToIntDef(u"zz", -9), -9);
  try {
    StrToInt(u"abc");
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), u"'abc' is not a valid integer value");
  }
}

TEST(StringsStrToInt, SixtyFourBitLimits) {
  Int64 v = 0;
  EXPECT_TRUE(TryStrToInt64(u"9223372036854775807", v));
  EXPECT_EQ(v, INT64_MAX);
  EXPECT_TRUE(TryStrToInt64(u"-9223372036854775808", v));
  EXPECT_EQ(v, INT64_MIN);
  EXPECT_FALSE(TryStrToInt64(u"9223372036854775808", v));
  EXPECT_FALSE(TryStrToInt64(u"-9223372036854775809", v));
  EXPECT_TRUE(TryStrToInt64(u"$FFFFFFFFFFFFFFFF", v));
  EXPECT_EQ(v, -1);
  EXPECT_FALSE(TryStrToInt64(u"$1FFFFFFFFFFFFFFFF", v));
  EXPECT_EQ(StrToInt64(u"$100000000"), 4294967296LL);
  EXPECT_EQ(StrToInt64Def(u"", 5), 5);
  EXPECT_THROW(StrToInt64(u"1 "), EConvertError);
}

TEST(StringsQuoting, QuotesAreDoubledAndUndoubled) {
  EXPECT_EQ(QuotedStr(u"it's"), u"'it''s'");
  EXPECT_EQ(QuotedStr(u""), u"''");
  EXPECT_EQ(AnsiQuotedStr(u"say \"hi\"", u'"'), u"\"say \"\"hi\"\"\"");
  EXPECT_EQ(AnsiDequotedStr(u"'it''s'", u'\''), u"it's");
  EXPECT_EQ(AnsiDequotedStr(u"''", u'\''), u"");
  // Not quoted, or not closed: unchanged.
  EXPECT_EQ(AnsiDequotedStr(u"abc", u'\''), u"abc");
  EXPECT_EQ(AnsiDequotedStr(u"'abc", u'\''), u"'abc");
  EXPECT_EQ(AnsiDequotedStr(u"'", u'\''), u"'");
  EXPECT_EQ(AnsiDequotedStr(u"'a'b", u'\''), u"'a'b");
  Int32 i = 3;
  EXPECT_EQ(AnsiExtractQuotedStr(u"x='a''b' rest", i, u'\''), u"a'b");
  EXPECT_EQ(i, 9);
}

TEST(StringsDelimiters, LastDelimiterAndIsDelimiter) {
  EXPECT_EQ(LastDelimiter(u"/\\", u"a/b\\c"), 4);
  EXPECT_EQ(LastDelimiter(u"/", u"abc"), 0);
  EXPECT_EQ(LastDelimiter(u"", u"abc"), 0);
  EXPECT_TRUE(IsDelimiter(u",;", u"a;b", 2));
  EXPECT_FALSE(IsDelimiter(u",;", u"a;b", 1));
  EXPECT_FALSE(IsDelimiter(u",;", u"a;b", 0));
  EXPECT_FALSE(IsDelimiter(u",;", u"a;b", 4));
}

TEST(StringsPieces, LeftRightMidDupeReverse) {
  EXPECT_EQ(LeftStr(u"abc", 5), u"abc");
  EXPECT_EQ(LeftStr(u"abc", -1), u"");
  EXPECT_EQ(RightStr(u"abc", 2), u"bc");
  EXPECT_EQ(RightStr(u"abc", 9), u"abc");
  EXPECT_EQ(RightStr(u"abc", 0), u"");
  EXPECT_EQ(MidStr(u"abcdef", 2, 3), u"bcd");
  EXPECT_EQ(DupeString(u"ab", 3), u"ababab");
  EXPECT_EQ(DupeString(u"ab", -2), u"");
  EXPECT_EQ(ReverseString(u"abc"), u"cba");
  EXPECT_EQ(StringOfChar(u'-', 3), u"---");
  EXPECT_EQ(StringOfChar(u'-', -3), u"");
}

TEST(StringsLineBreaks, EveryFormBecomesCrLf) {
  EXPECT_EQ(AdjustLineBreaks(u"a\nb\rc\r\nd\n\re"), u"a\r\nb\r\nc\r\nd\r\ne");
  EXPECT_EQ(AdjustLineBreaks(u"\n\n"), u"\r\n\r\n");
  EXPECT_EQ(AdjustLineBreaks(u"\r\r\n"), u"\r\n\r\n");
  EXPECT_EQ(AdjustLineBreaks(u"x\r"), u"x\r\n");
}

TEST(StringsBool, TextAndNumbers) {
  EXPECT_EQ(BoolToStr(true), u"-1");
  EXPECT_EQ(BoolToStr(false), u"0");
  EXPECT_EQ(BoolToStr(true, true), u"True");
  bool b = false;
  EXPECT_TRUE(TryStrToBool(u"TRUE", b));
  EXPECT_TRUE(b);
  EXPECT_TRUE(TryStrToBool(u" false ", b));
  EXPECT_FALSE(b);
  EXPECT_TRUE(TryStrToBool(u"-1", b));
  EXPECT_TRUE(b);
  EXPECT_TRUE(TryStrToBool(u"0", b));
  EXPECT_FALSE(b);
  EXPECT_TRUE(TryStrToBool(u"2", b));
  EXPECT_TRUE(b);
  EXPECT_TRUE(TryStrToBool(u"0.0", b));
  EXPECT_FALSE(b);
  EXPECT_TRUE(TryStrToBool(u"1.5", b));
  EXPECT_TRUE(b);
  EXPECT_FALSE(TryStrToBool(u"yes", b));
  EXPECT_FALSE(TryStrToBool(u"", b));
  EXPECT_FALSE(TryStrToBool(u".", b));
  EXPECT_THROW(StrToBool(u"maybe"), EConvertError);
  EXPECT_TRUE(StrToBoolDef(u"maybe", true));
}

TEST(StringsCharInSet, MatchesMembers) {
  EXPECT_TRUE(CharInSet(u',', {u';', u','}));
  EXPECT_FALSE(CharInSet(u'.', {u';', u','}));
  EXPECT_FALSE(CharInSet(u'.', {}));
}

}  // namespace sk
