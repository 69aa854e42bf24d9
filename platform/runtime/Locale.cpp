// Locale services on ICU: the process user-default locale, locale identifiers,
// collation with cached collators, one-to-one case mapping, folding, character
// types and locale information.
#include "platform/runtime/Locale.h"

#include <unicode/ucal.h>
#include <unicode/uchar.h>
#include <unicode/ucol.h>
#include <unicode/ucurr.h>
#include <unicode/udat.h>
#include <unicode/uloc.h>
#include <unicode/ulocdata.h>
#include <unicode/unorm2.h>
#include <unicode/unum.h>
#include <unicode/uscript.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/runtime/CodePages.h"

namespace sk {

namespace {

// ---------------------------------------------------------------------------
// Process locale state
// ---------------------------------------------------------------------------

struct UserLocaleState {
  std::mutex lock;
  std::string name;          // ICU name, never empty once initialised
  bool initialised = false;
};

UserLocaleState& UserState() {
  static UserLocaleState state;
  return state;
}

// Bumped whenever the user default locale changes, so that per-thread caches
// keyed on "the user default" notice and look the locale up again.
std::atomic<uint32_t> gLocaleGeneration{1};
// -1 unknown, 0 no, 1 yes: whether the user default locale is Turkic.
std::atomic<int> gUserTurkic{-1};
std::atomic<Cardinal> gAnsiCodePage{1252};
// The user default locale's identifier with the generation it belongs to in
// the high half (0: not known yet).
std::atomic<uint64_t> gUserLCID{0};

std::string CanonicalIcuName(const std::string& raw) {
  std::string s = raw;
  std::string modifier;
  // POSIX names: language[_territory][.codeset][@modifier]
  size_t at = s.find('@');
  if (at != std::string::npos && s.find('=', at) == std::string::npos) {
    modifier = s.substr(at + 1);
    s.erase(at);
  }
  size_t dot = s.find('.');
  if (dot != std::string::npos) s.erase(dot);
  if (s.empty() || s == "C" || s == "POSIX") return "en_US";
  if (modifier == "latin" || modifier == "Latn") {
    size_t us = s.find('_');
    s = us == std::string::npos ? s + "_Latn" : s.substr(0, us) + "_Latn" + s.substr(us);
  } else if (modifier == "cyrillic" || modifier == "Cyrl") {
    size_t us = s.find('_');
    s = us == std::string::npos ? s + "_Cyrl" : s.substr(0, us) + "_Cyrl" + s.substr(us);
  }
  char buf[ULOC_FULLNAME_CAPACITY];
  UErrorCode err = U_ZERO_ERROR;
  int32_t n = uloc_canonicalize(s.c_str(), buf, sizeof buf, &err);
  if (U_FAILURE(err) || err == U_STRING_NOT_TERMINATED_WARNING || n <= 0) return s;
  std::string out(buf, static_cast<size_t>(n));
  if (out.empty() || out == "c" || out == "en_US_POSIX") return "en_US";
  return out;
}

std::string LocaleFromEnvironment() {
  for (const char* var : {"LC_ALL", "LC_COLLATE", "LANG"}) {
    const char* v = std::getenv(var);
    if (v != nullptr && *v != '\0') return CanonicalIcuName(v);
  }
  return "en_US";
}

// One part of an ICU locale name, through the uloc getter for that part;
// empty when ICU fails or the part does not fit its capacity.
template <size_t Capacity>
std::string LocalePart(const std::string& loc, int32_t (*get)(const char*, char*, int32_t, UErrorCode*)) {
  char buf[Capacity];
  UErrorCode err = U_ZERO_ERROR;
  int32_t n = get(loc.c_str(), buf, static_cast<int32_t>(sizeof buf), &err);
  if (U_FAILURE(err) || n <= 0 || n >= static_cast<int32_t>(sizeof buf)) return std::string();
  return std::string(buf, static_cast<size_t>(n));
}

std::string LanguageOf(const std::string& loc) { return LocalePart<ULOC_LANG_CAPACITY>(loc, uloc_getLanguage); }

std::string CountryOf(const std::string& loc) { return LocalePart<ULOC_COUNTRY_CAPACITY>(loc, uloc_getCountry); }

std::string ScriptOf(const std::string& loc) { return LocalePart<ULOC_SCRIPT_CAPACITY>(loc, uloc_getScript); }

bool IsTurkicName(const std::string& loc) {
  std::string lang = LanguageOf(loc);
  return lang == "tr" || lang == "az";
}

bool UserDefaultIsTurkic() {
  int t = gUserTurkic.load(std::memory_order_relaxed);
  if (t < 0) {
    t = IsTurkicName(GetUserDefaultLocaleName()) ? 1 : 0;
    gUserTurkic.store(t, std::memory_order_relaxed);
  }
  return t == 1;
}

bool IsDefaultLCID(Cardinal lcid) {
  // LOCALE_NEUTRAL, LOCALE_USER_DEFAULT, LOCALE_SYSTEM_DEFAULT and the custom
  // default identifiers all stand for the user's locale.
  return lcid == 0 || lcid == LOCALE_USER_DEFAULT || lcid == LOCALE_SYSTEM_DEFAULT || lcid == 0x0C00 ||
         lcid == 0x1000 || lcid == 0x1400;
}

// ---------------------------------------------------------------------------
// Collators, cached per thread by (locale, relevant flags)
// ---------------------------------------------------------------------------

constexpr Cardinal kCollationFlags = NORM_IGNORECASE | NORM_IGNORENONSPACE | NORM_IGNORESYMBOLS |
                                     LINGUISTIC_IGNORECASE | LINGUISTIC_IGNOREDIACRITIC | NORM_IGNOREKANATYPE |
                                     NORM_IGNOREWIDTH | SORT_DIGITSASNUMBERS;

struct CollatorCache {
  struct Named {
    std::string locale;
    Cardinal flags;
    icu::LocalUCollatorPointer coll;
  };
  struct Recent {
    Cardinal lcid = 0xFFFFFFFF;
    Cardinal flags = 0;
    uint32_t generation = 0;
    UCollator* coll = nullptr;
  };
  std::vector<Named> named;
  std::array<Recent, 4> recent{};
  size_t nextRecent = 0;

  CollatorCache() = default;
  CollatorCache(const CollatorCache&) = delete;
  CollatorCache& operator=(const CollatorCache&) = delete;
};

CollatorCache& Collators() {
  thread_local CollatorCache cache;
  return cache;
}

bool IgnoresCase(Cardinal flags) { return (flags & (NORM_IGNORECASE | LINGUISTIC_IGNORECASE)) != 0; }

// Case alone is ignored by collating the case folds of the texts (see
// Collation below) at the collator's own strength, which still tells width,
// kana type and the other variants apart. The flags that ignore more lower
// the strength.
void ConfigureCollator(UCollator* c, Cardinal flags) {
  UErrorCode err = U_ZERO_ERROR;
  const bool ignoreCase = IgnoresCase(flags);
  const bool ignoreAccents = (flags & (NORM_IGNORENONSPACE | LINGUISTIC_IGNOREDIACRITIC)) != 0;
  const bool ignoreWidthKana = (flags & (NORM_IGNOREKANATYPE | NORM_IGNOREWIDTH)) != 0;
  UColAttributeValue strength = UCOL_DEFAULT;
  if (ignoreAccents)
    strength = UCOL_PRIMARY;
  else if (ignoreWidthKana)
    strength = UCOL_SECONDARY;
  if (strength != UCOL_DEFAULT) {
    ucol_setAttribute(c, UCOL_STRENGTH, strength, &err);
    // Keep case differences when only accents, width or kana are ignored.
    if (!ignoreCase) ucol_setAttribute(c, UCOL_CASE_LEVEL, UCOL_ON, &err);
  }
  if (flags & NORM_IGNORESYMBOLS) ucol_setAttribute(c, UCOL_ALTERNATE_HANDLING, UCOL_SHIFTED, &err);
  if (flags & SORT_DIGITSASNUMBERS) ucol_setAttribute(c, UCOL_NUMERIC_COLLATION, UCOL_ON, &err);
}

UCollator* CollatorForLocale(const std::string& locale, Cardinal flags) {
  flags &= kCollationFlags;
  CollatorCache& cache = Collators();
  for (auto& n : cache.named)
    if (n.flags == flags && n.locale == locale) return n.coll.getAlias();
  UErrorCode err = U_ZERO_ERROR;
  icu::LocalUCollatorPointer c(ucol_open(locale.c_str(), &err));
  if (U_FAILURE(err) || c.isNull()) {
    err = U_ZERO_ERROR;
    c.adoptInstead(ucol_open("", &err));
    if (U_FAILURE(err) || c.isNull()) return nullptr;
  }
  ConfigureCollator(c.getAlias(), flags);
  UCollator* alias = c.getAlias();
  cache.named.push_back({locale, flags, std::move(c)});
  return alias;
}

UCollator* CollatorFor(Cardinal lcid, Cardinal flags) {
  flags &= kCollationFlags;
  CollatorCache& cache = Collators();
  const uint32_t gen = gLocaleGeneration.load(std::memory_order_acquire);
  for (auto& r : cache.recent)
    if (r.coll != nullptr && r.lcid == lcid && r.flags == flags && r.generation == gen) return r.coll;
  std::string loc = LCIDToIcuLocale(lcid);
  // An identifier unknown to ICU sorts by the root collation rather than failing
  // every comparison of a sort.
  UCollator* c = CollatorForLocale(loc.empty() ? std::string("root") : loc, flags);
  if (c != nullptr) {
    cache.recent[cache.nextRecent] = {lcid, flags, gen, c};
    cache.nextRecent = (cache.nextRecent + 1) % cache.recent.size();
  }
  return c;
}

Int32 Sign(UCollationResult r) { return r == UCOL_LESS ? -1 : (r == UCOL_GREATER ? 1 : 0); }

// The texts a collator compares under flags: the texts themselves, or their
// full case folds (Turkic rules for Turkish and Azeri) when case is ignored.
// The folds live in per-thread buffers until the next Collation on the thread.
class Collation {
 public:
  Collation(Cardinal lcid, Cardinal flags) : fFold(IgnoresCase(flags)), fTurkic(fFold && IsTurkicLocale(lcid)) {}

