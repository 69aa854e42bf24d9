// Saves that replace an existing file: cut at any write, flush or rename they
// raise and leave the old file byte for byte; reads that fail are errors, not
// the end of a file; copies never land on their own source; files with names
// at the length limit can still be replaced; a save keeps the file's ACL,
// attributes, group, mode and links, or is refused before any backup; a move
// to another file system keeps the owner.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>

#include "FileSeamTestSupport.h"
#include "TestSupport.h"
#include "platform/runtime/FileReplace.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/IniFiles.h"
#include "platform/runtime/StringList.h"
#include "platform/spreadsheet/XlsWorkbook.h"
#include "services/File_utils_copying.h"
#include "services/File_utils_textfiles.h"
#include "services/Modify_source_texts_basics.h"

namespace sk {
namespace {

class WholeFileSaves : public ScratchFolderTest {
 protected:
  WholeFileSaves() : ScratchFolderTest("sk_saves") {}
};

// Fails the n-th read (from 1) of the file layer with an error; other calls run.
class ScopedReadFailure {
 public:
  ScopedReadFailure(int n, Int32 error) {
    fPrevious = SetFileSeamHook([this, n, error](TFileSeamOp op, const std::string&) -> Int32 {
      if (op != fsoRead || ++reads != n) return 0;
      failed = true;
      return error;
    });
  }
  ~ScopedReadFailure() { SetFileSeamHook(std::move(fPrevious)); }
  ScopedReadFailure(const ScopedReadFailure&) = delete;
  ScopedReadFailure& operator=(const ScopedReadFailure&) = delete;
  int reads = 0;
  bool failed = false;

