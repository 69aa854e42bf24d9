// The draw grid's input: the mouse (selection, sizing and moving), dragging,
// the keys and the in-place editor.
#include <QtGui/QCursor>
#include <QtGui/QKeyEvent>
#include <QtWidgets/QAbstractScrollArea>
#include <QtWidgets/QApplication>
#include <QtWidgets/QLineEdit>
#include <algorithm>
#include <cstdlib>

#include "platform/visual/DrawGrid.h"
#include "platform/visual/QtConvert.h"

namespace sk {

namespace {

QAbstractScrollArea* AreaOf(const TControl* c) { return static_cast<QAbstractScrollArea*>(c->Widget()); }

}  // namespace

// The in-place editor: Return stores its text, Escape drops it, and the
// up and down keys store it and move the current row.
class TInplaceLineEdit : public QLineEdit {
 public:
  TInplaceLineEdit(QWidget* parent, TCustomDrawGrid* grid) : QLineEdit(parent), fGrid(grid) {}
  void Forget() { fGrid = nullptr; }

 protected:
  void keyPressEvent(QKeyEvent* e) override {
    if (fGrid != nullptr) {
      switch (e->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter: fGrid->HideEditor(); return;
        case Qt::Key_Escape: fGrid->CancelEditor(); return;
        case Qt::Key_Up:
        case Qt::Key_Down: {
          TCustomDrawGrid* g = fGrid;
          g->HideEditor();
          g->SetRow(g->Row() + (e->key() == Qt::Key_Up ? -1 : 1));
          return;
        }
        default: break;
      }
    }
    QLineEdit::keyPressEvent(e);
  }

