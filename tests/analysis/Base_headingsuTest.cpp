#include <gtest/gtest.h>

#include "AnalysisTestSupport.h"
#include "analysis/Base_heading_consts.h"
#include "analysis/Base_headingsu.h"

namespace sk {
namespace {

TEST(Base_heading_consts, HeadingAndHintNumbers) {
  struct Case {
    Int32 n;
    const char16_t* text;
  } cases[] = {
      {203, u"%"},
      {32971, u"% of running words"},
      {200, u"N"},
      {200 + 32768, u""},  // "N" has no hint
      {1828, u"1-letter words"},
      {1877, u"50-letter words"},
      {3208, u"Set"},
      {3208 + 32768, u"user-defined class"},
      {209, u""},
      {101, u""},  // another entry of the table, not a heading
      {104, u""},
      {0, u""},
      {-5, u""},
      {99999, u""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.n);
    EXPECT_EQ(HStringFromN(c.n), c.text);
  }
}

TEST(Base_headingsu, EveryKindsCountAndSetColumn) {
  // kind, standard count, set column, whether it has a default table
  struct Case {
    TQuillmarkList kind;
    Int32 count;
    Int32 set;
    bool table;
  } cases[] = {
      {lt_undefined, 0, -1, false},
      {lt_word_list, 9, 8, true},
      {lt_keyword_list, 14, 13, true},
      {lt_KW_database_list, 8, 7, true},
      {lt_detailed_consistency_relations_list, 8, 7, true},
      {lt_detailed_consistency_list, 6, 5, true},
      {lt_collocate_list, 19, 14, true},
      {lt_KWDB_timeline_list, 7, 5, true},
      {lt_concordance_list, 15, 2, true},
      {lt_KW_plot_list, 7, -1, true},
      {lt_concordance_plot_list, 7, -1, true},
      {lt_concordance_cluster_list, 6, 3, true},
      {lt_concordance_pattern_list, 12, -1, true},
      {lt_kw_associate_list, 6, 5, true},
      {lt_kw_clump_list, 1, -1, false},
      {lt_filename_list, 4, -1, true},
      {lt_kw_link_list, 5, -1, true},
      {lt_statistics_list, 78, -1, true},
      {lt_conc_timeline_list, 8, 6, true},
      {lt_aligner_multiple_list, 3, -1, true},
      {lt_plaintext_list, 2, -1, true},
      {lt_wordlist_index_list, 9, 8, true},
      {lt_kw_cluster_list, 3, -1, true},
      {lt_notes, 1, -1, false},
      {lt_source_text, 1, -1, false},
      {lt_index_relationship_list, 20, 19, true},
      {lt_aligner_single_list, 1, -1, false},
      {lt_spare_concgram_list, 1, -1, false},
      {lt_markup_list, 1, -1, false},
      {lt_sections_list, 1, -1, false},
      {lt_chargram_list, 9, 8, true},
      {lT_chargram_pattern_list, 9, 8, true},
      {lt_sorting, 1, -1, false},
      {lt_debug_only, 1, -1, false},
  };
  ASSERT_EQ(std::size(cases), static_cast<size_t>(TQuillmarkList_Count));
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.kind));
    EXPECT_EQ(OfficialStandardNOfHeaders[c.kind], c.count);
    EXPECT_EQ(PredefinedSetColumnNumber[c.kind], c.set);
    EXPECT_EQ(ListHasASetColumn(c.kind), c.set > 0);
    const auto table = DefaultHeadingTable(c.kind);
    EXPECT_EQ(!table.empty(), c.table);
    if (!c.table) continue;
    ASSERT_EQ(static_cast<Int32>(table.size()), c.count);
    // The word-list index shares the word list's numbers.
    const Int32 base = c.kind == lt_wordlist_index_list ? 200 : (c.kind + 1) * 100;
    for (size_t i = 0; i < table.size(); ++i) {
      EXPECT_EQ(table[i].original_column, static_cast<SmallInt>(i));
      EXPECT_EQ(table[i].localization_number, base + static_cast<Int32>(i));
      EXPECT_FALSE(HStringFromN(table[i].localization_number).empty());
    }
    if (c.set > 0) {
      EXPECT_EQ(HStringFromN(table[c.set].localization_number), u"Set");
    }
  }
}

TEST(Base_headingsu, RowsCarryTheirTableValues) {
  const TGrid_head_fixed& pc = QMBH_WORD_LIST[W_hn_pc_1_3];
  EXPECT_EQ(pc.columntype, ct_float);
  EXPECT_EQ(pc.pixel_width96, 64);
  EXPECT_EQ(pc.decimals, 2);
  EXPECT_FLOAT_EQ(pc.minimum, 0.01f);
  EXPECT_EQ(pc.numerical, 1);
  EXPECT_EQ(pc.percent_data, 1);
  EXPECT_EQ(pc.HelpContext, 4560);
  EXPECT_EQ(pc.alignment, aligned_right);
  EXPECT_EQ(pc.editable, ed_nao_pode);

  const TGrid_head_fixed& p = QMBH_KEY_WORD_LIST[KW_hn_P_2_11];
  EXPECT_EQ(p.decimals, 10);
  EXPECT_EQ(p.pixel_width96, 144);
  EXPECT_FLOAT_EQ(p.minimum, -10000000.0f);

  const TGrid_head_fixed& conc = QMBH_CONCORDANCE_LIST[C_hn_Concordance_8_1];
  EXPECT_EQ(conc.alignment, aligned_conc);
  EXPECT_EQ(conc.allow_case_change, 1);

  const TGrid_head_fixed& plot = QMBH_KEYWORDS_PLOT_LIST[KP_hn_Plot_9_6];
  EXPECT_EQ(plot.alignment, aligned_plotting);
  EXPECT_EQ(plot.output_case, upper_case_output);
  EXPECT_EQ(plot.allow_case_change, 0);

  EXPECT_EQ(QMBH_CONCORDANCE_PLOT_LIST[CP_hn_File_10_1].wordwrap, 1);
  EXPECT_EQ(QMBH_KEY_WORD_LIST[KW_hn_Lemmas_2_12].output_case, lower_case_output);
  EXPECT_EQ(QMBH_TEXT_LIST[T_hn_Text_20_1].alignment, aligned_default);
  EXPECT_EQ(QMBH_FILENAME_LIST[F_hn_Date_15_3].columntype, ct_date);
  EXPECT_EQ(QMBH_STATISTICS_LIST[S_hn_letterwords_17_77].localization_number, 1877);
  EXPECT_EQ(WI_hn_Set_21_8, 8);
  EXPECT_EQ(THeaderNumStatistics_list_Count, 78);
}

}  // namespace
}  // namespace sk
