// Whole-archive operations: a stub in front of an archive (checked by the
// peers), the validity test, and the listing helpers.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <map>
#include <optional>

#include "ArchiverTestSupport.h"
#include "FileSeamTestSupport.h"
#include "TestSupport.h"
#include "ZipTestSupport.h"
#include "platform/runtime/DateUtils.h"
#include "platform/runtime/FileUtils.h"
#include "zip/ZAArchiver.h"
#include "zip/ZAExcept.h"

namespace sk {
namespace {

std::string Pattern() {
  std::string s(70000, '\0');
  for (size_t i = 0; i < s.size(); ++i) s[i] = static_cast<char>((i * 131 + i / 7) & 0xFF);
  return s;
}

class ZAArchiver_whole : public ScratchFolderTest {
 protected:
  ZAArchiver_whole() : ScratchFolderTest("sk_whole") {}
  void SetUp() override {
    ScratchFolderTest::SetUp();
    StartArchiverUnits();
  }
  // An archive of ours with the named entries (text of each: its name twice).
  String MakeArchive(const std::string& name, const std::vector<String>& entries) {
    TZipArchiver z;
    z.FFileName = File(name);
    z.OpenArchive(fmCreate);
    z.BeginUpdate();
    for (const String& e : entries) z.AddFromString(e, e + e, 0x20, EncodeDate(2020, 5, 6) + 0.5);
    z.EndUpdate();
    z.CloseArchive();
    return File(name);
  }
  // An entry's text, read back from the archive by our archiver.
  String TextOf(const std::string& archive, const String& entry) {
    TZipArchiver back;
    back.FFileName = File(archive);
    back.OpenArchive(fmOpenRead);
    String text;
    back.ExtractToString(entry, text);
    back.CloseArchive();
    return text;
  }
  static Int32 CodeOf(const std::function<void()>& f) {
    try {
      f();
    } catch (const EZAException& e) {
      return e.NativeError;
    }
    return 0;
  }
};

TEST_F(ZAArchiver_whole, MakeSFXPassesThePeers) {
  const String zip = MakeArchive("a.zip", {u"one.txt", u"dir/two.txt"});
  WriteRaw("stub.sh", "#!/bin/sh\n" + std::string(990, '#'));
  ASSERT_EQ(ReadRaw("stub.sh").size(), 1000u);
  for (bool open : {false, true}) {
    SCOPED_TRACE(open);
    TZipArchiver z;
    z.FFileName = zip;
    z.FSFXStub = File("stub.sh");
    if (open) z.OpenArchive(fmOpenRead);
    z.MakeSFX(File("sfx.bin"));
    if (open) z.CloseArchive();
    EXPECT_EQ(ReadRaw("sfx.bin").substr(0, 1000), ReadRaw("stub.sh"));
    EXPECT_EQ(ReadRaw("sfx.bin").size(), 1000 + ReadRaw("a.zip").size());
    std::string out;
    EXPECT_EQ(RunCommand("/usr/bin/unzip -t " + ShellQuote(Path("sfx.bin")), &out, true), 0) << out;
    EXPECT_EQ(out.find("extra bytes"), std::string::npos) << out;
    if (HasProgram("/usr/bin/7zz")) {
      EXPECT_EQ(RunCommand("/usr/bin/7zz t " + ShellQuote(Path("sfx.bin")), &out, true), 0) << out;
    }
    // Our reader reads it back too.
    EXPECT_EQ(TextOf("sfx.bin", u"dir/two.txt"), u"dir/two.txtdir/two.txt");
  }
}

// A self-extracting copy made over a file already there replaces it whole:
// whichever file call fails, the old file keeps every byte.
TEST_F(ZAArchiver_whole, MakeSFXThatFailsKeepsTheFileItWouldReplace) {
  const String zip = MakeArchive("c.zip", {u"one.txt"});
  WriteRaw("stub.sh", "#!/bin/sh\nexit 0\n");
  WriteRaw("sfx.bin", "the old file");
  Int64 calls = 0;
  {
    ScopedFileSeam count;
    TZipArchiver z;
    z.FFileName = zip;
    z.FSFXStub = File("stub.sh");
    z.MakeSFX(File("probe.bin"));
    calls = count.calls;
  }
  ASSERT_GT(calls, 0);
  for (Int64 n = 1; n <= calls; ++n) {
    WriteRaw("sfx.bin", "the old file");
    bool failed = false;
    bool folderFlush = false;  // fails after the rename: the new file is in place
    {
      ScopedFileSeam seam(n, ENOSPC);
      TZipArchiver z;
      z.FFileName = zip;
      z.FSFXStub = File("stub.sh");
      try {
        z.MakeSFX(File("sfx.bin"));
      } catch (const Exception&) {
        failed = true;
      }
      folderFlush = seam.failedOp == fsoFlush && !seam.failedPath.empty();
    }
    if (failed && !folderFlush)
      EXPECT_EQ(ReadRaw("sfx.bin"), "the old file") << n;
    else
      EXPECT_EQ(ReadRaw("sfx.bin"), ReadRaw("probe.bin")) << n;
  }
}

// Made over a file another user put there (in a shared sticky folder, say),
// the copy of the archive is the process's own and as closed as the archive.
TEST_F(ZAArchiver_whole, MakeSFXOverAnotherUsersFileIsACopyOfOurOwn) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root";
  TZipArchiver z;
  z.FFileName = MakeArchive("c.zip", {u"secret.txt"});
  z.FSFXStub = File("stub.sh");
  WriteRaw("stub.sh", "#!/bin/sh\nexit 0\n");
  ASSERT_EQ(::chmod(Path("c.zip").c_str(), 0600), 0);
  WriteRaw("sfx.bin", "planted");
  ASSERT_EQ(::chown(Path("sfx.bin").c_str(), 65534, 65534), 0);
  z.MakeSFX(File("sfx.bin"));
  struct stat st {};
  ASSERT_EQ(::stat(Path("sfx.bin").c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 0u);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(ZAArchiver_whole, MakeSFXRefusals) {
  const String zip = MakeArchive("b.zip", {u"x.txt"});
  WriteRaw("stub.sh", "#!/bin/sh\nexit 0\n");
  TZipArchiver z;
  z.FFileName = zip;
  EXPECT_EQ(CodeOf([&] { z.MakeSFX(File("o1.bin")); }), 17);
  z.FSFXStub = File("missing.sh");
  EXPECT_EQ(CodeOf([&] { z.MakeSFX(File("o2.bin")); }), 18);
  z.FSFXStub = File("stub.sh");
  z.MakeSFX(File("sfx.bin"));
  TZipArchiver again;
  again.FFileName = File("sfx.bin");
  again.FSFXStub = File("stub.sh");
  EXPECT_EQ(CodeOf([&] { again.MakeSFX(File("o3.bin")); }), 50);
  z.FSpanningMode = smSplitting;
  EXPECT_EQ(CodeOf([&] { z.MakeSFX(File("o4.bin")); }), 49);
  EXPECT_FALSE(FileExists(File("o1.bin")));
  EXPECT_FALSE(FileExists(File("o2.bin")));
}

TEST_F(ZAArchiver_whole, IsValidArchiveFileAnswersWhatItFound) {
  const String zip = MakeArchive("v.zip", {u"a.txt", u"b.txt"});
  TZipArchiver z;
  z.FFileName = File("none.zip");
  EXPECT_FALSE(z.IsValidArchiveFile());
  z.FFileName = zip;
  EXPECT_TRUE(z.IsValidArchiveFile());
  z.OpenArchive(fmOpenRead);
  EXPECT_TRUE(z.IsValidArchiveFile());
  z.CloseArchive();
  // Without its directory, it is valid only while its entries check.
  std::string bytes = ReadRaw("v.zip");
  const size_t dir = bytes.rfind(std::string("PK\x01\x02", 4), bytes.rfind(std::string("PK\x01\x02", 4)) - 1);
  ASSERT_NE(dir, std::string::npos);
  WriteRaw("cut.zip", bytes.substr(0, dir));
  z.FFileName = File("cut.zip");
  EXPECT_TRUE(z.IsValidArchiveFile());
  std::string damaged = bytes.substr(0, dir);
  damaged[40] = static_cast<char>(damaged[40] ^ 0x55);  // inside the first entry's data
  WriteRaw("bad.zip", damaged);
  z.FFileName = File("bad.zip");
  EXPECT_FALSE(z.IsValidArchiveFile());
  WriteRaw("text.zip", "no archive at all");
  z.FFileName = File("text.zip");
  EXPECT_FALSE(z.IsValidArchiveFile());
}

TEST_F(ZAArchiver_whole, ListingHelpers) {
  const String zip = MakeArchive("l.zip", {u"z/b.txt", u"A.txt", u"c.txt", u"y/a2.txt"});
  TZipArchiver z;
  z.FFileName = zip;
  EXPECT_EQ(z.GetAZipMainDetail(0).Name, u"");  // closed
  z.OpenArchive(fmOpenRead);
  EXPECT_EQ(z.GetAZipMainDetail(1).Name, u"A.txt");
  EXPECT_EQ(z.GetAZipMainDetail(4).Name, u"");
  EXPECT_EQ(z.GetAZipFileSubProperty(4).signature, 0u);
  EXPECT_EQ(z.GetAZipMainDetail(-1).Name, u"");
  EXPECT_EQ(z.GetAZipFileSubProperty(0).signature, ZipCentralDirSignature);
  EXPECT_NEAR(z.GetADateTime(0), EncodeDate(2020, 5, 6) + 0.5, 2.0 / 86400);
  EXPECT_DOUBLE_EQ(z.GetADateTime(9), EncodeDate(1980, 1, 1));
  auto sorted = z.SortedListOfShortFilenamesWithin();
  EXPECT_EQ(Lines(*sorted), (std::vector<String>{u"A.txt\tA.txt", u"a2.txt\ty/a2.txt", u"b.txt\tz/b.txt",
                                                 u"c.txt\tc.txt"}));
  z.CloseArchive();
}


TEST_F(ZAArchiver_whole, MergeHoldsTheUnionAndPassesUnzip) {
  MakeArchive("mine.zip", {u"a.txt", u"same.txt"});
  MakeArchive("theirs.zip", {u"b.txt", u"same.txt", u"dir/c.txt"});
  // The other archive carries a stub.
  WriteRaw("stub.sh", "#!/bin/sh\n" + std::string(300, '#'));
  {
    TZipArchiver t;
    t.FFileName = File("theirs.zip");
    t.FSFXStub = File("stub.sh");
    t.MakeSFX(File("theirs_sfx.zip"));
  }
  // Make this archive's "same.txt" differ from the other's.
  {
    TZipArchiver m;
    m.FFileName = File("mine.zip");
    m.OpenArchive();
    m.BeginUpdate();
    m.AddFromString(u"same.txt", u"mine", 0x20, EncodeDate(2021, 1, 1));
    m.EndUpdate();
    m.CloseArchive();
  }
  const std::string before = ReadRaw("mine.zip");
  for (const char* other : {"theirs.zip", "theirs_sfx.zip"}) {
    SCOPED_TRACE(other);
    WriteRaw("mine.zip", before);
    TZipArchiver m;
    m.FFileName = File("mine.zip");
    m.FOptions.FOverwriteMode = omNever;
    m.OpenArchive();
    m.MergeWith(File(other));
    m.CloseArchive();
    std::string out;
    EXPECT_EQ(RunCommand("/usr/bin/unzip -t " + ShellQuote(Path("mine.zip")), &out, true), 0) << out;
    TZipArchiver back;
    back.FFileName = File("mine.zip");
    back.OpenArchive(fmOpenRead);
    EXPECT_EQ(back.DMHandle->CDir->Count(), 4);
    String text;
    back.ExtractToString(u"same.txt", text);
    EXPECT_EQ(text, u"mine");
    back.ExtractToString(u"dir/c.txt", text);
    EXPECT_EQ(text, u"dir/c.txtdir/c.txt");
    back.ExtractToString(u"a.txt", text);
    EXPECT_EQ(text, u"a.txta.txt");
    back.CloseArchive();
  }
  // omAlways takes the other's entry.
  WriteRaw("mine.zip", before);
  TZipArchiver m;
  m.FFileName = File("mine.zip");
  m.FOptions.FOverwriteMode = omAlways;
  m.OpenArchive();
  m.MergeWith(File("theirs.zip"));
  String text;
  m.ExtractToString(u"same.txt", text);
  EXPECT_EQ(text, u"same.txtsame.txt");
  m.CloseArchive();
}

TEST_F(ZAArchiver_whole, MergingWithItselfIsRefused) {
  MakeArchive("self.zip", {u"a.txt"});
  const std::string before = ReadRaw("self.zip");
  TZipArchiver m;
  m.FFileName = File("self.zip");
  m.OpenArchive();
  EXPECT_EQ(CodeOf([&] { m.MergeWith(File("self.zip")); }), 33);
  EXPECT_EQ(CodeOf([&] { m.MergeWith(Utf8ToString(fDir + "/./self.zip")); }), 33);  // another spelling
  m.CloseArchive();
  EXPECT_EQ(ReadRaw("self.zip"), before);
  TZipArchiver closed;
  closed.FFileName = File("self.zip");
  EXPECT_EQ(CodeOf([&] { closed.MergeWith(File("self.zip")); }), 13);
}

TEST_F(ZAArchiver_whole, RepairGivesBackEveryUndamagedFile) {
  SK_NEED_PROGRAM("/usr/bin/zip");
  std::filesystem::create_directory(Path("src"));
  std::filesystem::create_directory(Path("src/sub"));
  WriteRaw("src/one.txt", std::string(3000, 'a') + "end");
  WriteRaw("src/sub/two.bin", Pattern());
  WriteRaw("src/three.txt", "three");
  ASSERT_EQ(RunCommand("cd " + ShellQuote(Path("src")) + " && /usr/bin/zip -q -r ../z.zip one.txt sub three.txt"), 0);
  const std::string whole = ReadRaw("z.zip");
  const size_t dir = whole.find(std::string("PK\x01\x02", 4));
  ASSERT_NE(dir, std::string::npos);
  WriteRaw("cut.zip", whole.substr(0, dir + 20));  // the directory cut

  const TDateTime before = Now();
  for (bool inPlace : {false, true}) {
    SCOPED_TRACE(inPlace);
    const String damaged = File(inPlace ? "inplace.zip" : "cut.zip");
    if (inPlace) WriteRaw("inplace.zip", ReadRaw("cut.zip"));
    TZipArchiver z;
    z.FFileName = damaged;
    // A link put at the name of any file the repair makes beside the archive
    // is never written through.
    WriteRaw("victim.txt", "victim");
    const TFileSeamHook previous = SetFileSeamHook([](TFileSeamOp op, const std::string& path) {
      return op == fsoCreate && path.find("/repair") != std::string::npos ? ::symlink("victim.txt", path.c_str()) : 0;
    });
    z.RepairArchive(inPlace ? String() : File("fixed.zip"));
    SetFileSeamHook(previous);
    EXPECT_EQ(ReadRaw("victim.txt"), "victim");
    const std::string fixedName = inPlace ? "inplace.zip" : "fixed.zip";
    std::string out;
    EXPECT_EQ(RunCommand("/usr/bin/unzip -t " + ShellQuote(Path(fixedName)), &out, true), 0) << out;
    TZipArchiver back;
    back.FFileName = File(fixedName);
    back.OpenArchive(fmOpenRead);
    for (const char* name : {"one.txt", "sub/two.bin", "three.txt"}) {
      TMemoryStream ms;
      back.ExtractToStream(Utf8ToString(name), &ms);
      EXPECT_EQ(std::string(static_cast<const char*>(ms.Memory()), static_cast<size_t>(ms.Size())),
                ReadRaw(std::string("src/") + name))
          << name;
    }
    Int32 index = -1;
    ASSERT_TRUE(back.GetFileCendralDirItemNo(u"three.txt", index));
    EXPECT_GE(back.GetADateTime(index), before - 3.0 / 86400);  // stamped with the time of the repair
    back.CloseArchive();
  }
  // Nothing left behind beside the archives and the sources.
  size_t files = 0;
  for (const auto& e : std::filesystem::directory_iterator(fDir)) files += e.is_regular_file();
  EXPECT_EQ(files, 5u);  // z.zip, cut.zip, fixed.zip, inplace.zip, victim.txt
  // A damaged entry is left out; the others come back.
  std::string damaged = ReadRaw("cut.zip");
  // one.txt is the first entry: its data follow its local header, name and extra field.
  const size_t data = 30 + 7 + (static_cast<Byte>(damaged[28]) | (static_cast<Byte>(damaged[29]) << 8));
  damaged[data + 2] = static_cast<char>(damaged[data + 2] ^ 0x5A);
  WriteRaw("cut.zip", damaged);
  {
    TZipArchiver z;
    z.FFileName = File("cut.zip");
    z.RepairArchive(File("fixed.zip"));
    TZipArchiver back;
    back.FFileName = File("fixed.zip");
    back.OpenArchive(fmOpenRead);
    Int32 index = -1;
    EXPECT_FALSE(back.GetFileCendralDirItemNo(u"one.txt", index));
    EXPECT_TRUE(back.GetFileCendralDirItemNo(u"three.txt", index));
    back.CloseArchive();
  }
  TZipArchiver open;
  open.FFileName = File("fixed.zip");
  open.OpenArchive(fmOpenRead);
  EXPECT_EQ(CodeOf([&] { open.RepairArchive(File("x.zip")); }), 37);
  open.CloseArchive();
  // A repair that fails deletes the target it made, not a file put at the
  // target's name since.
  WriteRaw("other.txt", "other");
  const TFileSeamHook previous = SetFileSeamHook([this](TFileSeamOp op, const std::string& path) {
    return op == fsoOpen && path == Path("cut.zip") ? (::rename(Path("other.txt").c_str(), Path("x.zip").c_str()), EIO)
                                                    : 0;
  });
  TZipArchiver failing;
  failing.FFileName = File("cut.zip");
  EXPECT_ANY_THROW(failing.RepairArchive(File("x.zip")));
  SetFileSeamHook(previous);
  EXPECT_EQ(ReadRaw("x.zip"), "other");
}

TEST_F(ZAArchiver_whole, RepairKeepsEachEntrysOwnAttributes) {
  // Names that a mask search would misread: wildcards, and one past 260 characters.
  const String longName = String(300, u'n') + u".txt";
  struct Case {
    String name;
    Cardinal external;
    Word internal;
  };
  const std::vector<Case> cases = {
      {u"a?", 0x21, 0}, {u"ab", 0x20, 1}, {u"*", 0x20, 0}, {u"c*d", 0x21, 1}, {longName, 0x21, 1}};
  {
    TZipArchiver z;
    z.FFileName = File("attrs.zip");
    z.OpenArchive(fmCreate);
    z.BeginUpdate();
    for (const Case& c : cases) z.AddFromString(c.name, c.name, c.external, EncodeDate(2020, 5, 6));
    for (Int32 i = 0; i < z.DMHandle->CDir->Count(); ++i)
      for (const Case& c : cases)
        if (z.DMHandle->CDir->FItems[static_cast<size_t>(i)].Name == c.name)
          z.DMHandle->CDir->FItems[static_cast<size_t>(i)].CentralDir.internalAttr = c.internal;
    z.EndUpdate();
    z.CloseArchive();
  }
  for (bool inPlace : {false, true}) {
    SCOPED_TRACE(inPlace);
    if (inPlace) WriteRaw("copy.zip", ReadRaw("attrs.zip"));
    TZipArchiver z;
    z.FFileName = File(inPlace ? "copy.zip" : "attrs.zip");
    ASSERT_EQ(CodeOf([&] { z.RepairArchive(inPlace ? String() : File("fixed.zip")); }), 0);
    TZipArchiver back;
    back.FFileName = File(inPlace ? "copy.zip" : "fixed.zip");
    back.OpenArchive(fmOpenRead);
    ASSERT_EQ(back.DMHandle->CDir->Count(), static_cast<Int32>(cases.size()));
    for (const Case& c : cases) {
      const Int32 i = ZAFindEntryExact(*back.DMHandle->CDir, c.name);
      ASSERT_GE(i, 0) << StringToUtf8(c.name);
      const TZAZipCentralDir& cd = back.DMHandle->CDir->FItems[static_cast<size_t>(i)].CentralDir;
      EXPECT_EQ(cd.externalAttr, c.external) << StringToUtf8(c.name);
      EXPECT_EQ(cd.internalAttr, c.internal) << StringToUtf8(c.name);
      String text;
      back.ExtractToString(c.name, text);
      EXPECT_EQ(text, c.name);
    }
    back.CloseArchive();
  }
  // No temporary file stayed behind.
  size_t files = 0;
  for (const auto& e : std::filesystem::directory_iterator(fDir)) files += e.is_regular_file();
  EXPECT_EQ(files, 3u);  // attrs.zip, fixed.zip, copy.zip
}

// Whatever password the repair has (none, a cancelled or mistyped answer, a
// wrong one set, the right one), every entry comes back: the plain ones
// stored anew, the encrypted ones as they were stored, still encrypted, so
// that the right password reads them; and both kinds of comment stay.
TEST_F(ZAArchiver_whole, RepairNeverLosesAnEntryOrAComment) {
  std::map<String, std::string> texts;
  for (Int32 i = 0; i < 8; ++i)
    texts[u"plain" + IntToStr(i) + u".txt"] = std::string(300 + i, static_cast<char>('a' + i));
  texts[u"aes256.txt"] = Pattern().substr(0, 5000);
  texts[u"classic.txt"] = Pattern().substr(7, 5000);
  {
    TZipArchiver z;
    z.FFileName = File("mixed.zip");
    z.OpenArchive(fmCreate);
    // The encrypted entries lie between plain ones.
    for (const String name : {u"plain0.txt", u"plain1.txt", u"plain2.txt", u"plain3.txt", u"aes256.txt", u"classic.txt",
                              u"plain4.txt", u"plain5.txt", u"plain6.txt", u"plain7.txt"}) {
      z.SetPassword(name.starts_with(u"plain") ? "" : "secret");
      z.SetEncryptionMethod(name == u"aes256.txt" ? caAES_256 : caPkzipClassic);
      z.AddFromBuffer(name, texts[name].data(), static_cast<Int64>(texts[name].size()), 0x20, EncodeDate(2020, 5, 6));
    }
    z.SetFileComment("the archive's comment");
    z.ChangeFilesComment(u"plain3.txt", "a plain entry's comment");
    z.ChangeFilesComment(u"aes256.txt", "an encrypted entry's comment");
    z.CloseArchive();
  }
  std::vector<String> order;
  {
    TZipArchiver z;
    z.FFileName = File("mixed.zip");
    z.OpenArchive(fmOpenRead);
    for (Int32 i = 0; i < z.DMHandle->CDir->Count(); ++i)
      order.push_back(z.DMHandle->CDir->FItems[static_cast<size_t>(i)].Name);
    z.CloseArchive();
  }
  const std::string whole = ReadRaw("mixed.zip");
  const std::string cut = whole.substr(0, whole.find(std::string("PK\x01\x02", 4)) + 10);
  struct Case {
    const char* what;
    const char* dialog;         // the password dialog's answer; nullptr: cancelled, "": no dialog at all
    const char* set;            // the archiver's password
    bool newName = false;       // repaired into another file
    bool directoryCut = false;  // the comments went with the directory
  } cases[] = {
      {"the dialog cancelled", nullptr, ""},
      {"a mistyped password", "secrte", ""},
      {"no password and no dialog", "", ""},
      {"a wrong password set", nullptr, "wrong"},
      {"to a new name", nullptr, "", true},
      {"the right password", nullptr, "secret"},
      {"the right password, the directory cut", nullptr, "secret", false, true},
      {"no password, the directory cut, to a new name", nullptr, "", true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string damaged = c.directoryCut ? cut : whole;
    WriteRaw("a.zip", damaged);
    std::optional<ScopedPasswordAnswer> answer;
    if (c.dialog == nullptr || *c.dialog != '\0')
      answer.emplace(c.dialog != nullptr, Utf8ToString(c.dialog != nullptr ? c.dialog : ""));
    TZipArchiver z;
    z.FFileName = File("a.zip");
    z.SetPassword(c.set);
    ASSERT_EQ(CodeOf([&] { z.RepairArchive(c.newName ? File("fixed.zip") : String()); }), 0);
    if (c.newName) {
      EXPECT_EQ(ReadRaw("a.zip"), damaged);
    }
    TZipArchiver back;
    back.FFileName = File(c.newName ? "fixed.zip" : "a.zip");
    back.SetPassword("secret");
    back.OpenArchive(fmOpenRead);
    ASSERT_EQ(back.DMHandle->CDir->Count(), static_cast<Int32>(texts.size()));
    for (Int32 i = 0; i < back.DMHandle->CDir->Count(); ++i)  // in their old order
      EXPECT_EQ(back.DMHandle->CDir->FItems[static_cast<size_t>(i)].Name, order[static_cast<size_t>(i)]);
    for (const auto& [name, text] : texts) {
      SCOPED_TRACE(StringToUtf8(name));
      const Int32 i = ZAFindEntryExact(*back.DMHandle->CDir, name);
      ASSERT_GE(i, 0);
      const TDirItem& item = back.DMHandle->CDir->FItems[static_cast<size_t>(i)];
      EXPECT_EQ((item.CentralDir.genPurposeFlag & ZAFlagEncrypted) != 0, !name.starts_with(u"plain"));
      TMemoryStream ms;
      back.ExtractToStream(name, &ms);
      EXPECT_TRUE(std::string(static_cast<const char*>(ms.Memory()), static_cast<size_t>(ms.Size())) == text)
          << ms.Size() << " bytes";
      if (c.directoryCut) continue;
      EXPECT_EQ(item.Comment, name == u"plain3.txt"   ? "a plain entry's comment"
                              : name == u"aes256.txt" ? "an encrypted entry's comment"
                                                      : "");
    }
    EXPECT_EQ(back.GetFileComment(), c.directoryCut ? "" : "the archive's comment");
    back.CloseArchive();
    // The peers read it too, the AES entry with its password.
    if (HasProgram("/usr/bin/7zz")) {
      std::string peer;
      EXPECT_EQ(
          RunCommand("/usr/bin/7zz t -psecret " + ShellQuote(Path(c.newName ? "fixed.zip" : "a.zip")), &peer, true), 0)
          << peer;
    }
  }
}

// A repair commits its new archive once, whatever the number of entries:
// the changes of size and the flushes do not grow with them. In place the
// archive is locked only to be replaced: another process changes it while
// the repair builds, and the repair then fails rather than lose that change.
TEST_F(ZAArchiver_whole, RepairCommitsOnceAndLocksOnlyToReplace) {
  auto opsOf = [&](Int32 entries, bool inPlace) {
    std::vector<String> names;
    for (Int32 i = 0; i < entries; ++i) names.push_back(u"e" + IntToStr(i) + u".txt");
    MakeArchive("n.zip", names);
    ScopedFileSeam seam;
    TZipArchiver z;
    z.FFileName = File("n.zip");
    z.RepairArchive(inPlace ? String() : File("fixed.zip"));
    std::map<TFileSeamOp, Int32> counts;
    for (const TFileSeamOp op : seam.ops) ++counts[op];
    return std::pair(counts[fsoSetSize], counts[fsoFlush]);
  };
  for (bool inPlace : {false, true}) {
    SCOPED_TRACE(inPlace);
    EXPECT_EQ(opsOf(3, inPlace), opsOf(24, inPlace));
  }

  MakeArchive("l.zip", {u"a.txt", u"b.txt"});
  Int32 locks = 0;
  {
    ScopedFileSeam seam;
    TZipArchiver z;
    z.FFileName = File("l.zip");
    z.RepairArchive(String());
    locks = static_cast<Int32>(std::count(seam.ops.begin(), seam.ops.end(), fsoLock));
  }
  ASSERT_GT(locks, 0);
  MakeArchive("l.zip", {u"a.txt", u"b.txt"});
  // Just before the repair takes the lock to replace the archive.
  Int32 seen = 0;
  Int32 other = 0;
  bool fired = false;  // the other process's own calls come here too
  const TFileSeamHook previous = SetFileSeamHook([&](TFileSeamOp op, const std::string&) {
    if (op == fsoLock && !fired && ++seen == locks) {
      fired = true;
      other = Through(File("l.zip"), [](TZipArchiver& o) {
        o.FLockWait = 20;
        o.AddFromString(u"theirs.txt", u"theirs", 0x20, 0);
      });
    }
    return 0;
  });
  TZipArchiver z;
  z.FFileName = File("l.zip");
  EXPECT_EQ(CodeOf([&] { z.RepairArchive(String()); }), 71);
  SetFileSeamHook(previous);
  EXPECT_EQ(other, -1);
  EXPECT_EQ(TextOf("l.zip", u"theirs.txt"), u"theirs");
}

}  // namespace
}  // namespace sk

namespace sk {
namespace {

// A repair is built aside and takes its target's name only when whole: one
// that a Stop ends, or a kill cuts short at any of its writes, leaves the
// archive as it was and nothing new at the target's name (what the name
// held stays). It yields to the host while it runs.
TEST_F(ZAArchiver_whole, ARepairStoppedOrKilledLeavesTheArchiveAndNoNewFile) {
  std::vector<String> names;
  for (Int32 i = 0; i < 60; ++i) names.push_back(u"e" + IntToStr(i) + u".txt");
  MakeArchive("r.zip", names);
  const std::string before = ReadRaw("r.zip");
  Int64 writes = 0;
  {
    ScopedFileSeam seam;
    TZipArchiver z;
    z.FFileName = File("r.zip");
    z.RepairArchive(File("fixed.zip"));
    writes = std::count(seam.ops.begin(), seam.ops.end(), fsoWrite);
  }
  ASSERT_GT(writes, 2);
  EXPECT_EQ(TextOf("fixed.zip", u"e59.txt"), u"e59.txte59.txt");
  for (const bool inPlace : {false, true}) {
    // Stopped at the first yield, then killed at the first, a middle and
    // the last write.
    for (const Int64 killAt : {Int64(0), Int64(1), writes / 2, writes}) {
      SCOPED_TRACE(std::string(inPlace ? "in place" : "to a new name") + ", kill at write " + std::to_string(killAt));
      WriteRaw("r.zip", before);
      std::filesystem::remove(Path("fixed.zip"));
      const String target = inPlace ? String() : File("fixed.zip");
      if (killAt == 0) {
        ScopedHostYield host(1);
        TZipArchiver z;
        z.FFileName = File("r.zip");
        z.RepairArchive(target);
        EXPECT_GE(host.calls, 1);
      } else {
        const pid_t child = InChild([&] {
          Int64 seen = 0;
          SetFileSeamHook([&](TFileSeamOp op, const std::string&) {
            if (op == fsoWrite && ++seen == killAt) ::raise(SIGKILL);
            return 0;
          });
          TZipArchiver z;
          z.FFileName = File("r.zip");
          z.RepairArchive(target);
          return 0;
        });
        EXPECT_EQ(EndOf(child), -SIGKILL);
      }
      EXPECT_TRUE(ReadRaw("r.zip") == before) << "the archive changed";
      EXPECT_FALSE(std::filesystem::exists(Path("fixed.zip")));
      std::vector<std::string> left;
      for (const auto& e : std::filesystem::directory_iterator(Path("")))
        if (e.path().filename().string()[0] == '.') left.push_back(e.path().filename().string());
      EXPECT_TRUE(left.empty()) << left.front();
    }
  }
  // A file at the new name stays until a whole repair replaces it.
  WriteRaw("fixed.zip", "older");
  {
    ScopedHostYield host(1);
    TZipArchiver z;
    z.FFileName = File("r.zip");
    z.RepairArchive(File("fixed.zip"));
  }
  EXPECT_EQ(ReadRaw("fixed.zip"), "older");
}

}  // namespace
}  // namespace sk
