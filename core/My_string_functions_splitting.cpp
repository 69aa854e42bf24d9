#include "core/My_string_functions_splitting.h"

#include <unicode/uchar.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <unicode/utf16.h>

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "core/Basic_processes.h"
#include "core/Generalruntime1const.h"
#include "core/My_string_functions_charclass.h"
#include "core/My_string_functions_words.h"
#include "core/Useful_classes_base_compare.h"
#include "core/Useful_classes_base_stringlists.h"
#include "core/Useful_classes_stringlist_sorts.h"
#include "platform/runtime/Random.h"
#include "platform/runtime/CodePages.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/ResourceStrings.h"
#include "platform/runtime/StringList.h"
#include "platform/runtime/Strings.h"

namespace sk {

namespace {

constexpr Char kCR = u'\r';
constexpr Char kLF = u'\n';

inline Int32 Len(const String& s) { return static_cast<Int32>(s.size()); }
inline bool IsLetterOrDigit(Char c) {
  if (c < 128) return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
  return u_isalnum(c) != 0;
}
inline bool IsWhiteSpace(Char c) { return u_isUWhiteSpace(c) != 0; }
inline bool IsPunctuation(Char c) { return u_ispunct(c) != 0; }
// Above U+0020 and not white space.
inline bool IsVisible(Char c) { return c > 0x20 && !IsWhiteSpace(c); }
inline bool IsCRorLF(Char c) { return c == kCR || c == kLF; }

// A set of characters given as a string: a scan for short sets, a search by
// halving for longer ones.
class TCharSet {
 public:
  explicit TCharSet(const String& chars) : fChars(chars) {
    if (fChars.size() > 8) {
      std::sort(fChars.begin(), fChars.end());
      fChars.erase(std::unique(fChars.begin(), fChars.end()), fChars.end());
      fSorted = true;
    }
  }
  bool Contains(Char c) const {
    if (fSorted) return std::binary_search(fChars.begin(), fChars.end(), c);
    return fChars.find(c) != String::npos;
  }
  bool Empty() const { return fChars.empty(); }

 private:
  String fChars;
  bool fSorted = false;
};

// Lines whose objects belong to the list must not be handed fake objects.
bool CanHoldPositions(const TStrings* list) {
  if (dynamic_cast<const TIndexCheckStringlist*>(list) != nullptr) return false;
  if (auto* sl = dynamic_cast<const TStringList*>(list); sl != nullptr && sl->OwnsObjects()) return false;
  return true;
}

void AddPiece(TStrings* list, const String& piece, Int32 start, bool withPositions) {
  if (withPositions)
    list->AddObject(piece, reinterpret_cast<TObject*>(static_cast<std::intptr_t>(start)));
  else
    list->Add(piece);
}

String JoinLines(Char separator, const TStrings* list, Int32 firstLine, bool limited, Int32 maxLength) {
  String r;
  if (list == nullptr) return r;
  const Int32 count = list->Count();
  for (Int32 i = std::max(firstLine, 0); i < count; ++i) {
    const String line = list->Strings(i);
    if (line.empty()) continue;
    if (!r.empty()) r.push_back(separator);
    r += line;
    if (limited && Len(r) >= maxLength) {
      if (i < count - 1) {
        r += u" ";
        r += LoadResString(&_QMEtc);
      }
      break;
    }
  }
  return r;
}

// The upper case of the units of a text in place, as a whole-text
// upper-casing (AnsiUpperCase) maps them: a surrogate pair is mapped as one
// character, every other unit through the table of the locale's rule, which
// is looked up once per search rather than once per unit.
class TUpperView {
 public:
  explicit TUpperView(const String& t) : fText(t), fUpper(UpperCaseUnitTable(IsTurkicLocale(LOCALE_USER_DEFAULT))) {}

  Char At(size_t i) const {
    const Char c = fText[i];
    return U16_IS_SURROGATE(c) ? SurrogateAt(i) : fUpper[c];
  }
  const Char* Table() const { return fUpper; }

 private:
  Char SurrogateAt(size_t i) const {
    const Char c = fText[i];
    if (U16_IS_LEAD(c) && i + 1 < fText.size() && U16_IS_TRAIL(fText[i + 1])) {
      const UChar32 m = u_toupper(U16_GET_SUPPLEMENTARY(c, fText[i + 1]));
      return m > 0xFFFF ? static_cast<Char>(U16_LEAD(m)) : c;
    }
    if (U16_IS_TRAIL(c) && i > 0 && U16_IS_LEAD(fText[i - 1])) {
      const UChar32 m = u_toupper(U16_GET_SUPPLEMENTARY(fText[i - 1], c));
      return m > 0xFFFF ? static_cast<Char>(U16_TRAIL(m)) : c;
    }
    return c;
  }

