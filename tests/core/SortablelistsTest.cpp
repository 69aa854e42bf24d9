// Three-level sort lists: order at every level (checked against a brute-force
// verification), directions, ranges, runs, the busy guard, yielding and its
// suppression, cancellation, closures that raise, and closures that are not
// consistent orders.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <random>
#include <stdexcept>
#include <utility>
#include <vector>

#include "core/CoreTestSupport.h"
#include "core/Global_vars.h"
#include "core/Sortablelists.h"
#include "core/Useful_classes_base_compare.h"

namespace sk {
namespace {

// One item with three integer keys, a float key (sort number 3) and an
// identity, so that a test can check every item is still there.
struct Item : TObject {
  Item(Int32 a, Int32 b, Int32 c, Int32 ident, float f = 0) : key{a, b, c}, fkey(f), id(ident) {}
  Int32 key[3];
  float fkey;
  Int32 id;
  String skey;
};

constexpr Int32 kFloatKey = 3;
constexpr Int32 kStringKey = 4;

// A descendant as the library's own lists are written: SetBase captures the
// base item's key for the sort number, the closure compares an item with it.
class TestList : public T3SortYieldingList {
 public:
  std::vector<std::unique_ptr<Item>> owned;
  Int32 baseKey = 0;
  float baseF = 0;
  Int32 setBaseCalls = 0;
  std::vector<Tsort_num> levelsSeen;
  std::function<void()> onSetBase;

  Item* AddItem(Int32 a, Int32 b, Int32 c, float f = 0) {
    owned.push_back(std::make_unique<Item>(a, b, c, static_cast<Int32>(owned.size()), f));
    Add(owned.back().get());
    return owned.back().get();
  }
  Item* At(Int32 i) const { return static_cast<Item*>(Items(i)); }

  // The list's comparison closure over the key captured by SetBase.
  TCompareFunctOfObject Closure() {
    return [this](TObject* o) -> Int32 {
      ++compares;
      const Item* it = static_cast<const Item*>(o);
      if (current_sort_rec.current_sort_var == kFloatKey) return CompareSingles(it->fkey, baseF);
      if (current_sort_rec.current_sort_var == kStringKey) return Compare2Strings(it->skey, baseS);
      return CompareLongints(it->key[current_sort_rec.current_sort_var], baseKey);
    };
  }
  Int64 compares = 0;

 protected:
  void SetBase(TObject* item, Int32 sortNum) override {
    ++setBaseCalls;
    levelsSeen.push_back(current_sort_rec.current_sort_doing);
    if (onSetBase) onSetBase();
    const Item* it = static_cast<const Item*>(item);
    if (sortNum == kFloatKey)
      baseF = it->fkey;
    else if (sortNum == kStringKey)
      baseS = it->skey;
    else
      baseKey = it->key[sortNum];
  }
  String baseS;
};

// The same list when its items give their keys: the sorts then run on an
// array of gathered keys and call neither SetBase nor the closure.
class TestKeyList : public TestList {
 public:
  bool giveKeys = true;

 protected:
  T3SortKeyKind SortKeyKind(Int32 sortNum) const override {
    if (!giveKeys) return sk_no_key;
    if (sortNum == kFloatKey) return sk_double_key;
    if (sortNum == kStringKey) return sk_string_key;
    return sk_int64_key;
  }
  Int64 SortKeyInt64(const TObject* item, Int32 sortNum) const override {
    return static_cast<const Item*>(item)->key[sortNum];
  }
  Double SortKeyDouble(const TObject* item, Int32 /*sortNum*/) const override {
    return static_cast<const Item*>(item)->fkey;
  }
  String SortKeyString(const TObject* item, Int32 /*sortNum*/) const override {
    return static_cast<const Item*>(item)->skey;
  }
};

class TestNonYieldingList : public T3SortNonYieldingList {
 public:
  std::vector<std::unique_ptr<Item>> owned;
  Int32 baseKey = 0;
  void AddItem(Int32 a) {
    owned.push_back(std::make_unique<Item>(a, 0, 0, static_cast<Int32>(owned.size())));
    Add(owned.back().get());
  }
  Item* At(Int32 i) const { return static_cast<Item*>(Items(i)); }
  TCompareFunctOfObject Closure() {
    return [this](TObject* o) { return CompareLongints(static_cast<Item*>(o)->key[0], baseKey); };
  }

 protected:
  void SetBase(TObject* item, Int32 sortNum) override { baseKey = static_cast<Item*>(item)->key[sortNum]; }
};

// Restores the process-wide hook and cancel flag after each test.
class SortablelistsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedHook_ = Global_YieldProcessProc;
    savedPanic_ = global_panic_state;
    Global_YieldProcessProc = nullptr;
    global_panic_state = panic_no_panic;
  }
  void TearDown() override {
    Global_YieldProcessProc = savedHook_;
    global_panic_state = savedPanic_;
  }

 private:
  TYieldProcessProc savedHook_;
  Tpanic_mode savedPanic_ = panic_no_panic;
};

using SortablelistsOrder = SortablelistsTest;
using SortablelistsRanges = SortablelistsTest;
using SortablelistsBusy = SortablelistsTest;
using SortablelistsYield = SortablelistsTest;
using SortablelistsRobust = SortablelistsTest;

