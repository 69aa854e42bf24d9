// Archive names: which file names count as zip files and numbered parts.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "zip/Zip_utils.h"

namespace sk {
namespace {

TEST(Zip_utilsIsAZipFile, ZipExtensionInAnyCase) {
  EXPECT_TRUE(IsAZipFile(u"results.zip"));
  EXPECT_TRUE(IsAZipFile(u"/data/RESULTS.ZIP"));
  EXPECT_TRUE(IsAZipFile(u"x.Zip"));
}

TEST(Zip_utilsIsAZipFile, NumberedParts) {
  EXPECT_TRUE(IsAZipFile(u"results.ZIP3"));
  EXPECT_TRUE(IsAZipFile(u"results.zip0"));
  EXPECT_TRUE(IsAZipFile(u"results.zip12"));
  EXPECT_FALSE(IsAZipFile(u"results.zip-1"));
}

TEST(Zip_utilsIsAZipFile, OtherNames) {
  EXPECT_FALSE(IsAZipFile(u"results.zipper"));
  EXPECT_FALSE(IsAZipFile(u"results"));
  EXPECT_FALSE(IsAZipFile(u""));
  EXPECT_FALSE(IsAZipFile(u"results.zi"));
  EXPECT_FALSE(IsAZipFile(u"results.zip.txt"));
  EXPECT_FALSE(IsAZipFile(u"archive.zip/member.txt"));
  EXPECT_FALSE(IsAZipFile(u"archive.zip\\member"));
  EXPECT_FALSE(IsAZipFile(u"folder.zip/readme"));  // the dot belongs to a folder
  EXPECT_TRUE(IsAZipFile(u".zip"));
}

TEST(Zip_utilsZipFilePlusNumber, NumberAfterTheExtension) {
  EXPECT_EQ(ZipFilePlusNumber(u"a.zip3"), 3);
  EXPECT_EQ(ZipFilePlusNumber(u"a.ZIP0"), 0);
  EXPECT_EQ(ZipFilePlusNumber(u"a.zip"), -1);
  EXPECT_EQ(ZipFilePlusNumber(u"a.zipx"), -1);
  EXPECT_EQ(ZipFilePlusNumber(u"a"), -1);
  EXPECT_EQ(ZipFilePlusNumber(u"a.zip99999999999"), -1);  // too large for an integer
  // Only the length of the zip extension is used, not its letters.
  EXPECT_EQ(ZipFilePlusNumber(u"a.txt12"), 12);
}

}  // namespace
}  // namespace sk

// ---------------------------------------------------------------------------
// Reading, listing and zipping through archives on disk.

#include <cstring>
#include <filesystem>

#include "ArchiverTestSupport.h"
#include "ZipTestSupport.h"
#include "core/Global_vars.h"
#include "core/Qm_global_vars.h"
#include "core/Qm_specific_consts.h"
#include "platform/runtime/DateUtils.h"
#include "platform/runtime/Encoding.h"
#include "platform/runtime/FileSeam.h"
#include "platform/runtime/FileUtils.h"
#include "zip/ZAArchiver.h"

namespace sk {
namespace {

// Keeps the host's zip marker for one scope.
class ScopedZipMarker {
 public:
  explicit ScopedZipMarker(const String& marker) : fOld(global_current_zip_ext_slash) {
    global_current_zip_ext_slash = marker;
  }
  ~ScopedZipMarker() { global_current_zip_ext_slash = fOld; }

