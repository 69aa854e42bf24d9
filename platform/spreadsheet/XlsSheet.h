// One sheet of a workbook held in memory: sparse rows of sparse cells, row
// and column formats, column widths, merged ranges and pictures.
//
// A cell takes 16 bytes; its text lives in the sheet's string pool as UTF-8
// (the form the file needs), so a sheet of a million rows costs about what
// its values do.  Rows are kept in ascending order and cells within a row by
// column: writing in row order appends, anything else inserts.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/runtime/RankedVector.h"
#include "platform/spreadsheet/XlsTypes.h"

namespace sk {

// What a number cell of a workbook read from a file shows (its number
// format): the number itself, or the date, time or both that it holds as a
// date-time (days from 1899-12-30).
inline constexpr Byte xls_ShownAsNumber = 0;
inline constexpr Byte xls_ShownAsDate = 1;
inline constexpr Byte xls_ShownAsTime = 2;
inline constexpr Byte xls_ShownAsDateTime = 3;
inline constexpr Byte xls_ShownAsElapsed = 4;  // hours past 24 ([h]:mm:ss)

struct TXlsCell {
  UInt64 Bits = 0;   // the number's bits, the boolean, or the pool / rich-string index
  Int32 XF = -1;     // the cell's own format, -1 for none
  Word Col = 0;      // 1-based
  Byte Kind = cvEmpty;
  Byte ShownAs = xls_ShownAsNumber;  // of a number cell
};
static_assert(sizeof(TXlsCell) == 16);

struct TXlsRow {
  Int32 Row = 0;
  Int32 XF = -1;  // the row's format, -1 for none
  std::vector<TXlsCell> Cells;
};

struct TXlsColInfo {
  Int32 Width = -1;  // 1/256 of a character, -1 for the default width
  Int32 XF = -1;
};

// What a picture file says about itself; Type 0 when it cannot be read.
struct TXlsImageInfo {
  enum TType : Byte { Unknown, Png, Jpeg, Bmp };
  TType Type = Unknown;
  Int32 Width = 0, Height = 0;        // pixels
  double DpiX = 96, DpiY = 96;
};

// Reads the header of a PNG, JPEG or BMP file held in data.
TXlsImageInfo XlsProbeImage(const Byte* data, size_t size);

struct TXlsImage {
  TBytes Data;
  TImageProperties Properties;
  TXlsImageInfo Info;
};

class TXlsSheet {
 public:
  TXlsSheet() = default;
  TXlsSheet(const TXlsSheet&) = delete;
  TXlsSheet& operator=(const TXlsSheet&) = delete;

  String Name;

  // Values.  The caller has checked row and column.
  void SetNumber(Int32 row, Int32 col, double v);
  // What a number cell shows (xls_ShownAs...); nothing for any other cell.
  void SetShownAs(Int32 row, Int32 col, Byte shownAs);
  Byte ShownAs(Int32 row, Int32 col) const;
  // A cell's value as text: a date or time cell as "yyyy/mm/dd", "hh:nn:ss"
  // or both, an elapsed time as hours:nn:ss, to the nearest second; any
  // other as its value's text.
  String TextOf(const TXlsCell& c) const;
  // A text holding a lone surrogate, which UTF-8 cannot hold, is kept as
  // given, as a rich string of no runs.
  void SetString(Int32 row, Int32 col, const String& s);
  void SetBoolean(Int32 row, Int32 col, bool b);
  void SetError(Int32 row, Int32 col, const String& code);
  void SetRichString(Int32 row, Int32 col, const TRichString& rs);
  void Clear(Int32 row, Int32 col);  // the value only; the format stays
  TCellValue Value(Int32 row, Int32 col) const;
  TCellValue ValueOf(const TXlsCell& cell) const;

  // Formats of a cell, a row and a column (-1: none of its own).
  void SetCellFormat(Int32 row, Int32 col, Int32 xf);
  Int32 CellFormat(Int32 row, Int32 col) const;
  void SetRowFormat(Int32 row, Int32 xf);
  Int32 RowFormat(Int32 row) const;
  void SetColFormat(Int32 col, Int32 xf);
  Int32 ColFormat(Int32 col) const;
  // The format the cell shows: its own, else its row's, else its column's,
  // else -1 (the default).
  Int32 VisibleFormat(Int32 row, Int32 col) const;

  void SetColWidth(Int32 col, Int32 width);
  Int32 ColWidth(Int32 col) const;  // xls_DefaultColWidth when never set
  const std::map<Int32, TXlsColInfo>& Cols() const { return fCols; }

  // Merging a range that overlaps merged ranges merges their union.  The
  // ranges are listed in the order they were made, a union taking the place
  // of the last.
  void Merge(const TXlsCellRange& range);
  const std::vector<TXlsCellRange>& Merges() const;

  void AddImage(TXlsImage image) { fImages.push_back(std::move(image)); }
  const std::vector<TXlsImage>& Images() const { return fImages; }

  // The rows that hold a cell or a format, ascending. A row written above
  // the last one goes in place in about log n steps, so that a sheet filled
  // from the bottom up takes as long as one filled from the top.
  using TRows = TRankedVector<TXlsRow>;
  const TRows& Rows() const { return fRows; }
  const TXlsCell* FindCell(Int32 row, Int32 col) const;
  // UTF-8 of a string or error cell, without its terminating zero (which the
  // pool keeps after every text).
  std::string_view Utf8Of(const TXlsCell& cell) const;
  const TRichString& RichOf(const TXlsCell& cell) const { return fRich[cell.Bits]; }
  // Last row holding a value (not only a format); 0 when none.
  Int32 LastValueRow() const;
  Int64 CellCount() const { return fCellCount; }
  // Bytes the string pool holds, texts replaced since the last clean-up included.
  Int64 PoolBytes() const { return static_cast<Int64>(fPool.size()); }

 private:
  TXlsRow* FindRow(Int32 row);
  const TXlsRow* FindRow(Int32 row) const;
  TXlsRow& RowAt(Int32 row);
  TXlsCell& CellAt(Int32 row, Int32 col);
  // Drops what the cell's old value held in the pool or the rich strings.
  void Release(TXlsCell& cell);
  UInt64 AddText(const String& s);
  void CompactPool();

  TRows fRows;
  Int64 fCellCount = 0;
  std::map<Int32, TXlsColInfo> fCols;
  void IndexMerge(Cardinal slot);
  void CompactMerges();

  // Merged ranges in the order they were made; a range swallowed by a later
  // union stays in its slot, marked dead, until the slots are compacted.
  std::vector<TXlsCellRange> fMergeSlots;
  std::vector<bool> fMergeDead;
  size_t fDeadMerges = 0;
  // Slots by band of rows they cover, so that a new range is compared only
  // with ranges near it.  Dead slots leave the bands when a band is scanned.
  std::unordered_map<Int32, std::vector<Cardinal>> fMergeBands;
  mutable std::vector<TXlsCellRange> fMerges;  // the live ranges, rebuilt when asked for
  mutable bool fMergesStale = false;
  std::vector<TXlsImage> fImages;
  // Texts as UTF-8, each followed by a zero byte; text i starts at fStarts[i].
  std::string fPool;
  std::vector<UInt64> fStarts;
  UInt64 fPoolGarbage = 0;
  std::vector<TRichString> fRich;
};

}  // namespace sk
