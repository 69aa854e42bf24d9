// Interop with the common zip programs, run in a scratch folder: directories
// they write are read as they report them, and directories that SaveDir
// writes are listed, tested and extracted alike by each of them.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <map>

#include "ZipTestSupport.h"
#include "zip/ZAUtils.h"

namespace sk {
namespace {

namespace fs = std::filesystem;

// Lists an archive as Python's zipfile reads it: per entry the name's stored
// bytes in hex, the flag, method, sizes, CRC and external attributes; then
// the result of its integrity test.
constexpr const char* kPythonLister = R"(
import sys, zipfile
z = zipfile.ZipFile(sys.argv[1])
for i in z.infolist():
    raw = i.orig_filename.encode('utf-8' if i.flag_bits & 0x800 else 'cp437')
    print('\t'.join([raw.hex(), str(i.flag_bits), str(i.compress_type), str(i.file_size),
                     str(i.compress_size), str(i.CRC), str(i.external_attr)]))
print('test', z.testzip())
)";

// Writes archives with Python's zipfile: plain, with zip64 blocks and zip64
// end records, and with data descriptors (written to a stream it cannot seek).
constexpr const char* kPythonMaker = R"(
import io, sys, zipfile
out = sys.argv[1]
files = [("a.txt", b"hello world\n"), ("empty.txt", b""), ("sub/", None), ("sub/b.bin", b"abc" * 700),
         ("\u00fcn\u00ef/\u65e5\u672c.txt", b"japan\n")]
def add(z, force=False):
    for name, data in files:
        if data is None:
            z.writestr(zipfile.ZipInfo(name), b"")
            continue
        info = zipfile.ZipInfo(name, (2024, 9, 1, 12, 0, 0))
        info.compress_type = zipfile.ZIP_DEFLATED if len(data) > 100 else zipfile.ZIP_STORED
        with z.open(info, "w", force_zip64=force) as f:
            f.write(data)
with zipfile.ZipFile(out + "/p_plain.zip", "w") as z: add(z)
zipfile.ZIP64_LIMIT = 0
zipfile.ZIP_FILECOUNT_LIMIT = 1
with zipfile.ZipFile(out + "/p_zip64.zip", "w") as z: add(z, True)
zipfile.ZIP64_LIMIT = (1 << 31) - 1
zipfile.ZIP_FILECOUNT_LIMIT = (1 << 16) - 1
class NoSeek(io.RawIOBase):
    def __init__(self, f): self.f = f
    def writable(self): return True
    def write(self, b): return self.f.write(b)
with open(out + "/p_stream.zip", "wb") as raw:
    with zipfile.ZipFile(NoSeek(raw), "w") as z: add(z)
)";

struct TListed {
  String name;
  Word flag = 0;
  Word method = 0;
  UInt64 size = 0;
  UInt64 packed = 0;
  Cardinal crc = 0;
  Cardinal attr = 0;
};

std::string FromHex(const std::string& hex) {
  std::string r;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) r += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  return r;
}

class ZADirManagerPeers : public ScratchFolderTest {
 protected:
  ZADirManagerPeers() : ScratchFolderTest("zapeers") {}

  void SetUp() override {
    ScratchFolderTest::SetUp();
    fs::create_directories(Path("src/sub"));
    fs::create_directories(Path("src/ünï"));
    WriteRaw("src/a.txt", "hello world\n");
    WriteRaw("src/empty.txt", "");
    WriteRaw("src/sub/b.bin", std::string(2100, 'b') + "end");
    WriteRaw("src/ünï/日本.txt", "japan\n");
  }

  std::string Script(const char* name, const char* text) {
    WriteRaw(name, text);
    return Path(name);
  }

