// Saved-results file identity: the stored header, the tests of files on disk,
// the extension maps, zipped results and the sections file.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "TestSupport.h"
#include "core/My_string_functions_readable.h"
#include "core/Qm_global_vars.h"
#include "core/Qm_specific_consts.h"
#include "library/Units.h"
#include "platform/runtime/Streams.h"
#include "platform/runtime/ZipReader.h"
#include "core/Global_vars.h"
#include "core/Useful_classes_base_stringlists.h"
#include "services/Logging_utilities.h"
#include "services/Wdef.h"

namespace sk {
namespace {

std::string Le32(Int32 v) {
  std::string s(4, '\0');
  std::memcpy(s.data(), &v, 4);
  return s;
}

std::string Utf16(const String& s) {
  std::string r;
  for (Char c : s) {
    r += static_cast<char>(c & 0xFF);
    r += static_cast<char>(c >> 8);
  }
  return r;
}

std::string Str(const TBytes& b) { return std::string(b.begin(), b.end()); }

// A stored header: signature and the list-kind text, everything else zero.
std::string HeaderBytes(Int32 signature, const String& typeOfData) {
  std::string h = Le32(signature) + std::string(24, '\0') + Utf16(typeOfData);
  h.resize(316, '\0');
  return h;
}

class Wdef_identity : public ScratchFolderTest {
 protected:
  Wdef_identity() : ScratchFolderTest("wdef_identity") {}
  void SetUp() override {
    ScratchFolderTest::SetUp();
    fSavedTool = global_current_tool;
    global_current_tool = tt_concord;
  }
  void TearDown() override {
    global_current_tool = fSavedTool;
    ScratchFolderTest::TearDown();
  }
  TQM_MainFile_rec Rec(const std::string& name) {
    TQM_MainFile_rec rec;
    rec.filename = File(name);
    rec.ListType = lt_debug_only;  // every test must set it
    return rec;
  }
  tool_type fSavedTool{};
};

TEST_F(Wdef_identity, StampedHeaderGoldenBytes) {
  TCheckSignature header{};
  header.screen_res = 96;
  header.monitor = 2;
  header.save_Rect = TRect{1, 2, 3, 4};
  header.spare[0] = 0xAB;  // the caller's spare bytes go out as they are
  header.spare[203] = 0xCD;
  // Stray text in the name field is cleared before the name is copied in.
  header.type_of_data.fill(u'Z');
  TMemoryStream stream;
  ASSERT_TRUE(DiskSignatureISOKForToolAndList(header, tt_concord, lt_concordance_list, &stream, writing));
  std::string expected = Le32(50) + Le32(96) + Le32(2) + Le32(1) + Le32(2) + Le32(3) + Le32(4) +
                         Utf16(u"Concordance");
  expected.resize(110, '\0');
  expected += std::string(2, '\0');  // bytes 110-111
  expected += '\xAB' + std::string(202, '\0') + '\xCD';
  ASSERT_EQ(expected.size(), 316u);
  EXPECT_EQ(Str(stream.ToBytes()), expected);

  stream.SetPosition(0);
  TCheckSignature back{};
  EXPECT_TRUE(DiskSignatureISOKForToolAndList(back, tt_concord, lt_concordance_list, &stream, reading));
  EXPECT_EQ(stream.Position(), 316);
  EXPECT_EQ(back.save_Rect, (TRect{1, 2, 3, 4}));
  EXPECT_EQ(back.spare[203], 0xCD);
}

TEST_F(Wdef_identity, ReadingRefusesOtherHeaders) {
  struct Case {
    std::string bytes;
    tool_type tool;
    TQuillmarkList list;
    bool ok;
  } cases[] = {
      {HeaderBytes(50, u"Word List"), tt_wordlist, lt_word_list, true},
      {HeaderBytes(50, u"word list"), tt_wordlist, lt_word_list, false},  // case counts
      {HeaderBytes(49, u"Word List"), tt_wordlist, lt_word_list, false},
      {HeaderBytes(789, u"Word List"), tt_no_tool_at_all, lt_word_list, true},
      {HeaderBytes(50, u"Word List").substr(0, 315), tt_wordlist, lt_word_list, false},
      {HeaderBytes(50, u" Text List"), tt_aligner, lt_plaintext_list, true},
      {HeaderBytes(50, u"Text List"), tt_aligner, lt_plaintext_list, false},
  };
  for (const Case& c : cases) {
    TBytesStream stream(B(c.bytes));
    TCheckSignature header{};
    EXPECT_EQ(DiskSignatureISOKForToolAndList(header, c.tool, c.list, &stream, reading), c.ok);
  }
  // A name field without any zero unit is read as all 41 units.
  std::string full = Le32(50) + std::string(24, '\0') + Utf16(String(41, u'x'));
  full.resize(316, '\0');
  EXPECT_EQ(CheckSignatureTypeOfData(CheckSignatureFromBytes(B(full).data())), String(41, u'x'));
}

TEST_F(Wdef_identity, DiskFileType) {
  TCheckSignature h = CheckSignatureFromBytes(B(HeaderBytes(50, u"Word List")).data());
  EXPECT_EQ(DiskFileType(u"a.lst", h), lt_word_list);
  EXPECT_EQ(DiskFileType(u"a.KDB", h), lt_KW_database_list);
  h = CheckSignatureFromBytes(B(HeaderBytes(50, u"debug_only")).data());
  EXPECT_EQ(DiskFileType(u"a.lst", h), lt_undefined);
  for (int k = lt_undefined; k <= lt_sorting; ++k) {
    h = CheckSignatureFromBytes(B(HeaderBytes(50, list_signature[static_cast<TQuillmarkList>(k)])).data());
    EXPECT_EQ(DiskFileType(u"x.dat", h), static_cast<TQuillmarkList>(k));
  }
}

TEST_F(Wdef_identity, FilesOnDisk) {
  const std::string body = "list data";
  WriteRaw("current.cnc", HeaderBytes(50, u"Concordance") + body);
  WriteRaw("older.cnc", HeaderBytes(40, u"Concordance") + body);
  WriteRaw("oldest.cnc", HeaderBytes(34, u"Concordance") + body);
  WriteRaw("exact.cnc", HeaderBytes(50, u"Concordance"));  // the header alone
  WriteRaw("nokind.cnc", HeaderBytes(50, u"no such kind") + body);
  WriteRaw("other.cnc", HeaderBytes(789, u"Concordance") + body);
  WriteRaw("db.kdb", HeaderBytes(50, u"Word List") + body);

  TQM_MainFile_rec rec = Rec("current.cnc");
  EXPECT_TRUE(IsAQuillmark64BitFile(rec));
  EXPECT_EQ(rec.ListType, lt_concordance_list);
  rec = Rec("current.cnc");
  EXPECT_FALSE(WasAQuillmark64BitFile(rec));
  EXPECT_EQ(rec.ListType, lt_undefined);
  rec = Rec("current.cnc");
  EXPECT_FALSE(WasAQuillmarkBitFile(rec));  // records the kind, answers false
  EXPECT_EQ(rec.ListType, lt_concordance_list);
  rec = Rec("current.cnc");
  EXPECT_EQ(WhichToolsQuillmark64BitFile(rec), tt_wordlist);  // every tool shares 50
  EXPECT_EQ(rec.ListType, lt_concordance_list);

  rec = Rec("older.cnc");
  EXPECT_FALSE(IsAQuillmark64BitFile(rec));
  EXPECT_TRUE(WasAQuillmark64BitFile(rec));
  EXPECT_EQ(rec.ListType, lt_concordance_list);
  rec = Rec("older.cnc");
  EXPECT_TRUE(WasAQuillmarkBitFile(rec));
  rec = Rec("older.cnc");
  EXPECT_EQ(WhichToolsQuillmarkBitFile(rec), tt_no_tool_at_all);

  rec = Rec("oldest.cnc");
  EXPECT_FALSE(WasAQuillmark64BitFile(rec));
  EXPECT_FALSE(WasAQuillmarkBitFile(rec));

  for (const char* name : {"exact.cnc", "missing.cnc"}) {
    rec = Rec(name);
    EXPECT_FALSE(IsAQuillmark64BitFile(rec)) << name;
    EXPECT_EQ(rec.ListType, lt_undefined);
    rec = Rec(name);
    EXPECT_EQ(WhichToolsQuillmark64BitFile(rec), tt_no_tool_at_all) << name;
    EXPECT_EQ(rec.ListType, lt_undefined);
  }

  rec = Rec("nokind.cnc");
  EXPECT_TRUE(IsAQuillmark64BitFile(rec));
  EXPECT_EQ(rec.ListType, lt_undefined);

  rec = Rec("other.cnc");
  EXPECT_EQ(WhichToolsQuillmark64BitFile(rec), tt_no_tool_at_all);
  EXPECT_TRUE(IsAQuillmark64BitFileForTool(rec, tt_no_tool_at_all));

  rec = Rec("db.kdb");
  EXPECT_TRUE(IsAQuillmark64BitFile(rec));
  EXPECT_EQ(rec.ListType, lt_KW_database_list);

  // A folder is no saved file.
  ASSERT_EQ(::mkdir(Path("folder.cnc").c_str(), 0755), 0);
  rec = Rec("folder.cnc");
  EXPECT_FALSE(IsAQuillmark64BitFile(rec));
}

TEST_F(Wdef_identity, AFileThatCannotBeOpenedGivesTheNegativeAnswer) {
  if (::geteuid() == 0) GTEST_SKIP() << "the superuser opens every file";
  WriteRaw("locked.cnc", HeaderBytes(50, u"Concordance") + "data");
  ASSERT_EQ(::chmod(Path("locked.cnc").c_str(), 0), 0);
  TQM_MainFile_rec rec = Rec("locked.cnc");
  EXPECT_NO_THROW(EXPECT_FALSE(IsAQuillmark64BitFile(rec)));
  EXPECT_EQ(rec.ListType, lt_undefined);
  rec = Rec("locked.cnc");
  EXPECT_EQ(WhichToolsQuillmark64BitFile(rec), tt_no_tool_at_all);
}

TEST_F(Wdef_identity, FileExtToListType) {
  struct Case {
    const char16_t* ext;
    TQuillmarkList list;
  } cases[] = {
      {u".dcl", lt_detailed_consistency_list}, {u".SRT", lt_plaintext_list},
      {u".mut", lt_index_relationship_list},    {u".Lst", lt_word_list},
      {u".types", lt_wordlist_index_list},     {u".tokens", lt_wordlist_index_list},
      {u".stats", lt_wordlist_index_list},     {u".to", lt_wordlist_index_list},
      {u".STATS", lt_wordlist_index_list},     {u".cnc", lt_concordance_list},
      {u".chargr", lt_chargram_list},          {u".kws", lt_keyword_list},
      {u".kdb", lt_KW_database_list},          {u".vwr", lt_aligner_single_list},
      {u".txt", lt_plaintext_list},            {u".ali", lt_aligner_multiple_list},
      {u".doc", lt_undefined},                 {u"", lt_undefined},
  };
  for (const Case& c : cases) EXPECT_EQ(FileExtToListType(c.ext), c.list) << String(c.ext).size();
}

TEST_F(Wdef_identity, FileExtToToolType) {
  struct Case {
    const char16_t* s;
    tool_type tool;
  } cases[] = {
      {u".cnc", tt_concord},        {u"a/b.CNC", tt_concord},      {u".kws", tt_keywords},
      {u".kdb", tt_keywords},       {u".lst", tt_wordlist},        {u".tokens", tt_wordlist},
      {u".types", tt_wordlist},     {u".dcl", tt_wordlist},        {u"x.mut", tt_wordlist},
      {u".ali", tt_aligner},        {u".txt", tt_aligner},         {u".vwr", tt_aligner},
      {u".chargr", tt_Chargrams},   {u".stats", tt_no_tool_at_all}, {u"noext", tt_no_tool_at_all},
  };
  for (const Case& c : cases) EXPECT_EQ(FileExtToToolType(c.s), c.tool);
}

TEST_F(Wdef_identity, DefaultExtensionsOfEveryKind) {
  for (int k = 0; k < TQuillmarkList_Count; ++k) {
    const auto list = static_cast<TQuillmarkList>(k);
    const String ext = ListTypeToDefaultExt(list);
    const TQM_Extensions q = ListTypeToQMExtension(list);
    if (q != ext_any) {
      EXPECT_EQ(ext, QMExts[q]);
      // A saved kind's extension maps back to its tool's extensions.
      EXPECT_EQ(SaveAsFormatToDefaultExt(as_default_for_list, list), q);
    }
    EXPECT_EQ(SaveAsFormatToDefaultExtStr(as_default_for_list, list), ext);
    EXPECT_EQ(DotlessDefaultExtFromListType(list), ext.empty() ? String() : ext.substr(1));
  }
  EXPECT_EQ(ListTypeToDefaultExt(lt_KWDB_timeline_list), u".kdb_tl");
  EXPECT_EQ(ListTypeToDefaultExt(lt_conc_timeline_list), u".tml");
  EXPECT_EQ(ListTypeToDefaultExt(lt_notes), u"");
  EXPECT_EQ(SaveAsFormatToDefaultExt(as_default_for_list, lt_collocate_list), ext_any);
  EXPECT_EQ(SaveAsFormatToDefaultExtStr(as_default_for_list, lt_collocate_list), u".col");
  EXPECT_EQ(SaveAsFormatToDefaultExtStr(as_Excel_spreadsheet, lt_word_list), u".xlsx");
  EXPECT_EQ(SaveAsFormatToDefaultExtStr(as_images, lt_word_list), u".bmp");
  EXPECT_EQ(QMExts[ToolTypeToDefaultExt(tt_file_utilities)], String(u".txt"));
  EXPECT_EQ(QMExts[ToolTypeToDefaultExt(tt_shell)], String(u".dat"));
  EXPECT_TRUE(ToolTypeToAllDefaultExts(tt_keywords).Contains(ext_kwdb_timeline));
  EXPECT_TRUE(ToolTypeToAllDefaultExts(tt_shell).Empty());
}

TEST_F(Wdef_identity, ZippedResultsByName) {
  const String kind = ListTypeAsString(lt_concordance_list);
  TToolAndListRec r = BatchZipToolAndListRecFromFName(u"any stem." + kind + u".zip", u".ZIP");
  EXPECT_EQ(r.list, lt_concordance_list);
  EXPECT_EQ(r.t, tt_concord);
  r = BatchZipToolAndListRecFromFName(u"stem." + kind + u".zip", u".zip2");
  EXPECT_EQ(r.t, tt_no_tool_at_all);
  EXPECT_EQ(r.list, lt_undefined);
  r = BatchZipToolAndListRecFromFName(u"stem.nothing.zip", u".zip");
  EXPECT_EQ(r.list, lt_undefined);

  const std::string good = "x." + StringToUtf8(kind) + ".zip";
  {
    TZipFile zip;
    zip.Open(File(good), zmWrite);
    zip.Add(B("one"), u"a.cnc");
    zip.Add(B("two"), u"b.cnc");
    zip.Close();
  }
  TQM_MainFile_rec rec = Rec(good);
  r = BatchZipToolAndListRec(rec);
  EXPECT_EQ(r.list, lt_concordance_list);
  EXPECT_EQ(rec.ListType, lt_concordance_list);
  EXPECT_EQ(rec.ZipfileCount, 2);

  // A damaged archive: no members, no kind.
  const std::string bad = "bad." + StringToUtf8(kind) + ".zip";
  WriteRaw(bad, std::string("PK\x03\x04 this is no archive", 24));
  rec = Rec(bad);
  rec.ZipfileCount = 7;
  r = BatchZipToolAndListRec(rec);
  EXPECT_EQ(rec.ZipfileCount, 0);
  EXPECT_EQ(rec.ListType, lt_undefined);
  EXPECT_EQ(r.list, lt_undefined);
}

// ---- sections --------------------------------------------------------------------

TEST_F(Wdef_identity, SectionsFileGoldenBytes) {
  TSectionStartsList list;
  list.Add({120, u"<h1>"});
  list.Add({7, u""});
  ASSERT_TRUE(list.SaveToFile(File("s.sec")));
  const std::string expected = HeaderBytes(50, u"Section List") + Le32(2) + Le32(120) + Le32(4) + Utf16(u"<h1>") +
                               Le32(7) + Le32(0);
  EXPECT_EQ(ReadRaw("s.sec"), expected);

  TSectionStartsList back;
  back.Add({1, u"kept"});  // reading appends
  ASSERT_TRUE(back.ReadFromFile(File("s.sec")));
  ASSERT_EQ(back.Count(), 3);
  EXPECT_EQ(back.GetASection(1).start_byte_position, 120);
  EXPECT_EQ(back.GetASection(1).w, u"<h1>");
  back.Sort();
  EXPECT_EQ(back.GetASection(0).start_byte_position, 1);
  EXPECT_EQ(back.GetASection(1).start_byte_position, 7);
  EXPECT_EQ(back.GetASection(3).start_byte_position, -1);
  EXPECT_EQ(back.GetASection(-1).w, u"");
  back.Clear();
  EXPECT_EQ(back.Count(), 0);
}

TEST_F(Wdef_identity, SectionsFileReading) {
  const std::string header = HeaderBytes(50, u"Section List");
  const std::string item = Le32(5) + Le32(2) + Utf16(u"ab");
  struct Case {
    std::string bytes;
    bool ok;
    Int32 count;
  } cases[] = {
      {header + Le32(0), true, 0},
      {HeaderBytes(50, u"Word List") + Le32(0), false, 0},
      {header + Le32(1) + item, true, 1},
      {header + Le32(2) + item + item, true, 2},
      // The count is checked against the bytes left before anything is read
      // (each item takes at least 8 bytes) ...
      {header + Le32(4) + item + item, false, 0},
      // ... and items that pass that check but are cut short stop the reading.
      {header + Le32(3) + item + item, false, 2},
      {header + Le32(0x7FFFFFFF) + item, false, 0},
      {header + Le32(-1), false, 0},
      // A string count beyond the bytes: the items before it stay.
      {header + Le32(2) + item + Le32(6) + Le32(1000) + "ab", false, 1},
      {header + Le32(2) + item + Le32(6) + Le32(-5) + "abcd", false, 1},
      {header, false, 0},
      {header.substr(0, 100), false, 0},
  };
  for (const Case& c : cases) {
    WriteRaw("c.sec", c.bytes);
    TSectionStartsList list;
    EXPECT_EQ(list.ReadFromFile(File("c.sec")), c.ok) << c.bytes.size();
    EXPECT_EQ(list.Count(), c.count) << c.bytes.size();
  }
  TSectionStartsList list;
  EXPECT_FALSE(list.ReadFromFile(File("missing.sec")));
}

}  // namespace
}  // namespace sk

