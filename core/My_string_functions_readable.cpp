#include "core/My_string_functions_readable.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/Basic_processes.h"
#include "core/Generalruntime1const.h"
#include "core/Generalruntime2const.h"
#include "core/My_string_functions_numbers.h"
#include "core/My_string_functions_positions.h"
#include "core/Redodidu.h"
#include "core/Type_conversion.h"
#include "core/Useful_classes_base_stringlists.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/Strings.h"

namespace sk {
namespace {

constexpr size_t npos = String::npos;
constexpr Char CR = u'\r';
constexpr Char LF = u'\n';

inline Char AsciiUpper(Char c) { return c >= u'a' && c <= u'z' ? static_cast<Char>(c - 32) : c; }

// "{CHR(" at i, in any letter case.
bool BracedStartAt(const String& s, size_t i) {
  static const String kStart = u"{CHR(";
  if (i + kStart.size() > s.size()) return false;
  for (size_t k = 0; k < kStart.size(); ++k)
    if (AsciiUpper(s[i + k]) != kStart[k]) return false;
  return true;
}

size_t FindBracedStart(const String& s, size_t from) {
  for (;;) {
    const size_t p = s.find(u'{', from);
    if (p == npos || BracedStartAt(s, p)) return p;
    from = p + 1;
  }
}

// A code from a notation as the character(s) it stands for; false for values
// that are no Unicode code point.
bool AppendCode(String& out, Int64 code) {
  if (code < 0 || code > 0x10FFFF) return false;
  if (code <= 0xFFFF) {
    out += static_cast<Char>(code);
  } else {
    const Int64 v = code - 0x10000;
    out += static_cast<Char>(0xD800 + (v >> 10));
    out += static_cast<Char>(0xDC00 + (v & 0x3FF));
  }
  return true;
}

bool InCharList(const Char* list, Char c) {
  for (const Char* p = list; *p != 0; ++p)
    if (*p == c) return true;
  return false;
}

// Reads the "#" notation whose characters after "#" start at from. On success
// code and end (one past the notation) are set.
bool ParseHashNotation(const String& s, size_t from, Int64& code, size_t& end) {
  size_t i = from;
  String number;
  if (i < s.size() && InCharList(HexSignalStr, s[i])) {
    while (i < s.size() && InCharList(HexSignalStr, s[i])) ++i;
    const size_t digitsStart = i;
    while (i < s.size() && InCharList(HexCharactersStr, s[i])) ++i;
    if (i == digitsStart) return false;
    number = u"$" + s.substr(digitsStart, i - digitsStart);
    if (i < s.size() && s[i] == u';') ++i;
  } else {
    const size_t digitsStart = i;
    while (i < s.size() && IsOrdinaryNumberChar(s[i])) ++i;
    if (i == digitsStart) return false;
    number = s.substr(digitsStart, i - digitsStart);
  }
  Int32 v = 0;
  if (!TryStrToInt(number, v) || v < 0 || v > 0x10FFFF) return false;
  code = v;
  end = i;
  return true;
}

String FirstUpper(const String& s) { return TitleCasedString(s, true); }

String XList(const TResStringRec& word, bool firstUpper = false) {
  const String s = Format(LoadResString(&_QMXList), {LoadResString(&word)});
  return firstUpper ? FirstUpper(s) : s;
}

// Word-list lookups by line text that follow the list's own IndexOf rules
// (case and collation) without scanning the list for every word: a sorted
// list is asked directly; otherwise a sorted copy of its lines is searched by
// halving.
class TWordLookup {
 public:
  explicit TWordLookup(const TStringlistWithALongint* list) : fList(list) {
    if (list == nullptr || list->Sorted()) return;
    // Each line's index rides along as its object (an integer, not owned).
    fSorted = std::make_unique<TStringList>();
    fSorted->SetCaseSensitive(list->CaseSensitive());
    fSorted->SetDuplicates(dupAccept);
    fSorted->SetCapacity(list->Count());
    for (Int32 i = 0; i < list->Count(); ++i)
      fSorted->AddObject(list->Get(i), reinterpret_cast<TObject*>(static_cast<intptr_t>(i)));
    fSorted->SetSorted(true);
  }

