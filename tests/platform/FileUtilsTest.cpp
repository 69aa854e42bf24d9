#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "FileSeamTestSupport.h"
#include "platform/runtime/Dialogs.h"
#include "platform/runtime/FileUtils.h"
#include "TestSupport.h"

namespace sk {

namespace {

class FileTestBase : public ScratchFolderTest {
 protected:
  FileTestBase() : ScratchFolderTest("sk_fu") {}
  void Write(const std::string& n, const std::string& content) const { WriteRaw(n, content); }
  std::string Read(const std::string& n) const { return ReadRaw(n); }
};

// Sets an environment variable for one scope.
class EnvVar {
 public:
  EnvVar(const char* name, const char* value) : fName(name) {
    if (const char* old = std::getenv(name)) fOld = old;
    if (value != nullptr)
      ::setenv(name, value, 1);
    else
      ::unsetenv(name);
  }
  ~EnvVar() {
    if (fOld)
      ::setenv(fName.c_str(), fOld->c_str(), 1);
    else
      ::unsetenv(fName.c_str());
  }

 private:
  std::string fName;
  std::optional<std::string> fOld;
};

std::vector<String> Found(const String& pathWithMask, Int32 attr) {
  std::vector<String> r;
  TSearchRec sr;
  if (FindFirst(pathWithMask, attr, sr) == 0) {
    do r.push_back(sr.Name);
    while (FindNext(sr) == 0);
    FindClose(sr);
  }
  return r;
}

}  // namespace

using FileUtilsFiles = FileTestBase;
using FileUtilsSearch = FileTestBase;
using FileUtilsDrives = FileTestBase;
using FileUtilsFolders = FileTestBase;

// ---- names ----------------------------------------------------------------------

TEST(FileUtilsNames, SplittingAcceptsBothDelimiters) {
  EXPECT_EQ(ExtractFileName(u"c:\\texts\\a.txt"), u"a.txt");
  EXPECT_EQ(ExtractFilePath(u"c:\\texts\\a.txt"), u"c:\\texts\\");
  EXPECT_EQ(ExtractFileName(u"/home/u/b.txt"), u"b.txt");
  EXPECT_EQ(ExtractFilePath(u"/home/u/b.txt"), u"/home/u/");
  EXPECT_EQ(ExtractFileName(u"/mixed\\dir/c.txt"), u"c.txt");
  EXPECT_EQ(ExtractFileName(u"plain"), u"plain");
  EXPECT_EQ(ExtractFilePath(u"plain"), u"");
  EXPECT_EQ(ExtractFileName(u"/dir/"), u"");
}

TEST(FileUtilsNames, FileDirDropsOnlyASingleTrailingDelimiter) {
  EXPECT_EQ(ExtractFileDir(u"/a/b"), u"/a");
  EXPECT_EQ(ExtractFileDir(u"/a"), u"/");
  EXPECT_EQ(ExtractFileDir(u"a\\b\\c"), u"a\\b");
  EXPECT_EQ(ExtractFileDir(u"a//b"), u"a//");
  EXPECT_EQ(ExtractFileDir(u"name"), u"");
}

TEST(FileUtilsNames, ExtensionsBelongToTheLastPartOnly) {
  EXPECT_EQ(ExtractFileExt(u"a.tar.gz"), u".gz");
  EXPECT_EQ(ExtractFileExt(u"/x.y/z"), u"");
  EXPECT_EQ(ExtractFileExt(u"c:\\x.y\\z"), u"");
  EXPECT_EQ(ExtractFileExt(u"/p/.profile"), u".profile");
  EXPECT_EQ(ExtractFileExt(u"dot."), u".");
  EXPECT_EQ(ChangeFileExt(u"/x.y/z", u".txt"), u"/x.y/z.txt");
  EXPECT_EQ(ChangeFileExt(u"a.b.c", u".d"), u"a.b.d");
  EXPECT_EQ(ChangeFileExt(u"a.b", u""), u"a");
  EXPECT_EQ(ChangeFilePath(u"c:\\old\\f.txt", u"/new"), u"/new/f.txt");
}

TEST(FileUtilsNames, TrailingDelimiters) {
  EXPECT_EQ(IncludeTrailingPathDelimiter(u"/a"), u"/a/");
  EXPECT_EQ(IncludeTrailingPathDelimiter(u"/a/"), u"/a/");
  EXPECT_EQ(IncludeTrailingPathDelimiter(u"c:\\a\\"), u"c:\\a\\");
  EXPECT_EQ(ExcludeTrailingPathDelimiter(u"/a/"), u"/a");
  EXPECT_EQ(ExcludeTrailingPathDelimiter(u"/a\\"), u"/a");
  EXPECT_EQ(ExcludeTrailingPathDelimiter(u"/a"), u"/a");
  EXPECT_TRUE(IsPathDelimiter(u"a\\b", 2));
  EXPECT_FALSE(IsPathDelimiter(u"a\\b", 4));
  EXPECT_FALSE(IsPathDelimiter(u"a\\b", 0));
}

TEST(FileUtilsNames, ExpandResolvesDotsTextually) {
  EXPECT_EQ(ExpandFileName(u"/a/./b/../c"), u"/a/c");
  EXPECT_EQ(ExpandFileName(u"/../.."), u"/");
  EXPECT_EQ(ExpandFileName(u"//a///b/"), u"/a/b/");
  EXPECT_EQ(ExpandFileName(u""), u"");
  EXPECT_EQ(ExpandFileName(u"rel/x"), IncludeTrailingPathDelimiter(GetCurrentDir()) + u"rel/x");
}

TEST(FileUtilsNames, MasksIgnoreCaseAndBacktrack) {
  EXPECT_TRUE(MatchesMask(u"noext", u"*.*"));
  EXPECT_TRUE(MatchesMask(u"REPORT.TXT", u"*.txt"));
  EXPECT_TRUE(MatchesMask(u"\u00C9t\u00E9.txt", u"\u00E9T\u00C9.*"));
  EXPECT_TRUE(MatchesMask(u"abc", u"a?c"));
  EXPECT_FALSE(MatchesMask(u"ac", u"a?c"));
  EXPECT_TRUE(MatchesMask(u"xaxxbyb", u"*a*b"));
  EXPECT_FALSE(MatchesMask(u"xaxxbyc", u"*a*b"));
  EXPECT_TRUE(MatchesMask(u"", u"*"));
  EXPECT_FALSE(MatchesMask(u"a.txt", u"a.txt.bak"));
}

// ---- files ---------------------------------------------------------------------------

TEST_F(FileUtilsFiles, ExistenceTellsFilesFromFolders) {
  Write("f.txt", "abc");
  ASSERT_TRUE(ForceDirectories(File("d1/d2/d3/")));
  EXPECT_TRUE(FileExists(File("f.txt")));
  EXPECT_FALSE(DirectoryExists(File("f.txt")));
  EXPECT_TRUE(DirectoryExists(File("d1/d2/d3")));
  EXPECT_FALSE(FileExists(File("d1")));
  EXPECT_FALSE(FileExists(String()));
  EXPECT_EQ(FileSizeByName(File("f.txt")), 3);
  EXPECT_EQ(FileSizeByName(File("d1")), -1);
  EXPECT_EQ(FileSizeByName(File("none")), -1);
  EXPECT_FALSE(ForceDirectories(File("f.txt/sub")));  // a file stands in the way
  EXPECT_FALSE(ForceDirectories(String()));
}

TEST_F(FileUtilsFiles, DeleteAndRemoveOnlyWhatTheyAreFor) {
  Write("f.txt", "x");
  ASSERT_TRUE(CreateDir(File("dir")));
  EXPECT_FALSE(CreateDir(File("dir")));
  Write("dir/inner", "y");
  EXPECT_FALSE(DeleteFile(File("dir")));
  EXPECT_FALSE(RemoveDir(File("dir")));  // not empty
  EXPECT_TRUE(DeleteFile(File("dir/inner")));
  EXPECT_TRUE(RemoveDir(File("dir/")));
  EXPECT_FALSE(RemoveDir(File("f.txt")));
  EXPECT_TRUE(DeleteFile(File("f.txt")));
  EXPECT_FALSE(DeleteFile(File("f.txt")));
}

TEST_F(FileUtilsFiles, RenameNeverReplacesAnExistingFile) {
  Write("a", "A");
  Write("b", "B");
  EXPECT_FALSE(RenameFile(File("a"), File("b")));
  EXPECT_EQ(Read("b"), "B");
  EXPECT_TRUE(RenameFile(File("a"), File("c")));
  EXPECT_EQ(Read("c"), "A");
  EXPECT_FALSE(FileExists(File("a")));
  EXPECT_FALSE(RenameFile(File("missing"), File("d")));
  EXPECT_FALSE(MoveFile(File("c"), File("b")));
  EXPECT_TRUE(MoveFile(File("c"), File("e"), true));
  EXPECT_EQ(Read("e"), "A");
}

TEST_F(FileUtilsFiles, FilesMoveAcrossFileSystemsFoldersDoNot) {
  struct stat here, shm;
  if (::stat(fDir.c_str(), &here) != 0 || ::stat("/dev/shm", &shm) != 0 || here.st_dev == shm.st_dev)
    GTEST_SKIP() << "no second file system to move to";
  const String target = Utf8ToString("/dev/shm/sk_fu_moved_" + std::to_string(::getpid()));
  Write("f", "content");
  ASSERT_TRUE(CreateDir(File("d")));
  EXPECT_TRUE(RenameFile(File("f"), target));
  EXPECT_FALSE(FileExists(File("f")));
  EXPECT_EQ(FileSizeByName(target), 7);
  EXPECT_FALSE(RenameFile(File("d"), target + u"_dir"));
  EXPECT_TRUE(DirectoryExists(File("d")));
  EXPECT_TRUE(DeleteFile(target));
  // A source another program writes to once it is copied stays as written,
  // and its copy goes.
  Write("g", "moved");
  TFileSeamHook previous = SetFileSeamHook([&](TFileSeamOp op, const std::string& path) -> Int32 {
    if (op == fsoDelete && path == fDir + "/g") {
      EXPECT_EQ(WriteFromAnotherProcess(path, true), 0);
    }
    return 0;
  });
  EXPECT_FALSE(MoveFile(File("g"), target, true));
  SetFileSeamHook(std::move(previous));
  EXPECT_EQ(Read("g"), "movedCHANGED");
  EXPECT_FALSE(FileExists(target));
}

TEST_F(FileUtilsFiles, CopyKeepsDateAndHonoursFailIfExists) {
  Write("src", "source");
  ASSERT_EQ(FileSetDate(File("src"), 40000.5), 0);  // 2009-07-06 12:00 local
  Write("dst", "old");
  EXPECT_FALSE(CopyFile(File("src"), File("dst"), true));
  EXPECT_EQ(Read("dst"), "old");
  EXPECT_TRUE(CopyFile(File("src"), File("dst"), false));
  EXPECT_EQ(Read("dst"), "source");
  TDateTime t = 0;
  ASSERT_TRUE(FileAge(File("dst"), t));
  EXPECT_NEAR(t, 40000.5, 1e-6);
  EXPECT_TRUE(CopyFile(File("src"), File("new"), true));
  EXPECT_EQ(Read("new"), "source");
  EXPECT_FALSE(CopyFile(File("missing"), File("x"), false));
  EXPECT_FALSE(FileExists(File("x")));
  EXPECT_FALSE(CopyFile(File("src"), File("no/dir/x"), false));
  // no temporary file is left behind by a failed or a finished copy
  EXPECT_EQ(Found(File("*"), faAnyFile & ~faDirectory).size(), 3u);
}

TEST_F(FileUtilsFiles, FileDatesRoundTripInLocalTime) {
  Write("f", "x");
  for (TDateTime d : {36526.0, 45000.25, 44000.999988426}) {  // up to 23:59:59
    ASSERT_EQ(FileSetDate(File("f"), d), 0);
    TDateTime back = 0;
    ASSERT_TRUE(FileAge(File("f"), back));
    EXPECT_NEAR(back, d, 1.0 / 86400000.0 * 2);
  }
  EXPECT_NE(FileSetDate(File("missing"), 40000), 0);
  TDateTime t = 1;
  EXPECT_FALSE(FileAge(File("missing"), t));
  EXPECT_NE(FileSetDate(File("f"), std::nan("")), 0);
}

// ---- searches ------------------------------------------------------------------------

TEST_F(FileUtilsSearch, FindsFilesByMaskInNameOrder) {
  Write("b.txt", "12345");
  Write("A.TXT", "1");
  Write("c.doc", "");
  Write(".hidden.txt", "");
  ASSERT_TRUE(CreateDir(File("sub.txt")));
  EXPECT_EQ(Found(File("*.txt"), faAnyFile & ~faDirectory & ~faHidden), (std::vector<String>{u"A.TXT", u"b.txt"}));
  EXPECT_EQ(Found(File("*.txt"), faAnyFile & ~faDirectory),
            (std::vector<String>{u".hidden.txt", u"A.TXT", u"b.txt"}));
  EXPECT_EQ(Found(File("*"), faDirectory),
            (std::vector<String>{u".", u"..", u"A.TXT", u"b.txt", u"c.doc", u"sub.txt"}));
  EXPECT_EQ(Found(File("b.TXT"), 0), (std::vector<String>{u"b.txt"}));
}

TEST_F(FileUtilsSearch, RecordsCarrySizeAttributesAndTime) {
  Write("f.bin", "123456789");
  ASSERT_EQ(FileSetDate(File("f.bin"), 41000.75), 0);
  ::chmod(Path("f.bin").c_str(), 0444);
  ASSERT_TRUE(CreateDir(File("dir")));
  TSearchRec sr;
  ASSERT_EQ(FindFirst(File("*"), faAnyFile, sr), 0);
  std::vector<TSearchRec> all;
  do all.push_back(sr);
  while (FindNext(sr) == 0);
  FindClose(sr);
  ASSERT_EQ(all.size(), 4u);  // . .. dir f.bin
  const TSearchRec& dir = all[2];
  const TSearchRec& file = all[3];
  EXPECT_EQ(dir.Name, u"dir");
  EXPECT_NE(dir.Attr & faDirectory, 0);
  EXPECT_EQ(file.Size, 9);
  EXPECT_EQ(file.Attr & faDirectory, 0);
  EXPECT_NE(file.Attr & faReadOnly, 0);
  EXPECT_NEAR(file.TimeStamp, 41000.75, 1e-6);
}

TEST_F(FileUtilsSearch, NothingFoundAndSearchEndsAreReportedByResult) {
  TSearchRec sr;
  EXPECT_NE(FindFirst(File("*.none"), faAnyFile, sr), 0);
  EXPECT_NE(FindFirst(File("missing/*"), faAnyFile, sr), 0);
  EXPECT_NE(FindFirst(File(""), faAnyFile, sr), 0);  // no mask at all
  Write("one", "");
  ASSERT_EQ(FindFirst(File("one"), faAnyFile, sr), 0);
  EXPECT_NE(FindNext(sr), 0);
  EXPECT_NE(FindNext(sr), 0);
  FindClose(sr);
  EXPECT_NE(FindNext(sr), 0);
}

// ---- drives and per-user folders --------------------------------------------------------

TEST_F(FileUtilsDrives, MountPointsAndSpace) {
  EXPECT_EQ(MountPointOf(u"/"), u"/");
  const String mp = MountPointOf(File("not/yet/there.txt"));
  ASSERT_FALSE(mp.empty());
  EXPECT_EQ(mp, MountPointOf(Utf8ToString(fDir)));
  EXPECT_EQ(Utf8ToString(fDir).rfind(mp == u"/" ? String(u"/") : mp, 0), 0u);
  EXPECT_EQ(ExtractFileDrive(File("x")), mp);
  EXPECT_EQ(ExtractFileDrive(u"relative/x"), u"");
  EXPECT_EQ(ExtractFileDrive(u"c:\\windows\\x"), u"");
  EXPECT_GT(DiskSize(Utf8ToString(fDir)), 0);
  EXPECT_GE(DiskFree(File("not/yet")), 0);
  EXPECT_LE(DiskFree(Utf8ToString(fDir)), DiskSize(Utf8ToString(fDir)));
  EXPECT_EQ(DiskFree(String()), -1);
  EXPECT_NE(GetDriveTypeW(Utf8ToString(fDir)), DRIVE_NO_ROOT_DIR);
  EXPECT_EQ(GetDriveTypeW(u"relative"), DRIVE_NO_ROOT_DIR);
}

TEST_F(FileUtilsFolders, XdgFoldersFollowTheEnvironment) {
  EnvVar home("HOME", fDir.c_str());
  ASSERT_TRUE(ForceDirectories(File("cfg")));
  {
    EnvVar cfg("XDG_CONFIG_HOME", Path("cfg").c_str());
    EXPECT_EQ(GetAppDataPath(), File("cfg"));
    EXPECT_EQ(GetDocumentsPath(), File("Documents"));
    Write("cfg/user-dirs.dirs", "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_DOCUMENTS_DIR=\"$HOME/Papiers\"\n");
    EXPECT_EQ(GetDocumentsPath(), File("Papiers"));
    Write("cfg/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"/srv/docs/\"\n");
    EXPECT_EQ(GetDocumentsPath(), u"/srv/docs");
  }
  {
    EnvVar cfg("XDG_CONFIG_HOME", "relative/cfg");  // not absolute: ignored
    EXPECT_EQ(GetAppDataPath(), File(".config"));
  }
  EXPECT_EQ(GetHomePath(), Utf8ToString(fDir));
  // A home whose name is not UTF-8 (Latin-1) is the folder of those bytes.
  ASSERT_EQ(::mkdir((fDir + "/h\xF4me").c_str(), 0700), 0);
  EnvVar latin1("HOME", (fDir + "/h\xF4me").c_str());
  EXPECT_EQ(StringToSystemName(GetHomePath()), fDir + "/h\xF4me");
  EXPECT_TRUE(DirectoryExists(GetHomePath()));
}

TEST_F(FileUtilsFolders, TempNamesAreNewFiles) {
  EnvVar tmp("TMPDIR", fDir.c_str());
  EXPECT_EQ(GetTempDirectory(), Utf8ToString(fDir + "/"));
  const String a = GetTempFileName(String(), u"FC");
  const String b = GetTempFileName(Utf8ToString(fDir), u"FC");
  ASSERT_FALSE(a.empty());
  EXPECT_NE(a, b);
  EXPECT_TRUE(FileExists(a));
  EXPECT_EQ(ExtractFileName(a).rfind(u"FC", 0), 0u);
  EXPECT_EQ(ExtractFileExt(a), u".tmp");
  EXPECT_EQ(GetTempFileName(File("missing"), u"x"), u"");
}

// ---- message boxes ----------------------------------------------------------------------

TEST(FileUtilsMessageBox, RoutesToTheInstalledHandler) {
  String seenText, seenCaption;
  Cardinal seenFlags = 0;
  TMessageBoxHandler previous = SetMessageBoxHandler([&](const String& t, const String& c, Cardinal f) {
    seenText = t;
    seenCaption = c;
    seenFlags = f;
    return IDYES;
  });
  EXPECT_EQ(MessageBoxW(nullptr, u"Delete x?", u"Confirmation", MB_OKCANCEL | MB_ICONQUESTION), IDYES);
  EXPECT_EQ(seenText, u"Delete x?");
  EXPECT_EQ(seenCaption, u"Confirmation");
  EXPECT_EQ(seenFlags, MB_OKCANCEL | MB_ICONQUESTION);
  EXPECT_TRUE(static_cast<bool>(GetMessageBoxHandler()));
  SetMessageBoxHandler(previous);
}

TEST(FileUtilsMessageBox, WithoutHandlerNoConfirmationIsTaken) {
  TMessageBoxHandler previous = SetMessageBoxHandler(nullptr);
  testing::internal::CaptureStderr();
  EXPECT_EQ(MessageBoxW(nullptr, u"Info", u"Note", MB_OK), IDOK);
  EXPECT_EQ(MessageBoxW(nullptr, u"Delete?", u"Sure?", MB_OKCANCEL | MB_ICONQUESTION), IDCANCEL);
  EXPECT_EQ(MessageBoxW(nullptr, u"Go?", u"Q", MB_YESNO), IDNO);
  EXPECT_EQ(MessageBoxW(nullptr, u"Go?", u"Q", MB_YESNOCANCEL), IDCANCEL);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("Sure?"), std::string::npos);
  EXPECT_NE(err.find("Delete?"), std::string::npos);
  SetMessageBoxHandler(previous);
}

}  // namespace sk
