// The colour pairs that mark the n-th search word or language.
#pragma once

#include "core/Qm_specific_types.h"
#include "platform/runtime/RtlTypes.h"

namespace sk {

// Pair n mod 5 (negative n the last pair): window and highlight text the
// dark colour, window text and highlight the light one, every other colour 0.
TMyCanvasColourRec SearchFoundColoursFromNumber(Int32 n);
// The same colours, bold.
TMyCanvasColourRecAndTypeface SearchFoundColoursAndFontStyleFromNumber(Int32 n);

// Unit start and stop (the unit has no work of its own).
void Language_utils_initialization();
void Language_utils_Finalization();

}  // namespace sk