 private:
  String fOld;
};

TEST(Zip_utilsMemberPaths, ArchiveAndMemberParts) {
  ScopedZipMarker marker(u"");
  struct Case {
    const char16_t* path;
    const char16_t* archive;
    const char16_t* member;
  } cases[] = {
      {u"/data/results.zip/list1.dat", u"/data/results.zip", u"list1.dat"},
      {u"/data/RESULTS.ZIP/sub/list1.dat", u"/data/RESULTS.ZIP", u"sub/list1.dat"},
      {u"C:\\data\\r.zip\\a\\b.txt", u"C:\\data\\r.zip", u"a\\b.txt"},
      {u"/a.zip\\m/b.zip/c", u"/a.zip", u"m/b.zip/c"},  // the first marker wins
      {u"/data/results.zip", u"", u""},
      {u"/data/results.zipx/a", u"", u""},
      {u"", u"", u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(StringToUtf8(c.path));
    EXPECT_EQ(ZipFileFullFileName(c.path), String(c.archive));
    EXPECT_EQ(ZipFileWantedFileNameWithin(c.path), String(c.member));
  }
}

TEST(Zip_utilsMemberPaths, HostMarkerIsUsedWhenNoZipSeparator) {
  ScopedZipMarker marker(u".arc/");
  EXPECT_EQ(ZipFileFullFileName(u"/d/x.arc/m.txt"), u"/d/x.arc");
  EXPECT_EQ(ZipFileWantedFileNameWithin(u"/d/x.arc/m.txt"), u"m.txt");
  // The marker is compared without folding case.
  EXPECT_EQ(ZipFileWantedFileNameWithin(u"/d/x.ARC/m.txt"), u"");
}

class Zip_utilsFiles : public ScratchFolderTest {
 protected:
  Zip_utilsFiles() : ScratchFolderTest("zip_utils") {}
  void SetUp() override {
    ScratchFolderTest::SetUp();
    StartArchiverUnits();
  }

  // A saved-results member: a 316-byte header with the given signature,
  // then a payload.
  static TBytes SavedMember(Int32 signature, const std::string& payload) {
    TCheckSignature check;
    check.signature = signature;
    check.screen_res = 7;
    TBytes b(sizeof check);
    std::memcpy(b.data(), &check, sizeof check);
    b.insert(b.end(), payload.begin(), payload.end());
    return b;
  }

  String MakeArchive(const std::string& name, const std::vector<std::pair<String, TBytes>>& members) {
    const String file = File(name);
    TZipFile z;
    z.Open(file, zmWrite);
    for (const auto& [n, data] : members) z.Add(data, n);
    z.Close();
    return file;
  }
};

TEST_F(Zip_utilsFiles, SavedResultsHeaderIsTestedInBothForms) {
  const Int32 sig = CurrentSignature[global_current_tool];
  const String zip = MakeArchive("r.zip", {{u"good.dat", SavedMember(sig, "payload")},
                                           {u"short.dat", TBytes(315, 1)},
                                           {u"foreign.dat", SavedMember(sig + 1, "x")},
                                           {u"empty.dat", TBytes{}}});
  struct Case {
    Int32 index;
    const char16_t* name;
    bool ok;
  } cases[] = {{0, u"good.dat", true}, {1, u"short.dat", false}, {2, u"foreign.dat", false},
               {3, u"empty.dat", false}, {4, u"", false},        {-1, u"", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.index);
    TZipArchiver arc;
    arc.FFileName = zip;
    TMemoryStream ms;
    TBoolFilenameAndCheck r = GotOneFromZipToMemoryStream(arc, ms, c.index);
    EXPECT_EQ(r.OK, c.ok);
    EXPECT_EQ(r.filename, String(c.name));
    if (c.ok) {
      EXPECT_EQ(ms.Position(), 316);
      EXPECT_EQ(r.check.screen_res, 7);
    }
    TMyZip z;
    TMemoryStream ms2;
    TBoolFilenameAndCheck r2 = GotOneFromZipToMemoryStream(zip, z, ms2, c.index);
    EXPECT_EQ(r2.OK, c.ok);
    EXPECT_EQ(r2.filename, String(c.name));
    EXPECT_EQ(ms2.Size(), ms.Size());
    EXPECT_EQ(z.Mode(), zmClosed);
    EXPECT_FALSE(arc.GetActive());
  }
}

TEST_F(Zip_utilsFiles, TextsWithAndWithoutByteOrderMarks) {
  const std::string word = "caf\xC3\xA9";
  TBytes utf8 = B("\xEF\xBB\xBF" + word);
  TBytes utf16 = B({0xFF, 0xFE, 'c', 0, 'a', 0, 'f', 0, 0xE9, 0});
  TBytes plain = B(std::string("plain"));
  const String zip = MakeArchive("t.zip", {{u"u8.txt", utf8}, {u"u16.txt", utf16}, {u"plain.txt", plain}});
  struct Case {
    const char16_t* member;
    const char16_t* text;
    TEncoding* encoding;
    Int32 preamble;
  } cases[] = {{u"u8.txt", u"caf\u00E9", TEncoding::UTF8(), 3},
               {u"u16.txt", u"caf\u00E9", TEncoding::Unicode(), 2},
               {u"plain.txt", u"plain", nullptr, 0}};
  TZipArchiver arc;
  arc.FFileName = zip;
  arc.OpenArchive(fmOpenRead);
  for (const Case& c : cases) {
    SCOPED_TRACE(StringToUtf8(c.member));
    TEncoding* enc = nullptr;
    EXPECT_EQ(TextFromZipfile(zip, c.member, enc), String(c.text));
    if (c.encoding != nullptr) {
      EXPECT_EQ(enc->CodePage(), c.encoding->CodePage());
    }
    TEncoding* enc2 = nullptr;
    Int32 preamble = -1;
    EXPECT_EQ(TextFromZipfile(arc, c.member, 0, enc2, preamble), String(c.text) + u" ");
    EXPECT_EQ(preamble, c.preamble);
  }
  TEncoding* enc = nullptr;
  Int32 preamble = 0;
  EXPECT_EQ(TextFromZipfile(zip, u"missing.txt", enc), u"");
  EXPECT_EQ(TextFromZipfile(arc, u"missing.txt", 0, enc, preamble), u"");
  arc.CloseArchive();
}

TEST_F(Zip_utilsFiles, TextsPastTheInflateBoundsAreRefused) {
  const String zip = MakeArchive("big.zip", {{u"sma.txt", TBytes(1, 'x')}, {u"big.txt", TBytes(2u << 20, '\n')}});
  std::string bytes = ReadRaw("big.zip");  // a copy whose big member has the small one's name too
  for (size_t at; (at = bytes.find("big.txt")) != std::string::npos;) bytes.replace(at, 7, "sma.txt");
  WriteRaw("dup.zip", bytes);
  TZipArchiver arc, dup;
  arc.FFileName = zip;
  dup.FFileName = File("dup.zip");
  arc.OpenArchive(fmOpenRead);
  dup.OpenArchive(fmOpenRead);
  TEncoding* enc = nullptr;
  Int32 preamble = 0;
  const TZipInflateBounds saved = zip_InflateBounds;
  for (const TZipInflateBounds& bounds : {TZipInflateBounds{1 << 20, 1 << 20, 0}, {1 << 30, 100, 1 << 20}}) {
    zip_InflateBounds = bounds;  // past the total, then out of proportion to the archive
    EXPECT_THROW(TextFromZipfile(zip, u"big.txt", enc), EZipException);
    EXPECT_THROW(TextFromZipfile(arc, u"big.txt", 0, enc, preamble), EZAException);
    EXPECT_THROW(TextFromZipfile(dup, u"sma.txt", 0, enc, preamble), EZAException);
  }
  zip_InflateBounds = saved;
}

TEST_F(Zip_utilsFiles, SaveAFileWithinZipfileStaysInTheTargetFolder) {
  const String zip = MakeArchive("s.zip", {{u"sub/a.txt", B(std::string("one\r\ntwo\r\n"))},
                                           {u"../evil.txt", B(std::string("x"))},
                                           {u"/abs.txt", B(std::string("x"))},
                                           {u"a/../../evil2.txt", B(std::string("x"))}});
  ASSERT_TRUE(ForceDirectories(File("out")));
  String member;
  TStringAndBooleanRec r = SaveAFileWithinZipfile(zip + u"/sub/a.txt", File("out"), member);
  EXPECT_TRUE(r.OK);
  EXPECT_EQ(member, u"sub/a.txt");
  // A text without a mark is taken as UTF-8 and saved so, with its mark.
  EXPECT_EQ(ReadRaw("out/sub/a.txt"), "\xEF\xBB\xBFone\r\ntwo\r\n");
  for (const char16_t* bad : {u"../evil.txt", u"/abs.txt", u"a/../../evil2.txt"}) {
    SCOPED_TRACE(StringToUtf8(bad));
    String m;
    EXPECT_FALSE(SaveAFileWithinZipfile(zip + u"/" + bad, File("out"), m).OK);
  }
  EXPECT_FALSE(FileExists(File("evil.txt")));
  EXPECT_FALSE(FileExists(File("evil2.txt")));
  EXPECT_FALSE(FileExists(u"/abs.txt"));
  String m;
  EXPECT_FALSE(SaveAFileWithinZipfile(File("nothere.zip") + u"/a.txt", File("out"), m).OK);
  EXPECT_FALSE(SaveAFileWithinZipfile(zip + u"/missing.txt", File("out"), m).OK);
}

TEST_F(Zip_utilsFiles, SaveAFileWithinZipfileWritesNothingThroughALinkBelowTheTarget) {
  const String zip = MakeArchive("l.zip", {{u"sub/a.txt", B(std::string("new"))},
                                           {u"sub/deep/b.txt", B(std::string("new"))},
                                           {u"c.txt", B(std::string("new"))}});
  struct Case {
    const char* member;
    const char* link;      // made below out/, to a folder or file in outside/
    const char* pointsTo;
    bool ok;
  } cases[] = {
      {"sub/a.txt", "sub", "", false},            // a folder of the member's path
      {"sub/deep/b.txt", "sub/deep", "", false},  // a deeper one
      {"c.txt", "c.txt", "c.txt", true},          // the file itself: replaced, not written through
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.member);
    std::filesystem::remove_all(Path("out"));
    ASSERT_TRUE(ForceDirectories(File("out/sub")) && ForceDirectories(File("outside")));
    if (std::string(c.link) == "sub") std::filesystem::remove(Path("out/sub"));
    WriteRaw("outside/c.txt", "keep");
    ASSERT_EQ(::symlink(Path(std::string("outside/") + c.pointsTo).c_str(), Path(std::string("out/") + c.link).c_str()), 0);
    String member;
    EXPECT_EQ(SaveAFileWithinZipfile(zip + u"/" + Utf8ToString(c.member), File("out"), member).OK, c.ok);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Path("outside")), {}), 1);
    EXPECT_EQ(ReadRaw("outside/c.txt"), "keep");
  }
  EXPECT_EQ(ReadRaw("out/c.txt"), "\xEF\xBB\xBFnew\r\n");
}