  // Python's view of an archive; fails the test when its integrity test fails.
  std::vector<TListed> PythonList(const std::string& archive) {
    std::string out;
    const int rc = RunCommand(std::string(kPython) + " " + ShellQuote(Script("list.py", kPythonLister)) + " " +
                                  ShellQuote(archive),
                              &out, true);
    EXPECT_EQ(rc, 0) << out;
    std::vector<TListed> r;
    for (const std::string& line : SplitLines(out)) {
      if (line.rfind("test ", 0) == 0) {
        EXPECT_EQ(line, "test None") << archive;
        continue;
      }
      std::vector<std::string> f;
      std::stringstream in(line);
      std::string field;
      while (std::getline(in, field, '\t')) f.push_back(field);
      if (f.size() != 7) continue;
      TListed e;
      e.name = Utf8ToString(FromHex(f[0]));
      e.flag = static_cast<Word>(std::stoul(f[1]));
      e.method = static_cast<Word>(std::stoul(f[2]));
      e.size = std::stoull(f[3]);
      e.packed = std::stoull(f[4]);
      e.crc = static_cast<Cardinal>(std::stoul(f[5]));
      e.attr = static_cast<Cardinal>(std::stoul(f[6]));
      r.push_back(e);
    }
    return r;
  }

  // Our directory of the archive file compared with Python's listing.
  void ExpectAsPythonReports(const std::string& archive, bool removeEndRecord = false) {
    const std::vector<TListed> expected = PythonList(archive);
    ASSERT_FALSE(expected.empty()) << archive;
    std::string bytes = ReadFileBytes(archive);
    if (removeEndRecord) bytes.resize(bytes.rfind("PK\x05\x06"));
    TLoadedArchive a(bytes);
    a.Load();
    ASSERT_EQ(a.Count(), static_cast<Int32>(expected.size())) << archive;
    for (Int32 i = 0; i < a.Count(); ++i) {
      const TListed& e = expected[static_cast<size_t>(i)];
      const TDirItem& item = a.Item(i);
      const TZAZipCentralDir& cd = item.CentralDir;
      EXPECT_EQ(item.Name, e.name) << archive;
      EXPECT_EQ(item.CompressionMethod, e.method) << archive;
      EXPECT_EQ(cd.unCompSize == 0xFFFFFFFFu ? item.Zip64ExtInfo.uncompSize : cd.unCompSize, e.size) << archive;
      EXPECT_EQ(cd.compSize == 0xFFFFFFFFu ? item.Zip64ExtInfo.compSize : cd.compSize, e.packed) << archive;
      EXPECT_EQ(cd.crc32, e.crc) << archive << " " << StringToUtf8(e.name);
      if (!removeEndRecord) {
        EXPECT_EQ(cd.externalAttr, e.attr) << archive;
        EXPECT_EQ(cd.genPurposeFlag, e.flag) << archive;
      }
      Int32 index = -1;
      EXPECT_TRUE(a.Dir().CDir->FileExists(e.name, index));
    }
  }

  std::string InSrc(const std::string& command) { return "cd " + ShellQuote(Path("src")) + " && " + command; }
};

TEST_F(ZADirManagerPeers, ReadsWhatZipWrites) {
  SK_NEED_PROGRAM("/usr/bin/zip");
  SK_NEED_PROGRAM(kPython);
  ASSERT_EQ(RunCommand(InSrc("/usr/bin/zip -q -r ../z.zip a.txt empty.txt sub ünï")), 0);
  ExpectAsPythonReports(Path("z.zip"));  // UTF-8 names without bit 11
  ExpectAsPythonReports(Path("z.zip"), true);
}

TEST_F(ZADirManagerPeers, ReadsWhat7zzWrites) {
  SK_NEED_PROGRAM("/usr/bin/7zz");
  SK_NEED_PROGRAM(kPython);
  ASSERT_EQ(RunCommand(InSrc("/usr/bin/7zz a -tzip -bso0 -bsp0 ../s.zip a.txt empty.txt sub ünï")), 0);
  ExpectAsPythonReports(Path("s.zip"));
  ExpectAsPythonReports(Path("s.zip"), true);
}

TEST_F(ZADirManagerPeers, ReadsWhatBsdtarWrites) {
  SK_NEED_PROGRAM("/usr/bin/bsdtar");
  SK_NEED_PROGRAM(kPython);
  ASSERT_EQ(RunCommand(InSrc("/usr/bin/bsdtar --format zip -cf ../b.zip a.txt empty.txt sub ünï")), 0);
  ExpectAsPythonReports(Path("b.zip"));
  // Deflated entries with data descriptors: the rebuild takes their CRCs and
  // sizes from the descriptors.
  ExpectAsPythonReports(Path("b.zip"), true);
}

