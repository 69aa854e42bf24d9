#include "demo_window_files.h"

#include <QtCore/QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "display/Simple_virtual_grid.h"
#include "platform/runtime/Strings.h"
#include "platform/visual/Screenshots.h"
#include "platform/visual/StandardControls.h"

using namespace sk;

namespace {

struct FileRow {
  String name;
  Int64 size = 0;
  std::filesystem::file_time_type modified;
  String date;
};

// The files of the folder that holds the example's sample text.
std::vector<FileRow> ListFiles() {
  namespace fs = std::filesystem;
  std::vector<FileRow> rows;
  std::error_code ec;
  const fs::path folder = fs::path(SK_SAMPLE_TEXT).parent_path();
  for (const fs::directory_entry& e : fs::directory_iterator(folder, ec)) {
    if (!e.is_regular_file(ec)) continue;
    FileRow r;
    r.name = Utf8ToString(e.path().filename().string());
    r.size = static_cast<Int64>(e.file_size(ec));
    r.modified = e.last_write_time(ec);
    const auto sys = std::chrono::time_point_cast<std::chrono::seconds>(
        std::chrono::file_clock::to_sys(r.modified));
    const std::time_t t = std::chrono::system_clock::to_time_t(sys);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M", std::localtime(&t));
    r.date = Utf8ToString(buf);
    rows.push_back(std::move(r));
  }
  return rows;
}

class FilesPage : public TForm {
 public:
  explicit FilesPage(TComponent* owner) : TForm(owner), fRows(ListFiles()) {
    SetCaption(u"Sharedkit files");
    SetPosition(poScreenCenter);
    SetClientWidth(520);
    SetClientHeight(300);
    auto* hint = new TLabel(this);
    hint->SetParent(this);
    hint->SetBounds(8, 6, 500, 18);
    hint->SetCaption(u"Click a heading to sort by it; click it again to reverse.");
    fGrid = new TQMSimpleVirtualGrid(this);
    fGrid->SetParent(this);
    fGrid->SetBounds(8, 28, 504, 264);
    fGrid->DefineHeaders({{u"name", 50, ct_string}, {u"size", 20, ct_integer}, {u"modified", 30, ct_date}});
    fGrid->fOnGetVirtualRows = [this](TCustomDrawGrid*) { return static_cast<Int32>(fRows.size()); };
    fGrid->fOnGetData = [this](Int32 col, Int32, Int32 row) {
      TStringColourAndAlignment d{String(), clWindowText, al_left};
      if (row < 0 || row >= static_cast<Int32>(fRows.size())) return d;
      const FileRow& f = fRows[static_cast<size_t>(row)];
      if (col == 0) {
        d.str = f.name;
        d.alignment = al_filename;
      } else if (col == 1) {
        d.str = IntToStr(f.size);
        d.alignment = al_right;
      } else {
        d.str = f.date;
        d.alignment = al_centre;
      }
      return d;
    };
    fGrid->fonGetWH_1Colour = [](TWordHandling1Colour) { return clNavy; };
    fGrid->fOnSortTheData = [this](Int32 col, bool ascending) { Sort(col, ascending); };
    fGrid->SetRowCountAndLineHeight();
  }

  TQMSimpleVirtualGrid& Grid() { return *fGrid; }

 private:
  void Sort(Int32 col, bool ascending) {
    auto less = [col](const FileRow& a, const FileRow& b) {
      if (col == 1) return a.size < b.size;
      if (col == 2) return a.modified < b.modified;
      return a.name < b.name;
    };
    std::stable_sort(fRows.begin(), fRows.end(),
                     [&](const FileRow& a, const FileRow& b) { return ascending ? less(a, b) : less(b, a); });
    fGrid->Invalidate();
  }

  std::vector<FileRow> fRows;
  TQMSimpleVirtualGrid* fGrid = nullptr;
};

}  // namespace

std::unique_ptr<TForm> MakeFilesPage(TComponent* owner) { return std::make_unique<FilesPage>(owner); }

bool SaveFilesPagePicture(TComponent* owner) {
  FilesPage page(owner);
  // As after one click on the size heading.
  page.Grid().LastHeaderColClicked = 1;
  page.Grid().ColumnSortAscends[1] = sort3_descending;
  page.Grid().fOnSortTheData(1, false);
  const String file = Utf8ToString(QCoreApplication::applicationDirPath().toStdString() + "/sk_demo_files.png");
  if (!SaveControlImage(page, file)) {
    std::fprintf(stderr, "the page of files could not be saved as %s\n", StringToUtf8(file).c_str());
    return false;
  }
  std::printf("the page of files was drawn offscreen and saved as %s\n", StringToUtf8(file).c_str());
  return true;
}
