// Counting a word as a whole word in any case ("lord") over the King James
// Bible ten times over (44 MB), by each route a caller of the text library
// has, beside a plain find over the same text in the same run.
//
// The FromFile benchmarks start from the file: its bytes are read and decoded
// (EncodedStringFromBytes) inside the timed loop, as a tool does, so they can
// be set beside `rg -c -w -i lord` (scripts/bench-peers).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "BenchCorpus.h"
#include "core/Basic_types.h"
#include "core/My_string_functions_positions.h"
#include "core/My_string_functions_splitting.h"
#include "core/My_string_functions_words.h"
#include "core/Unicode_string_conversion.h"
#include "core/Useful_classes_base_longint.h"
#include "platform/runtime/Locale.h"

namespace {

using namespace sk;

const String kWord = u"lord";
const String kUpperWord = u"LORD";

TBytes ReadFileBytes(const std::string& path) {
  TBytes bytes;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return bytes;
  std::fseek(f, 0, SEEK_END);
  const long size = std::ftell(f);
  std::fseek(f, 0, SEEK_SET);
  if (size > 0) {
    bytes.resize(static_cast<size_t>(size));
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
  }
  std::fclose(f);
  return bytes;
}

String DecodedFile(const std::string& path) {
  TEncoding* enc = nullptr;
  Int32 bom = 0;
  return EncodedStringFromBytes(ReadFileBytes(path), enc, bom);
}

// Whole-word finds of an upper-cased word, in place, through the
// case-insensitive finder and the boundary test.
Int32 CountInPlace(const String& text) {
  Int32 n = 0;
  const Int32 len = static_cast<Int32>(kUpperWord.size());
  for (Int32 p = CaseInsensitiveUpperedPosEx(kUpperWord, text, 1); p > 0;
       p = CaseInsensitiveUpperedPosEx(kUpperWord, text, p + 1))
    if (BoundedWholeWord(text, p, p + len - 1)) ++n;
  return n;
}

Int32 CountOnUpperCopy(const String& text) {
  const String upper = AnsiUpperCase(text);
  const TMSSearchFlags bounded{msLeftBounded, msRightBounded};
  auto hits = CharacterPositionsWordFoundIn(kUpperWord, String(), String(), upper, 0, bounded, TMSSearchFlags());
  return hits->Count();
}

Int32 CountByPosStrFoundIn(const String& text) {
  const String upper = AnsiUpperCase(text);
  const TMSSearchFlags bounded{msLeftBounded, msRightBounded};
  Int32 n = 0;
  for (Int32 p = PosStrFoundIn(kUpperWord, upper, bounded, 1); p > 0; p = PosStrFoundIn(kUpperWord, upper, bounded, p + 1))
    ++n;
  return n;
}

Int32 CountByReplaceWholeWord(const String& text) {
  Int32 n = 0;
  benchmark::DoNotOptimize(ReplaceWholeWord(text, kWord, kWord, false, n));
  return n;
}

template <Int32 (*Count)(const String&)>
void FromFile(benchmark::State& state) {
  const bench::TBenchCorpus& c = bench::Kjv10();
  if (!bench::Ready(state, c)) return;
  SetUserDefaultLocale("en_US");
  Int32 n = 0;
  for (auto _ : state) {
    n = Count(DecodedFile(c.path));
    benchmark::DoNotOptimize(n);
  }
  state.counters["hits"] = n;
  bench::AccountBytes(state, c);
}

template <Int32 (*Count)(const String&)>
void InMemory(benchmark::State& state) {
  const bench::TBenchCorpus& c = bench::Kjv10();
  if (!bench::Ready(state, c)) return;
  SetUserDefaultLocale("en_US");
  Int32 n = 0;
  for (auto _ : state) {
    n = Count(c.text);
    benchmark::DoNotOptimize(n);
  }
  state.counters["hits"] = n;
  bench::AccountBytes(state, c);
}

// Reading and decoding alone.
void BM_ReadAndDecode(benchmark::State& state) {
  const bench::TBenchCorpus& c = bench::Kjv10();
  if (!bench::Ready(state, c)) return;
  for (auto _ : state) benchmark::DoNotOptimize(DecodedFile(c.path).size());
  bench::AccountBytes(state, c);
}

// The peer: a plain case-sensitive find of the word over the text, every
// occurrence, no boundary test (what any in-place finder must at least do).
void BM_Peer_FindOverText(benchmark::State& state) {
  const bench::TBenchCorpus& c = bench::Kjv10();
  if (!bench::Ready(state, c)) return;
  Int32 n = 0;
  for (auto _ : state) {
    n = 0;
    for (size_t p = c.text.find(kWord); p != String::npos; p = c.text.find(kWord, p + 1)) ++n;
    benchmark::DoNotOptimize(n);
  }
  state.counters["hits"] = n;
  bench::AccountBytes(state, c);
}

BENCHMARK(BM_ReadAndDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(FromFile<CountInPlace>)->Name("BM_CountWord_FromFile_InPlace")->Unit(benchmark::kMillisecond);
BENCHMARK(FromFile<CountOnUpperCopy>)->Name("BM_CountWord_FromFile_UpperCopyPositions")->Unit(benchmark::kMillisecond);
BENCHMARK(FromFile<CountByPosStrFoundIn>)->Name("BM_CountWord_FromFile_UpperCopyPosStrFoundIn")->Unit(benchmark::kMillisecond);
BENCHMARK(FromFile<CountByReplaceWholeWord>)->Name("BM_CountWord_FromFile_ReplaceWholeWord")->Unit(benchmark::kMillisecond);
BENCHMARK(InMemory<CountInPlace>)->Name("BM_CountWord_InMemory_InPlace")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Peer_FindOverText)->Unit(benchmark::kMillisecond);

}  // namespace
