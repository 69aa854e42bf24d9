// The two CPU phases of a whole-word search over the King James Bible ten
// times over (44 M UTF-16 units), with the text decoded and its class array
// built once beforehand:
//   BM_Matcher_Lord       SearchAndDo for "lord" (whole word, any case), which
//                         calls the matcher once per hit;
//   BM_Matcher_None       the same for a word the text does not hold: the
//                         candidate scan alone;
//   BM_Matcher_PhraseOfWildcards  SearchAndDo for "^ lord" (a first word of
//                         one letter, then "lord"), beside
//   BM_Matcher_PhraseTypedOut     the same phrase typed out ("o lord"): the
//                         first looks for "lord" and takes each back over the
//                         blank to the letter before it, the second for "o ";
//   BM_Matcher_Common     the common searches ("the", "the lord", "^ lord",
//                         "?? the", "*ing*") over the same text, and over the
//                         Bible once with a tag around every word, marked as
//                         markup (the argument: 0 plain, 1 tagged), at the
//                         best vector level;
//   BM_Classify_Threads4  the class array built as SetABuffer builds it (the
//                         text in four pieces, one thread each);
//   BM_Classify_OneThread the same in one thread.
// Each runs at every vector level the processor has (the argument: 0 plain
// code, 1 SSE2, 2 AVX2), so that the paths can be set side by side.
#include <benchmark/benchmark.h>

#include <thread>
#include <vector>

#include "BenchCorpus.h"
#include "analysis/Further_string_functions.h"
#include "analysis/Search_and_do_engineU.h"
#include "analysis/Search_parsing.h"
#include "core/Global_vars.h"
#include "core/My_string_functions_charclass.h"
#include "platform/runtime/Locale.h"

namespace {

using namespace sk;

// False (and the benchmark skipped) when the processor lacks the level asked
// for; otherwise the level is in force until the benchmark ends.
bool UseLevel(benchmark::State& state) {
  const auto wanted = static_cast<TVectorLevel>(state.range(0));
  SetVectorLevel(wanted);
  if (VectorLevel() == wanted) return true;
  state.SkipWithError("the processor lacks this vector level");
  return false;
}

// The text, its class array with each "<...>" in it marked as markup when
// asked, and the search of one word over it, at the vector level of the
// benchmark's argument (-1: the best the processor has).
void SearchOver(benchmark::State& state, const bench::TBenchCorpus& c, const String& text, const String& searchWord,
                bool markup, Int32 level) {
  SetUserDefaultLocale("en_US");
  TSearchAndDoEngine engine(LOCALE_USER_DEFAULT, se_searchword);
  const TQMSearchWordRec word = SWFullParsed_SearchWord(TIgnore_tag{}, searchWord);
  engine.SetABuffer(text, wp_whole);
  const String& buf = global_bufStr[wp_whole];
  for (size_t at = markup ? buf.find(u'<') : String::npos; at != String::npos; at = buf.find(u'<', at + 1)) {
    const size_t end = buf.find(u'>', at);
    if (end == String::npos) break;
    bool nested = false;
    MarkWCharsTagged(buf, static_cast<Int32>(at), static_cast<Int32>(end + 1 - at), global_Wchars[wp_whole], 1, nested);
  }
  Int64 hits = 0;
  engine.PrepareForConcordancing(u"kjv", static_cast<Int32>(text.size()), 1, 0, false, coll_stop_none,
                                 [&](TSearchAndDoEngine*, TConcSearchRec&) {
                                   ++hits;
                                   return true;
                                 });
  if (level < 0 || UseLevel(state)) {
    for (auto _ : state) {
      hits = 0;
      engine.SearchAndDo(&word, wp_whole, 0, TTextStatsPositions_rec{});
      benchmark::DoNotOptimize(hits);
    }
    state.counters["hits"] = static_cast<double>(hits);
    bench::AccountBytes(state, c);
  }
  SetVectorLevel(BestVectorLevel());
  global_bufStr[wp_whole].clear();
  global_Wchars[wp_whole].clear();
}

void Matcher(benchmark::State& state, const String& searchWord) {
  const bench::TBenchCorpus& c = bench::Kjv10();
  if (!bench::Ready(state, c)) return;
  SearchOver(state, c, c.text, searchWord, false, static_cast<Int32>(state.range(0)));
}
void BM_Matcher_Lord(benchmark::State& state) { Matcher(state, u"lord"); }
void BM_Matcher_None(benchmark::State& state) { Matcher(state, u"zqxw"); }
BENCHMARK(BM_Matcher_Lord)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Matcher_None)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
void BM_Matcher_PhraseOfWildcards(benchmark::State& state) { Matcher(state, u"^ lord"); }
void BM_Matcher_PhraseTypedOut(benchmark::State& state) { Matcher(state, u"o lord"); }
BENCHMARK(BM_Matcher_PhraseOfWildcards)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Matcher_PhraseTypedOut)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// The Bible with a tag around every word: "<w>" before it, "</w>" after.
const String& TaggedKjv() {
  static const String t = [] {
    const String& in = bench::Kjv().text;
    String out;
    out.reserve(in.size() * 3);
    for (size_t k = 0; k < in.size(); ++k) {
      const bool word = in[k] != u' ' && in[k] != u'\n';
      if (word && (k == 0 || in[k - 1] == u' ' || in[k - 1] == u'\n')) out += u"<w>";
      out += in[k];
      if (word && (k + 1 == in.size() || in[k + 1] == u' ' || in[k + 1] == u'\n')) out += u"</w>";
    }
    return out;
  }();
  return t;
}

