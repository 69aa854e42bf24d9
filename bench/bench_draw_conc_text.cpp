// Painting concordance cells: the text drawer's DrawConcText on 10,000 cells
// of 20 words a side (each cell cut into measured, coloured word chunks and
// laid out from its centre) beside QPainter::drawText of the same lines'
// plain text into the same rectangles, both into one image on the offscreen
// platform with DejaVu Sans 9.
#include <benchmark/benchmark.h>

#include <QtGui/QFont>
#include <QtGui/QImage>
#include <QtGui/QPainter>
#include <QtWidgets/QApplication>
#include <algorithm>
#include <cstdlib>
#include <random>
#include <vector>

#include "display/Rtl_and_ltr_painting.h"
#include "platform/visual/Graphics.h"
#include "platform/visual/QtConvert.h"

namespace {

using namespace sk;

constexpr int kCells = 10000;
constexpr int kWordsASide = 20;
constexpr int kCellWidth = 600;
constexpr int kCellHeight = 18;
constexpr int kRowsInImage = 50;

QApplication* App() {
  static QApplication* app = [] {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "bench_draw_conc_text";
    static char* argv[] = {name, nullptr};
    auto* a = new QApplication(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    return a;
  }();
  return app;
}

struct TLine {
  TEnumArray<TLeftOrRight, std::vector<TConcordDetailedRec>, 2> tokens;
  QString plain;
};

// kCells lines of random words (3 to 9 letters), the same every run.
const std::vector<TLine>& Lines() {
  static const std::vector<TLine> lines = [] {
    std::mt19937 rng(20261207);
    std::vector<TLine> r(kCells);
    for (TLine& line : r) {
      String plain;
      for (int side = 0; side < 2; ++side) {
        const int n = side == 0 ? kWordsASide : kWordsASide + 1;  // the node and the right side
        for (int i = 0; i < n; ++i) {
          String w;
          const int len = 3 + static_cast<int>(rng() % 7);
          for (int k = 0; k < len; ++k) w += static_cast<Char>(u'a' + rng() % 26);
          TConcordDetailedRec t{};
          t.ConcStrTag.wordsections.wd_str = w;
          line.tokens[side == 0 ? at_left : at_right].push_back(t);
          plain += w + u" ";
        }
      }
      line.plain = ToQString(plain);
    }
    return r;
  }();
  return lines;
}

TRect CellRect(int i) {
  const int row = i % kRowsInImage;
  return Rect(0, row * kCellHeight, kCellWidth, (row + 1) * kCellHeight);
}

void BM_DrawConcText(benchmark::State& state) {
  App();
  const auto& lines = Lines();
  TBitmap bitmap(kCellWidth, kRowsInImage * kCellHeight);
  TCanvas& canvas = bitmap.Canvas();
  canvas.Font().SetName(u"DejaVu Sans");
  canvas.Font().SetSize(9);
  TMyTextDrawer drawer;
  const TEnumArray<TLeftOrRight, std::vector<TCollocateColourRec>, 2> colours{};
  TLeftOrRightIntegers limits{};
  limits[at_right] = -1;
  for (auto _ : state) {
    for (int i = 0; i < kCells; ++i)
      drawer.DrawConcText(u" ", {}, {}, tag_after_word, {}, lines[static_cast<size_t>(i)].tokens, colours, canvas,
                          0x0409, CellRect(i), 0, false, false, pra_image, limits);
    benchmark::DoNotOptimize(bitmap.Image().constBits());
  }
  state.SetItemsProcessed(state.iterations() * kCells);
}
BENCHMARK(BM_DrawConcText)->Unit(benchmark::kMillisecond);

void BM_QPainterDrawTextSameLines(benchmark::State& state) {
  App();
  const auto& lines = Lines();
  QImage image(kCellWidth, kRowsInImage * kCellHeight, QImage::Format_RGB32);
  image.fill(Qt::white);
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(12);
  for (auto _ : state) {
    QPainter p(&image);
    p.setFont(font);
    p.setPen(Qt::black);
    for (int i = 0; i < kCells; ++i)
      p.drawText(ToQRect(CellRect(i)), Qt::AlignHCenter | Qt::AlignTop, lines[static_cast<size_t>(i)].plain);
    p.end();
    benchmark::DoNotOptimize(image.constBits());
  }
  state.SetItemsProcessed(state.iterations() * kCells);
}
BENCHMARK(BM_QPainterDrawTextSameLines)->Unit(benchmark::kMillisecond);

// A screen of concordance cells (600 by 54 pixels, two lines after the node)
// whose right side holds a text of the given length after two words: as one
// token (1), or as words of the same letters (0), in one run.
void BM_ConcLongToken(benchmark::State& state) {
  App();
  const bool oneToken = state.range(0) == 1;
  const auto length = static_cast<size_t>(state.range(1));
  const String sentence = u"the quick brown fox jumps over the lazy dog and keeps on running ";
  TEnumArray<TLeftOrRight, std::vector<TConcordDetailedRec>, 2> tokens;
  auto add = [&](TLeftOrRight side, const String& w) {
    TConcordDetailedRec t{};
    t.ConcStrTag.wordsections.wd_str = w;
    tokens[side].push_back(t);
  };
  for (const char16_t* w : {u"left", u"side", u"of", u"the"}) add(at_left, w);
  for (const char16_t* w : {u"NODE", u"and", u"then"}) add(at_right, w);
  String text;
  while (text.size() < length) text += sentence;
  text.resize(length);
  if (oneToken) {
    text.erase(std::remove(text.begin(), text.end(), u' '), text.end());
    add(at_right, text);
  } else {
    for (size_t from = 0; from < text.size();) {
      const size_t to = std::min(text.find(u' ', from), text.size());
      if (to > from) add(at_right, text.substr(from, to - from));
      from = to + 1;
    }
  }
  constexpr int kHeight = 54, kRows = 11;
  TBitmap bitmap(kCellWidth, kRows * kHeight);
  TCanvas& canvas = bitmap.Canvas();
  canvas.Font().SetName(u"DejaVu Sans");
  canvas.Font().SetSize(9);
  TMyTextDrawer drawer;
  TLeftOrRightIntegers limits{};
  limits[at_right] = -1;
  for (auto _ : state) {
    for (int row = 0; row < kRows; ++row)
      drawer.DrawConcText(u" ", {}, {}, tag_after_word, {}, tokens, {}, canvas, 0x0409,
                          Rect(0, row * kHeight, kCellWidth, (row + 1) * kHeight), 0, false, false, pra_screen, limits);
    benchmark::DoNotOptimize(bitmap.Image().constBits());
  }
  state.SetLabel(oneToken ? "one token" : "words");
}
BENCHMARK(BM_ConcLongToken)
    ->ArgNames({"token", "chars"})
    ->ArgsProduct({{0, 1}, {20000, 1 << 20}})
    ->Unit(benchmark::kMillisecond);

}  // namespace
