// The fast paths under the text library: case mapping by table and eight
// ASCII units at a time, UTF-8 decoding that validates as it goes, the
// ASCII skip of the UTF-8 test, and comparisons with a collator fetched
// once. Each must answer exactly as the plain per-unit or ICU route does.
#include <gtest/gtest.h>

#include <unicode/ustring.h>

#include <random>
#include <string>
#include <vector>

#include "platform/runtime/Encoding.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/RtlTypes.h"

namespace sk {
namespace {

class TextHotPathsTest : public ::testing::Test {
 protected:
  void TearDown() override { SetUserDefaultLocale("en_US"); }
};

using LocaleCaseTables = TextHotPathsTest;
using RtlTypesUtf8Decoding = TextHotPathsTest;
using LocaleUserCollation = TextHotPathsTest;

// Texts of long ASCII runs (every alignment of the eight-unit path) broken by
// units of every kind: Turkic i's, accents, a pair with a case mapping, lone
// surrogates, the last unit of the plane.
String MixedText(std::mt19937& rng, size_t n) {
  static const Char others[] = {0x0131, 0x0130, 0x00E9, 0x00C9, 0x00DF, 0x017F, 0x01C6, 0x03A3, 0x0434,
                                0xD801, 0xDC28, 0xFFFF, 0x0345, u'i',   u'I',   u'z',   u'@',   u'`'};
  String t;
  while (t.size() < n) {
    const size_t run = rng() % 20;
    for (size_t k = 0; k < run; ++k) t.push_back(static_cast<Char>(0x20 + rng() % 0x5F));
    if (rng() % 4 == 0) t += u"\U00010428\U00010400";
    t.push_back(others[rng() % (sizeof others / sizeof others[0])]);
  }
  return t;
}

TEST_F(LocaleCaseTables, WholeTextMappingAsUnitByUnit) {
  for (const char* locale : {"en_US", "tr_TR"}) {
    SetUserDefaultLocale(locale);
    std::mt19937 rng(11);
    for (int round = 0; round < 50; ++round) {
      const String t = MixedText(rng, static_cast<size_t>(1 + round * 61));
      const String up = AnsiUpperCase(t);
      const String low = AnsiLowerCase(t);
      ASSERT_EQ(up.size(), t.size());
      ASSERT_EQ(low.size(), t.size());
      for (size_t i = 0; i < t.size(); ++i) {
        // Pairs map as one character; every other unit as AnsiUpperChar maps it.
        const bool inPair = (U16_IS_LEAD(t[i]) && i + 1 < t.size() && U16_IS_TRAIL(t[i + 1])) ||
                            (U16_IS_TRAIL(t[i]) && i > 0 && U16_IS_LEAD(t[i - 1]));
        if (inPair) continue;
        ASSERT_EQ(up[i], AnsiUpperChar(t[i])) << locale << " unit " << i;
        ASSERT_EQ(low[i], AnsiLowerChar(t[i])) << locale << " unit " << i;
      }
      EXPECT_EQ(UpperCaseForLCID(LOCALE_USER_DEFAULT, t), up);
    }
    // The pair maps as one character.
    EXPECT_EQ(AnsiUpperCase(u"ab\U00010428cd"), u"AB\U00010400CD");
  }
  // The table answers as AnsiUpperChar for every unit, under both rules.
  for (bool turkic : {false, true}) {
    SetUserDefaultLocale(turkic ? "tr_TR" : "en_US");
    const Char* table = UpperCaseUnitTable(turkic);
    for (UChar32 c = 0; c < 0x10000; ++c)
      ASSERT_EQ(table[c], AnsiUpperChar(static_cast<Char>(c))) << c;
  }
}

// ICU's own decoding of the bytes, with U+FFFD for each ill-formed part.
String IcuDecoded(const std::string& bytes, bool& valid) {
  std::u16string out(bytes.size() + 1, u'\0');
  int32_t len = 0;
  int32_t subs = 0;
  UErrorCode err = U_ZERO_ERROR;
  u_strFromUTF8WithSub(reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()), &len, bytes.data(),
                       static_cast<int32_t>(bytes.size()), 0xFFFD, &subs, &err);
  out.resize(static_cast<size_t>(len));
  valid = subs == 0;
  return out;
}

TEST_F(RtlTypesUtf8Decoding, DecodesAndValidatesAsIcu) {
  struct Case {
    std::string bytes;
    bool valid;
  };
  const Case cases[] = {
      {"", true},
      {"plain ASCII text of more than eight bytes", true},
      {"caf\xC3\xA9 cr\xC3\xA8me \xE2\x82\xAC \xF0\x9F\x98\x80", true},
      {"\xEF\xBB\xBF" "marked", true},
      {"bad \xE9 byte in the middle of ASCII runs", false},
      {"\xC0\xAF overlong", false},
      {"\xED\xA0\x80 surrogate", false},
      {"\xF4\x90\x80\x80 above the last code point", false},
      {"cut at the end \xE2\x82", false},
      {"\x80\x80\x80\x80\x80\x80\x80\x80\x80", false},
  };
  for (const Case& c : cases) {
    bool icuValid = false;
    const String want = IcuDecoded(c.bytes, icuValid);
    bool valid = !c.valid;
    EXPECT_EQ(Utf8ToString(c.bytes.data(), c.bytes.size(), &valid), want) << c.bytes;
    EXPECT_EQ(valid, c.valid) << c.bytes;
    EXPECT_EQ(icuValid, c.valid) << c.bytes;
    EXPECT_EQ(IsUTF8Valid(reinterpret_cast<const Byte*>(c.bytes.data()), c.bytes.size()), c.valid) << c.bytes;
    EXPECT_EQ(TEncoding::UTF8()->GetString(reinterpret_cast<const Byte*>(c.bytes.data()), c.bytes.size()), want);
  }
  // Random bytes, mostly ASCII, with every kind of lead and continuation.
  std::mt19937 rng(5);
  for (int round = 0; round < 300; ++round) {
    std::string bytes;
    const size_t n = rng() % 64;
    for (size_t k = 0; k < n; ++k)
      bytes.push_back(static_cast<char>(rng() % 3 != 0 ? 0x20 + rng() % 0x5F : rng() % 256));
    bool icuValid = false;
    bool valid = false;
    const String want = IcuDecoded(bytes, icuValid);
    ASSERT_EQ(Utf8ToString(bytes.data(), bytes.size(), &valid), want) << round;
    ASSERT_EQ(valid, icuValid) << round;
    ASSERT_EQ(IsUTF8Valid(reinterpret_cast<const Byte*>(bytes.data()), bytes.size()), icuValid) << round;
  }
}

TEST_F(RtlTypesUtf8Decoding, OneBadByteAtEveryPositionOfALongRun) {
  for (size_t at = 0; at < 40; ++at) {
    std::string bytes(40, 'a');
    bytes[at] = '\xFF';
    bool valid = true;
    const String s = Utf8ToString(bytes.data(), bytes.size(), &valid);
    EXPECT_FALSE(valid) << at;
    ASSERT_EQ(s.size(), 40u);
    EXPECT_EQ(s[at], Char(0xFFFD));
    EXPECT_FALSE(IsUTF8Valid(reinterpret_cast<const Byte*>(bytes.data()), bytes.size())) << at;
  }
}

TEST_F(LocaleUserCollation, AnswersAsTheRoutinesItStandsFor) {
  const String words[] = {u"a", u"A", u"b", u"\u00E9", u"E", u"e", u"", u"\u00C4rger", u"Arger", u"ss", u"\u00DF",
                          u"I", u"i", u"\u0131", u"\u0130", u"\uFB01", u"fi"};
  for (const char* locale : {"en_US", "de_DE", "tr_TR"}) {
    SetUserDefaultLocale(locale);
    const TUserCollation text(true), str(false);
    for (const String& a : words)
      for (const String& b : words) {
        EXPECT_EQ(text.Compare(a, b), AnsiCompareText(a, b)) << locale;
        EXPECT_EQ(str.Compare(a, b), AnsiCompareStr(a, b)) << locale;
        // Texts prepared once compare as the texts themselves.
        EXPECT_EQ(text.ComparePrepared(text.Prepared(a), text.Prepared(b)), AnsiCompareText(a, b)) << locale;
        EXPECT_EQ(str.ComparePrepared(str.Prepared(a), str.Prepared(b)), AnsiCompareStr(a, b)) << locale;
      }
  }
}

}  // namespace
}  // namespace sk