  const String& fText;
  const Char* fUpper;
};

// The ASCII units whose upper case is c under the view's rule: only c itself
// and the other case of an ASCII letter can be (the Turkic rule maps i
// elsewhere, for one); 0xFFFF stands for none.
void AsciiPreimages(const TUpperView& view, Char c, Char& a, Char& b) {
  const Char* table = view.Table();
  a = table[c] == c ? c : Char(0xFFFF);
  const Char other = static_cast<Char>(c ^ 0x20);
  b = table[other] == c ? other : Char(0xFFFF);
}

size_t UpperedFind(const TUpperView& view, const String& text, const String& upperSub, size_t start) {
  const size_t m = upperSub.size();
  const size_t n = text.size();
  if (m == 0 || start >= n || m > n - start) return String::npos;
  const size_t last = n - m;  // the last index a find can start at
  const Char first = upperSub[0];
  const Char* data = text.data();
  auto matchesAt = [&](size_t i) {
    if (view.At(i) != first) return false;
    size_t k = 1;
    while (k < m && view.At(i + k) == upperSub[k]) ++k;
    return k == m;
  };
  size_t i = start;
  if (first < 0x80) {
    Char a1, b1;
    AsciiPreimages(view, first, a1, b1);
    // The second unit joins the test when it is ASCII too; otherwise any unit
    // passes it.
    Char a2 = 0xFFFF, b2 = 0xFFFF;
    const bool second = m >= 2 && upperSub[1] < 0x80;
    if (second) AsciiPreimages(view, upperSub[1], a2, b2);
    auto mayStart = [&](Char c) { return c == a1 || c == b1 || c >= 0x80; };
    auto mayFollow = [&](Char c) { return !second || c == a2 || c == b2 || c >= 0x80; };
#if defined(__SSE2__)
    // Blocks of eight positions (each reading the unit after it too), two
    // bits of the mask per position.
    const __m128i va1 = _mm_set1_epi16(static_cast<short>(a1));
    const __m128i vb1 = _mm_set1_epi16(static_cast<short>(b1));
    const __m128i va2 = _mm_set1_epi16(static_cast<short>(a2));
    const __m128i vb2 = _mm_set1_epi16(static_cast<short>(b2));
    const __m128i high = _mm_set1_epi16(static_cast<short>(0xFF80));
    const __m128i zero = _mm_setzero_si128();
    const __m128i ones = _mm_cmpeq_epi16(zero, zero);
    auto aboveAscii = [&](__m128i v) { return _mm_andnot_si128(_mm_cmpeq_epi16(_mm_and_si128(v, high), zero), ones); };
    while (i + 8 <= last) {
      const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
      __m128i ok = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(c, va1), _mm_cmpeq_epi16(c, vb1)), aboveAscii(c));
      if (second) {
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i + 1));
        ok = _mm_and_si128(ok, _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(d, va2), _mm_cmpeq_epi16(d, vb2)),
                                            aboveAscii(d)));
      }
      auto mask = static_cast<unsigned>(_mm_movemask_epi8(ok));
      while (mask != 0) {
        const unsigned k = static_cast<unsigned>(__builtin_ctz(mask)) / 2;
        if (matchesAt(i + k)) return i + k;
        mask &= ~(3u << (2 * k));
      }
      i += 8;
    }
#endif
    for (; i <= last; ++i)
      if (mayStart(data[i]) && (m < 2 || mayFollow(data[i + 1])) && matchesAt(i)) return i;
    return String::npos;
  }
  for (; i <= last; ++i)
    if (matchesAt(i)) return i;
  return String::npos;
}

// A result built in room of its source's length, given back with room for
// what it holds when much less was kept, so that a short result of a long
// text does not hold the long text's room.
String Fitted(String out) {
  if (out.capacity() - out.size() > out.size() / 4 + 64) out.shrink_to_fit();
  return out;
}

// Each run of characters below limit becomes one space; the rest is kept.
String RunsBelowAsOneSpace(const String& text, Char limit) {
  String out;
  out.reserve(text.size());
  bool inRun = false;
  TTimedYield yield;
  for (Char c : text) {
    yield.Tick();
    if (c < limit) {
      if (!inRun) out.push_back(u' ');
      inRun = true;
    } else {
      out.push_back(c);
      inRun = false;
    }
  }
  return Fitted(std::move(out));
}

}  // namespace

// ---------------------------------------------------------------------------
// Joining

String AddToListWithSeparatorIfNeeded(const String& list, const String& item, const String& separator) {
  if (list.empty()) return item;
  String r;
  r.reserve(list.size() + separator.size() + item.size());
  r += list;
  r += separator;
  r += item;
  return r;
}

String AddToListWithSeparatorIfNeeded(const String& list, const String& item, Char separator) {
  return AddToListWithSeparatorIfNeeded(list, item, String(1, separator));
}

String BackwardsAddToListWithSeparatorIfNeeded(const String& list, const String& item, const String& separator) {
  if (list.empty()) return item;
  String r;
  r.reserve(list.size() + separator.size() + item.size());
  r += item;
  r += separator;
  r += list;
  return r;
}

String BackwardsAddToListWithSeparatorIfNeeded(const String& list, const String& item, Char separator) {
  return BackwardsAddToListWithSeparatorIfNeeded(list, item, String(1, separator));
}

