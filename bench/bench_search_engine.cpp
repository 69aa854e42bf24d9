// Finding "lord" as a whole word in any case over the King James Bible ten
// times over (44 MB) through the search engine, as a concordance does: the
// file read, decoded, handed to SetABuffer and searched by SearchAndDo with a
// counting callback (the buffers are reused between runs). Beside it, in the
// same run, the peers as whole programs: ripgrep (`rg -c -w -i lord`, and its
// count of matches, which ours must equal) and NLTK (Debian's python3-nltk on
// the Debian interpreter: the file read, wordpunct_tokenize, and
// Text(tokens).concordance_list("lord", lines=100000)), set beside our path
// with the 40 characters either side of each hit copied out.
//
// The road's own phases as a tool meets them once per file, in fresh room
// (no buffer kept from an earlier run): the file read and decoded by
// GetTextOfAFile, and the decoded text handed to SetABuffer.
//
// A peer that is not installed is skipped with a message. The counters give
// the hit counts; scripts/bench-peers prints the ratios.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchCorpus.h"
#include "analysis/Search_and_do_engineU.h"
#include "analysis/Search_parsing.h"
#include "core/Global_vars.h"
#include "core/Unicode_string_conversion.h"
#include "platform/runtime/Locale.h"
#include "services/File_utils_textfiles.h"

extern char** environ;

namespace {

using namespace sk;

const char* const kWord = "lord";
const char* const kPython = "/usr/bin/python3";

// The whole file into bytes (the vector keeps its room between runs).
bool ReadInto(const std::string& path, TBytes& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  std::fseek(f, 0, SEEK_END);
  const long size = std::ftell(f);
  std::fseek(f, 0, SEEK_SET);
  bytes.resize(size > 0 ? static_cast<size_t>(size) : 0);
  const size_t got = bytes.empty() ? 0 : std::fread(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  return got == bytes.size();
}

// Runs a program and gives what it wrote to its standard output; empty with
// ok false when it could not be started or failed.
std::string RunProgram(const std::vector<std::string>& args, bool& ok) {
  ok = false;
  int pipefd[2];
  if (::pipe(pipefd) != 0) return {};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipefd[1], 1);
  posix_spawn_file_actions_addclose(&actions, pipefd[0]);
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipefd[1]);
  std::string out;
  if (rc == 0) {
    char buf[4096];
    ssize_t n;
    while ((n = ::read(pipefd[0], buf, sizeof buf)) > 0) out.append(buf, static_cast<size_t>(n));
  }
  ::close(pipefd[0]);
  if (rc != 0) return {};
  int status = 0;
  ::waitpid(pid, &status, 0);
  ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return out;
}

bool Installed(const std::vector<std::string>& probe) {
  bool ok = false;
  RunProgram(probe, ok);
  return ok;
}

// The engine, its word and the reused buffers.
struct TLordSearch {
  TLordSearch() : engine(LOCALE_USER_DEFAULT, se_searchword) {
    word = SWFullParsed_SearchWord(TIgnore_tag{}, Utf8ToString(kWord));
  }
  ~TLordSearch() {
    global_bufStr[wp_whole].clear();
    global_Wchars[wp_whole].clear();
  }

  // Read, decode, set the buffer and search; with copy, the 40 characters
  // either side of each hit are copied out as a concordance line would be.
  Int64 Run(const std::string& path, bool copy) {
    if (!ReadInto(path, bytes)) return -1;
    TEncoding* encoding = nullptr;
    Int32 bom = 0;
    EncodedStringFromBytesInto(decoded, bytes.data(), bytes.size(), encoding, bom);
    engine.SetABuffer(std::move(decoded), wp_whole);
    Int64 hits = 0;
    engine.PrepareForConcordancing(Utf8ToString(path), static_cast<Int32>(bytes.size()), 1, 0, false, coll_stop_none,
                                   [&](TSearchAndDoEngine*, TConcSearchRec& rec) {
                                     ++hits;
                                     if (copy) {
                                       const String& text = global_bufStr[wp_whole];
                                       const size_t start = static_cast<size_t>(rec.hit_edge_1B[sf_start2] - 1);
                                       const size_t end = static_cast<size_t>(rec.hit_edge_1B[sf_finish2] - 1);
                                       const size_t from = start > 40 ? start - 40 : 0;
                                       left.assign(text, from, start - from);
                                       right.assign(text, end, 40);
                                       benchmark::DoNotOptimize(left.data());
                                       benchmark::DoNotOptimize(right.data());
                                     }
                                     return true;
                                   });
    engine.SearchAndDo(&word, wp_whole, 0, TTextStatsPositions_rec{});
    return hits;
  }

  TSearchAndDoEngine engine;
  TQMSearchWordRec word;
  TBytes bytes;
  String decoded;  // the room of the buffer before, given back by SetABuffer
  String left;
  String right;
};

void OurSearch(benchmark::State& state, bool copy) {
  const bench::TBenchCorpus& c = bench::Kjv10();
  if (!bench::Ready(state, c)) return;
  SetUserDefaultLocale("en_US");
  TLordSearch search;
  Int64 hits = 0;
  for (auto _ : state) {
    hits = search.Run(c.path, copy);
    benchmark::DoNotOptimize(hits);
  }
  state.counters["hits"] = static_cast<double>(hits);
  bench::AccountBytes(state, c);
}

