// The suite's domain vocabulary: kinds of results list, tools, grid records,
// search-word records and the enumerations and sets that the tools share with
// the library. Types only; the constants that go with them are in
// core/Qm_specific_consts.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/Basic_types.h"
#include "core/Sets.h"
#include "platform/runtime/RtlTypes.h"

namespace sk {

// Classes of the tagged-word lists and the join list; records below hold them
// by pointer only.
class TStringTagList;
class TStringTagFreqList;
class TJoinList;

// ---------------------------------------------------------------------------
// Kinds of results list and tools.

// Kinds of results list (one byte; the ordinals are stored in saved files).
enum TQuillmarkList : uint8_t {
  lt_undefined,
  lt_word_list,
  lt_keyword_list,
  lt_KW_database_list,
  lt_detailed_consistency_relations_list,
  lt_detailed_consistency_list,
  lt_collocate_list,
  lt_KWDB_timeline_list,
  lt_concordance_list,
  lt_KW_plot_list,
  lt_concordance_plot_list,
  lt_concordance_cluster_list,
  lt_concordance_pattern_list,
  lt_kw_associate_list,
  lt_kw_clump_list,
  lt_filename_list,
  lt_kw_link_list,
  lt_statistics_list,
  lt_conc_timeline_list,
  lt_aligner_multiple_list,
  lt_plaintext_list,
  lt_wordlist_index_list,
  lt_kw_cluster_list,
  lt_notes,
  lt_source_text,
  lt_index_relationship_list,
  lt_aligner_single_list,
  lt_spare_concgram_list,
  lt_markup_list,
  lt_sections_list,
  lt_chargram_list,
  lT_chargram_pattern_list,
  lt_sorting,
  lt_debug_only
};
inline constexpr int TQuillmarkList_Count = 34;

// The suite's tools (one byte). Ordinal 6 is a slot with no tool, so that the
// later ordinals, which are stored and exchanged, keep their values.
enum tool_type : uint8_t {
  tt_wordlist,
  tt_concord,
  tt_keywords,
  tt_Chargrams,
  tt_spare_QMconcgram,
  tt_aligner,
  tt_reserved_6,
  tt_minimal_pairs,
  tt_file_utilities,
  tt_character_profiler,
  tt_language_chooser,
  tt_API_tool,
  tt_file_viewer,
  tt_corpus_checker,
  tt_media_playing,
  tt_text_converter,
  tt_shell,
  tt_no_tool_at_all
};
inline constexpr int tool_type_Count = 18;

// ---------------------------------------------------------------------------
// Enumerations (one byte each; values in ordinal order from 0).

enum THitsFoundInfo : uint8_t { hf_this_try, hf_total };
inline constexpr int THitsFoundInfo_Count = 2;

enum TKeyPressMode : uint8_t { kp_typing_in, kp_setting_categories, kp_editing_data };
inline constexpr int TKeyPressMode_Count = 3;

enum Trelation_action : uint8_t { relation_use_match, relation_use_non_match };
inline constexpr int Trelation_action_Count = 2;

enum Tmatch_action : uint8_t {
  matches_match_now,
  matches_delete_matches,
  matches_delete_non_matches,
  matches_copy_to_set_column,
  matches_remove_match_marking,
};
inline constexpr int Tmatch_action_Count = 5;

enum Tmatch_basis : uint8_t { file_based, template_based };
inline constexpr int Tmatch_basis_Count = 2;

enum TMenuMatch : uint8_t { mm_textbuf_is_template, mm_menu_is_template };
inline constexpr int TMenuMatch_Count = 2;

enum tMyStyleColours : uint8_t {
  tsc_window,
  tsc_windowtext,
  tsc_highlight,
  tsc_highlighttext,
  tsc_Btnface,
  tsc_btnShadow,
  tsc_gradientActive,
  tsc_gradientInActive,
};
inline constexpr int tMyStyleColours_Count = 8;

enum THighlightingColours : uint8_t {
  hc_highlightBrush,
  hc_highlightText,
  hc_pickedword_brush,
  hc_pickedwordText,
};
inline constexpr int THighlightingColours_Count = 4;

enum Tdrawgrid_data : uint8_t { ddt_string, ddt_number, ddt_plot, ddt_julian_date, ddt_dateplot };
inline constexpr int Tdrawgrid_data_Count = 5;

enum TUpdateCheckFrequency : uint8_t {
  ucf_every_time_QM_starts,
  ucf_weekly,
  ucf_monthly,
  ucf_never,
};
inline constexpr int TUpdateCheckFrequency_Count = 4;

enum TConcordance_sort_system : uint8_t {
  cs_left5,
  cs_left4,
  cs_left3,
  cs_left2,
  cs_left1,
  cs_centre,
  cs_right1,
  cs_right2,
  cs_right3,
  cs_right4,
  cs_right5,
  cs_context_word_positions,
  cs_set,
  cs_filename,
  cs_textdate,
  cs_by_tag,
  cs_file_percent,
  cs_sentence_number,
  cs_sentence_position,
  cs_paragraph_number,
  cs_paragraph_position,
  cs_heading_number,
  cs_heading_position,
  cs_section_number,
  cs_section_position,
  cs_word_rarity,
  cs_highlighted_collocate,
  cs_highlighted_cluster,
  cs_byte_position,
  cs_random_order,
};
inline constexpr int TConcordance_sort_system_Count = 30;

enum TQMAction : uint8_t {
  action_none,
  action_program_start,
  action_change_tab,
  action_sorting,
  action_set_menu,
  action_main_Holder_task,
  action_clusters,
  action_concgrams,
  action_new_column,
  action_chargram_patterns,
  action_plots,
  action_wordcloud,
  action_index,
  action_detConsist,
  action_KWDB,
  action_open_file,
  action_editing,
  action_Computing,
};
inline constexpr int TQMAction_Count = 18;

enum TQMHelpAccess : uint8_t { ha_browse_URL, ha_CHM_File };
inline constexpr int TQMHelpAccess_Count = 2;

enum TQMColumnType : uint8_t {
  tnc_cumulative_count,
  tnc_extra_set,
  tnc_relative_entropy,
  tnc_other,
};
inline constexpr int TQMColumnType_Count = 4;

enum TConcordTagTextReadPolicy : uint8_t {
  crp_get_no_tags,
  crp_get_only_tagfile_tags,
  crp_get_only_adjacent,
  crp_get_tagfile_and_adjacent,
};
inline constexpr int TConcordTagTextReadPolicy_Count = 4;

enum TQMControllerSettingsMainPages : uint8_t {
  smp_main,
  smp_saved,
  smp_print,
  smp_colour,
  smp_folders,
  smp_language,
  smp_Concord,
  smp_KeyWords,
  smp_Wordlist,
  smp_chargrams,
  smp_About,
};
inline constexpr int TQMControllerSettingsMainPages_Count = 11;

enum TQMControllerAdvSettingsPages : uint8_t {
  asp_tags,
  asp_lists,
  asp_index,
  asp_advanced,
  asp_help,
  asp_video,
  asp_dates,
  asp_script,
  asp_characters,
  asp_colours,
  asp_numbers,
};
inline constexpr int TQMControllerAdvSettingsPages_Count = 11;

enum TAlignerTab : uint8_t { tat_aligner_paras, tat_aligner_sents, tat_aligner_conc };
inline constexpr int TAlignerTab_Count = 3;

enum TTool_window : uint8_t {
  tw_mainscreen,
  tw_Memo,
  tw_Richedit,
  tw_simplegrid,
  tw_text_grid,
  tw_QM_grid,
};
inline constexpr int TTool_window_Count = 6;

enum TGrid_alternatives : uint8_t {
  grid_concordance,
  grid_clusters,
  grid_conc_plot,
  grid_patterns,
  grid_collocates,
  grid_detailed_consist,
  grid_alph_order,
  grid_freq_order,
  grid_statistics,
  grid_filenames,
  grid_conc_timeline,
  grid_keywords,
  grid_KWDbase,
  grid_kwdb_associates,
  grid_kw_Clusters,
  grid_kw_Clumps,
  grid_kw_plot,
  grid_kw_plot_links,
  grid_paras,
  grid_sents,
  grid_aligner_conc,
  grid_spare_concgram,
  grid_relations,
  grid_detailed_consist_relations,
  grid_breakdowns,
  grid_chargrams,
  grid_chargram_patterns,
  grid_KWDB_Timeline,
  spare_9,
  grid_none,
};
inline constexpr int TGrid_alternatives_Count = 30;

enum TOverallStatsView : uint8_t { osv_label, osv_value };
inline constexpr int TOverallStatsView_Count = 2;

enum Tlang_preference : uint8_t {
  lang_nao_instalada,
  lang_instalada,
  lang_rank_2,
  lang_a_preferida,
};
inline constexpr int Tlang_preference_Count = 4;

enum TRelationshipStats : uint8_t {
  RelatStat_Dice,
  RelatStat_MI,
  RelatStat_MI3,
  RelatStat_Z,
  RelatStat_log_likelihood,
  RelatStat_T_Score,
  RelatStat_Log_Ratio,
  RelatStat_ConditionalProbA,
  RelatStat_ConditionalProbB,
  RelatStat_DeltaPA,
  RelatStat_DeltaPB,
};
inline constexpr int TRelationshipStats_Count = 11;

enum TKWOneWayTwoWay : uint8_t { KW_each_word_in_little, KW_each_word_in_both };
inline constexpr int TKWOneWayTwoWay_Count = 2;

enum TTimeLinePeakStatus : uint8_t { ps_neither, ps_peak, ps_trough };
inline constexpr int TTimeLinePeakStatus_Count = 3;

enum TPercentageRanges : uint8_t { tpc_below_33, tpc_34_67, tpc_68_85, tpc_86_on };
inline constexpr int TPercentageRanges_Count = 4;

enum TMediaFileLocation : uint8_t {
  tmf_MediaFilename_in_Tag,
  tmf_MediaFilename_BasedOn_Textfilename,
  tmf_via_LookupTable,
};
inline constexpr int TMediaFileLocation_Count = 3;

enum TRelation_StopListOptions : uint8_t {
  RSO_all_included,
  RSO_filter_word1,
  RSO_filter_word2,
  RSO_filter_both_words,
};
inline constexpr int TRelation_StopListOptions_Count = 4;

enum TQMFileOrFolder : uint8_t { t_folder_contents, t_textfile };
inline constexpr int TQMFileOrFolder_Count = 2;

enum Tcheckcompare : uint8_t { cc_size, cc_attributes, cc_date, cc_format, cc_contents };
inline constexpr int Tcheckcompare_Count = 5;

enum TSelectIfContainingOrPartOfText : uint8_t { s_ONLY_IF_CONTAINING, s_PART_OF_TEXT };
inline constexpr int TSelectIfContainingOrPartOfText_Count = 2;

enum TVLFileReadMode : uint8_t { tvl_failed, tvl_QM_Format, tvl_txt };
inline constexpr int TVLFileReadMode_Count = 3;

enum TFileFilterPlace : uint8_t { TFFP_anywhere, TFFP_before, TFFP_between };
inline constexpr int TFileFilterPlace_Count = 3;

enum TChosen_files_sort : uint8_t { win_sort_nome, win_sort_tamanho, win_sort_date };
inline constexpr int TChosen_files_sort_Count = 3;

enum TConverterParams : uint8_t {
  tcp_add,
  tcp_all_tags,
  tcp_whole_string_of_words,
  tcp_literal_strings,
};
inline constexpr int TConverterParams_Count = 4;

enum TWholeTextConversionCheckables : uint8_t {
  WT_into_Unicode,
  WT_TXT_Extension,
  WT_Curlies,
  WT_Remove_Linebreaks,
};
inline constexpr int TWholeTextConversionCheckables_Count = 4;

enum TWithinTextConversionCheckables : uint8_t { InT_Cut_header };
inline constexpr int TWithinTextConversionCheckables_Count = 1;

enum TWholeTextConversion : uint8_t {
  WT_None,
  WT_Other_Unix,
  WT_Other_Encrypt,
  WT_Other_lemmatising,
  WT_Other_SRT,
  WT_Other_Case_lower,
  WT_Other_Case_Upper,
  WT_Other_Case_Title,
  WT_NonUnicode_Codepage,
  WT_WER_Word_Excel_RTF,
  WT_WER_TMX,
  WT_WER_PDF,
  WT_Markup_Clearing,
  WT_Markup_Cocoa_Tag_word,
  WT_Markup_Cocoa_Word_Tag,
  WT_Markup_Reverse_Tag_Word,
  WT_Markup_Swap_Tag_Word,
  WT_Markup_Column_Tagged,
  WT_Markup_Entities,
  WT_Markup_XML_simplify,
};
inline constexpr int TWholeTextConversion_Count = 20;

enum TWithinTextConversion : uint8_t {
  InT_None,
  InT_one_change,
  InT_many_changes,
  InT_Numbering,
  InT_replace_chars,
  InT_replace_words,
  InT_replace_Unicode_space,
  InT_MWU_search,
  InT_MWU_underscore,
  InT_MarkupAbbrev,
};
inline constexpr int TWithinTextConversion_Count = 10;

enum TTextConversionResult : uint8_t { tcr_failed, tcr_unsure, tcr_unchanged, tcr_looksOK };
inline constexpr int TTextConversionResult_Count = 4;

enum TWordHandling4Colours : uint8_t {
  wh_tags,
  wh_searchword,
  wh_mainsort,
  wh_secondsort,
  wh_thirdSort,
  wh_contextword,
  wh_deleted,
  wh_mostfreqcolloc,
  wh_viewtextkeywords,
  wh_viewtext,
};
inline constexpr int TWordHandling4Colours_Count = 10;

enum TWordHandling1Colour : uint8_t {
  wh_timeline_hits_line,
  wh_timeline_hits_blob,
  wh_timeline_hits_peak_blob,
  wh_timeline_per1000_lineandblob,
  wh_timeline_quantity_outline,
  wh_timeline_quantity_fill,
  wh_timeline_quantity_peak_fill,
  wh_timeline_year_divider,
  wh_timeline_horiz_divider,
  wh_sort_triangle,
  wh_text_breaks,
};
inline constexpr int TWordHandling1Colour_Count = 11;

enum TMWU_insertion : uint8_t { mwu_char, mwu_tag };
inline constexpr int TMWU_insertion_Count = 2;

enum TMWUOrMarkup : uint8_t { mm_mwu, mm_markup };
inline constexpr int TMWUOrMarkup_Count = 2;

enum TFileFilterAction : uint8_t { TF_ignore, TF_Copy, TF_Move, TF_delete };
inline constexpr int TFileFilterAction_Count = 4;

enum TSRT_Type : uint8_t { srt_master_file, srt_translation };
inline constexpr int TSRT_Type_Count = 2;

enum TRelationship_Sort_system : uint8_t {
  RelatSort_by_word1,
  RelatSort_by_freq1,
  RelatSort_by_word2,
  RelatSort_by_freq2,
  RelatSort_by_n_files,
  RelatSort_by_gap,
  RelatSort_by_joint,
  RelatSort_by_MI_score,
  RelatSort_by_Z_score,
  RelatSort_by_MI3_score,
  RelatSort_by_LogL_score,
  RelatSort_by_T_score,
  RelatSort_by_Dice,
  RelatSort_by_LogRatio,
  RelatSort_by_CondProbA,
  RelatSort_by_CondProbB,
  RelatSort_by_DeltaPA,
  RelatSort_by_DEltaPB,
  RelatSort_by_category,
};
inline constexpr int TRelationship_Sort_system_Count = 19;

enum TQMAlignment : uint8_t {
  aligned_centre,
  aligned_default,
  aligned_right,
  aligned_plotting,
  aligned_conc,
  aligned_spare2,
};
inline constexpr int TQMAlignment_Count = 6;

enum TEditable : uint8_t { ed_nao_pode, ed_maiusc, ed_minusc, ed_tanto_faz };
inline constexpr int TEditable_Count = 4;

enum TBaseDescriptive : uint8_t {
  gc_total,
  gc_max,
  gc_min,
  gc_mean,
  gc_sd,
  gc_1,
  gc_2,
  gc_3,
  gc_4,
  gc_5,
  gc_6,
  gc_7,
  gc_8,
  gc_9,
  gc_10,
  gc_11,
  gc_12,
};
inline constexpr int TBaseDescriptive_Count = 17;

enum TQuillmarkParams : uint8_t {
  qmp_log,
  qmp_logfile,
  qmp_tool_name,
  qmp_do_concord,
  qmp_do_keywords,
  qmp_do_wordlist,
  qmp_do_index,
  qmp_do_qmconcgram,
  qmp_follow_collocate,
  qmp_follow_colloc_with_context,
  qmp_TimesandDates,
  qmp_do_filenames,
};
inline constexpr int TQuillmarkParams_Count = 12;

enum TSpecialFeatures : uint8_t {
  sf_hasJoined,
  sf_joinedElsewhere,
  sf_deleted,
  sf_matched,
  sf_marked,
  sf_first_marked,
  sf_category_coloured,
  sf_not_for_saving,
  sf_Bookmarked,
};
inline constexpr int TSpecialFeatures_Count = 9;

enum TUnOrReDoActions : uint8_t { a_zapping, a_joining, a_matching, a_deleting, a_editing };
inline constexpr int TUnOrReDoActions_Count = 5;

enum TPrivateOptions : uint8_t {
  joined_elsewhere_sort,
  matched_sort,
  deleted_sort,
  original_entry_number_sort,
  joinlist_sort,
};
inline constexpr int TPrivateOptions_Count = 5;

enum TAffixType : uint8_t { af_suffix, af_prefix, af_infix };
inline constexpr int TAffixType_Count = 3;

enum TSearchRequirementLinkType : uint8_t { ccl_and, ccl_or, ccl_but_not, ccl_spare };
inline constexpr int TSearchRequirementLinkType_Count = 4;

enum TSearchRequirementVarNames : uint8_t { srvn_column, srvn_X_str, srvn_Y_str, srvn_Number };
inline constexpr int TSearchRequirementVarNames_Count = 4;

enum TSearchMethodRequirement : uint8_t {
  ccp_Equals,
  ccp_StartsWith,
  ccp_EndsWith,
  ccp_Between,
  ccp_GreaterThan,
  ccp_LessThan,
  ccp_FoundAnywhereIn,
  ccp_FoundWithinNWordsOfSearchword,
  ccp_FoundWithinNWordsToLeftOfSearchword,
  ccp_FoundWithinNWordsToRightOfSearchword,
  ccp_FoundWithinNWordsOf,
  ccp_FoundWithinNWordsToLeftOf,
  ccp_FoundWithinNWordsToRightOf,
  ccp_WordLengthEquals,
  ccp_WordLengthGreaterThan,
  ccp_WordLengthLessThan,
  ccp_is_deleted,
  ccp_is_joined_head,
  ccp_is_Joined_member,
  ccp_is_marked,
  ccp_is_matched,
};
inline constexpr int TSearchMethodRequirement_Count = 21;

enum TMarkedF5Item : uint8_t { marcado_clear, marcado_boss, marcado_subordinate };
inline constexpr int TMarkedF5Item_Count = 3;

enum TSearchReqStrings : uint8_t { srs_baseX, srs_baseY };
inline constexpr int TSearchReqStrings_Count = 2;

enum TRulerPlotWordCloudColourTypes : uint8_t {
  rpc_plotmarks,
  rpc_plot_overspill,
  rpc_rulermarks,
  rpc_margins,
  rpc_wordcloud_shape_outline,
  rpc_wordcloud_shape_fill,
  rpc_matched,
  rpc_joined,
  rpc_marked_head,
  rpc_marked_member,
};
inline constexpr int TRulerPlotWordCloudColourTypes_Count = 10;

enum TMyExcel_h_align : uint8_t { th_ignore, th_left, th_centre, th_right };
inline constexpr int TMyExcel_h_align_Count = 4;

enum TExcelDataTypes : uint8_t { ex_string, ex_integer, ex_single, ex_percent };
inline constexpr int TExcelDataTypes_Count = 4;

enum TMyExcelFillStyle : uint8_t { myex_solid, myex_automatic, myex_none, myEx_grey50 };
inline constexpr int TMyExcelFillStyle_Count = 4;

enum TColloc_item_stat : uint8_t {
  cis_word,
  cis_sentence_start,
  cis_sentence_end,
  cis_para_start,
  cis_para_end,
  cis_heading_start,
  cis_heading_end,
  cis_section_start,
  cis_section_end,
  cis_text_start,
  cis_text_end,
};
inline constexpr int TColloc_item_stat_Count = 11;

enum TBlankOrMarkStretch : uint8_t { ign_blank, ign_mark };
inline constexpr int TBlankOrMarkStretch_Count = 2;

enum Ttag_wildcards : uint8_t {
  wildcard_not,
  wildcard_any_letter,
  wildcard_asterisk,
  wildcard_question,
  wildcard_hash,
};
inline constexpr int Ttag_wildcards_Count = 5;

enum Ttag_conversion : uint8_t { original_char, replacement_char };
inline constexpr int Ttag_conversion_Count = 2;

enum TIndexSelectionPolicy : uint8_t { ip_all, ip_selection, ip_start_char, ip_textfile };
inline constexpr int TIndexSelectionPolicy_Count = 4;

enum TPhraseFrameHandling : uint8_t {
  pf_both_phrase_frames_and_Clusters,
  pf_no_phrase_frames,
  pf_only_phrase_frames,
};
inline constexpr int TPhraseFrameHandling_Count = 3;

enum TWordAndTagDisplayOptions : uint8_t {
  colour_tags,
  hide_breaks,
  hide_empty_tags,
  hide_tagfile_tags,
  hide_words,
};
inline constexpr int TWordAndTagDisplayOptions_Count = 5;

enum TConcDisplayOptions : uint8_t { conc_blank_out_sw, conc_sentence_only };
inline constexpr int TConcDisplayOptions_Count = 2;

enum TWordTagFreeOption : uint8_t { wtf_both_words_and_tags, wtf_only_words, wtf_only_tags };
inline constexpr int TWordTagFreeOption_Count = 3;

enum TWordTagGetOption : uint8_t { wtg_both_words_and_tags, wtg_only_words, wtg_only_tags };
inline constexpr int TWordTagGetOption_Count = 3;

enum tKeepTagParamsType : uint8_t {
  kt_colour,
  kt_color,
  kt_description,
  kt_attribute_num,
  kt_playmedia,
};
inline constexpr int tKeepTagParamsType_Count = 5;

enum TTag_OnOffUnique : uint8_t {
  tag_unique,
  tag_switchon,
  tag_switchoff,
  tag_on_middle_and_off_again,
};
inline constexpr int TTag_OnOffUnique_Count = 4;

enum TSearchEngineKinds : uint8_t { se_searchword, se_contextword, se_tagcontext, se_exclusion };
inline constexpr int TSearchEngineKinds_Count = 4;

enum TConcSearchContextRequirements : uint8_t {
  cscr_check_all_cwds_minim_1Hit,
  cscr_check_all_cwds_no_minimum_Hits,
  cscr_1hit_sufficient,
  cscr_must_find_all_cwds,
};
inline constexpr int TConcSearchContextRequirements_Count = 4;

enum TNodeOrCollocate : uint8_t { nc_node, nc_collocate };
inline constexpr int TNodeOrCollocate_Count = 2;

enum TConcHorizonTypes : uint8_t { horizons_colloc, horizons_cluster, horizons_context };
inline constexpr int TConcHorizonTypes_Count = 3;

enum TWordChunkListFormat : uint8_t { wcl_Clusters, wcl_concordance, wcl_large_text };
inline constexpr int TWordChunkListFormat_Count = 3;

enum Talphabetical_sort : uint8_t {
  sort_alphabetically,
  sort_reverse_word,
  sort_word_length,
  sort_case_sensitively,
  sort_on_cluster_length,
  sort_random_order,
  sort_on_tags,
};
inline constexpr int Talphabetical_sort_Count = 7;

enum TWordCloudBackground : uint8_t { wc_plain, wc_rectangle, wc_roundRect, Wc_circle, wc_image };
inline constexpr int TWordCloudBackground_Count = 5;

enum Tfile_Load_data_type : uint8_t { fl_qmark_only, fl_graphic_data, fl_text_data };
inline constexpr int Tfile_Load_data_type_Count = 3;

enum TTextConvertFileType : uint8_t { tc_convert_file, tc_into_temp_dir, tc_confirm_each };
inline constexpr int TTextConvertFileType_Count = 3;

enum TFileMoveRestore : uint8_t { fmr_move, fmr_Restore };
inline constexpr int TFileMoveRestore_Count = 2;

// The span positions a fixed concordance sort can use: span_L05 .. span_R05.
inline constexpr TConcordance_span TFixedSortSpanRange_Low = span_L05;
inline constexpr TConcordance_span TFixedSortSpanRange_High = span_R05;
using TFixedSortSpanRange = TSubrange<TConcordance_span, span_L05, span_R05>;

// Menu tags are the integers 0 to 255.
using TMenuTags = Byte;

// ---------------------------------------------------------------------------
// Sets (bit k stands for ordinal k, as they are stored).

using TQuillmarkList_set = TSet<TQuillmarkList, TQuillmarkList_Count>;
using ttool_set = TSet<tool_type, tool_type_Count>;
using TTool_Type_Set = TSet<tool_type, tool_type_Count>;
using TMenu_tag_set = TSet<TMenuTags, 256>;
using TConcordance_sort_systemSet = TSet<TConcordance_sort_system, TConcordance_sort_system_Count>;
using TConcordance_span_Set = TSet<TConcordance_span, 102>;
using TConverterParamsSet = TSet<TConverterParams, TConverterParams_Count>;
using TSpecialFeaturesSet = TSet<TSpecialFeatures, TSpecialFeatures_Count>;
using TWordAndTagDisplayOptionsSet = TSet<TWordAndTagDisplayOptions, TWordAndTagDisplayOptions_Count>;
using TConcDisplayOptionsSet = TSet<TConcDisplayOptions, TConcDisplayOptions_Count>;
using TTextConvertFileTypeSet = TSet<TTextConvertFileType, TTextConvertFileType_Count>;

// ---------------------------------------------------------------------------
// Colours.

// One colour per style colour: window, window text, highlight, highlight
// text, button face, button shadow, active and inactive gradient.
struct TMyCanvasColourRec {
  TEnumArray<tMyStyleColours, TColor, tMyStyleColours_Count> arr;
};

struct TMyCanvasColourRecAndTypeface {
  TMyCanvasColourRec colourset;
  TFontStyles typeface{};
};

// The ten colours of rulers, plots and word clouds, and the number of
// divisions a plot is ruled into.
struct TRulerPlotWordCloudColoursRec {
  TEnumArray<TRulerPlotWordCloudColourTypes, TColor, TRulerPlotWordCloudColourTypes_Count> colours;
  Integer plot_divisions{};
};

// ---------------------------------------------------------------------------
// Files, tools and lists.

// The file a tool is showing.
struct TQM_MainFile_rec {
  String filename;
  bool isAFolder{};
  Integer ZipfileCount{};
  TQuillmarkList ListType{};
  std::array<Byte, 28> spare{};
};

// A tool and a list kind, one byte each.
struct TToolAndListRec {
  tool_type t{};
  TQuillmarkList list{};
};
static_assert(sizeof(TToolAndListRec) == 2);

// Where a concordance line lies: the text's number from 1 and the byte
// position in it. Stored raw as 8 bytes.
struct TConcordJumpTo {
  Int32 file_number_1B{};
  Int32 byte_position{};
};
static_assert(sizeof(TConcordJumpTo) == 8);

// Export options of a tool run: the shared export settings, the outermost
// concordance positions to export and the rows and columns picked by hand.
struct TQMExportRec {
  TQMExportSettings settings;
  TConcordance_span leftmost{};
  TConcordance_span rightmost{};
  std::vector<Integer> Export_Rows_specified;
  std::vector<Integer> Export_Cols_specified;
};

// ---------------------------------------------------------------------------
// Languages.

// One language as a text is shown in it; stored raw (340 bytes).
struct Tfixed_lang_details {
  uint8_t allow_middles_at_right{};
  uint8_t allow_middles_at_left{};
  uint8_t custom_language{};
  uint8_t hyphen_breaks_word{};
  Cardinal lcid{};
  Int32 language_number{};
  Tlang_preference preference{};
  Word win_codepage{};
  Word dos_codepage{};
  tenwidechar allowable_middle_letters{};
  Tfixed_character_format_rec new_win_font;
  std::array<Byte, 28> spare_ints{};
  std::array<Byte, 4> spare_Bools{};
  thirtywidechar main_nome{};
};
static_assert(sizeof(Tfixed_character_format_rec) == 204);
static_assert(offsetof(Tfixed_lang_details, lcid) == 4);
static_assert(offsetof(Tfixed_lang_details, preference) == 12);
static_assert(offsetof(Tfixed_lang_details, win_codepage) == 14);
static_assert(offsetof(Tfixed_lang_details, allowable_middle_letters) == 18);
static_assert(offsetof(Tfixed_lang_details, new_win_font) == 40);
static_assert(offsetof(Tfixed_lang_details, spare_ints) == 244);
static_assert(offsetof(Tfixed_lang_details, main_nome) == 276);
static_assert(sizeof(Tfixed_lang_details) == 340);

// A language with its colours and the file shown in it. The leading part
// (lingua, cores and four alignment bytes: 376 bytes) is stored raw.
struct TLangFilenameAndColours {
  Tfixed_lang_details lingua;
  TMyCanvasColourRec cores;
  String filename;
};
static_assert(sizeof(TMyCanvasColourRec) == 32);
inline constexpr int TLangFilenameAndColours_fixed_size = 376;

// ---------------------------------------------------------------------------
// Search words.

// The outermost collocation positions of a window; its width is
// ord(rightmost) - ord(leftmost).
struct Tdouble_colloc_span {
  TConcordance_span leftmost{};
  TConcordance_span rightmost{};
};

// A context word with its flags.
struct TSearchReqStringAndFlags {
  String search_str;
  TMSSearchFlags flags;
};

// The leading 80 bytes of a search word, stored raw. The last slot holds the
// old-style variants list while an old stream is read; its stored value has
// no meaning.
struct TQMSearchWordRec_fixed {
  TMSSearchFlags flags;
  uint8_t typed_unlike_search{};
  uint8_t allow_punct_in_sw{};
  uint8_t copies_converted{};
  uint8_t has_file_based_context_word{};
  uint8_t is_context_searchword{};
  uint8_t sw_contains_a_tag{};
  SmallInt Language_num{};
  Integer index_num{};
  Integer n_wanted{};
  Integer hits_found{};
  Integer spaces_in_sw{};
  Integer SearchColumn{};
  Tdouble_colloc_span sw_context_spans;
  Integer version{};
  Byte initial_wildcard{};
  Byte spare_byte{};
  std::array<Byte, 6> spareB{};
  std::array<Byte, 24> extras{};
  TStringTagList* to_May2024_variants{};
};
static_assert(offsetof(TQMSearchWordRec_fixed, Language_num) == 8);
static_assert(offsetof(TQMSearchWordRec_fixed, index_num) == 12);
static_assert(offsetof(TQMSearchWordRec_fixed, sw_context_spans) == 32);
static_assert(offsetof(TQMSearchWordRec_fixed, version) == 36);
static_assert(offsetof(TQMSearchWordRec_fixed, initial_wildcard) == 40);
static_assert(offsetof(TQMSearchWordRec_fixed, extras) == 48);
static_assert(offsetof(TQMSearchWordRec_fixed, to_May2024_variants) == 72);
static_assert(sizeof(TQMSearchWordRec_fixed) == 80);

// One search word ready for searching. The two lists are not owned by the
// record itself: whoever holds a record creates, clears and frees them with
// ManageAQMSearchWordRec, so copies of a record share them.
struct TQMSearchWordRec : TQMSearchWordRec_fixed {
  TStringTagFreqList* variants_found{};
  std::vector<TSearchReqStringAndFlags> sw_contexts_needed;
  String typed_in_text;
  String search_text;
  String within_tag_section;
};

// Statistics of a character position: for each text-statistics kind the
// number of the unit that holds it, its start and the total.
struct TTextCharStatsRec {
  TTextStatsInt64Array number;
  TTextStatsInt64Array charposition;
  TTextStatsInt64Array total_chars;
};
static_assert(sizeof(TTextCharStatsRec) == 120);

// What the matcher keeps between its calls on one buffer: how far the words
// have been counted, and the word edges its last walks found, so that many
// hits in one long run of letters do not each cost the run's length. It
// belongs to the buffer (text, class array and length) it was made on and
// starts afresh on any other.
struct TConcSearchMemo {
  const Char* buffer{};
  const Word* classes{};
  Int32 length{};
  // Every word that begins before this index has been counted.
  Int32 words_counted_to{};
  // A walk to the start of a word from start_probe stopped at start_found.
  Int32 start_probe{};
  Int32 start_found{};
  bool start_known{};
  // Every character from end_from up to (not including) end_found is a
  // letter or digit; the one at end_found is not.
  Int32 end_from{};
  Int32 end_found{};
  bool end_known{};
};

// One hit found in a text buffer.
struct TConcSearchRec {
  bool in_heading{};
  bool in_tagged_text{};
  TTextCharStatsRec buffer_charStats;
  const Char* start_of_text{};
  const Char* where_hit_started{};
  Single percent_of_file{};
  TConcordance_span span_location{};
  Int32 word_number{};
  Int32 FileBytePos{};
  Int32 search_number{};
  Int32 tag_number_1B{};
  Int32 puncts_in_hit{};
  Int32 exact_hit_char_position_1B{};
  Int32 bytes_per_char{};
  Int32 full_hit_len{};
  TStartOrFinishIntRec hit_edge_1B;
  TStartOrFinishIntRec tag_edge_1B;
  TConcSearchMemo matcher_memo;
};

// ---------------------------------------------------------------------------
// Row conditions.

struct TSearchHeaderInfoRec {
  TColumnType columntype{};
  bool concordance_data{};
  Int32 original_Col_num{};
  Int32 data_index{};
};

// One requirement of a row condition.
struct TSearchRequirementRec {
  TSearchHeaderInfoRec header_info;
  Int32 colour{};
  Int32 found{};
  Int32 word_span{};
  Int32 search_word_pos{};
  Single n_actual{};
  Single found_percent{};
  std::array<Single, 2> n_seek{};
  TSearchMethodRequirement how{};
  TSearchRequirementRec* linked{};  // carries nothing; kept for the layout
  std::array<TSearchReqStringAndFlags, 2> search_str_recs;
  bool opposite{};
  bool other_data_numerical{};
  bool Compare_with_OtherDataColumn{};
  bool activated{};
  Int32 other_data_column{};
  Single n_other_data_column_actual{};
  TMarkedF5Item is_marked{};
  bool is_joined_head{};
  bool is_joined_member{};
  bool is_matched{};
  bool is_deleted{};
  String column_heading_main;
  String column_heading_2;
  String string_actual;
};

// One row condition: two requirements joined by a link.
struct TDoubleSearchCategoryRec {
  TConditionOrder current_order{};
  std::array<TSearchRequirementRec, 2> requirement;
  Int32 actionTag{};
  TSearchRequirementLinkType linkage{};
};

// ---------------------------------------------------------------------------
// Concordance lines and collocates.

struct TCollocBarrierRec {
  TColloc_item_stat stat{};
};

// Where a concordance token stands and how it is coloured.
struct TCollocateInfo {
  TConcordance_span span{};
  bool IsContextWord{};
  bool CustomColour{};
  TCollocBarrierRec barr_rec;
};

// One token of a concordance line.
struct TConcordDetailedRec {
  TConcStringTag ConcStrTag;
  TCollocateInfo colloc_info;
  Int64 spare{};
};

// The colours of a concordance token's tag and of its word.
struct TCollocateColourRec {
  TColourFontRec Tag_colours;
  TColourFontRec Word_colours;
};

// How the tags of a tag file are shown.
struct TTagFileShow_rec {
  bool hidden{};
  bool decoloured{};
};

// Highlighted collocation positions of a concordance line.
struct THighlightInfoRec {
  uint8_t Highlight_checked{};
  Integer Highlight_total{};
  TConcordance_span_Set Highlight_span_positions;
};
static_assert(sizeof(TConcordance_span_Set) == 13);
static_assert(sizeof(THighlightInfoRec) == 24);

// The leading part of a concordance line that is stored raw (320 bytes);
// fixed_size holds its byte count.
struct TConcordEntryRec_fixed {
  Integer fixed_size{};
  Integer tagnum_2B{};
  Integer sw_starts{};
  Integer sw_finishes{};
  Integer hitnum_in_this_file{};
  Integer hit_char_position{};
  Integer lowest_char_position{};
  Integer tag_context_distance_from_SW{};
  Integer merge_num{};
  Integer exact_hit_len{};
  Integer filenum_1B{};
  Integer sw_number{};
  Integer concordance_line_mean_word_rank{};
  uint8_t is_current_grid_row{};
  uint8_t in_heading{};
  uint8_t sw_contains_a_tag{};
  uint8_t has_percent{};
  Byte spare_byte{};
  Single percent_of_file{};
  Double textfile_date{};
  TConcordance_span spare_context_word_span{};
  TTextCharStatsRec line_stats;
  THighlightInfoRec highlight_info;
  std::array<Byte, 12> context_word_spans{};
  Integer spare_grid_display_height{};
  std::array<Byte, 80> spare{};
};
static_assert(offsetof(TConcordEntryRec_fixed, is_current_grid_row) == 52);
static_assert(offsetof(TConcordEntryRec_fixed, percent_of_file) == 60);
static_assert(offsetof(TConcordEntryRec_fixed, textfile_date) == 64);
static_assert(offsetof(TConcordEntryRec_fixed, line_stats) == 80);
static_assert(offsetof(TConcordEntryRec_fixed, highlight_info) == 200);
static_assert(offsetof(TConcordEntryRec_fixed, spare) == 240);
static_assert(sizeof(TConcordEntryRec_fixed) == 320);

// One concordance line.
struct TConcordEntryRec : TConcordEntryRec_fixed {
  String retained_tag_context;
  TEnumArray<TLeftOrRight, std::vector<TConcordDetailedRec>, 2> conc_tokenrecs;
};

// The leading part of a collocate that is stored raw (208 bytes).
struct TCollocateEntryRec_fixed {
  Integer fixed_size{};
  Integer searchw_number{};
  Integer n_texts{};
  Integer lemma_n_texts{};
  Int64 most_frequent{};
  Int64 total{};
  Int64 total_left{};
  Int64 total_right{};
  Int64 lemma_total{};
  Int64 lemma_total_left{};
  Int64 lemma_total_right{};
  Int64 lemma_most_frequent{};
  uint8_t is_lemmatised_collocate{};
  uint8_t is_current_grid_row{};
  TEnumArray<TRelationshipStats, Single, TRelationshipStats_Count> association_values;
  std::array<Byte, 12> spareB{};
  Single found_in_other_list{};
  std::array<Byte, 64> spare{};
};
static_assert(offsetof(TCollocateEntryRec_fixed, most_frequent) == 16);
static_assert(offsetof(TCollocateEntryRec_fixed, association_values) == 84);
static_assert(offsetof(TCollocateEntryRec_fixed, found_in_other_list) == 140);
static_assert(sizeof(TCollocateEntryRec_fixed) == 208);

// One collocate: the fixed part, then one frequency per collocation position.
struct TCollocateEntryRec : TCollocateEntryRec_fixed {
  std::vector<Int64> lemma_freqs;
  std::vector<Int64> freqs;
  TStringTag wd;
};

// ---------------------------------------------------------------------------
// Word-list entries.

struct TWordlist_entry_rec {
  Int64 f{};
  Integer n_files{};
  Single dispersion{};
  std::vector<TPcharTag> wds;
};

struct TWord_entry_String_rec {
  Integer n_files{};
  Int64 freq{};
  Single dispersion{};
  std::vector<TStringTag> wds;
};

// ---------------------------------------------------------------------------
// Results-list entries and stored-list information.

// The entries joined under an entry, with the entry's marks.
struct TJoinlistAndDetails {
  TJoinList* joinlist{};  // not owned
  bool joined_elsewhere{};
  bool matched{};
  bool deleted{};
  TMarkedF5Item marcacao{};
};

// The numbers of an entry's details that are stored raw (24 bytes).
struct TQMEntryDetailsRec_fixed {
  Int64 main_freq{};
  Int64 joint_freq{};
  Single main_dispersion{};
  Int32 main_n_texts{};
};
static_assert(sizeof(TQMEntryDetailsRec_fixed) == 24);

struct TQMEntryDetailsRec : TQMEntryDetailsRec_fixed {
  TJoinlistAndDetails main_JoinlistAndDetails;
  std::vector<TStringTag> main_word_arr;
  std::vector<TStringTag> main_word2_arr;
};

// An entry's private details, stored raw (32 bytes).
struct TPrivateDetailsRec {
  Int32 version{};
  Int32 sentinel{};
  Int32 bookmark{};
  Int32 to_v3_category_colour{};
  TMarkedF5Item marcacao{};
  uint8_t joined_elsewhere{};
  uint8_t matched{};
  uint8_t deleted{};
  uint8_t join_created_in_load{};
  uint8_t not_for_saving{};
  std::array<Byte, 2> spareB{};
  std::array<Byte, 8> spare{};
};
static_assert(offsetof(TPrivateDetailsRec, marcacao) == 16);
static_assert(offsetof(TPrivateDetailsRec, spare) == 24);
static_assert(sizeof(TPrivateDetailsRec) == 32);

// The stored-list information of a saved list: 208 bytes stored raw.
struct TStoredListInfo_fixed {
  Int32 NodeSearchWordsCount{};
  Int32 stored_version_number{};
  Int32 not_for_saving_entries{};
  Int32 entries{};
  Int32 lifetimezaps{};
  Int32 temp1{};
  Int32 temp2{};
  std::array<Byte, 3> tag_info{};
  uint8_t n_texts_checked{};
  uint8_t lemmatised{};
  uint8_t SomeDataMissing{};
  uint8_t has_dispersion_data{};
  uint8_t based_on_clusters{};
  uint8_t can_save_deleted{};
  std::array<Byte, 7> spareBs{};
  std::array<Byte, 156> spare{};
  Int32 sentinel{};
  std::array<Byte, 4> alignment_gap{};
};
static_assert(offsetof(TStoredListInfo_fixed, tag_info) == 28);
static_assert(offsetof(TStoredListInfo_fixed, n_texts_checked) == 31);
static_assert(offsetof(TStoredListInfo_fixed, can_save_deleted) == 36);
static_assert(offsetof(TStoredListInfo_fixed, spare) == 44);
static_assert(offsetof(TStoredListInfo_fixed, sentinel) == 200);
static_assert(sizeof(TStoredListInfo_fixed) == 208);

// The stored-list information; the three file names are stored after the
// raw part, in this order.
struct TStoredListInfo : TStoredListInfo_fixed {
  String info_derives_from_filename;
  String matchlist_filename;
  String stoplist_filename;
};

// The column and direction chosen for one sort level.
struct TSortColumnChoice {
  Int32 column{};
  bool ascending{};
};

// The part of a list's sort settings that is saved.
struct TSortSaveable {
  TEnumArray<TSortLevel, TSortColumnChoice, 3> column_choices;
  Int32 Version_Num{};
  bool knows_whether_alph_ascending{};
  bool main_sort_is_alphabetical{};
  bool sort_is_alph_ascending{};
  bool concordance_sort{};
  TSortLevel SortLevelsAvailable{};
  TSortBytes SortBytes;
};

// What a clipboard copy of the results grid includes.
struct TQMClipboardSettings {
  bool include_text{};
  bool include_picture{};
  bool include_heading_row{};
  bool include_number_column{};
  std::array<Byte, 12> spare{};
};

// Thresholds of the relationship statistics: per statistic whether it is in
// use and the value it must reach.
struct TConcgramChecks {
  TEnumArray<TRelationshipStats, TBoolAndSingleSettings, TRelationshipStats_Count> stat_relation_settings;
  bool test_all_procedures{};
  bool test_all_words{};
};

// The sort keys of a concordance on three levels, each with its direction.
struct TConcSortAndAscending {
  TEnumArray<TSortLevel, TConcordance_sort_system, 3> sorts;
  TEnumArray<TSortLevel, bool, 3> ascending;
};

// Cluster settings named by the messages about clusters.
struct TWordCluster_Settings {
  Integer cluster_size_min{};
  Integer cluster_size_max{};
  Single max_working_percent{};
};

// ---------------------------------------------------------------------------
// Spreadsheet export.

// How one column or cell is shown in a spreadsheet. The two alignments are
// the spreadsheet layer's alignment values.
struct TExcelShowRec {
  Byte HAlign{};
  Byte VAlign{};
  bool hidden{};
  Int32 font_size{};
  Int32 min_colwidth{};
  TColor font_colour{};
  TColor background_colour{};
  TExcelDataTypes fmt{};
};

// One spreadsheet cell.
struct TExcelDataRec {
  String s;
  Int32 i{};
  Single f{};
  TExcelShowRec cell_format;
};

struct TColRowAndSheet {
  Int32 Colnum{};
  Int32 RowNum{};
  Int32 Sheetnum{};
};

// ---------------------------------------------------------------------------
// Column headings and grid cells.

// A column's descriptive values: total, maximum, minimum, mean, standard
// deviation and twelve segment values (68 bytes).
struct TGridColumnDataRec {
  TEnumArray<TBaseDescriptive, Single, TBaseDescriptive_Count> descriptives;
};
static_assert(sizeof(TGridColumnDataRec) == 68);

// The leading part of a column heading that is stored raw (176 bytes).
struct TGrid_head_fixed {
  T3Bool SortStateAscending{};
  TQMAlignment alignment{};
  TOutput_results_case output_case{};
  // The alignment gaps are named members so that a value-initialised record
  // stores them as 0 with every compiler.
  Byte padding3{};
  TGridColumnDataRec column_data;
  TConcordance_span span{};
  TQMColumnType extra_column_type{};
  TFontStyles typefaces{};
  TEditable editable{};
  TColor show_as_percent_colour{};
  TColor column_specific_brush_colour{};
  uint8_t ShowAsApproximate{};
  uint8_t wordwrap{};
  uint8_t has_custom_heading{};
  uint8_t timelinerounded{};
  uint8_t has_column_specific_brush_colour{};
  uint8_t user_has_sorted_this_run{};
  uint8_t allow_case_change{};
  uint8_t extra_computed{};
  uint8_t numerical{};
  uint8_t percent_data{};
  uint8_t escondido{};  // the column is hidden
  Byte padding95{};
  Single minimum{};
  Byte version{};
  Byte decimals{};
  Byte previous_decimals{};
  Byte padding103{};
  SmallInt original_column{};
  SmallInt pixel_width96{};  // width in pixels at 96 dots per inch
  Integer HelpContext{};
  Integer localization_number{};
  std::array<Byte, 4> spareBools{};
  TColumnType columntype{};
  uint8_t spareB2{};
  uint8_t spareB3{};
  uint8_t SpareB4{};
  std::array<Byte, 52> spare{};
};
static_assert(offsetof(TGrid_head_fixed, column_data) == 4);
static_assert(offsetof(TGrid_head_fixed, span) == 72);
static_assert(offsetof(TGrid_head_fixed, show_as_percent_colour) == 76);
static_assert(offsetof(TGrid_head_fixed, ShowAsApproximate) == 84);
static_assert(offsetof(TGrid_head_fixed, escondido) == 94);
static_assert(offsetof(TGrid_head_fixed, minimum) == 96);
static_assert(offsetof(TGrid_head_fixed, version) == 100);
static_assert(offsetof(TGrid_head_fixed, original_column) == 104);
static_assert(offsetof(TGrid_head_fixed, pixel_width96) == 106);
static_assert(offsetof(TGrid_head_fixed, HelpContext) == 108);
static_assert(offsetof(TGrid_head_fixed, localization_number) == 112);
static_assert(offsetof(TGrid_head_fixed, spareBools) == 116);
static_assert(offsetof(TGrid_head_fixed, columntype) == 120);
static_assert(offsetof(TGrid_head_fixed, spare) == 124);
static_assert(sizeof(TGrid_head_fixed) == 176);

// One column heading; the hint and the heading text follow the raw part.
struct TGrid_head : TGrid_head_fixed {
  String hint;
  String heading;
};

// A concordance or key-word plot cell: the text's length in characters and
// the positions of its hits.
struct TGeneralPlotArray {
  Int32 charcount{};
  std::vector<Int32> positions;
};

// One peak or trough of a timeline.
struct TTimelinePeakRec {
  Single period{};
  Single score{};
  TTimeLinePeakStatus status{};
};

// A timeline cell: per period its hits and word count, the total number of
// words, the time basis and the peaks found.
struct TTimeLineDataRec {
  std::vector<Int32> hits;
  std::vector<Int64> wordcounts;
  Int64 total_words{};
  Int32 periods{};
  TTimeLineDisplayBasis basis{};
  std::vector<TTimelinePeakRec> peaks;
};

// Five chosen periods of a plot or timeline.
using TPeriodsChosenArray = std::array<Int32, 5>;

// One grid cell as a results list prepares it. An empty cell is this record
// with every field zero or empty (a value-initialised record).
struct TGrid_data_rec {
  TGrid_head GridHeading;
  TNumberDisplayAndSinglesRec n_and_disp;
  TGridColumnDataRec grid_column_data;
  Tdrawgrid_data data_type{};
  TWordChunkListFormat data_wclformat{};
  TQMFilestatus FileStatus{};
  TStatsDataType data_form{};
  TMarkedF5Item marcacao{};
  TGeneralPlotArray plot_data;
  TTimeLineDataRec timeline_data;
  TTagWordPrecedence word_tag_ordering{};
  TPeriodsChosenArray PlotOrTimeline_division_sorts{};
  TForegroundBackGroundColours cell_specific_colours;
  Integer bookmark{};
  Integer total_chars_in_all_files{};
  Integer TrueColumn{};
  Integer GridRow{};
  Integer DataRow{};
  Integer concordance_hit_len{};
  Integer concordance_midpoint{};
  Integer sentence_start_pos{};
  Integer concord_padding_chars{};
  TWordAndTagDisplayOptionsSet word_tag_display_options;
  TConcDisplayOptionsSet conc_display_options;
  TLeftOrRightIntegers conc_outside_limits;
  bool DataOK{};
  bool IsEdgeData{};
  bool IsMainWordColumn{};
  bool ShowAsRaw{};
  bool IsOverallData{};
  bool is_dispersion_data{};
  bool is_filename{};
  bool ShowAsHeading{};
  bool MoreDataNeeded{};
  bool negative_result{};
  bool NonApplicable{};
  bool most_frequent_item{};
  bool segment_sorted{};
  bool deleted{};
  bool joined_elsewhere{};
  bool hasjoined{};
  bool matched{};
  Byte BelowSortThreshold{};
  std::vector<Single> timeline_data_scores;
  std::vector<TYearMonthDay> timeline_datearr;
  std::vector<TStringTag> cluster_tokens;
  TEnumArray<TLeftOrRight, std::vector<TCollocateColourRec>, 2> conc_colour_info;
  TEnumArray<TLeftOrRight, std::vector<TConcordDetailedRec>, 2> conc_tokens;
  std::vector<TTagFileShow_rec> TagFileTagsShowArr;
  Single raw_single{};
  Single raw_out_of{};
  Single timeline_overall_hits_per1000{};
  Double textual_date{};
};

// One grid row: a cell per heading column and the row's marks.
struct TGridDataArrayRec {
  std::vector<TGrid_data_rec> data_array;
  bool is_deleted_line{};
  bool is_lemma_variant_line{};
};

// Counts of hits and words.
struct THitAndWordCountRec {
  Cardinal hits{};
  Cardinal wordcount{};
};

// A timeline's settings as the results lists read them: the basis its dates
// are shown in.
struct TTimelineSettings {
  TTimeLineDisplayBasis basis{};
};

// ---------------------------------------------------------------------------
// Records that the tools fill and hand on; the library declares them so that
// every tool names the same types, and reads none of their fields.

struct BaseDataSetType {};
struct TAffixRec {};
struct TAligner_settings {};
struct TAllConcSpanSectionsOfConcLine {};
struct TBatchSettingsRec {};
struct TBoilerplateRec {};
struct TBreakdownArrays {};
struct TBreakdownRec {};
struct TCheckCompareRec {};
struct TChosenFileDetailsFullrec {};
struct TClusterAndItemNum {};
struct TCodeAndTool {};
struct TCollocateScriptSettings {};
struct TCollocateSettingsRec {};
struct TConcClusterEntryRec {};
struct TConcContextSettingsRec {};
struct TConcEntryMergeRec {};
struct TConcExclusionSettingsRec {};
struct TConcSettingsRec {};
struct TConcgramSettings {};
struct TConcordClusterSettings {};
struct TConcordTagProcessingRec {};
struct TConverterParametersRec {};
struct TDetConsistSettings {};
struct TDetConsistUserSettings {};
struct TDetailedConsistency_rec {};
struct TFileRepetitionRec {};
struct TFilenameWideStringAndInteger {};
struct TGeneralPlotDataRec {};
struct TGeneralPlotSettings {};
struct TImportSettings {};
struct TIndexRelation_settings {};
struct TKeyWord_Database_settings {};
struct TLemmaListSettingsRec {};
struct TLinksMaxMinRec {};
struct TListAndListType {};
struct TMWUHandlingRec {};
struct TMarkupAddingRec {};
struct TMatchListSettingsRec {};
struct TMediaParseRec {};
struct TNumberInsertRec {};
struct TPatternEntryRec {};
struct TPlotContextInforec {};
struct TQMExtraMsgRec {};
struct TQMIndexTypeRec {};
struct TQMMsgRec {};
struct TQMStartupOptions {};
struct TQM_keywords_settings {};
struct TRelationship_rec {};
struct TSampleBandsRec {};
struct TSegmentMembership {};
struct TSkinAndColour {};
struct TStoplistSettingsRec {};
struct TStoplistStatsRec {};
struct TStoredTagRec {};
struct TTabsetRec {};
struct TTagDetailsOneFileRec {};
struct TTagDetailsSavingrec {};
struct TTagOrAffixInfoRec {};
struct TTextFileSearchSettings {};
struct TTextStatisticsRec {};
struct TTextStatsRec {};
struct TText_segment_rec {};
struct TTextsett_rec {};
struct TThreeSectionsOfConcLine {};
struct TTimelineOrPlotMainSortAlternativesRec {};
struct TTimelineOrPlotMainSortPreferencesRec {};
struct TToolWndRec {};
struct TTranslateTagRec {};
struct TWordCloudSettingsRec {};
struct TWordListProcessBufferRec {};
struct TWordlist_counts_rec {};
struct TWordlist_index_settings {};
struct TWordlist_settings {};
struct TXML_SimplicationRec {};
struct TextMarkerTagrec {};
struct TwordAndFreqRec {};

// Unit start and stop (the unit has no work of its own).
void Qm_specific_types_initialization();
void Qm_specific_types_Finalization();

}  // namespace sk
