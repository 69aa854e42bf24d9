// Owning lists: the count-plus-items stream form, ownership operations,
// duplicate removal and the sort's yielding and cancellation.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>
#include <utility>
#include <vector>

#include "TestSupport.h"
#include "core/Comparing_types.h"
#include "core/CoreTestSupport.h"
#include "core/Global_vars.h"
#include "core/Sortablelists.h"
#include "core/Useful_classes_base_holders.h"
#include "core/Useful_classes_base_lists.h"
#include "core/Useful_classes_base_longint.h"
#include "core/Useful_classes_base_numeric.h"
#include "core/Useful_classes_base_records.h"
#include "core/Useful_classes_base_stringlists.h"
#include "platform/runtime/Streams.h"

namespace sk {
namespace {

void PutInt32(TBytes& b, Int32 v) {
  for (int k = 0; k < 4; ++k) b.push_back(static_cast<Byte>(static_cast<uint32_t>(v) >> (8 * k)));
}

TBytes Int32s(std::initializer_list<Int32> values) {
  TBytes b;
  for (Int32 v : values) PutInt32(b, v);
  return b;
}

TBytes Concat(std::initializer_list<TBytes> parts) {
  TBytes out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// Restores the yield hook, the cancel flag and the hand-over variables a test
// changes.
class ProcessStateGuard {
 public:
  ~ProcessStateGuard() {
    Global_YieldProcessProc = nullptr;
    global_panic_state = panic_no_panic;
  }

 private:
  ScopedHandOverVariables fHandOver;
};

// A list whose items save and read nothing (the base item form).
class TPlainList : public TUsefulBaseList {
 public:
  TPlainList() : TUsefulBaseList(&NewUsefulBaseListObject<TUsefulBaseListObject>) {}
  Int32 AddBlank() { return AddItem(std::make_unique<TUsefulBaseListObject>()); }
};

// ---- stream form ------------------------------------------------------------------------------

TEST(Useful_classes_base_listsStream, PlainListWritesCountThenItems) {
  TStringColumnAndColourList list;
  list.AddOne({3, 0x00FF00, u"ab"});
  TMemoryStream ms;
  ASSERT_TRUE(list.SaveToStream(&ms));
  // No sorted byte for a plain list; the item is two Int32 and a stored string.
  const TBytes expected = Concat({Int32s({1, 3, 0x00FF00, 2}), TBytes{'a', 0, 'b', 0}});
  EXPECT_EQ(ms.ToBytes(), expected);
}

TEST(Useful_classes_base_listsStream, SortableListWritesSortedByte) {
  TCardinalList list;
  list.AddOne(7);
  list.AddOne(0x01020304);
  list.SortAscendingDefault();
  TMemoryStream ms;
  ASSERT_TRUE(list.SaveToStream(&ms));
  EXPECT_EQ(ms.ToBytes(), Concat({Int32s({2}), TBytes{1}, Int32s({7, 0x01020304})}));

  TCardinalList unsortedList;
  unsortedList.AddOne(9);
  TMemoryStream ms2;
  ASSERT_TRUE(unsortedList.SaveToStream(&ms2));
  EXPECT_EQ(ms2.ToBytes(), Concat({Int32s({1}), TBytes{0}, Int32s({9})}));
}

TEST(Useful_classes_base_listsStream, ReadingAppendsAndTakesTheMark) {
  TCardinalList source;
  source.AddOne(5);
  source.AddOne(8);
  source.SortAscendingDefault();
  TMemoryStream ms;
  ASSERT_TRUE(source.SaveToStream(&ms));

  TCardinalList target;
  target.AddOne(1);
  target.AddOne(2);
  ms.SetPosition(0);
  ASSERT_TRUE(target.ReadFromStream(&ms));
  ASSERT_EQ(target.Count(), 4);
  EXPECT_EQ(target.GetAValue(0), 1u);
  EXPECT_EQ(target.GetAValue(3), 8u);
  EXPECT_TRUE(target.sorted);
  EXPECT_EQ(ms.Position(), ms.Size());
}

TEST(Useful_classes_base_listsStream, AMarkThatTheItemsBelieDoesNotStick) {
  // Sorted items appended after larger ones: lookups by halving would miss.
  TCardinalList source;
  source.AddOne(1);
  source.SortAscendingDefault();
  TMemoryStream ms;
  ASSERT_TRUE(source.SaveToStream(&ms));
  TCardinalList target;
  target.AddOne(50);
  ms.SetPosition(0);
  ASSERT_TRUE(target.ReadFromStream(&ms));
  EXPECT_FALSE(target.sorted);
  EXPECT_EQ(target.IndexOF(1), 1);
}

// A NaN answers "less" to every comparison, so items on either side of it
// can be out of order without any neighbouring pair saying so: a stream that
// marks such a list sorted must not make a search by halving miss an item.
TEST(Useful_classes_base_lists, AMarkOverANaNDoesNotStick) {
  TMemoryStream ms;
  ms.WriteValue<Int32>(3);
  ms.WriteValue<Byte>(1);
  for (const Single v : {2.0f, std::numeric_limits<Single>::quiet_NaN(), 1.0f}) ms.WriteValue<Single>(v);
  ms.SetPosition(0);
  TSinglesList list;
  ASSERT_TRUE(list.ReadFromStream(&ms));
  EXPECT_FALSE(list.sorted);
  EXPECT_EQ(list.IndexOF(2.0f), 0);
  EXPECT_EQ(list.IndexOF(1.0f), 2);
  // Adding a NaN to a sorted list unmarks it too.
  TSinglesList added;
  added.AddOne(1.0f);
  added.AddOne(3.0f);
  added.SortAscendingDefault();
  ASSERT_TRUE(added.sorted);
  added.AddOne(std::numeric_limits<Single>::quiet_NaN());
  EXPECT_FALSE(added.sorted);
}

TEST(Useful_classes_base_listsStream, TruncatedCountOrMarkFails) {
  TCardinalList list;
  TBytesStream three(TBytes{1, 0, 0});
  EXPECT_FALSE(list.ReadFromStream(&three));
  TBytesStream noMark(Int32s({0}));
  EXPECT_FALSE(list.ReadFromStream(&noMark));
  TBytesStream empty(Concat({Int32s({0}), TBytes{1}}));
  EXPECT_TRUE(list.ReadFromStream(&empty));
  EXPECT_EQ(list.Count(), 0);
}

TEST(Useful_classes_base_listsStream, CountBeyondTheBytesFailsWithoutAddingItems) {
  // Count 3 with bytes for one item; and a count near the Int32 limit.
  for (Int32 count : {3, std::numeric_limits<Int32>::max()}) {
    TCardinalList list;
    list.AddOne(42);
    TBytesStream ms(Concat({Int32s({count}), TBytes{1}, Int32s({7})}));
    EXPECT_FALSE(list.ReadFromStream(&ms)) << count;
    EXPECT_EQ(list.Count(), 1) << count;
    EXPECT_FALSE(list.sorted) << count;
  }
  // Items of no stream size cannot be checked against the bytes: a huge count
  // is still refused.
  TPlainList plain;
  TBytesStream huge(Int32s({std::numeric_limits<Int32>::max()}));
  EXPECT_FALSE(plain.ReadFromStream(&huge));
  EXPECT_EQ(plain.Count(), 0);
  TBytesStream negative(Int32s({-5}));
  EXPECT_TRUE(plain.ReadFromStream(&negative));
  EXPECT_EQ(plain.Count(), 0);
}

TEST(Useful_classes_base_listsStream, ItemThatFailsLeavesTheRestEmpty) {
  // Three items by the count, and bytes enough for that many of the smallest;
  // the second item ends before its first string's count.
  T2StringsAnd2IntegersList list;
  TBytes item1 = Int32s({1, 2, 12});
  for (int k = 0; k < 12; ++k) item1.insert(item1.end(), {static_cast<Byte>('a' + k), 0});
  PutInt32(item1, 0);
  TBytesStream ms(Concat({Int32s({3}), item1, Int32s({9, 9}), TBytes{0, 0}}));
  EXPECT_FALSE(list.ReadFromStream(&ms));
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list.GetTwoStringsAndInt(0).s1, u"abcdefghijkl");
  EXPECT_EQ(list.GetTwoStringsAndInt(0).int2, 2);
  EXPECT_TRUE(list.GetTwoStringsAndInt(1).s1.empty());
  EXPECT_EQ(list.GetTwoStringsAndInt(2).int1, 0);
}

TEST(Useful_classes_base_listsStream, ShortWriteFails) {
  class TFullStream : public TMemoryStream {
   public:
    Int64 Write(const void* buffer, Int64 count) override {
      const Int64 n = std::max<Int64>(0, std::min(count, 6 - Position()));
      return n > 0 ? TMemoryStream::Write(buffer, n) : 0;
    }
  };
  TCardinalList list;
  list.AddOne(1);
  list.AddOne(2);
  TFullStream ms;
  EXPECT_FALSE(list.SaveToStream(&ms));
}

// A slot freed and not yet packed writes nothing, so the count stored is the
// number of items written: what follows the list in the stream stays its own.
TEST(Useful_classes_base_listsStream, FreedSlotIsNotCounted) {
  struct Case {
    const char* name;
    std::function<std::unique_ptr<TUsefulBaseList>()> make;  // holding 10, 20, 30
    std::function<Int32(TUsefulBaseList&, Int32)> value;
  };
  const std::vector<Case> cases = {
      {"plain list",
       [] {
         auto l = std::make_unique<TStringColumnAndColourList>();
         for (Int32 v : {10, 20, 30}) l->AddOne({v, 0, u"x"});
         return std::unique_ptr<TUsefulBaseList>(std::move(l));
       },
       [](TUsefulBaseList& l, Int32 i) { return static_cast<TStringColumnAndColourList&>(l).GetATrueColumn(i); }},
      {"sortable list",
       [] {
         auto l = std::make_unique<TCardinalList>();
         for (Cardinal v : {10u, 20u, 30u}) l->AddOne(v);
         return std::unique_ptr<TUsefulBaseList>(std::move(l));
       },
       [](TUsefulBaseList& l, Int32 i) { return static_cast<Int32>(static_cast<TCardinalList&>(l).GetAValue(i)); }},
  };
  for (const Case& c : cases) {
    for (Int32 freed : {0, 1, 2}) {
      SCOPED_TRACE(testing::Message() << c.name << ", slot " << freed << " freed");
      auto list = c.make();
      list->FreeAndNilOne(freed);
      TMemoryStream ms;
      ASSERT_TRUE(list->SaveToStream(&ms));
      ms.WriteValue<Int32>(6789);
      ms.SetPosition(0);
      auto back = c.make();
      back->Clear();
      EXPECT_TRUE(back->ReadFromStream(&ms));
      std::vector<Int32> values;
      for (Int32 i = 0; i < back->Count(); ++i) values.push_back(c.value(*back, i));
      std::vector<Int32> expected = {10, 20, 30};
      expected.erase(expected.begin() + freed);
      EXPECT_EQ(values, expected);
      Int32 after = 0;
      ASSERT_TRUE(ms.TryReadValue<Int32>(after));
      EXPECT_EQ(after, 6789);
    }
  }
}

TEST(Useful_classes_base_listsStream, FileRoundTrip) {
  const String name = Utf8ToString(testing::TempDir()) + u"useful_lists_roundtrip.bin";
  TQMInt64List list;
  list.AddOne(-3);
  list.AddOne(1LL << 40);
  ASSERT_TRUE(list.SaveToFile(name));
  TQMInt64List back;
  ASSERT_TRUE(back.LoadFromFile(name));
  ASSERT_EQ(back.Count(), 2);
  EXPECT_EQ(back.GetAValue(1), 1LL << 40);
  EXPECT_THROW(back.LoadFromFile(name + u".missing"), EFOpenError);
  std::remove(StringToUtf8(name).c_str());
}

// ---- ownership ----------------------------------------------------------------------------------

// Every list class raises the same index error, naming the index.
TEST(Useful_classes_base_listsOwnership, IndexErrorsNameTheIndex) {
  TPlainList plain;
  TIndexCheckList checked;
  T3SortYieldingList yielding;
  const std::vector<std::pair<std::function<void()>, const char16_t*>> cases = {
      {[&] { plain.Delete(0); }, u"List index out of bounds (0)"},
      {[&] { plain.ReduceTo(-2); }, u"List index out of bounds (-2)"},
      {[&] { checked.Items(3); }, u"List index out of bounds (3)"},
      {[&] { checked.Insert(1, nullptr); }, u"List index out of bounds (1)"},
      {[&] { yielding.Items(-1); }, u"List index out of bounds (-1)"},
      {[&] { yielding.Insert(2, nullptr); }, u"List index out of bounds (2)"},
  };
  for (const auto& [call, message] : cases) {
    SCOPED_TRACE(StringToUtf8(message));
    try {
      call();
      ADD_FAILURE() << "no error";
    } catch (const EListError& e) {
      EXPECT_EQ(e.Message(), message);
    }
  }
}

TEST(Useful_classes_base_listsOwnership, ReduceToAndClear) {
  TCardinalList list;
  for (Cardinal v = 0; v < 5; ++v) list.AddOne(v);
  list.ReduceTo(7);
  EXPECT_EQ(list.Count(), 5);
  list.ReduceTo(2);
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.GetAValue(1), 1u);
  EXPECT_THROW(list.ReduceTo(-1), EListError);
  EXPECT_EQ(list.Count(), 2);
  list.SortAscendingDefault();
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_FALSE(list.sorted);
}

// Freeing a long list calls the host by time; a host that cuts the list or
// adds to it meanwhile leaves it empty all the same, with nothing read or
// freed twice (AddressSanitizer watches).
TEST(Useful_classes_base_listsOwnership, ClearOfALongListYields) {
  enum Host { waits, cutsTheList, addsAnItem };
  for (Host host : {waits, cutsTheList, addsAnItem}) {
    SCOPED_TRACE(host);
    ProcessStateGuard guard;
    EveryCheckYields everyCheck;
    TCardinalList list;
    for (Cardinal v = 0; v < 20000; ++v) list.AddOne(v);
    int yields = 0;
    Global_YieldProcessProc = [&] {
      if (++yields != 2) return;
      if (host == cutsTheList) list.ReduceTo(100);
      if (host == addsAnItem) list.AddOne(7);
    };
    list.Clear();
    EXPECT_GE(yields, 2);
    EXPECT_EQ(list.Count(), 0);
  }
}

TEST(Useful_classes_base_listsOwnership, FreedSlotIsNotAssignedUntilPacked) {
  TCardinalList list;
  list.AddOne(1);
  list.AddOne(2);
  list.FreeAndNilOne(0);
  EXPECT_FALSE(list.IndexAssignedOK(0));
  EXPECT_EQ(list.GetAValue(0), 0u);
  list.Pack();
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.GetAValue(0), 2u);
}

