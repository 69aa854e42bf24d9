// The example window's page of files: the simple virtual grid lists the
// files of a folder with their sizes and dates; a click on a heading sorts
// them by that column, and a second click reverses the order ("Files...").
// Without a display the page is drawn offscreen and saved as
// sk_demo_files.png beside the program.
#pragma once

#include <memory>

#include "platform/visual/Forms.h"

std::unique_ptr<sk::TForm> MakeFilesPage(sk::TComponent* owner);
// Draws the page offscreen into sk_demo_files.png beside the program (sorted
// by size, largest first, as after one click on that heading); false when
// the picture cannot be saved.
bool SaveFilesPagePicture(sk::TComponent* owner);
