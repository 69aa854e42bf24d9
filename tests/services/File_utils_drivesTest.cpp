// Drives from a mount table of the test's own: volume names, serial numbers,
// network drives and the drive with the most room.
#include <gtest/gtest.h>

#include "ServicesTestSupport.h"
#include "services/File_utils.h"

namespace sk {
namespace {

class File_utils_drives : public ScratchFolderTest {
 protected:
  File_utils_drives() : ScratchFolderTest("sk_drives") {}
};

TEST_F(File_utils_drives, VolumesAndSerials) {
  FakeMounts mounts(fDir);
  const String usb = Utf8ToString(mounts.Add("usb", "vfat", "sdb1", true, "My\\x20Stick", "1A2B-3C4D"));
  const String data = Utf8ToString(mounts.Add("data", "ext4", "sdc1", false, "", "b4e29c1f-0000-4000-8000-0123"));
  const String bare = Utf8ToString(mounts.Add("bare", "ext4", "sdd1"));
  TVolumeNameAndSerialRec v = DiskVolumeNameAndSerialNo(usb + u"/some/file");
  EXPECT_EQ(String(v.volume_name.data()), u"My Stick");
  EXPECT_EQ(v.serial_number, 0x1A2B3C4Du);
  EXPECT_EQ(VolumeSerialNumberStr(usb), u"1A2B-3C4D");
  EXPECT_EQ(VolumeSerialNumber(data), 0xB4E29C1Fu);
  // No UUID: the file-system id, whatever it is, and an empty name.
  v = DiskVolumeNameAndSerialNo(bare);
  EXPECT_EQ(v.volume_name[0], 0);
  EXPECT_EQ(VolumeSerialNumber(u"relative"), 0u);
  EXPECT_EQ(VolumeSerialNumberStr(u""), u"0000-0000");
  EXPECT_EQ(VolumeID(usb), u"[MY STICK]");
  EXPECT_EQ(VolumeID(data), u"[]");
  EXPECT_EQ(VolumeID(u""), u"[]");
}

TEST_F(File_utils_drives, CountsAndNetworkDrives) {
  FakeMounts mounts(fDir);
  mounts.Add("usb", "vfat", "sdb1", true);
  const String net1 = Utf8ToString(mounts.Add("net1", "nfs4", "server:/export"));
  const String net2 = Utf8ToString(mounts.Add("net2", "cifs", "//host/Share"));
  mounts.Add("snap", "squashfs", "loop3");
  mounts.Add("shm", "tmpfs", "tmpfs:x");  // not a device: no drive
  EXPECT_EQ(NumberOfDrives(), 4);         // "/", usb and the two network mounts
  EXPECT_EQ(NumberOfNetworkDrives(), 2);  // each once
  EXPECT_EQ(AllNetworkDrives(), net1 + u"/," + net2 + u"/");
  EXPECT_EQ(NetworkVolume(net2 + u"/deep/x"), u"//HOST/SHARE");
  EXPECT_EQ(NetworkVolume(net1), u"SERVER:/EXPORT");
}

TEST_F(File_utils_drives, MostFreeSpaceIsOnAFixedDrive) {
  FakeMounts mounts(fDir);
  mounts.Add("usb", "vfat", "sdb1", true);
  mounts.Add("net", "nfs", "server:/x");
  // The fake mounts are folders of one real file system: the root comes first
  // and ties keep the first.
  EXPECT_EQ(DriveWithMostFreeSpace(), u"/");
}

}  // namespace
}  // namespace sk
