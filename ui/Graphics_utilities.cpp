#include "ui/Graphics_utilities.h"

#include "core/UnitCounter.h"
#include "platform/runtime/Colors.h"

namespace sk {

TMyCanvasColourRec BogStandardColours() {
  TMyCanvasColourRec r;
  r.arr[tsc_window] = clWindow;
  r.arr[tsc_windowtext] = clWindowText;
  r.arr[tsc_highlight] = clHighlight;
  r.arr[tsc_highlighttext] = clHighlightText;
  r.arr[tsc_Btnface] = clBtnFace;
  r.arr[tsc_btnShadow] = clBtnShadow;
  r.arr[tsc_gradientActive] = clGradientActiveCaption;
  r.arr[tsc_gradientInActive] = clGradientInactiveCaption;
  return r;
}

bool UnassignedColours(const TMyCanvasColourRec& colours) {
  return colours.arr[tsc_window] == colours.arr[tsc_windowtext] ||
         colours.arr[tsc_highlight] == colours.arr[tsc_highlighttext];
}

void EnsureColoursOK(TMyCanvasColourRec& colours) {
  if (UnassignedColours(colours)) colours = BogStandardColours();
}

SK_COUNTER_ONLY_UNIT(Graphics_utilities)

}  // namespace sk
