// Painting one screen of a virtual grid: the simple virtual grid (on the
// library's draw grid) at the top, the middle and the end of 1,000 and of
// 1,000,000 rows, beside Qt's QTableView over a QAbstractTableModel of the
// same rows and texts, both 400 x 300 pixels on the offscreen platform; and
// one 800 x 600 screen of the simple virtual grid whose cells hold long lines
// (Latin, CJK with and without its punctuation, Arabic) cut with the end
// ellipsis, and the same screen of results-grid cells painted word by word by
// the text drawer; screens of emoji posts, combining stacks and lines opening
// with a flag or an isolate beside Qt's own elision and beside Latin, with
// the ratios as counters of one run (BM_ScriptCellsRatios).
//
//   bench_draw_grid                      the Google Benchmark run
//   bench_draw_grid --paint-rows=N       paints the three screens of N rows
//                                        five times each and ends (for
//                                        valgrind --tool=callgrind, with
//                                        --toggle-collect on the paint)
//   bench_draw_grid --paint-table-rows=N the same with the table view
#include <benchmark/benchmark.h>

#include <QtCore/QAbstractTableModel>
#include <QtGui/QFont>
#include <QtGui/QFontMetrics>
#include <QtGui/QImage>
#include <QtGui/QPainter>
#include <QtWidgets/QApplication>
#include <QtWidgets/QHeaderView>
#include <QtWidgets/QTableView>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <ctime>
#include <string>
#include <vector>

#include "ScriptTexts.h"
#include "display/Rtl_and_ltr_painting.h"
#include "display/Simple_virtual_grid.h"
#include "platform/runtime/Strings.h"
#include "platform/visual/Graphics_shaping.h"

namespace {

using namespace sk;

constexpr int kWidth = 400;
constexpr int kHeight = 300;

QApplication* App() {
  static QApplication* app = [] {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "bench_draw_grid";
    static char* argv[] = {name, nullptr};
    auto* a = new QApplication(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    return a;
  }();
  return app;
}

// Row numbers padded to seven digits, so that a cell's text is as long in a
// million rows as in a thousand and the counts compare the grids alone.
String CellText(Int32 col, Int32 row) {
  String n = IntToStr(row);
  if (n.size() < 7) n.insert(0, 7 - n.size(), u'0');
  return u"row " + n + (col == 0 ? u" name" : u" size");
}

std::unique_ptr<TQMSimpleVirtualGrid> MakeGrid(Int32 rows) {
  App();
  auto g = std::make_unique<TQMSimpleVirtualGrid>(nullptr);
  g->SetBounds(0, 0, kWidth, kHeight);
  g->DefineHeaders({{u"name", 60, ct_string}, {u"size", 40, ct_integer}});
  g->fOnGetVirtualRows = [rows](TCustomDrawGrid*) { return rows; };
  g->fOnGetData = [](Int32 col, Int32, Int32 row) {
    return TStringColourAndAlignment{CellText(col, row), 0, col == 0 ? al_left : al_right};
  };
  g->SetRowCountAndLineHeight();
  return g;
}

// The top row for the top (0), the middle (1) and the end (2) of the rows.
Int32 TopFor(TQMSimpleVirtualGrid& g, int where) {
  if (where == 0) return 1;
  if (where == 1) return g.RowCount() / 2;
  return g.MaxTopRow();
}

class TableModel : public QAbstractTableModel {
 public:
  explicit TableModel(int rows) : fRows(rows) {}
  int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : fRows; }
  int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : 2; }
  QVariant data(const QModelIndex& index, int role) const override {
    if (role == Qt::DisplayRole) {
      const String s = CellText(index.column(), index.row());
      return QString(reinterpret_cast<const QChar*>(s.data()), static_cast<qsizetype>(s.size()));
    }
    if (role == Qt::TextAlignmentRole)
      return index.column() == 0 ? int(Qt::AlignLeft | Qt::AlignVCenter) : int(Qt::AlignRight | Qt::AlignVCenter);
    return QVariant();
  }
  QVariant headerData(int section, Qt::Orientation o, int role) const override {
    if (role == Qt::DisplayRole && o == Qt::Horizontal) return section == 0 ? QStringLiteral("Name") : QStringLiteral("Size");
    return QVariant();
  }

