#include "core/My_string_functions_words.h"

#include <unicode/uchar.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/Basic_processes.h"
#include "core/Generalruntime1const.h"
#include "core/Global_vars.h"
#include "core/My_string_functions_charclass.h"
#include "core/Sentence_terminators.h"
#include "core/Useful_classes_base_stringlists.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/QuickSort.h"
#include "platform/runtime/Strings.h"

namespace sk {

namespace {

// Letters (L*) and decimal digits (Nd) of ASCII, so that the common case needs
// no property lookup.
constexpr std::array<bool, 128> kAsciiAlnum = [] {
  std::array<bool, 128> t{};
  for (int c = '0'; c <= '9'; ++c) t[c] = true;
  for (int c = 'A'; c <= 'Z'; ++c) t[c] = true;
  for (int c = 'a'; c <= 'z'; ++c) t[c] = true;
  return t;
}();

// The tests take the unit's index, not the unit: a character outside the Basic
// Multilingual Plane is tested by its code point, so both halves of its
// surrogate pair answer as the character does.
// A mark (a vowel sign, a harakah, a combining accent) counts with the
// letters, as the character classes count it, so that it never ends a word:
// "नमस्ते" is one word, not "नमस" and "त".
inline bool IsLetterOrDigit(const Char* t, size_t n, size_t i) {
  const Char c = t[i];
  return c < 128 ? kAsciiAlnum[c] : IsWordCharAt(t, n, i);
}
inline int8_t CategoryAt(const Char* t, size_t n, size_t i) {
  return u_charType(static_cast<UChar32>(CodePointOfUnitAt(t, n, i)));
}
inline bool IsLetterOrDigit(const String& s, size_t i) { return IsLetterOrDigit(s.data(), s.size(), i); }
inline bool IsLetter(const String& s, size_t i) {
  return u_isalpha(static_cast<UChar32>(CodePointOfUnitAt(s, i))) != 0;
}
inline bool IsDigit(const String& s, size_t i) { return CategoryAt(s.data(), s.size(), i) == U_DECIMAL_DIGIT_NUMBER; }
inline bool IsLower(const String& s, size_t i) { return CategoryAt(s.data(), s.size(), i) == U_LOWERCASE_LETTER; }
inline bool IsUpper(const String& s, size_t i) { return CategoryAt(s.data(), s.size(), i) == U_UPPERCASE_LETTER; }
inline Int32 Len(const String& s) { return static_cast<Int32>(s.size()); }

template <size_t N>
bool InSortedTable(const std::array<Char, N>& table, Char c) {
  return std::binary_search(table.begin(), table.end(), c);
}

bool IsPunctNotEndingSentence(Char c) { return c > 0x00BF && InSortedTable(punct_not_ending_sent, c); }

// Trimmed copy of the 1-based span from..to (empty when to < from).
String TrimmedSpan(const String& text, Int32 from, Int32 to) {
  if (to < from) return String();
  return Trim(Copy(text, from, to - from + 1));
}

// ASCII and Latin-1 punctuation that never ends a sentence in the paragraph
// splitter: quotes, number and percent signs, ampersand, apostrophe,
// asterisk, comma, slash, colon, semicolon, at sign, backslash, inverted
// exclamation mark, middle dot and inverted question mark.
bool IsNonEndingLatinPunct(Char c) {
  switch (c) {
    case 0x22: case 0x23: case 0x25: case 0x26: case 0x27: case 0x2A: case 0x2C: case 0x2F:
    case 0x3A: case 0x3B: case 0x40: case 0x5C: case 0xA1: case 0xB7: case 0xBF:
      return true;
    default:
      return false;
  }
}

// Collation keys under the string lists' own rule of equal lines (locale
// collation ignoring case): two words have the same key exactly when such a
// list takes them for the same line, so a list that is not sorted by text
// can be searched through a hash of the keys instead of line by line.
class TCollationKeyIndex {
 public:
  std::string KeyOf(const String& s) {
    if (s.empty()) return std::string();
    fBuf.resize(s.size() * 4 + 64);
    Int32 n = LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE, s.data(), Len(s),
                           reinterpret_cast<Char*>(fBuf.data()), static_cast<Int32>(fBuf.size()));
    if (n <= 0) {
      n = LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE, s.data(), Len(s), nullptr, 0);
      if (n <= 0) return StringToUtf8(s);  // no collator: fall back to exact text
      fBuf.resize(static_cast<size_t>(n));
      n = LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE, s.data(), Len(s),
                       reinterpret_cast<Char*>(fBuf.data()), n);
      if (n <= 0) return StringToUtf8(s);
    }
    return std::string(fBuf.data(), static_cast<size_t>(n));
  }

 private:
  std::string fBuf;
};

