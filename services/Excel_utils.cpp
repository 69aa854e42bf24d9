#include "services/Excel_utils.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "core/Basic_processes.h"
#include "core/Useful_classes_base_stringlists.h"
#include "core/UnitCounter.h"
#include "platform/runtime/DateUtils.h"
#include "platform/runtime/Encoding.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Streams.h"
#include "platform/runtime/Strings.h"
#include "platform/visual/IconImage.h"

namespace sk {

namespace {

// Where an export puts things.
constexpr Int32 kListFirstRow = 6;
constexpr Int32 kFirstCol = 3;
constexpr Int32 kDataRowOffset = 5;
constexpr Int32 kTitleFontSize = 15;
constexpr Int32 kListFontSize = 12;
constexpr Int32 kListColumnWidthCap = 80;

// The title at (1, 2) and the notes at column 10, merged and shown over
// rows 1 to 3, columns 2 to 8, in 15-point bold, centred.
void WriteExcelTitleBlock(TXlsWorkbook* xls, const String& title, const String& upperNote, const String& lowerNote) {
  SetACellFontSize(xls, 1, 2, kTitleFontSize);
  SetACellString(xls, 1, 2, title);
  SetACellString(xls, 1, 10, upperNote);
  SetACellString(xls, 2, 10, FormatDateTime(u"dd-mmm-yyyy", Date()));
  SetACellString(xls, 3, 10, lowerNote);
  xls->MergeCells(1, 2, 3, 8);
  for (Int32 r = 1; r <= 3; ++r)
    for (Int32 c = 2; c <= 8; ++c) {
      TFlxFormat f = xls->GetCellVisibleFormatDef(r, c);
      f.Format = u"@";
      f.Font.Size20 = kTitleFontSize * 20;
      f.Font.Style = flx_Bold;
      f.HAlignment = fha_center;
      f.VAlignment = fva_center;
      xls->SetCellFormat(r, c, xls->AddFormat(f));
    }
}

// The program's icon beside the title block: from row 1 (80/256 down),
// column 13 (784/1024 across) to row 4 (102/256), column 14 (912/1024),
// moving with its cells but keeping its size.  An .ico goes in as its largest
// image; a file that is missing or not a picture is left out.
void AddExcelIcon(TXlsWorkbook* xls, const String& iconFile) {
  if (iconFile.empty() || !FileExists(iconFile)) return;
  TBytes bytes;
  try {
    TFileStream f(iconFile, fmOpenRead | fmShareDenyNone);
    const Int64 size = f.Size();
    if (size <= 0 || size > (Int64{64} << 20)) return;
    bytes.resize(static_cast<size_t>(size));
    f.ReadBuffer(bytes.data(), size);
  } catch (const EStreamError&) {
    return;
  } catch (const EReadError&) {
    return;
  }
  if (IsIconImage(bytes)) {
    TBytes png;
    if (!IconToPng(bytes, png)) return;
    bytes.swap(png);
  }
  TImageProperties props;
  props.Anchor = TClientAnchor{2, 1, 80, 13, 784, 4, 102, 14, 912};
  props.ShapeName = u"Program Icon";
  xls->AddImage(bytes, props);
}

// One piece of a list line: bold without its marks when enclosed in "<B>" and
// "</B>", the column widened for it (up to 80 characters), the size and
// colours of rec, then the value by what it looks like.
void WriteExcelListCell(TXlsWorkbook* xls, Int32 row, Int32 col, TExcelDataRec rec) {
  const String open = u"<B>", close = u"</B>";
  if (rec.s.size() >= open.size() + close.size() && StartsStr(open, rec.s) && EndsStr(close, rec.s)) {
    rec.s = rec.s.substr(open.size(), rec.s.size() - open.size() - close.size());
    SetACellFontStyle(xls, row, col, static_cast<TFontStyles>(1u << fsBold));
  } else {
    SetACellFontStyle(xls, row, col, 0);
  }
  EnsureAColumnWidthInChars(xls, col, std::min<Int64>(kListColumnWidthCap, static_cast<Int64>(rec.s.size()) + 2), 0);
  SetACellFontSize(xls, row, col, rec.cell_format.font_size);
  SetACellFontColour(xls, row, col, rec.cell_format.font_colour);
  SetACellBackgroundColour(xls, row, col, rec.cell_format.background_colour);
  OutputDataToExcelDetectingFormat(xls, row, col, rec);
}

// Saves the workbook, yielding through the loop's own yield as the file is
// written; a Stop seen at a yield of the filling or of the save raises the
// save's EXlsError and leaves the target as it was.
void SaveYielding(const TXlsWorkbook& xls, const String& outputFile, TTimedYield& yield) {
  xls.Save(outputFile, [&yield](size_t work) { return yield.Tick(work); });
}

}  // namespace

void SaveAStringlistToExcel(const String& outputFile, const String& title, const String& secondText,
                            const String& thirdText, const String& iconFile, const TStrings* sheetNames,
                            const std::vector<const TStrings*>& lists, Char separator) {
  auto xls = std::make_unique<TXlsWorkbook>(true);
  xls->NewFile(static_cast<Int32>(std::min<size_t>(lists.size(), xls_MaxSheets + size_t{1})), 5);
  // Lists longer or wider than a sheet stop the export before any work.
  for (const TStrings* list : lists) {
    if (list == nullptr) continue;
    Int64 rows = 0;
    for (Int32 k = 0; k < list->Count(); ++k) {
      const String& line = list->Strings(k);
      if (line.empty()) continue;
      ++rows;
      const Int64 pieces = std::count(line.begin(), line.end(), separator) + 1;
      xls->CheckCell(1, static_cast<Int32>(std::min<Int64>(kFirstCol - 1 + pieces, xls_MaxCol + Int64{1})));
    }
    xls->CheckCell(static_cast<Int32>(std::min<Int64>(kListFirstRow - 1 + rows, xls_MaxRow + Int64{1})), 1);
  }
  WriteExcelTitleBlock(xls.get(), title, secondText, thirdText);
  const TColourFontRec plain = GetDefaultExtraFontRec();
  TTimedYield yield;
  TExcelDataRec rec;
  rec.cell_format.font_size = kListFontSize;
  rec.cell_format.font_colour = plain.FontColour;
  rec.cell_format.background_colour = plain.BrushColour;
  for (size_t i = 0; i < lists.size(); ++i) {
    xls->SetActiveSheet(static_cast<Int32>(i) + 1);
    String name;
    if (sheetNames != nullptr && static_cast<Int32>(i) < sheetNames->Count()) name = sheetNames->Strings(static_cast<Int32>(i));
    xls->SetSheetName(name.empty() ? IntToStr(static_cast<Int64>(i) + 1) : name);
    const TStrings* list = lists[i];
    if (list == nullptr) continue;
    Int32 row = kListFirstRow - 1;
    for (Int32 k = 0; k < list->Count(); ++k) {
      const String& line = list->Strings(k);
      if (line.empty()) continue;
      ++row;
      Int32 col = kFirstCol;
      size_t start = 0;
      for (;;) {
        const size_t cut = line.find(separator, start);
        rec.s = line.substr(start, cut == String::npos ? String::npos : cut - start);
        WriteExcelListCell(xls.get(), row, col++, rec);
        if (cut == String::npos) break;
        start = cut + 1;
      }
      if (yield.Tick()) break;
    }
  }
  AddExcelIcon(xls.get(), iconFile);
  SaveYielding(*xls, outputFile, yield);
}

void SaveDataToExcel(const String& outputFile, const String& sheetName, const String& title, const String& note,
                     const String& iconFile, const TExcelGetColumnFormat& getColumnFormat,
                     const TExcelGetCellData& getCellData, Int32 rowCount, Int32 colCount) {
  auto xls = std::make_unique<TXlsWorkbook>(true);
  xls->NewFile(1, 5);
  xls->SetActiveSheet(1);
  xls->SetSheetName(sheetName);
  // Each shown column of the grid has its own spreadsheet column; its cells
  // go there and nowhere else.
  std::vector<Int32> sheetCol(static_cast<size_t>(std::max(colCount, 0)), 0);
  Int32 next = kFirstCol;
  for (Int32 c = 0; c < colCount; ++c) {
    const TExcelShowRec show = getColumnFormat ? getColumnFormat(c) : TExcelShowRec();
    if (show.hidden) continue;
    const Int32 col = next++;
    // A grid wider than a sheet stops the export here, before any file is
    // touched.
    if (col > xls_MaxCol) xls->CheckCell(1, col);
    sheetCol[static_cast<size_t>(c)] = col;
    switch (show.fmt) {
      case ex_string: SetAColumnToStringFormat(xls.get(), col, show.HAlign); break;
      case ex_integer: SetAColumnToNumberFormat(xls.get(), col, 0); break;
      case ex_single: SetAColumnToNumberFormat(xls.get(), col, 2); break;
      case ex_percent: SetAColumnToPercentageFormat(xls.get(), col, 2); break;
    }
  }
  // So does a grid longer than a sheet.
  if (rowCount > 0 && next > kFirstCol)
    xls->CheckCell(static_cast<Int32>(std::min<Int64>(Int64{rowCount} - 1 + kDataRowOffset, xls_MaxRow + Int64{1})),
                   kFirstCol);

  TTimedYield yield;
  for (Int32 r = 0; r < rowCount && !yield.Stopped(); ++r) {
    const Int32 row = r + kDataRowOffset;
    for (Int32 c = 0; c < colCount; ++c) {
      const Int32 col = sheetCol[static_cast<size_t>(c)];
      if (col == 0) continue;
      const TExcelDataRec rec = getCellData ? getCellData(r, c) : TExcelDataRec();
      const TExcelShowRec& show = rec.cell_format;
      if (show.hidden) continue;
      SetACellFontSize(xls.get(), row, col, show.font_size);
      SetACellFontColour(xls.get(), row, col, show.font_colour);
      SetACellBackgroundColour(xls.get(), row, col, show.background_colour);
      switch (show.fmt) {
        case ex_string:
          EnsureAColumnWidthInChars(xls.get(), col, static_cast<Int32>(std::min<size_t>(rec.s.size(), 255)),
                                    show.min_colwidth);
          SetACellToHAndVAlignment(xls.get(), row, col, show.HAlign, show.VAlign);
          xls->SetCellValue(row, col, rec.s, -1);
          break;
        case ex_integer: xls->SetCellValue(row, col, rec.i, -1); break;
        case ex_single:
        case ex_percent: xls->SetCellValue(row, col, static_cast<Double>(rec.f), -1); break;
      }
    }
    yield.Tick();
  }
  WriteExcelTitleBlock(xls.get(), title, sheetName, note);
  AddExcelIcon(xls.get(), iconFile);
  SaveYielding(*xls, outputFile, yield);
}

String TextFromExcel(const String& fileName, const TExcelTextProgress&) {
  if (!FileExists(fileName)) return {};
  TXlsWorkbook xls(true);
  // The read and the text of each sheet yield as they go; a Stop ends them.
  TTimedYield yield;
  const auto tick = [&yield](size_t work) { return yield.Tick(work); };
  if (!xls.Open(fileName, tick)) return {};
  String result;
  for (Int32 s = 1; s <= xls.SheetCount() && !yield.Stopped(); ++s) {
    xls.SetActiveSheet(s);
    TMemoryStream text;
    xls.SaveAsText(&text, u'\t', TEncoding::Unicode(), tick);
    // The sheet's text is UTF-16LE after its mark: each line (ended by CR,
    // LF or both) trimmed, the empty ones left out.
    const size_t units = static_cast<size_t>(text.Size()) / sizeof(Char);
    String all(units, Char(0));
    if (units > 0) std::memcpy(all.data(), text.Memory(), units * sizeof(Char));
    size_t p = !all.empty() && all[0] == Char(0xFEFF) ? 1 : 0;
    while (p < all.size() && !yield.Stopped()) {
      size_t end = p;
      while (end < all.size() && all[end] != u'\r' && all[end] != u'\n') ++end;
      const String line = Trim(all.substr(p, end - p));
      if (!line.empty()) {
        result += line;
        result += u"\r\n";
      }
      yield.Tick(end - p + 1);
      p = end < all.size() ? end + 1 : end;
    }
    MyYieldProcess();
  }
  return result;
}

SK_COUNTER_ONLY_UNIT(Excel_utils)

}  // namespace sk
