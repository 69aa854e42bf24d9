// Icon files (.ico and .cur): one image of a chosen size, read through Qt's
// ICO reader.
#pragma once

#include "platform/visual/Graphics.h"

namespace sk {

// Loads into icon the image of the file whose width is size (the one with the
// most colours when several are); without one, the smallest image larger than
// size, else the largest, scaled to size x size. False, with icon unchanged,
// when the file cannot be read as an icon or cursor file, size is below 1,
// or there is no GUI application.
bool LoadIconFromFileAtSize(TIcon& icon, const String& fileName, Int32 size);

}  // namespace sk
