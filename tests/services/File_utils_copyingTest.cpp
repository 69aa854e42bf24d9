// Copies, backups, moves across levels and file systems, deleting after
// asking (with the questions checked through a message-box handler), and
// removing empty folders.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "FileSeamTestSupport.h"
#include "ServicesTestSupport.h"
#include "core/Global_vars.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/OSError.h"
#include "services/File_utils.h"
#include "services/Modify_source_texts_basics.h"

namespace sk {
namespace {

class File_utils_copying : public ScratchFolderTest {
 protected:
  File_utils_copying() : ScratchFolderTest("sk_copy") {}
  void Tree(const std::string& root) {
    for (const std::string& d : {root, root + "/s1", root + "/s1/s2", root + "/s1/s2/s3"})
      ASSERT_EQ(::mkdir(Path(d).c_str(), 0755), 0);
    WriteRaw(root + "/top.txt", "top");
    WriteRaw(root + "/s1/one.txt", "one");
    WriteRaw(root + "/s1/s2/two.txt", "two");
    WriteRaw(root + "/s1/s2/s3/three.txt", std::string(300000, '3'));
  }
  void TearDown() override {
    Global_YieldProcessProc = nullptr;
    ScratchFolderTest::TearDown();
  }
};

TEST_F(File_utils_copying, CopiesKeepDatesAndBackupsComeFirst) {
  WriteRaw("a.txt", "alpha");
  ASSERT_TRUE(SetFileDate(File("a.txt"), 4, 5, 2006));
  EXPECT_TRUE(CopyFileRetainingDate(File("a.txt"), File("b.txt"), true));
  EXPECT_DOUBLE_EQ(GetFileAge(File("b.txt")), GetFileAge(File("a.txt")));
  EXPECT_FALSE(CopyFileRetainingDate(File("a.txt"), File("b.txt"), true));  // not over it
  EXPECT_FALSE(CopyFileRetainingDate(File("none"), File("c.txt"), false));
  CopyAFileWithBackup(File("a.txt"));
  EXPECT_EQ(ReadRaw("a.bak"), "alpha");
  EXPECT_TRUE(TryToCopyFileToTEMP(File("a.txt")));
  EXPECT_EQ(ReadRaw("TEMP/a.txt"), "alpha");
  EXPECT_FALSE(TryToCopyFileToTEMP(File("none")));

  WriteRaw("d.txt", "delete me");
  EXPECT_TRUE(DeleteFileKeepingBackup(File("d.txt")));
  EXPECT_FALSE(FileExists(File("d.txt")));
  EXPECT_EQ(ReadRaw("d.bak"), "delete me");
  EXPECT_FALSE(DeleteFileKeepingBackup(File("d.txt")));
  WriteRaw("e.txt", "empty me");
  EXPECT_TRUE(EmptyFileKeepingBackup(File("e.txt")));
  EXPECT_EQ(ReadRaw("e.txt"), "\xFF\xFE");
  EXPECT_EQ(ReadRaw("e.bak"), "empty me");
  EXPECT_FALSE(EmptyFileKeepingBackup(File("none.txt")));
}

TEST_F(File_utils_copying, NoBackupNoDeletion) {
  // A folder holds the backup's name, so no backup can be made.
  ASSERT_EQ(::mkdir(Path("f.bak").c_str(), 0755), 0);
  WriteRaw("f.txt", "keep");
  EXPECT_FALSE(DeleteFileKeepingBackup(File("f.txt")));
  EXPECT_FALSE(EmptyFileKeepingBackup(File("f.txt")));
  EXPECT_EQ(ReadRaw("f.txt"), "keep");
}

// A file another program writes to once it is read (appended to, or
// rewritten in place at its size) is neither deleted, emptied nor written
// back with an edit made on the bytes read: it stays as that program left it.
TEST_F(File_utils_copying, AFileWrittenToAfterItWasReadStays) {
  auto edited = [](const std::function<void()>& edit) {
    try {
      edit();
      return true;
    } catch (const Exception&) {
      return false;
    }
  };
  const struct {
    const char* routine;
    bool append;
    TFileSeamOp after;  // the other program writes at the first call of this kind
    std::function<bool(const String&)> call;
  } cases[] = {
      {"DeleteFileKeepingBackup", false, fsoRename, [](const String& f) { return DeleteFileKeepingBackup(f); }},
      {"EmptyFileKeepingBackup", true, fsoRename, [](const String& f) { return EmptyFileKeepingBackup(f); }},
      {"InsertIntoFileW", true, fsoTempFile, [](const String& f) { return InsertIntoFileW(f, u"x", false, 1); }},
      {"AlterFileW", true, fsoTempFile,
       [&](const String& f) { return edited([&] { AlterFileW(f, u'_', 1, 100); }); }},
      {"InsertedIntoSourceText", true, fsoTempFile,
       [](const String& f) {
         String marker = u"m";
         return InsertedIntoSourceText(f, marker, 2, 0x0409, false) > 0;
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.routine);
    std::filesystem::remove(Path("w.original"));
    WriteRaw("w.txt", "backed up");
    Int32 writer = -1;
    TFileSeamHook previous = SetFileSeamHook([&](TFileSeamOp op, const std::string&) -> Int32 {
      if (op == c.after && writer == -1) writer = WriteFromAnotherProcess(Path("w.txt"), c.append);
      return 0;
    });
    EXPECT_FALSE(c.call(File("w.txt")));
    SetFileSeamHook(std::move(previous));
    EXPECT_EQ(writer, 0);
    EXPECT_EQ(ReadRaw("w.txt"), c.append ? "backed upCHANGED" : "CHANGEDup");
  }
}

// A backup whose name resolves to the file itself (a ".bak" file, or a ".bak"
// name that links to the file) is no backup: the file is neither deleted nor
// emptied.
TEST_F(File_utils_copying, ABackupThatIsTheFileItselfIsRefused) {
  struct Case {
    const char* file;
    const char* link;  // a link made at the backup name, pointing at the file
  } cases[] = {{"only.bak", nullptr}, {"only.txt", "only.bak"}};
  for (const Case& c : cases) {
    WriteRaw(c.file, "the only copy");
    if (c.link != nullptr) {
      ASSERT_EQ(::symlink(c.file, Path(c.link).c_str()), 0);
    }
    EXPECT_FALSE(DeleteFileKeepingBackup(File(c.file))) << c.file;
    EXPECT_EQ(ReadRaw(c.file), "the only copy") << c.file;
    EXPECT_FALSE(EmptyFileKeepingBackup(File(c.file))) << c.file;
    EXPECT_EQ(ReadRaw(c.file), "the only copy") << c.file;
    CopyAFileWithBackup(File(c.file));
    EXPECT_EQ(ReadRaw(c.file), "the only copy") << c.file;
    std::remove(Path(c.file).c_str());
    if (c.link != nullptr) std::remove(Path(c.link).c_str());
  }
}

// The copy into "TEMP" beside a file in a shared sticky folder, by the file's
// owner as a plain user and as root: it goes only into a folder of the
// caller's own that nobody else may write into, never through a link, and
// never into a folder that lies where anyone may write without the sticky bit.
TEST_F(File_utils_copying, TheTEMPCopyGoesOnlyIntoTheCallersOwnFolder) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root and two spare users";
  ASSERT_EQ(::chmod(fDir.c_str(), 01777), 0);
  const struct {
    const char* what;
    const char* made;    // a folder made before the call (by the owner when ownFolder, else by the other user)
    mode_t mode;         // and its mode
    const char* linkTo;  // a link made in it under the file's name, to this file
    bool ownFolder;
    const char* folder;  // where the file lies
    bool copied;
  } cases[] = {
      {"no TEMP yet", nullptr, 0, nullptr, false, "", true},
      {"another user's TEMP with a link to the owner's file", "TEMP", 0777, "private.txt", false, "", false},
      {"another user's TEMP with a link to a system file", "TEMP", 0777, "system.txt", false, "", false},
      {"another user's empty TEMP", "TEMP", 0777, nullptr, false, "", false},
      {"a link in the owner's own TEMP", "TEMP", 0755, "private.txt", true, "", false},
      {"the owner's TEMP that others may write into", "TEMP", 0775, nullptr, true, "", false},
      {"a folder anyone may write without the sticky bit", "open", 0777, nullptr, false, "open/", false},
  };
  for (const uid_t owner : {kOwnerUid, uid_t{0}}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.what) + (owner == 0 ? ", as root" : ", as a plain user"));
      WriteRaw("system.txt", "system");
      ASSERT_EQ(AsUser(owner, [&] { return WriteFileBytes(Path("private.txt"), "private"), 0; }), 0);
      const std::string folder = c.folder;
      ASSERT_EQ(AsUser(c.ownFolder ? owner : kOtherUid,
                       [&] {
                         if (c.made == nullptr) return 0;
                         const std::string made = Path(c.made), link = made + "/thesis.txt";
                         return ::mkdir(made.c_str(), c.mode) | ::chmod(made.c_str(), c.mode) |
                                (c.linkTo != nullptr ? ::symlink(Path(c.linkTo).c_str(), link.c_str()) : 0);
                       }),
                0);
      const std::string thesis = Path(folder + "thesis.txt");
      ASSERT_EQ(AsUser(owner, [&] { return WriteFileBytes(thesis, "thesis"), ::chmod(thesis.c_str(), 0600); }), 0);
      EXPECT_EQ(AsUser(owner, [&] { return TryToCopyFileToTEMP(Utf8ToString(thesis)) ? 1 : 0; }), c.copied ? 1 : 0);
      EXPECT_EQ(ReadRaw("system.txt"), "system");
      EXPECT_EQ(ReadRaw("private.txt"), "private");
      struct stat st {};
      const std::string copy = Path(folder + "TEMP/thesis.txt");
      if (c.copied) {
        EXPECT_EQ(ReadRaw(folder + "TEMP/thesis.txt"), "thesis");
        ASSERT_EQ(::stat(Path(folder + "TEMP").c_str(), &st), 0);
        EXPECT_EQ(st.st_uid, owner);
        EXPECT_EQ(AsUser(kOtherUid, [&] { return ReadFileBytes(copy).empty() ? 0 : 1; }), 0);
      } else if (::lstat(copy.c_str(), &st) == 0) {
        EXPECT_TRUE(S_ISLNK(st.st_mode));  // a planted link stays a link
      }
      for (const char* n : {"TEMP", "open", "private.txt", "system.txt", "thesis.txt"})
        std::filesystem::remove_all(Path(n));
    }
  }
}

