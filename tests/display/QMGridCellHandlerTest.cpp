// The cell handler by pixel: number-column bars and bookmarks, sort
// triangles, the approximate mark, plot hits, timeline bars, date labels,
// below-threshold cells on the screen and in an image; fonts and languages.
#include <gtest/gtest.h>

#include <cstring>

#include "ResultsGridTestSupport.h"
#include "core/Qm_global_vars.h"
#include "ui/Graphics_utilities.h"

namespace sk {
namespace {

constexpr TColor kGreen = 0x00C000;
constexpr TColor kRed = 0x0000FF;
constexpr TColor kBlue = 0xFF0000;
constexpr TColor kPurple = 0x800080;

struct Painted : TGridFixture {
  explicit Painted(Int32 n = 20, TQuillmarkList kind = lt_word_list) : TGridFixture(n, 500, 300, kind) {
    Global_Colours = BogStandardColours();
    TRulerPlotWordCloudColoursRec ruler{};
    for (auto& c : ruler.colours) c = clBlack;
    ruler.colours[rpc_plotmarks] = kRed;
    ruler.colours[rpc_matched] = kGreen;
    ruler.colours[rpc_joined] = kBlue;
    ruler.colours[rpc_marked_head] = kPurple;
    handler->SetRulerPlotWordCloudFeatures(ruler);
    std::array<TColor, 11> words{};
    for (auto& c : words) c = clBlack;
    words[5] = kGreen;
    words[10] = kRed;
    handler->SetWordHandling1ColourDetails(words);
    std::array<TMyCanvasColourRecAndTypeface, 10> sets{};
    for (auto& s : sets) s = BogStandardColoursAndTypeface();
    sets[1].colourset.arr[tsc_windowtext] = kBlue;
    handler->SetWordHandling4ColourDetails(sets);
    grid->FocusCell(1, 12);  // keep the highlight away from the cells looked at
  }
  // Pixels near the colour (text is antialiased): each channel within 90.
  Int32 Near(const QImage& img, const TRect& r, TColor c) const {
    Int32 n = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x) {
        const TColor q = PixelOf(img, x, y);
        bool near = true;
        for (int k = 0; k < 3; ++k) near = near && std::abs(int((q >> (8 * k)) & 0xFF) - int((c >> (8 * k)) & 0xFF)) < 90;
        if (near) ++n;
      }
    return n;
  }
  Int32 Count(const QImage& img, const TRect& r, TColor c) const {
    Int32 n = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x)
        if (PixelOf(img, x, y) == c) ++n;
    return n;
  }
};

TEST(QMGridCellHandler_marks, NumberColumnBarsAndBookmarks) {
  Painted p;
  p.list->tweak = [](Int32 col, Int32 row, TGrid_data_rec& rec) {
    if (col != 0) return;
    rec.matched = row == 1 || row == 2;
    rec.hasjoined = row == 2;
    rec.marcacao = row == 3 ? marcado_boss : marcado_clear;
    rec.bookmark = row == 4 ? 7 : 0;
  };
  const QImage img = Rendered(*p.grid);
  const TRect r1 = p.grid->CellRect(0, 1), r2 = p.grid->CellRect(0, 2), r3 = p.grid->CellRect(0, 3);
  const Int32 w = p.grid->Canvas().TextWidth(u"i");
  EXPECT_EQ(PixelOf(img, r1.Left + 1, (r1.Top + r1.Bottom) / 2), kGreen);
  EXPECT_EQ(PixelOf(img, r2.Left + w + 1, (r2.Top + r2.Bottom) / 2), kBlue);
  EXPECT_EQ(PixelOf(img, r3.Left + 3 * w, (r3.Top + r3.Bottom) / 2), kPurple);
  EXPECT_EQ(p.Count(img, r3, kGreen), 0);
  // The heading row's number cell never gets the marks.
  EXPECT_EQ(p.Count(img, p.grid->CellRect(0, 0), kGreen), 0);
  // The bookmark disc is in the highlight colour.
  EXPECT_GT(p.Count(img, p.grid->CellRect(0, 4), ColorToRGB(clHighlight)), 10);
}

