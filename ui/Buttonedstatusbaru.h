// The status bar of every tool window, and the margins panel.
//
// TButtonedStatusBar has ten fixed panels (TMyStatusBarPanel): two counts,
// two progress bars, five buttons (typing mode, previous, next, stop, help)
// and a message panel whose text may carry "<B>" and "<I>" markup. Its
// buttons and progress bars are controls placed over their panels.
//
// TNotepadGrabPanel is a miniature page on a page control: the user drags
// its four margins with the mouse by handles at the middle of each edge.
#pragma once

#include <array>

#include "core/Basic_types.h"
#include "platform/runtime/RtlTypes.h"
#include "platform/visual/ImageButtons.h"
#include "platform/visual/MouseCapture.h"
#include "platform/visual/Panels.h"
#include "platform/visual/ProgressBars.h"
#include "platform/visual/StatusBars.h"

namespace sk {

class TButtonedStatusBar : public TStatusBar {
 public:
  // The ten panels with their buttons and progress bars, placed.
  explicit TButtonedStatusBar(TComponent* owner);
  ~TButtonedStatusBar() override;

  // Text panels only (the two counts and the message). With shrink the text
  // is first fitted to the panel's width by ShrunkToFit. The message panel
  // takes the text as marked-up text. Yields once.
  void SetAPanelMessage(TMyStatusBarPanel panel, const String& text);
  void SetAPanelMessage(TMyStatusBarPanel panel, const String& text, bool shrink);
  // A count panel takes the alignment and the text; the message panel as
  // above. Yields once.
  void SetAPanelMessage(TMyStatusBarPanel panel, const String& text, TAlignment alignment);
  // The message panel shows s, drawn by DrawAStatusBarPanel.
  void SetHTMLBoldItalicString(const String& s);
  // The two counts with thousands separators. Yields once.
  void SetProgressNumbers(Int64 a, Int64 b);
  // The progress bar of a progress panel goes to pct. Yields once.
  void SetProgressPercent(Int32 pct, TMyStatusBarPanel panel);
  // Empties every other text panel and sets every other progress bar to 0.
  void ClearThePanelsExcept(TMyStatusBarPanel panel);
  void ClearThePanels();
  void SetPanelWidth(TMyStatusBarPanel panel, Int32 w);
  void SetProgressBarWidth(TMyStatusBarPanel panel, Int32 w);
  // Every panel not in the set gets width 0.
  void SetPanelVisibility(TMyStatusBarPanelSet panels);
  // The panel's width; for the message panel the bar's width less all the
  // other panels and a third of the screen's pixels per inch, never below 0.
  Int32 GetPanelWidth(TMyStatusBarPanel panel) const;
  // The widths of the panels from tusp_entries to panel.
  Int32 TotalPanelWidthTo(TMyStatusBarPanel panel) const;
  TImageButton* GetAButton(TMyStatusBarPanel panel) const;
  TImageButton* GetButtonTypinOrSet() const { return GetAButton(tusp_keypressmode); }
  TImageButton* GetButtonPrevious() const { return GetAButton(tusp_previous_button); }
  TImageButton* GetButtonNext() const { return GetAButton(tusp_next_button); }
  TImageButton* GetButtonStop() const { return GetAButton(tusp_stop_button); }
  TImageButton* GetButtonHelp() const { return GetAButton(tusp_help_button); }
  TProgressBar* GetAProgressBar(TMyStatusBarPanel panel) const;
  TProgressBar* GetProgressBarOverall() const { return GetAProgressBar(tusp_Progress_overall); }
  TProgressBar* GetProgressBarThis() const { return GetAProgressBar(tusp_progress_this); }
  Int32 GetProgressBarWidth(TMyStatusBarPanel panel) const;
  void SetButtonImageIndex(TMyStatusBarPanel panel, TImageList* images, Int32 index);
  // A button shows itself inactive by a negative image index; image 0 has no
  // negative, so it always reads as active.
  void SetButtonActive(TMyStatusBarPanel panel, bool active);
  bool GetButtonActive(TMyStatusBarPanel panel) const;
  // Places the buttons and progress bars over their panels again.
  void ShowTheProgBarsAndButtons();

  // Draws the marked-up message (temp_str) in the rectangle: "<B>" and "<I>"
  // add bold and italic, any closing tag ends both, any other tag is drawn as
  // it stands.
  void DrawAStatusBarPanel(TStatusBar* statusBar, TStatusPanel& panel, const TRect& rect);