// Root's save that keeps a backup of a user's file gives the backup to that
// user, whose own next save of the file (which replaces the backup, or finds
// it made) goes on working.  A backup another user planted in the shared
// folder never gets the text.
TEST_F(File_utils_copying, RootsBackupOfAUsersFileIsTheUsers) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root and two spare users";
  ASSERT_EQ(::chmod(fDir.c_str(), 01777), 0);
  const std::string file = Path("user.txt");
  const struct {
    const char* routine;
    const char* backup;
    std::function<bool(const String&)> save;
  } cases[] = {
      {"InsertIntoFileW", "user.bak", [](const String& f) { return InsertIntoFileW(f, u"x", true, 1); }},
      {"DeleteFileKeepingBackup", "user.bak", [](const String& f) { return DeleteFileKeepingBackup(f); }},
      {"EmptyFileKeepingBackup", "user.bak", [](const String& f) { return EmptyFileKeepingBackup(f); }},
      {"AlterFileW", "user.original",
       [](const String& f) {
         try {
           return !AlterFileW(f, u'_', 1, 100).empty();
         } catch (const Exception&) {
           return false;
         }
       }},
  };
  auto userFile = [&] {
    return AsUser(kOwnerUid, [&] { return WriteFileBytes(file, "the user's text"), ::chmod(file.c_str(), 0640); });
  };
  for (const auto& c : cases) {
    for (const bool planted : {false, true}) {
      SCOPED_TRACE(std::string(c.routine) + (planted ? ", a backup planted" : ""));
      const std::string backup = Path(c.backup);
      ASSERT_EQ(userFile(), 0);
      if (planted) {
        ASSERT_EQ(AsUser(kOtherUid, [&] { return WriteFileBytes(backup, "planted"), ::chmod(backup.c_str(), 0666); }), 0);
      }
      const int held = planted ? ::open(backup.c_str(), O_RDONLY) : -1;
      const bool rootSaved = c.save(Utf8ToString(file));
      struct stat st {};
      if (planted) {
        char bytes[32] = {};
        EXPECT_EQ(std::string(bytes, static_cast<size_t>(::pread(held, bytes, sizeof bytes, 0))), "planted");
        ::close(held);
        EXPECT_EQ(AsUser(kOtherUid, [&] { return ReadFileBytes(backup).find("text") != std::string::npos; }), 0);
      } else {
        EXPECT_TRUE(rootSaved);
      }
      if (ReadRaw(c.backup) == "the user's text") {
        ASSERT_EQ(::stat(backup.c_str(), &st), 0);
        EXPECT_EQ(st.st_uid, kOwnerUid);
        EXPECT_EQ(st.st_mode & 07777, 0640u);
        // The user's own save, of the file as root left it or made again.
        if (!FileExists(Utf8ToString(file))) {
          ASSERT_EQ(userFile(), 0);
        }
        EXPECT_EQ(AsUser(kOwnerUid, [&] { return c.save(Utf8ToString(file)) ? 1 : 0; }), 1);
      } else {
        EXPECT_TRUE(planted);
      }
      for (const char* n : {"user.txt", "user.bak", "user.original"}) std::filesystem::remove(Path(n));
    }
  }
}

