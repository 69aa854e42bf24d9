#include "platform/runtime/Locale.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/runtime/CodePages.h"
#include "TestSupport.h"

namespace sk {
namespace {

// Sets the process user-default locale for one test and restores it after.
class ScopedUserLocale {
 public:
  explicit ScopedUserLocale(const std::string& name) : fSaved(GetUserDefaultLocaleName()) {
    SetUserDefaultLocale(name);
  }
  ~ScopedUserLocale() { SetUserDefaultLocale(fSaved); }

 private:
  std::string fSaved;
};

constexpr Cardinal kEnUS = 0x0409;
constexpr Cardinal kDeDE = 0x0407;
constexpr Cardinal kSvSE = 0x041D;
constexpr Cardinal kTrTR = 0x041F;

// ---------------------------------------------------------------------------

TEST(LocaleIdentifiers, KnownIdentifiersMapBothWays) {
  EXPECT_EQ(LCIDToIcuLocale(0x0409), "en_US");
  EXPECT_EQ(LCIDToIcuLocale(0x041F), "tr_TR");
  EXPECT_EQ(LCIDToIcuLocale(0x0411), "ja_JP");
  std::string zh = LCIDToIcuLocale(0x0804);
  EXPECT_EQ(zh.substr(0, 2), "zh");
  EXPECT_NE(zh.find("CN"), std::string::npos);
  EXPECT_EQ(IcuLocaleToLCID("en_US"), 0x0409u);
  EXPECT_EQ(IcuLocaleToLCID("tr_TR"), 0x041Fu);
  EXPECT_EQ(IcuLocaleToLCID(zh), 0x0804u);
  // A bare language takes its main country.
  EXPECT_EQ(IcuLocaleToLCID("de"), 0x0407u);
  EXPECT_EQ(IcuLocaleToLCID("root"), LOCALE_INVARIANT);
  EXPECT_EQ(IcuLocaleToLCID("xx_YY"), 0u);
}

TEST(LocaleIdentifiers, DefaultIdentifiersFollowTheUserLocale) {
  ScopedUserLocale loc("de_DE");
  EXPECT_EQ(LCIDToIcuLocale(0), "de_DE");
  EXPECT_EQ(LCIDToIcuLocale(LOCALE_USER_DEFAULT), "de_DE");
  EXPECT_EQ(LCIDToIcuLocale(LOCALE_SYSTEM_DEFAULT), "de_DE");
  EXPECT_EQ(GetUserDefaultLCID(), 0x0407u);
  EXPECT_EQ(GetThreadLocale(), 0x0407u);
  EXPECT_EQ(GetUserDefaultLangID(), 0x0407u);
  EXPECT_EQ(LCIDToIcuLocale(LOCALE_INVARIANT), "root");
}

TEST(LocaleIdentifiers, PosixNamesAreCanonicalised) {
  {
    ScopedUserLocale loc("de_DE.UTF-8");
    EXPECT_EQ(GetUserDefaultLocaleName(), "de_DE");
  }
  {
    ScopedUserLocale loc("C");
    EXPECT_EQ(GetUserDefaultLocaleName(), "en_US");
  }
  {
    ScopedUserLocale loc("sr_RS@latin");
    EXPECT_EQ(GetUserDefaultLocaleName(), "sr_Latn_RS");
  }
  {
    ScopedUserLocale loc("");
    EXPECT_EQ(GetUserDefaultLocaleName(), "en_US");
  }
}

TEST(LocaleIdentifiers, UnknownIdentifierIsInvalid) {
  EXPECT_EQ(LCIDToIcuLocale(0x1234), "");
  EXPECT_FALSE(IsValidLocale(0x1234));
  EXPECT_TRUE(IsValidLocale(kEnUS));
  EXPECT_TRUE(IsValidLocale(LOCALE_USER_DEFAULT));
}

TEST(LocaleIdentifiers, CodePageOfLocale) {
  EXPECT_EQ(LCIDToCodePage(0x0409), 1252u);
  EXPECT_EQ(LCIDToCodePage(0x0405), 1250u);  // Czech
  EXPECT_EQ(LCIDToCodePage(0x0419), 1251u);  // Russian
  EXPECT_EQ(LCIDToCodePage(0x0408), 1253u);  // Greek
  EXPECT_EQ(LCIDToCodePage(0x041F), 1254u);
  EXPECT_EQ(LCIDToCodePage(0x040D), 1255u);  // Hebrew
  EXPECT_EQ(LCIDToCodePage(0x0401), 1256u);  // Arabic
  EXPECT_EQ(LCIDToCodePage(0x0426), 1257u);  // Latvian
  EXPECT_EQ(LCIDToCodePage(0x042A), 1258u);  // Vietnamese
  EXPECT_EQ(LCIDToCodePage(0x041E), 874u);   // Thai
  EXPECT_EQ(LCIDToCodePage(0x0411), 932u);
  EXPECT_EQ(LCIDToCodePage(0x0804), 936u);
  EXPECT_EQ(LCIDToCodePage(0x0412), 949u);
  EXPECT_EQ(LCIDToCodePage(0x0404), 950u);
  EXPECT_EQ(LCIDToCodePage(0x081A), 1250u);  // Serbian, Latin script
  EXPECT_EQ(LCIDToCodePage(0x0C1A), 1251u);  // Serbian, Cyrillic script
  // Unicode-only locales and unknown identifiers fall back to the ANSI code page.
  ScopedACP acp(1250);
  EXPECT_EQ(LCIDToCodePage(0x0439), 1250u);  // Hindi
  EXPECT_EQ(LCIDToCodePage(0x1234), 1250u);
}

TEST(LocaleIdentifiers, AnsiCodePageIsAProcessSetting) {
  EXPECT_EQ(GetOEMCP(), 437u);
  ScopedACP acp(1251);
  EXPECT_EQ(GetACP(), 1251u);
  SetACP(0);        // a pseudo code page is refused
  SetACP(123456);   // so is one without a converter
  EXPECT_EQ(GetACP(), 1251u);
}

// ---------------------------------------------------------------------------

TEST(LocaleCollation, UmlautSortsByLocale) {
  // German sorts ä with a; Swedish sorts it after z.
  EXPECT_EQ(CompareStringW(kDeDE, 0, u"\u00E4", u"b"), CSTR_LESS_THAN);
  EXPECT_EQ(CompareStringW(kSvSE, 0, u"\u00E4", u"z"), CSTR_GREATER_THAN);
  EXPECT_EQ(CompareStringW(kDeDE, 0, u"\u00E4", u"z"), CSTR_LESS_THAN);
}

TEST(LocaleCollation, UserLocaleChangeReachesCachedCollators) {
  {
    ScopedUserLocale loc("de_DE");
    EXPECT_EQ(AnsiCompareStr(u"\u00E4", u"z"), -1);
  }
  {
    ScopedUserLocale loc("sv_SE");
    EXPECT_EQ(AnsiCompareStr(u"\u00E4", u"z"), 1);
    EXPECT_EQ(CompareStringW(LOCALE_USER_DEFAULT, 0, u"\u00E4", u"z"), CSTR_GREATER_THAN);
  }
}

TEST(LocaleCollation, CaseRules) {
  ScopedUserLocale loc("en_US");
  EXPECT_EQ(AnsiCompareStr(u"a", u"A"), -1);
  EXPECT_EQ(AnsiCompareStr(u"A", u"b"), -1);
  EXPECT_EQ(AnsiCompareStr(u"A", u"a"), 1);
  EXPECT_EQ(AnsiCompareText(u"abc", u"ABC"), 0);
  EXPECT_EQ(AnsiCompareText(u"\u00C4BC", u"\u00E4bc"), 0);
  EXPECT_TRUE(AnsiSameText(u"Stra\u00DFe", u"STRA\u00DFE"));
  EXPECT_FALSE(AnsiSameStr(u"abc", u"ABC"));
  // Ignoring case does not ignore accents.
  EXPECT_NE(AnsiCompareText(u"e", u"\u00E9"), 0);
  EXPECT_EQ(AnsiCompareText(u"apple", u"Banana"), -1);
}

TEST(LocaleCollation, Flags) {
  EXPECT_EQ(CompareStringW(kEnUS, NORM_IGNORECASE, u"HELLO", u"hello"), CSTR_EQUAL);
  EXPECT_EQ(CompareStringW(kEnUS, LINGUISTIC_IGNORECASE, u"HELLO", u"hello"), CSTR_EQUAL);
  // Ignoring accents keeps case differences unless case is ignored too.
  EXPECT_EQ(CompareStringW(kEnUS, NORM_IGNORENONSPACE, u"resume", u"r\u00E9sum\u00E9"), CSTR_EQUAL);
  EXPECT_NE(CompareStringW(kEnUS, NORM_IGNORENONSPACE, u"resume", u"R\u00E9sum\u00E9"), CSTR_EQUAL);
  EXPECT_EQ(CompareStringW(kEnUS, NORM_IGNORENONSPACE | NORM_IGNORECASE, u"resume", u"R\u00C9SUM\u00C9"), CSTR_EQUAL);
  EXPECT_EQ(CompareStringW(kEnUS, NORM_IGNORESYMBOLS, u"co-op", u"coop"), CSTR_EQUAL);
  EXPECT_NE(CompareStringW(kEnUS, 0, u"co-op", u"coop"), CSTR_EQUAL);
  EXPECT_EQ(CompareStringW(kEnUS, SORT_DIGITSASNUMBERS, u"file2", u"file10"), CSTR_LESS_THAN);
  EXPECT_EQ(CompareStringW(kEnUS, 0, u"file2", u"file10"), CSTR_GREATER_THAN);
  // Width differences count unless ignored.
  EXPECT_NE(CompareStringW(kEnUS, 0, u"A", u"\uFF21"), CSTR_EQUAL);
  EXPECT_EQ(CompareStringW(kEnUS, NORM_IGNOREWIDTH, u"A", u"\uFF21"), CSTR_EQUAL);
}

// Ignoring case ignores case alone: width and kana type count unless their
// own flags are given, and sort keys agree with the comparison.
TEST(LocaleCollation, IgnoringCaseKeepsWidthAndKanaType) {
  const String fullDog = u"\uFF44\uFF4F\uFF47";         // full-width "dog"
  const String hiragana = u"\u3072\u3089\u304C\u306A";  // hiragana "hiragana"
  const String katakana = u"\u30D2\u30E9\u30AC\u30CA";  // the same in katakana
  struct Case {
    Cardinal lcid;
    Cardinal flags;
    String a, b;
    bool equal;
  };
  const Case cases[] = {
      {kEnUS, NORM_IGNORECASE, u"DOG", u"dog", true},
      {kEnUS, NORM_IGNORECASE, fullDog, u"dog", false},
      {kEnUS, NORM_IGNORECASE, fullDog, u"\uFF24\uFF2F\uFF27", true},  // full-width case variants
      {kEnUS, NORM_IGNORECASE, hiragana, katakana, false},
      {kEnUS, LINGUISTIC_IGNORECASE, hiragana, katakana, false},
      {kEnUS, NORM_IGNORECASE, u"\u03A3\u039F\u03A6\u039F\u03A3", u"\u03C3\u03BF\u03C6\u03BF\u03C2", true},
      {kEnUS, NORM_IGNORECASE, u"\uFB01ne", u"FINE", true},  // a ligature's case variant
      {kEnUS, NORM_IGNORECASE, u"I", u"\u0131", false},
      {kTrTR, NORM_IGNORECASE, u"I", u"\u0131", true},  // dotless i is the lower case of I in Turkish
      {kTrTR, NORM_IGNORECASE, u"\u0130", u"i", true},
      {kTrTR, NORM_IGNORECASE, u"I", u"i", false},
      {kEnUS, NORM_IGNORECASE | NORM_IGNOREWIDTH, fullDog, u"DOG", true},
      {kEnUS, NORM_IGNORECASE | NORM_IGNOREKANATYPE, hiragana, katakana, true},
      {kEnUS, NORM_IGNOREWIDTH, fullDog, u"DOG", false},  // case still counts
      {kEnUS, NORM_IGNOREKANATYPE, hiragana, katakana, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "lcid " << c.lcid << " flags " << c.flags << ": " << StringToUtf8(c.a) << " / "
                                    << StringToUtf8(c.b));
    EXPECT_EQ(CompareStringW(c.lcid, c.flags, c.a, c.b) == CSTR_EQUAL, c.equal);
    EXPECT_EQ(CompareStringW(c.lcid, c.flags, c.b, c.a) == CSTR_EQUAL, c.equal);
    // Zero-terminated texts fold the same way.
    EXPECT_EQ(CompareStringW(c.lcid, c.flags, c.a.c_str(), -1, c.b.c_str(), -1) == CSTR_EQUAL, c.equal);
    const Cardinal keyFlags = LCMAP_SORTKEY | c.flags;
    auto key = [&](const String& s) {
      const Int32 n = static_cast<Int32>(s.size());
      std::string k(static_cast<size_t>(LCMapStringW(c.lcid, keyFlags, s.data(), n, nullptr, 0)), '\0');
      EXPECT_GT(k.size(), 0u);
      LCMapStringW(c.lcid, keyFlags, s.data(), n, reinterpret_cast<Char*>(k.data()), static_cast<Int32>(k.size()));
      return k;
    };
    EXPECT_EQ(key(c.a) == key(c.b), c.equal);
  }
  EXPECT_FALSE(AnsiSameText(fullDog, u"dog"));
  EXPECT_FALSE(AnsiSameText(hiragana, katakana));
  EXPECT_TRUE(AnsiSameText(u"Dog", u"dOG"));
}

TEST(LocaleCollation, LengthsAndBadArguments) {
  const Char a[] = u"apple";
  const Char b[] = u"applesauce";
  EXPECT_EQ(CompareStringW(kEnUS, 0, a, -1, b, -1), CSTR_LESS_THAN);
  EXPECT_EQ(CompareStringW(kEnUS, 0, a, 5, b, 5), CSTR_EQUAL);
  EXPECT_EQ(CompareStringW(kEnUS, 0, a, 0, b, 0), CSTR_EQUAL);
  EXPECT_EQ(CompareStringW(kEnUS, 0, nullptr, -1, b, -1), 0);
  EXPECT_EQ(CompareStringW(kEnUS, 0, a, -2, b, -1), 0);
  // An identifier ICU does not know still gives an order.
  EXPECT_EQ(CompareStringW(0x1234, 0, u"a", u"b"), CSTR_LESS_THAN);
  EXPECT_EQ(CompareStringLocale(kEnUS, 0, u"b", u"a"), 1);
  EXPECT_EQ(CompareStringLocale(kEnUS, 0, u"a", u"a"), 0);
}

TEST(LocaleCollation, SortedOrderIsConsistent) {
  // Sorting a few words by insertion and comparing neighbours checks that the
  // comparison is an order (antisymmetric, consistent).
  std::vector<String> words = {u"zebra", u"Apple", u"apple", u"\u00E4pfel", u"Banana", u"banana", u"cherry"};
  std::vector<String> sorted;
  for (const String& w : words) {
    size_t i = 0;
    while (i < sorted.size() && CompareStringW(kDeDE, 0, sorted[i], w) != CSTR_GREATER_THAN) ++i;
    sorted.insert(sorted.begin() + static_cast<std::ptrdiff_t>(i), w);
  }
  // "äpfel" sorts as "apfel", before "apple".
  std::vector<String> expected = {u"\u00E4pfel", u"apple", u"Apple", u"banana", u"Banana", u"cherry", u"zebra"};
  EXPECT_EQ(sorted, expected);
  for (size_t i = 0; i + 1 < sorted.size(); ++i) {
    EXPECT_EQ(CompareStringW(kDeDE, 0, sorted[i], sorted[i + 1]), CSTR_LESS_THAN);
    EXPECT_EQ(CompareStringW(kDeDE, 0, sorted[i + 1], sorted[i]), CSTR_GREATER_THAN);
  }
}

TEST(LocaleCollation, SeveralThreadsAtOnce) {
  // Collators and converters are cached per thread; each thread must get
  // correct answers while the others work.
  std::vector<std::thread> threads;
  std::vector<int> failures(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t, &failures] {
      for (int i = 0; i < 300; ++i) {
        if (CompareStringW(t % 2 ? kSvSE : kDeDE, 0, u"\u00E4", u"z") != (t % 2 ? CSTR_GREATER_THAN : CSTR_LESS_THAN))
          ++failures[t];
        if (CompareStringW(kEnUS, NORM_IGNORECASE, u"abc", u"ABC") != CSTR_EQUAL) ++failures[t];
        if (UpperCaseForLCID(kTrTR, u"i") != u"\u0130") ++failures[t];
        if (CodePageToUnicode(t % 2 ? 932 : 1251, UnicodeToCodePage(t % 2 ? 932 : 1251, u"\u0410")) != u"\u0410")
          ++failures[t];
      }
    });
  }
  for (auto& th : threads) th.join();
  EXPECT_EQ(failures, std::vector<int>(4, 0));
}

