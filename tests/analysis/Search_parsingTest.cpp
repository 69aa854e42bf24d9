// Search-word syntax: the full parse of typed words, context words and
// markup sections, splitting, literal text and the tag wildcards.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "analysis/Search_parsing.h"
#include "core/My_string_functions_notation.h"
#include "core/Useful_classes_base_compare.h"

namespace sk {
namespace {

const TMSSearchFlags kLR{msLeftBounded, msRightBounded};

TIgnore_tag AngleTags() { return StringToIgnoreTag(u"<*>"); }

std::string Show(const String& s) {
  std::string out;
  for (Char c : s) {
    if (c < 0x20 || c > 0x7E) {
      char buf[12];
      std::snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned>(c));
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

TEST(Search_parsing, FullParseOfWildcardsAndMarkers) {
  struct Case {
    String typed;
    String pattern;
    TMSSearchFlags flags;
    Byte initial;
  } cases[] = {
      {u"cat", u"cat", kLR, 0},
      {u"==Cat==", u"Cat", {msCaseIsSensitive, msLeftBounded, msRightBounded}, 0},
      {u"==Cat", u"==Cat", kLR, 0},  // both ends are needed
      {u"*ing", u"ing", {msRightBounded}, 0},
      {u"book*", u"book", {msLeftBounded}, 0},
      {u"*ook*", u"ook", {}, 0},
      {u"~avoid", u"avoid", {ms_Avoid, msLeftBounded, msRightBounded}, 0},
      {u"colo*r", u"colo\x15r", kLR, 0},
      {u"the *", u"the \x1A", kLR, 0},
      {u"a * b", u"a \x1A b", kLR, 0},
      {u"go* home", u"go\x18 home", kLR, 0},
      {u"big *ness", u"big \x19ness", kLR, 0},
      {u"?at", u"\x1C" u"at", kLR, 28},
      {u"^at", u"\x1E" u"at", kLR, 30},
      {u"#th", u"\x1B" u"th", kLR, 27},
      {u"a?c", u"a\x1C" u"c", kLR, 0},
      {u"x^y#z", u"x\x1Ey\x1Bz", kLR, 0},
      // Only the first character of the any-string symbol is replaced.
      {u"x}}}y", u"x\x15}}y", kLR, 0},
      // Quoted symbols are matched as themselves.
      {u"\"*\"x", u"*x", kLR, 0},
      {u"a\"?\"b", u"a?b", kLR, 0},
      {u"a\"^\"b", u"a^b", kLR, 0},
      {u"a\"#\"1", u"a#1", kLR, 0},
      {u"a\"}}}\"b", u"a}}}b", kLR, 0},
      {u"\"==\"x\"==\"", u"==x==", kLR, 0},
      {u"a\"/\"b", u"a/b", kLR, 0},
      {u"a\"\\\"b", u"a\\b", kLR, 0},
      // The line-break symbol at either end is the text's line end (CR at the
      // end, LF at the start, each matching LF, CR LF or CR), and codes typed
      // readably.
      {u"end/\\", u"end\r", kLR, 0},
      {u"/\\start", u"\nstart", kLR, 0},
      {u"/\\", u"\r", kLR, 0},
      // A run of blanks in a phrase is one space.
      {u"son  of\tman", u"son of man", kLR, 0},
      {u"the \t *", u"the \x1A", kLR, 0},
      {u"{CHR(65)}b", u"Ab", kLR, 0},
      {u"C:\\dir", u"C:\\dir", kLR, 0},
      // Trimmed of white space only: the whole-word code stays at the end.
      {u"  spaced  ", u"spaced", kLR, 0},
      {u"", u"", kLR, 0},
  };
  for (const Case& c : cases) {
    const TQMSearchWordRec r = SWFullParsed_SearchWord(TIgnore_tag{}, c.typed);
    EXPECT_EQ(Show(r.search_text), Show(c.pattern)) << Show(c.typed);
    EXPECT_TRUE(r.flags == c.flags) << Show(c.typed);
    EXPECT_EQ(r.initial_wildcard, c.initial) << Show(c.typed);
    EXPECT_EQ(r.typed_in_text, c.typed);
    EXPECT_EQ(r.variants_found, nullptr);
  }
}

TEST(Search_parsing, StarBeforeAClosingBracketEndsTheMatch) {
  const TQMSearchWordRec r = SWFullParsed_SearchWord(AngleTags(), u"<b*>");
  EXPECT_EQ(Show(r.search_text), Show(u"<b\x1D>"));
  EXPECT_EQ(r.sw_contains_a_tag, 1);
  // A space before the star wins over the bracket after it.
  EXPECT_EQ(Show(SWFullParsed_SearchWord(AngleTags(), u"<b *>").search_text), Show(u"<b \x19>"));
}

TEST(Search_parsing, MarkupSections) {
  struct Case {
    TIgnore_tag tags;
    String typed;
    String pattern;
    String within;
    bool containsTag;
  } cases[] = {
      {AngleTags(), u"<:bold:>word", u"\x14word", u"bold", true},
      {AngleTags(), u"x <:i:>y", u"x \x14y", u"i", true},
      // Without the "<" ">" pair the section is plain text.
      {TIgnore_tag{}, u"<:bold:>word", u"<:bold:>word", u"", false},
      {StringToIgnoreTag(u"[*]"), u"<:bold:>word", u"<:bold:>word", u"", false},
      // An unmatched "<:" leaves everything as it is.
      {AngleTags(), u"<:bold>", u"<:bold>", u"", true},
      // The closing ":>" must come after the opening "<:".
      {AngleTags(), u"<:>x:>", u"\x14", u">x", true},
  };
  for (const Case& c : cases) {
    const TQMSearchWordRec r = SWFullParsed_SearchWord(c.tags, c.typed);
    EXPECT_EQ(Show(r.search_text), Show(c.pattern)) << Show(c.typed);
    EXPECT_EQ(r.within_tag_section, c.within) << Show(c.typed);
    EXPECT_EQ(r.sw_contains_a_tag != 0, c.containsTag) << Show(c.typed);
  }
}

TEST(Search_parsing, ContextWordsAndSpans) {
  struct Case {
    String typed;
    String word;
    String context;
    TConcordance_span left;
    TConcordance_span right;
  } cases[] = {
      {u"house context:=garden [[3,4]]", u"house", u"garden", IntegerToConcSpan(3), IntegerToConcSpan(4)},
      {u"house context:=garden [[ 7 , 60 ]]", u"house", u"garden", IntegerToConcSpan(7), IntegerToConcSpan(60)},
      {u"house context:=garden [[x,y]]", u"house", u"garden", span_L05, span_R05},
      {u"house context:=garden [[3]]", u"house", u"garden", span_L50, span_L50},
      {u"house context:=garden", u"house", u"garden", span_L50, span_L50},
      {u"house context:=garden [[3,4", u"house", u"garden [[3,4", span_L50, span_L50},
      {u"big* context:=  the ", u"big", u"the", span_L50, span_L50},
  };
  for (const Case& c : cases) {
    const TQMSearchWordRec r = SWFullParsed_SearchWord(TIgnore_tag{}, c.typed);
    EXPECT_EQ(r.search_text, c.word) << Show(c.typed);
    EXPECT_EQ(r.has_file_based_context_word, 1);
    ASSERT_EQ(r.sw_contexts_needed.size(), 1u) << Show(c.typed);
    EXPECT_EQ(r.sw_contexts_needed[0].search_str, c.context) << Show(c.typed);
    EXPECT_TRUE(r.sw_contexts_needed[0].flags == kLR);
    EXPECT_EQ(r.sw_context_spans.leftmost, c.left) << Show(c.typed);
    EXPECT_EQ(r.sw_context_spans.rightmost, c.right) << Show(c.typed);
  }
  const TQMSearchWordRec plain = SWFullParsed_SearchWord(TIgnore_tag{}, u"house");
  EXPECT_EQ(plain.has_file_based_context_word, 0);
  EXPECT_TRUE(plain.sw_contexts_needed.empty());
}

TEST(Search_parsing, CountsAndTypedUnlikeSearch) {
  const TQMSearchWordRec a = SWFullParsed_SearchWord(TIgnore_tag{}, u"a b c");
  EXPECT_EQ(a.spaces_in_sw, 2);
  EXPECT_EQ(a.typed_unlike_search, 0);
  EXPECT_EQ(SWFullParsed_SearchWord(TIgnore_tag{}, u"*a").typed_unlike_search, 1);
  // A whole-word code counts even when the texts would be equal.
  TQMSearchWordRec coded = SWFullParsed_SearchWord(TIgnore_tag{}, u"x");
  EXPECT_EQ(coded.typed_unlike_search, 0);
  EXPECT_EQ(SpacesInSearchString(u" a  b "), 4);
  EXPECT_EQ(WildCardsInSearchString(u"a\x15\x1B" u"c\t"), 3);
  EXPECT_EQ(WildCardsInSearchString(u""), 0);
}

TEST(Search_parsing, SplitSWList) {
  struct Case {
    String text;
    bool split;
    std::vector<String> items;
  } cases[] = {
      {u"a/b/c", true, {u"a", u"b", u"c"}},
      {u"a / b", true, {u"a ", u" b"}},
      {u"/a", true, {u"/a"}},
      {u"a/", true, {u"a/"}},
      {u"a\"/\"b", true, {u"a\"/\"b"}},
      {u"a/\"b\"", true, {u"a/\"b\""}},
      {u"a//b", true, {u"a", u"/b"}},
      // The line-break symbol is never split.
      {u"end/\\", true, {u"end/\\"}},
      {u"a/\\b/c", true, {u"a/\\b", u"c"}},
      {u"a/b", false, {u"a/b"}},
      {u"", true, {}},
      {u"/", true, {u"/"}},
  };
  for (const Case& c : cases) {
    std::unique_ptr<TUTF8Stringlist> list = SplitSWList(c.text, c.split);
    EXPECT_EQ(Lines(*list), c.items) << Show(c.text);
  }
}

TEST(Search_parsing, SWCheckedForConcordance) {
  struct Case {
    String text;
    String literal;
  } cases[] = {
      {u"plain", u"plain"},
      {u"a*b?c", u"a\"*\"b\"?\"c"},
      {u"#^<>", u"\"#\"\"^\"\"<\"\">\""},
      {u"a==b", u"a\"==\"b"},
      {u"C:\\dir", u"C\":\\\"dir"},
      {u"http://x", u"http:\"//\"x"},
      {u"1/2", u"1\"/\"2"},
  };
  for (const Case& c : cases) EXPECT_EQ(Show(SWCheckedForConcordance(c.text)), Show(c.literal)) << Show(c.text);
}

TEST(Search_parsing, LiteralTextParsesBackToItself) {
  const String texts[] = {u"C:\\dir\\file.txt", u"http://example.org/a?b=c", u"a*b", u"x^2", u"#1", u"50%",
                          u"<tag>", u"a/\\b", u"\\", u"==", u"a==b", u"\"quoted\"", u"/\\", u"1/2", u"*",
                          u"?", u"<:x:>", u"end*", u"*start", u"a b * c", u"\"*\"", u"x\"/\"y", u"//", u"\\\\"};
  for (const String& t : texts) {
    for (const TIgnore_tag& tags : {TIgnore_tag{}, AngleTags()}) {
      const String literal = SWCheckedForConcordance(t);
      const TQMSearchWordRec r = SWFullParsed_SearchWord(tags, literal);
      EXPECT_EQ(Show(r.search_text), Show(t)) << Show(literal);
      EXPECT_TRUE(r.flags == kLR) << Show(literal);
      // And it stays one alternative.
      EXPECT_EQ(SplitSWList(literal, true)->Count(), 1) << Show(literal);
    }
  }
}

TEST(Search_parsing, UnparsedAndFlagsOnly) {
  const TQMSearchWordRec r = SWUnParsed_SearchWord(u"==Cat*");
  EXPECT_EQ(r.search_text, u"==Cat");  // "==" is needed at both ends
  EXPECT_TRUE(r.flags == TMSSearchFlags{msLeftBounded});
  EXPECT_EQ(r.typed_unlike_search, 1);
  EXPECT_EQ(r.typed_in_text, u"==Cat*");
  const TQMSearchWordRec s = SWUnParsed_SearchWord(u"colo*r");
  EXPECT_EQ(s.search_text, u"colo*r");  // wildcards are not coded
  EXPECT_EQ(s.typed_unlike_search, 0);
  const TWordAndSearchFlags w = WordAndFlagsFromString(u"==Dog==");
  EXPECT_EQ(w.wd, u"Dog");
  EXPECT_TRUE(w.flags == (TMSSearchFlags{msCaseIsSensitive, msLeftBounded, msRightBounded}));
}

TEST(Search_parsing, CheckFlagsOfSearches) {
  TDoubleSearchCategoryRec rec{};
  rec.requirement[0].search_str_recs[0].search_str = u"cat*";
  rec.requirement[0].search_str_recs[1].search_str = u"==Dog==";
  rec.requirement[1].search_str_recs[0].search_str = u"*ing";
  CheckFlagsOfSearches(rec);
  EXPECT_EQ(rec.requirement[0].search_str_recs[0].search_str, u"CAT");
  EXPECT_TRUE(rec.requirement[0].search_str_recs[0].flags == TMSSearchFlags{msLeftBounded});
  EXPECT_EQ(rec.requirement[0].search_str_recs[1].search_str, u"Dog");
  EXPECT_EQ(rec.requirement[1].search_str_recs[0].search_str, u"ING");
  EXPECT_EQ(rec.requirement[1].search_str_recs[1].search_str, u"");
  EXPECT_TRUE(rec.requirement[1].search_str_recs[1].flags == kLR);
}

TEST(Search_parsing, RetainRestoreAndTranslate) {
  String s = u"\"*\"a\"//\"b\"/\"\"\\\"";
  SWParse_Retain(s);
  EXPECT_EQ(Show(s), Show(u"\xE003" u"a\xE001" u"b\xE002\xE00C"));
  SWParse_Restore(s);
  EXPECT_EQ(s, u"*a//b/\\");
  String t = u"?a?";
  EXPECT_TRUE(SWParse_Translate(t, u"?", 0x1C));
  EXPECT_EQ(Show(t), Show(u"\x1C" u"a\x1C"));
  String u = u"}}}}}}";
  EXPECT_TRUE(SWParse_Translate(u, u"}}}", 0x15));
  EXPECT_EQ(Show(u), Show(u"}}}}"));
  Byte initial = 0;
  String v = u"x#";
  SWDoMainParse_Translates(v, initial);
  EXPECT_EQ(initial, 0);
  EXPECT_EQ(Show(v), Show(u"x\x1B"));
}

TEST(Search_parsing, TagWildcardConverted) {
  struct Case {
    String in;
    String out;
  } cases[] = {
      {u"", u""},
      {u"plain <tag> text", u"plain <tag> text"},
      {u"~^*?#", u"\x1F\x1E\x1D\x1C\x1B"},
      // Only the first occurrence of each symbol is converted.
      {u"a*b*c", u"a\x1D" u"b*c"},
      {u"##", u"\x1B#"},
      // A quoted symbol becomes the bare symbol, and then its bare forms stay.
      {u"\"*\"x*", u"*x*"},
      {u"x*\"*\"", u"x**"},
      // Each pair looks in the text the pairs before it left: the quoted "~"
      // is shortened first, and the "^" is found where it now stands.
      {u"\"~\"^", u"~\x1E"},
      {u"\"~\"\"^\"?", u"~^\x1C"},
      // A quote that is not a pair around the symbol is an ordinary character.
      {u"\"*", u"\"\x1D"},
      {u"\"**\"", u"\"\x1D*\""},
  };
  for (const Case& c : cases) EXPECT_EQ(TagWildcardConverted(c.in), c.out);
}

TEST(Search_parsing, TagWildcardConvertedLeavesEveryOtherCharacter) {
  String all;
  for (Char c = 1; c < 0x300; ++c) all += c;
  const String converted = TagWildcardConverted(all);
  ASSERT_EQ(converted.size(), all.size());
  for (size_t i = 0; i < all.size(); ++i) {
    const Char c = all[i];
    if (c == u'~' || c == u'^' || c == u'*' || c == u'?' || c == u'#') {
      EXPECT_GE(converted[i], 27);
      EXPECT_LE(converted[i], 31);
    } else {
      EXPECT_EQ(converted[i], c) << static_cast<int>(c);
    }
  }
}

}  // namespace
}  // namespace sk
