#include "core/My_string_functions_notation.h"

#include <unicode/uchar.h>

#include <algorithm>
#include <string_view>
#include <unordered_set>

#include "core/Basic_processes.h"
#include "core/Comparing_types.h"
#include "core/Generalruntime1const.h"
#include "core/Generalruntime2const.h"
#include "core/Global_vars.h"
#include "core/My_string_functions_charclass.h"
#include "core/My_string_functions_markup.h"
#include "core/My_string_functions_numbers.h"
#include "core/My_string_functions_splitting.h"
#include "core/My_string_functions_tags.h"
#include "core/My_string_functions_words.h"
#include "core/Stringtag_utils.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/Strings.h"

namespace sk {
namespace {

constexpr size_t npos = String::npos;
constexpr Char kPrivateUseMark = 0xF8FF;
// The statistic's own symbol, the same in every language.
constexpr const Char* kMI3Name = u"MI3";

// Whether the character at 1-based position p belongs to a word (a letter,
// digit or mark), treating positions outside the text as outside words.
bool WordCharAt(const String& s, Int64 p) {
  return p >= 1 && p <= static_cast<Int64>(s.size()) && IsWordCharAt(s, static_cast<size_t>(p - 1));
}

// The pieces of text between spaces, empty ones included; none for ''.
std::vector<String> SpaceSeparatedPieces(const String& text) {
  std::vector<String> pieces;
  if (text.empty()) return pieces;
  size_t start = 0;
  for (;;) {
    const size_t sp = text.find(u' ', start);
    if (sp == npos) {
      pieces.push_back(text.substr(start));
      break;
    }
    pieces.push_back(text.substr(start, sp - start));
    start = sp + 1;
  }
  return pieces;
}

bool StretchCountExceeds(const TStringAndIntegerRec& rec, Int32 maxAllowed) { return rec.i > maxAllowed; }

// Where each 20-character window of a text starts, looked up by a rolling
// hash, so that the shared-passage search finds a chunk without scanning the
// whole text for it again at every step. The windows are kept as (hash,
// start) pairs sorted once: 16 bytes a character, searched by halving.
class TWindowIndex {
 public:
  static constexpr size_t kWidth = 20;

  explicit TWindowIndex(const String& text) : fText(text) {
    if (text.size() < kWidth) return;
    uint64_t top = 1;  // kBase to the power kWidth - 1, wrapping
    for (size_t i = 1; i < kWidth; ++i) top *= kBase;
    uint64_t h = 0;
    for (size_t i = 0; i < kWidth; ++i) h = h * kBase + text[i];
    fWindows.reserve(text.size() - kWidth + 1);
    for (size_t i = 0;; ++i) {
      fWindows.emplace_back(h, i);
      if (i + kWidth >= text.size()) break;
      h = (h - text[i] * top) * kBase + text[i + kWidth];
    }
    // Plain integer pairs: hash first, then start, so that the windows of one
    // hash stand in text order.
    std::sort(fWindows.begin(), fWindows.end());
  }

  // 1-based position of the first occurrence of chunk, 0 when absent.
  Int32 Find(const String& chunk) const {
    if (chunk.size() != kWidth) return Pos(chunk, fText);
    uint64_t h = 0;
    for (Char c : chunk) h = h * kBase + c;
    // Windows that share the hash, earliest first; the first that really
    // holds the chunk is its first occurrence.
    for (auto it = std::lower_bound(fWindows.begin(), fWindows.end(), std::pair<uint64_t, size_t>(h, 0));
         it != fWindows.end() && it->first == h; ++it)
      if (fText.compare(it->second, kWidth, chunk) == 0) return static_cast<Int32>(it->second + 1);
    return 0;
  }

 private:
  static constexpr uint64_t kBase = 1000003ULL;

  const String& fText;
  std::vector<std::pair<uint64_t, size_t>> fWindows;
};

// The closing tags present in a text, for the unclosed-tag scan: every
// stretch from a "</" to the next ">" (up to a length that real tags never
// reach; longer closings are looked for in the text itself).
class TClosingTagSet {
 public:
  static constexpr size_t kMaxIndexed = 512;