TEST_F(ZADirManagerPeers, ReadsWhatPythonWrites) {
  SK_NEED_PROGRAM(kPython);
  ASSERT_EQ(RunCommand(std::string(kPython) + " " + ShellQuote(Script("make.py", kPythonMaker)) + " " +
                       ShellQuote(fDir)),
            0);
  ExpectAsPythonReports(Path("p_plain.zip"));
  ExpectAsPythonReports(Path("p_zip64.zip"));
  ExpectAsPythonReports(Path("p_stream.zip"));
  ExpectAsPythonReports(Path("p_stream.zip"), true);
  TLoadedArchive z64(ReadRaw("p_zip64.zip"));
  z64.Load();
  EXPECT_TRUE(z64.Dir().FZip64);
  EXPECT_TRUE(z64.Item(3).bHugeFile);
}

// ---------------------------------------------------------------------------
// What SaveDir writes

const std::vector<TStoredEntry>& Written() {
  static const std::vector<TStoredEntry> entries = {
      {u"a.txt", "hello world\n"},
      {u"empty.txt", ""},
      {u"sub/", "", 0x10},
      {u"sub/b.bin", std::string(3000, '\x01')},
      {u"ünï/日本.txt", "japan\n"},
      {u"name with spaces.txt", "spaces"},
      {u"emoji 😀.txt", "smile"},
      {u"Ελληνικά/κείμενο.txt", "greek"},
  };
  return entries;
}

class ZADirManagerWritten : public ZADirManagerPeers {
 protected:
  void SetUp() override {
    ZADirManagerPeers::SetUp();
    WriteRaw("w.zip", WriteStoredArchive(Written(), "archive comment"));
  }
  std::vector<std::string> ExpectedNames(bool folderSlash = true) {
    std::vector<std::string> r;
    for (const auto& e : Written()) {
      std::string n = StringToUtf8(e.name);
      if (!folderSlash && !n.empty() && n.back() == '/') n.pop_back();
      r.push_back(n);
    }
    return r;
  }
};

TEST_F(ZADirManagerWritten, ListedAndTestedByUnzip) {
  SK_NEED_PROGRAM("/usr/bin/unzip");
  std::string out;
  ASSERT_EQ(RunCommand("/usr/bin/unzip -Z1 " + ShellQuote(Path("w.zip")), &out), 0);
  EXPECT_EQ(SplitLines(out), ExpectedNames());
  ASSERT_EQ(RunCommand("/usr/bin/unzip -l " + ShellQuote(Path("w.zip")), &out), 0);
  std::vector<std::string> sizes;
  for (const std::string& line : SplitLines(out)) {
    std::istringstream in(line);
    std::string length, date, time;
    if (!(in >> length >> date >> time) || date.size() != 10 || date[4] != '-' || !std::isdigit(static_cast<unsigned char>(date[0]))) continue;
    sizes.push_back(length);
  }
  ASSERT_EQ(sizes.size(), Written().size());
  for (size_t i = 0; i < sizes.size(); ++i) EXPECT_EQ(sizes[i], std::to_string(Written()[i].data.size()));
  EXPECT_NE(out.find("archive comment"), std::string::npos);
  ASSERT_EQ(RunCommand("/usr/bin/unzip -tq " + ShellQuote(Path("w.zip")), &out, true), 0) << out;
  // Extracted byte for byte, non-ASCII names included.
  ASSERT_EQ(RunCommand("/usr/bin/unzip -qq -d " + ShellQuote(Path("x")) + " " + ShellQuote(Path("w.zip"))), 0);
  for (const auto& e : Written()) {
    if (e.externalAttr == 0x10) continue;
    EXPECT_EQ(ReadRaw("x/" + StringToUtf8(e.name)), e.data) << StringToUtf8(e.name);
  }
}

TEST_F(ZADirManagerWritten, ListedAndTestedByPython) {
  SK_NEED_PROGRAM(kPython);
  const std::vector<TListed> listed = PythonList(Path("w.zip"));
  ASSERT_EQ(listed.size(), Written().size());
  for (size_t i = 0; i < listed.size(); ++i) {
    EXPECT_EQ(listed[i].name, Written()[i].name);
    EXPECT_EQ(listed[i].size, Written()[i].data.size());
    EXPECT_EQ(listed[i].crc, Crc32Of(Written()[i].data));
  }
}

