#include "platform/spreadsheet/XlsSheet.h"

#include <cstdio>
#include <cmath>
#include <algorithm>
#include <cstring>
#include <utility>

namespace sk {

namespace {

// The pool is rebuilt once more than half of it, and at least this much, is
// left over from texts that were replaced.
constexpr UInt64 kPoolGarbageFloor = 1 << 20;

UInt64 DoubleBits(double v) {
  UInt64 b;
  std::memcpy(&b, &v, sizeof b);
  return b;
}

double BitsDouble(UInt64 b) {
  double v;
  std::memcpy(&v, &b, sizeof v);
  return v;
}

bool HasLoneSurrogate(const String& s) {
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] < 0xD800 || s[i] > 0xDFFF) continue;
    if (s[i] <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      ++i;
      continue;
    }
    return true;
  }
  return false;
}

bool Overlaps(const TXlsCellRange& a, const TXlsCellRange& b) {
  return a.Left <= b.Right && b.Left <= a.Right && a.Top <= b.Bottom && b.Top <= a.Bottom;
}

}  // namespace

// ---- rows and cells ----------------------------------------------------------

const TXlsRow* TXlsSheet::FindRow(Int32 row) const {
  if (fRows.empty() || row > fRows.back().Row) return nullptr;
  if (fRows.back().Row == row) return &fRows.back();
  auto it = std::lower_bound(fRows.begin(), fRows.end(), row, [](const TXlsRow& r, Int32 v) { return r.Row < v; });
  return it != fRows.end() && it->Row == row ? &*it : nullptr;
}

TXlsRow* TXlsSheet::FindRow(Int32 row) { return const_cast<TXlsRow*>(std::as_const(*this).FindRow(row)); }

TXlsRow& TXlsSheet::RowAt(Int32 row) {
  if (fRows.empty() || row > fRows.back().Row) {
    // Rows are mostly written one after the other: the row left behind gives
    // back what its cells' growth reserved, which would otherwise be most of
    // a large sheet's memory.
    if (!fRows.empty() && fRows.back().Cells.capacity() > fRows.back().Cells.size()) fRows.back().Cells.shrink_to_fit();
    fRows.push_back(TXlsRow{row, -1, {}});
    return fRows.back();
  }
  if (fRows.back().Row == row) return fRows.back();
  auto it = std::lower_bound(fRows.begin(), fRows.end(), row, [](const TXlsRow& r, Int32 v) { return r.Row < v; });
  if (it != fRows.end() && it->Row == row) return *it;
  return *fRows.insert(it, TXlsRow{row, -1, {}});
}

const TXlsCell* TXlsSheet::FindCell(Int32 row, Int32 col) const {
  const TXlsRow* r = FindRow(row);
  if (r == nullptr || r->Cells.empty() || col > r->Cells.back().Col) return nullptr;
  auto it = std::lower_bound(r->Cells.begin(), r->Cells.end(), col,
                             [](const TXlsCell& c, Int32 v) { return c.Col < v; });
  return it != r->Cells.end() && it->Col == col ? &*it : nullptr;
}

TXlsCell& TXlsSheet::CellAt(Int32 row, Int32 col) {
  std::vector<TXlsCell>& cells = RowAt(row).Cells;
  if (cells.empty() || col > cells.back().Col) {
    TXlsCell c;
    c.Col = static_cast<Word>(col);
    cells.push_back(c);
    ++fCellCount;
    return cells.back();
  }
  auto it = std::lower_bound(cells.begin(), cells.end(), col, [](const TXlsCell& c, Int32 v) { return c.Col < v; });
  if (it != cells.end() && it->Col == col) return *it;
  TXlsCell c;
  c.Col = static_cast<Word>(col);
  ++fCellCount;
  return *cells.insert(it, c);
}

// ---- texts -------------------------------------------------------------------

UInt64 TXlsSheet::AddText(const String& s) {
  const UInt64 index = fStarts.size();
  fStarts.push_back(fPool.size());
  fPool += StringToUtf8(XlsCutText(s));
  fPool.push_back('\0');
  return index;
}

