// Archive updates against crashes and other processes: a journal that puts
// back an update killed part-way, and the lock that keeps two writers (and a
// writer and a reader) apart.
#include <gtest/gtest.h>
#include <signal.h>
#include <fcntl.h>
#include <sys/file.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <numeric>
#include <set>
#include <thread>
#include <vector>

#include "ArchiverTestSupport.h"
#include "FileSeamTestSupport.h"
#include "TestSupport.h"
#include "ZipTestSupport.h"
#include "platform/runtime/FileReplace.h"
#include "platform/runtime/OSError.h"
#include "platform/runtime/ResourceStrings.h"
#include "platform/runtime/ZipReader.h"
#include "zip/File_chunker.h"
#include "zip/ZAJournal.h"
#include "zip/ZARecords.h"
#include "zip/ZAUtils.h"
#include "zip/Zip_utils.h"

namespace sk {
namespace {

using std::chrono::milliseconds;

class ZAJournal : public ScratchFolderTest {
 protected:
  ZAJournal() : ScratchFolderTest("sk_journal") {}
  void SetUp() override {
    ScratchFolderTest::SetUp();
    StartArchiverUnits();
  }
  // The archiver set to make a split set of stored 64 KiB volumes at name.
  static void SplitSetOf64K(TZipArchiver& zip, const String& name) {
    zip.FFileName = name;
    zip.SetSpanningMode(smSplitting);
    zip.FSpanningOptions.FVolumeSize = vsCustom;
    zip.FSpanningOptions.SetCustomVolumeSize(65536);
    zip.SetCompressionMode(0);
  }
  // Text that deflates to about a third of its size, different per seed.
  static std::string Text(Int32 seed, size_t size) {
    static const char* const words[] = {"and", "the", "LORD", "said", "unto", "Moses", "in", "land", "of", "Egypt"};
    std::string s;
    UInt64 x = static_cast<UInt64>(seed) * 2654435761u + 1;
    while (s.size() < size) {
      x = x * 6364136223846793005ull + 1442695040888963407ull;
      s += words[(x >> 33) % 10];
      s += (x >> 40) % 7 == 0 ? ".\n" : " ";
    }
    s.resize(size);
    return s;
  }
  static String Name(const char* prefix, Int32 i) {
    char n[48];
    std::snprintf(n, sizeof n, "%s%03d.txt", prefix, i);
    return Utf8ToString(n);
  }
  void MakeArchive(const std::string& name, Int32 entries, size_t size, const char* prefix = "e") {
    TZipArchiver zip;
    zip.FFileName = File(name);
    zip.SetCompressionMode(6);
    zip.OpenArchive(fmCreate);
    zip.BeginUpdate();
    for (Int32 i = 0; i < entries; ++i) zip.AddFromString(Name(prefix, i), Utf8ToString(Text(i, size)), 0x20, 40000);
    zip.EndUpdate();
    zip.CloseArchive();
  }
  static std::set<std::string> NamesOf(const TZipArchiver& zip) {
    std::set<std::string> r;
    for (Int32 i = 0; i < zip.DMHandle->CDir->Count(); ++i)
      r.insert(StringToUtf8(zip.DMHandle->CDir->FItems[static_cast<size_t>(i)].Name));
    return r;
  }
  // The entry names of the archive, opened as any reader opens it.
  std::set<std::string> Names(const std::string& name) {
    TZipArchiver zip;
    zip.FFileName = File(name);
    zip.OpenArchive(fmOpenRead);
    return NamesOf(zip);
  }
  // The journal an update of archive (the bytes of the file `file`) from
  // restorePoint on writes.
  std::string JournalOf(const std::string& archive, Int64 restorePoint, const std::string& file = "a.zip") {
    struct stat st {};
    EXPECT_EQ(::stat(Path(file).c_str(), &st), 0);
    TBytesStream source(TBytes(archive.begin(), archive.end()));
    TBytesStream out{TBytes()};
    ZAWriteJournal(&source, &out, restorePoint, static_cast<Int64>(archive.size()),
                   {static_cast<UInt64>(st.st_dev), static_cast<UInt64>(st.st_ino)});
    return std::string(reinterpret_cast<const char*>(out.Bytes()), static_cast<size_t>(out.Size()));
  }
  // The offset of entry index's local header.
  Int64 OffsetOf(const std::string& name, Int32 index) {
    TZipArchiver probe;
    probe.FFileName = File(name);
    probe.OpenArchive(fmOpenRead);
    return probe.DMHandle->CDir->FItems[static_cast<size_t>(index)].CentralDir.relOffsetLH;
  }
  template <typename F>
  static std::chrono::steady_clock::duration TimeOf(F f) {
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::steady_clock::now() - start;
  }
  bool UnzipAccepts(const std::string& name) {
    return RunCommand("/usr/bin/unzip -tqq " + ShellQuote(Path(name)) + " >/dev/null 2>&1") == 0;
  }
  String Journal(const std::string& name) { return ZAJournalFileNameOf(File(name)); }
  // The names e<from>.txt to e<to - 1>.txt, and more.
  static std::set<std::string> EntryNames(Int32 from, Int32 to, std::set<std::string> more = {}) {
    for (Int32 i = from; i < to; ++i) more.insert(StringToUtf8(Name("e", i)));
    return more;
  }
  // Another archiver's stored update of a.zip: the entries deleted, then the
  // entries put in (replacing ones of their names) with version v of their text.
  void Update(const std::vector<Int32>& deleted, const std::vector<Int32>& put, Int32 v, size_t size) {
    TZipArchiver writer;
    writer.FFileName = File("a.zip");
    writer.SetCompressionMode(0);
    writer.FOptions.FOverwriteMode = omAlways;
    writer.OpenArchive();
    writer.BeginUpdate();
    for (Int32 i : deleted) writer.DeleteFiles(Name("e", i), 0x28BF, String());
    for (Int32 i : put) writer.AddFromString(Name("e", i), Utf8ToString(Text(i + 10000 * v, size)), 0x20, 40000);
    writer.EndUpdate();
  }
  // Gives the file its owner, group and mode.
  void Own(const std::string& name, uid_t uid, gid_t gid, mode_t mode) {
    ASSERT_EQ(::chown(Path(name).c_str(), uid, gid), 0);
    ASSERT_EQ(::chmod(Path(name).c_str(), mode), 0);
  }
};

// Users and groups of the system's database the tests that change user
// take: "nobody" belongs to "nogroup" only.
constexpr uid_t kOwner = 1;         // owns the archives
constexpr uid_t kNobody = 65534;    // the other user
constexpr gid_t kNogroup = 65534;   // nobody's group
constexpr gid_t kOtherGroup = 2;    // a group nobody is not one of
constexpr gid_t kUsers = 100;       // a process's group that is not the archive's

// The update of the kill test: the first entry goes (so every other entry
// moves), three entries come in. Without the first entry the commit starts
// at the archive's first byte and replaces the whole file; without the
// second it goes through the journal.
void DeleteAndAdd(TZipArchiver& zip, const String& victim = u"e000.txt") {
  zip.BeginUpdate();
  zip.DeleteFiles(victim, 0x28BF, String());
  for (Int32 i = 0; i < 3; ++i) {
    char n[16];
    std::snprintf(n, sizeof n, "n%03d.txt", i);
    std::string text(300000, 'x');
    for (size_t k = 0; k < text.size(); ++k) text[k] = static_cast<char>('a' + (k * 7 + k / 13 + i) % 26);
    zip.AddFromString(Utf8ToString(n), Utf8ToString(text), 0x20, 40000);
  }
  zip.EndUpdate();
}

TEST_F(ZAJournal, AnUpdateKilledAtAnyMomentLeavesTheOldArchiveOrTheNewOne) {
  MakeArchive("base.zip", 40, 60000);
  const std::string before = ReadRaw("base.zip");
  const std::set<std::string> oldNames = Names("base.zip");
  // The new archive, and how long the update takes here, to spread the kills.
  const String victims[2] = {u"e000.txt", u"e001.txt"};
  std::set<std::string> newNames[2];
  std::chrono::steady_clock::duration took{};
  for (Int32 v = 0; v < 2; ++v) {
    WriteRaw("a.zip", before);
    took = TimeOf([&] {
      TZipArchiver zip;
      zip.FFileName = File("a.zip");
      zip.OpenArchive();
      DeleteAndAdd(zip, victims[v]);
      zip.CloseArchive();
    });
    newNames[v] = Names("a.zip");
    ASSERT_NE(oldNames, newNames[v]);
    ASSERT_EQ(newNames[v].size(), oldNames.size() + 2);
  }

  // Delays from 0 to nearly half as long again as the update.
  constexpr Int32 kKills = 30;
  for (Int32 k = 0; k < kKills; ++k) {
    SCOPED_TRACE(k);
    WriteRaw("a.zip", before);
    RunKilledAfter(took * k / (kKills - 10), [&] {
      TZipArchiver zip;
      zip.FFileName = File("a.zip");
      zip.OpenArchive();
      DeleteAndAdd(zip, victims[k % 2]);
      zip.CloseArchive();
    });
    // The next open puts the archive in order.
    const std::set<std::string> names = Names("a.zip");
    EXPECT_FALSE(FileExists(Journal("a.zip")));
    EXPECT_TRUE(names == oldNames || names == newNames[k % 2]) << names.size();
    if (names == oldNames) {
      EXPECT_EQ(ReadRaw("a.zip"), before);
    }
    if (HasProgram("/usr/bin/unzip")) {
      EXPECT_TRUE(UnzipAccepts("a.zip"));
    }
  }
}

TEST_F(ZAJournal, OtherWritesKilledAtAnyMomentLeaveTheOldArchiveOrTheNewOne) {
  MakeArchive("base.zip", 30, 40000);
  MakeArchive("more.zip", 20, 40000, "m");
  ::mkdir(Path("real").c_str(), 0700);
  const std::string base = ReadRaw("base.zip");
  const std::string good = ReadRaw("more.zip");
  struct Case {
    const char* what;
    std::string name;             // the name the write goes through
    std::function<void()> write;  // from base.zip's bytes at real/a.zip
  } cases[] = {
      // Made anew: no journal, whenever it is killed, that would cut a good
      // archive later copied onto the name.
      {"a new archive", "real/a.zip", [&] { MakeArchive("real/a.zip", 25, 40000); }},
      {"an update through a link", "link.zip",
       [&] {
         TZipArchiver zip;
         zip.FFileName = File("link.zip");
         zip.OpenArchive();
         DeleteAndAdd(zip, u"e001.txt");
       }},
      {"a merge", "real/a.zip",
       [&] {
         TZipArchiver zip;
         zip.FFileName = File("real/a.zip");
         zip.OpenArchive();
         zip.MergeWith(File("more.zip"));
       }},
  };
  ::symlink(Path("real/a.zip").c_str(), Path("link.zip").c_str());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteRaw("real/a.zip", base);
    const auto took = TimeOf(c.write);
    const std::set<std::string> newNames = Names("real/a.zip");
    ASSERT_NE(newNames, Names("base.zip"));
    constexpr Int32 kKills = 8;
    for (Int32 k = 0; k < kKills; ++k) {
      SCOPED_TRACE(k);
      ::unlink(Path("real/a.zip").c_str());
      if (std::string(c.what) != "a new archive") WriteRaw("real/a.zip", base);
      RunKilledAfter(took * k / (kKills - 2), c.write);
      // Whatever name the next open takes, the archive is in order.
      if (FileExists(File("real/a.zip")) && ReadRaw("real/a.zip").size() > 0) {
        const std::set<std::string> names = Names("real/a.zip");
        EXPECT_TRUE(names == Names("base.zip") || names == newNames) << names.size();
      }
      EXPECT_FALSE(FileExists(Journal("real/a.zip")));
      EXPECT_FALSE(FileExists(File("link.zip-journal")));
      // A good archive copied onto the name stays as it is.
      WriteRaw("real/a.zip", good);
      EXPECT_EQ(Names("link.zip"), Names("more.zip"));
      EXPECT_EQ(ReadRaw("real/a.zip"), good);
    }
  }
  // Adds through either name build on each other.
  TZipArchiver byLink, byName;
  byLink.FFileName = File("link.zip");
  byName.FFileName = File("real/a.zip");
  byLink.OpenArchive();
  byName.OpenArchive();
  byLink.AddFromString(u"one.txt", u"1", 0x20, 40000);
  byName.AddFromString(u"two.txt", u"2", 0x20, 40000);
  byLink.AddFromString(u"three.txt", u"3", 0x20, 40000);
  byLink.CloseArchive();
  byName.CloseArchive();
  const std::set<std::string> names = Names("real/a.zip");
  for (const char* n : {"one.txt", "two.txt", "three.txt"}) EXPECT_EQ(names.count(n), 1u) << n;
}

TEST_F(ZAJournal, AReaderOpenedBeforeAnotherWriterReadsEveryEntryWhole) {
  MakeArchive("a.zip", 20, 20000);
  const std::string before = ReadRaw("a.zip");
  const Int64 restorePoint = OffsetOf("a.zip", 2);
  struct Case {
    const char* what;
    std::function<void()> change;  // what another process does after the reader opened
  } cases[] = {
      {"an update moved every entry",
       [&] {
         TZipArchiver writer;
         writer.FFileName = File("a.zip");
         writer.OpenArchive();
         DeleteAndAdd(writer);
       }},
      {"an update killed part-way",
       [&] {
         WriteRaw("a.zip-journal", JournalOf(before, restorePoint));
         WriteRaw("a.zip", before.substr(0, static_cast<size_t>(restorePoint)) + std::string(9000, 'Z'));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteRaw("a.zip", before);
    TZipArchiver reader;
    reader.FFileName = File("a.zip");
    reader.OpenArchive(fmOpenRead);
    c.change();
    // Each entry is whole, or gone with the other process's update; never
    // taken for a damaged one.
    for (Int32 i = 0; i < 20; ++i) {
      SCOPED_TRACE(i);
      String text;
      const Int32 code = EngineErrorOf([&] { reader.ExtractToString(Name("e", i), text); });
      if (code == -1) {
        EXPECT_EQ(StringToUtf8(text), Text(i, 20000));
      } else {
        EXPECT_TRUE(i == 0 && (code == 15 || code == 71)) << code;
      }
    }
    EXPECT_FALSE(FileExists(File("a.zip-journal")));
  }
}

TEST_F(ZAJournal, AWriterOpenedBeforeAnotherWriterChangesTheEntriesItNames) {
  using Names = std::vector<std::string>;
  using Step = std::function<void(TZipArchiver&)>;
  const auto del = [](const char16_t* n) -> Step {
    return [n](TZipArchiver& z) { z.DeleteFiles(n, 0x28BF, String()); };
  };
  const auto ren = [](const char16_t* n, const char16_t* to) -> Step {
    return [n, to](TZipArchiver& z) { z.RenameFile(n, to); };
  };
  struct Change {
    const char* what;
    Step change;  // by another process, after the writer opened
    Names gone, added;
    bool moves;  // an entry now has another entry's index
  } changes[] = {
      {"a delete", del(u"e005.txt"), {"e005.txt"}, {}, true},
      {"an add", [](TZipArchiver& b) { b.AddFromString(u"n.txt", u"n", 0x20, 40000); }, {}, {"n.txt"}, false},
      {"a rename", ren(u"e003.txt", u"m.txt"), {"e003.txt"}, {"m.txt"}, true},
      {"a first-entry delete", del(u"e000.txt"), {"e000.txt"}, {}, true},
      {"r.txt renamed", ren(u"r.txt", u"q.txt"), {"r.txt"}, {"q.txt"}, true},
  };
  Int32 found = -1;  // r.txt's index when the writer opened
  // Runs run, with step (another process) at the n-th file call op to a path ending in at.
  auto during = [](TFileSeamOp op, Int32 n, const char* at, const auto& step, const auto& run) {
    Int32 calls = 0;
    const TFileSeamHook previous = SetFileSeamHook([&](TFileSeamOp o, const std::string& path) {
      if (o == op && path.ends_with(at) && ++calls == n) step();
      return 0;
    });
    const Int32 code = EngineErrorOf(run);
    SetFileSeamHook(previous);
    return code;
  };
  struct Act {
    const char* what;
    Step act;
    std::string name;  // the entry acted on; without it the writer fails with `missing` or does nothing
    Int32 missing;
    Names gone, added;
    bool readOnly = false;  // the entry becomes read-only
    bool byIndex = false;   // fails with 71 when entries moved, else acts whether or not the entry is there
  } acts[] = {
      {"renames r.txt", ren(u"r.txt", u"s.txt"), "r.txt", 30, {"r.txt"}, {"s.txt"}},
      {"deletes r.txt", del(u"r.txt"), "r.txt", -1, {"r.txt"}, {}},
      {"deletes the tagged r.txt",
       [](TZipArchiver& a) {
         a.TagFiles(u"r.txt", 0x28BF, String()), a.BeginUpdate(), a.ProcessTaggedFiles(poDelete), a.EndUpdate();
       },
       "r.txt", -1, {"r.txt"}, {}},
      {"makes r.txt read-only", [](TZipArchiver& a) { a.ChangeFilesAttr(u"r.txt", 0x21); }, "r.txt", 31, {}, {}, true},
      {"renames the last entry", ren(u"z.txt", u"y.txt"), "z.txt", 30, {"z.txt"}, {"y.txt"}},
      {"deletes r.txt by its index", [&](TZipArchiver& a) { a.BeginUpdate(), a.DeleteItem(found), a.EndUpdate(); },
       "r.txt", -1, {"r.txt"}, {}, false, true},
      {"updates r.txt by its index",
       [&](TZipArchiver& a) {
         a.FOptions.FStorePath = spNoPath, a.BeginUpdate(), a.UpdateItem(found, File("r.txt")), a.EndUpdate();
       },
       "r.txt", -1, {}, {}, false, true},
      {"merges b.zip, which another process adds to meanwhile",
       [&](TZipArchiver& a) {
         auto add = [this] { Through(File("b.zip"), [](TZipArchiver& b) { b.AddFromBuffer(u"b1", "b", 1, 0, 0); }); };
         EXPECT_EQ(during(fsoLock, 2, "", add, [&] { a.MergeWith(File("b.zip")); }), -1);
       },
       "", -1, {}, {"b000.txt", "b1"}},
      {"makes a self-extracting copy",
       [&](TZipArchiver& a) {
         a.FSFXStub = File("stub.sh"), a.MakeSFX(File("sfx.zip"));
         EXPECT_EQ(this->Names("sfx.zip"), this->Names("a.zip"));
       },
       "", -1, {}, {}},
      {"repairs it in place while another process adds to it",
       [&](TZipArchiver& a) {
         a.CloseArchive();
         TZipArchiver o;  // its add fails, or else is lost
         o.FFileName = File("a.zip"), o.FLockWait = 20;
         auto add = [&] { EXPECT_EQ(EngineErrorOf([&] { o.OpenArchive(), o.AddFromBuffer(u"l", "", 0, 0, 0); }), 71); };
         EXPECT_EQ(during(fsoRename, 1, "/a.zip", add, [&] { a.RepairArchive(String()); }), -1);
       },
       "", -1, {}, {}},
  };
  MakeArchive("a.zip", 10, 100);
  ASSERT_EQ(Through(File("a.zip"), [](TZipArchiver& z) {
              for (const char16_t* name : {u"r.txt", u"r.txt.bak", u"z.txt"}) z.AddFromString(name, name, 0x20, 40000);
            }), -1);
  const std::string before = ReadRaw("a.zip");
  WriteRaw("r.txt", "r, updated");
  WriteRaw("stub.sh", "#!/bin/sh\nexit 0\n");
  MakeArchive("b.zip", 1, 100, "b");
  const std::string other = ReadRaw("b.zip");
  for (const Change& c : changes) {
    for (const Act& act : acts) {
      SCOPED_TRACE(std::string(c.what) + ", then the writer " + act.what);
      WriteRaw("a.zip", before);
      WriteRaw("b.zip", other);
      TZipArchiver a, check;
      a.FFileName = check.FFileName = File("a.zip");
      a.OpenArchive();
      ASSERT_TRUE(a.GetFileCendralDirItemNo(u"r.txt", found));
      ASSERT_EQ(Through(File("a.zip"), c.change), -1);
      const bool present = act.byIndex ? !c.moves
                                       : std::find(c.gone.begin(), c.gone.end(), act.name) == c.gone.end();
      EXPECT_EQ(EngineErrorOf([&] { act.act(a); }), present ? -1 : act.byIndex ? 71 : act.missing);
      a.CloseArchive();
      std::set<std::string> expected = EntryNames(0, 10, {"r.txt", "r.txt.bak", "z.txt"});
      for (const auto& [gone, added] : {std::pair(c.gone, c.added), present ? std::pair(act.gone, act.added)
                                                                          : std::pair(Names(), Names())}) {
        for (const std::string& n : gone) expected.erase(n);
        expected.insert(added.begin(), added.end());
      }
      check.OpenArchive(fmOpenRead);
      EXPECT_EQ(NamesOf(check), expected);
      for (Int32 i = 0; i < check.DMHandle->CDir->Count(); ++i) {
        const TDirItem& it = check.DMHandle->CDir->FItems[static_cast<size_t>(i)];
        const bool readOnly = act.readOnly && present && StringToUtf8(it.Name) == act.name;
        EXPECT_EQ(it.CentralDir.externalAttr & 1, readOnly ? 1u : 0u) << StringToUtf8(it.Name);
      }
    }
  }
}

TEST_F(ZAJournal, ALockTheFileSystemRefusesGivesTheSystemsError) {
  MakeArchive("a.zip", 2, 1000);
  for (Int32 error : {ENOLCK, EOPNOTSUPP}) {
    SCOPED_TRACE(error);
    const TFileSeamHook previous =
        SetFileSeamHook([error](TFileSeamOp op, const std::string&) { return op == fsoLock ? error : 0; });
    TZipArchiver zip;
    zip.FFileName = File("a.zip");
    // A read goes on without the lock.
    EXPECT_EQ(EngineErrorOf([&] { zip.OpenArchive(); }), -1);
    String text;
    EXPECT_EQ(EngineErrorOf([&] { zip.ExtractToString(u"e001.txt", text); }), -1);
    // An update fails with the system's reason.
    Int32 raised = 0;
    try {
      zip.AddFromString(u"new.txt", u"new", 0x20, 40000);
    } catch (const EOSError& e) {
      raised = e.ErrorCode;
    }
    EXPECT_EQ(raised, error);
    SetFileSeamHook(previous);
    zip.CloseArchive();
    EXPECT_EQ(Names("a.zip"), (std::set<std::string>{"e000.txt", "e001.txt"}));
  }
}

TEST_F(ZAJournal, TheNextOpenActsOnTheJournalItFinds) {
  MakeArchive("a.zip", 6, 3000);
  const std::string before = ReadRaw("a.zip");
  const Int64 restorePoint = OffsetOf("a.zip", 2);
  // A journal of the archive from the third entry on, as an update writes it.
  const std::string journal = JournalOf(before, restorePoint);
  ASSERT_EQ(journal.size(),
            before.size() - static_cast<size_t>(restorePoint) + ZAJournalHeaderSize + ZAJournalRecordSize);
  // What the archive looks like when its update died: cut at the restore
  // point, half an entry written.
  const std::string torn = before.substr(0, static_cast<size_t>(restorePoint)) + std::string(5000, 'Z');
  std::string badChecksum = journal;
  badChecksum[ZAJournalHeaderSize + 10] ^= 1;
  std::string hugeTail = journal;
  PutLE64(reinterpret_cast<Byte*>(hugeTail.data()) + hugeTail.size() - ZAJournalRecordSize + 24, UInt64{1} << 62);
  // The header's own checksum made good again: only the length is wrong.
  std::string hugeOriginal = journal;
  Byte* head = reinterpret_cast<Byte*>(hugeOriginal.data());
  PutLE64(head + 24, (UInt64{1} << 61) - 1);
  PutLE32(head + 52, ZACRC32Update(0xFFFFFFFFu, head, 52) ^ 0xFFFFFFFFu);
  enum Outcome { restored, damaged, kept };
  struct Case {
    const char* what;
    std::string journal;
    Outcome outcome;  // restored: the archive is put back; damaged: this
                      // archive's journal, damaged: it stays, and so does
                      // the torn archive; kept: not ours
  } cases[] = {
      {"complete", journal, restored},
      {"record missing its last byte", journal.substr(0, journal.size() - 1), damaged},
      {"a tail byte changed", badChecksum, damaged},
      {"no record", journal.substr(0, journal.size() - ZAJournalRecordSize), damaged},
      {"only a header", journal.substr(0, ZAJournalHeaderSize), damaged},
      {"a huge tail length", hugeTail, damaged},
      {"a huge original length", hugeOriginal, damaged},
      {"empty", std::string(), kept},
      {"only a record", journal.substr(journal.size() - ZAJournalRecordSize), kept},
      {"a header cut short", journal.substr(0, ZAJournalHeaderSize - 1), kept},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string archive = c.outcome == kept ? before : torn;
    for (bool forUpdate : {false, true}) {
      SCOPED_TRACE(forUpdate);
      WriteRaw("a.zip", before);
      TZipArchiver zip;
      zip.FFileName = File("a.zip");
      // A damaged journal stops updates and reads alike, with an error of
      // its own; the others are no reason to stop either.
      const Int32 expected = c.outcome == damaged ? 73 : -1;
      if (forUpdate) {
        // Opened before the journal came: the update finds it under its lock.
        zip.OpenArchive();
        WriteRaw("a.zip", archive);
        WriteRaw("a.zip-journal", c.journal);
        EXPECT_EQ(EngineErrorOf([&] { zip.BeginUpdate(); }), c.outcome == kept ? 72 : expected);
        zip.CancelUpdate();
        String text;
        EXPECT_EQ(EngineErrorOf([&] { zip.ExtractToString(u"e005.txt", text); }), expected);
      } else {
        WriteRaw("a.zip", archive);
        WriteRaw("a.zip-journal", c.journal);
        EXPECT_EQ(EngineErrorOf([&] { zip.OpenArchive(); }), expected);
      }
      EXPECT_EQ(FileExists(File("a.zip-journal")), c.outcome != restored);
      EXPECT_EQ(ReadRaw("a.zip"), c.outcome == damaged ? torn : before);
      if (c.outcome != damaged) {
        EXPECT_EQ(zip.DMHandle->CDir->Count(), 6);
      }
      zip.CloseArchive();
      ::unlink(Path("a.zip-journal").c_str());
    }
  }
  EXPECT_EQ(EZAException(73, {u"a.zip-journal"}).Message(),
            u"The journal \"a.zip-journal\" of an update of this archive is damaged, so the archive may be damaged "
            u"too and need repair. The journal is kept, and the archive cannot be read or updated while it is there "
            u"- Native error: 00073");
}

// Whether the tests that change user can run: as root, with the users and
// groups they take in the system's database.
bool UsersAvailable() {
  const passwd* nobody = ::getpwuid(kNobody);
  return ::geteuid() == 0 && nobody != nullptr && nobody->pw_gid == kNogroup;
}

TEST_F(ZAJournal, WhatIsNotThisArchivesJournalIsNeitherAppliedNorDeleted) {
  MakeArchive("other.zip", 3, 1500);
  const std::string other = ReadRaw("other.zip");
  MakeArchive("a.zip", 6, 3000);
  const std::string before = ReadRaw("a.zip");
  const Int64 restorePoint = OffsetOf("a.zip", 2);
  // The complete journal an update killed part-way leaves, bound to the
  // file at the archive's name now.
  auto journal = [&] { return JournalOf(before, restorePoint); };
  const std::string journalName = StringToUtf8(Journal("a.zip"));
  const bool users = UsersAvailable();
  if (users) {
    ASSERT_EQ(::chmod(fDir.c_str(), 0755), 0);
  }
  // The archive may be written by its owner and its group, which nobody is
  // not one of; nobody may write the journal all the same, and rewrites it
  // in place with a tail of its own.
  auto forge = [&](gid_t group, mode_t mode, bool acl) {
    Own("a.zip", kOwner, kOtherGroup, 0664);
    const std::string forged =
        JournalOf(before.substr(0, static_cast<size_t>(restorePoint)) + std::string(2000, 'F'), restorePoint);
    WriteRaw("a.zip-journal", journal());
    Own("a.zip-journal", kOwner, group, mode);
    if (acl) {
      ASSERT_TRUE(LetUserWrite(Path("a.zip-journal"), kNobody));
    }
    EXPECT_EQ(AsUser(kNobody, kUsers, {kUsers},
                     [&] {
                       WriteRaw("a.zip-journal", forged);
                       return ::open(Path("a.zip").c_str(), O_WRONLY) < 0 ? 0 : 1;
                     }),
              0);
    EXPECT_EQ(ReadRaw("a.zip-journal"), forged);
  };
  struct Case {
    const char* what;
    std::function<void()> plant;  // leaves a.zip and whatever is at its journal's name
    bool changesUser = false;
  } cases[] = {
      {"archive replaced by rename",
       [&] {
         WriteRaw("a.zip-journal", journal());
         WriteRaw("new.zip", other);
         ::rename(Path("new.zip").c_str(), Path("a.zip").c_str());
       }},
      {"archive copied onto its name",
       [&] {
         WriteRaw("a.zip-journal", journal());
         WriteRaw("a.zip", other);
       }},
      {"a journal of another archive", [&] { WriteRaw("a.zip-journal", JournalOf(other, 40, "other.zip")); }},
      {"a journal others may write",
       [&] {
         WriteRaw("a.zip-journal", journal());
         ::chmod(Path("a.zip-journal").c_str(), 0666);
       }},
      {"a journal of another user",
       [&] {
         WriteRaw("a.zip-journal", journal());
         Own("a.zip-journal", kNobody, kNogroup, 0644);
       },
       true},
      {"a journal of the updating process's group", [&] { forge(kUsers, 0664, false); }, true},
      {"a journal an access list lets another write", [&] { forge(kOtherGroup, 0644, true); }, true},
      {"a first commit's journal", [&] { WriteRaw("a.zip-journal", JournalOf(before, 0)); }},
      {"a link to a journal",
       [&] {
         WriteRaw("j", journal());
         ::symlink(Path("j").c_str(), Path("a.zip-journal").c_str());
       }},
      {"a pipe", [&] { ::mkfifo(Path("a.zip-journal").c_str(), 0600); }},
      {"a folder", [&] { ::mkdir(Path("a.zip-journal").c_str(), 0700); }},
      {"a user's text", [&] { WriteRaw("a.zip-journal", "notes of the corpus\n"); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.changesUser && !users) continue;
    WriteRaw("a.zip", before.substr(0, static_cast<size_t>(restorePoint)) + std::string(3000, 'Z'));
    c.plant();
    const std::string archive = ReadRaw("a.zip");
    struct stat planted {};
    ASSERT_EQ(::lstat(journalName.c_str(), &planted), 0);
    // A read goes on; an update fails naming the journal's file; neither
    // writes a byte of the archive nor removes what was found.
    TZipArchiver zip;
    zip.FFileName = File("a.zip");
    zip.FLockWait = 100;
    EXPECT_EQ(EngineErrorOf([&] { zip.OpenArchive(); }), -1);
    try {
      zip.BeginUpdate();
      ADD_FAILURE() << "the update began";
    } catch (const EZAException& e) {
      EXPECT_EQ(e.NativeError, 72);
      EXPECT_NE(e.Message().find(Utf8ToString(journalName)), String::npos);
    }
    zip.CloseArchive();
    EXPECT_EQ(ReadRaw("a.zip"), archive);
    struct stat after {};
    EXPECT_EQ(::lstat(journalName.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, planted.st_ino);
    ::rmdir(journalName.c_str());
    ::unlink(journalName.c_str());
    if (c.changesUser) Own("a.zip", 0, 0, 0644);
  }
}

TEST_F(ZAJournal, AGroupMembersKilledUpdateIsPutBackByTheOwnersOpen) {
  if (!UsersAvailable()) GTEST_SKIP() << "needs root and the user nobody";
  // 0 when f, on a.zip opened, fails with code and a message holding text.
  const auto refused = [&](Int32 code, const String& text, const std::function<void(TZipArchiver&)>& f) {
    TZipArchiver zip;
    zip.FFileName = File("a.zip");
    zip.OpenArchive();
    try {
      f(zip);
    } catch (const EZAException& e) {
      return e.NativeError == code && e.Message().find(text) != String::npos ? 0 : 2;
    }
    return 1;
  };
  // In a sticky folder the owner may put the archive back but not remove
  // the member's journal: it changes nothing from then on, so reads go on
  // beside it, and an update says what stops it.
  for (const mode_t folder : {0777, 01777}) {
    SCOPED_TRACE(folder);
    const bool sticky = folder == 01777;
    ASSERT_EQ(::chmod(fDir.c_str(), folder), 0);
    ::unlink(Path("a.zip").c_str());
    MakeArchive("a.zip", 20, 3000);
    Own("a.zip", kOwner, kNogroup, 0664);
    const std::string before = ReadRaw("a.zip");
    const std::set<std::string> oldNames = Names("a.zip");
    const std::string journalName = StringToUtf8(Journal("a.zip"));
    // nobody, one of the archive's group, updates it from a process whose
    // group is another, and dies a few writes into the archive.
    EXPECT_EQ(AsUser(kNobody, kUsers, {kUsers, kNogroup},
                     [&] {
                       Int32 writes = 0;
                       SetFileSeamHook([&](TFileSeamOp op, const std::string& path) {
                         struct stat st {};
                         if (op == fsoWrite && path.empty() && ::lstat(journalName.c_str(), &st) == 0 && ++writes == 3)
                           ::_exit(0);
                         return 0;
                       });
                       Through(File("a.zip"), [](TZipArchiver& zip) { DeleteAndAdd(zip, u"e001.txt"); });
                       return 1;
                     }),
              0);
    ASSERT_NE(ReadRaw("a.zip"), before);
    // The journal is nobody's, in the archive's group, with its mode.
    struct stat j {};
    ASSERT_EQ(::stat(journalName.c_str(), &j), 0);
    EXPECT_EQ(j.st_uid, kNobody);
    EXPECT_EQ(j.st_gid, kNogroup);
    EXPECT_EQ(j.st_mode & 0777, 0664u);
    // The owner's next open puts the archive back; the platform's reader
    // reads it; an update begins only once the journal is gone.
    EXPECT_EQ(AsUser(kOwner, kOwner, {},
                     [&] {
                       std::set<std::string> names;
                       Through(File("a.zip"), [&](TZipArchiver& zip) { names = NamesOf(zip); });
                       if (names != oldNames) return 3;
                       TZipFile reader;
                       reader.Open(File("a.zip"), zmRead);
                       if (reader.FileCount() != 20) return 4;
                       if (!sticky) return 0;
                       return refused(80, Utf8ToString(journalName),
                                      [](TZipArchiver& zip) { zip.AddFromString(u"late.txt", u"late", 0x20, 40000); });
                     }),
              0);
    EXPECT_EQ(ReadRaw("a.zip"), before);
    EXPECT_EQ(FileExists(Journal("a.zip")), sticky);
    // The member's update from the first byte would replace the owner's
    // file by one of its own: refused, saying so (the member's journal gone).
    EXPECT_EQ(AsUser(kNobody, kUsers, {kUsers, kNogroup},
                     [&] {
                       return refused(74, LoadResString(_SKSaveWouldChangeOwner),
                                      [](TZipArchiver& zip) { zip.DeleteFiles(u"e000.txt", 0x28BF, String()); });
                     }),
              0);
    EXPECT_EQ(ReadRaw("a.zip"), before);
    EXPECT_FALSE(FileExists(Journal("a.zip")));
  }
}

TEST_F(ZAJournal, WhatIsNotThisArchivesJournalLeavesReadsOnTheSharedLock) {
  MakeArchive("other.zip", 2, 1000);
  MakeArchive("a.zip", 6, 3000);
  const std::string before = ReadRaw("a.zip");
  const Int64 restorePoint = OffsetOf("a.zip", 2);
  const bool users = UsersAvailable();
  struct Case {
    const char* what;
    std::string journal;
    mode_t mode;
    bool otherUser;  // planted by another user in a folder anyone may write
  } cases[] = {
      {"a user's notes", "notes of the corpus\n", 0644, false},
      {"a journal of another archive", JournalOf(ReadRaw("other.zip"), 40, "other.zip"), 0644, false},
      {"a journal others may write", JournalOf(before, restorePoint), 0666, false},
      {"a journal another user planted", JournalOf(before, restorePoint), 0644, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.otherUser && !users) continue;
    ASSERT_EQ(::chmod(fDir.c_str(), c.otherUser ? 01777 : 0700), 0);
    WriteRaw("a.zip-journal", c.journal);
    ASSERT_EQ(::chmod(Path("a.zip-journal").c_str(), c.mode), 0);
    if (c.otherUser) Own("a.zip-journal", kNobody, kNogroup, c.mode);
    // Another reader holds the shared lock throughout: an exclusive lock
    // would wait for it in vain.
    const int other = ::open(Path("a.zip").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_TRUE(LockFileHandle(other, false, 0));
    TZipArchiver zip;
    zip.FFileName = File("a.zip");
    zip.FLockWait = 100;
    EXPECT_EQ(EngineErrorOf([&] { zip.OpenArchive(); }), -1);
    for (Int32 i = 0; i < 6; ++i) {
      String text;
      EXPECT_EQ(EngineErrorOf([&] { zip.ExtractToString(Name("e", i), text); }), -1);
      EXPECT_EQ(StringToUtf8(text), Text(i, 3000));
    }
    zip.CloseArchive();
    ::close(other);
    EXPECT_EQ(ReadRaw("a.zip"), before);
    EXPECT_EQ(ReadRaw("a.zip-journal"), c.journal);
    ::unlink(Path("a.zip-journal").c_str());
  }
}

TEST_F(ZAJournal, AStaleReaderNoticesAChangeAnywhereInALargeDirectory) {
  // 3,000 stored entries: a directory of far more than 64 KiB, and an early
  // entry replaced by one of its size leaves the archive's size as it was.
  constexpr size_t kSize = 100;
  struct Step {
    std::vector<Int32> replaced;                     // by another process, with version v
    Int32 v;
    std::vector<std::pair<Int32, Int32>> expected;  // then read: entry, version
  };
  struct Case {
    const char* what;
    std::vector<Step> steps;
  } cases[] = {
      {"an early entry replaced", {{{10}, 1, {{10, 1}, {20, 0}, {2999, 0}}}}},
      {"replaced again right after the reader read it anew",
       {{{10}, 1, {{10, 1}}}, {{10, 20}, 2, {{10, 2}, {20, 2}, {11, 0}}}}},
  };
  std::vector<Int32> all(3000);
  std::iota(all.begin(), all.end(), 0);
  Update({}, all, 0, kSize);  // a new archive
  const std::string before = ReadRaw("a.zip");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteRaw("a.zip", before);
    TZipArchiver reader;
    reader.FFileName = File("a.zip");
    reader.OpenArchive(fmOpenRead);
    ASSERT_GT(static_cast<Int64>(before.size()) - reader.DMHandle->CentralDirOffset, 65536);
    for (const Step& step : c.steps) {
      Update({}, step.replaced, step.v, kSize);
      ASSERT_EQ(ReadRaw("a.zip").size(), before.size());
      for (const auto& [entry, v] : step.expected) {
        const Int32 i = entry;
        SCOPED_TRACE(i);
        String text;
        EXPECT_EQ(EngineErrorOf([&] { reader.ExtractToString(Name("e", i), text); }), -1);
        EXPECT_EQ(StringToUtf8(text), Text(i + 10000 * v, kSize));
      }
    }
  }
}

TEST_F(ZAJournal, ThePlatformReaderOpenedBeforeAnUpdateKilledPartWayNeverSaysDamaged) {
  // The update moves every entry after the second (through its journal); the
  // kills fall from before it starts to after it ends. Each entry reads
  // whole, or is said to be changed by another process.
  MakeArchive("a.zip", 20, 20000);
  const std::string before = ReadRaw("a.zip");
  const auto update = [&] { Update({1}, {20, 21, 22}, 1, 200000); };
  const auto took = TimeOf(update);
  constexpr Int32 kKills = 16;
  for (Int32 k = 0; k < kKills; ++k) {
    SCOPED_TRACE(k);
    WriteRaw("a.zip", before);
    ::unlink(Path("a.zip-journal").c_str());
    TZipFile reader;
    reader.Open(File("a.zip"), zmRead);
    RunKilledAfter(took * k / (kKills - 4), update);
    for (Int32 i = 0; i < 20; ++i) {
      std::string outcome;  // the member's bytes, or "!" and the error's text
      try {
        TBytes bytes;
        reader.Read(i, bytes);
        outcome.assign(bytes.begin(), bytes.end());
      } catch (const Exception& e) {
        outcome = "!" + StringToUtf8(e.Message());
      }
      const bool saysChanged = outcome[0] == '!' && outcome.find("changed by another process") != std::string::npos;
      EXPECT_TRUE(saysChanged || outcome == Text(i, 20000)) << i << outcome.substr(0, 200);
    }
  }
}

TEST_F(ZAJournal, ThePlatformsZipWriterAndTheEngineNeverWriteOverEachOther) {
  // The platform's zip file open to add to or replace the archive while the
  // engine adds late.txt, and the other way round: each side does its work
  // or says that the other is changing the archive, and whatever either was
  // told it did is in the archive afterwards.
  MakeArchive("a.zip", 3, 2000);
  const std::string before = ReadRaw("a.zip");
  for (const TZipMode mode : {zmReadWrite, zmWrite}) {
    for (const bool engineFirst : {false, true}) {  // the engine's update is under way when the zip file opens
      SCOPED_TRACE(std::string(mode == zmWrite ? "replaced" : "added to") +
                   (engineFirst ? " during the engine's update" : " while the engine adds"));
      WriteRaw("a.zip", before);
      TZipArchiver engine;
      engine.FFileName = File("a.zip"), engine.FLockWait = 100;
      const auto engineAdds = [&] {
        engine.OpenArchive(), engine.BeginUpdate(), engine.AddFromString(u"late.txt", u"late", 0x20, 40000);
      };
      const auto engineEnds = [&] { engine.EndUpdate(), engine.CloseArchive(); };
      TZipFile mine;
      mine.LockWait = 100;
      std::string mineError;
      const auto mineTries = [&](const std::function<void()>& f) {
        try {
          f();
        } catch (const EZipException& e) {
          mineError = StringToUtf8(e.Message());
        }
      };
      Int32 engineError = -1;
      if (engineFirst) {
        ASSERT_EQ(EngineErrorOf(engineAdds), -1);
        mineTries([&] { mine.Open(File("a.zip"), mode), mine.Add(B("mine"), u"mine.txt"), mine.Close(); });
        engineError = EngineErrorOf(engineEnds);
      } else {
        mine.Open(File("a.zip"), mode);
        engineError = EngineErrorOf([&] { engineAdds(), engineEnds(); });
        mine.Add(B("mine"), u"mine.txt");
        mineTries([&] { mine.Close(); });
      }
      EXPECT_TRUE(engineError == -1 || engineError == 71) << engineError;
      EXPECT_TRUE(mineError.empty() || mineError.find("being changed by another process") != std::string::npos)
          << mineError;
      std::set<std::string> expected =
          mode == zmWrite && mineError.empty() ? std::set<std::string>{} : EntryNames(0, 3);
      if (mineError.empty()) expected.insert("mine.txt");
      if (engineError == -1) expected.insert("late.txt");
      EXPECT_EQ(Names("a.zip"), expected);
    }
  }
}

TEST_F(ZAJournal, AWriteThatFailsReportsTheSystemsError) {
  MakeArchive("a.zip", 3, 2000);
  const std::string before = ReadRaw("a.zip");
  // Each write of an add fails in turn, until one of the new entry's data
  // reaches the failure event: with the system's error, unless the disk is full.
  for (const Int32 error : {EIO, EROFS, ENOSPC}) {
    SCOPED_TRACE(error);
    String message;
    for (Int64 n = 1; message.empty() && n < 40; ++n) {
      TZipArchiver zip;
      zip.FFileName = File("a.zip");
      zip.OpenArchive();
      zip.OnProcessFileFailure = [&](TObject*, const String&, TZAProcessOperation, Int32, Int32, const String& text,
                                     TZAAction& action) {
        message = text;
        action = fxaAbort;
      };
      Int64 writes = 0;
      const TFileSeamHook previous = SetFileSeamHook(
          [&](TFileSeamOp op, const std::string&) { return op == fsoWrite && ++writes == n ? error : 0; });
      try {
        zip.AddFromString(u"new.txt", Utf8ToString(Text(7, 50000)), 0x20, 40000);
      } catch (const Exception&) {
      }
      SetFileSeamHook(previous);
      EXPECT_EQ(ReadRaw("a.zip"), before);
    }
    const String expected =
        error == ENOSPC ? EZAException(65).Message() : SysErrorMessage(error) + u" - Native error: 00076";
    EXPECT_NE(message.find(expected), String::npos) << StringToUtf8(message);
  }
}

TEST_F(ZAJournal, ARollbackThatFailsKeepsTheJournalAndFailsTheOpen) {
  MakeArchive("a.zip", 3, 2000);
  const std::string before = ReadRaw("a.zip");
  const Int64 restorePoint = OffsetOf("a.zip", 1);
  const std::string torn = before.substr(0, static_cast<size_t>(restorePoint)) + "not yet an archive";
  WriteRaw("a.zip", torn);
  const std::string journal = JournalOf(before, restorePoint);
  auto writeJournal = [&] { WriteRaw("a.zip-journal", journal); };
  // The calls of the open up to the journal's deletion and the flush of its
  // folder: the lock, reading the journal, writing the archive back,
  // cutting, flushing.
  Int64 calls = 0;
  {
    WriteRaw("a.zip", torn);
    writeJournal();
    ScopedFileSeam count(0);
    TZipArchiver zip;
    zip.FFileName = File("a.zip");
    zip.OpenArchive();
    for (size_t i = 0; i < count.ops.size() && calls == 0; ++i)
      if (count.ops[i] == fsoDelete) calls = static_cast<Int64>(i) + 2;
    ASSERT_GT(calls, 8);
  }
  // Each of them failing in turn.
  Int32 rollbackFailures = 0;
  for (Int64 n = 1;; ++n) {
    SCOPED_TRACE(n);
    WriteRaw("a.zip", torn);
    if (!FileExists(File("a.zip-journal"))) writeJournal();
    TZipArchiver zip;
    zip.FFileName = File("a.zip");
    Int32 code = -1;
    bool failed = false;
    {
      ScopedFileSeam seam(n <= calls ? n : 0, EIO);
      try {
        zip.OpenArchive();
      } catch (const EZAException& e) {
        code = e.NativeError;
      } catch (const Exception&) {
        code = -2;
      }
      failed = seam.failed && n <= calls;
    }
    zip.CloseArchive();
    if (!failed) {
      // Every call has been failed once: this open put the archive back.
      EXPECT_EQ(code, -1);
      EXPECT_EQ(ReadRaw("a.zip"), before);
      EXPECT_FALSE(FileExists(File("a.zip-journal")));
      break;
    }
    if (code == 70) ++rollbackFailures;
    // An open that succeeds, or a journal gone, means a whole archive; a
    // journal kept means the open failed. A journal kept beside a whole
    // archive (its deletion failed) is harmless: a second rollback puts the
    // same bytes back.
    if (code == -1 || !FileExists(File("a.zip-journal"))) {
      EXPECT_EQ(ReadRaw("a.zip"), before);
    }
    if (FileExists(File("a.zip-journal")) && ReadRaw("a.zip") != before) {
      EXPECT_NE(code, -1);
    }
  }
  EXPECT_GT(rollbackFailures, 2);

  // A journal whose restore point lies past the archive's end belongs to
  // another archive: it is not applied, and stays; a read goes on, an
  // update fails naming it.
  WriteRaw("a.zip-journal", JournalOf(before + std::string(300, 'p'), static_cast<Int64>(before.size()) + 100));
  TZipArchiver zip;
  zip.FFileName = File("a.zip");
  zip.OpenArchive();
  EXPECT_EQ(EngineErrorOf([&] { zip.BeginUpdate(); }), 72);
  EXPECT_EQ(ReadRaw("a.zip"), before);
  EXPECT_TRUE(FileExists(File("a.zip-journal")));
  EXPECT_EQ(EZAException(70, {u"x-journal"}).Message(),
            u"Cannot roll back the interrupted update of the archive. Its journal \"x-journal\" is kept for the next "
            u"attempt - Native error: 00070");
  EXPECT_EQ(EZAException(71, {u"a.zip"}).Message(),
            u"The archive \"a.zip\" is being changed by another process. Try again later - Native error: 00071");
  EXPECT_EQ(EZAException(72, {u"a.zip-journal"}).Message(),
            u"\"a.zip-journal\" is not the journal of this archive: it is left as it is, and the archive cannot be "
            u"updated while it is there - Native error: 00072");
}

TEST_F(ZAJournal, JournalNamesFitTheLimitOfANameAndStayApart) {
  const std::string longA(250, 'a');
  const std::string longB = std::string(249, 'a') + "b";
  // Two-byte characters after one byte: a cut at an even length would split one.
  std::string wide = "x";
  while (wide.size() < 252) wide += "\xC3\xA9";
  struct Case {
    std::string archive;
    std::string expected;  // empty: only checked for its length and ending
  } cases[] = {
      {"/x/a.zip", "/x/a.zip-journal"},
      {"a.zip", "a.zip-journal"},
      {"/x/" + std::string(247, 'c'), "/x/" + std::string(247, 'c') + "-journal"},
      {"/x/" + longA, ""},
      {"/x/" + longB, ""},
      {"/x/" + wide, ""},
  };
  std::set<std::string> seen;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.archive.size());
    const std::string name = StringToUtf8(ZAJournalFileName(Utf8ToString(c.archive)));
    if (!c.expected.empty()) {
      EXPECT_EQ(name, c.expected);
    }
    const std::string leaf = name.substr(name.rfind('/') == std::string::npos ? 0 : name.rfind('/') + 1);
    EXPECT_LE(leaf.size(), 255u);
    EXPECT_EQ(name.substr(name.size() - 8), "-journal");
    EXPECT_EQ(StringToUtf8(Utf8ToString(name)), name);  // whole characters only
    EXPECT_TRUE(seen.insert(name).second);
  }
}

TEST_F(ZAJournal, ASecondWriterWaitsThenFailsAndAReaderWaitsToo) {
  MakeArchive("a.zip", 2, 1000);
  TZipArchiver first, second, reader;
  for (TZipArchiver* z : {&first, &second, &reader}) {
    z->FFileName = File("a.zip");
    z->FLockWait = 100;
  }
  first.OpenArchive();
  second.OpenArchive();
  first.BeginUpdate();
  first.AddFromString(u"first.txt", u"from the first writer", 0x20, 40000);
  // While the first update runs: the second writer and a new reader give up
  // after their wait, and nothing of theirs is stored.
  EXPECT_EQ(EngineErrorOf([&] { second.AddFromString(u"second.txt", u"lost", 0x20, 40000); }), 71);
  EXPECT_EQ(EngineErrorOf([&] { reader.OpenArchive(); }), 71);
  EXPECT_FALSE(reader.GetActive());
  first.EndUpdate();
  // Now the second writer builds on the archive the first one left.
  second.AddFromString(u"second.txt", u"from the second writer", 0x20, 40000);
  reader.OpenArchive();
  String text;
  reader.ExtractToString(u"first.txt", text);
  EXPECT_EQ(text, u"from the first writer");
  reader.ExtractToString(u"second.txt", text);
  EXPECT_EQ(text, u"from the second writer");
  EXPECT_EQ(reader.GetFileCount(), 4);
  // A change that keeps the archive's size (a rename to a name as long) is
  // seen too.
  first.RenameFile(u"e000.txt", u"r000.txt");
  // So is an archive comment written outside an update.
  first.SetFileComment("set by the first");
  second.AddFromString(u"third.txt", u"third", 0x20, 40000);
  EXPECT_EQ(second.GetFileComment(), "set by the first");
  reader.CloseArchive();
  reader.OpenArchive();
  EXPECT_EQ(NamesOf(reader), (std::set<std::string>{"r000.txt", "e001.txt", "first.txt", "second.txt", "third.txt"}));
  // An extraction waits for the shared lock as well.
  second.BeginUpdate();
  EXPECT_EQ(EngineErrorOf([&] { reader.ExtractToString(u"third.txt", text); }), 71);
  second.CancelUpdate();
  reader.ExtractToString(u"third.txt", text);
  EXPECT_EQ(text, u"third");
}

TEST_F(ZAJournal, TwoProcessesAddingAtOnceLoseNothing) {
  MakeArchive("a.zip", 1, 100);
  int pipes[2], go[2];
  ASSERT_EQ(::pipe(pipes), 0);
  ASSERT_EQ(::pipe(go), 0);
  pid_t children[2];
  for (Int32 w = 0; w < 2; ++w) {
    children[w] = ::fork();
    ASSERT_GE(children[w], 0);
    if (children[w] == 0) {
      ::close(pipes[0]);
      ::close(go[1]);
      SetFileFlushesSkipped(true);
      TZipArchiver zip;
      zip.FFileName = File("a.zip");
      zip.FLockWait = 20000;
      try {
        zip.OpenArchive();
      } catch (...) {
        ::_exit(1);
      }
      // Both start together.
      char start = 0;
      if (::read(go[0], &start, 1) != 0) ::_exit(3);
      for (Int32 i = 0; i < 40; ++i) {
        const String name = Name(w == 0 ? "a" : "b", i);
        try {
          zip.AddFromString(name, Utf8ToString(Text(w * 100 + i, 5000 + static_cast<size_t>(i) * 37)), 0x20, 40000);
        } catch (...) {
          continue;
        }
        // Reported only once the add returned.
        const std::string line = StringToUtf8(name) + "\n";
        if (::write(pipes[1], line.data(), line.size()) != static_cast<ssize_t>(line.size())) ::_exit(2);
      }
      ::_exit(0);
    }
  }
  ::close(pipes[1]);
  ::close(go[0]);
  ::close(go[1]);
  std::string reported;
  char buffer[4096];
  for (ssize_t n; (n = ::read(pipes[0], buffer, sizeof buffer)) > 0;) reported.append(buffer, static_cast<size_t>(n));
  ::close(pipes[0]);
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  TZipArchiver zip;
  zip.FFileName = File("a.zip");
  zip.OpenArchive(fmOpenRead);
  Int32 count = 0;
  for (size_t from = 0; from < reported.size();) {
    const size_t end = reported.find('\n', from);
    const std::string name = reported.substr(from, end - from);
    from = end + 1;
    ++count;
    SCOPED_TRACE(name);
    const Int32 w = name[0] == 'a' ? 0 : 1;
    const Int32 i = std::atoi(name.c_str() + 1);
    String text;
    ASSERT_EQ(EngineErrorOf([&] { zip.ExtractToString(Utf8ToString(name), text); }), -1);
    EXPECT_EQ(StringToUtf8(text), Text(w * 100 + i, 5000 + static_cast<size_t>(i) * 37));
  }
  // Every add had the lock within the (long) wait.
  EXPECT_EQ(count, 80);
  EXPECT_EQ(zip.GetFileCount(), 81);
  zip.CloseArchive();
  if (HasProgram("/usr/bin/unzip")) {
    EXPECT_TRUE(UnzipAccepts("a.zip"));
  }
}

TEST_F(ZAJournal, AWaitingWriterNeverAddsToAFileThatLeftTheName) {
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
    MakeArchive("a.zip", 8, 100);
    // Six first-entry deletes by other processes, each a whole new file.
    for (Int32 k = 1; k <= 6; ++k) {
      MakeArchive("v" + std::to_string(k) + ".zip", 8, 100);
      Through(File("v" + std::to_string(k) + ".zip"), [k](TZipArchiver& zip) {
        for (Int32 j = 0; j < k; ++j) zip.DeleteFiles(Name("e", j), 0x28BF, String());
      });
    }
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
    EXPECT_EQ(Names("a.zip"), EntryNames(6, 8, c.added ? std::set<std::string>{"new.txt"} : std::set<std::string>{}));
  }
}

TEST_F(ZAJournal, AFirstByteCommitKeepsTheArchivesAclAndExtendedAttributes) {
  MakeArchive("a.zip", 4, 100);
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
  EXPECT_EQ(Through(File("a.zip"), [](TZipArchiver& zip) { zip.DeleteFiles(Name("e", 0), 0x28BF, String()); }), -1);
  ASSERT_EQ(::stat(path.c_str(), &after), 0);
  EXPECT_EQ(Names("a.zip"), EntryNames(1, 4));
  EXPECT_EQ(attribute("user.note"), note);
  EXPECT_EQ(after.st_mode, before.st_mode);
  if (withAcl) {
    EXPECT_EQ(attribute("system.posix_acl_access"), aclBefore);
  }
}

TEST_F(ZAJournal, EveryNameOfAHardLinkedArchiveSeesOneArchive) {
  struct Case {
    const char* what;
    std::function<void(TZipArchiver&)> change;  // through y/h.zip
    Int32 code;
    std::set<std::string> names;
  } cases[] = {
      {"an add", [](TZipArchiver& zip) { zip.AddFromString(u"new.txt", u"new", 0x20, 40000); }, -1,
       EntryNames(0, 5, {"new.txt"})},
      {"a delete of a later entry", [](TZipArchiver& zip) { zip.DeleteFiles(Name("e", 2), 0x28BF, String()); }, -1,
       {"e000.txt", "e001.txt", "e003.txt", "e004.txt"}},
      // In place from the first byte, no journal could be bound to it.
      {"a delete of the first entry", [](TZipArchiver& zip) { zip.DeleteFiles(Name("e", 0), 0x28BF, String()); }, 77,
       EntryNames(0, 5)},
  };
  ::mkdir(Path("x").c_str(), 0700);
  ::mkdir(Path("y").c_str(), 0700);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ::unlink(Path("y/h.zip").c_str());
    MakeArchive("x/a.zip", 5, 100);
    ASSERT_EQ(::link(Path("x/a.zip").c_str(), Path("y/h.zip").c_str()), 0);
    EXPECT_EQ(Through(File("y/h.zip"), c.change), c.code);
    EXPECT_TRUE(std::filesystem::equivalent(Path("y/h.zip"), Path("x/a.zip")));
    EXPECT_EQ(Names("x/a.zip"), c.names);
    EXPECT_EQ(ReadRaw("y/h.zip"), ReadRaw("x/a.zip"));
    EXPECT_FALSE(FileExists(ZAJournalFileNameOf(File("y/h.zip"))));
  }
}

TEST_F(ZAJournal, AnUpdateKilledThroughOneNameIsRolledBackThroughAnother) {
  ::mkdir(Path("x").c_str(), 0700);
  ::mkdir(Path("y").c_str(), 0700);
  MakeArchive("x/a.zip", 6, 100);
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
      zip.DeleteFiles(Name("e", 3), 0x28BF, String());
      zip.AddFromString(u"lost.txt", u"never committed", 0x20, 40000);
      zip.EndUpdate();
    });
  });
  ASSERT_EQ(EndOf(child), -SIGKILL);
  ASSERT_TRUE(FileExists(ZAJournalFileNameOf(File("y/h.zip"))));
  ASSERT_NE(ReadRaw("x/a.zip"), before);
  // The other name finds the journal and puts the archive back; what is
  // added through it then stays, whichever name opens it next.
  EXPECT_EQ(Names("x/a.zip"), EntryNames(0, 6));
  EXPECT_EQ(ReadRaw("x/a.zip"), before);
  EXPECT_FALSE(FileExists(ZAJournalFileNameOf(File("y/h.zip"))));
  EXPECT_EQ(Through(File("x/a.zip"), [](TZipArchiver& zip) { zip.AddFromString(u"later.txt", u"kept", 0x20, 40000); }),
            -1);
  EXPECT_EQ(Names("y/h.zip"), EntryNames(0, 6, {"later.txt"}));
}

