// Splitting, joining, stripping and replacing.
#include <gtest/gtest.h>
#include <unicode/utf16.h>

#include <memory>
#include <set>
#include <vector>

#include "core/Global_vars.h"
#include "core/My_string_functions_splitting.h"
#include "core/My_string_functions_tabfields.h"
#include "core/Useful_classes_stringlist_sorts.h"
#include "core/Useful_classes_base_stringlists.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/Random.h"
#include "core/CoreTestSupport.h"

namespace sk {
namespace {

std::vector<Int32> Starts(const TStrings& list) {
  std::vector<Int32> r;
  for (Int32 i = 0; i < list.Count(); ++i) r.push_back(StartPositionOfLine(&list, i));
  return r;
}

std::unique_ptr<TUTF8Stringlist> ListOf(std::initializer_list<const char16_t*> lines) {
  auto l = std::make_unique<TUTF8Stringlist>();
  for (auto* s : lines) l->Add(s);
  return l;
}

// ---- joining -----------------------------------------------------------------------

TEST(My_string_functions_splittingJoin, SeparatorOnlyBetweenItems) {
  EXPECT_EQ(AddToListWithSeparatorIfNeeded(u"", u"a", u", "), u"a");
  EXPECT_EQ(AddToListWithSeparatorIfNeeded(u"a", u"b", u", "), u"a, b");
  EXPECT_EQ(AddToListWithSeparatorIfNeeded(u"a", u"", u','), u"a,");
  EXPECT_EQ(BackwardsAddToListWithSeparatorIfNeeded(u"a", u"b", u','), u"b,a");
  EXPECT_EQ(BackwardsAddToListWithSeparatorIfNeeded(u"", u"b", u','), u"b");
}

TEST(My_string_functions_splittingJoin, StringListToStringStopsAtTheMaximum) {
  auto list = ListOf({u"aa", u"", u"bb", u"cc"});
  EXPECT_EQ(StringListToString(u',', list.get(), 0, 5), u"aa,bb etc.");
  EXPECT_EQ(StringListToString(u',', list.get()), u"aa,bb,cc");
  EXPECT_EQ(StringListToString(u',', list.get(), 0, 100), u"aa,bb,cc");
  EXPECT_EQ(StringListToString(u',', list.get(), 0, 8), u"aa,bb,cc");  // reached on the last line: no etc.
  EXPECT_EQ(StringListToString(u',', list.get(), 2, 100), u"bb,cc");
  EXPECT_EQ(StringListToString(u',', list.get(), 9, 100), u"");
  EXPECT_EQ(StringListToString(u',', list.get(), -3, 100), u"aa,bb,cc");
  EXPECT_EQ(StringListToString(u',', nullptr), u"");
}

// ---- splitting -------------------------------------------------------------------------

TEST(My_string_functions_splittingSplit, PiecesKeepEmptiesAndStartPositions) {
  TUTF8Stringlist list;
  EXPECT_EQ(StringToStringlist(u',', u"a,,b", &list), 3);
  EXPECT_EQ(Lines(list), (std::vector<String>{u"a", u"", u"b"}));
  EXPECT_EQ(Starts(list), (std::vector<Int32>{1, 3, 4}));
  EXPECT_EQ(StringToStringlist(u',', u"a,", &list), 2);
  EXPECT_EQ(Lines(list), (std::vector<String>{u"a", u""}));
  EXPECT_EQ(StringToStringlist(u',', u",x", &list), 2);
  EXPECT_EQ(Starts(list), (std::vector<Int32>{1, 2}));
  EXPECT_EQ(StringToStringlist(u',', u"", &list), 0);
  EXPECT_EQ(list.Count(), 0);  // cleared
  EXPECT_EQ(StringToStringlist(u',', u"x", nullptr), 0);
}

TEST(My_string_functions_splittingSplit, ListsThatOwnTheirObjectsGetLinesOnly) {
  TStringlistWithALongint owning;
  owning.AddOne(u"old", 5);
  EXPECT_EQ(StringToStringlist(u' ', u"p q", &owning), 2);
  EXPECT_EQ(Lines(owning), (std::vector<String>{u"p", u"q"}));
  EXPECT_EQ(owning.GetOne(0), 0);
  TStringList plainOwning(true);
  EXPECT_EQ(StringToStringListDoubleQuotesEqualsOneChunk(u',', u"a,b", &plainOwning), 2);
  EXPECT_EQ(plainOwning.Objects(0), nullptr);
}

TEST(My_string_functions_splittingSplit, DoubleQuotesMakeOneChunk) {
  TUTF8Stringlist list;
  EXPECT_EQ(StringToStringListDoubleQuotesEqualsOneChunk(u',', u"\"a\",b", &list), 2);
  EXPECT_EQ(Lines(list), (std::vector<String>{u"a", u"b"}));
  EXPECT_EQ(StringToStringListDoubleQuotesEqualsOneChunk(u',', u"a,\"b", &list), -2);
  EXPECT_EQ(Lines(list), (std::vector<String>{u"a", u"b"}));
  EXPECT_EQ(StringToStringListDoubleQuotesEqualsOneChunk(u',', u"\"a,b\",c", &list), 2);
  EXPECT_EQ(Lines(list), (std::vector<String>{u"a,b", u"c"}));
  EXPECT_EQ(StringToStringListDoubleQuotesEqualsOneChunk(u',', u"\"a\",\"b\"", &list), 2);
  EXPECT_EQ(Lines(list), (std::vector<String>{u"a", u"b"}));
  EXPECT_EQ(StringToStringListDoubleQuotesEqualsOneChunk(u',', u"a,", &list), 2);
  EXPECT_EQ(Lines(list), (std::vector<String>{u"a", u""}));
  EXPECT_EQ(StringToStringListDoubleQuotesEqualsOneChunk(u',', u"", &list), 0);
}

TEST(My_string_functions_splittingSplit, ArrayAndCommaSeparatedPieces) {
  auto src = ListOf({u"a,b", u"", u"c"});
  auto arr = ArrayOfStringlists(src.get(), u',');
  ASSERT_EQ(arr.size(), 2u);
  EXPECT_EQ(Lines(*arr[0]), (std::vector<String>{u"a", u"b"}));
  EXPECT_EQ(Lines(*arr[1]), (std::vector<String>{u"c"}));
  EXPECT_TRUE(ArrayOfStringlists(nullptr, u',').empty());

  YieldCounter yields;
  EXPECT_EQ(Lines(*CommaSeparatedStrings(u"a, b,c ")), (std::vector<String>{u"a", u"b", u"c"}));
  EXPECT_EQ(yields.calls, 0);  // a short loop does not call the host
  // A long one does, by time: at least once, never per piece.
  EXPECT_EQ(CommaSeparatedStrings(LongWordText(150000))->Count(), 3000);
  EXPECT_GE(yields.calls, 1);
  EXPECT_LE(yields.calls, yields.AtMostByTime());
  EXPECT_EQ(Lines(*CommaSeparatedStrings(u"a,")), (std::vector<String>{u"a"}));
  EXPECT_EQ(Lines(*CommaSeparatedStrings(u"a,, b")), (std::vector<String>{u"a", u"", u"b"}));
  EXPECT_EQ(Lines(*CommaSeparatedStrings(u"a, ")), (std::vector<String>{u"a"}));
  EXPECT_EQ(CommaSeparatedStrings(u"")->Count(), 0);
}

TEST(My_string_functions_splittingSplit, HalvesAtAMark) {
  auto h = StringHalvesSplitAtMark(u"key=value=x", u"=");
  EXPECT_EQ(h.first, u"key");
  EXPECT_EQ(h.second, u"value=x");
  h = StringHalvesSplitAtMark(u"novalue", u"=");
  EXPECT_EQ(h.first, u"novalue");
  EXPECT_EQ(h.second, u"");
  h = StringHalvesSplitAtMark(u"a::b", u"::");  // the whole mark is skipped
  EXPECT_EQ(h.first, u"a");
  EXPECT_EQ(h.second, u"b");
  h = StringHalvesSplitAtMark(u"abc", u"");
  EXPECT_EQ(h.first, u"abc");
}

TEST(My_string_functions_splittingLineWidth, BreaksAtSpacesPunctuationOrWidth) {
  EXPECT_EQ(Lines(*StringToStringlistWithLineWidth(u"abc def", 4)), (std::vector<String>{u"abc", u"def"}));
  EXPECT_EQ(Lines(*StringToStringlistWithLineWidth(u"abcdefgh", 4)), (std::vector<String>{u"abcd", u"efgh"}));
  EXPECT_EQ(Lines(*StringToStringlistWithLineWidth(u"ab-cdefg", 5)), (std::vector<String>{u"ab-", u"cdefg"}));
  EXPECT_EQ(Lines(*StringToStringlistWithLineWidth(u"abc", 10)), (std::vector<String>{u"abc"}));
}

// A surrogate pair is one character: no line ends between its halves, a
// pair that is not a letter may end a line when it fits whole, and a pair
// at the start of a line of width 1 makes the line.
TEST(My_string_functions_splittingLineWidth, PairsStayWhole) {
  struct Case {
    const char16_t* text;
    Int32 width;
    std::vector<String> lines;
  } cases[] = {
      {u"ab\U0001F600cd\U0001F600ef", 3, {u"ab", u"\U0001F600c", u"d\U0001F600", u"ef"}},
      {u"ab\U0001F600cd", 4, {u"ab\U0001F600", u"cd"}},  // the emoji ends the line
      {u"ab\U0001D400cd", 4, {u"ab\U0001D400", u"cd"}},  // a letter: the line is the width
      {u"\U0001F600\U0001F600", 1, {u"\U0001F600", u"\U0001F600"}},
      {u"\U0001F600\U0001F600x", 3, {u"\U0001F600", u"\U0001F600x"}},
      {u"x\U0001F600 y", 2, {u"x", u"\U0001F600", u"y"}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Lines(*StringToStringlistWithLineWidth(c.text, c.width)), c.lines) << String(c.text).size() << " " << c.width;
  // Every width over a mixed text: whole pairs, and every character kept.
  const String text = u"x\U0001F600-y\U0001D400\U0001D401 z\U0001F600\U0001F600,w";
  for (Int32 width = 1; width <= 12; ++width) {
    auto lines = StringToStringlistWithLineWidth(text, width);
    String joined;
    for (Int32 i = 0; i < lines->Count(); ++i) {
      const String& line = lines->Strings(i);
      EXPECT_FALSE(!line.empty() && (U16_IS_TRAIL(line.front()) || U16_IS_LEAD(line.back()))) << width << " " << i;
      joined += line;
    }
    String noSpaces = text;
    std::erase(noSpaces, u' ');
    std::erase(joined, u' ');
    EXPECT_EQ(joined, noSpaces) << width;
  }
}

TEST(My_string_functions_splittingLineWidth, NoWidthNeverLoops) {
  EXPECT_EQ(Lines(*StringToStringlistWithLineWidth(u"abc def", 0)), (std::vector<String>{u"abc def"}));
  EXPECT_EQ(Lines(*StringToStringlistWithLineWidth(u"abc def", -5)), (std::vector<String>{u"abc def"}));
  EXPECT_EQ(Lines(*StringToStringlistWithLineWidth(u"abc", 1)), (std::vector<String>{u"a", u"b", u"c"}));
}

TEST(My_string_functions_splittingLineWidth, NoLineIsLongerThanTheWidth) {
  // A mark just past a full line must not be pulled into it.
  EXPECT_EQ(Lines(*StringToStringlistWithLineWidth(u"abcd-efgh", 4)),
            (std::vector<String>{u"abcd", u"-efg", u"h"}));
  const String text = u"The quick-brown fox, jumped over; the extraordinarilylongwordhere and (then) stopped.";
  for (Int32 width = 1; width <= 20; ++width) {
    auto lines = StringToStringlistWithLineWidth(text, width);
    String joined;
    for (Int32 i = 0; i < lines->Count(); ++i) {
      EXPECT_LE(static_cast<Int32>(lines->Strings(i).size()), width) << "width " << width;
      joined += lines->Strings(i);
    }
    // Every character but the breaking spaces is kept, in order.
    String noSpaces;
    for (Char c : text)
      if (c != u' ') noSpaces.push_back(c);
    String joinedNoSpaces;
    for (Char c : joined)
      if (c != u' ') joinedNoSpaces.push_back(c);
    EXPECT_EQ(joinedNoSpaces, noSpaces) << "width " << width;
  }
}

TEST(My_string_functions_splittingSplit, ChunksAtDelimitersAfterNCharacters) {
  EXPECT_EQ(StringInNCharacterChunks(u"aa bb cc dd", u"> ", u" ", 4), u"> aa bb \r\n> cc dd");
  EXPECT_EQ(StringInNCharacterChunks(u"aa bb", u"> ", u"", 1), u"> aa bb");
  EXPECT_EQ(StringInNCharacterChunks(u"a b", u"", u" ", 0), u"a \r\nb");
  EXPECT_EQ(StringInNCharacterChunks(u"", u"#", u" ", 3), u"#");
}

TEST(My_string_functions_splittingSplit, LineSpans) {
  auto spans = CRLF_LRs(u"ab\r\ncd");
  ASSERT_EQ(spans.size(), 2u);
  EXPECT_EQ(spans[0].start, 1);
  EXPECT_EQ(spans[0].finish, 3);
  EXPECT_EQ(spans[1].start, 5);
  EXPECT_EQ(spans[1].finish, 7);
  spans = CRLF_LRs(u"a\r\n\r\nb\r\n");
  ASSERT_EQ(spans.size(), 3u);
  EXPECT_EQ(spans[1].start, 6);
  EXPECT_EQ(spans[1].finish, 7);
  spans = CRLF_LRs(u"abc");
  ASSERT_EQ(spans.size(), 1u);
  EXPECT_EQ(spans[0].start, 1);
  EXPECT_EQ(spans[0].finish, 4);
  spans = CRLF_LRs(u"");
  ASSERT_EQ(spans.size(), 1u);
  EXPECT_EQ(spans[0].finish, 1);
}

TEST(My_string_functions_splittingSplit, LineSpansOfLfAndCrOnlyTextsMatchCrLf) {
  const auto crlf = CRLF_LRs(u"ab\r\ncd\r\n\r\nef");
  for (const String& text : {String(u"ab\ncd\n\nef"), String(u"ab\rcd\r\ref")}) {
    const auto spans = CRLF_LRs(text);
    ASSERT_EQ(spans.size(), 3u);
    EXPECT_EQ(spans[0].start, 1);
    EXPECT_EQ(spans[0].finish, 3);
    EXPECT_EQ(spans[1].start, 4);
    EXPECT_EQ(spans[1].finish, 6);
    EXPECT_EQ(spans[2].start, 8);
    EXPECT_EQ(spans[2].finish, 10);
  }
  ASSERT_EQ(crlf.size(), 3u);
  EXPECT_EQ(crlf[2].start, 11);
}

// Cutting a long text into pieces, joining many lines and sorting them on
// custom keys let the host run at their check points: at least once, never
// per piece (each has 20,000 or more). The platform list's text forms do so
// through the sort check point the library installs.
TEST(My_string_functions_splittingSplit, LongSplitsAndJoinsYield) {
  const TSortCheckPointMaker saved = SetSortCheckPointMaker(&NewLibrarySortCheckPoint);
  const String text = LongWordText(200000);
  TUTF8Stringlist lines;
  for (Int32 i = 0; i < 20000; ++i) lines.Add(u"word " + IntToStr(i % 97) + u",x");
  const auto keys = CustomSortPreparedStringlist(u"x,1,2");
  const std::pair<const char*, std::function<void()>> splits[] = {
      {"StringToStringlist", [&] { TUTF8Stringlist l; StringToStringlist(u' ', text, &l); }},
      {"StringToStringlist (text)", [&] { StringToStringlist(text, u" ", true); }},
      {"StringToStringArray", [&] { StringToStringArray(u",", text, false); }},
      {"StringToStringListDoubleQuotesEqualsOneChunk", [&] { TUTF8Stringlist l; StringToStringListDoubleQuotesEqualsOneChunk(u' ', text, &l); }},
      {"ArrayOfStringlists", [&] { ArrayOfStringlists(&lines, u','); }},
      {"SetCommaText", [&] { TUTF8Stringlist l; l.SetCommaText(text); }},
      {"SetDelimitedText", [&] { TUTF8Stringlist l; l.SetDelimiter(u' '); l.SetDelimitedText(text); }},
      {"CommaText", [&] { lines.CommaText(); }},
      {"Text", [&] { lines.Text(); }},
      {"CustomLinesSorted", [&] { CustomLinesSorted(&lines, keys.get()); }},
  };
  for (const auto& [name, split] : splits) {
    SCOPED_TRACE(name);
    EveryCheckYields everyCheck;
    YieldCounter yields;
    split();
    EXPECT_GE(yields.calls, 1);
    EXPECT_LE(yields.calls, 2000);
  }
  SetSortCheckPointMaker(saved);
}

// ---- stripping -------------------------------------------------------------------------

TEST(My_string_functions_splittingStrip, RunsOfSpacesAndControls) {
  YieldCounter yields;
  EXPECT_EQ(StrippedMultipleSpacesOrBelow(u"a \t\r\n b"), u"a b");
  EXPECT_EQ(yields.calls, 0);
  const String longText = LongWordText(100000);
  EXPECT_EQ(StrippedMultipleSpacesOrBelow(longText), longText);
  EXPECT_GE(yields.calls, 1);
  EXPECT_LE(yields.calls, yields.AtMostByTime());
  EXPECT_EQ(StrippedMultipleSpaces(u"  a   b  "), u" a b ");
  EXPECT_EQ(StrippedMultipleSpaces(u"a\t\tb"), u"a\t\tb");
  EXPECT_EQ(ReplacedCRLF(u"a \r\n b"), u"a   b");
  EXPECT_EQ(ReplacedCRLF(u""), u"");
  EXPECT_EQ(StrippedMultipleLineEnds(u"a\r\n\r\nb"), u"a\rb");
  EXPECT_EQ(StrippedMultipleLineEnds(u"a\r\n"), u"a\r\n");
  EXPECT_EQ(StrippedMultipleLineEnds(u"\r"), u"\r");
}

TEST(My_string_functions_splittingStrip, RemovingCharacters) {
  std::vector<Int32> positions;
  EXPECT_EQ(StrippedOfChar(u"-a-b-", u'-', positions), u"ab");
  EXPECT_EQ(positions, (std::vector<Int32>{1, 3, 5}));
  EXPECT_EQ(StrippedOfChar(u"", u'-', positions), u"");
  EXPECT_TRUE(positions.empty());
  EXPECT_EQ(StrippedOfChar(u"a-b", u'-'), u"ab");
  // A short result of a long text holds room for itself, not for the text.
  const String dashes = String(100000, u'-') + u"ab";
  for (const String& kept : {StrippedOfChar(dashes, u'-'), StrippedOfChars(dashes, u"-"), StrippedMultipleSpaces(String(100000, u' '))})
    EXPECT_LT(kept.capacity(), 1000u) << kept.size();
  EXPECT_EQ(StrippedOfChars(u"a,b;c", u",;"), u"abc");
  EXPECT_EQ(StrippedOfChars(u"h(e)l[l]o{!}", u"()[]{}<>!?"), u"hello");
  EXPECT_EQ(StrippedOfChars(u"abc", u""), u"abc");
  EXPECT_EQ(StrippedOfCommas(u"1,000,000"), u"1000000");
  EXPECT_EQ(RemovedCharStr(u"x\"y\"", u'"'), u"xy");
  EXPECT_EQ(RemovedInitialChar(u"*abc", u'*'), u"abc");
  EXPECT_EQ(RemovedInitialChar(u"a*", u'*'), u"a*");
  EXPECT_EQ(RemovedInitialChar(u"", u'*'), u"");
}

TEST(My_string_functions_splittingStrip, DoubledStrings) {
  EXPECT_EQ(StrippedDoubleStrs(u"x--y", u"-"), u"x-y");
  EXPECT_EQ(StrippedDoubleStrs(u"x---y", u"-"), u"x--y");
  EXPECT_EQ(StrippedDoubleStrs(u"x----y", u"-"), u"x--y");
  EXPECT_EQ(StrippedDoubleStrs(u"a<br><br>b<br>", u"<br>"), u"a<br>b<br>");
  EXPECT_EQ(StrippedDoubleStrs(u"aaaa", u"aa"), u"aa");
  EXPECT_EQ(StrippedDoubleStrs(u"abab", u""), u"abab");
  EXPECT_EQ(StrippedDoubleStrs(u"", u"-"), u"");
  // A long run is handled without rewriting the text at every pair.
  const String dashes(200000, u'-');
  EXPECT_EQ(StrippedDoubleStrs(dashes, u"-").size(), 100000u);
}

TEST(My_string_functions_splittingStrip, SpacesBeforePunctuation) {
  EXPECT_EQ(StrippedSpacesBeforePunctuation(u"Hello , world !"), u"Hello, world!");
  EXPECT_EQ(StrippedSpacesBeforePunctuation(u"a   ."), u"a.");
  EXPECT_EQ(StrippedSpacesBeforePunctuation(u"a \t."), u"a\t.");
  EXPECT_EQ(StrippedSpacesBeforePunctuation(u"a b $5"), u"a b $5");
  EXPECT_EQ(StrippedSpacesBeforePunctuation(u"end  "), u"end  ");
}

TEST(My_string_functions_splittingStrip, TrimmingClearingAndQuoting) {
  EXPECT_EQ(WideTrimSpaceOnly(u"\u00A0 x y\t\u3000"), u"x y");
  EXPECT_EQ(WideTrimSpaceOnly(u" \t "), u"");
  String t = u"a\r\nb\rc\nd\x01";
  EXPECT_EQ(ClearedStringBelowSpace(t), u"a  b c d ");
  ReplaceCRLFWithBlanks(t);
  EXPECT_EQ(t, u"a  b c\nd\x01");
  EXPECT_EQ(ParaDivHeadingEndToCRLF(u"a</P>b</Div>c</HEAD>d</p>"), u"a\r\nb\r\nc\r\nd\r\n");
  EXPECT_EQ(DoubleQuotesAdded(u"  x y "), u"\"x y\"");
  EXPECT_EQ(DoubleQuotesRemoved(u" \"x\" "), u"x");
  EXPECT_EQ(AcceptableShortFilename(u"a:b*c<d>"), u"a-b-c(d)");
  EXPECT_EQ(AcceptableShortFilename(u"a?b|c/d\\e\"f\tg"), u"a b c d e f g");
  EXPECT_EQ(UnderscoredStr(u"a b  c"), u"a_b__c");
  EXPECT_EQ(WithoutDotDefaultExt(u".txt"), u"txt");
  EXPECT_EQ(WithoutDotDefaultExt(u"."), u".");
  EXPECT_EQ(WithoutDotDefaultExt(u"txt"), u"txt");
  EXPECT_EQ(BackwardsStr(u"abc"), u"cba");
  EXPECT_EQ(BackwardsStr(u"a\U0001F600b\U0001D400"), u"\U0001D400b\U0001F600a");  // pairs stay whole
  EXPECT_EQ(BackwardsStr(u"\U0001F600\U0001F601"), u"\U0001F601\U0001F600");
  // Halves out of order are not a pair.
  EXPECT_EQ(BackwardsStr(String{u'a', Char(0xDC00), Char(0xD800), u'b'}), (String{u'b', Char(0xD800), Char(0xDC00), u'a'}));
  EXPECT_EQ(StringWithACheckMarkAtEnd(u"done"), u"done \u2713");
  EXPECT_EQ(StringWithACheckMarkAtEnd(u"done \u2713"), u"done \u2713");
}

// ---- replacing -----------------------------------------------------------------------------

TEST(My_string_functions_splittingReplace, CharacterReplacementsCountAndChain) {
  YieldCounter yields;
  String t = u"a.b.c";
  EXPECT_EQ(Replace1With2In(u'.', u'/', t), 2);
  EXPECT_EQ(t, u"a/b/c");
  EXPECT_EQ(yields.calls, 0);  // ticks per occurrence, yields by time
  String many = LongWordText(100000);
  EXPECT_EQ(Replace1With2In(u' ', u'_', many), 18000);
  EXPECT_GE(yields.calls, 1);
  EXPECT_LE(yields.calls, yields.AtMostByTime());
  AnsiString a = "x-y-z";
  EXPECT_EQ(Replace1With2In('-', '+', a), 2);
  EXPECT_EQ(a, "x+y+z");
  t = u"a,b;c";
  EXPECT_EQ(Replace2With4In(u',', u';', u' ', u' ', t), 2);
  EXPECT_EQ(t, u"a b c");
  EXPECT_EQ(ReplacedCharWithChar(u'a', u'b', u"aXa"), u"bXb");
  EXPECT_EQ(ReplaceAnyOfTheseWithChar(u"a(b)c[d]", u"()[]<>{}!?", u'_'), u"a_b_c_d_");
  String chain = u"abcx";
  ReplaceEachOfTheseWithEachOfChar(chain, u"ab", u"bcz");  // a->b, then every b->c
  EXPECT_EQ(chain, u"cccx");
  String empty;
  ReplaceEachOfTheseWithEachOfChar(empty, u"a", u"b");
  EXPECT_EQ(empty, u"");
}

TEST(My_string_functions_splittingReplace, WholeWordReplacement) {
  Int32 count = 1;
  EXPECT_EQ(ReplaceWholeWord(u"cat catalog Cat", u"cat", u"dog", false, count), u"dog catalog dog");
  EXPECT_EQ(count, 3);  // added to, not reset
  count = 0;
  EXPECT_EQ(ReplaceWholeWord(u"Cat cat", u"cat", u"dog", true, count), u"Cat dog");
  EXPECT_EQ(count, 1);
  count = 0;
  EXPECT_EQ(ReplaceWholeWord(u"a a a", u"a a", u"X", true, count), u"X a");  // overlaps left alone
  EXPECT_EQ(count, 1);
  EXPECT_EQ(ReplaceWholeWord(u"abc", u"", u"X", true, count), u"abc");
  EXPECT_EQ(ReplaceWholeWord(u"x-cat-y", u"cat", u"", true, count), u"x--y");
  // A find followed by a vowel sign is part of a longer word.
  count = 0;
  EXPECT_EQ(ReplaceWholeWord(u"\u0928\u092e\u0938\u094d\u0924\u0947 \u0928\u092e\u0938\u094d\u0924",
                             u"\u0928\u092e\u0938\u094d\u0924", u"X", true, count),
            u"\u0928\u092e\u0938\u094d\u0924\u0947 X");
  EXPECT_EQ(count, 1);
}

// ---- finding regardless of case ----------------------------------------------------------------

TEST(My_string_functions_splittingFind, CaseInsensitivePositions) {
  EXPECT_EQ(CaseInsensitivePos(u"WORLD", u"hello world"), 7);
  EXPECT_EQ(CaseInsensitivePos(u"x", u"hello"), 0);
  EXPECT_EQ(CaseInsensitivePos(u"", u"hello"), 0);
  EXPECT_EQ(CaseInsensitiveUpperedPos(u"LL", u"hello"), 3);
  EXPECT_EQ(CaseInsensitivePosEx(u"o", u"foo boo", 4), 6);
  EXPECT_EQ(CaseInsensitivePosEx(u"o", u"foo", 9), 0);
  EXPECT_EQ(CaseInsensitivePosEx(u"o", u"foo", 0), 0);
  EXPECT_EQ(CaseInsensitivePos(u"\u00C9T\u00C9", u"l'\u00E9t\u00E9"), 3);
  EXPECT_EQ(CaseInsensitivePos(u"\U00010400", u"x\U00010428"), 2);  // a pair maps as one character
}

// ---- characters around a position -----------------------------------------------------------------

TEST(My_string_functions_splittingAround, NextOrLastVisibleCharacter) {
  EXPECT_EQ(NextOrLastNonSpaceChar(1, u"a  b", false), u'b');
  EXPECT_EQ(NextOrLastNonSpaceCharPos(1, u"a  b", false), 4);
  EXPECT_EQ(NextOrLastNonSpaceCharPos(4, u"a  b", true), 1);
  EXPECT_EQ(NextOrLastNonSpaceCharPos(10, u"ab ", true), 2);  // positions beyond the text passed over
  EXPECT_EQ(NextOrLastNonSpaceCharPos(4, u"a  b", false), -1);
  EXPECT_EQ(NextOrLastNonSpaceChar(1, u"a \u00A0", false), Char(0));
  EXPECT_EQ(NextOrLastNonSpaceCharPos(0, u"", true), -1);
}

TEST(My_string_functions_splittingAround, PunctuationAndCaseDecisions) {
  EXPECT_TRUE(NextValidCharIsPunctuation(1, u"  ,x"));
  EXPECT_FALSE(NextValidCharIsPunctuation(1, u"  x,"));
  EXPECT_FALSE(NextValidCharIsPunctuation(1, u"   "));
  EXPECT_FALSE(NextValidCharIsPunctuation(1, u" +"));  // a symbol, not punctuation
  EXPECT_FALSE(LastCharIsNotPunctuation(u"abc."));
  EXPECT_FALSE(LastCharIsNotPunctuation(u"(a) "));
  EXPECT_TRUE(LastCharIsNotPunctuation(u"x $ "));
  EXPECT_TRUE(LastCharIsNotPunctuation(u"a+"));
  EXPECT_FALSE(LastCharIsNotPunctuation(u""));
  EXPECT_FALSE(LastCharIsNotPunctuation(u"+ "));
  EXPECT_EQ(FirstCharIsLowerCase(u"12abc"), Char(0));
  EXPECT_EQ(FirstCharIsLowerCase(u"(abc"), u'a');
  EXPECT_EQ(FirstCharIsLowerCase(u"$abc"), Char(0));
  EXPECT_EQ(FirstCharIsLowerCase(u"..."), Char(0));
  EXPECT_EQ(FirstCharPosAboveSpace(u" \t x"), 4);
  EXPECT_EQ(FirstCharPosAboveSpace(u"  "), -1);
  EXPECT_EQ(FirstCharGuaranteedAs(u"abc", u'*', true, false), u"*abc");
  EXPECT_EQ(FirstCharGuaranteedAs(u"*abc", u'*', true, false), u"*abc");
  EXPECT_EQ(FirstCharGuaranteedAs(u"*abc", u'*', false, true), u"abc");
  EXPECT_EQ(FirstCharGuaranteedAs(u"", u'*', true, false), u"*");
  EXPECT_EQ(FirstCharGuaranteedAs(u"abc", u'*', false, false), u"abc");
}

// ---- similarity ----------------------------------------------------------------------------------

TEST(My_string_functions_splittingSimilar, StringsPresentStopEarly) {
  EXPECT_EQ(NCharStringsPresentInText(u"the cat sat", {u"cat", u"dog", u"sat"}), 2);
  // Five misses in a row: at index 4 the count (0) is below 4 div 4, so "q" is never tried.
  EXPECT_EQ(NCharStringsPresentInText(u"q", {u"z", u"z", u"z", u"z", u"z", u"q"}), 0);
  EXPECT_EQ(NCharStringsPresentInText(u"q", {u"z", u"z", u"z", u"q"}), 1);
  EXPECT_EQ(NCharStringsPresentInText(u"abc", {}), 0);
}

TEST(My_string_functions_splittingSimilar, PiecesAndPrefixes) {
  const std::array<Int32, 5> percents{0, 25, 50, 75, 90};
  EXPECT_TRUE(TextAContainsAnNCharStringFromTextB(percents, 3, u"abcdefghij", u"xxabcxx"));
  EXPECT_TRUE(TextAContainsAnNCharStringFromTextB(percents, 3, u"abcdefghij", u"--hij--"));
  EXPECT_FALSE(TextAContainsAnNCharStringFromTextB(percents, 3, u"abcdefghij", u"zzz"));
  EXPECT_FALSE(TextAContainsAnNCharStringFromTextB(percents, 3, u"", u"abc"));
  EXPECT_TRUE(LeftMostPercentBelowOrMatch(50, u"abcd", u"abzz"));
  EXPECT_FALSE(LeftMostPercentBelowOrMatch(100, u"abcd", u"abzz"));
  EXPECT_TRUE(LeftMostPercentBelowOrMatch(100, u"b", u"a"));  // b sorts before a
  EXPECT_EQ(SimilarShortFilenames(u"a.txt", u"a.txt"), 0);
  EXPECT_EQ(SimilarShortFilenames(u"a.txt", u"b.txt"), 2);
  EXPECT_EQ(SimilarShortFilenames(u"b.txt", u"a.txt"), 3);
  EXPECT_EQ(CompareSimilarShortFilenames(u"a.txt", u"a.txt"), 0);
  EXPECT_EQ(CompareSimilarShortFilenames(u"a.txt", u"b.txt"), -1);
  EXPECT_EQ(CompareSimilarShortFilenames(u"b.txt", u"a.txt"), 1);
}

// ---- code pages and case ----------------------------------------------------------------------------

TEST(My_string_functions_splittingCodePages, ConversionKeepsMultiByteText) {
  EXPECT_EQ(ConvertedFromString(1252, u"caf\u00E9"), "caf\xE9");
  EXPECT_EQ(ConvertedFromString(65001, u"caf\u00E9 \u20AC"), "caf\xC3\xA9 \xE2\x82\xAC");
  EXPECT_EQ(ConvertedFromString(65001, u"\U0001F600"), "\xF0\x9F\x98\x80");
  EXPECT_EQ(ConvertedFromString(1252, nullptr), "");
  EXPECT_EQ(ConvertedFromString(1252, u""), "");
  EXPECT_EQ(ConvertedFromStringForLCID(0x0409, u"\u00E9"), "\xE9");
  EXPECT_EQ(ConvertedFromStringForLCID(0x0419, u"\u0416"), "\xC6");  // Russian: code page 1251
}

TEST(My_string_functions_splittingCodePages, CapitaliseFollowsTheLocale) {
  String buf = u"istanbul";
  Capitalise(0x0409, buf.data());
  EXPECT_EQ(buf, u"ISTANBUL");
  buf = u"istanbul";
  Capitalise(0x041F, buf.data());  // Turkish
  EXPECT_EQ(buf, u"\u0130STANBUL");
  Capitalise(0x0409, nullptr);
}

// ---- list helpers --------------------------------------------------------------------------------------

TEST(My_string_functions_splittingLists, ForceItemsToInclude) {
  auto list = ListOf({u"1", u"3", u"7"});
  ForceItemsToInclude(list.get(), 5);
  EXPECT_EQ(Lines(*list), (std::vector<String>{u"1", u"3", u"5", u"7"}));
  ForceItemsToInclude(list.get(), 9);
  EXPECT_EQ(Lines(*list), (std::vector<String>{u"1", u"3", u"5", u"7", u"9"}));
  ForceItemsToInclude(list.get(), 3);
  EXPECT_EQ(list->Count(), 5);
  ForceItemsToInclude(list.get(), 0);
  EXPECT_EQ(list->Strings(0), u"0");
  auto bad = ListOf({u"1", u"x"});
  EXPECT_THROW(ForceItemsToInclude(bad.get(), 5), EConvertError);
  ForceItemsToInclude(nullptr, 1);
}

TEST(My_string_functions_splittingLists, RandomReduction) {
  TUTF8Stringlist list;
  for (int i = 0; i < 10; ++i) list.Add(IntToStr(i));
  RandomReduceStringlist(&list, 3);
  ASSERT_EQ(list.Count(), 3);
  const std::vector<String> lines = Lines(list);
  std::set<String> kept(lines.begin(), lines.end());
  EXPECT_EQ(kept.size(), 3u);
  for (const String& s : kept) EXPECT_LE(StrToInt(s), 9);
  RandomReduceStringlist(&list, 5);
  EXPECT_EQ(list.Count(), 3);
  RandomReduceStringlist(&list, -1);  // nothing can be below 0: the list empties and stops
  EXPECT_EQ(list.Count(), 0);
}

// The lines kept are those that deleting a line at Random(Count) at a time
// keeps from the same seed, in their order; the objects of the lines that go
// are freed by lists that own them, and those kept stay with their lines.
TEST(My_string_functions_splittingLists, RandomReductionKeepsWhatDeletingOneAtATimeKeeps) {
  struct Counted : TObject {
    explicit Counted(int& alive) : fAlive(alive) { ++fAlive; }
    ~Counted() override { --fAlive; }
    int& fAlive;
  };
  struct Case {
    Int32 lines, keep;
    UInt64 seed;
    bool sorted, owns;
  } cases[] = {
      {1, 0, 1, false, false},    {2, 1, 2, false, false},  {10, 3, 3, false, true},   {10, 9, 4, true, false},
      {100, 1, 5, false, true},   {100, 50, 6, true, true}, {1000, 999, 7, false, false}, {1000, 0, 8, false, true},
      {1037, 400, 9, true, false}, {5000, 17, 10, false, true},
  };
  for (const Case& c : cases) {
    int alive = 0;
    TStringList list(c.owns), byOnes;
    for (Int32 i = 0; i < c.lines; ++i) {
      const String line = Format(u"%.5d", {i});
      list.AddObject(line, c.owns ? new Counted(alive) : nullptr);
      byOnes.Add(line);
    }
    list.SetSorted(c.sorted);
    std::vector<TObject*> objects;
    for (Int32 i = 0; i < list.Count(); ++i) objects.push_back(list.Objects(i));
    RandSeed = c.seed;
    for (Int32 left = byOnes.Count(); left > c.keep; left = byOnes.Count()) byOnes.Delete(Random(left));
    RandSeed = c.seed;
    Int32 changes = 0;
    list.OnChange = [&](TObject*) { ++changes; };
    RandomReduceStringlist(&list, c.keep);
    ASSERT_EQ(Lines(list), Lines(byOnes)) << c.lines << " to " << c.keep;
    EXPECT_EQ(changes, 1);
    if (c.owns) {
      EXPECT_EQ(alive, c.keep);
      for (Int32 i = 0; i < list.Count(); ++i)
        EXPECT_EQ(list.Objects(i), objects[static_cast<size_t>(StrToInt(list[i]))]) << i;
    }
  }
}

}  // namespace
}  // namespace sk
