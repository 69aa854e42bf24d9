#include "core/Type_conversion.h"

#include "core/Qm_global_vars.h"
#include "core/UnitCounter.h"

namespace sk {

SK_COUNTER_ONLY_UNIT(Type_conversion)

tool_type ToolTypeFromListType(TQuillmarkList list) {
  switch (list) {
    case lt_word_list:
    case lt_detailed_consistency_relations_list:
    case lt_detailed_consistency_list:
    case lt_statistics_list:
    case lt_wordlist_index_list:
    case lt_index_relationship_list:
      return tt_wordlist;

    case lt_keyword_list:
    case lt_KW_database_list:
    case lt_KWDB_timeline_list:
    case lt_KW_plot_list:
    case lt_kw_associate_list:
    case lt_kw_clump_list:
    case lt_kw_link_list:
    case lt_kw_cluster_list:
      return tt_keywords;

    case lt_collocate_list:
    case lt_concordance_list:
    case lt_concordance_plot_list:
    case lt_concordance_cluster_list:
    case lt_concordance_pattern_list:
    case lt_conc_timeline_list:
      return tt_concord;

    case lt_aligner_multiple_list:
    case lt_plaintext_list:
    case lt_aligner_single_list:
      return tt_aligner;

    case lt_chargram_list:
    case lT_chargram_pattern_list:
      return tt_Chargrams;

    case lt_undefined:
    case lt_notes:
      return global_current_tool;

    case lt_filename_list:
    case lt_source_text:
    case lt_spare_concgram_list:
    case lt_markup_list:
    case lt_sections_list:
    case lt_sorting:
    case lt_debug_only:
      return tt_shell;
  }
  // A byte outside the enumeration (read from a damaged file) belongs to no
  // tool in particular.
  return tt_shell;
}

}  // namespace sk
