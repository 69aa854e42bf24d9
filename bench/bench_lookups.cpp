// How lookups grow with their lists: each benchmark runs its work at n and at
// 8n in every iteration and reports both times and their ratio (about 8 for
// work linear in n, about 64 for work that scans a list once per item).
//   LemmaLookups:    lemmatising n words against n head words (variant,
//                    head-word and stop-list lookups).
//   LemmaVariantsOf: the variants of each of n head words.
//   WordFrequencies: n words counted in an unsorted TStringlistWithALongint.
//   LemmaLoad:       loading a lemma list of n head words.
//   NumberLists:     n words into a TStringListWithLongintList, a text
//                    number per 100 words (words drawn Zipf-like from 13,000).
//   SortedAddStrings: n/2 lines, then n more (half of them equal to earlier
//                    ones), added at once to a sorted list.
//   ExportableRows:  asking each of n grid rows with every other row chosen.
//   FileDates:       dating n texts from a list file of n names.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "BenchList.h"
#include "analysis/Work_qm_base_holder.h"
#include "core/Useful_classes_base_stringlists.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/StringList.h"
#include "services/File_utils_listing.h"
#include "services/Lem_match_stop_rel_lists.h"

namespace {

using namespace sk;

double Seconds(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Runs work(n) and work(8n) once per iteration; prepare(size) runs untimed
// before each.
void Growth(benchmark::State& state, size_t n, const std::function<void(size_t)>& prepare,
            const std::function<void(size_t)>& work) {
  SetUserDefaultLocale("en_US");
  double small = 0, large = 0;
  for (auto _ : state) {
    prepare(n);
    small += Seconds([&] { work(n); });
    prepare(8 * n);
    large += Seconds([&] { work(8 * n); });
  }
  const double runs = static_cast<double>(state.iterations());
  state.counters["n"] = static_cast<double>(n);
  state.counters["n_s"] = small / runs;
  state.counters["8n_s"] = large / runs;
  state.counters["ratio"] = small > 0 ? large / small : 0;
}

std::string TempFile(const std::string& name) { return "/tmp/sk_bench_lookups_" + name; }

String Word(const char* prefix, size_t i) { return Utf8ToString(prefix + std::to_string(i)); }

// n words drawn from 13,000, the frequent ones far more often (log-uniform ranks).
std::vector<String> ZipfWords(size_t n) {
  std::vector<String> words;
  Cardinal seed = 1;
  for (size_t i = 0; i < n; ++i) {
    seed = seed * 1103515245u + 12345u;
    const double u = static_cast<double>(seed >> 8) / 16777216.0;
    words.push_back(Word("w", static_cast<size_t>(std::pow(13000.0, u))));
  }
  return words;
}

// n Zipf-like words handed one by one to add(list, word, position) on a new TList.
template <class TList>
void CountWords(benchmark::State& state, const std::function<void(TList&, const String&, size_t)>& add) {
  std::vector<String> words;
  Growth(
      state, 100000, [&words](size_t n) { words = ZipfWords(n); },
      [&words, &add](size_t n) {
        TList l;
        for (size_t i = 0; i < n; ++i) add(l, words[i], i);
        benchmark::DoNotOptimize(l.Count());
      });
}

void WriteLists(size_t n) {
  std::ofstream lemmas(TempFile("lemmas.txt"), std::ios::binary);
  std::ofstream stops(TempFile("stops.txt"), std::ios::binary);
  for (size_t i = 0; i < n; ++i) {
    lemmas << "head" << i << " -> form" << i << "a,form" << i << "b\r\n";
    stops << "stop" << i << "\r\n";
  }
}

// Lookups in a lemma list of n heads (and a stop list of n words, with
// stops) loaded from files, at n and 8n.
void LemmaGrowth(benchmark::State& state, bool stops,
                 const std::function<void(TLemMatchStopRelHolder&, size_t)>& lookups) {
  TLemMatchStopRelHolder h;
  Growth(
      state, 2000,
      [&h, stops](size_t n) {
        WriteLists(n);
        h.StartUpAndLoadLemmaList(Utf8ToString(TempFile("lemmas.txt")), false);
        if (stops) h.StartUpAndLoadList(Utf8ToString(TempFile("stops.txt")), as_stop, false);
      },
      [&h, &lookups](size_t n) { lookups(h, n); });
}

void BM_LemmaLookups(benchmark::State& state) {
  LemmaGrowth(state, true, [](TLemMatchStopRelHolder& h, size_t n) {
    Int32 found = 0;
    for (size_t i = 0; i < n; ++i) {
      const size_t k = (i * 7919) % n;
      found += h.IndexOfLemmaVariant(Word("FORM", k) + u"B") >= 0;
      found += h.IndexOfWordInList(Word("HEAD", k), as_lemma) >= 0;
      found += h.IndexOfWordInList(Word("stop", k), as_stop) >= 0;
    }
    benchmark::DoNotOptimize(found);
  });
}
BENCHMARK(BM_LemmaLookups)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_LemmaVariantsOf(benchmark::State& state) {
  LemmaGrowth(state, false, [](TLemMatchStopRelHolder& h, size_t n) {
    size_t length = 0;
    for (size_t i = 0; i < n; ++i) length += h.GetLemmalistVariantsOf((Word("HEAD", (i * 7919) % n)).c_str()).size();
    benchmark::DoNotOptimize(length);
  });
}
BENCHMARK(BM_LemmaVariantsOf)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_WordFrequencies(benchmark::State& state) {
  CountWords<TStringlistWithALongint>(state, [](TStringlistWithALongint& l, const String& w, size_t) { l.AddOrIncByOne(w); });
}
BENCHMARK(BM_WordFrequencies)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_LemmaLoad(benchmark::State& state) {
  TLemMatchStopRelHolder h;
  Growth(state, 16000, WriteLists, [&h](size_t) {
    benchmark::DoNotOptimize(h.StartUpAndLoadLemmaList(Utf8ToString(TempFile("lemmas.txt")), false));
  });
}
BENCHMARK(BM_LemmaLoad)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_NumberLists(benchmark::State& state) {
  CountWords<TStringListWithLongintList>(state, [](TStringListWithLongintList& l, const String& w, size_t i) {
    l.AddOneOrAddToList(w, static_cast<Int32>(i / 100));
  });
}
BENCHMARK(BM_NumberLists)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_SortedAddStrings(benchmark::State& state) {
  std::vector<String> held, lines;
  Growth(
      state, 12500,
      [&held, &lines](size_t n) {
        held.clear();
        lines.clear();
        for (size_t i = 0; i < n / 2; ++i) held.push_back(Word("line", i * 2));
        for (size_t i = 0; i < n; ++i) lines.push_back(Word("line", (i * 7919) % n));
      },
      [&held, &lines](size_t) {
        TStringList l;
        l.SetSorted(true);
        l.SetDuplicates(dupAccept);
        l.AddStrings(held);
        l.AddStrings(lines);
        benchmark::DoNotOptimize(l.Count());
      });
}
BENCHMARK(BM_SortedAddStrings)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_ExportableRows(benchmark::State& state) {
  TBenchList list;
  TQMDummyBaseHolder holder;
  list.Patroa = &holder;
  Growth(
      state, 40000,
      [&holder](size_t n) {
        holder.ExportRec.Export_Rows_specified.clear();
        for (size_t i = 0; i < n; i += 2) holder.ExportRec.Export_Rows_specified.push_back(static_cast<Integer>(i));
      },
      [&list](size_t n) {
        Int32 chosen = 0;
        for (size_t i = 0; i < n; ++i) chosen += list.IsAnExportableGridRow(static_cast<Int32>(i));
        benchmark::DoNotOptimize(chosen);
      });
  list.Patroa = nullptr;
}
BENCHMARK(BM_ExportableRows)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_FileDates(benchmark::State& state) {
  Growth(
      state, 4000,
      [](size_t n) {
        std::ofstream f(TempFile("dates.txt"), std::ios::binary);
        for (size_t i = 0; i < n; ++i) f << "text" << i << (i % 2 == 0 ? ".txt" : "") << "\t2001/02/03\r\n";
      },
      [](size_t n) {
        Int32 told = 0;
        TFileDateUpdater u([n](TObject*) { return static_cast<Int32>(n); },
                           [](TObject*, Int32 i) { return u"/corpus/text" + IntToStr(i) + u".txt"; },
                           [&told](TObject*, Int32, TDoubleAndBasis) { ++told; });
        u.HandleAFileList(Utf8ToString(TempFile("dates.txt")));
        benchmark::DoNotOptimize(told);
      });
}
BENCHMARK(BM_FileDates)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