std::string_view TXlsSheet::Utf8Of(const TXlsCell& cell) const {
  const UInt64 i = cell.Bits;
  const UInt64 start = fStarts[i];
  const UInt64 end = i + 1 < fStarts.size() ? fStarts[i + 1] : fPool.size();
  return std::string_view(fPool.data() + start, end - start - 1);
}

void TXlsSheet::Release(TXlsCell& cell) {
  if (cell.Kind == cvString || cell.Kind == cvError) {
    fPoolGarbage += Utf8Of(cell).size() + 1;
  } else if (cell.Kind == cvRichString) {
    fRich[cell.Bits] = TRichString();
  }
  cell.Kind = cvEmpty;
  cell.Bits = 0;
  cell.ShownAs = xls_ShownAsNumber;
}

void TXlsSheet::CompactPool() {
  std::string pool;
  std::vector<UInt64> starts;
  pool.reserve(fPool.size() - fPoolGarbage);
  for (TXlsRow& r : fRows)
    for (TXlsCell& c : r.Cells) {
      if (c.Kind != cvString && c.Kind != cvError) continue;
      std::string_view text = Utf8Of(c);
      c.Bits = starts.size();
      starts.push_back(pool.size());
      pool.append(text);
      pool.push_back('\0');
    }
  fPool.swap(pool);
  fStarts.swap(starts);
  fPoolGarbage = 0;
}

// ---- values ------------------------------------------------------------------

void TXlsSheet::SetNumber(Int32 row, Int32 col, double v) {
  TXlsCell& c = CellAt(row, col);
  Release(c);
  c.Kind = cvNumber;
  c.Bits = DoubleBits(v);
}

void TXlsSheet::SetString(Int32 row, Int32 col, const String& s) {
  // The pool keeps UTF-8, which has no form for a lone surrogate: a text
  // holding one is kept as given, as a rich string of no runs.
  if (HasLoneSurrogate(s)) {
    SetRichString(row, col, TRichString(s));
    return;
  }
  TXlsCell& c = CellAt(row, col);
  Release(c);
  c.Bits = AddText(s);
  c.Kind = cvString;
  if (fPoolGarbage > kPoolGarbageFloor && fPoolGarbage > fPool.size() / 2) CompactPool();
}

void TXlsSheet::SetBoolean(Int32 row, Int32 col, bool b) {
  TXlsCell& c = CellAt(row, col);
  Release(c);
  c.Kind = cvBoolean;
  c.Bits = b ? 1 : 0;
}

void TXlsSheet::SetError(Int32 row, Int32 col, const String& code) {
  TXlsCell& c = CellAt(row, col);
  Release(c);
  c.Bits = AddText(code);
  c.Kind = cvError;
}

void TXlsSheet::SetRichString(Int32 row, Int32 col, const TRichString& rs) {
  TXlsCell& c = CellAt(row, col);
  Release(c);
  TRichString cut;
  cut.Value = XlsCutText(rs.Value);
  for (const TRTFRun& run : rs.Runs)
    if (run.FirstChar >= 0 && static_cast<size_t>(run.FirstChar) < cut.Value.size() &&
        (cut.Runs.empty() || run.FirstChar > cut.Runs.back().FirstChar))
      cut.Runs.push_back(run);
  c.Bits = fRich.size();
  fRich.push_back(std::move(cut));
  c.Kind = cvRichString;
}

void TXlsSheet::Clear(Int32 row, Int32 col) {
  TXlsRow* r = FindRow(row);
  if (r == nullptr) return;
  auto it = std::lower_bound(r->Cells.begin(), r->Cells.end(), col,
                             [](const TXlsCell& c, Int32 v) { return c.Col < v; });
  if (it != r->Cells.end() && it->Col == col) Release(*it);
}

TCellValue TXlsSheet::ValueOf(const TXlsCell& c) const {
  switch (c.Kind) {
    case cvNumber: return TCellValue::FromNumber(BitsDouble(c.Bits));
    case cvString: {
      std::string_view u = Utf8Of(c);
      return TCellValue::FromString(Utf8ToString(u.data(), u.size()));
    }
    case cvBoolean: return TCellValue::FromBoolean(c.Bits != 0);
    case cvError: {
      std::string_view u = Utf8Of(c);
      return TCellValue::FromError(Utf8ToString(u.data(), u.size()));
    }
    case cvRichString: return TCellValue::FromRichString(fRich[c.Bits]);
    default: return {};
  }
}

