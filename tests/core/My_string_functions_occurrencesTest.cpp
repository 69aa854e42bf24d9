// Occurrence lists (counting, pruning, stream form, sorts), file-name lines,
// highlight lines, inserted-text positions and tagged-word texts.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>
#include <unistd.h>

#include "TestSupport.h"
#include "core/Global_vars.h"
#include "core/My_string_functions_occurrences.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Streams.h"

namespace sk {
namespace {

void PutInt32(TBytes& b, Int32 v) {
  for (int k = 0; k < 4; ++k) b.push_back(static_cast<Byte>(static_cast<uint32_t>(v) >> (8 * k)));
}

void PutStored(TBytes& b, const String& s) {
  PutInt32(b, static_cast<Int32>(s.size()));
  for (Char c : s) {
    b.push_back(static_cast<Byte>(c & 0xFF));
    b.push_back(static_cast<Byte>(c >> 8));
  }
}

TBytes Bytes(TMemoryStream& ms) { return ms.ToBytes(); }

// The list of the worked example: 'cat' in file 2 (3 + 3 hits) and file 5 (1).
void FillCat(TStringlistWithListOfOccurrences& list) {
  list.AddOrIncOneByFreq(u"cat", 2, 3);
  list.AddOrIncOneByFreq(u"cat", 2, 3);
  list.AddOrIncOneByFreq(u"cat", 5, 1);
}

// ---- counting --------------------------------------------------------------------------

TEST(My_string_functions_occurrencesCounting, WorkedExample) {
  TStringlistWithListOfOccurrences list;
  FillCat(list);
  ASSERT_EQ(list.Count(), 1);
  TListOfOccurrences* occ = list.GetAListOfOccurrences(0);
  ASSERT_NE(occ, nullptr);
  ASSERT_EQ(occ->Count(), 2);
  EXPECT_EQ(occ->GetFileNumber_OB(0), 2);
  EXPECT_EQ(occ->GetHits(0), 6);
  EXPECT_EQ(occ->GetFileNumber_OB(1), 5);
  EXPECT_EQ(occ->GetHits(1), 1);
  EXPECT_EQ(occ->GetTotalHits(), 7);
  EXPECT_EQ(list.CasesWithAtLeast1Repeat(), 1);
  // 6 + 0 (the 1 is below 2) = 6, which is below 10.
  EXPECT_EQ(occ->GetTotalValidHits(10, 2), 0);
  EXPECT_EQ(occ->GetTotalValidHits(5, 2), 6);
  EXPECT_EQ(occ->GetValidHits(1, 2), 0);
  EXPECT_EQ(occ->GetValidHits(7, 0), 0);
  EXPECT_EQ(list.GetAListOfOccurrences(-1), nullptr);
  EXPECT_EQ(list.GetAListOfOccurrences(1), nullptr);
}

TEST(My_string_functions_occurrencesCounting, WordsKeepTheirLinesThroughDeletesAndSorts) {
  ScopedHandOverVariables handOver;
  global_reversed_sort = false;  // the sort below takes its direction from the flag
  TStringlistWithListOfOccurrences list;
  EXPECT_EQ(list.AddOrIncOneByFreq(u"a", 0, 1), 0);
  EXPECT_EQ(list.AddOrIncOneByFreq(u"b", 0, 1), 1);
  EXPECT_EQ(list.AddOrIncOneByFreq(u"c", 0, 1), 2);
  list.Delete(0);
  // 'c' moved up to line 1; it must be counted there, not re-added.
  EXPECT_EQ(list.AddOrIncOneByFreq(u"c", 0, 4), 1);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.GetAListOfOccurrences(1)->GetHits(0), 5);
  list.SortAllOccurrencesAscendingChunks();  // c, b
  EXPECT_EQ(list[0], u"c");
  EXPECT_EQ(list.AddOrIncOneByFreq(u"b", 1, 2), 1);
  EXPECT_EQ(list.GetAListOfOccurrences(1)->Count(), 2);
  // A case variant is the same word, as IndexOf finds it.
  EXPECT_EQ(list.AddOrIncOneByFreq(u"B", 1, 1), 1);
  EXPECT_EQ(list.Count(), 2);
}

TEST(My_string_functions_occurrencesCounting, SortedAndUnsortedListsFindTheSameLine) {
  // Whether the list is marked sorted or not, a word lands on the line that
  // IndexOf gives; the first spelling met stays the line's text.
  for (bool sorted : {false, true}) {
    SCOPED_TRACE(sorted ? "sorted" : "unsorted");
    TStringlistWithListOfOccurrences list;
    list.SetSorted(sorted);
    list.AddOrIncOneByFreq(u"Cat", 0, 1);
    list.AddOrIncOneByFreq(u"dog", 0, 1);
    EXPECT_EQ(list.AddOrIncOneByFreq(u"CAT", 1, 2), list.IndexOf(u"cat"));
    EXPECT_EQ(list.AddOrIncOneByFreq(u"cat", 1, 3), list.IndexOf(u"cat"));
    ASSERT_EQ(list.Count(), 2);
    const Int32 cat = list.IndexOf(u"cat");
    EXPECT_EQ(list[cat], u"Cat");
    ASSERT_EQ(list.GetAListOfOccurrences(cat)->Count(), 2);
    EXPECT_EQ(list.GetAListOfOccurrences(cat)->GetHits(1), 5);

    // A case-sensitive list keeps case variants apart.
    list.SetCaseSensitive(true);
    const Int32 upper = list.AddOrIncOneByFreq(u"DOG", 2, 1);
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list[upper], u"DOG");
    EXPECT_EQ(list.AddOrIncOneByFreq(u"dog", 2, 1), list.IndexOf(u"dog"));
    EXPECT_EQ(list.Count(), 3);
  }
}