TEST_F(ZAJournal, AJournalGoesOnlyAsTheFileThatWasChecked) {
  if (!UsersAvailable()) GTEST_SKIP() << "needs root and the user nobody";
  // A member of the archive's group names, in the archive's attribute, a
  // complete journal of it in the member's own folder, and swaps that folder
  // for a link to a root-only one just as the journal is to go: root's read
  // or add puts the archive back, and the file of that name there stays.
  MakeArchive("a.zip", 6, 3000);
  Own("a.zip", kOwner, kNogroup, 0664);
  const std::string before = ReadRaw("a.zip");
  const Int64 restorePoint = OffsetOf("a.zip", 2);
  const std::string torn = before.substr(0, static_cast<size_t>(restorePoint)) + std::string(3000, 'Z');
  const std::string pointed = Path("member/notes.sqlite-journal");
  ASSERT_EQ(::mkdir(Path("root").c_str(), 0700), 0);
  WriteRaw("root/notes.sqlite-journal", "a live database's journal");
  struct Case {
    const char* what;
    std::string archive;
    std::function<void(TZipArchiver&)> act;
    Int32 error;  // what the name reaches after the swap is not this archive's journal
  } cases[] = {
      {"a read of an archive torn", torn, [](TZipArchiver&) {}, -1},
      {"a read of an archive put back already", before, [](TZipArchiver&) {}, -1},
      {"an add", torn, [](TZipArchiver& zip) { zip.AddFromString(u"n.txt", u"n", 0x20, 40000); }, 72},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (const char* folder : {"member", "member.old"}) std::filesystem::remove_all(Path(folder));
    ASSERT_EQ(::mkdir(Path("member").c_str(), 0755), 0);
    Own("member", kNobody, kNogroup, 0755);
    WriteRaw("a.zip", c.archive);
    WriteRaw("member/notes.sqlite-journal", JournalOf(before, restorePoint));
    Own("member/notes.sqlite-journal", kNobody, kNogroup, 0644);
    if (::setxattr(Path("a.zip").c_str(), ZAJournalPointerName, pointed.data(), pointed.size(), 0) != 0)
      GTEST_SKIP() << "the file system keeps no extended attributes";
    bool swapped = false;
    SetFileSeamHook([&](TFileSeamOp op, const std::string& path) {
      if (op == fsoDelete && path == pointed && !swapped)
        swapped = ::rename(Path("member").c_str(), Path("member.old").c_str()) == 0 &&
                  ::symlink(Path("root").c_str(), Path("member").c_str()) == 0;
      return 0;
    });
    EXPECT_EQ(Through(File("a.zip"), c.act), c.error);
    SetFileSeamHook({});
    EXPECT_TRUE(swapped);
    EXPECT_EQ(ReadRaw("a.zip"), before);
    EXPECT_EQ(ReadRaw("root/notes.sqlite-journal"), "a live database's journal");
  }
}

