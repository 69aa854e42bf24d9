// Fitting long texts into narrow widths and pruning long texts and lists:
// ShrunkToFit of a 100,000-character message into 200 px and of one
// 10,000-character token or a 3,000-character CJK line into a cell; the
// canvas's end and path ellipses of 8,000- and 16,000-character lines; both
// of 2,000-character lines of CJK with and without its punctuation, of Latin
// with and without a soft hyphen near each end, and of Arabic; the
// substring and comment removers on 2 MB texts; the text-breaks report of
// 40,000 sentences; the low-count and random pruning of 200,000-line lists.
// Qt runs on the offscreen platform with DejaVu Sans 9.
#include <benchmark/benchmark.h>

#include <QtGui/QFont>
#include <QtWidgets/QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>

#include <unistd.h>

#include "ScriptTexts.h"
#include "core/Basic_types.h"
#include "core/Global_vars.h"
#include "core/My_string_functions_occurrences.h"
#include "core/My_string_functions_splitting.h"
#include "platform/runtime/Random.h"
#include "platform/runtime/StringList.h"
#include "platform/runtime/Strings.h"
#include "platform/visual/Graphics.h"
#include "platform/visual/Graphics_shaping.h"
#include "services/Html_utils.h"
#include "services/Wdef_definitions.h"
#include "services/Wdef_records.h"
#include "ui/Graphics_utilities.h"

namespace {

using sk::Char;
using sk::Int32;
using sk::String;

QApplication* App() {
  static QApplication* app = [] {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "bench_text_shrink";
    static char* argv[] = {name, nullptr};
    auto* a = new QApplication(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    return a;
  }();
  return app;
}

std::unique_ptr<sk::TBitmap> Canvas() {
  App();
  auto b = std::make_unique<sk::TBitmap>(8, 8);
  b->Canvas().Font().SetName(u"DejaVu Sans");
  b->Canvas().Font().SetSize(9);
  return b;
}

// Words of 2 to 10 letters separated by blanks, n characters in all.
String Words(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  String s;
  while (s.size() < n) {
    const int len = 2 + static_cast<int>(rng() % 9);
    for (int k = 0; k < len; ++k) s += static_cast<Char>(u'a' + rng() % 26);
    s += u' ';
  }
  s.resize(n);
  return s;
}

String Token(size_t n) {
  String s;
  for (size_t i = 0; i < n; ++i) s += static_cast<Char>(u'a' + i % 26);
  return s;
}

String Cjk(size_t n) {
  String s;
  for (size_t i = 0; i < n; ++i) s += static_cast<Char>(0x4E00 + (i * 7) % 2000);
  return s;
}

void BM_ShrunkToFit(benchmark::State& state, const String& text, Int32 width) {
  auto b = Canvas();
  for (auto _ : state) benchmark::DoNotOptimize(sk::ShrunkToFit(text, b->Canvas(), width));
}
BENCHMARK_CAPTURE(BM_ShrunkToFit, message_100000_into_200px, Words(100000, 1), 200)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ShrunkToFit, message_10000_into_200px, Words(10000, 2), 200)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ShrunkToFit, token_10000_into_cell, Token(10000), 150)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ShrunkToFit, cjk_3000_into_cell, Cjk(3000), 150)->Unit(benchmark::kMillisecond);

// The canvas's ellipses, through the calls that use them: TextRect with the
// text modified, and DrawText of one line.
void BM_TextRectElided(benchmark::State& state, const String& text, sk::TTextFormat format) {
  auto b = Canvas();
  for (auto _ : state) {
    sk::TRect r = sk::Rect(0, 0, 150, 20);
    String shown = text;
    b->Canvas().TextRect(r, shown, format | sk::tfModifyString);
    benchmark::DoNotOptimize(shown);
  }
}
BENCHMARK_CAPTURE(BM_TextRectElided, end_8000, Words(8000, 3), sk::tfEndEllipsis)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TextRectElided, word_8000, Words(8000, 3), sk::tfWordEllipsis)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TextRectElided, path_8000, Token(8000), sk::tfPathEllipsis)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TextRectElided, path_with_folders_8000, Words(8000, 4) + u"/name.txt", sk::tfPathEllipsis)
    ->Unit(benchmark::kMillisecond);

// Arabic words: each cut changes the forms of the letters beside it, so the
// candidates are measured one by one as the plain loops do.
String ArabicWords(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  String s;
  while (s.size() < n) {
    const int len = 2 + static_cast<int>(rng() % 7);
    for (int k = 0; k < len; ++k) s += static_cast<Char>(0x0628 + rng() % 19);
    s += u' ';
  }
  s.resize(n);
  return s;
}
BENCHMARK_CAPTURE(BM_ShrunkToFit, arabic_600_into_200px, ArabicWords(600, 9), 200)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TextRectElided, end_arabic_600, ArabicWords(600, 10), sk::tfEndEllipsis)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TextRectElided, end_emoji_then_8000, u"\U0001F600 " + Words(8000, 3), sk::tfEndEllipsis)
    ->Unit(benchmark::kMillisecond);

