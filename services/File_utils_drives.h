// Drives, that is mounted file systems: their volume names and serial numbers,
// how many there are, which are on the network, which has the most room.
//
// A drive is a mount point of a device (not a read-only package image) or of
// a network file system; each mount point counts once.  The routines take any
// path on a drive and answer for the mount that holds it.
#pragma once

#include <array>
#include <vector>

#include "platform/runtime/FileUtils.h"
#include "platform/runtime/RtlTypes.h"

namespace sk {

// The volume name (zero-terminated) and the volume serial number.
struct TVolumeNameAndSerialRec {
  std::array<Char, 262> volume_name{};
  Cardinal serial_number{};
};

// The mounts that count as drives, in mount order.
std::vector<TMountInfo> DriveMounts();

// The volume's label (at most 260 characters) and serial number: the first 8
// hexadecimal digits of its UUID, else the file-system id the system reports;
// all zero when the volume cannot be read.
TVolumeNameAndSerialRec DiskVolumeNameAndSerialNo(const String& root);
Cardinal VolumeSerialNumber(const String& root);
// "XXXX-XXXX": the high and low halves of the serial number in hexadecimal.
String VolumeSerialNumberStr(const String& root);
Int32 NumberOfDrives();
// Each network mount once.
Int32 NumberOfNetworkDrives();
// The network mount points, each with a trailing delimiter, separated by ",".
String AllNetworkDrives();
// The mount point (with a trailing delimiter) of the fixed drive with the most
// free space, the first of equals; "" when there is none.
String DriveWithMostFreeSpace();
// "[LABEL]": the volume's label in upper case in square brackets; "[]" when
// it cannot be read.
String VolumeID(const String& root);
// The network source of the drive in upper case ("//HOST/SHARE"); VolumeID for
// a drive that is not on the network.
String NetworkVolume(const String& root);

}  // namespace sk