void BM_SearchWord_FromFile(benchmark::State& state) { OurSearch(state, false); }
void BM_SearchWord_FromFile_WithContext(benchmark::State& state) { OurSearch(state, true); }

// Reading and decoding alone, then with the class array built.
void BM_SearchWord_ReadDecode(benchmark::State& state) {
  const bench::TBenchCorpus& c = bench::Kjv10();
  if (!bench::Ready(state, c)) return;
  TBytes bytes;
  String decoded;
  for (auto _ : state) {
    ReadInto(c.path, bytes);
    TEncoding* encoding = nullptr;
    Int32 bom = 0;
    EncodedStringFromBytesInto(decoded, bytes.data(), bytes.size(), encoding, bom);
    benchmark::DoNotOptimize(decoded.data());
  }
  bench::AccountBytes(state, c);
}

void BM_SearchWord_ReadDecodeSetBuffer(benchmark::State& state) {
  const bench::TBenchCorpus& c = bench::Kjv10();
  if (!bench::Ready(state, c)) return;
  TLordSearch search;
  for (auto _ : state) {
    ReadInto(c.path, search.bytes);
    TEncoding* encoding = nullptr;
    Int32 bom = 0;
    EncodedStringFromBytesInto(search.decoded, search.bytes.data(), search.bytes.size(), encoding, bom);
    search.engine.SetABuffer(std::move(search.decoded), wp_whole);
    benchmark::DoNotOptimize(global_Wchars[wp_whole].data());
  }
  bench::AccountBytes(state, c);
}

// The text and its class array given up, room and all.
void FreeWholeBuffer() {
  String().swap(global_bufStr[wp_whole]);
  std::vector<Word>().swap(global_Wchars[wp_whole]);
}

void BM_Road_GetTextOfAFile(benchmark::State& state) {
  const bench::TBenchCorpus& c = bench::Kjv10();
  if (!bench::Ready(state, c)) return;
  const String path = Utf8ToString(c.path);
  for (auto _ : state) {
    TEncoding* encoding = nullptr;
    Int32 bom = 0;
    String text = GetTextOfAFile(path, encoding, bom);
    benchmark::DoNotOptimize(text.data());
    state.PauseTiming();
    String().swap(text);
    state.ResumeTiming();
  }
  bench::AccountBytes(state, c);
}

void BM_Road_SetABuffer(benchmark::State& state) {
  const bench::TBenchCorpus& c = bench::Kjv10();
  if (!bench::Ready(state, c)) return;
  TEncoding* encoding = nullptr;
  Int32 bom = 0;
  const String decoded = GetTextOfAFile(Utf8ToString(c.path), encoding, bom);
  TSearchAndDoEngine engine(LOCALE_USER_DEFAULT, se_searchword);
  for (auto _ : state) {
    state.PauseTiming();
    FreeWholeBuffer();
    String text = decoded;
    state.ResumeTiming();
    engine.SetABuffer(std::move(text), wp_whole);
    benchmark::DoNotOptimize(global_Wchars[wp_whole].data());
  }
  FreeWholeBuffer();
  bench::AccountBytes(state, c);
}

// ripgrep: lines with a match (-c), as the peer to time, and every match
// (--count-matches), the count ours must equal.
void BM_Peer_Rg(benchmark::State& state) {
  const bench::TBenchCorpus& c = bench::Kjv10();
  if (!bench::Ready(state, c)) return;
  if (!Installed({"rg", "--version"})) {
    state.SkipWithError("rg not installed");
    return;
  }
  bool ok = false;
  std::string out;
  for (auto _ : state) out = RunProgram({"rg", "-c", "-w", "-i", kWord, c.path}, ok);
  const std::string matches = RunProgram({"rg", "--count-matches", "-w", "-i", kWord, c.path}, ok);
  state.counters["lines"] = std::atof(out.c_str());
  state.counters["hits"] = std::atof(matches.c_str());
  bench::AccountBytes(state, c);
}

void BM_Peer_Nltk(benchmark::State& state) {
  const bench::TBenchCorpus& c = bench::Kjv10();
  if (!bench::Ready(state, c)) return;
  if (!Installed({kPython, "-c", "import nltk"})) {
    state.SkipWithError("NLTK not installed (python3-nltk)");
    return;
  }
  const std::string script =
      "import sys, nltk\n"
      "text = open(sys.argv[1], encoding='utf-8').read()\n"
      "tokens = nltk.tokenize.wordpunct_tokenize(text)\n"
      "lines = nltk.text.Text(tokens).concordance_list(sys.argv[2], lines=100000)\n"
      "print(len(lines))\n";
  bool ok = false;
  std::string out;
  for (auto _ : state) out = RunProgram({kPython, "-c", script, c.path, kWord}, ok);
  state.counters["hits"] = std::atof(out.c_str());
  bench::AccountBytes(state, c);
}

BENCHMARK(BM_SearchWord_ReadDecode)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SearchWord_ReadDecodeSetBuffer)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Road_GetTextOfAFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Road_SetABuffer)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SearchWord_FromFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SearchWord_FromFile_WithContext)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Peer_Rg)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Peer_Nltk)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace
