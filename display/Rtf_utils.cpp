#include "display/Rtf_utils.h"

#include <algorithm>

#include "display/Aligner_types.h"
#include "core/Basic_processes.h"
#include "core/Global_vars.h"
#include "core/My_string_functions_markup.h"
#include "core/My_string_functions_words.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/RtlMath.h"

namespace sk {

// ---- TRicheditPositions ----

Int32 TRicheditPositions::AddPosition(const TRichEditPosition_rec& r) {
  return AddOne(T5_longint_rec{r.riched_char_pos, r.word1_len, r.SW_word_number, r.word2_where, r.word2_len});
}

TRichEditPosition_rec TRicheditPositions::GetPosition(Int32 i) const {
  if (i < 0 || i >= Count()) return TRichEditPosition_rec{-1, -1, -1, -1, -1};
  const T5_longint_rec v = GetAValue(i);
  return TRichEditPosition_rec{v.long0, v.long1, v.long2, v.long3, v.long4};
}

void TRicheditPositions::SortOn(TRicheditSortCriterion first, TRicheditSortCriterion second) {
  auto col = [](TRicheditSortCriterion c) { return c == res_charpos ? tml_0 : tml_2; };
  if (first != second)
    DoubleSort(col(first), col(second));
  else
    SingleSort(col(first));
}

// ---- lines, scrolling, colours ----

Int32 Richedit_LineFromChar(TRichEdit* edit, Int32 pos) { return edit ? edit->LineFromChar(pos) : 0; }

Int32 Richedit_FirstCharPosOfLine(TRichEdit* edit, Int32 line) { return edit ? edit->LineIndex(line) : -1; }

Int32 Richedit_FirstVisibleLine(TRichEdit* edit) { return edit ? edit->FirstVisibleLine() : 0; }

Int32 Richedit_LastVisibleLine(TRichEdit* edit) { return edit ? edit->LastVisibleLine() : 0; }

Int32 Richedit_ScrollThumbPos(TRichEdit* edit) { return edit ? edit->ScrollThumbPos() : -1; }

void SetRicheditMargins(TRichEdit* edit, Int32 left, Int32 right) {
  if (edit) edit->SetMargins(left, right);
}

void RichEdit_SetSelBackgroundColour(TRichEdit* edit, TColor colour) {
  if (edit) edit->SetSelBackColor(colour);
}

void RichEdit_SetSelForegroundColour(TRichEdit* edit, TColor colour) {
  if (edit) edit->SetSelColor(colour);
}

void RichEdit_ColourASection(TRichEdit* edit, TColor textColour, TColor background, TFontStyles styles,
                             Int32 start, Int32 length) {
  if (edit == nullptr) return;
  edit->SetSel(start, length);
  edit->SetSelColor(textColour);
  edit->SetSelStyle(styles);
  if (background != clDefault && background != clNone) edit->SetSelBackColor(background);
}

void RichEdit_InsertColouredLine(TRichEdit* edit, const String& text, TColor colour, TFontStyles styles,
                                 bool atTop) {
  if (edit == nullptr) return;
  TRichCharFormat f;
  f.Color = colour;
  f.Style = styles;
  edit->InsertLine(atTop ? 0 : edit->LineCount(), text, f);
}

bool SaveATextToARichedit(TRichEdit* edit, const String& text, const String& fileName, Int32 line,
                          TColor windowColour, TColor textColour, TColor highlightBackground,
                          TColor highlightText, Int32 size1, Int32 size2) {
  if (edit == nullptr) return false;
  edit->BeginUpdate();
  edit->Clear();
  edit->SetColor(windowColour);
  edit->SetFontColor(textColour);
  edit->SetFont(String(), size1);
  TRichCharFormat normal;
  normal.Color = textColour;
  edit->AppendText(text, normal);
  // The line's start: after line line ends (CR LF, LF or CR, as the text
  // holds them); its end: the next line end.
  auto nextEnd = [&text](size_t from) { return text.find_first_of(u"\r\n", from); };
  if (line >= 0) {
    size_t at = 0;
    Int32 found = 0;
    bool ok = true;
    while (found < line) {
      const size_t p = nextEnd(at);
      if (p == String::npos) {
        ok = false;
        break;
      }
      at = text[p] == u'\r' && p + 1 < text.size() && text[p + 1] == u'\n' ? p + 2 : p + 1;
      ++found;
    }
    if (ok) {
      size_t end = nextEnd(at);
      if (end == String::npos) end = text.size();
      const Int32 start = edit->LineIndex(line);
      const Int32 len = static_cast<Int32>(end - at);
      if (start >= 0 && len > 0) {
        RichEdit_ColourASection(edit, highlightText, highlightBackground, 1u << fsBold, start, len);
        edit->SetSelFont(String(), size2);
      }
    }
  }
  edit->EndUpdate();
  return edit->SaveToRTF(fileName);
}

TFontStyles FontStyleForString(TFontStyles styles, String& text) {
  // A line is bold only when one bold run spans it whole, as a heading line is.
  return FontStyleForHeadingLine(styles, text);
}

void CentreLineVerticallyInEdit(TRichEdit* edit, Int32 line) {
  if (edit == nullptr) return;
  const Int32 visible = edit->LastVisibleLine() - edit->FirstVisibleLine() + 1;
  Int32 top = line;
  if (visible > 1) top = std::max<Int32>(0, line - static_cast<Int32>(Round(visible / 2.0)) + 1);
  edit->ScrollLineToTop(top);
}

void RichEdit_ScrollToPosition(TRichEdit* edit, Int32 pos) {
  if (edit) edit->ScrollToPosition(pos);
}

// ---- finding hits ----

namespace {

// What stands for markup in the searched copy of an edit's text: a
// noncharacter, neither a letter, digit nor blank.
constexpr Char kMarkupInCopy = 0xFFFF;

// 1-based span [start, finish] tests of the word library.
bool LeftOK(const String& t, size_t p) { return BoundedAtLeft(t, static_cast<Int32>(p) + 1, 0); }
bool RightOK(const String& t, size_t endExclusive) {
  return BoundedAtRight(t, 0, static_cast<Int32>(endExclusive));
}

// One match of word at or after from within [from, limit) that meets the
// boundary rules: a bounded side refuses a letter or digit next to the match;
// an unbounded side grows the match over letters and digits. False when none.
bool NextMatch(const String& text, const String& word, TMSSearchFlags flags, size_t from, size_t limit,
               size_t& start, size_t& len) {
  if (word.empty()) return false;
  const bool left = flags.Contains(msLeftBounded);
  const bool right = flags.Contains(msRightBounded);
  // A phrase's words are separated by any run of blanks in the text (line
  // ends are blanks in the searched copy): the first word is found, the rest
  // follow it each after at least one blank.
  const size_t gap = word.find(u' ');
  const String head = word.substr(0, gap);
  auto blank = [&text](size_t i) { return text[i] == u' ' || text[i] == u'\t'; };
  // Markup in the gap is passed over, before or after its blanks, as the
  // search engine passes over it: it neither separates nor breaks the words.
  auto blanksFrom = [&](size_t q, size_t& to) {
    bool blanks = false;
    for (; q < limit && (blank(q) || text[q] == kMarkupInCopy); ++q) blanks = blanks || blank(q);
    to = q;
    return blanks;
  };
  while (from < limit) {
    const size_t p = text.find(head, from);
    if (p == String::npos || p + head.size() > limit) return false;
    from = p + 1;
    size_t s = p;
    size_t e = p + head.size();
    bool whole = true;
    for (size_t w = gap; w != String::npos && whole;) {
      while (w < word.size() && word[w] == u' ') ++w;
      if (w == word.size()) break;
      const size_t next = word.find(u' ', w);
      const size_t n = (next == String::npos ? word.size() : next) - w;
      size_t q = e;
      whole = blanksFrom(e, q) && q + n <= limit && text.compare(q, n, word, w, n) == 0;
      e = q + n;
      w = next;
    }
    if (!whole) continue;
    if (left && !LeftOK(text, s)) continue;
    if (right && !RightOK(text, e)) continue;
    if (!left)
      while (s > 0 && !LeftOK(text, s)) --s;
    if (!right)
      while (e < text.size() && !RightOK(text, e)) ++e;
    start = s;
    len = e - s;
    return true;
  }
  return false;
}

}  // namespace

std::unique_ptr<TRicheditPositions> RichEdit_FindAllTheseWordsHits(TRichEdit* edit, const String& startText,
                                                                   const std::vector<Int32>& wordIndexes,
                                                                   TSimpleSearchlist* words,
                                                                   const TLinePercentProgress& progress) {
  auto result = std::make_unique<TRicheditPositions>();
  global_panic_state = panic_no_panic;
  if (edit == nullptr || words == nullptr || words->Count() == 0) return result;
  // A blanked copy keeps every position of the edit's text. Its line ends are
  // spaces there, so that the words of a phrase are found across a line end.
  String text = BlankedOutMarkup(edit->PlainText(), u'<', u'>', 250);
  // Each tag, its brackets and the blanks between them, is marked as markup.
  for (size_t o = text.find(u'<'); o != String::npos; o = text.find(u'<', o + 1)) {
    size_t c = o + 1;
    while (c < text.size() && text[c] == u' ') ++c;
    if (c - o > 250 || (c < text.size() && text[c] != u'>')) continue;
    std::fill(text.begin() + static_cast<std::ptrdiff_t>(o), text.begin() + static_cast<std::ptrdiff_t>(std::min(c + 1, text.size())),
              kMarkupInCopy);
    o = std::min(c, text.size() - 1);
  }
  std::replace_if(text.begin(), text.end(), [](Char c) { return c == u'\r' || c == u'\n'; }, u' ');
  String upper;  // made once, when a word ignores case
  size_t from = 0;
  if (!startText.empty()) {
    const size_t p = text.find(startText);
    if (p != String::npos) from = p + startText.size();
  }
  std::vector<Int32> todo = wordIndexes;
  if (todo.empty())
    for (Int32 i = 0; i < words->Count(); ++i) todo.push_back(i);
  const size_t total = todo.size();
  for (size_t k = 0; k < total; ++k) {
    if (global_panic_state != panic_no_panic) break;
    const Int32 w = todo[k];
    if (w < 0 || w >= words->Count()) continue;
    if (progress) progress(static_cast<Int32>(k * 100 / total));
    MyYieldProcess();
    if (global_panic_state != panic_no_panic) break;
    const TSearchContextRec rec = words->GetASearchRec(w);
    const bool caseSensitive = rec.mainwd.flags.Contains(msCaseIsSensitive);
    if (!caseSensitive && upper.empty()) upper = AnsiUpperCase(text);
    const String& hay = caseSensitive ? text : upper;
    const String& ctx = rec.context_words[0].wd;
    const bool ctxCase = rec.context_words[0].flags.Contains(msCaseIsSensitive);
    if (!ctxCase && !ctx.empty() && upper.empty()) upper = AnsiUpperCase(text);
    const String& ctxHay = ctxCase ? text : upper;
    const String ctxWord = ctxCase ? ctx : AnsiUpperCase(ctx);
    const size_t span = static_cast<size_t>(std::max(0, rec.context_seek_span));
    size_t at = from;
    size_t s = 0, len = 0;
    Int32 lastPercent = -1;
    while (NextMatch(hay, rec.mainwd.wd, rec.mainwd.flags, at, hay.size(), s, len)) {
      at = s + len;
      TRichEditPosition_rec hit{static_cast<Int32>(s), static_cast<Int32>(len), w, -1, 0};
      if (!ctxWord.empty()) {
        const size_t lo = s > span ? s - span : 0;
        size_t cs = 0, cl = 0;
        if (!NextMatch(ctxHay, ctxWord, rec.context_words[0].flags, lo, s, cs, cl)) continue;
        hit.word2_where = static_cast<Int32>(cs);
        hit.word2_len = static_cast<Int32>(cl);
      }
      result->AddPosition(hit);
      if (total == 1 && progress && !hay.empty()) {
        const Int32 pc = static_cast<Int32>(static_cast<Int64>(s) * 100 / static_cast<Int64>(hay.size()));
        if (pc != lastPercent) {
          lastPercent = pc;
          progress(pc);
          if (global_panic_state != panic_no_panic) break;
        }
      }
    }
  }
  return result;
}

Int32 RichEdit_ColourAllHits(TRichEdit* edit, const TRichHitColours& c, TRicheditPositions* positions,
                             const std::vector<Int32>& filter) {
  if (edit == nullptr || positions == nullptr) return -1;
  Int32 first = -1;
  edit->BeginUpdate();
  // Tens of thousands of hits take a while to colour: the host gets its turns.
  TTimedYield yield;
  for (Int32 i = 0; i < positions->Count(); ++i) {
    yield.Tick();
    const TRichEditPosition_rec r = positions->GetPosition(i);
    if (!filter.empty() && std::find(filter.begin(), filter.end(), r.SW_word_number) == filter.end()) continue;
    RichEdit_ColourASection(edit, c.colour, c.background, c.styles, r.riched_char_pos, r.word1_len);
    if (r.word2_where >= 0 && r.word2_len > 0)
      RichEdit_ColourASection(edit, c.context_colour, c.context_background, c.context_styles, r.word2_where,
                              r.word2_len);
    if (first < 0 || r.riched_char_pos < first) first = r.riched_char_pos;
  }
  edit->EndUpdate();
  MyYieldProcess();
  if (first >= 0 && edit->HasWidget()) edit->ScrollToPosition(first);
  MyYieldProcess();
  return first;
}

}  // namespace sk
