// Tag wildcards turned into their control codes.
#include <gtest/gtest.h>

#include "analysis/Search_parsing.h"

namespace sk {
namespace {

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