TEST(QMGridCellHandler_marks, SortTrianglesAndApproximateMark) {
  Painted p;
  p.list->SetColumnSortStateAscending(2, b3_verdadeiro);
  p.grid->grid_headers[1].ShowAsApproximate = 1;
  const QImage img = Rendered(*p.grid);
  const TRect sorted = p.grid->CellRect(2, 0), other = p.grid->CellRect(1, 0);
  EXPECT_GT(p.Count(img, sorted, kRed), 3);
  EXPECT_EQ(p.Count(img, other, kRed), 0);
  // Up: the triangle's widest row is its lowest.
  Int32 topRow = -1, bottomRow = -1;
  for (int y = sorted.Top; y < sorted.Bottom; ++y)
    if (p.Count(img, TRect{sorted.Left, y, sorted.Right, y + 1}, kRed) > 0) {
      if (topRow < 0) topRow = y;
      bottomRow = y;
    }
  EXPECT_GT(p.Count(img, TRect{sorted.Left, bottomRow, sorted.Right, bottomRow + 1}, kRed),
            p.Count(img, TRect{sorted.Left, topRow, sorted.Right, topRow + 1}, kRed));
  // "?" at the top-left of every data cell of the approximate column.
  const TRect cell = p.grid->CellRect(1, 3);
  EXPECT_GT(p.Near(img, TRect{cell.Left, cell.Top, cell.Left + 8, cell.Top + 10}, kBlue), 0);
  EXPECT_EQ(p.Near(img, p.grid->CellRect(2, 3), kBlue), 0);
}

TEST(QMGridCellHandler_plots, PlotHitsLandWhereTheirPositionSays) {
  Painted p;
  p.list->tweak = [](Int32 col, Int32 row, TGrid_data_rec& rec) {
    if (col != 2 || row < 1) return;
    rec.data_type = ddt_plot;
    rec.plot_data.charcount = row == 2 ? 0 : 1000;
    rec.plot_data.positions = {100, 500, 501};
  };
  const QImage img = Rendered(*p.grid);
  const TRect cell = p.grid->CellRect(2, 1);
  const Int32 w = cell.Right - cell.Left;
  const Int32 y = (cell.Top + cell.Bottom) / 2;
  for (const Int32 pos : {100, 500}) {
    const Int32 x = cell.Left + static_cast<Int32>(std::nearbyint(pos * static_cast<double>(w) / 1000));
    EXPECT_EQ(PixelOf(img, x, y), kRed) << pos;
  }
  EXPECT_NE(PixelOf(img, cell.Left + w / 4, y), kRed);
  // A text length of 0 draws nothing.
  EXPECT_EQ(p.Count(img, p.grid->CellRect(2, 2), kRed), 0);

  // The last hits of a text (within half a pixel's worth of its end) leave
  // their mark in the cell's last pixel column, at every width.
  for (const Int32 width : {97, 150, 211}) {
    Painted q;
    q.grid->SetColWidths(2, width);
    q.list->tweak = [](Int32 col, Int32 row, TGrid_data_rec& rec) {
      if (col != 2 || row < 1) return;
      rec.data_type = ddt_plot;
      rec.plot_data.charcount = 4332000;
      rec.plot_data.positions = {4332000 - row * 1000};
    };
    const QImage end = Rendered(*q.grid);
    for (Int32 row = 1; row <= 3; ++row) {
      const TRect c = q.grid->CellRect(2, row);
      EXPECT_EQ(PixelOf(end, c.Right - 1, (c.Top + c.Bottom) / 2), kRed) << width << " " << row;
    }
  }
}

