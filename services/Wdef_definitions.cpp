#include "services/Wdef_definitions.h"

#include <algorithm>
#include <cstdlib>

#include "core/Basic_consts.h"
#include "core/Generalruntime1const.h"
#include "core/Generalruntime2const.h"
#include "core/My_file_extensionsu.h"
#include "core/Qm_specific_consts.h"
#include "core/Simple_maths_routines.h"
#include "platform/runtime/DateUtils.h"
#include "platform/runtime/Encoding.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/RtlMath.h"
#include "platform/runtime/Strings.h"
#include "services/Monitor_functions.h"
#include "services/Wdef_hooks.h"
#include "services/Wdef_identity.h"

namespace sk {

namespace {

String Load(const TResStringRec& rec) { return LoadResString(&rec); }

// The noun of a text-statistics kind as the collocation barriers name it.
String BarrierNoun(Tcollocation_barrier b) {
  switch (b) {
    case coll_stop_punctuation: return Load(_QMPunctuation);
    case coll_stop_sentence: return Load(_QMSentence);
    case coll_stop_paragraph: return Load(_QMParagraph);
    case coll_stop_heading: return Load(_QMHeading);
    case coll_stop_section: return Load(_QMSection);
    default: return String();
  }
}

String Plural(String noun, bool plural) {
  if (plural && !noun.empty()) noun += u's';
  return noun;
}

// A span value moved by delta from the centre; false when it leaves the
// enumeration.
bool SpanFromCentre(Int64 delta, TConcordance_span& span) {
  const Int64 v = static_cast<Int64>(span_Centre) + delta;
  if (v < static_cast<Int64>(span_L50) || v > static_cast<Int64>(span_R51)) return false;
  span = static_cast<TConcordance_span>(v);
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------
// Fixed language details.

Int32 TFixedLangDetailsList::Add(const Tfixed_lang_details& details) {
  fItems.push_back(std::make_unique<TFixedLangDetailsHolder>(details));
  return Count() - 1;
}

void TFixedLangDetailsList::Clear() { fItems.clear(); }

Tfixed_lang_details TFixedLangDetailsList::GetALang(Int32 i) const {
  if (i < 0 || i >= Count()) return Tfixed_lang_details{};
  return fItems[static_cast<size_t>(i)]->data;
}

void TFixedLangDetailsList::SetALang(Int32 i, const Tfixed_lang_details& details) {
  if (i < 0 || i >= Count()) return;
  fItems[static_cast<size_t>(i)]->data = details;
}

// ---------------------------------------------------------------------------
// Conversions to text.

String InitialMedialFinalToStr(TInitialMedialFinal position) {
  switch (position) {
    case word_initial: return Load(_QMWordInitial);
    case word_medial: return Load(_QMWordMedial);
    case word_final: return Load(_QMWordFinal);
    case position_merged: return Load(_QMMerged);
  }
  return String();
}

String TextSegmentsNoun(Ttext_stats stat, bool plural) {
  String noun;
  switch (stat) {
    case stats_word: noun = Load(_QMWord); break;
    case stats_sentence: noun = Load(_QMSentence); break;
    case stats_paragraph: noun = Load(_QMParagraph); break;
    case stats_heading: noun = Load(_QMHeading); break;
    case stats_section: noun = Load(_QMSection); break;
  }
  return Plural(std::move(noun), plural);
}

String TextSegmentsNoun(Int8 n, bool plural) {
  String noun;
  if (n == 14 || n == 15) noun = Load(_QMSentence);
  else if (n == 16 || n == 17) noun = Load(_QMParagraph);
  else if (n == 18 || n == 19) noun = Load(_QMHeading);
  else if (n == 20 || n == 21) noun = Load(_QMSection);
  return Plural(std::move(noun), plural);
}

String CollocateBarrierStr(Tcollocation_barrier barrier) {
  // The table may not be filled (the unit not started): load the text here.
  String text = collocation_barrier_strs[barrier];
  if (text.empty()) {
    if (barrier == coll_stop_none) text = Load(_QMNoLimits);
    else if (barrier == coll_stop_text) text = Load(_QMStopAtEndOfText);
    else text = Load(_QMStopAtXBreak);
  }
  if (barrier == coll_stop_none || barrier == coll_stop_text) return text;
  return Format(text, {BarrierNoun(barrier)});
}

String LemmaMatchStopRelFileTypeStr(TLemmaMatchStopRelOptions which, const String& name) {
  static constexpr const TResStringRec* kFiles[] = {&_QMLemmaFileS, &_QMMatchListFileS, &_QMStopListFileS,
                                                     &_QMRelationListFileS};
  String fmt = LemmaMatchStopRelFiles[which];
  if (fmt.empty()) fmt = LoadResString(kFiles[which]);
  return Trim(Format(fmt, {name}));
}

String TextFormatAsString(TEncoding* encoding) {
  if (encoding == nullptr) return Load(_QMUnknown);
  if (encoding->CodePage() == TEncoding::Unicode()->CodePage()) return Load(_QMUnicode);
  return encoding->EncodingName();
}

String ScreenMeasurementUnitsToStr(TScreenMeasurementUnits units, bool shortForm) {
  if (units == sm_inches) return shortForm ? String(u"\"") : Load(_QMInches);
  return shortForm ? Load(_QMCm) : Load(_QMCentimetres);
}

String CaseSensitivityToStr(bool caseSensitive) {
  if (caseSensitive) return Load(_QMCaseSensitive);
  return Format(Load(_QMNotX), {Load(_QMCaseSensitive)});
}

String WhileAfterOnRequestToString(TWhileAfterOnRequest when) {
  switch (when) {
    case p_while_computing: return Format(Load(_QMAdvVerb), {Load(_QMWhile), Load(_QMComputing)});
    case p_after_computing: return Format(Load(_QMAdvVerb), {Load(_QMAfter), Load(_QMComputing)});
    case p_on_request: return Load(_QMOnRequest);
  }
  return String();
}

String ConcordTagTextReadPolicyToString(TConcordTagTextReadPolicy policy) {
  switch (policy) {
    case crp_get_no_tags: return Load(_QMNoTags);
    case crp_get_only_tagfile_tags: return Load(_QMTagfileTags);
    case crp_get_only_adjacent: return Load(_QMAdjacentTags);
    case crp_get_tagfile_and_adjacent: return Format(Load(_QMplus), {Load(_QMTagfileTags), Load(_QMAdjacentTags)});
  }
  return String();
}

String WordTagGetOptionToString(TWordTagGetOption option) {
  switch (option) {
    case wtg_both_words_and_tags: return Load(_QMWordsAndTags);
    case wtg_only_words: return u"*** " + Load(_QMWordsNoTags);
    case wtg_only_tags: return u"*** " + Load(_QMTagsOnlyNoWords);
  }
  return String();
}

String TagVisibilityToString(TWordOrTagSet visible) {
  const bool words = visible.Contains(twt_word);
  const bool tags = visible.Contains(twt_tag);
  if (words && tags) return Load(_QMWordsAndTags);
  if (words) return Load(_QMWordsNoTags);
  if (tags) return Load(_QMTagsOnlyNoWords);
  return Load(_QMNothing);
}

TWordOrTagSet StringToTagVisibility(const String& s) {
  if (s == Load(_QMWordsAndTags)) return TWordOrTagSet{twt_word, twt_tag};
  if (s == Load(_QMTagsOnlyNoWords)) return TWordOrTagSet{twt_tag};
  return TWordOrTagSet{twt_word};
}

String Type_Mode_Str(TKeyPressMode mode) {
  switch (mode) {
    case kp_typing_in: return Load(_QMFind);
    case kp_setting_categories: return Load(_QMSet);
    case kp_editing_data: return Load(_QMEdit);
  }
  return String();
}

String DefaultTextSegmentsMarker(Int32 n) { return n == 15 ? String(u"auto") : String(); }

String TypeFaceToStr(TFontStyles styles) {
  String r;
  for (TFontStyle st : {fsBold, fsItalic, fsUnderline, fsStrikeOut})
    if (styles & (1u << st)) r += FontStyleToChar(st);
  return r;
}

String ConditionDropdownOption(TSearchMethodRequirement requirement, bool flag, TColumnType columnType) {
  const String column = condition_varnames_strs[srvn_column];
  const String x = condition_varnames_strs[srvn_X_str];
  const String y = condition_varnames_strs[srvn_Y_str];
  const String number = condition_varnames_strs[srvn_Number];
  const bool isString = columnType == ct_string;
  const bool isNumber = columnType == ct_integer || columnType == ct_float;
  const String searchWord = Load(Generalruntime2const::_QMSearchWord);
  switch (requirement) {
    case ccp_Equals:
      return flag ? String() : Format(Load(_QMEquals), {column, x});
    case ccp_StartsWith:
      return !flag && isString ? Format(Load(_QMStartsWith), {column, x}) : String();
    case ccp_EndsWith:
      return !flag && isString ? Format(Load(_QMEndsWith), {column, x}) : String();
    case ccp_Between:
      return columnType != ct_other ? Format(Load(_QMAIsBetweenXandY), {column, x, y}) : String();
    case ccp_GreaterThan:
    case ccp_LessThan: {
      const bool above = requirement == ccp_GreaterThan;
      if (isNumber) return Format(Load(above ? _QMXAboveY : _QMXBelowY), {column, x});
      if (columnType == ct_date)
        return Format(Load(above ? _QMIsAfterOrEqualDate : _QMIsBeforeOrEqualDate), {column, x});
      if (isString) return Format(Load(above ? _QMXComesAfterY : _QMXComesBeforeY), {column, x});
      return String();
    }
    case ccp_FoundAnywhereIn:
      return isString ? Format(Load(_QMXFoundAnywhereIn), {x, column}) : String();
    case ccp_FoundWithinNWordsOfSearchword:
      return flag && isString ? Format(Load(_QMFoundWithinNWordsOf), {x, column, number, searchWord}) : String();
    case ccp_FoundWithinNWordsToLeftOfSearchword:
      return flag && isString ? Format(Load(_QMFoundWithinNWordsLeftOf), {x, column, number, searchWord})
                              : String();
    case ccp_FoundWithinNWordsToRightOfSearchword:
      return flag && isString ? Format(Load(_QMFoundWithinNWordsRightOf), {x, column, number, searchWord})
                              : String();
    case ccp_FoundWithinNWordsOf:
      return isString ? Format(Load(_QMFoundWithinNWordsOf), {x, column, number, y}) : String();
    case ccp_FoundWithinNWordsToLeftOf:
      return isString ? Format(Load(_QMFoundWithinNWordsLeftOf), {x, column, number, y}) : String();
    case ccp_FoundWithinNWordsToRightOf:
      return isString ? Format(Load(_QMFoundWithinNWordsRightOf), {x, column, number, y}) : String();
    case ccp_WordLengthEquals:
    case ccp_WordLengthGreaterThan:
    case ccp_WordLengthLessThan: {
      if (flag || !isString) return String();
      const String length = Format(Load(_QMXLength), {column});
      const TResStringRec& fmt = requirement == ccp_WordLengthEquals        ? _QMEquals
                                 : requirement == ccp_WordLengthGreaterThan ? _QMXAboveY
                                                                            : _QMXBelowY;
      return Format(Load(fmt), {length, number});
    }
    case ccp_is_deleted: return Load(_QMIsDeleted);
    case ccp_is_joined_head: return Load(_QMIsAJoinedHead);
    case ccp_is_Joined_member: return Load(_QMIsAJoinedMember);
    case ccp_is_marked: return Load(_QMIsAMarkedEntry);
    case ccp_is_matched: return Load(_QMIsAMatchedEntry);
  }
  return String();
}

// ---------------------------------------------------------------------------
// Other conversions.

TFontStyle CharToFontStyle(Char c) {
  switch (c) {
    case u'B': return fsBold;
    case u'I': return fsItalic;
    case u'U': return fsUnderline;
    default: return fsStrikeOut;
  }
}

Char FontStyleToChar(TFontStyle style) {
  switch (style) {
    case fsBold: return u'B';
    case fsItalic: return u'I';
    case fsUnderline: return u'U';
    case fsStrikeOut: return u'S';
  }
  return u'S';
}

TFontStyles ToggledTypeface(TFontStyle style, TFontStyles styles) {
  return static_cast<TFontStyles>(styles ^ (1u << style));
}

void IncludeOrExcludeATypeface(TFontStyle style, TFontStyles& styles, bool include) {
  if (include) styles = static_cast<TFontStyles>(styles | (1u << style));
  else styles = static_cast<TFontStyles>(styles & ~(1u << style));
}

void SetAConcDisplayIncluded(TConcDisplayOptionsSet& options, TConcDisplayOptions option, bool include) {
  if (include) options.Include(option);
  else options.Exclude(option);
}

void SetAWordTagDisplayIncluded(TWordAndTagDisplayOptionsSet& options, TWordAndTagDisplayOptions option,
                                bool include) {
  if (include) options.Include(option);
  else options.Exclude(option);
}

TEditCharCase CharCaseForOutputResultsCase(TOutput_results_case c) {
  if (c == upper_case_output) return ecUpperCase;
  if (c == lower_case_output) return ecLowerCase;
  return ecNormal;
}

TPercentageRanges PercentageToPercentageRange(Int32 percent) {
  if (percent >= 0 && percent <= 33) return tpc_below_33;
  if (percent >= 34 && percent <= 67) return tpc_34_67;
  if (percent >= 68 && percent <= 85) return tpc_68_85;
  return tpc_86_on;
}

Int32 PercentageRangeToPercentage(TPercentageRanges range) {
  switch (range) {
    case tpc_below_33: return 15;
    case tpc_34_67: return 50;
    case tpc_68_85: return 72;
    case tpc_86_on: return 94;
  }
  return 94;
}

bool CollocStatsToLR(TColloc_item_stat stat) {
  return stat == cis_sentence_end || stat == cis_para_end || stat == cis_heading_end || stat == cis_section_end ||
         stat == cis_text_end;
}

TColloc_item_stat TextStatsToCollocStats(Ttext_stats stat, TStartOrFinish2 startOrFinish) {
  const bool start = startOrFinish == sf_start2;
  switch (stat) {
    case stats_word: return cis_word;
    case stats_sentence: return start ? cis_sentence_start : cis_sentence_end;
    case stats_paragraph: return start ? cis_para_start : cis_para_end;
    case stats_heading: return start ? cis_heading_start : cis_heading_end;
    case stats_section: return start ? cis_section_start : cis_section_end;
  }
  return cis_word;
}

Tcollocation_barrier TextStatsToCollocBarrier(Ttext_stats stat) {
  switch (stat) {
    case stats_sentence: return coll_stop_sentence;
    case stats_paragraph: return coll_stop_paragraph;
    case stats_heading: return coll_stop_heading;
    case stats_section: return coll_stop_section;
    default: return coll_stop_none;
  }
}

Int32 Word_tag_DisplayOptionsToTagnumber(TWordAndTagDisplayOptions option) {
  switch (option) {
    case colour_tags: return 138;
    case hide_breaks: return 112;
    case hide_empty_tags: return 117;
    case hide_tagfile_tags: return 100;
    case hide_words: return 102;
  }
  return -1;
}

Int32 Conc_display_optionsToTagnumber(TConcDisplayOptions option) {
  switch (option) {
    case conc_blank_out_sw: return 181;
    case conc_sentence_only: return 101;
  }
  return -1;
}

Int32 TagToMatchAction(Int32 tag) {
  switch (tag) {
    case 156: return 1;
    case 157: return 2;
    case 208: return 3;
    case 209: return 4;
    default: return 0;
  }
}

bool TypedCategoryMeansClearCategory(Char c) { return c == u'0'; }

TAlignment RightOrCentredAlignment(const String& s) {
  Int32 i = 0;
  Double d = 0;
  if (TryStrToInt(s, i) || TryStrToFloat(s, d)) return taCenter;
  return taRightJustify;
}

T3Bool BooleanToTriBool(bool b) { return b ? b3_verdadeiro : b3_falso; }

bool TriBoolToBoolean(T3Bool t) { return t == b3_verdadeiro; }

bool IsLikeWordList(TQuillmarkList list) { return list == lt_wordlist_index_list; }

bool IsOrIsLikeWordList(TQuillmarkList list) { return list == lt_word_list || list == lt_wordlist_index_list; }

Int32 ListTypeToFileDataType(TQuillmarkList list) {
  switch (list) {
    case lt_KW_plot_list:
    case lt_concordance_plot_list: return 1;
    case lt_filename_list:
    case lt_plaintext_list:
    case lt_notes:
    case lt_source_text: return 2;
    default: return 0;
  }
}

TQuillmarkList GridAlternativesToListType(TGrid_alternatives g) {
  switch (g) {
    case grid_concordance: return lt_concordance_list;
    case grid_clusters: return lt_concordance_cluster_list;
    case grid_conc_plot: return lt_concordance_plot_list;
    case grid_patterns: return lt_concordance_pattern_list;
    case grid_collocates: return lt_collocate_list;
    case grid_detailed_consist:
    case grid_alph_order:
    case grid_freq_order: return lt_word_list;
    case grid_statistics: return lt_statistics_list;
    case grid_filenames: return lt_filename_list;
    case grid_conc_timeline: return lt_conc_timeline_list;
    case grid_keywords: return lt_keyword_list;
    case grid_KWDbase: return lt_KW_database_list;
    case grid_kwdb_associates: return lt_kw_associate_list;
    case grid_kw_Clumps: return lt_kw_clump_list;
    case grid_kw_plot: return lt_KW_plot_list;
    case grid_kw_plot_links: return lt_kw_link_list;
    case grid_paras:
    case grid_sents:
    case grid_aligner_conc: return lt_plaintext_list;
    case grid_relations: return lt_index_relationship_list;
    case grid_detailed_consist_relations: return lt_word_list;
    case grid_chargrams: return lt_chargram_list;
    case grid_chargram_patterns: return lT_chargram_pattern_list;
    case grid_KWDB_Timeline: return lt_KWDB_timeline_list;
    default: return lt_undefined;
  }
}

TConcordance_span SortToSortSpan(TConcordance_sort_system sort) {
  if (sort >= cs_left5 && sort <= cs_right5)
    return static_cast<TConcordance_span>(static_cast<int>(span_L05) + static_cast<int>(sort));
  return span_Centre;
}

TConcordance_span ConcordanceSpanStrToPosition(const String& s) {
  TConcordance_span span = span_Centre;
  const String left = Load(_QML);
  const String right = Load(_QMR);
  Int32 sign = 0;
  String rest;
  if (!left.empty() && StartsStr(left, s)) {
    sign = -1;
    rest = s.substr(left.size());
  } else if (!right.empty() && StartsStr(right, s)) {
    sign = 1;
    rest = s.substr(right.size());
  }
  Int32 n = 0;
  // A number that would lead outside the spans counts as unreadable.
  if (sign != 0 && TryStrToInt(rest, n)) SpanFromCentre(static_cast<Int64>(sign) * n, span);
  return span;
}

Int32 ConcSortLevelAvailability(const TConcSortAndAscending& rec) {
  Int32 n = 0;
  if (rec.sorts[second_sort] != rec.sorts[main_sort]) ++n;
  if (rec.sorts[third_sort] != rec.sorts[main_sort] && rec.sorts[third_sort] != rec.sorts[second_sort]) ++n;
  return n;
}

TConcordance_span MaxSpan(TConcordance_span a, TConcordance_span b) { return a < b ? b : a; }
TConcordance_span MinSpan(TConcordance_span a, TConcordance_span b) { return b < a ? b : a; }
Cardinal MaxCardinal(Cardinal a, Cardinal b) { return a < b ? b : a; }
Cardinal MinCardinal(Cardinal a, Cardinal b) { return b < a ? b : a; }

tenwidechar StringToTenWidechar(const String& s) {
  tenwidechar a{};
  const size_t n = std::min<size_t>(s.size(), a.size() - 1);
  std::copy_n(s.begin(), n, a.begin());
  return a;
}

String TenWideCharTostring(const tenwidechar& a) {
  const auto end = std::find(a.begin(), a.end(), u'\0');
  return String(a.begin(), end);
}

void SetARecFontname(Tfixed_character_format_rec& rec, const String& name) {
  rec.fontname.fill(u'\0');
  const size_t n = std::min<size_t>(name.size(), rec.fontname.size() - 1);
  std::copy_n(name.begin(), n, rec.fontname.begin());
}

void EnsureALangFontOK(Tfixed_character_format_rec& rec) {
  if (rec.fontsize != 0) return;
  SetARecFontname(rec, u"Tahoma");
  rec.fontsize = 10;
}

void EnsureLanguageColoursAndFontOK(TMyCanvasColourRec& colours, Tfixed_lang_details& lang) {
  WdefEnsureColoursOK(colours);
  EnsureALangFontOK(lang.new_win_font);
}

String LanguageNameAbbreviated(const String& name) { return name.substr(0, 1); }

void ExchangeTwoIndexTypeRecs(Int32& a, Int32& b) { std::swap(a, b); }

void ExchangeTwoHeadings(Int32 i, Int32 j, std::vector<TGrid_head>& headings) {
  const auto n = static_cast<Int64>(headings.size());
  if (i < 0 || j < 0 || i >= n || j >= n) return;
  std::swap(headings[static_cast<size_t>(i)], headings[static_cast<size_t>(j)]);
}

Int32 ExportValueFromExportArray(const std::vector<Int32>& arr, Int32 v) {
  const Int32 pos = PositionInArrayOfInteger(arr, v);
  return pos < 0 ? pos : arr[static_cast<size_t>(pos)];
}

Int32 ExportColOrRowValue(Int32 v, bool useArray, const std::vector<Int32>& arr) {
  return useArray ? ExportValueFromExportArray(arr, v) : v;
}

Int32 FirstChosenInArrayOfBoolean(const std::vector<bool>& a) {
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i]) return static_cast<Int32>(i);
  return 0;
}

Int32 LastChosenInArrayOfBoolean(const std::vector<bool>& a) {
  for (size_t i = a.size(); i-- > 0;)
    if (a[i]) return static_cast<Int32>(i);
  return 0;
}

String ChrClearedFromString(Char c, const String& s) {
  String r = s;
  std::erase(r, c);
  return r;
}

String SubStrClearedFromString(const String& sub, const String& s) {
  if (sub.empty()) return s;
  // Removing an occurrence may join the text before it and the text after it
  // into a new one, which is removed too. The result is built in one pass:
  // out holds what is kept so far (with no occurrence in it), and the text
  // being cleared is out followed by s from i on. A new occurrence can only
  // start in the last sub.size() - 1 units of out and run on into s.
  const size_t m = sub.size();
  String out;
  out.reserve(s.size());
  size_t i = 0;
  for (;;) {
    bool joined = false;
    const size_t first = out.size() >= m ? out.size() - m + 1 : 0;
    for (size_t p = first; p < out.size(); ++p) {
      const size_t inOut = out.size() - p;  // units of the match in out
      if (s.size() - i < m - inOut) continue;
      if (out.compare(p, inOut, sub, 0, inOut) == 0 && s.compare(i, m - inOut, sub, inOut, m - inOut) == 0) {
        out.resize(p);
        i += m - inOut;
        joined = true;
        break;
      }
    }
    if (joined) continue;
    const size_t q = s.find(sub, i);
    if (q == String::npos) break;
    out.append(s, i, q - i);
    i = q + m;
  }
  out.append(s, i, String::npos);
  return out;
}

TDateTime LastModTimeAndDateToDateTime(Word time, Word date) {
  const Word year = static_cast<Word>(1980 + (date >> 9));
  const Word month = static_cast<Word>((date >> 5) & 0x0F);
  const Word day = static_cast<Word>(date & 0x1F);
  const Word hour = static_cast<Word>(time >> 11);
  const Word minute = static_cast<Word>((time >> 5) & 0x3F);
  const Word second = static_cast<Word>((time & 0x1F) * 2);
  TDateTime d = 0;
  TDateTime t = 0;
  if (!TryEncodeDate(year, month, day, d) || !TryEncodeTime(hour, minute, second, 0, t)) return 0;
  return d + t;
}

Int32 CorrectByteDivision(Int32 start, Int64 base, Int64 step, Int32 count, const std::vector<Int64>& bounds) {
  const Int64 p = base + (count < 2000 ? Round(static_cast<Double>(step) * count / 2000.0) : step);
  for (Int64 k = std::max<Int32>(start, 0); k < static_cast<Int64>(bounds.size()); ++k)
    if (p < bounds[static_cast<size_t>(k)]) return static_cast<Int32>(k);
  return 0;
}

bool SamePrimaryLanguage(Cardinal a, Cardinal b) { return (a & 0x3FF) == (b & 0x3FF); }

TBiDiMode LCIDToBiDiMode(Cardinal lcid) {
  switch (lcid & 0x3FF) {
    case 0x01:  // Arabic
    case 0x0D:  // Hebrew
    case 0x29:  // Farsi
    case 0x63:  // Pashto
      return bdRightToLeft;
    default: return bdLeftToRight;
  }
}

TBiDiMode CharsetToBiDiMode(Byte charset) {
  return charset == 177 || charset == 178 ? bdRightToLeft : bdLeftToRight;
}

Int32 Select_PART_OF_TEXT_RowNumber(Int32 i) { return i >= 1 && i <= 14 ? (i + 1) / 2 : 0; }

Int32 Select_ONLY_IF_RowNumber(Int32 i) { return i >= 1 && i <= 15 ? (i + 2) / 3 : 0; }

bool Same_PART_OF_TEXT_pair(Int32 i, Int32 j) {
  return Select_PART_OF_TEXT_RowNumber(i) == Select_PART_OF_TEXT_RowNumber(j);
}

bool Same_ONLY_IF_Trio(Int32 i, Int32 j) { return Select_ONLY_IF_RowNumber(i) == Select_ONLY_IF_RowNumber(j); }

Ttext_select SmallintToSelectType(SmallInt i, TSelectIfContainingOrPartOfText kind) {
  const bool odd = (i % 2) != 0;
  if (kind == s_PART_OF_TEXT) {
    if (i > 14) return odd ? incluir_and : incluir_or;
    return odd ? excluir_and : excluir_or;
  }
  if (i == 1 || i == 4 || i == 7 || i == 10) return incluir_and;
  if (i < 13) return incluir_or;
  if (i > 13) return excluir_or;
  return excluir_and;
}

String QMFileExtensions() {
  String r;
  for (int k = 0; k < TQuillmarkList_Count; ++k) {
    const auto list = static_cast<TQuillmarkList>(k);
    switch (list) {
      case lt_collocate_list:
      case lt_KWDB_timeline_list:
      case lt_conc_timeline_list:
      case lt_plaintext_list:
      case lt_kw_cluster_list: continue;
      default: break;
    }
    if (list >= lt_KW_plot_list && list <= lt_kw_link_list) continue;
    const String ext = ListTypeToDefaultExt(list);
    if (ext.size() >= 2 && r.find(ext) == String::npos) r += ext + u';';
  }
  return r + QMExts[ext_index_types];
}

// ---------------------------------------------------------------------------
// Measurement units.

Int32 PixelWidth(TScreenMeasurementUnits units, Single x) { return FloatToPixels(x, units); }

Int32 FloatToPixels(Single x, TScreenMeasurementUnits units) {
  const Double ppi = CurrentPPI();
  const Double px = units == sm_inches ? x * ppi : x * ppi / inch_to_cm;
  return static_cast<Int32>(Round(px));
}

Single PixelsToFloat(Int32 p, TScreenMeasurementUnits units) {
  const Double inches = static_cast<Double>(p) / CurrentPPI();
  return static_cast<Single>(units == sm_inches ? inches : inches * inch_to_cm);
}

Single SizeInInches(TScreenMeasurementUnits units, Single x) { return units == sm_inches ? x : x / inch_to_cm; }

Single Inches_To_ScreenMeasurementUnits(Single x, TScreenMeasurementUnits units) {
  return units == sm_inches ? x : x * inch_to_cm;
}

Single Cm_To_ScreenMeasurementUnits(Single x, TScreenMeasurementUnits units) {
  return units == sm_centimetres ? x : x / inch_to_cm;
}

Single MM_To_ScreenMeasurementUnits(Single x, TScreenMeasurementUnits units) {
  return units == sm_centimetres ? x / 10 : x / inch_to_mm;
}

Single DefaultMarginForUnits(TScreenMeasurementUnits units) { return units == sm_inches ? 1.0f : inch_to_cm; }

Int32 GetMinimumColumn1Width(TGrid_alternatives g, Int32 w) {
  const Int32 ppi = CurrentPPI();
  Int32 m = ppi;
  switch (g) {
    case grid_concordance:
    case grid_filenames:
    case grid_paras:
    case grid_sents:
    case grid_aligner_conc: m = 6 * ppi; break;
    case grid_clusters:
    case grid_conc_plot:
    case grid_kw_Clusters:
    case grid_kw_Clumps:
    case grid_kw_plot: m = 2 * ppi; break;
    case grid_patterns:
    case grid_collocates:
    case grid_detailed_consist:
    case grid_alph_order:
    case grid_freq_order:
    case grid_conc_timeline:
    case grid_keywords:
    case grid_KWDbase:
    case grid_kwdb_associates:
    case grid_kw_plot_links:
    case grid_relations:
    case grid_detailed_consist_relations:
    case grid_chargrams:
    case grid_chargram_patterns:
    case grid_KWDB_Timeline: m = static_cast<Int32>(Round(1.5 * ppi)); break;
    default: break;
  }
  return std::min(w, m);
}

bool Network_Copy() {
  for (const char* name : {"SSH_CONNECTION", "SSH_CLIENT"}) {
    const char* v = std::getenv(name);
    if (v != nullptr && *v != '\0') return true;
  }
  TMountInfo mount;
  return GetMountOf(ProgramFileName(), mount) && mount.Network;
}

bool testing() { return true; }

bool PassesRelationshipThresholdTests(const TConcgramChecks& checks, const std::array<Single, 11>& values) {
  bool anyInUse = false;
  for (int k = 0; k < TRelationshipStats_Count; ++k) {
    const TBoolAndSingleSettings& s = checks.stat_relation_settings[static_cast<TRelationshipStats>(k)];
    if (!s.do_it) continue;
    anyInUse = true;
    const bool reaches = values[static_cast<size_t>(k)] >= s.threshold;
    if (checks.test_all_procedures) {
      if (!reaches) return false;
    } else {
      if (reaches) return true;
      if (!checks.test_all_words) return false;
    }
  }
  return checks.test_all_procedures || !anyInUse;
}

}  // namespace sk
