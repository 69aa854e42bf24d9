// Asking the user for one line of text.
#pragma once

#include "platform/runtime/RtlTypes.h"

namespace sk {

// Shows a modal form with the caption, the prompt (the label "Prompt"), an
// edit holding value (the edit "Value") and the buttons "OK" and "Cancel".
// True on OK, with value set to the edit's text; false otherwise, with value
// unchanged. Raises EInvalidOperation without an application.
bool InputQuery(const String& caption, const String& prompt, String& value);
// The edit's text on OK, else defaultValue.
String InputBox(const String& caption, const String& prompt, const String& defaultValue);

}  // namespace sk
