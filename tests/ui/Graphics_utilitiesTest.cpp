// The standard colour sets and the check that a set is usable.
#include <gtest/gtest.h>

#include "platform/runtime/Colors.h"
#include "ui/Graphics_utilities.h"

namespace sk {
namespace {

TEST(Graphics_utilities, ColourSets) {
  const TMyCanvasColourRec bog = BogStandardColours();
  EXPECT_EQ(bog.arr[tsc_window], clWindow);
  EXPECT_EQ(bog.arr[tsc_windowtext], clWindowText);
  EXPECT_EQ(bog.arr[tsc_highlighttext], clHighlightText);
  EXPECT_EQ(bog.arr[tsc_gradientInActive], clGradientInactiveCaption);
  EXPECT_FALSE(UnassignedColours(bog));

  struct Case {
    TColor window, text, highlight, highlightText;
    bool unassigned;
  } cases[] = {
      {0, 0, 0, 0, true},                       // a set never filled
      {clWhite, clBlack, clNavy, clWhite, false},
      {clWhite, clWhite, clNavy, clYellow, true},
      {clWhite, clBlack, clNavy, clNavy, true},
  };
  for (const Case& c : cases) {
    TMyCanvasColourRec set{};
    set.arr[tsc_window] = c.window;
    set.arr[tsc_windowtext] = c.text;
    set.arr[tsc_highlight] = c.highlight;
    set.arr[tsc_highlighttext] = c.highlightText;
    set.arr[tsc_Btnface] = clRed;
    EXPECT_EQ(UnassignedColours(set), c.unassigned);
    const TMyCanvasColourRec before = set;
    EnsureColoursOK(set);
    if (c.unassigned) {
      EXPECT_TRUE(set.arr == bog.arr);
    } else {
      EXPECT_TRUE(set.arr == before.arr);  // a usable set is left alone
    }
  }
}

}  // namespace
}  // namespace sk
