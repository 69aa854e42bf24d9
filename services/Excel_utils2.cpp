#include "services/Excel_utils2.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/UnitCounter.h"
#include "platform/runtime/Colors.h"
#include "platform/runtime/Format.h"
#include "platform/runtime/FormatSettings.h"
#include "platform/runtime/RtlMath.h"

namespace sk {

namespace {

// Integers a spreadsheet number holds exactly.
constexpr Int64 kExactIntegerLimit = Int64{1} << 53;

TExcelColor ExcelColour(TColor colour) { return TExcelColor::FromColor(ColorToRGB(colour)); }

// Gives the cell the format it shows, changed by change.
template <class F>
void ChangeCellFormat(TXlsWorkbook* xls, Int32 row, Int32 col, F change) {
  if (xls == nullptr) return;
  TFlxFormat f = xls->GetCellVisibleFormatDef(row, col);
  change(f);
  xls->SetCellFormat(row, col, xls->AddFormat(f));
}

// Gives the column its format, changed by change.
template <class F>
void ChangeColFormat(TXlsWorkbook* xls, Int32 col, F change) {
  if (xls == nullptr) return;
  const Int32 xf = xls->GetColFormat(col);
  TFlxFormat f = xls->GetFormat(xf >= 0 ? xf : 0);
  change(f);
  xls->SetColFormat(col, xls->AddFormat(f));
}

bool ValidFormat(const TXlsWorkbook* xls, Int32 format) { return format >= 0 && format < xls->FormatCount(); }

String Decimals(Int32 decimals) { return decimals > 0 ? u"." + String(static_cast<size_t>(decimals), u'0') : String(); }

// Decimal digits with an optional sign; "$" hexadecimal and blanks are not.
bool IsDecimalInteger(const String& s, Int64& value) {
  size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) negative = s[i++] == u'-';
  if (i == s.size()) return false;
  Int64 v = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < u'0' || s[i] > u'9') return false;
    // Past 2^53 the digits can only make a number the sheet cannot hold.
    if (v > kExactIntegerLimit) continue;
    v = v * 10 + (s[i] - u'0');
  }
  value = negative ? -v : v;
  return true;
}

}  // namespace

// ---- mappings --------------------------------------------------------------------

TFlxFontStyleSet FontStyleSetToTFlxFontStyleSet(TFontStyles styles) {
  TFlxFontStyleSet r = 0;
  if (styles & (1u << fsBold)) r |= flx_Bold;
  if (styles & (1u << fsItalic)) r |= flx_Italic;
  if (styles & (1u << fsStrikeOut)) r |= flx_StrikeOut;
  if (styles & (1u << fsUnderline)) r |= flx_Underline;
  return r;
}

Byte MyExcelFillStyleToFlxPatternStyle(TMyExcelFillStyle style) {
  switch (style) {
    case myex_solid: return fps_Solid;
    case myex_automatic: return fps_Automatic;
    case myEx_grey50: return fps_Gray50;
    default: return fps_None;
  }
}

Int32 DrawgridDataTypesToExcelFormat(TExcelDataTypes kind) {
  switch (kind) {
    case ex_integer: return 1;
    case ex_single: return 2;
    case ex_percent: return 9;
    default: return 0;
  }
}

// ---- a cell's look ---------------------------------------------------------------

void SetACellFontSize(TXlsWorkbook* xls, Int32 row, Int32 col, Int32 points) {
  ChangeCellFormat(xls, row, col, [&](TFlxFormat& f) { f.Font.Size20 = points * 20; });
}

void SetACellFontStyle(TXlsWorkbook* xls, Int32 row, Int32 col, TFontStyles styles) {
  ChangeCellFormat(xls, row, col, [&](TFlxFormat& f) { f.Font.Style = FontStyleSetToTFlxFontStyleSet(styles); });
}

void SetACellFontColour(TXlsWorkbook* xls, Int32 row, Int32 col, TColor colour) {
  if (colour == clNone) return;
  ChangeCellFormat(xls, row, col, [&](TFlxFormat& f) { f.Font.Color = ExcelColour(colour); });
}

void SetACellBackgroundColour(TXlsWorkbook* xls, Int32 row, Int32 col, TColor colour) {
  if (colour == clNone) return;
  ChangeCellFormat(xls, row, col, [&](TFlxFormat& f) {
    f.FillPattern.Pattern = fps_Solid;
    f.FillPattern.FgColor = ExcelColour(colour);
    f.FillPattern.BgColor = TExcelColor::FromAutomatic();
  });
}

void SetACellToHAndVAlignment(TXlsWorkbook* xls, Int32 row, Int32 col, Byte horizontal, Byte vertical) {
  ChangeCellFormat(xls, row, col, [&](TFlxFormat& f) {
    f.HAlignment = horizontal;
    f.VAlignment = vertical;
  });
}

