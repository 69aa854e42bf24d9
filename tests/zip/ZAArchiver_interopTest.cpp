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
#include "platform/runtime/ZipReader.h"
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
// any name. Names that would meet were it a separator (表紙.txt beside
// 表/紙.txt, a\b.txt beside a/b.txt) stay apart through our writers, Linux
// zip, the glue's series, an update and renames, listed alike by the engine
// and the platform reader; from an MS-DOS host it still separates folders.
TEST_F(ZAInterop, ABackslashByteInANameFromTheSystemIsPartOfIt) {
  std::set<std::string> files = {"\x95\\\x8e\x86.txt", "\x95\\/\x8e\x86.txt", "\x83\\\x81[\x83X.txt",
                                 "\x8f\\/\x97\\.txt",   "a\\b.txt",             "a/b.txt",
                                 "\\lead.txt",          "tail\\"};
  for (const char* d : {"names", "names/\x95\\", "names/\x8f\\", "names/a"}) ::mkdir(Path(d).c_str(), 0777);
  for (const std::string& f : files) WriteRaw("names/" + f, "content of " + f);
  auto bytes = [](const String& n) { return StringToSystemName(StringReplace(n, u"\\", u"/", rfReplaceAll)); };
  auto name = [](const std::string& b) {
    return StringReplace(SystemNameToString(b), u"\\", String(1, NameBackslash), rfReplaceAll);
  };
  // The files the engine lists, which the platform reader must list too.
  auto listed = [&](const std::string& archive, bool platform = true) {
    std::set<std::string> engine, system;
    TZipArchiver zip;
    zip.FFileName = File(archive);
    zip.OpenArchive();
    TZAArchiveItem item;
    for (bool found = zip.FindFirst(u"*", item, 0x28BF, String()); found; found = zip.FindNext(item))
      if ((item.ExternalFileAttributes & faDirectory) == 0) engine.insert(bytes(item.StoredPath + item.FileName));
    TZipFile reader;
    if (platform) reader.Open(File(archive), zmRead);
    for (const String& member : platform ? reader.FileNames() : std::vector<String>())
      if (member.back() != u'/') system.insert(bytes(member));
    if (platform) {
      EXPECT_EQ(engine, system) << archive;
    }
    return engine;
  };
  WriteRaw("names.py",
           "import zipfile,sys\nz=zipfile.ZipFile(sys.argv[1])\nfs=[i for i in z.infolist() if i.filename[-1]!='/']\n"
           "raw=[i.filename.encode('utf-8' if i.flag_bits&0x800 else 'cp437') for i in fs]\n"
           "assert len(set(raw))==8 and all(z.read(i)==b'content of '+r for i,r in zip(fs,raw))\n");
  const struct {
    const char* archive;
    bool oemNames;
    TZip64Mode zip64;
    TZASpanningMode spanning;
  } writers[] = {{"plain.zip", false, zmDisabled, smNone}, {"oem64.zip", true, zmAlways, smNone},
                 {"split.zip", false, zmDisabled, smSplitting}};
  for (const auto& w : writers) {
    TZipArchiver zip;
    zip.FFileName = File(w.archive);
    zip.FOptions.FOEMFileNames = w.oemNames;
    zip.SetZip64Mode(w.zip64);
    zip.SetSpanningMode(w.spanning);
    zip.OpenArchive();
    zip.FBaseDir = File("names");
    zip.AddFiles(u"*", 0x28BF, String());
    zip.OpenArchive();
    zip.FBaseDir = File(std::string(w.archive) + ".out");
    zip.ExtractFiles(u"*", 0x28BF, String());
    zip.CloseArchive();
    EXPECT_EQ(RunCommand("diff -r " + Q("names") + " " + Q(std::string(w.archive) + ".out")), 0) << w.archive;
    EXPECT_EQ(listed(w.archive, w.spanning == smNone), files);
    if (w.spanning == smNone && HasProgram(kPython)) {
      EXPECT_EQ(RunCommand(std::string(kPython) + " " + Q("names.py") + " " + Q(w.archive)), 0) << w.archive;
    }
  }
  // Linux zip's names that are not UTF-8 read in the ANSI code page.
  if (HasProgram(kZip) && RunCommand("cd " + Q("names") + " && " + kZip + " -q -r ../byzip.zip .") == 0) {
    EXPECT_EQ(listed("byzip.zip").size(), files.size());
  }
  TStringList series;
  series.Add(File("names/a\\b.txt"));
  series.Add(File("names/a/b.txt"));
  EXPECT_TRUE(ZipASeriesOfFilesTo(series, File("series.zip"), spNoPath, false));
  EXPECT_EQ(listed("series.zip"), (std::set<std::string>{"a\\b.txt", "b.txt"}));
  WriteRaw("names/\x95\\\x8e\x86.txt", "updated");
  TZipArchiver zip;
  zip.FFileName = File("plain.zip");
  zip.OpenArchive();
  zip.FBaseDir = File("names");
  zip.FOptions.FOverwriteMode = omAlways;
  zip.UpdateFiles(u"*", 0x28BF, String());
  String text;
  zip.ExtractToString(name("\x95\\\x8e\x86.txt"), text);
  EXPECT_EQ(text, u"updated");
  zip.RenameFile(name("\x95\\"), name("\x95\\\x95\\"));
  zip.RenameFile(name("a\\b.txt"), name("a\\c.txt"));
  zip.CloseArchive();
  files.erase("\x95\\/\x8e\x86.txt"), files.erase("a\\b.txt");
  files.insert({"\x95\\\x95\\/\x8e\x86.txt", "a\\c.txt"});
  EXPECT_EQ(listed("plain.zip"), files);
  TZAZipCentralDir dos = DefaultCentral();
  WriteRaw("dos.zip", WriteRawArchive({TRawEntry(dos, "win\\sub\\f.txt"), TRawEntry(dos, "win\\g.txt")}));
  EXPECT_EQ(listed("dos.zip"), (std::set<std::string>{"win/sub/f.txt", "win/g.txt"}));
}

}  // namespace
}  // namespace sk