String StringListToString(Char separator, const TStrings* list, Int32 firstLine, Int32 maxLength) {
  return JoinLines(separator, list, firstLine, true, maxLength);
}

String StringListToString(Char separator, const TStrings* list) { return JoinLines(separator, list, 0, false, 0); }

// ---------------------------------------------------------------------------
// Splitting

Int32 StringToStringlist(Char separator, const String& text, TStrings* list) {
  if (list == nullptr) return 0;
  list->Clear();
  if (text.empty()) return 0;
  const bool withPositions = CanHoldPositions(list);
  list->BeginUpdate();
  size_t start = 0;
  TTimedYield yield;
  for (;;) {
    const size_t p = text.find(separator, start);
    const size_t end = p == String::npos ? text.size() : p;
    yield.Tick(end - start + 1);
    AddPiece(list, text.substr(start, end - start), static_cast<Int32>(start + 1), withPositions);
    if (p == String::npos) break;
    start = p + 1;
  }
  list->EndUpdate();
  return list->Count();
}

Int32 StartPositionOfLine(const TStrings* list, Int32 index) {
  if (list == nullptr || index < 0 || index >= list->Count()) return 0;
  return static_cast<Int32>(reinterpret_cast<std::intptr_t>(list->Objects(index)));
}

Int32 StringToStringListDoubleQuotesEqualsOneChunk(Char separator, const String& text, TStrings* list) {
  if (list == nullptr) return 0;
  list->Clear();
  if (text.empty()) return 0;
  const bool withPositions = CanHoldPositions(list);
  list->BeginUpdate();
  String piece;
  Int32 pieceStart = 1;
  bool inside = false;
  bool justClosed = false;  // the piece was added by a closing quote
  const Int32 n = Len(text);
  TTimedYield yield;
  for (Int32 i = 1; i <= n; ++i) {
    yield.Tick();
    const Char c = text[static_cast<size_t>(i - 1)];
    if (c == u'"') {
      inside = !inside;
      if (!inside) {
        AddPiece(list, piece, pieceStart, withPositions);
        piece.clear();
        pieceStart = i + 1;
        justClosed = true;
      }
      continue;
    }
    if (c == separator && !inside) {
      // After a closing quote the piece has been added already.
      if (!justClosed) AddPiece(list, piece, pieceStart, withPositions);
      piece.clear();
      pieceStart = i + 1;
      justClosed = false;
      continue;
    }
    piece.push_back(c);
    justClosed = false;
  }
  if (!justClosed) AddPiece(list, piece, pieceStart, withPositions);
  list->EndUpdate();
  const Int32 count = list->Count();
  return inside ? -count : count;
}

std::vector<std::unique_ptr<TUTF8Stringlist>> ArrayOfStringlists(const TStrings* list, Char separator) {
  std::vector<std::unique_ptr<TUTF8Stringlist>> result;
  if (list == nullptr) return result;
  TTimedYield yield;
  for (Int32 i = 0; i < list->Count(); ++i) {
    yield.Tick();
    const String line = list->Strings(i);
    if (line.empty()) continue;
    auto pieces = std::make_unique<TUTF8Stringlist>();
    StringToStringlist(separator, line, pieces.get());
    result.push_back(std::move(pieces));
  }
  return result;
}

std::unique_ptr<TUTF8Stringlist> CommaSeparatedStrings(const String& text) {
  auto list = std::make_unique<TUTF8Stringlist>();
  size_t start = 0;
  TTimedYield yield;
  for (;;) {
    yield.Tick();
    const size_t p = text.find(u',', start);
    if (p == String::npos) {
      String last = Trim(text.substr(start));
      if (!last.empty()) list->Add(last);
      break;
    }
    list->Add(Trim(text.substr(start, p - start)));
    start = p + 1;
  }
  return list;
}

TTwoStringsRec StringHalvesSplitAtMark(const String& text, const String& mark) {
  TTwoStringsRec r;
  const size_t p = mark.empty() ? String::npos : text.find(mark);
  if (p == String::npos) {
    r.first = text;
    return r;
  }
  r.first = text.substr(0, p);
  r.second = text.substr(p + mark.size());
  return r;
}