// Counts words (or grams) for a frequency list. Spellings that the list
// would take for one line (the same collation key) share one count, and the
// first spelling met is the line's text, as when each word is added to the
// list in turn. The counts are gathered beside the list and written into it
// once, by Flush: a list sorted by text then receives its lines in ascending
// order, each landing at the end, instead of one insertion into the middle of
// the list per new word, which made a text of many distinct words quadratic.
//
// Each token is hashed once, as a view of the text, in a flat table of the
// spellings met so far: a spelling already met costs no allocation and no
// string; a string and a collation key are made only for a new spelling.
class TFrequencyCounter {
 public:
  TFrequencyCounter() { fSlots.assign(kInitialSlots, TSlot{}); }

  // Count(s) is true when s is the first of its kind.
  bool Count(std::u16string_view s) {
    const UInt64 h = HashOf(s);
    const auto h32 = static_cast<Cardinal>(h >> 32);
    const auto len = static_cast<Cardinal>(s.size());
    size_t slot = static_cast<size_t>(h) & (fSlots.size() - 1);
    for (;;) {
      const TSlot& t = fSlots[slot];
      if (t.spelling == kEmpty) break;
      if (t.hash == h32) {
        const TSpelling& sp = fSpellings[t.spelling];
        if (sp.length == len && std::char_traits<Char>::compare(fArena.data() + sp.offset, s.data(), s.size()) == 0) {
          ++fCounts[sp.entry];
          return false;
        }
      }
      slot = (slot + 1) & (fSlots.size() - 1);
    }
    // A spelling not met before: it joins the line of its collation key, or
    // starts a new line.
    String text(s);
    std::string key = fKeys.KeyOf(text);
    bool first = false;
    size_t entry;
    auto it = fByKey.find(key);
    if (it != fByKey.end()) {
      entry = it->second;
      ++fCounts[entry];
    } else {
      entry = fEntries.size();
      fEntries.push_back(TEntry{std::move(text), std::move(key)});
      fCounts.push_back(1u);
      fByKey.emplace(fEntries.back().key, entry);
      first = true;
    }
    fSlots[slot] = TSlot{h32, static_cast<Cardinal>(fSpellings.size())};
    fSpellings.push_back(TSpelling{static_cast<Cardinal>(entry), static_cast<Cardinal>(fArena.size()), len});
    fArena.insert(fArena.end(), s.begin(), s.end());
    if (fSpellings.size() * 4 > fSlots.size() * 3) Grow();
    return first;
  }

  // Adds the counted lines to list, which is expected to be empty: in the
  // list's own order when it is sorted, else in order of first appearance.
  // The whole list is written: a Stop does not cut it short, it only yields.
  void Flush(TStringlistWithALongint& list) {
    const Int32 n = static_cast<Int32>(fEntries.size());
    std::vector<Int32> order(fEntries.size());
    for (Int32 i = 0; i < n; ++i) order[static_cast<size_t>(i)] = i;
    if (list.Sorted() && n > 1) {
      // Collation keys compare bytewise as their texts compare by collation.
      TTimedYield yield;
      QuickSortIndexes(
          0, n - 1,
          [&](Int32 a, Int32 b) {
            yield.Tick();
            const int c = fEntries[static_cast<size_t>(order[static_cast<size_t>(a)])].key.compare(
                fEntries[static_cast<size_t>(order[static_cast<size_t>(b)])].key);
            return c < 0 ? -1 : (c > 0 ? 1 : 0);
          },
          [&](Int32 a, Int32 b) { std::swap(order[static_cast<size_t>(a)], order[static_cast<size_t>(b)]); });
    }
    list.SetCapacity(list.Count() + n);
    // The lines come in the list's order, so each lands at the end; a clock
    // of its own, as these ticks cost far more than the comparisons'.
    TTimedYield yield;
    for (Int32 k : order) {
      yield.Tick();
      const size_t e = static_cast<size_t>(k);
      list.AddOneInOrder(fEntries[e].text, static_cast<Int32>(fCounts[e]));
      // Each line's strings are freed as it is written, so that a list of
      // hundreds of thousands of lines is not freed in one stretch at the end.
      String().swap(fEntries[e].text);
      std::string().swap(fEntries[e].key);
    }
    // The index of the keys goes node by node, yielding as it goes.
    for (auto it = fByKey.begin(); it != fByKey.end();) {
      yield.Tick();
      it = fByKey.erase(it);
    }
    fEntries.clear();
    fCounts.clear();
    fByKey.clear();
    fArena.clear();
    fSpellings.clear();
    fSlots.assign(kInitialSlots, TSlot{});
  }

