// The word-frequency list of the King James Bible ten times over (44 MB), as
// the example host makes it (SimpleWordListOfTxt: runs of letters and digits,
// one line per word with its count, sorted), beside its peer in the same run:
// the same words counted in a plain std::unordered_map.
#include <benchmark/benchmark.h>

#include <unicode/uchar.h>

#include <string>
#include <string_view>
#include <unordered_map>

#include "BenchCorpus.h"
#include "core/Global_vars.h"
#include "core/My_string_functions_words.h"
#include "core/Useful_classes_base_stringlists.h"
#include "platform/runtime/Locale.h"

namespace {

using namespace sk;

void BM_WordFrequencyList(benchmark::State& state) {
  const bench::TBenchCorpus& c = bench::Kjv10();
  if (!bench::Ready(state, c)) return;
  SetUserDefaultLocale("en_US");
  Int32 types = 0;
  for (auto _ : state) {
    auto list = SimpleWordListOfTxt(c.text, 1, false);
    types = list->Count();
    benchmark::DoNotOptimize(types);
  }
  state.counters["types"] = types;
  bench::AccountBytes(state, c);
}

// The same, with a host yield hook installed that returns at once.
void BM_WordFrequencyList_WithHook(benchmark::State& state) {
  const bench::TBenchCorpus& c = bench::Kjv10();
  if (!bench::Ready(state, c)) return;
  SetUserDefaultLocale("en_US");
  Int64 yields = 0;
  Global_YieldProcessProc = [&yields] { ++yields; };
  for (auto _ : state) {
    auto list = SimpleWordListOfTxt(c.text, 1, false);
    benchmark::DoNotOptimize(list->Count());
  }
  Global_YieldProcessProc = nullptr;
  state.counters["yields"] = static_cast<double>(yields) / static_cast<double>(state.iterations());
  bench::AccountBytes(state, c);
}

inline bool IsWordUnit(Char c) {
  if (c < 128) return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
  return u_isalnum(c) != 0;
}

// The peer: every run of letters and digits counted in an unordered_map keyed
// by the word's text.
void BM_Peer_UnorderedMapCount(benchmark::State& state) {
  const bench::TBenchCorpus& c = bench::Kjv10();
  if (!bench::Ready(state, c)) return;
  size_t types = 0;
  for (auto _ : state) {
    std::unordered_map<std::u16string, int> counts;
    const String& t = c.text;
    const size_t n = t.size();
    size_t i = 0;
    while (i < n) {
      while (i < n && !IsWordUnit(t[i])) ++i;
      const size_t start = i;
      while (i < n && IsWordUnit(t[i])) ++i;
      if (i > start) ++counts[std::u16string(t, start, i - start)];
    }
    types = counts.size();
    benchmark::DoNotOptimize(types);
  }
  state.counters["types"] = static_cast<double>(types);
  bench::AccountBytes(state, c);
}

BENCHMARK(BM_WordFrequencyList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WordFrequencyList_WithHook)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Peer_UnorderedMapCount)->Unit(benchmark::kMillisecond);

}  // namespace