void BM_Matcher_Common(benchmark::State& state, const String& searchWord) {
  const bool tagged = state.range(0) == 1;
  const bench::TBenchCorpus& c = tagged ? bench::Kjv() : bench::Kjv10();
  if (!bench::Ready(state, c)) return;
  SearchOver(state, c, tagged ? TaggedKjv() : c.text, searchWord, tagged, -1);
}
BENCHMARK_CAPTURE(BM_Matcher_Common, the, String(u"the"))->DenseRange(0, 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Matcher_Common, the_lord, String(u"the lord"))->DenseRange(0, 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Matcher_Common, letter_lord, String(u"^ lord"))->DenseRange(0, 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Matcher_Common, two_the, String(u"?? the"))->DenseRange(0, 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Matcher_Common, ing, String(u"*ing*"))->DenseRange(0, 1)->Unit(benchmark::kMillisecond);

void Classify(benchmark::State& state, unsigned threads) {
  const bench::TBenchCorpus& c = bench::Kjv10();
  if (!bench::Ready(state, c)) return;
  const String& text = c.text;
  const size_t n = text.size();
  std::vector<Word> classes(n + 10, 0);
  if (UseLevel(state)) {
    const size_t piece = (n + threads - 1) / threads;
    for (auto _ : state) {
      std::vector<std::thread> helpers;
      for (unsigned t = 1; t < threads; ++t) {
        const size_t from = std::min(n, t * piece);
        const size_t to = std::min(n, from + piece);
        helpers.emplace_back(
            [&text, &classes, n, from, to] { ParseAString(text.data(), n, from, to, classes.data()); });
      }
      ParseAString(text.data(), n, 0, std::min(n, piece), classes.data());
      for (std::thread& h : helpers) h.join();
      benchmark::DoNotOptimize(classes.data());
      benchmark::ClobberMemory();
    }
    bench::AccountBytes(state, c);
  }
  SetVectorLevel(BestVectorLevel());
}

void BM_Classify_Threads4(benchmark::State& state) { Classify(state, 4); }
void BM_Classify_OneThread(benchmark::State& state) { Classify(state, 1); }
BENCHMARK(BM_Classify_Threads4)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Classify_OneThread)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

}  // namespace
