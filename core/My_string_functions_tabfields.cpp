#include "core/My_string_functions_tabfields.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <functional>
#include <limits>
#include <map>
#include <unordered_map>
#include <vector>

#include "core/Basic_processes.h"
#include "core/Comparing_types.h"
#include "core/Global_vars.h"
#include "core/My_string_functions_numbers_in_text.h"
#include "core/My_string_functions_splitting.h"
#include "core/Useful_classes_base_compare.h"
#include "platform/runtime/DateUtils.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/QuickSort.h"
#include "platform/runtime/StringList.h"
#include "platform/runtime/Strings.h"

namespace sk {

namespace {

constexpr Char kTab = u'\t';
constexpr Char kCR = u'\r';
constexpr Char kLF = u'\n';

inline Int32 Len(const String& s) { return static_cast<Int32>(s.size()); }

// ---- the tab-field comparers ----

enum class TFieldKind : uint8_t { text, date, integer, floating };

// Compares field n of lines i and j as kind says: j against i while
// global_reversed_sort is clear (descending), i against j while it is set.
Int32 CompareField(TStringList* list, Int32 i, Int32 j, Int32 n, TFieldKind kind) {
  if (list == nullptr) return 0;
  const String a = list->Get(global_reversed_sort ? i : j);
  const String b = list->Get(global_reversed_sort ? j : i);
  switch (kind) {
    case TFieldKind::text:
      return Compare2Strings(AfterTabPart(a, n), AfterTabPart(b, n));
    case TFieldKind::date:
      return CompareDates(AfterTabDateOf(a, n), AfterTabDateOf(b, n));
    case TFieldKind::integer:
      return CompareLongints(AfterTabIntegerOf(a, n), AfterTabIntegerOf(b, n));
    case TFieldKind::floating:
      return CompareSingles(AfterTabFloatOf(a, n), AfterTabFloatOf(b, n));
  }
  return 0;
}

// Whether a field names a file: it holds "." and a Windows drive or share
// ("x:\", "\\server"), or it is an absolute path here.
bool FieldNamesAFile(const String& field) {
  if (field.find(u'.') == String::npos) return false;
  return field.find(u":\\") != String::npos || field.find(u"\\\\") != String::npos ||
         (!field.empty() && field[0] == PathDelim);
}

// Calls f(line) for every line of text: with crlfBreak a line ends at CR, LF
// or CR LF, otherwise at each occurrence of lineBreak (an empty lineBreak
// makes the whole text one line). A break at the very end adds no empty line.
template <class F>
void ForEachLine(const String& text, bool crlfBreak, const String& lineBreak, F&& f) {
  const size_t n = text.size();
  size_t start = 0;
  if (crlfBreak) {
    while (start < n) {
      size_t p = start;
      while (p < n && text[p] != kCR && text[p] != kLF) ++p;
      f(text.substr(start, p - start));
      if (p < n && text[p] == kCR) ++p;
      if (p < n && text[p] == kLF) ++p;
      start = p;
    }
    return;
  }
  if (lineBreak.empty()) {
    if (n > 0) f(text);
    return;
  }
  while (start < n) {
    const size_t p = text.find(lineBreak, start);
    if (p == String::npos) {
      f(text.substr(start));
      return;
    }
    f(text.substr(start, p - start));
    start = p + lineBreak.size();
  }
}

// Takes lines out of a string list in one pass. The walk hands over each
// line in order as kept or dropped; kept lines move up over the dropped ones
// by exchanging items (so each line keeps its object), and Finish deletes the
// dropped lines from the end of the list, where a delete moves nothing.
// Deleting them one by one in place would move the rest of the list each
// time. The destructor finishes too, so a walk cut short by an exception
// leaves the lines walked so far done and the rest as they were.
class TLineCompactor {
 public:
  explicit TLineCompactor(TStringList& list) : fList(list), fCount(list.Count()) {}
  ~TLineCompactor() {
    try {
      Finish();
    } catch (...) {
      // The list was changed under the walk; leave it as it is.
    }
  }
  TLineCompactor(const TLineCompactor&) = delete;
  TLineCompactor& operator=(const TLineCompactor&) = delete;

  // The index of the next line to walk in the list as it stands.
  Int32 Read() const { return fRead; }
  // The index that line has in the list once the dropped lines are gone.
  Int32 Kept() const { return fWrite; }
  // The number of lines the list holds once the dropped lines are gone,
  // counting the lines not walked yet.
  Int32 CountAfter() const { return fCount - (fRead - fWrite); }

  void Keep() {
    if (fWrite != fRead) fList.Exchange(fWrite, fRead);
    ++fWrite;
    ++fRead;
  }
  void Drop() { ++fRead; }

