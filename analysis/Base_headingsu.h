// The built-in column headings of every list kind: one constant table per
// kind (the heading and hint texts come from Base_heading_consts by each row's
// localization_number), the number of standard columns of each kind, the
// column of each kind's user-defined class ("Set"), and one enumeration per
// table naming its columns.
#pragma once

#include <array>
#include <span>

#include "core/Qm_specific_types.h"
#include "core/Sets.h"
#include "platform/runtime/RtlTypes.h"

namespace sk {

// Columns of QMBH_WORD_LIST.
enum THeaderNumWord_list : uint8_t {
  W_hn_N_1_0,
  W_hn_Word_1_1,
  W_hn_Freq_1_2,
  W_hn_pc_1_3,
  W_hn_Texts_1_4,
  W_hn_pc_1_5,
  W_hn_Dispersion_1_6,
  W_hn_Lemmas_1_7,
  W_hn_Set_1_8,
};
inline constexpr int THeaderNumWord_list_Count = 9;
// The word-list columns of a word-list index.
enum THeaderNumWordlist_index_list : uint8_t {
  WI_hn_N_21_0,
  WI_hn_Word_21_1,
  WI_hn_Freq_21_2,
  WI_hn_pc_21_3,
  WI_hn_Texts_21_4,
  WI_hn_pc_21_5,
  WI_hn_Dispersion_21_6,
  WI_hn_Lemmas_21_7,
  WI_hn_Set_21_8,
};
inline constexpr int THeaderNumWordlist_index_list_Count = 9;

// Columns of QMBH_KEY_WORD_LIST.
enum THeaderNumKey_word_list : uint8_t {
  KW_hn_N_2_0,
  KW_hn_Keyword_2_1,
  KW_hn_Freq_2_2,
  KW_hn_pc_2_3,
  KW_hn_Texts_2_4,
  KW_hn_RCFreq_2_5,
  KW_hn_RCpc_2_6,
  KW_hn_BIC_2_7,
  KW_hn_LogL_2_8,
  KW_hn_LogR_2_9,
  KW_hn_DDiff_2_10,
  KW_hn_P_2_11,
  KW_hn_Lemmas_2_12,
  KW_hn_Set_2_13,
};
inline constexpr int THeaderNumKey_word_list_Count = 14;

// Columns of QMBH_KEYWORDS_DATABASE.
enum THeaderNumKeywords_database : uint8_t {
  KD_hn_N_3_0,
  KD_hn_KW_3_1,
  KD_hn_Texts_3_2,
  KD_hn_pc_3_3,
  KD_hn_OverallFreq_3_4,
  KD_hn_NoAss_3_5,
  KD_hn_Associates_3_6,
  KD_hn_Set_3_7,
};
inline constexpr int THeaderNumKeywords_database_Count = 8;

// Columns of QMBH_DETAILED_CONSISTENCY_RELATIONS_LIST.
enum THeaderNumDetailed_consistency_relations_list : uint8_t {
  DCR_hn_N_4_0,
  DCR_hn_File_4_1,
  DCR_hn_Count_4_2,
  DCR_hn_File_4_3,
  DCR_hn_Count_4_4,
  DCR_hn_Joint_4_5,
  DCR_hn_Relation_4_6,
  DCR_hn_Set_4_7,
};
inline constexpr int THeaderNumDetailed_consistency_relations_list_Count = 8;

// Columns of QMBH_DETAILED_CONSISTENCY_LIST.
enum THeaderNumDetailed_consistency_list : uint8_t {
  DC_hn_N_5_0,
  DC_hn_Word_5_1,
  DC_hn_Total_5_2,
  DC_hn_Texts_5_3,
  DC_hn_NoofLemmas_5_4,
  DC_hn_Set_5_5,
};
inline constexpr int THeaderNumDetailed_consistency_list_Count = 6;

// Columns of QMBH_COLLOCATE_LIST.
enum THeaderNumCollocate_list : uint8_t {
  C_hn_N_6_0,
  C_hn_Word_6_1,
  C_hn_With_6_2,
  C_hn_Dice_6_3,
  C_hn_MI_6_4,
  C_hn_MI_6_5,
  C_hn_Z_6_6,
  C_hn_LogL_6_7,
  C_hn_T_6_8,
  C_hn_LogR_6_9,
  C_hn_CondProbA_6_10,
  C_hn_CondProbB_6_11,
  C_hn_DeltaPA_6_12,
  C_hn_DeltaPB_6_13,
  C_hn_Set_6_14,
  C_hn_Texts_6_15,
  C_hn_Total_6_16,
  C_hn_TotalLeft_6_17,
  C_hn_TotalRight_6_18,
};
inline constexpr int THeaderNumCollocate_list_Count = 19;

// Columns of QMBH_KWDB_TIMELINE_LIST.
enum THeaderNumKwdb_timeline_list : uint8_t {
  KT_hn_N_7_0,
  KT_hn_KeyWord_7_1,
  KT_hn_Hits_7_2,
  KT_hn_per_7_3,
  KT_hn_Spread_7_4,
  KT_hn_Set_7_5,
  KT_hn_Timeline_7_6,
};
inline constexpr int THeaderNumKwdb_timeline_list_Count = 7;

// Columns of QMBH_CONCORDANCE_LIST.
enum THeaderNumConcordance_list : uint8_t {
  C_hn_N_8_0,
  C_hn_Concordance_8_1,
  C_hn_Set_8_2,
  C_hn_Tag_8_3,
  C_hn_Sent_8_4,
  C_hn_SentPos_8_5,
  C_hn_Para_8_6,
  C_hn_ParaPos_8_7,
  C_hn_Head_8_8,
  C_hn_HeadPos_8_9,
  C_hn_Sect_8_10,
  C_hn_SectPos_8_11,
  C_hn_File_8_12,
  C_hn_Date_8_13,
  C_hn_pc_8_14,
};
inline constexpr int THeaderNumConcordance_list_Count = 15;

// Columns of QMBH_KEYWORDS_PLOT_LIST.
enum THeaderNumKeywords_plot_list : uint8_t {
  KP_hn_N_9_0,
  KP_hn_Keyword_9_1,
  KP_hn_Dispersion_9_2,
  KP_hn_Keyness_9_3,
  KP_hn_Linktokens_9_4,
  KP_hn_Hits_9_5,
  KP_hn_Plot_9_6,
};
inline constexpr int THeaderNumKeywords_plot_list_Count = 7;

// Columns of QMBH_CONCORDANCE_PLOT_LIST.
enum THeaderNumConcordance_plot_list : uint8_t {
  CP_hn_N_10_0,
  CP_hn_File_10_1,
  CP_hn_Words_10_2,
  CP_hn_Hits_10_3,
  CP_hn_per_10_4,
  CP_hn_Dispersion_10_5,
  CP_hn_Plot_10_6,
};
inline constexpr int THeaderNumConcordance_plot_list_Count = 7;

// Columns of QMBH_CONCORDANCE_CLUSTER_LIST.
enum THeaderNumConcordance_cluster_list : uint8_t {
  CC_hn_N_11_0,
  CC_hn_Cluster_11_1,
  CC_hn_Freq_11_2,
  CC_hn_Set_11_3,
  CC_hn_Length_11_4,
  CC_hn_Related_11_5,
};
inline constexpr int THeaderNumConcordance_cluster_list_Count = 6;

// Columns of QMBH_CONCORDANCE_PATTERN_LIST.
enum THeaderNumConcordance_pattern_list : uint8_t {
  CP_hn_N_12_0,
  CP_hn_L_12_1,
  CP_hn_L_12_2,
  CP_hn_L_12_3,
  CP_hn_L_12_4,
  CP_hn_L_12_5,
  CP_hn_Centre_12_6,
  CP_hn_R_12_7,
  CP_hn_R_12_8,
  CP_hn_R_12_9,
  CP_hn_R_12_10,
  CP_hn_R_12_11,
};
inline constexpr int THeaderNumConcordance_pattern_list_Count = 12;

// Columns of QMBH_ASSOCIATE_LIST.
enum THeaderNumAssociate_list : uint8_t {
  A_hn_N_13_0,
  A_hn_Associate_13_1,
  A_hn_Strength_13_2,
  A_hn_Texts_13_3,
  A_hn_pc_13_4,
  A_hn_Set_13_5,
};
inline constexpr int THeaderNumAssociate_list_Count = 6;

// Columns of QMBH_FILENAME_LIST.
enum THeaderNumFilename_list : uint8_t {
  F_hn_N_15_0,
  F_hn_Filename_15_1,
  F_hn_Tokens_15_2,
  F_hn_Date_15_3,
};
inline constexpr int THeaderNumFilename_list_Count = 4;

// Columns of QMBH_LINK_LIST.
enum THeaderNumLink_list : uint8_t {
  L_hn_N_16_0,
  L_hn_Keyword_16_1,
  L_hn_Linktypes_16_2,
  L_hn_Hits_16_3,
  L_hn_LinkedKWs_16_4,
};
inline constexpr int THeaderNumLink_list_Count = 5;

// Columns of QMBH_STATISTICS_LIST.
enum THeaderNumStatistics_list : uint8_t {
  S_hn_N_17_0,
  S_hn_textfile_17_1,
  S_hn_filesize_17_2,
  S_hn_tokensrunningwordsintext_17_3,
  S_hn_tokensusedforwordlist_17_4,
  S_hn_sumofentries_17_5,
  S_hn_typesdistinctwords_17_6,
  S_hn_typetokenratioTTR_17_7,
  S_hn_standardisedTTR_17_8,
  S_hn_STTRstddev_17_9,
  S_hn_STTRbasis_17_10,
  S_hn_meanwordlengthincharacters_17_11,
  S_hn_wordlengthstddev_17_12,
  S_hn_sentences_17_13,
  S_hn_meaninwords_17_14,
  S_hn_stddev_17_15,
  S_hn_paragraphs_17_16,
  S_hn_meaninwords_17_17,
  S_hn_stddev_17_18,
  S_hn_headings_17_19,
  S_hn_meaninwords_17_20,
  S_hn_stddev_17_21,
  S_hn_sections_17_22,
  S_hn_meaninwords_17_23,
  S_hn_stddev_17_24,
  S_hn_numbersremoved_17_25,
  S_hn_stoplisttokensremoved_17_26,
  S_hn_stoplisttypesremoved_17_27,
  S_hn_letterwords_17_28,
  S_hn_letterwords_17_29,
  S_hn_letterwords_17_30,
  S_hn_letterwords_17_31,
  S_hn_letterwords_17_32,
  S_hn_letterwords_17_33,
  S_hn_letterwords_17_34,
  S_hn_letterwords_17_35,
  S_hn_letterwords_17_36,
  S_hn_letterwords_17_37,
  S_hn_letterwords_17_38,
  S_hn_letterwords_17_39,
  S_hn_letterwords_17_40,
  S_hn_letterwords_17_41,
  S_hn_letterwords_17_42,
  S_hn_letterwords_17_43,
  S_hn_letterwords_17_44,
  S_hn_letterwords_17_45,
  S_hn_letterwords_17_46,
  S_hn_letterwords_17_47,
  S_hn_letterwords_17_48,
  S_hn_letterwords_17_49,
  S_hn_letterwords_17_50,
  S_hn_letterwords_17_51,
  S_hn_letterwords_17_52,
  S_hn_letterwords_17_53,
  S_hn_letterwords_17_54,
  S_hn_letterwords_17_55,
  S_hn_letterwords_17_56,
  S_hn_letterwords_17_57,
  S_hn_letterwords_17_58,
  S_hn_letterwords_17_59,
  S_hn_letterwords_17_60,
  S_hn_letterwords_17_61,
  S_hn_letterwords_17_62,
  S_hn_letterwords_17_63,
  S_hn_letterwords_17_64,
  S_hn_letterwords_17_65,
  S_hn_letterwords_17_66,
  S_hn_letterwords_17_67,
  S_hn_letterwords_17_68,
  S_hn_letterwords_17_69,
  S_hn_letterwords_17_70,
  S_hn_letterwords_17_71,
  S_hn_letterwords_17_72,
  S_hn_letterwords_17_73,
  S_hn_letterwords_17_74,
  S_hn_letterwords_17_75,
  S_hn_letterwords_17_76,
  S_hn_letterwords_17_77,
};
inline constexpr int THeaderNumStatistics_list_Count = 78;

// Columns of QMBH_CONCORDANCE_TIMELINE_LIST.
enum THeaderNumConcordance_timeline_list : uint8_t {
  CT_hn_N_18_0,
  CT_hn_File_18_1,
  CT_hn_Wordsapprox_18_2,
  CT_hn_Hits_18_3,
  CT_hn_per_18_4,
  CT_hn_Spread_18_5,
  CT_hn_Set_18_6,
  CT_hn_Timeline_18_7,
};
inline constexpr int THeaderNumConcordance_timeline_list_Count = 8;

// Columns of QMBH_ALIGNER_LIST.
enum THeaderNumAligner_list : uint8_t {
  A_hn_N_19_0,
  A_hn_Sentences_19_1,
  A_hn_Paragraphs_19_2,
};
inline constexpr int THeaderNumAligner_list_Count = 3;

// Columns of QMBH_TEXT_LIST.
enum THeaderNumText_list : uint8_t {
  T_hn_N_20_0,
  T_hn_Text_20_1,
};
inline constexpr int THeaderNumText_list_Count = 2;

// Columns of QMBH_KEYWORDS_CLUSTER_LIST.
enum THeaderNumKeywords_cluster_list : uint8_t {
  KC_hn_N_22_0,
  KC_hn_KWCluster_22_1,
  KC_hn_Freq_22_2,
};
inline constexpr int THeaderNumKeywords_cluster_list_Count = 3;

// Columns of QMBH_RELATIONSHIPS_LIST.
enum THeaderNumRelationships_list : uint8_t {
  R_hn_N_25_0,
  R_hn_Word_25_1,
  R_hn_Freq_25_2,
  R_hn_Word_25_3,
  R_hn_Freq_25_4,
  R_hn_Texts_25_5,
  R_hn_Gap_25_6,
  R_hn_Joint_25_7,
  R_hn_MI_25_8,
  R_hn_Z_25_9,
  R_hn_MI_25_10,
  R_hn_LogL_25_11,
  R_hn_TScore_25_12,
  R_hn_Dice_25_13,
  R_hn_LogRatio_25_14,
  R_hn_CondProbA_25_15,
  R_hn_CondProbB_25_16,
  R_hn_DeltaPA_25_17,
  R_hn_DeltaPB_25_18,
  R_hn_Set_25_19,
};
inline constexpr int THeaderNumRelationships_list_Count = 20;

// Columns of QMBH_CHARGRAM_LIST.
enum THeaderNumChargram_list : uint8_t {
  C_hn_N_30_0,
  C_hn_Chargram_30_1,
  C_hn_Position_30_2,
  C_hn_Freq_30_3,
  C_hn_Length_30_4,
  C_hn_Texts_30_5,
  C_hn_pc_30_6,
  C_hn_Contexts_30_7,
  C_hn_Set_30_8,
};
inline constexpr int THeaderNumChargram_list_Count = 9;

// Columns of QMBH_CHARGRAM_PATTERN_LIST.
enum THeaderNumChargram_pattern_list : uint8_t {
  CP_hn_N_31_0,
  CP_hn_L_31_1,
  CP_hn_L_31_2,
  CP_hn_L_31_3,
  CP_hn_Centre_31_4,
  CP_hn_R_31_5,
  CP_hn_R_31_6,
  CP_hn_R_31_7,
  CP_hn_Set_31_8,
};
inline constexpr int THeaderNumChargram_pattern_list_Count = 9;

// The number of standard columns of each kind. The undefined kind has no
// standard set: its count is 0.
extern const TEnumArray<TQuillmarkList, Int32, TQuillmarkList_Count> OfficialStandardNOfHeaders;
// The index of each kind's user-defined class column ("Set"), -1 for none.
extern const TEnumArray<TQuillmarkList, Int32, TQuillmarkList_Count> PredefinedSetColumnNumber;

// The default tables. Their rows carry no texts: a row's heading is
// HStringFromN(localization_number) and its hint that number plus 32768.
extern const std::array<TGrid_head_fixed, 9> QMBH_WORD_LIST;
extern const std::array<TGrid_head_fixed, 14> QMBH_KEY_WORD_LIST;
extern const std::array<TGrid_head_fixed, 8> QMBH_KEYWORDS_DATABASE;
extern const std::array<TGrid_head_fixed, 8> QMBH_DETAILED_CONSISTENCY_RELATIONS_LIST;
extern const std::array<TGrid_head_fixed, 6> QMBH_DETAILED_CONSISTENCY_LIST;
extern const std::array<TGrid_head_fixed, 19> QMBH_COLLOCATE_LIST;
extern const std::array<TGrid_head_fixed, 7> QMBH_KWDB_TIMELINE_LIST;
extern const std::array<TGrid_head_fixed, 15> QMBH_CONCORDANCE_LIST;
extern const std::array<TGrid_head_fixed, 7> QMBH_KEYWORDS_PLOT_LIST;
extern const std::array<TGrid_head_fixed, 7> QMBH_CONCORDANCE_PLOT_LIST;
extern const std::array<TGrid_head_fixed, 6> QMBH_CONCORDANCE_CLUSTER_LIST;
extern const std::array<TGrid_head_fixed, 12> QMBH_CONCORDANCE_PATTERN_LIST;
extern const std::array<TGrid_head_fixed, 6> QMBH_ASSOCIATE_LIST;
extern const std::array<TGrid_head_fixed, 4> QMBH_FILENAME_LIST;
extern const std::array<TGrid_head_fixed, 5> QMBH_LINK_LIST;
extern const std::array<TGrid_head_fixed, 78> QMBH_STATISTICS_LIST;
extern const std::array<TGrid_head_fixed, 8> QMBH_CONCORDANCE_TIMELINE_LIST;
extern const std::array<TGrid_head_fixed, 3> QMBH_ALIGNER_LIST;
extern const std::array<TGrid_head_fixed, 2> QMBH_TEXT_LIST;
extern const std::array<TGrid_head_fixed, 3> QMBH_KEYWORDS_CLUSTER_LIST;
extern const std::array<TGrid_head_fixed, 20> QMBH_RELATIONSHIPS_LIST;
extern const std::array<TGrid_head_fixed, 9> QMBH_CHARGRAM_LIST;
extern const std::array<TGrid_head_fixed, 9> QMBH_CHARGRAM_PATTERN_LIST;

// The default table of the kind; empty for the kinds that have none
// (lt_undefined, and the kinds whose standard set is blank headings).
std::span<const TGrid_head_fixed> DefaultHeadingTable(TQuillmarkList kind);

// The kind has a user-defined class column (its PredefinedSetColumnNumber is
// above 0).
bool ListHasASetColumn(TQuillmarkList kind);

// Unit start and stop (the unit has no work of its own).
void Base_headingsu_initialization();
void Base_headingsu_Finalization();

}  // namespace sk