// Every item present exactly once.
void ExpectPermutation(const TestList& l) {
  std::vector<bool> seen(l.owned.size(), false);
  ASSERT_EQ(static_cast<size_t>(l.Count()), l.owned.size());
  for (Int32 i = 0; i < l.Count(); ++i) {
    const Item* it = l.At(i);
    ASSERT_NE(it, nullptr);
    ASSERT_FALSE(seen[static_cast<size_t>(it->id)]) << "item " << it->id << " twice";
    seen[static_cast<size_t>(it->id)] = true;
  }
}

// Brute force: each adjacent pair is in order on keys k[0..levels-1] taken
// lexicographically with the directions given.
void ExpectLexicographic(const TestList& l, const std::vector<Int32>& keys, const std::vector<bool>& asc) {
  for (Int32 i = 0; i + 1 < l.Count(); ++i) {
    const Item* a = l.At(i);
    const Item* b = l.At(i + 1);
    for (size_t d = 0; d < keys.size(); ++d) {
      const Int32 x = a->key[keys[d]], y = b->key[keys[d]];
      if (x == y) continue;
      ASSERT_TRUE(asc[d] ? x < y : x > y) << "position " << i << " level " << d;
      break;
    }
  }
}

TEST_F(SortablelistsOrder, TrebleSortOrdersTiesByTheThirdKey) {
  TestList l;
  l.SetAscending(true, true, true);
  l.AddItem(1, 1, 26);  // (A,1,z)
  l.AddItem(1, 1, 25);  // (A,1,y)
  l.AddItem(2, 2, 24);  // (B,2,x)
  l.DoATrebleSort(l.Closure(), 0, 1, 2);
  EXPECT_EQ(l.At(0)->key[2], 25);
  EXPECT_EQ(l.At(1)->key[2], 26);
  EXPECT_EQ(l.At(2)->key[2], 24);
  EXPECT_TRUE(l.sorted);
  EXPECT_FALSE(l.BusySorting);
}

TEST_F(SortablelistsOrder, DirectionPerLevel) {
  TestList l;
  l.SetAscending(false, true, true);
  l.AddItem(1, 'b', 0);
  l.AddItem(2, 'a', 0);
  l.AddItem(2, 'c', 0);
  l.AddItem(1, 'a', 0);
  l.DoADoubleSort(l.Closure(), 0, 1);
  const Int32 want[4][2] = {{2, 'a'}, {2, 'c'}, {1, 'a'}, {1, 'b'}};
  for (Int32 i = 0; i < 4; ++i) {
    EXPECT_EQ(l.At(i)->key[0], want[i][0]);
    EXPECT_EQ(l.At(i)->key[1], want[i][1]);
  }
}

// Runs for the third key must be equal on the first key too: here the second
// key is equal across the boundary of the first, and the third key would
// reorder the two items against the first key's order.
TEST_F(SortablelistsOrder, ThirdKeyRunsRespectTheFirstKey) {
  TestList l;
  l.SetAscending(true, true, true);
  l.AddItem(1, 7, 9);
  l.AddItem(2, 7, 1);
  l.DoATrebleSort(l.Closure(), 0, 1, 2);
  EXPECT_EQ(l.At(0)->key[0], 1);
  EXPECT_EQ(l.At(1)->key[0], 2);
}

TEST_F(SortablelistsOrder, ManyTiesEveryLevelInOrderAllDirections) {
  std::mt19937 rng(12345);
  for (int dirs = 0; dirs < 8; ++dirs) {
    TestList l;
    const std::vector<bool> asc{(dirs & 1) != 0, (dirs & 2) != 0, (dirs & 4) != 0};
    l.SetAscending(asc[0], asc[1], asc[2]);
    for (int i = 0; i < 3000; ++i)
      l.AddItem(static_cast<Int32>(rng() % 4), static_cast<Int32>(rng() % 3), static_cast<Int32>(rng() % 1000));
    l.DoATrebleSort(l.Closure(), 0, 1, 2);
    ExpectPermutation(l);
    ExpectLexicographic(l, {0, 1, 2}, asc);
  }
}

TEST_F(SortablelistsOrder, KeysInAnyOrderOfSortNumbers) {
  std::mt19937 rng(7);
  TestList l;
  l.SetAscending(true, false, true);
  for (int i = 0; i < 2000; ++i)
    l.AddItem(static_cast<Int32>(rng() % 5), static_cast<Int32>(rng() % 5), static_cast<Int32>(rng() % 5));
  l.DoATrebleSort(l.Closure(), 2, 0, 1);
  ExpectPermutation(l);
  ExpectLexicographic(l, {2, 0, 1}, {true, false, true});
}

TEST_F(SortablelistsOrder, SameSortNumberTwiceSortsOnTheFirstKeyOnly) {
  TestList l;
  l.SetAscending(true, true, true);
  for (int i = 0; i < 50; ++i) l.AddItem(i % 3, 50 - i, 0);
  l.DoADoubleSort(l.Closure(), 0, 0);
  ExpectLexicographic(l, {0}, {true});
  for (Tsort_num lv : l.levelsSeen) EXPECT_EQ(lv, sort_first_sort);
}

TEST_F(SortablelistsOrder, SecondKeyOnlyReordersRunsOfTheFirst) {
  TestList l;
  l.SetAscending(true, true, true);
  l.AddItem(1, 5, 0);
  l.AddItem(2, 1, 0);
  l.AddItem(3, 9, 0);
  l.AddItem(3, 2, 0);
  l.DoADoubleSort(l.Closure(), 0, 1);
  ExpectLexicographic(l, {0, 1}, {true, true});
  EXPECT_EQ(l.At(0)->key[1], 5);  // a run of one is left alone
  EXPECT_EQ(l.At(2)->key[1], 2);
}

