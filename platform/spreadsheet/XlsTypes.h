// Values of the workbook layer: colours, fonts, cell formats, rich strings,
// cell values, picture anchors and the limits of the .xlsx format.
//
// Rows, columns and sheets count from 1.  A format index is a position in
// the workbook's format table; -1 means "no format of its own".
#pragma once

#include <cstddef>
#include <vector>

#include "platform/runtime/RtlTypes.h"

namespace sk {

// Raised by the workbook layer: an index outside the sheet, a sheet that does
// not exist, a file that cannot be written.
class EXlsError : public Exception {
  using Exception::Exception;
};

// What one .xlsx sheet can hold.
inline constexpr Int32 xls_MaxRow = 1048576;
inline constexpr Int32 xls_MaxCol = 16384;
// Longest cell text, in UTF-16 units; longer texts are cut.
inline constexpr Int32 xls_MaxTextLength = 32767;
inline constexpr Int32 xls_MaxSheetNameLength = 31;
// Distinct cell formats one file can hold.
inline constexpr Int32 xls_MaxFormats = 64000;

// Column widths are in 1/256 of a character; a column nobody sized has this
// width (8.43 characters).
inline constexpr Int32 xls_DefaultColWidth = 2158;
// Row height of every row, in points.
inline constexpr double xls_DefaultRowHeightPoints = 15.0;

// Font style bits.
using TFlxFontStyleSet = Byte;
inline constexpr TFlxFontStyleSet flx_Bold = 1;
inline constexpr TFlxFontStyleSet flx_Italic = 2;
inline constexpr TFlxFontStyleSet flx_StrikeOut = 4;
inline constexpr TFlxFontStyleSet flx_Underline = 64;

// Horizontal alignment.
inline constexpr Byte fha_general = 0;
inline constexpr Byte fha_left = 1;
inline constexpr Byte fha_center = 2;
inline constexpr Byte fha_right = 3;
// Vertical alignment.
inline constexpr Byte fva_top = 0;
inline constexpr Byte fva_center = 1;
inline constexpr Byte fva_bottom = 2;

// Fill patterns: 0 and 1 leave the cell unfilled.
inline constexpr Byte fps_Automatic = 0;
inline constexpr Byte fps_None = 1;
inline constexpr Byte fps_Solid = 2;
inline constexpr Byte fps_Gray50 = 3;

// Border styles: 0 none, 1 thin; 2 to 13 medium, dashed, dotted, thick,
// double, hair, medium dashed, dash-dot, medium dash-dot, dash-dot-dot,
// medium dash-dot-dot and slanted dash-dot.
inline constexpr Byte fbs_None = 0;
inline constexpr Byte fbs_Thin = 1;
inline constexpr Byte fbs_Last = 13;

// The theme value that stands for the automatic colour.
inline constexpr Int32 xls_ThemeAutomatic = 256;

// A colour of a format field: automatic, an RGB value, or a theme colour.
struct TExcelColor {
  enum TKind : Byte { Automatic, Rgb, Theme };
  TKind Kind = Automatic;
  // Rgb: the platform colour value (red in the low byte, 24 bits);
  // Theme: the theme index.
  Cardinal Value = 0;

  static TExcelColor FromColor(TColor color);
  static TExcelColor FromAutomatic() { return {}; }
  // The theme value 256 gives the automatic colour.
  static TExcelColor FromTheme(Int32 theme);
  bool IsAutomatic() const { return Kind == Automatic; }
  bool operator==(const TExcelColor&) const = default;
};

struct TFlxFont {
  String Name = u"Calibri";
  Int32 Size20 = 220;  // twentieths of a point
  TExcelColor Color;
  TFlxFontStyleSet Style = 0;
  bool operator==(const TFlxFont&) const = default;
};

struct TFlxFill {
  Byte Pattern = fps_None;
  TExcelColor FgColor;
  TExcelColor BgColor;
  bool operator==(const TFlxFill&) const = default;
};

struct TFlxOneBorder {
  Byte Style = fbs_None;
  TExcelColor Color;
  bool operator==(const TFlxOneBorder&) const = default;
};

struct TFlxBorders {
  TFlxOneBorder Left, Right, Top, Bottom;
  bool operator==(const TFlxBorders&) const = default;
};

// How a cell looks: number format, font, fill, borders and alignment.
struct TFlxFormat {
  String Format = u"General";
  TFlxFont Font;
  TFlxFill FillPattern;
  TFlxBorders Borders;
  Byte HAlignment = fha_general;
  Byte VAlignment = fva_bottom;
  bool operator==(const TFlxFormat&) const = default;
};

size_t HashOf(const TFlxFont& font);
size_t HashOf(const TFlxFormat& format);

// A run of a rich string: from FirstChar (0-based UTF-16 index) to the next
// run's start, in Font.
struct TRTFRun {
  Int32 FirstChar = 0;
  TFlxFont Font;
  bool operator==(const TRTFRun&) const = default;
};

// Text with formatted runs; text before the first run shows in the cell's font.
struct TRichString {
  String Value;
  std::vector<TRTFRun> Runs;
  TRichString() = default;
  explicit TRichString(String value) : Value(std::move(value)) {}
  const String& ToString() const { return Value; }
  bool operator==(const TRichString&) const = default;
};

enum TCellValueKind : Byte { cvEmpty, cvNumber, cvString, cvBoolean, cvError, cvRichString };

// One cell's value as read back.
class TCellValue {
 public:
  TCellValue() = default;
  static TCellValue FromNumber(double v);
  static TCellValue FromString(String s);
  static TCellValue FromBoolean(bool b);
  static TCellValue FromError(String code);  // "#N/A", "#DIV/0!"...
  static TCellValue FromRichString(TRichString rs);

  TCellValueKind Kind() const { return fKind; }
  bool IsEmpty() const { return fKind == cvEmpty; }
  double AsNumber() const { return fNumber; }
  bool AsBoolean() const { return fBoolean; }
  // The value as text: a number is the shortest text that reads back to the
  // same value, with the process format settings' decimal separator;
  // booleans are "TRUE" and "FALSE"; empty cells give the empty text.
  TRichString AsString() const;

 private:
  TCellValueKind fKind = cvEmpty;
  double fNumber = 0;
  bool fBoolean = false;
  TRichString fText;
};

// The shortest text that reads back to v: plain digits for exponents from
// -6 to 20, else mantissa, "E", sign and exponent.
String XlsNumberToText(double v, Char decimalSeparator);

// Where a picture sits: from (Row1, Col1) to (Row2, Col2), each corner offset
// within its cell in 1/1024 of the column's width (Dx) and 1/256 of the row's
// height (Dy).  AnchorType: 0 and 1 move and size with the cells, 2 moves with
// them but keeps its size, 3 neither moves nor sizes.
struct TClientAnchor {
  Int32 AnchorType = 2;
  Int32 Row1 = 1, Dy1 = 0, Col1 = 1, Dx1 = 0;
  Int32 Row2 = 1, Dy2 = 0, Col2 = 1, Dx2 = 0;
};

struct TImageProperties {
  TClientAnchor Anchor;
  // Stored as the picture's description (its alternative text).
  String ShapeName;
};

// A rectangle of cells, corners included.
struct TXlsCellRange {
  Int32 Top = 1, Left = 1, Bottom = 1, Right = 1;
  bool operator==(const TXlsCellRange&) const = default;
};

// Cuts a text to xls_MaxTextLength UTF-16 units without splitting a
// surrogate pair.
String XlsCutText(const String& s);

}  // namespace sk
