#include "display/SourceTextRichEdit.h"

#include <algorithm>

#include "core/Basic_processes.h"
#include "core/Global_vars.h"
#include "core/My_string_functions_markup.h"
#include "core/My_string_functions_positions.h"
#include "core/My_string_functions_tabfields.h"
#include "core/Unicode_string_conversion.h"
#include "display/Aligner_types.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Streams.h"
#include "platform/runtime/Strings.h"
#include "platform/visual/Controls.h"

namespace sk {

namespace {

constexpr Char kHeaderEnd = 0xE00A;
constexpr Int32 kMostGreyedSections = 201;
// Characters a segment holds at most (it holds one line however long): the
// edit colours and lays out one segment at a time without a yield, which for
// this many characters takes a small part of a second.
constexpr Int64 kMostSegmentChars = 400'000;

// A segment's CR positions of its CR LF line ends (1-based; the edit shows
// each line end as one character, so these are the characters a file
// position counts that the edit does not) and its length in the file's own
// characters: each line followed by its own line end of ends[i] characters
// (2 for CR LF, 1 for LF or CR, 0 for a last line without one).
TSourceSegmentInfo SegmentInfoOf(const TStrings& lines, const std::vector<Byte>& ends) {
  TSourceSegmentInfo info;
  Int64 pos = 0;
  for (Int32 i = 0; i < lines.Count(); ++i) {
    pos += static_cast<Int64>(lines.Get(i).size());
    const Byte end = static_cast<size_t>(i) < ends.size() ? ends[static_cast<size_t>(i)] : Byte(2);
    if (end == 2) info.para_starts.push_back(static_cast<Int32>(std::min<Int64>(pos + 1, 2147483647)));
    pos += end;
  }
  info.segm_Len = static_cast<Int32>(std::min<Int64>(pos, 2147483647));
  return info;
}

bool Selected(const std::vector<Int32>& indexes, Int32 word) {
  return indexes.empty() || std::find(indexes.begin(), indexes.end(), word) != indexes.end();
}

}  // namespace

// ---- TTextSimpleSearchlist ----

void TTextSimpleSearchlist::LoadFromAStringListWithLongint(TStringlistWithALongint* list) {
  Clear();
  if (list == nullptr) return;
  for (Int32 i = 0; i < list->Count(); ++i) {
    const String s = Trim(list->Get(i));
    if (!s.empty()) {
      const Int32 before = Count();
      LoadFromAString(s);
      if (Count() > before) SetHits(Count() - 1, list->GetOne(i));
    }
    MyYieldProcess();
  }
}

// ---- construction ----

TSourceTextRichEdit::TSourceTextRichEdit()
    : fSearchWords(std::make_unique<TTextSimpleSearchlist>(DefaultSimpleSearchSettings())),
      fSW_Positions(std::make_unique<TRicheditPositions>()) {
  fCorTextoSW_Cold = clHighlight;
  fCorTextoSW_Hot = clHotLight;
  fCorNegativeTextoSW = clGrayText;
  OnKeyDown = [this](TObject*, Word& key, Word shift) { KeyDownHandler(key, shift); };
  OnMouseWheel = [this](TObject*) { CheckTopScreenLine(); };
  OnVScroll = [this](TObject*) { CheckTopScreenLine(); };
}

TSourceTextRichEdit::~TSourceTextRichEdit() = default;

// ---- loading and showing ----

void TSourceTextRichEdit::ClearFileChunks() {
  file_chunks.clear();
  source_info.clear();
  TextSegments = 0;
}

String TSourceTextRichEdit::SegmentText(Int32 segment) const {
  const TUTF8Stringlist* list = Segment(segment);
  if (list == nullptr) return String();
  String t;
  for (Int32 i = 0; i < list->Count(); ++i) {
    t += list->Get(i);
    t += u"\r\n";
  }
  return t;
}

const TUTF8Stringlist* TSourceTextRichEdit::Segment(Int32 i) const {
  if (i < 0 || i >= static_cast<Int32>(file_chunks.size())) return nullptr;
  return file_chunks[static_cast<size_t>(i)].get();
}

bool TSourceTextRichEdit::LoadedASourceText(const String& fileName, bool separateHeader) {
  sw = TStopwatch::StartNew();
  Clear();
  CurrentSegm = 0;
  ClearFileChunks();
  total_source_text_lines = 0;
  SourceTextLen = 0;
  initial_SW_section_of_text.clear();
  fSW_Positions->Clear();
  SelectedHighlightMark = -1;
  if (!FileExists(fileName)) return false;
  String text;
  try {
    TFileStream stream(fileName, fmOpenRead | fmShareDenyNone);
    const Int64 size = stream.Size();
    if (size < 0 || size > 0x7FFFFFFF) return false;
    TBytes bytes(static_cast<size_t>(size));
    if (size > 0 && stream.Read(bytes.data(), size) != size) return false;
    TEncoding* found = nullptr;
    Int32 markLength = 0;
    text = EncodedStringFromBytes(bytes, found, markLength);
  } catch (...) {
    return false;
  }
  // Lines end at CR LF, LF or CR; a break at the very end starts no line.
  // Each line keeps the length of its own line end, so that file positions
  // count what the file holds.
  std::vector<std::pair<size_t, size_t>> lines;
  std::vector<Byte> ends;
  for (size_t i = 0, from = 0; i <= text.size(); ++i) {
    if (i == text.size()) {
      if (i > from) {
        lines.emplace_back(from, i - from);
        ends.push_back(0);
      }
      break;
    }
    const Char c = text[i];
    if (c != u'\r' && c != u'\n') continue;
    lines.emplace_back(from, i - from);
    if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
      ++i;
      ends.push_back(2);
    } else {
      ends.push_back(1);
    }
    from = i + 1;
  }
  const Int32 n = static_cast<Int32>(std::min<size_t>(lines.size(), 0x7FFFFFFF));
  total_source_text_lines = n;
  // A new segment begins every lines_per_text_segment lines, and sooner when
  // the lines are long.
  const Int32 per = std::max<Int32>(1, lines_per_text_segment);
  Int64 start = 0;
  for (Int32 first = 0; first < n || (first == 0 && n == 0);) {
    auto seg = std::make_unique<TUTF8Stringlist>();
    std::vector<Byte> segEnds;
    Int64 chars = 0;
    Int32 i = first;
    for (; i < n && i - first < per; ++i) {
      const auto& l = lines[static_cast<size_t>(i)];
      if (i > first && chars + static_cast<Int64>(l.second) > kMostSegmentChars) break;
      seg->Add(text.substr(l.first, l.second));
      segEnds.push_back(ends[static_cast<size_t>(i)]);
      chars += static_cast<Int64>(l.second) + 1;
    }
    TSourceSegmentInfo info = SegmentInfoOf(*seg, segEnds);
    info.f_cp_unc_start = static_cast<Int32>(std::min<Int64>(start, 2147483647));
    info.first_line = first;
    start += info.segm_Len;
    source_info.push_back(std::move(info));
    file_chunks.push_back(std::move(seg));
    if (i == first) break;
    first = i;
  }
  TextSegments = static_cast<Int32>(file_chunks.size());
  SourceTextLen = static_cast<Int32>(std::min<Int64>(start, 2147483647));
  LoadTime = sw.ElapsedMilliseconds();
  if (separateHeader && !file_chunks.empty()) {
    const String t = SegmentText(0);
    const size_t p = t.find(kHeaderEnd);
    if (p != String::npos) {
      initial_SW_section_of_text = Trim(t.substr(0, p + 1));
      file_chunks[0]->SetText(Trim(t.substr(p + 1)));
      // The header's lines are gone; the rest keeps the first line's kind of
      // line end.
      const std::vector<Byte> sameEnds(static_cast<size_t>(file_chunks[0]->Count()), ends.empty() ? Byte(2) : ends[0]);
      const TSourceSegmentInfo info = SegmentInfoOf(*file_chunks[0], sameEnds);
      source_info[0].para_starts = info.para_starts;
      source_info[0].segm_Len = info.segm_Len;
    }
  }
  if (file_chunks.empty() || file_chunks[0]->Count() == 0) return false;
  fSourceTextFilename = fileName;
  segment_changed = true;
  ShowTheText(fKeepTrimming);
  return true;
}

