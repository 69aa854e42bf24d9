// Shared UTF-16 character constants.
#pragma once

#include "platform/runtime/RtlTypes.h"

namespace sk {

// Carriage return and line feed.
inline constexpr Char CRLF[] = u"\r\n";

// Unit start and stop (the unit has no work of its own).
void Basic_unicode_chars_initialization();
void Basic_unicode_chars_Finalization();

}  // namespace sk
