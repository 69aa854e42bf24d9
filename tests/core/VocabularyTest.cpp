// Tests of the suite's vocabulary: list kinds and tools, their stored names and
// signatures, the list-kind sets, the file kinds, the raw layouts of stored
// records and the list-kind to tool mapping.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

#include "core/Generalruntime1const.h"
#include "core/Generalruntime2const.h"
#include "core/My_file_extensionsu.h"
#include "core/Qm_global_vars.h"
#include "core/Qm_specific_consts.h"
#include "core/Qm_specific_types.h"
#include "core/Type_conversion.h"
#include "platform/runtime/ResourceStrings.h"

namespace sk {
namespace {

template <class T>
std::vector<Byte> BytesOf(const T& rec) {
  std::vector<Byte> b(sizeof(T));
  std::memcpy(b.data(), &rec, sizeof(T));
  return b;
}

Int32 Int32At(const std::vector<Byte>& b, size_t off) {
  Int32 v;
  std::memcpy(&v, b.data() + off, 4);
  return v;
}

// One row of the list-kind table: stored name, owning tool (tt_no_tool_at_all
// marks the kinds that follow the running tool) and the S, L, M columns.
struct ListKindRow {
  TQuillmarkList kind;
  const char16_t* signature;
  tool_type tool;
  bool saveable, lemmatisable, markable;
};

constexpr tool_type kCurrent = tt_no_tool_at_all;

const ListKindRow kListKinds[] = {
    {lt_undefined, u"undefined", kCurrent, false, false, false},
    {lt_word_list, u"Word List", tt_wordlist, true, true, true},
    {lt_keyword_list, u"Key Word List", tt_keywords, true, true, true},
    {lt_KW_database_list, u"KeyWords Database", tt_keywords, true, false, false},
    {lt_detailed_consistency_relations_list, u"Detailed Consistency Relations List", tt_wordlist, false, false, false},
    {lt_detailed_consistency_list, u"Detailed Consistency List", tt_wordlist, true, true, true},
    {lt_collocate_list, u"Collocate List", tt_concord, false, true, true},
    {lt_KWDB_timeline_list, u"KWDB TimelineList", tt_keywords, true, false, true},
    {lt_concordance_list, u"Concordance", tt_concord, true, false, false},
    {lt_KW_plot_list, u"KeyWords Plot", tt_keywords, false, true, true},
    {lt_concordance_plot_list, u"Concordance Plot", tt_concord, false, true, true},
    {lt_concordance_cluster_list, u"Concordance Cluster List", tt_concord, false, true, true},
    {lt_concordance_pattern_list, u"Concordance Pattern List", tt_concord, false, false, false},
    {lt_kw_associate_list, u"Associate List", tt_keywords, false, true, true},
    {lt_kw_clump_list, u"Clump List", tt_keywords, false, true, true},
    {lt_filename_list, u"Filename List", tt_shell, false, false, false},
    {lt_kw_link_list, u"Link List", tt_keywords, false, false, false},
    {lt_statistics_list, u"Statistics List", tt_wordlist, true, false, false},
    {lt_conc_timeline_list, u"Timeline List", tt_concord, false, false, true},
    {lt_aligner_multiple_list, u"Aligner List", tt_aligner, true, false, false},
    {lt_plaintext_list, u" Text List", tt_aligner, false, false, false},
    {lt_wordlist_index_list, u"Wordlist Index List", tt_wordlist, true, true, true},
    {lt_kw_cluster_list, u"KeyWords ClusterList", tt_keywords, false, true, true},
    {lt_notes, u"Notes", kCurrent, false, false, false},
    {lt_source_text, u"source text", tt_shell, false, false, false},
    {lt_index_relationship_list, u"Mutual Information List", tt_wordlist, true, false, false},
    {lt_aligner_single_list, u"Viewer List", tt_aligner, true, false, false},
    {lt_spare_concgram_list, u"ConcGram List", tt_shell, false, false, false},
    {lt_markup_list, u"Markup List", tt_shell, false, false, false},
    {lt_sections_list, u"Section List", tt_shell, false, false, false},
    {lt_chargram_list, u"CharGram List", tt_Chargrams, true, true, true},
    {lT_chargram_pattern_list, u"CharGram Pattern List", tt_Chargrams, true, true, true},
    {lt_sorting, u"sorting", tt_shell, false, false, false},
    {lt_debug_only, u"debug_only", tt_shell, false, false, false},
};

// Restores global_current_tool after a test that changes it.
class CurrentToolGuard {
 public:
  CurrentToolGuard() : fSaved(global_current_tool) {}
  ~CurrentToolGuard() { global_current_tool = fSaved; }

