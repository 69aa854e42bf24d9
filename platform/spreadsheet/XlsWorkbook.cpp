#include "platform/spreadsheet/XlsWorkbook.h"

#include <algorithm>
#include <string>
#include <utility>

#include "platform/runtime/Encoding.h"
#include "platform/runtime/Streams.h"
#include "platform/spreadsheet/XlsxReader.h"
#include "platform/spreadsheet/XlsxWriter.h"

namespace sk {

namespace {

// Largest picture file taken.
constexpr Int64 kMaxImageBytes = Int64{64} << 20;
constexpr Int32 kMaxColWidth = 255 * 256;

String Num(Int64 v) {
  std::string s = std::to_string(v);
  return String(s.begin(), s.end());
}

TExcelColor Rgb(Cardinal rgb) {
  // rgb as written in style sheets (0xRRGGBB) to the platform's order.
  const Cardinal r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
  return TExcelColor::FromColor(static_cast<TColor>(r | (g << 8) | (b << 16)));
}

Char AsciiUpper(Char c) { return c >= u'a' && c <= u'z' ? static_cast<Char>(c - 32) : c; }

bool SameNameIgnoringCase(const String& a, const String& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  return true;
}

// The first n UTF-16 units of s, not ending inside a surrogate pair.
String CutUnits(const String& s, size_t n) {
  if (s.size() <= n) return s;
  if (n > 0 && s[n - 1] >= 0xD800 && s[n - 1] <= 0xDBFF) --n;
  return s.substr(0, n);
}

// A text as one field of a delimited line.
void AppendField(String& line, const String& text, Char delimiter) {
  if (text.find_first_of(String{delimiter, u'\r', u'\n'}) == String::npos) {
    line += text;
    return;
  }
  line += u'"';
  for (Char c : text) {
    if (c == u'"') line += u'"';
    line += c;
  }
  line += u'"';
}

}  // namespace

TXlsWorkbook::TXlsWorkbook(bool) { NewFile(1); }

TXlsWorkbook::TXlsWorkbook(const String& fileName) {
  if (!Open(fileName)) throw EXlsError(u"Cannot read the spreadsheet \"" + fileName + u"\"");
}

TXlsWorkbook::TXlsWorkbook(const Char* fileName) : TXlsWorkbook(String(fileName != nullptr ? fileName : u"")) {}

TXlsWorkbook::~TXlsWorkbook() = default;

void TXlsWorkbook::NewFile(Int32 sheetCount, Int32) {
  if (sheetCount > xls_MaxSheets) throw EXlsError(u"Too many sheets: " + Num(sheetCount));
  sheetCount = std::max(sheetCount, 1);
  fSheets.clear();
  for (Int32 i = 0; i < sheetCount; ++i) {
    fSheets.push_back(std::make_unique<TXlsSheet>());
    fSheets.back()->Name = u"Sheet" + Num(i + 1);
  }
  fActive = 0;
  fFormats.clear();
  fFormatIndex.clear();
  AddFormat(TFlxFormat());
}

bool TXlsWorkbook::Open(const String& fileName, const TXlsReadProgress& progress) {
  std::vector<std::unique_ptr<TXlsSheet>> sheets;
  if (!ReadXlsx(fileName, sheets, progress) || sheets.empty()) {
    NewFile(1);
    return false;
  }
  NewFile(1);
  ReplaceSheets(std::move(sheets));
  return true;
}

void TXlsWorkbook::ReplaceSheets(std::vector<std::unique_ptr<TXlsSheet>> sheets) {
  if (sheets.empty()) return;
  fSheets = std::move(sheets);
  fActive = 0;
}

// ---- checks ------------------------------------------------------------------

void TXlsWorkbook::CheckRow(Int32 row) const {
  if (row < 1 || row > xls_MaxRow)
    throw EXlsError(u"Row " + Num(row) + u" is outside the sheet (1 to " + Num(xls_MaxRow) + u")");
}

void TXlsWorkbook::CheckCol(Int32 col) const {
  if (col < 1 || col > xls_MaxCol)
    throw EXlsError(u"Column " + Num(col) + u" is outside the sheet (1 to " + Num(xls_MaxCol) + u")");
}

void TXlsWorkbook::CheckCell(Int32 row, Int32 col) const {
  CheckRow(row);
  CheckCol(col);
}

void TXlsWorkbook::CheckFormat(Int32 xf) const {
  if (xf < -1 || xf >= FormatCount()) throw EXlsError(u"Invalid format index " + Num(xf));
}

// ---- sheets ------------------------------------------------------------------

void TXlsWorkbook::SetActiveSheet(Int32 sheet) {
  if (sheet < 1 || sheet > SheetCount()) throw EXlsError(u"Invalid sheet number " + Num(sheet));
  fActive = sheet - 1;
}

String TXlsWorkbook::SheetNameOf(Int32 sheet) const { return SheetData(sheet).Name; }

const TXlsSheet& TXlsWorkbook::SheetData(Int32 sheet) const {
  if (sheet < 1 || sheet > SheetCount()) throw EXlsError(u"Invalid sheet number " + Num(sheet));
  return *fSheets[static_cast<size_t>(sheet - 1)];
}

TXlsSheet& TXlsWorkbook::SheetData(Int32 sheet) {
  return const_cast<TXlsSheet&>(std::as_const(*this).SheetData(sheet));
}

String TXlsWorkbook::UniqueSheetName(const String& wanted, size_t except) const {
  // Characters a name may not hold, and those the file cannot hold in a name
  // (controls, U+FFFE, U+FFFF, a lone surrogate), become "_".
  String base;
  for (size_t i = 0; i < wanted.size(); ++i) {
    const Char c = wanted[i];
    const bool pair = c >= 0xD800 && c <= 0xDBFF && i + 1 < wanted.size() && wanted[i + 1] >= 0xDC00 && wanted[i + 1] <= 0xDFFF;
    if (pair) {
      base += c;
      base += wanted[++i];
      continue;
    }
    switch (c) {
      case u'[': case u']': case u':': case u'*': case u'?': case u'/': case u'\\': base += u'_'; break;
      default:
        base += c < 0x20 || c == 0xFFFE || c == 0xFFFF || (c >= 0xD800 && c <= 0xDFFF) ? u'_' : c;
    }
  }
  base = CutUnits(base, xls_MaxSheetNameLength);
  if (!base.empty() && base.front() == u'\'') base.front() = u'_';
  if (!base.empty() && base.back() == u'\'') base.back() = u'_';
  if (base.empty()) base = u"Sheet" + Num(static_cast<Int64>(except) + 1);
  auto taken = [&](const String& n) {
    for (size_t i = 0; i < fSheets.size(); ++i)
      if (i != except && SameNameIgnoringCase(fSheets[i]->Name, n)) return true;
    return false;
  };
  if (!taken(base)) return base;
  for (Int64 k = 2;; ++k) {
    const String suffix = u" (" + Num(k) + u")";
    String candidate = CutUnits(base, xls_MaxSheetNameLength - suffix.size());
    if (!candidate.empty() && candidate.back() == u'\'') candidate.back() = u'_';
    candidate += suffix;
    if (!taken(candidate)) return candidate;
  }
}

void TXlsWorkbook::SetSheetName(const String& name) { Sheet().Name = UniqueSheetName(name, static_cast<size_t>(fActive)); }

Int32 TXlsWorkbook::AddSheet() {
  if (SheetCount() >= xls_MaxSheets) throw EXlsError(u"Too many sheets: " + Num(SheetCount() + 1));
  fSheets.push_back(std::make_unique<TXlsSheet>());
  fSheets.back()->Name = UniqueSheetName(u"Sheet" + Num(SheetCount()), fSheets.size() - 1);
  return SheetCount();
}

// ---- values ------------------------------------------------------------------

void TXlsWorkbook::ApplyXF(Int32 row, Int32 col, Int32 xf) {
  CheckFormat(xf);
  if (xf >= 0) Sheet().SetCellFormat(row, col, xf);
}

void TXlsWorkbook::SetCellValue(Int32 row, Int32 col, const String& text, Int32 xf) {
  CheckCell(row, col);
  CheckFormat(xf);
  Sheet().SetString(row, col, text);
  ApplyXF(row, col, xf);
}

void TXlsWorkbook::SetCellValue(Int32 row, Int32 col, const Char* text, Int32 xf) {
  SetCellValue(row, col, String(text == nullptr ? u"" : text), xf);
}

void TXlsWorkbook::SetCellValue(Int32 row, Int32 col, Int32 value, Int32 xf) {
  SetCellValue(row, col, static_cast<double>(value), xf);
}

void TXlsWorkbook::SetCellValue(Int32 row, Int32 col, Int64 value, Int32 xf) {
  SetCellValue(row, col, static_cast<double>(value), xf);
}

void TXlsWorkbook::SetCellValue(Int32 row, Int32 col, double value, Int32 xf) {
  CheckCell(row, col);
  CheckFormat(xf);
  Sheet().SetNumber(row, col, value);
  ApplyXF(row, col, xf);
}

void TXlsWorkbook::SetCellValue(Int32 row, Int32 col, const TRichString& value, Int32 xf) {
  CheckCell(row, col);
  CheckFormat(xf);
  if (value.Runs.empty())
    Sheet().SetString(row, col, value.Value);
  else
    Sheet().SetRichString(row, col, value);
  ApplyXF(row, col, xf);
}

void TXlsWorkbook::SetCellBoolean(Int32 row, Int32 col, bool value, Int32 xf) {
  CheckCell(row, col);
  CheckFormat(xf);
  Sheet().SetBoolean(row, col, value);
  ApplyXF(row, col, xf);
}

void TXlsWorkbook::ClearCell(Int32 row, Int32 col) {
  CheckCell(row, col);
  Sheet().Clear(row, col);
}

void TXlsWorkbook::SetCellFromString(Int32 row, Int32 col, const String& text, Int32 xf) {
  SetCellValue(row, col, text, xf);
}

void TXlsWorkbook::SetCellFromHtml(Int32 row, Int32 col, const String& html, Int32 xf) {
  CheckCell(row, col);
  CheckFormat(xf);
  const TFlxFont base = fFormats[static_cast<size_t>(xf >= 0 ? xf : GetCellVisibleFormat(row, col))].Font;
  SetCellValue(row, col, XlsRichStringFromHtml(html, base), xf);
}

TCellValue TXlsWorkbook::GetCellValue(Int32 row, Int32 col) const {
  CheckCell(row, col);
  return Sheet().Value(row, col);
}

// ---- formats -----------------------------------------------------------------

const TFlxFormat& TXlsWorkbook::GetFormat(Int32 xf) const {
  if (xf < 0 || xf >= FormatCount()) throw EXlsError(u"Invalid format index " + Num(xf));
  return fFormats[static_cast<size_t>(xf)];
}

Int32 TXlsWorkbook::AddFormat(const TFlxFormat& format) {
  const size_t h = HashOf(format);
  auto [first, last] = fFormatIndex.equal_range(h);
  for (auto it = first; it != last; ++it)
    if (fFormats[static_cast<size_t>(it->second)] == format) return it->second;
  const Int32 index = FormatCount();
  fFormats.push_back(format);
  fFormatIndex.emplace(h, index);
  return index;
}

bool TXlsWorkbook::GetStyle(const String& name, TFlxFormat& format) const {
  TFlxFormat f = fFormats[0];
  const TExcelColor heading = Rgb(0x44546A);
  auto headingFont = [&](Int32 points) {
    f.Font.Size20 = points * 20;
    f.Font.Style = flx_Bold;
    f.Font.Color = heading;
  };
  if (name == u"Normal") {
  } else if (name == u"Good" || name == u"Bad" || name == u"Neutral") {
    const bool good = name == u"Good", bad = name == u"Bad";
    f.Font.Color = Rgb(good ? 0x006100 : bad ? 0x9C0006 : 0x9C5700);
    f.FillPattern.Pattern = fps_Solid;
    f.FillPattern.FgColor = Rgb(good ? 0xC6EFCE : bad ? 0xFFC7CE : 0xFFEB9C);
  } else if (name == u"Title") {
    f.Font.Name = u"Calibri Light";
    f.Font.Size20 = 18 * 20;
    f.Font.Color = heading;
  } else if (name == u"Heading 1") {
    headingFont(15);
    f.Borders.Bottom = {5, Rgb(0x4472C4)};
  } else if (name == u"Heading 2") {
    headingFont(13);
    f.Borders.Bottom = {5, Rgb(0xA2B8E1)};
  } else if (name == u"Heading 3") {
    headingFont(11);
    f.Borders.Bottom = {2, Rgb(0x8EA9DB)};
  } else if (name == u"Heading 4") {
    headingFont(11);
  } else if (name == u"Total") {
    f.Font.Style = flx_Bold;
    f.Borders.Top = {fbs_Thin, Rgb(0x4472C4)};
    f.Borders.Bottom = {6, Rgb(0x4472C4)};
  } else {
    return false;
  }
  format = f;
  return true;
}

Int32 TXlsWorkbook::GetCellFormat(Int32 row, Int32 col) const {
  CheckCell(row, col);
  return Sheet().CellFormat(row, col);
}

Int32 TXlsWorkbook::GetCellVisibleFormat(Int32 row, Int32 col) const {
  CheckCell(row, col);
  const Int32 xf = Sheet().VisibleFormat(row, col);
  return xf >= 0 ? xf : 0;
}

TFlxFormat TXlsWorkbook::GetCellVisibleFormatDef(Int32 row, Int32 col) const {
  return fFormats[static_cast<size_t>(GetCellVisibleFormat(row, col))];
}

void TXlsWorkbook::SetCellFormat(Int32 row, Int32 col, Int32 xf) {
  CheckCell(row, col);
  CheckFormat(xf);
  Sheet().SetCellFormat(row, col, xf);
}

void TXlsWorkbook::SetCellFormat(Int32 row1, Int32 col1, Int32 row2, Int32 col2, Int32 xf) {
  CheckCell(row1, col1);
  CheckCell(row2, col2);
  CheckFormat(xf);
  if (row1 > row2) std::swap(row1, row2);
  if (col1 > col2) std::swap(col1, col2);
  for (Int32 r = row1; r <= row2; ++r)
    for (Int32 c = col1; c <= col2; ++c) Sheet().SetCellFormat(r, c, xf);
}

void TXlsWorkbook::SetColFormat(Int32 col, Int32 xf) {
  CheckCol(col);
  CheckFormat(xf);
  Sheet().SetColFormat(col, xf);
}

void TXlsWorkbook::SetColsFormat(Int32 col1, Int32 col2, Int32 xf) {
  CheckCol(col1);
  CheckCol(col2);
  CheckFormat(xf);
  if (col1 > col2) std::swap(col1, col2);
  for (Int32 c = col1; c <= col2; ++c) Sheet().SetColFormat(c, xf);
}

void TXlsWorkbook::SetRowFormat(Int32 row, Int32 xf) {
  CheckRow(row);
  CheckFormat(xf);
  Sheet().SetRowFormat(row, xf);
}

Int32 TXlsWorkbook::GetColFormat(Int32 col) const {
  CheckCol(col);
  return Sheet().ColFormat(col);
}

Int32 TXlsWorkbook::GetRowFormat(Int32 row) const {
  CheckRow(row);
  return Sheet().RowFormat(row);
}

// ---- layout ------------------------------------------------------------------

void TXlsWorkbook::MergeCells(Int32 row1, Int32 col1, Int32 row2, Int32 col2) {
  CheckCell(row1, col1);
  CheckCell(row2, col2);
  if (row1 > row2) std::swap(row1, row2);
  if (col1 > col2) std::swap(col1, col2);
  if (row1 == row2 && col1 == col2) return;
  Sheet().Merge(TXlsCellRange{row1, col1, row2, col2});
}

Int32 TXlsWorkbook::GetColWidth(Int32 col) const {
  CheckCol(col);
  return Sheet().ColWidth(col);
}

void TXlsWorkbook::SetColWidth(Int32 col, Int32 width) {
  CheckCol(col);
  Sheet().SetColWidth(col, std::clamp(width, 0, kMaxColWidth));
}

bool TXlsWorkbook::AddImage(const TBytes& data, const TImageProperties& properties) {
  if (static_cast<Int64>(data.size()) > kMaxImageBytes) return false;
  TXlsImageInfo info = XlsProbeImage(data.data(), data.size());
  if (info.Type == TXlsImageInfo::Unknown) return false;
  const TClientAnchor& a = properties.Anchor;
  CheckCell(a.Row1, a.Col1);
  CheckCell(a.Row2, a.Col2);
  Sheet().AddImage(TXlsImage{data, properties, info});
  return true;
}

bool TXlsWorkbook::AddImage(TStream* data, const TImageProperties& properties) {
  if (data == nullptr) return false;
  const Int64 size = data->Size();
  if (size <= 0 || size > kMaxImageBytes) return false;
  TBytes bytes;
  data->SetPosition(0);
  try {
    bytes.resize(static_cast<size_t>(size));
    data->ReadBuffer(bytes.data(), size);
  } catch (const EReadError&) {
    return false;
  }
  return AddImage(bytes, properties);
}

// ---- output ------------------------------------------------------------------

void TXlsWorkbook::SaveAsText(TStream* stream, Char delimiter, TEncoding* encoding,
                              const TXlsSaveProgress& progress) const {
  if (encoding == nullptr) encoding = TEncoding::Unicode();
  const TBytes preamble = encoding->GetPreamble();
  if (!preamble.empty()) stream->WriteBuffer(preamble);
  const TXlsSheet& sheet = Sheet();
  const Int32 lastRow = sheet.LastValueRow();
  String line;
  Int32 nextRow = 1;
  auto flush = [&] {
    if (line.empty()) return;
    stream->WriteBuffer(encoding->GetBytes(line));
    line.clear();
  };
  for (const TXlsRow& r : sheet.Rows()) {
    if (r.Row > lastRow) break;
    for (; nextRow < r.Row; ++nextRow) line += u"\r\n";
    ++nextRow;
    size_t lastCell = r.Cells.size();
    while (lastCell > 0 && r.Cells[lastCell - 1].Kind == cvEmpty) --lastCell;
    Int32 col = 1;
    for (size_t i = 0; i < lastCell; ++i) {
      const TXlsCell& c = r.Cells[i];
      for (; col < c.Col; ++col) line += delimiter;
      AppendField(line, sheet.TextOf(c), delimiter);
    }
    line += u"\r\n";
    if (progress && progress(lastCell + 1)) break;
    if (line.size() > (1u << 16)) flush();
  }
  flush();
}

void TXlsWorkbook::Save(const String& fileName, const TXlsSaveProgress& progress) const {
  WriteXlsx(*this, fileName, progress);
}

}  // namespace sk