  // Text i (0 or 1) of n units (-1: up to a terminating zero), folded when
  // case is ignored; its length goes to n.
  const UChar* Text(int i, const Char* s, int32_t& n) const {
    if (!fFold) return reinterpret_cast<const UChar*>(s);
    std::u16string& out = Buffers()[i];
    const uint32_t options = fTurkic ? U_FOLD_CASE_EXCLUDE_SPECIAL_I : U_FOLD_CASE_DEFAULT;
    const size_t len = n < 0 ? std::char_traits<Char>::length(s) : static_cast<size_t>(n);
    // A full fold is at most three units per unit.
    out.resize(len * 3 + 1);
    UErrorCode err = U_ZERO_ERROR;
    const int32_t got = u_strFoldCase(reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()),
                                      reinterpret_cast<const UChar*>(s), static_cast<int32_t>(len), options, &err);
    if (U_FAILURE(err)) return reinterpret_cast<const UChar*>(s);  // case then counts; never expected
    n = got;
    return reinterpret_cast<const UChar*>(out.data());
  }

 private:
  static std::array<std::u16string, 2>& Buffers() {
    thread_local std::array<std::u16string, 2> buffers;
    return buffers;
  }
  bool fFold;
  bool fTurkic;
};

// The sign of the collation of two texts under flags into result; false
// without a collator.
bool Collate(Cardinal lcid, Cardinal flags, const Char* a, int32_t na, const Char* b, int32_t nb, Int32& result) {
  UCollator* c = CollatorFor(lcid, flags);
  if (c == nullptr) return false;
  const Collation collation(lcid, flags);
  const UChar* ta = collation.Text(0, a, na);
  const UChar* tb = collation.Text(1, b, nb);
  result = Sign(ucol_strcoll(c, ta, na, tb, nb));
  return true;
}

// ---------------------------------------------------------------------------
// One-to-one case mapping per UTF-16 unit
// ---------------------------------------------------------------------------

inline Char UpperUnit(Char c, bool turkic) {
  if (c < 0x80) {
    if (c >= u'a' && c <= u'z') return (turkic && c == u'i') ? Char(0x0130) : Char(c - 32);
    return c;
  }
  if (U16_IS_SURROGATE(c)) return c;
  UChar32 u = u_toupper(c);
  return u <= 0xFFFF ? static_cast<Char>(u) : c;
}

inline Char LowerUnit(Char c, bool turkic) {
  if (c < 0x80) {
    if (c >= u'A' && c <= u'Z') return (turkic && c == u'I') ? Char(0x0131) : Char(c + 32);
    return c;
  }
  if (U16_IS_SURROGATE(c)) return c;
  UChar32 u = u_tolower(c);
  return u <= 0xFFFF ? static_cast<Char>(u) : c;
}

// The one-unit mapping of every UTF-16 unit, built once per process and per
// direction and rule (the same answers as UpperUnit / LowerUnit), so that a
// long text is mapped without asking ICU per unit.
using TCaseTable = std::array<Char, 0x10000>;

TCaseTable BuildCaseTable(bool upper, bool turkic) {
  TCaseTable t{};
  for (UChar32 c = 0; c < 0x10000; ++c) {
    const Char u = static_cast<Char>(c);
    t[static_cast<size_t>(c)] = upper ? UpperUnit(u, turkic) : LowerUnit(u, turkic);
  }
  return t;
}

const Char* CaseTable(bool upper, bool turkic) {
  if (upper) {
    if (turkic) {
      static const TCaseTable t = BuildCaseTable(true, true);
      return t.data();
    }
    static const TCaseTable t = BuildCaseTable(true, false);
    return t.data();
  }
  if (turkic) {
    static const TCaseTable t = BuildCaseTable(false, true);
    return t.data();
  }
  static const TCaseTable t = BuildCaseTable(false, false);
  return t.data();
}

// Maps p[0..n) into out[0..n) (out may equal p). A surrogate pair is mapped as
// one code point when its mapping is also a pair; lone surrogates stay.
// Runs of ASCII go eight units at a time without a table or ICU; other
// units of the basic plane through the table.
void MapCase(const Char* p, size_t n, Char* out, bool upper, bool turkic) {
  const Char* table = nullptr;
  // The letters that change: a-z going up, A-Z going down; Turkic i / I
  // leave the ASCII fast path.
  const Char from = upper ? u'a' : u'A';
  const Char dotted = upper ? u'i' : u'I';
  const int delta = upper ? -32 : 32;
  for (size_t i = 0; i < n; ++i) {
    if (n - i >= 8) {
      uint64_t lo, hi;
      std::memcpy(&lo, p + i, 8);
      std::memcpy(&hi, p + i + 4, 8);
      if (((lo | hi) & 0xFF80FF80FF80FF80ull) == 0) {
        bool plain = true;
        Char block[8];
        for (size_t b = 0; b < 8; ++b) {
          const Char c = p[i + b];
          const bool letter = static_cast<Char>(c - from) < 26;
          plain = plain && !(turkic && c == dotted);
          block[b] = letter ? static_cast<Char>(c + delta) : c;
        }
        if (plain) {
          std::memcpy(out + i, block, sizeof block);
          i += 7;
          continue;
        }
      }
    }
    Char c = p[i];
    if (U16_IS_LEAD(c) && i + 1 < n && U16_IS_TRAIL(p[i + 1])) {
      UChar32 cp = U16_GET_SUPPLEMENTARY(c, p[i + 1]);
      UChar32 m = upper ? u_toupper(cp) : u_tolower(cp);
      Char t = p[i + 1];
      if (m > 0xFFFF) {
        out[i] = U16_LEAD(m);
        out[i + 1] = U16_TRAIL(m);
      } else {
        out[i] = c;
        out[i + 1] = t;
      }
      ++i;
      continue;
    }
    if (c < 0x80) {
      out[i] = upper ? UpperUnit(c, turkic) : LowerUnit(c, turkic);
    } else {
      if (table == nullptr) table = CaseTable(upper, turkic);
      out[i] = table[c];
    }
  }
}

// The mapped copy is written once: pieces are mapped into a small buffer and
// appended (a pair is never cut between two pieces).
String MappedCopy(const String& s, bool upper, bool turkic) {
  String r;
  r.reserve(s.size());
  constexpr size_t kPiece = 2048;
  Char buf[kPiece];
  const size_t n = s.size();
  for (size_t i = 0; i < n;) {
    size_t len = n - i < kPiece ? n - i : kPiece;
    if (i + len < n && len > 1 && U16_IS_LEAD(s[i + len - 1])) --len;
    MapCase(s.data() + i, len, buf, upper, turkic);
    r.append(buf, len);
    i += len;
  }
  return r;
}

// ---------------------------------------------------------------------------
// Folding helpers
// ---------------------------------------------------------------------------

const UNormalizer2* Nfc() {
  UErrorCode err = U_ZERO_ERROR;
  const UNormalizer2* n = unorm2_getNFCInstance(&err);
  return U_SUCCESS(err) ? n : nullptr;
}

const UNormalizer2* Nfd() {
  UErrorCode err = U_ZERO_ERROR;
  const UNormalizer2* n = unorm2_getNFDInstance(&err);
  return U_SUCCESS(err) ? n : nullptr;
}

const UNormalizer2* Nfkc() {
  UErrorCode err = U_ZERO_ERROR;
  const UNormalizer2* n = unorm2_getNFKCInstance(&err);
  return U_SUCCESS(err) ? n : nullptr;
}

void AppendCodePoint(std::u16string& out, UChar32 c) {
  if (c <= 0xFFFF) {
    out.push_back(static_cast<Char>(c));
  } else {
    out.push_back(U16_LEAD(c));
    out.push_back(U16_TRAIL(c));
  }
}

// Canonical composition of base characters with the combining marks that follow
// them, without the decomposition step of NFC: precomposed characters that
// exist replace their sequences and nothing else changes, so the text never
// grows.
std::u16string Precomposed(const Char* p, size_t n) {
  std::vector<UChar32> cps;
  cps.reserve(n);
  for (size_t i = 0; i < n;) {
    UChar32 c;
    U16_NEXT(p, i, n, c);
    cps.push_back(c);
  }
  const UNormalizer2* nfc = Nfc();
  if (nfc != nullptr) {
    size_t starter = static_cast<size_t>(-1);
    uint8_t lastCC = 0;
    std::vector<UChar32> out;
    out.reserve(cps.size());
    for (UChar32 c : cps) {
      uint8_t cc = u_getCombiningClass(c);
      if (starter != static_cast<size_t>(-1)) {
        bool blocked = !out.empty() && out.size() - 1 != starter && (lastCC == 0 || lastCC >= cc);
        if (!blocked) {
          UChar32 comp = unorm2_composePair(nfc, out[starter], c);
          if (comp >= 0) {
            out[starter] = comp;
            continue;
          }
        }
      }
      if (cc == 0) {
        starter = out.size();
        lastCC = 0;
      } else {
        lastCC = cc;
      }
      out.push_back(c);
    }
    cps.swap(out);
  }
  std::u16string r;
  r.reserve(n);
  for (UChar32 c : cps) AppendCodePoint(r, c);
  return r;
}

std::u16string Normalized(const UNormalizer2* norm, const Char* p, size_t n, bool* ok) {
  *ok = false;
  if (norm == nullptr) return std::u16string();
  if (n == 0) {
    *ok = true;
    return std::u16string();
  }
  int32_t cap = static_cast<int32_t>(n * 4 + 16);
  for (int attempt = 0; attempt < 3; ++attempt) {
    std::u16string r(static_cast<size_t>(cap), Char(0));
    UErrorCode err = U_ZERO_ERROR;
    int32_t len = unorm2_normalize(norm, reinterpret_cast<const UChar*>(p), static_cast<int32_t>(n),
                                   reinterpret_cast<UChar*>(r.data()), cap, &err);
    if (err == U_BUFFER_OVERFLOW_ERROR) {
      cap = len + 1;
      continue;
    }
    if (U_FAILURE(err)) return std::u16string();
    r.resize(static_cast<size_t>(len));
    *ok = true;
    return r;
  }
  return std::u16string();
}

// Ligatures that expand to several letters.
bool ExpandLigature(UChar32 c, std::u16string& out) {
  switch (c) {
    case 0x00C6: out += u"AE"; return true;
    case 0x00E6: out += u"ae"; return true;
    case 0x0152: out += u"OE"; return true;
    case 0x0153: out += u"oe"; return true;
    case 0x00DF: out += u"ss"; return true;
    case 0x0132: out += u"IJ"; return true;
    case 0x0133: out += u"ij"; return true;
    case 0x01C4: out += u"D\u017D"; return true;
    case 0x01C5: out += u"D\u017E"; return true;
    case 0x01C6: out += u"d\u017E"; return true;
    case 0x01C7: out += u"LJ"; return true;
    case 0x01C8: out += u"Lj"; return true;
    case 0x01C9: out += u"lj"; return true;
    case 0x01CA: out += u"NJ"; return true;
    case 0x01CB: out += u"Nj"; return true;
    case 0x01CC: out += u"nj"; return true;
    case 0x01F1: out += u"DZ"; return true;
    case 0x01F2: out += u"Dz"; return true;
    case 0x01F3: out += u"dz"; return true;
    case 0xFB00: out += u"ff"; return true;
    case 0xFB01: out += u"fi"; return true;
    case 0xFB02: out += u"fl"; return true;
    case 0xFB03: out += u"ffi"; return true;
    case 0xFB04: out += u"ffl"; return true;
    case 0xFB05: out += u"st"; return true;
    case 0xFB06: out += u"st"; return true;
    default: return false;
  }
}

bool InCompatibilityZone(UChar32 c) {
  return (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFE50 && c <= 0xFE6F) ||
         (c >= 0xFE70 && c <= 0xFEFE) || (c >= 0xFF00 && c <= 0xFFEF) || (c >= 0xFB00 && c <= 0xFB4F) ||
         (c >= 0xFB50 && c <= 0xFDFF);
}

// The fold of text by flags (flags already checked); false when ICU fails.
bool Fold(Cardinal flags, const Char* p, size_t n, std::u16string& out) {
  std::u16string cur(p, n);
  if (flags & MAP_EXPAND_LIGATURES) {
    std::u16string r;
    r.reserve(cur.size());
    for (size_t i = 0; i < cur.size();) {
      UChar32 c;
      U16_NEXT(cur.data(), i, cur.size(), c);
      if (!ExpandLigature(c, r)) AppendCodePoint(r, c);
    }
    cur.swap(r);
  }
  if (flags & MAP_FOLDCZONE) {
    const UNormalizer2* nfkc = Nfkc();
    if (nfkc == nullptr) return false;
    std::u16string r;
    r.reserve(cur.size());
    for (size_t i = 0; i < cur.size();) {
      size_t start = i;
      UChar32 c;
      U16_NEXT(cur.data(), i, cur.size(), c);
      if (InCompatibilityZone(c)) {
        bool ok;
        std::u16string f = Normalized(nfkc, cur.data() + start, i - start, &ok);
        if (!ok) return false;
        r += f;
      } else {
        r.append(cur, start, i - start);
      }
    }
    cur.swap(r);
  }
  if (flags & MAP_FOLDDIGITS) {
    std::u16string r;
    r.reserve(cur.size());
    for (size_t i = 0; i < cur.size();) {
      size_t start = i;
      UChar32 c;
      U16_NEXT(cur.data(), i, cur.size(), c);
      int32_t v = u_charDigitValue(c);
      if (v >= 0 && v <= 9 && u_charType(c) == U_DECIMAL_DIGIT_NUMBER)
        r.push_back(static_cast<Char>(u'0' + v));
      else
        r.append(cur, start, i - start);
    }
    cur.swap(r);
  }
  if (flags & MAP_PRECOMPOSED) {
    cur = Precomposed(cur.data(), cur.size());
  } else if (flags & MAP_COMPOSITE) {
    bool ok;
    cur = Normalized(Nfd(), cur.data(), cur.size(), &ok);
    if (!ok) return false;
  }
  out.swap(cur);
  return true;
}

bool FoldFlagsValid(Cardinal flags) {
  constexpr Cardinal known = MAP_FOLDCZONE | MAP_PRECOMPOSED | MAP_COMPOSITE | MAP_FOLDDIGITS | MAP_EXPAND_LIGATURES;
  if (flags == 0 || (flags & ~known) != 0) return false;
  if ((flags & MAP_PRECOMPOSED) && (flags & MAP_COMPOSITE)) return false;
  if ((flags & MAP_EXPAND_LIGATURES) && (flags & (MAP_PRECOMPOSED | MAP_COMPOSITE))) return false;
  return true;
}

// ---------------------------------------------------------------------------
// Character types
// ---------------------------------------------------------------------------

Word CType1(UChar32 c) {
  int8_t t = u_charType(c);
  if (t == U_UNASSIGNED) return 0;
  Word r = C1_DEFINED;
  switch (t) {
    case U_UPPERCASE_LETTER: r |= C1_UPPER | C1_ALPHA; break;
    case U_LOWERCASE_LETTER: r |= C1_LOWER | C1_ALPHA; break;
    case U_TITLECASE_LETTER:
    case U_MODIFIER_LETTER:
    case U_OTHER_LETTER:
    case U_NON_SPACING_MARK:
    case U_COMBINING_SPACING_MARK: r |= C1_ALPHA; break;
    case U_DECIMAL_DIGIT_NUMBER: r |= C1_DIGIT; break;
    case U_CONNECTOR_PUNCTUATION:
    case U_DASH_PUNCTUATION:
    case U_START_PUNCTUATION:
    case U_END_PUNCTUATION:
    case U_INITIAL_PUNCTUATION:
    case U_FINAL_PUNCTUATION:
    case U_OTHER_PUNCTUATION:
    case U_MATH_SYMBOL:
    case U_CURRENCY_SYMBOL:
    case U_MODIFIER_SYMBOL:
    case U_OTHER_SYMBOL: r |= C1_PUNCT; break;
    case U_CONTROL_CHAR: r |= C1_CNTRL; break;
    default: break;
  }
  if (c == 0x09 || c == 0x0A || c == 0x0B || c == 0x0C || c == 0x0D || c == 0x85 || u_isUWhiteSpace(c))
    r |= C1_SPACE;
  if (c == 0x09 || t == U_SPACE_SEPARATOR) r |= C1_BLANK;
  if ((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f') ||
      (c >= 0xFF10 && c <= 0xFF19) || (c >= 0xFF21 && c <= 0xFF26) || (c >= 0xFF41 && c <= 0xFF46))
    r |= C1_XDIGIT;
  return r;
}

Word CType2(UChar32 c) {
  switch (u_charDirection(c)) {
    case U_LEFT_TO_RIGHT: return C2_LEFTTORIGHT;
    case U_RIGHT_TO_LEFT:
    case U_RIGHT_TO_LEFT_ARABIC: return C2_RIGHTTOLEFT;
    case U_EUROPEAN_NUMBER: return C2_EUROPENUMBER;
    case U_EUROPEAN_NUMBER_SEPARATOR: return C2_EUROPESEPARATOR;
    case U_EUROPEAN_NUMBER_TERMINATOR: return C2_EUROPETERMINATOR;
    case U_ARABIC_NUMBER: return C2_ARABICNUMBER;
    case U_COMMON_NUMBER_SEPARATOR: return C2_COMMONSEPARATOR;
    case U_BLOCK_SEPARATOR: return C2_BLOCKSEPARATOR;
    case U_SEGMENT_SEPARATOR: return C2_SEGMENTSEPARATOR;
    case U_WHITE_SPACE_NEUTRAL: return C2_WHITESPACE;
    case U_OTHER_NEUTRAL: return C2_OTHERNEUTRAL;
    default: return C2_NOTAPPLICABLE;
  }
}

Word CType3(UChar32 c) {
  Word r = 0;
  int8_t t = u_charType(c);
  if (t == U_NON_SPACING_MARK) r |= C3_NONSPACING;
  if (u_hasBinaryProperty(c, UCHAR_DIACRITIC)) r |= C3_DIACRITIC;
  if ((t == U_NON_SPACING_MARK || t == U_COMBINING_SPACING_MARK) && u_isUAlphabetic(c)) r |= C3_VOWELMARK;
  if (t == U_MATH_SYMBOL || t == U_CURRENCY_SYMBOL || t == U_MODIFIER_SYMBOL || t == U_OTHER_SYMBOL)
    r |= C3_SYMBOL;
  UErrorCode err = U_ZERO_ERROR;
  UScriptCode sc = uscript_getScript(c, &err);
  if (U_SUCCESS(err)) {
    if (sc == USCRIPT_KATAKANA) r |= C3_KATAKANA;
    if (sc == USCRIPT_HIRAGANA) r |= C3_HIRAGANA;
  }
  int w = u_getIntPropertyValue(c, UCHAR_EAST_ASIAN_WIDTH);
  if (w == U_EA_HALFWIDTH || w == U_EA_NARROW) r |= C3_HALFWIDTH;
  if (w == U_EA_FULLWIDTH || w == U_EA_WIDE) r |= C3_FULLWIDTH;
  if (u_hasBinaryProperty(c, UCHAR_IDEOGRAPHIC)) r |= C3_IDEOGRAPH;
  if (c == 0x0640) r |= C3_KASHIDA;
  if (u_isalpha(c) || t == U_NON_SPACING_MARK || t == U_COMBINING_SPACING_MARK) r |= C3_ALPHA;
  return r;
}

// ---------------------------------------------------------------------------
// Locale information helpers
// ---------------------------------------------------------------------------

String FromUChars(const UChar* p, int32_t n) {
  if (n <= 0) return String();
  return String(reinterpret_cast<const Char*>(p), static_cast<size_t>(n));
}

String Ascii(const std::string& s) { return String(s.begin(), s.end()); }

using UDisplayFn = int32_t (*)(const char*, const char*, UChar*, int32_t, UErrorCode*);

String DisplayText(UDisplayFn fn, const std::string& loc, const char* inLocale) {
  UChar buf[256];
  UErrorCode err = U_ZERO_ERROR;
  int32_t n = fn(loc.c_str(), inLocale, buf, 256, &err);
  if (U_FAILURE(err) || n <= 0 || n > 256) return String();
  return FromUChars(buf, n);
}

String NumberSymbol(const std::string& loc, UNumberFormatStyle style, UNumberFormatSymbol sym) {
  UErrorCode err = U_ZERO_ERROR;
  icu::LocalUNumberFormatPointer nf(unum_open(style, nullptr, 0, loc.c_str(), nullptr, &err));
  if (U_FAILURE(err) || nf.isNull()) return String();
  UChar buf[64];
  int32_t n = unum_getSymbol(nf.getAlias(), sym, buf, 64, &err);
  if (U_FAILURE(err) || n > 64) return String();
  return FromUChars(buf, n);
}

String NumberPattern(const std::string& loc, UNumberFormatStyle style, int32_t* primaryGroup = nullptr,
                     int32_t* secondaryGroup = nullptr) {
  UErrorCode err = U_ZERO_ERROR;
  icu::LocalUNumberFormatPointer nf(unum_open(style, nullptr, 0, loc.c_str(), nullptr, &err));
  if (U_FAILURE(err) || nf.isNull()) return String();
  if (primaryGroup) *primaryGroup = unum_getAttribute(nf.getAlias(), UNUM_GROUPING_SIZE);
  if (secondaryGroup) *secondaryGroup = unum_getAttribute(nf.getAlias(), UNUM_SECONDARY_GROUPING_SIZE);
  UChar buf[128];
  int32_t n = unum_toPattern(nf.getAlias(), false, buf, 128, &err);
  if (U_FAILURE(err) || n > 128) return String();
  return FromUChars(buf, n);
}

// Turns an ICU currency pattern into a shape like "-$ n" (the number is "n",
// the currency sign "$") for matching against the platform's format numbers.
String CurrencyShape(const String& pattern) {
  String r;
  bool inNumber = false;
  bool quoted = false;
  for (Char c : pattern) {
    if (c == u'\'') {
      quoted = !quoted;
      continue;
    }
    if (!quoted && (c == u'#' || c == u'0' || c == u',' || c == u'.' || (c >= u'1' && c <= u'9'))) {
      if (!inNumber) r.push_back(u'n');
      inNumber = true;
      continue;
    }
    inNumber = false;
    if (quoted) continue;
    if (c == 0x00A4)
      r.push_back(u'$');
    else if (c == 0x00A0 || c == 0x202F || c == u' ')
      r.push_back(u' ');
    else if (c == u'-' || c == u'(' || c == u')')
      r.push_back(c);
  }
  return r;
}

Int32 CurrencyFormatNumber(const std::string& loc, bool negative) {
  String pat = NumberPattern(loc, UNUM_CURRENCY);
  String pos = pat, neg;
  size_t semi = pat.find(u';');
  if (semi != String::npos) {
    pos = pat.substr(0, semi);
    neg = pat.substr(semi + 1);
  } else {
    neg = u"-" + pat;
  }
  static const char16_t* const kPositive[] = {u"$n", u"n$", u"$ n", u"n $"};
  static const char16_t* const kNegative[] = {u"($n)", u"-$n", u"$-n", u"$n-", u"(n$)", u"-n$", u"n-$", u"n$-",
                                              u"-n $", u"-$ n", u"n $-", u"$ n-", u"$ -n", u"n- $", u"($ n)", u"(n $)"};
  String shape = CurrencyShape(negative ? neg : pos);
  if (negative) {
    for (Int32 i = 0; i < 16; ++i)
      if (shape == kNegative[i]) return i;
    return 1;
  }
  for (Int32 i = 0; i < 4; ++i)
    if (shape == kPositive[i]) return i;
  return 0;
}

String DatePatternICU(const std::string& loc, UDateFormatStyle timeStyle, UDateFormatStyle dateStyle) {
  UErrorCode err = U_ZERO_ERROR;
  icu::LocalUDateFormatPointer df(udat_open(timeStyle, dateStyle, loc.c_str(), u"UTC", -1, nullptr, 0, &err));
  if (U_FAILURE(err) || df.isNull()) return String();
  UChar buf[128];
  int32_t n = udat_toPattern(df.getAlias(), false, buf, 128, &err);
  if (U_FAILURE(err) || n > 128) return String();
  return FromUChars(buf, n);
}

// ICU date pattern letters -> the platform's mask letters (d dd ddd dddd, M..MMMM,
// yy yyyy, h hh H HH, m mm, s ss, tt, g). Time zones and fractions are dropped.
String ToPlatformDateMask(const String& icu) {
  String r;
  size_t i = 0;
  const size_t n = icu.size();
  while (i < n) {
    Char c = icu[i];
    if (c == u'\'') {
      // Quoted literal, '' is an apostrophe.
      size_t j = i + 1;
      if (j < n && icu[j] == u'\'') {
        r += u"''";
        i = j + 1;
        continue;
      }
      String lit;
      while (j < n) {
        if (icu[j] == u'\'') {
          if (j + 1 < n && icu[j + 1] == u'\'') {
            lit += u"''";
            j += 2;
            continue;
          }
          break;
        }
        lit.push_back(icu[j]);
        ++j;
      }
      r += u"'" + lit + u"'";
      i = j < n ? j + 1 : j;
      continue;
    }
    if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')) {
      size_t j = i;
      while (j < n && icu[j] == c) ++j;
      size_t run = j - i;
      i = j;
      switch (c) {
        case u'G': r += u"gg"; break;
        case u'y':
        case u'Y':
        case u'u': r += u"yyyy"; break;
        case u'M':
        case u'L': r += run == 1 ? u"M" : run == 2 ? u"MM" : run == 3 ? u"MMM" : u"MMMM"; break;
        case u'd': r += run == 1 ? u"d" : u"dd"; break;
        case u'E':
        case u'c':
        case u'e': r += run <= 3 ? u"ddd" : u"dddd"; break;
        case u'h':
        case u'K': r += run == 1 ? u"h" : u"hh"; break;
        case u'H':
        case u'k': r += run == 1 ? u"H" : u"HH"; break;
        case u'm': r += run == 1 ? u"m" : u"mm"; break;
        case u's': r += run == 1 ? u"s" : u"ss"; break;
        case u'a':
        case u'b':
        case u'B': r += u"tt"; break;
        default:
          // Zones, fractions, week numbers: no platform equivalent; drop the
          // field and a blank before it.
          if (!r.empty() && r.back() == u' ') r.pop_back();
          break;
      }
      continue;
    }
    if (c == 0x202F || c == 0x00A0)
      r.push_back(u' ');
    else
      r.push_back(c);
    ++i;
  }
  while (!r.empty() && r.back() == u' ') r.pop_back();
  while (!r.empty() && r.front() == u' ') r.erase(r.begin());
  return r;
}

// The first separator between two fields of a platform mask.
String MaskSeparator(const String& mask, const String& fallback) {
  size_t i = 0;
  const size_t n = mask.size();
  auto isField = [](Char c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); };
  while (i < n && !isField(mask[i])) ++i;
  while (i < n && isField(mask[i])) ++i;
  String sep;
  while (i < n && !isField(mask[i])) {
    if (mask[i] != u' ' && mask[i] != u'\'') sep.push_back(mask[i]);
    ++i;
  }
  if (sep.empty()) return fallback;
  return sep.substr(0, 1);
}

