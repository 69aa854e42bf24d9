// The text drawer: paints one grid cell's text as word chunks, a concordance
// line growing outwards from its centre, a cluster or other token sequence,
// or a longer text, left to right or right to left, with search-word
// highlights, custom and monochrome colours, grey-out below a sort threshold,
// strike-out of deleted entries, alignment and ellipsis. The unit also holds
// the brush and font helpers of grid heading cells.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "analysis/Base_search_itemsU.h"
#include "core/Basic_types.h"
#include "core/Qm_specific_types.h"
#include "core/Useful_classes_base_numeric.h"
#include "display/Wordchunklistu.h"
#include "platform/runtime/RtlTypes.h"
#include "platform/visual/Graphics.h"

namespace sk {

// How the next chunk of a line fares; any state above nw_fits_OK ends the line.
enum TNextWordFitting : uint8_t { nw_untested, nw_fits_OK, nw_found_span, nw_wont_fit, nw_done_all };

// What PaintOneLine did: how the line ended and the last chunk painted.
struct TLinePainted {
  TNextWordFitting state = nw_untested;
  Int32 last = -1;
};

class TMyTextDrawer : public TObject {
 public:
  TMyTextDrawer();
  ~TMyTextDrawer() override;
  TMyTextDrawer(const TMyTextDrawer&) = delete;
  TMyTextDrawer& operator=(const TMyTextDrawer&) = delete;

  // The list searched: the caller's while using_otherSWList, else the own.
  TSearchWordItems* Searchlist() const { return using_otherSWList ? otherswlist : fSearchlist.get(); }

  // ---- search words
  void AddASearch(const TQMSearchWordRec& rec);
  // Nothing for an empty text.
  void AddASearchRequest(const String& text);
  // Each word of list that Searchlist does not hold yet.
  void AddSearches(TBaseSearchItems* list);
  void SetASearch(Int32 i, const TQMSearchWordRec& rec);
  void ClearOneSearch(const TQMSearchWordRec& rec);
  void ClearAllSearches();
  // By typed text; -1 when not held.
  Int32 IndexOfASearch(const TQMSearchWordRec& rec) const;
  Int64 GetSearchHits() const;
  // nil switches back to the drawer's own list.
  void AssignOtherSWList(TSearchWordItems* list);
  bool LineContainsAnySearchWords(const String& text) const;

  // ---- settings
  void SetCustomColours(TColor brush, TColor font);
  void SetCustomColours(const TForegroundBackGroundColours& colours);
  void SetMonochrome(bool flag) { fMonochrome = flag; }
  void SetWCLFormat(TWordChunkListFormat format) { wcl_format = format; }
  void SetBaseTypeface(TFontStyles styles) { DefaultFontRec.typeface = styles; }
  TFontStyles GetBaseTypeface() const { return DefaultFontRec.typeface; }
  void IncludeOrExcludeInDefaultTypeface(TFontStyle style, bool include);
  // DeletedAppearance, with strike-out added to or taken from the base typeface.
  void SetMainFontFaceDeleted(bool flag);

  // ---- painting
  TRect DrawConcText(const String& padding, const TConcDisplayOptionsSet& concOptions,
                     const TWordAndTagDisplayOptionsSet& wordTagOptions, TTagWordPrecedence precedence,
                     const std::vector<TTagFileShow_rec>& tagShowArr,
                     const TEnumArray<TLeftOrRight, std::vector<TConcordDetailedRec>, 2>& tokens,
                     const TEnumArray<TLeftOrRight, std::vector<TCollocateColourRec>, 2>& colours, TCanvas& canvas,
                     Cardinal locale, const TRect& rect, TFontStyles fontStyles, bool highlighted, bool blankOutNode,
                     TQMoutput output, const TLeftOrRightIntegers& limits);
  TRect DrawClusterText(const TWordAndTagDisplayOptionsSet& wordTagOptions, TTagWordPrecedence precedence,
                        const std::vector<TTagFileShow_rec>& tagShowArr, const std::vector<TStringTag>& tokens,
                        TCanvas& canvas, Cardinal locale, const TRect& rect,
                        const TForegroundBackGroundColours& colours, TFontStyles fontStyles, bool highlighted,
                        bool asFileName, TQMoutput output);
  Int32 DrawAChunkofTextStringGrid(const String& text, TCanvas& canvas, const TRect& rect, Cardinal locale,
                                   TQMAlignment alignment, const TForegroundBackGroundColours& colours,
                                   const TForegroundBackGroundColours& otherColours, bool wordWrap,
                                   bool highlightFlag, const TQMInt64List* highlights);
  // With the drawer's own Alignamento and Word_wrapped.
  Int32 DrawAChunkofTextStringGrid(const String& text, TCanvas& canvas, const TRect& rect, Cardinal locale,
                                   const TForegroundBackGroundColours& colours,
                                   const TForegroundBackGroundColours& otherColours, bool highlightFlag,
                                   const TQMInt64List* highlights);