TEST_F(File_utils_copying, AskingBeforeDeletingOneFile) {
  RecordingMessageBox box;
  EXPECT_TRUE(OKToDeleteFile(File("none.txt")));
  EXPECT_TRUE(box.boxes.empty());
  WriteRaw("x.txt", "x");
  box.answer = IDCANCEL;
  EXPECT_FALSE(OKToDeleteFile(File("x.txt")));
  EXPECT_TRUE(FileExists(File("x.txt")));
  box.answer = IDOK;
  EXPECT_TRUE(OKToDeleteFile(File("x.txt")));
  EXPECT_FALSE(FileExists(File("x.txt")));
  ASSERT_EQ(box.boxes.size(), 2u);
  EXPECT_EQ(box.boxes[0].text, u"Delete " + File("x.txt") + u"?");
  EXPECT_EQ(box.boxes[0].caption, u"Confirmation");
  EXPECT_EQ(box.boxes[0].flags, MB_OKCANCEL | MB_ICONQUESTION);
}

TEST_F(File_utils_copying, FoldersAndHeads) {
  ASSERT_EQ(::mkdir(Path("real").c_str(), 0755), 0);
  ASSERT_EQ(::symlink(Path("real").c_str(), Path("link").c_str()), 0);
  EXPECT_TRUE(FolderProposedIsOriginalFolder(File("real/a.txt"), File("link/b.txt")));
  EXPECT_TRUE(FolderProposedIsOriginalFolder(File("real/x/../a.txt"), File("real/b")));
  EXPECT_FALSE(FolderProposedIsOriginalFolder(File("real/a.txt"), File("REAL/a.txt")));  // case counts here
  EXPECT_FALSE(FolderProposedIsOriginalFolder(u"", File("real/a")));

  std::unique_ptr<TUTF8Stringlist> l = FoldersFromSameHead(u"c:\\x\\a.txt|b.txt| c ");
  EXPECT_EQ(Lines(*l), (std::vector<String>{u"c:\\x\\a.txt", u"c:\\x\\b.txt", u"c:\\x\\c"}));
  l = FoldersFromSameHead(u"/h/a.txt|sub/b.txt|");
  EXPECT_EQ(Lines(*l), (std::vector<String>{u"/h/a.txt", u"/h/sub/b.txt"}));
  l = FoldersFromSameHead(u"");
  EXPECT_EQ(Lines(*l), (std::vector<String>{u""}));

  EXPECT_TRUE(RemovedEmptyFolder(File("missing")));
  WriteRaw("real/f", "");
  EXPECT_TRUE(RemovedEmptyFolder(File("real")));  // not empty: nothing to do
  EXPECT_TRUE(DirectoryExists(File("real")));
  EXPECT_EQ(FolderFileCount(File("real")), 1);
  ::unlink(Path("real/f").c_str());
  EXPECT_TRUE(RemovedEmptyFolder(File("real")));
  EXPECT_FALSE(DirectoryExists(File("real")));
}

