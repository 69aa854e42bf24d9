// Suite text records: concordance lines, text selections, typed search texts,
// section statistics and the text-sections file.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>

#include "TestSupport.h"
#include "analysis/Search_parsing.h"
#include "core/Global_vars.h"
#include "core/Qm_global_vars.h"
#include "core/Useful_classes_base_filelists.h"
#include "services/Logging_utilities.h"
#include "services/Modify_source_texts_basics.h"
#include "platform/runtime/Strings.h"
#include "platform/runtime/Colors.h"
#include "platform/runtime/FileSeam.h"
#include "platform/runtime/FileUtils.h"
#include "VisualTestSupport.h"
#include "platform/visual/StdCtrls.h"
#include "services/Wdef.h"

namespace sk {
namespace {

std::string Le32(Int32 v) {
  std::string s(4, '\0');
  std::memcpy(s.data(), &v, 4);
  return s;
}

// Sets the tag-wildcard converter hook for one test, as the library's start does.
class WithConverter : public ::testing::Test {
 protected:
  void SetUp() override {
    fSaved = Wdef_TagWildcardConverted;
    Wdef_TagWildcardConverted = &TagWildcardConverted;
  }
  void TearDown() override { Wdef_TagWildcardConverted = fSaved; }
  TTagWildcardConverterProc fSaved{};
};

String Words(const std::vector<TConcordDetailedRec>& side) {
  String r;
  for (const TConcordDetailedRec& rec : side) {
    const TConcWordSectionsRec& w = rec.ConcStrTag.wordsections;
    r += u"[" + w.pre_str_punct + u"|" + w.wd_str + u"|" + w.post_str_punct + u"|" + rec.ConcStrTag.tag + u"]";
  }
  return r;
}

TEST(Wdef_records, ConcordanceLines) {
  const TConcordDetailedLR d = Concordance_detailsFromString(u"(search_word_position 8 length 3)the big cat sat down.");
  ASSERT_EQ(d[at_left].size(), 3u);  // "the", "big", "" after the last blank
  EXPECT_EQ(Words(d[at_left]), u"[|||][|the||][|big||]");
  EXPECT_EQ(d[at_left][2].colloc_info.span, span_L01);
  EXPECT_EQ(d[at_left][1].colloc_info.span, span_L02);
  ASSERT_EQ(d[at_right].size(), 3u);
  EXPECT_EQ(Words(d[at_right]), u"[|cat||][|sat||][|down|.|]");
  EXPECT_EQ(d[at_right][0].colloc_info.span, span_Centre);
  EXPECT_EQ(d[at_right][2].colloc_info.span, span_R02);

  // Two blanks leave an empty element at the start of the left side.
  const TConcordDetailedLR two = Concordance_detailsFromString(u"(search_word_position 5 length 1)a  b x");
  ASSERT_EQ(two[at_left].size(), 4u);
  EXPECT_EQ(Words(two[at_left]), u"[|||][|||][|a||][|b||]");

  // Markup is taken apart from the word and its punctuation.
  const TConcordDetailedLR tagged = Concordance_detailsFromString(u"(search_word_position 0 length 1)\"<w>cat<x/>!");
  ASSERT_EQ(tagged[at_right].size(), 1u);
  EXPECT_EQ(Words(tagged[at_right]), u"[\"|cat|!|<w><x/>]");
  // A tagged word keeps every character outside its tags, in order, split as
  // the same token without them; the tags are kept whole.
  const TConcordDetailedLR wordTags = Concordance_detailsFromString(
      u"(search_word_position 0 length 5)don't<VB> U.S.<NP> e-mail<NN> (hello<UH>), \"(quoted<NN>)\"");
  EXPECT_EQ(Words(wordTags[at_right]),
            u"[|don't||<VB>][|U.S|.|<NP>][|e-mail||<NN>][(|hello|),|<UH>][\"(|quoted|)\"|<NN>]");
  // A blank inside a tag does not end a word.
  const TConcordDetailedLR xml = Concordance_detailsFromString(
      u"(search_word_position 0 length 4)<w pos=\"NN1\">word</w> <w pos=\"VVZ\">goes</w> on");
  EXPECT_EQ(Words(xml[at_right]), u"[|word||<w pos=\"NN1\"></w>][|goes||<w pos=\"VVZ\"></w>][|on||]");
  const TConcordDetailedLR xmlLeft =
      Concordance_detailsFromString(u"(search_word_position 17 length 2)<w c=\"a b\">x</w> on");
  EXPECT_EQ(Words(xmlLeft[at_left]), u"[|||][|x||<w c=\"a b\"></w>]");
  EXPECT_EQ(Words(xmlLeft[at_right]), u"[|on||]");

  for (const char16_t* bad : {u"", u"the cat", u"(search_word_position 3 length )x", u"(search_word_position x length 2)abc",
                              u"(search_word_position 3 length 2 abc", u"(search_word_position -2 length 1)abc",
                              u" length 2)(search_word_position 1 length", u"(search_word_position 99999999999 length 1)a"}) {
    const TConcordDetailedLR r = Concordance_detailsFromString(bad);
    EXPECT_TRUE(r[at_left].empty() && r[at_right].empty()) << String(bad).size();
  }
  // A position beyond the line takes the whole line as the left side.
  const TConcordDetailedLR far = Concordance_detailsFromString(u"(search_word_position 500 length 1)a b");
  EXPECT_EQ(far[at_left].size(), 2u);
  EXPECT_EQ(far[at_right].size(), 1u);
}

TEST(Wdef_records, ConcordanceLineAsTexts) {
  TConcordDetailedLR d = Concordance_detailsFromString(u"(search_word_position 4 length 3)big cat");
  d[at_right][0].ConcStrTag.tag = u"<N>";
  d[at_right][0].ConcStrTag.tagnum_2B = 5;
  d[at_left][1].ConcStrTag.tag = u"<J>";
  d[at_left][1].ConcStrTag.tagnum_2B = 1;  // below 2: no tag
  const TGetPreferredTagFormat format = [](Integer n, const String& tag) {
    return TStringTagColourFontRec{tag + IntToStr(n), {}};
  };
  TLeftRightStringArray r = ConcLineAsLRStringArr(d, format, tag_before_word);
  ASSERT_EQ(r[at_left].size(), 2u);  // the blank before the search word leaves an empty first element
  EXPECT_EQ(r[at_left][0], u"");
  EXPECT_EQ(r[at_left][1], u"big");
  EXPECT_EQ(r[at_right][0], u"<N>5cat");
  r = ConcLineAsLRStringArr(d, format, tag_after_word);
  EXPECT_EQ(r[at_right][0], u"cat<N>5");
  r = ConcLineAsLRStringArr(d, nullptr, tag_after_word);
  EXPECT_EQ(r[at_right][0], u"cat");
  d[at_left].clear();
  r = ConcLineAsLRStringArr(d, format, tag_before_word);
  EXPECT_TRUE(r[at_left].empty() && r[at_right].empty());
}

TEST(Wdef_records, EndOfSameWord) {
  const String s = u"ab cd<e>f";
  EXPECT_EQ(EndOfSameWord(1, s, false), 2);
  EXPECT_EQ(EndOfSameWord(4, s, false), 5);
  EXPECT_EQ(EndOfSameWord(8, s, false), -1);  // "f" runs to the end
  EXPECT_EQ(EndOfSameWord(9, s, false), -1);  // at the edge
  EXPECT_EQ(EndOfSameWord(5, s, true), 4);
  EXPECT_EQ(EndOfSameWord(2, s, true), -1);
  EXPECT_EQ(EndOfSameWord(1, s, true), -1);
  EXPECT_EQ(EndOfSameWord(0, s, false), -1);
  EXPECT_EQ(EndOfSameWord(20, s, true), -1);
  EXPECT_EQ(EndOfSameWord(1, u"a\tb", false), 1);
  EXPECT_EQ(EndOfSameWord(3, u"a\x3000" u"b", true), 3);
}

TEST(Wdef_records, StatsOfACharacter) {
  TTextStatsPositions_rec p;
  p.stats_arr[stats_sentence] = {{0, 9}, {10, 19}, {25, 30}};
  p.stats_arr[stats_paragraph] = {{0, 30}};
  const TCharacterSectionStats at12 = StatsOfACharacter(12, p);
  EXPECT_EQ(at12.index[stats_sentence], 1);
  EXPECT_EQ(at12.offset[stats_sentence], 2);
  EXPECT_EQ(at12.length[stats_sentence], 10);
  EXPECT_EQ(at12.index[stats_paragraph], 0);
  EXPECT_EQ(at12.index[stats_heading], -1);
  EXPECT_EQ(at12.index[stats_word], 0);
  EXPECT_EQ(StatsOfACharacter(22, p).index[stats_sentence], -1);  // between spans
  EXPECT_EQ(StatsOfACharacter(30, p).index[stats_sentence], 2);
  EXPECT_EQ(StatsOfACharacter(31, p).index[stats_paragraph], -1);
}

TEST_F(WithConverter, SelectTextRecords) {
  TSelectTextFile_Rec rec = StringToSelectTextFile_Rec(u"<head*>");
  EXPECT_EQ(rec.subrec.contains_wildcard, 1);
  EXPECT_EQ(rec.seek_wilds[0], 29);
  EXPECT_EQ(rec.subrec.length_of_seek, 5);
  EXPECT_EQ(rec.subrec.how, ts_string);
  EXPECT_EQ(SelectTextFile_RecToString(rec), u"<head*>");

  struct Case {
    String in;
    String back;
  } cases[] = {
      {u"<p>", u"<p>"},
      // Every wildcard goes to the wildcard part, every character after the
      // first one to the end part.
      {u"<a~b^c#d>", u"<a~^#bcd>"},
      {u"<q\"*\"r>", u"<q*r>"},  // the quoted star stays a literal in the start part
      {String(100, u'x'), String(80, u'x')},
      {u"ab*" + String(100, u'y'), u"ab*" + String(80, u'y')},
      {u"", u""},
  };
  for (const Case& c : cases) EXPECT_EQ(SelectTextFile_RecToString(StringToSelectTextFile_Rec(c.in)), c.back);

  rec = StringToSelectTextFile_Rec(u"<100>");
  EXPECT_EQ(rec.subrec.how, ts_n_chars);
  EXPECT_EQ(rec.subrec.nChars, 100);
  EXPECT_EQ(StringToSelectTextFile_Rec(u"auto").subrec.how, ts_sentence_end);
  EXPECT_EQ(StringToSelectTextFile_Rec(u"").subrec.how, ts_string);

  // A stored record without any terminating zero is read within its fields.
  TSelectTextFile_Rec full{};
  full.seekStart.fill(u'a');
  full.seek_wilds.fill(29);
  full.seekEnd.fill(u'b');
  EXPECT_EQ(SelectTextFile_RecToString(full), String(81, u'a') + String(11, u'*') + String(81, u'b'));
}

TEST(Wdef_records, EncodedCRLFTAB) {
  struct Case {
    const char16_t* typed;
    const char16_t* coded;
  } cases[] = {
      {u"a*b?c#d", u"a\x1D" u"b\x1C" u"c\x1B" u"d"},
      {u"*ab*", u"*ab*"},            // first and last stay
      {u"a\"*b*\"c", u"a\"*b*\"c"},  // next to a double quote
      {u"one<Enter>two<Tab>three", u"one\r\ntwo\tthree"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EncodedCRLFTAB(c.typed), c.coded);
    EXPECT_EQ(EncodedCRLFTABToReadableStr(c.coded), c.typed);
  }
  EXPECT_EQ(EncodedCRLFTABToReadableStr(u"\x18\x19\x1A"), u"***");
}

TEST(Wdef_records, NonApplicableCellsAndPaths) {
  TGrid_data_rec data;
  data.cluster_tokens.push_back({u"word", u"", 0});
  data.n_and_disp.computed_value = 3;
  SetDataRecStringNonApplicable(data);
  EXPECT_EQ(data.cluster_tokens[0].wrd, u"n/a");
  EXPECT_EQ(data.n_and_disp.computed_value, -999999);
  EXPECT_TRUE(data.NonApplicable);
  EXPECT_EQ(data.data_type, ddt_string);
  TGrid_data_rec empty;
  empty.n_and_disp.computed_value = -999998;
  SetDataRecStringNonApplicable(empty);  // no token given: one is made
  ASSERT_EQ(empty.cluster_tokens.size(), 1u);
  EXPECT_EQ(empty.cluster_tokens[0].wrd, u"");
  EXPECT_EQ(empty.n_and_disp.computed_value, -999998);

  EXPECT_EQ(CorrectedPathname(u" C: "), u"C:\\");
  EXPECT_EQ(CorrectedPathname(u"C:texts"), u"C:\\texts");
  EXPECT_EQ(CorrectedPathname(u"C:\\texts"), u"C:\\texts");
  EXPECT_EQ(CorrectedPathname(u"\\\\server\\share "), u"\\\\server\\share");
  EXPECT_EQ(CorrectedPathname(u"/home/x"), u"/home/x");
}

class Wdef_recordsFiles : public ScratchFolderTest {
 protected:
  Wdef_recordsFiles() : ScratchFolderTest("wdef_records") {}
  void TearDown() override {
    Global_TextSectionsArr = TTextStatsPositions_rec{};
    global_bufStr[wp_whole].clear();
    ScratchFolderTest::TearDown();
  }
};

TEST_F(Wdef_recordsFiles, TextSectionsFileGoldenBytes) {
  TTextStatsPositions_rec& s = Global_TextSectionsArr;
  s.stats_arr[stats_sentence] = {{0, 9}, {11, 20}};
  s.stats_arr[stats_paragraph] = {{0, 20}};
  s.bufferful_chars = {{1, stats_sentence}, {70000, stats_paragraph}, {-3, stats_word}};
  ASSERT_TRUE(SaveGlobalTextSections(File("t.sections")));
  const std::string expected = Le32(0) + Le32(2) + Le32(0) + Le32(9) + Le32(11) + Le32(20) + Le32(1) + Le32(0) +
                               Le32(20) + Le32(0) + Le32(0) + Le32(6789) + Le32(3) +
                               std::string("\x01\x00\x01\x00", 4) + std::string("\xFF\xFF\x02\x00", 4) +
                               std::string("\x00\x00\x00\x00", 4);
  EXPECT_EQ(ReadRaw("t.sections"), expected);
  EXPECT_FALSE(SaveGlobalTextSections(File("no/such/folder/t.sections")));
}

TEST_F(Wdef_recordsFiles, TextBreaksReport) {
  global_bufStr[wp_whole] = u"One.\r\nTwo";
  TTextStatsPositions_rec& s = Global_TextSectionsArr;
  s.stats_arr[stats_sentence] = {{0, 3}, {6, 8}};
  s.bufferful_chars.assign(9, TNumberWordAndStat{});
  s.bufferful_chars[0] = {0, stats_sentence};
  s.bufferful_chars[3] = {0, stats_sentence};
  s.bufferful_chars[6] = {1, stats_sentence};
  ASSERT_TRUE(SaveTextBreaksMarked(File("breaks.txt")));
  const std::string text = ReadRaw("breaks.txt");
  EXPECT_EQ(text,
            "\xEF\xBB\xBF"
            "0000 S0 start: \"ne.#13#10Two\")\r\n"
            "0003 S0 end: \"One.\")\r\n"
            "0006 S1 start: \"wo\")\r\n"
            "\r\n\r\n"
            "0001 (S): One.\r\n"
            "0002 (S): Two\r\n");
  // Nothing to report: no file.
  Global_TextSectionsArr = TTextStatsPositions_rec{};
  ASSERT_TRUE(SaveTextBreaksMarked(File("none.txt")));
  EXPECT_FALSE(std::filesystem::exists(Path("none.txt")));
}

// Start or end is decided by the first span of the marker's kind that starts
// or finishes at its position, whatever number the marker carries.
TEST_F(Wdef_recordsFiles, TextBreaksStartOrEndFromTheFirstSpanThere) {
  global_bufStr[wp_whole] = u"abcdefghij";
  TTextStatsPositions_rec& s = Global_TextSectionsArr;
  s.stats_arr[stats_sentence] = {{0, 3}, {3, 8}, {5, 5}};
  s.stats_arr[stats_paragraph] = {{3, 9}};
  s.bufferful_chars.assign(10, TNumberWordAndStat{});
  s.bufferful_chars[3] = {1, stats_sentence};    // the first span ends there, the second starts
  s.bufferful_chars[5] = {2, stats_sentence};    // a span that starts and ends there
  s.bufferful_chars[7] = {0, stats_sentence};    // no span there
  s.bufferful_chars[8] = {1, stats_sentence};
  s.bufferful_chars[9] = {0, stats_paragraph};   // a sentence would not end here
  ASSERT_TRUE(SaveTextBreaksMarked(File("breaks.txt")));
  EXPECT_EQ(ReadRaw("breaks.txt"),
            "\xEF\xBB\xBF"
            "0003 S1 end: \"abcd\")\r\n"
            "0005 S2 start: \"ghij\")\r\n"
            "0007 S0 start: \"ij\")\r\n"
            "0008 S1 end: \"abcdefghi\")\r\n"
            "0009 P0 end: \"abcdefghij\")\r\n"
            "\r\n\r\n"
            "0001 (S): abcd\r\n"
            "0002 (S): defghi\r\n"
            "0003 (S): f\r\n"
            "0001 (P): defghij\r\n");
}

// Positions of five digits are written whole; a span of 80 characters or
// more shows its first 40 and last 42 characters.
TEST_F(Wdef_recordsFiles, TextBreaksLongPositionsAndSpans) {
  String buf;
  for (int k = 0; k < 10002; ++k) buf += static_cast<Char>(u'a' + k % 26);
  global_bufStr[wp_whole] = buf;
  TTextStatsPositions_rec& s = Global_TextSectionsArr;
  s.stats_arr[stats_heading] = {{10000, 10001}, {100, 179}, {200, 278}};
  s.bufferful_chars.assign(10002, TNumberWordAndStat{});
  s.bufferful_chars[10001] = {12345, stats_heading};
  ASSERT_TRUE(SaveTextBreaksMarked(File("breaks.txt")));
  const std::string ascii(buf.begin(), buf.end());
  EXPECT_EQ(ReadRaw("breaks.txt"), "\xEF\xBB\xBF"
                                   "10001 H12345 end: \"" + ascii.substr(9951, 51) + "\")\r\n"
                                   "\r\n\r\n"
                                   "0001 (H): " + ascii.substr(10000, 2) + "\r\n"
                                   "0002 (H): " + ascii.substr(100, 40) + "..." + ascii.substr(138, 42) + "\r\n"
                                   "0003 (H): " + ascii.substr(200, 79) + "\r\n");
}

}  // namespace
}  // namespace sk