 private:
  static constexpr Cardinal kEmpty = 0xFFFFFFFFu;
  static constexpr size_t kInitialSlots = 1024;  // a power of two

  // One line of the list: its text (the first spelling met) and the key
  // that its spellings share.
  struct TEntry {
    String text;
    std::string key;
  };
  // A slot of the table: part of a spelling's hash and the spelling.
  struct TSlot {
    Cardinal hash = 0;
    Cardinal spelling = kEmpty;
  };
  // One spelling met: its line and its units in the arena.
  struct TSpelling {
    Cardinal entry;
    Cardinal offset;
    Cardinal length;
  };

  // A 64-bit hash of the units, four at a time (one multiplication for the
  // words of up to four units that make most of a text).
  static UInt64 HashOf(std::u16string_view s) {
    const Char* p = s.data();
    size_t n = s.size();
    UInt64 h = static_cast<UInt64>(n) * 0xC2B2AE3D27D4EB4Full;
    while (n > 4) {
      UInt64 w;
      std::memcpy(&w, p, 8);
      h = (h ^ w) * 0x9E3779B97F4A7C15ull;
      h ^= h >> 32;
      p += 4;
      n -= 4;
    }
    UInt64 w = 0;
    std::memcpy(&w, p, n * sizeof(Char));
    h = (h ^ w) * 0x9E3779B97F4A7C15ull;
    return h ^ (h >> 29);
  }

  void Grow() {
    std::vector<TSlot> slots(fSlots.size() * 2);
    for (const TSlot& t : fSlots) {
      if (t.spelling == kEmpty) continue;
      const TSpelling& sp = fSpellings[t.spelling];
      const std::u16string_view text(fArena.data() + sp.offset, sp.length);
      size_t slot = static_cast<size_t>(HashOf(text)) & (slots.size() - 1);
      while (slots[slot].spelling != kEmpty) slot = (slot + 1) & (slots.size() - 1);
      slots[slot] = t;
    }
    fSlots.swap(slots);
  }

  std::vector<TEntry> fEntries;
  std::vector<uint32_t> fCounts;  // per line; wraps as the list's Int32 frequencies do
  std::unordered_map<std::string, size_t> fByKey;
  std::vector<Char> fArena;  // the units of every spelling met, one after another
  std::vector<TSpelling> fSpellings;
  std::vector<TSlot> fSlots;
  TCollationKeyIndex fKeys;
};

// Re-sorts a word list by descending frequency. The list's frequency sort reads
// its direction from global_reversed_sort; the flag is put back afterwards so
// that a later sort that takes no direction of its own runs as before.
void SortByDescendingFrequency(TStringlistWithALongint& list) {
  const bool saved = global_reversed_sort;
  global_reversed_sort = true;
  list.SetSorted(false);
  list.SortOnFreq();
  global_reversed_sort = saved;
}

}  // namespace

// ---------------------------------------------------------------------------
// Character and word predicates

bool IsPotentialSentenceTerminator(Char c) {
  if (c == u'!' || c == u'.' || c == u'?') return true;
  return c >= 0x0589 && InSortedTable(other_sent_terminators, c);
}

bool BoundedAtLeft(const String& text, Int32 start, Int32 /*finish*/) {
  if (start == 1) return true;
  if (start < 1 || start - 1 > Len(text)) return false;
  return !IsLetterOrDigit(text, static_cast<size_t>(start - 2));
}

bool BoundedAtRight(const String& text, Int32 /*start*/, Int32 finish) {
  const Int32 n = Len(text);
  if (finish == n) return true;
  if (finish > n || finish < 0) return false;
  return !IsLetterOrDigit(text, static_cast<size_t>(finish));
}

bool BoundedWholeWord(const String& text, Int32 start, Int32 finish) {
  return BoundedAtLeft(text, start, finish) && BoundedAtRight(text, start, finish);
}