TEST_F(ZAJournal, HiddenCopiesThatKilledWritersLeftGoWhileALiveOneStays) {
  struct Case {
    const char* what;
    std::function<void(TZipArchiver&)> act;  // on a.zip, opened
    bool pointed = false;  // the archive's attribute names a journal in a folder of another's choosing
    const char* beside = "a.zip";  // the file the copies were left beside
  } cases[] = {
      {"a commit", [](TZipArchiver& zip) { zip.AddFromString(u"new.txt", u"new", 0x20, 40000); }},
      {"an open that makes the archive anew", [](TZipArchiver& zip) { zip.OpenArchive(fmCreate); }},
      {"a self-extracting copy made again",
       [this](TZipArchiver& zip) { zip.FSFXStub = File("stub.sh"), zip.MakeSFX(File("sfx.zip")); }, false, "sfx.zip"},
      {"the same, the attribute naming a journal elsewhere", [](TZipArchiver& zip) { zip.OpenArchive(fmCreate); },
       true},
  };
  WriteRaw("stub.sh", "#!/bin/sh\nexit 0\n");
  ::mkdir(Path("elsewhere").c_str(), 0777);
  const std::string elsewhere = "elsewhere/" + MarkedTemporarySiblingName("x.zip-journal");
  const std::string pointer = Path("elsewhere/x.zip-journal");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MakeArchive("a.zip", 3, 100);
    WriteRaw("elsewhere/x.zip-journal", "not a journal");
    WriteRaw(elsewhere, "a stale copy, but not beside this archive");
    if (c.pointed && ::setxattr(Path("a.zip").c_str(), ZAJournalPointerName, pointer.data(), pointer.size(), 0) != 0)
      GTEST_SKIP() << "the file system keeps no extended attributes";
    const std::string stale = MarkedTemporarySiblingName(c.beside), busy = MarkedTemporarySiblingName(c.beside),
                      journal = MarkedTemporarySiblingName("a.zip-journal");
    WriteRaw(stale, ReadRaw("a.zip"));
    WriteRaw(journal, "part of a journal");
    WriteRaw(busy, "being written");
    const int live = ::open(Path(busy).c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(live, LOCK_EX), 0);
    EXPECT_EQ(Through(File("a.zip"), c.act), -1);
    // A copy reads the archive only: its journal is not this operation's to sweep.
    const bool copy = std::string(c.beside) != "a.zip";
    const std::pair<std::string, bool> kept[] = {{stale, false}, {journal, copy}, {busy, true}, {elsewhere, true}};
    for (const auto& [name, stays] : kept) EXPECT_EQ(FileExists(File(name)), stays) << name;
    ::close(live);
    ::unlink(Path(busy).c_str());
  }
}

