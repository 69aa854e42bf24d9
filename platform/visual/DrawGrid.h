// The draw grid: a grid of cells that holds no data and paints every cell
// through DrawCell, on a Qt scroll area.
//
// It is virtual in its rows: every row has the default height except the
// few set apart, the vertical scroll bar counts rows, a y is turned into a
// row by walking the visible rows only, and a paint touches only the cells
// on the screen, so that a grid of a million rows costs what one of a
// thousand does. Columns are few and kept in an array.
//
// Coordinates: column and row numbers count the fixed columns and rows. A
// cell's rectangle leaves out the grid line drawn after it: column c starts
// at the sum of the widths and grid lines of the columns before it (the
// fixed ones, then those from LeftCol). A right-to-left grid lays its columns
// out from the right edge.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/visual/Controls.h"

class QLineEdit;

namespace sk {

struct TGridCoord {
  Int32 X = 0;
  Int32 Y = 0;
  bool operator==(const TGridCoord&) const = default;
};

// A rectangle of cells, both corners inclusive.
struct TGridRect {
  Int32 Left = 0;
  Int32 Top = 0;
  Int32 Right = 0;
  Int32 Bottom = 0;
  bool operator==(const TGridRect&) const = default;
};

// The grid's options, one bit per TGridOption (the platform's bit values).
enum TGridOption : uint8_t {
  goFixedVertLine,
  goFixedHorzLine,
  goVertLine,
  goHorzLine,
  goRangeSelect,
  goDrawFocusSelected,
  goRowSizing,
  goColSizing,
  goRowMoving,
  goColMoving,
  goEditing,
  goTabs,
  goRowSelect,
  goAlwaysShowEditor,
  goThumbTracking
};
using TGridOptions = Word;
inline constexpr TGridOptions GridOptionBit(TGridOption o) { return static_cast<TGridOptions>(1u << o); }
inline constexpr TGridOptions DefaultGridOptions =
    GridOptionBit(goFixedVertLine) | GridOptionBit(goFixedHorzLine) | GridOptionBit(goVertLine) |
    GridOptionBit(goHorzLine) | GridOptionBit(goRangeSelect);

enum TGridDrawStateFlag : uint8_t { gdSelected, gdFocused, gdFixed, gdHotTrack, gdPressed };
using TGridDrawState = Byte;
inline constexpr TGridDrawState GridDrawBit(TGridDrawStateFlag f) { return static_cast<TGridDrawState>(1u << f); }

enum TGridState : uint8_t { gsNormal, gsSelecting, gsRowSizing, gsColSizing, gsRowMoving, gsColMoving };
enum TGridDrawingStyle : uint8_t { gdsClassic, gdsThemed, gdsGradient };
enum TScrollStyle : uint8_t { ssNone, ssHorizontal, ssVertical, ssBoth };

class TCustomDrawGrid;

using TDrawCellEvent = std::function<void(TObject* Sender, Int32 ACol, Int32 ARow, const TRect& Rect, TGridDrawState State)>;
using TSelectCellEvent = std::function<void(TObject* Sender, Int32 ACol, Int32 ARow, bool& CanSelect)>;
using TGetEditEvent = std::function<void(TObject* Sender, Int32 ACol, Int32 ARow, String& Value)>;
using TSetEditEvent = std::function<void(TObject* Sender, Int32 ACol, Int32 ARow, const String& Value)>;
using TMovedEvent = std::function<void(TObject* Sender, Int32 FromIndex, Int32 ToIndex)>;
// A drag inside the grid: it starts when the mouse has moved the platform's
// drag distance from where BeginDrag was called (at once when immediate).
using TStartDragEvent = std::function<void(TObject* Sender)>;
using TDragOverEvent = std::function<void(TObject* Sender, TObject* Source, Int32 X, Int32 Y, bool& Accept)>;
using TDragDropEvent = std::function<void(TObject* Sender, TObject* Source, Int32 X, Int32 Y)>;
using TEndDragEvent = std::function<void(TObject* Sender, TObject* Target, Int32 X, Int32 Y)>;
// A turn of the mouse wheel over the cells (WheelDelta 120 a notch, positive
// away from the user); a handler that sets Handled keeps the grid from
// moving its current row.
using TGridMouseWheelEvent =
    std::function<void(TObject* Sender, TShiftState Shift, Int32 WheelDelta, TPoint MousePos, bool& Handled)>;

class TCustomDrawGrid : public TCustomControl {
 public:
  explicit TCustomDrawGrid(TComponent* owner);
  ~TCustomDrawGrid() override;

