// Drive types and the removable drives present.  Drives are mount points.
#pragma once

#include "platform/runtime/RtlTypes.h"
#include "platform/runtime/StringList.h"

namespace sk {

// The drive-type code of the file system that holds the path (2 removable,
// 3 fixed, 4 network, 5 optical, 6 memory; 1 when the path has no drive).
Cardinal GetDriveType(const String& root);
// Appends the mount point of every removable drive present, in mount order;
// the list's updating is suspended meanwhile and resumed however the loop
// ends.  Earlier lines stay.
void GetUsbDrives(TStrings* list);

void Drive_utils_initialization();
void Drive_utils_Finalization();

}  // namespace sk