TEST_F(SortablelistsRanges, EmptySingleAndClampedRanges) {
  TestList l;
  l.DoASingleSort(l.Closure(), 0);
  EXPECT_FALSE(l.sorted);
  EXPECT_FALSE(l.BusySorting);
  l.AddItem(4, 0, 0);
  l.DoATrebleSort(l.Closure(), 0, 1, 2);
  EXPECT_FALSE(l.sorted);  // fewer than two items: no private sort ran
  EXPECT_FALSE(l.BusySorting);

  TestList m;
  m.SetAscending(true, true, true);
  for (int i = 9; i >= 0; --i) m.AddItem(i, 0, 0);
  m.DoASingleSort(m.Closure(), 0, -5, 1000);
  for (Int32 i = 0; i < 10; ++i) EXPECT_EQ(m.At(i)->key[0], i);

  TestList part;
  part.SetAscending(true, true, true);
  for (int i = 9; i >= 0; --i) part.AddItem(i, 0, 0);
  part.DoASingleSort(part.Closure(), 0, 3, 6);
  const Int32 want[10] = {9, 8, 7, 3, 4, 5, 6, 2, 1, 0};
  for (Int32 i = 0; i < 10; ++i) EXPECT_EQ(part.At(i)->key[0], want[i]);

  Int32 s = 5, f = 5;
  EXPECT_FALSE(part.CheckStartAndFinish(s, f));
  s = -3;
  f = 99;
  EXPECT_TRUE(part.CheckStartAndFinish(s, f));
  EXPECT_EQ(s, 0);
  EXPECT_EQ(f, 9);
}

TEST_F(SortablelistsRanges, DirectionHelpers) {
  TestList l;
  EXPECT_FALSE(l.fAscending[sort_first_sort]);  // descending until set
  EXPECT_TRUE(l.ToggledMainSortAscending());
  EXPECT_FALSE(l.ToggledMainSortAscending());
  l.SetSortToAscend(sort_third_sort, true);
  EXPECT_TRUE(l.fAscending[sort_third_sort]);
  l.current_sort_rec.current_sort_doing = sort_third_sort;
  EXPECT_EQ(l.AscendingSwapped(5), -5);
  l.current_sort_rec.current_sort_doing = sort_first_sort;
  EXPECT_EQ(l.AscendingSwapped(5), 5);
}

TEST_F(SortablelistsBusy, SortRequestedFromTheYieldIsRefused) {
  EveryCheckYields everyCheck;
  TestList l;
  l.SetAscending(true, true, true);
  for (int i = 0; i < 500; ++i) l.AddItem((i * 37) % 101, 0, 0);
  int nestedTried = 0;
  Int64 comparesInNested = -1;
  Global_YieldProcessProc = [&] {
    if (nestedTried++ == 0) {
      EXPECT_TRUE(l.BusySorting);
      const Int64 before = l.compares;
      l.DoASingleSort(l.Closure(), 1);
      l.DoATrebleSort(l.Closure(), 2, 1, 0);
      comparesInNested = l.compares - before;
    }
  };
  l.DoASingleSort(l.Closure(), 0);
  EXPECT_GT(nestedTried, 0);
  EXPECT_EQ(comparesInNested, 0);
  EXPECT_FALSE(l.BusySorting);
  ExpectLexicographic(l, {0}, {true});
}

TEST_F(SortablelistsBusy, RaisingClosureLeavesTheListUsable) {
  TestList l;
  l.SetAscending(true, true, true);
  for (int i = 0; i < 1000; ++i) l.AddItem((i * 7919) % 1009, i % 3, 0);
  auto good = l.Closure();
  Int64 calls = 0;
  TCompareFunctOfObject bad = [&](TObject* o) -> Int32 {
    if (++calls == 3000) throw std::runtime_error("comparison failed");
    return good(o);
  };
  EXPECT_THROW(l.DoADoubleSort(bad, 0, 1), std::runtime_error);
  EXPECT_FALSE(l.BusySorting);
  ExpectPermutation(l);
  // The next sort is not refused.
  l.DoADoubleSort(l.Closure(), 0, 1);
  ExpectLexicographic(l, {0, 1}, {true, true});
}

TEST_F(SortablelistsBusy, RaisingSetBaseInTheRunPassEndsNotBusy) {
  TestList l;
  l.SetAscending(true, true, true);
  for (int i = 0; i < 100; ++i) l.AddItem(i % 4, i % 5, i);
  l.onSetBase = [&] {
    if (l.current_sort_rec.current_sort_doing == sort_second_sort) throw std::runtime_error("no key");
  };
  EXPECT_THROW(l.DoATrebleSort(l.Closure(), 0, 1, 2), std::runtime_error);
  EXPECT_FALSE(l.BusySorting);
  ExpectPermutation(l);
}