  // Keeps the lines not walked and deletes the dropped ones.
  void Finish() {
    if (fFinished) return;
    fFinished = true;
    if (fRead == fWrite) return;  // nothing dropped
    fList.BeginUpdate();
    struct TEndUpdate {
      TStringList& list;
      ~TEndUpdate() { list.EndUpdate(); }
    } endUpdate{fList};
    while (fRead < fCount) Keep();
    for (Int32 i = fCount - 1; i >= fWrite; --i) fList.Delete(i);
  }

 private:
  TStringList& fList;
  Int32 fCount;
  Int32 fRead = 0;
  Int32 fWrite = 0;
  bool fFinished = false;
};

// Calls f(crIndex) for every CR (0-based) that is followed by LF.
template <class F>
void ForEachCRLF(const String& text, F&& f) {
  for (size_t i = 0; i + 1 < text.size(); ++i)
    if (text[i] == kCR && text[i + 1] == kLF) f(i);
}

}  // namespace

// ---- field access ------------------------------------------------------------------------

String PreXCharOf(Char c, const String& s) {
  const size_t p = s.find(c);
  return p == String::npos ? String() : s.substr(0, p);
}

String AfterXCharOf(Char c, const String& s) {
  const size_t p = s.find(c);
  return p == String::npos ? String() : s.substr(p + 1);
}

String PreTabPart(const String& line) { return PreXCharOf(kTab, line); }

String AfterTabPart(const String& line, Int32 n) {
  if (n < 1) return String();
  size_t p = String::npos;
  size_t from = 0;
  for (Int32 k = 0; k < n; ++k) {
    p = line.find(kTab, from);
    if (p == String::npos) return String();
    from = p + 1;
  }
  const size_t next = line.find(kTab, from);
  return line.substr(from, next == String::npos ? String::npos : next - from);
}

TDateTime AfterTabDateOf(const String& line, Int32 n) {
  TDateTime value = 0;
  if (TryStrToDateTime(AfterTabPart(line, n), value, Global_StringToDateTimeFormat)) return value;
  return Now();
}

Single AfterTabFloatOf(const String& line, Int32 n) {
  Single value = 0;
  if (TryStrToFloat(AfterTabPart(line, n), value)) return value;
  return -1.0f;
}

Int32 AfterTabIntegerOf(const String& line, Int32 n) {
  Int32 value = 0;
  if (TryStrToInt(DigitsOnlyOf(AfterTabPart(line, n)), value)) return value;
  return -1;
}

String AddWithTab(const String& a, const String& b) {
  if (a.empty()) return b;
  String r;
  r.reserve(a.size() + 1 + b.size());
  r.append(a).push_back(kTab);
  r.append(b);
  return r;
}

String PreTabPathAndFilenameOf(const String& line) { return PreTabPart(line); }

String PreTabFilenameOf(const String& line) { return ExtractFileName(PreTabPart(line)); }

Int32 IndexOfPreTabFnameOnly(const TStrings* list, const String& name) {
  if (list == nullptr) return -1;
  const Int32 n = list->Count();
  for (Int32 i = 0; i < n; ++i)
    if (PreTabPart(list->Get(i)) == name) return i;
  return -1;
}

String FilenameInTabbedString(const String& line) {
  size_t start = 0;
  for (;;) {
    const size_t p = line.find(kTab, start);
    const String field = line.substr(start, p == String::npos ? String::npos : p - start);
    if (FieldNamesAFile(field)) return field;
    if (p == String::npos) return String();
    start = p + 1;
  }
}

String StringListAsStringWithIntegersFormattedAs(const TStringlistWithALongint* list, const String& format) {
  String result;
  if (list == nullptr) return result;
  const Int32 n = list->Count();
  for (Int32 i = 0; i < n; ++i) {
    result.append(list->Get(i));
    result.append(Format(format, {list->GetOne(i)}));
  }
  return result;
}

// ---- comparers -------------------------------------------------------------------------------

Int32 StringListCompareStringsFilenamePreTab(TStringList* list, Int32 i, Int32 j) {
  if (list == nullptr) return 0;
  const String a = AnsiUpperCase(PreTabFilenameOf(list->Get(i)));
  const String b = AnsiUpperCase(PreTabFilenameOf(list->Get(j)));
  return global_reversed_sort ? Compare2Strings(b, a) : Compare2Strings(a, b);
}

Int32 StringListCompareStringsStrAfter1Tab(TStringList* list, Int32 i, Int32 j) {
  return CompareField(list, i, j, 1, TFieldKind::text);
}
Int32 StringListCompareStringsStrAfter2Tabs(TStringList* list, Int32 i, Int32 j) {
  return CompareField(list, i, j, 2, TFieldKind::text);
}
Int32 StringListCompareStringsStrAfter3Tabs(TStringList* list, Int32 i, Int32 j) {
  return CompareField(list, i, j, 3, TFieldKind::text);
}
Int32 StringListCompareStringsStrAfter4Tabs(TStringList* list, Int32 i, Int32 j) {
  return CompareField(list, i, j, 4, TFieldKind::text);
}
Int32 StringListCompareStringsDateAfter1Tab(TStringList* list, Int32 i, Int32 j) {
  return CompareField(list, i, j, 1, TFieldKind::date);
}
Int32 StringListCompareStringsDateAfter2Tabs(TStringList* list, Int32 i, Int32 j) {
  return CompareField(list, i, j, 2, TFieldKind::date);
}
Int32 StringListCompareStringsDateAfter3Tabs(TStringList* list, Int32 i, Int32 j) {
  return CompareField(list, i, j, 3, TFieldKind::date);
}
Int32 StringListCompareStringsDateAfter4Tabs(TStringList* list, Int32 i, Int32 j) {
  return CompareField(list, i, j, 4, TFieldKind::date);
}
Int32 StringListCompareStringsIntegerAfter1Tab(TStringList* list, Int32 i, Int32 j) {
  return CompareField(list, i, j, 1, TFieldKind::integer);
}
Int32 StringListCompareStringsIntegerAfter2Tabs(TStringList* list, Int32 i, Int32 j) {
  return CompareField(list, i, j, 2, TFieldKind::integer);
}
Int32 StringListCompareStringsIntegerAfter3Tabs(TStringList* list, Int32 i, Int32 j) {
  return CompareField(list, i, j, 3, TFieldKind::integer);
}
Int32 StringListCompareStringsIntegerAfter4Tabs(TStringList* list, Int32 i, Int32 j) {
  return CompareField(list, i, j, 4, TFieldKind::integer);
}
Int32 StringListCompareStringsFloatAfter1Tab(TStringList* list, Int32 i, Int32 j) {
  return CompareField(list, i, j, 1, TFieldKind::floating);
}
Int32 StringListCompareStringsFloatAfter2Tabs(TStringList* list, Int32 i, Int32 j) {
  return CompareField(list, i, j, 2, TFieldKind::floating);
}
Int32 StringListCompareStringsFloatAfter3Tabs(TStringList* list, Int32 i, Int32 j) {
  return CompareField(list, i, j, 3, TFieldKind::floating);
}
Int32 StringListCompareStringsFloatAfter4Tabs(TStringList* list, Int32 i, Int32 j) {
  return CompareField(list, i, j, 4, TFieldKind::floating);
}

void SetSortDescendingAndSort(bool descending, TStringList* list, TStringListSortCompare compare) {
  global_reversed_sort = descending;
  if (list == nullptr || compare == nullptr) return;
  list->CustomSort(compare);
}

// ---- line lists -------------------------------------------------------------------------------

void StringListRemoveLinesMeetingCondition(TStrings* list, const TLineCondition& condition) {
  if (list == nullptr || !condition) return;
  auto* lines = dynamic_cast<TStringList*>(list);
  if (lines == nullptr) {
    for (Int32 i = list->Count() - 1; i >= 0; --i)
      if (condition(list->Get(i))) list->Delete(i);
    return;
  }
  // The condition sees one line at a time, so the lines are judged from the
  // last to the first and then taken out together.
  const Int32 n = lines->Count();
  std::vector<uint8_t> drop(static_cast<size_t>(n), 0);
  TLineCompactor compactor(*lines);
  auto takeOut = [&] {
    for (Int32 i = 0; i < n; ++i) drop[static_cast<size_t>(i)] != 0 ? compactor.Drop() : compactor.Keep();
    compactor.Finish();
  };
  try {
    for (Int32 i = n - 1; i >= 0; --i) drop[static_cast<size_t>(i)] = condition(lines->Get(i)) ? 1 : 0;
  } catch (...) {
    takeOut();  // the lines judged so far go, as they would have one by one
    throw;
  }
  takeOut();
}

void StringListRemoveLinesMeetingCondition(TStrings* list, const TListLineCondition& condition) {
  if (list == nullptr || !condition) return;
  for (Int32 i = list->Count() - 1; i >= 0; --i)
    if (condition(list, list->Get(i), i)) list->Delete(i);
}

void StringListAddLineWithCharsAtLineStart(TStrings* list, const String& line, Char c, Int32 n) {
  if (list == nullptr) return;
  list->Add(StringOfChar(c, n) + line);
}

void StringListInsertCharsAtLineStart(TStrings* list, Char c, Int32 n) {
  if (list == nullptr || n <= 0) return;
  const String prefix = StringOfChar(c, n);
  const Int32 count = list->Count();
  for (Int32 i = 0; i < count; ++i) {
    const String line = list->Get(i);
    if (!line.empty()) list->Put(i, prefix + line);
  }
}

std::unique_ptr<TUTF8Stringlist> StringListRemovingAnyLines(const TStrings* list, const TLineConverter& convert) {
  auto result = std::make_unique<TUTF8Stringlist>();
  if (list == nullptr || !convert) return result;
  const Int32 n = list->Count();
  for (Int32 i = 0; i < n; ++i) {
    const String line = list->Get(i);
    const TConvertedStringAnd2BooleansRec verdict = convert(line);
    if (verdict.chuck) continue;
    result->Add(verdict.convert_it ? verdict.converted : line);
  }
  return result;
}

std::vector<String> StringToStringArray(const String& separator, const String& text, bool trimEach) {
  // The trimmed text with every CR LF as ";", built in one pass that lets
  // the host run on a long text.
  const String trimmed = Trim(text);
  TTimedYield yield;
  String work;
  work.reserve(trimmed.size());
  for (size_t p = 0; p < trimmed.size();) {
    size_t q = trimmed.find(u"\r\n", p);
    if (q == String::npos) q = trimmed.size();
    yield.Tick(q - p + 1);
    work.append(trimmed, p, q - p);
    if (q < trimmed.size()) {
      work += u';';
      q += 2;
    }
    p = q;
  }
  std::vector<String> pieces;
  auto piece = [&](size_t from, size_t count) {
    yield.Tick();
    String s = work.substr(from, count);
    pieces.push_back(trimEach ? Trim(s) : std::move(s));
  };
  size_t start = 0;
  if (!separator.empty()) {
    for (size_t p = work.find(separator, start); p != String::npos; p = work.find(separator, start)) {
      piece(start, p - start);
      start = p + separator.size();
      if (start < work.size() && work[start] == kLF) ++start;
    }
  }
  piece(std::min(start, work.size()), String::npos);
  return pieces;
}

std::unique_ptr<TUTF8Stringlist> StringToStringlist(const String& text, const String& separator, bool trimEach) {
  auto list = std::make_unique<TUTF8Stringlist>();
  const std::vector<String> pieces = StringToStringArray(separator, text, trimEach);
  list->BeginUpdate();
  TTimedYield yield;
  for (const String& s : pieces) {
    yield.Tick();
    list->Add(s);
  }
  list->EndUpdate();
  return list;
}

namespace {

// TrimAStringlist on a platform string list: the same walk, with the deleted
// lines taken out together at the end.
void TrimStringListInOnePass(TStringList& list, bool keepSingleEmpty, const TLinePercentProgress& onProgress,
                             bool& goOn) {
  TLineCompactor lines(list);
  const Int32 n = list.Count();
  // Progress gives what a walk that deletes each line as it goes would: the
  // line's index and the number of lines in the list at that moment.
  auto report = [&] {
    if (onProgress) onProgress(static_cast<Int32>(static_cast<Int64>(lines.Kept()) * 100 / lines.CountAfter()));
  };
  while (goOn && lines.Read() < n) {
    const Int32 r = lines.Read();
    const String line = list.Get(r);
    const String trimmed = Trim(line);
    if (!trimmed.empty()) {
      if (trimmed.size() != line.size()) {
        list.Put(r, trimmed + u" ");
        report();
      }
      lines.Keep();
      continue;
    }
    report();
    if (!keepSingleEmpty || (r + 1 < n && Trim(list.Get(r + 1)).empty())) {
      lines.Drop();
    } else {
      // The one empty line kept of a run holds nothing, not the blanks it had.
      if (!line.empty()) list.Put(r, String());
      lines.Keep();
    }
  }
  lines.Finish();
}

}  // namespace

void TrimAStringlist(TStrings* list, bool keepSingleEmpty, const TLinePercentProgress& onProgress, bool& goOn) {
  goOn = true;
  if (list == nullptr) return;
  if (auto* lines = dynamic_cast<TStringList*>(list)) {
    TrimStringListInOnePass(*lines, keepSingleEmpty, onProgress, goOn);
    return;
  }
  auto report = [&](Int32 index) {
    if (onProgress) onProgress(static_cast<Int32>(static_cast<Int64>(index) * 100 / list->Count()));
  };
  Int32 i = 0;
  while (goOn && i < list->Count()) {
    const String line = list->Get(i);
    const String trimmed = Trim(line);
    if (!trimmed.empty()) {
      if (trimmed.size() != line.size()) {
        list->Put(i, trimmed + u" ");
        report(i);
      }
      ++i;
      continue;
    }
    report(i);
    if (!keepSingleEmpty) {
      list->Delete(i);
    } else if (i + 1 < list->Count() && Trim(list->Get(i + 1)).empty()) {
      list->Delete(i);
    } else {
      // The one empty line kept of a run holds nothing, not the blanks it had.
      if (!line.empty()) list->Put(i, String());
      ++i;
    }
  }
}

void TrimAStringlist(TStrings* list) {
  bool goOn = true;
  TrimAStringlist(list, false, TLinePercentProgress(), goOn);
}

void TrimAStringlist(TStrings* list, const TLinePercentProgress& onProgress, bool& goOn) {
  TrimAStringlist(list, false, onProgress, goOn);
}

namespace {

// The passages that RepeatedXCharChunks looks for and every position at which
// each distinct passage text occurs. All passages are found together in one
// pass of a rolling hash over the text: the hash covers as many characters as
// the shortest passage has, so that each position is looked up once whatever
// the passages' lengths; a position whose hash a filter sized to the passages
// lets through is looked up in a hash table of their first characters, and
// each passage found there is checked character by character. The work grows
// with the text's length (and the occurrences found), and the pass lets the
// host run as it goes.
class TPassageIndex {
 public:
  struct TPassage {
    Int32 start = 0;   // 0-based index of the trimmed passage in the text
    Int32 length = 0;  // its length
    Int32 from = 0;    // 0-based index from which later occurrences count
    Int32 kind = -1;   // its distinct text, an index into positions
  };