 private:
  int fRows;
};

void BM_SimpleVirtualGridScreen(benchmark::State& state) {
  const auto rows = static_cast<Int32>(state.range(0));
  auto g = MakeGrid(rows);
  g->SetTopRow(TopFor(*g, static_cast<int>(state.range(1))));
  QImage img(kWidth, kHeight, QImage::Format_RGB32);
  for (auto _ : state) {
    g->Widget()->render(&img);
    benchmark::DoNotOptimize(img.constBits());
  }
  state.counters["cells"] = g->CellsPaintedLastTime();
}

// A table view of the same size, rows and texts, with rows of the grid's height.
void SetUpView(QTableView& view, TableModel& model) {
  view.resize(kWidth, kHeight);
  view.verticalHeader()->hide();
  view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  view.verticalHeader()->setDefaultSectionSize(19);
  view.setModel(&model);
  view.setColumnWidth(0, 240);
  view.setColumnWidth(1, 140);
}

void ScrollView(QTableView& view, TableModel& model, int rows, int where) {
  view.scrollTo(model.index(where == 0 ? 0 : where == 1 ? rows / 2 : rows - 1, 0),
                where == 2 ? QAbstractItemView::PositionAtBottom : QAbstractItemView::PositionAtTop);
}

void BM_QTableViewScreen(benchmark::State& state) {
  App();
  const int rows = static_cast<int>(state.range(0));
  TableModel model(rows);
  QTableView view;
  SetUpView(view, model);
  ScrollView(view, model, rows, static_cast<int>(state.range(1)));
  QImage img(kWidth, kHeight, QImage::Format_RGB32);
  for (auto _ : state) {
    view.render(&img);
    benchmark::DoNotOptimize(img.constBits());
  }
}

void Args(benchmark::internal::Benchmark* b) {
  for (int rows : {1000, 1000000})
    for (int where : {0, 1, 2}) b->Args({rows, where});
  b->ArgNames({"rows", "where"});
}

BENCHMARK(BM_SimpleVirtualGridScreen)->Apply(Args);

// One screen of 800 x 600 whose cells each hold one long line, cut to the
// cell with the end ellipsis: Latin words, CJK, CJK with its punctuation
// (，。、「」, the ideographic space, ー) and Arabic words.
enum TLongKind : int { lk_latin, lk_cjk, lk_cjk_punctuated, lk_arabic };

String LongCellText(int kind, size_t n, unsigned seed) {
  static const Char marks[] = {0xFF0C, 0x3002, 0x3001, 0x300C, 0x300D, 0x3000, 0x30FC};
  UInt64 x = 88172645463325252ull + seed;
  auto next = [&x] {
    x ^= x << 13;
    x ^= x >> 7;
    x ^= x << 17;
    return static_cast<unsigned>(x);
  };
  String s;
  if (kind == lk_cjk_punctuated) s += u'\u300C';
  while (s.size() < n) {
    switch (kind) {
      case lk_latin:
      case lk_arabic: {
        const unsigned len = 2 + next() % 8;
        for (unsigned k = 0; k < len; ++k)
          s += static_cast<Char>(kind == lk_latin ? u'a' + next() % 26 : 0x0628 + next() % 19);
        s += u' ';
        break;
      }
      default:
        s += static_cast<Char>(0x4E00 + next() % 2000);
        if (next() % 6 == 0) s += kind == lk_cjk ? static_cast<Char>(0x4E00 + next() % 2000) : marks[next() % 7];
        break;
    }
  }
  s.resize(n);
  return s;
}

