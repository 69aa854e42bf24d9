#include "core/My_string_functions_textstats.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

#include "core/Global_vars.h"
#include "core/My_string_functions_charclass.h"
#include "core/My_string_functions_words.h"

namespace sk {

namespace {

constexpr Word kSpanMark = wchar_span_boundary_bit;  // 4096
constexpr Word kSentenceClassMask = 4095;            // the sentence test ignores the span mark only

constexpr Char kCR = u'\r';
constexpr Char kLF = u'\n';

// The spans of one run of AutoMarkTextStatsPositions and the state they share.
class TStatsMarker {
 public:
  TStatsMarker(const String& text, std::vector<Word>& classes, TTextStatsSet kinds)
      : fText(text), fClasses(classes), fKinds(kinds), fLen(static_cast<Int32>(text.size())) {}

  void MarkParagraphsAndHeadings(const std::vector<TStartFinishIntegerRec>& lineSpans) {
    for (const TStartFinishIntegerRec& line : lineSpans) {
      if (!HoldsText(line)) continue;
      fSpan = line;
      const bool isParagraph =
          static_cast<Int64>(line.finish) - line.start >= 101 || LineEndsASentence(line.finish);
      Record(isParagraph ? stats_paragraph : stats_heading, true, true);
    }
  }

  void MarkSentences(Int32 start) {
    Int32 last = fLen - 1;
    while (last > 2 && IsBlankOrOther(RawClass(last))) --last;
    const Int32 first = static_cast<Int32>(std::max<Int64>(0, Int64{start} - 1));
    for (Int32 i = first; i <= last; ++i)
      if (RawClass(i) == wchar_class_punctuation && IsPotentialSentenceTerminator(fText[static_cast<size_t>(i)]))
        TestSentenceEnd(i);
  }

 private:
  // The class code at index i; 0 outside the class array.
  Word RawClass(Int32 i) const {
    return i >= 0 && static_cast<size_t>(i) < fClasses.size() ? fClasses[static_cast<size_t>(i)] : Word{0};
  }
  Word SentenceClass(Int32 i) const { return RawClass(i) & kSentenceClassMask; }
  static bool IsBlankOrOther(Word c) { return c == 0 || c == wchar_class_separator || c == wchar_class_other; }
  Char CharAt(Int32 i) const { return i >= 0 && i < fLen ? fText[static_cast<size_t>(i)] : Char{0}; }
  bool IsLineBreakAt(Int32 i) const { return CharAt(i) == kCR || CharAt(i) == kLF; }

  // Whether a line span holds a character of the text other than a line
  // break. The span of an empty text, or of an empty first line (its CR
  // only), is neither a paragraph nor a heading.
  bool HoldsText(const TStartFinishIntegerRec& line) const {
    const Int32 from = std::max(line.start, 0);
    const Int32 to = std::min(line.finish, fLen - 1);
    for (Int32 k = from; k <= to; ++k)
      if (!IsLineBreakAt(k)) return true;
    return false;
  }

  // From finish backwards: a letter or number says no, a sentence terminator
  // says yes, a currency sign says no; everything else is passed over, and
  // the start of the text says no. A walk that reaches the stretch passed
  // over by the previous walk ends as that one did, so lines that hold
  // nothing decisive do not each walk back over the text before them.
  bool LineEndsASentence(Int32 finish) {
    const Int32 from = std::min(finish, fLen - 1);
    Int32 decidedAt = -1;
    bool result = false;
    for (Int32 k = from; k >= 0; --k) {
      if (fHaveBackWalk && k <= fBackFrom && k > fBackDecidedAt) {
        decidedAt = fBackDecidedAt;
        result = fBackResult;
        break;
      }
      const Word c = SentenceClass(k);
      if (c == wchar_class_lower || c == wchar_class_letter || c == wchar_class_number ||
          c == wchar_class_currency || (c == wchar_class_punctuation && IsPotentialSentenceTerminator(CharAt(k)))) {
        decidedAt = k;
        result = c == wchar_class_punctuation;
        break;
      }
    }
    fHaveBackWalk = true;
    fBackFrom = from;
    fBackDecidedAt = decidedAt;
    fBackResult = result;
    return result;
  }