// A CJK line with its punctuation (，。、「」, the ideographic space and the
// long mark ー, none of which the Latin UI font holds), opening with a quote,
// and the same line with Han characters in place of the punctuation.
String CjkWithPunctuation(size_t n, unsigned seed) {
  static const Char marks[] = {0xFF0C, 0x3002, 0x3001, 0x300C, 0x300D, 0x3000, 0x30FC};
  std::mt19937 rng(seed);
  String s = u"\u300C";
  while (s.size() < n) {
    s += static_cast<Char>(0x4E00 + rng() % 2000);
    if (rng() % 6 == 0) s += marks[rng() % 7];
  }
  s.resize(n);
  return s;
}
String CjkPlain(size_t n, unsigned seed) {
  String s = CjkWithPunctuation(n, seed);
  for (size_t i = 0; i < s.size(); ++i)
    if (s[i] < 0x4E00 || s[i] > 0x9FFF) s[i] = static_cast<Char>(0x4E00 + i % 2000);
  return s;
}
// A Latin line with a soft hyphen inside a word near each end.
String LatinWithSoftHyphens(size_t n, unsigned seed) {
  String s = Words(n, seed);
  s[7] = 0x00AD;
  s[n - 7] = 0x00AD;
  return s;
}

BENCHMARK_CAPTURE(BM_TextRectElided, end_cjk_2000, CjkPlain(2000, 11), sk::tfEndEllipsis)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TextRectElided, end_cjk_punctuated_2000, CjkWithPunctuation(2000, 11), sk::tfEndEllipsis)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TextRectElided, end_latin_2000, Words(2000, 12), sk::tfEndEllipsis)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TextRectElided, end_latin_soft_hyphens_2000, LatinWithSoftHyphens(2000, 12), sk::tfEndEllipsis)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TextRectElided, end_arabic_2000, ArabicWords(2000, 13), sk::tfEndEllipsis)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TextRectElided, end_arabic_8000, ArabicWords(8000, 14), sk::tfEndEllipsis)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ShrunkToFit, cjk_2000_into_cell, CjkPlain(2000, 11), 150)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ShrunkToFit, cjk_punctuated_2000_into_cell, CjkWithPunctuation(2000, 11), 150)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ShrunkToFit, latin_2000_into_cell, Words(2000, 12), 150)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ShrunkToFit, latin_soft_hyphens_2000_into_cell, LatinWithSoftHyphens(2000, 12), 150)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ShrunkToFit, arabic_2000_into_cell, ArabicWords(2000, 13), 150)->Unit(benchmark::kMillisecond);

// One fit of a 2,000-unit line of each script a corpus holds (ScriptTexts.h)
// into a 150-pixel cell, shrunk in the middle and cut at its end; the label
// names the script, "measured" counts the exact measurements of one fit, and
// scripts/bench-peers prints each beside Latin.
template <class Fit>
void TimeScriptFit(benchmark::State& state, Fit fit) {
  const int k = static_cast<int>(state.range(0));
  auto b = Canvas();
  b->Canvas().Font().SetName(sk_bench::ScriptFont(k));
  const String s = sk_bench::ScriptLine(k, 2000);
  const uint64_t before = sk::gFitMeasurements.load();
  for (auto _ : state) fit(s, b->Canvas());
  state.counters["measured"] = benchmark::Counter(static_cast<double>(sk::gFitMeasurements.load() - before),
                                                  benchmark::Counter::kAvgIterations);
  state.SetLabel(sk_bench::kScriptLines[k].name);
}

void BM_ScriptShrunkToFit(benchmark::State& state) {
  TimeScriptFit(state, [](const String& s, sk::TCanvas& c) { benchmark::DoNotOptimize(sk::ShrunkToFit(s, c, 150)); });
}
BENCHMARK(BM_ScriptShrunkToFit)->DenseRange(0, sk_bench::kScriptCount - 1)->Unit(benchmark::kMillisecond);

void BM_ScriptEndEllipsis(benchmark::State& state) {
  TimeScriptFit(state, [](const String& s, sk::TCanvas& c) {
    sk::TRect r = sk::Rect(0, 0, 150, 20);
    String shown = s;
    c.TextRect(r, shown, sk::tfEndEllipsis | sk::tfModifyString);
    benchmark::DoNotOptimize(shown);
  });
}
BENCHMARK(BM_ScriptEndEllipsis)->DenseRange(0, sk_bench::kScriptCount - 1)->Unit(benchmark::kMillisecond);

