#include "core/Rectangle_utilities.h"

#include "core/UnitCounter.h"
#include "platform/runtime/RtlMath.h"

namespace sk {

TRect InvertedRect(const TRect& r) {
  TRect result = r;
  result.Right = r.Left + (r.Bottom - r.Top);
  result.Bottom = r.Top + (r.Right - r.Left);
  return result;
}

TRect OrientedRect(const TRect& r, bool flag) {
  if (flag ? r.Right > r.Bottom : r.Right < r.Bottom) return InvertedRect(r);
  return r;
}

TRect RectCentredOnPoint(const TPoint& p, Single w, Single h) {
  const auto dx = static_cast<Int32>(Round(static_cast<Double>(w) * 1.05));
  const auto dy = static_cast<Int32>(Round(static_cast<Double>(h) * 1.05));
  return TRect{p.X - dx, p.Y - dy, p.X + dx, p.Y + dy};
}

void ShrinkARect(TRect& r, Int32 dx, Int32 dy) {
  r.Left += dx;
  r.Right -= dx;
  r.Top += dy;
  r.Bottom -= dy;
}

TRect ShrinkRect(const TRect& r, Int32 n) {
  TRect result = r;
  ShrinkARect(result, n, n);
  return result;
}

SK_COUNTER_ONLY_UNIT(Rectangle_utilities)

}  // namespace sk
