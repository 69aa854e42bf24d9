// The canvas on bitmaps, checked pixel by pixel: exclusive right and bottom
// edges, lines without their end point, shapes, XOR drawing and copies,
// clipping, text placement and measuring, and bitmaps themselves.
#include <gtest/gtest.h>

#include <QtGui/QFontMetrics>
#include <vector>

#include "VisualTestSupport.h"
#include "platform/runtime/Streams.h"
#include "platform/visual/Graphics.h"

namespace sk {
namespace {

constexpr TColor kWhite = 0xFFFFFF;
constexpr TColor kBlack = 0x000000;
constexpr TColor kRed = 0x0000FF;
constexpr TColor kBlue = 0xFF0000;
constexpr TColor kGreen = 0x00FF00;

// A white bitmap of w x h.
std::unique_ptr<TBitmap> WhiteBitmap(int w, int h) {
  TestApplication();
  auto b = std::make_unique<TBitmap>(w, h);
  b->Canvas().Brush().SetColor(kWhite);
  b->Canvas().FillRect(Rect(0, 0, w, h));
  return b;
}

// The bitmap as rows of characters: '.' for white, '#' for black, 'r', 'b',
// 'g' for red, blue and green, '?' for anything else.
std::vector<std::string> Picture(TBitmap& b) {
  std::vector<std::string> rows;
  for (int y = 0; y < b.Height(); ++y) {
    std::string row;
    for (int x = 0; x < b.Width(); ++x) {
      const TColor c = b.Canvas().Pixel(x, y);
      row += c == kWhite ? '.' : c == kBlack ? '#' : c == kRed ? 'r' : c == kBlue ? 'b' : c == kGreen ? 'g' : '?';
    }
    rows.push_back(row);
  }
  return rows;
}

TEST(TCanvasShapes, FillAndFrameStopBeforeTheRightAndBottomEdges) {
  auto b = WhiteBitmap(8, 6);
  TCanvas& c = b->Canvas();
  c.Brush().SetColor(kRed);
  c.FillRect(Rect(1, 1, 4, 3));
  c.Brush().SetColor(kBlue);
  c.FrameRect(Rect(4, 1, 8, 6));
  EXPECT_EQ(Picture(*b), (std::vector<std::string>{
                             "........",
                             ".rrrbbbb",
                             ".rrrb..b",
                             "....b..b",
                             "....b..b",
                             "....bbbb",
                         }));
  // An empty or inverted rectangle paints nothing; a clear brush neither.
  auto e = WhiteBitmap(4, 4);
  e->Canvas().Brush().SetColor(kRed);
  e->Canvas().FillRect(Rect(2, 2, 2, 4));
  e->Canvas().FillRect(Rect(3, 3, 1, 1));
  e->Canvas().Brush().SetStyle(bsClear);
  e->Canvas().FillRect(Rect(0, 0, 4, 4));
  EXPECT_EQ(Picture(*e), (std::vector<std::string>{"....", "....", "....", "...."}));
}

TEST(TCanvasShapes, RectangleOutlineCoversItsEdgesAndWithoutAPenTheFillStopsShort) {
  auto b = WhiteBitmap(12, 5);
  TCanvas& c = b->Canvas();
  c.Pen().SetColor(kBlack);
  c.Brush().SetColor(kRed);
  c.Rectangle(0, 0, 5, 5);
  c.Pen().SetStyle(psClear);
  c.Brush().SetColor(kBlue);
  c.Rectangle(6, 0, 11, 5);
  EXPECT_EQ(Picture(*b), (std::vector<std::string>{
                             "#####.bbbb..",
                             "#rrr#.bbbb..",
                             "#rrr#.bbbb..",
                             "#rrr#.bbbb..",
                             "#####.......",
                         }));
}

TEST(TCanvasShapes, LinesLeaveOutTheirEndPointAndMoveThePen) {
  auto b = WhiteBitmap(7, 4);
  TCanvas& c = b->Canvas();
  c.Pen().SetColor(kBlack);
  c.MoveTo(1, 1);
  c.LineTo(5, 1);
  EXPECT_EQ(c.PenPos(), Point(5, 1));
  c.Pen().SetColor(kRed);
  c.LineTo(5, 3);
  c.Polyline({Point(0, 3), Point(3, 3)});
  // The second line starts where the first stopped: its first point is drawn.
  EXPECT_EQ(Picture(*b), (std::vector<std::string>{
                             ".......",
                             ".####r.",
                             ".....r.",
                             "rrr....",
                         }));
  // pmNop draws nothing; a clear pen neither.
  c.Pen().SetMode(pmNop);
  c.MoveTo(0, 0);
  c.LineTo(6, 0);
  c.Pen().SetMode(pmCopy);
  c.Pen().SetStyle(psClear);
  c.LineTo(6, 3);
  EXPECT_EQ(Picture(*b)[0], ".......");
}

TEST(TCanvasShapes, EllipseAndPolygonStayInsideTheirBounds) {
  auto b = WhiteBitmap(12, 12);
  TCanvas& c = b->Canvas();
  c.Pen().SetColor(kBlack);
  c.Brush().SetColor(kRed);
  c.Ellipse(1, 1, 11, 11);
  const auto p = Picture(*b);
  EXPECT_EQ(p[6][6], 'r');    // inside
  EXPECT_EQ(p[1][1], '.');    // the bounding box's corner
  EXPECT_EQ(p[6][1], '#');    // left edge of the outline
  EXPECT_EQ(p[6][10], '#');   // right edge: the last column inside the bounds
  for (int y = 0; y < 12; ++y) {
    EXPECT_EQ(p[y][11], '.') << y;
    EXPECT_EQ(p[11][y], '.') << y;
  }
  auto t = WhiteBitmap(9, 9);
  t->Canvas().Pen().SetColor(kBlue);
  t->Canvas().Brush().SetColor(kBlue);
  t->Canvas().Polygon({Point(0, 0), Point(8, 0), Point(0, 8)});
  const auto q = Picture(*t);
  EXPECT_EQ(q[0][0], 'b');
  EXPECT_EQ(q[0][8], 'b');
  EXPECT_EQ(q[8][0], 'b');
  EXPECT_EQ(q[2][2], 'b');
  EXPECT_EQ(q[8][8], '.');
  EXPECT_EQ(q[6][6], '.');
}

TEST(TCanvasRasterOps, XorPenAndFocusRectangleUndoThemselves) {
  auto b = WhiteBitmap(8, 8);
  TCanvas& c = b->Canvas();
  c.Brush().SetColor(kRed);
  c.FillRect(Rect(0, 0, 4, 8));
  const auto before = Picture(*b);
  c.Pen().SetMode(pmXor);
  c.Pen().SetColor(kWhite);
  c.MoveTo(0, 3);
  c.LineTo(8, 3);
  // White XOR red is cyan (0xFFFF00), white XOR white black.
  EXPECT_EQ(c.Pixel(1, 3), 0xFFFF00);
  EXPECT_EQ(c.Pixel(6, 3), kBlack);
  c.MoveTo(0, 3);
  c.LineTo(8, 3);
  EXPECT_EQ(Picture(*b), before);
  c.Pen().SetMode(pmCopy);
  c.DrawFocusRect(Rect(1, 1, 7, 7));
  EXPECT_NE(Picture(*b), before);
  c.DrawFocusRect(Rect(1, 1, 7, 7));
  EXPECT_EQ(Picture(*b), before);
}

TEST(TCanvasRasterOps, CopyRectCopiesOrCombinesWithTheCopyMode) {
  auto src = WhiteBitmap(4, 2);
  src->Canvas().Brush().SetColor(kBlue);
  src->Canvas().FillRect(Rect(0, 0, 2, 2));
  auto dst = WhiteBitmap(6, 2);
  dst->Canvas().Brush().SetColor(kRed);
  dst->Canvas().FillRect(Rect(0, 0, 6, 2));
  dst->Canvas().CopyRect(Rect(1, 0, 5, 2), src->Canvas(), Rect(0, 0, 4, 2));
  EXPECT_EQ(Picture(*dst), (std::vector<std::string>{"rbb..r", "rbb..r"}));
  // XOR onto red: blue gives magenta, white gives cyan; twice restores.
  dst->Canvas().FillRect(Rect(0, 0, 6, 2));
  dst->Canvas().SetCopyMode(cmSrcInvert);
  dst->Canvas().CopyRect(Rect(1, 0, 5, 2), src->Canvas(), Rect(0, 0, 4, 2));
  EXPECT_EQ(dst->Canvas().Pixel(1, 0), 0xFF00FF);
  EXPECT_EQ(dst->Canvas().Pixel(3, 0), 0xFFFF00);
  EXPECT_EQ(dst->Canvas().Pixel(5, 0), kRed);
  dst->Canvas().CopyRect(Rect(1, 0, 5, 2), src->Canvas(), Rect(0, 0, 4, 2));
  EXPECT_EQ(Picture(*dst), (std::vector<std::string>{"rrrrrr", "rrrrrr"}));
  dst->Canvas().SetCopyMode(cmSrcCopy);
  dst->Canvas().CopyRect(Rect(1, 0, 5, 2), src->Canvas(), Rect(0, 0, 4, 2));
  dst->Canvas().SetCopyMode(cmBlackness);
  dst->Canvas().CopyRect(Rect(0, 0, 1, 2), src->Canvas(), Rect(0, 0, 1, 2));
  EXPECT_EQ(Picture(*dst)[0], "#bb..r");
  // A copy from the canvas onto itself reads the pixels before writing.
  dst->Canvas().SetCopyMode(cmSrcCopy);
  dst->Canvas().CopyRect(Rect(1, 0, 6, 1), dst->Canvas(), Rect(0, 0, 5, 1));
  EXPECT_EQ(Picture(*dst)[0], "##bb..");
}

TEST(TCanvasClipping, DrawingStaysInsideTheClipRegionUntilItIsRemoved) {
  auto b = WhiteBitmap(6, 3);
  TCanvas& c = b->Canvas();
  EXPECT_EQ(c.ClipRect(), Rect(0, 0, 6, 3));
  c.SetClipRect(Rect(1, 0, 5, 3));
  c.ExcludeClipRect(Rect(2, 1, 4, 2));
  EXPECT_TRUE(c.HasClipRegion());
  c.Brush().SetColor(kRed);
  c.FillRect(Rect(0, 0, 6, 3));
  EXPECT_EQ(Picture(*b), (std::vector<std::string>{".rrrr.", ".r..r.", ".rrrr."}));
  c.IntersectClipRect(Rect(0, 0, 2, 3));
  EXPECT_EQ(c.ClipRect(), Rect(1, 0, 2, 3));
  c.RemoveClipRegion();
  c.Brush().SetColor(kBlue);
  c.FillRect(Rect(0, 0, 1, 3));
  EXPECT_EQ(Picture(*b)[1], "br..r.");
}

TEST(TCanvasText, ExtentIsQtsMetricsOfTheFont) {
  TestApplication();
  TCanvas c;
  c.Font().SetName(u"DejaVu Sans");
  c.Font().SetSize(9);
  EXPECT_EQ(c.Font().Height(), -12);
  EXPECT_EQ(c.Font().Size(), 9);
  QFont f(QStringLiteral("DejaVu Sans"));
  f.setPixelSize(12);
  f.setKerning(false);
  const QFontMetrics m(f);
  for (const String& s : {String(u"Wordlist"), String(u"caf\u00E9 \u0627\u0644\u0639\u0631\u0628\u064A\u0629"), String()}) {
    const TSize size = c.TextExtent(s);
    EXPECT_EQ(size.cx, m.horizontalAdvance(ToQString(s))) << StringToUtf8(s);
    EXPECT_EQ(size.cy, m.height());
  }
  const Int32 plain = c.TextWidth(u"Wordlist");
  c.Font().SetStyle(static_cast<TFontStyles>(1u << fsBold));
  EXPECT_GT(c.TextWidth(u"Wordlist"), plain);
  // A canvas without a surface measures but cannot draw.
  EXPECT_FALSE(c.CanDraw());
  c.TextOut(0, 0, u"abc");
  EXPECT_EQ(c.PenPos().X, c.TextWidth(u"abc"));
}

TEST(TCanvasText, TextOutPutsTheCellsTopAtYAndFillsItWithTheBrush) {
  auto b = WhiteBitmap(80, 40);
  TCanvas& c = b->Canvas();
  c.Font().SetColor(kBlack);
  c.Brush().SetColor(kBlue);
  c.TextOut(10, 8, u"HH");
  const TSize size = c.TextExtent(u"HH");
  EXPECT_EQ(c.PenPos(), Point(10 + size.cx, 8));
  int ink = 0, ceiling = 1000;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 80; ++x) {
      const TColor p = c.Pixel(x, y);
      const bool inCell = x >= 10 && x < 10 + size.cx && y >= 8 && y < 8 + size.cy;
      if (!inCell) {
        EXPECT_EQ(p, kWhite) << x << "," << y;
      } else if (p != kBlue) {
        ++ink;
        ceiling = std::min(ceiling, y);
      }
    }
  EXPECT_GT(ink, 10);
  EXPECT_GE(ceiling, 8);
  // With a clear brush only the glyphs are drawn (smoothed: reddish pixels
  // on white).
  auto t = WhiteBitmap(40, 20);
  t->Canvas().Brush().SetStyle(bsClear);
  t->Canvas().Font().SetColor(kRed);
  t->Canvas().TextOut(0, 0, u"H");
  int red = 0, other = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 40; ++x) {
      const TColor p = t->Canvas().Pixel(x, y);
      if (p == kWhite) continue;
      const int r = p & 0xFF, g = (p >> 8) & 0xFF, bl = (p >> 16) & 0xFF;
      if (r == 255 && g == bl && g < 255) ++red;
      else ++other;
    }
  EXPECT_GT(red, 5);
  EXPECT_EQ(other, 0);
}