bool WordHasNonLetterChar(const String& word) {
  if (word.empty()) return false;
  const bool hasOpen = word.find(u'<') != String::npos;
  const bool hasClose = word.find(u'>') != String::npos;
  for (size_t i = 0; i < word.size(); ++i) {
    const Char c = word[i];
    if (c == u'<') {
      if (!hasClose) return true;
    } else if (c == u'>') {
      if (!hasOpen) return true;
    } else if (!IsLetter(word, i)) {
      return true;
    }
  }
  return false;
}

bool StringHasUnMatchedAngleBrackets(const String& s) {
  const bool hasOpen = s.find(u'<') != String::npos;
  const bool hasClose = s.find(u'>') != String::npos;
  return hasOpen != hasClose;
}

bool IsAllUppercase(const String& s) {
  for (size_t i = 0; i < s.size(); ++i)
    if (IsLower(s, i)) return false;
  return true;
}

bool ContainsAPercent(const String& s) { return s.find(u'%') != String::npos; }

bool ContainsADigit(const String& s) {
  for (size_t i = 0; i < s.size(); ++i)
    if (IsDigit(s, i)) return true;
  return false;
}

Int32 NCharsInString(const String& s, Char c) { return static_cast<Int32>(std::count(s.begin(), s.end(), c)); }

Int32 NCharsBelowXInString(const String& s, Char c) {
  return static_cast<Int32>(std::count_if(s.begin(), s.end(), [c](Char x) { return x < c; }));
}

bool FirstLetterIsCapitalised(const String& s) { return !s.empty() && IsUpper(s, 0); }

bool NextWordCapitalised(const String& s, Int32 pos) {
  const Int32 n = Len(s);
  for (Int32 i = std::max(pos, 1); i <= n; ++i) {
    const size_t k = static_cast<size_t>(i - 1);
    if (IsLetterOrDigit(s, k)) return IsUpper(s, k);
  }
  return false;
}

Int32 FirstLetterOrDigitOfStr(const String& s) {
  for (size_t i = 0; i < s.size(); ++i)
    if (IsLetterOrDigit(s, i)) return static_cast<Int32>(i + 1);
  return -1;
}

String CharacterName(Cardinal code) {
  switch (code) {
    case 9: return LoadResString(&_QMTab);
    case 10: return LoadResString(&_QMLineFeed);
    case 11: return LoadResString(&_QMVerticalTab);
    case 12: return LoadResString(&_QMFormFeed);
    case 13: return LoadResString(&_QMCarriageReturn);
    case 32: return LoadResString(&_QMSpace);
    default: break;
  }
  if (code < 32) return LoadResString(&_QMControl);
  String ch;
  if (code > 0xFFFF && code <= 0x10FFFF) {
    const Cardinal v = code - 0x10000;
    ch.push_back(static_cast<Char>(0xD800 + (v >> 10)));
    ch.push_back(static_cast<Char>(0xDC00 + (v & 0x3FF)));
  } else {
    ch.push_back(static_cast<Char>(code > 0xFFFF ? 0xFFFD : code));
  }
  const String kind = (code >= u'0' && code <= u'9') ? LoadResString(&_QMNumber) : LoadResString(&_QMCharacter);
  return kind + u" \"" + ch + u"\"";
}

// ---------------------------------------------------------------------------
// Sentences

Int32 EndOfSentence(Int32 start, const String& text) {
  const Int32 n = Len(text);
  if (start > n) return -1;
  bool seen = false;
  for (Int32 i = std::max(start, 1); i <= n; ++i) {
    const Char c = text[static_cast<size_t>(i - 1)];
    if (IsLetterOrDigit(text, static_cast<size_t>(i - 1))) seen = true;
    if (!seen) continue;
    if (i == n) return i;
    if (i > 1 && IsPotentialSentenceTerminator(c) && !IsLetterOrDigit(text, static_cast<size_t>(i))) return i;
  }
  return -1;
}

Int32 FirstLetterOrDigitPosAfterSentenceEnd(const String& text, Int32 pos) {
  const Int32 n = Len(text);
  Int32 i = std::max(pos, 1);
  while (i < n && !IsLetterOrDigit(text, static_cast<size_t>(i - 1))) ++i;
  return i;
}

bool FirstCharAfterSentenceEndUpperCase(const String& text, Int32 pos) {
  const Int32 n = Len(text);
  if (pos >= n || pos < 0) return true;
  return !IsLower(text, static_cast<size_t>(pos));
}

