// Typed constants of the suite's vocabulary: the names under which list kinds
// are stored, the tools' file signatures, the list kinds that can be saved,
// lemmatised or marked, the magic numbers that close stored data, and the
// named tables of sort systems, timeline bases and statistics. The string
// tables at the end are filled from the message tables when the unit starts.
#pragma once

#include "core/Basic_types.h"
#include "core/Qm_specific_types.h"
#include "core/Sets.h"
#include "platform/runtime/RtlTypes.h"

namespace sk {

// The text a saved file's header stores to say which kind of list follows.
// These texts are compared exactly when a file is read, so they keep their
// historical spelling: " Text List" has a leading blank and
// "KWDB TimelineList" has no blank before "List".
inline constexpr TEnumArray<TQuillmarkList, const Char*, TQuillmarkList_Count> list_signature = {{
    u"undefined",
    u"Word List",
    u"Key Word List",
    u"KeyWords Database",
    u"Detailed Consistency Relations List",
    u"Detailed Consistency List",
    u"Collocate List",
    u"KWDB TimelineList",
    u"Concordance",
    u"KeyWords Plot",
    u"Concordance Plot",
    u"Concordance Cluster List",
    u"Concordance Pattern List",
    u"Associate List",
    u"Clump List",
    u"Filename List",
    u"Link List",
    u"Statistics List",
    u"Timeline List",
    u"Aligner List",
    u" Text List",
    u"Wordlist Index List",
    u"KeyWords ClusterList",
    u"Notes",
    u"source text",
    u"Mutual Information List",
    u"Viewer List",
    u"ConcGram List",
    u"Markup List",
    u"Section List",
    u"CharGram List",
    u"CharGram Pattern List",
    u"sorting",
    u"debug_only",
}};

// The signature value a saved file of each tool carries.
inline constexpr TEnumArray<tool_type, Int32, tool_type_Count> CurrentSignature = {{
    50, 50, 50, 50, 50, 50, 50, 50, 50, 50, 50, 50, 50, 50, 50, 50, 50, 789,
}};

// Class names of each tool's main form and wizard form (empty where a tool
// has none; only the first four tools have a wizard).
inline constexpr TEnumArray<tool_type, const Char*, tool_type_Count> QMMainFormClassnames = {{
    u"TWordlistMainForm",
    u"TConcordMainForm",
    u"TKeyWordsMainForm",
    u"TChargramsMainForm",
    u"",
    u"TAlignerMainForm",
    u"",
    u"TMinimalPairsMainForm",
    u"TFileUtilitiesMainForm",
    u"TCharacterProfilerMainForm",
    u"TLanguageChooserMainForm",
    u"",
    u"TFileViewerMainForm",
    u"TCorpusCheckerMainForm",
    u"TMediaPlayingMainForm",
    u"TTextConverterMainForm",
    u"TShellMainForm",
    u"",
}};
inline constexpr TEnumArray<tool_type, const Char*, tool_type_Count> QMWizardClassnames = {{
    u"TWordlistWizardForm",
    u"TConcordWizardForm",
    u"TKeyWordsWizardForm",
    u"TChargramsWizardForm",
    u"", u"", u"", u"", u"", u"", u"", u"", u"", u"", u"", u"", u"", u"",
}};

// List kinds that can be saved.
inline constexpr TQuillmarkList_set SaveableListTypes{
    lt_word_list,          lt_keyword_list,         lt_KW_database_list,
    lt_detailed_consistency_list, lt_KWDB_timeline_list, lt_concordance_list,
    lt_statistics_list,    lt_aligner_multiple_list, lt_wordlist_index_list,
    lt_index_relationship_list, lt_aligner_single_list, lt_chargram_list,
    lT_chargram_pattern_list,
};

// List kinds whose entries can be lemmatised.
inline constexpr TQuillmarkList_set LemmatisableListTypes{
    lt_word_list,           lt_keyword_list,         lt_detailed_consistency_list,
    lt_collocate_list,      lt_KW_plot_list,         lt_concordance_plot_list,
    lt_concordance_cluster_list, lt_kw_associate_list, lt_kw_clump_list,
    lt_wordlist_index_list, lt_kw_cluster_list,      lt_chargram_list,
    lT_chargram_pattern_list,
};

// List kinds whose entries can be marked.
inline constexpr TQuillmarkList_set MarkableListTypes{
    lt_word_list,           lt_keyword_list,         lt_detailed_consistency_list,
    lt_collocate_list,      lt_KWDB_timeline_list,   lt_KW_plot_list,
    lt_concordance_plot_list, lt_concordance_cluster_list, lt_kw_associate_list,
    lt_kw_clump_list,       lt_conc_timeline_list,   lt_wordlist_index_list,
    lt_kw_cluster_list,     lt_chargram_list,        lT_chargram_pattern_list,
};

// Closes saved lists, column-heading streams, stored private entry records and
// the sections file's data; a reader fails when the value read back differs.
inline constexpr Int32 sentinel_const = 6789;
inline constexpr Int32 sentinel_TEXTBUF_const = 102;
inline constexpr Int32 TagFileSignal = 987655;

// A ready-made pair of two true values.
inline constexpr T2_BooleanRec TwoBools_true{true, true};

// In typed search words: any string, and a line break (a slash, then a backslash).
inline constexpr Char string_any_string_symbol[] = u"}}}";
inline constexpr Char string_crlf_symbol[] = u"/\\";

// Variable names of search conditions.
inline constexpr TEnumArray<TSearchRequirementVarNames, const Char*, TSearchRequirementVarNames_Count>
    condition_varnames_strs = {{u"!C", u"!X", u"!Y", u"!#"}};

// Names of the TMathsFunctions values.
inline constexpr TEnumArray<TMathsFunctions, const Char*, 10> maths_functions = {{
    u"(pi)", u"RelC", u"Sqrt", u"Exp", u"Sin", u"Cos", u"Log", u"Sqr", u"Rel", u"Abs",
}};

// Menu entries that carry a check mark.
inline constexpr TMenu_tag_set CheckableMenuItems{
    7,   46,  55,  77,  80,  81,  87,  100, 101, 102, 105, 106, 107,
    112, 114, 117, 131, 138, 156, 157, 176, 177, 178, 181, 208, 209,
};

// Each tag wildcard a user types and the control character that stands for
// it while tags are matched.
using TTagWildcardPair = TEnumArray<Ttag_conversion, Char, Ttag_conversion_Count>;
inline constexpr TEnumArray<Ttag_wildcards, TTagWildcardPair, Ttag_wildcards_Count> tag_wildcards_converters = {{
    {{u'~', u'\x1F'}},
    {{u'^', u'\x1E'}},
    {{u'*', u'\x1D'}},
    {{u'?', u'\x1C'}},
    {{u'#', u'\x1B'}},
}};

// ---------------------------------------------------------------------------
// Display names taken from the message tables. Empty until the unit starts,
// so that they follow the language of the loaded message tables; emptied
// again when it stops.

inline SK_CONSTINIT_TEXT TEnumArray<TTimeLineDisplayBasis, String, 12> TimeLinePlotbaseStr;
inline SK_CONSTINIT_TEXT TEnumArray<TPLotSort, String, 4> PlotSortSystemStr;
inline SK_CONSTINIT_TEXT TEnumArray<TTimelineSort, String, 6> TimeLineSortSystemStr;
// "%d/%d" for every segment row: callers format it with the segment number
// and the number of segments.
inline SK_CONSTINIT_TEXT TEnumArray<TBaseDescriptive, String, TBaseDescriptive_Count> TBaseDescriptiveStrings;
inline SK_CONSTINIT_TEXT TEnumArray<Ttext_stats, String, 5> TextStatsStrings;
inline SK_CONSTINIT_TEXT TEnumArray<TConcordance_sort_system, String, TConcordance_sort_system_Count> conc_sort_str_arr;

// Unit start (fills the string tables) and stop (empties them).
void Qm_specific_consts_initialization();
void Qm_specific_consts_Finalization();

}  // namespace sk