 private:
  TCustomDrawGrid* fGrid;
};

TCustomDrawGrid::~TCustomDrawGrid() {
  if (fEditor != nullptr) {
    static_cast<TInplaceLineEdit*>(fEditor)->Forget();
    delete fEditor;
    fEditor = nullptr;
  }
}

// ---------------------------------------------------------------------------
// Mouse.

Int32 TCustomDrawGrid::SizingColAt(Int32 x, Int32 y) const {
  if (!HasOption(goColSizing) || y >= FixedHeight()) return -1;
  if (UseRightToLeftAlignment()) x = MirrorX(x);
  const Int32 slack = std::max(2, fGridLineWidth);
  Int32 acc = 0;
  auto test = [&](Int32 c) {
    acc += ColWidths(c);
    const bool hit = std::abs(x - acc) <= slack || (x >= acc && x < acc + LineAfterCol(c));
    acc += LineAfterCol(c);
    return hit;
  };
  for (Int32 c = 0; c < fFixedCols; ++c)
    if (test(c)) return c;
  for (Int32 c = fLeftCol; c < ColCount() && acc < ClientWidth(); ++c)
    if (test(c)) return c;
  return -1;
}

Int32 TCustomDrawGrid::SizingRowAt(Int32 x, Int32 y) const {
  if (!HasOption(goRowSizing)) return -1;
  if (UseRightToLeftAlignment()) x = MirrorX(x);
  if (x >= FixedWidth()) return -1;
  const Int32 slack = std::max(2, fGridLineWidth);
  Int32 acc = 0;
  auto test = [&](Int32 r) {
    acc += RowHeights(r);
    const bool hit = std::abs(y - acc) <= slack || (y >= acc && y < acc + LineAfterRow(r));
    acc += LineAfterRow(r);
    return hit;
  };
  for (Int32 r = 0; r < fFixedRows; ++r)
    if (test(r)) return r;
  for (Int32 r = fTopRow; r < fRowCount && acc < ClientHeight(); ++r)
    if (test(r)) return r;
  return -1;
}

void TCustomDrawGrid::MouseDown(TMouseButton button, TShiftState shift, Int32 x, Int32 y) {
  if (CanFocus()) SetFocus();
  if (fEditorShown) CommitEditor(true);
  fPressAt = TPoint{x, y};
  if (button == mbLeft && !(shift & ShiftBit(ssDouble))) {
    const Int32 ltrX = UseRightToLeftAlignment() ? MirrorX(x) : x;
    if (Int32 c = SizingColAt(x, y); c >= 0) {
      fGridState = gsColSizing;
      fSizingIndex = c;
      fSizingStart = ltrX - ColWidths(c);
    } else if (Int32 r = SizingRowAt(x, y); r >= 0) {
      fGridState = gsRowSizing;
      fSizingIndex = r;
      fSizingStart = y - RowHeights(r);
    } else {
      const TGridCoord cell = MouseCoord(x, y);
      if (cell.X >= 0 && cell.Y >= 0) {
        const bool fixedCol = cell.X < fFixedCols, fixedRow = cell.Y < fFixedRows;
        if (fixedRow && !fixedCol && HasOption(goColMoving)) {
          fMovePending = true;
          fMoveFrom = cell.X;
          fMoveState = gsColMoving;
        } else if (fixedCol && !fixedRow && HasOption(goRowMoving)) {
          fMovePending = true;
          fMoveFrom = cell.Y;
          fMoveState = gsRowMoving;
        } else if (!fixedCol && !fixedRow) {
          const bool extend = (shift & ShiftBit(ssShift)) && HasOption(goRangeSelect);
          if (MoveCurrent(cell.X, cell.Y, !extend, true)) fGridState = gsSelecting;
        }
      }
    }
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TCustomDrawGrid::MouseMove(TShiftState shift, Int32 x, Int32 y) {
  if (fDrag == TDragPhase::pending &&
      std::abs(x - fDragStart.X) + std::abs(y - fDragStart.Y) >= std::max(1, fDragThreshold)) {
    fDrag = TDragPhase::dragging;
    fGridState = gsNormal;
    if (OnStartDrag) OnStartDrag(this);
  }
  if (fDrag == TDragPhase::dragging) {
    fDragAccepted = false;
    if (OnDragOver) OnDragOver(this, this, x, y, fDragAccepted);
  } else {
    const Int32 ltrX = UseRightToLeftAlignment() ? MirrorX(x) : x;
    switch (fGridState) {
      case gsSelecting:
        if (HasOption(goRangeSelect) && (shift & ShiftBit(ssLeft))) {
          TGridCoord cell = MouseCoord(std::clamp(x, 0, std::max(0, ClientWidth() - 1)),
                                       std::clamp(y, 0, std::max(0, ClientHeight() - 1)));
          // Past the bottom or the top the selection reaches the next row off the screen.
          if (y >= ClientHeight()) cell.Y = fTopRow + VisibleRowCount();
          if (y < FixedHeight()) cell.Y = fTopRow - 1;
          if (cell.X >= 0 && cell.Y >= 0) MoveCurrent(cell.X, cell.Y, false, true);
        }
        break;
      case gsColSizing: {
        const Int32 w = std::max(0, ltrX - fSizingStart);
        if (w != ColWidths(fSizingIndex)) {
          fColWidths[static_cast<size_t>(fSizingIndex)] = w;
          ClampTopLeft();
          Invalidate();
        }
        break;
      }
      case gsRowSizing: {
        const Int32 h = std::max(0, y - fSizingStart);
        if (h != RowHeights(fSizingIndex)) SetRowHeights(fSizingIndex, h);
        break;
      }
      default:
        if (fMovePending && std::abs(x - fPressAt.X) + std::abs(y - fPressAt.Y) >= QApplication::startDragDistance())
          fGridState = fMoveState;
        break;
    }
    if (QAbstractScrollArea* area = AreaOf(this); area != nullptr && fGridState == gsNormal) {
      if (SizingColAt(x, y) >= 0)
        area->viewport()->setCursor(Qt::SplitHCursor);
      else if (SizingRowAt(x, y) >= 0)
        area->viewport()->setCursor(Qt::SplitVCursor);
      else
        area->viewport()->unsetCursor();
    }
  }
  TCustomControl::MouseMove(shift, x, y);
}

void TCustomDrawGrid::MouseUp(TMouseButton button, TShiftState shift, Int32 x, Int32 y) {
  if (button == mbLeft) {
    if (fDrag != TDragPhase::none) EndDrag(fDrag == TDragPhase::dragging && fDragAccepted);
    const TGridState state = fGridState;
    fGridState = gsNormal;
    fMovePending = false;
    switch (state) {
      case gsColSizing:
        UpdateScrollBars();
        PlaceEditor();
        ColWidthsChanged();
        break;
      case gsRowSizing:
        RowHeightsChanged();
        break;
      case gsColMoving: {
        const TGridCoord cell = MouseCoord(x, y);
        if (cell.X >= fFixedCols && cell.X != fMoveFrom) {
          const Int32 width = fColWidths[static_cast<size_t>(fMoveFrom)];
          fColWidths.erase(fColWidths.begin() + fMoveFrom);
          fColWidths.insert(fColWidths.begin() + cell.X, width);
          Invalidate();
          ColumnMoved(fMoveFrom, cell.X);
        }
        break;
      }
      case gsRowMoving: {
        const TGridCoord cell = MouseCoord(x, y);
        if (cell.Y >= fFixedRows && cell.Y != fMoveFrom) {
          // The heights of the rows set apart move with their rows.
          const Int32 from = fMoveFrom, to = cell.Y;
          std::map<Int32, Int32> moved;
          for (const auto& [row, h] : fRowHeights) {
            Int32 n = row;
            if (row == from)
              n = to;
            else if (from < to && row > from && row <= to)
              n = row - 1;
            else if (to < from && row >= to && row < from)
              n = row + 1;
            moved[n] = h;
          }
          fRowHeights.swap(moved);
          Invalidate();
          RowMoved(from, to);
        }
        break;
      }
      default: break;
    }
  }
  TCustomControl::MouseUp(button, shift, x, y);
}

// ---------------------------------------------------------------------------
// Dragging.

void TCustomDrawGrid::BeginDrag(bool immediate, Int32 threshold) {
  fDragStart = fPressAt;
  fDragAccepted = false;
  if (immediate) {
    fDrag = TDragPhase::dragging;
    fGridState = gsNormal;
    if (OnStartDrag) OnStartDrag(this);
  } else {
    fDrag = TDragPhase::pending;
    fDragThreshold = threshold < 0 ? QApplication::startDragDistance() : threshold;
  }
}

void TCustomDrawGrid::EndDrag(bool drop) {
  const bool started = fDrag == TDragPhase::dragging;
  fDrag = TDragPhase::none;
  if (!started) return;
  const QAbstractScrollArea* area = AreaOf(this);
  const QPoint at = area != nullptr ? area->viewport()->mapFromGlobal(QCursor::pos()) : QPoint();
  if (drop && OnDragDrop) OnDragDrop(this, this, at.x(), at.y());
  if (OnEndDrag) OnEndDrag(this, drop ? this : nullptr, at.x(), at.y());
}

// ---------------------------------------------------------------------------
// Keys.

void TCustomDrawGrid::KeyDown(Word& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  if (key == 0) return;
  const bool ctrl = (shift & ShiftBit(ssCtrl)) != 0;
  const bool extend = (shift & ShiftBit(ssShift)) != 0 && HasOption(goRangeSelect);
  Int32 col = fCurrent.X, row = fCurrent.Y;
  const Int32 page = std::max(1, VisibleRowCount());
  Word k = key;
  if (UseRightToLeftAlignment()) {
    if (k == VK_LEFT)
      k = VK_RIGHT;
    else if (k == VK_RIGHT)
      k = VK_LEFT;
  }
  switch (k) {
    case VK_UP: --row; break;
    case VK_DOWN: ++row; break;
    case VK_LEFT: --col; break;
    case VK_RIGHT: ++col; break;
    case VK_PRIOR: row -= page; break;
    case VK_NEXT: row += page; break;
    case VK_HOME:
      if (ctrl) row = fFixedRows;
      col = fFixedCols;
      break;
    case VK_END:
      if (ctrl) row = fRowCount - 1;
      col = ColCount() - 1;
      break;
    case VK_TAB:
      if (!HasOption(goTabs)) return;
      if (shift & ShiftBit(ssShift)) {
        if (--col < fFixedCols) {
          col = ColCount() - 1;
          --row;
        }
      } else if (++col >= ColCount()) {
        col = fFixedCols;
        ++row;
      }
      if (row < fFixedRows || row >= fRowCount) return;
      MoveCurrent(col, row, true, true);
      key = 0;
      return;
    case VK_F1 + 1:  // F2
    case VK_RETURN:
      if (!HasOption(goEditing)) return;
      SetEditorMode(!fEditorShown);
      key = 0;
      return;
    default: return;
  }
  if (k == VK_PRIOR || k == VK_NEXT) {
    // A page moves the top row with the current row.
    const Int32 target = std::clamp(row, fFixedRows, fRowCount - 1);
    SetTopRow(fTopRow + (target - fCurrent.Y));
  }
  MoveCurrent(col, row, !extend, true);
  key = 0;
}

void TCustomDrawGrid::KeyPress(Char& key) {
  TCustomControl::KeyPress(key);
  if (key == 0 || !HasOption(goEditing) || fEditorShown || key < 0x20 || key == 0x7F) return;
  // A typed character starts the editor with that character.
  SetEditorMode(true);
  if (fEditorShown && fEditor != nullptr) fEditor->setText(QString(QChar(key)));
  key = 0;
}

bool TCustomDrawGrid::DoMouseWheel(TShiftState shift, Int32 delta, TPoint pos) {
  bool handled = false;
  if (OnMouseWheel) OnMouseWheel(this, shift, delta, pos, handled);
  if (handled) return true;
  fWheelRest += delta;
  while (fWheelRest >= 120 || fWheelRest <= -120) {
    const bool down = fWheelRest < 0;
    fWheelRest += down ? 120 : -120;
    MoveCurrent(fCurrent.X, fCurrent.Y + (down ? 1 : -1), true, true);
  }
  return true;
}

// ---------------------------------------------------------------------------
// The editor.

QLineEdit* TCustomDrawGrid::InplaceEditor() const { return fEditorShown ? fEditor : nullptr; }

void TCustomDrawGrid::SetEditorMode(bool on) {
  if (!on) {
    CommitEditor(true);
    return;
  }
  if (fEditorShown || !HasOption(goEditing)) return;
  if (fCurrent.X < fFixedCols || fCurrent.Y < fFixedRows) return;
  QAbstractScrollArea* area = AreaOf(this);
  if (area == nullptr) return;
  if (fEditor == nullptr) {
    fEditor = new TInplaceLineEdit(area->viewport(), this);
    fEditor->setFrame(false);
  }
  fEditorCell = fCurrent;
  fEditor->setText(ToQString(GetEditText(fCurrent.X, fCurrent.Y)));
  fEditor->setFont(Font().QtFont());
  fEditor->setLayoutDirection(UseRightToLeftReading() ? Qt::RightToLeft : Qt::LeftToRight);
  fEditorShown = true;
  PlaceEditor();
  fEditor->show();
  fEditor->setFocus();
  fEditor->selectAll();
  Invalidate();
}

void TCustomDrawGrid::CancelEditor() { CommitEditor(false); }

void TCustomDrawGrid::CommitEditor(bool store) {
  if (!fEditorShown || fEditor == nullptr) return;
  fEditorShown = false;
  const String text = FromQString(fEditor->text());
  const bool hadFocus = fEditor->hasFocus();
  fEditor->hide();
  if (hadFocus)
    if (QWidget* w = Widget()) w->setFocus();
  Invalidate();
  if (store) SetEditText(fEditorCell.X, fEditorCell.Y, text);
}

void TCustomDrawGrid::PlaceEditor() {
  if (!fEditorShown || fEditor == nullptr) return;
  const TRect r = CellRect(fEditorCell.X, fEditorCell.Y);
  if (r.Right <= r.Left || r.Bottom <= r.Top) {
    fEditor->hide();
    return;
  }
  fEditor->setGeometry(ToQRect(r));
  fEditor->show();
}

}  // namespace sk
