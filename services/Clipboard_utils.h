// Text to the clipboard, and a picture from it to a file.
#pragma once

#include "platform/runtime/RtlTypes.h"

namespace sk {

// Puts the text on the clipboard in up to three attempts, waiting 100 and then
// 200 milliseconds between them; raises Exception "Cannot set clipboard" when
// the third fails (always so without a GUI application).
bool CopyToClipboard(const String& text);
// Writes the clipboard's picture to the file when it holds one (an SVG
// drawing: this system's vector pictures); false, writing nothing, otherwise.
bool CopyClipBoardMetafileToFile(const String& fileName);

void Clipboard_utils_initialization();
void Clipboard_utils_Finalization();

}  // namespace sk
