// Volumes of spanned and split archives: their names, the free-space rule for
// a new volume, labels, requests that are cancelled or lead nowhere, writing
// across volumes without passing a limit or cutting a record, and opening
// split sets made by another tool under either naming.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <map>
#include <set>

#include "ArchiverTestSupport.h"
#include "FileSeamTestSupport.h"
#include "TestSupport.h"
#include "ZipTestSupport.h"

namespace sk {
namespace {

class ZAArchiver_volumes : public ScratchFolderTest {
 protected:
  ZAArchiver_volumes() : ScratchFolderTest("sk_archiver_volumes") {}
  void SetUp() override {
    ScratchFolderTest::SetUp();
    StartArchiverUnits();
  }
};

// A stream that takes at most `room` bytes in all.
class TShortStream : public TMemoryStream {
 public:
  explicit TShortStream(Int64 room) : fRoom(room) {}
  Int64 Write(const void* buffer, Int64 count) override {
    const Int64 n = std::max<Int64>(0, std::min(count, fRoom - Size()));
    return n > 0 ? TMemoryStream::Write(buffer, n) : 0;
  }
  Int64 fRoom;
};

TEST_F(ZAArchiver_volumes, NamesOfVolumes) {
  struct TCase {
    TZASpanningMode mode;
    bool advanced;
    bool zipForm;
    const char16_t* archive;
    Int32 volume;
    const char16_t* name;
  };
  const TCase cases[] = {
      {smSplitting, false, true, u"d/arc.zip", 0, u"d/arc.Z01"},
      {smSplitting, false, true, u"d/arc.zip", 1, u"d/arc.Z02"},
      {smSplitting, false, true, u"d/arc.zip", 9, u"d/arc.Z10"},
      {smSplitting, false, true, u"d/arc.zip", -1, u"d/arc.zip"},
      {smSplitting, true, true, u"d/arc.zip", 0, u"d/arc_001.zip"},
      {smSplitting, true, true, u"d/arc.zip", 1, u"d/arc_002.zip"},
      {smSplitting, true, true, u"d/arc.zip", -1, u"d/arc.zip"},
      {smSplitting, false, true, u"d/arc.exe", 0, u"d/arc.exe"},
      {smSplitting, false, true, u"d/arc.exe", 1, u"d/arc.Z02"},
      {smSplitting, false, true, u"d/arc.exe", -1, u"d/arc.ZIP"},
      {smSplitting, false, false, u"d/arc.zip", 0, u"d/arc.F01"},
      {smSplitting, false, false, u"d/arc.exe", -1, u"d/arc.ZA"},
      {smSpanning, false, true, u"d/arc.zip", 0, u"d/arc.zip"},
      {smSpanning, false, true, u"d/arc.zip", 4, u"d/arc.zip"},
      {smSpanning, true, true, u"d/arc.zip", 0, u"d/arc_001.zip"},
      {smSpanning, true, true, u"d/arc.zip", -1, u"d/arc.zip"},
      {smSpanning, false, true, u"d/arc.exe", 2, u"d/arc.exe"},
      {smNone, true, true, u"d/arc.zip", 3, u"d/arc.zip"},
  };
  for (const TCase& c : cases) {
    std::unique_ptr<TZABaseArchiver> arc =
        c.zipForm ? std::make_unique<TZipArchiver>() : std::make_unique<TZABaseArchiver>();
    arc->SetSpanningMode(c.mode);
    arc->FSpanningOptions.FAdvancedNaming = c.advanced;
    EXPECT_EQ(arc->MakeDefaultVolumeName(c.archive, c.volume, false), c.name)
        << StringToUtf8(c.archive) << " " << c.volume << " mode " << int(c.mode) << " adv " << c.advanced;
  }
  // A stub file makes a spanned volume self-extracting.
  TZipArchiver sfx;
  sfx.SetSpanningMode(smSpanning);
  sfx.FSFXStub = u"stub.bin";
  EXPECT_EQ(sfx.MakeDefaultVolumeName(u"d/arc.zip", 0, false), u"d/arc.exe");
}

TEST_F(ZAArchiver_volumes, ExistingFilesArePreferredWhenAsked) {
  TZipArchiver zip;
  zip.SetSpanningMode(smSpanning);
  zip.FSpanningOptions.FAdvancedNaming = true;
  WriteRaw("arc.zip", "x");
  EXPECT_EQ(zip.MakeDefaultVolumeName(File("arc.zip"), 0, false), File("arc_001.zip"));
  EXPECT_EQ(zip.MakeDefaultVolumeName(File("arc.zip"), 0, true), File("arc.zip"));

  // Split sets made on Linux name their volumes in lower case.
  TZipArchiver split;
  split.SetSpanningMode(smSplitting);
  WriteRaw("arc.z01", "x");
  EXPECT_EQ(split.MakeDefaultVolumeName(File("arc.zip"), 0, false), File("arc.z01"));
  EXPECT_EQ(split.MakeDefaultVolumeName(File("arc.zip"), 1, false), File("arc.Z02")) << "missing either way";
  split.FileOpenMode = fmCreate;
  EXPECT_EQ(split.MakeDefaultVolumeName(File("arc.zip"), 0, false), File("arc.Z01")) << "new sets are named as ever";
}

TEST_F(ZAArchiver_volumes, LabelsOfSpannedDisks) {
  EXPECT_EQ(ZASpannedVolumeLabel(0), u"pkback# 001");
  EXPECT_EQ(ZASpannedVolumeLabel(2), u"pkback# 003");
  ScopedDisks disks(1 << 30);
  TZipArchiver zip;
  zip.FFileName = File("span.zip");
  zip.SetSpanningMode(smSpanning);
  zip.OnRequestBlankVolume = [](TObject*, Int32, String&, bool& cancel) { cancel = false; };
  zip.OpenArchive(fmCreate);
  TZAVolumeNumberInfo third;
  third.SetVolumeNumber(2);
  zip.OpenVolume(third);
  EXPECT_EQ(disks.labels, (std::vector<String>{u"pkback# 001", u"pkback# 003"}));
  EXPECT_EQ(zip.FVolumeNumberInfo.FVolumeNumber, 2);
}

TEST_F(ZAArchiver_volumes, ANewVolumeNeedsMoreThan64KiBFree) {
  for (Int64 free : {Int64(65536), Int64(65537)}) {
    ScopedDisks disks(free);
    TZipArchiver zip;
    zip.FFileName = File("split.zip");
    zip.SetSpanningMode(smSplitting);
    Int32 fullAsks = 0;
    zip.OnDiskFull = [&](TObject*, Int32, const String&, bool& cancel) {
      ++fullAsks;
      cancel = true;
    };
    const Int32 error = EngineErrorOf([&] { zip.OpenArchive(fmCreate); });
    if (free == 65536) {
      EXPECT_EQ(error, 45);
      EXPECT_EQ(fullAsks, 1);
      EXPECT_FALSE(zip.GetActive());
    } else {
      EXPECT_EQ(error, -1);
      EXPECT_EQ(fullAsks, 0);
      EXPECT_EQ(zip.VolumeFileName, File("split.Z01"));
    }
  }
  // A spanned disk must also hold the volume's size; a split file need not.
  for (TZASpanningMode mode : {smSpanning, smSplitting}) {
    ScopedDisks disks(1000000);
    TZipArchiver zip;
    zip.FFileName = File("size.zip");
    zip.SetSpanningMode(mode);
    zip.FSpanningOptions.FVolumeSize = vs1_44MB;
    zip.OnRequestBlankVolume = [](TObject*, Int32, String&, bool& cancel) { cancel = false; };
    zip.OnDiskFull = [](TObject*, Int32, const String&, bool& cancel) { cancel = true; };
    EXPECT_EQ(EngineErrorOf([&] { zip.OpenArchive(fmCreate); }), mode == smSpanning ? 45 : -1);
  }
}

TEST_F(ZAArchiver_volumes, RequestsThatAreCancelledOrLeadNowhereFailWith45) {
  ScopedDisks disks(1 << 30);
  {
    TZipArchiver zip;
    zip.FFileName = File("c.zip");
    zip.SetSpanningMode(smSplitting);
    zip.OnRequestBlankVolume = [](TObject*, Int32, String&, bool& cancel) { cancel = true; };
    EXPECT_EQ(EngineErrorOf([&] { zip.OpenArchive(fmCreate); }), 45);
  }
  // Reading: a handler that cancels, and one that keeps naming nothing.
  WriteRaw("r.zip", WriteStoredArchive({{u"a", "a"}}));
  for (bool cancels : {true, false}) {
    TZipArchiver zip;
    zip.FFileName = File("r.zip");
    zip.SetActive(true);
    zip.FSpanningMode = smSplitting;  // as an open split archive has it
    Int32 asks = 0;
    zip.OnRequestMiddleVolume = [&](TObject*, Int32, String& name, bool& cancel) {
      ++asks;
      name = File("nowhere.z07");
      cancel = cancels;
    };
    TZAVolumeNumberInfo middle;
    middle.FLastVolumeNumber = 5;
    middle.SetVolumeNumber(3);
    EXPECT_EQ(EngineErrorOf([&] { zip.OpenVolume(middle); }), 45);
    EXPECT_EQ(asks, cancels ? 1 : ZAMaxVolumeRequests);
    zip.FSpanningMode = smNone;
  }
}

// What is planted at the first volume's name: a link is refused and so is
// another user's file, and neither changes.
TEST_F(ZAArchiver_volumes, NewVolumesNeverFollowALinkNorTakeAnotherUsersFile) {
  ScopedDisks disks(1 << 30);
  WriteRaw("victim", "keep");
  enum { kLink, kOwn, kOthers };
  for (int planted : {kLink, kOwn, kOthers}) {
    SCOPED_TRACE(planted);
    std::filesystem::remove(Path("v.Z01"));
    std::filesystem::remove(Path("v.zip"));
    if (planted == kLink) std::filesystem::create_symlink(Path("victim"), Path("v.Z01"));
    if (planted != kLink) WriteRaw("v.Z01", "keep");
    if (planted == kOthers) {
      // Only root may give a file to another user.
      if (::geteuid() != 0) GTEST_SKIP() << "the row of another user's file needs root";
      ASSERT_EQ(::chown(Path("v.Z01").c_str(), 65534, 65534), 0);
    }
    TZipArchiver zip;
    zip.FFileName = File("v.zip");
    zip.SetSpanningMode(smSplitting);
    if (planted != kOwn) {
      EXPECT_ANY_THROW(zip.OpenArchive(fmCreate));
      EXPECT_EQ(ReadRaw(planted == kLink ? "victim" : "v.Z01"), "keep");
      continue;
    }
    // A file of the process's own stays as it was until the new set is
    // whole; the last volume then moves over a link planted at the archive's
    // name as it takes that name.
    zip.OpenArchive(fmCreate);
    EXPECT_EQ(ReadRaw("v.Z01"), "keep");
    const TFileSeamHook previous = SetFileSeamHook([this](TFileSeamOp op, const std::string&) {
      if (op == fsoRename) ::symlink(Path("victim").c_str(), Path("v.zip").c_str());
      return 0;
    });
    zip.CloseArchive();
    SetFileSeamHook(previous);
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(Path("v.zip"))));
    EXPECT_EQ(ReadRaw("victim"), "keep");
  }
}