// Every writer of the library's hidden files (sets anew and over old ones
// among them), stopped at each file call that makes, names, flushes or
// removes a file while another process runs one of the sweeps of such files
// in its folder, ends as it would alone: its work whole, the user's file
// beside it untouched. A set killed at its second move, swept once more, is
// made whole by the next open. Each pair in processes of their own.
TEST_F(ZAJournal, NoSweepTakesWhatALiveWriterOrAKilledSetsNextOpenNeeds) {
  ::mkdir(Path("src").c_str(), 0777);
  MakeArchive("src/e.zip", 4, 3000);
  MakeArchive("src/other.zip", 2, 500, "o");
  WriteRaw("src/a.txt", "alpha");
  auto split = [this](Int32 seed) {
    TZipArchiver zip;
    SplitSetOf64K(zip, File("w/s.zip"));
    zip.OpenArchive(fmCreate);
    zip.BeginUpdate();
    for (Int32 i = 0; i < 30 + seed; ++i) zip.AddFromString(Name("s", i), Utf8ToString(Text(i + seed, 5000)), 0x20, 40000);
    zip.EndUpdate();
    return 0;
  };
  auto chunks = [this](Int32 seed) {
    WriteRaw("src/big.bin", Text(seed, 5000));
    TFileChunker c;
    c.SetSourcename(File("src/big.bin"));
    c.SetDirCreating(File("w"));
    c.SetChunkSize(1200);
    return c.MakeChunkFiles() == 5 ? 0 : 1;
  };
  // The entries of an archive when every one reads whole (its CRC checked); -1 when not.
  auto entries = [this](const char* archive) {
    Int32 n = -1;
    Through(File(archive), [&](TZipArchiver& zip) {
      String text;
      for (Int32 i = 0; i < zip.GetFileCount(); ++i) zip.ExtractToString(zip.DMHandle->CDir->FItems[size_t(i)].Name, text);
      n = zip.GetFileCount();
    });
    return n;
  };
  auto extract = [this](const char* from) {
    TZipArchiver zip;
    zip.FFileName = File(from);
    zip.OpenArchive();
    zip.FBaseDir = File("w");
    zip.FOptions.FOverwriteMode = omAlways;
    zip.ExtractFiles(u"*", 0x28BF, String());
    return 0;
  };
  struct Writer {
    const char* what;
    std::string anchor;            // the file its hidden files lie beside
    std::function<void()> before;  // in this process, before the run
    std::function<int()> run;      // in the child: 0 when it went
    std::function<bool()> whole;   // its work, afterwards
    bool set = false;              // a set, whose next open finishes a killed move-in
  } writers[] = {
      {"an extraction", "w/e001.txt", [] {}, [&] { return extract("src/e.zip"); },
       [this] { return ReadRaw("w/e003.txt") == Text(3, 3000); }},
      {"a split set", "w/s.zip", [] {}, [&] { return split(1); }, [&] { return entries("w/s.zip") == 31; }, true},
      {"a split set over an old one", "w/s.zip", [&] { split(0); }, [&] { return split(1); },
       [&] { return entries("w/s.zip") == 31; }, true},
      {"a chunk set over an old one", "w/chunk 1 of 5.tmp", [&] { chunks(6); }, [&] { return chunks(7); },
       [this] {
         std::filesystem::remove(Path("w/out/big.bin"));
         TFileChunker r;
         r.SetSourcename(File("w/chunk 1 of 5.tmp"));
         r.SetDirRestoring(File("w/out"));
         std::filesystem::create_directories(Path("w/out"));
         return r.RestoreAllChunks() && ReadRaw("w/out/big.bin") == Text(7, 5000);
       },
       true},
      {"an update with its journal", "w/u.zip", [this] { MakeArchive("w/u.zip", 6, 4000); },
       [this] {
         return Through(File("w/u.zip"), [](TZipArchiver& zip) {
           zip.BeginUpdate();
           zip.DeleteFiles(Name("e", 1), 0x28BF, String());
           zip.AddFromString(u"new.txt", u"new", 0x20, 40000);
           zip.EndUpdate();
         }) == -1 ? 0 : 1;
       },
       [&] { return entries("w/u.zip") == 6; }},
      {"a repair", "w/r2.zip", [this] { MakeArchive("w/r.zip", 3, 2000); },
       [this] {
         TZipArchiver zip;
         zip.FFileName = File("w/r.zip");
         zip.RepairArchive(File("w/r2.zip"));
         return 0;
       },
       [&] { return entries("w/r2.zip") == 3; }},
      {"a save", "w/notes.ini", [] {}, [this] { return ReplaceFileContent(File("w/notes.ini"), "[a]\n", 4) ? 0 : 1; },
       [this] { return ReadRaw("w/notes.ini") == "[a]\n"; }},
      {"a series zipped", "w/z.zip", [] {},
       [this] {
         TStringList files;
         files.Add(File("src/a.txt"));
         return ZipASeriesOfFilesTo(files, File("w/z.zip"), spNoPath, false) ? 0 : 1;
       },
       [&] { return entries("w/z.zip") == 1; }},
  };
  const std::function<void(const std::string&)> sweeps[] = {
      [&](const std::string&) { extract("src/other.zip"); },
      [](const std::string& anchor) {  // beside a file: updates, repairs, saves
        RemoveStaleTemporarySiblings(anchor);
        RemoveStaleTemporarySiblings(ZipJournalFileName(anchor));
      },
      [](const std::string& anchor) {  // a new set's start
        TZANewFileSet::Recover(Utf8ToString(anchor));
        TZANewFileSet::SweepStale(Utf8ToString(anchor));
      },
      [this](const std::string&) {  // an open of an archive in the folder
        std::filesystem::copy_file(Path("src/other.zip"), Path("w/o.zip"),
                                   std::filesystem::copy_options::overwrite_existing);
        Names("w/o.zip");
      },
  };
  for (const Writer& w : writers)
    for (size_t k = 0; k < std::size(sweeps) + (w.set ? 1 : 0); ++k) {
      SCOPED_TRACE(std::string(w.what) + ", sweep " + std::to_string(k));
      const bool kill = k == std::size(sweeps);  // killed at its second move, then an extraction
      auto sweep = [&] { return EndOf(InChild([&] { return sweeps[kill ? 0 : k](Path(w.anchor)), 0; })); };
      std::filesystem::remove_all(Path("w"));
      ::mkdir(Path("w").c_str(), 0777);
      WriteRaw("w/mine.txt", "the user's");
      w.before();
      Int32 stops = 0;
      const int status = RunPausedAt(
          [&](TFileSeamOp op, const std::string&) {
            return op == fsoRename || (!kill && (op == fsoCreate || op == fsoTempFile || op == fsoFlush ||
                                                 op == fsoSetSize || op == fsoDelete));
          },
          w.run, [&](int stop) {
            EXPECT_EQ(sweep(), 0);
            return ++stops, kill && stop == 1 ? 'k' : 'g';
          });
      EXPECT_EQ(status, kill ? -SIGKILL : 0);
      EXPECT_GT(stops, 1);
      if (kill) {
        EXPECT_EQ(sweep(), 0);
      }
      EXPECT_TRUE(w.whole());
      EXPECT_EQ(ReadRaw("w/mine.txt"), "the user's");
    }
}