  explicit TPassageIndex(const String& text) : fText(text) {}

  void Add(Int32 start, Int32 length, Int32 from) { fPassages.push_back(TPassage{start, length, from, -1}); }

  // Finds every occurrence, from the earliest index any passage counts from,
  // of every distinct passage text.
  void Build(TTimedYield& yield) {
    if (fPassages.empty()) return;
    Int32 earliest = std::numeric_limits<Int32>::max();
    Int32 window = std::numeric_limits<Int32>::max();
    // The distinct texts, by the hash of the whole passage.
    std::unordered_map<uint64_t, std::vector<Int32>> kinds;
    for (TPassage& passage : fPassages) {
      yield.Tick(static_cast<size_t>(passage.length));
      earliest = std::min(earliest, passage.from);
      window = std::min(window, passage.length);
      std::vector<Int32>& bucket = kinds[HashAt(passage.start, passage.length)];
      for (const Int32 kind : bucket)
        if (fKindLength[static_cast<size_t>(kind)] == passage.length &&
            SameAt(fKindStart[static_cast<size_t>(kind)], passage.start, passage.length))
          passage.kind = kind;
      if (passage.kind < 0) {
        passage.kind = static_cast<Int32>(fPositions.size());
        fPositions.emplace_back();
        fKindStart.push_back(passage.start);
        fKindLength.push_back(passage.length);
        bucket.push_back(passage.kind);
      }
    }
    kinds.clear();
    const Int32 last = static_cast<Int32>(fText.size()) - window;  // the last index the shortest fits at
    if (earliest > last) return;

    // The kinds by the hash of their first window characters: a table of
    // twice as many slots as kinds (linear probing), and a filter of 16 bits
    // per kind.
    const size_t count = fKindStart.size();
    const size_t slots = std::bit_ceil(2 * count);
    const size_t filterBits = std::max<size_t>(std::bit_ceil(16 * count), 1 << 12);
    std::vector<uint64_t> filter(filterBits / 64, 0);
    struct TSlot {
      uint64_t hash = 0;
      Int32 kind = -1;
    };
    std::vector<TSlot> table(slots);
    auto slotOf = [slots](uint64_t h) { return static_cast<size_t>((h * 0x9E3779B97F4A7C15ull) >> 20) & (slots - 1); };
    for (size_t kind = 0; kind < count; ++kind) {
      yield.Tick(static_cast<size_t>(window));
      const uint64_t h = HashAt(fKindStart[kind], window);
      size_t at = slotOf(h);
      while (table[at].kind >= 0) at = (at + 1) & (slots - 1);
      table[at] = TSlot{h, static_cast<Int32>(kind)};
      filter[(h & (filterBits - 1)) / 64] |= uint64_t{1} << (h % 64);
    }

    uint64_t top = 1;  // kBase to the power window - 1
    for (Int32 i = 1; i < window; ++i) top = MulMod(top, kBase);
    const Int32 size = static_cast<Int32>(fText.size());
    uint64_t h = HashAt(earliest, window);
    for (Int32 q = earliest;; ++q) {
      yield.Tick();
      if ((filter[(h & (filterBits - 1)) / 64] >> (h % 64) & 1) != 0)
        for (size_t at = slotOf(h); table[at].kind >= 0; at = (at + 1) & (slots - 1)) {
          if (table[at].hash != h) continue;
          const Int32 kind = table[at].kind;
          const Int32 length = fKindLength[static_cast<size_t>(kind)];
          if (q <= size - length && SameAt(fKindStart[static_cast<size_t>(kind)], q, length))
            fPositions[static_cast<size_t>(kind)].push_back(q);
        }
      if (q == last) break;
      // Roll the window one character on.
      const uint64_t out = MulMod(fText[static_cast<size_t>(q)], top);
      h = AddMod(MulMod(AddMod(h, kModulus - out), kBase), fText[static_cast<size_t>(q + window)]);
    }
  }