  // ---- size and layout ----
  Int32 ColCount() const { return static_cast<Int32>(fColWidths.size()); }
  void SetColCount(Int32 n);
  Int32 RowCount() const { return fRowCount; }
  void SetRowCount(Int32 n);
  Int32 FixedCols() const { return fFixedCols; }
  void SetFixedCols(Int32 n);
  Int32 FixedRows() const { return fFixedRows; }
  void SetFixedRows(Int32 n);
  Int32 DefaultColWidth() const { return fDefaultColWidth; }
  // Sets every column to the width.
  void SetDefaultColWidth(Int32 w);
  Int32 DefaultRowHeight() const { return fDefaultRowHeight; }
  // Sets every row to the height (the rows set apart are forgotten).
  void SetDefaultRowHeight(Int32 h);
  // Width of a column, height of a row; 0 outside the grid.
  Int32 ColWidths(Int32 col) const;
  void SetColWidths(Int32 col, Int32 w);
  Int32 RowHeights(Int32 row) const;
  void SetRowHeights(Int32 row, Int32 h);
  // The heights of rows first to last - 1 added up (no grid lines), rows
  // outside the grid left out. Only the rows with a height of their own are
  // visited, so the sum over a million rows costs no more than over ten.
  Int64 RowHeightsSum(Int32 first, Int32 last) const;
  // How many rows have a height of their own.
  Int32 RowsSetApart() const { return static_cast<Int32>(fRowHeights.size()); }
  Int32 GridLineWidth() const { return fGridLineWidth; }
  void SetGridLineWidth(Int32 w);
  TColor GridLineColor() const { return fGridLineColor; }
  void SetGridLineColor(TColor c);
  TColor FixedColor() const { return fFixedColor; }
  void SetFixedColor(TColor c);
  TGridOptions Options() const { return fOptions; }
  void SetOptions(TGridOptions o);
  bool HasOption(TGridOption o) const { return (fOptions >> o) & 1u; }
  TGridDrawingStyle DrawingStyle() const { return fDrawingStyle; }
  void SetDrawingStyle(TGridDrawingStyle s);
  TScrollStyle ScrollBars() const { return fScrollBars; }
  void SetScrollBars(TScrollStyle s);
  // Whether cells are filled (fixed, selected or plain) before DrawCell runs.
  bool DefaultDrawing() const { return fDefaultDrawing; }
  void SetDefaultDrawing(bool d) { fDefaultDrawing = d; }
  TGridState GridState() const { return fGridState; }

  // ---- position ----
  Int32 TopRow() const { return fTopRow; }
  // Scrolls so that row is the first non-fixed row shown (kept between the
  // fixed rows and the last top row that still fills the screen).
  void SetTopRow(Int32 row);
  Int32 LeftCol() const { return fLeftCol; }
  void SetLeftCol(Int32 col);
  // The current cell.
  Int32 Col() const { return fCurrent.X; }
  Int32 Row() const { return fCurrent.Y; }
  void SetCol(Int32 col);
  void SetRow(Int32 row);
  // Makes the cell current (when SelectCell allows), the selection that cell
  // alone, and scrolls it into view.
  void FocusCell(Int32 col, Int32 row);
  TGridRect Selection() const;
  void SetSelection(const TGridRect& r);
  // Non-fixed rows and columns wholly on the screen from the top row and the
  // left column.
  Int32 VisibleRowCount() const;
  Int32 VisibleColCount() const;
  // The largest top row that still fills the screen with rows.
  Int32 MaxTopRow() const;

  // ---- geometry ----
  // The cell's rectangle on the client area; empty (all 0) for a cell that
  // is scrolled away or outside the grid.
  TRect CellRect(Int32 col, Int32 row) const;
  // The cell under (x, y); -1, -1 outside every cell.
  TGridCoord MouseCoord(Int32 x, Int32 y) const;
  void MouseToCell(Int32 x, Int32 y, Int32& col, Int32& row) const;
  // The client area: the control less its scroll bars.
  TRect ClientRect() const override;

  // ---- painting ----
  void InvalidateCell(Int32 col, Int32 row);
  void InvalidateRow(Int32 row);
  void InvalidateCol(Int32 col);
  void InvalidateGrid() { Invalidate(); }
  // How many cells the last paint drew.
  Int32 CellsPaintedLastTime() const { return fCellsPainted; }

  // ---- in-place editor ----
  bool EditorMode() const { return fEditorShown; }
  // Shows the editor over the current cell with GetEditText's text (with
  // goEditing only), or ends it, storing its text through SetEditText.
  void SetEditorMode(bool on);
  void ShowEditor() { SetEditorMode(true); }
  void HideEditor() { SetEditorMode(false); }
  // Ends the editor without storing its text.
  void CancelEditor();
  // The editor's Qt line edit while it is shown; nullptr otherwise.
  QLineEdit* InplaceEditor() const;

  // ---- dragging ----
  // Starts a drag at once, or once the mouse has moved the platform's drag
  // distance (a threshold of -1), or the threshold in pixels.
  void BeginDrag(bool immediate, Int32 threshold = -1);
  void EndDrag(bool drop);
  bool Dragging() const { return fDrag == TDragPhase::dragging; }

  // Events (the draw grid's own virtual operations fire them).
  TDrawCellEvent OnDrawCell;
  TSelectCellEvent OnSelectCell;
  TNotifyEvent OnTopLeftChanged;
  TGetEditEvent OnGetEditText;
  TSetEditEvent OnSetEditText;
  TMovedEvent OnColumnMoved;
  TMovedEvent OnRowMoved;
  TStartDragEvent OnStartDrag;
  TDragOverEvent OnDragOver;
  TDragDropEvent OnDragDrop;
  TEndDragEvent OnEndDrag;
  TGridMouseWheelEvent OnMouseWheel;

