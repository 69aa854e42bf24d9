#include "analysis/Search_parsing.h"

#include "core/My_string_functions_readable.h"
#include "core/My_string_functions_splitting.h"
#include "core/Qm_specific_consts.h"
#include "core/UnitCounter.h"
#include "core/Useful_classes_base_compare.h"
#include "core/Useful_classes_base_simplesearch.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/Strings.h"

namespace sk {

namespace {

constexpr Char kQuote = u'"';
constexpr Char kStar = u'*';
constexpr Char kSpace = u' ';
const String kContextMarker = u" context:=";

String Quoted(const String& s) { return String(1, kQuote) + s + String(1, kQuote); }

void ReplaceAll(String& text, const String& from, const String& to) {
  if (from.empty()) return;
  size_t p = 0;
  while ((p = text.find(from, p)) != String::npos) {
    text.replace(p, from.size(), to);
    p += to.size();
  }
}

bool EndsWith(const String& s, const String& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

bool StartsWith(const String& s, const String& head) {
  return s.size() >= head.size() && s.compare(0, head.size(), head) == 0;
}

// A star takes its code from its neighbours.
void ClassifyStars(String& text) {
  for (size_t p = text.find(kStar); p != String::npos; p = text.find(kStar, p + 1)) {
    const bool spaceBefore = p > 0 && text[p - 1] == kSpace;
    const bool spaceAfter = p + 1 < text.size() && text[p + 1] == kSpace;
    Char code = kStar;
    if (p + 1 < text.size() && text[p + 1] == u'>') code = sw_code_anything;
    if (spaceBefore && spaceAfter)
      code = sw_code_whole_word;
    else if (spaceBefore)
      code = sw_code_word_start;
    else if (spaceAfter)
      code = sw_code_rest_of_word;
    else if (code == kStar)
      code = sw_code_any_in_word;
    text[p] = code;
  }
}

// Every run of blanks (spaces and tabs) as one space: the matcher takes one
// space of a pattern for any run of spaces and line ends in the text, so a
// phrase typed with two spaces or a tab finds what it finds with one.
String CollapsedBlanks(const String& text) {
  String out;
  out.reserve(text.size());
  for (Char c : text) {
    const bool blank = c == kSpace || c == u'\t';
    if (blank && !out.empty() && out.back() == kSpace) continue;
    out += blank ? kSpace : c;
  }
  return out;
}

bool HasTagDelimiterPair(const TIgnore_tag& ignore_tags) {
  for (size_t i = 0; i < 6; ++i)
    if (ignore_tags[tag_on][i] == u'<' && ignore_tags[tag_off][i] == u'>') return true;
  return false;
}

// The context part of a word: the context word with its flags and the span
// between "[[" and "]]".
void ParseContextPart(const String& contextText, TQMSearchWordRec& rec) {
  rec.has_file_based_context_word = 1;
  TSearchReqStringAndFlags entry;
  entry.flags = TMSSearchFlags{msLeftBounded, msRightBounded};
  const size_t open = contextText.find(u"[[");
  const size_t close = open == String::npos ? String::npos : contextText.find(u"]]", open + 2);
  if (close == String::npos) {
    entry.search_str = contextText;
  } else {
    entry.search_str = WideTrimSpaceOnly(contextText.substr(0, open));
    const String inner = WideTrimSpaceOnly(contextText.substr(open + 2, close - open - 2));
    const size_t comma = inner.find(u',');
    if (comma != String::npos) {
      Int32 n = 0;
      rec.sw_context_spans.leftmost =
          TryStrToInt(WideTrimSpaceOnly(inner.substr(0, comma)), n) ? IntegerToConcSpan(n) : span_L05;
      rec.sw_context_spans.rightmost =
          TryStrToInt(WideTrimSpaceOnly(inner.substr(comma + 1)), n) ? IntegerToConcSpan(n) : span_R05;
    }
  }
  rec.sw_contexts_needed.push_back(entry);
}

}  // namespace

void SWParse_RetainOne(String& text, const String& symbol, Char code) {
  ReplaceAll(text, Quoted(symbol), String(1, code));
}

void SWParse_Retain(String& text) {
  for (int i = 0; i < SWRetainedSymbolCount; ++i)
    SWParse_RetainOne(text, SWRetainedSymbols[i], static_cast<Char>(SWRetainedFirstCode + i));
}

void SWParse_RestoreOne(String& text, Char code, const String& symbol) { ReplaceAll(text, String(1, code), symbol); }

void SWParse_Restore(String& text) {
  for (int i = 0; i < SWRetainedSymbolCount; ++i)
    SWParse_RestoreOne(text, static_cast<Char>(SWRetainedFirstCode + i), SWRetainedSymbols[i]);
}

bool SWParse_Translate(String& text, const String& from, Char to) {
  if (from.empty()) return false;
  bool atFirst = false;
  for (size_t p = text.find(from); p != String::npos; p = text.find(from, p + from.size())) {
    if (p == 0) atFirst = true;
    text[p] = to;
  }
  return atFirst;
}

void SWDoMainParse_Translates(String& text, Byte& initial_wildcard) {
  if (SWParse_Translate(text, u"^", sw_code_one_letter)) initial_wildcard = 30;
  if (SWParse_Translate(text, u"#", sw_code_digits)) initial_wildcard = 27;
  if (SWParse_Translate(text, u"?", sw_code_one_char)) initial_wildcard = 28;
  SWParse_Translate(text, string_any_string_symbol, sw_code_any_in_word);
}

void FullSWParse_SWChunk(const TIgnore_tag& ignore_tags, bool& contains_tag, String& within_tag_section,
                         String& chunk, TMSSearchFlags& flags, Byte& initial_wildcard) {
  String w = CollapsedBlanks(chunk);
  // a: a final space and star stands for one whole word.
  if (EndsWith(w, u" *")) w.back() = sw_code_whole_word;
  // b: the markers.
  flags = SWFlags(w);
  // c: markup in the word.
  contains_tag = HasTagDelimiterPair(ignore_tags) && w.find(u'<') != String::npos && w.find(u'>') != String::npos;
  // d: quoted symbols are kept out of the way of the steps below.
  SWParse_Retain(w);
  // e: stars.
  ClassifyStars(w);
  // f: the markup section.
  within_tag_section.clear();
  if (contains_tag) {
    const size_t open = w.find(u"<:");
    const size_t close = open == String::npos ? String::npos : w.find(u":>", open + 2);
    if (close != String::npos) {
      within_tag_section = w.substr(open + 2, close - open - 2);
      w.replace(open, close + 2 - open, 1, sw_code_tag_section);
    }
  }
  // g: the other wildcards.
  SWDoMainParse_Translates(w, initial_wildcard);
  // h: the line-break symbol at either end becomes CR (13) at the end, LF
  // (10) at the start; the matcher takes either for the text's line end (LF,
  // CR LF or CR).
  const String crlf = string_crlf_symbol;
  if (w.find(crlf) != String::npos && EndsWith(w, crlf))
    w.replace(w.size() - crlf.size(), crlf.size(), u"#x0D;");
  else if (StartsWith(w, crlf))
    w.replace(0, crlf.size(), u"#x0A;");
  // i: readable character codes.
  w = QMFormattedReadableStringToWorkString(w);
  // j: the quoted symbols, bare.
  SWParse_Restore(w);
  chunk = w;
}

TQMSearchWordRec SWFullParsed_SearchWord(const TIgnore_tag& ignore_tags, const String& word) {
  TQMSearchWordRec rec;
  rec.typed_in_text = word;
  String w = word;
  const size_t marker = w.find(kContextMarker);
  if (marker != String::npos) {
    ParseContextPart(WideTrimSpaceOnly(w.substr(marker + kContextMarker.size())), rec);
    w.resize(marker);
  }
  bool containsTag = false;
  FullSWParse_SWChunk(ignore_tags, containsTag, rec.within_tag_section, w, rec.flags, rec.initial_wildcard);
  rec.sw_contains_a_tag = containsTag ? 1 : 0;
  // The line end that the line-break symbol made at either end is part of
  // the pattern, not white space to trim.
  const bool lineEndFirst = !w.empty() && w.front() == u'\n';
  const bool lineEndLast = !w.empty() && w.back() == u'\r';
  rec.search_text = WideTrimSpaceOnly(w);
  if (lineEndFirst) rec.search_text.insert(rec.search_text.begin(), u'\n');
  if (lineEndLast) rec.search_text += u'\r';
  bool coded = false;
  for (Char c : rec.search_text)
    if (c >= 0x1A && c <= 0x1F) coded = true;
  rec.typed_unlike_search = (rec.typed_in_text != rec.search_text || coded) ? 1 : 0;
  rec.spaces_in_sw = SpacesInSearchString(rec.search_text);
  return rec;
}

std::unique_ptr<TUTF8Stringlist> SplitSWList(const String& text, bool split_at_slashes) {
  auto list = std::make_unique<TUTF8Stringlist>();
  String rest = text;
  if (split_at_slashes) {
    // 0-based: from the second character to the last but one.
    size_t i = 1;
    while (rest.size() >= 3 && i + 1 < rest.size()) {
      if (rest[i] == u'/' && rest[i - 1] != kQuote && rest[i + 1] != kQuote && rest[i + 1] != u'\\') {
        list->Add(rest.substr(0, i));
        rest.erase(0, i + 1);
        i = 1;
        continue;
      }
      ++i;
    }
  }
  if (!rest.empty()) list->Add(rest);
  return list;
}

TQMSearchWordRec SWUnParsed_SearchWord(const String& word) {
  TQMSearchWordRec rec;
  rec.typed_in_text = word;
  String w = word;
  rec.flags = SWFlags(w);
  rec.search_text = w;
  rec.typed_unlike_search = rec.search_text != rec.typed_in_text ? 1 : 0;
  return rec;
}

TWordAndSearchFlags WordAndFlagsFromString(const String& word) {
  TWordAndSearchFlags r;
  r.wd = word;
  r.flags = SWFlags(r.wd);
  return r;
}

String SWCheckedForConcordance(const String& text) {
  static const String kWrapped = u"#*/<>?\\^";
  String out;
  out.reserve(text.size() * 2);
  for (Char c : text) {
    if (kWrapped.find(c) != String::npos) {
      out += kQuote;
      out += c;
      out += kQuote;
    } else {
      out += c;
    }
  }
  ReplaceAll(out, u"==", u"\"==\"");
  ReplaceAll(out, u":\"\\\"", u"\":\\\"");
  ReplaceAll(out, u":\"/\"\"/\"", u":\"//\"");
  return out;
}

void CheckFlagsOfSearches(TDoubleSearchCategoryRec& rec) {
  for (TSearchRequirementRec& req : rec.requirement)
    for (TSearchReqStringAndFlags& s : req.search_str_recs) {
      s.flags = SWFlags(s.search_str);
      if (!s.flags.Contains(msCaseIsSensitive)) s.search_str = AnsiUpperCase(s.search_str);
    }
}

Int32 SpacesInSearchString(const String& text) {
  Int32 n = 0;
  for (Char c : text)
    if (c == kSpace) ++n;
  return n;
}

Int32 WildCardsInSearchString(const String& text) {
  Int32 n = 0;
  for (Char c : text)
    if (c < 0x20) ++n;
  return n;
}

String TagWildcardConverted(const String& s) {
  String t = s;
  for (const TTagWildcardPair& pair : tag_wildcards_converters) {
    const Char symbol = pair[original_char];
    const String quoted{u'"', symbol, u'"'};
    // Positions are looked up in the text as already converted, so the place
    // found and the place changed are always the same.
    const size_t q = t.find(quoted);
    if (q != String::npos) {
      t.replace(q, quoted.size(), 1, symbol);
      continue;
    }
    const size_t p = t.find(symbol);
    if (p != String::npos) t[p] = pair[replacement_char];
  }
  return t;
}

SK_COUNTER_ONLY_UNIT(Search_parsing)

}  // namespace sk
