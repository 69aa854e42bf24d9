#include "display/Rtl_and_ltr_painting.h"

#include <algorithm>
#include <climits>

#include "core/My_string_functions_charclass.h"
#include "core/Qm_global_vars.h"
#include "core/UnitCounter.h"
#include "platform/runtime/Colors.h"
#include "platform/runtime/Locale.h"
#include "services/Wdef_definitions.h"
#include "ui/Graphics_utilities.h"

namespace sk {

namespace {

constexpr Int32 kWholeLine = 0x7FFFFFFF;
// The most lines a measured concordance half grows by.
constexpr Int32 kMostExtraConcLines = 9;

bool IsLetterOrDigit(Char c) {
  const Word k = CharClassOf(c);
  return k >= 1 && k <= 3;
}

// The canvas's text alignment and background mode as they were before a
// cell was painted, given back afterwards: the canvas is shared with what
// paints the grid's other cells.
class TCanvasTextStateKeeper {
 public:
  explicit TCanvasTextStateKeeper(TCanvas& canvas)
      : fCanvas(canvas), fAlign(canvas.TextAlign()), fBkMode(canvas.BkMode()) {}
  ~TCanvasTextStateKeeper() {
    fCanvas.SetTextAlign(fAlign);
    fCanvas.SetBkMode(fBkMode);
  }
  TCanvasTextStateKeeper(const TCanvasTextStateKeeper&) = delete;
  TCanvasTextStateKeeper& operator=(const TCanvasTextStateKeeper&) = delete;