  // How the scan after a terminator ended.
  enum class TScanStop : uint8_t { lower_case, next_start, line_break, other, text_end };

  // The scan from `from` to the end of the text, walking over punctuation,
  // separators and other characters up to the index `stop`, where it ended.
  // Every terminator inside the walked run scans the same run from a later
  // index, so the run is kept with its running counts and such scans are
  // answered from it: a long run of punctuation is walked once, not once per
  // terminator in it.
  void ScanRunFrom(Int32 from) {
    fRunFrom = from;
    fPunctBefore.assign(1, 0);
    fNextSeparator.clear();
    Int32 j = from;
    fRunStop = TScanStop::text_end;
    for (; j < fLen; ++j) {
      const Word c = SentenceClass(j);
      if (c == wchar_class_lower) {
        fRunStop = TScanStop::lower_case;
        break;
      }
      if (c == wchar_class_letter || c == wchar_class_number || c == wchar_class_currency) {
        fRunStop = TScanStop::next_start;
        break;
      }
      if (c == wchar_class_other && (CharAt(j) == kCR || CharAt(j) == kLF)) {
        fRunStop = TScanStop::line_break;
        break;
      }
      if (c != wchar_class_separator && c != wchar_class_punctuation && c != wchar_class_other) {
        fRunStop = TScanStop::other;  // a class with other bits set (a tag) or no class
        break;
      }
      fPunctBefore.push_back(fPunctBefore.back() + (c == wchar_class_separator ? 0 : 1));
    }
    fRunEnd = j;
    // fNextSeparator[a]: the run-relative index of the first separator at or
    // after a (the run's length when there is none).
    const Int32 runLength = fRunEnd - fRunFrom;
    fNextSeparator.assign(static_cast<size_t>(runLength) + 1, runLength);
    for (Int32 a = runLength - 1; a >= 0; --a)
      fNextSeparator[static_cast<size_t>(a)] =
          SentenceClass(fRunFrom + a) == wchar_class_separator ? a : fNextSeparator[static_cast<size_t>(a) + 1];
    fHaveRun = true;
  }

  void TestSentenceEnd(Int32 i) {
    const Int32 from = i + 1;
    if (!fHaveRun || from < fRunFrom || from > fRunEnd) ScanRunFrom(from);
    if (fRunStop == TScanStop::lower_case) return;
    const Int32 runLength = fRunEnd - fRunFrom;
    const Int32 a = from - fRunFrom;
    const Int32 firstSeparator = fNextSeparator[static_cast<size_t>(a)];
    const auto punct = [&](Int32 k) { return fPunctBefore[static_cast<size_t>(k)]; };
    // Punctuation before the first separator trails this sentence; after it,
    // it leads the next one.
    const Int32 trailing = punct(firstSeparator) - punct(a);
    const Int32 leading = firstSeparator < runLength ? punct(runLength) - punct(firstSeparator) : 0;
    // The end of the text ends the last sentence as a line break would.
    const bool separator = firstSeparator < runLength || fRunStop == TScanStop::line_break ||
                           fRunStop == TScanStop::text_end;
    const Int32 j = fRunEnd;
    if (!separator) return;

    Int32 lineEnd = 0;
    TStartFinishIntegerRec line{0, fLen - 1};
    if (Global_CRLFBreaks.empty()) {
      lineEnd = fLen - 1;
    } else {
      line = FindCRLFBreaksLRStraddling(fText, fCursor, lineEnd, j, Global_CRLFBreaks);
      if (line.start < 0) return;
    }
    const Int32 s = std::max(line.start, fNextSentence);
    if (j - s <= 3) return;
    fSpan = line;
    const bool markStart = s != line.start;
    fSpan.start = s;
    const bool markFinish = static_cast<Int64>(lineEnd) > static_cast<Int64>(i) + trailing + 4;
    if (markFinish) fSpan.finish = i + trailing;
    Record(stats_sentence, markStart, markFinish);
    // The next sentence starts where the scan stopped, with the punctuation
    // that leads it; after a line break it starts on the next line, never on
    // the break itself (which matters when the line spans do not part the
    // lines there).
    if (fRunStop == TScanStop::line_break) {
      Int32 next = j;
      while (next < fLen && IsLineBreakAt(next)) ++next;
      fNextSentence = next;
    } else {
      fNextSentence = j - leading;
    }
  }