// ---------------------------------------------------------------------------

TEST(LocaleCaseMapping, LengthNeverChanges) {
  ScopedUserLocale loc("de_DE");
  EXPECT_EQ(AnsiUpperCase(u"stra\u00DFe"), u"STRA\u00DFE");
  EXPECT_EQ(AnsiUpperCase(u"\uFB01"), u"\uFB01");  // the fi ligature has no one-unit upper case
  EXPECT_EQ(AnsiLowerCase(u"\u0130"), u"i");        // İ lowers to plain i outside Turkic locales
  EXPECT_EQ(AnsiUpperCase(u"\u01C6"), u"\u01C4");   // dž -> DŽ
  String mixed = u"\u00E9t\u00E9 \u03C3\u03C2 \u0434\u0430";
  EXPECT_EQ(AnsiUpperCase(mixed).size(), mixed.size());
  EXPECT_EQ(AnsiUpperCase(mixed), u"\u00C9T\u00C9 \u03A3\u03A3 \u0414\u0410");
}

TEST(LocaleCaseMapping, TurkicDottedAndDotlessI) {
  {
    ScopedUserLocale loc("tr_TR");
    EXPECT_EQ(AnsiUpperCase(u"i\u0131"), u"\u0130I");
    EXPECT_EQ(AnsiLowerCase(u"I\u0130"), u"\u0131i");
    EXPECT_EQ(AnsiUpperChar(u'i'), Char(0x0130));
    EXPECT_EQ(AnsiLowerChar(u'I'), Char(0x0131));
  }
  {
    ScopedUserLocale loc("en_US");
    EXPECT_EQ(AnsiUpperCase(u"i\u0131"), u"II");
    EXPECT_EQ(AnsiLowerCase(u"I\u0130"), u"ii");
  }
  EXPECT_EQ(UpperCaseForLCID(kTrTR, u"istanbul"), u"\u0130STANBUL");
  EXPECT_EQ(UpperCaseForLCID(0x042C, u"i"), u"\u0130");  // Azeri
  EXPECT_EQ(UpperCaseForLCID(kEnUS, u"istanbul"), u"ISTANBUL");
  EXPECT_EQ(LowerCaseForLCID(kTrTR, u"ISPARTA"), u"\u0131sparta");
}

