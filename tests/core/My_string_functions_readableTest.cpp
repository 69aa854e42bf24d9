// Readable search strings, list-kind names, masks, text files and word-list
// comparison.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <fstream>
#include <string>

#include "core/Generalruntime1const.h"
#include "core/Generalruntime2const.h"
#include "core/Global_vars.h"
#include "core/My_string_functions_readable.h"
#include "core/Useful_classes_base_stringlists.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/ResourceStrings.h"
#include "platform/runtime/Strings.h"

namespace sk {
namespace {

String Work(const String& s) { return QMFormattedReadableStringToWorkString(s); }

TEST(My_string_functions_readableCodes, BracedCodes) {
  EXPECT_EQ(Work(u"a{chr(65)}b"), u"aAb");
  EXPECT_EQ(Work(u"{CHR(X41)}"), u"A");
  EXPECT_EQ(Work(u"{CHR(41H)}"), u"A");
  EXPECT_EQ(Work(u"{Chr(9)}{chr(10)}"), u"\t\n");
  EXPECT_EQ(Work(u"{CHR(1F600H)}"), u"\U0001F600");  // beyond U+FFFF: a surrogate pair
  // What does not convert stays; the next notation is still read.
  EXPECT_EQ(Work(u"{CHR(zz)}{CHR(66)}"), u"{CHR(zz)}B");
  EXPECT_EQ(Work(u"{CHR(1114112)}x"), u"{CHR(1114112)}x");
  EXPECT_EQ(Work(u"{CHR(-1)}"), u"{CHR(-1)}");
  // An empty number or a missing ")}" ends the braced step.
  EXPECT_EQ(Work(u"{CHR()}{CHR(65)}"), u"{CHR()}{CHR(65)}");
  EXPECT_EQ(Work(u"{CHR(65"), u"{CHR(65");
  // A character made is not read again as the start of a notation.
  EXPECT_EQ(Work(u"{CHR(123)}CHR(65)}"), u"{CHR(65)}");
  EXPECT_EQ(Work(u""), u"");
}

TEST(My_string_functions_readableCodes, HashCodes) {
  EXPECT_EQ(Work(u"#65"), u"A");
  EXPECT_EQ(Work(u"#x41;"), u"A");
  EXPECT_EQ(Work(u"#$41"), u"A");
  EXPECT_EQ(Work(u"#hx4a;b"), u"Jb");
  EXPECT_EQ(Work(u"#65;"), u"A;");
  EXPECT_EQ(Work(u"#"), u"#");
  EXPECT_EQ(Work(u"#q"), u"#q");
  EXPECT_EQ(Work(u"#q #65"), u"#q #65");
  EXPECT_EQ(Work(u"a#66c#67"), u"aBcC");
  EXPECT_EQ(Work(u"#x;"), u"#x;");
  EXPECT_EQ(Work(u"#x1F600"), u"\U0001F600");
  EXPECT_EQ(Work(u"#99999999999 #65"), u"#99999999999 #65");
  EXPECT_EQ(Work(u"#1114112"), u"#1114112");
  // A "#" made from a "#" code is read again as a notation of its own.
  EXPECT_EQ(Work(u"#35 66"), u"# 66");
  EXPECT_EQ(Work(u"#x23;66"), u"B");
  // A "#" made from a braced code is a literal: the way to write a "#" that
  // digits follow. Later codes are still read.
  EXPECT_EQ(Work(u"{CHR(35)}67"), u"#67");
  EXPECT_EQ(Work(u"{chr(35)}1 #65 {CHR(35)}x41;"), u"#1 A #x41;");
}

TEST(My_string_functions_readableCodes, ManyNotationsInALongText) {
  String readable;
  String expected;
  for (int i = 0; i < 20000; ++i) {
    readable += u"ab{CHR(9)}#65;";
    expected += u"ab\tA;";
  }
  EXPECT_EQ(Work(readable), expected);
}

TEST(My_string_functions_readableCodes, WorkToReadableAndBack) {
  EXPECT_EQ(QMFormattedWorkStringToReadableString(u"a\tb", 32), u"a{CHR(9)}b");
  EXPECT_EQ(QMFormattedWorkStringToReadableString(u"a\tb", 0), u"a\tb");
  EXPECT_EQ(QMFormattedWorkStringToReadableString(u"", 32), u"");
  const String work = u"x\t\r\ny\u0001";
  EXPECT_EQ(Work(QMFormattedWorkStringToReadableString(work, 32)), work);
  EXPECT_EQ(Work(QMFormattedWorkStringToReadableString(u"ab", 128)), u"ab");
}

TEST(My_string_functions_readableCodes, TextsThatLookLikeCodesSurviveTheRoundTrip) {
  // A "#" that would be read as a code, and a "{" that starts "{CHR(", are
  // written as codes; every other "#" and "{" stays as it is.
  EXPECT_EQ(QMFormattedWorkStringToReadableString(u"#1 C# {x}", 32), u"{CHR(35)}1 C# {x}");
  EXPECT_EQ(QMFormattedWorkStringToReadableString(u"{chr(9)}", 32), u"{CHR(123)}chr(9)}");
  const std::vector<String> works{
      u"#1",          u"#hashtag",      u"price #x41; and #65;", u"C# and F#",       u"{CHR(65)}",
      u"{chr()}\t",  u"{CHR(9\t",      u"#\t#1",               u"a{b}c#",          u"##65",
      u"#$ff",        u"\U0001F600#9", u"{{CHR(1)}}",           u"{CHR(35)}1\x01"};
  for (const String& w : works) {
    for (Int32 limit : {0, 32, 128, 0x10000}) {
      const String readable = QMFormattedWorkStringToReadableString(w, limit);
      EXPECT_EQ(Work(readable), w) << StringToUtf8(w) << " limit " << limit << " via " << StringToUtf8(readable);
    }
  }
  // Every character from 0 to 300 on either side of a "#" and a "{".
  String all;
  for (Char c = 0; c < 300; ++c) {
    all += u'#';
    all += c;
    all += u'{';
  }
  EXPECT_EQ(Work(QMFormattedWorkStringToReadableString(all, 32)), all);
}

TEST(My_string_functions_readableNames, ListKinds) {
  EXPECT_EQ(ListTypeAsString(lt_keyword_list), u"Key word list");
  EXPECT_EQ(ListTypeAsString(lt_KW_database_list), u"Keywords Database");
  EXPECT_EQ(ListTypeAsString(lt_conc_timeline_list), u"Concordance Timeline List");
  EXPECT_EQ(ListTypeAsString(lt_KWDB_timeline_list), u"KWDB Timeline List");
  EXPECT_EQ(ListTypeAsString(lt_word_list), u"Word list");
  EXPECT_EQ(ListTypeAsString(lt_concordance_list), u"Concordance list");
  EXPECT_EQ(ListTypeAsString(lt_markup_list), u"Mark-up list");
  EXPECT_EQ(ListTypeAsString(lt_source_text), u"Source text");
  EXPECT_EQ(ListTypeAsString(lt_plaintext_list), u"Text list");
  EXPECT_EQ(ListTypeAsString(lt_notes), u"Notes");
  EXPECT_EQ(ListTypeAsString(lt_sorting), u"Sort");
  EXPECT_EQ(ListTypeAsString(lt_undefined), u"");
  EXPECT_EQ(ListTypeAsString(lt_spare_concgram_list), u"");
  EXPECT_EQ(ListTypeAsString(lt_debug_only), u"");
  EXPECT_EQ(ListTypeAsString(static_cast<TQuillmarkList>(250)), u"");
  for (int k = 0; k < TQuillmarkList_Count; ++k) {
    const String name = ListTypeAsString(static_cast<TQuillmarkList>(k));
    EXPECT_EQ(name.find(u'%'), String::npos) << k;  // every placeholder filled
  }
  EXPECT_EQ(ListTypeAsStringCase(lt_word_list, upper_case_output), u"WORD LIST");
  EXPECT_EQ(ToolMakingTimeline(lt_KWDB_timeline_list), u"KWDB");
  EXPECT_EQ(ToolMakingTimeline(lt_conc_timeline_list), u"Concordance");
}

TEST(My_string_functions_readableNames, Masks) {
  EXPECT_EQ(MaskToMaskArray(u" *.txt ; *.doc"), (std::vector<String>{u"*.txt", u"*.doc"}));
  EXPECT_EQ(MaskToMaskArray(u""), (std::vector<String>{u""}));
  EXPECT_EQ(MaskToMaskArray(u"a;"), (std::vector<String>{u"a", u""}));
  const std::vector<String> masks = StandardFilterMoveExcludeFoldersArr();
  ASSERT_EQ(masks.size(), 2u);
  EXPECT_EQ(masks[0], u"*/moved/*");
  EXPECT_EQ(masks[1], u"*/moved-*/*");
  EXPECT_EQ(StandardFilterMoveExcludeFoldersMask(), u"*/moved/*;*/moved-*/*");
  EXPECT_TRUE(MatchesMask(u"/data/texts/moved/a.txt", masks[0]));
  EXPECT_TRUE(MatchesMask(u"/data/texts/moved-2023/a.txt", masks[1]));
  EXPECT_FALSE(MatchesMask(u"/data/texts/unmoved/a.txt", masks[0]));
}

TEST(My_string_functions_readableLines, LineEndsMadeCRLF) {
  Int32 fixes = -5;
  EXPECT_EQ(UnixStringToWindowsStringW(fixes, u"a\nb\rc\r\nd"), u"a\r\nb\r\nc\r\nd");
  EXPECT_EQ(fixes, 2);
  EXPECT_EQ(UnixStringToWindowsStringW(fixes, u"\n\nx\r"), u"\r\n\r\nx\r");
  EXPECT_EQ(fixes, 2);
  EXPECT_EQ(UnixStringToWindowsStringW(fixes, u"\r\r\n"), u"\r\n\r\n");
  EXPECT_EQ(fixes, 1);
  EXPECT_EQ(UnixStringToWindowsStringW(fixes, u""), u"");
  EXPECT_EQ(fixes, 0);
  EXPECT_EQ(UnixStringToWindowsString(fixes, "a\nb\rc\r\nd"), "a\r\nb\r\nc\r\nd");
  EXPECT_EQ(fixes, 2);
  String twice = UnixStringToWindowsStringW(fixes, u"p\nq\rr");
  EXPECT_EQ(UnixStringToWindowsStringW(fixes, twice), twice);
  EXPECT_EQ(fixes, 0);
}

class My_string_functions_readableFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/sk_readable_XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    dir_ = Utf8ToString(tmpl) + u"/";
  }
  void TearDown() override {
    for (const char16_t* f : {u"a.txt", u"u16.txt", u"new.txt", u"empty.txt"}) DeleteFile(dir_ + f);
    RemoveDir(dir_);
  }
  std::string ReadBytes(const String& file) {
    std::ifstream in(StringToUtf8(file), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  void WriteBytes(const String& file, const std::string& bytes) {
    std::ofstream out(StringToUtf8(file), std::ios::binary);
    out << bytes;
  }
  String dir_;
};

TEST_F(My_string_functions_readableFiles, TextOfAFile) {
  WriteBytes(dir_ + u"a.txt", "one\ntwo\rthree");
  EXPECT_EQ(GetTextFromFile(dir_ + u"a.txt"), u"one\r\ntwo\r\nthree\r\n");
  WriteBytes(dir_ + u"u16.txt", std::string("\xFF\xFE" "h\0" "\xE9\0", 6));
  EXPECT_EQ(GetTextFromFile(dir_ + u"u16.txt"), u"h\u00E9\r\n");
  WriteBytes(dir_ + u"cp.txt", "caf\xE9");  // ANSI code page 1252, no mark
  EXPECT_EQ(GetTextFromFile(dir_ + u"cp.txt"), u"caf\u00E9\r\n");
  WriteBytes(dir_ + u"empty.txt", "");
  EXPECT_EQ(GetTextFromFile(dir_ + u"empty.txt"), u"");
  EXPECT_EQ(GetTextFromFile(dir_ + u"missing.txt"), u"");
}

TEST_F(My_string_functions_readableFiles, ListKindNamesFollowTheMessageTables) {
  // With the interface in another language, the names are built from the
  // translated texts: nothing is written in the code itself.
  auto line = [](const TResStringRec& rec, const char* text) {
    return std::to_string(rec.Identifier) + "=" + text + "\n";
  };
  const String file = dir_ + u"a.txt";
  WriteBytes(file, line(_QMXList, "Liste: %s") + line(_QMXTimeLineList, "Zeitleiste %s") +
                       line(_QMWord, "Wort") + line(_QMKeyword, "schl\xC3\xBCsselwort") +
                       line(_QMConcordance, "konkordanz") + line(_QMKWDB, "SWDB") +
                       line(_QMKeyWordDatabase, "Schl\xC3\xBCsselwortdatenbank") + line(_QMMoved, "verschoben"));
  struct Restore {
    ~Restore() { ClearResStringTranslations(); }
  } restore;
  ASSERT_TRUE(LoadResStringTranslations(file));
  EXPECT_EQ(ListTypeAsString(lt_word_list), u"Liste: Wort");
  EXPECT_EQ(ListTypeAsString(lt_keyword_list), u"Liste: schl\u00FCsselwort");  // first letter: "L" already
  EXPECT_EQ(ListTypeAsString(lt_concordance_list), u"Liste: konkordanz");
  EXPECT_EQ(ListTypeAsString(lt_KW_database_list), u"Schl\u00FCsselwortdatenbank");
  EXPECT_EQ(ListTypeAsString(lt_conc_timeline_list), u"Zeitleiste Konkordanz");
  EXPECT_EQ(ListTypeAsString(lt_KWDB_timeline_list), u"Zeitleiste SWDB");
  EXPECT_EQ(StandardFilterMoveExcludeFoldersMask(), u"*/verschoben/*;*/verschoben-*/*");
  ClearResStringTranslations();
  EXPECT_EQ(ListTypeAsString(lt_word_list), u"Word list");
}

TEST_F(My_string_functions_readableFiles, AppendingInUTF16) {
  TUTF8Stringlist lines;
  lines.Add(u"ab");
  lines.Add(u"\u20AC");
  const String file = dir_ + u"new.txt";
  UnicodeAppendToTextFile(file, &lines);
  EXPECT_EQ(ReadBytes(file), std::string("\xFF\xFE" "a\0b\0\r\0\n\0" "\xAC\x20\r\0\n\0", 16));
  TUTF8Stringlist more;
  more.Add(u"c");
  UnicodeAppendToTextFile(file, &more);
  EXPECT_EQ(ReadBytes(file), std::string("\xFF\xFE" "a\0b\0\r\0\n\0" "\xAC\x20\r\0\n\0" "c\0\r\0\n\0", 22));
  UnicodeAppendToTextFile(u"", &more);
  UnicodeAppendToTextFile(file, nullptr);
  EXPECT_EQ(ReadBytes(file).size(), 22u);
  EXPECT_EQ(GetTextFromFile(file), u"ab\r\n\u20AC\r\nc\r\n");
}

std::unique_ptr<TStringlistWithALongint> WordList(std::initializer_list<std::pair<const char16_t*, Int32>> items) {
  auto list = std::make_unique<TStringlistWithALongint>();
  for (const auto& [w, f] : items) list->AddOne(w, f);
  return list;
}

TEST(My_string_functions_readableWordLists, TypeAndTokenDifferences) {
  auto a = WordList({{u"the", 10}, {u"cat", 2}});
  auto b = WordList({{u"the", 8}, {u"dog", 1}});
  String last = u"unchanged";
  const auto r = TypeAndTokenDifferences2SimpleWordLists(a.get(), b.get(), 0.0f, 0.0f, last);
  EXPECT_EQ(r.type_diffs, 2);
  EXPECT_EQ(r.token_diffs, 5);
  EXPECT_FLOAT_EQ(r.type_diff_pc, static_cast<Single>(200.0 / 3.0));
  EXPECT_FLOAT_EQ(r.token_diff_pc, static_cast<Single>(500.0 / 13.0));
  EXPECT_EQ(last, u"dog");
  EXPECT_FALSE(r.similar_enough);
  EXPECT_TRUE(TypeAndTokenDifferences2SimpleWordLists(a.get(), b.get(), 70.0f, 0.0f, last).similar_enough);
  EXPECT_TRUE(TypeAndTokenDifferences2SimpleWordLists(a.get(), b.get(), 0.0f, 40.0f, last).similar_enough);
}

TEST(My_string_functions_readableWordLists, SameAndEmptyLists) {
  auto a = WordList({{u"x", 3}, {u"y", 1}});
  auto same = WordList({{u"Y", 1}, {u"x", 3}});  // the list's own lookup rules: case ignored
  String last = u"unchanged";
  auto r = TypeAndTokenDifferences2SimpleWordLists(a.get(), same.get(), 0.0f, 0.0f, last);
  EXPECT_EQ(r.type_diffs, 0);
  EXPECT_EQ(r.token_diffs, 0);
  EXPECT_TRUE(r.similar_enough);
  EXPECT_EQ(last, u"unchanged");
  TStringlistWithALongint empty1;
  TStringlistWithALongint empty2;
  r = TypeAndTokenDifferences2SimpleWordLists(&empty1, &empty2, 0.0f, 0.0f, last);
  EXPECT_EQ(r.type_diff_pc, 0.0f);
  EXPECT_EQ(r.token_diff_pc, 0.0f);
  EXPECT_FALSE(std::isnan(r.type_diff_pc));
  r = TypeAndTokenDifferences2SimpleWordLists(nullptr, a.get(), 0.0f, 0.0f, last);
  EXPECT_EQ(r.type_diffs, 2);
  EXPECT_FLOAT_EQ(r.type_diff_pc, 100.0f);
  EXPECT_FLOAT_EQ(r.token_diff_pc, 100.0f);
  // Zero frequencies: no division by a zero total either.
  auto zeros = WordList({{u"z", 0}});
  r = TypeAndTokenDifferences2SimpleWordLists(zeros.get(), zeros.get(), 0.0f, 0.0f, last);
  EXPECT_EQ(r.token_diff_pc, 0.0f);
}

TEST(My_string_functions_readableWordLists, LargeUnsortedAndSortedLists) {
  auto a = std::make_unique<TStringlistWithALongint>();
  auto b = std::make_unique<TStringlistWithALongint>();
  for (int i = 0; i < 20000; ++i) {
    a->AddOne(u"w" + IntToStr(i), 2);
    b->AddOne(u"w" + IntToStr(19999 - i + (i % 4 == 0 ? 100000 : 0)), 1);
  }
  String last;
  const auto r = TypeAndTokenDifferences2SimpleWordLists(a.get(), b.get(), 0.0f, 0.0f, last);
  EXPECT_EQ(r.type_diffs, 10000);
  EXPECT_EQ(r.token_diffs, 15000 * 1 + 5000 * 2 + 5000 * 1);
  b->SetSorted(true);
  const auto r2 = TypeAndTokenDifferences2SimpleWordLists(a.get(), b.get(), 0.0f, 0.0f, last);
  EXPECT_EQ(r2.type_diffs, r.type_diffs);
  EXPECT_EQ(r2.token_diffs, r.token_diffs);
}

}  // namespace
}  // namespace sk