  void Record(Ttext_stats kind, bool markStart, bool markFinish) {
    if (!fKinds.Contains(kind)) return;
    auto& spans = Global_TextSectionsArr.stats_arr[kind];
    const size_t n = spans.size();
    spans.push_back(fSpan);
    NoteSpanAt(fSpan.start, n, kind);
    NoteSpanAt(fSpan.finish, n, kind);
    if (markStart) MarkClassAt(fSpan.start);
    if (markFinish) MarkClassAt(fSpan.finish);
  }

  static void NoteSpanAt(Int32 index, size_t n, Ttext_stats kind) {
    auto& chars = Global_TextSectionsArr.bufferful_chars;
    using TSpanIndex = decltype(TNumberWordAndStat::num_0B);
    if (index < 0 || static_cast<size_t>(index) >= chars.size()) return;
    if (n > static_cast<size_t>(std::numeric_limits<TSpanIndex>::max())) return;
    chars[static_cast<size_t>(index)] = TNumberWordAndStat{static_cast<TSpanIndex>(n), kind};
  }

  void MarkClassAt(Int32 index) {
    if (index < 0 || static_cast<size_t>(index) >= fClasses.size()) return;
    fClasses[static_cast<size_t>(index)] = static_cast<Word>(fClasses[static_cast<size_t>(index)] | kSpanMark);
  }

  const String& fText;
  std::vector<Word>& fClasses;
  TTextStatsSet fKinds;
  Int32 fLen;
  TStartFinishIntegerRec fSpan{};
  Int32 fCursor = 0;
  Int32 fNextSentence = 0;
  // The last backward walk of LineEndsASentence.
  bool fHaveBackWalk = false;
  Int32 fBackFrom = 0;
  Int32 fBackDecidedAt = -1;
  bool fBackResult = false;
  // The last run walked by ScanRunFrom.
  bool fHaveRun = false;
  Int32 fRunFrom = 0;
  Int32 fRunEnd = 0;
  TScanStop fRunStop = TScanStop::text_end;
  std::vector<Int32> fPunctBefore;    // punctuation count before each run-relative index
  std::vector<Int32> fNextSeparator;  // first separator at or after each run-relative index
};

}  // namespace

void AutoMarkTextStatsPositions(const std::vector<TStartFinishIntegerRec>& lineSpans, const String& text,
                                std::vector<Word>& classes, Int32 start, TTextStatsSet kinds) {
  TStatsMarker marker(text, classes, kinds);
  marker.MarkParagraphsAndHeadings(lineSpans);
  if (kinds.Contains(stats_sentence)) marker.MarkSentences(start);
}

TStartFinishIntegerRec FindCRLFBreaksLRStraddling(const String& text, Int32& cursor, Int32& lineEnd, Int32 pos,
                                                  const std::vector<TStartFinishIntegerRec>& breaks) {
  const Int32 count = static_cast<Int32>(breaks.size());
  if (cursor < 0 || cursor >= count) return TStartFinishIntegerRec{-1, -1};
  Int32 k = cursor;
  // The next line's start as a 0-based index must lie beyond pos.
  auto nextStart0 = [&](Int32 line) { return static_cast<Int64>(breaks[static_cast<size_t>(line + 1)].start) - 1; };
  while (k + 1 < count && nextStart0(k) <= pos) ++k;
  cursor = k;
  lineEnd = k + 1 < count ? static_cast<Int32>(nextStart0(k) - 1) : static_cast<Int32>(text.size()) - 1;
  const TStartFinishIntegerRec& line = breaks[static_cast<size_t>(k)];
  return TStartFinishIntegerRec{static_cast<Int32>(static_cast<Int64>(line.start) - 1),
                                static_cast<Int32>(static_cast<Int64>(line.finish) - 1)};
}

}  // namespace sk
