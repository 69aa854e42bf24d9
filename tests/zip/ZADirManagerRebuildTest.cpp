// The rebuild from local headers, the forward searches and the stub work.
#include <gtest/gtest.h>

#include "ZipTestSupport.h"

namespace sk {
namespace {

const std::vector<TStoredEntry> kEntries = {
    {u"a.txt", "hello world", 0x20, ""},
    {u"empty.txt", "", 0x20, ""},
    {u"sub/", "", 0x10, ""},
    {u"sub/ünï.txt", "text", 0x20, ""},
};

size_t DirectoryOffset(const std::string& archive) {
  TZAZipCentralDirEnd end;
  end.ReadFrom(reinterpret_cast<const Byte*>(archive.data() + archive.size() - 22));
  return end.offsetStartDir;
}

void ExpectEntries(TLoadedArchive& a, const std::vector<TStoredEntry>& entries) {
  ASSERT_EQ(a.Count(), static_cast<Int32>(entries.size()));
  for (Int32 i = 0; i < a.Count(); ++i) {
    const TStoredEntry& e = entries[static_cast<size_t>(i)];
    EXPECT_EQ(a.Item(i).Name, e.name);
    EXPECT_EQ(a.Item(i).CentralDir.unCompSize, e.data.size());
    EXPECT_EQ(a.Item(i).CentralDir.compSize, e.data.size());
    EXPECT_EQ(a.Item(i).CentralDir.crc32, Crc32Of(e.data));
    EXPECT_EQ(a.Item(i).CentralDir.externalAttr, e.externalAttr) << StringToUtf8(e.name);
  }
}

TEST(ZADirManagerRebuild, EndRecordRemoved) {
  const std::string archive = WriteStoredArchive(kEntries);
  TLoadedArchive a(archive.substr(0, archive.size() - 22));
  a.Load();
  ExpectEntries(a, kEntries);
  EXPECT_EQ(a.Dir().CentralDirOffset, static_cast<Int64>(archive.size() - 22));
  // The name read with bit 11 is UTF-8, and an empty file stays a file.
  EXPECT_EQ(a.Item(3).CentralDir.genPurposeFlag & ZAFlagUTF8Name, ZAFlagUTF8Name);
}

TEST(ZADirManagerRebuild, DirectoryCutAtEveryLength) {
  const std::string archive = WriteStoredArchive(kEntries);
  const size_t dir = DirectoryOffset(archive);
  for (size_t cut = dir; cut < archive.size(); ++cut) {
    TLoadedArchive a(archive.substr(0, cut));
    a.Load();
    ExpectEntries(a, kEntries);
  }
}

TEST(ZADirManagerRebuild, NothingToRebuildFrom) {
  for (const std::string& bytes : {std::string(), std::string("not an archive at all"), std::string(100000, 'x'),
                                   std::string("PK\x03\x04", 4) + std::string(20, '\0')}) {
    const TLoadOutcome r = LoadBytes(bytes, false);
    EXPECT_EQ(r.engineError, 35) << bytes.size();
  }
}

TEST(ZADirManagerRebuild, ForcedAndRefusedForVolumes) {
  const std::string archive = WriteStoredArchive(kEntries);
  {
    ForceBuildCentralDir = true;
    TLoadedArchive a(archive);
    a.Load();
    ForceBuildCentralDir = false;
    ExpectEntries(a, kEntries);
    EXPECT_EQ(a.Dir().CentralDirOffset, static_cast<Int64>(archive.size()));
  }
  TLoadedArchive b(archive.substr(0, archive.size() - 22));
  b.Link().FSpanningMode = smSplitting;
  try {
    b.Load();
    ADD_FAILURE() << "no error";
  } catch (const EZAException& e) {
    EXPECT_EQ(e.NativeError, 44);
  }
}

TEST(ZADirManagerRebuild, StoredArchiveInsideIsNotListed) {
  const std::string inner = WriteStoredArchive({{u"inner1.txt", "one"}, {u"inner2.txt", "two"}});
  // The last entry is long enough that the inner archive's end record lies
  // outside the end-record search, so the directory is rebuilt.
  const std::vector<TStoredEntry> outer = {
      {u"first.txt", "1"}, {u"inner.zip", inner}, {u"last.txt", std::string(70000, '3')}};
  const std::string archive = WriteStoredArchive(outer);
  TLoadedArchive a(archive.substr(0, DirectoryOffset(archive)));
  a.Load();
  ExpectEntries(a, outer);
}

// An entry with a data descriptor, whose data holds a descriptor signature
// that does not belong to it.
std::string DescriptorArchive(bool withEnd) {
  const std::string data = std::string("abc") + std::string("PK\x07\x08", 4) + "junkjunkjunk" + "xyz";
  TRawEntry e{DefaultCentral(), "dd.bin"};
  e.cd.genPurposeFlag = ZAFlagDataDescriptor;
  e.data = data;
  std::string archive = WriteRawArchive({e, {DefaultCentral(), "next.txt", "", "", "n"}});
  // Zero CRC and sizes in the first local header, and the descriptor after its data.
  const std::string zeros(12, '\0');
  archive.replace(14, 12, zeros);
  TZAZipDataDescriptor dd;
  dd.Signature = ZipDataDescriptorSignature;
  dd.crc32 = Crc32Of(data);
  dd.compressedSize = dd.uncompressedSize = static_cast<Cardinal>(data.size());
  const size_t dataEnd = 30 + 6 + data.size();
  archive.insert(dataEnd, AsString(dd.ToBytes()));
  if (!withEnd) archive.resize(archive.find("PK\x01\x02"));
  return archive;
}

TEST(ZADirManagerRebuild, DataDescriptorMustMatchItsDistance) {
  TLoadedArchive a(DescriptorArchive(false));
  a.Load();
  ASSERT_EQ(a.Count(), 2);
  const std::string data = std::string("abc") + std::string("PK\x07\x08", 4) + "junkjunkjunk" + "xyz";
  EXPECT_EQ(a.Item(0).Name, u"dd.bin");
  EXPECT_EQ(a.Item(0).CentralDir.crc32, Crc32Of(data));
  EXPECT_EQ(a.Item(0).CentralDir.compSize, data.size());
  EXPECT_EQ(a.Item(0).CentralDir.unCompSize, data.size());
  EXPECT_EQ(a.Item(1).Name, u"next.txt");
  EXPECT_EQ(a.Item(1).CentralDir.relOffsetLH, 30 + 6 + data.size() + 16);
}

TEST(ZADirManagerRebuild, LongNamesAndBadHeaders) {
  const String longName = String(400, u'L') + u".txt";
  const std::string archive = WriteStoredArchive({{longName, "x"}, {u"b", "y"}});
  std::string cut = archive.substr(0, DirectoryOffset(archive));
  // A header whose data could not fit the file is passed over.
  std::string bogus = std::string("PK\x03\x04", 4) + std::string(14, '\0') + LE32(0x7FFFFFF0) + LE32(0) +
                      LE16(1) + LE16(0) + "z";
  TLoadedArchive a(cut + bogus);
  a.Load();
  ASSERT_EQ(a.Count(), 2);
  EXPECT_EQ(a.Item(0).Name, longName);  // never cut or dropped for its length
  EXPECT_EQ(a.Item(1).Name, u"b");
}

// ---------------------------------------------------------------------------
// Searches

TEST(ZADirManagerSearch, ForwardSearches) {
  const std::string archive = WriteStoredArchive(kEntries);
  TLoadedArchive a(archive);
  TZADirManager& dm = a.Dir();
  a.Stream().Seek(5, soBeginning);
  EXPECT_EQ(dm.FindLocalFileHeader(0), 0);
  EXPECT_EQ(dm.FindLocalFileHeader(1), 30 + 5 + 11);
  EXPECT_EQ(a.Stream().Position(), 5);  // position kept
  EXPECT_EQ(dm.FindLocalFileHeader(static_cast<Int64>(DirectoryOffset(archive))), -1);
  // A signature with fewer than 30 bytes after it does not count.
  TLoadedArchive tail(std::string("xx") + std::string("PK\x03\x04", 4) + std::string(20, '\0'));
  EXPECT_EQ(tail.Dir().FindLocalFileHeader(0), -1);

  const Byte sig[4] = {'P', 'K', 1, 2};
  Int64 pos = 0;
  EXPECT_TRUE(TZADirManager::FindSignature(&a.Stream(), pos, sig, 4));
  EXPECT_EQ(pos, static_cast<Int64>(DirectoryOffset(archive)));
  pos += 1;
  EXPECT_TRUE(TZADirManager::FindSignature(&a.Stream(), pos, sig, 4));
  EXPECT_EQ(a.Stream().Position(), 5);
  // Across the 10,000-byte blocks.
  TLoadedArchive big(std::string(19998, 'x') + "PK\x01\x02" + std::string(10, 'y'));
  pos = 0;
  EXPECT_TRUE(TZADirManager::FindSignature(&big.Stream(), pos, sig, 4));
  EXPECT_EQ(pos, 19998);
  pos = 19999;
  EXPECT_FALSE(TZADirManager::FindSignature(&big.Stream(), pos, sig, 4));

  TLoadedArchive d(DescriptorArchive(true));
  TZAZipDataDescriptor dd;
  EXPECT_TRUE(d.Dir().FindDataDescriptor(0, dd));
  EXPECT_EQ(dd.crc32, GetLE32(reinterpret_cast<const Byte*>("junk")));  // the first one found, not checked
}

// ---------------------------------------------------------------------------
// Stubs

TEST(ZADirManagerStub, StubBeforeAnArchiveWithOffsetsFromZero) {
  const std::string stub(1000, 'S');
  const std::string archive = WriteStoredArchive(kEntries, {}, stub, true);
  const std::string plain = WriteStoredArchive(kEntries);
  TLoadedArchive a(archive);
  a.Load();
  EXPECT_EQ(a.Dir().StubSize, 1000);
  TLoadedArchive p(plain);
  p.Load();
  ASSERT_EQ(a.Count(), p.Count());
  for (Int32 i = 0; i < a.Count(); ++i)  // folders too
    EXPECT_EQ(a.Item(i).CentralDir.relOffsetLH, p.Item(i).CentralDir.relOffsetLH + 1000) << i;
  EXPECT_TRUE(a.Dir().IsSFXArchive());
}

TEST(ZADirManagerStub, FolderFirstIsMovedToo) {
  const std::vector<TStoredEntry> entries = {{u"dir/", "", 0x10}, {u"dir/f.txt", "data"}};
  TLoadedArchive a(WriteStoredArchive(entries, {}, std::string(500, 'S'), true));
  a.Load();
  EXPECT_EQ(a.Dir().StubSize, 500);
  EXPECT_EQ(a.Item(0).CentralDir.relOffsetLH, 500u);
  EXPECT_EQ(a.Item(1).CentralDir.relOffsetLH, 500u + 30 + 4);
}

TEST(ZADirManagerStub, AbsoluteOffsetsAreLeftAlone) {
  const std::string archive = WriteStoredArchive(kEntries, {}, std::string(1000, 'S'), false);
  TLoadedArchive a(archive);
  a.Load();
  EXPECT_EQ(a.Dir().StubSize, 1000);
  EXPECT_EQ(a.Item(0).CentralDir.relOffsetLH, 1000u);
}

TEST(ZADirManagerStub, EmptyArchiveAfterAStub) {
  const std::string archive = WriteStoredArchive({}, {}, std::string(700, 'S'), true);
  TLoadedArchive a(archive);
  a.Load();
  EXPECT_EQ(a.Count(), 0);
  EXPECT_EQ(a.Dir().StubSize, 700);
}

TEST(ZADirManagerStub, OffsetsPastFourGigabytesMoveToZip64) {
  TLoadedArchive a(WriteStoredArchive({{u"a", "1"}}));
  a.Load();
  a.Dir().CDir->GetItemPtr(0)->CentralDir.relOffsetLH = 0xFFFFFF00u;
  a.Dir().StubSize = 0x200;
  a.Dir().ApplyStubOffset();
  const TDirItem& item = a.Item(0);
  EXPECT_EQ(item.CentralDir.relOffsetLH, 0xFFFFFFFFu);
  EXPECT_TRUE(item.bHugeFile);
  EXPECT_EQ(item.Zip64ExtInfo.relOffsetLH, 0x100000100ull);
}

class ZADirManagerStubFile : public ScratchFolderTest {
 protected:
  ZADirManagerStubFile() : ScratchFolderTest("zastub") {}
};

TEST_F(ZADirManagerStubFile, SaveSFXStub) {
  const std::string stub = "#!stub program\n" + std::string(3000, 'z');
  WriteRaw("stub.bin", stub);
  TMemoryStream ms;
  ms.WriteBuffer("old content", 11);
  TZASingleVolumeArchiver link(&ms);
  link.FSFXStub = File("stub.bin");
  TZADirManager dm(&ms, true, &link);
  EXPECT_EQ(dm.StubSize, static_cast<Int64>(stub.size()));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(ms.Bytes()), static_cast<size_t>(ms.Size())), stub);
  EXPECT_TRUE(link.FVolumeNumberInfo.GetFirstVolume());

