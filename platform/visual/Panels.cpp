#include "platform/visual/Panels.h"

#include "platform/runtime/Colors.h"

namespace sk {

TCustomPanel::TCustomPanel(TComponent* owner) : TCustomControl(owner) { SetBounds(0, 0, 185, 41); }

TCustomPanel::~TCustomPanel() { Destroying(); }

void TCustomPanel::SetBevelOuter(TPanelBevel b) {
  if (b == fBevelOuter) return;
  fBevelOuter = b;
  Invalidate();
}

void TCustomPanel::SetAlignment(TAlignment a) {
  if (a == fAlignment) return;
  fAlignment = a;
  Invalidate();
}

void TCustomPanel::Paint() {
  TCanvas& c = Canvas();
  TRect r = ClientRect();
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(Color());
  c.FillRect(r);
  if (fBevelOuter != bvNone && r.Right - r.Left > 1 && r.Bottom - r.Top > 1) {
    const TColor topLeft = fBevelOuter == bvRaised ? clBtnHighlight : clBtnShadow;
    const TColor bottomRight = fBevelOuter == bvRaised ? clBtnShadow : clBtnHighlight;
    c.Brush().SetColor(topLeft);
    c.FillRect(Rect(r.Left, r.Top, r.Right, r.Top + 1));
    c.FillRect(Rect(r.Left, r.Top, r.Left + 1, r.Bottom));
    c.Brush().SetColor(bottomRight);
    c.FillRect(Rect(r.Left, r.Bottom - 1, r.Right, r.Bottom));
    c.FillRect(Rect(r.Right - 1, r.Top, r.Right, r.Bottom));
    r = Rect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
  }
  const String caption = Caption();
  if (caption.empty()) return;
  c.Brush().SetStyle(bsClear);
  const Cardinal align = fAlignment == taCenter ? DT_CENTER : fAlignment == taRightJustify ? DT_RIGHT : DT_LEFT;
  c.DrawText(caption, r, align | DT_VCENTER | DT_SINGLELINE);
  c.Brush().SetStyle(bsSolid);
}

}  // namespace sk