TEST_F(Zip_utilsFiles, WithinAZipFileOnDisk) {
  ScopedZipMarker marker(u".zip/");
  const String zip = MakeArchive("w.zip", {{u"m.txt", B(std::string("x"))}});
  ASSERT_TRUE(ForceDirectories(File("dir.zip")));
  WriteRaw("dir.zip/real.txt", "x");
  EXPECT_TRUE(IsWithinAZipFile(zip + u"/m.txt"));
  EXPECT_TRUE(IsWithinAZipFile(File("W.ZIP\\m.txt")));
  EXPECT_FALSE(IsWithinAZipFile(File("dir.zip/real.txt")));   // a real file
  EXPECT_FALSE(IsWithinAZipFile(File("dir.zip/absent.txt")));  // the archive part is a folder
  EXPECT_FALSE(IsWithinAZipFile(File("plain/m.txt")));
}

TEST_F(Zip_utilsFiles, IndexAndCountAndDates) {
  std::vector<std::pair<String, TBytes>> members;
  for (int i = 1; i <= 10; ++i) members.push_back({u"f" + IntToStr(i) + u".txt", B(std::string("x"))});
  const String zip = MakeArchive("n.zip", members);
  EXPECT_EQ(IndexOfFileWithinZipFile(zip, u"F10.TXT"), 0);
  EXPECT_EQ(IndexOfFileWithinZipFile(zip, u"f11.txt"), -1);
  EXPECT_EQ(FileCountWithinZip(zip), 10);
  EXPECT_DOUBLE_EQ(DateTimeOfZipItem(0, 0x1234), EncodeDate(1980, 1, 1));
  // 2024-03-15 10:20:30
  const Word date = static_cast<Word>(((2024 - 1980) << 9) | (3 << 5) | 15);
  const Word time = static_cast<Word>((10 << 11) | (20 << 5) | 15);
  EXPECT_NEAR(DateTimeOfZipItem(date, time), EncodeDate(2024, 3, 15) + (10 * 3600 + 20 * 60 + 30) / 86400.0, 1e-9);
}

