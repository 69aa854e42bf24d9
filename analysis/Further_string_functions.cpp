#include "analysis/Further_string_functions.h"

#include <algorithm>
#include <memory>

#include "analysis/Search_parsing.h"
#include "core/Basic_processes.h"
#include "core/Global_vars.h"
#include "core/My_string_functions_charclass.h"
#include "core/UnitCounter.h"
#include "platform/runtime/Locale.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__SSE2__) && (defined(__x86_64__) || defined(__i386__))
// AVX2 code is compiled per function (target attributes) and chosen at run
// time by VectorLevel; the rest of the library keeps the global flags.
#define SK_HAVE_AVX2_PATHS 1
#define SK_AVX2 __attribute__((target("avx2")))
#include <immintrin.h>
#endif

// The steps of the candidate scan and of the verification are kept inside
// the scan's loop, and the anchored scan's walk back over a gap out of it:
// left to itself the compiler stops inlining them once both scans call them,
// which costs a phrase found by its blank about a tenth more.
#define SK_SCAN_STEP inline __attribute__((always_inline))
#define SK_SCAN_ASIDE __attribute__((noinline))

namespace sk {

namespace {

const Char* DefaultUpperTable() { return UpperCaseUnitTable(IsTurkicLocale(LOCALE_USER_DEFAULT)); }

// ---- the characters that match one pattern character -----------------------------

// For one upper-case table: every UTF-16 unit grouped by its upper case, so
// that the units matching a character ignoring case are found at once.
struct TUpperInverse {
  const Char* table = nullptr;
  std::unique_ptr<uint32_t[]> offsets;  // 65,537 entries
  std::unique_ptr<Char[]> members;      // 65,536 units, grouped by upper case
};

const TUpperInverse& InverseOf(const Char* table) {
  // At most the two tables (Turkic rules or not) ever meet here.
  thread_local TUpperInverse inverses[2];
  for (TUpperInverse& inv : inverses)
    if (inv.table == table) return inv;
  TUpperInverse& inv = inverses[0].table == nullptr ? inverses[0] : inverses[1];
  inv.offsets = std::make_unique<uint32_t[]>(65537);
  inv.members = std::make_unique<Char[]>(65536);
  for (uint32_t u = 0; u < 65536; ++u) ++inv.offsets[static_cast<size_t>(table[u]) + 1];
  for (size_t v = 1; v < 65537; ++v) inv.offsets[v] += inv.offsets[v - 1];
  std::unique_ptr<uint32_t[]> fill = std::make_unique<uint32_t[]>(65536);
  for (size_t v = 0; v < 65536; ++v) fill[v] = inv.offsets[v];
  for (uint32_t u = 0; u < 65536; ++u) inv.members[fill[table[u]]++] = static_cast<Char>(u);
  inv.table = table;
  return inv;
}

// The units at which the candidate scan must stop: those that match the first
// pattern character, and the markup delimiters (whose tag state the scan
// keeps). count 0 means there are too many to look for at once.
struct TStopUnits {
  Char units[8]{};
  int count = 0;
};

void AddStop(TStopUnits& s, Char u) {
  if (s.count < 0) return;
  for (int j = 0; j < s.count; ++j)
    if (s.units[j] == u) return;
  if (s.count == 8) {
    s.count = -1;
    return;
  }
  s.units[s.count++] = u;
}

// inv: the grouping of the upper-case table when case is ignored (nil when
// case counts).
TStopUnits StopUnitsFor(Char f, const TUpperInverse* inv, const Char* table) {
  TStopUnits s;
  if (inv == nullptr) {
    AddStop(s, f);
  } else {
    const TUpperInverse& groups = *inv;
    const Char up = table[f];
    for (uint32_t k = groups.offsets[up]; k < groups.offsets[static_cast<size_t>(up) + 1]; ++k)
      AddStop(s, groups.members[k]);
    AddStop(s, f);
  }
  AddStop(s, u'<');
  AddStop(s, u'>');
  if (s.count < 0) s.count = 0;
  return s;
}

// The first index in [i, n) holding one of the K stop units, or n.
template <int K>
Int32 FindStop(const Char* buf, Int32 i, Int32 n, const Char* stops, [[maybe_unused]] TVectorLevel level) {
#if defined(__SSE2__)
  __m128i v[K];
  for (int j = 0; j < K; ++j) v[j] = _mm_set1_epi16(static_cast<short>(stops[j]));
  while (level >= vl_sse2 && n - i >= 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(buf + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(buf + i + 8));
    __m128i ma = _mm_cmpeq_epi16(a, v[0]);
    __m128i mb = _mm_cmpeq_epi16(b, v[0]);
    for (int j = 1; j < K; ++j) {
      ma = _mm_or_si128(ma, _mm_cmpeq_epi16(a, v[j]));
      mb = _mm_or_si128(mb, _mm_cmpeq_epi16(b, v[j]));
    }
    const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(ma)) |
                          (static_cast<unsigned>(_mm_movemask_epi8(mb)) << 16);
    if (mask != 0) return i + static_cast<Int32>(__builtin_ctz(mask) >> 1);
    i += 16;
  }
#endif
  for (; i < n; ++i)
    for (int j = 0; j < K; ++j)
      if (buf[i] == stops[j]) return i;
  return n;
}

#if defined(SK_HAVE_AVX2_PATHS)
Int32 FindAnyStopAvx2(const Char* buf, Int32 i, Int32 n, const TStopUnits& s, bool& found);
#endif

Int32 FindAnyStop(const Char* buf, Int32 i, Int32 n, const TStopUnits& s, [[maybe_unused]] TVectorLevel level) {
  if (s.count == 0) return i;  // no fast path: every character is looked at
#if defined(SK_HAVE_AVX2_PATHS)
  if (level >= vl_avx2) {
    bool found = false;
    i = FindAnyStopAvx2(buf, i, n, s, found);
    if (found) return i;
  }
#endif
  switch (s.count) {
    case 1: return FindStop<1>(buf, i, n, s.units, level);
    case 2: return FindStop<2>(buf, i, n, s.units, level);
    case 3: return FindStop<3>(buf, i, n, s.units, level);
    case 4: return FindStop<4>(buf, i, n, s.units, level);
    case 5: return FindStop<5>(buf, i, n, s.units, level);
    case 6: return FindStop<6>(buf, i, n, s.units, level);
    case 7: return FindStop<7>(buf, i, n, s.units, level);
    default: return FindStop<8>(buf, i, n, s.units, level);
  }
}

// The units that match c (c itself, and when case is ignored, inv not nil,
// every unit of the same upper case), at most three; false when there are
// more.
bool EquivalentsOf(Char c, const TUpperInverse* inv, const Char* table, Char (&out)[3]) {
  int count = 0;
  out[count++] = c;
  if (inv != nullptr) {
    const TUpperInverse& groups = *inv;
    const Char up = table[c];
    for (uint32_t k = groups.offsets[up]; k < groups.offsets[static_cast<size_t>(up) + 1]; ++k) {
      const Char u = groups.members[k];
      if (u == c) continue;
      if (count == 3) return false;
      out[count++] = u;
    }
  }
  for (int k = count; k < 3; ++k) out[k] = out[0];
  return true;
}

// A first pattern character followed by one or two plain ones: the scan
// stops where the first matches and the next text characters match the
// following pattern characters or are inside markup (which the verification
// passes over), and at every markup delimiter ("<" or ">"), whose tag state
// it keeps.
struct TPairStops {
  Char first[3]{};
  Char second[3]{};
  Char third[3]{};
  bool hasThird = false;
};

#if defined(SK_HAVE_AVX2_PATHS)
// ---- the AVX2 paths ----------------------------------------------------------------
// Each gives exactly what the SSE2 and plain code after it give; they work
// on blocks of thirty-two text units, as bit masks (bit j for unit j of the
// block), and leave the last, short blocks to that code.

// How far ahead of a scan (in bytes) memory is asked for: the scans are
// bound by reading memory, and asking early keeps more reads under way.
constexpr int kPrefetchAhead = 2048;

// One set of at most three units looked for, without repeats.
struct TNeedles {
  Char units[3]{};
  int count = 0;
};

TNeedles NeedlesOf(const Char* units, int count) {
  TNeedles s;
  for (int j = 0; j < count; ++j) {
    bool seen = false;
    for (int k = 0; k < s.count; ++k) seen = seen || s.units[k] == units[j];
    if (!seen) s.units[s.count++] = units[j];
  }
  return s;
}

// Sixteen-bit lanes of units 0-15 and 16-31, narrowed to one bit per unit:
// the sign bit of each lane.
SK_AVX2 inline uint32_t SignBits32(__m256i lo, __m256i hi) {
  // Packing interleaves the 128-bit halves; the permutation restores order.
  return static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_permute4x64_epi64(_mm256_packs_epi16(lo, hi), 0xD8)));
}

// A set of at most three units compared as they are: v0, v1 and v2 (a set
// of fewer repeats one).
struct TWordSet {
  __m256i v0, v1, v2;
};