  // A first volume smaller than the stub.
  TMemoryStream other;
  TZASingleVolumeArchiver split(&other);
  split.FSFXStub = File("stub.bin");
  split.FSpanningMode = smSplitting;
  split.FSpanningOptions.FFirstVolumeSize = 1000;
  try {
    TZADirManager fails(&other, true, &split);
    ADD_FAILURE() << "no error";
  } catch (const EZAException& e) {
    EXPECT_EQ(e.NativeError, 47);
  }
}

TEST_F(ZADirManagerStubFile, ArchiveFileThroughTheLink) {
  WriteRaw("a.zip", WriteStoredArchive(kEntries, "on disk"));
  TZASingleVolumeArchiver link(File("a.zip"), fmOpenReadWrite);
  TZAVolumeNumberInfo first;
  first.SetFirstVolume(true);
  link.OpenVolume(first);
  ASSERT_NE(link.FCompressedStream, nullptr);
  EXPECT_EQ(link.VolumeFileName, File("a.zip"));
  TZADirManager dm(link.FCompressedStream, false, &link);
  dm.LoadDir();
  EXPECT_EQ(dm.CDir->Count(), 4);
  dm.ArchiveComment = "changed";
  dm.SaveDir(false);
  link.CloseCompressedStream();
  TLoadedArchive again(ReadRaw("a.zip"));
  again.Load();
  EXPECT_EQ(again.Dir().ArchiveComment, "changed");
  ExpectEntries(again, kEntries);
}

}  // namespace
}  // namespace sk

