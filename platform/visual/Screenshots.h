// Pictures of controls as they are painted now, visible or not: for tests
// that check what a form shows, and for hosts without a display.
#pragma once

#include "platform/runtime/RtlTypes.h"
#include "platform/visual/Controls.h"

namespace sk {

// The control's pixels (its client area, with the controls it holds) into
// out; false when the control has no window.
bool RenderControl(TControl& control, TBitmap& out);
// The same saved as a picture file (PNG for a name ending ".png"); false when
// the control has no window or the file cannot be written.
bool SaveControlImage(TControl& control, const String& fileName);

}  // namespace sk