Int32 FirstValidStartOfSentence(const String& text, Int32 pos) {
  Int32 p = FirstLetterOrDigitPosAfterSentenceEnd(text, pos);
  while (!FirstCharAfterSentenceEndUpperCase(text, p)) {
    // EndOfSentence finds an end at or after p + 1, so p grows every pass.
    const Int32 q = EndOfSentence(p + 1, text);
    if (q < 0) return q;
    p = FirstLetterOrDigitPosAfterSentenceEnd(text, q);
  }
  return p;
}

bool NextValidNotLowercase(const Char* q, const Char* limit) {
  if (q == nullptr || limit == nullptr) return false;
  // The units from q up to limit, so that a surrogate pair at either end is
  // read whole where both its halves lie inside.
  const size_t n = static_cast<size_t>(limit - q);
  for (const Char* r = q + 1; r < limit && *r != 0; ++r) {
    const size_t k = static_cast<size_t>(r - q);
    const int8_t category = CategoryAt(q, n, k);
    if (category == U_LOWERCASE_LETTER) return false;
    if (category == U_DECIMAL_DIGIT_NUMBER) return r != q + 1;
    if (IsLetterOrDigit(q, n, k)) return true;
  }
  return false;
}

const Char* NextAutoFoundSentenceEnd(const Char* p) {
  if (p == nullptr) return nullptr;
  size_t k = 0;
  while (k < 250 && p[k] != 0) ++k;
  const Char* limit = p + k;
  if (p >= limit) return p;
  for (const Char* q = p + 1; q < limit; ++q) {
    if ((*q == u'!' || *q == u'.' || *q == u'?') && NextValidNotLowercase(q, limit)) return q + 1;
  }
  return limit;
}

std::unique_ptr<TUTF8Stringlist> SentencesExtractedFromParagraph(bool addLast, Int32 minLength, const String& text) {
  auto list = std::make_unique<TUTF8Stringlist>();
  const Int32 n = Len(text);
  Int32 start = -1;
  Int32 count = 0;
  auto addSentence = [&](Int32 finish) {
    if (start < 1) return;
    String s = TrimmedSpan(text, start, finish);
    if (Len(s) > minLength) list->Add(s);
  };
  for (Int32 i = 1; i <= n; ++i) {
    if (addLast && i == n) {
      addSentence(i);
      continue;
    }
    const Char c = text[static_cast<size_t>(i - 1)];
    switch (CategoryAt(text.data(), text.size(), static_cast<size_t>(i - 1))) {
      case U_LOWERCASE_LETTER:
      case U_MODIFIER_LETTER:
      case U_NON_SPACING_MARK:
      case U_COMBINING_SPACING_MARK:
      case U_ENCLOSING_MARK:
        ++count;
        break;
      case U_OTHER_LETTER:
      case U_TITLECASE_LETTER:
      case U_UPPERCASE_LETTER:
      case U_DECIMAL_DIGIT_NUMBER:
      case U_LETTER_NUMBER:
      case U_OTHER_NUMBER:
        if (start < 1) start = i;
        ++count;
        break;
      case U_OTHER_PUNCTUATION: {
        if (count < minLength || start < 1 || !IsPotentialSentenceTerminator(c)) break;
        if (i < n && IsDigit(text, static_cast<size_t>(i))) break;
        addSentence(i);
        count = 0;
        start = -1;
        if (i < n && IsLower(text, static_cast<size_t>(i))) {
          // A lower-case letter after the mark: not a real sentence start, so
          // the text up to the next sentence end is passed over.
          const Int32 q = EndOfSentence(i, text);
          if (q < 0) return list;
          i = q;
        }
        break;
      }
      default:
        break;
    }
  }
  return list;
}