SK_AVX2 inline TWordSet WordSetOf(const TNeedles& s) {
  TWordSet w;
  w.v0 = _mm256_set1_epi16(static_cast<short>(s.units[0]));
  w.v1 = _mm256_set1_epi16(static_cast<short>(s.units[s.count > 1 ? 1 : 0]));
  w.v2 = _mm256_set1_epi16(static_cast<short>(s.units[s.count > 2 ? 2 : 0]));
  return w;
}

SK_AVX2 inline __m256i Matches16(__m256i a, const TWordSet& w) {
  return _mm256_or_si256(_mm256_or_si256(_mm256_cmpeq_epi16(a, w.v0), _mm256_cmpeq_epi16(a, w.v1)),
                         _mm256_cmpeq_epi16(a, w.v2));
}

// A set of at most three ASCII units compared on bytes: a byte b is in it
// when (b | orv) == val or b == alt. Two units that differ in one bit (the
// two cases of a letter, "<" and ">") take one comparison that way.
struct TByteSet {
  __m256i orv, val, alt;
};

// False when the set cannot be put so (a unit not ASCII, or three units no
// two of which differ in one bit).
SK_AVX2 inline bool ByteSetOf(const TNeedles& s, TByteSet& b) {
  for (int k = 0; k < s.count; ++k)
    if (s.units[k] >= 0x80) return false;
  Char orv = 0, val = s.units[0], alt = s.units[0];
  if (s.count >= 2) {
    int x = -1, y = -1;
    for (int j = 0; j < s.count && x < 0; ++j)
      for (int k = j + 1; k < s.count; ++k)
        if (__builtin_popcount(static_cast<unsigned>(s.units[j] ^ s.units[k])) == 1) {
          x = j;
          y = k;
          break;
        }
    if (x >= 0) {
      orv = static_cast<Char>(s.units[x] ^ s.units[y]);
      val = static_cast<Char>(s.units[x] | s.units[y]);
      alt = val;
      if (s.count == 3) alt = s.units[3 - x - y];
    } else if (s.count == 2) {
      alt = s.units[1];
    } else {
      return false;
    }
  }
  b.orv = _mm256_set1_epi8(static_cast<char>(orv));
  b.val = _mm256_set1_epi8(static_cast<char>(val));
  b.alt = _mm256_set1_epi8(static_cast<char>(alt));
  return true;
}

SK_AVX2 inline uint32_t Matches8(__m256i bytes, const TByteSet& b) {
  return static_cast<uint32_t>(_mm256_movemask_epi8(
      _mm256_or_si256(_mm256_cmpeq_epi8(_mm256_or_si256(bytes, b.orv), b.val), _mm256_cmpeq_epi8(bytes, b.alt))));
}

// Which of the thirty-two classes from cls are inside markup (bit 0x800).
SK_AVX2 inline uint32_t TagMask32(const Word* cls) {
  const __m256i lo = _mm256_slli_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(cls)), 4);
  const __m256i hi = _mm256_slli_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(cls + 16)), 4);
  return SignBits32(lo, hi);
}

template <int K>
SK_AVX2 Int32 FindStopAvx2(const Char* buf, Int32 i, Int32 n, const Char* stops, bool& found) {
  __m256i v[K];
  for (int j = 0; j < K; ++j) v[j] = _mm256_set1_epi16(static_cast<short>(stops[j]));
  for (; n - i >= 32; i += 32) {
    _mm_prefetch(reinterpret_cast<const char*>(buf + i) + kPrefetchAhead, _MM_HINT_T0);
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(buf + i));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(buf + i + 16));
    __m256i ma = _mm256_cmpeq_epi16(a, v[0]);
    __m256i mb = _mm256_cmpeq_epi16(b, v[0]);
    for (int j = 1; j < K; ++j) {
      ma = _mm256_or_si256(ma, _mm256_cmpeq_epi16(a, v[j]));
      mb = _mm256_or_si256(mb, _mm256_cmpeq_epi16(b, v[j]));
    }
    const uint32_t m = SignBits32(ma, mb);
    if (m != 0) {
      found = true;
      return i + static_cast<Int32>(__builtin_ctz(m));
    }
  }
  return i;
}

// The first stop in whole blocks from i (found), or where the whole blocks
// end.
Int32 FindAnyStopAvx2(const Char* buf, Int32 i, Int32 n, const TStopUnits& s, bool& found) {
  switch (s.count) {
    case 1: return FindStopAvx2<1>(buf, i, n, s.units, found);
    case 2: return FindStopAvx2<2>(buf, i, n, s.units, found);
    case 3: return FindStopAvx2<3>(buf, i, n, s.units, found);
    case 4: return FindStopAvx2<4>(buf, i, n, s.units, found);
    case 5: return FindStopAvx2<5>(buf, i, n, s.units, found);
    case 6: return FindStopAvx2<6>(buf, i, n, s.units, found);
    case 7: return FindStopAvx2<7>(buf, i, n, s.units, found);
    default: return FindStopAvx2<8>(buf, i, n, s.units, found);
  }
}

// The masks of one block for the pair scan.
struct TPairMasks {
  uint32_t first, second, third, markup, tagged;
};

// The sets of the pair scan, on bytes (when every unit sought is ASCII:
// the text is narrowed with saturation, a unit from U+0100 up becoming 0xFF,
// so a byte equals an ASCII unit exactly when its unit does) or on units.
template <bool Bytes>
struct TPairSets;

template <>
struct TPairSets<true> {
  TByteSet first, second, third, markup;
  bool hasThird;
};

template <>
struct TPairSets<false> {
  TWordSet first, second, third, markup;
  bool hasThird;
};

SK_AVX2 inline TPairMasks PairMasksAt(const Char* buf, const Word* cls, Int32 i, const TPairSets<true>& s) {
  const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(buf + i));
  const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(buf + i + 16));
  const __m256i bytes = _mm256_permute4x64_epi64(_mm256_packus_epi16(a, b), 0xD8);
  TPairMasks m;
  m.first = Matches8(bytes, s.first);
  m.second = Matches8(bytes, s.second);
  m.third = s.hasThird ? Matches8(bytes, s.third) : 0;
  m.markup = Matches8(bytes, s.markup);
  m.tagged = TagMask32(cls + i);
  return m;
}

SK_AVX2 inline TPairMasks PairMasksAt(const Char* buf, const Word* cls, Int32 i, const TPairSets<false>& s) {
  const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(buf + i));
  const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(buf + i + 16));
  TPairMasks m;
  m.first = SignBits32(Matches16(a, s.first), Matches16(b, s.first));
  m.second = SignBits32(Matches16(a, s.second), Matches16(b, s.second));
  m.third = s.hasThird ? SignBits32(Matches16(a, s.third), Matches16(b, s.third)) : 0;
  m.markup = SignBits32(Matches16(a, s.markup), Matches16(b, s.markup));
  m.tagged = TagMask32(cls + i);
  return m;
}

// The pair scan over whole blocks: a unit stops it when it is "<" or ">", or
// when it is a first unit whose next unit is inside markup or a second unit
// and (with a third) whose unit after that is inside markup or a third unit.
// Each block's masks are shifted by one and two with the next block's low
// bits brought in, so no unit is read twice.
template <bool Bytes>
SK_AVX2 Int32 FindPairStopAvx2T(const Char* buf, const Word* cls, Int32 i, Int32 n, const TPairSets<Bytes>& s,
                                bool& found) {
  if (n - i < 64) return i;
  TPairMasks cur = PairMasksAt(buf, cls, i, s);
  for (; n - i >= 64; i += 32) {
    // Both streams are read from memory at full speed: asked for well ahead.
    _mm_prefetch(reinterpret_cast<const char*>(buf + i) + kPrefetchAhead, _MM_HINT_T0);
    _mm_prefetch(reinterpret_cast<const char*>(cls + i) + kPrefetchAhead, _MM_HINT_T0);
    const TPairMasks next = PairMasksAt(buf, cls, i + 32, s);
    const uint32_t tagged1 = (cur.tagged >> 1) | (next.tagged << 31);
    uint32_t rest = (cur.second >> 1) | (next.second << 31);
    if (s.hasThird) rest &= (cur.tagged >> 2) | (next.tagged << 30) | (cur.third >> 2) | (next.third << 30);
    const uint32_t stop = cur.markup | (cur.first & (tagged1 | rest));
    if (stop != 0) {
      found = true;
      return i + static_cast<Int32>(__builtin_ctz(stop));
    }
    cur = next;
  }
  return i;
}

SK_AVX2 Int32 FindPairStopAvx2(const Char* buf, const Word* cls, Int32 i, Int32 n, const TPairStops& p, bool& found) {
  const TNeedles first = NeedlesOf(p.first, 3);
  const TNeedles second = NeedlesOf(p.second, 3);
  const TNeedles third = NeedlesOf(p.third, 3);
  const Char markupUnits[2] = {u'<', u'>'};
  const TNeedles markup = NeedlesOf(markupUnits, 2);
  TPairSets<true> bytes;
  bytes.hasThird = p.hasThird;
  if (ByteSetOf(first, bytes.first) && ByteSetOf(second, bytes.second) && ByteSetOf(markup, bytes.markup) &&
      (!p.hasThird || ByteSetOf(third, bytes.third))) {
    if (!p.hasThird) bytes.third = bytes.second;
    return FindPairStopAvx2T<true>(buf, cls, i, n, bytes, found);
  }
  TPairSets<false> words;
  words.hasThird = p.hasThird;
  words.first = WordSetOf(first);
  words.second = WordSetOf(second);
  words.third = WordSetOf(third);
  words.markup = WordSetOf(markup);
  return FindPairStopAvx2T<false>(buf, cls, i, n, words, found);
}

