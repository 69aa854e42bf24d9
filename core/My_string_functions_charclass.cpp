#include "core/My_string_functions_charclass.h"

#include <unicode/uchar.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__SSE2__) && (defined(__x86_64__) || defined(__i386__))
// AVX2 code is compiled per function (target attributes) and chosen at run
// time; the rest of the library keeps the global compile flags.
#define SK_HAVE_AVX2_PATHS 1
#include <immintrin.h>
#endif

#include "core/Global_vars.h"
#include "platform/runtime/Locale.h"

namespace sk {

namespace {

// One byte per BMP code unit: the class in the low three bits and a flag for
// "letter or decimal digit". Built once, on first use, from the Unicode general
// categories, so that classifying a text is one table read per unit.
constexpr Byte kAlnumFlag = 0x80;
constexpr Byte kSurrogateFlag = 0x40;
// A character of a word: what the classes 1 to 3 hold (letters, modifier
// letters among them, marks, numbers and the zero-width non-joiner), so that
// the word routines on text and the search on class arrays end a word at the
// same places.
constexpr Byte kWordFlag = 0x20;
constexpr Byte kClassBits = 0x07;

Byte ClassOfCategory(int8_t category) {
  switch (category) {
    case U_LOWERCASE_LETTER:
      return 1;
    case U_UPPERCASE_LETTER:
    case U_TITLECASE_LETTER:
    case U_OTHER_LETTER:
    case U_MODIFIER_LETTER:
    case U_NON_SPACING_MARK:
    case U_COMBINING_SPACING_MARK:
    case U_ENCLOSING_MARK:
      // A modifier letter (the length mark of katakana, the iteration marks)
      // and every mark belong to the word they stand in.
      return 2;
    case U_DECIMAL_DIGIT_NUMBER:
    case U_LETTER_NUMBER:
    case U_OTHER_NUMBER:
      return 3;
    case U_CONNECTOR_PUNCTUATION:
    case U_DASH_PUNCTUATION:
    case U_END_PUNCTUATION:
    case U_FINAL_PUNCTUATION:
    case U_INITIAL_PUNCTUATION:
    case U_OTHER_PUNCTUATION:
    case U_START_PUNCTUATION:
      return 4;
    case U_CURRENCY_SYMBOL:
      return 5;
    case U_LINE_SEPARATOR:
    case U_PARAGRAPH_SEPARATOR:
    case U_SPACE_SEPARATOR:
      return 6;
    default:
      // Controls, format, unassigned, private use, surrogates and the
      // symbols.
      return 7;
  }
}

bool IsLetterOrDigitCategory(int8_t category) {
  switch (category) {
    case U_UPPERCASE_LETTER:
    case U_LOWERCASE_LETTER:
    case U_TITLECASE_LETTER:
    case U_MODIFIER_LETTER:
    case U_OTHER_LETTER:
    case U_DECIMAL_DIGIT_NUMBER:
      return true;
    default:
      return false;
  }
}

bool IsWordCategory(int8_t category) {
  const Byte k = ClassOfCategory(category);
  return k >= 1 && k <= 3;
}

Byte FlagsOfCategory(int8_t category) {
  Byte b = 0;
  if (IsLetterOrDigitCategory(category)) b |= kAlnumFlag;
  if (IsWordCategory(category)) b |= kWordFlag;
  return b;
}

using TClassTable = std::array<Byte, 0x10000>;

TClassTable BuildClassTable() {
  TClassTable t{};
  for (UChar32 c = 0; c < 0x10000; ++c) {
    // Each surrogate half on its own is category Cs.
    const int8_t category = u_charType(c);
    t[static_cast<size_t>(c)] = ClassOfCategory(category) | FlagsOfCategory(category);
  }
  // ZERO WIDTH NON-JOINER joins the lower-case letters, whatever its category:
  // it stands inside a word ("کتاب‌ها" is one word).
  t[0x200C] = (t[0x200C] & kAlnumFlag) | kWordFlag | 1;
  // A surrogate half takes the class of the pair it belongs to; the flag sends
  // it to the slower lookup by code point.
  for (size_t c = 0xD800; c <= 0xDFFF; ++c) t[c] |= kSurrogateFlag;
  return t;
}

// The table byte of the unit at index i: for a half of a surrogate pair, the
// class and alphanumeric flag of the pair's code point (both halves get the
// same); a lone half stays class 7.
inline Byte ClassByteAt(const Byte* table, const Char* text, size_t n, size_t i) {
  const Byte b = table[text[i]];
  if ((b & kSurrogateFlag) == 0) return b;
  const char32_t cp = CodePointOfUnitAt(text, n, i);
  if (cp < 0x10000) return b & ~kSurrogateFlag;
  const int8_t category = u_charType(static_cast<UChar32>(cp));
  return ClassOfCategory(category) | FlagsOfCategory(category);
}

const Byte* ClassTable() {
  static const TClassTable table = BuildClassTable();
  return table.data();
}

// No character at the 1-based position (below 1 or past the end), or one that
// is not a word's character (class 1 to 3), bounds a word: a mark belongs to
// the letter before it, as the class arrays count it.
inline bool BoundsText(const Byte* table, const String& text, Int32 pos) {
  const size_t i = static_cast<size_t>(static_cast<ptrdiff_t>(pos) - 1);
  if (i >= text.size()) return true;
  return (ClassByteAt(table, text.data(), text.size(), i) & kWordFlag) == 0;
}

// Class bits that bound a word: 4, 6 and 7 on the left; 0, 4, 6 and 7 on the
// right. A class of 8 or more bounds nothing.
constexpr unsigned kLeftBounding = 208;
constexpr unsigned kRightBounding = 209;

// No element at index (below 0 or past the end: a negative index turns into a
// huge unsigned one) bounds. The test itself has no branch: the matcher asks it
// for every candidate hit and its answers follow the text, not a pattern.
inline bool Bounds(const std::vector<Word>& classes, Int32 index, unsigned bits) {
  const size_t i = static_cast<size_t>(static_cast<ptrdiff_t>(index));
  if (i >= classes.size()) return true;
  const unsigned cls = classes[i] & wchar_class_mask;
  return ((cls < 8) & (bits >> (cls & 7u))) != 0;
}

// The level set by SetVectorLevel; -1 while none is.
std::atomic<int> gVectorLevelSet{-1};

#if defined(__SSE2__)
// How far ahead (in bytes) the ASCII runs ask for the text and the class
// array: classing is bound by memory, and asking early keeps more reads
// under way. Asking past the end is harmless (a prefetch never faults).
constexpr int kPrefetchAhead = 2048;

inline __m128i InRange(__m128i v, char lo, char hi) {
  return _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8(static_cast<char>(lo - 1))),
                       _mm_cmplt_epi8(v, _mm_set1_epi8(static_cast<char>(hi + 1))));
}

