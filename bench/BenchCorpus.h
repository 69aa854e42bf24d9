// The corpora of the benchmarks: the King James Bible as UTF-8 text (about
// 4.4 MB) and the same text ten times over (about 44 MB).
//
// SK_BENCH_CORPUS names the single text (default /tmp/kjv.txt) and
// SK_BENCH_CORPUS10 the tenfold one (default /tmp/kjv10.txt); scripts/bench
// writes both into its build folder and sets the two variables. A benchmark
// whose corpus is missing is skipped with a message.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/runtime/RtlTypes.h"

namespace bench {

struct TBenchCorpus {
  std::string path;
  std::string bytes;  // the file as it is
  sk::String text;    // decoded once, for the benchmarks that start from text
  std::string error;
};

inline TBenchCorpus LoadBenchCorpus(const char* envVar, const char* fallback) {
  TBenchCorpus c;
  const char* env = std::getenv(envVar);
  c.path = env != nullptr && *env != '\0' ? env : fallback;
  std::ifstream in(c.path, std::ios::binary);
  if (!in) {
    c.error = "corpus not found: " + c.path + " (write it with kjv-corpus, or run scripts/bench, or set " +
              envVar + ")";
    return c;
  }
  c.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  c.text = sk::Utf8ToString(c.bytes);
  return c;
}

inline const TBenchCorpus& Kjv() {
  static const TBenchCorpus c = LoadBenchCorpus("SK_BENCH_CORPUS", "/tmp/kjv.txt");
  return c;
}

inline const TBenchCorpus& Kjv10() {
  static const TBenchCorpus c = LoadBenchCorpus("SK_BENCH_CORPUS10", "/tmp/kjv10.txt");
  return c;
}

// False (and the benchmark skipped with the reason) when the corpus is missing.
inline bool Ready(benchmark::State& state, const TBenchCorpus& c) {
  if (c.error.empty()) return true;
  state.SkipWithError(c.error.c_str());
  return false;
}

// Throughput per byte of the corpus file.
inline void AccountBytes(benchmark::State& state, const TBenchCorpus& c) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(c.bytes.size()));
}

}  // namespace bench