// Which of thirty-two classes, narrowed to bytes, are in a word (1 to 5):
// b - 1 is at most 4, unsigned. Narrowing saturates a class from 256 up to
// 255, which is not in a word either.
SK_AVX2 inline __m256i InWordBytes(__m256i bytes) {
  const __m256i t = _mm256_sub_epi8(bytes, _mm256_set1_epi8(1));
  return _mm256_cmpeq_epi8(_mm256_min_epu8(t, _mm256_set1_epi8(4)), t);
}

// The word starts in [i, to) thirty-two classes at a time, i at least 1; i
// moves to where the whole steps end. Each step's in-word bytes, shifted by
// one with the last byte of the step before brought in, give the class
// before each; the starts are summed by byte sums.
SK_AVX2 Int64 CountWordStartsAvx2(const Word* cls, Int32& i, Int32 to) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i one = _mm256_set1_epi8(1);
  // Only the last byte of the step before is read.
  __m256i before = _mm256_set1_epi8(static_cast<char>(static_cast<Word>(cls[i - 1] - 1) <= 4 ? -1 : 0));
  __m256i sums = zero;
  for (; to - i >= 32; i += 32) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(cls + i));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(cls + i + 16));
    const __m256i in = InWordBytes(_mm256_permute4x64_epi64(_mm256_packus_epi16(a, b), 0xD8));
    const __m256i prev = _mm256_alignr_epi8(in, _mm256_permute2x128_si256(before, in, 0x21), 15);
    sums = _mm256_add_epi64(sums, _mm256_sad_epu8(_mm256_and_si256(_mm256_andnot_si256(prev, in), one), zero));
    before = in;
  }
  alignas(32) Int64 part[4];
  _mm256_store_si256(reinterpret_cast<__m256i*>(part), sums);
  return part[0] + part[1] + part[2] + part[3];
}
#endif

// The word starts (a letter, digit, punctuation or currency character after
// one that is not) in [from, to), eight or sixteen classes at a time.
Int64 CountWordStarts(const Word* cls, Int32 from, Int32 to, [[maybe_unused]] TVectorLevel level) {
  auto inWord = [](Word k) -> Int64 { return k >= 1 && k <= 5 ? 1 : 0; };
  Int64 n = 0;
  if (from >= to) return 0;
  if (from == 0) {
    n += inWord(cls[0]);
    from = 1;
  }
  Int32 i = from;
#if defined(SK_HAVE_AVX2_PATHS)
  if (level >= vl_avx2) n += CountWordStartsAvx2(cls, i, to);
#endif
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  const __m128i six = _mm_set1_epi16(6);
  auto words = [&](__m128i k) { return _mm_and_si128(_mm_cmpgt_epi16(k, zero), _mm_cmplt_epi16(k, six)); };
  while (level >= vl_sse2 && to - i >= 8) {
    // Counted per lane (a start is -1 there), summed every 4096 passes.
    __m128i lanes = zero;
    for (int pass = 0; pass < 4096 && to - i >= 8; ++pass, i += 8) {
      const __m128i cur = words(_mm_loadu_si128(reinterpret_cast<const __m128i*>(cls + i)));
      const __m128i prev = words(_mm_loadu_si128(reinterpret_cast<const __m128i*>(cls + i - 1)));
      lanes = _mm_sub_epi16(lanes, _mm_andnot_si128(prev, cur));
    }
    alignas(16) Int32 sums[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(sums), _mm_madd_epi16(lanes, _mm_set1_epi16(1)));
    n += static_cast<Int64>(sums[0]) + sums[1] + sums[2] + sums[3];
  }
#endif
  for (; i < to; ++i) n += inWord(cls[i]) & (1 - inWord(cls[i - 1]));
  return n;
}

// The first index in [i, n) whose class is a space's or a control's (a line
// end's), punctuation's when punct, or markup's; n when none.
SK_SCAN_STEP Int32 FindBlankOrMarkup(const Word* cls, Int32 i, Int32 n, bool punct, [[maybe_unused]] TVectorLevel level) {
  auto stop = [punct](Word k) { return SpaceOrControlHere(k) || k >= 0x800 || (punct && PunctHere(k)); };
#if defined(__SSE2__)
  if (level >= vl_sse2) {
    const __m128i six = _mm_set1_epi16(6);
    const __m128i seven = _mm_set1_epi16(7);
    const __m128i four = _mm_set1_epi16(punct ? 4 : -1);
    const __m128i high = _mm_set1_epi16(static_cast<short>(0xF800));
    const __m128i zero = _mm_setzero_si128();
    for (; n - i >= 8; i += 8) {
      const __m128i k = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cls + i));
      const __m128i plain = _mm_cmpeq_epi16(_mm_and_si128(k, high), zero);
      const __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(k, six), _mm_cmpeq_epi16(k, seven)),
                                       _mm_or_si128(_mm_cmpeq_epi16(k, four), _mm_andnot_si128(plain, _mm_set1_epi16(-1))));
      const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hit));
      if (mask != 0) return i + static_cast<Int32>(__builtin_ctz(mask) >> 1);
    }
  }
#endif
  for (; i < n; ++i)
    if (stop(cls[i])) return i;
  return n;
}

Int32 FindPairStop(const Char* buf, const Word* cls, Int32 i, Int32 n, const TPairStops& s,
                   [[maybe_unused]] TVectorLevel level) {
  auto in = [](Char c, const Char (&set)[3]) { return c == set[0] || c == set[1] || c == set[2]; };
  auto scalar = [&](Int32 j) {
    const Char c = buf[j];
    if (c == u'<' || c == u'>') return true;
    if (!in(c, s.first)) return false;
    if (j + 1 >= n || (cls[j + 1] & 0x800) != 0) return true;
    if (!in(buf[j + 1], s.second)) return false;
    if (!s.hasThird || j + 2 >= n || (cls[j + 2] & 0x800) != 0) return true;
    return in(buf[j + 2], s.third);
  };
#if defined(SK_HAVE_AVX2_PATHS)
  if (level >= vl_avx2) {
    bool found = false;
    i = FindPairStopAvx2(buf, cls, i, n, s, found);
    if (found) return i;
  }
#endif
#if defined(__SSE2__)
  auto eq = [](__m128i v, const __m128i (&set)[3]) {
    return _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(v, set[0]), _mm_cmpeq_epi16(v, set[1])),
                        _mm_cmpeq_epi16(v, set[2]));
  };
  __m128i f[3], sc[3], th[3];
  for (int k = 0; k < 3; ++k) {
    f[k] = _mm_set1_epi16(static_cast<short>(s.first[k]));
    sc[k] = _mm_set1_epi16(static_cast<short>(s.second[k]));
    th[k] = _mm_set1_epi16(static_cast<short>(s.third[k]));
  }
  const __m128i lt = _mm_set1_epi16(u'<');
  const __m128i gt = _mm_set1_epi16(u'>');
  const __m128i tagBit = _mm_set1_epi16(0x800);
  auto tagged = [&](__m128i k) { return _mm_cmpeq_epi16(_mm_and_si128(k, tagBit), tagBit); };
  while (level >= vl_sse2 && n - i >= 10) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(buf + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(buf + i + 1));
    const __m128i kb = tagged(_mm_loadu_si128(reinterpret_cast<const __m128i*>(cls + i + 1)));
    __m128i rest = eq(b, sc);
    if (s.hasThird) {
      const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(buf + i + 2));
      const __m128i kc = tagged(_mm_loadu_si128(reinterpret_cast<const __m128i*>(cls + i + 2)));
      rest = _mm_and_si128(rest, _mm_or_si128(eq(c, th), kc));
    }
    const __m128i stop = _mm_or_si128(_mm_and_si128(eq(a, f), _mm_or_si128(rest, kb)),
                                      _mm_or_si128(_mm_cmpeq_epi16(a, lt), _mm_cmpeq_epi16(a, gt)));
    const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(stop));
    if (mask != 0) return i + static_cast<Int32>(__builtin_ctz(mask) >> 1);
    i += 8;
  }
#endif
  for (; i < n; ++i)
    if (scalar(i)) return i;
  return n;
}

inline bool LineBreakChar(Char c) { return c == u'\r' || c == u'\n'; }

inline bool Matches(Char t, Char p, bool caseSensitive, const Char* table) {
  if (t == p) return true;
  if (!caseSensitive && table[t] == table[p]) return true;
  if (p >= 0x20) return false;
  switch (p) {
    // The line-break symbol stands for the text's own line end: CR, LF or
    // either half of CR LF.
    case u'\r':
    case u'\n': return LineBreakChar(t);
    case sw_code_any_in_word: return LetterOrDigitHere(CharClassOf(t));
    case sw_code_digits: return DigitHere(CharClassOf(t));
    case sw_code_one_char:
    case sw_code_anything: return true;
    default: return false;
  }
}

