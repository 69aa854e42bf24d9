// A sorted string list taking a whole text of 100,000 lines (the first lines
// of the King James Bible ten times over, so most lines come three or four
// times), beside its peer: the text split into a vector and sorted with
// std::sort under the same ICU collation as the list's (user locale, case
// ignored as the list ignores it: each line's case folded once, then the
// locale's collator at its own strength).
#include <benchmark/benchmark.h>

#include <unicode/ucol.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <string>
#include <vector>

#include "BenchCorpus.h"
#include "core/My_string_functions_tabfields.h"
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

// The list loaded unsorted, then sorted by SetSorted(true).
void BM_LoadThenSetSorted(benchmark::State& state) {
  if (!bench::Ready(state, bench::Kjv10())) return;
  SetUserDefaultLocale("en_US");
  const String& text = Lines();
  for (auto _ : state) {
    TStringList list;
    list.SetDuplicates(dupAccept);
    list.SetText(text);
    list.SetSorted(true);
    benchmark::DoNotOptimize(list.Count());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kLines));
}

// The sort alone, on a list already loaded (the peer's sort alone below).
void BM_SetSortedOnly(benchmark::State& state) {
  if (!bench::Ready(state, bench::Kjv10())) return;
  SetUserDefaultLocale("en_US");
  const String& text = Lines();
  for (auto _ : state) {
    state.PauseTiming();
    TStringList list;
    list.SetDuplicates(dupAccept);
    list.SetText(text);
    state.ResumeTiming();
    list.SetSorted(true);
    benchmark::DoNotOptimize(list.Count());
    state.PauseTiming();
    list.Clear();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kLines));
}

// A list that tells its progress as lines arrive (every 256 lines), loading
// sorted.
void BM_SortedLoad_NotifyStringlist(benchmark::State& state) {
  if (!bench::Ready(state, bench::Kjv10())) return;
  SetUserDefaultLocale("en_US");
  const String& text = Lines();
  Int32 told = 0;
  for (auto _ : state) {
    TNotifyStringlist list([&told](Int32 n) { told = n; });
    list.SetDuplicates(dupAccept);
    list.SetSorted(true);
    list.SetText(text);
    benchmark::DoNotOptimize(list.Count());
  }
  benchmark::DoNotOptimize(told);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kLines));
}

// The text's lines, each with its case fold, as the peer keeps them.
std::vector<std::pair<String, String>> SplitAndFolded(const String& text) {
  std::vector<std::pair<String, String>> lines;
  for (size_t p = 0; p < text.size();) {
    size_t e = text.find(u"\r\n", p);
    if (e == String::npos) e = text.size();
    String line(text, p, e - p);
    String folded(line.size() * 3 + 1, u'\0');
    UErrorCode ferr = U_ZERO_ERROR;
    const int32_t n = u_strFoldCase(reinterpret_cast<UChar*>(folded.data()), static_cast<int32_t>(folded.size()),
                                    reinterpret_cast<const UChar*>(line.data()), static_cast<int32_t>(line.size()),
                                    U_FOLD_CASE_DEFAULT, &ferr);
    folded.resize(static_cast<size_t>(n));
    lines.emplace_back(std::move(line), std::move(folded));
    p = e + 2;
  }
  return lines;
}

// The peer's sort: by the folds, through the collator.
void SortByFolds(std::vector<std::pair<String, String>>& lines, const UCollator* coll) {
  std::sort(lines.begin(), lines.end(), [coll](const auto& a, const auto& b) {
    return ucol_strcoll(coll, reinterpret_cast<const UChar*>(a.second.data()), static_cast<int32_t>(a.second.size()),
                        reinterpret_cast<const UChar*>(b.second.data()),
                        static_cast<int32_t>(b.second.size())) == UCOL_LESS;
  });
}

// The peer: split at line ends, then std::sort with the collator fetched once.
void BM_Peer_SplitAndIcuSort(benchmark::State& state) {
  if (!bench::Ready(state, bench::Kjv10())) return;
  const String& text = Lines();
  UErrorCode err = U_ZERO_ERROR;
  UCollator* coll = ucol_open("en_US", &err);
  if (U_FAILURE(err)) {
    state.SkipWithError("no collator");
    return;
  }
  size_t count = 0;
  for (auto _ : state) {
    std::vector<std::pair<String, String>> lines = SplitAndFolded(text);
    SortByFolds(lines, coll);
    count = lines.size();
    benchmark::DoNotOptimize(lines.data());
  }
  ucol_close(coll);
  state.counters["lines"] = static_cast<double>(count);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kLines));
}

// The peer's sort alone, on lines already split and folded.
void BM_Peer_IcuSortOnly(benchmark::State& state) {
  if (!bench::Ready(state, bench::Kjv10())) return;
  const String& text = Lines();
  UErrorCode err = U_ZERO_ERROR;
  UCollator* coll = ucol_open("en_US", &err);
  if (U_FAILURE(err)) {
    state.SkipWithError("no collator");
    return;
  }
  const std::vector<std::pair<String, String>> split = SplitAndFolded(text);
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<std::pair<String, String>> lines = split;
    state.ResumeTiming();
    SortByFolds(lines, coll);
    benchmark::DoNotOptimize(lines.data());
    state.PauseTiming();
    lines.clear();
    state.ResumeTiming();
  }
  ucol_close(coll);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kLines));
}

// The peer as first measured: the collator at secondary strength on the lines
// themselves (no fold), a lighter comparison than the list's.
void BM_Peer_SplitAndIcuSortSecondary(benchmark::State& state) {
  if (!bench::Ready(state, bench::Kjv10())) return;
  const String& text = Lines();
  UErrorCode err = U_ZERO_ERROR;
  UCollator* coll = ucol_open("en_US", &err);
  ucol_setAttribute(coll, UCOL_STRENGTH, UCOL_SECONDARY, &err);
  if (U_FAILURE(err)) {
    state.SkipWithError("no collator");
    return;
  }
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
    benchmark::DoNotOptimize(lines.data());
  }
  ucol_close(coll);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kLines));
}

BENCHMARK(BM_SortedLoad_dupAccept)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortedLoad_dupIgnore)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortedLoad_NotifyStringlist)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadThenSetSorted)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SetSortedOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Peer_SplitAndIcuSort)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Peer_IcuSortOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Peer_SplitAndIcuSortSecondary)->Unit(benchmark::kMillisecond);

}  // namespace