TEST_F(Zip_utilsFiles, TheTwoListingsAgree) {
  SK_NEED_PROGRAM(kPython);
  WriteRaw("a.txt", "alpha");
  WriteRaw("b.txt", "beta");
  const std::string script =
      "import zipfile,sys\n"
      "with zipfile.ZipFile(sys.argv[1],'w') as z:\n"
      "  z.writestr('plain.txt','1')\n"
      "  z.writestr('dir/\\u00e9t\\u00e9.txt','2')\n"
      "  z.writestr('dir/sub/x.bin','3')\n";
  WriteRaw("mk.py", script);
  ASSERT_EQ(RunCommand(std::string(kPython) + " " + ShellQuote(Path("mk.py")) + " " + ShellQuote(Path("py.zip"))),
            0);
  TStringList files;
  files.Add(File("a.txt"));
  files.Add(File("b.txt"));
  ASSERT_TRUE(ZipASeriesOfFilesTo(files, File("ours.zip"), spNoPath, false));
  std::vector<String> archives = {File("py.zip"), File("ours.zip")};
  if (HasProgram("/usr/bin/zip")) {
    ASSERT_EQ(RunCommand("cd " + ShellQuote(fDir) + " && /usr/bin/zip -q peer.zip a.txt b.txt"), 0);
    archives.push_back(File("peer.zip"));
  }
  for (const String& zip : archives) {
    SCOPED_TRACE(StringToUtf8(zip));
    for (bool withPath : {false, true}) {
      auto sys = FilenamesWithinSystemZipfile(zip, withPath);
      auto eng = FilenamesWithinZipfile(zip, withPath);
      EXPECT_EQ(Lines(*sys), Lines(*eng));
      for (Int32 i = 0; i < eng->Count(); ++i) {
        EXPECT_EQ(reinterpret_cast<intptr_t>(eng->Objects(i)), i + 1);
        EXPECT_EQ(reinterpret_cast<intptr_t>(sys->Objects(i)), i + 1);
      }
      if (withPath && sys->Count() > 0) {
        EXPECT_EQ(sys->Get(0).rfind(zip + u"/", 0), 0u);
      }
    }
  }
  EXPECT_EQ(Lines(*FilenamesWithinZipfile(File("py.zip"), false)),
            (std::vector<String>{u"plain.txt", u"dir/\u00E9t\u00E9.txt", u"dir/sub/x.bin"}));
}

TEST_F(Zip_utilsFiles, ZipASeriesReplacesAndDeletesOnlyStoredSources) {
  WriteRaw("a.txt", "alpha");
  WriteRaw("b.txt", "beta");
  WriteRaw("old.txt", "old");
  TStringList first;
  first.Add(File("old.txt"));
  ASSERT_TRUE(ZipASeriesOfFilesTo(first, File("s.zip"), spNoPath, false));
  TStringList files;
  files.Add(File("a.txt"));
  files.Add(File("b.txt"));
  EXPECT_TRUE(ZipASeriesOfFilesTo(files, File("s.zip"), spNoPath, true));
  EXPECT_EQ(Lines(*FilenamesWithinSystemZipfile(File("s.zip"), false)), (std::vector<String>{u"a.txt", u"b.txt"}));
  EXPECT_FALSE(FileExists(File("a.txt")));
  EXPECT_FALSE(FileExists(File("b.txt")));
  TEncoding* enc = nullptr;
  EXPECT_EQ(TextFromZipfile(File("s.zip"), u"b.txt", enc), u"beta");

  // A source that is not there: false, the other source is stored and none
  // is deleted.
  WriteRaw("c.txt", "gamma");
  TStringList partial;
  partial.Add(File("c.txt"));
  partial.Add(File("missing.txt"));
  EXPECT_FALSE(ZipASeriesOfFilesTo(partial, File("s.zip"), spNoPath, true));
  EXPECT_TRUE(FileExists(File("c.txt")));
  EXPECT_EQ(Lines(*FilenamesWithinSystemZipfile(File("s.zip"), false)), (std::vector<String>{u"c.txt"}));
  // A source replaced after it was read was not stored: it stays, and the
  // answer is false.
  WriteRaw("d.txt", "delta");
  TStringList replaced;
  replaced.Add(File("d.txt"));
  SetFileSeamHook([&](TFileSeamOp op, const std::string& path) {
    if (op == fsoDelete && path == Path("d.txt"))
      WriteRaw("n.txt", "written since"), ::rename(Path("n.txt").c_str(), Path("d.txt").c_str());
    return 0;
  });
  // The sources after it still go.
  WriteRaw("e.txt", "epsilon");
  TStringList both;
  both.Add(File("d.txt"));
  both.Add(File("e.txt"));
  EXPECT_FALSE(ZipASeriesOfFilesTo(both, File("s.zip"), spNoPath, true));
  SetFileSeamHook({});
  EXPECT_EQ(ReadRaw("d.txt"), "written since");
  EXPECT_FALSE(FileExists(File("e.txt")));
  // No temporary archive stays behind.
  TStringList left;
  for (const auto& e : std::filesystem::directory_iterator(fDir)) left.Add(Utf8ToString(e.path().filename().string()));
  EXPECT_EQ(left.Count(), 4);  // s.zip, old.txt, c.txt and d.txt
  // A link or a file planted at the temporary archive's name as it is made
  // is neither written nor removed.
  for (bool link : {true, false}) {
    WriteRaw("victim", "keep");
    std::string planted;
    SetFileSeamHook([&](TFileSeamOp op, const std::string& path) {
      if (op == fsoCreate && planted.empty() && path.ends_with(".tmp")) {
        planted = path;
        std::filesystem::remove(path);
        if (link) std::filesystem::create_symlink(Path("victim"), path);
        if (!link) WriteFileBytes(path, "keep");
      }
      return 0;
    });
    EXPECT_TRUE(ZipASeriesOfFilesTo(replaced, File("s.zip"), spNoPath, false));
    SetFileSeamHook({});
    EXPECT_EQ(ReadFileBytes(planted), "keep");
    EXPECT_EQ(std::filesystem::is_symlink(planted), link);
    EXPECT_EQ(Lines(*FilenamesWithinSystemZipfile(File("s.zip"), false)), (std::vector<String>{u"d.txt"}));
  }
}

}  // namespace
}  // namespace sk

