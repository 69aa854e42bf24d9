// Typed number lists and word-frequency lists: stored forms, lookups, ordered
// insertion, NaN handling, sorts on other keys, the word filter and MultiSort.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "TestSupport.h"
#include "core/Global_vars.h"
#include "core/Useful_classes_base_numeric.h"
#include "core/Useful_classes_base_words.h"
#include "platform/runtime/Streams.h"

namespace sk {
namespace {

const Single kNaN = std::numeric_limits<Single>::quiet_NaN();

// ---- stored forms ---------------------------------------------------------------------------

TEST(Useful_classes_base_numericStream, ItemsAreRawLittleEndian) {
  TSinglesList singles;
  singles.AddOne(1.0f);
  TMemoryStream ms;
  ASSERT_TRUE(singles.SaveToStream(&ms));
  EXPECT_EQ(ms.ToBytes(), (TBytes{1, 0, 0, 0, 0, 0x00, 0x00, 0x80, 0x3F}));

  TCardinalAndFreqList pairs;
  pairs.AddOne({0xFFFFFFFFu, -2});
  TMemoryStream ms2;
  ASSERT_TRUE(pairs.SaveToStream(&ms2));
  EXPECT_EQ(ms2.ToBytes(), (TBytes{1, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF}));

  TDoublesList doubles;
  doubles.AddOne(0.5);
  TMemoryStream ms3;
  ASSERT_TRUE(doubles.SaveToStream(&ms3));
  EXPECT_EQ(ms3.ToBytes(), (TBytes{1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xE0, 0x3F}));
}

TEST(Useful_classes_base_numericStream, RecordListsRoundTrip) {
  T3LongintAndSingleList list;
  list.AddOne({{1, 2, 3}, 4.5f});
  list.AddOne({{-1, -2, -3}, kNaN});
  TMemoryStream ms;
  ASSERT_TRUE(list.SaveToStream(&ms));
  EXPECT_EQ(ms.Size(), 4 + 1 + 2 * 16);
  T3LongintAndSingleList back;
  ms.SetPosition(0);
  ASSERT_TRUE(back.ReadFromStream(&ms));
  ASSERT_EQ(back.Count(), 2);
  EXPECT_EQ(back.GetOne(0).t3.long2, 3);
  EXPECT_EQ(back.GetOne(0).s, 4.5f);
  EXPECT_TRUE(std::isnan(back.GetOne(1).s));

  // One byte short of the second item: the count is refused.
  TBytes cut = ms.ToBytes();
  cut.pop_back();
  TBytesStream cutStream(cut);
  T3LongintAndSingleList none;
  EXPECT_FALSE(none.ReadFromStream(&cutStream));
  EXPECT_EQ(none.Count(), 0);
}

// ---- lookups and insertion -----------------------------------------------------------------

TEST(Useful_classes_base_numericLookup, InvalidIndexAnswers) {
  TCardinalList c;
  TQMInt64List i64;
  TSinglesList s;
  TDoublesList d;
  TIntegerAndSingleList is;
  TCardinalAndFreqList cf;
  EXPECT_EQ(c.GetAValue(0), 0u);
  EXPECT_EQ(i64.GetAValue(-1), -1);
  EXPECT_EQ(s.GetAValue(3), 0.0f);
  EXPECT_EQ(d.GetAValue(0), 0.0);
  EXPECT_EQ(is.GetOne(0).int_, 0);
  EXPECT_EQ(cf.GetACardAndFreq(0).c, 0u);
  cf.SetACardAndFreq(0, {1, 1});
  is.SetOne(2, {1, 1.0f});
  EXPECT_EQ(cf.Count() + is.Count(), 0);
}

TEST(Useful_classes_base_numericLookup, Int64OrderedInsertion) {
  TQMInt64List list;
  for (Int64 v : {30LL, 10LL, 20LL}) list.AddOne(v);
  list.SortAscendingDefault();
  EXPECT_EQ(list.AddOne(25), 2);
  EXPECT_EQ(list.AddOne(5), 0);
  EXPECT_EQ(list.AddOne(1LL << 40), 5);
  EXPECT_EQ(list.AddOne(20), 2);
  for (Int32 i = 1; i < list.Count(); ++i) EXPECT_LE(list.GetAValue(i - 1), list.GetAValue(i));
  EXPECT_EQ(list.IndexOF(1LL << 40), 6);
  EXPECT_EQ(list.FindInSorted(26), -1);
  EXPECT_GE(list.nearest, 0);
}

TEST(Useful_classes_base_numericLookup, AppendOutOfOrderClearsTheMark) {
  TCardinalList list;
  for (Cardinal v : {10u, 20u, 30u, 40u, 50u}) list.AddOne(v);
  list.SortAscendingDefault();
  list.AddOne(60);
  EXPECT_TRUE(list.sorted);
  list.AddOne(15);
  EXPECT_FALSE(list.sorted);
  EXPECT_EQ(list.IndexOF(15), 6);
  list.SortAscendingDefault();
  EXPECT_EQ(list.IndexOF(15), 1);
  list.InsertOne(0, 99);
  EXPECT_FALSE(list.sorted);
}

TEST(Useful_classes_base_numericLookup, DoublesHoldSinglePrecision) {
  TDoublesList list;
  list.AddOne(0.1);
  list.InsertOne(0, 1e300);  // beyond a Single: infinity
  EXPECT_EQ(list.GetAValue(1), static_cast<Double>(0.1f));
  EXPECT_NE(list.GetAValue(1), 0.1);
  EXPECT_TRUE(std::isinf(list.GetAValue(0)));
  // Lookups round the value sought as the list rounded the value added.
  EXPECT_EQ(list.IndexOF(0.1), 1);
  list.SortAscendingDefault();
  EXPECT_EQ(list.IndexOF(0.1), 0);
  EXPECT_EQ(list.Find(0.1), 0);
}

// A stored value with more than single precision (a foreign or damaged file)
// is rounded on reading, so that the list's lookups, which round the value
// sought, still find it; whether the stream marked the list sorted or not.
TEST(Useful_classes_base_numeric, DoublesReadFromAStreamAreFoundAgain) {
  for (const Byte sortedMark : {Byte(0), Byte(1)}) {
    TMemoryStream ms;
    ms.WriteValue<Int32>(2);
    ms.WriteValue<Byte>(sortedMark);
    ms.WriteValue<Double>(0.1);  // not a Single
    ms.WriteValue<Double>(1e300);
    ms.SetPosition(0);
    TDoublesList list;
    ASSERT_TRUE(list.ReadFromStream(&ms));
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.GetAValue(0), static_cast<Double>(0.1f));
    EXPECT_TRUE(std::isinf(list.GetAValue(1)));
    for (Int32 i = 0; i < 2; ++i) EXPECT_EQ(list.IndexOF(list.GetAValue(i)), i) << int(sortedMark);
    EXPECT_EQ(list.IndexOF(0.1), 0);
  }
}

TEST(Useful_classes_base_numericLookup, NaNNeverMatchesAndSortsInBounds) {
  TSinglesList singles;
  TDoublesList doubles;
  for (int k = 0; k < 300; ++k) {
    const Single v = (k % 7 == 0) ? kNaN : static_cast<Single>((k * 37) % 101);
    singles.AddOne(v);
    doubles.AddOne(v);
  }
  EXPECT_EQ(singles.IndexOF(kNaN), -1);
  singles.SortAscendingDefault();
  doubles.SortAscendingDefault();
  ASSERT_EQ(singles.Count(), 300);
  ASSERT_EQ(doubles.Count(), 300);
  int nans = 0;
  double sum = 0;
  for (Int32 i = 0; i < singles.Count(); ++i) {
    if (std::isnan(singles.GetAValue(i)))
      ++nans;
    else
      sum += singles.GetAValue(i);
  }
  double expectedSum = 0;
  for (int k = 0; k < 300; ++k)
    if (k % 7 != 0) expectedSum += (k * 37) % 101;
  EXPECT_EQ(nans, 43);
  EXPECT_EQ(sum, expectedSum);
  EXPECT_EQ(singles.Find(kNaN), -1);
}

TEST(Useful_classes_base_numericLookup, RecordScans) {
  T2LongintAndSingleList list;
  list.AddOne({{1, 2}, 0.5f});
  list.AddOne({{3, 4}, 0.25f});
  EXPECT_EQ(list.IndexOfInteger0(3), 1);
  EXPECT_EQ(list.IndexOfInteger1(2), 0);
  EXPECT_EQ(list.IndexOfSingle(0.25f), 1);
  EXPECT_EQ(list.IndexOfSingle(0.3f), -1);
  list.SortAscendingDefault();
  EXPECT_EQ(list.GetOne(0).s, 0.25f);

  TIntegerAndSingleList pairs;
  pairs.AddOne({7, 2.0f});
  pairs.AddOne({8, 1.0f});
  pairs.SortAscendingDefault();
  EXPECT_EQ(pairs.GetOne(0).int_, 8);
  EXPECT_EQ(pairs.IndexOfInteger(7), 1);
}

// ---- cardinal-and-frequency pairs ---------------------------------------------------------------

TEST(Useful_classes_base_numericCardAndFreq, AddOneOrIncFreq) {
  TCardinalAndFreqList list;
  list.AddOneOrIncFreq({7, 10});
  list.AddOneOrIncFreq({7, 10});
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.GetACardAndFreq(0).f, 11);