TEST_F(ZAArchiver_volumes, AShortWriteIs46) {
  TZipArchiver zip;
  TShortStream s(10);
  TStream* stream = &s;
  TZAVolumeNumberInfo v;
  const char data[20] = {};
  EXPECT_EQ(EngineErrorOf([&] { zip.WriteBufferToStream(data, 20, stream, v, -1, nullptr); }), 46);
  EXPECT_EQ(s.Size(), 10);
  EXPECT_EQ(zip.WriteToStream(data, 5, stream, v, -1, nullptr), 0);
}

TEST_F(ZAArchiver_volumes, DiskFullRetriesFromTheSamePlace) {
  TZipArchiver zip;
  TShortStream s(4);
  s.WriteBuffer("ab", 2);
  Int32 asks = 0;
  zip.OnDiskFull = [&](TObject*, Int32 number, const String&, bool& cancel) {
    EXPECT_EQ(number, 0);
    ++asks;
    s.fRoom = 100;  // the user made room
    cancel = false;
  };
  EXPECT_TRUE(zip.WriteToStreamWithOnDiskFull(&s, "cdefgh", 6));
  EXPECT_EQ(asks, 1);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(s.Bytes()), static_cast<size_t>(s.Size())), "abcdefgh");

  TShortStream full(0);
  zip.OnDiskFull = [](TObject*, Int32, const String&, bool& cancel) { cancel = true; };
  EXPECT_FALSE(zip.WriteToStreamWithOnDiskFull(&full, "x", 1));
  EXPECT_TRUE(zip.FProgressCancel);

  // A handler that retries for ever is not obeyed for ever.
  zip.FProgressCancel = false;
  asks = 0;
  zip.OnDiskFull = [&](TObject*, Int32, const String&, bool& cancel) {
    ++asks;
    cancel = false;
  };
  EXPECT_FALSE(zip.WriteToStreamWithOnDiskFull(&full, "x", 1));
  EXPECT_FALSE(zip.FProgressCancel);
  EXPECT_EQ(asks, ZAMaxVolumeRequests - 1);

  TZipArchiver bare;
  EXPECT_EQ(EngineErrorOf([&] { bare.WriteToStreamWithOnDiskFull(&full, "x", 1); }), 65);
}

