#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "TestSupport.h"
#include "platform/runtime/Colors.h"
#include "platform/runtime/FormatSettings.h"
#include "services/Excel_utils2.h"

namespace sk {

namespace {

TFontStyles Styles(std::initializer_list<TFontStyle> list) {
  TFontStyles s = 0;
  for (TFontStyle f : list) s |= static_cast<TFontStyles>(1u << f);
  return s;
}

class ScopedSysColor {
 public:
  ScopedSysColor(Int32 index, TColor rgb) : fIndex(index), fSaved(GetSysColor(index)) { SetSysColor(index, rgb); }
  ~ScopedSysColor() { SetSysColor(fIndex, fSaved); }

 private:
  Int32 fIndex;
  TColor fSaved;
};

class ScopedDecimalSeparator {
 public:
  explicit ScopedDecimalSeparator(Char c) : fSaved(FormatSettings.DecimalSeparator) { FormatSettings.DecimalSeparator = c; }
  ~ScopedDecimalSeparator() { FormatSettings.DecimalSeparator = fSaved; }

 private:
  Char fSaved;
};

}  // namespace

TEST(Excel_utils2, Mappings) {
  struct StyleCase {
    TFontStyles in;
    TFlxFontStyleSet out;
  };
  const StyleCase styles[] = {
      {0, 0},
      {Styles({fsBold}), 1},
      {Styles({fsItalic}), 2},
      {Styles({fsStrikeOut}), 4},
      {Styles({fsUnderline}), 64},
      {Styles({fsBold, fsItalic, fsUnderline, fsStrikeOut}), 71},
  };
  for (const StyleCase& c : styles) EXPECT_EQ(FontStyleSetToTFlxFontStyleSet(c.in), c.out) << int(c.in);

  EXPECT_EQ(MyExcelFillStyleToFlxPatternStyle(myex_solid), 2);
  EXPECT_EQ(MyExcelFillStyleToFlxPatternStyle(myex_automatic), 0);
  EXPECT_EQ(MyExcelFillStyleToFlxPatternStyle(myEx_grey50), 3);
  EXPECT_EQ(MyExcelFillStyleToFlxPatternStyle(myex_none), 1);
  EXPECT_EQ(MyExcelFillStyleToFlxPatternStyle(static_cast<TMyExcelFillStyle>(200)), 1);

  EXPECT_EQ(DrawgridDataTypesToExcelFormat(ex_string), 0);
  EXPECT_EQ(DrawgridDataTypesToExcelFormat(ex_integer), 1);
  EXPECT_EQ(DrawgridDataTypesToExcelFormat(ex_single), 2);
  EXPECT_EQ(DrawgridDataTypesToExcelFormat(ex_percent), 9);
}

TEST(Excel_utils2, ColumnNumberFormats) {
  TXlsWorkbook wb;
  struct Case {
    void (*set)(TXlsWorkbook*, Int32, Int32);
    Int32 decimals;
    const char16_t* format;
  };
  const Case cases[] = {
      {SetAColumnToNumberFormat, 2, u"#,##0.00"},  {SetAColumnToNumberFormat, 0, u"#,##0"},
      {SetAColumnToNumberFormat, -3, u"#,##0"},    {SetAColumnToNumberFormat, 3, u"#,##0.000"},
      {SetAColumnToPercentageFormat, 2, u"0.00%"}, {SetAColumnToPercentageFormat, 0, u"0%"},
  };
  Int32 col = 1;
  for (const Case& c : cases) {
    c.set(&wb, col, c.decimals);
    EXPECT_EQ(wb.GetFormat(wb.GetColFormat(col)).Format, c.format) << col;
    ++col;
  }
  // The text format keeps what the column had and sets its alignment.
  SetAColumnToNumberFormat(&wb, 20, 2);
  SetAColumnToStringFormat(&wb, 20, fha_right);
  const TFlxFormat f = wb.GetFormat(wb.GetColFormat(20));
  EXPECT_EQ(f.Format, u"@");
  EXPECT_EQ(f.HAlignment, fha_right);
  EXPECT_EQ(f.VAlignment, fva_center);
  // Cells of the column show its format.
  wb.SetCellValue(7, 20, u"x");
  EXPECT_EQ(wb.GetCellVisibleFormatDef(7, 20).Format, u"@");
}

TEST(Excel_utils2, CellLook) {
  TXlsWorkbook wb;
  SetACellFontSize(&wb, 2, 3, 12);
  SetACellFontStyle(&wb, 2, 3, Styles({fsBold, fsItalic}));
  SetACellFontColour(&wb, 2, 3, clRed);
  SetACellBackgroundColour(&wb, 2, 3, clYellow);
  SetACellToHAndVAlignment(&wb, 2, 3, fha_right, fva_top);
  TFlxFormat f = wb.GetCellVisibleFormatDef(2, 3);
  EXPECT_EQ(f.Font.Size20, 240);
  EXPECT_EQ(f.Font.Style, flx_Bold | flx_Italic);
  EXPECT_EQ(f.Font.Color, TExcelColor::FromColor(clRed));
  EXPECT_EQ(f.FillPattern.Pattern, fps_Solid);
  EXPECT_EQ(f.FillPattern.FgColor, TExcelColor::FromColor(clYellow));
  EXPECT_TRUE(f.FillPattern.BgColor.IsAutomatic());
  EXPECT_EQ(f.HAlignment, fha_right);
  EXPECT_EQ(f.VAlignment, fva_top);
  // clNone leaves the colours as they are.
  SetACellFontColour(&wb, 2, 3, clNone);
  SetACellBackgroundColour(&wb, 2, 3, clNone);
  EXPECT_EQ(wb.GetCellVisibleFormatDef(2, 3), f);
  // System colours go in as their RGB value.
  {
    ScopedSysColor text(clWindowText & 0xFF, 0x123456);
    SetACellFontColour(&wb, 2, 3, clWindowText);
    EXPECT_EQ(wb.GetCellVisibleFormatDef(2, 3).Font.Color, TExcelColor::FromColor(0x123456));
  }
  // A style set of none clears the style; the size stays.
  SetACellFontStyle(&wb, 2, 3, 0);
  EXPECT_EQ(wb.GetCellVisibleFormatDef(2, 3).Font.Style, 0);
  EXPECT_EQ(wb.GetCellVisibleFormatDef(2, 3).Font.Size20, 240);
}

TEST(Excel_utils2, MyAlignments) {
  TXlsWorkbook wb;
  struct Case {
    TQMAlignment a;
    Byte h;
  };
  const Case cases[] = {{aligned_centre, 2}, {aligned_default, 1}, {aligned_right, 3}};
  for (const Case& c : cases) {
    SetACellToMyHAndVAlignment(&wb, 1, 1, c.a, fva_bottom);
    EXPECT_EQ(wb.GetCellVisibleFormatDef(1, 1).HAlignment, c.h);
  }
  // Any other alignment changes nothing, the vertical one included.
  const Int32 before = wb.GetCellFormat(1, 1);
  for (Int32 a = 0; a < TQMAlignment_Count; ++a) {
    const auto al = static_cast<TQMAlignment>(a);
    if (al == aligned_centre || al == aligned_default || al == aligned_right) continue;
    SetACellToMyHAndVAlignment(&wb, 1, 1, al, fva_top);
    EXPECT_EQ(wb.GetCellFormat(1, 1), before) << a;
  }
}

TEST(Excel_utils2, StylesAndDefinedFormats) {
  TXlsWorkbook wb;
  ApplyStyleToCell(nullptr, u"Good", 1, 1);  // nothing for a nil workbook
  ApplyStyleToCell(&wb, u"Good", 1, 1);
  EXPECT_EQ(wb.GetCellVisibleFormatDef(1, 1).FillPattern.Pattern, fps_Solid);
  ApplyStyleToCell(&wb, u"Nonesuch", 1, 2);
  EXPECT_EQ(wb.GetCellFormat(1, 2), -1);

  const Int32 count = wb.FormatCount();
  for (Int32 bad : {-1, count, count + 5}) {
    FormatAColDefinedFormatNum(&wb, bad, 4);
    FormatColsDefinedFormatNum(&wb, bad, 4, 6);
    FormatARowDefinedFormatNum(&wb, bad, 4);
    FormatACellDefinedFormatNum(&wb, bad, 4, 4);
    SetACellIntWithFormat(&wb, 5, 5, 9, bad);
  }
  EXPECT_EQ(wb.GetColFormat(4), -1);
  EXPECT_EQ(wb.GetRowFormat(4), -1);
  EXPECT_EQ(wb.GetCellFormat(4, 4), -1);
  EXPECT_EQ(wb.GetCellFormat(5, 5), -1);
  EXPECT_EQ(GetACellString(&wb, 5, 5), u"9");

  const Int32 xf = DefinedFormatNum0Based(&wb, u"Arial", u"0.0", fha_center, fva_center, clBlue, clLime, clNone, 300,
                                          Styles({fsUnderline}), myex_solid);
  const TFlxFormat f = wb.GetFormat(xf);
  EXPECT_EQ(f.Font.Name, u"Arial");
  EXPECT_EQ(f.Format, u"0.0");
  EXPECT_EQ(f.Font.Color, TExcelColor::FromColor(clBlue));
  EXPECT_EQ(f.Font.Size20, 300);
  EXPECT_EQ(f.Font.Style, flx_Underline);
  EXPECT_EQ(f.FillPattern.Pattern, fps_Solid);
  EXPECT_EQ(f.FillPattern.FgColor, TExcelColor::FromColor(clLime));
  EXPECT_TRUE(f.FillPattern.BgColor.IsAutomatic());
  EXPECT_EQ(f.HAlignment, fha_center);
  for (const TFlxOneBorder* b : {&f.Borders.Left, &f.Borders.Right, &f.Borders.Top, &f.Borders.Bottom}) {
    EXPECT_EQ(b->Style, fbs_Thin);
    EXPECT_TRUE(b->Color.IsAutomatic());
  }
  // Nothing given: the default format with the alignments and borders only.
  const TFlxFormat g = wb.GetFormat(
      DefinedFormatNum0Based(&wb, u"", u"", fha_left, fva_bottom, clNone, clNone, clNone, -1, 0, myex_none));
  EXPECT_EQ(g.Font, TFlxFont());
  EXPECT_EQ(g.Format, u"General");
  EXPECT_EQ(g.FillPattern, TFlxFill());
  // The same request gives the same index.
  EXPECT_EQ(DefinedFormatNum0Based(&wb, u"Arial", u"0.0", fha_center, fva_center, clBlue, clLime, clNone, 300,
                                   Styles({fsUnderline}), myex_solid),
            xf);
  FormatColsDefinedFormatNum(&wb, xf, 8, 7);
  EXPECT_EQ(wb.GetColFormat(7), xf);
  EXPECT_EQ(DefinedFormatNum0Based(nullptr, u"", u"", 0, 0, clNone, clNone, clNone, -1, 0, myex_none), -1);
}

TEST(Excel_utils2, SheetsAndPositions) {
  EXPECT_EQ(AddASheet(nullptr), -1);
  TXlsWorkbook wb;
  EXPECT_EQ(AddASheet(&wb), 2);
  SetActiveAndSheetname(&wb, 2, u"Second");
  EXPECT_EQ(wb.ActiveSheet(), 2);
  EXPECT_EQ(wb.SheetName(), u"Second");
  // A sheet above the count names the active sheet.
  SetActiveAndSheetname(&wb, 9, u"Still second");
  EXPECT_EQ(wb.ActiveSheet(), 2);
  EXPECT_EQ(wb.SheetName(), u"Still second");

  struct Case {
    Int32 sheet, next;
  };
  for (const Case& c : {Case{0, 1}, Case{1, 2}, Case{29, 30}, Case{30, 30}, Case{45, 45}}) {
    TColRowAndSheet p{7, 9, c.sheet};
    IncrementSheet(p);
    EXPECT_EQ(p.Colnum, -1);
    EXPECT_EQ(p.RowNum, 0);
    EXPECT_EQ(p.Sheetnum, c.next) << c.sheet;
  }
  const TColRowAndSheet p{3, 4, 5};
  const TColRowAndSheet q = ComputedExcelColAndsheet(p);
  EXPECT_EQ(q.Colnum, 3);
  EXPECT_EQ(q.RowNum, 4);
  EXPECT_EQ(q.Sheetnum, 5);
}

TEST(Excel_utils2, WidthsInCharacters) {
  TXlsWorkbook wb;
  EXPECT_EQ(GetAColumnWidthInChars(&wb, 3), 8);  // the default 8.43
  SetAColumnWidthInChars(&wb, 3, 12);
  EXPECT_EQ(wb.GetColWidth(3), 12 * 256);
  SetAColumnWidthInChars(&wb, 3, 100000);  // no overflow: the widest a column gets
  EXPECT_EQ(GetAColumnWidthInChars(&wb, 3), 255);

  // Minimum 10, wanted 50: 10 when the column is narrower, else left.
  SetAColumnWidthInChars(&wb, 4, 5);
  EnsureAColumnWidthInChars(&wb, 4, 50, 10);
  EXPECT_EQ(GetAColumnWidthInChars(&wb, 4), 10);
  SetAColumnWidthInChars(&wb, 4, 20);
  EnsureAColumnWidthInChars(&wb, 4, 50, 10);
  EXPECT_EQ(GetAColumnWidthInChars(&wb, 4), 20);
  // No minimum: the wanted width, never narrower.
  EnsureAColumnWidthInChars(&wb, 4, 30, 0);
  EXPECT_EQ(GetAColumnWidthInChars(&wb, 4), 30);
  EnsureAColumnWidthInChars(&wb, 4, 2, 0);
  EXPECT_EQ(GetAColumnWidthInChars(&wb, 4), 30);

  struct Case {
    Single pixels;
    Int32 charWidth, chars;
  };
  const Case cases[] = {
      {64, 8, 160}, {5, 8, 12} /* 12.5 to even */, {7, 8, 18} /* 17.5 to even */, {0, 7, 0},
      {100, 0, 0} /* no division by a width of 0 */, {-16, 8, -40}, {1e30f, 1, 0} /* past the integers */,
  };
  for (const Case& c : cases) EXPECT_EQ(AColumnWidthInChars(c.pixels, c.charWidth), c.chars) << c.pixels;
}

TEST(Excel_utils2, MergesAndHeaders) {
  TXlsWorkbook wb;
  const Int32 xf = wb.AddFormat([] {
    TFlxFormat f;
    f.Font.Style = flx_Bold;
    return f;
  }());
  MergeCells(&wb, 1, 1, 2, 3, xf);
  ASSERT_EQ(wb.MergedCells().size(), 1u);
  EXPECT_EQ(wb.GetCellFormat(2, 3), xf);
  MergeCells(&wb, 5, 1, 5, 2, -1);
  EXPECT_EQ(wb.MergedCells().size(), 2u);
  EXPECT_EQ(wb.GetCellFormat(5, 2), -1);

  SetACellStringHeader(&wb, 4, 6, u"Heading", 25, 14, Styles({fsBold}));
  EXPECT_EQ(GetACellString(&wb, 4, 6), u"Heading");
  EXPECT_EQ(wb.GetCellVisibleFormatDef(4, 6).Font.Size20, 280);
  EXPECT_EQ(wb.GetCellVisibleFormatDef(4, 6).Font.Style, flx_Bold);
  EXPECT_EQ(GetAColumnWidthInChars(&wb, 6), 25);
}

TEST(Excel_utils2, ValuesWithAndWithoutFormats) {
  TXlsWorkbook wb;
  const Int32 xf = wb.AddFormat([] {
    TFlxFormat f;
    f.Format = u"0.000";
    return f;
  }());
  SetACellDoubleWithFormat(&wb, 1, 1, 2.5, xf);
  SetACellStringWithFormat(&wb, 1, 2, u"text", xf);
  SetACellHTMLStringWithFormat(&wb, 1, 3, u"<i>it</i>", xf);
  SetACellIntWithFormat(&wb, 1, 4, -7, xf);
  for (Int32 c = 1; c <= 4; ++c) EXPECT_EQ(wb.GetCellFormat(1, c), xf) << c;
  EXPECT_EQ(GetACellString(&wb, 1, 1), u"2.5");
  EXPECT_EQ(GetACellString(&wb, 1, 3), u"it");
  EXPECT_EQ(wb.GetCellValue(1, 3).Kind(), cvRichString);
  EXPECT_EQ(GetACellString(&wb, 1, 4), u"-7");
  // Values alone keep the cell's format.
  SetACellInt(&wb, 1, 1, Int64{1} << 40);
  SetACellString(&wb, 1, 2, u"12");  // text stays text
  SetACellRichString(&wb, 1, 3, TRichString(u"plain"));
  EXPECT_EQ(wb.GetCellFormat(1, 1), xf);
  EXPECT_EQ(GetACellString(&wb, 1, 1), u"1099511627776");
  EXPECT_EQ(wb.GetCellValue(1, 2).Kind(), cvString);
  EXPECT_EQ(GetACellString(&wb, 1, 3), u"plain");
  EXPECT_EQ(GetACellString(&wb, 9, 9), u"");
  EXPECT_EQ(GetACellString(nullptr, 1, 1), u"");
  EXPECT_THROW(SetACellString(&wb, 0, 1, u"x"), EXlsError);
}

TEST(Excel_utils2, DetectingTheKindOfAPiece) {
  ScopedDecimalSeparator comma(u',');
  struct Case {
    const char16_t* text;
    TCellValueKind kind;
    const char16_t* shown;
  };
  const Case cases[] = {
      {u"007", cvNumber, u"7"},
      {u"-12", cvNumber, u"-12"},
      {u"+5", cvNumber, u"5"},
      {u"9007199254740992", cvNumber, u"9007199254740992"},
      {u"-9007199254740992", cvNumber, u"-9007199254740992"},
      // Integers the sheet cannot hold exactly stay text.
      {u"9007199254740993", cvString, u"9007199254740993"},
      {u"123456789012345678901234567890", cvString, u"123456789012345678901234567890"},
      // Hexadecimal is not a number here.
      {u"$1F", cvString, u"$1F"},
      {u"0x10", cvString, u"0x10"},
      // Decimal numbers as the format settings write them.
      {u"3,5", cvNumber, u"3,5"},
      {u"3.5", cvString, u"3.5"},
      {u"1E3", cvNumber, u"1000"},
      {u"1e999", cvString, u"1e999"},
      {u"INF", cvString, u"INF"},
      {u"12abc", cvString, u"12abc"},
      {u"-", cvString, u"-"},
      {u"", cvString, u""},
  };
  TXlsWorkbook wb;
  Int32 row = 1;
  for (const Case& c : cases) {
    TExcelDataRec rec;
    rec.s = c.text;
    OutputDataToExcelDetectingFormat(&wb, row, 1, rec);
    const TCellValue v = wb.GetCellValue(row, 1);
    EXPECT_EQ(v.Kind(), c.kind) << StringToUtf8(c.text);
    EXPECT_EQ(v.AsString().Value, String(c.shown)) << StringToUtf8(c.text);
    EXPECT_EQ(wb.GetCellFormat(row, 1), -1);
    ++row;
  }
}

}  // namespace sk