String DateSymbol(const std::string& loc, UDateFormatSymbolType type, int32_t index) {
  UErrorCode err = U_ZERO_ERROR;
  icu::LocalUDateFormatPointer df(udat_open(UDAT_DEFAULT, UDAT_DEFAULT, loc.c_str(), u"UTC", -1, nullptr, 0, &err));
  if (U_FAILURE(err) || df.isNull()) return String();
  UChar buf[64];
  int32_t n = udat_getSymbols(df.getAlias(), type, index, buf, 64, &err);
  if (U_FAILURE(err) || n > 64) return String();
  return FromUChars(buf, n);
}

Cardinal AnsiCodePageForName(const std::string& loc) {
  const std::string lang = LanguageOf(loc);
  const std::string script = ScriptOf(loc);
  const std::string country = CountryOf(loc);
  auto in = [&](std::initializer_list<const char*> l) {
    for (const char* x : l)
      if (lang == x) return true;
    return false;
  };
  if (lang.empty()) return 1252;
  if (lang == "zh") {
    if (script == "Hant" || (script.empty() && (country == "TW" || country == "HK" || country == "MO")))
      return 950;
    return 936;
  }
  if (lang == "sr" || lang == "bs") return (script == "Cyrl" || (lang == "sr" && script.empty())) ? 1251 : 1250;
  if (lang == "az" || lang == "uz") return script == "Cyrl" ? 1251 : 1254;
  if (in({"cs", "pl", "hu", "sk", "sl", "hr", "ro", "sq", "hsb", "dsb", "tk"})) return 1250;
  if (in({"ru", "uk", "be", "bg", "mk", "kk", "ky", "tt", "mn", "ba", "sah", "tg"})) return 1251;
  if (lang == "el") return 1253;
  if (lang == "tr") return 1254;
  if (in({"he", "iw", "yi"})) return 1255;
  if (in({"ar", "fa", "ur", "ug", "ps", "sd", "ckb", "prs"})) return 1256;
  if (in({"lt", "lv", "et"})) return 1257;
  if (lang == "vi") return 1258;
  if (lang == "th") return 874;
  if (lang == "ja") return 932;
  if (lang == "ko") return 949;
  // Scripts that the platform keeps Unicode-only (Indic, Georgian, Armenian, ...).
  if (in({"hi", "bn", "pa", "gu", "or", "ta", "te", "kn", "ml", "mr", "sa", "as", "ne", "si", "ka", "hy", "km",
          "lo", "my", "am", "bo", "dv", "syr", "iu", "kok"}))
    return 0;
  return 1252;
}