void TXlsSheet::SetShownAs(Int32 row, Int32 col, Byte shownAs) {
  auto* c = const_cast<TXlsCell*>(FindCell(row, col));  // this sheet is not const here
  if (c != nullptr && c->Kind == cvNumber && shownAs <= xls_ShownAsElapsed) c->ShownAs = shownAs;
}

Byte TXlsSheet::ShownAs(Int32 row, Int32 col) const {
  const TXlsCell* c = FindCell(row, col);
  return c == nullptr || c->Kind != cvNumber ? xls_ShownAsNumber : c->ShownAs;
}

String TXlsSheet::TextOf(const TXlsCell& c) const {
  if (c.Kind != cvNumber || c.ShownAs == xls_ShownAsNumber) return ValueOf(c).AsString().Value;
  const double v = BitsDouble(c.Bits);
  // Whole seconds from 1899-12-30, rounded: a time stored as a fraction of a
  // day is seldom exact (13:45:30 is 0.57326388...).
  if (!std::isfinite(v) || std::fabs(v) > 2958466.0) return ValueOf(c).AsString().Value;
  const Int64 secs = static_cast<Int64>(std::llround(v * 86400.0));
  Int64 day = secs / 86400, sod = secs % 86400;
  if (sod < 0) {
    sod += 86400;
    --day;
  }
  char buf[48];
  String r;
  if (c.ShownAs == xls_ShownAsElapsed) {
    const Int64 all = secs < 0 ? -secs : secs;
    std::snprintf(buf, sizeof buf, "%s%lld:%02lld:%02lld", secs < 0 ? "-" : "", static_cast<long long>(all / 3600),
                  static_cast<long long>(all / 60 % 60), static_cast<long long>(all % 60));
    return Utf8ToString(std::string(buf));
  }
  if (c.ShownAs != xls_ShownAsTime) {
    // Civil date of the day (days from 1899-12-30 = days from 1970-01-01 + 25569).
    const Int64 z = day - 25569 + 719468;
    const Int64 era = (z >= 0 ? z : z - 146096) / 146097;
    const Int64 doe = z - era * 146097;
    const Int64 yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const Int64 doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const Int64 mp = (5 * doy + 2) / 153;
    const Int64 d = doy - (153 * mp + 2) / 5 + 1;
    const Int64 m = mp < 10 ? mp + 3 : mp - 9;
    const Int64 y = yoe + era * 400 + (m <= 2 ? 1 : 0);
    std::snprintf(buf, sizeof buf, "%04lld/%02lld/%02lld", static_cast<long long>(y), static_cast<long long>(m),
                  static_cast<long long>(d));
    r += Utf8ToString(std::string(buf));
  }
  if (c.ShownAs != xls_ShownAsDate) {
    std::snprintf(buf, sizeof buf, "%02lld:%02lld:%02lld", static_cast<long long>(sod / 3600),
                  static_cast<long long>(sod / 60 % 60), static_cast<long long>(sod % 60));
    if (!r.empty()) r += u' ';
    r += Utf8ToString(std::string(buf));
  }
  return r;
}

TCellValue TXlsSheet::Value(Int32 row, Int32 col) const {
  const TXlsCell* c = FindCell(row, col);
  return c == nullptr ? TCellValue() : ValueOf(*c);
}

Int32 TXlsSheet::LastValueRow() const {
  for (auto it = fRows.rbegin(); it != fRows.rend(); ++it)
    for (const TXlsCell& c : it->Cells)
      if (c.Kind != cvEmpty) return it->Row;
  return 0;
}

// ---- formats -----------------------------------------------------------------

void TXlsSheet::SetCellFormat(Int32 row, Int32 col, Int32 xf) { CellAt(row, col).XF = xf; }

Int32 TXlsSheet::CellFormat(Int32 row, Int32 col) const {
  const TXlsCell* c = FindCell(row, col);
  return c == nullptr ? -1 : c->XF;
}

void TXlsSheet::SetRowFormat(Int32 row, Int32 xf) { RowAt(row).XF = xf; }

Int32 TXlsSheet::RowFormat(Int32 row) const {
  const TXlsRow* r = FindRow(row);
  return r == nullptr ? -1 : r->XF;
}