  TLinePainted PaintOneLine(Int32 first, Int32 lineNo, const TRect& rect, TWordChunkList& list, TCanvas& canvas,
                            Cardinal flags);
  void PaintOneLineByWordNumbers(const std::vector<Int32>& indexes, TPoint point, const TRect& rect,
                                 TWordChunkList& list, TCanvas& canvas, Cardinal flags);
  void PaintAColouredLine(bool reverse, TCanvas& canvas, const TRect& rect, TPoint& point, TWordChunkList& list,
                          const std::vector<Int32>& indexes);
  TNextWordFitting NextWordFitsOK(Int32 x, Int32 next, const TWordChunkList& list, const TRect& rect) const;
  TWordsWhichFit ComputedFitSpan(TWordChunkList& list, Int32 first, Int32 width) const;
  Int32 GetPlaceXNearMargin(const TRect& rect) const;
  // Where a line of width w starts (its right end for right-to-left).
  Int32 GetPlaceXForLineWidth(const TRect& rect, Int32 w, TQMAlignment alignment) const;
  static TPoint DefaultRectPlace(const TRect& rect, TBiDiMode direction);
  static void ClearTheRect(TCanvas& canvas, const TRect& rect);
  void SetColoursAndTypeForWord(const TPaintWordChunk& chunk, TCanvas& canvas) const;

  TWordChunkListFormat wcl_format = wcl_Clusters;
  Char searchword_padding_character = u' ';
  bool fcustomColours = false;
  bool fMonochrome = false;
  Int32 line_height = 0;
  Int32 interline_spacing = 2;
  TForegroundBackGroundColours CustomColours{};
  TSearchWordItems* otherswlist = nullptr;  // not owned
  std::unique_ptr<TSearchWordItems> fSearchlist;
  TGetPreferredTagFormat fOnGetPreferredTagForm;
  TBiDiMode BaseDirection = bdLeftToRight;
  TColourFontRec DefaultFontRec{};
  TColourFontRec SearchExtraFontRec{};
  Int32 HorizontalConcDisplacement = 0;
  Int32 edge_margin = 0;
  TColor show_greyed_Colour = 0x808080;
  TColor below_threshold_colour = 0xC0C0C0;
  Byte CurrentSortThreshold = 0;
  TQMAlignment Alignamento = aligned_default;
  std::vector<TPaintWordChunk> SavedChunks;
  bool JustMeasuring = false;
  bool SavingChunks = false;
  bool FixedCellDisplay = false;
  bool DeletedAppearance = false;
  bool text_fits_within_Rect = true;
  bool HighlightCell = false;
  bool Word_wrapped = false;
  bool show_sentence_breaks = false;
  bool show_para_breaks = false;
  bool using_otherSWList = false;

 private:
  // The text's direction is the list's: right-to-left lists put x at the
  // right end of each chunk.
  void SetCanvasAlignment(TCanvas& canvas, const TWordChunkList& list) const;
  // Outputs one chunk at (x, y) in its colours, or records it while measuring.
  void OutputChunk(const TPaintWordChunk& chunk, TCanvas& canvas, Int32 x, Int32 y, const TRect& rect,
                   Cardinal flags, bool clipped);
  // The lines of one half of a concordance line laid out from the centre
  // outwards, each a run of list indexes in list order.
  std::vector<std::pair<Int32, Int32>> LayOutConcHalf(const TWordChunkList& list, bool afterNode, Int32 firstRoom,
                                                      Int32 lineRoom, Int32 maxLines);

  // Chunk lists reused from cell to cell.
  std::unique_ptr<TWordChunkList> fConcList;
  std::unique_ptr<TWordChunkList> fClusterList;
  std::unique_ptr<TWordChunkList> fTextList;
};

// ---- free helpers

// Every bounded occurrence of each search word in text (compared upper-cased
// unless the word is case-sensitive), as 64-bit hits (see LoInt64); sorted
// ascending when more than one. The caller owns the list.
std::unique_ptr<TQMInt64List> FindBoundedSWPositionsInString(TBaseSearchItems* searchItems, const String& text);
// ETO_CLIPPED, and ETO_RTLREADING too for right-to-left (4 or 132).
Cardinal GetMyTextFlags(TBiDiMode direction);
Int32 GetMyDisplayMargins(Int32 width, bool wanted);
// The height of "Yy".
Int32 ComputedTextHeight(TCanvas& canvas);
// n widths of "n".
Int32 ComputedTextDisplacement(TCanvas& canvas, Int32 n);
TPoint ComputedRectDeadCentre(const TRect& rect, Int32 h);
// Draws text in rect moved right by shift, ellipsis in the middle of a path
// (a text holding ":\", "\\" or starting with "/"), else at its end.
void EllipsisOutputALine(TCanvas& canvas, const String& text, const TRect& rect, Int32 shift);
void CentreOutputAWord(TCanvas& canvas, const String& text, Int32 width, const TRect& rect);
bool ColourOrTypeFacesDifferent(const TColourFontRec& a, const TColourFontRec& b);
TBasicBrushFontTypeRec BrushFontTypeForGridHead(const TGrid_head& head, bool selected, bool monochrome, bool fixed,
                                                const TMyCanvasColourRec& colours);
void MatchAExtraFontRecToAGridHead(TColourFontRec& cfr, const TBasicBrushFontTypeRec& rec);
void MatchACanvasToAGridHead(TCanvas& canvas, const TBasicBrushFontTypeRec& rec);

// Unit start and stop (the unit has no work of its own).
void Rtl_and_ltr_painting_initialization();
void Rtl_and_ltr_painting_Finalization();

}  // namespace sk
