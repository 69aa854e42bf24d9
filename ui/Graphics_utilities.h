// Drawing helpers: the suite's standard colour sets.
#pragma once

#include "core/Qm_specific_types.h"
#include "platform/runtime/RtlTypes.h"

namespace sk {

// Window, window text, highlight, highlight text, button face, button shadow,
// active and inactive caption gradient, as symbolic system colours.
TMyCanvasColourRec BogStandardColours();
// True when the window colour equals the window-text colour or the highlight
// equals the highlight text: such a set shows nothing.
bool UnassignedColours(const TMyCanvasColourRec& colours);
// Replaces an unassigned set by BogStandardColours.
void EnsureColoursOK(TMyCanvasColourRec& colours);

// Unit start and stop (the unit has no work of its own).
void Graphics_utilities_initialization();
void Graphics_utilities_Finalization();

}  // namespace sk
