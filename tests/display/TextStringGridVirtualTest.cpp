#include "display/TextStringGridVirtual.h"

#include <gtest/gtest.h>

#include <QtCore/QCoreApplication>
#include <functional>
#include <vector>
#include <QtGui/QMouseEvent>
#include <QtWidgets/QAbstractScrollArea>
#include <QtWidgets/QScrollBar>
#include <QtTest/QTest>
#include <algorithm>

#include "DisplayTestSupport.h"
#include "analysis/Search_parsing.h"
#include "RtfTestSupport.h"
#include "TestSupport.h"
#include "platform/runtime/Colors.h"
#include "platform/visual/Forms.h"
#include "services/Monitor_functions.h"
#include "ui/Tpcprogressbars.h"

namespace sk {
namespace {

Tfixed_lang_details Lang(const char16_t* name, Cardinal lcid, Int32 number) {
  Tfixed_lang_details l{};
  for (size_t k = 0; name[k] != 0 && k < 30; ++k) l.main_nome[k] = name[k];
  l.lcid = lcid;
  l.language_number = number;
  l.preference = lang_instalada;
  return l;
}

struct Aligner {
  TTextStringGridListHolder holder;
  std::unique_ptr<TTextStringGridVirtual> grid;
  explicit Aligner(std::initializer_list<const char16_t*> texts, int width = 400, int height = 300) {
    TestApplication();
    grid = std::make_unique<TTextStringGridVirtual>(nullptr);
    grid->Font().SetName(u"DejaVu Sans");
    grid->Font().SetSize(10);
    grid->SetBounds(0, 0, width, height);
    Int32 i = 0;
    for (const char16_t* t : texts) {
      holder.SetALanguage(i, Lang(i == 1 ? u"Hebrew" : u"English", i == 1 ? kHebrewLcid : kEnglishLcid, i));
      holder.SetFontRecNameAndSize(i, u"DejaVu Sans", 12);
      holder.SetText(i, t);
      ++i;
    }
    grid->SetStringArrayHolder(&holder);
    grid->SetAllDefaultColours();
    grid->SetupLangsAndVisibility(true);
    grid->ComputeHeightsAndWidths(true);
  }
};

TEST(TextStringGridVirtual, RowMapping) {
  Aligner a({u"a\r\nb\r\nc\r\n", u"x\r\ny\r\nz\r\n", u"1\r\n2\r\n3\r\n"});
  TTextStringGridVirtual& g = *a.grid;
  EXPECT_EQ(g.LanguagesInUse(), 3);
  EXPECT_EQ(g.RowNumberToLineAndLang(7).linenum, 2);
  EXPECT_EQ(g.RowNumberToLineAndLang(7).langnum, 1);
  EXPECT_EQ(g.LineAndLangToGridRow(2, 1), 7);
  EXPECT_EQ(g.LineAndLangToGridRow(2, 3), 0);
  EXPECT_EQ(g.RowCount(), 10);
  String t;
  EXPECT_TRUE(g.GetTextOfRowForLanguage(7, 1, t));
  EXPECT_EQ(t, u"z");
  EXPECT_FALSE(g.GetTextOfRowForLanguage(7, 0, t));
  EXPECT_EQ(g.CharacterCountInRow(9), 0);
  TTextStringGridVirtual none(nullptr);
  EXPECT_EQ(none.RowNumberToLineAndLang(9).linenum, 0);
  EXPECT_EQ(none.RowNumberToLineAndLang(9).langnum, 0);
  EXPECT_EQ(none.LanguagesInUse(), 0);
  // Eight languages: row 9 is line 1 of language 1.
  Aligner eight({u"a", u"a", u"a", u"a", u"a", u"a", u"a", u"a"});
  EXPECT_EQ(eight.grid->LanguagesInUse(), 8);
  EXPECT_EQ(eight.grid->RowNumberToLineAndLang(9).linenum, 1);
  EXPECT_EQ(eight.grid->RowNumberToLineAndLang(9).langnum, 1);
}

TEST(TextStringGridVirtual, FindsLinesWithAndWithoutWholeWords) {
  Aligner a({u"The lord said\r\nlords and lord2\r\nnothing\r\n", u"LORD here\r\nxlord\r\n"});
  TTextStringGridVirtual& g = *a.grid;
  g.FindLinesContaining(u"lord", true, true);
  EXPECT_FALSE(g.Busy());
  const THighlightUTF8Stringlist* en = a.holder.List(0);
  ASSERT_NE(en->GetHighlights(0), nullptr);
  EXPECT_EQ(en->GetHighlights(0)->LinePos(0), 5);
  EXPECT_EQ(en->GetHighlights(0)->LinePosEnd(0), 9);
  EXPECT_EQ(en->GetHighlights(1), nullptr);
  EXPECT_NE(a.holder.List(1)->GetHighlights(0), nullptr);
  // Without whole words the hit grows over the word around it.
  g.FindLinesContaining(u"lord/nothing", true, false);
  ASSERT_NE(en->GetHighlights(1), nullptr);
  EXPECT_EQ(en->GetHighlights(1)->Count(), 2);
  EXPECT_EQ(en->GetHighlights(1)->LinePos(0), 1);
  EXPECT_EQ(en->GetHighlights(1)->LinePosEnd(0), 6);
  EXPECT_EQ(en->GetHighlights(1)->LinePosEnd(1), 16);
  EXPECT_EQ(en->GetHighlights(1)->TxtPos(0), 15 + 1);
  EXPECT_NE(en->GetHighlights(2), nullptr);
  // Case kept: no hit in upper case.
  g.FindLinesContaining(u"lord", false, true);
  EXPECT_EQ(a.holder.List(1)->GetHighlights(0), nullptr);
  EXPECT_EQ(Screen().Cursor(), crDefault);
}

TEST(TextStringGridVirtual, EditingSteps) {
  Aligner a({u"one\r\n\r\ntwo  words \r\n", u"uno\r\ndos\r\n"});
  TTextStringGridVirtual& g = *a.grid;
  // Row 2 is language 0's empty line 1: cut without asking.
  g.CutARow(2);
  EXPECT_EQ(a.holder.Text(0), u"one\r\ntwo  words \r\n");
  int asked = 0;
  g.fOnConfirmCutLine = [&](TObject*, const String&) { return ++asked, false; };
  g.CutARow(0);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(a.holder.List(0)->Count(), 2);
  g.TrimAllRows();
  EXPECT_EQ(a.holder.List(0)->Get(1), u"two words");
  g.SetRow(3);
  bool heading = false;
  EXPECT_TRUE(g.ToggledRowAsHeadingRow(heading));
  EXPECT_TRUE(heading);
  EXPECT_EQ(a.holder.List(1)->Get(1), u"<B>dos</B>");
  EXPECT_TRUE(g.ToggledRowAsHeadingRow(heading));
  EXPECT_FALSE(heading);
  EXPECT_EQ(a.holder.List(1)->Get(1), u"dos");
  g.SetRow(1);
  g.InsertARow();
  EXPECT_EQ(a.holder.Text(1), u"\r\nuno\r\ndos\r\n");
  g.SetCurrentRowText(TRowStringRec{u"new", TLineAndLangnum{0, 1}});
  EXPECT_EQ(a.holder.List(1)->Get(0), u"new");
  g.SetCurrentRowText(TRowStringRec{u"no", TLineAndLangnum{9, 1}});
  g.CutAllEmptyRows();
  EXPECT_EQ(a.holder.List(1)->Count(), 3);
  const auto ends = g.LinesEndingWithAbbreviation(u"WORDS");
  ASSERT_EQ(ends->Count(), 1);
  EXPECT_EQ(ends->GetAValue(0).long0, 0);
  EXPECT_EQ(ends->GetAValue(0).long1, 1);
}

TEST(TextStringGridVirtual, AHeadingIsOneBoldRunSpanningTheLine) {
  constexpr TFontStyles kBold = 1u << fsBold, kItalic = 1u << fsItalic;
  struct Case {
    const char16_t* in;
    const char16_t* out;
    TFontStyles result;
  } cases[] = {
      {u"<B>Title</B>", u"Title", kBold | kItalic},
      {u"<B></B>", u"", kBold | kItalic},
      {u"<B>a</B> and <B>b</B>", u"<B>a</B> and <B>b</B>", kItalic},
      {u"<B><B>a</B> and <B>b</B></B>", u"<B>a</B> and <B>b</B>", kBold | kItalic},
      {u"<B>x <B>y</B> z</B>", u"x <B>y</B> z", kBold | kItalic},
      {u"<B>a</B></B>", u"<B>a</B></B>", kItalic},
      {u"<B><B>a</B>", u"<B><B>a</B>", kItalic},
      {u"<B>open only", u"<B>open only", kItalic},
      {u"Plain", u"Plain", kItalic},
  };
  for (const Case& c : cases) {
    String t = c.in;
    EXPECT_EQ(FontStyleForHeadingLine(kBold | kItalic, t), c.result) << StringToUtf8(c.in);
    EXPECT_EQ(t, String(c.out)) << StringToUtf8(c.in);
  }
  // Toggling a line that merely starts and ends with bold words makes it a
  // heading, and toggling again gives the line back.
  Aligner a({u"<B>a</B> and <B>b</B>\r\n"});
  TTextStringGridVirtual& g = *a.grid;
  g.SetRow(0);
  bool heading = false;
  EXPECT_TRUE(g.ToggledRowAsHeadingRow(heading));
  EXPECT_TRUE(heading);
  EXPECT_EQ(a.holder.List(0)->Get(0), u"<B><B>a</B> and <B>b</B></B>");
  EXPECT_TRUE(g.ToggledRowAsHeadingRow(heading));
  EXPECT_FALSE(heading);
  EXPECT_EQ(a.holder.List(0)->Get(0), u"<B>a</B> and <B>b</B>");
}

TEST(TextStringGridVirtual, HighlightedRowByBytesAndMiddleByCharacters) {
  Aligner a({u"abcd\r\nef\r\ngh\r\n", u"x\r\ny\r\nz\r\n"});
  TTextStringGridVirtual& g = *a.grid;
  // Line 0 takes (4 + 2) x 2 = 12 bytes.
  g.SetHighlightedRowTo(11, 0);
  EXPECT_EQ(g.Row(), 0);
  g.SetHighlightedRowTo(12, 0);
  EXPECT_EQ(g.Row(), 2);
  g.SetHighlightedRowTo(100000, 0);  // past the end: the last line
  EXPECT_EQ(g.Row(), 4);
  EXPECT_EQ(g.HighlightedRowMidCharacter(0), 6 + 4 + 1);
  g.SetRowTo(1, 1);
  EXPECT_EQ(g.Row(), 3);
  g.DownOneRow();
  EXPECT_EQ(g.Row(), 5);
  g.DownOneRow();
  EXPECT_EQ(g.Row(), 5);
  g.UpOneRow();
  EXPECT_EQ(g.Row(), 3);
}

// Rows reached by scrolling, by the top row or by a line made current have
// the height their wrapped text needs, as those of the first screen have.
TEST(TextStringGridVirtual, RowsScrolledIntoViewHaveTheHeightTheirTextNeeds) {
  String text;
  for (int line = 0; line < 600; ++line) {
    for (int verse = 0; verse < 6; ++verse) text += u"and the lord spake unto moses saying speak unto the children ";
    text += u"\r\n";
  }
  Aligner a({text.c_str()});
  TTextStringGridVirtual& g = *a.grid;
  g.Displayer(0).Word_wrapped = true;
  g.ComputeHeightsAndWidths(true);
  const Int32 first = g.RowHeights(0);
  EXPECT_GT(first, 4 * g.DefaultRowHeight());
  g.SetTopRow(300);
  EXPECT_EQ(g.RowHeights(300), first);
  EXPECT_EQ(g.RowHeights(301), first);
  g.SetRowTo(0, 550);
  EXPECT_EQ(g.RowHeights(g.TopRow()), first);
  EXPECT_EQ(g.RowHeights(550), first);
}

// Every row on the screen is at least as high as a grid measured by force
// at that row says, however the screen got there: by the scroll bar, by
// arrow keys, by Page Down or by the top row set. Verses of one to six
// lines, so that a range measured on one screen may end above the next.
TEST(TextStringGridVirtual, EveryRowOnTheScreenHasItsHeightAfterAnyScroll) {
  String text;
  for (int line = 0; line < 160; ++line) {
    for (int k = 0; k < (line * 7) % 6; ++k) text += u"and the lord spake unto moses saying speak unto the children of israel ";
    text += u"verse " + IntToStr(line) + u"\r\n";
  }
  auto wrapped = [&] {
    auto a = std::make_unique<Aligner>(std::initializer_list<const char16_t*>{text.c_str()});
    a->grid->Displayer(0).Word_wrapped = true;
    a->grid->ComputeHeightsAndWidths(true);
    return a;
  };
  auto ref = wrapped();
  TTextStringGridVirtual& r = *ref->grid;
  std::vector<Int32> needed(static_cast<size_t>(r.RowCount()), -1);
  for (Int32 top = 0; top < r.RowCount(); top += 8) {
    r.SetTopRow(top);
    r.ComputeHeightsAndWidths(true);
    for (Int32 k = r.TopRowComputed; k < r.RowCount() && k < r.TopRowComputed + r.ScreenFulOfRows; ++k)
      if (needed[static_cast<size_t>(k)] < 0) needed[static_cast<size_t>(k)] = r.RowHeights(k);
  }
  ASSERT_EQ(std::count(needed.begin(), needed.end(), -1), 0);
  const std::pair<const char*, std::function<void(TTextStringGridVirtual&, int)>> ways[] = {
      {"scroll bar", [](TTextStringGridVirtual& g, int i) {
         QScrollBar* bar = static_cast<QAbstractScrollArea*>(g.Widget())->verticalScrollBar();
         bar->setValue(bar->value() + (i % 3 == 2 ? 5 : 1));
       }},
      {"arrow keys", [](TTextStringGridVirtual& g, int) { QTest::keyClick(g.Widget(), Qt::Key_Down); }},
      {"page down", [](TTextStringGridVirtual& g, int i) { if (i % 8 == 0) QTest::keyClick(g.Widget(), Qt::Key_PageDown); }},
      {"top row", [](TTextStringGridVirtual& g, int i) { g.SetTopRow(i); }}};
  for (const auto& [way, step] : ways) {
    auto a = wrapped();
    TTextStringGridVirtual& g = *a->grid;
    int seen = 0, tooShort = 0;
    for (int i = 0; i < 300; ++i) {
      step(g, i);
      Int64 used = 0;
      for (Int32 k = g.TopRow(); k < g.RowCount() && used < g.ClientHeight(); used += g.RowHeights(k++), ++seen)
        tooShort += g.RowHeights(k) < needed[static_cast<size_t>(k)];
    }
    EXPECT_GT(seen, 300) << way;
    EXPECT_EQ(tooShort, 0) << way << ": " << tooShort << " of " << seen << " rows on the screen too short";
  }
}

TEST(TextStringGridVirtual, PlotBarMarksAndSearchColours) {
  Aligner a({u"a\r\nlord\r\nb\r\nlord\r\n", u"x\r\ny\r\nlord\r\nz\r\n"});
  TTextStringGridVirtual& g = *a.grid;
  TPlotBar bar(nullptr);
  g.fPLotbar = &bar;
  g.FindLinesContaining(u"lord", true, true);
  EXPECT_EQ(bar.PlotMarks(0), 2);
  EXPECT_EQ(bar.PlotMarks(1), 1);
  EXPECT_EQ(bar.Width(), 2 * (CurrentPPI() / 4));
  g.SetRow(0);
  g.GoToNextPlotPoint(1);
  EXPECT_EQ(g.Row(), 2);  // line 1 of language 0
  EXPECT_TRUE(g.PlotMarkMatchesLineAndLang(TLineAndLangnum{1, 0}));
  g.GoToNextPlotPoint(1);
  EXPECT_EQ(g.Row(), 5);  // line 2 of language 1
  g.SetSearchRecColoursAndStyle(1, clYellow, clMaroon, 1u << fsItalic);
  const auto arr = g.GetSearchColoursAndStylesFixedArr();
  EXPECT_EQ(arr[1].colourset.arr[tsc_highlight], clYellow);
  EXPECT_EQ(arr[1].colourset.arr[tsc_highlighttext], clMaroon);
  EXPECT_EQ(arr[1].typeface, 1u << fsItalic);
  EXPECT_EQ(a.holder.GetLangFilenameAndColours(1).cores.arr[tsc_highlight], clYellow);
  const auto defaults = TTextStringGridVirtual::DefaultDisplayColours();
  g.SetDisplayColours(defaults);
  EXPECT_EQ(g.GetDisplayColoursFixedArr()[7].arr[tsc_windowtext], clWindowText);
  EXPECT_EQ(g.GetDisplayColoursFixedArr()[7].arr[tsc_highlight], 0);
}

TEST(TextStringGridVirtual, APressRemembersItsCellAndOneSearchWordIsTakenOut) {
  Aligner a({u"a lord\r\nb\r\n", u"x\r\ny\r\n"});
  TTextStringGridVirtual& g = *a.grid;
  auto* viewport = static_cast<QAbstractScrollArea*>(g.Widget())->viewport();
  auto mouse = [&](QEvent::Type type, TPoint at) {
    const QPointF p(at.X, at.Y);
    QMouseEvent e(type, p, viewport->mapToGlobal(p), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &e);
  };
  const TRect cell = g.CellRect(1, 2);
  mouse(QEvent::MouseButtonPress, TPoint{cell.Left + 2, cell.Top + 2});
  EXPECT_EQ(g.drag_row, 2);
  EXPECT_EQ(g.drag_col, 1);
  EXPECT_FALSE(g.Dragging()) << "a drag starts only past the drag distance";
  mouse(QEvent::MouseButtonRelease, TPoint{cell.Left + 2, cell.Top + 2});

  const TQMSearchWordRec lord = SWUnParsed_SearchWord(u"lord");
  const TQMSearchWordRec b = SWUnParsed_SearchWord(u"b");
  for (Int32 lang = 0; lang < 2; ++lang) {
    g.Displayer(lang).AddASearch(lord);
    g.Displayer(lang).AddASearch(b);
  }
  g.ClearSearchDisplay(lord);
  for (Int32 lang = 0; lang < 2; ++lang) {
    EXPECT_EQ(g.Displayer(lang).IndexOfASearch(lord), -1);
    EXPECT_GE(g.Displayer(lang).IndexOfASearch(b), 0);
  }
}

class TextStringGridVirtual_files : public ScratchFolderTest {
 protected:
  TextStringGridVirtual_files() : ScratchFolderTest("alignergrid") {}
};

TEST_F(TextStringGridVirtual_files, SavesTextAndRtf) {
  Aligner a({u"one\r\ntwo\r\n", u"\u05D0\u05D1\r\n\U0001F600\r\n"});
  TTextStringGridVirtual& g = *a.grid;
  ASSERT_TRUE(g.SavedAsText(File("a.txt"), true, as_txt));
  const std::string bytes = ReadRaw("a.txt");
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes.substr(0, 2), std::string("\xFF\xFE"));
  EXPECT_EQ(bytes.substr(2, 4), std::string("<\0001\0", 4));
  EXPECT_FALSE(g.SavedAsText(File("missing/a.txt"), false, as_txt));
  EXPECT_FALSE(g.SavedAsText(File("missing/a.rtf"), false, as_RTF));
  if (!UnrtfAvailable()) GTEST_SKIP() << "unrtf is not installed";
  ASSERT_TRUE(g.SavedAsText(File("a.rtf"), false, as_RTF));
  EXPECT_EQ(HtmlLines(UnrtfHtml(Path("a.rtf"))),
            (std::vector<String>{u"one", u"\u05D0\u05D1", u"two", u"\U0001F600"}));
  TTextStringGridVirtual empty(nullptr);
  EXPECT_FALSE(empty.SavedAsText(File("b.txt"), false, as_txt));
}

// Lines after empty ones keep their own language's font in the RTF: the
// selection that takes the font starts where the line starts.
TEST_F(TextStringGridVirtual_files, RtfLinesAfterEmptyLinesKeepTheirFont) {
  Aligner a({u"\r\nab\r\ncd\r\n"});
  TTextStringGridVirtual& g = *a.grid;
  ASSERT_TRUE(g.SavedAsText(File("blank.rtf"), false, as_RTF));
  EXPECT_EQ(g.RTFEdit->Text(), u"\r\nab\r\ncd");
  for (Int32 pos : {1, 2, 4, 5}) {  // a, b, c, d
    String name;
    Int32 size = 0;
    g.RTFEdit->FontAt(pos, name, size);
    EXPECT_EQ(size, 12) << pos;
  }
}

// Saving takes every line the holder has now, however its lines got there
// since the grid last computed its sizes.
TEST(TextStringGridVirtual, SavesEveryLineOfTheHolderWhateverTheRowCount) {
  struct Case {
    const char* what;
    std::function<void(TTextStringGridListHolder&, TTextStringGridVirtual&)> change;
    std::vector<String> expected;
  } cases[] = {
      {"holder set, sizes never computed", nullptr, {u"a1", u"b1", u"a2", u"b2", u"a3", u"b3"}},
      {"a line added", [](TTextStringGridListHolder&, TTextStringGridVirtual& g) { g.AddALine(1, u"b4"); },
       {u"a1", u"b1", u"a2", u"b2", u"a3", u"b3", u"b4"}},
      {"a language's text set", [](TTextStringGridListHolder& h, TTextStringGridVirtual&) { h.SetText(0, u"x\r\ny\r\nz\r\nw\r\n"); },
       {u"x", u"b1", u"y", u"b2", u"z", u"b3", u"w"}},
  };
  for (const Case& c : cases) {
    TestApplication();
    TTextStringGridListHolder holder;
    for (Int32 i = 0; i < 2; ++i) {
      holder.SetALanguage(i, Lang(u"English", kEnglishLcid, i));
      holder.SetFontRecNameAndSize(i, u"DejaVu Sans", 12);
      holder.SetText(i, i == 0 ? u"a1\r\na2\r\na3\r\n" : u"b1\r\nb2\r\nb3\r\n");
    }
    TTextStringGridVirtual g(nullptr);
    g.SetStringArrayHolder(&holder);
    if (c.change) {
      g.ComputeHeightsAndWidths(true);
      c.change(holder, g);
    }
    std::vector<String> saved;
    g.fOnExportStringlistToExcel = [&](TObject*, TStrings* lines, const String&) {
      for (Int32 k = 0; k < lines->Count(); ++k) saved.push_back(lines->Get(k));
    };
    EXPECT_TRUE(g.SavedAsText(u"unused.xlsx", false, as_Excel_spreadsheet)) << c.what;
    EXPECT_EQ(saved, c.expected) << c.what;
  }
}

// The grid reads the tool's holder variable: a holder freed and the variable
// cleared leaves the grid without one; a holder put in its place is used.
TEST(TextStringGridVirtual, FollowsTheToolsHolderVariable) {
  TestApplication();
  auto* toolHolder = new TTextStringGridListHolder;
  toolHolder->SetALanguage(0, Lang(u"English", kEnglishLcid, 0));
  toolHolder->SetText(0, u"one\r\n");
  TTextStringGridVirtual g(nullptr);
  g.SetBounds(0, 0, 200, 100);
  g.SetStringArrayHolder(&toolHolder);
  EXPECT_EQ(g.GetStringArrayHolder(), toolHolder);
  EXPECT_EQ(g.LanguagesInUse(), 1);
  delete toolHolder;
  toolHolder = nullptr;
  EXPECT_FALSE(g.BaseStringArrayHolderOK());
  EXPECT_EQ(g.LanguagesInUse(), 0);
  EXPECT_FALSE(g.SavedAsText(u"unused.txt", false, as_txt));
  (void)Rendered(g);  // paints nothing, reads nothing freed
  TTextStringGridListHolder replacement;
  for (Int32 i = 0; i < 2; ++i) replacement.SetALanguage(i, Lang(u"English", kEnglishLcid, i));
  toolHolder = &replacement;
  EXPECT_EQ(g.LanguagesInUse(), 2);
  g.SetStringArrayHolder(nullptr);
  EXPECT_EQ(g.LanguagesInUse(), 0);
}

TEST(TextStringGridVirtual, PaintsNumbersFramesSelectionAndHits) {
  Aligner a({u"lord of all\r\nsecond\r\n", u"\u05D0\u05D3\u05D5\u05DF \u05D4\u05DB\u05DC\r\n"}, 500, 300);
  TTextStringGridVirtual& g = *a.grid;
  g.fOnNumberIsCheckMarked = [](TObject*, TLineAndLangnum at) { return at.linenum == 0 && at.langnum == 0; };
  g.unusualrow = 2;
  g.SelectLine(0, 1);
  g.FindLinesContaining(u"lord/\u05D0\u05D3\u05D5\u05DF", false, true);
  const QImage img = Rendered(g);
  auto count = [&](const TRect& r, TColor c) {
    int n = 0;
    for (int y = r.Top; y < std::min(r.Bottom, img.height()); ++y)
      for (int x = r.Left; x < std::min(r.Right, img.width()); ++x)
        if (PixelOf(img, x, y) == c) ++n;
    return n;
  };
  auto inkX = [&](const TRect& r, TColor bg, bool fromRight) {
    const int right = std::min(r.Right, img.width());
    for (int i = 0; i < right - r.Left; ++i) {
      const int x = fromRight ? right - 1 - i : r.Left + i;
      for (int y = r.Top; y < std::min(r.Bottom, img.height()); ++y)
        if (PixelOf(img, x, y) != bg) return x;
    }
    return -1;
  };
  const TColor window = ColorToRGB(clWindow);
  // The number sits at the right of column 0, the tick at its left.
  const TRect num = g.CellRect(0, 2);
  ASSERT_GT(num.Right, num.Left);
  EXPECT_GT(inkX(num, window, true), num.Right - 8);
  const TRect num0 = g.CellRect(0, 0);
  EXPECT_LT(inkX(num0, window, false), num0.Left + 4);
  EXPECT_GT(inkX(num, window, false), num.Left + 4);
  // The unusual row's frame, the selected row's block.
  const TColor hl = ColorToRGB(clHighlight);
  const TRect framed = g.CellRect(1, 2);
  EXPECT_EQ(PixelOf(img, framed.Left, framed.Top + 2), hl);
  const TRect sel = g.CellRect(1, 1);
  EXPECT_EQ(PixelOf(img, sel.Left + 1, (sel.Top + sel.Bottom) / 2), hl);
  // Hits in the colours of their language.
  const TMyCanvasColourRec en = a.holder.GetLangFilenameAndColours(0).cores;
  const TMyCanvasColourRec he = a.holder.GetLangFilenameAndColours(1).cores;
  EXPECT_GT(count(g.CellRect(1, 0), ColorToRGB(en.arr[tsc_highlighttext])), 5);
  EXPECT_GT(count(g.CellRect(1, 1), ColorToRGB(he.arr[tsc_highlighttext])), 5);
  EXPECT_NE(en.arr[tsc_highlighttext], he.arr[tsc_highlighttext]);
  EXPECT_EQ(count(g.CellRect(1, 2), ColorToRGB(en.arr[tsc_highlighttext])), 0);
  // The Hebrew line is laid from the right.
  const TRect heb = g.CellRect(1, 1);
  const TRect heRight{heb.Left + 20, heb.Top, std::min(heb.Right, img.width()), heb.Bottom};
  EXPECT_GT(inkX(heRight, window, true), heRight.Right - 40);
  const TRect eng = g.CellRect(1, 2);
  EXPECT_LT(inkX(TRect{eng.Left + 3, eng.Top + 2, eng.Right - 2, eng.Bottom - 2}, window, true),
            (eng.Left + eng.Right) / 2);
}

}  // namespace
}  // namespace sk
