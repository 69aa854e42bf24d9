// The source-text rich edit on the King James Bible: loading the whole text
// (one segment shown) and finding and colouring the hits of one word, beside
// Qt alone doing the same kind of work on the same text (read and decode,
// the first 5,000 lines by setPlainText, hits by QString::indexOf, one
// mergeCharFormat each in one edit block).
#include <QtCore/QFile>
#include <QtGui/QTextCharFormat>
#include <QtGui/QTextCursor>
#include <QtGui/QTextDocument>

#include "BenchCorpus.h"
#include "display/SourceTextRichEdit.h"

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

}  // namespace