TEST_F(File_utils_copying, EmptyFoldersGoDeepestFirst) {
  for (const char* d : {"r", "r/a", "r/a/b", "r/c", "r/c/d", "r/.keep"}) ASSERT_EQ(::mkdir(Path(d).c_str(), 0755), 0);
  WriteRaw("r/c/file", "");
  ASSERT_EQ(::symlink(Path("r").c_str(), Path("r/a/up").c_str()), 0);  // a loop, never followed
  std::unique_ptr<TStringList> seen = RemoveAllEmptyFolders(File("r/"));
  EXPECT_EQ(Lines(*seen), (std::vector<String>{File("r"), File("r/a"), File("r/a/b"), File("r/c"), File("r/c/d")}));
  EXPECT_FALSE(DirectoryExists(File("r/a/b")));
  EXPECT_TRUE(DirectoryExists(File("r/a")));  // holds the link
  EXPECT_FALSE(DirectoryExists(File("r/c/d")));
  EXPECT_TRUE(DirectoryExists(File("r/c")));
}

TEST_F(File_utils_copying, CopyOrMoveKeepingTheLayout) {
  Tree("src");
  // Below the scratch folder, the file lies at src/s1: so it does under out.
  ASSERT_TRUE(SetFileDate(File("src/s1/one.txt"), 2, 3, 2004));
  EXPECT_TRUE(CopyOrMoveAFileRetainingDirStructure(File("src/s1/one.txt"), u"", File("out"), true));
  EXPECT_EQ(ReadRaw("out/src/s1/one.txt"), "one");
  EXPECT_DOUBLE_EQ(GetFileAge(File("out/src/s1/one.txt")), GetFileAge(File("src/s1/one.txt")));
  EXPECT_TRUE(CopyOrMoveAFileRetainingDirStructure(File("src/s1/one.txt"), u"extra", File("out"), true));
  EXPECT_EQ(ReadRaw("out/src/s1/extra/one.txt"), "one");
  // The place it would go is the file itself: nothing is replaced.
  EXPECT_FALSE(CopyOrMoveAFileRetainingDirStructure(File("src/s1/one.txt"), u"", File("src"), true));
  EXPECT_EQ(ReadRaw("src/s1/one.txt"), "one");
  EXPECT_TRUE(CopyOrMoveAFileRetainingDirStructure(File("src/s1/s2/two.txt"), u"sub", File("src/s1"), false));
  EXPECT_EQ(ReadRaw("src/s1/s2/sub/two.txt"), "two");
  EXPECT_FALSE(FileExists(File("src/s1/s2/two.txt")));
}