  explicit TClosingTagSet(const String& text) : fText(text) {
    size_t from = 0;
    for (;;) {
      const size_t p = text.find(u"</", from);
      if (p == npos) break;
      const size_t gt = text.find(u'>', p + 2);
      if (gt == npos) break;
      if (gt - p + 1 <= kMaxIndexed) fSeen.insert(std::u16string_view(text).substr(p, gt - p + 1));
      from = p + 1;
    }
  }

  bool Occurs(const String& closing) const {
    // A closing form holds exactly one ">", at its end, so it occurs in the
    // text only as one of the stretches indexed.
    if (closing.size() >= 3 && closing[0] == u'<' && closing[1] == u'/' && closing.back() == u'>' &&
        closing.find(u'>') == closing.size() - 1 && closing.size() <= kMaxIndexed)
      return fSeen.count(std::u16string_view(closing)) > 0;
    return fText.find(closing) != npos;
  }

 private:
  const String& fText;
  std::unordered_set<std::u16string_view> fSeen;
};

// Visits each span from an opening text to the first closing text after it,
// left to right without overlap: visit(start, end, spans so far) answers true
// to stop. Returns the number of spans visited.
template <class Visit>
Int32 EachEnclosedSpan(const String& text, const String& open, const String& close, Visit visit) {
  if (text.empty() || open.empty() || close.empty()) return 0;
  Int32 found = 0;
  size_t from = 0;
  for (;;) {
    const size_t at = text.find(open, from);
    if (at == npos) break;
    const size_t cl = text.find(close, at);
    // No closing text after this opening one means none after any later one.
    if (cl == npos) break;
    const size_t end = cl + close.size();
    ++found;
    if (visit(at, end, found)) break;
    from = end;
  }
  return found;
}

}  // namespace

// ---- tagged-word arrays ---------------------------------------------------------

Int32 StringTagPos(const TStringTag& item, const std::vector<TStringTag>& arr, bool wildcards) {
  for (size_t i = 0; i < arr.size(); ++i)
    if (StringTagMatches(item, arr[i], wildcards)) return static_cast<Int32>(i);
  return -1;
}

Int32 PosStringTagArrayInOther(const std::vector<TStringTag>& whole, const std::vector<TStringTag>& part,
                               bool wildcards) {
  if (part.empty()) return -1;
  const Int32 p = StringTagPos(part[0], whole, wildcards);
  if (p < 0) return -1;
  if (static_cast<Int64>(p) + static_cast<Int64>(part.size()) - 1 >= static_cast<Int64>(whole.size())) return -1;
  for (size_t k = 1; k < part.size(); ++k)
    if (!StringTagMatches(part[k], whole[static_cast<size_t>(p) + k], wildcards)) return -1;
  return p;
}

Int32 PosPcharTagArrayInOther(const std::vector<TPcharTag>& whole, const std::vector<TPcharTag>& part,
                              bool wildcards) {
  return PosStringTagArrayInOther(PcharTagArrayToStringTagArray(whole), PcharTagArrayToStringTagArray(part),
                                  wildcards);
}

TPositionAndCount FirstAsteriskPosAndCount(const std::vector<TStringTag>& arr) {
  TPositionAndCount pc{-1, 0};
  for (size_t i = 0; i < arr.size(); ++i) {
    if (arr[i].wrd != u"*") continue;
    if (pc.position < 0) pc.position = static_cast<Int32>(i);
    ++pc.count;
  }
  return pc;
}

bool StringTagArrayRuleCheck(const std::vector<TStringTag>& /*arr*/, const TPositionAndCount& pc,
                             TStringTagMatchingRule rule) {
  if (rule == stm_one_asterisk_allowed && pc.position >= 0 && pc.count >= 2) return false;
  if (rule == stm_no_asterisks_allowed && pc.position >= 0) return false;
  return true;
}

bool StringTagArrayRuleCheck(const std::vector<TStringTag>& /*arr1*/, const std::vector<TStringTag>& /*arr2*/,
                             const TPositionAndCount& pc1, const TPositionAndCount& pc2,
                             TStringTagMatchingRule rule) {
  if (rule != stm_one_asterisk_allowed && rule != stm_no_asterisks_allowed) return true;
  const bool has1 = pc1.position >= 0;
  const bool has2 = pc2.position >= 0;
  if (has1 && (rule == stm_no_asterisks_allowed || pc1.count > 1)) return false;
  if (has2 && (rule == stm_no_asterisks_allowed || pc2.count > 1)) return false;
  if (!has1 || !has2) return true;
  return pc1.position == pc2.position;
}

void AddAStringTagToStringTagArray(const TStringTag& item, std::vector<TStringTag>& arr) { arr.push_back(item); }

void AddAStringToStringTagArray(const String& word, std::vector<TStringTag>& arr) {
  arr.push_back(TStringTag{word, String(), 0});
}

namespace {

// Appends tag and word to the joined text as AddToListWithSeparatorIfNeeded
// would (no separator while the text is still empty), in place, so that
// joining many elements copies each of them once.
void AppendTagAndWord(String& result, const Char* tag, size_t tagLength, const Char* word, size_t wordLength,
                      const String& separator) {
  if (!result.empty()) result += separator;
  result.append(tag, tagLength);
  result.append(word, wordLength);
}

}  // namespace

String StringTagArrayToString(const std::vector<TStringTag>& arr, const String& separator) {
  String result;
  for (const TStringTag& t : arr)
    AppendTagAndWord(result, t.tag.data(), t.tag.size(), t.wrd.data(), t.wrd.size(), separator);
  return result;
}

String PcharTagArrayToString(const std::vector<TPcharTag>& arr, const String& separator) {
  String result;
  for (const TPcharTag& t : arr) {
    const Char* tag = t.tag.get();
    const Char* word = t.wrd.get();
    AppendTagAndWord(result, tag != nullptr ? tag : u"", t.tag.Length(), word != nullptr ? word : u"", t.wrd.Length(),
                     separator);
  }
  return result;
}

std::vector<TStringTag> StringToClusterStringAndTags(const String& text) {
  std::vector<TStringTag> result;
  for (String& piece : SpaceSeparatedPieces(text)) result.push_back(TStringTag{std::move(piece), String(), 0});
  return result;
}

std::vector<TPcharTag> StringToClusterPcharAndTags(const String& text) {
  std::vector<TPcharTag> result;
  for (const String& piece : SpaceSeparatedPieces(text)) {
    TPcharTag t;
    t.wrd = TOwnedPWideChar(piece);
    result.push_back(std::move(t));
  }
  return result;
}

TStringTag PCharTagToStringTag(const TPcharTag& rec) {
  return TStringTag{rec.wrd.ToString(), rec.tag.ToString(), rec.tagnum_2B};
}

TPcharTag StringTagToPcharTag(const TStringTag& rec) {
  TPcharTag t;
  t.wrd = TOwnedPWideChar(rec.wrd);
  t.tag = TOwnedPWideChar(rec.tag);
  t.tagnum_2B = rec.tagnum_2B;
  return t;
}

std::vector<TStringTag> PcharTagArrayToStringTagArray(const std::vector<TPcharTag>& arr) {
  std::vector<TStringTag> result;
  result.reserve(arr.size());
  for (const TPcharTag& t : arr) result.push_back(PCharTagToStringTag(t));
  return result;
}

std::vector<TPcharTag> StringTagArrayToPcharTagArray(const std::vector<TStringTag>& arr) {
  std::vector<TPcharTag> result;
  result.reserve(arr.size());
  for (const TStringTag& t : arr) result.push_back(StringTagToPcharTag(t));
  return result;
}

std::vector<TPcharTag> CopiedPcharTagArrayToPcharTagArray(const std::vector<TPcharTag>& arr) {
  return std::vector<TPcharTag>(arr);  // TOwnedPWideChar copies its text
}

TStringTag StringAndTagStrRecToStringAndTag(const TConcStringTag& rec) {
  return TStringTag{rec.wordsections.wd_str, rec.tag, rec.tagnum_2B};
}

void SetCaseStringTagArray(std::vector<TStringTag>& arr, TOutput_results_case outputCase) {
  for (TStringTag& t : arr) {
    switch (outputCase) {
      case upper_case_output:
        t.wrd = AnsiUpperCase(t.wrd);
        break;
      case title_case_output:
        t.wrd = TitleCasedString(t.wrd, true);
        break;
      case lower_case_output:
        t.wrd = AnsiLowerCase(t.wrd);
        break;
      default:
        break;
    }
  }
}

// ---- search-word notation ---------------------------------------------------------

eightywidechar StringToSearch_word(const String& text) {
  eightywidechar field{};
  const size_t n = std::min<size_t>(text.size(), field.size() - 1);
  std::copy_n(text.begin(), n, field.begin());
  return field;
}

String Search_wordToString(const eightywidechar& field) {
  size_t n = 0;
  while (n < field.size() && field[n] != 0) ++n;
  return String(field.data(), n);
}

void ManageAQMSearchWordRec(TQMSearchWordRec& rec, TListManage how) {
  switch (how) {
    case list_creating:
      if (rec.variants_found != nullptr)
        rec.variants_found->Clear();
      else
        rec.variants_found = new TStringTagFreqList();
      break;
    case list_freeing:
      rec.sw_contexts_needed.clear();
      delete rec.variants_found;
      rec.variants_found = nullptr;
      break;
    case list_clearing:
      rec.sw_contexts_needed.clear();
      if (rec.variants_found != nullptr) rec.variants_found->Clear();
      break;
  }
}

String TagWordPrecedenceToStr(TTagWordPrecedence p) {
  return p == tag_before_word ? LoadResString(&_QMTagThenWord) : LoadResString(&_QMWordThenTag);
}

TTagWordPrecedence StringToTagWordPrecedence(const String& s) {
  return s == LoadResString(&_QMTagThenWord) ? tag_before_word : tag_after_word;
}

void RemoveAnyPrivateUse(String& s) { s.erase(std::remove(s.begin(), s.end(), kPrivateUseMark), s.end()); }

twowidechar TwoWideCharFrom(const Char* p, Int32 i) {
  twowidechar r{};
  if (p == nullptr || i < 0) return r;
  // Only as far as needed: the text must hold units i and i + 1.
  for (Int64 k = 0; k <= static_cast<Int64>(i) + 1; ++k)
    if (p[k] == 0) return r;
  r[0] = p[i];
  r[1] = p[i + 1];
  return r;
}

TIgnore_tag StringToIgnoreTag(const String& text) {
  TIgnore_tag pairs{};
  String rest;
  for (Char c : text)
    if (c != u'*' && c >= 0x21) rest += c;
  size_t slot = 0;
  size_t start = 0;  // where the item not yet read begins
  while (start < rest.size()) {
    size_t comma = rest.find(u',', start);
    // A comma that begins an item counts as standing one further on: the
    // item is that comma alone, and the character after it is passed over.
    if (comma == start) comma = start + 1;
    // The item's first and last characters (the last before its comma).
    const size_t last = comma == npos || comma >= rest.size() ? rest.size() - 1 : comma - 1;
    pairs[tag_on][slot] = rest[start];
    pairs[tag_off][slot] = rest[last];
    start = comma == npos ? rest.size() : comma + 1;
    if (slot < 5) ++slot;
  }
  return pairs;
}

String IgnoreTagToString(const TIgnore_tag& pairs) {
  String result;
  for (size_t k = 0; k < 6; ++k) {
    const Char open = pairs[tag_on][k];
    const Char close = pairs[tag_off][k];
    if (open == 0 || close == 0) continue;
    String item;
    item += open;
    // A comma pair is written as the comma alone: the reader takes a comma
    // that begins an item as the whole item and passes over the separator
    // after it, so ",*," followed by more items would read as two pairs.
    if (open != u',' || close != u',') {
      item += u'*';
      item += close;
    }
    result = AddToListWithSeparatorIfNeeded(result, item, u",");
  }
  return result;
}

TConcWordSectionsRec StringToConcWordSections(const String& text) {
  TConcWordSectionsRec rec;
  if (text.empty()) return rec;
  size_t a = 0;
  // A mark (a vowel sign, a harakah, a combining accent) belongs to the word
  // it follows, never to its punctuation.
  while (a < text.size() && !IsWordCharAt(text, a)) ++a;
  size_t b = text.size();
  while (b > 0 && !IsWordCharAt(text, b - 1)) --b;
  rec.pre_str_punct = text.substr(0, a);
  rec.post_str_punct = text.substr(b);
  if (a == 0 && b == text.size())
    rec.wd_str = text;
  else if (a < b)
    rec.wd_str = text.substr(a, b - a);
  return rec;
}

String ConcWordSectionsToString(const TConcWordSectionsRec& rec) {
  return rec.pre_str_punct + rec.wd_str + rec.post_str_punct;
}

String RelationshipAsString(TRelationshipStats stat) {
  switch (stat) {
    case RelatStat_Dice:
      return LoadResString(&_QMDiceCoefficient);
    case RelatStat_MI:
      return LoadResString(&_QMSpecificMutualInfo);
    case RelatStat_MI3:
      return kMI3Name;
    case RelatStat_Z:
      return LoadResString(&_QMZScore);
    case RelatStat_log_likelihood:
      return LoadResString(&_QMLogLikelihood);
    case RelatStat_T_Score:
      return LoadResString(&_QMTScore);
    case RelatStat_Log_Ratio:
      return LoadResString(&_QMLogRatio);
    case RelatStat_ConditionalProbA:
      return LoadResString(&_QMConditionaLprobability) + u" A";
    case RelatStat_ConditionalProbB:
      return LoadResString(&_QMConditionaLprobability) + u" B";
    case RelatStat_DeltaPA:
      return LoadResString(&_QMDeltaP) + u" A";
    case RelatStat_DeltaPB:
      return LoadResString(&_QMDeltaP) + u" B";
  }
  return String();
}

String RelationshipRequirements(const TConcgramChecks& checks) {
  String result;
  for (int k = 0; k < TRelationshipStats_Count; ++k) {
    const auto stat = static_cast<TRelationshipStats>(k);
    const TBoolAndSingleSettings& s = checks.stat_relation_settings[stat];
    if (!s.do_it) continue;
    const String name = RelationshipAsString(stat);
    result = AddToListWithSeparatorIfNeeded(
        result, Format(u"%s %.3n", {name, static_cast<Double>(s.threshold)}, Global_StringToDateTimeFormat), u",");
  }
  return result;
}

void CapitaliseASearchRequirementRec(TSearchRequirementRec& rec) {
  for (TSearchReqStringAndFlags& r : rec.search_str_recs) r.search_str = AnsiUpperCase(r.search_str);
  rec.string_actual = AnsiUpperCase(rec.string_actual);
}

String NManyWordsContext(TSearchMethodRequirement how, const String& text, Int32 pos, Int32 n) {
  switch (how) {
    case ccp_FoundWithinNWordsOfSearchword:
    case ccp_FoundWithinNWordsOf:
    case ccp_FoundWithinNWordsToLeftOfSearchword:
    case ccp_FoundWithinNWordsToLeftOf:
    case ccp_FoundWithinNWordsToRightOfSearchword:
    case ccp_FoundWithinNWordsToRightOf:
      break;
    default:
      return String();
  }
  const Int64 len = static_cast<Int64>(text.size());
  // Left edge: step back over a word, count it, then over what separates it
  // from the previous one, until more than n words are counted.
  Int64 left = pos;
  Int32 count = 0;
  for (;;) {
    while (left >= 1 && WordCharAt(text, left)) --left;
    ++count;
    if (count > n) break;
    while (left >= 1 && !WordCharAt(text, left)) --left;
    if (left <= 0) break;
  }
  // Right edge, the same forwards. The walk may step past the last character
  // (to len + 1), so that a context reaching the end of the text takes in the
  // whole of its last word; when more than n words are counted it stops on
  // the first character of the next word, which stays outside.
  Int64 right = pos;
  count = 0;
  for (;;) {
    while (right <= len && WordCharAt(text, right)) ++right;
    ++count;
    while (right <= len && !WordCharAt(text, right)) ++right;
    if (count > n || right > len) break;
  }
  left = std::max<Int64>(left, 1);
  const Int64 p = std::max<Int64>(pos, 1);
  auto slice = [&](Int64 from, Int64 count1) -> String {
    if (count1 <= 0 || from > len) return String();
    return text.substr(static_cast<size_t>(from - 1), static_cast<size_t>(std::min(count1, len - from + 1)));
  };
  switch (how) {
    case ccp_FoundWithinNWordsToLeftOfSearchword:
    case ccp_FoundWithinNWordsToLeftOf:
      return slice(left, p - left);
    case ccp_FoundWithinNWordsToRightOfSearchword:
    case ccp_FoundWithinNWordsToRightOf:
      return slice(p, right - p);
    default:
      return slice(left, right - left);
  }
}

// ---- scanners -------------------------------------------------------------------------

Int32 LetterMatches(const String& a, const String& b) {
  if (a.empty() || b.empty()) return 0;
  // Each character of a pairs with a distinct equal character of b while b
  // has one left, so the count is, per character, the smaller of its two
  // counts: found from sorted copies in one merge, whatever the lengths.
  String sa = a;
  String sb = b;
  std::sort(sa.begin(), sa.end());
  std::sort(sb.begin(), sb.end());
  size_t i = 0;
  size_t j = 0;
  Int32 count = 0;
  while (i < sa.size() && j < sb.size()) {
    if (sa[i] < sb[j]) {
      ++i;
    } else if (sb[j] < sa[i]) {
      ++j;
    } else {
      ++count;
      ++i;
      ++j;
    }
  }
  return count;
}

String PrecedingContext(const String& text, Int32 span, Int32 pos) {
  if (span <= 0) return String();
  const Int64 end = std::min<Int64>(pos, static_cast<Int64>(text.size()) + 1);  // exclusive, 1-based
  const Int64 start = std::max<Int64>(1, static_cast<Int64>(pos) - span);
  if (end <= start) return String();
  return text.substr(static_cast<size_t>(start - 1), static_cast<size_t>(end - start));
}

Int32 FindAndStudyStringInText(const String& text, const String& sub,
                               const TContextsAndStringAtAndQuitFunct& callback, Int32 span) {
  if (text.empty() || sub.empty()) return 0;
  const Int64 len = static_cast<Int64>(text.size());
  Int32 found = 0;
  size_t from = 0;
  for (;;) {
    const size_t at = text.find(sub, from);
    if (at == npos) break;
    ++found;
    const Int32 p = static_cast<Int32>(at + 1);
    const Int32 percent = static_cast<Int32>(static_cast<Int64>(p) * 100 / len);
    // The text before a find near the start stops short of the find itself.
    const String before = PrecedingContext(text, span, p);
    const String after = span > 0 ? text.substr(at + sub.size(), static_cast<size_t>(span)) : String();
    if (callback && callback(before, sub, after, percent, p)) break;
    from = at + 1;
  }
  return found;
}

Int32 FindAndStudyStringInText(const String& text, const String& open, const String& close,
                               const TContextAndStringAtAndQuitFunct& callback, Int32 span) {
  const Int64 len = static_cast<Int64>(text.size());
  return EachEnclosedSpan(text, open, close, [&](size_t at, size_t end, Int32 /*found*/) {
    const Int32 p = static_cast<Int32>(at + 1);
    const Int32 percent = static_cast<Int32>(static_cast<Int64>(p) * 100 / len);
    return callback && callback(PrecedingContext(text, span, p), text.substr(at, end - at), percent, p);
  });
}

Int32 FindAndStudyStringInText(const String& text, const String& open, const String& close, Int32 n,
                               TObjectLessStringAndIntTestBoolMaxFunct predicate) {
  return EachEnclosedSpan(text, open, close, [&](size_t at, size_t end, Int32 count) {
    return predicate != nullptr && predicate(TStringAndIntegerRec{text.substr(at, end - at), count}, n);
  });
}

Int32 NumberOfTagsWithinChunk(const String& chunk, Int32 n) {
  return FindAndStudyStringInText(chunk, u"<", u">", n, &StretchCountExceeds);
}

String OpenWithoutCloseTagInText(const String& /*ignored1*/, const String& /*ignored2*/, const String& text,
                                 bool skipPercent, bool onlyUpper, Int32 span,
                                 const TUnclosedTagFoundFunct& onFound) {
  const TClosingTagSet closings(text);
  std::unordered_set<String> checked;  // closing forms already found to occur
  size_t from = 0;
  for (;;) {
    const size_t lt = text.find(u'<', from);
    if (lt == npos) break;
    const size_t gt = text.find(u'>', lt + 1);
    if (gt == npos) break;
    from = lt + 1;
    const String tag = text.substr(lt, gt - lt + 1);
    if (tag.size() >= 2 && tag[1] == u'/') continue;
    if (onlyUpper && !IsAllUppercase(UNAngle_Bracketed(tag))) continue;
    if (skipPercent && tag.find(u'%') != npos) continue;
    const String closing = SameTagButSwitchedOff(tag);
    if (checked.count(closing) > 0) continue;
    if (closings.Occurs(closing)) {
      checked.insert(closing);
      continue;
    }
    const Int32 p = static_cast<Int32>(lt + 1);
    if (!onFound || onFound(p, tag, PrecedingContext(text, span, p))) return tag;
  }
  return String();
}

bool AngleBracketedSubstringInString(const String& text) {
  const size_t lt = text.find(u'<');
  return lt != npos && text.find(u'>', lt + 1) != npos;
}

std::vector<std::vector<TStartFinishIntegerRec>> ComputedOverlaps(const std::vector<String>& texts) {
  const size_t n = texts.size();
  std::vector<std::vector<TStartFinishIntegerRec>> result(n);
  if (n == 0) return result;
  std::vector<TWindowIndex> indexes;
  indexes.reserve(n);
  for (const String& t : texts) indexes.emplace_back(t);
  const String& t0 = texts[0];
  const Int64 len0 = static_cast<Int64>(t0.size());
  std::vector<Int64> q(n, 0);  // 1-based positions
  Int64 p = 1;
  TTimedYield yield;
  while (p < len0) {
    yield.Tick();
    const String chunk = t0.substr(static_cast<size_t>(p - 1), TWindowIndex::kWidth);
    bool all = true;
    for (size_t i = 0; i < n; ++i) {
      q[i] = indexes[i].Find(chunk);
      if (q[i] <= 0) all = false;
    }
    if (!all) {
      ++p;
      continue;
    }
    for (size_t i = 0; i < n; ++i) {
      result[i].push_back(TStartFinishIntegerRec{static_cast<Int32>(q[i]), 0});
      q[i] += static_cast<Int64>(chunk.size());
    }
    p += static_cast<Int64>(chunk.size());
    // Extend while every other text goes on with the same characters.
    while (p < len0) {
      bool agree = true;
      for (size_t i = 1; i < n && agree; ++i) {
        const String& ti = texts[i];
        agree = q[i] < static_cast<Int64>(ti.size()) &&
                ti[static_cast<size_t>(q[i] - 1)] == t0[static_cast<size_t>(p - 1)];
      }
      if (!agree) break;
      for (size_t i = 0; i < n; ++i) ++q[i];
      ++p;
    }
    for (size_t i = 0; i < n; ++i) result[i].back().finish = static_cast<Int32>(q[i]);
  }
  return result;
}

}  // namespace sk
