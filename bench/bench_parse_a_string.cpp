// Character classes and whole-word tests over a real text of several megabytes.
//
// The text is read from the file named by SK_BENCH_CORPUS (default
// /tmp/kjv.txt); without it the benchmarks are skipped with a message.
// Throughput is counted in UTF-16 units of the text (bytes = units x 2).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/Global_vars.h"
#include "core/My_string_functions_charclass.h"

namespace {

using namespace sk;

std::string CorpusPath() {
  const char* env = std::getenv("SK_BENCH_CORPUS");
  return env != nullptr && *env != '\0' ? std::string(env) : std::string("/tmp/kjv.txt");
}

// The corpus as text, read once; empty when the file is missing.
const String& Corpus() {
  static const String text = [] {
    std::ifstream f(CorpusPath(), std::ios::binary);
    if (!f) return String();
    std::ostringstream ss;
    ss << f.rdbuf();
    return Utf8ToString(ss.str());
  }();
  return text;
}

bool HaveCorpus(benchmark::State& state) {
  if (!Corpus().empty()) return true;
  static const std::string msg = "corpus not found: " + CorpusPath() +
                                 " (write it with kjv-corpus or set SK_BENCH_CORPUS)";
  state.SkipWithError(msg.c_str());
  return false;
}

void SetThroughput(benchmark::State& state, size_t units) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(units * sizeof(Char)));
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(units));
}

void BM_ParseAString(benchmark::State& state) {
  if (!HaveCorpus(state)) return;
  const String& text = Corpus();
  std::vector<Word> classes(text.size() + 10, 0);
  for (auto _ : state) {
    ParseAString(text, classes);
    benchmark::DoNotOptimize(classes.data());
    benchmark::ClobberMemory();
  }
  SetThroughput(state, text.size());
}
BENCHMARK(BM_ParseAString)->Unit(benchmark::kMillisecond);

// The matcher's question for a candidate hit of a three-letter word at every
// position of the text, on the class array of the search buffer.
void BM_IsWholeWordClassArray(benchmark::State& state) {
  if (!HaveCorpus(state)) return;
  const String& text = Corpus();
  std::vector<Word>& classes = global_Wchars[wp_whole];
  classes.assign(text.size() + 10, 0);
  ParseAString(text, classes);
  const Int32 n = static_cast<Int32>(text.size());
  for (auto _ : state) {
    Int32 whole = 0;
    for (Int32 i = 0; i < n; ++i) whole += IsWholeWord(wp_whole, i - 1, i + 3) ? 1 : 0;
    benchmark::DoNotOptimize(whole);
  }
  SetThroughput(state, text.size());
  classes.clear();
}
BENCHMARK(BM_IsWholeWordClassArray)->Unit(benchmark::kMillisecond);

// The same question on the text itself (1-based neighbour positions).
void BM_IsWholeWordText(benchmark::State& state) {
  if (!HaveCorpus(state)) return;
  const String& text = Corpus();
  const Int32 n = static_cast<Int32>(text.size());
  for (auto _ : state) {
    Int32 whole = 0;
    for (Int32 pos = 1; pos <= n; ++pos) whole += IsWholeWord(text, pos - 1, pos + 3) ? 1 : 0;
    benchmark::DoNotOptimize(whole);
  }
  SetThroughput(state, text.size());
}
BENCHMARK(BM_IsWholeWordText)->Unit(benchmark::kMillisecond);

}  // namespace