// ---------------------------------------------------------------------------
// Members read within bounds.

#include <fstream>
#include <functional>

#include "zip/File_chunker.h"

namespace sk {
namespace {

// An archive of one deflated member `name`: `prefix`, then `megabytes` MiB
// of zeros, made in no time. The prefix and one mebibyte of zeros are each
// deflated with a full flush (which leaves the compressor as it started), the
// mebibyte's block is repeated and an empty final block ends the data.
std::string ZerosArchive(const std::string& name, Int64 megabytes, const std::string& prefix = {}) {
  const std::string zeros(1 << 20, '\0');
  z_stream zs{};
  deflateInit2(&zs, 9, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY);
  auto deflated = [&zs](const std::string& in, int flush) {
    std::string out(in.size() + 4096, '\0');
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    zs.avail_in = static_cast<uInt>(in.size());
    zs.next_out = reinterpret_cast<Bytef*>(out.data());
    zs.avail_out = static_cast<uInt>(out.size());
    deflate(&zs, flush);
    out.resize(out.size() - zs.avail_out);
    return out;
  };
  std::string data = deflated(prefix, Z_FULL_FLUSH);
  const std::string block = deflated(zeros, Z_FULL_FLUSH), tail = deflated({}, Z_FINISH);
  deflateEnd(&zs);
  const uLong one = crc32(0, reinterpret_cast<const Bytef*>(zeros.data()), 1 << 20);
  uLong crc = crc32(0, reinterpret_cast<const Bytef*>(prefix.data()), static_cast<uInt>(prefix.size()));
  for (Int64 i = 0; i < megabytes; ++i, crc = crc32_combine(crc, one, 1 << 20)) data += block;
  TZAZipCentralDir cd = DefaultCentral();
  cd.compMethod = 8;
  cd.crc32 = static_cast<Cardinal>(crc);
  cd.compSize = static_cast<Cardinal>(data.size() + tail.size());
  cd.unCompSize = static_cast<Cardinal>(prefix.size() + (static_cast<UInt64>(megabytes) << 20));
  TRawEntry e(cd, name, {}, {}, data + tail);
  e.keepSizes = true;
  return WriteRawArchive({e});
}

// What work run in a forked child came to: its peak resident memory above
// what the child held when the work started (-1 where the system keeps no
// resettable record of the peak), and the text of the exception that ended it.
struct TPeakOutcome {
  Int64 peakBytes = -1;
  std::string error;
};

// A bound on peak memory as it stands in a build with the address sanitizer,
// whose allocations carry shadow memory and red zones, and whose allocator
// in the measuring child may reuse chunks the parent freed into quarantine
// (each page so touched is copied and counts as the child's): how much
// depends on the build's layout, some 13 to 29 MB for a few megabytes read.
Int64 PeakBound(Int64 bytes) {
#if defined(__SANITIZE_ADDRESS__)
  return bytes + bytes / 4 + (Int64{24} << 20);
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
  return bytes + bytes / 4 + (Int64{24} << 20);
#endif
#endif
  return bytes;
}

TPeakOutcome PeakMemoryOf(const std::function<void()>& work) {
  auto kib = [](const std::string& field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
      if (line.rfind(field, 0) == 0) return std::stoll(line.substr(field.size()));
    return -1LL;
  };
  int fds[2];
  if (::pipe(fds) != 0) return {};
  const pid_t child = InChild([&] {
    std::ofstream("/proc/self/clear_refs") << "5";  // resets the record of the peak
    const long long before = kib("VmRSS:"), reset = kib("VmHWM:");
    std::string error;
    try {
      work();
    } catch (const std::exception& e) {
      error = e.what();
    }
    const long long peak = reset > before + 1024 ? -1 : (kib("VmHWM:") - before) * 1024;
    const std::string report = std::to_string(peak) + "\n" + error;
    return ::write(fds[1], report.data(), report.size()) < 0;
  });
  ::close(fds[1]);
  std::string report;
  char buf[4096];
  for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;) report.append(buf, static_cast<size_t>(n));
  ::close(fds[0]);
  EndOf(child);
  const size_t nl = report.find('\n');
  if (nl == std::string::npos) return {};
  return {std::stoll(report.substr(0, nl)), report.substr(nl + 1)};
}

using Zip_utilsBounds = Zip_utilsFiles;

TEST_F(Zip_utilsBounds, EveryMemberReaderRefusesAGibibyteMemberOfASmallArchive) {
  WriteRaw("bomb.zip", ZerosArchive("bomb.dat", 1024));
  const String zip = File("bomb.zip");
  // The archive as a chunk set of the zip option: split as it is, then flagged.
  for (const char* d : {"set", "out", "work"}) std::filesystem::create_directories(Path(d));
  TFileChunker c;
  c.SetSourcename(zip);
  c.SetDirCreating(File("set"));
  c.SetChunkSize(64 << 20);
  ASSERT_EQ(c.MakeChunkFiles(), 1);
  std::string first = ReadRaw("set/chunk 1 of 1.tmp");
  first[4 + 2 * zip.size()] = 1;
  WriteRaw("set/chunk 1 of 1.tmp", first);
  TEncoding* enc = nullptr;
  Int32 preamble = 0;
  TMemoryStream ms;
  TZipArchiver arc;
  arc.FFileName = zip;
  TMyZip z;
  const std::pair<const char*, std::function<void()>> cases[] = {
      {"too large", [&] { GotOneFromZipToMemoryStream(arc, ms, 0); }},
      {"out of proportion", [&] { GotOneFromZipToMemoryStream(zip, z, ms, 0); }},
      {"out of proportion", [&] { z.Open(zip, zmRead), z.ExtractToStream(0, &ms); }},
      {"out of proportion", [&] { z.Open(zip, zmRead), z.ExtractToStream(u"bomb.dat", &ms); }},
      {"out of proportion", [&] { TextFromZipfile(zip, u"bomb.dat", enc); }},
      {"too large", [&] { arc.OpenArchive(fmOpenRead), TextFromZipfile(arc, u"bomb.dat", 0, enc, preamble); }},
      {"too large", [&] {
         TFileChunker r;
         r.SetSourcename(File("set/chunk 1 of 1.tmp"));
         r.SetDirRestoring(File("out"));
         r.SetDirWorking(File("work"));
         r.RestoreAllChunks();
       }},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    const auto& [says, read] = cases[i];
    const TPeakOutcome r = PeakMemoryOf(read);
    EXPECT_NE(r.error.find(says), std::string::npos) << r.error;
    EXPECT_LT(r.peakBytes, PeakBound(Int64{64} << 20));
  }
  EXPECT_TRUE(std::filesystem::is_empty(Path("out")) && std::filesystem::is_empty(Path("work")));
}

TEST_F(Zip_utilsBounds, ASavedResultsHeaderIsTestedBeforeTheRestIsInflated) {
  const Int32 sig = CurrentSignature[global_current_tool];
  constexpr Int64 kMiB = 48;  // below the bounds' free allowance
  WriteRaw("own.zip", ZerosArchive("own.dat", kMiB, AsString(SavedMember(sig, ""))));
  WriteRaw("foreign.zip", ZerosArchive("foreign.dat", kMiB, AsString(SavedMember(sig + 1, ""))));
  for (const bool ok : {true, false}) {
    for (const bool engine : {true, false}) {
      SCOPED_TRACE(std::to_string(ok) + std::to_string(engine));
      const String zip = File(ok ? "own.zip" : "foreign.zip");
      TMemoryStream ms;
      auto read = [&] {
        TZipArchiver arc;
        arc.FFileName = zip;
        TMyZip z;
        return engine ? GotOneFromZipToMemoryStream(arc, ms, 0) : GotOneFromZipToMemoryStream(zip, z, ms, 0);
      };
      const TPeakOutcome peak = PeakMemoryOf([&] { read(); });
      EXPECT_EQ(read().OK, ok);
      EXPECT_EQ(ms.Position(), 316);
      EXPECT_EQ(ms.Size(), ok ? 316 + (kMiB << 20) : 316);
      // A foreign member stops after its first piece; one of the tool's is read whole.
      EXPECT_LT(peak.peakBytes, PeakBound(ok ? (kMiB << 20) * 5 / 2 : Int64{8} << 20));
    }
  }
}

TEST_F(Zip_utilsBounds, TextFromZipfileTakesTheTextAndOneMemberBuffer) {
  const std::string line = "A line of the corpus text, long enough to be a line\r\n";
  const Int64 n = static_cast<Int64>((32u << 20) / line.size() * line.size());
  TBytes text;
  while (static_cast<Int64>(text.size()) < n) text.insert(text.end(), line.begin(), line.end());
  const String zip = MakeArchive("text.zip", {{u"text.txt", text}});
  TBytes().swap(text);
  const std::pair<Int64, std::function<String()>> forms[] = {
      {n,
       [&] {
         TEncoding* enc = nullptr;
         return TextFromZipfile(zip, u"text.txt", enc);
       }},
      {n + 1, [&] {
        TZipArchiver arc;
        arc.FFileName = zip;
        arc.OpenArchive(fmOpenRead);
        TEncoding* enc = nullptr;
        Int32 preamble = 0;
        return TextFromZipfile(arc, u"text.txt", 0, enc, preamble);
      }},
  };
  for (const auto& form : forms) {
    const TPeakOutcome peak = PeakMemoryOf([&] {
      if (static_cast<Int64>(form.second().size()) != form.first) throw Exception(u"wrong text");
    });
    EXPECT_EQ(peak.error, "");
    // The text in UTF-16 (2n) and the member's bytes (n), and little more.
    EXPECT_LT(peak.peakBytes, PeakBound(3 * n + n / 4 + (Int64{8} << 20)));
  }
}

TEST_F(Zip_utilsBounds, AZip64EntryWithoutItsExtraFieldIsADamagedArchive) {
  // Sizes or offset left to a zip64 block that is not there; the engine finds
  // an offset in the local header again, when only the directory lacks it.
  const struct {
    Cardinal compSize, unCompSize, offset;
    bool engineFindsIt;
  } cases[] = {{0xFFFFFFFFu, 0xFFFFFFFFu, 0, false}, {5, 0xFFFFFFFFu, 0, false}, {5, 5, 0xFFFFFFFFu, true}};
  for (const auto& c : cases) {
    TZAZipCentralDir cd = DefaultCentral();
    cd.crc32 = Crc32Of("hello");
    cd.compSize = c.compSize, cd.unCompSize = c.unCompSize, cd.relOffsetLH = c.offset;
    TRawEntry e(cd, "z.txt", {}, {}, "hello");
    e.keepSizes = e.keepOffset = true;
    WriteRaw("z64.zip", WriteRawArchive({TRawEntry(DefaultCentral(), "first.txt", {}, {}, "first"), e}));
    const String zip = File("z64.zip");
    TMemoryStream ms;
    TEncoding* enc = nullptr;
    Int32 preamble = 0;
    TZipArchiver arc;
    arc.FFileName = zip;
    TMyZip z;
    const std::pair<bool, std::function<String()>> readers[] = {
        {true, [&] { return GotOneFromZipToMemoryStream(arc, ms, 1).filename + u" "; }},
        {false, [&] { return GotOneFromZipToMemoryStream(zip, z, ms, 1).filename + u" "; }},
        {false, [&] { return TextFromZipfile(zip, u"z.txt", enc); }},
        {true, [&] { return arc.OpenArchive(fmOpenRead), TextFromZipfile(arc, u"z.txt", 0, enc, preamble); }},
    };
    for (const auto& [engine, read] : readers) {
      SCOPED_TRACE(std::to_string(c.offset) + std::to_string(engine));
      try {
        const String got = read();
        EXPECT_TRUE(engine && c.engineFindsIt);
        EXPECT_TRUE(got == u"hello " || got == u"z.txt ") << StringToUtf8(got);
      } catch (const Exception& x) {
        EXPECT_FALSE(engine && c.engineFindsIt);
        EXPECT_NE(x.Message().find(u"damaged"), String::npos) << StringToUtf8(x.Message());
      }
      if (arc.GetActive()) arc.CloseArchive();
    }
  }
}

// A series kept in folders (relative to the current folder, or full paths)
// answers as one without folders: true when every file went in, and only then
// are the sources deleted; a file that cannot go in leaves every source.
TEST_F(Zip_utilsFiles, ASeriesKeptInFoldersAnswersForEveryFile) {
  SK_NEED_PROGRAM(kPython);
  const std::vector<std::string> names = {"top.txt", "sub/a\\b.txt", "sub/deep/b.txt"};
  const std::string full = fDir.substr(1) + "/series/";
  const struct {
    TZAStorePathMode mode;
    bool relativeLines, deleteSources, missing;
    std::string stored;  // the names the archive holds, as python lists them
  } cases[] = {
      {spNoPath, false, true, false, "top.txt a\\b.txt b.txt"},
      {spRelativePath, true, false, false, "top.txt sub/a\\b.txt sub/deep/b.txt"},
      {spRelativePath, false, true, false, "top.txt sub/a\\b.txt sub/deep/b.txt"},
      {spFullPath, false, false, false, full + "top.txt " + full + "sub/a\\b.txt " + full + "sub/deep/b.txt"},
      {spFullPath, true, true, false, full + "top.txt " + full + "sub/a\\b.txt " + full + "sub/deep/b.txt"},
      {spRelativePath, false, true, true, "top.txt sub/a\\b.txt sub/deep/b.txt"},
  };
  WriteRaw("list.py",
           "import zipfile,sys\nz=zipfile.ZipFile(sys.argv[1])\n"
           "print(' '.join(sorted(z.namelist(),key=lambda n:n.count('/'))),all(z.read(n)==n.split('/')[-1].encode()"
           " for n in z.namelist()),z.testzip())\n");
  const String here = GetCurrentDir();
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.mode) + std::to_string(c.relativeLines) + std::to_string(c.deleteSources) +
                 std::to_string(c.missing));
    std::filesystem::remove_all(Path("series"));
    std::filesystem::create_directories(Path("series/sub/deep"));
    TStringList files;
    for (const std::string& n : names) {
      WriteRaw("series/" + n, n.substr(n.rfind('/') + 1));
      // A backslash in a relative line separates folders, as in a mask.
      files.Add(c.relativeLines && n.find('\\') == std::string::npos ? Utf8ToString(n) : File("series/" + n));
    }
    if (c.missing) files.Add(File("series/sub/missing.txt"));
    ASSERT_TRUE(SetCurrentDir(File("series")));
    const bool answer = ZipASeriesOfFilesTo(files, File("s.zip"), c.mode, c.deleteSources);
    SetCurrentDir(here);
    EXPECT_EQ(answer, !c.missing);
    std::string listed;
    RunCommand(std::string(kPython) + " " + ShellQuote(Path("list.py")) + " " + ShellQuote(Path("s.zip")), &listed);
    EXPECT_EQ(listed, c.stored + " True None\n");
    for (const std::string& n : names) EXPECT_EQ(FileExists(File("series/" + n)), !c.deleteSources || c.missing) << n;
  }
}

