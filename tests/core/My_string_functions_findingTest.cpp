// Case-insensitive finding in place: the positions, replacements and
// whole-word decisions must be those of the same search on an upper-cased
// copy of the text, in every locale rule (Turkic included) and for every
// kind of unit (ASCII runs, letters with several lower-case forms, pairs,
// lone surrogates).
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/My_string_functions_splitting.h"
#include "core/My_string_functions_words.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/Strings.h"

namespace sk {
namespace {

class FindingTest : public ::testing::Test {
 protected:
  void TearDown() override { SetUserDefaultLocale("en_US"); }
};

using My_string_functions_splittingFindInPlace = FindingTest;

// Pieces that stress the pre-filter and the mapping: ASCII with both cases,
// letters that upper-case onto ASCII (dotless i, long s, Kelvin sign), the
// Turkic i's, accents, a pair with a case mapping (Deseret), lone halves.
const std::vector<String>& Pieces() {
  static const std::vector<String> p = {
      u"lord",   u"LORD",   u"Lord",   u" ",      u", ",     u"\r\n",   u"l",       u"o",
      u"i",      u"I",      u"\u0131", u"\u0130", u"\u017F", u"s",      u"S",       u"\u212A",
      u"k",      u"\u00E9", u"\u00C9", u"t\u00E9", u"\u00DF", u"SS",    u"\U00010428", u"\U00010400",
      u"\xD801", u"\xDC28", u"word",   u"lordship", u"lo",   u"rd",     u"Istanbul", u"\u0130stanbul",
  };
  return p;
}

String RandomText(std::mt19937& rng, size_t pieces) {
  String t;
  for (size_t k = 0; k < pieces; ++k) t += Pieces()[rng() % Pieces().size()];
  return t;
}

// The word sought, upper-cased as the caller does.
const std::vector<String>& Sought() {
  static const std::vector<String> s = {u"lord", u"l", u"lo", u"i", u"istanbul", u"s", u"k",
                                        u"\u00E9t\u00E9", u"\U00010428", u"\xDC28", u"SS", u" L", u"rd,"};
  return s;
}

TEST_F(My_string_functions_splittingFindInPlace, SamePositionsAsOnAnUpperCasedCopy) {
  for (const char* locale : {"en_US", "tr_TR", "az_AZ", "de_DE"}) {
    SetUserDefaultLocale(locale);
    std::mt19937 rng(42);
    for (int round = 0; round < 24; ++round) {
      const String text = RandomText(rng, static_cast<size_t>(20 + round * 7));
      const String upper = AnsiUpperCase(text);
      ASSERT_EQ(upper.size(), text.size());
      for (const String& word : Sought()) {
        const String upperWord = AnsiUpperCase(word);
        // Every find from every offset, the offsets past the end included.
        for (Int32 off = 0; off <= static_cast<Int32>(text.size()) + 1; ++off) {
          const Int32 want = off < 1 ? 0 : PosEx(upperWord, upper, off);
          ASSERT_EQ(CaseInsensitiveUpperedPosEx(upperWord, text, off), want)
              << locale << " offset " << off << " round " << round;
          ASSERT_EQ(CaseInsensitivePosEx(word, text, off), want) << locale << " offset " << off;
        }
      }
    }
  }
}

// Long runs of ASCII go through the scan eight units at a time: finds at
// every alignment, at the very end, and a non-ASCII unit mapping onto the
// sought letter in the middle of a run.
TEST_F(My_string_functions_splittingFindInPlace, FindsAtEveryAlignmentOfLongRuns) {
  struct Case {
    const char* locale;
    String hidden;  // put into a long run of x
    String upperSought;
  };
  const Case cases[] = {
      {"en_US", u"Lord", u"LORD"},   {"en_US", u"lOrD", u"LORD"},  {"en_US", u"\u0131t", u"IT"},
      {"tr_TR", u"\u0131t", u"IT"},  {"tr_TR", u"it", u"\u0130T"}, {"tr_TR", u"It", u"IT"},
      {"en_US", u"\u017Fo", u"SO"},  {"en_US", u"x", u"X"},        {"en_US", u"\U00010428", u"\U00010400"},
  };
  for (const Case& c : cases) {
    SetUserDefaultLocale(c.locale);
    for (size_t at = 0; at < 40; ++at) {
      String text(static_cast<size_t>(48), u'y');
      text.replace(at, c.hidden.size(), c.hidden);
      const Int32 want = PosEx(c.upperSought, AnsiUpperCase(text), 1);
      EXPECT_EQ(CaseInsensitiveUpperedPosEx(c.upperSought, text, 1), want) << c.locale << " at " << at;
      EXPECT_EQ(want, static_cast<Int32>(at) + 1) << c.locale << " at " << at;
    }
  }
  // In the Turkic rule an i is no I: nothing is found.
  SetUserDefaultLocale("tr_TR");
  EXPECT_EQ(CaseInsensitiveUpperedPosEx(u"IT", String(30, u'y') + u"it" + String(30, u'y'), 1), 0);
}

// The algorithm as it ran on an upper-cased copy, to hold the in-place
// replacement to.
String ReplaceWholeWordOnCopy(const String& text, const String& find, const String& replacement, Int32& count) {
  const String search = AnsiUpperCase(text);
  const String sought = AnsiUpperCase(find);
  const size_t L = sought.size();
  String out;
  size_t copied = 0;
  for (size_t p = search.find(sought); p != String::npos; p = search.find(sought, p + 1)) {
    if (p >= copied && BoundedWholeWord(search, static_cast<Int32>(p + 1), static_cast<Int32>(p + L))) {
      out.append(text, copied, p - copied);
      out += replacement;
      copied = p + L;
      ++count;
    }
  }
  out.append(text, copied, String::npos);
  return out;
}

TEST_F(My_string_functions_splittingFindInPlace, ReplaceWholeWordAsOnAnUpperCasedCopy) {
  for (const char* locale : {"en_US", "tr_TR"}) {
    SetUserDefaultLocale(locale);
    std::mt19937 rng(7);
    for (int round = 0; round < 60; ++round) {
      const String text = RandomText(rng, static_cast<size_t>(10 + round * 3));
      for (const String& word : Sought()) {
        Int32 got = 5, want = 5;  // counts are added to, never reset
        const String a = ReplaceWholeWord(text, word, u"<>", false, got);
        const String b = ReplaceWholeWordOnCopy(text, word, u"<>", want);
        ASSERT_EQ(a, b) << locale << " round " << round;
        ASSERT_EQ(got, want);
      }
    }
  }
}

}  // namespace
}  // namespace sk