TEST_F(ZADirManagerWritten, ListedAndTestedBy7zz) {
  SK_NEED_PROGRAM("/usr/bin/7zz");
  std::string out;
  ASSERT_EQ(RunCommand("/usr/bin/7zz l -slt -ba " + ShellQuote(Path("w.zip")), &out), 0);
  std::vector<std::string> paths, sizes, crcs;
  for (const std::string& line : SplitLines(out)) {
    if (line.rfind("Path = ", 0) == 0) paths.push_back(line.substr(7));
    if (line.rfind("Size = ", 0) == 0) sizes.push_back(line.substr(7));
    if (line.rfind("CRC = ", 0) == 0) crcs.push_back(line.substr(6));
  }
  EXPECT_EQ(paths, ExpectedNames(false));
  ASSERT_EQ(sizes.size(), Written().size());
  ASSERT_EQ(crcs.size(), Written().size());
  for (size_t i = 0; i < sizes.size(); ++i) {
    EXPECT_EQ(sizes[i], std::to_string(Written()[i].data.size()));
    if (Written()[i].externalAttr == 0x10) continue;
    char hex[16];
    std::snprintf(hex, sizeof hex, "%08X", Crc32Of(Written()[i].data));
    EXPECT_EQ(crcs[i], hex);
  }
  EXPECT_EQ(RunCommand("/usr/bin/7zz t -bso0 -bsp0 " + ShellQuote(Path("w.zip")), &out, true), 0) << out;
}

TEST_F(ZADirManagerWritten, ListedByBsdtar) {
  SK_NEED_PROGRAM("/usr/bin/bsdtar");
  std::string out;
  ASSERT_EQ(RunCommand("/usr/bin/bsdtar -tf " + ShellQuote(Path("w.zip")), &out), 0);
  EXPECT_EQ(SplitLines(out), ExpectedNames());
}

TEST_F(ZADirManagerPeers, Zip64EndRecordsAreReadByPeers) {
  SK_NEED_PROGRAM(kPython);
  std::vector<TStoredEntry> entries(65535);
  for (size_t i = 0; i < entries.size(); ++i) entries[i].name = S(("e" + std::to_string(i)).c_str());
  WriteRaw("many.zip", WriteStoredArchive(entries));
  std::string out;
  ASSERT_EQ(RunCommand(std::string(kPython) + " -c " +
                           ShellQuote("import sys, zipfile; z = zipfile.ZipFile(sys.argv[1]); "
                                      "print(len(z.infolist()), z.infolist()[-1].filename)") +
                           " " + ShellQuote(Path("many.zip")),
                       &out, true),
            0)
      << out;
  EXPECT_EQ(out, "65535 e65534\n");
  if (HasProgram("/usr/bin/unzip")) {
    ASSERT_EQ(RunCommand("/usr/bin/unzip -Z1 " + ShellQuote(Path("many.zip")) + " | tail -1", &out), 0);
    EXPECT_EQ(out, "e65534\n");
  }
}

// ---------------------------------------------------------------------------
// Traditional encryption and stubs