void TSourceTextRichEdit::ShowTheText(bool trim) {
  if (Segment(CurrentSegm) == nullptr) return;
  const TUTF8Stringlist* list = Segment(CurrentSegm);
  String t;
  for (Int32 i = 0; i < list->Count(); ++i) {
    if (i > 0) t += u'\n';
    t += list->Get(i);
  }
  if (without_markup) t = Trim(WithoutMarkup(t, fmarkup_on, fmarkup_off, fmarkup_span));
  if (trim) {
    TStringList lines;
    lines.SetText(t);
    bool goOn = true;
    TrimAStringlist(&lines, fProgress, goOn);
    t = lines.Text();
    if (t.size() >= 2 && t.compare(t.size() - 2, 2, u"\r\n") == 0) t.resize(t.size() - 2);
  }
  fTrimmingLines = trim;
  BeginUpdate();
  SetText(t);
  EndUpdate();
}

void TSourceTextRichEdit::TrimTheText(bool trim) {
  fKeepTrimming = trim;
  ShowTheText(trim);
}

void TSourceTextRichEdit::SetWithOrWithoutMarkup(bool without) {
  without_markup = without;
  ShowTheText(fKeepTrimming);
}

void TSourceTextRichEdit::Reload() {
  Clear();
  ShowTheText(fKeepTrimming);
}