TEST_F(SortablelistsYield, CancelFromTheYieldEndsWithEveryItem) {
  TestList l;
  l.SetAscending(true, true, true);
  const Int32 n = 100000;
  std::mt19937 rng(99);
  for (Int32 i = 0; i < n; ++i) l.AddItem(static_cast<Int32>(rng() % 50000), static_cast<Int32>(rng() % 7), 0);
  Int64 yields = 0;
  Int64 comparesAtCancel = -1;
  Global_YieldProcessProc = [&] {
    if (++yields == 1) {  // a sort this long yields at least once
      global_panic_state = panic_stop;  // the host's Stop button
      comparesAtCancel = l.compares;
    }
  };
  // Closures report items equal once the host asks to stop.
  auto inner = l.Closure();
  TCompareFunctOfObject cancellable = [&](TObject* o) -> Int32 {
    if (global_panic_state != panic_no_panic) {
      ++l.compares;
      return 0;
    }
    return inner(o);
  };
  l.DoADoubleSort(cancellable, 0, 1);
  EXPECT_FALSE(l.BusySorting);
  ExpectPermutation(l);
  ASSERT_GE(comparesAtCancel, 0);
  // After the cancel each pass is one linear scan over equal items; the rest of
  // the sort stays within a few passes per level of halving.
  const Int64 after = l.compares - comparesAtCancel;
  EXPECT_LT(after, static_cast<Int64>(n) * 60);
}

TEST_F(SortablelistsYield, YieldsByTimeNotPerPass) {
  YieldCounter yields;
  TestList l;
  l.SetAscending(true, true, true);
  l.AddItem(2, 0, 0);
  l.AddItem(1, 0, 0);
  l.DoASingleSort(l.Closure(), 0);
  EXPECT_EQ(yields.calls, 0);  // two items: no call of the host
  EXPECT_EQ(l.At(0)->key[0], 1);
  // A sort of thousands of passes calls the host by time: at least once, and
  // about once per 20 ms of work, not once per pass.
  std::mt19937 rng(5);
  TestList big;
  big.SetAscending(true, true, true);
  for (int i = 0; i < 60000; ++i) big.AddItem(static_cast<Int32>(rng() % 1000), static_cast<Int32>(rng() % 10), 0);
  big.DoADoubleSort(big.Closure(), 0, 1);
  EXPECT_GE(yields.calls, 1);
  EXPECT_LE(yields.calls, yields.AtMostByTime());
  ExpectLexicographic(big, {0, 1}, {true, true});
}

TEST_F(SortablelistsYield, NonYieldingSortNeverCallsTheHookAndRestoresIt) {
  TestNonYieldingList l;
  l.SetAscending(true, true, true);
  for (int i = 0; i < 3000; ++i) l.AddItem((i * 31) % 1000);
  int hookCalls = 0;
  Global_YieldProcessProc = [&] { ++hookCalls; };
  l.DoADoubleSort(l.Closure(), 0, 0);
  l.DoATrebleSort(l.Closure(), 0, 1, 2);
  EXPECT_EQ(hookCalls, 0);
  ASSERT_TRUE(static_cast<bool>(Global_YieldProcessProc));
  Global_YieldProcessProc();
  EXPECT_EQ(hookCalls, 1);
  for (Int32 i = 0; i + 1 < l.Count(); ++i) EXPECT_LE(l.At(i)->key[0], l.At(i + 1)->key[0]);
}

TEST_F(SortablelistsYield, NonYieldingSortThatRaisesStillRestoresTheHook) {
  TestNonYieldingList l;
  for (int i = 0; i < 100; ++i) l.AddItem(i);
  int hookCalls = 0;
  Global_YieldProcessProc = [&] { ++hookCalls; };
  TCompareFunctOfObject bad = [](TObject*) -> Int32 { throw std::runtime_error("boom"); };
  EXPECT_THROW(l.DoASingleSort(bad, 0), std::runtime_error);
  EXPECT_FALSE(l.BusySorting);
  ASSERT_TRUE(static_cast<bool>(Global_YieldProcessProc));
  Global_YieldProcessProc();
  EXPECT_EQ(hookCalls, 1);

  // With no hook installed there is nothing to restore, and nothing appears.
  Global_YieldProcessProc = nullptr;
  l.DoASingleSort(l.Closure(), 0);
  EXPECT_FALSE(static_cast<bool>(Global_YieldProcessProc));
}

// Closures that are not consistent orders: every item stays, exactly once,
// and nothing outside the list is read (ASan checks the reads).
TEST_F(SortablelistsRobust, InconsistentClosuresKeepEveryItem) {
  for (int mode = 0; mode < 4; ++mode) {
    TestList l;
    l.SetAscending(mode % 2 == 0, true, true);
    for (int i = 0; i < 5000; ++i) l.AddItem(i % 13, i % 3, i);
    std::mt19937 rng(static_cast<unsigned>(mode));
    TCompareFunctOfObject closure;
    switch (mode) {
      case 0: closure = [](TObject*) { return -1; }; break;
      case 1: closure = [](TObject*) { return 1; }; break;
      default: closure = [&rng](TObject*) { return static_cast<Int32>(rng() % 3) - 1; }; break;
    }
    l.DoATrebleSort(closure, 0, 1, 2);
    ExpectPermutation(l);
    EXPECT_FALSE(l.BusySorting);
  }
}

// A closure that calls the base equal to itself but every other item smaller
// (or greater) than the base: the scans must stop at the range's ends.
TEST_F(SortablelistsRobust, ScansStopAtTheEndsOfTheRange) {
  for (Int32 answer : {-1, 1}) {
    for (bool asc : {true, false}) {
      TestList l;
      l.SetAscending(asc, asc, asc);
      for (int i = 0; i < 3000; ++i) l.AddItem(i % 5, i % 7, i);
      bool fresh = false;
      l.onSetBase = [&] { fresh = true; };
      TCompareFunctOfObject closure = [&](TObject*) -> Int32 {
        if (fresh) {
          fresh = false;
          return 0;
        }
        return answer;
      };
      l.DoATrebleSort(closure, 0, 1, 2);
      ExpectPermutation(l);
    }
  }
}