TEST(LocaleCaseMapping, LCMapStringLinguisticCasing) {
  EXPECT_EQ(LCMapString(kTrTR, LCMAP_UPPERCASE | LCMAP_LINGUISTIC_CASING, u"i"), u"\u0130");
  // Without linguistic casing the mapping does not depend on the locale.
  EXPECT_EQ(LCMapString(kTrTR, LCMAP_UPPERCASE, u"i"), u"I");
  EXPECT_EQ(LCMapString(kEnUS, LCMAP_LOWERCASE | LCMAP_LINGUISTIC_CASING, u"ABC\u00C4"), u"abc\u00E4");
  // Supplementary characters map as whole code points (Deseret).
  EXPECT_EQ(LCMapString(kEnUS, LCMAP_LOWERCASE, u"\U00010400"), u"\U00010428");
  EXPECT_EQ(LCMapString(kEnUS, LCMAP_UPPERCASE, u"\U00010428x"), u"\U00010400X");
  // A lone surrogate is kept.
  String lone(1, Char(0xD801));
  lone += u"a";
  String expectLone(1, Char(0xD801));
  expectLone += u"A";
  EXPECT_EQ(LCMapString(kEnUS, LCMAP_UPPERCASE, lone), expectLone);
}

TEST(LocaleCaseMapping, LCMapStringBuffers) {
  const Char src[] = u"abc";
  // -1: the terminator is counted and written.
  EXPECT_EQ(LCMapStringW(kEnUS, LCMAP_UPPERCASE, src, -1, nullptr, 0), 4);
  Char buf[8];
  std::fill(std::begin(buf), std::end(buf), Char(u'#'));
  EXPECT_EQ(LCMapStringW(kEnUS, LCMAP_UPPERCASE, src, -1, buf, 4), 4);
  EXPECT_EQ(String(buf, 4), String(u"ABC\0", 4));
  EXPECT_EQ(buf[4], Char(u'#'));
  // Too small: fails without writing past the buffer.
  std::fill(std::begin(buf), std::end(buf), Char(u'#'));
  EXPECT_EQ(LCMapStringW(kEnUS, LCMAP_UPPERCASE, src, 3, buf, 2), 0);
  EXPECT_EQ(buf[2], Char(u'#'));
  // In place.
  Char inplace[] = u"hello";
  EXPECT_EQ(LCMapStringW(kEnUS, LCMAP_UPPERCASE, inplace, -1, inplace, 6), 6);
  EXPECT_EQ(String(inplace), u"HELLO");
  // Bad flags and arguments.
  EXPECT_EQ(LCMapStringW(kEnUS, LCMAP_UPPERCASE | LCMAP_LOWERCASE, src, 3, buf, 8), 0);
  EXPECT_EQ(LCMapStringW(kEnUS, LCMAP_LINGUISTIC_CASING, src, 3, buf, 8), 0);
  EXPECT_EQ(LCMapStringW(kEnUS, 0, src, 3, buf, 8), 0);
  EXPECT_EQ(LCMapStringW(kEnUS, LCMAP_UPPERCASE, nullptr, 3, buf, 8), 0);
  EXPECT_EQ(LCMapStringW(kEnUS, LCMAP_UPPERCASE, src, 3, nullptr, 8), 0);
}

