// The drawing helpers: colour sets and colour checks, text measured and
// fitted, shapes, axes and gradients checked pixel by pixel on bitmaps,
// timeline periods, copies between canvases, metafiles painted back, and icon
// files read from bytes made here (whole, cut short, cursors).
#include <gtest/gtest.h>

#include <QtGui/QImage>
#include <QtGui/QPainter>
#include <QtSvg/QSvgRenderer>

#include "DrawingTestSupport.h"
#include "RandomTexts.h"
#include "platform/runtime/Colors.h"
#include "platform/visual/Graphics_shaping.h"
#include "platform/visual/StandardControls.h"
#include "services/Clipboard_utils.h"
#include "ui/Graphics_utilities.h"

namespace sk {
namespace {

constexpr TColor kRed = 0x0000FF;
constexpr TColor kBlue = 0xFF0000;

TEST(Graphics_utilities, ColourSets) {
  const TMyCanvasColourRec bog = BogStandardColours();
  EXPECT_EQ(bog.arr[tsc_window], clWindow);
  EXPECT_EQ(bog.arr[tsc_windowtext], clWindowText);
  EXPECT_EQ(bog.arr[tsc_highlighttext], clHighlightText);
  EXPECT_EQ(bog.arr[tsc_gradientInActive], clGradientInactiveCaption);
  EXPECT_FALSE(UnassignedColours(bog));

  const TMyCanvasColourRec search = StyleSearchColours();
  EXPECT_EQ(search.arr[tsc_window], clWindowText);
  EXPECT_EQ(search.arr[tsc_windowtext], clWindow);
  EXPECT_EQ(search.arr[tsc_highlight], clHighlightText);
  EXPECT_EQ(search.arr[tsc_highlighttext], clHighlight);
  EXPECT_EQ(search.arr[tsc_Btnface], clBtnFace);
  EXPECT_EQ(search.arr[tsc_gradientActive], clGradientActiveCaption);
  EXPECT_EQ(BogStandardColoursAndTypeface().typeface, 0);
  EXPECT_EQ(StyleSearchColoursAndTypeface().typeface, 1u << fsBold);
  EXPECT_TRUE(StyleSearchColoursAndTypeface().colourset.arr == search.arr);

  struct Case {
    TColor window, text, highlight, highlightText;
    bool unassigned;
  } cases[] = {
      {0, 0, 0, 0, true},  // a set never filled
      {clWhite, clBlack, clNavy, clWhite, false},
      {clWhite, clWhite, clNavy, clYellow, true},
      {clWhite, clBlack, clNavy, clNavy, true},
  };
  for (const Case& c : cases) {
    TMyCanvasColourRec set{};
    set.arr[tsc_window] = c.window;
    set.arr[tsc_windowtext] = c.text;
    set.arr[tsc_highlight] = c.highlight;
    set.arr[tsc_highlighttext] = c.highlightText;
    set.arr[tsc_Btnface] = clRed;
    EXPECT_EQ(UnassignedColours(set), c.unassigned);
    const TMyCanvasColourRec before = set;
    EnsureColoursOK(set);
    if (c.unassigned) {
      EXPECT_TRUE(set.arr == bog.arr);
    } else {
      EXPECT_TRUE(set.arr == before.arr);  // a usable set is left alone
    }
  }
}

TEST(Graphics_utilities, ColourChecks) {
  EXPECT_EQ(ForcedValidColour(clNone, clRed), clRed);
  EXPECT_EQ(ForcedValidColour(clBlack, clRed), clBlack);
  EXPECT_EQ(ForcedValidColour(clWindow, clRed), clWindow);
  struct {
    TColor c;
    bool blackIsBad, ok;
  } checks[] = {{clNone, false, false}, {clNone, true, false}, {0, false, true},
                {0, true, false},       {clRed, true, true},   {clWindow, true, true}};
  for (const auto& k : checks) EXPECT_EQ(IsOKColour(k.c, k.blackIsBad), k.ok) << k.c;

  EXPECT_EQ(MyColourToRGB(0x123456), 0x123456);
  EXPECT_EQ(MyColourToRGB(clNone), clNone);  // positive: left as it is
  EXPECT_EQ(MyColourToRGB(clHighlight), GetSysColor(13));
  EXPECT_EQ(MyColourToRGB(clWindowText), GetSysColor(8));

  const TColourFontRec hm = StandardColourFontRec(true, true, 1u << fsItalic);
  EXPECT_EQ(hm.BrushColour, clBlack);
  EXPECT_EQ(hm.FontColour, clWhite);
  EXPECT_EQ(hm.typeface, 1u << fsItalic);
  const TColourFontRec h = StandardColourFontRec(true, false, 0);
  EXPECT_EQ(h.BrushColour, ColorToRGB(clHighlight));
  EXPECT_EQ(h.FontColour, ColorToRGB(clHighlightText));
  const TColourFontRec m = StandardColourFontRec(false, true, 0);
  EXPECT_EQ(m.BrushColour, clWhite);
  EXPECT_EQ(m.FontColour, clBlack);
  const TColourFontRec n = StandardColourFontRec(false, false, 0);
  EXPECT_EQ(n.BrushColour, ColorToRGB(clWindow));
  EXPECT_EQ(n.FontColour, ColorToRGB(clWindowText));
  EXPECT_EQ(GetABrushColour(true), ColorToRGB(clHighlight));
  EXPECT_EQ(GetAFontColour(false), ColorToRGB(clWindowText));

  const TForegroundBackGroundColours none = ClNoneColours();
  EXPECT_EQ(none[fb_foregound], clNone);
  EXPECT_EQ(none[fb_background], clNone);
  const TForegroundBackGroundColours fb = ForeBackColours(clRed, clBlue);
  EXPECT_EQ(fb[fb_foregound], clRed);
  EXPECT_EQ(fb[fb_background], clBlue);

  auto b = WhiteBitmap(4, 4);
  SetACanvasToColour(b->Canvas(), true);
  b->Canvas().Font().SetName(u"DejaVu Sans");
  b->Canvas().Font().SetSize(11);
  b->Canvas().Font().SetStyle(1u << fsBold);
  const TCanvasSettings s = GetCanvasSettings(b->Canvas());
  EXPECT_EQ(s.fontname, u"DejaVu Sans");
  EXPECT_EQ(s.fontsize, 11);
  EXPECT_EQ(s.fontstyles, 1u << fsBold);
  EXPECT_EQ(s.brushcolour, ColorToRGB(clHighlight));
  EXPECT_EQ(s.fontcolour, ColorToRGB(clHighlightText));
}

// A pixel height at which the canvas's text is exactly h high; 0 when none.
Int32 HeightGiving(TCanvas& c, Int32 h) {
  for (Int32 px = 1; px < 60; ++px) {
    c.Font().SetHeight(-px);
    if (c.TextHeight(u"Xy") == h) return px;
  }
  return 0;
}

TEST(Graphics_utilities, HeightPlusAnEighth) {
  auto b = WhiteBitmap(4, 4);
  TCanvas& c = b->Canvas();
  struct {
    Int32 height, expected;
  } cases[] = {{16, 18}, {7, 7}, {8, 9}, {24, 27}};
  for (const auto& k : cases) {
    if (HeightGiving(c, k.height) == 0) continue;  // the font has no such size
    EXPECT_EQ(HeightOfAStringPlusOneThird(c, u"Xy"), k.expected) << k.height;
  }
  c.Font().SetHeight(-12);
  const TSize plain = CanvasPixelWidthAndHeight(u"a b  c", c);
  EXPECT_EQ(plain.cx, c.TextWidth(u"a b  c"));
  EXPECT_EQ(plain.cy, c.TextHeight(u"a b  c"));
  EXPECT_EQ(CanvasPixelWidthAndHeight(u"a b  c", c, true).cx, plain.cx + 3);
  EXPECT_EQ(CanvasPixelWidthAndHeight(u"a b  c", c, false).cx, plain.cx);
}

TEST(Graphics_utilities, ShrunkToFit) {
  auto b = WhiteBitmap(4, 4);
  TCanvas& c = b->Canvas();
  const Int32 m = c.TextWidth(u"M");
  const String text = u"The quick brown fox jumps over the lazy dog";
  // Fits: unchanged.
  EXPECT_EQ(ShrunkToFit(text, c, c.TextWidth(text) + m + 1), text);
  // Narrower: shortened in the middle, with the ellipsis where the cut was.
  const Int32 width = c.TextWidth(text) / 2;
  const String shrunk = ShrunkToFit(text, c, width);
  EXPECT_LT(c.TextWidth(shrunk), width);
  ASSERT_NE(shrunk.find(u'\u2026'), String::npos);
  EXPECT_EQ(shrunk.substr(0, 5), u"The q");
  EXPECT_EQ(shrunk.substr(shrunk.size() - 5), u"y dog");
  const size_t dot = shrunk.find(u'\u2026');
  EXPECT_EQ(text.substr(0, dot), shrunk.substr(0, dot));

  // Never fits: stops once shorter than four, still with the ellipsis.
  // 10 - 3 - 3 = 4 still counts as long enough, so one character is left.
  EXPECT_EQ(ShrunkToFit(u"abcdefghij", c, 0), u"a\u2026");
  EXPECT_EQ(ShrunkToFit(u"abcdefghi", c, 0), u"ab\u2026i");

  // Short texts that do not fit get the ellipsis in the middle.
  EXPECT_EQ(ShrunkToFit(u"abc", c, 0), u"a\u2026bc");
  EXPECT_EQ(ShrunkToFit(u"ab", c, 0), u"a\u2026b");
  EXPECT_EQ(ShrunkToFit(u"", c, 0), u"\u2026");

  // Surrogate pairs (here U+1F600) are never cut, whatever the width.
  String faces;
  for (int k = 0; k < 12; ++k) faces += k % 3 == 0 ? String(u"x") : String(u"\U0001F600");
  for (Int32 w = 0; w < c.TextWidth(faces) + 2 * m; w += 3) {
    const String r = ShrunkToFit(faces, c, w);
    EXPECT_FALSE(HasHalfAPair(r)) << w;
  }
  EXPECT_FALSE(HasHalfAPair(ShrunkToFit(u"\U0001F600x", c, 0)));
}

// The shrinking as it is stated: cut three units at length div 2 (widened to
// keep pairs whole) and measure again, until narrow enough or shorter than
// four; the ellipsis goes where the last cut was.
String ShrunkByCuttingThreeAtATime(const String& s, TCanvas& canvas, Int32 width) {
  const Int32 limit = width - canvas.TextWidth(u"M");
  if (canvas.TextWidth(s) < limit) return s;
  auto splits = [](const String& r, size_t i) {
    return i > 0 && i < r.size() && r[i] >= 0xDC00 && r[i] <= 0xDFFF && r[i - 1] >= 0xD800 && r[i - 1] <= 0xDBFF;
  };
  String r = s;
  size_t cut = String::npos;
  while (r.size() >= 4 && canvas.TextWidth(r) >= limit) {
    size_t start = r.size() / 2 - 1;
    size_t end = start + 3;
    if (splits(r, start)) --start;
    if (splits(r, end)) ++end;
    r.erase(start, end - start);
    cut = start;
  }
  if (cut == String::npos) {
    cut = r.size() / 2;
    if (splits(r, cut)) --cut;
  }
  r.insert(r.begin() + static_cast<std::ptrdiff_t>(cut), u'\u2026');
  return r;
}

TEST(Graphics_utilities, ShrunkToFitGivesWhatCuttingThreeAtATimeGives) {
  auto b = WhiteBitmap(4, 4);
  TCanvas& c = b->Canvas();
  TRandomTexts texts(1187);
  for (int n = 0; n < 300; ++n) {
    const String s = texts.Next(2000);
    // Widths from none to a little more than the whole text needs, and the
    // edges where the text just fits or just does not; no width at all (cut
    // down to fewer than four) for the shorter texts.
    const Int32 full = c.TextWidth(s) + c.TextWidth(u"M");
    for (const Int32 w : {texts.Width(full + 4), texts.Width(std::min(full, 400)), full, full + 1, 0}) {
      if (w == 0 && s.size() > 300) continue;
      const String got = ShrunkToFit(s, c, w);
      ASSERT_EQ(got, ShrunkByCuttingThreeAtATime(s, c, w)) << "text " << n << " of " << s.size() << ", width " << w;
      EXPECT_FALSE(HasHalfAPair(got) && !HasHalfAPair(s)) << n;
    }
  }
}

// Cutting three characters out of Arabic changes the forms of the letters
// left beside the cut, so a step can leave the text wider than the one
// before: a search for the first narrow step missed it at these widths
// (vocalised, and with a joiner and tatweel). A Latin message holding Arabic
// is swept over every width.
TEST(Graphics_utilities, ShrunkToFitOfJoinedTextGivesWhatCuttingThreeAtATimeGives) {
  auto b = WhiteBitmap(4, 4);
  TCanvas& c = b->Canvas();
  const String greeting =
      u"\u0627\u0644\u0633\u0644\u0627\u0645 \u0639\u0644\u064A\u0643\u0645 \u0648\u0631\u062D\u0645\u0629 "
      u"\u0627\u0644\u0644\u0647 \u0648\u0628\u0631\u0643\u0627\u062A\u0647";
  const struct {
    String text;
    Int32 width;  // -1: every width up to the text's own
  } cases[] = {
      {u" \u0626\u064B\u0651\u0623\u0645\u0649\u062C\u0649\u062C\u0632\u064C\u064B \u0644", 34},
      {u" \u0625\u0636\u0640\u064B\u0651\u200D\u063B\u0632\u0625\u0634\u064B\u0637\u0639\u063D\u0642\u0628\u0639\u0637"
       u"\u0632\u0644\u063C\u0639\u064C \u0635\u0643",
       56},
      {u"Status: " + greeting + u" and the rest of the message", -1},
  };
  for (const auto& k : cases) {
    const Int32 from = k.width >= 0 ? k.width : 0, to = k.width >= 0 ? k.width : c.TextWidth(k.text) + 20;
    for (Int32 w = from; w <= to; ++w)
      ASSERT_EQ(ShrunkToFit(k.text, c, w), ShrunkByCuttingThreeAtATime(k.text, c, w)) << "width " << w;
  }
}

// Texts whose characters change width with a cut (NextShaped) in three
// fonts, and a few lines at every width.
TEST(Graphics_utilities, ShrunkToFitOfTextsThatChangeWithACutGivesWhatCuttingThreeAtATimeGives) {
  auto b = WhiteBitmap(4, 4);
  TCanvas& c = b->Canvas();
  TRandomTexts texts(2113);
  for (int n = 0; n < 180; ++n) {
    c.Font().SetName(kShapingFonts[n % 3].name);
    c.Font().SetSize(kShapingFonts[n % 3].points);
    const String s = texts.NextShaped(600);
    const Int32 full = c.TextWidth(s) + c.TextWidth(u"M");
    for (const Int32 w : {texts.Width(full + 4), texts.Width(std::min(full, 400)), texts.Width(100), full, full + 1})
      ASSERT_EQ(ShrunkToFit(s, c, w), ShrunkByCuttingThreeAtATime(s, c, w))
          << "text " << n << " of " << s.size() << ", width " << w;
  }
  const char16_t* const mono = u"DejaVu Sans Mono";
  std::vector<std::pair<const char16_t*, String>> lines = {
      {mono, u"\u300C\u4E2D\u6587\u300D\u3001\u6F22\u5B57\uFF0C\u3000\u30AB\u30FC\u30C9\u3002\u2113\u4E00\u300D"},
      {mono, u"\u2113\u203B \u03B1\u03B2 \u2113\u2113 ab \u2113\u203B \u0434\u2113 \u2113"},
      {u"DejaVu Sans", u"a\u00ADffable words in a line of tex\u00ADt"}};
  // ℓ, which DejaVu Sans Mono lacks, is narrower after Greek than after Latin
  // or with no script around it: a cut that takes away the Greek before or
  // after a run of them can leave the shorter text the wider.
  for (size_t run = 1; run <= 10; ++run) {
    const String ells(run, u'\u2113');
    lines.insert(lines.end(), {{mono, ells + u"\u03B1\u03B2\u2113\u2113\u2113\u2113\u2113\u2113"},
                               {mono, ells + u"\u03B1\u03B2\u03B3\u03B4abcdefghijkl"},
                               {mono, u"abcdefgh\u03B1\u03B2\u03B3\u03B4" + ells + u"\u2113\u2113\u2113\u2113\u2113"}});
  }
  for (const String& line : ScriptMixLines()) lines.push_back({u"DejaVu Sans", line});
  // Embeddings and isolates long enough that a cut inside them turns the rest.
  const String arabic = u"\u0627\u0644\u0633\u0644\u0627\u0645 \u0639\u0644\u064A\u0643\u0645 (\u0648\u0631\u062D\u0645\u0629) 12";
  lines.push_back({u"DejaVu Sans", u"ab \u2067" + arabic + u"\u2069 cd (ef) \u202B" + arabic + u"\u202C gh \u2068" + arabic});
  for (const auto& [font, text] : lines) {
    c.Font().SetName(font);
    c.Font().SetSize(9);
    for (Int32 w = 0; w <= c.TextWidth(text) + 20; ++w)
      ASSERT_EQ(ShrunkToFit(text, c, w), ShrunkByCuttingThreeAtATime(text, c, w)) << text.size() << " width " << w;
  }
}

// One fit measures a few candidates exactly, whatever the scripts of the text
// and however long it is: lines of 2,000 units shrunk and cut with each
// ellipsis, and cells of 200,000 shrunk and drawn cut at their end.
TEST(Graphics_utilities, FitsMeasureFewCandidatesWhateverTheText) {
  auto b = WhiteBitmap(4, 4);
  TCanvas& c = b->Canvas();
  constexpr uint64_t kMost = 48;
  for (size_t i = 0; i < ScriptMixLines().size(); ++i) {
    const String& line = ScriptMixLines()[i];
    for (const size_t length : {size_t{2000}, size_t{200000}}) {
      String s;
      while (s.size() < length) s += line + u' ';
      s.resize(length);
      if (HasHalfAPair(s)) s.back() = u' ';
      for (const Int32 w : {60, 150, 400}) {
        auto count = [&](const char* what, auto fit, int format = 0) {
          const uint64_t before = gFitMeasurements.load();
          fit();
          const uint64_t taken = gFitMeasurements.load() - before;
          EXPECT_LE(taken, kMost) << what << " " << format << " of line " << i << ", " << length << " units at " << w;
        };
        count("cell", [&] {
          TRect r{0, 0, w, 40};
          c.DrawText(s, r, DT_EDITCONTROL | DT_NOPREFIX | DT_END_ELLIPSIS);
        });
        count("shrunk", [&] { ShrunkToFit(s, c, w); });
        if (length > 2000) continue;
        for (const TTextFormat format : {tfEndEllipsis, tfWordEllipsis, tfPathEllipsis})
          count(
              "ellipsis",
              [&] {
                TRect r{0, 0, w, 20};
                String shown = s;
                c.TextRect(r, shown, format | tfModifyString | tfCalcRect);
              },
              static_cast<int>(format));
      }
    }
  }
}

// Shrinking a long post of emoji shapes each emoji once for all the steps it
// measures, and again at another width not at all: only the pieces beside
// the cuts are laid out anew.
TEST(Graphics_utilities, ShrunkToFitShapesEachFallbackClusterOnce) {
  auto b = WhiteBitmap(4, 4);
  TCanvas& c = b->Canvas();
  c.Font().SetName(u"DejaVu Sans");
  c.Font().SetSize(9);
  const std::vector<String>& dense = DenseLines();
  for (const String& unit : {dense[dense.size() - 2]}) {
    String s;
    while (s.size() < 2000) s += unit;
    ShrunkToFit(s, c, 100);  // shapes the clusters once
    for (const Int32 w : {60, 150, 400}) {
      const uint64_t before = gTextUnitsLaidOut.load();
      const String shown = ShrunkToFit(s, c, w);
      const uint64_t laidOut = gTextUnitsLaidOut.load() - before;
      EXPECT_LE(laidOut, 4 * shown.size() + 64) << "width " << w << " of " << unit.size();
    }
  }
}

TEST(Graphics_utilities, ComputedFontSizeToSuitRect) {
  auto b = WhiteBitmap(4, 4);
  TCanvas& c = b->Canvas();
  const String text = u"Line one\nLine two";
  Int32 size = 40;
  bool fits = false;
  TRect r;
  for (int guard = 0; guard < 60 && !fits; ++guard) {
    r = Rect(0, 0, 200, 0);
    size = ComputedFontSizeToSuitRect(c, r, fits, text, size, 40, 4);
  }
  ASSERT_TRUE(fits);
  EXPECT_LT(r.Bottom - r.Top, 40);
  EXPECT_EQ(c.Font().Size(), size);
  // One size larger would not have fitted.
  TRect larger = Rect(0, 0, 200, 0);
  bool largerFits = true;
  EXPECT_EQ(ComputedFontSizeToSuitRect(c, larger, largerFits, text, size + 1, 40, 4), size);
  EXPECT_FALSE(largerFits);
  // At the minimum size the answer fits whatever the height.
  TRect tiny = Rect(0, 0, 10, 0);
  EXPECT_EQ(ComputedFontSizeToSuitRect(c, tiny, fits, text, 4, 1, 4), 4);
  EXPECT_TRUE(fits);
}

TEST(Graphics_utilities, FontMappingAndPngPixelSizes) {
  struct {
    Int32 points, height;
  } heights[] = {{0, 0}, {1, -3}, {9, -31}, {10, -35}, {72, -254}};
  for (const auto& k : heights) EXPECT_EQ(MapFontHeight(k.points), k.height) << k.points;
  struct {
    Int32 height, points;
  } sizes[] = {{0, 0}, {3, 0}, {4, 1}, {254, 72}, {-31, -8}};
  for (const auto& k : sizes) EXPECT_EQ(MapFontSize(k.height), k.points) << k.height;

  struct {
    Int32 type, depth, bits;
    Int64 pixels, bytes;
  } png[] = {
      {0, 1, 1, 9, 2},    {0, 8, 8, 3, 3},     {3, 4, 4, 3, 2},   {2, 8, 24, 2, 6},   {2, 16, 48, 2, 12},
      {4, 8, 16, 5, 10},  {6, 8, 32, 3, 12},   {6, 16, 64, 1, 8}, {1, 8, 0, 10, 0},   {5, 8, 0, 10, 0},
  };
  for (const auto& k : png) {
    EXPECT_EQ(BitsForPixel(k.type, k.depth), k.bits) << k.type << "/" << k.depth;
    EXPECT_EQ(BytesForPixels(k.pixels, k.type, k.depth), k.bytes) << k.type << "/" << k.depth;
  }
}

TEST(Graphics_utilities, TimelinePeriods) {
  struct {
    Int32 i;
    Double w;
    TOneTimePeriodRec r;
  } cases[] = {
      {0, 10.4, {1, 10, 10}},  {1, 10.4, {11, 21, 10}}, {1, 2.5, {3, 5, 2}},  // halves go to even
      {2, 3.5, {8, 10, 4}},    {0, 0.0, {1, 0, 0}},
  };
  for (const auto& k : cases) {
    const TOneTimePeriodRec r = PeriodRec(k.i, k.w);
    EXPECT_EQ(r.Left, k.r.Left) << k.i << " " << k.w;
    EXPECT_EQ(r.Right, k.r.Right) << k.i << " " << k.w;
    EXPECT_EQ(r.Width, k.r.Width) << k.i << " " << k.w;
  }
  EXPECT_DOUBLE_EQ(PeriodPxWidth(Rect(10, 0, 110, 5), 4), 25.0);
  EXPECT_DOUBLE_EQ(PeriodPxWidth(Rect(10, 0, 110, 5), 0), 100.0);
  EXPECT_DOUBLE_EQ(PeriodPxWidth(Rect(10, 0, 110, 5), -3), 100.0);
}

TEST(Graphics_utilities, CrownPositions) {
  const TPoint c = Point(50, 50);
  struct {
    Int32 i, n;
    TPoint p;
  } cases[] = {
      {0, 4, {50, 60}}, {1, 4, {62, 50}}, {2, 4, {50, 40}}, {3, 4, {38, 50}},  // odd points reach 6/5 further
      {0, 0, {50, 50}}, {3, -2, {50, 50}},                                      // no points: the centre
  };
  for (const auto& k : cases) EXPECT_EQ(CrownPos(k.i, k.n, 10, c), k.p) << k.i << " of " << k.n;
}

TEST(Graphics_utilities, TrianglesPointTheirWay) {
  struct Case {
    T4Directions d;
    std::vector<TPoint> corners;
    TPoint inside, outside;
  } cases[] = {
      {t4d_left, {{2, 7}, {12, 2}, {12, 12}}, {10, 7}, {3, 3}},
      {t4d_right, {{2, 2}, {2, 12}, {12, 7}}, {4, 7}, {11, 3}},
      {t4d_up_top, {{12, 12}, {2, 12}, {7, 2}}, {7, 10}, {3, 3}},
      {t4d_down_bottom, {{2, 2}, {12, 2}, {7, 12}}, {7, 4}, {3, 11}},
  };
  for (const Case& k : cases) {
    auto b = WhiteBitmap(16, 16);
    b->Canvas().Brush().SetColor(kBlue);
    DrawATriangle(b->Canvas(), kRed, Rect(2, 2, 12, 12), k.d);
    SaveShot(*b, "triangle_" + std::to_string(k.d));
    // Each corner is outlined (the canvas may leave out the last pixel of a
    // closing edge, so its neighbours count too).
    for (const TPoint& p : k.corners) {
      int red = 0;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) red += PixelAt(*b, p.X + dx, p.Y + dy) == kRed;
      EXPECT_GE(red, 2) << int(k.d) << " corner " << p.X << "," << p.Y;
    }
    // Nothing outside the rectangle's pixels.
    EXPECT_EQ(CountNot(b->Image(), Rect(13, 0, 16, 16), clWhite), 0) << int(k.d);
    EXPECT_EQ(CountNot(b->Image(), Rect(0, 13, 16, 16), clWhite), 0) << int(k.d);
    EXPECT_EQ(CountNot(b->Image(), Rect(0, 0, 2, 16), clWhite), 0) << int(k.d);
    EXPECT_EQ(PixelAt(*b, k.inside.X, k.inside.Y), kBlue) << int(k.d);
    EXPECT_EQ(PixelAt(*b, k.outside.X, k.outside.Y), clWhite) << int(k.d);
  }
  // The computed triangle sits in a square as wide as "a", a from the right.
  auto b = WhiteBitmap(60, 30);
  TCanvas& c = b->Canvas();
  c.Brush().SetColor(kRed);
  const Int32 a = c.TextWidth(u"a");
  ComputeTriangleAndDrawit(c, kRed, Rect(0, 0, 60, 30), t4d_down_bottom);
  const Int32 top = (30 - a) / 2;
  EXPECT_EQ(PixelAt(*b, 60 - 2 * a, top), kRed);
  EXPECT_EQ(PixelAt(*b, 60 - a, top), kRed);
  EXPECT_EQ(PixelAt(*b, 60 - a + 1, top), clWhite);
  EXPECT_EQ(PixelAt(*b, 60 - 2 * a - 1, top), clWhite);
  EXPECT_EQ(PixelAt(*b, 60 - 2 * a + a / 2, top + a), kRed);
}

TEST(Graphics_utilities, CirclesAndBookmarks) {
  auto b = WhiteBitmap(80, 20);
  TCanvas& c = b->Canvas();
  const Int32 d = c.TextWidth(u"a");
  ASSERT_GE(d, 4);
  DrawACircle(c, kRed, Point(10, 10));
  EXPECT_EQ(PixelAt(*b, 10, 10), kRed);
  EXPECT_EQ(PixelAt(*b, 10 + d, 10), clWhite);
  EXPECT_EQ(PixelAt(*b, 10 - d, 10), clWhite);

  // Slot 2 of 4 across 80 pixels: centred at x = Round(20 × 1.5) = 30.
  auto slotted = WhiteBitmap(80, 20);
  ComputeCircleAndDrawit(slotted->Canvas(), kBlue, 2, 4, Rect(0, 0, 80, 20));
  EXPECT_EQ(PixelAt(*slotted, 30, 10), kBlue);
  EXPECT_EQ(PixelAt(*slotted, 10, 10), clWhite);
  EXPECT_EQ(PixelAt(*slotted, 50, 10), clWhite);
  // No slotted: nothing drawn.
  auto none = WhiteBitmap(80, 20);
  ComputeCircleAndDrawit(none->Canvas(), kBlue, 1, 0, Rect(0, 0, 80, 20));
  ComputeCircleAndDrawit(none->Canvas(), kBlue, 1, -1, Rect(0, 0, 80, 20));
  EXPECT_EQ(CountNot(none->Image(), Rect(0, 0, 80, 20), clWhite), 0);

  // The bookmark: a highlight disc over its rectangle, the number on it.
  auto mark = WhiteBitmap(24, 24);
  DrawABookmark(mark->Canvas(), Rect(2, 2, 22, 22), 7);
  SaveShot(*mark, "bookmark_disc");
  const TColor hi = ColorToRGB(clHighlight), hiText = ColorToRGB(clHighlightText);
  EXPECT_EQ(PixelAt(*mark, 4, 12), hi);
  EXPECT_EQ(PixelAt(*mark, 12, 4), hi);
  EXPECT_EQ(PixelAt(*mark, 2, 2), clWhite);
  EXPECT_EQ(PixelAt(*mark, 21, 21), clWhite);
  EXPECT_EQ(PixelAt(*mark, 22, 12), clWhite);
  // The number is drawn over the middle of the disc.
  EXPECT_NE(hi, hiText);
  EXPECT_GT(CountNot(mark->Image(), Rect(7, 6, 17, 18), hi), 0);
  EXPECT_EQ(mark->Canvas().Font().Size(), 7);
}

TEST(Graphics_utilities, AxisTicks) {
  auto b = WhiteBitmap(80, 80);
  TCanvas& c = b->Canvas();
  const Int32 t = c.TextWidth(u"m");
  c.Pen().SetColor(clBlack);
  DrawLineWithIndentations(c, 40, 10, 40, 50, 4, 100, String(), String(), false);
  SaveShot(*b, "axis_vertical");
  for (Int32 y : {10, 20, 30, 40}) {
    EXPECT_EQ(PixelAt(*b, 40 + t - 1, y), clBlack) << y;
    EXPECT_EQ(PixelAt(*b, 40 + t, y), clWhite) << y;  // the tick leaves out its end
  }
  EXPECT_EQ(PixelAt(*b, 41, 25), clWhite);
  EXPECT_EQ(PixelAt(*b, 40, 49), clBlack);
  EXPECT_EQ(PixelAt(*b, 41, 50), clWhite);  // no tick at the far end

  auto mirrored = WhiteBitmap(80, 80);
  DrawLineWithIndentations(mirrored->Canvas(), 40, 10, 40, 50, 4, 100, u"label", u"%.0f", true);
  EXPECT_EQ(PixelAt(*mirrored, 40 - t + 1, 20), clBlack);
  EXPECT_EQ(PixelAt(*mirrored, 40 - t - 1, 20), clWhite);
  EXPECT_EQ(PixelAt(*mirrored, 41, 20), clWhite);
  // Tick values stay on the left even when mirrored; the label does not show.
  EXPECT_EQ(CountNot(mirrored->Image(), Rect(0, 0, 80, 9), clWhite), 0);

  auto horizontal = WhiteBitmap(80, 80);
  DrawLineWithIndentations(horizontal->Canvas(), 10, 0, 50, 40, 4, 100, String(), String(), false);
  // Ticks rise t pixels above the axis (the canvas may draw an upward
  // line's end point as well).
  for (Int32 x : {10, 20, 30, 40, 50}) {
    EXPECT_EQ(PixelAt(*horizontal, x, 40 - t + 1), clBlack) << x;
    EXPECT_EQ(PixelAt(*horizontal, x, 40 - t - 1), clWhite) << x;
  }
  EXPECT_EQ(PixelAt(*horizontal, 25, 39), clWhite);
  auto hMirrored = WhiteBitmap(80, 80);
  DrawLineWithIndentations(hMirrored->Canvas(), 10, 0, 50, 40, 4, 100, String(), String(), true);
  EXPECT_EQ(PixelAt(*hMirrored, 30, 40 + t - 1), clBlack);
  EXPECT_EQ(PixelAt(*hMirrored, 30, 39), clWhite);

  // Labels: tick values left of a vertical axis, the label above its start.
  auto labelled = WhiteBitmap(80, 80);
  DrawLineWithIndentations(labelled->Canvas(), 40, 20, 40, 60, 2, 100, u"N", u"%.0f", false);
  SaveShot(*labelled, "axis_labelled");
  EXPECT_GT(CountNot(labelled->Image(), Rect(0, 20, 39, 36), clWhite), 0);
  EXPECT_GT(CountNot(labelled->Image(), Rect(0, 0, 39, 19), clWhite), 0);
  EXPECT_EQ(CountNot(labelled->Image(), Rect(41 + t, 0, 80, 80), clWhite), 0);

  // No ticks: the line alone. A format that does not suit the values draws
  // no values, and nothing fails.
  auto bare = WhiteBitmap(80, 80);
  DrawLineWithIndentations(bare->Canvas(), 40, 10, 40, 50, 0, 100, String(), u"%.0f", false);
  DrawLineWithIndentations(bare->Canvas(), 10, 0, 50, 70, -1, 100, String(), u"%.0f", false);
  EXPECT_EQ(CountNot(bare->Image(), Rect(0, 0, 40, 70), clWhite), 0);
  EXPECT_EQ(CountNot(bare->Image(), Rect(41, 0, 80, 70), clWhite), 0);
  EXPECT_EQ(CountOf(bare->Image(), Rect(40, 10, 41, 50), clBlack), 40);
  EXPECT_EQ(CountOf(bare->Image(), Rect(10, 70, 50, 71), clBlack), 40);
  auto wrongFormat = WhiteBitmap(80, 80);
  DrawLineWithIndentations(wrongFormat->Canvas(), 40, 10, 40, 50, 4, 100, String(), u"%d", false);
  EXPECT_EQ(CountNot(wrongFormat->Image(), Rect(0, 0, 39, 80), clWhite), 0);

  auto untouched = WhiteBitmap(10, 10);
  DrawHistogramLines(untouched->Canvas(), {1.0f, 5.0f, 2.0f}, Rect(0, 0, 10, 10));
  EXPECT_EQ(CountNot(untouched->Image(), Rect(0, 0, 10, 10), clWhite), 0);
}

TColor RGBOf(int r, int g, int b) { return static_cast<TColor>(r | (g << 8) | (b << 16)); }

TEST(Graphics_utilities, GradientBands) {
  // 1000 steps over 50 rows: one band per row, each one step further.
  auto b = WhiteBitmap(6, 50);
  MyDrawGradient(b->Canvas(), RGBOf(0, 0, 0), RGBOf(49, 98, 0), 1000, Rect(0, 0, 6, 50), false);
  SaveShot(*b, "gradient_rows");
  for (int y = 0; y < 50; ++y) {
    EXPECT_EQ(PixelAt(*b, 0, y), RGBOf(y, 2 * y, 0)) << y;
    EXPECT_EQ(PixelAt(*b, 5, y), RGBOf(y, 2 * y, 0)) << y;
  }
  // Across, and with the bottom above the top.
  auto across = WhiteBitmap(20, 4);
  MyDrawGradient(across->Canvas(), RGBOf(0, 0, 0), RGBOf(0, 0, 19), 100, Rect(0, 4, 20, 0), true);
  for (int x = 0; x < 20; ++x) EXPECT_EQ(PixelAt(*across, x, 2), RGBOf(0, 0, x)) << x;

  // Fewer steps than pixels: the first and last colours exact at the edges.
  auto wide = WhiteBitmap(10, 37);
  const TColor c1 = 0x123456, c2 = 0xABCDEF;
  MyDrawGradient(wide->Canvas(), c1, c2, 5, Rect(0, 0, 10, 37), false);
  EXPECT_EQ(PixelAt(*wide, 3, 0), c1);
  EXPECT_EQ(PixelAt(*wide, 3, 36), c2);
  EXPECT_EQ(CountNot(wide->Image(), Rect(0, 0, 10, 37), clWhite), 370);  // no gaps

  // Nothing for a rectangle without height; one colour when the other is none.
  auto flat = WhiteBitmap(10, 10);
  MyDrawGradient(flat->Canvas(), kRed, kBlue, 10, Rect(0, 5, 10, 5), false);
  EXPECT_EQ(CountNot(flat->Image(), Rect(0, 0, 10, 10), clWhite), 0);
  MyDrawGradient(flat->Canvas(), clNone, kBlue, 10, Rect(0, 0, 5, 10), false);
  MyDrawGradient(flat->Canvas(), kRed, clNone, 10, Rect(5, 0, 10, 10), false);
  EXPECT_EQ(CountOf(flat->Image(), Rect(0, 0, 5, 10), kBlue), 50);
  EXPECT_EQ(CountOf(flat->Image(), Rect(5, 0, 10, 10), kRed), 50);
  auto neither = WhiteBitmap(10, 10);
  MyDrawGradient(neither->Canvas(), clNone, clNone, 10, Rect(0, 0, 10, 10), false);
  EXPECT_EQ(CountNot(neither->Image(), Rect(0, 0, 10, 10), clWhite), 0);

  // The style's gradient: its light colour on top, its button face below.
  auto style = WhiteBitmap(8, 40);
  DrawAGradientOnRect(style->Canvas(), Rect(0, 0, 8, 40));
  SaveShot(*style, "gradient_style");
  EXPECT_EQ(PixelAt(*style, 4, 0), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(PixelAt(*style, 4, 39), ColorToRGB(clBtnFace));
}

// Leftmost and rightmost columns holding a pixel other than white; -1 when none.
std::pair<int, int> InkColumns(TBitmap& b) {
  const QImage& img = b.Image();
  int lo = -1, hi = -1;
  for (int x = 0; x < img.width(); ++x)
    for (int y = 0; y < img.height(); ++y)
      if (PixelOf(img, x, y) != clWhite) {
        if (lo < 0) lo = x;
        hi = x;
        break;
      }
  return {lo, hi};
}

TEST(Graphics_utilities, FileNamesAndClippedText) {
  auto b = WhiteBitmap(200, 20);
  TCanvas& c = b->Canvas();
  c.Brush().SetColor(clWhite);
  c.Font().SetColor(clBlack);
  PutStringAsFilename(Rect(0, 0, 200, 20), c, u"name.txt");
  const Int32 w = c.TextWidth(u"name.txt");
  const auto [lo, hi] = InkColumns(*b);
  EXPECT_GE(lo, 200 - 4 - w);
  EXPECT_LE(hi, 200 - 4);
  EXPECT_GT(hi, 200 - 4 - w / 2);

  // A path too long for the rectangle starts 4 pixels in and stays inside.
  auto narrow = WhiteBitmap(200, 20);
  narrow->Canvas().Brush().SetColor(clWhite);
  narrow->Canvas().Font().SetColor(clBlack);
  PutStringAsFilename(Rect(0, 0, 90, 20), narrow->Canvas(), u"/home/someone/documents/corpora/english/novels/emma.txt");
  SaveShot(*narrow, "file_name_path_ellipsis");
  const auto [nlo, nhi] = InkColumns(*narrow);
  EXPECT_GE(nlo, 4);
  EXPECT_LT(nhi, 90);
  EXPECT_LT(nlo, 8);

  auto clipped = WhiteBitmap(60, 40);
  clipped->Canvas().Font().SetColor(clBlack);
  clipped->Canvas().Brush().SetStyle(bsClear);
  DrawTextClippedToARect(clipped->Canvas(), Rect(10, 0, 40, 40), 0, 12, u"MMMMMMMM");
  EXPECT_FALSE(clipped->Canvas().HasClipRegion());
  const QImage& img = clipped->Image();
  EXPECT_EQ(CountNot(img, Rect(0, 0, 10, 40), clWhite), 0);
  EXPECT_EQ(CountNot(img, Rect(40, 0, 60, 40), clWhite), 0);
  EXPECT_EQ(CountNot(img, Rect(0, 0, 60, 12), clWhite), 0);
  EXPECT_GT(CountNot(img, Rect(10, 12, 40, 40), clWhite), 0);
}

TEST(Graphics_utilities, CopiesBetweenCanvasesAndBitmaps) {
  auto source = WhiteBitmap(20, 20);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) source->Canvas().SetPixel(x, y, RGBOf(x * 10, y * 10, (x + y) % 7 * 30));
  TBitmap part;
  CopyARegionOfCanvasToABitmap(5, 3, 8, 6, part, source->Canvas());
  ASSERT_EQ(part.Width(), 8);
  ASSERT_EQ(part.Height(), 6);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(PixelAt(part, x, y), PixelAt(*source, x + 5, y + 3)) << x << "," << y;

  auto target = WhiteBitmap(30, 30);
  target->Canvas().SetCopyMode(cmSrcInvert);
  CopyABitmapToARegionOfCanvas(Rect(10, 12, 15, 16), part, target->Canvas());
  EXPECT_EQ(target->Canvas().CopyMode(), cmSrcInvert);  // the canvas's mode comes back
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(PixelAt(*target, 10 + x, 12 + y), PixelAt(part, x, y));
  EXPECT_EQ(PixelAt(*target, 15, 12), clWhite);
  EXPECT_EQ(PixelAt(*target, 10, 16), clWhite);
}

class Graphics_utilitiesFiles : public ScratchFolderTest {
 protected:
  Graphics_utilitiesFiles() : ScratchFolderTest("sk_graphics") {}
  void SetUp() override {
    ScratchFolderTest::SetUp();
    TestApplication();
  }
};

TEST_F(Graphics_utilitiesFiles, MetafileOfAnImagePaintsBackAsTheBitmap) {
  TImage image(nullptr);
  TBitmap& bmp = image.Picture().Bitmap();
  bmp.SetSize(24, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 24; ++x) bmp.Canvas().SetPixel(x, y, RGBOf(x * 10, y * 15, ((x / 4 + y / 4) % 2) * 255));
  const String file = File("picture.svg");
  ASSERT_TRUE(ConvertBitmapToWindowsMetafileAndSave(image, file));
  const std::string svg = ReadRaw("picture.svg");
  ASSERT_NE(svg.find("<svg"), std::string::npos);

  QSvgRenderer renderer(QByteArray::fromStdString(svg));
  ASSERT_TRUE(renderer.isValid());
  EXPECT_EQ(renderer.viewBox(), QRect(0, 0, 24, 16));
  QImage back(24, 16, QImage::Format_RGB32);
  back.fill(Qt::white);
  {
    QPainter p(&back);
    renderer.render(&p, QRectF(0, 0, 24, 16));
  }
  SaveShot(back, "metafile_painted_back");
  int wrong = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 24; ++x)
      if (PixelOf(back, x, y) != PixelAt(bmp, x, y)) ++wrong;
  EXPECT_EQ(wrong, 0);

