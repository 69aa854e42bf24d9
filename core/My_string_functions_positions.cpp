#include "core/My_string_functions_positions.h"

#include <algorithm>
#include <functional>
#include <unordered_set>

#include "core/Basic_processes.h"
#include "core/Generalruntime1const.h"
#include "core/My_string_functions_charclass.h"
#include "core/My_string_functions_occurrences.h"
#include "core/My_string_functions_words.h"
#include "core/Useful_classes_base_longint.h"
#include "platform/runtime/DateUtils.h"
#include "platform/runtime/Random.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Streams.h"
#include "platform/runtime/StringList.h"
#include "platform/runtime/Strings.h"

namespace sk {

namespace {

inline Int32 Len(const String& s) { return static_cast<Int32>(s.size()); }

// The first occurrence of the zero-terminated sub in the zero-terminated p;
// nullptr when either is nil or empty, or sub is absent.
const Char* StrPosW(const Char* p, const Char* sub) {
  if (p == nullptr || sub == nullptr || *sub == 0) return nullptr;
  for (const Char* start = p; *start != 0; ++start) {
    const Char* a = start;
    const Char* b = sub;
    while (*b != 0 && *a == *b) {
      ++a;
      ++b;
    }
    if (*b == 0) return start;
    if (*a == 0) return nullptr;  // the rest of p is shorter than sub
  }
  return nullptr;
}

// The first position of a context word at or after a start that never moves
// backwards. A find at or after the new start is still the first one from
// there, and no find from an earlier start means none from a later one, so the
// text is searched again only once the start has passed the last find.
class TForwardFinder {
 public:
  TForwardFinder(const String& sub, const String& text, TMSSearchFlags flags)
      : fSub(sub), fText(text), fFlags(flags) {}

  Int32 FirstFrom(Int32 start) {
    if (!fSearched || (fFound != -1 && fFound < start)) {
      fFound = PosStrFoundIn(fSub, fText, fFlags, start);
      fSearched = true;
    }
    return fFound;
  }

