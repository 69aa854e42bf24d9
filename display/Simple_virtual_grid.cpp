#include "display/Simple_virtual_grid.h"

#include <algorithm>
#include <numeric>
#include <utility>

#include "core/Comparing_types.h"
#include "core/My_string_functions_markup.h"
#include "core/My_string_functions_numbers.h"
#include "core/My_string_functions_numbers_in_text.h"
#include "core/My_string_functions_splitting.h"
#include "core/Useful_classes_base_compare.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/RtlMath.h"
#include "platform/runtime/StringList.h"
#include "platform/runtime/Strings.h"
#include "ui/Graphics_utilities.h"

namespace sk {

namespace {

Int32 gStarted = 0;

bool IsNumberKind(Int32 kind) { return kind == number_kind_integer || kind == number_kind_float; }

template <class T>
T At(const std::vector<T>& v, Int32 i, T otherwise) {
  return i >= 0 && i < static_cast<Int32>(v.size()) ? v[static_cast<size_t>(i)] : otherwise;
}

}  // namespace

Int32 SimpleVirtualGridComparisonOneString(String& a, String& b) {
  if (!IsNumberKind(IsANumber(a)) || !IsNumberKind(IsANumber(b))) return Compare2Strings(a, b);
  a = StrippedOfChars(a, u",%");
  b = StrippedOfChars(b, u",%");
  // Two whole numbers compare exactly (beyond 32 bits too); a whole number
  // beside a fraction compares as a double, so that "1" comes before "1.5".
  if (IsANumber(a) == number_kind_integer && IsANumber(b) == number_kind_integer)
    return CompareInt64s(StrToInt64Def(a, 0), StrToInt64Def(b, 0));
  const TFormatSettings fs = TFormatSettings::Invariant();
  return CompareDoubles(StrToFloatDef(a, 0, fs), StrToFloatDef(b, 0, fs));
}

TQMSimpleVirtualGrid::TQMSimpleVirtualGrid(TComponent* owner) : TCustomDrawGrid(owner) {
  SetColCount(1);
  SetRowCount(2);
  SetFixedCols(0);
  SetFixedRows(1);
  SetOptions(Options() | GridOptionBit(goColSizing));
  SetScrollBars(ssVertical);
  ColumnTypes = {ct_string};
  ColumnSortAscends = {sort3_not_set};
  ColumnPercentages = {100};
  fHeaderHeadings = {String()};
  OnTopLeftChanged = [this](TObject*) { SimpleTopLeftChanged(); };
  OnSelectCell = [this](TObject*, Int32 c, Int32 r, bool& can) { SelectSimpleCell(c, r, can); };
  OnDrawCell = [this](TObject*, Int32 c, Int32 r, const TRect& rect, TGridDrawState st) { DrawSimpleCell(c, r, rect, st); };
  RecalculateWidths();
}

void TQMSimpleVirtualGrid::DefineHeaders(const std::vector<TStringIntegerAndColumnTypeRec>& headers) {
  const Int32 n = std::max<Int32>(1, static_cast<Int32>(headers.size()));
  SetColCount(n);
  ColumnTypes.assign(static_cast<size_t>(n), ct_string);
  fHeaderHeadings.assign(static_cast<size_t>(n), String());
  ColumnPercentages.assign(static_cast<size_t>(n), 0);
  Int32 others = 0;
  for (size_t i = 0; i < headers.size(); ++i) {
    ColumnTypes[i] = headers[i].ColumnType;
    fHeaderHeadings[i] = TitleCasedString(headers[i].s, true);
    if (static_cast<Int32>(i) < n - 1) {
      ColumnPercentages[i] = headers[i].i;
      others += headers[i].i;
    }
  }
  // The last column takes what the others leave, but never less than nothing.
  ColumnPercentages[static_cast<size_t>(n - 1)] = std::max(0, 100 - others);
  ColumnSortAscends.resize(static_cast<size_t>(n), sort3_not_set);
  RecalculateWidths();
}

String TQMSimpleVirtualGrid::GetHeaderHeading(Int32 col) const { return At(fHeaderHeadings, col, String()); }

void TQMSimpleVirtualGrid::RecalculateWidths() {
  const Int32 cw = ClientWidth();
  for (Int32 c = 0; c < ColCount(); ++c) {
    const Int32 pct = At(ColumnPercentages, c, 0);
    const Int32 w = static_cast<Int32>(Round(static_cast<Double>(cw) * pct / 100.0)) - GridLineWidth();
    SetColWidths(c, std::max(0, w));
  }
  Invalidate();
}

void TQMSimpleVirtualGrid::Resize() {
  TCustomDrawGrid::Resize();
  RecalculateWidths();
}

void TQMSimpleVirtualGrid::SetUsefulItemHeight() {
  Canvas().Font().Assign(Font());
  const Int32 h = Canvas().TextHeight(u"gh") * 5 / 4;
  SetDefaultRowHeight(h * fLinesPerEntry);
  Invalidate();
}

void TQMSimpleVirtualGrid::SetRowCountAndLineHeight() {
  SetUsefulItemHeight();
  if (fOnGetVirtualRows) SetRowCount(fOnGetVirtualRows(this) + 1);
}

void TQMSimpleVirtualGrid::SetDataSet(Int32 n) {
  fDataSet = n;
  Invalidate();
}

bool TQMSimpleVirtualGrid::UnSortedOnColumn(Int32 col) const {
  return At(ColumnSortAscends, col, sort3_not_set) == sort3_not_set;
}

Int32 TQMSimpleVirtualGrid::ComparisonOneString(Int32 col, const String& a, const String& b) const {
  const TColumnType t = At(ColumnTypes, col, ct_string);
  if (t == ct_integer || t == ct_float) {
    String x = a, y = b;
    return SimpleVirtualGridComparisonOneString(x, y);
  }
  return Compare2Strings(a, b);
}

String TQMSimpleVirtualGrid::AllText() {
  TStringList lines;
  String heads;
  for (Int32 c = 0; c < ColCount(); ++c) {
    if (c > 0) heads += u'\t';
    heads += Emboldened(GetHeaderHeading(c));
  }
  lines.Add(AnsiUpperCase(heads));
  for (Int32 r = 0; r < RowCount() - 1; ++r) {
    String line;
    for (Int32 c = 0; c < ColCount(); ++c) {
      if (c > 0) line += u'\t';
      if (fOnGetData) line += fOnGetData(c, ColCount(), r).str;
    }
    lines.Add(line);
  }
  return lines.Text();
}

void TQMSimpleVirtualGrid::DrawSimpleCell(Int32 ACol, Int32 ARow, const TRect& ARect, TGridDrawState AState) {
  TCanvas& canvas = Canvas();
  canvas.Font().Assign(Font());
  String text;
  TMyAlignment alignment = al_left;
  if (ACol >= FixedCols() && ARow != 0) {
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor((AState & GridDrawBit(gdSelected)) ? clHighlight : clWindow);
    canvas.FillRect(ARect);
    if (fOnGetData) {
      TStringColourAndAlignment d = fOnGetData(ACol, ColCount(), ARow - 1);
      text = std::move(d.str);  // a cell's text can be long: not copied again
      alignment = d.alignment;
      canvas.Font().SetColor(static_cast<TColor>(d.colour));
    }
  } else {
    DrawAGradientOnRect(canvas, ARect);
    const T3WaySortAscDescending sort = At(ColumnSortAscends, ACol, sort3_not_set);
    if (ACol == LastHeaderColClicked && sort != sort3_not_set) {
      const TColor colour = fonGetWH_1Colour ? fonGetWH_1Colour(wh_sort_triangle) : clWindowText;
      ComputeTriangleAndDrawit(canvas, colour, ARect, sort == sort3_ascending ? t4d_up_top : t4d_down_bottom);
    }
    if (ARow == 0) {
      text = GetHeaderHeading(ACol);
      alignment = al_centre;
      canvas.Font().SetColor(clWindowText);
    }
  }
  if (text.empty()) return;
  canvas.Brush().SetStyle(bsClear);
  const Int32 dot = canvas.TextWidth(u".");
  TRect r{ARect.Left + dot, ARect.Top, ARect.Right - dot, ARect.Bottom};
  Cardinal flags = DT_EDITCONTROL | DT_NOPREFIX;
  if (fLinesPerEntry >= 2) flags |= DT_WORDBREAK;
  if (UseRightToLeftReading()) {
    flags |= DT_RTLREADING;
  } else {
    switch (alignment) {
      case al_left: flags |= DT_END_ELLIPSIS; break;
      case al_centre: flags |= DT_CENTER; break;
      case al_right: flags |= DT_RIGHT; break;
      case al_filename: flags |= DT_PATH_ELLIPSIS; break;
    }
  }
  canvas.DrawText(text, r, flags);
}

void TQMSimpleVirtualGrid::SelectSimpleCell(Int32 ACol, Int32 ARow, bool& CanSelect) {
  // The handler hears of the cell being left; the text shown is the new one's.
  if (fOnCellSelect) fOnCellSelect(this, Col(), Row(), CanSelect);
  if (fOnShowSelectedCellData && fOnGetData && ARow >= 1)
    fOnShowSelectedCellData(this, fOnGetData(ACol, ColCount(), ARow - 1).str);
}

void TQMSimpleVirtualGrid::SimpleTopLeftChanged() {
  if (LeftCol() > FixedCols()) SetLeftCol(FixedCols());
}

void TQMSimpleVirtualGrid::HeadingClicked(Int32 col) {
  if (!fOnSortTheData || col < 0 || col >= static_cast<Int32>(ColumnSortAscends.size())) return;
  LastHeaderColClicked = col;
  T3WaySortAscDescending& state = ColumnSortAscends[static_cast<size_t>(col)];
  const TColumnType type = At(ColumnTypes, col, ct_string);
  const bool numeric = type == ct_integer || type == ct_float || type == ct_date;
  state = state == sort3_ascending || (state == sort3_not_set && numeric) ? sort3_descending : sort3_ascending;
  fOnSortTheData(col, state == sort3_ascending);
  Refresh();
}

void TQMSimpleVirtualGrid::WidthsToPercentages() {
  const Int32 cw = std::max(1, ClientWidth());
  const Int32 n = ColCount();
  ColumnPercentages.resize(static_cast<size_t>(n), 0);
  Int32 others = 0;
  for (Int32 c = 0; c < n - 1; ++c) {
    const Int32 pct = static_cast<Int32>(Round(static_cast<Double>(ColWidths(c)) * 100.0 / cw));
    ColumnPercentages[static_cast<size_t>(c)] = pct;
    others += pct;
  }
  ColumnPercentages[static_cast<size_t>(n - 1)] = std::max(0, 100 - others);
  RecalculateWidths();
}

void TQMSimpleVirtualGrid::MouseUp(TMouseButton button, TShiftState shift, Int32 x, Int32 y) {
  const bool endsSizing = button == mbLeft && GridState() == gsColSizing;
  const bool wasNormal = GridState() == gsNormal || GridState() == gsSelecting;
  TCustomDrawGrid::MouseUp(button, shift, x, y);
  if (button != mbLeft) return;
  if (endsSizing) {
    if (fOnColSizing) fOnColSizing(this, x, y);
    WidthsToPercentages();
    return;
  }
  if (!wasNormal) return;
  Int32 col = -1, row = -1;
  MouseToCell(x, y, col, row);
  if (row == 0 && col >= 0) HeadingClicked(col);
}

void Simple_virtual_grid_initialization() { ++gStarted; }

void Simple_virtual_grid_Finalization() {
  if (gStarted > 0) --gStarted;
}

}  // namespace sk
