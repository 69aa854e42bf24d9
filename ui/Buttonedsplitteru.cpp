#include "ui/Buttonedsplitteru.h"

#include "core/UnitCounter.h"
#include "platform/runtime/Colors.h"

namespace sk {

TButtonedSplitter::TButtonedSplitter(TComponent* owner) : TSplitter(owner) { ComputeButtonRect(); }

TButtonedSplitter::~TButtonedSplitter() { Destroying(); }

void TButtonedSplitter::ComputeButtonRect() {
  fBrushColour = ColorToRGB(clHighlight);
  fPenColour = ColorToRGB(clBtnShadow);
  const Int32 cw = ClientWidth(), ch = ClientHeight();
  const Int32 w = (7 * cw) / 8, h = ch / 2;
  ButtonRect.Left = (cw - w) / 2;
  ButtonRect.Top = (ch - h) / 2;
  ButtonRect.Right = ButtonRect.Left + w;
  ButtonRect.Bottom = ButtonRect.Top + h;
}

bool TButtonedSplitter::OnButton(Int32 x, Int32 y) const {
  return x >= ButtonRect.Left && x <= ButtonRect.Right && y >= ButtonRect.Top && y <= ButtonRect.Bottom;
}

void TButtonedSplitter::Paint() {
  TSplitter::Paint();
  TCanvas& c = Canvas();
  TPen pen;
  pen.Assign(c.Pen());
  TBrush brush;
  brush.Assign(c.Brush());
  c.Pen().SetColor(fPenColour);
  c.Pen().SetStyle(psSolid);
  c.Brush().SetColor(fBrushColour);
  c.Brush().SetStyle(bsDiagCross);
  c.RoundRect(ButtonRect.Left, ButtonRect.Top, ButtonRect.Right, ButtonRect.Bottom, 5, 5);
  c.Pen().Assign(pen);
  c.Brush().Assign(brush);
}

void TButtonedSplitter::Resize() {
  TSplitter::Resize();
  // The button follows the splitter's size as well as its moves.
  ComputeButtonRect();
  Invalidate();
}

void TButtonedSplitter::MouseDown(TMouseButton button, TShiftState shift, Int32 x, Int32 y) {
  if (OnButton(x, y)) {
    if (fOnButtonClick) fOnButtonClick(this);
    return;
  }
  TSplitter::MouseDown(button, shift, x, y);
}

void TButtonedSplitter::MouseMove(TShiftState shift, Int32 x, Int32 y) {
  SetCursor(OnButton(x, y) ? crDefault : crHSplit);
  TSplitter::MouseMove(shift, x, y);
}

void TButtonedSplitter::Moved() {
  ComputeButtonRect();
  Invalidate();
  TSplitter::Moved();
}

void Buttonedsplitteru::Register() {}

SK_COUNTER_ONLY_UNIT(Buttonedsplitteru)

}  // namespace sk