TEST(My_string_functions_occurrencesCounting, LineWithoutListAndSortedList) {
  TStringlistWithListOfOccurrences list;
  list.Add(u"dog");  // a line added without its list
  EXPECT_EQ(list.AddOrIncOneByFreq(u"dog", 3, 2), 0);
  ASSERT_NE(list.GetAListOfOccurrences(0), nullptr);
  EXPECT_EQ(list.GetAListOfOccurrences(0)->GetTotalHits(), 2);

  TStringlistWithListOfOccurrences sorted;
  sorted.SetSorted(true);
  sorted.AddOrIncOneByFreq(u"pear", 0, 1);
  sorted.AddOrIncOneByFreq(u"apple", 0, 1);
  sorted.AddOrIncOneByFreq(u"fig", 0, 1);
  EXPECT_EQ(sorted.AddOrIncOneByFreq(u"pear", 1, 1), 2);
  EXPECT_EQ(sorted[0], u"apple");
  EXPECT_EQ(sorted.GetAListOfOccurrences(2)->Count(), 2);
}

TEST(My_string_functions_occurrencesCounting, RemoveLowCounts) {
  TStringlistWithListOfOccurrences list;
  FillCat(list);
  list.AddOrIncOneByFreq(u"dog", 1, 1);
  list.RemoveLowCounts(5, 2);
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list[0], u"cat");
  ASSERT_EQ(list.GetAListOfOccurrences(0)->Count(), 1);
  EXPECT_EQ(list.GetAListOfOccurrences(0)->GetFileNumber_OB(0), 2);
  EXPECT_EQ(list.CasesWithAtLeast1Repeat(), 0);

  TStringlistWithListOfOccurrences again;
  FillCat(again);
  again.RemoveLowCounts(8, 0);
  EXPECT_EQ(again.Count(), 0);

  // Every row below the minimum hits goes, and with it the line.
  TStringlistWithListOfOccurrences thin;
  thin.AddOrIncOneByFreq(u"x", 0, 1);
  thin.AddOrIncOneByFreq(u"x", 1, 1);
  thin.RemoveLowCounts(0, 2);
  EXPECT_EQ(thin.Count(), 0);
}

// The rows of every line, as (file, hits) pairs.
std::vector<std::vector<std::pair<Int32, Int32>>> RowsOf(const TStringlistWithListOfOccurrences& list) {
  std::vector<std::vector<std::pair<Int32, Int32>>> all;
  for (Int32 i = 0; i < list.Count(); ++i) {
    all.emplace_back();
    const TListOfOccurrences* occ = list.GetAListOfOccurrences(i);
    for (Int32 r = 0; occ != nullptr && r < occ->Count(); ++r) all.back().emplace_back(occ->GetFileNumber_OB(r), occ->GetHits(r));
  }
  return all;
}

