// Suite definitions: tool names and program files, conversions between
// settings and texts, and the small numeric and text helpers.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "core/Global_vars.h"
#include "platform/runtime/DateUtils.h"
#include "platform/runtime/Encoding.h"
#include "platform/runtime/Strings.h"
#include "core/Qm_global_vars.h"
#include "library/Units.h"
#include "platform/runtime/Colors.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/RtlMath.h"
#include "services/Monitor_functions.h"
#include "services/Qm_essentials.h"
#include "services/Quillmark_filenamesu.h"
#include "services/Wdef.h"

namespace sk {
namespace {

// Starts the suite definitions for one test.
class WdefStarted : public ::testing::Test {
 protected:
  void SetUp() override { Wdef_initialization(); }
  void TearDown() override { Wdef_Finalization(); }
};

TEST(Qm_essentials, ToolNamesAndProgramFiles) {
  std::set<String> names;
  std::set<String> files;
  for (int t = 0; t < tool_type_Count; ++t) {
    const auto tool = static_cast<tool_type>(t);
    const String name = Tool_Name(tool);
    const String file = GetShortToolFilename(tool);
    if (tool == tt_spare_QMconcgram || tool == tt_reserved_6 || tool == tt_no_tool_at_all) {
      EXPECT_TRUE(name.empty());
      EXPECT_TRUE(file.empty());
      continue;
    }
    ASSERT_FALSE(name.empty()) << t;
    EXPECT_TRUE(names.insert(name).second) << "two tools share a name";
    EXPECT_TRUE(files.insert(file).second);
    EXPECT_EQ(file.find(u' '), String::npos);
    EXPECT_EQ(file.substr(file.size() - 4), tool == tt_API_tool ? u".dll" : u".exe");
    // A program is recognised by its file name in any case, with or without
    // the extension.
    EXPECT_EQ(ToolTypeOfProgramFilename(u"/opt/q/" + file), tool);
    EXPECT_EQ(ToolTypeOfProgramFilename(UpperCase(file.substr(0, file.size() - 4))), tool);
  }
  EXPECT_EQ(GetShortToolFilename(tt_minimal_pairs), u"Minimal_Pairs64_9.exe");
  EXPECT_EQ(ToolTypeOfProgramFilename(u"sk_tests_services"), tt_no_tool_at_all);
  EXPECT_EQ(ToolTypeOfProgramFilename(u""), tt_no_tool_at_all);
  EXPECT_EQ(QuillmarkControllerCaption(), u"Quillmark Tools 9.0");
  EXPECT_EQ(QMCurrentDownloadShortFilename(12), u"setup-12.exe");
  EXPECT_NE(QMCurrentDownloadFolder().find(u"example.org/"), String::npos);
  EXPECT_EQ(QuillmarkHelpURL(), QMCurrentDownloadFolder() + u"HTML/");
}

TEST_F(WdefStarted, StartFillsTheConstantsAndTheDateFormat) {
  EXPECT_EQ(LemmaMatchStopRelNames_of_processes[as_stop], u"stop list");
  EXPECT_EQ(LemmaMatchStopRelFiles[as_relation], u"relation list file %s");
  EXPECT_EQ(Global_StringToDateTimeFormat.DateSeparator, u'/');
  EXPECT_EQ(Global_StringToDateTimeFormat.ShortDateFormat, u"yyyy/mm/dd");
  EXPECT_EQ(Global_StringToDateTimeFormat.LongTimeFormat, u"hh:nn:ss");
  EXPECT_EQ(CollocateBarrierStr(coll_stop_none), u"no limits");
  EXPECT_EQ(CollocateBarrierStr(coll_stop_sentence), u"stop at sentence break");
  EXPECT_EQ(CollocateBarrierStr(coll_stop_punctuation), u"stop at punctuation break");
  EXPECT_EQ(CollocateBarrierStr(coll_stop_text), u"stop at end of text");
  EXPECT_EQ(LemmaMatchStopRelFileTypeStr(as_lemma, u" x.txt "), u"lemma file  x.txt");
}

TEST(Wdef_definitions, TextsOfSettings) {
  EXPECT_EQ(InitialMedialFinalToStr(position_merged), u"merged");
  EXPECT_EQ(TextSegmentsNoun(stats_word, true), u"Words");
  EXPECT_EQ(TextSegmentsNoun(stats_heading, false), u"heading");
  EXPECT_EQ(TextSegmentsNoun(Int8{15}, true), u"sentences");
  EXPECT_EQ(TextSegmentsNoun(Int8{21}, false), u"section");
  EXPECT_EQ(TextSegmentsNoun(Int8{13}, true), u"");
  EXPECT_EQ(TextFormatAsString(nullptr), u"unknown");
  EXPECT_EQ(TextFormatAsString(TEncoding::Unicode()), u"Unicode");
  EXPECT_EQ(TextFormatAsString(TEncoding::UTF8()), TEncoding::UTF8()->EncodingName());
  EXPECT_EQ(ScreenMeasurementUnitsToStr(sm_inches, true), u"\"");
  EXPECT_EQ(ScreenMeasurementUnitsToStr(sm_centimetres, false), u"centimetres");
  EXPECT_EQ(CaseSensitivityToStr(false), u"NOT case sensitive");
  EXPECT_EQ(WhileAfterOnRequestToString(p_while_computing), u"while computing");
  EXPECT_EQ(WhileAfterOnRequestToString(p_after_computing), u"after computing");
  EXPECT_EQ(ConcordTagTextReadPolicyToString(crp_get_tagfile_and_adjacent), u"tagfile tags + adjacent tags");
  EXPECT_EQ(WordTagGetOptionToString(wtg_only_tags), u"*** tags only, no words");
  EXPECT_EQ(Type_Mode_Str(kp_editing_data), u"Edit");
  EXPECT_EQ(DefaultTextSegmentsMarker(15), u"auto");
  EXPECT_EQ(DefaultTextSegmentsMarker(14), u"");
  EXPECT_EQ(TypeFaceToStr(0), u"");
  EXPECT_EQ(TypeFaceToStr(0x0F), u"BIUS");
  EXPECT_EQ(TypeFaceToStr(1u << fsUnderline | 1u << fsBold), u"BU");
}

TEST(Wdef_definitions, ConversionsWithTwoDirectionsRoundTrip) {
  for (TFontStyle st : {fsBold, fsItalic, fsUnderline, fsStrikeOut}) {
    EXPECT_EQ(CharToFontStyle(FontStyleToChar(st)), st);
    TFontStyles set = 0;
    IncludeOrExcludeATypeface(st, set, true);
    EXPECT_EQ(ToggledTypeface(st, set), 0);
    IncludeOrExcludeATypeface(st, set, false);
    EXPECT_EQ(set, 0);
  }
  EXPECT_EQ(CharToFontStyle(u'x'), fsStrikeOut);
  for (bool b : {false, true}) EXPECT_EQ(TriBoolToBoolean(BooleanToTriBool(b)), b);
  EXPECT_FALSE(TriBoolToBoolean(b3_undefined));
  for (int r = 0; r < TPercentageRanges_Count; ++r) {
    const auto range = static_cast<TPercentageRanges>(r);
    EXPECT_EQ(PercentageToPercentageRange(PercentageRangeToPercentage(range)), range);
  }
  for (TWordOrTagSet set : {TWordOrTagSet{twt_word, twt_tag}, TWordOrTagSet{twt_word}, TWordOrTagSet{twt_tag}})
    EXPECT_EQ(StringToTagVisibility(TagVisibilityToString(set)), set);
  EXPECT_EQ(TagVisibilityToString(TWordOrTagSet{}), u"nothing");
  EXPECT_EQ(StringToTagVisibility(u"nothing"), TWordOrTagSet{twt_word});
  for (Ttext_stats stat : {stats_sentence, stats_paragraph, stats_heading, stats_section}) {
    EXPECT_FALSE(CollocStatsToLR(TextStatsToCollocStats(stat, sf_start2)));
    EXPECT_TRUE(CollocStatsToLR(TextStatsToCollocStats(stat, sf_finish2)));
    EXPECT_NE(TextStatsToCollocBarrier(stat), coll_stop_none);
  }
  EXPECT_EQ(TextStatsToCollocStats(stats_word, sf_finish2), cis_word);
  EXPECT_TRUE(CollocStatsToLR(cis_text_end));
  const String ten = u"0123456789";
  EXPECT_EQ(TenWideCharTostring(StringToTenWidechar(ten)), ten);
  EXPECT_EQ(TenWideCharTostring(StringToTenWidechar(ten + u"abc")), ten);
  EXPECT_EQ(StringToTenWidechar(ten)[10], u'\0');
}

TEST(Wdef_definitions, PercentagesSpansAndTags) {
  struct {
    Int32 p;
    TPercentageRanges r;
  } pc[] = {{0, tpc_below_33}, {33, tpc_below_33}, {34, tpc_34_67}, {67, tpc_34_67}, {68, tpc_68_85},
            {85, tpc_68_85}, {86, tpc_86_on}, {-5, tpc_86_on}, {1000, tpc_86_on}};
  for (const auto& c : pc) EXPECT_EQ(PercentageToPercentageRange(c.p), c.r) << c.p;

  struct {
    const char16_t* s;
    TConcordance_span span;
  } spans[] = {{u"R2", span_R02}, {u"L3", span_L03}, {u"X", span_Centre}, {u"L", span_Centre},
               {u"Lx", span_Centre}, {u"R51", span_R51}, {u"R52", span_Centre}, {u"L50", span_L50},
               {u"L99999999999", span_Centre}, {u"", span_Centre}};
  for (const auto& c : spans) EXPECT_EQ(ConcordanceSpanStrToPosition(c.s), c.span) << String(c.s).size();
  EXPECT_EQ(SortToSortSpan(cs_left5), span_L05);
  EXPECT_EQ(SortToSortSpan(cs_centre), span_Centre);
  EXPECT_EQ(SortToSortSpan(cs_right5), span_R05);
  EXPECT_EQ(MaxSpan(span_L02, span_R01), span_R01);
  EXPECT_EQ(MinSpan(span_L02, span_R01), span_L02);

  TConcSortAndAscending rec{};
  rec.sorts[main_sort] = cs_left1;
  rec.sorts[second_sort] = cs_left1;
  rec.sorts[third_sort] = cs_left1;
  EXPECT_EQ(ConcSortLevelAvailability(rec), 0);
  rec.sorts[third_sort] = cs_right1;
  EXPECT_EQ(ConcSortLevelAvailability(rec), 1);
  rec.sorts[second_sort] = cs_centre;
  EXPECT_EQ(ConcSortLevelAvailability(rec), 2);

  EXPECT_EQ(Word_tag_DisplayOptionsToTagnumber(hide_words), 102);
  EXPECT_EQ(Conc_display_optionsToTagnumber(conc_blank_out_sw), 181);
  EXPECT_EQ(TagToMatchAction(209), 4);
  EXPECT_EQ(TagToMatchAction(210), 0);
  EXPECT_TRUE(TypedCategoryMeansClearCategory(u'0'));
  EXPECT_EQ(RightOrCentredAlignment(u"12"), taCenter);
  EXPECT_EQ(RightOrCentredAlignment(u"1.5"), taCenter);
  EXPECT_EQ(RightOrCentredAlignment(u"1x"), taRightJustify);
  EXPECT_EQ(GridAlternativesToListType(grid_chargram_patterns), lT_chargram_pattern_list);
  EXPECT_EQ(GridAlternativesToListType(grid_none), lt_undefined);
  EXPECT_EQ(ListTypeToFileDataType(lt_notes), 2);
  EXPECT_EQ(ListTypeToFileDataType(lt_word_list), 0);
}

TEST(Wdef_definitions, LanguagesAndSelectionRows) {
  for (Cardinal rtl : {0x0401u, 0x040Du, 0x0429u, 0x0C01u}) EXPECT_EQ(LCIDToBiDiMode(rtl), bdRightToLeft) << rtl;
  EXPECT_EQ(LCIDToBiDiMode(0x0409), bdLeftToRight);
  EXPECT_TRUE(SamePrimaryLanguage(0x0409, 0x0809));
  EXPECT_FALSE(SamePrimaryLanguage(0x0409, 0x040C));
  EXPECT_EQ(CharsetToBiDiMode(178), bdRightToLeft);
  EXPECT_EQ(CharsetToBiDiMode(0), bdLeftToRight);

  const Int32 pairs[] = {0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 0};
  for (Int32 i = 0; i < 16; ++i) EXPECT_EQ(Select_PART_OF_TEXT_RowNumber(i), pairs[i]) << i;
  const Int32 trios[] = {0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5, 5, 5, 0};
  for (Int32 i = 0; i < 17; ++i) EXPECT_EQ(Select_ONLY_IF_RowNumber(i), trios[i]) << i;
  EXPECT_TRUE(Same_PART_OF_TEXT_pair(3, 4));
  EXPECT_FALSE(Same_PART_OF_TEXT_pair(4, 5));
  EXPECT_TRUE(Same_ONLY_IF_Trio(13, 15));

  EXPECT_EQ(SmallintToSelectType(15, s_PART_OF_TEXT), incluir_and);
  EXPECT_EQ(SmallintToSelectType(16, s_PART_OF_TEXT), incluir_or);
  EXPECT_EQ(SmallintToSelectType(14, s_PART_OF_TEXT), excluir_or);
  EXPECT_EQ(SmallintToSelectType(1, s_PART_OF_TEXT), excluir_and);
  EXPECT_EQ(SmallintToSelectType(7, s_ONLY_IF_CONTAINING), incluir_and);
  EXPECT_EQ(SmallintToSelectType(8, s_ONLY_IF_CONTAINING), incluir_or);
  EXPECT_EQ(SmallintToSelectType(13, s_ONLY_IF_CONTAINING), excluir_and);
  EXPECT_EQ(SmallintToSelectType(14, s_ONLY_IF_CONTAINING), excluir_or);
}

TEST(Wdef_definitions, ConditionTexts) {
  struct Case {
    TSearchMethodRequirement req;
    bool flag;
    TColumnType type;
    const char16_t* text;
  } cases[] = {
      {ccp_Equals, false, ct_integer, u"!C = !X"},
      {ccp_Equals, true, ct_integer, u""},
      {ccp_StartsWith, false, ct_string, u"!C starts with !X"},
      {ccp_StartsWith, false, ct_float, u""},
      {ccp_Between, true, ct_date, u"!C is between !X and !Y"},
      {ccp_Between, false, ct_other, u""},
      {ccp_GreaterThan, false, ct_float, u"!C is above !X"},
      {ccp_LessThan, false, ct_date, u"!C on or before !X"},
      {ccp_GreaterThan, false, ct_string, u"!C follows !X alphabetically"},
      {ccp_LessThan, false, ct_other, u""},
      {ccp_FoundAnywhereIn, true, ct_string, u"!X found anywhere in !C"},
      {ccp_FoundWithinNWordsOfSearchword, true, ct_string, u"!X found in !C within !# words of search-word"},
      {ccp_FoundWithinNWordsOfSearchword, false, ct_string, u""},
      {ccp_FoundWithinNWordsToRightOf, false, ct_string, u"!X found in !C within !# words right of !Y"},
      {ccp_WordLengthGreaterThan, false, ct_string, u"length of !C is above !#"},
      {ccp_WordLengthEquals, true, ct_string, u""},
      {ccp_is_Joined_member, false, ct_other, u"item is a member of a joined group"},
  };
  for (const Case& c : cases) EXPECT_EQ(ConditionDropdownOption(c.req, c.flag, c.type), c.text) << int(c.req);
}

TEST(Wdef_definitions, SmallHelpers) {
  EXPECT_EQ(FirstChosenInArrayOfBoolean({}), 0);
  EXPECT_EQ(FirstChosenInArrayOfBoolean({false, false}), 0);
  EXPECT_EQ(FirstChosenInArrayOfBoolean({true, false}), 0);
  EXPECT_EQ(FirstChosenInArrayOfBoolean({false, true, true}), 1);
  EXPECT_EQ(LastChosenInArrayOfBoolean({false, true, true, false}), 2);
  EXPECT_EQ(ChrClearedFromString(u'a', u"banana"), u"bnn");
  EXPECT_EQ(SubStrClearedFromString(u"ab", u"aabb"), u"");  // removal makes a new "ab"
  EXPECT_EQ(SubStrClearedFromString(u"ab", u"xabyab"), u"xy");
  EXPECT_EQ(SubStrClearedFromString(u"", u"abc"), u"abc");
  // Against removing the first occurrence and searching again from the
  // start, with short alphabets so that removals often join a new one.
  std::mt19937 rng(5);
  for (const String sub : {u"ab", u"aab", u"aba", u"aa", u"a", u"abcab"}) {
    for (int n = 0; n < 400; ++n) {
      String s;
      const size_t len = rng() % 40;
      for (size_t k = 0; k < len; ++k) s += static_cast<Char>(u'a' + rng() % 3);
      String r = s;
      for (size_t p = r.find(sub); p != String::npos; p = r.find(sub)) r.erase(p, sub.size());
      ASSERT_EQ(SubStrClearedFromString(sub, s), r) << sub.size();
    }
  }
  EXPECT_EQ(ExportValueFromExportArray({4, 9, 2}, 9), 9);
  EXPECT_EQ(ExportValueFromExportArray({4, 9, 2}, 7), -1);
  EXPECT_EQ(ExportColOrRowValue(7, false, {}), 7);
  Int32 a = 1, b = 2;
  ExchangeTwoIndexTypeRecs(a, b);
  EXPECT_EQ(a * 10 + b, 21);
  std::vector<TGrid_head> heads(2);
  heads[0].heading = u"first";
  ExchangeTwoHeadings(0, 1, heads);
  EXPECT_EQ(heads[1].heading, u"first");
  ExchangeTwoHeadings(0, 5, heads);  // out of range: nothing
  EXPECT_EQ(heads[1].heading, u"first");
  EXPECT_EQ(LanguageNameAbbreviated(u"English"), u"E");
  EXPECT_EQ(LanguageNameAbbreviated(u""), u"");
  EXPECT_EQ(MaxCardinal(3, 0xFFFFFFFFu), 0xFFFFFFFFu);

  Tfixed_character_format_rec font{};
  font.fontname.fill(u'q');
  SetARecFontname(font, String(150, u'n'));
  EXPECT_EQ(font.fontname[99], u'n');
  EXPECT_EQ(font.fontname[100], u'\0');
  Tfixed_lang_details lang{};
  TMyCanvasColourRec colours{};
  EnsureLanguageColoursAndFontOK(colours, lang);
  EXPECT_EQ(lang.new_win_font.fontsize, 10);
  EXPECT_EQ(lang.new_win_font.fontname[0], u'T');
  EXPECT_EQ(lang.new_win_font.fontname[6], u'\0');
  lang.new_win_font.fontsize = 12;
  EnsureALangFontOK(lang.new_win_font);
  EXPECT_EQ(lang.new_win_font.fontsize, 12);

  // 2026-12-07 13:45:30 as a packed file date.
  const Word date = static_cast<Word>((2026 - 1980) << 9 | 12 << 5 | 7);
  const Word time = static_cast<Word>(13 << 11 | 45 << 5 | 15);
  EXPECT_DOUBLE_EQ(LastModTimeAndDateToDateTime(time, date), EncodeDateTime(2026, 12, 7, 13, 45, 30, 0));
  EXPECT_EQ(LastModTimeAndDateToDateTime(0, 0), 0);  // month 0: no date

  const std::vector<Int64> bounds = {100, 200, 300};
  EXPECT_EQ(CorrectByteDivision(0, 50, 100, 2000, bounds), 1);     // p = 150
  EXPECT_EQ(CorrectByteDivision(0, 50, 100, 1000, bounds), 1);     // p = 100 is not below the first bound
  EXPECT_EQ(CorrectByteDivision(2, 0, 10, 2000, bounds), 2);
  EXPECT_EQ(CorrectByteDivision(0, 500, 10, 2000, bounds), 0);     // beyond every bound
  EXPECT_EQ(CorrectByteDivision(7, 0, 10, 2000, bounds), 0);       // start past the end
  EXPECT_EQ(CorrectByteDivision(-3, 0, 10, 2000, bounds), 0);
  EXPECT_TRUE(testing());
}

TEST(Wdef_definitions, FixedLangDetailsList) {
  TFixedLangDetailsList list;
  Tfixed_lang_details d{};
  d.lcid = 0x0409;
  EXPECT_EQ(list.Add(d), 0);
  d.lcid = 0x0809;
  list.SetALang(0, d);
  list.SetALang(3, Tfixed_lang_details{});  // nothing
  EXPECT_EQ(list.GetALang(0).lcid, 0x0809u);
  EXPECT_EQ(list.GetALang(1).lcid, 0u);
  EXPECT_EQ(list.GetALang(-1).lcid, 0u);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
}

TEST(Wdef_definitions, QMFileExtensions) {
  EXPECT_EQ(QMFileExtensions(), u".lst;.kws;.kdb;.cnc;.ali;.tokens;.mut;.vwr;.chargr;.types");
}

TEST(Wdef_definitions, RelationshipThresholds) {
  TConcgramChecks checks{};
  std::array<Single, 11> values{};
  EXPECT_TRUE(PassesRelationshipThresholdTests(checks, values));  // nothing in use
  checks.stat_relation_settings[RelatStat_MI] = {true, 3.0f};
  checks.stat_relation_settings[RelatStat_Z] = {true, 2.0f};
  values[RelatStat_MI] = 1.0f;
  values[RelatStat_Z] = 5.0f;
  // The first statistic in use falls short: the test fails at once ...
  EXPECT_FALSE(PassesRelationshipThresholdTests(checks, values));
  // ... unless every word is tried, and the next one passes.
  checks.test_all_words = true;
  EXPECT_TRUE(PassesRelationshipThresholdTests(checks, values));
  values[RelatStat_Z] = 1.0f;
  EXPECT_FALSE(PassesRelationshipThresholdTests(checks, values));
  // With every procedure tested, every statistic in use must reach its threshold.
  checks.test_all_procedures = true;
  values[RelatStat_MI] = 3.0f;
  values[RelatStat_Z] = 1.9f;
  EXPECT_FALSE(PassesRelationshipThresholdTests(checks, values));
  values[RelatStat_Z] = 2.0f;
  EXPECT_TRUE(PassesRelationshipThresholdTests(checks, values));
}

}  // namespace
}  // namespace sk