void TSourceTextRichEdit::LoadAChunkOfText(Int32 segment) {
  if (segment < 0 || segment >= TextSegments) return;
  segment_changed = segment != CurrentSegm;
  CurrentSegm = segment;
  ShowTheText(fKeepTrimming);
}

TSourceSegmentInfo TSourceTextRichEdit::CurrentSegInfo() const {
  if (CurrentSegm < 0 || CurrentSegm >= static_cast<Int32>(source_info.size())) return TSourceSegmentInfo{};
  return source_info[static_cast<size_t>(CurrentSegm)];
}

Int32 TSourceTextRichEdit::FileCharposToCurrentSegCharpos(Int32 filePos) const {
  return filePos - CurrentSegInfo().f_cp_unc_start;
}

bool TSourceTextRichEdit::FileCharposInCurrentSeg(Int32 filePos) const {
  const TSourceSegmentInfo info = CurrentSegInfo();
  return filePos >= info.f_cp_unc_start && filePos <= info.f_cp_unc_start + info.segm_Len;
}

Int32 TSourceTextRichEdit::CorrectSegmentForFileCharPos(Int32 filePos) const {
  // A segment's end is the next one's start: that position belongs to the
  // next segment (only the last one holds its own end).
  for (size_t k = 0; k < source_info.size(); ++k) {
    const TSourceSegmentInfo& i = source_info[k];
    const bool last = k + 1 == source_info.size();
    const Int64 end = static_cast<Int64>(i.f_cp_unc_start) + i.segm_Len;
    if (filePos >= i.f_cp_unc_start && (filePos < end || (last && filePos == end))) return static_cast<Int32>(k);
  }
  return 0;
}

void TSourceTextRichEdit::LoadSegmentForFileCharPos(Int32 filePos) {
  const Int32 k = CorrectSegmentForFileCharPos(filePos);
  if (k != CurrentSegm || LineCount() <= 1) LoadAChunkOfText(k);
}

Int32 TSourceTextRichEdit::CharPosWindowsConverted(Int32 segPos) const {
  const TSourceSegmentInfo info = CurrentSegInfo();
  return RichedCharPosWindowsConverted(segPos, !info.para_starts.empty(), info.para_starts);
}

Int32 TSourceTextRichEdit::FileCharposToSegCharposWC(Int32 filePos) const {
  return CharPosWindowsConverted(FileCharposToCurrentSegCharpos(filePos));
}

// ---- colours and markup ----

void TSourceTextRichEdit::SetColours(TNormalOrSpecial which, TColor textColour, TColor hotColour,
                                     TColor background, TFontStyles styles) {
  if (which == t_normal) {
    SetFontColor(textColour);
    if (background != clDefault && background != clNone) SetColor(background);
    SetFont(String(), 10);
    (void)styles;
    return;
  }
  fCorTextoSW_Cold = textColour;
  fCorTextoSW_Hot = hotColour;
  fCorTextoFundoSW = background;
  fEstiloTextoSW = styles;
}