  // The metafile in memory: the bitmap's size, and drawn back onto a canvas.
  const auto mf = ConvertBitmapToWindowsMetafile(bmp);
  EXPECT_EQ(mf->Width(), 24);
  EXPECT_EQ(mf->Height(), 16);
  auto target = WhiteBitmap(24, 16);
  target->Canvas().Draw(0, 0, *mf);
  EXPECT_EQ(PixelAt(*target, 3, 3), PixelAt(bmp, 3, 3));
  EXPECT_EQ(PixelAt(*target, 20, 12), PixelAt(bmp, 20, 12));

  // On the clipboard as SVG, where the clipboard routines find it.
  ASSERT_TRUE(mf->CopyToClipboard());
  ASSERT_TRUE(CopyClipBoardMetafileToFile(File("from_clipboard.svg")));
  EXPECT_EQ(ReadRaw("from_clipboard.svg"), std::string(mf->SvgData().begin(), mf->SvgData().end()));

  // An image without a picture gives an empty metafile and writes nothing.
  TImage empty(nullptr);
  EXPECT_TRUE(ConvertBitmapToWindowsMetafile(empty)->Empty());
  EXPECT_FALSE(ConvertBitmapToWindowsMetafileAndSave(empty, File("none.svg")));
  EXPECT_FALSE(FileExists(File("none.svg")));
  EXPECT_FALSE(ConvertBitmapToWindowsMetafileAndSave(image, File("no/such/folder/x.svg")));
}