// Random lists pruned in one pass and line by line from the last (each low
// line deleted in turn) end the same; the list reports one change, and its
// words are found again afterwards.
TEST(My_string_functions_occurrencesCounting, RemoveLowCountsGivesWhatDeletingLineByLineGives) {
  struct Case {
    Int32 minTotal, minHits;
  } cases[] = {{0, 0}, {2, 0}, {0, 2}, {5, 2}, {3, 3}, {100, 0}, {-1, -1}};
  std::mt19937 rng(31);
  for (const Case& c : cases) {
    for (int round = 0; round < 20; ++round) {
      TStringlistWithListOfOccurrences list, byLines;
      const int words = static_cast<int>(rng() % 60);
      for (int k = 0; k < words * 3; ++k) {
        const String w = u"w" + IntToStr(static_cast<Int32>(rng() % static_cast<unsigned>(words)));
        const auto file = static_cast<Int32>(rng() % 4), hits = static_cast<Int32>(rng() % 4);
        list.AddOrIncOneByFreq(w, file, hits);
        byLines.AddOrIncOneByFreq(w, file, hits);
      }
      for (Int32 i = byLines.Count() - 1; i >= 0; --i) {
        TListOfOccurrences* occ = byLines.GetAListOfOccurrences(i);
        if (occ->GetTotalHits() < c.minTotal) {
          byLines.Delete(i);
          continue;
        }
        for (Int32 r = occ->Count() - 1; r >= 0; --r)
          if (occ->GetHits(r) < c.minHits) occ->FreeAndNilOne(r);
        occ->Pack();
        if (occ->Count() == 0) byLines.Delete(i);
      }
      Int32 changes = 0;
      list.OnChange = [&](TObject*) { ++changes; };
      list.RemoveLowCounts(c.minTotal, c.minHits);
      ASSERT_EQ(list.Text(), byLines.Text()) << c.minTotal << " " << c.minHits;
      ASSERT_EQ(RowsOf(list), RowsOf(byLines));
      EXPECT_LE(changes, 1);
      list.OnChange = nullptr;
      for (Int32 i = 0; i < list.Count(); ++i) EXPECT_EQ(list.AddOrIncOneByFreq(list[i], 9, 1), i);
      const Int32 fresh = list.AddOrIncOneByFreq(u"fresh", 0, 1);
      EXPECT_EQ(fresh, list.Count() - 1);
    }
  }
}

TEST(My_string_functions_occurrencesCounting, ValidHitsOrClusters) {
  TStringlistWithListOfOccurrences list;
  FillCat(list);
  list.AddOrIncOneByFreq(u"dog", 1, 1);
  list.AddOrIncOneByFreq(u"emu", 1, 1);
  list.AddOrIncOneByFreq(u"emu", 2, 1);
  list.AddOrIncOneByFreq(u"emu", 3, 1);
  EXPECT_EQ(list.TotalValidHitsOrClusters(2, false), 2);
  EXPECT_EQ(list.TotalValidHitsOrClusters(2, true), 5);
  EXPECT_EQ(list.TotalValidHitsOrClusters(1, true), 6);
  EXPECT_EQ(list.TotalValidHitsOrClusters(4, false), 0);
}

// ---- stream form ---------------------------------------------------------------------------

TEST(My_string_functions_occurrencesStream, GoldenBytes) {
  TStringlistWithListOfOccurrences list;
  FillCat(list);
  TMemoryStream ms;
  ASSERT_TRUE(list.SavedToStream(&ms));
  TBytes want;
  PutInt32(want, 1);  // words
  PutInt32(want, 2);  // rows
  want.push_back(0);  // not sorted
  PutInt32(want, 2);
  PutInt32(want, 6);
  PutInt32(want, 5);
  PutInt32(want, 1);
  PutStored(want, u"cat");
  EXPECT_EQ(Bytes(ms), want);
}