TEST(Useful_classes_base_listsOwnership, RemoveDuplicatesKeepsFirstOfEachRun) {
  TCardinalList list;
  for (Cardinal v : {4u, 1u, 4u, 2u, 1u, 4u}) list.AddOne(v);
  list.SortAscendingDefault();
  list.RemoveDuplicates();
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list.GetAValue(0), 1u);
  EXPECT_EQ(list.GetAValue(1), 2u);
  EXPECT_EQ(list.GetAValue(2), 4u);
  EXPECT_TRUE(list.sorted);

  // Without a comparer of their own, items are never equal.
  TIntegerAndSingleList pairs;
  pairs.AddOne({1, 1.0f});
  pairs.AddOne({1, 1.0f});
  pairs.RemoveDuplicates();
  EXPECT_EQ(pairs.Count(), 2);
}

TEST(Useful_classes_base_listsOwnership, ReverseTheSort) {
  TCardinalList one;
  one.AddOne(3);
  one.SortAscendingDefault();
  one.ReverseTheSort();
  EXPECT_EQ(one.GetAValue(0), 3u);
  EXPECT_TRUE(one.sorted);

  TCardinalList four;
  for (Cardinal v : {1u, 2u, 3u, 4u}) four.AddOne(v);
  four.SortAscendingDefault();
  four.ReverseTheSort();
  EXPECT_EQ(four.GetAValue(0), 4u);
  EXPECT_EQ(four.GetAValue(3), 1u);
  // Descending now: a lookup must scan rather than halve.
  EXPECT_FALSE(four.sorted);
  EXPECT_EQ(four.IndexOF(1), 3);
}