TEST_F(ZADirManagerPeers, TraditionalEncryptionBothWays) {
  SK_NEED_PROGRAM("/usr/bin/zip");
  SK_NEED_PROGRAM("/usr/bin/unzip");
  // What zip encrypts, our cipher decrypts.
  ASSERT_EQ(RunCommand(InSrc("/usr/bin/zip -q -0 -P secret ../e.zip a.txt")), 0);
  const std::string bytes = ReadRaw("e.zip");
  TLoadedArchive a(bytes);
  a.Load();
  ASSERT_EQ(a.Count(), 1);
  const TZAZipCentralDir& cd = a.Item(0).CentralDir;
  EXPECT_EQ(cd.genPurposeFlag & ZAFlagEncrypted, ZAFlagEncrypted);
  EXPECT_TRUE(a.Dir().IsEncrypted());
  EXPECT_EQ(a.Item(0).ZAEncryptionAlgorithm, caPkzipClassic);
  TZAZipFileHeader lh;
  lh.ReadFrom(reinterpret_cast<const Byte*>(bytes.data() + cd.relOffsetLH));
  const size_t dataAt = cd.relOffsetLH + 30 + lh.nameLength + lh.extraLength;
  TZipKeyHeader header;
  std::copy(bytes.begin() + static_cast<long>(dataAt), bytes.begin() + static_cast<long>(dataAt) + 12,
            header.begin());
  TZipKey keys;
  ZipKeyInit("secret", keys, header);
  // The check byte: the CRC's high byte, or the time's with a data descriptor.
  const Byte check = (cd.genPurposeFlag & ZAFlagDataDescriptor) ? static_cast<Byte>(cd.lastModTime >> 8)
                                                                 : static_cast<Byte>(cd.crc32 >> 24);
  EXPECT_EQ(header[11], check);
  std::string data = bytes.substr(dataAt + 12, cd.compSize - 12);
  ZipDecryptBuffer(reinterpret_cast<Byte*>(data.data()), static_cast<Int64>(data.size()), keys);
  EXPECT_EQ(data, "hello world\n");

  // What our cipher encrypts, unzip decrypts.
  std::string plain = "our secret text";
  TZipKeyHeader mine{};
  for (int i = 0; i < 11; ++i) mine[static_cast<size_t>(i)] = static_cast<Byte>(17 * i + 3);
  mine[11] = static_cast<Byte>(Crc32Of(plain) >> 24);
  std::string enc(mine.begin(), mine.end());
  enc += plain;
  ZipEncryptKeyInit("pw", keys);
  ZipEncryptBuffer(static_cast<Int64>(enc.size()), 0, reinterpret_cast<Byte*>(enc.data()), keys);
  TRawEntry e{DefaultCentral(), "s.txt"};
  e.cd.genPurposeFlag = ZAFlagEncrypted;
  e.keepSizes = true;
  e.cd.crc32 = Crc32Of(plain);
  e.cd.compSize = static_cast<Cardinal>(enc.size());
  e.cd.unCompSize = static_cast<Cardinal>(plain.size());
  e.data = enc;
  WriteRaw("mine.zip", WriteRawArchive({e}));
  std::string out;
  ASSERT_EQ(RunCommand("/usr/bin/unzip -p -P pw " + ShellQuote(Path("mine.zip")) + " s.txt", &out), 0);
  EXPECT_EQ(out, plain);
}

TEST_F(ZADirManagerPeers, StubsBeforeZipArchives) {
  SK_NEED_PROGRAM("/usr/bin/zip");
  ASSERT_EQ(RunCommand(InSrc("/usr/bin/zip -q -r ../z.zip a.txt empty.txt sub ünï")), 0);
  const std::string stub = "#!/bin/sh\necho self-extracting\nexit 0\n" + std::string(2000, '#');
  WriteRaw("sfx.zip", stub + ReadRaw("z.zip"));
  auto expectHeadersAtOffsets = [&](const std::string& file, Int64 stubSize) {
    const std::string bytes = ReadRaw(file);
    TLoadedArchive a(bytes);
    a.Load();
    EXPECT_EQ(a.Dir().StubSize, stubSize);
    ASSERT_GT(a.Count(), 0);
    for (Int32 i = 0; i < a.Count(); ++i) {
      const size_t at = a.Item(i).CentralDir.relOffsetLH;
      ASSERT_LT(at + 30, bytes.size());
      EXPECT_EQ(bytes.substr(at, 4), "PK\x03\x04") << StringToUtf8(a.Item(i).Name);
      TZAZipFileHeader lh;
      lh.ReadFrom(reinterpret_cast<const Byte*>(bytes.data() + at));
      EXPECT_EQ(Utf8ToString(bytes.substr(at + 30, lh.nameLength)), a.Item(i).Name);
    }
  };
  // Offsets counted from the archive's own start: found and corrected.
  expectHeadersAtOffsets("sfx.zip", static_cast<Int64>(stub.size()));
  // Offsets adjusted by zip -A: left as they are.
  ASSERT_EQ(RunCommand("/usr/bin/zip -q -A " + ShellQuote(Path("sfx.zip"))), 0);
  expectHeadersAtOffsets("sfx.zip", static_cast<Int64>(stub.size()));
}

}  // namespace
}  // namespace sk
