// Interoperability with other zip tools, both ways. Each check runs only when
// the tool is installed (unzip, zip, Python's zipfile, 7zz, bsdtar) and is
// skipped otherwise.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <set>

#include "ArchiverTestSupport.h"
#include "TestSupport.h"
#include "ZipTestSupport.h"
#include "platform/runtime/CodePages.h"
#include "platform/runtime/ZipReader.h"
#include "zip/ZADirManager.h"
#include "zip/Zip_utils.h"

namespace sk {
namespace {

constexpr const char* kUnzip = "/usr/bin/unzip";
constexpr const char* kZip = "/usr/bin/zip";
constexpr const char* k7zz = "/usr/bin/7zz";
constexpr const char* kBsdtar = "/usr/bin/bsdtar";

class ZAInterop : public ScratchFolderTest {
 protected:
  ZAInterop() : ScratchFolderTest("sk_interop") {}
  void SetUp() override {
    ScratchFolderTest::SetUp();
    StartArchiverUnits();
  }
  std::string Q(const std::string& n) const { return ShellQuote(Path(n)); }
  // A tree of files to archive: text, an empty file, a UTF-8 name, a folder.
  void Tree() {
    ::mkdir(Path("tree").c_str(), 0777);
    ::mkdir(Path("tree/sub").c_str(), 0777);
    std::string text;
    for (int i = 0; i < 400; ++i) text += "line " + std::to_string(i) + " of a text that repeats\n";
    WriteRaw("tree/text.txt", text);
    WriteRaw("tree/empty.txt", "");
    WriteRaw("tree/sub/na\xc3\xafve.txt", "a UTF-8 name");
    std::string bin(5000, '\0');
    for (size_t i = 0; i < bin.size(); ++i) bin[i] = static_cast<char>((i * 2654435761u) >> 11);
    WriteRaw("tree/sub/bin.dat", bin);
  }
  void Archive(const std::string& name, Byte mode, const AnsiString& password, TZACryptoAlgorithm algorithm,
               TZip64Mode zip64) {
    TZipArchiver zip;
    zip.FFileName = File(name);
    zip.OpenArchive();
    zip.SetCompressionMode(mode);
    zip.SetZip64Mode(zip64);
    zip.SetEncryptionMethod(algorithm);
    zip.SetPassword(password);
    zip.FBaseDir = File("tree");
    zip.AddFiles(u"*", 0x28BF, String());
  }
  // Extracts every entry with our archiver into out/ and compares with tree/.
  void ExtractAndCompare(const std::string& name, const AnsiString& password) {
    RunCommand("rm -rf " + Q("out"));
    TZipArchiver zip;
    zip.FFileName = File(name);
    zip.OpenArchive();
    zip.SetPassword(password);
    zip.FSuppressPasswordEvent = true;
    zip.FBaseDir = File("out");
    std::vector<Int32> failures;
    zip.OnProcessFileFailure = [&failures](TObject*, const String&, TZAProcessOperation, Int32 native, Int32,
                                           const String&, TZAAction& action) {
      failures.push_back(native);
      action = fxaIgnore;
    };
    zip.ExtractFiles(u"*", 0x28BF, String());
    EXPECT_TRUE(failures.empty()) << name;
    EXPECT_EQ(RunCommand("diff -r " + Q("tree") + " " + Q("out")), 0) << name;
  }
};

TEST_F(ZAInterop, OursPassTheOtherTools) {
  Tree();
  struct Case {
    const char* name;
    Byte mode;
    AnsiString password;
    TZACryptoAlgorithm algorithm;
    TZip64Mode zip64;
  };
  const Case cases[] = {
      {"stored.zip", 0, "", caPkzipClassic, zmDisabled},   {"fast.zip", 1, "", caPkzipClassic, zmDisabled},
      {"normal.zip", 6, "", caPkzipClassic, zmDisabled},   {"max.zip", 9, "", caPkzipClassic, zmDisabled},
      {"trad.zip", 6, "pw", caPkzipClassic, zmDisabled},   {"aes128.zip", 6, "pw", caAES_128, zmDisabled},
      {"aes192.zip", 6, "pw", caAES_192, zmDisabled},      {"aes256.zip", 6, "pw", caAES_256, zmDisabled},
      {"always.zip", 6, "", caPkzipClassic, zmAlways},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Archive(c.name, c.mode, c.password, c.algorithm, c.zip64);
    const bool aes = c.algorithm != caPkzipClassic;
    if (!aes && HasProgram(kUnzip)) {
      EXPECT_EQ(RunCommand(std::string(kUnzip) + " -t -P pw " + Q(c.name)), 0);
    }
    if (!aes && c.password.empty() && HasProgram(kPython)) {
      EXPECT_EQ(RunCommand(std::string(kPython) + " -c \"import zipfile,sys; sys.exit(zipfile.ZipFile(sys.argv[1]).testzip() is not None)\" " + Q(c.name)), 0);
    }
    if (HasProgram(k7zz)) {
      EXPECT_EQ(RunCommand(std::string(k7zz) + " t -ppw " + Q(c.name)), 0);
    }
    if (HasProgram(kBsdtar)) {
      EXPECT_EQ(RunCommand(std::string(kBsdtar) + " --passphrase pw -xOf " + Q(c.name) + " > /dev/null"), 0);
    }
    ExtractAndCompare(c.name, c.password);
  }
}

TEST_F(ZAInterop, SixtyFiveThousandEntriesPassUnzip) {
  SK_NEED_PROGRAM(kUnzip);
  TZipArchiver zip;
  zip.FFileName = File("many.zip");
  zip.OpenArchive();
  zip.SetZip64Mode(zmAuto);
  zip.SetCompressionMode(0);
  zip.BeginUpdate();
  for (int i = 0; i < 65535; ++i) zip.AddFromString(Utf8ToString("f" + std::to_string(i)), u"", 0x20, 45000);
  zip.EndUpdate();
  zip.CloseArchive();
  EXPECT_EQ(RunCommand(std::string(kUnzip) + " -tq " + Q("many.zip")), 0);
  zip.OpenArchive();
  EXPECT_EQ(zip.GetFileCount(), 65535);
}

TEST_F(ZAInterop, TheirsExtractWithUsIdentically) {
  Tree();
  if (HasProgram(kZip)) {
    ASSERT_EQ(RunCommand("cd " + Q("tree") + " && " + kZip + " -q -r ../byzip.zip ."), 0);
    ExtractAndCompare("byzip.zip", "");
    ASSERT_EQ(RunCommand("cd " + Q("tree") + " && " + kZip + " -q -r -P pw ../byzippw.zip ."), 0);
    ExtractAndCompare("byzippw.zip", "pw");
  }
  if (HasProgram(kPython)) {
    // Stored, deflated and zip64 entries, and data descriptors (a pipe).
    const std::string script =
        "import zipfile,sys,os\n"
        "root=sys.argv[1]\n"
        "name,mode=sys.argv[2],(zipfile.ZIP_STORED if sys.argv[3]=='0' else zipfile.ZIP_DEFLATED)\n"
        "if True:\n"
        "  z=zipfile.ZipFile(sys.stdout.buffer,'w',mode)\n"
        "  for d,_,fs in os.walk(root):\n"
        "    for f in fs:\n"
        "      p=os.path.join(d,f); a=os.path.relpath(p,root)\n"
        "      with open(p,'rb') as src, z.open(a,'w',force_zip64=(name!='pystored.zip')) as dst: dst.write(src.read())\n"
        "  z.close()\n";
    WriteRaw("make.py", script);
    // Written through a pipe, the archive gets data descriptors.
    for (const char* args : {"pystored.zip 0 > ", "pydeflate.zip 8 > ", "pypipe.zip 8 | cat > "}) {
      const std::string a = args;
      const std::string name = a.substr(0, a.find(' '));
      ASSERT_EQ(RunCommand(std::string(kPython) + " " + Q("make.py") + " " + Q("tree") + " " + a + Q(name)), 0);
    }
    EXPECT_NE(ReadRaw("pypipe.zip")[6] & 8, 0);
    for (const char* n : {"pystored.zip", "pydeflate.zip", "pypipe.zip"}) ExtractAndCompare(n, "");
  }
  if (HasProgram(k7zz)) {
    ASSERT_EQ(RunCommand("cd " + Q("tree") + " && " + k7zz + " a -tzip -mem=AES256 -ppw ../by7z.zip . > /dev/null"), 0);
    ExtractAndCompare("by7z.zip", "pw");
  }
  if (HasProgram(kBsdtar)) {
    ASSERT_EQ(RunCommand("cd " + Q("tree") + " && " + kBsdtar +
                         " --format zip --options zip:encryption=aes256 --passphrase pw -cf ../bytar.zip ."),
              0);
    ExtractAndCompare("bytar.zip", "pw");
  }
}

// Files whose names are not UTF-8 (Shift-JIS, Latin-1, bytes that are no
// text), two of each differing only in those bytes, in folders so named too,
// beside a UTF-8 name: each its own entry, listed and extracted under its own
// bytes with its own content, by us and by the other tools, none failed.
TEST_F(ZAInterop, NamesThatAreNotUTF8StayApartWithTheirBytes) {
  const std::set<std::string> files = {"\x93\x8c\x8b\x9e.txt", "\x91\xe5\x8d\xe3.txt", "caf\xe9.txt", "caf\xe8.txt",
                                       "caf\xc3\xa9.txt",      "x\x80\xfe.txt",        "x\xfe\x80.txt", "d\xe9/a.txt",
                                       "d\xe8/a.txt",          "d\xe9/caf\xe9.txt",    "d\xe8/caf\xe9.txt"};
  for (const char* d : {"names", "names/d\xe9", "names/d\xe8"}) ::mkdir(Path(d).c_str(), 0777);
  for (const std::string& f : files) WriteRaw("names/" + f, "content of " + f);
  Int32 failed = 0;
  TZipArchiver zip;
  zip.FFileName = File("names.zip");
  zip.OnProcessFileFailure = [&failed](TObject*, const String&, TZAProcessOperation, Int32, Int32, const String&,
                                       TZAAction& action) { ++failed, action = fxaIgnore; };
  zip.OpenArchive();
  zip.FBaseDir = File("names");
  zip.AddFiles(u"*", 0x28BF, String());
  zip.OpenArchive();
  std::set<std::string> listed;
  TZAArchiveItem item;
  for (bool found = zip.FindFirst(u"*", item, 0x28BF, String()); found; found = zip.FindNext(item))
    if ((item.ExternalFileAttributes & faDirectory) == 0)
      listed.insert(StringToSystemName(StringReplace(item.StoredPath, u"\\", u"/", rfReplaceAll) + item.FileName));
  EXPECT_EQ(listed, files);
  zip.FBaseDir = File("out");
  zip.ExtractFiles(u"*", 0x28BF, String());
  EXPECT_EQ(failed, 0);
  EXPECT_EQ(RunCommand("diff -r " + Q("names") + " " + Q("out")), 0);
  // The platform reader lists the same members under the same names as the
  // engine (which passes over folders), and finds each by that name.
  zip.CloseArchive();
  auto members = [&](std::unique_ptr<TStringList> list) {
    std::vector<String> r;
    for (Int32 i = 0; i < list->Count(); ++i)
      if (list->Strings(i).back() != u'/') r.push_back(list->Strings(i));
    return r;
  };
  const std::vector<String> system = members(FilenamesWithinSystemZipfile(File("names.zip"), false));
  ASSERT_EQ(system, members(FilenamesWithinZipfile(File("names.zip"), false)));
  TZipFile reader;
  reader.Open(File("names.zip"), zmRead);
  for (const String& name : system) {
    TBytes bytes;
    reader.Read(name, bytes);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "content of " + StringToSystemName(name));
  }
  reader.Close();
  // A name without the UTF-8 flag reads as code page 437, one character a byte.
  WriteRaw("names.py",
           "import zipfile,sys\nz=zipfile.ZipFile(sys.argv[1])\nfs=[i for i in z.infolist() if i.filename[-1]!='/']\n"
           "raw=[i.filename.encode('utf-8' if i.flag_bits&0x800 else 'cp437') for i in fs]\n"
           "assert len(set(raw))==11 and all(z.read(i)==b'content of '+r for i,r in zip(fs,raw))\n");
  if (HasProgram(kPython)) {
    EXPECT_EQ(RunCommand(std::string(kPython) + " " + Q("names.py") + " " + Q("names.zip")), 0);
  }
  if (HasProgram(kUnzip)) {
    EXPECT_EQ(RunCommand("rm -rf " + Q("out") + " && " + kUnzip + " -q " + Q("names.zip") + " -d " + Q("out")), 0);
    EXPECT_EQ(RunCommand("diff -r " + Q("names") + " " + Q("out")), 0);
  }
  if (HasProgram(k7zz)) {
    EXPECT_EQ(RunCommand(std::string(k7zz) + " t " + Q("names.zip")), 0);
  }
}

// Byte 0x5C, the backslash, is part of a name from the system: Shift-JIS
// puts it second in many characters (ソ, 表, 十, 予), and Linux allows it in
// any name. A file and a folder whose names would meet were the byte a
// separator (表紙.txt beside 表/紙.txt, a\b.txt beside a/b.txt) stay two
// entries with our writer (plain, with OEM names and zip64, split) and with
// Linux zip's, and come back under their own bytes: listed by the engine and
// the platform reader, extracted, read by Python, renamed and updated. An
// archive from an MS-DOS host keeps its backslashes as folder separators.
TEST_F(ZAInterop, ABackslashByteInANameFromTheSystemIsPartOfIt) {
  const std::set<std::string> files = {"\x95\\\x8e\x86.txt", "\x95\\/\x8e\x86.txt", "\x83\\\x81[\x83X.txt",
                                       "\x8f\\/\x97\\.txt",   "a\\b.txt",             "a/b.txt",
                                       "\\lead.txt",          "tail\\"};
  for (const char* d : {"names", "names/\x95\\", "names/\x8f\\", "names/a"}) ::mkdir(Path(d).c_str(), 0777);
  for (const std::string& f : files) WriteRaw("names/" + f, "content of " + f);
  // The name the engine gives bytes from the system: a backslash among them
  // is held apart from the separators.
  auto name = [](const std::string& bytes) {
    String s = SystemNameToString(bytes);
    std::replace(s.begin(), s.end(), u'\\', Char(0xDC5C));
    return s;
  };
  Int32 failed = 0;
  auto open = [&](TZipArchiver& zip, const std::string& archive) {
    zip.FFileName = File(archive);
    zip.OnProcessFileFailure = [&failed](TObject*, const String&, TZAProcessOperation, Int32, Int32, const String&,
                                         TZAAction& action) { ++failed, action = fxaIgnore; };
    zip.OpenArchive();
  };
  // What an archive holds, as the engine and as the platform reader list it
  // (files only), and what each file extracts to, compared with the tree.
  auto check = [&](const std::string& archive, const std::set<std::string>& expected, const std::string& tree,
                   bool platform = true) {
    SCOPED_TRACE(archive);
    failed = 0;
    TZipArchiver zip;
    open(zip, archive);
    std::set<std::string> listed;
    TZAArchiveItem item;
    for (bool found = zip.FindFirst(u"*", item, 0x28BF, String()); found; found = zip.FindNext(item))
      if ((item.ExternalFileAttributes & faDirectory) == 0)
        listed.insert(StringToSystemName(StringReplace(item.StoredPath, u"\\", u"/", rfReplaceAll) + item.FileName));
    EXPECT_EQ(listed, expected);
    RunCommand("rm -rf " + Q("out"));
    zip.FBaseDir = File("out");
    zip.ExtractFiles(u"*", 0x28BF, String());
    EXPECT_EQ(failed, 0);
    EXPECT_EQ(RunCommand("diff -r " + Q(tree) + " " + Q("out")), 0);
    zip.CloseArchive();
    if (!platform) return;
    std::set<std::string> system;
    TZipFile reader;
    reader.Open(File(archive), zmRead);
    for (const String& member : reader.FileNames()) {
      if (member.back() == u'/') continue;
      system.insert(StringToSystemName(StringReplace(member, u"\\", u"/", rfReplaceAll)));
      TBytes bytes;
      reader.Read(member, bytes);
      EXPECT_EQ(std::string(bytes.begin(), bytes.end()), ReadRaw(tree + "/" + StringToSystemName(StringReplace(member, u"\\", u"/", rfReplaceAll))));
    }
    reader.Close();
    EXPECT_EQ(system, expected);
  };
  WriteRaw("names.py",
           "import zipfile,sys\nz=zipfile.ZipFile(sys.argv[1])\nfs=[i for i in z.infolist() if i.filename[-1]!='/']\n"
           "raw=[i.filename.encode('utf-8' if i.flag_bits&0x800 else 'cp437') for i in fs]\n"
           "assert sorted(raw)==sorted(set(raw)) and len(raw)==int(sys.argv[2])\n"
           "assert all(z.read(i)==b'content of '+r for i,r in zip(fs,raw))\n");
  struct Writer {
    const char* archive;
    bool oemNames;
    TZip64Mode zip64;
    bool split;
  };
  for (const Writer w : {Writer{"plain.zip", false, zmDisabled, false}, Writer{"oem64.zip", true, zmAlways, false},
                         Writer{"split.zip", false, zmDisabled, true}}) {
    {
      TZipArchiver zip;
      zip.FFileName = File(w.archive);
      zip.FOptions.FOEMFileNames = w.oemNames;
      zip.SetZip64Mode(w.zip64);
      if (w.split) {
        zip.SetSpanningMode(smSplitting);
        zip.FSpanningOptions.FVolumeSize = vsCustom;
        zip.FSpanningOptions.SetCustomVolumeSize(65536);
      }
      zip.OpenArchive();
      zip.FBaseDir = File("names");
      zip.AddFiles(u"*", 0x28BF, String());
    }
    check(w.archive, files, "names", !w.split);
    if (!w.split && HasProgram(kPython)) {
      EXPECT_EQ(RunCommand(std::string(kPython) + " " + Q("names.py") + " " + Q(w.archive) + " 8"), 0) << w.archive;
    }
    if (!w.split && HasProgram(kUnzip)) {
      EXPECT_EQ(RunCommand("rm -rf " + Q("out") + " && " + kUnzip + " -q " + Q(w.archive) + " -d " + Q("out") +
                           " && diff -r " + Q("names") + " " + Q("out")),
                0)
          << w.archive;
    }
  }
  // The glue's series of files named by full paths, a backslash in them part
  // of a name: both stored, under their own names.
  TStringList series;
  series.Add(File("names/a\\b.txt"));
  series.Add(File("names/a/b.txt"));
  EXPECT_TRUE(ZipASeriesOfFilesTo(series, File("series.zip"), spNoPath, false));
  std::set<std::string> stored;
  const auto inSeries = FilenamesWithinZipfile(File("series.zip"), false);
  for (Int32 i = 0; i < inSeries->Count(); ++i) stored.insert(StringToSystemName(inSeries->Strings(i)));
  EXPECT_EQ(stored, (std::set<std::string>{"a\\b.txt", "b.txt"}));
  if (HasProgram(kZip)) {
    // Linux zip stores the bytes without bit 11: what is not UTF-8 in them
    // reads in the ANSI code page, as names from other tools do, each
    // backslash still part of its name.
    std::set<std::string> ansi;
    for (const std::string& f : files) {
      const std::string n = IsValidUTF8(reinterpret_cast<const Byte*>(f.data()), f.size())
                                ? f
                                : StringToUtf8(CodePageToUnicode(CP_ACP, f.data(), f.size()));
      ansi.insert(n);
      for (size_t slash = n.find('/'); slash != std::string::npos; slash = n.find('/', slash + 1))
        ::mkdir(Path("ansi/" + n.substr(0, slash)).c_str(), 0777);
      ::mkdir(Path("ansi").c_str(), 0777);
      WriteRaw("ansi/" + n, "content of " + f);
    }
    ASSERT_EQ(RunCommand("cd " + Q("names") + " && " + kZip + " -q -r ../byzip.zip ."), 0);
    check("byzip.zip", ansi, "ansi");
  }
  // Updated from the files, and renamed: the folder 表 and a\b.txt, each
  // alone, the names beside them as they were.
  WriteRaw("names/\x95\\\x8e\x86.txt", "content of \x95\\\x8e\x86.txt, updated");
  {
    TZipArchiver zip;
    open(zip, "plain.zip");
    zip.FBaseDir = File("names");
    zip.FOptions.FOverwriteMode = omAlways;
    zip.UpdateFiles(u"*", 0x28BF, String());
    zip.RenameFile(name("\x95\\"), name("\x95\\\x95\\"));
    zip.RenameFile(name("a\\b.txt"), name("a\\c.txt"));
  }
  ::rename(Path("names/\x95\\").c_str(), Path("names/\x95\\\x95\\").c_str());
  ::rename(Path("names/a\\b.txt").c_str(), Path("names/a\\c.txt").c_str());
  check("plain.zip",
        {"\x95\\\x8e\x86.txt", "\x95\\\x95\\/\x8e\x86.txt", "\x83\\\x81[\x83X.txt", "\x8f\\/\x97\\.txt", "a\\c.txt",
         "a/b.txt", "\\lead.txt", "tail\\"},
        "names");
  // From an MS-DOS host a backslash separates folders, as "/" does.
  TZAZipCentralDir dos = DefaultCentral();
  ::mkdir(Path("win").c_str(), 0777);
  ::mkdir(Path("win/win").c_str(), 0777);
  ::mkdir(Path("win/win/sub").c_str(), 0777);
  WriteRaw("win/win/sub/f.txt", "content of win/sub/f.txt");
  WriteRaw("win/win/g.txt", "content of win/g.txt");
  WriteRaw("dos.zip", WriteRawArchive({TRawEntry(dos, "win\\sub\\f.txt", {}, {}, "content of win/sub/f.txt"),
                                       TRawEntry(dos, "win\\g.txt", {}, {}, "content of win/g.txt")}));
  check("dos.zip", {"win/sub/f.txt", "win/g.txt"}, "win");
}

}  // namespace
}  // namespace sk
