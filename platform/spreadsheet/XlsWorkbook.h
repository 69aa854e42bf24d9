// The workbook layer: an in-memory workbook of sheets with a shared format
// table, saved as .xlsx (through libxlsxwriter, row by row in its
// constant-memory mode) and read back from .xlsx (our own reader on the zip
// reader and expat).
//
// Every cell routine works on the active sheet; rows, columns and sheets
// count from 1.  A row or column outside the sheet raises EXlsError, so an
// export that goes past the sheet stops before anything is written.
//
// A cell without its own format shows its row's format, else its column's,
// else the default format (index 0).  Adding a format equal to one already in
// the table gives that format's index, so a million cells of one look share
// one format.
#pragma once

#include <memory>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "platform/runtime/RtlTypes.h"
#include "platform/spreadsheet/XlsSheet.h"
#include "platform/spreadsheet/XlsTypes.h"
#include "platform/spreadsheet/XlsxReader.h"
#include "platform/spreadsheet/XlsxWriter.h"

namespace sk {

class TStream;
class TEncoding;

// Most sheets one workbook may have.
inline constexpr Int32 xls_MaxSheets = 4096;

class TXlsWorkbook : public TObject {
 public:
  // An empty workbook of one sheet; the flag is taken for the callers that
  // pass it and changes nothing.
  explicit TXlsWorkbook(bool createEmpty = true);
  // Reads an .xlsx file; raises EXlsError when it cannot be read.
  explicit TXlsWorkbook(const String& fileName);
  // The same for a file name given as characters (a literal u"a.xlsx"), which
  // would otherwise turn into the flag above and give an empty workbook.
  explicit TXlsWorkbook(const Char* fileName);
  // Any other pointer (a narrow literal "a.xlsx") is no file name: refused
  // when compiled rather than taken for the flag.
  template <class T>
    requires(!std::is_same_v<std::remove_cv_t<T>, Char>)
  TXlsWorkbook(T*) = delete;
  ~TXlsWorkbook() override;
  TXlsWorkbook(const TXlsWorkbook&) = delete;
  TXlsWorkbook& operator=(const TXlsWorkbook&) = delete;

  // Replaces the workbook by the .xlsx file's sheets and values.  False, with
  // the workbook left as a new file of one sheet, when the file is missing,
  // not .xlsx, damaged or hostile (a DTD, a member claiming more than it
  // holds, members inflating past the bounds of one read, a cell outside
  // the sheet), or when progress answers true (stop).  Formats, widths,
  // merges and pictures of the file are not read, except that a number cell
  // in a date or time format is held as a date-time (whichever date system
  // the file uses) and shown as one (TXlsSheet::ShownAs).  progress hears of
  // the work as it goes.
  bool Open(const String& fileName, const TXlsReadProgress& progress = {});

  // Starts again with sheetCount empty sheets (at least one) named "Sheet1",
  // "Sheet2"... and the default format alone; the version is accepted for
  // callers that pass one.
  void NewFile(Int32 sheetCount, Int32 version = 5);

  // ---- sheets ---------------------------------------------------------------
  Int32 SheetCount() const { return static_cast<Int32>(fSheets.size()); }
  Int32 ActiveSheet() const { return fActive + 1; }
  void SetActiveSheet(Int32 sheet);  // EXlsError outside 1..SheetCount
  String SheetName() const { return Sheet().Name; }
  String SheetNameOf(Int32 sheet) const;
  // Names the active sheet.  The name is cut to 31 characters, each of
  // []:*?/\ becomes "_", as do the characters a file cannot hold in a name
  // (controls, U+FFFE, U+FFFF, a lone surrogate) and an apostrophe at
  // either end; an empty name gives "Sheet<n>", and a name another sheet
  // has (in any letter case) gets " (2)", " (3)"... within the 31
  // characters.
  void SetSheetName(const String& name);
  // Adds an empty sheet after the last one and gives the sheet count.
  Int32 AddSheet();

  // Raises EXlsError when the cell is outside the sheet.
  void CheckCell(Int32 row, Int32 col) const;

  // ---- values ---------------------------------------------------------------
  // Each stores the value and, when xf is 0 or more, gives the cell that
  // format; -1 keeps the cell's format.  Texts are kept as given (a lone
  // surrogate too); those longer than 32,767 characters are cut.
  void SetCellValue(Int32 row, Int32 col, const String& text, Int32 xf = -1);
  void SetCellValue(Int32 row, Int32 col, const Char* text, Int32 xf = -1);
  void SetCellValue(Int32 row, Int32 col, Int32 value, Int32 xf = -1);
  void SetCellValue(Int32 row, Int32 col, Int64 value, Int32 xf = -1);
  void SetCellValue(Int32 row, Int32 col, double value, Int32 xf = -1);
  void SetCellValue(Int32 row, Int32 col, const TRichString& value, Int32 xf = -1);
  void SetCellBoolean(Int32 row, Int32 col, bool value, Int32 xf = -1);
  // Empties the cell's value; its format stays.
  void ClearCell(Int32 row, Int32 col);
  // The text as text (never converted to a number).
  void SetCellFromString(Int32 row, Int32 col, const String& text, Int32 xf = -1);
  // Takes <b>, <i>, <u>, <s>, <font color="...">, <br> and character
  // entities into a rich string in the cell's font; other tags are dropped.
  void SetCellFromHtml(Int32 row, Int32 col, const String& html, Int32 xf = -1);
  TCellValue GetCellValue(Int32 row, Int32 col) const;