// ---- sorting --------------------------------------------------------------------------------

TEST(Useful_classes_base_listsSort, YieldsByTimeNotPerPass) {
  ProcessStateGuard guard;
  YieldCounter yields;
  TCardinalList list;
  const Cardinal n = 20000;
  for (Cardinal v = 0; v < n; ++v) list.AddOne((v * 7919u) % n);
  list.SortAscendingDefault();
  // Thousands of partition passes, but the host is called by time: at least
  // once in so long a sort, and about once per 20 ms after that.
  EXPECT_GE(yields.calls, 1);
  EXPECT_LE(yields.calls, yields.AtMostByTime());
  EXPECT_TRUE(list.sorted);
  for (Int32 i = 0; i < list.Count(); ++i) ASSERT_EQ(list.GetAValue(i), static_cast<Cardinal>(i));
}

TEST(Useful_classes_base_listsSort, CancelEndsQuicklyWithEveryItemPresent) {
  ProcessStateGuard guard;
  EveryCheckYields everyCheck;
  int yields = 0;
  Global_YieldProcessProc = [&] {
    if (++yields == 3) global_panic_state = panic_stop;
  };
  TCardinalList list;
  const Cardinal n = 20000;
  for (Cardinal v = 0; v < n; ++v) list.AddOne((v * 7919u) % n);
  list.SortAscendingDefault();
  EXPECT_EQ(yields, 3);
  EXPECT_FALSE(list.sorted);
  std::vector<Cardinal> values;
  for (Int32 i = 0; i < list.Count(); ++i) values.push_back(list.GetAValue(i));
  std::sort(values.begin(), values.end());
  ASSERT_EQ(values.size(), n);
  for (Cardinal v = 0; v < n; ++v) ASSERT_EQ(values[v], v);
  // An unmarked list still finds by scanning.
  EXPECT_GE(list.IndexOF(n - 1), 0);
}