 private:
  TFileSeamHook fPrevious;
};

std::string IniText(int keys) {
  std::string s = "[main]\r\n";
  for (int i = 0; i < keys; ++i) s += "key" + std::to_string(i) + "=value number " + std::to_string(i) + "\r\n";
  return s;
}

struct SaveCase {
  const char* name;
  std::function<void(const String& file)> save;
};

// Each save replaces a file; with every call of the file layer failed in turn
// the save either raises and the file keeps its old bytes (its new ones when
// only the folder's flush after the rename failed), or completes.
TEST_F(WholeFileSaves, AFailedSaveLeavesTheOldFileWhole) {
  const std::string old = IniText(200);
  const SaveCase cases[] = {
      {"string list",
       [](const String& f) {
         TStringList list;
         for (int i = 0; i < 300; ++i) list.Add(u"line " + IntToStr(i));
         list.SaveToFile(f);
       }},
      {"memory stream",
       [](const String& f) {
         TMemoryStream m;
         const std::string bytes(100000, 'm');
         m.WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
         m.SaveToFile(f);
       }},
      {"ini file write", [](const String& f) { TIniFile(f).WriteString(u"main", u"added", u"new value"); }},
      {"mem ini update",
       [](const String& f) {
         TMemIniFile ini(f);
         ini.WriteString(u"other", u"k", u"v");
         ini.UpdateFile();
       }},
  };
  for (const SaveCase& c : cases) {
    int failures = 0;
    for (Int64 failAt = 1;; ++failAt) {
      WriteRaw("t.ini", old);
      bool raised = false;
      bool failed;
      bool folderFlush;
      {
        ScopedFileSeam seam(failAt, ENOSPC, true);
        try {
          c.save(File("t.ini"));
        } catch (const Exception&) {
          raised = true;
        }
        failed = seam.failed;
        folderFlush = seam.failedOp == fsoFlush && !seam.failedPath.empty();
      }
      if (!failed) break;  // every call has been failed once
      if (raised) {
        ++failures;
        // A folder flush fails after the rename: the new content is in place
        // but not known to last, and the save says so.
        if (folderFlush) ASSERT_NE(ReadRaw("t.ini"), old) << c.name << ", call " << failAt;
        else ASSERT_EQ(ReadRaw("t.ini"), old) << c.name << ", call " << failAt;
      } else {
        ASSERT_NE(ReadRaw("t.ini"), old) << c.name << ", call " << failAt;  // a read that failed, then retried
      }
    }
    EXPECT_GT(failures, 0) << c.name;
  }
}

// Whether a save went: false when it answered false or raised.
bool Went(const std::function<bool()>& save) {
  try {
    return save();
  } catch (const Exception&) {
    return false;
  }
}

// Runs body as nobody (in a child) when the test runs as root; body's answer.
int AsOrdinaryUser(const std::function<int()>& body) {
  if (::geteuid() != 0) return body();
  const pid_t child = ::fork();
  if (child == 0)
    ::_exit(::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0 ? body() : 100);
  int status = 0;
  return ::waitpid(child, &status, 0) == child && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Every save through the whole-file replace refuses, the file untouched and
// no backup made beside it, a read-only file of the caller's own (1) and, in
// a shared sticky folder, another user's writable file (2), which it could not
// give back its owner.
TEST_F(WholeFileSaves, SavesRefuseAFileTheCallerCouldNotWriteOrKeep) {
  ASSERT_EQ(::chmod(fDir.c_str(), 01777), 0);
  const std::string own = Path("mine/ro.txt"), other = Path("other.txt"), old = "old text";
  const std::function<bool(const String&)> saves[] = {
      [](const String& f) { TStringList l; l.SaveToFile(f); return true; },
      [](const String& f) { return InsertIntoFileW(f, u"new", true, 2); },
      [](const String& f) { return ConvertTextFileToUnicode(f, 1252); },
      [](const String& f) { return !AlterFileW(f, u'_', 1, 100).empty(); },
      [](const String& f) {
        String text = u"new";
        return InsertedIntoSourceText(f, text, 2, 0, false) != 0;
      },
      [](const String& f) { return EmptyFileKeepingBackup(f); },
      [this](const String& f) { return CopyFile(File("src.txt"), f, false); },
      [](const String& f) { TXlsWorkbook wb; wb.Save(f); return true; },
  };
  WriteRaw("src.txt", "copied");
  ASSERT_EQ(::mkdir(Path("mine").c_str(), 0755), 0);
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(Path("mine").c_str(), 65534, 65534), 0);
  }
  for (size_t i = 0; i < std::size(saves); ++i) {
    WriteRaw("other.txt", old);
    ASSERT_EQ(::chmod(other.c_str(), 0666), 0);
    const auto before = std::distance(std::filesystem::directory_iterator(fDir), {});
    EXPECT_EQ(AsOrdinaryUser([&] {
                WriteFileBytes(own, old);
                ::chmod(own.c_str(), 0444);
                int bad = Went([&] { return saves[i](Utf8ToString(own)); }) || ReadFileBytes(own) != old;
                // Only where the other file is another user's (run as root,
                // or as any user but the one the test itself runs as).
                struct stat o {};
                if (::stat(other.c_str(), &o) == 0 && o.st_uid != ::geteuid() &&
                    (Went([&] { return saves[i](Utf8ToString(other)); }) || ReadFileBytes(other) != old))
                  bad += 2;
                ::unlink(own.c_str());
                return bad + (std::distance(std::filesystem::directory_iterator(Path("mine")), {}) != 0 ? 4 : 0);
              }),
              0)
        << "save " << i;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(fDir), {}), before) << "save " << i;
    for (const auto& e : std::filesystem::directory_iterator(Path("mine"))) std::filesystem::remove(e.path());
  }
  // The refusal of another user's file says why.
  EXPECT_EQ(AsOrdinaryUser([&] {
              try {
                ReplaceFileWith(Utf8ToString(other), [](TStream&) {});
              } catch (const EFCreateError& e) {
                return e.Message().find(LoadResString(_SKSaveWouldChangeOwner)) != String::npos ? 0 : 1;
              }
              struct stat o {};
              return ::stat(other.c_str(), &o) == 0 && o.st_uid != ::geteuid() ? 2 : 0;
            }),
            0);
}

