#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <type_traits>
#include <vector>

#include "TestSupport.h"
#include "platform/runtime/Encoding.h"
#include "platform/runtime/FormatSettings.h"
#include "platform/runtime/Streams.h"
#include "platform/spreadsheet/XlsWorkbook.h"

namespace sk {

namespace {

TFlxFormat Bold() {
  TFlxFormat f;
  f.Font.Style = flx_Bold;
  return f;
}

// The text SaveAsText gives for the active sheet, without the byte-order mark.
std::string SheetText(const TXlsWorkbook& wb, Char delimiter = u'\t') {
  TMemoryStream ms;
  wb.SaveAsText(&ms, delimiter, TEncoding::UTF8());
  std::string text(reinterpret_cast<const char*>(ms.Bytes()), static_cast<size_t>(ms.Size()));
  EXPECT_EQ(text.substr(0, 3), "\xEF\xBB\xBF");
  return text.substr(std::min<size_t>(3, text.size()));
}

class ScopedDecimalSeparator {
 public:
  explicit ScopedDecimalSeparator(Char c) : fSaved(FormatSettings.DecimalSeparator) { FormatSettings.DecimalSeparator = c; }
  ~ScopedDecimalSeparator() { FormatSettings.DecimalSeparator = fSaved; }

 private:
  Char fSaved;
};

}  // namespace

// ---- the format table ----------------------------------------------------------

TEST(XlsWorkbook, EqualFormatsShareOneIndex) {
  TXlsWorkbook wb;
  EXPECT_EQ(wb.FormatCount(), 1);
  EXPECT_EQ(wb.AddFormat(TFlxFormat()), 0);  // the default is already there
  const Int32 bold = wb.AddFormat(Bold());
  EXPECT_EQ(bold, 1);
  // Many cells given "their own" equal format add nothing to the table.
  for (Int32 r = 1; r <= 10000; ++r) {
    TFlxFormat f = wb.GetCellVisibleFormatDef(r, 1);
    f.Font.Style = flx_Bold;
    wb.SetCellValue(r, 1, r, wb.AddFormat(f));
  }
  EXPECT_EQ(wb.FormatCount(), 2);
  EXPECT_EQ(wb.GetCellFormat(9999, 1), bold);
  // Any field makes a format different.
  TFlxFormat other = Bold();
  other.Borders.Left.Style = fbs_Thin;
  EXPECT_EQ(wb.AddFormat(other), 2);
  other.Borders.Left.Color = TExcelColor::FromColor(0x0000FF);
  EXPECT_EQ(wb.AddFormat(other), 3);
  EXPECT_EQ(wb.GetFormat(3).Borders.Left.Color.Value, 0x0000FFu);
  EXPECT_THROW(wb.GetFormat(4), EXlsError);
  EXPECT_THROW(wb.GetFormat(-1), EXlsError);
}

TEST(XlsWorkbook, ThemeValue256IsTheAutomaticColour) {
  EXPECT_TRUE(TExcelColor::FromTheme(256).IsAutomatic());
  EXPECT_EQ(TExcelColor::FromTheme(256), TExcelColor::FromAutomatic());
  EXPECT_FALSE(TExcelColor::FromTheme(3).IsAutomatic());
  // Only the colour's 24 bits count.
  EXPECT_EQ(TExcelColor::FromColor(0x7F123456), TExcelColor::FromColor(0x00123456));
}

TEST(XlsWorkbook, VisibleFormatFallsBackFromCellToRowToColumnToDefault) {
  TXlsWorkbook wb;
  TFlxFormat f;
  f.Format = u"0.00";
  const Int32 colXF = wb.AddFormat(f);
  f.Format = u"@";
  const Int32 rowXF = wb.AddFormat(f);
  f.Format = u"0%";
  const Int32 cellXF = wb.AddFormat(f);
  wb.SetColFormat(3, colXF);
  wb.SetRowFormat(5, rowXF);
  wb.SetCellValue(5, 3, 1.0, cellXF);
  wb.SetCellValue(6, 3, 2.0);
  wb.SetCellValue(5, 4, u"x");

  struct Case {
    Int32 row, col;
    String format;
  };
  const Case cases[] = {
      {5, 3, u"0%"},       // own format
      {5, 4, u"@"},        // row over column
      {6, 3, u"0.00"},     // column
      {7, 3, u"0.00"},     // empty cell in the column
      {6, 4, u"General"},  // nothing: the default
  };
  for (const Case& c : cases)
    EXPECT_EQ(wb.GetCellVisibleFormatDef(c.row, c.col).Format, c.format) << c.row << "," << c.col;
  // Taking the cell's own format away shows the row's again.
  wb.SetCellFormat(5, 3, -1);
  EXPECT_EQ(wb.GetCellVisibleFormatDef(5, 3).Format, u"@");
  // A value set with -1 keeps the cell's format.
  wb.SetCellFormat(8, 8, cellXF);
  wb.SetCellValue(8, 8, u"kept");
  EXPECT_EQ(wb.GetCellFormat(8, 8), cellXF);
}

TEST(XlsWorkbook, RangeAndColumnsFormatsTakeCornersInAnyOrder) {
  TXlsWorkbook wb;
  const Int32 xf = wb.AddFormat(Bold());
  wb.SetCellFormat(3, 4, 2, 2, xf);
  for (Int32 r = 2; r <= 3; ++r)
    for (Int32 c = 2; c <= 4; ++c) EXPECT_EQ(wb.GetCellFormat(r, c), xf);
  EXPECT_EQ(wb.GetCellFormat(1, 2), -1);
  wb.SetColsFormat(9, 7, xf);
  EXPECT_EQ(wb.GetColFormat(7), xf);
  EXPECT_EQ(wb.GetColFormat(9), xf);
  EXPECT_EQ(wb.GetColFormat(10), -1);
  EXPECT_THROW(wb.SetCellFormat(1, 1, 99), EXlsError);
  EXPECT_THROW(wb.SetColFormat(1, -2), EXlsError);
}

TEST(XlsWorkbook, NamedStyles) {
  TXlsWorkbook wb;
  TFlxFormat f;
  ASSERT_TRUE(wb.GetStyle(u"Normal", f));
  EXPECT_EQ(f, TFlxFormat());
  ASSERT_TRUE(wb.GetStyle(u"Good", f));
  EXPECT_EQ(f.FillPattern.Pattern, fps_Solid);
  EXPECT_EQ(f.Font.Color, TExcelColor::FromColor(0x006100));
  ASSERT_TRUE(wb.GetStyle(u"Heading 1", f));
  EXPECT_EQ(f.Font.Style, flx_Bold);
  EXPECT_EQ(f.Font.Size20, 300);
  EXPECT_FALSE(wb.GetStyle(u"No such style", f));
  EXPECT_FALSE(wb.GetStyle(u"good", f));
}

// ---- cells and sheets ----------------------------------------------------------

TEST(XlsWorkbook, CellsOutsideTheSheetRaise) {
  TXlsWorkbook wb;
  struct Case {
    Int32 row, col;
    bool ok;
  };
  const Case cases[] = {
      {1, 1, true},          {xls_MaxRow, xls_MaxCol, true}, {0, 1, false},
      {1, 0, false},         {xls_MaxRow + 1, 1, false},     {1, xls_MaxCol + 1, false},
      {-5, 3, false},        {std::numeric_limits<Int32>::max(), 1, false},
  };
  for (const Case& c : cases) {
    if (c.ok) {
      EXPECT_NO_THROW(wb.SetCellValue(c.row, c.col, 1)) << c.row << "," << c.col;
    } else {
      EXPECT_THROW(wb.SetCellValue(c.row, c.col, u"x"), EXlsError) << c.row << "," << c.col;
      EXPECT_THROW(wb.GetCellValue(c.row, c.col), EXlsError);
      EXPECT_THROW(wb.MergeCells(1, 1, c.row, c.col), EXlsError);
    }
  }
  EXPECT_THROW(wb.SetColWidth(0, 10), EXlsError);
  EXPECT_THROW(wb.SetRowFormat(xls_MaxRow + 1, 0), EXlsError);
  EXPECT_THROW(wb.SetActiveSheet(2), EXlsError);
  EXPECT_THROW(wb.SetActiveSheet(0), EXlsError);
}

TEST(XlsWorkbook, ValuesReadBackWithTheirKinds) {
  ScopedDecimalSeparator comma(u',');
  TXlsWorkbook wb;
  wb.SetCellValue(1, 1, u"text");
  wb.SetCellValue(1, 2, Int64{1} << 40);
  wb.SetCellValue(1, 3, 2.5);
  wb.SetCellBoolean(1, 4, true);
  wb.SetCellValue(1, 5, 7);
  EXPECT_EQ(wb.GetCellValue(1, 1).Kind(), cvString);
  EXPECT_EQ(wb.GetCellValue(1, 1).AsString().Value, u"text");
  EXPECT_EQ(wb.GetCellValue(1, 2).AsString().Value, u"1099511627776");
  EXPECT_EQ(wb.GetCellValue(1, 3).AsString().Value, u"2,5");
  EXPECT_EQ(wb.GetCellValue(1, 4).AsString().Value, u"TRUE");
  EXPECT_EQ(wb.GetCellValue(1, 5).Kind(), cvNumber);
  EXPECT_TRUE(wb.GetCellValue(2, 1).IsEmpty());
  // Overwriting a text with a number and back.
  wb.SetCellValue(1, 1, 3.0);
  EXPECT_EQ(wb.GetCellValue(1, 1).AsString().Value, u"3");
  wb.SetCellValue(1, 1, u"again");
  EXPECT_EQ(wb.GetCellValue(1, 1).AsString().Value, u"again");
  wb.ClearCell(1, 1);
  EXPECT_TRUE(wb.GetCellValue(1, 1).IsEmpty());
  // A formatted blank has no value.
  wb.SetCellFormat(9, 9, 0);
  EXPECT_TRUE(wb.GetCellValue(9, 9).IsEmpty());
}

TEST(XlsWorkbook, CellsWrittenInAnyOrderReadBack) {
  TXlsWorkbook wb;
  // Rows and columns out of order, as an export writes its title block after
  // the data.
  for (Int32 r = 50; r >= 1; r -= 7)
    for (Int32 c = 9; c >= 1; c -= 4) wb.SetCellValue(r, c, r * 100 + c);
  for (Int32 r = 50; r >= 1; r -= 7)
    for (Int32 c = 9; c >= 1; c -= 4) EXPECT_EQ(wb.GetCellValue(r, c).AsNumber(), r * 100 + c);
  EXPECT_TRUE(wb.GetCellValue(50, 2).IsEmpty());
  const TXlsSheet& s = wb.SheetData(1);
  for (size_t i = 1; i < s.Rows().size(); ++i) EXPECT_LT(s.Rows()[i - 1].Row, s.Rows()[i].Row);

  // Thousands of rows from the bottom up, then others in a shuffled order in
  // between: every row once, ascending, each with its own cells.
  TXlsWorkbook many;
  for (Int32 r = 6000; r >= 2; r -= 2) many.SetCellValue(r, 1, r);
  std::vector<Int32> odd;
  for (Int32 r = 1; r < 6000; r += 2) odd.push_back(r);
  std::shuffle(odd.begin(), odd.end(), std::mt19937(5));
  for (Int32 r : odd) many.SetCellValue(r, 2, r);
  const TXlsSheet& m = many.SheetData(1);
  ASSERT_EQ(m.Rows().size(), 6000u);
  for (size_t i = 0; i < m.Rows().size(); ++i) {
    const TXlsRow& row = m.Rows()[i];
    ASSERT_EQ(row.Row, static_cast<Int32>(i + 1));
    ASSERT_EQ(row.Cells.size(), 1u);
    EXPECT_EQ(many.GetCellValue(row.Row, row.Row % 2 == 0 ? 1 : 2).AsNumber(), row.Row);
  }
  EXPECT_EQ(m.LastValueRow(), 6000);
}

TEST(XlsWorkbook, LongTextsAreCutWithoutSplittingAPair) {
  TXlsWorkbook wb;
  wb.SetCellValue(1, 1, String(40000, u'a'));
  EXPECT_EQ(wb.GetCellValue(1, 1).AsString().Value.size(), 32767u);
  // A pair that would straddle the limit goes whole.
  String s(32766, u'b');
  s += u"\U0001F600tail";
  wb.SetCellValue(1, 2, s);
  EXPECT_EQ(wb.GetCellValue(1, 2).AsString().Value, String(32766, u'b'));
  wb.SetCellValue(1, 3, String(32767, u'c'));
  EXPECT_EQ(wb.GetCellValue(1, 3).AsString().Value.size(), 32767u);
}

class XlsWorkbookFile : public ScratchFolderTest {
 protected:
  XlsWorkbookFile() : ScratchFolderTest("sk_xlswb") {}
};

TEST_F(XlsWorkbookFile, LoneSurrogatesAreKeptAndReadBackAsWritten) {
  // Each text through each way into a cell: kept as given, and read back so
  // from the saved file (the writer escapes what XML cannot hold).
  const String texts[] = {String(u"lone high \xD800"), String(u"\xDC00 lone low"), String(u"reversed \xDC00\xD800"),
                          String(u"a\xDBFF\xDBFF\U0001F600b")};
  using TSet = void (*)(TXlsWorkbook&, Int32, const String&);
  const TSet ways[] = {
      [](TXlsWorkbook& wb, Int32 r, const String& t) { wb.SetCellValue(r, 1, t); },
      [](TXlsWorkbook& wb, Int32 r, const String& t) { wb.SetCellFromString(r, 2, t); },
      [](TXlsWorkbook& wb, Int32 r, const String& t) { wb.SetCellValue(r, 3, TRichString(t)); },
      [](TXlsWorkbook& wb, Int32 r, const String& t) { wb.SetCellFromHtml(r, 4, t); },
  };
  TXlsWorkbook wb;
  for (size_t i = 0; i < std::size(texts); ++i)
    for (const TSet set : ways) set(wb, static_cast<Int32>(i) + 1, texts[i]);
  wb.Save(File("lone.xlsx"));
  TXlsWorkbook back(File("lone.xlsx"));
  for (size_t i = 0; i < std::size(texts); ++i)
    for (Int32 c = 1; c <= 4; ++c) {
      const Int32 r = static_cast<Int32>(i) + 1;
      EXPECT_EQ(wb.GetCellValue(r, c).AsString().Value, texts[i]) << r << "," << c;
      EXPECT_EQ(back.GetCellValue(r, c).AsString().Value, texts[i]) << r << "," << c;
    }
}

// A file name written as a literal reads the file (it would otherwise turn
// into the flag of the empty workbook); a narrow literal does not compile.
TEST_F(XlsWorkbookFile, ALiteralFileNameReadsTheFile) {
  static_assert(std::is_constructible_v<TXlsWorkbook, const Char*>);
  static_assert(!std::is_constructible_v<TXlsWorkbook, const char*>);
  static_assert(std::is_constructible_v<TXlsWorkbook, bool>);
  TXlsWorkbook wb;
  wb.SetCellValue(2, 3, u"from the file");
  wb.Save(File("lit.xlsx"));
  char* const before = ::getcwd(nullptr, 0);
  ASSERT_EQ(::chdir(fDir.c_str()), 0);
  String read, fromBuffer;
  bool missingRaised = false;
  try {
    TXlsWorkbook book(u"lit.xlsx");
    read = book.GetCellValue(2, 3).AsString().Value;
    Char name[] = u"lit.xlsx";
    fromBuffer = TXlsWorkbook(name).GetCellValue(2, 3).AsString().Value;
    TXlsWorkbook missing(u"none.xlsx");
  } catch (const EXlsError&) {
    missingRaised = true;
  }
  ::chdir(before);
  std::free(before);
  EXPECT_EQ(read, u"from the file");
  EXPECT_EQ(fromBuffer, u"from the file");
  EXPECT_TRUE(missingRaised);
}

TEST(XlsWorkbook, ManyOverwrittenTextsDoNotPileUp) {
  TXlsWorkbook wb;
  const String big(4000, u'x');
  for (int i = 0; i < 800; ++i) wb.SetCellValue(1 + i % 3, 1, big + String(1, static_cast<Char>(u'a' + i % 26)));
  // The last writes were i = 798 (row 1), 799 (row 2) and 797 (row 3).
  EXPECT_TRUE(wb.GetCellValue(1, 1).AsString().Value == big + u"s");
  EXPECT_TRUE(wb.GetCellValue(2, 1).AsString().Value == big + u"t");
  EXPECT_TRUE(wb.GetCellValue(3, 1).AsString().Value == big + u"r");
  // 3.2 MB of texts were written; the pool keeps little more than the three
  // that are left, and the garbage that may stay before a clean-up (1 MB).
  EXPECT_LT(wb.SheetData(1).PoolBytes(), 2 << 20);
}

TEST(XlsWorkbook, SheetNamesTheFormatCanHold) {
  TXlsWorkbook wb;
  wb.NewFile(4);
  struct Case {
    Int32 sheet;
    String wanted, got;
  };
  const Case cases[] = {
      {1, u"Plain", u"Plain"},
      {2, u"a[b]c:d*e?f/g\\h", u"a_b_c_d_e_f_g_h"},
      {3, u"0123456789012345678901234567890123456789", u"0123456789012345678901234567890"},
      {4, u"'quoted'", u"_quoted_"},
  };
  for (const Case& c : cases) {
    wb.SetActiveSheet(c.sheet);
    wb.SetSheetName(c.wanted);
    EXPECT_EQ(wb.SheetName(), c.got);
  }
  // Repeated names, in any letter case, get a number within 31 characters.
  wb.SetActiveSheet(4);
  wb.SetSheetName(u"PLAIN");
  EXPECT_EQ(wb.SheetName(), u"PLAIN (2)");
  wb.SetActiveSheet(2);
  wb.SetSheetName(u"Plain");
  EXPECT_EQ(wb.SheetName(), u"Plain (3)");
  wb.SetActiveSheet(4);
  wb.SetSheetName(u"0123456789012345678901234567890123456789");
  EXPECT_EQ(wb.SheetName(), u"012345678901234567890123456 (2)");
  EXPECT_EQ(wb.SheetName().size(), 31u);
  // Naming a sheet as it is already named changes nothing.
  wb.SetActiveSheet(1);
  wb.SetSheetName(u"Plain");
  EXPECT_EQ(wb.SheetName(), u"Plain");
  wb.SetSheetName(u"");
  EXPECT_EQ(wb.SheetName(), u"Sheet1");
}

TEST(XlsWorkbook, NewFileAndAddSheet) {
  TXlsWorkbook wb;
  wb.AddFormat(Bold());
  wb.SetCellValue(1, 1, u"gone");
  wb.NewFile(3, 5);
  EXPECT_EQ(wb.SheetCount(), 3);
  EXPECT_EQ(wb.FormatCount(), 1);
  EXPECT_EQ(wb.SheetNameOf(3), u"Sheet3");
  EXPECT_TRUE(wb.GetCellValue(1, 1).IsEmpty());
  wb.NewFile(0);
  EXPECT_EQ(wb.SheetCount(), 1);
  EXPECT_THROW(wb.NewFile(xls_MaxSheets + 1), EXlsError);
  wb.SetSheetName(u"Sheet2");
  EXPECT_EQ(wb.AddSheet(), 2);
  EXPECT_EQ(wb.SheetNameOf(2), u"Sheet2 (2)");
  wb.SetActiveSheet(2);
  wb.SetCellValue(1, 1, u"second");
  wb.SetActiveSheet(1);
  EXPECT_TRUE(wb.GetCellValue(1, 1).IsEmpty());
}

TEST(XlsWorkbook, MergesJoinRangesTheyTouch) {
  TXlsWorkbook wb;
  wb.MergeCells(3, 8, 1, 2);  // corners in any order
  ASSERT_EQ(wb.MergedCells().size(), 1u);
  EXPECT_EQ(wb.MergedCells()[0], (TXlsCellRange{1, 2, 3, 8}));
  wb.MergeCells(5, 5, 5, 5);  // one cell: nothing
  EXPECT_EQ(wb.MergedCells().size(), 1u);
  wb.MergeCells(10, 1, 10, 3);
  EXPECT_EQ(wb.MergedCells().size(), 2u);
  // Touching both earlier ranges: all three become one.
  wb.MergeCells(3, 1, 10, 1);
  ASSERT_EQ(wb.MergedCells().size(), 1u);
  EXPECT_EQ(wb.MergedCells()[0], (TXlsCellRange{1, 1, 10, 8}));
}

// Merging as a plain list does it: each new range swallows, over and over,
// every range it touches, and the union goes last.
void MergeIntoList(std::vector<TXlsCellRange>& list, TXlsCellRange u) {
  auto overlaps = [](const TXlsCellRange& a, const TXlsCellRange& b) {
    return a.Left <= b.Right && b.Left <= a.Right && a.Top <= b.Bottom && b.Top <= a.Bottom;
  };
  for (bool grew = true; grew;) {
    grew = false;
    for (size_t i = 0; i < list.size();) {
      if (overlaps(u, list[i])) {
        u = TXlsCellRange{std::min(u.Top, list[i].Top), std::min(u.Left, list[i].Left),
                          std::max(u.Bottom, list[i].Bottom), std::max(u.Right, list[i].Right)};
        list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
        grew = true;
      } else {
        ++i;
      }
    }
  }
  list.push_back(u);
}

TEST(XlsWorkbook, MergesMatchAPlainListInContentAndOrder) {
  // Small ranges, tall ones across many bands of rows, wide ones, and runs
  // that chain into each other; each shape in a sheet of its own.
  struct Shape {
    const char* what;
    Int32 rows, cols, maxHeight, maxWidth, count;
  } shapes[] = {
      {"small", 200, 20, 3, 3, 600},
      {"tall", 5000, 8, 400, 2, 400},
      {"wide", 100, 2000, 2, 300, 400},
      {"one row each", 3000, 4, 1, 4, 3000},
      {"chains", 60, 60, 2, 2, 3000},
  };
  std::mt19937 rng(20261207);
  for (const Shape& sh : shapes) {
    TXlsWorkbook wb;
    std::vector<TXlsCellRange> list;
    for (Int32 k = 0; k < sh.count; ++k) {
      const Int32 r = std::uniform_int_distribution<Int32>(1, sh.rows)(rng);
      const Int32 c = std::uniform_int_distribution<Int32>(1, sh.cols)(rng);
      const Int32 h = std::uniform_int_distribution<Int32>(1, sh.maxHeight)(rng);
      const Int32 w = std::uniform_int_distribution<Int32>(1, sh.maxWidth)(rng);
      TXlsCellRange m{r, c, r + h - 1, c + w - 1};
      if (h == 1 && w == 1) m.Right += 1;
      wb.MergeCells(m.Bottom, m.Right, m.Top, m.Left);
      MergeIntoList(list, m);
      if (k % 97 == 0 || k + 1 == sh.count) {
        ASSERT_EQ(wb.MergedCells(), list) << sh.what << " after " << k;
      }
    }
  }
  // One range that grows by swallowing thousands, each left behind.
  TXlsWorkbook wb;
  std::vector<TXlsCellRange> list;
  for (Int32 r = 1; r <= 4000; ++r) {
    wb.MergeCells(r, 1, r, 2);
    MergeIntoList(list, TXlsCellRange{r, 1, r, 2});
    wb.MergeCells(1, 1, r, 1);
    MergeIntoList(list, TXlsCellRange{1, 1, r, 1});
  }
  EXPECT_EQ(wb.MergedCells(), list);
  ASSERT_EQ(list.size(), 1u);
}

TEST(XlsWorkbook, ColumnWidths) {
  TXlsWorkbook wb;
  EXPECT_EQ(wb.GetColWidth(4), xls_DefaultColWidth);
  wb.SetColWidth(4, 20 * 256);
  EXPECT_EQ(wb.GetColWidth(4), 5120);
  wb.SetColWidth(4, 1000 * 256);
  EXPECT_EQ(wb.GetColWidth(4), 255 * 256);
  wb.SetColWidth(4, -3);
  EXPECT_EQ(wb.GetColWidth(4), 0);
}

// ---- the sheet as text ---------------------------------------------------------

TEST(XlsWorkbook, SheetAsTabSeparatedText) {
  ScopedDecimalSeparator comma(u',');
  TXlsWorkbook wb;
  wb.SetCellValue(1, 2, u"b1");
  wb.SetCellValue(1, 4, 1.25);
  wb.SetCellValue(3, 1, u"a3");
  wb.SetCellFormat(3, 7, 0);  // a format alone adds no column
  wb.SetCellValue(4, 1, u"two\nlines");
  wb.SetCellValue(4, 2, u"has\ttab \"q\"");
  wb.SetCellValue(4, 3, u"only \"quotes\"");
  wb.SetCellFormat(9, 1, 0);  // nor a row
  EXPECT_EQ(SheetText(wb),
            "\tb1\t\t1,25\r\n"
            "\r\n"
            "a3\r\n"
            "\"two\nlines\"\t\"has\ttab \"\"q\"\"\"\tonly \"quotes\"\r\n");
  EXPECT_EQ(SheetText(TXlsWorkbook()), "");
}

TEST(XlsWorkbook, SheetTextStartsWithTheEncodingsMark) {
  TXlsWorkbook wb;
  wb.SetCellValue(1, 1, u"\u00E9");
  TMemoryStream ms;
  wb.SaveAsText(&ms, u'\t', TEncoding::Unicode());
  EXPECT_EQ(ms.ToBytes(), B({0xFF, 0xFE, 0xE9, 0x00, 0x0D, 0x00, 0x0A, 0x00}));
}

// ---- numbers as text -----------------------------------------------------------

TEST(XlsTypes, NumbersAsTheShortestTextThatReadsBack) {
  struct Case {
    double v;
    const char16_t* text;
  };
  const Case cases[] = {
      {0, u"0"},
      {-0.0, u"0"},
      {1, u"1"},
      {-42, u"-42"},
      {1000000, u"1000000"},
      {6187267, u"6187267"},
      {0.1, u"0.1"},
      {0.0617, u"0.0617"},
      {1.0 / 3, u"0.3333333333333333"},
      {123456.789, u"123456.789"},
      {9007199254740993.0, u"9007199254740992"},
      {1e20, u"100000000000000000000"},
      {1e21, u"1E+21"},
      {1.5e-7, u"1.5E-7"},
      {0.000001, u"0.000001"},
      {-2.5e300, u"-2.5E+300"},
      {5e-324, u"5E-324"},
  };
  for (const Case& c : cases) EXPECT_EQ(XlsNumberToText(c.v, u'.'), String(c.text)) << c.v;
  EXPECT_EQ(XlsNumberToText(1.5, u','), u"1,5");
  EXPECT_EQ(XlsNumberToText(std::nan(""), u'.'), u"NaN");
  EXPECT_EQ(XlsNumberToText(-INFINITY, u'.'), u"-INF");
}

// ---- HTML to rich strings ------------------------------------------------------

TEST(XlsRichText, TagsBecomeRuns) {
  const TFlxFont base;
  TFlxFont bold = base, boldItalic = base, red = base, under = base, strike = base;
  bold.Style = flx_Bold;
  boldItalic.Style = flx_Bold | flx_Italic;
  red.Color = TExcelColor::FromColor(0x0000FF);  // red in the platform's order
  under.Style = flx_Underline;
  strike.Style = flx_StrikeOut;

  TRichString rs = XlsRichStringFromHtml(u"a <b>bold <i>both</i></b> plain", base);
  EXPECT_EQ(rs.Value, u"a bold both plain");
  ASSERT_EQ(rs.Runs.size(), 3u);
  EXPECT_EQ(rs.Runs[0], (TRTFRun{2, bold}));
  EXPECT_EQ(rs.Runs[1], (TRTFRun{7, boldItalic}));
  EXPECT_EQ(rs.Runs[2], (TRTFRun{11, base}));

  rs = XlsRichStringFromHtml(u"<FONT color=\"#FF0000\">red</font><u>u</u><s>s</s>", base);
  EXPECT_EQ(rs.Value, u"redus");
  ASSERT_EQ(rs.Runs.size(), 3u);
  EXPECT_EQ(rs.Runs[0], (TRTFRun{0, red}));
  EXPECT_EQ(rs.Runs[1], (TRTFRun{3, under}));
  EXPECT_EQ(rs.Runs[2], (TRTFRun{4, strike}));

  for (const char16_t* html : {u"<font color='red'>x</font>", u"<font color=#f00>x</font>"}) {
    rs = XlsRichStringFromHtml(html, base);
    ASSERT_EQ(rs.Runs.size(), 1u) << StringToUtf8(html);
    EXPECT_EQ(rs.Runs[0].Font.Color, red.Color);
  }
}

TEST(XlsRichText, TextEntitiesLineBreaksAndOtherTags) {
  const TFlxFont base;
  struct Case {
    const char16_t* html;
    const char16_t* text;
  };
  const Case cases[] = {
      {u"a&amp;b &lt;c&gt; &quot;d&quot; &apos;", u"a&b <c> \"d\" '"},
      {u"&#65;&#x42;&#x1F600;&nbsp;&euro;", u"AB\U0001F600\u00A0\u20AC"},
      {u"&#0; &#xD800; &#99999999;", u"\uFFFD \uFFFD \uFFFD"},
      {u"&unknown; &AMP; & alone &;", u"&unknown; &AMP; & alone &;"},
      {u"one<br>two<BR/>three<br />", u"one\ntwo\nthree\n"},
      {u"<p>para</p><span class=\"x\">span</span><script>s</script>", u"paraspans"},
      {u"5 < 6 and no close", u"5 < 6 and no close"},
      {u"</b>stray close<b/>", u"stray close"},
      {u"", u""},
  };
  for (const Case& c : cases) {
    TRichString rs = XlsRichStringFromHtml(c.html, base);
    EXPECT_EQ(rs.Value, String(c.text)) << StringToUtf8(c.html);
    EXPECT_TRUE(rs.Runs.empty()) << StringToUtf8(c.html);
  }
}

TEST(XlsRichText, StaysLinearOnHostileInput) {
  // Many unclosed tags and entities: each must be looked at once.
  const String lts(200000, u'<');
  EXPECT_EQ(XlsRichStringFromHtml(lts, TFlxFont()).Value, lts);
  const String amps(200000, u'&');
  EXPECT_EQ(XlsRichStringFromHtml(amps, TFlxFont()).Value, amps);
  String nested;
  for (int i = 0; i < 20000; ++i) nested += u"<b><i>";
  nested += u"x";
  TRichString rs = XlsRichStringFromHtml(nested, TFlxFont());
  EXPECT_EQ(rs.Value, u"x");
  EXPECT_EQ(rs.Runs.size(), 1u);
}

TEST(XlsWorkbook, HtmlCellsTakeTheCellsFont) {
  TXlsWorkbook wb;
  TFlxFormat big;
  big.Font.Size20 = 300;
  wb.SetCellFormat(1, 1, wb.AddFormat(big));
  wb.SetCellFromHtml(1, 1, u"x <b>y</b>");
  TCellValue v = wb.GetCellValue(1, 1);
  ASSERT_EQ(v.Kind(), cvRichString);
  ASSERT_EQ(v.AsString().Runs.size(), 1u);
  EXPECT_EQ(v.AsString().Runs[0].Font.Size20, 300);
  EXPECT_EQ(v.AsString().Runs[0].Font.Style, flx_Bold);
  // Without tags the cell holds plain text.
  wb.SetCellFromHtml(1, 2, u"a &amp; b");
  EXPECT_EQ(wb.GetCellValue(1, 2).Kind(), cvString);
  EXPECT_EQ(wb.GetCellValue(1, 2).AsString().Value, u"a & b");
}

// The writer puts each sheet through temporary files whose writes it does not
// check: with a file-size limit that the finished (compressed) package fits
// but a sheet's data does not, the save must fail, the old file kept.
TEST(XlsWorkbook, ASaveWhosePartsCouldNotBeWrittenWholeFails) {
  ScratchFolder dir("sk_xls_parts");
  const std::string path = dir.Path("book.xlsx");
  WriteFileBytes(path, "the old workbook");
  TXlsWorkbook wb;
  for (Int32 r = 1; r <= 60000; ++r) {
    wb.SetCellValue(r, 1, u"the same text in every row");
    wb.SetCellValue(r, 2, r);
  }
  // Limits below the sheet's data; the package itself takes about 300 KB.
  for (const rlim_t limit : {rlim_t{1} << 20, rlim_t{2} << 20}) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::signal(SIGXFSZ, SIG_IGN);
      const rlimit rl{limit, limit};
      ::setrlimit(RLIMIT_FSIZE, &rl);
      try {
        wb.Save(Utf8ToString(path));
      } catch (const EXlsError&) {
        ::_exit(0);
      }
      ::_exit(1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "limit " << limit << ": the save did not fail";
    EXPECT_TRUE(ReadFileBytes(path) == "the old workbook") << limit;
  }
  // Without a limit it saves and reads back.
  wb.Save(Utf8ToString(path));
  EXPECT_EQ(TXlsWorkbook(Utf8ToString(path)).GetCellValue(60000, 2).AsNumber(), 60000);
}

}  // namespace sk
