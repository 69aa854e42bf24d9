#include "services/Drive_utils.h"

#include "core/UnitCounter.h"
#include "platform/runtime/FileUtils.h"
#include "services/File_utils_drives.h"

namespace sk {

Cardinal GetDriveType(const String& root) { return GetDriveTypeW(root); }

void GetUsbDrives(TStrings* list) {
  if (list == nullptr) return;
  TUpdateScope update(*list);
  for (const TMountInfo& m : DriveMounts())
    if (!m.Network && (m.Removable || GetDriveTypeW(m.MountPoint) == DRIVE_REMOVABLE)) list->Add(m.MountPoint);
}

SK_COUNTER_ONLY_UNIT(Drive_utils)

}  // namespace sk