// ---- one search ------------------------------------------------------------------

class TMatcher {
 public:
  TMatcher(const Char* buf, Int32 n, const Word* cls, Int32 s, const String& pattern, const String& within,
           TMSSearchFlags flags, Tcollocation_barrier barrier, Byte initialWildcard, bool searchInTags,
           TConcSearchRec& rec, const Char* table, TStarPlacesMemo* memo)
      : fBuf(buf),
        fN(n),
        fCls(cls),
        fStart(s),
        fPat(pattern.data()),
        fM(static_cast<Int32>(pattern.size())),
        fWithin(within),
        fCase(flags.Contains(msCaseIsSensitive)),
        fLeftBounded(flags.Contains(msLeftBounded)),
        fRightBounded(flags.Contains(msRightBounded)),
        fBarrier(barrier),
        fInTags(searchInTags),
        fRec(rec),
        fMemo(rec.matcher_memo),
        fTable(table),
        fLevel(VectorLevel()),
        fKnown(memo != nullptr ? memo : &fOwnMemo) {
    // Leading wildcards are matched backwards from the first plain pattern
    // character. Only the first of them may take a run of characters there:
    // a star or "#" after it (a run whose length the text after it decides)
    // makes the whole pattern walk forwards from its first character. When
    // the first word is made of wildcards only, the first plain character is
    // the blank after it.
    if (initialWildcard != 0 && fM > 1) {
      while (fLead < fM - 1 && fPat[fLead] < 0x20) ++fLead;
      for (Int32 q = 1; q < fLead; ++q) {
        const Char w = fPat[q];
        if (w == sw_code_any_in_word || w == sw_code_rest_of_word || w == sw_code_word_start ||
            w == sw_code_whole_word || w == sw_code_digits)
          fLead = 0;
      }
    }
    fFirst = fPat[fLead];
    // A first word of wildcards only, followed by a plain character after
    // its blank: the scan looks for that character (see GapHit).
    fAnchored = fLead > 0 && fFirst == u' ' && fLead + 1 < fM && fPat[fLead + 1] > 0x20;
    // Only a walk over ">" or a markup section changes the markup state.
    fLearnsCandidates = true;
    for (Int32 q = 0; q < fM; ++q)
      if (fPat[q] == u'>' || fPat[q] == sw_code_tag_section) fLearnsCandidates = false;
  }

  const Char* Run();
  // The scan and what it does at each place, for an anchored pattern or not.
  template <bool kAnchored>
  const Char* RunAs();

 private:
  Word K(Int32 i) const { return i >= 0 && i < fN ? fCls[i] : Word(0); }
  bool FirstMatches(Char c, Word k) const;
  // What may stand where a pattern's blank is: a space, a line end (LF, CR
  // LF or CR) or, with a sentence barrier, punctuation.
  bool BlankAt(Char c, Word k) const {
    return SpaceHere(k) || LineBreakChar(c) || (PunctHere(k) && fBarrier >= coll_stop_sentence);
  }
  // The first index from i on whose class may be such a blank (a line end's
  // is a control's) or markup, which the scan must see; fN when none.
  Int32 NextBlankOrMarkup(Int32 i) const {
    return FindBlankOrMarkup(fCls, i, fN, fBarrier >= coll_stop_sentence, fLevel);
  }
  // -1 when a character does not match, -2 when the search's start cuts
  // the leading wildcards short.
  Int32 LeadOf(Int32 i) const;
  bool LeftBoundOK(Int32 lead) const;
  Int32 Extension(Int32 i);
  // The first plain characters at from..to begin no hit, whatever start at
  // or after this search's one a later search has.
  void RememberNoHits(Int32 from, Int32 to);
  // The verification from candidate i (its first character taking ext more):
  // true with the hit's last index in last; false with the first candidate
  // index that is still worth trying in skipTo (0 when none is known).
  bool Verify(Int32 i, Int32 ext, Int32& last, Int32& skipTo);
  // The rest of the pattern from pattern index p, the text matched through x.
  bool VerifyFrom(Int32 i, Int32 x, Int32 p, bool plainSoFar, Int32& last, Int32* skipTo);
  // What a walk over the pattern's characters that leave no choice ended
  // with: the whole pattern matched, a mismatch, or a star (x at the first
  // character under it, p past it).
  enum TWalkEnd { we_matched, we_failed, we_star };
  TWalkEnd Walk(Int32& x, Int32& p, Int32& punct, bool& plainSoFar, Int32& last);
  // One star on the way: the places where what follows its run of stars may
  // begin are tried in turn, from the fewest letters and digits taken.
  struct TStarFrame {
    Int32 star;      // the star's index in the pattern (its memo's key)
    Int32 next;      // the pattern index after the run of stars
    Int32 runStart;  // the first text index under the star
    Int32 first;     // the first place
    Int32 cursor;    // the next place to look at
    Int32 stop;      // where the places ran out
    Int32 punct;
    bool done;    // the place last given was the last one
    bool tried;   // some place was tried (or passed over as known)
    bool bottom;  // opened while only plain characters had been matched
  };
  // Opens the frame of the star before pattern index p, x its first text
  // index; false when the star cannot take its letters there.
  bool OpenStar(Int32 x, Int32 p, Int32 punct, bool plainSoFar);
  // The next place of frame f, or -1 when there is none.
  Int32 NextPlace(TStarFrame& f);
  bool PlaceCanStart(Int32 y, Int32 next) const;
  TStarPlacesMemo::TKnownFailed& Known(Int32 star);
  void RememberFailed(Int32 star, Int32 from, Int32 to);
  bool Tick() {
    if (fYield.Tick()) fStopped = true;
    return fStopped;
  }
  // The index after the run of digits that x + 1 begins.
  Int32 DigitsEndAfter(Int32 x);
  // The first index of the run of letters and digits (digits only when
  // digits) that ends at j - 1, not before fStart.
  Int32 RunStartBefore(Int32 j, bool digits) const;
  bool SpaceOrLineEndAt(Int32 x) const;
  // A character that a phrase's gap holds after its blank: a space or a
  // control (a line end, an indenting tab) or, with markup hidden, markup.
  bool GapCharHere(Word k) const { return SpaceOrControlHere(k) || (!fInTags && TaggedCharHere(k)); }
  // With markup hidden and markup at x + 1, after a gap's blanks: the last
  // index of the gap, taking each run of markup that more spaces or controls
  // follow (a page marker between blanks, a tag before a line end). Markup
  // that the next word follows is left to the walk.
  Int32 GapEndOverMarkup(Int32 x) const;
  // A star at pattern index q that takes a word's start (or a whole word)
  // may begin at text index x.
  bool WordBeginsAt(Int32 x, Int32 q) const;
  bool EndCheck(Int32& x, Int32 punct);
  // The index after the run of letters and digits that x + 1 begins (x + 1
  // itself when it is not a letter or digit).
  Int32 WordEndAfter(Int32 x);
  // The start of the hit moved left to the start of its word.
  Int32 WordStartBefore(Int32 start);
  void CountWordsThrough(Int32 index);
  // Fills the record with the hit from lead through last.
  const Char* Hit(Int32 lead, Int32 last);
  void MarkupAt(Int32 i, Char c, Word k);
  // The markup state a scan keeps in the record.
  struct TTagState {
    bool in_tagged_text;
    TStartOrFinishIntRec tag_edge_1B;
    Int32 tag_number_1B;
  };
  TTagState TagState() const { return {fRec.in_tagged_text, fRec.tag_edge_1B, fRec.tag_number_1B}; }
  void SetTagState(const TTagState& t) {
    fRec.in_tagged_text = t.in_tagged_text;
    fRec.tag_edge_1B = t.tag_edge_1B;
    fRec.tag_number_1B = t.tag_number_1B;
  }
  // Keeps the markup state from before each run of markup (with markup
  // hidden, of markup, spaces and controls, as a gap holds them) that the
  // scan meets, for GapHit.
  void NoteMarkup(Int32 i, Char c, Word k);
  // For an anchored pattern whose plain character after the blank stands at
  // i: the blank that ends the first word is looked for in the gap before i
  // (a space, line end or punctuation, the spaces and controls after it, and
  // markup), as the scan for the blank itself would meet it; true with the
  // hit's first index in lead and last index in last. learnable becomes false
  // when the answer could differ for a later start.
  bool GapHit(Int32 i, Int32& lead, Int32& last, bool& learnable);