Cardinal OemCodePageForName(const std::string& loc) {
  Cardinal ansi = AnsiCodePageForName(loc);
  switch (ansi) {
    case 1250: return 852;
    case 1251: return 866;
    case 1253: return 737;
    case 1254: return 857;
    case 1255: return 862;
    case 1256: return 720;
    case 1257: return 775;
    case 1258: return 1258;
    case 874: return 874;
    case 932: return 932;
    case 936: return 936;
    case 949: return 949;
    case 950: return 950;
    case 0: return 1;
    default: break;
  }
  const std::string country = CountryOf(loc);
  return (LanguageOf(loc) == "en" && (country == "US" || country.empty())) ? 437 : 850;
}

String AbbrevLanguageName(const std::string& loc) {
  const std::string lang = LanguageOf(loc);
  const std::string country = CountryOf(loc);
  struct Row {
    const char* lang;
    const char* country;
    const char* abbrev;
  };
  static const Row rows[] = {
      {"en", "US", "ENU"}, {"en", "GB", "ENG"}, {"en", "AU", "ENA"}, {"en", "CA", "ENC"}, {"en", "NZ", "ENZ"},
      {"en", "IE", "ENI"}, {"de", "DE", "DEU"}, {"de", "AT", "DEA"}, {"de", "CH", "DES"}, {"fr", "FR", "FRA"},
      {"fr", "CA", "FRC"}, {"fr", "BE", "FRB"}, {"fr", "CH", "FRS"}, {"es", "ES", "ESN"}, {"es", "MX", "ESM"},
      {"it", "IT", "ITA"}, {"pt", "BR", "PTB"}, {"pt", "PT", "PTG"}, {"nl", "NL", "NLD"}, {"nl", "BE", "NLB"},
      {"sv", "SE", "SVE"}, {"da", "DK", "DAN"}, {"nb", "NO", "NOR"}, {"fi", "FI", "FIN"}, {"tr", "TR", "TRK"},
      {"ru", "RU", "RUS"}, {"pl", "PL", "PLK"}, {"cs", "CZ", "CSY"}, {"hu", "HU", "HUN"}, {"el", "GR", "ELL"},
      {"ja", "JP", "JPN"}, {"ko", "KR", "KOR"}, {"zh", "CN", "CHS"}, {"zh", "TW", "CHT"}, {"ar", "SA", "ARA"},
      {"he", "IL", "HEB"}, {"uk", "UA", "UKR"}, {"ro", "RO", "ROM"}, {"sk", "SK", "SKY"}, {"sl", "SI", "SLV"},
  };
  for (const Row& r : rows)
    if (lang == r.lang && country == r.country) return Ascii(r.abbrev);
  const char* iso3 = uloc_getISO3Language(loc.c_str());
  String r = Ascii(iso3 != nullptr ? iso3 : "");
  for (Char& c : r)
    if (c >= u'a' && c <= u'z') c = static_cast<Char>(c - 32);
  return r;
}