namespace sk {
namespace {

TEST(Wdef_records, ColourAndStyleTexts) {
  TColourFontRec rec{clYellow, clRed, static_cast<TFontStyles>(1u << fsBold | 1u << fsStrikeOut)};
  EXPECT_EQ(TColloc_InfoToStr(rec), u"[][clRed-clYellow-BS][]");
  rec = TColourFontRec{0x123456, clWindow, 0};
  EXPECT_EQ(TColloc_InfoToStr(rec), u"[][clWindow-$00123456-][]");
  // Every named colour and every set of styles comes back.
  for (TColor c : {clBlack, clMaroon, clSilver, clWhite, clNone, clDefault, clHighlight, clMenuBar,
                   static_cast<TColor>(0x00ABCDEF)}) {
    for (TFontStyles styles = 0; styles < 16; ++styles) {
      const TColourFontRec in{c, clTeal, styles};
      const TColourFontRec out = CollocInfoStringToTColourFontRec(TColloc_InfoToStr(in));
      EXPECT_EQ(out.BrushColour, in.BrushColour);
      EXPECT_EQ(out.FontColour, in.FontColour);
      EXPECT_EQ(out.typeface, in.typeface);
    }
  }
  struct Case {
    const char16_t* s;
    TColor font, brush;
    TFontStyles styles;
  } cases[] = {
      {u"", 0, 0, 0},
      {u"[][clRed-clBlue-B", 0, 0, 0},  // no closing brackets
      {u"junk [][clRed][]", clRed, 0, 0},
      {u"x[][clRed-nonsense-BXU][]y", clRed, 0, 1u << fsBold | 1u << fsUnderline},
      {u"[][$GG-$000000FF-][]", 0, clRed, 0},
  };
  for (const Case& c : cases) {
    const TColourFontRec r = CollocInfoStringToTColourFontRec(c.s);
    EXPECT_EQ(r.FontColour, c.font) << String(c.s).size();
    EXPECT_EQ(r.BrushColour, c.brush);
    EXPECT_EQ(r.typeface, c.styles);
  }
}

TEST_F(Wdef_recordsFiles, IndexFilesAndTheirBackups) {
  WriteRaw("list.types", "t");
  WriteRaw("list.stats", "s");
  WriteRaw("list.stats_bak", "old");
  EXPECT_TRUE(TryToBackupIndexFiles(File("list.lst")));
  EXPECT_EQ(ReadRaw("list.types_bak"), "t");
  EXPECT_EQ(ReadRaw("list.stats_bak"), "s");
  EXPECT_FALSE(std::filesystem::exists(Path("list.tokens_bak")));
  TryToDeleteIndexFiles(File("list.lst"));
  EXPECT_FALSE(std::filesystem::exists(Path("list.types")));
  EXPECT_FALSE(std::filesystem::exists(Path("list.stats")));
  EXPECT_TRUE(std::filesystem::exists(Path("list.stats_bak")));
}

// A backup that cannot be written whole (the disk full at its first or a
// later write, or when it is put in place) answers false and leaves the
// earlier backup and the index file as they were, with nothing else left in
// the folder; the other index files are still backed up.
TEST_F(Wdef_recordsFiles, IndexBackupsOnAFullDisk) {
  const std::string big(200000, 'x');
  for (Int64 failAt : {1, 2, 3}) {
    SCOPED_TRACE(failAt);
    WriteRaw("list.types", big);
    WriteRaw("list.types_bak", "old types");
    WriteRaw("list.stats", "s");
    WriteRaw("list.stats_bak", "old stats");
    Int64 writes = 0;
    Int64 failed = 0;
    bool ok = true;
    {
      const TFileSeamHook previous = SetFileSeamHook([&](TFileSeamOp op, const std::string& path) -> Int32 {
        const bool types = path.empty() || path.find("types") != std::string::npos;
        if (!types || (op != fsoWrite && op != fsoRename)) return 0;
        if (op == fsoRename ? failAt == 3 : ++writes == failAt) {
          ++failed;
          return ENOSPC;
        }
        return 0;
      });
      ok = TryToBackupIndexFiles(File("list.lst"));
      SetFileSeamHook(previous);
    }
    EXPECT_EQ(failed, 1);
    EXPECT_FALSE(ok);
    EXPECT_EQ(ReadRaw("list.types_bak"), "old types");
    EXPECT_EQ(ReadRaw("list.types"), big);
    EXPECT_EQ(ReadRaw("list.stats_bak"), "s");
    size_t files = 0;
    for (const auto& f : std::filesystem::directory_iterator(Path(""))) files += f.is_regular_file() ? 1 : 0;
    EXPECT_EQ(files, 4u);
  }
  // A backup of another user's index file goes to that user (as root only).
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(Path("list.stats").c_str(), 4321, 4321), 0);
    std::filesystem::remove(Path("list.stats_bak"));
    EXPECT_TRUE(TryToBackupIndexFiles(File("list.lst")));
    struct stat st {};
    ASSERT_EQ(::stat(Path("list.stats_bak").c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 4321u);
  }
}

TEST_F(Wdef_recordsFiles, ComboHistories) {
  std::string forty;
  for (int i = 1; i <= 40; ++i) forty += "item " + std::to_string(i) + "\r\n";
  WriteRaw("h.txt", forty);
  TestApplication();  // the combo boxes are controls
  TComboBox combo;
  ASSERT_TRUE(LoadOrSaveComboItems(combo, ls_loading, File("h.txt")));
  ASSERT_EQ(combo.Items().Count(), 25);
  EXPECT_EQ(combo.Items()[24], u"item 25");

  // Saving adds the file's lines the box lacks and writes UTF-16LE.
  TComboBox other;
  other.Items().Add(u"new");
  other.Items().Add(u"item 2");
  WriteRaw("s.txt", "\xEF\xBB\xBF" "item 1\r\nitem 2\r\n");
  ASSERT_TRUE(LoadOrSaveComboItems(other, ls_saving, File("s.txt")));
  EXPECT_EQ(ReadRaw("s.txt"), std::string("\xFF\xFEn\0e\0w\0\r\0\n\0i\0t\0e\0m\0 \0" "2\0\r\0\n\0i\0t\0e\0m\0 \0" "1\0\r\0\n\0", 44));
  // A line the box holds in another case, or that the file repeats, is added once at most.
  WriteRaw("s.txt", "NEW\r\nitem 3\r\nItem 3\r\n");
  ASSERT_TRUE(LoadOrSaveComboItems(other, ls_saving, File("s.txt")));
  EXPECT_EQ(Lines(other.Items()), (std::vector<String>{u"new", u"item 2", u"item 1", u"item 3"}));
  TComboBox empty;
  ASSERT_TRUE(LoadOrSaveComboItems(empty, ls_saving, File("none.txt")));
  EXPECT_FALSE(std::filesystem::exists(Path("none.txt")));
  EXPECT_FALSE(LoadOrSaveComboItems(empty, ls_loading, File("none.txt")));

  TComboBox box;
  for (int i = 1; i <= 20; ++i) box.Items().Add(u"t" + IntToStr(i));
  EnsureTextInItems(box, u"  ");
  EnsureTextInItems(box, u"fresh");
  ASSERT_EQ(box.Items().Count(), 20);
  EXPECT_EQ(box.Items()[0], u"fresh");
  EXPECT_EQ(box.Items()[19], u"t19");  // t20 went first
  EnsureTextInItems(box, u"t5");
  EXPECT_EQ(box.Items()[0], u"t5");
  EXPECT_EQ(box.Items()[1], u"fresh");
  EXPECT_EQ(box.Items().Count(), 20);
  // The item chosen in a closed list, or in an editable box, stays chosen.
  for (const TComboBoxStyle style : {csDropDownList, csDropDown}) {
    TComboBox chosen;
    chosen.SetStyle(style);
    for (const char16_t* s : {u"alpha", u"beta", u"gamma", u"delta"}) chosen.Items().Add(s);
    chosen.SetItemIndex(2);
    EnsureTextInItems(chosen, u"new");
    EXPECT_EQ(chosen.ItemIndex(), 3);
    EnsureTextInItems(chosen, u"delta");
    EXPECT_EQ(chosen.ItemIndex(), 4);
    EXPECT_EQ(chosen.GetText(), u"gamma");
    EnsureTextInItems(chosen, u"gamma");
    EXPECT_EQ(chosen.ItemIndex(), 0);
  }

  const String request = CommunicateBetweenToolsFilename(tt_wordlist, tt_concord);
  EXPECT_EQ(ExtractFileName(request), u"Word List_Concordance.tell_concord");
}

// Names from the system whose bytes are not UTF-8 (Latin-1, Shift-JIS, bytes
// no code page reads) go through the stored forms the suite writes and reads
// back: each comes back with its own bytes, two that differ only in such bytes
// stay two, and a form that cannot hold them takes nothing.
TEST_F(Wdef_recordsFiles, NamesThatAreNotUtf8ComeBackFromEveryStoredForm) {
  std::vector<std::string> bytes = {"caf\xE9/caf\xE9.txt", "caf\xE9/caf\xE8.txt", "caf\xE8/caf\xE9.txt",
                                    "\x93\x8C\x8B\x9E.txt", "\x91\xE5\x8D\xE3.txt", "a\xFF\xFE" "b.txt"};
  std::vector<String> names;
  for (std::string& b : bytes) names.push_back(SystemNameToString(b = fDir + "/" + b));
  // A UTF-16LE file's text after its mark.
  auto utf16 = [](const std::string& raw) { return TEncoding::Unicode()->GetString(TBytes(raw.begin() + 2, raw.end())); };
  TestApplication();  // the combo boxes are controls
  using TRoundTrip = std::function<std::vector<String>(const std::vector<String>&)>;
  const std::pair<const char*, TRoundTrip> forms[] = {
      {"file list", [&](const std::vector<String>& in) {
         TFolderEfficientFileList list, back;
         for (const String& n : in) {
           TBasicFileRec rec{};
           rec.ShortName = ExtractFileName(n);
           list.AddOne(ExcludeTrailingPathDelimiter(ExtractFilePath(n)), rec);
         }
         EXPECT_TRUE(list.DoWriteToFile(File("files.lst")) && back.DoReadFromFile(File("files.lst")));
         std::vector<String> out;
         for (Int32 i = 0; i < back.FileCount(); ++i) out.push_back(back.GetFullFilename(i));
         return out;
       }},
      {"detail log", [&](const std::vector<String>& in) {
         const Int32 level = std::exchange(global_log_level, 1);
         const tool_type tool = std::exchange(global_current_tool, tt_shell);
         for (const String& n : in) AddToDetailLogFile(in[3] + u".log", n);
         global_log_level = level;
         global_current_tool = tool;
         TStringList lines;  // each write is the tool's tag, the text and CR LF
         lines.SetTextStr(StringReplace(utf16(ReadFileBytes(bytes[3] + ".log")), LogToolTag(tt_shell), u"", rfReplaceAll));
         return Lines(lines);
       }},
      {"modification log", [&](const std::vector<String>& in) {
         // A log the library makes keeps every name; one in UTF-8 or in the
         // ANSI code page (made elsewhere) cannot, so it takes no line and
         // gives no marker.
         for (const std::string old : {"\xEF\xBB\xBFold line\r\n", "old lin\xE9\r\n"}) {
           WriteRaw("old.log", old);
           modify_source_texts_logfullfilename = File("old.log");
           for (const String& n : in) EXPECT_EQ(LogDateReference(u"", n, u"t", u"", u"", 0, mst_undo), u"");
           EXPECT_EQ(ReadRaw("old.log"), old);
         }
         modify_source_texts_logfullfilename = in[4] + u".log";
         for (const String& n : in) LogDateReference(u"", n, u"t", u"", u"", 0, mst_undo);
         modify_source_texts_logfullfilename.clear();
         TStringList lines;
         lines.SetTextStr(utf16(ReadFileBytes(bytes[4] + ".log")));
         std::vector<String> out;
         for (const String& line : Lines(lines)) out.push_back(line.substr(3, line.find(u'\t', 3) - 3));
         return out;
       }},
      {"combo history", [&](const std::vector<String>& in) {
         // Half the names are in the file already, half in the box.
         TComboBox box, more, back;
         for (size_t k = 0; k < in.size(); ++k) (k % 2 == 0 ? box : more).Items().Add(in[k]);
         EXPECT_TRUE(LoadOrSaveComboItems(box, ls_saving, File("history.txt")));
         EXPECT_TRUE(LoadOrSaveComboItems(more, ls_saving, File("history.txt")));
         EXPECT_TRUE(LoadOrSaveComboItems(back, ls_loading, File("history.txt")));
         std::vector<String> out = Lines(back.Items());
         std::sort(out.begin(), out.end(), [&](const String& x, const String& y) {
           return std::find(in.begin(), in.end(), x) < std::find(in.begin(), in.end(), y);
         });
         return out;
       }},
  };
  for (const auto& [form, roundTrip] : forms) {
    const std::vector<String> back = roundTrip(names);
    ASSERT_EQ(back.size(), names.size()) << form;
    for (size_t k = 0; k < names.size(); ++k) {
      EXPECT_EQ(back[k], names[k]) << form << " " << k;
      EXPECT_EQ(StringToSystemName(back[k]), bytes[k]) << form << " " << k;
    }
  }
}

}  // namespace
}  // namespace sk