std::unique_ptr<TUTF8Stringlist> StringToStringlistWithLineWidth(const String& text, Int32 width) {
  auto list = std::make_unique<TUTF8Stringlist>();
  if (width < 1) {
    list->Add(text);
    return list;
  }
  // A surrogate pair is one character: no line ends between its halves.
  auto splitsAPair = [&text](size_t i) { return i > 0 && i < text.size() && U16_IS_TRAIL(text[i]) && U16_IS_LEAD(text[i - 1]); };
  const size_t n = text.size();
  const size_t w = static_cast<size_t>(width);
  size_t s = 0;  // 0-based start of the line
  for (;;) {
    if (n - s <= w) {
      list->Add(text.substr(s));
      break;
    }
    // A space at s + w (the character just past a full line) down to s + 1:
    // the line ends before it and the space is dropped.
    size_t k = s + w;
    while (k > s && text[k] != u' ') --k;
    if (k > s) {
      list->Add(text.substr(s, k - s));
      s = k + 1;
      continue;
    }
    // Else the last non-letter-or-digit that fits in the line ends it (a
    // pair counts as one character, and only when both halves fit).
    k = s + w - 1;
    while (k > s) {
      if (splitsAPair(k + 1)) {  // the pair's second half does not fit
        --k;
        continue;
      }
      if (splitsAPair(k)) {
        if (k - 1 > s && !u_isalnum(U16_GET_SUPPLEMENTARY(text[k - 1], text[k]))) break;
        k = k - 1 > s ? k - 2 : s;  // past both halves
        continue;
      }
      if (!IsLetterOrDigit(text[k])) break;
      --k;
    }
    if (k > s) {
      list->Add(text.substr(s, k + 1 - s));
      s = k + 1;
      continue;
    }
    // Else the width in characters; a pair that would be cut goes to the
    // next line, unless it starts the line (then the line is the pair).
    size_t end = s + w;
    if (splitsAPair(end)) end = end - 1 > s ? end - 1 : end + 1;
    list->Add(text.substr(s, end - s));
    if (end == n) break;  // a pair longer than the width was the rest
    s = end;
  }
  return list;
}

String StringInNCharacterChunks(const String& text, const String& prefix, const String& delimiter, Int32 n) {
  String out;
  size_t s = 0;
  const size_t minLen = n > 0 ? static_cast<size_t>(n) : 0;
  if (!delimiter.empty()) {
    for (;;) {
      if (s + minLen > text.size()) break;
      const size_t p = text.find(delimiter, s + minLen);
      if (p == String::npos) break;
      const size_t lineEnd = p + delimiter.size();
      out += prefix;
      out.append(text, s, lineEnd - s);
      out += u"\r\n";
      s = lineEnd;
    }
  }
  out += prefix;
  out.append(text, s, String::npos);
  return out;
}

// A line ends at a CR or at an LF, so that texts with LF-only line ends (the
// usual form on this system) get their lines as CR LF texts do.
std::vector<TStartFinishIntegerRec> CRLF_LRs(const String& text) {
  std::vector<TStartFinishIntegerRec> spans;
  spans.reserve(2000);
  const Int32 n = Len(text);
  Int32 lineStart = 1;
  for (Int32 i = 1; i < n; ++i) {
    if (!IsCRorLF(text[static_cast<size_t>(i - 1)])) continue;
    spans.push_back({lineStart, i});
    Int32 j = i + 1;
    while (j <= n - 1 && IsCRorLF(text[static_cast<size_t>(j - 1)])) ++j;
    lineStart = j;
    i = j - 1;
  }
  Int32 f = n;
  while (f >= 2 && IsCRorLF(text[static_cast<size_t>(f - 1)])) --f;
  spans.push_back({lineStart, f + 1});
  spans.shrink_to_fit();
  return spans;
}

// ---------------------------------------------------------------------------
// Stripping and cleaning

String StrippedMultipleSpaces(const String& text) {
  String out;
  out.reserve(text.size());
  bool lastWasSpace = false;
  TTimedYield yield;
  for (Char c : text) {
    yield.Tick();
    const bool space = c == u' ';
    if (!(space && lastWasSpace)) out.push_back(c);
    lastWasSpace = space;
  }
  return Fitted(std::move(out));
}

String StrippedMultipleSpacesOrBelow(const String& text) { return RunsBelowAsOneSpace(text, 0x21); }

String ReplacedCRLF(const String& text) { return RunsBelowAsOneSpace(text, 0x20); }

String StrippedOfChar(const String& text, Char c) {
  String out;
  out.reserve(text.size());
  TTimedYield yield;
  for (Char x : text) {
    yield.Tick();
    if (x != c) out.push_back(x);
  }
  return Fitted(std::move(out));
}

String StrippedOfChar(const String& text, Char c, std::vector<Int32>& positions) {
  positions.clear();
  positions.reserve(1000);
  String out;
  out.reserve(text.size());
  TTimedYield yield;
  for (size_t i = 0; i < text.size(); ++i) {
    yield.Tick();
    if (text[i] == c)
      positions.push_back(static_cast<Int32>(i + 1));
    else
      out.push_back(text[i]);
  }
  positions.shrink_to_fit();
  return Fitted(std::move(out));
}

String StrippedOfChars(const String& text, const String& chars) {
  const TCharSet set(chars);
  String out;
  out.reserve(text.size());
  TTimedYield yield;
  for (Char x : text) {
    yield.Tick();
    if (!set.Contains(x)) out.push_back(x);
  }
  return Fitted(std::move(out));
}

String StrippedOfCommas(const String& text) { return RemovedCharStr(text, u','); }

String RemovedCharStr(const String& text, Char c) {
  String out;
  out.reserve(text.size());
  for (Char x : text)
    if (x != c) out.push_back(x);
  return Fitted(std::move(out));
}