TEST(Useful_classes_base_listsSort, SortOnAnotherOrderLeavesTheListUnmarked) {
  // Descending on the value: lookups by halving would miss, so they must scan.
  TCardinalList list;
  for (Cardinal v : {3u, 9u, 1u, 7u, 5u}) list.AddOne(v);
  list.Sort([](Pointer a, Pointer b) { return SortCardinals(b, a); });
  EXPECT_EQ(list.GetAValue(0), 9u);
  EXPECT_FALSE(list.sorted);
  for (Cardinal v : {1u, 3u, 5u, 7u, 9u}) EXPECT_EQ(list.GetAValue(list.IndexOF(v)), v) << v;
  list.SortAscendingDefault();
  EXPECT_TRUE(list.sorted);

  // An integer-column list checks the column its lookups use.
  T2LongintList rows;
  for (Int32 k = 0; k < 6; ++k) rows.AddOne(T2_longint_rec{k, 10 - k});
  rows.SingleSort(tml_1);
  EXPECT_TRUE(rows.sorted);
  rows.Sort([](Pointer a, Pointer b) {
    const auto* x = static_cast<TMultiLongintHolder*>(static_cast<TUsefulBaseListObject*>(a));
    const auto* y = static_cast<TMultiLongintHolder*>(static_cast<TUsefulBaseListObject*>(b));
    return CompareLongints(x->data.dados[0], y->data.dados[0]);  // column 0, not the sorted column 1
  });
  EXPECT_FALSE(rows.sorted);
  EXPECT_EQ(rows.IndexOf(9, tml_1), 1);
  rows.DoubleSort(tml_0, tml_1);
  EXPECT_TRUE(rows.sorted);
  EXPECT_EQ(rows.IndexOf(4, tml_0), 4);
}