// A source written to by another program after its bytes were read, before
// the series ends (appended to, or rewritten in place at its size), is not
// what the archive holds: it stays with its new bytes and the answer is
// false. Written as the archive is moved in, every source stays; written as
// that source is about to go, it stays and the ones after it go.
TEST_F(Zip_utilsFiles, ASourceWrittenToAfterItsReadStays) {
  const struct {
    TZAStorePathMode mode;
    bool append, atDelete;
  } cases[] = {
      {spNoPath, true, false},       {spNoPath, false, true},  {spRelativePath, false, false},
      {spRelativePath, true, true}, {spFullPath, true, false}, {spFullPath, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.mode) + std::to_string(c.append) + std::to_string(c.atDelete));
    WriteRaw("a.txt", "first file");
    WriteRaw("b.txt", "second file");
    TStringList files;
    files.Add(File("a.txt"));
    files.Add(File("b.txt"));
    int writer = -1;
    SetFileSeamHook([&](TFileSeamOp op, const std::string& path) {
      if (writer == -1 && (c.atDelete ? op == fsoDelete && path == Path("a.txt") : op == fsoRename))
        writer = WriteFromAnotherProcess(Path("a.txt"), c.append);
      return 0;
    });
    EXPECT_FALSE(ZipASeriesOfFilesTo(files, File("s.zip"), c.mode, true));
    SetFileSeamHook({});
    EXPECT_EQ(writer, 0);
    EXPECT_EQ(ReadRaw("a.txt"), c.append ? "first fileCHANGED" : "CHANGEDile");
    EXPECT_EQ(FileExists(File("b.txt")), !c.atDelete);
  }
}