TEST(TCanvasText, DrawTextMeasuresLinesAndShortensWithEllipses) {
  TestApplication();
  TCanvas c;
  const Int32 lh = c.TextHeight(u"X");
  struct Case {
    String text;
    Cardinal flags;
    Int32 width;
    Int32 height;
  } cases[] = {
      {u"one line", DT_SINGLELINE, c.TextWidth(u"one line"), lh},
      {u"a\rbb", 0, c.TextWidth(u"bb"), 2 * lh},
      {u"a\r\nbb\nc", 0, c.TextWidth(u"bb"), 3 * lh},
      {u"a\rb", DT_SINGLELINE, c.TextWidth(u"ab"), lh},
      {u"&File", 0, c.TextWidth(u"File"), lh},
      {u"&File", DT_NOPREFIX, c.TextWidth(u"&File"), lh},
  };
  for (const Case& k : cases) {
    TRect r{5, 5, 1000, 5};
    EXPECT_EQ(c.DrawText(k.text, r, k.flags | DT_CALCRECT), k.height) << StringToUtf8(k.text);
    EXPECT_EQ(r, Rect(5, 5, 5 + k.width, 5 + k.height)) << StringToUtf8(k.text);
  }
  // Word breaks keep each line within the width.
  const String words = u"alpha beta gamma delta";
  const Int32 limit = std::max(c.TextWidth(u"alpha beta"), c.TextWidth(u"gamma delta")) + 1;
  TRect r{0, 0, limit, 0};
  EXPECT_EQ(c.DrawText(words, r, DT_WORDBREAK | DT_CALCRECT), 2 * lh);
  EXPECT_LE(r.Right, limit);
  // Ellipses through the formatted TextRect.
  const String path = u"/home/user/corpora/english/texts/chapter1.txt";
  TRect pr{0, 0, c.TextWidth(u"/home...chapter1.txt"), 20};
  String shown = path;
  c.TextRect(pr, shown, tfPathEllipsis | tfModifyString | tfCalcRect);
  EXPECT_NE(shown, path);
  EXPECT_NE(shown.find(u"..."), String::npos);
  EXPECT_EQ(shown.substr(shown.size() - 13), u"/chapter1.txt");
  EXPECT_LE(c.TextWidth(shown), c.TextWidth(u"/home...chapter1.txt"));
  String ended = u"a rather long caption";
  TRect er{0, 0, c.TextWidth(u"a rather..."), 20};
  c.TextRect(er, ended, tfEndEllipsis | tfModifyString | tfCalcRect);
  EXPECT_EQ(ended, u"a rather...");
  String fits = u"short";
  TRect fr{0, 0, 200, 20};
  c.TextRect(fr, fits, tfEndEllipsis | tfModifyString | tfCalcRect);
  EXPECT_EQ(fits, u"short");
}