TEST_F(Graphics_utilitiesFiles, IconSizesFromTheDirectory) {
  const std::string several = MakeIconFile({{16, kRed}, {32, kBlue}, {48, clLime, 8}, {256, clYellow}});
  WriteRaw("several.ico", several);
  // Counted 5 entries, but the file ends inside the second.
  WriteRaw("short.ico", several.substr(0, 6 + 16 + 10));
  WriteRaw("header_only.ico", several.substr(0, 5));
  std::string overcounted = MakeIconFile({{16, kRed}, {32, kBlue}}).substr(0, 6 + 32);
  overcounted[4] = static_cast<char>(0xFF);
  overcounted[5] = static_cast<char>(0xFF);
  WriteRaw("overcounted.ico", overcounted);
  WriteRaw("cursor.cur", MakeIconFile({{32, kRed}}, 2));
  WriteRaw("empty.ico", "");
  const std::vector<Int32> wanted = {16, 32, 48, 256};
  struct Case {
    const char* file;
    Int32 bits;
    std::vector<Int32> wanted, found;
  } cases[] = {
      {"several.ico", 32, wanted, {16, 32, 256}},
      {"several.ico", 8, wanted, {48}},
      {"several.ico", 24, wanted, {}},
      {"several.ico", 32, {256, 16}, {16, 256}},  // 256 only for the entry whose width byte is 0
      {"several.ico", 32, {32}, {32}},
      {"several.ico", 32, {0, 16}, {16}},
      {"short.ico", 32, wanted, {16}},
      {"header_only.ico", 32, wanted, {}},
      {"overcounted.ico", 32, wanted, {16, 32}},
      {"cursor.cur", 32, wanted, {}},
      {"empty.ico", 32, wanted, {}},
      {"missing.ico", 32, wanted, {}},
  };
  for (const Case& k : cases)
    EXPECT_EQ(IconsizesInAnIconfile(File(k.file), k.bits, k.wanted), k.found) << k.file << " at " << k.bits;
  EXPECT_TRUE(IconsizesInAnIconfile(Utf8ToString(fDir), 32, wanted).empty());  // a folder

  EXPECT_TRUE(DimensionIsInArrayOfValidIconSizes(32, {16, 32}));
  EXPECT_FALSE(DimensionIsInArrayOfValidIconSizes(24, {16, 32}));
  EXPECT_FALSE(DimensionIsInArrayOfValidIconSizes(16, {}));
}

