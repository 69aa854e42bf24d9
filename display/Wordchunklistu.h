// Word chunks: the pieces a cell's text is painted in (a word, a tag, a
// blank, a boundary symbol, a run of one writing direction), each with its
// measured width, colours, font style, concordance span and direction.
//
// A list is filled from a cluster's tokens, from one half of a concordance
// line or from a longer text; every chunk is measured once, when it is added,
// so that fitting a line only adds stored widths. Runs of chunks whose
// direction differs from the line's are reordered before painting.
#pragma once

#include <memory>
#include <vector>

#include "core/Basic_types.h"
#include "core/Qm_specific_types.h"
#include "core/Useful_classes_base_numeric.h"
#include "platform/runtime/RtlTypes.h"
#include "platform/runtime/TextLayout.h"
#include "platform/visual/Graphics.h"

namespace sk {

// One chunk, owned by its list.
class TWordChunkHolder : public TObject {
 public:
  explicit TWordChunkHolder(const TPaintWordChunk& chunk) : data(chunk) {}
  TPaintWordChunk data;
};

// The chunks from first_segment to last_segment fit, pixels wide together.
struct TWordsWhichFit {
  Int32 first_segment{};
  Int32 last_segment{};
  Int32 pixels{};
  bool reorder_check_needed{};
};

class TWordChunkList : public TObject {
 public:
  TWordChunkList(const TColourFontRec& defaultCFR, const TForegroundBackGroundColours& customColours,
                 TWordChunkListFormat format, TGetPreferredTagFormat onGetPreferredTagForm);
  ~TWordChunkList() override;
  TWordChunkList(const TWordChunkList&) = delete;
  TWordChunkList& operator=(const TWordChunkList&) = delete;

  Int32 Count() const { return static_cast<Int32>(fItems.size()); }
  // Frees every holder; the list is empty afterwards.
  virtual void Clear();
  // The chunk at i, without a copy; i must be in the list.
  const TPaintWordChunk& Chunk(Int32 i) const { return fItems[static_cast<size_t>(i)]->data; }
  // A copy of chunk i; an all-zero chunk outside the list.
  TPaintWordChunk GetAWordChunk(Int32 i) const;
  // Exchanges the places of two chunks in the list.
  void Exchange(Int32 i, Int32 j);

  // The summed widths of the chunks at the indexes (those outside the list
  // count nothing).
  Int32 LineWidth(const std::vector<Int32>& indexes) const;
  Int32 TotalPixelWidth(const std::vector<Int32>& indexes) const { return LineWidth(indexes); }
  static std::vector<Int32> ReversedWholeLineNumbers(const std::vector<Int32>& indexes);
  // Moves x by the chunk's width (leftwards for right-to-left); the width.
  static Int32 ShiftUpLinePixels(Int32& x, const TPaintWordChunk& chunk, TBiDiMode direction);

  // The form (and colours) in which a token's tag is shown.
  TStringTagColourFontRec ConsiderChangingFormOfTag(const TStringTag& token) const;
  TStringTagColourFontRec ConsiderChangingFormOfTag(const TConcStringTag& token) const;

  // ---- adding one chunk (an empty text adds nothing); each is measured in
  // the font style it is painted in
  void AddOneStr(const TStringTag& token, const TColourFontRec& cfr, bool useCellColour);
  void AddOneTag(const String& tag, const TColourFontRec& cfr, bool colourTags);
  void AddOneConcStrAndTag_Str(const TConcordDetailedRec& detailedRec, const TCollocateColourRec& colourRec);
  // A blank, padding or symbol in the default colours; it keeps the
  // direction of the token being assembled.
  void AddOtherString(const String& text);
  // A boundary symbol in the default colours with the text-break colour.
  void AddASymbol(Char ch);

  // ---- loaders (each clears the list first)
  void LoadFromClusterTokens(const std::vector<TTagFileShow_rec>& tagShowArr, const std::vector<TStringTag>& tokens,
                             TCanvas* canvas, Cardinal locale, TBiDiMode baseDirection,
                             const TWordAndTagDisplayOptionsSet& wordTagOptions, TTagWordPrecedence precedence,
                             TFontStyles fontStyles, bool highlighted, bool monochrome, bool forceCustomColour,
                             bool deferMeasuring = false);
  void LoadFromConcDetails(const String& padding, const std::vector<TTagFileShow_rec>& tagShowArr,
                           const TEnumArray<TLeftOrRight, std::vector<TConcordDetailedRec>, 2>& tokens,
                           const TEnumArray<TLeftOrRight, std::vector<TCollocateColourRec>, 2>& colours,
                           TLeftOrRight side, TCanvas* canvas, Cardinal locale, TBiDiMode baseDirection,
                           const TWordAndTagDisplayOptionsSet& wordTagOptions,
                           const TConcDisplayOptionsSet& concOptions, TTagWordPrecedence precedence,
                           const TLeftOrRightIntegers& limits, TFontStyles fontStyles, bool blankOutNode,
                           bool highlighted, bool monochrome, Int32 capWidth = 0, Int64 budget = 0);
  // (LoadFromConcDetails: with a budget above 0 the chunks are measured from
  // the node outwards until their widths, each counted up to capWidth, pass
  // the budget; those further out are dropped.)
  // highlights: hits as 64-bit pairs, the 1-based start in the low half and
  // the position after the hit in the high half, in ascending order.
  // With a budget above 0 the chunks stop once their widths, each counted up
  // to capWidth, pass the budget: the chunks after them are neither measured
  // nor kept (has_odd_directions still tells of the whole text).
  void LoadFromLargerString(const String& text, TCanvas* canvas, Cardinal locale, TBiDiMode baseDirection,
                            bool useCellColour, bool highlightFlag, const TQMInt64List* highlights,
                            Int32 capWidth = 0, Int64 budget = 0);

