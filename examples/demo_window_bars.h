// The example window's page of bars: progress, plot and bookmark bars, the
// status bar with its buttons and a marked-up message, the splitter with a
// button and the margins panel.
#pragma once

#include "platform/visual/Forms.h"

// Adds the page below what the form holds, making the form taller (and wider
// when it needs to be).
void AddBarsPage(sk::TForm& form);
