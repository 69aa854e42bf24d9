// The screen and its monitors, on Qt Gui.  Everything here answers the
// neutral value when the host has no GUI application: 96 pixels per inch and
// no monitor.
#pragma once

#include "platform/runtime/RtlTypes.h"

class QWindow;

namespace sk {

// True while the process has a Qt GUI application (the host creates it).
bool HasGuiApplication();

// The logical pixels per inch of the primary screen, rounded; 96 without a GUI
// application or screen, and never below 1.
Int32 ScreenPixelsPerInch();

// The pixel size of the current display mode of the monitor that shows the
// window (the primary monitor for a window not yet on a screen); false, with
// both 0, when there is no window or no monitor.
bool MonitorPixelSize(QWindow* window, Cardinal& width, Cardinal& height);

// Reads the system colours of the desktop theme into the system colour table
// (see Colors.h); does nothing without a GUI application.
void RefreshSystemColors();
// Reads them now and again whenever the application's palette changes (once
// per application; nothing without a GUI application).
void WatchSystemColors();

// The colours of the active visual style: the system colours as the desktop
// theme gives them (read again whenever the application's palette changes).
class TStyleServices {
 public:
  // True while a GUI application supplies the style.
  bool Enabled() const;
  // The style's RGB value for a system colour; any other colour unchanged.
  TColor GetSystemColor(TColor color) const;
};
TStyleServices& StyleServices();

}  // namespace sk
