// The directory manager on archives laid down in the tests: the bytes it
// writes, what it reads back, names, extra blocks, zip64, in-place saves and
// the end-record search.
#include <gtest/gtest.h>

#include "ZipTestSupport.h"
#include "platform/runtime/CodePages.h"

namespace sk {
namespace {


TEST(ZADirManagerSave, GoldenBytesOfOneEntry) {
  const std::string archive = WriteStoredArchive({{u"a.txt", "hi", 0x20, "ec"}}, "AC");
  const std::string expected =
      // local header, name, data (laid down by the test)
      std::string("PK\x03\x04\x14\x00\x00\x00\x00\x00\x00\x60\x21\x59\xAC\x2A\x93\xD8\x02\x00\x00\x00\x02\x00"
                  "\x00\x00\x05\x00\x00\x00",
                  30) +
      "a.txthi" +
      // central record: made by 20, extract 20, flag 0, stored, time, date, CRC, sizes,
      // name 5, extra 0, comment 2, disk 0, internal 0, external 0x20, offset 0
      std::string("PK\x01\x02\x14\x00\x14\x00\x00\x00\x00\x00\x00\x60\x21\x59\xAC\x2A\x93\xD8\x02\x00\x00\x00"
                  "\x02\x00\x00\x00\x05\x00\x00\x00\x02\x00\x00\x00\x00\x00\x20\x00\x00\x00\x00\x00\x00\x00",
                  46) +
      "a.txtec" +
      // end record: disks 0, 1 entry, directory of 53 bytes at 37, comment of 2
      std::string("PK\x05\x06\x00\x00\x00\x00\x01\x00\x01\x00\x35\x00\x00\x00\x25\x00\x00\x00\x02\x00", 22) + "AC";
  EXPECT_EQ(archive, expected);
}

TEST(ZADirManagerSave, RoundTripOfNamesAttributesAndComments) {
  const String longAscii(300, u'n');
  String longCjk;
  for (int i = 0; i < 200; ++i) longCjk += u'語';  // 600 bytes of UTF-8
  const std::vector<TStoredEntry> entries = {
      {u"a.txt", "hello", 0x20, ""},
      {u"empty.txt", "", 0x20, "entry comment"},
      {u"sub/", "", 0x10, ""},
      {u"sub/ünï 日本.txt", "japan", 0x20, ""},
      {longAscii, "x", 0x20, ""},
      {longCjk + u".txt", "y", 0x20, ""},
      {u"emoji 😀.txt", "z", 0x20, ""},
  };
  TLoadedArchive a(WriteStoredArchive(entries, "archive comment"));
  a.Load();
  ASSERT_EQ(a.Count(), static_cast<Int32>(entries.size()));
  EXPECT_EQ(a.Dir().ArchiveComment, "archive comment");
  for (Int32 i = 0; i < a.Count(); ++i) {
    const TStoredEntry& e = entries[static_cast<size_t>(i)];
    const TDirItem& item = a.Item(i);
    EXPECT_EQ(item.Name, e.name) << i;
    EXPECT_EQ(item.CentralDir.unCompSize, e.data.size());
    EXPECT_EQ(item.CentralDir.crc32, Crc32Of(e.data));
    EXPECT_EQ(item.CentralDir.externalAttr, e.externalAttr);
    EXPECT_EQ(item.Comment, e.comment);
    bool ascii = true;
    for (Char c : e.name) ascii = ascii && c < 0x80;
    // Bit 11 says UTF-8 exactly when the name is not plain ASCII.
    EXPECT_EQ((item.CentralDir.genPurposeFlag & ZAFlagUTF8Name) != 0, !ascii) << i;
    Int32 index = -1;
    EXPECT_TRUE(a.Dir().CDir->FileExists(e.name, index));
    EXPECT_EQ(index, i);
  }
  EXPECT_EQ(a.Item(4).CentralDir.nameLength, 300);  // never cut to 255
  EXPECT_EQ(a.Item(5).CentralDir.nameLength, 604);
  EXPECT_EQ(a.Dir().CentralDirOffset, static_cast<Int64>(a.Item(6).CentralDir.relOffsetLH) + 30 +
                                          static_cast<Int64>(StringToUtf8(entries[6].name).size()) + 1);
  EXPECT_FALSE(a.Dir().FZip64);
  EXPECT_FALSE(a.Dir().IsEncrypted());
  EXPECT_FALSE(a.Dir().IsSFXArchive());
}

TEST(ZADirManagerSave, Bit11FollowsTheBytesWritten) {
  // An ASCII name that came with bit 11 loses it; a name read from the OEM
  // code page gains it and is written in UTF-8.
  TRawEntry ascii{DefaultCentral(), "plain.txt"};
  ascii.cd.genPurposeFlag = ZAFlagUTF8Name;
  TRawEntry oem{DefaultCentral(), "caf\x82.txt"};  // é in code page 437
  TLoadedArchive a(WriteRawArchive({ascii, oem}));
  a.Load();
  ASSERT_EQ(a.Count(), 2);
  EXPECT_EQ(a.Item(1).Name, u"café.txt");
  a.Dir().SaveDir(false);
  TLoadedArchive b(a.Bytes());
  b.Load();
  ASSERT_EQ(b.Count(), 2);
  EXPECT_EQ(b.Item(0).CentralDir.genPurposeFlag & ZAFlagUTF8Name, 0);
  EXPECT_EQ(b.Item(1).CentralDir.genPurposeFlag & ZAFlagUTF8Name, ZAFlagUTF8Name);
  EXPECT_EQ(b.Item(1).Name, u"café.txt");
  EXPECT_EQ(b.Item(1).CentralDir.nameLength, 9);
  // A UTF-8 name does not claim an MS-DOS host, whose names readers take for OEM text.
  EXPECT_EQ(b.Item(0).CentralDir.versionMadeBy, 20);
  EXPECT_EQ(b.Item(1).CentralDir.versionMadeBy, 0x0B14);
}

std::vector<TStoredEntry> ManyEmptyEntries(int n) {
  std::vector<TStoredEntry> entries(static_cast<size_t>(n));
  char buf[16];
  for (int i = 0; i < n; ++i) {
    std::snprintf(buf, sizeof buf, "f%05d", i);
    entries[static_cast<size_t>(i)].name = S(buf);
  }
  return entries;
}

TEST(ZADirManagerSave, Zip64EndRecordsFrom65535Entries) {
  const std::string without = WriteStoredArchive(ManyEmptyEntries(65534));
  TZAZipCentralDirEnd end;
  end.ReadFrom(reinterpret_cast<const Byte*>(without.data() + without.size() - 22));
  EXPECT_EQ(end.entriesCentralDir, 65534);
  EXPECT_EQ(end.entriesOnDisk, 65534);
  EXPECT_NE(GetLE32(reinterpret_cast<const Byte*>(without.data() + without.size() - 42)),
            Zip64CentralDirEndLocatorSignature);

  const std::string with = WriteStoredArchive(ManyEmptyEntries(65535));
  const size_t n = with.size();
  end.ReadFrom(reinterpret_cast<const Byte*>(with.data() + n - 22));
  EXPECT_EQ(end.entriesCentralDir, 0xFFFF);
  EXPECT_EQ(end.entriesOnDisk, 0xFFFF);
  TZAZip64CentralDirEndLocator loc;
  loc.ReadFrom(reinterpret_cast<const Byte*>(with.data() + n - 42));
  EXPECT_EQ(loc.signature, Zip64CentralDirEndLocatorSignature);
  EXPECT_EQ(loc.offsetStartDirEnd, n - 22 - 20 - 56);
  EXPECT_EQ(loc.totalNumberOfDisks, 1u);
  TZAZip64CentralDirEnd z;
  z.ReadFrom(reinterpret_cast<const Byte*>(with.data() + n - 98));
  EXPECT_EQ(z.signature, Zip64CentralDirEndSignature);
  EXPECT_EQ(z.centralDirEndSize, 44u);
  EXPECT_EQ(z.versionMadeBy, 45);
  EXPECT_EQ(z.versionNeededToExtract, 45);
  EXPECT_EQ(z.entriesCentralDir, 65535u);
  EXPECT_EQ(z.offsetStartDir, end.offsetStartDir);
  EXPECT_EQ(z.centralDirSize + z.offsetStartDir, n - 98);

  TLoadedArchive a(with);
  a.Load();
  EXPECT_TRUE(a.Dir().FZip64);
  ASSERT_EQ(a.Count(), 65535);
  EXPECT_EQ(a.Item(65534).Name, u"f65534");

  // Saved again in place: the new directory starts where the old one did,
  // not 76 bytes of zip64 records later.
  a.Dir().ArchiveComment = "c";
  a.Dir().SaveDir(false);
  EXPECT_EQ(a.Bytes().size(), n + 1);
  a.Dir().ArchiveComment.clear();
  a.Dir().SaveDir(false);
  EXPECT_EQ(a.Bytes(), with);
  TLoadedArchive b(a.Bytes());
  b.Load();
  EXPECT_EQ(b.Count(), 65535);
}

TEST(ZADirManagerSave, InPlaceRewriteOfACommentKeepsTheEntries) {
  const std::string archive = WriteStoredArchive({{u"a", "1"}, {u"b", "22"}}, "old");
  TLoadedArchive a(archive);
  a.Load();
  a.Dir().ArchiveComment = "a longer comment";
  a.Dir().SaveDir(false);
  EXPECT_EQ(a.Bytes().size(), archive.size() - 3 + 16);
  TLoadedArchive b(a.Bytes());
  b.Load();
  ASSERT_EQ(b.Count(), 2);
  EXPECT_EQ(b.Dir().ArchiveComment, "a longer comment");
  // Written at the end instead: after everything that is there.
  b.Dir().SaveDir(true);
  TLoadedArchive c(b.Bytes());
  c.Load();
  EXPECT_EQ(c.Count(), 2);
  EXPECT_EQ(c.Bytes().size(), a.Bytes().size() + 94 + 22 + 16);
}

TEST(ZADirManagerSave, NamesThatCannotBeStoredLeaveTheArchiveAlone) {
  const std::string archive = WriteStoredArchive({{u"a", "1"}});
  TLoadedArchive a(archive);
  a.Load();
  a.Dir().CDir->SetItemName(0, String(70000, u'x'));
  try {
    a.Dir().SaveDir(false);
    ADD_FAILURE() << "no error";
  } catch (const EZAException& e) {
    EXPECT_EQ(e.NativeError, 61);
  }
  EXPECT_EQ(a.Bytes(), archive);
}

TEST(ZADirManagerSave, SecondForm) {
  TMemoryStream ms;
  TZASingleVolumeArchiver link(&ms);
  link.isZIPFormat = false;
  {
    TZADirManager dm(&ms, true, &link);
    dm.CDir->SetCount(1);
    TDirItem item;
    item.Name = u"x";
    item.CentralDir.extractVersion = 0x4114;
    dm.CDir->SetItem(0, item);
    dm.SaveDir(true);
  }
  const Byte* p = ms.Bytes();
  EXPECT_EQ(GetLE32(p), ZA2CentralDirSignature);
  EXPECT_EQ(GetLE32(p + 47), ZA2CentralDirEndSignature);
  TZADirManager again(&ms, false, &link);
  again.LoadDir();
  ASSERT_EQ(again.CDir->Count(), 1);
  EXPECT_EQ(again.CDir->FItems[0].Name, u"x");
  EXPECT_EQ(again.CentralDirEnd.signature, ZA2CentralDirEndSignature);
}

// ---------------------------------------------------------------------------
// Reading names and extra blocks

TEST(ZADirManagerLoad, NameDecodingRules) {
  struct Case {
    std::string bytes;
    Word flag;
    Word madeBy;
    bool oemOption;
    const char16_t* name;
  };
  const Case cases[] = {
      {"caf\xC3\xA9", 0, 20, true, u"café"},             // valid UTF-8 without bit 11
      {"caf\xC3\xA9", ZAFlagUTF8Name, 20, true, u"café"},  // with bit 11
      {"caf\x82", 0, 20, true, u"café"},                 // OEM (437) from an MS-DOS host
      {"caf\xE9", 0, 0x0B14, true, u"café"},             // ANSI (1252) from the engine's own host
      {"caf\xE9", 0, 20, false, u"caf\u00E9"},           // OEM names switched off: ANSI
      {"caf\x82", 0, 20, false, u"caf\u201A"},
      {"caf\x82", ZAFlagUTF8Name, 20, true, u"caf\uFFFD"},  // bit 11 with broken UTF-8
      {"\xED\xA0\x80", 0, 20, false, u"\u00ED\u00A0\u20AC"},  // an encoded surrogate is no UTF-8
  };
  ScopedACP acp(1252);
  for (const Case& c : cases) {
    TRawEntry e{DefaultCentral(), c.bytes};
    e.cd.genPurposeFlag = c.flag;
    e.cd.versionMadeBy = c.madeBy;
    TLoadedArchive a(WriteRawArchive({e}));
    a.Link().FOptions.FOEMFileNames = c.oemOption;
    a.Load();
    ASSERT_EQ(a.Count(), 1);
    EXPECT_EQ(a.Item(0).Name, c.name) << c.bytes;
  }
}

TEST(ZADirManagerLoad, EmptyNameFollowedByOthers) {
  TLoadedArchive a(WriteRawArchive({{DefaultCentral(), ""}, {DefaultCentral(), ""}, {DefaultCentral(), "b"}}));
  a.Load();
  ASSERT_EQ(a.Count(), 3);
  Int32 index = -1;
  EXPECT_TRUE(a.Dir().CDir->FileExists(u"b", index));
  EXPECT_EQ(index, 2);
}

TEST(ZADirManagerLoad, ExtraBlocks) {
  auto unicode = [](const String& s) {
    std::string d = "NUCX" + LE32(static_cast<Cardinal>(s.size()));
    for (Char c : s) d += LE16(c);
    return Block(UnicodeExtraFieldHeaderID, d);
  };
  TRawEntry named{DefaultCentral(), "stored.txt"};
  named.extra = unicode(u"Ünïcode 名.txt");
  TRawEntry notNucx{DefaultCentral(), "kept.txt"};
  notNucx.extra = Block(UnicodeExtraFieldHeaderID, "XXXX" + LE32(1) + LE16('z'));
  TRawEntry aes{DefaultCentral(), "aes.bin"};
  aes.cd.genPurposeFlag = ZAFlagEncrypted;
  aes.cd.compMethod = 99;
  aes.extra = Block(AesExtraFieldHeaderID, LE16(2) + "AE" + "\x02" + LE16(8));
  TRawEntry unknown{DefaultCentral(), "unknown.txt"};
  const std::string unknownBlocks = Block(0x5455, std::string("\x03\x01\x02\x03\x04", 5)) + Block(0x7875, "");
  unknown.extra = unknownBlocks;
  TRawEntry cut{DefaultCentral(), "cut.txt"};
  cut.extra = LE16(0x4242) + LE16(100) + "abc";  // claims 100 bytes, 3 remain
  TRawEntry shortTail{DefaultCentral(), "tail.txt"};
  shortTail.extra = Block(0x4343, "q") + "\x01\x02";  // two bytes that are no block

  TLoadedArchive a(WriteRawArchive({named, notNucx, aes, unknown, cut, shortTail}));
  a.Load();
  ASSERT_EQ(a.Count(), 6);
  EXPECT_EQ(a.Item(0).Name, u"Ünïcode 名.txt");
  Int32 index = -1;
  EXPECT_TRUE(a.Dir().CDir->FileExists(u"ünïcode 名.TXT", index));
  EXPECT_EQ(a.Item(1).Name, u"kept.txt");
  EXPECT_EQ(a.Item(2).ZAEncryptionAlgorithm, caAES_192);
  EXPECT_EQ(a.Item(2).CompressionMethod, 8);
  ASSERT_EQ(a.Item(3).ExtraFields.size(), 2u);
  EXPECT_EQ(a.Item(3).ExtraFields[0].headerID, 0x5455);
  EXPECT_EQ(a.Item(3).ExtraFields[0].dataSize, 5);
  ASSERT_EQ(a.Item(4).ExtraFields.size(), 1u);
  EXPECT_EQ(a.Item(4).ExtraFields[0].dataSize, 3);
  EXPECT_EQ(AsString(a.Item(4).ExtraFields[0].pData), "abc");
  EXPECT_EQ(a.Item(5).ExtraFields.size(), 1u);

  // Unknown blocks go back unchanged.
  a.Dir().SaveDir(false);
  TLoadedArchive b(a.Bytes());
  b.Load();
  ASSERT_EQ(b.Count(), 6);
  EXPECT_EQ(b.Item(3).CentralDir.extraLength, unknownBlocks.size());
  EXPECT_EQ(b.Item(3).ExtraFields[1].headerID, 0x7875);
  EXPECT_EQ(b.Item(0).Name, u"Ünïcode 名.txt");
}

TEST(ZADirManagerLoad, Zip64Blocks) {
  TRawEntry full{DefaultCentral(), "big.bin"};
  full.data = "0123456789";
  full.keepSizes = full.keepOffset = true;
  full.cd.crc32 = Crc32Of(full.data);
  full.cd.compSize = full.cd.unCompSize = full.cd.relOffsetLH = 0xFFFFFFFF;
  full.cd.diskNumberStart = 0xFFFF;
  full.extra = Block(Zip64ExtraFieldHeaderID, LE64(10) + LE64(10) + LE64(0) + LE32(0));
  TRawEntry partial{DefaultCentral(), "partial.bin"};
  partial.keepSizes = true;
  partial.cd.unCompSize = 0xFFFFFFFF;
  partial.cd.compSize = 0xFFFFFFFF;
  partial.extra = Block(Zip64ExtraFieldHeaderID, LE64(0x123456789ull) + "\x01\x02\x03");  // second value cut short
  TLoadedArchive a(WriteRawArchive({full, partial}));
  a.Link().FOpenCorruptedArchives = true;  // the sizes of "partial" do not fit the archive
  a.Load();
  ASSERT_EQ(a.Count(), 2);
  const TDirItem& big = a.Item(0);
  EXPECT_TRUE(big.bHugeFile);
  EXPECT_EQ(big.Zip64ExtInfo.uncompSize, 10u);
  EXPECT_EQ(big.Zip64ExtInfo.compSize, 10u);
  EXPECT_EQ(big.Zip64ExtInfo.relOffsetLH, 0u);
  EXPECT_TRUE(big.ExtraFields.empty());  // the zip64 block lives in Zip64ExtInfo
  EXPECT_EQ(a.Item(1).Zip64ExtInfo.uncompSize, 0x123456789ull);
  EXPECT_EQ(a.Item(1).Zip64ExtInfo.compSize, 0u);

  // Written back: the zip64 block holds what its all-ones fields need.
  TLoadedArchive b(WriteRawArchive({full}));
  b.Load();
  b.Dir().SaveDir(false);
  TLoadedArchive c(b.Bytes());
  c.Load();
  ASSERT_EQ(c.Count(), 1);
  EXPECT_EQ(c.Item(0).CentralDir.extraLength, 4 + 8 + 8 + 8 + 4);
  EXPECT_EQ(c.Item(0).Zip64ExtInfo.compSize, 10u);
}

TEST(ZADirManagerLoad, Zip64EndRecords) {
  const std::string plain = WriteStoredArchive({{u"a", "1"}, {u"b/", "", 0x10}, {u"c", "333"}});
  TLoadedArchive a(WithZip64EndRecords(plain));
  a.Load();
  EXPECT_TRUE(a.Dir().FZip64);
  ASSERT_EQ(a.Count(), 3);
  EXPECT_EQ(a.Item(2).Name, u"c");
  EXPECT_EQ(a.Dir().Zip64CentralDirEnd.entriesCentralDir, 3u);

  // The locator's offset counts from a start that is not this file's (data
  // put in front): the record just before the locator is taken.
  TLoadedArchive front(std::string(100, 'S') + WithZip64EndRecords(plain));
  front.Load();
  ASSERT_EQ(front.Count(), 3);
  EXPECT_EQ(front.Item(2).CentralDir.relOffsetLH, 164u);

  // No zip64 record anywhere: engine error 40.
  std::string broken = WithZip64EndRecords(plain);
  broken.replace(broken.size() - 98, 4, "XXXX");
  TLoadedArchive bad(broken);
  try {
    bad.Load();
    ADD_FAILURE() << "no error";
  } catch (const EZAException& e) {
    EXPECT_EQ(e.NativeError, 40);
  }
}

TEST(ZADirManagerLoad, EndRecordSearch) {
  const std::string archive = WriteStoredArchive({{u"a", "1"}}, "real");
  // A later candidate whose comment would run past the end is passed over.
  TZAZipCentralDirEnd fake;
  fake.signature = ZipCentralDirEndSignature;
  fake.commentLength = 200;
  TLoadedArchive a(archive + AsString(fake.ToBytes()) + "short");
  a.Load();
  ASSERT_EQ(a.Count(), 1);
  EXPECT_EQ(a.Dir().ArchiveComment, "real");
  EXPECT_TRUE(a.Dir().HasCentralDirEnd());

  // Nothing in the last 65,600 bytes: a rebuild.
  TLoadedArchive far(archive.substr(0, archive.size() - 26) + std::string(70000, '\0'));
  far.Load();
  ASSERT_EQ(far.Count(), 1);
  EXPECT_FALSE(far.Dir().HasCentralDirEnd());
  far.Link().FOpenCorruptedArchives = true;
  EXPECT_TRUE(far.Dir().HasCentralDirEnd());
}

}  // namespace
}  // namespace sk
