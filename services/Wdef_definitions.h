// The suite's small shared definitions: types the tools share, typed constants
// filled from the message tables, the list of fixed language details a grid
// shows, and the conversions between settings and the texts shown for them.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "core/Basic_types.h"
#include "core/Qm_specific_types.h"
#include "platform/runtime/RtlTypes.h"
#include "platform/runtime/TextLayout.h"

namespace sk {

class TEncoding;
class TStringList;

// ---------------------------------------------------------------------------
// Types.

enum TKeyword_sort_system : uint8_t {
  keywords_alphabetical,
  keywords_case_sensitive,
  keywords_reverse_alphabetical,
  keywords_word_length,
  keywords_freq_current_text,
  keywords_freq_reference_corpus,
  keywords_log_likelihood,
  keywords_absolute_keyness,
  keywords_BIC_score,
  keywords_log_ratio,
  keywords_dispersion_diff,
  keywords_nTexts,
  keywords_category,
  keywords_lemmas,
  keywords_rel_entropy,
  keywords_tag_then_word,
};
inline constexpr int TKeyword_sort_system_Count = 16;

enum Wincodepage_types : uint8_t {
  nao_precisa,
  _1250_CEurope,
  _1251_Cyrillic,
  _1252_Latin1,
  _1253_Greek,
  _1254_Turkish,
  _1255_Hebrew,
  _1256_Arabic,
  _1257_Baltic,
  _1258_Vietnam,
  _874_Thai,
  _932ShiftJis,
  _936SimpChineseGB2312,
  _949Korean,
  _950TradChineseBig5,
};
inline constexpr int Wincodepage_types_Count = 15;

enum TIndexChoices : uint8_t { index_delete, index_backup, index_proceed };
inline constexpr int TIndexChoices_Count = 3;

// The settings of a chargram run.
struct TCharGramSettings {
  TEnumArray<TInitialMedialFinal, uint8_t, 4> word_positions;
  Int32 version_number{};
  Int32 minimum_context_occurrences{};
  Int32 maximum_context_words{};
  Int32 minimum_chars{};
  Int32 maximum_chars{};
  Int32 minimum_texts{};
  Int32 maximum_texts{};
  Int32 minimum_Frequency{};
  Int32 maximum_Frequency{};
  Int32 min_pattern_freq{};
  bool hide_low_context_chargrams{};
  bool use_punctuation{};
  bool merge_word_positions{};
  bool use_digits{};
  bool user_defined_list{};
  bool user_defined_exclusive_search{};
  std::array<bool, 8> spBool{};
  std::array<Byte, 64> spare{};
};

// Totals over many texts.
struct TMultipleFilesHandledRec {
  TTextStatsInt64Array Text_Stats_Overall;
  std::array<Byte, 12> tags_found{};
  Int32 format_total_UnicodeBigEndian{};
  Int32 format_total_Unicode{};
  Int32 format_total_Ansi{};
  Int32 format_total_UTF8{};
  Int32 format_total_Other{};
  Int32 moved_to_temp{};
  Int32 HTML_Texts{};
  Int32 Within_a_Zip{};
  Int32 total_filtered_out{};
  Int32 hits{};
  Int32 wdcount{};
  Int32 format_non_unicode{};
  Int32 format_got_converted{};
  Int64 total_bytes_handled{};
};

// What handling one text changed about it.
struct T1ChosenFileAlteredFields {
  std::array<Byte, 12> tags_found{};
  bool is_first_bufferchunk{};
  bool moved_to_temp{};
  bool converted_to_Unicode{};
  Int32 FileBytes_handled{};
  Int32 BytesPerChar{};
  Int32 Complete_File_Bytes{};
  TTextStatsIntegerArray textstats;
  bool HTML_text{};
  bool Within_a_Zip{};
  bool BigEndian{};
  Int32 file_Signature_bytes{};
  TEncoding* ResultingEncoding{};  // shared encodings, never freed here
  TEncoding* OriginalEncoding{};
  TFileFilter TextFileWanted{};
};

// One key word. lemma_words is owned by whoever fills the record.
struct TKeyword_entry_rec {
  Int32 fixed_size{};
  Int32 n_texts{};
  Int32 ref_corpus_n_texts{};
  Ttwo_KWInt64s f;
  Single LL{};
  Single BIC_Score{};
  Single LogRatio{};
  Single Dispersion_difference{};
  bool negative_score{};
  std::array<Byte, 15> spare{};
  TStringList* lemma_words{};
  std::vector<TPcharTag> wdarr;
};

// ---------------------------------------------------------------------------
// Typed constants.

inline constexpr TEnumArray<Wincodepage_types, Word, Wincodepage_types_Count> win_codepages = {{
    0, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258, 874, 932, 936, 949, 950,
}};

// Filled from the message tables when the unit starts, emptied when it stops.
// The names of the four auxiliary lists: "lemmas", "match list", ...
inline SK_CONSTINIT_TEXT TEnumArray<TLemmaMatchStopRelOptions, String, 4> LemmaMatchStopRelNames_of_processes;
// Their file captions, each with a "%s" for the file name: "lemma file %s", ...
inline SK_CONSTINIT_TEXT TEnumArray<TLemmaMatchStopRelOptions, String, 4> LemmaMatchStopRelFiles;
// The text of each collocation barrier; the five break kinds share
// "stop at %s break", formatted with the break's noun.
inline SK_CONSTINIT_TEXT TEnumArray<Tcollocation_barrier, String, 7> collocation_barrier_strs;

inline constinit bool global_autosearch_confirm = true;
inline constinit bool global_no_check_exit = false;

// ---------------------------------------------------------------------------
// Fixed language details.

class TFixedLangDetailsHolder : public TObject {
 public:
  explicit TFixedLangDetailsHolder(const Tfixed_lang_details& details) : data(details) {}
  Tfixed_lang_details data;
};

// Owns its holders.
class TFixedLangDetailsList : public TObject {
 public:
  TFixedLangDetailsList() = default;
  TFixedLangDetailsList(const TFixedLangDetailsList&) = delete;
  TFixedLangDetailsList& operator=(const TFixedLangDetailsList&) = delete;
  ~TFixedLangDetailsList() override = default;