String RemovedInitialChar(const String& text, Char c) {
  if (!text.empty() && text[0] == c) return text.substr(1);
  return text;
}

String StrippedDoubleStrs(const String& text, const String& s) {
  if (s.empty() || text.size() < s.size()) return text;
  // The working text is out (written so far) followed by text[r..]; a copy
  // deleted from the working text is simply skipped in the source.
  const size_t L = s.size();
  String out;
  out.reserve(text.size());
  size_t r = 0;  // next unread source index
  size_t q = 0;  // where the next search starts, in working-text positions
  auto charAt = [&](size_t pos) { return pos < out.size() ? out[pos] : text[r + (pos - out.size())]; };
  auto workingLen = [&]() { return out.size() + (text.size() - r); };
  auto matchesAt = [&](size_t pos) {
    if (pos + L > workingLen()) return false;
    for (size_t k = 0; k < L; ++k)
      if (charAt(pos + k) != s[k]) return false;
    return true;
  };
  for (;;) {
    // Occurrences that begin in the part already written (fewer than L
    // positions) are checked one by one; the rest is searched in the source.
    size_t p = String::npos;
    for (size_t pos = q; pos < out.size(); ++pos) {
      if (matchesAt(pos)) {
        p = pos;
        break;
      }
    }
    if (p == String::npos) {
      const size_t from = r + (std::max(q, out.size()) - out.size());
      const size_t f = text.find(s, from);
      if (f == String::npos) break;
      p = out.size() + (f - r);
    }
    // Move everything up to the end of this copy into out.
    const size_t need = p + L;
    if (need > out.size()) {
      const size_t take = need - out.size();
      out.append(text, r, take);
      r += take;
    }
    // A second copy right after it is deleted.
    if (text.size() - r >= L && text.compare(r, L, s) == 0) r += L;
    q = p + 1;
  }
  out.append(text, r, String::npos);
  return Fitted(std::move(out));
}

String StrippedSpacesBeforePunctuation(const String& text) {
  const size_t n = text.size();
  String out;
  out.reserve(n);
  // The character that decides for a space at i is the first visible one
  // after it; every space of a run shares it, so it is found once per run.
  size_t decider = 0;
  bool decision = false;
  for (size_t i = 0; i < n; ++i) {
    const Char c = text[i];
    if (c != u' ') {
      out.push_back(c);
      continue;
    }
    if (decider <= i) {
      decider = i + 1;
      while (decider < n && !IsLetterOrDigitAt(text, decider) && !IsVisible(text[decider])) ++decider;
      decision = decider < n && !IsLetterOrDigitAt(text, decider) && IsPunctuation(text[decider]);
    }
    if (!decision) out.push_back(c);
  }
  return out;
}

String StrippedMultipleLineEnds(const String& text) {
  const size_t n = text.size();
  String out;
  out.reserve(n);
  for (size_t i = 0; i < n; ++i) {
    out.push_back(text[i]);
    if (text[i] != kCR) continue;
    size_t j = i + 1;
    while (j + 1 < n && IsCRorLF(text[j])) ++j;
    i = j - 1;
  }
  return out;
}

String WideTrimSpaceOnly(const String& text) {
  size_t b = 0;
  size_t e = text.size();
  while (b < e && IsWhiteSpace(text[b])) ++b;
  while (e > b && IsWhiteSpace(text[e - 1])) --e;
  return text.substr(b, e - b);
}

void ClearAStringBelowSpace(String& text) {
  for (Char& c : text)
    if (c < 0x20) c = u' ';
}

String ClearedStringBelowSpace(const String& text) {
  String r = text;
  ClearAStringBelowSpace(r);
  return r;
}

void ReplaceCRLFWithBlanks(String& text) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != kCR) continue;
    text[i] = u' ';
    if (i + 1 < text.size() && text[i + 1] == kLF) text[++i] = u' ';
  }
}

String ParaDivHeadingEndToCRLF(const String& text) {
  String r = StringReplace(text, u"</p>", u"\r\n", rfReplaceAll | rfIgnoreCase);
  r = StringReplace(r, u"</div>", u"\r\n", rfReplaceAll | rfIgnoreCase);
  return StringReplace(r, u"</head>", u"\r\n", rfReplaceAll | rfIgnoreCase);
}

String DoubleQuotesAdded(const String& text) {
  const String inner = Trim(text);
  String r;
  r.reserve(inner.size() + 2);
  r.push_back(u'"');
  r += inner;
  r.push_back(u'"');
  return r;
}

String DoubleQuotesRemoved(const String& text) { return RemovedCharStr(Trim(text), u'"'); }

String AcceptableShortFilename(const String& text) {
  String r = text;
  for (Char& c : r) {
    switch (c) {
      case u'*': case u':': c = u'-'; break;
      case u'<': c = u'('; break;
      case u'>': c = u')'; break;
      case u'"': case u'/': case u'\\': case u'?': case u'|': c = u' '; break;
      default:
        if (c < 0x20) c = u' ';
        break;
    }
  }
  return r;
}

