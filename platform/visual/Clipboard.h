// The system clipboard, on Qt Gui.  Every operation fails (false or empty)
// without a GUI application, so non-visual hosts see a plain failure.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/runtime/RtlTypes.h"

namespace sk {

// Puts the text on the clipboard; true when the clipboard then holds it.
bool ClipboardSetText(const String& text);
// The clipboard's text; "" when it holds none.
String ClipboardText();
// Puts bytes of one MIME type ("image/svg+xml") on the clipboard.
bool ClipboardSetData(const std::string& mimeType, const TBytes& bytes);
// Puts one item on the clipboard that offers every given format at once
// (text/plain as UTF-8 becomes the clipboard's text); false when there is no
// clipboard or a format did not arrive.
bool ClipboardSetFormats(const std::vector<std::pair<std::string, TBytes>>& formats);
// Whether the clipboard holds data of the MIME type.
bool ClipboardHasFormat(const std::string& mimeType);
// The clipboard's data of the MIME type; empty when it holds none.
TBytes ClipboardData(const std::string& mimeType);

}  // namespace sk