// Removing one name of a file is the series' own change, not another
// program's: a write to the file after its first name went still keeps its
// second name, with the new bytes, and the answer is false.
TEST_F(Zip_utilsFiles, ASecondNameWrittenToAfterTheFirstWentStays) {
  for (const TZAStorePathMode mode : {spNoPath, spRelativePath, spFullPath})
    for (const bool append : {true, false}) {
      SCOPED_TRACE(std::to_string(mode) + std::to_string(append));
      std::filesystem::remove(Path("b.txt"));
      WriteRaw("a.txt", "first file");
      std::filesystem::create_hard_link(Path("a.txt"), Path("b.txt"));
      TStringList files;
      files.Add(File("a.txt"));
      files.Add(File("b.txt"));
      int writer = -1;
      SetFileSeamHook([&](TFileSeamOp op, const std::string& path) {
        if (writer == -1 && op == fsoDelete && path == Path("b.txt"))
          writer = WriteFromAnotherProcess(Path("b.txt"), append);
        return 0;
      });
      EXPECT_FALSE(ZipASeriesOfFilesTo(files, File("s.zip"), mode, true));
      SetFileSeamHook({});
      EXPECT_EQ(writer, 0);
      EXPECT_FALSE(FileExists(File("a.txt")));
      EXPECT_EQ(ReadRaw("b.txt"), append ? "first fileCHANGED" : "CHANGEDile");
    }
}

