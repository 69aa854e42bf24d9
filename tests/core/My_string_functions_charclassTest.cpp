// Character classes of a text and the whole-word tests.
#include <gtest/gtest.h>

#include <vector>

#include "core/Global_vars.h"
#include "core/My_string_functions_charclass.h"
#include "platform/runtime/Locale.h"

namespace sk {
namespace {

std::vector<Word> ClassesOf(const String& text) {
  std::vector<Word> classes(text.size(), 0);
  ParseAString(text, classes);
  return classes;
}

TEST(My_string_functions_charclassParse, ClassesOfAMixedText) {
  EXPECT_EQ(ClassesOf(u"aB1.$ \u20ACx"), (std::vector<Word>{1, 2, 3, 4, 5, 6, 5, 1}));
}

TEST(My_string_functions_charclassParse, LettersAndMarks) {
  EXPECT_EQ(ClassesOf(u"\u01C5"), std::vector<Word>{2});                // title-case letter
  EXPECT_EQ(ClassesOf(u"\u05D0\u4E2D\u3042"), (std::vector<Word>{2, 2, 2}));  // other letters
  EXPECT_EQ(ClassesOf(u"\u0301"), std::vector<Word>{2});                // non-spacing mark
  EXPECT_EQ(ClassesOf(u"\u0903"), std::vector<Word>{2});                // spacing mark
  // Enclosing marks and modifier letters (the katakana length mark, the
  // iteration marks of Japanese and Thai) stay inside their words.
  EXPECT_EQ(ClassesOf(u"\u20DD"), std::vector<Word>{2});                // enclosing mark
  EXPECT_EQ(ClassesOf(u"\u02B0\u30FC\u3005\u0E46"), (std::vector<Word>{2, 2, 2, 2}));  // modifier letters
  EXPECT_EQ(ClassesOf(u"\u00DF\u0101"), (std::vector<Word>{1, 1}));
}

TEST(My_string_functions_charclassParse, JoinersNumbersAndSymbols) {
  EXPECT_EQ(ClassesOf(u"\u200C"), std::vector<Word>{1});  // ZWNJ counts with the lower-case letters
  EXPECT_EQ(ClassesOf(u"\u200D"), std::vector<Word>{7});  // ZWJ is a format character
  EXPECT_EQ(ClassesOf(u"\u0663\u2163\u00BD"), (std::vector<Word>{3, 3, 3}));
  EXPECT_EQ(ClassesOf(u"_-()\u00AB\u00BB!"), (std::vector<Word>{4, 4, 4, 4, 4, 4, 4}));
  EXPECT_EQ(ClassesOf(u"\u00A3\u00A5"), (std::vector<Word>{5, 5}));
  EXPECT_EQ(ClassesOf(u"+^\u00A9"), (std::vector<Word>{7, 7, 7}));  // math, modifier, other symbols
  EXPECT_EQ(ClassesOf(u"\u00A0\u2028\u2029\u3000"), (std::vector<Word>{6, 6, 6, 6}));
  EXPECT_EQ(ClassesOf(u"\t\n\r"), (std::vector<Word>{7, 7, 7}));  // controls are not separators
  EXPECT_EQ(ClassesOf(u"\uE000\u0378"), (std::vector<Word>{7, 7}));  // private use, unassigned
}

TEST(My_string_functions_charclassParse, SurrogatePairsTakeTheClassOfTheirCharacter) {
  // Both units of a supplementary character get its class; a lone half is 7.
  EXPECT_EQ(ClassesOf(u"a\U0001D400b"), (std::vector<Word>{1, 2, 2, 1}));
  EXPECT_EQ(ClassesOf(u"\U00020000"), (std::vector<Word>{2, 2}));
  EXPECT_EQ(ClassesOf(u"\U00010428\U0001D7D8\U0001F600"), (std::vector<Word>{1, 1, 3, 3, 7, 7}));
  EXPECT_EQ(ClassesOf(String(1, Char(0xD800))), std::vector<Word>{7});
  EXPECT_EQ(ClassesOf(String{Char(0xDC00), Char(0xD800)}), (std::vector<Word>{7, 7}));
  // A pair across the sixteen-unit steps of the ASCII fast path.
  String run(15, u'a');
  run += u"\U00020000";
  run += String(15, u'a');
  const std::vector<Word> classes = ClassesOf(run);
  EXPECT_EQ(classes[15], 2);
  EXPECT_EQ(classes[16], 2);
}

TEST(My_string_functions_charclassParse, EveryVectorLevelGivesThePlainClasses) {
  // Random texts mixing every ASCII character with Latin-1, CJK, surrogate
  // pairs and lone halves, classed whole and in pieces (a pair may be cut)
  // at each vector level; units outside the piece are never written.
  struct LevelGuard {
    ~LevelGuard() { SetVectorLevel(BestVectorLevel()); }
  } guard;
  const Char others[] = {0x00E9, 0x00FF, 0x0100, 0x200C, 0x4E2D, 0x3000, 0xD835, 0xDC00, 0xD800, 0xDFFF};
  uint32_t seed = 99;
  auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
  };
  for (int round = 0; round < 400; ++round) {
    const size_t n = round < 140 ? static_cast<size_t>(round) : 140 + next() % 300;
    String text(n, u' ');
    const unsigned mixed = next() % 4;  // 0: all ASCII; otherwise one unit in 8 << mixed
    for (size_t k = 0; k < n; ++k) {
      text[k] = static_cast<Char>(next() % 128);
      if (mixed != 0 && next() % (8u << mixed) == 0) {
        text[k] = others[next() % std::size(others)];
        if (text[k] == 0xD835 && k + 1 < n) text[++k] = 0xDC00;  // a whole pair
      }
    }
    const size_t from = n == 0 ? 0 : next() % (n + 1);
    const size_t to = from + (n == from ? 0 : next() % (n - from + 1));
    SetVectorLevel(vl_plain);
    std::vector<Word> plain(n + 2, 0xBEEF);
    ParseAString(text.data(), n, from, to, plain.data());
    for (int level = vl_sse2; level <= BestVectorLevel(); ++level) {
      SetVectorLevel(static_cast<TVectorLevel>(level));
      std::vector<Word> fast(n + 2, 0xBEEF);
      ParseAString(text.data(), n, from, to, fast.data());
      ASSERT_EQ(fast, plain) << "level " << level << ", length " << n << ", piece " << from << "-" << to;
    }
  }
}

TEST(My_string_functions_charclassParse, ArraySizeRules) {
  const String text = u"abc";
  std::vector<Word> shortArr(2, 99);
  try {
    ParseAString(text, shortArr);
    FAIL() << "a short array must be refused";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), u"wchars needs allocating");
  }
  EXPECT_EQ(shortArr, (std::vector<Word>{99, 99}));  // nothing written

  std::vector<Word> exact(3, 0);
  EXPECT_NO_THROW(ParseAString(text, exact));

  // Spare elements past the text keep what the caller put there.
  std::vector<Word> longer(text.size() + 10, 0xABCD);
  ParseAString(text, longer);
  EXPECT_EQ(longer[2], 1);
  EXPECT_EQ(longer[3], 0xABCD);
  EXPECT_EQ(longer[12], 0xABCD);

  std::vector<Word> none;
  EXPECT_NO_THROW(ParseAString(u"", none));
}