namespace {

// Cuts text at every occurrence of separator; the character after each
// separator is dropped (the space after ". ").
void CutAtSeparator(const String& text, const String& separator, TUTF8Stringlist& list) {
  const size_t n = text.size();
  size_t start = 0;  // 0-based start of the current piece
  size_t p = text.find(separator, start);
  TTimedYield yield;
  while (p != String::npos) {
    yield.Tick(p - start + 1);
    String piece = Trim(text.substr(start, p - start));
    if (!piece.empty()) list.Add(piece);
    start = p + separator.size() + 1;
    if (start >= n) break;
    p = text.find(separator, start);
  }
  // The rest is taken only when it starts before the last position.
  if (start + 1 < n) {
    String rest = Trim(text.substr(start));
    if (!rest.empty()) list.Add(rest);
  }
}

// Reads every tag ("<" up to the next ">", at most maxTagLength characters)
// as punctuation, so that letters inside tags neither end nor start sentences.
// A "<" whose tag would be longer is left as it is.
void MaskTags(const String& text, std::vector<Word>& classes, Int32 maxTagLength) {
  const size_t n = text.size();
  const size_t maxLen = maxTagLength > 0 ? static_cast<size_t>(maxTagLength) : 0;
  size_t i = text.find(u'<');
  TTimedYield yield;
  while (i != String::npos && i < n) {
    yield.Tick();
    size_t j = i;
    while (j < n && text[j] != u'>' && j - i < maxLen) ++j;
    const bool closed = j < n && text[j] == u'>';
    if (closed || j >= n) {
      // A complete tag, or one left open at the end of the text.
      for (size_t k = i; k < j; ++k) classes[k] = wchar_class_punctuation;
      i = closed ? j + 1 : n;
    } else {
      i = std::max(j, i + 1);
    }
    if (i < n) i = text.find(u'<', i);
  }
}

// Cuts a paragraph into sentences by the character classes of its text.
void CutByCharacterClasses(const String& text, Int32 maxTagLength, TUTF8Stringlist& list) {
  constexpr Int32 kMinSentence = 20;
  const size_t n = text.size();
  std::vector<Word> classes(n + 10, 0);
  // A text of many megabytes is classified piece by piece (a unit's class
  // depends on that unit alone), yielding between pieces when one is due.
  TTimedYield yield;
  constexpr size_t kPiece = size_t{256} << 10;
  for (size_t from = 0; from < n; from += kPiece) {
    const size_t to = std::min(n, from + kPiece);
    ParseAString(text.data(), n, from, to, classes.data());
    yield.Tick(to - from);
  }
  if (text.find(u'<') != String::npos) MaskTags(text, classes, maxTagLength);

  auto isTrailing = [&](size_t k) {
    const Word c = classes[k];
    return c >= wchar_class_punctuation && c <= wchar_class_other;
  };
  auto isSepOrOther = [&](size_t k) {
    const Word c = classes[k];
    return c == wchar_class_separator || c == wchar_class_other;
  };

  size_t start = 0;  // 0-based start of the current sentence
  // The last walk over trailing punctuation: every index in [walkFrom,
  // walkStop) is of class 4 to 7, and walkStop is not. sepCursor moves forward
  // only, to the first separator or other character of that run.
  size_t walkStop = 0;
  size_t sepCursor = 0;

  for (size_t i = 1; i < n; ++i) {
    yield.Tick();
    if (classes[i] != wchar_class_punctuation) continue;
    const Char c = text[i];
    if (u_charType(c) != U_OTHER_PUNCTUATION) continue;
    if (IsPunctNotEndingSentence(c) || IsNonEndingLatinPunct(c)) continue;
    if (IsPotentialSentenceTerminator(c)) {
      const Word next = classes[i + 1];
      if (next == wchar_class_lower || next == wchar_class_number) continue;  // 3.14, e.g.
    }
    // Take in closing quotes and brackets and one following space.
    if (i + 1 >= walkStop) {
      walkStop = i + 1;
      while (walkStop < classes.size() && isTrailing(walkStop)) ++walkStop;
      sepCursor = i + 1;
    }
    sepCursor = std::max(sepCursor, i + 1);
    while (sepCursor < walkStop && !isSepOrOther(sepCursor)) ++sepCursor;
    size_t end = i;
    if (sepCursor < walkStop)
      end = sepCursor;
    else if (walkStop > i + 1)
      end = walkStop - 1;
    const Word stopClass = walkStop < classes.size() ? classes[walkStop] : 0;
    if (stopClass != wchar_class_letter && stopClass != wchar_class_number) continue;
    String s = Trim(text.substr(start, end + 1 - start));
    if (Len(s) > kMinSentence) {
      list.Add(s);
      start = end + 1;
      i = end;
    }
  }
  if (start + 1 < n) {
    String rest = Trim(text.substr(start));
    if (!rest.empty()) list.Add(rest);
  }
}

// Calls onWord(start, length) for each maximal run of letters and digits,
// left to right, ticking the yield clock once per character.
template <class OnWord>
void EachLetterOrDigitRun(const String& text, OnWord onWord) {
  const size_t n = text.size();
  const Char* t = text.data();
  TTimedYield yield;
  size_t i = 0;
  while (i < n) {
    const size_t gap = i;
    while (i < n && !IsLetterOrDigit(t, n, i)) ++i;
    const size_t start = i;
    while (i < n && IsLetterOrDigit(t, n, i)) ++i;
    yield.Tick(i - gap);
    if (i > start) onWord(start, i - start);
  }
}

}  // namespace