  std::vector<TPassage>& Passages() { return fPassages; }
  // The 0-based positions, ascending, at which passage text kind occurs.
  const std::vector<Int32>& Positions(Int32 kind) const { return fPositions[static_cast<size_t>(kind)]; }
  // The text of kind.
  String Text(Int32 kind) const {
    return fText.substr(static_cast<size_t>(fKindStart[static_cast<size_t>(kind)]),
                        static_cast<size_t>(fKindLength[static_cast<size_t>(kind)]));
  }

 private:
  static constexpr uint64_t kModulus = (uint64_t{1} << 61) - 1;
  static constexpr uint64_t kBase = 1000003;

  static uint64_t MulMod(uint64_t a, uint64_t b) {
    const unsigned __int128 p = static_cast<unsigned __int128>(a) * b;
    uint64_t r = static_cast<uint64_t>(p & kModulus) + static_cast<uint64_t>(p >> 61);
    if (r >= kModulus) r -= kModulus;
    return r;
  }
  static uint64_t AddMod(uint64_t a, uint64_t b) {
    const uint64_t r = a + b;
    return r >= kModulus ? r - kModulus : r;
  }

  uint64_t HashAt(Int32 start, Int32 length) const {
    uint64_t h = 0;
    for (Int32 i = 0; i < length; ++i) h = AddMod(MulMod(h, kBase), fText[static_cast<size_t>(start + i)]);
    return h;
  }