TEST_F(File_utils_copying, MovingEveryLevelWithoutReplacing) {
  Tree("src");
  ASSERT_EQ(::mkdir(Path("dst").c_str(), 0755), 0);
  ASSERT_EQ(::mkdir(Path("dst/s1").c_str(), 0755), 0);
  WriteRaw("dst/s1/one.txt", "already there");
  WriteRaw("src/.hidden", "stays");
  const T2_longint_rec r = MovedFolderFulInto(File("src"), File("dst"), true);
  EXPECT_EQ(r.long0, 4);
  EXPECT_EQ(r.long1, 3);
  EXPECT_EQ(ReadRaw("dst/s1/one.txt"), "already there");
  EXPECT_EQ(ReadRaw("src/s1/one.txt"), "one");  // not moved, so kept
  EXPECT_EQ(ReadRaw("dst/s1/s2/s3/three.txt"), std::string(300000, '3'));
  EXPECT_EQ(ReadRaw("dst/top.txt"), "top");
  EXPECT_FALSE(DirectoryExists(File("src/s1/s2")));  // emptied and removed
  EXPECT_TRUE(DirectoryExists(File("src/s1")));
  EXPECT_TRUE(DirectoryExists(File("src")));

  const T2_longint_rec same = MovedFolderFulInto(File("src"), File("src/"), true);
  EXPECT_EQ(same.long0, -1);
  EXPECT_EQ(same.long1, -1);
  const T2_longint_rec inside = MovedFolderFulInto(File("src"), File("src/s1/new"), true);
  EXPECT_EQ(inside.long0, -1);
  EXPECT_FALSE(DirectoryExists(File("src/s1/new")));
  EXPECT_EQ(MovedFolderFulInto(File("none"), File("dst"), true).long1, -1);
}