// Paints an 800 x 600 screen of the simple virtual grid, two columns of
// the texts in turn, as often as the benchmark asks; font and lines per
// entry as given (the grid's own when the font is empty).
class TGridScreen {
 public:
  TGridScreen(const std::vector<String>& texts, const String& font, Int32 lines, TMyAlignment alignment,
              bool rightToLeft)
      : fGrid(nullptr), fImage(800, 600, QImage::Format_RGB32) {
    fGrid.SetBounds(0, 0, 800, 600);
    if (!font.empty()) fGrid.Font().SetName(font);
    if (rightToLeft) fGrid.SetBiDiMode(bdRightToLeft);
    fGrid.fLinesPerEntry = lines;
    fGrid.DefineHeaders({{u"text", 60, ct_string}, {u"more", 40, ct_string}});
    fGrid.fOnGetVirtualRows = [](TCustomDrawGrid*) { return 1000; };
    fGrid.fOnGetData = [&texts, alignment](Int32 col, Int32, Int32 row) {
      return TStringColourAndAlignment{texts[static_cast<size_t>(row * 2 + col) % texts.size()], 0, alignment};
    };
    fGrid.SetRowCountAndLineHeight();
  }
  void Paint() {
    fGrid.Widget()->render(&fImage);
    benchmark::DoNotOptimize(fImage.constBits());
  }
  Int32 Cells() { return fGrid.CellsPaintedLastTime(); }

 private:
  TQMSimpleVirtualGrid fGrid;
  QImage fImage;
};

void PaintGridScreens(benchmark::State& state, const std::vector<String>& texts, const String& font = String(),
                      Int32 lines = 1, TMyAlignment alignment = al_left, bool rightToLeft = false) {
  TGridScreen screen(texts, font, lines, alignment, rightToLeft);
  for (auto _ : state) screen.Paint();
  state.counters["cells"] = screen.Cells();
}

// The thread's processor time in milliseconds, which other work on the
// machine leaves as it is.
double ThreadMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Eight cells' texts of a script's line (ScriptTexts.h), each the given
// length and starting at another place of the line.
std::vector<String> ScriptCellTexts(int k, size_t length) {
  std::vector<String> texts;
  for (unsigned v = 0; v < 8; ++v) {
    const String s = sk_bench::ScriptLine(k, length + 8 * v);
    texts.push_back(s.substr(std::min(s.size(), static_cast<size_t>(8 * v))));
  }
  return texts;
}

void BM_SimpleVirtualGridLongCells(benchmark::State& state) {
  App();
  const int kind = static_cast<int>(state.range(0));
  const auto length = static_cast<size_t>(state.range(1));
  std::vector<String> texts;
  for (unsigned k = 0; k < 64; ++k) texts.push_back(LongCellText(kind, length, k));
  PaintGridScreens(state, texts);
}
BENCHMARK(BM_SimpleVirtualGridLongCells)
    ->ArgNames({"kind", "chars"})
    ->Args({lk_latin, 600})
    ->Args({lk_cjk, 150})
    ->Args({lk_cjk_punctuated, 150})
    ->Args({lk_cjk, 600})
    ->Args({lk_cjk_punctuated, 600})
    ->Args({lk_arabic, 600})
    ->Unit(benchmark::kMillisecond);

// One 800 x 600 screen whose cells hold the lines of a script
// (ScriptTexts.h), each the given length and cut with the end ellipsis; with
// lines > 1 the cells are word-wrapped on that many lines. The label names the
// script; scripts/bench-peers prints each beside Latin, and cells of 1 MB
// beside cells of 2,000 units.
void PaintScriptCells(benchmark::State& state, int k, size_t length, Int32 lines) {
  App();
  const std::vector<String> texts = ScriptCellTexts(k, length);
  PaintGridScreens(state, texts, sk_bench::ScriptFont(k), lines);
  state.SetLabel(sk_bench::kScriptLines[k].name);
}

void BM_ScriptGridCells(benchmark::State& state) {
  PaintScriptCells(state, static_cast<int>(state.range(0)), 600, 1);
}
BENCHMARK(BM_ScriptGridCells)->DenseRange(0, sk_bench::kScriptCount - 1)->Unit(benchmark::kMillisecond);

// The same screens word-wrapped on two lines, for Latin (0) and the emoji
// posts and combining stacks (the last two scripts).
void BM_ScriptGridCellsWrapped(benchmark::State& state) {
  PaintScriptCells(state, static_cast<int>(state.range(0)), 600, 2);
}
BENCHMARK(BM_ScriptGridCellsWrapped)
    ->Arg(0)
    ->Arg(sk_bench::kScriptCount - 2)
    ->Arg(sk_bench::kScriptCount - 1)
    ->Unit(benchmark::kMillisecond);

