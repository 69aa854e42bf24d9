// The results grid's mouse, keyboard, typed keys and editing.
#include <algorithm>

#include "core/Generalruntime1const.h"
#include "core/Qm_specific_consts.h"
#include "core/My_string_functions_notation.h"
#include "display/QM_Grid.h"
#include "display/QMGridCellHandler.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/ResourceStrings.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Strings.h"
#include "ui/Qmark_error_dlgs_1.h"
#include "ui/Qmark_error_dlgs_2.h"

namespace sk {

namespace {

bool Held(TShiftState shift, TShiftStateFlag f) { return (shift & ShiftBit(f)) != 0; }

}  // namespace

// ---- mouse

void TQM_Grid::MouseDown(TMouseButton button, TShiftState shift, Int32 x, Int32 y) {
  TCustomDrawGrid::MouseDown(button, shift, x, y);
  if (GridState() != gsNormal && GridState() != gsSelecting) return;
  if (button != mbLeft) {
    if (!Held(shift, ssDouble)) return;
    DblClick();
  }
  Int32 c = -1, r = -1;
  MouseToCell(x, y, c, r);
  if (c < 0 || r < 0) return;
  if (c >= FixedCols() && r >= FixedRows()) {
    if (fCurrentQMList != nullptr) {
      fCurrentQMList->FindFromRow = GridRowToDataRowUNconverted(r);
      if (!just_double_clicked && fOnJoinOrUnjoin && LemmatisableListTypes.Contains(fCurrentQMList->fList_type)) {
        drag_datarow = GridRowToDataRowUNconverted(Row());
        drag_col = c;
        BeginDrag(false);
      }
    }
    return;
  }
  if (c < FixedCols() && r > 0) {
    DoColumn0Click(r);
  } else if (r < FixedRows() && c > 0) {
    DoRow0Click(c);
  } else if (c == 0 && r >= 1 && Held(shift, ssCtrl) && fOnMarkOrUnmark) {
    SetRow(r);
    fOnMarkOrUnmark(this, fCellmanager != nullptr ? fCellmanager->GetRowNumber(r) : r, true);
  }
  Invalidate();
}

void TQM_Grid::DblClick() {
  TCustomDrawGrid::DblClick();
  if (GridState() == gsNormal && fOnDoubleClickCell) {
    fOnDoubleClickCell(this, Col(), Row());
    just_double_clicked = true;
  }
}

void TQM_Grid::MouseMove(TShiftState shift, Int32 x, Int32 y) {
  TCustomDrawGrid::MouseMove(shift, x, y);
  fLastMouse = TPoint{x, y};
  // Hints are the tool tips of the cell under the pointer.
  TRect cellRect{};
  const String hint = HintString(TPoint{x, y}, cellRect);
  if (hint != Hint()) {
    SetHint(hint);
    SetShowHint(!hint.empty());
  }
  const TShiftState buttonsAndKeys = ShiftBit(ssShift) | ShiftBit(ssAlt) | ShiftBit(ssCtrl) | ShiftBit(ssLeft) |
                                     ShiftBit(ssRight) | ShiftBit(ssMiddle);
  if ((shift & buttonsAndKeys) != 0) return;
  if (fCurrentListType != lt_KW_plot_list && fCurrentListType != lt_concordance_plot_list) return;
  just_double_clicked = false;
  if (!fOnMouseMove) return;
  Int32 c = -1, r = -1;
  MouseToCell(x, y, c, r);
  if (c != 6 || r < 1) return;
  const TRect cell = CellRect(c, r);
  // The entry under the pointer, counted past the heading and column-total rows.
  fOnMouseMove(this, x - cell.Left, y - cell.Top, 6, GridRowToDataRowUNconverted(r), cell);
}

void TQM_Grid::MouseUp(TMouseButton button, TShiftState shift, Int32 x, Int32 y) {
  TCustomDrawGrid::MouseUp(button, shift, x, y);
  fMouseWheel = false;
}

bool TQM_Grid::DoMouseWheel(TShiftState shift, Int32 delta, TPoint pos) {
  fMouseWheel = true;
  return TCustomDrawGrid::DoMouseWheel(shift, delta, pos);
}

// ---- keys

void TQM_Grid::SkipHiddenColumns(bool right) {
  if (fCurrentQMList == nullptr) return;
  Int32 c = Col();
  while (true) {
    const TGrid_head* h = HeadingOf(c);
    if (h == nullptr || !h->escondido) break;
    const Int32 next = right ? c + 1 : c - 1;
    if (next < 1 || next >= ColCount()) break;
    c = next;
  }
  if (c != Col()) SetCol(c);
}

void TQM_Grid::KeyDown(Word& key, TShiftState shift) {
  const Word pressed = key;
  const bool ctrl = Held(shift, ssCtrl), alt = Held(shift, ssAlt), shiftKey = Held(shift, ssShift);
  // Keys the draw grid itself would act on are looked at first.
  const bool ours = pressed == VK_INSERT || pressed == VK_DELETE || pressed == 256 || pressed == 257 ||
                    pressed == 100 || pressed == 102;
  if (!ours) TCustomDrawGrid::KeyDown(key, shift);
  fMouseWheel = false;
  if (pressed >= '0' && pressed <= '9') {
    const Int32 digit = pressed - '0';
    if (fCtrl_K_pressed) {
      if (fOnCTrl_K) fOnCTrl_K(this, digit);
      key = 0;
    } else if (ctrl && !alt && digit >= 1) {
      if (fOnGotoBookMark) fOnGotoBookMark(this, digit);
      key = 0;
    } else {
      TypedKey(key, shift);
    }
    fCtrl_K_pressed = false;
    return;
  }
  if (pressed == 'K') {
    fCtrl_K_pressed = ctrl && !alt;
    if (!fCtrl_K_pressed) TypedKey(key, shift);
    return;
  }
  fCtrl_K_pressed = false;
  if (pressed == VK_RETURN || pressed == VK_SPACE || (pressed >= 'A' && pressed <= 'Z')) {
    TypedKey(key, shift);
    return;
  }
  switch (pressed) {
    case VK_INSERT:
      if (!ctrl && !shiftKey) {
        if (FOnDeleteOrRestoreRow) FOnDeleteOrRestoreRow(this, false);
        key = 0;
      } else if (ctrl && !shiftKey) {
        SaveToClipboard();
        key = 0;
      }
      break;
    case VK_DELETE:
      if (FOnDeleteOrRestoreRow) FOnDeleteOrRestoreRow(this, true);
      key = 0;
      break;
    case VK_RIGHT:
      if (fCurrentQMList != nullptr && HeadingOf(Col()) != nullptr && HeadingOf(Col())->escondido) {
        SkipHiddenColumns(true);
        key = 0;
      }
      break;
    case VK_LEFT:
      if (fCurrentQMList != nullptr && Col() >= 2 && HeadingOf(Col()) != nullptr && HeadingOf(Col())->escondido) {
        SkipHiddenColumns(false);
        key = 0;
      }
      break;
    case 102:
      MoveHorizontalConcDisplacement(1);
      key = 0;
      Refresh();
      break;
    case 100:
      MoveHorizontalConcDisplacement(-1);
      key = 0;
      Refresh();
      break;
    case 256: {
      // Next page of a print preview.
      TPrintPreviewOutputRec& p = print_pre_output;
      if (p.current_page < p.total_pages - 1) {
        ++p.current_page;
        const Int32 start = p.pg_start_line->GetAValue(p.current_page);
        if (start >= 0 && start < RowCount()) {
          SetTopRow(start);
          SetRow(TopRow());
        }
        key = 0;
      }
      break;
    }
    case 257: {
      TPrintPreviewOutputRec& p = print_pre_output;
      if (p.current_page >= 1) {
        --p.current_page;
        const Int32 start = std::max(1, p.pg_start_line->GetAValue(p.current_page));
        if (start < RowCount()) {
          SetTopRow(start);
          SetRow(TopRow());
        }
        key = 0;
      }
      break;
    }
    default: break;
  }
}

void TQM_Grid::TypedKey(Word& key, TShiftState shift) {
  if (Held(shift, ssCtrl) || Held(shift, ssAlt)) return;
  Teclated(key);
  key = 0;
}

void TQM_Grid::Teclated(Word& key) {
  // Unassigned, the pre-filter lets every key through; without a key-press
  // mode the key does nothing more.
  if (fOnTypedKeyPreFiltered && fOnTypedKeyPreFiltered(this, key)) return;
  if (!fOnGetKeypressMode) return;
  const Int32 dataRow = GridRowToDataRowUNconverted();
  switch (fOnGetKeypressMode(this)) {
    case kp_typing_in:
      if (fOnShowOrHideToolbar && fOnIsToolbarShowing && !fOnIsToolbarShowing(this)) fOnShowOrHideToolbar(this, true);
      // The data row goes in the first integer parameter, the column in the second.
      if (fOnTypedInKey) fOnTypedInKey(this, dataRow, Col(), key);
      Refresh();
      break;
    case kp_setting_categories:
      if (fOnCategoryChanged) {
        const Int32 trueColumn = fCurrentQMList != nullptr ? fCurrentQMList->Original_Column(Col()) : Col();
        fOnCategoryChanged(this, dataRow, trueColumn, key);
      }
      break;
    case kp_editing_data:
      if (key != VK_RETURN &&
          !DoYouWantToDoX(OwnerForm, Format(LoadResString(&_QMEditXQ), {LoadResString(&_QMData)}), 0))
        return;
      StartANewEditSequence();
      break;
  }
}

// ---- editing

bool TQM_Grid::StartANewEditSequence() {
  if (fCurrentQMList == nullptr) return false;
  const Int32 column = Col();
  if (column < 1 || HeadingOf(column) == nullptr) return true;
  if (fCurrentQMList->CanEdit(column)) {
    SelectCellAndCopyToTypeinEdit(column, Row());
    return true;
  }
  String editable;
  for (size_t i = 0; i < grid_headers.size(); ++i)
    if (grid_headers[i].editable != ed_nao_pode) {
      if (!editable.empty()) editable += u",";
      editable += IntToStr(static_cast<Int32>(i) + 1);
    }
  CantEditThisColumnOfData(OwnerForm, column + 1, editable);
  return false;
}

void TQM_Grid::SelectCellAndCopyToTypeinEdit(Int32 col, Int32 row) {
  if (ValidColAndRow(col, row)) FocusCell(col, row);
  if (!fOnGetKeypressMode || fOnGetKeypressMode(this) != kp_editing_data || fshowing_editData) return;
  fshowing_editData = true;
  if (fOnTypedInSetString && fCellmanager != nullptr) {
    TGrid_data_rec rec = fCellmanager->GetADrawgridDataRec(col, fCellmanager->GetRowNumber(row));
    String value;
    if (rec.data_type == ddt_number)
      value = FloatToStr(rec.n_and_disp.computed_value);
    else
      value = StringTagArrayToString(rec.cluster_tokens, u" ");
    fOnTypedInSetString(this, value);
  }
  fshowing_editData = false;
}

}  // namespace sk
