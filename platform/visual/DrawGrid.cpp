#include "platform/visual/DrawGrid.h"

#include <QtGui/QLinearGradient>
#include <QtGui/QPainter>
#include <QtGui/QWheelEvent>
#include <QtWidgets/QAbstractScrollArea>
#include <QtWidgets/QScrollBar>
#include <QtWidgets/QStyle>
#include <algorithm>
#include <cstdlib>

#include "platform/visual/QtBridge.h"
#include "platform/visual/QtConvert.h"

namespace sk {

namespace {

// The grid's widget: a scroll area whose viewport is the grid's client area.
// Mouse events of the viewport go to the control (in viewport coordinates)
// and its paint events to the grid's painting; the scroll bars are the
// grid's own, counted in rows and columns.
class TGridWidget : public TBridgedWidget<QAbstractScrollArea> {
 public:
  explicit TGridWidget(TControl* control) : TBridgedWidget<QAbstractScrollArea>(control) {
    setFrameStyle(QFrame::NoFrame);
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(false);
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  }

  TCustomDrawGrid* Grid() const { return dynamic_cast<TCustomDrawGrid*>(Control()); }

 protected:
  bool viewportEvent(QEvent* e) override {
    switch (e->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::MouseMove: {
        // Handled here alone: an ignored mouse event would travel on to the
        // scroll area and reach the control a second time.
        if (TControl* c = Control()) {
          Depth depth(*this);
          c->RouteEventBefore(e);
        }
        e->accept();
        return true;
      }
      case QEvent::Wheel:
        if (TCustomDrawGrid* g = Grid()) {
          auto* we = static_cast<QWheelEvent*>(e);
          TShiftState shift = 0;
          if (we->modifiers() & Qt::ShiftModifier) shift |= ShiftBit(ssShift);
          if (we->modifiers() & Qt::ControlModifier) shift |= ShiftBit(ssCtrl);
          if (we->modifiers() & Qt::AltModifier) shift |= ShiftBit(ssAlt);
          Depth depth(*this);
          const QPoint at = we->position().toPoint();
          if (g->WheelTurned(shift, we->angleDelta().y(), TPoint{at.x(), at.y()})) {
            e->accept();
            return true;
          }
        }
        return QAbstractScrollArea::viewportEvent(e);
      default: return QAbstractScrollArea::viewportEvent(e);
    }
  }

  void paintEvent(QPaintEvent* e) override {
    TCustomDrawGrid* g = Grid();
    if (g == nullptr) return;
    Depth depth(*this);
    QPainter painter(viewport());
    g->PaintViewport(painter, FromQRect(e->rect()));
  }

  // The grid scrolls by whole rows and columns and repaints itself.
  void scrollContentsBy(int, int) override {}
};

QWidget* MakeGridWidget(TControl* control) { return new TGridWidget(control); }

// The surface of the grid while it paints: the viewport's painter.
class TViewportSurface : public TCanvasSurface {
 public:
  TViewportSurface(QPainter* painter, TSize extent) : fPainter(painter), fExtent(extent) {}
  QPainter* Painter() override { return fPainter; }
  TSize Extent() const override { return fExtent; }

