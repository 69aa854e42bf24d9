// A million items with three keys, sorted on all three by the library's
// three-level sort list (through its closure, and on gathered keys), beside std::sort on plain structs with the same keys
// in lexicographic order. The keys have many ties at the first two levels, as
// the columns of a results list do (a frequency, a file number, a word).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <random>
#include <tuple>
#include <vector>

#include "core/Comparing_types.h"
#include "core/Global_vars.h"
#include "core/Sortablelists.h"

namespace {

using namespace sk;

constexpr Int32 kItems = 1000000;

struct Keys {
  Int32 k[3];
};

struct KeyItem : TObject {
  Keys keys;
};

std::vector<Keys> MakeKeys() {
  std::mt19937 rng(2024);
  std::vector<Keys> v(kItems);
  for (Keys& k : v) {
    k.k[0] = static_cast<Int32>(rng() % 100);
    k.k[1] = static_cast<Int32>(rng() % 1000);
    k.k[2] = static_cast<Int32>(rng());
  }
  return v;
}

const std::vector<Keys>& SharedKeys() {
  static const std::vector<Keys> keys = MakeKeys();
  return keys;
}

class KeyList : public T3SortYieldingList {
 public:
  Int32 baseKey = 0;
  TCompareFunctOfObject Closure() {
    return [this](TObject* o) {
      return CompareLongints(static_cast<KeyItem*>(o)->keys.k[current_sort_rec.current_sort_var], baseKey);
    };
  }

 protected:
  void SetBase(TObject* item, Int32 sortNum) override { baseKey = static_cast<KeyItem*>(item)->keys.k[sortNum]; }
};

// The same list when its items give their keys: the sort runs on an array of
// gathered keys.
class KeyGivingList : public KeyList {
 protected:
  T3SortKeyKind SortKeyKind(Int32) const override { return sk_int64_key; }
  Int64 SortKeyInt64(const TObject* item, Int32 sortNum) const override {
    return static_cast<const KeyItem*>(item)->keys.k[sortNum];
  }
};

template <class List>
void SortList(benchmark::State& state) {
  const std::vector<Keys>& keys = SharedKeys();
  std::vector<KeyItem> items(keys.size());
  for (size_t i = 0; i < keys.size(); ++i) items[i].keys = keys[i];
  Global_YieldProcessProc = [] {};  // a host hook that returns at once
  for (auto _ : state) {
    state.PauseTiming();
    List list;
    list.SetAscending(true, true, true);
    for (KeyItem& it : items) list.Add(&it);
    state.ResumeTiming();
    list.DoATrebleSort(list.Closure(), 0, 1, 2);
    benchmark::DoNotOptimize(list.Items(0));
  }
  Global_YieldProcessProc = nullptr;
  state.SetItemsProcessed(state.iterations() * kItems);
}

void BM_ThreeLevelSortListKeys(benchmark::State& state) { SortList<KeyGivingList>(state); }

void BM_ThreeLevelSortList(benchmark::State& state) {
  const std::vector<Keys>& keys = SharedKeys();
  std::vector<KeyItem> items(keys.size());
  for (size_t i = 0; i < keys.size(); ++i) items[i].keys = keys[i];
  Global_YieldProcessProc = [] {};  // a host hook that returns at once
  for (auto _ : state) {
    state.PauseTiming();
    KeyList list;
    list.SetAscending(true, true, true);
    for (KeyItem& it : items) list.Add(&it);
    state.ResumeTiming();
    list.DoATrebleSort(list.Closure(), 0, 1, 2);
    benchmark::DoNotOptimize(list.Items(0));
  }
  Global_YieldProcessProc = nullptr;
  state.SetItemsProcessed(state.iterations() * kItems);
}

void BM_StdSortPlainStructs(benchmark::State& state) {
  const std::vector<Keys>& keys = SharedKeys();
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<Keys> v = keys;
    state.ResumeTiming();
    std::sort(v.begin(), v.end(), [](const Keys& a, const Keys& b) {
      return std::tie(a.k[0], a.k[1], a.k[2]) < std::tie(b.k[0], b.k[1], b.k[2]);
    });
    benchmark::DoNotOptimize(v.data());
  }
  state.SetItemsProcessed(state.iterations() * kItems);
}

// The same comparison, but through item references as the list sorts them, to
// show how much of the difference is the indirection.
void BM_StdSortItemReferences(benchmark::State& state) {
  const std::vector<Keys>& keys = SharedKeys();
  std::vector<KeyItem> items(keys.size());
  for (size_t i = 0; i < keys.size(); ++i) items[i].keys = keys[i];
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<const KeyItem*> v;
    v.reserve(items.size());
    for (const KeyItem& it : items) v.push_back(&it);
    state.ResumeTiming();
    std::sort(v.begin(), v.end(), [](const KeyItem* a, const KeyItem* b) {
      return std::tie(a->keys.k[0], a->keys.k[1], a->keys.k[2]) < std::tie(b->keys.k[0], b->keys.k[1], b->keys.k[2]);
    });
    benchmark::DoNotOptimize(v.data());
  }
  state.SetItemsProcessed(state.iterations() * kItems);
}

BENCHMARK(BM_ThreeLevelSortList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ThreeLevelSortListKeys)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StdSortPlainStructs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StdSortItemReferences)->Unit(benchmark::kMillisecond);

}  // namespace