TEST_F(ZAArchiver_volumes, CopyingAStreamReportsProgressAndStopsOnCancel) {
  TZipArchiver zip;
  TBytesStream source(TBytes(2500000, 7));
  TMemoryStream target;
  TStream* stream = &target;
  TZAVolumeNumberInfo v;
  std::vector<std::pair<Double, TZAProgressPhase>> seen;
  bool cancelAt = false;
  zip.OnCopyTempFileProgress = [&](TObject*, Double p, TZAProgressPhase phase, bool& cancel) {
    seen.emplace_back(p, phase);
    cancel = cancelAt && phase == ppProcess;
  };
  bool cancel = false;
  EXPECT_EQ(zip.WriteToStream(&source, stream, v, cancel, -1, -1, nullptr, true), 2500000);
  ASSERT_EQ(seen.size(), 5u);
  EXPECT_EQ(seen.front().second, ppStart);
  EXPECT_DOUBLE_EQ(seen[1].first, 40.0);
  EXPECT_DOUBLE_EQ(seen[3].first, 100.0);
  EXPECT_EQ(seen.back().second, ppEnd);
  EXPECT_EQ(target.Size(), 2500000);

  source.Seek(0, soBeginning);
  target.Clear();
  cancelAt = true;
  EXPECT_EQ(zip.WriteToStream(&source, stream, v, cancel, 1500000, -1, nullptr, true), 1000000);
  EXPECT_TRUE(cancel);
  EXPECT_EQ(target.Size(), 1000000);
}