TEST(My_string_functions_charclassParse, AgreesWithCharClassOfOverTheWholeBmp) {
  String all(0x10000, Char(0));
  for (size_t i = 0; i < all.size(); ++i) all[i] = static_cast<Char>(i);
  std::vector<Word> classes(all.size(), 0);
  ParseAString(all, classes);
  for (size_t i = 0; i < all.size(); ++i) {
    ASSERT_GE(classes[i], 1);
    ASSERT_LE(classes[i], 7);
    ASSERT_EQ(classes[i], CharClassOf(static_cast<Char>(i))) << i;
  }
}

TEST(My_string_functions_charclassParse, AsciiRunsWithOtherCharactersAnywhere) {
  // Runs of ASCII are classed sixteen at a time: a character beyond ASCII at
  // every place of a run, and runs of every length, give the table's classes.
  const String ascii = u"The LORD's 40 days; $5 + <x> ^_^ ~|` \t\r\n {[()]} @#%&*/?!\"-=.,:";
  for (size_t at = 0; at <= 40; ++at) {
    for (Char other : {Char(0x00E9), Char(0x4E2D), Char(0x0080), Char(0xFF10)}) {
      String text = ascii + ascii;
      text.insert(at, 1, other);
      text.resize(text.size() - at % 7);
      std::vector<Word> classes(text.size() + 3, 0xABCD);
      ParseAString(text, classes);
      for (size_t i = 0; i < text.size(); ++i) ASSERT_EQ(classes[i], CharClassOf(text[i])) << at << " " << i;
      EXPECT_EQ(classes[text.size()], 0xABCD);
    }
  }
}