void TSourceTextRichEdit::SetColoursForSourceText() {
  SetFontColor(clWindowText);
  SetColor(clWindow);
}

void TSourceTextRichEdit::SetNegativeColours(TColor text, TColor background, TFontStyles styles) {
  fCorNegativeTextoSW = text;
  fCorNegativeTextoFundoSW = background;
  fEstiloNegativeTextoSW = styles;
}

void TSourceTextRichEdit::RestoreDefaultColours() {
  BeginUpdate();
  SetSel(0, GetTextLen());
  SetSelFormat(TRichCharFormat{clNone, FontColor(), 0});
  SetSel(0, 0);
  EndUpdate();
}

void TSourceTextRichEdit::SetMarkupEtc(Int32 span, Char on, Char off) { SetMarkupEtc(span, on, off, false); }

void TSourceTextRichEdit::SetMarkupEtc(Int32 span, Char on, Char off, bool without) {
  fmarkup_span = span;
  fmarkup_on = on;
  fmarkup_off = off;
  without_markup = without;
}

void TSourceTextRichEdit::GreyOutAnyMarkup(const TPositionCallback& onPosition,
                                           const TLinePercentProgress& onPercent, Int32 start) {
  BeginUpdate();
  global_panic_state = panic_no_panic;
  const String text = PlainText();
  const size_t len = text.size();
  size_t i = static_cast<size_t>(std::max<Int32>(1, start) - 1);
  Int32 greyed = 0;
  while (i < len && global_panic_state == panic_no_panic) {
    const size_t p = text.find(fmarkup_on, i);
    if (p == String::npos) break;
    if (onPercent) onPercent(static_cast<Int32>(static_cast<Int64>(p) * 100 / static_cast<Int64>(len)));
    if (onPosition) onPosition(static_cast<Int32>(p));
    MyYieldProcess();
    const size_t q = text.find(fmarkup_off, p + 1);
    if (q != String::npos && static_cast<Int64>(q - p) + 1 <= fmarkup_span) {
      RichEdit_ColourASection(this, clGrayText, clDefault, 0, static_cast<Int32>(p), static_cast<Int32>(q - p + 1));
      if (++greyed >= kMostGreyedSections) break;
      i = q + 1;
    } else {
      i = p + 1;
    }
  }
  SetSel(0, 0);
  EndUpdate();
  if (HasWidget()) ScrollToPosition(current_segpos_CWF);
}

// ---- search words and hits ----

void TSourceTextRichEdit::SetSWs(const TSimpleSearchlist& list, const std::vector<Int32>& filter) {
  fSearchWords->Clear();
  fSearchWords->AddAll(list);
  fFilter = filter;
}

Int32 TSourceTextRichEdit::FoundSWsAndMarkedSWPositions(const std::vector<Int32>& wordIndexes,
                                                        const TLinePercentProgress& progress) {
  std::vector<Int32> selected = wordIndexes;
  return FoundSWsAndMarkedSWPositions(selected, progress);
}

