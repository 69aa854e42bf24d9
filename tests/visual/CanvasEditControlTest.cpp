// Text drawn as a multi-line edit control draws it: a last line that would
// show only in part is left out, while measuring still counts every line.
#include <gtest/gtest.h>

#include "VisualTestSupport.h"
#include "platform/visual/Graphics.h"

namespace sk {
namespace {

// Rows of the bitmap (from the top) that hold any dark pixel.
int LowestInkRow(TBitmap& b) {
  int lowest = -1;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      if (qGray(b.Canvas().Pixel(x, y) & 0xFFFFFF) < 128) lowest = y;
  return lowest;
}

TEST(TCanvasDrawText, EditControlLeavesOutAPartialLastLine) {
  TestApplication();
  TBitmap b(200, 60);
  TCanvas& c = b.Canvas();
  const Int32 line = c.TextHeight(u"Xg");
  const String text = u"one\ntwo\nthree";
  struct Case {
    Int32 height;
    Cardinal extra;
    Int32 linesShown;
  } cases[] = {
      {line * 2 + line / 2, DT_EDITCONTROL, 2},  // the third line would be cut: left out
      {line * 2 + line / 2, 0, 3},               // without the flag it is drawn, clipped
      {line * 3, DT_EDITCONTROL, 3},
      {line / 2, DT_EDITCONTROL, 1},             // the first line always stays
  };
  for (const Case& k : cases) {
    c.Brush().SetColor(clWhite);
    c.FillRect(Rect(0, 0, 200, 60));
    c.Brush().SetStyle(bsClear);
    c.Font().SetColor(clBlack);
    TRect r{0, 0, 200, k.height};
    c.DrawText(text, r, DT_NOPREFIX | k.extra);
    const int lowest = LowestInkRow(b);
    EXPECT_GE(lowest, (k.linesShown - 1) * line) << k.height;
    EXPECT_LT(lowest, std::min(k.linesShown * line, k.height)) << k.height;
    c.Brush().SetStyle(bsSolid);
  }
  TRect calc{0, 0, 200, line};
  EXPECT_EQ(c.DrawText(text, calc, DT_CALCRECT | DT_EDITCONTROL), line * 3);
}

}  // namespace
}  // namespace sk
