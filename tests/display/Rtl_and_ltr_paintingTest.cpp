// The text drawer: its geometry helpers, search-word hits, and cells painted
// into images (hit colours, custom, monochrome and below-threshold colours,
// strike-out, right-to-left places and shaping, concordance wrapping).
#include <gtest/gtest.h>

#include <functional>

#include <QtGui/QImage>
#include <QtGui/QPainter>

#include "DisplayTestSupport.h"
#include "core/Qm_global_vars.h"
#include "display/Language_utils.h"
#include "display/Rtl_and_ltr_painting.h"
#include "platform/visual/Graphics_shaping.h"
#include "platform/visual/QtConvert.h"

namespace sk {
namespace {

constexpr TColor kWhite = 0xFFFFFF;
constexpr TColor kBlack = 0x000000;
constexpr TColor kRed = 0x0000FF;
constexpr TColor kGreen = 0x00FF00;
constexpr TColor kYellow = 0x00FFFF;

TForegroundBackGroundColours Pair(TColor fore, TColor back) {
  TForegroundBackGroundColours c;
  c[fb_foregound] = fore;
  c[fb_background] = back;
  return c;
}

// Black on white, no cell colours.
const TForegroundBackGroundColours kBlackOnWhite = Pair(kBlack, kWhite);
const TForegroundBackGroundColours kNone = Pair(clNone, clNone);

// Sets the process colours the drawer reads for one test.
struct ScopedColours {
  ScopedColours() {
    Global_Colours.arr[tsc_highlight] = 0x800000;
    Global_Colours.arr[tsc_highlighttext] = kWhite;
    Global_Colour_highlights[hc_highlightBrush] = kYellow;
    Global_Colour_highlights[hc_highlightText] = kRed;
  }
  ~ScopedColours() {
    Global_Colours = {};
    Global_Colour_highlights = {};
  }
};

TEST(Rtl_and_ltr_painting, FreeHelpersGiveFlagsMarginsAndCentres) {
  EXPECT_EQ(GetMyTextFlags(bdRightToLeft), 132u);
  EXPECT_EQ(GetMyTextFlags(bdLeftToRight), 4u);
  EXPECT_EQ(GetMyDisplayMargins(7, true), 7);
  EXPECT_EQ(GetMyDisplayMargins(7, false), 0);
  const TPoint tall = ComputedRectDeadCentre(Rect(10, 20, 110, 60), 15);
  EXPECT_EQ(tall.X, 60);
  EXPECT_EQ(tall.Y, 20 + (40 - 15) / 2);
  EXPECT_EQ(ComputedRectDeadCentre(Rect(10, 20, 110, 40), 15).Y, 20);  // under two lines high
  auto b = WhiteCell(10, 10);
  EXPECT_EQ(ComputedTextDisplacement(b->Canvas(), 0), 0);
  EXPECT_EQ(ComputedTextDisplacement(b->Canvas(), 3), 3 * b->Canvas().TextWidth(u"n"));
  EXPECT_EQ(TMyTextDrawer::DefaultRectPlace(Rect(1, 2, 3, 4), bdRightToLeft).X, 3);
  EXPECT_EQ(TMyTextDrawer::DefaultRectPlace(Rect(1, 2, 3, 4), bdLeftToRight).X, 1);
}

TEST(Rtl_and_ltr_painting, PlacesOfLinesStayInsideTheCellInBothDirections) {
  TMyTextDrawer d;
  d.edge_margin = 4;
  const TRect r = Rect(100, 0, 300, 20);
  struct Case {
    TBiDiMode dir;
    TQMAlignment a;
    Int32 x;
  } cases[] = {
      {bdLeftToRight, aligned_centre, 100 + (200 - 50) / 2},
      {bdRightToLeft, aligned_centre, 300 - (200 - 50) / 2},
      {bdLeftToRight, aligned_right, 300 - 4 - 50},
      {bdLeftToRight, aligned_default, 104},
      // A right-to-left line starts at its right end: with the default
      // alignment it ends at the left margin.
      {bdRightToLeft, aligned_default, 104 + 50},
      {bdRightToLeft, aligned_right, 296},
      {bdRightToLeft, aligned_plotting, 296},
  };
  for (const Case& c : cases) {
    d.BaseDirection = c.dir;
    EXPECT_EQ(d.GetPlaceXForLineWidth(r, 50, c.a), c.x) << int(c.dir) << " " << int(c.a);
  }
}

TEST(Rtl_and_ltr_painting, NextWordFitsAgainstTheMarginOfItsDirection) {
  TMyTextDrawer d;
  d.edge_margin = 5;
  TWordChunkList l(TColourFontRec{}, kNone, wcl_Clusters, {});
  l.AddOtherString(u"ab");
  const_cast<TPaintWordChunk&>(l.Chunk(0)).pixel_width = 20;
  const TRect r = Rect(0, 0, 100, 20);
  EXPECT_EQ(d.NextWordFitsOK(75, 0, l, r), nw_fits_OK);
  EXPECT_EQ(d.NextWordFitsOK(76, 0, l, r), nw_wont_fit);
  EXPECT_EQ(d.NextWordFitsOK(0, 1, l, r), nw_done_all);
  l.BaseDirection = bdRightToLeft;
  EXPECT_EQ(d.NextWordFitsOK(25, 0, l, r), nw_fits_OK);
  EXPECT_EQ(d.NextWordFitsOK(24, 0, l, r), nw_wont_fit);
}

TEST(Rtl_and_ltr_painting, SearchColourPairsRepeatEveryFive) {
  const TMyCanvasColourRec c = SearchFoundColoursFromNumber(7);
  EXPECT_EQ(c.arr[tsc_window], 0x800080u);
  EXPECT_EQ(c.arr[tsc_windowtext], 0xFFFFFFu);
  EXPECT_EQ(c.arr[tsc_highlight], 0xFFFFFFu);
  EXPECT_EQ(c.arr[tsc_highlighttext], 0x800080u);
  EXPECT_EQ(c.arr[tsc_Btnface], 0u);
  EXPECT_EQ(SearchFoundColoursFromNumber(-3).arr[tsc_window], 0x800000u);
  EXPECT_EQ(SearchFoundColoursFromNumber(1).arr[tsc_windowtext], 0xF0FBFFu);
  const TMyCanvasColourRecAndTypeface t = SearchFoundColoursAndFontStyleFromNumber(3);
  EXPECT_EQ(t.colourset.arr[tsc_window], 0x000080u);
  EXPECT_EQ(t.typeface, 1u << fsBold);
}

TEST(Rtl_and_ltr_painting, BoundedSearchWordsAreFoundOnlyAsWholeWords) {
  TSearchWordItems items;
  TQMSearchWordRec rec{};
  rec.typed_in_text = rec.search_text = u"cat";
  rec.flags = TMSSearchFlags{msLeftBounded, msRightBounded};
  items.AddSW(rec);
  struct Case {
    String text;
    std::vector<std::pair<Int32, Int32>> hits;
  } cases[] = {
      {u"concatenate", {}},
      {u"Cat, CAT", {{1, 4}, {6, 9}}},
      {u"cats cat", {{6, 9}}},
      {u"", {}},
  };
  for (const Case& c : cases) {
    auto hits = FindBoundedSWPositionsInString(&items, c.text);
    ASSERT_EQ(hits->Count(), static_cast<Int32>(c.hits.size()));
    for (Int32 i = 0; i < hits->Count(); ++i) {
      EXPECT_EQ(LoInt64(hits->GetAValue(i)), c.hits[i].first);
      EXPECT_EQ(HiInt64(hits->GetAValue(i)), c.hits[i].second);
    }
  }
  // Case-sensitive words match their case only; hits of several words come
  // sorted.
  rec.typed_in_text = rec.search_text = u"Dog";
  rec.flags = TMSSearchFlags{msCaseIsSensitive};
  items.AddSW(rec);
  auto hits = FindBoundedSWPositionsInString(&items, u"dog Dog cat");
  ASSERT_EQ(hits->Count(), 2);
  EXPECT_EQ(LoInt64(hits->GetAValue(0)), 5);
  EXPECT_EQ(LoInt64(hits->GetAValue(1)), 9);

  TMyTextDrawer d;
  EXPECT_FALSE(d.LineContainsAnySearchWords(u"a cat"));
  d.AssignOtherSWList(&items);
  EXPECT_TRUE(d.LineContainsAnySearchWords(u"a cat"));
  EXPECT_EQ(d.IndexOfASearch(rec), 1);
  d.AssignOtherSWList(nullptr);
  d.AddASearchRequest(String());
  EXPECT_EQ(d.Searchlist()->Count(), 0);
  d.AddSearches(&items);
  d.AddSearches(&items);
  EXPECT_EQ(d.Searchlist()->Count(), 2);
  d.ClearOneSearch(rec);
  EXPECT_EQ(d.Searchlist()->Count(), 1);
  EXPECT_EQ(d.fSearchlist->ColunaPraProcura, 1);
}

TEST(Rtl_and_ltr_painting, ADeletedEntryIsStruckOutWhateverItsStyles) {
  auto b = WhiteCell(10, 10);
  TMyTextDrawer d;
  TPaintWordChunk chunk;
  chunk.colourAndFont = TColourFontRec{kWhite, kRed, static_cast<TFontStyles>(1u << fsBold | 1u << fsItalic)};
  d.SetMainFontFaceDeleted(true);
  EXPECT_TRUE(d.GetBaseTypeface() & (1u << fsStrikeOut));
  d.SetColoursAndTypeForWord(chunk, b->Canvas());
  EXPECT_EQ(b->Canvas().Font().Style(), 1u << fsStrikeOut);
  d.SetMainFontFaceDeleted(false);
  EXPECT_FALSE(d.GetBaseTypeface() & (1u << fsStrikeOut));
  d.SetColoursAndTypeForWord(chunk, b->Canvas());
  EXPECT_EQ(b->Canvas().Font().Style(), chunk.colourAndFont.typeface);
  EXPECT_EQ(b->Canvas().Font().Color(), kRed);
}

TEST(Rtl_and_ltr_painting, HitsOfALongerTextArePaintedInTheHighlightColours) {
  ScopedColours colours;
  auto b = WhiteCell(200, 20);
  TMyTextDrawer d;
  TQMInt64List hits;
  hits.AddOne(MakeHitInt64(5, 8));
  const Int32 h = d.DrawAChunkofTextStringGrid(u"the cat sat", b->Canvas(), Rect(0, 0, 200, 20), kEnglishLcid,
                                               aligned_default, kBlackOnWhite, kNone, false, false, &hits);
  EXPECT_EQ(h, b->Canvas().TextHeight(u"yTTG") + 2);
  // Chunks are placed by their own widths.
  const Int32 catX = b->Canvas().TextWidth(u"the") + b->Canvas().TextWidth(u" ");
  const Int32 catW = b->Canvas().TextWidth(u"cat");
  EXPECT_GT(CountColourIn(*b, Rect(catX, 0, catX + catW, 20), kYellow), 0);
  // Red text on yellow: pixels with much red and little green.
  int reddish = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = catX; x < catX + catW; ++x) {
      const TColor c = b->Canvas().Pixel(x, y);
      if ((c & 0xFF) > 200 && ((c >> 8) & 0xFF) < 128) ++reddish;
    }
  EXPECT_GT(reddish, 5);
  EXPECT_EQ(CountColourIn(*b, Rect(0, 0, catX, 20), kYellow), 0);
  EXPECT_EQ(CountColourIn(*b, Rect(catX + catW, 0, 200, 20), kYellow), 0);
  EXPECT_EQ(d.DrawAChunkofTextStringGrid(String(), b->Canvas(), Rect(0, 0, 200, 20), kEnglishLcid, aligned_default,
                                         kBlackOnWhite, kNone, false, false, nullptr),
            0);
}

TEST(Rtl_and_ltr_painting, MonochromeHighlightedCellsAreWhiteOnBlackAndGreyingColoursTheText) {
  ScopedColours colours;
  struct Case {
    bool mono;
    bool highlighted;
    Byte threshold;
    TColor brush;
    TColor ink;  // a colour the text must show
  } cases[] = {
      {true, true, 0, kBlack, kWhite},
      {true, false, 0, kWhite, kBlack},
      {false, true, 0, 0x800000, kWhite},  // the style's highlight colours, whatever the chunk's
      {false, false, 1, kYellow, kGreen},
      {false, false, 2, kYellow, kRed},
  };
  for (const Case& c : cases) {
    auto b = WhiteCell(120, 20);
    TMyTextDrawer d;
    d.SetMonochrome(c.mono);
    d.HighlightCell = c.highlighted;
    d.CurrentSortThreshold = c.threshold;
    d.below_threshold_colour = kGreen;
    d.show_greyed_Colour = kRed;
    d.DrawAChunkofTextStringGrid(u"HMMH", b->Canvas(), Rect(0, 0, 120, 20), kEnglishLcid, aligned_default,
                                 Pair(0x00AA00, kYellow), kNone, false, false, nullptr);
    const TRect text = Rect(0, 0, b->Canvas().TextWidth(u"HMMH"), b->Canvas().TextHeight(u"H"));
    EXPECT_GT(CountColourIn(*b, text, c.brush), 0) << int(c.mono) << int(c.highlighted) << int(c.threshold);
    EXPECT_GT(CountColourIn(*b, text, c.ink), 0) << int(c.mono) << int(c.highlighted) << int(c.threshold);
  }
}

TEST(Rtl_and_ltr_painting, CustomCellColoursPaintTheWordsOfACluster) {
  ScopedColours colours;
  auto b = WhiteCell(200, 20);
  TMyTextDrawer d;
  const TRect r = Rect(0, 0, 200, 20);
  d.DrawClusterText({}, tag_after_word, {}, Tokens({u"HM", u"MH"}), b->Canvas(), kEnglishLcid, r, Pair(kRed, kYellow),
                    0, false, false, pra_screen);
  EXPECT_GT(CountColourIn(*b, r, kRed), 5);
  // Without cell colours the words are in the window text colour.
  auto plain = WhiteCell(200, 20);
  d.DrawClusterText({}, tag_after_word, {}, Tokens({u"HM", u"MH"}), plain->Canvas(), kEnglishLcid, r, kNone, 0,
                    false, false, pra_screen);
  EXPECT_EQ(CountColourIn(*plain, r, kRed), 0);
  EXPECT_GT(CountNotColourIn(*plain, r, kWhite), 20);
}

// The largest share (per cent) of the columns between the leftmost and the
// rightmost ink that one row inks.
int WidestInkedRow(TBitmap& b) {
  int lo = b.Width(), hi = -1;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      if (b.Canvas().Pixel(x, y) != kWhite) {
        lo = std::min(lo, x);
        hi = std::max(hi, x);
      }
  if (hi < lo) return 0;
  int best = 0;
  for (int y = 0; y < b.Height(); ++y) {
    int n = 0;
    for (int x = lo; x <= hi; ++x)
      if (b.Canvas().Pixel(x, y) != kWhite) ++n;
    best = std::max(best, n * 100 / (hi - lo + 1));
  }
  return best;
}

TEST(Rtl_and_ltr_painting, DeletedEntriesArePaintedStruckOut) {
  int runs[2];
  for (const bool deleted : {false, true}) {
    auto b = WhiteCell(120, 20);
    TMyTextDrawer d;
    d.SetMainFontFaceDeleted(deleted);
    d.DrawAChunkofTextStringGrid(u"l.l.l.l.l", b->Canvas(), Rect(0, 0, 120, 20), kEnglishLcid, aligned_default,
                                 kBlackOnWhite, kNone, false, false, nullptr);
    runs[deleted] = WidestInkedRow(*b);
  }
  EXPECT_LT(runs[0], 75);
  EXPECT_GT(runs[1], 85);
}

TEST(Rtl_and_ltr_painting, ARightToLeftLineKeepsItsLatinRunInOrderAtTheSavedPlaces) {
  auto b = WhiteCell(300, 20);
  TMyTextDrawer d;
  d.JustMeasuring = true;
  d.SavingChunks = true;
  const TRect r = Rect(0, 0, 300, 20);
  d.DrawAChunkofTextStringGrid(u"\u05E9\u05DC\u05D5\u05DD abc def \u05E2\u05D5\u05DC\u05DD", b->Canvas(), r,
                               kHebrewLcid, aligned_default, kBlackOnWhite, kNone, false, false, nullptr);
  EXPECT_EQ(CountNotColourIn(*b, r, kWhite), 0);  // measuring paints nothing
  ASSERT_EQ(d.SavedChunks.size(), 7u);
  const std::vector<String> order{u"\u05E9\u05DC\u05D5\u05DD", u" ", u"def", u" ", u"abc", u" ",
                                  u"\u05E2\u05D5\u05DC\u05DD"};
  Int32 x = r.Right;  // right to left from the right edge
  for (size_t i = 0; i < order.size(); ++i) {
    EXPECT_EQ(d.SavedChunks[i].w, order[i]) << i;
    EXPECT_EQ(d.SavedChunks[i].place.X, x) << i;
    EXPECT_EQ(d.SavedChunks[i].place.Y, 0);
    x -= b->Canvas().TextWidth(order[i]);
  }
}

TEST(Rtl_and_ltr_painting, AnArabicWordIsPaintedAsQtShapesIt) {
  const String word = u"\u0645\u0631\u062D\u0628\u0627";  // joined letters
  auto b = WhiteCell(160, 20);
  const TRect r = Rect(0, 0, 160, 20);
  TMyTextDrawer d;
  d.DrawAChunkofTextStringGrid(word, b->Canvas(), r, kArabicLcid, aligned_default, kBlackOnWhite, kNone, false,
                               false, nullptr);
  EXPECT_GT(CountNotColourIn(*b, r, kWhite), 20);
  QImage expected(160, 20, QImage::Format_RGB32);
  expected.fill(Qt::white);
  {
    QPainter p(&expected);
    p.setFont(b->Canvas().Font().QtFont());
    p.setPen(Qt::black);
    p.setLayoutDirection(Qt::RightToLeft);
    const Int32 w = b->Canvas().TextWidth(word);
    p.drawText(QPoint(160 - w, b->Canvas().Font().Metrics().ascent()), ToQString(word));
  }
  EXPECT_TRUE(expected == b->Image().convertToFormat(QImage::Format_RGB32));
  // The canvas is left aligned as it was for whatever paints next.
  EXPECT_EQ(b->Canvas().TextAlign(), TA_LEFT);
}

// A cell of a long text paints as the same cell of its first 20,000 units
// (with the text's last word kept, which may be of the other direction), and
// measures only the chunks near what shows, whatever the text's length.
TEST(Rtl_and_ltr_painting, ALongTextPaintsAsItsHeadAndMeasuresOnlyWhatShows) {
  const String latin = u"corpus linguistics, 1,250 lines. ";
  const String arabic = u"\u0645\u0631\u062D\u0628\u0627 \u0628\u0643\u0645 DNA ";
  const String hebrew = u"the \u05E9\u05DC\u05D5\u05DD \u05E2\u05D5\u05DC\u05DD \u05D0\u05D1 said ";
  struct Case {
    String unit, tail;
    Cardinal lcid;
    TQMAlignment alignment;
    bool wrap;
    Int32 height;
  };
  const Case cases[] = {
      {latin, u"end", kEnglishLcid, aligned_default, false, 20},
      {latin, u" \u05E9\u05DC\u05D5\u05DD", kEnglishLcid, aligned_default, true, 60},
      {arabic, u"", kArabicLcid, aligned_default, true, 60},
      {arabic, u"", kArabicLcid, aligned_centre, false, 20},
      {hebrew, u"", kEnglishLcid, aligned_centre, true, 60},
      {hebrew, u"", kHebrewLcid, aligned_right, true, 60},
  };
  for (size_t k = 0; k < std::size(cases); ++k) {
    const Case& c = cases[k];
    String text;
    while (text.size() < 200000) text += c.unit;
    text += c.tail;
    auto paint = [&](const String& s) {
      auto b = WhiteCell(300, c.height);
      TMyTextDrawer d;
      const Int32 h = d.DrawAChunkofTextStringGrid(s, b->Canvas(), Rect(0, 0, 300, c.height), c.lcid, c.alignment,
                                                   kBlackOnWhite, kNone, c.wrap, false, nullptr);
      return std::make_pair(h, b->Image().convertToFormat(QImage::Format_RGB32));
    };
    const Int64 before = WordChunksMeasured();
    const auto whole = paint(text);
    EXPECT_LT(WordChunksMeasured() - before, 1000) << k;
    EXPECT_TRUE(whole == paint(text.substr(0, 20000) + c.tail)) << k;
  }
  // Japanese has no blanks to cut its chunks at: a long text is one chunk,
  // measured only as far as shows that it is wider than the cell, and shrunk
  // to its head and end as a shorter text of the same sentences is.
  const String japanese = u"\u300C\u6771\u4EAC\u306F\u3001\u3068\u3066\u3082\u5927\u304D\u3044\u3067\u3059"
                          u"\u3002\u300D\u30B3\u30FC\u30D2\u30FC\u3092\u98F2\u307F\u307E\u3057\u3087\u3046"
                          u"\u3001\u306D\u3002";
  String longJapanese, shortJapanese;
  for (int i = 0; i < 7500; ++i) longJapanese += japanese;
  for (int i = 0; i < 75; ++i) shortJapanese += japanese;
  for (const TQMAlignment alignment : {aligned_default, aligned_centre, aligned_right}) {
    for (const bool wrap : {false, true}) {
      auto paint = [&](const String& s) {
        auto b = WhiteCell(300, 60);
        TMyTextDrawer d;
        d.DrawAChunkofTextStringGrid(s, b->Canvas(), Rect(0, 0, 300, 60), 0x0411, alignment, kBlackOnWhite, kNone,
                                     wrap, false, nullptr);
        return b->Image().convertToFormat(QImage::Format_RGB32);
      };
      const uint64_t before = gTextUnitsLaidOut.load();
      const QImage whole = paint(longJapanese);
      EXPECT_LT(gTextUnitsLaidOut.load() - before, 20000u) << alignment << " " << wrap;
      EXPECT_TRUE(whole == paint(shortJapanese)) << alignment << " " << wrap;
    }
  }
  // A concordance line of 20,000 words a side, centred on its node, paints as
  // the 300 words nearest the node on each side; a cluster of its right side
  // as its first 300 words.
  TEnumArray<TLeftOrRight, std::vector<TConcordDetailedRec>, 2> toks, near;
  for (int i = 0; i < 20000; ++i) {
    toks[at_left].push_back(ConcToken(i % 7 ? u"left" : u"\u05E9\u05DC\u05D5\u05DD"));
    toks[at_right].push_back(ConcToken(i == 0 ? u"NODE" : i % 5 ? u"word" : u"\u0645\u0631\u062D\u0628\u0627"));
  }
  near[at_left].assign(toks[at_left].end() - 300, toks[at_left].end());
  near[at_right].assign(toks[at_right].begin(), toks[at_right].begin() + 300);
  TLeftOrRightIntegers limits{};
  limits[at_right] = -1;
  auto paintConc = [&](const TEnumArray<TLeftOrRight, std::vector<TConcordDetailedRec>, 2>& t) {
    auto b = WhiteCell(300, 60);
    TMyTextDrawer d;
    d.DrawConcText(u" ", {}, {}, tag_after_word, {}, t, {}, b->Canvas(), kEnglishLcid, Rect(0, 0, 300, 60), 0, false,
                   false, pra_screen, limits);
    return b->Image().convertToFormat(QImage::Format_RGB32);
  };
  std::vector<TStringTag> cluster;
  for (const TConcordDetailedRec& r : toks[at_right])
    cluster.push_back(TStringTag{r.ConcStrTag.wordsections.wd_str, String(), 0});
  auto paintCluster = [&](const std::vector<TStringTag>& t) {
    auto b = WhiteCell(300, 40);
    TMyTextDrawer d;
    d.DrawClusterText({}, tag_after_word, {}, t, b->Canvas(), kEnglishLcid, Rect(0, 0, 300, 40), kBlackOnWhite, 0,
                      false, false, pra_screen);
    return b->Image().convertToFormat(QImage::Format_RGB32);
  };
  const Int64 before = WordChunksMeasured();
  const QImage whole = paintConc(toks);
  const QImage wholeCluster = paintCluster(cluster);
  EXPECT_LT(WordChunksMeasured() - before, 2000);
  EXPECT_TRUE(whole == paintConc(near));
  EXPECT_TRUE(wholeCluster == paintCluster(std::vector<TStringTag>(cluster.begin(), cluster.begin() + 300)));
}

// A token far wider than the cell, on a line drawn from its start (after the
// node, as a cluster's next line), paints as a shorter token still wider
// than the cell does, and only about what shows is laid out.
TEST(Rtl_and_ltr_painting, ATokenWiderThanTheCellLaysOutOnlyWhatShows) {
  String token;
  while (token.size() < 200000) token += u"corpuslinguistics";
  const String shortToken = token.substr(0, 2000);
  auto paintConc = [&](const String& t) {
    TEnumArray<TLeftOrRight, std::vector<TConcordDetailedRec>, 2> toks;
    toks[at_left] = {ConcToken(u"left")};
    toks[at_right] = {ConcToken(u"NODE"), ConcToken(u"word"), ConcToken(t), ConcToken(u"end")};
    TLeftOrRightIntegers limits{};
    limits[at_right] = -1;
    auto b = WhiteCell(300, 60);
    TMyTextDrawer d;
    d.DrawConcText(u" ", {}, {}, tag_after_word, {}, toks, {}, b->Canvas(), kEnglishLcid, Rect(0, 0, 300, 60), 0, false,
                   false, pra_screen, limits);
    return b->Image().convertToFormat(QImage::Format_RGB32);
  };
  auto paintCluster = [&](const String& t) {
    auto b = WhiteCell(300, 40);
    TMyTextDrawer d;
    d.DrawClusterText({}, tag_after_word, {}, Tokens({u"a", t.c_str(), u"b"}), b->Canvas(), kEnglishLcid,
                      Rect(0, 0, 300, 40), kBlackOnWhite, 0, false, false, pra_screen);
    return b->Image().convertToFormat(QImage::Format_RGB32);
  };
  for (const auto& paint :
       {std::function<QImage(const String&)>(paintConc), std::function<QImage(const String&)>(paintCluster)}) {
    const uint64_t before = gTextUnitsLaidOut.load();
    const QImage whole = paint(token);
    EXPECT_LT(gTextUnitsLaidOut.load() - before, 20000u);
    EXPECT_TRUE(whole == paint(shortToken));
    // The token shows.
    EXPECT_TRUE(whole != paint(u"x"));
  }
}

TEST(Rtl_and_ltr_painting, AClusterWithoutAnAlignmentOfItsOwnStartsAtTheLeftMargin) {
  auto b = WhiteCell(200, 40);
  TMyTextDrawer d;
  d.JustMeasuring = true;
  d.SavingChunks = true;
  const Int32 blank = b->Canvas().TextWidth(u" ");
  for (const TQMAlignment a : {aligned_plotting, aligned_default, aligned_right}) {
    d.SavedChunks.clear();
    d.Alignamento = a;
    d.DrawClusterText({}, tag_after_word, {}, Tokens({u"ab", u"cd"}), b->Canvas(), kEnglishLcid,
                      Rect(10, 0, 200, 40), kNone, 0, false, false, pra_screen);
    ASSERT_EQ(d.SavedChunks.size(), 3u);
    const Int32 w = b->Canvas().TextWidth(u"ab cd");
    EXPECT_EQ(d.SavedChunks[0].place.X, a == aligned_right ? 200 - blank - w : 10 + blank) << int(a);
  }
  // A cluster wider than the cell continues on the next line.
  d.SavedChunks.clear();
  d.Alignamento = aligned_default;
  d.DrawClusterText({}, tag_after_word, {}, Tokens({u"abcdef", u"ghijkl"}), b->Canvas(), kEnglishLcid,
                    Rect(0, 0, b->Canvas().TextWidth(u"abcdef  "), 40), kNone, 0, false, false, pra_screen);
  ASSERT_EQ(d.SavedChunks.size(), 3u);
  EXPECT_EQ(d.SavedChunks[2].w, u"ghijkl");
  EXPECT_EQ(d.SavedChunks[2].place.Y, b->Canvas().TextHeight(u"yY"));
}

TEST(Rtl_and_ltr_painting, AConcordanceLineWrapsAndMeasuringGrowsTheCellUpToNineLines) {
  ScopedColours colours;
  auto b = WhiteCell(200, 200);
  TMyTextDrawer d;
  TEnumArray<TLeftOrRight, std::vector<TConcordDetailedRec>, 2> toks;
  toks[at_left] = {ConcToken(u"left"), ConcToken(u"side")};
  toks[at_right].push_back(ConcToken(u"NODE"));
  toks[at_right][0].colloc_info.CustomColour = true;
  for (int i = 0; i < 6; ++i) toks[at_right].push_back(ConcToken(u"word"));
  TEnumArray<TLeftOrRight, std::vector<TCollocateColourRec>, 2> colours2;
  colours2[at_right] = {TCollocateColourRec{TColourFontRec{kYellow, kRed, 0}, TColourFontRec{kYellow, kRed, 0}}};
  TLeftOrRightIntegers limits{};
  limits[at_right] = -1;
  const Int32 h = ComputedTextHeight(b->Canvas());
  const Int32 wordW = b->Canvas().TextWidth(u"word ");
  const TRect cell = Rect(0, 100, 4 * wordW, 100 + h);

  d.JustMeasuring = true;
  d.SavingChunks = true;
  const TRect grown = d.DrawConcText(String(), {}, {}, tag_after_word, {}, toks, colours2, b->Canvas(), kEnglishLcid,
                                     cell, 0, false, false, pra_screen, limits);
  EXPECT_GT(grown.Bottom, cell.Bottom);
  EXPECT_EQ((grown.Bottom - cell.Bottom) % h, 0);
  EXPECT_LE((grown.Bottom - cell.Bottom) / h, 9);
  // The right half wraps: a middle line centred one text height lower, the
  // last line from the left margin; the left half ends at the centre.
  const Int32 lines = (grown.Bottom - cell.Bottom) / h + 1;
  ASSERT_EQ(lines, 3);
  Int32 middleLeft = 1000, middleRight = 0, lastLeft = 1000, leftHalfEnd = 0;
  for (const TPaintWordChunk& c : d.SavedChunks) {
    if (c.place.Y == cell.Top + h) {
      middleLeft = std::min(middleLeft, c.place.X);
      middleRight = std::max(middleRight, c.place.X + c.pixel_width);
    }
    if (c.place.Y == cell.Top + 2 * h) lastLeft = std::min(lastLeft, c.place.X);
    if (c.w == u"side") leftHalfEnd = c.place.X + c.pixel_width + b->Canvas().TextWidth(u" ");
  }
  EXPECT_EQ(lastLeft, cell.Left + b->Canvas().TextWidth(u" "));
  EXPECT_LE(std::abs((middleLeft - cell.Left) - (cell.Right - middleRight)), 1);
  EXPECT_EQ(leftHalfEnd, cell.Left + (cell.Right - cell.Left) / 2);

  // A very long line grows by at most nine lines.
  for (int i = 0; i < 200; ++i) toks[at_right].push_back(ConcToken(u"word"));
  const TRect most = d.DrawConcText(String(), {}, {}, tag_after_word, {}, toks, colours2, b->Canvas(), kEnglishLcid,
                                    cell, 0, false, false, pra_screen, limits);
  EXPECT_EQ(most.Bottom - cell.Bottom, 9 * h);

  // Painted, the cell keeps its size, the text does not fit, and the node is
  // in its own colours.
  d.JustMeasuring = false;
  const TRect painted = d.DrawConcText(String(), {}, {}, tag_after_word, {}, toks, colours2, b->Canvas(),
                                       kEnglishLcid, cell, 0, false, false, pra_screen, limits);
  EXPECT_EQ(painted.Bottom, cell.Bottom);
  EXPECT_FALSE(d.text_fits_within_Rect);
  EXPECT_GT(CountColourIn(*b, cell, kRed), 0);
  EXPECT_GT(CountColourIn(*b, cell, kYellow), 0);
  EXPECT_EQ(CountNotColourIn(*b, Rect(0, cell.Bottom, 200, 200), kWhite), 0);
}

TEST(Rtl_and_ltr_painting, LinesTooLongAreShortenedInTheMiddleOfAPathOrAtTheEnd) {
  // The shortened text keeps the end of a path (its file name) and the start
  // of any other text.
  const String path = u"/home/user/corpora/very/long/folder/names/texts/file.txt";
  const String plain = u"A plain sentence that is far too long for the narrow cell it is shown in";
  for (const String* text : {&path, &plain}) {
    auto b = WhiteCell(400, 20);
    TCanvas& c = b->Canvas();
    c.Font().SetColor(kBlack);
    c.Brush().SetStyle(bsClear);
    EllipsisOutputALine(c, *text, Rect(0, 0, 150, 20), 10);
    EXPECT_EQ(CountNotColourIn(*b, Rect(0, 0, 10, 20), kWhite), 0);  // moved right by the shift
    EXPECT_EQ(CountNotColourIn(*b, Rect(160, 0, 400, 20), kWhite), 0);
    // The same as the text shortened by the path (or end) ellipsis, drawn there.
    for (const bool asPath : {true, false}) {
      auto other = WhiteCell(400, 20);
      TCanvas& o = other->Canvas();
      o.Font().SetColor(kBlack);
      o.Brush().SetStyle(bsClear);
      String shortened = *text;
      TRect r = Rect(10, 0, 160, 20);
      o.TextRect(r, shortened, tfModifyString | tfCalcRect | tfSingleLine | (asPath ? tfPathEllipsis : tfEndEllipsis));
      o.TextOut(10, 0, shortened);
      EXPECT_EQ(other->Image() == b->Image(), asPath == (text == &path)) << int(asPath);
    }
  }
  auto b = WhiteCell(200, 20);
  b->Canvas().Font().SetColor(kBlack);
  CentreOutputAWord(b->Canvas(), u"WWWWWWWW", 40, Rect(20, 0, 200, 20));
  EXPECT_EQ(CountNotColourIn(*b, Rect(0, 0, 20, 20), kWhite), 0);
  EXPECT_EQ(CountNotColourIn(*b, Rect(60, 0, 200, 20), kWhite), 0);
  EXPECT_GT(CountNotColourIn(*b, Rect(20, 0, 60, 20), kWhite), 0);
}

TEST(Rtl_and_ltr_painting, GridHeadingsTakeFixedSelectedMonochromeOrColumnColours) {
  TMyCanvasColourRec style{};
  style.arr[tsc_window] = 1;
  style.arr[tsc_windowtext] = 2;
  style.arr[tsc_highlight] = 3;
  style.arr[tsc_highlighttext] = 4;
  style.arr[tsc_Btnface] = 5;
  TGrid_head head{};
  head.typefaces = 1u << fsItalic;
  head.has_column_specific_brush_colour = 1;
  head.column_specific_brush_colour = 9;
  struct Case {
    bool selected, mono, fixed;
    TColor brush, font;
  } cases[] = {{false, false, true, 5, 2},  {true, true, false, kBlack, kWhite}, {false, true, false, kWhite, kBlack},
               {true, false, false, 3, 4}, {false, false, false, 9, 2}};
  for (const Case& c : cases) {
    const TBasicBrushFontTypeRec r = BrushFontTypeForGridHead(head, c.selected, c.mono, c.fixed, style);
    EXPECT_EQ(r.brush_colour, c.brush);
    EXPECT_EQ(r.font_colour, c.font);
    EXPECT_EQ(r.typefaces, head.typefaces);
  }
  TColourFontRec cfr{};
  MatchAExtraFontRecToAGridHead(cfr, TBasicBrushFontTypeRec{7, 8, 1});
  EXPECT_FALSE(ColourOrTypeFacesDifferent(cfr, TColourFontRec{7, 8, 1}));
  EXPECT_TRUE(ColourOrTypeFacesDifferent(cfr, TColourFontRec{7, 8, 0}));
}

}  // namespace
}  // namespace sk
