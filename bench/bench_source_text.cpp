// The source-text rich edit on the King James Bible: loading the whole text
// (one segment shown) and finding and colouring the hits of one word, beside
// Qt alone doing the same kind of work on the same text (read and decode,
// the first 5,000 lines by setPlainText, hits by QString::indexOf, one
// mergeCharFormat each in one edit block).
#include <QtCore/QFile>
#include <QtGui/QTextCharFormat>
#include <QtGui/QTextCursor>
#include <QtGui/QTextDocument>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <vector>

#include "BenchCorpus.h"
#include "display/SourceTextRichEdit.h"
#include "services/Modify_source_texts_basics.h"

namespace {

sk::String CorpusFile() { return sk::Utf8ToString(bench::Kjv().path); }

void BM_LoadedASourceText(benchmark::State& state) {
  if (!bench::Ready(state, bench::Kjv())) return;
  for (auto _ : state) {
    sk::TSourceTextRichEdit e;
    benchmark::DoNotOptimize(e.LoadedASourceText(CorpusFile(), false));
  }
  bench::AccountBytes(state, bench::Kjv());
}
BENCHMARK(BM_LoadedASourceText)->Unit(benchmark::kMillisecond);

void BM_QtLoadFirstSegment(benchmark::State& state) {
  if (!bench::Ready(state, bench::Kjv())) return;
  for (auto _ : state) {
    QFile f(QString::fromStdString(bench::Kjv().path));
    if (!f.open(QIODevice::ReadOnly)) return;
    const QString all = QString::fromUtf8(f.readAll());
    qsizetype at = 0;
    for (int i = 0; i < 5000 && at >= 0; ++i) {
      at = all.indexOf(u'\n', at);
      if (at >= 0) ++at;
    }
    QTextDocument doc;
    doc.setPlainText(at < 0 ? all : all.left(at));
    benchmark::DoNotOptimize(doc.characterCount());
  }
  bench::AccountBytes(state, bench::Kjv());
}
BENCHMARK(BM_QtLoadFirstSegment)->Unit(benchmark::kMillisecond);

void BM_FoundSWsAndMarkedSWPositions(benchmark::State& state, const char16_t* word) {
  if (!bench::Ready(state, bench::Kjv())) return;
  sk::TSourceTextRichEdit e;
  if (!e.LoadedASourceText(CorpusFile(), false)) return;
  sk::TSimpleSearchlist words(sk::DefaultSimpleSearchSettings());
  words.LoadFromAString(word);
  e.SetSWs(words, {});
  for (auto _ : state) {
    state.PauseTiming();
    e.Reload();
    state.ResumeTiming();
    benchmark::DoNotOptimize(e.FoundSWsAndMarkedSWPositions({}, nullptr));
  }
  state.counters["hits"] = e.TotalPositionsFound();
}
BENCHMARK_CAPTURE(BM_FoundSWsAndMarkedSWPositions, lord, u"lord")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FoundSWsAndMarkedSWPositions, the, u"the")->Unit(benchmark::kMillisecond);

void BM_QtHitsColoured(benchmark::State& state, const char* word) {
  if (!bench::Ready(state, bench::Kjv())) return;
  sk::TSourceTextRichEdit e;
  if (!e.LoadedASourceText(CorpusFile(), false)) return;
  const QString text = e.Document().toPlainText();
  const QString w = QString::fromLatin1(word);
  QTextCharFormat f;
  f.setForeground(Qt::red);
  f.setFontWeight(QFont::Bold);
  qsizetype hits = 0;
  for (auto _ : state) {
    state.PauseTiming();
    QTextDocument doc;
    doc.setPlainText(text);
    state.ResumeTiming();
    QTextCursor c(&doc);
    c.beginEditBlock();
    hits = 0;
    for (qsizetype at = text.indexOf(w, 0, Qt::CaseInsensitive); at >= 0;
         at = text.indexOf(w, at + w.size(), Qt::CaseInsensitive)) {
      QTextCursor h(&doc);
      h.setPosition(at);
      h.setPosition(at + w.size(), QTextCursor::KeepAnchor);
      h.mergeCharFormat(f);
      ++hits;
    }
    c.endEditBlock();
  }
  state.counters["hits"] = static_cast<double>(hits);
}
BENCHMARK_CAPTURE(BM_QtHitsColoured, lord, "lord")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_QtHitsColoured, the, "the")->Unit(benchmark::kMillisecond);

// Peak memory (KB) that a child process adds, beyond what it had on starting.
long ChildPeakKB(const std::function<void()>& work) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    work();
    ::_exit(0);
  }
  int status = 0;
  struct rusage ru {};
  if (pid < 0 || ::wait4(pid, &status, 0, &ru) != pid) return -1;
  return ru.ru_maxrss;
}

// Changing 12 characters in the middle of the tenfold corpus (44 MB), beside
// reading its bytes into a plain vector: held and peak memory of each, as
// the peak a child process reaches beyond one that does nothing.
void BM_AlterFileWPeakMemory(benchmark::State& state) {
  if (!bench::Ready(state, bench::Kjv10())) return;
  const std::string copy = bench::Kjv10().path + ".alter";
  long base = 0, vec = 0, alter = 0;
  for (auto _ : state) {
    std::filesystem::copy_file(bench::Kjv10().path, copy, std::filesystem::copy_options::overwrite_existing);
    std::filesystem::remove(std::filesystem::path(copy).replace_extension(".original"));
    base = ChildPeakKB([] {});
    vec = ChildPeakKB([&] {
      std::ifstream in(copy, std::ios::binary);
      std::vector<char> v((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      benchmark::DoNotOptimize(v.data());
    });
    alter = ChildPeakKB([&] {
      benchmark::DoNotOptimize(sk::AlterFileW(sk::Utf8ToString(copy), u'_', 20'000'000, 12));
    });
  }
  std::filesystem::remove(copy);
  std::filesystem::remove(std::filesystem::path(copy).replace_extension(".original"));
  state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(bench::Kjv10().path)) / 1e6;
  state.counters["vector_peak_MB"] = static_cast<double>(vec - base) / 1e3;
  state.counters["AlterFileW_peak_MB"] = static_cast<double>(alter - base) / 1e3;
}
BENCHMARK(BM_AlterFileWPeakMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
