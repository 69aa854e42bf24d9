// Whole-file replacement: the target keeps every byte until the new content
// is complete, also when the writer is stopped by a file-size limit or killed.
#include <gtest/gtest.h>

#include <dirent.h>
#include <signal.h>
#include <sys/resource.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>

#include "TestSupport.h"
#include "platform/runtime/FileReplace.h"
#include "platform/runtime/FileSeam.h"
#include "platform/runtime/OSError.h"

namespace sk {
namespace {

class FileReplaceTest : public ScratchFolderTest {
 protected:
  FileReplaceTest() : ScratchFolderTest("sk_replace") {}
  // Names in the scratch folder, "." and ".." left out.
  std::vector<std::string> Entries() const {
    std::vector<std::string> r;
    DIR* d = ::opendir(fDir.c_str());
    while (struct dirent* de = ::readdir(d)) {
      std::string n = de->d_name;
      if (n != "." && n != "..") r.push_back(n);
    }
    ::closedir(d);
    return r;
  }
  // Runs body in a child process and answers its wait status.
  template <class F>
  int InChild(F body) {
    pid_t pid = ::fork();
    if (pid == 0) {
      body();
      ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
  }
};

TEST_F(FileReplaceTest, ReplacesContentAndKeepsPermissions) {
  WriteRaw("a.txt", "old content");
  ASSERT_EQ(::chmod(Path("a.txt").c_str(), 0640), 0);
  ASSERT_TRUE(ReplaceFileContent(File("a.txt"), B("new")));
  EXPECT_EQ(ReadRaw("a.txt"), "new");
  struct stat st;
  ASSERT_EQ(::stat(Path("a.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(Entries(), std::vector<std::string>{"a.txt"});  // no temporary file left
}

TEST_F(FileReplaceTest, CreatesAMissingFileAndEmptiesWithNoBytes) {
  ASSERT_TRUE(ReplaceFileContent(File("new.txt"), B("x")));
  EXPECT_EQ(ReadRaw("new.txt"), "x");
  ASSERT_TRUE(ReplaceFileContent(File("new.txt"), TBytes()));
  EXPECT_EQ(ReadRaw("new.txt"), "");
}

TEST_F(FileReplaceTest, ALinkKeepsPointingAtTheReplacedFile) {
  WriteRaw("real.txt", "one");
  ASSERT_EQ(::symlink("real.txt", Path("link.txt").c_str()), 0);
  ASSERT_TRUE(ReplaceFileContent(File("link.txt"), B("two")));
  struct stat st;
  ASSERT_EQ(::lstat(Path("link.txt").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(ReadRaw("real.txt"), "two");
}

TEST_F(FileReplaceTest, FailuresLeaveTheTargetAlone) {
  // A missing folder, a folder as target, and a discarded stream.
  EXPECT_FALSE(ReplaceFileContent(File("missing/x.txt"), B("x")));
  ASSERT_EQ(::mkdir(Path("sub").c_str(), 0755), 0);
  EXPECT_FALSE(ReplaceFileContent(File("sub"), B("x")));
  WriteRaw("keep.txt", "keep");
  {
    TFileReplaceStream s(File("keep.txt"));
    ASSERT_TRUE(s.Ok());
    s.WriteBuffer("partial", 7);
  }  // no commit
  EXPECT_EQ(ReadRaw("keep.txt"), "keep");
  EXPECT_EQ(Entries().size(), 2u);  // keep.txt and sub
}

TEST_F(FileReplaceTest, AFileSizeLimitLeavesTheFileByteExact) {
  std::string original(3000, 'o');
  original[100] = '\0';
  WriteRaw("limited.txt", original);
  const std::string big(200000, 'n');
  // Once with the limit's signal ignored (the write fails), once with its
  // default action (the writer is killed).
  for (bool ignoreSignal : {true, false}) {
    int status = InChild([&] {
      if (ignoreSignal) ::signal(SIGXFSZ, SIG_IGN);
      struct rlimit lim = {65536, 65536};
      ::setrlimit(RLIMIT_FSIZE, &lim);
      bool ok = ReplaceFileContent(File("limited.txt"), B(big));
      ::_exit(ok ? 1 : 0);
    });
    if (ignoreSignal) {
      ASSERT_TRUE(WIFEXITED(status));
      EXPECT_EQ(WEXITSTATUS(status), 0) << "a failed replacement must answer false";
    } else {
      EXPECT_TRUE(WIFSIGNALED(status));
    }
    EXPECT_EQ(ReadRaw("limited.txt"), original);
  }
}

TEST_F(FileReplaceTest, AKilledWriterLeavesTheFileByteExact) {
  WriteRaw("k.txt", "precious\r\n");
  int status = InChild([&] {
    TFileReplaceStream s(File("k.txt"));
    s.WriteBuffer("half of the new", 15);
    ::raise(SIGKILL);
  });
  EXPECT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(ReadRaw("k.txt"), "precious\r\n");
}

TEST_F(FileReplaceTest, CreateWithContentNeverReplaces) {
  ASSERT_EQ(CreateFileWithContent(File("log.txt"), "\xFF\xFE", 2), 0);
  EXPECT_EQ(ReadRaw("log.txt"), "\xFF\xFE");
  EXPECT_EQ(CreateFileWithContent(File("log.txt"), "zz", 2), EEXIST);
  EXPECT_EQ(ReadRaw("log.txt"), "\xFF\xFE");
  EXPECT_NE(CreateFileWithContent(File("nofolder/log.txt"), "x", 1), 0);
  EXPECT_EQ(Entries(), std::vector<std::string>{"log.txt"});
}

// Extended attributes and a POSIX ACL reach another file; a file system that
// keeps no user attributes (some tmpfs) skips the test.
TEST_F(FileReplaceTest, AttributesAndAnAclAreCarriedOver) {
  WriteRaw("from.txt", "x");
  WriteRaw("to.txt", "y");
  if (::setxattr(Path("from.txt").c_str(), "user.note", "corpus", 6, 0) != 0) GTEST_SKIP() << "no user attributes";
  const bool acls =
      ::setxattr(Path("from.txt").c_str(), "system.posix_acl_access", kTestAcl.data(), kTestAcl.size(), 0) == 0;
  const int to = ::open(Path("to.txt").c_str(), O_RDWR);
  ASSERT_GE(to, 0);
  EXPECT_EQ(CopyExtendedAttributes(Path("from.txt"), to), 0);
  ::close(to);
  EXPECT_EQ(Attribute(Path("to.txt"), "user.note"), "corpus");
  EXPECT_EQ(HasExtendedAcl(Path("to.txt")), acls);
  EXPECT_FALSE(HasExtendedAcl(Path("missing.txt")));
}

// Only the library's own hidden siblings of the file that no live writer
// holds go: what a commit killed before its rename left behind, not one
// that a writer still has locked, nor the user's own files of a like shape.
TEST_F(FileReplaceTest, StaleTemporarySiblingsAreRemovedLiveOnesKept) {
  WriteRaw("a.zip", "archive");
  const std::vector<std::string> users = {".a.zip.backup.tmp", ".a.zip.before.tmp", ".a.zip.k3x9q2.tmp",
                                          ".a.zip.sk-backup1.tmp", ".a.zip-journal.latest.tmp", ".a.zip.notes.tmp"};
  for (const std::string& n : users) WriteRaw(n, "a user's");
  const std::string live = MarkedTemporarySiblingName("a.zip");
  WriteRaw(live, "being written");
  const int held = ::open(Path(live).c_str(), O_RDONLY);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);
  ASSERT_TRUE(WIFSIGNALED(InChild([&] {
    SetFileSeamHook([](TFileSeamOp op, const std::string&) { return op == fsoRename ? ::raise(SIGKILL) : 0; });
    ReplaceFileContent(File("a.zip"), B("half"));
  })));
  EXPECT_EQ(Entries().size(), users.size() + 3);
  EXPECT_EQ(RemoveStaleTemporarySiblings(Path("a.zip")), 1);
  ::close(held);
  auto expected = users;
  expected.insert(expected.end(), {"a.zip", live});
  auto entries = Entries();
  std::sort(entries.begin(), entries.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(entries, expected);
  // Once its writer lets go it is stale too, and a replacement being written
  // beside it is not disturbed.
  TFileReplaceStream s(File("a.zip"));
  ASSERT_TRUE(s.Ok());
  EXPECT_EQ(RemoveStaleTemporarySiblings(Path("a.zip")), 1);
  s.WriteBuffer("new", 3);
  EXPECT_TRUE(s.Commit());
  EXPECT_EQ(ReadRaw("a.zip"), "new");
  EXPECT_EQ(Entries().size(), users.size() + 1);
}

// A set's sweep removes only regular files of this user that are members of
// a set whose writer is gone; a member name held by a link, a FIFO, a folder
// or another user's file stays, and so does every member of a set whose lock
// is held or whose lock name is not a plain file it can lock.
TEST_F(FileReplaceTest, ASetsSweepTakesOnlyItsOwnDeadMembers) {
  WriteRaw("s.zip", "archive");
  WriteRaw("mine.txt", "the user's");
  const int dir = ::open(fDir.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  const std::string dead = MarkedTemporarySiblingName("s.zip"), live = MarkedTemporarySiblingName("s.zip"),
                    linked = MarkedTemporarySiblingName("s.zip");
  const int held = CreateLockedFile(dir, live, 0600);
  ASSERT_GE(held, 0);
  ASSERT_EQ(::symlink("mine.txt", Path(linked).c_str()), 0);  // a "lock" that is a link
  auto member = [](const std::string& lock, Cardinal i) { return MarkedSetMemberName("s.zip", lock, i); };
  WriteRaw(member(dead, 0), "stale");
  WriteRaw(member(dead, 1), "read-only");
  ::chmod(Path(member(dead, 1)).c_str(), 0400);
  ASSERT_EQ(::symlink("mine.txt", Path(member(dead, 2)).c_str()), 0);
  ASSERT_EQ(::mkfifo(Path(member(dead, 3)).c_str(), 0600), 0);
  ASSERT_EQ(::mkdir(Path(member(dead, 4)).c_str(), 0700), 0);
  WriteRaw(member(dead, 5), "another user's");
  // Another user's only where the test does not run as that user itself.
  const bool chowned = ::geteuid() != 65534 && ::chown(Path(member(dead, 5)).c_str(), 65534, 65534) == 0;
  WriteRaw(member(live, 0), "waiting");
  WriteRaw(member(linked, 0), "waiting");
  const auto before = Entries().size();
  EXPECT_EQ(RemoveStaleSetMembers(Path("s.zip")), chowned ? 2 : 3);
  EXPECT_EQ(Entries().size(), before - (chowned ? 2 : 3));
  for (const std::string& kept : {member(dead, 2), member(dead, 3), member(dead, 4), member(live, 0), member(linked, 0)})
    EXPECT_EQ(::access(Path(kept).c_str(), F_OK), 0) << kept;
  EXPECT_EQ(ReadRaw("mine.txt"), "the user's");
  ::close(held);
  ::close(dir);
}

// The sweep of a folder takes the members of every set there whose writer is
// gone, but not while a list of moves of their anchor lies beside them, nor
// a live set's; anchors whose names are cut to the limit of a name alike.
TEST_F(FileReplaceTest, AFolderSweepTakesDeadSetsMembersButThoseAListKeeps) {
  const int dir = ::open(fDir.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  for (const std::string& anchor : {std::string("s.zip"), std::string(250, 'n') + ".zip"}) {
    SCOPED_TRACE(anchor.size());
    const std::string kept = "k" + anchor;  // a killed set whose list waits for the next open
    const std::string dead = MarkedTemporarySiblingName(anchor), listed = MarkedTemporarySiblingName(kept),
                      live = MarkedTemporarySiblingName(anchor);
    const int held = CreateLockedFile(dir, live, 0600);
    std::vector<std::string> stay{FixedMarkedTemporarySiblingName(kept, "moves0"), live};
    WriteRaw(stay[0], "list");
    for (Cardinal i = 0; i < 3; ++i) {
      WriteRaw(MarkedSetMemberName(anchor, dead, i), "stale");
      for (const auto& [base, lock] : {std::pair{kept, listed}, std::pair{anchor, live}})
        WriteRaw(stay.emplace_back(MarkedSetMemberName(base, lock, i)), "waiting");
    }
    EXPECT_EQ(RemoveStaleTemporariesIn(dir), 3);
    std::vector<std::string> left = Entries();
    std::sort(stay.begin(), stay.end());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, stay);
    for (const std::string& e : left) ::unlink(Path(e).c_str());
    ::close(held);
  }
  ::close(dir);
}

// The lock of a set's names is a regular file of the maker's own: a link, a
// FIFO, a folder or another user's file at its name is refused and left as it
// was (the link's target too), a held lock is waited for and refused, and a
// killed maker's unlocked file is taken.
TEST_F(FileReplaceTest, TheLockOfASetsNamesTakesOnlyItsOwnFile) {
  WriteRaw("mine.txt", "the user's");
  const std::string anchor = Path("s.zip");
  const int first = TakeNameLock(anchor, 0);
  ASSERT_GE(first, 0);
  std::vector<std::string> names = Entries();
  names.erase(std::remove(names.begin(), names.end(), "mine.txt"), names.end());
  ASSERT_EQ(names.size(), 1u);
  const std::string lock = Path(names[0]);
  // Another process finds it held, however long it waits.
  EXPECT_EQ(WEXITSTATUS(InChild([&] { ::_exit(TakeNameLock(anchor, 200) < 0 && errno == EWOULDBLOCK ? 0 : 1); })), 0);
  ReleaseNameLock(anchor, first);
  EXPECT_NE(::access(lock.c_str(), F_OK), 0);
  // A killed maker's lock file stays unlocked at the name: the next takes it.
  EXPECT_EQ(InChild([&] {
              TakeNameLock(anchor, 0);
              ::kill(::getpid(), SIGKILL);
            }) & 0x7F,
            SIGKILL);
  const int next = TakeNameLock(anchor, 0);
  EXPECT_GE(next, 0);
  ReleaseNameLock(anchor, next);
  const bool otherUser = ::geteuid() == 0;
  const std::pair<const char*, std::function<void()>> strangers[] = {
      {"a link", [&] { ASSERT_EQ(::symlink("mine.txt", lock.c_str()), 0); }},
      {"a FIFO", [&] { ASSERT_EQ(::mkfifo(lock.c_str(), 0600), 0); }},
      {"a folder", [&] { ASSERT_EQ(::mkdir(lock.c_str(), 0700), 0); }},
      {"another user's file", [&] {
         WriteRaw(names[0], "theirs");
         if (otherUser) {
           ASSERT_EQ(::chown(lock.c_str(), 65534, 65534), 0);
         }
       }}};
  for (const auto& [what, make] : strangers) {
    SCOPED_TRACE(what);
    if (std::string(what) == "another user's file" && !otherUser) continue;  // only root gives a file away
    make();
    struct stat before {}, after {};
    ASSERT_EQ(::lstat(lock.c_str(), &before), 0);
    EXPECT_LT(TakeNameLock(anchor, 0), 0);
    ASSERT_EQ(::lstat(lock.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(ReadRaw("mine.txt"), "the user's");
    std::error_code e;
    std::filesystem::remove(lock, e);
  }
}

TEST(OSError, CarriesTheCodeAndTheSystemText) {
  try {
    RaiseLastOSError(ENOENT);
    FAIL();
  } catch (const EOSError& e) {
    EXPECT_EQ(e.ErrorCode, ENOENT);
    EXPECT_EQ(e.Message(), SysErrorMessage(ENOENT));
    EXPECT_FALSE(e.Message().empty());
  }
}

}  // namespace
}  // namespace sk
