#include "services/File_utils_drives.h"

#include <sys/statvfs.h>

#include "platform/runtime/Locale.h"
#include "platform/runtime/Strings.h"

namespace sk {

namespace {

bool IsADrive(const TMountInfo& m) {
  if (m.Network) return true;
  if (m.FileSystem == u"squashfs") return false;  // read-only images of packages
  // Sources that are paths are devices; memory and kernel file systems name
  // themselves ("tmpfs", "proc").
  return m.Source.size() > 1 && m.Source[0] == u'/';
}

// The serial number from the UUID's first 8 hexadecimal digits; false when
// the UUID has fewer.
bool SerialFromUUID(const String& uuid, Cardinal& serial) {
  Cardinal v = 0;
  int digits = 0;
  for (Char c : uuid) {
    if (digits == 8) break;
    Int32 d = HexDigitValue(c);
    if (d < 0) continue;  // the dashes between groups
    v = v * 16 + static_cast<Cardinal>(d);
    ++digits;
  }
  if (digits < 8) return false;
  serial = v;
  return true;
}

}  // namespace

std::vector<TMountInfo> DriveMounts() {
  std::vector<TMountInfo> r;
  for (TMountInfo& m : GetMountTable())
    if (IsADrive(m)) r.push_back(std::move(m));
  return r;
}

TVolumeNameAndSerialRec DiskVolumeNameAndSerialNo(const String& root) {
  TVolumeNameAndSerialRec rec{};
  TMountInfo m;
  if (root.empty() || !GetMountOf(root, m)) return rec;
  Cardinal serial = 0;
  if (!SerialFromUUID(m.UUID, serial)) {
    struct statvfs vfs;
    if (::statvfs(StringToSystemName(m.MountPoint).c_str(), &vfs) != 0) return TVolumeNameAndSerialRec{};
    serial = static_cast<Cardinal>(vfs.f_fsid);
  }
  rec.serial_number = serial;
  const size_t n = std::min<size_t>(m.Label.size(), 260);
  for (size_t i = 0; i < n; ++i) rec.volume_name[i] = m.Label[i];
  return rec;
}

Cardinal VolumeSerialNumber(const String& root) { return DiskVolumeNameAndSerialNo(root).serial_number; }

String VolumeSerialNumberStr(const String& root) {
  const Cardinal s = VolumeSerialNumber(root);
  return IntToHex(s >> 16, 4) + u"-" + IntToHex(s & 0xFFFF, 4);
}

Int32 NumberOfDrives() { return static_cast<Int32>(DriveMounts().size()); }

Int32 NumberOfNetworkDrives() {
  Int32 n = 0;
  for (const TMountInfo& m : DriveMounts())
    if (m.Network) ++n;
  return n;
}

String AllNetworkDrives() {
  String r;
  for (const TMountInfo& m : DriveMounts())
    if (m.Network) {
      if (!r.empty()) r += u',';
      r += IncludeTrailingPathDelimiter(m.MountPoint);
    }
  return r;
}

String DriveWithMostFreeSpace() {
  String best;
  Int64 most = -1;
  for (const TMountInfo& m : DriveMounts()) {
    if (m.Network || GetDriveTypeW(m.MountPoint) != DRIVE_FIXED) continue;
    const Int64 free = DiskFree(m.MountPoint);
    if (free > most) {
      most = free;
      best = IncludeTrailingPathDelimiter(m.MountPoint);
    }
  }
  return best;
}

String VolumeID(const String& root) {
  TMountInfo m;
  if (root.empty() || !GetMountOf(root, m)) return u"[]";
  return u"[" + AnsiUpperCase(m.Label) + u"]";
}

String NetworkVolume(const String& root) {
  TMountInfo m;
  if (!root.empty() && root[0] == u'/' && GetMountOfName(root, m) && m.Network) return AnsiUpperCase(m.Source);
  return VolumeID(root);
}

}  // namespace sk
