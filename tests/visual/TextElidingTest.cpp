// The canvas's end, word and path ellipses, checked against the plain loops
// that take one character at a time off and measure again, on random texts
// of words, long tokens, CJK and surrogate pairs; no result holds half of a
// pair.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>

#include "RandomTexts.h"
#include "VisualTestSupport.h"
#include "platform/visual/Graphics.h"
#include "platform/visual/Graphics_shaping.h"

namespace sk {
namespace {

const String kDots = u"...";

bool Splits(const String& s, size_t i) {
  return i > 0 && i < s.size() && s[i] >= 0xDC00 && s[i] <= 0xDFFF && s[i - 1] >= 0xD800 && s[i - 1] <= 0xDBFF;
}

// Takes the last character (a whole pair) off the head.
void PopChar(String& head) { head.erase(Splits(head, head.size() - 1) ? head.size() - 2 : head.size() - 1); }

String EndByOnes(TCanvas& c, const String& s, Int32 width) {
  if (c.TextWidth(s) <= width) return s;
  String head = s;
  while (!head.empty() && c.TextWidth(head + kDots) > width) PopChar(head);
  return head + kDots;
}

String WordByOnes(TCanvas& c, const String& s, Int32 width) {
  if (c.TextWidth(s) <= width) return s;
  String head = s;
  while (!head.empty()) {
    const size_t blank = head.find_last_of(u' ');
    head = blank == String::npos ? String() : head.substr(0, blank);
    if (c.TextWidth(head + kDots) <= width) break;
  }
  return head.empty() ? EndByOnes(c, s, width) : head + kDots;
}

String PathByOnes(TCanvas& c, const String& s, Int32 width) {
  if (c.TextWidth(s) <= width) return s;
  const size_t delim = s.find_last_of(u"\\/");
  if (delim == String::npos) {
    size_t mid = s.size() / 2;
    if (Splits(s, mid)) --mid;
    String head = s.substr(0, mid), tail = s.substr(mid);
    while (!head.empty() || !tail.empty()) {
      if (c.TextWidth(head + kDots + tail) <= width) break;
      if (head.size() >= tail.size() && !head.empty())
        PopChar(head);
      else
        tail.erase(0, Splits(tail, 1) ? 2 : 1);
    }
    return head + kDots + tail;
  }
  String head = s.substr(0, delim);
  const String tail = s.substr(delim);
  while (!head.empty() && c.TextWidth(head + kDots + tail) > width) PopChar(head);
  if (c.TextWidth(head + kDots + tail) <= width) return head + kDots + tail;
  return EndByOnes(c, kDots + tail, width);
}

// The canvas of b in DejaVu Sans 9, the font the counting tests measure in.
TCanvas& SansCanvas(TBitmap& b) {
  TCanvas& c = b.Canvas();
  c.Font().SetName(u"DejaVu Sans");
  c.Font().SetSize(9);
  return c;
}

String Elided(TCanvas& c, const String& s, Int32 width, TTextFormat how) {
  TRect r{0, 0, width, 20};
  String shown = s;
  c.TextRect(r, shown, how | tfModifyString | tfCalcRect);
  return shown;
}

TEST(TCanvasEliding, EllipsesGiveWhatTakingOneCharacterAtATimeGives) {
  TestApplication();
  TBitmap b(8, 8);
  TCanvas& c = b.Canvas();
  TRandomTexts texts(4021);
  struct Kind {
    const char* name;
    TTextFormat format;
    String (*byOnes)(TCanvas&, const String&, Int32);
  } kinds[] = {{"end", tfEndEllipsis, EndByOnes}, {"word", tfWordEllipsis, WordByOnes}, {"path", tfPathEllipsis, PathByOnes}};
  for (int n = 0; n < 200; ++n) {
    String s = texts.Next(600);
    // Some texts are paths: folders before a name.
    if (n % 4 == 1) s = texts.Next(300) + u"/" + texts.Next(40) + (n % 8 == 1 ? u"\\" + texts.Next(30) : String());
    const Int32 full = c.TextWidth(s);
    for (const Int32 w : {texts.Width(full + 4), texts.Width(std::min(full, 300)), full - 1, full, 0}) {
      for (const Kind& k : kinds) {
        const String got = Elided(c, s, w, k.format);
        ASSERT_EQ(got, k.byOnes(c, s, w)) << k.name << " text " << n << " of " << s.size() << ", width " << w;
        EXPECT_FALSE(HasHalfAPair(got) && !HasHalfAPair(s)) << k.name << " text " << n << ", width " << w;
      }
    }
  }
}

// Where a character's width depends on its neighbours a shorter head can be
// the wider: an Arabic letter takes another form when the letter after it is
// cut (plain, vocalised, with a tatweel), and a symbol the font lacks comes
// from a fallback font picked by the script of the text around it. At these
// widths a search for the cut once missed what the loops give. A Latin line
// ending in Arabic is swept over every width, as the loops there run partly
// one by one and partly by search.
TEST(TCanvasEliding, ShapedTextsGiveWhatTakingOneCharacterAtATimeGives) {
  TestApplication();
  TBitmap b(8, 8);
  TCanvas& c = b.Canvas();
  const String greeting =
      u"\u0627\u0644\u0633\u0644\u0627\u0645 \u0639\u0644\u064A\u0643\u0645 \u0648\u0631\u062D\u0645\u0629 "
      u"\u0627\u0644\u0644\u0647 \u0648\u0628\u0631\u0643\u0627\u062A\u0647";
  EXPECT_EQ(Elided(c, greeting, 36, tfEndEllipsis), u"\u0627\u0644\u0633\u0644\u0627...");
  struct Case {
    TTextFormat format;
    String (*byOnes)(TCanvas&, const String&, Int32);
    const char16_t* font;
    Int32 points;
    String text;
    Int32 width;  // -1: every width up to the text's own
  };
  std::vector<Case> cases = {
      {tfEndEllipsis, EndByOnes, u"DejaVu Sans", 9, greeting, 36},
      {tfEndEllipsis, EndByOnes, u"DejaVu Sans", 9,
       u"\u062E\u0634\u0649\u0630\u0627\u062A\u0640\u0639\u063A/\u062C\u062C", 50},
      {tfWordEllipsis, WordByOnes, u"DejaVu Sans", 9, u" \u0650\u0646\u062B\u0625\u0626\u0629 \u0624\u0635\u064F\u0638",
       26},
      {tfPathEllipsis, PathByOnes, u"DejaVu Sans", 9,
       u"\u062B\u0640\u0648\u062C\u063C\u064B\u0638\u0623\u063E/\u063B\u0652\u0637\u0623", 43},
      {tfPathEllipsis, PathByOnes, u"DejaVu Sans", 9,
       u"\u062D\u062B\u0627\u0641\u0626\u063F\u0642\u063E\u0650\u0652\u064C\u0638\u062B\u0624\u063E", 43},
      {tfPathEllipsis, PathByOnes, u"DejaVu Serif", 11, u"\u22EE\u2242\u1D94\u1D01\u1D8F/\u1FC8\u1F73\u222E\u1FFC", 87},
      {tfEndEllipsis, EndByOnes, u"DejaVu Sans", 9, u"A line of words: " + greeting, -1},
      {tfWordEllipsis, WordByOnes, u"DejaVu Sans", 9, u"A line of words: " + greeting, -1},
      {tfPathEllipsis, PathByOnes, u"DejaVu Sans", 9, u"A line of words " + greeting, -1},
      {tfPathEllipsis, PathByOnes, u"DejaVu Sans", 9, greeting + u" in/folder/names.txt", -1},
      // Punctuation that the font lacks takes its font from the script
      // around it: the quote opening a CJK line has none before it, and ℓ
      // and ※ come from another font after Greek than after Latin.
      {tfEndEllipsis, EndByOnes, u"DejaVu Sans Mono", 9,
       u"\u300C\u4E2D\u6587\u300D\u3001\u6F22\u5B57\uFF0C\u3000\u30AB\u30FC\u30C9\u3002\u2113\u4E00", -1},
      {tfEndEllipsis, EndByOnes, u"DejaVu Sans Mono", 9, u"\u2113\u203B \u03B1\u03B2 \u2113\u2113 ab \u2113\u203B", -1},
      {tfPathEllipsis, PathByOnes, u"DejaVu Sans Mono", 9, u"\u2113\u203B \u03B1\u03B2 \u2113\u2113 ab \u2113\u203B",
       -1},
      {tfPathEllipsis, PathByOnes, u"DejaVu Serif", 11, u"\u2110 ab/\u03B1\u2113\u2110", -1},
      // A soft hyphen near each end of a Latin line.
      {tfEndEllipsis, EndByOnes, u"DejaVu Sans", 9, u"a\u00ADffable words in a line of tex\u00ADt", -1},
      {tfPathEllipsis, PathByOnes, u"DejaVu Sans", 9, u"a\u00ADffable words in a line of tex\u00ADt", -1},
  };
  // ℓ, which DejaVu Sans Mono lacks, is narrower after Greek than after Latin
  // or with no script around it: a cut that takes away the Greek before or
  // after a run of them can leave the shorter text the wider.
  const char16_t* const mono = u"DejaVu Sans Mono";
  for (size_t run = 1; run <= 10; ++run) {
    const String ells(run, u'\u2113');
    cases.insert(cases.end(),
                 {{tfEndEllipsis, EndByOnes, mono, 9, ells + u"\u03B1\u03B2\u03B3\u03B4\u03B5\u03B6", -1},
                  {tfWordEllipsis, WordByOnes, mono, 9, ells + u"\u03B1 \u03B2\u03B3 \u03B4\u03B5\u03B6", -1},
                  {tfPathEllipsis, PathByOnes, mono, 9, u"abc \u03B1\u03B2\u03B3/" + ells, -1},
                  {tfPathEllipsis, PathByOnes, mono, 9, ells + u"\u03B1\u03B2\u03B3\u03B4abcdefghijkl", -1},
                  {tfPathEllipsis, PathByOnes, mono, 9,
                   u"abcdefgh\u03B1\u03B2\u03B3\u03B4" + ells + u"\u2113\u2113\u2113\u2113\u2113", -1}});
  }
  // Letters under marks, where a cut among or after the marks keeps the
  // letter: letters that kern with the ellipsis or the letter before, blanks
  // after the marks, a mark that widens its letter, letters that join in a
  // ligature across marks, Greek and Cyrillic, marks after a blank and
  // enclosing marks.
  for (const char16_t* const serif : {u"DejaVu Sans", u"DejaVu Serif"})
    for (const char16_t* const marked :
         {u"AV\u0301 To\u0308 Ty\u0327.. V\u0300\u0301  y\u0308, L\u031B\u031B f\u0301i ffi\u0308 W\u0306A",
          u"\u03AC\u0308\u0301 \u0399\u0301\u0308 \u0439\u0306 \u0414\u0300\u0301\u0302  \u0416\u0311",
          u" \u0301a \u0301\u0302b c\u20DD\u20DD d\u0308\u0308\u0308   e",
          // Tabs and a line separator, which a layout of the line places apart.
          u"a\u0301\tb\u0302 c\u0303\td\u2028e\u0304 f",
          // Stacks of marks above, below and through their letters, where a
          // middle cut leaves a tail that opens among the marks of a letter
          // cut away.
          u"s\u0346\u031C\u034C\u031F\u0310\u0314r\u0346\u0335\u0334\u030D\u033F\u034D\u034A\u0332\u0320 "
          u"v\u0334\u031C\u032Fa\u0326\u0317\u030C\u0309\u0369\u0369\u0333\u0338\u0337\u0346 "
          u"b\u0331\u0323\u0308\u0345\u0335",
          u"s\u0337\u032A\u0319\u0353\u0316\u0309\u034B\u0345x\u034B\u0308\u034D\u030E\u0336 "
          u"n\u0327\u0352\u0338\u0320\u0310\u033D\u0320e\u0335\u0354\u0336\u0330 e\u033B\u0337\u0309v"})
      for (const auto& [format, byOnes] :
           {std::pair{tfEndEllipsis, &EndByOnes}, {tfWordEllipsis, WordByOnes}, {tfPathEllipsis, PathByOnes}})
        cases.push_back({format, byOnes, serif, 9, marked, -1});
  // A monospaced font draws some marks with an advance of their own and
  // leaves others to a fallback font.
  cases.push_back({tfPathEllipsis, PathByOnes, u"DejaVu Sans Mono", 8,
                   u"s\u0337\u032A\u0319\u0353\u0316\u0309\u034B\u0345x\u034B\u0308\u034D\u030E\u0336 "
                   u"n\u0327\u0352\u0338\u0320\u0310\u033D\u0320e\u0335\u0354\u0336\u0330 "
                   u"e\u033B\u0337\u0309v\u033D\u0336\u0336\u0355\u0335",
                   -1});
  // Embeddings and isolates long enough that a cut inside them turns the rest.
  const String words = greeting.substr(0, 13) + u" (1)";
  const String turned = u"ab \u2067" + words + u"\u2069 cd (ef) \u202B" + words + u"\u202C gh \u2068" + words;
  cases.push_back({tfPathEllipsis, PathByOnes, u"DejaVu Sans", 9, turned, -1});
  cases.push_back({tfEndEllipsis, EndByOnes, u"DejaVu Sans", 9, turned, -1});
  for (const String& line : ScriptMixLines())
    for (const auto& [format, byOnes] :
         {std::pair{tfEndEllipsis, &EndByOnes}, {tfWordEllipsis, WordByOnes}, {tfPathEllipsis, PathByOnes}})
      cases.push_back({format, byOnes, u"DejaVu Sans", 9, line, -1});
  for (const Case& k : cases) {
    c.Font().SetName(k.font);
    c.Font().SetSize(k.points);
    const Int32 from = k.width >= 0 ? k.width : 0, to = k.width >= 0 ? k.width : c.TextWidth(k.text) + 1;
    for (Int32 w = from; w <= to; ++w)
      ASSERT_EQ(Elided(c, k.text, w, k.format), k.byOnes(c, k.text, w)) << k.format << " width " << w;
  }
  // The dense lines cost the loops much (each measurement shapes every
  // emoji again): every third width, and the last few.
  c.Font().SetName(u"DejaVu Sans");
  c.Font().SetSize(9);
  for (size_t i = ScriptMixLines().size(); i < DenseLines().size(); ++i) {
    const String& line = DenseLines()[i];
    const Int32 full = c.TextWidth(line);
    for (Int32 w = 0; w <= full + 1; w += w + 4 < full ? 3 : 1)
      for (const auto& [format, byOnes] :
           {std::pair{tfEndEllipsis, &EndByOnes}, {tfWordEllipsis, WordByOnes}, {tfPathEllipsis, PathByOnes}})
        ASSERT_EQ(Elided(c, line, w, format), byOnes(c, line, w)) << format << " line " << i << " width " << w;
  }
}

// Texts whose characters change width with a cut (NextShaped) in three
// fonts: what the searches find is what the loops give.
TEST(TCanvasEliding, TextsThatChangeWithACutGiveWhatTakingOneCharacterAtATimeGives) {
  TestApplication();
  TBitmap b(8, 8);
  TCanvas& c = b.Canvas();
  TRandomTexts texts(7789);
  for (int n = 0; n < 120; ++n) {
    c.Font().SetName(kShapingFonts[n % 3].name);
    c.Font().SetSize(kShapingFonts[n % 3].points);
    String s = texts.NextShaped(300);
    if (n % 4 == 1) s = texts.NextShaped(200) + u"/" + texts.NextShaped(30);
    const Int32 full = c.TextWidth(s);
    for (const Int32 w : {texts.Width(full + 4), texts.Width(std::min(full, 300)), texts.Width(80), full - 1, 0})
      for (const auto& [format, byOnes] :
           {std::pair{tfEndEllipsis, &EndByOnes}, {tfWordEllipsis, WordByOnes}, {tfPathEllipsis, PathByOnes}})
        ASSERT_EQ(Elided(c, s, w, format), byOnes(c, s, w))
            << format << " text " << n << " of " << s.size() << ", width " << w;
  }
}

// A line far longer than a cell shows is read only in part: drawn with the
// end or word ellipsis, it shows what the loops give for the whole line, also
// where zero-width characters make the part first read too short to tell.
TEST(TCanvasEliding, LongLinesDrawWhatTheLoopsGive) {
  TestApplication();
  TRandomTexts texts(5171);
  String words;
  while (words.size() < 1200) words += texts.Next(12) + u" ";
  const String lines[] = {words, u"a" + String(1100, u'\u200B') + words.substr(0, 100),
                          ScriptMixLines()[0] + String(1200, u'\u3002')};
  for (const String& s : lines) {
    for (const Int32 w : {40, 64}) {
      for (const auto& [flag, byOnes] : {std::pair{DT_END_ELLIPSIS, &EndByOnes}, {DT_WORD_ELLIPSIS, WordByOnes}}) {
        TBitmap got(160, 20), want(160, 20);
        TRect r{0, 0, w, 20};
        got.Canvas().DrawText(s, r, DT_SINGLELINE | DT_NOPREFIX | flag);
        r = TRect{0, 0, w, 20};
        want.Canvas().DrawText(byOnes(want.Canvas(), s, w), r, DT_SINGLELINE | DT_NOPREFIX);
        ASSERT_EQ(got.Image(), want.Image()) << s.size() << " width " << w;
      }
    }
  }
  // Word-wrapped on the two lines a cell has room for, as the start of it.
  TBitmap got(160, 40), want(160, 40);
  const Cardinal wrapped = DT_EDITCONTROL | DT_WORDBREAK | DT_NOPREFIX | DT_END_ELLIPSIS;
  TRect r{0, 0, 64, 2 * got.Canvas().TextHeight(u"Yy") + 3};
  got.Canvas().DrawText(words, r, wrapped);
  want.Canvas().DrawText(words.substr(0, 200), r, wrapped);
  EXPECT_EQ(got.Image(), want.Image());
}

// A line far wider than its cell, drawn clipped without an ellipsis, shows
// what the whole line drawn there shows, left- or right-aligned or centred,
// in either reading direction, on one line or as an edit control's first
// line; drawn from the cell's left edge where the cut cannot change what
// shows, only about what shows is laid out, and at any alignment only its
// distinct words and what shows, unless an override, a bracket or an isolate
// pairing beyond any cut, or long runs of more than one joining script are
// in it.
TEST(TCanvasEliding, ClippedLongLinesShowWhatTheWholeLineShows) {
  TestApplication();
  const String arabic = u"\u0645\u0631\u062D\u0628\u0627 \u0628\u0643\u0645 ";
  const std::vector<String>& mix = ScriptMixLines();
  struct Case {
    String unit, end;
    // Only what shows is laid out when drawn left to right, right to left
    // from the left edge; and at every alignment, left to right, right to
    // left.
    bool ltr, rtl, ltrAny, rtlAny;
    size_t length = 20000;
    String start = String();
  };
  const Case cases[] = {
      {u"corpus linguistics, 1,250 lines. ", u"end", true, false, true, true},
      {arabic, String(), false, true, true, true},
      // The painter shapes the middle that shows as two items.
      {arabic, String(), false, true, true, true, 24576},
      {u"the words ", arabic + arabic + u"(12) [3]", true, false, false, false},
      {arabic + u"(12) [" + arabic + u"] 3.5% ", String(), false, true, false, false},
      {mix[0], String(), true, false, true, true},
      {mix[3] + u" ", mix[5], true, false, false, false},
      {mix[5] + u" ", mix[3], true, false, false, false},
      // A bracket or an isolate whose other half is beyond any cut.
      {u"a line (of words ", u"end", false, false, true, true},
      {u"words ) words ", String(), false, false, true, true},
      {mix[4] + u" ", String(), false, false, false, false},
      // Latin opening and closing with neutrals, which a right-to-left
      // paragraph puts at its far ends.
      {u"(1,250) \"lines\" of text, ", String(), true, false, true, true},
      // Right-to-left letters with Latin words, digits and brackets in
      // runs of both directions, in either paragraph.
      {arabic + u"corpus 1,250 (12) [" + arabic + u"] 3.5% ", String(), false, true, true, true},
      {u"the words " + arabic + u"12 lines (" + arabic + u") ", u"end", true, false, true, true},
      {u"\u05E9\u05DC\u05D5\u05DD abc \u0661\u0662\u0663 " + arabic, String(), false, true, true, true},
      // An Arabic word opening a line of Latin: a right-to-left paragraph
      // unless the grid says otherwise.
      {u"corpus linguistics, 1,250 lines. ", String(), false, false, true, true, 20000, arabic},
      // Isolates, embeddings, overrides and marks, around words or long runs.
      {u"ab \u2067" + arabic + u"(1)\u2069 cd (ef) \u202B" + arabic + u"\u202C gh \u2068" + arabic + u"\u2069 ",
       String(), false, false, true, true},
      {arabic + u"\u2066the words 12\u2069 \u202Aabc\u202C \u200F12 \u200E(x) ", String(), false, false, true, true},
      // An override turns letters that a piece drawn alone would not.
      {u"\u202E" + arabic + u"abc 12\u202C ", String(), false, false, false, false},
      {u"\u2067" + arabic, u"\u2069 end", false, false, true, true, 9000, u"abc \u2067"},
      {u"\u2066words " , u"\u2069" + arabic, false, false, true, true, 9000, arabic + u"\u2066"},
  };
  const Cardinal aligns[] = {
      0, DT_RIGHT, DT_CENTER, DT_RTLREADING, DT_RTLREADING | DT_RIGHT, DT_RTLREADING | DT_CENTER};
  for (size_t k = 0; k < std::size(cases); ++k) {
    String text = cases[k].start;
    while (text.size() + cases[k].unit.size() <= cases[k].length) text += cases[k].unit;
    text += cases[k].end;
    for (const Cardinal align : aligns) {
      // The canvas lays a line out as a paragraph of the direction of its
      // first letter, whether or not a right-to-left line was drawn before.
      for (const Cardinal lines : {DT_SINGLELINE, DT_EDITCONTROL, DT_SINGLELINE | DT_RTLREADING}) {
        if ((lines & DT_RTLREADING) && (align & DT_RTLREADING)) continue;
        const Cardinal flags = align | (lines & ~DT_RTLREADING) | DT_NOPREFIX;
        TBitmap got(200, 20), want(200, 20);
        TRect r{10, 0, 150, 20}, aside{160, 0, 200, 20};
        if (lines & DT_RTLREADING) got.Canvas().DrawText(u"\u05D0", aside, DT_RTLREADING);
        const uint64_t before = gTextUnitsLaidOut.load();
        got.Canvas().DrawText(text, r, flags);
        const uint64_t laidOut = gTextUnitsLaidOut.load() - before;
        // The whole line, clipped by the canvas, and the right-to-left line
        // drawn after it.
        want.Canvas().SetClipRect(r);
        want.Canvas().DrawText(text, r, flags | DT_NOCLIP);
        if (lines & DT_RTLREADING) {
          want.Canvas().SetClipRect(TRect{0, 0, 200, 20});
          want.Canvas().DrawText(u"\u05D0", aside, DT_RTLREADING);
        }
        ASSERT_EQ(got.Image(), want.Image()) << "case " << k << " flags " << flags;
        const bool fromLeft = !(align & (DT_RIGHT | DT_CENTER)), rtl = (align & DT_RTLREADING) != 0;
        if ((rtl ? cases[k].rtlAny : cases[k].ltrAny) || (fromLeft && (rtl ? cases[k].rtl : cases[k].ltr))) {
          EXPECT_LT(laidOut, 5000u) << "case " << k << " flags " << flags;
        }
      }
    }
  }
}

// A long text drawn from a point, clipped by the rectangle it is given or by
// the canvas, shows what the whole text drawn there shows, and only about
// what shows is laid out when it is drawn left to right (an Arabic word
// opening it makes it a right-to-left paragraph).
TEST(TCanvasEliding, LongTextsFromAPointShowWhatTheWholeTextShows) {
  TestApplication();
  const String arabic = u"\u0645\u0631\u062D\u0628\u0627 \u0628\u0643\u0645 ";
  const String units[] = {u"corpus linguistics, 1,250 lines. ", u"the words " + arabic, ScriptMixLines()[0],
                          String(u"corpuslinguistics"), arabic + u"the words 12 "};
  for (const String& unit : units) {
    String text;
    while (text.size() < 20000) text += unit;
    for (const Int32 x : {12, -300}) {
      for (const bool byRect : {true, false}) {
        TBitmap got(200, 20), want(200, 20);
        const TRect r{10, 0, 150, 20};
        got.Canvas().SetClipRect(byRect ? TRect{0, 0, 200, 20} : r);
        const uint64_t before = gTextUnitsLaidOut.load();
        got.Canvas().ExtTextOut(x, 2, byRect ? ETO_CLIPPED : 0, r, text, 1 << 20);
        const uint64_t laidOut = gTextUnitsLaidOut.load() - before;
        want.Canvas().SetClipRect(r);
        want.Canvas().TextOut(x, 2, text);
        ASSERT_EQ(got.Image(), want.Image()) << unit.size() << " at " << x << " " << byRect;
        if (unit[0] != arabic[0]) {
          EXPECT_LT(laidOut, 5000u) << unit.size() << " at " << x << " " << byRect;
        }
      }
    }
  }
}

// Emoji, flags and the marks a font lacks come from fallback fonts, which
// Qt searches, and whose colour glyphs it decodes, each time it shapes them:
// a fit of a long line of them shapes each such cluster once, not once per
// candidate it measures, and a fit at another width shapes them no more.
TEST(TCanvasEliding, FitsShapeEachFallbackClusterOnce) {
  TestApplication();
  TBitmap b(8, 8);
  TCanvas& c = SansCanvas(b);
  const std::vector<String>& dense = DenseLines();
  for (const String& unit : {dense[dense.size() - 2], dense.back()}) {
    String s;
    while (s.size() < 2000) s += unit;
    for (const TTextFormat format : {tfEndEllipsis, tfWordEllipsis}) {
      Elided(c, s, 100, format);  // shapes the clusters once
      for (const Int32 w : {60, 150, 400}) {
        const uint64_t before = gTextUnitsLaidOut.load();
        const String shown = Elided(c, s, w, format);
        const uint64_t laidOut = gTextUnitsLaidOut.load() - before;
        // Only what lies between the clusters, a few times what shows.
        EXPECT_LE(laidOut, 4 * shown.size() + 64) << format << " width " << w << " of " << unit.size();
      }
    }
    // Word-wrapped on two lines, as a cell of the results grid is.
    TBitmap cell(400, 40);
    TRect r{0, 0, 150, 2 * cell.Canvas().TextHeight(u"Yy") + 3};
    cell.Canvas().DrawText(s, r, DT_EDITCONTROL | DT_WORDBREAK | DT_NOPREFIX | DT_END_ELLIPSIS);
    const uint64_t before = gTextUnitsLaidOut.load();
    cell.Canvas().DrawText(s, r, DT_EDITCONTROL | DT_WORDBREAK | DT_NOPREFIX | DT_END_ELLIPSIS);
    EXPECT_LE(gTextUnitsLaidOut.load() - before, 600u) << "wrapped, of " << unit.size();
  }
}

// A line of stacked marks a little too wide for the cell, whose heads no
// shorter head shows to be too wide, is cut by floors from one shaping: the
// whole line's width says where to look, and a few candidates are measured.
TEST(TCanvasEliding, StackedMarksMeasureFewCandidates) {
  TestApplication();
  TBitmap b(8, 8);
  TCanvas& c = SansCanvas(b);
  String s;
  while (s.size() < 600) s += DenseLines().back();
  s.resize(600);
  const Int32 whole = c.TextWidth(s);
  for (const Int32 w : {whole / 2, whole * 3 / 4, whole - 20}) {
    for (const TTextFormat format : {tfEndEllipsis, tfWordEllipsis}) {
      const uint64_t before = gFitMeasurements.load();
      Elided(c, s, w, format);
      EXPECT_LE(gFitMeasurements.load() - before, 12u) << format << " width " << w << " of " << whole;
    }
  }
  // Marks the font has: no cut among or after the marks over a letter that
  // the floors put beyond the cell is measured, at any width.
  String held;
  while (held.size() < 600) held += u"z\u0301\u0302\u0303a\u0304\u0305\u0306\u0307l\u0308\u0309\u030A g\u0311o\u0300 ";
  held.resize(600);
  uint64_t most = 0;
  for (Int32 w = 200; w < 260; ++w) {
    const uint64_t before = gFitMeasurements.load();
    Elided(c, held, w, tfEndEllipsis);
    most = std::max(most, gFitMeasurements.load() - before);
  }
  EXPECT_LE(most, 5u);
}

// Lines word-wrapped as the plain loop does: a paragraph that fits stays
// whole; else a line takes one word after another (blanks between them
// counting as one) while the line with the next word fits, and a word wider
// than width keeps a line of its own.
std::vector<String> WrapByWords(TCanvas& c, const String& text, Int32 width) {
  std::vector<String> paragraphs(1), lines;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r' || text[i] == u'\n') {
      if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      paragraphs.emplace_back();
    } else {
      paragraphs.back() += text[i];
    }
  }
  for (const String& p : paragraphs) {
    if (c.TextWidth(p) <= width) {
      lines.push_back(p);
      continue;
    }
    String line;
    for (size_t i = 0; i < p.size();) {
      size_t j = i;
      while (j < p.size() && p[j] != u' ') ++j;
      const String word = p.substr(i, j - i);
      const String candidate = line.empty() ? word : line + u' ' + word;
      if (!line.empty() && c.TextWidth(candidate) > width) {
        lines.push_back(line);
        line = word;
      } else {
        line = candidate;
      }
      for (i = j; i < p.size() && p[i] == u' ';) ++i;
    }
    lines.push_back(line);
  }
  return lines;
}

