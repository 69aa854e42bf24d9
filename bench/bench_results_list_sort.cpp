// A million entries of a test tool's results list sorted on three levels by
// the list's sort engine (an Int64 key with 100 values descending, an Int32
// key with 1,000 values ascending, a word of 3 to 8 letters ascending by
// Compare2Strings), with a yield hook installed that returns at once; beside
// std::sort over the same entry pointers with one comparator reading the same
// keys through the same accessors. A second case raises the cancel flag from
// the yield hook part-way and reports how long the sort takes to end after it.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <random>
#include <vector>

#include "BenchThreeLevelList.h"
#include "analysis/Work_qm_base.h"
#include "core/Global_vars.h"
#include "core/Useful_classes_base_compare.h"

namespace {

using namespace sk;

constexpr Int32 kEntries = 1000000;

using TBenchEntry = TBenchWordEntry;
using TBenchList = TThreeLevelBenchList;

struct Entries {
  std::vector<std::unique_ptr<TBenchEntry>> owned;
  std::vector<TBenchEntry*> order;  // the order every run starts from
};

const Entries& SharedEntries() {
  static const Entries entries = [] {
    Entries e;
    std::mt19937 rng(7);
    e.owned.reserve(kEntries);
    for (Int32 i = 0; i < kEntries; ++i) {
      auto entry = std::make_unique<TBenchEntry>(nullptr, nullptr);
      entry->freq = static_cast<Int64>(rng() % 100);
      entry->texts = static_cast<Int32>(rng() % 1000);
      const Int32 len = 3 + static_cast<Int32>(rng() % 6);
      for (Int32 k = 0; k < len; ++k) entry->word.push_back(static_cast<Char>(u'a' + rng() % 26));
      e.owned.push_back(std::move(entry));
    }
    for (auto& p : e.owned) e.order.push_back(p.get());
    std::shuffle(e.order.begin(), e.order.end(), rng);
    return e;
  }();
  return entries;
}

void FillList(TBenchList& list, const Entries& entries) {
  if (list.Count() == 0) {
    list.SetCapacity(kEntries);
    for (TBenchEntry* e : entries.order) list.Add(e);
  } else {
    for (Int32 i = 0; i < kEntries; ++i) list.Put(i, entries.order[static_cast<size_t>(i)]);
  }
}

void BM_SortThemThreeLevels(benchmark::State& state) {
  const Entries& entries = SharedEntries();
  TBenchList list;
  Global_YieldProcessProc = [] {};
  for (auto _ : state) {
    state.PauseTiming();
    FillList(list, entries);
    state.ResumeTiming();
    list.SortThem(0, list.Count() - 1);
    benchmark::DoNotOptimize(list.Get(0));
  }
  Global_YieldProcessProc = nullptr;
  list.ClearButNotGridHeadings();
  state.SetItemsProcessed(state.iterations() * kEntries);
}

void BM_StdSortSameAccessors(benchmark::State& state) {
  const Entries& entries = SharedEntries();
  std::vector<TQMBaseListObject*> v;
  for (auto _ : state) {
    state.PauseTiming();
    v.assign(entries.order.begin(), entries.order.end());
    state.ResumeTiming();
    std::sort(v.begin(), v.end(), [](TQMBaseListObject* a, TQMBaseListObject* b) {
      const Int64 fa = a->FrequencyNum();
      const Int64 fb = b->FrequencyNum();
      if (fa != fb) return fa > fb;
      const Int32 ta = a->MainNTexts();
      const Int32 tb = b->MainNTexts();
      if (ta != tb) return ta < tb;
      return Compare2Strings(a->GetAWordAsString(1), b->GetAWordAsString(1)) < 0;
    });
    benchmark::DoNotOptimize(v.front());
  }
  state.SetItemsProcessed(state.iterations() * kEntries);
}

// The host's Stop button pressed during the 40th yield: the time from then
// until SortThem returns, in microseconds.
void BM_SortThemCancelled(benchmark::State& state) {
  const Entries& entries = SharedEntries();
  TBenchList list;
  Int32 yields = 0;
  std::chrono::steady_clock::time_point cancelledAt;
  Global_YieldProcessProc = [&] {
    if (++yields == 40) {
      global_panic_state = panic_stop;
      cancelledAt = std::chrono::steady_clock::now();
    }
  };
  double totalEndMicros = 0;
  for (auto _ : state) {
    state.PauseTiming();
    FillList(list, entries);
    yields = 0;
    global_panic_state = panic_no_panic;
    state.ResumeTiming();
    list.SortThem(0, list.Count() - 1);
    const auto ended = std::chrono::steady_clock::now();
    totalEndMicros += std::chrono::duration<double, std::micro>(ended - cancelledAt).count();
  }
  global_panic_state = panic_no_panic;
  Global_YieldProcessProc = nullptr;
  list.ClearButNotGridHeadings();
  state.counters["end_after_cancel_us"] = totalEndMicros / static_cast<double>(state.iterations());
}

BENCHMARK(BM_SortThemThreeLevels)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StdSortSameAccessors)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortThemCancelled)->Unit(benchmark::kMillisecond);

}  // namespace
