// The draw grid: cell rectangles with fixed cells and grid lines, cells under
// the mouse at their edges, scrolling by rows over a million rows, rows of
// their own height, selection by mouse and keys, the key codes, the
// right-to-left layout, column sizing, dragging and the in-place editor.
#include <gtest/gtest.h>

#include <QtCore/QCoreApplication>
#include <QtGui/QMouseEvent>
#include <QtGui/QPainter>
#include <QtGui/QWheelEvent>
#include <QtTest/QTest>
#include <QtWidgets/QAbstractScrollArea>
#include <QtWidgets/QApplication>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QScrollBar>
#include <random>
#include <set>
#include <stdexcept>
#include <vector>

#include "VisualTestSupport.h"
#include "platform/runtime/Strings.h"
#include "platform/visual/DrawGrid.h"

namespace sk {
namespace {

QAbstractScrollArea* Area(TCustomDrawGrid& g) { return static_cast<QAbstractScrollArea*>(g.Widget()); }
QWidget* Viewport(TCustomDrawGrid& g) { return Area(g)->viewport(); }

// A mouse event on the grid's viewport with the buttons held.
void Mouse(TCustomDrawGrid& g, QEvent::Type type, QPoint at, Qt::MouseButtons held,
           Qt::KeyboardModifiers mods = Qt::NoModifier) {
  QWidget* vp = Viewport(g);
  const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
  QMouseEvent e(type, QPointF(at), vp->mapToGlobal(QPointF(at)), button, held, mods);
  QCoreApplication::sendEvent(vp, &e);
}

void Press(TCustomDrawGrid& g, QPoint at, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  Mouse(g, QEvent::MouseButtonPress, at, Qt::LeftButton, mods);
}
void MoveHeld(TCustomDrawGrid& g, QPoint at) { Mouse(g, QEvent::MouseMove, at, Qt::LeftButton); }
void Release(TCustomDrawGrid& g, QPoint at) { Mouse(g, QEvent::MouseButtonRelease, at, Qt::NoButton); }

// A 5 x 5 grid (one fixed row and column, 64 x 24 cells, lines of 1) with
// room to spare, so that no scroll bar takes any of it.
std::unique_ptr<TDrawGrid> RoomyGrid() {
  TestApplication();
  auto g = std::make_unique<TDrawGrid>(nullptr);
  g->SetBounds(0, 0, 400, 200);
  return g;
}

TEST(TDrawGridGeometry, CellRectCountsFixedCellsAndTheLinesBefore) {
  auto g = RoomyGrid();
  ASSERT_EQ(g->ClientWidth(), 400);
  struct Case {
    Int32 line;
    TGridOptions options;
    Int32 col, row;
    TRect expected;
  } cases[] = {
      {1, DefaultGridOptions, 0, 0, {0, 0, 64, 24}},
      {1, DefaultGridOptions, 1, 0, {65, 0, 129, 24}},
      {1, DefaultGridOptions, 0, 1, {0, 25, 64, 49}},
      {1, DefaultGridOptions, 2, 3, {130, 75, 194, 99}},
      {3, DefaultGridOptions, 2, 3, {134, 81, 198, 105}},
      {0, DefaultGridOptions, 2, 3, {128, 72, 192, 96}},
      // Without lines between the non-fixed columns only the fixed column's line counts.
      {1, DefaultGridOptions & ~GridOptionBit(goVertLine), 3, 0, {193, 0, 257, 24}},
      {1, DefaultGridOptions & ~GridOptionBit(goFixedHorzLine), 1, 2, {65, 49, 129, 73}},
      {1, DefaultGridOptions, 5, 0, {}},
      {1, DefaultGridOptions, -1, 0, {}},
      {1, DefaultGridOptions, 0, 5, {}},
  };
  for (const Case& c : cases) {
    g->SetGridLineWidth(c.line);
    g->SetOptions(c.options);
    EXPECT_EQ(g->CellRect(c.col, c.row), c.expected) << "line " << c.line << " cell " << c.col << "," << c.row;
  }
}

TEST(TDrawGridGeometry, MouseToCellAtTheEdgesOfCells) {
  auto g = RoomyGrid();
  g->SetGridLineWidth(2);
  // Columns: 0..63 cell, 64..65 line, 66..129 next; rows likewise with 24.
  struct Case {
    Int32 x, y, col, row;
  } cases[] = {
      {0, 0, 0, 0},     {63, 23, 0, 0},   {64, 24, 0, 0},   {65, 25, 0, 0},    {66, 26, 1, 1},
      {129, 49, 1, 1},  {131, 51, 1, 1},  {132, 52, 2, 2},  {329, 129, 4, 4},  {330, 10, -1, -1},
      {10, 130, -1, -1}, {-1, 5, -1, -1}, {5, -1, -1, -1},  {399, 199, -1, -1},
  };
  for (const Case& c : cases) {
    Int32 col = 99, row = 99;
    g->MouseToCell(c.x, c.y, col, row);
    EXPECT_EQ(col, c.col) << "at " << c.x << "," << c.y;
    EXPECT_EQ(row, c.row) << "at " << c.x << "," << c.y;
  }
}

TEST(TDrawGridScrolling, ScrollsByRowsOverAMillionRows) {
  auto g = RoomyGrid();
  int topLeftChanges = 0;
  g->OnTopLeftChanged = [&](TObject*) { ++topLeftChanges; };
  g->SetRowCount(1000000);
  // 175 pixels below the fixed row hold exactly 7 rows of 25.
  EXPECT_EQ(g->VisibleRowCount(), 7);
  EXPECT_EQ(g->MaxTopRow(), 1000000 - 7);
  g->SetTopRow(5000000);
  EXPECT_EQ(g->TopRow(), 999993);
  g->SetTopRow(-3);
  EXPECT_EQ(g->TopRow(), 1);
  g->SetTopRow(10);
  EXPECT_EQ(g->TopRow(), 10);
  EXPECT_EQ(g->CellRect(1, 9), TRect{});
  EXPECT_EQ(g->CellRect(1, 10).Top, 25);
  EXPECT_EQ(g->CellRect(1, 16).Top, 175);
  EXPECT_EQ(g->CellRect(1, 17), TRect{});
  EXPECT_EQ(g->MouseCoord(70, 30), (TGridCoord{1, 10}));
  EXPECT_EQ(g->MouseCoord(70, 10), (TGridCoord{1, 0}));
  // The vertical bar counts rows and moves the top row.
  QScrollBar* bar = Area(*g)->verticalScrollBar();
  EXPECT_EQ(Area(*g)->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_EQ(bar->value(), 10);
  EXPECT_EQ(bar->maximum(), 999993);
  const int before = topLeftChanges;
  bar->setValue(500000);
  EXPECT_EQ(g->TopRow(), 500000);
  EXPECT_EQ(topLeftChanges, before + 1);
  // Moving the current row below the screen scrolls it into view as the last row.
  g->FocusCell(1, 600000);
  EXPECT_EQ(g->TopRow(), 600000 - 6);
  g->FocusCell(1, 20);
  EXPECT_EQ(g->TopRow(), 20);
  // A grid that fits needs no bar.
  g->SetRowCount(5);
  EXPECT_EQ(Area(*g)->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  EXPECT_EQ(g->TopRow(), 1);
}

// A turn of the wheel over the grid's cells by delta (120 a notch).
void Wheel(TCustomDrawGrid& g, int delta, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  QWidget* vp = Viewport(g);
  QWheelEvent e(QPointF(70, 40), vp->mapToGlobal(QPointF(70, 40)), QPoint(), QPoint(0, delta), Qt::NoButton, mods,
                Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(vp, &e);
}

// When the rows (or columns) fit the client exactly but for the line after
// the last one, the last one is reachable with the top at the count less the
// rows shown, and moving the current cell to it does not scroll further.
TEST(TDrawGridScrolling, TheLastRowAndColumnAtAnExactFit) {
  struct Case {
    Int32 height, visibleRows, maxTop;
    Int32 width, visibleCols, maxLeft;
  } cases[] = {
      {299, 11, 989, 389, 5, 95},  // the last row's line would fall outside
      {300, 11, 989, 390, 5, 95},  // room for the line too
      {298, 10, 990, 388, 4, 96},  // one pixel short of the last row
  };
  for (const Case& c : cases) {
    auto g = RoomyGrid();
    g->SetBounds(0, 0, c.width, c.height);
    g->SetRowCount(1000);
    g->SetColCount(100);
    // The client area without the scroll bars is what must fit.
    g->SetBounds(0, 0, 2 * c.width - g->ClientWidth(), 2 * c.height - g->ClientHeight());
    ASSERT_EQ(g->ClientHeight(), c.height);
    ASSERT_EQ(g->ClientWidth(), c.width);
    EXPECT_EQ(g->VisibleRowCount(), c.visibleRows) << c.height;
    EXPECT_EQ(g->MaxTopRow(), c.maxTop) << c.height;
    EXPECT_EQ(g->VisibleColCount(), c.visibleCols) << c.width;
    g->SetLeftCol(1000);  // held to the last left column
    EXPECT_EQ(g->LeftCol(), c.maxLeft) << c.width;
    g->SetTopRow(c.maxTop);
    g->SetRow(999);
    EXPECT_EQ(g->TopRow(), c.maxTop) << c.height;
    g->SetLeftCol(c.maxLeft);
    g->SetCol(99);
    EXPECT_EQ(g->LeftCol(), c.maxLeft) << c.width;
  }
}

TEST(TDrawGridScrolling, TheWheelMovesTheCurrentRowAndADoubleClickIsReported) {
  auto g = RoomyGrid();
  g->SetRowCount(1000);
  g->FocusCell(2, 1);
  // A notch towards the user moves one row down; half notches add up.
  Wheel(*g, -120);
  EXPECT_EQ(g->Row(), 2);
  Wheel(*g, -60);
  EXPECT_EQ(g->Row(), 2);
  Wheel(*g, -60);
  EXPECT_EQ(g->Row(), 3);
  for (int i = 0; i < 10; ++i) Wheel(*g, -120);
  EXPECT_EQ(g->Row(), 13);
  EXPECT_EQ(g->TopRow(), 13 - 6);  // scrolled with it
  Wheel(*g, 360);
  EXPECT_EQ(g->Row(), 10);
  EXPECT_EQ(g->Col(), 2);
  // A handler may take the wheel over.
  std::vector<Int32> deltas;
  g->OnMouseWheel = [&](TObject*, TShiftState shift, Int32 delta, TPoint, bool& handled) {
    deltas.push_back(shift & ShiftBit(ssCtrl) ? -delta : delta);
    handled = true;
  };
  Wheel(*g, -120, Qt::ControlModifier);
  EXPECT_EQ(deltas, std::vector<Int32>{120});
  EXPECT_EQ(g->Row(), 10);

  int doubles = 0;
  g->OnDblClick = [&](TObject*) { ++doubles; };
  g->SetTopRow(1);
  Mouse(*g, QEvent::MouseButtonPress, QPoint(140, 60), Qt::LeftButton);
  Mouse(*g, QEvent::MouseButtonRelease, QPoint(140, 60), Qt::NoButton);
  Mouse(*g, QEvent::MouseButtonDblClick, QPoint(140, 60), Qt::LeftButton);
  Mouse(*g, QEvent::MouseButtonRelease, QPoint(140, 60), Qt::NoButton);
  EXPECT_EQ(doubles, 1);
  EXPECT_EQ(g->Col(), 2);
  EXPECT_EQ(g->Row(), 2);
  EXPECT_EQ(g->GridState(), gsNormal);
}

TEST(TDrawGridPainting, SetRedrawStopsAndStartsPainting) {
  auto g = RoomyGrid();
  int cells = 0;
  g->OnDrawCell = [&](TObject*, Int32, Int32, const TRect&, TGridDrawState) { ++cells; };
  g->Perform(0x000B, 0, 0);
  EXPECT_FALSE(Viewport(*g)->updatesEnabled());
  g->Perform(0x000B, 1, 0);
  EXPECT_TRUE(Viewport(*g)->updatesEnabled());
  (void)Rendered(*g);
  EXPECT_EQ(cells, 25);
}

TEST(TDrawGridRows, RowsOfTheirOwnHeightAmongDefaultOnes) {
  auto g = RoomyGrid();
  g->SetRowHeights(3, 60);
  EXPECT_EQ(g->RowsSetApart(), 1);
  EXPECT_EQ(g->RowHeights(2), 24);
  EXPECT_EQ(g->RowHeights(3), 60);
  EXPECT_EQ(g->CellRect(1, 3), (TRect{65, 75, 129, 135}));
  EXPECT_EQ(g->CellRect(1, 4).Top, 136);
  EXPECT_EQ(g->MouseCoord(70, 134).Y, 3);
  EXPECT_EQ(g->MouseCoord(70, 136).Y, 4);
  // Back to the default height, the row is no longer set apart.
  g->SetRowHeights(3, 24);
  EXPECT_EQ(g->RowsSetApart(), 0);
  // Heights of rows cut off by a smaller count are forgotten; outside the grid nothing is set.
  g->SetRowHeights(4, 50);
  g->SetRowHeights(7, 50);
  g->SetRowCount(4);
  EXPECT_EQ(g->RowsSetApart(), 0);
  EXPECT_EQ(g->RowHeights(4), 0);
  g->SetRowHeights(2, 30);
  g->SetDefaultRowHeight(20);
  EXPECT_EQ(g->RowHeights(2), 20);
  EXPECT_EQ(g->RowsSetApart(), 0);

  // The last top row takes the tall rows at the end into account.
  g->SetDefaultRowHeight(24);
  g->SetRowCount(1000000);
  g->SetRowHeights(999999, 100);
  // 175 pixels: the last row takes 100 (no line needed after it), then three
  // rows of 25 fill the rest exactly.
  EXPECT_EQ(g->MaxTopRow(), 999996);
  g->SetRowHeights(999998, 25);
  EXPECT_EQ(g->MaxTopRow(), 999997);  // 100 + 26 + 25 leave 24, short of a row
}

TEST(TDrawGridPainting, APaintTouchesOnlyTheCellsOnTheScreen) {
  for (Int32 rows : {1000, 1000000}) {
    auto g = RoomyGrid();
    g->SetRowCount(rows);
    std::set<Int32> rowsDrawn;
    int cells = 0;
    g->OnDrawCell = [&](TObject*, Int32, Int32 r, const TRect&, TGridDrawState) {
      ++cells;
      rowsDrawn.insert(r);
    };
    g->SetTopRow(rows / 2);
    (void)Rendered(*g);
    // One fixed row and seven others, five columns each.
    EXPECT_EQ(cells, 8 * 5) << rows;
    EXPECT_EQ(g->CellsPaintedLastTime(), 40);
    EXPECT_EQ(*rowsDrawn.begin(), 0);
    EXPECT_EQ(*std::next(rowsDrawn.begin()), rows / 2);
    EXPECT_EQ(*rowsDrawn.rbegin(), rows / 2 + 6);
  }
}

// A cell handler that throws (a host whose list shrank before the grid was
// told) leaves the canvas without the painter of the paint that is gone; the
// grid paints again once the handler is sound.
TEST(TDrawGridPainting, AThrowingCellHandlerLeavesTheCanvasWithoutItsSurface) {
  auto g = RoomyGrid();
  bool fail = true;
  int drawn = 0;
  g->OnDrawCell = [&](TObject*, Int32, Int32 r, const TRect& rect, TGridDrawState) {
    g->Canvas().FillRect(rect);
    if (fail && r == 3) throw std::out_of_range("row 3");
    ++drawn;
  };
  QImage img(400, 200, QImage::Format_RGB32);
  {
    QPainter painter(&img);
    EXPECT_THROW(g->PaintViewport(painter, g->ClientRect()), std::out_of_range);
  }
  EXPECT_EQ(g->Canvas().Surface(), nullptr);
  fail = false;
  drawn = 0;
  (void)Rendered(*g);
  EXPECT_EQ(drawn, 25);
  EXPECT_EQ(g->Canvas().Surface(), nullptr);
}

TEST(TDrawGridPainting, FixedSelectedAndPlainCellsByPixel) {
  auto g = RoomyGrid();
  g->SetFixedColor(clYellow);
  g->SetColor(clWhite);
  g->SetGridLineColor(clRed);
  g->SetSelection(TGridRect{2, 2, 3, 3});
  const QImage img = Rendered(*g);
  EXPECT_EQ(PixelOf(img, 10, 10), ColorToRGB(clYellow));                    // fixed
  EXPECT_EQ(PixelOf(img, 140, 60), ColorToRGB(clHighlight));                // selected (2,2)
  EXPECT_EQ(PixelOf(img, 205, 85), ColorToRGB(clHighlight));                // selected (3,3)
  EXPECT_EQ(PixelOf(img, 270, 110), ColorToRGB(clWhite));                   // plain (4,4)
  EXPECT_EQ(PixelOf(img, 64, 60), ColorToRGB(clRed));                       // line after column 0
  EXPECT_EQ(PixelOf(img, 100, 24), ColorToRGB(clRed));                      // line after row 0
}

TEST(TDrawGridSelection, ByMouseDragAndShiftClick) {
  auto g = RoomyGrid();
  Press(*g, QPoint(70, 30));  // cell (1, 1)
  EXPECT_EQ(g->GridState(), gsSelecting);
  MoveHeld(*g, QPoint(200, 60));  // cell (3, 2)
  Release(*g, QPoint(200, 60));
  EXPECT_EQ(g->GridState(), gsNormal);
  EXPECT_EQ(g->Selection(), (TGridRect{1, 1, 3, 2}));
  EXPECT_EQ(g->Col(), 3);
  EXPECT_EQ(g->Row(), 2);
  // Shift and a click extend from the anchor.
  Press(*g, QPoint(140, 110), Qt::ShiftModifier);  // cell (2, 4)
  Release(*g, QPoint(140, 110));
  EXPECT_EQ(g->Selection(), (TGridRect{1, 1, 2, 4}));
  // A click on a fixed cell leaves the selection.
  Press(*g, QPoint(10, 10));
  Release(*g, QPoint(10, 10));
  EXPECT_EQ(g->Selection(), (TGridRect{1, 1, 2, 4}));
  // Without range selection a drag moves the current cell only.
  g->SetOptions(DefaultGridOptions & ~GridOptionBit(goRangeSelect));
  Press(*g, QPoint(70, 30));
  MoveHeld(*g, QPoint(200, 60));
  Release(*g, QPoint(200, 60));
  EXPECT_EQ(g->Selection(), (TGridRect{1, 1, 1, 1}));
  // A cell that SelectCell refuses is not entered.
  g->OnSelectCell = [](TObject*, Int32 c, Int32, bool& can) { can = c != 4; };
  Press(*g, QPoint(270, 30));
  Release(*g, QPoint(270, 30));
  EXPECT_EQ(g->Col(), 1);
}

TEST(TDrawGridSelection, ByKeys) {
  auto g = RoomyGrid();
  QWidget* w = g->Widget();
  g->FocusCell(1, 1);
  QTest::keyClick(w, Qt::Key_Down, Qt::ShiftModifier);
  QTest::keyClick(w, Qt::Key_Down, Qt::ShiftModifier);
  QTest::keyClick(w, Qt::Key_Right, Qt::ShiftModifier);
  EXPECT_EQ(g->Selection(), (TGridRect{1, 1, 2, 3}));
  QTest::keyClick(w, Qt::Key_Right);
  EXPECT_EQ(g->Selection(), (TGridRect{3, 3, 3, 3}));
  QTest::keyClick(w, Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(g->Col(), 4);
  EXPECT_EQ(g->Row(), 4);
  QTest::keyClick(w, Qt::Key_Home, Qt::ControlModifier);
  EXPECT_EQ(g->Col(), 1);
  EXPECT_EQ(g->Row(), 1);
  // Up from the first row stays; left stays out of the fixed column.
  QTest::keyClick(w, Qt::Key_Up);
  QTest::keyClick(w, Qt::Key_Left);
  EXPECT_EQ(g->Col(), 1);
  EXPECT_EQ(g->Row(), 1);
  // Tab moves along the row only with goTabs, wrapping to the next row.
  g->SetOptions(g->Options() | GridOptionBit(goTabs));
  g->FocusCell(4, 1);
  QTest::keyClick(w, Qt::Key_Tab);
  EXPECT_EQ(g->Col(), 1);
  EXPECT_EQ(g->Row(), 2);
  // Page down moves the top row with the current row.
  g->SetRowCount(100);
  g->FocusCell(1, 1);
  QTest::keyClick(w, Qt::Key_PageDown);
  EXPECT_EQ(g->Row(), 8);
  EXPECT_EQ(g->TopRow(), 8);
}

TEST(TDrawGridKeys, KeysArriveAsVirtualKeyCodes) {
  auto g = RoomyGrid();
  std::vector<std::pair<Word, TShiftState>> seen;
  g->OnKeyDown = [&](TObject*, Word& key, TShiftState shift) {
    // Qt's test events press the modifier keys themselves first.
    if (key != VK_SHIFT && key != VK_CONTROL && key != VK_MENU) seen.emplace_back(key, shift);
    key = 0;  // the grid does nothing more with it
  };
  struct Case {
    Qt::Key key;
    Qt::KeyboardModifiers mods;
    Word code;
    TShiftState shift;
  } cases[] = {
      {Qt::Key_Return, Qt::NoModifier, 13, 0},
      {Qt::Key_Enter, Qt::KeypadModifier, 13, 0},
      {Qt::Key_Space, Qt::NoModifier, 32, 0},
      {Qt::Key_Left, Qt::NoModifier, 37, 0},
      {Qt::Key_Right, Qt::ShiftModifier, 39, ShiftBit(ssShift)},
      {Qt::Key_Insert, Qt::NoModifier, 45, 0},
      {Qt::Key_Delete, Qt::ControlModifier, 46, ShiftBit(ssCtrl)},
      {Qt::Key_0, Qt::NoModifier, 48, 0},
      {Qt::Key_9, Qt::NoModifier, 57, 0},
      {Qt::Key_A, Qt::AltModifier, 65, ShiftBit(ssAlt)},
      {Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier, 90, static_cast<TShiftState>(ShiftBit(ssCtrl) | ShiftBit(ssShift))},
      {Qt::Key_0, Qt::KeypadModifier, 96, 0},
      {Qt::Key_5, Qt::KeypadModifier, 101, 0},
      {Qt::Key_9, Qt::KeypadModifier, 105, 0},
  };
  for (const Case& c : cases) {
    seen.clear();
    QTest::keyClick(g->Widget(), c.key, c.mods);
    ASSERT_EQ(seen.size(), 1u) << c.code;
    EXPECT_EQ(seen[0].first, c.code);
    EXPECT_EQ(seen[0].second, c.shift) << c.code;
  }
}

TEST(TDrawGridRightToLeft, ColumnsFromTheRightEdge) {
  auto g = RoomyGrid();
  g->SetBiDiMode(bdRightToLeft);
  EXPECT_EQ(g->CellRect(0, 0), (TRect{336, 0, 400, 24}));
  EXPECT_EQ(g->CellRect(1, 1), (TRect{271, 25, 335, 49}));
  EXPECT_EQ(g->MouseCoord(399, 5), (TGridCoord{0, 0}));
  EXPECT_EQ(g->MouseCoord(335, 5), (TGridCoord{0, 0}));  // the line after column 0
  EXPECT_EQ(g->MouseCoord(334, 5), (TGridCoord{1, 0}));
  EXPECT_EQ(g->MouseCoord(10, 5), (TGridCoord{-1, -1}));
  // The left arrow goes towards the higher columns.
  g->FocusCell(1, 1);
  QTest::keyClick(g->Widget(), Qt::Key_Left);
  EXPECT_EQ(g->Col(), 2);
  // A click lands on the mirrored cell, and the fixed column is painted on the right.
  Press(*g, QPoint(300, 60));
  Release(*g, QPoint(300, 60));
  EXPECT_EQ(g->Col(), 1);
  EXPECT_EQ(g->Row(), 2);
  g->SetFixedColor(clYellow);
  const QImage img = Rendered(*g);
  EXPECT_EQ(PixelOf(img, 390, 60), ColorToRGB(clYellow));
}

TEST(TDrawGridSizing, ColumnAndRowEdgesDraggedWithTheMouse) {
  auto g = RoomyGrid();
  g->SetOptions(g->Options() | GridOptionBit(goColSizing) | GridOptionBit(goRowSizing));
  int releases = 0;
  g->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, Int32, Int32) { ++releases; };
  // The edge after column 1 in the fixed row.
  Press(*g, QPoint(129, 10));
  EXPECT_EQ(g->GridState(), gsColSizing);
  MoveHeld(*g, QPoint(160, 10));
  Release(*g, QPoint(160, 10));
  EXPECT_EQ(g->GridState(), gsNormal);
  EXPECT_EQ(g->ColWidths(1), 95);
  EXPECT_EQ(releases, 1);
  // Dragging past the column's left edge leaves a width of 0, not less.
  Press(*g, QPoint(160, 10));
  MoveHeld(*g, QPoint(20, 10));
  Release(*g, QPoint(20, 10));
  EXPECT_EQ(g->ColWidths(1), 0);
  // The edge below row 2 in the fixed column.
  Press(*g, QPoint(10, 73));
  EXPECT_EQ(g->GridState(), gsRowSizing);
  MoveHeld(*g, QPoint(10, 90));
  Release(*g, QPoint(10, 90));
  EXPECT_EQ(g->RowHeights(2), 41);
  // Without the option the edge is an ordinary place.
  g->SetOptions(DefaultGridOptions);
  Press(*g, QPoint(129, 10));
  EXPECT_EQ(g->GridState(), gsNormal);
  Release(*g, QPoint(129, 10));
}

TEST(TDrawGridMoving, AColumnMovesOncePastTheDragDistance) {
  auto g = RoomyGrid();
  g->SetOptions(g->Options() | GridOptionBit(goColMoving));
  g->SetColWidths(1, 50);
  std::vector<std::pair<Int32, Int32>> moved;
  g->OnColumnMoved = [&](TObject*, Int32 from, Int32 to) { moved.emplace_back(from, to); };
  Press(*g, QPoint(80, 10));  // heading of column 1
  MoveHeld(*g, QPoint(81, 10));
  EXPECT_EQ(g->GridState(), gsNormal);  // not yet past the distance
  MoveHeld(*g, QPoint(200, 10));
  EXPECT_EQ(g->GridState(), gsColMoving);
  Release(*g, QPoint(200, 10));  // over column 3
  ASSERT_EQ(moved.size(), 1u);
  EXPECT_EQ(moved[0], std::make_pair(1, 3));
  EXPECT_EQ(g->ColWidths(3), 50);
  EXPECT_EQ(g->ColWidths(1), 64);
}

TEST(TDrawGridDrag, StartsPastThePlatformsDragDistance) {
  auto g = RoomyGrid();
  std::vector<std::string> log;
  g->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, Int32, Int32) { g->BeginDrag(false); };
  g->OnStartDrag = [&](TObject*) { log.push_back("start"); };
  g->OnDragOver = [&](TObject*, TObject* source, Int32, Int32, bool& accept) {
    accept = source == g.get();
    log.push_back("over");
  };
  g->OnDragDrop = [&](TObject*, TObject*, Int32, Int32) { log.push_back("drop"); };
  g->OnEndDrag = [&](TObject*, TObject* target, Int32, Int32) { log.push_back(target ? "end on grid" : "end"); };
  const int d = QApplication::startDragDistance();
  Press(*g, QPoint(70, 30));
  MoveHeld(*g, QPoint(70 + d / 2, 30));
  EXPECT_FALSE(g->Dragging());
  MoveHeld(*g, QPoint(70 + d + 1, 30));
  EXPECT_TRUE(g->Dragging());
  Release(*g, QPoint(70 + d + 1, 30));
  EXPECT_FALSE(g->Dragging());
  EXPECT_EQ(log, (std::vector<std::string>{"start", "over", "drop", "end on grid"}));
  // A press and release without moving never starts one.
  log.clear();
  Press(*g, QPoint(70, 30));
  Release(*g, QPoint(70, 30));
  EXPECT_TRUE(log.empty());
}

TEST(TDrawGridEditor, EditsTheCurrentCellThroughGetAndSetEditText) {
  auto g = RoomyGrid();
  std::vector<std::string> stored;
  g->OnGetEditText = [](TObject*, Int32 c, Int32 r, String& v) { v = u"cell " + IntToStr(c) + u"," + IntToStr(r); };
  g->OnSetEditText = [&](TObject*, Int32 c, Int32 r, const String& v) {
    stored.push_back(std::to_string(c) + "," + std::to_string(r) + "=" + StringToUtf8(v));
  };
  g->FocusCell(2, 3);
  // Without goEditing F2 does nothing.
  QTest::keyClick(g->Widget(), Qt::Key_F2);
  EXPECT_FALSE(g->EditorMode());
  g->SetOptions(g->Options() | GridOptionBit(goEditing));
  QTest::keyClick(g->Widget(), Qt::Key_F2);
  ASSERT_TRUE(g->EditorMode());
  QLineEdit* ed = g->InplaceEditor();
  ASSERT_NE(ed, nullptr);
  EXPECT_EQ(ed->text(), QStringLiteral("cell 2,3"));
  EXPECT_EQ(FromQRect(ed->geometry()), g->CellRect(2, 3));
  QTest::keyClicks(ed, "new");  // replaces the selected text
  QTest::keyClick(ed, Qt::Key_Return);
  EXPECT_FALSE(g->EditorMode());
  EXPECT_EQ(stored, (std::vector<std::string>{"2,3=new"}));
  // Escape drops what was typed.
  g->ShowEditor();
  QTest::keyClicks(g->InplaceEditor(), "gone");
  QTest::keyClick(g->InplaceEditor(), Qt::Key_Escape);
  EXPECT_FALSE(g->EditorMode());
  EXPECT_EQ(stored.size(), 1u);
  // A typed character starts the editor with it; leaving the cell stores it.
  QTest::keyClick(g->Widget(), Qt::Key_X);
  ASSERT_TRUE(g->EditorMode());
  EXPECT_EQ(g->InplaceEditor()->text(), QStringLiteral("x"));
  g->FocusCell(1, 1);
  EXPECT_FALSE(g->EditorMode());
  EXPECT_EQ(stored.back(), "2,3=x");
  // Freeing the grid while editing is safe.
  g->ShowEditor();
  g.reset();
}

}  // namespace
}  // namespace sk

namespace sk {
namespace {

// Random changes of counts, fixed cells, sizes, lines and positions, each
// followed by the invariants: the top-left corner, the current cell and the
// selection stay inside the grid, and a cell under the mouse lies inside the
// rectangle of that cell (or on the line after it).
TEST(TDrawGridInvariants, HoldAfterRandomChanges) {
  auto g = RoomyGrid();
  std::mt19937 rng(20261207);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  for (int step = 0; step < 600; ++step) {
    switch (pick(0, 11)) {
      case 0: g->SetRowCount(pick(-2, 3000)); break;
      case 1: g->SetColCount(pick(-2, 12)); break;
      case 2: g->SetFixedRows(pick(-1, 4)); break;
      case 3: g->SetFixedCols(pick(-1, 4)); break;
      case 4: g->SetRowHeights(pick(-1, g->RowCount()), pick(-5, 90)); break;
      case 5: g->SetColWidths(pick(-1, g->ColCount()), pick(-5, 300)); break;
      case 6: g->SetGridLineWidth(pick(0, 4)); break;
      case 7: g->SetTopRow(pick(-10, g->RowCount() + 10)); break;
      case 8: g->SetLeftCol(pick(-3, g->ColCount() + 3)); break;
      case 9: g->FocusCell(pick(-2, g->ColCount() + 2), pick(-2, g->RowCount() + 2)); break;
      case 10: g->SetBounds(0, 0, pick(0, 500), pick(0, 300)); break;
      case 11: g->SetBiDiMode(pick(0, 1) ? bdRightToLeft : bdLeftToRight); break;
    }
    ASSERT_GE(g->TopRow(), g->FixedRows());
    ASSERT_LE(g->TopRow(), std::max(g->FixedRows(), g->RowCount() - 1));
    ASSERT_GE(g->LeftCol(), g->FixedCols());
    ASSERT_LT(g->LeftCol(), std::max(g->FixedCols() + 1, g->ColCount()));
    ASSERT_LT(g->Row(), g->RowCount());
    ASSERT_LT(g->Col(), g->ColCount());
    const TGridRect sel = g->Selection();
    ASSERT_LE(sel.Left, sel.Right);
    ASSERT_LE(sel.Top, sel.Bottom);
    ASSERT_LT(sel.Bottom, g->RowCount());
    for (int probe = 0; probe < 5; ++probe) {
      const int x = pick(0, std::max(0, g->ClientWidth() - 1)), y = pick(0, std::max(0, g->ClientHeight() - 1));
      const TGridCoord c = g->MouseCoord(x, y);
      if (c.X < 0) continue;
      const TRect r = g->CellRect(c.X, c.Y);
      const int line = g->GridLineWidth();
      ASSERT_GE(y, r.Top) << step;
      ASSERT_LT(y, r.Bottom + line) << step;
      ASSERT_GE(x, r.Left - (g->UseRightToLeftAlignment() ? line : 0)) << step;
      ASSERT_LT(x, r.Right + (g->UseRightToLeftAlignment() ? 0 : line)) << step;
    }
  }
  (void)Rendered(*g);
}

}  // namespace
}  // namespace sk