 private:
  tool_type fSaved;
};

}  // namespace

// ---------------------------------------------------------------------------
// Ordinals and stored layouts.

TEST(Qm_specific_types, OrdinalsThatFilesAndPeersRelyOn) {
  EXPECT_EQ(TQuillmarkList_Count, 34);
  EXPECT_EQ(std::size(kListKinds), 34u);
  for (size_t i = 0; i < std::size(kListKinds); ++i) EXPECT_EQ(kListKinds[i].kind, static_cast<int>(i));
  EXPECT_EQ(lt_plaintext_list, 20);
  EXPECT_EQ(lt_sections_list, 29);
  EXPECT_EQ(lt_debug_only, 33);

  EXPECT_EQ(tool_type_Count, 18);
  EXPECT_EQ(tt_aligner, 5);
  EXPECT_EQ(tt_reserved_6, 6);
  EXPECT_EQ(tt_minimal_pairs, 7);
  EXPECT_EQ(tt_shell, 16);
  EXPECT_EQ(tt_no_tool_at_all, 17);

  EXPECT_EQ(TConcordance_sort_system_Count, 30);
  EXPECT_EQ(cs_random_order, 29);
  EXPECT_EQ(TBaseDescriptive_Count, 17);
  EXPECT_EQ(gc_12, 16);
  EXPECT_EQ(TRelationshipStats_Count, 11);
  EXPECT_EQ(RelatStat_DeltaPB, 10);
  EXPECT_EQ(TGrid_alternatives_Count, 30);
  EXPECT_EQ(grid_none, 29);
  EXPECT_EQ(TWholeTextConversion_Count, 20);
  EXPECT_EQ(TSearchMethodRequirement_Count, 21);
  EXPECT_EQ(ccp_is_matched, 20);
  EXPECT_EQ(TFixedSortSpanRange_Low, 45);
  EXPECT_EQ(TFixedSortSpanRange_High, 55);
  EXPECT_EQ(TFixedSortSpanRange::Low, span_L05);
  EXPECT_EQ(TFixedSortSpanRange::High, span_R05);
  EXPECT_EQ(TFixedSortSpanRange::Count, 11);
  EXPECT_TRUE(TFixedSortSpanRange::Contains(span_Centre));
  EXPECT_FALSE(TFixedSortSpanRange::Contains(span_L06));
  EXPECT_FALSE(TFixedSortSpanRange::Contains(span_R06));
}

TEST(Qm_specific_types, GridHeadingRawBytes) {
  TGrid_head h{};
  h.SortStateAscending = b3_verdadeiro;
  h.alignment = aligned_right;
  h.output_case = lower_case_output;
  h.column_data.descriptives[gc_total] = 1.5f;
  h.column_data.descriptives[gc_12] = -2.0f;
  h.span = span_R51;
  h.extra_column_type = tnc_other;
  h.typefaces = 0x05;
  h.editable = ed_tanto_faz;
  h.show_as_percent_colour = 0x00112233;
  h.column_specific_brush_colour = 0x44556677;
  h.ShowAsApproximate = 1;
  h.escondido = 1;
  h.minimum = 0.25f;
  h.version = 7;
  h.decimals = 2;
  h.previous_decimals = 3;
  h.original_column = -1;
  h.pixel_width96 = 300;
  h.HelpContext = 1234;
  h.localization_number = -5;
  h.columntype = ct_other;
  h.SpareB4 = 1;
  h.heading = u"not part of the raw bytes";

  const TGrid_head_fixed& fixed = h;
  const auto b = BytesOf(fixed);
  ASSERT_EQ(b.size(), 176u);
  EXPECT_EQ(b[0], 2);
  EXPECT_EQ(b[1], 2);
  EXPECT_EQ(b[2], 3);
  EXPECT_EQ(b[3], 0);
  Single f;
  std::memcpy(&f, b.data() + 4, 4);
  EXPECT_EQ(f, 1.5f);
  std::memcpy(&f, b.data() + 4 + 16 * 4, 4);
  EXPECT_EQ(f, -2.0f);
  EXPECT_EQ(b[72], 101);
  EXPECT_EQ(b[73], 3);
  EXPECT_EQ(b[74], 0x05);
  EXPECT_EQ(b[75], 3);
  EXPECT_EQ(Int32At(b, 76), 0x00112233);
  EXPECT_EQ(Int32At(b, 80), 0x44556677);
  EXPECT_EQ(b[84], 1);
  EXPECT_EQ(b[94], 1);
  std::memcpy(&f, b.data() + 96, 4);
  EXPECT_EQ(f, 0.25f);
  EXPECT_EQ(b[100], 7);
  EXPECT_EQ(b[101], 2);
  EXPECT_EQ(b[102], 3);
  EXPECT_EQ(b[104], 0xFF);
  EXPECT_EQ(b[105], 0xFF);
  EXPECT_EQ(b[106], 300 & 0xFF);
  EXPECT_EQ(b[107], 300 >> 8);
  EXPECT_EQ(Int32At(b, 108), 1234);
  EXPECT_EQ(Int32At(b, 112), -5);
  EXPECT_EQ(b[120], 4);
  EXPECT_EQ(b[123], 1);
  for (size_t i = 124; i < 176; ++i) EXPECT_EQ(b[i], 0) << "spare byte " << i;
}

TEST(Qm_specific_types, SearchWordLeadingPartRawBytes) {
  TQMSearchWordRec r{};
  r.flags = TMSSearchFlags{msCaseIsSensitive, msRightBounded};
  r.sw_contains_a_tag = 1;
  r.Language_num = -2;
  r.index_num = 11;
  r.SearchColumn = 5;
  r.sw_context_spans = {span_L05, span_R05};
  r.version = 3;
  r.initial_wildcard = 28;
  r.typed_in_text = u"after the raw part";

  const TQMSearchWordRec_fixed& fixed = r;
  const auto b = BytesOf(fixed);
  ASSERT_EQ(b.size(), 80u);
  EXPECT_EQ(b[0], (1 << 2) | (1 << 5));
  EXPECT_EQ(b[6], 1);
  EXPECT_EQ(b[8], 0xFE);
  EXPECT_EQ(b[9], 0xFF);
  EXPECT_EQ(Int32At(b, 12), 11);
  EXPECT_EQ(Int32At(b, 28), 5);
  EXPECT_EQ(b[32], 45);
  EXPECT_EQ(b[33], 55);
  EXPECT_EQ(Int32At(b, 36), 3);
  EXPECT_EQ(b[40], 28);
}

TEST(Qm_specific_types, StoredListInfoAndPrivateDetailsRawBytes) {
  TStoredListInfo info{};
  info.NodeSearchWordsCount = 1;
  info.stored_version_number = 2;
  info.entries = 300;
  info.temp2 = -7;
  info.tag_info = {9, 8, 7};
  info.n_texts_checked = 1;
  info.can_save_deleted = 1;
  info.sentinel = 6789;
  info.stoplist_filename = u"stop.stp";
  const TStoredListInfo_fixed& fixed = info;
  auto b = BytesOf(fixed);
  ASSERT_EQ(b.size(), 208u);
  EXPECT_EQ(Int32At(b, 0), 1);
  EXPECT_EQ(Int32At(b, 4), 2);
  EXPECT_EQ(Int32At(b, 12), 300);
  EXPECT_EQ(Int32At(b, 24), -7);
  EXPECT_EQ(b[28], 9);
  EXPECT_EQ(b[30], 7);
  EXPECT_EQ(b[31], 1);
  EXPECT_EQ(b[36], 1);
  EXPECT_EQ(Int32At(b, 200), 6789);

  TPrivateDetailsRec p{};
  p.version = 1;
  p.sentinel = 6789;
  p.bookmark = 4;
  p.to_v3_category_colour = 0x00FF00;
  p.marcacao = marcado_subordinate;
  p.deleted = 1;
  p.not_for_saving = 1;
  b = BytesOf(p);
  ASSERT_EQ(b.size(), 32u);
  EXPECT_EQ(Int32At(b, 4), 6789);
  EXPECT_EQ(Int32At(b, 8), 4);
  EXPECT_EQ(Int32At(b, 12), 0x00FF00);
  EXPECT_EQ(b[16], 2);
  EXPECT_EQ(b[17], 0);
  EXPECT_EQ(b[19], 1);
  EXPECT_EQ(b[21], 1);
}

TEST(Qm_specific_types, StoredSetsKeepBitKForOrdinalK) {
  // The highlighted span positions of a concordance line: 102 members in 13 bytes.
  TConcordEntryRec line{};
  line.highlight_info.Highlight_checked = 1;
  line.highlight_info.Highlight_total = 3;
  line.highlight_info.Highlight_span_positions = {span_L50, span_Centre, span_R51};
  const TConcordEntryRec_fixed& fixed = line;
  const auto b = BytesOf(fixed);
  ASSERT_EQ(b.size(), 320u);
  const size_t set_at = 200 + 8;
  EXPECT_EQ(b[200], 1);
  EXPECT_EQ(Int32At(b, 204), 3);
  EXPECT_EQ(b[set_at + 0], 0x01);    // ordinal 0
  EXPECT_EQ(b[set_at + 6], 1 << 2);  // ordinal 50
  EXPECT_EQ(b[set_at + 12], 1 << 5); // ordinal 101
  for (size_t i = 1; i < 12; ++i) {
    if (i == 6) continue;
    EXPECT_EQ(b[set_at + i], 0) << "set byte " << i;
  }

  // Sets of list kinds and menu tags.
  EXPECT_EQ(sizeof(TQuillmarkList_set), 5u);
  const TQuillmarkList_set kinds{lt_debug_only, lt_word_list};
  EXPECT_EQ(BytesOf(kinds)[0], 1 << 1);
  EXPECT_EQ(BytesOf(kinds)[4], 1 << 1);  // ordinal 33
  EXPECT_EQ(sizeof(TMenu_tag_set), 32u);
  EXPECT_EQ(BytesOf(CheckableMenuItems)[209 / 8], (1 << (208 % 8)) | (1 << (209 % 8)));
  EXPECT_EQ(sizeof(TConcordance_sort_systemSet), 4u);
  EXPECT_EQ(sizeof(TSpecialFeaturesSet), 2u);
}

TEST(Qm_specific_types, CollocateAndConcordanceFixedParts) {
  TCollocateEntryRec c{};
  c.fixed_size = 208;
  c.most_frequent = 0x0102030405060708LL;
  c.is_current_grid_row = 1;
  c.association_values[RelatStat_Dice] = 1.0f;
  c.association_values[RelatStat_DeltaPB] = 2.0f;
  c.found_in_other_list = 3.0f;
  const TCollocateEntryRec_fixed& cf = c;
  auto b = BytesOf(cf);
  ASSERT_EQ(b.size(), 208u);
  EXPECT_EQ(Int32At(b, 0), 208);
  EXPECT_EQ(b[16], 0x08);
  EXPECT_EQ(b[23], 0x01);
  EXPECT_EQ(b[81], 1);
  Single f;
  std::memcpy(&f, b.data() + 84, 4);
  EXPECT_EQ(f, 1.0f);
  std::memcpy(&f, b.data() + 84 + 10 * 4, 4);
  EXPECT_EQ(f, 2.0f);
  std::memcpy(&f, b.data() + 140, 4);
  EXPECT_EQ(f, 3.0f);

  TConcordEntryRec line{};
  line.concordance_line_mean_word_rank = 12;
  line.has_percent = 1;
  line.percent_of_file = 50.0f;
  line.textfile_date = 2.5;
  line.line_stats.total_chars[stats_section] = -1;
  const TConcordEntryRec_fixed& lf = line;
  b = BytesOf(lf);
  EXPECT_EQ(Int32At(b, 48), 12);
  EXPECT_EQ(b[55], 1);
  std::memcpy(&f, b.data() + 60, 4);
  EXPECT_EQ(f, 50.0f);
  Double d;
  std::memcpy(&d, b.data() + 64, 8);
  EXPECT_EQ(d, 2.5);
  Int64 n;
  std::memcpy(&n, b.data() + 80 + 80 + 4 * 8, 8);
  EXPECT_EQ(n, -1);
}

TEST(Qm_specific_types, EmptyGridCellIsAllZero) {
  const TGrid_data_rec cell{};
  EXPECT_TRUE(cell.GridHeading.heading.empty());
  EXPECT_EQ(cell.GridHeading.pixel_width96, 0);
  EXPECT_EQ(cell.n_and_disp.computed_value, 0.0);
  EXPECT_EQ(cell.data_type, ddt_string);
  EXPECT_TRUE(cell.word_tag_display_options.Empty());
  EXPECT_EQ(cell.conc_outside_limits[at_right], 0);
  EXPECT_EQ(cell.PlotOrTimeline_division_sorts[4], 0);
  EXPECT_TRUE(cell.cluster_tokens.empty());
  EXPECT_TRUE(cell.conc_tokens[at_left].empty());
  EXPECT_FALSE(cell.DataOK);
  EXPECT_EQ(cell.textual_date, 0.0);
}

// ---------------------------------------------------------------------------
// Constants.

TEST(Qm_specific_consts, ListSignaturesAreStoredTextsExactly) {
  for (const auto& row : kListKinds)
    EXPECT_EQ(String(list_signature[row.kind]), String(row.signature)) << "kind " << int(row.kind);

  // The two texts that look like typing slips are what saved files hold.
  EXPECT_EQ(String(list_signature[lt_plaintext_list]), u" Text List");
  EXPECT_NE(String(list_signature[lt_plaintext_list]), u"Text List");
  EXPECT_EQ(String(list_signature[lt_KWDB_timeline_list]), u"KWDB TimelineList");

  // A saved file's header holds at most 40 units, and a kind is found by the
  // first equal text: every text must fit and be unique.
  std::set<String> seen;
  for (const Char* s : list_signature) {
    const String text(s);
    EXPECT_LE(text.size(), 40u) << StringToUtf8(text);
    EXPECT_FALSE(text.empty());
    EXPECT_TRUE(seen.insert(text).second) << "duplicate " << StringToUtf8(text);
  }
}

TEST(Qm_specific_consts, CurrentSignaturePerTool) {
  EXPECT_EQ(CurrentSignature.size(), 18u);
  for (int t = 0; t < tool_type_Count; ++t) {
    const auto tool = static_cast<tool_type>(t);
    EXPECT_EQ(CurrentSignature[tool], tool == tt_no_tool_at_all ? 789 : 50) << t;
  }
}

TEST(Qm_specific_consts, ListKindSetsFollowTheTable) {
  int s = 0, l = 0, m = 0;
  for (const auto& row : kListKinds) {
    EXPECT_EQ(SaveableListTypes.Contains(row.kind), row.saveable) << "S " << int(row.kind);
    EXPECT_EQ(LemmatisableListTypes.Contains(row.kind), row.lemmatisable) << "L " << int(row.kind);
    EXPECT_EQ(MarkableListTypes.Contains(row.kind), row.markable) << "M " << int(row.kind);
    s += row.saveable;
    l += row.lemmatisable;
    m += row.markable;
  }
  EXPECT_EQ(SaveableListTypes.Count(), s);
  EXPECT_EQ(LemmatisableListTypes.Count(), l);
  EXPECT_EQ(MarkableListTypes.Count(), m);
}

TEST(Qm_specific_consts, MagicNumbersAndSymbols) {
  EXPECT_EQ(sentinel_const, 6789);
  EXPECT_EQ(sentinel_TEXTBUF_const, 102);
  EXPECT_EQ(TagFileSignal, 987655);
  EXPECT_TRUE(TwoBools_true.b1 && TwoBools_true.b2);
  EXPECT_EQ(String(string_any_string_symbol), u"}}}");
  ASSERT_EQ(String(string_crlf_symbol).size(), 2u);
  EXPECT_EQ(string_crlf_symbol[0], u'/');
  EXPECT_EQ(string_crlf_symbol[1], u'\\');

  EXPECT_EQ(String(condition_varnames_strs[srvn_column]), u"!C");
  EXPECT_EQ(String(condition_varnames_strs[srvn_Number]), u"!#");
  EXPECT_EQ(String(maths_functions[mf_pi]), u"(pi)");
  EXPECT_EQ(String(maths_functions[mf_RelativeCumulative]), u"RelC");
  EXPECT_EQ(String(maths_functions[mf_Squared]), u"Sqr");
  EXPECT_EQ(String(maths_functions[mf_Absolute]), u"Abs");

  EXPECT_EQ(CheckableMenuItems.Count(), 26);
  for (int tag : {7, 46, 100, 138, 181, 209}) EXPECT_TRUE(CheckableMenuItems.Contains(static_cast<Byte>(tag))) << tag;
  for (int tag : {0, 8, 99, 182, 210, 255}) EXPECT_FALSE(CheckableMenuItems.Contains(static_cast<Byte>(tag))) << tag;
}

TEST(Qm_specific_consts, TagWildcardsBecomeControlCodes27To31) {
  const Char typed[] = {u'~', u'^', u'*', u'?', u'#'};
  const Char codes[] = {31, 30, 29, 28, 27};
  for (int w = 0; w < Ttag_wildcards_Count; ++w) {
    const auto pair = tag_wildcards_converters[static_cast<Ttag_wildcards>(w)];
    EXPECT_EQ(pair[original_char], typed[w]) << w;
    EXPECT_EQ(pair[replacement_char], codes[w]) << w;
  }
}

TEST(Qm_specific_consts, FormClassNamesOnlyFirstFourToolsHaveAWizard) {
  for (int t = 0; t < tool_type_Count; ++t) {
    const auto tool = static_cast<tool_type>(t);
    EXPECT_EQ(String(QMWizardClassnames[tool]).empty(), t >= 4) << t;
  }
  EXPECT_TRUE(String(QMMainFormClassnames[tt_reserved_6]).empty());
  EXPECT_TRUE(String(QMMainFormClassnames[tt_no_tool_at_all]).empty());
}

// ---------------------------------------------------------------------------
// File kinds.

TEST(My_file_extensionsu, ExtensionsAndCaptions) {
  EXPECT_EQ(TQM_Extensions_Count, 66);
  EXPECT_EQ(QMExts.size(), 66u);
  EXPECT_EQ(MyFTDisplayNames.size(), 66u);
  EXPECT_EQ(ext_lst, 26);
  EXPECT_EQ(ext_FileInfoSaveFileName, 43);
  EXPECT_EQ(ext_unknown, 65);

  EXPECT_EQ(String(QMExts[ext_any]), u".*");
  EXPECT_EQ(String(QMExts[ext_converted_srt]), u".??_srt");
  EXPECT_EQ(String(QMExts[ext_bak]), u".bak");
  EXPECT_EQ(String(QMExts[ext_bmp]), u".bmp");
  EXPECT_EQ(String(QMExts[ext_zip]), u".zip");
  EXPECT_EQ(String(QMExts[ext_kwdb]), u".kdb");
  EXPECT_EQ(String(QMExts[ext_kwdb_timeline]), u".kdb_tl");
  EXPECT_EQ(String(QMExts[ext_details]), u".details.txt");
  EXPECT_EQ(String(QMExts[ext_encrypted]), u".QMencrypted");
  EXPECT_EQ(String(QMExts[ext_FileInfoSaveFileName]), u"%s_FileInfo.txt");
  EXPECT_EQ(String(QMExts[ext_donttellmeagain]), u".QMDontTellMeAgain");
  EXPECT_EQ(String(QMExts[ext_index_types]), u".types");
  EXPECT_EQ(String(QMExts[ext_wizard_Choices]), u".wizard_choices");
  EXPECT_EQ(String(QMExts[ext_dll]), u".dll");
  EXPECT_EQ(String(QMExts[ext_unknown]), u".unknown");

  EXPECT_EQ(String(MyFTDisplayNames[ext_xlsx]), u"XLSZ %s");
  EXPECT_EQ(String(MyFTDisplayNames[ext_dat]), u"DAT  %s");
  EXPECT_EQ(String(MyFTDisplayNames[ext_chm]), u".chm help %s");
  EXPECT_EQ(String(MyFTDisplayNames[ext_kwdb]), u"KeyWord Database  %s");
  EXPECT_EQ(String(MyFTDisplayNames[ext_wizard_Choices]), u"Recent_choices %s");
  EXPECT_EQ(String(MyFTDisplayNames[ext_vsf]), u"style %s");
  EXPECT_EQ(String(MyFTDisplayNames[ext_FileInfoSaveFileName]), u"%s_FileInfo.txt %s");
  const String lst(MyFTDisplayNames[ext_lst]);
  EXPECT_EQ(lst.substr(lst.size() - 8), u" .lst %s");
  const String cnc(MyFTDisplayNames[ext_cnc]);
  EXPECT_EQ(cnc.substr(cnc.size() - 9), u" .cnc  %s");
  const String kws(MyFTDisplayNames[ext_kws]);
  EXPECT_EQ(kws.substr(kws.size() - 8), u" .kws %s");
}

TEST(My_file_extensionsu, EveryKindIsDistinctAndEveryCaptionTakesTheMask) {
  std::set<String> seen;
  for (int e = 0; e < TQM_Extensions_Count; ++e) {
    const auto kind = static_cast<TQM_Extensions>(e);
    const String ext(QMExts[kind]);
    const String caption(MyFTDisplayNames[kind]);
    EXPECT_TRUE(seen.insert(ext).second) << "duplicate extension " << e;
    if (kind != ext_FileInfoSaveFileName) {
      ASSERT_FALSE(ext.empty());
      EXPECT_EQ(ext[0], u'.') << e;
      EXPECT_EQ(ext.find(u'%'), String::npos) << e;
    }
    // The caption's mask goes at its end, in the only placeholder but for the
    // name pattern's own.
    ASSERT_GE(caption.size(), 2u);
    EXPECT_EQ(caption.substr(caption.size() - 2), u"%s") << e;
    size_t placeholders = 0;
    for (size_t p = caption.find(u'%'); p != String::npos; p = caption.find(u'%', p + 1)) ++placeholders;
    EXPECT_EQ(placeholders, kind == ext_FileInfoSaveFileName ? 2u : 1u) << e;
  }
}

TEST(My_file_extensionsu, WarnedKindsAreZipToXlsx) {
  EXPECT_EQ(MainWarnQMExts_Low, ext_zip);
  EXPECT_EQ(MainWarnQMExts_High, ext_xlsx);
  std::vector<String> warned;
  for (int e = MainWarnQMExts_Low; e <= MainWarnQMExts_High; ++e)
    warned.emplace_back(QMExts[static_cast<TQM_Extensions>(e)]);
  EXPECT_EQ(warned, (std::vector<String>{u".zip", u".pdf", u".rtf", u".docx", u".doc", u".xls", u".xlsx"}));
  // The named subrange covers exactly those kinds.
  EXPECT_EQ(MainWarnQMExts::Count, 7);
  for (int e = 0; e < TQM_Extensions_Count; ++e) {
    const auto kind = static_cast<TQM_Extensions>(e);
    EXPECT_EQ(MainWarnQMExts::Contains(kind), e >= ext_zip && e <= ext_xlsx) << e;
  }
  EXPECT_EQ(sizeof(TQMExtensionSet), 9u);
}

// ---------------------------------------------------------------------------
// The tool of a list kind.

TEST(Type_conversion, EveryListKindMapsToItsTool) {
  CurrentToolGuard guard;
  global_current_tool = tt_file_viewer;
  for (const auto& row : kListKinds) {
    const tool_type expected = row.tool == kCurrent ? tt_file_viewer : row.tool;
    EXPECT_EQ(ToolTypeFromListType(row.kind), expected) << "kind " << int(row.kind);
  }
}

TEST(Type_conversion, UndefinedAndNotesFollowTheRunningTool) {
  CurrentToolGuard guard;
  global_current_tool = tt_shell;  // the value before any tool has set it
  EXPECT_EQ(ToolTypeFromListType(lt_notes), tt_shell);
  EXPECT_EQ(ToolTypeFromListType(lt_undefined), tt_shell);
  global_current_tool = tt_concord;
  EXPECT_EQ(ToolTypeFromListType(lt_notes), tt_concord);
  EXPECT_EQ(ToolTypeFromListType(lt_undefined), tt_concord);
  global_current_tool = tt_no_tool_at_all;
  EXPECT_EQ(ToolTypeFromListType(lt_notes), tt_no_tool_at_all);
  // The running tool does not leak into the fixed kinds.
  EXPECT_EQ(ToolTypeFromListType(lt_sorting), tt_shell);
  EXPECT_EQ(ToolTypeFromListType(lt_word_list), tt_wordlist);
}

TEST(Type_conversion, KindByteOutsideTheEnumerationGivesTheShell) {
  CurrentToolGuard guard;
  global_current_tool = tt_concord;
  EXPECT_EQ(ToolTypeFromListType(static_cast<TQuillmarkList>(34)), tt_shell);
  EXPECT_EQ(ToolTypeFromListType(static_cast<TQuillmarkList>(255)), tt_shell);
}

// ---------------------------------------------------------------------------
// Display names loaded from the message tables.

namespace {

bool AllTablesEmpty() {
  auto empty = [](const auto& table) {
    for (const String& s : table)
      if (!s.empty()) return false;
    return true;
  };
  return empty(TimeLinePlotbaseStr) && empty(PlotSortSystemStr) && empty(TimeLineSortSystemStr) &&
         empty(TBaseDescriptiveStrings) && empty(TextStatsStrings) && empty(conc_sort_str_arr);
}

}  // namespace

TEST(Qm_specific_consts, StringTablesAreFilledAtStartAndReleasedAtStop) {
  ASSERT_TRUE(AllTablesEmpty()) << "the unit must not have started in this process";
  Qm_specific_consts_initialization();

  EXPECT_EQ(TimeLinePlotbaseStr[tlpb_unknown], u"unknown");
  EXPECT_EQ(TimeLinePlotbaseStr[tlpb_millennia], u"millennia");
  EXPECT_EQ(TimeLinePlotbaseStr[tlpb_datafield], u"data field");
  EXPECT_EQ(TimeLinePlotbaseStr[tlpb_spare], u"spare");
  EXPECT_EQ(PlotSortSystemStr[ps_SegmentHitsPercent], u"Segment score");
  EXPECT_EQ(PlotSortSystemStr[ps_last_position], u"Last position");
  EXPECT_EQ(TimeLineSortSystemStr[ts_Segmentper1000], u"Period per 1000 words");
  EXPECT_EQ(TimeLineSortSystemStr[ts_numberOf_peaks], u"Number of peaks");
  EXPECT_EQ(TBaseDescriptiveStrings[gc_total], u"Total");
  EXPECT_EQ(TBaseDescriptiveStrings[gc_sd], u"Sd.");
  for (int g = gc_1; g <= gc_12; ++g) EXPECT_EQ(TBaseDescriptiveStrings[static_cast<TBaseDescriptive>(g)], u"%d/%d") << g;
  EXPECT_EQ(TextStatsStrings[stats_word], u"Word");
  EXPECT_EQ(TextStatsStrings[stats_section], u"section");
  EXPECT_EQ(conc_sort_str_arr[cs_left5], u"L5");
  EXPECT_EQ(conc_sort_str_arr[cs_centre], u"Centre");
  EXPECT_EQ(conc_sort_str_arr[cs_right5], u"R5");
  EXPECT_EQ(conc_sort_str_arr[cs_context_word_positions], u"context words");
  EXPECT_EQ(conc_sort_str_arr[cs_textdate], u"Date");
  EXPECT_EQ(conc_sort_str_arr[cs_word_rarity], u"Contextual frequency");
  EXPECT_EQ(conc_sort_str_arr[cs_byte_position], u"Position in file");
  EXPECT_EQ(conc_sort_str_arr[cs_random_order], u"Random order");
  for (const String& s : conc_sort_str_arr) EXPECT_FALSE(s.empty());

  // A second start is only counted; the first stop leaves the texts in place
  // and the matching last stop releases them.
  Qm_specific_consts_initialization();
  Qm_specific_consts_Finalization();
  EXPECT_EQ(TextStatsStrings[stats_paragraph], u"paragraph");
  Qm_specific_consts_Finalization();
  EXPECT_TRUE(AllTablesEmpty());
  EXPECT_EQ(conc_sort_str_arr[cs_centre].capacity(), String().capacity());
}

TEST(Qm_specific_consts, StringTablesFollowTheInstalledTranslation) {
  ASSERT_TRUE(AllTablesEmpty());
  char path[] = "/tmp/sk_vocab_translation_XXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  close(fd);
  {
    std::ofstream out(path, std::ios::binary);
    out << _QMMonths.Identifier << "=Monate\n" << _QMRandomOrder.Identifier << "=zuf\xC3\xA4llig\n";
  }
  ASSERT_TRUE(LoadResStringTranslations(Utf8ToString(path)));
  Qm_specific_consts_initialization();
  EXPECT_EQ(TimeLinePlotbaseStr[tlpb_months], u"Monate");
  EXPECT_EQ(conc_sort_str_arr[cs_random_order], u"zuf\u00E4llig");
  EXPECT_EQ(TimeLinePlotbaseStr[tlpb_weeks], u"weeks");  // untranslated entries keep their text
  Qm_specific_consts_Finalization();
  ClearResStringTranslations();
  std::remove(path);
}

}  // namespace sk