  bool SameAt(Int32 a, Int32 b, Int32 length) const {
    const Char* t = fText.data();
    return std::equal(t + a, t + a + length, t + b);
  }

  const String& fText;
  std::vector<TPassage> fPassages;
  std::vector<std::vector<Int32>> fPositions;
  std::vector<Int32> fKindStart;
  std::vector<Int32> fKindLength;
};

}  // namespace

std::unique_ptr<TStringListWith2LongintRec> RepeatedXCharChunks(Int32 chunkLength, Int32 minFrequency,
                                                                Int32 maxDistinct, const String& text,
                                                                const TLinePercentProgress& onProgress) {
  auto result = std::make_unique<TStringListWith2LongintRec>();
  result->SetSorted(true);
  // Passages are told apart exactly as the search finds them, by their code
  // units: two passages that differ only in case are two lines.
  result->SetCaseSensitive(true);
  // A trimmed chunk is never longer than chunkLength, and only chunks longer
  // than 100 characters are looked for.
  constexpr Int32 kShortestSought = 101;
  const Int32 len = Len(text);
  if (chunkLength < kShortestSought || chunkLength > len) {
    // No whole chunk worth looking for; the walk still reports its progress.
    for (Int64 pos = 1; chunkLength > 0 && pos + chunkLength - 1 <= len; pos += chunkLength)
      if (onProgress) onProgress(static_cast<Int32>((pos + chunkLength) * 100 / len));
    return result;
  }

  // The chunks, trimmed as Trim does, and where their later occurrences start.
  TPassageIndex index(text);
  const Int32 chunks = len / chunkLength;
  std::vector<Int32> passageOfChunk(static_cast<size_t>(chunks), -1);
  for (Int32 c = 0; c < chunks; ++c) {
    Int32 b = c * chunkLength;
    Int32 e = b + chunkLength;
    while (b < e && text[static_cast<size_t>(b)] <= u' ') ++b;
    while (e > b && text[static_cast<size_t>(e) - 1] <= u' ') --e;
    if (e - b < kShortestSought) continue;
    passageOfChunk[static_cast<size_t>(c)] = static_cast<Int32>(index.Passages().size());
    index.Add(b, e - b, (c + 1) * chunkLength);
  }
  TTimedYield yield;
  index.Build(yield);

  // Walk the chunks in order, counting each later occurrence as the search
  // from the position after the chunk would find them one by one.
  struct TFound {
    bool listed = false;
    Int64 long0 = 0;
    Int32 long1 = 0;
  };
  std::vector<TFound> found;
  std::vector<Int32> listedOrder;  // the passage texts in the order they were first found
  Int32 repeateds = 0;             // passage texts found more than once
  auto stopped = [&] { return static_cast<Int32>(listedOrder.size()) >= maxDistinct && repeateds >= maxDistinct; };
  for (Int32 c = 0; c < chunks; ++c) {
    const Int64 after = Int64{c + 1} * chunkLength + 1;  // 1-based position after the chunk
    if (onProgress) onProgress(static_cast<Int32>(after * 100 / len));
    const Int32 p = passageOfChunk[static_cast<size_t>(c)];
    if (p < 0) continue;
    yield.Tick();
    const TPassageIndex::TPassage& passage = index.Passages()[static_cast<size_t>(p)];
    if (static_cast<size_t>(passage.kind) >= found.size()) found.resize(static_cast<size_t>(passage.kind) + 1);
    TFound& f = found[static_cast<size_t>(passage.kind)];
    const std::vector<Int32>& at = index.Positions(passage.kind);
    for (auto it = std::lower_bound(at.begin(), at.end(), passage.from); it != at.end(); ++it) {
      if (stopped()) break;
      if (f.listed && f.long0 >= 2) {
        // Neither the number of texts found nor of those found more than
        // once can change any more: the remaining occurrences all count.
        f.long0 += at.end() - it;
        break;
      }
      if (!f.listed) {
        f.listed = true;
        f.long0 = 1;
        f.long1 = *it + 1;
        listedOrder.push_back(passage.kind);
      } else if (++f.long0 == 2) {
        ++repeateds;
      }
    }
  }
  result->BeginUpdate();
  for (const Int32 kind : listedOrder) {
    yield.Tick();
    const TFound& f = found[static_cast<size_t>(kind)];
    const Int32 long0 = static_cast<Int32>(std::min<Int64>(f.long0, std::numeric_limits<Int32>::max()));
    const Int32 countBefore = result->Count();
    const Int32 line = result->AddOne(index.Text(kind), T2_longint_rec{long0, f.long1});
    // A text that the list's order holds equal to one already listed adds
    // its occurrences to that line.
    if (result->Count() == countBefore) result->AddToOneFreq(line, long0, t2_long0);
  }
  result->EndUpdate();

  if (result->Count() < 2) return result;
  result->SortOnFreq(t2_long0);
  for (Int32 i = result->Count() - 1; i >= 0; --i) {
    yield.Tick();
    if (result->GetOne(i).long0 < minFrequency) result->Delete(i);
  }
  return result;
}

// ---- custom sort ----------------------------------------------------------------------------

std::unique_ptr<TStringlistWithALongint> CustomSortPreparedStringlist(const String& keyList) {
  auto keys = std::make_unique<TStringlistWithALongint>();
  const std::unique_ptr<TUTF8Stringlist> items = CommaSeparatedStrings(keyList);
  Int32 rank = 0;
  for (Int32 i = 0; i < items->Count(); ++i) {
    const String item = items->Get(i);
    if (item.empty()) continue;
    keys->AddOne(item, rank++);
  }
  keys->CustomSort([](TStringList* list, Int32 a, Int32 b) -> Int32 {
    const String ka = list->Get(a);
    const String kb = list->Get(b);
    if (ka.size() != kb.size()) return ka.size() > kb.size() ? -1 : 1;
    return CrudeStringComparison(ka, kb);
  });
  return keys;
}

String NormalisedLineForCustomSort(const String& line, const TStringlistWithALongint* keys) {
  String result = line;
  if (keys == nullptr) return result;
  // marks is the line with every character already replaced set to zero;
  // keys are looked for in it, so that a shorter key never overwrites the
  // replacement of a longer one that contains it.
  String marks = line;
  const Int32 n = keys->Count();
  for (Int32 k = 0; k < n; ++k) {
    const String key = keys->Get(k);
    if (key.empty()) continue;
    const size_t start = marks.find_first_not_of(u'\0');
    if (start == String::npos) return result;
    const Char replacement = static_cast<Char>(std::clamp<Int64>(Int64{64} + keys->GetOne(k), 1, 0xFFFF));
    for (size_t p = marks.find(key, start); p != String::npos; p = marks.find(key, p + key.size())) {
      for (size_t q = p; q < p + key.size(); ++q) {
        result[q] = replacement;
        marks[q] = 0;
      }
    }
  }
  return result;
}

std::unique_ptr<TStringlistWithALongint> CustomLinesSorted(const TStrings* lines,
                                                           const TStringlistWithALongint* keys) {
  auto result = std::make_unique<TStringlistWithALongint>();
  if (lines == nullptr) return result;
  struct TNormalised {
    String text;
    Int32 index;
  };
  std::vector<TNormalised> rows;
  const Int32 n = lines->Count();
  rows.reserve(static_cast<size_t>(std::max(n, 0)));
  TTimedYield yield;
  for (Int32 i = 0; i < n; ++i) {
    yield.Tick();
    rows.push_back({NormalisedLineForCustomSort(lines->Get(i), keys), i});
  }
  // The sort lets the host run at its check points as the lists' sorts do,
  // but always runs to its end: the caller gets every line in order.
  const TSortCheckPoint checkPoint = NewSortCheckPoint();
  QuickSortIndexesChecked(
      0, static_cast<Int32>(rows.size()) - 1,
      [&rows](Int32 a, Int32 b) {
        const TNormalised& x = rows[static_cast<size_t>(a)];
        const TNormalised& y = rows[static_cast<size_t>(b)];
        const Int32 c = CrudeStringComparison(x.text, y.text);
        return c != 0 ? c : CompareLongints(x.index, y.index);
      },
      [&rows](Int32 a, Int32 b) { std::swap(rows[static_cast<size_t>(a)], rows[static_cast<size_t>(b)]); },
      checkPoint ? TSortCheckPoint([&checkPoint] {
        checkPoint();
        return false;
      })
                 : TSortCheckPoint());
  result->BeginUpdate();
  for (const TNormalised& row : rows) {
    yield.Tick();
    result->AddOne(lines->Get(row.index), row.index);
  }
  result->EndUpdate();
  return result;
}

// ---- TNotifyStringlist ---------------------------------------------------------------------------

TNotifyStringlist::TNotifyStringlist(TTellCountEvent onTellContagem) : OnTellContagem(std::move(onTellContagem)) {}

void TNotifyStringlist::SetTextStr(const String& text) {
  TUpdateScope scope(*this);
  Clear();
  // A list still sorted after Clear takes the lines at once (sorted once)
  // instead of finding each one's place as it arrives; the count is told as
  // the lines are taken in either way.
  const bool bulk = TakesLinesInBulk();
  std::vector<Item> lines;
  Int32 counter = 0;
  ForEachLine(text, LineBreak() == u"\r\n", LineBreak(), [&](String line) {
    if (bulk)
      lines.push_back(Item{std::move(line), nullptr});
    else
      Add(line);
    ++counter;
    if ((counter & 0xFF) == 0xFF && OnTellContagem) OnTellContagem(counter);
  });
  if (bulk) AddSortedLinesInBulk(lines);
  if (OnTellContagem) OnTellContagem(counter);
}

// ---- running text -----------------------------------------------------------------------------------

bool IsFlowingText(const String& text) {
  bool flowing = false;
  size_t from = 0;  // 0-based index of position 1, then of the position after the previous CR
  ForEachCRLF(text, [&](size_t cr) {
    if (cr - from > 120) flowing = true;
    from = cr + 1;
  });
  return flowing;
}

String FlowingTextWithLineBreaksHandled(const String& text) {
  if (IsFlowingText(text)) return text;
  String result;
  result.reserve(text.size());
  const size_t n = text.size();
  size_t i = 0;
  while (i < n) {
    const Char c = text[i];
    if (c > u' ') {
      result.push_back(c);
      ++i;
      continue;
    }
    // The CR and LF characters right after c, not looking at the last character.
    size_t run = 0;
    while (i + 1 + run + 1 < n && (text[i + 1 + run] == kCR || text[i + 1 + run] == kLF)) ++run;
    if (run == 0) {
      result.push_back(c);
    } else if (run <= 2) {
      // One line break (or a blank before one): the lines join with a space.
      result.push_back(u' ');
    } else {
      result.append(u"\r\n\r\n");
    }
    i += 1 + run;
  }
  return result;
}

String RemovedEmptyLinesOf(const String& text) {
  String result;
  result.reserve(text.size());
  size_t lineStart = 0;
  ForEachCRLF(text, [&](size_t cr) {
    bool blank = true;
    for (size_t k = lineStart; k < cr && blank; ++k) blank = text[k] <= u' ';
    if (!blank) result.append(text, lineStart, cr - lineStart);
    result.append(u"\r\n");
    lineStart = cr + 2;
  });
  if (lineStart < text.size()) result.append(text, lineStart, String::npos);
  return result;
}

String StrippedSpacesAtLineStarts(const String& text) {
  String result;
  result.reserve(text.size());
  const size_t n = text.size();
  size_t i = 0;
  while (i < n) {
    result.push_back(text[i]);
    if (text[i] == kCR && i + 1 < n && text[i + 1] == kLF) {
      result.push_back(kLF);
      i += 2;
      while (i + 1 < n && text[i] == u' ') ++i;
      continue;
    }
    ++i;
  }
  return result;
}

}  // namespace sk