String UnderscoredStr(const String& text) { return ReplacedCharWithChar(u' ', u'_', text); }

String WithoutDotDefaultExt(const String& ext) {
  if (ext.size() > 1 && ext[0] == u'.') return ext.substr(1);
  return ext;
}

String BackwardsStr(const String& text) {
  // Characters in reverse order: a surrogate pair keeps its halves in order.
  String r(text.rbegin(), text.rend());
  for (size_t i = 0; i + 1 < r.size(); ++i) {
    if (U16_IS_TRAIL(r[i]) && U16_IS_LEAD(r[i + 1])) {
      std::swap(r[i], r[i + 1]);
      ++i;
    }
  }
  return r;
}

String StringWithACheckMarkAtEnd(const String& text) {
  constexpr Char kCheckMark = 0x2713;
  if (text.find(kCheckMark) != String::npos) return text;
  String r = text;
  r.push_back(u' ');
  r.push_back(kCheckMark);
  return r;
}

// ---------------------------------------------------------------------------
// Replacing

Int32 Replace1With2In(Char c1, Char c2, String& text) {
  Int32 count = 0;
  TTimedYield yield;
  for (Char& c : text) {
    if (c != c1) continue;
    c = c2;
    ++count;
    yield.Tick();
  }
  return count;
}

Int32 Replace1With2In(AnsiChar c1, AnsiChar c2, AnsiString& text) {
  Int32 count = 0;
  TTimedYield yield;
  for (AnsiChar& c : text) {
    if (c != c1) continue;
    c = c2;
    ++count;
    yield.Tick();
  }
  return count;
}

String ReplacedCharWithChar(Char c1, Char c2, const String& text) {
  String r = text;
  std::replace(r.begin(), r.end(), c1, c2);
  return r;
}

Int32 Replace2With4In(Char a, Char b, Char c, Char d, String& text) {
  const Int32 n1 = Replace1With2In(a, c, text);
  return n1 + Replace1With2In(b, d, text);
}

String ReplaceAnyOfTheseWithChar(const String& text, const String& chars, Char c) {
  const TCharSet set(chars);
  String r = text;
  for (Char& x : r)
    if (set.Contains(x)) x = c;
  return r;
}

void ReplaceEachOfTheseWithEachOfChar(String& text, const String& from, const String& to) {
  const size_t k = std::min(from.size(), to.size());
  if (text.empty() || k == 0) return;
  // Applying the pairs in order to one character gives the same result as
  // applying each pair to the whole text in turn, so each character of the
  // text is mapped once through the composed pairs.
  std::vector<std::pair<Char, Char>> map;
  map.reserve(k);
  for (size_t i = 0; i < k; ++i) {
    const Char x = from[i];
    Char v = x;
    for (size_t j = 0; j < k; ++j)
      if (v == from[j]) v = to[j];
    map.emplace_back(x, v);
  }
  std::sort(map.begin(), map.end());
  map.erase(std::unique(map.begin(), map.end(), [](auto& a, auto& b) { return a.first == b.first; }), map.end());
  for (Char& c : text) {
    auto it = std::lower_bound(map.begin(), map.end(), c, [](const auto& e, Char v) { return e.first < v; });
    if (it != map.end() && it->first == c) c = it->second;
  }
}

String ReplaceWholeWord(const String& text, const String& find, const String& replacement, bool caseSensitive,
                        Int32& count) {
  if (find.empty() || text.size() < find.size()) return text;
  // Without case the text is searched in place, as its upper case would be:
  // finds, and the neighbours the whole-word test reads, are taken from the
  // upper case of the units.
  const TUpperView view(text);
  const String sought = caseSensitive ? find : AnsiUpperCase(find);
  const size_t L = sought.size();
  auto next = [&](size_t from) {
    return caseSensitive ? text.find(sought, from) : UpperedFind(view, text, sought, from);
  };
  // Upper-casing keeps a letter a letter and leaves surrogates alone, so the
  // neighbours are tested in the text itself, by whole characters.
  auto wholeWord = [&](size_t p) {
    // A mark after the find (a vowel sign, an accent) continues the word.
    const bool left = p == 0 || !IsWordCharAt(text, p - 1);
    return left && (p + L == text.size() || !IsWordCharAt(text, p + L));
  };
  String out;
  out.reserve(text.size());
  size_t copied = 0;  // text before this index is in out already
  size_t p = next(0);
  while (p != String::npos) {
    // An occurrence overlapping one already replaced is left alone.
    if (p >= copied && wholeWord(p)) {
      out.append(text, copied, p - copied);
      out += replacement;
      copied = p + L;
      ++count;
    }
    p = next(p + 1);
  }
  out.append(text, copied, String::npos);
  return Fitted(std::move(out));
}

// ---------------------------------------------------------------------------
// Finding regardless of case