TEST(LocaleCaseMapping, SortKeysOrderLikeComparison) {
  auto key = [](Cardinal lcid, const String& s) {
    Int32 n = LCMapStringW(lcid, LCMAP_SORTKEY, s.data(), static_cast<Int32>(s.size()), nullptr, 0);
    std::string k(static_cast<size_t>(n), '\0');
    EXPECT_EQ(LCMapStringW(lcid, LCMAP_SORTKEY, s.data(), static_cast<Int32>(s.size()),
                           reinterpret_cast<Char*>(k.data()), n),
              n);
    return k;
  };
  EXPECT_LT(key(kDeDE, u"\u00E4"), key(kDeDE, u"b"));
  EXPECT_GT(key(kSvSE, u"\u00E4"), key(kSvSE, u"z"));
  EXPECT_LT(key(kEnUS, u"a"), key(kEnUS, u"A"));
}

// ---------------------------------------------------------------------------

TEST(LocaleFold, PrecomposedAndComposite) {
  String out;
  ASSERT_TRUE(FoldStringW(MAP_PRECOMPOSED, u"e\u0301t\u00E9", out));
  EXPECT_EQ(out, u"\u00E9t\u00E9");
  ASSERT_TRUE(FoldStringW(MAP_COMPOSITE, u"\u00E9t\u00E9", out));
  EXPECT_EQ(out, u"e\u0301te\u0301");
  // Hangul jamo compose into a syllable.
  ASSERT_TRUE(FoldStringW(MAP_PRECOMPOSED, u"\u1100\u1161", out));
  EXPECT_EQ(out, u"\uAC00");
  // A mark without a base letter stays.
  ASSERT_TRUE(FoldStringW(MAP_PRECOMPOSED, u"\u0301a", out));
  EXPECT_EQ(out, u"\u0301a");
  // Composition never lengthens a text, not even for characters that
  // canonical normalisation would decompose.
  ASSERT_TRUE(FoldStringW(MAP_PRECOMPOSED, u"\u0958\u212B", out));
  EXPECT_EQ(out, u"\u0958\u212B");
}

