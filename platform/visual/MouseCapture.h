// The mouse beyond one control's own events: capture (every mouse event goes
// to one control until it is released), the screen cursor (one cursor shown
// over the whole application, whatever the controls ask for), and a tap that
// lets an object take another control's mouse events.
#pragma once

#include <memory>

#include "platform/visual/Controls.h"

namespace sk {

// Sends every mouse event to the control until ReleaseCapture; a control that
// is not showing cannot capture the mouse (nothing happens).
void SetCapture(TControl* control);
// Ends any capture.
void ReleaseCapture();
// The control holding the capture; nullptr when none does.
TControl* GetCapture();

// The screen cursor: crDefault lets each control show its own cursor; any
// other value is shown everywhere until it is set back to crDefault.
TCursor ScreenCursor();
void SetScreenCursor(TCursor cursor);

// Takes a control's mouse presses, moves and releases, those that reach it
// from the controls on it included, and hands them to the given events with
// the position in the control's client coordinates and the control as
// Sender. The control's own handling does not see the events taken. The tap
// lets go when it is freed; it may outlive the control.
class TMouseEventTap {
 public:
  TMouseEventTap(TControl* control, TMouseEvent onDown, TMouseMoveEvent onMove, TMouseEvent onUp);
  ~TMouseEventTap();
  TMouseEventTap(const TMouseEventTap&) = delete;
  TMouseEventTap& operator=(const TMouseEventTap&) = delete;

  TControl* Control() const;

 private:
  class TFilter;
  std::unique_ptr<TFilter> fFilter;
};

}  // namespace sk
