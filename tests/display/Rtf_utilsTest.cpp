#include "display/Rtf_utils.h"

#include <gtest/gtest.h>

#include "DisplayTestSupport.h"
#include "RtfTestSupport.h"
#include "TestSupport.h"
#include "analysis/Further_string_functions.h"
#include "analysis/Search_and_do_engineU.h"
#include "analysis/Search_parsing.h"
#include "core/Global_vars.h"

#include <QtWidgets/QTextEdit>

namespace sk {
namespace {

constexpr TFontStyles kBold = 1u << fsBold;

std::unique_ptr<TSimpleSearchlist> Words(std::initializer_list<const char16_t*> lines) {
  auto l = std::make_unique<TSimpleSearchlist>(DefaultSimpleSearchSettings());
  for (const char16_t* s : lines) l->LoadFromAString(s);
  return l;
}

std::vector<std::pair<Int32, Int32>> Hits(const TRicheditPositions& p) {
  std::vector<std::pair<Int32, Int32>> r;
  for (Int32 i = 0; i < p.Count(); ++i) r.emplace_back(p.GetPosition(i).riched_char_pos, p.GetPosition(i).word1_len);
  return r;
}

TEST(Rtf_utils, FindsHitsWithBoundsGrowthAndContext) {
  struct Case {
    const char16_t* text;
    const char16_t* word;
    std::vector<std::pair<Int32, Int32>> hits;
  };
  const Case cases[] = {
      // Bounded both sides: a letter or a digit beside the word refuses it.
      {u"Lord lords lord2 xlord LORD.", u"lord", {{0, 4}, {23, 4}}},
      // Unbounded right: grows over following letters and digits.
      {u"lords lord2 xlord", u"lord*", {{0, 5}, {6, 5}}},
      // Unbounded left: grows back over preceding ones.
      {u"lords 9lord xlord", u"*lord", {{6, 5}, {12, 5}}},
      // Unbounded both sides: the whole word around the match.
      {u"overlordship", u"*lord*", {{0, 12}}},
      // Inside markup is blanked for the search; positions stay.
      {u"<lord> lord <a lord=1>", u"lord", {{7, 4}}},
      // Line breaks count one character each.
      {u"a\r\nlord\r\nlord", u"lord", {{2, 4}, {7, 4}}},
      // A phrase is found across a line end.
      {u"son of\r\nman son\r\nof man", u"son of man", {{0, 10}, {11, 10}}},
      {u"son  of\t man sonof man", u"son of man", {{0, 12}}},
      // Markup before or after a blank between the words is passed over; a
      // tag that stands for the blank joins the words, as in the engine.
      {u"of the <i>LORD</i> and the</i>\r\n\tLORD the<b>lord", u"the lord", {{3, 11}, {23, 13}}},
      {u"nothing here", u"lord", {}},
  };
  for (const Case& c : cases) {
    TRichEdit edit;
    edit.AppendText(c.text, TRichCharFormat{});
    auto words = Words({c.word});
    auto hits = RichEdit_FindAllTheseWordsHits(&edit, String(), {}, words.get(), nullptr);
    EXPECT_EQ(Hits(*hits), c.hits) << StringToUtf8(c.text) << " / " << StringToUtf8(c.word);
    // The edit keeps its text.
    EXPECT_EQ(edit.Text(), String(c.text));
  }
}

// With markup hidden a tag between blanks or before a line end (LF, CR LF)
// in a phrase's gap changes no hit: the engine finds what python's re finds
// in the text without tags, and the view marks it. Shown, "<" is a control
// and the tag's name the next word.
TEST(Rtf_utils, APhraseAcrossATagIsFoundAndMarkedWhereTheTextWithoutItHasIt) {
  for (const String end : {u"\n", u"\r\n"}) {
    String text;
    std::vector<Int32> hidden, barrier, marked;  // where "the" stands before each gap
    for (const String& gap : {String(u" <pb n=\"3\"/> "), u" <lb/>" + end, end + u"<lb/>" + end,
                              String(u" <a/> <b/>\t"), String(u". <p/> ")}) {
      text += u"of ";
      (gap[0] == u'.' ? barrier : hidden).push_back(static_cast<Int32>(text.size()) + 1);
      text += u"the" + gap + u"LORD said. ";
    }
    barrier.insert(barrier.begin(), hidden.begin(), hidden.end());
    const std::vector<Int32> want[] = {hidden, {}, barrier};  // markup hidden, shown, the barrier
    for (const String typed : {u"the lord", u"the *d", u"^^^ lord"})
      for (int form = 0; form < 3; ++form) {
        std::vector<Int32> found;
        TSearchAndDoEngine engine(LOCALE_USER_DEFAULT, se_searchword);
        engine.PrepareFirst(text, true, wp_whole, 0, 0, [&](TSearchAndDoEngine*, TConcSearchRec& rec) {
          found.push_back(rec.exact_hit_char_position_1B);
          return true;
        });
        for (size_t at = text.find(u'<'); form != 1 && at != String::npos; at = text.find(u'<', at + 1)) {
          bool nested = false;
          const auto length = static_cast<Int32>(text.find(u'>', at) + 1 - at);
          MarkWCharsTagged(text, static_cast<Int32>(at), length, global_Wchars[wp_whole], 1, nested);
        }
        engine.SearchAndDoPublic.Collocate_barrier = form == 2 ? coll_stop_sentence : coll_stop_none;
        const TQMSearchWordRec w = SWFullParsed_SearchWord(TIgnore_tag{}, typed);
        engine.SearchAndDo(&w, wp_whole, 0, TTextStatsPositions_rec{});
        EXPECT_EQ(found, want[form]) << StringToUtf8(typed) << form << end.size();
        if (form != 0 || typed != u"the lord") continue;
        // The view counts from 0, a line end as one character.
        for (Int32& at : found) at -= 1 + static_cast<Int32>(std::count(text.begin(), text.begin() + at, u'\r'));
        TRichEdit edit;
        edit.AppendText(text, TRichCharFormat{});
        for (const auto& h :
             Hits(*RichEdit_FindAllTheseWordsHits(&edit, String(), {}, Words({typed.c_str()}).get(), nullptr)))
          marked.push_back(h.first);
        EXPECT_EQ(marked, found) << end.size();
      }
  }
  global_bufStr[wp_whole].clear();
  global_Wchars[wp_whole].clear();
}

TEST(Rtf_utils, ContextWordMustPrecedeWithinItsSpan) {
  TRichEdit edit;
  //                0         1         2         3         4
  //                0123456789012345678901234567890123456789012345
  edit.AppendText(u"the lord said; god of the lord; lord god", TRichCharFormat{});
  auto words = Words({u"lord\tgod\t\t12"});
  auto hits = RichEdit_FindAllTheseWordsHits(&edit, String(), {}, words.get(), nullptr);
  ASSERT_EQ(hits->Count(), 1);
  const TRichEditPosition_rec r = hits->GetPosition(0);
  EXPECT_EQ(r.riched_char_pos, 26);
  EXPECT_EQ(r.word2_where, 15);
  EXPECT_EQ(r.word2_len, 3);
  EXPECT_EQ(r.SW_word_number, 0);
}

TEST(Rtf_utils, StartTextIndexesAndEmptyList) {
  TRichEdit edit;
  edit.AppendText(u"lord HEADER lord god lord", TRichCharFormat{});
  auto words = Words({u"lord", u"god"});
  auto after = RichEdit_FindAllTheseWordsHits(&edit, u"HEADER", {}, words.get(), nullptr);
  EXPECT_EQ(after->Count(), 3);
  auto onlyGod = RichEdit_FindAllTheseWordsHits(&edit, String(), {1}, words.get(), nullptr);
  ASSERT_EQ(onlyGod->Count(), 1);
  EXPECT_EQ(onlyGod->GetPosition(0).SW_word_number, 1);
  auto badIndex = RichEdit_FindAllTheseWordsHits(&edit, String(), {7, -1}, words.get(), nullptr);
  EXPECT_EQ(badIndex->Count(), 0);
  auto none = Words({});
  EXPECT_EQ(RichEdit_FindAllTheseWordsHits(&edit, String(), {}, none.get(), nullptr)->Count(), 0);
}

TEST(Rtf_utils, StopRequestFromProgressEndsTheSearch) {
  TRichEdit edit;
  String text;
  for (int i = 0; i < 200; ++i) text += u"lord god ";
  edit.AppendText(text, TRichCharFormat{});
  auto words = Words({u"lord", u"god"});
  int calls = 0;
  auto hits = RichEdit_FindAllTheseWordsHits(&edit, String(), {}, words.get(), [&](Int32) {
    ++calls;
    global_panic_state = panic_stop;
  });
  global_panic_state = panic_no_panic;
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(hits->Count(), 0);
  // With one word the hit positions report too, and a stop ends it there.
  auto one = Words({u"lord"});
  Int32 seen = 0;
  auto part = RichEdit_FindAllTheseWordsHits(&edit, String(), {}, one.get(), [&](Int32 pc) {
    if (pc >= 50) global_panic_state = panic_stop;
    ++seen;
  });
  global_panic_state = panic_no_panic;
  EXPECT_GT(part->Count(), 50);
  EXPECT_LT(part->Count(), 200);
}

TEST(Rtf_utils, ColourAllHitsReadsBackAsFormats) {
  TRichEdit edit;
  edit.AppendText(u"god and the lord\r\nlord", TRichCharFormat{});
  auto words = Words({u"lord\tgod\t\t14"});
  auto hits = RichEdit_FindAllTheseWordsHits(&edit, String(), {}, words.get(), nullptr);
  ASSERT_EQ(hits->Count(), 1);
  TRichHitColours c;
  c.colour = clRed;
  c.background = clYellow;
  c.styles = kBold;
  c.context_colour = clBlue;
  EXPECT_EQ(RichEdit_ColourAllHits(&edit, c, hits.get(), {}), 12);
  EXPECT_EQ(edit.FormatAt(12), (TRichCharFormat{clYellow, clRed, kBold}));
  EXPECT_EQ(edit.FormatAt(15), (TRichCharFormat{clYellow, clRed, kBold}));
  EXPECT_EQ(edit.FormatAt(0), (TRichCharFormat{clNone, clBlue, 0}));
  EXPECT_EQ(edit.FormatAt(11), (TRichCharFormat{clNone, clBlack, 0}));
  EXPECT_EQ(edit.FormatAt(17), (TRichCharFormat{clNone, clBlack, 0}));
  // A filter without the word colours nothing.
  TRichEdit other;
  other.AppendText(u"lord", TRichCharFormat{});
  auto h2 = RichEdit_FindAllTheseWordsHits(&other, String(), {}, Words({u"lord"}).get(), nullptr);
  EXPECT_EQ(RichEdit_ColourAllHits(&other, c, h2.get(), {3}), -1);
  EXPECT_EQ(other.FormatAt(0), (TRichCharFormat{clNone, clBlack, 0}));
}

TEST(Rtf_utils, PositionsSortOnOneOrTwoColumns) {
  TRicheditPositions p;
  p.AddPosition({30, 1, 1, -1, 0});
  p.AddPosition({10, 1, 2, -1, 0});
  p.AddPosition({20, 1, 1, -1, 0});
  p.SortOn(res_SWnumber, res_charpos);
  EXPECT_EQ(p.GetPosition(0).riched_char_pos, 20);
  EXPECT_EQ(p.GetPosition(1).riched_char_pos, 30);
  EXPECT_EQ(p.GetPosition(2).riched_char_pos, 10);
  p.SortOn(res_charpos, res_charpos);
  EXPECT_EQ(p.GetPosition(0).riched_char_pos, 10);
  EXPECT_EQ(p.GetPosition(3).riched_char_pos, -1);
}

TEST(Rtf_utils, FontStyleForString) {
  struct Case {
    const char16_t* in;
    TFontStyles styles;
    const char16_t* out;
    TFontStyles result;
  };
  const Case cases[] = {
      {u"<B>Title</B>", 0, u"Title", kBold},
      {u"<B></B>", 1u << fsItalic, u"", static_cast<TFontStyles>(kBold | (1u << fsItalic))},
      {u"Plain", kBold, u"Plain", 0},
      {u"<B>open only", kBold, u"<B>open only", 0},
      {u"<B>", 0, u"<B>", 0},
      {u"<B>a</B> and <B>b</B>", kBold, u"<B>a</B> and <B>b</B>", 0},
  };
  for (const Case& c : cases) {
    String t = c.in;
    EXPECT_EQ(FontStyleForString(c.styles, t), c.result) << StringToUtf8(c.in);
    EXPECT_EQ(t, String(c.out));
  }
}

TEST(Rtf_utils, LinesInsertedAndSectionsColoured) {
  TRichEdit edit;
  RichEdit_InsertColouredLine(&edit, u"middle", clBlack, 0, false);
  RichEdit_InsertColouredLine(&edit, u"last", clRed, kBold, false);
  RichEdit_InsertColouredLine(&edit, u"first", clBlue, 0, true);
  EXPECT_EQ(edit.Text(), u"first\r\nmiddle\r\nlast");
  EXPECT_EQ(Richedit_FirstCharPosOfLine(&edit, 2), 13);
  EXPECT_EQ(Richedit_LineFromChar(&edit, 13), 2);
  EXPECT_EQ(Richedit_LineFromChar(&edit, 12), 1);
  EXPECT_EQ(Richedit_FirstCharPosOfLine(&edit, 3), -1);
  EXPECT_EQ(edit.FormatAt(13), (TRichCharFormat{clNone, clRed, kBold}));
  EXPECT_EQ(edit.FormatAt(0).Color, clBlue);
  // The default-colour value leaves the background alone.
  RichEdit_ColourASection(&edit, clGreen, clYellow, 0, 6, 3);
  RichEdit_ColourASection(&edit, clMaroon, clDefault, kBold, 7, 1);
  EXPECT_EQ(edit.FormatAt(6), (TRichCharFormat{clYellow, clGreen, 0}));
  EXPECT_EQ(edit.FormatAt(7), (TRichCharFormat{clYellow, clMaroon, kBold}));
  EXPECT_EQ(Richedit_ScrollThumbPos(&edit), -1);
}

TEST(Rtf_utils, RtfIsAsciiWithUnicodeEscapes) {
  TRichEdit edit;
  edit.AppendText(u"a{b}\\c \u05E9\U0001F600", TRichCharFormat{});
  const std::string rtf = edit.RtfText();
  for (const char ch : rtf) ASSERT_LT(static_cast<unsigned char>(ch), 128u);
  EXPECT_NE(rtf.find("a\\{b\\}\\\\c \\u1513?\\u-10179?\\u-8704?"), std::string::npos) << rtf;
  EXPECT_EQ(rtf.rfind("{\\rtf1", 0), 0u);
}

class Rtf_utils_files : public ScratchFolderTest {
 protected:
  Rtf_utils_files() : ScratchFolderTest("rtfutils") {}
};

TEST_F(Rtf_utils_files, SaveAsRtfReadsBackThroughUnrtf) {
  if (!UnrtfAvailable()) GTEST_SKIP() << "unrtf is not installed";
  TRichEdit edit;
  edit.AppendText(u"In the beginning the lord\r\n\u05D1\u05E8\u05D0\u05E9\u05D9\u05EA \U0001F600 {x}", TRichCharFormat{});
  auto hits = RichEdit_FindAllTheseWordsHits(&edit, String(), {}, Words({u"lord"}).get(), nullptr);
  TRichHitColours c;
  c.colour = clRed;
  c.background = clYellow;
  RichEdit_ColourAllHits(&edit, c, hits.get(), {});
  ASSERT_TRUE(edit.SaveToRTF(File("a.rtf")));
  const std::string html = UnrtfHtml(Path("a.rtf"));
  const std::vector<String> lines = HtmlLines(html);
  ASSERT_EQ(lines.size(), 2u) << html;
  EXPECT_EQ(lines[0], u"In the beginning the lord");
  EXPECT_EQ(lines[1], u"\u05D1\u05E8\u05D0\u05E9\u05D9\u05EA \U0001F600 {x}");
  EXPECT_NE(html.find("<font color=\"#ff0000\"><span style=\"background:#ffff00\"><b>lord</b>"), std::string::npos)
      << html;
  EXPECT_FALSE(edit.SaveToRTF(File("missing/a.rtf")));
}

TEST_F(Rtf_utils_files, SaveATextMarksItsLineBold) {
  if (!UnrtfAvailable()) GTEST_SKIP() << "unrtf is not installed";
  TRichEdit edit;
  ASSERT_TRUE(SaveATextToARichedit(&edit, u"one\r\ntwo two\r\nthree", File("b.rtf"), 1, clWhite, clBlack, clNavy,
                                   clWhite, 10, 14));
  const std::string html = UnrtfHtml(Path("b.rtf"));
  const std::vector<String> lines = HtmlLines(html);
  ASSERT_EQ(lines.size(), 3u) << html;
  EXPECT_EQ(lines[1], u"two two");
  EXPECT_NE(html.find("<font color=\"#ffffff\"><span style=\"background:#000080\"><b>two two</b>"),
            std::string::npos)
      << html;
  EXPECT_EQ(html.find("<b>one"), std::string::npos);
  String name;
  Int32 size = 0;
  edit.FontAt(4, name, size);
  EXPECT_EQ(size, 14);
  edit.FontAt(0, name, size);
  EXPECT_EQ(size, 10);
  // Lines that end in LF alone, or CR: the same line is marked.
  for (const char16_t* text : {u"one\ntwo two\nthree", u"one\rtwo two\rthree"}) {
    TRichEdit lf;
    ASSERT_TRUE(SaveATextToARichedit(&lf, text, File("lf.rtf"), 1, clWhite, clBlack, clNavy, clWhite, 10, 14));
    lf.FontAt(4, name, size);
    EXPECT_EQ(size, 14);
  }
}

TEST(Rtf_utils, VisibleLinesAndCentring) {
  TestApplication();
  TRichEdit edit;
  String text;
  for (int i = 0; i < 200; ++i) text += u"line " + Utf8ToString(std::to_string(i)) + u"\r\n";
  edit.SetFont(u"DejaVu Sans", 10);
  edit.AppendText(text, TRichCharFormat{});
  edit.SetBounds(0, 0, 300, 200);
  edit.Widget()->show();
  EXPECT_EQ(Richedit_FirstVisibleLine(&edit), 0);
  const Int32 visible = Richedit_LastVisibleLine(&edit) - Richedit_FirstVisibleLine(&edit) + 1;
  ASSERT_GT(visible, 3);
  CentreLineVerticallyInEdit(&edit, 100);
  const Int32 vis = Richedit_LastVisibleLine(&edit) - Richedit_FirstVisibleLine(&edit) + 1;
  EXPECT_NEAR(Richedit_FirstVisibleLine(&edit), 100 - vis / 2 + 1, 1);
  EXPECT_GT(Richedit_ScrollThumbPos(&edit), 0);
  CentreLineVerticallyInEdit(&edit, 1);
  EXPECT_EQ(Richedit_FirstVisibleLine(&edit), 0);
  RichEdit_ScrollToPosition(&edit, edit.LineIndex(150));
  EXPECT_LE(Richedit_FirstVisibleLine(&edit), 150);
  EXPECT_GE(Richedit_LastVisibleLine(&edit), 150);
}

}  // namespace
}  // namespace sk