  const Char* fBuf;
  Int32 fN;
  const Word* fCls;
  Int32 fStart;
  const Char* fPat;
  Int32 fM;
  const String& fWithin;
  bool fCase;
  bool fLeftBounded;
  bool fRightBounded;
  Tcollocation_barrier fBarrier;
  bool fInTags;
  TConcSearchRec& fRec;
  TConcSearchMemo& fMemo;
  const Char* fTable;
  TVectorLevel fLevel;
  Int32 fLead = 0;
  Char fFirst = 0;
  // Set by MarkupAt when the first pattern character is a markup section
  // and this tag holds the text wanted: the candidate and the tag's end.
  Int32 fTagCandidate = -1;
  Int32 fTagLimit = -1;
  // The known failing places of each star, the caller's or this search's.
  TStarPlacesMemo fOwnMemo;
  TStarPlacesMemo* fKnown;
  std::vector<TStarFrame> fFrames;
  // The host runs at least every few milliseconds however long a word is.
  TTimedYield fYield;
  bool fStopped = false;
  // The pattern holds nothing whose walk changes the markup state, so that
  // what the scan learns of where no hit begins holds for later searches.
  bool fLearnsCandidates = false;
  bool fAnchored = false;
  // The last markup delimiter the scan met, and the markup state from before
  // the run that holds it (taken at fSnapAt).
  Int32 fMarkAt = -1;
  Int32 fSnapAt = -1;
  TTagState fSnap{};
};

bool TMatcher::FirstMatches(Char c, Word k) const {
  if (fFirst == u' ') return BlankAt(c, k);
  if (fFirst > 0x20) return Matches(c, fFirst, fCase, fTable);
  switch (fFirst) {
    case sw_code_any_in_word:
    case sw_code_rest_of_word:
    case sw_code_word_start:
    case sw_code_whole_word:
    case sw_code_one_char: return LetterOrDigitHere(k);
    case sw_code_digits: return DigitHere(k);
    case sw_code_one_letter: return LetterHere(k);
    case sw_code_anything: return true;
    case u'\r':
    case u'\n': return LineBreakChar(c);
    default: return c == fFirst;
  }
}

// The index where the hit begins once the characters under the leading
// wildcards have been matched backwards from i; -1 when they do not match.
// Markup before each of them is passed over, as the forward walk passes over
// markup after each pattern character, so that a first word of wildcards is
// found wherever the same word typed out is.
SK_SCAN_STEP Int32 TMatcher::LeadOf(Int32 i) const {
  Int32 j = i;
  for (Int32 q = fLead - 1; q >= 0; --q) {
    if (!fInTags)
      while (j - 1 >= fStart && TaggedCharHere(fCls[j - 1])) --j;
    if (j - 1 < fStart) return -2;
    const Char w = fPat[q];
    const Word k = fCls[j - 1];
    switch (w) {
      case sw_code_digits:
        if (!DigitHere(k)) return -1;
        --j;
        if (q == 0) j = RunStartBefore(j, true);
        break;
      case sw_code_any_in_word:
      case sw_code_rest_of_word:
      case sw_code_word_start:
      case sw_code_whole_word:
        if (!LetterOrDigitHere(k)) return -1;
        --j;
        if (q == 0) j = RunStartBefore(j, false);
        break;
      case sw_code_one_char:
        if (!LetterOrDigitHere(k)) return -1;
        --j;
        break;
      case sw_code_one_letter:
        if (!LetterHere(k)) return -1;
        --j;
        break;
      case sw_code_anything: --j; break;
      default:
        if (fBuf[j - 1] != w) return -1;
        --j;
        break;
    }
  }
  return j;
}

SK_SCAN_STEP bool TMatcher::LeftBoundOK(Int32 lead) const {
  // A hit that begins with a line end is bounded by it.
  if (!fLeftBounded || lead < 1 || (fLead == 0 && LineBreakChar(fFirst))) return true;
  const Word before = fCls[lead - 1];
  return PunctSpaceOrControlHere(before) || IsTagBoundary(before, fCls[lead]);
}

Int32 TMatcher::Extension(Int32 i) {
  Int32 e = 0;
  if (fFirst == sw_code_digits) {
    e = DigitsEndAfter(i) - 1 - i;
  } else if (fFirst == sw_code_anything) {
    while (i + e + 1 < fN && LetterOrDigitOrPunctHere(fCls[i + e + 1])) ++e;
  } else if (LineBreakChar(fFirst) && fBuf[i] == u'\r' && i + 1 < fN && fBuf[i + 1] == u'\n') {
    e = 1;  // CR LF is one line end
  }
  return e;
}

Int32 TMatcher::WordEndAfter(Int32 x) {
  const Int32 from = x + 1;
  if (fMemo.end_known && from >= fMemo.end_from && from <= fMemo.end_found) return fMemo.end_found;
  Int32 e = from;
  while (e < fN && LetterOrDigitHere(fCls[e])) ++e;
  fMemo.end_known = true;
  fMemo.end_from = from;
  fMemo.end_found = e;
  return e;
}

Int32 TMatcher::WordStartBefore(Int32 start) {
  // A word character is one the start may move over: not punctuation, space
  // or control, and not inside markup (a tag ends a word). A word that opens
  // the text starts at its first character.
  auto movable = [](Word k) { return !PunctSpaceOrControlHere(k) && !TaggedCharHere(k); };
  if (fMemo.start_known && start >= fMemo.start_found && start <= fMemo.start_probe) return fMemo.start_found;
  Int32 e = start;
  while (e >= 1 && movable(fCls[e - 1])) {
    if (fMemo.start_known && e == fMemo.start_probe) {
      e = fMemo.start_found;
      break;
    }
    --e;
  }
  fMemo.start_known = true;
  fMemo.start_probe = start;
  fMemo.start_found = e;
  return e;
}

void TMatcher::CountWordsThrough(Int32 index) {
  // A word is a run of letters, digits, punctuation or currency; each is
  // counted at its first character, once.
  const Int32 mark = std::max<Int32>(fMemo.words_counted_to, 0);
  if (index < mark) return;
  fRec.buffer_charStats.number[stats_word] += CountWordStarts(fCls, mark, index + 1, fLevel);
  fMemo.words_counted_to = index + 1;
}

void TMatcher::MarkupAt(Int32 i, Char c, Word k) {
  if (!TaggedCharHere(k)) return;
  if (c == u'<') {
    fRec.in_tagged_text = true;
    fRec.tag_edge_1B[sf_start2] = i + 1;
    fRec.tag_number_1B = k & 0x7FF;
    if (fFirst == sw_code_tag_section && !fWithin.empty()) {
      Int32 limit = i + 1;
      while (limit < fN && fBuf[limit] != u'>') ++limit;
      const Char* m = StrPosLen(fBuf + i, fWithin.data(), limit - i, static_cast<Int32>(fWithin.size()), fCase);
      if (m != nullptr && m - fBuf + static_cast<Int32>(fWithin.size()) <= limit) {
        if (limit < fN) {
          fRec.tag_edge_1B[sf_finish2] = limit + 2;
          fRec.in_tagged_text = false;
        }
        fTagCandidate = static_cast<Int32>(m - fBuf);
        fTagLimit = std::min(limit, fN - 1);
      }
    }
  } else if (c == u'>') {
    fRec.tag_edge_1B[sf_finish2] = i + 2;
    fRec.in_tagged_text = false;
  }
}

bool TMatcher::EndCheck(Int32& x, Int32 punct) {
  // A pattern that ends with a line end ends there, whatever begins the next
  // line.
  if (!LineBreakChar(fPat[fM - 1])) {
    if (fRightBounded) {
      if (x + 1 < fN && LetterOrDigitHere(fCls[x + 1])) return false;
    } else {
      x = WordEndAfter(x) - 1;
    }
  }
  // Only the hit's own punctuation is reported: a candidate that failed here
  // leaves nothing behind for a later one.
  if (punct > 0) fRec.puncts_in_hit = punct;
  return true;
}

SK_SCAN_STEP bool TMatcher::Verify(Int32 i, Int32 ext, Int32& last, Int32& skipTo) {
  skipTo = 0;
  Int32 x = i + ext;
  Int32 p = fLead + 1;
  // A first character that is itself a wildcard of a run is walked like any
  // other pattern character, and so is the blank after a first word made of
  // wildcards only: the walk takes the whole gap between the words there
  // (spaces, a line end, punctuation before a sentence barrier), as it does
  // after a plain first word.
  if ((fFirst < 0x20 && fFirst != sw_code_digits && fFirst != sw_code_anything && fFirst != sw_code_tag_section &&
       !LineBreakChar(fFirst)) ||
      fFirst == u' ') {
    x = i - 1;
    p = fLead;
  }
  // While only plain characters have been matched, each took one text
  // character: a run that fails at its word's end fails as well for every
  // later candidate whose run would begin before that end.
  const bool plainSoFar = ext == 0 && p == fLead + 1;
  return VerifyFrom(i, x, p, plainSoFar, last, &skipTo);
}

bool TMatcher::SpaceOrLineEndAt(Int32 x) const {
  return x >= 0 && x < fN && (SpaceHere(fCls[x]) || LineBreakChar(fBuf[x]));
}

SK_SCAN_ASIDE Int32 TMatcher::GapEndOverMarkup(Int32 x) const {
  while (x + 2 < fN && TaggedCharHere(fCls[x + 1])) {
    Int32 y = x + 2;
    while (y < fN - 1 && TaggedCharHere(fCls[y])) ++y;
    if (!SpaceOrControlHere(fCls[y])) break;
    x = y;
    while (x + 1 < fN && SpaceOrControlHere(fCls[x + 1])) ++x;
  }
  return x;
}