// Makers of sets, each run in a process of its own: a split archive w/s.zip
// of twelve stored entries in volumes of 64 KiB, or chunks in w of
// srcN/big.bin (3,000,000 bytes), different by seed (0 the old set). 0 when
// it went, 71 when refused because another process makes the same set.
class ZASetMakers : public ZAJournal {
 protected:
  void SetUp() override {
    ZAJournal::SetUp();
    for (Int32 seed = 0; seed < 3; ++seed) {
      ::mkdir(Path("src" + std::to_string(seed)).c_str(), 0777);
      WriteRaw("src" + std::to_string(seed) + "/big.bin", Source(false, seed));
    }
  }
  static std::string Source(bool split, Int32 seed) {
    std::string all;
    for (Int32 i = 0; split && i < 12; ++i) all += Text(i + 100 * seed, 30000);
    return split ? all : Text(7 + seed, 3000000);
  }
  int Make(bool split, Int32 seed, Int32 wait, Int32 chunkSize = 100000) {
    if (!split) {
      TFileChunker c;
      c.SetSourcename(File("src" + std::to_string(seed) + "/big.bin"));
      c.SetDirCreating(File("w"));
      c.SetChunkSize(chunkSize);
      try {
        return c.MakeChunkFiles() > 0 ? 0 : 1;
      } catch (const EFCreateError&) {
        return 71;
      }
    }
    TZipArchiver zip;
    SplitSetOf64K(zip, File("w/s.zip"));
    zip.FLockWait = wait;
    const Int32 code = EngineErrorOf([&] {
      zip.OpenArchive(fmCreate);
      zip.BeginUpdate();
      for (Int32 i = 0; i < 12; ++i)
        zip.AddFromString(Name("s", i), Utf8ToString(Text(i + 100 * seed, 30000)), 0x20, 40000);
      zip.EndUpdate();
      zip.CloseArchive();
    });
    return code == -1 ? 0 : code;
  }
  // The seed of the set at the names, read whole (every entry, its CRC
  // checked; the 31 chunks restored) and equal to its source; -1 for none.
  Int32 SeedAtName(bool split) {
    std::string got;
    std::filesystem::remove_all(Path("out"));
    ::mkdir(Path("out").c_str(), 0777);
    try {
      TZipArchiver zip;
      TFileChunker r;
      zip.FFileName = File("w/s.zip");
      r.SetSourcename(File("w/chunk 1 of 31.tmp"));
      r.SetDirRestoring(File("out"));
      if (split) zip.OpenArchive(fmOpenRead);
      for (Int32 i = 0; split && i < zip.GetFileCount(); ++i) {
        String text;
        zip.ExtractToString(Name("s", i), text);
        got += StringToUtf8(text);
      }
      if (!split && r.RestoreAllChunks()) got = ReadRaw("out/big.bin");
    } catch (...) {
    }
    for (Int32 seed = 0; seed < 3; ++seed)
      if (got == Source(split, seed)) return seed;
    return -1;
  }
};