  list.AddOneOrIncFreq({3, 1});
  list.AddOneOrIncFreq({9, 1});
  list.SortOnCardinals();
  EXPECT_TRUE(list.sorted);
  list.AddOneOrIncFreq({5, 1});
  list.AddOneOrIncFreq({1, 1});
  list.AddOneOrIncFreq({12, 1});
  ASSERT_EQ(list.Count(), 6);
  for (Int32 i = 1; i < list.Count(); ++i) EXPECT_LT(list.GetACardAndFreq(i - 1).c, list.GetACardAndFreq(i).c);
  EXPECT_TRUE(list.sorted);
}

TEST(Useful_classes_base_numericCardAndFreq, SortOnFrequenciesDoesNotBreakLookups) {
  ScopedHandOverVariables handOver;
  TCardinalAndFreqList list;
  const Cardinal cs[] = {1, 2, 3, 4, 5, 6, 7, 8};
  const Int32 fs[] = {50, 10, 80, 20, 70, 30, 60, 40};
  for (int k = 0; k < 8; ++k) list.AddOne({cs[k], fs[k]});
  list.SortOnCardinals();
  list.SortOnFrequencies(true);
  EXPECT_TRUE(global_reversed_sort);
  EXPECT_EQ(list.GetACardAndFreq(0).f, 80);
  EXPECT_EQ(list.GetACardAndFreq(7).f, 10);
  EXPECT_FALSE(list.sorted);
  // Every existing value is found: no duplicate appears.
  for (Cardinal c : cs) list.AddOneOrIncFreq({c, 0});
  EXPECT_EQ(list.Count(), 8);
  EXPECT_EQ(list.GetACardAndFreq(list.IndexOF(1)).f, 51);

  list.SortOnFrequencies(false);
  EXPECT_EQ(list.GetACardAndFreq(0).f, 11);
}