std::unique_ptr<TUTF8Stringlist> SentencesFromParagraph(const String& text, const String& separator,
                                                        Int32 /*unusedNumber*/, Int32 maxTagLength) {
  auto list = std::make_unique<TUTF8Stringlist>();
  if (text.empty()) return list;
  if (!separator.empty())
    CutAtSeparator(text, separator, *list);
  else
    CutByCharacterClasses(text, maxTagLength, *list);
  return list;
}

// ---------------------------------------------------------------------------
// Counting and lists

Int32 WordsInCluster(const String& cluster) { return 1 + NCharsInString(cluster, u' '); }

Int32 BasicWordCount(const String& text) {
  Int32 count = 0;
  bool inWord = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const bool a = IsLetterOrDigit(text, i);
    if (a && !inWord) ++count;
    inWord = a;
  }
  return count;
}

Int32 BeginningOfSameLine(const String& text, Int32 pos) {
  if (pos < 1) return -1;
  for (Int32 i = std::min(pos, Len(text)); i >= 1; --i) {
    const Char c = text[static_cast<size_t>(i - 1)];
    if (c == u'\r' || c == u'\n') return i;
  }
  return -1;
}

std::unique_ptr<TStringlistWithALongint> SimpleWordListOfTxt(const String& text, Int32 minLength, bool sortByFreq) {
  auto list = std::make_unique<TStringlistWithALongint>();
  list->SetSorted(true);
  TFrequencyCounter counter;
  const std::u16string_view all(text);
  EachLetterOrDigitRun(text, [&](size_t start, size_t length) {
    if (static_cast<Int64>(length) >= minLength) counter.Count(all.substr(start, length));
  });
  counter.Flush(*list);
  if (sortByFreq) SortByDescendingFrequency(*list);
  return list;
}

std::unique_ptr<TStringlistWithALongint> SimpleWordListOfTxt(const String& text, const TAcceptWordFunc& accept,
                                                             bool sortByFreq) {
  auto list = std::make_unique<TStringlistWithALongint>();
  TFrequencyCounter counter;
  EachLetterOrDigitRun(text, [&](size_t start, size_t length) {
    String word = text.substr(start, length);
    if (!accept || accept(word)) counter.Count(word);
  });
  counter.Flush(*list);
  if (sortByFreq) SortByDescendingFrequency(*list);
  return list;
}

namespace {

// The word n-gram builder: a window of the last completed words; each time
// it holds n words the gram (words joined by single spaces) is counted.
class TNGramBuilder {
 public:
  TNGramBuilder(TStringlistWithALongint& list, Int32 n, Int32 textLength, const TNGramProgress& onProgress)
      : fList(list), fN(n), fTextLength(textLength), fOnProgress(onProgress) {}

  void Append(Char c) { fWord.push_back(c); }
  bool InWord() const { return !fWord.empty(); }

  // Ends the current word; when the window is full the gram is counted and
  // then either slides by one word or starts afresh.
  void EndWord(bool sliding, Int32 pos) {
    if (fN < 1) {
      fWord.clear();
      return;
    }
    if (!fWord.empty()) {
      fWords.push_back(std::move(fWord));
      fWord.clear();
    }
    CountIfFull(sliding, pos);
  }

  void CountIfFull(bool sliding, Int32 pos) {
    if (static_cast<Int32>(fWords.size()) < fN) return;
    String gram;
    for (size_t k = 0; k < fWords.size(); ++k) {
      if (k > 0) gram.push_back(u' ');
      gram += fWords[k];
    }
    if (fCounter.Count(gram) && fOnProgress && fTextLength > 0)
      fOnProgress(static_cast<Int32>(static_cast<Int64>(pos) * 100 / fTextLength));
    if (sliding)
      fWords.erase(fWords.begin());
    else
      fWords.clear();
  }

  // Writes the counted grams into the list.
  void Flush() { fCounter.Flush(fList); }

 private:
  TStringlistWithALongint& fList;
  TFrequencyCounter fCounter;
  Int32 fN;
  Int32 fTextLength;
  const TNGramProgress& fOnProgress;
  std::vector<String> fWords;
  String fWord;
};

}  // namespace

