#include "services/Monitor_functions.h"

#include <cmath>

#include "core/UnitCounter.h"
#include "platform/runtime/RtlMath.h"
#include "platform/visual/Screen.h"

namespace sk {

Int32 CurrentPPI() { return ScreenPixelsPerInch(); }

Int32 DimensionScaledForDPI(Int32 n) { return DimensionScaledForDPI(n, 96); }

Int32 DimensionScaledForDPI(Int32 n, Int32 designPPI) {
  if (designPPI < 1) designPPI = 96;
  const Int64 product = static_cast<Int64>(n) * CurrentPPI();
  return static_cast<Int32>(Round(static_cast<Double>(product) / designPPI));
}

Single ScreenScaled(Int32 n, Single factor) { return static_cast<Single>(n) * factor; }

Single SpecifiedFontScaled(Int32 size, Int32 ppi, Single factor) {
  if (ppi < 1) ppi = 96;
  const Single v = static_cast<Single>(size) * factor * 96.0f / static_cast<Single>(ppi);
  if (std::fabs(v - std::trunc(v)) == 0.5f) return std::trunc(v);
  return v;
}

Single DefaultFontScaled(Int32 ppi, Single factor) { return SpecifiedFontScaled(9, ppi, factor); }

Single CurrentDPIScale(Int32 ppi) { return static_cast<Single>(ppi) / 96.0f; }

Int32 ScaleFromSmallFontsDimension(Int32 a, Int32 b) {
  const Int64 p = static_cast<Int64>(a) * b;
  const Int64 q = p >= 0 ? (p + 48) / 96 : -((-p + 48) / 96);
  return static_cast<Int32>(q);
}

TMyMonitorInfoRec GetCurrentMonitorInfo(QWindow* window) {
  TMyMonitorInfoRec r{};
  Cardinal w = 0, h = 0;
  if (MonitorPixelSize(window, w, h)) {
    r.width_in_pixels = w;
    r.height_in_pixels = h;
  }
  return r;
}

SK_COUNTER_ONLY_UNIT(Monitor_functions)

}  // namespace sk