// ---- word lists ------------------------------------------------------------------------------

TEST(Useful_classes_base_wordsFilter, RejectsInTheStatedOrder) {
  TWordFreqList list;
  list.SetFilter(2, std::numeric_limits<Int64>::max(), 0, 5, 0);
  EXPECT_EQ(list.AddOne({u"abcdef", 3}), -1);
  EXPECT_EQ(list.AddOne({u"abcde", 3}), 0);
  EXPECT_EQ(list.AddOne({u"ab", 1}), -1);

  list.SetFilter(0, 10, 2, std::numeric_limits<Int32>::max(), u'b');
  EXPECT_EQ(list.AddOne({u"bee", 11}), -1);
  EXPECT_EQ(list.AddOne({u"Bee", 5}), -1);
  EXPECT_EQ(list.AddOne({u"b", 5}), -1);
  EXPECT_EQ(list.AddOne({u"", 5}), -1);  // too short, though the letter test skips it
  EXPECT_EQ(list.AddOne({u"bee", 10}), 1);

  list.Clear();
  EXPECT_FALSE(list.filtering);
  EXPECT_EQ(list.StartLetter, 0);
  EXPECT_EQ(list.MaxWordLen, std::numeric_limits<Int32>::max());
  EXPECT_EQ(list.AddOne({u"", 0}), 0);
  EXPECT_EQ(list.GetOne(5).w, u"");
}