TEST_F(ZAArchiver_volumes, DiskZeroOpensAsOneVolume) {
  WriteRaw("one.zip", WriteStoredArchive({{u"a.txt", "aaa"}, {u"b.txt", "b"}}));
  TZipArchiver zip;
  zip.SetSpanningMode(smSplitting);  // whatever it was, the archive decides
  zip.FFileName = File("one.zip");
  zip.SetActive(true);
  EXPECT_EQ(zip.SpanningMode(), smNone);
  EXPECT_EQ(zip.GetFileCount(), 2);
}

TEST_F(ZAArchiver_volumes, DetectingTheModeFromTheEndRecord) {
  TZipArchiver zip;
  zip.FFileName = File("x.zip");
  zip.DetectSpanning(false);
  EXPECT_EQ(zip.SpanningMode(), smNone) << "no end record on a fixed disk";

  // An end record naming disk 2 with none of its volumes present.
  std::string bytes = WriteStoredArchive({{u"a", "a"}});
  bytes[bytes.size() - 22 + 4] = 2;
  bytes[bytes.size() - 22 + 6] = 2;
  for (const char* name : {"lost.zip", "lost.exe"}) {
    WriteRaw(name, bytes);
    TZipArchiver arc;
    arc.FFileName = File(name);
    TFileStream s(arc.FFileName, fmOpenRead);
    arc.DMHandle = std::make_unique<TZADirManager>(&s, false, &arc);
    ASSERT_TRUE(arc.DMHandle->HasCentralDirEnd());
    arc.DetectSpanning(true);
    EXPECT_EQ(arc.SpanningMode(), std::string(name) == "lost.zip" ? smSpanning : smNone) << name;
    EXPECT_FALSE(arc.FSpanningOptions.FAdvancedNaming);
    arc.DMHandle.reset();
  }
}

