// Start and stop of the visual layer: it answers the message boxes that
// non-visual code asks for (with a message dialog when the host has a
// QApplication) and keeps the system colours in step with the application's
// palette.
#pragma once

namespace sk {

void VisualLayer_initialization();
void VisualLayer_Finalization();

}  // namespace sk
