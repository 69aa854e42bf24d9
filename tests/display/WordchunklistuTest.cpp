// Word chunks: the loaders' chunks, spans, symbols and directions, the
// longer text's boundaries and highlights, fitting and reordering.
#include <gtest/gtest.h>

#include "DisplayTestSupport.h"
#include "core/Global_vars.h"
#include "core/Qm_global_vars.h"
#include "display/Wordchunklistu.h"
#include "platform/runtime/Strings.h"

namespace sk {
namespace {

const TColourFontRec kDefault{0xFFFFFF, 0x000000, 0};

TForegroundBackGroundColours NoColours() {
  TForegroundBackGroundColours c;
  c[fb_foregound] = clNone;
  c[fb_background] = clNone;
  return c;
}

std::vector<String> Texts(const TWordChunkList& l) {
  std::vector<String> r;
  for (Int32 i = 0; i < l.Count(); ++i) r.push_back(l.Chunk(i).w);
  return r;
}

// A list of chunks with the given texts, widths and directions.
void Fill(TWordChunkList& l, const std::vector<std::tuple<String, Int32, bool>>& chunks) {
  l.Clear();
  for (const auto& [w, px, odd] : chunks) {
    l.wdchunk = TPaintWordChunk{};
    l.wdchunk.odd_direction = odd;
    l.AddOtherString(w);
  }
  // Widths set by hand (no canvas measures them).
  for (Int32 i = 0; i < l.Count(); ++i) const_cast<TPaintWordChunk&>(l.Chunk(i)).pixel_width = std::get<1>(chunks[i]);
}

TEST(Wordchunklistu, AClusterOfThreeTokensGivesFiveChunksMeasuredByTheCanvas) {
  auto b = WhiteCell(10, 10);
  TWordChunkList l(kDefault, NoColours(), wcl_Clusters, {});
  l.LoadFromClusterTokens({}, Tokens({u"one", u"two", u"three"}), &b->Canvas(), kEnglishLcid, bdLeftToRight, {},
                          tag_after_word, 0, false, false, false);
  EXPECT_EQ(Texts(l), (std::vector<String>{u"one", u" ", u"two", u" ", u"three"}));
  for (Int32 i = 0; i < l.Count(); ++i) EXPECT_EQ(l.Chunk(i).pixel_width, b->Canvas().TextWidth(l.Chunk(i).w));
  EXPECT_FALSE(l.has_odd_directions);
  EXPECT_EQ(l.GetAWordChunk(5).w, u"");
  EXPECT_EQ(l.GetAWordChunk(-1).pixel_width, 0);
}

TEST(Wordchunklistu, HiddenWordsLeaveTheTagAndTagsFollowTheirRules) {
  auto b = WhiteCell(10, 10);
  TWordChunkList l(kDefault, NoColours(), wcl_Clusters, {});
  std::vector<TStringTag> toks{TStringTag{u"cat", u"<N>", 1}};
  TWordAndTagDisplayOptionsSet hideWords{hide_words};
  l.LoadFromClusterTokens({}, toks, &b->Canvas(), kEnglishLcid, bdLeftToRight, hideWords, tag_after_word, 0, false,
                          false, false);
  EXPECT_EQ(Texts(l), (std::vector<String>{u"<N>"}));

  // Tag number 1 hidden by hide_empty_tags; a tag-file tag by its show entry
  // or hide_tagfile_tags; below 1 never.
  struct Case {
    Int32 tagnum;
    TWordAndTagDisplayOptionsSet options;
    std::vector<TTagFileShow_rec> show;
    bool tagShown;
  } cases[] = {
      {1, {hide_empty_tags}, {}, false},
      {1, {hide_tagfile_tags}, {}, true},
      {2, {hide_tagfile_tags}, {}, false},
      {3, {}, {{false, false}, {true, false}}, false},
      {3, {}, {{true, false}}, true},  // no entry 1: shown
      {0, {hide_empty_tags, hide_tagfile_tags}, {}, true},
  };
  for (const Case& c : cases) {
    toks[0].tagnum_2B = c.tagnum;
    l.LoadFromClusterTokens(c.show, toks, &b->Canvas(), kEnglishLcid, bdLeftToRight, c.options, tag_before_word, 0,
                            false, false, false);
    const std::vector<String> want = c.tagShown ? std::vector<String>{u"<N>", u"cat"} : std::vector<String>{u"cat"};
    EXPECT_EQ(Texts(l), want) << "tag number " << c.tagnum;
  }
}

TEST(Wordchunklistu, TagColoursComeFromThePreferredFormOnlyWhenTheyDiffer) {
  auto b = WhiteCell(10, 10);
  const TColourFontRec red{0xFFFFFF, 0x0000FF, 0};
  const TColourFontRec same{0x00FF00, 0x00FF00, 0};
  for (const bool distinct : {true, false}) {
    TWordChunkList l(kDefault, NoColours(), wcl_Clusters, [&](Integer, const String& tag) {
      return TStringTagColourFontRec{u"[" + tag + u"]", distinct ? red : same};
    });
    l.LoadFromClusterTokens({}, {TStringTag{u"cat", u"N", 2}}, &b->Canvas(), kEnglishLcid, bdLeftToRight,
                            {colour_tags}, tag_after_word, 0, false, false, false);
    ASSERT_EQ(l.Count(), 2);
    EXPECT_EQ(l.Chunk(1).w, u"[N]");
    EXPECT_EQ(l.Chunk(1).colourAndFont.FontColour, distinct ? red.FontColour : kDefault.FontColour);
    // A token with a tag is painted in the cell's colour.
    EXPECT_TRUE(l.Chunk(0).custom_colour_wd);
  }
}

TEST(Wordchunklistu, WordsAfterABoldTagAreMeasuredInTheirOwnStyle) {
  auto b = WhiteCell(10, 10);
  const TColourFontRec bold{0xFFFFFF, 0x0000FF, static_cast<TFontStyles>(1u << fsBold)};
  TWordChunkList l(kDefault, NoColours(), wcl_Clusters,
                   [&](Integer, const String& tag) { return TStringTagColourFontRec{tag, bold}; });
  l.LoadFromClusterTokens({}, {TStringTag{u"WWW", u"<NN>", 2}, TStringTag{u"MMM", u"<NN>", 2}}, &b->Canvas(),
                          kEnglishLcid, bdLeftToRight, {colour_tags}, tag_after_word, 0, false, false, false);
  ASSERT_EQ(Texts(l), (std::vector<String>{u"WWW", u"<NN>", u" ", u"MMM", u"<NN>"}));
  for (Int32 i = 0; i < l.Count(); ++i) {
    b->Canvas().Font().SetStyle(l.Chunk(i).colourAndFont.typeface);
    EXPECT_EQ(l.Chunk(i).pixel_width, b->Canvas().TextWidth(l.Chunk(i).w)) << i;
  }
  // The test means something only while bold is wider.
  b->Canvas().Font().SetStyle(0);
  const Int32 plain = b->Canvas().TextWidth(u"MMM");
  b->Canvas().Font().SetStyle(bold.typeface);
  EXPECT_LT(plain, b->Canvas().TextWidth(u"MMM"));
  EXPECT_EQ(l.Chunk(3).pixel_width, plain);
}

TEST(Wordchunklistu, TheLeftHalfOfALongLineTakesSpansOutwardsFromTheNode) {
  TEnumArray<TLeftOrRight, std::vector<TConcordDetailedRec>, 2> toks;
  for (int i = 0; i < 60; ++i) toks[at_left].push_back(ConcToken(u"w" + IntToStr(i)));
  TWordChunkList l(kDefault, NoColours(), wcl_concordance, {});
  TLeftOrRightIntegers limits{};
  l.LoadFromConcDetails(String(), {}, toks, {}, at_left, nullptr, kEnglishLcid, bdLeftToRight, {}, {},
                        tag_after_word, limits, 0, false, false, false);
  // Word and blank per token.
  ASSERT_EQ(l.Count(), 120);
  for (int i = 0; i < 60; ++i) {
    const Int32 span = l.Chunk(2 * i).colloc_span;
    if (i >= 10)
      EXPECT_EQ(span, 49 - (59 - i)) << i;
    else
      EXPECT_EQ(span, 50 + i) << i;
    EXPECT_EQ(l.Chunk(2 * i + 1).colloc_span, span);  // the blank keeps it
  }
  // A limit leaves out the tokens before it.
  limits[at_left] = 58;
  l.LoadFromConcDetails(String(), {}, toks, {}, at_left, nullptr, kEnglishLcid, bdLeftToRight, {}, {},
                        tag_after_word, limits, 0, false, false, false);
  EXPECT_EQ(Texts(l), (std::vector<String>{u"w58", u" ", u"w59", u" "}));
  EXPECT_EQ(l.Chunk(2).colloc_span, span_L01);
}

TEST(Wordchunklistu, TheRightHalfHasItsNodePaddedOrBlankedOutAndBoundarySymbols) {
  TEnumArray<TLeftOrRight, std::vector<TConcordDetailedRec>, 2> toks;
  toks[at_right] = {ConcToken(u"node"), ConcToken(u"end", cis_sentence_end), ConcToken(u"New", cis_para_start),
                    ConcToken(u"x")};
  TWordChunkList l(kDefault, NoColours(), wcl_concordance, {});
  Global_TextBreakColour = 0x123456;
  TLeftOrRightIntegers limits{};
  limits[at_right] = 2;
  l.LoadFromConcDetails(u"  ", {}, toks, {}, at_right, nullptr, kEnglishLcid, bdLeftToRight, {}, {},
                        tag_after_word, limits, 0, false, false, false);
  EXPECT_EQ(Texts(l), (std::vector<String>{u"  ", u"node", u"   ", u"end", u" ", u"\u204C", u"\u204B", u"New", u" "}));
  EXPECT_EQ(l.Chunk(5).colourAndFont.FontColour, 0x123456u);
  EXPECT_EQ(l.Chunk(1).colloc_span, span_Centre);
  EXPECT_EQ(l.Chunk(3).colloc_span, span_R01);

  l.LoadFromConcDetails(u"  ", {}, toks, {}, at_right, nullptr, kEnglishLcid, bdLeftToRight, {hide_breaks}, {},
                        tag_after_word, limits, 0, true, false, false);
  EXPECT_EQ(Texts(l), (std::vector<String>{u"  ***************   ", u"end", u" ", u"New", u" "}));
  Global_TextBreakColour = 0;
}

TEST(Wordchunklistu, ConcordanceWordsTakeTagColoursUnlessDecolouredAndNeverInvisibleOnes) {
  TEnumArray<TLeftOrRight, std::vector<TConcordDetailedRec>, 2> toks;
  TEnumArray<TLeftOrRight, std::vector<TCollocateColourRec>, 2> colours;
  TConcordDetailedRec t = ConcToken(u"cat");
  t.ConcStrTag.wordsections.pre_str_punct = u"(";
  t.ConcStrTag.wordsections.post_str_punct = u")";
  t.ConcStrTag.tagnum_2B = 2;
  t.colloc_info.CustomColour = true;
  toks[at_left] = {t};
  const TColourFontRec tagC{0xFFFFFF, 0x0000FF, 0}, wordC{0xFFFFFF, 0x00FF00, 0}, flat{0x777777, 0x777777, 0};
  struct Case {
    TCollocateColourRec rec;
    bool decoloured;
    TColor font;
  } cases[] = {{{tagC, wordC}, false, tagC.FontColour},
               {{tagC, wordC}, true, wordC.FontColour},
               {{flat, wordC}, false, kDefault.FontColour}};
  for (const Case& c : cases) {
    colours[at_left] = {c.rec};
    TWordChunkList l(kDefault, NoColours(), wcl_concordance, {});
    l.LoadFromConcDetails(String(), {TTagFileShow_rec{false, c.decoloured}}, toks, colours, at_left, nullptr,
                          kEnglishLcid, bdLeftToRight, {}, {}, tag_after_word, {}, 0, false, false, false);
    ASSERT_GE(l.Count(), 1);
    EXPECT_EQ(l.Chunk(0).w, u"(cat)");
    EXPECT_EQ(l.Chunk(0).colourAndFont.FontColour, c.font);
    EXPECT_TRUE(l.Chunk(0).custom_colour_wd);
  }
}

TEST(Wordchunklistu, BlanksAfterATokenKeepItsDirectionSoARunReversesWhole) {
  TWordChunkList l(kDefault, NoColours(), wcl_Clusters, {});
  l.LoadFromClusterTokens({}, Tokens({u"\u05E9\u05DC\u05D5\u05DD", u"a", u"b", u"c", u"\u05D0"}), nullptr,
                          kHebrewLcid, bdRightToLeft, {}, tag_after_word, 0, false, false, false);
  ASSERT_EQ(l.Count(), 9);
  const std::vector<bool> odd{false, false, true, true, true, true, true, true, false};
  for (Int32 i = 0; i < l.Count(); ++i) EXPECT_EQ(l.Chunk(i).odd_direction, odd[i]) << i;
  EXPECT_TRUE(l.has_odd_directions);
  TWordChunkList::ReorderAnyLTRSinRTLSequences(l, 0, l.Count() - 1);
  // The run a, blank, b, blank, c, blank keeps its trailing blank in place.
  EXPECT_EQ(Texts(l), (std::vector<String>{u"\u05E9\u05DC\u05D5\u05DD", u" ", u"c", u" ", u"b", u" ", u"a", u" ",
                                           u"\u05D0"}));
}

TEST(Wordchunklistu, WhichWordsFitSkipsALeadingBlankAndDropsATrailingOne) {
  TWordChunkList l(kDefault, NoColours(), wcl_large_text, {});
  Fill(l, {{u" ", 5, false}, {u"ab", 40, false}, {u" ", 5, false}, {u"cd", 60, false}});
  TWordsWhichFit f = l.WhichWordsFit(0, 100, true);
  EXPECT_EQ(f.first_segment, 0);
  EXPECT_EQ(f.last_segment, 2);
  EXPECT_EQ(f.pixels, 40);
  EXPECT_FALSE(f.reorder_check_needed);
  f = l.WhichWordsFit(0, 100, false);
  EXPECT_EQ(f.last_segment, 2);
  EXPECT_EQ(f.pixels, 50);
  f = l.WhichWordsFit(0, 200, false);
  EXPECT_EQ(f.last_segment, 3);
  EXPECT_EQ(f.pixels, 110);
  f = l.WhichWordsFit(1, 10, false);  // nothing fits
  EXPECT_EQ(f.last_segment, 0);
  EXPECT_EQ(f.pixels, 0);
  f = l.WhichWordsFit(4, 10, false);  // past the end
  EXPECT_EQ(f.first_segment, 4);
  EXPECT_EQ(f.last_segment, 3);
}

TEST(Wordchunklistu, RunsOfMoreThanTwoOddChunksAreReversedKeepingATrailingBlank) {
  TWordChunkList l(kDefault, NoColours(), wcl_large_text, {});
  Fill(l, {{u"x", 1, false}, {u"a", 1, true}, {u" ", 1, true}, {u"b", 1, true}, {u" ", 1, true}, {u"y", 1, false}});
  TWordChunkList::ReorderAnyLTRSinRTLSequences(l, 0, l.Count() - 1);
  EXPECT_EQ(Texts(l), (std::vector<String>{u"x", u"b", u" ", u"a", u" ", u"y"}));

  Fill(l, {{u"a", 1, true}, {u" ", 1, true}, {u"x", 1, false}, {u"b", 1, true}, {u"c", 1, true}});
  TWordChunkList::ReorderAnyLTRSinRTLSequences(l, 0, l.Count() - 1);
  EXPECT_EQ(Texts(l), (std::vector<String>{u"a", u" ", u"x", u"b", u"c"}));

  // A run is cut at last.
  Fill(l, {{u"a", 1, true}, {u"b", 1, true}, {u"c", 1, true}, {u"d", 1, true}});
  TWordChunkList::ReorderAnyLTRSinRTLSequences(l, 0, 2);
  EXPECT_EQ(Texts(l), (std::vector<String>{u"c", u"b", u"a", u"d"}));
  TWordChunkList::ReorderAnyLTRSinRTLSequences(l, -5, 99);  // clamped
  EXPECT_EQ(Texts(l), (std::vector<String>{u"d", u"a", u"b", u"c"}));
}

TEST(Wordchunklistu, ShiftUpLinePixelsMovesWithTheDirection) {
  TPaintWordChunk c;
  c.pixel_width = 7;
  Int32 x = 100;
  EXPECT_EQ(TWordChunkList::ShiftUpLinePixels(x, c, bdRightToLeft), 7);
  EXPECT_EQ(x, 93);
  TWordChunkList::ShiftUpLinePixels(x, c, bdLeftToRight);
  EXPECT_EQ(x, 100);
  EXPECT_EQ(TWordChunkList::ReversedWholeLineNumbers({1, 2, 3}), (std::vector<Int32>{3, 2, 1}));
}

TEST(Wordchunklistu, ALongerRightToLeftTextIsCutIntoRunsWordsAndBlanks) {
  auto b = WhiteCell(10, 10);
  TWordChunkList l(kDefault, NoColours(), wcl_large_text, {});
  // Hebrew, then two Latin words with a blank and a comma between, a number
  // with a decimal comma, and a markup tag.
  const String text = u"  \u05E9\u05DC\u05D5\u05DD abc, def 3,5 <b>\u05D0";
  l.LoadFromLargerString(text, &b->Canvas(), kHebrewLcid, bdRightToLeft, false, false, nullptr);
  EXPECT_EQ(Texts(l), (std::vector<String>{u"\u05E9\u05DC\u05D5\u05DD", u" ", u"abc", u",", u" ", u"def", u" ",
                                           u"3,5", u" ", u"<b>", u"\u05D0"}));
  const std::vector<Int32> pos{3, 7, 8, 11, 12, 13, 16, 17, 20, 21, 24};
  const std::vector<bool> odd{false, false, true, true, true, true, true, true, false, false, false};
  for (Int32 i = 0; i < l.Count(); ++i) {
    EXPECT_EQ(l.Chunk(i).string_pos, pos[i]) << i;
    EXPECT_EQ(text.substr(static_cast<size_t>(pos[i] - 1), l.Chunk(i).w.size()), l.Chunk(i).w);
    EXPECT_EQ(l.Chunk(i).pixel_width, b->Canvas().TextWidth(l.Chunk(i).w));
  }
  // Blanks and punctuation between the Latin words (digits count as
  // left-to-right) join their run; the blank after the Hebrew word does not.
  for (Int32 i = 0; i < 8; ++i) EXPECT_EQ(l.Chunk(i).odd_direction, odd[i]) << i;
  EXPECT_TRUE(l.has_odd_directions);
  // Joiners never end a chunk.
  l.LoadFromLargerString(u"ab\u200Dcd\u202Fef", &b->Canvas(), kEnglishLcid, bdLeftToRight, false, false, nullptr);
  EXPECT_EQ(Texts(l), (std::vector<String>{u"ab\u200Dcd\u202Fef"}));
  l.LoadFromLargerString(u"   ", &b->Canvas(), kEnglishLcid, bdLeftToRight, false, false, nullptr);
  EXPECT_EQ(l.Count(), 0);
}

TEST(Wordchunklistu, HighlightedHitsTakeTheHighlightColours) {
  auto b = WhiteCell(10, 10);
  Global_Colour_highlights[hc_highlightBrush] = 0x00FFFF;
  Global_Colour_highlights[hc_highlightText] = 0x0000FF;
  Global_Colour_highlights[hc_pickedword_brush] = 0xFF0000;
  Global_Colour_highlights[hc_pickedwordText] = 0xFFFFFF;
  TQMInt64List hits;
  hits.AddOne(MakeHitInt64(5, 8));   // "cat"
  hits.AddOne(MakeHitInt64(9, 11));  // "sa" (not a whole chunk)
  TForegroundBackGroundColours cell = NoColours();
  cell[fb_foregound] = 0x00AA00;
  TWordChunkList l(kDefault, cell, wcl_large_text, {});
  for (const bool flag : {false, true}) {
    l.LoadFromLargerString(u"the cat sat", &b->Canvas(), kEnglishLcid, bdLeftToRight, true, flag, &hits);
    ASSERT_EQ(Texts(l), (std::vector<String>{u"the", u" ", u"cat", u" ", u"sat"}));
    EXPECT_EQ(l.Chunk(2).colourAndFont.BrushColour, flag ? 0xFF0000u : 0x00FFFFu);
    EXPECT_EQ(l.Chunk(2).colourAndFont.FontColour, flag ? 0xFFFFFFu : 0x0000FFu);
    EXPECT_EQ(l.Chunk(0).colourAndFont.FontColour, 0x00AA00u);  // the cell's colour
    EXPECT_EQ(l.Chunk(4).colourAndFont.FontColour, 0x00AA00u);
  }
  Global_Colour_highlights = {};
}

}  // namespace
}  // namespace sk
