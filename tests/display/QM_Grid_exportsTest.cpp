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
#include <random>
#include <string>

#include "ResultsGridTestSupport.h"
#include "TestSupport.h"
#include "core/CoreTestSupport.h"
#include "core/Qm_global_vars.h"
#include "platform/runtime/DateUtils.h"
#include "platform/runtime/FileUtils.h"
#include "platform/visual/Clipboard.h"
#include "platform/visual/Metafiles.h"
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

// The text a copy of entries 1 to rows (below a million) of columns 1 and 2
// gives: numbers show their thousands separated.
String CopiedWords(Int32 rows) {
  String t;
  for (Int32 r = 1; r <= rows; ++r) {
    String n = IntToStr(r % 1000);
    if (r >= 1000) n = IntToStr(r / 1000) + u"," + String(3 - n.size(), u'0') + n;
    t += u"w" + IntToStr(r) + u"\t" + n + u"\r\n";
  }
  return t;
}

// A copy fetches each cell once, records a picture only when one is wanted
// and then at a cost per row that does not grow with the rows, and yields
// (the host repainting the grid each time) without a line changing.
TEST(QM_Grid_clipboard, ACopyCostsWhatItCopiesAndYields) {
  TGridFixture f(8000);
  Global_Colours = BogStandardColours();
  EveryCheckYields everyCheck;
  bool picture = false;
  f.grid->FonSaveToClipboard = [&picture](TQM_Grid*, TQMClipboardSettings& s) {
    s = TQMClipboardSettings{};
    s.include_text = true;
    s.include_picture = picture;
  };
  QImage screen(400, 300, QImage::Format_RGB32);
  // Cells fetched by the copy (not by the repaints), and the most of them
  // between two yields.
  Int64 yields = 0, atYield = 0, longest = 0, byRepaints = 0, fetchedBefore = 0;
  const auto copiedCells = [&] { return f.list->fetched - fetchedBefore - byRepaints; };
  Global_YieldProcessProc = [&] {
    ++yields;
    longest = std::max(longest, copiedCells() - atYield);
    atYield = copiedCells();
    // At a few of the yields the host repaints the grid.
    if (yields > 64 || yields % 8 != 1) return;
    const Int64 before = f.list->fetched;
    f.grid->Widget()->render(&screen);
    byRepaints += f.list->fetched - before;
  };
  double svgPerRow[2] = {0, 0};
  const Int32 sizes[] = {1000, 8000};
  for (const bool withPicture : {false, true}) {
    for (int k = 0; k < 2; ++k) {
      const Int32 rows = sizes[k];
      SCOPED_TRACE(testing::Message() << rows << " rows, picture " << withPicture);
      picture = withPicture;
      // Rows of their own height inside the selection and above it.
      f.grid->SetRowHeights(1, 40);
      f.grid->SetRowHeights(rows / 2, 50);
      f.grid->SetSelection(TGridRect{1, 1, 2, rows});
      yields = atYield = longest = byRepaints = 0;
      fetchedBefore = f.list->fetched;
      f.grid->SaveToClipboard();
      longest = std::max(longest, copiedCells() - atYield);
      EXPECT_EQ(copiedCells(), 2 * static_cast<Int64>(rows));  // one fetch a cell
      EXPECT_EQ(ClipText(), CopiedWords(rows));
      EXPECT_GE(yields, rows / 1000);
      EXPECT_LE(longest, 2 * 4096);  // rows between two yields, two cells each
      EXPECT_EQ(f.grid->fOutputMode, pra_screen);
      Int64 height = 0;
      for (Int32 r = 1; r <= rows; ++r) height += f.grid->RowHeights(r);
      EXPECT_EQ(f.grid->WMetafile->Height(), height);
      if (!withPicture) {
        EXPECT_TRUE(f.grid->WMetafile->SvgData().empty());
        EXPECT_TRUE(ClipData("image/svg+xml").empty());
      } else {
        svgPerRow[k] = static_cast<double>(ClipData("image/svg+xml").size()) / rows;
        EXPECT_GT(svgPerRow[k], 100);
        EXPECT_LT(svgPerRow[k], 4096);
      }
      f.grid->SetRowHeights(rows / 2, f.grid->DefaultRowHeight());
    }
  }
  EXPECT_LT(svgPerRow[1], 1.1 * svgPerRow[0]);
  Global_YieldProcessProc = nullptr;
}