void BM_DrawTextEndEllipsis16000(benchmark::State& state) {
  auto b = Canvas();
  const String text = Words(16000, 5);
  for (auto _ : state) {
    sk::TRect r = sk::Rect(0, 0, 150, 20);
    b->Canvas().DrawText(text, r, sk::DT_SINGLELINE | sk::DT_END_ELLIPSIS | sk::DT_NOPREFIX);
  }
}
BENCHMARK(BM_DrawTextEndEllipsis16000)->Unit(benchmark::kMillisecond);

// 2 MB of words with the removed text every few words.
void BM_SubStrClearedFromString(benchmark::State& state) {
  String text;
  const String words = Words(2000000, 6);
  for (size_t i = 0; i < words.size(); i += 40) text += words.substr(i, 40) + u"<b>";
  for (auto _ : state) benchmark::DoNotOptimize(sk::SubStrClearedFromString(u"<b>", text));
}
BENCHMARK(BM_SubStrClearedFromString)->Unit(benchmark::kMillisecond);

// 2.8 MB of ordinary HTML with a comment in every paragraph.
void BM_StrippedOfHTMLComments(benchmark::State& state) {
  String html;
  const String words = Words(2800000, 7);
  for (size_t i = 0; html.size() < 2800000; i += 120)
    html += u"<p>" + words.substr(i % (words.size() - 200), 100) + u"<!-- note -->" + u"</p>\n";
  for (auto _ : state) benchmark::DoNotOptimize(sk::StrippedOfHTMLComments(html));
}
BENCHMARK(BM_StrippedOfHTMLComments)->Unit(benchmark::kMillisecond);

// 40,000 sentences of 60 characters, each marked at its start and end.
void BM_SaveTextBreaksMarked(benchmark::State& state) {
  const size_t sentences = 40000, len = 60;
  String& buf = sk::global_bufStr[sk::wp_whole];
  buf = Words(sentences * len, 8);
  sk::TTextStatsPositions_rec& s = sk::Global_TextSectionsArr;
  s = sk::TTextStatsPositions_rec{};
  s.bufferful_chars.assign(buf.size(), sk::TNumberWordAndStat{});
  for (size_t k = 0; k < sentences; ++k) {
    const auto start = static_cast<Int32>(k * len), finish = static_cast<Int32>(k * len + len - 2);
    s.stats_arr[sk::stats_sentence].push_back({start, finish});
    s.bufferful_chars[static_cast<size_t>(start)] = {static_cast<Int32>(k), sk::stats_sentence};
    s.bufferful_chars[static_cast<size_t>(finish)] = {static_cast<Int32>(k), sk::stats_sentence};
  }
  char name[] = "/tmp/bench_text_breaks_XXXXXX";
  const int fd = mkstemp(name);
  if (fd >= 0) ::close(fd);
  const String file = sk::String(name, name + sizeof(name) - 1);
  for (auto _ : state) benchmark::DoNotOptimize(sk::SaveTextBreaksMarked(file));
  std::remove(name);
  s = sk::TTextStatsPositions_rec{};
  buf.clear();
}
BENCHMARK(BM_SaveTextBreaksMarked)->Unit(benchmark::kMillisecond);

// A 200,000-word list, about half of whose words are seen once; the words
// seen once are dropped. Only the pruning is timed.
void BM_RemoveLowCounts(benchmark::State& state) {
  for (auto _ : state) {
    sk::TStringlistWithListOfOccurrences list;
    for (Int32 i = 0; i < 200000; ++i) list.AddOrIncOneByFreq(u"w" + sk::IntToStr(i), i % 3, i % 2 == 0 ? 1 : 3);
    const auto start = std::chrono::steady_clock::now();
    list.RemoveLowCounts(2, 0);
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    benchmark::DoNotOptimize(list.Count());
  }
}
BENCHMARK(BM_RemoveLowCounts)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

// 200,000 lines reduced to 20,000 at random. Only the reduction is timed.
void BM_RandomReduceStringlist(benchmark::State& state) {
  for (auto _ : state) {
    sk::TStringList list;
    for (Int32 i = 0; i < 200000; ++i) list.Add(u"line");
    sk::RandSeed = 42;
    const auto start = std::chrono::steady_clock::now();
    sk::RandomReduceStringlist(&list, 20000);
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    benchmark::DoNotOptimize(list.Count());
  }
}
BENCHMARK(BM_RandomReduceStringlist)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

}  // namespace