TEST(QMGridCellHandler_plots, TimelineBarsAndDateLabels) {
  Painted p;
  p.grid->SetPreferredLinesPerRow(3);
  p.list->tweak = [](Int32 col, Int32 row, TGrid_data_rec& rec) {
    if (col != 2 || row < 1) return;
    rec.data_type = ddt_dateplot;
    rec.timeline_data.periods = 4;
    rec.timeline_data.wordcounts = {10, 0, 30, 60};
    rec.timeline_data.hits = {1, 0, 2, 3};
    rec.timeline_data.total_words = 100;
    rec.timeline_data.basis = tlpb_years;
    rec.timeline_datearr = {{2001, 1, 1}, {2002, 1, 1}, {2003, 1, 1}, {2004, 1, 1}};
  };
  const QImage img = Rendered(*p.grid);
  const TRect cell = p.grid->CellRect(2, 1);
  // Bars in word colour 5 rise from the bottom of each period with words.
  EXPECT_GT(p.Count(img, cell, kGreen), 4);
  const Double slot = PeriodPxWidth(cell, 4);
  const TOneTimePeriodRec empty = PeriodRec(1, slot);
  EXPECT_EQ(p.Count(img, TRect{cell.Left + empty.Left + 2, cell.Bottom - 3, cell.Left + empty.Right - 2, cell.Bottom},
                    kGreen),
            0);
  // With three lines a row the labels are painted in the cell.
  EXPECT_GT(p.Count(img, TRect{cell.Left, cell.Top, cell.Right, cell.Top + 12}, clBlack), 0);

  // A long timeline yields at least once per period of each cell.
  Int32 yields = 0;
  Global_YieldProcessProc = [&yields] { ++yields; };
  TBitmap bmp(300, 40);
  TGrid_data_rec rec{};
  rec.timeline_data.wordcounts.assign(3000, 10);
  rec.timeline_data.total_words = 30000;
  rec.timeline_data.periods = 3000;
  p.handler->DrawATimeline(bmp.Canvas(), TRect{0, 0, 300, 40}, rec);
  Global_YieldProcessProc = nullptr;
  EXPECT_GE(yields, 3000);
}

TEST(QMGridCellHandler_plots, DateLabelsShrinkFromTheLeft) {
  Painted p;
  TBitmap bmp(200, 40);
  TCanvas& c = bmp.Canvas();
  c.Font().SetName(u"DejaVu Sans");
  c.Font().SetSize(9);
  TGrid_data_rec rec{};
  rec.timeline_data.basis = tlpb_days;
  rec.timeline_datearr = {{2001, 3, 15}, {2001, 3, 16}};
  Int32 size = 9;
  c.Brush().SetColor(clWhite);
  c.FillRect(TRect{0, 0, 200, 40});
  c.Font().SetColor(clBlack);
  // Six pixels of room: the label is cut to the characters that fit within 11.
  p.handler->PaintDateAtRectTop(c, rec, TRect{0, 0, 200, 40}, size, 20, 100, 6, 1);
  Int32 left = 200, right = -1;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 200; ++x)
      if (c.Pixel(x, y) != clWhite) {
        left = std::min(left, x);
        right = std::max(right, x);
      }
  ASSERT_GE(right, 0);
  EXPECT_LE(right, 100);
  EXPECT_LE(right - left, 6 + 5);
}

TEST(QMGridCellHandler_threshold, BelowThresholdOnScreenButNotInAnImage) {
  {
    // Red and silver at first; the colour setters turn them to silver and light grey.
    TQMGridCellHandler h;
    EXPECT_EQ(h.DefaultOrBelowThresholdColour(kGreen, 1), kRed);
    EXPECT_EQ(h.DefaultOrBelowThresholdColour(kGreen, 2), TColor(0xC0C0C0));
    EXPECT_EQ(h.DefaultOrBelowThresholdColour(kGreen, 3), kGreen);
    h.SetWordHandling1ColourDetails({});
    h.SetWordHandling4ColourDetails({});
    EXPECT_EQ(h.DefaultOrBelowThresholdColour(kGreen, 1), TColor(0xC0C0C0));
    EXPECT_EQ(h.DefaultOrBelowThresholdColour(kGreen, 2), TColor(0xD3D3D3));
  }
  Painted p;
  p.handler->CellPainter->below_threshold_colour = kRed;
  p.list->tweak = [](Int32 col, Int32 row, TGrid_data_rec& rec) {
    if (col == 1 && row == 2) rec.BelowSortThreshold = 1;
  };
  const QImage img = Rendered(*p.grid);
  const TRect cell = p.grid->CellRect(1, 2);
  EXPECT_GT(p.Near(img, cell, kRed), 0);
  EXPECT_EQ(p.Near(img, p.grid->CellRect(1, 3), kRed), 0);
  // In an image the cell is cleared but its text left out.
  p.handler->SetupScreenImage(TRect{0, 0, 200, 60});
  p.grid->fOutputMode = pra_image;
  p.handler->PrepareOutputAndDraw(p.grid->Canvas(), TRect{0, 0, 100, 20}, 1, 2, false);
  p.handler->PrepareOutputAndDraw(p.grid->Canvas(), TRect{0, 20, 100, 40}, 1, 3, false);
  p.grid->fOutputMode = pra_screen;
  TCanvas& ic = p.handler->ScreenImage->Canvas();
  Int32 ink2 = 0, ink3 = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 100; ++x) {
      if (ic.Pixel(x, y) != ic.Pixel(99, 19)) ++ink2;
      if (ic.Pixel(x, y + 20) != ic.Pixel(99, 39)) ++ink3;
    }
  EXPECT_EQ(ink2, 0);
  EXPECT_GT(ink3, 0);
}