String IntText(long v) { return Ascii(std::to_string(v)); }

// The invariant locale: English names and fixed formats, independent of any
// country.
bool InvariantItem(Cardinal item, String& out) {
  switch (item) {
    case LOCALE_SLANGUAGE: out = u"Invariant Language (Invariant Country)"; return true;
    case LOCALE_SENGLANGUAGE:
    case LOCALE_SNATIVELANGNAME: out = u"Invariant Language"; return true;
    case LOCALE_SCOUNTRY:
    case LOCALE_SENGCOUNTRY:
    case LOCALE_SNATIVECTRYNAME: out = u"Invariant Country"; return true;
    case LOCALE_SABBREVLANGNAME: out = u"IVL"; return true;
    case LOCALE_SISO639LANGNAME: out = u"iv"; return true;
    case LOCALE_SISO3166CTRYNAME: out = u"IV"; return true;
    case LOCALE_SISO639LANGNAME2: out = u"ivl"; return true;
    case LOCALE_SISO3166CTRYNAME2: out = u"ivc"; return true;
    case LOCALE_SNAME: out.clear(); return true;
    case LOCALE_SCURRENCY: out = u"\u00A4"; return true;
    case LOCALE_IMEASURE: out = u"0"; return true;
    case LOCALE_SSHORTDATE: out = u"MM/dd/yyyy"; return true;
    case LOCALE_SLONGDATE: out = u"dddd, dd MMMM yyyy"; return true;
    case LOCALE_STIMEFORMAT: out = u"HH:mm:ss"; return true;
    case LOCALE_SSHORTTIME: out = u"HH:mm"; return true;
    case LOCALE_SDATE: out = u"/"; return true;
    case LOCALE_IDATE:
    case LOCALE_ILDATE: out = u"0"; return true;
    case LOCALE_ITIME: out = u"1"; return true;
    default: return false;
  }
}