// Qt's own elision of the same screens: each cell's text cut with
// QFontMetrics::elidedText at its end and drawn by a QPainter (word-wrapped
// cells drawn with Qt's word wrap, clipped to the cell).
class TQtElidedScreen {
 public:
  TQtElidedScreen(int k, Int32 lines)
      : fFont(QString::fromUtf16(sk_bench::ScriptFont(k)), 9), fLines(lines), fImage(800, 600, QImage::Format_RGB32) {
    for (const String& t : ScriptCellTexts(k, 600))
      fTexts.push_back(QString(reinterpret_cast<const QChar*>(t.data()), static_cast<qsizetype>(t.size())));
  }
  void Paint() {
    const QFontMetrics m(fFont);
    const int rowHeight = m.height() * 5 / 4 * fLines;
    QPainter p(&fImage);
    p.fillRect(fImage.rect(), Qt::white);
    p.setFont(fFont);
    for (int row = 0; row * rowHeight < 600; ++row)
      for (int col = 0; col < 2; ++col) {
        const QRect r(col == 0 ? 0 : 480, row * rowHeight, col == 0 ? 480 : 320, rowHeight);
        const QString& t = fTexts[static_cast<size_t>(row * 2 + col) % fTexts.size()];
        if (fLines > 1)
          p.drawText(r, Qt::TextWordWrap, t);
        else
          p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter, m.elidedText(t, Qt::ElideRight, r.width()));
      }
    p.end();
    benchmark::DoNotOptimize(fImage.constBits());
  }

 private:
  QFont fFont;
  Int32 fLines;
  QImage fImage;
  std::vector<QString> fTexts;
};

void BM_QtElidedScriptCells(benchmark::State& state) {
  App();
  const int k = static_cast<int>(state.range(0));
  TQtElidedScreen screen(k, static_cast<Int32>(state.range(1)));
  for (auto _ : state) screen.Paint();
  state.SetLabel(sk_bench::kScriptLines[k].name);
}
BENCHMARK(BM_QtElidedScriptCells)
    ->ArgNames({"script", "lines"})
    ->ArgsProduct({{0, sk_bench::kScriptCount - 2, sk_bench::kScriptCount - 1}, {1, 2}})
    ->Unit(benchmark::kMillisecond);

// The screens of a script (on one line or word-wrapped on two) painted by
// the grid, by Qt's own elision and by the grid with Latin cells of the same
// length, in turn in each iteration: the counters give the grid's processor
// time beside Qt's (vs_qt) and beside Latin's (vs_latin), measured in one run.
void BM_ScriptCellsRatios(benchmark::State& state) {
  App();
  const int k = static_cast<int>(state.range(0));
  const auto lines = static_cast<Int32>(state.range(1));
  const std::vector<String> texts = ScriptCellTexts(k, 600), latin = ScriptCellTexts(0, 600);
  TGridScreen ours(texts, sk_bench::ScriptFont(k), lines, al_left, false);
  TGridScreen plain(latin, sk_bench::ScriptFont(0), lines, al_left, false);
  TQtElidedScreen qt(k, lines);
  double spent[3]{};
  uint64_t measured = 0, laidOut = 0;
  for (auto _ : state) {
    const uint64_t m0 = gFitMeasurements.load(), u0 = gTextUnitsLaidOut.load();
    const double t0 = ThreadMs();
    ours.Paint();
    const double t1 = ThreadMs();
    measured += gFitMeasurements.load() - m0;
    laidOut += gTextUnitsLaidOut.load() - u0;
    qt.Paint();
    const double t2 = ThreadMs();
    plain.Paint();
    spent[0] += t1 - t0;
    spent[1] += t2 - t1;
    spent[2] += ThreadMs() - t2;
  }
  const auto ms = [&](int i) { return spent[i] / static_cast<double>(state.iterations()); };
  state.counters["ours_ms"] = ms(0);
  state.counters["qt_ms"] = ms(1);
  state.counters["latin_ms"] = ms(2);
  state.counters["vs_qt"] = ms(0) / std::max(ms(1), 1e-9);
  state.counters["vs_latin"] = ms(0) / std::max(ms(2), 1e-9);
  // Exact measurements and code units laid out for one screen of ours.
  state.counters["measured"] = static_cast<double>(measured) / static_cast<double>(state.iterations());
  state.counters["units"] = static_cast<double>(laidOut) / static_cast<double>(state.iterations());
  state.SetLabel(sk_bench::kScriptLines[k].name);
}
// The emoji posts, the combining stacks, and the lines opening with a flag
// or an isolate, on one line and word-wrapped on two.
BENCHMARK(BM_ScriptCellsRatios)
    ->ArgNames({"script", "lines"})
    ->ArgsProduct({{sk_bench::kScriptCount - 4, sk_bench::kScriptCount - 3, sk_bench::kScriptCount - 2,
                    sk_bench::kScriptCount - 1},
                   {1, 2}})
    ->Unit(benchmark::kMillisecond);

