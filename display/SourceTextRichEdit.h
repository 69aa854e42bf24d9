// A read-only rich edit that shows a whole source text one segment of lines
// at a time, hides or greys its markup, colours every hit of a list of search
// words (with an optional context word), and moves from hit to hit by
// keyboard or on request. Positions are the edit's (0-based, one character per
// line break) unless a name says "file": a file position counts CR LF as two.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "core/Basic_types.h"
#include "core/Useful_classes_base_simplesearch.h"
#include "core/Useful_classes_base_stringlists.h"
#include "display/Rtf_utils.h"
#include "platform/runtime/Stopwatch.h"
#include "platform/visual/RichEdit.h"

namespace sk {

// A simple search list that loads itself from lines with numbers.
class TTextSimpleSearchlist : public TSimpleSearchlist {
 public:
  explicit TTextSimpleSearchlist(const TSimpleSearchSettings& settings) : TSimpleSearchlist(settings) {}
  // Clear; each non-empty line, trimmed, becomes one entry whose hit count is
  // the line's number. Yields per line.
  void LoadFromAStringListWithLongint(TStringlistWithALongint* list);
};

struct TSourceSegmentInfo {
  std::vector<Int32> para_starts;  // 1-based positions of the CRs of the segment's CR LF line ends
  Int32 f_cp_unc_start{};          // the segment's first file position
  Int32 segm_Len{};                // the file's characters, each line end as the file holds it
  Int32 first_line{};              // the 0-based file line of the segment's first line
};

class TSourceTextRichEdit : public TRichEdit {
 public:
  using TLineShowMessage = std::function<void(TObject* sender, Int32 mark, Int32 hits, Int32 line, Int32 lines)>;
  // Digit 1 to 9; setting: true to set the bookmark, false to go to it.
  using TBookmarkingEvent = std::function<void(TObject* sender, Int32 digit, bool setting)>;
  using TTopLineChange = std::function<void(TObject* sender, Int32 topLine)>;
  using TPositionCallback = std::function<void(Int32 position)>;

  TSourceTextRichEdit();
  ~TSourceTextRichEdit() override;

  // ---- loading and showing ----
  // False (no exception) for a missing or unreadable file or one without
  // lines.
  bool LoadedASourceText(const String& fileName, bool separateHeader);
  void LoadAChunkOfText(Int32 segment);
  void LoadSegmentForFileCharPos(Int32 filePos);
  Int32 CorrectSegmentForFileCharPos(Int32 filePos) const;
  void Reload();
  void ShowTheText(bool trim);
  void TrimTheText(bool trim);
  void SetWithOrWithoutMarkup(bool without);
  void ClearFileChunks();
  TSourceSegmentInfo CurrentSegInfo() const;
  // The 1-based file line of the current segment's first line.
  Int32 CurrentSegLine() const { return CurrentSegInfo().first_line + 1; }
  Int32 FileCharposToCurrentSegCharpos(Int32 filePos) const;
  bool FileCharposInCurrentSeg(Int32 filePos) const;
  // The edit position of a file position of the current segment (CRs before
  // it taken off).
  Int32 FileCharposToSegCharposWC(Int32 filePos) const;
  Int32 CharPosWindowsConverted(Int32 segPos) const;
  // The segment's lines (nullptr outside the segments).
  const TUTF8Stringlist* Segment(Int32 i) const;

  // ---- colours and markup ----
  void SetColours(TNormalOrSpecial which, TColor textColour, TColor hotColour, TColor background,
                  TFontStyles styles);
  void SetColoursForSourceText();
  void SetNegativeColours(TColor text, TColor background, TFontStyles styles);
  void RestoreDefaultColours();
  void SetMarkupEtc(Int32 span, Char on, Char off);
  void SetMarkupEtc(Int32 span, Char on, Char off, bool without);
  // Greys each markup section (at most fmarkup_span long, at most 201 per
  // call) from start on; stops on global_panic_state.
  void GreyOutAnyMarkup(const TPositionCallback& onPosition, const TLinePercentProgress& onPercent, Int32 start);

