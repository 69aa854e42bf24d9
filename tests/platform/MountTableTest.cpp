// The mount table with its sources, removable flags, labels and UUIDs, read
// from a mount table and device folders that the test writes.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "TestSupport.h"
#include "platform/runtime/FileUtils.h"

namespace sk {
namespace {

class MountTableTest : public ScratchFolderTest {
 protected:
  MountTableTest() : ScratchFolderTest("sk_mounts") {}
  void SetUp() override {
    ScratchFolderTest::SetUp();
    for (const char* d : {"usb", "net", "share", "fixed", "my disk", "dev", "sys", "sys/block", "sys/block/sdb",
                          "sys/block/sdb/sdb1", "sys/block/sdc", "sys/block/sdc/sdc1", "disk", "disk/by-label",
                          "disk/by-uuid", "usb/texts"})
      ASSERT_EQ(::mkdir(Path(d).c_str(), 0755), 0) << d;
    WriteRaw("dev/sdb1", "");
    WriteRaw("dev/sdc1", "");
    WriteRaw("sys/block/sdb/removable", "1\n");
    WriteRaw("sys/block/sdc/removable", "0\n");
    ASSERT_EQ(::symlink("../../dev/sdb1", Path("disk/by-label/MY\\x20STICK").c_str()), 0);
    ASSERT_EQ(::symlink("../../dev/sdb1", Path("disk/by-uuid/1234-ABCD").c_str()), 0);
    ASSERT_EQ(::symlink("../../dev/sdc1", Path("disk/by-uuid/b4e29c1f-0000-4000-8000-000000000000").c_str()), 0);
    std::string escapedSpace = fDir + "/my\\040disk";
    std::string table =
        "20 1 254:0 / / rw - ext4 /dev/vda rw\n"
        "21 20 8:17 / " + fDir + "/usb rw - vfat " + fDir + "/dev/sdb1 rw\n"
        "22 20 0:50 / " + fDir + "/net rw - nfs4 server:/export rw\n"
        "23 20 0:51 / " + fDir + "/share rw - cifs //host/share rw\n"
        "24 20 8:33 / " + fDir + "/fixed rw - ext4 " + fDir + "/dev/sdc1 rw\n"
        "25 20 0:52 / " + escapedSpace + " rw - tmpfs tmpfs rw\n"
        "26 20 0:53 / " + escapedSpace + " rw - ext4 " + fDir + "/dev/sdc1 rw\n"
        "bad line\n";
    WriteRaw("mountinfo", table);
    SetMountTableSources(File("mountinfo"), File("sys/block"), File("disk"));
  }
  void TearDown() override {
    SetMountTableSources(u"", u"", u"");
    ScratchFolderTest::TearDown();
  }
};

TEST_F(MountTableTest, ReadsSourcesFlagsLabelsAndUuids) {
  std::vector<TMountInfo> t = GetMountTable();
  ASSERT_EQ(t.size(), 6u);  // the bad line is skipped, the mount over "my disk" hides the first
  const TMountInfo& usb = t[1];
  EXPECT_EQ(usb.MountPoint, File("usb"));
  EXPECT_EQ(usb.FileSystem, u"vfat");
  EXPECT_TRUE(usb.Removable);
  EXPECT_FALSE(usb.Network);
  EXPECT_EQ(usb.Label, u"MY STICK");
  EXPECT_EQ(usb.UUID, u"1234-ABCD");
  EXPECT_TRUE(t[2].Network);
  EXPECT_EQ(t[2].Source, u"server:/export");
  EXPECT_TRUE(t[3].Network);
  EXPECT_EQ(t[3].Source, u"//host/share");
  EXPECT_FALSE(t[4].Removable);
  EXPECT_EQ(t[4].Label, u"");
  EXPECT_EQ(t[4].UUID, u"b4e29c1f-0000-4000-8000-000000000000");
  EXPECT_EQ(t[5].MountPoint, File("my disk"));
  EXPECT_EQ(t[5].FileSystem, u"ext4");
}

TEST_F(MountTableTest, PathsFindTheirMountAndDriveType) {
  TMountInfo m;
  ASSERT_TRUE(GetMountOf(File("usb/texts/a.txt"), m));  // a file that does not exist yet
  EXPECT_EQ(m.MountPoint, File("usb"));
  EXPECT_EQ(GetDriveTypeW(File("usb/texts")), DRIVE_REMOVABLE);
  EXPECT_EQ(GetDriveTypeW(File("net")), DRIVE_REMOTE);
  EXPECT_EQ(GetDriveTypeW(File("fixed")), DRIVE_FIXED);
  EXPECT_EQ(MountPointOf(File("my disk/x")), File("my disk"));
  EXPECT_FALSE(GetMountOf(u"relative/path", m));
  // Known from the text alone: the path under the network mount need not exist.
  ASSERT_TRUE(GetMountOfName(File("net/deep/../deeper/file.txt"), m));
  EXPECT_TRUE(m.Network);
  ASSERT_TRUE(GetMountOfName(File("usbstick/x"), m));  // "usbstick" is not under "usb"
  EXPECT_EQ(m.MountPoint, u"/");
}

TEST_F(MountTableTest, AMissingTableGivesNoMounts) {
  SetMountTableSources(File("nothing-here"), u"", u"");
  EXPECT_TRUE(GetMountTable().empty());
  // Paths still find the folder at the top of their device.
  EXPECT_FALSE(MountPointOf(File("usb")).empty());
}

}  // namespace
}  // namespace sk