  // For the grid's Qt widget; not for other callers.
  void PaintViewport(QPainter& painter, const TRect& dirty);
  void ScrollBarMoved(bool vertical, Int32 value);
  bool WheelTurned(TShiftState shift, Int32 delta, TPoint pos) { return DoMouseWheel(shift, delta, pos); }
  // Messages: WM_SETREDRAW (11) with 0 stops the grid's painting, with any
  // other value starts it again and repaints.
  void WndProc(TMessage& message) override;

 protected:
  virtual void DrawCell(Int32 ACol, Int32 ARow, const TRect& ARect, TGridDrawState AState);
  virtual bool SelectCell(Int32 ACol, Int32 ARow);
  virtual void TopLeftChanged();
  virtual String GetEditText(Int32 ACol, Int32 ARow);
  virtual void SetEditText(Int32 ACol, Int32 ARow, const String& Value);
  virtual void RowHeightsChanged() {}
  virtual void ColWidthsChanged() {}
  virtual void ColumnMoved(Int32 fromIndex, Int32 toIndex);
  virtual void RowMoved(Int32 fromIndex, Int32 toIndex);

  void MouseDown(TMouseButton button, TShiftState shift, Int32 x, Int32 y) override;
  void MouseMove(TShiftState shift, Int32 x, Int32 y) override;
  void MouseUp(TMouseButton button, TShiftState shift, Int32 x, Int32 y) override;
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyPress(Char& key) override;
  // The wheel moves the current row by one row a notch, down when turned
  // towards the user (after OnMouseWheel, which may handle it instead).
  virtual bool DoMouseWheel(TShiftState shift, Int32 delta, TPoint pos);
  void Resize() override;
  void BiDiModeChanged() override;
  void Paint() override {}

  // Moves the current cell; the selection's anchor follows unless the
  // selection is being extended. False when SelectCell refused.
  bool MoveCurrent(Int32 col, Int32 row, bool moveAnchor, bool show);

 private:
  enum class TDragPhase : uint8_t { none, pending, dragging };
  enum class TSizingAxis : uint8_t { none, col, row };

  Int32 LineAfterCol(Int32 col) const;
  Int32 LineAfterRow(Int32 row) const;
  Int32 FixedWidth() const;
  Int32 FixedHeight() const;
  // Left edge (left-to-right layout) of a column on screen; -1 when hidden.
  Int32 ColLeftLtr(Int32 col) const;
  Int32 RowTop(Int32 row) const;
  Int32 MirrorX(Int32 x) const;
  Int32 MaxLeftCol() const;
  void ClampTopLeft();
  void ScrollInView(Int32 col, Int32 row);
  void SetTopLeft(Int32 col, Int32 row);
  void UpdateScrollBars();
  // The column or row edge near (x, y) that a sizing drag may take; -1 when none.
  Int32 SizingColAt(Int32 x, Int32 y) const;
  Int32 SizingRowAt(Int32 x, Int32 y) const;
  void CommitEditor(bool store);
  void PlaceEditor();

  std::vector<Int32> fColWidths;
  std::map<Int32, Int32> fRowHeights;  // rows whose height is not the default
  Int32 fRowCount = 5;
  Int32 fFixedCols = 1;
  Int32 fFixedRows = 1;
  Int32 fDefaultColWidth = 64;
  Int32 fDefaultRowHeight = 24;
  Int32 fGridLineWidth = 1;
  TColor fGridLineColor;
  TColor fFixedColor;
  TGridOptions fOptions = DefaultGridOptions;
  TGridDrawingStyle fDrawingStyle = gdsClassic;
  TScrollStyle fScrollBars = ssBoth;
  bool fDefaultDrawing = true;
  TGridState fGridState = gsNormal;
  Int32 fTopRow = 1;
  Int32 fLeftCol = 1;
  TGridCoord fCurrent{1, 1};
  TGridCoord fAnchor{1, 1};
  Int32 fCellsPainted = 0;
  bool fUpdatingBars = false;
  // Sizing and moving.
  Int32 fSizingIndex = -1;
  Int32 fSizingStart = 0;
  Int32 fMoveFrom = -1;
  TPoint fPressAt;
  bool fMovePending = false;
  TGridState fMoveState = gsNormal;
  // The editor.
  QLineEdit* fEditor = nullptr;  // a child of the viewport, made on first use
  bool fEditorShown = false;
  TGridCoord fEditorCell{-1, -1};
  // Dragging.
  TDragPhase fDrag = TDragPhase::none;
  Int32 fDragThreshold = 0;
  TPoint fDragStart;
  bool fDragAccepted = false;
  Int32 fWheelRest = 0;  // the part of a notch turned so far
};

// The draw grid a host places on a form.
class TDrawGrid : public TCustomDrawGrid {
 public:
  using TCustomDrawGrid::TCustomDrawGrid;
};

}  // namespace sk