// The value of one locale item, or false when the item is unknown.
bool LocaleItem(const std::string& requested, Cardinal lcid, Cardinal item, String& out) {
  if (lcid == LOCALE_INVARIANT && InvariantItem(item, out)) return true;
  // The invariant locale has the names of days and months, the separators and
  // the rest as in US English.
  const std::string loc = lcid == LOCALE_INVARIANT ? std::string("en_US") : requested;
  if (item >= LOCALE_SDAYNAME1 && item < LOCALE_SDAYNAME1 + 7) {
    // Monday first on the platform; ICU counts Sunday as 1.
    int32_t icuDay = static_cast<int32_t>((item - LOCALE_SDAYNAME1 + 1) % 7 + 1);
    out = DateSymbol(loc, UDAT_STANDALONE_WEEKDAYS, icuDay);
    return true;
  }
  if (item >= LOCALE_SABBREVDAYNAME1 && item < LOCALE_SABBREVDAYNAME1 + 7) {
    int32_t icuDay = static_cast<int32_t>((item - LOCALE_SABBREVDAYNAME1 + 1) % 7 + 1);
    out = DateSymbol(loc, UDAT_STANDALONE_SHORT_WEEKDAYS, icuDay);
    return true;
  }
  if (item >= LOCALE_SMONTHNAME1 && item < LOCALE_SMONTHNAME1 + 12) {
    out = DateSymbol(loc, UDAT_STANDALONE_MONTHS, static_cast<int32_t>(item - LOCALE_SMONTHNAME1));
    return true;
  }
  if (item >= LOCALE_SABBREVMONTHNAME1 && item < LOCALE_SABBREVMONTHNAME1 + 12) {
    out = DateSymbol(loc, UDAT_STANDALONE_SHORT_MONTHS, static_cast<int32_t>(item - LOCALE_SABBREVMONTHNAME1));
    return true;
  }
  switch (item) {
    case LOCALE_ILANGUAGE: {
      char buf[8];
      snprintf(buf, sizeof buf, "%04x", static_cast<unsigned>(lcid & 0xFFFF));
      out = Ascii(buf);
      return true;
    }
    case LOCALE_SLANGUAGE: out = DisplayText(uloc_getDisplayName, loc, "en"); return true;
    case LOCALE_SENGLANGUAGE: out = DisplayText(uloc_getDisplayLanguage, loc, "en"); return true;
    case LOCALE_SNATIVELANGNAME: out = DisplayText(uloc_getDisplayLanguage, loc, loc.c_str()); return true;
    case LOCALE_SCOUNTRY:
    case LOCALE_SENGCOUNTRY: out = DisplayText(uloc_getDisplayCountry, loc, "en"); return true;
    case LOCALE_SNATIVECTRYNAME: out = DisplayText(uloc_getDisplayCountry, loc, loc.c_str()); return true;
    case LOCALE_SABBREVLANGNAME: out = AbbrevLanguageName(loc); return true;
    case LOCALE_SISO639LANGNAME: out = Ascii(LanguageOf(loc)); return true;
    case LOCALE_SISO3166CTRYNAME: out = Ascii(CountryOf(loc)); return true;
    case LOCALE_SISO639LANGNAME2: {
      const char* s = uloc_getISO3Language(loc.c_str());
      out = Ascii(s != nullptr ? s : "");
      return true;
    }
    case LOCALE_SISO3166CTRYNAME2: {
      const char* s = uloc_getISO3Country(loc.c_str());
      out = Ascii(s != nullptr ? s : "");
      return true;
    }
    case LOCALE_SNAME: {
      char buf[ULOC_FULLNAME_CAPACITY];
      UErrorCode err = U_ZERO_ERROR;
      int32_t n = uloc_toLanguageTag(loc.c_str(), buf, sizeof buf, false, &err);
      if (U_FAILURE(err) || n <= 0 || n >= static_cast<int32_t>(sizeof buf)) {
        out.clear();
      } else {
        out = Ascii(std::string(buf, static_cast<size_t>(n)));
        if (out == u"und") out.clear();
      }
      return true;
    }
    case LOCALE_IDEFAULTANSICODEPAGE: out = IntText(AnsiCodePageForName(loc)); return true;
    case LOCALE_IDEFAULTCODEPAGE: out = IntText(OemCodePageForName(loc)); return true;
    case LOCALE_SDECIMAL:
      out = NumberSymbol(loc, UNUM_DECIMAL, UNUM_DECIMAL_SEPARATOR_SYMBOL);
      if (out.empty()) out = u".";
      return true;
    case LOCALE_STHOUSAND: out = NumberSymbol(loc, UNUM_DECIMAL, UNUM_GROUPING_SEPARATOR_SYMBOL); return true;
    case LOCALE_SLIST: {
      // No list separator in the locale data: the platform uses ";" where the
      // comma is the decimal separator.
      String dec = NumberSymbol(loc, UNUM_DECIMAL, UNUM_DECIMAL_SEPARATOR_SYMBOL);
      out = dec == u"," ? u";" : u",";
      return true;
    }
    case LOCALE_SGROUPING: {
      int32_t g1 = 3, g2 = 0;
      NumberPattern(loc, UNUM_DECIMAL, &g1, &g2);
      if (g1 <= 0) {
        out = u"0";
      } else if (g2 > 0 && g2 != g1) {
        out = IntText(g1) + u";" + IntText(g2) + u";0";
      } else {
        out = IntText(g1) + u";0";
      }
      return true;
    }
    case LOCALE_IDIGITS: out = u"2"; return true;
    case LOCALE_ILZERO: out = u"1"; return true;
    case LOCALE_IMEASURE: {
      UErrorCode err = U_ZERO_ERROR;
      UMeasurementSystem ms = ulocdata_getMeasurementSystem(loc.c_str(), &err);
      out = (U_SUCCESS(err) && ms == UMS_US) ? u"1" : u"0";
      return true;
    }
    case LOCALE_SCURRENCY: out = NumberSymbol(loc, UNUM_CURRENCY, UNUM_CURRENCY_SYMBOL); return true;
    case LOCALE_SMONDECIMALSEP:
      out = NumberSymbol(loc, UNUM_CURRENCY, UNUM_MONETARY_SEPARATOR_SYMBOL);
      return true;
    case LOCALE_SMONTHOUSANDSEP:
      out = NumberSymbol(loc, UNUM_CURRENCY, UNUM_MONETARY_GROUPING_SEPARATOR_SYMBOL);
      return true;
    case LOCALE_ICURRDIGITS: {
      UErrorCode err = U_ZERO_ERROR;
      icu::LocalUNumberFormatPointer nf(unum_open(UNUM_CURRENCY, nullptr, 0, loc.c_str(), nullptr, &err));
      int32_t d = 2;
      if (U_SUCCESS(err) && nf.isValid()) d = unum_getAttribute(nf.getAlias(), UNUM_MAX_FRACTION_DIGITS);
      out = IntText(d);
      return true;
    }
    case LOCALE_ICURRENCY: out = IntText(CurrencyFormatNumber(loc, false)); return true;
    case LOCALE_INEGCURR: out = IntText(CurrencyFormatNumber(loc, true)); return true;
    case LOCALE_SSHORTDATE: out = ToPlatformDateMask(DatePatternICU(loc, UDAT_NONE, UDAT_SHORT)); return true;
    case LOCALE_SLONGDATE: out = ToPlatformDateMask(DatePatternICU(loc, UDAT_NONE, UDAT_FULL)); return true;
    case LOCALE_STIMEFORMAT: out = ToPlatformDateMask(DatePatternICU(loc, UDAT_MEDIUM, UDAT_NONE)); return true;
    case LOCALE_SSHORTTIME: out = ToPlatformDateMask(DatePatternICU(loc, UDAT_SHORT, UDAT_NONE)); return true;
    case LOCALE_SDATE:
      out = MaskSeparator(ToPlatformDateMask(DatePatternICU(loc, UDAT_NONE, UDAT_SHORT)), u"/");
      return true;
    case LOCALE_STIME:
      out = MaskSeparator(ToPlatformDateMask(DatePatternICU(loc, UDAT_MEDIUM, UDAT_NONE)), u":");
      return true;
    case LOCALE_IDATE:
    case LOCALE_ILDATE: {
      String mask = ToPlatformDateMask(DatePatternICU(loc, UDAT_NONE, item == LOCALE_IDATE ? UDAT_SHORT : UDAT_FULL));
      size_t y = mask.find(u'y'), m = mask.find(u'M'), d = mask.find(u'd');
      // 0 month-day-year, 1 day-month-year, 2 year-month-day.
      if (y != String::npos && (m == String::npos || y < m) && (d == String::npos || y < d))
        out = u"2";
      else if (d != String::npos && m != String::npos && d < m)
        out = u"1";
      else
        out = u"0";
      return true;
    }
    case LOCALE_ITIME: {
      String mask = ToPlatformDateMask(DatePatternICU(loc, UDAT_MEDIUM, UDAT_NONE));
      out = mask.find(u'H') != String::npos ? u"1" : u"0";
      return true;
    }
    case LOCALE_S1159: out = DateSymbol(loc, UDAT_AM_PMS, 0); return true;
    case LOCALE_S2359: out = DateSymbol(loc, UDAT_AM_PMS, 1); return true;
    case LOCALE_IFIRSTDAYOFWEEK: {
      UErrorCode err = U_ZERO_ERROR;
      icu::LocalUCalendarPointer cal(ucal_open(u"UTC", -1, loc.c_str(), UCAL_GREGORIAN, &err));
      int32_t first = UCAL_SUNDAY;
      if (U_SUCCESS(err) && cal.isValid()) first = ucal_getAttribute(cal.getAlias(), UCAL_FIRST_DAY_OF_WEEK);
      // The platform counts Monday as 0 and Sunday as 6.
      out = IntText((first + 5) % 7);
      return true;
    }
    default: return false;
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// Process locale state
// ---------------------------------------------------------------------------

void SetUserDefaultLocale(const std::string& icuLocaleName) {
  std::string name = CanonicalIcuName(icuLocaleName);
  UserLocaleState& st = UserState();
  {
    std::lock_guard<std::mutex> g(st.lock);
    st.name = name;
    st.initialised = true;
  }
  gUserTurkic.store(IsTurkicName(name) ? 1 : 0, std::memory_order_relaxed);
  gLocaleGeneration.fetch_add(1, std::memory_order_acq_rel);
}

std::string GetUserDefaultLocaleName() {
  UserLocaleState& st = UserState();
  std::lock_guard<std::mutex> g(st.lock);
  if (!st.initialised) {
    st.name = LocaleFromEnvironment();
    st.initialised = true;
  }
  return st.name;
}

Cardinal GetUserDefaultLCID() {
  const uint32_t gen = gLocaleGeneration.load(std::memory_order_acquire);
  const uint64_t cached = gUserLCID.load(std::memory_order_relaxed);
  if (static_cast<uint32_t>(cached >> 32) == gen) return static_cast<Cardinal>(cached);
  Cardinal id = IcuLocaleToLCID(GetUserDefaultLocaleName());
  // A locale without an identifier of its own is still reachable through the
  // user-default identifier.
  if (id == 0) id = LOCALE_USER_DEFAULT;
  gUserLCID.store((static_cast<uint64_t>(gen) << 32) | id, std::memory_order_relaxed);
  return id;
}

Cardinal GetSystemDefaultLCID() { return GetUserDefaultLCID(); }
Cardinal GetThreadLocale() { return GetUserDefaultLCID(); }
Cardinal GetUserDefaultLangID() { return GetUserDefaultLCID() & 0xFFFF; }

bool IsTurkicLocale(Cardinal lcid) {
  if (IsDefaultLCID(lcid)) return UserDefaultIsTurkic();
  Cardinal lang = lcid & 0x3FF;
  if (lang == 0x1F || lang == 0x2C) return true;  // Turkish, Azeri
  return false;
}

std::string LCIDToIcuLocale(Cardinal lcid) {
  if (IsDefaultLCID(lcid)) return GetUserDefaultLocaleName();
  if (lcid == LOCALE_INVARIANT) return "root";
  char buf[ULOC_FULLNAME_CAPACITY];
  UErrorCode err = U_ZERO_ERROR;
  int32_t n = uloc_getLocaleForLCID(lcid, buf, sizeof buf, &err);
  if (U_FAILURE(err) || n <= 0 || n >= static_cast<int32_t>(sizeof buf)) return std::string();
  return std::string(buf, static_cast<size_t>(n));
}

Cardinal IcuLocaleToLCID(const std::string& name) {
  if (name.empty() || name == "root") return LOCALE_INVARIANT;
  Cardinal id = uloc_getLCID(name.c_str());
  if (id != 0 && (id & 0xFC00) != 0) return id;
  // A bare language ("de") or an unusual combination: try the likely full form,
  // then the same without its script.
  char buf[ULOC_FULLNAME_CAPACITY];
  UErrorCode err = U_ZERO_ERROR;
  int32_t n = uloc_addLikelySubtags(name.c_str(), buf, sizeof buf, &err);
  if (U_SUCCESS(err) && n > 0 && n < static_cast<int32_t>(sizeof buf)) {
    std::string full(buf, static_cast<size_t>(n));
    Cardinal id2 = uloc_getLCID(full.c_str());
    if (id2 != 0 && (id2 & 0xFC00) != 0) return id2;
    std::string lang = LanguageOf(full), country = CountryOf(full);
    if (!lang.empty() && !country.empty()) {
      id2 = uloc_getLCID((lang + "_" + country).c_str());
      if (id2 != 0 && (id2 & 0xFC00) != 0) return id2;
    }
  }
  return id;
}

bool IsValidLocale(Cardinal lcid) { return !LCIDToIcuLocale(lcid).empty(); }

Cardinal LCIDToCodePage(Cardinal lcid) {
  std::string loc = LCIDToIcuLocale(lcid);
  if (loc.empty()) return GetACP();
  Cardinal cp = AnsiCodePageForName(loc);
  return cp == 0 ? GetACP() : cp;
}

Cardinal GetACP() { return gAnsiCodePage.load(std::memory_order_relaxed); }

void SetACP(Cardinal cp) {
  // The pseudo code pages would make the ANSI code page refer to itself; a code
  // page without a converter would make every ANSI conversion fail.
  if (cp == CP_ACP || cp == CP_OEMCP || cp == CP_MACCP || cp == CP_THREAD_ACP || !IsValidCodePage(cp)) return;
  gAnsiCodePage.store(cp, std::memory_order_relaxed);
}

Cardinal GetOEMCP() { return 437; }

// ---------------------------------------------------------------------------
// Comparison
// ---------------------------------------------------------------------------

Int32 CompareStringW(Cardinal lcid, Cardinal flags, const Char* s1, Int32 n1, const Char* s2, Int32 n2) {
  if (s1 == nullptr || s2 == nullptr || n1 < -1 || n2 < -1) return 0;
  Int32 r = 0;
  return Collate(lcid, flags, s1, n1, s2, n2, r) ? r + CSTR_EQUAL : 0;
}

Int32 CompareStringW(Cardinal lcid, Cardinal flags, const String& a, const String& b) {
  return CompareStringW(lcid, flags, a.data(), static_cast<Int32>(a.size()), b.data(), static_cast<Int32>(b.size()));
}

Int32 CompareStringLocale(Cardinal lcid, Cardinal flags, const String& a, const String& b) {
  Int32 r = CompareStringW(lcid, flags, a, b);
  return r == 0 ? 0 : r - CSTR_EQUAL;
}

Int32 AnsiCompareText(const String& a, const String& b) {
  Int32 r = 0;
  Collate(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int32_t>(a.size()), b.data(),
          static_cast<int32_t>(b.size()), r);
  return r;
}

Int32 AnsiCompareStr(const String& a, const String& b) {
  UCollator* c = CollatorFor(LOCALE_USER_DEFAULT, 0);
  if (c == nullptr) return 0;
  return Sign(ucol_strcoll(c, reinterpret_cast<const UChar*>(a.data()), static_cast<int32_t>(a.size()),
                           reinterpret_cast<const UChar*>(b.data()), static_cast<int32_t>(b.size())));
}

TUserCollation::TUserCollation(bool ignoreCase)
    : fCollator(CollatorFor(LOCALE_USER_DEFAULT, ignoreCase ? NORM_IGNORECASE : 0)),
      fFlags(ignoreCase ? NORM_IGNORECASE : 0) {}

Int32 TUserCollation::Compare(const String& a, const String& b) const {
  if (fCollator == nullptr) return 0;
  // The texts as AnsiCompareText / AnsiCompareStr hand them to the collator.
  const Collation collation(LOCALE_USER_DEFAULT, fFlags);
  int32_t na = static_cast<int32_t>(a.size());
  int32_t nb = static_cast<int32_t>(b.size());
  const UChar* ta = collation.Text(0, a.data(), na);
  const UChar* tb = collation.Text(1, b.data(), nb);
  return Sign(ucol_strcoll(static_cast<const UCollator*>(fCollator), ta, na, tb, nb));
}

String TUserCollation::Prepared(const String& s) const {
  const Collation collation(LOCALE_USER_DEFAULT, fFlags);
  int32_t n = static_cast<int32_t>(s.size());
  const UChar* t = collation.Text(0, s.data(), n);
  return String(reinterpret_cast<const Char*>(t), static_cast<size_t>(n));
}

Int32 TUserCollation::ComparePrepared(const String& a, const String& b) const {
  if (fCollator == nullptr) return 0;
  return Sign(ucol_strcoll(static_cast<const UCollator*>(fCollator), reinterpret_cast<const UChar*>(a.data()),
                           static_cast<int32_t>(a.size()), reinterpret_cast<const UChar*>(b.data()),
                           static_cast<int32_t>(b.size())));
}

bool AnsiSameText(const String& a, const String& b) { return AnsiCompareText(a, b) == 0; }
bool AnsiSameStr(const String& a, const String& b) { return AnsiCompareStr(a, b) == 0; }

Int32 AnsiPos(const String& sub, const String& s) {
  if (sub.empty()) return 0;
  size_t p = s.find(sub);
  return p == String::npos ? 0 : static_cast<Int32>(p + 1);
}

bool AnsiStartsText(const String& sub, const String& s) {
  if (sub.empty()) return true;
  if (s.size() < sub.size()) return false;
  return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, s.data(), static_cast<Int32>(sub.size()), sub.data(),
                        static_cast<Int32>(sub.size())) == CSTR_EQUAL;
}

bool AnsiEndsText(const String& sub, const String& s) {
  if (sub.empty()) return true;
  if (s.size() < sub.size()) return false;
  return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, s.data() + (s.size() - sub.size()),
                        static_cast<Int32>(sub.size()), sub.data(), static_cast<Int32>(sub.size())) == CSTR_EQUAL;
}

