// Existence without touching network names, writeable folders, read-only
// entries, sizes and dates.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <time.h>

#include <tuple>

#include "ServicesTestSupport.h"
#include "platform/runtime/DateUtils.h"
#include "platform/runtime/FileUtils.h"
#include "services/File_utils.h"

namespace sk {
namespace {

class File_utils_tests : public ScratchFolderTest {
 protected:
  File_utils_tests() : ScratchFolderTest("sk_ftests") {}
};

TEST_F(File_utils_tests, FilesAndFoldersReportTheirStatus) {
  WriteRaw("f.txt", "abc");
  ASSERT_EQ(::mkdir(Path("d").c_str(), 0755), 0);
  struct Case {
    String name;
    TQMFilestatus folder;
    TQMFilestatus file;
  };
  const Case cases[] = {
      {u"", fs_not_found, fs_not_found},
      {File("f.txt"), fs_unknown, fs_exists},
      {File("d"), fs_exists, fs_unknown},  // a folder is never a file
      {File("missing"), fs_not_found, fs_not_found},
      {u"c:\\windows\\name.txt", fs_not_found, fs_not_found},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DriveAndFolderExist(c.name, false), c.folder) << StringToUtf8(c.name);
    EXPECT_EQ(DriveAndFileExist(c.name, false), c.file) << StringToUtf8(c.name);
  }
  EXPECT_TRUE(DriveAndFolderExist(File("d")));
  EXPECT_FALSE(DriveAndFolderExist(File("f.txt")));
  EXPECT_TRUE(DriveAndFileExist(File("f.txt")));
  EXPECT_EQ(GetFileStatusOfAFile(File("f.txt"), false), fs_exists);
  EXPECT_EQ(GetFileStatusOfAFile(File("d"), true), fs_not_found);
}

TEST_F(File_utils_tests, NetworkNamesAreKnownWithoutTouchingThem) {
  FakeMounts mounts(fDir);
  const String net = Utf8ToString(mounts.Add("net", "nfs4", "server:/export"));
  WriteRaw("net/there.txt", "x");  // exists locally, but the mount table says network
  const String there = net + u"/there.txt";
  const String deep = net + u"/never/created/x.txt";
  EXPECT_EQ(DriveAndFileExist(there, false), fs_unknown);
  EXPECT_EQ(DriveAndFolderExist(net, false), fs_unknown);
  EXPECT_EQ(GetFileStatusOfAFile(deep, false), fs_unknown);
  EXPECT_EQ(DriveAndFileExist(u"\\\\server\\share\\x.txt", false), fs_unknown);
  EXPECT_EQ(DriveAndFileExist(u"//server/share/x.txt", false), fs_unknown);
  EXPECT_EQ(DriveAndFileExist(there, true), fs_exists);
  EXPECT_EQ(GetFileStatusOfAFile(deep, true), fs_not_found);
}

TEST_F(File_utils_tests, WriteableFoldersLeaveNothingBehind) {
  WriteRaw("chk.tmp", "the user's own file");
  EXPECT_TRUE(IsDirectoryWriteable(Utf8ToString(fDir)));
  EXPECT_TRUE(IsDirectoryWriteable(Utf8ToString(fDir + "/")));
  EXPECT_EQ(ReadRaw("chk.tmp"), "the user's own file");
  int entries = 0;
  DIR* d = ::opendir(fDir.c_str());
  while (struct dirent* de = ::readdir(d))
    if (de->d_name[0] != '.') ++entries;
  ::closedir(d);
  EXPECT_EQ(entries, 1);
  EXPECT_FALSE(IsDirectoryWriteable(File("missing")));
  EXPECT_FALSE(IsDirectoryWriteable(u""));
  EXPECT_FALSE(IsDirectoryWriteable(u"/proc/self"));
}

TEST_F(File_utils_tests, ReadOnlyEntriesAndSizes) {
  WriteRaw("ro.txt", "12345");
  WriteRaw("rw.txt", "");
  ASSERT_EQ(::mkdir(Path("rod").c_str(), 0555), 0);
  ASSERT_EQ(::chmod(Path("ro.txt").c_str(), 0444), 0);
  EXPECT_TRUE(IsReadOnlyFile(File("ro.txt")));
  EXPECT_TRUE(IsReadOnlyFile(File("r?.txt")));  // the first match of a mask ("ro.txt" before "rw.txt")
  EXPECT_FALSE(IsReadOnlyFile(File("rw.txt")));
  EXPECT_FALSE(IsReadOnlyFile(File("none.txt")));
  EXPECT_TRUE(IsReadOnlyFolder(File("rod")));
  EXPECT_TRUE(IsReadOnlyFolder(File("rod/")));
  EXPECT_FALSE(IsReadOnlyFolder(File("ro.txt")));  // not a folder
  EXPECT_EQ(File_utils::FileSize(File("ro.txt")), 5);
  EXPECT_EQ(File_utils::FileSize(File("rw.txt")), 0);
  EXPECT_EQ(File_utils::FileSize(File("none.txt")), -1);
  EXPECT_EQ(File_utils::FileSize(File("rod")), -1);
}

TEST(File_utils_testsSizes, SizeTexts) {
  struct Case {
    Int64 n;
    const char16_t* text;
  };
  const Case cases[] = {{2097152, u"2048Kb"}, {2097153, u"2Mb"}, {2048, u"2048"}, {2049, u"2Kb"},
                        {0, u"0"},            {-5, u"-5"},       {Int64(5) << 40, u"5242880Mb"}};
  for (const Case& c : cases) EXPECT_EQ(FileSizetoString(c.n), c.text) << c.n;
}

class File_utils_dates : public ScratchFolderTest {
 protected:
  File_utils_dates() : ScratchFolderTest("sk_fdates") {}
  // The file's last-write time, decoded.
  void Decoded(const std::string& n, Word& y, Word& m, Word& d, Word& h) {
    Word mi, s, ms;
    DecodeDateTime(GetFileAge(File(n)), y, m, d, h, mi, s, ms);
  }
};

TEST_F(File_utils_dates, DatesFromTextsNumbersAndRecords) {
  WriteRaw("a.txt", "x");
  Word y, m, d, h;
  ASSERT_TRUE(SetFileDate(File("a.txt"), u"01/02/2020"));
  Decoded("a.txt", y, m, d, h);
  EXPECT_EQ(y, 2020);
  EXPECT_EQ(m, 2);
  EXPECT_EQ(d, 1);
  EXPECT_EQ(h, 12);
  ASSERT_TRUE(SetFileDate(File("a.txt"), TYearMonthDay{1999, 12, 31}, 23));
  Decoded("a.txt", y, m, d, h);
  EXPECT_EQ(y, 1999);
  EXPECT_EQ(h, 23);
  ASSERT_TRUE(SetFileDate(File("a.txt"), 3, 4, 2001));
  Decoded("a.txt", y, m, d, h);
  EXPECT_EQ(d, 3);
  EXPECT_EQ(m, 4);
  struct Refused {
    Int32 hour, day, month, year;
  };
  const Refused refused[] = {{12, 1, 1, 1600}, {12, 1, 1, 2107}, {12, 0, 1, 2000}, {12, 31, 2, 2000},
                             {12, 1, 13, 2000}, {24, 1, 1, 2000}, {-1, 1, 1, 2000}};
  for (const Refused& r : refused) EXPECT_FALSE(SetFileDate(File("a.txt"), r.hour, r.day, r.month, r.year));
  EXPECT_TRUE(SetFileDate(File("a.txt"), 0, 31, 12, 2106));
  EXPECT_FALSE(SetFileDate(File("a.txt"), u"1/2/2020"));     // not 10 characters
  EXPECT_FALSE(SetFileDate(File("a.txt"), u"aa/02/2020"));
  EXPECT_FALSE(SetFileDate(File("a.txt"), u"1", u"x", u"2000"));
  EXPECT_FALSE(SetFileDate(File("missing.txt"), u"01/02/2020"));
  EXPECT_EQ(GetFileAge(File("missing.txt")), 0);
}

TEST_F(File_utils_dates, OldDatesAreKeptOrRefused) {
  // Hour, day, month, year and python's calendar.timegm of them (UTC).
  const std::tuple<Int32, Int32, Int32, Int32, long long> cases[] = {
      {12, 1, 3, 1850, -3781684800LL}, {12, 29, 12, 1899, -2209204800LL}, {0, 1, 1, 1601, -11644473600LL}};
  {
    ScopedEnvVar utc("TZ", "UTC"), onShm("TMPDIR", "/dev/shm");
    ::tzset();
    const std::string shm = MakeScratchFolder("sk_olddates");
    struct statfs fs {};
    // tmpfs holds such dates: the file carries the day asked. ext4 clamps them
    // to 13 December 1901: the call says it failed.
    const bool tmpfs = !shm.empty() && ::statfs(shm.c_str(), &fs) == 0 && fs.f_type == 0x01021994;
    const bool ext4 = ::statfs(fDir.c_str(), &fs) == 0 && fs.f_type == 0xEF53;
    WriteFileBytes(shm + "/a.txt", "x");
    WriteRaw("a.txt", "x");
    struct stat st {};
    for (const auto& [h, d, m, y, seconds] : cases) {
      EXPECT_TRUE(!tmpfs || (SetFileDate(Utf8ToString(shm + "/a.txt"), h, d, m, y) &&
                             ::stat((shm + "/a.txt").c_str(), &st) == 0 && st.st_mtim.tv_sec == seconds)) << y;
      EXPECT_TRUE(!ext4 || !SetFileDate(File("a.txt"), h, d, m, y)) << y;
    }
    RemoveScratchFolder(shm);
  }
  ::tzset();
}

TEST_F(File_utils_dates, CopyingADate) {
  WriteRaw("s.txt", "x");
  WriteRaw("t.txt", "y");
  ASSERT_TRUE(SetFileDate(File("s.txt"), 5, 6, 2007));
  EXPECT_TRUE(CopyDateOfFile(File("s.txt"), File("t.txt")));
  EXPECT_DOUBLE_EQ(GetFileAge(File("t.txt")), GetFileAge(File("s.txt")));
  EXPECT_FALSE(CopyDateOfFile(File("s.txt"), File("none")));
  EXPECT_FALSE(CopyDateOfFile(File("none"), File("t.txt")));
}

}  // namespace
}  // namespace sk