void TSourceTextRichEdit::SortSWsOnHits(std::vector<Int32>& wordIndexes, std::vector<Int32>& counts) {
  const Int32 n = fSearchWords->Count();
  // order[new] = old: most hits first, words with equal hits in their order.
  std::vector<Int32> order(static_cast<size_t>(n)), hits(static_cast<size_t>(n));
  for (Int32 w = 0; w < n; ++w) {
    order[static_cast<size_t>(w)] = w;
    hits[static_cast<size_t>(w)] = fSearchWords->GetASearchRec(w).n_found;
  }
  std::stable_sort(order.begin(), order.end(),
                   [&hits](Int32 a, Int32 b) { return hits[static_cast<size_t>(a)] > hits[static_cast<size_t>(b)]; });
  std::vector<Int32> newIndex(static_cast<size_t>(n));
  bool moves = false;
  for (Int32 j = 0; j < n; ++j) {
    newIndex[static_cast<size_t>(order[static_cast<size_t>(j)])] = j;
    moves = moves || order[static_cast<size_t>(j)] != j;
  }
  if (!moves) return;
  // The entries moved into that order by exchanges, tracking where each is.
  std::vector<Int32> at(static_cast<size_t>(n)), held(static_cast<size_t>(n));
  for (Int32 w = 0; w < n; ++w) at[static_cast<size_t>(w)] = held[static_cast<size_t>(w)] = w;
  for (Int32 j = 0; j < n; ++j) {
    const Int32 w = order[static_cast<size_t>(j)];
    const Int32 from = at[static_cast<size_t>(w)];
    if (from == j) continue;
    fSearchWords->Exchange(j, from);
    const Int32 displaced = held[static_cast<size_t>(j)];
    held[static_cast<size_t>(from)] = displaced;
    at[static_cast<size_t>(displaced)] = from;
    held[static_cast<size_t>(j)] = w;
    at[static_cast<size_t>(w)] = j;
  }
  // Every word index kept anywhere follows its word.
  auto remap = [&newIndex, n](Int32 w) { return w >= 0 && w < n ? newIndex[static_cast<size_t>(w)] : w; };
  for (Int32 i = 0; i < fSW_Positions->Count(); ++i) {
    T5_longint_rec v = fSW_Positions->GetAValue(i);
    v.long2 = remap(v.long2);
    fSW_Positions->SetAValue(i, v);
  }
  fSW_Positions->SortOn(res_charpos, res_SWnumber);
  for (Int32& w : wordIndexes) w = remap(w);
  for (Int32& w : fFilter) w = remap(w);
  std::vector<Int32> moved(counts.size(), 0);
  for (Int32 w = 0; w < n && static_cast<size_t>(w) < counts.size(); ++w)
    moved[static_cast<size_t>(newIndex[static_cast<size_t>(w)])] = counts[static_cast<size_t>(w)];
  counts = std::move(moved);
}

Int32 TSourceTextRichEdit::FoundSWsAndMarkedSWPositions(std::vector<Int32>& wordIndexes,
                                                        const TLinePercentProgress& progress) {
  fSW_Positions = RichEdit_FindAllTheseWordsHits(this, String(), wordIndexes, fSearchWords.get(), progress);
  SelectedHighlightMark = -1;
  if (fSW_Positions->Count() == 0) return -1;
  fSW_Positions->SortOn(res_charpos, res_SWnumber);
  // Hit counts per word, and the word with most.
  std::vector<Int32> counts(static_cast<size_t>(fSearchWords->Count()), 0);
  for (Int32 i = 0; i < fSW_Positions->Count(); ++i) {
    const Int32 w = fSW_Positions->GetPosition(i).SW_word_number;
    if (w >= 0 && w < static_cast<Int32>(counts.size())) ++counts[static_cast<size_t>(w)];
  }
  Int32 selectedWords = 0;
  for (Int32 w = 0; w < fSearchWords->Count(); ++w) {
    if (!Selected(wordIndexes, w)) continue;
    fSearchWords->SetHits(w, counts[static_cast<size_t>(w)]);
    ++selectedWords;
  }
  // With several words the list goes in order of hits, most first.
  if (selectedWords > 1) SortSWsOnHits(wordIndexes, counts);
  HighestFreqSW = -1;
  for (Int32 w = 0; w < fSearchWords->Count(); ++w) {
    if (!Selected(wordIndexes, w)) continue;
    if (HighestFreqSW < 0 || counts[static_cast<size_t>(w)] > counts[static_cast<size_t>(HighestFreqSW)])
      HighestFreqSW = w;
  }
  SWToHighlight = HighestFreqSW;
  // Words to avoid in their own colours.
  std::vector<Int32> wanted, avoided;
  for (Int32 w = 0; w < fSearchWords->Count(); ++w) {
    if (!Selected(wordIndexes, w)) continue;
    (fSearchWords->GetASearchRec(w).mainwd.flags.Contains(ms_Avoid) ? avoided : wanted).push_back(w);
  }
  TRichHitColours c;
  c.colour = fCorTextoSW_Cold;
  c.background = fCorTextoFundoSW;
  c.styles = fEstiloTextoSW;
  c.context_colour = fCorTextoSW_Cold;
  c.context_background = fCorTextoFundoSW;
  c.context_styles = 0;
  BeginUpdate();
  Int32 first = -1;
  if (!wanted.empty()) first = RichEdit_ColourAllHits(this, c, fSW_Positions.get(), wanted);
  if (!avoided.empty()) {
    TRichHitColours n = c;
    n.colour = n.context_colour = fCorNegativeTextoSW;
    n.background = n.context_background = fCorNegativeTextoFundoSW;
    n.styles = fEstiloNegativeTextoSW;
    const Int32 f = RichEdit_ColourAllHits(this, n, fSW_Positions.get(), avoided);
    if (first < 0 || (f >= 0 && f < first)) first = f;
  }
  GreyOutAnyMarkup(nullptr, nullptr, 1);
  EndUpdate();
  return first >= 0 ? first : fSW_Positions->GetPosition(0).riched_char_pos;
}

