#include "display/SourceTextRichEdit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include <QtTest/QTest>
#include <QtWidgets/QTextEdit>

#include "DisplayTestSupport.h"
#include "RtfTestSupport.h"
#include "TestSupport.h"
#include "core/Global_vars.h"

namespace sk {
namespace {

constexpr TFontStyles kBold = 1u << fsBold;

class SourceTextRichEdit : public ScratchFolderTest {
 protected:
  SourceTextRichEdit() : ScratchFolderTest("sourcetext") {}
  String Write(const std::string& name, const std::string& utf8) {
    WriteRaw(name, utf8);
    return File(name);
  }
  static std::unique_ptr<TSimpleSearchlist> Words(std::initializer_list<const char16_t*> lines) {
    auto l = std::make_unique<TSimpleSearchlist>(DefaultSimpleSearchSettings());
    for (const char16_t* s : lines) l->LoadFromAString(s);
    return l;
  }
  static void Colours(TSourceTextRichEdit& e) {
    e.SetColours(t_special, clRed, clBlue, clDefault, kBold);
  }
};

TEST_F(SourceTextRichEdit, SegmentsOfAWholeText) {
  std::string text;
  for (int i = 1; i <= 12001; ++i) text += "line " + std::to_string(i) + "\r\n";
  TSourceTextRichEdit e;
  ASSERT_TRUE(e.LoadedASourceText(Write("big.txt", text), false));
  EXPECT_EQ(e.TextSegments, 3);
  EXPECT_EQ(e.total_source_text_lines, 12001);
  EXPECT_EQ(e.Segment(0)->Count(), 5000);
  EXPECT_EQ(e.Segment(1)->Count(), 5000);
  EXPECT_EQ(e.Segment(2)->Count(), 2001);
  EXPECT_EQ(e.Segment(1)->Get(0), u"line 5001");
  EXPECT_EQ(e.SourceTextLen, static_cast<Int32>(text.size()));
  EXPECT_EQ(e.LineCount(), 5000);
  EXPECT_EQ(e.source_info[1].f_cp_unc_start, e.source_info[0].segm_Len);
  EXPECT_EQ(e.source_info[2].f_cp_unc_start, e.source_info[0].segm_Len + e.source_info[1].segm_Len);
  // The file position of "line 5001" lies in segment 1; its edit position is
  // the segment's start.
  const Int32 pos5001 = static_cast<Int32>(text.find("line 5001"));
  EXPECT_EQ(e.CorrectSegmentForFileCharPos(pos5001), 1);
  e.LoadSegmentForFileCharPos(pos5001 + 12);  // "line 5002" after its CR LF
  EXPECT_EQ(e.CurrentSegm, 1);
  EXPECT_EQ(e.CurrentSegLine(), 5001);
  EXPECT_TRUE(e.segment_changed);
  EXPECT_EQ(e.Line(0), u"line 5001");
  EXPECT_EQ(e.FileCharposToSegCharposWC(pos5001 + 11), 10);
  EXPECT_EQ(e.Line(e.LineFromChar(e.FileCharposToSegCharposWC(pos5001 + 11))), u"line 5002");
  EXPECT_EQ(e.CorrectSegmentForFileCharPos(1 << 30), 0);
  // Long lines start a segment sooner: 300,000 characters a line.
  const std::string longLines = std::string(300000, 'a') + "\n" + std::string(300000, 'b') + "\nc\n";
  ASSERT_TRUE(e.LoadedASourceText(Write("long.txt", longLines), false));
  EXPECT_EQ(e.TextSegments, 2);
  e.LoadAChunkOfText(1);
  EXPECT_EQ(e.CurrentSegLine(), 2);
  EXPECT_EQ(e.CorrectSegmentForFileCharPos(300001), 1);
}

// A word's file position, counted in the file's own characters and line
// ends, marks that word in whichever segment holds it.
TEST_F(SourceTextRichEdit, AWordIsMarkedAtItsFilePositionWhateverTheLineEnds) {
  const char* kinds[][4] = {
      {"\n", "\n", "\n", "\n"},
      {"\r", "\r", "\r", "\r"},
      {"\r\n", "\r\n", "\r\n", "\r\n"},
      {"\n", "\r\n", "\r", "\r\n"}};
  for (const auto& kind : kinds) {
    std::string text;
    for (int i = 0; i < 11; ++i) text += "line w" + std::to_string(i) + " end" + kind[i % 4];
    TSourceTextRichEdit e;
    e.lines_per_text_segment = 3;
    ASSERT_TRUE(e.LoadedASourceText(Write("ends.txt", text), false));
    EXPECT_EQ(e.TextSegments, 4);
    EXPECT_EQ(e.SourceTextLen, static_cast<Int32>(text.size()));
    for (int i : {0, 2, 3, 7, 10}) {
      const std::string word = "w" + std::to_string(i);
      const Int32 at = static_cast<Int32>(text.find(word + " "));
      e.ManualHighlightASourceTextWord(at, static_cast<Int32>(word.size()), clRed, clDefault);
      EXPECT_EQ(e.CurrentSegm, i / 3);
      EXPECT_EQ(e.CurrentSegLine(), i / 3 * 3 + 1);
      EXPECT_EQ(StringToUtf8(e.PlainText().substr(static_cast<size_t>(e.last_manual_SW_highlight_pos), word.size())),
                word)
          << kind[0] << kind[1] << " " << word;
    }
  }
}

TEST_F(SourceTextRichEdit, HeaderSplitAndMissingFiles) {
  TSourceTextRichEdit e;
  ASSERT_TRUE(e.LoadedASourceText(Write("h.txt", "  Title\r\nby someone \xEE\x80\x8A\r\n  Body one\r\nBody two\r\n"), true));
  EXPECT_EQ(e.initial_SW_section_of_text, u"Title\r\nby someone \uE00A");
  EXPECT_EQ(e.Text(), u"Body one\r\nBody two");
  // Missing, a folder, or empty: false and no exception.
  TSourceTextRichEdit f;
  EXPECT_FALSE(f.LoadedASourceText(File("none.txt"), false));
  EXPECT_FALSE(f.LoadedASourceText(Utf8ToString(fDir), false));
  EXPECT_FALSE(f.LoadedASourceText(Write("empty.txt", ""), false));
  EXPECT_TRUE(f.fSourceTextFilename.empty());
  // UTF-16LE with a byte-order mark.
  EXPECT_TRUE(f.LoadedASourceText(Write("u16.txt", std::string("\xFF\xFE" "a\0\r\0\n\0\xE9\x05", 10)), false));
  EXPECT_EQ(f.Text(), u"a\r\n\u05E9");
}

TEST_F(SourceTextRichEdit, MarkupHiddenAndGreyed) {
  std::string text = "a <short> b <" + std::string(30, 'x') + "> c\r\n";
  for (int i = 0; i < 250; ++i) text += "<t>w ";
  TSourceTextRichEdit e;
  e.SetMarkupEtc(20, u'<', u'>');
  ASSERT_TRUE(e.LoadedASourceText(Write("m.txt", text), false));
  e.GreyOutAnyMarkup(nullptr, nullptr, 1);
  const TColor grey = ColorToRGB(clGrayText);
  EXPECT_EQ(e.FormatAt(2).Color, grey);   // "<short>"
  EXPECT_EQ(e.FormatAt(8).Color, grey);
  EXPECT_NE(e.FormatAt(12).Color, grey);  // longer than the span
  EXPECT_NE(e.FormatAt(0).Color, grey);
  // 201 sections in all: the second line's first 200 tags, not the rest.
  const Int32 line2 = e.LineIndex(1);
  EXPECT_EQ(e.FormatAt(line2 + 199 * 5).Color, grey);
  EXPECT_NE(e.FormatAt(line2 + 200 * 5).Color, grey);
  // Hidden: the text without tags.
  e.SetWithOrWithoutMarkup(true);
  EXPECT_EQ(e.Line(0), u"a  b <" + String(30, u'x') + u"> c");
}

// With several words selected the search words go in order of hits, most
// first, and every word index follows its word: counting, listing and
// walking a word's hits still give that word's own hits.
TEST_F(SourceTextRichEdit, SeveralWordsSortedOnHitsKeepTheirOwnHits) {
  TestApplication();
  const String file = Write("h.txt", "fox dog cat dog cat cat\r\nowl");
  const std::vector<const char16_t*> words = {u"fox", u"dog", u"cat", u"emu"};
  const std::map<String, std::vector<Int32>> hitsOf = {
      {u"FOX", {0}}, {u"DOG", {4, 12}}, {u"CAT", {8, 16, 20}}, {u"EMU", {}}};
  struct Case {
    const char* what;
    std::vector<Int32> selection, filter;
    std::vector<String> order;            // the search words afterwards
    std::vector<Int32> selectionAfter, filterAfter;
  } cases[] = {
      {"all", {}, {2}, {u"CAT", u"DOG", u"FOX", u"EMU"}, {}, {0}},
      {"two", {0, 2}, {0, 1}, {u"CAT", u"FOX", u"DOG", u"EMU"}, {1, 0}, {1, 2}},
      {"one: no sorting", {0}, {0}, {u"FOX", u"DOG", u"CAT", u"EMU"}, {0}, {0}},
  };
  for (const Case& c : cases) {
    TSourceTextRichEdit e;
    Colours(e);
    ASSERT_TRUE(e.LoadedASourceText(file, false));
    e.SetSWs(*Words({words[0], words[1], words[2], words[3]}), c.filter);
    std::vector<Int32> selection = c.selection;
    EXPECT_EQ(e.FoundSWsAndMarkedSWPositions(selection, nullptr), 0) << c.what;
    std::vector<String> order;
    for (Int32 j = 0; j < e.SearchWords().Count(); ++j) order.push_back(e.SearchWords().GetATypedInSW(j));
    EXPECT_EQ(order, c.order) << c.what;
    EXPECT_EQ(selection, c.selectionAfter) << c.what;
    EXPECT_EQ(e.fFilter, c.filterAfter) << c.what;
    Int32 most = -1;
    for (Int32 j = 0; j < e.SearchWords().Count(); ++j) {
      const std::vector<Int32>& own = hitsOf.at(order[static_cast<size_t>(j)]);
      const bool chosen = c.selection.empty() || std::find(selection.begin(), selection.end(), j) != selection.end();
      if (!chosen) continue;
      if (most < 0 || own.size() > hitsOf.at(order[static_cast<size_t>(most)]).size()) most = j;
      EXPECT_EQ(e.SearchWords().GetASearchRec(j).n_found, static_cast<Int32>(own.size())) << c.what << " " << j;
      Int32 first = 0;
      EXPECT_EQ(e.CountAndFirstPosOfSWPositions(j, first), static_cast<Int32>(own.size())) << c.what << " " << j;
      EXPECT_EQ(first, own.empty() ? -1 : own[0]) << c.what << " " << j;
      EXPECT_EQ(e.SearchWordPositionsAsArray({j}), own) << c.what << " " << j;
      // Walking forward over the word's hits visits each of them, then wraps.
      std::vector<Int32> walked;
      e.SelectedHighlightMark = -1;  // from the start of the text
      for (size_t k = 0; k < own.size() + 1; ++k) walked.push_back(e.NextUpOrDown({j}, 1).riched_char_pos);
      if (own.empty()) {
        EXPECT_EQ(walked, std::vector<Int32>{-1}) << c.what;
      } else {
        std::vector<Int32> expected = own;
        expected.push_back(own[0]);
        EXPECT_EQ(walked, expected) << c.what << " " << j;
      }
    }
    EXPECT_EQ(e.HighestFreqSW, most) << c.what;
  }
}

TEST_F(SourceTextRichEdit, HitsColdHotAndWalked) {
  TestApplication();
  TSourceTextRichEdit e;
  Colours(e);
  ASSERT_TRUE(e.LoadedASourceText(
      Write("k.txt", "the lord said <lord> to god\r\nand god saw the lord\r\nlordship lord"), false));
  e.SetSWs(*Words({u"lord", u"god"}), {});
  EXPECT_EQ(e.FoundSWsAndMarkedSWPositions({}, nullptr), 4);
  ASSERT_EQ(e.TotalPositionsFound(), 5);
  const std::vector<Int32> lords = e.SearchWordPositionsAsArray({0});
  EXPECT_EQ(lords, (std::vector<Int32>{4, 44, 58}));
  EXPECT_EQ(e.SearchWords().GetASearchRec(0).n_found, 3);
  EXPECT_EQ(e.SearchWords().GetASearchRec(1).n_found, 2);
  EXPECT_EQ(e.HighestFreqSW, 0);
  Int32 first = 0;
  EXPECT_EQ(e.CountAndFirstPosOfSWPositions(1, first), 2);
  EXPECT_EQ(first, 24);
  EXPECT_EQ(e.FormatAt(4), (TRichCharFormat{clNone, clRed, kBold}));
  EXPECT_EQ(e.FormatAt(15).Color, ColorToRGB(clGrayText));  // markup, no hit
  // Hot on the current hit, cold again when it moves on.
  e.GotoSpecificSW(1);
  EXPECT_EQ(e.FormatAt(24).Color, clBlue);
  EXPECT_EQ(e.NextUpOrDown({0}, 1).riched_char_pos, 44);
  EXPECT_EQ(e.FormatAt(24).Color, clRed);
  EXPECT_EQ(e.FormatAt(44).Color, clBlue);
  EXPECT_EQ(e.NextUpOrDown({0}, 1).riched_char_pos, 58);
  EXPECT_EQ(e.NextUpOrDown({0}, 1).riched_char_pos, 4);   // wraps forward
  EXPECT_EQ(e.NextUpOrDown({0}, -1).riched_char_pos, 58);  // and back
  EXPECT_EQ(e.NextUpOrDown({}, 1).riched_char_pos, 4);
  EXPECT_EQ(e.NextUpOrDown({7}, 1).riched_char_pos, -1);
  EXPECT_EQ(e.last_auto_SW_highlight_rec.riched_char_pos, 4);
  // Indexes outside the hits change nothing.
  e.GotoSpecificSW(99);
  e.GotoSpecificSW(-1);
  EXPECT_EQ(e.SelectedHighlightMark, 0);
  EXPECT_EQ(e.FindAndSetSelectedHighlightMark(45), 3);
  EXPECT_EQ(e.FindAndSetSelectedHighlightMark(3), -1);
}

TEST_F(SourceTextRichEdit, WordsFromCountedLines) {
  TStringlistWithALongint l;
  l.AddOne(u"  lord ", 12);
  l.AddOne(u"   ", 3);
  l.AddOne(u"*god*", 4);
  TTextSimpleSearchlist s(DefaultSimpleSearchSettings());
  s.LoadFromAStringListWithLongint(&l);
  ASSERT_EQ(s.Count(), 2);
  EXPECT_EQ(s.GetASearchRec(0).mainwd.wd, u"LORD");
  EXPECT_EQ(s.GetASearchRec(0).n_found, 12);
  EXPECT_EQ(s.GetASearchRec(1).n_found, 4);
  EXPECT_FALSE(s.GetASearchRec(1).mainwd.flags.Contains(msLeftBounded));
}

TEST_F(SourceTextRichEdit, HitPixelsInItsColourInHebrewToo) {
  TestApplication();
  struct Case {
    std::string text;
    const char16_t* word;
  };
  const Case cases[] = {{"plain words and the lord here", u"lord"},
                        {"\xD7\x91\xD7\xA8\xD7\x90\xD7\xA9\xD7\x99\xD7\xAA \xD7\x90\xD7\x9C\xD7\x94\xD7\x99\xD7\x9D", u"\u05D0\u05DC\u05D4\u05D9\u05DD"}};
  for (const Case& c : cases) {
    TSourceTextRichEdit e;
    e.SetColours(t_special, TColor(0x0000E0), TColor(0xE00000), clDefault, kBold);
    e.SetFont(u"DejaVu Sans", 14);
    e.SetColor(clWhite);
    ASSERT_TRUE(e.LoadedASourceText(Write("p.txt", c.text), false));
    e.SetBounds(0, 0, 400, 120);
    e.Widget()->show();
    e.SetSWs(*Words({c.word}), {});
    ASSERT_GE(e.FoundSWsAndMarkedSWPositions({}, nullptr), 0);
    QCoreApplication::processEvents();
    const QImage img = e.Widget()->viewport()->grab().toImage();
    int hit = 0;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x)
        if (PixelOf(img, x, y) == TColor(0x0000E0)) ++hit;
    EXPECT_GT(hit, 20) << c.text;
  }
}

TEST_F(SourceTextRichEdit, BookmarkKeysAndTopLine) {
  TestApplication();
  TSourceTextRichEdit e;
  std::string text;
  for (int i = 0; i < 300; ++i) text += "line\r\n";
  ASSERT_TRUE(e.LoadedASourceText(Write("b.txt", text), false));
  e.SetBounds(0, 0, 300, 150);
  e.Widget()->show();
  std::vector<std::pair<Int32, bool>> marks;
  std::vector<Int32> tops;
  e.fOnBookmarking = [&](TObject*, Int32 d, bool set) { marks.emplace_back(d, set); };
  e.fOnTopLineChange = [&](TObject*, Int32 top) { tops.push_back(top); };
  QWidget* w = e.Widget();
  QTest::keyClick(w, Qt::Key_3, Qt::ControlModifier);
  QTest::keyClick(w, Qt::Key_K, Qt::ControlModifier);
  EXPECT_TRUE(e.fBookmark_Key_pressed);
  QTest::keyClick(w, Qt::Key_5);
  EXPECT_FALSE(e.fBookmark_Key_pressed);
  QTest::keyClick(w, Qt::Key_7);  // disarmed: no bookmark
  QTest::keyClick(w, Qt::Key_4, Qt::ControlModifier | Qt::AltModifier);
  EXPECT_EQ(marks, (std::vector<std::pair<Int32, bool>>{{3, true}, {5, false}}));
  QTest::keyClick(w, Qt::Key_PageDown);
  ASSERT_FALSE(tops.empty());
  EXPECT_GT(tops.back(), 0);
  EXPECT_EQ(e.ftop_screen_line, e.FirstVisibleLine());
}

TEST_F(SourceTextRichEdit, SaveAsRtfKeepsTheTextShown) {
  if (!UnrtfAvailable()) GTEST_SKIP() << "unrtf is not installed";
  TSourceTextRichEdit e;
  ASSERT_TRUE(e.LoadedASourceText(Write("s.txt", "shown text"), false));
  ASSERT_TRUE(e.SaveAsRTF(File("s.rtf"), {u"<B>first</B>", u"second \u05E9"}, true));
  const std::string html = UnrtfHtml(Path("s.rtf"));
  EXPECT_EQ(HtmlLines(html), (std::vector<String>{u"second \u05E9", u"first"})) << html;
  EXPECT_NE(html.find("<b>first</b>"), std::string::npos) << html;
  EXPECT_EQ(e.Text(), u"shown text");
}

}  // namespace
}  // namespace sk
