// HTML helpers and the entity list.
#include <gtest/gtest.h>

#include <random>

#include "TestSupport.h"
#include "core/Basic_processes.h"
#include "platform/runtime/Colors.h"
#include "services/Html_utils.h"

namespace sk {
namespace {

// Starts the unit (and so the default entity list) for one test.
class Html_utils : public ::testing::Test {
 protected:
  void SetUp() override { Html_utils_initialization(); }
  void TearDown() override { Html_utils_Finalization(); }
};

TEST_F(Html_utils, Escape) {
  EXPECT_EQ(MyHTMLEscape(u"<a href=\"x\">&</a>"), u"&lt;a href=&quot;x&quot;&gt;&amp;&lt;/a&gt;");
  EXPECT_EQ(MyHTMLEscape(u"\\"), u"&#92;");
  EXPECT_EQ(MyHTMLEscape(u"caf\u00E9 \u00A0\u00FF"), u"caf&#233; &#160;&#255;");
  EXPECT_EQ(MyHTMLEscape(u"\u0100\u4E2D\u00FE"), u"\u0100\u4E2D&#254;");
  EXPECT_EQ(MyHTMLEscape(u""), u"");
}

TEST_F(Html_utils, EntitiesBothWays) {
  ASSERT_NE(HTMLEntityList, nullptr);
  ASSERT_EQ(HTMLEntityList->Count(), 2);
  EXPECT_EQ(HTMLEntityList->GetEntityRecs(0).HTML, u"&gt;");
  EXPECT_EQ(HTMLEntityList->GetEntityRecs(1).char_num, 60);
  EXPECT_EQ(ReadableStringToHTMLString(u"<b> & c"), u"&lt;b&gt; & c");
  EXPECT_EQ(ReadableStringToHTMLString(u""), u"");
  EXPECT_EQ(HTMLStringToReadableString(u"&lt;b&gt; &amp;"), u"<b> &amp;");
  EXPECT_THROW(HTMLEntityList->GetEntityRecs(2), EListError);
  EXPECT_THROW(HTMLEntityList->SetEntityRecs(-1, THTMLEntity_rec{}), EListError);

  // Each character or entity is converted once, wherever "&amp;" stands in
  // the file (first, second, last): the results of html.escape and
  // html.unescape.
  const std::vector<String> orders[] = {
      {u"&amp;\t38", u"&quot;\t34", u"&lt;\t60", u"&gt;\t62"},
      {u"&quot;\t34", u"&amp;\t38", u"&lt;\t60", u"&gt;\t62"},
      {u"&quot;\t34", u"&lt;\t60", u"&gt;\t62", u"&amp;\t38"},
  };
  const std::pair<const char16_t*, const char16_t*> escaped[] = {
      {u"He said \"AT&T\" <b>", u"He said &quot;AT&amp;T&quot; &lt;b&gt;"}, {u"&lt;", u"&amp;lt;"}};
  const std::pair<const char16_t*, const char16_t*> unescaped[] = {
      {u"&amp;lt;", u"&lt;"}, {u"&amp;quot;x&quot;", u"&quot;x\""}, {u"AT&amp;T &amp;amp;", u"AT&T &amp;"}};
  for (size_t k = 0; k < std::size(orders); ++k) {
    HTMLEntityList->Clear();
    for (const String& line : orders[k]) HTMLEntityList->AddIfFormatOK(line);
    for (const auto& [text, html] : escaped) EXPECT_EQ(ReadableStringToHTMLString(text), html) << k;
    for (const auto& [html, text] : unescaped) EXPECT_EQ(HTMLStringToReadableString(html), text) << k;
  }
  // Characters beyond U+FFFF, written as themselves or by their code, are
  // kept whole both ways.
  HTMLEntityList->Clear();
  HTMLEntityList->AddIfFormatOK(u"&grinning;\t\U0001F600");
  HTMLEntityList->AddIfFormatOK(u"&Afr;\t120068");
  EXPECT_EQ(HTMLEntityList->GetEntityRecs(0).char_num, 0x1F600);
  EXPECT_EQ(ReadableStringToHTMLString(u"a\U0001F600\U0001D504\U0001F601"), u"a&grinning;&Afr;\U0001F601");
  EXPECT_EQ(HTMLStringToReadableString(u"&Afr;&grinning;&Afr"), u"\U0001D504\U0001F600&Afr");
}

TEST_F(Html_utils, EntityLinesAndFiles) {
  TEntityRecList list;
  for (const char16_t* line : {u"&amp;\t38", u"&copy; \u00A9", u"&nbsp;\t", u"&x 65 66", u"&y\t\tz", u"amp 38",
                               u"&alone", u"", u"\t38", u"&big 99999999999"})
    list.AddIfFormatOK(line);
  // "&nbsp;\t" is one piece once the line is trimmed: no entity.
  ASSERT_EQ(list.Count(), 5);
  EXPECT_EQ(list.GetEntityRecs(0).char_num, 38);
  EXPECT_EQ(list.GetEntityRecs(1).char_num, 0xA9);  // the character itself
  EXPECT_EQ(list.GetEntityRecs(2).char_num, 65);
  EXPECT_EQ(list.GetEntityRecs(3).char_num, 0);     // an empty piece after the TAB
  EXPECT_EQ(list.GetEntityRecs(4).char_num, u'9');  // not a number: its first character
  list.SetEntityRecs(0, THTMLEntity_rec{39, u"&apos;"});
  EXPECT_EQ(list.GetEntityRecs(0).HTML, u"&apos;");

  ScratchFolder dir("html_entities");
  WriteFileBytes(dir.Path("e.txt"), "\xEF\xBB\xBF&quot;\t34\r\n&eacute; \xC3\xA9\r\nnot an entity\r\n");
  ASSERT_TRUE(list.LoadedFromFile(dir.File("e.txt")));
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.GetEntityRecs(1).char_num, 0xE9);
  EXPECT_FALSE(list.LoadedFromFile(dir.File("missing.txt")));
  EXPECT_EQ(list.Count(), 0);
}

TEST_F(Html_utils, TagsAndComments) {
  EXPECT_EQ(HTMLSwitchOn(html_table), u"<TABLE>");
  EXPECT_EQ(HTMLSwitchOff(htlm_td), u"</TD>");
  struct Case {
    const char16_t* in;
    const char16_t* out;
  } cases[] = {
      {u"a<!-- x -->b<!--y-->c", u"abc"},
      {u"a<!-- open", u"a<!-- open"},
      {u"<!<!--x-->--y-->z", u"z"},  // a cut that makes a new comment start
      {u"--> a <!-- b --> c", u"--> a  c"},
      {u"", u""},
  };
  for (const Case& c : cases) EXPECT_EQ(StrippedOfHTMLComments(String(c.in)), c.out);
  EXPECT_EQ(StrippedOfW(u"[", u"]", u"a[b]c[d"), u"ac[d");
  EXPECT_EQ(StrippedOfW(u"", u"]", u"a]"), u"a]");
  EXPECT_EQ(StrippedOfHTMLComments(AnsiString("x<!--\xE9-->y\xE9")), AnsiString("xy\xE9"));
}

}  // namespace
}  // namespace sk