TEST(TCanvasText, DrawTextAlignsASingleLineAndClipsToTheRectangle) {
  auto b = WhiteBitmap(60, 30);
  TCanvas& c = b->Canvas();
  c.Font().SetColor(kBlack);
  c.Brush().SetStyle(bsClear);
  TRect r{10, 0, 50, 30};
  c.DrawText(u"WWWWWWWWWWWW", r, DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
  int leftOfRect = 0, inside = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 60; ++x) {
      if (c.Pixel(x, y) == kWhite) continue;
      if (x < 10 || x >= 50) ++leftOfRect;
      else ++inside;
    }
  EXPECT_EQ(leftOfRect, 0);
  EXPECT_GT(inside, 20);
}

TEST(TCanvasText, MeasureProcReportsTheCanvasExtent) {
  TestApplication();
  struct Extent {
    Int32 cx = 0, cy = 0;
  };
  TCanvas c;
  const auto measure = TextMeasureProcOf<Extent>(c);
  Extent e;
  EXPECT_TRUE(measure(u"measure", e));
  EXPECT_EQ(e.cx, c.TextWidth(u"measure"));
  EXPECT_EQ(e.cy, c.TextHeight(u"measure"));
}

TEST(TBitmapPixels, ResizingKeepsPixelsAndNewOnesAreBlack) {
  auto b = WhiteBitmap(2, 2);
  b->SetSize(3, 3);
  EXPECT_EQ(Picture(*b), (std::vector<std::string>{"..#", "..#", "###"}));
  b->SetSize(1, 1);
  EXPECT_EQ(Picture(*b), (std::vector<std::string>{"."}));
  b->SetSize(0, 5);
  EXPECT_TRUE(b->Empty());
  EXPECT_FALSE(b->Canvas().CanDraw());
  b->Canvas().FillRect(Rect(0, 0, 5, 5));  // nothing to draw on, no failure
  EXPECT_EQ(b->Canvas().Pixel(0, 0), clNone);
}