TEST_F(File_utils_copying, MovingToAnotherFileSystemLosesNothing) {
  struct stat here, shm;
  if (::stat("/dev/shm", &shm) != 0 || ::stat(fDir.c_str(), &here) != 0 || here.st_dev == shm.st_dev)
    GTEST_SKIP() << "/dev/shm is not another file system here";
  char tmpl[] = "/dev/shm/sk_move_XXXXXX";
  ASSERT_NE(::mkdtemp(tmpl), nullptr);
  const std::string target = tmpl;
  Tree("src");
  ASSERT_TRUE(SetFileDate(File("src/s1/one.txt"), 7, 8, 2009));
  const TDateTime date = GetFileAge(File("src/s1/one.txt"));
  const T2_longint_rec r = MovedFolderFulInto(File("src"), Utf8ToString(target + "/in"), true);
  EXPECT_EQ(r.long0, 4);
  EXPECT_EQ(r.long1, 4);
  EXPECT_EQ(ReadFileBytes(target + "/in/s1/s2/s3/three.txt"), std::string(300000, '3'));
  EXPECT_EQ(ReadFileBytes(target + "/in/s1/one.txt"), "one");
  EXPECT_DOUBLE_EQ(GetFileAge(Utf8ToString(target + "/in/s1/one.txt")), date);
  EXPECT_FALSE(DirectoryExists(File("src")));
  RemoveScratchFolder(target);
}

TEST_F(File_utils_copying, MovingAFolderItself) {
  Tree("src");
  ASSERT_EQ(::mkdir(Path("to").c_str(), 0755), 0);
  TStringAndBooleanRec r = MovedFolderAndItsSubfoldersTo(File("src"), File("to"), false);
  EXPECT_EQ(r.s, File("to/src"));
  EXPECT_TRUE(r.OK);
  EXPECT_EQ(ReadRaw("to/src/s1/one.txt"), "one");
  EXPECT_FALSE(DirectoryExists(File("src")));
  r = MovedFolderAndItsSubfoldersTo(File("to/src"), File("to"), false);  // onto itself
  EXPECT_FALSE(r.OK);
  r = MovedFolderAndItsSubfoldersTo(File("to/src"), File("into"), true);
  EXPECT_EQ(r.s, File("into"));
  EXPECT_TRUE(r.OK);
  EXPECT_EQ(ReadRaw("into/s1/s2/two.txt"), "two");
  r = MovedFolderAndItsSubfoldersTo(File("into"), File("into/s1"), false);  // inside itself
  EXPECT_FALSE(r.OK);
  EXPECT_EQ(ReadRaw("into/top.txt"), "top");
}

