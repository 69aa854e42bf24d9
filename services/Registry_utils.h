// The name of the user running the process, and its initials.
#pragma once

#include "platform/runtime/RtlTypes.h"

namespace sk {

// The user's name from the password database, else $USER, else the user id in
// decimal; never fails.
String Registry_Current_User();
// The first two upper-case letters of that name, in order ("" when it has
// none).
String Registry_Current_User_Initials();
// The first two upper-case letters of a name, in order.
String InitialsOfName(const String& name);

void Registry_utils_initialization();
void Registry_utils_Finalization();

}  // namespace sk