TEST_F(Graphics_utilitiesFiles, ImageListWrittenAsOneStrip) {
  WriteRaw("a.ico", MakeIconFile({{16, clYellow}, {32, kRed}}));
  WriteRaw("b.ico", MakeIconFile({{32, kBlue}}));
  WriteRaw("c.ico", MakeIconFile({{16, clLime}}));
  WriteRaw("broken.ico", "not an icon at all");
  const std::vector<T2StringAndIntArray> files = {
      {File("a.ico"), u"first", {16, 32}},
      {File("gone.ico"), u"missing", {32}},
      {File("b.ico"), u"second", {32}},
      {File("c.ico"), u"too small", {16}},
      {File("broken.ico"), u"broken", {32}},
  };
  const String out = File("strip.png");
  EXPECT_EQ(SaveImageListFromListOfIconFiles(files, 32, out), (std::vector<Int32>{0, 2}));
  QImage strip;
  ASSERT_TRUE(strip.load(QString::fromStdString(Path("strip.png")), "PNG"));
  SaveShot(strip, "image_list_strip");
  EXPECT_EQ(strip.size(), QSize(64, 32));
  EXPECT_EQ(PixelOf(strip, 5, 5), kRed);
  EXPECT_EQ(PixelOf(strip, 31, 31), kRed);
  EXPECT_EQ(PixelOf(strip, 32, 0), kBlue);
  EXPECT_EQ(PixelOf(strip, 63, 31), kBlue);

  // Nothing suits: no file, no indexes.
  EXPECT_TRUE(SaveImageListFromListOfIconFiles(files, 24, File("none.png")).empty());
  EXPECT_FALSE(FileExists(File("none.png")));
  EXPECT_TRUE(SaveImageListFromListOfIconFiles(files, 0, File("none.png")).empty());
  // A file that cannot be written gives no indexes either.
  EXPECT_TRUE(SaveImageListFromListOfIconFiles(files, 32, File("no/folder/strip.png")).empty());
}

}  // namespace
}  // namespace sk
