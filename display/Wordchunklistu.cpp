#include "display/Wordchunklistu.h"

#include <unicode/ubidi.h>

#include <algorithm>
#include <atomic>
#include <limits>
#include <utility>

#include "core/Global_vars.h"
#include "core/My_string_functions_charclass.h"
#include "core/Qm_global_vars.h"
#include "platform/runtime/Locale.h"
#include "ui/Graphics_utilities.h"

namespace sk {

namespace {

bool IsStartBoundary(TColloc_item_stat s) {
  return s == cis_sentence_start || s == cis_para_start || s == cis_heading_start || s == cis_section_start ||
         s == cis_text_start;
}

bool IsEndBoundary(TColloc_item_stat s) {
  return s == cis_sentence_end || s == cis_para_end || s == cis_heading_end || s == cis_section_end ||
         s == cis_text_end;
}

bool IsLoneBlank(const String& s) { return s.size() == 1 && s[0] == u' '; }

bool IsDigit09(Char c) { return c >= u'0' && c <= u'9'; }

// Characters that hold a chunk together whatever their class.
bool NeverEndsChunk(Char c) { return c == 0x200D || c == 0x202F || c == 0x2060; }

bool IsSeparatorClass(Word t) {
  return t == C2_COMMONSEPARATOR || t == C2_BLOCKSEPARATOR || t == C2_SEGMENTSEPARATOR;
}

std::atomic<Int64> gChunksMeasured{0};

}  // namespace

Int64 WordChunksMeasured() { return gChunksMeasured.load(std::memory_order_relaxed); }

Char BoundarySymbol(TColloc_item_stat stat) {
  switch (stat) {
    case cis_sentence_start: return 0x204D;
    case cis_sentence_end: return 0x204C;
    case cis_para_start: return 0x204B;
    case cis_para_end: return 0x00B6;
    case cis_heading_start: return 0x25B7;
    case cis_heading_end: return 0x25C5;
    case cis_section_start: return 0x25B6;
    case cis_section_end: return 0x25C0;
    case cis_text_start: return 0x25B7;
    case cis_text_end: return 0x25C1;
    default: return u' ';
  }
}

TWordChunkList::TWordChunkList(const TColourFontRec& defaultCFR, const TForegroundBackGroundColours& customColours,
                               TWordChunkListFormat format, TGetPreferredTagFormat onGetPreferredTagForm)
    : Cell_specific_Colours(customColours),
      fdefaultCFR(defaultCFR),
      wcl_format(format),
      fOnGetPreferredTagForm(std::move(onGetPreferredTagForm)) {}

TWordChunkList::~TWordChunkList() = default;

void TWordChunkList::Clear() {
  fItems.clear();
  WidthsFloorsAbove = -1;
}

TPaintWordChunk TWordChunkList::GetAWordChunk(Int32 i) const {
  if (i < 0 || i >= Count()) return TPaintWordChunk{};
  return Chunk(i);
}

void TWordChunkList::Exchange(Int32 i, Int32 j) {
  if (i < 0 || j < 0 || i >= Count() || j >= Count()) return;
  std::swap(fItems[static_cast<size_t>(i)], fItems[static_cast<size_t>(j)]);
}

Int32 TWordChunkList::LineWidth(const std::vector<Int32>& indexes) const {
  Int32 w = 0;
  for (Int32 i : indexes)
    if (i >= 0 && i < Count()) w += Chunk(i).pixel_width;
  return w;
}

std::vector<Int32> TWordChunkList::ReversedWholeLineNumbers(const std::vector<Int32>& indexes) {
  return std::vector<Int32>(indexes.rbegin(), indexes.rend());
}

Int32 TWordChunkList::ShiftUpLinePixels(Int32& x, const TPaintWordChunk& chunk, TBiDiMode direction) {
  if (direction == bdRightToLeft)
    x -= chunk.pixel_width;
  else
    x += chunk.pixel_width;
  return chunk.pixel_width;
}

TStringTagColourFontRec TWordChunkList::ConsiderChangingFormOfTag(const TStringTag& token) const {
  if (fOnGetPreferredTagForm) return fOnGetPreferredTagForm(token.tagnum_2B, token.tag);
  return TStringTagColourFontRec{token.tag, fdefaultCFR};
}

TStringTagColourFontRec TWordChunkList::ConsiderChangingFormOfTag(const TConcStringTag& token) const {
  if (fOnGetPreferredTagForm) return fOnGetPreferredTagForm(token.tagnum_2B, token.tag);
  return TStringTagColourFontRec{token.tag, fdefaultCFR};
}

TBiDiMode TWordChunkList::DirectionOf(const String& text, Cardinal locale, TBiDiMode dflt) {
  if (text.empty()) return dflt;
  if (fTypes.size() < text.size()) fTypes.resize(text.size());
  if (!GetStringTypeQM(locale, CT_CTYPE2, text, static_cast<Int32>(text.size()), fTypes)) return dflt;
  for (size_t i = 0; i < text.size(); ++i) {
    if (fTypes[i] == C2_LEFTTORIGHT) return bdLeftToRight;
    if (fTypes[i] == C2_RIGHTTOLEFT) return bdRightToLeft;
  }
  return dflt;
}

void TWordChunkList::SetChunkDirection(const String& text) {
  wdDirection = DirectionOf(text, fLocale, wdDirection);
  wdchunk.odd_direction = wdDirection != BaseDirection;
  if (wdchunk.odd_direction) has_odd_directions = true;
}

void TWordChunkList::SetCanvasStyle(TFontStyles style) {
  if (TheCanvas != nullptr) TheCanvas->Font().SetStyle(style);
}

Int32 TWordChunkList::MeasuredWidth(const String& text) {
  if (TheCanvas == nullptr) return 0;
  if (fMeasureUpTo >= 0 && text.size() > 1) return TheCanvas->TextWidthUpTo(text, fMeasureUpTo);
  if (text.size() != 1 || text[0] != u' ') return TheCanvas->TextWidth(text);
  // Every other chunk is a blank: its width is kept while the font stays.
  const TFont& f = TheCanvas->Font();
  if (fBlank.width < 0 || fBlank.canvas != TheCanvas || fBlank.height != f.Height() || fBlank.style != f.Style() ||
      fBlank.name != f.Name()) {
    fBlank.canvas = TheCanvas;
    fBlank.name = f.Name();
    fBlank.height = f.Height();
    fBlank.style = f.Style();
    fBlank.width = TheCanvas->TextWidth(text);
  }
  return fBlank.width;
}

void TWordChunkList::AppendChunk() {
  if (wdchunk.w.empty()) return;
  if (fDeferMeasuring) {
    wdchunk.pixel_width = 0;
  } else {
    wdchunk.pixel_width = MeasuredWidth(wdchunk.w);
    gChunksMeasured.fetch_add(1, std::memory_order_relaxed);
  }
  fItems.push_back(std::make_unique<TWordChunkHolder>(wdchunk));
}

void TWordChunkList::MeasureFromOneEnd(bool fromEnd, Int32 capWidth, Int64 budget) {
  const Int32 n = Count();
  if (n == 0) return;
  const TFontStyles lastStyle = Chunk(n - 1).colourAndFont.typeface;
  if (budget <= 0 || capWidth <= 0) budget = std::numeric_limits<Int64>::max();
  // A chunk wider than any line (a long token) is measured only as far as
  // shows that it is, which decides the lines as its whole width would.
  struct TResetUpTo {
    Int32& upTo;
    ~TResetUpTo() { upTo = -1; }
  } resetUpTo{fMeasureUpTo};
  if (capWidth > 0 && capWidth <= std::numeric_limits<Int32>::max() / 2 - 2) fMeasureUpTo = 2 * capWidth + 2;
  WidthsFloorsAbove = fMeasureUpTo;
  Int64 shown = 0;
  Int32 k = 0;
  for (; k < n && shown <= budget; ++k) {
    TPaintWordChunk& c = fItems[static_cast<size_t>(fromEnd ? n - 1 - k : k)]->data;
    // Each chunk was added in the style it is painted in.
    SetCanvasStyle(c.colourAndFont.typeface);
    c.pixel_width = MeasuredWidth(c.w);
    gChunksMeasured.fetch_add(1, std::memory_order_relaxed);
    shown += std::min<Int64>(std::max<Int32>(c.pixel_width, 0), capWidth);
  }
  if (fromEnd)
    fItems.erase(fItems.begin(), fItems.begin() + (n - k));
  else
    fItems.resize(static_cast<size_t>(k));
  SetCanvasStyle(lastStyle);
}

void TWordChunkList::MeasureWhole(Int32 first, Int32 last) {
  if (WidthsFloorsAbove < 0 || TheCanvas == nullptr) return;
  const TFontStyles style = TheCanvas->Font().Style();
  for (Int32 i = std::max(first, 0); i <= last && i < Count(); ++i) {
    TPaintWordChunk& c = fItems[static_cast<size_t>(i)]->data;
    if (c.pixel_width <= WidthsFloorsAbove) continue;
    SetCanvasStyle(c.colourAndFont.typeface);
    c.pixel_width = TheCanvas->TextWidth(c.w);
  }
  SetCanvasStyle(style);
}

void TWordChunkList::AddOneStr(const TStringTag& token, const TColourFontRec& cfr, bool useCellColour) {
  if (token.wrd.empty()) return;
  wdchunk.w = token.wrd;
  wdchunk.colourAndFont = cfr;
  if (useCellColour) wdchunk.colourAndFont.FontColour = Cell_specific_Colours[fb_foregound];
  wdchunk.colloc_span = span;
  SetChunkDirection(token.wrd);
  // Measured in the style it is painted in, whatever an earlier tag left on
  // the canvas.
  SetCanvasStyle(wdchunk.colourAndFont.typeface);
  AppendChunk();
}

void TWordChunkList::AddOneTag(const String& tag, const TColourFontRec& cfr, bool colourTags) {
  if (tag.empty()) return;
  wdchunk.w = tag;
  wdchunk.colourAndFont = colourTags && cfr.BrushColour != cfr.FontColour ? cfr : fdefaultCFR;
  wdchunk.colloc_span = span;
  SetChunkDirection(tag);
  SetCanvasStyle(wdchunk.colourAndFont.typeface);
  AppendChunk();
}

void TWordChunkList::AddOneConcStrAndTag_Str(const TConcordDetailedRec& detailedRec,
                                             const TCollocateColourRec& colourRec) {
  const TConcWordSectionsRec& ws = detailedRec.ConcStrTag.wordsections;
  String text;
  text.reserve(ws.pre_str_punct.size() + ws.wd_str.size() + ws.post_str_punct.size());
  text += ws.pre_str_punct;
  text += ws.wd_str;
  text += ws.post_str_punct;
  if (text.empty()) return;
  TColourFontRec c = colourRec.Word_colours;
  const Int32 tagnum = detailedRec.ConcStrTag.tagnum_2B;
  if (tagnum >= 2) {
    const size_t k = static_cast<size_t>(tagnum - 2);
    const bool decoloured = k < TagFileTagsShowArr.size() && TagFileTagsShowArr[k].decoloured;
    if (!decoloured) c = colourRec.Tag_colours;
  }
  if (c.BrushColour == c.FontColour) c = fdefaultCFR;
  wdchunk.w = std::move(text);
  wdchunk.colourAndFont = c;
  wdchunk.colloc_span = span;
  SetChunkDirection(wdchunk.w);
  SetCanvasStyle(c.typeface);
  AppendChunk();
}

void TWordChunkList::AddOtherString(const String& text) {
  if (text.empty()) return;
  wdchunk.w = text;
  wdchunk.colourAndFont = fdefaultCFR;
  SetCanvasStyle(fdefaultCFR.typeface);
  AppendChunk();
}

void TWordChunkList::AddASymbol(Char ch) {
  wdchunk.w.assign(1, ch);
  wdchunk.colourAndFont = fdefaultCFR;
  wdchunk.colourAndFont.FontColour = Global_TextBreakColour;
  SetCanvasStyle(fdefaultCFR.typeface);
  AppendChunk();
}

void TWordChunkList::ComputeHiding(Int32 tagnum, bool wordEmpty, bool tagEmpty,
                                   const TWordAndTagDisplayOptionsSet& options) {
  hiding[twt_word] = !wordEmpty && options.Contains(hide_words);
  bool tagHidden = false;
  if (!tagEmpty) {
    if (tagnum == 1) {
      tagHidden = options.Contains(hide_empty_tags);
    } else if (tagnum >= 2) {
      const size_t k = static_cast<size_t>(tagnum - 2);
      tagHidden = options.Contains(hide_tagfile_tags) || (k < TagFileTagsShowArr.size() && TagFileTagsShowArr[k].hidden);
    }
  }
  hiding[twt_tag] = tagHidden;
}

void TWordChunkList::LoadFromClusterTokens(const std::vector<TTagFileShow_rec>& tagShowArr,
                                           const std::vector<TStringTag>& tokens, TCanvas* canvas, Cardinal locale,
                                           TBiDiMode baseDirection,
                                           const TWordAndTagDisplayOptionsSet& wordTagOptions,
                                           TTagWordPrecedence precedence, TFontStyles fontStyles, bool highlighted,
                                           bool monochrome, bool forceCustomColour, bool deferMeasuring) {
  Clear();
  fDeferMeasuring = deferMeasuring;
  struct TResetDefer {
    bool& flag;
    ~TResetDefer() { flag = false; }
  } resetDefer{fDeferMeasuring};
  TheCanvas = canvas;
  MonoChrome = monochrome;
  BaseDirection = baseDirection;
  TagFileTagsShowArr = tagShowArr;
  fLocale = locale;
  has_odd_directions = false;
  wdchunk = TPaintWordChunk{};
  wdDirection = baseDirection;
  const TColourFontRec standard = StandardColourFontRec(highlighted, monochrome, fontStyles);
  const bool colourTags = wordTagOptions.Contains(colour_tags);
  for (size_t i = 0; i < tokens.size(); ++i) {
    const TStringTag& token = tokens[i];
    wdchunk.colourAndFont = fdefaultCFR;
    wdchunk.custom_colour_wd = !highlighted && (forceCustomColour || token.tagnum_2B > 0);
    wdDirection = DirectionOf(token.wrd, locale, baseDirection);
    ComputeHiding(token.tagnum_2B, token.wrd.empty(), token.tag.empty(), wordTagOptions);
    if (!hiding[twt_tag] && !token.tag.empty())
      stringandcolourfontrec = ConsiderChangingFormOfTag(token);
    else
      stringandcolourfontrec = TStringTagColourFontRec{token.tag, standard};
    const bool showTag = !hiding[twt_tag] && !stringandcolourfontrec.tag.empty();
    if (precedence == tag_after_word) {
      if (!hiding[twt_word]) AddOneStr(token, standard, forceCustomColour);
      if (showTag) AddOneTag(stringandcolourfontrec.tag, stringandcolourfontrec.c_rec, colourTags);
    } else {
      if (showTag) AddOneTag(stringandcolourfontrec.tag, stringandcolourfontrec.c_rec, colourTags);
      if (!hiding[twt_word]) AddOneStr(token, standard, forceCustomColour);
    }
    if (i + 1 < tokens.size()) AddOtherString(u" ");
  }
}

void TWordChunkList::LoadFromConcDetails(const String& padding, const std::vector<TTagFileShow_rec>& tagShowArr,
                                         const TEnumArray<TLeftOrRight, std::vector<TConcordDetailedRec>, 2>& tokens,
                                         const TEnumArray<TLeftOrRight, std::vector<TCollocateColourRec>, 2>& colours,
                                         TLeftOrRight side, TCanvas* canvas, Cardinal locale,
                                         TBiDiMode baseDirection, const TWordAndTagDisplayOptionsSet& wordTagOptions,
                                         const TConcDisplayOptionsSet& concOptions, TTagWordPrecedence precedence,
                                         const TLeftOrRightIntegers& limits, TFontStyles fontStyles,
                                         bool blankOutNode, bool highlighted, bool monochrome, Int32 capWidth,
                                         Int64 budget) {
  (void)concOptions;
  Clear();
  // The chunks are made first and measured afterwards from the node
  // outwards, as far as the budget reaches.
  const bool limited = budget > 0 && capWidth > 0;
  fDeferMeasuring = limited;
  struct TResetDefer {
    bool& flag;
    ~TResetDefer() { flag = false; }
  } resetDefer{fDeferMeasuring};
  TheCanvas = canvas;
  MonoChrome = monochrome;
  BaseDirection = baseDirection;
  TagFileTagsShowArr = tagShowArr;
  fLocale = locale;
  has_odd_directions = false;
  wdchunk = TPaintWordChunk{};
  wdDirection = baseDirection;
  const std::vector<TConcordDetailedRec>& toks = tokens[side];
  const Int32 last = static_cast<Int32>(toks.size()) - 1;
  if (last < 0) return;
  Int32 from = 0, to = last;
  if (side == at_left) {
    from = std::max<Int32>(0, limits[at_left]);
  } else if (limits[at_right] >= 0) {
    to = std::min(limits[at_right], last);
  }
  const bool hideBreaks = wordTagOptions.Contains(hide_breaks);
  const bool colourTags = wordTagOptions.Contains(colour_tags);
  const TColourFontRec standard = StandardColourFontRec(highlighted, monochrome, fontStyles);
  const std::vector<TCollocateColourRec>& sideColours = colours[side];
  span = span_Centre;
  for (Int32 i = from; i <= to; ++i) {
    const TConcordDetailedRec& rec = toks[static_cast<size_t>(i)];
    // Spans count outwards from the node: on the left the nearest 50 tokens
    // take 49 down to 0; tokens further out (and those on the right) take
    // 50 + their index while that is a span.
    if (side == at_left && last - i <= 49)
      span = static_cast<TConcordance_span>(49 - (last - i));
    else if (50 + i < 101)
      span = static_cast<TConcordance_span>(50 + i);
    const TColloc_item_stat stat = rec.colloc_info.barr_rec.stat;
    if (!hideBreaks && IsStartBoundary(stat)) AddASymbol(BoundarySymbol(stat));
    if (!rec.colloc_info.CustomColour) wdchunk.colourAndFont = fdefaultCFR;
    wdchunk.custom_colour_wd = rec.colloc_info.CustomColour && !highlighted;
    const TConcStringTag& ct = rec.ConcStrTag;
    const bool wordEmpty =
        ct.wordsections.wd_str.empty() && ct.wordsections.pre_str_punct.empty() && ct.wordsections.post_str_punct.empty();
    wdDirection = DirectionOf(ct.wordsections.wd_str, locale, baseDirection);
    ComputeHiding(ct.tagnum_2B, wordEmpty, ct.tag.empty(), wordTagOptions);
    if (!hiding[twt_tag] && !ct.tag.empty())
      stringandcolourfontrec = ConsiderChangingFormOfTag(ct);
    else
      stringandcolourfontrec = TStringTagColourFontRec{ct.tag, standard};
    const bool showTag = !hiding[twt_tag] && !stringandcolourfontrec.tag.empty();
    const TCollocateColourRec colourRec = static_cast<size_t>(i) < sideColours.size()
                                              ? sideColours[static_cast<size_t>(i)]
                                              : TCollocateColourRec{fdefaultCFR, fdefaultCFR};
    auto addWordAndTag = [&] {
      if (precedence == tag_after_word) {
        if (!hiding[twt_word]) AddOneConcStrAndTag_Str(rec, colourRec);
        if (showTag) AddOneTag(stringandcolourfontrec.tag, stringandcolourfontrec.c_rec, colourTags);
      } else {
        if (showTag) AddOneTag(stringandcolourfontrec.tag, stringandcolourfontrec.c_rec, colourTags);
        if (!hiding[twt_word]) AddOneConcStrAndTag_Str(rec, colourRec);
      }
    };
    if (side == at_right && i == 0) {
      if (blankOutNode) {
        String s = padding;
        s.append(15, u'*');
        s += u' ';
        s += padding;
        AddOtherString(s);
      } else {
        AddOtherString(padding);
        addWordAndTag();
        AddOtherString(u" " + padding);
      }
      continue;
    }
    addWordAndTag();
    AddOtherString(u" ");
    if (!hideBreaks && IsEndBoundary(stat)) AddASymbol(BoundarySymbol(stat));
  }
  if (limited) {
    fDeferMeasuring = false;
    MeasureFromOneEnd(side == at_left, capWidth, budget);
  }
}

void TWordChunkList::LoadFromLargerString(const String& text, TCanvas* canvas, Cardinal locale,
                                          TBiDiMode baseDirection, bool useCellColour, bool highlightFlag,
                                          const TQMInt64List* highlights, Int32 capWidth, Int64 budget) {
  Clear();
  TheCanvas = canvas;
  fLocale = locale;
  const Int32 n = static_cast<Int32>(text.size());
  Int32 start = 0;
  while (start < n && text[static_cast<size_t>(start)] <= u' ') ++start;
  if (start >= n) return;
  BaseDirection = baseDirection;
  has_odd_directions = false;

  if (fTypes.size() < text.size()) fTypes.resize(text.size());
  if (!GetStringTypeQM(locale, CT_CTYPE2, text, n, fTypes))
    std::fill(fTypes.begin(), fTypes.begin() + n, C2_OTHERNEUTRAL);
  for (Int32 i = 0; i < n; ++i)
    if (text[static_cast<size_t>(i)] == 0x200C) fTypes[static_cast<size_t>(i)] = C2_OTHERNEUTRAL;

  // The embedding level of each character, neutrals resolved by the
  // bidirectional algorithm with the paragraph in the base direction. Digits
  // come out at an even level, so they count as left-to-right.
  fLevels.assign(static_cast<size_t>(n), baseDirection == bdRightToLeft ? 1 : 0);
  {
    UErrorCode err = U_ZERO_ERROR;
    UBiDi* bidi = ubidi_openSized(n, 0, &err);
    if (U_SUCCESS(err)) {
      ubidi_setPara(bidi, reinterpret_cast<const UChar*>(text.data()), n,
                    baseDirection == bdRightToLeft ? UBIDI_RTL : UBIDI_LTR, nullptr, &err);
      if (U_SUCCESS(err)) {
        const UBiDiLevel* levels = ubidi_getLevels(bidi, &err);
        if (U_SUCCESS(err) && levels != nullptr)
          for (Int32 i = 0; i < n; ++i) fLevels[static_cast<size_t>(i)] = levels[i];
      }
    }
    if (bidi != nullptr) ubidi_close(bidi);
  }
  auto rtlAt = [&](Int32 i) { return (fLevels[static_cast<size_t>(i)] & 1) != 0; };
  auto typeAt = [&](Int32 i) { return fTypes[static_cast<size_t>(i)]; };
  auto charAt = [&](Int32 i) { return text[static_cast<size_t>(i)]; };

  TColourFontRec colours = fdefaultCFR;
  if (useCellColour) colours.FontColour = Cell_specific_Colours[fb_foregound];
  Int32 hit = 0;
  // The capped widths of the chunks kept so far; past the budget a chunk is
  // only looked at for its direction.
  Int64 shown = 0;
  const bool limited = budget > 0 && capWidth > 0;
  // A chunk wider than a line is measured only as far as shows that it is:
  // a text with few breaks (Japanese, a long token) is not measured whole.
  // Its width is kept above twice capWidth, so that every comparison with a
  // line's room comes out as for its whole width.
  struct TResetUpTo {
    Int32& upTo;
    ~TResetUpTo() { upTo = -1; }
  } resetUpTo{fMeasureUpTo};
  if (limited) fMeasureUpTo = capWidth > std::numeric_limits<Int32>::max() / 2 - 2 ? -1 : 2 * capWidth + 2;
  auto emit = [&](Int32 from, Int32 to) {  // [from, to)
    if (to <= from) return;
    if (limited && shown > budget) {
      if ((rtlAt(from) ? bdRightToLeft : bdLeftToRight) != baseDirection) has_odd_directions = true;
      return;
    }
    wdchunk = TPaintWordChunk{};
    wdchunk.w.assign(text, static_cast<size_t>(from), static_cast<size_t>(to - from));
    wdchunk.string_pos = from + 1;
    wdchunk.colourAndFont = colours;
    const TBiDiMode dir = rtlAt(from) ? bdRightToLeft : bdLeftToRight;
    wdchunk.odd_direction = dir != baseDirection;
    if (wdchunk.odd_direction) has_odd_directions = true;
    if (highlights != nullptr) {
      const Int64 lo = from + 1, hi = to + 1;
      const Int32 hits = highlights->Count();
      while (hit < hits && HiInt64(highlights->GetAValue(hit)) <= lo) ++hit;
      if (hit < hits) {
        const Int64 h = highlights->GetAValue(hit);
        if (LoInt64(h) <= lo && hi <= HiInt64(h)) {
          wdchunk.colourAndFont.BrushColour =
              Global_Colour_highlights[highlightFlag ? hc_pickedword_brush : hc_highlightBrush];
          wdchunk.colourAndFont.FontColour =
              Global_Colour_highlights[highlightFlag ? hc_pickedwordText : hc_highlightText];
        }
      }
    }
    AppendChunk();
    shown += std::min<Int64>(std::max<Int32>(wdchunk.pixel_width, 0), capWidth);
  };

  auto isWhite = [&](Int32 i) { return typeAt(i) == C2_WHITESPACE && !NeverEndsChunk(charAt(i)); };
  // A "," or "." between digits belongs to the number.
  auto isSeparator = [&](Int32 i) {
    const Char c = charAt(i);
    if (!IsSeparatorClass(typeAt(i)) || NeverEndsChunk(c)) return false;
    return !((c == u',' || c == u'.') && i > 0 && i + 1 < n && IsDigit09(charAt(i - 1)) &&
             IsDigit09(charAt(i + 1)));
  };
  auto isMarkup = [&](Int32 i, Char m) { return charAt(i) == m && typeAt(i) == C2_OTHERNEUTRAL; };
  // Inside a markup tag ("<" to ">") only white space ends a chunk, so that
  // a tag keeps together whatever the directions around it.
  bool inTag = false;
  auto breakBefore = [&](Int32 i) {
    if (NeverEndsChunk(charAt(i))) return false;
    if (isWhite(i) || isWhite(i - 1)) return true;
    if (isMarkup(i - 1, u'>')) return true;
    if (inTag) return false;
    if (isMarkup(i, u'<')) return true;
    if (isSeparator(i)) return !isSeparator(i - 1);
    if (isSeparator(i - 1)) return true;
    return rtlAt(i) != rtlAt(i - 1);
  };
  Int32 chunkStart = start;
  bool restChecked = false;
  inTag = isMarkup(start, u'<');
  for (Int32 i = start + 1; i < n; ++i) {
    const bool brk = breakBefore(i);
    if (isMarkup(i, u'<'))
      inTag = true;
    else if (isMarkup(i - 1, u'>'))
      inTag = false;
    if (!brk) continue;
    emit(chunkStart, i);
    chunkStart = i;
    // Past the budget nothing more can change once a chunk of the other
    // direction is known, or when no character left is of the other one.
    if (limited && shown > budget) {
      if (has_odd_directions) return;
      if (!restChecked && (baseDirection == bdLeftToRight || baseDirection == bdRightToLeft)) {
        restChecked = true;
        const uint8_t baseOdd = baseDirection == bdRightToLeft ? 1 : 0;
        if (std::all_of(fLevels.begin() + i, fLevels.begin() + n,
                        [baseOdd](uint8_t level) { return (level & 1) == baseOdd; }))
          return;
      }
    }
  }
  emit(chunkStart, n);
}

TWordsWhichFit TWordChunkList::WhichWordsFit(Int32 first, Int32 width, bool skipBlank) const {
  TWordsWhichFit r;
  r.first_segment = first;
  r.last_segment = first - 1;
  r.pixels = 0;
  for (Int32 i = std::max<Int32>(first, 0); i < Count(); ++i) {
    const TPaintWordChunk& c = Chunk(i);
    if (c.odd_direction) r.reorder_check_needed = true;
    if (skipBlank && i == first && IsLoneBlank(c.w)) {
      r.last_segment = i;
      continue;
    }
    if (r.pixels + c.pixel_width > width) {
      r.last_segment = i - 1;
      if (skipBlank && r.last_segment > first && IsLoneBlank(Chunk(r.last_segment).w))
        r.pixels -= Chunk(r.last_segment).pixel_width;
      break;
    }
    r.pixels += c.pixel_width;
    r.last_segment = i;
  }
  return r;
}

void TWordChunkList::ReorderAnyLTRSinRTLSequences(TWordChunkList& list, Int32 first, Int32 last) {
  first = std::max<Int32>(first, 0);
  last = std::min(last, list.Count() - 1);
  Int32 i = first;
  while (i <= last) {
    if (!list.Chunk(i).odd_direction) {
      ++i;
      continue;
    }
    Int32 j = i;
    while (j + 1 <= last && list.Chunk(j + 1).odd_direction) ++j;
    // i..j is one run of the other direction.
    if (j - i + 1 > 2) {
      Int32 lo = i, hi = j;
      if (list.Chunk(hi).w <= String(u" ")) --hi;
      while (lo < hi) list.Exchange(lo++, hi--);
    }
    i = j + 1;
  }
}

}  // namespace sk
