// The update commit: what a good commit writes (checked by other tools when
// they are installed), and the promise that a failed, cancelled or aborted
// commit leaves the archive byte for byte as it was. The file layer's seam
// fails each call of a commit in turn.
#include <gtest/gtest.h>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>

#include "ArchiverTestSupport.h"
#include "FileSeamTestSupport.h"
#include "TestSupport.h"
#include "ZipTestSupport.h"
#include "zip/ZAConst.h"
#include "zip/ZAJournal.h"

namespace sk {
namespace {

bool HaveTool(const char* name) {
  const std::string cmd = std::string("command -v ") + name + " >/dev/null 2>&1";
  return std::system(cmd.c_str()) == 0;
}

int RunTool(const std::string& cmd) { return std::system((cmd + " >/dev/null 2>&1").c_str()); }

class ZACommit : public ScratchFolderTest {
 public:
  String At(const std::string& n) const { return File(n); }

 protected:
  ZACommit() : ScratchFolderTest("sk_commit") {}
  void SetUp() override {
    ScratchFolderTest::SetUp();
    StartArchiverUnits();
    ::mkdir(Path("tmp").c_str(), 0777);
  }
  // A closed archive at name with n small entries e000.txt...
  void MakeArchive(const std::string& name, Int32 n, TZip64Mode zip64 = zmDisabled) {
    TZipArchiver zip;
    zip.FFileName = File(name);
    zip.SetZip64Mode(zip64);
    zip.OpenArchive(fmCreate);
    zip.BeginUpdate();
    for (Int32 i = 0; i < n; ++i) {
      char entry[32];
      std::snprintf(entry, sizeof entry, "e%03d.txt", i);
      zip.AddFromString(Utf8ToString(entry), Utf8ToString(std::string(entry) + " holds some text text text"), 0x20,
                        36526.5);
    }
    zip.EndUpdate();
    zip.CloseArchive();
  }
  // Sets the archiver for a fault run: temporary files in tmp/, every failure
  // answered by abort.
  void Prepare(TZipArchiver& zip, const std::string& name) {
    zip.FFileName = File(name);
    zip.FTempDir = File("tmp");
    zip.OnProcessFileFailure = [this](TObject*, const String&, TZAProcessOperation, Int32 native, Int32,
                                      const String&, TZAAction& action) {
      failures.push_back(native);
      action = fxaAbort;
    };
    zip.OnDiskFull = [](TObject*, Int32, const String&, bool& cancel) { cancel = true; };
  }
  std::vector<std::string> Listing(const std::string& name) {
    TZipArchiver zip;
    zip.FFileName = File(name);
    zip.OpenArchive(fmOpenRead);
    std::vector<std::string> r;
    for (Int32 i = 0; i < zip.DMHandle->CDir->Count(); ++i) {
      const TDirItem& it = zip.DMHandle->CDir->FItems[static_cast<size_t>(i)];
      r.push_back(StringToUtf8(it.Name) + "|" + std::to_string(it.CentralDir.externalAttr) + "|" + it.Comment);
    }
    return r;
  }
  size_t TempFilesLeft() {
    size_t n = 0;
    DIR* d = ::opendir(Path("tmp").c_str());
    while (struct dirent* e = ::readdir(d))
      if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") ++n;
    ::closedir(d);
    return n;
  }
  std::vector<Int32> failures;
  TFileSeamOp lastOp = fsoOpen;
  std::string lastError;
};

TEST_F(ZACommit, AddedEntriesReadBackAndPassOtherTools) {
  MakeArchive("a.zip", 3);
  TZipArchiver zip;
  zip.FFileName = File("a.zip");
  zip.OpenArchive();
  String text;
  zip.ExtractToString(u"e001.txt", text);
  EXPECT_EQ(text, u"e001.txt holds some text text text");
  zip.CloseArchive();
  if (HaveTool("unzip")) {
    EXPECT_EQ(RunTool("unzip -t " + Path("a.zip")), 0);
  }
}

// One change made to an open archive, committed by the time it returns.
struct TChange {
  const char* name;
  Int32 needs;  // entries the archive must hold
  std::function<void(TZipArchiver&, ZACommit&)> run;
  bool move = false;
};

std::vector<TChange> Changes() {
  return {
      {"add", 0, [](TZipArchiver& z, ZACommit&) { z.AddFromString(u"new.txt", u"a new entry's text", 0x20, 40000); }},
      {"add from disk", 0,
       [](TZipArchiver& z, ZACommit& t) {
         z.FBaseDir = t.At("src");
         z.AddFiles(u"disk.txt", 0x28BF, String());
       }},
      {"delete", 1, [](TZipArchiver& z, ZACommit&) { z.DeleteFiles(u"e000.txt", 0x28BF, String()); }},
      {"update", 1, [](TZipArchiver& z, ZACommit&) { z.AddFromString(u"e000.txt", u"changed text", 0x20, 40000); }},
      {"rename", 1, [](TZipArchiver& z, ZACommit&) { z.RenameFile(u"e000.txt", u"renamed.txt"); }},
      {"attribute", 1, [](TZipArchiver& z, ZACommit&) { z.ChangeFilesAttr(u"e000.txt", 0x21); }},
      {"comment", 1, [](TZipArchiver& z, ZACommit&) { z.ChangeFilesComment(u"e000.txt", "a comment"); }},
      {"archive comment", 0, [](TZipArchiver& z, ZACommit&) { z.SetFileComment("an archive comment"); }},
      {"move", 0,
       [](TZipArchiver& z, ZACommit& t) {
         z.FBaseDir = t.At("src");
         z.MoveFiles(u"mv.txt", 0x28BF, String());
       },
       true},
  };
}

class ZACommitFaults : public ZACommit {
 protected:
  // Thousands of commits: their flushes are failed in turn like any call,
  // but not waited for.
  void SetUp() override {
    ZACommit::SetUp();
    flushesSkipped = SetFileFlushesSkipped(true);
  }
  void TearDown() override {
    SetFileFlushesSkipped(flushesSkipped);
    ZACommit::TearDown();
  }
  bool flushesSkipped = false;
  void Sources() {
    ::mkdir(Path("src").c_str(), 0777);
    WriteRaw("src/disk.txt", "a file from the disk");
    WriteRaw("src/mv.txt", "a file to move");
    // The same time each time, so that every run stores the same bytes.
    FileSetDate(File("src/disk.txt"), 40000.25);
    FileSetDate(File("src/mv.txt"), 40000.25);
  }
  // Runs the change once without faults to count the file layer's calls,
  // then once for each call failing in turn. After each: the archive is
  // either as it was (with its listing, the move source still there) or
  // exactly what the good commit wrote; no temporary file is left.
  // A long run (hundreds of calls that copy one entry after another) is
  // sampled in its middle: every call of its first and last 40, every
  // stride-th between.
  void FaultLoop(const std::string& source, TZip64Mode mode, const TChange& change, Int64 stride = 1) {
    SCOPED_TRACE(std::string(change.name) + " on " + source);
    // Flushing to the disk is slow on some machines: the flush is among the
    // calls failed in turn on the one-entry archive only.
    const bool flush = source == "one.zip";
    const std::string before = ReadRaw(source);
    const std::vector<std::string> listing = Listing(source);
    WriteRaw("good.zip", before);
    Sources();
    failures.clear();
    Int64 calls = 0;
    {
      TZipArchiver zip;
      Prepare(zip, "good.zip");
      zip.SetZip64Mode(mode);
      zip.FOptions.FFlushBuffers = flush;
      zip.OpenArchive();
      ScopedFileSeam seam;
      change.run(zip, *this);
      zip.CloseArchive();
      calls = seam.calls;
    }
    ASSERT_TRUE(failures.empty());
    const std::string good = ReadRaw("good.zip");
    ASSERT_NE(good, before);
    if (change.move) {
      ASSERT_FALSE(FileExists(File("src/mv.txt")));
    }
    if (HaveTool("unzip") && !Listing("good.zip").empty()) {
      EXPECT_EQ(RunTool("unzip -t " + Path("good.zip")), 0);
    }
    ASSERT_GT(calls, 0);
    const Int32 answers[] = {EIO, ENOSPC, FileSeamShortTransfer};
    Int64 unchanged = 0;
    for (Int64 n = 1; n <= calls; n += (n < 40 || n > calls - 40) ? 1 : stride) {
      SCOPED_TRACE(n);
      WriteRaw("work.zip", before);
      Sources();
      {
        TZipArchiver zip;
        Prepare(zip, "work.zip");
        zip.SetZip64Mode(mode);
        zip.FOptions.FFlushBuffers = flush;
        zip.OpenArchive();
        ScopedFileSeam seam(n, answers[n % 3]);
        try {
          change.run(zip, *this);
          zip.CloseArchive();
        } catch (const Exception& e) {
          lastError = StringToUtf8(e.Message());
        }
        lastOp = seam.failedOp;
      }
      const std::string after = ReadRaw("work.zip");
      ASSERT_TRUE(after == before || after == good) << after.size() << " " << before.size() << " " << good.size() << " op " << int(lastOp);
      if (after == before) {
        ++unchanged;
        EXPECT_EQ(Listing("work.zip"), listing);
        EXPECT_TRUE(FileExists(File("src/mv.txt")));
      }
      ASSERT_EQ(TempFilesLeft(), 0u);
      // One failing call never leaves a journal: the rollback after it deletes it.
      ASSERT_FALSE(FileExists(ZAJournalFileNameOf(File("work.zip"))));
    }
    // Most faults must have been caught and put back (short transfers are
    // carried on by the exact writes).
    EXPECT_GT(unchanged, std::min<Int64>(calls / 3, 20));
  }
};

TEST_F(ZACommitFaults, EveryFailingCallLeavesTheArchiveAsItWas) {
  MakeArchive("empty.zip", 0);
  MakeArchive("one.zip", 1);
  MakeArchive("hundred.zip", 100);
  for (const TChange& change : Changes()) {
    for (const auto& [name, count] : {std::pair<std::string, Int32>{"empty.zip", 0}, {"one.zip", 1}, {"hundred.zip", 100}}) {
      if (count < change.needs) continue;
      FaultLoop(name, zmDisabled, change, count == 100 ? 7 : 1);
    }
  }
}

// The changes that move, rewrite or rename entries.
std::vector<TChange> MovingChanges(const String& first) {
  return {
      {"add", 0, [](TZipArchiver& z, ZACommit&) { z.AddFromString(u"new.txt", u"a new entry's text", 0x20, 40000); }},
      {"delete", 1, [first](TZipArchiver& z, ZACommit&) { z.DeleteFiles(first, 0x28BF, String()); }},
      {"rename", 1, [first](TZipArchiver& z, ZACommit&) { z.RenameFile(first, u"renamed.txt"); }},
      {"comment", 1, [first](TZipArchiver& z, ZACommit&) { z.ChangeFilesComment(first, "a comment"); }},
  };
}

TEST_F(ZACommitFaults, Zip64AlwaysAndAStub) {
  MakeArchive("always.zip", 3, zmAlways);
  for (const TChange& change : MovingChanges(u"e000.txt")) FaultLoop("always.zip", zmAlways, change);
  WriteRaw("stub.zip", WriteStoredArchive({{u"e000.txt", "first"}, {u"b.txt", "second"}}, {}, std::string(300, 'S')));
  for (const TChange& change : MovingChanges(u"e000.txt")) FaultLoop("stub.zip", zmDisabled, change);
}

TEST_F(ZACommitFaults, DirectoryOrderDiffersFromFileOrder) {
  // a.txt lies first in the file but second in the directory: deleting it
  // must move b.txt, which comes before it in the directory.
  const std::string plain = WriteRawArchive({TRawEntry(DefaultCentral(), "a.txt", {}, {}, "data of a"),
                                             TRawEntry(DefaultCentral(), "b.txt", {}, {}, "data of b")});
  const Cardinal dirAt = GetLE32(reinterpret_cast<const Byte*>(plain.data()) + plain.size() - 6);
  const size_t record = TZAZipCentralDir::Size + 5;
  std::string swapped = plain.substr(0, dirAt) + plain.substr(dirAt + record, record) + plain.substr(dirAt, record) +
                        plain.substr(dirAt + 2 * record);
  WriteRaw("order.zip", swapped);
  ASSERT_EQ(Listing("order.zip")[0].substr(0, 5), "b.txt");
  for (const TChange& change : MovingChanges(u"a.txt")) FaultLoop("order.zip", zmDisabled, change);
  TZipArchiver zip;
  zip.FFileName = File("order.zip");
  zip.OpenArchive();
  zip.DeleteFiles(u"a.txt", 0x28BF, String());
  String text;
  zip.ExtractToString(u"b.txt", text);
  EXPECT_EQ(text, u"data of b");
}

// A moved file or folder goes only as the one that was read: another put at
// its name after the read, or the file written to by another program since
// (appended to, or rewritten in place at its size), stays, and the move
// reports its delete as failed.
TEST_F(ZACommitFaults, AMovedSourceGoesOnlyAsTheFileThatWasRead) {
  enum TChange { replaced, folderReplaced, appended, rewritten };
  for (const TChange change : {replaced, folderReplaced, appended, rewritten}) {
    SCOPED_TRACE(change);
    const bool folder = change == folderReplaced;
    std::filesystem::remove_all(Path("src"));
    Sources();
    ::mkdir(Path("src/sub").c_str(), 0777);
    MakeArchive("m.zip", 1);
    failures.clear();
    TZipArchiver zip;
    Prepare(zip, "m.zip");
    zip.OpenArchive();
    zip.FBaseDir = File("src");
    int writer = 0;
    zip.OnFileProgress = [&](TObject*, const String&, Double, TZAProcessOperation op, TZAProgressPhase phase, bool&) {
      if (op != poMove || phase != ppEnd) return;
      if (change == appended || change == rewritten) {
        writer = WriteFromAnotherProcess(Path("src/mv.txt"), change == appended);
        return;
      }
      // The old ones are renamed away, so that the new ones cannot take their inodes.
      ::rename(Path("src/mv.txt").c_str(), Path("src/mv.old").c_str());
      ::rename(Path("src/sub").c_str(), Path("src/sub.old").c_str());
      WriteRaw("src/mv.txt", "written since");
      ::mkdir(Path("src/sub").c_str(), 0777);
    };
    zip.MoveFiles(folder ? u"sub" : u"mv.txt", 0x28BF, String());
    zip.CloseArchive();
    EXPECT_EQ(writer, 0);
    const char* kept[] = {"written since", "", "a file to moveCHANGED", "CHANGEDto move"};
    EXPECT_TRUE(folder ? std::filesystem::is_directory(Path("src/sub")) : ReadRaw("src/mv.txt") == kept[change]);
    EXPECT_EQ(failures, std::vector<Int32>{folder ? 60 : 27});
    EXPECT_EQ(Listing("m.zip").size(), 2u);
  }
}

TEST_F(ZACommitFaults, ATailTooLargeForMemoryGoesToAFileThatIsNeverLeft) {
  std::string big(1200000, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>((i * 2654435761u) >> 13);
  WriteRaw("big.zip", WriteStoredArchive({{u"e000.txt", "small"}, {u"big.bin", big}}));
  for (const TChange& change : MovingChanges(u"e000.txt")) FaultLoop("big.zip", zmDisabled, change);
}

TEST_F(ZACommitFaults, ArchivesOfOtherTools) {
  SK_NEED_PROGRAM(kPython);
  // Python: stored, deflated, zip64 and data descriptors (written to a pipe).
  const std::string script =
      "import zipfile,sys\n"
      "z=zipfile.ZipFile(sys.stdout.buffer,'w')\n"
      "z.writestr('e000.txt','first entry '*20,zipfile.ZIP_DEFLATED)\n"
      "z.writestr('s.txt','stored entry',zipfile.ZIP_STORED)\n"
      "with z.open('z64.txt','w',force_zip64=True) as f: f.write(b'zip64 entry '*30)\n"
      "z.close()\n";
  WriteRaw("py.py", script);
  ASSERT_EQ(RunCommand(std::string(kPython) + " " + ShellQuote(Path("py.py")) + " | cat > " + ShellQuote(Path("py.zip"))),
            0);
  ASSERT_NE(ReadRaw("py.zip")[6] & 8, 0);  // a data descriptor follows the first entry's data
  for (const TChange& change : MovingChanges(u"e000.txt")) FaultLoop("py.zip", zmAuto, change);
  if (HasProgram("/usr/bin/zip")) {
    ::mkdir(Path("tree").c_str(), 0777);
    WriteRaw("tree/e000.txt", std::string(3000, 'x'));
    WriteRaw("tree/other.txt", "other");
    ASSERT_EQ(RunCommand("cd " + ShellQuote(Path("tree")) + " && /usr/bin/zip -q -r ../byzip.zip ."), 0);
    for (const TChange& change : MovingChanges(u"e000.txt")) FaultLoop("byzip.zip", zmDisabled, change);
  }
}

TEST_F(ZACommit, TheDestructorsCommitNeverThrowsAndPutsTheArchiveBack) {
  MakeArchive("a.zip", 2);
  const std::string before = ReadRaw("a.zip");
  {
    auto zip = std::make_unique<TZipArchiver>();
    Prepare(*zip, "a.zip");
    zip->OpenArchive();
    zip->BeginUpdate();
    zip->DeleteFiles(u"e000.txt", 0x28BF, String());
    zip->AddFromString(u"new.txt", u"new", 0x20, 40000);
    ScopedFileSeam seam(6, EIO);
    EXPECT_NO_THROW(zip.reset());
  }
  EXPECT_EQ(ReadRaw("a.zip"), before);
  // CloseArchive reports what the destructor keeps to itself.
  TZipArchiver zip;
  Prepare(zip, "a.zip");
  zip.OpenArchive();
  zip.BeginUpdate();
  zip.AddFromString(u"new.txt", u"new", 0x20, 40000);
  {
    ScopedFileSeam seam(6, EIO);
    EXPECT_THROW(zip.CloseArchive(), Exception);
  }
  EXPECT_FALSE(zip.GetActive());
  EXPECT_EQ(ReadRaw("a.zip"), before);
}

TEST_F(ZACommit, AFailedRestoreKeepsTheOldTailAndNamesIt) {
  std::string big(1200000, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>((i * 2654435761u) >> 13);
  WriteRaw("big.zip", WriteStoredArchive({{u"zero.txt", "kept"}, {u"first.txt", "small"}, {u"big.bin", big}}));
  const std::string before = ReadRaw("big.zip");
  TZipArchiver zip;
  Prepare(zip, "big.zip");
  zip.OpenArchive();
  const size_t restorePoint = zip.DMHandle->CDir->FItems[1].CentralDir.relOffsetLH;
  ASSERT_GT(restorePoint, 0u);
  // Every write fails from the first one the commit makes to the archive on:
  // the commit fails, and so does putting the old bytes back.
  Int32 native = -1;
  String message;
  Int64 firstArchiveWrite = 0;
  {
    // The archive is cut at the restore point once the tail is saved (its
    // writes went to the scratch file); the first write after the cut is
    // the commit's first write to the archive.
    ScopedFileSeam count(0);
    zip.DeleteFiles(u"first.txt", 0x28BF, String());
    bool cut = false;
    for (size_t i = 0; i < count.ops.size() && firstArchiveWrite == 0; ++i) {
      if (count.ops[i] == fsoSetSize) cut = true;
      if (cut && count.ops[i] == fsoWrite) firstArchiveWrite = static_cast<Int64>(i) + 1;
    }
    ASSERT_GT(firstArchiveWrite, 0);
  }
  zip.CloseArchive();
  WriteRaw("big.zip", before);
  zip.OpenArchive();
  {
    ScopedFileSeam seam(firstArchiveWrite, ENOSPC, true);
    try {
      zip.DeleteFiles(u"first.txt", 0x28BF, String());
    } catch (const EZAException& e) {
      native = e.NativeError;
      message = e.Message();
    }
  }
  ASSERT_EQ(native, 68);
  // The old bytes stay in the archive's journal, which the message names.
  EXPECT_EQ(TempFilesLeft(), 0u);
  const size_t open = StringToUtf8(message).find('"');
  const size_t close = StringToUtf8(message).find('"', open + 1);
  const std::string kept = StringToUtf8(message).substr(open + 1, close - open - 1);
  EXPECT_EQ(Utf8ToString(kept), ZAJournalFileNameOf(File("big.zip")));
  // The journal holds its header, the old archive from the restore point
  // to its end, and its record.
  const std::string journal = ReadFileBytes(kept);
  ASSERT_EQ(journal.size(), before.size() - restorePoint + ZAJournalHeaderSize + ZAJournalRecordSize);
  EXPECT_EQ(journal.substr(ZAJournalHeaderSize, before.size() - restorePoint), before.substr(restorePoint));
  EXPECT_NE(ReadRaw("big.zip"), before);
  zip.CloseArchive();
  // The next open puts the archive back from the journal and deletes it.
  zip.OpenArchive();
  EXPECT_FALSE(FileExists(ZAJournalFileNameOf(File("big.zip"))));
  EXPECT_EQ(ReadRaw("big.zip"), before);
  String text;
  zip.ExtractToString(u"first.txt", text);
  EXPECT_EQ(text, u"small");
  zip.CloseArchive();
}

}  // namespace
}  // namespace sk
