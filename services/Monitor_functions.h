// The screen's resolution and the scaling of sizes designed at 96 pixels per
// inch.  Without a GUI application the screen counts as 96 pixels per inch.
#pragma once

#include "core/Basic_types.h"
#include "platform/runtime/RtlTypes.h"

class QWindow;

namespace sk {

Int32 CurrentPPI();
// n designed at 96 (or designPPI) pixels per inch, at the screen's; halves
// round to even.  A design resolution below 1 counts as 96.
Int32 DimensionScaledForDPI(Int32 n);
Int32 DimensionScaledForDPI(Int32 n, Int32 designPPI);
Single ScreenScaled(Int32 n, Single factor);
// size * factor * 96 / ppi; a value ending in exactly .5 is cut to its whole
// part.  A ppi below 1 counts as 96.
Single SpecifiedFontScaled(Int32 size, Int32 ppi, Single factor);
// SpecifiedFontScaled of size 9.
Single DefaultFontScaled(Int32 ppi, Single factor);
Single CurrentDPIScale(Int32 ppi);
// a * b / 96 with a 64-bit intermediate, rounded to nearest (halves away
// from zero).
Int32 ScaleFromSmallFontsDimension(Int32 a, Int32 b);
// The pixel size of the current mode of the monitor showing the window; all
// zero without a window or monitor.
TMyMonitorInfoRec GetCurrentMonitorInfo(QWindow* window);

void Monitor_functions_initialization();
void Monitor_functions_Finalization();

}  // namespace sk