TEST(My_string_functions_occurrencesStream, RoundTripAppends) {
  ScopedHandOverVariables handOver;  // the reads and sorts leave their hand-over values set
  TStringlistWithListOfOccurrences list;
  FillCat(list);
  list.AddOrIncOneByFreq(u"d\u00F6g", 4, 9);
  list.Add(u"bare");  // a line without a list streams as an empty list
  TMemoryStream ms;
  ASSERT_TRUE(list.SavedToStream(&ms));

  TStringlistWithListOfOccurrences back;
  back.AddOrIncOneByFreq(u"first", 0, 1);
  ms.SetPosition(0);
  ASSERT_TRUE(back.LoadedFromStream(&ms));
  ASSERT_EQ(back.Count(), 4);
  EXPECT_EQ(back[0], u"first");
  EXPECT_EQ(back[1], u"cat");
  EXPECT_EQ(back[2], u"d\u00F6g");
  EXPECT_EQ(back[3], u"bare");
  EXPECT_EQ(back.GetAListOfOccurrences(1)->GetHits(0), 6);
  EXPECT_EQ(back.GetAListOfOccurrences(1)->GetFileNumber_OB(1), 5);
  EXPECT_EQ(back.GetAListOfOccurrences(2)->GetTotalHits(), 9);
  EXPECT_EQ(back.GetAListOfOccurrences(3)->Count(), 0);
  // Lines read back are found again by the counting.
  EXPECT_EQ(back.AddOrIncOneByFreq(u"cat", 5, 1), 1);
  EXPECT_EQ(back.GetAListOfOccurrences(1)->GetHits(1), 2);
}

TEST(My_string_functions_occurrencesStream, DamagedInputFails) {
  ScopedHandOverVariables handOver;  // the reads and sorts leave their hand-over values set
  TStringlistWithListOfOccurrences list;
  FillCat(list);
  list.AddOrIncOneByFreq(u"dog", 1, 1);
  TMemoryStream ms;
  ASSERT_TRUE(list.SavedToStream(&ms));
  const TBytes whole = ms.ToBytes();

  // Cut inside the second word's occurrence list: the first word stays.
  {
    TBytes cut(whole.begin(), whole.begin() + 4 + 21 + 10 + 6);
    TBytesStream s(cut);
    TStringlistWithListOfOccurrences back;
    EXPECT_FALSE(back.LoadedFromStream(&s));
    ASSERT_EQ(back.Count(), 1);
    EXPECT_EQ(back[0], u"cat");
  }
  // Cut inside the second word's count: no empty word is made up.
  {
    TBytes cut(whole.begin(), whole.begin() + 4 + 21 + 10 + 13 + 2);
    TBytesStream s(cut);
    TStringlistWithListOfOccurrences back;
    EXPECT_FALSE(back.LoadedFromStream(&s));
    EXPECT_EQ(back.Count(), 1);
  }
  // Cut inside the second word's characters.
  {
    TBytes cut(whole.begin(), whole.end() - 2);
    TBytesStream s(cut);
    TStringlistWithListOfOccurrences back;
    EXPECT_FALSE(back.LoadedFromStream(&s));
    EXPECT_EQ(back.Count(), 1);
  }
  // A word count the stream cannot hold adds nothing.
  {
    TBytes b;
    PutInt32(b, 1000000);
    b.insert(b.end(), whole.begin() + 4, whole.end());
    TBytesStream s(b);
    TStringlistWithListOfOccurrences back;
    EXPECT_FALSE(back.LoadedFromStream(&s));
    EXPECT_EQ(back.Count(), 0);
  }
  // A negative word count and an empty stream.
  {
    TBytes b;
    PutInt32(b, -1);
    TBytesStream s(b);
    TStringlistWithListOfOccurrences back;
    EXPECT_FALSE(back.LoadedFromStream(&s));
    TBytesStream empty{TBytes{}};
    EXPECT_FALSE(back.LoadedFromStream(&empty));
  }
  // A stored word with a negative count raises the stored-string error.
  {
    TBytes b;
    PutInt32(b, 1);
    PutInt32(b, 0);
    b.push_back(0);
    PutInt32(b, -5);
    TBytesStream s(b);
    TStringlistWithListOfOccurrences back;
    EXPECT_THROW(back.LoadedFromStream(&s), Exception);
    EXPECT_EQ(back.Count(), 0);
  }
}

// ---- sorts ------------------------------------------------------------------------------------

