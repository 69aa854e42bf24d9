// Cell, column and format routines over a workbook: font size, style and
// colour of a cell, fills, alignments, number formats of columns, widths in
// characters, merges, typed values and the reading of a cell's text.
//
// Every routine works on the workbook's active sheet; rows and columns count
// from 1.  A format index is an index of the workbook's format table.
// Colours are platform colour values: system colours are resolved to their
// RGB value, and clNone leaves the colour as it is.
#pragma once

#include "core/Basic_types.h"
#include "core/Qm_specific_types.h"
#include "platform/spreadsheet/XlsWorkbook.h"

namespace sk {

// ---- mappings --------------------------------------------------------------------

// Bold, italic, strike-out and underline to the workbook's style bits (1, 2,
// 4 and 64).
TFlxFontStyleSet FontStyleSetToTFlxFontStyleSet(TFontStyles styles);
// myex_solid 2, myex_automatic 0, myEx_grey50 3, anything else 1 (no fill).
Byte MyExcelFillStyleToFlxPatternStyle(TMyExcelFillStyle style);
// The built-in number format of a kind of grid data: ex_string 0 (General),
// ex_integer 1 ("0"), ex_single 2 ("0.00"), ex_percent 9 ("0%").
Int32 DrawgridDataTypesToExcelFormat(TExcelDataTypes kind);

// ---- a cell's look ---------------------------------------------------------------
// Each takes the format the cell shows, changes one thing, adds the result to
// the format table and gives it to the cell.

void SetACellFontSize(TXlsWorkbook* xls, Int32 row, Int32 col, Int32 points);
void SetACellFontStyle(TXlsWorkbook* xls, Int32 row, Int32 col, TFontStyles styles);
void SetACellFontColour(TXlsWorkbook* xls, Int32 row, Int32 col, TColor colour);
// A solid fill in the colour, over an automatic background colour.
void SetACellBackgroundColour(TXlsWorkbook* xls, Int32 row, Int32 col, TColor colour);
// Horizontal: 0 general, 1 left, 2 centre, 3 right; vertical: 0 top, 1 centre,
// 2 bottom.
void SetACellToHAndVAlignment(TXlsWorkbook* xls, Int32 row, Int32 col, Byte horizontal, Byte vertical);
// aligned_centre, aligned_default and aligned_right give centre, left and
// right; any other alignment changes nothing.
void SetACellToMyHAndVAlignment(TXlsWorkbook* xls, Int32 row, Int32 col, TQMAlignment alignment, Byte vertical);
// The named cell style's format (see TXlsWorkbook::GetStyle); nothing for a
// nil workbook or a style the workbook does not know.
void ApplyStyleToCell(TXlsWorkbook* xls, const String& styleName, Int32 row, Int32 col);

// ---- column formats --------------------------------------------------------------

// The column's format as text ("@"), with that horizontal alignment and
// centred vertically.
void SetAColumnToStringFormat(TXlsWorkbook* xls, Int32 col, Byte horizontal);
// "#,##0", with "." and one "0" per decimal when decimals is above 0.
void SetAColumnToNumberFormat(TXlsWorkbook* xls, Int32 col, Int32 decimals);
// "0", with "." and one "0" per decimal when decimals is above 0, then "%".
void SetAColumnToPercentageFormat(TXlsWorkbook* xls, Int32 col, Int32 decimals);

// Apply an existing format index, only when 0 <= format < the format count.
void FormatAColDefinedFormatNum(TXlsWorkbook* xls, Int32 format, Int32 col);
void FormatColsDefinedFormatNum(TXlsWorkbook* xls, Int32 format, Int32 firstCol, Int32 lastCol);
void FormatARowDefinedFormatNum(TXlsWorkbook* xls, Int32 format, Int32 row);
void FormatACellDefinedFormatNum(TXlsWorkbook* xls, Int32 format, Int32 row, Int32 col);

// A new format from the workbook's default: a non-empty font name, a font
// colour other than clNone, a size (twentieths of a point) other than -1, a
// non-empty style set, a fill style other than myex_none, fill colours other
// than clNone and a non-empty number format replace the default's; both
// alignments are set and all four borders are thin in the automatic colour.
// Gives the format's index.
Int32 DefinedFormatNum0Based(TXlsWorkbook* xls, const String& fontName, const String& numberFormat, Byte horizontal,
                             Byte vertical, TColor fontColour, TColor fillColour, TColor fillBackgroundColour,
                             Int32 fontSize20, TFontStyles styles, TMyExcelFillStyle fillStyle);

// ---- sheets, widths and merges ---------------------------------------------------

// Adds a sheet and gives the sheet count; -1 for a nil workbook.
Int32 AddASheet(TXlsWorkbook* xls);
// Makes the sheet active when it is one of the workbook's, then names the
// active sheet.
void SetActiveAndSheetname(TXlsWorkbook* xls, Int32 sheet, const String& name);
// The next sheet: Colnum -1, RowNum 0, Sheetnum one more unless already 30
// or more.
void IncrementSheet(TColRowAndSheet& position);
// The position as it is.
TColRowAndSheet ComputedExcelColAndsheet(const TColRowAndSheet& position);

// Widths in whole characters (the stored width is in 1/256 of one).
Int32 GetAColumnWidthInChars(TXlsWorkbook* xls, Int32 col);
void SetAColumnWidthInChars(TXlsWorkbook* xls, Int32 col, Int32 chars);
// Widens the column to the minimum when that is at least 1, else to wanted,
// only when it is narrower now.
void EnsureAColumnWidthInChars(TXlsWorkbook* xls, Int32 col, Int32 wanted, Int32 minimum);
// Pixels divided by the character width, times 20, rounded; 0 for a
// character width of 0.
Int32 AColumnWidthInChars(Single pixels, Int32 charWidth);

// Merges the range; a format index of 0 or more is given to every cell of it.
void MergeCells(TXlsWorkbook* xls, Int32 firstRow, Int32 firstCol, Int32 lastRow, Int32 lastCol, Int32 format);

// ---- values ----------------------------------------------------------------------

void SetACellString(TXlsWorkbook* xls, Int32 row, Int32 col, const String& text);
void SetACellHTMLString(TXlsWorkbook* xls, Int32 row, Int32 col, const String& html);
void SetACellInt(TXlsWorkbook* xls, Int32 row, Int32 col, Int64 value);
void SetACellDouble(TXlsWorkbook* xls, Int32 row, Int32 col, Double value);
void SetACellRichString(TXlsWorkbook* xls, Int32 row, Int32 col, const TRichString& value);
// The format (when 0 <= format < the format count), then the value.
void SetACellStringWithFormat(TXlsWorkbook* xls, Int32 row, Int32 col, const String& text, Int32 format);
void SetACellHTMLStringWithFormat(TXlsWorkbook* xls, Int32 row, Int32 col, const String& html, Int32 format);
void SetACellIntWithFormat(TXlsWorkbook* xls, Int32 row, Int32 col, Int64 value, Int32 format);
void SetACellDoubleWithFormat(TXlsWorkbook* xls, Int32 row, Int32 col, Double value, Int32 format);
// Font size and style, the column's width in characters, then the text.
void SetACellStringHeader(TXlsWorkbook* xls, Int32 row, Int32 col, const String& text, Int32 width, Int32 fontSize,
                          TFontStyles styles);
// The cell's value as text; empty for an empty cell.
String GetACellString(TXlsWorkbook* xls, Int32 row, Int32 col);

// Stores rec.s as an integer when it is decimal digits with an optional sign
// (leading zeros allowed) within +-2^53, else as a double when it is a number
// in the process's format settings, else as text.
void OutputDataToExcelDetectingFormat(TXlsWorkbook* xls, Int32 row, Int32 col, const TExcelDataRec& rec);

// Unit start and stop (the unit has no work of its own).
void Excel_utils2_initialization();
void Excel_utils2_Finalization();

}  // namespace sk