bool TMatcher::WordBeginsAt(Int32 x, Int32 q) const {
  // Right after the pattern's blank the walk has passed over the whole gap
  // (a space, a line end, punctuation before a sentence barrier, the spaces
  // and controls after it such as an indenting tab, and markup), as it does
  // before a plain word: whatever stood last in the gap, a word begins here.
  if (q >= 1 && fPat[q - 1] == u' ') return true;
  if (x < 1) return false;
  return SpaceOrLineEndAt(x - 1) || (fPat[q] == sw_code_whole_word && TaggedCharHere(fCls[x - 1]));
}

TMatcher::TWalkEnd TMatcher::Walk(Int32& x, Int32& p, Int32& punct, bool& plainSoFar, Int32& last) {
  while (p < fM) {
    const Char g = fPat[p];
    if (g == sw_code_anything) {
      last = x;
      return we_matched;
    }
    ++x;
    ++p;
    if (x >= fN) return we_failed;
    Word k = fCls[x];
    if (g == u'>' && fRec.in_tagged_text && fBuf[x] == u'>' && TaggedCharHere(k)) {
      fRec.tag_edge_1B[sf_finish2] = x + 2;
      fRec.in_tagged_text = false;
    }
    if (TaggedCharHere(k) && !fInTags) {
      plainSoFar = false;
      while (x < fN - 1 && TaggedCharHere(fCls[x])) ++x;
      k = fCls[x];
    }
    const Char c = fBuf[x];
    if (g > 0x20) {
      if (!Matches(c, g, fCase, fTable)) return we_failed;
      continue;
    }
    switch (g) {
      case u' ':
        // Words are separated by spaces or by a line end (LF, CR LF or CR).
        plainSoFar = false;
        if (!BlankAt(c, k)) return we_failed;
        if (PunctHere(k)) punct = x;
        if (p < fM) {
          while (x + 1 < fN && SpaceOrControlHere(fCls[x + 1])) ++x;
          if (x + 1 < fN && TaggedCharHere(fCls[x + 1]) && !fInTags) x = GapEndOverMarkup(x);
        }
        break;
      case sw_code_one_char:
        plainSoFar = false;
        if (!LetterOrDigitHere(k)) return we_failed;
        break;
      case sw_code_one_letter:
        plainSoFar = false;
        if (!LetterHere(k)) return we_failed;
        break;
      case sw_code_digits:
        plainSoFar = false;
        if (!DigitHere(k)) return we_failed;
        x = DigitsEndAfter(x) - 1;
        break;
      case sw_code_whole_word:
        plainSoFar = false;
        if (!WordBeginsAt(x, p - 1)) return we_failed;
        [[fallthrough]];
      case sw_code_rest_of_word:
        plainSoFar = false;
        if (!LetterOrDigitHere(k)) return we_failed;
        x = WordEndAfter(x) - 1;
        break;
      case sw_code_word_start:
      case sw_code_any_in_word: return we_star;
      default:
        plainSoFar = false;
        if (LineBreakChar(g)) {
          if (!LineBreakChar(c)) return we_failed;
          if (c == u'\r' && x + 1 < fN && fBuf[x + 1] == u'\n') ++x;  // CR LF is one line end
        } else if (c != g) {
          return we_failed;
        }
        break;
    }
  }
  if (!EndCheck(x, punct)) return we_failed;
  last = x;
  return we_matched;
}

bool TMatcher::OpenStar(Int32 x, Int32 p, Int32 punct, bool plainSoFar) {
  const Char g = fPat[p - 1];
  if (g == sw_code_word_start && !WordBeginsAt(x, p - 1)) return false;
  // A run of k stars takes k or more letters or digits (a star after a blank
  // none or more).
  Int32 least = g == sw_code_any_in_word ? 1 : 0;
  Int32 next = p;
  while (next < fM && fPat[next] == sw_code_any_in_word) {
    ++least;
    ++next;
  }
  if (least > 0 && WordEndAfter(x - 1) - x < least) return false;
  TStarFrame f{};
  f.star = p - 1;
  f.next = next;
  f.runStart = x;
  f.first = x + least;
  f.cursor = f.first;
  f.stop = f.first;
  f.punct = punct;
  f.bottom = plainSoFar && fFrames.empty();
  fFrames.push_back(f);
  return true;
}

bool TMatcher::PlaceCanStart(Int32 y, Int32 next) const {
  if (next >= fM) return true;  // the stars end the pattern
  const Char h = fPat[next];
  if (h > 0x20) return Matches(fBuf[y], h, fCase, fTable);
  switch (h) {
    case sw_code_one_char:
    case sw_code_rest_of_word:
    case sw_code_whole_word: return LetterOrDigitHere(fCls[y]);
    case sw_code_one_letter: return LetterHere(fCls[y]);
    case sw_code_digits: return DigitHere(fCls[y]);
    case u'\r':
    case u'\n': return LineBreakChar(fBuf[y]);
    default: return true;  // the walk decides
  }
}

TStarPlacesMemo::TKnownFailed& TMatcher::Known(Int32 star) {
  if (fKnown->known.size() < static_cast<size_t>(fM)) fKnown->known.resize(static_cast<size_t>(fM));
  return fKnown->known[static_cast<size_t>(star)];
}

void TMatcher::RememberFailed(Int32 star, Int32 from, Int32 to) {
  if (to < from) return;
  TStarPlacesMemo::TKnownFailed& k = Known(star);
  // Places of one star lie in one run of letters and digits, perhaps with
  // the character that ends it: two spans join only inside one run.
  auto endsRun = [&](Int32 e) { return e >= fN || !LetterOrDigitHere(fCls[e]); };
  const bool overlap = k.from >= 0 && k.from <= to && from <= k.to;
  const bool joins = k.from >= 0 && ((k.to + 1 == from && !endsRun(k.to)) || (to + 1 == k.from && !endsRun(to)));
  if (overlap || joins) {
    k.from = std::min(k.from, from);
    k.to = std::max(k.to, to);
  } else {
    k.from = from;
    k.to = to;
  }
}

Int32 TMatcher::NextPlace(TStarFrame& f) {
  if (f.done) return -1;
  Int32 y = f.cursor;
  for (;;) {
    // Stars that end the pattern may take the buffer's last letters.
    if (y > fN || (y == fN && f.next < fM)) {
      f.stop = fN;
      return -1;
    }
    const TStarPlacesMemo::TKnownFailed& known = Known(f.star);
    if (y >= known.from && y <= known.to) {
      // Every place from here to known.to fails.
      f.tried = true;
      if (known.to >= fN || !LetterOrDigitHere(fCls[known.to])) {
        f.stop = known.to;
        return -1;
      }
      y = known.to + 1;
      continue;
    }
    if (Tick()) return -1;
    const bool inWord = y < fN && LetterOrDigitHere(fCls[y]);
    if (PlaceCanStart(y, f.next)) {
      f.tried = true;
      f.cursor = y + 1;
      f.done = !inWord;  // a later place would lie outside the word
      f.stop = y;
      return y;
    }
    if (!inWord) {
      f.stop = y;
      return -1;
    }
    ++y;
  }
}

SK_SCAN_STEP bool TMatcher::VerifyFrom(Int32 i, Int32 x, Int32 p, bool plainSoFar, Int32& last, Int32* skipTo) {
  // A search with backtracking to the innermost star only: each star keeps
  // one place to go back to, and a place that failed once is never tried
  // again (the rest of the pattern from it fails whichever way it was
  // reached), so a word costs at most its length times the pattern's.
  fFrames.clear();
  Int32 punct = 0;
  for (;;) {
    const TWalkEnd end = Walk(x, p, punct, plainSoFar, last);
    if (end == we_matched) {
      // The places each star passed over before the one that matched fail.
      for (const TStarFrame& f : fFrames) RememberFailed(f.star, f.first, f.cursor - 2);
      return true;
    }
    if (end == we_star) OpenStar(x, p, punct, plainSoFar);
    for (;;) {
      if (fStopped || fFrames.empty()) return false;
      TStarFrame& f = fFrames.back();
      const Int32 y = NextPlace(f);
      if (fStopped) return false;
      if (y >= 0) {
        x = y - 1;
        p = f.next;
        punct = f.punct;
        plainSoFar = false;
        break;
      }
      RememberFailed(f.star, f.first, f.stop);
      // No place at all in a word reached through plain characters only:
      // every later candidate whose star would begin in this word fails too.
      if (f.bottom && !f.tried && skipTo != nullptr) *skipTo = f.stop - (f.runStart - i);
      fFrames.pop_back();
    }
  }
}

Int32 TMatcher::DigitsEndAfter(Int32 x) {
  // Known from this search or an earlier one: many hits in one run of
  // digits each cost no walk over the run.
  TStarPlacesMemo& m = *fKnown;
  const Int32 from = x + 1;
  if (m.digits_from >= 0 && from >= m.digits_from && from <= m.digits_end) return m.digits_end;
  Int32 e = from;
  while (e < fN && DigitHere(fCls[e])) ++e;
  m.digits_from = from;
  m.digits_end = e;
  return e;
}

