#include "core/Useful_classes_base_numeric.h"

#include <cmath>
#include <limits>
#include <utility>

#include "core/Basic_processes.h"
#include "core/Comparing_types.h"
#include "core/Global_vars.h"
#include "core/Useful_classes_base_compare.h"

namespace sk {

namespace {

// The record held by a list item passed to a comparer; a cleared record for
// an empty slot.
template <class THolder>
auto HeldData(Pointer item) -> decltype(THolder{}.data) {
  if (item == nullptr) return {};
  return static_cast<const THolder*>(static_cast<TUsefulBaseListObject*>(item))->data;
}

// Search by halving over count items: itemVsValue(mid) compares item mid with
// the value sought. Yields on every probe; records each probe in *nearest
// when given.
template <class F>
Int32 Halving(Int32 count, F itemVsValue, Int32* nearest) {
  Int32 lo = 0;
  Int32 hi = count - 1;
  while (lo <= hi) {
    MyYieldProcess();
    const Int32 mid = lo + (hi - lo) / 2;
    if (nearest != nullptr) *nearest = mid;
    const Int32 c = itemVsValue(mid);
    if (c >= 0) {
      if (c == 0) return mid;
      hi = mid - 1;
    } else {
      lo = mid + 1;
    }
  }
  return -1;
}

// The first index whose item matches, scanning from 0 and yielding before
// each item.
template <class F>
Int32 YieldingScan(Int32 count, F matches) {
  for (Int32 i = 0; i < count; ++i) {
    MyYieldProcess();
    if (matches(i)) return i;
  }
  return -1;
}

// The first index whose item matches, without yielding.
template <class F>
Int32 PlainScan(Int32 count, F matches) {
  for (Int32 i = 0; i < count; ++i)
    if (matches(i)) return i;
  return -1;
}

// v rounded to single precision as the hardware rounds it, with values beyond
// the largest Single going to infinity (a plain conversion would be undefined
// there).
Single RoundedToSingle(Double v) {
  constexpr Double maxSingle = std::numeric_limits<Single>::max();
  // Half a unit in the last place of the largest Single: from there on, the
  // nearest value is infinity.
  constexpr Double limit = maxSingle + 0x1p103;
  if (std::isfinite(v) && std::fabs(v) > maxSingle) {
    const Single magnitude =
        std::fabs(v) < limit ? std::numeric_limits<Single>::max() : std::numeric_limits<Single>::infinity();
    return v > 0 ? magnitude : -magnitude;
  }
  return static_cast<Single>(v);
}

Double AsStoredDouble(Double v) { return static_cast<Double>(RoundedToSingle(v)); }

Int32 SortSinglesItems(Pointer a, Pointer b) {
  return CompareSingles(HeldData<TSingleHolder>(a), HeldData<TSingleHolder>(b));
}
Int32 SortDoublesItems(Pointer a, Pointer b) {
  return CompareDoubles(HeldData<TDoubleHolder>(a), HeldData<TDoubleHolder>(b));
}
Int32 Sort2LongintAndSingles(Pointer a, Pointer b) {
  return CompareSingles(HeldData<T2LongIntAndSingleHolder>(a).s, HeldData<T2LongIntAndSingleHolder>(b).s);
}
Int32 Sort3LongintAndSingles(Pointer a, Pointer b) {
  return CompareSingles(HeldData<T3LongIntAndSingleHolder>(a).s, HeldData<T3LongIntAndSingleHolder>(b).s);
}
Int32 SortCardinalAndFreqOnC(Pointer a, Pointer b) {
  return CompareCardinals(HeldData<TCardinalAndFreqHolder>(a).c, HeldData<TCardinalAndFreqHolder>(b).c);
}
Int32 SortCardinalAndFreqOnF(Pointer a, Pointer b) {
  if (global_reversed_sort) std::swap(a, b);
  return CompareLongints(HeldData<TCardinalAndFreqHolder>(a).f, HeldData<TCardinalAndFreqHolder>(b).f);
}

}  // namespace

// ---- item comparers ---------------------------------------------------------------------------

Int32 SortCardinals(Pointer Item1, Pointer Item2) {
  return CompareCardinals(HeldData<TCardinalHolder>(Item1), HeldData<TCardinalHolder>(Item2));
}

Int32 SortLongints(Pointer Item1, Pointer Item2) {
  return CompareLongints(HeldData<TLongIntHolder>(Item1), HeldData<TLongIntHolder>(Item2));
}

Int32 SortInt64s(Pointer Item1, Pointer Item2) {
  return CompareInt64s(HeldData<TInt64Holder>(Item1), HeldData<TInt64Holder>(Item2));
}

Int32 SortIntAndSingles(Pointer Item1, Pointer Item2) {
  return CompareSingles(HeldData<TIntegerAndSingleHolder>(Item1).s, HeldData<TIntegerAndSingleHolder>(Item2).s);
}

Int32 SortIntegerAnd3CardinalsFreq(Pointer Item1, Pointer Item2) {
  return CompareIntAnd3CardinalsFreq(HeldData<TIntegerAnd3CardinalsHolder>(Item1),
                                     HeldData<TIntegerAnd3CardinalsHolder>(Item2));
}

// ---- TCardinalList ----------------------------------------------------------------------------

TCardinalList::TCardinalList() : TUsefulBaseListSorts(&NewUsefulBaseListObject<TCardinalHolder>) {}

Int32 TCardinalList::AddOne(Cardinal value) {
  const Int32 i = AddItem(std::make_unique<TCardinalHolder>(value));
  CheckOrderAround(i);
  return i;
}

Int32 TCardinalList::InsertOne(Int32 i, Cardinal value) {
  InsertItem(i, std::make_unique<TCardinalHolder>(value));
  CheckOrderAround(i);
  return i;
}

Cardinal TCardinalList::GetAValue(Int32 i) const {
  const auto* h = static_cast<const TCardinalHolder*>(Items(i));
  return h != nullptr ? h->data : 0;
}

Int32 TCardinalList::ComparedValues(Int32 i, Int32 j) { return CompareCardinals(GetAValue(i), GetAValue(j)); }

Int32 TCardinalList::Find(Cardinal value) {
  return Halving(Count(), [&](Int32 mid) { return CompareCardinals(GetAValue(mid), value); }, nullptr);
}

Int32 TCardinalList::IndexOF(Cardinal value) {
  if (sorted) return Find(value);
  return YieldingScan(Count(), [&](Int32 i) { return IndexAssignedOK(i) && GetAValue(i) == value; });
}

void TCardinalList::SortAscendingDefault() { Sort(SortCardinals); }

// ---- TQMInt64List -----------------------------------------------------------------------------

TQMInt64List::TQMInt64List() : TUsefulBaseListSorts(&NewUsefulBaseListObject<TInt64Holder>) {}

Int32 TQMInt64List::AddOne(Int64 value) {
  if (!sorted || Count() == 0) {
    const Int32 i = AddItem(std::make_unique<TInt64Holder>(value));
    CheckOrderAround(i);
    return i;
  }
  Int32 at = FindInSorted(value);
  if (at < 0) {
    if (nearest >= 0)
      at = GetAValue(nearest) <= value ? nearest + 1 : nearest;
    else
      at = Count();
  }
  return InsertItem(at, std::make_unique<TInt64Holder>(value));
}

Int64 TQMInt64List::GetAValue(Int32 i) const {
  const auto* h = static_cast<const TInt64Holder*>(Items(i));
  return h != nullptr ? h->data : -1;
}

Int32 TQMInt64List::ComparedValues(Int32 i, Int32 j) { return CompareInt64s(GetAValue(i), GetAValue(j)); }

Int32 TQMInt64List::FindInSorted(Int64 value) {
  nearest = -1;
  return Halving(Count(), [&](Int32 mid) { return CompareInt64s(GetAValue(mid), value); }, &nearest);
}

Int32 TQMInt64List::IndexOF(Int64 value) {
  if (sorted) return FindInSorted(value);
  return YieldingScan(Count(), [&](Int32 i) { return IndexAssignedOK(i) && GetAValue(i) == value; });
}

void TQMInt64List::SortAscendingDefault() { Sort(SortInt64s); }

// ---- TSinglesList -----------------------------------------------------------------------------

TSinglesList::TSinglesList() : TUsefulBaseListSorts(&NewUsefulBaseListObject<TSingleHolder>) {}

Int32 TSinglesList::AddOne(Single value) {
  const Int32 i = AddItem(std::make_unique<TSingleHolder>(value));
  CheckOrderAround(i);
  return i;
}

Int32 TSinglesList::InsertOne(Int32 i, Single value) {
  InsertItem(i, std::make_unique<TSingleHolder>(value));
  CheckOrderAround(i);
  return i;
}

Single TSinglesList::GetAValue(Int32 i) const {
  const auto* h = static_cast<const TSingleHolder*>(Items(i));
  return h != nullptr ? h->data : 0.0f;
}

Int32 TSinglesList::ComparedValues(Int32 i, Int32 j) { return CompareSingles(GetAValue(i), GetAValue(j)); }

Int32 TSinglesList::Find(Single value) {
  return Halving(Count(), [&](Int32 mid) { return CompareSingles(GetAValue(mid), value); }, nullptr);
}

Int32 TSinglesList::IndexOF(Single value) {
  if (sorted) return Find(value);
  return YieldingScan(Count(), [&](Int32 i) { return IndexAssignedOK(i) && GetAValue(i) == value; });
}

void TSinglesList::SortAscendingDefault() { Sort(SortSinglesItems); }

// ---- TDoublesList -----------------------------------------------------------------------------

TDoublesList::TDoublesList() : TUsefulBaseListSorts(&NewUsefulBaseListObject<TDoubleHolder>) {}

Int32 TDoublesList::AddOne(Double value) {
  const Int32 i = AddItem(std::make_unique<TDoubleHolder>(RoundedToSingle(value)));
  CheckOrderAround(i);
  return i;
}

Int32 TDoublesList::InsertOne(Int32 i, Double value) {
  InsertItem(i, std::make_unique<TDoubleHolder>(RoundedToSingle(value)));
  CheckOrderAround(i);
  return i;
}

Double TDoublesList::GetAValue(Int32 i) const {
  const auto* h = static_cast<const TDoubleHolder*>(Items(i));
  return h != nullptr ? h->data : 0.0;
}

Int32 TDoublesList::ComparedValues(Int32 i, Int32 j) { return CompareDoubles(GetAValue(i), GetAValue(j)); }

Int32 TDoublesList::Find(Double value) {
  const Double v = AsStoredDouble(value);
  return Halving(Count(), [&](Int32 mid) { return CompareDoubles(GetAValue(mid), v); }, nullptr);
}

Int32 TDoublesList::IndexOF(Double value) {
  if (sorted) return Find(value);
  const Double v = AsStoredDouble(value);
  return YieldingScan(Count(), [&](Int32 i) { return IndexAssignedOK(i) && GetAValue(i) == v; });
}

void TDoublesList::SortAscendingDefault() { Sort(SortDoublesItems); }

bool TDoublesList::ReadFromStream(TStream* stream) {
  const Int32 first = Count();
  const bool ok = TUsefulBaseListSorts::ReadFromStream(stream);
  // Rounding keeps ascending values ascending, so the sorted mark stays right.
  for (Int32 i = first; i < Count(); ++i)
    if (auto* h = static_cast<TDoubleHolder*>(Items(i))) h->data = AsStoredDouble(h->data);
  return ok;
}

// ---- TIntegerAndSingleList --------------------------------------------------------------------

TIntegerAndSingleList::TIntegerAndSingleList()
    : TUsefulBaseListSorts(&NewUsefulBaseListObject<TIntegerAndSingleHolder>) {}

Int32 TIntegerAndSingleList::AddOne(const TIntegerAndSingleRec& rec) {
  return AddItem(std::make_unique<TIntegerAndSingleHolder>(rec));
}

TIntegerAndSingleRec TIntegerAndSingleList::GetOne(Int32 i) const {
  const auto* h = static_cast<const TIntegerAndSingleHolder*>(Items(i));
  return h != nullptr ? h->data : TIntegerAndSingleRec{};
}

void TIntegerAndSingleList::SetOne(Int32 i, const TIntegerAndSingleRec& rec) {
  if (auto* h = static_cast<TIntegerAndSingleHolder*>(Items(i))) h->data = rec;
}

Int32 TIntegerAndSingleList::IndexOfInteger(Int32 n) const {
  return PlainScan(Count(), [&](Int32 i) { return IndexAssignedOK(i) && GetOne(i).int_ == n; });
}

Int32 TIntegerAndSingleList::IndexOfSingle(Single f) const {
  return PlainScan(Count(), [&](Int32 i) { return IndexAssignedOK(i) && GetOne(i).s == f; });
}

void TIntegerAndSingleList::SortAscendingDefault() { Sort(SortIntAndSingles); }

// ---- T2LongintAndSingleList -------------------------------------------------------------------

T2LongintAndSingleList::T2LongintAndSingleList()
    : TUsefulBaseListSorts(&NewUsefulBaseListObject<T2LongIntAndSingleHolder>) {}

Int32 T2LongintAndSingleList::AddOne(const T2LongintAndSingleRec& rec) {
  return AddItem(std::make_unique<T2LongIntAndSingleHolder>(rec));
}

T2LongintAndSingleRec T2LongintAndSingleList::GetOne(Int32 i) const {
  const auto* h = static_cast<const T2LongIntAndSingleHolder*>(Items(i));
  return h != nullptr ? h->data : T2LongintAndSingleRec{};
}

void T2LongintAndSingleList::SetOne(Int32 i, const T2LongintAndSingleRec& rec) {
  if (auto* h = static_cast<T2LongIntAndSingleHolder*>(Items(i))) h->data = rec;
}

Int32 T2LongintAndSingleList::IndexOfInteger0(Int32 n) const {
  return PlainScan(Count(), [&](Int32 i) { return IndexAssignedOK(i) && GetOne(i).t2.long0 == n; });
}

Int32 T2LongintAndSingleList::IndexOfInteger1(Int32 n) const {
  return PlainScan(Count(), [&](Int32 i) { return IndexAssignedOK(i) && GetOne(i).t2.long1 == n; });
}

Int32 T2LongintAndSingleList::IndexOfSingle(Single f) const {
  return PlainScan(Count(), [&](Int32 i) { return IndexAssignedOK(i) && GetOne(i).s == f; });
}

void T2LongintAndSingleList::SortAscendingDefault() { Sort(Sort2LongintAndSingles); }

// ---- T3LongintAndSingleList -------------------------------------------------------------------

T3LongintAndSingleList::T3LongintAndSingleList()
    : TUsefulBaseListSorts(&NewUsefulBaseListObject<T3LongIntAndSingleHolder>) {}

Int32 T3LongintAndSingleList::AddOne(const T3LongintAndSingleRec& rec) {
  return AddItem(std::make_unique<T3LongIntAndSingleHolder>(rec));
}

T3LongintAndSingleRec T3LongintAndSingleList::GetOne(Int32 i) const {
  const auto* h = static_cast<const T3LongIntAndSingleHolder*>(Items(i));
  return h != nullptr ? h->data : T3LongintAndSingleRec{};
}

void T3LongintAndSingleList::SetOne(Int32 i, const T3LongintAndSingleRec& rec) {
  if (auto* h = static_cast<T3LongIntAndSingleHolder*>(Items(i))) h->data = rec;
}

Int32 T3LongintAndSingleList::IndexOfInteger0(Int32 n) const {
  return PlainScan(Count(), [&](Int32 i) { return IndexAssignedOK(i) && GetOne(i).t3.long0 == n; });
}

Int32 T3LongintAndSingleList::IndexOfInteger1(Int32 n) const {
  return PlainScan(Count(), [&](Int32 i) { return IndexAssignedOK(i) && GetOne(i).t3.long1 == n; });
}

Int32 T3LongintAndSingleList::IndexOfInteger2(Int32 n) const {
  return PlainScan(Count(), [&](Int32 i) { return IndexAssignedOK(i) && GetOne(i).t3.long2 == n; });
}

Int32 T3LongintAndSingleList::IndexOfSingle(Single f) const {
  return PlainScan(Count(), [&](Int32 i) { return IndexAssignedOK(i) && GetOne(i).s == f; });
}

void T3LongintAndSingleList::SortAscendingDefault() { Sort(Sort3LongintAndSingles); }

// ---- TCardinalAndFreqList ---------------------------------------------------------------------

TCardinalAndFreqList::TCardinalAndFreqList()
    : TUsefulBaseListSorts(&NewUsefulBaseListObject<TCardinalAndFreqHolder>) {}

Int32 TCardinalAndFreqList::AddOne(const TCardinalAndFreq& rec) {
  const Int32 i = AddItem(std::make_unique<TCardinalAndFreqHolder>(rec));
  CheckOrderAround(i);
  return i;
}

Int32 TCardinalAndFreqList::AddOneOrIncFreq(const TCardinalAndFreq& rec) {
  const Int32 found = IndexOF(rec.c);
  if (found >= 0) {
    auto* h = static_cast<TCardinalAndFreqHolder*>(Items(found));
    h->data.f = static_cast<Int32>(static_cast<uint32_t>(h->data.f) + 1u);
    return found;
  }
  if (!sorted || Count() == 0) return AddOne(rec);
  // IndexOF searched by halving and left `nearest` at its last probe.
  const Int32 at = nearest >= 0 ? (GetACardAndFreq(nearest).c <= rec.c ? nearest + 1 : nearest) : Count();
  return InsertItem(at, std::make_unique<TCardinalAndFreqHolder>(rec));
}

TCardinalAndFreq TCardinalAndFreqList::GetACardAndFreq(Int32 i) const {
  const auto* h = static_cast<const TCardinalAndFreqHolder*>(Items(i));
  return h != nullptr ? h->data : TCardinalAndFreq{};
}

void TCardinalAndFreqList::SetACardAndFreq(Int32 i, const TCardinalAndFreq& rec) {
  auto* h = static_cast<TCardinalAndFreqHolder*>(Items(i));
  if (h == nullptr) return;
  h->data = rec;
  CheckOrderAround(i);
}

Int32 TCardinalAndFreqList::Find(Cardinal c) {
  nearest = Count() - 1;
  return Halving(Count(), [&](Int32 mid) { return CompareCardinals(GetACardAndFreq(mid).c, c); }, &nearest);
}

Int32 TCardinalAndFreqList::IndexOF(Cardinal c) {
  if (sorted) return Find(c);
  return YieldingScan(Count(), [&](Int32 i) { return IndexAssignedOK(i) && GetACardAndFreq(i).c == c; });
}

void TCardinalAndFreqList::SortOnCardinals() { Sort(SortCardinalAndFreqOnC); }

void TCardinalAndFreqList::SortOnFrequencies(bool reversed) {
  global_reversed_sort = reversed;
  Sort(SortCardinalAndFreqOnF);
  sorted = false;
}

Int32 TCardinalAndFreqList::KeyOrder(Int32 i, Int32 j) {
  return CompareCardinals(GetACardAndFreq(i).c, GetACardAndFreq(j).c);
}

}  // namespace sk