TEST_F(File_utils_copying, DeletingAllFilesAsksFirst) {
  Tree("d");
  RecordingMessageBox box;
  box.answer = IDCANCEL;
  EXPECT_EQ(DeleteAllFilesOn(File("d"), u"*.txt", u"", false, true, false), 0);
  ASSERT_EQ(box.boxes.size(), 1u);
  EXPECT_EQ(box.boxes[0].text, u"File(s) already found there.\rDelete all 4 *.txt files in " + File("d") + u"?");
  EXPECT_EQ(box.boxes[0].caption, u"Sure?");
  EXPECT_EQ(box.boxes[0].flags, MB_OKCANCEL | MB_ICONQUESTION);
  EXPECT_TRUE(FileExists(File("d/top.txt")));

  box.answer = IDOK;
  EXPECT_EQ(DeleteAllFilesOn(File("d"), u"top.txt", u"", false, false, false), 1);
  EXPECT_EQ(box.boxes.back().text, u"File(s) already found there.\rDelete the one top.txt file in " + File("d") + u"?");
  EXPECT_FALSE(FileExists(File("d/top.txt")));

  const size_t asked = box.boxes.size();
  EXPECT_EQ(DeleteAllFilesOn(File("d"), u"*.none", u"", false, true, false), 0);
  EXPECT_EQ(box.boxes.size(), asked);  // nothing found, nothing asked

  EXPECT_EQ(DeleteAllFilesOn(File("d"), u"*.txt", u"", false, true, true), 3);
  EXPECT_FALSE(DirectoryExists(File("d")));  // every folder emptied and removed
}

TEST_F(File_utils_copying, MovingFilesNeverOverwrites) {
  Tree("d");
  ASSERT_EQ(::mkdir(Path("bin").c_str(), 0755), 0);
  WriteRaw("bin/one.txt", "the one already there");
  RecordingMessageBox box;
  EXPECT_EQ(DeleteAllFilesOn(File("d"), u"*.txt", File("bin"), true, true, false), 3);
  EXPECT_EQ(ReadRaw("bin/one.txt"), "the one already there");
  EXPECT_EQ(ReadRaw("d/s1/one.txt"), "one");  // that source stays
  EXPECT_EQ(ReadRaw("bin/two.txt"), "two");
  EXPECT_FALSE(FileExists(File("d/top.txt")));
}

TEST_F(File_utils_copying, AFileThatCannotBeDeletedRaises) {
  Tree("d");
  RecordingMessageBox box;
  // Another hand takes the second file away just before it is deleted.
  int yields = 0;
  Global_YieldProcessProc = [&] {
    if (++yields == 2) ::unlink(Path("d/s1/s2/s3/three.txt").c_str());
  };
  try {
    DeleteAllFilesOn(File("d"), u"*.txt", u"", false, true, false);
    FAIL() << "no error";
  } catch (const EOSError& e) {
    EXPECT_EQ(e.ErrorCode, ENOENT);
  }
}

TEST_F(File_utils_copying, TopFoldersOfFixedFileSystemsAreRefused) {
  FakeMounts mounts(fDir);
  const std::string fixed = mounts.Add("fixed", "ext4", "sdc1", false);
  const std::string usb = mounts.Add("usb", "vfat", "sdb1", true);
  WriteRaw("fixed/a.txt", "a");
  WriteRaw("usb/b.txt", "b");
  RecordingMessageBox box;
  EXPECT_EQ(DeleteAllFilesOn(File("fixed"), u"*.*", u"", false, false, false), 0);
  ASSERT_EQ(box.boxes.size(), 1u);
  EXPECT_EQ(box.boxes[0].text, u"Won't delete all files on " + File("fixed/"));
  EXPECT_EQ(box.boxes[0].caption, u"No Way!");
  EXPECT_EQ(box.boxes[0].flags, MB_OK | MB_ICONWARNING);
  EXPECT_TRUE(FileExists(File("fixed/a.txt")));
  EXPECT_EQ(DeleteAllFilesOn(u"/", u"*.*", u"", false, false, false), 0);
  EXPECT_EQ(box.boxes.back().caption, u"No Way!");
  EXPECT_EQ(DeleteAllFilesOn(File("usb"), u"*.*", u"", false, false, false), 1);  // removable: asks and goes on
  EXPECT_EQ(box.boxes.back().caption, u"Sure?");
  EXPECT_FALSE(FileExists(File("usb/b.txt")));
}

}  // namespace
}  // namespace sk