void SetACellToMyHAndVAlignment(TXlsWorkbook* xls, Int32 row, Int32 col, TQMAlignment alignment, Byte vertical) {
  Byte horizontal;
  switch (alignment) {
    case aligned_centre: horizontal = fha_center; break;
    case aligned_default: horizontal = fha_left; break;
    case aligned_right: horizontal = fha_right; break;
    default: return;
  }
  SetACellToHAndVAlignment(xls, row, col, horizontal, vertical);
}

void ApplyStyleToCell(TXlsWorkbook* xls, const String& styleName, Int32 row, Int32 col) {
  if (xls == nullptr) return;
  TFlxFormat f;
  if (!xls->GetStyle(styleName, f)) return;
  xls->SetCellFormat(row, col, xls->AddFormat(f));
}

// ---- column formats --------------------------------------------------------------

void SetAColumnToStringFormat(TXlsWorkbook* xls, Int32 col, Byte horizontal) {
  ChangeColFormat(xls, col, [&](TFlxFormat& f) {
    f.Format = u"@";
    f.HAlignment = horizontal;
    f.VAlignment = fva_center;
  });
}

void SetAColumnToNumberFormat(TXlsWorkbook* xls, Int32 col, Int32 decimals) {
  ChangeColFormat(xls, col, [&](TFlxFormat& f) { f.Format = u"#,##0" + Decimals(decimals); });
}

void SetAColumnToPercentageFormat(TXlsWorkbook* xls, Int32 col, Int32 decimals) {
  ChangeColFormat(xls, col, [&](TFlxFormat& f) { f.Format = u"0" + Decimals(decimals) + u"%"; });
}

void FormatAColDefinedFormatNum(TXlsWorkbook* xls, Int32 format, Int32 col) {
  if (xls != nullptr && ValidFormat(xls, format)) xls->SetColFormat(col, format);
}

void FormatColsDefinedFormatNum(TXlsWorkbook* xls, Int32 format, Int32 firstCol, Int32 lastCol) {
  if (xls != nullptr && ValidFormat(xls, format)) xls->SetColsFormat(firstCol, lastCol, format);
}

void FormatARowDefinedFormatNum(TXlsWorkbook* xls, Int32 format, Int32 row) {
  if (xls != nullptr && ValidFormat(xls, format)) xls->SetRowFormat(row, format);
}

void FormatACellDefinedFormatNum(TXlsWorkbook* xls, Int32 format, Int32 row, Int32 col) {
  if (xls != nullptr && ValidFormat(xls, format)) xls->SetCellFormat(row, col, format);
}

Int32 DefinedFormatNum0Based(TXlsWorkbook* xls, const String& fontName, const String& numberFormat, Byte horizontal,
                             Byte vertical, TColor fontColour, TColor fillColour, TColor fillBackgroundColour,
                             Int32 fontSize20, TFontStyles styles, TMyExcelFillStyle fillStyle) {
  if (xls == nullptr) return -1;
  TFlxFormat f = xls->GetDefaultFormat();
  if (!fontName.empty()) f.Font.Name = fontName;
  if (fontColour != clNone) f.Font.Color = ExcelColour(fontColour);
  if (fontSize20 != -1) f.Font.Size20 = fontSize20;
  if (styles != 0) f.Font.Style = FontStyleSetToTFlxFontStyleSet(styles);
  if (fillStyle != myex_none) f.FillPattern.Pattern = MyExcelFillStyleToFlxPatternStyle(fillStyle);
  if (fillColour != clNone) f.FillPattern.FgColor = ExcelColour(fillColour);
  if (fillBackgroundColour != clNone) f.FillPattern.BgColor = ExcelColour(fillBackgroundColour);
  if (!numberFormat.empty()) f.Format = numberFormat;
  f.HAlignment = horizontal;
  f.VAlignment = vertical;
  const TFlxOneBorder thin{fbs_Thin, TExcelColor::FromTheme(xls_ThemeAutomatic)};
  f.Borders = TFlxBorders{thin, thin, thin, thin};
  return xls->AddFormat(f);
}

// ---- sheets, widths and merges ---------------------------------------------------

Int32 AddASheet(TXlsWorkbook* xls) { return xls == nullptr ? -1 : xls->AddSheet(); }

void SetActiveAndSheetname(TXlsWorkbook* xls, Int32 sheet, const String& name) {
  if (xls == nullptr) return;
  if (sheet >= 1 && sheet <= xls->SheetCount()) xls->SetActiveSheet(sheet);
  xls->SetSheetName(name);
}

void IncrementSheet(TColRowAndSheet& position) {
  position.Colnum = -1;
  position.RowNum = 0;
  if (position.Sheetnum < 30) ++position.Sheetnum;
}

TColRowAndSheet ComputedExcelColAndsheet(const TColRowAndSheet& position) { return position; }

Int32 GetAColumnWidthInChars(TXlsWorkbook* xls, Int32 col) { return xls == nullptr ? 0 : xls->GetColWidth(col) / 256; }

