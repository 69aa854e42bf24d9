// Shared records: stored layouts, sets, enumeration-indexed arrays and the
// few record methods.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

#include "core/Basic_consts.h"
#include "core/Basic_types.h"
#include "core/Basic_unicode_chars.h"
#include "platform/runtime/StringList.h"

namespace sk {
namespace {

// Offsets of the records stored raw, as their files lay them out.
static_assert(offsetof(Tfixed_character_format_rec, fontsize) == 1);
static_assert(offsetof(Tfixed_character_format_rec, fontname) == 2);
static_assert(offsetof(TFolderEfficientFileStringlistInfoRec, case_insensitive) == 202);
static_assert(offsetof(TFolderEfficientFileStringlistInfoRec, fils) == 204);
static_assert(offsetof(TFolderEfficientFileStringlistInfoRec, foldrs) == 208);
static_assert(offsetof(TFolderEfficientFileStringlistInfoRec, total_bytes) == 216);
static_assert(offsetof(TFolderEfficientFileStringlistInfoRec, spare) == 224);
static_assert(offsetof(TSelectTextFile_Rec, seekEnd) == 162);
static_assert(offsetof(TSelectTextFile_Rec, seek_wilds) == 324);
static_assert(offsetof(TSelectTextFile_Rec, subrec) == 348);
static_assert(offsetof(TTextSelectSubrec, ato_necessario) == 4);
static_assert(offsetof(TTextSelectSubrec, nChars) == 6);
static_assert(offsetof(TTextSelectSubrec, how) == 8);
static_assert(offsetof(TTextSelectSubrec, contains_wildcard) == 9);
static_assert(offsetof(TCheckSignature, screen_res) == 4);
static_assert(offsetof(TCheckSignature, monitor) == 8);
static_assert(offsetof(TCheckSignature, save_Rect) == 12);
static_assert(offsetof(TCheckSignature, type_of_data) == 28);
static_assert(offsetof(TCheckSignature, spare) == 112);

TEST(Basic_typesSizes, RecordsStoredRawHaveTheirStoredSizes) {
  EXPECT_EQ(sizeof(Tfixed_character_format_rec), 204u);
  EXPECT_EQ(sizeof(TFolderEfficientFileStringlistInfoRec), 296u);
  EXPECT_EQ(sizeof(TSelectTextFile_Rec), 360u);
  EXPECT_EQ(sizeof(Ttext_select_ONLY_IF_TEXTS), 5400u);
  EXPECT_EQ(sizeof(TIgnore_tag), 24u);
  EXPECT_EQ(sizeof(TCheckSignature), 316u);
  EXPECT_EQ(sizeof(twohundred55char), 512u);
}

TEST(Basic_typesSizes, LeadingPartsOfFileRecordsStoredRaw) {
  // The file-search list stores 16 bytes, the folder-efficient list 40 bytes,
  // of these records before their names.
  EXPECT_EQ(offsetof(TMySearchRec, Size), 8u);
  EXPECT_EQ(offsetof(TMySearchRec, ZipfileNum1B), 12u);
  EXPECT_EQ(offsetof(TMySearchRec, Within_ZipNum1B), 14u);
  EXPECT_EQ(offsetof(TMySearchRec, ShortName), 16u);
  EXPECT_EQ(offsetof(TBasicFileRec, TextualDateAndTime), 8u);
  EXPECT_EQ(offsetof(TBasicFileRec, Size), 16u);
  EXPECT_EQ(offsetof(TBasicFileRec, Zip_num1b), 24u);
  EXPECT_EQ(offsetof(TBasicFileRec, folder_num0B), 28u);
  EXPECT_EQ(offsetof(TBasicFileRec, ShortName), 40u);
}

TEST(Basic_typesSizes, IgnoreTagHoldsSixCharactersPerSide) {
  TIgnore_tag tags{};
  tags[tag_on][0] = u'<';
  tags[tag_off][5] = u'>';
  Char raw[12];
  std::memcpy(raw, &tags, sizeof(raw));
  EXPECT_EQ(raw[0], u'<');
  EXPECT_EQ(raw[11], u'>');
}

TEST(Basic_typesInt64Colour, ColoursShareTheValuesBytes) {
  TInt64ColourRec rec{};
  rec.fore = 0x000000FF;
  rec.back = 0x00FF0000;
  EXPECT_EQ(rec.Value, 0x00FF0000000000FFLL);
}

TEST(Basic_typesSets, BitKStandsForOrdinalK) {
  TMSSearchFlags flags{msLeftBounded, msCaseIsSensitive};
  ASSERT_EQ(sizeof(flags), 1u);
  EXPECT_EQ(flags.bits[0], 0x14);
  EXPECT_TRUE(flags.Contains(msLeftBounded));
  EXPECT_FALSE(flags.Contains(msRightBounded));

  TSetOfByte bytes;
  bytes.Include(0).Include(9).Include(255);
  EXPECT_EQ(bytes.bits[0], 0x01);
  EXPECT_EQ(bytes.bits[1], 0x02);
  EXPECT_EQ(bytes.bits[31], 0x80);
  EXPECT_EQ(bytes.Count(), 3);

  TListModifications_Set mods{mod_other};  // ordinal 8: second byte
  ASSERT_EQ(sizeof(mods), 2u);
  EXPECT_EQ(mods.bits[0], 0);
  EXPECT_EQ(mods.bits[1], 0x01);
}

TEST(Basic_typesSets, UnionIntersectionDifferenceAndExclude) {
  const TTextStatsSet a{stats_word, stats_sentence};
  const TTextStatsSet b{stats_sentence, stats_section};
  EXPECT_EQ((a | b), (TTextStatsSet{stats_word, stats_sentence, stats_section}));
  EXPECT_EQ((a & b), (TTextStatsSet{stats_sentence}));
  EXPECT_EQ((a - b), (TTextStatsSet{stats_word}));
  TTextStatsSet c = a;
  c.Exclude(stats_word).Exclude(stats_word);
  EXPECT_EQ(c, (TTextStatsSet{stats_sentence}));
  c.Exclude(stats_sentence);
  EXPECT_TRUE(c.Empty());
}

TEST(Basic_typesSets, OrdinalsOutsideTheSetAreNeverMembers) {
  // A byte read from a file may hold an ordinal the enumeration lacks.
  TCorpusFolderDataSet set;
  set.Include(static_cast<TCorpusFolderData>(6));
  set.Include(static_cast<TCorpusFolderData>(200));
  EXPECT_TRUE(set.Empty());
  EXPECT_FALSE(set.Contains(static_cast<TCorpusFolderData>(7)));
}

TEST(Basic_typesEnumArray, IndexesByOrdinalAndRejectsOthers) {
  TSortIntegers levels{};
  levels[third_sort] = 3;
  EXPECT_EQ(levels.items[2], 3);
  EXPECT_EQ(levels.size(), 3u);
  EXPECT_THROW(levels[static_cast<TSortLevel>(3)], EListError);
  const TPrintMarginInches margins{};
  EXPECT_THROW(margins[static_cast<T4Directions>(250)], EListError);
}

TEST(Basic_typesOwnedText, CopiesAreIndependent) {
  TPcharTag a;
  a.wrd = String(u"word");
  a.tag = TOwnedPWideChar(u"<w>");
  a.tagnum_2B = 7;
  TPcharTag b = a;
  ASSERT_NE(b.wrd.get(), a.wrd.get());
  b.wrd.get()[0] = u'W';
  EXPECT_EQ(a.wrd.ToString(), u"word");
  EXPECT_EQ(b.wrd.ToString(), u"Word");
  EXPECT_EQ(b.tag.ToString(), u"<w>");
  a = b;  // copy-assign over an existing text
  EXPECT_EQ(a.wrd.ToString(), u"Word");
  const TPcharTag& same = a;
  a = same;  // self-assignment keeps the text
  EXPECT_EQ(a.wrd.ToString(), u"Word");
}

TEST(Basic_typesOwnedText, NilEmptyAndEmbeddedZero) {
  TOwnedPWideChar nil;
  EXPECT_TRUE(nil.IsNil());
  EXPECT_EQ(nil.Length(), 0u);
  EXPECT_TRUE(nil.ToString().empty());
  TOwnedPWideChar copyOfNil(nil);
  EXPECT_TRUE(copyOfNil.IsNil());
  EXPECT_TRUE(TOwnedPWideChar(static_cast<const Char*>(nullptr)).IsNil());

  TOwnedPWideChar empty{String()};
  EXPECT_FALSE(empty.IsNil());
  EXPECT_EQ(empty.get()[0], 0);

  // A zero-terminated text ends at its first zero unit.
  TOwnedPWideChar cut{String(u"ab\0cd", 5)};
  EXPECT_EQ(cut.Length(), 2u);
  EXPECT_EQ(cut.ToString(), u"ab");
}

TEST(Basic_typesStringlistAndTotal, InitCreatesClearsAndFrees) {
  TStringlistAndTotal rec;
  EXPECT_EQ(rec.list, nullptr);
  rec.Clear();  // nothing to empty yet
  rec.Init(list_creating);
  ASSERT_NE(rec.list, nullptr);
  rec.list->Add(u"one");
  rec.total = 2.5f;

  rec.Init(list_clearing);
  ASSERT_NE(rec.list, nullptr);
  EXPECT_EQ(rec.list->Count(), 0);
  EXPECT_EQ(rec.total, 0.0f);

  rec.list->Add(u"two");
  rec.total = 1.0f;
  rec.Init(list_freeing);
  EXPECT_EQ(rec.list, nullptr);  // freed and cleared: nothing dangles
  EXPECT_EQ(rec.total, 0.0f);
  rec.Init(list_freeing);        // freeing again is harmless
  rec.Init(list_clearing);
  rec.Clear();
  EXPECT_EQ(rec.list, nullptr);
}

TEST(Basic_typesStringlistAndTotal, CreatingAgainReplacesTheList) {
  TStringlistAndTotal rec;
  rec.Init(list_creating);
  rec.list->Add(u"old");
  rec.Init(list_creating);
  ASSERT_NE(rec.list, nullptr);
  EXPECT_EQ(rec.list->Count(), 0);

  TStringlistAndTotal moved = std::move(rec);
  EXPECT_NE(moved.list, nullptr);
}

TEST(Basic_typesLangMark, ClearToSetsBothFields) {
  TLangMark mark{3, 9};
  mark.ClearTo(-1);
  EXPECT_EQ(mark.langnum, -1);
  EXPECT_EQ(mark.mark_num, -1);
}

TEST(Basic_typesConsts, TextsAndCharacters) {
  EXPECT_EQ(String(HTML_comment_on) + u"x" + HTML_comment_off, u"<!--x-->");
  EXPECT_TRUE(String(nowt).empty());
  EXPECT_EQ(Nowt_WordNotFound, 0xE000);
  EXPECT_EQ(String(CRLF), u"\r\n");
  EXPECT_EQ(std::strlen(Ansicrlf), 2u);
  EXPECT_EQ(String(user_dir_const), u"$userdir");
  EXPECT_FLOAT_EQ(mm_to_inch * inch_to_mm, 1.0f);
}

}  // namespace
}  // namespace sk
