#include "ui/Labelledcomponents_extras.h"

namespace sk {

void TMyStatusButton::PaintOverlay(TCanvas& canvas) {
  // The mark is a fixed letter, not a text for the user to read.
  canvas.Font().SetColor(Enabled() ? clBtnText : clGrayText);
  canvas.TextOut(2, 1, u"F");
}

void TShadowLabel::Paint() {
  DrawShadow(Canvas());
  TLabel::Paint();
}

}  // namespace sk
