// Tab fields, field comparers, line lists, splitting, trimming, repeated
// passages, the custom line sort, the progress-reporting list and line breaks
// in running text.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "TestSupport.h"
#include "core/Global_vars.h"
#include "core/My_string_functions_tabfields.h"
#include "core/Useful_classes_base_stringlists.h"
#include "platform/runtime/DateUtils.h"
#include "platform/runtime/Strings.h"

namespace sk {
namespace {

void Fill(TStrings& list, std::initializer_list<const char16_t*> lines) {
  list.Clear();
  for (const char16_t* s : lines) list.Add(s);
}

// Restores the hand-over variables and the date format settings after a test.
class My_string_functions_tabfieldsSort : public ::testing::Test {
 protected:
  void SetUp() override { savedFormat_ = Global_StringToDateTimeFormat; }
  void TearDown() override { Global_StringToDateTimeFormat = savedFormat_; }
  ScopedHandOverVariables handOver_;
  TFormatSettings savedFormat_;
};

TEST(My_string_functions_tabfieldsFields, FieldsBeforeBetweenAndAfterTabs) {
  const String line = u"name\tfirst\tsecond";
  EXPECT_EQ(PreTabPart(line), u"name");
  EXPECT_EQ(AfterTabPart(line, 1), u"first");
  EXPECT_EQ(AfterTabPart(line, 2), u"second");
  EXPECT_EQ(AfterTabPart(line, 3), u"");
  EXPECT_EQ(AfterTabPart(line, 0), u"");
  EXPECT_EQ(AfterTabPart(u"a\t\tc", 1), u"");
  EXPECT_EQ(AfterTabPart(u"a\t\tc", 2), u"c");
  EXPECT_EQ(AfterTabPart(u"a\t", 1), u"");
  EXPECT_EQ(PreTabPart(u"no tab"), u"");
  EXPECT_EQ(PreXCharOf(u'=', u"k=v=w"), u"k");
  EXPECT_EQ(AfterXCharOf(u'=', u"k=v=w"), u"v=w");
  EXPECT_EQ(AfterXCharOf(u'=', u"kv"), u"");
  EXPECT_EQ(AddWithTab(u"a", u"b"), u"a\tb");
  EXPECT_EQ(AddWithTab(u"", u"b"), u"b");
  EXPECT_EQ(AddWithTab(u"a", u""), u"a\t");
}

TEST(My_string_functions_tabfieldsFields, NumbersDatesAndFileNamesInFields) {
  EXPECT_FLOAT_EQ(AfterTabFloatOf(u"x\t2.5", 1), 2.5f);
  EXPECT_FLOAT_EQ(AfterTabFloatOf(u"x\tabc", 1), -1.0f);
  EXPECT_FLOAT_EQ(AfterTabFloatOf(u"x", 1), -1.0f);
  EXPECT_EQ(AfterTabIntegerOf(u"x\t12 files", 1), 12);
  EXPECT_EQ(AfterTabIntegerOf(u"x\t-7", 1), -7);
  EXPECT_EQ(AfterTabIntegerOf(u"x\tnone", 1), -1);
  EXPECT_EQ(AfterTabIntegerOf(u"x\t99999999999", 1), -1);
  const TDateTime before = Now();
  const TDateTime unreadable = AfterTabDateOf(u"x\tnot a date", 1);
  EXPECT_GE(unreadable, before);
  EXPECT_LE(unreadable, Now());

  EXPECT_EQ(PreTabFilenameOf(u"C:\\texts\\a.txt\t12"), u"a.txt");
  EXPECT_EQ(PreTabFilenameOf(u"/home/u/b.txt\t12"), u"b.txt");
  EXPECT_EQ(PreTabPathAndFilenameOf(u"/home/u/b.txt\t12"), u"/home/u/b.txt");
  EXPECT_EQ(FilenameInTabbedString(u"12\tC:\\t\\a.txt\tx"), u"C:\\t\\a.txt");
  EXPECT_EQ(FilenameInTabbedString(u"1.5\t\\\\server\\a.txt"), u"\\\\server\\a.txt");
  EXPECT_EQ(FilenameInTabbedString(u"1.5\t/home/u/a.txt"), u"/home/u/a.txt");
  EXPECT_EQ(FilenameInTabbedString(u"1.5\tC:\\folder"), u"");

  TUTF8Stringlist list;
  Fill(list, {u"a.txt\t1", u"b.txt\t2", u"b.txt", u"B.TXT\t3"});
  EXPECT_EQ(IndexOfPreTabFnameOnly(&list, u"b.txt"), 1);
  EXPECT_EQ(IndexOfPreTabFnameOnly(&list, u"B.TXT"), 3);
  EXPECT_EQ(IndexOfPreTabFnameOnly(&list, u"c.txt"), -1);
  EXPECT_EQ(IndexOfPreTabFnameOnly(nullptr, u"a"), -1);

  TStringlistWithALongint counts;
  counts.AddOne(u"a", 1);
  counts.AddOne(u"b", 22);
  EXPECT_EQ(StringListAsStringWithIntegersFormattedAs(&counts, u"=%d;"), u"a=1;b=22;");
}

TEST_F(My_string_functions_tabfieldsSort, TabFieldsAreDescendingWhileTheFlagIsClear) {
  TUTF8Stringlist list;
  Fill(list, {u"1\ta", u"2\tc", u"3\tb"});
  SetSortDescendingAndSort(false, &list, StringListCompareStringsStrAfter1Tab);
  EXPECT_FALSE(global_reversed_sort);
  EXPECT_EQ(Lines(list), (std::vector<String>{u"2\tc", u"3\tb", u"1\ta"}));
  SetSortDescendingAndSort(true, &list, StringListCompareStringsStrAfter1Tab);
  EXPECT_TRUE(global_reversed_sort);
  EXPECT_EQ(Lines(list), (std::vector<String>{u"1\ta", u"3\tb", u"2\tc"}));

  Fill(list, {u"a\tx\t9", u"b\tx\t10", u"c\tx\tnone", u"d\tx\t-3"});
  SetSortDescendingAndSort(false, &list, StringListCompareStringsIntegerAfter2Tabs);
  EXPECT_EQ(Lines(list), (std::vector<String>{u"b\tx\t10", u"a\tx\t9", u"c\tx\tnone", u"d\tx\t-3"}));

  Fill(list, {u"a\t\t\t0.5", u"b\t\t\t2.25", u"c\t\t\t1e1"});
  SetSortDescendingAndSort(true, &list, StringListCompareStringsFloatAfter3Tabs);
  EXPECT_EQ(Lines(list), (std::vector<String>{u"a\t\t\t0.5", u"b\t\t\t2.25", u"c\t\t\t1e1"}));

  Global_StringToDateTimeFormat.DateSeparator = u'/';
  Global_StringToDateTimeFormat.ShortDateFormat = u"yyyy/mm/dd";
  Fill(list, {u"a\t\t\t\t2001/05/01", u"b\t\t\t\t1999/12/31", u"c\t\t\t\t2020/01/02"});
  SetSortDescendingAndSort(true, &list, StringListCompareStringsDateAfter4Tabs);
  EXPECT_EQ(Lines(list)[0], u"b\t\t\t\t1999/12/31");
  EXPECT_EQ(Lines(list)[2], u"c\t\t\t\t2020/01/02");
}

TEST_F(My_string_functions_tabfieldsSort, FileNameComparerHasTheOtherSense) {
  TUTF8Stringlist list;
  Fill(list, {u"/x/b.txt\t1", u"C:\\y\\A.txt\t2", u"/z/c.txt\t3"});
  SetSortDescendingAndSort(false, &list, StringListCompareStringsFilenamePreTab);
  EXPECT_EQ(Lines(list), (std::vector<String>{u"C:\\y\\A.txt\t2", u"/x/b.txt\t1", u"/z/c.txt\t3"}));
  SetSortDescendingAndSort(true, &list, StringListCompareStringsFilenamePreTab);
  EXPECT_EQ(Lines(list), (std::vector<String>{u"/z/c.txt\t3", u"/x/b.txt\t1", u"C:\\y\\A.txt\t2"}));
}

TEST(My_string_functions_tabfieldsLists, FilteringPrefixingAndConverting) {
  TUTF8Stringlist list;
  Fill(list, {u"keep", u"drop me", u"", u"drop too"});
  StringListRemoveLinesMeetingCondition(&list, TLineCondition([](const String& s) { return StartsStr(u"drop", s); }));
  EXPECT_EQ(Lines(list), (std::vector<String>{u"keep", u""}));
  StringListRemoveLinesMeetingCondition(
      &list, TListLineCondition([](TStrings*, const String&, Int32 index) { return index == 0; }));
  EXPECT_EQ(Lines(list), (std::vector<String>{u""}));
  StringListRemoveLinesMeetingCondition(nullptr, TLineCondition([](const String&) { return true; }));

  StringListAddLineWithCharsAtLineStart(&list, u"x", u'>', 2);
  StringListInsertCharsAtLineStart(&list, u' ', 1);
  EXPECT_EQ(Lines(list), (std::vector<String>{u"", u" >>x"}));

  Fill(list, {u"a", u"b", u"c"});
  const auto converted = StringListRemovingAnyLines(&list, [](const String& s) {
    TConvertedStringAnd2BooleansRec r;
    r.chuck = s == u"b";
    r.convert_it = s == u"c";
    r.converted = u"C!";
    return r;
  });
  EXPECT_EQ(Lines(*converted), (std::vector<String>{u"a", u"C!"}));
  EXPECT_EQ(Lines(list).size(), 3u);
}

TEST(My_string_functions_tabfieldsSplit, PiecesKeepEmptyOnesAndJoinLines) {
  EXPECT_EQ(StringToStringArray(u";", u"a;b;", false), (std::vector<String>{u"a", u"b", u""}));
  EXPECT_EQ(StringToStringArray(u";", u"", false), (std::vector<String>{u""}));
  EXPECT_EQ(StringToStringArray(u";", u" a ; b ", true), (std::vector<String>{u"a", u"b"}));
  EXPECT_EQ(StringToStringArray(u";", u" a ; b ", false), (std::vector<String>{u"a ", u" b"}));
  EXPECT_EQ(StringToStringArray(u";", u"a\r\nb", false), (std::vector<String>{u"a", u"b"}));
  EXPECT_EQ(StringToStringArray(u",", u"a,\nb,,c", false), (std::vector<String>{u"a", u"b", u"", u"c"}));
  EXPECT_EQ(StringToStringArray(u"::", u"a::b", false), (std::vector<String>{u"a", u"b"}));
  EXPECT_EQ(StringToStringArray(u"", u"a;b", false), (std::vector<String>{u"a;b"}));
  const auto list = StringToStringlist(u"x|y|", u"|", true);
  EXPECT_EQ(Lines(*list), (std::vector<String>{u"x", u"y", u""}));
}

TEST(My_string_functions_tabfieldsTrim, EmptyRunsShrinkAndChangedLinesGetASpace) {
  TUTF8Stringlist list;
  Fill(list, {u"  a ", u"", u" ", u"\t", u"b", u"", u"c"});
  bool goOn = false;
  TrimAStringlist(&list, true, {}, goOn);
  EXPECT_TRUE(goOn);
  EXPECT_EQ(Lines(list), (std::vector<String>{u"a ", u"", u"b", u"", u"c"}));

  Fill(list, {u"  a ", u"", u" ", u"b", u""});
  TrimAStringlist(&list);
  EXPECT_EQ(Lines(list), (std::vector<String>{u"a ", u"b"}));

  // The progress callback may stop the walk.
  Fill(list, {u" a", u" b", u" c", u" d"});
  std::vector<Int32> percents;
  bool go = true;
  TrimAStringlist(
      &list,
      [&](Int32 percent) {
        percents.push_back(percent);
        if (percent >= 25) go = false;
      },
      go);
  EXPECT_FALSE(go);
  EXPECT_EQ(percents, (std::vector<Int32>{0, 25}));
  EXPECT_EQ(Lines(list), (std::vector<String>{u"a ", u"b ", u" c", u" d"}));
  TrimAStringlist(nullptr);
}

TEST(My_string_functions_tabfieldsRepeats, LongPassagesFoundAgainLater) {
  String passage;
  for (Int32 i = 0; i < 30; ++i) passage += u"abcd";  // 120 characters
  const String other(120, u'x');
  const String text = passage + other + passage + passage;
  const auto none = RepeatedXCharChunks(100, 1, 10, text, {});
  EXPECT_EQ(none->Count(), 0);

  std::vector<Int32> progress;
  const auto found = RepeatedXCharChunks(120, 1, 10, text, [&](Int32 p) { progress.push_back(p); });
  ASSERT_EQ(found->Count(), 1);
  EXPECT_EQ(found->Get(0), passage);
  // The first chunk is found again at 241 and, the text repeating every four
  // characters, at each fourth position up to 361 (31 finds); the third chunk
  // once more at 361.
  EXPECT_EQ(found->GetOne(0).long1, 241);
  EXPECT_EQ(found->GetOne(0).long0, 32);
  EXPECT_EQ(progress.size(), 4u);
  EXPECT_EQ(progress.back(), 100);

  const auto pruned = RepeatedXCharChunks(120, 1000, 10, text, {});
  EXPECT_EQ(pruned->Count(), 1);  // fewer than two passages: not pruned
  EXPECT_EQ(RepeatedXCharChunks(120, 1, 10, u"", {})->Count(), 0);
  EXPECT_EQ(RepeatedXCharChunks(0, 1, 10, text, {})->Count(), 0);
}

// A passage of n letters that never repeats inside itself, different for
// each seed.
String Passage(Int32 n, uint32_t seed) {
  String s;
  for (Int32 i = 0; i < n; ++i) {
    seed = seed * 1103515245u + 12345u;
    s.push_back(static_cast<Char>(u'a' + (seed >> 16) % 26));
  }
  return s;
}

Int32 LineOf(const TStringListWith2LongintRec& list, const String& s) {
  for (Int32 i = 0; i < list.Count(); ++i)
    if (list.Get(i) == s) return i;
  return -1;
}

TEST(My_string_functions_tabfieldsRepeats, CountsStopsAndCaseVariants) {
  const String p = Passage(120, 1);
  const String q = Passage(120, 2);
  // Chunks: p (found again at 121), p, q (found at 361 and 481), q, q.
  const String text = p + p + q + q + q;
  auto found = RepeatedXCharChunks(120, 1, 5, text, {});
  ASSERT_EQ(found->Count(), 2);
  Int32 i = LineOf(*found, p);
  ASSERT_GE(i, 0);
  EXPECT_EQ(found->GetOne(i).long0, 1);
  EXPECT_EQ(found->GetOne(i).long1, 121);
  i = LineOf(*found, q);
  ASSERT_GE(i, 0);
  EXPECT_EQ(found->GetOne(i).long0, 3);  // twice after the first q, once after the second
  EXPECT_EQ(found->GetOne(i).long1, 361);
  // Once one passage is listed and one is found more than once, the search
  // stops: the second q chunk is not looked for.
  found = RepeatedXCharChunks(120, 1, 1, text, {});
  i = LineOf(*found, q);
  ASSERT_GE(i, 0);
  EXPECT_EQ(found->GetOne(i).long0, 2);
  // Passages below the minimum frequency go once there are two or more.
  found = RepeatedXCharChunks(120, 2, 5, text, {});
  ASSERT_EQ(found->Count(), 1);
  EXPECT_EQ(found->Get(0), q);

  // Trimmed chunks: blanks at the ends are not part of the passage, and a
  // chunk that trims to 100 characters or fewer is not looked for.
  const String padded = u"  " + Passage(118, 3);
  found = RepeatedXCharChunks(120, 1, 5, padded + String(120, u' ') + padded + u"\r\n" + padded, {});
  ASSERT_EQ(found->Count(), 1);
  EXPECT_EQ(found->Get(0), Passage(118, 3));
  EXPECT_EQ(found->GetOne(0).long0, 3);  // twice after the first chunk, once after the third
  EXPECT_EQ(found->GetOne(0).long1, 243);

  // Passages that differ only in case are different passages.
  const String upper = UpperCase(p);
  found = RepeatedXCharChunks(120, 1, 5, p + upper + p + upper + upper, {});
  ASSERT_EQ(found->Count(), 2);
  EXPECT_EQ(found->GetOne(LineOf(*found, p)).long0, 1);
  EXPECT_EQ(found->GetOne(LineOf(*found, upper)).long0, 3);

  // Overlapping finds all count: a text of one letter repeats every chunk at
  // every later position.
  found = RepeatedXCharChunks(150, 1, 5, String(600, u'z'), {});
  ASSERT_EQ(found->Count(), 1);
  EXPECT_EQ(found->GetOne(0).long1, 151);
  // From 151, 301 and 451: 301 + 151 + 1 windows of 150 characters.
  EXPECT_EQ(found->GetOne(0).long0, 453);
}

TEST(My_string_functions_tabfieldsLists, LinesTakenOutKeepTheirObjects) {
  TStringlistWithALongint list;
  for (Int32 i = 0; i < 10; ++i) list.AddOne(i % 3 == 0 ? u"" : u" x" + IntToStr(i), i);
  StringListRemoveLinesMeetingCondition(&list, TLineCondition([](const String& s) { return s.empty(); }));
  ASSERT_EQ(list.Count(), 6);
  for (Int32 i = 0; i < list.Count(); ++i) EXPECT_EQ(u" x" + IntToStr(list.GetOne(i)), list.Get(i));

  // Trimming keeps the numbers with their lines too.
  list.Clear();
  for (Int32 i = 0; i < 10; ++i) list.AddOne(i % 2 == 0 ? u" " : u" y" + IntToStr(i), i);
  TrimAStringlist(&list);
  ASSERT_EQ(list.Count(), 5);
  for (Int32 i = 0; i < list.Count(); ++i) EXPECT_EQ(u"y" + IntToStr(list.GetOne(i)) + u" ", list.Get(i));

  // A condition that fails part way leaves the lines it judged taken out
  // (from the last line backwards) and the rest as they were.
  TUTF8Stringlist lines;
  Fill(lines, {u"a", u"boom", u"c", u"drop", u"e", u"drop"});
  EXPECT_THROW(StringListRemoveLinesMeetingCondition(&lines, TLineCondition([](const String& s) {
                                                       if (s == u"boom") throw EConvertError(u"boom");
                                                       return s == u"drop";
                                                     })),
               EConvertError);
  EXPECT_EQ(Lines(lines), (std::vector<String>{u"a", u"boom", u"c", u"e"}));

  // A walk stopped by the progress callback takes out what it passed and
  // keeps the rest.
  Fill(lines, {u"", u" a", u"", u"", u"b", u""});
  bool go = true;
  std::vector<Int32> percents;
  TrimAStringlist(
      &lines,
      [&](Int32 percent) {
        percents.push_back(percent);
        if (percents.size() == 3) go = false;
      },
      go);
  EXPECT_EQ(Lines(lines), (std::vector<String>{u"a ", u"", u"b", u""}));
  // Index 0 of 6, index 0 of 5, index 1 of 5 lines.
  EXPECT_EQ(percents, (std::vector<Int32>{0, 0, 20}));
}

TEST(My_string_functions_tabfieldsCustomSort, KeysOrderTheLines) {
  const auto keys = CustomSortPreparedStringlist(u"b, , ab ,c");
  ASSERT_EQ(keys->Count(), 3);
  EXPECT_EQ(keys->Get(0), u"ab");
  EXPECT_EQ(keys->GetOne(0), 1);
  EXPECT_EQ(keys->Get(1), u"b");
  EXPECT_EQ(keys->GetOne(1), 0);
  EXPECT_EQ(keys->Get(2), u"c");
  EXPECT_EQ(keys->GetOne(2), 2);

  EXPECT_EQ(NormalisedLineForCustomSort(u"b-c", keys.get()), u"@-B");
  // "ab" is replaced as a whole; its "b" is not overwritten by the key "b".
  EXPECT_EQ(NormalisedLineForCustomSort(u"abb", keys.get()), u"AA@");
  EXPECT_EQ(NormalisedLineForCustomSort(u"xyz", keys.get()), u"xyz");
  EXPECT_EQ(NormalisedLineForCustomSort(u"", keys.get()), u"");
  EXPECT_EQ(NormalisedLineForCustomSort(u"b", nullptr), u"b");

  TUTF8Stringlist lines;
  Fill(lines, {u"c1", u"ab2", u"b3", u"c0", u"b3"});
  const auto sorted = CustomLinesSorted(&lines, keys.get());
  EXPECT_EQ(Lines(*sorted), (std::vector<String>{u"b3", u"b3", u"ab2", u"c0", u"c1"}));
  EXPECT_EQ(sorted->GetOne(0), 2);
  EXPECT_EQ(sorted->GetOne(1), 4);
  EXPECT_EQ(sorted->GetOne(2), 1);
  EXPECT_EQ(CustomLinesSorted(nullptr, keys.get())->Count(), 0);
}

TEST(My_string_functions_tabfieldsNotify, CountsEvery256LinesAndAtTheEnd) {
  std::vector<Int32> told;
  TNotifyStringlist list([&](Int32 n) { told.push_back(n); });
  String text;
  for (Int32 i = 0; i < 600; ++i) text += (i % 3 == 0 ? u"x\r\n" : i % 3 == 1 ? u"y\n" : u"z\r");
  list.SetText(text);
  EXPECT_EQ(list.Count(), 600);
  EXPECT_EQ(list[1], u"y");
  EXPECT_EQ(told, (std::vector<Int32>{255, 511, 600}));

  told.clear();
  list.SetText(u"");
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(told, (std::vector<Int32>{0}));

  list.SetLineBreak(u"||");
  list.SetText(u"a||b\r\nc||");
  EXPECT_EQ(Lines(list), (std::vector<String>{u"a", u"b\r\nc"}));
  list.SetLineBreak(u"");
  list.SetText(u"a||b");
  EXPECT_EQ(Lines(list), (std::vector<String>{u"a||b"}));
}

// A sorted list takes its lines at once; the list and what it tells are those
// of adding the lines one by one.
TEST(My_string_functions_tabfieldsNotify, SortedLoadMatchesLineByLine) {
  class TOneByOne : public TNotifyStringlist {
   public:
    using TNotifyStringlist::TNotifyStringlist;

   protected:
    bool LoadsSortedTextInBulk() const override { return false; }
  };
  String text;
  for (Int32 i = 0; i < 700; ++i) text += IntToStr((i * 7919) % 263) + (i % 2 == 0 ? u"\r\n" : u"\n");
  for (TDuplicates dup : {dupIgnore, dupAccept, dupError}) {
    SCOPED_TRACE(static_cast<int>(dup));
    std::vector<Int32> toldBulk, toldOne;
    TNotifyStringlist bulk([&](Int32 n) { toldBulk.push_back(n); });
    TOneByOne one([&](Int32 n) { toldOne.push_back(n); });
    bool raisedBulk = false, raisedOne = false;
    for (auto [list, raised] : {std::pair<TNotifyStringlist*, bool*>{&bulk, &raisedBulk}, {&one, &raisedOne}}) {
      list->SetDuplicates(dup);
      list->SetSorted(true);
      list->Add(u"left over");
      try {
        list->SetText(text);
      } catch (const EStringListError&) {
        *raised = true;
      }
    }
    EXPECT_EQ(raisedBulk, raisedOne);
    EXPECT_EQ(Lines(bulk), Lines(one));
    EXPECT_EQ(bulk.Count(), dup == dupAccept ? 700 : dup == dupIgnore ? 263 : bulk.Count());
    if (dup != dupError) {
      EXPECT_EQ(toldBulk, toldOne);
    }
  }
}

TEST(My_string_functions_tabfieldsRunningText, FlowingTextAndLineBreaks) {
  const String line120(120, u'w');
  EXPECT_FALSE(IsFlowingText(line120 + u"\r\nshort"));
  EXPECT_TRUE(IsFlowingText(line120 + u"w\r\nshort"));
  EXPECT_FALSE(IsFlowingText(line120 + line120));  // no CR LF: nothing measured
  // Later lines are measured from the position after the CR, their LF.
  EXPECT_FALSE(IsFlowingText(u"a\r\n" + String(119, u'w') + u"\r\n"));
  EXPECT_TRUE(IsFlowingText(u"a\r\n" + line120 + u"\r\n"));
  EXPECT_EQ(FlowingTextWithLineBreaksHandled(line120 + u"w\r\nx"), line120 + u"w\r\nx");

  EXPECT_EQ(FlowingTextWithLineBreaksHandled(u"one\r\ntwo\r\n\r\nthree"), u"one two\r\n\r\nthree");
  EXPECT_EQ(FlowingTextWithLineBreaksHandled(u"one \r\ntwo"), u"one two");
  EXPECT_EQ(FlowingTextWithLineBreaksHandled(u"a\tb  c"), u"a\tb  c");
  EXPECT_EQ(FlowingTextWithLineBreaksHandled(u"a\r\n\r\n\r\nb"), u"a\r\n\r\nb");
  // The last character is never counted as a following line break.
  EXPECT_EQ(FlowingTextWithLineBreaksHandled(u"end\r\n"), u"end\r\n");
  EXPECT_EQ(FlowingTextWithLineBreaksHandled(u""), u"");

  EXPECT_EQ(RemovedEmptyLinesOf(u"a\r\n  \r\n\t\r\nb \r\nx   \r\nlast  "), u"a\r\n\r\n\r\nb \r\nx   \r\nlast  ");
  EXPECT_EQ(RemovedEmptyLinesOf(u" \r\n"), u"\r\n");
  EXPECT_EQ(StrippedSpacesAtLineStarts(u"  a\r\n  b\r\n\tc\r\n "), u"  a\r\nb\r\n\tc\r\n ");
  EXPECT_EQ(StrippedSpacesAtLineStarts(u"a\r\n   "), u"a\r\n ");
  EXPECT_EQ(StrippedSpacesAtLineStarts(u"a\n  b"), u"a\n  b");
}

}  // namespace
}  // namespace sk