TEST(My_string_functions_occurrencesSort, FourOrders) {
  ScopedHandOverVariables handOver;
  TStringlistWithListOfOccurrences list;
  list.AddOrIncOneByFreq(u"b", 3, 5);
  list.AddOrIncOneByFreq(u"a", 1, 2);
  list.AddOrIncOneByFreq(u"c", 1, 5);
  list.AddOrIncOneByFreq(u"d", 0, 1);
  list.AddOrIncOneByFreq(u"d", 4, 1);

  global_reversed_sort = false;
  list.SortAllOccurrencesAscendingChunks();
  EXPECT_EQ(list.Text(), u"d\r\nc\r\nb\r\na\r\n");
  global_reversed_sort = true;
  list.SortAllOccurrencesAscendingChunks();
  EXPECT_EQ(list.Text(), u"a\r\nb\r\nc\r\nd\r\n");

  global_reversed_sort = false;
  list.SortAllOccurrencesFileAscending();  // d(0), then a and c on 1 (c before a), b(3)
  EXPECT_EQ(list.Text(), u"d\r\nc\r\na\r\nb\r\n");

  list.SortAllOccurrencesIndividualFreqDescending();  // b 5, c 5 (by word), a 2, d 2 (by word)
  EXPECT_EQ(list.Text(), u"b\r\nc\r\na\r\nd\r\n");
  global_reversed_sort = true;
  list.SortAllOccurrencesOverallFreqDescending();
  EXPECT_EQ(list.Text(), u"d\r\na\r\nc\r\nb\r\n");
  // The lists travel with their words.
  EXPECT_EQ(list.GetAListOfOccurrences(0)->Count(), 2);
  EXPECT_EQ(list.GetAListOfOccurrences(3)->GetFileNumber_OB(0), 3);
}

TEST(My_string_functions_occurrencesSort, SortUnmarksSortedList) {
  ScopedHandOverVariables handOver;
  TStringlistWithListOfOccurrences list;
  list.SetSorted(true);
  list.AddOrIncOneByFreq(u"a", 0, 1);
  list.AddOrIncOneByFreq(u"b", 0, 3);
  global_reversed_sort = false;  // the sort takes its direction from the flag
  list.SortAllOccurrencesIndividualFreqDescending();
  EXPECT_FALSE(list.Sorted());
  EXPECT_EQ(list[0], u"b");
  EXPECT_EQ(list.AddOrIncOneByFreq(u"a", 0, 1), 1);
}

// ---- file names -------------------------------------------------------------------------------

class My_string_functions_occurrencesFilenames : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = GetTempDirectory() + u"sk_occ_" + Utf8ToString(std::to_string(::getpid()));
    ASSERT_TRUE(ForceDirectories(dir_));
    a_ = dir_ + u"/a.txt";
    b_ = dir_ + u"/b.txt";
    for (const String& f : {a_, b_}) TFileStream(f, fmCreate).WriteBuffer("x", 1);
  }
  void TearDown() override {
    DeleteFile(a_);
    DeleteFile(b_);
    RemoveDir(dir_);
  }
  String dir_, a_, b_;
};

TEST_F(My_string_functions_occurrencesFilenames, PicksAndReducesLines) {
  TFilenamesStringlist list;
  EXPECT_FALSE(list.IsAnExistingFilename(u""));
  EXPECT_FALSE(list.IsAnExistingFilename(dir_));  // a folder is no file
  EXPECT_TRUE(list.IsAnExistingFilename(a_));
  EXPECT_EQ(list.FilenameInLine(u"12\t" + dir_ + u"/none.txt\t" + b_ + u"\t" + a_), b_);
  EXPECT_EQ(list.FilenameInLine(u"no\tfile\there"), u"");
  EXPECT_EQ(list.FilenameInLine(a_), a_);

  list.Add(u"x\t" + a_);
  list.Add(u"nothing");
  list.Add(b_ + u"\ty");
  list.Add(u"gone\t" + dir_ + u"/none.txt");
  list.ReduceToExistingFilenames();
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list[0], a_);
  EXPECT_EQ(list[1], b_);
}

// ---- highlight lines -----------------------------------------------------------------------------

