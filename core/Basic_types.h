// The plain records, enumerations, fixed arrays, sets and callback types that
// the whole library and the tools share.
//
// Layout rules: records are laid out in field order with natural alignment.
// Records that are written to files raw keep that layout byte for byte (the
// alignment gaps are part of the stored form); their Boolean fields are bytes
// (uint8_t) so that any byte read back is a valid value. Field names ending in
// _1B hold 1-based numbers, those ending in _0B 0-based ones.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <tuple>
#include <vector>

#include "core/Sets.h"
#include "platform/runtime/RtlTypes.h"

namespace sk {

class TEncoding;    // platform/runtime/Encoding.h
class TStringList;  // platform/runtime/StringList.h

// ---------------------------------------------------------------------------
// Fixed character arrays. Each holds one element more than its name says; the
// last is normally the terminating zero.

using tenansichar = std::array<AnsiChar, 11>;
using eightyansichar = std::array<AnsiChar, 81>;
using onewidechar = std::array<Char, 2>;
using twowidechar = std::array<Char, 3>;
using threewidechar = std::array<Char, 4>;
using fourwidechar = std::array<Char, 5>;
using tenwidechar = std::array<Char, 11>;
using twentywidechar = std::array<Char, 21>;
using thirtywidechar = std::array<Char, 31>;
using fortywidechar = std::array<Char, 41>;
using fiftywidechar = std::array<Char, 51>;
using sixtywidechar = std::array<Char, 61>;
using eightywidechar = std::array<Char, 81>;
using ninety_ninewidechar = std::array<Char, 100>;
using hundredwidechar = std::array<Char, 101>;
using hundredandtwentytwowidechar = std::array<Char, 123>;
using twohundredwidechar = std::array<Char, 201>;
using twohundred22widechar = std::array<Char, 223>;
using fourhundredwidechar = std::array<Char, 401>;
using twohundred55char = std::array<Char, 256>;  // 256 UTF-16 units, not 255 bytes
using maxpathwidechar = std::array<Char, 261>;

// A zero-terminated UTF-16 text owned by its holder; it may be nil. Copying
// copies the text, so two holders never share (or free) the same buffer.
class TOwnedPWideChar {
 public:
  TOwnedPWideChar() = default;
  // A copy of s with a terminating zero (an empty s gives an empty text, not nil).
  explicit TOwnedPWideChar(const String& s);
  // A copy of the zero-terminated text p; nil stays nil.
  explicit TOwnedPWideChar(const Char* p);
  TOwnedPWideChar(const TOwnedPWideChar& other);
  TOwnedPWideChar(TOwnedPWideChar&& other) noexcept = default;
  TOwnedPWideChar& operator=(const TOwnedPWideChar& other);
  TOwnedPWideChar& operator=(TOwnedPWideChar&& other) noexcept = default;
  TOwnedPWideChar& operator=(const String& s);

  bool IsNil() const { return fText == nullptr; }
  const Char* get() const { return fText.get(); }
  Char* get() { return fText.get(); }
  // Units before the terminating zero (0 for nil).
  size_t Length() const;
  // The text up to its terminating zero; empty for nil.
  String ToString() const;
  void Reset() { fText.reset(); }

