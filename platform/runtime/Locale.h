// Locale services: locale identifiers, collation, case mapping, character
// classification and locale information, on ICU. The names and the meaning of
// the flags follow the classic Windows locale calls the library was written
// against, so callers keep using them unchanged.
#pragma once

#include <string>

#include "platform/runtime/RtlTypes.h"

namespace sk {

// ---- locale identifiers -------------------------------------------------------
inline constexpr Cardinal LOCALE_USER_DEFAULT = 0x0400;
inline constexpr Cardinal LOCALE_SYSTEM_DEFAULT = 0x0800;
inline constexpr Cardinal LOCALE_INVARIANT = 0x007F;
inline constexpr Cardinal LOCALE_NEUTRAL = 0x0000;

// ---- CompareStringW results -----------------------------------------------------
inline constexpr Int32 CSTR_LESS_THAN = 1;
inline constexpr Int32 CSTR_EQUAL = 2;
inline constexpr Int32 CSTR_GREATER_THAN = 3;

// ---- comparison flags -----------------------------------------------------------
inline constexpr Cardinal NORM_IGNORECASE = 0x00000001;
inline constexpr Cardinal NORM_IGNORENONSPACE = 0x00000002;
inline constexpr Cardinal NORM_IGNORESYMBOLS = 0x00000004;
inline constexpr Cardinal SORT_DIGITSASNUMBERS = 0x00000008;
inline constexpr Cardinal LINGUISTIC_IGNORECASE = 0x00000010;
inline constexpr Cardinal LINGUISTIC_IGNOREDIACRITIC = 0x00000020;
inline constexpr Cardinal SORT_STRINGSORT = 0x00001000;
inline constexpr Cardinal NORM_IGNOREKANATYPE = 0x00010000;
inline constexpr Cardinal NORM_IGNOREWIDTH = 0x00020000;
inline constexpr Cardinal NORM_LINGUISTIC_CASING = 0x08000000;

// ---- LCMapStringW flags ---------------------------------------------------------
inline constexpr Cardinal LCMAP_LOWERCASE = 0x00000100;
inline constexpr Cardinal LCMAP_UPPERCASE = 0x00000200;
inline constexpr Cardinal LCMAP_SORTKEY = 0x00000400;
inline constexpr Cardinal LCMAP_LINGUISTIC_CASING = 0x01000000;

// ---- FoldStringW flags ----------------------------------------------------------
inline constexpr Cardinal MAP_FOLDCZONE = 0x00000010;
inline constexpr Cardinal MAP_PRECOMPOSED = 0x00000020;
inline constexpr Cardinal MAP_COMPOSITE = 0x00000040;
inline constexpr Cardinal MAP_FOLDDIGITS = 0x00000080;
inline constexpr Cardinal MAP_EXPAND_LIGATURES = 0x00002000;

// ---- GetStringTypeExW -----------------------------------------------------------
inline constexpr Cardinal CT_CTYPE1 = 0x0001;
inline constexpr Cardinal CT_CTYPE2 = 0x0002;
inline constexpr Cardinal CT_CTYPE3 = 0x0004;

inline constexpr Word C1_UPPER = 0x0001;
inline constexpr Word C1_LOWER = 0x0002;
inline constexpr Word C1_DIGIT = 0x0004;
inline constexpr Word C1_SPACE = 0x0008;
inline constexpr Word C1_PUNCT = 0x0010;
inline constexpr Word C1_CNTRL = 0x0020;
inline constexpr Word C1_BLANK = 0x0040;
inline constexpr Word C1_XDIGIT = 0x0080;
inline constexpr Word C1_ALPHA = 0x0100;
inline constexpr Word C1_DEFINED = 0x0200;

inline constexpr Word C2_LEFTTORIGHT = 0x0001;
inline constexpr Word C2_RIGHTTOLEFT = 0x0002;
inline constexpr Word C2_EUROPENUMBER = 0x0003;
inline constexpr Word C2_EUROPESEPARATOR = 0x0004;
inline constexpr Word C2_EUROPETERMINATOR = 0x0005;
inline constexpr Word C2_ARABICNUMBER = 0x0006;
inline constexpr Word C2_COMMONSEPARATOR = 0x0007;
inline constexpr Word C2_BLOCKSEPARATOR = 0x0008;
inline constexpr Word C2_SEGMENTSEPARATOR = 0x0009;
inline constexpr Word C2_WHITESPACE = 0x000A;
inline constexpr Word C2_OTHERNEUTRAL = 0x000B;
inline constexpr Word C2_NOTAPPLICABLE = 0x0000;

inline constexpr Word C3_NONSPACING = 0x0001;
inline constexpr Word C3_DIACRITIC = 0x0002;
inline constexpr Word C3_VOWELMARK = 0x0004;
inline constexpr Word C3_SYMBOL = 0x0008;
inline constexpr Word C3_KATAKANA = 0x0010;
inline constexpr Word C3_HIRAGANA = 0x0020;
inline constexpr Word C3_HALFWIDTH = 0x0040;
inline constexpr Word C3_FULLWIDTH = 0x0080;
inline constexpr Word C3_IDEOGRAPH = 0x0100;
inline constexpr Word C3_KASHIDA = 0x0200;
inline constexpr Word C3_LEXICAL = 0x0400;
inline constexpr Word C3_HIGHSURROGATE = 0x0800;
inline constexpr Word C3_LOWSURROGATE = 0x1000;
inline constexpr Word C3_ALPHA = 0x8000;
inline constexpr Word C3_NOTAPPLICABLE = 0x0000;

// ---- GetLocaleInfoW items -------------------------------------------------------
inline constexpr Cardinal LOCALE_NOUSEROVERRIDE = 0x80000000;
inline constexpr Cardinal LOCALE_RETURN_NUMBER = 0x20000000;
inline constexpr Cardinal LOCALE_ILANGUAGE = 0x0001;
inline constexpr Cardinal LOCALE_SLANGUAGE = 0x0002;
inline constexpr Cardinal LOCALE_SABBREVLANGNAME = 0x0003;
inline constexpr Cardinal LOCALE_SNATIVELANGNAME = 0x0004;
inline constexpr Cardinal LOCALE_SCOUNTRY = 0x0006;
inline constexpr Cardinal LOCALE_SNATIVECTRYNAME = 0x0008;
inline constexpr Cardinal LOCALE_IDEFAULTCODEPAGE = 0x000B;
inline constexpr Cardinal LOCALE_SLIST = 0x000C;
inline constexpr Cardinal LOCALE_IMEASURE = 0x000D;
inline constexpr Cardinal LOCALE_SDECIMAL = 0x000E;
inline constexpr Cardinal LOCALE_STHOUSAND = 0x000F;
inline constexpr Cardinal LOCALE_SGROUPING = 0x0010;
inline constexpr Cardinal LOCALE_IDIGITS = 0x0011;
inline constexpr Cardinal LOCALE_ILZERO = 0x0012;
inline constexpr Cardinal LOCALE_SCURRENCY = 0x0014;
inline constexpr Cardinal LOCALE_SMONDECIMALSEP = 0x0016;
inline constexpr Cardinal LOCALE_SMONTHOUSANDSEP = 0x0017;
inline constexpr Cardinal LOCALE_ICURRDIGITS = 0x0019;
inline constexpr Cardinal LOCALE_ICURRENCY = 0x001B;
inline constexpr Cardinal LOCALE_INEGCURR = 0x001C;
inline constexpr Cardinal LOCALE_SDATE = 0x001D;
inline constexpr Cardinal LOCALE_STIME = 0x001E;
inline constexpr Cardinal LOCALE_SSHORTDATE = 0x001F;
inline constexpr Cardinal LOCALE_SLONGDATE = 0x0020;
inline constexpr Cardinal LOCALE_IDATE = 0x0021;
inline constexpr Cardinal LOCALE_ILDATE = 0x0022;
inline constexpr Cardinal LOCALE_ITIME = 0x0023;
inline constexpr Cardinal LOCALE_S1159 = 0x0028;
inline constexpr Cardinal LOCALE_S2359 = 0x0029;
inline constexpr Cardinal LOCALE_SDAYNAME1 = 0x002A;
inline constexpr Cardinal LOCALE_SABBREVDAYNAME1 = 0x0031;
inline constexpr Cardinal LOCALE_SMONTHNAME1 = 0x0038;
inline constexpr Cardinal LOCALE_SABBREVMONTHNAME1 = 0x0044;
inline constexpr Cardinal LOCALE_SISO639LANGNAME = 0x0059;
inline constexpr Cardinal LOCALE_SISO3166CTRYNAME = 0x005A;
inline constexpr Cardinal LOCALE_SNAME = 0x005C;
inline constexpr Cardinal LOCALE_STIMEFORMAT = 0x1003;
inline constexpr Cardinal LOCALE_SSHORTTIME = 0x0079;
inline constexpr Cardinal LOCALE_SENGLANGUAGE = 0x1001;
inline constexpr Cardinal LOCALE_SENGCOUNTRY = 0x1002;
inline constexpr Cardinal LOCALE_IDEFAULTANSICODEPAGE = 0x1004;
inline constexpr Cardinal LOCALE_IFIRSTDAYOFWEEK = 0x100C;
inline constexpr Cardinal LOCALE_SISO639LANGNAME2 = 0x0067;
inline constexpr Cardinal LOCALE_SISO3166CTRYNAME2 = 0x0068;
inline constexpr Cardinal LOCALE_SENGLISHLANGUAGENAME = LOCALE_SENGLANGUAGE;
inline constexpr Cardinal LOCALE_SENGLISHCOUNTRYNAME = LOCALE_SENGCOUNTRY;
inline constexpr Cardinal LOCALE_SLOCALIZEDLANGUAGENAME = LOCALE_SLANGUAGE;
inline constexpr Cardinal LOCALE_SNATIVELANGUAGENAME = LOCALE_SNATIVELANGNAME;

// ---- process locale state ---------------------------------------------------------
// The process user-default locale as an ICU name ("en_US", "tr_TR", "de_DE").
// It starts from LC_ALL / LC_COLLATE / LANG ("C", "POSIX" or empty give "en_US");
// the host and tests may set another one.
void SetUserDefaultLocale(const std::string& icuLocaleName);
std::string GetUserDefaultLocaleName();
Cardinal GetUserDefaultLCID();
Cardinal GetSystemDefaultLCID();
Cardinal GetThreadLocale();
Cardinal GetUserDefaultLangID();
// True when the locale uses the Turkic dotted/dotless i rules (Turkish, Azeri).
bool IsTurkicLocale(Cardinal lcid);

// Locale identifier <-> ICU locale name. 0, LOCALE_USER_DEFAULT and
// LOCALE_SYSTEM_DEFAULT resolve to the user default, LOCALE_INVARIANT to "root";
// an identifier ICU does not know gives "". IcuLocaleToLCID gives 0 for a name
// without an identifier ("root" gives LOCALE_INVARIANT).
std::string LCIDToIcuLocale(Cardinal lcid);
Cardinal IcuLocaleToLCID(const std::string& name);
bool IsValidLocale(Cardinal lcid);
// The ANSI code page that a locale uses (1252 for Western locales, 1251 Cyrillic, ...).
Cardinal LCIDToCodePage(Cardinal lcid);

// The process ANSI code page (1252 unless the host sets another) and the OEM one.
// SetACP ignores pseudo code pages (CP_ACP ...) and code pages it cannot convert.
Cardinal GetACP();
void SetACP(Cardinal cp);
Cardinal GetOEMCP();

// ---- comparison ---------------------------------------------------------------
// n = -1 means zero-terminated. Returns CSTR_*; 0 on bad arguments. Flags not
// listed above are ignored; an identifier ICU does not know compares by the
// root collation.
Int32 CompareStringW(Cardinal lcid, Cardinal flags, const Char* s1, Int32 n1, const Char* s2, Int32 n2);
Int32 CompareStringW(Cardinal lcid, Cardinal flags, const String& a, const String& b);
// Same as CompareStringW with the result as -1 / 0 / 1 (and 0 on bad arguments).
Int32 CompareStringLocale(Cardinal lcid, Cardinal flags, const String& a, const String& b);

// ---- mapping ------------------------------------------------------------------
// destLen 0 returns the needed size in UTF-16 units (bytes for LCMAP_SORTKEY);
// returns 0 on failure or when dest is too small.
Int32 LCMapStringW(Cardinal lcid, Cardinal flags, const Char* src, Int32 n, Char* dest, Int32 destLen);
String LCMapString(Cardinal lcid, Cardinal flags, const String& s);

Int32 FoldStringW(Cardinal flags, const Char* src, Int32 n, Char* dest, Int32 destLen);
bool FoldStringW(Cardinal flags, const String& src, String& dest);

// Fills one Word per UTF-16 unit of src (n = -1: zero-terminated, the terminator
// not classified). Returns false on bad arguments.
bool GetStringTypeExW(Cardinal lcid, Cardinal infoType, const Char* src, Int32 n, Word* charTypes);
bool GetStringTypeW(Cardinal infoType, const Char* src, Int32 n, Word* charTypes);

// ---- locale information -------------------------------------------------------
// Returns the number of UTF-16 units written including the terminator; bufLen 0
// returns the needed size; 0 on failure (unknown item, buffer too small).
Int32 GetLocaleInfoW(Cardinal lcid, Cardinal lctype, Char* buf, Int32 bufLen);
String GetLocaleInfoStr(Cardinal lcid, Cardinal lctype);

// ---- runtime-style locale string routines (user default locale) ------------------
// Case mapping is one-to-one per UTF-16 unit: the length never changes (ß stays ß
// in upper case); the Turkish and Azeri locales map i <-> İ and ı <-> I.
String AnsiUpperCase(const String& s);
String AnsiLowerCase(const String& s);
Char AnsiUpperChar(Char c);
Char AnsiLowerChar(Char c);
// The upper case of every UTF-16 unit taken alone, as AnsiUpperChar maps it
// (surrogates map to themselves), under the Turkic rules or not: a table of
// 65,536 units built once per process, for loops that compare cases in place.
const Char* UpperCaseUnitTable(bool turkic);
String UpperCaseForLCID(Cardinal lcid, const String& s);
String LowerCaseForLCID(Cardinal lcid, const String& s);
String UpperCaseForLocale(const std::string& icuLocale, const String& s);
String LowerCaseForLocale(const std::string& icuLocale, const String& s);

// Collation in the user default locale; results are -1 / 0 / 1.
// AnsiCompareText ignores case; AnsiCompareStr is case-sensitive with lower case
// before upper case ("a" < "A" < "b").
Int32 AnsiCompareText(const String& a, const String& b);
Int32 AnsiCompareStr(const String& a, const String& b);
bool AnsiSameText(const String& a, const String& b);
// AnsiCompareText (ignoreCase) or AnsiCompareStr with the collator fetched
// once, when the comparer is made: for sorts, which compare millions of times.
// It answers as those routines do for the locale in force when it was made.
class TUserCollation {
 public:
  explicit TUserCollation(bool ignoreCase);
  Int32 Compare(const String& a, const String& b) const;
  // The text as the collator reads it (its case folded when case is
  // ignored), and the comparison of two texts so prepared: a sort prepares
  // each text once instead of at every comparison.
  String Prepared(const String& s) const;
  Int32 ComparePrepared(const String& a, const String& b) const;

 private:
  void* fCollator;  // the ICU collator, owned by the per-thread cache
  Cardinal fFlags;
};
bool AnsiSameStr(const String& a, const String& b);
// 1-based position of sub in s (exact UTF-16 match), 0 when absent or sub is empty.
Int32 AnsiPos(const String& sub, const String& s);
// Whether s begins / ends with sub, ignoring case (true for an empty sub).
bool AnsiStartsText(const String& sub, const String& s);
bool AnsiEndsText(const String& sub, const String& s);
// Whether s contains sub, ignoring case (false for an empty sub). Note the
// order: the text first, the part looked for second.
bool AnsiContainsText(const String& s, const String& sub);

}  // namespace sk