  // ---- formats --------------------------------------------------------------
  Int32 FormatCount() const { return static_cast<Int32>(fFormats.size()); }
  const TFlxFormat& GetFormat(Int32 xf) const;  // EXlsError outside the table
  TFlxFormat GetDefaultFormat() const { return fFormats[0]; }
  // The index of an equal format, else of the format added.
  Int32 AddFormat(const TFlxFormat& format);
  // The format of a named cell style ("Normal", "Good", "Bad", "Neutral",
  // "Title", "Heading 1" to "Heading 4", "Total"); false for any other name.
  bool GetStyle(const String& name, TFlxFormat& format) const;

  // The cell's own format, -1 when it has none.
  Int32 GetCellFormat(Int32 row, Int32 col) const;
  // The index of the format the cell shows (0: the default).
  Int32 GetCellVisibleFormat(Int32 row, Int32 col) const;
  TFlxFormat GetCellVisibleFormatDef(Int32 row, Int32 col) const;
  // xf -1 takes away the cell's, row's or column's own format.
  void SetCellFormat(Int32 row, Int32 col, Int32 xf);
  void SetCellFormat(Int32 row1, Int32 col1, Int32 row2, Int32 col2, Int32 xf);
  void SetColFormat(Int32 col, Int32 xf);
  void SetColsFormat(Int32 col1, Int32 col2, Int32 xf);
  void SetRowFormat(Int32 row, Int32 xf);
  Int32 GetColFormat(Int32 col) const;
  Int32 GetRowFormat(Int32 row) const;

  // ---- layout ---------------------------------------------------------------
  // Corners in any order; one cell alone is not merged; a range touching
  // merged ranges merges with them.
  void MergeCells(Int32 row1, Int32 col1, Int32 row2, Int32 col2);
  const std::vector<TXlsCellRange>& MergedCells() const { return Sheet().Merges(); }
  // Widths in 1/256 of a character, from 0 to 255 characters.
  Int32 GetColWidth(Int32 col) const;
  void SetColWidth(Int32 col, Int32 width);

  // A PNG, JPEG or BMP picture placed at the anchor of its properties;
  // false (nothing added) for bytes that are not such a picture.
  bool AddImage(const TBytes& data, const TImageProperties& properties);
  bool AddImage(TStream* data, const TImageProperties& properties);
  Int32 ImageCount() const { return static_cast<Int32>(Sheet().Images().size()); }

  // ---- output ---------------------------------------------------------------
  // The active sheet as text, after the encoding's byte-order mark: rows 1 to
  // the last with a value, each row's cells from column 1 to its last
  // non-empty one, joined by the delimiter, lines ending in CR LF; a cell
  // whose text holds the delimiter or a line break is enclosed in double
  // quotes with its own quotes doubled; a date or time cell is written as
  // TXlsSheet::TextOf gives it.  progress hears of each row's cells; true
  // ends the text after that row.
  void SaveAsText(TStream* stream, Char delimiter, TEncoding* encoding, const TXlsSaveProgress& progress = {}) const;

  // Writes the workbook as .xlsx.  It goes to a new file in the target's
  // folder that replaces the target only once complete, so a failure (raised
  // as EXlsError) leaves an existing target as it was.  A long save reports
  // its work through progress, which may stop it (see WriteXlsx).
  void Save(const String& fileName, const TXlsSaveProgress& progress = {}) const;

  // The layer's view of a sheet, for the file writer and reader.
  const TXlsSheet& SheetData(Int32 sheet) const;
  TXlsSheet& SheetData(Int32 sheet);
  // Sheets in order, for the file reader: replaces every sheet.
  void ReplaceSheets(std::vector<std::unique_ptr<TXlsSheet>> sheets);

 private:
  const TXlsSheet& Sheet() const { return *fSheets[static_cast<size_t>(fActive)]; }
  TXlsSheet& Sheet() { return *fSheets[static_cast<size_t>(fActive)]; }
  void CheckRow(Int32 row) const;
  void CheckCol(Int32 col) const;
  void CheckFormat(Int32 xf) const;
  void ApplyXF(Int32 row, Int32 col, Int32 xf);
  String UniqueSheetName(const String& wanted, size_t except) const;

  std::vector<std::unique_ptr<TXlsSheet>> fSheets;
  Int32 fActive = 0;  // 0-based
  std::vector<TFlxFormat> fFormats;
  std::unordered_multimap<size_t, Int32> fFormatIndex;  // hash of a format -> its indexes
};

// The rich string that a fragment of HTML shows, its runs in fonts derived
// from base (see SetCellFromHtml).
TRichString XlsRichStringFromHtml(const String& html, const TFlxFont& base);

}  // namespace sk