// Every line of a series is the file it names, however it is spelled: a
// link, a folder or no file answers false and no source is deleted; lines
// spelled with "//" or "./" answer true and every source goes.
TEST_F(Zip_utilsFiles, EveryLineOfASeriesIsTheFileItNames) {
  const struct {
    const char* line;
    bool answer;
  } cases[] = {
      {"d/link.txt", false}, {"d/e", false}, {"d//e/b.txt", true}, {"d/e/./b.txt", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    std::filesystem::remove_all(Path("d"));
    std::filesystem::create_directories(Path("d/e"));
    WriteRaw("d/a.txt", "alpha");
    WriteRaw("d/e/b.txt", "beta");
    std::filesystem::create_symlink("e/b.txt", Path("d/link.txt"));
    TStringList files;
    files.Add(u"d/a.txt");
    files.Add(Utf8ToString(c.line));
    const String here = GetCurrentDir();
    ASSERT_TRUE(SetCurrentDir(Utf8ToString(fDir)));
    const bool answer = ZipASeriesOfFilesTo(files, File("s.zip"), spNoPath, true);
    SetCurrentDir(here);
    EXPECT_EQ(answer, c.answer);
    EXPECT_EQ(FileExists(File("d/a.txt")), !c.answer);
    EXPECT_EQ(FileExists(File("d/e/b.txt")), !c.answer);
  }
}

}  // namespace
}  // namespace sk