void TXlsSheet::SetColFormat(Int32 col, Int32 xf) { fCols[col].XF = xf; }

Int32 TXlsSheet::ColFormat(Int32 col) const {
  auto it = fCols.find(col);
  return it == fCols.end() ? -1 : it->second.XF;
}

Int32 TXlsSheet::VisibleFormat(Int32 row, Int32 col) const {
  const TXlsRow* r = FindRow(row);
  if (r != nullptr) {
    auto it = std::lower_bound(r->Cells.begin(), r->Cells.end(), col,
                               [](const TXlsCell& c, Int32 v) { return c.Col < v; });
    if (it != r->Cells.end() && it->Col == col && it->XF >= 0) return it->XF;
    if (r->XF >= 0) return r->XF;
  }
  return ColFormat(col);
}

void TXlsSheet::SetColWidth(Int32 col, Int32 width) { fCols[col].Width = width; }

Int32 TXlsSheet::ColWidth(Int32 col) const {
  auto it = fCols.find(col);
  return it == fCols.end() || it->second.Width < 0 ? xls_DefaultColWidth : it->second.Width;
}

// ---- merges ------------------------------------------------------------------

namespace {

// Rows per band of the merge index.
constexpr Int32 kMergeBandShift = 4;

Int32 BandOf(Int32 row) { return row >> kMergeBandShift; }

}  // namespace

void TXlsSheet::IndexMerge(Cardinal slot) {
  const TXlsCellRange& m = fMergeSlots[slot];
  for (Int32 b = BandOf(m.Top); b <= BandOf(m.Bottom); ++b) fMergeBands[b].push_back(slot);
}

void TXlsSheet::Merge(const TXlsCellRange& range) {
  TXlsCellRange u = range;
  // Swallow every merged range the new one touches, until none is left: the
  // union may reach ranges that the first one did not.  Only the bands of
  // rows the union covers can hold such ranges.
  for (bool grew = true; grew;) {
    grew = false;
    for (Int32 b = BandOf(u.Top); b <= BandOf(u.Bottom); ++b) {
      auto band = fMergeBands.find(b);
      if (band == fMergeBands.end()) continue;
      std::vector<Cardinal>& slots = band->second;
      size_t kept = 0;
      for (const Cardinal slot : slots) {
        if (fMergeDead[slot]) continue;
        const TXlsCellRange& m = fMergeSlots[slot];
        if (Overlaps(u, m)) {
          u.Top = std::min(u.Top, m.Top);
          u.Left = std::min(u.Left, m.Left);
          u.Bottom = std::max(u.Bottom, m.Bottom);
          u.Right = std::max(u.Right, m.Right);
          fMergeDead[slot] = true;
          ++fDeadMerges;
          grew = true;
          continue;
        }
        slots[kept++] = slot;
      }
      slots.resize(kept);
      if (slots.empty()) fMergeBands.erase(band);
    }
  }
  fMergeSlots.push_back(u);
  fMergeDead.push_back(false);
  IndexMerge(static_cast<Cardinal>(fMergeSlots.size() - 1));
  fMergesStale = true;
  if (fDeadMerges > 1024 && fDeadMerges > fMergeSlots.size() / 2) CompactMerges();
}

void TXlsSheet::CompactMerges() {
  std::vector<TXlsCellRange> live;
  live.reserve(fMergeSlots.size() - fDeadMerges);
  for (size_t i = 0; i < fMergeSlots.size(); ++i)
    if (!fMergeDead[i]) live.push_back(fMergeSlots[i]);
  fMergeSlots.swap(live);
  fMergeDead.assign(fMergeSlots.size(), false);
  fDeadMerges = 0;
  fMergeBands.clear();
  for (size_t i = 0; i < fMergeSlots.size(); ++i) IndexMerge(static_cast<Cardinal>(i));
}

const std::vector<TXlsCellRange>& TXlsSheet::Merges() const {
  if (fMergesStale) {
    fMerges.clear();
    for (size_t i = 0; i < fMergeSlots.size(); ++i)
      if (!fMergeDead[i]) fMerges.push_back(fMergeSlots[i]);
    fMergesStale = false;
  }
  return fMerges;
}

}  // namespace sk
