// Measuring words on a canvas: TCanvas::TextExtent on 10,000 words beside
// Qt's own QFontMetrics::horizontalAdvance on the same words and font, on the
// offscreen platform with DejaVu Sans 9.
#include <benchmark/benchmark.h>

#include <QtGui/QFont>
#include <QtGui/QFontMetrics>
#include <QtWidgets/QApplication>
#include <cstdlib>
#include <random>
#include <vector>

#include "platform/visual/Graphics.h"
#include "platform/visual/QtConvert.h"

namespace {

using sk::String;

QApplication* App() {
  static QApplication* app = [] {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "bench_text_extent";
    static char* argv[] = {name, nullptr};
    auto* a = new QApplication(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    return a;
  }();
  return app;
}

// 10,000 words of 2 to 12 letters (some accented), the same every run.
const std::vector<String>& Words() {
  static const std::vector<String> words = [] {
    std::mt19937 rng(20240611);
    const String letters = u"abcdefghijklmnopqrstuvwxyz\u00E9\u00E8\u00FC\u00F1";
    std::vector<String> w;
    for (int i = 0; i < 10000; ++i) {
      String s;
      const int n = 2 + static_cast<int>(rng() % 11);
      for (int k = 0; k < n; ++k) s += letters[rng() % letters.size()];
      w.push_back(s);
    }
    return w;
  }();
  return words;
}

void BM_TCanvasTextExtent(benchmark::State& state) {
  App();
  sk::TCanvas canvas;
  canvas.Font().SetName(u"DejaVu Sans");
  canvas.Font().SetSize(9);
  const auto& words = Words();
  for (auto _ : state) {
    long long total = 0;
    for (const String& w : words) total += canvas.TextExtent(w).cx;
    benchmark::DoNotOptimize(total);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(words.size()));
}
BENCHMARK(BM_TCanvasTextExtent);

void BM_QFontMetricsHorizontalAdvance(benchmark::State& state) {
  App();
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(12);
  font.setKerning(false);
  const QFontMetrics metrics(font);
  std::vector<QString> words;
  for (const String& w : Words()) words.push_back(sk::ToQString(w));
  for (auto _ : state) {
    long long total = 0;
    for (const QString& w : words) total += metrics.horizontalAdvance(w);
    benchmark::DoNotOptimize(total);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(words.size()));
}
BENCHMARK(BM_QFontMetricsHorizontalAdvance);

}  // namespace