// Two processes making one set (a split archive over an old one, chunk sets
// of one count in one folder) never both answer OK over a set that is
// neither's: the set at the names is always one whole set, of a maker that
// answered OK (or the old one), and a second maker waits or refuses.
TEST_F(ZASetMakers, TwoMakersOfOneSetLeaveOneWholeSet) {
  struct TFlushes {
    bool was;
    ~TFlushes() { SetFileFlushesSkipped(was); }
  } flushes{SetFileFlushesSkipped(true)};
  for (const bool split : {true, false})
    for (const bool together : {false, true}) {  // else the second starts while the first moves in
      SCOPED_TRACE(std::string(split ? "split" : "chunks") + (together ? ", together" : ", while moving in"));
      std::filesystem::remove_all(Path("w"));
      ::mkdir(Path("w").c_str(), 0777);
      auto make = [&](Int32 seed, Int32 wait) { return Make(split, seed, wait); };
      ASSERT_EQ(make(0, 5000), 0);
      if (!together) {
        // The first stops after its first move, holding the set past the
        // second's wait.
        Int32 renames = 0;
        int second = -1000;
        EXPECT_EQ(RunPausedAt([&](TFileSeamOp op, const std::string&) { return op == fsoRename && renames++ == 1; },
                              [&] { return make(1, 20000); },
                              [&](int) { return second = EndOf(InChild([&] { return make(2, 300); })), 'g'; }),
                  0);
        EXPECT_EQ(second, 71);
        EXPECT_EQ(SeedAtName(split), 1);
        continue;
      }
      for (Int32 round = 0; round < 3; ++round) {
        int go[2];
        ASSERT_EQ(::pipe(go), 0);
        pid_t makers[2];
        for (Int32 m = 0; m < 2; ++m)
          makers[m] = InChild([&, m] {
            char c;
            return ::close(go[1]), ::read(go[0], &c, 1) == 0 ? make(1 + m, 30000) : 98;
          });
        ::close(go[0]);
        ::close(go[1]);
        const int ends[2] = {EndOf(makers[0]), EndOf(makers[1])};
        const Int32 seed = SeedAtName(split);
        ASSERT_TRUE(seed == 1 || seed == 2) << round;
        EXPECT_EQ(ends[seed - 1], 0);
        EXPECT_TRUE(ends[2 - seed] == 0 || ends[2 - seed] == 71) << ends[2 - seed];
      }
    }
}