inline __m128i Is(__m128i v, char c) { return _mm_cmpeq_epi8(v, _mm_set1_epi8(c)); }

inline __m128i Put(__m128i r, __m128i mask, char value) {
  return _mm_or_si128(_mm_andnot_si128(mask, r), _mm_and_si128(mask, _mm_set1_epi8(value)));
}

// The classes of sixteen ASCII characters (one byte each): letters, digits
// and the blank by their ranges; controls, the symbols + < = > ^ ` | ~ and the
// dollar sign; every other printable character is punctuation.
inline __m128i AsciiClasses16(__m128i v) {
  __m128i r = _mm_set1_epi8(4);
  r = Put(r, InRange(v, 'a', 'z'), 1);
  r = Put(r, InRange(v, 'A', 'Z'), 2);
  r = Put(r, InRange(v, '0', '9'), 3);
  r = Put(r, Is(v, ' '), 6);
  r = Put(r, Is(v, '$'), 5);
  const __m128i symbols = _mm_or_si128(
      _mm_or_si128(_mm_or_si128(Is(v, '+'), InRange(v, '<', '>')), _mm_or_si128(Is(v, '^'), Is(v, '`'))),
      _mm_or_si128(_mm_or_si128(Is(v, '|'), Is(v, '~')),
                   _mm_or_si128(_mm_cmplt_epi8(v, _mm_set1_epi8(0x20)), Is(v, 0x7F))));
  return Put(r, symbols, 7);
}

#if defined(SK_HAVE_AVX2_PATHS)
// The same comparisons on thirty-two characters.
__attribute__((target("avx2"))) inline __m256i InRange32(__m256i v, char lo, char hi) {
  return _mm256_and_si256(_mm256_cmpgt_epi8(v, _mm256_set1_epi8(static_cast<char>(lo - 1))),
                          _mm256_cmpgt_epi8(_mm256_set1_epi8(static_cast<char>(hi + 1)), v));
}

__attribute__((target("avx2"))) inline __m256i Is32(__m256i v, char c) {
  return _mm256_cmpeq_epi8(v, _mm256_set1_epi8(c));
}

__attribute__((target("avx2"))) inline __m256i Put32(__m256i r, __m256i mask, char value) {
  return _mm256_blendv_epi8(r, _mm256_set1_epi8(value), mask);
}