namespace sk {
namespace {

// Volumes held in memory: OpenVolume makes the asked one current.
class TMemoryVolumes : public TZAArchiverLink {
 public:
  explicit TMemoryVolumes(std::vector<std::string> volumes) {
    for (const std::string& v : volumes) {
      fVolumes.push_back(std::make_unique<TMemoryStream>());
      fVolumes.back()->WriteBuffer(v.data(), static_cast<Int64>(v.size()));
    }
    FSpanningMode = smSplitting;
    FCompressedStream = fVolumes.back().get();
  }
  void OpenVolume(TZAVolumeNumberInfo& volume) override {
    if (volume.FVolumeNumber < 0 || volume.FVolumeNumber >= static_cast<Int32>(fVolumes.size()))
      throw EZAException(45, this);
    FCompressedStream = fVolumes[static_cast<size_t>(volume.FVolumeNumber)].get();
    FCompressedStream->Seek(0, soBeginning);
    ++opened;
  }
  void WriteBufferToStream(const void*, Int64, TStream*&, TZAVolumeNumberInfo&, Int32, TStream*) override {}
  String MakeDefaultVolumeName(const String& name, Int32, bool) override { return name; }
  void ReopenFileStream(const String&, Word) override {}
  void CloseCompressedStream() override {}
  int opened = 0;

