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

}  // namespace sk