__attribute__((target("avx2"))) inline __m256i AsciiClasses32(__m256i v) {
  __m256i r = _mm256_set1_epi8(4);
  r = Put32(r, InRange32(v, 'a', 'z'), 1);
  r = Put32(r, InRange32(v, 'A', 'Z'), 2);
  r = Put32(r, InRange32(v, '0', '9'), 3);
  r = Put32(r, Is32(v, ' '), 6);
  r = Put32(r, Is32(v, '$'), 5);
  const __m256i symbols =
      _mm256_or_si256(_mm256_or_si256(_mm256_or_si256(Is32(v, '+'), InRange32(v, '<', '>')),
                                      _mm256_or_si256(Is32(v, '^'), Is32(v, '`'))),
                      _mm256_or_si256(_mm256_or_si256(Is32(v, '|'), Is32(v, '~')),
                                      _mm256_or_si256(_mm256_cmpgt_epi8(_mm256_set1_epi8(0x20), v), Is32(v, 0x7F))));
  return Put32(r, symbols, 7);
}

// Thirty-two units from i while they are all ASCII; the index reached.
__attribute__((target("avx2"))) size_t ParseAsciiRunsAvx2(const Char* src, size_t i, size_t to, Word* dst) {
  const __m256i nonAscii = _mm256_set1_epi16(static_cast<short>(0xFF80));
  while (i + 32 <= to) {
    _mm_prefetch(reinterpret_cast<const char*>(src + i) + kPrefetchAhead, _MM_HINT_T0);
    _mm_prefetch(reinterpret_cast<const char*>(dst + i) + kPrefetchAhead, _MM_HINT_T0);
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i + 16));
    if (!_mm256_testz_si256(_mm256_or_si256(a, b), nonAscii)) break;
    // Packing interleaves the 128-bit halves; the permutation puts the
    // thirty-two bytes back in text order.
    const __m256i bytes = _mm256_permute4x64_epi64(_mm256_packus_epi16(a, b), 0xD8);
    const __m256i cls = AsciiClasses32(bytes);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), _mm256_cvtepu8_epi16(_mm256_castsi256_si128(cls)));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i + 16),
                        _mm256_cvtepu8_epi16(_mm256_extracti128_si256(cls, 1)));
    i += 32;
  }
  return i;
}

__attribute__((target("avx2"))) void AsciiClassesOf128Avx2(const char* in, Byte* out) {
  for (int c = 0; c < 128; c += 32)
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + c),
                        AsciiClasses32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + c))));
}
#endif

// Whether the comparisons (of each width the processor has) give every ASCII
// character the class the table gives.
bool AsciiClassesAgree() {
  static const bool agree = [] {
    const Byte* table = ClassTable();
    alignas(32) char in[128];
    alignas(32) Byte out[128];
    for (int c = 0; c < 128; ++c) in[c] = static_cast<char>(c);
    for (int c = 0; c < 128; c += 16)
      _mm_store_si128(reinterpret_cast<__m128i*>(out + c),
                      AsciiClasses16(_mm_load_si128(reinterpret_cast<const __m128i*>(in + c))));
    for (int c = 0; c < 128; ++c)
      if (out[c] != (table[c] & kClassBits)) return false;
#if defined(SK_HAVE_AVX2_PATHS)
    if (BestVectorLevel() >= vl_avx2) {
      AsciiClassesOf128Avx2(in, out);
      for (int c = 0; c < 128; ++c)
        if (out[c] != (table[c] & kClassBits)) return false;
    }
#endif
    return true;
  }();
  return agree;
}
#endif

}  // namespace

TVectorLevel BestVectorLevel() {
  static const TVectorLevel best = [] {
#if defined(SK_HAVE_AVX2_PATHS)
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") ? vl_avx2 : vl_sse2;
#elif defined(__SSE2__)
    return vl_sse2;
#else
    return vl_plain;
#endif
  }();
  return best;
}

TVectorLevel VectorLevel() {
  const int set = gVectorLevelSet.load(std::memory_order_relaxed);
  return set < 0 ? BestVectorLevel() : static_cast<TVectorLevel>(set);
}

void SetVectorLevel(TVectorLevel level) {
  gVectorLevelSet.store(std::min<int>(level, BestVectorLevel()), std::memory_order_relaxed);
}

Word CharClassOf(Char c) { return ClassTable()[c] & kClassBits; }

bool IsLetterOrDigitAt(const Char* text, size_t n, size_t i) {
  return (ClassByteAt(ClassTable(), text, n, i) & kAlnumFlag) != 0;
}

bool IsWordCharAt(const Char* text, size_t n, size_t i) {
  return (ClassByteAt(ClassTable(), text, n, i) & kWordFlag) != 0;
}

