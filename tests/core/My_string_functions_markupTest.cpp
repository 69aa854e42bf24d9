// Markup removed, blanked out and extracted; HTML bold and bracketing.
#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <random>
#include <string>

#include "core/My_string_functions_markup.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Strings.h"

namespace sk {
namespace {

TEST(My_string_functions_markupWithout, TagsWithinTheLimitGo) {
  EXPECT_EQ(WithoutMarkup(u"a<b>c", 5), u"ac");
  EXPECT_EQ(WithoutMarkup(u"a<bcdefg>c", 5), u"a<bcdefg>c");
  EXPECT_EQ(WithoutMarkup(u"x<yz", 5), u"x");
  EXPECT_EQ(WithoutMarkup(u"a<b>c", 0), u"a<b>c");
  EXPECT_EQ(WithoutMarkup(u"a<b>c", -1), u"a<b>c");
  EXPECT_EQ(WithoutMarkup(u"", 5), u"");
}

TEST(My_string_functions_markupWithout, LimitIsTheDistanceBetweenTheBrackets) {
  // '<abcd>' spans 5 positions from "<" to ">": removed at 5, kept at 4.
  EXPECT_EQ(WithoutMarkup(u"x<abcd>y", 5), u"xy");
  EXPECT_EQ(WithoutMarkup(u"x<abcd>y", 4), u"x<abcd>y");
  // A tag left open at the end counts to the end of the text.
  EXPECT_EQ(WithoutMarkup(u"x<abc", 4), u"x");
  EXPECT_EQ(WithoutMarkup(u"x<abcd", 4), u"x<abcd");
}

TEST(My_string_functions_markupWithout, BothEndsNestingAndStrays) {
  EXPECT_EQ(WithoutMarkup(u"<p>text</p>", 10), u"text");
  EXPECT_EQ(WithoutMarkup(u"<a><b><c>", 10), u"");
  EXPECT_EQ(WithoutMarkup(u"<", 10), u"");
  EXPECT_EQ(WithoutMarkup(u">", 10), u">");
  // Nested: the outer tag ends at the first ">", the rest is text.
  EXPECT_EQ(WithoutMarkup(u"a<b<c>d>e", 10), u"ad>e");
  // A stray "<" far from any ">" stays, and the real tag after it still goes.
  EXPECT_EQ(WithoutMarkup(u"if a < b then <i>c</i>", 5), u"if a < b then c");
  EXPECT_EQ(WithoutMarkup(u"1 < 2 < 3 < 4 <b>", 3), u"1 < 2 < 3 < 4 ");
  // Other brackets.
  EXPECT_EQ(WithoutMarkup(u"a[note]b{c}", u'[', u']', 10), u"ab{c}");
}

TEST(My_string_functions_markupWithout, ManyOpeningsWithoutClosingStaysFast) {
  // Each "<" waits for a ">" that never comes; the text is still scanned once.
  const String text(200000, u'<');
  EXPECT_EQ(WithoutMarkup(text, 5).size(), 199995u);
  EXPECT_EQ(BlankedOutMarkup(text, u'<', u'>', 5), text);
  EXPECT_EQ(MarkupWithoutText(text, 100000), u"");
}

TEST(My_string_functions_markupBlanked, PositionsStay) {
  EXPECT_EQ(BlankedOutMarkup(u"a<bc>d", u'<', u'>', 5), u"a<  >d");
  EXPECT_EQ(BlankedOutMarkup(u"<b>x</b>", u'<', u'>', 5), u"< >x<  >");
  EXPECT_EQ(BlankedOutMarkup(u"x<ab", u'<', u'>', 5), u"x<  ");
  EXPECT_EQ(BlankedOutMarkup(u"a<bc>d", u'<', u'>', 0), u"a<bc>d");
  EXPECT_EQ(BlankedOutMarkup(u"", u'<', u'>', 5), u"");
  // A span too long to be a tag is passed over whole, tags inside it included.
  EXPECT_EQ(BlankedOutMarkup(u"a<bcdefgh<i>j>k<l>", u'<', u'>', 5), u"a<bcdefgh<i>j>k< >");
  const String text = u"<w pos=\"NN\">dog</w> ran";
  EXPECT_EQ(BlankedOutMarkup(text, u'<', u'>', 50).size(), text.size());
}

TEST(My_string_functions_markupOnlyTags, TagsConcatenated) {
  EXPECT_EQ(MarkupWithoutText(u"a<b>c<d>", 5), u"<b><d>");
  EXPECT_EQ(MarkupWithoutText(u"a<b", 5), u"");
  EXPECT_EQ(MarkupWithoutText(u"plain", 5), u"");
  EXPECT_EQ(MarkupWithoutText(u"<b>x</b>", 0), u"");
  // One shorter than WithoutMarkup's limit: '<abcd>' (distance 5) needs 6.
  EXPECT_EQ(MarkupWithoutText(u"x<abcd>y", 5), u"");
  EXPECT_EQ(MarkupWithoutText(u"x<abcd>y", 6), u"<abcd>");
  // An opening character inside a tag starts a second, overlapping one, as far
  // as the result has room.
  EXPECT_EQ(MarkupWithoutText(u"<a<b>xxxxx", 10), u"<a<b><b>");
  EXPECT_EQ(MarkupWithoutText(u"<a<b>", 10), u"<a<b>");
  EXPECT_EQ(MarkupWithoutText(u"x[y]z", u'[', u']', 5), u"[y]");
}

TEST(My_string_functions_markupExtract, BetweenMarkers) {
  EXPECT_EQ(ExtractMarkupDataFromText(u"<t>abc</t>", u"<t>", u"</t>"), u"abc");
  EXPECT_EQ(ExtractMarkupDataFromText(u"xx<t>abc", u"<t>", u"</t>"), u"");
  EXPECT_EQ(ExtractMarkupDataFromText(u"abc</t>", u"<t>", u"</t>"), u"");
  EXPECT_EQ(ExtractMarkupDataFromText(u"<t></t>", u"<t>", u"</t>"), u"");
  // The end marker is looked for from the start marker on.
  EXPECT_EQ(ExtractMarkupDataFromText(u"</t><t>x</t>", u"<t>", u"</t>"), u"x");
  // An end marker that overlaps the start marker gives nothing.
  EXPECT_EQ(ExtractMarkupDataFromText(u"##abc##", u"##", u"#"), u"");
  EXPECT_EQ(ExtractMarkupDataFromText(u"", u"<t>", u"</t>"), u"");
  EXPECT_EQ(ExtractMarkupDataFromText(u"abc", u"", u"c"), u"");
}

TEST(My_string_functions_markupFile, ReadsDecodesFoldsBlanksAndStrips) {
  const String name = GetTempDirectory() + u"markup_free_" + IntToStr(::getpid()) + u".html";
  const std::string utf8 = StringToUtf8(name);
  {
    std::ofstream f(utf8, std::ios::binary);
    f << "\xEF\xBB\xBF<html>\r\n  <b>caf\xC3\xA9</b>\t\tau  lait\r\n</html>";
  }
  EXPECT_EQ(MarkupFreeTextFromAFile(name, 10), u" caf\u00E9 au lait ");
  {
    // UTF-16LE with its mark.
    std::ofstream f(utf8, std::ios::binary | std::ios::trunc);
    const char bytes[] = "\xFF\xFE<\0p\0>\0x\0\n\0y\0";
    f.write(bytes, sizeof bytes - 1);
  }
  EXPECT_EQ(MarkupFreeTextFromAFile(name, 10), u"x y");
  {
    std::ofstream f(utf8, std::ios::binary | std::ios::trunc);
  }
  EXPECT_EQ(MarkupFreeTextFromAFile(name, 10), u"");
  DeleteFile(name);
  EXPECT_ANY_THROW(MarkupFreeTextFromAFile(name, 10));
}

TEST(My_string_functions_markupSearchMarkers, DoubleEquals) {
  EXPECT_EQ(WithoutCaseSensitiveSearchMarkers(u"==Word=="), u"Word");
  EXPECT_EQ(WithoutCaseSensitiveSearchMarkers(u"==Word"), u"==Word");
  EXPECT_EQ(WithoutCaseSensitiveSearchMarkers(u"Word=="), u"Word==");
  EXPECT_EQ(WithoutCaseSensitiveSearchMarkers(u"===="), u"");
  EXPECT_EQ(WithoutCaseSensitiveSearchMarkers(u"==="), u"");
  EXPECT_EQ(WithoutCaseSensitiveSearchMarkers(u"=="), u"");
  EXPECT_EQ(WithoutCaseSensitiveSearchMarkers(u""), u"");
}

TEST(My_string_functions_markupAttributes, PiecesOfATag) {
  const String tag = u"<w pos=\"NN\" lemma=\"dog\">";
  EXPECT_EQ(AttributeNOfTagStr(tag, 0), u"<w >");
  EXPECT_EQ(AttributeNOfTagStr(tag, 1), u"<pos=\"NN\" >");
  EXPECT_EQ(AttributeNOfTagStr(tag, 2), u"<lemma=\"dog\">");
  EXPECT_EQ(AttributeNOfTagStr(tag, 3), u"");
  EXPECT_EQ(AttributeNOfTagStr(tag, -1), u"");
  EXPECT_EQ(AttributeNOfTagStr(u"", 0), u"");
  // A tag without attributes comes back as it is, not with a second "<".
  EXPECT_EQ(AttributeNOfTagStr(u"<w>", 0), u"<w>");
  // A trailing space leaves an empty last piece.
  EXPECT_EQ(AttributeNOfTagStr(u"<w a ", 2), u"");
}

TEST(My_string_functions_markupBrackets, AddRemoveTest) {
  EXPECT_EQ(BracketedWith(u"", u'(', u')'), u"()");
  EXPECT_EQ(BracketedWith(u"x", u'(', u')'), u"(x)");
  EXPECT_EQ(BracketedWith(u"(x", u'(', u')'), u"(x)");
  EXPECT_EQ(BracketedWith(u"(x)", u'(', u')'), u"(x)");
  EXPECT_EQ(BracketedWith(u"<", u'<', u'>'), u"<>");
  EXPECT_EQ(UNBracketedWith(u"<", u'<', u'>'), u"");
  EXPECT_EQ(UNBracketedWith(u">", u'<', u'>'), u"");
  EXPECT_EQ(UNBracketedWith(u"<>", u'<', u'>'), u"");
  EXPECT_EQ(UNBracketedWith(u"<b>", u'<', u'>'), u"b");
  EXPECT_EQ(UNBracketedWith(u"b>", u'<', u'>'), u"b");
  EXPECT_EQ(UNBracketedWith(u"", u'<', u'>'), u"");
  EXPECT_EQ(UNBracketedWith(u"\"", u'"', u'"'), u"");
  EXPECT_TRUE(IsBracketed(u"(a)", u'(', u')'));
  EXPECT_FALSE(IsBracketed(u"", u'(', u')'));
  EXPECT_FALSE(IsBracketed(u"(", u'(', u')'));
  EXPECT_TRUE(IsBracketed(u"'", u'\'', u'\''));
  EXPECT_EQ(Angle_Bracketed(u"w"), u"<w>");
  EXPECT_EQ(UNAngle_Bracketed(u"<w>"), u"w");
  EXPECT_EQ(Round_Bracketed(u"3"), u"(3)");
  EXPECT_TRUE(IsAngleBracketed(u"<x>"));
  EXPECT_FALSE(IsAngleBracketed(u"<x"));
  EXPECT_TRUE(IsRoundBracketed(u"()"));
  EXPECT_FALSE(IsRoundBracketed(u")("));
}

TEST(My_string_functions_markupHtml, EntitiesAndBold) {
  EXPECT_EQ(AnyAngleBracketsToHTML(u"<B>"), u"&lt;B&gt;");
  EXPECT_EQ(AnyAngleBracketsToHTML(u"a>b<"), u"a&gt;b&lt;");
  EXPECT_EQ(ChangeHTMLToAngleBrackets(u"&lt;x&gt; &amp;"), u"<x> &amp;");
  EXPECT_EQ(StrippedHTML(u"<B>&lt;x&gt;</B>"), u"<x>");
  EXPECT_EQ(StrippedHTMLBold(u"<B>a</B><b>c</b>"), u"a<b>c</b>");
  EXPECT_EQ(Emboldened(u"x"), u"<B>x</B>");
  EXPECT_EQ(HTMLBolded(u""), u"<B></B>");
  EXPECT_EQ(HTMLSwitchedOff(u"b"), u"</b>");
  EXPECT_EQ(StrippedHTMLBoldAtEnds(u"<B>x"), u"x");
  EXPECT_EQ(StrippedHTMLBoldAtEnds(u"x</B>"), u"x");
  EXPECT_EQ(StrippedHTMLBoldAtEnds(u"<B>x</B>"), u"x");
  EXPECT_EQ(StrippedHTMLBoldAtEnds(u"<b>x</b>"), u"<b>x</b>");
  EXPECT_TRUE(IsHTMLBoldAtEnds(u"<B>x</B>"));
  EXPECT_FALSE(IsHTMLBoldAtEnds(u"<b>x</b>"));
  EXPECT_FALSE(IsHTMLBoldAtEnds(u"<B>"));
}

TEST(My_string_functions_markupHtml, ChangeAngleBracketsKeepsBold) {
  EXPECT_EQ(ChangeAngleBracketsToHTML(u"<b>x</B><i>y"), u"<b>x</B>&lt;i&gt;y");
  EXPECT_EQ(ChangeAngleBracketsToHTML(u"a<b"), u"a<b");
  EXPECT_EQ(ChangeAngleBracketsToHTML(u""), u"");
  EXPECT_EQ(ChangeAngleBracketsToHTML(u"<>"), u"&lt;&gt;");
  EXPECT_EQ(ChangeAngleBracketsToHTML(u"x>y"), u"x>y");
  EXPECT_EQ(ChangeAngleBracketsToHTML(u"<Bold>"), u"&lt;Bold&gt;");
}

// The tag-by-tag rule made literally: each replacement in place in the text.
String LiteralChangeAngleBrackets(String r) {
  size_t from = 0;
  for (;;) {
    const size_t p = r.find(u'<', from);
    if (p == String::npos) break;
    from = p + 1;
    const size_t q = r.find(u'>', p + 1);
    if (q == String::npos) continue;
    auto up = [&](size_t k) { return r[k] == u'b' ? u'B' : r[k]; };
    const bool boldOff = q == p + 3 && r[p + 1] == u'/' && up(p + 2) == u'B';
    const bool boldOn = q == p + 2 && up(p + 1) == u'B';
    if (boldOff || boldOn) continue;
    r.replace(p, 1, u"&lt;");
    r.replace(q + 3, 1, u"&gt;");
    from = p + 7;
  }
  return r;
}

TEST(My_string_functions_markupHtml, ChangeAngleBracketsMatchesInPlaceReplacement) {
  std::mt19937 rng(20240611);
  const Char alphabet[] = {u'<', u'>', u'/', u'b', u'B', u'x'};
  for (int round = 0; round < 20000; ++round) {
    String s(static_cast<size_t>(rng() % 16), u' ');
    for (Char& c : s) c = alphabet[rng() % 6];
    ASSERT_EQ(ChangeAngleBracketsToHTML(s), LiteralChangeAngleBrackets(s)) << StringToUtf8(s);
  }
}

}  // namespace
}  // namespace sk