Int32 TMatcher::RunStartBefore(Int32 j, bool digits) const {
  TStarPlacesMemo& m = *fKnown;
  auto inRun = [&](Int32 at) { return digits ? DigitHere(fCls[at]) : LetterOrDigitHere(fCls[at]); };
  const bool known = m.back_found >= 0 && digits == m.back_digits;
  bool used = false;
  Int32 e = j;
  for (;;) {
    if (known && !used && e >= m.back_found && e <= m.back_probe) {
      // An earlier walk, perhaps from another start, found the run reaching
      // back to back_found at least.
      used = true;
      if (m.back_found <= fStart) {
        e = fStart;
        break;
      }
      e = m.back_found;
      if (m.back_at_start) break;
    }
    if (e - 1 < fStart || !inRun(e - 1)) break;
    --e;
  }
  // Every index from e up to j is in the run: joined to what was known when
  // the two meet.
  Int32 lo = e;
  Int32 hi = j;
  if (known && e <= m.back_probe && j >= m.back_found) {
    lo = std::min(lo, m.back_found);
    hi = std::max(hi, m.back_probe);
  }
  m.back_found = lo;
  m.back_probe = hi;
  m.back_digits = digits;
  m.back_at_start = lo == 0 || !inRun(lo - 1);
  return e;
}

const Char* TMatcher::Run() { return fAnchored ? RunAs<true>() : RunAs<false>(); }

template <bool kAnchored>
SK_SCAN_ASIDE const Char* TMatcher::RunAs() {
  if (fM == 0 || fStart >= fN) return nullptr;
  // A blank as the first plain character stands for any space, line end or
  // punctuation: it is looked for by class, unless a plain character follows
  // it, which is looked for instead (anchored).
  const Int32 look = kAnchored ? fLead + 1 : fLead;
  const Char lookFor = fPat[look];
  const bool fast = lookFor > 0x20;
  // The units of each upper case, looked up once for the whole setup.
  const TUpperInverse* inv = fast && !fCase ? &InverseOf(fTable) : nullptr;
  // With a plain second pattern character the scan looks for the pair.
  TPairStops pair;
  const bool pairs = fast && look + 1 < fM && fPat[look + 1] > 0x20 &&
                     EquivalentsOf(lookFor, inv, fTable, pair.first) &&
                     EquivalentsOf(fPat[look + 1], inv, fTable, pair.second);
  if (pairs)
    pair.hasThird = look + 2 < fM && fPat[look + 2] > 0x20 && EquivalentsOf(fPat[look + 2], inv, fTable, pair.third);
  const TStopUnits stops = fast && !pairs ? StopUnitsFor(lookFor, inv, fTable) : TStopUnits{};
  // The scan meets markup from the same place whatever it looks for.
  Int32 i = fStart + fLead;
  // No hit begins at noHit..i - 1, whatever start at or after this one a
  // search has (-1: nothing learnt since the last place where the answer
  // could depend on the start or on markup). A later search of the same
  // pattern passes over what was learnt, so that hit after hit in one long
  // run does not scan the run again each time.
  Int32 noHit = -1;
  auto learnt = [&](Int32 to) {
    if (noHit >= 0 && to >= noHit) RememberNoHits(noHit, to);
    noHit = -1;
  };
  const TStarPlacesMemo& known = *fKnown;
  while (i < fN) {
    if (Tick()) return nullptr;
    if (pairs) {
      i = FindPairStop(fBuf, fCls, i, fN, pair, fLevel);
      if (i >= fN) break;
    } else if (fast) {
      i = FindAnyStop(fBuf, i, fN, stops, fLevel);
      if (i >= fN) break;
    } else if (fFirst == u' ') {
      i = NextBlankOrMarkup(i);
      if (i >= fN) break;
    }
    if (fLearnsCandidates && known.candidates_start >= 0 && fStart >= known.candidates_start &&
        i >= known.candidates.from && i <= known.candidates.to) {
      if (noHit < 0) noHit = i;
      i = known.candidates.to + 1;
      continue;
    }
    const Char c = fBuf[i];
    const Word k = fCls[i];
    Int32 candidate = -1;
    Int32 lead = -1;
    Int32 ext = 0;
    fTagCandidate = -1;
    if constexpr (kAnchored) NoteMarkup(i, c, k);
    MarkupAt(i, c, k);
    // Markup, and a lead that the start cut short (or may have), make an
    // answer that another start might not give.
    bool learnable = fLearnsCandidates && !TaggedCharHere(k) && !fRec.in_tagged_text;
    if constexpr (kAnchored) {
      Int32 last = 0;
      const bool hit = Matches(c, lookFor, fCase, fTable) &&
                       (fInTags || (!fRec.in_tagged_text && !TaggedCharHere(k))) && GapHit(i, lead, last, learnable);
      if (fStopped) return nullptr;
      if (!learnable) {
        learnt(i - 1);
      } else if (noHit < 0) {
        noHit = i;
      }
      if (!hit) {
        ++i;
        continue;
      }
      learnt(i - 1);
      return Hit(lead, last);
    }
    if (fTagCandidate >= 0) {
      candidate = fTagCandidate;
      lead = candidate;
      ext = fTagLimit - candidate;
    } else if (FirstMatches(c, k) && (fInTags || (!fRec.in_tagged_text && !TaggedCharHere(k)))) {
      lead = fLead > 0 ? LeadOf(i) : i;
      if (lead >= 0 && LeftBoundOK(lead)) {
        candidate = i;
        ext = Extension(i);
      } else if (lead == -2 || (lead >= 0 && lead <= fStart && fStart > 0)) {
        learnable = false;
      }
    }
    if (!learnable) {
      learnt(i - 1);
    } else if (noHit < 0) {
      noHit = i;
    }
    if (candidate < 0) {
      ++i;
      continue;
    }
    Int32 last = 0;
    Int32 skipTo = 0;
    const bool verified = Verify(candidate, ext, last, skipTo);
    if (fStopped) return nullptr;
    if (verified) {
      learnt(i - 1);
      return Hit(lead, last);
    }
    const Int32 next = std::max({candidate + ext + 1, skipTo, candidate + 1});
    // What the scan passes over after a candidate is not known to begin no
    // hit: a later search may start there.
    if (next != i + 1) learnt(i);
    i = next;
  }
  learnt(fN - 1);
  return nullptr;
}

SK_SCAN_STEP const Char* TMatcher::Hit(Int32 lead, Int32 last) {
  CountWordsThrough(lead);
  fRec.where_hit_started = fBuf + lead;
  fRec.exact_hit_char_position_1B = lead + 1;
  const Int32 edge = fLeftBounded ? lead : WordStartBefore(lead);
  fRec.hit_edge_1B[sf_start2] = edge + 1;
  fRec.hit_edge_1B[sf_finish2] = last + 2;
  fRec.full_hit_len = last + 1 - edge;
  return fRec.where_hit_started;
}

void TMatcher::NoteMarkup(Int32 i, Char c, Word k) {
  if (!TaggedCharHere(k) || (c != u'<' && c != u'>')) return;
  // A delimiter with only markup between it and the one before belongs to
  // the same run; with markup hidden, also with what a gap holds between
  // them.
  bool sameRun = fMarkAt >= 0 && fMarkAt < i;
  for (Int32 t = i - 1; sameRun && t > fMarkAt; --t)
    sameRun = fInTags ? TaggedCharHere(fCls[t]) : GapCharHere(fCls[t]);
  if (!sameRun) {
    fSnap = TagState();
    fSnapAt = i;
  }
  fMarkAt = i;
}

SK_SCAN_ASIDE bool TMatcher::GapHit(Int32 i, Int32& lead, Int32& last, bool& learnable) {
  // The walk from a blank b takes b, then the gap after it (spaces,
  // controls and, with markup hidden, markup), and then the character at i:
  // so b stands in the gap before i, or is punctuation just before it. The
  // blanks a scan for them would meet are tried in their order.
  const Int32 lo = fStart + fLead;
  Int32 r = i;
  while (r - 1 >= lo && GapCharHere(fCls[r - 1])) --r;
  // Blanks before lo are not this search's: a later start sees fewer.
  if (r - 1 < lo) learnable = false;
  // The markup state at each blank: from before the markup of the gap (and
  // of i itself, a delimiter when tags are searched), with the delimiters
  // of the gap before the blank met again.
  const TTagState atI = TagState();
  const bool gapMarkup = fSnapAt >= r && fSnapAt <= i;
  if (gapMarkup) SetTagState(fSnap);
  if (fLearnsCandidates && fRec.in_tagged_text) learnable = false;
  Int32 met = gapMarkup ? fSnapAt : i;
  for (Int32 b = std::max(r - 1, lo); b < i; ++b) {
    for (; met < b; ++met) MarkupAt(met, fBuf[met], fCls[met]);
    const Word k = fCls[b];
    if (!BlankAt(fBuf[b], k) || !(fInTags || (!fRec.in_tagged_text && !TaggedCharHere(k)))) continue;
    lead = LeadOf(b);
    if (lead >= 0 && LeftBoundOK(lead)) {
      Int32 skipTo = 0;
      if (Verify(b, 0, last, skipTo)) return true;
      if (fStopped) return false;
    } else if (lead == -2 || (lead >= 0 && lead <= fStart && fStart > 0)) {
      learnable = false;
    }
  }
  if (gapMarkup) SetTagState(atI);
  return false;
}