  // Measures the chunks from the start (or the end) until their widths, each
  // counted up to capWidth, pass the budget (all of them without a budget)
  // and drops the others; the canvas keeps the style of the chunk added last.
  void MeasureFromOneEnd(bool fromEnd, Int32 capWidth, Int64 budget);
  // Measures whole the chunks first..last whose widths MeasureFromOneEnd
  // left as floors (above WidthsFloorsAbove), for a line placed by its width.
  void MeasureWhole(Int32 first, Int32 last);
  // At or above 0, a chunk wider than this may hold a floor of its width:
  // no more than its own and above twice the room it was measured for.
  Int32 WidthsFloorsAbove = -1;

  // ---- fitting and reordering
  TWordsWhichFit WhichWordsFit(Int32 first, Int32 width, bool skipBlank) const;
  // Reverses, between first and last, each run of more than two chunks of
  // the other direction (a trailing blank of the run stays in place).
  static void ReorderAnyLTRSinRTLSequences(TWordChunkList& list, Int32 first, Int32 last);

  // The direction of a text: its first strong character's, else dflt.
  TBiDiMode DirectionOf(const String& text, Cardinal locale, TBiDiMode dflt);

  TCanvas* TheCanvas = nullptr;  // not owned
  TForegroundBackGroundColours Cell_specific_Colours{};
  TStringTagColourFontRec stringandcolourfontrec;
  TConcordance_span span{};
  TBiDiMode wdDirection = bdLeftToRight;
  TWordOrTagBool hiding{};
  TColourFontRec fdefaultCFR{};
  TPaintWordChunk wdchunk;
  TWordChunkListFormat wcl_format{};
  std::vector<TTagFileShow_rec> TagFileTagsShowArr;
  TGetPreferredTagFormat fOnGetPreferredTagForm;
  TBiDiMode BaseDirection = bdLeftToRight;
  bool MonoChrome = false;
  bool has_odd_directions = false;

 private:
  // Measures wdchunk.w (in the canvas's font as it stands) and appends a copy.
  void AppendChunk();
  Int32 MeasuredWidth(const String& text);
  // Sets the direction of wdchunk from its text.
  void SetChunkDirection(const String& text);
  void ComputeHiding(Int32 tagnum, bool wordEmpty, bool tagEmpty, const TWordAndTagDisplayOptionsSet& options);
  void SetCanvasStyle(TFontStyles style);

  std::vector<std::unique_ptr<TWordChunkHolder>> fItems;
  Cardinal fLocale = 0;
  // While set, chunks are added unmeasured.
  bool fDeferMeasuring = false;
  // At or above 0, a chunk wider than this is given a width above it (and
  // no more than its own) without being measured whole.
  Int32 fMeasureUpTo = -1;
  // The width of a blank in the font it was measured in.
  struct TBlankWidth {
    const TCanvas* canvas = nullptr;
    String name;
    Int32 height = 0;
    TFontStyles style = 0;
    Int32 width = -1;
  } fBlank;
  // Scratch arrays reused from text to text.
  std::vector<Word> fTypes;
  std::vector<uint8_t> fLevels;
};

// A hit of a search word in a text: its 1-based start in the low half, the
// position after its end in the high half.
inline Int32 LoInt64(Int64 v) { return static_cast<Int32>(static_cast<uint64_t>(v) & 0xFFFFFFFFu); }
inline Int32 HiInt64(Int64 v) { return static_cast<Int32>(static_cast<uint64_t>(v) >> 32); }
inline Int64 MakeHitInt64(Int32 lo, Int32 hi) {
  return static_cast<Int64>((static_cast<uint64_t>(static_cast<uint32_t>(hi)) << 32) | static_cast<uint32_t>(lo));
}

// How many chunks have been measured in this process (for tests).
Int64 WordChunksMeasured();

// The symbol a boundary kind shows (blank for cis_word).
Char BoundarySymbol(TColloc_item_stat stat);

}  // namespace sk
