// Painting one screen of the results grid (the grid, its cell handler and
// the text drawer over a results list) at the top, the middle and the end of
// 1,000 and of 1,000,000 entries, 500 x 300 pixels on the offscreen platform.
// The list answers every cell from the entry's number, padded so that a
// cell's text is as long in a million entries as in a thousand.
//
//   bench_results_grid                   the Google Benchmark run (painting,
//                                        and clipboard copies of 1,000 and
//                                        8,000 rows with their time ratio)
//   bench_results_grid --paint-rows=N    paints the three screens of N
//                                        entries five times each and ends
//                                        (for valgrind --tool=callgrind
//                                        --toggle-collect='*PaintScreens*')
//   bench_results_grid --sort-rows=N     sorts N entries after a heading click
//                                        with the grid repainted at every
//                                        yield; prints the time, the longest
//                                        gap between yields and the cells
//                                        those repaints fetched
#include <benchmark/benchmark.h>

#include <QtGui/QFont>
#include <QtGui/QImage>
#include <QtWidgets/QApplication>
#include <QtWidgets/QWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <utility>

#include "analysis/Headingsu.h"
#include "analysis/Work_qm_base_sister.h"
#include "core/Global_vars.h"
#include "core/Qm_global_vars.h"
#include "display/QMGridCellHandler.h"
#include "display/QM_Grid.h"
#include "platform/runtime/Strings.h"
#include "ui/Graphics_utilities.h"

