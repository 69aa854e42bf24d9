#include <gtest/gtest.h>

#include <sys/stat.h>

#include "AnalysisTestSupport.h"
#include "analysis/Base_headingsu.h"
#include "analysis/Headingsu.h"
#include "core/My_string_functions.h"
#include "core/Qm_specific_consts.h"
#include "platform/runtime/Streams.h"
#include "services/Monitor_functions.h"

namespace sk {
namespace {

std::vector<String> Headings(const TBaseGridHeaderList& list) {
  std::vector<String> out;
  for (Int32 i = 0; i < list.Count(); ++i) out.push_back(list.GetColumnName(i));
  return out;
}

TBytes Saved(TGridHeaderList& list) {
  TMemoryStream s;
  EXPECT_TRUE(list.SaveToStream(&s));
  return s.ToBytes();
}

class HeadingsuFiles : public ScratchFolderTest {
 protected:
  HeadingsuFiles() : ScratchFolderTest("sk_headings") {}
  void SetUp() override {
    ScratchFolderTest::SetUp();
    fFolder = std::make_unique<ScopedUserFolder>(Utf8ToString(fDir));
  }
  void TearDown() override {
    fFolder.reset();
    ScratchFolderTest::TearDown();
  }
  std::unique_ptr<ScopedUserFolder> fFolder;
  ScopedRunTimeColumns fColumns{span_Centre, span_Centre, 0};
};

TEST_F(HeadingsuFiles, CollocateRunTimeColumns) {
  ScopedRunTimeColumns spans(span_L05, span_R05, 0);
  TGridHeaderList list(lt_collocate_list);
  list.ReloadAs(lt_collocate_list, false);
  ASSERT_EQ(list.Count(), 30);
  const std::vector<String> all = Headings(list);
  const std::vector<String> tail(all.begin() + 19, all.end());
  EXPECT_EQ(tail, (std::vector<String>{u"L5", u"L4", u"L3", u"L2", u"L1", u"Centre", u"R1", u"R2", u"R3", u"R4",
                                       u"R5"}));
  for (Int32 i = 0; i < 30; ++i) EXPECT_EQ(list.OriginalColumnNumber(i), i);
  EXPECT_EQ(list.GetDatum(19).span, 45);
  EXPECT_EQ(list.GetDatum(24).span, span_Centre);
  EXPECT_EQ(list.GetDatum(29).span, 55);
  EXPECT_EQ(list.GetDatum(20).HelpContext, 2150);
  EXPECT_EQ(list.GetDatum(20).hint, u"click to sort");
  EXPECT_EQ(list.GetDatum(20).allow_case_change, 1);
  EXPECT_EQ(list.StandardNumberOfColumns(), 29);
}

TEST_F(HeadingsuFiles, CollocateCentreOnlyAndConsistencyFiles) {
  TGridHeaderList colloc(lt_collocate_list);
  colloc.ReloadAs(lt_collocate_list, true);
  ASSERT_EQ(colloc.Count(), 20);
  EXPECT_EQ(colloc.GetColumnName(19), u"Centre");
  EXPECT_EQ(colloc.GetDatum(3).timelinerounded, 1);
  EXPECT_EQ(colloc.StandardNumberOfColumns(), 19);

  ScopedRunTimeColumns files(span_Centre, span_Centre, 3);
  TGridHeaderList dc(lt_detailed_consistency_list);
  dc.ReloadAs(lt_detailed_consistency_list, false);
  ASSERT_EQ(dc.Count(), 9);
  EXPECT_EQ(dc.GetColumnName(6), u"1");
  EXPECT_EQ(dc.GetColumnName(8), u"3");
  for (Int32 i = 6; i < 9; ++i) {
    EXPECT_TRUE(dc.GetANumerical(i));
    EXPECT_EQ(dc.GetDatum(i).HelpContext, 2760);
    EXPECT_EQ(dc.GetDatum(i).pixel_width96, CurrentPPI() / 4 * 3);
    EXPECT_EQ(dc.OriginalColumnNumber(i), i);
  }
  EXPECT_EQ(dc.StandardNumberOfColumns(), 9);
}

// A customised set saved and read back over several rounds keeps its
// headings and the user's widths: the run-time columns come from the present
// settings each time, not once more from the file.
TEST_F(HeadingsuFiles, CustomisedRunTimeSetsDoNotGrowOverRounds) {
  struct Case {
    TQuillmarkList kind;
    TConcordance_span left, right;
    Int32 files;
    Int32 count;
  } cases[] = {
      {lt_collocate_list, span_L05, span_R05, 0, 30},
      {lt_collocate_list, span_Centre, span_Centre, 0, 20},
      {lt_detailed_consistency_list, span_Centre, span_Centre, 3, 9},
  };
  for (const Case& c : cases) {
    ScopedRunTimeColumns columns(c.left, c.right, c.files);
    TGridHeaderList list(c.kind);
    list.ReloadAs(c.kind, false);
    list.SetPixelSize(1, 300);
    ASSERT_TRUE(list.SaveAsCustomised(CustomFilename(c.kind)));
    const std::vector<String> first = Headings(list);
    for (int round = 1; round <= 3; ++round) {
      TGridHeaderList back(c.kind);
      back.ReloadAs(c.kind, false);
      EXPECT_TRUE(back.custom_list_read);
      EXPECT_EQ(back.Count(), c.count) << StringToUtf8(ListTypeAsString(c.kind)) << " round " << round;
      EXPECT_EQ(Headings(back), first) << round;
      EXPECT_EQ(back.GetPixelSize(1), 300) << round;
      EXPECT_EQ(back.StandardNumberOfColumns(), c.kind == lt_collocate_list ? c.count - 1 : c.count) << round;
      for (Int32 i = 0; i < back.Count(); ++i) EXPECT_EQ(back.OriginalColumnNumber(i), i) << round;
      ASSERT_TRUE(back.SaveAsCustomised(CustomFilename(c.kind)));
    }
  }
  // A set saved with its run-time columns (as earlier saves did) takes those
  // of the present settings instead: three files then, five now.
  ScopedRunTimeColumns three(span_Centre, span_Centre, 3);
  TGridHeaderList old(lt_detailed_consistency_list);
  old.ReloadAs(lt_detailed_consistency_list, false);
  {
    TFileStream f(CustomFilename(lt_detailed_consistency_list), fmCreate);
    ASSERT_TRUE(old.SaveToStream(&f));
  }
  ScopedRunTimeColumns five(span_Centre, span_Centre, 5);
  TGridHeaderList now(lt_detailed_consistency_list);
  now.ReloadAs(lt_detailed_consistency_list, false);
  EXPECT_TRUE(now.custom_list_read);
  ASSERT_EQ(now.Count(), 11);
  EXPECT_EQ(now.GetColumnName(10), u"5");
  EXPECT_EQ(now.StandardNumberOfColumns(), 11);
}

// More files than the stream can hold columns for: the list stops at its
// limit, every column keeps its own number, and the list reads back.
TEST_F(HeadingsuFiles, ConsistencyColumnsHeldToTheStreamLimit) {
  ScopedRunTimeColumns files(span_Centre, span_Centre, 40000);
  TGridHeaderList dc(lt_detailed_consistency_list);
  dc.ReloadAs(lt_detailed_consistency_list, false);
  ASSERT_EQ(dc.Count(), MaxGridHeadings);
  EXPECT_EQ(dc.StandardNumberOfColumns(), MaxGridHeadings);
  EXPECT_EQ(dc.OriginalColumnNumber(MaxGridHeadings - 1), MaxGridHeadings - 1);
  EXPECT_EQ(dc.CurrentColumnNumber(20000), 20000);
  TMemoryStream s;
  ASSERT_TRUE(dc.SaveToStream(&s));
  s.SetPosition(0);
  TGridHeaderList back(lt_undefined);
  ASSERT_TRUE(back.ReadFromStream(&s));
  EXPECT_EQ(back.Count(), MaxGridHeadings);
}

TEST(Headingsu, StandardSetsOfSpecialKinds) {
  EXPECT_TRUE(StandardGridHeaderArray(lt_undefined).empty());
  const auto notes = StandardGridHeaderArray(lt_notes);
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_EQ(notes[0].heading, u"");
  EXPECT_EQ(GridHeadRawBytes(notes[0]), GridHeadRawBytes(TGrid_head_fixed{}));
  const auto a = StandardGridHeaderArray(lt_word_list);
  const auto b = StandardGridHeaderArray(lt_wordlist_index_list);
  EXPECT_TRUE(IdenticalGridHeadArrays(a, b));
  EXPECT_EQ(b[8].localization_number, 208);
  EXPECT_EQ(a[3].heading, u"%");
  EXPECT_EQ(a[3].hint, u"% of running words");
  EXPECT_EQ(AllDefaultHeadingsFor(lt_plaintext_list), (std::vector<String>{u"N", u"Text"}));
  EXPECT_EQ(HeadingLinesForList(lt_statistics_list), 4);
  EXPECT_EQ(HeadingLinesForList(lt_word_list), 2);
}

TEST(Headingsu, IdenticalGridHeadArraysComparesTextsByContent) {
  EXPECT_FALSE(IdenticalGridHeadArrays({}, {}));
  auto a = StandardGridHeaderArray(lt_kw_link_list);
  auto b = a;
  b[1].heading = String(u"Key ") + u"word";  // equal text, separate storage
  EXPECT_TRUE(IdenticalGridHeadArrays(a, b));
  b[1].heading = u"Key Word";
  EXPECT_FALSE(IdenticalGridHeadArrays(a, b));
  b = a;
  b[2].pixel_width96 = 65;
  EXPECT_FALSE(IdenticalGridHeadArrays(a, b));
  b.pop_back();
  EXPECT_FALSE(IdenticalGridHeadArrays(a, b));
}

TEST_F(HeadingsuFiles, EveryStandardSetRoundTrips) {
  for (int k = 0; k < TQuillmarkList_Count; ++k) {
    const auto kind = static_cast<TQuillmarkList>(k);
    SCOPED_TRACE(k);
    TGridHeaderList list(kind);
    ASSERT_TRUE(list.LoadStandardSet(kind));
    EXPECT_FALSE(list.custom_list_read);
    const TBytes first = Saved(list);
    TBytesStream in(first);
    TGridHeaderList back(lt_undefined);
    ASSERT_TRUE(back.ReadFromStream(&in));
    EXPECT_EQ(back.flist_type, kind);
    EXPECT_EQ(Saved(back), first);
  }
}

TEST_F(HeadingsuFiles, CustomisedSetGoesThroughItsFile) {
  TGridHeaderList list(lt_keyword_list);
  list.LoadStandardSet(lt_keyword_list);
  list.SetColumnName(1, u"My key word");
  list.SetPixelSize(1, 300);
  const String file = CustomFilename(lt_keyword_list);
  EXPECT_EQ(file, Utf8ToString(fDir) + u"/" + ListTypeAsString(lt_keyword_list) + u"_QM_64_9_customised.dat");
  ASSERT_TRUE(list.SaveAsCustomised(file));

  TGridHeaderList back(lt_undefined);
  ASSERT_TRUE(back.LoadStandardSet(lt_keyword_list));
  EXPECT_TRUE(back.custom_list_read);
  EXPECT_EQ(back.GetColumnName(1), u"My key word");
  EXPECT_EQ(back.GetPixelSize(1), 300);
  EXPECT_EQ(Saved(back), Saved(list));
}

TEST_F(HeadingsuFiles, CustomisedFilesThatAreNotTaken) {
  const TBytes standard = [] {
    TGridHeaderList s(lt_collocate_list);
    s.LoadStandardSet(lt_collocate_list);
    return Saved(s);
  }();
  // A word-list set stored under the collocate kind's name.
  TGridHeaderList words(lt_word_list);
  words.LoadStandardSet(lt_word_list);
  ASSERT_TRUE(words.SaveAsCustomised(CustomFilename(lt_collocate_list)));
  TGridHeaderList a(lt_collocate_list);
  a.LoadStandardSet(lt_collocate_list);
  EXPECT_FALSE(a.custom_list_read);
  EXPECT_EQ(a.flist_type, lt_collocate_list);
  EXPECT_EQ(Saved(a), standard);

  // A collocate set shorter than the standard one: the standard set, once.
  TGridHeaderList shortSet(lt_collocate_list);
  shortSet.LoadStandardSet(lt_collocate_list);
  while (shortSet.Count() > 10) shortSet.Delete(shortSet.Count() - 1);
  shortSet.SetColumnName(1, u"changed");
  ASSERT_TRUE(shortSet.SaveAsCustomised(CustomFilename(lt_collocate_list)));
  TGridHeaderList b(lt_collocate_list);
  EXPECT_TRUE(b.LoadStandardSet(lt_collocate_list));
  EXPECT_FALSE(b.custom_list_read);
  EXPECT_EQ(Saved(b), standard);
  // Read from a saved list, the short set is replaced the same way.
  TBytesStream in(Saved(shortSet));
  TGridHeaderList c(lt_word_list);
  EXPECT_TRUE(c.ReadFromStream(&in));
  EXPECT_EQ(c.Count(), 19);
  EXPECT_EQ(c.GetColumnName(1), u"Word");
  // A refused stream is not a short set: the collocate list stays empty.
  TBytes refused = Saved(shortSet);
  refused[4] ^= 1;
  TBytesStream in2(refused);
  TGridHeaderList d(lt_collocate_list);
  EXPECT_FALSE(d.ReadFromStream(&in2));
  EXPECT_EQ(d.Count(), 0);
}

TEST_F(HeadingsuFiles, GarbageCustomisedFilesGiveTheStandardSet) {
  const TBytes standard = [] {
    TGridHeaderList s(lt_filename_list);
    s.LoadStandardSet(lt_filename_list);
    return Saved(s);
  }();
  const std::string name = StringToUtf8(CustomFilename(lt_filename_list));
  struct Case {
    const char* what;
    std::string bytes;
    bool warned;
  } cases[] = {
      {"empty", "", false},
      {"text", "this is not a heading file", false},
      {"an over-long stored string",
       std::string("\x02\x00\x00\x00\x85\x1a\x00\x00\x0f\x01\x00\x00\x00", 13) + std::string(176, '\0') +
           std::string("\xff\xff\xff\x7f", 4),
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WriteFileBytes(name, c.bytes);
    RecordingMessageBoxForAnalysis box;
    TGridHeaderList list(lt_filename_list);
    EXPECT_TRUE(list.LoadStandardSet(lt_filename_list));
    EXPECT_FALSE(list.custom_list_read);
    EXPECT_EQ(Saved(list), standard);
    ASSERT_EQ(box.boxes.size(), c.warned ? 1u : 0u);
    if (c.warned) {
      EXPECT_EQ(box.boxes[0].caption, CustomFilename(lt_filename_list) + u" is faulty");
    }
  }
}

TEST_F(HeadingsuFiles, FailedSaveWarnsAndKeepsTheOldFile) {
  TGridHeaderList list(lt_word_list);
  list.LoadStandardSet(lt_word_list);
  {
    RecordingMessageBoxForAnalysis box;
    const String nowhere = File("missing/folder/set.dat");
    EXPECT_FALSE(list.SaveAsCustomised(nowhere));
    ASSERT_EQ(box.boxes.size(), 1u);
    EXPECT_EQ(box.boxes[0].caption, nowhere + u" is faulty");
  }
  const std::string sub = Path("locked");
  ASSERT_EQ(mkdir(sub.c_str(), 0755), 0);
  const String file = Utf8ToString(sub + "/set.dat");
  ASSERT_TRUE(list.SaveAsCustomised(file));
  const std::string before = ReadFileBytes(sub + "/set.dat");
  ASSERT_EQ(chmod(sub.c_str(), 0555), 0);
  if (access(sub.c_str(), W_OK) == 0) GTEST_SKIP() << "running with rights that ignore permissions";
  list.SetColumnName(1, u"changed");
  RecordingMessageBoxForAnalysis box;
  EXPECT_FALSE(list.SaveAsCustomised(file));
  ASSERT_EQ(box.boxes.size(), 1u);
  EXPECT_EQ(box.boxes[0].caption, file + u" is faulty");
  EXPECT_EQ(ReadFileBytes(sub + "/set.dat"), before);
  chmod(sub.c_str(), 0755);
}

TEST_F(HeadingsuFiles, MutualInformationRepairs) {
  // A three-heading list with "Dice": no "With" is added.
  TGridHeaderList three(lt_collocate_list);
  TGrid_head h{};
  for (const char16_t* t : {u"N", u"Word", u"Dice"}) {
    h.heading = t;
    three.AddOne(h);
  }
  three.EnsureMIHeadingsIncludeWith();
  EXPECT_EQ(three.Count(), 3);

  // An old set: N, Word, MI, Relation.
  TGridHeaderList old(lt_collocate_list);
  for (const char16_t* t : {u"N", u"Word", u"MI", u"Relation"}) {
    h.heading = t;
    old.AddOne(h);
  }
  old.EnsureMIHeadingsIncludeAllStats();
  EXPECT_EQ(Headings(old), (std::vector<String>{u"N", u"Word", u"Dice", u"MI", u"MI3", u"Z", u"Log_L", u"T",
                                                 u"Log_R", u"CondProbA", u"CondProbB", u"DeltaPA", u"DeltaPB",
                                                 u"MI"}));
  for (Int32 i = 0; i < old.Count(); ++i) EXPECT_EQ(old.OriginalColumnNumber(i), i);
  old.EnsureMIHeadingsIncludeAllStats();  // "Dice" is there now
  EXPECT_EQ(old.Count(), 14);
  old.EnsureMIHeadingsIncludeWith();
  ASSERT_EQ(old.Count(), 15);
  const TGrid_head with = old.GetDatum(2);
  EXPECT_EQ(with.heading, u"With");
  EXPECT_EQ(with.hint, u"search-word");
  EXPECT_EQ(with.numerical, 0);
  EXPECT_EQ(with.decimals, 0);
  old.EnsureMIHeadingsIncludeWith();
  EXPECT_EQ(old.Count(), 15);
}

TEST(Headingsu, ColumnTotalData) {
  Qm_specific_consts_initialization();
  TGridHeaderList list(lt_word_list);
  for (const auto& h : StandardGridHeaderArray(lt_word_list)) list.AddOne(h);
  EXPECT_EQ(list.ColumnTotalData(1), u"non-numerical");
  TGridColumnDataRec data{};
  data.descriptives[gc_total] = 1234.5f;
  data.descriptives[gc_mean] = 0.126f;
  data.descriptives[gc_12] = -2.5f;
  list.SetColumnData(2, data);
  const String s = list.ColumnTotalData(2);
  EXPECT_EQ(s.substr(0, 33), u"Total = 1234.50; Max = 0.00; Min ");
  EXPECT_NE(s.find(u"Mean = 0.13; Sd. = 0.00; 1/12 = 0.00; 2/12 = 0.00"), String::npos);
  EXPECT_EQ(s.substr(s.size() - 15), u"; 12/12 = -2.50");
  try {
    (void)list.ColumnTotalData(9);
    ADD_FAILURE();
  } catch (const EAssertionFailed& e) {
    EXPECT_EQ(e.Message(), u"aCol index 9 (Count = 9) (headingsU, line 435)");
  }
  Qm_specific_consts_Finalization();
}

TEST(Headingsu, FillStringsAndCopyToArray) {
  TGridHeaderList list(lt_word_list);
  for (const auto& h : StandardGridHeaderArray(lt_word_list)) list.AddOne(h);
  list.SetHidden(2, true);
  TStringlistWithALongint strings;
  Int32 index = 99;
  FillStringsWithVisibleHeadings(&strings, &list, 4, index);
  ASSERT_EQ(strings.Count(), 7);
  EXPECT_EQ(strings.Get(0), u"Word");
  EXPECT_EQ(strings.GetOne(1), 3);
  EXPECT_EQ(index, 2);
  FillStringsWithVisibleHeadings(&strings, &list, 2, index);
  EXPECT_EQ(index, -1);

  std::vector<TGrid_head> arr;
  list.AddOne(TGrid_head{});  // blank: not copied
  CopyGridHeaderListDataToArray(&list, arr, 250);
  ASSERT_EQ(arr.size(), 9u);
  EXPECT_EQ(arr[1].pixel_width96, 250);
  CopyGridHeaderListDataToArray(&list, arr, 10);
  EXPECT_EQ(arr[1].pixel_width96, 196);
  Int32 i2 = 0;
  FillStringsWithVisibleHeadings(&strings, arr, 8, i2);
  EXPECT_EQ(strings.Count(), 7);
  EXPECT_EQ(i2, 6);
}

}  // namespace
}  // namespace sk