 private:
  std::vector<std::unique_ptr<TMemoryStream>> fVolumes;
};

TEST(ZADirManagerVolumes, DirectoryAcrossTwoVolumes) {
  const std::string archive = WriteStoredArchive(kEntries);
  const size_t dir = DirectoryOffset(archive);
  // The first volume ends after the second central record.
  const size_t split = archive.find("PK\x01\x02", archive.find("PK\x01\x02", dir) + 4) +
                       TZAZipCentralDir::Size + 9;  // name "empty.txt"
  ASSERT_EQ(archive.substr(split, 4), "PK\x01\x02");
  std::string last = archive.substr(split);
  TZAZipCentralDirEnd end;
  end.ReadFrom(reinterpret_cast<const Byte*>(last.data() + last.size() - 22));
  end.diskNumber = 1;
  end.entriesOnDisk = 2;
  last.replace(last.size() - 22, 22, AsString(end.ToBytes()));
  TMemoryVolumes link({archive.substr(0, split), last});
  TZADirManager dm(link.FCompressedStream, false, &link);
  dm.LoadDir();
  EXPECT_EQ(link.opened, 2);  // the first volume, then the next when its records ran out
  ASSERT_EQ(dm.CDir->Count(), 4);
  for (Int32 i = 0; i < 4; ++i) EXPECT_EQ(dm.CDir->FItems[static_cast<size_t>(i)].Name, kEntries[static_cast<size_t>(i)].name);
  EXPECT_EQ(dm.CentralDirOffset, static_cast<Int64>(dir));
}

}  // namespace
}  // namespace sk