 private:
  TCanvas& fCanvas;
  Cardinal fAlign;
  Int32 fBkMode;
};

TColourFontRec StyleWindowColours(TFontStyles styles) {
  return TColourFontRec{GetABrushColour(false), GetAFontColour(false), styles};
}

}  // namespace

// ---------------------------------------------------------------------------
// Free helpers

std::unique_ptr<TQMInt64List> FindBoundedSWPositionsInString(TBaseSearchItems* searchItems, const String& text) {
  auto hits = std::make_unique<TQMInt64List>();
  if (searchItems == nullptr || text.empty()) return hits;
  String upperText;
  bool upperMade = false;
  for (Int32 k = 0; k < searchItems->Count(); ++k) {
    const TQMSearchWordRec* rec = searchItems->GetPtr(k);
    if (rec == nullptr || rec->search_text.empty()) continue;
    const bool caseSensitive = rec->flags.Contains(msCaseIsSensitive);
    if (!caseSensitive && !upperMade) {
      upperText = AnsiUpperCase(text);
      upperMade = true;
    }
    const String& hay = caseSensitive ? text : upperText;
    const String needle = caseSensitive ? rec->search_text : AnsiUpperCase(rec->search_text);
    const bool leftBounded = rec->flags.Contains(msLeftBounded);
    const bool rightBounded = rec->flags.Contains(msRightBounded);
    size_t from = 0;
    while (from < hay.size()) {
      const size_t at = hay.find(needle, from);
      if (at == String::npos) break;
      from = at + 1;
      const size_t after = at + needle.size();
      if (leftBounded && at > 0 && IsLetterOrDigit(text[at - 1])) continue;
      if (rightBounded && after < text.size() && IsLetterOrDigit(text[after])) continue;
      hits->AddOne(MakeHitInt64(static_cast<Int32>(at) + 1, static_cast<Int32>(after) + 1));
    }
  }
  if (hits->Count() > 1) hits->SortAscendingDefault();
  return hits;
}

Cardinal GetMyTextFlags(TBiDiMode direction) {
  return direction == bdRightToLeft ? ETO_CLIPPED | ETO_RTLREADING : ETO_CLIPPED;
}

Int32 GetMyDisplayMargins(Int32 width, bool wanted) { return wanted ? width : 0; }

Int32 ComputedTextHeight(TCanvas& canvas) { return canvas.TextHeight(u"Yy"); }

Int32 ComputedTextDisplacement(TCanvas& canvas, Int32 n) { return n == 0 ? 0 : n * canvas.TextWidth(u"n"); }

TPoint ComputedRectDeadCentre(const TRect& rect, Int32 h) {
  TPoint p;
  p.X = rect.Left + (rect.Right - rect.Left) / 2;
  p.Y = rect.Bottom - rect.Top >= 2 * h ? rect.Top + (rect.Bottom - rect.Top - h) / 2 : rect.Top;
  return p;
}

void EllipsisOutputALine(TCanvas& canvas, const String& text, const TRect& rect, Int32 shift) {
  TRect r = rect;
  r.Left += shift;
  r.Right += shift;
  const bool isPath = text.find(u":\\") != String::npos || text.find(u"\\\\") != String::npos ||
                      (!text.empty() && text[0] == u'/');
  canvas.DrawText(text, r, DT_NOPREFIX | DT_SINGLELINE | (isPath ? DT_PATH_ELLIPSIS : DT_END_ELLIPSIS));
}

void CentreOutputAWord(TCanvas& canvas, const String& text, Int32 width, const TRect& rect) {
  const Int32 x = rect.Left + (width - canvas.TextWidth(text)) / 2;
  TRect clip = rect;
  clip.Right = rect.Left + width;
  const Cardinal align = canvas.TextAlign();
  canvas.SetTextAlign(TA_LEFT);
  canvas.ExtTextOut(x, rect.Top, ETO_CLIPPED, clip, text);
  canvas.SetTextAlign(align);
}

bool ColourOrTypeFacesDifferent(const TColourFontRec& a, const TColourFontRec& b) {
  return a.BrushColour != b.BrushColour || a.FontColour != b.FontColour || a.typeface != b.typeface;
}

TBasicBrushFontTypeRec BrushFontTypeForGridHead(const TGrid_head& head, bool selected, bool monochrome, bool fixed,
                                                const TMyCanvasColourRec& colours) {
  TBasicBrushFontTypeRec r;
  r.typefaces = head.typefaces;
  r.brush_colour = colours.arr[tsc_window];
  r.font_colour = colours.arr[tsc_windowtext];
  if (fixed) {
    r.brush_colour = colours.arr[tsc_Btnface];
  } else if (monochrome) {
    r.brush_colour = selected ? clBlack : clWhite;
    r.font_colour = selected ? clWhite : clBlack;
  } else if (selected) {
    r.brush_colour = colours.arr[tsc_highlight];
    r.font_colour = colours.arr[tsc_highlighttext];
  } else if (head.has_column_specific_brush_colour) {
    r.brush_colour = head.column_specific_brush_colour;
  }
  return r;
}

void MatchAExtraFontRecToAGridHead(TColourFontRec& cfr, const TBasicBrushFontTypeRec& rec) {
  cfr.BrushColour = rec.brush_colour;
  cfr.FontColour = rec.font_colour;
  cfr.typeface = rec.typefaces;
}

void MatchACanvasToAGridHead(TCanvas& canvas, const TBasicBrushFontTypeRec& rec) {
  canvas.Font().SetStyle(rec.typefaces);
  canvas.Brush().SetColor(rec.brush_colour);
  canvas.Font().SetColor(rec.font_colour);
}

// ---------------------------------------------------------------------------
// The drawer

TMyTextDrawer::TMyTextDrawer() : fSearchlist(std::make_unique<TSearchWordItems>()) {
  fSearchlist->ColunaPraProcura = 1;
  const TMyCanvasColourRecAndTypeface search = StyleSearchColoursAndTypeface();
  SearchExtraFontRec =
      TColourFontRec{search.colourset.arr[tsc_window], search.colourset.arr[tsc_windowtext], search.typeface};
  DefaultFontRec = TColourFontRec{clWindow, clWindowText, 0};
  CustomColours = ClNoneColours();
}

TMyTextDrawer::~TMyTextDrawer() = default;

void TMyTextDrawer::AddASearch(const TQMSearchWordRec& rec) {
  if (TSearchWordItems* l = Searchlist()) l->AddSW(rec);
}

void TMyTextDrawer::AddASearchRequest(const String& text) {
  if (text.empty()) return;
  if (TSearchWordItems* l = Searchlist()) l->AddSW(text);
}

void TMyTextDrawer::AddSearches(TBaseSearchItems* list) {
  TSearchWordItems* own = Searchlist();
  if (list == nullptr || own == nullptr || list == own) return;
  for (Int32 i = 0; i < list->Count(); ++i) {
    const TQMSearchWordRec rec = list->GetSWR(i);
    if (own->IndexOf(rec) < 0) own->AddSW(rec);
  }
}

void TMyTextDrawer::SetASearch(Int32 i, const TQMSearchWordRec& rec) {
  TSearchWordItems* l = Searchlist();
  if (l != nullptr && i >= 0 && i < l->Count()) l->PutSWR(i, rec);
}

void TMyTextDrawer::ClearOneSearch(const TQMSearchWordRec& rec) {
  TSearchWordItems* l = Searchlist();
  if (l == nullptr) return;
  const Int32 i = IndexOfASearch(rec);
  if (i >= 0) l->ClearOne(i);
}

void TMyTextDrawer::ClearAllSearches() {
  if (TSearchWordItems* l = Searchlist()) l->Clear();
}

Int32 TMyTextDrawer::IndexOfASearch(const TQMSearchWordRec& rec) const {
  TSearchWordItems* l = Searchlist();
  return l == nullptr ? -1 : l->TypeInIndexOf(rec.typed_in_text);
}

Int64 TMyTextDrawer::GetSearchHits() const {
  TSearchWordItems* l = Searchlist();
  return l == nullptr ? 0 : l->TotalHits();
}

void TMyTextDrawer::AssignOtherSWList(TSearchWordItems* list) {
  otherswlist = list;
  using_otherSWList = list != nullptr;
}

bool TMyTextDrawer::LineContainsAnySearchWords(const String& text) const {
  return FindBoundedSWPositionsInString(Searchlist(), text)->Count() > 0;
}

void TMyTextDrawer::SetCustomColours(TColor brush, TColor font) {
  CustomColours[fb_foregound] = font;
  CustomColours[fb_background] = brush;
  fcustomColours = true;
}

void TMyTextDrawer::SetCustomColours(const TForegroundBackGroundColours& colours) {
  CustomColours = colours;
  fcustomColours = true;
}

void TMyTextDrawer::IncludeOrExcludeInDefaultTypeface(TFontStyle style, bool include) {
  if (include)
    DefaultFontRec.typeface = static_cast<TFontStyles>(DefaultFontRec.typeface | (1u << style));
  else
    DefaultFontRec.typeface = static_cast<TFontStyles>(DefaultFontRec.typeface & ~(1u << style));
}

void TMyTextDrawer::SetMainFontFaceDeleted(bool flag) {
  DeletedAppearance = flag;
  IncludeOrExcludeInDefaultTypeface(fsStrikeOut, flag);
}

TPoint TMyTextDrawer::DefaultRectPlace(const TRect& rect, TBiDiMode direction) {
  return direction == bdRightToLeft ? TPoint{rect.Right, rect.Top} : TPoint{rect.Left, rect.Top};
}

void TMyTextDrawer::ClearTheRect(TCanvas& canvas, const TRect& rect) { canvas.FillRect(rect); }

void TMyTextDrawer::SetColoursAndTypeForWord(const TPaintWordChunk& chunk, TCanvas& canvas) const {
  TColor brush, font;
  if (!fMonochrome) {
    if (HighlightCell) {
      brush = Global_Colours.arr[tsc_highlight];
      font = Global_Colours.arr[tsc_highlighttext];
    } else {
      brush = chunk.colourAndFont.BrushColour;
      font = chunk.colourAndFont.FontColour;
    }
    if (CurrentSortThreshold == 1)
      font = below_threshold_colour;
    else if (CurrentSortThreshold == 2)
      font = show_greyed_Colour;
  } else {
    brush = HighlightCell ? clBlack : clWhite;
    font = HighlightCell ? clWhite : clBlack;
  }
  canvas.Brush().SetColor(brush);
  canvas.Font().SetColor(font);
  canvas.Font().SetStyle(DeletedAppearance ? static_cast<TFontStyles>(1u << fsStrikeOut)
                                           : chunk.colourAndFont.typeface);
}

void TMyTextDrawer::SetCanvasAlignment(TCanvas& canvas, const TWordChunkList& list) const {
  canvas.SetTextAlign(list.BaseDirection == bdRightToLeft ? TA_RIGHT : TA_LEFT);
}

TNextWordFitting TMyTextDrawer::NextWordFitsOK(Int32 x, Int32 next, const TWordChunkList& list,
                                              const TRect& rect) const {
  if (next < 0 || next >= list.Count()) return nw_done_all;
  const Int32 w = list.Chunk(next).pixel_width;
  if (list.BaseDirection == bdRightToLeft) {
    if (x - w < rect.Left + edge_margin) return nw_wont_fit;
  } else if (x + w > rect.Right - edge_margin) {
    return nw_wont_fit;
  }
  return nw_fits_OK;
}

TWordsWhichFit TMyTextDrawer::ComputedFitSpan(TWordChunkList& list, Int32 first, Int32 width) const {
  if (!list.has_odd_directions && Alignamento == aligned_default)
    return TWordsWhichFit{first, kWholeLine, kWholeLine, false};
  TWordsWhichFit fit = list.WhichWordsFit(first, width, Alignamento != aligned_default);
  if (fit.reorder_check_needed)
    TWordChunkList::ReorderAnyLTRSinRTLSequences(list, fit.first_segment, fit.last_segment);
  return fit;
}

Int32 TMyTextDrawer::GetPlaceXNearMargin(const TRect& rect) const {
  return BaseDirection == bdRightToLeft ? rect.Right - edge_margin : rect.Left + edge_margin;
}

Int32 TMyTextDrawer::GetPlaceXForLineWidth(const TRect& rect, Int32 w, TQMAlignment alignment) const {
  const bool rtl = BaseDirection == bdRightToLeft;
  if (alignment == aligned_centre)
    return rtl ? rect.Right - (rect.Right - rect.Left - w) / 2 : rect.Left + (rect.Right - rect.Left - w) / 2;
  if (!rtl && alignment == aligned_right) return rect.Right - edge_margin - w;
  // A right-to-left line starts at its right end: ending it at the left
  // margin mirrors a left-to-right line ending at the right one.
  if (rtl && alignment == aligned_default) return rect.Left + edge_margin + w;
  return GetPlaceXNearMargin(rect);
}

void TMyTextDrawer::OutputChunk(const TPaintWordChunk& chunk, TCanvas& canvas, Int32 x, Int32 y,
                                const TRect& rect, Cardinal flags, bool clipped) {
  if (JustMeasuring) {
    if (SavingChunks) {
      SavedChunks.push_back(chunk);
      SavedChunks.back().place = TPoint{x, y};
    }
    return;
  }
  SetColoursAndTypeForWord(chunk, canvas);
  // The chunk's stored width holds only while the canvas's font style is the
  // one it was measured in.
  const Int32 width = canvas.Font().Style() == chunk.colourAndFont.typeface ? chunk.pixel_width : -1;
  canvas.ExtTextOut(x, y, clipped ? flags : flags & ~ETO_CLIPPED, rect, chunk.w, width);
}

TLinePainted TMyTextDrawer::PaintOneLine(Int32 first, Int32 lineNo, const TRect& rect, TWordChunkList& list,
                                         TCanvas& canvas, Cardinal flags) {
  TLinePainted result;
  result.last = first - 1;
  if (first < 0 || first >= list.Count()) return result;
  SetCanvasAlignment(canvas, list);
  const bool rtl = list.BaseDirection == bdRightToLeft;
  const Int32 width = rect.Right - rect.Left;
  const TWordsWhichFit fit = ComputedFitSpan(list, first, width - 2 * edge_margin);
  Int32 x;
  if (Alignamento == aligned_centre)
    x = rtl ? rect.Right - (width - fit.pixels) / 2 : rect.Left + (width - fit.pixels) / 2;
  else if (Alignamento == aligned_right)
    x = rtl ? rect.Left + fit.pixels + 1 : rect.Right - fit.pixels - 1;
  else
    x = GetPlaceXNearMargin(rect);
  const Int32 y = rect.Top + lineNo * (line_height + interline_spacing);
  const Int32 room = width - 2 * edge_margin;
  for (Int32 i = fit.first_segment; i < list.Count(); ++i) {
    const TPaintWordChunk& chunk = list.Chunk(i);
    if (lineNo > 0 && i == fit.first_segment && chunk.w == u" ") {
      result.last = i;
      continue;
    }
    if ((Alignamento == aligned_default && chunk.pixel_width > room) || fit.pixels == 0) {
      // Too wide for any line: shrunk into the space left.
      const Int32 left = rtl ? rect.Left + edge_margin : x;
      const Int32 right = rtl ? x : rect.Right - edge_margin;
      if (!JustMeasuring) {
        SetColoursAndTypeForWord(chunk, canvas);
        const String shown = ShrunkToFit(chunk.w, canvas, right - left + canvas.TextWidth(u"M"));
        TRect r{left, y, right, std::min(rect.Bottom, y + line_height)};
        canvas.DrawText(shown, r,
                        DT_NOPREFIX | DT_SINGLELINE | (Alignamento == aligned_centre ? DT_CENTER : DT_RIGHT) |
                            (rtl ? DT_RTLREADING : 0));
      } else if (SavingChunks) {
        SavedChunks.push_back(chunk);
        SavedChunks.back().place = TPoint{x, y};
      }
      result.last = i;
      result.state = nw_found_span;
      return result;
    }
    OutputChunk(chunk, canvas, x, y, rect, flags, true);
    TWordChunkList::ShiftUpLinePixels(x, chunk, list.BaseDirection);
    result.last = i;
    if (i >= fit.last_segment)
      result.state = nw_found_span;
    else
      result.state = NextWordFitsOK(x, i + 1, list, rect);
    if (result.state > nw_fits_OK) break;
  }
  if (result.state == nw_untested || result.state == nw_fits_OK) result.state = nw_done_all;
  return result;
}

void TMyTextDrawer::PaintOneLineByWordNumbers(const std::vector<Int32>& indexes, TPoint point, const TRect& rect,
                                              TWordChunkList& list, TCanvas& canvas, Cardinal flags) {
  SetCanvasAlignment(canvas, list);
  Int32 x = point.X;
  for (size_t k = 0; k < indexes.size(); ++k) {
    const Int32 i = indexes[k];
    if (i < 0 || i >= list.Count()) continue;
    const TPaintWordChunk& chunk = list.Chunk(i);
    if (!JustMeasuring) canvas.SetBkMode(chunk.custom_colour_wd ? OPAQUE : TRANSPARENT);
    OutputChunk(chunk, canvas, x, point.Y, rect, flags, list.wcl_format == wcl_Clusters);
    TWordChunkList::ShiftUpLinePixels(x, chunk, list.BaseDirection);
    if (k + 1 < indexes.size() && NextWordFitsOK(x, indexes[k + 1], list, rect) != nw_fits_OK) break;
  }
  canvas.SetBkMode(OPAQUE);
}

void TMyTextDrawer::PaintAColouredLine(bool reverse, TCanvas& canvas, const TRect& rect, TPoint& point,
                                       TWordChunkList& list, const std::vector<Int32>& indexes) {
  const std::vector<Int32> order = reverse ? TWordChunkList::ReversedWholeLineNumbers(indexes) : indexes;
  PaintOneLineByWordNumbers(order, point, rect, list, canvas, GetMyTextFlags(list.BaseDirection));
  point.X += list.BaseDirection == bdRightToLeft ? -list.LineWidth(order) : list.LineWidth(order);
}

std::vector<std::pair<Int32, Int32>> TMyTextDrawer::LayOutConcHalf(const TWordChunkList& list, bool afterNode,
                                                                   Int32 firstRoom, Int32 lineRoom,
                                                                   Int32 maxLines) {
  // Lines as [from, to] index ranges in list order. After the node the chunks
  // go outwards in list order; before it from the last chunk backwards.
  std::vector<std::pair<Int32, Int32>> lines;
  const Int32 n = list.Count();
  if (n == 0) return lines;
  Int32 room = firstRoom, used = 0;
  Int32 lineStart = afterNode ? 0 : n - 1;
  Int32 lineEnd = lineStart;
  bool empty = true;
  for (Int32 k = 0; k < n; ++k) {
    const Int32 i = afterNode ? k : n - 1 - k;
    const Int32 w = list.Chunk(i).pixel_width;
    if (!empty && used + w > room) {
      lines.emplace_back(afterNode ? lineStart : lineEnd, afterNode ? lineEnd : lineStart);
      if (static_cast<Int32>(lines.size()) >= maxLines) {
        text_fits_within_Rect = false;
        return lines;
      }
      room = lineRoom;
      used = 0;
      lineStart = i;
      empty = true;
    }
    used += w;
    lineEnd = i;
    empty = false;
  }
  if (!empty) lines.emplace_back(afterNode ? lineStart : lineEnd, afterNode ? lineEnd : lineStart);
  return lines;
}

TRect TMyTextDrawer::DrawConcText(const String& padding, const TConcDisplayOptionsSet& concOptions,
                                  const TWordAndTagDisplayOptionsSet& wordTagOptions, TTagWordPrecedence precedence,
                                  const std::vector<TTagFileShow_rec>& tagShowArr,
                                  const TEnumArray<TLeftOrRight, std::vector<TConcordDetailedRec>, 2>& tokens,
                                  const TEnumArray<TLeftOrRight, std::vector<TCollocateColourRec>, 2>& colours,
                                  TCanvas& canvas, Cardinal locale, const TRect& rect, TFontStyles fontStyles,
                                  bool highlighted, bool blankOutNode, TQMoutput output,
                                  const TLeftOrRightIntegers& limits) {
  (void)output;
  const TCanvasTextStateKeeper keeper(canvas);
  TRect result = rect;
  CustomColours = ClNoneColours();
  BaseDirection = LCIDToBiDiMode(locale) == bdRightToLeft ? bdRightToLeft : bdLeftToRight;
  Alignamento = aligned_centre;
  HighlightCell = highlighted;
  text_fits_within_Rect = true;
  edge_margin = canvas.TextWidth(u" ");
  const Int32 h = ComputedTextHeight(canvas);
  const bool rtl = BaseDirection == bdRightToLeft;
  if (!fConcList)
    fConcList = std::make_unique<TWordChunkList>(StyleWindowColours(DefaultFontRec.typeface), CustomColours,
                                                 wcl_concordance, fOnGetPreferredTagForm);
  TWordChunkList& list = *fConcList;
  list.fdefaultCFR = StyleWindowColours(DefaultFontRec.typeface);
  list.Cell_specific_Colours = CustomColours;
  list.fOnGetPreferredTagForm = fOnGetPreferredTagForm;

  TPoint centre = ComputedRectDeadCentre(rect, h);
  centre.X += ComputedTextDisplacement(canvas, HorizontalConcDisplacement);
  const Int32 lineRoom = rect.Right - rect.Left - 2 * edge_margin;
  const Int32 roomRight = rect.Right - edge_margin - centre.X;
  const Int32 roomLeft = centre.X - (rect.Left + edge_margin);
  // Lines that fit between the centre line and the rectangle's edge, or as
  // many as measuring may add.
  auto linesAllowed = [&](bool below) {
    if (JustMeasuring) return kMostExtraConcLines + 1;
    const Int32 space = below ? rect.Bottom - (centre.Y + h) : centre.Y - rect.Top;
    return 1 + std::max<Int32>(0, space / std::max<Int32>(1, h));
  };
  const Cardinal flags = GetMyTextFlags(BaseDirection);

  for (int half = 0; half < 2; ++half) {
    const bool afterNode = half == 0;
    // After the node the text goes towards the reading end of the line,
    // before it towards the start.
    const bool growsRight = afterNode != rtl;
    const Int32 firstRoom = growsRight ? roomRight : roomLeft;
    const Int32 maxLines = linesAllowed(afterNode);
    // Only the chunks the laid-out lines reach are measured: with each width
    // counted up to the widest room, a line takes at most that room (or is
    // one chunk), and the chunk that would open one line more takes one more.
    const Int32 cap = std::max(lineRoom, firstRoom);
    const Int64 budget = cap > 0 ? static_cast<Int64>(maxLines + 2) * cap : 0;
    list.LoadFromConcDetails(afterNode ? padding : String(), tagShowArr, tokens, colours,
                             afterNode ? at_right : at_left, &canvas, locale, BaseDirection, wordTagOptions,
                             concOptions, precedence, limits, fontStyles, afterNode && blankOutNode, highlighted,
                             fMonochrome, cap, budget);
    const auto lines = LayOutConcHalf(list, afterNode, std::max<Int32>(firstRoom, 0), lineRoom, maxLines);
    const Int32 extra = std::max<Int32>(0, static_cast<Int32>(lines.size()) - 1);
    if (JustMeasuring && extra > 0) {
      if (afterNode)
        result.Bottom = std::max(result.Bottom, centre.Y + h * (extra + 1));
      else
        result.Top = std::min(result.Top, centre.Y - h * extra);
    }
    for (size_t ln = 0; ln < lines.size(); ++ln) {
      std::vector<Int32> indexes;
      for (Int32 i = lines[ln].first; i <= lines[ln].second; ++i) indexes.push_back(i);
      if (list.has_odd_directions)
        TWordChunkList::ReorderAnyLTRSinRTLSequences(list, lines[ln].first, lines[ln].second);
      const bool lastLine = ln + 1 == lines.size();
      TQMAlignment a = aligned_centre;
      if (ln > 0 && lastLine) {
        if (afterNode)
          a = rtl ? aligned_right : aligned_default;
        else
          a = rtl ? aligned_default : aligned_right;
      }
      // A left-to-right line drawn from its start shows no more of a chunk
      // wider than the cell than its floor tells; a line placed by its width
      // needs the whole width of each chunk.
      const bool fromStart = !rtl && (ln == 0 ? afterNode : a == aligned_default);
      if (!fromStart) list.MeasureWhole(lines[ln].first, lines[ln].second);
      const Int32 w = list.LineWidth(indexes);
      const Int32 y = afterNode ? centre.Y + h * static_cast<Int32>(ln) : centre.Y - h * static_cast<Int32>(ln);
      Int32 x;
      if (ln == 0) {
        // The first line touches the centre: after the node it starts there,
        // before the node it ends there.
        if (afterNode)
          x = centre.X;
        else
          x = rtl ? centre.X + w : centre.X - w;
      } else {
        x = GetPlaceXForLineWidth(rect, w, a);
      }
      TPoint p{x, y};
      if (ln == 0) {
        PaintAColouredLine(false, canvas, rect, p, list, indexes);
      } else {
        TRect lineRect = rect;
        if (JustMeasuring) lineRect = result;
        PaintOneLineByWordNumbers(indexes, p, lineRect, list, canvas, flags);
      }
    }
  }
  list.Clear();
  return result;
}

TRect TMyTextDrawer::DrawClusterText(const TWordAndTagDisplayOptionsSet& wordTagOptions,
                                     TTagWordPrecedence precedence, const std::vector<TTagFileShow_rec>& tagShowArr,
                                     const std::vector<TStringTag>& tokens, TCanvas& canvas, Cardinal locale,
                                     const TRect& rect, const TForegroundBackGroundColours& colours,
                                     TFontStyles fontStyles, bool highlighted, bool asFileName, TQMoutput output) {
  (void)output;
  if (asFileName) {
    String text;
    for (size_t i = 0; i < tokens.size(); ++i) {
      if (i > 0) text += u' ';
      text += tokens[i].wrd;
    }
    PutStringAsFilename(rect, canvas, text);
    return rect;
  }
  const TCanvasTextStateKeeper keeper(canvas);
  if (!fClusterList)
    fClusterList = std::make_unique<TWordChunkList>(DefaultFontRec, colours, wcl_Clusters, fOnGetPreferredTagForm);
  TWordChunkList& list = *fClusterList;
  list.fdefaultCFR = DefaultFontRec;
  list.Cell_specific_Colours = colours;
  list.fOnGetPreferredTagForm = fOnGetPreferredTagForm;
  HighlightCell = highlighted;
  BaseDirection = LCIDToBiDiMode(locale) == bdRightToLeft ? bdRightToLeft : bdLeftToRight;
  list.LoadFromClusterTokens(tagShowArr, tokens, &canvas, locale, BaseDirection, wordTagOptions, precedence,
                             fontStyles, highlighted, fMonochrome, colours[fb_foregound] != clNone, true);
  const bool rtl = BaseDirection == bdRightToLeft;
  const Int32 width = rect.Right - rect.Left;
  const Int32 step = canvas.TextHeight(u"yY");
  // Only the chunks the painted lines reach are measured: with each width
  // counted up to the cell's width a line takes at most that width (or is one
  // chunk), and the chunk that ends the last line takes one more. Measuring
  // paints every line.
  Int64 budget = 0;
  if (!JustMeasuring && step > 0 && width > 0)
    budget = (4 + static_cast<Int64>(std::max<Int32>(0, rect.Bottom - rect.Top) / step)) * width;
  list.MeasureFromOneEnd(false, width, budget);
  edge_margin = canvas.TextWidth(u" ");
  const Cardinal flags = GetMyTextFlags(BaseDirection);
  std::vector<Int32> line;
  Int32 running = edge_margin;
  Int32 y = rect.Top;
  auto paintLine = [&] {
    if (line.empty()) return;
    if (list.has_odd_directions) TWordChunkList::ReorderAnyLTRSinRTLSequences(list, line.front(), line.back());
    // Only a left-to-right line drawn from its start may keep floors of the
    // widths of chunks wider than the cell.
    if (rtl || Alignamento != aligned_default) list.MeasureWhole(line.front(), line.back());
    const Int32 w = list.LineWidth(line);
    Int32 x;
    if (Alignamento == aligned_centre)
      x = rtl ? rect.Right - (width - w) / 2 : rect.Left + (width - w) / 2;
    else if (Alignamento == aligned_right)
      x = rtl ? rect.Right - edge_margin : rect.Right - edge_margin - w;
    else
      x = rtl ? rect.Left + edge_margin + w : rect.Left + edge_margin;
    PaintOneLineByWordNumbers(line, TPoint{x, y}, rect, list, canvas, flags);
    y += step;
    line.clear();
  };
  for (Int32 i = 0; i < list.Count(); ++i) {
    const Int32 w = list.Chunk(i).pixel_width;
    if (!line.empty() && running + w > width) {
      paintLine();
      running = edge_margin;
      if (y >= rect.Bottom && !JustMeasuring) break;
    }
    line.push_back(i);
    running += w;
  }
  if (y < rect.Bottom || JustMeasuring) paintLine();
  list.Clear();
  return rect;
}

Int32 TMyTextDrawer::DrawAChunkofTextStringGrid(const String& text, TCanvas& canvas, const TRect& rect,
                                                Cardinal locale, TQMAlignment alignment,
                                                const TForegroundBackGroundColours& colours,
                                                const TForegroundBackGroundColours& otherColours, bool wordWrap,
                                                bool highlightFlag, const TQMInt64List* highlights) {
  if (text.empty()) return 0;
  const TCanvasTextStateKeeper keeper(canvas);
  BaseDirection = LCIDToBiDiMode(locale) == bdRightToLeft ? bdRightToLeft : bdLeftToRight;
  canvas.SetTextAlign(BaseDirection == bdRightToLeft ? TA_RIGHT : TA_LEFT);
  Word_wrapped = wordWrap;
  Alignamento = alignment;
  const TColourFontRec dflt{colours[fb_background], colours[fb_foregound], DefaultFontRec.typeface};
  if (!fTextList)
    fTextList = std::make_unique<TWordChunkList>(dflt, otherColours, wcl_large_text, fOnGetPreferredTagForm);
  TWordChunkList& list = *fTextList;
  list.fdefaultCFR = dflt;
  list.Cell_specific_Colours = otherColours;
  canvas.Font().SetStyle(dflt.typeface);
  edge_margin = wordWrap && alignment != aligned_right ? canvas.TextWidth(u"M") : 0;
  line_height = canvas.TextHeight(u"yTTG");
  const Int32 step = line_height + interline_spacing;
  // Only the chunks the painted lines reach are measured. A line holds at
  // most a skipped blank and either chunks within its room or one chunk
  // shrunk to fit, so with each width counted up to the cell's width a line
  // takes at most twice that width; the chunk that ends the last line takes
  // one more.
  const Int32 cellWidth = rect.Right - rect.Left;
  Int64 budget = 0;
  if (cellWidth > 0 && (!wordWrap || step > 0)) {
    const Int64 lines = wordWrap ? 2 + std::max<Int32>(0, rect.Bottom - rect.Top) / step : 1;
    budget = (2 * lines + 2) * cellWidth;
  }
  list.LoadFromLargerString(text, &canvas, locale, BaseDirection, otherColours[fb_foregound] != clNone,
                            highlightFlag, highlights, cellWidth, budget);
  const Cardinal flags = GetMyTextFlags(BaseDirection);
  Int32 lineNo = 0;
  Int32 first = 0;
  while (true) {
    const TLinePainted painted = PaintOneLine(first, lineNo, rect, list, canvas, flags);
    if (!Word_wrapped || painted.state == nw_done_all) break;
    first = std::max(painted.last + 1, first + 1);
    if (first >= list.Count()) break;
    // The next line must start inside the rectangle.
    if (rect.Top + (lineNo + 1) * step >= rect.Bottom) break;
    ++lineNo;
  }
  list.Clear();
  return step * (lineNo + 1);
}

Int32 TMyTextDrawer::DrawAChunkofTextStringGrid(const String& text, TCanvas& canvas, const TRect& rect,
                                                Cardinal locale, const TForegroundBackGroundColours& colours,
                                                const TForegroundBackGroundColours& otherColours,
                                                bool highlightFlag, const TQMInt64List* highlights) {
  return DrawAChunkofTextStringGrid(text, canvas, rect, locale, Alignamento, colours, otherColours, Word_wrapped,
                                    highlightFlag, highlights);
}

SK_COUNTER_ONLY_UNIT(Rtl_and_ltr_painting)

}  // namespace sk
