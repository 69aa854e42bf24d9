// Whole exports to spreadsheet files and the reading of spreadsheets as text:
// a title block, one sheet per list or a grid filled through callbacks, typed
// cells, column formats and widths, bold marking and the program's icon.
#pragma once

#include <functional>
#include <vector>

#include "core/Qm_specific_types.h"
#include "platform/runtime/StringList.h"
#include "services/Excel_utils2.h"

namespace sk {

// How grid column colIndex (from 0) is shown.
using TExcelGetColumnFormat = std::function<TExcelShowRec(Int32 colIndex)>;
// The cell of grid row rowIndex and column colIndex (both from 0).
using TExcelGetCellData = std::function<TExcelDataRec(Int32 rowIndex, Int32 colIndex)>;
// Taken by TextFromExcel for its callers; never called.
using TExcelTextProgress = std::function<bool(Int32 value)>;

// Writes one sheet per list into outputFile, after a title block of title,
// secondText and thirdText on the first sheet.  Sheet i is named sheetNames[i]
// when that is there and not empty, else by its number.  Each non-empty line
// takes a row from row 6 on; the line is cut at every separator and each piece
// (the last one after the last separator included) takes a column from column
// 3 on: as an integer when it is decimal digits, as a number when it reads as
// one, else as text, and in bold without its marks when it is enclosed in
// "<B>" and "</B>".  The program's icon goes in when iconFile exists.
// Raises EXlsError when the lists do not fit a sheet or the file cannot be
// written (an existing file is then left as it was).
void SaveAStringlistToExcel(const String& outputFile, const String& title, const String& secondText,
                            const String& thirdText, const String& iconFile, const TStrings* sheetNames,
                            const std::vector<const TStrings*>& lists, Char separator);

// Writes a grid of rowCount rows and colCount columns into one sheet of
// outputFile.  Each shown column takes a spreadsheet column from column 3 on,
// formatted by its kind; grid row r goes to row r + 5, each cell under its own
// column (a hidden column's cells are left out, a hidden cell leaves its cell
// empty).  The title block holds title, the sheet name and note.  Raises as
// SaveAStringlistToExcel does.
void SaveDataToExcel(const String& outputFile, const String& sheetName, const String& title, const String& note,
                     const String& iconFile, const TExcelGetColumnFormat& getColumnFormat,
                     const TExcelGetCellData& getCellData, Int32 rowCount, Int32 colCount);

// The text of every sheet of an .xlsx file, first to last: each line of a
// sheet (its cells joined by tabs) that is not empty once trimmed, followed
// by CR LF.  Empty for a missing, unreadable or damaged file.
String TextFromExcel(const String& fileName, const TExcelTextProgress& callback = nullptr);

// Unit start and stop (the unit has no work of its own).
void Excel_utils_initialization();
void Excel_utils_Finalization();

}  // namespace sk
