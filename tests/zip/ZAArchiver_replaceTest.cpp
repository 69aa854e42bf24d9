// What a commit does to the file behind the archive's name: a writer waiting
// while other processes replace the whole file, the archive's permissions
// and extended attributes, names that are hard links of one file, and the
// hidden copies that killed writers leave beside it.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <atomic>
#include <set>

#include "ArchiverTestSupport.h"
#include "ZipTestSupport.h"
#include "platform/runtime/FileSeam.h"
#include "zip/ZAJournal.h"

namespace sk {
namespace {

using std::chrono::milliseconds;

class ZAReplace : public ArchiverScratchTest {
 protected:
  ZAReplace() : ArchiverScratchTest("sk_replace") {}
  // An archive at name holding the entries e<from>.txt to e<to - 1>.txt.
  void MakeArchive(const std::string& name, Int32 from, Int32 to) {
    TZipArchiver zip;
    zip.FFileName = File(name);
    zip.OpenArchive(fmCreate);
    zip.BeginUpdate();
    for (Int32 i = from; i < to; ++i) zip.AddFromString(Entry(i), Entry(i) + u" holds some text", 0x20, 40000);
    zip.EndUpdate();
    zip.CloseArchive();
  }
  static String Entry(Int32 i) { return Utf8ToString("e" + std::to_string(100 + i) + ".txt"); }
  std::set<std::string> Names(const std::string& name) {
    TZipArchiver zip;
    zip.FFileName = File(name);
    zip.OpenArchive(fmOpenRead);
    std::set<std::string> r;
    for (Int32 i = 0; i < zip.DMHandle->CDir->Count(); ++i)
      r.insert(StringToUtf8(zip.DMHandle->CDir->FItems[static_cast<size_t>(i)].Name));
    return r;
  }
  std::set<std::string> NamesOf(Int32 from, Int32 to, std::set<std::string> more = {}) {
    for (Int32 i = from; i < to; ++i) more.insert(StringToUtf8(Entry(i)));
    return more;
  }
  ino_t Inode(const std::string& name) {
    struct stat st {};
    return ::stat(Path(name).c_str(), &st) == 0 ? st.st_ino : 0;
  }
};

TEST_F(ZAReplace, AWaitingWriterNeverAddsToAFileThatLeftTheName) {
  struct Case {
    const char* what;
    Int32 wait;   // the writer's lock wait, ms
    Int32 pause;  // before each replace, ms
    bool added;   // else error 71
  } cases[] = {
      {"the wait outlasts six replaces", 20000, 0, true},
      {"the wait runs out while it follows the file", 200, 80, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MakeArchive("a.zip", 0, 8);
    // Six first-entry deletes by other processes, each a whole new file.
    for (Int32 k = 1; k <= 6; ++k) MakeArchive("v" + std::to_string(k) + ".zip", k, 8);
    TZipArchiver writer;
    writer.FFileName = File("a.zip");
    writer.FLockWait = c.wait;
    writer.OpenArchive();
    int held = ::open(Path("a.zip").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    std::atomic<Int32> locks{0};
    std::atomic<bool> done{false};
    const TFileSeamHook previous = SetFileSeamHook([&locks](TFileSeamOp op, const std::string&) {
      if (op == fsoLock) ++locks;
      return 0;
    });
    Int32 code = -2;
    std::thread add([&] {
      code = EngineErrorOf([&] { writer.AddFromString(u"new.txt", u"added", 0x20, 40000); });
      done = true;
    });
    // Each replace comes once the writer waits for the file at the name.
    auto waitForLocks = [&](Int32 n) {
      for (Int32 t = 0; t < 3000 && locks < n && !done; ++t) std::this_thread::sleep_for(milliseconds(1));
    };
    waitForLocks(1);
    for (Int32 k = 1; k <= 6; ++k) {
      std::this_thread::sleep_for(milliseconds(c.pause));
      const std::string next = "v" + std::to_string(k) + ".zip";
      const int lock = ::open(Path(next).c_str(), O_RDONLY | O_CLOEXEC);
      ASSERT_EQ(::flock(lock, LOCK_EX), 0);
      ASSERT_EQ(::rename(Path(next).c_str(), Path("a.zip").c_str()), 0);
      ::close(held);
      held = lock;
      waitForLocks(k + 1);
    }
    ::close(held);
    add.join();
    SetFileSeamHook(previous);
    writer.CloseArchive();
    EXPECT_EQ(code, c.added ? -1 : 71);
    EXPECT_EQ(Names("a.zip"), NamesOf(6, 8, c.added ? std::set<std::string>{"new.txt"} : std::set<std::string>{}));
  }
}

TEST_F(ZAReplace, AFirstByteCommitKeepsTheArchivesAclAndExtendedAttributes) {
  MakeArchive("a.zip", 0, 4);
  const std::string path = Path("a.zip");
  const std::string note = "corpus of letters, do not share";
  if (::setxattr(path.c_str(), "user.note", note.data(), note.size(), 0) != 0)
    GTEST_SKIP() << "the file system keeps no extended attributes";
  const bool withAcl = LetUserWrite(path, 2005);
  auto attribute = [&](const char* name) {
    char value[256];
    const ssize_t n = ::getxattr(path.c_str(), name, value, sizeof value);
    return n < 0 ? std::string("(none)") : std::string(value, static_cast<size_t>(n));
  };
  struct stat before {}, after {};
  ASSERT_EQ(::stat(path.c_str(), &before), 0);
  const std::string aclBefore = attribute("system.posix_acl_access");
  // Without its first entry the archive is written anew from the first byte.
  EXPECT_EQ(Through(File("a.zip"), [](TZipArchiver& zip) { zip.DeleteFiles(Entry(0), 0x28BF, String()); }), -1);
  ASSERT_EQ(::stat(path.c_str(), &after), 0);
  EXPECT_EQ(Names("a.zip"), NamesOf(1, 4));
  EXPECT_EQ(attribute("user.note"), note);
  EXPECT_EQ(after.st_mode, before.st_mode);
  if (withAcl) {
    EXPECT_EQ(attribute("system.posix_acl_access"), aclBefore);
  }
}

TEST_F(ZAReplace, EveryNameOfAHardLinkedArchiveSeesOneArchive) {
  struct Case {
    const char* what;
    std::function<void(TZipArchiver&)> change;  // through y/h.zip
    Int32 code;
    std::set<std::string> names;
  } cases[] = {
      {"an add", [](TZipArchiver& zip) { zip.AddFromString(u"new.txt", u"new", 0x20, 40000); }, -1,
       NamesOf(0, 5, {"new.txt"})},
      {"a delete of a later entry", [](TZipArchiver& zip) { zip.DeleteFiles(Entry(2), 0x28BF, String()); }, -1,
       {"e100.txt", "e101.txt", "e103.txt", "e104.txt"}},
      // In place from the first byte, no journal could be bound to it.
      {"a delete of the first entry", [](TZipArchiver& zip) { zip.DeleteFiles(Entry(0), 0x28BF, String()); }, 77,
       NamesOf(0, 5)},
  };
  ::mkdir(Path("x").c_str(), 0700);
  ::mkdir(Path("y").c_str(), 0700);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ::unlink(Path("y/h.zip").c_str());
    MakeArchive("x/a.zip", 0, 5);
    ASSERT_EQ(::link(Path("x/a.zip").c_str(), Path("y/h.zip").c_str()), 0);
    EXPECT_EQ(Through(File("y/h.zip"), c.change), c.code);
    EXPECT_EQ(Inode("y/h.zip"), Inode("x/a.zip"));
    EXPECT_EQ(Names("x/a.zip"), c.names);
    EXPECT_EQ(ReadRaw("y/h.zip"), ReadRaw("x/a.zip"));
    EXPECT_FALSE(FileExists(ZAJournalFileNameOf(File("y/h.zip"))));
  }
}

TEST_F(ZAReplace, AnUpdateKilledThroughOneNameIsRolledBackThroughAnother) {
  ::mkdir(Path("x").c_str(), 0700);
  ::mkdir(Path("y").c_str(), 0700);
  MakeArchive("x/a.zip", 0, 6);
  ASSERT_EQ(::link(Path("x/a.zip").c_str(), Path("y/h.zip").c_str()), 0);
  const std::string before = ReadRaw("x/a.zip");
  // Killed once the archive is cut and its new bytes are being written.
  const pid_t child = InChild([&] {
    bool cut = false;
    SetFileSeamHook([&cut](TFileSeamOp op, const std::string&) {
      if (op == fsoSetSize) cut = true;
      if (op == fsoWrite && cut) ::kill(::getpid(), SIGKILL);
      return 0;
    });
    return Through(File("y/h.zip"), [](TZipArchiver& zip) {
      zip.BeginUpdate();
      zip.DeleteFiles(Entry(3), 0x28BF, String());
      zip.AddFromString(u"lost.txt", u"never committed", 0x20, 40000);
      zip.EndUpdate();
    });
  });
  ASSERT_EQ(EndOf(child), -SIGKILL);
  ASSERT_TRUE(FileExists(ZAJournalFileNameOf(File("y/h.zip"))));
  ASSERT_NE(ReadRaw("x/a.zip"), before);
  // The other name finds the journal and puts the archive back; what is
  // added through it then stays, whichever name opens it next.
  EXPECT_EQ(Names("x/a.zip"), NamesOf(0, 6));
  EXPECT_EQ(ReadRaw("x/a.zip"), before);
  EXPECT_FALSE(FileExists(ZAJournalFileNameOf(File("y/h.zip"))));
  EXPECT_EQ(Through(File("x/a.zip"), [](TZipArchiver& zip) { zip.AddFromString(u"later.txt", u"kept", 0x20, 40000); }),
            -1);
  EXPECT_EQ(Names("y/h.zip"), NamesOf(0, 6, {"later.txt"}));
}

TEST_F(ZAReplace, HiddenCopiesThatKilledWritersLeftGoWhileALiveOneStays) {
  struct Case {
    const char* what;
    std::function<void(TZipArchiver&)> act;  // on a.zip, opened
  } cases[] = {
      {"a commit", [](TZipArchiver& zip) { zip.AddFromString(u"new.txt", u"new", 0x20, 40000); }},
      {"an open that makes the archive anew", [](TZipArchiver& zip) { zip.OpenArchive(fmCreate); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MakeArchive("a.zip", 0, 3);
    WriteRaw(".a.zip.k3m9q2.tmp", ReadRaw("a.zip"));
    WriteRaw(".a.zip-journal.p0x7aa.tmp", "part of a journal");
    WriteRaw(".a.zip.live42.tmp", "being written");
    const int live = ::open(Path(".a.zip.live42.tmp").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(live, LOCK_EX), 0);
    EXPECT_EQ(Through(File("a.zip"), c.act), -1);
    EXPECT_FALSE(FileExists(File(".a.zip.k3m9q2.tmp")));
    EXPECT_FALSE(FileExists(File(".a.zip-journal.p0x7aa.tmp")));
    EXPECT_TRUE(FileExists(File(".a.zip.live42.tmp")));
    ::close(live);
    ::unlink(Path(".a.zip.live42.tmp").c_str());
  }
}

}  // namespace
}  // namespace sk