TEST(My_string_functions_charclassStringBounds, WordsInsideAndAtTheEnds) {
  // 'b' in 'ab' is not a whole word: 'a' is a letter.
  EXPECT_FALSE(IsWholeWord(u"ab", 1, 3));
  // 'b' in 'a b' is.
  EXPECT_TRUE(IsWholeWord(u"a b", 2, 4));
  // A word at the very start or end of the text is bounded on that side.
  EXPECT_TRUE(IsWholeWord(u"word", 0, 5));
  EXPECT_TRUE(IsBoundedOnLeft(u"word", -3));
  EXPECT_TRUE(IsBoundedOnRight(u"word", 99));
  EXPECT_TRUE(IsWholeWord(u"", 0, 1));
  // Digits and letters of any script bind, punctuation does not.
  EXPECT_FALSE(IsBoundedOnLeft(u"7a", 1));
  EXPECT_FALSE(IsBoundedOnRight(u"a\u0416", 2));
  EXPECT_FALSE(IsBoundedOnRight(u"a\u02B0", 2));  // a modifier letter is a letter here
  EXPECT_TRUE(IsBoundedOnRight(u"a'", 2));
  // Every number continues a word, as the class arrays count it; so does
  // the zero-width non-joiner.
  EXPECT_FALSE(IsBoundedOnRight(u"a\u00BD", 2));
  EXPECT_FALSE(IsBoundedOnRight(u"\u06A9\u062A\u0627\u0628\u200C\u0647\u0627", 5));
  EXPECT_TRUE(IsBoundedOnRight(u"a\u200D", 2));
  // A vowel sign or a combining accent continues the word before it.
  EXPECT_FALSE(IsBoundedOnRight(u"\u0928\u092e\u0938\u094d\u0924\u0947", 6));
  EXPECT_FALSE(IsBoundedOnRight(u"cafe\u0301", 5));
  EXPECT_TRUE(IsBoundedOnLeft(u"-a", 1));
}

TEST(My_string_functions_charclassArrayBounds, ClassRules) {
  std::vector<Word>& classes = global_Wchars[wp_part];
  classes = {4, 6, 7, 1, 2, 3, 5, 0, 8, 4 | 2048, 1 | 2048, 7 | 4096, 2047};
  // Left: 4, 6 and 7 bound; only the low 11 bits count (the in-tag and span
  // bits are masked off), and a class of 8 or more bounds nothing.
  const bool left[] = {true, true, true, false, false, false, false, false, false, true, false, true, false};
  // Right: 0, 4, 6 and 7 bound.
  const bool right[] = {true, true, true, false, false, false, false, true, false, true, false, true, false};
  for (Int32 i = 0; i < static_cast<Int32>(classes.size()); ++i) {
    EXPECT_EQ(IsBoundedOnLeft(wp_part, i), left[i]) << "left " << i;
    EXPECT_EQ(IsBoundedOnRight(wp_part, i), right[i]) << "right " << i;
  }
  classes.clear();
}