 private:
  QPainter* fPainter;
  TSize fExtent;
};

QAbstractScrollArea* AreaOf(const TControl* c) { return static_cast<QAbstractScrollArea*>(c->Widget()); }

bool Intersects(const TRect& a, const TRect& b) {
  return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

}  // namespace


TCustomDrawGrid::TCustomDrawGrid(TComponent* owner)
    : TCustomControl(owner, &MakeGridWidget), fGridLineColor(clSilver), fFixedColor(clBtnFace) {
  SetColor(clWindow);
  fColWidths.assign(5, fDefaultColWidth);
  SetBounds(0, 0, 320, 120);
  QAbstractScrollArea* area = AreaOf(this);
  auto* bridge = TWidgetBridge::Of(area);
  auto connectBar = [this, area, bridge](QScrollBar* bar, bool vertical) {
    QObject::connect(bar, &QScrollBar::valueChanged, area, [this, bridge, vertical](int v) {
      if (bridge->Control() == this) ScrollBarMoved(vertical, v);
    });
  };
  connectBar(area->verticalScrollBar(), true);
  connectBar(area->horizontalScrollBar(), false);
  UpdateScrollBars();
}


// ---------------------------------------------------------------------------
// Sizes.

void TCustomDrawGrid::SetColCount(Int32 n) {
  if (n < 1) n = 1;
  if (n == ColCount()) return;
  fColWidths.resize(static_cast<size_t>(n), fDefaultColWidth);
  if (fFixedCols >= n) fFixedCols = n - 1;
  fCurrent.X = std::clamp(fCurrent.X, fFixedCols, n - 1);
  fAnchor.X = std::clamp(fAnchor.X, fFixedCols, n - 1);
  if (fEditorShown && fEditorCell.X >= n) CancelEditor();
  ClampTopLeft();
  UpdateScrollBars();
  Invalidate();
}

void TCustomDrawGrid::SetRowCount(Int32 n) {
  if (n < 1) n = 1;
  if (n == fRowCount) return;
  fRowCount = n;
  fRowHeights.erase(fRowHeights.lower_bound(n), fRowHeights.end());
  if (fFixedRows >= n) fFixedRows = n - 1;
  fCurrent.Y = std::clamp(fCurrent.Y, fFixedRows, n - 1);
  fAnchor.Y = std::clamp(fAnchor.Y, fFixedRows, n - 1);
  if (fEditorShown && fEditorCell.Y >= n) CancelEditor();
  ClampTopLeft();
  UpdateScrollBars();
  Invalidate();
}

void TCustomDrawGrid::SetFixedCols(Int32 n) {
  n = std::clamp(n, 0, ColCount() - 1);
  fFixedCols = n;
  fCurrent.X = std::max(fCurrent.X, n);
  fAnchor.X = std::max(fAnchor.X, n);
  fLeftCol = std::max(fLeftCol, n);
  ClampTopLeft();
  UpdateScrollBars();
  Invalidate();
}

void TCustomDrawGrid::SetFixedRows(Int32 n) {
  n = std::clamp(n, 0, fRowCount - 1);
  fFixedRows = n;
  fCurrent.Y = std::max(fCurrent.Y, n);
  fAnchor.Y = std::max(fAnchor.Y, n);
  fTopRow = std::max(fTopRow, n);
  ClampTopLeft();
  UpdateScrollBars();
  Invalidate();
}

void TCustomDrawGrid::SetDefaultColWidth(Int32 w) {
  fDefaultColWidth = std::max(0, w);
  std::fill(fColWidths.begin(), fColWidths.end(), fDefaultColWidth);
  ClampTopLeft();
  UpdateScrollBars();
  PlaceEditor();
  Invalidate();
}

void TCustomDrawGrid::SetDefaultRowHeight(Int32 h) {
  fDefaultRowHeight = std::max(0, h);
  fRowHeights.clear();
  ClampTopLeft();
  UpdateScrollBars();
  PlaceEditor();
  Invalidate();
}

Int32 TCustomDrawGrid::ColWidths(Int32 col) const {
  if (col < 0 || col >= ColCount()) return 0;
  return fColWidths[static_cast<size_t>(col)];
}

void TCustomDrawGrid::SetColWidths(Int32 col, Int32 w) {
  if (col < 0 || col >= ColCount()) return;
  fColWidths[static_cast<size_t>(col)] = std::max(0, w);
  ClampTopLeft();
  UpdateScrollBars();
  PlaceEditor();
  Invalidate();
}

Int32 TCustomDrawGrid::RowHeights(Int32 row) const {
  if (row < 0 || row >= fRowCount) return 0;
  if (fRowHeights.empty()) return fDefaultRowHeight;
  auto it = fRowHeights.find(row);
  return it == fRowHeights.end() ? fDefaultRowHeight : it->second;
}

Int64 TCustomDrawGrid::RowHeightsSum(Int32 first, Int32 last) const {
  first = std::max(first, 0);
  last = std::min(last, fRowCount);
  if (first >= last) return 0;
  Int64 sum = Int64{last - first} * fDefaultRowHeight;
  for (auto it = fRowHeights.lower_bound(first); it != fRowHeights.end() && it->first < last; ++it)
    sum += it->second - fDefaultRowHeight;
  return sum;
}

void TCustomDrawGrid::SetRowHeights(Int32 row, Int32 h) {
  if (row < 0 || row >= fRowCount) return;
  h = std::max(0, h);
  if (h == fDefaultRowHeight)
    fRowHeights.erase(row);
  else
    fRowHeights[row] = h;
  ClampTopLeft();
  UpdateScrollBars();
  PlaceEditor();
  Invalidate();
}

void TCustomDrawGrid::SetGridLineWidth(Int32 w) {
  fGridLineWidth = std::max(0, w);
  ClampTopLeft();
  UpdateScrollBars();
  Invalidate();
}

void TCustomDrawGrid::SetGridLineColor(TColor c) {
  fGridLineColor = c;
  Invalidate();
}

void TCustomDrawGrid::SetFixedColor(TColor c) {
  fFixedColor = c;
  Invalidate();
}

void TCustomDrawGrid::SetOptions(TGridOptions o) {
  fOptions = o;
  if (!HasOption(goRangeSelect)) fAnchor = fCurrent;
  if (!HasOption(goEditing) && fEditorShown) CancelEditor();
  ClampTopLeft();
  UpdateScrollBars();
  Invalidate();
}

void TCustomDrawGrid::SetDrawingStyle(TGridDrawingStyle s) {
  fDrawingStyle = s;
  Invalidate();
}

void TCustomDrawGrid::SetScrollBars(TScrollStyle s) {
  fScrollBars = s;
  UpdateScrollBars();
  Invalidate();
}

// ---------------------------------------------------------------------------
// Geometry.

Int32 TCustomDrawGrid::LineAfterCol(Int32 col) const {
  return HasOption(col < fFixedCols ? goFixedVertLine : goVertLine) ? fGridLineWidth : 0;
}

Int32 TCustomDrawGrid::LineAfterRow(Int32 row) const {
  return HasOption(row < fFixedRows ? goFixedHorzLine : goHorzLine) ? fGridLineWidth : 0;
}

Int32 TCustomDrawGrid::FixedWidth() const {
  Int32 x = 0;
  for (Int32 c = 0; c < fFixedCols; ++c) x += ColWidths(c) + LineAfterCol(c);
  return x;
}

Int32 TCustomDrawGrid::FixedHeight() const {
  Int32 y = 0;
  for (Int32 r = 0; r < fFixedRows; ++r) y += RowHeights(r) + LineAfterRow(r);
  return y;
}

TRect TCustomDrawGrid::ClientRect() const {
  Int32 w = Width(), h = Height();
  const QAbstractScrollArea* area = AreaOf(this);
  if (area != nullptr) {
    const int extent = area->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, area);
    if (area->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn) w -= extent;
    if (area->horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOn) h -= extent;
  }
  return TRect{0, 0, std::max(0, w), std::max(0, h)};
}

Int32 TCustomDrawGrid::ColLeftLtr(Int32 col) const {
  if (col < 0 || col >= ColCount()) return -1;
  if (col < fFixedCols) {
    Int32 x = 0;
    for (Int32 c = 0; c < col; ++c) x += ColWidths(c) + LineAfterCol(c);
    return x;
  }
  if (col < fLeftCol) return -1;
  const Int32 cw = ClientWidth();
  Int32 x = FixedWidth();
  for (Int32 c = fLeftCol; c < col; ++c) {
    x += ColWidths(c) + LineAfterCol(c);
    if (x >= cw) return -1;
  }
  return x < cw ? x : -1;
}

Int32 TCustomDrawGrid::RowTop(Int32 row) const {
  if (row < 0 || row >= fRowCount) return -1;
  if (row < fFixedRows) {
    Int32 y = 0;
    for (Int32 r = 0; r < row; ++r) y += RowHeights(r) + LineAfterRow(r);
    return y;
  }
  if (row < fTopRow) return -1;
  // Only the rows on the screen are walked: a row further down is hidden.
  const Int32 ch = ClientHeight();
  Int32 y = FixedHeight();
  for (Int32 r = fTopRow; r < row; ++r) {
    y += RowHeights(r) + LineAfterRow(r);
    if (y >= ch) return -1;
  }
  return y < ch ? y : -1;
}

Int32 TCustomDrawGrid::MirrorX(Int32 x) const { return ClientWidth() - 1 - x; }

TRect TCustomDrawGrid::CellRect(Int32 col, Int32 row) const {
  const Int32 x = ColLeftLtr(col);
  const Int32 y = RowTop(row);
  if (x < 0 || y < 0) return TRect{};
  const Int32 right = x + ColWidths(col);
  const Int32 bottom = y + RowHeights(row);
  if (UseRightToLeftAlignment()) {
    const Int32 cw = ClientWidth();
    return TRect{cw - right, y, cw - x, bottom};
  }
  return TRect{x, y, right, bottom};
}

TGridCoord TCustomDrawGrid::MouseCoord(Int32 x, Int32 y) const {
  const TRect client = ClientRect();
  if (x < 0 || y < 0 || x >= client.Right || y >= client.Bottom) return TGridCoord{-1, -1};
  if (UseRightToLeftAlignment()) x = MirrorX(x);
  TGridCoord result{-1, -1};
  // A point on the grid line after a cell belongs to that cell.
  Int32 acc = 0;
  for (Int32 c = 0; c < fFixedCols && result.X < 0; ++c) {
    acc += ColWidths(c) + LineAfterCol(c);
    if (x < acc) result.X = c;
  }
  for (Int32 c = fLeftCol; c < ColCount() && result.X < 0 && acc < client.Right; ++c) {
    acc += ColWidths(c) + LineAfterCol(c);
    if (x < acc) result.X = c;
  }
  acc = 0;
  for (Int32 r = 0; r < fFixedRows && result.Y < 0; ++r) {
    acc += RowHeights(r) + LineAfterRow(r);
    if (y < acc) result.Y = r;
  }
  for (Int32 r = fTopRow; r < fRowCount && result.Y < 0 && acc < client.Bottom; ++r) {
    acc += RowHeights(r) + LineAfterRow(r);
    if (y < acc) result.Y = r;
  }
  if (result.X < 0 || result.Y < 0) return TGridCoord{-1, -1};
  return result;
}

void TCustomDrawGrid::MouseToCell(Int32 x, Int32 y, Int32& col, Int32& row) const {
  const TGridCoord c = MouseCoord(x, y);
  col = c.X;
  row = c.Y;
}

// ---------------------------------------------------------------------------
// Scrolling.

Int32 TCustomDrawGrid::MaxTopRow() const {
  if (fRowCount <= fFixedRows) return fFixedRows;
  const Int32 avail = ClientHeight() - FixedHeight();
  Int32 used = 0;
  Int32 r = fRowCount - 1;
  // The last row needs no grid line below it to count as wholly shown, as in
  // VisibleRowCount; every row above it needs its line too.
  for (; r >= fFixedRows; --r) {
    const Int32 h = RowHeights(r) + (r == fRowCount - 1 ? 0 : LineAfterRow(r));
    if (used + h > avail) break;
    used += h;
  }
  return std::clamp(r + 1, fFixedRows, fRowCount - 1);
}

Int32 TCustomDrawGrid::MaxLeftCol() const {
  if (ColCount() <= fFixedCols) return fFixedCols;
  const Int32 avail = ClientWidth() - FixedWidth();
  Int32 used = 0;
  Int32 c = ColCount() - 1;
  for (; c >= fFixedCols; --c) {
    const Int32 w = ColWidths(c) + (c == ColCount() - 1 ? 0 : LineAfterCol(c));
    if (used + w > avail) break;
    used += w;
  }
  return std::clamp(c + 1, fFixedCols, ColCount() - 1);
}

Int32 TCustomDrawGrid::VisibleRowCount() const {
  const Int32 ch = ClientHeight();
  Int32 y = FixedHeight(), n = 0;
  for (Int32 r = fTopRow; r < fRowCount; ++r) {
    if (y + RowHeights(r) > ch) break;
    y += RowHeights(r) + LineAfterRow(r);
    ++n;
  }
  return n;
}

Int32 TCustomDrawGrid::VisibleColCount() const {
  const Int32 cw = ClientWidth();
  Int32 x = FixedWidth(), n = 0;
  for (Int32 c = fLeftCol; c < ColCount(); ++c) {
    if (x + ColWidths(c) > cw) break;
    x += ColWidths(c) + LineAfterCol(c);
    ++n;
  }
  return n;
}

void TCustomDrawGrid::ClampTopLeft() {
  fTopRow = std::clamp(fTopRow, fFixedRows, std::max(fFixedRows, MaxTopRow()));
  fLeftCol = std::clamp(fLeftCol, fFixedCols, std::max(fFixedCols, MaxLeftCol()));
}

void TCustomDrawGrid::SetTopLeft(Int32 col, Int32 row) {
  col = std::clamp(col, fFixedCols, std::max(fFixedCols, MaxLeftCol()));
  row = std::clamp(row, fFixedRows, std::max(fFixedRows, MaxTopRow()));
  if (col == fLeftCol && row == fTopRow) return;
  fLeftCol = col;
  fTopRow = row;
  UpdateScrollBars();
  PlaceEditor();
  Invalidate();
  TopLeftChanged();
}

void TCustomDrawGrid::SetTopRow(Int32 row) { SetTopLeft(fLeftCol, row); }

void TCustomDrawGrid::SetLeftCol(Int32 col) { SetTopLeft(col, fTopRow); }

void TCustomDrawGrid::ScrollInView(Int32 col, Int32 row) {
  Int32 top = fTopRow, left = fLeftCol;
  if (row >= fFixedRows && row < fRowCount) {
    if (row < top) {
      top = row;
    } else {
      // The top row that makes row the last one wholly shown, when it is below the screen.
      const Int32 avail = ClientHeight() - FixedHeight();
      Int32 used = 0, r = row;
      for (; r >= top; --r) {
        const Int32 h = RowHeights(r) + (r == row ? 0 : LineAfterRow(r));
        if (used + h > avail) break;
        used += h + (r == row ? LineAfterRow(r) : 0);
      }
      if (r >= top) top = std::min(row, r + 1);
    }
  }
  if (col >= fFixedCols && col < ColCount()) {
    if (col < left) {
      left = col;
    } else {
      const Int32 avail = ClientWidth() - FixedWidth();
      Int32 used = 0, c = col;
      for (; c >= left; --c) {
        const Int32 w = ColWidths(c) + (c == col ? 0 : LineAfterCol(c));
        if (used + w > avail) break;
        used += w + (c == col ? LineAfterCol(c) : 0);
      }
      if (c >= left) left = std::min(col, c + 1);
    }
  }
  SetTopLeft(left, top);
}

void TCustomDrawGrid::UpdateScrollBars() {
  QAbstractScrollArea* area = AreaOf(this);
  if (area == nullptr) return;
  fUpdatingBars = true;
  const bool allowV = fScrollBars == ssVertical || fScrollBars == ssBoth;
  const bool allowH = fScrollBars == ssHorizontal || fScrollBars == ssBoth;
  // Each bar takes room from the other direction: settle them in two passes.
  for (int pass = 0; pass < 2; ++pass) {
    const bool needV = allowV && MaxTopRow() > fFixedRows;
    const bool needH = allowH && MaxLeftCol() > fFixedCols;
    area->setVerticalScrollBarPolicy(needV ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    area->setHorizontalScrollBarPolicy(needH ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  }
  ClampTopLeft();
  QScrollBar* v = area->verticalScrollBar();
  v->setRange(fFixedRows, std::max(fFixedRows, MaxTopRow()));
  v->setPageStep(std::max(1, VisibleRowCount()));
  v->setSingleStep(1);
  v->setValue(fTopRow);
  QScrollBar* h = area->horizontalScrollBar();
  h->setRange(fFixedCols, std::max(fFixedCols, MaxLeftCol()));
  h->setPageStep(std::max(1, VisibleColCount()));
  h->setSingleStep(1);
  h->setValue(fLeftCol);
  fUpdatingBars = false;
}

void TCustomDrawGrid::ScrollBarMoved(bool vertical, Int32 value) {
  if (fUpdatingBars) return;
  if (vertical)
    SetTopLeft(fLeftCol, value);
  else
    SetTopLeft(value, fTopRow);
}

// ---------------------------------------------------------------------------
// Current cell and selection.

bool TCustomDrawGrid::MoveCurrent(Int32 col, Int32 row, bool moveAnchor, bool show) {
  if (fRowCount <= fFixedRows || ColCount() <= fFixedCols) return false;
  col = std::clamp(col, fFixedCols, ColCount() - 1);
  row = std::clamp(row, fFixedRows, fRowCount - 1);
  if (col != fCurrent.X || row != fCurrent.Y) {
    if (!SelectCell(col, row)) return false;
    if (fEditorShown) CommitEditor(true);
  }
  fCurrent = TGridCoord{col, row};
  if (moveAnchor || !HasOption(goRangeSelect)) fAnchor = fCurrent;
  if (show) ScrollInView(col, row);
  Invalidate();
  return true;
}

void TCustomDrawGrid::SetCol(Int32 col) { MoveCurrent(col, fCurrent.Y, true, true); }

void TCustomDrawGrid::SetRow(Int32 row) { MoveCurrent(fCurrent.X, row, true, true); }

void TCustomDrawGrid::FocusCell(Int32 col, Int32 row) { MoveCurrent(col, row, true, true); }

TGridRect TCustomDrawGrid::Selection() const {
  TGridRect r{std::min(fAnchor.X, fCurrent.X), std::min(fAnchor.Y, fCurrent.Y), std::max(fAnchor.X, fCurrent.X),
              std::max(fAnchor.Y, fCurrent.Y)};
  if (HasOption(goRowSelect)) {
    r.Left = fFixedCols;
    r.Right = ColCount() - 1;
  }
  return r;
}

void TCustomDrawGrid::SetSelection(const TGridRect& r) {
  const Int32 lastCol = ColCount() - 1, lastRow = fRowCount - 1;
  fCurrent = TGridCoord{std::clamp(r.Left, fFixedCols, lastCol), std::clamp(r.Top, fFixedRows, lastRow)};
  fAnchor = HasOption(goRangeSelect)
                ? TGridCoord{std::clamp(r.Right, fFixedCols, lastCol), std::clamp(r.Bottom, fFixedRows, lastRow)}
                : fCurrent;
  Invalidate();
}

// ---------------------------------------------------------------------------
// Virtual operations.

void TCustomDrawGrid::DrawCell(Int32 ACol, Int32 ARow, const TRect& ARect, TGridDrawState AState) {
  if (OnDrawCell) OnDrawCell(this, ACol, ARow, ARect, AState);
}

bool TCustomDrawGrid::SelectCell(Int32 ACol, Int32 ARow) {
  bool can = true;
  if (OnSelectCell) OnSelectCell(this, ACol, ARow, can);
  return can;
}

void TCustomDrawGrid::TopLeftChanged() {
  if (OnTopLeftChanged) OnTopLeftChanged(this);
}

String TCustomDrawGrid::GetEditText(Int32 ACol, Int32 ARow) {
  String value;
  if (OnGetEditText) OnGetEditText(this, ACol, ARow, value);
  return value;
}

void TCustomDrawGrid::SetEditText(Int32 ACol, Int32 ARow, const String& Value) {
  if (OnSetEditText) OnSetEditText(this, ACol, ARow, Value);
}

void TCustomDrawGrid::ColumnMoved(Int32 fromIndex, Int32 toIndex) {
  if (OnColumnMoved) OnColumnMoved(this, fromIndex, toIndex);
}

void TCustomDrawGrid::RowMoved(Int32 fromIndex, Int32 toIndex) {
  if (OnRowMoved) OnRowMoved(this, fromIndex, toIndex);
}

// ---------------------------------------------------------------------------
// Painting.

void TCustomDrawGrid::InvalidateCell(Int32 col, Int32 row) {
  const TRect r = CellRect(col, row);
  if (QAbstractScrollArea* area = AreaOf(this); area != nullptr && r.Right > r.Left)
    area->viewport()->update(ToQRect(TRect{r.Left, r.Top, r.Right + fGridLineWidth, r.Bottom + fGridLineWidth}));
}

void TCustomDrawGrid::InvalidateRow(Int32 row) {
  const Int32 y = RowTop(row);
  if (QAbstractScrollArea* area = AreaOf(this); area != nullptr && y >= 0)
    area->viewport()->update(QRect(0, y, ClientWidth(), RowHeights(row) + fGridLineWidth));
}

void TCustomDrawGrid::InvalidateCol(Int32 col) {
  const Int32 x = ColLeftLtr(col);
  if (QAbstractScrollArea* area = AreaOf(this); area != nullptr && x >= 0) {
    TRect r{x, 0, x + ColWidths(col) + fGridLineWidth, ClientHeight()};
    if (UseRightToLeftAlignment()) r = TRect{ClientWidth() - r.Right, 0, ClientWidth() - r.Left, r.Bottom};
    area->viewport()->update(ToQRect(r));
  }
}

void TCustomDrawGrid::PaintViewport(QPainter& painter, const TRect& dirty) {
  const TRect client = ClientRect();
  painter.fillRect(ToQRect(client), ToQColor(Color()));
  TViewportSurface surface(&painter, TSize{client.Right, client.Bottom});
  TCanvas& canvas = Canvas();
  canvas.SetSurface(&surface);
  // The surface lives on this frame: the canvas lets go of it on every way
  // out, an exception from a cell's drawing (a host's handler) included.
  struct ReleaseSurface {
    TCanvas& canvas;
    ~ReleaseSurface() { canvas.SetSurface(nullptr); }
  } release{canvas};
  fCellsPainted = 0;
  // The rows and columns on the screen, with their left-to-right positions.
  std::vector<std::pair<Int32, Int32>> rows, cols;
  {
    Int32 y = 0;
    for (Int32 r = 0; r < fFixedRows && y < client.Bottom; ++r) {
      rows.emplace_back(r, y);
      y += RowHeights(r) + LineAfterRow(r);
    }
    for (Int32 r = fTopRow; r < fRowCount && y < client.Bottom; ++r) {
      rows.emplace_back(r, y);
      y += RowHeights(r) + LineAfterRow(r);
    }
    Int32 x = 0;
    for (Int32 c = 0; c < fFixedCols && x < client.Right; ++c) {
      cols.emplace_back(c, x);
      x += ColWidths(c) + LineAfterCol(c);
    }
    for (Int32 c = fLeftCol; c < ColCount() && x < client.Right; ++c) {
      cols.emplace_back(c, x);
      x += ColWidths(c) + LineAfterCol(c);
    }
  }
  const bool rtl = UseRightToLeftAlignment();
  const TGridRect sel = Selection();
  const QWidget* w = Widget();
  const bool focused = w != nullptr && w->hasFocus();
  auto mirrored = [&](TRect r) { return rtl ? TRect{client.Right - r.Right, r.Top, client.Right - r.Left, r.Bottom} : r; };
  QPainter* p = &painter;
  for (const auto& [r, y] : rows) {
    const Int32 h = RowHeights(r), lineH = LineAfterRow(r);
    for (const auto& [c, x] : cols) {
      const Int32 cw = ColWidths(c), lineV = LineAfterCol(c);
      const TRect cell = mirrored(TRect{x, y, x + cw, y + h});
      const TRect withLines = mirrored(TRect{x, y, x + cw + lineV, y + h + lineH});
      if (!Intersects(withLines, dirty)) continue;
      TGridDrawState state = 0;
      const bool fixed = c < fFixedCols || r < fFixedRows;
      if (fixed) state |= GridDrawBit(gdFixed);
      const bool isCurrent = c == fCurrent.X && r == fCurrent.Y;
      if (!fixed && c >= sel.Left && c <= sel.Right && r >= sel.Top && r <= sel.Bottom) state |= GridDrawBit(gdSelected);
      if (isCurrent && focused) state |= GridDrawBit(gdFocused);
      // The focused cell keeps the window colour (its focus frame marks it)
      // unless the options ask for it to be highlighted too.
      const bool highlighted = (state & GridDrawBit(gdSelected)) &&
                               (!(state & GridDrawBit(gdFocused)) || HasOption(goDrawFocusSelected) ||
                                HasOption(goRowSelect));
      canvas.RemoveClipRegion();
      canvas.Font().Assign(Font());
      canvas.Brush().SetStyle(bsSolid);
      canvas.Pen().SetColor(Font().Color());
      if (fixed)
        canvas.Brush().SetColor(fFixedColor);
      else if (highlighted) {
        canvas.Brush().SetColor(clHighlight);
        canvas.Font().SetColor(clHighlightText);
      } else
        canvas.Brush().SetColor(Color());
      if (fDefaultDrawing && cell.Right > cell.Left && cell.Bottom > cell.Top) {
        if (fixed && fDrawingStyle == gdsGradient) {
          QLinearGradient g(0, cell.Top, 0, cell.Bottom);
          g.setColorAt(0, ToQColor(clWindow));
          g.setColorAt(1, ToQColor(fFixedColor));
          p->fillRect(ToQRect(cell), g);
        } else {
          canvas.FillRect(cell);
        }
      }
      DrawCell(c, r, cell, state);
      ++fCellsPainted;
      canvas.RemoveClipRegion();
      if ((state & GridDrawBit(gdFocused)) && !HasOption(goRowSelect) && !fEditorShown) canvas.DrawFocusRect(cell);
      // The grid lines after the cell.
      if (lineV > 0) p->fillRect(ToQRect(mirrored(TRect{x + cw, y, x + cw + lineV, y + h + lineH})), ToQColor(fGridLineColor));
      if (lineH > 0) p->fillRect(ToQRect(mirrored(TRect{x, y + h, x + cw + lineV, y + h + lineH})), ToQColor(fGridLineColor));
    }
  }
}

// ---------------------------------------------------------------------------

void TCustomDrawGrid::Resize() {
  ClampTopLeft();
  UpdateScrollBars();
  PlaceEditor();
  Invalidate();
  TCustomControl::Resize();
}

void TCustomDrawGrid::WndProc(TMessage& message) {
  constexpr Cardinal kSetRedraw = 0x000B;
  if (message.Msg == kSetRedraw) {
    if (QAbstractScrollArea* area = AreaOf(this)) {
      area->viewport()->setUpdatesEnabled(message.WParam != 0);
      if (message.WParam != 0) Invalidate();
    }
    return;
  }
  TCustomControl::WndProc(message);
}

void TCustomDrawGrid::BiDiModeChanged() {
  TCustomControl::BiDiModeChanged();
  PlaceEditor();
  Invalidate();
}

}  // namespace sk