// Word-wrapped drawing breaks a text into the loop's lines: all of them, and
// the first two of a cell, at many widths, for the texts whose widths change
// with a cut (stacks of marks, emoji posts, flags and isolates opening a
// line, Arabic, Japanese), long words, runs of blanks and breaks between
// paragraphs, and random texts.
TEST(TCanvasEliding, WordWrapGivesWhatAddingOneWordAtATimeGives) {
  TestApplication();
  TBitmap b(8, 8);
  TCanvas& c = b.Canvas();
  const String greeting =
      u"\u0627\u0644\u0633\u0644\u0627\u0645 \u0639\u0644\u064A\u0643\u0645 \u0648\u0631\u062D\u0645\u0629 ";
  struct Case {
    const char16_t* font;
    String text;
  };
  std::vector<Case> cases;
  auto repeated = [](const String& unit, size_t length) {
    String s;
    while (s.size() < length) s += unit;
    return s;
  };
  for (const String& line : DenseLines()) cases.push_back({u"DejaVu Sans", repeated(line + u" ", 160)});
  cases.insert(cases.end(),
               {{u"DejaVu Sans", repeated(greeting, 120)},
                {u"DejaVu Sans Mono", repeated(u"\u2113\u203B \u03B1\u03B2 ab ", 80)},
                {u"DejaVu Sans", u"a " + String(70, u'x') + u" b cd " + String(40, u'y') + u" e"},
                {u"DejaVu Sans", u"  the  quick   brown fox  jumps over   the lazy dog   "},
                {u"DejaVu Sans", u"the quick brown fox jumps   "},
                {u"DejaVu Sans", u"one two three\r\nfour five six seven\reight\n\n nine  ten eleven twelve"},
                {u"DejaVu Serif", u"   "},
                {u"DejaVu Serif", String()}});
  TRandomTexts texts(9127);
  for (int k = 0; k < 40; ++k)
    cases.push_back({kShapingFonts[k % 3].name, k % 2 == 0 ? texts.Next(200) : texts.NextShaped(200)});
  for (const Case& k : cases) {
    c.Font().SetName(k.font);
    c.Font().SetSize(9);
    const Int32 full = c.TextWidth(k.text);
    std::vector<Int32> widths = {0, 1, full - 1, full, full + 1};
    for (Int32 w = 2; w < full; w += 1 + w / 12) widths.push_back(w);
    for (const Int32 w : widths) {
      if (w < 0) continue;
      const std::vector<String> lines = WrapByWords(c, k.text, w);
      ASSERT_EQ(WordWrapped(c.Font().QtFont(), k.text, w), lines) << k.text.size() << " units, width " << w;
      const std::vector<String> two(lines.begin(), lines.begin() + std::min<std::ptrdiff_t>(2, std::ssize(lines)));
      ASSERT_EQ(WordWrapped(c.Font().QtFont(), k.text, w, 2), two) << k.text.size() << " units, cell width " << w;
    }
  }
}

