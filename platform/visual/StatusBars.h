// A status bar: a strip of panels laid from the left, each as wide as its
// Width, the last running to the bar's right edge. A text panel shows its
// text with its alignment; an owner-drawn panel is painted by OnDrawPanel.
// Controls placed on the bar can be set over a panel with PanelRect.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/visual/Controls.h"

namespace sk {

class TStatusBar;

enum TStatusPanelStyle : uint8_t { psText, psOwnerDraw };

class TStatusPanel {
 public:
  Int32 Index() const { return fIndex; }
  Int32 Width() const { return fWidth; }
  // Negative widths become 0.
  void SetWidth(Int32 w);
  const String& Text() const { return fText; }
  void SetText(const String& s);
  TAlignment Alignment() const { return fAlignment; }
  void SetAlignment(TAlignment a);
  TStatusPanelStyle Style() const { return fStyle; }
  void SetStyle(TStatusPanelStyle s);

 private:
  friend class TStatusBar;
  TStatusPanel(TStatusBar* bar, Int32 index) : fBar(bar), fIndex(index) {}
  void Changed(bool layout);

  TStatusBar* fBar;
  Int32 fIndex;
  Int32 fWidth = 50;
  String fText;
  TAlignment fAlignment = taLeftJustify;
  TStatusPanelStyle fStyle = psText;
};

using TDrawPanelEvent = std::function<void(TStatusBar* StatusBar, TStatusPanel& Panel, const TRect& Rect)>;

class TStatusBar : public TCustomControl {
 public:
  // 19 pixels high, aligned to the bottom of its parent, no panels.
  explicit TStatusBar(TComponent* owner);
  ~TStatusBar() override;

  // Panels: a new panel is 50 pixels wide, a left-aligned text panel.
  TStatusPanel& AddPanel();
  Int32 PanelCount() const { return static_cast<Int32>(fPanels.size()); }
  // Raises EListError for an index outside the panels.
  TStatusPanel& Panels(Int32 index);
  const TStatusPanel& Panels(Int32 index) const;
  void ClearPanels();

  // The rectangle of a panel on the bar: from the right edge of the panel
  // before it (2 pixels further for the gap between panels) to that edge plus
  // its width, the last panel to the bar's right edge; from 2 pixels below
  // the top to the bottom. An empty rectangle for an index outside the panels.
  TRect PanelRect(Int32 index) const;

  // Paints an owner-drawn panel on the bar's canvas, which is set to the
  // bar's font and colour and clipped to the panel.
  TDrawPanelEvent OnDrawPanel;
  // Raised after a panel's width changes, so that the controls placed over
  // panels can follow.
  TNotifyEvent OnPanelsChanged;

 protected:
  void Paint() override;
  virtual void DrawPanel(TStatusPanel& panel, const TRect& rect);
  virtual void PanelsChanged();

 private:
  friend class TStatusPanel;
  std::vector<std::unique_ptr<TStatusPanel>> fPanels;
};

}  // namespace sk
