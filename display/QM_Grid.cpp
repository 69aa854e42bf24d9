// The results grid: set-up, headings, column widths, positions and the
// operations forwarded to the cell handler.
#include "display/QM_Grid.h"

#include <algorithm>

#include "analysis/Base_headingsu.h"
#include "analysis/Headingsu.h"
#include "core/Basic_processes.h"
#include "core/Generalruntime2const.h"
#include "core/Global_vars.h"
#include "core/My_string_functions.h"
#include "display/QMGridCellHandler.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/ResourceStrings.h"
#include "platform/runtime/StringList.h"
#include "platform/runtime/FileUtils.h"
#include "services/Logging_utilities.h"
#include "services/Monitor_functions.h"
#include "ui/Graphics_utilities.h"
#include "ui/Qmark_error_dlgs_1.h"

namespace sk {

TQM_Grid::TQM_Grid(TComponent* owner) : TCustomDrawGrid(owner) {
  OwnerForm = dynamic_cast<TForm*>(owner);
  const Int32 ppi = Screen().PixelsPerInch();
  MinRowHeight = ppi / 4;
  MaxRowHeight = ppi * 4;
  Clipboard_Stringlist = std::make_unique<TStringList>();
  WMetafile = std::make_unique<TMetafile>();
  print_pre_output.pg_start_line = std::make_unique<T1LongintList>();
  Alternate_languages = std::make_unique<TFixedLangDetailsList>();
  SetDrawingStyle(gdsGradient);
  SetDefaultRowHeight(MinRowHeight);
}

TQM_Grid::~TQM_Grid() { grid_headers.clear(); }

// ---- set-up and display

void TQM_Grid::MatchGridToListType(TQuillmarkList kind, TGrid_alternatives display, TQMSister* list) {
  fCurrentQMList = list;
  fCurrentListType = kind;
  fKindOfDisplay = display;
  if (fCellmanager != nullptr) fCellmanager->GridSetupLangFontRowcount(this, list, kind, display);
  Int32 headCount = 0;
  if (list != nullptr && list->GridHeadings() != nullptr) headCount = list->GridHeadings()->Count();
  Int32 cols = std::max(OfficialStandardNOfHeaders[kind], headCount);
  if (kind == lt_filename_list && ColCount() >= 11) cols = OfficialStandardNOfHeaders[kind];
  SetColCount(std::max(1, cols));
  if (list != nullptr) list->Alignments.assign(static_cast<size_t>(ColCount()), aligned_default);
  LoadGridHeaders();
  SetAlignments(list);
}

void TQM_Grid::ClearList() {
  fCurrentQMList = nullptr;
  fCurrentListType = lt_word_list;
  fKindOfDisplay = grid_none;
  if (fCellmanager != nullptr) fCellmanager->GridSetupLangFontRowcount(this, nullptr, lt_word_list, grid_none);
  Invalidate();
}

void TQM_Grid::LoadGridHeaders() {
  if (!grid_headers.empty() && IdenticalGridHeadArrays(grid_headers, StandardGridHeaderArray(fCurrentListType)))
    return;
  ReLoadGridHeaders();
}

void TQM_Grid::ReLoadGridHeaders() {
  ClearGridHeaders();
  if (fCurrentListType == lt_filename_list && ColCount() > 10) {
    grid_headers = StandardGridHeaderArray(fCurrentListType);
    SetColCount(std::max(1, OfficialStandardNOfHeaders[fCurrentListType]));
  } else {
    grid_headers = GetGridHeaders(fCurrentListType, fCurrentQMList);
  }
}

std::vector<TGrid_head> TQM_Grid::GetGridHeaders(TQuillmarkList kind, TQMSister* list) const {
  std::vector<TGrid_head> r;
  if (list != nullptr && list->GridHeadings() != nullptr) {
    CopyGridHeaderListDataToArray(list->GridHeadings(), r, _MinimumColumn1Width);
    // The list hides its statistics columns again if they were hidden.
    list->ShowOrHideStatsColumns(list->GetStatsColumnsHidden());
    return r;
  }
  return StandardGridHeaderArray(kind);
}

const TGrid_head* TQM_Grid::HeadingOf(Int32 col) const {
  if (col < 0 || col >= static_cast<Int32>(grid_headers.size())) return nullptr;
  return &grid_headers[static_cast<size_t>(col)];
}

void TQM_Grid::SetAlignments(TQMSister* list) {
  if (list == nullptr || fKindOfDisplay == grid_statistics) return;
  list->Alignments.resize(std::max(list->Alignments.size(), grid_headers.size()), aligned_default);
  const TGridHeaderList* heads = list->GridHeadings();
  for (size_t i = 0; i < grid_headers.size(); ++i) {
    TQMAlignment a;
    if (i == 0 || grid_headers[i].numerical)
      a = aligned_right;
    else if (heads != nullptr && static_cast<Int32>(i) < heads->Count())
      a = heads->GetAlignment(static_cast<Int32>(i));
    else
      a = grid_headers[i].alignment;
    list->Alignments[i] = a;
  }
}

void TQM_Grid::SetColumnWidths() {
  if (grid_headers.empty()) {
    fResizingColWidths = false;
    return;
  }
  fResizingColWidths = true;
  const Int32 last = std::min(ColCount(), static_cast<Int32>(grid_headers.size())) - 1;
  const Int32 monitorWidth = Screen().Width();
  for (Int32 c = 1; c <= last; ++c) {
    const TGrid_head& h = grid_headers[static_cast<size_t>(c)];
    if (h.escondido) {
      SetColWidths(c, 0);
    } else if (c == 1) {
      Int32 w = std::max(_MinimumColumn1Width, DimensionScaledForDPI(h.pixel_width96));
      if (monitorWidth > 0) w = std::min(w, monitorWidth / 10 * 9);
      if (global_log_level > 1)
        AddToLogFile(Format(u"MinCol1Width %d, col 1 now %d", {_MinimumColumn1Width, w}));
      SetColWidths(c, w);
    } else if (c == last && h.alignment == aligned_plotting) {
      Int32 used = 0;
      for (Int32 i = 0; i < c; ++i) used += ColWidths(i) + GridLineWidth();
      SetColWidths(c, std::max(0, ClientWidth() - used));
    } else {
      SetColWidths(c, DimensionScaledForDPI(h.pixel_width96));
    }
  }
  fResizingColWidths = false;
}

void TQM_Grid::LoadGridHeadersAndSetColumnWidths() {
  LoadGridHeaders();
  SetColumnWidths();
}

void TQM_Grid::SetColumn1ToFitData() {
  if (ColCount() < 2) return;
  const Int32 from = std::max(FixedRows(), Row() - 300);
  const Int32 to = std::min(Row() + 300, RowCount() - 1);
  TCanvas& canvas = Canvas();
  Int32 widest = 0;
  for (Int32 r = from; r <= to; ++r) widest = std::max(widest, canvas.TextWidth(GetAGridCellAsString(1, r, true)));
  SetColWidths(1, widest + canvas.TextWidth(u"Z"));
}

void TQM_Grid::SetLastColumnWidthToFit() {
  if (ColCount() < 1) return;
  Int32 used = Screen().PixelsPerInch() / 20;
  for (Int32 c = 0; c < ColCount() - 1; ++c) used += ColWidths(c) + GridLineWidth();
  SetColWidths(ColCount() - 1, std::max(0, ClientWidth() - used));
}

void TQM_Grid::SetGridHeaderWidthsToDefault(const std::vector<TGrid_head>& headings) {
  const Int32 n = std::min(headings.size(), grid_headers.size());
  for (Int32 c = 1; c < n; ++c) {
    TGrid_head& h = grid_headers[static_cast<size_t>(c)];
    const SmallInt w = headings[static_cast<size_t>(c)].pixel_width96;
    if (!h.escondido && w > 0 && w != h.pixel_width96) h.pixel_width96 = w;
  }
}

void TQM_Grid::SaveGridHeadings() {
  if (fCurrentQMList == nullptr || fCurrentQMList->GridHeadings() == nullptr) return;
  const String file = CustomFilename(fCurrentListType);
  if (fCurrentQMList->GridHeadings()->SaveAsCustomised(file)) SavedOK(OwnerForm, ExtractFileName(file));
}

// ---- forwarded to the cell handler

void TQM_Grid::SetLanguage(const Tfixed_lang_details& details) {
  if (fCellmanager != nullptr) fCellmanager->SetLanguage(details);
}

Tfixed_lang_details TQM_Grid::GetLanguage() const {
  return fCellmanager != nullptr ? fCellmanager->GetLanguage() : Tfixed_lang_details{};
}

void TQM_Grid::SetOnGetPreferredTagForm(TGetPreferredTagFormat closure) {
  if (fCellmanager != nullptr) fCellmanager->SetOnGetPreferredTagForm(std::move(closure));
}

void TQM_Grid::SetPreferredLinesPerRow(Int32 n) {
  fPreferredLinesPerRow = n;
  if (fCellmanager != nullptr) fCellmanager->Resize_RowHeights();
}

void TQM_Grid::MatchRowCountToList() {
  if (fCellmanager != nullptr) fCellmanager->MatchRowCountToList();
}

TGrid_data_rec TQM_Grid::GetADrawgridDataRec(Int32 col, Int32 row) {
  return fCellmanager != nullptr ? fCellmanager->GetADrawgridDataRec(col, row) : TGrid_data_rec{};
}

String TQM_Grid::GetAGridCellAsString(Int32 col, Int32 row, bool flag) {
  return fCellmanager != nullptr ? fCellmanager->GetAGridCellAsString(col, row, flag) : String();
}

void TQM_Grid::SetAGridCellAsString(Int32 col, Int32 row, const String& text) {
  if (fCellmanager != nullptr) fCellmanager->SetAGridCellAsString(col, row, text);
}

TGrid_data_rec TQM_Grid::GetColumnTotalDataForGrid(Int32 col, Int32 row) {
  return fCellmanager != nullptr ? fCellmanager->GetColumnTotalDataForGrid(col, row) : TGrid_data_rec{};
}

void TQM_Grid::DoStatusBarMessage(Int32 col, Int32 row) {
  if (fCellmanager != nullptr) fCellmanager->DoStatusBarMessage(col, row);
}

void TQM_Grid::SetDrawForGridSearchDisplay(const std::vector<TQMSearchWordRec>& words) {
  if (fCellmanager == nullptr) return;
  TMyTextDrawer& d = *fCellmanager->CellPainter;
  const TMyCanvasColourRecAndTypeface search = StyleSearchColoursAndTypeface();
  d.SearchExtraFontRec.BrushColour = search.colourset.arr[tsc_window];
  d.SearchExtraFontRec.FontColour = search.colourset.arr[tsc_windowtext];
  for (const TQMSearchWordRec& w : words) d.AddASearch(w);
}

void TQM_Grid::ClearSearchDisplay(const TQMSearchWordRec& word) {
  if (fCellmanager != nullptr) fCellmanager->CellPainter->ClearOneSearch(word);
}

Int32 TQM_Grid::GetHorizontalConcDisplacement() const {
  return fCellmanager != nullptr ? fCellmanager->CellPainter->HorizontalConcDisplacement : 0;
}

void TQM_Grid::SetHorizontalConcDisplacement(Int32 n) {
  if (fCellmanager != nullptr) fCellmanager->CellPainter->HorizontalConcDisplacement = n;
}

void TQM_Grid::MoveHorizontalConcDisplacement(Int32 delta) {
  if (fCellmanager == nullptr) return;
  Int32& d = fCellmanager->CellPainter->HorizontalConcDisplacement;
  d = std::clamp(d + delta, -50, 50);
}

void TQM_Grid::BeginUpdate() {
  begun_update = true;
  Perform(11 /* WM_SETREDRAW */, 0, 0);
}

void TQM_Grid::EndUpdate() {
  begun_update = false;
  Perform(11 /* WM_SETREDRAW */, 1, 0);
  Invalidate();
}

// ---- positions and rows

Int32 TQM_Grid::GridRowToDataRowUNconverted(Int32 row) const {
  const Int32 totals = fCurrentQMList != nullptr ? fCurrentQMList->ColumnTotalRowsToShow : 0;
  return row - totals - FixedRows();
}

Int32 TQM_Grid::FirstEntryRow() const {
  const Int32 totals = fCurrentQMList != nullptr ? fCurrentQMList->ColumnTotalRowsToShow : 0;
  return totals + FixedRows();
}

bool TQM_Grid::ValidColAndRow(Int32 c, Int32 r) const { return c >= 0 && c < ColCount() && r >= 0 && r < RowCount(); }

bool TQM_Grid::ValidNonHeaderColAndRow(Int32 c, Int32 r) const {
  return ValidColAndRow(c, r) && fCurrentQMList != nullptr && r >= FirstEntryRow();
}

void TQM_Grid::SetTopRowTo(Int32 r) { SetTopRow(std::max(r, FirstEntryRow())); }

void TQM_Grid::AdvanceRetreat(Int32 direction, bool smallSteps) {
  const Int32 first = FirstEntryRow();
  const Int32 last = RowCount() - 1;
  const Int32 step = std::max(first, RowCount() / (smallSteps ? 20 : 100));
  Int32 target;
  if (direction >= 1) {
    target = std::min(last, Row() + step);
    if (target == last) target = first;
  } else {
    target = std::max(first, Row() - step);
    if (target == first) target = last;
  }
  SetTopRow(std::max(first, target - 10));
  SetRow(target);
}

void TQM_Grid::SaveCurrentPositions() {
  FCurrent = TGridCoord{Col(), Row()};
  FCurrentTopLeft = TGridCoord{LeftCol(), TopRow()};
}

void TQM_Grid::RestoreCurrentPositions() {
  if (!ValidColAndRow(FCurrent.X, FCurrent.Y) || !ValidColAndRow(FCurrentTopLeft.X, FCurrent.Y)) return;
  const bool wasVisible = Visible();
  Hide();
  SetCol(FCurrent.X);
  SetRow(FCurrent.Y);
  SetTopRow(FCurrentTopLeft.Y);
  if (wasVisible) Show();
}

void TQM_Grid::RestoreCurrentPositions(TQMBaseListObject* entry) {
  if (fCurrentQMList == nullptr) return;
  const Int32 index = fCurrentQMList->IndexOf(entry);
  if (index < 0) return;
  const bool wasVisible = Visible();
  Hide();
  // The entry's grid row lies below the heading row and the column totals.
  const Int32 row = index + FirstEntryRow();
  if (row < RowCount()) SetRow(row);
  if (wasVisible) Show();
}

void TQM_Grid::ShowTotalEntriesandSetRowAndColTo1() {
  if (!Enabled() || !Visible() || FixedRows() < 1 || fCurrentQMList == nullptr) return;
  fShowingTotalEntries = true;
  const Int32 row = FirstEntryRow() + fCurrentQMList->FindCurrentGridDataRow();
  if (row < RowCount()) SetRow(row);
  if (FixedCols() < ColCount() && FixedRows() < RowCount()) FocusCell(FixedCols(), std::max(FixedRows(), row));
  fShowingTotalEntries = false;
}

Int32 TQM_Grid::GetJoinDropRow(Int32 row, const T1LongintList* rows) const {
  if (fCurrentQMList != nullptr && fCurrentQMList->MarcacoesExistentes >= 2 && rows != nullptr && rows->Count() > 0)
    return rows->GetAValue(0);
  return GridRowToDataRowUNconverted(row);
}

TGridRect TQM_Grid::SelectionWithoutFixedRow() const {
  TGridRect s = Selection();
  s.Top = GridRowToDataRowUNconverted(s.Top);
  s.Bottom = GridRowToDataRowUNconverted(s.Bottom);
  return s;
}

TGridSelectedRowsRec TQM_Grid::GetSelDataRowsAsList(bool flag) const {
  TGridSelectedRowsRec r;
  if (fCurrentQMList == nullptr) {
    r.rows = std::make_unique<T1LongintList>();
    return r;
  }
  // The marked rows when any entry carries a mark; otherwise the selection.
  if (fCurrentQMList->MarcacoesExistentes >= 1) {
    r.rows = fCurrentQMList->CopyOfMarkedDataRows();
    r.marked_rows = r.rows && r.rows->Count() > 0;
  }
  if (!r.marked_rows) {
    const TGridRect s = SelectionWithoutFixedRow();
    r.rows = fCurrentQMList->CopyOfSelDataRows(TRect{s.Left, s.Top, s.Right, s.Bottom}, flag);
  }
  if (!r.rows) r.rows = std::make_unique<T1LongintList>();
  return r;
}

String TQM_Grid::GetSelectedMainWordAsString() const {
  if (fCurrentQMList == nullptr) return String();
  // The selection's top counted past the heading and column-total rows.
  const Int32 entry =
      fCurrentQMList->ConvertedForFrequency(GridRowToDataRowUNconverted(Selection().Top), fCurrentQMList->BaseGridKind);
  if (entry < 0 || entry >= fCurrentQMList->Count()) return String();
  return fCurrentQMList->GetMainWordAsString(entry);
}

Int32 TQM_Grid::GetOverallCount() const {
  return fCurrentQMList != nullptr ? fCurrentQMList->OverallCount(fKindOfDisplay) : 0;
}

bool TQM_Grid::GridDataHasIndex() const {
  return fCurrentQMList != nullptr && fCurrentQMList->DataHasAssociatedIndexData();
}

void TQM_Grid::RePaintCol0CurrentRow(TColor colour) {
  if (fCellmanager == nullptr) return;
  TRect r = CellRect(0, Row());
  if (r.Right <= r.Left) return;
  r.Right = r.Left + (r.Bottom - r.Top);
  r = TRect{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
  TCanvas& c = Canvas();
  c.Brush().SetColor(colour);
  c.Pen().SetColor(colour);
  c.Ellipse(r.Left, r.Top, r.Right, r.Bottom);
}

void TQM_Grid::GrowOrShrinkCurrentRow(bool grow) {
  const Int32 row = Row();
  if (row == 0) return;
  const Int32 h = RowHeights(row);
  SetRowHeights(row, grow ? std::min(MaxRowHeight, h * 2) : std::max(DefaultRowHeight(), h / 2));
  Refresh();
}

String TQM_Grid::HintString(TPoint point, TRect& cellRect) {
  Int32 c = -1, r = -1;
  MouseToCell(point.X, point.Y, c, r);
  if (c < 0 || r < 0) return String();
  if (c == 0 && r >= FixedRows() && HasOption(goRowSizing)) {
    fHelpContext = 2040;
    return LoadResString(&_QMExpandThisLine);
  }
  if (r < FixedRows()) {
    const TGrid_head* h = HeadingOf(c);
    if (h == nullptr) return String();
    cellRect = CellRect(c, r);
    fHelpContext = h->HelpContext;
    return fOnHeaderHintTweaked ? fOnHeaderHintTweaked(this, c, h->hint) : h->hint;
  }
  return String();
}

// ---- drawing and the draw grid's hooks

void TQM_Grid::DrawCell(Int32 ACol, Int32 ARow, const TRect& ARect, TGridDrawState AState) {
  if (fCellmanager == nullptr) return;
  const bool highlighted = (AState & (GridDrawBit(gdSelected) | GridDrawBit(gdFocused))) != 0 &&
                           (AState & GridDrawBit(gdFixed)) == 0 && fOutputMode == pra_screen;
  fCellmanager->PrepareOutputAndDraw(Canvas(), ARect, ACol, ARow, highlighted);
}

bool TQM_Grid::SelectCell(Int32 ACol, Int32 ARow) {
  const bool can = TCustomDrawGrid::SelectCell(ACol, ARow);
  if (!fMouseWheel) DoStatusBarMessage(ACol, ARow);
  return can;
}

String TQM_Grid::GetEditText(Int32 ACol, Int32 ARow) { return GetAGridCellAsString(ACol, ARow, false); }

void TQM_Grid::SetEditText(Int32 ACol, Int32 ARow, const String& Value) { SetAGridCellAsString(ACol, ARow, Value); }

void TQM_Grid::RowHeightsChanged() {
  if (!Visible() || !fOnRowSizing || fCellmanager == nullptr || fCellmanager->fResizingRowHeights) return;
  Int32 c = -1, r = -1;
  MouseToCell(fLastMouse.X, fLastMouse.Y, c, r);
  fOnRowSizing(this, c, r);
}

void QM_Grid_initialization() {}
void QM_Grid_Finalization() {}

}  // namespace sk
