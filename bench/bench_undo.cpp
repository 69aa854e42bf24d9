// A results list of 1,000,000 entries: deleting every second one with undo,
// zapping them with undo, undoing the zap and redoing it; cutting the list
// down to 100 entries. Beside them the same removal on a std::vector of
// std::unique_ptr with erase-remove. Building the list is not timed. The
// counters give the undo and redo stacks' bytes per entry touched.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "BenchList.h"
#include "analysis/Work_qm_base.h"

namespace {

using namespace sk;

constexpr Int32 kEntries = 1000000;

std::unique_ptr<TBenchList> Filled() {
  auto list = std::make_unique<TBenchList>();
  list->SetCapacity(kEntries);
  for (Int32 i = 0; i < kEntries; ++i) list->Add(new TQMBaseListObject(list.get(), nullptr));
  return list;
}

std::unique_ptr<T1LongintList> EverySecond() {
  auto l = std::make_unique<T1LongintList>();
  for (Int32 i = 0; i < kEntries; i += 2) l->AddOne(i);
  return l;
}

size_t StackBytes(const TQMBaseDataClass& list) {
  return list.UndoList->fUndoActions->HeldBytes() + list.UndoList->fRedoActions->HeldBytes();
}

void BM_DeleteEverySecondWithUndo(benchmark::State& state) {
  const auto indexes = EverySecond();
  size_t bytes = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto list = Filled();
    state.ResumeTiming();
    list->DeleteARange(*indexes, undoable_yes, true);
    benchmark::DoNotOptimize(list->Count());
    state.PauseTiming();
    bytes = StackBytes(*list);
    list.reset();
    state.ResumeTiming();
  }
  state.counters["stack_bytes_per_entry"] = static_cast<double>(bytes) / (kEntries / 2);
}
BENCHMARK(BM_DeleteEverySecondWithUndo)->Unit(benchmark::kMillisecond);

void BM_ZapEverySecondWithUndo(benchmark::State& state) {
  const auto indexes = EverySecond();
  size_t bytes = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto list = Filled();
    list->PrivateDeleteARange(*indexes, true);
    state.ResumeTiming();
    list->Zap(undoable_yes);
    benchmark::DoNotOptimize(list->Count());
    state.PauseTiming();
    bytes = StackBytes(*list);
    list.reset();
    state.ResumeTiming();
  }
  state.counters["stack_bytes_per_entry"] = static_cast<double>(bytes) / (kEntries / 2);
}
BENCHMARK(BM_ZapEverySecondWithUndo)->Unit(benchmark::kMillisecond);

// The entries are freed, as erase-remove frees them.
void BM_ZapEverySecondWithoutUndo(benchmark::State& state) {
  const auto indexes = EverySecond();
  for (auto _ : state) {
    state.PauseTiming();
    auto list = Filled();
    list->PrivateDeleteARange(*indexes, true);
    state.ResumeTiming();
    list->Zap(undoable_no);
    benchmark::DoNotOptimize(list->Count());
    state.PauseTiming();
    list.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_ZapEverySecondWithoutUndo)->Unit(benchmark::kMillisecond);

void BM_UndoDeleteEverySecond(benchmark::State& state) {
  const auto indexes = EverySecond();
  for (auto _ : state) {
    state.PauseTiming();
    auto list = Filled();
    list->DeleteARange(*indexes, undoable_yes, true);
    state.ResumeTiming();
    list->Undo();
    state.PauseTiming();
    list.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_UndoDeleteEverySecond)->Unit(benchmark::kMillisecond);

void BM_RedoDeleteEverySecond(benchmark::State& state) {
  const auto indexes = EverySecond();
  for (auto _ : state) {
    state.PauseTiming();
    auto list = Filled();
    list->DeleteARange(*indexes, undoable_yes, true);
    list->Undo();
    state.ResumeTiming();
    list->Redo();
    state.PauseTiming();
    list.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_RedoDeleteEverySecond)->Unit(benchmark::kMillisecond);

void BM_UndoZapEverySecond(benchmark::State& state) {
  const auto indexes = EverySecond();
  for (auto _ : state) {
    state.PauseTiming();
    auto list = Filled();
    list->PrivateDeleteARange(*indexes, true);
    list->Zap(undoable_yes);
    state.ResumeTiming();
    list->Undo();  // appends the half back (the base list's sort does nothing)
    benchmark::DoNotOptimize(list->Count());
    state.PauseTiming();
    list.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_UndoZapEverySecond)->Unit(benchmark::kMillisecond);

void BM_ReduceToHundred(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto list = Filled();
    state.ResumeTiming();
    list->ReduceTo(false, 100);
    benchmark::DoNotOptimize(list->Count());
    state.PauseTiming();
    list.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_ReduceToHundred)->Unit(benchmark::kMillisecond);

void BM_VectorEraseRemoveEverySecond(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto list = std::make_unique<std::vector<std::unique_ptr<TQMBaseListObject>>>();
    list->reserve(kEntries);
    for (Int32 i = 0; i < kEntries; ++i) list->push_back(std::make_unique<TQMBaseListObject>(nullptr, nullptr));
    state.ResumeTiming();
    for (Int32 i = 0; i < kEntries; i += 2) (*list)[static_cast<size_t>(i)].reset();
    list->erase(std::remove(list->begin(), list->end(), nullptr), list->end());
    benchmark::DoNotOptimize(list->size());
    state.PauseTiming();
    list.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_VectorEraseRemoveEverySecond)->Unit(benchmark::kMillisecond);

// The same with a private part on each entry that goes, as a deleted entry
// of a results list has one.
void BM_VectorEraseRemoveEverySecondWithPrivateParts(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto list = std::make_unique<std::vector<std::unique_ptr<TQMBaseListObject>>>();
    list->reserve(kEntries);
    for (Int32 i = 0; i < kEntries; ++i) {
      list->push_back(std::make_unique<TQMBaseListObject>(nullptr, nullptr));
      if (i % 2 == 0) list->back()->EnsurePrivateObjExists();
    }
    state.ResumeTiming();
    for (Int32 i = 0; i < kEntries; i += 2) (*list)[static_cast<size_t>(i)].reset();
    list->erase(std::remove(list->begin(), list->end(), nullptr), list->end());
    benchmark::DoNotOptimize(list->size());
    state.PauseTiming();
    list.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_VectorEraseRemoveEverySecondWithPrivateParts)->Unit(benchmark::kMillisecond);

}  // namespace