// Random bytes, so that stored data cannot shrink.
std::string RandomBytes(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(rng());
  return s;
}

// Reads the entry of the open archive through the codec, volume by volume.
std::string ExtractEntry(TZipArchiver& zip, Int32 index) {
  TDirItem& item = zip.DMHandle->CDir->FItems[static_cast<size_t>(index)];
  TZAVolumeNumberInfo v;
  v.FLastVolumeNumber = zip.DMHandle->CentralDirEnd.diskNumber;
  v.SetVolumeNumber(item.CentralDir.diskNumberStart);
  zip.OpenVolume(v);
  zip.FCompressedStream->Seek(item.CentralDir.relOffsetLH, soBeginning);
  TMemoryStream out;
  if (!zip.InternalDecompressFile(zip.FCompressedStream, &out, item, 0, 0)) return "<failed>";
  return std::string(reinterpret_cast<const char*>(out.Bytes()), static_cast<size_t>(out.Size()));
}

TEST_F(ZAArchiver_volumes, SplitSetsOfAnotherToolOpenUnderEitherNaming) {
  SK_NEED_PROGRAM("/usr/bin/zip");
  const std::string data = RandomBytes(200000, 3);
  WriteRaw("data.bin", data);
  ASSERT_EQ(RunCommand("cd " + ShellQuote(fDir) + " && /usr/bin/zip -q -0 -s 64k set.zip data.bin"), 0);
  ASSERT_TRUE(std::filesystem::exists(Path("set.z01")));
  {
    TZipArchiver zip;
    zip.FFileName = File("set.zip");
    zip.SetActive(true);
    EXPECT_EQ(zip.SpanningMode(), smSplitting);
    EXPECT_FALSE(zip.FSpanningOptions.FAdvancedNaming);
    ASSERT_EQ(zip.GetFileCount(), 1);
    EXPECT_EQ(ExtractEntry(zip, 0), data) << "the entry runs across volumes";
  }
  // The same set under the other naming: set_001.zip, set_002.zip, ...
  for (int i = 1; i <= 9; ++i) {
    const std::string from = Path("set.z0" + std::to_string(i));
    if (std::filesystem::exists(from)) std::filesystem::rename(from, Path("set_00" + std::to_string(i) + ".zip"));
  }
  TZipArchiver zip;
  zip.FFileName = File("set.zip");
  zip.SetActive(true);
  EXPECT_EQ(zip.SpanningMode(), smSplitting);
  EXPECT_TRUE(zip.FSpanningOptions.FAdvancedNaming) << "the naming was flipped";
  EXPECT_EQ(ExtractEntry(zip, 0), data);
}