  Int32 Count() const { return static_cast<Int32>(fItems.size()); }
  // Appends a copy of details; answers its index.
  Int32 Add(const Tfixed_lang_details& details);
  // Frees every holder and empties the list.
  virtual void Clear();
  // A copy of item i; the all-zero record for i outside 0..Count-1.
  Tfixed_lang_details GetALang(Int32 i) const;
  // Overwrites item i; nothing for i outside 0..Count-1.
  void SetALang(Int32 i, const Tfixed_lang_details& details);

 private:
  std::vector<std::unique_ptr<TFixedLangDetailsHolder>> fItems;
};

// ---------------------------------------------------------------------------
// Conversions to text (the texts come from the message tables).

String InitialMedialFinalToStr(TInitialMedialFinal position);
// "Word", "sentence", ... with "s" added for plural when the noun is not empty.
String TextSegmentsNoun(Ttext_stats stat, bool plural);
// n 14-15 sentence, 16-17 paragraph, 18-19 heading, 20-21 section, else empty.
String TextSegmentsNoun(Int8 n, bool plural);
String CollocateBarrierStr(Tcollocation_barrier barrier);
String LemmaMatchStopRelFileTypeStr(TLemmaMatchStopRelOptions which, const String& name);
// "unknown" for no encoding, "Unicode" for UTF-16LE, else the encoding's name.
String TextFormatAsString(TEncoding* encoding);
String ScreenMeasurementUnitsToStr(TScreenMeasurementUnits units, bool shortForm);
String CaseSensitivityToStr(bool caseSensitive);
String WhileAfterOnRequestToString(TWhileAfterOnRequest when);
String ConcordTagTextReadPolicyToString(TConcordTagTextReadPolicy policy);
String WordTagGetOptionToString(TWordTagGetOption option);
String TagVisibilityToString(TWordOrTagSet visible);
TWordOrTagSet StringToTagVisibility(const String& s);
String Type_Mode_Str(TKeyPressMode mode);
// 15 gives "auto", anything else the empty string.
String DefaultTextSegmentsMarker(Int32 n);
// One letter per style present: "B", "I", "U", "S" in that order.
String TypeFaceToStr(TFontStyles styles);
// The readable text of a categorising condition, with the placeholder names
// of condition_varnames_strs; empty when the row's condition is not met.
String ConditionDropdownOption(TSearchMethodRequirement requirement, bool flag, TColumnType columnType);

// ---------------------------------------------------------------------------
// Other conversions.

// "B" bold, "I" italic, "U" underline, anything else strike-out; and back.
TFontStyle CharToFontStyle(Char c);
Char FontStyleToChar(TFontStyle style);
TFontStyles ToggledTypeface(TFontStyle style, TFontStyles styles);
void IncludeOrExcludeATypeface(TFontStyle style, TFontStyles& styles, bool include);
void SetAConcDisplayIncluded(TConcDisplayOptionsSet& options, TConcDisplayOptions option, bool include);
void SetAWordTagDisplayIncluded(TWordAndTagDisplayOptionsSet& options, TWordAndTagDisplayOptions option,
                                bool include);
TEditCharCase CharCaseForOutputResultsCase(TOutput_results_case c);
TPercentageRanges PercentageToPercentageRange(Int32 percent);
Int32 PercentageRangeToPercentage(TPercentageRanges range);
bool CollocStatsToLR(TColloc_item_stat stat);
TColloc_item_stat TextStatsToCollocStats(Ttext_stats stat, TStartOrFinish2 startOrFinish);
Tcollocation_barrier TextStatsToCollocBarrier(Ttext_stats stat);
Int32 Word_tag_DisplayOptionsToTagnumber(TWordAndTagDisplayOptions option);
Int32 Conc_display_optionsToTagnumber(TConcDisplayOptions option);
Int32 TagToMatchAction(Int32 tag);
bool TypedCategoryMeansClearCategory(Char c);
// Centred when s reads as an integer or a floating-point number, else
// right-justified.
TAlignment RightOrCentredAlignment(const String& s);
T3Bool BooleanToTriBool(bool b);
bool TriBoolToBoolean(T3Bool t);
bool IsLikeWordList(TQuillmarkList list);
bool IsOrIsLikeWordList(TQuillmarkList list);
Int32 ListTypeToFileDataType(TQuillmarkList list);
TQuillmarkList GridAlternativesToListType(TGrid_alternatives g);
// cs_left5 .. cs_right5 to span_L05 .. span_R05; other sorts give span_Centre.
TConcordance_span SortToSortSpan(TConcordance_sort_system sort);
// "L3" gives span_L03, "R2" span_R02; anything unreadable span_Centre.
TConcordance_span ConcordanceSpanStrToPosition(const String& s);
Int32 ConcSortLevelAvailability(const TConcSortAndAscending& rec);
TConcordance_span MaxSpan(TConcordance_span a, TConcordance_span b);
TConcordance_span MinSpan(TConcordance_span a, TConcordance_span b);
Cardinal MaxCardinal(Cardinal a, Cardinal b);
Cardinal MinCardinal(Cardinal a, Cardinal b);
// At most 10 units, zero-filled / back up to the first zero unit.
tenwidechar StringToTenWidechar(const String& s);
String TenWideCharTostring(const tenwidechar& a);
void SetARecFontname(Tfixed_character_format_rec& rec, const String& name);
void EnsureALangFontOK(Tfixed_character_format_rec& rec);
void EnsureLanguageColoursAndFontOK(TMyCanvasColourRec& colours, Tfixed_lang_details& lang);
String LanguageNameAbbreviated(const String& name);
void ExchangeTwoIndexTypeRecs(Int32& a, Int32& b);
// Swaps headings i and j; nothing when either is outside the array.
void ExchangeTwoHeadings(Int32 i, Int32 j, std::vector<TGrid_head>& headings);
// The element of arr where v occurs (so v itself), or the negative position
// when v is absent.
Int32 ExportValueFromExportArray(const std::vector<Int32>& arr, Int32 v);
Int32 ExportColOrRowValue(Int32 v, bool useArray, const std::vector<Int32>& arr);
// Index of the first / last true element; 0 when none is true.
Int32 FirstChosenInArrayOfBoolean(const std::vector<bool>& a);
Int32 LastChosenInArrayOfBoolean(const std::vector<bool>& a);
// s with every occurrence removed, again until none is left.
String ChrClearedFromString(Char c, const String& s);
String SubStrClearedFromString(const String& sub, const String& s);
// A packed file date (date in the high word, time in the low word) as a
// date-and-time; 0 when the parts form no date or time.
TDateTime LastModTimeAndDateToDateTime(Word time, Word date);
Int32 CorrectByteDivision(Int32 start, Int64 base, Int64 step, Int32 count, const std::vector<Int64>& bounds);
bool SamePrimaryLanguage(Cardinal a, Cardinal b);
TBiDiMode LCIDToBiDiMode(Cardinal lcid);
TBiDiMode CharsetToBiDiMode(Byte charset);
Int32 Select_PART_OF_TEXT_RowNumber(Int32 i);
Int32 Select_ONLY_IF_RowNumber(Int32 i);
bool Same_PART_OF_TEXT_pair(Int32 i, Int32 j);
bool Same_ONLY_IF_Trio(Int32 i, Int32 j);
Ttext_select SmallintToSelectType(SmallInt i, TSelectIfContainingOrPartOfText kind);
// Measurement units of the page settings, through the screen's pixels per
// inch (CurrentPPI).
Int32 PixelWidth(TScreenMeasurementUnits units, Single x);
Int32 FloatToPixels(Single x, TScreenMeasurementUnits units);
Single PixelsToFloat(Int32 p, TScreenMeasurementUnits units);
Single SizeInInches(TScreenMeasurementUnits units, Single x);
Single Inches_To_ScreenMeasurementUnits(Single x, TScreenMeasurementUnits units);
Single Cm_To_ScreenMeasurementUnits(Single x, TScreenMeasurementUnits units);
Single MM_To_ScreenMeasurementUnits(Single x, TScreenMeasurementUnits units);
Single DefaultMarginForUnits(TScreenMeasurementUnits units);
// w, held to at most the first column's width the kind of grid needs.
Int32 GetMinimumColumn1Width(TGrid_alternatives g, Int32 w);
// True when the process runs over a remote connection (SSH_CONNECTION or
// SSH_CLIENT is set) or the program lies on a network file system.
bool Network_Copy();

// The saved-file extensions of the suite, each followed by ";", then ".types".
String QMFileExtensions();
bool testing();
bool PassesRelationshipThresholdTests(const TConcgramChecks& checks, const std::array<Single, 11>& values);

}  // namespace sk