// What the host does from a yield of a copy: a Stop, another selection or
// another list ends the copy and leaves the clipboard as it was; a second
// copy asked for meanwhile is not started over the first.
TEST(QM_Grid_clipboard, AStopOrAChangeMidCopyLeavesTheClipboardAsItWas) {
  TGridFixture f(3000);
  TCountingList other(10);
  EveryCheckYields everyCheck;
  f.grid->FonSaveToClipboard = [](TQM_Grid*, TQMClipboardSettings& s) {
    s = TQMClipboardSettings{};
    s.include_text = true;
    s.include_picture = true;
  };
  struct Case {
    const char* name;
    std::function<void(TGridFixture&)> atSecondYield;
    bool copied;
  } cases[] = {
      {"stop", [](TGridFixture&) { global_panic_state = panic_stop_asap; }, false},
      {"selection", [](TGridFixture& g) { g.grid->SetSelection(TGridRect{1, 5, 1, 6}); }, false},
      {"list", [&other](TGridFixture& g) { g.grid->MatchGridToListType(lt_word_list, grid_none, &other); }, false},
      {"copy again", [](TGridFixture& g) { g.grid->SaveToClipboard(); }, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    f.grid->MatchGridToListType(lt_word_list, grid_none, f.list.get());
    f.grid->SetSelection(TGridRect{1, 1, 2, 3000});
    ASSERT_TRUE(ClipboardSetText(u"before"));
    int yields = 0;
    Global_YieldProcessProc = [&] {
      if (++yields == 2) c.atSecondYield(f);
    };
    f.grid->SaveToClipboard();
    Global_YieldProcessProc = nullptr;
    global_panic_state = panic_no_panic;
    EXPECT_GE(yields, 2);
    EXPECT_EQ(ClipText(), c.copied ? CopiedWords(3000) : String(u"before"));
    EXPECT_EQ(ClipData("image/svg+xml").empty(), !c.copied);
    EXPECT_EQ(f.grid->fOutputMode, pra_screen);
    EXPECT_FALSE(f.list->DoingClipboardOperation);
    EXPECT_FALSE(f.list->ExportingReducedTextChars);
  }
}

// Each cell's place in the picture is the sum of the rows above it, whatever
// rows have heights of their own (the old walk over every row as the
// reference).
TEST(QM_Grid_clipboard, CellPlacesMatchTheRowsAboveThem) {
  TGridFixture f(300);
  std::mt19937 rnd(7);
  for (int i = 0; i < 60; ++i) f.grid->SetRowHeights(static_cast<Int32>(rnd() % 300), 10 + static_cast<Int32>(rnd() % 60));
  for (const Double scale : {1.0, 1.25}) {
    Int64 top = 0;
    for (Int32 r = 0; r < f.grid->RowCount(); ++r) {
      const TRect cell = f.handler->ComputedCellRectForClipboard(2, r, scale);
      ASSERT_EQ(cell.Top, static_cast<Int32>(std::nearbyint(top * scale))) << r;
      ASSERT_EQ(cell.Bottom, static_cast<Int32>(std::nearbyint((top + f.grid->RowHeights(r)) * scale))) << r;
      top += f.grid->RowHeights(r);
    }
  }
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

// A column wider than the printable width beside the number column is
// printed cut to the page, so a concordance column as wide as the screen
// prints its lines; a column that only does not fit what the row has left
// still ends the row, unprinted.
TEST(QM_Grid_printing, AColumnWiderThanThePageIsPrintedCutToIt) {
  TGridFixture f(12);
  Global_Colours = BogStandardColours();
  f.list->tweak = [](Int32 col, Int32 row, TGrid_data_rec& rec) {
    if (col == 2 && row >= 1) rec.n_and_disp.computed_value = 700 + row;
  };
  TPrinterOrganiser& org = *f.handler->fPrintOrganiser;
  org.fp_rec.PrintToScreenRatio = 1.0f;
  org.fp_rec.print_to_area = TRect{0, 0, 500, 800};
  org.fp_rec.PrinterPrint_to_Width = 500;
  org.fp_rec.PrinterPrint_to_height = 800;
  org.fp_ini_preferences.HeaderWanted = 0;
  org.fp_ini_preferences.FooterWanted = 0;
  f.grid->SetColWidths(0, 40);
  struct Case {
    Int32 width1, width2;
    bool words, numbers;
  } cases[] = {
      {600, 80, true, false},   // wider than the page: cut to it, and the row ends there
      {480, 80, true, false},   // narrower than the page, wider than the room beside column 0
      {300, 80, true, true},    // both fit
      {300, 400, true, false},  // column 2 fits beside column 0 but not the row: left out
      {100, 700, true, true},   // column 2 wider than the page: cut after column 1
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width1 << " + " << c.width2);
    f.grid->SetColWidths(1, c.width1);
    f.grid->SetColWidths(2, c.width2);
    f.grid->SetSelection(TGridRect{1, 1, 2, 1});
    ASSERT_EQ(f.grid->PrintComputePageSizes(), 0);
    org.fp_choice.first_page = org.fp_choice.last_page = 0;
    org.fp_choice.Selection = TGridRect{1, 0, 2, 0};
    TMetafile page;
    page.SetSize(600, 800);
    f.grid->fOutputMode = pra_printer;
    {
      TMetafileCanvas canvas(page);
      f.grid->PrintOutputAPage(canvas, 0, false);
    }
    f.grid->fOutputMode = pra_screen;
    const TBytes& svg = page.SvgData();
    const std::string text(svg.begin(), svg.end());
    for (const char* word : {">w1<", ">w7<", ">w12<"})
      EXPECT_EQ(text.find(word) != std::string::npos, c.words) << word;
    for (const char* number : {">701<", ">712<"})
      EXPECT_EQ(text.find(number) != std::string::npos, c.numbers) << number;
  }
}

// A Stop while the pages are laid out leaves no page to print.
TEST(QM_Grid_printing, AStopWhileLayingOutPagesLeavesNoPages) {
  TGridFixture f(3000);
  TPrinterOrganiser& org = *f.handler->fPrintOrganiser;
  org.fp_rec.PrintToScreenRatio = 1.0f;
  org.fp_rec.PrinterPrint_to_height = 500;
  EveryCheckYields everyCheck;
  int yields = 0;
  Global_YieldProcessProc = [&] {
    if (++yields == 2) global_panic_state = panic_stop_asap;
  };
  EXPECT_EQ(f.grid->PrintComputePageSizes(), 0);
  Global_YieldProcessProc = nullptr;
  global_panic_state = panic_no_panic;
  EXPECT_EQ(yields, 2);
  EXPECT_EQ(f.grid->print_pre_output.total_pages, 0);
  EXPECT_EQ(f.grid->print_pre_output.pg_start_line->Count(), 0);
  // Without a Stop the same list lays out in pages, yielding by time.
  EXPECT_GT(f.grid->PrintComputePageSizes(), 0);
  EXPECT_GT(f.grid->print_pre_output.total_pages, 50);
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

TEST(QM_Grid_printing, TextKeepsItsSizeOnPaperAtEveryResolution) {
  if (std::system("command -v pdftotext >/dev/null 2>&1") != 0) GTEST_SKIP() << "pdftotext is not installed";
  ScratchFolder dir("sk_print_dpi");
  TGridFixture f(20);
  Global_Colours = BogStandardColours();
  std::vector<std::vector<double>> heights;  // of the words on page 1, in points, the header's first
  for (const Int32 dpi : {96, 300, 600, 1200}) {
    const std::string pdf = dir.Path("p.pdf"), html = dir.Path("p.html");
    Printer()->SetPdfFile(Utf8ToString(pdf), dpi);
    f.handler->fPrintOrganiser->GetCurrentPrinterInfo();
    f.handler->fPrintOrganiser->SetHeaderOrFooterAndWanted(u"HEADER", true, true);
    f.grid->PrintComputePageSizes();
    f.handler->fPrintOrganiser->fp_choice = TQMPrintChoice{};
    f.handler->fPrintOrganiser->fp_choice.Selection = TGridRect{1, 0, 2, 0};
    f.grid->fOutputMode = pra_printer;
    Printer()->BeginDoc();
    f.grid->PrintOutputAPage(Printer()->Canvas(), 0, false);
    Printer()->EndDoc();
    f.grid->fOutputMode = pra_screen;
    FreePrinter();
    ASSERT_EQ(std::system(("pdftotext -bbox -f 1 -l 1 '" + pdf + "' '" + html + "'").c_str()), 0);
    const std::string text = ReadFileBytes(html);
    heights.emplace_back();
    for (size_t p = text.find("<word "); p != std::string::npos; p = text.find("<word ", p + 1))
      heights.back().push_back(std::atof(text.c_str() + text.find("yMax=\"", p) + 6) -
                               std::atof(text.c_str() + text.find("yMin=\"", p) + 6));
  }
  // Header and cells as high on paper at every resolution as at 96 dots per
  // inch, and readable there (over 6 points).
  ASSERT_GE(heights[0].size(), 3u);
  EXPECT_GT(std::min(heights[0][0], heights[0][1]), 6.0);
  for (size_t k = 1; k < heights.size(); ++k)
    for (size_t w : {size_t{0}, size_t{1}, heights[0].size() - 1})
      EXPECT_NEAR(heights[k][std::min(w, heights[k].size() - 1)], heights[0][w], 0.12 * heights[0][0]) << k << " " << w;
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