// With DT_BREAKWITHINWORDS a text without blanks keeps to the width: Thai
// breaks between its words, Chinese between its characters but never before
// a closing mark, a path anywhere; the lines hold the whole text.
TEST(TCanvasEliding, BreakingWithinWordsKeepsToTheWidth) {
  TestApplication();
  TBitmap b(10, 10);
  TCanvas& c = SansCanvas(b);
  String thai, path = u"/home/researcher/corpora";
  std::vector<size_t> words;
  for (int k = 0; k < 40; ++k) words.push_back((thai += std::vector<String>{u"ภาษา", u"ศาสตร์", u"ข้อมูล", u"การ", u"ศึกษา"}[k % 5]).size());
  while (path.size() < 300) path += u"/section_of_texts";
  const String chinese = u"语料库语言学研究大量真实文本中的语言现象，通过词表、索引行和搭配等方法，揭示词语的用法与意义。";
  const std::pair<String, std::function<bool(size_t)>> cases[] = {
      {thai, [&](size_t at) { return std::count(words.begin(), words.end(), at) > 0; }},
      {chinese, [&](size_t at) { return String(u"，、。").find(chinese[at]) == String::npos; }},
      {path, [](size_t) { return true; }}};
  for (const auto& [text, mayEndAt] : cases) {
    for (const Int32 width : {80, 121, 333}) {  // from one that holds the widest word
      const std::vector<String> lines = WordWrapped(c.Font().QtFont(), text, width, SIZE_MAX, true);
      ASSERT_GT(lines.size(), 1u);
      String joined;
      for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_LE(c.TextWidth(lines[i]), width) << width << " line " << i;
        joined += lines[i];
        EXPECT_TRUE(i + 1 == lines.size() || mayEndAt(joined.size())) << width << " line " << i;
      }
      EXPECT_EQ(joined, text);
      TRect r{0, 0, width, 0};
      EXPECT_EQ(c.DrawText(text, r, DT_WORDBREAK | DT_BREAKWITHINWORDS | DT_CALCRECT), lines.size() * c.TextHeight(u"Yy"));
    }
  }
}