TEST(My_string_functions_occurrencesHighlight, HitsAndLineEdits) {
  THighlightUTF8Stringlist list;
  list.Add(u"one");
  list.Add(u"");
  list.Add(u"  two   words  ");
  list.Add(u"");
  list.AddSearchHit(0, TSearchHits_rec{10, 1, 3});
  list.AddSearchHit(0, TSearchHits_rec{20, 5, 7});
  list.AddSearchHit(1, TSearchHits_rec{1, 1, 1});
  list.AddSearchHit(9, TSearchHits_rec{1, 1, 1});  // ignored
  ASSERT_NE(list.GetHighlights(0), nullptr);
  EXPECT_EQ(list.GetHighlights(0)->Count(), 2);
  EXPECT_EQ(list.GetHighlights(0)->LinePosEnd(1), 7);
  EXPECT_EQ(list.GetHighlights(2), nullptr);

  list.RemoveBlankLines();
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.GetHighlights(0)->Count(), 2);

  list.AddSearchHit(1, TSearchHits_rec{2, 2, 2});
  list.TrimOneLine(1);
  EXPECT_EQ(list[1], u"two words");
  EXPECT_EQ(list.GetHighlights(1), nullptr);

  list.ClearOneLineHighlights(0);
  EXPECT_EQ(list.GetHighlights(0), nullptr);
  list.AddSearchHit(0, TSearchHits_rec{});
  list.RemoveOneLine(0);
  EXPECT_EQ(list.Count(), 1);
  list.RemoveOneLine(5);  // ignored
  list.AddSearchHit(0, TSearchHits_rec{});
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
}

TEST(My_string_functions_occurrencesHighlight, JoinLines) {
  THighlightUTF8Stringlist list;
  for (const char16_t* s : {u"zero", u"x", u"two", u"<B>y</B>"}) list.Add(s);
  list.AddSearchHit(3, TSearchHits_rec{1, 2, 3});
  list.JoinLines(3, 1);
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list[1], u"<B>x y</B>");
  EXPECT_EQ(list[2], u"two");
  EXPECT_EQ(list.GetHighlights(1), nullptr);

  list.JoinLines(0, 2);  // neither bold; the lower index first
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list[0], u"<B>x y</B>");
  EXPECT_EQ(list[1], u"zero two");

  // One line joined with itself, or a line outside the list: nothing happens.
  list.JoinLines(1, 1);
  list.JoinLines(0, 2);
  list.JoinLines(-1, 0);
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list[1], u"zero two");
}

TEST(My_string_functions_occurrencesHighlight, CopiedLinesComeWithoutHighlights) {
  THighlightUTF8Stringlist a;
  a.Add(u"line");
  a.AddSearchHit(0, TSearchHits_rec{1, 1, 1});
  THighlightUTF8Stringlist b;
  b.AddStrings(a);
  EXPECT_EQ(b.GetHighlights(0), nullptr);
  EXPECT_NE(a.GetHighlights(0), nullptr);
}

// ---- inserted text and tagged words -----------------------------------------------------------------

TEST(My_string_functions_occurrencesInserted, Positions) {
  TInsertedTextPositionList list;
  EXPECT_EQ(list.Add(std::make_unique<TInsertedTextHolder>(TInsertedTextRec{1, 2, 30, 4})), 0);
  EXPECT_EQ(list.Add(std::make_unique<TInsertedTextHolder>(TInsertedTextRec{5, 6, 70, 8})), 1);
  EXPECT_EQ(list.Add(nullptr), -1);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.GetAHitStart(1), 70);
  EXPECT_EQ(list.GetOne(0).full_hit_len, 4);
  EXPECT_EQ(list.GetOne(2).hit_place_in_chars, 0);
  EXPECT_EQ(list.GetAHitStart(-1), 0);
  list.Delete(0);
  EXPECT_EQ(list.GetAHitStart(0), 70);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
}

TEST(My_string_functions_occurrencesTags, ClearTexts) {
  std::vector<TPcharTag> arr(2);
  for (TPcharTag& t : arr) {
    t.wrd = TOwnedPWideChar(String(u"word"));
    t.tag = TOwnedPWideChar(String(u"<N>"));
  }
  ClearAPCharAndTag(arr[0], wtf_only_words);
  EXPECT_TRUE(arr[0].wrd.IsNil());
  EXPECT_EQ(arr[0].tag.ToString(), u"<N>");
  ClearAPCharAndTag(arr[0], wtf_only_words);  // a nil text is left alone
  ClearAPCharAndTagArray(arr, wtf_only_tags);
  EXPECT_TRUE(arr[0].tag.IsNil());
  EXPECT_TRUE(arr[1].tag.IsNil());
  EXPECT_EQ(arr[1].wrd.ToString(), u"word");
  arr[0].tag = TOwnedPWideChar(String(u"<V>"));
  FreeUpAPCharAndTagArray(arr);
  for (const TPcharTag& t : arr) {
    EXPECT_TRUE(t.wrd.IsNil());
    EXPECT_TRUE(t.tag.IsNil());
  }
}

}  // namespace
}  // namespace sk
