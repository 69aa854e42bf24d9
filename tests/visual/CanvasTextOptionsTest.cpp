// The canvas's text alignment, output options and background mode, and the
// rich edit's formatted appending.
#include <gtest/gtest.h>

#include <QtGui/QFontMetrics>
#include <QtGui/QImage>
#include <QtGui/QPainter>

#include "VisualTestSupport.h"
#include "platform/visual/Graphics.h"
#include "platform/visual/RichEdit.h"

namespace sk {
namespace {

constexpr TColor kWhite = 0xFFFFFF;
constexpr TColor kBlack = 0x000000;
constexpr TColor kRed = 0x0000FF;

std::unique_ptr<TBitmap> White(int w, int h) {
  TestApplication();
  auto b = std::make_unique<TBitmap>(w, h);
  b->Canvas().Brush().SetColor(kWhite);
  b->Canvas().FillRect(Rect(0, 0, w, h));
  return b;
}

// The leftmost and rightmost columns holding a pixel other than white.
std::pair<int, int> InkColumns(TBitmap& b) {
  int lo = b.Width(), hi = -1;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      if (b.Canvas().Pixel(x, y) != kWhite) {
        lo = std::min(lo, x);
        hi = std::max(hi, x);
      }
  return {lo, hi};
}

int CountColour(TBitmap& b, TColor c) {
  int n = 0;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      if (b.Canvas().Pixel(x, y) == c) ++n;
  return n;
}

TEST(Graphics, RightAlignedTextEndsAtXAndMovesThePenLeftwards) {
  auto b = White(200, 20);
  TCanvas& c = b->Canvas();
  c.Brush().SetColor(kRed);
  c.SetTextAlign(TA_RIGHT);
  const Int32 w = c.TextWidth(u"Mm");
  c.TextOut(150, 2, u"Mm");
  // The brush fills the text's cell, which ends just before x.
  EXPECT_EQ(c.Pixel(149, 3), kRed);
  EXPECT_EQ(c.Pixel(150, 3), kWhite);
  EXPECT_EQ(c.Pixel(150 - w, 3), kRed);
  EXPECT_EQ(c.Pixel(150 - w - 1, 3), kWhite);
  EXPECT_EQ(c.PenPos().X, 150 - w);
}

TEST(Graphics, ExtTextOutClipsOnlyWithTheClippedOption) {
  for (const bool clipped : {false, true}) {
    auto b = White(200, 20);
    TCanvas& c = b->Canvas();
    c.Brush().SetStyle(bsClear);
    c.Font().SetColor(kBlack);
    c.ExtTextOut(10, 2, clipped ? ETO_CLIPPED : 0, Rect(10, 0, 20, 20), u"WWWWWW");
    const auto ink = InkColumns(*b);
    if (clipped)
      EXPECT_LE(ink.second, 19);
    else
      EXPECT_GT(ink.second, 40);
  }
}

TEST(Graphics, TransparentBackgroundModeLeavesTheCellUnfilled) {
  for (const Int32 mode : {OPAQUE, TRANSPARENT}) {
    auto b = White(100, 20);
    TCanvas& c = b->Canvas();
    c.Brush().SetColor(kRed);
    c.SetBkMode(mode);
    c.TextOut(2, 2, u"a");
    EXPECT_EQ(CountColour(*b, kRed) > 0, mode == OPAQUE);
  }
}

TEST(Graphics, RightToLeftReadingGivesQtsForcedDirection) {
  // A neutral at the end of an Arabic text goes to its left in a
  // right-to-left paragraph: the same pixels as Qt's own right-to-left
  // drawing, and not those of the left-to-right one.
  const String text = u"\u0633\u0644\u0627\u0645!";
  auto b = White(120, 24);
  TCanvas& c = b->Canvas();
  c.Brush().SetStyle(bsClear);
  c.Font().SetColor(kBlack);
  c.ExtTextOut(10, 2, ETO_RTLREADING, Rect(0, 0, 120, 24), text);
  for (const bool rtl : {true, false}) {
    QImage img(120, 24, QImage::Format_RGB32);
    img.fill(Qt::white);
    {
      QPainter p(&img);
      p.setFont(c.Font().QtFont());
      p.setPen(Qt::black);
      p.setLayoutDirection(rtl ? Qt::RightToLeft : Qt::LeftToRight);
      p.drawText(QPoint(10, 2 + c.Font().Metrics().ascent()), ToQString(text));
    }
    EXPECT_EQ(img == b->Image().convertToFormat(QImage::Format_RGB32), rtl);
  }
}

TEST(RichEdit, AppendsTextInItsFormatsAndReadsThemBack) {
  TestApplication();
  TRichEdit r;
  r.AppendText(u"ab", TRichCharFormat{0x00FFFF, kRed, static_cast<TFontStyles>(1u << fsBold)});
  r.AppendText(u"c\r\nd", TRichCharFormat{clNone, kBlack, static_cast<TFontStyles>(1u << fsStrikeOut)});
  r.SetSelText(String());
  EXPECT_EQ(r.Text(), u"abc\r\nd");
  EXPECT_EQ(r.GetTextLen(), 5);  // the paragraph break counts once
  const TRichCharFormat a = r.FormatAt(0), c = r.FormatAt(2), d = r.FormatAt(4);
  EXPECT_EQ(a.BackColor, 0x00FFFFu);
  EXPECT_EQ(a.Color, kRed);
  EXPECT_EQ(a.Style, 1u << fsBold);
  EXPECT_EQ(c.BackColor, clNone);
  EXPECT_EQ(c.Style, 1u << fsStrikeOut);
  EXPECT_EQ(d.Style, 1u << fsStrikeOut);
  EXPECT_EQ(r.FormatAt(99), TRichCharFormat{});
  r.Clear();
  EXPECT_EQ(r.Text(), u"");
}

}  // namespace
}  // namespace sk