  // The marked-up message.
  const String& MessageText() const { return temp_str; }

  TOnStatusBarButtonClick fOnSBButtonClick;

 protected:
  void Resize() override;
  void PanelsChanged() override;

 private:
  static bool IsTextPanel(TMyStatusBarPanel p) { return p == tusp_entries || p == tusp_info || p == tusp_message; }
  static bool IsProgressPanel(TMyStatusBarPanel p) { return p == tusp_Progress_overall || p == tusp_progress_this; }
  static bool IsButtonPanel(TMyStatusBarPanel p) { return p >= tusp_keypressmode && p <= tusp_help_button; }

  String temp_str;
  std::array<TProgressBar*, 2> ProgressBars{};
  std::array<TImageButton*, 5> Buttons{};
  bool fPlacing = false;
};

// The handles of the margins panel.
enum TWhere : uint8_t { t_left, t_top, t_right, t_bottom };
// No handle grabbed.
inline constexpr TWhere t_where_none = static_cast<TWhere>(4);

using TMarginsMovedEvent = TNotifyEvent;
using TStateMarginsEvent = std::function<void(TObject* Sender, const TRect& bounds)>;

class TNotepadGrabPanel : public TCustomPanel {
 public:
  // 100 x 150, no caption, not monochrome, nothing grabbed.
  explicit TNotepadGrabPanel(TComponent* owner);
  ~TNotepadGrabPanel() override;

  // The control that shows the page: the panel takes its size as the page's
  // and takes its mouse presses, moves and releases (those that reach it
  // from the panel included). nullptr lets go and clears the settings.
  void SetParentControl(TControl* c);
  TControl* ParentControl() const { return fParentControl; }
  // Places the panel on the page for margins in inches (left, right, top,
  // bottom) on a page of pageWidth x pageHeight millimetres. Nothing happens
  // for a page without a size or a parent control without one.
  void SetToMargins(const std::array<Single, 4>& margins, Int32 pageWidth, Int32 pageHeight);
  // The four handles, each as wide as "M", at the middle of each edge.
  void RecomputeAllMidpoints();
  // Reports the panel's bounds through fOnStateMargins.
  void ShowMargins();
  // Nothing grabbed, the handles zeroed.
  void ClearSettings();

  bool Monochrome() const { return fMonochrome; }
  void SetMonochrome(bool b);
  bool ShowMarginMarkers() const { return fShowMarginMarkers; }
  void SetShowMarginMarkers(bool b);
  TColor OuterRectColour() const { return fOuter_rect_Colour; }
  void SetOuterRectColour(TColor c);
  TColor InnerRectColour() const { return fInner_rect_colour; }
  void SetInnerRectColour(TColor c);
  TColor ScribbleColour() const { return fscribble_colour; }
  void SetScribbleColour(TColor c);
  TColor HandleColour() const { return fHandleColour; }
  void SetHandleColour(TColor c);

  TWhere GrabbedMidpoint() const { return grabbed_midpoint; }
  const std::array<TRect, 4>& Midpoints() const { return midpoints; }
  bool Altering() const { return altering; }
  Int32 OuterWidth() const { return outer_width; }
  Int32 OuterHeight() const { return outer_height; }

  TMarginsMovedEvent fOnMarginsMoved;
  TStateMarginsEvent fOnStateMargins;

 protected:
  void Paint() override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  void RefreshParentData();
  void PageMouseDown(TObject* sender, TMouseButton button, TShiftState shift, Int32 x, Int32 y);
  void PageMouseMove(TObject* sender, TShiftState shift, Int32 x, Int32 y);
  void PageMouseUp(TObject* sender, TMouseButton button, TShiftState shift, Int32 x, Int32 y);

  Int32 x_width = 0;
  Int32 outer_width = 0;
  Int32 outer_height = 0;
  bool altering = false;
  TRect OuterRect;
  TPoint oldPos;
  TWhere grabbed_midpoint = t_where_none;
  std::array<TRect, 4> midpoints{};
  bool fMonochrome = false;
  bool fShowMarginMarkers = false;
  TControl* fParentControl = nullptr;
  TColor fOuter_rect_Colour;
  TColor fInner_rect_colour;
  TColor fscribble_colour;
  TColor fHandleColour;
  std::unique_ptr<TMouseEventTap> fTap;
};

// Unit start and stop (the unit has no work of its own).
void Buttonedstatusbaru_initialization();
void Buttonedstatusbaru_Finalization();

}  // namespace sk