TEST_F(SortablelistsRobust, NaNKeysKeepEveryItemAndTheRestStaysOrdered) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  // Only NaNs: no order to find, and no quadratic work to find it.
  {
    TestList l;
    l.SetAscending(true, true, true);
    for (int i = 0; i < 20000; ++i) l.AddItem(0, 0, 0, nan);
    l.DoASingleSort(l.Closure(), kFloatKey);
    ExpectPermutation(l);
    EXPECT_LT(l.compares, 20000 * 4);
  }
  // NaNs among numbers: the numbers between two NaN-free stretches are sorted.
  for (bool asc : {true, false}) {
    TestList l;
    l.SetAscending(asc, true, true);
    for (int i = 0; i < 5000; ++i) l.AddItem(0, 0, 0, i % 4 == 0 ? nan : static_cast<float>((i * 7919) % 997));
    l.DoASingleSort(l.Closure(), kFloatKey);
    ExpectPermutation(l);
  }
}

TEST_F(SortablelistsRobust, EncodingKeysThatAnswerMinusOneBothWays) {
  // Two distinct encoding objects of one value compare -1 in both orders.
  std::vector<std::unique_ptr<TEncoding>> own;
  std::vector<TEncoding*> keys;
  for (int i = 0; i < 40; ++i) {
    own.push_back(TEncoding::GetEncoding(i % 2 == 0 ? 65001 : 1252));
    keys.push_back(own.back().get());
    keys.push_back(i % 3 == 0 ? nullptr : TEncoding::UTF8());
  }
  TestList l;
  l.SetAscending(true, true, true);
  for (size_t i = 0; i < keys.size(); ++i) l.AddItem(static_cast<Int32>(i), 0, 0);
  TEncoding* base = nullptr;
  // Compare through the items' indexes into keys.
  TCompareFunctOfObject closure = [&](TObject* o) {
    return CompareEncodings(keys[static_cast<size_t>(static_cast<Item*>(o)->id)], base);
  };
  l.onSetBase = [&] { base = keys[static_cast<size_t>(l.At(l.base_itemnum)->id)]; };
  l.DoASingleSort(closure, 0);
  ExpectPermutation(l);
}

// ---- sorts of gathered keys ------------------------------------------------------------

using SortablelistsKeys = SortablelistsTest;

std::vector<Int32> IdsOf(const TestList& l) {
  std::vector<Int32> ids;
  for (Int32 i = 0; i < l.Count(); ++i) ids.push_back(l.At(i)->id);
  return ids;
}

// Two lists with the same items in the same order, one giving its keys.
struct TwinLists {
  TestKeyList keys;
  TestList closure;
  void Add(Int32 a, Int32 b, Int32 c, float f = 0, const String& s = String()) {
    keys.AddItem(a, b, c, f)->skey = s;
    closure.AddItem(a, b, c, f)->skey = s;
  }
  void SetAscending(bool a, bool b, bool c) {
    keys.SetAscending(a, b, c);
    closure.SetAscending(a, b, c);
  }
};

// The order of the closure path, ties included, on many items with many ties:
// every level count, direction and kind of key, and sort numbers repeated.
TEST_F(SortablelistsKeys, SameOrderAsTheClosurePath) {
  struct Case {
    Int32 items;
    Int32 nums[3];
    Int32 levels;
    bool asc[3];
  };
  const Case cases[] = {
      {100000, {0, 1, 2}, 3, {true, true, true}},  // many ties at the first two levels
      {20000, {0, 1, 2}, 3, {false, true, false}},
      {20000, {2, 0, 1}, 3, {true, false, true}},
      {20000, {0, 1, 0}, 3, {true, true, true}},   // the third key is the first again
      {20000, {1, 1, 2}, 3, {false, false, true}},  // the second key is the first again
      {20000, {0, 1, 0}, 2, {true, false, true}},
      {20000, {1, 0, 0}, 1, {false, true, true}},
      {20000, {kFloatKey, 0, 1}, 3, {true, true, false}},  // doubles with NaNs
      {20000, {0, kFloatKey, 1}, 3, {false, true, true}},
      {20000, {kStringKey, 0, 2}, 3, {true, false, true}},  // strings with accents and case
      {20000, {1, kStringKey, kFloatKey}, 3, {true, true, false}},
      {15, {0, 1, 2}, 3, {true, true, true}},  // insertion sort only
      {17, {0, 1, 2}, 3, {false, false, false}},
  };
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const String words[] = {u"b", u"B", u"a", u"\u00e9t\u00e9", u"ete", u"", u"\u00c9T\u00c9", u"zz"};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.items);
    std::mt19937 rng(static_cast<unsigned>(c.items + c.nums[0] * 7 + c.nums[1] * 3 + c.levels));
    TwinLists t;
    t.SetAscending(c.asc[0], c.asc[1], c.asc[2]);
    for (Int32 i = 0; i < c.items; ++i) {
      const float f = rng() % 11 == 0 ? nan : static_cast<float>(rng() % 40) / 4.0f;
      t.Add(static_cast<Int32>(rng() % 20), static_cast<Int32>(rng() % 7) - 3, static_cast<Int32>(rng() % 500), f,
            words[rng() % 8]);
    }
    if (c.levels == 1) {
      t.keys.DoASingleSort(t.keys.Closure(), c.nums[0]);
      t.closure.DoASingleSort(t.closure.Closure(), c.nums[0]);
    } else if (c.levels == 2) {
      t.keys.DoADoubleSort(t.keys.Closure(), c.nums[0], c.nums[1]);
      t.closure.DoADoubleSort(t.closure.Closure(), c.nums[0], c.nums[1]);
    } else {
      t.keys.DoATrebleSort(t.keys.Closure(), c.nums[0], c.nums[1], c.nums[2]);
      t.closure.DoATrebleSort(t.closure.Closure(), c.nums[0], c.nums[1], c.nums[2]);
    }
    ASSERT_EQ(IdsOf(t.keys), IdsOf(t.closure));
    EXPECT_EQ(t.keys.compares, 0);  // no closure call
    EXPECT_EQ(t.keys.setBaseCalls, 0);
    EXPECT_TRUE(t.keys.sorted);
    EXPECT_FALSE(t.keys.BusySorting);
    ExpectPermutation(t.keys);
  }
}