TEST(LocaleFold, OtherMappings) {
  String out;
  ASSERT_TRUE(FoldStringW(MAP_FOLDDIGITS, u"\u0661\u0662\u0663x\u096A", out));
  EXPECT_EQ(out, u"123x4");
  ASSERT_TRUE(FoldStringW(MAP_EXPAND_LIGATURES, u"\uFB01n \u00E6on \u00DF", out));
  EXPECT_EQ(out, u"fin aeon ss");
  ASSERT_TRUE(FoldStringW(MAP_FOLDCZONE, u"\uFF21\uFF42c", out));
  EXPECT_EQ(out, u"Abc");
}

TEST(LocaleFold, FlagChecksAndBuffers) {
  String out = u"unchanged";
  EXPECT_FALSE(FoldStringW(0, u"x", out));
  EXPECT_FALSE(FoldStringW(MAP_PRECOMPOSED | MAP_COMPOSITE, u"x", out));
  EXPECT_FALSE(FoldStringW(MAP_EXPAND_LIGATURES | MAP_PRECOMPOSED, u"x", out));
  EXPECT_EQ(out, u"unchanged");
  ASSERT_TRUE(FoldStringW(MAP_PRECOMPOSED, String(), out));
  EXPECT_EQ(out, u"");

  const Char src[] = u"e\u0301";
  EXPECT_EQ(FoldStringW(MAP_PRECOMPOSED, src, -1, nullptr, 0), 2);  // é and the terminator
  Char buf[4] = {u'#', u'#', u'#', u'#'};
  EXPECT_EQ(FoldStringW(MAP_PRECOMPOSED, src, -1, buf, 1), 0);
  EXPECT_EQ(buf[1], Char(u'#'));
  EXPECT_EQ(FoldStringW(MAP_PRECOMPOSED, src, -1, buf, 4), 2);
  EXPECT_EQ(buf[0], Char(0x00E9));
  EXPECT_EQ(buf[1], Char(0));
  EXPECT_EQ(FoldStringW(MAP_COMPOSITE, u"\u00E9", 1, nullptr, 0), 2);
}

