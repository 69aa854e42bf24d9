#include "platform/visual/StatusBars.h"

#include <algorithm>

#include "platform/runtime/Colors.h"

namespace sk {

namespace {

// The gap between two panels and the strip above them.
constexpr Int32 kPanelGap = 2;
constexpr Int32 kPanelTop = 2;
// The text keeps this far from a panel's sides.
constexpr Int32 kTextInset = 2;

}  // namespace

void TStatusPanel::Changed(bool layout) {
  if (layout)
    fBar->PanelsChanged();
  else
    fBar->Invalidate();
}

void TStatusPanel::SetWidth(Int32 w) {
  if (w < 0) w = 0;
  if (w == fWidth) return;
  fWidth = w;
  Changed(true);
}

void TStatusPanel::SetText(const String& s) {
  if (s == fText) return;
  fText = s;
  Changed(false);
}

void TStatusPanel::SetAlignment(TAlignment a) {
  if (a == fAlignment) return;
  fAlignment = a;
  Changed(false);
}

void TStatusPanel::SetStyle(TStatusPanelStyle s) {
  if (s == fStyle) return;
  fStyle = s;
  Changed(false);
}

// ---------------------------------------------------------------------------

TStatusBar::TStatusBar(TComponent* owner) : TCustomControl(owner) {
  SetBounds(0, 0, 200, 19);
  SetAlign(alBottom);
}

TStatusBar::~TStatusBar() { Destroying(); }

TStatusPanel& TStatusBar::AddPanel() {
  fPanels.push_back(std::unique_ptr<TStatusPanel>(new TStatusPanel(this, PanelCount())));
  PanelsChanged();
  return *fPanels.back();
}

TStatusPanel& TStatusBar::Panels(Int32 index) {
  if (index < 0 || index >= PanelCount()) RaiseListIndexError(index);
  return *fPanels[static_cast<size_t>(index)];
}

const TStatusPanel& TStatusBar::Panels(Int32 index) const {
  if (index < 0 || index >= PanelCount()) RaiseListIndexError(index);
  return *fPanels[static_cast<size_t>(index)];
}

void TStatusBar::ClearPanels() {
  fPanels.clear();
  PanelsChanged();
}

TRect TStatusBar::PanelRect(Int32 index) const {
  if (index < 0 || index >= PanelCount()) return TRect{};
  Int32 left = 0;
  for (Int32 i = 0; i < index; ++i) left += fPanels[static_cast<size_t>(i)]->Width();
  Int32 right = left + fPanels[static_cast<size_t>(index)]->Width();
  if (index == PanelCount() - 1) right = std::max(right, ClientWidth());
  if (index > 0) left = std::min(left + kPanelGap, right);
  return Rect(left, std::min(kPanelTop, ClientHeight()), right, ClientHeight());
}

void TStatusBar::PanelsChanged() {
  Invalidate();
  if (OnPanelsChanged) OnPanelsChanged(this);
}

void TStatusBar::DrawPanel(TStatusPanel& panel, const TRect& rect) {
  if (OnDrawPanel) OnDrawPanel(this, panel, rect);
}

void TStatusBar::Paint() {
  TCanvas& c = Canvas();
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(Color());
  c.FillRect(ClientRect());
  const TFont font = Font();
  for (Int32 i = 0; i < PanelCount(); ++i) {
    TStatusPanel& panel = *fPanels[static_cast<size_t>(i)];
    const TRect r = PanelRect(i);
    if (r.Right <= r.Left) continue;
    // A line of button shadow in the gap after the panel.
    if (i < PanelCount() - 1) {
      c.Brush().SetColor(clBtnShadow);
      c.FillRect(Rect(r.Right, r.Top, r.Right + 1, r.Bottom));
    }
    c.Font().Assign(font);
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(Color());
    c.SetClipRect(r);
    if (panel.Style() == psOwnerDraw) {
      DrawPanel(panel, r);
    } else if (!panel.Text().empty()) {
      TRect text = Rect(r.Left + kTextInset, r.Top, r.Right - kTextInset, r.Bottom);
      const Cardinal align = panel.Alignment() == taCenter       ? DT_CENTER
                             : panel.Alignment() == taRightJustify ? DT_RIGHT
                                                                   : DT_LEFT;
      c.Brush().SetStyle(bsClear);
      c.DrawText(panel.Text(), text, align | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    c.RemoveClipRegion();
  }
}

}  // namespace sk
