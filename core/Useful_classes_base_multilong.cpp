#include "core/Useful_classes_base_multilong.h"

#include "core/Basic_processes.h"
#include "core/Comparing_types.h"
#include "core/Global_vars.h"
#include "core/Useful_classes_base_raw.h"

namespace sk {

// ---- TMultiLongintHolder -------------------------------------------------------------------

bool TMultiLongintHolder::LengthOK(TMultiLongintSize col) const {
  return data.dados.size() > static_cast<size_t>(col);
}

bool TMultiLongintHolder::ReadFromStream(TStream* stream) {
  const Int32 width = global_temp_int > 0 ? global_temp_int : 0;
  data.dados.assign(static_cast<size_t>(width), 0);
  for (Int32& v : data.dados)
    if (!raw_detail::ReadInt32(stream, v)) return false;
  return true;
}

bool TMultiLongintHolder::SaveToStream(TStream* stream) {
  for (Int32 v : data.dados)
    if (!raw_detail::WriteInt32(stream, v)) return false;
  return true;
}

// ---- TMultiLongintList -------------------------------------------------------------------

TMultiLongintList::TMultiLongintList(TUsefulBaseListObjectClass entriesClass, TMultiLongintSize width)
    : TUsefulBaseListSorts(entriesClass), tamanho(width) {}

TMultiLongintList::TMultiLongintList(TMultiLongintSize width)
    : TMultiLongintList(&NewUsefulBaseListObject<TMultiLongintHolder>, width) {}

TMultiLongintHolder* TMultiLongintList::Row(Int32 i) const { return static_cast<TMultiLongintHolder*>(Items(i)); }

TMultiLongintRec TMultiLongintList::RowOf(const std::vector<Int32>& values) const {
  TMultiLongintRec row;
  row.dados.assign(static_cast<size_t>(tamanho), 0);
  for (size_t k = 0; k < row.dados.size() && k < values.size(); ++k) row.dados[k] = values[k];
  return row;
}

Int32 TMultiLongintList::AddOne(const std::vector<Int32>& values) {
  const Int32 i = AddItem(std::make_unique<TMultiLongintHolder>(RowOf(values)));
  CheckOrderAround(i);
  return i;
}

Int32 TMultiLongintList::InsertOne(Int32 i, const std::vector<Int32>& values) {
  InsertItem(i, std::make_unique<TMultiLongintHolder>(RowOf(values)));
  CheckOrderAround(i);
  return i;
}

// The cell at row i and column col, or nil when there is none; the row is
// looked up once.
Int32* TMultiLongintList::Cell(Int32 i, TMultiLongintSize col) const {
  TMultiLongintHolder* row = Row(i);
  if (row == nullptr || !row->LengthOK(col)) return nullptr;
  return &row->data.dados[static_cast<size_t>(col)];
}

bool TMultiLongintList::WithinRange(Int32 i, TMultiLongintSize col) const { return Cell(i, col) != nullptr; }

Int32 TMultiLongintList::GetAValue(Int32 i, TMultiLongintSize col) const {
  const Int32* cell = Cell(i, col);
  return cell != nullptr ? *cell : MultiLongintNoValue;
}

void TMultiLongintList::SetAValue(Int32 i, TMultiLongintSize col, Int32 v) {
  Int32* cell = Cell(i, col);
  if (cell == nullptr) return;
  *cell = v;
  if (col == fSortedOn) CheckOrderAround(i);
}

void TMultiLongintList::AddToOneFreq(Int32 i, Int32 delta, TMultiLongintSize col) {
  Int32* cell = Cell(i, col);
  if (cell == nullptr) return;
  Int32& v = *cell;
  v = static_cast<Int32>(static_cast<uint32_t>(v) + static_cast<uint32_t>(delta));
  if (col == fSortedOn) CheckOrderAround(i);
}

void TMultiLongintList::IncOne(Int32 i, TMultiLongintSize col) { AddToOneFreq(i, 1, col); }

Int32 TMultiLongintList::Find(Int32 value, TMultiLongintSize col) {
  nearest = -1;
  Int32 lo = 0;
  Int32 hi = Count() - 1;
  TTimedYield yield;
  while (lo <= hi) {
    yield.Tick();
    const Int32 mid = lo + (hi - lo) / 2;
    nearest = mid;
    const Int32 c = CompareLongints(GetAValue(mid, col), value);
    if (c == 0) return mid;
    if (c > 0)
      hi = mid - 1;
    else
      lo = mid + 1;
  }
  return -1;
}

Int32 TMultiLongintList::IndexOf(Int32 value, TMultiLongintSize col) {
  if (Count() == 0 || !WithinRange(0, col)) return -1;
  if (sorted && col == fSortedOn) return Find(value, col);
  TTimedYield yield;
  for (Int32 i = 0; i < Count(); ++i) {
    yield.Tick();
    const Int32* cell = Cell(i, col);
    if (cell != nullptr && *cell == value) return i;
  }
  return -1;
}

Int32 TMultiLongintList::KeyOrder(Int32 i, Int32 j) {
  return CompareLongints(GetAValue(i, fSortedOn), GetAValue(j, fSortedOn));
}

void TMultiLongintList::SortOnColumns(const std::vector<TMultiLongintSize>& cols) {
  auto valueOf = [](Pointer item, TMultiLongintSize col) -> Int32 {
    const auto* row = static_cast<const TMultiLongintHolder*>(static_cast<TUsefulBaseListObject*>(item));
    if (row == nullptr || !row->LengthOK(col)) return MultiLongintNoValue;
    return row->data.dados[static_cast<size_t>(col)];
  };
  // Lookups by halving use the first column from now on; Sort checks the
  // order on it before marking the list.
  fSortedOn = cols.empty() ? tml_0 : cols.front();
  Sort([&](Pointer a, Pointer b) -> Int32 {
    for (TMultiLongintSize col : cols) {
      const Int32 c = CompareLongints(valueOf(a, col), valueOf(b, col));
      if (c != 0) return c;
    }
    return 0;
  });
}

void TMultiLongintList::SingleSort(TMultiLongintSize col1) { SortOnColumns({col1}); }

void TMultiLongintList::DoubleSort(TMultiLongintSize col1, TMultiLongintSize col2) { SortOnColumns({col1, col2}); }

void TMultiLongintList::TripleSort(TMultiLongintSize col1, TMultiLongintSize col2, TMultiLongintSize col3) {
  SortOnColumns({col1, col2, col3});
}

std::vector<Int32> TMultiLongintList::ToArrayOfInteger(TMultiLongintSize col) const {
  std::vector<Int32> out;
  out.reserve(static_cast<size_t>(Count()));
  for (Int32 i = 0; i < Count(); ++i) out.push_back(GetAValue(i, col));
  return out;
}

Int32 TMultiLongintList::TotalOf(TMultiLongintSize col) const {
  if (col >= tamanho) return 0;
  uint32_t sum = 0;
  for (Int32 i = 0; i < Count(); ++i)
    if (const Int32* cell = Cell(i, col)) sum += static_cast<uint32_t>(*cell);
  return static_cast<Int32>(sum);
}

bool TMultiLongintList::SameValues(const std::vector<Int32>& a, const std::vector<Int32>& b) { return a == b; }

bool TMultiLongintList::ReadFromStream(TStream* stream) {
  global_temp_int = static_cast<Int32>(tamanho);
  return TUsefulBaseListSorts::ReadFromStream(stream);
}

}  // namespace sk
