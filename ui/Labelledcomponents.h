// The suite's reusable form controls: file and folder edits, labelled
// controls, colour pickers over the shared colour list, the status button
// and the shadow label, and the texts they show.
#pragma once

#include "ui/Labelledcomponents_colours.h"
#include "ui/Labelledcomponents_edits.h"
#include "ui/Labelledcomponents_extras.h"
#include "ui/Labelledcomponents_labelled.h"
#include "ui/Labelledcomponents_messages.h"

namespace sk {

// Unit start and stop (the unit has no work of its own).
void Labelledcomponents_initialization();
void Labelledcomponents_Finalization();

}  // namespace sk
