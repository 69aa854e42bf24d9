#include "demo_window_results.h"

#include <QtCore/QCoreApplication>
#include <chrono>
#include <cstdio>

#include "analysis/Work_qm_base_sister.h"
#include "core/Qm_global_vars.h"
#include "display/QMGridCellHandler.h"
#include "display/QM_Grid.h"
#include "platform/visual/Screenshots.h"
#include "ui/Graphics_utilities.h"

using namespace sk;

std::unique_ptr<TQMSister> ConcordanceForWindow(const String& fileName, const String& word);

namespace {

// The page owns the list and the cell handler; the grid is one of its controls.
class ResultsPage : public TForm {
 public:
  ResultsPage(TComponent* owner, const String& fileName, const String& word)
      : TForm(owner), list(ConcordanceForWindow(fileName, word)) {
    SetCaption(u"Concordance of " + word);
    SetPosition(poScreenCenter);
    SetClientWidth(760);
    SetClientHeight(420);
    if (Global_Colours.arr[tsc_window] == Global_Colours.arr[tsc_windowtext]) Global_Colours = BogStandardColours();
    grid = new TQM_Grid(this);
    grid->SetParent(this);
    grid->SetAlign(alClient);
    grid->fCellmanager = &handler;
    Tfixed_lang_details lang{};
    lang.lcid = 0x0409;
    const String font = u"DejaVu Sans";
    std::copy(font.begin(), font.end(), lang.new_win_font.fontname.begin());
    lang.new_win_font.fontsize = 9;
    grid->MatchGridToListType(lt_concordance_list, grid_concordance, list.get());
    handler.SetLanguage(lang);
    grid->SetColumnWidths();
    grid->SetColWidths(1, 600);
    // A heading click sorts the lines again, the other way round.
    grid->FOnSort = [this](TQM_Grid* g, Int32, Int32, Int32, bool) {
      TSortSaveable& sv = list->QMSortSettings.saveable;
      sv.column_choices[main_sort].ascending = !sv.column_choices[main_sort].ascending;
      list->SortThem(0, list->Count() - 1);
      g->Invalidate();
    };
    grid->FonSaveToClipboard = [](TQM_Grid*, TQMClipboardSettings& s) {
      s.include_text = true;
      s.include_picture = true;
    };
  }
  std::unique_ptr<TQMSister> list;
  TQMGridCellHandler handler;
  TQM_Grid* grid = nullptr;
};

}  // namespace

std::unique_ptr<TForm> MakeResultsPage(TComponent* owner, const String& fileName, const String& word) {
  return std::make_unique<ResultsPage>(owner, fileName, word);
}

bool SaveResultsPagePicture(TComponent* owner, const String& fileName, const String& word) {
  auto page = std::make_unique<ResultsPage>(owner, fileName, word);
  TQM_Grid& g = *page->grid;
  const auto start = std::chrono::steady_clock::now();
  g.FocusCell(1, g.RowCount() - 1);  // the last line, at once
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  const std::string dir = QCoreApplication::applicationDirPath().toStdString();
  const String file = Utf8ToString(dir + "/sk_demo_results.png");
  if (!SaveControlImage(*page, file)) {
    std::fprintf(stderr, "the results page could not be saved as %s\n", StringToUtf8(file).c_str());
    return false;
  }
  std::printf("the concordance of %d lines in the results grid, jumped to the last line in %.2f ms (%lld cell "
              "records fetched), saved as %s\n",
              page->list->Count(), ms, static_cast<long long>(page->handler.RecordsFetched),
              StringToUtf8(file).c_str());
  return true;
}