// The sort written out plainly, one comparison per step: Hoare partition
// around the middle item (or, when the middle item differs from itself, the
// first other item that does not), insertion sort below 16 items, each run
// of the first key ordered by the second and then split into runs of the
// second for the third. A pass that finds every item equal to its base
// leaves the passes on its parts to find them equal too. The lists must give
// exactly its order, ties included, whatever they do to save comparisons;
// for a closure that answers by the item and the base alone, also when the
// answers are no consistent order.
class ReferenceSort {
 public:
  // The answer for item against the base item on sort number key.
  using Answer = std::function<Int32(const Item* item, const Item* base, Int32 key)>;
  ReferenceSort(std::vector<Item*>& v, const bool* asc, Answer answer = KeyAnswer)
      : v_(v), asc_(asc), answer_(std::move(answer)) {}

  static Int32 KeyAnswer(const Item* item, const Item* base, Int32 key) {
    return CompareLongints(item->key[key], base->key[key]);
  }

  void Sort(const Int32* nums, Int32 count, Int32 lo, Int32 hi) {
    QuickSort(lo, hi, asc_[0], nums[0], false);
    if (count < 2) return;
    const bool second = nums[1] != nums[0];
    const bool third = count >= 3 && nums[2] != nums[0] && nums[2] != nums[1];
    for (Int32 i = lo; i < hi;) {
      const Int32 k = RunEnd(i, hi, nums[0]);
      if (k > i) {
        if (second) QuickSort(i, k, asc_[1], nums[1], false);
        for (Int32 m = i; third && m < k;) {
          const Int32 e = RunEnd(m, k, nums[1]);
          if (e > m) QuickSort(m, e, asc_[2], nums[2], false);
          m = e + 1;
        }
      }
      i = k + 1;
    }
  }

 private:
  // Item i against the base; every answer is 0 once a pass found them all 0.
  Int32 Cmp(Int32 i, Int32 key, bool equal) const {
    return equal ? 0 : answer_(v_[static_cast<size_t>(i)], base_, key);
  }
  void Base(Int32 i) { base_ = v_[static_cast<size_t>(i)]; }
  void Swap(Int32 i, Int32 j) { std::swap(v_[static_cast<size_t>(i)], v_[static_cast<size_t>(j)]); }

  Int32 RunEnd(Int32 i, Int32 hi, Int32 key) {
    Base(i);
    Int32 k = i;
    while (k + 1 <= hi && Cmp(k + 1, key, false) == 0) ++k;
    return k;
  }

  void QuickSort(Int32 lo, Int32 hi, bool asc, Int32 key, bool equal) {
    while (hi - lo + 1 >= 16) {
      const Int32 mid = lo + (hi - lo) / 2;
      Base(mid);
      bool allEqual = Cmp(mid, key, equal) == 0;
      if (!allEqual) {
        Int32 k = lo;
        for (; k <= hi; ++k) {
          if (k == mid) continue;
          Base(k);
          if (Cmp(k, key, equal) == 0) break;
        }
        if (k > hi) return;
      }
      Int32 i = lo, j = hi;
      do {
        for (; i < hi; ++i) {
          const Int32 c = Cmp(i, key, equal);
          allEqual = allEqual && c == 0;
          if (asc ? c >= 0 : c <= 0) break;
        }
        for (; j > lo; --j) {
          const Int32 c = Cmp(j, key, equal);
          allEqual = allEqual && c == 0;
          if (asc ? c <= 0 : c >= 0) break;
        }
        if (i <= j) {
          if (i != j) Swap(i, j);
          ++i;
          --j;
        }
      } while (i <= j);
      equal = equal || allEqual;
      if (j - lo < hi - i) {
        if (lo < j) QuickSort(lo, j, asc, key, equal);
        lo = i;
      } else {
        if (i < hi) QuickSort(i, hi, asc, key, equal);
        hi = j;
      }
    }
    for (Int32 i = lo + 1; i <= hi; ++i) {
      Base(i);
      for (Int32 j = i; j > lo; --j) {
        const Int32 c = Cmp(j - 1, key, equal);
        if (asc ? c <= 0 : c >= 0) break;
        Swap(j - 1, j);
      }
    }
  }

  std::vector<Item*>& v_;
  const bool* asc_;
  Answer answer_;
  const Item* base_ = nullptr;
};