void SetAColumnWidthInChars(TXlsWorkbook* xls, Int32 col, Int32 chars) {
  if (xls == nullptr) return;
  // The workbook keeps widths from 0 to 255 characters.
  xls->SetColWidth(col, std::clamp(chars, 0, 255) * 256);
}

void EnsureAColumnWidthInChars(TXlsWorkbook* xls, Int32 col, Int32 wanted, Int32 minimum) {
  if (xls == nullptr) return;
  const Int32 target = std::clamp(minimum >= 1 ? minimum : wanted, 0, 255);
  if (xls->GetColWidth(col) < target * 256) xls->SetColWidth(col, target * 256);
}

Int32 AColumnWidthInChars(Single pixels, Int32 charWidth) {
  if (charWidth == 0) return 0;
  const Double chars = static_cast<Double>(pixels) / charWidth * 20;
  // Far outside the integers the answer is meaningless: keep it in range.
  if (!(chars > -2147483648.0 && chars < 2147483647.0)) return 0;
  return static_cast<Int32>(Round(chars));
}

void MergeCells(TXlsWorkbook* xls, Int32 firstRow, Int32 firstCol, Int32 lastRow, Int32 lastCol, Int32 format) {
  if (xls == nullptr) return;
  xls->MergeCells(firstRow, firstCol, lastRow, lastCol);
  if (ValidFormat(xls, format)) xls->SetCellFormat(firstRow, firstCol, lastRow, lastCol, format);
}

// ---- values ----------------------------------------------------------------------

void SetACellString(TXlsWorkbook* xls, Int32 row, Int32 col, const String& text) {
  if (xls != nullptr) xls->SetCellFromString(row, col, text);
}

void SetACellHTMLString(TXlsWorkbook* xls, Int32 row, Int32 col, const String& html) {
  if (xls != nullptr) xls->SetCellFromHtml(row, col, html);
}

void SetACellInt(TXlsWorkbook* xls, Int32 row, Int32 col, Int64 value) {
  if (xls != nullptr) xls->SetCellValue(row, col, value, -1);
}

void SetACellDouble(TXlsWorkbook* xls, Int32 row, Int32 col, Double value) {
  if (xls != nullptr) xls->SetCellValue(row, col, value, -1);
}

void SetACellRichString(TXlsWorkbook* xls, Int32 row, Int32 col, const TRichString& value) {
  if (xls != nullptr) xls->SetCellValue(row, col, value, -1);
}

void SetACellStringWithFormat(TXlsWorkbook* xls, Int32 row, Int32 col, const String& text, Int32 format) {
  FormatACellDefinedFormatNum(xls, format, row, col);
  SetACellString(xls, row, col, text);
}

void SetACellHTMLStringWithFormat(TXlsWorkbook* xls, Int32 row, Int32 col, const String& html, Int32 format) {
  FormatACellDefinedFormatNum(xls, format, row, col);
  SetACellHTMLString(xls, row, col, html);
}

void SetACellIntWithFormat(TXlsWorkbook* xls, Int32 row, Int32 col, Int64 value, Int32 format) {
  FormatACellDefinedFormatNum(xls, format, row, col);
  SetACellInt(xls, row, col, value);
}

void SetACellDoubleWithFormat(TXlsWorkbook* xls, Int32 row, Int32 col, Double value, Int32 format) {
  FormatACellDefinedFormatNum(xls, format, row, col);
  SetACellDouble(xls, row, col, value);
}

void SetACellStringHeader(TXlsWorkbook* xls, Int32 row, Int32 col, const String& text, Int32 width, Int32 fontSize,
                          TFontStyles styles) {
  SetACellFontSize(xls, row, col, fontSize);
  SetACellFontStyle(xls, row, col, styles);
  SetAColumnWidthInChars(xls, col, width);
  SetACellString(xls, row, col, text);
}

String GetACellString(TXlsWorkbook* xls, Int32 row, Int32 col) {
  if (xls == nullptr) return {};
  const TCellValue v = xls->GetCellValue(row, col);
  return v.IsEmpty() ? String() : v.AsString().Value;
}

void OutputDataToExcelDetectingFormat(TXlsWorkbook* xls, Int32 row, Int32 col, const TExcelDataRec& rec) {
  if (xls == nullptr) return;
  Int64 i;
  if (IsDecimalInteger(rec.s, i)) {
    if (i >= -kExactIntegerLimit && i <= kExactIntegerLimit) {
      xls->SetCellValue(row, col, i, -1);
    } else {
      xls->SetCellValue(row, col, rec.s, -1);
    }
    return;
  }
  Double d;
  if (TryStrToFloat(rec.s, d, FormatSettings) && std::isfinite(d)) {
    xls->SetCellValue(row, col, d, -1);
    return;
  }
  xls->SetCellValue(row, col, rec.s, -1);
}

SK_COUNTER_ONLY_UNIT(Excel_utils2)

}  // namespace sk