// What a make killed before its list of moves left (waiting volumes or
// chunks, their lock, the lock of its names) goes with the next sweep of its
// folder: an extraction into it, an open of the archive, a set of another
// count. The old set stays whole.
TEST_F(ZASetMakers, AKilledMakesWaitingFilesGoWithTheNextSweepOfTheirFolder) {
  MakeArchive("e.zip", 3, 1000);
  auto extract = [this] {
    TZipArchiver zip;
    zip.FFileName = File("e.zip");
    zip.OpenArchive();
    zip.FBaseDir = File("w");
    zip.ExtractFiles(u"*", 0x28BF, String());
  };
  auto hidden = [this] {
    std::set<std::string> r;
    for (const auto& e : std::filesystem::directory_iterator(Path("w")))
      if (e.path().filename().string()[0] == '.') r.insert(e.path().filename().string());
    return r;
  };
  const std::pair<bool, std::function<void()>> rows[] = {
      {true, extract},
      {true, [this] { Names("w/s.zip"); }},
      {false, extract},
      {false, [this] { Make(false, 2, 0, 120000); }}};
  for (size_t k = 0; k < std::size(rows); ++k) {
    SCOPED_TRACE(k);
    // Plain names, not a structured binding: a lambda below takes them.
    const bool split = rows[k].first;
    const std::function<void()>& sweep = rows[k].second;
    std::filesystem::remove_all(Path("w"));
    ::mkdir(Path("w").c_str(), 0777);
    ASSERT_EQ(Make(split, 0, 5000), 0);
    Int32 made = 0;
    EXPECT_EQ(RunPausedAt([&](TFileSeamOp op, const std::string&) { return op == fsoTempFile && made++ == 4; },
                          [&] { return Make(split, 1, 5000); }, [](int) { return 'k'; }),
              -SIGKILL);
    const std::set<std::string> left = hidden();
    EXPECT_TRUE(std::any_of(left.begin(), left.end(), [](const std::string& n) { return n.ends_with("-0.tmp"); }));
    EXPECT_EQ(EndOf(InChild([&] { return sweep(), 0; })), 0);
    EXPECT_EQ(hidden(), std::set<std::string>{});
    EXPECT_EQ(SeedAtName(split), 0);
  }
}