// Keys with few values give long runs of items equal on every key, and whole
// ranges equal on one key: the order of equal items is the plain sort's on
// both paths, for every direction and for part of the list.
TEST_F(SortablelistsKeys, OrderOfEqualItemsAsThePlainSort) {
  struct Case {
    Int32 items;
    Int32 values[3];  // keys drawn from 0..values-1
    bool asc[3];
    Int32 start, finish;
  };
  const Case cases[] = {
      {5000, {3, 4, 5}, {true, true, true}, 0, 4999},
      {5000, {2, 1, 3}, {false, true, false}, 0, 4999},
      {5000, {1, 1, 1}, {true, false, true}, 0, 4999},  // every item equal on every key
      {4000, {1, 2, 1}, {true, true, false}, 123, 3500},
      {3000, {40, 1000, 7}, {false, false, true}, 0, 2999},
      {3000, {1, 40, 1}, {true, false, false}, 17, 2990},
      {31, {1, 2, 2}, {true, true, true}, 0, 30},
      {16, {1, 1, 1}, {false, true, true}, 0, 15},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.items << " items, values " << c.values[0] << "/" << c.values[1] << "/"
                                    << c.values[2]);
    std::mt19937 rng(static_cast<unsigned>(c.items * 31 + c.values[0] * 7 + c.values[1]));
    TwinLists t;
    t.SetAscending(c.asc[0], c.asc[1], c.asc[2]);
    std::vector<Item*> reference;
    for (Int32 i = 0; i < c.items; ++i) {
      const Int32 a = static_cast<Int32>(rng() % static_cast<unsigned>(c.values[0]));
      const Int32 b = static_cast<Int32>(rng() % static_cast<unsigned>(c.values[1]));
      const Int32 k = static_cast<Int32>(rng() % static_cast<unsigned>(c.values[2]));
      t.Add(a, b, k);
      reference.push_back(t.closure.owned.back().get());
    }
    const Int32 nums[3] = {0, 1, 2};
    ReferenceSort(reference, c.asc).Sort(nums, 3, c.start, c.finish);
    std::vector<Int32> want;
    for (const Item* it : reference) want.push_back(it->id);
    t.closure.DoATrebleSort(t.closure.Closure(), 0, 1, 2, c.start, c.finish);
    t.keys.DoATrebleSort(t.keys.Closure(), 0, 1, 2, c.start, c.finish);
    EXPECT_EQ(IdsOf(t.closure), want);
    EXPECT_EQ(IdsOf(t.keys), want);
  }
}

// Random lists of every shape the partition passes meet (few or many key
// values, runs already in order or reversed, a range of the list), sorted on
// one to three levels in random directions, through closures that answer by
// the item and the base alone: the keys, and answers drawn from the two
// items that are no consistent order (with and without many ties). The order
// is the plain sort's, item for item.
TEST_F(SortablelistsRobust, RandomListsInThePlainSortsOrder) {
  enum Shape { kFewValues, kManyValues, kAscendingRuns, kDescendingRuns, kShapes };
  enum Answers { kKeys, kDrawn, kDrawnManyTies, kAnswerKinds };
  std::mt19937 rng(20261207);
  for (int round = 0; round < 400; ++round) {
    const Shape shape = static_cast<Shape>(round % kShapes);
    const Answers answers = static_cast<Answers>((round / kShapes) % kAnswerKinds);
    const Int32 sizes[] = {16, 17, 40, 64, 65, 130, 700, 3000};
    const Int32 n = sizes[rng() % 8];
    SCOPED_TRACE(testing::Message() << "round " << round << ", " << n << " items");
    TestList l;
    std::vector<Item*> reference;
    const Int32 values = shape == kFewValues ? 1 + static_cast<Int32>(rng() % 4) : 1 + static_cast<Int32>(rng() % 5000);
    for (Int32 i = 0; i < n; ++i) {
      Int32 k[3];
      for (Int32& key : k) key = static_cast<Int32>(rng() % static_cast<unsigned>(values));
      if (shape == kAscendingRuns || shape == kDescendingRuns) k[0] = (shape == kAscendingRuns ? i : -i) / 7 % 50;
      l.AddItem(k[0], k[1], k[2]);
      reference.push_back(l.owned.back().get());
    }
    bool asc[3];
    for (bool& a : asc) a = rng() % 2 == 0;
    l.SetAscending(asc[0], asc[1], asc[2]);
    Int32 nums[3];
    for (Int32& num : nums) num = static_cast<Int32>(rng() % 3);
    const Int32 levels = 1 + static_cast<Int32>(rng() % 3);
    const Int32 start = rng() % 4 == 0 ? static_cast<Int32>(rng() % 5) : 0;
    const Int32 finish = rng() % 4 == 0 ? n - 1 - static_cast<Int32>(rng() % 5) : n - 1;

    // Drawn answers: a hash of the two ids and the sort number, 0 for an item
    // against itself.
    const unsigned ties = answers == kDrawnManyTies ? 3 : 0;
    ReferenceSort::Answer answer = ReferenceSort::KeyAnswer;
    if (answers != kKeys) {
      answer = [ties](const Item* item, const Item* base, Int32 key) -> Int32 {
        if (item == base) return 0;
        const unsigned h = (static_cast<unsigned>(item->id) * 2654435761u) ^
                           (static_cast<unsigned>(base->id) * 40503u + static_cast<unsigned>(key) * 97u);
        const unsigned d = (h >> 7) % (3 + ties);
        return d >= 3 ? 0 : static_cast<Int32>(d) - 1;
      };
    }
    const Item* base = nullptr;
    l.onSetBase = [&] { base = l.At(l.base_itemnum); };
    TCompareFunctOfObject closure = [&](TObject* o) {
      return answer(static_cast<const Item*>(o), base, l.current_sort_rec.current_sort_var);
    };

    ReferenceSort(reference, asc, answer).Sort(nums, levels, start, finish);
    if (levels == 1)
      l.DoASingleSort(closure, nums[0], start, finish);
    else if (levels == 2)
      l.DoADoubleSort(closure, nums[0], nums[1], start, finish);
    else
      l.DoATrebleSort(closure, nums[0], nums[1], nums[2], start, finish);
    std::vector<Int32> want;
    for (const Item* it : reference) want.push_back(it->id);
    ASSERT_EQ(IdsOf(l), want);
  }
}

