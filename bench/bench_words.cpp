// Word counting and sentence splitting over a corpus of several megabytes.
//
// The corpus is a UTF-8 text file named by SK_BENCH_CORPUS (default
// /tmp/kjv.txt). Throughput is reported per byte of the corpus file.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "core/My_string_functions_charclass.h"
#include "core/My_string_functions_words.h"
#include "core/Useful_classes_base_stringlists.h"

namespace {

using sk::String;

struct TCorpus {
  String text;
  int64_t fileBytes = 0;
  std::string error;
};

const TCorpus& Corpus() {
  static const TCorpus corpus = [] {
    TCorpus c;
    const char* env = std::getenv("SK_BENCH_CORPUS");
    const std::string path = (env != nullptr && *env != 0) ? env : "/tmp/kjv.txt";
    std::ifstream in(path, std::ios::binary);
    if (!in) {
      c.error = "corpus not found: " + path + " (set SK_BENCH_CORPUS)";
      return c;
    }
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    c.fileBytes = static_cast<int64_t>(bytes.size());
    c.text = sk::Utf8ToString(bytes);
    return c;
  }();
  return corpus;
}

bool Ready(benchmark::State& state) {
  const TCorpus& c = Corpus();
  if (!c.error.empty()) {
    state.SkipWithError(c.error.c_str());
    return false;
  }
  return true;
}

void Account(benchmark::State& state) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * Corpus().fileBytes);
}

void BM_BasicWordCount(benchmark::State& state) {
  if (!Ready(state)) return;
  for (auto _ : state) benchmark::DoNotOptimize(sk::BasicWordCount(Corpus().text));
  state.counters["words"] = static_cast<double>(sk::BasicWordCount(Corpus().text));
  Account(state);
}
BENCHMARK(BM_BasicWordCount)->Unit(benchmark::kMillisecond);

void BM_ParseAString(benchmark::State& state) {
  if (!Ready(state)) return;
  std::vector<sk::Word> classes(Corpus().text.size() + 10);
  for (auto _ : state) {
    sk::ParseAString(Corpus().text, classes);
    benchmark::ClobberMemory();
  }
  Account(state);
}
BENCHMARK(BM_ParseAString)->Unit(benchmark::kMillisecond);

void BM_SentencesByCharacterClasses(benchmark::State& state) {
  if (!Ready(state)) return;
  int32_t n = 0;
  for (auto _ : state) {
    auto list = sk::SentencesFromParagraph(Corpus().text, String(), 0, 100);
    n = list->Count();
    benchmark::DoNotOptimize(n);
  }
  state.counters["sentences"] = n;
  Account(state);
}
BENCHMARK(BM_SentencesByCharacterClasses)->Unit(benchmark::kMillisecond);

void BM_SentencesByLetterCounting(benchmark::State& state) {
  if (!Ready(state)) return;
  int32_t n = 0;
  for (auto _ : state) {
    auto list = sk::SentencesExtractedFromParagraph(true, 10, Corpus().text);
    n = list->Count();
    benchmark::DoNotOptimize(n);
  }
  state.counters["sentences"] = n;
  Account(state);
}
BENCHMARK(BM_SentencesByLetterCounting)->Unit(benchmark::kMillisecond);

void BM_SentencesAtSeparator(benchmark::State& state) {
  if (!Ready(state)) return;
  int32_t n = 0;
  for (auto _ : state) {
    auto list = sk::SentencesFromParagraph(Corpus().text, u". ", 0, 0);
    n = list->Count();
    benchmark::DoNotOptimize(n);
  }
  state.counters["sentences"] = n;
  Account(state);
}
BENCHMARK(BM_SentencesAtSeparator)->Unit(benchmark::kMillisecond);

void BM_SimpleWordList(benchmark::State& state) {
  if (!Ready(state)) return;
  int32_t n = 0;
  for (auto _ : state) {
    auto list = sk::SimpleWordListOfTxt(Corpus().text, 1, false);
    n = list->Count();
    benchmark::DoNotOptimize(n);
  }
  state.counters["types"] = n;
  Account(state);
}
BENCHMARK(BM_SimpleWordList)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_SimpleNGramList(benchmark::State& state) {
  if (!Ready(state)) return;
  int32_t n = 0;
  for (auto _ : state) {
    auto list = sk::SimpleNGramListOfTxt(Corpus().text, 3, 100, false, nullptr);
    n = list->Count();
    benchmark::DoNotOptimize(n);
  }
  state.counters["grams"] = n;
  Account(state);
}
BENCHMARK(BM_SimpleNGramList)->Unit(benchmark::kMillisecond)->Iterations(1);

// A text made only of distinct words (no corpus needed): the word list must
// grow in proportion to the words, not to their square.
void BM_SimpleWordListAllDistinct(benchmark::State& state) {
  const int64_t words = state.range(0);
  String text;
  text.reserve(static_cast<size_t>(words) * 8);
  for (int64_t i = 0; i < words; ++i) {
    int64_t v = i;
    text.push_back(u'w');
    do {
      text.push_back(static_cast<char16_t>(u'a' + v % 26));
      v /= 26;
    } while (v != 0);
    text.push_back(u' ');
  }
  for (auto _ : state) {
    auto list = sk::SimpleWordListOfTxt(text, 1, false);
    benchmark::DoNotOptimize(list->Count());
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * words);
}
BENCHMARK(BM_SimpleWordListAllDistinct)->Unit(benchmark::kMillisecond)->Arg(25000)->Arg(100000)->Arg(400000);

}  // namespace