void TMatcher::RememberNoHits(Int32 from, Int32 to) {
  TStarPlacesMemo& m = *fKnown;
  TStarPlacesMemo::TKnownFailed& k = m.candidates;
  if (m.candidates_start >= 0 && k.from <= to + 1 && from <= k.to + 1) {
    k.from = std::min(k.from, from);
    k.to = std::max(k.to, to);
    m.candidates_start = std::max(m.candidates_start, fStart);
  } else {
    k.from = from;
    k.to = to;
    m.candidates_start = fStart;
  }
}

}  // namespace

bool NonTagAlphNumPrecedesChar(const String& text, Int32 p, const std::vector<Word>& classes) {
  return p > 0 && static_cast<size_t>(p) <= text.size() && static_cast<size_t>(p) <= classes.size() &&
         classes[static_cast<size_t>(p) - 1] < 4;
}

bool NonTagAlphNumFollowsChar(const String& text, Int32 p, const std::vector<Word>& classes) {
  if (p < -1) return false;
  const size_t q = static_cast<size_t>(p + 1);
  return q < text.size() && q < classes.size() && text[q] != 0 && classes[q] < 4;
}

bool CharsMatch(Char t, Char p, bool caseSensitive) { return Matches(t, p, caseSensitive, DefaultUpperTable()); }

const Char* StrPosLen(const Char* text, const Char* pattern, Int32 textLen, Int32 patternLen, bool caseSensitive) {
  if (text == nullptr || pattern == nullptr || textLen < 1 || patternLen < 1 || patternLen > textLen) return nullptr;
  const Char* table = DefaultUpperTable();
  for (Int32 j = 0; j + patternLen <= textLen; ++j) {
    Int32 q = 0;
    while (q < patternLen && text[j + q] != 0 && Matches(text[j + q], pattern[q], caseSensitive, table)) ++q;
    if (q == patternLen) return text + j;
  }
  return nullptr;
}

const Char* ConcSearch(const Char* start, TWholeOrPart which, const TTextStatsPositions_rec& /*positions*/,
                       const String& searchText, const String& withinTag, TMSSearchFlags flags,
                       Tcollocation_barrier barrier, Byte initialWildcard, bool searchInTags, TConcSearchRec& rec,
                       const Char* upperTable, TStarPlacesMemo* starMemo) {
  const String& buffer = global_bufStr[which];
  const std::vector<Word>& classes = global_Wchars[which];
  const Char* buf = buffer.data();
  rec.start_of_text = buf;
  rec.tag_number_1B = 0;
  rec.puncts_in_hit = 0;
  rec.hit_edge_1B = {};
  rec.tag_edge_1B = {};
  // Past this the positions would not fit: nothing is searched rather than
  // only the front of the text.
  if (buffer.size() > kMostMatchedUnits) return nullptr;
  const auto n = static_cast<Int32>(buffer.size());
  TConcSearchMemo& memo = rec.matcher_memo;
  if (memo.buffer != buf || memo.classes != classes.data() || memo.length != n) {
    memo = TConcSearchMemo{};
    memo.buffer = buf;
    memo.classes = classes.data();
    memo.length = n;
  }
  if (searchText.empty() || start == nullptr || start < buf || start >= buf + n) return nullptr;
  // Without a class for every character nothing can be matched.
  if (classes.size() < static_cast<size_t>(n)) return nullptr;
  const Char* table = upperTable != nullptr ? upperTable : DefaultUpperTable();
  if (starMemo != nullptr) {
    // What it knows holds for this buffer, pattern and way of matching only.
    TStarPlacesMemo& m = *starMemo;
    if (m.buffer != buf || m.classes != classes.data() || m.length != n || m.pattern != searchText ||
        m.flags != flags.bits[0] || m.barrier != barrier || m.searchInTags != searchInTags || m.table != table ||
        m.initialWildcard != initialWildcard) {
      m = TStarPlacesMemo{};
      m.buffer = buf;
      m.classes = classes.data();
      m.length = n;
      m.pattern = searchText;
      m.flags = flags.bits[0];
      m.barrier = barrier;
      m.searchInTags = searchInTags;
      m.table = table;
      m.initialWildcard = initialWildcard;
    }
  }
  TMatcher matcher(buf, n, classes.data(), static_cast<Int32>(start - buf), searchText, withinTag, flags, barrier,
                   initialWildcard, searchInTags, rec, table, starMemo);
  return matcher.Run();
}

Int32 WordCount(const std::vector<Word>& classes) {
  Int32 n = 0;
  const size_t len = classes.size();
  size_t i = 0;
  while (i < len) {
    const Word k = classes[i];
    if (SpaceOrControlHere(k)) {
      ++n;
      ++i;
      while (i < len && (PunctSpaceOrControlHere(classes[i]) || TaggedCharHere(classes[i]))) ++i;
    } else {
      ++i;
    }
  }
  return n;
}

void BlankedOutSomeChars(String& text, Int32 start, Int32 length, std::vector<Word>& classes, Int32 tagNumber) {
  if (start < 0 || length < 1) return;
  const size_t end = std::min({static_cast<size_t>(start) + static_cast<size_t>(length), text.size(), classes.size()});
  for (size_t i = static_cast<size_t>(start); i < end; ++i) {
    text[i] = u' ';
    classes[i] = i == static_cast<size_t>(start) ? static_cast<Word>(0x800 + tagNumber)
                                                 : static_cast<Word>(classes[i] | 0x800);
  }
}

void MarkWCharsTagged(const String& text, Int32 start, Int32 length, std::vector<Word>& classes, Int32 tagNumber,
                      bool& nested) {
  if (start < 0 || length < 1) return;
  const size_t end = std::min({static_cast<size_t>(start) + static_cast<size_t>(length), text.size(), classes.size()});
  for (size_t i = static_cast<size_t>(start); i < end; ++i) {
    if (i == static_cast<size_t>(start)) {
      classes[i] = static_cast<Word>(0x800 + tagNumber);
    } else if (text[i] == u'<') {
      classes[i] = 0x800;
      nested = true;
    } else {
      classes[i] = static_cast<Word>(classes[i] | 0x800);
    }
  }
}

void HandleMiddleChars(const String& text, const String& middleChars, std::vector<Word>& classes,
                       bool atRightAllowed, bool atLeftAllowed) {
  if (middleChars.empty()) return;
  const size_t n = std::min(text.size(), classes.size());
  for (size_t i = 0; i < n; ++i) {
    if (middleChars.find(text[i]) == String::npos) continue;
    const Word k = classes[i];
    if (k == 0 || TaggedCharHere(k)) continue;
    const bool leftOK = atLeftAllowed || (i > 0 && LetterOrDigitHere(classes[i - 1]));
    const bool rightOK = atRightAllowed || (i + 1 < n && LetterOrDigitHere(classes[i + 1]));
    if (leftOK && rightOK) classes[i] = 1;
  }
}

void HandleMiddleCharsInNumbers(const String& text, bool spacesToo, std::vector<Word>& classes) {
  const size_t n = std::min(text.size(), classes.size());
  if (classes.size() < 4) return;
  const size_t usable = classes.size() - 3;  // triples must end before the last three entries
  for (size_t i = 1; i + 1 < n && i + 1 < usable; ++i) {
    if (!DigitHere(classes[i - 1]) || DigitHere(classes[i]) || !DigitHere(classes[i + 1])) continue;
    if (spacesToo && SpaceHere(classes[i])) {
      classes[i] = 3;
      continue;
    }
    const Char c = text[i];
    if (c == u'(' || c == u'[' || c == u'{') {
      for (size_t j = i + 1; j < n; ++j) {
        const Char d = text[j];
        if (!(DigitHere(classes[j]) || d == u')' || d == u']' || d == u'}')) break;
        classes[j] = 3;
      }
    }
    if (PunctHere(classes[i])) classes[i] = 3;
  }
}

String StringWithoutInitialAndFinalPunct(const String& text, const Tfixed_lang_details& lang) {
  auto alnum = [](Char c) { return LetterOrDigitHere(CharClassOf(c)); };
  if (std::all_of(text.begin(), text.end(), alnum)) return text;
  String middles;
  for (Char c : lang.allowable_middle_letters) {
    if (c == 0) break;
    middles += c;
  }
  String out;
  for (Char c : text)
    if (alnum(c) || middles.find(c) != String::npos) out += c;
  if (!out.empty() && lang.allow_middles_at_left == 0 && !alnum(out.front())) out.erase(0, 1);
  if (!out.empty() && lang.allow_middles_at_right == 0 && !alnum(out.back())) out.pop_back();
  return out;
}

String CollocateNumberCheckedStr(const String& text, bool flag) {
  if (flag)
    for (Char c : text)
      if (DigitHere(CharClassOf(c))) return u"#";
  return text;
}

void CheckForCurlyApostrophes(String& text) {
  if (text.find(u'\'') != String::npos) text += u"\u2018\u2019\u275B\u275C";
}

SK_COUNTER_ONLY_UNIT(Further_string_functions)

}  // namespace sk
