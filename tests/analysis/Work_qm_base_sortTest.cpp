#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>
#include <set>
#include <stdexcept>

#include "AnalysisTestSupport.h"
#include "analysis/Maths_routines.h"
#include "analysis/Work_qm_base.h"
#include "core/Useful_classes_base_compare.h"
#include "platform/runtime/Random.h"

namespace sk {
namespace {

// An entry with four keys: a number, a text count, a word and a dispersion.
class TKeyEntry : public TQMBaseListObject {
 public:
  TKeyEntry(TQMSister* parent, TQMBaseHolder* holder) : TQMBaseListObject(parent, holder) {}
  Int64 FrequencyNum() override { return k0; }
  Int32 MainNTexts() override { return k1; }
  String GetAWordAsString(Int32) override { return word; }
  Single GetDispersion() override { return disp; }
  Int32 MainWordLength() override { return static_cast<Int32>(word.size()); }
  Int64 MainWordFrequency() override { return k0; }
  Int64 k0 = 0;
  Int32 k1 = 0;
  String word;
  Single disp = 0;
  Int32 id = 0;
};

enum TKey { key_k0, key_k1, key_word, key_disp };

TKeyEntry* K(TObject* o) { return static_cast<TKeyEntry*>(o); }

Int32 KeyOrder(TKeyEntry* e, TKey key, Int64 n, Int32 t, const String& w, Single d) {
  switch (key) {
    case key_k0:
      return CompareInt64s(e->k0, n);
    case key_k1:
      return CompareLongints(e->k1, t);
    case key_word:
      return Compare2Strings(e->word, w);
    case key_disp:
      if (e->disp == d) return 0;
      return e->disp > d ? 1 : -1;
  }
  return 0;
}

// The test tool's list: owns its entries; each level compares the key the
// test chose for it with that level's pivot. Every comparer checks that
// compare_ID_with names the entry it is given.
class TKeyList : public TQMSister {
 public:
  TKeyList() : TQMSister(nullptr, &NewQMBaseListObject<TKeyEntry>, {}, {}, {}, {}, grid_none, lt_word_list, 0) {}
  ~TKeyList() override { Clear(); }

  void RemoveAnEntry(Int32 index) override {
    TQMBaseListObject* e = (index >= 0 && index < Count()) ? At(index) : nullptr;
    TQMBaseDataClass::RemoveAnEntry(index);
    delete e;
  }
  TKeyEntry* AddKeys(Int64 k0, Int32 k1, const String& word, Single disp = 0) {
    auto* e = static_cast<TKeyEntry*>(AddedABlankEntry(0));
    e->k0 = k0;
    e->k1 = k1;
    e->word = word;
    e->disp = disp;
    e->id = nextId++;
    return e;
  }
  TKeyEntry* Entry(Int32 i) const { return static_cast<TKeyEntry*>(Get(i)); }
  std::vector<Int32> Ids() const {
    std::vector<Int32> ids;
    for (Int32 i = 0; i < Count(); ++i) ids.push_back(Entry(i)->id);
    return ids;
  }

  // Level lv sorts on key, in that direction; levels up to the last one given
  // are in use, with distinct sort bytes.
  void UseLevels(std::vector<std::pair<TKey, bool>> levels) {
    TSortSaveable& sv = QMSortSettings.saveable;
    sv.SortLevelsAvailable = static_cast<TSortLevel>(levels.size() - 1);
    for (size_t lv = 0; lv < levels.size(); ++lv) {
      const TSortLevel level = static_cast<TSortLevel>(lv);
      keys[lv] = levels[lv].first;
      sv.column_choices[level].ascending = levels[lv].second;
      sv.SortBytes[level] = static_cast<Byte>(lv + 1);
      QMSortSettings.comparesorts[level] = [this, lv](TObject* o) {
        ++comparisons;
        if (compare_ID_with < 0 || compare_ID_with >= Count() || Get(compare_ID_with) != o) ++misnamed;
        if (hook) hook();
        return KeyOrder(K(o), keys[lv], p0[lv], p1[lv], pw[lv], pd[lv]);
      };
    }
  }
  void SetBase(TQMBaseListObject* entry, TSortLevel level) override {
    auto* e = static_cast<TKeyEntry*>(entry);
    p0[level] = e->k0;
    p1[level] = e->k1;
    pw[level] = e->word;
    pd[level] = e->disp;
    ++bases;
  }
  void ReportProgressShortMessage(TMyStatusBarPanel panel, const String& text) override {
    messages.push_back(text);
    panels.push_back(panel);
  }
  void ReportProgressPercent(Int32 percent) override { percents.push_back(percent); }