Int32 CaseInsensitiveUpperedPosEx(const String& upperSub, const String& text, Int32 offset) {
  if (upperSub.empty() || offset < 1) return 0;
  const size_t p = UpperedFind(TUpperView(text), text, upperSub, static_cast<size_t>(offset - 1));
  return p == String::npos ? 0 : static_cast<Int32>(p + 1);
}

Int32 CaseInsensitivePosEx(const String& sub, const String& text, Int32 offset) {
  return CaseInsensitiveUpperedPosEx(AnsiUpperCase(sub), text, offset);
}

Int32 CaseInsensitiveUpperedPos(const String& upperSub, const String& text) {
  return CaseInsensitiveUpperedPosEx(upperSub, text, 1);
}

Int32 CaseInsensitivePos(const String& sub, const String& text) {
  return CaseInsensitiveUpperedPosEx(AnsiUpperCase(sub), text, 1);
}

// ---------------------------------------------------------------------------
// Characters around a position

Int32 NextOrLastNonSpaceCharPos(Int32 pos, const String& text, bool backwards) {
  const Int32 n = Len(text);
  if (backwards) {
    for (Int32 i = std::min(pos - 1, n); i >= 1; --i)
      if (IsVisible(text[static_cast<size_t>(i - 1)])) return i;
  } else {
    for (Int32 i = std::max(pos + 1, 1); i <= n; ++i)
      if (IsVisible(text[static_cast<size_t>(i - 1)])) return i;
  }
  return -1;
}

Char NextOrLastNonSpaceChar(Int32 pos, const String& text, bool backwards) {
  const Int32 p = NextOrLastNonSpaceCharPos(pos, text, backwards);
  return p > 0 ? text[static_cast<size_t>(p - 1)] : Char(0);
}

bool NextValidCharIsPunctuation(Int32 pos, const String& text) {
  const Int32 n = Len(text);
  for (Int32 i = std::max(pos, 1); i <= n; ++i) {
    const Char c = text[static_cast<size_t>(i - 1)];
    if (IsLetterOrDigitAt(text, static_cast<size_t>(i - 1))) return false;
    if (IsVisible(c)) return IsPunctuation(c);
  }
  return false;
}

bool LastCharIsNotPunctuation(const String& text) {
  for (size_t i = text.size(); i > 0; --i) {
    switch (u_charType(static_cast<UChar32>(CodePointOfUnitAt(text, i - 1)))) {
      case U_DECIMAL_DIGIT_NUMBER: case U_LETTER_NUMBER: case U_OTHER_NUMBER: case U_CURRENCY_SYMBOL:
      case U_LOWERCASE_LETTER: case U_TITLECASE_LETTER: case U_UPPERCASE_LETTER:
        return true;
      case U_CONNECTOR_PUNCTUATION: case U_DASH_PUNCTUATION: case U_START_PUNCTUATION: case U_END_PUNCTUATION:
      case U_INITIAL_PUNCTUATION: case U_FINAL_PUNCTUATION: case U_OTHER_PUNCTUATION:
        return false;
      default:
        break;
    }
  }
  return false;
}

Char FirstCharIsLowerCase(const String& text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const Char c = text[i];
    switch (u_charType(static_cast<UChar32>(CodePointOfUnitAt(text, i)))) {
      case U_LOWERCASE_LETTER:
        return c;
      case U_UPPERCASE_LETTER: case U_TITLECASE_LETTER: case U_DECIMAL_DIGIT_NUMBER: case U_LETTER_NUMBER:
      case U_OTHER_NUMBER: case U_CURRENCY_SYMBOL:
        return 0;
      default:
        break;
    }
  }
  return 0;
}

Int32 FirstCharPosAboveSpace(const String& text) {
  for (size_t i = 0; i < text.size(); ++i)
    if (text[i] > 0x20) return static_cast<Int32>(i + 1);
  return -1;
}

String FirstCharGuaranteedAs(const String& text, Char c, bool addIfMissing, bool removeIfPresent) {
  const bool first = !text.empty() && text[0] == c;
  if (removeIfPresent && first) return text.substr(1);
  if (addIfMissing && !first) return String(1, c) + text;
  return text;
}

// ---------------------------------------------------------------------------
// Similarity tests

Int32 NCharStringsPresentInText(const String& text, const std::vector<String>& strings) {
  Int32 count = 0;
  for (size_t i = 0; i < strings.size(); ++i) {
    if (!strings[i].empty() && text.find(strings[i]) != String::npos) {
      ++count;
    } else if (count < static_cast<Int32>(i / 4)) {
      break;
    }
  }
  return count;
}

bool TextAContainsAnNCharStringFromTextB(const std::array<Int32, 5>& percents, Int32 n, const String& textA,
                                         const String& textB) {
  for (Int32 percent : percents) {
    Int64 start = static_cast<Int64>(textA.size()) * percent / 100;
    if (start < 1) start = 1;  // position 0 reads as 1, as does a negative one
    if (start > static_cast<Int64>(textA.size())) continue;
    const String piece = Copy(textA, static_cast<Int32>(start), n);
    if (!piece.empty() && textB.find(piece) != String::npos) return true;
  }
  return false;
}