TEST(TBitmapPixels, TransparentBitmapsLeaveTheirTransparentColourOut) {
  auto sprite = WhiteBitmap(3, 1);
  sprite->Canvas().SetPixel(1, 0, kRed);
  sprite->SetTransparent(true);
  EXPECT_EQ(sprite->TransparentColor(), kWhite);  // the bottom-left pixel
  auto dst = WhiteBitmap(3, 1);
  dst->Canvas().Brush().SetColor(kBlue);
  dst->Canvas().FillRect(Rect(0, 0, 3, 1));
  dst->Canvas().Draw(0, 0, *sprite);
  EXPECT_EQ(Picture(*dst)[0], "brb");
  sprite->SetTransparentColor(kRed);
  dst->Canvas().Draw(0, 0, *sprite);
  EXPECT_EQ(Picture(*dst)[0], ".r.");
  sprite->SetTransparent(false);
  dst->Canvas().StretchDraw(Rect(0, 0, 3, 1), *sprite);
  EXPECT_EQ(Picture(*dst)[0], ".r.");
}

TEST(TBitmapPixels, StreamsAndFilesKeepEveryPixel) {
  auto b = WhiteBitmap(5, 4);
  b->Canvas().SetPixel(0, 0, kRed);
  b->Canvas().SetPixel(4, 3, kGreen);
  TMemoryStream stream;
  b->SaveToStream(stream);
  stream.SetPosition(0);
  TBitmap back;
  back.LoadFromStream(stream);
  EXPECT_EQ(Picture(back), Picture(*b));
  // Bytes that are no picture raise; an empty bitmap cannot be written.
  TMemoryStream junk;
  junk.WriteBuffer("not a picture", 13);
  junk.SetPosition(0);
  EXPECT_THROW(back.LoadFromStream(junk), EInvalidGraphic);
  TMemoryStream empty;
  EXPECT_THROW(back.LoadFromStream(empty), EInvalidGraphic);
  TBitmap none;
  EXPECT_THROW(none.SaveToStream(stream), EInvalidGraphic);
  EXPECT_THROW(none.LoadFromFile(u"/nonexistent/picture.png"), EInvalidGraphic);
}

}  // namespace
}  // namespace sk