  TKey keys[3]{};
  Int64 p0[3]{};
  Int32 p1[3]{};
  String pw[3];
  Single pd[3]{};
  Int32 nextId = 0;
  Int64 comparisons = 0;
  Int64 bases = 0;
  Int64 misnamed = 0;
  std::function<void()> hook;
  std::vector<String> messages;
  std::vector<TMyStatusBarPanel> panels;
  std::vector<Int32> percents;
};

// Standard heading sets without any customised file: the user's folder is a
// fresh scratch folder for the scope.
struct StandardSetsOnly {
  ScratchFolder dir{"sk_sort"};
  ScopedUserFolder user{dir.File("")};
};

// Restores the yield hook and the cancel flag.
class ScopedHost {
 public:
  explicit ScopedHost(std::function<void()> hook) { Global_YieldProcessProc = std::move(hook); }
  ~ScopedHost() {
    Global_YieldProcessProc = nullptr;
    global_panic_state = panic_no_panic;
  }
  ScopedHost(const ScopedHost&) = delete;
  ScopedHost& operator=(const ScopedHost&) = delete;
};

Int32 KeyOrderOf(TKeyEntry* a, TKeyEntry* b, TKey key) { return KeyOrder(a, key, b->k0, b->k1, b->word, b->disp); }

// Every entry once, by id.
void ExpectSameEntries(const TKeyList& list, std::vector<Int32> ids) {
  std::vector<Int32> now = list.Ids();
  std::sort(now.begin(), now.end());
  std::sort(ids.begin(), ids.end());
  EXPECT_EQ(now, ids);
}

// ---- random lists -------------------------------------------------------------------

TEST(Work_qm_base_sort, RandomListsComeOutInTheOrderOfTheirKeys) {
  std::mt19937 rng(20261207);
  const String words[] = {u"b", u"a", u"ab", u"B", u"ba"};
  for (int round = 0; round < 3000; ++round) {
    TKeyList list;
    const Int32 n = static_cast<Int32>(rng() % 61);
    for (Int32 i = 0; i < n; ++i)
      list.AddKeys(rng() % 4, static_cast<Int32>(rng() % 4), words[rng() % 5], static_cast<Single>(rng() % 3));
    const TKey all[] = {key_k0, key_k1, key_word, key_disp};
    std::vector<TKey> pick(all, all + 4);
    std::shuffle(pick.begin(), pick.end(), rng);
    const size_t levels = 1 + rng() % 3;
    std::vector<std::pair<TKey, bool>> chosen;
    for (size_t lv = 0; lv < levels; ++lv) chosen.emplace_back(pick[lv], (rng() & 1) != 0);
    list.UseLevels(chosen);
    Int32 from = n > 0 && rng() % 3 == 0 ? static_cast<Int32>(rng() % n) : static_cast<Int32>(rng() % 3) - 1;
    Int32 to = n > 0 && rng() % 3 == 0 ? static_cast<Int32>(rng() % n) : n - 1 + static_cast<Int32>(rng() % 3);
    const std::vector<Int32> before = list.Ids();
    list.SortThem(from, to);
    ASSERT_EQ(list.fListBusy, action_none);
    ASSERT_EQ(list.misnamed, 0);
    ExpectSameEntries(list, before);
    const Int32 lo = std::max(from, 0);
    const Int32 hi = std::min(to, n - 1);
    for (Int32 i = 0; i < n; ++i)
      if (i < lo || i > hi) {
        ASSERT_EQ(list.Entry(i)->id, before[static_cast<size_t>(i)]) << "outside the range";
      }
    if (lo >= hi) {
      EXPECT_EQ(list.Ids(), before);
      continue;
    }
    // The last level leaves alone a run that covers the whole list.
    size_t applied = levels;
    if (levels == 3 && lo == 0 && hi == n - 1) {
      bool oneRun = true;
      for (Int32 i = 1; i < n && oneRun; ++i)
        oneRun = KeyOrderOf(list.Entry(i), list.Entry(0), chosen[0].first) == 0 &&
                 KeyOrderOf(list.Entry(i), list.Entry(0), chosen[1].first) == 0;
      if (oneRun) applied = 2;
    }
    for (Int32 i = lo; i < hi; ++i) {
      for (size_t lv = 0; lv < applied; ++lv) {
        Int32 c = KeyOrderOf(list.Entry(i), list.Entry(i + 1), chosen[lv].first);
        if (!chosen[lv].second) c = -c;
        ASSERT_LE(c, 0) << "round " << round << " level " << lv << " at " << i;
        if (c < 0) break;
      }
    }
  }
}

TEST(Work_qm_base_sort, ComparersAnsweringAtRandomNeitherLoseNorDoubleEntries) {
  std::mt19937 rng(5);
  for (int round = 0; round < 1500; ++round) {
    TKeyList list;
    const Int32 n = static_cast<Int32>(rng() % 61);
    for (Int32 i = 0; i < n; ++i) list.AddKeys(i, i, u"w");
    list.UseLevels({{key_k0, true}, {key_k1, false}, {key_word, true}});
    for (auto& c : list.QMSortSettings.comparesorts) {
      c = [&list, &rng](TObject* o) {
        if (list.Get(list.compare_ID_with) != o) ++list.misnamed;
        return static_cast<Int32>(rng() % 5) - 2;  // also answers beyond -1..1
      };
    }
    const std::vector<Int32> before = list.Ids();
    list.SortThem(0, n - 1);
    EXPECT_EQ(list.misnamed, 0);
    ExpectSameEntries(list, before);
    EXPECT_EQ(list.fListBusy, action_none);
  }
}

TEST(Work_qm_base_sort, NaNKeysLeaveEveryEntryOnceAndTheRestInOrder) {
  std::mt19937 rng(11);
  const Single nan = std::numeric_limits<Single>::quiet_NaN();
  for (int round = 0; round < 1000; ++round) {
    TKeyList list;
    const Int32 n = static_cast<Int32>(rng() % 61);
    const bool allNaN = round % 10 == 0;
    for (Int32 i = 0; i < n; ++i)
      list.AddKeys(0, 0, u"", allNaN || rng() % 4 == 0 ? nan : static_cast<Single>(rng() % 7));
    list.UseLevels({{key_disp, (round & 1) != 0}});
    const std::vector<Int32> before = list.Ids();
    list.SortThem(0, n - 1);
    ExpectSameEntries(list, before);
  }
  // A million NaN keys end at once: no pivot equals itself.
  TKeyList big;
  for (Int32 i = 0; i < 200000; ++i) big.AddKeys(0, 0, u"", nan);
  big.UseLevels({{key_disp, true}});
  big.SortThem(0, big.Count() - 1);
  EXPECT_LT(big.comparisons, 3 * 200000);
}

TEST(Work_qm_base_sort, TiesAndOrderedInputsTakeFewComparisons) {
  // One value: a single pass. Ordered, reversed and organ-pipe inputs of
  // distinct values: n log n, not n squared.
  struct Case {
    const char* name;
    std::function<Int64(Int32)> key;
    Int64 most;
  };
  const Int32 n = 50000;
  const std::vector<Case> cases = {
      {"one value", [](Int32) { return 7; }, 2 * n},
      {"ascending", [](Int32 i) { return i; }, 20 * n},
      {"descending", [](Int32 i) { return n - i; }, 20 * n},
      {"organ pipe", [](Int32 i) { return i < n / 2 ? i : n - i; }, 30 * n},
      {"ten values", [](Int32 i) { return i % 10; }, 6 * n},
  };
  for (const Case& c : cases) {
    TKeyList list;
    for (Int32 i = 0; i < n; ++i) list.AddKeys(c.key(i), 0, u"");
    list.UseLevels({{key_k0, true}});
    list.SortThem(0, n - 1);
    EXPECT_LE(list.comparisons, c.most) << c.name;
    for (Int32 i = 1; i < n; ++i) ASSERT_LE(list.Entry(i - 1)->k0, list.Entry(i)->k0) << c.name;
  }
}

// ---- the host in a yield ------------------------------------------------------------

TEST(Work_qm_base_sort, CancellingInAYieldEndsTheSortWithEveryEntryOnce) {
  for (int cancelAt : {1, 2, 3, 5, 8}) {
    TKeyList list;
    std::mt19937 rng(cancelAt);
    for (Int32 i = 0; i < 30000; ++i) list.AddKeys(rng() % 50, static_cast<Int32>(rng() % 50), u"x");
    list.UseLevels({{key_k0, false}, {key_k1, true}});
    int yields = 0;
    Int64 atCancel = -1;
    ScopedHost host([&] {
      if (++yields == cancelAt) {
        global_panic_state = panic_stop_asap;
        atCancel = list.comparisons;
      }
    });
    const std::vector<Int32> before = list.Ids();
    list.SortThem(0, list.Count() - 1);
    EXPECT_EQ(yields, cancelAt) << "no yield after the cancel";
    EXPECT_EQ(list.comparisons, atCancel) << "no comparison after the cancel";
    EXPECT_EQ(list.fListBusy, action_none);
    ExpectSameEntries(list, before);
  }
}

TEST(Work_qm_base_sort, DeletingEntriesInAYieldEndsTheSortWithoutReadingThem) {
  for (int deleteAt : {1, 2, 4, 7}) {
    TKeyList list;
    std::mt19937 rng(deleteAt);
    for (Int32 i = 0; i < 30000; ++i) list.AddKeys(rng() % 30, static_cast<Int32>(rng() % 30), u"x");
    list.UseLevels({{key_k0, true}, {key_k1, true}});
    int yields = 0;
    std::vector<Int32> ids = list.Ids();
    ScopedHost host([&] {
      if (++yields == deleteAt) {
        // The host removes (and frees) the last entries and one in the middle.
        for (Int32 k = 0; k < 100; ++k) {
          const Int32 at = k == 0 ? list.Count() / 2 : list.Count() - 1;
          ids.erase(std::find(ids.begin(), ids.end(), list.Entry(at)->id));
          list.RemoveAnEntry(at);
        }
      }
    });
    list.SortThem(0, list.Count() - 1);
    EXPECT_EQ(list.Count(), 29900);
    EXPECT_EQ(list.fListBusy, action_none);
    ExpectSameEntries(list, ids);
  }
}

TEST(Work_qm_base_sort, YieldsAtEachLevelAndPerComparisonsAndRefusesASortFromAYield) {
  TKeyList list;
  for (Int32 i = 0; i < 3; ++i) list.AddKeys(3 - i, i, u"w");
  list.UseLevels({{key_k0, true}, {key_k1, true}, {key_word, true}});
  int yields = 0;
  bool refused = false;
  ScopedHost host([&] {
    ++yields;
    const std::vector<Int32> ids = list.Ids();
    list.SortThem(0, 2);  // busy: nothing happens
    refused = list.Ids() == ids && list.fListBusy == action_sorting;
  });
  list.SortThem(0, 2);
  EXPECT_EQ(yields, 3);  // one per level; a three-entry sort makes few comparisons
  EXPECT_TRUE(refused);
  EXPECT_EQ(list.Ids(), (std::vector<Int32>{2, 1, 0}));

  TKeyList big;
  for (Int32 i = 0; i < 20000; ++i) big.AddKeys(i % 97, 0, u"w");
  big.UseLevels({{key_k0, true}});
  int bigYields = 0;
  ScopedHost host2([&] { ++bigYields; });
  big.SortThem(0, big.Count() - 1);
  EXPECT_EQ(bigYields, 1 + big.comparisons / 8192);
}

TEST(Work_qm_base_sort, AComparerThatRaisesLeavesTheListIdle) {
  TKeyList list;
  for (Int32 i = 0; i < 10; ++i) list.AddKeys(i, 0, u"w");
  list.UseLevels({{key_k0, true}});
  list.hook = [] { throw std::runtime_error("comparer failed"); };
  EXPECT_THROW(list.SortThem(0, 9), std::runtime_error);
  EXPECT_EQ(list.fListBusy, action_none);
  list.hook = nullptr;
  list.SortThem(0, 9);
  EXPECT_EQ(list.Entry(0)->k0, 0);
}

// ---- the stated cases -----------------------------------------------------------------

TEST(Work_qm_base_sort, FewerThanTwoEntriesChangeNothing) {
  TKeyList list;
  list.UseLevels({{key_k0, true}});
  list.SortThem(0, 10);
  list.AddKeys(1, 0, u"a");
  list.SortThem(-5, 10);
  list.AddKeys(0, 0, u"b");
  list.SortThem(1, 1);
  list.SortThem(1, 0);
  EXPECT_FALSE(list.ListModified.Contains(mod_sorting));
  EXPECT_EQ(list.Ids(), (std::vector<Int32>{0, 1}));
  EXPECT_EQ(list.comparisons, 0);
  list.SortThem(-3, 99);
  EXPECT_TRUE(list.ListModified.Contains(mod_sorting));
  EXPECT_EQ(list.Ids(), (std::vector<Int32>{1, 0}));
  EXPECT_EQ(list.fSort_start, -3);
  EXPECT_EQ(list.fSort_Finish, 99);
}

TEST(Work_qm_base_sort, StatusTextOnlyAboveFiveThousandAndOne) {
  for (Int32 n : {5001, 5002}) {
    TKeyList list;
    for (Int32 i = 0; i < n; ++i) list.AddKeys(n - i, i % 2, u"w");
    list.UseLevels({{key_k0, true}, {key_k1, true}});
    list.SortThem(0, n - 1);
    if (n == 5001) {
      EXPECT_TRUE(list.messages.empty());
    } else {
      ASSERT_EQ(list.messages, (std::vector<String>{u"Sort : 1", u"Sort : 2"}));
      EXPECT_EQ(list.panels[0], tusp_message);
    }
  }
}

TEST(Work_qm_base_sort, BusyListRefusesToSort) {
  TKeyList list;
  list.AddKeys(2, 0, u"a");
  list.AddKeys(1, 0, u"b");
  list.UseLevels({{key_k0, true}});
  list.SetListBusy(action_editing);
  list.SortThem(0, 1);
  EXPECT_EQ(list.Ids(), (std::vector<Int32>{0, 1}));
  EXPECT_EQ(list.fListBusy, action_editing);
  EXPECT_FALSE(list.ListModified.Contains(mod_sorting));
}

TEST(Work_qm_base_sort, LaterLevelsOrderRunsOfEveryLevelBeforeAndStayInTheRange) {
  // Level 1 sorts within equal level-0 values only; level 2 within runs equal
  // on both earlier levels, never across a level-0 boundary.
  TKeyList list;
  list.AddKeys(2, 5, u"a");  // 0
  list.AddKeys(1, 5, u"z");  // 1
  list.AddKeys(1, 5, u"m");  // 2
  list.AddKeys(2, 5, u"b");  // 3
  list.AddKeys(1, 4, u"q");  // 4
  list.AddKeys(0, 0, u"z");  // 5: outside the range, equal at no level
  list.AddKeys(2, 5, u"0");  // 6: outside the range, equal to the last run
  list.UseLevels({{key_k0, true}, {key_k1, true}, {key_word, true}});
  list.SortThem(0, 4);
  EXPECT_EQ(list.Ids(), (std::vector<Int32>{4, 2, 1, 0, 3, 5, 6}));
  // A run of one entry is left alone; two entries equal at level 0 take
  // level 1's order.
  TKeyList two;
  two.AddKeys(1, 9, u"x");
  two.AddKeys(1, 3, u"y");
  two.AddKeys(0, 9, u"z");
  two.UseLevels({{key_k0, false}, {key_k1, true}});
  two.SortThem(0, 2);
  EXPECT_EQ(two.Ids(), (std::vector<Int32>{1, 0, 2}));
}

TEST(Work_qm_base_sort, LevelTwoLeavesARunCoveringTheWholeList) {
  TKeyList list;
  list.AddKeys(1, 1, u"c");
  list.AddKeys(1, 1, u"a");
  list.AddKeys(1, 1, u"b");
  list.UseLevels({{key_k0, true}, {key_k1, true}, {key_word, true}});
  list.SortThem(0, 2);
  EXPECT_EQ(list.Ids(), (std::vector<Int32>{0, 1, 2}));
  // One entry more, different at level 1: the runs are sorted.
  list.AddKeys(1, 0, u"z");
  list.SortThem(0, 3);
  EXPECT_EQ(list.Ids(), (std::vector<Int32>{3, 1, 2, 0}));
}

TEST(Work_qm_base_sort, LevelsWithoutComparersAndEqualSortBytes) {
  TKeyList list;
  list.AddKeys(1, 2, u"b");
  list.AddKeys(1, 1, u"a");
  list.AddKeys(0, 3, u"c");
  list.UseLevels({{key_k0, true}, {key_k1, true}});
  int level1Calls = 0;
  list.QMSortSettings.comparesorts[second_sort] = [&](TObject*) {
    ++level1Calls;
    return 0;
  };
  // Level 1 with the sort byte of level 0 is not applied.
  list.QMSortSettings.saveable.SortBytes[second_sort] = list.QMSortSettings.saveable.SortBytes[main_sort];
  list.SortThem(0, 2);
  EXPECT_EQ(list.Entry(0)->id, 2);
  EXPECT_EQ(level1Calls, 0);
  list.QMSortSettings.saveable.SortBytes[second_sort] = 9;
  list.SortThem(0, 2);
  EXPECT_GT(level1Calls, 0);
  // No comparer at level 1: level 0 is sorted and the sort ends.
  list.QMSortSettings.comparesorts[second_sort] = nullptr;
  list.QMSortSettings.comparesorts[third_sort] = [&](TObject*) {
    ADD_FAILURE() << "level 2 after a level without comparer";
    return 0;
  };
  list.QMSortSettings.saveable.SortLevelsAvailable = third_sort;
  list.QMSortSettings.saveable.SortBytes[third_sort] = 10;
  list.SortThem(0, 2);
  EXPECT_EQ(list.Entry(0)->id, 2);
  // No comparer at level 0: nothing moves.
  list.QMSortSettings.comparesorts[main_sort] = nullptr;
  list.ExchangeOrder(0, 2);
  const std::vector<Int32> before = list.Ids();
  list.SortThem(0, 2);
  EXPECT_EQ(list.Ids(), before);
  EXPECT_EQ(list.fListBusy, action_none);
}

TEST(Work_qm_base_sort, PrivateLevels) {
  TKeyList list;
  for (Int32 i = 0; i < 6; ++i) list.AddKeys(6 - i, 0, u"w");
  list.SetDeleted(1, true);
  list.SetDeleted(4, true);
  list.SetMatched(0, true);
  list.Entry(2)->JoinFrom(list.Entry(5));
  list.Entry(2)->JoinFrom(list.Entry(3));
  list.UseLevels({{key_k0, true}, {key_k0, true}});
  // Deleted entries last, then level 1 orders each part by the number.
  list.UsePrivateSort(list.QMSortSettings, main_sort, deleted_sort);
  list.SortThem(0, 5);
  EXPECT_EQ(list.Ids(), (std::vector<Int32>{5, 3, 2, 0, 4, 1}));
  // Descending on the join-list count: the entry with two joins first.
  list.UsePrivateSort(list.QMSortSettings, main_sort, joinlist_sort);
  list.SetSortAscending(main_sort, false);
  list.SortThem(0, 5);
  EXPECT_EQ(list.Entry(0)->id, 2);
  // Matched ascending, joined elsewhere descending: set flags first.
  list.UsePrivateSort(list.QMSortSettings, main_sort, matched_sort);
  list.SortThem(0, 5);
  EXPECT_EQ(list.Entry(0)->id, 0);
  list.UsePrivateSort(list.QMSortSettings, main_sort, joined_elsewhere_sort);
  list.SortThem(0, 5);
  std::set<Int32> firstTwo{list.Entry(0)->id, list.Entry(1)->id};
  EXPECT_EQ(firstTwo, (std::set<Int32>{3, 5}));
  // The original-entry comparer keeps the order and ends the sort: level 1
  // is not applied.
  const std::vector<Int32> before = list.Ids();
  list.UsePrivateSort(list.QMSortSettings, main_sort, original_entry_number_sort);
  const Int64 comparisons = list.comparisons;
  list.SortThem(0, 5);
  EXPECT_EQ(list.Ids(), before);
  EXPECT_EQ(list.comparisons, comparisons);
  // A private level without its comparer ends the sort too.
  list.QMSortSettings.privatesorts[main_sort] = nullptr;
  list.SortThem(0, 5);
  EXPECT_EQ(list.Ids(), before);
}

TEST(Work_qm_base_sort, PrivateComparersReadThePivotsPrivatePart) {
  TKeyList list;
  list.AddKeys(0, 0, u"a");
  list.AddKeys(0, 0, u"b");
  list.SetDeleted(1, true);
  list.SetPrivateBase(list.Entry(1), main_sort);
  list.FSortStage = main_sort;
  EXPECT_EQ(list.PrivateSortDeletedUp(list.Entry(0)), -1);  // no private part: not deleted
  EXPECT_EQ(list.PrivateSortDeletedUp(list.Entry(1)), 0);
  list.SetPrivateBase(list.Entry(0), main_sort);
  EXPECT_EQ(list.PrivateSortDeletedUp(list.Entry(1)), 1);
  EXPECT_EQ(list.PrivateSortJoinListUp(list.Entry(1)), 0);
  EXPECT_EQ(list.PrivateSortOriginalEntryUp(list.Entry(1)), -1);
  EXPECT_EQ(list.PrivateSortMatchedUp(nullptr), 0);
}

TEST(Work_qm_base_sort, TopIdenticallySortedStopsAtTheEnd) {
  TKeyList list;
  EXPECT_EQ(list.TopIdenticallySorted(main_sort), -1);
  list.UseLevels({{key_k0, true}});
  EXPECT_EQ(list.TopIdenticallySorted(main_sort), -1);  // empty list
  for (Int32 i = 0; i < 4; ++i) list.AddKeys(7, i, u"w");
  EXPECT_EQ(list.TopIdenticallySorted(main_sort), 3);
  list.AddKeys(8, 0, u"w");
  EXPECT_EQ(list.TopIdenticallySorted(main_sort), 3);
  EXPECT_EQ(list.TopIdenticallySorted(second_sort), -1);  // no comparer
}

// ---- choosing levels ----------------------------------------------------------------------

TEST(Work_qm_base_sort, Set1SortDirectionsAndColumns) {
  StandardSetsOnly scope;
  TKeyList list;
  list.GridHeadings()->LoadStandardSet(lt_word_list);
  ASSERT_GE(list.GridHeadings()->Count(), 3);
  Int32 textColumn = -1;
  Int32 numberColumn = -1;
  for (Int32 c = 1; c < list.GridHeadings()->Count(); ++c) {
    if (list.GridHeadings()->GetANumerical(c) && numberColumn < 0) numberColumn = c;
    if (!list.GridHeadings()->GetANumerical(c) && textColumn < 0) textColumn = c;
  }
  ASSERT_GT(textColumn, 0);
  ASSERT_GT(numberColumn, 0);
  TSortSaveable& sv = list.QMSortSettings.saveable;
  list.QMSortSettings.comparesorts[second_sort] = [](TObject*) { return 0; };

  // The first sort of a numerical column in a run descends; later ones keep
  // the direction.
  sv.column_choices[main_sort].ascending = true;
  EXPECT_TRUE(list.DoSet1Sort(main_sort, numberColumn, 5));
  EXPECT_FALSE(list.GetSortAscending(main_sort));
  EXPECT_EQ(sv.column_choices[main_sort].column, numberColumn);
  EXPECT_EQ(sv.SortBytes[main_sort], 5);
  EXPECT_FALSE(static_cast<bool>(list.QMSortSettings.comparesorts[second_sort]));
  list.SetSortAscending(main_sort, true);
  list.DoSet1Sort(main_sort, numberColumn, 5);
  EXPECT_TRUE(list.GetSortAscending(main_sort));
  EXPECT_TRUE(list.DoSet1Sort(main_sort, textColumn, 6));
  EXPECT_TRUE(list.GetSortAscending(main_sort));

  // toggle_check at level 0 turns the direction round whatever the column.
  const bool was = list.GetSortAscending(main_sort);
  list.Set1Sort(main_sort, textColumn, toggle_check);
  EXPECT_NE(list.GetSortAscending(main_sort), was);
  list.Set1Sort(main_sort, numberColumn, toggle_check);
  EXPECT_EQ(list.GetSortAscending(main_sort), was);
  list.Set1Sort(main_sort, numberColumn, toggle_dont);
  EXPECT_EQ(list.GetSortAscending(main_sort), was);
  list.Set1Sort(main_sort, numberColumn, toggle_do);
  EXPECT_NE(list.GetSortAscending(main_sort), was);

  // Level 1 with the sort byte of level 0: no change, the column stays, and
  // toggle_check with a new column leaves the direction.
  sv.column_choices[second_sort].column = 0;
  const bool level1 = list.GetSortAscending(second_sort);
  EXPECT_FALSE(list.Set1Sort(second_sort, numberColumn, toggle_check));
  EXPECT_EQ(list.GetSortAscending(second_sort), level1);
  EXPECT_EQ(sv.column_choices[second_sort].column, 0);
  EXPECT_EQ(list.GetSortLevelsAvailable(), main_sort);
  // A different key at level 1 is taken.
  sv.SortBytes[main_sort] = 200;
  EXPECT_TRUE(list.Set1Sort(second_sort, textColumn, toggle_dont));
  EXPECT_EQ(list.GetSortLevelsAvailable(), second_sort);
  EXPECT_EQ(sv.column_choices[second_sort].column, textColumn);
  EXPECT_TRUE(list.SortColumnChanged(second_sort, numberColumn));
  EXPECT_FALSE(list.SortColumnChanged(second_sort, textColumn));

  // Set3Sorts re-applies the stored columns of the levels in use.
  sv.main_sort_is_alphabetical = true;
  list.Set3Sorts();
  EXPECT_EQ(list.GetSortLevelsAvailable(), second_sort);
  EXPECT_FALSE(sv.main_sort_is_alphabetical);
  EXPECT_FALSE(list.AllQMColumnChoicesEqual());
  list.SetSortAsMainWordSort(second_sort);
  EXPECT_EQ(sv.column_choices[second_sort].column, 1);

  list.SetSortAscending(main_sort, false);
  list.ToggleMainSortAscendsUntilAscending();
  EXPECT_TRUE(list.GetSortAscending(main_sort));
  list.ToggleMainSortAscendsUntilAscending();
  EXPECT_TRUE(list.GetSortAscending(main_sort));
  list.SetMainSortAlphabetical();
  EXPECT_TRUE(sv.main_sort_is_alphabetical && sv.knows_whether_alph_ascending);
  list.SetSortLevelsAvailable(main_sort);
  EXPECT_TRUE(list.AllQMColumnChoicesEqual());
}

// A list that records its DoASort calls.
class TRecordingSortList : public TKeyList {
 public:
  void DoASort(Int32 column, Int32 from, Int32 to) override { calls.push_back({column, from, to}); }
  std::vector<std::array<Int32, 3>> calls;
};

TEST(Work_qm_base_sort, SortOnCategoryAndResorting) {
  StandardSetsOnly scope;
  TRecordingSortList list;
  list.GridHeadings()->LoadStandardSet(lt_word_list);
  list.RecomputeColumnSetnums();
  list.AddKeys(0, 0, u"a");
  Int32 setColumn = -1;
  for (Int32 c = 1; c < list.GridHeadings()->Count() && setColumn < 0; ++c)
    if (list.IsASetColumnColumn(c)) setColumn = c;
  ASSERT_GT(setColumn, 0);
  list.SortOnCategory(true, 0);
  ASSERT_EQ(list.calls.size(), 1u);
  EXPECT_EQ(list.calls[0], (std::array<Int32, 3>{setColumn, 0, 0}));
  EXPECT_FALSE(list.GetSortAscending(main_sort));
  EXPECT_FALSE(list.GetSortAscending(second_sort));
  EXPECT_EQ(list.QMSortSettings.saveable.column_choices[main_sort].column, setColumn);
  EXPECT_EQ(list.QMSortSettings.saveable.column_choices[second_sort].column, list.MainWordColumn());

  TQMBaseHolder holder;
  list.Patroa = &holder;
  holder.fLCID = 1033;
  list.CompleteResort(4);
  list.CompleteResort(1046, 2);
  EXPECT_EQ(holder.fLCID, 1046u);
  ASSERT_EQ(list.calls.size(), 3u);
  EXPECT_EQ(list.calls[1], (std::array<Int32, 3>{4, 0, 0}));
  EXPECT_EQ(list.calls[2], (std::array<Int32, 3>{2, 0, 0}));
  list.Patroa = nullptr;
}

// ---- helpers and ready comparers ------------------------------------------------------------

TEST(Work_qm_base_sort, ComparisonHelpers) {
  TKeyList list;
  list.base_compare_single = 1.5f;
  EXPECT_EQ(list.FloatComparison(1.5f), 0);
  EXPECT_EQ(list.FloatComparison(2.0f), 1);
  EXPECT_EQ(list.FloatComparison(std::nanf("")), -1);
  list.base_compare_int64 = Int64{1} << 40;
  EXPECT_EQ(list.Int64Comparison((Int64{1} << 40) + 1), 1);
  EXPECT_EQ(list.Int64Comparison(1), -1);
  list.base_compare_textdate = 45000.25;
  EXPECT_EQ(list.TextDateComparison(45000.25), 0);
  EXPECT_EQ(list.TextDateComparison(45000.5), 1);
  list.base_compare_Boolean = false;
  EXPECT_EQ(list.BooleanComparison(true), 1);
  list.base_compare_Boolean = true;
  EXPECT_EQ(list.BooleanComparison(false), -1);
  for (auto [v, want] : std::vector<std::pair<Int32, Int32>>{
           {5, -1}, {-5, 1}, {0, 0}, {std::numeric_limits<Int32>::min(), 1}, {std::numeric_limits<Int32>::max(), -1}})
    EXPECT_EQ(TQMBaseDataClass::IntegerComparisonSwapped(v), want) << v;

  list.SetBaseCompareStrAndTag(TStringTag{u"Word", u"<n>", 3});
  list.comparing_case_sensitively = true;
  EXPECT_EQ(list.BaseStringComparison(u"word"), 1);
  list.comparing_case_sensitively = false;
  EXPECT_EQ(list.BaseStringComparison(u"word"), 0);
  EXPECT_EQ(list.BaseStringAndTagComparison(TStringTag{u"WORD", u"<n>", 3}), 0);
  list.base_compare_ReverseStringTag.wrd = u"cba";
  EXPECT_EQ(list.BaseStringBackwardsComparison(u"ABC"), 0);
  TConcStringTag pivot{};
  pivot.wordsections.wd_str = u"cat";
  pivot.tagnum_2B = 4;
  list.SetBaseCompareConcStrAndTag(pivot);
  TConcStringTag other = pivot;
  other.wordsections.wd_str = u"dog";
  other.tagnum_2B = 9;
  EXPECT_EQ(list.BaseConcStringAndTagComparison(other), 1);
  list.comparing_on_Tags = true;
  EXPECT_EQ(list.BaseConcStringAndTagComparison(other), -1);  // the pivot's tag number first
  EXPECT_EQ(list.BaseStringAndTagComparison(TStringTag{u"x", u"", 2}), 1);
  list.SetBaseCompareStrAndTagArray({TStringTag{u"a", u"", 0}});
  EXPECT_EQ(list.BaseStringAndTagArrayComparison({TStringTag{u"a", u"", 0}, TStringTag{u"b", u"", 0}}), -1);
  list.base_compare_PcharTagArray.resize(2);
  list.Clearbase_compare_PcharTagArray();
  EXPECT_TRUE(list.base_compare_PcharTagArray.empty());

  list.base_compare_category = TStringTrueColumnAndColourRec{3, 10, u"noun"};
  EXPECT_EQ(list.CategoriesComparison(TStringTrueColumnAndColourRec{3, 10, u"n*o?un"}), 0);
  EXPECT_EQ(list.CategoriesComparison(TStringTrueColumnAndColourRec{3, 11, u"noun"}), 1);
  EXPECT_EQ(list.CategoriesComparison(TStringTrueColumnAndColourRec{3, 99, u"name"}), -1);
}

// A list whose pivot setter the test chooses.
class TPivotList : public TKeyList {
 public:
  void SetBase(TQMBaseListObject* entry, TSortLevel) override {
    if (pivot) pivot(entry);
  }
  std::function<void(TQMBaseListObject*)> pivot;
};

TEST(Work_qm_base_sort, ReadyComparersSortLemmasEntropiesCategoriesLengthsDispersions) {
  TPivotList list;
  list.AddKeys(10, 0, u"aaaa", 0.5f);  // 0
  list.AddKeys(10, 0, u"b", 0.25f);    // 1
  list.AddKeys(10, 0, u"cc", 0.75f);   // 2
  list.AddKeys(10, 0, u"ddd", 0.0f);   // 3
  list.AddKeys(30, 0, u"e", 0.0f);     // 4: joined under 1
  list.AddKeys(10, 0, u"f", 0.0f);     // 5: joined under 1
  list.Entry(1)->JoinFrom(list.Entry(4));
  list.Entry(1)->JoinFrom(list.Entry(5));
  list.Entry(2)->JoinFrom(list.Entry(3));
  list.true_current_sort_column = 7;
  list.Entry(0)->SetCategoryString(u"b*", 7);
  list.Entry(3)->SetCategoryString(u"c", 7);
  TQMBaseHolder holder;
  list.Patroa = &holder;

  struct Case {
    const char* name;
    std::function<Int32(TObject*)> compare;
    std::function<void(TQMBaseListObject*)> pivot;
    std::vector<Int32> first;  // the ids expected first, sorting descending
  };
  const std::vector<Case> cases = {
      {"lemmas", [&](TObject* e) { return list.CompareLemmas(e); },
       [&](TQMBaseListObject*) { list.base_compare_int64 = list.GetJoinCount(list.compare_ID_base); }, {1, 2}},
      {"relative entropy", [&](TObject* e) { return list.CompareRelativeEntropies(e); },
       [&](TQMBaseListObject*) {
         list.base_compare_single = static_cast<Single>(list.LemmasRelativeEntropy(list.compare_ID_base, 0));
       },
       {2, 1}},
      {"length", [&](TObject* e) { return list.CompareWordsByLength(e); },
       [&](TQMBaseListObject* e) { list.base_compare_int64 = e->MainWordLength(); }, {0, 3, 2}},
      {"dispersion", [&](TObject* e) { return list.CompareDispersions(e); },
       [&](TQMBaseListObject* e) { list.base_compare_single = e->GetDispersion(); }, {2, 0, 1}},
      {"category", [&](TObject* e) { return list.CompareCategories(e); },
       [&](TQMBaseListObject*) {
         list.base_compare_category = list.GetACategoryAndColour(list.compare_ID_base, 7, true);
       },
       {3, 0}},
  };
  for (const Case& c : cases) {
    list.QMSortSettings.comparesorts[main_sort] = c.compare;
    list.QMSortSettings.saveable.SortLevelsAvailable = main_sort;
    list.QMSortSettings.saveable.column_choices[main_sort].ascending = false;
    list.pivot = c.pivot;
    list.SortThem(0, list.Count() - 1);
    for (size_t i = 0; i < c.first.size(); ++i) EXPECT_EQ(list.Entry(static_cast<Int32>(i))->id, c.first[i]) << c.name;
  }
  list.Patroa = nullptr;
}

TEST(Work_qm_base_sort, LemmasRelativeEntropyAndCategoriesOfRows) {
  TKeyList list;
  list.AddKeys(10, 0, u"a");
  list.AddKeys(10, 0, u"b");
  list.AddKeys(10, 0, u"c");
  EXPECT_EQ(list.LemmasRelativeEntropy(0, 0), 0.0);
  list.Entry(0)->JoinFrom(list.Entry(1));
  EXPECT_DOUBLE_EQ(list.LemmasRelativeEntropy(0, 0), 1.0);  // two equal counts
  // The basis pads the counts with zeros: two of four possible places.
  EXPECT_DOUBLE_EQ(list.LemmasRelativeEntropy(0, 4), 0.5);

  list.Entry(2)->SetCategoryString(u"?adj*", 5);
  list.Entry(2)->SetCategoryColour(0x123456, 5);
  EXPECT_EQ(list.GetACategoryAndColour(2, 5, false).s, u"?adj*");
  EXPECT_EQ(list.GetACategoryAndColour(2, 5, true).s, u"adj");
  EXPECT_EQ(list.GetACategoryString(2, 5), u"?adj*");
  EXPECT_EQ(list.GetACategoryColour(2, 5), static_cast<TColor>(0x123456));
  EXPECT_TRUE(list.GetACategoryString(1, 5).empty());
  try {
    list.GetACategoryAndColour(3, 5, false);
    FAIL() << "no assertion";
  } catch (const EAssertionFailed& e) {
    EXPECT_NE(String(e.Message()).find(u"trying to get data index 3 (Count = 3)"), String::npos);
  }
}

// ---- random order and exchanges -----------------------------------------------------------------

TEST(Work_qm_base_sort, RandomOrderDrawsEveryOrderAndKeepsEveryEntry) {
  const UInt64 seed = RandSeed;
  std::map<std::vector<Int32>, int> seen;
  for (int round = 0; round < 6000; ++round) {
    TKeyList list;
    for (Int32 i = 0; i < 3; ++i) list.AddKeys(i, 0, u"w");
    list.DoRandomOrderSort();
    ++seen[list.Ids()];
  }
  EXPECT_EQ(seen.size(), 6u);
  for (const auto& [order, times] : seen) EXPECT_NEAR(times, 1000, 150);
  TKeyList big;
  for (Int32 i = 0; i < 5000; ++i) big.AddKeys(i, 0, u"w");
  const std::vector<Int32> before = big.Ids();
  big.DoRandomOrderSort();
  EXPECT_NE(big.Ids(), before);
  ExpectSameEntries(big, before);
  big.SetListBusy(action_editing);
  const std::vector<Int32> shuffled = big.Ids();
  big.DoRandomOrderSort();
  EXPECT_EQ(big.Ids(), shuffled);
  big.SetListBusy(action_none);
  RandSeed = seed;

  big.ExchangeOrder(0, 1);
  EXPECT_EQ(big.Entry(0)->id, shuffled[1]);
  big.ExchangeOrder(0, 5000);  // outside: nothing
  big.ExchangeOrder(-1, 0);
  EXPECT_EQ(big.Entry(0)->id, shuffled[1]);
}

}  // namespace
}  // namespace sk
