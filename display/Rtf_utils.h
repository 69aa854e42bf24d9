// Helpers for rich edits: lines and visible lines, scrolling, margins,
// coloured sections and lines, saving a text as RTF with one line marked, and
// finding and colouring every hit of a list of search words. Positions are the
// rich edit's (0-based, one character per line break).
#pragma once

#include <memory>
#include <vector>

#include "core/Basic_types.h"
#include "core/My_string_functions_tabfields.h"
#include "core/Useful_classes_base_longint.h"
#include "core/Useful_classes_base_simplesearch.h"
#include "platform/runtime/Colors.h"
#include "platform/runtime/RtlTypes.h"
#include "platform/visual/RichEdit.h"

namespace sk {


// The hits in a rich edit: one TRichEditPosition_rec per row (riched_char_pos,
// word1_len, SW_word_number, word2_where, word2_len in columns 0 to 4).
class TRicheditPositions : public T5LongintList {
 public:
  Int32 AddPosition(const TRichEditPosition_rec& rec);
  // All -1 outside the list.
  TRichEditPosition_rec GetPosition(Int32 i) const;
  // On two columns when the criteria differ, else on one.
  void SortOn(TRicheditSortCriterion first, TRicheditSortCriterion second);
};

Int32 Richedit_LineFromChar(TRichEdit* edit, Int32 pos);
Int32 Richedit_FirstCharPosOfLine(TRichEdit* edit, Int32 line);
Int32 Richedit_FirstVisibleLine(TRichEdit* edit);
Int32 Richedit_LastVisibleLine(TRichEdit* edit);
// -1 when there is no scroll bar yet.
Int32 Richedit_ScrollThumbPos(TRichEdit* edit);
void SetRicheditMargins(TRichEdit* edit, Int32 left, Int32 right);
void RichEdit_SetSelBackgroundColour(TRichEdit* edit, TColor colour);
void RichEdit_SetSelForegroundColour(TRichEdit* edit, TColor colour);
// Selects the section and gives it the colour and styles; the background too
// unless it is clDefault (or clNone).
void RichEdit_ColourASection(TRichEdit* edit, TColor textColour, TColor background, TFontStyles styles,
                             Int32 start, Int32 length);
// Inserts text as the first line (atTop) or appends it as the last, in the
// colour and styles.
void RichEdit_InsertColouredLine(TRichEdit* edit, const String& text, TColor colour, TFontStyles styles,
                                 bool atTop);
// Fills the edit with text (window colour, text colour, size1), marks the
// given 0-based line (counting CR LF pairs) bold in the highlight colours and
// size2, and saves the edit as RTF; false when the file cannot be written.
bool SaveATextToARichedit(TRichEdit* edit, const String& text, const String& fileName, Int32 line,
                          TColor windowColour, TColor textColour, TColor highlightBackground,
                          TColor highlightText, Int32 size1, Int32 size2);
// Bold added and "<B>" ... "</B>" removed when text is wrapped in them, else
// bold removed.
TFontStyles FontStyleForString(TFontStyles styles, String& text);
// The first visible line becomes line - Round(visible / 2) + 1 (not below 0;
// line itself when one line is visible).
void CentreLineVerticallyInEdit(TRichEdit* edit, Int32 line);
void RichEdit_ScrollToPosition(TRichEdit* edit, Int32 pos);

// Every hit of the listed words (all words when wordIndexes is empty) in the
// edit's text, searched in a copy with markup blanked out ("<" ... ">", span
// 250), from after the first occurrence of startText when it is given. Stops
// when global_panic_state is set (reset at the start). The edit is not
// changed. Never null.
std::unique_ptr<TRicheditPositions> RichEdit_FindAllTheseWordsHits(TRichEdit* edit, const String& startText,
                                                                   const std::vector<Int32>& wordIndexes,
                                                                   TSimpleSearchlist* words,
                                                                   const TLinePercentProgress& progress);

// The colours of hits and of their context words.
struct TRichHitColours {
  TColor colour = clRed;
  TColor background = clDefault;
  TFontStyles styles = 1u << fsBold;
  TColor context_colour = clBlue;
  TColor context_background = clDefault;
  TFontStyles context_styles = 0;
};

// With painting suspended (one edit block), colours every hit whose word
// number is in filter (all when filter is empty) and its context word; then
// yields, scrolls to the first hit, yields again and returns its position
// (-1 when there is none).
Int32 RichEdit_ColourAllHits(TRichEdit* edit, const TRichHitColours& colours, TRicheditPositions* positions,
                             const std::vector<Int32>& filter);

}  // namespace sk
