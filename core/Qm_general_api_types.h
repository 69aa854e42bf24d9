// Flat records for other programs that exchange word lists, key words,
// concordance lines, collocates and lemmas with the suite. They hold no
// managed types: every text is a zero-terminated fixed UTF-16 array with one
// element more than its name says, so the records can be passed as raw bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/runtime/RtlTypes.h"

namespace sk {

using TAPI_hundredwidechar = std::array<Char, 101>;
using TAPI_twohundredwidechar = std::array<Char, 201>;
using TAPI_threehundredwidechar = std::array<Char, 301>;
using TAPI_fivehundredwidechar = std::array<Char, 501>;
using TAPI_tenthousandwidechar = std::array<Char, 10001>;
using TAPI_maxpathwidechar = std::array<Char, 261>;

enum TAPIWordlistOrder : uint8_t { alphabetical_order, frequency_order, n_texts_order };

enum TAPIKeyWordsOrder : uint8_t {
  kw_alphabetical_order,
  kw_keyness_order,
  kw_frequency_order,
  kw_ref_corpus_frequency_order
};

enum TAPIRelationshipStats : uint8_t {
  MI_Dice,
  MI_MI,
  MI_MI3,
  MI_Z,
  MI_log_likelihood,
  MI_T_Score,
  MI_Log_Ratio
};
inline constexpr int TAPIRelationshipStats_Count = 7;

struct TAPIWordlistEntryRec {
  Int32 n_files;
  Int32 frequency;
  TAPI_twohundredwidechar word;
};

struct TAPIKeyWordsEntryRec {
  std::array<Int32, 2> frequencies;
  Double p_value;
  TAPI_twohundredwidechar word;
};

struct TAPISortInfoRec {
  Int32 start_position;
  Int32 length;
  Int32 barrier;
};

// Statistics texts of a concordance line: 20 bytes (ten UTF-16 units) each.
struct TAPISearchStatsRec {
  std::array<Char, 10> number;
  std::array<Char, 10> position;
  std::array<Char, 10> out_of;
};

struct TAPIConcordEntryRec {
  Int32 hit_characters;
  Int32 byte_position;
  Int32 word_num;
  Int32 midpoint;
  Int32 left_tag_distance;
  Int32 filenum_1_based_original;
  Int32 sw_number;
  Int32 tag_context_sortpos;
  Int32 percent_of_file;
  uint16_t has_percent;  // 16-bit Boolean: 0 false, anything else true
  std::array<TAPISortInfoRec, 12> sort_positions;
  TAPISearchStatsRec extras;
  TAPI_tenthousandwidechar conc_line;
};

struct TAPICollocateEntryRec {
  std::array<Single, TAPIRelationshipStats_Count> association_values;
  Int32 most_frequent;
  Int32 total;
  Int32 total_left;
  Int32 total_right;
  Int32 freqs_used;
  std::array<Int32, 51> freqs;
  TAPI_hundredwidechar w;
  Int32 sw_number;
};

struct TAPILemmaEntryRec {
  TAPI_hundredwidechar headword;
  TAPI_twohundredwidechar variants;
};

struct TAPI_lemmapair {
  TAPI_hundredwidechar headword;
  TAPI_hundredwidechar variant;
};

// The layouts other programs compile against (natural alignment).
static_assert(sizeof(TAPIWordlistEntryRec) == 412);
static_assert(sizeof(TAPIKeyWordsEntryRec) == 424);
static_assert(offsetof(TAPIKeyWordsEntryRec, word) == 16);
static_assert(sizeof(TAPISortInfoRec) == 12);
static_assert(sizeof(TAPISearchStatsRec) == 60);
static_assert(offsetof(TAPIConcordEntryRec, has_percent) == 36);
static_assert(offsetof(TAPIConcordEntryRec, sort_positions) == 40);
static_assert(offsetof(TAPIConcordEntryRec, extras) == 184);
static_assert(offsetof(TAPIConcordEntryRec, conc_line) == 244);
static_assert(sizeof(TAPIConcordEntryRec) == 20248);
static_assert(offsetof(TAPICollocateEntryRec, freqs) == 48);
static_assert(offsetof(TAPICollocateEntryRec, w) == 252);
static_assert(sizeof(TAPICollocateEntryRec) == 460);
static_assert(sizeof(TAPILemmaEntryRec) == 604);
static_assert(sizeof(TAPI_lemmapair) == 404);

// Unit start and stop (the unit has no work of its own).
void Qm_general_api_types_initialization();
void Qm_general_api_types_Finalization();

}  // namespace sk