 private:
  std::unique_ptr<Char[]> fText;
};

// ---------------------------------------------------------------------------
// Enumerations (one byte each; values in ordinal order from 0).

enum TBatchMode : uint8_t {
  bm_not_batch,
  bm_one_batchfile_individual_data,
  bm_year_batchfile,
  bm_month_batchfile,
  bm_folder_batchfiles_individual_data,
  bm_folder_batchfiles_folderfuls_of_data
};
enum TConditionOrder : uint8_t { cct_FIRST, cct_SECOND };
enum TStringSimilarity : uint8_t { ss_same, ss_variants, ss_first_str_lower, ss_second_str_lower };
enum TEnableDisable : uint8_t { ed_enable, ed_disable };
enum TForeOrBackground : uint8_t { fb_foregound, fb_background };
enum TStringTagMatchingRule : uint8_t {
  stm_all_asterisks_allowed,
  stm_one_asterisk_allowed,
  stm_no_asterisks_allowed
};
enum TOutput_results_case : uint8_t {
  as_it_comes_output,
  upper_case_output,
  title_case_output,
  lower_case_output
};
enum Ttag_on_off : uint8_t { tag_on, tag_off };
enum TSimpleOrAdvanced : uint8_t { tsa_simple, tsa_advanced };
enum TTagDisplayFormatPreference : uint8_t {
  tfp_sourcetext,
  tfp_defined,
  tfp_description,
  tfp_attribute,
  tfp_first_attribute,
  tfp_last_attribute
};
enum TWordOrTag : uint8_t { twt_word, twt_tag };
enum TTagWordPrecedence : uint8_t { tag_before_word, tag_after_word };
enum TStatsDataType : uint8_t { tsdt_float, tsdt_string };
enum TIndexFileOpeningMode : uint8_t { ifom_create, ifom_read_and_add_now, ifom_read_only };
enum TFindItems : uint8_t { fi_string, fi_StringTag, fi_PcharTagArray, fi_StringTagArray };
enum TQMFilestatus : uint8_t { fs_unknown, fs_exists, fs_not_found };
enum TFileFilter : uint8_t { ff_unsure, ff_met_requirements, ff_filtered_out };
enum TWantedOrModified : uint8_t { is_wanted, is_modified };
enum TTagFileHandling : uint8_t { th_keeping, th_translation, th_excluding };
enum TParseStringStage : uint8_t {
  parse_setup_allowables,
  parse_setup_wchars,
  parse_handle_middlechars_allowables
};
enum TWholeOrPart : uint8_t { wp_whole, wp_part };
enum TLoggingLevel : uint8_t { log_nothing, log_minimal, log_maximal };
enum T3Bool : uint8_t { b3_undefined, b3_falso, b3_verdadeiro };
enum TDisplayFolderOption : uint8_t {
  dfo_none,
  dfo_large_icons,
  dfo_small_icons,
  dfo_list,
  dfo_details,
  dfo_thumbs,
  dfo_tiles
};
enum TQMoutput : uint8_t { pra_screen, pra_image, pra_clipboard, pra_printer, pra_print_preview };
enum TMathsFunctions : uint8_t {
  mf_pi,
  mf_RelativeCumulative,
  mf_SquareRoot,
  mf_Exponential,
  mf_Sine,
  mf_Cosine,
  mf_Logarithm,
  mf_Squared,
  mf_Relative,
  mf_Absolute
};
enum TSamplePreference : uint8_t { ts_top_quarter, ts_middle_quarter, ts_bottom_quarter, ts_anywhere };
enum TComputingDisplaying : uint8_t { tcd_computing, tcd_displaying };
enum TStartOrFinish3 : uint8_t { sf_none, sf_start3, sf_finish3 };
enum TStartOrFinish2 : uint8_t { sf_start2, sf_finish2 };
enum TTimelineSort : uint8_t {
  ts_SegmentHitsPercent,
  ts_Segmentper1000,
  ts_burstiness,
  ts_first_peak,
  ts_last_Peak,
  ts_numberOf_peaks
};
enum TPLotSort : uint8_t { ps_SegmentHitsPercent, ps_burstiness, ps_first_position, ps_last_position };
// Element type of TMSSearchFlags.
enum TMSSearchFlag : uint8_t {
  msReplace,
  msConfirmFinds,
  msCaseIsSensitive,
  ms_Avoid,
  msLeftBounded,
  msRightBounded
};
enum TMyStatusBarPanel : uint8_t {
  tusp_entries,
  tusp_info,
  tusp_Progress_overall,
  tusp_progress_this,
  tusp_keypressmode,
  tusp_previous_button,
  tusp_next_button,
  tusp_stop_button,
  tusp_help_button,
  tusp_message
};
enum TTimeLineDisplayBasis : uint8_t {
  tlpb_unknown,
  tlpb_millennia,
  tlpb_centuries,
  tlpb_decades,
  tlpb_years,
  tlpb_months,
  tlpb_weeks,
  tlpb_days,
  tlpb_hours,
  tlpb_datafield,
  tlpb_custom,
  tlpb_spare
};
enum TSave_as_format : uint8_t {
  as_txt,
  as_xml,
  as_Excel_spreadsheet,
  as_RTF,
  as_default_for_list,
  as_images
};
// Fifty places to the left of a search word, the centre, fifty-one to the right.
enum TConcordance_span : uint8_t {
  span_L50, span_L49, span_L48, span_L47, span_L46, span_L45, span_L44, span_L43,
  span_L42, span_L41, span_L40, span_L39, span_L38, span_L37, span_L36, span_L35,
  span_L34, span_L33, span_L32, span_L31, span_L30, span_L29, span_L28, span_L27,
  span_L26, span_L25, span_L24, span_L23, span_L22, span_L21, span_L20, span_L19,
  span_L18, span_L17, span_L16, span_L15, span_L14, span_L13, span_L12, span_L11,
  span_L10, span_L09, span_L08, span_L07, span_L06, span_L05, span_L04, span_L03,
  span_L02, span_L01, span_Centre, span_R01, span_R02, span_R03, span_R04, span_R05,
  span_R06, span_R07, span_R08, span_R09, span_R10, span_R11, span_R12, span_R13,
  span_R14, span_R15, span_R16, span_R17, span_R18, span_R19, span_R20, span_R21,
  span_R22, span_R23, span_R24, span_R25, span_R26, span_R27, span_R28, span_R29,
  span_R30, span_R31, span_R32, span_R33, span_R34, span_R35, span_R36, span_R37,
  span_R38, span_R39, span_R40, span_R41, span_R42, span_R43, span_R44, span_R45,
  span_R46, span_R47, span_R48, span_R49, span_R50, span_R51
};
enum TLemmaMatchStopRelOptions : uint8_t { as_lemma, as_match, as_stop, as_relation };
enum T4Directions : uint8_t { t4d_left, t4d_right, t4d_up_top, t4d_down_bottom };
enum TLeftOrRight : uint8_t { at_left, at_right };
enum TTopOrBottom : uint8_t { at_top, at_bottom };
enum Ttext_stats : uint8_t {
  stats_word,
  stats_sentence,
  stats_paragraph,
  stats_heading,
  stats_section
};
enum TFilenameView : uint8_t { fnv_full_path, fnv_no_path, fnv_1_folder, fnv_2_folders };
enum Tcollocation_barrier : uint8_t {
  coll_stop_none,
  coll_stop_punctuation,
  coll_stop_sentence,
  coll_stop_paragraph,
  coll_stop_heading,
  coll_stop_section,
  coll_stop_text
};
enum Tkw_fnames_order : uint8_t { little_text, reference_corpus };
enum TWriteOrRead : uint8_t { writing, reading };
enum TStatusbarDestination : uint8_t { sd_timeline, sd_statusbar, sd_other };
enum TStringParseTreatment : uint8_t { spt_unaltered, spt_tab_delineated, spt_comma_delineated };
enum T3WaySortAscDescending : uint8_t { sort3_not_set, sort3_ascending, sort3_descending };
enum T3Boolean : uint8_t { t3b_unknown, t3b_yes, t3b_no };
enum TScreenMeasurementUnits : uint8_t { sm_inches, sm_centimetres };
enum Tpanic_mode : uint8_t { panic_no_panic, panic_stop_at_EOF, panic_stop_asap, panic_stop };
enum TTextStat_alternatives : uint8_t { tsw_N, tsw_mean, tsw_sd };
enum TFoundPresentFix : uint8_t { tf_absent, tf_present_OK, tf_present_fix };
enum TListManage : uint8_t { list_creating, list_freeing, list_clearing };
enum TColumnType : uint8_t { ct_integer, ct_float, ct_date, ct_string, ct_other };
enum TSortLevel : uint8_t { main_sort, second_sort, third_sort };
enum TNormalOrStatusbar : uint8_t { tns_normal, tns_statusbar };
enum TMyAlignment : uint8_t { al_left, al_centre, al_right, al_filename };
enum TWhileAfterOnRequest : uint8_t { p_while_computing, p_after_computing, p_on_request };
enum TStartingOrFinishing : uint8_t { t_starting, t_finishing };
enum TNormalOrSpecial : uint8_t { t_normal, t_special };
enum TToggle : uint8_t { toggle_dont, toggle_check, toggle_do };
enum TBookmarkAction : uint8_t { bm_set, bm_goto };
enum TShowOrCompute : uint8_t { sc_undecided, sc_show, sc_compute };
enum TMySimpleSearchRecSort : uint8_t {
  ss_none,
  ss_date,
  ss_size,
  ss_folder,
  ss_shortname,
  ss_fileformat,
  ss_random
};
enum TCorpusFolderStatus : uint8_t {
  csf_normal,
  csf_empty,
  csf_folder_not_found,
  csf_maxima_unknown
};
enum TCorpusFolderData : uint8_t {
  cfd_folder,
  cfd_number_of_files,
  cfd_earliest,
  cfd_latest,
  cfd_largest,
  cfd_smallest
};
enum TWhich_go : uint8_t { first_go, second_go };
enum TRicheditSortCriterion : uint8_t { res_charpos, res_SWnumber };
enum TNumberDisplayPreference : uint8_t { ndp_percent, ndp_per_thousand, ndp_per_million };
enum TNumberDisplayFreedom : uint8_t { ndf_integer_only, ndf_raw_float_only, ndf_preference };
enum TTextSeek : uint8_t { ts_string, ts_sentence_end, ts_n_chars };
enum Ttext_select : uint8_t { incluir_and, incluir_or, excluir_and, excluir_or };
enum TDeleteOrKeep : uint8_t { td_delete, td_keep };
enum TInitialMedialFinal : uint8_t { word_initial, word_medial, word_final, position_merged };
enum TReadinessState : uint8_t { rs_waiting, rs_ready, rs_cancelled };
enum TListModifications : uint8_t {
  mod_sorting,
  mod_deleting,
  mod_lemmatising,
  mod_computation,
  mod_edited,
  mod_display,
  mod_language,
  mod_column_numbers_changed,
  mod_other
};
enum TSettingsFile_want : uint8_t { file_undefined, file_needed };
enum TLoadOrSave : uint8_t { ls_loading, ls_saving };
enum TIncludeDeleted : uint8_t { id_exclude_deleted, id_include_deleted };
enum TUnorRedoing : uint8_t { undoing, redoing };
enum TUndoable : uint8_t { undoable_no, undoable_yes };

// ---------------------------------------------------------------------------
// Sets (bit k stands for ordinal k).

using TWordOrTagSet = TSet<TWordOrTag, 2>;
using TMSSearchFlags = TSet<TMSSearchFlag, 6>;
using TSetOfByte = TSet<Byte, 256>;
using TMyStatusBarPanelSet = TSet<TMyStatusBarPanel, 10>;
using TTextStatsSet = TSet<Ttext_stats, 5>;
using TCorpusFolderDataSet = TSet<TCorpusFolderData, 6>;
using TListModifications_Set = TSet<TListModifications, 9>;

// ---------------------------------------------------------------------------
// Colours and painting.

struct TColourFontRec {
  TColor BrushColour{};
  TColor FontColour{};
  TFontStyles typeface{};
};

struct TBasicBrushFontTypeRec {
  TColor brush_colour{};
  TColor font_colour{};
  TFontStyles typefaces{};
};

struct TColourNameAndIntRec {
  TColor c{};
  String name;
  Integer original_num{};
};

struct TMainAndContrastColours {
  TColor main{};
  TColor contrasting{};
};

// Either one 64-bit value or a foreground and a background colour over the
// same eight bytes.
union TInt64ColourRec {
  Int64 Value;
  struct {
    TColor fore;
    TColor back;
  };
};

struct TStringColourAndAlignment {
  String str;
  Integer colour{};
  TMyAlignment alignment{};
};

struct TPaintWordChunk {
  String w;
  TPoint place;
  Integer pixel_width{};
  Integer string_pos{};
  TConcordance_span colloc_span{};
  bool odd_direction{};
  bool custom_colour_wd{};
  TColourFontRec colourAndFont;
};

// Stored raw (204 bytes).
struct Tfixed_character_format_rec {
  Byte charset{};
  Byte fontsize{};
  hundredwidechar fontname{};
};

struct TRichEditPosition_rec {
  Integer riched_char_pos{};
  Integer word1_len{};
  Integer SW_word_number{};
  Integer word2_where{};
  Integer word2_len{};
};

struct TRichedformat_rec {
  std::vector<Integer> para_starts;
  bool windows_format{};
};

// ---------------------------------------------------------------------------
// Tagged words.

struct TStringTag {
  String wrd;
  String tag;
  Integer tagnum_2B{};
};

struct TStringTagFreq {
  TStringTag st;
  Integer freq{};
};

// The same as TStringTag, with the two texts held as owned zero-terminated copies.
struct TPcharTag {
  TOwnedPWideChar wrd;
  TOwnedPWideChar tag;
  Integer tagnum_2B{};
};

struct TStringTagArrayAndBool {
  std::vector<TStringTag> arr;
  bool fail{};
};

struct TPcharTagArrayAndBool {
  std::vector<TPcharTag> arr;
  bool fail{};
};

// Punctuation before the word, the word, punctuation after.
struct TConcWordSectionsRec {
  String pre_str_punct;
  String wd_str;
  String post_str_punct;
};

struct TConcStringTag {
  TConcWordSectionsRec wordsections;
  String tag;
  Integer tagnum_2B{};
};

struct TStringTagColourFontRec {
  String tag;
  TColourFontRec c_rec;
};

struct TWordSegments_Colours_rec {
  TStringTag chunks;
  TColourFontRec colours;
};

struct TSingleConcordStringRec {
  String WordAndTagStr;
  TColourFontRec cf;
};

// ---------------------------------------------------------------------------
// Dates.

struct TYearMonthDay {
  Integer year{};
  Integer month{};
  Integer day{};
};

struct TYMDAndBasis {
  TYearMonthDay ymd;
  TTimeLineDisplayBasis basis{};
};

struct TDoubleAndBasis {
  Double d{};  // a Julian date
  TTimeLineDisplayBasis basis{};
};

struct TDateTimeYMDrec {
  TDateTime dt{};
  TYearMonthDay ymd;
};

struct TYMDAndTotal {
  TYearMonthDay ymd;
  Int64 total{};
};

struct TYrMmDyHrMn {
  Integer year{};
  Integer month{};
  Integer day{};
  Integer hour{};
  Integer minute{};
};

struct TDateRange {
  TDateTime earliest{};
  TDateTime latest{};
};

// ---------------------------------------------------------------------------
// Small tuples.

struct T2_longint_rec {
  Integer long0{};
  Integer long1{};
};
struct T3_longint_rec {
  Integer long0{};
  Integer long1{};
  Integer long2{};
};
struct T4_longint_rec {
  Integer long0{};
  Integer long1{};
  Integer long2{};
  Integer long3{};
};
struct T5_longint_rec {
  Integer long0{};
  Integer long1{};
  Integer long2{};
  Integer long3{};
  Integer long4{};
};
struct T6_longint_rec {
  Integer long0{};
  Integer long1{};
  Integer long2{};
  Integer long3{};
  Integer long4{};
  Integer long5{};
};

struct T2_Int64_rec {
  Int64 Int64_1{};
  Int64 Int64_2{};
};

struct T2_Strings {
  String s0;
  String s1;
};
struct T3_Strings {
  String s0;
  String s1;
  String s2;
};
struct T4_Strings {
  String s0;
  String s1;
  String s2;
  String s3;
};
struct T5_Strings {
  String s0;
  String s1;
  String s2;
  String s3;
  String s4;
};

struct TTwoStringsRec {
  String first;
  String second;
};

struct T2_BooleanRec {
  bool b1{};
  bool b2{};
};

struct TOKAndDone {
  bool OK{};
  bool Done{};
};
struct TStatusOKAndAnswer {
  bool status_OK{};
  bool answer{};
};
struct TSelectedAndChecked {
  bool selected{};
  bool checked{};
};
struct TFormAssignedRec {
  bool initially_assigned{};
  bool ready_for_use{};
};

struct TLeftRightBoolRec {
  bool none{};
  bool L{};
  bool R{};
};

struct TLeftRightIntegerRec {
  Integer L{};
  Integer R{};
};

struct TLeftRightNextIntegerRec {
  TLeftRightIntegerRec LR;
  Integer next{};
};

struct TPositionAndLength {
  Integer position{};
  Integer length{};
};
struct TPositionAndCount {
  Integer position{};
  Integer count{};
};
struct TNumberAndTotalRec {
  Integer num{};
  Integer total{};
};
struct TIntegerAndTotalRec {
  Integer n{};
  Integer total{};
};
struct TFindHitDataRowAndTotalRec {
  Integer hit_datarow{};
  Integer total{};
};

struct TTriple_integer_rec {
  Integer intg1{};
  Integer intg2{};
  Integer intg3{};
};

struct Tdouble_cardinal_rec {
  Cardinal card1{};
  Cardinal card2{};
};
struct TTriple_cardinal_rec {
  Cardinal card1{};
  Cardinal card2{};
  Cardinal card3{};
};

struct TCardinalAndFreq {
  Cardinal c{};
  Integer f{};
};

struct TIntegerAndCardinalRec {
  Integer freq{};
  Cardinal value{};
};
struct TIntegerAnd2CardinalsRec {
  Integer freq{};
  Tdouble_cardinal_rec value;
};
struct TIntegerAnd3CardinalsRec {
  Integer freq{};
  TTriple_cardinal_rec value;
};

// The second field's name is a C++ keyword, hence the trailing underscore.
struct TSmall_and_long_rec {
  SmallInt small{};
  Integer long_{};
};

struct TIntegerAndBooleanRec {
  Integer value{};
  bool b{};
};

// The first field's name is a C++ keyword, hence the trailing underscore.
struct TIntegerAndSingleRec {
  Integer int_{};
  Single s{};
};
struct TIntegerAndSingleForScoringRec {
  Integer n{};
  Single score{};
};

struct T2LongintAndSingleRec {
  T2_longint_rec t2;
  Single s{};
};
struct T3LongintAndSingleRec {
  T3_longint_rec t3;
  Single s{};
};

struct TStringAndIntegerRec {
  String s;
  Integer i{};
};

struct TStringAndIntegerAndBooleanRec {
  TStringAndIntegerRec rec;
  bool b{};
};

struct TStringAnd2IntegersRec {
  String s;
  std::array<Integer, 2> ns{};
};
struct TStringAnd3IntegersRec {
  String s;
  std::array<Integer, 3> ns{};
};
struct TStringAnd4IntegersRec {
  String s;
  std::array<Integer, 4> ns{};
};

struct TStringIntAndBoolean {
  String w;
  Integer i{};
  bool b{};
};

struct TIntStringAndBooleanRec {
  String str;
  Integer value{};
  bool b{};
};

struct TStringAndBooleanRec {
  String s;
  bool OK{};
};
struct TWordStrAndBoolean {
  String w;
  bool b{};
};

struct TStringAndSingle {
  String str;
  Single value{};
};

struct TStringIntegerAndSingleRec {
  TIntegerAndSingleRec int_and_single;
  String str;
};

struct TString2IntsAndSingleRec {
  T2LongintAndSingleRec ints_and_single;
  String str;
};

struct TWordAndFreq {
  String w;
  Int64 f{};
};

struct TWordFreqAndSourceNum {
  String w;
  Int64 f{};
  Integer source_num{};
};

struct TIntegerAnd2StringsRec {
  Integer v{};
  String s1;
  String s2;
};
// The first field's name is a C++ keyword, hence the trailing underscore.
struct T2StringsAndIntegerRec {
  Integer int_{};
  String s1;
  String s2;
};

struct T2StringsAndBooleanRec {
  bool OK{};
  String s1;
  String s2;
};

struct T2StringsIntAndBooleanRec {
  bool OK{};
  Integer n{};
  String s1;
  String s2;
};

struct T2StringsAnd2IntegersRec {
  Integer int1{};
  Integer int2{};
  String s1;
  String s2;
};

struct TString2IntegersAndStringArrayrec {
  Integer int1{};
  Integer int2{};
  String s;
  std::vector<String> arr;
};

struct TFileDetails3_string {
  String filename;
  String words_str;
  String hits_str;
};

struct TParsedSeveralPathStrings {
  String common_root_entire;
  String common_root_last_section;
};

struct TConvertedStringAnd2BooleansRec {
  String converted;
  bool convert_it{};
  bool chuck{};
};

struct TStringandWChars {
  String str;
  std::vector<Word> wch;
};

// `list` is not owned by the record.
struct TStringAndStringlistRec {
  String afolder;
  TStringList* list{};
};

// `v` is a list object that the record does not own.
struct TStringAndSingleList {
  String s;
  TObject* v{};
};

// Zero-terminated texts not owned by the record.
struct T2Pchars {
  Char* p1{};
  Char* p2{};
};

struct T2_Pointer {
  Pointer p1{};
  Pointer p2{};
};

struct TIndexAndObjRec {
  Integer index{};
  TObject* holder{};
};
struct TIndexAndPointerRec {
  Integer index{};
  Pointer p{};
};
struct TIntegerAndPointerRec {
  Integer v{};
  Pointer p{};
};
struct TCardinalAndPointerRec {
  Cardinal c{};
  Pointer p{};
};

struct TPointerAnd2Integersrec {
  Integer v1{};
  Integer v2{};
  Pointer p{};
};
struct TPointerAnd3Integersrec {
  Integer v1{};
  Integer v2{};
  Integer v3{};
  Pointer p{};
};

struct TIntegerAnd2Pointersrec {
  Integer v{};
  Pointer p1{};
  Pointer p2{};
};

struct TPointerAnd2CardinalsRec {
  Pointer p{};
  Cardinal Item1{};
  Cardinal Item2{};
};

struct TFoundItemAndIndex {
  TFoundPresentFix f{};
  Integer ndx{};
};

struct TRectAndBool {
  TRect r;
  bool fits{};
};

// Pointer types.
using p2_longint_rec = T2_longint_rec*;
using p3_longint_rec = T3_longint_rec*;
using p4_longint_rec = T4_longint_rec*;
using PIntegerAndCardinalRec = TIntegerAndCardinalRec*;
using PIntegerAnd2CardinalsRec = TIntegerAnd2CardinalsRec*;
using PIntegerAnd3CardinalsRec = TIntegerAnd3CardinalsRec*;
using PArrayWord = Word*;

// ---------------------------------------------------------------------------
// Files.

struct TSmallFileRec {
  TDateTime DateTime{};
  Int64 Size{};
};

// Its leading 16 bytes (up to ShortName) are stored raw by the file-search lists.
struct TMySearchRec {
  TDateTime DateTime{};
  Integer Size{};
  Word ZipfileNum1B{};
  Word Within_ZipNum1B{};
  String ShortName;
};

// Its leading 40 bytes (up to ShortName) are stored raw by the folder-efficient
// file list; the encoding slot carries no portable value.
struct TBasicFileRec {
  TDateTime DateTime{};
  Double TextualDateAndTime{};
  Int64 Size{};
  Integer Zip_num1b{};
  Integer folder_num0B{};
  TEncoding* encodamento{};  // not owned
  String ShortName;
};

struct TZipfileNumAndEncoding {
  Integer zipfilenum{};
  TEncoding* encoding{};  // not owned
};

struct TFileOrFolderChoice {
  TStringList* files{};  // owned by the caller
  String head_folder;
  String mask;
  bool folder_chosen{};
  bool include_subfolders{};
};

struct TFileLoadrec {
  bool exists{};
  bool loaded{};
};

struct T2_Int64_Filenumber_BytePos {
  Int64 filenumber_1B{};
  Int64 bytepos{};
};

struct TFilenumberAndFreq {
  Integer file_num_1B{};
  Int64 freq{};
};

struct TFieldAndFile {
  Integer field{};
  Integer filenum{};
};

struct TCorpusFolderStats {
  TCorpusFolderStatus status{};
  TDateTime earliest{};
  TDateTime latest{};
  Integer disk_order{};
  Integer number_of_files{};
  Integer largest{};
  Integer smallest{};
  String folder;
};

struct TCorpusFolderDataSettings {
  TCorpusFolderDataSet fields;
  bool tabular{};
};

// Stored raw (296 bytes) at the start of a folder-efficient file list's file.
struct TFolderEfficientFileStringlistInfoRec {
  hundredwidechar description{};
  uint8_t case_insensitive{};
  Integer fils{};
  Integer foldrs{};
  Int64 total_bytes{};
  std::array<Byte, 72> spare{};
};

struct TSourceTextInfoRec {
  Integer plot_hit_to_select{};
  Integer char_to_jump_to{};
  Integer file_number_1B{};
  String word_to_highlight;
  String filename;
};

struct TTextHighLightingRec {
  Integer filechar_pos{};
  Integer hit_length{};
  Integer sw1_freq{};
  Integer total_words{};
  std::array<Byte, 24> spare{};
  String search_word;
  String filename;
};

struct TSectionStartInfo {
  String section;
  Integer section_number{};
};

// The 316-byte header at the start of every saved results file, stored raw
// (little-endian): the writing tool's signature, three values set by the
// caller, the list kind's name (at most 40 units, zero-filled) and a reserved
// tail. The two bytes between type_of_data and spare are an alignment gap.
struct TCheckSignature {
  Int32 signature{};
  Int32 screen_res{};
  Int32 monitor{};
  TRect save_Rect;
  fortywidechar type_of_data{};
  alignas(4) std::array<Byte, 204> spare{};
};

// What reading one saved results member of an archive found: its stored name,
// its header, and whether the header is whole and of the running tool.
struct TBoolFilenameAndCheck {
  bool OK{};
  String filename;
  TCheckSignature check;
};

// ---------------------------------------------------------------------------
// Text statistics and positions.

struct TStartFinishIntegerRec {
  Integer start{};
  Integer finish{};
};

struct TStartFinishInteger_1BRec {
  Integer start_1B{};
  Integer finish_1B{};
};

// The index of a span in a text's statistics arrays. It is held in 32 bits so
// that a text with more than 65,535 paragraphs or sentences keeps every span.
struct TNumberWordAndStat {
  Integer num_0B{};
  Ttext_stats stat{};
};

struct TTextTokenTypesrec {
  Int64 texts{};
  Int64 tokens{};
  Int64 types{};
};

struct TText_n_mean_sd_rec {
  Int64 n{};
  Single mean{};
  Single std_dev{};
};

struct TMeanAndSD_Rec {
  Single mean{};
  Single sd{};
};

struct TIntMeanSDRec {
  Integer n{};
  TMeanAndSD_Rec msd;
};

struct TStringAndMeanAndSD_rec {
  TMeanAndSD_Rec score;
  String extra;
};

struct TTypeAndTokenRec {
  Integer types{};
  Integer tokens{};
};

struct TTypeAndTokenAndSinglesDifferences {
  bool similar_enough{};
  Integer type_diffs{};
  Integer token_diffs{};
  Single type_diff_pc{};
  Single token_diff_pc{};
};

struct TTreeDispersionRec {
  Int64 this_file_bytes_done{};
  Int64 corpus_bytes_done{};
  Integer start_division{};
  std::vector<Int64> byte_divisions;
};

// The four cells of a two-by-two table.
struct T2by2XTabs_rec {
  Double a{};
  Double b{};
  Double c{};
  Double d{};
};

struct TArray1StatRec {
  Single highest_member_1Based{};
  Single highest_score{};
};

struct TSearchHits_rec {
  Integer txt_pos{};
  Integer line_pos{};
  Integer line_posend{};
};

struct TPositionsAndHitsRec {
  Integer total_positions{};
  Integer first_hit_pos{};
};

// ---------------------------------------------------------------------------
// Display, export and selection.

struct TQMExportSettings {
  bool separate_thousands{};
  bool include_numbers{};
  bool include_heading_row{};
  bool export_all_rows{};
  bool export_all_columns{};
  bool export_conc_columns_separated{};
  bool zip_the_image_files{};
  bool export_timeline_segments_separately{};
  bool only_if_has_SET_col_data{};
  TSave_as_format FilterFormat{};
  Integer FirstImageRow{};
  Integer FirstCol{};
  Integer MaxImageRows{};
  Integer LastCol{};
  tenwidechar separator{};
};

struct TExcelFormatRec {
  std::vector<Integer> excel_column_formats;
  Integer excel_standard_2DecPLaces_format{};
  Integer excel_header_str_format{};
  Integer excel_header_int_format{};
};

struct TNumberDisplayAndSinglesRec {
  TNumberDisplayFreedom number_freedom{};
  TNumberDisplayPreference number_preference{};
  bool show_as_approximate{};
  std::array<Byte, 20> spare{};
  Double source_value{};
  Double computed_value{};
  Int64 basis{};
  String basis_str;
};

struct TColumnNumberSortRec {
  Integer col_num{};
  bool ascending_sort{};
  bool case_sensitive_sort{};
};

struct TEntryAndColumn {
  Integer entry{};
  Integer column{};
};

struct TLineAndLangnum {
  Integer linenum{};
  Integer langnum{};
};

struct TLangMark {
  Integer langnum{};
  Integer mark_num{};
  // Sets langnum and mark_num both to n.
  void ClearTo(Integer n);
};

struct TLangAndSelectedRec {
  Integer lang{};
  Integer selected{};
};

struct TBookmarkRec {
  Integer seg_charpos_WFC{};
  Integer segment_num{};
  Integer spare2{};
};

struct TNormalAndStatusbarStrs {
  TEnumArray<TNormalOrStatusbar, String, 2> str;
};

// Stored raw as part of TSelectTextFile_Rec.
struct TTextSelectSubrec {
  Integer length_of_seek{};
  Ttext_select ato_necessario{};
  SmallInt nChars{};
  TTextSeek how{};
  uint8_t contains_wildcard{};
};

// Stored raw (360 bytes).
struct TSelectTextFile_Rec {
  eightywidechar seekStart{};
  eightywidechar seekEnd{};
  tenwidechar seek_wilds{};
  TTextSelectSubrec subrec;
};

struct TStringIntegerAndColumnTypeRec {
  String s;
  Integer i{};
  TColumnType ColumnType{};
};

struct TStringTrueColumnAndColourRec {
  Integer true_column_number{};
  Integer background_colour{};
  String s;
};

struct TMyMonitorInfoRec {
  Cardinal width_in_pixels{};
  Cardinal height_in_pixels{};
};

struct THTMLEntity_rec {
  Integer char_num{};
  String HTML;
};

struct TProxySettings {
  maxpathwidechar server{};
  thirtywidechar portnumber{};
  eightywidechar username{};
  eightywidechar password{};
};

struct TVersionAndDateRec {
  fiftywidechar version{};
  fiftywidechar date{};
};

struct Tlibrary_rec {
  Pointer FPointer{};
  NativeUInt Hinst{};  // module handle
};

struct TQMSettingsRec {
  bool setup_ja{};
  bool changed{};
  bool busy{};
  TNotifyEvent event;
};

struct TBooleanAndNotifyEvent {
  bool b{};
  TNotifyEvent event;
};

struct TBoolAndSingleSettings {
  bool do_it{};
  Single threshold{};
};

struct TConditionsMetRec {
  Integer colour{};
};

// A string list owned by the record, with a running total. Moving hands the
// list over; the record frees the list it still holds when it goes.
struct TStringlistAndTotal {
  std::unique_ptr<TStringList> list;
  Single total{};