// A look at the target failing with anything but "no such file" is not a
// missing file: nothing is replaced (the ini file is not read as empty and
// written over), content and mode kept.  A folder flush failing after the
// rename fails the save.
TEST_F(WholeFileSaves, ALookOrAFolderFlushThatFailsFailsTheSave) {
  const std::string ini = IniText(200);
  for (const TFileSeamOp op : {fsoStat, fsoFlush}) {
    WriteRaw("t.ini", ini);
    ASSERT_EQ(::chmod(Path("t.ini").c_str(), 0600), 0);
    int failed = 0;
    TFileSeamHook previous = SetFileSeamHook([&](TFileSeamOp o, const std::string& path) -> Int32 {
      return o == op && !path.empty() && ++failed ? EIO : 0;
    });
    EXPECT_FALSE(Went([this] { TIniFile(File("t.ini")).WriteString(u"main", u"added", u"v"); return true; }));
    EXPECT_FALSE(ReplaceFileContent(File("t.ini"), B("replaced")));
    SetFileSeamHook(std::move(previous));
    EXPECT_GT(failed, 0);
    EXPECT_EQ(ReadRaw("t.ini"), op == fsoFlush ? "replaced" : ini) << op;
    struct stat st;
    ASSERT_EQ(::stat(Path("t.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u) << op;
  }
}

// A read failing part-way is an error: the loaders raise, and an ini file
// that could not be read is never written over with what little was read.
TEST_F(WholeFileSaves, AFailedReadIsNotTheEndOfTheFile) {
  const std::string big(200000, 'r');
  WriteRaw("big.txt", big);
  // The first read, and the one that would find the end.
  for (int failAt : {1, 2}) {
    {
      ScopedReadFailure seam(failAt, EIO);
      TMemoryStream m;
      m.WriteBuffer("kept", 4);
      EXPECT_THROW(m.LoadFromFile(File("big.txt")), EReadError) << failAt;
      EXPECT_TRUE(seam.failed);
      EXPECT_TRUE(m.ToBytes() == B("kept"));
    }
    {
      ScopedReadFailure seam(failAt, EIO);
      TStringList list;
      list.Add(u"before");
      EXPECT_THROW(list.LoadFromFile(File("big.txt")), EReadError) << failAt;
      ASSERT_EQ(list.Count(), 1);
      EXPECT_TRUE(list[0] == u"before");
    }
  }
  const std::string ini = IniText(200);
  WriteRaw("r.ini", ini);
  {
    std::unique_ptr<TIniFile> f;
    {
      ScopedReadFailure seam(1, EIO);
      f = std::make_unique<TIniFile>(File("r.ini"));
    }
    EXPECT_THROW(f->WriteString(u"main", u"k", u"v"), EFCreateError);
  }
  EXPECT_EQ(ReadRaw("r.ini"), ini);
  // Read whole, it is written back with the new key.
  TIniFile(File("r.ini")).WriteString(u"main", u"k", u"v");
  EXPECT_EQ(ReadRaw("r.ini").substr(0, 8), "[main]\r\n");
  EXPECT_EQ(TMemIniFile(File("r.ini")).ReadString(u"main", u"key199", u""), u"value number 199");
}

TEST_F(WholeFileSaves, ACopyNeverLandsOnItsOwnSource) {
  WriteRaw("only.txt", "the only copy");
  ASSERT_EQ(::symlink("only.txt", Path("soft.txt").c_str()), 0);
  ASSERT_EQ(::link(Path("only.txt").c_str(), Path("hard.txt").c_str()), 0);
  for (const char* target : {"only.txt", "soft.txt", "hard.txt", "./only.txt"}) {
    for (bool failIfExists : {false, true}) {
      EXPECT_FALSE(CopyFile(File("only.txt"), File(target), failIfExists)) << target;
      EXPECT_EQ(ReadRaw("only.txt"), "the only copy") << target;
    }
  }
  struct stat st;
  ASSERT_EQ(::lstat(Path("soft.txt").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  // Another file is still replaced.
  WriteRaw("other.txt", "other");
  EXPECT_TRUE(CopyFile(File("only.txt"), File("other.txt"), false));
  EXPECT_EQ(ReadRaw("other.txt"), "the only copy");
}

// A copy over a file is a save: through a link onto the file it points to,
// and, killed part-way, it leaves no visible name behind; nor does a copy to
// a new name (failIfExists).
TEST_F(WholeFileSaves, ACopyOverAFileIsASave) {
  WriteRaw("src.txt", std::string(300000, 's'));
  WriteRaw("real.txt", "old");
  ASSERT_EQ(::symlink("real.txt", Path("link.txt").c_str()), 0);
  ASSERT_TRUE(CopyFile(File("src.txt"), File("link.txt"), false));
  EXPECT_TRUE(std::filesystem::is_symlink(Path("link.txt")));
  EXPECT_EQ(ReadRaw("real.txt").size(), 300000u);
  for (bool failIfExists : {false, true}) {
    const pid_t child = ::fork();
    if (child == 0) {
      SetFileSeamHook([](TFileSeamOp op, const std::string&) -> Int32 { return op == fsoFlush ? (::_exit(0), 0) : 0; });
      ::_exit(CopyFile(File("src.txt"), File("dst.txt"), failIfExists) ? 1 : 2);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "not killed before its flush: " << failIfExists;
  }
  for (const auto& e : std::filesystem::directory_iterator(fDir)) {
    const std::string name = e.path().filename().string();
    EXPECT_TRUE(name == "src.txt" || name == "real.txt" || name == "link.txt" || name[0] == '.') << name;
  }
}

// Names whose temporary sibling would pass the limit of a name: ASCII and
// multi-byte UTF-8, exactly at the limit.
TEST_F(WholeFileSaves, FilesWithLongNamesCanBeReplacedAndCopiedOver) {
  std::string wide;
  while (wide.size() + 3 <= kMaxNameBytes) wide += "\xE4\xB8\xAD";  // three bytes a character
  const std::string names[] = {std::string(kMaxNameBytes, 'n'), wide};
  for (const std::string& name : names) {
    WriteRaw(name, "old");
    EXPECT_TRUE(ReplaceFileContent(File(name), B("replaced"))) << name.size();
    EXPECT_EQ(ReadRaw(name), "replaced");
    WriteRaw("src.txt", "copied");
    EXPECT_TRUE(CopyFile(File("src.txt"), File(name), false)) << name.size();
    EXPECT_EQ(ReadRaw(name), "copied");
    TStringList list;
    list.Add(u"saved");
    list.SaveToFile(File(name));
    list.SaveToFile(File("ref.txt"));
    EXPECT_EQ(ReadRaw(name), ReadRaw("ref.txt"));
    EXPECT_NE(ReadRaw(name).find("saved\r\n"), std::string::npos);
    std::remove(Path(name).c_str());
  }
  // The sibling's name fits and is cut between characters, never inside one.
  const std::string cut = TemporarySiblingName(".", wide, ".abcdef.tmp");
  EXPECT_LE(cut.size(), kMaxNameBytes);
  EXPECT_EQ((cut.size() - 12) % 3, 0u);
  EXPECT_EQ(TemporarySiblingName(".", "short", ".x.tmp"), ".short.x.tmp");
}

// Gives a file the ACL and a user attribute; false where they cannot be kept.
bool Protect(const std::string& path) {
  return ::setxattr(path.c_str(), "system.posix_acl_access", kTestAcl.data(), kTestAcl.size(), 0) == 0 &&
         ::setxattr(path.c_str(), "user.note", "corpus", 6, 0) == 0;
}

bool Protected(const std::string& path) {
  return Attribute(path, "system.posix_acl_access") == kTestAcl && Attribute(path, "user.note") == "corpus";
}

// Saves a new text through save number how: the whole-file replace, a string
// list, a memory stream, InsertIntoFileW, AlterFileW, a workbook.
bool SaveBy(int how, const String& f) {
  TStringList list;
  TMemoryStream m;
  list.Add(u"a new text");
  m.WriteBuffer("a new text", 10);
  switch (how) {
    case 0: return ReplaceFileContent(f, B("a new text"));
    case 1: list.SaveToFile(f); return true;
    case 2: m.SaveToFile(f); return true;
    case 3: return InsertIntoFileW(f, u"new ", true, 1);
    case 4: return !AlterFileW(f, u'_', 1, 100).empty();
    default: TXlsWorkbook().Save(f); return true;
  }
}
const char* const kBackupOf[] = {nullptr, nullptr, nullptr, "data.bak", "data.original", nullptr};

Int64 EntriesIn(const std::string& dir) { return std::distance(std::filesystem::directory_iterator(dir), {}); }

// Every save keeps the file's ACL and attributes, on the file and its backup;
// an owner outside the file's group (which the ACL's "group::" entry is
// about) is refused, the file left as it was, while a copy goes without the
// ACL, its group narrowed.
TEST_F(WholeFileSaves, SavesKeepTheAclAndAttributesOrAreRefused) {
  const std::string data = Path("data.txt"), old = "an old text here";
  ASSERT_EQ(::chmod(fDir.c_str(), 01777), 0);
  struct stat st;
  for (int how = 0; how < 6; ++how) {
    WriteRaw("data.txt", old);
    if (::chmod(data.c_str(), 0600) != 0 || !Protect(data)) GTEST_SKIP() << "no ACLs or attributes here";
    ASSERT_TRUE(Went([&] { return SaveBy(how, File("data.txt")); })) << how;
    for (const std::string& file : {data, kBackupOf[how] != nullptr ? Path(kBackupOf[how]) : data})
      EXPECT_TRUE(Protected(file) && ::stat(file.c_str(), &st) == 0 && (st.st_mode & 07777) == 0660) << how << file;
    if (kBackupOf[how] != nullptr) std::filesystem::remove(Path(kBackupOf[how]));
    WriteRaw("data.txt", old);
    if (::geteuid() != 0 || ::chown(data.c_str(), 65534, 0) != 0 || !Protect(data)) continue;
    EXPECT_EQ(AsOrdinaryUser([&] { return Went([&] { return SaveBy(how, Utf8ToString(data)); }) ? 1 : 0; }), 0);
    EXPECT_TRUE(ReadRaw("data.txt") == old && Protected(data) && EntriesIn(fDir) == 1) << how;
  }
  if (::geteuid() != 0) return;
  EXPECT_EQ(AsOrdinaryUser([&] { return CopyFile(Utf8ToString(data), File("copy.txt"), true) ? 0 : 1; }), 0);
  EXPECT_TRUE(::stat(Path("copy.txt").c_str(), &st) == 0 && (st.st_mode & 0777) == 0600 &&
              Attribute(Path("copy.txt"), "system.posix_acl_access").empty());
}

// A group that cannot be given for another reason than a lack of right (an
// I/O error) fails the save and the backups, rather than narrowing access.
TEST_F(WholeFileSaves, AGroupChangeThatFailsFailsTheSave) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs a group the process is not in";
  const std::string data = Path("data.txt");
  const std::function<bool()> saves[] = {[&] { return SaveBy(0, File("data.txt")); },
                                         [&] { return SaveBy(4, File("data.txt")); },
                                         [&] { return CopyFile(File("data.txt"), File("data.bak"), false); },
                                         [&] { return CopyFile(File("data.txt"), File("copy.txt"), true); }};
  WriteRaw("data.txt", "an old text");
  ASSERT_TRUE(::chown(data.c_str(), 0, 65534) == 0 && ::chmod(data.c_str(), 0640) == 0);
  for (size_t i = 0; i < std::size(saves); ++i) {
    TFileSeamHook previous = SetFileSeamHook([](TFileSeamOp op, const std::string&) { return op == fsoChown ? EIO : 0; });
    EXPECT_FALSE(Went(saves[i])) << i;
    SetFileSeamHook(std::move(previous));
    struct stat st;
    EXPECT_TRUE(::stat(data.c_str(), &st) == 0 && st.st_gid == 65534 && (st.st_mode & 0777) == 0640) << i;
    EXPECT_TRUE(ReadRaw("data.txt") == "an old text" && EntriesIn(fDir) == 1) << i;
  }
}

// A save through a link whose file is missing creates that file, the link
// kept; where it cannot (no folder, a loop, a link another user left in a
// shared sticky folder) it is refused and makes nothing.
TEST_F(WholeFileSaves, ASaveThroughADanglingLinkKeepsTheLink) {
  ASSERT_EQ(::mkdir(Path("sub").c_str(), 0755), 0);
  ASSERT_EQ(::chmod(fDir.c_str(), 01777), 0);
  ASSERT_EQ(::symlink("sub/missing-b.txt", Path("b2.txt").c_str()), 0);
  const std::tuple<const char*, std::string, const char*> cases[] = {
      {"a.txt", "missing-a.txt", "missing-a.txt"}, {"b.txt", "b2.txt", "sub/missing-b.txt"},
      {"c.txt", Path("missing-c.txt"), "missing-c.txt"}, {"d.txt", "nofolder/d.txt", nullptr},
      {"e.txt", "e.txt", nullptr}, {"f.txt", "missing-f.txt", nullptr}};  // f.txt is nobody's
  for (const auto& [link, to, created] : cases) {
    ASSERT_EQ(::symlink(to.c_str(), Path(link).c_str()), 0);
    if (link[0] == 'f' && (::geteuid() != 0 || ::lchown(Path(link).c_str(), 65534, 65534) != 0)) continue;
    for (int how = 0; how < 3; ++how) {
      EXPECT_EQ(Went(std::bind(SaveBy, how, File(link))), created != nullptr) << link << how;
      EXPECT_TRUE(std::filesystem::is_symlink(Path(link))) << link << how;
      if (created == nullptr) continue;
      EXPECT_NE(ReadRaw(created).find("a new text"), std::string::npos) << link << how;
      std::filesystem::remove(Path(created));
    }
  }
  EXPECT_EQ(EntriesIn(fDir), 8);  // the links and "sub": nothing made beside them
}

// The mode and group the file has when the replacement takes its place are
// kept, not those it had when the save began.
TEST_F(WholeFileSaves, AModeChangedWhileASaveRunsIsKept) {
  const std::string data = Path("data.txt");
  for (const auto& [mode, gid] : {std::pair<mode_t, gid_t>{0604, ::getegid()}, {0640, 65534}}) {
    if (gid != ::getegid() && ::geteuid() != 0) continue;
    WriteRaw("data.txt", "old");
    TFileReplaceStream s(File("data.txt"));
    s.WriteBuffer("new", 3);
    ASSERT_TRUE(::chown(data.c_str(), static_cast<uid_t>(-1), gid) == 0 && ::chmod(data.c_str(), mode) == 0);
    ASSERT_TRUE(s.Commit());
    struct stat st;
    EXPECT_TRUE(::stat(data.c_str(), &st) == 0 && (st.st_mode & 07777) == mode && st.st_gid == gid) << mode;
  }
}

// Sets or clears inode flags (append-only, immutable); false where the file
// system or the process may not.
bool SetInodeFlags(const std::string& path, int flag, bool on) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  int flags = 0;
  const bool ok = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
                  (flags = on ? flags | flag : flags & ~flag, ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
  if (fd >= 0) ::close(fd);
  return ok;
}

// A file that a save or a delete would be refused on gets no backup, so an
// earlier one stays: append-only and immutable files, and another user's
// file in a sticky folder.
TEST_F(WholeFileSaves, ARefusedSaveOrDeleteMakesNoBackup) {
  const std::function<bool()> saves[] = {[&] { return SaveBy(3, File("data.txt")); },
                                         [&] { return SaveBy(4, File("data.txt")); },
                                         [&] { return EmptyFileKeepingBackup(File("data.txt")); },
                                         [&] { return DeleteFileKeepingBackup(File("data.txt")); }};
  WriteRaw("data.txt", "an old text");
  struct Unflag {
    std::string path;
    ~Unflag() { SetInodeFlags(path, FS_APPEND_FL | FS_IMMUTABLE_FL, false); }
  } unflag{Path("data.txt")};
  for (const int flag : {FS_APPEND_FL, FS_IMMUTABLE_FL}) {
    if (!SetInodeFlags(Path("data.txt"), flag, true)) GTEST_SKIP() << "inode flags cannot be set here";
    for (size_t i = 0; i < std::size(saves); ++i)
      EXPECT_TRUE(!Went(saves[i]) && ReadRaw("data.txt") == "an old text" && EntriesIn(fDir) == 1) << flag << i;
    ASSERT_TRUE(SetInodeFlags(Path("data.txt"), flag, false));
  }
  if (::geteuid() != 0) return;
  ASSERT_TRUE(::chmod(fDir.c_str(), 01777) == 0 && ::chmod(Path("data.txt").c_str(), 0666) == 0);
  EXPECT_EQ(AsOrdinaryUser([&] {
              WriteFileBytes(Path("data.bak"), "mine");
              return DeleteFileKeepingBackup(File("data.txt")) || ReadFileBytes(Path("data.bak")) != "mine";
            }),
            0);
}

// Run by root on a root-only file in a shared sticky folder where another
// user made the backup's name first: each backup and copy is root's own and
// closed to that user, or refused, and the planted file never gets the text.
TEST_F(WholeFileSaves, ABackupOverAnotherUsersFileIsNeverTheirs) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root and a second user";
  ASSERT_EQ(::chmod(fDir.c_str(), 01777), 0);
  const String secret = File("secret.txt");
  const std::string bak = Path("secret.bak");
  const std::function<bool()> copies[] = {
      [&] { return DeleteFileKeepingBackup(secret); }, [&] { return EmptyFileKeepingBackup(secret); },
      [&] { return InsertIntoFileW(secret, u"new ", true, 1); },
      [&] { return CopyFile(secret, Utf8ToString(bak), false); }};
  for (size_t i = 0; i < std::size(copies); ++i) {
    WriteRaw("secret.txt", "the secret");
    ASSERT_EQ(::chmod(Path("secret.txt").c_str(), 0600), 0);
    ASSERT_EQ(AsOrdinaryUser([&] { return WriteFileBytes(bak, "planted"), ::chmod(bak.c_str(), 0666); }), 0);
    const int planted = ::open(bak.c_str(), O_RDONLY);
    Went(copies[i]);
    char held[16] = {};
    EXPECT_EQ(std::string(held, static_cast<size_t>(::pread(planted, held, sizeof held, 0))), "planted") << i;
    ::close(planted);
    struct stat st;
    EXPECT_TRUE(ReadFileBytes(bak) == "planted" || (::stat(bak.c_str(), &st) == 0 && st.st_uid == 0)) << i;
    EXPECT_EQ(AsOrdinaryUser([&] { return ReadFileBytes(bak).find("secret") != std::string::npos; }), 0) << i;
    ::unlink(bak.c_str());
  }
}

// A file moved to another file system keeps its owner, group, ACL and
// attributes; the destination's folder reaches the disk before the source
// goes, and while it cannot the source stays.
TEST_F(WholeFileSaves, AMoveToAnotherFileSystemKeepsTheOwnerAndReachesTheDisk) {
  struct stat here, st;
  if (::geteuid() != 0 || ::stat(fDir.c_str(), &here) != 0 || ::stat("/dev/shm", &st) != 0 || here.st_dev == st.st_dev)
    GTEST_SKIP() << "needs root and a second file system";
  const ScratchFolder other = [] {
    ScopedEnvVar onShm("TMPDIR", "/dev/shm");
    return ScratchFolder("sk_moved");
  }();
  const std::string src = Path("data.txt"), dst = other.Path("data.txt"), folder = dst.substr(0, dst.rfind('/'));
  WriteRaw("data.txt", "moved");
  ASSERT_EQ(::chown(src.c_str(), 1000, 1001), 0);
  const bool attributes = Protect(src);
  std::vector<std::pair<TFileSeamOp, std::string>> seen;
  bool failing = true;
  TFileSeamHook previous = SetFileSeamHook([&](TFileSeamOp op, const std::string& path) -> Int32 {
    seen.emplace_back(op, path);
    return failing && op == fsoFlush && path == folder ? EIO : 0;
  });
  EXPECT_FALSE(RenameFile(File("data.txt"), other.File("data.txt")));
  EXPECT_TRUE(ReadRaw("data.txt") == "moved" && !std::filesystem::exists(dst));
  failing = false;
  seen.clear();
  const bool moved = MoveFile(File("data.txt"), other.File("data.txt"), true);
  SetFileSeamHook(std::move(previous));
  ASSERT_TRUE(moved);
  const auto flushed = std::find(seen.begin(), seen.end(), std::make_pair(fsoFlush, folder));
  EXPECT_TRUE(flushed < std::find(seen.begin(), seen.end(), std::make_pair(fsoDelete, src)));
  ASSERT_EQ(::stat(dst.c_str(), &st), 0);
  EXPECT_TRUE(st.st_uid == 1000 && st.st_gid == 1001 && !std::filesystem::exists(src));
  EXPECT_TRUE(!attributes || Protected(dst));
}

}  // namespace
}  // namespace sk