bool AnsiContainsText(const String& s, const String& sub) {
  return AnsiPos(AnsiUpperCase(sub), AnsiUpperCase(s)) > 0;
}

// ---------------------------------------------------------------------------
// Case mapping
// ---------------------------------------------------------------------------

const Char* UpperCaseUnitTable(bool turkic) { return CaseTable(true, turkic); }

String AnsiUpperCase(const String& s) { return MappedCopy(s, true, UserDefaultIsTurkic()); }
String AnsiLowerCase(const String& s) { return MappedCopy(s, false, UserDefaultIsTurkic()); }
Char AnsiUpperChar(Char c) { return UpperUnit(c, UserDefaultIsTurkic()); }
Char AnsiLowerChar(Char c) { return LowerUnit(c, UserDefaultIsTurkic()); }
String UpperCaseForLCID(Cardinal lcid, const String& s) { return MappedCopy(s, true, IsTurkicLocale(lcid)); }
String LowerCaseForLCID(Cardinal lcid, const String& s) { return MappedCopy(s, false, IsTurkicLocale(lcid)); }
String UpperCaseForLocale(const std::string& icuLocale, const String& s) {
  return MappedCopy(s, true, IsTurkicName(icuLocale));
}
String LowerCaseForLocale(const std::string& icuLocale, const String& s) {
  return MappedCopy(s, false, IsTurkicName(icuLocale));
}