 private:
  const String& fSub;
  const String& fText;
  TMSSearchFlags fFlags;
  Int32 fFound = -1;
  bool fSearched = false;
};

}  // namespace

// ---- finding ------------------------------------------------------------------------

Int32 PosStrFoundIn(const String& sub, const String& text, TMSSearchFlags flags, Int32 start) {
  if (sub.empty() || text.empty()) return -1;
  const bool left = flags.Contains(msLeftBounded);
  const bool right = flags.Contains(msRightBounded);
  Int32 p = PosEx(sub, text, std::max(start, 1));
  while (p > 0) {
    const Int32 finish = p + Len(sub) - 1;
    if ((!left || BoundedAtLeft(text, p, finish)) && (!right || BoundedAtRight(text, p, finish))) return p;
    p = PosEx(sub, text, p + 1);
  }
  return -1;
}

std::unique_ptr<T1LongintList> CharacterPositionsWordFoundIn(const String& word, const String& leftContext,
                                                             const String& rightContext, const String& text,
                                                             Int32 span, TMSSearchFlags wordFlags,
                                                             TMSSearchFlags contextFlags) {
  std::vector<Int32> positions;
  CharacterPositionsWordFoundIn(word, leftContext, rightContext, text, span, wordFlags, contextFlags, positions);
  auto result = std::make_unique<T1LongintList>();
  for (const Int32 p : positions) result->AddOne(p);
  return result;
}

void CharacterPositionsWordFoundIn(const String& word, const String& leftContext, const String& rightContext,
                                   const String& text, Int32 span, TMSSearchFlags wordFlags,
                                   TMSSearchFlags contextFlags, std::vector<Int32>& positions) {
  positions.clear();
  if (word.empty() || text.empty()) return;
  const bool left = wordFlags.Contains(msLeftBounded);
  const bool right = wordFlags.Contains(msRightBounded);
  TForwardFinder rightFinder(rightContext, text, contextFlags);
  TForwardFinder leftFinder(leftContext, text, contextFlags);
  const Int64 wideSpan = span;  // p + 1 + span must not overflow
  for (Int32 p = PosEx(word, text, 1); p > 0; p = PosEx(word, text, p + 1)) {
    const Int32 finish = p + Len(word) - 1;
    if (left && !BoundedAtLeft(text, p, finish)) continue;
    if (right && !BoundedAtRight(text, p, finish)) continue;
    bool rightOK = true;
    if (!rightContext.empty()) {
      const Int32 q = rightFinder.FirstFrom(p + 1);
      rightOK = q != -1 && q <= p + 1 + wideSpan;
    }
    if (!rightOK) continue;
    bool leftOK = true;
    if (!leftContext.empty()) {
      const Int32 from = static_cast<Int32>(std::max<Int64>(1, p - wideSpan));
      const Int32 q = leftFinder.FirstFrom(from);
      leftOK = q != -1 && q < p;
    }
    if (leftOK) positions.push_back(p);
  }
}

Int32 WholeWordPositionOfXinText(Int32 start, const String& sub, const String& text) {
  if (sub.empty()) return 0;
  for (Int32 p = PosEx(sub, text, std::max(start, 1)); p > 0; p = PosEx(sub, text, p + 1))
    if (IsWholeWord(text, p - 1, p + Len(sub))) return p;
  return 0;
}

Int32 NearerOfTwo(Int32 a, Int32 b) {
  if (a > 0 && b > 0) return std::min(a, b);
  if (a == 0) return b;
  if (b == 0) return a;
  return 0;
}

Int32 PosExNearer(const String& text, const String& a, const String& b, Int32 start) {
  return NearerOfTwo(PosEx(a, text, start), PosEx(b, text, start));
}

const Char* StrPosNearerW(const Char* p, const Char* a, const Char* b) {
  if (p == nullptr) return nullptr;
  const Char* fa = StrPosW(p, a);
  const Char* fb = StrPosW(p, b);
  if (fa == nullptr) return fb;
  if (fb == nullptr) return fa;
  return std::less<const Char*>()(fb, fa) ? fb : fa;
}

Int32 StrScanIndex(const String& s, Char c, Int32 start) {
  if (start < 1) start = 1;
  if (start > Len(s)) return 0;
  const size_t k = s.find(c, static_cast<size_t>(start - 1));
  return k == String::npos ? 0 : static_cast<Int32>(k) + 1;
}

// ---- rich-edit positions ---------------------------------------------------------------

std::vector<Int32> ComputedRichedParaStarts(bool& hasCR, const String& text) {
  std::vector<Int32> starts;
  for (size_t i = 0; i < text.size(); ++i)
    if (text[i] == u'\r') starts.push_back(static_cast<Int32>(i) + 1);
  hasCR = !starts.empty();
  return starts;
}

Int32 RichedCharPosWindowsConverted(Int32 pos, bool hasCR, const std::vector<Int32>& paraStarts) {
  if (!hasCR) return pos;
  const auto notGreater = std::upper_bound(paraStarts.begin(), paraStarts.end(), pos) - paraStarts.begin();
  return pos - static_cast<Int32>(notGreater);
}

Int32 RichedCharPosWindowsConverted(Int32 pos, const TRichedformat_rec& format) {
  return RichedCharPosWindowsConverted(pos, format.windows_format, format.para_starts);
}

// ---- copies and samples ------------------------------------------------------------------

String CopyStringsReplacing(const String& text, const String& oldStr, const String& newStr,
                            const TInsertedTextPositionList* hits, TLeftOrRight side) {
  if (hits == nullptr || hits->Count() == 0) return text;
  const Int64 oldLen = Len(oldStr);
  const Int64 textLen = Len(text);
  const Int32 count = hits->Count();
  // Check every hit before writing: each occurrence must lie in the text and
  // begin at or after the end of the one before it.
  std::vector<Int32> starts;
  starts.reserve(static_cast<size_t>(count));
  Int64 previousEnd = 1;  // position just after the previous occurrence
  for (Int32 i = 0; i < count; ++i) {
    const Int64 hit = hits->GetAHitStart(i);
    const Int64 start = side == at_left ? hit : hit - oldLen;
    if (start < previousEnd || start + oldLen > textLen + 1) return text;
    starts.push_back(static_cast<Int32>(start));
    previousEnd = start + oldLen;
  }
  String result;
  result.reserve(static_cast<size_t>(
      std::max<Int64>(textLen, textLen + static_cast<Int64>(count) * (Len(newStr) - oldLen))));
  size_t from = 0;  // 0-based index of the next character to copy
  TTimedYield yield;
  for (const Int32 start : starts) {
    yield.Tick();
    result.append(text, from, static_cast<size_t>(start - 1) - from);
    result.append(newStr);
    from = static_cast<size_t>(start - 1 + oldLen);
  }
  result.append(text, from, String::npos);
  return result;
}

void CopyRandomSampleFromStringlistAtoB(const TStrings* source, TStringList* target, Int32 n,
                                        TSamplePreference preference) {
  if (target == nullptr) return;
  target->Clear();
  if (source == nullptr) return;
  const Int32 c = source->Count();
  if (c <= n || n <= 0) return;
  Randomize();
  const Int32 quarter = c / 4;
  const Int32 half = c / 2;
  auto inRegion = [&](Int32 r) {
    switch (preference) {
      case ts_top_quarter:
        return r <= quarter;
      case ts_middle_quarter:
        return half - quarter / 2 <= r && r <= half + quarter / 2;
      case ts_bottom_quarter:
        return r >= c - quarter;
      case ts_anywhere:
        break;
    }
    return true;
  };
  constexpr Int32 kMaxMisses = 1001;
  std::unordered_set<String> taken;
  Int32 added = 0;
  Int32 misses = 0;
  Int32 repeatsInARow = 0;
  target->BeginUpdate();
  TTimedYield yield;
  while (added < n && misses < kMaxMisses && repeatsInARow < kMaxMisses) {
    yield.Tick();
    const Int32 r = Random(c);
    if (!inRegion(r)) {
      ++misses;
      continue;
    }
    const String line = source->Get(r);
    if (!taken.insert(line).second) {
      ++repeatsInARow;
      continue;
    }
    repeatsInARow = 0;
    target->Add(line);
    ++added;
  }
  target->EndUpdate();
  target->Sort();
}

// ---- measuring and small texts -------------------------------------------------------------

TTextExtentRec TextSizeOfString(const TTextMeasureProc& dc, const String& s) {
  TTextExtentRec extent;
  if (!dc || !dc(s, extent)) return TTextExtentRec{};
  return extent;
}

Int32 TextWidthOfString(const TTextMeasureProc& dc, const String& s) { return TextSizeOfString(dc, s).cx; }

String StrSeparatedWithChar(const std::vector<String>& items, Char separator) {
  // What AddToListWithSeparatorIfNeeded gives item by item (no separator
  // while the text is still empty), built in one string rather than copied
  // once per item.
  String result;
  for (const String& item : items) {
    if (!result.empty()) result.push_back(separator);
    result.append(item);
  }
  return result;
}

String InterspersedWithSpaces(const String& s) {
  String result;
  result.reserve(s.size() * 2);
  for (const Char c : s) {
    result.push_back(c);
    result.push_back(u' ');
  }
  return result;
}

String AscendingSymbol(bool ascending) { return String(1, ascending ? Char(0x2191) : Char(0x2193)); }

String YesorNo(bool b) { return LoadResString(b ? &_QMYes : &_QMNo); }

String NowForFilename() { return FormatDateTime(u"yyyy_mm_dd_hh_nn", Now()); }

Char WideCharFromCardinal(Cardinal n) { return n < 0x10000u ? static_cast<Char>(n) : u'?'; }

String WideStringFromCardinal(Cardinal n) { return String(1, WideCharFromCardinal(n)); }

void SetZeroWidthJoinersToDefined(const Char* /*p*/, std::vector<Word>& /*classes*/) {}

void SetZeroWidthNonJoinersToDefinedAlpha(const Char* /*p*/, std::vector<Word>& /*classes*/) {}

// ---- wide buffers and byte arrays -----------------------------------------------------------

Int32 Chr13sInPChar(const Char* p, Int32 n) {
  if (p == nullptr) return 0;
  Int32 count = 0;
  for (Int32 i = 0; i < n && p[i] != 0; ++i)
    if (p[i] == u'\r') ++count;
  return count;
}

void ReplaceChar1ByChar2(Char* p, Char c1, Char c2, Int32 /*unused*/) {
  if (p == nullptr || c1 == c2 || c1 == 0) return;
  // One pass gives what rescanning from the start after each replacement
  // would: a replaced character never turns back into c1.
  for (; *p != 0; ++p)
    if (*p == c1) *p = c2;
}

void StrSwapByteOrder(Char* p) {
  if (p == nullptr) return;
  for (; *p != 0; ++p) *p = static_cast<Char>(((*p & 0xFFu) << 8) | (*p >> 8));
}

Cardinal My4Checksum(const Char* p) {
  Cardinal sum = 0;
  if (p == nullptr) return sum;
  for (; *p != 0; ++p) sum += *p;
  return sum;
}

Cardinal My4Checksum(const TBytes& bytes) {
  Cardinal sum = 0;
  for (const Byte b : bytes) sum += b;
  return sum;
}

bool UnicodeSigned(const Char* p) { return p != nullptr && (*p == 0xFEFF || *p == 0xFFFE); }

Int32 HowFarEqualContentsA(const TBytes& a, const TBytes& b, Int32 /*unused*/) {
  const size_t n = std::min(a.size(), b.size());
  size_t i = 0;
  while (i < n && a[i] == b[i]) ++i;
  return static_cast<Int32>(i);
}

void AddToFileOfChar(const String& fileName, const String& text) {
  if (fileName.empty()) return;
  std::unique_ptr<TFileStream> file;
  if (FileExists(fileName)) {
    file = std::make_unique<TFileStream>(fileName, fmOpenReadWrite);
    // A file of 2-byte records: a stray odd byte at the end is overwritten,
    // so the units written stay aligned with those already there.
    file->Seek(file->Size() & ~Int64{1}, soBeginning);
  } else {
    file = std::make_unique<TFileStream>(fileName, fmCreate);
    const Byte bom[2] = {0xFF, 0xFE};
    file->WriteBuffer(bom, 2);
  }
  if (text.empty()) return;
  TBytes raw(text.size() * 2);
  for (size_t i = 0; i < text.size(); ++i) {
    raw[2 * i] = static_cast<Byte>(text[i] & 0xFF);
    raw[2 * i + 1] = static_cast<Byte>(text[i] >> 8);
  }
  file->WriteBuffer(raw);
}

}  // namespace sk