// A run with no place to break, alone or after words, is broken into the
// longest lines that fit: each line but the last is too wide with the next
// character, and DT_CALCRECT gives the widest line's width. Letters, Arabic
// (whose letters change form where they are cut), letters under marks.
TEST(TCanvasEliding, ARunIsBrokenIntoTheLongestLinesThatFit) {
  TestApplication();
  TBitmap b(10, 10);
  TCanvas& c = SansCanvas(b);
  String letters, arabic, marked;
  while (letters.size() < 3000) letters += u"QWxhZGRpbjpvcGVuIHNlc2FtZQ0123456789";
  while (arabic.size() < 3000) arabic += u"\u0627\u0644\u0643\u0644\u0645\u0627\u062A";
  while (marked.size() < 3000) marked += u"a\u0301e\u0302\u0303o";
  const auto printing = [](const String& s) {
    String r;
    for (const Char ch : s)
      if (ch != u' ') r += ch;
    return r;
  };
  for (const String& text : {letters, u"a few words before " + letters, arabic, marked}) {
    for (const Int32 width : {80, 333}) {
      const std::vector<String> lines = WordWrapped(c.Font().QtFont(), text, width, SIZE_MAX, true);
      String joined;
      Int32 widest = 0;
      for (size_t i = 0, at = 0; i < lines.size(); ++i) {
        const Int32 w = c.TextWidth(lines[i]);
        widest = std::max(widest, w);
        EXPECT_LE(w, width) << width << " line " << i;
        joined += lines[i];
        at = text.find(lines[i], at) + lines[i].size();
        // A line broken inside the run is too wide with the next line's
        // first character and its marks.
        if (i + 1 == lines.size() || text[at] == u' ') continue;
        size_t k = 1;
        while (k < lines[i + 1].size() && lines[i + 1][k] >= 0x300 && lines[i + 1][k] < 0x370) ++k;
        EXPECT_GT(c.TextWidth(lines[i] + lines[i + 1].substr(0, k)), width) << width << " line " << i;
      }
      EXPECT_EQ(printing(joined), printing(text)) << width;
      TRect r{0, 0, width, 0};
      c.DrawText(text, r, DT_WORDBREAK | DT_BREAKWITHINWORDS | DT_CALCRECT);
      EXPECT_EQ(r.Right, widest) << width;
    }
  }
}

