// Icon files (.ico) as pictures other formats can take, on Qt Gui.
#pragma once

#include "platform/runtime/RtlTypes.h"

namespace sk {

// True when the bytes start as an icon file: a zero word, type 1 and at
// least one image.
bool IsIconImage(const TBytes& bytes);

// The largest image of an icon file (the deepest of equal ones) as PNG;
// false when the bytes hold no image that can be read.  Needs no GUI
// application.
bool IconToPng(const TBytes& ico, TBytes& png);

}  // namespace sk