// Cells drawn without an ellipsis: Latin (0) and Arabic (5) cells of 20,000
// units and of 1 MB, centred (1), right-aligned (2), and left-aligned in a
// right-to-left grid (3), beside the same cells left-aligned with the end
// ellipsis (0); and lines of Arabic with Latin words and digits (-1) and of
// Latin with Arabic words in direction isolates (-2). The same screen of
// Latin cells is painted in turn in each iteration: vs_latin is the ratio of
// the processor times, measured in one run.
std::vector<String> UnelidedCellTexts(int k, size_t length) {
  if (k >= 0) return ScriptCellTexts(k, length);
  const String arabic = u"\u0627\u0644\u0633\u0644\u0627\u0645 \u0639\u0644\u064A\u0643\u0645 ";
  const String sentence = k == -1 ? arabic + u"corpus 1,250 (12) " + arabic + u"2023 lines, 3.5% "
                                  : u"the words \u2067" + arabic + u"\u2069 in a line (\u2066abc 12\u2069) ";
  std::vector<String> texts;
  for (size_t v = 0; v < 8; ++v) {
    String s;
    while (s.size() < length + 8 * v) s += sentence;
    texts.push_back(s.substr(8 * v, length));
  }
  return texts;
}

void BM_UnelidedLongCells(benchmark::State& state) {
  App();
  const int k = static_cast<int>(state.range(0));
  const auto length = static_cast<size_t>(state.range(1));
  const int how = static_cast<int>(state.range(2));
  const std::vector<String> texts = UnelidedCellTexts(k, length), latin = ScriptCellTexts(0, length);
  const TMyAlignment alignment = how == 1 ? al_centre : how == 2 ? al_right : al_left;
  const String font = sk_bench::ScriptFont(k < 0 ? 5 : k);
  TGridScreen ours(texts, font, 1, alignment, how == 3), plain(latin, sk_bench::ScriptFont(0), 1, alignment, how == 3);
  double spent[2]{};
  uint64_t laidOut = 0;
  for (auto _ : state) {
    const uint64_t u0 = gTextUnitsLaidOut.load();
    const double t0 = ThreadMs();
    ours.Paint();
    const double t1 = ThreadMs();
    laidOut += gTextUnitsLaidOut.load() - u0;
    plain.Paint();
    spent[0] += t1 - t0;
    spent[1] += ThreadMs() - t1;
  }
  const auto ms = [&](int i) { return spent[i] / static_cast<double>(state.iterations()); };
  state.counters["cells"] = ours.Cells();
  state.counters["ours_ms"] = ms(0);
  state.counters["latin_ms"] = ms(1);
  state.counters["vs_latin"] = ms(0) / std::max(ms(1), 1e-9);
  state.counters["units"] = static_cast<double>(laidOut) / static_cast<double>(state.iterations());
  state.SetLabel(k == -1 ? "arabic_latin_digits" : k == -2 ? "latin_isolates" : sk_bench::kScriptLines[k].name);
}
BENCHMARK(BM_UnelidedLongCells)
    ->ArgNames({"script", "chars", "how"})
    ->ArgsProduct({{0, 5, -1, -2}, {20000, 1 << 20}, {0, 1, 2, 3}})
    ->Unit(benchmark::kMillisecond);