TEST(Useful_classes_base_wordsSort, MultiSortKeysAndTies) {
  TWordFreqList list;
  list.AddOne({u"pear", 3});
  list.AddOne({u"fig", 3});
  list.AddOne({u"apple", 1});
  list.AddOne({u"kiwi", 3});
  list.AddOne({u"Date", 2});

  list.MultiSort({});
  EXPECT_EQ(list.GetOne(0).w, u"Date");
  EXPECT_EQ(list.GetOne(4).w, u"pear");
  EXPECT_FALSE(list.sorted);

  list.MultiSort({wf_freq, wf_wordlen, wf_alph});
  const char16_t* expected[] = {u"apple", u"Date", u"fig", u"kiwi", u"pear"};
  for (int k = 0; k < 5; ++k) EXPECT_EQ(list.GetOne(k).w, expected[k]) << k;

  list.MultiSort({wf_wordlen});
  EXPECT_EQ(list.GetOne(0).w, u"fig");
  EXPECT_EQ(list.GetOne(4).w, u"apple");
}

TEST(Useful_classes_base_wordsStream, CountAndMarkOnly) {
  TWordFreqList list;
  list.AddOne({u"one", 1});
  list.AddOne({u"two", 2});
  TMemoryStream ms;
  ASSERT_TRUE(list.SaveToStream(&ms));
  EXPECT_EQ(ms.ToBytes(), (TBytes{2, 0, 0, 0, 0}));
  TWordFreqList back;
  ms.SetPosition(0);
  ASSERT_TRUE(back.ReadFromStream(&ms));
  ASSERT_EQ(back.Count(), 2);
  EXPECT_TRUE(back.GetOne(1).w.empty());
}

TEST(Useful_classes_base_wordsSourceNum, CursorHighestAndSort) {
  TWordFreqAndSourceNumList list;
  EXPECT_EQ(list.HighestFrequency(), 0);
  list.AddOne({u"a", 5, 1});
  list.AddOne({u"b", 9, 2});
  list.AddOne({u"c", -4, 3});
  EXPECT_EQ(list.HighestFrequency(), 9);
  EXPECT_EQ(list.GetNext().w, u"a");
  list.SortOnFreqs();
  EXPECT_EQ(list.GetOne(0).w, u"b");
  EXPECT_EQ(list.GetOne(2).w, u"c");
  EXPECT_FALSE(list.sorted);
  EXPECT_EQ(list.GetNext().w, u"a");
  EXPECT_EQ(list.GetNext().w, u"c");
  EXPECT_EQ(list.GetNext().w, u"");
  EXPECT_EQ(list.this_, 4);
  list.Clear();
  EXPECT_EQ(list.this_, 0);
}

}  // namespace
}  // namespace sk
