#include "platform/visual/ProgressBars.h"

#include <algorithm>

#include "platform/runtime/Colors.h"

namespace sk {

TProgressBar::TProgressBar(TComponent* owner) : TCustomControl(owner) { SetBounds(0, 0, 150, 17); }

TProgressBar::~TProgressBar() { Destroying(); }

void TProgressBar::SetMin(Int32 v) { SetRange(v, std::max(v, fMax)); }

void TProgressBar::SetMax(Int32 v) { SetRange(std::min(v, fMin), v); }

void TProgressBar::SetRange(Int32 lo, Int32 hi) {
  if (hi < lo) hi = lo;
  const Int32 pos = std::clamp(fPosition, lo, hi);
  if (lo == fMin && hi == fMax && pos == fPosition) return;
  fMin = lo;
  fMax = hi;
  fPosition = pos;
  Invalidate();
}

void TProgressBar::SetPosition(Int32 v) {
  v = std::clamp(v, fMin, fMax);
  if (v == fPosition) return;
  fPosition = v;
  Invalidate();
}

void TProgressBar::StepIt() { StepBy(fStep); }

void TProgressBar::StepBy(Int32 n) {
  const Int64 next = static_cast<Int64>(fPosition) + n;
  SetPosition(static_cast<Int32>(std::clamp<Int64>(next, fMin, fMax)));
}

TRect TProgressBar::FilledRect() const {
  const TRect inner = Rect(1, 1, std::max(1, Width() - 1), std::max(1, Height() - 1));
  if (fMax <= fMin || fPosition <= fMin) return Rect(inner.Left, inner.Top, inner.Left, inner.Top);
  const Int64 done = static_cast<Int64>(fPosition) - fMin, range = static_cast<Int64>(fMax) - fMin;
  const Int32 len = static_cast<Int32>((inner.Right - inner.Left) * done / range);
  return Rect(inner.Left, inner.Top, inner.Left + len, inner.Bottom);
}

void TProgressBar::Paint() {
  TCanvas& c = Canvas();
  const TRect r = ClientRect();
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(Color());
  c.FillRect(r);
  c.Brush().SetColor(clBtnShadow);
  c.FrameRect(r);
  c.Brush().SetColor(clHighlight);
  c.FillRect(FilledRect());
}

}  // namespace sk