// A cell word-wrapped on two lines lays out a few times what it shows, not
// a line's worth for each word of a line: a long line of letters under
// stacks of marks, and one of Latin words.
TEST(TCanvasEliding, WrappedCellsLayOutAboutWhatShows) {
  TestApplication();
  TBitmap b(700, 40);
  TCanvas& c = SansCanvas(b);
  const Int32 lh = c.TextHeight(u"Yy");
  // Marks that DejaVu Sans holds, so that each line is shaped whole.
  const String stacks =
      u"z\u0301\u0302\u0303a\u0304\u0306\u0307l\u0308\u030A\u030Bg\u030C\u0300\u0301o\u0302\u0303\u0304 "
      u"t\u0306\u0307\u0308e\u030A\u030B\u030Cx\u0300\u0301t\u0302\u0303\u0304\u0306 ";
  for (const String& unit : {stacks, String(u"the quick brown fox jumps over the lazy dog ")}) {
    String s;
    while (s.size() < 2000) s += unit;
    s.resize(2000);
    for (const Int32 w : {300, 600}) {
      const std::vector<String> lines = WrapByWords(c, s, w);
      const size_t shown = lines[0].size() + lines[1].size();
      TRect r{0, 0, w, 2 * lh + 3};
      const uint64_t units = gTextUnitsLaidOut.load(), measured = gFitMeasurements.load();
      c.DrawText(s, r, DT_EDITCONTROL | DT_WORDBREAK | DT_NOPREFIX | DT_END_ELLIPSIS);
      EXPECT_LE(gTextUnitsLaidOut.load() - units, 4 * shown + 200) << unit.size() << " width " << w;
      EXPECT_LE(gFitMeasurements.load() - measured, 10u) << unit.size() << " width " << w;
    }
  }
}

// A bare name of characters outside the Basic Multilingual Plane keeps its
// pairs whole at every width, in all three ellipses and through DrawText.
TEST(TCanvasEliding, PairsStayWhole) {
  TestApplication();
  TBitmap b(8, 8);
  TCanvas& c = b.Canvas();
  String name;
  for (int k = 0; k < 9; ++k) name += k % 4 == 3 ? String(u"a") : String(u"\U0001D400");
  for (Int32 w = 0; w <= c.TextWidth(name) + 2; ++w) {
    for (TTextFormat how : {tfEndEllipsis, tfWordEllipsis, tfPathEllipsis})
      EXPECT_FALSE(HasHalfAPair(Elided(c, name, w, how))) << how << " width " << w;
  }
  EXPECT_EQ(Elided(c, u"\U0001D400\U0001D400", 0, tfPathEllipsis), kDots);
  EXPECT_EQ(Elided(c, u"\U0001D400\U0001D400", 0, tfEndEllipsis), kDots);
}

}  // namespace
}  // namespace sk
