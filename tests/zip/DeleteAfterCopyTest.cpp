// Every routine that deletes or replaces a user's file after copying it, over
// every kind of file a user's folder holds, on a disk and on a RAM disk: what
// it answers and what it leaves on both file systems.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <functional>
#include <map>

#include "ArchiverTestSupport.h"
#include "TestSupport.h"
#include "platform/runtime/FileUtils.h"
#include "services/File_utils_copying.h"
#include "services/File_utils_textfiles.h"
#include "services/Modify_source_texts_basics.h"
#include "zip/File_chunker.h"
#include "zip/ZAArchiver.h"
#include "zip/Zip_utils.h"

namespace sk {
namespace {

namespace fs = std::filesystem;

class DeleteAfterCopy : public ScratchFolderTest {
 protected:
  DeleteAfterCopy() : ScratchFolderTest("delete_after_copy") {}
  void SetUp() override {
    ScratchFolderTest::SetUp();
    StartArchiverUnits();
    fRam = MakeScratchFolder("/dev/shm/delete_after_copy");  // an absolute prefix: beside no temporary folder
    struct stat disk {
    }, ram{};
    if (fRam.empty() || ::stat(fDir.c_str(), &disk) != 0 || ::stat(fRam.c_str(), &ram) != 0 ||
        disk.st_dev == ram.st_dev)
      GTEST_SKIP() << "no RAM disk beside the temporary folder";
  }
  void TearDown() override {
    RemoveScratchFolder(fRam);
    ScratchFolderTest::TearDown();
  }
  std::string fRam;
};

// Each file, link and folder below root by its name ("name@" for a link,
// "name/" for a folder) with its bytes (a link's: where it points).
void Snapshot(const std::string& root, std::map<std::string, std::string>& into) {
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    const std::string name = e.path().lexically_relative(root).string();
    if (e.is_symlink())
      into[name + "@"] = fs::read_symlink(e.path()).string();
    else if (e.is_directory())
      into[name + "/"] = "";
    else
      into[name] = ReadFileBytes(e.path().string());
  }
}

// Kinds of file: a plain file; one file under two names, both listed (in one
// folder, in two sub-folders) and one listed; a link to a file, to a folder
// and dangling; a read-only file; a file with an ACL; names not UTF-8.
enum TKind { plain, twoNames, twoFolders, oneListed, toFile, toFolder, dangling, readOnly, acl, notUtf8, kinds };

TEST_F(DeleteAfterCopy, EveryRoutineOverEveryKindOfFile) {
  // What a routine is handed: the folder, the files of the list in it
  // (relative), the folder on the other file system; it answers in words.
  using TRoutine = std::function<std::string(const std::string&, const std::vector<std::string>&, const std::string&)>;
  // A routine of one file, called for each listed; the second name is the
  // file's in the folder on the other file system.
  auto each = [](std::function<bool(const String&, const String&)> call) -> TRoutine {
    return [call](const std::string& s, const std::vector<std::string>& listed, const std::string& o) {
      bool all = true;
      for (const std::string& n : listed)
        all = call(SystemNameToString(s + "/" + n), SystemNameToString(o + "/" + n)) && all;
      return std::string(all ? "1" : "0");
    };
  };
  // A series of full lines, or of lines relative to the current folder.
  auto series = [this](TZAStorePathMode mode, bool relative = false) -> TRoutine {
    return [this, mode, relative](const std::string& s, const std::vector<std::string>& listed, const std::string&) {
      TStringList files;
      for (const std::string& n : listed) files.Add(SystemNameToString(relative ? "s/" + n : s + "/" + n));
      const String here = GetCurrentDir();
      SetCurrentDir(SystemNameToString(fs::path(s).parent_path().string()));
      const bool answer = ZipASeriesOfFilesTo(files, File("x.zip"), mode, true);
      SetCurrentDir(here);
      return std::string(answer ? "1" : "0");
    };
  };
  const TRoutine engineMove = [this](const std::string& s, const std::vector<std::string>&, const std::string&) {
    std::string failures;
    fs::remove(Path("m.zip"));
    TZipArchiver zip;
    zip.FFileName = File("m.zip");
    zip.OnProcessFileFailure = [&](TObject*, const String&, TZAProcessOperation, Int32 native, Int32, const String&,
                                   TZAAction& action) {
      failures += (failures.empty() ? "" : ",") + std::to_string(native);
      action = fxaIgnore;
    };
    zip.OpenArchive();
    zip.FBaseDir = SystemNameToString(fs::path(s).parent_path().string());
    zip.MoveFiles(u"s", 0x28BF, String());
    zip.CloseArchive();
    return failures.empty() ? "-" : failures;
  };
  const TRoutine folderMove = [](const std::string& s, const std::vector<std::string>&, const std::string& o) {
    const T2_longint_rec r = MovedFolderFulInto(SystemNameToString(s), SystemNameToString(o), true);
    return std::to_string(r.long0) + "/" + std::to_string(r.long1);
  };
  const TRoutine restore = [this](const std::string& s, const std::vector<std::string>& listed, const std::string&) {
    fs::remove(Path("out/c.bin"));
    TFileChunker r;
    r.SetSourcename(SystemNameToString(s + "/" + listed[0]));
    r.SetDirRestoring(File("out"));
    r.SetDeleteAfterRestore(true);
    return std::string(r.RestoreAllChunks() && ReadFileBytes(Path("out/c.bin")) == "alpha" ? "1" : "0");
  };
  auto completes = [](std::function<void()> call) {
    try {
      call();
      return true;
    } catch (const Exception&) {
      return false;
    }
  };
  // The answer, then what changed on both file systems: "-" gone, "+" new,
  // "*" other bytes; "s" is the folder handed over, "t" beside it (where
  // links point and a second name may be), "o" on the other file system; a
  // link is "@". An engine's move answers its failures ("-": none), a folder
  // move the files found and moved. Writes of a read-only file's content
  // succeed as root only.
  using TWant = std::array<const char*, kinds>;
  const TWant zipped = {"1 -s/a", "1 -s/a -s/h", "1 -s/p/a -s/q/h", "1 -s/a", "0",
                        "0",      "0",           "1 -s/a",          "1 -s/a", "1 -s/\xff/a\xfe"};
  const TWant edited = {"1 *s/a +s/a.original",
                        "1 *s/a *s/h +s/a.original +s/h.original",
                        "1 *s/p/a *s/q/h +s/p/a.original +s/q/h.original",
                        "1 *s/a +s/a.original",
                        "1 *t/a +s/a.original",
                        "0",
                        "0",
                        "1 *s/a +s/a.original",
                        "1 *s/a +s/a.original",
                        "1 *s/\xff/a\xfe +s/\xff/a\xfe.original"};
  const struct {
    const char* routine;
    TRoutine run;
    TWant want;
    bool writes = false;
    const char* file = "a";
  } cases[] = {
      {"series, no path", series(spNoPath), zipped},
      {"series, relative path", series(spRelativePath, true), zipped},
      {"series, full path", series(spFullPath), zipped},
      {"series, full path with drive", series(spFullPathWithDrive), zipped},
      {"MoveFiles",
       engineMove,
       {"- -s/ -s/a", "- -s/ -s/a -s/h", "- -s/ -s/p/ -s/p/a -s/q/ -s/q/h", "- -s/ -s/a", "27,60", "60 -t/d/x", "60",
        "- -s/ -s/a", "- -s/ -s/a", "- -s/ -s/\xff/ -s/\xff/a\xfe"}},
      {"MoveFile",
       each([](const String& f, const String& o) { return MoveFile(f, o, true); }),
       {"1 -s/a +o/a", "1 -s/a -s/h +o/a +o/h", "1 -s/p/a -s/q/h +o/p/a +o/q/h", "1 -s/a +o/a", "1 -s/a@ +o/a", "0",
        "0", "1 -s/a +o/a", "1 -s/a +o/a", "1 -s/\xff/a\xfe +o/\xff/a\xfe"}},
      {"MovedFolderFulInto",
       folderMove,
       {"1/1 -s/ -s/a +o/a", "2/2 -s/ -s/a -s/h +o/a +o/h", "2/2 -s/ -s/p/ -s/p/a -s/q/ -s/q/h +o/p/a +o/q/h",
        "1/1 -s/ -s/a +o/a", "1/1 -s/ -s/a@ +o/a", "0/0", "0/0", "1/1 -s/ -s/a +o/a", "1/1 -s/ -s/a +o/a",
        "1/1 -s/ -s/\xff/ -s/\xff/a\xfe +o/\xff/a\xfe"}},
      {"RestoreAllChunks",
       restore,
       {"1 -s/c", "1 -s/c", "1 -s/p/c", "1 -s/c", "1", "0", "0", "1 -s/c", "1 -s/c", "1 -s/\xff/c"},
       false,
       "chunk 1 of 1.tmp"},
      {"DeleteFileKeepingBackup",
       each([](const String& f, const String&) { return DeleteFileKeepingBackup(f); }),
       {"1 -s/a +s/a.bak", "1 -s/a -s/h +s/a.bak +s/h.bak", "1 -s/p/a -s/q/h +s/p/a.bak +s/q/h.bak", "1 -s/a +s/a.bak",
        "1 -s/a@ +s/a.bak", "0", "0", "1 -s/a +s/a.bak", "1 -s/a +s/a.bak", "1 -s/\xff/a\xfe +s/\xff/a\xfe.bak"}},
      {"EmptyFileKeepingBackup",
       each([](const String& f, const String&) { return EmptyFileKeepingBackup(f); }),
       {"1 *s/a +s/a.bak", "1 *s/a *s/h +s/a.bak +s/h.bak", "1 *s/p/a *s/q/h +s/p/a.bak +s/q/h.bak", "1 *s/a +s/a.bak",
        "1 *t/a +s/a.bak", "0", "0", "1 *s/a +s/a.bak", "1 *s/a +s/a.bak", "1 *s/\xff/a\xfe +s/\xff/a\xfe.bak"},
       true},
      {"InsertIntoFileW",
       each([](const String& f, const String&) { return InsertIntoFileW(f, u"x", false, 1); }),
       {"1 *s/a", "1 *s/a *s/h", "1 *s/p/a *s/q/h", "1 *s/a", "1 *t/a", "0", "0", "1 *s/a", "1 *s/a",
        "1 *s/\xff/a\xfe"},
       true},
      {"AlterFileW",
       each([&](const String& f, const String&) { return completes([&] { AlterFileW(f, u'_', 1, 9); }); }), edited,
       true},
      {"InsertedIntoSourceText", each([](const String& f, const String&) {
         String marker = u"m";
         return InsertedIntoSourceText(f, marker, 2, 0x0409, false) > 0;
       }),
       edited, true},
  };
  const std::vector<std::string> listedOf[kinds] = {{"a"}, {"a", "h"}, {"p/a", "q/h"}, {"a"}, {"a"},
                                                    {"a"}, {"a"},      {"a"},          {"a"}, {"\xff/a"}};
  WriteFileBytes(Path("c.bin"), "alpha");
  TFileChunker chunker;
  chunker.SetSourcename(File("c.bin"));
  chunker.SetDirCreating(File("chunk"));
  fs::create_directory(Path("chunk"));
  fs::create_directory(Path("out"));
  ASSERT_EQ(chunker.MakeChunkFiles(), 1);
  const std::string chunk = ReadFileBytes(Path("chunk/chunk 1 of 1.tmp"));
  for (const auto& c : cases)
    for (const bool ram : {false, true})
      for (int kind = 0; kind < kinds; ++kind) {
        SCOPED_TRACE(std::string(c.routine) + (ram ? " RAM " : " disk ") + std::to_string(kind));
        const std::string here = ram ? fRam + "/r" : Path("r"), there = ram ? Path("r") : fRam + "/r";
        fs::remove_all(here);
        fs::remove_all(there);
        fs::create_directories(here + "/s");
        fs::create_directories(here + "/t/d");
        fs::create_directories(there + "/o");
        std::vector<std::string> listed = listedOf[kind];
        const std::string file = c.file + std::string(kind == notUtf8 && c.file == std::string("a") ? "\xfe" : "");
        for (std::string& n : listed)
          if (n.find('a') != std::string::npos) n.replace(n.find('a'), 1, file);
        for (const std::string& n : listed) {
          fs::create_directories(fs::path(here + "/s/" + n).parent_path());
          fs::create_directories(fs::path(there + "/o/" + n).parent_path());
        }
        const std::string a = here + "/s/" + listed[0];
        const std::string bytes = c.file == std::string("a") ? "alpha beta" : chunk;
        WriteFileBytes(here + "/t/d/x", "x");
        if (kind != toFolder && kind != dangling) WriteFileBytes(kind == toFile ? here + "/t/" + file : a, bytes);
        if (kind == twoNames || kind == twoFolders) fs::create_hard_link(a, here + "/s/" + listed[1]);
        if (kind == oneListed) fs::create_hard_link(a, here + "/t/h");
        if (kind == toFile) fs::create_symlink("../t/" + file, a);
        if (kind == toFolder) fs::create_symlink("../t/d", a);
        if (kind == dangling) fs::create_symlink("../t/none", a);
        if (kind == readOnly) ::chmod(a.c_str(), 0444);
        if (kind == acl && ::setxattr(a.c_str(), "system.posix_acl_access", kTestAcl.data(), kTestAcl.size(), 0) != 0)
          continue;  // no ACLs on this file system
        std::map<std::string, std::string> before, after;
        Snapshot(here, before);
        Snapshot(there, before);
        std::string got = c.run(here + "/s", listed, there + "/o");
        Snapshot(here, after);
        Snapshot(there, after);
        auto shown = [&](std::string name) {  // a chunk's name shown as "c"
          const size_t at = name.find("chunk 1 of 1.tmp");
          return at == std::string::npos ? name : name.replace(at + 1, 15, "");
        };
        for (const auto& [name, content] : before)
          if (!after.contains(name))
            got += " -" + shown(name);
          else if (after[name] != content)
            got += " *" + shown(name);
        for (const auto& [name, content] : after)
          if (!before.contains(name)) got += " +" + shown(name);
        EXPECT_EQ(got, kind == readOnly && c.writes && ::geteuid() != 0 ? "0" : c.want[kind]);
      }
}

// A FIFO is no file to copy, back up or edit: each routine answers false at
// once (in a child, so that one waiting for a writer fails here) and the
// FIFO stays.
TEST_F(DeleteAfterCopy, AFifoIsRefusedAtOnceAndStays) {
  const std::function<bool(const String&)> routines[] = {
      [](const String& f) { return CopyFile(f, f + u".copy", false); },
      [](const String& f) { return DeleteFileKeepingBackup(f); },
      [](const String& f) { return EmptyFileKeepingBackup(f); },
      [](const String& f) { return InsertIntoFileW(f, u"x", false, 1); },
      [](const String& f) {
        String marker = u"m";
        return InsertedIntoSourceText(f, marker, 2, 0x0409, false) > 0;
      },
  };
  const std::string fifo = Path("f");
  for (size_t i = 0; i < std::size(routines); ++i) {
    SCOPED_TRACE(i);
    fs::remove(fifo);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const pid_t child = ::fork();
    if (child == 0) {
      ::alarm(10);
      ::_exit(routines[i](SystemNameToString(fifo)) ? 1 : 0);
    }
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    struct stat st {};
    EXPECT_TRUE(::lstat(fifo.c_str(), &st) == 0 && S_ISFIFO(st.st_mode));
  }
}

}  // namespace
}  // namespace sk
