// A sorted string list taking a whole text of 100,000 lines (the first lines
// of the King James Bible ten times over, so most lines come three or four
// times), beside its peer: the text split into a vector and sorted with
// std::sort under the same ICU collation (user locale, case ignored).
#include <benchmark/benchmark.h>

#include <unicode/ucol.h>

#include <algorithm>
#include <string>
#include <vector>

#include "BenchCorpus.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/StringList.h"

namespace {

using namespace sk;

constexpr size_t kLines = 100000;

// The first kLines lines of the tenfold corpus, joined by CR LF.
const String& Lines() {
  static const String text = [] {
    const String& all = bench::Kjv10().text;
    String r;
    size_t p = 0;
    for (size_t n = 0; n < kLines && p < all.size(); ++n) {
      size_t e = all.find(u'\n', p);
      if (e == String::npos) e = all.size();
      size_t end = e > p && all[e - 1] == u'\r' ? e - 1 : e;
      r.append(all, p, end - p);
      r += u"\r\n";
      p = e + 1;
    }
    return r;
  }();
  return text;
}

void SortedLoad(benchmark::State& state, TDuplicates dup) {
  if (!bench::Ready(state, bench::Kjv10())) return;
  SetUserDefaultLocale("en_US");
  const String& text = Lines();
  Int32 count = 0;
  for (auto _ : state) {
    TStringList list;
    list.SetDuplicates(dup);
    list.SetSorted(true);
    list.SetText(text);
    count = list.Count();
    benchmark::DoNotOptimize(count);
  }
  state.counters["lines"] = count;
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kLines));
}

void BM_SortedLoad_dupAccept(benchmark::State& state) { SortedLoad(state, dupAccept); }
void BM_SortedLoad_dupIgnore(benchmark::State& state) { SortedLoad(state, dupIgnore); }

// The peer: split at line ends, then std::sort with the collator fetched once.
void BM_Peer_SplitAndIcuSort(benchmark::State& state) {
  if (!bench::Ready(state, bench::Kjv10())) return;
  const String& text = Lines();
  UErrorCode err = U_ZERO_ERROR;
  UCollator* coll = ucol_open("en_US", &err);
  ucol_setAttribute(coll, UCOL_STRENGTH, UCOL_SECONDARY, &err);
  if (U_FAILURE(err)) {
    state.SkipWithError("no collator");
    return;
  }
  size_t count = 0;
  for (auto _ : state) {
    std::vector<String> lines;
    size_t p = 0;
    while (p < text.size()) {
      size_t e = text.find(u"\r\n", p);
      if (e == String::npos) e = text.size();
      lines.emplace_back(text, p, e - p);
      p = e + 2;
    }
    std::sort(lines.begin(), lines.end(), [coll](const String& a, const String& b) {
      return ucol_strcoll(coll, reinterpret_cast<const UChar*>(a.data()), static_cast<int32_t>(a.size()),
                          reinterpret_cast<const UChar*>(b.data()), static_cast<int32_t>(b.size())) == UCOL_LESS;
    });
    count = lines.size();
    benchmark::DoNotOptimize(lines.data());
  }
  ucol_close(coll);
  state.counters["lines"] = static_cast<double>(count);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kLines));
}

BENCHMARK(BM_SortedLoad_dupAccept)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortedLoad_dupIgnore)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Peer_SplitAndIcuSort)->Unit(benchmark::kMillisecond);

}  // namespace