TEST_F(ZAArchiver_volumes, NoVolumePassesItsLimitAndNoRecordIsCut) {
  ScopedDisks disks(Int64(1) << 40);
  constexpr Int32 kEntries = 3000;
  auto nameOf = [](Int32 i) { return Utf8ToString("folder/entry-" + std::to_string(100000 + i) + "-of-the-set.txt"); };
  {
    TZipArchiver zip;
    zip.FFileName = File("big.zip");
    zip.SetSpanningMode(smSplitting);
    zip.FSpanningOptions.FVolumeSize = vsCustom;
    zip.FSpanningOptions.SetCustomVolumeSize(65536);
    zip.OpenArchive(fmCreate);
    TZADirArray& dir = *zip.DMHandle->CDir;
    dir.SetCount(kEntries);
    for (Int32 i = 0; i < kEntries; ++i) {
      TDirItem item;
      item.CentralDir.versionMadeBy = item.CentralDir.extractVersion = 20;
      item.Name = nameOf(i);
      item.Comment = std::string(static_cast<size_t>(i % 37), 'c');
      dir.SetItem(i, item);
    }
    zip.DMHandle->SaveDir(true);
  }
  // Each volume's drive is asked once for a new volume and once for writing.
  EXPECT_LE(disks.asked.size(), 12u);
  std::vector<std::string> volumes;
  for (int i = 1; std::filesystem::exists(Path("big.Z" + std::string(i < 10 ? "0" : "") + std::to_string(i))); ++i)
    volumes.push_back("big.Z" + std::string(i < 10 ? "0" : "") + std::to_string(i));
  volumes.push_back("big.zip");
  ASSERT_GE(volumes.size(), 4u);
  for (const std::string& v : volumes) {
    const std::string bytes = ReadRaw(v);
    EXPECT_LE(bytes.size(), 65536u) << v;
    EXPECT_EQ(bytes.substr(0, 4), std::string("PK\x01\x02", 4)) << v << " begins with a whole record";
  }
  TZipArchiver zip;
  zip.FFileName = File("big.zip");
  zip.FOpenCorruptedArchives = false;
  zip.SetActive(true);
  EXPECT_EQ(zip.SpanningMode(), smSplitting);
  ASSERT_EQ(zip.DMHandle->CDir->Count(), kEntries);
  for (Int32 i = 0; i < kEntries; i += 499)
    EXPECT_EQ(zip.DMHandle->CDir->FItems[static_cast<size_t>(i)].Name, nameOf(i));
  EXPECT_EQ(zip.DMHandle->CDir->FItems[kEntries - 1].Comment, std::string((kEntries - 1) % 37, 'c'));
}

// A split archive of 64 KiB volumes at file, made anew (scratch files in its
// folder) with `entries` stored entries of round r's text; the engine error,
// -1 when none, 0 for another failure.
std::string SetText(Int32 r, Int32 i) {
  std::string s(5000, 'a');
  for (size_t k = 0; k < s.size(); ++k) s[k] = static_cast<char>('a' + (k * 7 + k / 11 + i * 3 + r * 5) % 26);
  return s;
}
String SetEntry(Int32 i) { return Utf8ToString("e" + std::to_string(1000 + i) + ".txt"); }
Int32 MakeSplitSet(const String& file, Int32 r, Int32 entries) {
  TZipArchiver zip;
  zip.FFileName = file;
  zip.FTempDir = ExtractFilePath(file);
  zip.SetSpanningMode(smSplitting);
  zip.FSpanningOptions.FVolumeSize = vsCustom;
  zip.FSpanningOptions.SetCustomVolumeSize(65536);
  zip.SetCompressionMode(0);
  try {
    return EngineErrorOf([&] {
      zip.OpenArchive(fmCreate);
      zip.BeginUpdate();
      for (Int32 i = 0; i < entries; ++i) zip.AddFromString(SetEntry(i), Utf8ToString(SetText(r, i)), 0x20, 40000);
      zip.EndUpdate();
      zip.CloseArchive();
    });
  } catch (const Exception&) {
    return 0;
  }
}