std::vector<Int32> TSourceTextRichEdit::SearchWordPositionsAsArray(const std::vector<Int32>& wordIndexes) {
  fSW_Positions->SortOn(res_charpos, res_charpos);
  std::vector<Int32> r;
  for (Int32 i = 0; i < fSW_Positions->Count(); ++i) {
    const TRichEditPosition_rec p = fSW_Positions->GetPosition(i);
    if (Selected(wordIndexes, p.SW_word_number)) r.push_back(p.riched_char_pos);
    MyYieldProcess();
  }
  return r;
}

Int32 TSourceTextRichEdit::CountAndFirstPosOfSWPositions(Int32 word, Int32& firstPos) const {
  Int32 n = 0;
  firstPos = -1;
  for (Int32 i = 0; i < fSW_Positions->Count(); ++i) {
    const TRichEditPosition_rec p = fSW_Positions->GetPosition(i);
    if (p.SW_word_number != word) continue;
    if (n++ == 0) firstPos = p.riched_char_pos;
  }
  return n;
}

Int32 TSourceTextRichEdit::FindAndSetSelectedHighlightMark(Int32 pos) {
  for (Int32 i = 0; i < fSW_Positions->Count(); ++i) {
    const TRichEditPosition_rec p = fSW_Positions->GetPosition(i);
    if (pos >= p.riched_char_pos && pos < p.riched_char_pos + std::max(1, p.word1_len)) {
      SelectedHighlightMark = i;
      return i;
    }
  }
  return -1;
}

void TSourceTextRichEdit::ColourHit(const TRichEditPosition_rec& r, TColor colour) {
  if (r.riched_char_pos < 0) return;
  RichEdit_ColourASection(this, colour, fCorTextoFundoSW, fEstiloTextoSW, r.riched_char_pos, r.word1_len);
  SetSel(r.riched_char_pos, 0);
}

void TSourceTextRichEdit::GotoSpecificSW(Int32 i) {
  if (fSearchWords->Count() == 0 || i < 0 || i >= fSW_Positions->Count()) return;
  if (SelectedHighlightMark >= 0 && SelectedHighlightMark < fSW_Positions->Count())
    ColourHit(fSW_Positions->GetPosition(SelectedHighlightMark), fCorTextoSW_Cold);
  SelectedHighlightMark = i;
  const TRichEditPosition_rec r = fSW_Positions->GetPosition(i);
  ScrollNowToPosition(r.riched_char_pos);
  ColourHit(r, fCorTextoSW_Hot);
  SavePosition(r);
}

TRichEditPosition_rec TSourceTextRichEdit::NextUpOrDown(const std::vector<Int32>& wordIndexes, Int32 direction) {
  TRichEditPosition_rec none{-1, -1, -1, -1, -1};
  const Int32 n = fSW_Positions->Count();
  bool any = false;
  for (Int32 i = 0; i < n && !any; ++i) any = Selected(wordIndexes, fSW_Positions->GetPosition(i).SW_word_number);
  if (!any) return none;
  if (SelectedHighlightMark >= 0 && SelectedHighlightMark < n)
    ColourHit(fSW_Positions->GetPosition(SelectedHighlightMark), fCorTextoSW_Cold);
  const Int32 step = direction < 0 ? -1 : 1;
  Int32 m = SelectedHighlightMark;
  if (m < -1 || m >= n) m = -1;
  for (Int32 tries = 0; tries < n; ++tries) {
    m += step;
    if (m < 0) m = n - 1;
    if (m >= n) m = 0;
    if (Selected(wordIndexes, fSW_Positions->GetPosition(m).SW_word_number)) break;
  }
  SelectedHighlightMark = m;
  const TRichEditPosition_rec r = fSW_Positions->GetPosition(m);
  ScrollNowToPosition(r.riched_char_pos);
  ColourHit(r, fCorTextoSW_Hot);
  SavePosition(r);
  return r;
}

