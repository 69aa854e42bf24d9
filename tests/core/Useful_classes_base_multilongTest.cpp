// Integer-column lists: stream form, column access, search by halving,
// ordered insertion, the column sorts and removal of found items.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "TestSupport.h"
#include "core/Global_vars.h"
#include "core/Useful_classes_base_longint.h"
#include "core/Useful_classes_base_multilong.h"
#include "platform/runtime/Streams.h"

namespace sk {
namespace {

class YieldCounter {
 public:
  YieldCounter() {
    Global_YieldProcessProc = [this] { ++count; };
  }
  ~YieldCounter() { Global_YieldProcessProc = nullptr; }
  int count = 0;
};

// A sorted T1LongintList of the values.
std::unique_ptr<T1LongintList> SortedOf(std::initializer_list<Int32> values) {
  auto list = std::make_unique<T1LongintList>();
  for (Int32 v : values) list->AddOne(v);
  list->SingleSort(tml_0);
  return list;
}

std::vector<Int32> ValuesOf(const T1LongintList& list) { return list.ToArrayOfInteger(tml_0); }

// ---- stream form --------------------------------------------------------------------------------

TEST(Useful_classes_base_multilongStream, WidthThreeTwoRowsIs29Bytes) {
  ScopedHandOverVariables handOver;  // the reads and sorts leave their hand-over values set
  T3LongintList list;
  list.AddOne(T3_longint_rec{1, -2, 3});
  list.AddOne(T3_longint_rec{0x01020304, 5, 6});
  TMemoryStream ms;
  ASSERT_TRUE(list.SaveToStream(&ms));
  // 4 (count) + 1 (sorted byte) + 2 rows x 3 columns x 4 bytes.
  const TBytes expected = {2, 0, 0, 0, 0,                                                   //
                           1, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF, 3, 0, 0, 0,                  //
                           4, 3, 2, 1, 5, 0, 0, 0, 6, 0, 0, 0};
  EXPECT_EQ(ms.ToBytes(), expected);

  T3LongintList back;
  ms.SetPosition(0);
  ASSERT_TRUE(back.ReadFromStream(&ms));
  EXPECT_EQ(global_temp_int, 3);
  ASSERT_EQ(back.Count(), 2);
  EXPECT_EQ(back.GetAValue(0).long1, -2);
  EXPECT_EQ(back.GetAValue(1).long0, 0x01020304);
}

TEST(Useful_classes_base_multilongStream, SortedListReadsBackSorted) {
  ScopedHandOverVariables handOver;  // the reads and sorts leave their hand-over values set
  auto list_owner = SortedOf({9, 4, 7});
  T1LongintList& list = *list_owner;
  TMemoryStream ms;
  ASSERT_TRUE(list.SaveToStream(&ms));
  EXPECT_EQ(ms.ToBytes()[4], 1);
  T1LongintList back;
  ms.SetPosition(0);
  ASSERT_TRUE(back.ReadFromStream(&ms));
  EXPECT_TRUE(back.sorted);
  EXPECT_EQ(back.IndexOf(7, tml_0), 1);
}

TEST(Useful_classes_base_multilongStream, CutRowsFail) {
  ScopedHandOverVariables handOver;  // the reads and sorts leave their hand-over values set
  // Count 2 of width 2 needs 16 bytes after the mark; 12 are there.
  T2LongintList list;
  TBytesStream ms(TBytes{2, 0, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0});
  EXPECT_FALSE(list.ReadFromStream(&ms));
  EXPECT_EQ(list.Count(), 0);
}

// ---- column access -----------------------------------------------------------------------------

TEST(Useful_classes_base_multilongColumns, RowsArePaddedOrCut) {
  TMultiLongintList list(tml_2);
  list.AddOne({1, 2, 3, 4, 5});
  list.AddOne({7});
  EXPECT_EQ(list.GetAValue(0, tml_1), 2);
  EXPECT_EQ(list.GetAValue(0, tml_2), MultiLongintNoValue);
  EXPECT_EQ(list.GetAValue(1, tml_1), 0);
  EXPECT_EQ(list.GetAValue(2, tml_0), MultiLongintNoValue);
  list.SetAValue(1, tml_5, 9);  // beyond the width: ignored
  list.IncOne(1, tml_1);
  list.AddToOneFreq(1, 10, tml_1);
  EXPECT_EQ(list.GetAValue(1, tml_1), 11);
}

TEST(Useful_classes_base_multilongColumns, InvalidIndexGivesNoValueInEveryColumn) {
  T4LongintList list;
  const T4_longint_rec r = list.GetAValue(-1);
  EXPECT_EQ(r.long0, -999999);
  EXPECT_EQ(r.long1, -999999);
  EXPECT_EQ(r.long2, -999999);
  EXPECT_EQ(r.long3, -999999);
  list.SetAValue(0, T4_longint_rec{1, 2, 3, 4});
  EXPECT_EQ(list.Count(), 0);
}

TEST(Useful_classes_base_multilongColumns, TotalWrapsAndHighlightColumns) {
  T1LongintList list;
  list.AddOne(0x7FFFFFFF);
  list.AddOne(1);
  EXPECT_EQ(list.TotalOf(tml_0), static_cast<Int32>(0x80000000u));
  EXPECT_EQ(list.TotalOf(tml_3), 0);

  TSearchHighlightWordsList hits;
  hits.AddSearchHitRec({100, 4, 9});
  EXPECT_EQ(hits.TxtPos(0), 100);
  EXPECT_EQ(hits.LinePos(0), 4);
  EXPECT_EQ(hits.LinePosEnd(0), 9);
  EXPECT_EQ(hits.LinePosEnd(1), -999999);
}

// ---- search by halving ------------------------------------------------------------------------

TEST(Useful_classes_base_multilongFind, FirstLastMiddleAndMissing) {
  auto list_owner = SortedOf({1, 3, 3, 3, 5});
  T1LongintList& list = *list_owner;
  EXPECT_EQ(list.Find(3, tml_0), 2);  // the first probe, not the lowest index
  EXPECT_EQ(list.Find(1, tml_0), 0);
  EXPECT_EQ(list.Find(5, tml_0), 4);
  EXPECT_EQ(list.Find(4, tml_0), -1);
  EXPECT_EQ(list.nearest, 4);  // probes 2, 3, 4
  EXPECT_EQ(list.Find(0, tml_0), -1);
  EXPECT_EQ(list.nearest, 0);
  EXPECT_EQ(list.Find(9, tml_0), -1);
  EXPECT_EQ(list.nearest, 4);
  T1LongintList empty;
  EXPECT_EQ(empty.Find(1, tml_0), -1);
  EXPECT_EQ(empty.IndexOf(1, tml_0), -1);
}

TEST(Useful_classes_base_multilongFind, DoesNotCallTheHostPerProbe) {
  auto list_owner = SortedOf({10, 20, 30, 40, 50, 60, 70});
  T1LongintList& list = *list_owner;
  YieldCounter yields;
  EXPECT_EQ(list.Find(65, tml_0), -1);
  EXPECT_EQ(list.nearest, 6);  // the last probe
  // A search by halving is short: it yields only by time, never per probe.
  EXPECT_EQ(yields.count, 0);
}

TEST(Useful_classes_base_multilongFind, OrderedInsertionKeepsTheListSorted) {
  auto list_owner = SortedOf({3, 5, 5, 9});
  T1LongintList& list = *list_owner;
  EXPECT_EQ(list.AddOne(5), 1);
  EXPECT_EQ(list.AddOne(4), 1);
  EXPECT_EQ(list.AddOne(10), 6);
  EXPECT_EQ(list.AddOne(1), 0);
  EXPECT_EQ(ValuesOf(list), (std::vector<Int32>{1, 3, 4, 5, 5, 5, 9, 10}));
  EXPECT_TRUE(list.sorted);
  for (Int32 v : {1, 3, 4, 5, 9, 10}) EXPECT_EQ(list.GetAValue(list.IndexOf(v, tml_0)), v);
  EXPECT_EQ(list.IndexOf(7, tml_0), -1);
}

// A sorted list fed in any order: it ends sorted with every value found, and
// an add moves about as many items at 8n as at n (a contiguous array moves
// n / 2, blocks of sqrt(n) about sqrt(n)).
TEST(Useful_classes_base_multilongFind, OrderedInsertionInAnyOrderMovesLittle) {
  class TCountingList : public T1LongintList {
   public:
    size_t Moved() const { return fItems.MovedItems(); }
  };
  enum Order { ascending, descending, random, fewValues };
  for (Order order : {ascending, descending, random, fewValues}) {
    double perAdd[2] = {0, 0};
    for (int size = 0; size < 2; ++size) {
      const Int32 n = size == 0 ? 10000 : 80000;
      SCOPED_TRACE(testing::Message() << "order " << order << " n " << n);
      std::mt19937 rng(static_cast<unsigned>(n) + order);
      std::vector<Int32> values;
      for (Int32 i = 0; i < n; ++i) {
        switch (order) {
          case ascending: values.push_back(i); break;
          case descending: values.push_back(n - i); break;
          case random: values.push_back(static_cast<Int32>(rng())); break;
          default: values.push_back(static_cast<Int32>(rng() % 50));
        }
      }
      TCountingList list;
      list.sorted = true;
      for (Int32 v : values) list.AddOne(v);
      perAdd[size] = static_cast<double>(list.Moved()) / n;
      std::sort(values.begin(), values.end());
      ASSERT_EQ(ValuesOf(list), values);
      EXPECT_TRUE(list.sorted);
      for (Int32 k = 0; k < n; k += 97) EXPECT_EQ(list.GetAValue(list.IndexOf(values[k], tml_0)), values[k]);
    }
    EXPECT_LE(perAdd[1], 1.25 * perAdd[0] + 4) << "order " << order;
  }
}

TEST(Useful_classes_base_multilongFind, UnsortedInsertionsClearTheMark) {
  auto list_owner = SortedOf({2, 4, 6});
  T1LongintList& list = *list_owner;
  list.InsertOne(0, 8);  // out of order
  EXPECT_FALSE(list.sorted);
  EXPECT_EQ(list.IndexOf(8, tml_0), 0);
  EXPECT_EQ(list.IndexOf(6, tml_0), 3);

  auto list2_owner = SortedOf({2, 4, 6});
  T1LongintList& list2 = *list2_owner;
  list2.SetAValue(1, 100);
  EXPECT_FALSE(list2.sorted);
  EXPECT_EQ(list2.IndexOf(100, tml_0), 1);
  auto list3_owner = SortedOf({2, 4, 6});
  T1LongintList& list3 = *list3_owner;
  list3.SetAValue(1, 5);  // still in order
  EXPECT_TRUE(list3.sorted);
}

// ---- sorts ------------------------------------------------------------------------------------

TEST(Useful_classes_base_multilongSort, UpToThreeColumnsWithTies) {
  T3LongintList list;
  list.AddOne(T3_longint_rec{2, 1, 9});
  list.AddOne(T3_longint_rec{1, 5, 5});
  list.AddOne(T3_longint_rec{2, 1, 3});
  list.AddOne(T3_longint_rec{1, 5, 4});
  list.AddOne(T3_longint_rec{2, 0, 7});
  list.TripleSort(tml_0, tml_1, tml_2);
  const std::vector<std::array<Int32, 3>> expected = {{1, 5, 4}, {1, 5, 5}, {2, 0, 7}, {2, 1, 3}, {2, 1, 9}};
  for (Int32 i = 0; i < list.Count(); ++i) {
    const T3_longint_rec r = list.GetAValue(i);
    EXPECT_EQ((std::array<Int32, 3>{r.long0, r.long1, r.long2}), expected[static_cast<size_t>(i)]) << i;
  }
  EXPECT_TRUE(list.sorted);

  list.DoubleSort(tml_2, tml_0);
  EXPECT_EQ(list.GetAValue(0).long2, 3);
  EXPECT_EQ(list.GetAValue(4).long2, 9);
  list.SingleSort(tml_1);
  EXPECT_EQ(list.GetAValue(0).long1, 0);
  EXPECT_EQ(list.GetAValue(4).long1, 5);
}

TEST(Useful_classes_base_multilongSort, LookupsOnAnotherColumnScan) {
  // Sorted on column 1, the list is not in column-0 order.
  T2LongintList list;
  list.AddOne(T2_longint_rec{50, 1});
  list.AddOne(T2_longint_rec{10, 2});
  list.AddOne(T2_longint_rec{30, 3});
  list.AddOne(T2_longint_rec{20, 4});
  list.AddOne(T2_longint_rec{40, 5});
  list.SingleSort(tml_1);
  EXPECT_TRUE(list.sorted);
  EXPECT_EQ(list.SortedOn(), tml_1);
  for (Int32 i = 0; i < list.Count(); ++i) EXPECT_EQ(list.IndexOf(list.GetAValue(i).long0, tml_0), i);
  EXPECT_EQ(list.IndexOf(4, tml_1), 3);
}

// ---- T1LongintList and its active form ------------------------------------------------------------

TEST(Useful_classes_base_multilongT1, FindAndFreeRemovesTheEntry) {
  auto list_owner = SortedOf({1, 3, 5, 7});
  T1LongintList& list = *list_owner;
  EXPECT_EQ(list.FindAndFree(5), 2);
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(ValuesOf(list), (std::vector<Int32>{1, 3, 7}));
  EXPECT_EQ(list.FindAndFree(5), -1);
  EXPECT_EQ(list.Find(7, tml_0), 2);
  EXPECT_EQ(list.GetAValue(2), 7);
  TMemoryStream ms;
  EXPECT_TRUE(list.SaveToStream(&ms));
  EXPECT_EQ(ms.Size(), 4 + 1 + 3 * 4);
}

TEST(Useful_classes_base_multilongT1, CopiesAndIncrements) {
  auto list_owner = SortedOf({4, 2});
  T1LongintList& list = *list_owner;
  list.IncrementEach();
  list.AddToValue(0, 10);
  list.AddToValue(5, 10);
  auto copy = list.GetACopyOfSelf();
  EXPECT_EQ(ValuesOf(*copy), (std::vector<Int32>{13, 5}));
  EXPECT_FALSE(copy->sorted);
  EXPECT_FALSE(list.sorted);  // 13 before 5
}

TEST(Useful_classes_base_multilongT1, ActiveListCurrentItemFollowsRemovals) {
  TQMActiveLongintList list;
  EXPECT_EQ(list.GetCurrentItem(), 0);
  for (Int32 v : {10, 20, 30, 40}) list.AddOneAndSetCountCurrent(v);
  EXPECT_EQ(list.GetCurrentItem(), 3);
  EXPECT_EQ(list.CurrentItemValue(), 40);

  // Removing the current item moves the current item back by one.
  EXPECT_EQ(list.FindAndFree(40), 3);
  EXPECT_EQ(list.GetCurrentItem(), 2);
  EXPECT_EQ(list.CurrentItemValue(), 30);
  // Removing an earlier item keeps the same item current.
  EXPECT_EQ(list.FindAndFree(10), 0);
  EXPECT_EQ(list.CurrentItemValue(), 30);
  // Current item 0 removed: the current item becomes the last.
  list.SetCurrentItem(0);
  EXPECT_EQ(list.FindAndFree(20), 0);
  EXPECT_EQ(list.GetCurrentItem(), list.Count() - 1);
  EXPECT_EQ(list.CurrentItemValue(), 30);

  list.Clear();
  EXPECT_EQ(list.GetCurrentItem(), -1);
  EXPECT_EQ(list.CurrentItemValue(), -1);
  // Nothing found while nothing is current: current goes to the last index.
  EXPECT_EQ(list.FindAndFree(99), -1);
  EXPECT_EQ(list.GetCurrentItem(), -1);
}

}  // namespace
}  // namespace sk