// The round (of the rounds with their entry counts) whose set reads whole at
// file, every entry's bytes; -1 when none does.
Int32 RoundRead(const String& file, const std::vector<std::pair<Int32, Int32>>& rounds) {
  try {
    TZipArchiver zip;
    zip.FFileName = file;
    zip.OpenArchive();
    for (const auto& [r, entries] : rounds) {
      bool whole = zip.DMHandle->CDir->Count() == entries;
      String text;
      for (Int32 i = 0; whole && i < entries; ++i)
        whole = (zip.ExtractToString(SetEntry(i), text), StringToUtf8(text) == SetText(r, i));
      if (whole) return r;
    }
  } catch (const Exception&) {
  }
  return -1;
}

std::set<std::string> FolderNames(const std::string& dir) {
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir)) names.insert(e.path().filename().string());
  return names;
}

// A file of the user's at the name the list of moves once had, and another
// user's file at the hidden name it has now, are never read as a list nor
// removed, by a read-only open or by a new split set, and never stop the set.
TEST_F(ZAArchiver_volumes, NoOpenTakesAnotherFileForAListOfMoves) {
  const std::string notes = "my notes about the volumes of v.zip: 44 byte";
  const std::string hidden =
      std::filesystem::path(StringToUtf8(ZAVolumeListName(File("v.zip")))).filename().string();
  ASSERT_EQ(MakeSplitSet(File("v.zip"), 1, 20), -1);
  for (const bool others : {false, true}) {
    SCOPED_TRACE(others);
    std::vector<std::string> planted = {"v.zip-volumes"};
    if (others) {
      if (::geteuid() != 0) GTEST_SKIP() << "needs root";
      planted.push_back(hidden);
    }
    for (const std::string& name : planted) WriteRaw(name, notes);
    if (others) {
      ASSERT_EQ(::chown(Path(hidden).c_str(), 65534, 65534), 0);
    }
    EXPECT_EQ(RoundRead(File("v.zip"), {{1, 20}, {2, 20}}), others ? 2 : 1);
    EXPECT_EQ(MakeSplitSet(File("v.zip"), others ? 1 : 2, 20), -1);
    EXPECT_EQ(RoundRead(File("v.zip"), {{1, 20}, {2, 20}}), others ? 1 : 2);
    for (const std::string& name : planted) EXPECT_EQ(ReadRaw(name), notes);
  }
}

// On a small file system without a disk-full handler, a set that does not
// fit is a failure, never OK, and leaves the folder as it was: no volume, no
// temporary, an old set whole.
TEST_F(ZAArchiver_volumes, ASplitArchiveThatDoesNotFitFailsAndLeavesTheOldSetWhole) {
  const struct {
    Int32 oldEntries;  // a set already at the name (0: a new name)
    Int64 capacity;
  } cases[] = {{0, 400000}, {40, 400000}, {40, 4000000}};
  constexpr Int32 kNew = 90;
  const String archive = File("disk/b.zip");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.oldEntries * 10000000 + c.capacity);
    std::filesystem::remove_all(Path("disk"));
    ::mkdir(Path("disk").c_str(), 0700);
    if (c.oldEntries > 0) {
      ASSERT_EQ(MakeSplitSet(archive, 1, c.oldEntries), -1);
    }
    const std::set<std::string> before = FolderNames(Path("disk"));
    Int32 error = 0;
    {
      ScopedSmallDisk disk(Path("disk"), c.capacity);
      const TZAFreeDriveSpaceHook previous = SetZAFreeDriveSpaceHook([&](const String&) { return disk.Free(); });
      error = MakeSplitSet(archive, 2, kNew);
      SetZAFreeDriveSpaceHook(previous);
    }
    const bool fits = c.capacity > 1000000;
    EXPECT_TRUE(fits ? error == -1 : error == 65 || error == 46) << error;
    if (!fits) {
      EXPECT_EQ(FolderNames(Path("disk")), before);
    }
    for (const std::string& name : FolderNames(Path("disk"))) EXPECT_EQ(name[0], 'b') << name;
    if (fits || c.oldEntries > 0) {
      EXPECT_EQ(RoundRead(archive, {{1, c.oldEntries}, {2, kNew}}), fits ? 2 : 1);
    }
  }
}

