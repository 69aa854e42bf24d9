#include "analysis/Base_headingsu.h"

#include "core/UnitCounter.h"

namespace sk {

namespace {

// Row flags of the tables below.
enum : uint32_t {
  kNumerical = 1 << 0,
  kPercent = 1 << 1,
  kCase = 1 << 2,          // allow_case_change
  kWrap = 1 << 3,          // wordwrap
  kEditable = 1 << 4,      // editable: ed_tanto_faz
  kAlignConc = 1 << 5,     // alignment aligned_conc
  kAlignPlotting = 1 << 6, // alignment aligned_plotting
  kAlignDefault = 1 << 7,  // alignment aligned_default
  kUpperCase = 1 << 8,     // output_case upper_case_output
  kLowerCase = 1 << 9,     // output_case lower_case_output
};

// The minimum of the columns whose values may be any number.
constexpr Single kNoMinimum = -10000000.0f;

// One default row: everything zero or default except what the table gives.
constexpr TGrid_head_fixed Row(Int32 number, SmallInt index, TColumnType type, SmallInt width, Byte decimals,
                               Single minimum, uint32_t flags, Int32 help) {
  TGrid_head_fixed r{};
  r.SortStateAscending = b3_undefined;
  r.alignment = (flags & kAlignConc)       ? aligned_conc
                : (flags & kAlignPlotting) ? aligned_plotting
                : (flags & kAlignDefault)  ? aligned_default
                                           : aligned_right;
  r.output_case = (flags & kUpperCase)   ? upper_case_output
                  : (flags & kLowerCase) ? lower_case_output
                                         : as_it_comes_output;
  r.extra_column_type = tnc_cumulative_count;
  r.editable = (flags & kEditable) ? ed_tanto_faz : ed_nao_pode;
  r.wordwrap = (flags & kWrap) ? 1 : 0;
  r.allow_case_change = (flags & kCase) ? 1 : 0;
  r.numerical = (flags & kNumerical) ? 1 : 0;
  r.percent_data = (flags & kPercent) ? 1 : 0;
  r.minimum = minimum;
  r.decimals = decimals;
  r.original_column = index;
  r.pixel_width96 = width;
  r.HelpContext = help;
  r.localization_number = number;
  r.columntype = type;
  return r;
}

}  // namespace

constinit const TEnumArray<TQuillmarkList, Int32, TQuillmarkList_Count> OfficialStandardNOfHeaders = {{
    0,   // lt_undefined
    9,   // lt_word_list
    14,  // lt_keyword_list
    8,   // lt_KW_database_list
    8,   // lt_detailed_consistency_relations_list
    6,   // lt_detailed_consistency_list
    19,  // lt_collocate_list
    7,   // lt_KWDB_timeline_list
    15,  // lt_concordance_list
    7,   // lt_KW_plot_list
    7,   // lt_concordance_plot_list
    6,   // lt_concordance_cluster_list
    12,  // lt_concordance_pattern_list
    6,   // lt_kw_associate_list
    1,   // lt_kw_clump_list
    4,   // lt_filename_list
    5,   // lt_kw_link_list
    78,  // lt_statistics_list
    8,   // lt_conc_timeline_list
    3,   // lt_aligner_multiple_list
    2,   // lt_plaintext_list
    9,   // lt_wordlist_index_list
    3,   // lt_kw_cluster_list
    1,   // lt_notes
    1,   // lt_source_text
    20,  // lt_index_relationship_list
    1,   // lt_aligner_single_list
    1,   // lt_spare_concgram_list
    1,   // lt_markup_list
    1,   // lt_sections_list
    9,   // lt_chargram_list
    9,   // lT_chargram_pattern_list
    1,   // lt_sorting
    1,   // lt_debug_only
}};

constinit const TEnumArray<TQuillmarkList, Int32, TQuillmarkList_Count> PredefinedSetColumnNumber = {{
    -1,  // lt_undefined
    8,   // lt_word_list
    13,  // lt_keyword_list
    7,   // lt_KW_database_list
    7,   // lt_detailed_consistency_relations_list
    5,   // lt_detailed_consistency_list
    14,  // lt_collocate_list
    5,   // lt_KWDB_timeline_list
    2,   // lt_concordance_list
    -1,  // lt_KW_plot_list
    -1,  // lt_concordance_plot_list
    3,   // lt_concordance_cluster_list
    -1,  // lt_concordance_pattern_list
    5,   // lt_kw_associate_list
    -1,  // lt_kw_clump_list
    -1,  // lt_filename_list
    -1,  // lt_kw_link_list
    -1,  // lt_statistics_list
    6,   // lt_conc_timeline_list
    -1,  // lt_aligner_multiple_list
    -1,  // lt_plaintext_list
    8,   // lt_wordlist_index_list
    -1,  // lt_kw_cluster_list
    -1,  // lt_notes
    -1,  // lt_source_text
    19,  // lt_index_relationship_list
    -1,  // lt_aligner_single_list
    -1,  // lt_spare_concgram_list
    -1,  // lt_markup_list
    -1,  // lt_sections_list
    8,   // lt_chargram_list
    8,   // lT_chargram_pattern_list
    -1,  // lt_sorting
    -1,  // lt_debug_only
}};

constinit const std::array<TGrid_head_fixed, 9> QMBH_WORD_LIST = {{
    Row(200, 0, ct_integer, 48, 0, 0.0f, kNumerical, 0),
    Row(201, 1, ct_string, 196, 0, 0.0f, kCase | kEditable, 4560),
    Row(202, 2, ct_integer, 96, 0, 0.0f, kNumerical | kEditable, 4560),
    Row(203, 3, ct_float, 64, 2, 0.01f, kNumerical | kPercent, 4560),
    Row(204, 4, ct_integer, 64, 0, 0.0f, kNumerical | kEditable, 2770),
    Row(205, 5, ct_float, 64, 2, 0.01f, kNumerical | kPercent, 2770),
    Row(206, 6, ct_float, 64, 2, 0.0f, kNumerical | kPercent, 2770),
    Row(207, 7, ct_string, 48, 0, 0.0f, kCase, 2795),
    Row(208, 8, ct_string, 24, 0, 0.0f, kCase | kEditable, 1950),
}};

constinit const std::array<TGrid_head_fixed, 14> QMBH_KEY_WORD_LIST = {{
    Row(300, 0, ct_integer, 48, 0, 0.0f, kNumerical, 0),
    Row(301, 1, ct_string, 192, 0, 0.0f, kCase | kEditable, 2420),
    Row(302, 2, ct_integer, 64, 0, 0.0f, kNumerical | kEditable, 2420),
    Row(303, 3, ct_integer, 64, 0, 0.0f, kNumerical | kPercent, 2420),
    Row(304, 4, ct_integer, 64, 0, 0.0f, kNumerical, 2420),
    Row(305, 5, ct_integer, 64, 0, 0.0f, kNumerical, 2420),
    Row(306, 6, ct_float, 64, 2, 0.01f, kNumerical | kPercent, 2420),
    Row(307, 7, ct_float, 72, 2, kNoMinimum, kNumerical, 2420),
    Row(308, 8, ct_float, 72, 2, kNoMinimum, kNumerical, 2420),
    Row(309, 9, ct_float, 72, 2, kNoMinimum, kNumerical, 2420),
    Row(310, 10, ct_float, 72, 2, kNoMinimum, kNumerical, 2420),
    Row(311, 11, ct_float, 144, 10, kNoMinimum, kNumerical, 2420),
    Row(312, 12, ct_string, 48, 0, 0.0f, kCase | kLowerCase, 2795),
    Row(313, 13, ct_string, 24, 0, 0.0f, kCase | kEditable, 1950),
}};

constinit const std::array<TGrid_head_fixed, 8> QMBH_KEYWORDS_DATABASE = {{
    Row(400, 0, ct_integer, 48, 0, 0.0f, kNumerical, 0),
    Row(401, 1, ct_string, 196, 0, 0.0f, kCase | kEditable, 2310),
    Row(402, 2, ct_integer, 64, 0, 0.0f, kNumerical, 2310),
    Row(403, 3, ct_float, 64, 2, 0.01f, kNumerical | kPercent, 2310),
    Row(404, 4, ct_integer, 64, 0, 0.0f, kNumerical, 2310),
    Row(405, 5, ct_integer, 64, 0, 0.0f, kNumerical, 2310),
    Row(406, 6, ct_string, 288, 0, 0.0f, kCase | kLowerCase, 2310),
    Row(407, 7, ct_string, 48, 0, 0.0f, kCase | kEditable, 1950),
}};

constinit const std::array<TGrid_head_fixed, 8> QMBH_DETAILED_CONSISTENCY_RELATIONS_LIST = {{
    Row(500, 0, ct_integer, 48, 0, 0.0f, kNumerical, 0),
    Row(501, 1, ct_string, 144, 0, 0.0f, kCase, 2760),
    Row(502, 2, ct_integer, 48, 0, 0.0f, kNumerical, 2760),
    Row(503, 3, ct_string, 144, 0, 0.0f, 0, 2760),
    Row(504, 4, ct_integer, 48, 0, 0.0f, kNumerical, 2760),
    Row(505, 5, ct_integer, 48, 0, 0.0f, kNumerical, 2760),
    Row(506, 6, ct_float, 48, 3, kNoMinimum, kNumerical, 2760),
    Row(507, 7, ct_string, 24, 0, 0.0f, kCase | kEditable, 1950),
}};

constinit const std::array<TGrid_head_fixed, 6> QMBH_DETAILED_CONSISTENCY_LIST = {{
    Row(600, 0, ct_integer, 48, 0, 0.0f, kNumerical, 0),
    Row(601, 1, ct_string, 196, 0, 0.0f, kCase | kEditable, 2760),
    Row(602, 2, ct_integer, 64, 0, 0.0f, kNumerical | kEditable, 2760),
    Row(603, 3, ct_integer, 64, 0, 0.0f, kNumerical, 2760),
    Row(604, 4, ct_integer, 24, 0, 0.0f, kNumerical, 2795),
    Row(605, 5, ct_string, 24, 0, 0.0f, kCase | kEditable, 1950),
}};

constinit const std::array<TGrid_head_fixed, 19> QMBH_COLLOCATE_LIST = {{
    Row(700, 0, ct_integer, 48, 0, 0.0f, kNumerical, 0),
    Row(701, 1, ct_string, 196, 0, 0.0f, kCase | kEditable, 1980),
    Row(702, 2, ct_string, 96, 0, 0.0f, kCase | kEditable, 1980),
    Row(703, 3, ct_float, 64, 2, kNoMinimum, kNumerical, 1980),
    Row(704, 4, ct_float, 64, 2, kNoMinimum, kNumerical, 1980),
    Row(705, 5, ct_float, 64, 2, kNoMinimum, kNumerical, 1980),
    Row(706, 6, ct_float, 64, 2, kNoMinimum, kNumerical, 1980),
    Row(707, 7, ct_float, 64, 2, kNoMinimum, kNumerical, 1980),
    Row(708, 8, ct_float, 64, 2, kNoMinimum, kNumerical, 1980),
    Row(709, 9, ct_float, 64, 2, kNoMinimum, kNumerical, 1980),
    Row(710, 10, ct_float, 64, 2, kNoMinimum, kNumerical, 1980),
    Row(711, 11, ct_float, 64, 2, kNoMinimum, kNumerical, 1980),
    Row(712, 12, ct_float, 64, 2, kNoMinimum, kNumerical, 2820),
    Row(713, 13, ct_float, 64, 2, kNoMinimum, kNumerical, 2820),
    Row(714, 14, ct_string, 24, 0, 0.0f, kCase | kEditable, 1950),
    Row(715, 15, ct_integer, 64, 0, 0.0f, kNumerical, 1980),
    Row(716, 16, ct_integer, 64, 0, 0.0f, kNumerical, 1980),
    Row(717, 17, ct_integer, 64, 0, 0.0f, kNumerical, 1980),
    Row(718, 18, ct_integer, 64, 0, 0.0f, kNumerical, 1980),
}};

constinit const std::array<TGrid_head_fixed, 7> QMBH_KWDB_TIMELINE_LIST = {{
    Row(800, 0, ct_integer, 48, 0, 0.0f, kNumerical, 0),
    Row(801, 1, ct_string, 144, 0, 0.0f, kEditable, 5560),
    Row(802, 2, ct_integer, 64, 0, 0.0f, kNumerical, 5560),
    Row(803, 3, ct_float, 48, 2, 0.01f, kNumerical, 5560),
    Row(804, 4, ct_float, 48, 3, kNoMinimum, kNumerical, 4600),
    Row(805, 5, ct_string, 24, 0, 0.0f, kCase | kEditable, 1950),
    Row(806, 6, ct_string, 480, 0, 0.0f, kCase | kAlignPlotting | kUpperCase, 5560),
}};

constinit const std::array<TGrid_head_fixed, 15> QMBH_CONCORDANCE_LIST = {{
    Row(900, 0, ct_integer, 48, 0, 0.0f, kNumerical, 2040),
    Row(901, 1, ct_string, 480, 0, 0.0f, kCase | kAlignConc, 2040),
    Row(902, 2, ct_string, 24, 0, 0.0f, kCase | kEditable, 1950),
    Row(903, 3, ct_string, 24, 0, 0.0f, kCase, 2120),
    Row(904, 4, ct_integer, 24, 0, 0.0f, kNumerical, 2040),
    Row(905, 5, ct_integer, 24, 0, 0.0f, kNumerical, 2040),
    Row(906, 6, ct_integer, 24, 0, 0.0f, kNumerical, 2040),
    Row(907, 7, ct_integer, 24, 0, 0.0f, kNumerical, 2040),
    Row(908, 8, ct_integer, 24, 0, 0.0f, kNumerical, 2040),
    Row(909, 9, ct_integer, 24, 0, 0.0f, kNumerical, 2040),
    Row(910, 10, ct_integer, 24, 0, 0.0f, kNumerical, 2040),
    Row(911, 11, ct_integer, 24, 0, 0.0f, kNumerical, 2040),
    Row(912, 12, ct_string, 144, 0, 0.0f, kCase, 2040),
    Row(913, 13, ct_date, 96, 0, 0.0f, kCase, 2040),
    Row(914, 14, ct_integer, 48, 0, 0.0f, kNumerical | kPercent, 2040),
}};

constinit const std::array<TGrid_head_fixed, 7> QMBH_KEYWORDS_PLOT_LIST = {{
    Row(1000, 0, ct_integer, 48, 0, 0.0f, kNumerical, 0),
    Row(1001, 1, ct_string, 144, 0, 0.0f, kCase | kEditable, 2390),
    Row(1002, 2, ct_float, 64, 3, kNoMinimum, kNumerical, 4600),
    Row(1003, 3, ct_float, 64, 2, kNoMinimum, kNumerical, 2420),
    Row(1004, 4, ct_integer, 48, 0, 0.0f, kNumerical, 2390),
    Row(1005, 5, ct_integer, 48, 0, 0.0f, kNumerical | kEditable, 2390),
    Row(1006, 6, ct_string, 480, 0, 0.0f, kAlignPlotting | kUpperCase, 2390),
}};

constinit const std::array<TGrid_head_fixed, 7> QMBH_CONCORDANCE_PLOT_LIST = {{
    Row(1100, 0, ct_integer, 48, 0, 0.0f, kNumerical, 0),
    Row(1101, 1, ct_string, 96, 0, 0.0f, kCase | kWrap, 2010),
    Row(1102, 2, ct_integer, 64, 0, 0.0f, kNumerical, 2010),
    Row(1103, 3, ct_integer, 64, 0, 0.0f, kNumerical, 2010),
    Row(1104, 4, ct_float, 64, 2, 0.01f, kNumerical, 2010),
    Row(1105, 5, ct_float, 64, 3, kNoMinimum, kNumerical, 4600),
    Row(1106, 6, ct_string, 480, 0, 0.0f, kCase | kAlignPlotting | kUpperCase, 2010),
}};

constinit const std::array<TGrid_head_fixed, 6> QMBH_CONCORDANCE_CLUSTER_LIST = {{
    Row(1200, 0, ct_integer, 48, 0, 0.0f, kNumerical, 0),
    Row(1201, 1, ct_string, 288, 0, 0.0f, kCase, 2000),
    Row(1202, 2, ct_integer, 64, 0, 0.0f, kNumerical, 2000),
    Row(1203, 3, ct_string, 24, 0, 0.0f, kCase | kEditable, 1950),
    Row(1204, 4, ct_integer, 48, 0, 0.0f, kNumerical, 2000),
    Row(1205, 5, ct_string, 288, 0, 0.0f, 0, 2000),
}};

constinit const std::array<TGrid_head_fixed, 12> QMBH_CONCORDANCE_PATTERN_LIST = {{
    Row(1300, 0, ct_integer, 72, 0, 0.0f, kNumerical, 0),
    Row(1301, 1, ct_string, 96, 0, 0.0f, kCase, 2130),
    Row(1302, 2, ct_string, 96, 0, 0.0f, kCase, 2130),
    Row(1303, 3, ct_string, 96, 0, 0.0f, kCase, 2130),
    Row(1304, 4, ct_string, 96, 0, 0.0f, kCase, 2130),
    Row(1305, 5, ct_string, 96, 0, 0.0f, kCase, 2130),
    Row(1306, 6, ct_string, 96, 0, 0.0f, kCase, 2130),
    Row(1307, 7, ct_string, 72, 0, 0.0f, kCase, 2130),
    Row(1308, 8, ct_string, 96, 0, 0.0f, kCase, 2130),
    Row(1309, 9, ct_string, 96, 0, 0.0f, kCase, 2130),
    Row(1310, 10, ct_string, 96, 0, 0.0f, kCase, 2130),
    Row(1311, 11, ct_string, 96, 0, 0.0f, kCase, 2130),
}};

constinit const std::array<TGrid_head_fixed, 6> QMBH_ASSOCIATE_LIST = {{
    Row(1400, 0, ct_integer, 48, 0, 0.0f, kNumerical, 2230),
    Row(1401, 1, ct_string, 196, 0, 0.0f, kCase | kEditable, 2230),
    Row(1402, 2, ct_float, 64, 3, kNoMinimum, kNumerical, 2230),
    Row(1403, 3, ct_integer, 64, 0, 0.0f, kNumerical, 2230),
    Row(1404, 4, ct_float, 64, 2, 0.01f, kNumerical | kPercent, 2230),
    Row(1405, 5, ct_string, 24, 0, 0.0f, kCase | kEditable, 1950),
}};

constinit const std::array<TGrid_head_fixed, 4> QMBH_FILENAME_LIST = {{
    Row(1600, 0, ct_integer, 48, 0, 0.0f, kNumerical, 0),
    Row(1601, 1, ct_string, 336, 0, 0.0f, kCase | kEditable, 1450),
    Row(1602, 2, ct_integer, 120, 0, 0.0f, kNumerical | kEditable, 2850),
    Row(1603, 3, ct_date, 120, 0, 0.0f, kCase, 2040),
}};

constinit const std::array<TGrid_head_fixed, 5> QMBH_LINK_LIST = {{
    Row(1700, 0, ct_integer, 48, 0, 0.0f, kNumerical, 0),
    Row(1701, 1, ct_string, 196, 0, 0.0f, kCase | kEditable, 2340),
    Row(1702, 2, ct_integer, 64, 0, 0.0f, kNumerical, 2340),
    Row(1703, 3, ct_integer, 64, 0, 0.0f, kNumerical | kEditable, 2340),
    Row(1704, 4, ct_string, 288, 0, 0.0f, kCase | kLowerCase, 2340),
}};

constinit const std::array<TGrid_head_fixed, 78> QMBH_STATISTICS_LIST = {{
    Row(1800, 0, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1801, 1, ct_string, 192, 0, 0.0f, kCase | kEditable, 2850),
    Row(1802, 2, ct_integer, 120, 0, 0.0f, kNumerical, 2850),
    Row(1803, 3, ct_integer, 120, 0, 0.0f, kNumerical | kEditable, 2850),
    Row(1804, 4, ct_integer, 120, 0, 0.0f, kNumerical, 2850),
    Row(1805, 5, ct_integer, 48, 0, 0.01f, kNumerical, 2850),
    Row(1806, 6, ct_integer, 120, 0, 0.0f, kNumerical, 2850),
    Row(1807, 7, ct_float, 64, 2, 0.01f, kNumerical, 2850),
    Row(1808, 8, ct_float, 64, 2, 0.01f, kNumerical, 2850),
    Row(1809, 9, ct_float, 48, 2, 0.01f, kNumerical, 2850),
    Row(1810, 10, ct_integer, 64, 0, 0.0f, kNumerical, 2850),
    Row(1811, 11, ct_float, 48, 2, 0.01f, kNumerical, 2850),
    Row(1812, 12, ct_float, 48, 2, 0.01f, kNumerical, 2850),
    Row(1813, 13, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1814, 14, ct_float, 48, 2, 0.01f, kNumerical, 2850),
    Row(1815, 15, ct_float, 48, 2, 0.01f, kNumerical, 2850),
    Row(1816, 16, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1817, 17, ct_float, 48, 2, 0.01f, kNumerical, 2850),
    Row(1818, 18, ct_float, 48, 2, 0.01f, kNumerical, 2850),
    Row(1819, 19, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1820, 20, ct_float, 48, 2, 0.01f, kNumerical, 2850),
    Row(1821, 21, ct_float, 48, 2, 0.01f, kNumerical, 2850),
    Row(1822, 22, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1823, 23, ct_float, 48, 2, 0.01f, kNumerical, 2850),
    Row(1824, 24, ct_float, 48, 2, 0.01f, kNumerical, 2850),
    Row(1825, 25, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1826, 26, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1827, 27, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1828, 28, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1829, 29, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1830, 30, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1831, 31, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1832, 32, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1833, 33, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1834, 34, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1835, 35, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1836, 36, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1837, 37, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1838, 38, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1839, 39, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1840, 40, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1841, 41, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1842, 42, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1843, 43, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1844, 44, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1845, 45, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1846, 46, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1847, 47, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1848, 48, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1849, 49, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1850, 50, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1851, 51, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1852, 52, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1853, 53, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1854, 54, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1855, 55, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1856, 56, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1857, 57, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1858, 58, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1859, 59, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1860, 60, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1861, 61, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1862, 62, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1863, 63, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1864, 64, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1865, 65, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1866, 66, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1867, 67, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1868, 68, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1869, 69, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1870, 70, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1871, 71, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1872, 72, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1873, 73, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1874, 74, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1875, 75, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1876, 76, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
    Row(1877, 77, ct_integer, 48, 0, 0.0f, kNumerical, 2850),
}};

constinit const std::array<TGrid_head_fixed, 8> QMBH_CONCORDANCE_TIMELINE_LIST = {{
    Row(1900, 0, ct_integer, 48, 0, 0.0f, kNumerical, 0),
    Row(1901, 1, ct_string, 96, 0, 0.0f, kCase, 5560),
    Row(1902, 2, ct_integer, 48, 0, 0.0f, kNumerical, 5560),
    Row(1903, 3, ct_integer, 48, 0, 0.0f, kNumerical, 5560),
    Row(1904, 4, ct_float, 48, 2, 0.01f, kNumerical, 5560),
    Row(1905, 5, ct_float, 48, 3, kNoMinimum, kNumerical, 4600),
    Row(1906, 6, ct_string, 24, 0, 0.0f, kCase | kEditable, 1950),
    Row(1907, 7, ct_string, 480, 0, 0.0f, kCase | kAlignPlotting | kUpperCase, 5560),
}};

constinit const std::array<TGrid_head_fixed, 3> QMBH_ALIGNER_LIST = {{
    Row(2000, 0, ct_integer, 48, 0, 0.0f, kNumerical, 0),
    Row(2001, 1, ct_string, 480, 0, 0.0f, kCase | kEditable, 2600),
    Row(2002, 2, ct_string, 480, 0, 0.0f, kCase | kEditable, 2600),
}};

constinit const std::array<TGrid_head_fixed, 2> QMBH_TEXT_LIST = {{
    Row(2100, 0, ct_integer, 48, 0, 0.0f, kNumerical, 0),
    Row(2101, 1, ct_string, 336, 0, 0.0f, kCase | kEditable | kAlignDefault, 2640),
}};

constinit const std::array<TGrid_head_fixed, 3> QMBH_KEYWORDS_CLUSTER_LIST = {{
    Row(2300, 0, ct_integer, 48, 0, 0.0f, kNumerical, 4570),
    Row(2301, 1, ct_string, 384, 0, 0.0f, kCase | kEditable, 4570),
    Row(2302, 2, ct_integer, 64, 0, 0.0f, kNumerical, 4570),
}};

constinit const std::array<TGrid_head_fixed, 20> QMBH_RELATIONSHIPS_LIST = {{
    Row(2600, 0, ct_integer, 48, 0, 0.0f, kNumerical, 0),
    Row(2601, 1, ct_string, 144, 0, 0.0f, kCase | kEditable, 2820),
    Row(2602, 2, ct_integer, 64, 0, 0.0f, kNumerical | kEditable, 2820),
    Row(2603, 3, ct_string, 144, 0, 0.0f, kCase | kEditable, 2820),
    Row(2604, 4, ct_integer, 64, 0, 0.0f, kNumerical | kEditable, 2820),
    Row(2605, 5, ct_integer, 64, 0, 0.0f, kNumerical, 2820),
    Row(2606, 6, ct_integer, 36, 0, 0.0f, kNumerical, 2820),
    Row(2607, 7, ct_integer, 64, 0, 0.0f, kNumerical | kEditable, 2820),
    Row(2608, 8, ct_float, 72, 2, kNoMinimum, kNumerical, 2820),
    Row(2609, 9, ct_float, 72, 2, kNoMinimum, kNumerical, 2820),
    Row(2610, 10, ct_float, 72, 2, kNoMinimum, kNumerical, 2820),
    Row(2611, 11, ct_float, 72, 2, kNoMinimum, kNumerical, 2820),
    Row(2612, 12, ct_float, 72, 2, kNoMinimum, kNumerical, 2820),
    Row(2613, 13, ct_float, 72, 2, kNoMinimum, kNumerical, 2820),
    Row(2614, 14, ct_float, 72, 2, kNoMinimum, kNumerical, 2820),
    Row(2615, 15, ct_float, 72, 2, kNoMinimum, kNumerical, 2820),
    Row(2616, 16, ct_float, 72, 2, kNoMinimum, kNumerical, 2820),
    Row(2617, 17, ct_float, 72, 2, kNoMinimum, kNumerical, 2820),
    Row(2618, 18, ct_float, 72, 2, kNoMinimum, kNumerical, 2820),
    Row(2619, 19, ct_string, 24, 0, 0.0f, kCase | kEditable, 1950),
}};

constinit const std::array<TGrid_head_fixed, 9> QMBH_CHARGRAM_LIST = {{
    Row(3100, 0, ct_integer, 48, 0, 0.0f, kNumerical, 0),
    Row(3101, 1, ct_string, 144, 0, 0.0f, kCase | kEditable, 2986),
    Row(3102, 2, ct_string, 144, 0, 0.0f, kCase, 2986),
    Row(3103, 3, ct_integer, 64, 0, 0.0f, kNumerical | kEditable, 2986),
    Row(3104, 4, ct_integer, 64, 0, 0.0f, kNumerical, 2986),
    Row(3105, 5, ct_integer, 64, 0, 0.0f, kNumerical, 2986),
    Row(3106, 6, ct_float, 64, 2, 0.01f, kNumerical | kPercent, 2986),
    Row(3107, 7, ct_string, 288, 0, 0.0f, kCase, 2986),
    Row(3108, 8, ct_string, 24, 0, 0.0f, kCase | kEditable, 1950),
}};

constinit const std::array<TGrid_head_fixed, 9> QMBH_CHARGRAM_PATTERN_LIST = {{
    Row(3200, 0, ct_integer, 48, 0, 0.0f, kNumerical, 0),
    Row(3201, 1, ct_string, 96, 0, 0.0f, kCase | kEditable, 2130),
    Row(3202, 2, ct_string, 96, 0, 0.0f, kCase | kEditable, 2130),
    Row(3203, 3, ct_string, 96, 0, 0.0f, kCase | kEditable, 2130),
    Row(3204, 4, ct_string, 96, 0, 0.0f, kCase | kEditable, 2130),
    Row(3205, 5, ct_string, 96, 0, 0.0f, kCase | kEditable, 2130),
    Row(3206, 6, ct_string, 96, 0, 0.0f, kCase | kEditable, 2130),
    Row(3207, 7, ct_string, 96, 0, 0.0f, kCase | kEditable, 2130),
    Row(3208, 8, ct_string, 24, 0, 0.0f, kCase | kEditable, 1950),
}};

std::span<const TGrid_head_fixed> DefaultHeadingTable(TQuillmarkList kind) {
  switch (kind) {
    case lt_word_list:
    case lt_wordlist_index_list:
      return QMBH_WORD_LIST;
    case lt_keyword_list:
      return QMBH_KEY_WORD_LIST;
    case lt_KW_database_list:
      return QMBH_KEYWORDS_DATABASE;
    case lt_detailed_consistency_relations_list:
      return QMBH_DETAILED_CONSISTENCY_RELATIONS_LIST;
    case lt_detailed_consistency_list:
      return QMBH_DETAILED_CONSISTENCY_LIST;
    case lt_collocate_list:
      return QMBH_COLLOCATE_LIST;
    case lt_KWDB_timeline_list:
      return QMBH_KWDB_TIMELINE_LIST;
    case lt_concordance_list:
      return QMBH_CONCORDANCE_LIST;
    case lt_KW_plot_list:
      return QMBH_KEYWORDS_PLOT_LIST;
    case lt_concordance_plot_list:
      return QMBH_CONCORDANCE_PLOT_LIST;
    case lt_concordance_cluster_list:
      return QMBH_CONCORDANCE_CLUSTER_LIST;
    case lt_concordance_pattern_list:
      return QMBH_CONCORDANCE_PATTERN_LIST;
    case lt_kw_associate_list:
      return QMBH_ASSOCIATE_LIST;
    case lt_filename_list:
      return QMBH_FILENAME_LIST;
    case lt_kw_link_list:
      return QMBH_LINK_LIST;
    case lt_statistics_list:
      return QMBH_STATISTICS_LIST;
    case lt_conc_timeline_list:
      return QMBH_CONCORDANCE_TIMELINE_LIST;
    case lt_aligner_multiple_list:
      return QMBH_ALIGNER_LIST;
    case lt_plaintext_list:
      return QMBH_TEXT_LIST;
    case lt_kw_cluster_list:
      return QMBH_KEYWORDS_CLUSTER_LIST;
    case lt_index_relationship_list:
      return QMBH_RELATIONSHIPS_LIST;
    case lt_chargram_list:
      return QMBH_CHARGRAM_LIST;
    case lT_chargram_pattern_list:
      return QMBH_CHARGRAM_PATTERN_LIST;
    default:
      return {};
  }
}

bool ListHasASetColumn(TQuillmarkList kind) {
  if (static_cast<int>(kind) >= TQuillmarkList_Count) return false;
  return PredefinedSetColumnNumber[kind] > 0;
}

SK_COUNTER_ONLY_UNIT(Base_headingsu)

}  // namespace sk
