#include <gtest/gtest.h>

#include "AnalysisTestSupport.h"
#include "analysis/grid_header_listU.h"
#include "core/Qm_specific_consts.h"
#include "services/Monitor_functions.h"

namespace sk {
namespace {

// The raw part of a heading, field by field at the offsets of the stored form.
struct RawHead {
  Byte sortState = 0, alignment = 2, outputCase = 0, span = 0, extraType = 0, typefaces = 0, editable = 0;
  Byte wordwrap = 0, allowCase = 0, numerical = 0, percent = 0, hidden = 0, decimals = 0, columntype = 0;
  Single minimum = 0;
  SmallInt original = 0, width = 0;
  Int32 help = 0, number = 0;
};

TBytes RawHeadBytes(const RawHead& h) {
  ByteBuilder b;
  b.U8(h.sortState).U8(h.alignment).U8(h.outputCase).U8(0);  // 0-3
  b.Zeros(68);                                                 // 4: column_data
  b.U8(h.span).U8(h.extraType).U8(h.typefaces).U8(h.editable); // 72-75
  b.I32(0).I32(0);                                             // 76, 80: colours
  b.U8(0).U8(h.wordwrap).U8(0).U8(0).U8(0).U8(0);              // 84-89
  b.U8(h.allowCase).U8(0).U8(h.numerical).U8(h.percent).U8(h.hidden).U8(0);  // 90-95
  b.F32(h.minimum).U8(0).U8(h.decimals).U8(0).U8(0);           // 96-103
  b.I16(h.original).I16(h.width).I32(h.help).I32(h.number);    // 104-115
  b.Zeros(4).U8(h.columntype).Zeros(3).Zeros(52);              // 116-175
  EXPECT_EQ(b.bytes.size(), 176u);
  return b.bytes;
}

TGrid_head Head(const String& heading, SmallInt original = 0) {
  TGrid_head h{};
  h.heading = heading;
  h.original_column = original;
  return h;
}

TEST(grid_header_listUStream, StandardWordRowGoldenBytes) {
  // Word-list column 1: "Word", text, width 196, case and editable, help 4560.
  const auto set = StandardGridHeaderArray(lt_word_list);
  ASSERT_EQ(set.size(), 9u);
  RawHead raw;
  raw.editable = ed_tanto_faz;
  raw.allowCase = 1;
  raw.original = 1;
  raw.width = 196;
  raw.help = 4560;
  raw.number = 201;
  raw.columntype = ct_string;
  const TBytes expected = ByteBuilder().Append(RawHeadBytes(raw)).Str(u"").Str(u"Word").bytes;

  TGridHeaderHolder holder(set[1]);
  TMemoryStream out;
  ASSERT_TRUE(holder.SaveToStream(&out, nullptr));
  EXPECT_EQ(out.ToBytes(), expected);

  TBytesStream in(expected);
  TBaseGridHeaderList list(lt_word_list);
  list.gh_SentinelRec.gh_version = 2;
  TGridHeaderHolder back;
  ASSERT_TRUE(back.ReadFromStream(&in, &list));
  EXPECT_EQ(GridHeadRawBytes(back.data), GridHeadRawBytes(set[1]));
  EXPECT_EQ(back.data.heading, u"Word");
  EXPECT_EQ(back.data.hint, u"");
}

TEST(grid_header_listUStream, StandardSetGoldenBytes) {
  TGridHeaderList list(lt_plaintext_list);
  for (const auto& h : StandardGridHeaderArray(lt_plaintext_list)) list.AddOne(h);
  RawHead n;
  n.numerical = 1;
  n.width = 48;
  n.number = 2100;
  n.columntype = ct_integer;
  RawHead text;
  text.alignment = aligned_default;
  text.allowCase = 1;
  text.editable = ed_tanto_faz;
  text.original = 1;
  text.width = 336;
  text.help = 2640;
  text.number = 2101;
  text.columntype = ct_string;
  const TBytes expected = ByteBuilder()
                              .I32(2)
                              .I32(6789)
                              .U8(lt_plaintext_list)
                              .I32(2)
                              .Append(RawHeadBytes(n))
                              .Str(u"")
                              .Str(u"N")
                              .Append(RawHeadBytes(text))
                              .Str(u"text")
                              .Str(u"Text")
                              .bytes;
  TMemoryStream out;
  ASSERT_TRUE(list.SaveToStream(&out));
  EXPECT_EQ(out.ToBytes(), expected);

  TBytesStream in(expected);
  TGridHeaderList back(lt_undefined);
  ASSERT_TRUE(back.ReadFromStream(&in));
  EXPECT_EQ(back.flist_type, lt_plaintext_list);
  ASSERT_EQ(back.Count(), 2);
  EXPECT_EQ(back.GetAHeading(1), u"Text");
  EXPECT_EQ(back.GetDatum(1).hint, u"text");
}

TEST(grid_header_listUStream, VersionRaisedToTwoOnSaving) {
  TBaseGridHeaderList list(lt_notes);
  EXPECT_EQ(list.gh_SentinelRec.gh_version, 1);
  TMemoryStream out;
  ASSERT_TRUE(list.SaveToStream(&out));
  EXPECT_EQ(list.gh_SentinelRec.gh_version, 2);
  EXPECT_EQ(out.ToBytes(), ByteBuilder().I32(2).I32(6789).U8(lt_notes).I32(0).bytes);
}

TEST(grid_header_listUStream, RefusedStreamsAppendNothing) {
  struct Case {
    const char* what;
    TBytes bytes;
  } cases[] = {
      {"sentinel 6788", ByteBuilder().I32(2).I32(6788).U8(1).I32(0).bytes},
      {"kind byte past the kinds", ByteBuilder().I32(2).I32(6789).U8(TQuillmarkList_Count).I32(1).bytes},
      {"negative count", ByteBuilder().I32(2).I32(6789).U8(1).I32(-1).bytes},
      {"count above 32767", ByteBuilder().I32(2).I32(6789).U8(1).I32(32768).bytes},
      {"no count", ByteBuilder().I32(2).I32(6789).U8(1).bytes},
      {"empty", TBytes{}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TBaseGridHeaderList list(lt_concordance_list);
    list.AddOne(Head(u"old"));
    TBytesStream in(c.bytes);
    EXPECT_FALSE(list.ReadFromStream(&in));
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.flist_type, lt_concordance_list);
  }
}

TEST(grid_header_listUStream, ShortHeadingLeavesLaterOnesBlank) {
  TBaseGridHeaderList list(lt_word_list);
  list.AddOne(Head(u"first", 0));
  list.AddOne(Head(u"second", 1));
  list.AddOne(Head(u"third", 2));
  TMemoryStream out;
  ASSERT_TRUE(list.SaveToStream(&out));
  TBytes bytes = out.ToBytes();
  // Cut inside the second heading's raw bytes.
  const size_t firstEnd = 13 + 176 + 4 + 4 + 10;
  bytes.resize(firstEnd + 100);
  TBytesStream in(bytes);
  TBaseGridHeaderList back(lt_word_list);
  EXPECT_FALSE(back.ReadFromStream(&in));
  ASSERT_EQ(back.Count(), 3);
  EXPECT_EQ(back.GetAHeading(0), u"first");
  EXPECT_EQ(back.GetAHeading(2), u"");
  EXPECT_EQ(back.GetDatum(2).original_column, 0);
}

TEST(grid_header_listUStream, HeadingThatFailsToWriteMakesTheWriteFalse) {
  TBaseGridHeaderList list(lt_word_list);
  list.AddOne(Head(u"a"));
  list.AddOne(Head(u"b"));
  LimitedWriteStream cutInHeadings(13 + 176 + 20);
  EXPECT_FALSE(list.SaveToStream(&cutInHeadings));
  LimitedWriteStream cutInFront(6);
  EXPECT_FALSE(list.SaveToStream(&cutInFront));
  EXPECT_EQ(cutInFront.Size(), 6);
}

TEST(grid_header_listUStream, VersionOneHeadingsGetTheirColumnTypes) {
  struct Case {
    const char16_t* heading;
    bool numerical;
    Byte decimals;
    TColumnType before;
    TColumnType after;
    bool percent;
  } cases[] = {
      {u"Freq.", true, 2, ct_integer, ct_float, false},
      {u"%", true, 0, ct_integer, ct_integer, true},
      {u"Date", false, 0, ct_integer, ct_date, false},
      {u"date", false, 0, ct_integer, ct_string, false},
      {u"Word", false, 0, ct_other, ct_other, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(StringToUtf8(c.heading));
    TGrid_head h = Head(c.heading);
    h.numerical = c.numerical;
    h.decimals = c.decimals;
    h.columntype = c.before;
    ByteBuilder b;
    b.I32(1).I32(6789).U8(lt_word_list).I32(1);
    const auto raw = GridHeadRawBytes(h);
    b.Append(TBytes(raw.begin(), raw.end())).Str(u"").Str(c.heading);
    TBytesStream in(b.bytes);
    TBaseGridHeaderList list(lt_word_list);
    ASSERT_TRUE(list.ReadFromStream(&in));
    EXPECT_EQ(list.GetDatum(0).columntype, c.after);
    EXPECT_EQ(list.GetDatum(0).percent_data != 0, c.percent);
  }
}

TEST(grid_header_listUAccessors, ToleratedIndexesGiveTheirFixedValues) {
  TBaseGridHeaderList list(lt_word_list);
  list.AddOne(Head(u"N"));
  for (Int32 bad : {-1, 1, 1000}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(list.GetAlignment(bad), aligned_right);
    EXPECT_EQ(list.GetPixelSize(bad), CurrentPPI());
    EXPECT_EQ(list.OriginalColumnNumber(bad), -1);
    EXPECT_EQ(list.GetColumnName(bad), u"");
    EXPECT_FALSE(list.GetANumerical(bad));
    EXPECT_FALSE(list.GetHidden(bad));
    EXPECT_EQ(list.GetDatumShowAsPercentColour(bad), 0);
    const TGrid_head zero = list.GetDatum(bad);
    EXPECT_EQ(GridHeadRawBytes(zero), GridHeadRawBytes(TGrid_head_fixed{}));
    list.SetColumnName(bad, u"x");
    list.SetHidden(bad, true);
  }
  EXPECT_EQ(list.GetColumnName(0), u"N");
  EXPECT_FALSE(list.GetHidden(0));
}

TEST(grid_header_listUAccessors, CheckedIndexesRaiseTheirAssertion) {
  TBaseGridHeaderList list(lt_word_list);
  for (int i = 0; i < 5; ++i) list.AddOne(Head(u"h"));
  struct Case {
    const char* what;
    std::function<void()> call;
    int line;
  } cases[] = {
      {"GetAHeading", [&] { (void)list.GetAHeading(5); }, 541},
      {"SetAHeading", [&] { list.SetAHeading(5, u"x"); }, 548},
      {"GetPreviousDecimals", [&] { (void)list.GetPreviousDecimals(5); }, 555},
      {"SetDecimals", [&] { list.SetDecimals(5, 1); }, 592},
      {"GetOutputCase", [&] { (void)list.GetOutputCase(5); }, 614},
      {"SetHasSortedThisRun", [&] { list.SetHasSortedThisRun(5, true); }, 638},
      {"SetColumnData", [&] { list.SetColumnData(5, {}); }, 653},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      c.call();
      ADD_FAILURE() << "no assertion";
    } catch (const EAssertionFailed& e) {
      EXPECT_EQ(e.Message(),
                u"header index 5 (Count = 5) (grid_header_listU, line " + IntToStr(c.line) + u")");
    }
  }
  EXPECT_THROW((void)list.GetAHeading(-1), EAssertionFailed);
}

TEST(grid_header_listUList, WholeListOperations) {
  TBaseGridHeaderList list(lt_word_list);
  list.AddOne(Head(u"N", 7));
  list.AddOne(Head(u"Word", 9));
  list.AddOne(Head(u"Freq.", 4));
  list.SetHidden(2, true);
  EXPECT_EQ(list.IndexOfHeader(u"WORD"), 1);
  EXPECT_EQ(list.IndexOfHeader(u"Lemmas"), -1);
  EXPECT_EQ(list.CurrentColumnNumber(4), 2);
  EXPECT_EQ(list.LastVisibleColumn(), 1);
  EXPECT_EQ(list.VisibleColumnCount(), 2);
  list.SetMainSortColumn(1, b3_verdadeiro);
  EXPECT_EQ(list.GetDatum(0).SortStateAscending, b3_undefined);
  EXPECT_EQ(list.GetDatum(1).SortStateAscending, b3_verdadeiro);
  EXPECT_EQ(list.GetDatum(2).SortStateAscending, b3_undefined);
  list.ForceSequentialOriginalColumns();
  EXPECT_EQ(list.OriginalColumnNumber(2), 2);
  list.SetListType(lt_word_list);
  EXPECT_EQ(list.Count(), 3);
  list.SetListType(lt_keyword_list);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_THROW(list.Delete(0), EListError);
  EXPECT_THROW(list.InsertOne(1, Head(u"x")), EListError);
}

TEST(grid_header_listUList, CopyFromTakesHeadingsAndKindOnly) {
  TBaseGridHeaderList a(lt_collocate_list);
  a.AddOne(Head(u"x"));
  a.custom_list_read = true;
  a.gh_SentinelRec.gh_version = 7;
  TBaseGridHeaderList b(lt_word_list);
  b.CopyFrom(a);
  EXPECT_EQ(b.Count(), 1);
  EXPECT_EQ(b.flist_type, lt_collocate_list);
  EXPECT_FALSE(b.custom_list_read);
  EXPECT_EQ(b.gh_SentinelRec.gh_version, 1);
  b.CopyFrom(b);
  EXPECT_EQ(b.Count(), 1);
}

TEST(grid_header_listUList, CurrentHeadersList) {
  TBaseGridHeaderList only(lt_word_list);
  only.AddOne(Head(u"N"));
  only.AddOne(Head(u"hidden"));
  only.SetHidden(1, true);
  EXPECT_EQ(only.CurrentHeadersList()->Count(), 0);

  TBaseGridHeaderList list(lt_concordance_list);
  list.AddOne(Head(u"N", 0));
  TGrid_head conc = Head(u"Concordance", 1);
  conc.alignment = aligned_conc;
  list.AddOne(conc);
  list.AddOne(Head(u"hidden", 2));
  list.SetHidden(2, true);
  TGrid_head num = Head(u"Sent. #", 4);
  num.numerical = 1;
  list.AddOne(num);
  const auto info = list.CurrentHeadersList();
  ASSERT_EQ(info->Count(), 2);
  EXPECT_EQ(info->Get(0), u"Concordance");
  EXPECT_TRUE(info->GetAHeaderInfo(0).concordance_data);
  EXPECT_EQ(info->GetAHeaderInfo(0).columntype, ct_string);
  EXPECT_EQ(info->GetAHeaderInfo(0).data_index, 1);
  EXPECT_EQ(info->GetAHeaderInfo(1).columntype, ct_float);
  EXPECT_EQ(info->GetAHeaderInfo(1).original_Col_num, 4);
  EXPECT_EQ(info->GetAHeaderInfo(1).data_index, 3);
  EXPECT_EQ(info->GetAHeaderInfo(2).data_index, 0);
}

TEST(grid_header_listUList, WarnShowsTheTitleOverTheWordWarning) {
  RecordingMessageBoxForAnalysis box;
  TBaseGridHeaderList::Warn(u"x.dat is faulty");
  ASSERT_EQ(box.boxes.size(), 1u);
  EXPECT_EQ(box.boxes[0].caption, u"x.dat is faulty");
  EXPECT_EQ(box.boxes[0].text, u"Warning");
  EXPECT_EQ(box.boxes[0].flags & MB_ICONMASK, MB_ICONEXCLAMATION);
}

}  // namespace
}  // namespace sk