namespace sk {
namespace {

TEST(Wdef_definitions, MeasurementUnits) {
  const Int32 ppi = CurrentPPI();
  ASSERT_GT(ppi, 0);
  EXPECT_EQ(FloatToPixels(2.0f, sm_inches), 2 * ppi);
  EXPECT_EQ(PixelWidth(sm_centimetres, 2.54f), ppi);
  EXPECT_FLOAT_EQ(PixelsToFloat(ppi, sm_inches), 1.0f);
  EXPECT_FLOAT_EQ(PixelsToFloat(ppi, sm_centimetres), 2.54f);
  EXPECT_FLOAT_EQ(SizeInInches(sm_centimetres, 5.08f), 2.0f);
  EXPECT_FLOAT_EQ(Inches_To_ScreenMeasurementUnits(1.0f, sm_centimetres), 2.54f);
  EXPECT_FLOAT_EQ(Cm_To_ScreenMeasurementUnits(2.54f, sm_inches), 1.0f);
  EXPECT_FLOAT_EQ(MM_To_ScreenMeasurementUnits(25.4f, sm_inches), 1.0f);
  EXPECT_FLOAT_EQ(MM_To_ScreenMeasurementUnits(15.0f, sm_centimetres), 1.5f);
  EXPECT_FLOAT_EQ(DefaultMarginForUnits(sm_centimetres), 2.54f);
  EXPECT_EQ(GetMinimumColumn1Width(grid_concordance, 100000), 6 * ppi);
  EXPECT_EQ(GetMinimumColumn1Width(grid_kw_plot, 100000), 2 * ppi);
  EXPECT_EQ(GetMinimumColumn1Width(grid_alph_order, 100000), static_cast<Int32>(Round(1.5 * ppi)));
  EXPECT_EQ(GetMinimumColumn1Width(grid_statistics, 100000), ppi);
  EXPECT_EQ(GetMinimumColumn1Width(grid_concordance, 7), 7);
}

TEST(Wdef_definitions, RemoteRunsAndTheRunningTool) {
  const char* saved = std::getenv("SSH_CONNECTION");
  const std::string keep = saved != nullptr ? saved : "";
  ::unsetenv("SSH_CONNECTION");
  ::unsetenv("SSH_CLIENT");
  const bool local = Network_Copy();  // the test program lies on a local disk in a plain run
  ::setenv("SSH_CLIENT", "10.0.0.1 5000 22", 1);
  EXPECT_TRUE(Network_Copy());
  ::unsetenv("SSH_CLIENT");
  EXPECT_EQ(Network_Copy(), local);
  if (saved != nullptr) ::setenv("SSH_CONNECTION", keep.c_str(), 1);

  const tool_type before = global_current_tool;
  SetCurrentTool();
  EXPECT_EQ(global_current_tool, tt_no_tool_at_all);  // the test program is no tool
  global_current_tool = before;
  const String full = GetFullToolFilename(tt_concord);
  EXPECT_EQ(ExtractFileName(full), GetShortToolFilename(tt_concord));
  EXPECT_EQ(ExtractFilePath(full), ExtractFilePath(ProgramFileName()));
}

TEST(Wdef_definitions, LanguageColoursThroughTheLibrary) {
  Initialize();
  TMyCanvasColourRec colours{};
  Tfixed_lang_details lang{};
  EnsureLanguageColoursAndFontOK(colours, lang);
  EXPECT_EQ(colours.arr[tsc_window], clWindow);  // an unassigned set gets the standard one
  Finalize();
}

}  // namespace
}  // namespace sk