namespace sk {
namespace {

TEST_F(Wdef_identity, CommandLineParameters) {
  Initialize();  // the zip-file name test is reached through the library's start
  WriteRaw("ab", HeaderBytes(50, u"Concordance") + "data");
  const std::string cwd = std::filesystem::current_path().string();
  std::filesystem::current_path(fDir);
  TQM_MainFile_rec rec = ParameterToTQMStored_File_rec(u"ab");  // too short, even though it exists
  std::filesystem::current_path(cwd);
  EXPECT_TRUE(rec.filename.empty());
  EXPECT_EQ(rec.ListType, lt_undefined);

  rec = ParameterToTQMStored_File_rec(File(""));
  EXPECT_TRUE(rec.isAFolder);
  EXPECT_EQ(rec.filename, File(""));

  WriteRaw("saved.cnc", HeaderBytes(50, u"Concordance") + "data");
  WriteRaw("plain.cnc", "just text");
  global_current_tool = tt_concord;
  rec = ParameterToTQMStored_File_rec(File("plain.cnc") + u" ");  // the name as given must exist
  EXPECT_TRUE(rec.filename.empty());
  rec = ParameterToTQMStored_File_rec(File("plain.cnc"));
  EXPECT_EQ(rec.ListType, lt_concordance_list);  // by its extension
  EXPECT_FALSE(rec.isAFolder);
  // The tools that show texts take a saved file's kind from its header and
  // any other file as plain text.
  global_current_tool = tt_file_viewer;
  rec = ParameterToTQMStored_File_rec(File("plain.cnc"));
  EXPECT_EQ(rec.ListType, lt_plaintext_list);
  rec = ParameterToTQMStored_File_rec(File("saved.cnc"));
  EXPECT_EQ(rec.ListType, lt_concordance_list);

  const std::string zipName = "x." + StringToUtf8(ListTypeAsString(lt_word_list)) + ".zip";
  {
    TZipFile zip;
    zip.Open(File(zipName), zmWrite);
    zip.Add(B("1"), u"a.lst");
    zip.Close();
  }
  global_current_tool = tt_wordlist;
  rec = ParameterToTQMStored_File_rec(File(zipName));
  EXPECT_EQ(rec.ListType, lt_word_list);
  EXPECT_EQ(rec.ZipfileCount, 1);
  rec = ParameterToTQMStored_File_rec(File("missing.cnc"));
  EXPECT_TRUE(rec.filename.empty());

  // What it found goes to the log.
  SetLogFilename(File("run.log"));
  global_log_level = 1;
  ParameterToTQMStored_File_rec(File("plain.cnc"));
  ParameterToTQMStored_File_rec(File("missing.cnc"));
  global_log_level = 0;
  SetLogFilename(u"");
  TUTF8Stringlist log;
  log.LoadFromFile(File("run.log"));
  const String text = log.Text();
  EXPECT_NE(text.find(u"parameter: \"" + File("plain.cnc") + u"\""), String::npos);
  EXPECT_NE(text.find(u"file found: " + File("plain.cnc") + u"\r\n\ttype = Concordance\r\n\ttool = Concord"),
            String::npos);
  EXPECT_NE(text.find(u"file to open: " + File("plain.cnc")), String::npos);
  EXPECT_NE(text.find(u"cannot find: " + File("missing.cnc")), String::npos);
  Finalize();
}

}  // namespace
}  // namespace sk
