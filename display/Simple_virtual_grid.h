// A small virtual grid for auxiliary lists (file lists, settings overviews):
// it holds no data; every cell's text, colour and alignment come from the
// host's fOnGetData, and the host sorts its own data when a heading click
// asks for it. Column widths are held as percentages of the client width; a
// heading click toggles a three-state sort marker; AllText copies the whole
// grid as tab-separated lines.
#pragma once

#include <functional>
#include <vector>

#include "core/Basic_types.h"
#include "core/Qm_specific_types.h"
#include "platform/visual/DrawGrid.h"

namespace sk {

using TOnGetSimpleVirtualGridDataEvent =
    std::function<TStringColourAndAlignment(Int32 ACol, Int32 AColCount, Int32 ARow)>;
using TOnSortSimpleVirtualGridDataEvent = std::function<void(Int32 ASortCol, bool ascending)>;
using TQMCustomGridXYEvent = std::function<void(TCustomDrawGrid* Sender, Int32 X, Int32 Y)>;
using TQMCustomGridColRowEvent = std::function<void(TCustomDrawGrid* Sender, Int32 ACol, Int32 AGridRow)>;
using TQMCustomGridGetRowsEvent = std::function<Int32(TCustomDrawGrid* Sender)>;
using TQMCustomGridShowSelectCellStr = std::function<void(TCustomDrawGrid* Sender, const String& str)>;
// A colour of the host's word-handling colours, by index.
using TQMGetWordHandling1ColourEvent = std::function<TColor(TWordHandling1Colour index)>;

// Three-way comparison of two texts as numbers when both are numbers (after
// taking out every "," and "%", which the two strings are left without): two
// integers compare as 64-bit integers, any other two numbers as doubles;
// otherwise as texts (Compare2Strings).
Int32 SimpleVirtualGridComparisonOneString(String& a, String& b);

class TQMSimpleVirtualGrid : public TCustomDrawGrid {
 public:
  explicit TQMSimpleVirtualGrid(TComponent* owner);

  Int32 fLinesPerEntry = 1;
  Int32 fDataSet = 0;
  TQMGetWordHandling1ColourEvent fonGetWH_1Colour;
  TQMCustomGridGetRowsEvent fOnGetVirtualRows;
  TOnGetSimpleVirtualGridDataEvent fOnGetData;
  TQMCustomGridXYEvent fOnColSizing;
  TSelectCellEvent fOnCellSelect;
  TOnSortSimpleVirtualGridDataEvent fOnSortTheData;
  TQMCustomGridShowSelectCellStr fOnShowSelectedCellData;
  std::vector<String> fHeaderHeadings;
  Int32 drag_GridRow = -1;
  Int32 drag_Gridcol = -1;
  Int32 LastHeaderColClicked = -1;
  std::vector<TColumnType> ColumnTypes;
  std::vector<T3WaySortAscDescending> ColumnSortAscends;
  std::vector<Int32> ColumnPercentages;

  void DefineHeaders(const std::vector<TStringIntegerAndColumnTypeRec>& headers);
  String GetHeaderHeading(Int32 col) const;
  void RecalculateWidths();
  void SetRowCountAndLineHeight();
  void SetUsefulItemHeight();
  void SetDataSet(Int32 n);
  bool UnSortedOnColumn(Int32 col) const;
  Int32 ComparisonOneString(Int32 col, const String& a, const String& b) const;
  // The headings (emboldened, upper-cased) and every data row, tab-separated,
  // each line ended by CR LF. Without fOnGetData the data cells are empty.
  String AllText();

 protected:
  void Resize() override;
  void MouseUp(TMouseButton button, TShiftState shift, Int32 x, Int32 y) override;

 private:
  void DrawSimpleCell(Int32 ACol, Int32 ARow, const TRect& ARect, TGridDrawState AState);
  void SelectSimpleCell(Int32 ACol, Int32 ARow, bool& CanSelect);
  void SimpleTopLeftChanged();
  void HeadingClicked(Int32 col);
  void WidthsToPercentages();
};

// Unit start and stop (the unit has no work of its own).
void Simple_virtual_grid_initialization();
void Simple_virtual_grid_Finalization();

}  // namespace sk