TEST(My_string_functions_charclassArrayBounds, EndsOfTheArray) {
  std::vector<Word>& classes = global_Wchars[wp_whole];
  classes.assign(2, 0);
  ParseAString(u"ab", classes);
  EXPECT_TRUE(IsBoundedOnLeft(wp_whole, -1));
  EXPECT_TRUE(IsBoundedOnRight(wp_whole, 2));
  // Out of range on the other side is no character either: bounded, not read.
  EXPECT_TRUE(IsBoundedOnLeft(wp_whole, 2));
  EXPECT_TRUE(IsBoundedOnRight(wp_whole, -1));
  EXPECT_TRUE(IsWholeWord(wp_whole, -1, 2));
  EXPECT_FALSE(IsWholeWord(wp_whole, -1, 1));
  EXPECT_FALSE(IsWholeWord(wp_whole, 0, 2));
  classes.clear();
  EXPECT_TRUE(IsWholeWord(wp_whole, 0, 0));
}

TEST(My_string_functions_charclassArrayBounds, SearchBufferWithSpareEntries) {
  // The search buffers carry ten spare zero entries: the end of the text bounds
  // on the right through them.
  const String text = u"The cat, the\u00A0dog";
  std::vector<Word>& classes = global_Wchars[wp_whole];
  classes.assign(text.size() + 10, 0);
  ParseAString(text, classes);
  // "cat" at indexes 4..6: neighbours 3 (space) and 7 (comma).
  EXPECT_TRUE(IsWholeWord(wp_whole, 3, 7));
  // "at" inside "cat" is not.
  EXPECT_FALSE(IsWholeWord(wp_whole, 4, 7));
  // "dog" at the end: the right neighbour is a spare entry.
  EXPECT_TRUE(IsWholeWord(wp_whole, 12, 16));
  // "the" after a no-break space.
  EXPECT_TRUE(IsWholeWord(wp_whole, 8, 12));
  // A neighbour inside a tag is judged by its class.
  classes[3] |= 2048;
  EXPECT_TRUE(IsWholeWord(wp_whole, 3, 7));
  classes.clear();
}

TEST(My_string_functions_charclassMisc, AlphanumericsAndSignals) {
  EXPECT_FALSE(ContainsAlphanumCharacter(u""));
  EXPECT_FALSE(ContainsAlphanumCharacter(u" .,;!? \u20AC"));
  EXPECT_TRUE(ContainsAlphanumCharacter(u"...9"));
  EXPECT_TRUE(ContainsAlphanumCharacter(u"--\u4E2D--"));
  EXPECT_TRUE(IsHashOrBrace(u'#'));
  EXPECT_TRUE(IsHashOrBrace(u'{'));
  EXPECT_FALSE(IsHashOrBrace(u'}'));
  EXPECT_FALSE(IsHashOrBrace(u'['));
}

TEST(My_string_functions_charclassMisc, PlatformStringTypes) {
  const String text = u"a1 ";
  std::vector<Word> types(3, 0);
  ASSERT_TRUE(GetStringTypeQM(LOCALE_USER_DEFAULT, CT_CTYPE1, text, 3, types));
  EXPECT_TRUE(types[0] & C1_LOWER);
  EXPECT_TRUE(types[1] & C1_DIGIT);
  EXPECT_TRUE(types[2] & C1_SPACE);
  std::vector<Word> all(3, 0);
  EXPECT_TRUE(GetStringTypeQM(LOCALE_USER_DEFAULT, CT_CTYPE1, text, -1, all));
  EXPECT_EQ(all, types);
  // Counts beyond the text or the array are refused, not read or written.
  std::vector<Word> small(2, 0);
  EXPECT_FALSE(GetStringTypeQM(LOCALE_USER_DEFAULT, CT_CTYPE1, text, 3, small));
  EXPECT_FALSE(GetStringTypeQM(LOCALE_USER_DEFAULT, CT_CTYPE1, text, 4, types));
  EXPECT_FALSE(GetStringTypeQM(LOCALE_USER_DEFAULT, CT_CTYPE1, text, 0, types));
}

}  // namespace
}  // namespace sk