void TSourceTextRichEdit::ScrollNowToPosition(Int32 pos) {
  const Int32 line = LineFromChar(pos);
  if (fOnLineShowMessage) fOnLineShowMessage(this, SelectedHighlightMark, TotalPositionsFound(), line, LineCount());
  CentreLineVerticallyInEdit(this, line);
  RichEdit_ScrollToPosition(this, pos);
}

void TSourceTextRichEdit::ManualHighlightASourceTextWord(Int32 filePos, Int32 length, TColor textColour,
                                                         TColor background) {
  if (filePos < 0 || length <= 0 || TextSegments == 0) return;
  LoadSegmentForFileCharPos(filePos);
  const Int32 p = FileCharposToSegCharposWC(filePos);
  if (p < 0 || p >= GetTextLen()) return;
  RichEdit_ColourASection(this, textColour, background, fEstiloTextoSW, p, length);
  last_manual_SW_highlight_pos = p;
  last_manual_SW_highlight_len = length;
}

void TSourceTextRichEdit::ManualHighlightASourceTextWord(Int32 filePos, Int32 length, bool hot) {
  if (filePos < 0 || length <= 0 || TextSegments == 0) return;
  const Int32 segment = CorrectSegmentForFileCharPos(filePos);
  if (last_manual_SW_highlight_pos >= 0 && segment == CurrentSegm)
    RichEdit_ColourASection(this, clWindowText, clDefault, 0, last_manual_SW_highlight_pos,
                            last_manual_SW_highlight_len);
  ManualHighlightASourceTextWord(filePos, length, hot ? fCorTextoSW_Hot : fCorTextoSW_Cold, fCorTextoFundoSW);
  if (last_manual_SW_highlight_pos < 0) return;
  current_segpos_CWF = last_manual_SW_highlight_pos;
  ScrollNowToPosition(current_segpos_CWF);
}

// ---- keyboard and scrolling ----

void TSourceTextRichEdit::KeyDownHandler(Word& key, Word shift) {
  const bool ctrl = (shift & ShiftBit(ssCtrl)) != 0;
  const bool alt = (shift & ShiftBit(ssAlt)) != 0;
  const bool digit = key >= '1' && key <= '9';
  if (fBookmark_Key_pressed && digit) {
    fBookmark_Key_pressed = false;
    const Int32 d = key - '0';
    key = 0;
    if (fOnBookmarking) fOnBookmarking(this, d, false);
    FlushPendingKeys();
    return;
  }
  if (ctrl && !alt && digit) {
    if (fOnBookmarking) fOnBookmarking(this, key - '0', true);
    return;
  }
  if (ctrl && !alt && key == 'K') {
    fBookmark_Key_pressed = true;
    key = 0;
  }
}

void TSourceTextRichEdit::CheckTopScreenLine() {
  const Int32 top = FirstVisibleLine();
  if (top == ftop_screen_line) return;
  ftop_screen_line = top;
  if (fOnTopLineChange) fOnTopLineChange(this, top);
}

bool TSourceTextRichEdit::SaveAsRTF(const String& fileName, const std::vector<String>& lines, bool reversed) {
  // A separate document, so that the text shown stays as it is.
  TRichEdit out;
  out.SetFont(FontName(), FontSize());
  out.SetFontColor(FontColor());
  out.SetWordWrap(true);
  for (const String& l : lines) {
    String text = l;
    const TFontStyles st = FontStyleForHeadingLine(0, text);
    RichEdit_InsertColouredLine(&out, text, FontColor(), st, reversed);
  }
  return out.SaveToRTF(fileName);
}

}  // namespace sk
