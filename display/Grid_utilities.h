// Grid cell text: a cell record turned into the text the grid paints or
// exports, and the grid options of each list kind.
#pragma once

#include "core/Basic_types.h"
#include "core/Qm_specific_types.h"
#include "platform/runtime/RtlTypes.h"

namespace sk {

// Option bits of a draw grid, by their ordinals: fixed vertical lines 0,
// fixed horizontal lines 1, vertical lines 2, horizontal lines 3, range
// selection 4, row sizing 6, column sizing 7.
using TGridOptionsBits = Cardinal;

// The text of a cell: the tokens (tag, then word) joined by blanks, the
// number with the heading's decimals, the date ("??" for none); '' for plots.
String GridDataValueAsString(const TGrid_data_rec& rec, TTimeLineDisplayBasis basis);
// Prepares a cell record in place for painting: heading-row alignments of
// plots and concordances centred, text converted to the column's case in
// data rows, numbers and dates written into the first token (one is added
// when there is none).
void ReFormatIt(TGrid_data_rec& rec, TTimeLineDisplayBasis basis, Int32 column, Int32 row, Int32 firstDataRow,
                bool flag);
// 159 for every kind; 223 (row sizing too) for concordances, aligners and
// plain texts.
TGridOptionsBits GridOptionsForListType(TQuillmarkList kind);

// Unit start and stop (the unit has no work of its own).
void Grid_utilities_initialization();
void Grid_utilities_Finalization();

}  // namespace sk