// ---------------------------------------------------------------------------

TEST(LocaleStringTypes, CharacterClasses) {
  const String s = u"Aa1 ,\t\x01\u00E9\u0301$\u4E2D";
  std::vector<Word> t(s.size(), 0xFFFF);
  ASSERT_TRUE(GetStringTypeExW(kEnUS, CT_CTYPE1, s.data(), static_cast<Int32>(s.size()), t.data()));
  EXPECT_EQ(t[0], C1_UPPER | C1_ALPHA | C1_XDIGIT | C1_DEFINED);
  EXPECT_EQ(t[1], C1_LOWER | C1_ALPHA | C1_XDIGIT | C1_DEFINED);
  EXPECT_EQ(t[2], C1_DIGIT | C1_XDIGIT | C1_DEFINED);
  EXPECT_EQ(t[3], C1_SPACE | C1_BLANK | C1_DEFINED);
  EXPECT_EQ(t[4], C1_PUNCT | C1_DEFINED);
  EXPECT_EQ(t[5], C1_SPACE | C1_BLANK | C1_CNTRL | C1_DEFINED);
  EXPECT_EQ(t[6], C1_CNTRL | C1_DEFINED);
  EXPECT_EQ(t[7], C1_LOWER | C1_ALPHA | C1_DEFINED);
  EXPECT_TRUE(t[8] & C1_ALPHA);
  EXPECT_EQ(t[9], C1_PUNCT | C1_DEFINED);
  EXPECT_EQ(t[10], C1_ALPHA | C1_DEFINED);

  ASSERT_TRUE(GetStringTypeExW(kEnUS, CT_CTYPE3, s.data(), static_cast<Int32>(s.size()), t.data()));
  EXPECT_TRUE(t[8] & C3_NONSPACING);
  EXPECT_TRUE(t[8] & C3_DIACRITIC);
  EXPECT_TRUE(t[9] & C3_SYMBOL);
  EXPECT_TRUE(t[10] & C3_IDEOGRAPH);
  EXPECT_TRUE(t[10] & C3_FULLWIDTH);
  EXPECT_TRUE(t[0] & C3_ALPHA);
  EXPECT_FALSE(t[2] & C3_ALPHA);
}

TEST(LocaleStringTypes, DirectionsAndSurrogates) {
  const String s = u"a\u05D01 \U0001F600";
  std::vector<Word> t(s.size());
  ASSERT_TRUE(GetStringTypeExW(kEnUS, CT_CTYPE2, s.data(), static_cast<Int32>(s.size()), t.data()));
  EXPECT_EQ(t[0], C2_LEFTTORIGHT);
  EXPECT_EQ(t[1], C2_RIGHTTOLEFT);
  EXPECT_EQ(t[2], C2_EUROPENUMBER);
  EXPECT_EQ(t[3], C2_WHITESPACE);
  ASSERT_TRUE(GetStringTypeExW(kEnUS, CT_CTYPE3, s.data(), static_cast<Int32>(s.size()), t.data()));
  EXPECT_TRUE(t[4] & C3_HIGHSURROGATE);
  EXPECT_TRUE(t[5] & C3_LOWSURROGATE);
  // Both halves of a pair describe the same character.
  ASSERT_TRUE(GetStringTypeExW(kEnUS, CT_CTYPE1, s.data(), static_cast<Int32>(s.size()), t.data()));
  EXPECT_EQ(t[4], t[5]);
  EXPECT_EQ(t[4], C1_PUNCT | C1_DEFINED);
}

TEST(LocaleStringTypes, BadArgumentsAndTerminator) {
  Word t[4] = {7, 7, 7, 7};
  EXPECT_FALSE(GetStringTypeExW(kEnUS, 3, u"ab", 2, t));
  EXPECT_FALSE(GetStringTypeExW(kEnUS, CT_CTYPE1, nullptr, 2, t));
  EXPECT_FALSE(GetStringTypeExW(kEnUS, CT_CTYPE1, u"ab", 2, nullptr));
  ASSERT_TRUE(GetStringTypeExW(kEnUS, CT_CTYPE1, u"ab", -1, t));
  EXPECT_EQ(t[2], 7);  // the terminator is not classified
  EXPECT_TRUE(GetStringTypeW(CT_CTYPE1, u"", -1, t));
}

// ---------------------------------------------------------------------------

