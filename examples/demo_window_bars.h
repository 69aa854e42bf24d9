// The example window's page of bars: progress, plot and bookmark bars, the
// status bar with its buttons and a marked-up message, the splitter with a
// button and the margins panel, on a form of its own ("Bars..."). Without a
// display the page is drawn offscreen and saved as sk_demo_bars.png beside
// the program.
#pragma once

#include <memory>

#include "platform/visual/Forms.h"

std::unique_ptr<sk::TForm> MakeBarsPage(sk::TComponent* owner);
// Draws the page offscreen into sk_demo_bars.png beside the program; false
// when the picture cannot be saved.
bool SaveBarsPagePicture(sk::TComponent* owner);
