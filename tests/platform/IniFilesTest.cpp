#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>
#include "platform/runtime/FileReplace.h"
#include "platform/runtime/IniFiles.h"
#include "TestSupport.h"

namespace sk {

namespace {

class IniTestBase : public ScratchFolderTest {
 protected:
  IniTestBase() : ScratchFolderTest("sk_ini") {}
};

}  // namespace

using IniFilesRead = IniTestBase;
using IniFilesWrite = IniTestBase;
using IniFilesTyped = IniTestBase;
using IniFiles = IniTestBase;

TEST_F(IniFilesRead, SectionsAndKeysIgnoreCaseAndValuesAreTrimmed) {
  WriteRaw("a.ini", "; comment\r\nstray=ignored\r\n[Settings]\r\n  Folder =  /data/x  \r\nempty=\r\n\r\n[Other]\nk=v\n");
  TIniFile ini(File("a.ini"));
  EXPECT_EQ(ini.ReadString(u"settings", u"FOLDER", u"def"), u"/data/x");
  EXPECT_EQ(ini.ReadString(u"SETTINGS", u"empty", u"def"), u"");  // present but empty is not absent
  EXPECT_EQ(ini.ReadString(u"Settings", u"missing", u"def"), u"def");
  EXPECT_EQ(ini.ReadString(u"", u"stray", u"def"), u"def");  // lines before any section belong to none
  EXPECT_EQ(ini.ReadString(u"Other", u"K", u""), u"v");
}

TEST_F(IniFilesRead, ManySectionsAndARepeatedOneMergedIgnoringCase) {
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "[s" + std::to_string(i) + "]\nk=" + std::to_string(i) + "\n";
  text += "[S7]\nextra=x\n";
  WriteRaw("many.ini", text);
  TMemIniFile ini(File("many.ini"));
  TStringList sections;
  ini.ReadSections(&sections);
  EXPECT_EQ(sections.Count(), 20000);
  EXPECT_EQ(ini.ReadString(u"s19999", u"k", u""), u"19999");
  EXPECT_EQ(ini.ReadString(u"s7", u"k", u""), u"7");
  EXPECT_EQ(ini.ReadString(u"s7", u"extra", u""), u"x");
}

TEST_F(IniFilesRead, MissingFileReadsAsEmpty) {
  TIniFile ini(File("none.ini"));
  EXPECT_EQ(ini.ReadString(u"s", u"k", u"d"), u"d");
  TStringList sections;
  ini.ReadSections(&sections);
  EXPECT_EQ(sections.Count(), 0);
  EXPECT_FALSE(std::filesystem::exists(Path("none.ini")));  // reading creates nothing
}

TEST_F(IniFilesRead, Utf16WithMarkAndAnsiWithoutOne) {
  std::string u16("\xFF\xFE", 2);
  for (char c : std::string("[S]\r\nk=caf")) u16 += std::string{c, '\0'};
  u16 += std::string("\xE9\0", 2);
  WriteRaw("w.ini", u16);
  TMemIniFile a(File("w.ini"));
  EXPECT_EQ(a.ReadString(u"s", u"k", u""), u"caf\u00E9");

  WriteRaw("l.ini", "[S]\r\nk=caf\xE9\r\n");  // not UTF-8: read as the ANSI code page
  TMemIniFile b(File("l.ini"));
  EXPECT_EQ(b.ReadString(u"s", u"k", u""), u"caf\u00E9");

  WriteRaw("u.ini", "\xEF\xBB\xBF[S]\r\nk=caf\xC3\xA9\r\n");
  TMemIniFile c(File("u.ini"));
  EXPECT_EQ(c.ReadString(u"s", u"k", u""), u"caf\u00E9");
}

TEST_F(IniFilesRead, SectionListingsKeepFileOrder) {
  WriteRaw("o.ini", "[B]\nz=1\na=2\nnoequals\n[A]\n[b]\nm=3\n");
  TMemIniFile ini(File("o.ini"));
  TStringList l;
  l.Add(u"leftover");
  ini.ReadSections(&l);
  EXPECT_EQ(Lines(l), (std::vector<String>{u"B", u"A"}));  // a repeated section is merged
  ini.ReadSection(u"b", &l);
  EXPECT_EQ(Lines(l), (std::vector<String>{u"z", u"a", u"m"}));
  ini.ReadSectionValues(u"B", &l);
  EXPECT_EQ(Lines(l), (std::vector<String>{u"z=1", u"a=2", u"noequals", u"m=3"}));
  EXPECT_TRUE(ini.SectionExists(u"a"));  // present though empty
  EXPECT_FALSE(ini.SectionExists(u"c"));
  EXPECT_TRUE(ini.ValueExists(u"B", u"M"));
  EXPECT_FALSE(ini.ValueExists(u"B", u"noequals"));
}

TEST_F(IniFilesWrite, IniFileWritesThroughAsUtf8WithoutMark) {
  TIniFile ini(File("w.ini"));
  ini.WriteString(u"Main", u"name", u"\u00E9t\u00E9");
  EXPECT_EQ(ReadRaw("w.ini"), "[Main]\r\nname=\xC3\xA9t\xC3\xA9\r\n\r\n");
  ini.WriteString(u"MAIN", u"NAME", u"x");  // same key, other case: replaced, name kept
  ini.WriteString(u"second", u"k", u"v");
  EXPECT_EQ(ReadRaw("w.ini"), "[Main]\r\nname=x\r\n\r\n[second]\r\nk=v\r\n\r\n");
}

TEST_F(IniFilesWrite, WritingBackKeepsCommentsAndLinesBeforeTheFirstSection) {
  WriteRaw("c.ini", "; written by hand\nstray=1\n[S]\n; the folder below\nk=old\nbare\n");
  TIniFile ini(File("c.ini"));
  ini.WriteString(u"S", u"k", u"new");
  EXPECT_EQ(ReadRaw("c.ini"), "; written by hand\r\nstray=1\r\n[S]\r\n; the folder below\r\nk=new\r\nbare\r\n\r\n");
  TStringList l;
  ini.ReadSectionValues(u"S", &l);
  EXPECT_EQ(Lines(l), (std::vector<String>{u"k=new", u"bare"}));  // comments are no values
  ini.ReadSection(u"S", &l);
  EXPECT_EQ(Lines(l), (std::vector<String>{u"k"}));
}

// Writing a file back never changes what it means: a first line that starts
// with U+FEFF (after a blank line, or after a mark of its own) is no section,
// and must not become one by losing that character to a byte-order mark.
TEST_F(IniFiles, WritingBackKeepsALineThatStartsWithAMarkCharacter) {
  std::string wide = "\xFF\xFE\xFF\xFE";
  for (char c : std::string("[Main]\r\na=1\r\n")) wide += std::string{c, '\0'};
  const std::string cases[] = {
      "\r\n\xEF\xBB\xBF[Main]\r\na=1\r\n",                // a blank line, then the character
      "\xEF\xBB\xBF\xEF\xBB\xBF[Main]\r\na=1\r\n",         // a mark, then the character
      wide,                                               // the same in UTF-16
  };
  for (const std::string& content : cases) {
    WriteRaw("m.ini", content);
    TMemIniFile ini(File("m.ini"));
    ASSERT_FALSE(ini.SectionExists(u"Main"));
    ini.UpdateFile();
    TMemIniFile back(File("m.ini"));
    EXPECT_FALSE(back.SectionExists(u"Main"));
    EXPECT_EQ(back.ReadString(u"Main", u"a", u"none"), u"none");
    const std::string once = ReadRaw("m.ini");
    back.UpdateFile();
    EXPECT_EQ(ReadRaw("m.ini"), once);
  }
}

// A lone surrogate read from a UTF-16 file has no UTF-8 form: writing the
// file back keeps it (as UTF-16), so what the file means does not change.
TEST_F(IniFiles, WritingBackKeepsALoneSurrogate) {
  std::string wide = "\xFF\xFE";
  for (char c : std::string("[S]\r\nk=")) wide += std::string{c, '\0'};
  wide += "\xFF\xDF";  // U+DFFF alone
  WriteRaw("s.ini", wide);
  TMemIniFile ini(File("s.ini"));
  ASSERT_EQ(ini.ReadString(u"S", u"k", u""), String(1, Char(0xDFFF)));
  ini.UpdateFile();
  TMemIniFile back(File("s.ini"));
  EXPECT_EQ(back.ReadString(u"S", u"k", u""), String(1, Char(0xDFFF)));
  const std::string once = ReadRaw("s.ini");
  back.UpdateFile();
  EXPECT_EQ(ReadRaw("s.ini"), once);
  // Text that UTF-8 holds is still written as UTF-8 without a mark.
  back.WriteString(u"S", u"k", u"plain");
  back.UpdateFile();
  EXPECT_EQ(ReadRaw("s.ini"), "[S]\r\nk=plain\r\n\r\n");
}

TEST_F(IniFilesWrite, TwoObjectsOnOneFileSeeEachOthersWrites) {
  TIniFile a(File("shared.ini"));
  TIniFile b(File("shared.ini"));
  a.WriteString(u"s", u"one", u"1");
  EXPECT_EQ(b.ReadString(u"s", u"one", u""), u"1");
  b.WriteString(u"s", u"two", u"2");
  EXPECT_EQ(a.ReadString(u"s", u"two", u""), u"2");
  EXPECT_EQ(a.ReadString(u"s", u"one", u""), u"1");  // b's write kept a's key
}

TEST_F(IniFilesWrite, TwoProcessesWritingOneFileKeepEveryKey) {
  // Both write their own keys at once; every write answered is kept.
  pid_t children[2];
  for (int p = 0; p < 2; ++p)
    if ((children[p] = ::fork()) == 0) {
      TIniFile ini(File("shared.ini"));
      for (int k = p; k < 120; k += 2) ini.WriteString(u"s", Utf8ToString("k" + std::to_string(k)), u"v");
      ::_exit(0);
    }
  for (pid_t pid : children) ::waitpid(pid, nullptr, 0);
  const std::string text = ReadRaw("shared.ini");
  for (int k = 0; k < 120; ++k)
    EXPECT_NE(text.find("\r\nk" + std::to_string(k) + "=v\r\n"), std::string::npos) << k;
}

TEST_F(IniFilesWrite, ValuesReadBackAsWrittenOrAreRefused) {
  TIniFile ini(File("v.ini"));
  const String kept[] = {u" ", u"\t", u"prefix ", u" both ", u"\"quoted\"", u"\"", u"\"\"", u"a\"b\"", u""};
  for (size_t i = 0; i < std::size(kept); ++i) ini.WriteString(u"s", Utf8ToString("k" + std::to_string(i)), kept[i]);
  TIniFile again(File("v.ini"));
  for (size_t i = 0; i < std::size(kept); ++i)
    EXPECT_EQ(again.ReadString(u"s", Utf8ToString("k" + std::to_string(i)), u"?"), kept[i]) << i;
  // A line break would start another key or section: refused, file as it was.
  const std::string before = ReadRaw("v.ini");
  EXPECT_THROW(ini.WriteString(u"s", u"note", u"one\r\n[Other]\r\nk0=999"), EWriteError);
  EXPECT_THROW(ini.WriteString(u"s\n[x]", u"note", u"v"), EWriteError);
  EXPECT_EQ(ReadRaw("v.ini"), before);
}

TEST_F(IniFilesWrite, ASaveSweepsTheTemporaryOfOneKilledBefore) {
  const std::string left = MarkedTemporarySiblingName("t.ini");
  WriteRaw(left, "[s]\r\nk=");
  TIniFile(File("t.ini")).WriteString(u"s", u"k", u"2");
  EXPECT_FALSE(std::filesystem::exists(Path(left)));
}

TEST_F(IniFilesWrite, MemIniFileWritesOnlyOnUpdate) {
  TMemIniFile ini(File("m.ini"));
  ini.WriteString(u"s", u"k", u"v");
  EXPECT_FALSE(std::filesystem::exists(Path("m.ini")));
  ini.UpdateFile();
  TMemIniFile again(File("m.ini"));
  EXPECT_EQ(again.ReadString(u"s", u"k", u""), u"v");
}

TEST_F(IniFilesWrite, EraseSectionAndDeleteKey) {
  TIniFile ini(File("e.ini"));
  ini.WriteString(u"a", u"k1", u"1");
  ini.WriteString(u"a", u"k2", u"2");
  ini.WriteString(u"b", u"k", u"3");
  ini.DeleteKey(u"A", u"K1");
  ini.EraseSection(u"B");
  TIniFile fresh(File("e.ini"));
  EXPECT_EQ(fresh.ReadString(u"a", u"k1", u"gone"), u"gone");
  EXPECT_EQ(fresh.ReadString(u"a", u"k2", u""), u"2");
  EXPECT_FALSE(fresh.SectionExists(u"b"));
}

TEST_F(IniFilesWrite, UnwritableFileRaises) {
  TIniFile ini(File("no/such/dir/x.ini"));
  EXPECT_THROW(ini.WriteString(u"s", u"k", u"v"), EFCreateError);
}

TEST_F(IniFilesTyped, IntegersBooleansAndFloats) {
  WriteRaw("t.ini", "[n]\ndec=-42\nhex=$1F\nbad=12x\nyes=TRUE\nzero=0\nword=maybe\ncomma=1,5\n");
  TIniFile ini(File("t.ini"));
  EXPECT_EQ(ini.ReadInteger(u"n", u"dec", 0), -42);
  EXPECT_EQ(ini.ReadInteger(u"n", u"hex", 0), 31);
  EXPECT_EQ(ini.ReadInteger(u"n", u"bad", 7), 7);
  EXPECT_EQ(ini.ReadInteger(u"n", u"missing", 7), 7);
  EXPECT_TRUE(ini.ReadBool(u"n", u"yes", false));
  EXPECT_FALSE(ini.ReadBool(u"n", u"zero", true));
  EXPECT_TRUE(ini.ReadBool(u"n", u"word", true));
  EXPECT_DOUBLE_EQ(ini.ReadFloat(u"n", u"comma", 0), 1.5);
  ini.WriteFloat(u"n", u"f", 2.25);
  ini.WriteInteger(u"n", u"i", -7);
  ini.WriteBool(u"n", u"b", true);
  EXPECT_EQ(ini.ReadString(u"n", u"f", u""), u"2.25");
  EXPECT_DOUBLE_EQ(ini.ReadFloat(u"n", u"f", 0), 2.25);
  EXPECT_EQ(ini.ReadString(u"n", u"i", u""), u"-7");
  EXPECT_EQ(ini.ReadString(u"n", u"b", u""), u"1");
}

}  // namespace sk