bool LeftMostPercentBelowOrMatch(Int32 percent, const String& a, const String& b) {
  if (Compare2Strings(b, a) < 0) return true;
  const Int64 k = static_cast<Int64>(a.size()) * percent / 100;
  const Int32 count = static_cast<Int32>(std::clamp<Int64>(k, 0, INT32_MAX));
  return Copy(a, 1, count) == Copy(b, 1, count);
}

Int32 SimilarShortFilenames(const String& a, const String& b) {
  if (a == b) return 0;
  if (a.size() != b.size() && FilenamesMatchingApartFromNumber(a, b)) return 1;
  return Compare2Strings(a, b) < 0 ? 2 : 3;
}

Int32 CompareSimilarShortFilenames(const String& a, const String& b) {
  const Int32 r = SimilarShortFilenames(a, b);
  if (r == 0 || r == 1) return 0;
  return Compare2Strings(a, b);
}

// ---------------------------------------------------------------------------
// Code pages and case

AnsiString ConvertedFromString(Cardinal codePage, const Char* wideText) {
  if (wideText == nullptr) return AnsiString();
  const size_t n = std::char_traits<Char>::length(wideText);
  if (n == 0 || n > static_cast<size_t>(INT32_MAX / 4)) return AnsiString();
  // Room for every character at the code page's widest, so that text in a
  // multi-byte code page is not lost.
  const Int32 perChar = std::max<Int32>(CodePageMaxCharSize(ResolveCodePage(codePage)), 1);
  AnsiString out(n * static_cast<size_t>(std::min<Int32>(perChar, 4)), '\0');
  const Int32 written = WideCharToMultiByte(codePage, 0, wideText, static_cast<Int32>(n), out.data(),
                                            static_cast<Int32>(out.size()), nullptr, nullptr);
  out.resize(written > 0 ? static_cast<size_t>(written) : 0);
  return out;
}

AnsiString ConvertedFromStringForLCID(Cardinal lcid, const Char* wideText) {
  return ConvertedFromString(LCIDToCodePage(lcid), wideText);
}

AnsiString ConvertedFromString(const Char* wideText) { return ConvertedFromString(GetACP(), wideText); }

void Capitalise(Cardinal lcid, Char* wideText) {
  if (wideText == nullptr) return;
  const size_t n = std::char_traits<Char>::length(wideText);
  if (n == 0 || n > static_cast<size_t>(INT32_MAX)) return;
  LCMapStringW(lcid, LCMAP_UPPERCASE | LCMAP_LINGUISTIC_CASING, wideText, static_cast<Int32>(n), wideText,
               static_cast<Int32>(n));
}

// ---------------------------------------------------------------------------
// List helpers

void ForceItemsToInclude(TStrings* list, Int32 n) {
  if (list == nullptr) return;
  const String s = IntToStr(n);
  if (list->IndexOf(s) >= 0) return;
  Int32 before = -1;
  for (Int32 i = 0; i < list->Count(); ++i) {
    const Int32 v = StrToInt(list->Strings(i));
    if (v > n && before < n) {
      list->Insert(i, s);
      return;
    }
    before = v;
  }
  list->Add(s);
}

void RandomReduceStringlist(TStrings* list, Int32 n) {
  if (list == nullptr) return;
  const Int32 keep = std::max(n, 0);
  const Int32 count = list->Count();
  if (count <= keep) return;
  // The lines to go are drawn as deleting them one at a time would draw
  // them: Random of the count left, which picks among the lines still there.
  // A Fenwick tree of the lines still there finds the line each draw means.
  const auto size = static_cast<size_t>(count);
  std::vector<Int32> tree(size + 1, 0);
  for (size_t i = 1; i <= size; ++i) {
    tree[i] += 1;
    const size_t up = i + (i & (~i + 1));
    if (up <= size) tree[up] += tree[i];
  }
  size_t topBit = 1;
  while (topBit * 2 <= size) topBit *= 2;
  std::vector<bool> drop(size, false);
  for (Int32 left = count; left > keep; --left) {
    // The (r + 1)-th line still there, 0-based.
    Int32 r = Random(left);
    size_t pos = 0;
    for (size_t bit = topBit; bit != 0; bit /= 2) {
      if (pos + bit <= size && tree[pos + bit] <= r) {
        pos += bit;
        r -= tree[pos];
      }
    }
    drop[pos] = true;
    for (size_t i = pos + 1; i <= size; i += i & (~i + 1)) tree[i] -= 1;
  }
  // The lines kept are moved to the front in their order, and the rest are
  // deleted from the end, so that no deletion moves the lines after it. The
  // list reports one change.
  TUpdateScope scope(*list);
  Int32 to = 0;
  for (Int32 from = 0; from < count; ++from) {
    if (drop[static_cast<size_t>(from)]) continue;
    if (from != to) list->Exchange(to, from);
    ++to;
  }
  for (Int32 last = count - 1; last >= to; --last) list->Delete(last);
}

}  // namespace sk