  // ---- search words and hits ----
  void SetSWs(const TSimpleSearchlist& list, const std::vector<Int32>& filter);
  // The first hit's position, -1 without hits. With hits, each selected
  // word's hit count is stored in the search words, and when several words
  // are selected (an empty selection selects them all) the search words are
  // put in order of hits, most first (equal counts keep their order): from
  // then on every word index (of the hits, the filter, the most frequent
  // word, and in the second form the caller's selection) is the index in
  // that order.
  Int32 FoundSWsAndMarkedSWPositions(const std::vector<Int32>& wordIndexes, const TLinePercentProgress& progress);
  Int32 FoundSWsAndMarkedSWPositions(std::vector<Int32>& wordIndexes, const TLinePercentProgress& progress);
  std::vector<Int32> SearchWordPositionsAsArray(const std::vector<Int32>& wordIndexes);
  Int32 CountAndFirstPosOfSWPositions(Int32 word, Int32& firstPos) const;
  Int32 TotalPositionsFound() const { return fSW_Positions->Count(); }
  TRichEditPosition_rec GetAHighlightPosition(Int32 i) const { return fSW_Positions->GetPosition(i); }
  // The index of the hit at pos (-1 none); it becomes SelectedHighlightMark.
  Int32 FindAndSetSelectedHighlightMark(Int32 pos);
  void GotoSpecificSW(Int32 i);
  TRichEditPosition_rec NextUpOrDown(const std::vector<Int32>& wordIndexes, Int32 direction);
  void ManualHighlightASourceTextWord(Int32 filePos, Int32 length, TColor textColour, TColor background);
  void ManualHighlightASourceTextWord(Int32 filePos, Int32 length, bool hot);
  void SavePosition(const TRichEditPosition_rec& rec) { last_auto_SW_highlight_rec = rec; }
  void ScrollNowToPosition(Int32 pos);
  TTextSimpleSearchlist& SearchWords() { return *fSearchWords; }

  // Top-line checking after keys, wheel and scrolling.
  void CheckTopScreenLine();

  // The lines as coloured lines (in reverse order when asked), word wrap on,
  // saved as RTF; false when the file cannot be written.
  bool SaveAsRTF(const String& fileName, const std::vector<String>& lines, bool reversed);

  TStopwatch sw{};
  Int64 LoadTime = 0;
  std::vector<TSourceSegmentInfo> source_info;
  TLinePercentProgress fProgress;
  Char fmarkup_on = u'<';
  Char fmarkup_off = u'>';
  Int32 fmarkup_span = 500;
  Int32 ftop_screen_line = 0;
  bool fKeepTrimming = false;
  bool without_markup = false;
  bool fTrimmingLines = false;
  bool windows_format = true;
  TRichEditPosition_rec last_auto_SW_highlight_rec{-1, -1, -1, -1, -1};
  Int32 last_manual_SW_highlight_pos = -1;
  Int32 last_manual_SW_highlight_len = -1;
  String fSourceTextFilename;
  std::vector<std::unique_ptr<TUTF8Stringlist>> file_chunks;
  TColor fMostFreqColour = clRed;
  TColor fCorTextoSW_Cold = clRed;
  TColor fCorTextoSW_Hot = clBlue;
  TColor fCorTextoFundoSW = clDefault;
  TColor fCorNegativeTextoSW = clGray;
  TColor fCorNegativeTextoFundoSW = clDefault;
  TFontStyles fEstiloTextoSW = 1u << fsBold;
  TFontStyles fEstiloNegativeTextoSW = 1u << fsBold;
  bool fBookmark_Key_pressed = false;
  TLineShowMessage fOnLineShowMessage;
  TBookmarkingEvent fOnBookmarking;
  TTopLineChange fOnTopLineChange;
  String initial_SW_section_of_text;
  bool segment_changed = false;
  String header_end;
  Int32 total_source_text_lines = 0;
  Int32 lines_per_text_segment = 5000;
  Int32 CurrentSegm = 0;
  Int32 TextSegments = 0;
  Int32 SourceTextLen = 0;
  Int32 SWToHighlight = -1;
  Int32 current_segpos_CWF = 0;
  Int32 HighestFreqSW = -1;
  Int32 SelectedHighlightMark = -1;
  std::vector<Int32> fFilter;

 private:
  void KeyDownHandler(Word& key, Word shift);
  void ColourHit(const TRichEditPosition_rec& r, TColor colour);
  // Puts the search words in order of their hits, most first, and moves the
  // word indexes of the hits, the filter, the selection and the counts with
  // their words.
  void SortSWsOnHits(std::vector<Int32>& wordIndexes, std::vector<Int32>& counts);
  String SegmentText(Int32 segment) const;

  std::unique_ptr<TTextSimpleSearchlist> fSearchWords;
  std::unique_ptr<TRicheditPositions> fSW_Positions;
};

}  // namespace sk