TEST(Useful_classes_base_listsSort, HostThatShrinksTheListDuringAYieldStopsTheSort) {
  // The host must not do this; if it does, the sort stops instead of reading
  // past the list (AddressSanitizer watches the reads).
  ProcessStateGuard guard;
  EveryCheckYields everyCheck;
  TCardinalList list;
  for (Cardinal v = 0; v < 5000; ++v) list.AddOne((v * 7919u) % 5000u);
  int yields = 0;
  bool inHost = false;  // cutting the list yields too; those calls are not the sort's
  Global_YieldProcessProc = [&] {
    if (inHost) return;
    if (++yields != 2) return;
    inHost = true;
    list.ReduceTo(10);
    inHost = false;
  };
  list.SortAscendingDefault();
  EXPECT_EQ(yields, 2);
  EXPECT_EQ(list.Count(), 10);
  EXPECT_FALSE(list.sorted);
}

TEST(Useful_classes_base_listsSort, AlreadyCancelledSortLeavesListUnmarked) {
  ProcessStateGuard guard;
  global_panic_state = panic_stop_asap;
  TSinglesList list;
  list.AddOne(2.0f);
  list.AddOne(1.0f);
  list.SortAscendingDefault();
  EXPECT_FALSE(list.sorted);
  EXPECT_EQ(list.Count(), 2);
}

}  // namespace
}  // namespace sk
