// The simple virtual grid: column shares, heading clicks and their sort
// states, numeric comparison, AllText, selection, column sizing, the
// selected cell and the sort triangle by pixel, and a million rows painted by
// asking only for the cells on the screen.
#include <gtest/gtest.h>

#include <QtCore/QCoreApplication>
#include <QtGui/QMouseEvent>
#include <QtWidgets/QAbstractScrollArea>
#include <set>
#include <utility>
#include <vector>

#include "VisualTestSupport.h"
#include "display/Simple_virtual_grid.h"
#include "platform/runtime/Strings.h"

namespace sk {
namespace {

void Mouse(TCustomDrawGrid& g, QEvent::Type type, QPoint at, Qt::MouseButtons held) {
  QWidget* vp = static_cast<QAbstractScrollArea*>(g.Widget())->viewport();
  const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
  QMouseEvent e(type, QPointF(at), vp->mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
  QCoreApplication::sendEvent(vp, &e);
}

void Click(TCustomDrawGrid& g, QPoint at) {
  Mouse(g, QEvent::MouseButtonPress, at, Qt::LeftButton);
  Mouse(g, QEvent::MouseButtonRelease, at, Qt::NoButton);
}

std::unique_ptr<TQMSimpleVirtualGrid> Grid(Int32 width = 400, Int32 height = 200) {
  TestApplication();
  auto g = std::make_unique<TQMSimpleVirtualGrid>(nullptr);
  g->SetBounds(0, 0, width, height);
  return g;
}

using Heads = std::vector<TStringIntegerAndColumnTypeRec>;

TEST(Simple_virtual_grid, ColumnSharesAndWidths) {
  auto g = Grid();
  struct Case {
    Heads heads;
    std::vector<Int32> shares;
  } cases[] = {
      {{{u"a", 30, ct_string}, {u"b", 30, ct_string}, {u"c", 30, ct_string}}, {30, 30, 40}},
      {{{u"only", 25, ct_string}}, {100}},
      // Shares past 100 leave the last column nothing, never less.
      {{{u"a", 70, ct_string}, {u"b", 60, ct_string}, {u"c", 5, ct_string}}, {70, 60, 0}},
      {{}, {100}},
  };
  for (const Case& c : cases) {
    g->DefineHeaders(c.heads);
    EXPECT_EQ(g->ColumnPercentages, c.shares);
    EXPECT_EQ(g->ColCount(), static_cast<Int32>(c.shares.size()));
    EXPECT_EQ(g->ColumnSortAscends.size(), c.shares.size());
    for (Int32 col = 0; col < g->ColCount(); ++col) EXPECT_GE(g->ColWidths(col), 0);
  }
  g->DefineHeaders({{u"name of file", 25, ct_string}, {u"size", 75, ct_integer}});
  EXPECT_EQ(g->GetHeaderHeading(0), u"Name of file");
  EXPECT_EQ(g->GetHeaderHeading(1), u"Size");
  EXPECT_EQ(g->GetHeaderHeading(2), u"");
  EXPECT_EQ(g->GetHeaderHeading(-1), u"");
  // Widths follow the client width, less the grid line.
  EXPECT_EQ(g->ColWidths(0), 100 - 1);
  EXPECT_EQ(g->ColWidths(1), 300 - 1);
  g->SetWidth(200);
  EXPECT_EQ(g->ColWidths(0), 50 - 1);
  EXPECT_EQ(g->ColWidths(1), 150 - 1);
  EXPECT_EQ(g->FixedRows(), 1);
  EXPECT_EQ(g->FixedCols(), 0);
  EXPECT_TRUE(g->HasOption(goColSizing));
  EXPECT_EQ(g->ScrollBars(), ssVertical);
}

TEST(Simple_virtual_grid, HeadingClicksSortAndAlternate) {
  auto g = Grid();
  g->DefineHeaders({{u"text", 30, ct_string}, {u"date", 30, ct_date}, {u"n", 40, ct_integer}});
  // Without a sort handler a heading click changes nothing.
  Click(*g, QPoint(150, 5));
  EXPECT_EQ(g->LastHeaderColClicked, -1);
  EXPECT_TRUE(g->UnSortedOnColumn(1));

  std::vector<std::pair<Int32, bool>> sorts;
  g->fOnSortTheData = [&](Int32 col, bool ascending) { sorts.emplace_back(col, ascending); };
  Click(*g, QPoint(150, 5));  // date: largest first
  Click(*g, QPoint(20, 5));   // text: smallest first
  Click(*g, QPoint(20, 5));   // text again: reversed
  Click(*g, QPoint(150, 5));  // date again: reversed
  Click(*g, QPoint(300, 5));  // integer: largest first
  EXPECT_EQ(sorts, (std::vector<std::pair<Int32, bool>>{{1, false}, {0, true}, {0, false}, {1, true}, {2, false}}));
  EXPECT_EQ(g->LastHeaderColClicked, 2);
  EXPECT_EQ(g->ColumnSortAscends, (std::vector<T3WaySortAscDescending>{sort3_descending, sort3_ascending, sort3_descending}));
  EXPECT_FALSE(g->UnSortedOnColumn(0));
  EXPECT_TRUE(g->UnSortedOnColumn(7));
  // A click on a data row sorts nothing.
  Click(*g, QPoint(20, 40));
  EXPECT_EQ(sorts.size(), 5u);
}

TEST(Simple_virtual_grid, NumericComparison) {
  struct Case {
    const char16_t* a;
    const char16_t* b;
    Int32 expected;
    const char16_t* strippedA;
  } cases[] = {
      {u"1,200", u"950", 1, u"1200"},
      {u"950", u"1,200", -1, u"950"},
      {u"1", u"1.5", -1, u"1"},  // a whole number beside a fraction
      {u"1.5", u"1", 1, u"1.5"},
      {u"3000000000", u"2", 1, u"3000000000"},  // past 32 bits
      {u"-5", u"3", -1, u"-5"},
      {u"12%", u"9%", 1, u"12"},
      {u"2.50", u"2.5", 0, u"2.50"},
      {u"abc", u"12", 1, u"abc"},  // not both numbers: as text, nothing stripped
      {u"1,2", u"1,2", 0, u"12"},
      {u"", u"5", -1, u""},
  };
  for (const Case& c : cases) {
    String a = c.a, b = c.b;
    EXPECT_EQ(SimpleVirtualGridComparisonOneString(a, b), c.expected) << StringToUtf8(c.a) << " vs " << StringToUtf8(c.b);
    EXPECT_EQ(a, String(c.strippedA));
  }
  auto g = Grid();
  g->DefineHeaders({{u"s", 50, ct_string}, {u"n", 50, ct_float}});
  EXPECT_EQ(g->ComparisonOneString(0, u"10", u"9"), -1);  // text column: as text
  EXPECT_EQ(g->ComparisonOneString(1, u"10", u"9"), 1);
  EXPECT_EQ(g->ComparisonOneString(5, u"10", u"9"), -1);
}

TEST(Simple_virtual_grid, AllTextWithAndWithoutData) {
  auto g = Grid();
  g->DefineHeaders({{u"name", 50, ct_string}, {u"size", 50, ct_integer}});
  g->fOnGetVirtualRows = [](TCustomDrawGrid*) { return 2; };
  g->SetRowCountAndLineHeight();
  EXPECT_EQ(g->RowCount(), 3);
  // Without the data event the cells are empty.
  EXPECT_EQ(g->AllText(), u"<B>NAME</B>\t<B>SIZE</B>\r\n\t\r\n\t\r\n");
  g->fOnGetData = [](Int32 col, Int32 count, Int32 row) {
    EXPECT_EQ(count, 2);
    return TStringColourAndAlignment{col == 0 ? u"file" + IntToStr(row) : IntToStr(100 * row), 0, al_left};
  };
  EXPECT_EQ(g->AllText(), u"<B>NAME</B>\t<B>SIZE</B>\r\nfile0\t0\r\nfile1\t100\r\n");
}

TEST(Simple_virtual_grid, RowHeightFollowsTheFontAndLines) {
  auto g = Grid();
  g->SetUsefulItemHeight();
  const Int32 one = g->DefaultRowHeight();
  g->Canvas().Font().Assign(g->Font());
  EXPECT_EQ(one, g->Canvas().TextHeight(u"gh") * 5 / 4);
  g->fLinesPerEntry = 3;
  g->SetRowCountAndLineHeight();  // without fOnGetVirtualRows the count stays
  EXPECT_EQ(g->DefaultRowHeight(), one * 3);
  EXPECT_EQ(g->RowCount(), 2);
}

TEST(Simple_virtual_grid, SelectionTellsTheHost) {
  auto g = Grid();
  g->DefineHeaders({{u"a", 50, ct_string}, {u"b", 50, ct_string}});
  g->SetRowCount(5);
  g->SetDefaultRowHeight(20);
  g->fOnGetData = [](Int32 col, Int32, Int32 row) {
    return TStringColourAndAlignment{IntToStr(col) + u":" + IntToStr(row), 0, al_left};
  };
  std::vector<std::pair<Int32, Int32>> left;
  std::vector<String> shown;
  g->fOnCellSelect = [&](TObject*, Int32 c, Int32 r, bool&) { left.emplace_back(c, r); };
  g->fOnShowSelectedCellData = [&](TCustomDrawGrid*, const String& s) { shown.push_back(s); };
  Click(*g, QPoint(250, 50));  // column 1, grid row 2
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0], std::make_pair(0, 1));  // the cell being left
  EXPECT_EQ(shown, std::vector<String>{u"1:1"});
  EXPECT_EQ(g->Col(), 1);
  EXPECT_EQ(g->Row(), 2);
}

TEST(Simple_virtual_grid, ColumnSizingTurnsWidthsIntoShares) {
  auto g = Grid();
  g->DefineHeaders({{u"a", 50, ct_string}, {u"b", 50, ct_string}});
  std::vector<std::pair<Int32, Int32>> sized;
  g->fOnColSizing = [&](TCustomDrawGrid*, Int32 x, Int32 y) { sized.emplace_back(x, y); };
  // The edge after column 0 (width 199) in the heading row.
  Mouse(*g, QEvent::MouseButtonPress, QPoint(199, 5), Qt::LeftButton);
  Mouse(*g, QEvent::MouseMove, QPoint(99, 5), Qt::LeftButton);
  Mouse(*g, QEvent::MouseButtonRelease, QPoint(99, 5), Qt::NoButton);
  EXPECT_EQ(sized, (std::vector<std::pair<Int32, Int32>>{{99, 5}}));
  EXPECT_EQ(g->ColumnPercentages, (std::vector<Int32>{25, 75}));
  EXPECT_EQ(g->ColWidths(0), 99);
  // The release after sizing does not count as a heading click.
  EXPECT_EQ(g->LastHeaderColClicked, -1);
}

TEST(Simple_virtual_grid, HorizontalScrollingIsSuppressed) {
  auto g = Grid();
  g->DefineHeaders({{u"a", 50, ct_string}, {u"b", 50, ct_string}, {u"c", 50, ct_string}});
  g->SetColWidths(0, 300);
  g->SetColWidths(1, 300);
  g->SetLeftCol(1);
  EXPECT_EQ(g->LeftCol(), 0);
}

TEST(Simple_virtual_grid, SelectedCellAndSortTriangleByPixel) {
  auto g = Grid();
  g->DefineHeaders({{u"name", 50, ct_string}, {u"size", 50, ct_integer}});
  g->fOnGetVirtualRows = [](TCustomDrawGrid*) { return 4; };
  g->SetRowCountAndLineHeight();
  g->fOnGetData = [](Int32, Int32, Int32) { return TStringColourAndAlignment{String(), 0, al_left}; };
  g->fonGetWH_1Colour = [](TWordHandling1Colour i) { return i == wh_sort_triangle ? clRed : clBlack; };
  g->fOnSortTheData = [](Int32, bool) {};
  const Int32 h = g->DefaultRowHeight();
  Click(*g, QPoint(300, h + 1 + h / 2));  // grid row 1, column 1
  Click(*g, QPoint(300, h / 2));          // heading of column 1: descending
  const QImage img = Rendered(*g);
  const TRect sel = g->CellRect(1, 1);
  EXPECT_EQ(PixelOf(img, sel.Left + 3, sel.Top + 3), ColorToRGB(clHighlight));
  const TRect plain = g->CellRect(0, 2);
  EXPECT_EQ(PixelOf(img, plain.Left + 3, plain.Top + 3), ColorToRGB(clWindow));
  // The triangle sits near the right end of the heading, in the triangle colour.
  const TRect head = g->CellRect(1, 0);
  EXPECT_TRUE(InkOn(clWindow, 1)(img, head));
  int red = 0;
  for (int y = head.Top; y < head.Bottom; ++y)
    for (int x = head.Left; x < head.Right; ++x)
      if (PixelOf(img, x, y) == ColorToRGB(clRed)) {
        ++red;
        EXPECT_GT(x, (head.Left + head.Right) / 2);
      }
  EXPECT_GT(red, 3);
  // Nothing red in the heading of the column not clicked.
  const TRect other = g->CellRect(0, 0);
  for (int y = other.Top; y < other.Bottom; ++y)
    for (int x = other.Left; x < other.Right; ++x) ASSERT_NE(PixelOf(img, x, y), ColorToRGB(clRed));
}

TEST(Simple_virtual_grid, AMillionRowsAskOnlyForVisibleCells) {
  auto g = Grid(400, 300);
  g->DefineHeaders({{u"name", 60, ct_string}, {u"size", 40, ct_integer}});
  g->fOnGetVirtualRows = [](TCustomDrawGrid*) { return 1000000; };
  g->SetRowCountAndLineHeight();
  std::set<Int32> rows;
  int asked = 0;
  g->fOnGetData = [&](Int32 col, Int32, Int32 row) {
    ++asked;
    rows.insert(row);
    return TStringColourAndAlignment{u"r" + IntToStr(row) + u"c" + IntToStr(col), 0, al_right};
  };
  for (Int32 top : {1, 500000, 1000000}) {
    g->SetTopRow(top);
    asked = 0;
    rows.clear();
    (void)Rendered(*g);
    const Int32 pitch = g->DefaultRowHeight() + 1;
    const Int32 onScreen = (300 - pitch + pitch - 1) / pitch;  // rows started below the heading
    EXPECT_LE(asked, onScreen * 2) << top;
    EXPECT_GE(asked, (onScreen - 1) * 2) << top;
    EXPECT_EQ(*rows.begin(), g->TopRow() - 1);
    EXPECT_LT(*rows.rbegin(), g->TopRow() - 1 + onScreen);
  }
  EXPECT_EQ(g->TopRow(), g->MaxTopRow());
}

}  // namespace
}  // namespace sk
