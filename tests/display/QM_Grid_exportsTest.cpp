// The results grid's exports: clipboard text and picture (also under
// column-total rows and from column 4 with the number column), header and
// footer placeholders, page layout with a tall first row, a PDF printed and
// read back through pdftoppm, and twelve timeline images with their zip and
// a failed save.
#include <gtest/gtest.h>

#include <QtGui/QClipboard>
#include <QtGui/QGuiApplication>
#include <QtGui/QImage>
#include <QtCore/QMimeData>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "ResultsGridTestSupport.h"
#include "TestSupport.h"
#include "core/Qm_global_vars.h"
#include "platform/runtime/DateUtils.h"
#include "platform/runtime/FileUtils.h"
#include "platform/visual/Printer.h"
#include "services/Qmbaseholderunit.h"
#include "ui/Graphics_utilities.h"

namespace sk {
namespace {

String ClipText() {
  const QMimeData* d = QGuiApplication::clipboard()->mimeData();
  return d != nullptr ? d->text().toStdU16String() : String();
}

std::string ClipData(const char* type) {
  const QMimeData* d = QGuiApplication::clipboard()->mimeData();
  if (d == nullptr) return std::string();
  const QByteArray b = d->data(type);
  return std::string(b.constData(), static_cast<size_t>(b.size()));
}

TEST(QM_Grid_clipboard, TextAndPictureOfTheSelection) {
  TGridFixture f(20);
  Global_Colours = BogStandardColours();
  f.grid->FonSaveToClipboard = [](TQM_Grid*, TQMClipboardSettings& s) {
    s.include_text = true;
    s.include_picture = true;
    s.include_heading_row = false;
    s.include_number_column = false;
  };
  f.grid->SetSelection(TGridRect{1, 3, 2, 4});
  f.grid->SaveToClipboard();
  EXPECT_EQ(ClipText(), u"w3\t3\r\nw4\t4\r\n");
  const std::string svg = ClipData("image/svg+xml");
  EXPECT_NE(svg.find("Quillmark Tools"), std::string::npos);
  EXPECT_FALSE(ClipData("image/png").empty());
  EXPECT_FALSE(f.list->DoingClipboardOperation);
  EXPECT_FALSE(f.list->ExportingReducedTextChars);
  EXPECT_EQ(f.grid->fOutputMode, pra_screen);
  // From column 1 without the number column the picture starts at that column.
  EXPECT_EQ(f.grid->fGridSelectionTopLeftPoint.X, f.grid->ColWidths(0));
  EXPECT_EQ(f.grid->WMetafile->Width(), f.grid->ColWidths(1) + f.grid->ColWidths(2));
  EXPECT_EQ(f.grid->WMetafile->Height(), 2 * f.grid->DefaultRowHeight());
}

TEST(QM_Grid_clipboard, ColumnTotalsLoseNoLineAndHeadingsAddTwo) {
  TGridFixture f(20);
  f.list->ColumnTotalRowsToShow = 2;
  f.grid->MatchRowCountToList();
  f.grid->FonSaveToClipboard = [](TQM_Grid*, TQMClipboardSettings& s) {
    s = TQMClipboardSettings{};
    s.include_text = true;
    s.include_heading_row = true;
  };
  f.grid->SetSelection(TGridRect{1, 5, 1, 7});  // entries 3 to 5
  f.grid->SaveToClipboard();
  EXPECT_EQ(ClipText(), u"Word\r\nw3\r\nw4\r\nw5\r\n\r\n");
}

TEST(QM_Grid_clipboard, NumberColumnThenColumnFourDirectly) {
  TGridFixture f(20);
  // Two more columns so that there is a column 4.
  for (int i = 0; i < 2; ++i) {
    TGrid_head h{};
    h.heading = u"X";
    h.original_column = static_cast<SmallInt>(3 + i);
    h.pixel_width96 = 50 + 10 * i;
    h.version = 1;
    f.list->GridHeadings()->AddOne(h);
  }
  f.grid->MatchGridToListType(lt_word_list, grid_none, f.list.get());
  f.grid->SetColumnWidths();
  f.grid->FonSaveToClipboard = [](TQM_Grid*, TQMClipboardSettings& s) {
    s = TQMClipboardSettings{};
    s.include_picture = true;
    s.include_number_column = true;
    s.include_heading_row = true;
  };
  f.grid->SetSelection(TGridRect{4, 2, 4, 3});
  f.grid->SaveToClipboard();
  const Int32 w0 = f.grid->ColWidths(0);
  EXPECT_EQ(f.grid->fGridSelectionTopLeftPoint.X, f.grid->ColWidths(1) + f.grid->ColWidths(2) + f.grid->ColWidths(3));
  EXPECT_EQ(f.grid->WMetafile->Width(), w0 + f.grid->ColWidths(4));
  EXPECT_EQ(f.grid->WMetafile->Height(), f.grid->RowHeights(0) + 2 * f.grid->DefaultRowHeight());
  // Column 4's cell sits right after column 0.
  const TRect cell = f.handler->ComputedCellRectForClipboard(4, 2, 1.0);
  EXPECT_EQ(cell.Left - f.grid->fGridSelectionTopLeftPoint.X, w0);
  EXPECT_EQ(cell.Top - f.grid->fGridSelectionTopLeftPoint.Y, f.grid->RowHeights(0));
}

TEST(QM_Grid_printing, HeaderAndFooterPlaceholders) {
  const String today = FormatDateTime(u"dd mmm yyyy", Date());
  struct Case {
    String text;
    Int32 page, total;
    String expected;
  } cases[] = {
      {u"<page number> on <date>", 3, 7, u"3 / 7 on " + today},
      {u"<page number> <page number> <date><date>", 3, 7, u"3 / 7 <page number> " + today + u"<date>"},
      {u"<page number>", 0, 7, u"<page number>"},
      {u"plain", 1, 1, u"plain"},
      {u"", 1, 1, u""},
  };
  for (const Case& c : cases) EXPECT_EQ(TQM_Grid::PrintFormattedHeaderOrFooter(c.text, c.page, c.total), c.expected);
}

TEST(QM_Grid_printing, ATallFirstRowMakesNoEmptyPage) {
  TGridFixture f(5);
  TPrinterOrganiser& org = *f.handler->fPrintOrganiser;
  org.fp_rec.PrintToScreenRatio = 1.0f;
  org.fp_rec.PrinterPrint_to_height = 100;
  org.fp_ini_preferences.HeaderWanted = 0;
  org.fp_ini_preferences.FooterWanted = 0;
  const Int32 line = f.grid->DefaultRowHeight() + f.grid->GridLineWidth();
  f.grid->SetRowHeights(0, 300);  // taller than a page
  const Int32 second = f.grid->PrintComputePageSizes();
  // Page 1 holds the tall row alone; the others follow.
  EXPECT_EQ(second, 1);
  const T1LongintList& starts = *f.grid->print_pre_output.pg_start_line;
  EXPECT_EQ(starts.GetAValue(0), 0);
  EXPECT_EQ(starts.GetAValue(1), 1);
  EXPECT_EQ(starts.GetAValue(starts.Count() - 1), f.grid->RowCount());
  EXPECT_EQ(f.grid->print_pre_output.total_pages, starts.Count() - 1);
  const Int32 perPage = 100 / line;
  EXPECT_EQ(f.grid->print_pre_output.total_pages, 1 + (5 + perPage - 1) / perPage);
  // Everything on one page: the result is 0.
  f.grid->SetRowHeights(0, f.grid->DefaultRowHeight());
  org.fp_rec.PrinterPrint_to_height = 10000;
  EXPECT_EQ(f.grid->PrintComputePageSizes(), 0);
  EXPECT_EQ(f.grid->print_pre_output.total_pages, 1);
  // A page beyond the computed ones prints nothing.
  TBitmap b(50, 50);
  f.grid->PrintOutputAPage(b.Canvas(), 5, false);
}

// Ink (not near white) in a rectangle of an image.
int Ink(const QImage& img, int x0, int y0, int x1, int y1) {
  int n = 0;
  for (int y = std::max(0, y0); y < std::min(img.height(), y1); ++y)
    for (int x = std::max(0, x0); x < std::min(img.width(), x1); ++x)
      if (qGray(img.pixel(x, y)) < 160) ++n;
  return n;
}

TEST(QM_Grid_printing, PdfPagesHeaderFooterAndCells) {
  if (std::system("command -v pdftoppm >/dev/null 2>&1") != 0) GTEST_SKIP() << "pdftoppm is not installed";
  ScratchFolder dir("sk_print");
  TGridFixture f(120);
  Global_Colours = BogStandardColours();
  TPrinter* printer = Printer();
  ASSERT_NE(printer, nullptr);
  printer->SetPdfFile(dir.File("out.pdf"), 96);
  TPrinterOrganiser& org = *f.handler->fPrintOrganiser;
  org.GetCurrentPrinterInfo();
  org.SetHeaderOrFooterAndWanted(u"HEADER <page number>", true, true);
  org.SetHeaderOrFooterAndWanted(u"<page number>", false, true);
  f.grid->SetSelection(TGridRect{1, 1, 2, 1});
  f.grid->PrintComputePageSizes();
  const Int32 pages = f.grid->print_pre_output.total_pages;
  ASSERT_GE(pages, 2);
  org.fp_choice.first_page = 0;
  org.fp_choice.last_page = pages - 1;
  org.fp_choice.Selection = TGridRect{1, 0, 2, 0};
  f.grid->fOutputMode = pra_printer;
  printer->BeginDoc();
  for (Int32 p = 0; p < pages; ++p) f.grid->PrintOutputAPage(printer->Canvas(), p, false);
  printer->EndDoc();
  f.grid->fOutputMode = pra_screen;
  FreePrinter();
  // The file has the computed number of pages.
  const std::string pdf = dir.Path("out.pdf");
  ASSERT_EQ(std::system(("pdftoppm -r 96 -png '" + pdf + "' '" + dir.Path("pg") + "'").c_str()), 0);
  int found = 0;
  for (int i = 1; i <= pages + 1; ++i) {
    for (const char* form : {"%d", "%02d", "%03d"}) {
      char n[16];
      std::snprintf(n, sizeof n, form, i);
      if (FileExists(Utf8ToString(dir.Path(std::string("pg-") + n + ".png")))) ++found;
    }
  }
  EXPECT_EQ(found, pages);
  QImage page1;
  for (const char* n : {"pg-1.png", "pg-01.png", "pg-001.png"})
    if (page1.load(QString::fromStdString(dir.Path(n)))) break;
  ASSERT_FALSE(page1.isNull());
  // Printable area: one inch in from each edge of the paint rectangle.
  const TRect area = org.fp_rec.print_to_area;
  const int dx = (page1.width() - (org.fp_rec.print_area_in_print_dots.Right)) / 2;
  const int dy = (page1.height() - (org.fp_rec.print_area_in_print_dots.Bottom)) / 2;
  // Header at the top left, footer at the bottom right, nothing in the margin.
  EXPECT_GT(Ink(page1, dx + area.Left, dy + area.Top, dx + area.Left + 120, dy + area.Top + 20), 10);
  EXPECT_GT(Ink(page1, dx + area.Right - 60, dy + area.Bottom - 30, dx + area.Right + 2, dy + area.Bottom + 2), 5);
  EXPECT_EQ(Ink(page1, 0, 0, dx + area.Left - 5, dy + area.Top - 5), 0);
  // The cells: the words of column 1 below the header.
  EXPECT_GT(Ink(page1, dx + area.Left + f.grid->ColWidths(0), dy + area.Top + 40,
                dx + area.Left + f.grid->ColWidths(0) + f.grid->ColWidths(1), dy + area.Top + 200),
            20);
}

struct TimelineFixture : TGridFixture {
  TimelineFixture() : TGridFixture(3, 500, 300, lt_conc_timeline_list) {
    TGrid_head plot{};
    plot.heading = u"Plot";
    plot.original_column = 3;
    plot.alignment = aligned_plotting;
    plot.pixel_width96 = 120;
    plot.version = 1;
    list->GridHeadings()->AddOne(plot);
    list->Patroa = &holder;
    holder.ExportRec.settings.export_timeline_segments_separately = true;
    grid->MatchGridToListType(lt_conc_timeline_list, grid_none, list.get());
    grid->SetColumnWidths();
    list->tweak = [](Int32 col, Int32 row, TGrid_data_rec& rec) {
      if (col != 3 || row < 1) return;
      rec.data_type = ddt_dateplot;
      rec.timeline_data.periods = 12;
      rec.timeline_data.basis = tlpb_months;
      rec.timeline_data.total_words = 120;
      rec.timeline_data.wordcounts.assign(12, 10);
      rec.timeline_data_scores.assign(12, 0.5f);
      for (Int32 m = 1; m <= 12; ++m) rec.timeline_datearr.push_back(TYearMonthDay{2020, m, 1});
    };
  }
  ~TimelineFixture() { list->Patroa = nullptr; }
  TQMBaseHolder holder;
};

TEST(QM_Grid_timeline, TwelveImagesAndTheirZip) {
  ScratchFolder dir("sk_timeline");
  TimelineFixture f;
  std::vector<String> zipped;
  String zipName;
  ZipASeriesOfFilesToHook = [&](const std::vector<String>& files, const String& name, Int32 mode, bool) {
    zipped = files;
    zipName = name;
    EXPECT_EQ(mode, 0);
    return true;
  };
  const String target = dir.File("plot.zip");
  EXPECT_TRUE(f.grid->ExportedDataTo(target, true, false));
  ASSERT_EQ(zipped.size(), 12u);
  EXPECT_EQ(zipName, target);
  for (size_t i = 0; i < zipped.size(); ++i) {
    const String name = ExtractFileName(zipped[i]);
    EXPECT_EQ(name.rfind(u"plot_", 0), 0u) << StringToUtf8(name);
    EXPECT_NE(name.find(u"_(col_" + IntToStr(static_cast<Int32>(i) + 1) + u").bmp"), String::npos)
        << StringToUtf8(name);
    EXPECT_TRUE(FileExists(zipped[i]));
    QImage img;
    EXPECT_TRUE(img.load(QString::fromStdU16String(zipped[i])));
  }
  EXPECT_EQ(f.grid->fOutputMode, pra_screen);
  EXPECT_EQ(Screen().Cursor(), crDefault);
  // Without the zip glue the images stay and the export is false.
  ZipASeriesOfFilesToHook = nullptr;
  EXPECT_FALSE(f.grid->ExportedDataTo(target, true, false));
  EXPECT_TRUE(f.grid->ExportedDataTo(target, false, false));
}

TEST(QM_Grid_timeline, AFailedSaveStopsSavingAndZipping) {
  TimelineFixture f;
  bool zipCalled = false;
  ZipASeriesOfFilesToHook = [&](const std::vector<String>&, const String&, Int32, bool) {
    zipCalled = true;
    return true;
  };
  EXPECT_FALSE(f.grid->ExportedDataTo(u"/nonexistent-folder-for-sk/plot.zip", true, false));
  EXPECT_FALSE(zipCalled);
  ZipASeriesOfFilesToHook = nullptr;
  // Other list kinds export nothing.
  TGridFixture words(3);
  EXPECT_FALSE(words.grid->ExportedDataTo(u"/tmp/x.zip", false, false));
}

}  // namespace
}  // namespace sk