namespace {

using namespace sk;

constexpr int kWidth = 500;
constexpr int kHeight = 300;

QApplication* App() {
  static QApplication* app = [] {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "bench_results_grid";
    static char* argv[] = {name, nullptr};
    auto* a = new QApplication(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    Global_Colours = BogStandardColours();
    return a;
  }();
  return app;
}

// Entries are one shared blank entry; cells come from the entry's number.
class TBenchList : public TQMSister {
 public:
  explicit TBenchList(Int32 n)
      : TQMSister(nullptr, nullptr, {}, {}, {}, {}, grid_none, lt_word_list, 0), fEntry(this, nullptr) {
    auto heads = std::make_unique<TGridHeaderList>(lt_word_list);
    const char16_t* names[] = {u"N", u"Word", u"Freq"};
    for (SmallInt i = 0; i < 3; ++i) {
      TGrid_head h{};
      h.heading = names[i];
      h.original_column = i;
      h.pixel_width96 = i == 1 ? 240 : 100;
      h.numerical = i == 2 ? 1 : 0;
      h.version = 1;
      heads->AddOne(h);
    }
    SetGridHeadings(std::move(heads));
    SetCapacity(n);
    for (Int32 i = 0; i < n; ++i) Add(&fEntry);
  }
  ~TBenchList() override {
    while (Count() > 0) TQMBaseDataClass::RemoveAnEntry(Count() - 1);
  }
  TGrid_data_rec DrawgridDataRec(Int32 column, Int32 gridRow, TGrid_alternatives gridKind) override {
    TGrid_data_rec rec = TQMBaseDataClass::DrawgridDataRec(column, gridRow, gridKind);
    if (gridRow >= 1 && column == 1) {
      String n = IntToStr(gridRow);
      if (n.size() < 7) n.insert(0, 7 - n.size(), u'0');
      rec.cluster_tokens = {TStringTag{u"word " + n, String(), 0}};
    }
    if (gridRow >= 1 && column == 2) {
      rec.data_type = ddt_number;
      rec.n_and_disp.computed_value = 1000000 + gridRow % 7;
    }
    return rec;
  }

 private:
  TQMBaseListObject fEntry;
};

struct TBenchGrid {
  explicit TBenchGrid(Int32 n) : list(n) {
    App();
    grid = std::make_unique<TQM_Grid>(nullptr);
    grid->SetBounds(0, 0, kWidth, kHeight);
    grid->fCellmanager = &handler;
    grid->MatchGridToListType(lt_word_list, grid_none, &list);
    grid->SetColumnWidths();
  }
  void Top(int where) {
    grid->SetTopRow(where == 0 ? 1 : where == 1 ? grid->RowCount() / 2 : grid->MaxTopRow());
  }
  TBenchList list;
  TQMGridCellHandler handler;
  std::unique_ptr<TQM_Grid> grid;
};

void BM_ResultsGridScreen(benchmark::State& state) {
  TBenchGrid g(static_cast<Int32>(state.range(0)));
  g.Top(static_cast<int>(state.range(1)));
  QImage img(kWidth, kHeight, QImage::Format_RGB32);
  for (auto _ : state) {
    g.grid->Widget()->render(&img);
    benchmark::DoNotOptimize(img.constBits());
  }
  state.counters["cells"] = g.grid->CellsPaintedLastTime();
}

void Args(benchmark::internal::Benchmark* b) {
  for (int rows : {1000, 1000000})
    for (int where : {0, 1, 2}) b->Args({rows, where});
  b->ArgNames({"rows", "where"});
}

BENCHMARK(BM_ResultsGridScreen)->Apply(Args);

// Mean seconds of one copy by (rows, picture), for the ratios printed after
// the run.
std::map<std::pair<int, int>, double>& CopySeconds() {
  static std::map<std::pair<int, int>, double> seconds;
  return seconds;
}

// Ctrl+Insert over the first n entries (all three columns), as text alone
// and with the picture, on a list of 64,000 entries; rows per second, the
// bytes of text and of picture per row, and the host's yields.
void BM_ClipboardCopy(benchmark::State& state) {
  const Int32 rows = static_cast<Int32>(state.range(0));
  const bool picture = state.range(1) != 0;
  TBenchGrid g(64000);
  g.grid->FonSaveToClipboard = [picture](TQM_Grid*, TQMClipboardSettings& s) {
    s = TQMClipboardSettings{};
    s.include_text = true;
    s.include_picture = picture;
  };
  g.grid->SetSelection(TGridRect{1, 1, 2, rows});
  Int64 yields = 0;
  Global_YieldProcessProc = [&yields] { ++yields; };
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) g.grid->SaveToClipboard();
  CopySeconds()[{rows, picture ? 1 : 0}] =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() /
      static_cast<double>(state.iterations());
  Global_YieldProcessProc = nullptr;
  state.SetItemsProcessed(state.iterations() * rows);
  Int64 textBytes = 0;
  for (Int32 i = 0; i < g.grid->Clipboard_Stringlist->Count(); ++i)
    textBytes += static_cast<Int64>(g.grid->Clipboard_Stringlist->Get(i).size()) * 2;
  state.counters["text_B_per_row"] = static_cast<double>(textBytes) / rows;
  state.counters["picture_B_per_row"] = static_cast<double>(g.grid->WMetafile->SvgData().size()) / rows;
  state.counters["yields"] = static_cast<double>(yields) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_ClipboardCopy)
    ->ArgsProduct({{1000, 8000}, {0, 1}})
    ->ArgNames({"rows", "picture"})
    ->Unit(benchmark::kMillisecond);

// The painting alone, for --toggle-collect=*PaintScreens*: building the list
// of a million entries is not counted.
__attribute__((noinline)) void PaintScreens(TBenchGrid& g, QImage& img) {
  for (int where : {0, 1, 2}) {
    g.Top(where);
    for (int i = 0; i < 5; ++i) g.grid->Widget()->render(&img);
  }
}

int PaintForCallgrind(Int32 rows) {
  TBenchGrid g(rows);
  QImage img(kWidth, kHeight, QImage::Format_RGB32);
  g.grid->Widget()->render(&img);  // fonts and caches made before counting
  PaintScreens(g, img);
  return g.grid->CellsPaintedLastTime() > 0 ? 0 : 1;
}

// Entries with a key each, sorted on it by the list's sort engine.
class TKeyEntry : public TQMBaseListObject {
 public:
  using TQMBaseListObject::TQMBaseListObject;
  String key;
};

class TSortBenchList : public TBenchList {
 public:
  explicit TSortBenchList(Int32 n) : TBenchList(0) {
    SetCapacity(n);
    UInt64 x = 88172645463325252ull;
    for (Int32 i = 0; i < n; ++i) {
      x ^= x << 13;
      x ^= x >> 7;
      x ^= x << 17;
      auto* e = new TKeyEntry(this, nullptr);
      e->key = u"w" + IntToStr(static_cast<Int32>(x % 1000000u));
      Add(e);
    }
    TSortSettings& s = QMSortSettings;
    s.comparesorts[main_sort] = [this](TObject* o) {
      const String& k = static_cast<TKeyEntry*>(o)->key;
      return k < pivot ? -1 : k == pivot ? 0 : 1;
    };
    s.saveable.column_choices[main_sort].ascending = true;
    s.saveable.SortBytes[main_sort] = 1;
    s.saveable.SortLevelsAvailable = main_sort;
  }
  ~TSortBenchList() override {
    while (Count() > 0) {
      TQMBaseListObject* e = Get(Count() - 1);
      TQMBaseDataClass::RemoveAnEntry(Count() - 1);
      delete e;
    }
  }
  void SetBase(TQMBaseListObject* entry, TSortLevel) override { pivot = static_cast<TKeyEntry*>(entry)->key; }
  String pivot;
};

// A heading click sorts n entries while the yield hook repaints the grid:
// prints the sort's time, the longest gap between yields and the cells
// fetched by those repaints.
int SortWithRepaints(Int32 n) {
  App();
  TSortBenchList list(n);
  TQMGridCellHandler handler;
  TQM_Grid grid(nullptr);
  grid.SetBounds(0, 0, kWidth, kHeight);
  grid.fCellmanager = &handler;
  grid.MatchGridToListType(lt_word_list, grid_none, &list);
  grid.SetColumnWidths();
  QImage img(kWidth, kHeight, QImage::Format_RGB32);
  using Clock = std::chrono::steady_clock;
  Clock::time_point last = Clock::now();
  Clock::duration longest{};
  Int64 yields = 0, fetched = 0;
  Global_YieldProcessProc = [&] {
    const Clock::time_point now = Clock::now();
    longest = std::max(longest, now - last);
    const Int64 before = handler.RecordsFetched;
    grid.Widget()->render(&img);
    fetched += handler.RecordsFetched - before;
    ++yields;
    last = Clock::now();
  };
  grid.FOnSort = [](TQM_Grid* g, Int32, Int32, Int32, bool) {
    g->fCurrentQMList->SortThem(0, g->fCurrentQMList->Count() - 1);
  };
  const Clock::time_point start = Clock::now();
  last = start;
  grid.DoRow0Click(1);
  const auto ms = [](Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); };
  const double total = ms(Clock::now() - start);
  Global_YieldProcessProc = nullptr;
  std::printf("sorted %d entries after a heading click in %.1f ms; %lld yields, longest gap %.2f ms; "
              "records fetched by repaints during the sort: %lld\n",
              n, total, static_cast<long long>(yields), ms(longest), static_cast<long long>(fetched));
  return fetched == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], "--paint-rows=", 13) == 0) return PaintForCallgrind(std::atoi(argv[i] + 13));
    else if (std::strncmp(argv[i], "--sort-rows=", 12) == 0) return SortWithRepaints(std::atoi(argv[i] + 12));
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  for (const int picture : {0, 1}) {
    const auto& t = CopySeconds();
    const auto small = t.find({1000, picture}), large = t.find({8000, picture});
    if (small != t.end() && large != t.end() && small->second > 0)
      std::printf("clipboard copy%s, 8,000 rows vs 1,000: %.2f times the time (8 would be in proportion)\n",
                  picture ? " with the picture" : " of text", large->second / small->second);
  }
  benchmark::Shutdown();
  return 0;
}