std::unique_ptr<TStringlistWithALongint> SimpleNGramListOfTxt(const String& text, Int32 n, Int32 maxTagLength,
                                                              bool sortByFreq, const TNGramProgress& onProgress) {
  auto list = std::make_unique<TStringlistWithALongint>();
  list->SetSorted(true);
  const Int32 len = Len(text);
  TNGramBuilder gram(*list, n, len, onProgress);
  Int32 i = 0;  // 0-based
  // The first ">" at or after i, found again only once i has passed it, so
  // that many "<" without a ">" cost one walk over the text, not one each.
  size_t nextClose = 0;
  bool closeFound = false;
  TTimedYield yield;
  while (i < len) {
    yield.Tick();
    const Char c = text[static_cast<size_t>(i)];
    if (c == u'<' && maxTagLength > 0) {
      // A tag is passed over without ending the word it stands in; a "<"
      // with no ">" within maxTagLength characters is passed over up to the
      // next space or control character.
      if (!closeFound || nextClose < static_cast<size_t>(i)) {
        nextClose = text.find(u'>', static_cast<size_t>(i));
        closeFound = true;
      }
      if (nextClose != String::npos && nextClose - static_cast<size_t>(i) <= static_cast<size_t>(maxTagLength)) {
        i = static_cast<Int32>(nextClose) + 1;
      } else {
        Int32 j = i + 1;
        while (j < len && text[static_cast<size_t>(j)] >= 0x21) ++j;
        i = j;
      }
      continue;
    }
    // A word's characters are those the word list takes (letters, marks,
    // numbers, the zero-width non-joiner): a vowel sign or an accent stays
    // with its word, as in the word list.
    if (IsLetterOrDigit(text.data(), text.size(), static_cast<size_t>(i))) {
      gram.Append(c);
      ++i;
      continue;
    }
    if (gram.InWord()) {
      const int8_t cat = CategoryAt(text.data(), text.size(), static_cast<size_t>(i));
      if (cat == U_DASH_PUNCTUATION || cat == U_CONNECTOR_PUNCTUATION || c == u',') {
        gram.EndWord(true, i + 1);
      } else if (cat == U_START_PUNCTUATION || cat == U_END_PUNCTUATION || cat == U_INITIAL_PUNCTUATION ||
                 cat == U_FINAL_PUNCTUATION || cat == U_OTHER_PUNCTUATION) {
        gram.EndWord(false, i + 1);
      } else {
        // Separators, and also symbols and control characters (line ends,
        // tabs), end a word as a space does.
        gram.EndWord(true, i + 1);
      }
    }
    ++i;
  }
  // The last word counts even when no separator follows it.
  gram.EndWord(true, len);
  gram.Flush();
  if (sortByFreq) SortByDescendingFrequency(*list);
  return list;
}

TString2IntegersAndStringArrayrec BagOfWordsSimilar(const String& textA, const String& textB, Int32 maxDifference,
                                                    Int32 minFrequency, Int32 minLength) {
  TString2IntegersAndStringArrayrec result;
  auto listA = SimpleWordListOfTxt(AnsiUpperCase(textA), minLength, true);
  auto listB = SimpleWordListOfTxt(AnsiUpperCase(textB), minLength, true);
  const bool aIsLonger = listA->Count() > listB->Count();
  TStringlistWithALongint& longer = aIsLonger ? *listA : *listB;
  TStringlistWithALongint& other = aIsLonger ? *listB : *listA;

  // The other list is ordered by frequency, so its words are looked up
  // through an index of their collation keys.
  TCollationKeyIndex keys;
  std::unordered_map<std::string, Int32> freqs;
  freqs.reserve(static_cast<size_t>(other.Count()));
  for (Int32 k = 0; k < other.Count(); ++k) freqs.emplace(keys.KeyOf(other.Strings(k)), other.GetOne(k));

  for (Int32 k = 0; k < longer.Count(); ++k) {
    const Int32 f1 = longer.GetOne(k);
    if (f1 < minFrequency) continue;
    const String word = longer.Strings(k);
    auto it = freqs.find(keys.KeyOf(word));
    const Int32 f2 = it == freqs.end() ? 0 : it->second;
    if (std::llabs(static_cast<long long>(f1) - f2) > maxDifference) {
      result.s = word;
      result.int1 = aIsLonger ? f1 : f2;
      result.int2 = aIsLonger ? f2 : f1;
      break;
    }
  }
  return result;
}

}  // namespace sk