Int32 LCMapStringW(Cardinal lcid, Cardinal flags, const Char* src, Int32 n, Char* dest, Int32 destLen) {
  if (src == nullptr || n < -1 || n == 0 || destLen < 0 || (destLen > 0 && dest == nullptr)) return 0;
  const size_t len = n == -1 ? std::char_traits<Char>::length(src) + 1 : static_cast<size_t>(n);
  if (len > static_cast<size_t>(INT32_MAX)) return 0;

  if (flags & LCMAP_SORTKEY) {
    constexpr Cardinal allowed = LCMAP_SORTKEY | kCollationFlags | SORT_STRINGSORT;
    if (flags & ~allowed) return 0;
    UCollator* c = CollatorFor(lcid, flags);
    if (c == nullptr) return 0;
    // The key of the text without a terminator (folded as CompareStringW folds
    // it, so that keys order as the comparison does); dest is a byte buffer of
    // destLen bytes.
    int32_t textLen = n == -1 ? static_cast<int32_t>(len - 1) : static_cast<int32_t>(len);
    const UChar* text = Collation(lcid, flags).Text(0, src, textLen);
    int32_t need = ucol_getSortKey(c, text, textLen, nullptr, 0);
    if (need <= 0) return 0;
    if (destLen == 0) return need;
    if (destLen < need) return 0;
    ucol_getSortKey(c, text, textLen, reinterpret_cast<uint8_t*>(dest), destLen);
    return need;
  }

  const Cardinal caseFlags = flags & (LCMAP_LOWERCASE | LCMAP_UPPERCASE);
  if (caseFlags != LCMAP_LOWERCASE && caseFlags != LCMAP_UPPERCASE) return 0;
  if (flags & ~(LCMAP_LOWERCASE | LCMAP_UPPERCASE | LCMAP_LINGUISTIC_CASING)) return 0;
  if (destLen == 0) return static_cast<Int32>(len);
  if (static_cast<size_t>(destLen) < len) return 0;
  // Only linguistic casing applies the Turkic rules; the default is the
  // locale-independent mapping.
  const bool turkic = (flags & LCMAP_LINGUISTIC_CASING) != 0 && IsTurkicLocale(lcid);
  if (dest != src && dest < src + len && src < dest + len) {
    // Overlapping but not identical buffers: map through a copy.
    String tmp(src, len);
    MapCase(tmp.data(), len, dest, caseFlags == LCMAP_UPPERCASE, turkic);
  } else {
    MapCase(src, len, dest, caseFlags == LCMAP_UPPERCASE, turkic);
  }
  return static_cast<Int32>(len);
}

String LCMapString(Cardinal lcid, Cardinal flags, const String& s) {
  if (s.empty() || (flags & LCMAP_SORTKEY)) return String();
  String r(s.size(), Char(0));
  Int32 n = LCMapStringW(lcid, flags, s.data(), static_cast<Int32>(s.size()), r.data(), static_cast<Int32>(r.size()));
  if (n <= 0) return String();
  r.resize(static_cast<size_t>(n));
  return r;
}

// ---------------------------------------------------------------------------
// Folding
// ---------------------------------------------------------------------------

Int32 FoldStringW(Cardinal flags, const Char* src, Int32 n, Char* dest, Int32 destLen) {
  if (!FoldFlagsValid(flags)) return 0;
  if (src == nullptr || n < -1 || n == 0 || destLen < 0 || (destLen > 0 && dest == nullptr)) return 0;
  const size_t len = n == -1 ? std::char_traits<Char>::length(src) : static_cast<size_t>(n);
  std::u16string folded;
  if (!Fold(flags, src, len, folded)) return 0;
  if (n == -1) folded.push_back(Char(0));
  if (folded.size() > static_cast<size_t>(INT32_MAX)) return 0;
  const Int32 need = static_cast<Int32>(folded.size());
  if (destLen == 0) return need;
  if (destLen < need) return 0;
  std::copy(folded.begin(), folded.end(), dest);
  return need;
}

bool FoldStringW(Cardinal flags, const String& src, String& dest) {
  if (!FoldFlagsValid(flags)) return false;
  std::u16string folded;
  if (!Fold(flags, src.data(), src.size(), folded)) return false;
  dest = std::move(folded);
  return true;
}

// ---------------------------------------------------------------------------
// Character types
// ---------------------------------------------------------------------------

bool GetStringTypeExW(Cardinal lcid, Cardinal infoType, const Char* src, Int32 n, Word* charTypes) {
  (void)lcid;  // classification does not depend on the locale
  if (infoType != CT_CTYPE1 && infoType != CT_CTYPE2 && infoType != CT_CTYPE3) return false;
  if (src == nullptr || charTypes == nullptr || n < -1) return false;
  const size_t len = n == -1 ? std::char_traits<Char>::length(src) : static_cast<size_t>(n);
  for (size_t i = 0; i < len; ++i) {
    Char u = src[i];
    UChar32 c = u;
    Word extra = 0;
    if (U16_IS_LEAD(u)) {
      extra = infoType == CT_CTYPE3 ? C3_HIGHSURROGATE : 0;
      if (i + 1 < len && U16_IS_TRAIL(src[i + 1])) c = U16_GET_SUPPLEMENTARY(u, src[i + 1]);
    } else if (U16_IS_TRAIL(u)) {
      extra = infoType == CT_CTYPE3 ? C3_LOWSURROGATE : 0;
      if (i > 0 && U16_IS_LEAD(src[i - 1])) c = U16_GET_SUPPLEMENTARY(src[i - 1], u);
    }
    Word t = infoType == CT_CTYPE1 ? CType1(c) : infoType == CT_CTYPE2 ? CType2(c) : CType3(c);
    charTypes[i] = static_cast<Word>(t | extra);
  }
  return true;
}

bool GetStringTypeW(Cardinal infoType, const Char* src, Int32 n, Word* charTypes) {
  return GetStringTypeExW(LOCALE_USER_DEFAULT, infoType, src, n, charTypes);
}

// ---------------------------------------------------------------------------
// Locale information
// ---------------------------------------------------------------------------

Int32 GetLocaleInfoW(Cardinal lcid, Cardinal lctype, Char* buf, Int32 bufLen) {
  if (bufLen < 0 || (bufLen > 0 && buf == nullptr)) return 0;
  const bool asNumber = (lctype & LOCALE_RETURN_NUMBER) != 0;
  const Cardinal item = lctype & ~(LOCALE_NOUSEROVERRIDE | LOCALE_RETURN_NUMBER);
  std::string loc = LCIDToIcuLocale(lcid);
  if (loc.empty()) return 0;
  String value;
  if (!LocaleItem(loc, IsDefaultLCID(lcid) ? GetUserDefaultLCID() : lcid, item, value)) return 0;
  if (asNumber) {
    // The number as a 32-bit value in two UTF-16 units; only numeric items.
    const bool hex = item == LOCALE_ILANGUAGE;
    if (value.empty()) return 0;
    Cardinal v = 0;
    for (Char c : value) {
      int d;
      if (c >= u'0' && c <= u'9')
        d = c - u'0';
      else if (hex && c >= u'a' && c <= u'f')
        d = c - u'a' + 10;
      else if (hex && c >= u'A' && c <= u'F')
        d = c - u'A' + 10;
      else
        return 0;
      v = v * (hex ? 16 : 10) + static_cast<Cardinal>(d);
    }
    if (bufLen == 0) return 2;
    if (bufLen < 2) return 0;
    std::memcpy(buf, &v, sizeof v);
    return 2;
  }
  const Int32 need = static_cast<Int32>(value.size() + 1);
  if (bufLen == 0) return need;
  if (bufLen < need) return 0;
  std::copy(value.begin(), value.end(), buf);
  buf[value.size()] = Char(0);
  return need;
}

String GetLocaleInfoStr(Cardinal lcid, Cardinal lctype) {
  if (lctype & LOCALE_RETURN_NUMBER) return String();
  Int32 need = GetLocaleInfoW(lcid, lctype, nullptr, 0);
  if (need <= 0) return String();
  String r(static_cast<size_t>(need), Char(0));
  Int32 got = GetLocaleInfoW(lcid, lctype, r.data(), need);
  if (got <= 0) return String();
  r.resize(static_cast<size_t>(got - 1));
  return r;
}

}  // namespace sk