// Readers of the makers' sets. Read answers 10 + the seed of the set it
// read (w/s.zip extracted into out, or the chunks restored there) when it
// answered OK with one set, 1 when OK over no one set, 2 when it failed
// leaving out empty, 3 when it failed leaving something there.
class ZASetReaders : public ZASetMakers {
 protected:
  int Read(bool split) {
    ZANewFileSetWait = 300;
    bool ok = false;
    try {
      TZipArchiver zip;
      TFileChunker r;
      zip.FFileName = File("w/s.zip"), zip.FLockWait = 300, zip.FBaseDir = File("out");
      zip.OnProcessFileFailure = [&](TObject*, const String&, TZAProcessOperation, Int32, Int32, const String&,
                                     TZAAction& a) { ok = false, a = fxaIgnore; };
      r.SetSourcename(File("w/chunk 1 of 31.tmp")), r.SetDirRestoring(File("out"));
      if (split) zip.OpenArchive(fmOpenRead), ok = true, zip.ExtractFiles(u"*", 0x28BF, String());
      if (!split) ok = r.RestoreAllChunks();
    } catch (...) {
      ok = false;
    }
    std::string got = split ? "" : ReadFileBytes(Path("out/big.bin"));
    for (Int32 i = 0; split && i < 12; ++i) got += ReadFileBytes(Path("out/" + StringToUtf8(Name("s", i))));
    for (Int32 seed = 0; ok && seed < 3; ++seed)
      if (got == Source(split, seed)) return 10 + seed;
    return ok ? 1 : std::filesystem::is_empty(Path("out")) ? 2 : 3;
  }
  void Race(bool split);
};

// A reader racing another process's move-in of a set under the same names
// never answers OK over two sets. Stopped at a member, it holds the set: the
// maker waits, refuses, and the reader has the old set. Coming during a
// move-in stopped past its wait (or between the parts of a chunk set), or
// after a killed one where it may not mend the set, it fails writing
// nothing; where it may, it mends the set and reads the new one.
void ZASetReaders::Race(bool split) {
  struct TFlushes {
    bool was;
    ~TFlushes() { SetFileFlushesSkipped(was); }
  } flushes{SetFileFlushesSkipped(true)};
  if (UsersAvailable()) {
    ASSERT_EQ(::chmod(fDir.c_str(), 0755), 0);
  }
  // The reader stops at the n-th opening of `at` while the maker runs; or
  // the maker stops after its first move ('p', then goes on; 'k', killed)
  // or between parts ('d') while the reader runs (`other`: a user who may
  // not write the folder).
  struct TRow {
    bool split;
    const char* at;
    int n;
    char maker;
    bool other;
    int read, made;
  };
  const TRow rows[] = {{true, ".Z01", 1, 0, false, 10, 71},
                       {true, ".Z03", 1, 0, false, 10, 71},
                       {true, "s.zip", 3, 0, false, 10, 71},
                       {false, "chunk 2 of 31.tmp", 1, 0, false, 10, 71},
                       {false, "chunk 16 of 31.tmp", 1, 0, false, 10, 71},
                       {false, "chunk 31 of 31.tmp", 1, 0, false, 10, 71},
                       {true, "", 0, 'p', false, 2, 0},
                       {false, "", 0, 'p', false, 2, 0},
                       {true, "", 0, 'p', true, 2, 0},
                       {false, "", 0, 'p', true, 2, 0},
                       {true, "", 0, 'k', true, 2, -SIGKILL},
                       {false, "", 0, 'k', true, 2, -SIGKILL},
                       {false, "", 0, 'k', false, 11, -SIGKILL},
                       {false, "", 0, 'd', false, 2, 0}};
  for (const TRow& row : rows) {
    if (row.split != split) continue;
    SCOPED_TRACE(std::string(row.at) + std::string(row.maker != 0, row.maker) + (row.other ? " other" : ""));
    std::filesystem::remove_all(Path("w")), std::filesystem::remove_all(Path("out"));
    ::mkdir(Path("w").c_str(), 0755), ::mkdir(Path("out").c_str(), 0777), ::chmod(Path("out").c_str(), 0777);
    ASSERT_EQ(Make(split, 0, 5000), 0);
    auto reader = [&] {
      if (!row.other) return EndOf(InChild([&] { return Read(split); }));
      if (UsersAvailable()) return AsUser(kNobody, kNogroup, {kNogroup}, [&] { return Read(split); });
      ::chmod(Path("w").c_str(), 0555);
      const int got = EndOf(InChild([&] { return Read(split); }));
      return ::chmod(Path("w").c_str(), 0755), got;
    };
    auto make = [&] {
      if (row.maker != 'd') return Make(split, 1, 300);
      TFileChunker c;
      c.SetSourcename(File("src1/big.bin")), c.SetDirCreating(File("w")), c.SetChunkSize(100000);
      c.SetWaitForNewDisk(true);
      c.OnNewDiskNeeded = [](Int32 disk) { FileSeamAsk(fsoStat, "disk " + std::to_string(disk)); };
      return c.MakeChunkFiles() == 31 ? 0 : 1;
    };
    int read = -1, made = -1, opened = 0, renames = 0;
    if (row.maker == 0)
      read =
          RunPausedAt([&](TFileSeamOp op,
                          const std::string& p) { return op == fsoOpen && p.ends_with(row.at) && ++opened == row.n; },
                      [&] { return Read(split); },
                      [&](int) { return made = EndOf(InChild([&] { return ZANewFileSetWait = 300, make(); })), 'g'; });
    else
      made = RunPausedAt(
          [&](TFileSeamOp op, const std::string& p) {
            return row.maker == 'd' ? op == fsoStat && p == "disk 16" : op == fsoRename && renames++ == 1;
          },
          [&] { return ZANewFileSetWait = 5000, make(); },
          [&](int) { return row.maker == 'k' ? 'k' : (read = reader(), 'g'); });
    if (row.maker == 'k') read = reader();
    EXPECT_EQ(read, row.read);
    EXPECT_EQ(made, row.made);
  }
}

TEST_F(ZASetReaders, ASplitSetIsReadWholeOrNotAtAll) { Race(true); }
TEST_F(ZASetReaders, AChunkSetIsRestoredWholeOrNotAtAll) { Race(false); }

}  // namespace
}  // namespace sk