TEST_F(SortablelistsKeys, RangesAndRefusalAsTheClosurePath) {
  TwinLists t;
  t.SetAscending(true, true, true);
  for (int i = 0; i < 200; ++i) t.Add((i * 37) % 11, i % 3, i);
  t.keys.DoATrebleSort(t.keys.Closure(), 0, 1, 2, -5, 120);
  t.closure.DoATrebleSort(t.closure.Closure(), 0, 1, 2, -5, 120);
  EXPECT_EQ(IdsOf(t.keys), IdsOf(t.closure));
  t.keys.DoADoubleSort(t.keys.Closure(), 1, 2, 50, 1000);
  t.closure.DoADoubleSort(t.closure.Closure(), 1, 2, 50, 1000);
  EXPECT_EQ(IdsOf(t.keys), IdsOf(t.closure));
  // A range of one item: nothing runs, the list stays unmarked.
  TestKeyList one;
  one.AddItem(1, 0, 0);
  one.DoASingleSort(one.Closure(), 0);
  EXPECT_FALSE(one.sorted);
  // A list that gives keys for some sort numbers only sorts through the closure.
  TestKeyList some;
  some.giveKeys = false;
  for (int i = 0; i < 50; ++i) some.AddItem(50 - i, 0, 0);
  some.SetAscending(true, true, true);
  some.DoASingleSort(some.Closure(), 0);
  EXPECT_GT(some.compares, 0);
  ExpectLexicographic(some, {0}, {true});
}

TEST_F(SortablelistsKeys, SortRequestedFromTheYieldIsRefused) {
  TestKeyList l;
  l.SetAscending(true, true, true);
  for (int i = 0; i < 20000; ++i) l.AddItem((i * 7919) % 10007, i % 5, 0);
  int yields = 0;
  std::vector<Int32> idsInYield;
  Global_YieldProcessProc = [&] {
    if (yields++ == 0) {
      EXPECT_TRUE(l.BusySorting);
      idsInYield = IdsOf(l);
      l.DoATrebleSort(l.Closure(), 2, 1, 0);  // refused: the list is busy
      EXPECT_EQ(IdsOf(l), idsInYield);
    }
  };
  l.DoADoubleSort(l.Closure(), 0, 1);
  EXPECT_GE(yields, 1);  // so long a sort yields at least once
  EXPECT_FALSE(l.BusySorting);
  ExpectLexicographic(l, {0, 1}, {true, true});
}

// A Stop raised from the host's yield ends a sort of gathered keys at that
// yield: no further yield, every item still there exactly once.
TEST_F(SortablelistsKeys, StopFromTheYieldEndsTheSort) {
  TestKeyList l;
  l.SetAscending(true, true, true);
  std::mt19937 rng(3);
  for (int i = 0; i < 200000; ++i) l.AddItem(static_cast<Int32>(rng()), static_cast<Int32>(rng() % 3), 0);
  int yields = 0;
  Global_YieldProcessProc = [&] {
    ++yields;
    global_panic_state = panic_stop;
  };
  l.DoADoubleSort(l.Closure(), 0, 1);
  EXPECT_EQ(yields, 1);
  EXPECT_FALSE(l.BusySorting);
  ExpectPermutation(l);
  bool inOrder = true;
  for (Int32 i = 0; i + 1 < l.Count() && inOrder; ++i) inOrder = l.At(i)->key[0] <= l.At(i + 1)->key[0];
  EXPECT_FALSE(inOrder);  // it stopped long before the end
}

TEST_F(SortablelistsKeys, NonYieldingListNeverCallsTheHook) {
  class KeyedNonYielding : public T3SortNonYieldingList {
   public:
    std::vector<std::unique_ptr<Item>> owned;

   protected:
    T3SortKeyKind SortKeyKind(Int32) const override { return sk_int64_key; }
    Int64 SortKeyInt64(const TObject* item, Int32 sortNum) const override {
      return static_cast<const Item*>(item)->key[sortNum];
    }
  } l;
  l.SetAscending(true, true, true);
  for (int i = 0; i < 50000; ++i) {
    l.owned.push_back(std::make_unique<Item>((i * 31) % 1000, i % 7, 0, i));
    l.Add(l.owned.back().get());
  }
  int hookCalls = 0;
  Global_YieldProcessProc = [&] { ++hookCalls; };
  l.DoADoubleSort([](TObject*) { return 0; }, 0, 1);
  EXPECT_EQ(hookCalls, 0);
  ASSERT_TRUE(static_cast<bool>(Global_YieldProcessProc));
  for (Int32 i = 0; i + 1 < l.Count(); ++i) {
    const Item* a = static_cast<Item*>(l.Items(i));
    const Item* b = static_cast<Item*>(l.Items(i + 1));
    ASSERT_TRUE(a->key[0] < b->key[0] || (a->key[0] == b->key[0] && a->key[1] <= b->key[1]));
  }
}

}  // namespace
}  // namespace sk