  // The index of the first line equal to s, as IndexOf gives it; -1 if none.
  Int32 IndexOf(const String& s) const {
    if (fList == nullptr) return -1;
    if (!fSorted) return fList->IndexOf(s);
    Int32 at = 0;
    if (!fSorted->Find(s, at)) return -1;
    // Among equal lines the earliest in the list's own order.
    Int32 best = LineOf(at);
    for (Int32 k = at + 1; k < fSorted->Count() && fSorted->CompareStrings(fSorted->Get(k), s) == 0; ++k)
      best = std::min(best, LineOf(k));
    return best;
  }

 private:
  Int32 LineOf(Int32 k) const {
    return static_cast<Int32>(reinterpret_cast<intptr_t>(fSorted->GetObject(k)));
  }

  const TStringlistWithALongint* fList;
  std::unique_ptr<TStringList> fSorted;
};

Int32 Saturated(Int64 v) {
  return static_cast<Int32>(std::clamp<Int64>(v, std::numeric_limits<Int32>::min(), std::numeric_limits<Int32>::max()));
}

template <class S>
S UnixToWindows(Int32& fixes, const S& text) {
  fixes = 0;
  S out;
  out.reserve(text.size() * 2);
  const size_t n = text.size();
  TTimedYield yield;
  for (size_t i = 0; i < n; ++i) {
    const auto c = text[i];
    if (c == LF && (i == 0 || text[i - 1] != CR)) {
      out += static_cast<typename S::value_type>(CR);
      out += c;
      ++fixes;
    } else if (c == CR && i + 1 < n && text[i + 1] != LF) {
      out += c;
      out += static_cast<typename S::value_type>(LF);
      ++fixes;
    } else {
      out += c;
    }
    yield.Tick();
  }
  out.shrink_to_fit();
  return out;
}

}  // namespace

// ---- search strings ----------------------------------------------------------------

String QMFormattedReadableStringToWorkString(const String& text) {
  // Braced codes, in one pass: each search starts just after the character a
  // notation became (or one after the notation's "{" when it did not convert).
  String result;
  // Where a braced code made a "#": such a "#" is a literal. It is the one
  // way to write a "#" that is followed by digits, so the "#" step below
  // passes over it instead of reading it again as the start of a code.
  std::vector<size_t> madeHashes;
  {
    size_t copied = 0;
    size_t from = 0;
    TTimedYield yield;
    for (;;) {
      yield.Tick();
      const size_t p = FindBracedStart(text, from);
      if (p == npos) break;
      const size_t q = text.find(u")}", p);
      if (q == npos || q <= p + 5) break;
      Int32 v = 0;
      String converted;
      if (TryStrToInt(BracedNumberStrToDigitalformat(text.substr(p + 5, q - p - 5)), v) &&
          AppendCode(converted, v)) {
        result.append(text, copied, p - copied);
        if (converted == u"#") madeHashes.push_back(result.size());
        result += converted;
        copied = q + 2;
        from = q + 2;
      } else {
        from = p + 1;
      }
    }
    result.append(text, copied, npos);
  }
  // Hash codes. Every search for "#" starts from the beginning; since nothing
  // before the last replacement holds a "#" still to read, it is enough to go
  // on from the character that replacement made, which may itself be a "#".
  const String s = std::move(result);
  String out;
  size_t i = 0;
  size_t nextMade = 0;    // index into madeHashes
  bool madeHash = false;  // the character just made is a "#" still to read
  TTimedYield yield;
  for (;;) {
    yield.Tick();
    size_t after;
    size_t hashAt = npos;
    if (madeHash) {
      after = i;
    } else {
      hashAt = s.find(u'#', i);
      if (hashAt == npos) {
        out.append(s, i, npos);
        break;
      }
      out.append(s, i, hashAt - i);
      while (nextMade < madeHashes.size() && madeHashes[nextMade] < hashAt) ++nextMade;
      if (nextMade < madeHashes.size() && madeHashes[nextMade] == hashAt) {
        out += u'#';
        i = hashAt + 1;
        continue;
      }
      after = hashAt + 1;
    }
    Int64 code = 0;
    size_t end = 0;
    if (!ParseHashNotation(s, after, code, end)) {
      if (madeHash) {
        out += u'#';
        out.append(s, i, npos);
      } else {
        out.append(s, hashAt, npos);
      }
      break;
    }
    i = end;
    madeHash = code == u'#';
    if (!madeHash) AppendCode(out, code);
  }
  return out;
}

String QMFormattedWorkStringToReadableString(const String& text, Int32 limit) {
  // Besides the characters below the limit, a "#" that would be read back as
  // the start of a code and a "{" that starts "{CHR(" are written as codes
  // too, so that reading the readable form gives the text again.
  auto writeCode = [](String& out, Char c) {
    out += u"{CHR(";
    out += IntToStr(c);
    out += u")}";
  };
  String out;
  out.reserve(text.size());
  for (size_t k = 0; k < text.size(); ++k) {
    const Char c = text[k];
    Int64 code = 0;
    size_t end = 0;
    if (static_cast<Int32>(c) < limit || (c == u'{' && BracedStartAt(text, k)) ||
        (c == u'#' && ParseHashNotation(text, k + 1, code, end)))
      writeCode(out, c);
    else
      out += c;
  }
  return out;
}

// ---- list-kind names -----------------------------------------------------------------

String ToolMakingTimeline(TQuillmarkList kind) {
  if (ToolTypeFromListType(kind) == tt_keywords) return LoadResString(&_QMKWDB);
  return FirstUpper(LoadResString(&_QMConcordance));
}

String ListTypeAsString(TQuillmarkList kind) {
  switch (kind) {
    case lt_word_list:
      return XList(_QMWord);
    case lt_keyword_list:
      return XList(_QMKeyword, true);
    case lt_KW_database_list:
      return LoadResString(&_QMKeyWordDatabase);
    case lt_detailed_consistency_relations_list:
      return XList(_QMDetailedConsistencyRelations);
    case lt_detailed_consistency_list:
      return XList(_QMDetailedConsistency);
    case lt_collocate_list:
      return XList(_QMCollocate);
    case lt_KWDB_timeline_list:
    case lt_conc_timeline_list:
      return Format(LoadResString(&_QMXTimeLineList), {ToolMakingTimeline(kind)});
    case lt_concordance_list:
      return XList(_QMConcordance, true);
    case lt_KW_plot_list:
      return XList(_QMKeyWordsPlot);
    case lt_concordance_plot_list:
      return XList(_QMConcordancePlot);
    case lt_concordance_cluster_list:
      return XList(_QMConcordanceCluster);
    case lt_concordance_pattern_list:
      return XList(_QMConcordancePattern);
    case lt_kw_associate_list:
      return XList(_QMAssociate);
    case lt_kw_clump_list:
      return XList(_QMClump);
    case lt_filename_list:
      return XList(_QMFilename);
    case lt_kw_link_list:
      return XList(_QMLink);
    case lt_statistics_list:
      return XList(_QMStatistics, true);
    case lt_aligner_multiple_list:
      return XList(_QMAligner);
    case lt_plaintext_list:
      return XList(_QMText, true);
    case lt_wordlist_index_list:
      return XList(_QMWordListIndex);
    case lt_kw_cluster_list:
      return XList(_QMKeyWordsCluster);
    case lt_notes:
      return LoadResString(&_QMNotes);
    case lt_source_text:
      return FirstUpper(LoadResString(&_QMSourceText));
    case lt_index_relationship_list:
      return XList(_QMRelationships, true);
    case lt_aligner_single_list:
      return XList(_QMViewer);
    case lt_markup_list:
      return XList(_QMMarkup, true);
    case lt_sections_list:
      return XList(_QMSection, true);
    case lt_chargram_list:
      return XList(_QMChargram);
    case lT_chargram_pattern_list:
      return XList(_QMChargramPattern);
    case lt_sorting:
      return LoadResString(&_QMSort);
    default:
      return String();
  }
}

String ListTypeAsStringCase(TQuillmarkList kind, TOutput_results_case outputCase) {
  return OutputConvertedStr(outputCase, ListTypeAsString(kind));
}

// ---- masks ----------------------------------------------------------------------------

std::vector<String> MaskToMaskArray(const String& mask) {
  std::vector<String> result;
  size_t start = 0;
  for (;;) {
    const size_t semi = mask.find(u';', start);
    if (semi == npos) {
      result.push_back(Trim(mask.substr(start)));
      break;
    }
    result.push_back(Trim(mask.substr(start, semi - start)));
    start = semi + 1;
  }
  return result;
}

std::vector<String> StandardFilterMoveExcludeFoldersArr() {
  // Folder masks are written with this system's path delimiter, so that they
  // match the paths the file lists hold.
  String pattern = u"*%s*";
  pattern.insert(1, 1, PathDelim);
  pattern.insert(pattern.size() - 1, 1, PathDelim);
  const String moved = LoadResString(&_QMMoved);
  return {Format(pattern, {moved}), Format(pattern, {moved + u"-*"})};
}

String StandardFilterMoveExcludeFoldersMask() {
  const std::vector<String> masks = StandardFilterMoveExcludeFoldersArr();
  return masks[0] + u";" + masks[1];
}

// ---- files and line ends ---------------------------------------------------------------

String GetTextFromFile(const String& fileName) {
  if (!FileExists(fileName)) return String();
  TUTF8Stringlist list;
  list.LoadFromFile(fileName);
  return list.Text();
}

void UnicodeAppendToTextFile(const String& fileName, const TStrings* lines) {
  if (fileName.empty() || lines == nullptr) return;
  AddToFileOfChar(fileName, lines->Text());
}

String UnixStringToWindowsStringW(Int32& fixes, const String& text) { return UnixToWindows(fixes, text); }

AnsiString UnixStringToWindowsString(Int32& fixes, const AnsiString& text) { return UnixToWindows(fixes, text); }

// ---- word lists -------------------------------------------------------------------------

TTypeAndTokenAndSinglesDifferences TypeAndTokenDifferences2SimpleWordLists(const TStringlistWithALongint* listA,
                                                                          const TStringlistWithALongint* listB,
                                                                          Single typeThreshold,
                                                                          Single tokenThreshold, String& lastWord) {
  TTypeAndTokenAndSinglesDifferences r{};
  const Int32 countA = listA == nullptr ? 0 : listA->Count();
  const Int32 countB = listB == nullptr ? 0 : listB->Count();
  const TWordLookup inA(listA);
  const TWordLookup inB(listB);
  std::vector<bool> matched(static_cast<size_t>(countB), false);
  Int64 total = 0;
  Int64 typeDiffs = 0;
  Int64 tokenDiffs = 0;
  Int64 extra = 0;
  for (Int32 i = 0; i < countA; ++i) {
    const String word = listA->Get(i);
    const Int64 f = listA->GetOne(i);
    total += f;
    const Int32 k = inB.IndexOf(word);
    if (k < 0) {
      lastWord = word;
      tokenDiffs += f;
      ++typeDiffs;
    } else {
      matched[static_cast<size_t>(k)] = true;
      tokenDiffs += std::llabs(static_cast<Int64>(listB->GetOne(k)) - f);
    }
  }
  for (Int32 k = 0; k < countB; ++k) {
    if (matched[static_cast<size_t>(k)]) continue;
    const String word = listB->Get(k);
    if (inA.IndexOf(word) >= 0) continue;
    const Int64 f = listB->GetOne(k);
    lastWord = word;
    ++typeDiffs;
    tokenDiffs += f;
    total += f;
    ++extra;
  }
  r.type_diffs = Saturated(typeDiffs);
  r.token_diffs = Saturated(tokenDiffs);
  // Empty lists differ in nothing: no division by zero.
  const Int64 types = countA + extra;
  r.type_diff_pc = types == 0 ? 0.0f : static_cast<Single>(static_cast<Double>(typeDiffs) * 100.0 / types);
  r.token_diff_pc = total == 0 ? 0.0f : static_cast<Single>(static_cast<Double>(tokenDiffs) * 100.0 / total);
  r.similar_enough = typeThreshold >= r.type_diff_pc || tokenThreshold >= r.token_diff_pc;
  return r;
}

}  // namespace sk