// Latin (0) and Arabic (5) cells of 2,000 units and of 1 MB, on one line and
// word-wrapped on two.
void BM_LongCellGrid(benchmark::State& state) {
  PaintScriptCells(state, static_cast<int>(state.range(0)), static_cast<size_t>(state.range(1)),
                   static_cast<Int32>(state.range(2)));
}
BENCHMARK(BM_LongCellGrid)
    ->ArgNames({"script", "chars", "lines"})
    ->ArgsProduct({{0, 5}, {2000, 1 << 20}, {1, 2}})
    ->Unit(benchmark::kMillisecond);

// The cells of BM_LongCellGrid painted as the results grids paint them: 30
// rows of two cells (480 and 320 pixels) through the text drawer, in the
// script's direction.
void BM_LongCellDrawer(benchmark::State& state) {
  App();
  const int k = static_cast<int>(state.range(0));
  const size_t length = static_cast<size_t>(state.range(1));
  const Int32 lines = static_cast<Int32>(state.range(2));
  const std::vector<String> texts = ScriptCellTexts(k, length);
  const Cardinal lcid = k == 5 ? 0x0401 : k == 1 ? 0x0411 : 0x0409;
  TBitmap screen(800, 600);
  screen.Canvas().Font().SetName(sk_bench::ScriptFont(k));
  TMyTextDrawer d;
  TForegroundBackGroundColours colours, none;
  colours[fb_foregound] = clBlack;
  colours[fb_background] = clWhite;
  none[fb_foregound] = clNone;
  none[fb_background] = clNone;
  const Int32 rowHeight = 20 * lines;
  for (auto _ : state) {
    for (Int32 row = 0; row * rowHeight < 600; ++row)
      for (Int32 col = 0; col < 2; ++col) {
        const TRect r{col * 480, row * rowHeight, col == 0 ? 480 : 800, (row + 1) * rowHeight};
        d.DrawAChunkofTextStringGrid(texts[static_cast<size_t>(row * 2 + col) % texts.size()], screen.Canvas(), r,
                                     lcid, aligned_default, colours, none, lines > 1, false, nullptr);
      }
    benchmark::DoNotOptimize(screen.Image().constBits());
  }
  state.SetLabel(sk_bench::kScriptLines[k].name);
}
BENCHMARK(BM_LongCellDrawer)
    ->ArgNames({"script", "chars", "lines"})
    ->ArgsProduct({{0, 5}, {2000, 1 << 20}, {1, 2}})
    ->Unit(benchmark::kMillisecond);
// Japanese (1) beside Latin (0) in the text drawer: cells of 20,000 units and
// of 1 MB, on one line and word-wrapped on two.
BENCHMARK(BM_LongCellDrawer)
    ->Name("BM_JapaneseCellDrawer")
    ->ArgNames({"script", "chars", "lines"})
    ->ArgsProduct({{0, 1}, {20000, 1 << 20}, {1, 2}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QTableViewScreen)->Apply(Args);

// Paints the three screens of the rows five times each, for a count of
// instructions that does not depend on timing.
int PaintForCallgrind(Int32 rows) {
  auto g = MakeGrid(rows);
  QImage img(kWidth, kHeight, QImage::Format_RGB32);
  for (int where : {0, 1, 2}) {
    g->SetTopRow(TopFor(*g, where));
    for (int i = 0; i < 5; ++i) g->Widget()->render(&img);
  }
  return g->CellsPaintedLastTime() > 0 ? 0 : 1;
}

int PaintTableForCallgrind(int rows) {
  App();
  TableModel model(rows);
  QTableView view;
  SetUpView(view, model);
  QImage img(kWidth, kHeight, QImage::Format_RGB32);
  for (int where : {0, 1, 2}) {
    ScrollView(view, model, rows, where);
    for (int i = 0; i < 5; ++i) view.render(&img);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], "--paint-rows=", 13) == 0) return PaintForCallgrind(std::atoi(argv[i] + 13));
    else if (std::strncmp(argv[i], "--paint-table-rows=", 19) == 0)
      return PaintTableForCallgrind(std::atoi(argv[i] + 19));
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