void ParseAString(const String& text, std::vector<Word>& classes) {
  if (classes.size() < text.size()) throw Exception(u"wchars needs allocating");
  ParseAString(text.data(), text.size(), 0, text.size(), classes.data());
}

void ParseAString(const Char* src, size_t n, size_t from, size_t to, Word* dst) {
  const Byte* table = ClassTable();
  size_t i = from;
  if (to > n) to = n;
#if defined(__SSE2__)
  // Runs of ASCII, sixteen or thirty-two units at a time, narrowed to bytes
  // and classed by comparisons (the table gives the same classes;
  // AsciiClassesAgree checks that once). Classes are per unit, so a block
  // that is not all ASCII is simply classed unit by unit.
  const TVectorLevel level = VectorLevel();
  if (level >= vl_sse2 && AsciiClassesAgree()) {
    const __m128i nonAscii = _mm_set1_epi16(static_cast<short>(0xFF80));
    const __m128i zero = _mm_setzero_si128();
    while (i + 16 <= to) {
#if defined(SK_HAVE_AVX2_PATHS)
      if (level >= vl_avx2) {
        i = ParseAsciiRunsAvx2(src, i, to, dst);
        if (i + 16 > to) break;
      }
#endif
      _mm_prefetch(reinterpret_cast<const char*>(src + i) + kPrefetchAhead, _MM_HINT_T0);
      _mm_prefetch(reinterpret_cast<const char*>(dst + i) + kPrefetchAhead, _MM_HINT_T0);
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i + 8));
      const __m128i high = _mm_and_si128(_mm_or_si128(a, b), nonAscii);
      if (_mm_movemask_epi8(_mm_cmpeq_epi16(high, zero)) != 0xFFFF) {
        for (const size_t e = i + 16; i < e; ++i) dst[i] = ClassByteAt(table, src, n, i) & kClassBits;
        continue;
      }
      const __m128i classes16 = AsciiClasses16(_mm_packus_epi16(a, b));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_unpacklo_epi8(classes16, zero));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i + 8), _mm_unpackhi_epi8(classes16, zero));
      i += 16;
    }
  }
#endif
  for (; i < to; ++i) dst[i] = ClassByteAt(table, src, n, i) & kClassBits;
}

bool GetStringTypeQM(Cardinal locale, Cardinal infoType, const String& text, Int32 count,
                     std::vector<Word>& classes) {
  if (count == -1) {
    if (text.size() > static_cast<size_t>(INT32_MAX)) return false;
    count = static_cast<Int32>(text.size());
  }
  if (count < 1 || static_cast<size_t>(count) > text.size() || static_cast<size_t>(count) > classes.size())
    return false;
  return GetStringTypeExW(locale, infoType, text.data(), count, classes.data());
}

bool IsBoundedOnLeft(const String& text, Int32 pos) { return BoundsText(ClassTable(), text, pos); }

bool IsBoundedOnRight(const String& text, Int32 pos) { return BoundsText(ClassTable(), text, pos); }

bool IsBoundedOnLeft(const std::vector<Word>& classes, Int32 index) {
  return Bounds(classes, index, kLeftBounding);
}

bool IsBoundedOnRight(const std::vector<Word>& classes, Int32 index) {
  return Bounds(classes, index, kRightBounding);
}

bool IsBoundedOnLeft(TWholeOrPart part, Int32 index) { return Bounds(global_Wchars[part], index, kLeftBounding); }

bool IsBoundedOnRight(TWholeOrPart part, Int32 index) {
  return Bounds(global_Wchars[part], index, kRightBounding);
}

bool IsWholeWord(const String& text, Int32 before, Int32 after) {
  const Byte* table = ClassTable();
  const bool left = BoundsText(table, text, before);
  const bool right = BoundsText(table, text, after);
  return left & right;
}

bool IsWholeWord(TWholeOrPart part, Int32 before, Int32 after) {
  const std::vector<Word>& classes = global_Wchars[part];
  // Both sides are read without side effects, so both are computed and joined
  // without a branch.
  const bool left = Bounds(classes, before, kLeftBounding);
  const bool right = Bounds(classes, after, kRightBounding);
  return left & right;
}

bool ContainsAlphanumCharacter(const String& text) {
  const Byte* table = ClassTable();
  for (size_t i = 0; i < text.size(); ++i)
    if (ClassByteAt(table, text.data(), text.size(), i) & kAlnumFlag) return true;
  return false;
}

bool IsHashOrBrace(Char c) { return c == u'#' || c == u'{'; }

}  // namespace sk