  TStringlistAndTotal();
  TStringlistAndTotal(TStringlistAndTotal&&) noexcept;
  TStringlistAndTotal& operator=(TStringlistAndTotal&&) noexcept;
  ~TStringlistAndTotal();

  // list_creating: a new empty list (one already held is freed first);
  // list_freeing: frees the list and leaves the field empty;
  // list_clearing: Clear. In every case total becomes 0.
  void Init(TListManage how);
  // Empties the list (when there is one) and sets total to 0.
  void Clear();
};

// ---------------------------------------------------------------------------
// Other fixed arrays.

using T5IntegerArr = std::array<Integer, 5>;
using T8Bytes = std::array<Byte, 8>;
using TArrInteger8 = std::array<Integer, 8>;
using TArrIntegerMaxDivisions = std::array<Integer, 21>;
using T2IntArr = std::array<Integer, 2>;
using TThreeBytes = std::array<Byte, 3>;
using TLanguagesIntArray = std::array<Integer, 8>;  // one per parallel-text language
using TBookMarksArray = std::array<TBookmarkRec, 10>;
using Ttext_select_PART_OF_TEXT = std::array<TSelectTextFile_Rec, 28>;
using Ttext_select_ONLY_IF_TEXTS = std::array<TSelectTextFile_Rec, 15>;

// Arrays indexed by an enumeration.
using ConditionOrderBools = TEnumArray<TConditionOrder, bool, 2>;
using TForegroundBackGroundColours = TEnumArray<TForeOrBackground, TColor, 2>;
// Six characters for each side of an ignored tag.
using TIgnore_tag = TEnumArray<Ttag_on_off, std::array<Char, 6>, 2>;
using TWordOrTagInteger = TEnumArray<TWordOrTag, Integer, 2>;
using TWordOrTagBool = TEnumArray<TWordOrTag, bool, 2>;
using TStartOrFinishIntRec = TEnumArray<TStartOrFinish2, Integer, 2>;
using TStartOrFinishStringRec = TEnumArray<TStartOrFinish2, String, 2>;
using TLemmaMatchStopRelBools = TEnumArray<TLemmaMatchStopRelOptions, TIntegerAndBooleanRec, 4>;
using TLeftOrRightIntegers = TEnumArray<TLeftOrRight, Integer, 2>;
using TLeftOrRightStrings = TEnumArray<TLeftOrRight, String, 2>;
using TLeftRightStringArray = TEnumArray<TLeftOrRight, std::vector<String>, 2>;
using TAtFileEdge = TEnumArray<TLeftOrRight, bool, 2>;
using TTextStatsWordCountsArr = TEnumArray<Ttext_stats, std::vector<Integer>, 5>;
using TTextStatsStartFinish3 = TEnumArray<Ttext_stats, TStartOrFinish3, 5>;
using TTextStatsStartFinishIntegerArr = TEnumArray<Ttext_stats, std::vector<TStartFinishIntegerRec>, 5>;
using TTextStatsStartFinishInteger_1BArr =
    TEnumArray<Ttext_stats, std::vector<TStartFinishInteger_1BRec>, 5>;
using TTextStatsIntegerArray = TEnumArray<Ttext_stats, Integer, 5>;
using TTextStats3BoolArray = TEnumArray<Ttext_stats, T3Bool, 5>;
using TTextStatsInt64Array = TEnumArray<Ttext_stats, Int64, 5>;
using text_segments_stats_type = TEnumArray<Ttext_stats, TText_n_mean_sd_rec, 5>;
using TtwoTextTokenTypes = TEnumArray<Tkw_fnames_order, TTextTokenTypesrec, 2>;
using Ttwo_KWInt64s = TEnumArray<Tkw_fnames_order, Int64, 2>;
using Ttwo_KWsingles = TEnumArray<Tkw_fnames_order, Single, 2>;
using Ttwo_KWdoubles = TEnumArray<Tkw_fnames_order, Double, 2>;
using TSortWanted = TEnumArray<TSortLevel, bool, 3>;
using TSortAscends = TEnumArray<TSortLevel, bool, 3>;
using TSortIsPrivate = TEnumArray<TSortLevel, bool, 3>;
using TSortBytes = TEnumArray<TSortLevel, Byte, 3>;
using TSortIntegers = TEnumArray<TSortLevel, Integer, 3>;
using TSortColumnDetails = TEnumArray<TSortLevel, TColumnNumberSortRec, 3>;
using TPrintMarginInches = TEnumArray<T4Directions, Single, 4>;

// The current text's paragraph, heading and sentence spans (one array per
// statistics kind) and the kind of each bufferful's characters.
struct TTextStatsPositions_rec {
  TTextStatsStartFinishIntegerArr stats_arr;
  std::vector<TNumberWordAndStat> bufferful_chars;
};

// ---------------------------------------------------------------------------
// Callback types bound to an object (Sender, where present, raises the event).

using TYieldProcessProc = std::function<void()>;
using TProcedureOfObject = std::function<void()>;
using TZippingNotify = std::function<void()>;
using TProgressHide = std::function<void()>;
using TNotifyInteger = std::function<void(TObject* Sender, Integer n)>;
using TNotifyString = std::function<void(TObject* Sender, const String& s)>;
using TNotifyBatchProgress = std::function<void(Integer n)>;
using TDuplicatesFoundEvent = std::function<void(Integer n)>;
using TNotifyFilenameAndMaxN =
    std::function<void(const String& aBatchFName, const String& aProcess, Integer MaxToDo)>;
using TNotifyLangAndSelected = std::function<void(TObject* Sender, TLangAndSelectedRec n)>;
using TBookmarkEvent = std::function<void(TObject* Sender, Integer aKeynumber, TBookmarkAction setting)>;
using TFormSearchReportProc = std::function<void(TObject* Sender, const String& settings_string)>;
using TProcessControlClick = std::function<void(TObject* Sender, Integer X, Integer Y)>;
using TOnStatusBarButtonClick = std::function<void(TObject* Sender, TMyStatusBarPanel statuspanel)>;
using TStatusBarButtonEvent = std::function<void(TMyStatusBarPanel panel, bool ativo)>;
using TProgressNFloat = std::function<void(Single n)>;
using TProgressNOutOf = std::function<void(Int64 n, Int64 out_of)>;
using TProgressNOutOfandMessageProc = std::function<void(Int64 n, Int64 out_of, const String& msg)>;
using TProgressPercentDoneTotal = std::function<void(Integer percent, Int64 Done, Int64 total_to_do)>;
using TProgressPercentDoneTotalQuit =
    std::function<void(Integer percent, Int64 Done, Int64 total_to_do, bool& quit)>;
using TProgressPercentPanel = std::function<void(Integer percent, TMyStatusBarPanel panel)>;
using TProgressPanelMessage = std::function<void(TMyStatusBarPanel panel, const String& msg)>;
// aAlignment is the ordinal of the visual layer's text alignment
// (0 left-justified, 1 right-justified, 2 centred).
using TProgressPanelAlignmentMessage =
    std::function<void(TMyStatusBarPanel panel, const String& msg, Byte aAlignment)>;
using TProgressCurrentWordEvent = std::function<void(const String& current_word)>;
using TProgressMessage_Deprecated = std::function<void(const String& aMessage)>;
using TMessageStringEvent = std::function<void(const String& aMessage)>;
using TMessageStringsEvent = std::function<void(const String& aMessage, const String& Aprocedure)>;
using TTimeRemainingEvent = std::function<void(Int64 handled, Int64 total, Int64 skipped)>;
using TFilenameAndDateProc = std::function<void(const String& filename, TDateTime aDatetime)>;
using TWhereAreWeEvent = std::function<void(Integer here, Integer textlen)>;
using TLineShowMessageEvent = std::function<void(TObject* Sender, Integer item_num, Integer items_count,
                                                 Integer line_number, Integer out_of)>;
using TReportIntegerAndTotal = std::function<void(TObject* Sender, TFindHitDataRowAndTotalRec x)>;
using TStringBooleanAndIntProc = std::function<void(const String& x, bool b, Integer n)>;
using TPcharOfObjectProc = std::function<void(Char* a)>;
using TSeedFunctOfObject = std::function<void(Cardinal TheLCID)>;
using TTellFilenameDate = std::function<void(TObject* sender, Integer n, TDoubleAndBasis AJulianDate)>;
using TProgressPercentFunct = std::function<bool(Integer percent)>;
using TBoolFunct = std::function<bool()>;
using TBoolObjectEvent = std::function<bool(TObject* Sender)>;
using T2BoolObjectEvent = std::function<T2_BooleanRec(TObject* Sender)>;
using T2LongintFunct = std::function<T2_longint_rec(TObject* Sender)>;
using TStringResultEvent = std::function<String(TObject* Sender)>;
using TOnConfirmMessage = std::function<Integer(const String& context, const String& rule)>;
using TFontColoursForLanguage = std::function<TMainAndContrastColours(TObject* Sender, Integer lang)>;
using TOnConvertItemText = std::function<String(TObject* Sender, Integer index, const String& current)>;
using TOnCheckFileFormat = std::function<TEncoding*(TObject* Sender, const String& filename)>;
using TCanSortStringsOnColumn = std::function<bool(TObject* Sender, Integer column, bool ascending)>;
using TOnGetStringAndInt = std::function<TStringAndIntegerRec(TObject* Sender, Integer index)>;
using TStringAndIntegerReported = std::function<bool(const TStringAndIntegerRec& x)>;
using TStringAndIntegerBoolFunct = std::function<bool(const TStringAndIntegerRec& x)>;
using TStringAnd2IntegersBoolFunct = std::function<bool(const TStringAnd2IntegersRec& x)>;
using TStringAnd3IntegersBoolFunct = std::function<bool(const TStringAnd3IntegersRec& x)>;
using TStringAnd4IntegersBoolFunct = std::function<bool(const TStringAnd4IntegersRec& x)>;
using T2StringsAndIntegerBoolFunct = std::function<bool(const T2StringsAndIntegerRec& x)>;
using T2StringsAnd2IntegersBoolFunct = std::function<bool(const T2StringsAnd2IntegersRec& x)>;
using TStringToStringAndInteger = std::function<TStringAndIntegerRec(const String& x)>;
// Answers true to stop.
using TStringAtAndQuitFunct = std::function<bool(const String& x, Integer hit_percent)>;
using TContextAndStringAtAndQuitFunct =
    std::function<bool(const String& context, const String& x, Integer hit_percent, Integer position)>;
using TContextsAndStringAtAndQuitFunct =
    std::function<bool(const String& left_context, const String& x, const String& right_context,
                       Integer hit_percent, Integer position)>;
using TStringTestedBooleanFunct = std::function<bool(const String& x)>;
using TStringTestedIntegerFunct = std::function<Integer(const String& x)>;
using TGetAStringFromIndexAndNFunct = std::function<String(Integer ndx, Integer num)>;
using TGetAWordAsStringFunct = std::function<String(Integer word_number)>;
using TGetPreferredTagFormat =
    std::function<TStringTagColourFontRec(Integer atagnum_1B, const String& sourcetag)>;
using TQMBaseListObjectCompare = std::function<Integer(TObject* Obj)>;
using TQMBaseListObjectFindWordPos =
    std::function<Integer(TObject* Obj, bool at_start, bool at_end, bool is_number)>;
using TQMBaseListEqualCompare = std::function<bool(const String& Item1, const String& Item2)>;
using TCompareFunctOfObject = std::function<Integer(TObject* a)>;
using TCompare2FunctOfObject = std::function<Integer(Pointer a, Pointer b)>;
using TGetFilesCount = std::function<Integer(TObject* sender)>;
using TGetFilename = std::function<String(TObject* sender, Integer n)>;
using TBookmarkGetLineFunct = std::function<Integer(TObject* Sender, TBookmarkRec b)>;

// Plain routine types (no object). Comparers answer negative, 0 or positive
// for less, equal and greater.
using TCompareFunct = Integer (*)(const String& a, const String& b);
using TCompare2FunctInt = Integer (*)(TObject* a, TObject* b);
using TCompareLCIDFunct = Integer (*)(Cardinal fLCID, Pointer a, Pointer b);
using TCompareLCIDSensitiveFunct = SmallInt (*)(Cardinal dwCmpFlags, Cardinal fLCID, Pointer a, Pointer b);
using TCompareLCIDBoundedFunct = Integer (*)(Cardinal fLCID, Pointer a, Pointer b, bool at_start,
                                             bool at_end, bool is_number);
using TCompareWordPrefixSuffixFunct = Integer (*)(const String& wd1, const String& wd2,
                                                  const String& prefix1, const String& prefix2,
                                                  const String& suffix1, const String& suffix2);
using TCompareLCIDWordPrefixSuffixFunct = Integer (*)(Cardinal fLCID, const String& wd1,
                                                      const String& wd2, const String& prefix1,
                                                      const String& prefix2, const String& suffix1,
                                                      const String& suffix2);
using TObjectLessStringTestedBooleanFunct = bool (*)(const String& x);
using TObjectLessStringAndIntTestBoolFunct = bool (*)(const TStringAndIntegerRec& x);
using TObjectLessStringAndIntTestBoolMaxFunct = bool (*)(const TStringAndIntegerRec& x,
                                                         Integer max_allowed);
using TDeleteFunct = void (*)(Pointer a);
using TPointerProc = void (*)(Pointer a);

// ---------------------------------------------------------------------------
// Sizes of the records and arrays that are stored raw or whose size is fixed.

static_assert(std::tuple_size_v<tenansichar> == 11 && std::tuple_size_v<eightyansichar> == 81);
static_assert(std::tuple_size_v<onewidechar> == 2 && std::tuple_size_v<twowidechar> == 3 &&
              std::tuple_size_v<threewidechar> == 4 && std::tuple_size_v<fourwidechar> == 5);
static_assert(std::tuple_size_v<tenwidechar> == 11 && std::tuple_size_v<twentywidechar> == 21 &&
              std::tuple_size_v<thirtywidechar> == 31 && std::tuple_size_v<fortywidechar> == 41 &&
              std::tuple_size_v<fiftywidechar> == 51 && std::tuple_size_v<sixtywidechar> == 61 &&
              std::tuple_size_v<eightywidechar> == 81);
static_assert(std::tuple_size_v<ninety_ninewidechar> == 100 &&
              std::tuple_size_v<hundredwidechar> == 101 &&
              std::tuple_size_v<hundredandtwentytwowidechar> == 123 &&
              std::tuple_size_v<twohundredwidechar> == 201 &&
              std::tuple_size_v<twohundred22widechar> == 223 &&
              std::tuple_size_v<fourhundredwidechar> == 401);
static_assert(sizeof(twohundred55char) == 512 && std::tuple_size_v<maxpathwidechar> == 261);
static_assert(sizeof(hundredwidechar) == 202);

static_assert(sizeof(Tfixed_character_format_rec) == 204);
static_assert(sizeof(TFolderEfficientFileStringlistInfoRec) == 296);
static_assert(sizeof(TTextSelectSubrec) == 12);
static_assert(sizeof(TSelectTextFile_Rec) == 360);
static_assert(sizeof(Ttext_select_ONLY_IF_TEXTS) == 5400);
static_assert(sizeof(Ttext_select_PART_OF_TEXT) == 28 * 360);
static_assert(sizeof(TIgnore_tag) == 24);
static_assert(sizeof(TCheckSignature) == 316);
static_assert(sizeof(TInt64ColourRec) == 8);
static_assert(sizeof(TVersionAndDateRec) == 204);
static_assert(sizeof(TProxySettings) == 2 * (261 + 31 + 81 + 81));
static_assert(sizeof(TColourFontRec) == 12);
static_assert(sizeof(TCorpusFolderDataSet) == 1 && sizeof(TMSSearchFlags) == 1 &&
              sizeof(TMyStatusBarPanelSet) == 2 && sizeof(TListModifications_Set) == 2 &&
              sizeof(TSetOfByte) == 32);

// ---------------------------------------------------------------------------
// Unit start and stop (the unit has no work of its own).
void Basic_types_initialization();
void Basic_types_Finalization();

}  // namespace sk