// A set made anew over an old one, killed at any of its changing file calls
// (every one of the last, where the volumes take their names): the old set
// or the new one reads whole after, and the next set made there leaves no
// temporary the kills left.
TEST_F(ZAArchiver_volumes, ASplitSetRemadeAndKilledAnywhereLeavesTheOldSetOrTheNew) {
  constexpr Int32 kOld = 40, kNew = 30;
  const String archive = File("b.zip");
  auto changing = [](TFileSeamOp op) { return op != fsoOpen && op != fsoRead && op != fsoSeek && op != fsoStat; };
  ASSERT_EQ(MakeSplitSet(archive, 1, kOld), -1);
  std::map<std::string, std::string> oldSet;
  for (const std::string& name : FolderNames(fDir)) oldSet[name] = ReadRaw(name);
  Int64 total = 0;
  {
    ScopedFileSeam count;
    ASSERT_EQ(MakeSplitSet(archive, 2, kNew), -1);
    total = std::count_if(count.ops.begin(), count.ops.end(), changing);
  }
  ASSERT_GT(total, 40);
  std::set<Int64> points;
  for (Int64 k = 1; k <= 20; ++k) points.insert(total * k / 21);
  for (Int64 n = total - 11; n <= total; ++n) points.insert(n);
  std::map<Int32, Int32> seen;
  Int32 restored = 0;
  for (const Int64 at : points) {
    for (const std::string& name : FolderNames(fDir)) std::filesystem::remove(Path(name));
    for (const auto& [name, bytes] : oldSet) WriteRaw(name, bytes);
    const pid_t child = InChild([&] {
      Int64 calls = 0;
      SetFileSeamHook([&](TFileSeamOp op, const std::string&) {
        if (changing(op) && ++calls == at) ::kill(::getpid(), SIGKILL);
        return 0;
      });
      return MakeSplitSet(archive, 2, kNew);
    });
    ASSERT_EQ(EndOf(child), -SIGKILL) << at;
    // Killed while moving in, and every other time the old set then put back
    // from a copy: the next open leaves it as it was put back, and takes away
    // what the killed run left.
    if (std::filesystem::exists(StringToUtf8(ZAVolumeListName(archive))) && ++restored % 2 == 0) {
      for (const auto& [name, bytes] : oldSet) WriteRaw(name, bytes);
      EXPECT_EQ(RoundRead(archive, {{1, kOld}, {2, kNew}}), 1) << at;
      for (const std::string& name : FolderNames(fDir)) EXPECT_EQ(name[0], 'b') << name;
      continue;
    }
    ++seen[RoundRead(archive, {{1, kOld}, {2, kNew}})];
  }
  EXPECT_GE(restored, 4);
  EXPECT_EQ(seen.count(-1), 0u);
  EXPECT_EQ(seen.size(), 2u) << "the kills fell before and after the set was whole";
  ASSERT_EQ(MakeSplitSet(archive, 3, kOld), -1);
  for (const std::string& name : FolderNames(fDir)) EXPECT_EQ(name[0], 'b') << name;
  EXPECT_EQ(RoundRead(archive, {{3, kOld}}), 3);
}

}  // namespace
}  // namespace sk
