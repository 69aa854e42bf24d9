// Entry operations and the archiver's public operations: failures answered
// by retry, ignore and abort, cancels, safe extraction, renaming, moving, the
// password test and the search.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <random>

#include "ArchiverTestSupport.h"
#include "FileSeamTestSupport.h"
#include "TestSupport.h"
#include "ZipTestSupport.h"
#include "platform/runtime/FileUtils.h"

namespace sk {
namespace {

class ZAEntries : public ScratchFolderTest {
 protected:
  ZAEntries() : ScratchFolderTest("sk_entries") {}
  void SetUp() override {
    ScratchFolderTest::SetUp();
    StartArchiverUnits();
  }
  void Open(TZipArchiver& zip, const std::string& name) {
    zip.FFileName = File(name);
    zip.FTempDir = File("");
    zip.OnProcessFileFailure = [this](TObject*, const String&, TZAProcessOperation, Int32 native, Int32,
                                      const String&, TZAAction& action) {
      failures.push_back(native);
      action = answers.empty() ? fxaAbort : answers.front();
      if (!answers.empty()) answers.erase(answers.begin());
    };
    zip.OpenArchive();
  }
  void MakeArchive(const std::string& name, std::vector<std::pair<String, String>> entries) {
    TZipArchiver zip;
    Open(zip, name);
    zip.BeginUpdate();
    for (auto& [n, t] : entries) zip.AddFromString(n, t, 0x20, 40000);
    zip.EndUpdate();
  }
  // Makes the archive afresh with an entry per name, each holding its own name
  // (a name ending in "/" a folder), and leaves it open in zip.
  void MakeNamedEntries(TZipArchiver& zip, const std::string& name, const std::vector<String>& entries) {
    ::unlink(Path(name).c_str());
    Open(zip, name);
    zip.BeginUpdate();
    for (const String& n : entries) zip.AddFromString(n, n, n.back() == u'/' ? 0x10 : 0x20, 40000);
    zip.EndUpdate();
  }
  std::vector<String> Names(TZipArchiver& zip) {
    std::vector<String> r;
    for (Int32 i = 0; i < zip.DMHandle->CDir->Count(); ++i) r.push_back(zip.DMHandle->CDir->FItems[static_cast<size_t>(i)].Name);
    return r;
  }
  std::vector<Int32> failures;
  std::vector<TZAAction> answers;
};

TEST_F(ZAEntries, AVanishedSourceUnderRetryIgnoreAndAbort) {
  MakeArchive("a.zip", {{u"keep.txt", u"kept"}});
  const std::string before = ReadRaw("a.zip");
  struct Case {
    std::vector<TZAAction> answers;
    std::vector<std::string> names;  // after the commit
    bool unchanged;
  };
  for (const Case& c : {Case{{fxaAbort}, {"keep.txt"}, true},
                        Case{{fxaIgnore}, {"keep.txt", "other.txt"}, false},
                        Case{{fxaRetry, fxaAbort}, {"keep.txt"}, true}}) {
    WriteRaw("a.zip", before);
    WriteRaw("gone.txt", "soon gone");
    WriteRaw("other.txt", "stays");
    failures.clear();
    answers = c.answers;
    TZipArchiver zip;
    Open(zip, "a.zip");
    zip.FBaseDir = File("");
    zip.BeginUpdate();
    zip.AddFiles(File("gone.txt"), 0x28BF, String());
    zip.AddFiles(File("other.txt"), 0x28BF, String());
    ::unlink(Path("gone.txt").c_str());
    zip.EndUpdate();
    std::vector<std::string> names;
    for (const String& n : Names(zip)) names.push_back(StringToUtf8(n));
    EXPECT_EQ(names, c.names);
    EXPECT_EQ(failures, std::vector<Int32>(c.answers.size(), 33));
    zip.CloseArchive();
    EXPECT_EQ(ReadRaw("a.zip") == before, c.unchanged);
  }
}

TEST_F(ZAEntries, CancelsAndARaisingHandlerLeaveTheArchiveAsItWas) {
  MakeArchive("a.zip", {{u"one.txt", u"1"}, {u"two.txt", u"2"}});
  const std::string before = ReadRaw("a.zip");
  struct Case {
    const char* what;
    std::function<void(TZipArchiver&)> arm;
  };
  const Case cases[] = {
      {"cancel at the start",
       [](TZipArchiver& z) {
         z.OnOverallProgress = [](TObject*, Double, TZAProcessOperation, TZAProgressPhase phase, bool& cancel) {
           if (phase == ppStart) cancel = true;
         };
       }},
      {"cancel in an entry",
       [](TZipArchiver& z) {
         z.OnFileProgress = [](TObject*, const String&, Double, TZAProcessOperation, TZAProgressPhase phase,
                               bool& cancel) {
           if (phase == ppStart) cancel = true;
         };
       }},
      {"a handler that raises",
       [](TZipArchiver& z) {
         z.OnFileProgress = [](TObject*, const String&, Double, TZAProcessOperation, TZAProgressPhase phase, bool&) {
           if (phase == ppStart) throw Exception(u"handler failed");
         };
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteRaw("a.zip", before);
    TZipArchiver zip;
    Open(zip, "a.zip");
    c.arm(zip);
    zip.BeginUpdate();
    zip.DeleteFiles(u"one.txt", 0x28BF, String());
    zip.AddFromString(u"three.txt", u"3", 0x20, 40000);
    try {
      zip.EndUpdate();
    } catch (const Exception&) {
    }
    EXPECT_EQ(ReadRaw("a.zip"), before);
    EXPECT_EQ(Names(zip), (std::vector<String>{u"one.txt", u"two.txt"}));
    // A later commit carries out nothing of the cancelled batch.
    zip.OnOverallProgress = nullptr;
    zip.OnFileProgress = nullptr;
    zip.ChangeFilesComment(u"two.txt", "c");
    EXPECT_EQ(Names(zip), (std::vector<String>{u"one.txt", u"two.txt"}));
  }
}

TEST_F(ZAEntries, ACancelledDeletionPutsTheTableBack) {
  MakeArchive("a.zip", {{u"a1.txt", u"1"}, {u"a2.txt", u"2"}, {u"b.txt", u"3"}});
  TZipArchiver zip;
  Open(zip, "a.zip");
  Int32 asked = 0;
  zip.OnConfirmProcessFile = [&asked](TObject*, const String&, TZAProcessOperation, bool&) { ++asked; };
  zip.OnFileProgress = nullptr;
  zip.BeginUpdate();
  zip.TagFiles(u"a*.txt", 0x28BF, String());
  answers = {fxaAbort};
  // The second deletion fails: the index is out of the table once the update
  // is cancelled from outside; simulate by an abort through a failing step.
  zip.OnConfirmProcessFile = [&zip, &asked](TObject*, const String&, TZAProcessOperation, bool&) {
    if (++asked == 2) zip.FProgressCancel = true;
  };
  zip.ProcessTaggedFiles(poDelete);
  EXPECT_FALSE(zip.GetInUpdate());
  EXPECT_EQ(Names(zip), (std::vector<String>{u"a1.txt", u"a2.txt", u"b.txt"}));
}

TEST_F(ZAEntries, DeletingTaggedNeighboursTakesBoth) {
  MakeArchive("a.zip", {{u"e0", u"0"}, {u"e1", u"1"}, {u"x2", u"2"}, {u"x3", u"3"}, {u"e4", u"4"}});
  TZipArchiver zip;
  Open(zip, "a.zip");
  zip.DeleteFiles(u"x*", 0x28BF, String());
  EXPECT_EQ(Names(zip), (std::vector<String>{u"e0", u"e1", u"e4"}));
  String text;
  zip.ExtractToString(u"e4", text);
  EXPECT_EQ(text, u"4");
}

TEST_F(ZAEntries, ExtractionNeverLeavesItsFolder) {
  ::mkdir(Path("out").c_str(), 0777);
  ::mkdir(Path("outside").c_str(), 0777);
  WriteRaw("outside/victim.txt", "victim");
  // Our writer keeps names as given (a "\" becomes "/"), as a hostile tool would.
  MakeArchive("evil.zip", {{u"../evil", u"x"},
                           {u"a/../../evil2", u"x"},
                           {u"/abs", u"x"},
                           {u"C:/x", u"x"},
                           {u"ok/fine.txt", u"fine"},
                           {u"linked.txt", u"new content"}});
  {
    // "\\srv\x" is stored as "//srv/x" by our writer; a raw name keeps "\".
    TZipArchiver zip;
    Open(zip, "evil.zip");
    zip.AddFromString(u"\\\\srv\\x", u"x", 0x20, 40000);
  }
  ASSERT_EQ(::symlink(Path("outside/victim.txt").c_str(), Path("out/linked.txt").c_str()), 0);
  TZipArchiver zip;
  Open(zip, "evil.zip");
  zip.FBaseDir = File("out");
  answers.assign(10, fxaIgnore);
  zip.ExtractFiles(u"*", 0x28BF, String());
  EXPECT_EQ(failures, std::vector<Int32>(5, 19));
  EXPECT_EQ(ReadRaw("outside/victim.txt"), "victim");
  EXPECT_FALSE(FileExists(File("evil")));
  EXPECT_FALSE(FileExists(File("evil2")));
  EXPECT_EQ(ReadRaw("out/ok/fine.txt"), "fine");
  struct stat st;
  ASSERT_EQ(::lstat(Path("out/linked.txt").c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  EXPECT_EQ(ReadRaw("out/linked.txt"), "new content");
}

TEST_F(ZAEntries, AFolderLinkInTheTargetIsNotEntered) {
  ::mkdir(Path("out").c_str(), 0777);
  ::mkdir(Path("outside").c_str(), 0777);
  ASSERT_EQ(::symlink(Path("outside").c_str(), Path("out/sub").c_str()), 0);
  MakeArchive("a.zip", {{u"sub/planted.txt", u"x"}});
  TZipArchiver zip;
  Open(zip, "a.zip");
  zip.FBaseDir = File("out");
  answers = {fxaIgnore};
  zip.ExtractFiles(u"*", 0x28BF, String());
  EXPECT_EQ(failures, std::vector<Int32>{20});
  EXPECT_FALSE(FileExists(File("outside/planted.txt")));
}

TEST_F(ZAEntries, AFolderSwappedForALinkDuringExtractionIsNotFollowed) {
  ::mkdir(Path("out").c_str(), 0777);
  ::mkdir(Path("outside").c_str(), 0777);
  std::string big(300000, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>('a' + (i * 7 + i / 3) % 26);
  MakeArchive("a.zip", {{u"sub/deep/f.txt", Utf8ToString(big)}});
  TZipArchiver zip;
  Open(zip, "a.zip");
  zip.FBaseDir = File("out");
  bool swapped = false;
  // Once the data flow, another process swaps each folder on the way for a link.
  zip.OnFileProgress = [&](TObject*, const String&, Double, TZAProcessOperation, TZAProgressPhase phase, bool&) {
    if (phase != ppProcess || swapped) return;
    swapped = true;
    ASSERT_EQ(::rename(Path("out/sub").c_str(), Path("out/moved").c_str()), 0);
    ASSERT_EQ(::symlink(Path("outside").c_str(), Path("out/sub").c_str()), 0);
    ::mkdir(Path("outside/deep").c_str(), 0777);
  };
  zip.ExtractFiles(u"*", 0x28BF, String());
  EXPECT_TRUE(swapped);
  EXPECT_TRUE(failures.empty());
  // The file went into the folder that was walked, which now has another name.
  EXPECT_TRUE(ReadRaw("out/moved/deep/f.txt") == big);
  size_t planted = 0;
  for (const auto& e : std::filesystem::recursive_directory_iterator(Path("outside"))) planted += e.is_regular_file();
  EXPECT_EQ(planted, 0u);
}

TEST_F(ZAEntries, AHandlersTargetIsUsedAsGiven) {
  MakeArchive("a.zip", {{u"a/b.txt", u"content"}});
  TZipArchiver zip;
  Open(zip, "a.zip");
  zip.FBaseDir = File("out");
  zip.OnExtractFile = [this](TObject*, String& name, Cardinal&, const AnsiString&) { name = File("chosen.txt"); };
  zip.ExtractFiles(u"*", 0x28BF, String());
  EXPECT_EQ(ReadRaw("chosen.txt"), "content");
}

TEST_F(ZAEntries, AFailedExtractionKeepsTheOldFile) {
  MakeArchive("a.zip", {{u"f.txt", u"new content"}});
  std::string bytes = ReadRaw("a.zip");
  // Damage the stored data: the checksum no longer fits.
  const size_t at = bytes.find("f.txt") + 5;
  bytes[at + 2] ^= 0x55;
  WriteRaw("a.zip", bytes);
  ::mkdir(Path("out").c_str(), 0777);
  WriteRaw("out/f.txt", "old content");
  TZipArchiver zip;
  Open(zip, "a.zip");
  zip.FBaseDir = File("out");
  answers = {fxaIgnore};
  zip.ExtractFiles(u"*", 0x28BF, String());
  EXPECT_EQ(failures, std::vector<Int32>{8});
  EXPECT_EQ(ReadRaw("out/f.txt"), "old content");
}

TEST_F(ZAEntries, ExtractedFilesGetNoExecutableBitAndLinksArePlainFiles) {
  MakeArchive("a.zip", {{u"tool", u"#!/bin/sh\n"}, {u"link", u"/etc/passwd"}});
  {
    TZipArchiver zip;
    Open(zip, "a.zip");
    zip.ChangeFilesAttr(u"tool", static_cast<Int32>(0x81ED0020u));  // rwxr-xr-x from a Unix host
    zip.ChangeFilesAttr(u"link", static_cast<Int32>(0xA1FF0020u));  // a symbolic link
  }
  TZipArchiver zip;
  Open(zip, "a.zip");
  zip.FBaseDir = File("out");  // made by the extraction
  zip.ExtractFiles(u"*", 0x28BF, String());
  EXPECT_TRUE(failures.empty()) << (failures.empty() ? 0 : failures[0]);
  struct stat st;
  ASSERT_EQ(::lstat(Path("out/tool").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0111, 0u);
  ASSERT_EQ(::lstat(Path("out/link").c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  EXPECT_EQ(ReadRaw("out/link"), "/etc/passwd");
}

// Over another user's file (root extracting in a shared folder) only its
// owner's bits stay, on a file of root's.
TEST_F(ZAEntries, ExtractionOverAFileKeepsOnlyItsPermissionBits) {
  MakeArchive("a.zip", {{u"f", u"new"}});
  ::mkdir(Path("out").c_str(), 0777);
  const struct {
    mode_t before;
    uid_t owner;
    mode_t after;
  } cases[] = {{04755, 0, 0755}, {02755, 0, 0755}, {06775, 0, 0775}, {01644, 0, 0644}, {0666, 65534, 0600}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << std::oct << c.before);
    if (c.owner != 0 && ::geteuid() != 0) continue;
    WriteRaw("out/f", "old");
    ASSERT_EQ(c.owner == 0 ? 0 : ::chown(Path("out/f").c_str(), c.owner, c.owner), 0);
    ASSERT_EQ(::chmod(Path("out/f").c_str(), c.before), 0);
    TZipArchiver zip;
    Open(zip, "a.zip");
    zip.FBaseDir = File("out");
    zip.ExtractFiles(u"*", 0x28BF, String());
    struct stat st;
    ASSERT_EQ(::stat(Path("out/f").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, c.after);
    EXPECT_EQ(st.st_uid, ::geteuid());
    EXPECT_EQ(ReadRaw("out/f"), "new");
  }
}

TEST_F(ZAEntries, RenamingReplacesOnlyTheBeginningAndRefusesATakenName) {
  ::mkdir(Path("src").c_str(), 0777);
  ::mkdir(Path("src/doc").c_str(), 0777);
  ::mkdir(Path("src/doc/doc").c_str(), 0777);
  WriteRaw("src/doc/a.txt", "1");
  WriteRaw("src/doc/doc/b.txt", "2");
  WriteRaw("src/x.txt", "3");
  WriteRaw("src/y.txt", "4");
  TZipArchiver zip;
  Open(zip, "a.zip");
  zip.FBaseDir = File("src");
  zip.AddFiles(u"*", 0x28BF, String());
  auto sorted = [&] {
    std::vector<String> n = Names(zip);
    std::sort(n.begin(), n.end());
    return n;
  };
  ASSERT_EQ(sorted(), (std::vector<String>{u"doc/", u"doc/a.txt", u"doc/doc/", u"doc/doc/b.txt", u"x.txt",
                                           u"y.txt"}));
  zip.RenameFile(u"doc", u"new");
  EXPECT_EQ(sorted(), (std::vector<String>{u"new/", u"new/a.txt", u"new/doc/", u"new/doc/b.txt", u"x.txt",
                                           u"y.txt"}));
  EXPECT_EQ(EngineErrorOf([&] { zip.RenameFile(u"x.txt", u"y.txt"); }), 69);
  EXPECT_EQ(EngineErrorOf([&] { zip.RenameFile(u"none.txt", u"z.txt"); }), 30);
  zip.CloseArchive();
  Open(zip, "a.zip");
  String text;
  zip.ExtractToString(u"new/doc/b.txt", text);
  EXPECT_EQ(text, u"2");
  // New names that hold bytes that are not UTF-8 (as names from the system
  // carry them) stay apart and come back as they were.
  const String latin1 = u"x\xDCE9.txt", other = u"x\xDCE8.txt";
  zip.RenameFile(u"x.txt", latin1);
  zip.RenameFile(u"y.txt", other);
  zip.CloseArchive();
  Open(zip, "a.zip");
  EXPECT_EQ(sorted(), (std::vector<String>{u"new/", u"new/a.txt", u"new/doc/", u"new/doc/b.txt", other, latin1}));
  zip.ExtractToString(latin1, text);
  EXPECT_EQ(text, u"3");
  zip.ExtractToString(other, text);
  EXPECT_EQ(text, u"4");
  if (HasProgram("/usr/bin/unzip")) {
    EXPECT_EQ(RunCommand("/usr/bin/unzip -t " + ShellQuote(Path("a.zip"))), 0);
  }
}

TEST_F(ZAEntries, RenamingAFolderKeepsToItsOwnCaseAndNeverMakesTwoEntriesOfOneName) {
  struct Case {
    std::vector<String> entries;
    String from, to;
    std::vector<String> after;  // sorted; empty when the rename is refused
  };
  const std::vector<Case> cases = {
      {{u"D/x", u"d/", u"d/x"}, u"d", u"e", {u"D/x", u"e/", u"e/x"}},
      {{u"D/", u"D/x", u"d/", u"d/y"}, u"D", u"E", {u"E/", u"E/x", u"d/", u"d/y"}},
      // Renamed entries meeting an entry that stays.
      {{u"d/", u"d/x", u"e/x"}, u"d", u"e", {}},
      // Only the case changes, onto a name another entry has.
      {{u"d/", u"d/x", u"D/x"}, u"d", u"D", {}},
      {{u"d/", u"d/x"}, u"d", u"D", {u"D/", u"D/x"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(StringToUtf8(c.from) + " -> " + StringToUtf8(c.to));
    {
      TZipArchiver zip;
      MakeNamedEntries(zip, "r.zip", c.entries);
    }
    TZipArchiver zip;
    Open(zip, "r.zip");
    const Int32 error = EngineErrorOf([&] { zip.RenameFile(c.from, c.to); });
    std::vector<String> names = Names(zip);
    std::sort(names.begin(), names.end());
    if (c.after.empty()) {
      EXPECT_EQ(error, 69);
      std::vector<String> before = c.entries;
      std::sort(before.begin(), before.end());
      EXPECT_EQ(names, before);
    } else {
      EXPECT_EQ(error, -1);  // no engine error
      EXPECT_EQ(names, c.after);
    }
  }
}

// A rename renames the entry the search finds for the old name (its first
// match, by the matcher's own comparison, in folders with Recurse on), every
// occurrence of the old name in it replaced; an entry found that holds no
// occurrence of the old name is refused as a name that matches nothing.
TEST_F(ZAEntries, RenamingRenamesTheEntryTheSearchFinds) {
  struct Case {
    const char* locale;
    bool recurse;
    std::vector<String> entries;
    String from, to;
    Int32 found;   // the entry the search finds, -1 for none
    String after;  // its name after the rename; empty when refused (30)
  };
  const String sisyphus = u"\u03A3\u03AF\u03C3\u03C5\u03C6\u03BF\u03C2.txt";  // lower case, final sigma
  const String SISYPHUS = u"\u03A3\u038A\u03A3\u03A5\u03A6\u039F\u03A3.txt";
  const std::vector<Case> cases = {
      {"en_US", true, {u"exodus.txt", u"texts/genesis.txt"}, u"genesis.txt", u"new.txt", 1, u"texts/new.txt"},
      {"en_US", true, {u"exodus.txt", u"texts/genesis.txt"}, u"gen*.txt", u"new.txt", 1, u""},
      {"en_US", true, {u"x.txt", sisyphus}, SISYPHUS, u"myth.txt", 1, u"myth.txt"},
      {"en_US", false, {u"x.txt", sisyphus}, SISYPHUS, u"myth.txt", 1, u"myth.txt"},
      {"en_US", true, {u"A.txt", u"a.txt"}, u"a.txt", u"b.txt", 0, u"b.txt"},
      {"en_US", false, {u"A.txt", u"a.txt"}, u"a.txt", u"b.txt", 1, u"b.txt"},
      {"en_US", false, {u"stra\u00DFe.txt"}, u"STRA\u1E9EE.txt", u"road.txt", -1, u""},
      {"tr_TR", true, {u"x.txt", u"dir/\u0130stanbul.txt"}, u"istanbul.txt", u"ankara.txt", 1, u"dir/ankara.txt"},
      {"tr_TR", true, {u"dir/Isparta.txt"}, u"\u0131sparta.txt", u"konya.txt", 0, u"dir/konya.txt"},
      {"tr_TR", false, {u"\u0130zmir.txt"}, u"izmir.txt", u"bursa.txt", 0, u"bursa.txt"},
  };
  const std::string savedLocale = GetUserDefaultLocaleName();
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.locale) + " " + StringToUtf8(c.from) + (c.recurse ? " recurse" : ""));
    SetUserDefaultLocale(c.locale);
    TZipArchiver zip;
    MakeNamedEntries(zip, "r.zip", c.entries);
    zip.FOptions.FRecurse = c.recurse;
    TZAArchiveItem f;
    EXPECT_EQ(zip.FindFirst(c.from, f, 0x28BF, String()) ? f.Handle.ItemNo : -1, c.found);
    String text;  // reading by the name (always without Recurse) reaches the same entry
    if (!c.recurse) {
      EXPECT_EQ(EngineErrorOf([&] { zip.ExtractToString(c.from, text); }), c.found < 0 ? 15 : -1);
      EXPECT_EQ(text, c.found < 0 ? String() : c.entries[static_cast<size_t>(c.found)]);
    }
    std::vector<String> expected = Names(zip);
    const Int32 error = EngineErrorOf([&] { zip.RenameFile(c.from, c.to); });
    if (!c.after.empty()) expected[static_cast<size_t>(c.found)] = c.after;
    EXPECT_EQ(error, c.after.empty() ? 30 : -1);
    zip.CloseArchive();
    Open(zip, "r.zip");
    EXPECT_EQ(Names(zip), expected);
  }
  SetUserDefaultLocale(savedLocale);
}

// A search by a name without wildcards in every folder finds the entries
// the walk over the whole table finds, in the same order, through the random
// names below (folders, case variants, trailing dots and separators,
// backslashes, units the matcher takes for equal to others) and through
// renames, adds and deletes inside one bracket; masks with wildcards too.
TEST_F(ZAEntries, ASearchByNameFindsWhatTheWholeWalkFinds) {
  const std::vector<String> parts = {u"a",      u"A",      u"b.txt", u"B.TXT",  u"c.",     u"d",
                                     u"\u212Ax", u"kx",    u"\u00C5", u"\u212B", u"\u00E5", u"i",
                                     u"\u0130", u"s\u00ADt", u"st",    u"e\u0301"};
  const std::vector<String> masks = {u"*.txt", u"a?", u"*", u"?"};
  for (const char* locale : {"en_US", "tr_TR"}) {
    SCOPED_TRACE(locale);
    const std::string savedLocale = GetUserDefaultLocaleName();
    SetUserDefaultLocale(locale);
    std::mt19937 random(7);
    auto pick = [&](const std::vector<String>& from) { return from[random() % from.size()]; };
    auto randomName = [&] {
      String n = pick(parts);
      for (int depth = static_cast<int>(random() % 3); depth > 0; --depth)
        n = pick(parts) + (random() % 4 == 0 ? u"\\" : u"/") + n;
      if (random() % 6 == 0) n += u"/";
      return n;
    };
    ::unlink(Path("r.zip").c_str());
    TZipArchiver zip;
    Open(zip, "r.zip");
    ASSERT_TRUE(zip.FOptions.FRecurse);
    zip.BeginUpdate();
    for (int i = 0; i < 60; ++i) zip.AddFromString(randomName(), u"x", 0x20, 40000);
    auto compare = [&](const String& mask) {
      SCOPED_TRACE(StringToUtf8(mask));
      std::vector<Int32> found;
      TZAArchiveItem f;
      for (bool ok = zip.FindFirst(mask, f, 0x28BF, String()); ok; ok = zip.FindNext(f)) found.push_back(f.Handle.ItemNo);
      std::vector<Int32> walked;
      for (Int32 i = 0; i < zip.DMHandle->CDir->Count(); ++i)
        if (zip.IsItemMatches(i, f)) walked.push_back(i);
      EXPECT_EQ(found, walked);
    };
    for (int round = 0; round < 40; ++round) {
      for (int k = 0; k < 6; ++k) {
        String mask = random() % 3 == 0 ? pick(parts) : zip.DMHandle->CDir->FItems[random() % zip.DMHandle->CDir->Count()].Name;
        if (random() % 4 == 0) mask = AnsiUpperCase(mask);
        if (random() % 5 == 0) mask += u".";
        if (random() % 8 == 0) mask = pick(masks);
        compare(mask);
      }
      // The table changes between searches: a rename (of a name, a last
      // part or a folder), an add, a delete.
      const Int32 count = zip.DMHandle->CDir->Count();
      switch (random() % 4) {
        case 0:
        case 1: {
          const String& from = zip.DMHandle->CDir->FItems[random() % count].Name;
          String old = random() % 2 == 0 ? from : from.substr(from.find_last_of(u"/\\", from.size() - 2) + 1);
          EngineErrorOf([&] { zip.RenameFile(old, randomName()); });
          break;
        }
        case 2: zip.AddFromString(randomName(), u"y", 0x20, 40000); break;
        case 3: zip.DeleteItem(static_cast<Int32>(random() % count)); break;
      }
    }
    zip.CancelUpdate();
    zip.CloseArchive();
    SetUserDefaultLocale(savedLocale);
  }
}

// Renaming every entry of an archive in one bracket tests each entry a few
// times, not every entry for each rename.
TEST_F(ZAEntries, RenamingEveryEntryTestsAFewEntriesARename) {
  constexpr int n = 400;
  auto nameOf = [](const char* stem, int i) {
    return Utf8ToString("folder" + std::to_string(i / 40) + "/" + stem + std::to_string(i) + ".txt");
  };
  std::vector<std::pair<String, String>> entries;
  for (int i = 0; i < n; ++i) entries.push_back({nameOf("file_", i), u"x"});
  MakeArchive("many.zip", entries);
  for (const bool recurse : {true, false}) {
    SCOPED_TRACE(recurse ? "in every folder" : "in its own folder");
    TZipArchiver zip;
    Open(zip, "many.zip");
    zip.FOptions.FRecurse = recurse;
    zip.BeginUpdate();
    const Int64 searchedBefore = zip.fEntriesSearched;
    const Int64 buildsBefore = zip.DMHandle->CDir->MatchIndexBuilds;
    for (int i = 0; i < n; ++i) zip.RenameFile(nameOf("file_", i), nameOf("renamed_", i));
    EXPECT_LE(zip.fEntriesSearched - searchedBefore, 2 * n);
    EXPECT_LE(zip.DMHandle->CDir->MatchIndexBuilds - buildsBefore, 1);
    zip.CancelUpdate();
  }
}

// A stream of 4 GiB and more whose bytes are computed, not stored.
class TComputedStream : public TStream {
 public:
  explicit TComputedStream(Int64 size) : fSize(size) {}
  static Byte At(Int64 i) { return static_cast<Byte>('a' + (i % 26 + (i >> 32)) % 26); }
  Int64 Read(void* buffer, Int64 count) override {
    const Int64 n = std::max<Int64>(0, std::min(count, fSize - fPos));
    for (Int64 k = 0; k < n; ++k) static_cast<Byte*>(buffer)[k] = At(fPos + k);
    fPos += n;
    return n;
  }
  Int64 Write(const void*, Int64) override { return 0; }
  Int64 Seek(Int64 offset, TSeekOrigin origin) override {
    fPos = (origin == soBeginning ? 0 : origin == soCurrent ? fPos : fSize) + offset;
    return fPos;
  }
  Int64 Size() override { return fSize; }

 private:
  Int64 fSize;
  Int64 fPos = 0;
};

TEST_F(ZAEntries, AddingFromAStreamStartsAtTheGivenPosition) {
  const Int64 big = (Int64(1) << 32) + 40;
  struct Case {
    Int64 size, position;
    bool copy;
  };
  for (const Case& c : {Case{100, 0, false}, Case{100, 37, false}, Case{100, 37, true}, Case{100, 100, false},
                        Case{big, big - 20, false}, Case{big, big - 20, true}}) {
    SCOPED_TRACE(std::to_string(c.position) + (c.copy ? " copied" : " in place"));
    ::unlink(Path("s.zip").c_str());
    TComputedStream source(c.size);
    source.Seek(5, soBeginning);
    TZipArchiver zip;
    Open(zip, "s.zip");
    zip.BeginUpdate();
    zip.AddFromStream(u"s.txt", &source, c.copy, c.position, c.size - c.position, 0x20, 40000);
    zip.EndUpdate();
    EXPECT_EQ(source.Position(), 5);  // the caller's position is left as it was
    std::string expected;
    for (Int64 i = c.position; i < c.size; ++i) expected += static_cast<char>(TComputedStream::At(i));
    TMemoryStream back;
    zip.ExtractToStream(u"s.txt", &back);
    EXPECT_EQ(std::string(static_cast<const char*>(back.Memory()), static_cast<size_t>(back.Size())), expected);
  }
}

TEST_F(ZAEntries, MovingNeverTakesTheArchiveAndDeletesSourcesAfterTheCommit) {
  ::mkdir(Path("src").c_str(), 0777);
  WriteRaw("src/m1.txt", "one");
  WriteRaw("src/m2.txt", "two");
  TZipArchiver zip;
  zip.FFileName = File("src/self.zip");
  zip.OpenArchive();
  zip.FBaseDir = File("src");
  zip.MoveFiles(u"*", 0x28BF, String());
  EXPECT_EQ(Names(zip), (std::vector<String>{u"m1.txt", u"m2.txt"}));
  EXPECT_FALSE(FileExists(File("src/m1.txt")));
  EXPECT_TRUE(FileExists(File("src/self.zip")));
  // Through a link to the archive, too.
  ASSERT_EQ(::symlink(Path("src/self.zip").c_str(), Path("src/alias.zip").c_str()), 0);
  zip.MoveFiles(u"*.zip", 0x28BF, String());
  EXPECT_EQ(Names(zip).size(), 2u);
  // A folder tree moved goes whole: each folder after what it holds, with
  // no failure to report.
  ::mkdir(Path("tree").c_str(), 0777);
  ::mkdir(Path("tree/top").c_str(), 0777);
  ::mkdir(Path("tree/top/sub").c_str(), 0777);
  WriteRaw("tree/top/a.txt", "a");
  WriteRaw("tree/top/sub/b.txt", "b");
  TZipArchiver tree;
  Open(tree, "tree.zip");
  tree.FBaseDir = File("tree");
  tree.FOptions.FRecurse = true;
  tree.MoveFiles(u"*.*", 0x28BF, String());
  EXPECT_EQ(Names(tree).size(), 4u);
  EXPECT_TRUE(failures.empty());
  EXPECT_FALSE(std::filesystem::exists(Path("tree/top")));
}

TEST_F(ZAEntries, NamesThatDifferByCaseAreTwoEntries) {
  ::mkdir(Path("src").c_str(), 0777);
  WriteRaw("src/Read.txt", "upper");
  WriteRaw("src/read.txt", "lower");
  TZipArchiver zip;
  Open(zip, "a.zip");
  zip.FBaseDir = File("src");
  zip.AddFiles(u"*.txt", 0x28BF, String());
  EXPECT_EQ(Names(zip), (std::vector<String>{u"Read.txt", u"read.txt"}));
}

TEST_F(ZAEntries, PasswordTestAnswersWhatItFound) {
  for (TZACryptoAlgorithm algorithm : {caPkzipClassic, caAES_256}) {
    TZipArchiver zip;
    Open(zip, "p.zip");
    zip.SetEncryptionMethod(algorithm);
    zip.SetPassword("secret");
    zip.AddFromString(u"s.txt", u"hidden words hidden words", 0x20, 40000);
    zip.SetPassword("");
    zip.AddFromString(u"plain.txt", u"open", 0x20, 40000);
    EXPECT_TRUE(zip.IsFilePasswordValid(u"s.txt", "secret"));
    EXPECT_FALSE(zip.IsFilePasswordValid(u"s.txt", "wrong"));
    EXPECT_TRUE(zip.IsFilePasswordValid(u"plain.txt", "anything"));
    EXPECT_EQ(EngineErrorOf([&] { zip.IsFilePasswordValid(u"none", "x"); }), 42);
    // A wrong password gives the failure result, not a crash.
    zip.SetPassword("wrong");
    zip.FSuppressPasswordEvent = true;
    char buffer[8];
    EXPECT_EQ(EngineErrorOf([&] { zip.ExtractToBuffer(u"s.txt", buffer, 8, 0); }), 8);
    zip.CloseArchive();
    ::unlink(Path("p.zip").c_str());
  }
}

TEST_F(ZAEntries, BuffersAreBoundedByTheCheckedSize) {
  MakeArchive("a.zip", {{u"t.txt", u"0123456789"}});
  TZipArchiver zip;
  Open(zip, "a.zip");
  char buffer[4] = {};
  zip.ExtractToBuffer(u"t.txt", buffer, 4, 3);
  EXPECT_EQ(std::string(buffer, 4), "3456");
  char big[32] = {};
  EXPECT_EQ(EngineErrorOf([&] { zip.ExtractToBuffer(u"t.txt", big, 32, 0); }), 8);
  EXPECT_EQ(EngineErrorOf([&] { zip.ExtractToBuffer(u"missing", big, 1, 0); }), 15);
  // A size claim far past the stored data is refused before anything is sized.
  zip.DMHandle->CDir->FItems[0].CentralDir.unCompSize = 0xF0000000u;
  String text;
  EXPECT_EQ(EngineErrorOf([&] { zip.ExtractToString(u"t.txt", text); }), 8);
}

TEST_F(ZAEntries, AddingToAHundredEntriesRewritesOnlyTheDirectory) {
  std::vector<std::pair<String, String>> entries;
  for (int i = 0; i < 100; ++i) entries.push_back({Utf8ToString("f" + std::to_string(i)), u"text"});
  MakeArchive("a.zip", entries);
  const std::string before = ReadRaw("a.zip");
  TZipArchiver zip;
  Open(zip, "a.zip");
  const Int64 dirAt = zip.DMHandle->CentralDirOffset;
  zip.AddFromString(u"new", u"n", 0x20, 40000);
  zip.CloseArchive();
  const std::string after = ReadRaw("a.zip");
  EXPECT_EQ(after.substr(0, static_cast<size_t>(dirAt)), before.substr(0, static_cast<size_t>(dirAt)));
}

TEST_F(ZAEntries, Zip64AlwaysWritesFullSizesInTheLocalHeader) {
  TZipArchiver zip;
  Open(zip, "a.zip");
  zip.SetZip64Mode(zmAlways);
  zip.AddFromString(u"z.txt", u"zip64 always", 0x20, 40000);
  zip.CloseArchive();
  const std::string bytes = ReadRaw("a.zip");
  TZAZipFileHeader lh;
  lh.ReadFrom(reinterpret_cast<const Byte*>(bytes.data()));
  EXPECT_EQ(lh.compSize, 0xFFFFFFFFu);
  EXPECT_EQ(lh.unCompSize, 0xFFFFFFFFu);
  ASSERT_EQ(lh.extraLength, 20);
  const Byte* x = reinterpret_cast<const Byte*>(bytes.data()) + 30 + lh.nameLength;
  EXPECT_EQ(GetLE16(x), 1);
  EXPECT_EQ(GetLE16(x + 2), 16);
  EXPECT_EQ(GetLE64(x + 4), 12u);
  if (HasProgram("/usr/bin/unzip")) {
    EXPECT_EQ(RunCommand("/usr/bin/unzip -t " + ShellQuote(Path("a.zip"))), 0);
  }
}

TEST_F(ZAEntries, ANameTooLongForTheSystemIsCode61) {
  TZipArchiver zip;
  Open(zip, "a.zip");
  answers = {fxaIgnore};
  zip.BeginUpdate();
  const Int32 index = zip.DMHandle->CDir->Count();
  zip.DMHandle->CDir->SetCount(index + 1);
  TDirItem item;
  item.Name = u"long.txt";
  zip.DMHandle->CDir->SetItem(index, item);
  zip.FillDirItem(index, File(std::string(300, 'n')), false, 0x20, 40000);
  zip.DMHandle->CDir->FItems[static_cast<size_t>(index)].SrcFileName = File(std::string(300, 'n'));
  zip.DMHandle->CDir->FItems[static_cast<size_t>(index)].Name = u"long.txt";
  zip.EndUpdate();
  EXPECT_EQ(failures, std::vector<Int32>{61});
  EXPECT_TRUE(Names(zip).empty());
}

TEST_F(ZAEntries, SearchMasks) {
  MakeArchive("a.zip", {{u"dir/a1.txt", u"1"}, {u"a2.txt", u"2"}, {u"readme", u"3"}, {u"readme.txt", u"4"},
                        {u"dir/sub/", u""}});
  TZipArchiver zip;
  Open(zip, "a.zip");
  // Every entry under a lone star, its folder part shown with "\" and apart
  // from its name (a trailing separator dropped).
  for (const bool recurse : {false, true}) {
    zip.FOptions.FRecurse = recurse;
    std::vector<String> shown;
    TZAArchiveItem f;
    for (bool ok = zip.FindFirst(u"*", f, 0x28BF, String()); ok; ok = zip.FindNext(f))
      shown.push_back(f.StoredPath + u"|" + f.FileName);
    const std::vector<String> expected =
        recurse ? std::vector<String>{u"dir\\|a1.txt", u"|a2.txt", u"|readme", u"|readme.txt", u"dir\\|sub"}
                : std::vector<String>{u"|a2.txt", u"|readme", u"|readme.txt"};
    EXPECT_EQ(shown, expected);
  }
  struct Case {
    const char16_t* mask;
    bool recurse;
    std::vector<String> found;
  };
  for (const Case& c : {Case{u"a*.txt", true, {u"a1.txt", u"a2.txt"}}, Case{u"a*.txt", false, {u"a2.txt"}},
                        Case{u"readme.", true, {u"readme"}}, Case{u"a2.txt", false, {u"a2.txt"}}}) {
    SCOPED_TRACE(StringToUtf8(c.mask));
    zip.FOptions.FRecurse = c.recurse;
    std::vector<String> found;
    TZAArchiveItem f;
    for (bool ok = zip.FindFirst(c.mask, f, 0x28BF, String()); ok; ok = zip.FindNext(f)) found.push_back(f.FileName);
    EXPECT_EQ(found, c.found);
  }
  EXPECT_FALSE(TZABaseArchiver::CheckAttributesMatch(0x10, 0));
  EXPECT_TRUE(TZABaseArchiver::CheckAttributesMatch(0x10, 0x10));
  EXPECT_FALSE(TZABaseArchiver::CheckAttributesMatch(0x02, 0));
}

TEST_F(ZAEntries, CompressionRates) {
  MakeArchive("a.zip", {{u"empty", u""}});
  TZipArchiver zip;
  Open(zip, "a.zip");
  TZAArchiveItem f;
  ASSERT_TRUE(zip.FindFirst(u"empty", f, 0x28BF, String()));
  EXPECT_EQ(f.CompressionRate, 100.0);
}

TEST_F(ZAEntries, UnicodeNameBlockRoundTrip) {
  TUnicodeExtendedInfo info;
  info.FName = u"na\u00efve";
  TMemoryStream s;
  info.SaveToStream(&s);
  EXPECT_EQ(s.Size(), 8 + 2 * 5);
  TUnicodeExtendedInfo back;
  EXPECT_TRUE(back.LoadFromStream(&s));
  EXPECT_EQ(back.FName, info.FName);
  // A count past the bytes, or another signature, loads nothing.
  const Byte lying[] = {'N', 'U', 'C', 'X', 0xFF, 0xFF, 0xFF, 0x7F, 'a', 0};
  back.FName = u"kept";
  EXPECT_FALSE(back.Load(lying, sizeof lying));
  EXPECT_EQ(back.FName, u"kept");
  THackMemoryStream copy;
  s.Seek(5, soBeginning);
  EXPECT_EQ(copy.CopyFrom(&s, 0), s.Size());
  EXPECT_EQ(copy.Size(), s.Size());
}

}  // namespace
}  // namespace sk

namespace sk {
namespace {

TEST_F(ZAEntries, ASplitArchiveIsWrittenAcrossVolumesAndReadsBack) {
  const std::string text = SplitPartText();
  WriteFivePartSplitArchive(File("split.zip"), text);
  EXPECT_TRUE(FileExists(File("split.z01")) || FileExists(File("split.Z01")));
  TZipArchiver zip;
  zip.FFileName = File("split.zip");
  zip.OpenArchive();
  for (int i = 0; i < 5; ++i) {
    String back;
    zip.ExtractToString(Utf8ToString("part" + std::to_string(i)), back);
    EXPECT_EQ(StringToUtf8(back), text) << i;
  }
}

}  // namespace
}  // namespace sk

namespace sk {
namespace {

TEST_F(ZAEntries, AddingFromDiskTakesFilesAndFoldersOnlyAndEntersALoopOnce) {
  ::mkdir(Path("src").c_str(), 0777);
  ::mkdir(Path("src/sub").c_str(), 0777);
  WriteRaw("src/sub/f.txt", "f");
  ASSERT_EQ(::mkfifo(Path("src/pipe").c_str(), 0666), 0);
  ASSERT_EQ(::symlink(Path("src").c_str(), Path("src/sub/loop").c_str()), 0);
  TZipArchiver zip;
  Open(zip, "a.zip");
  zip.FBaseDir = File("src");
  zip.AddFiles(u"*", 0x28BF, String());
  std::vector<String> names = Names(zip);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<String>{u"sub/", u"sub/f.txt", u"sub/loop/"}));
}

// Latin-1 names on disk, as the listings give them: the archive in such a
// folder, a file added by a mask or by its name, the extraction folder.
TEST_F(ZAEntries, NamesOnDiskThatAreNotUtf8ReachTheirFiles) {
  const std::string body = "caf\xc3\xa9 au lait";
  auto name = [this](const std::string& n) { return SystemNameToString(Path(n)); };
  for (const auto& [archive, source, mask, target] :
       {std::array<const char*, 4>{"caf\xe9/a.zip", "caf\xe9", "*.txt", "caf\xe9/out\xe8"},
        std::array<const char*, 4>{"\xe9t\xe9.zip", "src", "r\xe9sum\xe9.txt", "d\xe9p\xf4t"}}) {
    ::mkdir(Path(source).c_str(), 0777);
    WriteRaw(std::string(source) + "/r\xe9sum\xe9.txt", body);
    TZipArchiver zip;
    zip.FFileName = name(archive);
    ASSERT_NO_THROW(zip.OpenArchive()) << archive;
    zip.FBaseDir = name(source);
    zip.AddFiles(SystemNameToString(mask), 0x28BF, String());
    zip.CloseArchive();
    ASSERT_NO_THROW(zip.OpenArchive()) << archive;
    ASSERT_EQ(Names(zip).size(), 1u) << archive;
    String text;
    zip.ExtractToString(Names(zip)[0], text);
    EXPECT_EQ(text, Utf8ToString(body)) << archive;
    ::mkdir(Path(target).c_str(), 0777);
    zip.FBaseDir = name(target);
    zip.ExtractFiles(u"*", 0x28BF, String());
    std::vector<std::string> put;
    DIR* d = ::opendir(Path(target).c_str());
    while (const dirent* e = d ? ::readdir(d) : nullptr)
      if (e->d_name[0] != '.') put.push_back(e->d_name);
    if (d) ::closedir(d);
    ASSERT_EQ(put.size(), 1u) << target;
    EXPECT_EQ(ReadRaw(std::string(target) + "/" + put[0]), body) << target;
  }
}

TEST_F(ZAEntries, OverwriteModesWhenAddingAndExtracting) {
  struct Case {
    TZAOverwriteMode mode;
    TDateTime second;  // the date of the second add
    const char16_t* kept;
  };
  for (const Case& c : {Case{omNever, 41000, u"first"}, Case{omAlways, 39000, u"second"},
                        Case{omIfNewer, 40000, u"first"}, Case{omIfNewer, 41000, u"second"},
                        Case{omIfOlder, 39000, u"second"}, Case{omIfOlder, 41000, u"first"}}) {
    ::unlink(Path("a.zip").c_str());
    TZipArchiver zip;
    Open(zip, "a.zip");
    zip.FOptions.FOverwriteMode = c.mode;
    zip.AddFromString(u"n.txt", u"first", 0x20, 40000);
    zip.AddFromString(u"n.txt", u"second", 0x20, c.second);
    String text;
    zip.ExtractToString(u"n.txt", text);
    EXPECT_EQ(text, c.kept) << int(c.mode) << " " << c.second;
  }
  // Extracting over a newer file with omIfNewer leaves it; omAlways replaces
  // it and gives it the entry's date.
  MakeArchive("b.zip", {{u"x.txt", u"from the archive"}});
  ::mkdir(Path("out").c_str(), 0777);
  WriteRaw("out/x.txt", "newer on disk");
  FileSetDate(File("out/x.txt"), 45000);
  TZipArchiver zip;
  Open(zip, "b.zip");
  zip.FBaseDir = File("out");
  zip.FOptions.FOverwriteMode = omIfNewer;
  zip.ExtractFiles(u"*", 0x28BF, String());
  EXPECT_EQ(ReadRaw("out/x.txt"), "newer on disk");
  zip.FOptions.FOverwriteMode = omAlways;
  zip.ExtractFiles(u"*", 0x28BF, String());
  EXPECT_EQ(ReadRaw("out/x.txt"), "from the archive");
  TDateTime age = 0;
  ASSERT_TRUE(FileAge(File("out/x.txt"), age));
  EXPECT_NEAR(age, 40000, 1.0 / 86400 * 2);
  // A prompt whose handler names another target: the entry goes there and
  // the file asked about stays.
  WriteRaw("out/x.txt", "asked about");
  ::mkdir(Path("elsewhere").c_str(), 0777);
  zip.FOptions.FOverwriteMode = omPrompt;
  zip.OnConfirmOverwrite = [this](TObject*, const String&, String& dest, bool& confirm) {
    dest = File("elsewhere/y.txt");
    confirm = true;
  };
  zip.ExtractFiles(u"*", 0x28BF, String());
  EXPECT_EQ(ReadRaw("out/x.txt"), "asked about");
  EXPECT_EQ(ReadRaw("elsewhere/y.txt"), "from the archive");
}

// Whatever stands at a target name (a link to a file of the user's, a
// dangling link, a pipe) is kept or asked about by the overwrite rule as a
// file is; a link replaced is replaced, never written through. The links and
// the pipe are newer than the entries.
TEST_F(ZAEntries, OverwriteModesHoldForLinksAndPipesAtTargets) {
  struct Case {
    TZAOverwriteMode mode;
    bool answer;  // to a question
    bool kept;
  };
  MakeArchive("t.zip", {{u"link.txt", u"new"}, {u"dangling.txt", u"new"}, {u"pipe", u"new"}});
  ::mkdir(Path("out").c_str(), 0777);
  WriteRaw("mine.txt", "mine");
  for (const Case& c : {Case{omNever, false, true}, Case{omIfNewer, false, true}, Case{omIfOlder, false, false},
                        Case{omPrompt, false, true}, Case{omPrompt, true, false}, Case{omAlways, false, false}}) {
    SCOPED_TRACE(std::to_string(int(c.mode)) + (c.answer ? " yes" : ""));
    for (const char* n : {"out/link.txt", "out/dangling.txt", "out/pipe"}) ::unlink(Path(n).c_str());
    ASSERT_EQ(::symlink(Path("mine.txt").c_str(), Path("out/link.txt").c_str()), 0);
    ASSERT_EQ(::symlink(Path("gone.txt").c_str(), Path("out/dangling.txt").c_str()), 0);
    ASSERT_EQ(::mkfifo(Path("out/pipe").c_str(), 0666), 0);
    TZipArchiver zip;
    Open(zip, "t.zip");
    zip.FBaseDir = File("out");
    zip.FOptions.FOverwriteMode = c.mode;
    Int32 asked = 0;
    zip.OnConfirmOverwrite = [&](TObject*, const String&, String&, bool& confirm) {
      ++asked;
      confirm = c.answer;
    };
    zip.ExtractFiles(u"*", 0x28BF, String());
    EXPECT_EQ(asked, c.mode == omPrompt ? 3 : 0);
    for (const char* n : {"out/link.txt", "out/dangling.txt", "out/pipe"}) {
      struct stat st;
      ASSERT_EQ(::lstat(Path(n).c_str(), &st), 0);
      EXPECT_EQ(!S_ISREG(st.st_mode), c.kept) << n;
    }
    EXPECT_EQ(ReadRaw("mine.txt"), "mine");
    EXPECT_FALSE(FileExists(File("gone.txt")));
  }
}

TEST_F(ZAEntries, BracketsAttributesAndRefusals) {
  TZipArchiver zip;
  Open(zip, "a.zip");
  zip.BeginUpdate();
  zip.AddFromString(u"in.txt", u"waits", 0x20, 40000);
  zip.AddFromString(u"dir/", u"", 0x10, 40000);
  EXPECT_EQ(ReadRaw("a.zip").size(), 0u);  // nothing written inside the bracket
  zip.EndUpdate();
  EXPECT_GT(ReadRaw("a.zip").size(), 22u);
  zip.ChangeFilesAttr(u"dir", 0x20);
  EXPECT_EQ(zip.DMHandle->CDir->FItems[1].CentralDir.externalAttr, 0x30u);
  EXPECT_EQ(EngineErrorOf([&] { zip.ChangeFilesAttr(u"none", 0x20); }), 31);
  EXPECT_EQ(EngineErrorOf([&] { zip.ChangeFilesIntAttr(u"none", 1); }), 38);
  zip.FOptions.FRecurse = true;
  TNullStream sink;
  EXPECT_EQ(EngineErrorOf([&] { zip.ExtractToStream(u"none", &sink); }), 15);
  EXPECT_TRUE(zip.FOptions.FRecurse);
  EXPECT_EQ(EngineErrorOf([&] { zip.DeleteItem(0); }), 22);
  EXPECT_EQ(EngineErrorOf([&] { zip.DeleteItem(9); }), 21);
  EXPECT_EQ(EngineErrorOf([&] { zip.UpdateItem(0, File("x")); }), 25);
  EXPECT_EQ(EngineErrorOf([&] { zip.ExtractItem(9, &sink, 0, 0); }), 16);
  zip.CloseArchive();
  ::chmod(Path("a.zip").c_str(), 0444);
  if (::access(Path("a.zip").c_str(), W_OK) != 0) {
    TZipArchiver ro;
    ro.FFileName = File("a.zip");
    ro.OpenArchive();
    EXPECT_EQ(EngineErrorOf([&] { ro.BeginUpdate(); }), 32);
  }
}

TEST_F(ZAEntries, CancelUpdateDropsThePendingEntries) {
  MakeArchive("a.zip", {{u"one.txt", u"1"}});
  TZipArchiver zip;
  Open(zip, "a.zip");
  zip.BeginUpdate();
  zip.AddFromString(u"pending.txt", u"never written", 0x20, 40000);
  zip.CancelUpdate();
  EXPECT_EQ(Names(zip), std::vector<String>{u"one.txt"});
  // A later commit works from what the file holds.
  zip.AddFromString(u"two.txt", u"2", 0x20, 40000);
  EXPECT_EQ(Names(zip), (std::vector<String>{u"one.txt", u"two.txt"}));
}

TEST_F(ZAEntries, UnicodeNameBlocksAreWrittenAndFollowARename) {
  TZipArchiver zip;
  Open(zip, "a.zip");
  zip.SetUnicodeFilenames(true);
  zip.AddFromString(u"caf\u00e9.txt", u"x", 0x20, 40000);
  zip.RenameFile(u"caf\u00e9.txt", u"th\u00e9.txt");
  zip.CloseArchive();
  zip.OpenArchive();
  ASSERT_EQ(Names(zip), std::vector<String>{u"th\u00e9.txt"});
  const TDirItem& item = zip.DMHandle->CDir->FItems[0];
  bool found = false;
  for (const auto& block : item.ExtraFields) {
    if (block.headerID != UnicodeExtraFieldHeaderID) continue;
    TUnicodeExtendedInfo info;
    ASSERT_TRUE(info.Load(block.pData.data(), static_cast<Int64>(block.pData.size())));
    EXPECT_EQ(info.FName, u"th\u00e9.txt");
    found = true;
  }
  EXPECT_TRUE(found);
  String text;
  zip.ExtractToString(u"th\u00e9.txt", text);
  EXPECT_EQ(text, u"x");
}

TEST_F(ZAEntries, ATestOfADamagedEntryReachesTheFailurePrompt) {
  MakeArchive("a.zip", {{u"f.txt", u"some content here"}});
  std::string bytes = ReadRaw("a.zip");
  bytes[bytes.find("f.txt") + 7] ^= 0x11;
  WriteRaw("a.zip", bytes);
  TZipArchiver zip;
  Open(zip, "a.zip");
  answers = {fxaIgnore};
  zip.TestFiles(u"*", 0x28BF, String());
  EXPECT_EQ(failures, std::vector<Int32>{8});
}

}  // namespace
}  // namespace sk

namespace sk {
namespace {

TEST_F(ZAEntries, AZipSlipSetOfOtherToolsExtractsNothingOutside) {
  SK_NEED_PROGRAM(kPython);
  ::mkdir(Path("x").c_str(), 0777);
  ::mkdir(Path("x/out").c_str(), 0777);
  // Names with raw backslashes (from an MS-DOS host, whose names separate
  // folders so), a drive and a server prefix, as another tool stores them;
  // and a link entry (a Unix mode of a symbolic link).
  const std::string script =
      "import zipfile,sys\n"
      "z=zipfile.ZipFile(sys.argv[1],'w')\n"
      "for n in ['../evil','a/../../evil','/abs','\\\\\\\\srv\\\\x','C:\\\\x','a\\\\..\\\\..\\\\evil3','ok.txt']:\n"
      "  i=zipfile.ZipInfo(n); i.create_system=0 if '\\\\' in n else 3\n"
      "  z.writestr(i,'x')\n"
      "i=zipfile.ZipInfo('link'); i.create_system=3; i.external_attr=(0o120777<<16)\n"
      "z.writestr(i,'/etc/passwd')\n"
      "z.close()\n";
  WriteRaw("slip.py", script);
  ASSERT_EQ(RunCommand(std::string(kPython) + " " + ShellQuote(Path("slip.py")) + " " + ShellQuote(Path("x/slip.zip"))),
            0);
  if (HasProgram("/usr/bin/zip")) {
    ASSERT_EQ(::symlink("/etc/hostname", Path("x/zlink").c_str()), 0);
    ASSERT_EQ(RunCommand("cd " + ShellQuote(Path("x")) + " && /usr/bin/zip -q -y slip.zip zlink"), 0);
  }
  TZipArchiver zip;
  Open(zip, "x/slip.zip");
  zip.FBaseDir = File("x/out");
  answers.assign(20, fxaIgnore);
  zip.ExtractFiles(u"*", 0x28BF, String());
  EXPECT_EQ(failures, std::vector<Int32>(6, 19));
  EXPECT_FALSE(FileExists(File("x/evil")));
  EXPECT_FALSE(FileExists(File("evil")));
  EXPECT_FALSE(FileExists(File("x/evil3")));
  EXPECT_EQ(ReadRaw("x/out/ok.txt"), "x");
  struct stat st;
  for (const char* link : {"x/out/link", "x/out/zlink"}) {
    if (::lstat(Path(link).c_str(), &st) != 0) continue;  // zip not installed
    EXPECT_TRUE(S_ISREG(st.st_mode)) << link;
  }
}

}  // namespace
}  // namespace sk

namespace sk {
namespace {

// Runs over every entry of an archive: each yields to the host by time and
// ends at its Stop; the files extracted take their names a batch at a time,
// at two flushes of the disk a batch, never one a file.
class ZAEntriesLongRuns : public ZAEntries {
 protected:
  static constexpr int kEntries = 300;
  static String NameOf(int i) { return Utf8ToString("f" + std::to_string(i / 50) + "/e" + std::to_string(i) + ".txt"); }
  static std::string TextOf(int i) { return "entry " + std::to_string(i) + std::string(static_cast<size_t>(i % 7), '.'); }
  void SetUp() override {
    ZAEntries::SetUp();
    std::vector<std::pair<String, String>> entries;
    for (int i = 0; i < kEntries; ++i) entries.push_back({NameOf(i), Utf8ToString(TextOf(i))});
    MakeArchive("many.zip", entries);
    fFlushesSkipped = SetFileFlushesSkipped(true);  // still asked of the seam, and counted
  }
  void TearDown() override {
    SetFileFlushesSkipped(fFlushesSkipped);
    ZAEntries::TearDown();
  }
  // The files under out/: each either absent or whole; answers how many are
  // there, and fails on any other file (a temporary one left behind).
  int WholeFilesOut() {
    int found = 0;
    for (const auto& e : std::filesystem::recursive_directory_iterator(Path("out"))) {
      if (e.is_directory()) continue;
      const std::string rel = std::filesystem::relative(e.path(), Path("out")).string();
      int i = -1;
      for (int k = 0; k < kEntries && i < 0; ++k)
        if (StringToUtf8(NameOf(k)) == rel) i = k;
      EXPECT_GE(i, 0) << "a stray file " << rel;
      if (i >= 0) {
        EXPECT_EQ(ReadRaw("out/" + rel), TextOf(i)) << rel;
      }
      ++found;
    }
    return found;
  }
  bool fFlushesSkipped = false;
};

TEST_F(ZAEntriesLongRuns, ExtractionFlushesPerBatchAndYields) {
  // Into an empty folder, then over the files the first run left (given
  // other text): at each file's end event the file is whole at its name.
  for (const char* pass : {"new files", "over the same files"}) {
    SCOPED_TRACE(pass);
    if (std::filesystem::exists(Path("out")))
      for (int i = 0; i < kEntries; ++i) WriteRaw("out/" + StringToUtf8(NameOf(i)), "old");
    TZipArchiver zip;
    Open(zip, "many.zip");
    zip.FBaseDir = File("out");
    int ends = 0, atName = 0;
    zip.OnFileProgress = [&](TObject*, const String& name, Double, TZAProcessOperation, TZAProgressPhase phase,
                             bool&) {
      if (phase != ppEnd) return;
      ++ends;
      std::string rel = StringToUtf8(name);
      std::replace(rel.begin(), rel.end(), '\\', '/');
      atName += ReadRaw("out/" + rel) == TextOf(std::stoi(rel.substr(rel.find("/e") + 2)));
    };
    ScopedHostYield host;
    Int64 flushes = 0, renames = 0;
    {
      ScopedFileSeam seam;
      zip.ExtractFiles(u"*", 0x28BF, String());
      flushes = std::count(seam.ops.begin(), seam.ops.end(), fsoFlush);
      renames = std::count(seam.ops.begin(), seam.ops.end(), fsoRename);
    }
    EXPECT_EQ(renames, kEntries);
    EXPECT_LE(flushes, 2 * (kEntries / 128 + 1)) << "a flush per file";
    EXPECT_GE(host.calls, 2);
    EXPECT_EQ(WholeFilesOut(), kEntries);
    EXPECT_TRUE(failures.empty());
    EXPECT_EQ(ends, kEntries);
    EXPECT_EQ(atName, kEntries);
  }
}

// A batched extraction that meets a full disk or a failing call (a write, a
// flush, a rename) at any point leaves every file at its name whole, no
// temporary behind, and each entry it did not put in place reported (or
// the run raises an error): with
// every failure skipped, the files out and the failures account for every
// entry; ended at the first, at least one failure is reported.
TEST_F(ZAEntriesLongRuns, AFailingCallDuringExtractionLosesNoEntrySilently) {
  Int64 calls = 0;
  {
    TZipArchiver zip;
    Open(zip, "many.zip");
    zip.FBaseDir = File("clean");
    ScopedFileSeam seam;
    zip.ExtractFiles(u"*", 0x28BF, String());
    calls = seam.calls;
  }
  ASSERT_GT(calls, 20);
  int runs = 0, raisedRuns = 0;
  Int64 fullDisks = 0;
  for (const bool sticky : {false, true}) {
    for (const Int64 at : {Int64{1}, calls / 3, calls / 2, calls - 3, calls - 1}) {
      for (const bool skip : {true, false}) {
        SCOPED_TRACE(testing::Message() << "call " << at << (sticky ? " full disk" : " one failure")
                                        << (skip ? " skipped" : " ends the run"));
        std::filesystem::remove_all(Path("out"));
        failures.clear();
        answers.assign(skip ? static_cast<size_t>(kEntries) : 0, fxaIgnore);
        TZipArchiver zip;
        Open(zip, "many.zip");
        zip.FBaseDir = File("out");
        bool raised = false;  // an error raised is a failure reported for the whole run
        try {
          ScopedFileSeam seam(at, ENOSPC, sticky);
          zip.ExtractFiles(u"*", 0x28BF, String());
        } catch (const Exception&) {
          raised = true;
        }
        const int out = std::filesystem::exists(Path("out")) ? WholeFilesOut() : 0;
        ++runs;
        if (raised) {
          ++raisedRuns;
          continue;
        }
        if (skip) {
          EXPECT_GE(out + static_cast<int>(failures.size()), kEntries);
        } else if (out < kEntries) {
          EXPECT_FALSE(failures.empty());
        }
        // The archive is whole: a write that fails is never taken for a
        // damaged entry, and a full disk is named as one.
        EXPECT_EQ(std::count(failures.begin(), failures.end(), 8), 0);
        fullDisks += std::count(failures.begin(), failures.end(), 65);
      }
    }
  }
  // Only a failure while the archive is opened raises; the rest are met entry by entry.
  EXPECT_LT(raisedRuns, runs / 2);
  EXPECT_GT(fullDisks, 0);
}

// A batched extraction killed while its files wait for their names leaves
// them hidden beside their targets; the next extraction into those folders
// takes them away, never a file of the user's named like one, and leaves
// every file whole at its name.
TEST_F(ZAEntriesLongRuns, TemporariesAKilledExtractionLeftGoWithTheNextRun) {
  const Int64 writes = kEntries;  // a write or more an entry
  const std::vector<std::string> mine = {"out/f0/.e0.txt.sk-ABCDEFGH.tmp", "out/f0/.za.e1.tmp"};
  std::filesystem::create_directories(Path("out/f0"));
  for (const std::string& name : mine) WriteRaw(name, "mine");
  auto hidden = [&] {
    size_t n = 0;
    for (const auto& e : std::filesystem::recursive_directory_iterator(Path("out")))
      n += e.path().filename().string()[0] == '.';
    return n - mine.size();
  };
  auto extract = [&] {
    TZipArchiver zip;
    Open(zip, "many.zip");
    zip.FBaseDir = File("out");
    zip.ExtractFiles(u"*", 0x28BF, String());
    return 0;
  };
  for (const Int64 at : {writes / 3, writes * 2 / 3}) {
    Int64 seen = 0;
    ASSERT_EQ(EndOf(InChild([&] {
                SetFileSeamHook([&](TFileSeamOp op, const std::string&) {
                  if (op == fsoWrite && ++seen == at) ::raise(SIGKILL);
                  return 0;
                });
                return extract();
              })),
              -SIGKILL);
    EXPECT_GT(hidden(), 10u) << at;
  }
  extract();
  EXPECT_EQ(hidden(), 0u);
  for (const std::string& name : mine) {
    EXPECT_EQ(ReadRaw(name), "mine");
    std::filesystem::remove(Path(name));
  }
  EXPECT_EQ(WholeFilesOut(), kEntries);
}

TEST_F(ZAEntriesLongRuns, TwoEntriesOfOneNameInOneBatchKeepTheOverwriteRule) {
  // Extracted without their folders, two entries make one file: the second
  // must find the first one's file there, as it would without the batch.
  WriteRaw("twice.zip", WriteStoredArchive({{u"a/same.txt", "first"}, {u"other.txt", "o"}, {u"b/same.txt", "second"}}));
  for (const auto& [mode, expected] : {std::pair{omNever, "first"}, std::pair{omAlways, "second"}}) {
    std::filesystem::remove_all(Path("out"));
    ::mkdir(Path("out").c_str(), 0777);
    TZipArchiver zip;
    Open(zip, "twice.zip");
    zip.FBaseDir = File("out");
    zip.FOptions.FCreateDirs = false;
    zip.FOptions.FOverwriteMode = mode;
    zip.ExtractFiles(u"*", 0x28BF, String());
    EXPECT_EQ(ReadRaw("out/same.txt"), expected);
  }
}

// A Stop ends a run over many entries, or a single large entry in the
// middle of its data (stored, deflated, encrypted): the archive as it was,
// each file out whole or absent, no temporary left.
TEST_F(ZAEntriesLongRuns, AStopEndsARunAndLeavesNothingHalfDone) {
  const std::string before = ReadRaw("many.zip");
  // One entry of 24 MB, stored, deflated and encrypted, and its file on disk.
  std::string big;
  for (Int64 line = 0; big.size() < (24u << 20); ++line) big += "line " + std::to_string(line * 7919 % 100003) + " of a big entry\n";
  ::mkdir(Path("big").c_str(), 0777);
  WriteRaw("big/big.bin", big);
  const std::vector<std::pair<const char*, Byte>> forms = {{"big-stored.zip", 0}, {"big-deflated.zip", 6}, {"big-encrypted.zip", 1}};
  for (const auto& [name, mode] : forms) {
    TZipArchiver zip;
    Open(zip, name);
    zip.SetCompressionMode(mode);
    if (std::string(name) == "big-encrypted.zip") zip.SetPassword("secret");
    zip.FBaseDir = File("big");
    zip.AddFiles(u"big.bin", 0x28BF, String());
  }
  {
    // A small entry ahead of the large one: a change to it copies the large
    // one's data anew.
    TZipArchiver zip;
    Open(zip, "big-after.zip");
    zip.BeginUpdate();
    zip.AddFromString(u"a.txt", u"small", 0x20, 40000);
    zip.SetCompressionMode(0);
    zip.FBaseDir = File("big");
    zip.AddFiles(u"big.bin", 0x28BF, String());
    zip.EndUpdate();
  }
  auto addBig = [this](Byte mode, const char* password) {
    return [this, mode, password](TZipArchiver& z) {
      z.SetCompressionMode(mode);
      z.SetPassword(password);
      z.FBaseDir = File("big");
      z.AddFiles(u"big.bin", 0x28BF, String());
    };
  };
  struct Case {
    const char* what;
    const char* archive;
    std::function<void(TZipArchiver&)> run;
    bool archiveUnchanged;
    int stopAt;  // the yield that asks for the Stop; 0: the first in the middle of the large file's data
  };
  const Case cases[] = {
      {"extracting", "many.zip", [](TZipArchiver& z) { z.ExtractFiles(u"*", 0x28BF, String()); }, true, 1},
      {"testing", "many.zip", [](TZipArchiver& z) { z.TestFiles(u"*", 0x28BF, String()); }, true, 1},
      {"deleting", "many.zip", [](TZipArchiver& z) { z.DeleteFiles(u"*", 0x28BF, String()); }, true, 1},
      {"adding files from disk", "many.zip",
       [this](TZipArchiver& z) {
         ::mkdir(Path("src").c_str(), 0777);
         for (int i = 0; i < kEntries; ++i) WriteRaw("src/n" + std::to_string(i) + ".txt", TextOf(i));
         z.FBaseDir = File("src");
         z.AddFiles(u"*.*", 0x28BF, String());
       },
       true, 1},
      {"committing added entries", "many.zip",
       [](TZipArchiver& z) {
         z.BeginUpdate();
         for (int i = 0; i < kEntries; ++i) z.AddFromString(NameOf(i) + u".new", u"new", 0x20, 40000);
         z.EndUpdate();
       },
       true, 1},
      {"extracting one large stored entry", "big-stored.zip",
       [](TZipArchiver& z) { z.ExtractFiles(u"*", 0x28BF, String()); }, true, 3},
      {"extracting one large deflated entry", "big-deflated.zip",
       [](TZipArchiver& z) { z.ExtractFiles(u"*", 0x28BF, String()); }, true, 3},
      {"extracting one large encrypted entry", "big-encrypted.zip",
       [](TZipArchiver& z) {
         z.SetPassword("secret");
         z.ExtractFiles(u"*", 0x28BF, String());
       },
       true, 3},
      {"testing one large deflated entry", "big-deflated.zip",
       [](TZipArchiver& z) { z.TestFiles(u"*", 0x28BF, String()); }, true, 3},
      {"extracting one large entry to a string", "big-deflated.zip",
       [](TZipArchiver& z) {
         String text;
         EXPECT_EQ(EngineErrorOf([&] { z.ExtractToString(u"big.bin", text); }), 8);
       },
       true, 3},
      {"renaming an entry ahead of one large entry", "big-after.zip",
       [](TZipArchiver& z) { z.RenameFile(u"a.txt", u"b.txt"); }, true, 3},
      {"adding one large file stored", "many.zip", addBig(0, ""), true, 0},
      {"adding one large file deflated", "many.zip", addBig(6, ""), true, 0},
      {"adding one large file encrypted", "many.zip", addBig(1, "secret"), true, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string archiveBefore = std::string(c.archive) == "many.zip" ? before : ReadRaw(c.archive);
    WriteRaw(c.archive, archiveBefore);
    std::filesystem::remove_all(Path("out"));
    TZipArchiver zip;
    Open(zip, c.archive);
    const Int32 entries = zip.DMHandle->CDir->Count();
    zip.FBaseDir = File("out");
    int yields = 0;
    {
      ScopedHostYield host(c.stopAt);
      if (c.stopAt == 0) {
        // The Stop is asked for only while the codec is a quarter to a half
        // through the large file: a yield before or after it does not count.
        const Int64 size = static_cast<Int64>(big.size());
        Global_YieldProcessProc = [&host, &zip, size] {
          ++host.calls;
          if (zip.FProgress > size / 4 && zip.FProgress < size / 2) global_panic_state = panic_stop;
        };
      }
      c.run(zip);
      yields = host.calls;
      EXPECT_NE(global_panic_state, panic_no_panic) << "never stopped";
    }
    EXPECT_GE(yields, c.stopAt);
    EXPECT_FALSE(zip.GetInUpdate());
    if (c.archiveUnchanged) {
      EXPECT_TRUE(ReadRaw(c.archive) == archiveBefore) << "the archive changed";
    }
    EXPECT_EQ(zip.DMHandle->CDir->Count(), entries);
    if (!std::filesystem::exists(Path("out"))) continue;
    if (std::string(c.archive) == "many.zip") {
      EXPECT_LT(WholeFilesOut(), kEntries);
    } else {
      for (const auto& e : std::filesystem::recursive_directory_iterator(Path("out")))
        EXPECT_TRUE(e.is_directory()) << "a file left: " << e.path();
    }
  }
}

TEST_F(ZAEntriesLongRuns, DeletingManyEntriesKeepsTheRestInOrderAndFindable) {
  TZipArchiver zip;
  Open(zip, "many.zip");
  zip.DeleteFiles(u"*3.txt", 0x28BF, String());
  std::vector<String> expected;
  for (int i = 0; i < kEntries; ++i)
    if (i % 10 != 3) expected.push_back(NameOf(i));
  EXPECT_EQ(Names(zip), expected);
  for (size_t i = 0; i < expected.size(); i += 37) {
    Int32 at = -1;
    EXPECT_TRUE(zip.DMHandle->CDir->FileExists(expected[i], at));
    EXPECT_EQ(at, static_cast<Int32>(i));
  }
  zip.CloseArchive();
  TZipArchiver again;
  Open(again, "many.zip");
  EXPECT_EQ(Names(again), expected);
  String text;
  again.ExtractToString(NameOf(kEntries - 1), text);
  EXPECT_EQ(StringToUtf8(text), TextOf(kEntries - 1));
}

}  // namespace
}  // namespace sk