TEST(QMGridCellHandler_fonts, FontsLanguagesAndRows) {
  Painted p;
  Tfixed_lang_details lang{};
  lang.lcid = 0x0409;
  lang.new_win_font.fontsize = 5;
  p.handler->SetLanguage(lang);
  EXPECT_EQ(p.handler->FontName(), u"Tahoma");
  EXPECT_EQ(p.handler->FontSize(), 8);
  EXPECT_EQ(p.handler->FixedFontSize(), 8);
  Tfixed_lang_details big = p.handler->GetLanguage();
  big.new_win_font.fontsize = 10;
  p.handler->SetLanguage(big);
  EXPECT_EQ(p.handler->FixedFontSize(), 8);  // round(7.5) to even
  big.new_win_font.fontsize = 20;
  p.handler->SetLanguage(big);
  EXPECT_EQ(p.handler->FixedFontSize(), 15);
  // The same record again changes nothing and resizes no row.
  p.grid->SetRowHeights(0, 99);
  p.handler->SetLanguage(p.handler->GetLanguage());
  EXPECT_EQ(p.grid->RowHeights(0), 99);
  // A right-to-left language turns the drawer's direction.
  Tfixed_lang_details hebrew = p.handler->GetLanguage();
  hebrew.lcid = 0x040D;
  p.handler->SetLanguage(hebrew);
  EXPECT_EQ(p.handler->CellPainter->BaseDirection, bdRightToLeft);
  EXPECT_NE(p.grid->RowHeights(0), 99);
}

TEST(QMGridCellHandler_records, StatusBarTextAndTweakGuard) {
  Painted p;
  Int32 tweaks = 0;
  p.grid->fOnDataTweak = [&](TQM_Grid* g, Int32, Int32, Int32, TGrid_alternatives, TGrid_data_rec& d) {
    ++tweaks;
    // A tweak that fetches another cell does not re-enter itself.
    (void)g->GetADrawgridDataRec(1, 1);
    d.DataOK = true;
    return TStatusOKAndAnswer{};
  };
  std::vector<Int32> rows;
  p.grid->fOnStatusbarMessage = [&](TQM_Grid*, Int32 r, Int32 total, const TGrid_data_rec&, TMyStatusBarPanel) {
    rows.push_back(r);
    rows.push_back(total);
  };
  p.handler->DoStatusBarMessage(1, 5);
  EXPECT_EQ(tweaks, 1);
  EXPECT_EQ(rows, (std::vector<Int32>{5, p.grid->RowCount() - 1}));
  EXPECT_FALSE(p.list->DataIsForStatusbar);
  // Heading cells give no status-bar message.
  p.handler->DoStatusBarMessage(1, 0);
  EXPECT_EQ(rows.size(), 2u);
  // A busy list gives empty records.
  Global_Busy_Dont_Show_Data = true;
  EXPECT_TRUE(p.handler->GetADrawgridDataRec(1, 1).cluster_tokens.empty());
  Global_Busy_Dont_Show_Data = false;
}

}  // namespace
}  // namespace sk