TEST(LocaleInfo, Separators) {
  EXPECT_EQ(GetLocaleInfoStr(kEnUS, LOCALE_SDECIMAL), u".");
  EXPECT_EQ(GetLocaleInfoStr(kEnUS, LOCALE_STHOUSAND), u",");
  EXPECT_EQ(GetLocaleInfoStr(kEnUS, LOCALE_SLIST), u",");
  EXPECT_EQ(GetLocaleInfoStr(kDeDE, LOCALE_SDECIMAL), u",");
  EXPECT_EQ(GetLocaleInfoStr(kDeDE, LOCALE_STHOUSAND), u".");
  EXPECT_EQ(GetLocaleInfoStr(kDeDE, LOCALE_SLIST), u";");
  EXPECT_EQ(GetLocaleInfoStr(kDeDE, LOCALE_SDATE), u".");
  EXPECT_EQ(GetLocaleInfoStr(kEnUS, LOCALE_SDATE), u"/");
  EXPECT_EQ(GetLocaleInfoStr(kEnUS, LOCALE_STIME), u":");
  EXPECT_EQ(GetLocaleInfoStr(0x0439, LOCALE_SGROUPING), u"3;2;0");  // Hindi groups by two after three
  EXPECT_EQ(GetLocaleInfoStr(kEnUS, LOCALE_SGROUPING), u"3;0");
}

TEST(LocaleInfo, DateAndTimeMasks) {
  EXPECT_EQ(GetLocaleInfoStr(kEnUS, LOCALE_SSHORTDATE), u"M/d/yyyy");
  EXPECT_EQ(GetLocaleInfoStr(kDeDE, LOCALE_SSHORTDATE), u"dd.MM.yyyy");
  EXPECT_EQ(GetLocaleInfoStr(kEnUS, LOCALE_SLONGDATE), u"dddd, MMMM d, yyyy");
  EXPECT_EQ(GetLocaleInfoStr(kEnUS, LOCALE_STIMEFORMAT), u"h:mm:ss tt");
  EXPECT_EQ(GetLocaleInfoStr(kDeDE, LOCALE_STIMEFORMAT), u"HH:mm:ss");
  EXPECT_EQ(GetLocaleInfoStr(kEnUS, LOCALE_S1159), u"AM");
  EXPECT_EQ(GetLocaleInfoStr(kEnUS, LOCALE_ITIME), u"0");
  EXPECT_EQ(GetLocaleInfoStr(kDeDE, LOCALE_ITIME), u"1");
  EXPECT_EQ(GetLocaleInfoStr(kEnUS, LOCALE_IDATE), u"0");
  EXPECT_EQ(GetLocaleInfoStr(kDeDE, LOCALE_IDATE), u"1");
  EXPECT_EQ(GetLocaleInfoStr(0x0411, LOCALE_IDATE), u"2");
  // Day 1 is Monday, day 7 Sunday.
  EXPECT_EQ(GetLocaleInfoStr(kEnUS, LOCALE_SDAYNAME1), u"Monday");
  EXPECT_EQ(GetLocaleInfoStr(kEnUS, LOCALE_SDAYNAME1 + 6), u"Sunday");
  EXPECT_EQ(GetLocaleInfoStr(kEnUS, LOCALE_SABBREVDAYNAME1 + 6), u"Sun");
  EXPECT_EQ(GetLocaleInfoStr(kDeDE, LOCALE_SMONTHNAME1 + 2), u"M\u00E4rz");
  EXPECT_EQ(GetLocaleInfoStr(kEnUS, LOCALE_SABBREVMONTHNAME1 + 11), u"Dec");
  EXPECT_EQ(GetLocaleInfoStr(kEnUS, LOCALE_IFIRSTDAYOFWEEK), u"6");
  EXPECT_EQ(GetLocaleInfoStr(kDeDE, LOCALE_IFIRSTDAYOFWEEK), u"0");
}

TEST(LocaleInfo, NamesAndCodes) {
  EXPECT_EQ(GetLocaleInfoStr(kDeDE, LOCALE_SENGLANGUAGE), u"German");
  EXPECT_EQ(GetLocaleInfoStr(kDeDE, LOCALE_SNATIVELANGNAME), u"Deutsch");
  EXPECT_EQ(GetLocaleInfoStr(kDeDE, LOCALE_SENGCOUNTRY), u"Germany");
  EXPECT_EQ(GetLocaleInfoStr(kEnUS, LOCALE_SLANGUAGE), u"English (United States)");
  EXPECT_EQ(GetLocaleInfoStr(kTrTR, LOCALE_SISO639LANGNAME), u"tr");
  EXPECT_EQ(GetLocaleInfoStr(kTrTR, LOCALE_SISO3166CTRYNAME), u"TR");
  EXPECT_EQ(GetLocaleInfoStr(kTrTR, LOCALE_SABBREVLANGNAME), u"TRK");
  EXPECT_EQ(GetLocaleInfoStr(0x0411, LOCALE_SNAME), u"ja-JP");
  EXPECT_EQ(GetLocaleInfoStr(kTrTR, LOCALE_IDEFAULTANSICODEPAGE), u"1254");
  EXPECT_EQ(GetLocaleInfoStr(kEnUS, LOCALE_IDEFAULTCODEPAGE), u"437");
  EXPECT_EQ(GetLocaleInfoStr(kEnUS, LOCALE_ILANGUAGE), u"0409");
  EXPECT_EQ(GetLocaleInfoStr(kEnUS, LOCALE_IMEASURE), u"1");
  EXPECT_EQ(GetLocaleInfoStr(kDeDE, LOCALE_IMEASURE), u"0");
  EXPECT_EQ(GetLocaleInfoStr(kDeDE, LOCALE_SCURRENCY), u"\u20AC");
  EXPECT_EQ(GetLocaleInfoStr(kEnUS, LOCALE_ICURRENCY), u"0");   // $1.1
  EXPECT_EQ(GetLocaleInfoStr(kDeDE, LOCALE_ICURRENCY), u"3");   // 1,1 €
  EXPECT_EQ(GetLocaleInfoStr(kDeDE, LOCALE_INEGCURR), u"8");    // -1,1 €
  EXPECT_EQ(GetLocaleInfoStr(0x0411, LOCALE_ICURRDIGITS), u"0");
}

