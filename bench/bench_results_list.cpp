// A results list of 1,000,000 entries: appending them, emptying every second
// slot (the entry freed) and packing, beside the same work on a std::vector
// of std::unique_ptr with erase-remove. Both sides allocate and free the same
// entry objects; freeing the half that is left is not timed on either side.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "BenchList.h"
#include "analysis/Work_qm_base.h"

namespace {

using namespace sk;

constexpr Int32 kEntries = 1000000;

void BM_ResultsListAppendEmptyHalfAndPack(benchmark::State& state) {
  for (auto _ : state) {
    auto list = std::make_unique<TBenchList>();
    for (Int32 i = 0; i < kEntries; ++i) list->Add(new TQMBaseListObject(list.get(), nullptr));
    for (Int32 i = 0; i < kEntries; i += 2) list->Empty(i);
    list->Pack();
    benchmark::DoNotOptimize(list->Count());
    state.PauseTiming();
    list.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kEntries);
}
BENCHMARK(BM_ResultsListAppendEmptyHalfAndPack)->Unit(benchmark::kMillisecond);

void BM_VectorOfUniquePtrAppendResetHalfAndEraseRemove(benchmark::State& state) {
  for (auto _ : state) {
    auto list = std::make_unique<std::vector<std::unique_ptr<TQMBaseListObject>>>();
    for (Int32 i = 0; i < kEntries; ++i) list->push_back(std::make_unique<TQMBaseListObject>(nullptr, nullptr));
    for (Int32 i = 0; i < kEntries; i += 2) (*list)[static_cast<size_t>(i)].reset();
    list->erase(std::remove(list->begin(), list->end(), nullptr), list->end());
    benchmark::DoNotOptimize(list->size());
    state.PauseTiming();
    list.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kEntries);
}
BENCHMARK(BM_VectorOfUniquePtrAppendResetHalfAndEraseRemove)->Unit(benchmark::kMillisecond);

}  // namespace