namespace sk {
namespace {

TEST_F(Html_utils, WordChunksAndGreyedTags) {
  TPaintWordChunk chunk;
  chunk.w = u"a <b>";
  chunk.colourAndFont = GetDefaultExtraFontRec();
  EXPECT_EQ(TPaintWordChunkToHTML(chunk), u"a&nbsp;&lt;b&gt;");
  // Text that reads like HTML is written so that the HTML shows it as it is.
  chunk.w = u"AT&amp;T &#233; &";
  EXPECT_EQ(TPaintWordChunkToHTML(chunk), u"AT&amp;amp;T&nbsp;&amp;#233;&nbsp;&amp;");
  chunk.w = u"x";
  chunk.colourAndFont.typeface = static_cast<TFontStyles>(1u << fsBold | 1u << fsItalic | 1u << fsStrikeOut);
  chunk.colourAndFont.FontColour = clRed;
  EXPECT_EQ(TPaintWordChunkToHTML(chunk), u"<b><i><s><font color = \"#FF0000\">x</font></s></i></b>");
  chunk.colourAndFont.typeface = 1u << fsUnderline;
  chunk.colourAndFont.FontColour = static_cast<TColor>(0x563412);  // blue 56, green 34, red 12
  EXPECT_EQ(TPaintWordChunkToHTML(chunk), u"<u><font color = \"#123456\">x</font></u>");

  EXPECT_EQ(HTMLTagsGreyedOut(u"a<p>b</p>c", static_cast<TColor>(0x563412)),
            u"a<font color = \"#123456\">&lt;p&gt;</font>b<font color = \"#123456\">&lt;/p&gt;</font>c");
  EXPECT_EQ(HTMLTagsGreyedOut(u"x<open", clBlack), u"x<open");
  EXPECT_EQ(HTMLTagsGreyedOut(u"<>", clWhite), u"<font color = \"#FFFFFF\">&lt;&gt;</font>");
  // A long text lets the host run at its check points as its tags are
  // greyed out (every check point yields here).
  String tagged;
  for (int i = 0; i < 500; ++i) tagged += u"a <b>word</b> ";
  int yields = 0;
  const Int64 interval = TTimedYield::YieldInterval();
  TTimedYield::SetYieldInterval(0);
  Global_YieldProcessProc = [&yields] { ++yields; };
  EXPECT_EQ(HTMLTagsGreyedOut(tagged, clBlack).size(), tagged.size() + 500 * 2 * 37);
  Global_YieldProcessProc = nullptr;
  TTimedYield::SetYieldInterval(interval);
  EXPECT_GE(yields, 1);
  EXPECT_EQ(HTMLTagsGreyedOut(u"", clWhite), u"");

  // The tag's text shows as itself and never makes markup of its own.
  struct Case {
    const char16_t* in;
    const char16_t* out;
  } cases[] = {
      {u"word <<img src=x onerror=alert(1) x> more",
       u"word <font color = \"#000000\">&lt;&lt;img src=x onerror=alert(1) x&gt;</font> more"},
      {u"<a href=\"x&y\">", u"<font color = \"#000000\">&lt;a href=&quot;x&amp;y&quot;&gt;</font>"},
      {u"&<b>&", u"&<font color = \"#000000\">&lt;b&gt;</font>&"},  // outside tags: unchanged
      {u"<<<>", u"<font color = \"#000000\">&lt;&lt;&lt;&gt;</font>"},
  };
  for (const Case& c : cases) EXPECT_EQ(HTMLTagsGreyedOut(c.in, clBlack), c.out) << String(c.in).size();
}

// Stripping as it is stated: cut from the first on to the first off after it,
// then search the whole text again.
String StrippedByCuttingFromTheStart(const String& on, const String& off, String r) {
  for (;;) {
    const size_t a = r.find(on);
    if (a == String::npos) break;
    const size_t b = r.find(off, a + on.size());
    if (b == String::npos) break;
    r.erase(a, b + off.size() - a);
  }
  return r;
}

TEST_F(Html_utils, StrippingGivesWhatCuttingFromTheStartGives) {
  // Short alphabets, so that cuts often join text into a new on.
  struct Pair {
    const char16_t* on;
    const char16_t* off;
    const char16_t* alphabet;
  } pairs[] = {
      {u"<!--", u"-->", u"<!->a"}, {u"ab", u"ba", u"ab"},   {u"aa", u"a", u"ab"},
      {u"a", u"aa", u"ab"},        {u"aba", u"b", u"abc"}, {u"[", u"]", u"[]x"},
  };
  std::mt19937 rng(77);
  for (const Pair& p : pairs) {
    const String alphabet = p.alphabet;
    for (int n = 0; n < 400; ++n) {
      String s;
      const size_t len = rng() % 40;
      for (size_t k = 0; k < len; ++k) s += alphabet[rng() % alphabet.size()];
      ASSERT_EQ(StrippedOfW(p.on, p.off, s), StrippedByCuttingFromTheStart(p.on, p.off, s)) << String(p.on).size();
    }
  }
}

}  // namespace
}  // namespace sk