TEST(LocaleInfo, InvariantAndDefaultLocale) {
  EXPECT_EQ(GetLocaleInfoStr(LOCALE_INVARIANT, LOCALE_SENGLANGUAGE), u"Invariant Language");
  EXPECT_EQ(GetLocaleInfoStr(LOCALE_INVARIANT, LOCALE_SSHORTDATE), u"MM/dd/yyyy");
  EXPECT_EQ(GetLocaleInfoStr(LOCALE_INVARIANT, LOCALE_SDECIMAL), u".");
  EXPECT_EQ(GetLocaleInfoStr(LOCALE_INVARIANT, LOCALE_SMONTHNAME1), u"January");
  EXPECT_EQ(GetLocaleInfoStr(LOCALE_INVARIANT, LOCALE_ILANGUAGE), u"007f");
  ScopedUserLocale loc("de_DE");
  EXPECT_EQ(GetLocaleInfoStr(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL), u",");
  EXPECT_EQ(GetLocaleInfoStr(0, LOCALE_ILANGUAGE), u"0407");
}

TEST(LocaleInfo, BufferSemantics) {
  // Size query counts the terminator.
  EXPECT_EQ(GetLocaleInfoW(kDeDE, LOCALE_SENGLANGUAGE, nullptr, 0), 7);
  Char buf[16];
  std::fill(std::begin(buf), std::end(buf), Char(u'#'));
  EXPECT_EQ(GetLocaleInfoW(kDeDE, LOCALE_SENGLANGUAGE, buf, 6), 0);
  EXPECT_EQ(buf[6], Char(u'#'));
  EXPECT_EQ(GetLocaleInfoW(kDeDE, LOCALE_SENGLANGUAGE, buf, 7), 7);
  EXPECT_EQ(String(buf), u"German");
  // A numeric item as a number.
  Cardinal v = 0;
  EXPECT_EQ(GetLocaleInfoW(kTrTR, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER, reinterpret_cast<Char*>(&v), 2),
            2);
  EXPECT_EQ(v, 1254u);
  EXPECT_EQ(GetLocaleInfoW(kEnUS, LOCALE_ILANGUAGE | LOCALE_RETURN_NUMBER, reinterpret_cast<Char*>(&v), 2), 2);
  EXPECT_EQ(v, 0x0409u);
  EXPECT_EQ(GetLocaleInfoW(kEnUS, LOCALE_SENGLANGUAGE | LOCALE_RETURN_NUMBER, reinterpret_cast<Char*>(&v), 2), 0);
  // Unknown items and identifiers fail.
  EXPECT_EQ(GetLocaleInfoW(kEnUS, 0x7777, buf, 16), 0);
  EXPECT_EQ(GetLocaleInfoW(0x1234, LOCALE_SDECIMAL, buf, 16), 0);
  EXPECT_EQ(GetLocaleInfoStr(0x1234, LOCALE_SDECIMAL), u"");
  EXPECT_EQ(GetLocaleInfoW(kEnUS, LOCALE_SDECIMAL, nullptr, 4), 0);
}

// ---------------------------------------------------------------------------

TEST(LocaleAnsiStrings, PositionsAndAffixes) {
  ScopedUserLocale loc("en_US");
  EXPECT_EQ(AnsiPos(u"lo", u"hello"), 4);
  EXPECT_EQ(AnsiPos(u"LO", u"hello"), 0);
  EXPECT_EQ(AnsiPos(u"", u"hello"), 0);
  EXPECT_EQ(AnsiPos(u"hello!", u"hello"), 0);
  EXPECT_TRUE(AnsiStartsText(u"HEL", u"hello"));
  EXPECT_TRUE(AnsiStartsText(u"", u"hello"));
  EXPECT_FALSE(AnsiStartsText(u"hello world", u"hello"));
  EXPECT_TRUE(AnsiEndsText(u"LLO", u"hello"));
  EXPECT_FALSE(AnsiEndsText(u"he", u"hello"));
  EXPECT_TRUE(AnsiContainsText(u"Gro\u00DFe \u00C4pfel", u"\u00E4PFEL"));
  EXPECT_FALSE(AnsiContainsText(u"abc", u""));
}

}  // namespace
}  // namespace sk
