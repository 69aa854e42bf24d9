#include "ui/Buttonedstatusbaru.h"

#include <algorithm>
#include <cstdlib>

#include "core/Basic_consts.h"
#include "core/Basic_processes.h"
#include "core/Generalruntime1const.h"
#include "core/Generalruntime2const.h"
#include "core/Global_vars.h"
#include "core/UnitCounter.h"
#include "platform/runtime/Colors.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/ResourceStrings.h"
#include "platform/runtime/RtlMath.h"
#include "platform/runtime/Strings.h"
#include "platform/visual/Screen.h"
#include "ui/Graphics_utilities.h"

namespace sk {

namespace {

constexpr Int32 kPanelCount = 10;

TFontStyles WithStyle(TFontStyles s, TFontStyle f) { return static_cast<TFontStyles>(s | (1u << f)); }

}  // namespace

TButtonedStatusBar::TButtonedStatusBar(TComponent* owner) : TStatusBar(owner) {
  fPlacing = true;
  for (Int32 i = 0; i < kPanelCount; ++i) {
    const auto p = static_cast<TMyStatusBarPanel>(i);
    TStatusPanel& panel = AddPanel();
    if (IsProgressPanel(p)) {
      auto* bar = new TProgressBar(this);
      bar->SetTag(p);
      bar->SetHint(p == tusp_Progress_overall
                       ? Format(LoadResString(&_QMToolProgress), {LoadResString(&_QMOverall)})
                       : Format(LoadResString(&_QMToolProgress), {String()}));
      bar->SetShowHint(true);
      bar->SetParent(this);
      ProgressBars[static_cast<size_t>(p - tusp_Progress_overall)] = bar;
    } else if (IsButtonPanel(p)) {
      auto* button = new TImageButton(this);
      button->SetTag(p);
      switch (p) {
        case tusp_keypressmode:
          button->SetHint(Format(u"%s/%s/%s", {LoadResString(&_QMFind), LoadResString(&_QMSet), LoadResString(&_QMEdit)}));
          break;
        case tusp_previous_button:
          button->SetCaption(u"<");
          button->SetHint(LoadResString(&_QMBack));
          break;
        case tusp_next_button:
          button->SetCaption(u">");
          button->SetHint(LoadResString(&_QMForwards));
          break;
        case tusp_stop_button: button->SetHint(LoadResString(&_QMStop)); break;
        default: button->SetHint(LoadResString(&_QMHelp)); break;
      }
      button->SetShowHint(true);
      button->SetTabStop(false);
      button->OnClick = [this, p](TObject* sender) {
        if (fOnSBButtonClick) fOnSBButtonClick(sender, p);
      };
      panel.SetWidth(button->Width() / 2);
      button->SetParent(this);
      Buttons[static_cast<size_t>(p - tusp_keypressmode)] = button;
    }
  }
  OnDrawPanel = [this](TStatusBar* bar, TStatusPanel& panel, const TRect& rect) { DrawAStatusBarPanel(bar, panel, rect); };
  fPlacing = false;
  ShowTheProgBarsAndButtons();
}

TButtonedStatusBar::~TButtonedStatusBar() { Destroying(); }

void TButtonedStatusBar::Resize() {
  TStatusBar::Resize();
  ShowTheProgBarsAndButtons();
}

void TButtonedStatusBar::PanelsChanged() {
  TStatusBar::PanelsChanged();
  ShowTheProgBarsAndButtons();
}

void TButtonedStatusBar::ShowTheProgBarsAndButtons() {
  if (fPlacing || InState(csDestroying)) return;
  fPlacing = true;
  for (TProgressBar* bar : ProgressBars)
    if (bar != nullptr) bar->SetBoundsRect(PanelRect(static_cast<Int32>(bar->Tag())));
  for (TImageButton* button : Buttons)
    if (button != nullptr) button->SetBoundsRect(PanelRect(static_cast<Int32>(button->Tag())));
  fPlacing = false;
}

void TButtonedStatusBar::SetAPanelMessage(TMyStatusBarPanel panel, const String& text) {
  SetAPanelMessage(panel, text, false);
}

void TButtonedStatusBar::SetAPanelMessage(TMyStatusBarPanel panel, const String& text, bool shrink) {
  if (IsTextPanel(panel)) {
    if (shrink) Canvas().Font().Assign(Font());  // measured as it will be drawn
    const String shown = shrink ? ShrunkToFit(text, Canvas(), GetPanelWidth(panel)) : text;
    if (panel == tusp_message)
      SetHTMLBoldItalicString(shown);
    else
      Panels(panel).SetText(shown);
  }
  MyYieldProcess();
}

void TButtonedStatusBar::SetAPanelMessage(TMyStatusBarPanel panel, const String& text, TAlignment alignment) {
  if (panel == tusp_message) {
    SetAPanelMessage(panel, text);
    return;
  }
  if (IsTextPanel(panel)) {
    Panels(panel).SetAlignment(alignment);
    Panels(panel).SetText(text);
  }
  MyYieldProcess();
}

void TButtonedStatusBar::SetHTMLBoldItalicString(const String& s) {
  Panels(tusp_message).SetStyle(psOwnerDraw);
  temp_str = s;
  Refresh();
}

void TButtonedStatusBar::SetProgressNumbers(Int64 a, Int64 b) {
  Panels(tusp_entries).SetText(Format(u"%.0n", {static_cast<Double>(a)}, Global_StringToDateTimeFormat));
  Panels(tusp_info).SetText(Format(u"%.0n", {static_cast<Double>(b)}, Global_StringToDateTimeFormat));
  MyYieldProcess();
}

void TButtonedStatusBar::SetProgressPercent(Int32 pct, TMyStatusBarPanel panel) {
  if (TProgressBar* bar = GetAProgressBar(panel); bar != nullptr && bar->Position() != pct) bar->SetPosition(pct);
  MyYieldProcess();
}

void TButtonedStatusBar::ClearThePanelsExcept(TMyStatusBarPanel panel) {
  for (Int32 i = 0; i < kPanelCount; ++i) {
    const auto p = static_cast<TMyStatusBarPanel>(i);
    if (p == panel) continue;
    if (IsTextPanel(p)) {
      Panels(p).SetText(String());
      if (p == tusp_message && !temp_str.empty()) {
        temp_str.clear();
        Invalidate();
      }
    } else if (TProgressBar* bar = GetAProgressBar(p)) {
      bar->SetPosition(0);
    }
  }
}

void TButtonedStatusBar::ClearThePanels() { ClearThePanelsExcept(tusp_message); }

void TButtonedStatusBar::SetPanelWidth(TMyStatusBarPanel panel, Int32 w) {
  Panels(panel).SetWidth(w);
  ShowTheProgBarsAndButtons();
}

void TButtonedStatusBar::SetProgressBarWidth(TMyStatusBarPanel panel, Int32 w) { SetPanelWidth(panel, w); }

void TButtonedStatusBar::SetPanelVisibility(TMyStatusBarPanelSet panels) {
  for (Int32 i = 0; i < kPanelCount; ++i) {
    const auto p = static_cast<TMyStatusBarPanel>(i);
    if (!panels.Contains(p)) Panels(p).SetWidth(0);
  }
  ShowTheProgBarsAndButtons();
}

Int32 TButtonedStatusBar::GetPanelWidth(TMyStatusBarPanel panel) const {
  if (panel != tusp_message) return Panels(panel).Width();
  Int32 others = 0;
  for (Int32 i = 0; i < kPanelCount; ++i)
    if (i != tusp_message) others += Panels(i).Width();
  return std::max(0, Width() - others - ScreenPixelsPerInch() / 3);
}

Int32 TButtonedStatusBar::TotalPanelWidthTo(TMyStatusBarPanel panel) const {
  Int32 total = 0;
  for (Int32 i = 0; i <= panel && i < kPanelCount; ++i) total += Panels(i).Width();
  return total;
}

TImageButton* TButtonedStatusBar::GetAButton(TMyStatusBarPanel panel) const {
  for (TImageButton* b : Buttons)
    if (b != nullptr && b->Tag() == panel) return b;
  return nullptr;
}

TProgressBar* TButtonedStatusBar::GetAProgressBar(TMyStatusBarPanel panel) const {
  for (TProgressBar* b : ProgressBars)
    if (b != nullptr && b->Tag() == panel) return b;
  return nullptr;
}

Int32 TButtonedStatusBar::GetProgressBarWidth(TMyStatusBarPanel panel) const { return Panels(panel).Width(); }

void TButtonedStatusBar::SetButtonImageIndex(TMyStatusBarPanel panel, TImageList* images, Int32 index) {
  if (TImageButton* b = GetAButton(panel)) {
    b->SetImages(images);
    b->SetImageIndex(index);
  }
}

void TButtonedStatusBar::SetButtonActive(TMyStatusBarPanel panel, bool active) {
  TImageButton* b = GetAButton(panel);
  if (b == nullptr) return;
  const Int32 index = std::abs(b->ImageIndex());
  b->SetImageIndex(active ? index : -index);
  Refresh();
}

bool TButtonedStatusBar::GetButtonActive(TMyStatusBarPanel panel) const {
  const TImageButton* b = GetAButton(panel);
  return b != nullptr && b->ImageIndex() >= 0;
}

void TButtonedStatusBar::DrawAStatusBarPanel(TStatusBar* statusBar, TStatusPanel& panel, const TRect& rect) {
  (void)panel;
  TCanvas& c = statusBar->Canvas();
  const TFontStyles plain = c.Font().Style();
  const String& s = temp_str;
  const Int32 y = (rect.Bottom - rect.Top - c.TextHeight(u"Yy")) / 2;
  c.Brush().SetStyle(bsSolid);
  c.FillRect(rect);
  Int32 x = rect.Left;
  auto draw = [&](const String& piece) {
    if (piece.empty()) return;
    c.TextOut(x, rect.Top + y, piece);
    x += c.TextWidth(piece);
  };
  TFontStyles style = plain;
  size_t at = 0;
  while (at < s.size()) {
    const size_t open = s.find(u'<', at);
    if (open == String::npos) break;
    draw(s.substr(at, open - at));
    const size_t close = s.find(u'>', open + 1);
    const size_t after = close == String::npos ? s.size() : close + 1;
    const Char kind = open + 1 < s.size() ? UpCase(s[open + 1]) : Char(0);
    if (kind == u'B' || kind == u'I' || kind == u'/') {
      if (kind == u'B')
        style = WithStyle(style, fsBold);
      else if (kind == u'I')
        style = WithStyle(style, fsItalic);
      else
        style = plain;
      c.Font().SetStyle(style);
    } else {
      draw(s.substr(open, after - open));
    }
    at = after;
  }
  if (at < s.size()) draw(s.substr(at));
  c.Font().SetStyle(plain);
}

// ---------------------------------------------------------------------------

TNotepadGrabPanel::TNotepadGrabPanel(TComponent* owner)
    : TCustomPanel(owner),
      fOuter_rect_Colour(clWhite),
      fInner_rect_colour(clSilver),
      fscribble_colour(clGray),
      fHandleColour(clNavy) {
  SetBounds(Left(), Top(), 100, 150);
  SetCaption(String());
  SetBevelOuter(bvNone);
  ClearSettings();
}

TNotepadGrabPanel::~TNotepadGrabPanel() {
  Destroying();
  fTap.reset();
  if (fParentControl != nullptr) RemoveFreeNotification(fParentControl);
  if (ScreenCursor() != crDefault && altering) SetScreenCursor(crDefault);
}

void TNotepadGrabPanel::ClearSettings() {
  grabbed_midpoint = t_where_none;
  midpoints.fill(TRect{});
}

void TNotepadGrabPanel::RefreshParentData() {
  if (fParentControl == nullptr) return;
  OuterRect = fParentControl->ClientRect();
  outer_width = OuterRect.Right - OuterRect.Left;
  outer_height = OuterRect.Bottom - OuterRect.Top;
}

void TNotepadGrabPanel::SetParentControl(TControl* c) {
  if (c == fParentControl && c != nullptr) {
    RefreshParentData();
    RecomputeAllMidpoints();
    return;
  }
  fTap.reset();
  if (fParentControl != nullptr) RemoveFreeNotification(fParentControl);
  fParentControl = c;
  if (c == nullptr) {
    OuterRect = TRect{};
    outer_width = outer_height = 0;
    ClearSettings();
    return;
  }
  FreeNotification(c);
  RefreshParentData();
  RecomputeAllMidpoints();
  fTap = std::make_unique<TMouseEventTap>(
      c, [this](TObject* s, TMouseButton b, TShiftState sh, Int32 x, Int32 y) { PageMouseDown(s, b, sh, x, y); },
      [this](TObject* s, TShiftState sh, Int32 x, Int32 y) { PageMouseMove(s, sh, x, y); },
      [this](TObject* s, TMouseButton b, TShiftState sh, Int32 x, Int32 y) { PageMouseUp(s, b, sh, x, y); });
}

void TNotepadGrabPanel::Notification(TComponent* component, TOperation operation) {
  TCustomPanel::Notification(component, operation);
  if (operation == opRemove && component == fParentControl) {
    fTap.reset();
    fParentControl = nullptr;
    altering = false;
    ClearSettings();
  }
}

void TNotepadGrabPanel::RecomputeAllMidpoints() {
  if (InState(csDesigning)) return;
  Canvas().Font().Assign(Font());
  const Int32 x = Canvas().TextWidth(u"M");
  x_width = x;
  const Int32 cw = ClientWidth(), ch = ClientHeight();
  TRect& l = midpoints[t_left];
  l.Left = 1;
  l.Right = x + 1;
  l.Top = (ch - x) / 2;
  l.Bottom = l.Top + x;
  TRect& t = midpoints[t_top];
  t.Left = (cw - x) / 2;
  t.Right = t.Left + x;
  t.Top = 2;
  t.Bottom = 2 + x;
  TRect& r = midpoints[t_right];
  r.Left = cw - x - 2;
  r.Right = cw - 2;
  r.Top = l.Top;
  r.Bottom = l.Bottom;
  TRect& b = midpoints[t_bottom];
  b.Left = t.Left;
  b.Right = t.Right;
  b.Top = ch - x - 2;
  b.Bottom = ch - 2;
}

void TNotepadGrabPanel::SetToMargins(const std::array<Single, 4>& margins, Int32 pageWidth, Int32 pageHeight) {
  RefreshParentData();
  // A page without a size has no scale.
  if (outer_width == 0 || outer_height == 0 || pageWidth <= 0 || pageHeight <= 0) return;
  const Double ppi = ScreenPixelsPerInch();
  const Double hScale = (pageWidth / static_cast<Double>(inch_to_mm)) / (outer_width / ppi);
  const Double vScale = (pageHeight / static_cast<Double>(inch_to_mm)) / (outer_height / ppi);
  const auto px = [ppi](Single inches, Double scale) { return static_cast<Int32>(Round(inches * ppi / scale)); };
  const Int32 left = px(margins[0], hScale), right = px(margins[1], hScale);
  const Int32 top = px(margins[2], vScale), bottom = px(margins[3], vScale);
  SetBounds(left, top, outer_width - left - right, outer_height - top - bottom);
  RecomputeAllMidpoints();
  Invalidate();
}

void TNotepadGrabPanel::ShowMargins() {
  if (fOnStateMargins) fOnStateMargins(this, BoundsRect());
}

void TNotepadGrabPanel::PageMouseDown(TObject* sender, TMouseButton button, TShiftState shift, Int32 x, Int32 y) {
  (void)shift;
  if (button != mbLeft || fParentControl == nullptr) return;
  altering = true;
  SetCapture(fParentControl);
  (void)sender;
  oldPos = fParentControl->ClientToScreen(Point(x, y));
}

void TNotepadGrabPanel::PageMouseMove(TObject* sender, TShiftState shift, Int32 x, Int32 y) {
  (void)sender;
  (void)shift;
  if (!altering || fParentControl == nullptr) return;
  const TPoint screen = fParentControl->ClientToScreen(Point(x, y));
  const TCursor shown = ScreenCursor();
  if (shown != crSizeNS && shown != crSizeWE) {
    // The handles are in the panel's own coordinates; the mouse is the page's.
    const Int32 px = x - Left(), py = y - Top();
    grabbed_midpoint = t_where_none;
    for (Int32 k = t_left; k <= t_bottom; ++k) {
      const TRect& h = midpoints[static_cast<size_t>(k)];
      if (px >= h.Left && px < h.Right && py >= h.Top && py < h.Bottom) {
        grabbed_midpoint = static_cast<TWhere>(k);
        break;
      }
    }
    if (grabbed_midpoint == t_where_none)
      SetScreenCursor(crDefault);
    else
      SetScreenCursor(grabbed_midpoint == t_left || grabbed_midpoint == t_right ? crSizeWE : crSizeNS);
  }
  const TCursor now = ScreenCursor();
  if ((now == crSizeNS || now == crSizeWE) && grabbed_midpoint != t_where_none) {
    const Int32 dx = screen.X - oldPos.X, dy = screen.Y - oldPos.Y;
    const Int32 left = Left(), top = Top(), right = Left() + Width(), bottom = Top() + Height();
    const Int32 maxLeft = outer_width * 2 / 3, maxTop = outer_height * 2 / 3;
    switch (grabbed_midpoint) {
      case t_left: {
        const Int32 l = std::min(std::max(2, left + dx), maxLeft);
        SetBounds(l, top, right - l, Height());
        break;
      }
      case t_top: {
        const Int32 t = std::min(std::max(2, top + dy), maxTop);
        SetBounds(left, t, Width(), bottom - t);
        break;
      }
      case t_right: {
        const Int32 r = std::max(std::min(outer_width, right + dx), maxLeft);
        SetBounds(left, top, r - left, Height());
        break;
      }
      default: {
        const Int32 b = std::max(std::min(outer_height, bottom + dy), maxTop);
        SetBounds(left, top, Width(), b - top);
        break;
      }
    }
    ShowMargins();
  }
  oldPos = screen;
}

void TNotepadGrabPanel::PageMouseUp(TObject* sender, TMouseButton button, TShiftState shift, Int32 x, Int32 y) {
  (void)sender;
  (void)button;
  (void)shift;
  (void)x;
  (void)y;
  if (!altering) return;
  SetScreenCursor(crDefault);
  ReleaseCapture();
  RecomputeAllMidpoints();
  Invalidate();
  altering = false;
  if (fOnMarginsMoved) fOnMarginsMoved(this);
}

void TNotepadGrabPanel::SetMonochrome(bool b) {
  fMonochrome = b;
  Invalidate();
}

void TNotepadGrabPanel::SetShowMarginMarkers(bool b) {
  fShowMarginMarkers = b;
  Invalidate();
}

void TNotepadGrabPanel::SetOuterRectColour(TColor c) {
  fOuter_rect_Colour = c;
  Invalidate();
}

void TNotepadGrabPanel::SetInnerRectColour(TColor c) {
  fInner_rect_colour = c;
  Invalidate();
}

void TNotepadGrabPanel::SetScribbleColour(TColor c) {
  fscribble_colour = c;
  Invalidate();
}

void TNotepadGrabPanel::SetHandleColour(TColor c) {
  fHandleColour = c;
  Invalidate();
}

void TNotepadGrabPanel::Paint() {
  TCanvas& c = Canvas();
  const TColor scribble = fMonochrome ? TColor(0x808080) : fscribble_colour;
  c.Pen().SetColor(scribble);
  c.Brush().SetStyle(bsSolid);
  c.Brush().SetColor(fOuter_rect_Colour);
  c.FillRect(ClientRect());
  // Rows of dots stand for the lines of text.
  const TRect inner = Rect(3, 3, ClientWidth() - 3, ClientHeight() - 3);
  const Int32 dot = std::max(1, c.TextWidth(u"."));
  const Int32 dots = std::clamp((inner.Right - inner.Left) / dot, 3, 100);
  const String row(static_cast<size_t>(dots), u'.');
  const Int32 lineHeight = std::max(1, c.TextHeight(u"x"));
  c.Font().SetColor(scribble);
  c.Brush().SetStyle(bsClear);
  c.SetClipRect(inner);
  for (Int32 k = 0, y = inner.Top; k < 101 && y + lineHeight <= inner.Bottom; ++k, y += lineHeight)
    c.TextOut(inner.Left, y, row);
  c.RemoveClipRegion();
  c.Brush().SetStyle(bsSolid);
  if (!fShowMarginMarkers) return;
  const TColor handle = fMonochrome ? clBlack : fHandleColour;
  c.Brush().SetColor(handle);
  DrawATriangle(c, handle, midpoints[t_left], t4d_right);
  DrawATriangle(c, handle, midpoints[t_top], t4d_down_bottom);
  DrawATriangle(c, handle, midpoints[t_right], t4d_left);
  DrawATriangle(c, handle, midpoints[t_bottom], t4d_up_top);
  c.Brush().SetColor(fMonochrome ? TColor(0x808080) : fInner_rect_colour);
  c.FrameRect(inner);
}

SK_COUNTER_ONLY_UNIT(Buttonedstatusbaru)

}  // namespace sk
